// The dialog that edits the saved people: one row per person, read back
// and checked whole before People.conf is replaced; a row that cannot be
// kept is said in the dialog, which stays open until it is put right or
// the pilot cancels.
#include "ui/peopleEdit.h"

#include "model/texts.h"
#include "store/people.h"
#include "store/state.h"
#include "ui/misc.h"

#include <algorithm>

namespace
{

// One person's row: the widgets, and the name the row came with.
struct _pedRow {
    GtkWidget *pwgtName, *pwgtWeight, *pwgtRole, *pwgtRemove;
    std::string strOldName;
};

void addRow(GtkGrid* pgrid, int nRow, const _pplPerson& p, std::vector<_pedRow>* pRows)
{
    _pedRow r = {gtk_entry_new(), gtk_entry_new(), gtk_combo_box_text_new(), gtk_check_button_new_with_label("Remove"),
                 p.strName};
    gtk_entry_set_text(GTK_ENTRY(r.pwgtName), p.strName.c_str());
    gtk_entry_set_width_chars(GTK_ENTRY(r.pwgtName), 24);
    mscShowNumber(r.pwgtWeight, "%1.1f", unitToShown(KIND_WEIGHT, p.nWeight, m_wbSetup));
    gtk_entry_set_width_chars(GTK_ENTRY(r.pwgtWeight), 8);
    gtk_entry_set_alignment(GTK_ENTRY(r.pwgtWeight), 1);
    for (const char* pszRole : PPL_ROLE_NAMES)
        gtk_combo_box_text_append(GTK_COMBO_BOX_TEXT(r.pwgtRole), pszRole, *pszRole ? pszRole : "\u2013");
    gtk_combo_box_set_active(GTK_COMBO_BOX(r.pwgtRole), p.nRole);
    int nCol = 0;
    for (GtkWidget* pwgt : {r.pwgtName, r.pwgtWeight, r.pwgtRole, r.pwgtRemove})
        gtk_grid_attach(pgrid, pwgt, nCol++, nRow, 1, 1);
    pRows->push_back(r);
}

// The list the rows hold; "" or why it cannot be kept.
std::string readRows(const std::vector<_pedRow>& rows, std::vector<_pplPerson>* pPeople)
{
    pPeople->clear();
    for (const _pedRow& r : rows) {
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r.pwgtRemove)))
            continue;
        g_autofree gchar* pszName = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(r.pwgtName))));
        const _mscReading w = mscReadNumber(gtk_entry_get_text(GTK_ENTRY(r.pwgtWeight)));
        const int nRole = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(r.pwgtRole)));
        const _pplPerson p = {pszName, unitToInternal(KIND_WEIGHT, w.nValue, m_wbSetup), static_cast<_pplRole>(nRole)};
        const std::string strWho = *pszName ? "\u2068" + txtOneLine(pszName, 40) + "\u2069" : "A person";
        if (!w.strProblem.empty())
            return strWho + ": the weight is not a number";
        if (const std::string strBad = pplInvalid(p); !strBad.empty())
            return strWho + " " + strBad;
        if (std::any_of(pPeople->begin(), pPeople->end(), [&](const _pplPerson& o) { return o.strName == p.strName; }))
            return strWho + " is named twice";
        pPeople->push_back(p);
    }
    return "";
}

} // namespace

std::vector<std::pair<std::string, std::string>> pedEditPeople(GtkWindow* pwinParent)
{
    GtkWidget* pdlg = gtk_dialog_new_with_buttons("Saved people", pwinParent, GTK_DIALOG_MODAL, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_OK, nullptr);
    GtkWidget* pgrid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(pgrid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(pgrid), 10);
    gtk_container_set_border_width(GTK_CONTAINER(pgrid), 12);
    const std::string strWeight = "Weight (" + unitLabel(KIND_WEIGHT, m_wbSetup) + ")";
    int nCol = 0;
    for (const char* psz : {"Name", strWeight.c_str(), "Role"})
        gtk_grid_attach(GTK_GRID(pgrid), gtk_label_new(psz), nCol++, 0, 1, 1);
    std::vector<_pedRow> rows;
    for (const _pplPerson& p : pplPeople())
        addRow(GTK_GRID(pgrid), static_cast<int>(rows.size()) + 1, p, &rows);
    if (rows.empty())
        gtk_grid_attach(GTK_GRID(pgrid), gtk_label_new("Nobody is saved yet: name a seat's person and save them."), 0,
                        1, 4, 1);
    GtkWidget* pwgtProblem = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(pwgtProblem), TRUE);
    gtk_style_context_add_class(gtk_widget_get_style_context(pwgtProblem), GTK_STYLE_CLASS_ERROR);
    gtk_grid_attach(GTK_GRID(pgrid), pwgtProblem, 0, static_cast<int>(rows.size()) + 2, 4, 1);
    GtkWidget* pwgtScroll = gtk_scrolled_window_new(nullptr, nullptr);
    // The dialog opens as wide as its rows and as tall as a good many, so
    // no column hides behind the scroll and only a long list scrolls.
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(pwgtScroll), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(pwgtScroll), TRUE);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(pwgtScroll), 400);
    gtk_container_add(GTK_CONTAINER(pwgtScroll), pgrid);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(pdlg))), pwgtScroll, TRUE, TRUE, 0);
    gtk_widget_show_all(pdlg);
    std::vector<std::pair<std::string, std::string>> renamed;
    while (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK) {
        std::vector<_pplPerson> people;
        std::string strProblem = readRows(rows, &people);
        if (strProblem.empty())
            strProblem = pplSave(people);
        if (strProblem.empty()) {
            // The people kept stand in the order of their rows.
            size_t j = 0;
            for (const _pedRow& r : rows)
                if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(r.pwgtRemove)) &&
                    people[j++].strName != r.strOldName)
                    renamed.emplace_back(r.strOldName, people[j - 1].strName);
            break;
        }
        gtk_label_set_text(GTK_LABEL(pwgtProblem), strProblem.c_str());
    }
    gtk_widget_destroy(pdlg);
    return renamed;
}
