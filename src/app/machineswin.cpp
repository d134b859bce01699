// The office's "Machines…": the machines asking to join in the shared
// folder of sheets and those enrolled, read anew each time something
// changes; a machine is enrolled only by the whole digest its pilot reads
// out, since anyone who can write to the folder can ask in any name.
#include "app/machineswin.h"

#include "app/machines.h"
#include "model/texts.h"
#include "store/record/enrol.h"
#include "store/record/filing.h"
#include "sys/sign.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

// Files that only look like requests are named a few at a time: a folder
// anyone may write to can hold a thousand.
constexpr size_t JUNK_SHOWN = 5;
// The lists scroll beyond this height, so the entry and its button stay in
// sight however many machines ask.
constexpr int LIST_HEIGHT = 220;
// Labels wrap at one width: a wrapped label would otherwise ask for a line
// as wide as its whole text, and a dialog as tall as its narrowest wrapping.
constexpr int LABEL_WIDTH = 72;
constexpr const char* DIGEST_KEY = "zarv-digest";

// The one dialog, its parts that outlive a reading of the folder, and the
// machines asking to join as last read.
struct _wbMachines {
    GtkWidget *pdlg = nullptr, *pwgtBody = nullptr, *pwgtDigest = nullptr, *pwgtEnrol = nullptr, *pwgtMatch = nullptr;
    std::vector<_enrRequest> asking;
} m_machines;

void fill(const std::string& strSaid);

// A digest as a person reads it out: eight groups of four a line.
std::string twoLines(const std::string& strDigest)
{
    const size_t nHalf = strDigest.size() / 2;
    return strDigest.size() < 2 ? strDigest : strDigest.substr(0, nHalf) + "\n" + strDigest.substr(nHalf + 1);
}

// A machine as the lists name it; its name is what it asked in, from the
// folder.
std::string machineShown(const std::string& strName, const std::string& strId)
{
    return txtEscaped(strName) + " (machine " + txtEscaped(strId) + ")";
}

GtkWidget* addLabel(GtkWidget* pwgtBox, const std::string& strText, bool bMarkup = false)
{
    GtkWidget* pwgt = gtk_label_new(nullptr);
    if (bMarkup)
        gtk_label_set_markup(GTK_LABEL(pwgt), strText.c_str());
    else
        gtk_label_set_text(GTK_LABEL(pwgt), strText.c_str());
    gtk_label_set_xalign(GTK_LABEL(pwgt), 0);
    gtk_label_set_line_wrap(GTK_LABEL(pwgt), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(pwgt), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_width_chars(GTK_LABEL(pwgt), LABEL_WIDTH);
    gtk_label_set_max_width_chars(GTK_LABEL(pwgt), LABEL_WIDTH);
    gtk_label_set_selectable(GTK_LABEL(pwgt), !bMarkup);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgt, FALSE, FALSE, 0);
    return pwgt;
}

// A list of rows that scrolls once it is taller than LIST_HEIGHT; the box
// its rows go into.
GtkWidget* addList(GtkWidget* pwgtBox)
{
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(pwgtScroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(pwgtScroll), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(pwgtScroll), LIST_HEIGHT);
    GtkWidget* pwgtRows = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_add(GTK_CONTAINER(pwgtScroll), pwgtRows);
    gtk_box_pack_start(GTK_BOX(pwgtBox), pwgtScroll, FALSE, FALSE, 0);
    return pwgtRows;
}

std::string typedDigest(void)
{
    return m_machines.pwgtDigest ? gtk_entry_get_text(GTK_ENTRY(m_machines.pwgtDigest)) : "";
}

// Enrol is offered only where what was typed is one asking machine's
// whole digest: a part, or the machine's id, matches none.
const _enrRequest* typedMachine(void)
{
    const std::string strTyped = typedDigest();
    const auto it = std::find_if(m_machines.asking.begin(), m_machines.asking.end(),
                                 [&](const _enrRequest& r) { return sgnDigestMatches(r.strKey, strTyped); });
    return it == m_machines.asking.end() ? nullptr : &*it;
}

void wbOnMachinesDigestChanged(GtkEditable*, gpointer)
{
    const _enrRequest* pr = typedMachine();
    gtk_widget_set_sensitive(m_machines.pwgtEnrol, pr != nullptr);
    std::string strText;
    if (pr)
        strText = "This is the whole digest of " + machineShown(pr->strName, pr->strId) +
                  ". Enrol it only where its pilot read you every group.";
    else if (!typedDigest().empty())
        strText = "No machine asking to join has this whole digest.";
    gtk_label_set_text(GTK_LABEL(m_machines.pwgtMatch), strText.c_str());
}

std::string changed(bool bEnrol, const std::string& strDigest)
{
    bool bFailed = false;
    std::string strSaid;
    for (const std::string& strLine : wbChangeAndPublish(bEnrol, strDigest, &bFailed))
        strSaid += (strSaid.empty() ? "" : "\n") + txtEscaped(strLine);
    return strSaid;
}

void wbOnMachinesEnrolClicked(GtkButton*, gpointer)
{
    if (typedMachine())
        fill(changed(true, typedDigest()));
}

