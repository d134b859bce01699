// The start before the window: the command line and the checks it runs
// instead, the etc directory's guard, the definition's load and check, and
// the claim on the directory that keeps one window on it.
#include "app/startup.h"

#include "app/instance.h"
#include "app/machines.h"
#include "app/publish.h"
#include "app/raise.h"
#include "app/rostercmd.h"
#include "app/verify.h"
#include "app/window.h"
#include "model/texts.h"
#include "store/record/audit.h"
#include "sys/errlog.h"
#include "sys/paths.h"

namespace
{

// Exit status for a definition that loads but lacks an object the program
// needs: the builder has no error code for it.
constexpr int EXIT_INCOMPLETE_DEFINITION = 1;
// What a check (--verify, --verify-record) cannot read it does not judge.
constexpr int EXIT_CHECK_UNREADABLE = 2;
// Exit status for an option Zarv does not know: the system's usage error,
// apart from every error code a window definition can give.
constexpr int EXIT_BAD_COMMAND_LINE = 64;
constexpr const char* ETC_REFUSED_DETAIL =
    "Another user could put settings of their own in the place of yours, or have yours written where they can read "
    "them. Start Zarv in a directory only you (or root) can change.";

// Says that another start holds the directory, where: the holder noted its
// display after its window's id. Brings its window forward where it can.
void wbYieldToHolder(const _wbHolder& holder)
{
    const bool bRaised = wbRaiseNotedWindow(holder.strNote, holder.nPid);
    const std::string::size_type nSpace = holder.strNote.find(' ');
    std::string strWhere;
    if (nSpace != std::string::npos)
        strWhere = "display " + holder.strNote.substr(nSpace + 1);
    if (!strWhere.empty() && holder.nPid > 0)
        strWhere += ", process " + std::to_string(holder.nPid);
    if (bRaised)
        errPostError("Zarv is already open in this directory\nits window was brought to the front");
    else if (strWhere.empty())
        errPostError("Zarv is already open in this directory\nthis start ends");
    else
        errPostError(
            ("Zarv is already open in this directory\nits window is on " + strWhere + "\nthis start ends").c_str());
    // Where its window cannot be found (another session, no X11), the
    // pilot is told rather than left with a start that did nothing.
    if (!bRaised && strWhere.empty())
        wbTellAndWait("Zarv is already open in this directory",
                      "Its window could not be brought to the front: it may be on another screen or in another "
                      "session. Close it there before starting Zarv here.");
    else if (!bRaised)
        wbTellAndWait(("Zarv is already open in this directory, on " + strWhere).c_str(),
                      "Its window could not be brought to the front from here. Close it there before starting "
                      "Zarv here.");
    // This start shows no window that would end its launch feedback. The
    // round trip makes sure the X server has the message before the
    // process ends: one sent just before is sometimes lost.
    gdk_notify_startup_complete();
    gdk_display_sync(gdk_display_get_default());
}

// What a check prints, one line a call: names and texts it found in files
// are shown as they are, but never as a control a terminal would obey nor
// a line of their own, so none can forge or erase another line.
void wbPrintEscaped(FILE* pf, const gchar* psz)
{
    std::string_view text(psz);
    const bool bLine = !text.empty() && text.back() == '\n';
    if (bLine)
        text.remove_suffix(1);
    const std::string str = txtEscaped(text) + (bLine ? "\n" : "");
    fwrite(str.data(), 1, str.size(), pf);
    fflush(pf);
}

void wbOnPrint(const gchar* psz)
{
    wbPrintEscaped(stdout, psz);
}

void wbOnPrintError(const gchar* psz)
{
    wbPrintEscaped(stderr, psz);
}

} // namespace

