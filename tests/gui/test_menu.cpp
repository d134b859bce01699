// The primary menu: every item's action, About Zarv and the shortcuts
// window, through the real window as the program connects it.
#include "pages.h"

#include "app/actions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{

class Menu : public zt::Pages
{
};

// The model buttons of an open menu, by their text.
void collectItems(GtkWidget* pwgt, std::map<std::string, GtkWidget*>* pItems)
{
    if (g_type_is_a(G_OBJECT_TYPE(pwgt), g_type_from_name("GtkModelButton"))) {
        g_autofree gchar* pszText = nullptr;
        g_object_get(pwgt, "text", &pszText, nullptr);
        (*pItems)[pszText ? pszText : ""] = pwgt;
    }
    if (GTK_IS_CONTAINER(pwgt))
        gtk_container_forall(
            GTK_CONTAINER(pwgt),
            [](GtkWidget* pwgtChild, gpointer p) {
                collectItems(pwgtChild, static_cast<std::map<std::string, GtkWidget*>*>(p));
            },
            pItems);
}

// Each shortcut of the shortcuts window, by its title.
void collectShortcuts(GtkWidget* pwgt, std::map<std::string, std::string>* pShortcuts)
{
    if (GTK_IS_SHORTCUTS_SHORTCUT(pwgt)) {
        g_autofree gchar *pszTitle = nullptr, *pszAccel = nullptr;
        g_object_get(pwgt, "title", &pszTitle, "accelerator", &pszAccel, nullptr);
        (*pShortcuts)[pszTitle ? pszTitle : ""] = pszAccel ? pszAccel : "";
    }
    if (GTK_IS_CONTAINER(pwgt))
        gtk_container_forall(
            GTK_CONTAINER(pwgt),
            [](GtkWidget* pwgtChild, gpointer p) {
                collectShortcuts(pwgtChild, static_cast<std::map<std::string, std::string>*>(p));
            },
            pShortcuts);
}

void collectSections(GtkWidget* pwgt, std::vector<GtkWidget*>* pSections)
{
    if (GTK_IS_SHORTCUTS_SECTION(pwgt))
        pSections->push_back(pwgt);
    else if (GTK_IS_CONTAINER(pwgt))
        gtk_container_forall(
            GTK_CONTAINER(pwgt),
            [](GtkWidget* pwgtChild, gpointer p) {
                collectSections(pwgtChild, static_cast<std::vector<GtkWidget*>*>(p));
            },
            pSections);
}

template <typename T> T* findToplevel(GType nType)
{
    GList* plist = gtk_window_list_toplevels();
    T* pFound = nullptr;
    for (GList* p = plist; p; p = p->next)
        if (g_type_is_a(G_OBJECT_TYPE(p->data), nType) && gtk_widget_get_visible(GTK_WIDGET(p->data)))
            pFound = reinterpret_cast<T*>(p->data);
    g_list_free(plist);
    return pFound;
}

// The version the project's own CMakeLists.txt gives.
std::string projectVersion(void)
{
    const std::vector<std::string> m = zt::reSearch(zt::readFile(std::string(ZARV_SOURCE_DIR) + "/CMakeLists.txt"),
                                                    R"(project\(Zarv VERSION ([0-9.]+))");
    return m.empty() ? "" : m[1];
}

