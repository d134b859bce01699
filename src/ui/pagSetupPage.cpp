// The setup page: the basic weight and arms, the ballast weight and arms, and
// the three unit choices. Every change of the pilot's goes into m_wbSetup,
// into Zarv.conf, and on to the loading page; showing stores nothing.
#include "ui/pagSetupPage.h"

#include "model/date.h"
#include "store/fleet.h"
#include "store/state.h"
#include "store/stored.h"
#include "ui/fields.h"
#include "ui/misc.h"
#include "ui/pagWBPage.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace
{

void psetOnWeightUnitClicked(GtkButton* pwgtButton, gpointer pUser);
void psetOnArmUnitClicked(GtkButton* pwgtButton, gpointer pUser);
void psetOnFuelUnitClicked(GtkButton* pwgtButton, gpointer pUser);
gboolean psetOnEmptyWeightFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnEmptyLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnEmptyLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnBallastWeightFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnBallastFrontLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnBallastFrontLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnBallastRearLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnFuelDensityFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pUser);
gboolean psetOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId);
gboolean psetOnIdentityFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId);

GtkWidget *m_pwgtConfEmptyWeight, *m_pwgtConfEmptyLongArm, *m_pwgtConfEmptyLatArm;
GtkWidget *m_pwgtConfEmptyWeightUnits, *m_pwgtConfEmptyLongArmUnits, *m_pwgtConfEmptyLatArmUnits;
GtkWidget *m_pwgtConfBallastWeight, *m_pwgtConfBallastFrontLongArm, *m_pwgtConfBallastFrontLatArm,
    *m_pwgtConfBallastRearLongArm;
GtkWidget *m_pwgtConfBallastWeightUnits, *m_pwgtConfBallastFrontLongArmUnits, *m_pwgtConfBallastFrontLatArmUnits,
    *m_pwgtConfBallastRearLongArmUnits;
GtkWidget *m_pwgtConfWeightUnitKgs, *m_pwgtConfWeightUnitLbs;
GtkWidget *m_pwgtConfArmUnitMM, *m_pwgtConfArmUnitIn;
GtkWidget *m_pwgtConfFuelUnitLitres, *m_pwgtConfFuelUnitUSGal, *m_pwgtConfFuelUnitImpGal;

// The entries and unit labels of the setup's values, as the table of stored
// values gives them; the page's walk.
_fldPage m_page = {.nOwner = PRM_OF_SETUP};

// The fleet's widgets, which an older Zarv.ui does not have.
GtkWidget *m_pwgtFleetChoice = nullptr, *m_pwgtFleetAdd = nullptr, *m_pwgtFleetRemove = nullptr;
GtkWidget*& m_pwgtRegistration = m_page.entries[VAL_REGISTRATION];
GtkWidget*& m_pwgtWeighedOn = m_page.entries[VAL_WEIGHED];
// The aircraft's fuel density, which an older Zarv.ui does not have either.
GtkWidget*& m_pwgtFuelDensity = m_page.entries[VAL_FUEL_DENSITY];
const std::array<_mscBinding, 3> m_optional = {{
    {"FleetChoice", gtk_combo_box_text_get_type, &m_pwgtFleetChoice},
    {"FleetAdd", gtk_button_get_type, &m_pwgtFleetAdd},
    {"FleetRemove", gtk_button_get_type, &m_pwgtFleetRemove},
}};

// The group of each row of the fleet's list, in the list's order.
std::vector<std::string> m_fleetGroups;

