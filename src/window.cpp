// The window definition and start-up: the check of Zarv.ui, the accessible
// ids and names, bringing both pages up from Zarv.conf; and what belongs to
// the window as a whole: its shortcuts, the failed-save bar, the paper under
// dark themes, its size on small screens and finding it from a second start.
#include "window.h"

#include "pagSetup.h"
#include "pagSetupPage.h"
#include "pagWB.h"
#include "pagWBPage.h"
#include "params.h"
#include "print.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>

namespace
{

// The window itself; the pages bind everything inside it.
constexpr std::array<_mscBinding, 1> m_window = {{{"Zarv", gtk_window_get_type, nullptr}}};

std::array<std::span<const _mscBinding>, 3> tables(void)
{
    return {m_window, pwbBindings(), psetBindings()};
}

// A close commits the field being edited first.
gboolean wbOnDeleteEvent(GtkWidget* pwinMain, GdkEvent*, gpointer)
{
    mscLeaveField(GTK_WINDOW(pwinMain));
    return FALSE; // and the window goes as it always did
}

void wbOnPrintClicked(GtkButton* pwgtButton, gpointer)
{
    wbPrintLoadSheet(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(pwgtButton))), nullptr, nullptr);
}

gboolean wbOnPrintKey(GtkAccelGroup*, GObject* pwinMain, guint, GdkModifierType, gpointer)
{
    wbPrintLoadSheet(GTK_WINDOW(pwinMain), nullptr, nullptr);
    return TRUE;
}

gboolean wbOnCloseKey(GtkAccelGroup*, GObject* pwinMain, guint, GdkModifierType, gpointer)
{
    gtk_window_close(GTK_WINDOW(pwinMain));
    return TRUE;
}

// Under a dark theme the pages are laid on white paper with black text, as
// document viewers do: the table's and the chart's colours were chosen for
// white, and on a dark window the blue totals, the red indicators and the
// chart's captions would all but vanish. The tabs keep the theme.
// Every control a pilot reads a state from takes the light theme's look on
// the paper: an unselected radio or check button light with a grey rim, a
// selected one filled blue, buttons and the list light grey with dark text.
constexpr const char* PAPER_CSS =
    "notebook.zarv-paper > stack { background-color: #ffffff; }\n"
    "notebook.zarv-paper > stack label { color: #000000; }\n"
    "notebook.zarv-paper > stack entry { background-color: #ffffff; color: #000000; }\n"
    "notebook.zarv-paper > stack entry.error { color: #cc0000; }\n"
    "notebook.zarv-paper > stack radio, notebook.zarv-paper > stack check {"
    " color: #000000; background-color: #ffffff; background-image: none; border: 1px solid #878787; }\n"
    "notebook.zarv-paper > stack radio:checked, notebook.zarv-paper > stack check:checked {"
    " color: #ffffff; background-color: #3584e4; border-color: #1c71d8; }\n"
    "notebook.zarv-paper > stack button { color: #2e3436; background-color: #f6f5f4; background-image: none;"
    " border: 1px solid #cdc7c2; box-shadow: none; text-shadow: none; -gtk-icon-shadow: none; }\n"
    "notebook.zarv-paper > stack button:hover { background-color: #ffffff; }\n"
    "notebook.zarv-paper > stack button:disabled, notebook.zarv-paper > stack button:disabled label {"
    " color: #6f7371; background-color: #f1f0ee; }\n"
    "notebook.zarv-paper > stack button label { color: #2e3436; }\n";

// The bar that says a save failed: white on red under every theme, as
// loud as the chart's warnings.
constexpr const char* SAVE_FAILED_CSS = "infobar.zarv-save-failed, infobar.zarv-save-failed > revealer > box {"
                                        " background-color: #cc0000; background-image: none; }\n"
                                        "infobar.zarv-save-failed label { color: #ffffff; font-weight: bold; }\n";

