// The setup page: the basic weight and arms, the ballast weight and arms, and
// the three unit choices. Every change of the pilot's goes through the table
// of stored values into m_wbSetup and Zarv.conf, and every page is told;
// showing stores nothing.
#include "ui/pagSetupPage.h"

#include "model/date.h"
#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/aircraft/fleet.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/school/school.h"
#include "sys/errlog.h"
#include "ui/amend.h"
#include "ui/fields.h"
#include "ui/fleetList.h"
#include "ui/hoverEdit.h"
#include "ui/itemList.h"
#include "ui/misc.h"
#include "ui/shown.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <optional>
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

// The page: its widgets, borrowed from the builder (the written ones bound
// by id and checked at start-up; the optional ones null where an older
// Zarv.ui lacks them), its entries as the table of stored values gives
// them, and what it remembers of what it showed.
struct _psetPage {
    GtkWidget *m_pwgtConfEmptyWeight, *m_pwgtConfEmptyLongArm, *m_pwgtConfEmptyLatArm;
    GtkWidget *m_pwgtConfEmptyWeightUnits, *m_pwgtConfEmptyLongArmUnits, *m_pwgtConfEmptyLatArmUnits;
    GtkWidget *m_pwgtConfBallastWeight, *m_pwgtConfBallastFrontLongArm, *m_pwgtConfBallastFrontLatArm,
        *m_pwgtConfBallastRearLongArm;
    GtkWidget *m_pwgtConfBallastWeightUnits, *m_pwgtConfBallastFrontLongArmUnits, *m_pwgtConfBallastFrontLatArmUnits,
        *m_pwgtConfBallastRearLongArmUnits;
    GtkWidget *m_pwgtConfWeightUnitKgs, *m_pwgtConfWeightUnitLbs;
    GtkWidget *m_pwgtConfArmUnitMM, *m_pwgtConfArmUnitIn;
    GtkWidget *m_pwgtConfFuelUnitLitres, *m_pwgtConfFuelUnitUSGal, *m_pwgtConfFuelUnitImpGal;
    // The figures' fingerprint and history, and the flag of a change made
    // outside Zarv with its button.
    GtkWidget *m_pwgtFingerprint, *m_pwgtHistory, *m_pwgtFiguresChanged, *m_pwgtConfirmFigures;
    // Who published the aircraft to this machine, where the school did.
    GtkWidget* m_pwgtPublishedBy;
    // The operator's rule asks to hover out of ground effect, where Zarv.ui
    // has it.
    GtkWidget* m_pwgtHoverOge;
    // The words under the units that give the fixed arms, where Zarv.ui has
    // them, and what follows the arms in them.
    GtkWidget* m_pwgtFixedArms;
    std::string strFixedTail;
    // The entries and unit labels of the setup's values (the registration,
    // the weighing date and the fuel density among them), and the page's
    // walk.
    _fldPage fields = {.nOwner = PRM_OF_SETUP};
    // The fields this page flagged as copied, so that it clears its own
    // flags and no other; the state of the figures last logged as changed
    // outside Zarv.
    guint nShownCopied;
    std::string strLogged;
    // A question is open: no other commit runs meanwhile.
    bool bAsking;
};
_psetPage m_set = {};

// Asks the pilot (f runs a question) with every other commit held until it
// is answered.
template <class F> auto asking(F f)
{
    m_set.bAsking = true;
    struct _psetDone {
        ~_psetDone()
        {
            m_set.bAsking = false;
        }
    } done;
    return f();
}

const std::array<_mscBinding, 7> m_optional = {{
    {"FixedArms", gtk_label_get_type, &m_set.m_pwgtFixedArms},
    {"AircraftFingerprint", gtk_label_get_type, &m_set.m_pwgtFingerprint},
    {"PublishedBy", gtk_label_get_type, &m_set.m_pwgtPublishedBy},
    {"AircraftHistory", gtk_label_get_type, &m_set.m_pwgtHistory},
    {"FiguresChanged", gtk_label_get_type, &m_set.m_pwgtFiguresChanged},
    {"ConfirmFigures", gtk_button_get_type, &m_set.m_pwgtConfirmFigures},
    {"HoverOGE", gtk_check_button_get_type, &m_set.m_pwgtHoverOge},
}};

