// The keyboard shortcuts window, made from what it lists: the window's
// actions, the pages' walk through the fields, and the underlined letter of
// every caption, read from the window itself.
#include "app/shortcuts.h"

#include <algorithm>
#include <array>
#include <utility>

namespace
{

// The shortcuts window must fit a 1024 x 600 screen. A section puts each
// group in a column of its own once the column would pass its max-height
// (in lines: a group's title and each of its shortcuts), two columns to a
// page, further pages behind the buttons at its foot; a group itself is
// never split. So no group has more shortcuts than a column holds, a
// section's max-height is one full group, and the titles are short enough
// for two columns side by side.
constexpr guint SHORTCUTS_PER_COLUMN = 7;

// Up, Down and Return walk the fields and belong to the pages.
constexpr std::array<std::pair<const char*, const char*>, 3> m_fieldKeys = {{
    {"Down Return", "Next field, saving what you typed"},
    {"Up", "Previous field"},
    {"Tab <Shift>Tab", "Next or previous control"},
}};

// Where the main window keeps its shortcuts window, once made.
constexpr const char* SHORTCUTS_WINDOW_KEY = "zarv-shortcuts-window";

// The notebook that holds the pages.
GtkWidget* wbFindNotebook(GtkWidget* pwgt)
{
    if (GTK_IS_NOTEBOOK(pwgt))
        return pwgt;
    if (!GTK_IS_CONTAINER(pwgt))
        return nullptr;
    GtkWidget* pwgtFound = nullptr;
    GList* plist = gtk_container_get_children(GTK_CONTAINER(pwgt));
    for (GList* p = plist; p && !pwgtFound; p = p->next)
        pwgtFound = wbFindNotebook(GTK_WIDGET(p->data));
    g_list_free(plist);
    return pwgtFound;
}

// Every label with a mnemonic within pwgt, in the order of the page.
void wbCollectMnemonics(GtkWidget* pwgt, std::vector<GtkLabel*>* pLabels)
{
    if (GTK_IS_LABEL(pwgt) && gtk_label_get_mnemonic_keyval(GTK_LABEL(pwgt)) != GDK_KEY_VoidSymbol)
        pLabels->push_back(GTK_LABEL(pwgt));
    if (!GTK_IS_CONTAINER(pwgt))
        return;
    GList* plist = gtk_container_get_children(GTK_CONTAINER(pwgt));
    for (GList* p = plist; p; p = p->next)
        wbCollectMnemonics(GTK_WIDGET(p->data), pLabels);
    g_list_free(plist);
}

GtkWidget* wbShortcutsSection(const char* pszName, const char* pszTitle)
{
    return GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_SECTION, "section-name", pszName, "title", pszTitle, "max-height",
                                   SHORTCUTS_PER_COLUMN + 1, "visible", TRUE, nullptr));
}

GtkWidget* wbShortcutsGroup(GtkWidget* pwgtSection, const char* pszTitle)
{
    GtkWidget* pwgtGroup =
        GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_GROUP, "title", pszTitle, "visible", TRUE, nullptr));
    gtk_container_add(GTK_CONTAINER(pwgtSection), pwgtGroup);
    return pwgtGroup;
}

void wbAddShortcut(GtkWidget* pwgtGroup, const char* pszAccel, const char* pszTitle)
{
    gtk_container_add(GTK_CONTAINER(pwgtGroup),
                      GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_SHORTCUT, "accelerator", pszAccel, "title", pszTitle,
                                              "visible", TRUE, nullptr)));
}

// Shortcuts under one title, in as few groups as the columns need, evenly
// filled: the first group has the title, the others say they go on.
void wbAddShortcutGroups(GtkWidget* pwgtSection, const std::string& strTitle,
                         const std::vector<std::pair<std::string, std::string>>& shortcuts)
{
    const size_t nGroups = (shortcuts.size() + SHORTCUTS_PER_COLUMN - 1) / SHORTCUTS_PER_COLUMN;
    for (size_t g = 0, i = 0; g < nGroups; g++) {
        const std::string strGroup = g == 0 ? strTitle : strTitle + ", continued";
        GtkWidget* pwgtGroup = wbShortcutsGroup(pwgtSection, strGroup.c_str());
        // The groups before take their share, the rest is the others'.
        for (const size_t nEnd = shortcuts.size() * (g + 1) / nGroups; i < nEnd; i++)
            wbAddShortcut(pwgtGroup, shortcuts[i].first.c_str(), shortcuts[i].second.c_str());
    }
}

