// The legs' row of the loading page and the check of a later leg's fuel.
// Each handler keeps what the pilot did through store/flight/legs and tells every
// page; the page shows the leg chosen from stateLoad() as it always did.
#include "ui/legChoice.h"

#include "model/texts.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/flight/people.h"
#include "ui/misc.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace
{

// The objects, null where Zarv.ui lacks them; the legs' names the list
// holds; and whether the row is being filled, when the handlers stay out.
struct _lchRow {
    GtkWidget *pwgtChoice, *pwgtAdd, *pwgtRemove, *pwgtOut, *pwgtAsLanded;
    std::vector<std::string> names;
    bool bShowing;
};
_lchRow m_lch = {};

// A name in a leg's name is cut short beyond this, so that the list stays
// beside its buttons.
constexpr size_t LCH_NAME_CHARS = 20;

// The seats as the dialog names them, with their weights and people.
struct _lchSeat {
    const char* pszName;
    _prmValueId nPerson;
    double _wbLoadState::*pnWeight;
};
constexpr std::array<_lchSeat, 2> LCH_SEATS = {{
    {"Left seat", VAL_LSEAT_PERSON, &_wbLoadState::nLSeatWeight},
    {"Right seat", VAL_RSEAT_PERSON, &_wbLoadState::nRSeatWeight},
}};

// Leg n as the list and the questions name it, by the names beside the
// seats it flies with.
std::string legName(size_t n)
{
    std::vector<std::string> names;
    // A seat is empty only at nothing: one whose weight is no number (or
    // below nothing) is not called empty, so no leg reads as a solo for it.
    for (const _lchSeat& s : LCH_SEATS)
        if (!(stateLegs()[n].*s.pnWeight == 0))
            names.push_back(mscOneLine(legText(n, s.nPerson), LCH_NAME_CHARS));
    return lchLegName(n, names, stateLegLabel(stateLegs()[n]));
}

// A field being typed in is committed to the leg it was typed for before
// the leg shown changes; a button or list with the focus keeps it.
void leaveTyping(GtkWidget* pwgtFrom)
{
    GtkWidget* pwinTop = gtk_widget_get_toplevel(pwgtFrom);
    if (GTK_IS_WINDOW(pwinTop) && GTK_IS_ENTRY(gtk_window_get_focus(GTK_WINDOW(pwinTop))))
        mscLeaveField(GTK_WINDOW(pwinTop));
}

// How many seats of the last leg are taken: a passenger gets out only where
// someone else stays aboard to fly.
int seatsTakenLast(void)
{
    const _wbLoadState& l = stateLegs().back();
    int nTaken = 0;
    for (const _lchSeat& s : LCH_SEATS)
        nTaken += l.*s.pnWeight > 0;
    return nTaken;
}

void showChoice(void)
{
    std::vector<std::string> names;
    for (size_t n = 0; n < stateLegs().size(); n++)
        names.push_back(legName(n));
    m_lch.bShowing = true;
    GtkComboBoxText* pcombo = GTK_COMBO_BOX_TEXT(m_lch.pwgtChoice);
    // Filled anew only where a name changed: an open list stays as it is.
    if (names != m_lch.names) {
        gtk_combo_box_text_remove_all(pcombo);
        for (const std::string& str : names)
            gtk_combo_box_text_append_text(pcombo, str.c_str());
        m_lch.names = names;
    }
    if (gtk_combo_box_get_active(GTK_COMBO_BOX(pcombo)) != static_cast<int>(stateShownLeg()))
        gtk_combo_box_set_active(GTK_COMBO_BOX(pcombo), static_cast<int>(stateShownLeg()));
    m_lch.bShowing = false;
    // A flight of one leg shows the page as it always was.
    gtk_widget_set_visible(m_lch.pwgtChoice, names.size() > 1);
}

void lchOnAsLandedToggled(GtkToggleButton* pwgt, gpointer);

void showRow(void)
{
    const size_t nLegs = stateLegs().size();
    if (m_lch.pwgtChoice)
        showChoice();
    if (m_lch.pwgtAdd)
        gtk_widget_set_sensitive(m_lch.pwgtAdd, nLegs < STATE_MAX_LEGS);
    if (m_lch.pwgtRemove)
        gtk_widget_set_sensitive(m_lch.pwgtRemove, nLegs > 1);
    if (m_lch.pwgtOut)
        gtk_widget_set_sensitive(m_lch.pwgtOut, nLegs < STATE_MAX_LEGS && seatsTakenLast() == 2);
    if (m_lch.pwgtAsLanded) {
        gtk_widget_set_visible(m_lch.pwgtAsLanded, stateShownLeg() > 0);
        m_lch.bShowing = true;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_lch.pwgtAsLanded), stateLoad().bFuelAsLanded);
        m_lch.bShowing = false;
    }
}