_wbStart wbReadCommandLine(int* pargc, char*** pargv)
{
    gboolean bVersion = FALSE, bVerify = FALSE, bVerifyRecord = FALSE, bPublished = FALSE, bMachines = FALSE;
    g_autofree gchar* pszPublishDir = nullptr;
    g_autofree gchar* pszEnrol = nullptr;
    g_autofree gchar* pszRevoke = nullptr;
    gboolean bRoster = FALSE;
    g_autofree gchar *pszRosterAdd = nullptr, *pszRosterRevoke = nullptr, *pszName = nullptr, *pszRole = nullptr,
                     *pszDigest = nullptr, *pszFrom = nullptr, *pszTo = nullptr;
    const GOptionEntry entries[] = {
        {"version", 0, 0, G_OPTION_ARG_NONE, &bVersion, "Print Zarv's version and end", nullptr},
        {"verify", 0, 0, G_OPTION_ARG_NONE, &bVerify,
         "Check the calculation against the reference loadings (and the etc directory's Verification/Cases; "
         "zarv --verify [ETC_DIR]), keep a report in its Verification folder and end",
         nullptr},
        {"verify-record", 0, 0, G_OPTION_ARG_NONE, &bVerifyRecord,
         "Check every load sheet of the record in ETC_DIR (else the etc directory Zarv would use) against a fresh "
         "calculation, and end",
         nullptr},
        {"publish", 0, 0, G_OPTION_ARG_FILENAME, &pszPublishDir,
         "Sign every aircraft under change control of ETC_DIR's fleet (else the etc directory Zarv would use) with "
         "the school's key and write it into DIR for the pilots' machines, and end",
         "DIR"},
        {"published", 0, 0, G_OPTION_ARG_NONE, &bPublished,
         "Judge the school's published aircraft as the window would take them in (ETC_DIR's [School] Published), "
         "and end",
         nullptr},
        {"machines", 0, 0, G_OPTION_ARG_NONE, &bMachines,
         "List the machines the school enrolled and those asking to join in ETC_DIR's shared folder of sheets, with "
         "each key's digest, and end",
         nullptr},
        {"enrol", 0, 0, G_OPTION_ARG_STRING, &pszEnrol,
         "Enrol the machine asking to join whose key has this whole digest (its pilot reads it to you), and end",
         "DIGEST"},
        {"revoke", 0, 0, G_OPTION_ARG_STRING, &pszRevoke,
         "Revoke the enrolled machine whose key has this whole digest: its records after the last now filed no "
         "longer stand, and end",
         "DIGEST"},
        {"roster", 0, 0, G_OPTION_ARG_NONE, &bRoster,
         "List the people and keys of the school's roster in ETC_DIR, with each key's digest, and end", nullptr},
        {"roster-add", 0, 0, G_OPTION_ARG_FILENAME, &pszRosterAdd,
         "Add the person's key of this public key file to the school's roster (with --name, --role pilot, "
         "instructor or student, --digest as its holder reads it to you, and --from and --to where it stands "
         "other than from now until revoked), publish the roster, and end",
         "PUBFILE"},
        {"name", 0, 0, G_OPTION_ARG_STRING, &pszName, "With --roster-add: the person's name", "NAME"},
        {"role", 0, 0, G_OPTION_ARG_STRING, &pszRole, "With --roster-add: pilot, instructor or student", "ROLE"},
        {"digest", 0, 0, G_OPTION_ARG_STRING, &pszDigest, "With --roster-add: the key's whole digest", "DIGEST"},
        {"from", 0, 0, G_OPTION_ARG_STRING, &pszFrom,
         "With --roster-add: the UTC time the key stands from (2026-12-01T00:00:00Z)", "TIME"},
        {"to", 0, 0, G_OPTION_ARG_STRING, &pszTo, "With --roster-add: the UTC time the key stands to", "TIME"},
        {"roster-revoke", 0, 0, G_OPTION_ARG_STRING, &pszRosterRevoke,
         "Revoke the key on the school's roster with this whole digest from now (what it accepted before stands), "
         "publish the roster, and end",
         "DIGEST"},
        {}};
    g_autoptr(GOptionContext) pctx = g_option_context_new(nullptr);
    g_option_context_set_summary(pctx, "Weight and balance of a light two-seat helicopter. Zarv keeps its settings "
                                       "in the etc directory that belongs to its working directory.");
    g_option_context_add_main_entries(pctx, entries, nullptr);
    g_option_context_add_group(pctx, gtk_get_option_group(FALSE));
    g_autoptr(GError) pErr = nullptr;
    if (!g_option_context_parse(pctx, pargc, pargv, &pErr)) {
        g_printerr("zarv: %s\nTry \"zarv --help\".\n", pErr->message);
        return {WB_RUN_END, EXIT_BAD_COMMAND_LINE, {}, {}, {}, {}};
    }
    if (bVersion) {
        g_print("zarv %s\n", ZARV_VERSION);
        return {WB_RUN_END, 0, {}, {}, {}, {}};
    }
    const bool bMachineRun = bMachines || pszEnrol || pszRevoke;
    const bool bRosterRun = bRoster || pszRosterAdd || pszRosterRevoke;
    const int nAsked = (bVerify ? 1 : 0) + (bVerifyRecord ? 1 : 0) + (pszPublishDir ? 1 : 0) + (bPublished ? 1 : 0) +
                       (bMachines ? 1 : 0) + (pszEnrol ? 1 : 0) + (pszRevoke ? 1 : 0) + (bRoster ? 1 : 0) +
                       (pszRosterAdd ? 1 : 0) + (pszRosterRevoke ? 1 : 0);
    if (nAsked > 1) {
        g_printerr("zarv: --verify, --verify-record, --publish, --published, --machines, --enrol, --revoke, "
                   "--roster, --roster-add and --roster-revoke are each a run of their own: ask for one at a "
                   "time\nTry \"zarv --help\".\n");
        return {WB_RUN_END, EXIT_BAD_COMMAND_LINE, {}, {}, {}, {}};
    }
    // A key is added only as a whole: whose, as what, and the digest its
    // holder read out.
    const bool bAddDetail = pszName || pszRole || pszDigest || pszFrom || pszTo;
    if ((bAddDetail && !pszRosterAdd) || (pszRosterAdd && (!pszName || !pszRole || !pszDigest))) {
        g_printerr("zarv: --roster-add PUBFILE takes --name, --role and --digest (and --from and --to where "
                   "wanted), and they go with it alone\nTry \"zarv --help\".\n");
        return {WB_RUN_END, EXIT_BAD_COMMAND_LINE, {}, {}, {}, {}};
    }
    if (nAsked && *pargc > 2) {
        g_printerr("zarv: %s takes one etc directory at most\nTry \"zarv --help\".\n", bVerify ? "--verify"
                                                                                       : bVerifyRecord
                                                                                           ? "--verify-record"
                                                                                       : bPublished  ? "--published"
                                                                                       : bMachineRun ? "--machines"
                                                                                       : bRosterRun  ? "--roster"
                                                                                                     : "--publish");
        return {WB_RUN_END, EXIT_BAD_COMMAND_LINE, {}, {}, {}, {}};
    }
    if (pszPublishDir && !*pszPublishDir) {
        g_printerr("zarv: --publish needs the folder to publish into\nTry \"zarv --help\".\n");
        return {WB_RUN_END, EXIT_BAD_COMMAND_LINE, {}, {}, {}, {}};
    }
    const auto text = [](const gchar* psz) { return std::string(psz ? psz : ""); };
    return {bVerify         ? WB_RUN_VERIFY
            : bVerifyRecord ? WB_RUN_VERIFY_RECORD
            : pszPublishDir ? WB_RUN_PUBLISH
            : bPublished    ? WB_RUN_PUBLISHED
            : bMachineRun   ? WB_RUN_MACHINES
            : bRosterRun    ? WB_RUN_ROSTER
                            : WB_RUN_WINDOW,
            0,
            text(pszPublishDir),
            text(pszEnrol),
            text(pszRevoke),
            {text(pszRosterAdd), text(pszName), text(pszRole), text(pszDigest), text(pszFrom), text(pszTo),
             text(pszRosterRevoke)}};
}