// A page's mnemonics, its tab's first, then in the order the page shows
// them: by rows, then from the left.
std::vector<std::pair<std::string, std::string>> wbPageMnemonics(GtkWidget* pwgtPage, GtkWidget* pwgtTab)
{
    std::vector<GtkLabel*> labels;
    wbCollectMnemonics(pwgtPage, &labels);
    auto place = [pwgtPage](GtkLabel* plabel) {
        int x = 0, y = 0;
        gtk_widget_translate_coordinates(GTK_WIDGET(plabel), pwgtPage, 0, 0, &x, &y);
        return std::pair(y / 8, x);
    };
    std::stable_sort(labels.begin(), labels.end(), [&](GtkLabel* a, GtkLabel* b) { return place(a) < place(b); });
    std::vector<GtkLabel*> tab;
    if (pwgtTab)
        wbCollectMnemonics(pwgtTab, &tab);
    labels.insert(labels.begin(), tab.begin(), tab.end());
    std::vector<std::pair<std::string, std::string>> shortcuts;
    for (GtkLabel* plabel : labels) {
        g_autofree gchar* pszAccel = gtk_accelerator_name(gtk_label_get_mnemonic_keyval(plabel), GDK_MOD1_MASK);
        const bool bTab = GTK_WIDGET(plabel) == pwgtTab;
        shortcuts.emplace_back(pszAccel, bTab ? std::string("Show the page ") + gtk_label_get_text(plabel)
                                              : std::string(gtk_label_get_text(plabel)));
    }
    return shortcuts;
}

// Each page's mnemonics, a section of its own beside pwgtSection: the
// underlined letter of every caption, read from the window itself, so the
// list is the window's whatever its definition.
void wbAddPageShortcuts(GtkWidget* pwgtSection, GtkWidget* pwgtNotebook)
{
    for (int i = 0; i < gtk_notebook_get_n_pages(GTK_NOTEBOOK(pwgtNotebook)); i++) {
        GtkWidget* pwgtPage = gtk_notebook_get_nth_page(GTK_NOTEBOOK(pwgtNotebook), i);
        GtkWidget* pwgtTab = gtk_notebook_get_tab_label(GTK_NOTEBOOK(pwgtNotebook), pwgtPage);
        const char* pszPage = GTK_IS_LABEL(pwgtTab) ? gtk_label_get_text(GTK_LABEL(pwgtTab)) : "Page";
        GtkWidget* pwgtPageSection = wbShortcutsSection(pszPage, pszPage);
        gtk_container_add(GTK_CONTAINER(gtk_widget_get_toplevel(pwgtSection)), pwgtPageSection);
        wbAddShortcutGroups(pwgtPageSection, pszPage, wbPageMnemonics(pwgtPage, pwgtTab));
    }
}

GtkWidget* wbMakeShortcutsWindow(GtkWindow* pwinMain, const std::vector<_wbShortcut>& windowKeys)
{
    GtkWidget* pwinShortcuts = GTK_WIDGET(g_object_new(GTK_TYPE_SHORTCUTS_WINDOW, "modal", TRUE, "transient-for",
                                                       pwinMain, "destroy-with-parent", TRUE, nullptr));
    GtkWidget* pwgtSection = wbShortcutsSection("shortcuts", "The window and its fields");
    gtk_container_add(GTK_CONTAINER(pwinShortcuts), pwgtSection);
    GtkWidget* pwgtGroup = wbShortcutsGroup(pwgtSection, "The window");
    for (const _wbShortcut& s : windowKeys)
        wbAddShortcut(pwgtGroup, s.strAccel.c_str(), s.pszTitle);
    pwgtGroup = wbShortcutsGroup(pwgtSection, "Fields, on both pages");
    for (const auto& [pszAccel, pszTitle] : m_fieldKeys)
        wbAddShortcut(pwgtGroup, pszAccel, pszTitle);
    if (GtkWidget* pwgtNotebook = wbFindNotebook(GTK_WIDGET(pwinMain)))
        wbAddPageShortcuts(pwgtSection, pwgtNotebook);
    return pwinShortcuts;
}

void wbOnShortcutsDestroy(GtkWidget*, gpointer pwinMain)
{
    g_object_set_data(G_OBJECT(pwinMain), SHORTCUTS_WINDOW_KEY, nullptr);
}

} // namespace

void wbShowShortcuts(GtkWindow* pwinMain, const std::vector<_wbShortcut>& windowKeys)
{
    auto* pwinShortcuts = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(pwinMain), SHORTCUTS_WINDOW_KEY));
    if (!pwinShortcuts) {
        pwinShortcuts = wbMakeShortcutsWindow(pwinMain, windowKeys);
        g_object_set_data(G_OBJECT(pwinMain), SHORTCUTS_WINDOW_KEY, pwinShortcuts);
        g_signal_connect_object(pwinShortcuts, "destroy", G_CALLBACK(wbOnShortcutsDestroy), pwinMain, GConnectFlags(0));
    }
    gtk_window_present(GTK_WINDOW(pwinShortcuts));
}
