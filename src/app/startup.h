// The steps of a start before its window: the command line, the checks run
// instead of a window, the guard on the etc directory, the window
// definition, and the one window per etc directory; and what a start says
// where it has no window to say it in.
#pragma once

#include "app/rostercmd.h"

#include <gtk/gtk.h>

#include <string>

// What the command line asks for.
enum _wbRun {
    WB_RUN_WINDOW,        // the window
    WB_RUN_VERIFY,        // --verify [ETC_DIR]
    WB_RUN_VERIFY_RECORD, // --verify-record [ETC_DIR]
    WB_RUN_PUBLISH,       // --publish DIR [ETC_DIR]
    WB_RUN_PUBLISHED,     // --published [ETC_DIR]
    WB_RUN_MACHINES,      // --machines, --enrol DIGEST or --revoke DIGEST [ETC_DIR]
    WB_RUN_ROSTER,        // --roster, --roster-add PUBFILE … or --roster-revoke DIGEST [ETC_DIR]
    WB_RUN_END,           // nothing more: the version printed, or a bad command line
};

struct _wbStart {
    _wbRun nRun;
    int nExit = 0;                   // the exit status, where nRun is WB_RUN_END
    std::string strPublishDir;       // where --publish writes
    std::string strEnrol, strRevoke; // the digest --enrol or --revoke names
    _wbRosterChange roster;          // what --roster-add or --roster-revoke asks for
};

// Reads the command line, taking the toolkit's options out of it: asking for
// the version or the help reads and writes nothing, and an option Zarv does
// not know ends the start.
_wbStart wbReadCommandLine(int* pargc, char*** pargv);

// Runs the check the command line asked for on its etc directory (argv[1],
// else the one Zarv would use) and returns its exit status.
int wbRunCheck(const _wbStart& start, int argc, char* argv[]);

// Refuses an etc directory another user could change, saying why on
// standard error and in a window; otherwise holds it by its real path from
// now on. False where the start ends.
bool wbGuardEtcDir(void);

// Loads Zarv.ui into pBuilder and checks that it holds every object the
// program looks up. Returns 0, or the exit status of a start that ends (the
// builder's error code; the log has why).
int wbLoadDefinition(GtkBuilder* pBuilder);

// One window edits one etc directory: a second start brings the first
// window to the front and ends, so no window writes back values that
// another changed meanwhile. False where this start ends; otherwise
// *pfdClaim is the claim on the directory (-2 where it could not be made,
// which the window then says).
bool wbClaimDirectory(const std::string& strLaunchId, int* pfdClaim);

// Notes in the claim the window's id, for a later start to raise it, and
// the display it is shown on, for one that cannot.
void wbNoteWindow(int fdClaim, GtkWidget* pwinMain);

// Tells the user something in a message dialog of its own, where there is no
// main window to show it in, and waits until it is closed.
void wbTellAndWait(const char* pszText, const char* pszDetail);
