// The user guide in the desktop's help viewer, and About Zarv.
#include "app/help.h"

#include "app/bars.h"
#include "store/filing.h"
#include "sys/errlog.h"
#include "sys/paths.h"

#include "zarvAbout.h"

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
