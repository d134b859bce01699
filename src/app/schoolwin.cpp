// The school's published aircraft in the window: the folder watched and
// taken in from, and the two dialogs of the menu that publish the fleet and
// choose the school.
#include "app/schoolwin.h"

#include "app/machines.h"
#include "app/rostercmd.h"

#include "app/bars.h"
#include "model/synced.h"
#include "model/texts.h"
#include "store/conf/params.h"
#include "store/record/enrol.h"
#include "store/record/filing.h"
#include "store/school/machine.h"
#include "store/school/school.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"
#include "ui/misc.h"

#include <string>
#include <vector>

namespace
{

// A sync tool writes a file and its signature, or many files, in a burst:
// taken in once the folder has been quiet this long.
constexpr guint SETTLE_MILLIS = 400;
// A public key file is a few lines.
constexpr size_t MOST_PUBLIC_KEY = 4096;

// The window told of what the school's folder brought, the folder watched,
// and the one dialog choosing the school.
struct _wbSchool {
    GtkWidget* pwinMain = nullptr;
    void (*pfuncShowAnew)(void) = nullptr;
    std::string strWatched;
    GFileMonitor* pmonFolder = nullptr;
    guint nSettle = 0;
} m_school;

struct _wbSchoolDialog {
    GtkWidget *pdlg = nullptr, *pwgtFolder = nullptr, *pwgtKey = nullptr, *pwgtDigest = nullptr,
              *pwgtDigestCaption = nullptr, *pwgtSheets = nullptr, *pwgtName = nullptr;
    std::string strPublic; // the key file's text where the folder holds one
    std::string strKeep;   // the key that Accept keeps: the one accepted before, or the folder's
} m_choose;

// Takes in what the folder holds; whether the fleet changed, and in
// *pbCurrent whether the current aircraft did.
bool takeIn(bool* pbCurrent)
{
    *pbCurrent = false;
    if (!prmKeyFile() || prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISHED).empty()) {
        wbSaySchoolRefusals({});
        return false;
    }
    const _schTakenIn taken = schTakePublished();
    wbSaySchoolRefusals(taken.refused);
    *pbCurrent = taken.bCurrent;
    return taken.bFleet;
}

void stopWatching(void)
{
    if (m_school.nSettle)
        g_source_remove(m_school.nSettle);
    m_school.nSettle = 0;
    if (m_school.pmonFolder)
        g_file_monitor_cancel(m_school.pmonFolder);
    g_clear_object(&m_school.pmonFolder);
    m_school.strWatched.clear();
}

gboolean wbOnSchoolSettled(gpointer)
{
    m_school.nSettle = 0;
    bool bCurrent = false;
    if (!takeIn(&bCurrent) || !m_school.pfuncShowAnew)
        return G_SOURCE_REMOVE;
    m_school.pfuncShowAnew();
    if (bCurrent)
        // Which revision, and whose, the setup page and the list say: the
        // notice escapes what it is given, and the school's words are
        // escaped already.
        wbShowNotice("The school's new figures of this aircraft are shown.");
    return G_SOURCE_REMOVE;
}

void wbOnSchoolFolderChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent nEvent, gpointer)
{
    if (nEvent == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED)
        return;
    if (m_school.nSettle)
        g_source_remove(m_school.nSettle);
    m_school.nSettle = g_timeout_add(SETTLE_MILLIS, wbOnSchoolSettled, nullptr);
}

void watch(const std::string& strDir)
{
    m_school.strWatched = strDir;
    g_autoptr(GFile) pfile = g_file_new_for_path(strDir.c_str());
    g_autoptr(GError) pErr = nullptr;
    m_school.pmonFolder = g_file_monitor_directory(pfile, G_FILE_MONITOR_WATCH_MOVES, nullptr, &pErr);
    if (!m_school.pmonFolder) {
        // What the folder holds is still taken in at each start.
        errPostError(("wbFollowSchool()\ng_file_monitor_directory(" + strDir + ")\n" + pErr->message).c_str());
        return;
    }
    g_signal_connect(m_school.pmonFolder, "changed", G_CALLBACK(wbOnSchoolFolderChanged), nullptr);
}

void wbOnWindowDestroy(GtkWidget* pwgt, gpointer)
{
    if (pwgt != m_school.pwinMain)
        return;
    stopWatching();
    m_school.pwinMain = nullptr;
    m_school.pfuncShowAnew = nullptr;
}