TEST_F(Menu, EveryMenuItemHasItsActionAndAboutShowsTheVersion)
{
    wbConnectWindow(m_pwinMain); // as the program does, once the window is up
    gtk_button_clicked(GTK_BUTTON(w("MainMenu")));
    GtkWidget* pwgtPopover = GTK_WIDGET(gtk_menu_button_get_popover(GTK_MENU_BUTTON(w("MainMenu"))));
    ASSERT_TRUE(pwgtPopover && zt::waitUntil([&] { return gtk_widget_get_mapped(pwgtPopover); }, "the menu to open"));
    std::map<std::string, GtkWidget*> items;
    collectItems(pwgtPopover, &items);
    // Each item of the menu names its action; the button shown for it is
    // sensitive only when that action is there and enabled.
    GMenuModel* pmodel = gtk_menu_button_get_menu_model(GTK_MENU_BUTTON(w("MainMenu")));
    ASSERT_NE(pmodel, nullptr);
    // The open menu shows each of its model's items, and nothing else.
    EXPECT_EQ(items.size(), static_cast<size_t>(g_menu_model_get_n_items(pmodel)));
    std::vector<std::string> labels;
    for (int i = 0; i < g_menu_model_get_n_items(pmodel); i++) {
        g_autofree gchar *pszLabel = nullptr, *pszAction = nullptr;
        ASSERT_TRUE(g_menu_model_get_item_attribute(pmodel, i, G_MENU_ATTRIBUTE_LABEL, "s", &pszLabel));
        ASSERT_TRUE(g_menu_model_get_item_attribute(pmodel, i, G_MENU_ATTRIBUTE_ACTION, "s", &pszAction));
        labels.push_back(pszLabel);
        ASSERT_TRUE(g_str_has_prefix(pszAction, "app.")) << pszAction;
        GActionGroup* pgroup = gtk_widget_get_action_group(w("MainMenu"), "app");
        ASSERT_NE(pgroup, nullptr);
        EXPECT_TRUE(g_action_group_has_action(pgroup, pszAction + 4)) << pszAction;
        EXPECT_TRUE(g_action_group_get_action_enabled(pgroup, pszAction + 4)) << pszAction;
        ASSERT_TRUE(items.count(pszLabel)) << pszLabel;
        EXPECT_TRUE(gtk_widget_is_sensitive(items[pszLabel])) << pszLabel;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"Print load sheet…", "Publish aircraft…", "School…", "Machines…",
                                                "Keyboard Shortcuts", "Help", "About Zarv"}));
    gtk_button_clicked(GTK_BUTTON(items["About Zarv"]));
    GtkAboutDialog* pAbout = nullptr;
    ASSERT_TRUE(zt::waitUntil([&] { return (pAbout = findToplevel<GtkAboutDialog>(GTK_TYPE_ABOUT_DIALOG)); },
                              "About Zarv to open"));
    EXPECT_EQ(gtk_about_dialog_get_version(pAbout), projectVersion());
    EXPECT_FALSE(projectVersion().empty());
    // It says where Zarv.conf and the load sheets are.
    EXPECT_NE(std::string(gtk_about_dialog_get_comments(pAbout)).find(m_dir.path()), std::string::npos);
    gtk_widget_destroy(GTK_WIDGET(pAbout));

    // Ctrl+? shows every shortcut, the window's and each page's.
    key(GDK_KEY_question, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    GtkWidget* pwinShortcuts = nullptr;
    ASSERT_TRUE(zt::waitUntil([&] { return (pwinShortcuts = findToplevel<GtkWidget>(GTK_TYPE_SHORTCUTS_WINDOW)); },
                              "the shortcuts window"));
    std::map<std::string, std::string> shortcuts;
    collectShortcuts(pwinShortcuts, &shortcuts);
    EXPECT_EQ(shortcuts["Print the load sheet"], "<Control>p");
    EXPECT_EQ(shortcuts["Previous field"], "Up");
    EXPECT_EQ(shortcuts["Left seat"], "<Alt>l");
    EXPECT_EQ(shortcuts["Registration"], "<Alt>o");
    // One key to one field on each page, its tabs' keys among them.
    std::vector<GtkWidget*> sections;
    collectSections(pwinShortcuts, &sections);
    EXPECT_EQ(sections.size(), 3u);
    // Each section shown once lays out its columns; the window then has room
    // for the largest, and fits a 1024 x 600 screen with its frame.
    for (GtkWidget* pwgtSection : sections) {
        g_autofree gchar* pszName = nullptr;
        g_object_get(pwgtSection, "section-name", &pszName, nullptr);
        g_object_set(pwinShortcuts, "section-name", pszName, nullptr);
        ASSERT_TRUE(zt::waitUntil([&] { return gtk_widget_get_mapped(pwgtSection); }, pszName));
    }
    GtkRequisition size;
    gtk_widget_get_preferred_size(pwinShortcuts, nullptr, &size);
    ASSERT_TRUE(zt::waitUntil(
        [&] {
            return gtk_widget_get_allocated_width(pwinShortcuts) == size.width &&
                   gtk_widget_get_allocated_height(pwinShortcuts) == size.height;
        },
        "the shortcuts window to take its size"));
    EXPECT_LE(size.width, 1000);
    EXPECT_LE(size.height, 560);
    for (GtkWidget* pwgtSection : sections) {
        std::map<std::string, std::string> keys, taken;
        collectShortcuts(pwgtSection, &keys);
        for (const auto& [strTitle, strAccel] : keys) {
            if (g_str_has_prefix(strAccel.c_str(), "<Alt>")) {
                EXPECT_TRUE(taken.emplace(strAccel, strTitle).second)
                    << strAccel << ": " << taken[strAccel] << " and " << strTitle;
            }
        }
    }
}

} // namespace
