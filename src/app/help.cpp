// The user guide in the desktop's help viewer, and About Zarv.
#include "app/help.h"

#include "app/bars.h"
#include "store/conf/params.h"
#include "store/record/filing.h"
#include "store/school/machine.h"
#include "store/school/school.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

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
                        "to read it (its pages are in share/help/C/zarv where Zarv is installed).");
    wbShowNotice(pszText);
}

namespace
{

// A public key file is a few lines.
constexpr size_t MOST_PUBLIC_KEY = 4096;

// A key's digest, eight groups a line to be read aloud, and its id; "" for
// no key.
std::string keyShown(const char* pszWhose, const std::string& strPublic)
{
    const std::string strDigest = sgnKeyDigest(strPublic);
    const size_t nHalf = strDigest.size() / 2;
    if (strDigest.empty())
        return "";
    return "\n\n" + std::string(pszWhose) + " (SHA-256):\n" + strDigest.substr(0, nHalf) + "\n" +
           strDigest.substr(nHalf + 1) + "\n(minisign id " + sgnKeyIdShown(strPublic) + ")";
}

// The school's keys this machine holds, as a person compares them with
// what the school gave by phone or on paper: the one accepted, and its own
// where it publishes.
std::string keysText(void)
{
    std::string strOwn;
    g_autoptr(GError) pErr = nullptr;
    if (!prmReadFile(wbFileSpec(SCH_PUBLIC_FILE), &strOwn, &pErr, nullptr, MOST_PUBLIC_KEY))
        strOwn.clear();
    return keyShown("The school's key accepted here", prmKeyFile() ? prmGetKeyString(SCH_GROUP, SCH_KEY_KEY) : "") +
           keyShown("The school's key this machine publishes with", strOwn) +
           keyShown("This machine's key, for the school to enrol", mchPublicKey());
}

} // namespace

void wbShowAbout(GtkWindow* pwinMain)
{
    g_autofree gchar* pszComments =
        g_strdup_printf("Weight and balance of a light two-seat helicopter, before every flight.\n\n"
                        "Your settings are kept in Zarv.conf in %s, and every load sheet printed in %s.%s",
                        wbEtcDir().c_str(), filSheetsFolder().c_str(), keysText().c_str());
    const char* pszLogo =
        gtk_icon_theme_has_icon(gtk_icon_theme_get_default(), "org.zarv.Zarv") ? "org.zarv.Zarv" : nullptr;
    gtk_show_about_dialog(pwinMain, "program-name", "Zarv", "version", ZARV_VERSION, "comments", pszComments, "website",
                          ZARV_WEBSITE, "copyright", ZARV_COPYRIGHT, "license-type", GTK_LICENSE_CUSTOM, "license",
                          ZARV_LICENCE, "wrap-license", TRUE, "logo-icon-name", pszLogo, nullptr);
}