int wbRunCheck(const _wbStart& start, int argc, char* argv[])
{
    g_set_print_handler(wbOnPrint);
    g_set_printerr_handler(wbOnPrintError);
    // The window's rule for the etc directory holds for the checks too:
    // none reads or writes where another user could change what it finds.
    if (argc == 2)
        wbSetEtcDir(argv[1]);
    else
        wbLocateEtcDir();
    const _wbEtcRoute route = wbWalkEtcDir(wbEtcDir());
    if (!route.strChangeable.empty()) {
        g_printerr("zarv: %s can be changed by other users\n", route.strChangeable.c_str());
        g_printerr("%s\n", ETC_REFUSED_DETAIL);
        return EXIT_CHECK_UNREADABLE;
    }
    if (!g_file_test(route.strReal.c_str(), G_FILE_TEST_IS_DIR)) {
        g_printerr("zarv: the etc directory %s is no directory\n", route.strReal.c_str());
        return EXIT_CHECK_UNREADABLE;
    }
    switch (start.nRun) {
    case WB_RUN_VERIFY:
        return vfyRunCommandLine(route.strReal.c_str());
    case WB_RUN_PUBLISH:
        wbSetEtcDir(route.strReal);
        return wbPublishTo(start.strPublishDir.c_str());
    case WB_RUN_PUBLISHED:
        wbSetEtcDir(route.strReal);
        return wbListPublished();
    case WB_RUN_MACHINES:
        wbSetEtcDir(route.strReal);
        return start.strEnrol.empty() && start.strRevoke.empty()
                   ? wbListMachines()
                   : wbChangeMachine(!start.strEnrol.empty(),
                                     start.strEnrol.empty() ? start.strRevoke : start.strEnrol);
    case WB_RUN_ROSTER:
        wbSetEtcDir(route.strReal);
        return start.roster.strPublicFile.empty() && start.roster.strRevoke.empty() ? wbListRoster()
                                                                                    : wbChangeRoster(start.roster);
    default:
        return audVerifyRecord(route.strReal.c_str());
    }
}

