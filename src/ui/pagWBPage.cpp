// The loading page: seat weights, fuel and ballast position in; the result
// table in pounds, inches and pound-inches, and the limit indicators, out.
// Handlers store what the pilot changed and then refresh; the display
// functions only show.
#include "ui/pagWBPage.h"
#include "model/date.h"

#include "model/fuel.h"
#include "model/limits.h"
#include "store/fleet.h"
#include "store/state.h"
#include "store/stored.h"
#include "ui/fields.h"
#include "ui/misc.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBVerdict.h"
#include "ui/shown.h"

#include <array>
#include <cmath>
#include <ctime>
#include <string>

namespace
{

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnTripFuelFocusOut(GtkWidget* pwgtTripFuel, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus* pevtWB, gpointer pId);
void pwbOnBallastClicked(GtkButton* pwgtButton, gpointer pUser);
void pwbOnShowBurnOffClicked(GtkButton* pwgtButton, gpointer pUser);

GtkWidget* m_pwgtWBDrawing = nullptr;
GtkWidget* m_pwgtLSeatWeight = nullptr;
GtkWidget* m_pwgtRSeatWeight = nullptr;
GtkWidget* m_pwgtFuelVolume = nullptr;
GtkWidget* m_pwgtBallastNone = nullptr;
GtkWidget* m_pwgtBallastFront = nullptr;
GtkWidget* m_pwgtBallastRear = nullptr;
GtkWidget* m_pwgtLeftSeatUnitLabel = nullptr;
GtkWidget* m_pwgtRightSeatUnitLabel = nullptr;
GtkWidget* m_pwgtFuelUnitLabel = nullptr;
GtkWidget* m_pwgtLSeatOverWeight = nullptr;
GtkWidget* m_pwgtRSeatOverWeight = nullptr;
GtkWidget* m_pwgtFuelOverFill = nullptr;

// The 30 result cells, one per row (basic, left seat, right seat, fuel,
// ballast, total) and column.
GtkWidget *m_pwgtCalBasicWt, *m_pwgtCalLSeatWt, *m_pwgtCalRSeatWt, *m_pwgtCalFuelWt, *m_pwgtCalBallastWt,
    *m_pwgtCalTotalWt;
GtkWidget *m_pwgtBasicLongArm, *m_pwgtLSeatLongArm, *m_pwgtRSeatLongArm, *m_pwgtFuelLongArm, *m_pwgtBallastLongArm,
    *m_pwgtTotalLongArm;
GtkWidget *m_pwgtBasicLongMoment, *m_pwgtLSeatLongMoment, *m_pwgtRSeatLongMoment, *m_pwgtFuelLongMoment,
    *m_pwgtBallastLongMoment, *m_pwgtTotalLongMoment;
GtkWidget *m_pwgtBasicLatArm, *m_pwgtLSeatLatArm, *m_pwgtRSeatLatArm, *m_pwgtFuelLatArm, *m_pwgtBallastLatArm,
    *m_pwgtTotalLatArm;
GtkWidget *m_pwgtBasicLatMoment, *m_pwgtLSeatLatMoment, *m_pwgtRSeatLatMoment, *m_pwgtFuelLatMoment,
    *m_pwgtBallastLatMoment, *m_pwgtTotalLatMoment;

// Every object of the page, bound by id and checked by class at start-up.
// The 30 cells come last (from FIRST_CELL), column by column, each from the
// basic row down to the total.
constexpr size_t FIRST_CELL = 13;
const std::array<_mscBinding, 43> m_bindings = {{
    {"WBDrawing", gtk_drawing_area_get_type, &m_pwgtWBDrawing},
    {"LeftSeatWeight", gtk_entry_get_type, &m_pwgtLSeatWeight},
    {"RightSeatWeight", gtk_entry_get_type, &m_pwgtRSeatWeight},
    {"FuelVolume", gtk_entry_get_type, &m_pwgtFuelVolume},
    {"BallastNone", gtk_radio_button_get_type, &m_pwgtBallastNone},
    {"BallastFront", gtk_radio_button_get_type, &m_pwgtBallastFront},
    {"BallastRear", gtk_radio_button_get_type, &m_pwgtBallastRear},
    {"LeftSeatUnits", gtk_label_get_type, &m_pwgtLeftSeatUnitLabel},
    {"RightSeatUnits", gtk_label_get_type, &m_pwgtRightSeatUnitLabel},
    {"FuelUnits", gtk_label_get_type, &m_pwgtFuelUnitLabel},
    {"LSeatOverWeight", gtk_label_get_type, &m_pwgtLSeatOverWeight},
    {"RSeatOverWeight", gtk_label_get_type, &m_pwgtRSeatOverWeight},
    {"FuelOverFill", gtk_label_get_type, &m_pwgtFuelOverFill},
    {"CalBasicWt", gtk_label_get_type, &m_pwgtCalBasicWt},
    {"CalLSeatWt", gtk_label_get_type, &m_pwgtCalLSeatWt},
    {"CalRSeatWt", gtk_label_get_type, &m_pwgtCalRSeatWt},
    {"CalFuelWt", gtk_label_get_type, &m_pwgtCalFuelWt},
    {"CalBallastWt", gtk_label_get_type, &m_pwgtCalBallastWt},
    {"CalTotalWt", gtk_label_get_type, &m_pwgtCalTotalWt},
    {"BasicLongArm", gtk_label_get_type, &m_pwgtBasicLongArm},
    {"LSeatLongArm", gtk_label_get_type, &m_pwgtLSeatLongArm},
    {"RSeatLongArm", gtk_label_get_type, &m_pwgtRSeatLongArm},
    {"FuelLongArm", gtk_label_get_type, &m_pwgtFuelLongArm},
    {"BallastLongArm", gtk_label_get_type, &m_pwgtBallastLongArm},
    {"TotalLongArm", gtk_label_get_type, &m_pwgtTotalLongArm},
    {"BasicLongMoment", gtk_label_get_type, &m_pwgtBasicLongMoment},
    {"LSeatLongMoment", gtk_label_get_type, &m_pwgtLSeatLongMoment},
    {"RSeatLongMoment", gtk_label_get_type, &m_pwgtRSeatLongMoment},
    {"FuelLongMoment", gtk_label_get_type, &m_pwgtFuelLongMoment},
    {"BallastLongMoment", gtk_label_get_type, &m_pwgtBallastLongMoment},
    {"TotalLongMoment", gtk_label_get_type, &m_pwgtTotalLongMoment},
    {"BasicLatArm", gtk_label_get_type, &m_pwgtBasicLatArm},
    {"LSeatLatArm", gtk_label_get_type, &m_pwgtLSeatLatArm},
    {"RSeatLatArm", gtk_label_get_type, &m_pwgtRSeatLatArm},
    {"FuelLatArm", gtk_label_get_type, &m_pwgtFuelLatArm},
    {"BallastLatArm", gtk_label_get_type, &m_pwgtBallastLatArm},
    {"TotalLatArm", gtk_label_get_type, &m_pwgtTotalLatArm},
    {"BasicLatMoment", gtk_label_get_type, &m_pwgtBasicLatMoment},
    {"LSeatLatMoment", gtk_label_get_type, &m_pwgtLSeatLatMoment},
    {"RSeatLatMoment", gtk_label_get_type, &m_pwgtRSeatLatMoment},
    {"FuelLatMoment", gtk_label_get_type, &m_pwgtFuelLatMoment},
    {"BallastLatMoment", gtk_label_get_type, &m_pwgtBallastLatMoment},
    {"TotalLatMoment", gtk_label_get_type, &m_pwgtTotalLatMoment},
}};

// Objects of fuel planning, which an older Zarv.ui does not have: the page
// runs as before without them.
GtkWidget *m_pwgtNoFuelWt = nullptr, *m_pwgtNoFuelLongArm = nullptr, *m_pwgtNoFuelLatArm = nullptr;
GtkWidget *m_pwgtNoFuelReason = nullptr, *m_pwgtFuelAllowed = nullptr, *m_pwgtBallastAdvice = nullptr;
GtkWidget* m_pwgtShowBurnOff = nullptr;
// The verdict on each point in words, and which aircraft is loaded.
GtkWidget *m_pwgtVerdict = nullptr, *m_pwgtLoadingAircraft = nullptr;
// The one verdict on the flight.
GtkWidget* m_pwgtFlightVerdict = nullptr;
// Where to begin, while the aircraft has no basic weight.
GtkWidget* m_pwgtFirstStart = nullptr;
// That the aircraft is due to be reweighed; hidden while it is not.
GtkWidget* m_pwgtWeighingDue = nullptr;
// The entries and unit labels of the loading's values, as the table of
// stored values gives them; the page's walk.
_fldPage m_page = {.nOwner = PRM_OF_LOADING};
// The trip and the landing point, and the fuel density in use.
GtkWidget*& m_pwgtTripFuel = m_page.entries[VAL_TRIP];
GtkWidget* m_pwgtFuelDensityInUse = nullptr;
GtkWidget *m_pwgtLandingWt = nullptr, *m_pwgtLandingLongArm = nullptr, *m_pwgtLandingLatArm = nullptr;
const std::array<_mscBinding, 16> m_optional = {{
    {"NoFuelWt", gtk_label_get_type, &m_pwgtNoFuelWt},
    {"NoFuelLongArm", gtk_label_get_type, &m_pwgtNoFuelLongArm},
    {"NoFuelLatArm", gtk_label_get_type, &m_pwgtNoFuelLatArm},
    {"NoFuelReason", gtk_label_get_type, &m_pwgtNoFuelReason},
    {"FuelAllowed", gtk_label_get_type, &m_pwgtFuelAllowed},
    {"BallastAdvice", gtk_label_get_type, &m_pwgtBallastAdvice},
    {"ShowBurnOff", gtk_check_button_get_type, &m_pwgtShowBurnOff},
    {"Verdict", gtk_label_get_type, &m_pwgtVerdict},
    {"LoadingAircraft", gtk_label_get_type, &m_pwgtLoadingAircraft},
    {"FirstStart", gtk_label_get_type, &m_pwgtFirstStart},
    {"FuelDensityInUse", gtk_label_get_type, &m_pwgtFuelDensityInUse},
    {"LandingWt", gtk_label_get_type, &m_pwgtLandingWt},
    {"LandingLongArm", gtk_label_get_type, &m_pwgtLandingLongArm},
    {"LandingLatArm", gtk_label_get_type, &m_pwgtLandingLatArm},
    {"FlightVerdict", gtk_label_get_type, &m_pwgtFlightVerdict},
    {"WeighingDue", gtk_label_get_type, &m_pwgtWeighingDue},
}};

// A cell is at most this wide; a longer text (a huge value) is cut short
// with an ellipsis, whole in the cell's tooltip, and never widens the window.
constexpr int MAX_CELL_CHARS = 16;

void setLabelValue(GtkWidget* pwgtLabel, const std::string& strText)
{
    // The same text again (start-up refreshes the page twice) costs no new
    // layout.
    if (strText == gtk_label_get_label(GTK_LABEL(pwgtLabel)))
        return;
    gtk_label_set_markup(GTK_LABEL(pwgtLabel), strText.c_str());
    const bool bLong = g_utf8_strlen(strText.c_str(), -1) > MAX_CELL_CHARS;
    gtk_widget_set_tooltip_text(pwgtLabel, bLong ? strText.c_str() : nullptr);
}

// Every result cell ellipsizes what does not fit.
void boundCells(void)
{
    auto bound = [](GtkWidget* pwgt) {
        gtk_label_set_ellipsize(GTK_LABEL(pwgt), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(pwgt), MAX_CELL_CHARS);
    };
    for (const _mscBinding& b : std::span(m_bindings).subspan(FIRST_CELL))
        bound(*b.ppwgt);
    for (GtkWidget* pwgt : {m_pwgtNoFuelWt, m_pwgtNoFuelLongArm, m_pwgtNoFuelLatArm, m_pwgtLandingWt,
                            m_pwgtLandingLongArm, m_pwgtLandingLatArm})
        if (pwgt)
            bound(pwgt);
}

void pwbDisplayWeightValue(GtkWidget* pwgtTotal, double nValue)
{
    setLabelValue(pwgtTotal, pwbWeightText(nValue));
}

void pwbDisplayArmValue(GtkWidget* pwgtArm, double nValue)
{
    setLabelValue(pwgtArm, pwbArmText(nValue));
}

void pwbDisplayMomentValue(GtkWidget* pwgtMoment, double nValue)
{
    setLabelValue(pwgtMoment, pwbMomentText(nValue));
}

void colourTotal(GtkWidget* pwgtCell, bool bBeyond)
{
    gtk_label_set_attributes(GTK_LABEL(pwgtCell), bBeyond ? m_pattrBoldRed : m_pattrBoldBlue);
}

// Shows the entries, the ballast choice and the indicators.
void pwbUpdateInputDisplay(void)
{
    fldShowNumbers(m_page);

    // Showing the choice is no choice of the pilot's: the handler stays out.
    GtkWidget* pwgtBallast = m_wbLoad.nBallastPosn == BALLAST_FRONT  ? m_pwgtBallastFront
                             : m_wbLoad.nBallastPosn == BALLAST_REAR ? m_pwgtBallastRear
                                                                     : m_pwgtBallastNone;
    mscShowChoice({m_pwgtBallastNone, m_pwgtBallastFront, m_pwgtBallastRear}, pwgtBallast, pwbOnBallastClicked);

    if (m_pwgtShowBurnOff)
        mscShowChoice({m_pwgtShowBurnOff}, m_pwgtShowBurnOff, pwbOnShowBurnOffClicked, m_wbLoad.bShowBurnOff);

    if (m_pwgtTripFuel) {
        // A trip below nothing (or no number) and one longer than the fuel
        // on board are flagged for as long as they are; a flag for a text not
        // read cleanly stays until the next commit.
        static bool bFlaggedTrip = false;
        const char* pszTrip = calcTripOf(m_wbLoad.nTripFuel) != m_wbLoad.nTripFuel
                                  ? "A trip below nothing cannot be right: nothing is judged until it is corrected."
                              : m_wbLoad.nTripFuel > m_wbLoad.nFuelVolume
                                  ? "The trip is more fuel than there is on board."
                                  : nullptr;
        if (pszTrip)
            mscFlagEntry(m_pwgtTripFuel, pszTrip);
        else if (bFlaggedTrip)
            mscFlagEntry(m_pwgtTripFuel, "");
        bFlaggedTrip = pszTrip != nullptr;
    }
    if (m_pwgtFuelDensityInUse)
        gtk_label_set_text(GTK_LABEL(m_pwgtFuelDensityInUse),
                           ("Fuel weighs " +
                            shwFixed(unitToShown(KIND_DENSITY, unitFuelDensity(m_wbSetup), m_wbSetup), 3) + " " +
                            unitLabel(KIND_DENSITY, m_wbSetup))
                               .c_str());

    // The loading as it now stands, judged: the last calculation may be
    // older than these entries.
    const _wbJudgement j = calcJudgeFlight(m_wbSetup, stateLoading(), m_wbLoad.nTripFuel).judged[POINT_TAKE_OFF];
    gtk_widget_set_visible(m_pwgtLSeatOverWeight, j.beyond(LIMIT_LSEAT));
    gtk_widget_set_visible(m_pwgtRSeatOverWeight, j.beyond(LIMIT_RSEAT));
    gtk_widget_set_visible(m_pwgtFuelOverFill, j.beyond(LIMIT_TANK));
}

void pwbUpdateUnitLabels(void)
{
    fldShowUnits(m_page);
    // The seat limit in the pilot's weight unit, as the verdict gives it.
    static const std::string strSeatLimit = gtk_label_get_text(GTK_LABEL(m_pwgtLSeatOverWeight));
    const std::string strSeat = m_wbSetup.nUnitWt == UNIT_WT_LB
                                    ? strSeatLimit
                                    : "Over the " + pwbLimitText(LIMIT_LSEAT, m_wbSetup) + " seat limit";
    gtk_label_set_text(GTK_LABEL(m_pwgtLSeatOverWeight), strSeat.c_str());
    gtk_label_set_text(GTK_LABEL(m_pwgtRSeatOverWeight), strSeat.c_str());
    // And the tank's in the pilot's fuel unit.
    static const std::string strTankLimit = gtk_label_get_text(GTK_LABEL(m_pwgtFuelOverFill));
    const std::string strTank = m_wbSetup.nUnitFuel == UNIT_FUEL_LITRE
                                    ? strTankLimit
                                    : "Over the " + pwbLimitText(LIMIT_TANK, m_wbSetup) + " tank capacity";
    gtk_label_set_text(GTK_LABEL(m_pwgtFuelOverFill), strTank.c_str());
}

// Colours the weight and arm cells of a point red beyond a limit of what
// they show, blue within, by the flight's judgement of the point: a value
// on a limit is within it, no number is beyond nothing (blue), an infinity
// beyond (red).
void colourPoint(GtkWidget* pwgtWeight, GtkWidget* pwgtLongArm, GtkWidget* pwgtLatArm, const _wbJudgement& j)
{
    bool bBeyond[QTY_COUNT] = {};
    for (const _limRow& r : LIM_ROWS)
        bBeyond[r.nQuantity] = bBeyond[r.nQuantity] || j.beyond(r.nId);
    colourTotal(pwgtWeight, bBeyond[QTY_WEIGHT]);
    colourTotal(pwgtLongArm, bBeyond[QTY_LONG_ARM]);
    colourTotal(pwgtLatArm, bBeyond[QTY_LAT_ARM]);
}

// Fills the result table from the results of the last calculation.
void pwbUpdateTotalsDisplay(void)
{
    // The cells are bound column by column, each from the basic row down.
    const auto rows = m_wbFlight.rows;
    for (size_t iRow = 0; iRow < rows.size(); iRow++) {
        const _wbTableRow& r = rows[iRow];
        auto cell = [&](size_t iCol) { return *m_bindings[FIRST_CELL + iCol * rows.size() + iRow].ppwgt; };
        pwbDisplayWeightValue(cell(0), r.nWeight);
        pwbDisplayArmValue(cell(1), r.nLongArm);
        pwbDisplayMomentValue(cell(2), r.nLongMoment);
        pwbDisplayArmValue(cell(3), r.nLatArm);
        pwbDisplayMomentValue(cell(4), r.nLatMoment);
    }
    colourPoint(m_pwgtCalTotalWt, m_pwgtTotalLongArm, m_pwgtTotalLatArm, m_wbFlight.judged[POINT_TAKE_OFF]);
}

// Why the zero-fuel point is out of limits, in words ("Forward of the
// limit with the fuel burned"); empty when it is not.
std::string zeroFuelReason(_wbBeyond nBeyond)
{
    std::string str = pwbBeyondWords(nBeyond);
    if (str.empty())
        return str;
    str[0] = static_cast<char>(g_ascii_toupper(str[0]));
    return str + " with the fuel burned";
}

// A point's weight and arms in the pilot's units, where they are not the
// result table's pounds and inches; none from a value that cannot be right.
std::string pointFigures(const _wbFlight& f, _wbFlightPoint nPoint)
{
    if (pwbUnitsWritten(m_wbSetup) || !f.doubts.empty() || f.bNothingEntered ||
        (nPoint == POINT_LANDING && f.bTripOverFuel))
        return {};
    return pwbPointFiguresText(f.points[nPoint], m_wbSetup) + " \u2014 ";
}

// The zero-fuel row, its reason, the fuel allowed and the ballast advice,
// where Zarv.ui has them.
void pwbUpdatePlanDisplay(void)
{
    const _wbFlight& f = m_wbFlight;
    const _wbPoint& z = f.points[POINT_NO_FUEL];
    // The fuel and ballast plan, worked once for both advices.
    const bool bTrip = m_pwgtTripFuel != nullptr;
    const _wbFuelPlan plan = pwbFuelPlanOf(f, m_wbSetup, bTrip);
    if (m_pwgtNoFuelWt && m_pwgtNoFuelLongArm && m_pwgtNoFuelLatArm) {
        pwbDisplayWeightValue(m_pwgtNoFuelWt, z.nWeight);
        pwbDisplayArmValue(m_pwgtNoFuelLongArm, z.nLongArm);
        pwbDisplayArmValue(m_pwgtNoFuelLatArm, z.nLatArm);
        colourPoint(m_pwgtNoFuelWt, m_pwgtNoFuelLongArm, m_pwgtNoFuelLatArm, f.judged[POINT_NO_FUEL]);
    }
    if (m_pwgtNoFuelReason) {
        // Nothing is judged from a value that cannot be right.
        const std::string strReason =
            f.doubts.empty() ? zeroFuelReason(calcBeyondLimit(f.judged[POINT_NO_FUEL])) : std::string();
        gtk_label_set_text(GTK_LABEL(m_pwgtNoFuelReason), strReason.c_str());
        gtk_widget_set_visible(m_pwgtNoFuelReason, !strReason.empty());
    }
    if (m_pwgtLandingWt && m_pwgtLandingLongArm && m_pwgtLandingLatArm) {
        const _wbPoint& p = f.points[POINT_LANDING];
        pwbDisplayWeightValue(m_pwgtLandingWt, p.nWeight);
        pwbDisplayArmValue(m_pwgtLandingLongArm, p.nLongArm);
        pwbDisplayArmValue(m_pwgtLandingLatArm, p.nLatArm);
        // Each figure is coloured by its own judgement; without a trip the
        // landing is the take-off's loading, judged as such.
        colourPoint(m_pwgtLandingWt, m_pwgtLandingLongArm, m_pwgtLandingLatArm, f.judged[POINT_LANDING]);
    }
    if (m_pwgtFuelAllowed) {
        const std::string strAdvice = pwbFuelAdviceText(f, plan, m_wbSetup, bTrip);
        gtk_label_set_text(GTK_LABEL(m_pwgtFuelAllowed), strAdvice.c_str());
        // The fuel on board is flagged while it lies outside what the advice
        // allows (once the aircraft has a basic weight), as the trip is while
        // it is more than the fuel; a commit's own flag for text not read
        // cleanly stands until the next commit.
        // The fuel alone is judged here: where the fuel burned puts the
        // loading out, no fuel load is the fault, and the advice says so.
        static std::string strShown;
        const _wbFuelRange range =
            fuelTripRange(m_wbSetup, f.loading.nLSeatWeight, f.loading.nRSeatWeight, f.loading.nBallastPosn, f.nTrip)
                .takeOff;
        const bool bOutside =
            bTrip && f.doubts.empty() && m_wbSetup.nBasicWeight > 0 && range.bKnown &&
            (!range.bAny || m_wbLoad.nFuelVolume < range.nLeast || m_wbLoad.nFuelVolume > range.nMost);
        g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(m_pwgtFuelVolume);
        const bool bFlagged =
            gtk_style_context_has_class(gtk_widget_get_style_context(m_pwgtFuelVolume), GTK_STYLE_CLASS_ERROR);
        const bool bMine = bFlagged && pszTip && strShown == pszTip;
        if (bFlagged && !bMine) {
            strShown.clear();
        } else if (bOutside) {
            strShown = mscOneLine(strAdvice.substr(0, strAdvice.find("\nKeep"))) + ".";
            mscFlagEntry(m_pwgtFuelVolume, strShown);
        } else if (bMine) {
            mscFlagEntry(m_pwgtFuelVolume, "");
            strShown.clear();
        }
    }
    if (m_pwgtFirstStart)
        gtk_widget_set_visible(m_pwgtFirstStart, m_wbSetup.nBasicWeight == 0);
    if (m_pwgtWeighingDue) {
        GDate today;
        g_date_clear(&today, 1);
        g_date_set_time_t(&today, time(nullptr));
        const std::string strDue =
            dateWeighingDueText(dateWeighingDue(prmGetText(VAL_WEIGHED), today, m_wbSetup.nWeighingMonths));
        gtk_label_set_text(GTK_LABEL(m_pwgtWeighingDue), strDue.c_str());
        gtk_widget_set_visible(m_pwgtWeighingDue, !strDue.empty());
    }
    if (m_pwgtFlightVerdict) {
        gtk_label_set_text(GTK_LABEL(m_pwgtFlightVerdict), pwbFlightVerdictText(f, m_wbSetup).c_str());
        gtk_label_set_attributes(GTK_LABEL(m_pwgtFlightVerdict), f.within() ? m_pattrBoldBlue : m_pattrBoldRed);
    }
    if (m_pwgtVerdict) {
        constexpr std::array<const char*, POINT_COUNT> names = {"Take-off", "Landing", "No fuel"};
        std::string strVerdict;
        for (int n = 0; n < POINT_COUNT; n++)
            if (f.hasPoint(static_cast<_wbFlightPoint>(n)))
                strVerdict += (strVerdict.empty() ? "" : "\n") + std::string(names[n]) + ": " +
                              pointFigures(f, static_cast<_wbFlightPoint>(n)) +
                              pwbPointVerdictText(f, static_cast<_wbFlightPoint>(n), m_wbSetup);
        gtk_label_set_text(GTK_LABEL(m_pwgtVerdict), strVerdict.c_str());
    }
    if (m_pwgtBallastAdvice)
        gtk_label_set_text(GTK_LABEL(m_pwgtBallastAdvice), pwbBallastAdviceText(f, plan, m_wbSetup).c_str());
}

void pwbInvalidateChart(void)
{
    if (GdkWindow* pwin = gtk_widget_get_window(m_pwgtWBDrawing))
        gdk_window_invalidate_rect(pwin, nullptr, FALSE);
}

// What follows a change of a loading entry: the entries and indicators
// shown again, and the refresh.
void afterLoadChange(void)
{
    pwbUpdateInputDisplay();
    pwbRefresh();
}

// An entry of the page left: its value committed, and what follows. An
// entry left untouched stores nothing and changes nothing.
void commitLoad(GtkWidget* pwgtEntry, _prmValueId nId)
{
    if (fldCommitEntry(pwgtEntry, nId))
        afterLoadChange();
}

// Every number's entry left, by the id it was connected with.
gboolean pwbOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pId)
{
    commitLoad(pwgt, fldIdOf(pId));
    return FALSE;
}

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtLSeatWeight, pevtWB, pId);
}

gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtRSeatWeight, pevtWB, pId);
}

gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtFuelVolume, pevtWB, pId);
}

gboolean pwbOnTripFuelFocusOut(GtkWidget* pwgtTripFuel, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtTripFuel, pevtWB, pId);
}

void pwbOnBallastClicked(GtkButton*, gpointer)
{
    // The buttons' states decide, never the button that sent the signal:
    // "clicked" comes for the button left as well as the one chosen.
    guint nPosn = BALLAST_NONE;
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtBallastFront)))
        nPosn = BALLAST_FRONT;
    else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtBallastRear)))
        nPosn = BALLAST_REAR;
    prmStoreValue(VAL_BALLAST_POSN, nPosn);
    pwbRefresh();
}

void pwbOnShowBurnOffClicked(GtkButton* pwgtButton, gpointer)
{
    prmStoreValue(VAL_SHOW_BURN_OFF, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtButton)) ? 1 : 0);
    pwbInvalidateChart();
}

} // namespace

std::string pwbCellText(const char* pszFormat, double nValue)
{
    if (!std::isfinite(nValue))
        return "\u2013";
    return mscFormatNumber(pszFormat, nValue);
}

std::string pwbWeightText(double nKg)
{
    return pwbCellText("%3.1f", nKg * TABLE_LB_PER_KG);
}