// The folder typed or chosen, as an absolute path; "" for none.
std::string chosenFolder(void)
{
    g_autofree gchar* pszText = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(m_choose.pwgtFolder))));
    if (!*pszText)
        return {};
    g_autofree gchar* pszPath = g_canonicalize_filename(pszText, nullptr);
    return pszPath;
}

std::string entryText(GtkWidget* pwgt)
{
    g_autofree gchar* psz = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(pwgt))));
    return psz;
}

// A key as a person compares it: the digest of the whole key, eight
// groups a line to be read aloud, and beside it the id minisign prints,
// which alone anyone can give a key of their own.
std::string keyShown(const std::string& strPublic)
{
    const std::string strDigest = sgnKeyDigest(strPublic);
    const size_t nHalf = strDigest.size() / 2;
    if (strDigest.empty())
        return ": no key";
    return " (SHA-256):\n" + strDigest.substr(0, nHalf) + "\n" + strDigest.substr(nHalf + 1) + "\n(minisign id " +
           sgnKeyIdShown(strPublic) + ")";
}

// The key the chosen folder holds, shown by its digest, beside the one
// accepted before: Accept keeps that one, and takes any other only where
// the pilot types the whole digest the school gave them by a second
// channel, since the folder itself may be an attacker's.
void wbOnSchoolFolderTyped(GtkEditable*, gpointer)
{
    const std::string strDir = chosenFolder();
    const std::string strAccepted = prmGetKeyString(SCH_GROUP, SCH_KEY_KEY);
    m_choose.strPublic.clear();
    std::string strData;
    g_autoptr(GError) pErr = nullptr;
    if (!strDir.empty() && prmReadFile(strDir + "/" + SCH_PUBLIC_FILE, &strData, &pErr, nullptr, MOST_PUBLIC_KEY) &&
        !sgnKeyId(strData).empty())
        m_choose.strPublic = strData;
    const std::string strNew = sgnKeyIdShown(m_choose.strPublic), strOld = sgnKeyIdShown(strAccepted);
    // Keys are told apart whole: anyone can make a key with another's id.
    const bool bSame = !strNew.empty() && sgnPublicLine(m_choose.strPublic) == sgnPublicLine(strAccepted);
    const bool bOther = !strNew.empty() && !strOld.empty() && !bSame;
    // A key that only borrows the accepted one's id is never taken.
    const bool bForged = bOther && strNew == strOld;
    const bool bAsk = !strNew.empty() && !bSame && !bForged;
    const std::string strTyped = entryText(m_choose.pwgtDigest);
    const bool bTyped = bAsk && sgnDigestMatches(m_choose.strPublic, strTyped);
    std::string strText;
    if (strNew.empty() && !strOld.empty())
        strText = "The school's key accepted here" + keyShown(strAccepted) + "\nThis folder holds no " +
                  SCH_PUBLIC_FILE + ".";
    else if (strNew.empty())
        strText = strDir.empty() ? std::string("Choose the folder the school publishes its aircraft in.")
                                 : std::string("No school's key here: ") + SCH_PUBLIC_FILE + " is missing or no key.";
    else if (bSame)
        strText = "The school's key, as accepted before" + keyShown(m_choose.strPublic);
    else if (bForged)
        strText = "This folder holds another key than the school's accepted here, made to bear its id " + strNew +
                  ": it is not the school's. Its aircraft are not used.";
    else
        strText = std::string(bOther ? "This folder holds another key than the school's accepted here"
                                     : "This folder's key") +
                  keyShown(m_choose.strPublic) +
                  "\nIts aircraft are used only where you type below the whole digest the school gave you for its " +
                  (bOther ? "new " : "") + "key, by phone or on paper.";
    if (bTyped)
        strText += "\nThe digest you typed is this key's.";
    else if (bAsk && !strTyped.empty())
        strText += "\nWhat you typed is not this key's whole digest: do not accept it, ask the school.";
    m_choose.strKeep = bSame || bTyped ? sgnPublicLine(m_choose.strPublic) : strNew.empty() ? strAccepted : "";
    gtk_label_set_text(GTK_LABEL(m_choose.pwgtKey), strText.c_str());
    gtk_widget_set_visible(m_choose.pwgtDigest, bAsk);
    gtk_widget_set_visible(m_choose.pwgtDigestCaption, bAsk);
    gtk_dialog_set_response_sensitive(GTK_DIALOG(m_choose.pdlg), GTK_RESPONSE_ACCEPT, !m_choose.strKeep.empty());
}