// Every object of the page, bound by id and checked by class at start-up.
const std::array<_mscBinding, 21> m_bindings = {{
    {"ConfEmptyWeight", gtk_entry_get_type, &m_set.m_pwgtConfEmptyWeight},
    {"ConfEmptyLongArm", gtk_entry_get_type, &m_set.m_pwgtConfEmptyLongArm},
    {"ConfEmptyLatArm", gtk_entry_get_type, &m_set.m_pwgtConfEmptyLatArm},
    {"ConfEmptyWeightUnits", gtk_label_get_type, &m_set.m_pwgtConfEmptyWeightUnits},
    {"ConfEmptyLongArmUnits", gtk_label_get_type, &m_set.m_pwgtConfEmptyLongArmUnits},
    {"ConfEmptyLatArmUnits", gtk_label_get_type, &m_set.m_pwgtConfEmptyLatArmUnits},
    {"ConfBallastWeight", gtk_entry_get_type, &m_set.m_pwgtConfBallastWeight},
    {"ConfBallastFrontLongArm", gtk_entry_get_type, &m_set.m_pwgtConfBallastFrontLongArm},
    {"ConfBallastFrontLatArm", gtk_entry_get_type, &m_set.m_pwgtConfBallastFrontLatArm},
    {"ConfBallastRearLongArm", gtk_entry_get_type, &m_set.m_pwgtConfBallastRearLongArm},
    {"ConfBallastWeightUnits", gtk_label_get_type, &m_set.m_pwgtConfBallastWeightUnits},
    {"ConfBallastFrontLongArmUnits", gtk_label_get_type, &m_set.m_pwgtConfBallastFrontLongArmUnits},
    {"ConfBallastFrontLatArmUnits", gtk_label_get_type, &m_set.m_pwgtConfBallastFrontLatArmUnits},
    {"ConfBallastRearLongArmUnits", gtk_label_get_type, &m_set.m_pwgtConfBallastRearLongArmUnits},
    {"WeightUnitKgs", gtk_radio_button_get_type, &m_set.m_pwgtConfWeightUnitKgs},
    {"WeightUnitLbs", gtk_radio_button_get_type, &m_set.m_pwgtConfWeightUnitLbs},
    {"ArmUnitMM", gtk_radio_button_get_type, &m_set.m_pwgtConfArmUnitMM},
    {"ArmUnitInch", gtk_radio_button_get_type, &m_set.m_pwgtConfArmUnitIn},
    {"FuelUnitLitres", gtk_radio_button_get_type, &m_set.m_pwgtConfFuelUnitLitres},
    {"FuelUnitUSGal", gtk_radio_button_get_type, &m_set.m_pwgtConfFuelUnitUSGal},
    {"FuelUnitImpGal", gtk_radio_button_get_type, &m_set.m_pwgtConfFuelUnitImpGal},
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
    {VAL_BASIC_WEIGHT, &m_set.m_pwgtConfEmptyWeight, 1},
    {VAL_BASIC_LONG_ARM, &m_set.m_pwgtConfEmptyLongArm, 2},
    {VAL_BASIC_LAT_ARM, &m_set.m_pwgtConfEmptyLatArm, 4},
}};

void showCopied(void)
{
    const std::string strFrom = flistLabel({"", valGetText(VAL_COPIED_FROM)});
    for (const Weighed& v : m_weighed) {
        if (m_wbSetup.nUnconfirmed & v.nBit)
            mscFlagEntry(*v.ppwgt, "copied from " + strFrom + ": check against this aircraft's weighing report");
        else if (m_set.nShownCopied & v.nBit)
            mscFlagEntry(*v.ppwgt, "");
    }
    m_set.nShownCopied = m_wbSetup.nUnconfirmed;
}

// A figure's name as its caption on the page says it.
std::string figureCaption(const _prmValue& v)
{
    GtkWidget* pwgt = m_set.fields.entries[v.nId];
    g_autoptr(GList) plistLabels = pwgt ? gtk_widget_list_mnemonic_labels(pwgt) : nullptr;
    if (plistLabels && GTK_IS_LABEL(plistLabels->data))
        return gtk_label_get_text(GTK_LABEL(plistLabels->data));
    return std::string(v.pszGroup) + "/" + v.pszKey;
}

