// The dialog that edits the saved people: one table, a row per person
// with their name, weight and role, rows added and removed, read back and
// checked whole before People.conf is replaced; a row that cannot be kept
// is said in the dialog and flagged, which stays open until it is put
// right or the pilot cancels, so nothing typed is lost. Beside each saved
// person who flies, their signing key is made under a passphrase asked
// twice, which is held only while the key is made.
#include "ui/peopleEdit.h"

#include "model/texts.h"
#include "store/conf/state.h"
#include "store/flight/people.h"
#include "store/flight/signing.h"
#include "ui/misc.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// One person's row: the widgets, the name and kilograms the row came with
// (none for a row added), and the public line of their signing key.
struct _pedRow {
    GtkWidget *pwgtName, *pwgtWeight, *pwgtRole, *pwgtRemove, *pwgtKey, *pwgtMakeKey;
    std::string strOldName;
    double nOldKg;
    std::string strKey;
};

// The dialog's table: its grid (a row of headings, then one per person),
// the words while it is empty, and the rows.
struct _pedTable {
    GtkGrid* pgrid;
    GtkWidget *pwgtScroll, *pwgtEmpty;
    std::vector<_pedRow> rows;
};

// The row's key as a person compares it: the first group of its digest,
// the whole digest in its tooltip.
void showKey(const _pedRow& r)
{
    const std::string strDigest = sgnKeyDigest(r.strKey);
    gtk_label_set_text(GTK_LABEL(r.pwgtKey), strDigest.substr(0, strDigest.find(' ')).c_str());
    gtk_widget_set_tooltip_text(r.pwgtKey, strDigest.empty() ? nullptr : ("Signing key " + strDigest).c_str());
}

// A key is made for a saved person who may be the commander or fly solo.
void pedOnRoleChanged(GtkComboBox* pcombo, gpointer pwgtMakeKey)
{
    const int nRole = gtk_combo_box_get_active(pcombo);
    gtk_widget_set_sensitive(GTK_WIDGET(pwgtMakeKey), g_object_get_data(G_OBJECT(pwgtMakeKey), "saved") &&
                                                          (nRole == PPL_ROLE_PILOT || nRole == PPL_ROLE_INSTRUCTOR ||
                                                           nRole == PPL_ROLE_STUDENT));
}

void pedOnMakeKeyClicked(GtkButton* pbtn, gpointer pTable);

void addRow(_pedTable* pTable, const _pplPerson& p)
{
    _pedRow r = {gtk_entry_new(),
                 gtk_entry_new(),
                 gtk_combo_box_text_new(),
                 gtk_check_button_new_with_label("Remove"),
                 gtk_label_new(""),
                 gtk_button_new_with_mnemonic("Make a _signing key\u2026"),
                 p.strName,
                 p.nWeight,
                 p.strKey};
    gtk_entry_set_text(GTK_ENTRY(r.pwgtName), p.strName.c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(r.pwgtName), 24);
    // The saved kilograms stay as they are while their text is not edited:
    // the tenth of a pound shown does not read back as them.
    if (!p.strName.empty())
        mscShowNumber(r.pwgtWeight, "%1.1f", unitToShown(KIND_WEIGHT, p.nWeight, m_wbSetup));
    gtk_entry_set_width_chars(GTK_ENTRY(r.pwgtWeight), 8);
    gtk_entry_set_alignment(GTK_ENTRY(r.pwgtWeight), 1);
    for (const char* pszRole : PPL_ROLE_NAMES)
        gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(r.pwgtRole), pszRole, *pszRole ? pszRole : "\u2013");
    gtk_combo_box_set_active(GTK_COMBO_BOX(r.pwgtRole), p.nRole);
    const int nRow = static_cast<int>(pTable->rows.size()) + 1;
    showKey(r);
    g_object_set_data(G_OBJECT(r.pwgtMakeKey), "row", GINT_TO_POINTER(nRow - 1));
    g_object_set_data(G_OBJECT(r.pwgtMakeKey), "saved", GINT_TO_POINTER(!p.strName.empty()));
    g_signal_connect(r.pwgtRole, "changed", G_CALLBACK(pedOnRoleChanged), r.pwgtMakeKey);
    g_signal_connect(r.pwgtMakeKey, "clicked", G_CALLBACK(pedOnMakeKeyClicked), pTable);
    pedOnRoleChanged(GTK_COMBO_BOX(r.pwgtRole), r.pwgtMakeKey);
    int nCol = 0;
    for (GtkWidget* pwgt : {r.pwgtName, r.pwgtWeight, r.pwgtRole, r.pwgtRemove, r.pwgtKey, r.pwgtMakeKey}) {
        gtk_grid_attach(pTable->pgrid, pwgt, nCol++, nRow, 1, 1);
        gtk_widget_show(pwgt);
    }
    gtk_widget_hide(pTable->pwgtEmpty);
    pTable->rows.push_back(r);
}