std::string pwbArmText(double nMm)
{
    return pwbCellText("%3.2f", nMm / MM_PER_INCH);
}

std::string pwbMomentText(double nKgMm)
{
    return pwbCellText("%3.2f", nKgMm * TABLE_LBIN_PER_KGMM);
}

std::span<const _mscBinding> pwbBindings(void)
{
    return m_bindings;
}

std::span<const _wgtLUT> pwbWalk(void)
{
    return m_page.walk;
}

namespace
{

// Says that the aircraft's figures were changed outside Zarv; optional.
GtkWidget* m_pwgtFiguresChanged = nullptr;

} // namespace

void pwbInit(GtkBuilder* pBuilder)
{
    // The page's choices in its walk with Up, Down and Return; its entries
    // have their places in the table of stored values.
    static const _fldStop stops[] = {
        {40, &m_pwgtBallastNone}, {50, &m_pwgtBallastFront}, {60, &m_pwgtBallastRear}, {70, &m_pwgtShowBurnOff}};
    // The entries' handlers by their written names.
    static const _fldHandler named[] = {
        {VAL_LSEAT, G_CALLBACK(pwbOnLSeatWeightFocusOut)},
        {VAL_RSEAT, G_CALLBACK(pwbOnRSeatWeightFocusOut)},
        {VAL_FUEL, G_CALLBACK(pwbOnFuelVolumeFocusOut)},
        {VAL_TRIP, G_CALLBACK(pwbOnTripFuelFocusOut)},
    };

    mscBindAll(pBuilder, m_bindings);
    mscBindAll(pBuilder, m_optional);
    const std::array<_mscBinding, 1> figures = {{{"LoadingFiguresChanged", gtk_label_get_type, &m_pwgtFiguresChanged}}};
    mscBindAll(pBuilder, figures);
    fldBind(pBuilder, m_page, stops);
    _wgtLUT* wgtLUT = m_page.walk.data();
    boundCells();
    g_signal_connect(m_pwgtWBDrawing, "draw", G_CALLBACK(pwbOnDraw), nullptr);
    // The loading has no text values.
    fldConnect(m_page, named, G_CALLBACK(pwbOnValueFocusOut), nullptr);
    for (GtkWidget* pwgt : {m_pwgtBallastNone, m_pwgtBallastFront, m_pwgtBallastRear})
        mscConnectField(pwgt, "clicked", G_CALLBACK(pwbOnBallastClicked), wgtLUT);
    if (m_pwgtShowBurnOff)
        mscConnectField(m_pwgtShowBurnOff, "clicked", G_CALLBACK(pwbOnShowBurnOffClicked), wgtLUT);

    gtk_widget_hide(m_pwgtLSeatOverWeight);
    gtk_widget_hide(m_pwgtRSeatOverWeight);
    gtk_widget_hide(m_pwgtFuelOverFill);

    pwbCreateAttrLists();
}