// What an amendment changes, as the question says it: the figure, old →
// new.
std::string amendmentChange(const _prmValue& v, const std::string& strOld, const std::string& strNew)
{
    return amdChange(figureCaption(v), strOld, strNew);
}

// Asks why a figure of an aircraft under change control changes: the
// reason, or nothing when the pilot cancels or Zarv refuses the value, as
// it says. Other figures go as typed.
std::optional<std::string> askAmend(GtkWidget* pwgtEntry, _prmValueId nId, double nOld, double nNew)
{
    if (!figAsksAmend(nId))
        return "";
    const _prmValue& v = valValue(nId);
    // Named, not bound: the questions below take them into lambdas.
    const std::pair<std::string, std::string> shown = shwFigureChange(v, nOld, nNew);
    const std::string &strOld = shown.first, &strNew = shown.second;
    if (const std::string strRefused = figFigureRefusal(nId, nNew); !strRefused.empty()) {
        asking([&] { amdRefuse(pwgtEntry, amendmentChange(v, strOld, strNew), strRefused); });
        return std::nullopt;
    }
    // A figure copied to a new aircraft is typed from its own weighing
    // report, not amended; not where the copy was marked outside Zarv.
    for (const Weighed& w : m_weighed)
        if (w.nId == nId && (m_wbSetup.nUnconfirmed & w.nBit) && !figFiguresChangedOutside())
            return "";
    return asking([&] {
        return amdAskReason(pwgtEntry, "Amend the weighing record?", amendmentChange(v, strOld, strNew), amdWhose());
    });
}

// A field of the page left: its value committed, the page shown again. A
// value copied to a new aircraft stays flagged until the pilot types it; a
// field left untouched stores nothing and changes nothing.
void commitSetup(GtkWidget* pwgtEntry, _prmValueId nId)
{
    const bool bEdited = mscEntryEdited(pwgtEntry);
    if (m_set.bAsking)
        return; // committed when the field is left again
    // The copy's flag the value clears goes with it, told as one change
    // once the page knows the flag it shows went too.
    const auto clearCopied = [&] {
        for (const Weighed& v : m_weighed)
            if (v.nId == nId && (m_wbSetup.nUnconfirmed & v.nBit) && bEdited) {
                // Typed: the commit's own flag stands from here.
                m_set.nShownCopied &= ~v.nBit;
                figStoreCovered(VAL_UNCONFIRMED, m_wbSetup.nUnconfirmed & ~v.nBit);
            }
    };
    if (!fldCommitEntry(pwgtEntry, nId, askAmend, clearCopied) && bEdited)
        psetUpdateInputDisplay(); // taken back: the page as stored
}

// The history as the page shows it, oldest first, in the pilot's units.
std::string historyText(void)
{
    std::string str;
    for (const _prmAmendment& a : figHistory()) {
        std::string strLine = a.strWhen + "  ";
        const _prmValue* pv = nullptr;
        for (const _prmValue& v : valValues())
            if (v.bFigure && a.strFigure == std::string(v.pszGroup) + "/" + v.pszKey)
                pv = &v;
        if (pv && pv->pszFormat) {
            const auto [strOld, strNew] = shwFigureChange(*pv, g_ascii_strtod(a.strOld.c_str(), nullptr),
                                                          g_ascii_strtod(a.strNew.c_str(), nullptr));
            strLine += figureCaption(*pv) + " " + strOld + " \u2192 " + strNew + ": ";
        } else if (pv && pv->nId == VAL_WEIGHED && !a.strNew.empty())
            strLine += "Reweighed on " + dateShow(a.strNew) +
                       (a.strOld.empty() ? "" : " (was " + dateShow(a.strOld) + ")") + ": ";
        else if (pv)
            strLine += figureCaption(*pv) + " " + (a.strOld.empty() ? "(none)" : mscOneLine(a.strOld)) + " \u2192 " +
                       (a.strNew.empty() ? "(none)" : mscOneLine(a.strNew)) + ": ";
        else if (const std::string strItem = ilstHistoryText(a.strFigure, a.strOld, a.strNew); !strItem.empty())
            strLine += strItem + ": ";
        else if (!a.strFigure.empty())
            strLine += figFigureShown(a.strFigure) + " " + figFigureChange(a.strOld, a.strNew) + ": ";
        str += (str.empty() ? "" : "\n") + strLine + mscOneLine(a.strReason);
    }
    return str;
}

