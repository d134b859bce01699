// The window definition and start-up: the check of Zarv.ui, the accessible
// ids and names, bringing both pages up from Zarv.conf; and what belongs to
// the window as a whole: its shortcuts, the failed-save bar, the paper under
// dark themes, its size on small screens and finding it from a second start.
#include "app/window.h"

#include "app/instance.h"
#include "store/filing.h"
#include "store/params.h"
#include "store/state.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "ui/fields.h"
#include "ui/pagSetupPage.h"
#include "ui/pagWBPage.h"
#include "ui/print.h"

#include "store/stored.h"
#include "zarvAbout.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

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

// The application's actions ("app.print", ...), activated from the menu and
// by their shortcuts; their target is the main window.
void wbOnPrintAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbPrintLoadSheet(GTK_WINDOW(pwinMain), nullptr, nullptr);
}

void wbOnQuitAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    gtk_window_close(GTK_WINDOW(pwinMain));
}

void wbOnShortcutsAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowShortcuts(GTK_WINDOW(pwinMain));
}

void wbOnHelpAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowHelp(GTK_WINDOW(pwinMain));
}

void wbOnAboutAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowAbout(GTK_WINDOW(pwinMain));
}

// The primary menu button, where the definition has one.
GtkWidget* m_pwgtMainMenu = nullptr;

void wbOnMenuAction(GSimpleAction*, GVariant*, gpointer)
{
    if (m_pwgtMainMenu)
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_pwgtMainMenu), TRUE);
}

// Every action with its shortcuts. Up, Down and Return walk the fields and
// belong to the pages; the shortcuts window lists those too.
struct _wbAction {
    const char* pszName;
    void (*pfuncActivate)(GSimpleAction*, GVariant*, gpointer);
    std::array<const char*, 2> accels;
};
constexpr std::array<_wbAction, 6> m_actions = {{
    {"print", wbOnPrintAction, {"<Control>p", nullptr}},
    {"quit", wbOnQuitAction, {"<Control>q", "<Control>w"}},
    {"shortcuts", wbOnShortcutsAction, {"<Control>question", nullptr}},
    {"help", wbOnHelpAction, {"F1", nullptr}},
    {"about", wbOnAboutAction, {nullptr, nullptr}},
    {"menu", wbOnMenuAction, {"F10", nullptr}},
}};

// The primary menu, in the order GNOME's applications have it; each item is
// one of the actions above. A new item is one more line.
constexpr std::array<std::array<const char*, 2>, 4> m_menuItems = {{
    {"Print load sheet…", "app.print"},
    {"Keyboard Shortcuts", "app.shortcuts"},
    {"Help", "app.help"},
    {"About Zarv", "app.about"},
}};

gboolean wbOnActionKey(GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer pAction)
{
    g_action_activate(G_ACTION(pAction), nullptr);
    return TRUE;
}

// The notice across the top (no help viewer, say); optional, and closed by
// its own button. A notice of a report offers to open it.
GtkWidget* m_pwgtNoticeBar = nullptr;
GtkWidget* m_pwgtNoticeText = nullptr;
GtkWidget* m_pwgtNoticeOpen = nullptr;
std::string m_strNoticeFile;
constexpr gint NOTICE_OPEN = 1;

void wbOnNoticeResponse(GtkInfoBar* pbar, gint nResponse, gpointer)
{
    gtk_widget_hide(GTK_WIDGET(pbar));
    if (nResponse != NOTICE_OPEN || m_strNoticeFile.empty())
        return;
    const std::string strFile = m_strNoticeFile;
    g_autoptr(GError) pErr = nullptr;
    g_autofree gchar* pszUri = g_filename_to_uri(strFile.c_str(), nullptr, &pErr);
    if (pszUri && gtk_show_uri_on_window(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(pbar))), pszUri,
                                         gtk_get_current_event_time(), &pErr))
        return;
    const char* pszWhy = pErr ? pErr->message : "no application is installed for it";
    g_autofree gchar* pszLog =
        g_strdup_printf("wbOnNoticeResponse()\ngtk_show_uri_on_window(%s) failed\n%s", strFile.c_str(), pszWhy);
    errPostError(pszLog);
    wbShowNotice(("The report could not be opened (" + std::string(pszWhy) + "); it is " + strFile).c_str());
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