void wbOnRevokeResponse(GtkDialog* pdlgAsk, gint nResponse, gpointer)
{
    const std::string strDigest = static_cast<const char*>(g_object_get_data(G_OBJECT(pdlgAsk), DIGEST_KEY));
    gtk_widget_destroy(GTK_WIDGET(pdlgAsk));
    if (nResponse == GTK_RESPONSE_ACCEPT && m_machines.pdlg)
        fill(changed(false, strDigest));
}

void wbOnMachinesRevokeClicked(GtkButton* pwgtButton, gpointer)
{
    const char* pszQuestion = static_cast<const char*>(g_object_get_data(G_OBJECT(pwgtButton), "zarv-question"));
    GtkWidget* pdlgAsk = gtk_message_dialog_new(GTK_WINDOW(m_machines.pdlg),
                                                GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s", pszQuestion);
    gtk_message_dialog_format_secondary_text(
        GTK_MESSAGE_DIALOG(pdlgAsk), "%s",
        "Its records filed up to now still stand; any it files from now on are named by the record check. "
        "A revoked key is never enrolled again: the machine asks anew with a new key.");
    gtk_dialog_add_button(GTK_DIALOG(pdlgAsk), "_Cancel", GTK_RESPONSE_CANCEL);
    GtkWidget* pwgtRevoke = gtk_dialog_add_button(GTK_DIALOG(pdlgAsk), "_Revoke", GTK_RESPONSE_ACCEPT);
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtRevoke), GTK_STYLE_CLASS_DESTRUCTIVE_ACTION);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlgAsk), GTK_RESPONSE_CANCEL);
    g_object_set_data_full(G_OBJECT(pdlgAsk), DIGEST_KEY,
                           g_strdup(static_cast<const char*>(g_object_get_data(G_OBJECT(pwgtButton), DIGEST_KEY))),
                           g_free);
    g_signal_connect(pdlgAsk, "response", G_CALLBACK(wbOnRevokeResponse), nullptr);
    gtk_widget_show(pdlgAsk);
}

// The machines asking to join, and the entry their pilot's digest is typed
// into; false where the folder or the list cannot be read (said instead).
bool fillAsking(GtkWidget* pwgtBody, const std::vector<_enrMachine>& enrolled)
{
    const int fdDir = open(filSheetsFolder().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fdDir < 0) {
        addLabel(pwgtBody, txtEscaped("The shared folder of sheets " + filSheetsFolder() +
                                      " cannot be opened: " + g_strerror(errno)));
        return false;
    }
    size_t nMore = 0;
    const std::vector<_enrRequest> requests = enrRequests(fdDir, &nMore);
    close(fdDir);
    addLabel(pwgtBody, "<b>Asking to join</b>", true);
    GtkWidget* pwgtRows = addList(pwgtBody);
    size_t nJunk = 0;
    for (const _enrRequest& r : requests) {
        if (!r.strWhy.empty()) {
            if (++nJunk <= JUNK_SHOWN)
                addLabel(pwgtRows, txtEscaped(r.strFile + ": not a request to join: " + r.strWhy));
            continue;
        }
        if (std::none_of(enrolled.begin(), enrolled.end(), [&](const _enrMachine& m) { return m.strId == r.strId; })) {
            m_machines.asking.push_back(r);
            addLabel(pwgtRows, machineShown(r.strName, r.strId) + "\n" + twoLines(r.strDigest));
        }
    }
    if (nJunk > JUNK_SHOWN)
        addLabel(pwgtRows, "and " + std::to_string(nJunk - JUNK_SHOWN) + " more files named as requests that are none");
    if (nMore)
        addLabel(pwgtRows, "and " + std::to_string(nMore) + " more files named as requests, not read");
    if (m_machines.asking.empty())
        addLabel(pwgtRows, "None. A machine asks the first time it files a load sheet into the shared folder.");

    GtkWidget* pwgtRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    GtkWidget* pwgtCaption = gtk_label_new_with_mnemonic("_Digest read out");
    m_machines.pwgtDigest = gtk_entry_new();
    gtk_widget_set_name(m_machines.pwgtDigest, "MachinesDigest");
    gtk_widget_set_tooltip_text(m_machines.pwgtDigest,
                                "The digest of the machine's key as its pilot reads it to you from School… on their "
                                "machine, by phone or in person: all sixteen groups (spaces and case do not matter)");
    gtk_entry_set_width_chars(GTK_ENTRY(m_machines.pwgtDigest), 48);
    gtk_label_set_mnemonic_widget(GTK_LABEL(pwgtCaption), m_machines.pwgtDigest);
    m_machines.pwgtEnrol = gtk_button_new_with_mnemonic("_Enrol");
    gtk_widget_set_name(m_machines.pwgtEnrol, "MachinesEnrol");
    gtk_box_pack_start(GTK_BOX(pwgtRow), pwgtCaption, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtRow), m_machines.pwgtDigest, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtRow), m_machines.pwgtEnrol, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(pwgtBody), pwgtRow, FALSE, FALSE, 0);
    m_machines.pwgtMatch = addLabel(pwgtBody, "");
    g_signal_connect(m_machines.pwgtDigest, "changed", G_CALLBACK(wbOnMachinesDigestChanged), nullptr);
    g_signal_connect(m_machines.pwgtEnrol, "clicked", G_CALLBACK(wbOnMachinesEnrolClicked), nullptr);
    wbOnMachinesDigestChanged(nullptr, nullptr);
    return true;
}