// Every object of the page, bound by id and checked by class at start-up.
const std::array<_mscBinding, 21> m_bindings = {{
    {"ConfEmptyWeight", gtk_entry_get_type, &m_pwgtConfEmptyWeight},
    {"ConfEmptyLongArm", gtk_entry_get_type, &m_pwgtConfEmptyLongArm},
    {"ConfEmptyLatArm", gtk_entry_get_type, &m_pwgtConfEmptyLatArm},
    {"ConfEmptyWeightUnits", gtk_label_get_type, &m_pwgtConfEmptyWeightUnits},
    {"ConfEmptyLongArmUnits", gtk_label_get_type, &m_pwgtConfEmptyLongArmUnits},
    {"ConfEmptyLatArmUnits", gtk_label_get_type, &m_pwgtConfEmptyLatArmUnits},
    {"ConfBallastWeight", gtk_entry_get_type, &m_pwgtConfBallastWeight},
    {"ConfBallastFrontLongArm", gtk_entry_get_type, &m_pwgtConfBallastFrontLongArm},
    {"ConfBallastFrontLatArm", gtk_entry_get_type, &m_pwgtConfBallastFrontLatArm},
    {"ConfBallastRearLongArm", gtk_entry_get_type, &m_pwgtConfBallastRearLongArm},
    {"ConfBallastWeightUnits", gtk_label_get_type, &m_pwgtConfBallastWeightUnits},
    {"ConfBallastFrontLongArmUnits", gtk_label_get_type, &m_pwgtConfBallastFrontLongArmUnits},
    {"ConfBallastFrontLatArmUnits", gtk_label_get_type, &m_pwgtConfBallastFrontLatArmUnits},
    {"ConfBallastRearLongArmUnits", gtk_label_get_type, &m_pwgtConfBallastRearLongArmUnits},
    {"WeightUnitKgs", gtk_radio_button_get_type, &m_pwgtConfWeightUnitKgs},
    {"WeightUnitLbs", gtk_radio_button_get_type, &m_pwgtConfWeightUnitLbs},
    {"ArmUnitMM", gtk_radio_button_get_type, &m_pwgtConfArmUnitMM},
    {"ArmUnitInch", gtk_radio_button_get_type, &m_pwgtConfArmUnitIn},
    {"FuelUnitLitres", gtk_radio_button_get_type, &m_pwgtConfFuelUnitLitres},
    {"FuelUnitUSGal", gtk_radio_button_get_type, &m_pwgtConfFuelUnitUSGal},
    {"FuelUnitImpGal", gtk_radio_button_get_type, &m_pwgtConfFuelUnitImpGal},
}};

bool isActive(GtkWidget* pwgt)
{
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgt));
}

// The values of a new aircraft copied from the one before it, flagged until
// the pilot types each from the new aircraft's weighing report; the flag is
// the aircraft's, kept with it in Zarv.conf (its bit in nUnconfirmed).
struct Weighed {
    _prmValueId nId;
    GtkWidget** ppwgt;
    guint nBit;
};
constexpr std::array<Weighed, 3> m_weighed = {{
    {VAL_BASIC_WEIGHT, &m_pwgtConfEmptyWeight, 1},
    {VAL_BASIC_LONG_ARM, &m_pwgtConfEmptyLongArm, 2},
    {VAL_BASIC_LAT_ARM, &m_pwgtConfEmptyLatArm, 4},
}};
// The fields this page flagged as copied, so that it clears its own flags
// and no other.
guint m_nShownCopied = 0;

std::string fleetLabel(const _fleetAircraft& a);

void showCopied(void)
{
    const std::string strFrom = fleetLabel({"", prmGetText(VAL_COPIED_FROM)});
    for (const Weighed& v : m_weighed) {
        if (m_wbSetup.nUnconfirmed & v.nBit)
            mscFlagEntry(*v.ppwgt, "copied from " + strFrom + ": check against this aircraft's weighing report");
        else if (m_nShownCopied & v.nBit)
            mscFlagEntry(*v.ppwgt, "");
    }
    m_nShownCopied = m_wbSetup.nUnconfirmed;
}