// A banner on a page, such as the weighing due: white on red under every
// theme, with room around its words, as the failed-save bar is. The paper
// of a dark theme does not turn its text black.
constexpr const char* BANNER_CSS = "label.zarv-banner, notebook.zarv-paper > stack label.zarv-banner {"
                                   " background-color: #cc0000; color: #ffffff; padding: 6px 10px;"
                                   " border-radius: 3px; }\n";

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
// Failures the store and the filing met, each said for the rest of the run.
std::vector<std::string> m_told;

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
    std::vector<std::string> told = m_told;
    // The aircraft's texts that are not valid text, while they stand.
    for (const _prmValueId nId : {VAL_REGISTRATION, VAL_WEIGHED})
        if (m_pkeyFile && !prmNotText(nId).empty())
            told.push_back(prmNotText(nId));
    for (const std::string& str : told)
        strText += (strText.empty() ? "" : "\n") + str;
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

// Reads the loading and the setup record from the store, and tells every
// page, which shows itself from them. Stores nothing.
void readAndShowAll(void)
{
    pwbParams();
    psetParams();
    stateTell(STATE_ALL);
}

// Told when another program changed Zarv.conf and it was read again: both
// pages and the setup record come up from it as at start, but the field
// the pilot is typing in keeps what was typed, to be stored when left.
void wbOnConfChanged(void)
{
    GtkWidget* pwgtFocus = m_pwinPages ? gtk_window_get_focus(GTK_WINDOW(m_pwinPages)) : nullptr;
    const bool bTyping = pwgtFocus && GTK_IS_ENTRY(pwgtFocus) && mscEntryEdited(pwgtFocus);
    const std::string strTyped = bTyping ? gtk_entry_get_text(GTK_ENTRY(pwgtFocus)) : "";
    const _wbSetup before = m_wbSetup;
    readAndShowAll();
    bool bUnitChanged = false;
    if (bTyping) {
        gtk_entry_set_text(GTK_ENTRY(pwgtFocus), strTyped.c_str());
        mscMarkEdited(pwgtFocus); // even where it reads as the value shown anew
        bUnitChanged = fldHoldTypedUnits(pwgtFocus, before);
    }
    m_strConfChanged = "Zarv.conf was changed by another program: its values are shown";
    if (bUnitChanged)
        m_strConfChanged += ". The units changed: the field you are typing in keeps the unit beside it until you "
                            "leave it";
    wbShowBar();
}