bool wbGuardEtcDir(void)
{
    // Another user who could swap the etc directory, or the files in it,
    // could put settings of their own in the pilot's place, or have the
    // pilot's written into their directory: nothing is read or written
    // there, not even the log. Past this check the directory is held by its
    // real path, so a link re-pointed later changes nothing.
    const _wbEtcRoute route = wbWalkEtcDir(wbEtcDir());
    if (!route.strChangeable.empty()) {
        g_autofree gchar* pszText =
            g_strdup_printf("Zarv does not start: %s can be changed by other users", route.strChangeable.c_str());
        g_printerr("zarv: %s can be changed by other users\n%s\n", route.strChangeable.c_str(), ETC_REFUSED_DETAIL);
        wbTellAndWait(pszText, ETC_REFUSED_DETAIL);
        return false;
    }
    wbSetEtcDir(route.strReal);
    return true;
}

int wbLoadDefinition(GtkBuilder* pBuilder)
{
    const std::string strFileSpec = wbFileSpec("Zarv.ui");
    g_autoptr(GError) pErr = nullptr;
    if (!gtk_builder_add_from_file(pBuilder, strFileSpec.c_str(), &pErr)) {
        g_autofree gchar* pszError = g_strdup_printf("gtk_builder_add_from_file() failed:\n%s", pErr->message);
        errPostError(pszError);
        // The builder's error code is the exit status; a code of 0 (a file
        // that is not UTF-8, for one) must not read as success.
        return pErr->code > 0 && pErr->code < 256 ? pErr->code : 1;
    }
    // A definition without one of the objects the pages look up would leave
    // a window that shows nothing, or none at all and no way to close it.
    if (const char* pszMissing = wbCheckDefinition(pBuilder)) {
        g_autofree gchar* pszError = g_strdup_printf(
            "gtk_builder_add_from_file() failed:\n%s has no object \"%s\" of the class the program needs",
            strFileSpec.c_str(), pszMissing);
        errPostError(pszError);
        return EXIT_INCOMPLETE_DEFINITION;
    }
    return 0;
}

bool wbClaimDirectory(const std::string& strLaunchId, int* pfdClaim)
{
    // The session bus finds the first window on any display system; the
    // lock file holds where there is no bus, and between sessions.
    const _wbInstance nInstance = wbRegisterInstance(strLaunchId);
    if (nInstance == WB_INSTANCE_ASKED || nInstance == WB_INSTANCE_UNANSWERED) {
        errPostError(nInstance == WB_INSTANCE_ASKED
                         ? "Zarv is already open in this directory\nits window was asked to come to the front"
                         : "Zarv is already open in this directory\nits window does not answer: this start ends");
        if (nInstance == WB_INSTANCE_UNANSWERED)
            wbTellAndWait("Zarv is already open in this directory, but its window does not answer",
                          "Close that window, or end Zarv there if it hangs, then start it again.");
        return false;
    }
    _wbHolder holder;
    *pfdClaim = wbClaimEtcDir(&holder);
    // A start that found the name free but the lock held shows no window:
    // the name goes back, so that a later start asks no one who cannot
    // present a window, and finds the holder of the lock as this one did.
    if (*pfdClaim == -1 || *pfdClaim == -3)
        wbReleaseInstance();
    if (*pfdClaim == -3) {
        // Another user's Zarv has this directory: said in a window, as there
        // is no main window to say it in.
        g_autofree gchar* pszMsg = g_strdup_printf(
            "Zarv is already open in this directory as another user (%u)\nthis start ends", holder.nUid);
        errPostError(pszMsg);
        wbTellAndWait("Zarv is already open in this directory as another user",
                      "Close it there first: two windows on one directory could lose each other's changes.");
        return false;
    }
    if (*pfdClaim == -1) {
        wbYieldToHolder(holder);
        return false;
    }
    return true;
}

void wbNoteWindow(int fdClaim, GtkWidget* pwinMain)
{
    const std::string strWinId = wbWindowNote(pwinMain);
    wbNoteInClaim(fdClaim,
                  (strWinId.empty() ? "0" : strWinId) + " " + gdk_display_get_name(gtk_widget_get_display(pwinMain)));
}

void wbTellAndWait(const char* pszText, const char* pszDetail)
{
    GtkWidget* pdlg =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING, GTK_BUTTONS_CLOSE, "%s", pszText);
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", pszDetail);
    gtk_window_set_title(GTK_WINDOW(pdlg), "Zarv");
    gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
}