// A field of the page left: its value committed, the page shown again. A
// value copied to a new aircraft stays flagged until the pilot types it; a
// field left untouched stores nothing and changes nothing.
void commitSetup(GtkWidget* pwgtEntry, _prmValueId nId)
{
    for (const Weighed& v : m_weighed)
        if (v.nId == nId && (m_wbSetup.nUnconfirmed & v.nBit) && mscEntryEdited(pwgtEntry)) {
            // Typed: the commit's own flag stands from here.
            m_nShownCopied &= ~v.nBit;
            prmStoreValue(VAL_UNCONFIRMED, m_wbSetup.nUnconfirmed & ~v.nBit);
        }
    if (!fldCommitEntry(pwgtEntry, nId))
        return;
    psetUpdateInputDisplay();
}

void afterUnitChange(void)
{
    psetUpdateUnitLabels();
    psetUpdateInputDisplay();
}

// What the list shows for an aircraft.
std::string fleetLabel(const _fleetAircraft& a)
{
    // One line, however the registration was typed.
    return a.strRegistration.empty() ? "(no registration)" : mscOneLine(a.strRegistration);
}

// Before the fleet changes, what the pilot is typing lands in the aircraft
// it was typed for.
void beforeFleetChange(GtkWidget* pwgt)
{
    if (GtkWidget* pwinMain = gtk_widget_get_toplevel(pwgt); GTK_IS_WINDOW(pwinMain))
        mscLeaveField(GTK_WINDOW(pwinMain));
}

// After a change of the fleet: the record from the store, and every page.
void afterFleetChange(void)
{
    psetParams();
    psetUpdateInputDisplay();
    psetUpdateFleetDisplay();
}

// The list changes only when the pilot opens it and picks: the wheel and the
// keys that step a closed list pass it by. The wheel goes on to the page,
// which scrolls.
gboolean psetOnFleetScroll(GtkWidget* pwgt, GdkEventScroll*, gpointer)
{
    g_signal_stop_emission_by_name(pwgt, "scroll-event");
    return FALSE;
}

gboolean psetOnFleetKeyPress(GtkWidget* pwgt, GdkEventKey* pevt, gpointer pLUT)
{
    switch (pevt->keyval) {
    case GDK_KEY_Up:
    case GDK_KEY_Down:
        // Alt+Down opens the list, as everywhere in GTK.
        if (pevt->state & GDK_MOD1_MASK)
            return FALSE;
        [[fallthrough]];
    case GDK_KEY_Return:
        return mscKeyPressLUT(pwgt, pevt, pLUT);
    case GDK_KEY_KP_Up:
    case GDK_KEY_KP_Down:
    case GDK_KEY_Home:
    case GDK_KEY_KP_Home:
    case GDK_KEY_End:
    case GDK_KEY_KP_End:
    case GDK_KEY_Page_Up:
    case GDK_KEY_KP_Page_Up:
    case GDK_KEY_Page_Down:
    case GDK_KEY_KP_Page_Down:
        return TRUE;
    default:
        return FALSE;
    }
}

// Today, for a weighing date that must not lie after it.
GDate today(void)
{
    GDate date;
    g_date_clear(&date, 1);
    g_date_set_time_t(&date, time(nullptr));
    return date;
}

// Shows the weighing date as the pilot reads it, flagged where it is no
// date or lies in the future.
void showWeighed(void)
{
    const std::string strStored = prmGetText(VAL_WEIGHED);
    mscShowText(m_pwgtWeighedOn, dateShow(strStored));
    mscFlagEntry(m_pwgtWeighedOn, dateRead(strStored, today()).strProblem);
}

// Commits the registration or the weighing date when the pilot changed it;
// a date is stored as ISO 8601, other text as typed.
gboolean psetOnIdentityFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pId)
{
    const _prmValueId nId = fldIdOf(pId);
    std::string strText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    if (nId == VAL_WEIGHED)
        if (const _dateReading date = dateRead(strText, today()); date.bDate)
            strText = date.strIso;
    if (prmGetText(nId) != strText) {
        prmSetText(nId, strText.c_str());
        psetUpdateFleetDisplay();
    }
    if (nId == VAL_WEIGHED)
        showWeighed();
    return FALSE;
}