void wbOnTold(const std::string& strText)
{
    // Said once, however often it happens; the latest few, so the bar
    // never grows past the window.
    constexpr size_t MAX_TOLD = 4;
    if (std::find(m_told.begin(), m_told.end(), strText) == m_told.end())
        m_told.push_back(strText);
    if (m_told.size() > MAX_TOLD)
        m_told.erase(m_told.begin());
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

// One of the window's optional bars, where the definition has it: an info
// bar pszBar with its label pszText, both or neither (null).
GtkWidget* lookUpBar(GtkBuilder* pBuilder, const char* pszBar, const char* pszText, GtkWidget** ppwgtText)
{
    GtkWidget* pwgtBar = mscLookUp(pBuilder, pszBar);
    *ppwgtText = mscLookUp(pBuilder, pszText);
    if (GTK_IS_INFO_BAR(pwgtBar) && GTK_IS_LABEL(*ppwgtText))
        return pwgtBar;
    *ppwgtText = nullptr;
    return nullptr;
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

bool wbPrintLoadSheet(GtkWindow* pwinMain, const char* pszExportFile, const _shtPeople* pSheet)
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
    // Where this start holds its directory's name on the session bus, the
    // actions live on its application, with the application's accelerators,
    // and the window is the application's.
    if (GtkApplication* papp = wbRegisteredApp()) {
        gtk_application_add_window(papp, GTK_WINDOW(pwinMain));
        for (const _wbAction& a : m_actions) {
            g_autoptr(GSimpleAction) paction = g_simple_action_new(a.pszName, nullptr);
            g_signal_connect(paction, "activate", G_CALLBACK(a.pfuncActivate), pwinMain);
            g_action_map_add_action(G_ACTION_MAP(papp), G_ACTION(paction));
            const std::array<const char*, 3> accels = {a.accels[0], a.accels[1], nullptr};
            const std::string strAction = std::string("app.") + a.pszName;
            gtk_application_set_accels_for_action(papp, strAction.c_str(), accels.data());
        }
        return;
    }
    // Without a registered application (no session bus, one that did not
    // answer, or a test's own window) the actions live in a group of the
    // window's own under "app": an application takes a window only once it
    // is registered, and registering connects to the session bus, which a
    // start without one must not start. The menu and every shortcut work all
    // the same; the shortcuts activate the actions, as the application's
    // accelerators do.
    GSimpleActionGroup* pgroup = g_simple_action_group_new();
    GtkAccelGroup* paccel = gtk_accel_group_new();
    for (const _wbAction& a : m_actions) {
        g_autoptr(GSimpleAction) paction = g_simple_action_new(a.pszName, nullptr);
        g_signal_connect(paction, "activate", G_CALLBACK(a.pfuncActivate), pwinMain);
        g_action_map_add_action(G_ACTION_MAP(pgroup), G_ACTION(paction));
        for (const char* pszAccel : a.accels) {
            guint nKeyval = 0;
            GdkModifierType nMods = GdkModifierType(0);
            if (pszAccel)
                gtk_accelerator_parse(pszAccel, &nKeyval, &nMods);
            if (nKeyval)
                gtk_accel_group_connect(paccel, nKeyval, nMods, GtkAccelFlags(0),
                                        g_cclosure_new_object(G_CALLBACK(wbOnActionKey), G_OBJECT(paction)));
        }
    }
    gtk_widget_insert_action_group(pwinMain, "app", G_ACTION_GROUP(pgroup));
    g_object_unref(pgroup);
    gtk_window_add_accel_group(GTK_WINDOW(pwinMain), paccel);
    g_object_unref(paccel);
}

namespace
{

// The notebook that holds the pages.
GtkWidget* findNotebook(GtkWidget* pwgt)
{
    if (GTK_IS_NOTEBOOK(pwgt))
        return pwgt;
    if (!GTK_IS_CONTAINER(pwgt))
        return nullptr;
    GtkWidget* pwgtFound = nullptr;
    GList* plist = gtk_container_get_children(GTK_CONTAINER(pwgt));
    for (GList* p = plist; p && !pwgtFound; p = p->next)
        pwgtFound = findNotebook(GTK_WIDGET(p->data));
    g_list_free(plist);
    return pwgtFound;
}

// Every label with a mnemonic within pwgt, in the order of the page.
void collectMnemonics(GtkWidget* pwgt, std::vector<GtkLabel*>* pLabels)
{
    if (GTK_IS_LABEL(pwgt) && gtk_label_get_mnemonic_keyval(GTK_LABEL(pwgt)) != GDK_KEY_VoidSymbol)
        pLabels->push_back(GTK_LABEL(pwgt));
    if (!GTK_IS_CONTAINER(pwgt))
        return;
    GList* plist = gtk_container_get_children(GTK_CONTAINER(pwgt));
    for (GList* p = plist; p; p = p->next)
        collectMnemonics(GTK_WIDGET(p->data), pLabels);
    g_list_free(plist);
}

// The shortcuts window must fit a 1024 x 600 screen. A section puts each
// group in a column of its own once the column would pass its max-height
// (in lines: a group's title and each of its shortcuts), two columns to a
// page, further pages behind the buttons at its foot; a group itself is
// never split. So no group has more shortcuts than a column holds, a
// section's max-height is one full group, and the titles are short enough
// for two columns side by side.
constexpr guint SHORTCUTS_PER_COLUMN = 7;

GtkWidget* shortcutsSection(const char* pszName, const char* pszTitle)
{
    return GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_SECTION, "section-name", pszName, "title", pszTitle, "max-height",
                                   SHORTCUTS_PER_COLUMN + 1, "visible", TRUE, nullptr));
}