// The table as wide as its rows and as tall as a good many, so no column
// hides behind the scroll and only a long list scrolls; the dialog grows
// with a row added.
void fitTable(const _pedTable& table)
{
    constexpr int MOST_HEIGHT = 400;
    int nWidth = 0, nHeight = 0;
    gtk_widget_get_preferred_width(GTK_WIDGET(table.pgrid), nullptr, &nWidth);
    gtk_widget_get_preferred_height(GTK_WIDGET(table.pgrid), nullptr, &nHeight);
    gtk_scrolled_window_set_min_content_width(GTK_SCROLLED_WINDOW(table.pwgtScroll), nWidth);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(table.pwgtScroll), std::min(nHeight, MOST_HEIGHT));
}

// A new row at the foot of the table, its name to be typed.
void pedOnAddClicked(GtkButton*, gpointer pTable)
{
    auto* pt = static_cast<_pedTable*>(pTable);
    addRow(pt, {});
    fitTable(*pt);
    gtk_widget_grab_focus(pt->rows.back().pwgtName);
}

// A weight a person can have, as the pilot's unit shows it: the least
// rounded up and the most down, so both are taken as written.
std::string weightRange(void)
{
    const double nLeast = std::ceil(unitToShown(KIND_WEIGHT, PPL_LEAST_WEIGHT, m_wbSetup) * 10) / 10;
    const double nMost = std::floor(unitToShown(KIND_WEIGHT, PPL_MOST_WEIGHT, m_wbSetup) * 10) / 10;
    return mscFormatNumber("%1.1f", nLeast) + " to " + mscFormatNumber("%1.1f", nMost) + " " +
           unitSymbol(KIND_WEIGHT, m_wbSetup);
}

// A row's weight in kg, read as a seat's weight is; "" or why it is none.
std::string readWeight(const _pedRow& r, double* pnKg)
{
    *pnKg = r.nOldKg;
    if (!mscEntryEdited(r.pwgtWeight))
        return "";
    const std::string strText = gtk_entry_get_text(GTK_ENTRY(r.pwgtWeight));
    const _mscReading w = mscReadNumber(strText.c_str());
    *pnKg = unitToInternal(KIND_WEIGHT, w.nValue, m_wbSetup);
    const bool bBlank = strText.find_first_not_of(" \t") == std::string::npos;
    if (bBlank)
        return "has no weight: type one from " + weightRange();
    if (!w.strProblem.empty() || !std::isfinite(*pnKg))
        return "has a weight \u201c" + mscOneLine(strText, 20) + "\u201d that is not read as a number" +
               (w.strProblem.empty() ? "" : " (" + w.strProblem + ")") + ": type one from " + weightRange();
    if (!unitPossible(KIND_WEIGHT, *pnKg) || !pplInvalid({"-", *pnKg, PPL_ROLE_NONE}).empty())
        return "cannot weigh " + txtAmount(KIND_WEIGHT, *pnKg, m_wbSetup) + ": a person weighs from " + weightRange();
    return "";
}