// Adds CSS for the whole screen, above the theme.
void addCss(GtkWidget* pwgt, const char* pszCss)
{
    g_autoptr(GtkCssProvider) pcss = gtk_css_provider_new();
    gtk_css_provider_load_from_data(pcss, pszCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(pwgt), GTK_STYLE_PROVIDER(pcss),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

// Relative luminance of a colour (sRGB), from 0 for black to 1 for white.
double luminance(const GdkRGBA& c)
{
    auto linear = [](double n) { return n <= 0.03928 ? n / 12.92 : std::pow((n + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue);
}

// The bar across the top that says a change could not be saved; optional.
GtkWidget* m_pwgtSaveFailedBar = nullptr;
GtkWidget* m_pwgtSaveFailedText = nullptr;

// Told of every rewrite of Zarv.conf: a failure shows the bar with the
// system's reason, the next success hides it. A sheet whose copy was not
// filed stays on the bar until one is. Another program's change of
// Zarv.conf is said until the next save. The log keeps its entries.
std::string m_strStandingWarning, m_strSaveFailure, m_strFilingFailure, m_strConfChanged;

void wbShowBar(void)
{
    if (!m_pwgtSaveFailedBar || !m_pwgtSaveFailedText)
        return;
    std::string strText = m_strSaveFailure.empty() ? m_strStandingWarning : m_strSaveFailure;
    // A change whose save failed is still not in the file: the bar keeps
    // saying so beside another program's change.
    if (!m_strConfChanged.empty())
        strText = m_strConfChanged + (strText.empty() ? "" : ". " + strText);
    if (!m_strFilingFailure.empty())
        strText += (strText.empty() ? "" : "\n") + m_strFilingFailure;
    gtk_label_set_text(GTK_LABEL(m_pwgtSaveFailedText), strText.c_str());
    gtk_widget_set_visible(m_pwgtSaveFailedBar, !strText.empty());
}

void wbOnWriteResult(const char* pszError)
{
    m_strSaveFailure.clear();
    if (!pszError)
        m_strConfChanged.clear();
    if (pszError) {
        g_autofree gchar* pszText = g_strdup_printf("Your last change could not be saved: %s. Zarv keeps it until "
                                                    "this window closes; Zarv.log has the details.",
                                                    pszError);
        m_strSaveFailure = pszText;
    }
    wbShowBar();
}

// The window whose pages show Zarv.conf.
GtkWidget* m_pwinPages = nullptr;

// Told when another program changed Zarv.conf and it was read again: both
// pages and the setup record come up from it as at start, but the field
// the pilot is typing in keeps what was typed, to be stored when left.
void wbOnConfChanged(void)
{
    GtkWidget* pwgtFocus = m_pwinPages ? gtk_window_get_focus(GTK_WINDOW(m_pwinPages)) : nullptr;
    const bool bTyping = pwgtFocus && GTK_IS_ENTRY(pwgtFocus) && mscEntryEdited(pwgtFocus);
    const std::string strTyped = bTyping ? gtk_entry_get_text(GTK_ENTRY(pwgtFocus)) : "";
    const _wbSetup before = m_wbSetup;
    pwbParams();
    psetParams();
    // A number typed in units the file no longer has would be read in the
    // new ones: it is dropped, and the field says so.
    const char* pszName = bTyping ? gtk_buildable_get_name(GTK_BUILDABLE(pwgtFocus)) : "";
    const bool bNumber = pszName && strcmp(pszName, "Registration") != 0 && strcmp(pszName, "WeighedOn") != 0;
    const bool bUnitsChanged = before.nUnitWt != m_wbSetup.nUnitWt || before.nUnitArm != m_wbSetup.nUnitArm ||
                               before.nUnitFuel != m_wbSetup.nUnitFuel;
    pwbUpdateDisplays();
    psetUpdateInputDisplay();
    psetUpdateUnitLabels();
    psetUpdateUnitButtons();
    psetUpdateFleetDisplay();
    if (bTyping && bNumber && bUnitsChanged)
        mscFlagEntry(pwgtFocus, "\u201c" + strTyped +
                                    "\u201d was typed before another program changed the units: it was not "
                                    "stored; type it again.");
    else if (bTyping)
        gtk_entry_set_text(GTK_ENTRY(pwgtFocus), strTyped.c_str());
    m_strConfChanged = "Zarv.conf was changed by another program: its values are shown";
    wbShowBar();
}

// Told after each sheet printed whether its copy was filed.
void wbOnFilingResult(const char* pszError)
{
    m_strFilingFailure.clear();
    if (pszError) {
        g_autofree gchar* pszText =
            g_strdup_printf("The load sheet was printed, but %s. Zarv.log has the details.", pszError);
        m_strFilingFailure = pszText;
    }
    wbShowBar();
}

// The chart's least size: a small screen may shrink the window down to it,
// while the window opens as large as the definition asks where there is
// room.
constexpr int MIN_CHART_REQUEST = 240;

} // namespace

void wbFitScreen(GtkBuilder* pBuilder)
{
    GtkWidget* pwinMain = mscLookUp(pBuilder, "Zarv");
    GtkWidget* pwgtChart = mscLookUp(pBuilder, "WBDrawing");
    // The size the window takes with the chart as large as the definition
    // asks, within the screen's work area.
    GtkRequisition natural;
    gtk_widget_get_preferred_size(pwinMain, nullptr, &natural);
    int nDefaultWidth = 0, nDefaultHeight = 0;
    gtk_window_get_default_size(GTK_WINDOW(pwinMain), &nDefaultWidth, &nDefaultHeight);
    int nWidth = std::max(natural.width, nDefaultWidth), nHeight = std::max(natural.height, nDefaultHeight);
    GdkDisplay* pdisplay = gtk_widget_get_display(pwinMain);
    GdkMonitor* pmonitor = gdk_display_get_primary_monitor(pdisplay);
    if (!pmonitor && gdk_display_get_n_monitors(pdisplay) > 0)
        pmonitor = gdk_display_get_monitor(pdisplay, 0);
    if (pmonitor) {
        GdkRectangle rcWork;
        gdk_monitor_get_workarea(pmonitor, &rcWork);
        nWidth = std::min(nWidth, rcWork.width);
        nHeight = std::min(nHeight, rcWork.height);
    }
    int nChartWidth = 0, nChartHeight = 0;
    gtk_widget_get_size_request(pwgtChart, &nChartWidth, &nChartHeight);
    gtk_widget_set_size_request(pwgtChart, std::min(nChartWidth, MIN_CHART_REQUEST),
                                std::min(nChartHeight, MIN_CHART_REQUEST));
    gtk_window_set_default_size(GTK_WINDOW(pwinMain), nWidth, nHeight);
    if (gtk_widget_get_visible(pwinMain))
        gtk_window_resize(GTK_WINDOW(pwinMain), nWidth, nHeight);
}

std::string wbWindowNote(GtkWidget* pwinMain)
{
    GdkWindow* pwin = gtk_widget_get_window(pwinMain);
    if (!pwin || !GDK_IS_X11_WINDOW(pwin))
        return {};
    return std::to_string(GDK_WINDOW_XID(pwin));
}

bool wbRaiseNotedWindow(const std::string& strNote, long nHolderPid)
{
    GdkDisplay* pdisplay = gdk_display_get_default();
    char* pszEnd = nullptr;
    const unsigned long nXid = strtoul(strNote.c_str(), &pszEnd, 10);
    if (!pdisplay || !GDK_IS_X11_DISPLAY(pdisplay) || nXid == 0 || pszEnd == strNote.c_str() || nHolderPid <= 0)
        return false;
    // A window of another process: GDK asks the window manager to activate
    // it, or without one raises it and gives it the focus itself. Only the
    // window of the process that holds the lock is raised: a note naming
    // any other never moves the focus.
    gdk_x11_display_error_trap_push(pdisplay);
    GdkWindow* pwin = gdk_x11_window_foreign_new_for_display(pdisplay, nXid);
    bool bTheirs = false;
    if (pwin) {
        GdkAtom atomType = GDK_NONE;
        gint nFormat = 0, nLength = 0;
        guchar* pData = nullptr;
        // A 32-bit property comes as longs.
        bTheirs = gdk_property_get(pwin, gdk_atom_intern_static_string("_NET_WM_PID"),
                                   gdk_atom_intern_static_string("CARDINAL"), 0, sizeof(long), FALSE, &atomType,
                                   &nFormat, &nLength, &pData) &&
                  nFormat == 32 && nLength >= static_cast<gint>(sizeof(long)) &&
                  *reinterpret_cast<const long*>(pData) == nHolderPid;
        g_free(pData);
        if (bTheirs) {
            gdk_window_raise(pwin);
            gdk_window_focus(pwin, GDK_CURRENT_TIME);
        }
        g_object_unref(pwin);
    }
    gdk_display_sync(pdisplay);
    const bool bFailed = gdk_x11_display_error_trap_pop(pdisplay) != 0;
    return bTheirs && !bFailed;
}

void wbShowStandingWarning(const char* pszText)
{
    m_strStandingWarning = pszText;
    wbOnWriteResult(nullptr);
}

void wbTellAndWait(const char* pszText, const char* pszDetail)
{
    GtkWidget* pdlg =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING, GTK_BUTTONS_CLOSE, "%s", pszText);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", pszDetail);
    gtk_window_set_title(GTK_WINDOW(pdlg), "Zarv");
    gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
}

bool wbThemeIsDark(GtkWidget* pwgt)
{
    GdkRGBA cBackground;
    return gtk_style_context_lookup_color(gtk_widget_get_style_context(pwgt), "theme_bg_color", &cBackground) &&
           luminance(cBackground) < 0.25;
}

void wbDressForTheme(GtkBuilder* pBuilder)
{
    GtkWidget* pwgtNotebook = gtk_widget_get_ancestor(mscLookUp(pBuilder, "LeftSeatWeight"), GTK_TYPE_NOTEBOOK);
    if (!pwgtNotebook || !wbThemeIsDark(pwgtNotebook))
        return; // a light theme: nothing changes
    static bool bPaperAdded = false;
    if (!bPaperAdded)
        addCss(pwgtNotebook, PAPER_CSS);
    bPaperAdded = true;
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtNotebook), "zarv-paper");
}

