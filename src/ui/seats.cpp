// The seats' people and the commander on the loading page, and the dialog
// that edits the saved people. A name is kept in Zarv.conf; a person's
// saved weight goes into the seat as saved, and a weight typed over it is
// the entry's own, stored as typed.
#include "ui/seats.h"

#include "model/texts.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/people.h"
#include "ui/misc.h"
#include "ui/peopleEdit.h"

#include <algorithm>
#include <array>

namespace
{

// A seat: its weight's and its person's values, its commander's name in
// Zarv.conf, and its objects in Zarv.ui.
struct _seatSide {
    _prmValueId nWeight, nPerson;
    const char* pszCommander;
    const char *pszPerson, *pszWeight, *pszSave;
};
constexpr std::array<_seatSide, 2> SEAT_SIDES = {{
    {VAL_LSEAT, VAL_LSEAT_PERSON, "left", "LeftSeatPerson", "LeftSeatWeight", "LeftSeatSave"},
    {VAL_RSEAT, VAL_RSEAT_PERSON, "right", "RightSeatPerson", "RightSeatWeight", "RightSeatSave"},
}};

// A name shown on a button at most this long, cut with an ellipsis; whole
// in its tooltip.
constexpr int MAX_NAME_CHARS = 24;

// The page's objects, null where Zarv.ui lacks them; and whether the page
// is filling them, when their handlers stay out.
struct _seatPage {
    std::array<GtkWidget*, 2> pwgtPerson{}, pwgtWeight{}, pwgtSave{};
    GtkWidget *pwgtCommander = nullptr, *pwgtEditPeople = nullptr;
    bool bShowing = false;
};
_seatPage m_seat;

GtkEntry* personEntry(size_t i)
{
    return GTK_ENTRY(gtk_bin_get_child(GTK_BIN(m_seat.pwgtPerson[i])));
}

// Whether a name is being typed beside seat i: the pilot's until left.
bool personTyped(size_t i)
{
    GtkWidget* pwinTop = gtk_widget_get_toplevel(m_seat.pwgtPerson[i]);
    return GTK_IS_WINDOW(pwinTop) && gtk_window_get_focus(GTK_WINDOW(pwinTop)) == GTK_WIDGET(personEntry(i));
}

// The name as typed, without the blanks around it.
std::string typedName(size_t i)
{
    g_autofree gchar* psz = g_strstrip(g_strdup(gtk_entry_get_text(personEntry(i))));
    return psz;
}

double seatKg(size_t i)
{
    return valHeld(SEAT_SIDES[i].nWeight);
}

std::string weightText(double nKg)
{
    return txtAmount(KIND_WEIGHT, nKg, m_wbSetup);
}

// A saved person as their list shows them beside their name: " — 62.0 kg,
// instructor".
std::string personDetail(const _pplPerson& p)
{
    return " \u2014 " + weightText(p.nWeight) + (p.nRole != PPL_ROLE_NONE ? ", " : "") + PPL_ROLE_NAMES[p.nRole];
}

// The list's rows hold the names alone, which is what a choice puts in
// the entry; each is drawn on one line and set apart from what follows, so
// no name reads as another's weight or role.
void seatNameData(GtkCellLayout*, GtkCellRenderer* pcell, GtkTreeModel* pModel, GtkTreeIter* pIter, gpointer)
{
    g_autofree gchar* pszName = nullptr;
    gtk_tree_model_get(pModel, pIter, 0, &pszName, -1);
    g_object_set(pcell, "text", ("\u2068" + mscOneLine(pszName ? pszName : "", MAX_NAME_CHARS) + "\u2069").c_str(),
                 nullptr);
}

// The weight and role are drawn beside each name from the people.
void seatDetailData(GtkCellLayout*, GtkCellRenderer* pcell, GtkTreeModel* pModel, GtkTreeIter* pIter, gpointer)
{
    g_autofree gchar* pszName = nullptr;
    gtk_tree_model_get(pModel, pIter, 0, &pszName, -1);
    const _pplPerson* p = pplFind(pszName ? pszName : "");
    g_object_set(pcell, "text", p ? personDetail(*p).c_str() : "", nullptr);
}

// The commander's list names who sits in each seat ("Anna (left seat)"),
// the seat alone where nobody is named; the ids stay those Zarv.conf holds.
std::string commanderText(const _seatSide& s)
{
    const std::string strName = mscOneLine(valGetText(s.nPerson), MAX_NAME_CHARS);
    const std::string strSeat = std::string(s.pszCommander) + " seat";
    if (strName.empty())
        return std::string(1, g_ascii_toupper(strSeat[0])) + strSeat.substr(1);
    return "\u2068" + strName + "\u2069 (" + strSeat + ")";
}

void showCommanderNames(void)
{
    GtkComboBoxText* pcombo = GTK_COMBO_BOX_TEXT(m_seat.pwgtCommander);
    gtk_combo_box_text_remove_all(pcombo);
    gtk_combo_box_text_append(pcombo, "", "Not named");
    for (const _seatSide& s : SEAT_SIDES)
        gtk_combo_box_text_append(pcombo, s.pszCommander, commanderText(s).c_str());
}

// Whether the commander's list names other people than the seats hold.
bool commanderNamesStale(void)
{
    GtkTreeModel* pModel = gtk_combo_box_get_model(GTK_COMBO_BOX(m_seat.pwgtCommander));
    for (size_t i = 0; i < SEAT_SIDES.size(); i++) {
        GtkTreeIter iter;
        g_autofree gchar* psz = nullptr;
        if (!gtk_tree_model_iter_nth_child(pModel, &iter, nullptr, static_cast<int>(i) + 1))
            return true;
        gtk_tree_model_get(pModel, &iter, 0, &psz, -1);
        if (commanderText(SEAT_SIDES[i]) != (psz ? psz : ""))
            return true;
    }
    return false;
}

// Every saved name in each seat's list, and each seat's name and the
// commander as Zarv.conf holds them; a field being typed in keeps its text.
void showNames(void)
{
    m_seat.bShowing = true;
    for (size_t i = 0; i < SEAT_SIDES.size(); i++) {
        if (!m_seat.pwgtPerson[i])
            continue;
        const bool bTyping = personTyped(i);
        const std::string strTyped = gtk_entry_get_text(personEntry(i));
        GtkComboBoxText* pcombo = GTK_COMBO_BOX_TEXT(m_seat.pwgtPerson[i]);
        gtk_combo_box_text_remove_all(pcombo);
        for (const _pplPerson& p : pplPeople())
            gtk_combo_box_text_append(pcombo, p.strName.c_str(), p.strName.c_str());
        gtk_entry_set_text(personEntry(i), bTyping ? strTyped.c_str() : valGetText(SEAT_SIDES[i].nPerson).c_str());
    }
    if (m_seat.pwgtCommander) {
        const std::string strCommander = valGetText(VAL_COMMANDER);
        const bool bNamed = std::any_of(SEAT_SIDES.begin(), SEAT_SIDES.end(),
                                        [&](const _seatSide& s) { return strCommander == s.pszCommander; });
        showCommanderNames();
        gtk_combo_box_set_active_id(GTK_COMBO_BOX(m_seat.pwgtCommander), bNamed ? strCommander.c_str() : "");
    }
    m_seat.bShowing = false;
}

// A seat's person against the seat: their saved weight where it is not the
// seat's, and the offer to save the name with the seat's weight.
void showMarks(size_t i)
{
    if (!m_seat.pwgtPerson[i])
        return;
    const std::string strName = typedName(i);
    const _pplPerson* p = pplFind(strName);
    const std::string strMark = seatSavedMark(strName, seatKg(i));
    // One person cannot sit in both seats: the name is a slip, and the
    // person's weight counted twice.
    const size_t nOther = 1 - i;
    const bool bTwice = !strName.empty() && m_seat.pwgtPerson[nOther] && typedName(nOther) == strName;
    GtkEntry* pentry = personEntry(i);
    gtk_entry_set_icon_from_icon_name(pentry, GTK_ENTRY_ICON_SECONDARY,
                                      strMark.empty() && !bTwice ? nullptr : "dialog-warning-symbolic");
    std::string strTip = "Who sits in this seat: a saved person fills the seat's weight";
    if (p)
        strTip = "\u2068" + mscOneLine(strName, MAX_NAME_CHARS) + "\u2069" +
                 (p->nRole != PPL_ROLE_NONE ? std::string(", ") + PPL_ROLE_NAMES[p->nRole] : "") + ", saved with " +
                 weightText(p->nWeight) + (strMark.empty() ? "" : "; the seat holds " + weightText(seatKg(i)));
    if (bTwice)
        strTip = "\u2068" + strName + "\u2069 is named in both seats\n" + strTip;
    gtk_widget_set_tooltip_text(GTK_WIDGET(pentry), strTip.c_str());
    gtk_entry_set_icon_tooltip_text(pentry, GTK_ENTRY_ICON_SECONDARY,
                                    strMark.empty() && !bTwice ? nullptr : strTip.c_str());
    GtkWidget* pwgtSave = m_seat.pwgtSave[i];
    if (!pwgtSave)
        return;
    // Offered for a new name, or a saved one whose weight is not the seat's.
    const _pplPerson candidate = {strName, seatKg(i), p ? p->nRole : PPL_ROLE_NONE};
    const bool bOffer = pplInvalid(candidate).empty() && (!p || !strMark.empty());
    gtk_widget_set_visible(pwgtSave, bOffer);
    if (!bOffer)
        return;
    const std::string strLabel =
        "Save \u2068" + txtOneLine(strName, MAX_NAME_CHARS) + "\u2069 with " + weightText(seatKg(i));
    gtk_button_set_label(GTK_BUTTON(pwgtSave), strLabel.c_str());
    gtk_widget_set_tooltip_text(
        pwgtSave, ("Save \u2068" + strName + "\u2069 with " + weightText(seatKg(i)) + " to the saved people").c_str());
}

// Both seats' marks: a name in one is judged against the other's.
void showAllMarks(void)
{
    for (size_t i = 0; i < SEAT_SIDES.size(); i++)
        showMarks(i);
}

// Fills a seat with a person's saved kilograms. The entry shows them in the
// pilot's unit, rounded to its tenth: reading that text back would put
// 90.9907 kg in the seat of someone saved at 91 kg. Until the pilot types
// over it, the seat holds the saved weight.
void fillWeight(size_t i, const _pplPerson& p)
{
    GtkWidget* pwgtWeight = m_seat.pwgtWeight[i];
    const _prmValueId nId = SEAT_SIDES[i].nWeight;
    const _prmValue& v = valValue(nId);
    mscShowNumber(pwgtWeight, v.pszFormat, valShown(v, p.nWeight));
    mscFlagEntry(pwgtWeight, "");
    valSetUnread(nId, "");
    valStoreValue(nId, p.nWeight);
}

// A seat's name left or chosen: kept where it changed, and a saved
// person's weight put into the seat.
void commitName(size_t i)
{
    const std::string strName = typedName(i);
    if (strName == valGetText(SEAT_SIDES[i].nPerson))
        return showAllMarks();
    // The name and the weight it brings are one change to the pages.
    const _stateChanging changing;
    valSetText(SEAT_SIDES[i].nPerson, strName.c_str());
    if (const _pplPerson* p = pplFind(strName))
        fillWeight(i, *p);
}

size_t sideOf(gpointer pSide)
{
    return GPOINTER_TO_SIZE(pSide);
}

void seatOnPersonChanged(GtkComboBox* pcombo, gpointer pSide)
{
    if (m_seat.bShowing)
        return;
    // A name chosen from the list is taken at once; one being typed only
    // changes the offer beside it.
    if (gtk_combo_box_get_active(pcombo) >= 0)
        commitName(sideOf(pSide));
    else
        showAllMarks();
}

gboolean seatOnPersonFocusOut(GtkWidget*, GdkEventFocus*, gpointer pSide)
{
    commitName(sideOf(pSide));
    return FALSE;
}

void seatOnPersonActivate(GtkEntry*, gpointer pSide)
{
    commitName(sideOf(pSide));
}

// The seat's name saved with the seat's weight: a new person, or a saved
// one's weight made the seat's.
void seatOnSaveClicked(GtkButton*, gpointer pSide)
{
    const size_t i = sideOf(pSide);
    commitName(i);
    std::vector<_pplPerson> people = pplPeople();
    const std::string strName = typedName(i);
    const auto it =
        std::find_if(people.begin(), people.end(), [&](const _pplPerson& p) { return p.strName == strName; });
    if (it != people.end())
        it->nWeight = seatKg(i);
    else
        people.push_back({strName, seatKg(i), PPL_ROLE_NONE});
    if (!pplInvalid({strName, seatKg(i), PPL_ROLE_NONE}).empty() || !pplSave(people).empty())
        return showAllMarks();
    showNames();
    showAllMarks();
}

void seatOnCommanderChanged(GtkComboBox* pcombo, gpointer)
{
    if (m_seat.bShowing)
        return;
    const gchar* pszId = gtk_combo_box_get_active_id(pcombo);
    const std::string strId = pszId ? pszId : "";
    if (strId != valGetText(VAL_COMMANDER))
        valSetText(VAL_COMMANDER, strId.c_str());
}

// The saved people edited; a seat naming someone renamed follows them.
void seatOnEditPeopleClicked(GtkButton* pwgtButton, gpointer)
{
    GtkWidget* pwinTop = gtk_widget_get_toplevel(GTK_WIDGET(pwgtButton));
    const auto renamed = pedEditPeople(GTK_IS_WINDOW(pwinTop) ? GTK_WINDOW(pwinTop) : nullptr);
    {
        const _stateChanging changing;
        for (const _seatSide& s : SEAT_SIDES)
            for (const auto& [strOld, strNew] : renamed)
                if (valGetText(s.nPerson) == strOld)
                    valSetText(s.nPerson, strNew.c_str());
    }
    showNames();
    showAllMarks();
}

// Whether the names or the commander shown are not the leg's: another leg
// shown, or one added or removed. A name being typed is the pilot's.
bool namesStale(void)
{
    for (size_t i = 0; i < SEAT_SIDES.size(); i++) {
        if (!m_seat.pwgtPerson[i])
            continue;
        const bool bTyping = personTyped(i);
        if (!bTyping && typedName(i) != valGetText(SEAT_SIDES[i].nPerson))
            return true;
    }
    if (!m_seat.pwgtCommander)
        return false;
    if (commanderNamesStale())
        return true;
    const gchar* pszShown = gtk_combo_box_get_active_id(GTK_COMBO_BOX(m_seat.pwgtCommander));
    const std::string strCommander = valGetText(VAL_COMMANDER);
    const bool bNamed = std::any_of(SEAT_SIDES.begin(), SEAT_SIDES.end(),
                                    [&](const _seatSide& s) { return strCommander == s.pszCommander; });
    return std::string(pszShown ? pszShown : "") != (bNamed ? strCommander : "");
}

void seatOnStateChanged(_stateChange nChange)
{
    // Zarv.conf read again, or the units changed: the names and the
    // commander shown anew, and every weight in the pilot's unit; the
    // loading changed, as another leg's.
    if (nChange != STATE_LOADING || namesStale())
        showNames();
    showAllMarks();
}

void seatOnDestroy(GtkWidget* pwgt, gpointer)
{
    if (pwgt != m_seat.pwgtPerson[0] && pwgt != m_seat.pwgtPerson[1] && pwgt != m_seat.pwgtCommander)
        return;
    stateUnlisten(seatOnStateChanged);
    m_seat = _seatPage{};
}

} // namespace

