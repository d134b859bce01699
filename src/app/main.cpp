// Zarv's entry point: start-up, the main loop and shutdown, step by step;
// each step before the window is app/startup's.
#include "app/actions.h"
#include "app/bars.h"
#include "app/instance.h"
#include "app/startup.h"
#include "app/verify.h"
#include "app/window.h"
#include "store/conf/params.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "ui/pagWBPage.h"

#include <gtk/gtk.h>

namespace
{

GtkBuilder* m_pBuilder = nullptr;

// Exit status for an etc directory another user could change, as the
// launcher's refusals end.
constexpr int EXIT_ETC_CHANGEABLE = 1;

} // namespace

int main(int argc, char* argv[])
{
    const _wbStart start = wbReadCommandLine(&argc, &argv);
    if (start.nRun == WB_RUN_END)
        return start.nExit;
    if (start.nRun != WB_RUN_WINDOW)
        return wbRunCheck(start, argc, argv);
    // The toolkit takes the launch's startup id out of the environment.
    const std::string strLaunchId = wbLaunchId();
    wbConnectSessionBus();
    gtk_init(&argc, &argv);
    wbLocateEtcDir();
    {
        g_autofree gchar* pszDir = g_get_current_dir();
        g_printerr("%s\n", pszDir);
    }
    if (!wbGuardEtcDir())
        return EXIT_ETC_CHANGEABLE;
    m_pBuilder = gtk_builder_new();
    int fdClaim = -1;
    if (const int nCode = wbLoadDefinition(m_pBuilder)) {
        g_object_unref(m_pBuilder);
        return nCode;
    }
    if (!wbClaimDirectory(strLaunchId, &fdClaim)) {
        g_object_unref(m_pBuilder);
        return 0;
    }
    wbExposeAccessibilityLater(m_pBuilder);
    errPostError("Zarv Started");

    GtkWidget* pwinMain = GTK_WIDGET(gtk_builder_get_object(m_pBuilder, "Zarv"));
    g_signal_connect(pwinMain, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    // The application takes the window before it is first shown; the pages
    // are filled and the window fitted to the screen before too, so it is
    // sized once, for its first frame.
    wbConnectWindow(pwinMain);
    wbInitPages(m_pBuilder);
    vfyInitWindow(m_pBuilder);
    if (fdClaim == -2)
        wbShowStandingWarning("Zarv could not claim this directory for one window (Zarv.lock): a second window on it "
                              "could lose changes made in this one.");
    wbShowFirstWindow(GTK_WINDOW(pwinMain));
    wbNoteWindow(fdClaim, pwinMain);
    wbPresentOnRequest(GTK_WINDOW(pwinMain));

    gtk_main();

    prmCloseKeyFile();
    g_object_unref(m_pBuilder);
    pwbCleanUp();
    errPostError("Zarv Shutdown");
    return 0;
}