GtkWidget* shortcutsGroup(GtkWidget* pwgtSection, const char* pszTitle)
{
    GtkWidget* pwgtGroup =
        GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_GROUP, "title", pszTitle, "visible", TRUE, nullptr));
    gtk_container_add(GTK_CONTAINER(pwgtSection), pwgtGroup);
    return pwgtGroup;
}

void addShortcut(GtkWidget* pwgtGroup, const char* pszAccel, const char* pszTitle)
{
    gtk_container_add(GTK_CONTAINER(pwgtGroup),
                      GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_SHORTCUT, "accelerator", pszAccel, "title", pszTitle,
                                              "visible", TRUE, nullptr)));
}

// Shortcuts under one title, in as few groups as the columns need, evenly
// filled: the first group has the title, the others say they go on.
void addShortcutGroups(GtkWidget* pwgtSection, const std::string& strTitle,
                       const std::vector<std::pair<std::string, std::string>>& shortcuts)
{
    const size_t nGroups = (shortcuts.size() + SHORTCUTS_PER_COLUMN - 1) / SHORTCUTS_PER_COLUMN;
    for (size_t g = 0, i = 0; g < nGroups; g++) {
        const std::string strGroup = g == 0 ? strTitle : strTitle + ", continued";
        GtkWidget* pwgtGroup = shortcutsGroup(pwgtSection, strGroup.c_str());
        // The groups before take their share, the rest is the others'.
        for (const size_t nEnd = shortcuts.size() * (g + 1) / nGroups; i < nEnd; i++)
            addShortcut(pwgtGroup, shortcuts[i].first.c_str(), shortcuts[i].second.c_str());
    }
}

// Each page's mnemonics, a section of its own beside pwgtSection: the
// underlined letter of every caption, read from the window itself, so the
// list is the window's whatever its definition.
void addPageShortcuts(GtkWidget* pwgtSection, GtkWidget* pwgtNotebook)
{
    for (int i = 0; i < gtk_notebook_get_n_pages(GTK_NOTEBOOK(pwgtNotebook)); i++) {
        GtkWidget* pwgtPage = gtk_notebook_get_nth_page(GTK_NOTEBOOK(pwgtNotebook), i);
        GtkWidget* pwgtTab = gtk_notebook_get_tab_label(GTK_NOTEBOOK(pwgtNotebook), pwgtPage);
        const char* pszPage = GTK_IS_LABEL(pwgtTab) ? gtk_label_get_text(GTK_LABEL(pwgtTab)) : "Page";
        GtkWidget* pwgtPageSection = shortcutsSection(pszPage, pszPage);
        gtk_container_add(GTK_CONTAINER(gtk_widget_get_toplevel(pwgtSection)), pwgtPageSection);
        std::vector<GtkLabel*> labels;
        collectMnemonics(pwgtPage, &labels);
        // In the order the page shows them: by rows, then from the left.
        auto place = [pwgtPage](GtkLabel* plabel) {
            int x = 0, y = 0;
            gtk_widget_translate_coordinates(GTK_WIDGET(plabel), pwgtPage, 0, 0, &x, &y);
            return std::pair(y / 8, x);
        };
        std::stable_sort(labels.begin(), labels.end(), [&](GtkLabel* a, GtkLabel* b) { return place(a) < place(b); });
        std::vector<GtkLabel*> tab;
        if (pwgtTab)
            collectMnemonics(pwgtTab, &tab);
        labels.insert(labels.begin(), tab.begin(), tab.end());
        std::vector<std::pair<std::string, std::string>> shortcuts;
        for (GtkLabel* plabel : labels) {
            g_autofree gchar* pszAccel = gtk_accelerator_name(gtk_label_get_mnemonic_keyval(plabel), GDK_MOD1_MASK);
            const bool bTab = GTK_WIDGET(plabel) == pwgtTab;
            shortcuts.emplace_back(pszAccel, bTab ? std::string("Show the page ") + gtk_label_get_text(plabel)
                                                  : std::string(gtk_label_get_text(plabel)));
        }
        addShortcutGroups(pwgtPageSection, pszPage, shortcuts);
    }
}

} // namespace