// The list the rows hold; "" or why it cannot be kept, the field at fault
// flagged and given the focus. A row added and left blank is no one.
std::string readRows(const std::vector<_pedRow>& rows, std::vector<_pplPerson>* pPeople)
{
    pPeople->clear();
    for (const _pedRow& r : rows)
        for (GtkWidget* pwgt : {r.pwgtName, r.pwgtWeight})
            mscFlagEntry(pwgt, "");
    for (const _pedRow& r : rows) {
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r.pwgtRemove)))
            continue;
        g_autofree gchar* pszName = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(r.pwgtName))));
        const bool bAdded = r.strOldName.empty();
        if (bAdded && !*pszName && !*gtk_entry_get_text(GTK_ENTRY(r.pwgtWeight)))
            continue;
        const std::string strWho = *pszName ? "\u2068" + txtOneLine(pszName, 40) + "\u2069" : "A person";
        auto refuse = [&](GtkWidget* pwgt, const std::string& strWhy) {
            mscFlagEntry(pwgt, strWhy);
            gtk_widget_grab_focus(pwgt);
            return strWhy;
        };
        _pplPerson p = {pszName, 0,
                        static_cast<_pplRole>(std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(r.pwgtRole)))),
                        r.strKey};
        if (!*pszName)
            return refuse(r.pwgtName, "A person has no name: type one, or tick Remove");
        if (const std::string strBad = readWeight(r, &p.nWeight); !strBad.empty())
            return refuse(r.pwgtWeight, strWho + " " + strBad);
        if (const std::string strBad = pplInvalid(p); !strBad.empty())
            return refuse(r.pwgtName, strWho + " " + strBad);
        if (std::any_of(pPeople->begin(), pPeople->end(), [&](const _pplPerson& o) { return o.strName == p.strName; }))
            return refuse(r.pwgtName, strWho + (bAdded ? " is saved already: give the new person a name of their own"
                                                       : " is named twice: a name picks one person"));
        pPeople->push_back(p);
    }
    return "";
}

