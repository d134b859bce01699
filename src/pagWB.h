// The loading calculation: the one calculation of a loaded point, the one
// judgement of a loading against the limits, and fuel planning on top of
// them (pagWB.cpp, pagWBFuel.cpp). Pure arithmetic in kilograms, millimetres
// and litres; no widget and no display. The loading page and the chart have
// headers of their own (pagWBPage.h, pagWBChart.h).
#pragma once

#include "model/limits.h"
#include "pagSetup.h"

#include <glib.h>

#include <array>

// Fuel weight per litre, unless the aircraft has a density of its own
// within the range fuel can have.
constexpr double FUEL_DENSITY = 0.759;
constexpr double MIN_FUEL_DENSITY = 0.5, MAX_FUEL_DENSITY = 1.0; // kg/L

// The density a setup's fuel weighs at: its own where it lies within the
// range, FUEL_DENSITY otherwise (none set, or one that cannot be).
double pwbFuelDensity(const _wbSetup& s);

// The loading limits, one row each, are in model/limits.h.

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

// The result table's fixed display units: pounds, inches, pound-inches.
constexpr double TABLE_LB_PER_KG = 2.2046;
constexpr double TABLE_LBIN_PER_KGMM = 0.08679606;

// Loading state: kg, kg, litres and a _locBallast value.
extern gdouble m_nLSeatWeight;
extern gdouble m_nRSeatWeight;
extern gdouble m_nFuelVolume;
extern guint m_nBallastPosn;
// Whether the chart shows the burn-off line to the zero-fuel point.
extern gboolean m_bShowBurnOff;
// The fuel planned to be burned before landing, in litres.
extern gdouble m_nTripFuel;

// Loading results: kg, mm and kg·mm, written only by pwbCalcWB. Each is
// the cell of the last flight's take-off table that holds it (m_wbFlight).
extern gdouble &m_nLSeatLongMoment, &m_nLSeatLatMoment;
extern gdouble &m_nRSeatLongMoment, &m_nRSeatLatMoment;
extern gdouble &m_nFuelWeight, &m_nFuelLongMoment, &m_nFuelLatMoment;
extern gdouble &m_nBallastWeight, &m_nBallastLongArm, &m_nBallastLatArm;
extern gdouble &m_nBallastLongMoment, &m_nBallastLatMoment;
extern gdouble &m_nTotalWeight, &m_nTotalLongMoment, &m_nTotalLatMoment;
extern gdouble &m_nTotalLongArm, &m_nTotalLatArm;

// A loading: the seats in kg, the fuel in litres, a _locBallast value (any
// other position counts as none).
struct _wbLoading {
    double nLSeatWeight, nRSeatWeight, nFuelVolume;
    guint nBallastPosn;
};

// The loading state of the moment, as a loading.
_wbLoading pwbLoading(void);

// Reads the loading state from the parameter store (with the table of
// stored values, stored.cpp).
void pwbParams(void);

// One item of a loading, or the whole: kg, mm, kg·mm.
struct _wbTableRow {
    const char* pszItem;
    double nWeight, nLongArm, nLongMoment, nLatArm, nLatMoment;
};

// The rows of a calculation, in the result table's order.
enum _wbRow { ROW_BASIC, ROW_LSEAT, ROW_RSEAT, ROW_FUEL, ROW_BALLAST, ROW_TOTAL, ROW_COUNT };
using _wbRows = std::array<_wbTableRow, ROW_COUNT>;

// The one calculation of a loading: every item's weight, arms and moments
// and the total, each product and sum in one fixed order (basic aircraft,
// left seat, right seat, fuel, ballast), so every caller gets the same
// digits. Not guarded: a total weight of 0 gives arms of no number or
// infinite ones.
_wbRows pwbCalcRows(const _wbSetup& s, const _wbLoading& l);

// A loaded point: weight in kg, moments in kg·mm, arms in mm.
struct _wbPoint {
    double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm;
};

// The total of a calculation as a point.
_wbPoint pwbPointOf(const _wbTableRow& total);

// The point of a loading, by pwbCalcRows.
_wbPoint pwbLoadedPoint(const _wbSetup& s, const _wbLoading& l);
_wbPoint pwbLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn);

// Recomputes every result from the loading state and m_wbSetup: the
// flight of the moment, judged, into m_wbFlight. Pure arithmetic: it shows
// nothing (the loading page's refresh does).
void pwbCalcWB(void);