void pwbUpdateAircraft(void)
{
    const std::string strRegistration = mscOneLine(prmGetText(VAL_REGISTRATION));
    if (m_pwgtFiguresChanged) {
        const std::string strChanged = shwFiguresChanged();
        gtk_label_set_text(GTK_LABEL(m_pwgtFiguresChanged), strChanged.c_str());
        gtk_widget_set_visible(m_pwgtFiguresChanged, !strChanged.empty());
    }
    if (m_pwgtLoadingAircraft) {
        // A fleet's aircraft without a registration says so; a lone one
        // without, as before the fleet, says nothing.
        const bool bFleet = fleetList().size() > 1;
        gtk_label_set_text(GTK_LABEL(m_pwgtLoadingAircraft), strRegistration.empty()
                                                                 ? "This aircraft has no registration yet"
                                                                 : ("Aircraft " + strRegistration).c_str());
        gtk_widget_set_tooltip_text(m_pwgtLoadingAircraft, strRegistration.empty() ? nullptr : strRegistration.c_str());
        gtk_widget_set_visible(m_pwgtLoadingAircraft, !strRegistration.empty() || bFleet);
    }
    // The window's own title when the aircraft has no registration.
    GtkWidget* pwinMain = gtk_widget_get_toplevel(m_pwgtWBDrawing);
    if (!GTK_IS_WINDOW(pwinMain))
        return;
    static std::string strOwnTitle;
    if (strOwnTitle.empty())
        strOwnTitle = gtk_window_get_title(GTK_WINDOW(pwinMain)) ? gtk_window_get_title(GTK_WINDOW(pwinMain)) : "";
    const std::string strTitle = strRegistration.empty() ? strOwnTitle : "Zarv \u2013 " + strRegistration;
    gtk_window_set_title(GTK_WINDOW(pwinMain), strTitle.c_str());
}

void pwbUpdateDisplays(void)
{
    pwbUpdateAircraft();
    pwbUpdateInputDisplay();
    pwbUpdateUnitLabels();
    pwbRefresh();
}

void pwbRefresh(void)
{
    pwbCalcWB();
    pwbUpdateTotalsDisplay();
    pwbUpdatePlanDisplay();
    pwbInvalidateChart();
}

void pwbCleanUp(void)
{
    // The widgets went with the builder; the attribute lists are kept until
    // the process ends.
}