void lchOnChoiceChanged(GtkComboBox* pcombo, gpointer)
{
    const int n = gtk_combo_box_get_active(pcombo);
    if (m_lch.bShowing || n < 0 || static_cast<size_t>(n) == stateShownLeg())
        return;
    leaveTyping(GTK_WIDGET(pcombo));
    stateShowLeg(static_cast<size_t>(n));
}

void lchOnAddClicked(GtkButton* pwgt, gpointer)
{
    leaveTyping(GTK_WIDGET(pwgt));
    legAdd();
}

void lchOnRemoveClicked(GtkButton* pwgt, gpointer)
{
    leaveTyping(GTK_WIDGET(pwgt));
    // What was typed for the leg goes with it: asked first.
    if (!mscConfirmRemove(GTK_WIDGET(pwgt), "Remove " + legName(stateShownLeg()) + " from the flight?",
                          "Its seats, fuel, trip, ballast and equipment are deleted from Zarv.conf; a leg after it "
                          "whose fuel is as landed follows the leg before."))
        return;
    legRemove(stateShownLeg());
}

// A seat as the dialog offers it, by who sits there: "\u2068Anna
// Kowalski\u2069 (right seat, 62.5 kg, instructor)".
std::string seatText(const _lchSeat& s)
{
    const size_t nLast = stateLegs().size() - 1;
    const std::string strName = legText(nLast, s.nPerson);
    const std::string strWeight = txtAmount(KIND_WEIGHT, stateLegs()[nLast].*s.pnWeight, m_wbSetup);
    const _pplPerson* p = pplFind(strName);
    const std::string strRole = p && p->nRole != PPL_ROLE_NONE ? std::string(", ") + PPL_ROLE_NAMES[p->nRole] : "";
    // "Left seat" as it stands inside a sentence.
    const std::string strSeat = std::string(1, g_ascii_tolower(s.pszName[0])) + (s.pszName + 1);
    if (strName.empty())
        return "Whoever sits in the " + strSeat + " (" + strWeight + ")";
    return "\u2068" + mscOneLine(strName, 40) + "\u2069 (" + strSeat + ", " + strWeight + strRole + ")";
}

// The seat first chosen: who the roles of the people aboard say gets out
// (the instructor before a student's solo, a passenger), else whoever is
// not the commander, else the right seat (the left is commonly the pilot's).
size_t proposedSeat(void)
{
    const size_t nLast = stateLegs().size() - 1;
    std::array<_pplRole, LCH_SEATS.size()> roles{};
    for (size_t i = 0; i < LCH_SEATS.size(); i++)
        if (const _pplPerson* p = pplFind(legText(nLast, LCH_SEATS[i].nPerson)))
            roles[i] = p->nRole;
    if (const std::optional<size_t> nOut = pplWhoGetsOut(roles))
        return *nOut;
    const std::string strCommander = legText(nLast, VAL_COMMANDER);
    return strCommander == "right" ? 0 : 1;
}