void psetOnFleetChanged(GtkComboBox* pwgtCombo, gpointer)
{
    const int i = gtk_combo_box_get_active(pwgtCombo);
    if (i <= 0 || i >= static_cast<int>(m_fleetGroups.size()))
        return; // the current one, or nothing
    const std::string strGroup = m_fleetGroups[static_cast<size_t>(i)];
    beforeFleetChange(GTK_WIDGET(pwgtCombo));
    fleetSwitch(strGroup);
    afterFleetChange();
}

void psetOnFleetAddClicked(GtkButton* pwgtButton, gpointer)
{
    beforeFleetChange(GTK_WIDGET(pwgtButton));
    fleetAdd();
    afterFleetChange();
    if (m_pwgtRegistration)
        gtk_widget_grab_focus(m_pwgtRegistration);
}

void psetOnFleetRemoveClicked(GtkButton* pwgtButton, gpointer)
{
    beforeFleetChange(GTK_WIDGET(pwgtButton));
    const std::vector<_fleetAircraft> fleet = fleetList();
    if (fleet.size() < 2)
        return;
    GtkWidget* pdlg = gtk_message_dialog_new(GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(pwgtButton))),
                                             GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                             "Remove %s from the fleet?", fleetLabel(fleet[0]).c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg),
                                             "Its basic weight and arms and its ballast are deleted from Zarv.conf.");
    gtk_dialog_add_buttons(GTK_DIALOG(pdlg), "_Cancel", GTK_RESPONSE_CANCEL, "_Remove", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_CANCEL);
    const int nResponse = gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
    if (nResponse != GTK_RESPONSE_ACCEPT)
        return;
    fleetRemoveCurrent();
    afterFleetChange();
}

} // namespace

void psetUpdateFleetDisplay(void)
{
    if (!m_pwgtFleetChoice)
        return;
    const std::vector<_fleetAircraft> fleet = fleetList();
    g_signal_handlers_block_by_func(m_pwgtFleetChoice, reinterpret_cast<gpointer>(psetOnFleetChanged), nullptr);
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(m_pwgtFleetChoice));
    m_fleetGroups.clear();
    for (const _fleetAircraft& a : fleet) {
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(m_pwgtFleetChoice), fleetLabel(a).c_str());
        m_fleetGroups.push_back(a.strGroup);
    }
    gtk_combo_box_set_active(GTK_COMBO_BOX(m_pwgtFleetChoice), 0);
    g_signal_handlers_unblock_by_func(m_pwgtFleetChoice, reinterpret_cast<gpointer>(psetOnFleetChanged), nullptr);
    if (m_pwgtRegistration)
        mscShowText(m_pwgtRegistration, fleet[0].strRegistration);
    if (m_pwgtWeighedOn)
        showWeighed();
    if (m_pwgtFleetRemove)
        gtk_widget_set_sensitive(m_pwgtFleetRemove, fleet.size() > 1);
    pwbUpdateAircraft();
}

