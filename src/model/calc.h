// The loading calculation: the one calculation of a loaded point, the one
// judgement of a loading against the limits and the one judgement of a
// flight. Pure arithmetic in kilograms, millimetres and litres on what it
// is given: no widget, no display and no state.
#pragma once

#include "model/limits.h"
#include "model/units.h"

#include <glib.h>

#include <array>
#include <string>
#include <vector>

// The loading limits, one row each, are in model/limits.h, with the
// loading and the loaded point they read.

// The same envelope as the chart draws and judges it, in inches. The chart
// compares arms converted to inches, the table compares millimetres; the
// two agree but for one rounding step exactly on a limit: 22.352 mm is
// within the table's lateral limit, yet 22.352 / 25.4 comes out a hair above
// 0.88 in, so the chart calls it out of range. Each side keeps the limit in
// the unit it compares in; neither is converted to the other's.
constexpr double CHART_FORWARD_LIMIT = 96.125;
constexpr double CHART_AFT_LIMIT = 99.0;
constexpr double CHART_LAT_LIMIT = 0.88;
constexpr double CHART_FORWARD_CAUTION = 96.5;
constexpr double CHART_AFT_CAUTION = 98.0;

// One item of a loading, or the whole: kg, mm, kg·mm.
struct _wbTableRow {
    const char* pszItem;
    double nWeight, nLongArm, nLongMoment, nLatArm, nLatMoment;
};

// The rows of a calculation, in the result table's order.
enum _wbRow { ROW_BASIC, ROW_EQUIPMENT, ROW_LSEAT, ROW_RSEAT, ROW_FUEL, ROW_BALLAST, ROW_TOTAL, ROW_COUNT };
using _wbRows = std::array<_wbTableRow, ROW_COUNT>;

// The one calculation of a loading: every item's weight, arms and moments
// and the total, each product and sum in one fixed order (basic aircraft,
// the change of its removable items, left seat, right seat, fuel, ballast),
// so every caller gets the same digits; with no item changed its row is
// naught and the sums are those of the aircraft as weighed. Not guarded: a total weight of 0 gives arms of no number or
// infinite ones.
_wbRows calcRows(const _wbSetup& s, const _wbLoading& l);

// Whether item n of an aircraft is fitted for a flight: fitted[n] where the
// flight says, else as it was weighed.
bool calcItemFitted(const _wbSetup& s, const std::vector<bool>& fitted, size_t n);

// What the items fitted for a flight change of the aircraft as weighed,
// summed in the items' order.
_wbItemsChange calcItemsChange(const _wbSetup& s, const std::vector<bool>& fitted);

// The total of a calculation as a point.
_wbPoint calcPointOf(const _wbTableRow& total);

// The setup record with the six fixed seat and fuel arms set, held in
// millimetres as the products of the inch values, not as rounded
// millimetre literals.
_wbSetup calcWithFixedArms(_wbSetup s);

// The point of a loading, by calcRows.
_wbPoint calcLoadedPoint(const _wbSetup& s, const _wbLoading& l);
_wbPoint calcLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn);

// The trip that counts, in litres: a negative trip, or one that is no
// finite number (a hand-edited file), counts as none.
double calcTripOf(double nTripLitres);

// The fuel left at landing after a trip, in litres: none where the trip is
// more than there is, and never more than at take-off.
double calcLandingFuel(double nFuelLitres, double nTripLitres);

// ---- The one judgement against the limits ----------------------------------

// The loading message of the moment, the chart's own choice.
enum _chartMessage { CHART_MSG_NONE, CHART_MSG_COFG, CHART_MSG_WEIGHT, CHART_MSG_TAILWIND, CHART_MSG_SPEED };