// Asks who of the last leg gets out at its landing: a radio button for each
// seat taken, by name, the one proposedSeat says first chosen; nothing where
// the pilot cancels.
std::optional<int> askSeat(GtkWindow* pwinParent)
{
    GtkWidget* pdlg = gtk_dialog_new_with_buttons("Passenger out", pwinParent, GTK_DIALOG_MODAL, "_Cancel",
                                                  GTK_RESPONSE_CANCEL, "_Add leg", GTK_RESPONSE_OK, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    GtkWidget* pbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
    gtk_container_set_border_width(GTK_CONTAINER(pbox), 12);
    const std::string strAsk = "Who gets out when leg " + std::to_string(stateLegs().size()) + " lands?";
    gtk_box_pack_start(GTK_BOX(pbox), gtk_label_new(strAsk.c_str()), FALSE, FALSE, 0);
    std::array<GtkWidget*, LCH_SEATS.size()> radios{};
    GtkWidget* pwgtGroup = nullptr;
    for (size_t i = 0; i < LCH_SEATS.size(); i++) {
        if (!(stateLegs().back().*LCH_SEATS[i].pnWeight > 0))
            continue;
        radios[i] = gtk_radio_button_new_with_label_from_widget(pwgtGroup ? GTK_RADIO_BUTTON(pwgtGroup) : nullptr,
                                                                seatText(LCH_SEATS[i]).c_str());
        pwgtGroup = radios[i];
        gtk_box_pack_start(GTK_BOX(pbox), radios[i], FALSE, FALSE, 0);
    }
    if (GtkWidget* pwgtProposed = radios[proposedSeat()])
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtProposed), TRUE);
    gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(pdlg))), pbox, TRUE, TRUE, 0);
    gtk_widget_show_all(pbox);
    std::optional<int> nSeat;
    if (gtk_dialog_run(GTK_DIALOG(pdlg)) == GTK_RESPONSE_OK)
        for (size_t i = 0; i < radios.size(); i++)
            if (radios[i] && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(radios[i])))
                nSeat = static_cast<int>(i);
    gtk_widget_destroy(pdlg);
    return nSeat;
}

void lchOnOutClicked(GtkButton* pwgt, gpointer)
{
    leaveTyping(GTK_WIDGET(pwgt));
    if (stateLegs().size() >= STATE_MAX_LEGS || seatsTakenLast() < 2)
        return;
    GtkWidget* pwinTop = gtk_widget_get_toplevel(GTK_WIDGET(pwgt));
    const std::optional<int> nSeat = askSeat(GTK_IS_WINDOW(pwinTop) ? GTK_WINDOW(pwinTop) : nullptr);
    if (nSeat)
        legAdd(nSeat);
}

// Checked, the fuel follows the leg before's landing again; unchecked, the
// fuel on board now is fuel taken on at the stop, as if typed.
void lchOnAsLandedToggled(GtkToggleButton* pwgt, gpointer)
{
    if (m_lch.bShowing || stateShownLeg() == 0)
        return;
    leaveTyping(GTK_WIDGET(pwgt));
    if (gtk_toggle_button_get_active(pwgt))
        legStoreFuelAsLanded();
    else
        valStoreValue(VAL_FUEL, stateLoad().nFuelVolume);
}

// Tab into the page's column lands in its first field, as before there
// were legs; the row above the fields is reached with Shift+Tab from there.
// pRow is the row's box.
gboolean lchOnColumnFocus(GtkWidget* pwgtColumn, GtkDirectionType nDir, gpointer pRow)
{
    if (nDir != GTK_DIR_TAB_FORWARD || gtk_container_get_focus_child(GTK_CONTAINER(pwgtColumn)))
        return FALSE;
    g_autoptr(GList) children = gtk_container_get_children(GTK_CONTAINER(pwgtColumn));
    GList* pAfter = g_list_find(children, pRow);
    for (GList* p = pAfter ? pAfter->next : nullptr; p; p = p->next)
        if (gtk_widget_child_focus(GTK_WIDGET(p->data), nDir))
            return TRUE;
    return FALSE;
}

void lchOnStateChanged(_stateChange)
{
    showRow();
}

void lchOnDestroy(GtkWidget* pwgt, gpointer)
{
    const std::array<GtkWidget*, 5> bound = {m_lch.pwgtChoice, m_lch.pwgtAdd, m_lch.pwgtRemove, m_lch.pwgtOut,
                                             m_lch.pwgtAsLanded};
    if (std::find(bound.begin(), bound.end(), pwgt) == bound.end())
        return;
    stateUnlisten(lchOnStateChanged);
    m_lch = _lchRow{};
}