void wbShowShortcuts(GtkWindow* pwinMain)
{
    static GtkWidget* pwinShortcuts = nullptr;
    if (pwinShortcuts && gtk_window_get_transient_for(GTK_WINDOW(pwinShortcuts)) != pwinMain) {
        gtk_widget_destroy(pwinShortcuts);
        pwinShortcuts = nullptr;
    }
    if (!pwinShortcuts) {
        pwinShortcuts = GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_WINDOW, "modal", TRUE, "transient-for", pwinMain,
                                                "destroy-with-parent", TRUE, nullptr));
        g_object_add_weak_pointer(G_OBJECT(pwinShortcuts), reinterpret_cast<gpointer*>(&pwinShortcuts));
        GtkWidget* pwgtSection = shortcutsSection("shortcuts", "The window and its fields");
        gtk_container_add(GTK_CONTAINER(pwinShortcuts), pwgtSection);
        GtkWidget* pwgtGroup = shortcutsGroup(pwgtSection, "The window");
        addShortcut(pwgtGroup, "<Control>p", "Print the load sheet");
        addShortcut(pwgtGroup, "<Control>q <Control>w", "Close, keeping what you typed");
        addShortcut(pwgtGroup, "F10", "Open the menu");
        addShortcut(pwgtGroup, "F1", "Help");
        addShortcut(pwgtGroup, "<Control>question", "Keyboard shortcuts");
        pwgtGroup = shortcutsGroup(pwgtSection, "Fields, on both pages");
        addShortcut(pwgtGroup, "Down Return", "Next field, saving what you typed");
        addShortcut(pwgtGroup, "Up", "Previous field");
        addShortcut(pwgtGroup, "Tab <Shift>Tab", "Next or previous control");
        if (GtkWidget* pwgtNotebook = findNotebook(GTK_WIDGET(pwinMain)))
            addPageShortcuts(pwgtSection, pwgtNotebook);
    }
    gtk_window_present(GTK_WINDOW(pwinShortcuts));
}

void wbShowHelp(GtkWindow* pwinMain)
{
    // Without a viewer for help: addresses (yelp) GTK could only fail.
    g_autoptr(GAppInfo) pViewer = g_app_info_get_default_for_uri_scheme("help");
    g_autoptr(GError) pErr = nullptr;
    if (pViewer && gtk_show_uri_on_window(pwinMain, "help:zarv", gtk_get_current_event_time(), &pErr))
        return;
    g_autofree gchar* pszLog =
        g_strdup_printf("wbShowHelp()\ngtk_show_uri_on_window(help:zarv) failed\n%s",
                        pErr ? pErr->message : "no application is installed for help: addresses");
    errPostError(pszLog);
    g_autofree gchar* pszText =
        pErr ? g_strdup_printf("The user guide could not be opened: %s.", pErr->message)
             : g_strdup("No help viewer is installed, so the user guide cannot be shown. Install the package yelp "
                        "to read it; README.md has the same in short.");
    wbShowNotice(pszText);
}

void wbShowAbout(GtkWindow* pwinMain)
{
    g_autofree gchar* pszComments =
        g_strdup_printf("Weight and balance of a light two-seat helicopter, before every flight.\n\n"
                        "Your settings are kept in Zarv.conf in %s, and every load sheet printed in %s.",
                        m_szEtcDir.c_str(), filSheetsFolder().c_str());
    const char* pszLogo =
        gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "org.zarv.Zarv") ? "org.zarv.Zarv" : nullptr;
    gtk_show_about_dialog(pwinMain, "program-name", "Zarv", "version", ZARV_VERSION, "comments", pszComments, "website",
                          ZARV_WEBSITE, "copyright", ZARV_COPYRIGHT, "license-type", GTK_LICENSE_CUSTOM, "license",
                          ZARV_LICENCE, "wrap-license", TRUE, "logo-icon-name", pszLogo, nullptr);
}