// A message over the dialog of pwgtFrom, as text whatever a name holds;
// the button chosen.
int tell(GtkWidget* pwgtFrom, GtkMessageType nType, GtkButtonsType nButtons, const std::string& strText,
         const std::string& strDetail, const char* pszName)
{
    GtkWidget* pdlg = gtk_message_dialog_new(GTK_WINDOW(gtk_widget_get_toplevel(pwgtFrom)), GTK_DIALOG_MODAL, nType,
                                             nButtons, "%s", strText.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", strDetail.c_str());
    gtk_widget_set_name(pdlg, pszName);
    const int nResponse = gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
    return nResponse;
}

// Asks strWho's passphrase twice, unseen, until it is one to keep (said
// in the dialog where not); null where the pilot cancels. The entries are
// emptied as soon as they are read: their buffer wipes what it held.
_sgnSecretText askPassphrase(GtkWidget* pwgtFrom, const std::string& strWho)
{
    GtkWidget* pdlg = gtk_dialog_new_with_buttons(("Signing key for " + strWho).c_str(),
                                                  GTK_WINDOW(gtk_widget_get_toplevel(pwgtFrom)), GTK_DIALOG_MODAL,
                                                  "_Cancel", GTK_RESPONSE_CANCEL, "_Make", GTK_RESPONSE_OK, nullptr);
    gtk_widget_set_name(pdlg, "SigningKeyPassphrase");
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    GtkGrid* pgrid = GTK_GRID(gtk_grid_new());
    gtk_grid_set_row_spacing(pgrid, 6);
    gtk_grid_set_column_spacing(pgrid, 10);
    gtk_container_set_border_width(GTK_CONTAINER(pgrid), 12);
    GtkWidget* pwgtAbout = gtk_label_new((strWho + "\u2019s passphrase unlocks the key each time they accept a sheet. "
                                                   "It is kept nowhere: where it is forgotten, make a new key.")
                                             .c_str());
    gtk_label_set_line_wrap(GTK_LABEL(pwgtAbout), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(pwgtAbout), 50);
    gtk_grid_attach(pgrid, pwgtAbout, 0, 0, 2, 1);
    GtkWidget* pwgtProblem = gtk_label_new("");
    gtk_widget_set_name(pwgtProblem, "SigningKeyProblem");
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtProblem), GTK_STYLE_CLASS_ERROR);
    GtkEntry* pentries[2] = {};
    for (int n = 0; n < 2; n++) {
        pentries[n] = GTK_ENTRY(gtk_entry_new());
        gtk_entry_set_visibility(pentries[n], FALSE);
        gtk_entry_set_input_purpose(pentries[n], GTK_INPUT_PURPOSE_PASSWORD);
        gtk_entry_set_activates_default(pentries[n], TRUE);
        GtkWidget* pwgtLabel = gtk_label_new_with_mnemonic(n == 0 ? "_Passphrase" : "_Again");
        gtk_label_set_mnemonic_widget(GTK_LABEL(pwgtLabel), GTK_WIDGET(pentries[n]));
        gtk_grid_attach(pgrid, pwgtLabel, 0, n + 1, 1, 1);
        gtk_grid_attach(pgrid, GTK_WIDGET(pentries[n]), 1, n + 1, 1, 1);
    }
    gtk_grid_attach(pgrid, pwgtProblem, 0, 3, 2, 1);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(pdlg))), GTK_WIDGET(pgrid), TRUE, TRUE, 0);
    gtk_widget_show_all(pdlg);
    _sgnSecretText passphrase;
    while (!passphrase && gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK) {
        const char* pszFirst = gtk_entry_get_text(pentries[0]);
        std::string strWhy = sgkPassphraseWhy(pszFirst);
        if (strWhy.empty() && std::strcmp(pszFirst, gtk_entry_get_text(pentries[1])) != 0)
            strWhy = "the two passphrases differ: type them again";
        if (strWhy.empty()) {
            passphrase = sgnKeepSecret(pszFirst);
            if (!passphrase)
                strWhy = "there is no memory to hold it";
        }
        for (GtkEntry* pentry : pentries)
            gtk_entry_set_text(pentry, "");
        if (!strWhy.empty())
            strWhy[0] = g_ascii_toupper(strWhy[0]);
        gtk_label_set_text(GTK_LABEL(pwgtProblem), strWhy.empty() ? "" : (strWhy + ".").c_str());
        gtk_widget_grab_focus(GTK_WIDGET(pentries[0]));
    }
    gtk_widget_destroy(pdlg);
    return passphrase;
}

// Makes the row's person a signing key and keeps its public line with them
// in People.conf at once: the secret half is on the disk from now on.
void pedOnMakeKeyClicked(GtkButton* pbtn, gpointer pTable)
{
    auto* pt = static_cast<_pedTable*>(pTable);
    const size_t nRow = static_cast<size_t>(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(pbtn), "row")));
    _pedRow& r = pt->rows.at(nRow);
    GtkWidget* pwgt = GTK_WIDGET(pbtn);
    const std::string strWho = "\u2068" + txtOneLine(r.strOldName, 40) + "\u2069";
    if (!r.strKey.empty() &&
        tell(pwgt, GTK_MESSAGE_QUESTION, GTK_BUTTONS_YES_NO, strWho + " already has a signing key; make a new one?",
             "Sheets they accept with the new key are checked against it only once the office has it.",
             "SigningKeyAgain") != GTK_RESPONSE_YES)
        return;
    _sgnSecretText passphrase = askPassphrase(pwgt, strWho);
    if (!passphrase)
        return;
    std::string strWhy;
    const std::string strPublic = sgkMake(passphrase.get(), &strWhy);
    passphrase.reset();
    std::vector<_pplPerson> people = pplPeople();
    const auto it =
        std::find_if(people.begin(), people.end(), [&](const _pplPerson& p) { return p.strName == r.strOldName; });
    if (!strPublic.empty() && it != people.end()) {
        it->strKey = sgnPublicLine(strPublic);
        if (const std::string strNotSaved = pplSave(people); !strNotSaved.empty())
            strWhy = "the key was made, but it is not kept with " + strWho + ": " + strNotSaved;
    } else if (strWhy.empty()) {
        strWhy = strWho + " is no longer saved";
    }
    if (!strWhy.empty()) {
        tell(pwgt, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "No signing key for " + strWho, strWhy, "SigningKeyFailed");
        return;
    }
    r.strKey = it->strKey;
    showKey(r);
    tell(pwgt, GTK_MESSAGE_INFO, GTK_BUTTONS_OK, strWho + " has a new signing key",
         "Give the office " + sgkPublicFile(r.strKey) + " and read them this digest: " + sgnKeyDigest(r.strKey),
         "SigningKeyMade");
}

} // namespace