// The marks that keep a typed name apart from the words around it are
// drawn in a fallback font whose lines are taller: the list keeps the height
// of its own font, as high as the buttons beside it.
void holdLineHeight(GtkWidget* pwgtChoice)
{
    g_autoptr(PangoLayout) playout = gtk_widget_create_pango_layout(pwgtChoice, "Leg 1");
    int nHeight = 0;
    pango_layout_get_pixel_size(playout, nullptr, &nHeight);
    g_autoptr(GList) cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(pwgtChoice));
    for (GList* p = cells; p; p = p->next) {
        int nPadY = 0;
        gtk_cell_renderer_get_padding(GTK_CELL_RENDERER(p->data), nullptr, &nPadY);
        gtk_cell_renderer_set_fixed_size(GTK_CELL_RENDERER(p->data), -1, nHeight + 2 * nPadY);
    }
}

} // namespace

void lchInit(GtkBuilder* pBuilder)
{
    m_lch = _lchRow{};
    const std::array<_mscBinding, 5> optional = {{
        {"LegChoice", gtk_combo_box_text_get_type, &m_lch.pwgtChoice},
        {"AddLeg", gtk_button_get_type, &m_lch.pwgtAdd},
        {"RemoveLeg", gtk_button_get_type, &m_lch.pwgtRemove},
        {"PassengerOut", gtk_button_get_type, &m_lch.pwgtOut},
        {"FuelAsLanded", gtk_check_button_get_type, &m_lch.pwgtAsLanded},
    }};
    mscBindAll(pBuilder, optional);
    const struct {
        GtkWidget* pwgt;
        const char* pszSignal;
        GCallback pfunc;
    } handlers[] = {
        {m_lch.pwgtChoice, "changed", G_CALLBACK(lchOnChoiceChanged)},
        {m_lch.pwgtAdd, "clicked", G_CALLBACK(lchOnAddClicked)},
        {m_lch.pwgtRemove, "clicked", G_CALLBACK(lchOnRemoveClicked)},
        {m_lch.pwgtOut, "clicked", G_CALLBACK(lchOnOutClicked)},
        {m_lch.pwgtAsLanded, "toggled", G_CALLBACK(lchOnAsLandedToggled)},
    };
    bool bAny = false;
    for (const auto& h : handlers) {
        if (!h.pwgt)
            continue;
        g_signal_connect(h.pwgt, h.pszSignal, h.pfunc, nullptr);
        g_signal_connect(h.pwgt, "destroy", G_CALLBACK(lchOnDestroy), nullptr);
        // Shown only while they mean something, whatever the window shows.
        gtk_widget_set_no_show_all(h.pwgt, TRUE);
        bAny = true;
    }
    if (!bAny)
        return;
    if (m_lch.pwgtChoice)
        holdLineHeight(m_lch.pwgtChoice);
    stateListen(lchOnStateChanged);
    // The row's box, in the page's column of boxes.
    GtkWidget* pwgtRow = mscLookUp(pBuilder, "LegsRow");
    GtkWidget* pwgtColumn = pwgtRow ? gtk_widget_get_parent(pwgtRow) : nullptr;
    if (GTK_IS_BOX(pwgtColumn))
        g_signal_connect(pwgtColumn, "focus", G_CALLBACK(lchOnColumnFocus), pwgtRow);
}

std::string lchLegName(size_t nLeg, const std::vector<std::string>& names, const std::string& strLabel)
{
    const std::string strLeg = "Leg " + std::to_string(nLeg + 1);
    const bool bAllNamed =
        !names.empty() && std::none_of(names.begin(), names.end(), [](const std::string& str) { return str.empty(); });
    if (!bAllNamed)
        return strLeg + (strLabel.empty() ? "" : " (" + strLabel + ")");
    auto named = [](const std::string& str) { return "\u2068" + str + "\u2069"; };
    return strLeg + ": " +
           (names.size() == 1 ? named(names[0]) + " solo" : named(names[0]) + " and " + named(names[1]));
}