void fillEnrolled(GtkWidget* pwgtBody, const std::vector<_enrMachine>& enrolled)
{
    addLabel(pwgtBody, "<b>Enrolled</b>", true);
    GtkWidget* pwgtRows = addList(pwgtBody);
    for (const _enrMachine& m : enrolled) {
        GtkWidget* pwgtRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
        std::string strText = machineShown(m.strName, m.strId) + "\nenrolled " + txtEscaped(m.strEnrolled);
        if (!m.strRevoked.empty())
            strText += ", revoked " + txtEscaped(m.strRevoked) + " after its record " + std::to_string(m.nUpTo);
        addLabel(pwgtRow, strText + "\n" + twoLines(enrDigest(m)));
        if (m.strRevoked.empty()) {
            GtkWidget* pwgtRevoke = gtk_button_new_with_mnemonic("_Revoke…");
            gtk_widget_set_valign(pwgtRevoke, GTK_ALIGN_CENTER);
            g_object_set_data_full(G_OBJECT(pwgtRevoke), DIGEST_KEY, g_strdup(enrDigest(m).c_str()), g_free);
            g_object_set_data_full(G_OBJECT(pwgtRevoke), "zarv-question",
                                   g_strdup(("Revoke " + machineShown(m.strName, m.strId) + "?").c_str()), g_free);
            g_signal_connect(pwgtRevoke, "clicked", G_CALLBACK(wbOnMachinesRevokeClicked), nullptr);
            gtk_box_pack_end(GTK_BOX(pwgtRow), pwgtRevoke, FALSE, FALSE, 0);
        }
        gtk_box_pack_start(GTK_BOX(pwgtRows), pwgtRow, FALSE, FALSE, 0);
    }
    if (enrolled.empty())
        addLabel(pwgtRows, "None yet.");
}

// The dialog's body read anew from the list and the folder, with what the
// last change did (strSaid, safe to show) below.
void fill(const std::string& strSaid)
{
    GtkWidget* pwgtBody = m_machines.pwgtBody;
    g_autoptr(GList) plist = gtk_container_get_children(GTK_CONTAINER(pwgtBody));
    for (GList* p = plist; p; p = p->next)
        gtk_widget_destroy(GTK_WIDGET(p->data));
    m_machines.asking.clear();
    m_machines.pwgtDigest = m_machines.pwgtEnrol = m_machines.pwgtMatch = nullptr;
    std::vector<_enrMachine> enrolled;
    std::string strWhy;
    if (filShared().strFolder.empty())
        addLabel(pwgtBody, "No shared folder of load sheets is set. The school's machines ask to join in the folder "
                           "their sheets are shared in: set it as \"Shared sheets folder\" under School…, then "
                           "open Machines… again.");
    else if (!enrList(&enrolled, &strWhy))
        addLabel(pwgtBody, txtEscaped(strWhy));
    else if (fillAsking(pwgtBody, enrolled))
        fillEnrolled(pwgtBody, enrolled);
    if (!strSaid.empty()) {
        GtkWidget* pwgtSaid = addLabel(pwgtBody, strSaid);
        gtk_widget_set_margin_top(pwgtSaid, 6);
    }
    gtk_widget_show_all(pwgtBody);
    // A window shown keeps its size where its content only wants more: the
    // lists would be squeezed to a line.
    if (gtk_widget_get_visible(m_machines.pdlg)) {
        GtkRequisition natural;
        gtk_widget_get_preferred_size(m_machines.pdlg, nullptr, &natural);
        gtk_window_resize(GTK_WINDOW(m_machines.pdlg), natural.width, natural.height);
    }
    if (m_machines.pwgtDigest)
        gtk_widget_grab_focus(m_machines.pwgtDigest);
}

} // namespace

void wbShowMachines(GtkWindow* pwinMain)
{
    if (m_machines.pdlg) {
        gtk_window_present(GTK_WINDOW(m_machines.pdlg));
        return;
    }
    m_machines = _wbMachines{};
    m_machines.pdlg = gtk_dialog_new_with_buttons("Machines", pwinMain,
                                                  GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                  "_Close", GTK_RESPONSE_CLOSE, nullptr);
    g_object_add_weak_pointer(G_OBJECT(m_machines.pdlg), reinterpret_cast<gpointer*>(&m_machines.pdlg));
    m_machines.pwgtBody = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(m_machines.pwgtBody), 12);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(m_machines.pdlg))), m_machines.pwgtBody);
    g_signal_connect(m_machines.pdlg, "response", G_CALLBACK(gtk_widget_destroy), nullptr);
    fill("");
    gtk_widget_show_all(m_machines.pdlg);
}