bool wbPrintLoadSheet(GtkWindow* pwinMain, const char* pszExportFile, const _prnSheet* pSheet)
{
    // What the pilot typed goes onto the sheet; while the dialog has the
    // focus no field is left again, so printing stores nothing.
    GtkWidget* pwgtFocus = gtk_window_get_focus(pwinMain);
    if (pwgtFocus)
        g_object_ref(pwgtFocus);
    mscLeaveField(pwinMain);
    const bool bDone = prnPrintLoadSheet(pwinMain, pszExportFile, pSheet);
    if (pwgtFocus) {
        gtk_widget_grab_focus(pwgtFocus);
        g_object_unref(pwgtFocus);
    }
    return bDone;
}

void wbConnectWindow(GtkWidget* pwinMain)
{
    g_signal_connect(pwinMain, "delete-event", G_CALLBACK(wbOnDeleteEvent), nullptr);
    GtkAccelGroup* paccel = gtk_accel_group_new();
    for (guint nKeyval : {GDK_KEY_q, GDK_KEY_w})
        gtk_accel_group_connect(paccel, nKeyval, GDK_CONTROL_MASK, GtkAccelFlags(0),
                                g_cclosure_new(G_CALLBACK(wbOnCloseKey), nullptr, nullptr));
    gtk_accel_group_connect(paccel, GDK_KEY_p, GDK_CONTROL_MASK, GtkAccelFlags(0),
                            g_cclosure_new(G_CALLBACK(wbOnPrintKey), nullptr, nullptr));
    gtk_window_add_accel_group(GTK_WINDOW(pwinMain), paccel);
    g_object_unref(paccel);
}