// A point of a flight judged against every limit of model/limits.h.
struct _wbJudgement {
    _limChecks limits;
    // Whether the chart's own rule, in inches, warns of this point, and the
    // message it gives it.
    bool bChartWarning;
    _chartMessage nChartMessage;
    // The operator's margins, judged only where the flight's setup is known
    // (calcJudgeFlight); none set is beyond nothing.
    _limMarginChecks margins = LIM_NO_MARGINS;

    bool beyond(_wbLimit n) const
    {
        return limits[n].bBeyond;
    }
    // Every limit of the point (the weight and the centre of gravity)
    // within, by the table's rule.
    bool pointWithin() const;
    // Every limit within, by both rules: Zarv's own verdict.
    bool within() const;
    // Every margin of the operator's kept.
    bool marginsKept() const;
};

// The judgement of a loading and its point against every limit that
// applies at nPoint of a flight; the flight's own judgement calls it.
_wbJudgement calcJudge(const _wbLoading& l, const _wbPoint& p, _wbFlightPoint nPoint = POINT_TAKE_OFF);

// ---- The one judgement of a flight -----------------------------------------

// A value the flight was calculated from that cannot be judged: text that
// was not read as a number (strUnread, as typed or as the file held it), or
// a value no amount of its kind can be (nValue, internal unit). pszWhat
// names it in a sentence ("left seat weight").
struct _wbDoubt {
    const char* pszWhat;
    _unitKind nKind;
    double nValue;
    std::string strUnread;
    // What was not read is no number but another value (an item's flag).
    bool bNoNumber = false;
    // Words of its own, where two values disagree rather than one is wrong.
    std::string strSays = {};
};

// The doubt of a flight's legs Zarv could not read (a group numbered
// another way, a flag that is none, a key written twice): the flight's,
// whichever leg carries it.
constexpr const char* CALC_LEG_GROUP = "leg group";

// A flight judged at each of its points. The landing is a point of its own
// only with a trip; a trip longer than the fuel on board makes it no
// landing at all (judged, for its figures, with the tank dry). A loading
// whose aircraft weighs nothing is no loading.
struct _wbFlight {
    _wbLoading loading;   // as at take-off
    double nTrip;         // the trip that counts, litres
    double nFuel;         // the fuel on board at take-off, litres
    double nLandingFuel;  // the fuel left at landing, litres
    bool bLanding;        // a trip is planned
    bool bTripOverFuel;   // the trip is more than the fuel on board
    bool bUnconfirmed;    // the basic weight and arms are copied, not typed
    bool bNothingEntered; // the aircraft weighs nothing or no number
    _wbRows rows;         // the take-off's, for the table
    std::array<_wbPoint, POINT_COUNT> points;
    std::array<_wbJudgement, POINT_COUNT> judged;
    // The values it was calculated from that cannot be judged: while there
    // is one, the flight is not within, whatever its figures.
    std::vector<_wbDoubt> doubts;

    // Whether the flight has the point: the landing only with a trip.
    bool hasPoint(_wbFlightPoint n) const
    {
        return n != POINT_LANDING || bLanding;
    }
    // Whether this flight may be flown as loaded: no doubted value, a
    // loading, confirmed figures, a possible landing and every point the
    // flight has within every limit and every margin of the operator's
    // (without a trip, no landing is judged).
    bool within() const;
};

// The one judgement of the flight a setup and a loading make with a trip:
// every point calculated and judged against every limit. The only place
// the landing and no-fuel loadings are made.
_wbFlight calcJudgeFlight(const _wbSetup& s, const _wbLoading& l, double nTripLitres);

// The first limit of its point a judged point lies beyond (_wbBeyond, in
// model/limits.h).
_wbBeyond calcBeyondLimit(const _wbJudgement& j);
// The same for a point judged at take-off.
_wbBeyond calcBeyondLimit(const _wbPoint& p);

// Chooses the message from the total arms in inches and the total weight in
// kg. A warning hides a caution; an out-of-range arm hides over-weight.
_chartMessage calcChooseMessage(double nLongArmIn, double nLatArmIn, double nWeightKg);