void wbOnChooseFolderClicked(GtkButton*, gpointer)
{
    GtkWidget* pdlg = gtk_file_chooser_dialog_new("The School's Folder", GTK_WINDOW(m_choose.pdlg),
                                                  GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Cancel", GTK_RESPONSE_CANCEL,
                                                  "_Choose", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    if (const std::string strDir = chosenFolder(); !strDir.empty())
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(pdlg), strDir.c_str());
    if (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_ACCEPT)
        if (g_autofree gchar* pszDir = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pdlg)))
            gtk_entry_set_text(GTK_ENTRY(m_choose.pwgtFolder), pszDir);
    gtk_widget_destroy(pdlg);
}

// A text setting kept as typed, or taken out where it is cleared.
void setOrRemove(GKeyFile* pkf, const char* pszKey, const std::string& strValue)
{
    if (strValue.empty())
        g_key_file_remove_key(pkf, SCH_GROUP, pszKey, nullptr);
    else
        g_key_file_set_string(pkf, SCH_GROUP, pszKey, strValue.c_str());
}

void wbOnSchoolResponse(GtkDialog* pdlg, gint nResponse, gpointer)
{
    if (nResponse == GTK_RESPONSE_ACCEPT && !m_choose.strKeep.empty()) {
        const std::string strDir = chosenFolder(), strLine = m_choose.strKeep;
        const std::string strSheets = entryText(m_choose.pwgtSheets), strName = entryText(m_choose.pwgtName);
        prmEdit([&](GKeyFile* pkf) {
            g_key_file_set_string(pkf, SCH_GROUP, SCH_KEY_PUBLISHED, strDir.c_str());
            g_key_file_set_string(pkf, SCH_GROUP, SCH_KEY_KEY, strLine.c_str());
            setOrRemove(pkf, FIL_KEY_SHEETS, strSheets);
            setOrRemove(pkf, SCH_KEY_NAME, strName);
        });
        errPostError(("wbChooseSchool()\nthe school's key " + sgnKeyId(strLine) + " (SHA-256 " + sgnKeyDigest(strLine) +
                      ") accepted for " + strDir)
                         .c_str());
    }
    gtk_widget_destroy(GTK_WIDGET(pdlg));
    if (nResponse == GTK_RESPONSE_ACCEPT && wbFollowSchool(m_school.pwinMain, m_school.pfuncShowAnew) &&
        m_school.pfuncShowAnew)
        m_school.pfuncShowAnew();
}

// A row of the dialog: a caption whose underlined letter reaches the field.
GtkWidget* addEntry(GtkGrid* pgrid, int nRow, const char* pszCaption, const char* pszTip, const std::string& strText)
{
    GtkWidget* pwgtCaption = gtk_label_new_with_mnemonic(pszCaption);
    gtk_label_set_xalign(GTK_LABEL(pwgtCaption), 0);
    GtkWidget* pwgt = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(pwgt), 40);
    gtk_entry_set_activates_default(GTK_ENTRY(pwgt), TRUE);
    gtk_entry_set_text(GTK_ENTRY(pwgt), strText.c_str());
    gtk_widget_set_tooltip_text(pwgt, pszTip);
    gtk_widget_set_hexpand(pwgt, TRUE);
    gtk_label_set_mnemonic_widget(GTK_LABEL(pwgtCaption), pwgt);
    gtk_grid_attach(pgrid, pwgtCaption, 0, nRow, 1, 1);
    gtk_grid_attach(pgrid, pwgt, 1, nRow, 1, 1);
    return pwgt;
}

} // namespace

bool wbFollowSchool(GtkWidget* pwinMain, void (*pfuncShowAnew)(void))
{
    if (pwinMain != m_school.pwinMain) {
        stopWatching();
        m_school.pwinMain = pwinMain;
        if (pwinMain)
            g_signal_connect(pwinMain, "destroy", G_CALLBACK(wbOnWindowDestroy), nullptr);
    }
    m_school.pfuncShowAnew = pfuncShowAnew;
    const std::string strDir = prmKeyFile() ? prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISHED) : "";
    if (strDir != m_school.strWatched) {
        stopWatching();
        // Watched before it is read, so that nothing written meanwhile is
        // missed.
        if (!strDir.empty() && pwinMain)
            watch(strDir);
    }
    bool bCurrent = false;
    return takeIn(&bCurrent);
}