std::vector<std::pair<std::string, std::string>> pedEditPeople(GtkWindow* pwinParent)
{
    GtkWidget* pdlg = gtk_dialog_new_with_buttons("Saved people", pwinParent, GTK_DIALOG_MODAL, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_OK, nullptr);
    _pedTable table = {GTK_GRID(gtk_grid_new()),
                       gtk_scrolled_window_new(nullptr, nullptr),
                       gtk_label_new("Nobody is saved yet: add a person, or name a seat's person and save them."),
                       {}};
    gtk_grid_set_row_spacing(table.pgrid, 6);
    gtk_grid_set_column_spacing(table.pgrid, 10);
    gtk_container_set_border_width(GTK_CONTAINER(table.pgrid), 12);
    const std::string strWeight = "Weight (" + unitLabel(KIND_WEIGHT, m_wbSetup) + ")";
    int nCol = 0;
    for (const char* psz : {"Name", strWeight.c_str(), "Role", "", "Signing key"})
        gtk_grid_attach(table.pgrid, gtk_label_new(psz), nCol++, 0, 1, 1);
    GtkWidget* pbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(pbox), 6);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(table.pwgtScroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_container_add(GTK_CONTAINER(table.pwgtScroll), GTK_WIDGET(table.pgrid));
    gtk_box_pack_start(GTK_BOX(pbox), table.pwgtScroll, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(pbox), table.pwgtEmpty, FALSE, FALSE, 0);
    GtkWidget* pwgtAdd = gtk_button_new_with_mnemonic("_Add person");
    gtk_widget_set_name(pwgtAdd, "PeopleAdd");
    gtk_widget_set_halign(pwgtAdd, GTK_ALIGN_START);
    g_signal_connect(pwgtAdd, "clicked", G_CALLBACK(pedOnAddClicked), &table);
    gtk_box_pack_start(GTK_BOX(pbox), pwgtAdd, FALSE, FALSE, 0);
    GtkWidget* pwgtProblem = gtk_label_new("");
    gtk_widget_set_name(pwgtProblem, "PeopleProblem");
    gtk_label_set_line_wrap(GTK_LABEL(pwgtProblem), TRUE);
    gtk_label_set_xalign(GTK_LABEL(pwgtProblem), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtProblem), GTK_STYLE_CLASS_ERROR);
    gtk_box_pack_start(GTK_BOX(pbox), pwgtProblem, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(pdlg))), pbox, TRUE, TRUE, 0);
    for (const _pplPerson& p : pplPeople())
        addRow(&table, p);
    gtk_widget_show_all(pdlg);
    gtk_widget_set_visible(table.pwgtEmpty, table.rows.empty());
    fitTable(table);
    std::vector<std::pair<std::string, std::string>> renamed;
    while (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK) {
        std::vector<_pplPerson> people;
        std::string strProblem = readRows(table.rows, &people);
        if (strProblem.empty())
            strProblem = pplSave(people);
        if (strProblem.empty()) {
            // The people kept stand in the order of their rows.
            for (const _pedRow& r : table.rows) {
                g_autofree gchar* pszName = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(r.pwgtName))));
                if (!r.strOldName.empty() && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r.pwgtRemove)) &&
                    r.strOldName != pszName)
                    renamed.emplace_back(r.strOldName, pszName);
            }
            break;
        }
        gtk_label_set_text(GTK_LABEL(pwgtProblem), strProblem.c_str());
    }
    gtk_widget_destroy(pdlg);
    return renamed;
}
