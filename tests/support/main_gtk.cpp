// Test runner for the layers that need a display. It sets the environment
// every test runs in (no desktop settings, a fixed theme and scale, the
// sanitizers' options for the programs it starts), then initialises GTK as
// the program does, which sets the process locale from the environment.
//   --locale=NAME       run under that locale (LC_ALL)
//   --require-display   fail, rather than skip, a test that needs a display
//   --session-bus       let the programs started reach the session bus (one
//                       of the test's own); without it they find none, so a
//                       desktop's bus never decides how a second start goes
//   --theme=NAME        run under that GTK theme (GTK_THEME) instead of Adwaita
// HOME and the XDG folders are a temporary directory of the run's own.
#include "exit_bound.h"
#include "sanitizers.h"
#include "support.h"

#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace zt
{
void setHaveDisplay(bool b);
}

namespace
{

// The leak suppressions for the programs the tests start, in a file every
// user may read: a test starts the program as another user too, and the
// checkout may be a directory only its owner can enter.
std::string writeSuppressions(void)
{
    g_autofree gchar* pszDir = g_dir_make_tmp("zarv-lsan-XXXXXX", nullptr);
    if (!pszDir)
        return {};
    g_chmod(pszDir, 0755);
    const std::string strFile = std::string(pszDir) + "/lsan.supp";
    if (!g_file_set_contents(strFile.c_str(), zt::LSAN_SUPPRESSIONS, -1, nullptr))
        return {};
    g_chmod(strFile.c_str(), 0644);
    return strFile;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (const char* psz : {"GSETTINGS_BACKEND=memory", "GDK_SCALE=1", "GTK_THEME=Adwaita", "NO_AT_BRIDGE=1",
                            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"}) {
        const char* pszEq = strchr(psz, '=');
        g_setenv(std::string(psz, pszEq).c_str(), pszEq + 1, TRUE);
    }
    if (!std::count_if(argv, argv + argc, [](const char* psz) { return strcmp(psz, "--session-bus") == 0; }))
        g_setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/zarv-no-session-bus", TRUE);
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], "--locale=", 9) == 0)
            g_setenv("LC_ALL", argv[i] + 9, TRUE);
        else if (strncmp(argv[i], "--theme=", 8) == 0)
            g_setenv("GTK_THEME", argv[i] + 8, TRUE);
        else if (strcmp(argv[i], "--require-display") == 0)
            g_setenv("ZARV_REQUIRE_DISPLAY", "1", TRUE);
    }
    const std::string strSuppressions = writeSuppressions();
    if (!strSuppressions.empty())
        g_setenv("LSAN_OPTIONS", ("suppressions=" + strSuppressions + ":print_suppressions=0").c_str(), TRUE);

    // A home of the test's own, read by GLib once: what a dialog offers as
    // the documents folder or home is never the user's.
    const zt::TempDir home;
    g_chmod(home.path().c_str(), 0755);
    g_setenv("HOME", home.path().c_str(), TRUE);
    g_setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), TRUE);
    g_setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), TRUE);

    gdk_disable_multidevice();
    zt::setHaveDisplay(gtk_init_check(&argc, &argv));
    const int nStatus = RUN_ALL_TESTS();
    zt::boundExit();

    if (!strSuppressions.empty()) {
        g_unlink(strSuppressions.c_str());
        g_autofree gchar* pszDir = g_path_get_dirname(strSuppressions.c_str());
        g_rmdir(pszDir);
    }
    return nStatus;
}