// The figures' fingerprint, history and state, where Zarv.ui has them; a
// change made outside Zarv is logged once for each state of the figures.
void showFigures(void)
{
    const std::string strFingerprint = valFingerprint();
    if (m_set.m_pwgtFingerprint)
        gtk_label_set_text(GTK_LABEL(m_set.m_pwgtFingerprint), ("Fingerprint: " + strFingerprint).c_str());
    if (m_set.m_pwgtHistory) {
        const std::string strHistory = historyText();
        gtk_label_set_text(GTK_LABEL(m_set.m_pwgtHistory), strHistory.c_str());
        gtk_widget_set_visible(m_set.m_pwgtHistory, !strHistory.empty());
    }
    const std::string strChanged = shwFiguresChanged();
    if (m_set.m_pwgtFiguresChanged) {
        gtk_label_set_text(GTK_LABEL(m_set.m_pwgtFiguresChanged), strChanged.c_str());
        gtk_widget_set_visible(m_set.m_pwgtFiguresChanged, !strChanged.empty());
    }
    if (m_set.m_pwgtConfirmFigures)
        gtk_widget_set_visible(m_set.m_pwgtConfirmFigures, !strChanged.empty());
    std::string& strLogged = m_set.strLogged;
    const std::string strState = figRecordedFingerprint() + " " + strFingerprint + " " + strChanged;
    if (!strChanged.empty() && strState != strLogged) {
        // Compared with the recorded one by its own version's figures.
        const int nVersion = valFingerprintVersion(figRecordedFingerprint());
        const std::string strCompared = nVersion ? valFingerprint(valGetText, nVersion) : strFingerprint;
        g_autofree gchar* pszMessage = g_strdup_printf(
            "psetUpdateInputDisplay()\nthe figures in Zarv.conf have the fingerprint %s, Zarv recorded %s\n%s",
            strCompared.c_str(), figRecordedFingerprint().c_str(), txtWithoutDirection(strChanged).c_str());
        errPostError(pszMessage);
        strLogged = strState;
    }
}

// The first sentence of the words that give the fixed arms, written anew in
// the pilot's arm unit.
constexpr const char* FIXED_ARMS_LEAD = "The seat and fuel arms are fixed:";

// An arm held in inches, in the pilot's unit with the digits it has (71.0 in
// is 1803.4 mm, 0.125 in is 3.175 mm), never rounded.
std::string fixedArm(double nInches)
{
    const double n = unitToShown(KIND_ARM, nInches * MM_PER_INCH, m_wbSetup);
    int nDecimals = 1;
    while (nDecimals < 3 && std::fabs(std::round(n * std::pow(10, nDecimals)) - n * std::pow(10, nDecimals)) > 1e-6)
        nDecimals++;
    return txtFixed(n, nDecimals) + " " + unitSymbol(KIND_ARM, m_wbSetup);
}

// The fixed arms as the pilot reads every other arm: in mm or in.
void showFixedArms(void)
{
    if (!m_set.m_pwgtFixedArms)
        return;
    const std::string str = std::string(FIXED_ARMS_LEAD) + " both seats at " + fixedArm(LSEAT_LONG_ARM_IN) +
                            " aft of the datum, the left seat " + fixedArm(-LSEAT_LAT_ARM_IN) +
                            " left and the right seat " + fixedArm(RSEAT_LAT_ARM_IN) +
                            " right of the centre line, the fuel at " + fixedArm(FUEL_LONG_ARM_IN) + " and " +
                            fixedArm(FUEL_LAT_ARM_IN) + " right." + m_set.strFixedTail;
    gtk_label_set_text(GTK_LABEL(m_set.m_pwgtFixedArms), str.c_str());
}

