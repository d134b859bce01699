// The page fixture: the real Zarv.ui, bound and filled as at start-up.
#include "pages.h"

#include "app/window.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "sys/paths.h"
#include "ui/pagSetupPage.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <clocale>

namespace zt
{

void Pages::SetUp()
{
    ZT_NEED_DISPLAY();
    prmReset();
    wbSetEtcDir(m_dir.path());
    if (!initialConf().empty())
        writeFile(m_dir / "Zarv.conf", initialConf());
    m_pBuilder = gtk_builder_new_from_file(uiFile().c_str());
    m_pwinMain = w("Zarv");
    wbInitPages(m_pBuilder);
    ASSERT_TRUE(presentAndFocus(m_pwinMain)) << "the window never got the keyboard focus";
}

void Pages::TearDown()
{
    if (m_pwinMain)
        gtk_widget_destroy(m_pwinMain);
    if (m_pBuilder)
        g_object_unref(m_pBuilder);
    spin();
    prmReset();
}

GtkWidget* Pages::w(const char* pszId) const
{
    GObject* pobj = gtk_builder_get_object(m_pBuilder, pszId);
    EXPECT_NE(pobj, nullptr) << pszId;
    return GTK_WIDGET(pobj);
}

std::string Pages::text(const char* pszId) const
{
    GtkWidget* pwgt = w(pszId);
    if (GTK_IS_ENTRY(pwgt))
        return gtk_entry_get_text(GTK_ENTRY(pwgt));
    return gtk_label_get_text(GTK_LABEL(pwgt));
}

void Pages::focus(const char* pszId)
{
    GtkWidget* pwgt = w(pszId);
    // The field must be on the current page to take the focus.
    GtkWidget* pwgtPage = pwgt;
    while (pwgtPage && !GTK_IS_NOTEBOOK(gtk_widget_get_parent(pwgtPage)))
        pwgtPage = gtk_widget_get_parent(pwgtPage);
    if (pwgtPage) {
        GtkNotebook* pnb = GTK_NOTEBOOK(gtk_widget_get_parent(pwgtPage));
        gtk_notebook_set_current_page(pnb, gtk_notebook_page_num(pnb, pwgtPage));
    }
    gtk_widget_grab_focus(pwgt);
    waitUntil([&] { return hasFocus(pszId); }, std::string(pszId) + " to take the focus");
}

bool Pages::hasFocus(const char* pszId) const
{
    // The window's own focus widget: gtk_widget_has_focus also asks for the
    // X input focus, which a bare X server now and then takes away.
    // A list takes the focus in its button.
    GtkWidget* pwgtFocus = gtk_window_get_focus(GTK_WINDOW(m_pwinMain));
    return pwgtFocus && (pwgtFocus == w(pszId) || gtk_widget_is_ancestor(pwgtFocus, w(pszId)));
}

void Pages::type(const char* pszId, const char* pszText)
{
    focus(pszId);
    // Tests write numbers with a point; a pilot types the locale's mark.
    std::string strText = pszText;
    if (const auto nAt = strText.find('.'); nAt != std::string::npos)
        strText.replace(nAt, 1, localeconv()->decimal_point);
    gtk_entry_set_text(GTK_ENTRY(w(pszId)), strText.c_str());
}

void Pages::key(guint nKeyval, GdkModifierType nState)
{
    sendKey(m_pwinMain, nKeyval, nState);
}

bool Pages::active(const char* pszId) const
{
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w(pszId)));
}

void Pages::click(const char* pszId)
{
    gtk_button_clicked(GTK_BUTTON(w(pszId)));
    spin();
}

std::string Pages::conf() const
{
    return readFile(m_dir / "Zarv.conf");
}

namespace
{

GKeyFile* loadConf(const std::string& strPath)
{
    GKeyFile* pkf = g_key_file_new();
    g_key_file_load_from_file(pkf, strPath.c_str(), G_KEY_FILE_NONE, nullptr);
    return pkf;
}

} // namespace

double Pages::confDouble(const char* pszGroup, const char* pszKey) const
{
    g_autoptr(GKeyFile) pkf = loadConf(m_dir / "Zarv.conf");
    return g_key_file_get_double(pkf, pszGroup, pszKey, nullptr);
}

int Pages::confInt(const char* pszGroup, const char* pszKey) const
{
    g_autoptr(GKeyFile) pkf = loadConf(m_dir / "Zarv.conf");
    return g_key_file_get_integer(pkf, pszGroup, pszKey, nullptr);
}

bool Pages::confHas(const char* pszGroup, const char* pszKey) const
{
    g_autoptr(GKeyFile) pkf = loadConf(m_dir / "Zarv.conf");
    return g_key_file_has_key(pkf, pszGroup, pszKey, nullptr);
}

std::string Pages::num(const char* pszFormat, double nValue)
{
    g_autofree gchar* psz = g_strdup_printf(pszFormat, nValue);
    return psz;
}

} // namespace zt