// The table's rows from the last calculation: basic aircraft, left seat,
// right seat, fuel, ballast and total.
_wbRows pwbTableRows(void);

// The trip that counts, in litres: a negative trip, or one that is no
// finite number (a hand-edited file), counts as none.
double pwbTripOf(double nTripLitres);

// The fuel left at landing after a trip, in litres: none where the trip is
// more than there is, and never more than at take-off.
double pwbLandingFuel(double nFuelLitres, double nTripLitres);

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

    bool beyond(_wbLimit n) const
    {
        return limits[n].bBeyond;
    }
    // Every limit of the point (the weight and the centre of gravity)
    // within, by the table's rule.
    bool pointWithin() const;
    // Every limit within, by both rules: Zarv's own verdict.
    bool within() const;
};

// The judgement of a loading and its point against every limit that
// applies at nPoint of a flight; the flight's own judgement calls it.
_wbJudgement pwbJudge(const _wbLoading& l, const _wbPoint& p, _wbFlightPoint nPoint = POINT_TAKE_OFF);

// ---- The one judgement of a flight -----------------------------------------

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
    _wbRows rows; // the take-off's, for the table
    std::array<_wbPoint, POINT_COUNT> points;
    std::array<_wbJudgement, POINT_COUNT> judged;

    // Whether the flight has the point: the landing only with a trip.
    bool hasPoint(_wbFlightPoint n) const
    {
        return n != POINT_LANDING || bLanding;
    }
    // Whether this flight may be flown as loaded: a loading, confirmed
    // figures, a possible landing and every point within every limit.
    bool within() const;
};

// The one judgement of the flight a setup and a loading make with a trip:
// every point calculated and judged against every limit. The only place
// the landing and no-fuel loadings are made.
_wbFlight pwbJudgeFlight(const _wbSetup& s, const _wbLoading& l, double nTripLitres);

// The last flight calculated, written only by pwbCalcWB (and pwbReset).
extern _wbFlight m_wbFlight;

// The first limit of its point a judged point lies beyond, by the result
// table's rule: the centre of gravity first, then the weight.
enum _wbBeyond { BEYOND_NONE, BEYOND_FORWARD, BEYOND_AFT, BEYOND_LATERAL, BEYOND_WEIGHT };
_wbBeyond pwbBeyondLimit(const _wbJudgement& j);
// The same for a point judged at take-off.
_wbBeyond pwbBeyondLimit(const _wbPoint& p);

// Chooses the message from the total arms in inches and the total weight in
// kg. A warning hides a caution; an out-of-range arm hides over-weight.
_chartMessage pwbChooseMessage(double nLongArmIn, double nLatArmIn, double nWeightKg);

// ---- Fuel planning (pagWBFuel.cpp) ----------------------------------------

// The fuel volumes, in litres and within the tank, for which a loading's
// weight and centre of gravity are within every limit of a point of the
// flight (take-off unless named). bKnown is false where the aircraft
// without fuel weighs nothing (or no number).
struct _wbFuelRange {
    bool bKnown = false;
    bool bAny = false;
    double nLeast = 0, nMost = 0;
};
_wbFuelRange pwbFuelRange(const _wbSetup& s, double nLSeat, double nRSeat, guint nBallastPosn,
                          _wbFlightPoint nPoint = POINT_TAKE_OFF);

// The take-off fuel, in litres, for which the take-off point and the landing
// point after a trip of nTripLitres are both within every limit: the range
// at take-off narrowed to what leaves the landing within, the landing's
// range moved up by the trip. nKeep says what must stay on board to
// landing (the landing range's least, where the centre of gravity sets it).
struct _wbTripFuel {
    _wbFuelRange takeOff;
    double nKeep;
};
_wbTripFuel pwbTripFuelRange(const _wbSetup& s, double nLSeat, double nRSeat, guint nBallastPosn, double nTripLitres);

// Whether the chosen ballast position leaves a point of the flight (with a
// trip of nTripLitres) beyond a limit of its point (bNeeded), and then the
// first of none, front and rear that puts every point within (nPosn), or -1
// when none does.
struct _wbBallastAdvice {
    bool bNeeded;
    int nPosn;
};
_wbBallastAdvice pwbBallastAdvice(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres,
                                  guint nBallastPosn, double nTripLitres = 0);