// What follows the arms in the words that give them, kept as written.
void keepFixedArmsTail(void)
{
    if (!m_set.m_pwgtFixedArms)
        return;
    const std::string str = gtk_label_get_text(GTK_LABEL(m_set.m_pwgtFixedArms));
    const size_t nEnd = str.find(". ");
    m_set.strFixedTail = nEnd == std::string::npos ? "" : str.substr(nEnd + 1);
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
    const std::string strStored = valGetText(VAL_WEIGHED);
    mscShowText(m_set.fields.entries[VAL_WEIGHED], dateShow(strStored));
    mscFlagEntry(m_set.fields.entries[VAL_WEIGHED], dateRead(strStored, today()).strProblem);
}

// The operator's rule asks to hover out of ground effect at every take-off
// and landing, or no longer.
void psetOnHoverOgeClicked(GtkButton* pwgtButton, gpointer)
{
    valStoreValue(VAL_HOVER_OGE, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtButton)) ? 1 : 0);
}

// An aircraft the school published to this machine is read here, never
// typed: every entry of its figures (the aircraft's values) takes no text,
// and the page says whose it is. The flight's own choices stay as they are.
void showPublished(void)
{
    const bool bPublished = figPublishedHere();
    // So is the fuel rule and margins a school published with it.
    const std::string strRuleSchool = schRuleSchool();
    for (const _prmValue& v : valValues())
        if (GtkWidget* pwgt = m_set.fields.entries[v.nId]; pwgt && (v.pszAircraftKey || v.bRule)) {
            const bool bRead = v.bRule ? !strRuleSchool.empty() : bPublished;
            gtk_editable_set_editable(GTK_EDITABLE(pwgt), !bRead);
            // It looks read, not typed.
            GtkStyleContext* pstyle = gtk_widget_get_style_context(pwgt);
            if (bRead)
                gtk_style_context_add_class(pstyle, "zarv-read-only");
            else
                gtk_style_context_remove_class(pstyle, "zarv-read-only");
        }
    if (m_set.m_pwgtHoverOge) {
        mscShowChoice({m_set.m_pwgtHoverOge}, m_set.m_pwgtHoverOge, psetOnHoverOgeClicked, m_wbSetup.nHoverOge != 0);
        gtk_widget_set_sensitive(m_set.m_pwgtHoverOge, strRuleSchool.empty());
    }
    if (m_set.m_pwgtPublishedBy) {
        gtk_label_set_text(GTK_LABEL(m_set.m_pwgtPublishedBy), schPublishedText().c_str());
        gtk_widget_set_tooltip_text(m_set.m_pwgtPublishedBy,
                                    "The school publishes this aircraft's figures and items: they are changed where "
                                    "they are published, and read here as published");
        gtk_widget_set_visible(m_set.m_pwgtPublishedBy, bPublished);
    }
}

// The fleet, and the current aircraft's registration and weighing date.
void showIdentity(void)
{
    flistShow();
    if (GtkWidget* pwgt = m_set.fields.entries[VAL_REGISTRATION]) {
        mscShowText(pwgt, fleetList()[0].strRegistration);
        mscFlagEntry(pwgt, valNotText(VAL_REGISTRATION));
    }
    if (m_set.fields.entries[VAL_WEIGHED])
        showWeighed();
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
    const std::string strOld = valGetText(nId);
    if (strOld != strText && !m_set.bAsking) {
        // Renaming the aircraft or changing its weighing date amends its
        // weighing record like any figure; cancelled, the old text is back.
        std::optional<std::string> reason = "";
        if (figAsksAmend(nId)) {
            const bool bDate = nId == VAL_WEIGHED;
            reason = asking([&] {
                return amdAskReason(pwgt, "Amend the weighing record?",
                                    amendmentChange(valValue(nId), bDate ? dateShow(strOld) : strOld,
                                                    bDate ? dateShow(strText) : strText),
                                    amdWhose());
            });
        }
        if (!reason)
            mscShowText(pwgt, nId == VAL_WEIGHED ? dateShow(strOld) : strOld);
        else if (valValue(nId).bFigure)
            figStoreFigureText(nId, strText.c_str(), *reason);
        else
            valSetText(nId, strText.c_str());
    }
    if (nId == VAL_WEIGHED)
        showWeighed();
    return FALSE;
}