void psetInit(GtkBuilder* pBuilder)
{
    // The page's choices in its walk with Up, Down and Return; its entries
    // have their places in the table of stored values.
    static const _fldStop stops[] = {
        {80, &m_pwgtConfWeightUnitKgs},   {90, &m_pwgtConfWeightUnitLbs},   {100, &m_pwgtConfArmUnitMM},
        {110, &m_pwgtConfArmUnitIn},      {120, &m_pwgtConfFuelUnitLitres}, {130, &m_pwgtConfFuelUnitUSGal},
        {140, &m_pwgtConfFuelUnitImpGal}, {170, &m_pwgtFleetChoice},
    };
    // The entries' handlers by their written names.
    static const _fldHandler named[] = {
        {VAL_BASIC_WEIGHT, G_CALLBACK(psetOnEmptyWeightFocusOut)},
        {VAL_BASIC_LONG_ARM, G_CALLBACK(psetOnEmptyLongArmFocusOut)},
        {VAL_BASIC_LAT_ARM, G_CALLBACK(psetOnEmptyLatArmFocusOut)},
        {VAL_BALLAST_WEIGHT, G_CALLBACK(psetOnBallastWeightFocusOut)},
        {VAL_BALLAST_FRONT_LONG_ARM, G_CALLBACK(psetOnBallastFrontLongArmFocusOut)},
        {VAL_BALLAST_FRONT_LAT_ARM, G_CALLBACK(psetOnBallastFrontLatArmFocusOut)},
        {VAL_BALLAST_REAR_LONG_ARM, G_CALLBACK(psetOnBallastRearLongArmFocusOut)},
        {VAL_FUEL_DENSITY, G_CALLBACK(psetOnFuelDensityFocusOut)},
    };

    mscBindAll(pBuilder, m_bindings);
    mscBindAll(pBuilder, m_optional);
    fldBind(pBuilder, m_page, stops);
    _wgtLUT* wgtLUT = m_page.walk.data();
    fldConnect(m_page, named, G_CALLBACK(psetOnValueFocusOut), G_CALLBACK(psetOnIdentityFocusOut));
    if (m_pwgtFleetChoice) {
        g_signal_connect(m_pwgtFleetChoice, "changed", G_CALLBACK(psetOnFleetChanged), nullptr);
        g_signal_connect(m_pwgtFleetChoice, "scroll-event", G_CALLBACK(psetOnFleetScroll), nullptr);
        g_signal_connect(m_pwgtFleetChoice, "key-press-event", G_CALLBACK(psetOnFleetKeyPress), wgtLUT);
        // A registration of any length stays within the list's width.
        g_autoptr(GList) plistCells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(m_pwgtFleetChoice));
        for (GList* p = plistCells; p; p = p->next)
            if (GTK_IS_CELL_RENDERER_TEXT(p->data))
                g_object_set(p->data, "ellipsize", PANGO_ELLIPSIZE_END, "max-width-chars", 30, nullptr);
    }
    if (m_pwgtFleetAdd)
        g_signal_connect(m_pwgtFleetAdd, "clicked", G_CALLBACK(psetOnFleetAddClicked), nullptr);
    if (m_pwgtFleetRemove)
        g_signal_connect(m_pwgtFleetRemove, "clicked", G_CALLBACK(psetOnFleetRemoveClicked), nullptr);
    for (GtkWidget* pwgt : {m_pwgtConfWeightUnitKgs, m_pwgtConfWeightUnitLbs})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnWeightUnitClicked), wgtLUT);
    for (GtkWidget* pwgt : {m_pwgtConfArmUnitMM, m_pwgtConfArmUnitIn})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnArmUnitClicked), wgtLUT);
    for (GtkWidget* pwgt : {m_pwgtConfFuelUnitLitres, m_pwgtConfFuelUnitUSGal, m_pwgtConfFuelUnitImpGal})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnFuelUnitClicked), wgtLUT);
}

std::span<const _mscBinding> psetBindings(void)
{
    return m_bindings;
}

std::span<const _wgtLUT> psetWalk(void)
{
    return m_page.walk;
}

void psetUpdateInputDisplay(void)
{
    const _wbSetup& s = m_wbSetup;
    fldShowNumbers(m_page);
    if (m_pwgtFuelDensity) {
        // None set reads as the density in use; one that cannot be is shown
        // as it stands, flagged.
        const bool bUsable = unitFuelDensity(s) == s.nFuelDensity;
        if (!bUsable && s.nFuelDensity != 0)
            mscFlagEntry(m_pwgtFuelDensity, "A density outside " + mscFormatNumber("%1.1f", MIN_FUEL_DENSITY) + " to " +
                                                mscFormatNumber("%1.1f", MAX_FUEL_DENSITY) + " kg/L is not used: " +
                                                mscFormatNumber("%1.3f", FUEL_DENSITY) + " kg/L is.");
    }
    // None set reads as the interval in use; one that cannot be is flagged.
    GtkWidget* pwgtInterval = m_page.entries[VAL_WEIGHING_MONTHS];
    if (pwgtInterval && s.nWeighingMonths != 0 && dateWeighingMonths(s.nWeighingMonths) != s.nWeighingMonths)
        mscFlagEntry(pwgtInterval, "An interval that is no whole number of months from 1 to " +
                                       std::to_string(DATE_MAX_WEIGHING_MONTHS) + " is not used: every " +
                                       std::to_string(DATE_WEIGHING_MONTHS) + " months is.");
    showCopied();
    pwbUpdateDisplays();
}