void wbPublishAircraft(GtkWindow* pwinMain, const char* pszDir)
{
    // What the pilot is typing is part of the aircraft published.
    mscLeaveField(pwinMain);
    std::string strDir = pszDir ? pszDir : "";
    if (!pszDir) {
        GtkWidget* pdlg =
            gtk_file_chooser_dialog_new("Publish Aircraft To", pwinMain, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
                                        "_Cancel", GTK_RESPONSE_CANCEL, "_Publish", GTK_RESPONSE_ACCEPT, nullptr);
        gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
        gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(pdlg), TRUE);
        if (const std::string strWas = prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO); !strWas.empty())
            gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(pdlg), strWas.c_str());
        if (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_ACCEPT)
            if (g_autofree gchar* psz = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pdlg)))
                strDir = psz;
        gtk_widget_destroy(pdlg);
        if (strDir.empty())
            return;
    }
    if (strDir != prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO))
        prmSetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO, strDir.c_str());
    bool bFailed = false;
    std::vector<std::string> lines = schPublish(strDir, &bFailed);
    // The machines the school enrolled go with its aircraft.
    if (const std::string strWhy = bFailed ? "" : wbPublishMachines(strDir); !strWhy.empty()) {
        lines.insert(lines.end() - 1, "The list of machines could not be published: " + strWhy);
        bFailed = true;
    }
    // So does its roster of who may accept a sheet.
    if (const std::string strWhy = bFailed ? "" : wbPublishRoster(strDir); !strWhy.empty()) {
        lines.insert(lines.end() - 1, "The roster could not be published: " + strWhy);
        bFailed = true;
    }
    std::string strText, strAircraft;
    for (size_t n = 0; n < lines.size(); n++) {
        // A line names what the folder holds: shown as written, one line.
        strText += (n ? "\n" : "") + txtEscaped(lines[n]);
        // The last line names the key, which is no failure.
        if (n + 1 < lines.size() || lines.size() == 1)
            strAircraft += (strAircraft.empty() ? "" : "; ") + lines[n];
    }
    if (bFailed) {
        errPostError(("wbPublishAircraft()\n" + strDir + "\n" + strText).c_str());
        errTellPilot("Not everything could be published to " + strDir + ": " + strAircraft);
    }
    GtkWidget* pdlg = gtk_message_dialog_new(pwinMain, GTK_DIALOG_DESTROY_WITH_PARENT,
                                             bFailed ? GTK_MESSAGE_WARNING : GTK_MESSAGE_INFO, GTK_BUTTONS_CLOSE, "%s",
                                             bFailed ? "Not everything was published" : "Published");
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", strText.c_str());
    g_signal_connect(pdlg, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
    gtk_widget_show(pdlg);
}