void psetOnConfirmFiguresClicked(GtkButton* pwgtButton, gpointer)
{
    std::string strWhat;
    for (const std::string& str : figOutsideChanges())
        strWhat += str + "\n";
    const std::optional<std::string> reason = asking([&] {
        return amdAskReason(GTK_WIDGET(pwgtButton), "Confirm the figures?", "",
                            strWhat + "Each change and the reason are kept in the aircraft's history.");
    });
    if (!reason)
        return;
    figConfirmFigures(*reason);
}

// Told of every change: the page redrawn from the aircraft Zarv holds; a
// change of the loading shows nothing here.
void psetOnStateChanged(_stateChange nChange)
{
    if (nChange == STATE_LOADING)
        return;
    psetUpdateInputDisplay();
    psetUpdateUnitLabels();
    psetUpdateUnitButtons();
    showIdentity();
    showPublished();
    ilstShow(nChange == STATE_ALL);
    hedShow();
}

// The page's widgets gone with their window: the page is told no more. A
// window built before this page's (a test's) takes nothing with it.
void psetOnPageDestroy(GtkWidget* pwgt, gpointer)
{
    if (pwgt != m_set.m_pwgtConfEmptyWeight)
        return;
    stateUnlisten(psetOnStateChanged);
    m_set = _psetPage{};
}

} // namespace

void psetInit(GtkBuilder* pBuilder)
{
    // The page's choices in its walk with Up, Down and Return; its entries
    // have their places in the table of stored values, and the removable
    // items' fields theirs after the basic figures.
    const _fldStop stops[] = {
        {80, &m_set.m_pwgtConfWeightUnitKgs},
        {90, &m_set.m_pwgtConfWeightUnitLbs},
        {100, &m_set.m_pwgtConfArmUnitMM},
        {110, &m_set.m_pwgtConfArmUnitIn},
        {120, &m_set.m_pwgtConfFuelUnitLitres},
        {130, &m_set.m_pwgtConfFuelUnitUSGal},
        {140, &m_set.m_pwgtConfFuelUnitImpGal},
        {170, flistWalkStop()},
        {275, &m_set.m_pwgtHoverOge},
        {35, ilstWalkFirst()},
        {36, ilstWalkLast()},
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

    // A page of its own for each window built.
    m_set = _psetPage{};
    mscBindAll(pBuilder, m_bindings);
    mscBindAll(pBuilder, m_optional);
    keepFixedArmsTail();
    flistBind(pBuilder);
    ilstBind(pBuilder);
    hedBind(pBuilder);
    fldBind(pBuilder, m_set.fields, stops);
    stateListen(psetOnStateChanged);
    g_signal_connect(m_set.m_pwgtConfEmptyWeight, "destroy", G_CALLBACK(psetOnPageDestroy), nullptr);
    _wgtLUT* wgtLUT = m_set.fields.walk.data();
    fldConnect(m_set.fields, named, G_CALLBACK(psetOnValueFocusOut), G_CALLBACK(psetOnIdentityFocusOut));
    flistConnect(wgtLUT, m_set.fields.entries[VAL_REGISTRATION]);
    ilstConnect(wgtLUT);
    if (m_set.m_pwgtConfirmFigures)
        g_signal_connect(m_set.m_pwgtConfirmFigures, "clicked", G_CALLBACK(psetOnConfirmFiguresClicked), nullptr);
    for (GtkWidget* pwgt : {m_set.m_pwgtConfWeightUnitKgs, m_set.m_pwgtConfWeightUnitLbs})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnWeightUnitClicked), wgtLUT);
    for (GtkWidget* pwgt : {m_set.m_pwgtConfArmUnitMM, m_set.m_pwgtConfArmUnitIn})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnArmUnitClicked), wgtLUT);
    for (GtkWidget* pwgt :
         {m_set.m_pwgtConfFuelUnitLitres, m_set.m_pwgtConfFuelUnitUSGal, m_set.m_pwgtConfFuelUnitImpGal})
        mscConnectField(pwgt, "clicked", G_CALLBACK(psetOnFuelUnitClicked), wgtLUT);
    if (m_set.m_pwgtHoverOge)
        mscConnectField(m_set.m_pwgtHoverOge, "clicked", G_CALLBACK(psetOnHoverOgeClicked), wgtLUT);
}

