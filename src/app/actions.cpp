// The window's actions, each once in one table with its shortcuts, its line
// in the shortcuts window and its place in the primary menu; the menu, the
// keys and the shortcuts window's first group are all made from it.
#include "app/actions.h"

#include "app/help.h"
#include "app/instance.h"
#include "app/machineswin.h"
#include "app/schoolwin.h"
#include "app/shortcuts.h"
#include "ui/misc.h"

#include <array>
#include <vector>

namespace
{

// Where the window keeps its primary menu button, for F10.
constexpr const char* MAIN_MENU_KEY = "zarv-main-menu";

// The actions' targets are the main window.
void wbOnPrintAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbPrintLoadSheet(GTK_WINDOW(pwinMain), nullptr, nullptr);
}

void wbOnPublishAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbPublishAircraft(GTK_WINDOW(pwinMain));
}

void wbOnSchoolAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbChooseSchool(GTK_WINDOW(pwinMain));
}

void wbOnMachinesAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowMachines(GTK_WINDOW(pwinMain));
}

void wbOnQuitAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    gtk_window_close(GTK_WINDOW(pwinMain));
}

void wbOnShortcutsAction(GSimpleAction*, GVariant*, gpointer pwinMain);

void wbOnHelpAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowHelp(GTK_WINDOW(pwinMain));
}

void wbOnAboutAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    wbShowAbout(GTK_WINDOW(pwinMain));
}

void wbOnMenuAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    if (gpointer pwgtMenu = g_object_get_data(G_OBJECT(pwinMain), MAIN_MENU_KEY))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtMenu), TRUE);
}

// Every action of the window with its shortcuts, its line in the shortcuts
// window (in the order the window lists them) and its place in the primary
// menu (from 1, in the order GNOME's applications have it; 0 for none). A
// new action is one more line.
struct _wbAction {
    const char* pszName;
    void (*pfuncActivate)(GSimpleAction*, GVariant*, gpointer);
    std::array<const char*, 2> accels;
    const char* pszShortcut;
    const char* pszMenuItem;
    int nMenuPlace;
};
constexpr std::array<_wbAction, 9> m_actions = {{
    {"print", wbOnPrintAction, {"<Control>p", nullptr}, "Print the load sheet", "Print load sheet…", 1},
    {"publish", wbOnPublishAction, {nullptr, nullptr}, nullptr, "Publish aircraft…", 2},
    {"school", wbOnSchoolAction, {nullptr, nullptr}, nullptr, "School…", 3},
    {"machines", wbOnMachinesAction, {nullptr, nullptr}, nullptr, "Machines…", 4},
    {"quit", wbOnQuitAction, {"<Control>q", "<Control>w"}, "Close, keeping what you typed", nullptr, 0},
    {"menu", wbOnMenuAction, {"F10", nullptr}, "Open the menu", nullptr, 0},
    {"help", wbOnHelpAction, {"F1", nullptr}, "Help", "Help", 6},
    {"shortcuts", wbOnShortcutsAction, {"<Control>question", nullptr}, "Keyboard shortcuts", "Keyboard Shortcuts", 5},
    {"about", wbOnAboutAction, {nullptr, nullptr}, nullptr, "About Zarv", 7},
}};

void wbOnShortcutsAction(GSimpleAction*, GVariant*, gpointer pwinMain)
{
    std::vector<_wbShortcut> keys;
    for (const _wbAction& a : m_actions) {
        if (!a.pszShortcut)
            continue;
        std::string strAccel;
        for (const char* pszAccel : a.accels)
            if (pszAccel)
                strAccel += (strAccel.empty() ? "" : " ") + std::string(pszAccel);
        keys.push_back({strAccel, a.pszShortcut});
    }
    wbShowShortcuts(GTK_WINDOW(pwinMain), keys);
}

gboolean wbOnActionKey(GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer pAction)
{
    g_action_activate(G_ACTION(pAction), nullptr);
    return TRUE;
}

// A close commits the field being edited first.
gboolean wbOnDeleteEvent(GtkWidget* pwinMain, GdkEvent*, gpointer)
{
    mscLeaveField(GTK_WINDOW(pwinMain));
    return FALSE; // and the window goes as it always did
}

} // namespace

void wbConnectWindow(GtkWidget* pwinMain)
{
    g_signal_connect(pwinMain, "delete-event", G_CALLBACK(wbOnDeleteEvent), nullptr);
    // Where this start holds its directory's name on the session bus, the
    // window is the application's, which then lives as long as it.
    if (GtkApplication* papp = wbRegisteredApp())
        gtk_application_add_window(papp, GTK_WINDOW(pwinMain));
    // The actions live in a group of the window's own under "app", with or
    // without a registered application: an application takes a window only
    // once it is registered, and registering connects to the session bus,
    // which a start without one must not start. The group, put in after the
    // application's, is the one the menu and the keys reach; each key
    // activates its action.
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

void wbBuildMenu(GtkBuilder* pBuilder)
{
    GtkWidget* pwgtMenu = mscLookUp(pBuilder, "MainMenu");
    if (!GTK_IS_MENU_BUTTON(pwgtMenu))
        return;
    g_autoptr(GMenu) pmenu = g_menu_new();
    for (int nPlace = 1; nPlace <= int(m_actions.size()); nPlace++)
        for (const _wbAction& a : m_actions)
            if (a.nMenuPlace == nPlace) {
                const std::string strAction = std::string("app.") + a.pszName;
                g_menu_append(pmenu, a.pszMenuItem, strAction.c_str());
            }
    gtk_menu_button_set_menu_model(GTK_MENU_BUTTON(pwgtMenu), G_MENU_MODEL(pmenu));
    g_object_set_data(G_OBJECT(gtk_widget_get_toplevel(pwgtMenu)), MAIN_MENU_KEY, pwgtMenu);
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