void psetUpdateUnitLabels(void)
{
    fldShowUnits(m_page);
}

void psetUpdateUnitButtons(void)
{
    const _wbSetup& s = m_wbSetup;
    GtkWidget* pwgtWeight = s.nUnitWt == UNIT_WT_LB ? m_pwgtConfWeightUnitLbs : m_pwgtConfWeightUnitKgs;
    GtkWidget* pwgtArm = s.nUnitArm == UNIT_ARM_INCH ? m_pwgtConfArmUnitIn : m_pwgtConfArmUnitMM;
    GtkWidget* pwgtFuel = s.nUnitFuel == UNIT_FUEL_USGAL    ? m_pwgtConfFuelUnitUSGal
                          : s.nUnitFuel == UNIT_FUEL_IMPGAL ? m_pwgtConfFuelUnitImpGal
                                                            : m_pwgtConfFuelUnitLitres;
    mscShowChoice({m_pwgtConfWeightUnitKgs, m_pwgtConfWeightUnitLbs}, pwgtWeight, psetOnWeightUnitClicked);
    mscShowChoice({m_pwgtConfArmUnitMM, m_pwgtConfArmUnitIn}, pwgtArm, psetOnArmUnitClicked);
    mscShowChoice({m_pwgtConfFuelUnitLitres, m_pwgtConfFuelUnitUSGal, m_pwgtConfFuelUnitImpGal}, pwgtFuel,
                  psetOnFuelUnitClicked);
}

namespace
{

// Every number's entry left, by the id it was connected with.
gboolean psetOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pId)
{
    commitSetup(pwgt, fldIdOf(pId));
    return FALSE;
}

gboolean psetOnEmptyWeightFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnEmptyLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnEmptyLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnFuelDensityFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnBallastWeightFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnBallastFrontLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnBallastFrontLatArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

gboolean psetOnBallastRearLongArmFocusOut(GtkWidget* pwgt, GdkEventFocus* pevt, gpointer pId)
{
    return psetOnValueFocusOut(pwgt, pevt, pId);
}

// The unit comes from the buttons' states, never from the button that sent
// the signal: "clicked" also comes for the button left, for a click on the
// active one and for a button the program activates.
void psetOnWeightUnitClicked(GtkButton*, gpointer)
{
    prmStoreValue(VAL_UNIT_WEIGHT, isActive(m_pwgtConfWeightUnitLbs) ? UNIT_WT_LB : UNIT_WT_KG);
    afterUnitChange();
}

void psetOnArmUnitClicked(GtkButton*, gpointer)
{
    prmStoreValue(VAL_UNIT_ARM, isActive(m_pwgtConfArmUnitIn) ? UNIT_ARM_INCH : UNIT_ARM_MM);
    afterUnitChange();
}

void psetOnFuelUnitClicked(GtkButton*, gpointer)
{
    prmStoreValue(VAL_UNIT_FUEL, isActive(m_pwgtConfFuelUnitUSGal)    ? UNIT_FUEL_USGAL
                                 : isActive(m_pwgtConfFuelUnitImpGal) ? UNIT_FUEL_IMPGAL
                                                                      : UNIT_FUEL_LITRE);
    afterUnitChange();
}

} // namespace