void wbShowNotice(const char* pszText, const std::string& strFile)
{
    if (!m_pwgtNoticeBar || !m_pwgtNoticeText)
        return; // the log has it
    m_strNoticeFile = strFile;
    gtk_label_set_text(GTK_LABEL(m_pwgtNoticeText), pszText);
    gtk_widget_set_visible(m_pwgtNoticeOpen, !strFile.empty());
    gtk_widget_show(m_pwgtNoticeBar);
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
    m_pwgtSaveFailedBar = lookUpBar(pBuilder, "SaveFailedBar", "SaveFailedText", &m_pwgtSaveFailedText);
    if (m_pwgtSaveFailedBar) {
        static bool bCssAdded = false;
        if (!bCssAdded)
            addCss(m_pwgtSaveFailedBar, SAVE_FAILED_CSS);
        bCssAdded = true;
        gtk_style_context_add_class(gtk_widget_get_style_context(m_pwgtSaveFailedBar), "zarv-save-failed");
        // However long what it says, the bar stays within the window.
        gtk_label_set_line_wrap_mode(GTK_LABEL(m_pwgtSaveFailedText), PANGO_WRAP_WORD_CHAR);
        gtk_label_set_ellipsize(GTK_LABEL(m_pwgtSaveFailedText), PANGO_ELLIPSIZE_END);
        gtk_label_set_lines(GTK_LABEL(m_pwgtSaveFailedText), 8);
        gtk_label_set_max_width_chars(GTK_LABEL(m_pwgtSaveFailedText), 100);
    }
    static bool bBannerCssAdded = false;
    if (!bBannerCssAdded)
        addCss(mscLookUp(pBuilder, "Zarv"), BANNER_CSS);
    bBannerCssAdded = true;
    m_strSaveFailure.clear(), m_strFilingFailure.clear(),
        m_strConfChanged.clear(); // a new window says what it meets itself
    m_pwgtNoticeBar = lookUpBar(pBuilder, "NoticeBar", "NoticeText", &m_pwgtNoticeText);
    if (m_pwgtNoticeBar) {
        m_pwgtNoticeOpen = gtk_info_bar_add_button(GTK_INFO_BAR(m_pwgtNoticeBar), "Open report", NOTICE_OPEN);
        gtk_widget_hide(m_pwgtNoticeOpen);
        g_signal_connect(m_pwgtNoticeBar, "response", G_CALLBACK(wbOnNoticeResponse), nullptr);
    }
    // The primary menu, where the definition has its button.
    m_pwgtMainMenu = mscLookUp(pBuilder, "MainMenu");
    if (GTK_IS_MENU_BUTTON(m_pwgtMainMenu)) {
        g_autoptr(GMenu) pmenu = g_menu_new();
        for (const auto& item : m_menuItems)
            g_menu_append(pmenu, item[0], item[1]);
        gtk_menu_button_set_menu_model(GTK_MENU_BUTTON(m_pwgtMainMenu), G_MENU_MODEL(pmenu));
    } else {
        m_pwgtMainMenu = nullptr;
    }
    prmSetWriteListener(wbOnWriteResult);
    prnSetFilingListener(wbOnFilingResult);
    m_told.clear();
    errSetPilotListener(wbOnTold);
    filClearTemporaries();
    if (GtkWidget* pwgtPrint = mscLookUp(pBuilder, "PrintLoadSheet"); pwgtPrint && GTK_IS_BUTTON(pwgtPrint))
        g_signal_connect(pwgtPrint, "clicked", G_CALLBACK(wbOnPrintClicked), nullptr);
    psetInit(pBuilder);
    pwbInit(pBuilder);
    readAndShowAll();
    m_pwinPages = mscLookUp(pBuilder, "Zarv");
    prmWatchKeyFile(wbOnConfChanged);
    wbShowBar(); // what the start met, said at once
    wbDressForTheme(pBuilder);
    wbFitScreen(pBuilder);
    gtk_widget_grab_focus(mscLookUp(pBuilder, "LeftSeatWeight"));
}