std::string seatSavedMark(const std::string& strName, double nSeatKg)
{
    const _pplPerson* p = pplFind(strName);
    // Compared as the pilot reads them: to the tenth shown.
    if (!p || weightText(p->nWeight) == weightText(nSeatKg))
        return "";
    return "saved " + weightText(p->nWeight);
}

void seatInit(GtkBuilder* pBuilder)
{
    m_seat = _seatPage{};
    pplLoad();
    auto optional = [&](const char* pszId, GType nType) -> GtkWidget* {
        GtkWidget* pwgt = mscLookUp(pBuilder, pszId);
        return pwgt && G_TYPE_CHECK_INSTANCE_TYPE(pwgt, nType) ? pwgt : nullptr;
    };
    for (size_t i = 0; i < SEAT_SIDES.size(); i++) {
        const _seatSide& s = SEAT_SIDES[i];
        GtkWidget* pwgtPerson = optional(s.pszPerson, GTK_TYPE_COMBO_BOX_TEXT);
        m_seat.pwgtWeight[i] = optional(s.pszWeight, GTK_TYPE_ENTRY);
        // A list without an entry takes no typed name.
        if (!pwgtPerson || !m_seat.pwgtWeight[i] || !gtk_combo_box_get_has_entry(GTK_COMBO_BOX(pwgtPerson)))
            continue;
        m_seat.pwgtPerson[i] = pwgtPerson;
        m_seat.pwgtSave[i] = optional(s.pszSave, GTK_TYPE_BUTTON);
        gpointer pSide = GSIZE_TO_POINTER(i);
        gtk_entry_set_width_chars(personEntry(i), 16);
        g_signal_connect(pwgtPerson, "changed", G_CALLBACK(seatOnPersonChanged), pSide);
        g_signal_connect(personEntry(i), "focus-out-event", G_CALLBACK(seatOnPersonFocusOut), pSide);
        g_signal_connect(personEntry(i), "activate", G_CALLBACK(seatOnPersonActivate), pSide);
        g_signal_connect(pwgtPerson, "destroy", G_CALLBACK(seatOnDestroy), nullptr);
        g_autoptr(GList) cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(pwgtPerson));
        if (cells && GTK_IS_CELL_RENDERER_TEXT(cells->data))
            gtk_cell_layout_set_cell_data_func(GTK_CELL_LAYOUT(pwgtPerson), GTK_CELL_RENDERER(cells->data),
                                               seatNameData, nullptr, nullptr);
        GtkCellRenderer* pcellDetail = gtk_cell_renderer_text_new();
        g_object_set(pcellDetail, "style", PANGO_STYLE_ITALIC, nullptr);
        gtk_cell_layout_pack_start(GTK_CELL_LAYOUT(pwgtPerson), pcellDetail, FALSE);
        gtk_cell_layout_set_cell_data_func(GTK_CELL_LAYOUT(pwgtPerson), pcellDetail, seatDetailData, nullptr, nullptr);
        if (m_seat.pwgtSave[i]) {
            gtk_widget_set_no_show_all(m_seat.pwgtSave[i], TRUE);
            g_signal_connect(m_seat.pwgtSave[i], "clicked", G_CALLBACK(seatOnSaveClicked), pSide);
            if (GtkWidget* pwgtLabel = gtk_bin_get_child(GTK_BIN(m_seat.pwgtSave[i])); GTK_IS_LABEL(pwgtLabel))
                gtk_label_set_ellipsize(GTK_LABEL(pwgtLabel), PANGO_ELLIPSIZE_END);
        }
    }
    if ((m_seat.pwgtCommander = optional("CommanderSeat", GTK_TYPE_COMBO_BOX_TEXT))) {
        g_signal_connect(m_seat.pwgtCommander, "changed", G_CALLBACK(seatOnCommanderChanged), nullptr);
        g_signal_connect(m_seat.pwgtCommander, "destroy", G_CALLBACK(seatOnDestroy), nullptr);
    }
    if ((m_seat.pwgtEditPeople = optional("EditPeople", GTK_TYPE_BUTTON))) {
        gtk_widget_set_tooltip_text(m_seat.pwgtEditPeople,
                                    "Add, rename, reweigh or remove the saved people, and give each a role");
        g_signal_connect(m_seat.pwgtEditPeople, "clicked", G_CALLBACK(seatOnEditPeopleClicked), nullptr);
    }
    if (m_seat.pwgtPerson[0] || m_seat.pwgtPerson[1] || m_seat.pwgtCommander)
        stateListen(seatOnStateChanged);
}
