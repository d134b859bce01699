// The window definition and start-up: the check of Zarv.ui, the accessible
// ids and names, bringing both pages up from Zarv.conf in their one order,
// and the window's size on the screen. Its actions, bars and look are each a
// file of their own.
#include "app/window.h"

#include "app/actions.h"
#include "app/bars.h"
#include "app/schoolwin.h"
#include "app/theme.h"
#include "store/aircraft/fleet.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/flight/legs.h"
#include "store/record/filing.h"
#include "ui/fields.h"
#include "ui/pagSetupPage.h"
#include "ui/pagWBPage.h"
#include "ui/print.h"
#include "ui/seats.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>

namespace
{

// The window itself; the pages bind everything inside it.
constexpr std::array<_mscBinding, 1> m_window = {{{"Zarv", gtk_window_get_type, nullptr}}};

std::array<std::span<const _mscBinding>, 3> wbTables(void)
{
    return {m_window, pwbBindings(), psetBindings()};
}

// The window whose pages show Zarv.conf.
struct _wbWindow {
    GtkWidget* pwinPages = nullptr;
} m_win;

// The chart's least size: a small screen may shrink the window down to it,
// while the window opens as large as the definition asks where there is
// room.
constexpr int MIN_CHART_REQUEST = 240;

void wbOnPrintClicked(GtkButton* pwgtButton, gpointer)
{
    wbPrintLoadSheet(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(pwgtButton))), nullptr, nullptr);
}

// Reads the loading and the setup record from the store, which tells every
// page, and each shows itself from them. Stores nothing.
void wbReadAndShowAll(void)
{
    fleetReadCurrent();
}

// Both pages and the setup record come up from Zarv.conf as at start, but
// the field the pilot is typing in keeps what was typed, to be stored when
// left; bOutside: another program changed it, as the window says.
void wbShowAnew(bool bOutside)
{
    GtkWidget* pwgtFocus = m_win.pwinPages ? gtk_window_get_focus(GTK_WINDOW(m_win.pwinPages)) : nullptr;
    const bool bTyping = pwgtFocus && GTK_IS_ENTRY(pwgtFocus) && mscEntryEdited(pwgtFocus);
    const std::string strTyped = bTyping ? gtk_entry_get_text(GTK_ENTRY(pwgtFocus)) : "";
    const _wbSetup before = m_wbSetup;
    wbReadAndShowAll();
    bool bUnitChanged = false;
    if (bTyping) {
        gtk_entry_set_text(GTK_ENTRY(pwgtFocus), strTyped.c_str());
        mscMarkEdited(pwgtFocus); // even where it reads as the value shown anew
        bUnitChanged = fldHoldTypedUnits(pwgtFocus, before);
    }
    if (bOutside)
        wbSayConfChanged(bUnitChanged);
}

// Told when the school's folder brought aircraft while the window runs.
void wbOnSchoolTaken(void)
{
    wbShowAnew(false);
}

// Told when another program changed Zarv.conf and it was read again: what
// the school published is taken in first, from the folder the file now
// names.
void wbOnConfChanged(void)
{
    wbFollowSchool(m_win.pwinPages, wbOnSchoolTaken);
    wbShowAnew(true);
}

} // namespace

std::vector<_mscBinding> wbDefinition(void)
{
    std::vector<_mscBinding> v;
    for (std::span<const _mscBinding> table : wbTables())
        v.insert(v.end(), table.begin(), table.end());
    return v;
}

const char* wbCheckDefinition(GtkBuilder* pBuilder)
{
    for (std::span<const _mscBinding> table : wbTables())
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

void wbExposeAccessibilityLater(GtkBuilder* pBuilder)
{
    g_idle_add_full(
        G_PRIORITY_LOW,
        [](gpointer p) {
            wbExposeAccessibility(GTK_BUILDER(p));
            return G_SOURCE_REMOVE;
        },
        pBuilder, nullptr);
}

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

void wbInitPages(GtkBuilder* pBuilder)
{
    prmLoadKeyFile();
    wbInitBars(pBuilder);
    wbDressBanners(mscLookUp(pBuilder, "Zarv"));
    wbBuildMenu(pBuilder);
    filClearTemporaries();
    if (GtkWidget* pwgtPrint = mscLookUp(pBuilder, "PrintLoadSheet"); pwgtPrint && GTK_IS_BUTTON(pwgtPrint))
        g_signal_connect(pwgtPrint, "clicked", G_CALLBACK(wbOnPrintClicked), nullptr);
    psetInit(pBuilder);
    pwbInit(pBuilder);
    seatInit(pBuilder);
    // What the school published since the last run, before anything shows.
    wbFollowSchool(mscLookUp(pBuilder, "Zarv"), wbOnSchoolTaken);
    wbReadAndShowAll();
    // Cleared when the window goes, so a change of Zarv.conf told after
    // that finds no window.
    if (m_win.pwinPages)
        g_object_remove_weak_pointer(G_OBJECT(m_win.pwinPages), reinterpret_cast<gpointer*>(&m_win.pwinPages));
    m_win.pwinPages = mscLookUp(pBuilder, "Zarv");
    if (m_win.pwinPages)
        g_object_add_weak_pointer(G_OBJECT(m_win.pwinPages), reinterpret_cast<gpointer*>(&m_win.pwinPages));
    prmWatchKeyFile(wbOnConfChanged);
    wbShowBar(); // what the start met, said at once
    wbDressForTheme(pBuilder);
    wbFitScreen(pBuilder);
    gtk_widget_grab_focus(mscLookUp(pBuilder, "LeftSeatWeight"));
}