std::span<const _mscBinding> psetBindings(void)
{
    return m_bindings;
}

std::span<const _wgtLUT> psetWalk(void)
{
    return m_set.fields.walk;
}

void psetUpdateInputDisplay(void)
{
    const _wbSetup& s = m_wbSetup;
    fldShowNumbers(m_set.fields);
    if (m_set.fields.entries[VAL_FUEL_DENSITY]) {
        // None set reads as the density in use; one that cannot be is shown
        // as it stands, flagged.
        const bool bUsable = unitFuelDensity(s) == s.nFuelDensity;
        if (!bUsable && s.nFuelDensity != 0)
            mscFlagEntry(m_set.fields.entries[VAL_FUEL_DENSITY],
                         "A density outside " + mscFormatNumber("%1.1f", MIN_FUEL_DENSITY) + " to " +
                             mscFormatNumber("%1.1f", MAX_FUEL_DENSITY) +
                             " kg/L cannot be right: nothing is judged until it is corrected.");
    }
    // None set reads as the interval in use; one that cannot be is flagged.
    GtkWidget* pwgtInterval = m_set.fields.entries[VAL_WEIGHING_MONTHS];
    if (pwgtInterval && s.nWeighingMonths != 0 && dateWeighingMonths(s.nWeighingMonths) != s.nWeighingMonths)
        mscFlagEntry(pwgtInterval, "An interval that is no whole number of months from 1 to " +
                                       std::to_string(DATE_MAX_WEIGHING_MONTHS) + " is not used: every " +
                                       std::to_string(DATE_WEIGHING_MONTHS) + " months is.");
    showCopied();
    showFigures();
}

void psetUpdateUnitLabels(void)
{
    fldShowUnits(m_set.fields);
    showFixedArms();
}

void psetUpdateUnitButtons(void)
{
    const _wbSetup& s = m_wbSetup;
    GtkWidget* pwgtWeight = s.nUnitWt == UNIT_WT_LB ? m_set.m_pwgtConfWeightUnitLbs : m_set.m_pwgtConfWeightUnitKgs;
    GtkWidget* pwgtArm = s.nUnitArm == UNIT_ARM_INCH ? m_set.m_pwgtConfArmUnitIn : m_set.m_pwgtConfArmUnitMM;
    GtkWidget* pwgtFuel = s.nUnitFuel == UNIT_FUEL_USGAL    ? m_set.m_pwgtConfFuelUnitUSGal
                          : s.nUnitFuel == UNIT_FUEL_IMPGAL ? m_set.m_pwgtConfFuelUnitImpGal
                                                            : m_set.m_pwgtConfFuelUnitLitres;
    mscShowChoice({m_set.m_pwgtConfWeightUnitKgs, m_set.m_pwgtConfWeightUnitLbs}, pwgtWeight, psetOnWeightUnitClicked);
    mscShowChoice({m_set.m_pwgtConfArmUnitMM, m_set.m_pwgtConfArmUnitIn}, pwgtArm, psetOnArmUnitClicked);
    mscShowChoice({m_set.m_pwgtConfFuelUnitLitres, m_set.m_pwgtConfFuelUnitUSGal, m_set.m_pwgtConfFuelUnitImpGal},
                  pwgtFuel, psetOnFuelUnitClicked);
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
    valStoreValue(VAL_UNIT_WEIGHT, isActive(m_set.m_pwgtConfWeightUnitLbs) ? UNIT_WT_LB : UNIT_WT_KG);
}

void psetOnArmUnitClicked(GtkButton*, gpointer)
{
    valStoreValue(VAL_UNIT_ARM, isActive(m_set.m_pwgtConfArmUnitIn) ? UNIT_ARM_INCH : UNIT_ARM_MM);
}

void psetOnFuelUnitClicked(GtkButton*, gpointer)
{
    valStoreValue(VAL_UNIT_FUEL, isActive(m_set.m_pwgtConfFuelUnitUSGal)    ? UNIT_FUEL_USGAL
                                 : isActive(m_set.m_pwgtConfFuelUnitImpGal) ? UNIT_FUEL_IMPGAL
                                                                            : UNIT_FUEL_LITRE);
}

} // namespace