std::vector<_mscBinding> wbDefinition(void)
{
    std::vector<_mscBinding> v;
    for (std::span<const _mscBinding> table : tables())
        v.insert(v.end(), table.begin(), table.end());
    return v;
}

const char* wbCheckDefinition(GtkBuilder* pBuilder)
{
    for (std::span<const _mscBinding> table : tables())
        if (const _mscBinding* pUnbound = mscFindUnbound(pBuilder, table))
            return pUnbound->pszId;
    return nullptr;
}

void wbExposeAccessibility(GtkBuilder* pBuilder)
{
    GSList* plistObjects = gtk_builder_get_objects(pBuilder);
    for (GSList* p = plistObjects; p; p = p->next) {
        if (!GTK_IS_WIDGET(p->data))
            continue;
        GtkWidget* pwgt = GTK_WIDGET(p->data);
        AtkObject* patk = gtk_widget_get_accessible(pwgt);
        if (!patk)
            continue;
        const gchar* pszId = gtk_buildable_get_name(GTK_BUILDABLE(pwgt));
        // Objects without an id in the file get a generated name that
        // begins with three underscores; they are layout only.
        if (pszId && strncmp(pszId, "___", 3) != 0)
            atk_object_set_accessible_id(patk, pszId);
        // A field's caption names it for a screen reader.
        GList* plistLabels = gtk_widget_list_mnemonic_labels(pwgt);
        if (plistLabels && GTK_IS_LABEL(plistLabels->data)) {
            const gchar* pszName = atk_object_get_name(patk);
            if (!pszName || !*pszName)
                atk_object_set_name(patk, gtk_label_get_text(GTK_LABEL(plistLabels->data)));
        }
        g_list_free(plistLabels);
    }
    g_slist_free(plistObjects);
}