void wbChooseSchool(GtkWindow* pwinMain)
{
    if (m_choose.pdlg) {
        gtk_window_present(GTK_WINDOW(m_choose.pdlg));
        return;
    }
    m_choose = _wbSchoolDialog{};
    m_choose.pdlg = gtk_dialog_new_with_buttons(
        "School", pwinMain, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), "_Cancel",
        GTK_RESPONSE_CANCEL, "_Accept", GTK_RESPONSE_ACCEPT, nullptr);
    g_object_add_weak_pointer(G_OBJECT(m_choose.pdlg), reinterpret_cast<gpointer*>(&m_choose.pdlg));
    gtk_dialog_set_default_response(GTK_DIALOG(m_choose.pdlg), GTK_RESPONSE_ACCEPT);
    GtkWidget* pwgtGrid = gtk_grid_new();
    GtkGrid* pgrid = GTK_GRID(pwgtGrid);
    gtk_grid_set_row_spacing(pgrid, 6);
    gtk_grid_set_column_spacing(pgrid, 12);
    gtk_container_set_border_width(GTK_CONTAINER(pwgtGrid), 12);
    m_choose.pwgtFolder =
        addEntry(pgrid, 0, "School's _folder", "The folder your sync tool keeps the school's published aircraft in",
                 prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISHED));
    gtk_widget_set_name(m_choose.pwgtFolder, "SchoolFolder");
    GtkWidget* pwgtChoose = gtk_button_new_with_mnemonic("C_hoose…");
    g_signal_connect(pwgtChoose, "clicked", G_CALLBACK(wbOnChooseFolderClicked), nullptr);
    gtk_grid_attach(pgrid, pwgtChoose, 2, 0, 1, 1);
    m_choose.pwgtKey = gtk_label_new("");
    gtk_widget_set_name(m_choose.pwgtKey, "SchoolKey");
    gtk_label_set_xalign(GTK_LABEL(m_choose.pwgtKey), 0);
    // Not to be copied into the entry below: the digest typed there is the
    // one the school gave by another way.
    gtk_label_set_selectable(GTK_LABEL(m_choose.pwgtKey), FALSE);
    gtk_label_set_line_wrap(GTK_LABEL(m_choose.pwgtKey), TRUE);
    gtk_grid_attach(pgrid, m_choose.pwgtKey, 1, 1, 2, 1);
    m_choose.pwgtDigest = addEntry(pgrid, 2, "Key's _digest",
                                   "The digest of the school's key as the school gave it to you by phone or on paper: "
                                   "all sixteen groups, never its id (spaces and case do not matter)",
                                   "");
    gtk_widget_set_name(m_choose.pwgtDigest, "SchoolDigest");
    m_choose.pwgtDigestCaption = gtk_grid_get_child_at(pgrid, 0, 2);
    gtk_widget_set_no_show_all(m_choose.pwgtDigest, TRUE);
    gtk_widget_set_no_show_all(m_choose.pwgtDigestCaption, TRUE);
    g_signal_connect(m_choose.pwgtDigest, "changed", G_CALLBACK(wbOnSchoolFolderTyped), nullptr);
    m_choose.pwgtSheets = addEntry(pgrid, 3, "Shared _sheets folder",
                                   "Where the school's filed load sheets are shared (none: this machine's own)",
                                   prmGetKeyString(SCH_GROUP, FIL_KEY_SHEETS));
    m_choose.pwgtName =
        addEntry(pgrid, 4, "School's _name", "The school, as the aircraft this machine publishes name it",
                 prmGetKeyString(SCH_GROUP, SCH_KEY_NAME));
    gtk_widget_set_name(m_choose.pwgtName, "SchoolName");
    // The name goes only into what this machine publishes: a pilot's
    // machine, which holds no school's key and has never published, is not
    // asked for it. Hidden, the entry keeps what Zarv.conf holds, so Accept
    // writes it back as it was.
    const bool bPublishes = g_file_test(wbFileSpec(SCH_SECRET_FILE).c_str(), G_FILE_TEST_EXISTS) ||
                            !prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO).empty();
    for (GtkWidget* pwgt : {m_choose.pwgtName, gtk_grid_get_child_at(pgrid, 0, 4)})
        gtk_widget_set_no_show_all(pwgt, !bPublishes);
    // The key this machine signs its records with, made once it files into
    // a school's folder: the office enrols it by its digest, read out.
    if (const std::string strMachine = mchPublicKey(); !strMachine.empty()) {
        const std::string strDigest = sgnKeyDigest(strMachine), strId = synMachineOfKey(strDigest);
        // Whether the school enrolled it, as its signed list says.
        std::string strWhy, strStanding = "not in the school's list of enrolled machines yet";
        std::vector<_enrMachine> machines;
        if (const std::string strList = schPublishedSigned(SCH_MACHINES_FILE, &strWhy);
            !strList.empty() && enrReadListText(strList, &machines, &strWhy))
            for (const _enrMachine& m : machines)
                if (m.strId == strId)
                    strStanding = m.strRevoked.empty() ? "enrolled by the school on " + m.strEnrolled.substr(0, 10)
                                                       : "revoked by the school on " + m.strRevoked.substr(0, 10);
        GtkWidget* pwgtMachine = gtk_label_new(("This machine (" + strId + "), " + strStanding +
                                                ". Its key, for the school to enrol it (read it to the office):\n" +
                                                strDigest.substr(0, strDigest.size() / 2) + "\n" +
                                                strDigest.substr(strDigest.size() / 2 + 1))
                                                   .c_str());
        gtk_label_set_line_wrap(GTK_LABEL(pwgtMachine), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(pwgtMachine), 60);
        gtk_widget_set_name(pwgtMachine, "SchoolMachineKey");
        gtk_label_set_xalign(GTK_LABEL(pwgtMachine), 0);
        gtk_label_set_selectable(GTK_LABEL(pwgtMachine), TRUE);
        gtk_grid_attach(pgrid, pwgtMachine, 1, 5, 2, 1);
    }
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(m_choose.pdlg))), pwgtGrid);
    g_signal_connect(m_choose.pwgtFolder, "changed", G_CALLBACK(wbOnSchoolFolderTyped), nullptr);
    g_signal_connect(m_choose.pdlg, "response", G_CALLBACK(wbOnSchoolResponse), nullptr);
    wbOnSchoolFolderTyped(nullptr, nullptr);
    gtk_widget_show_all(m_choose.pdlg);
}