void wbInitPages(GtkBuilder* pBuilder)
{
    prmLoadKeyFile();
    m_pwgtSaveFailedBar = mscLookUp(pBuilder, "SaveFailedBar");
    m_pwgtSaveFailedText = mscLookUp(pBuilder, "SaveFailedText");
    if (m_pwgtSaveFailedBar && !GTK_IS_INFO_BAR(m_pwgtSaveFailedBar))
        m_pwgtSaveFailedBar = nullptr;
    if (m_pwgtSaveFailedText && !GTK_IS_LABEL(m_pwgtSaveFailedText))
        m_pwgtSaveFailedText = nullptr;
    if (m_pwgtSaveFailedBar) {
        static bool bCssAdded = false;
        if (!bCssAdded)
            addCss(m_pwgtSaveFailedBar, SAVE_FAILED_CSS);
        bCssAdded = true;
        gtk_style_context_add_class(gtk_widget_get_style_context(m_pwgtSaveFailedBar), "zarv-save-failed");
    }
    m_strSaveFailure.clear(), m_strFilingFailure.clear(), m_strConfChanged.clear(); // a new window says what it meets itself
    prmSetWriteListener(wbOnWriteResult);
    prnSetFilingListener(wbOnFilingResult);
    prnClearTemporaries();
    if (GtkWidget* pwgtPrint = mscLookUp(pBuilder, "PrintLoadSheet"); pwgtPrint && GTK_IS_BUTTON(pwgtPrint))
        g_signal_connect(pwgtPrint, "clicked", G_CALLBACK(wbOnPrintClicked), nullptr);
    psetInit(pBuilder);
    pwbInit(pBuilder);
    pwbParams();
    psetParams();
    pwbUpdateDisplays();
    psetUpdateInputDisplay();
    psetUpdateUnitLabels();
    psetUpdateUnitButtons();
    psetUpdateFleetDisplay();
    m_pwinPages = mscLookUp(pBuilder, "Zarv");
    prmWatchKeyFile(wbOnConfChanged);
    wbDressForTheme(pBuilder);
    wbFitScreen(pBuilder);
    gtk_widget_grab_focus(mscLookUp(pBuilder, "LeftSeatWeight"));
}
