// The limits a flight is judged against, one row each, and the judgement of
// one point of a flight against them. Pure arithmetic in kilograms,
// millimetres and litres: values in, margins out.
#pragma once

#include "model/units.h"

#include <glib.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <functional>
#include <string>

// Loading limits, in the internal units. A value equal to a limit is within it.
constexpr double MAX_TOTAL_WEIGHT = 1500 / LB_PER_KG; // 680.3893641534596 kg
constexpr double MAX_SEAT_WEIGHT = 210 / LB_PER_KG;   // 95.25451098148434 kg
constexpr double MAX_FUEL_VOLUME = 64.5;              // litres
constexpr double MIN_LONG_ARM = 96.125 * MM_PER_INCH; // 2441.575 mm
constexpr double MAX_LONG_ARM = 99.0 * MM_PER_INCH;   // 2514.6 mm
constexpr double MAX_LAT_ARM = 0.88 * MM_PER_INCH;    // 22.352 mm, either side

// The points of a flight: take-off, landing after the trip, and with the
// fuel burned.
enum _wbFlightPoint { POINT_TAKE_OFF, POINT_LANDING, POINT_NO_FUEL, POINT_COUNT };

// The points a limit applies to, as a set.
enum _limPoints : unsigned {
    AT_TAKE_OFF = 1u << POINT_TAKE_OFF,
    AT_LANDING = 1u << POINT_LANDING,
    AT_NO_FUEL = 1u << POINT_NO_FUEL,
    AT_EVERY_POINT = AT_TAKE_OFF | AT_LANDING | AT_NO_FUEL
};

// What the removable items fitted for a flight change of the aircraft as
// weighed: the weight in kg and the moments in kg·mm of the items that
// differ from the weighing (nDiffering of them): one fitted that was not
// weighed adds, one removed that was weighed takes away.
struct _wbItemsChange {
    double nWeight = 0, nLongMoment = 0, nLatMoment = 0;
    int nDiffering = 0;
};

// A loading: the seats in kg, the fuel in litres, a _locBallast value (any
// other position counts as none), and the change of the items fitted.
struct _wbLoading {
    double nLSeatWeight, nRSeatWeight, nFuelVolume;
    guint nBallastPosn;
    _wbItemsChange items{};
};

// A loaded point: weight in kg, moments in kg·mm, arms in mm.
struct _wbPoint {
    double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm;
};

// What a limit reads of a point and its loading, as a quotient: an arm is
// its moment over the weight (the very division that makes the point's
// arm), a plain amount is over 1. With f litres of fuel both parts are
// linear in f, so the fuel a limit allows is where a line crosses 0.
struct _limRatio {
    double nOver, nUnder;
};
using _limQuantityOf = _limRatio (*)(const _wbPoint& p, const _wbLoading& l);

constexpr _limRatio limPointWeight(const _wbPoint& p, const _wbLoading&)
{
    return {p.nWeight, 1};
}
constexpr _limRatio limLongArm(const _wbPoint& p, const _wbLoading&)
{
    return {p.nLongMoment, p.nWeight};
}
constexpr _limRatio limLatArm(const _wbPoint& p, const _wbLoading&)
{
    return {p.nLatMoment, p.nWeight};
}
constexpr _limRatio limLSeat(const _wbPoint&, const _wbLoading& l)
{
    return {l.nLSeatWeight, 1};
}
constexpr _limRatio limRSeat(const _wbPoint&, const _wbLoading& l)
{
    return {l.nRSeatWeight, 1};
}
constexpr _limRatio limFuel(const _wbPoint&, const _wbLoading& l)
{
    return {l.nFuelVolume, 1};
}

// The first limit of its point a judged point lies beyond, by the result
// table's rule: the centre of gravity first, then the weight. A limit of the
// loading itself reports none.
enum _wbBeyond { BEYOND_NONE, BEYOND_FORWARD, BEYOND_AFT, BEYOND_LATERAL, BEYOND_WEIGHT };

// What brings a loading back within a limit: the fuel (and the ballast),
// or only who sits in the seats, which no fuel or ballast changes: the
// fuel range leaves such a limit out, and the fuel plan has no range while
// it is beyond.
enum _limLever { LEVER_FUEL, LEVER_SEATS };

// Which side of its value a limit keeps: at most, at least, or at least the
// value's negative (the left side of a limit either side).
enum _limSense { SENSE_AT_MOST, SENSE_AT_LEAST, SENSE_AT_LEAST_NEGATIVE };

// What the words of a limit speak of: the loaded point (named with its
// point in the flight's verdict), or the loading itself (the same at every
// point, said once).
enum _limSubject { SUBJECT_POINT, SUBJECT_LOADING };

// Every limit, in the order of the table below.
enum _wbLimit {
    LIMIT_WEIGHT,
    LIMIT_FORWARD,
    LIMIT_AFT,
    LIMIT_LEFT,
    LIMIT_RIGHT,
    LIMIT_LSEAT,
    LIMIT_RSEAT,
    LIMIT_TANK,
    LIMIT_COUNT
};

// One limit: what it reads, its value (for a limit either side, its size),
// the value as written in the aircraft's limitations with its decimals and
// unit, how it reads broken ("... by X") and as the margin within
// ("X ..."), the span a margin is measured against to find the nearest,
// what its words speak of, the points it applies to, its key in the record
// of load sheets, how a point beyond it lies, what brings it back, and its
// words in the load sheet's sentence of limits: the value at "%s", words
// that begin with a space going on from the row before, none where another
// row's words say it (the right side's "±", the left seat's "each seat");
// and, for a limit only the seats bring back, the words that say it rules
// out every loading of fuel and ballast while it is beyond.
struct _limRow {
    _wbLimit nId;
    _limQuantityOf pfnQuantity;
    double nValue;
    _limSense nSense;
    _unitKind nAmount;
    double nWritten;
    int nWrittenDecimals;
    const char* pszWrittenUnit;
    const char* pszBeyond;
    const char* pszWithin;
    double nSpan;
    _limSubject nSubject;
    unsigned nPoints;
    const char* pszRecordName;
    _wbBeyond nBeyond;
    _limLever nLever;
    const char* pszSheet;
    const char* pszSeatsOnly;
};

constexpr std::array<_limRow, LIMIT_COUNT> LIM_ROWS = {{
    {LIMIT_WEIGHT, limPointWeight, MAX_TOTAL_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 1500, 0, "lb",
     "over the maximum weight by", "below the maximum weight", MAX_TOTAL_WEIGHT, SUBJECT_POINT, AT_EVERY_POINT,
     "weight", BEYOND_WEIGHT, LEVER_FUEL, "weight at most %s", nullptr},
    {LIMIT_FORWARD, limLongArm, MIN_LONG_ARM, SENSE_AT_LEAST, KIND_ARM, 96.125, 3, "in", "forward of the limit by",
     "aft of the forward limit", MAX_LONG_ARM - MIN_LONG_ARM, SUBJECT_POINT, AT_EVERY_POINT, "forward", BEYOND_FORWARD,
     LEVER_FUEL, "longitudinal arm %s", nullptr},
    {LIMIT_AFT, limLongArm, MAX_LONG_ARM, SENSE_AT_MOST, KIND_ARM, 99, 0, "in", "aft of the limit by",
     "forward of the aft limit", MAX_LONG_ARM - MIN_LONG_ARM, SUBJECT_POINT, AT_EVERY_POINT, "aft", BEYOND_AFT,
     LEVER_FUEL, " to %s", nullptr},
    {LIMIT_LEFT, limLatArm, MAX_LAT_ARM, SENSE_AT_LEAST_NEGATIVE, KIND_ARM, 0.88, 2, "in",
     "left of the lateral limit by", "inside the left limit", 2 * MAX_LAT_ARM, SUBJECT_POINT, AT_EVERY_POINT, "left",
     BEYOND_LATERAL, LEVER_FUEL, nullptr, nullptr},
    {LIMIT_RIGHT, limLatArm, MAX_LAT_ARM, SENSE_AT_MOST, KIND_ARM, 0.88, 2, "in", "right of the lateral limit by",
     "inside the right limit", 2 * MAX_LAT_ARM, SUBJECT_POINT, AT_EVERY_POINT, "right", BEYOND_LATERAL, LEVER_FUEL,
     "lateral arm within \u00b1%s", nullptr},
    {LIMIT_LSEAT, limLSeat, MAX_SEAT_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 210, 0, "lb", "left seat over its %s limit by",
     "below the left seat's limit", MAX_SEAT_WEIGHT, SUBJECT_LOADING, AT_EVERY_POINT, "leftSeat", BEYOND_NONE,
     LEVER_SEATS, "each seat at most %s", "A seat is over its limit"},
    {LIMIT_RSEAT, limRSeat, MAX_SEAT_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 210, 0, "lb",
     "right seat over its %s limit by", "below the right seat's limit", MAX_SEAT_WEIGHT, SUBJECT_LOADING,
     AT_EVERY_POINT, "rightSeat", BEYOND_NONE, LEVER_SEATS, nullptr, "A seat is over its limit"},
    {LIMIT_TANK, limFuel, MAX_FUEL_VOLUME, SENSE_AT_MOST, KIND_FUEL, 64.5, 1, "L", "fuel beyond the tank's %s by",
     "below a full tank", MAX_FUEL_VOLUME, SUBJECT_LOADING, AT_EVERY_POINT, "tank", BEYOND_NONE, LEVER_FUEL, "tank %s",
     nullptr},
}};

// Every row in its place, with its words, a span, at least one point and
// its name in the record: a row left short does not build. (Its quantity is
// the second field: a row without one does not convert. Whether a function
// is null is no constant under the sanitizers.)
constexpr bool limRowsComplete(void)
{
    for (size_t n = 0; n < LIM_ROWS.size(); n++) {
        const _limRow& r = LIM_ROWS[n];
        if (r.nId != static_cast<_wbLimit>(n) || !r.pszWrittenUnit || !r.pszBeyond || !*r.pszBeyond || !r.pszWithin ||
            !*r.pszWithin || !(r.nSpan > 0) || (r.nPoints & AT_EVERY_POINT) == 0 ||
            (r.nPoints & ~AT_EVERY_POINT) != 0 || !r.pszRecordName || !*r.pszRecordName ||
            (r.nLever == LEVER_SEATS) != (r.pszSeatsOnly != nullptr))
            return false;
    }
    return true;
}
static_assert(limRowsComplete(), "every limit has its place, its words, its span, its points and its record name");

// Whether a limit applies at a point of the flight.
constexpr bool limApplies(const _limRow& r, _wbFlightPoint nPoint)
{
    return (r.nPoints & (1u << nPoint)) != 0;
}

// The value a limit lies at, signed: the left side's below 0.
constexpr double limSignedValue(const _limRow& r)
{
    return r.nSense == SENSE_AT_LEAST_NEGATIVE ? -r.nValue : r.nValue;
}

// One limit of a point: how far inside it (positive) or beyond it
// (negative) the point lies, in kg, mm or litres; no number where the point
// has none (an empty aircraft's arms), which is beyond nothing. A limit
// that does not apply at the point is an infinite margin, beyond nothing.
struct _wbLimitCheck {
    double nMargin;
    bool bBeyond;
};
using _limChecks = std::array<_wbLimitCheck, LIMIT_COUNT>;

// One limit against what it reads of a point and its loading, wherever it
// applies.
_wbLimitCheck limCheck(const _limRow& r, const _wbPoint& p, const _wbLoading& l);

// Every limit that applies at nPoint against its quantity.
_limChecks limJudge(const _wbPoint& p, const _wbLoading& l, _wbFlightPoint nPoint);

// ---- The operator's own margins ---------------------------------------------

// A margin is a limit of its own inside a certified one: that limit moved
// inward by what the operator set for it, at every weight and every point
// the certified one applies to. The certified rows above stay as they are,
// so their verdicts, the record's keys and the fuel range never change.
enum _wbMargin { MARGIN_WEIGHT, MARGIN_FORWARD, MARGIN_AFT, MARGIN_LEFT, MARGIN_RIGHT, MARGIN_COUNT };

// One margin: the certified limit it lies inside, the setup's figure of
// how far inside (kg or mm; the lateral one serves both sides), and its
// name in "the school's aft margin".
struct _limMarginRow {
    _wbMargin nId;
    _wbLimit nLimit;
    double _wbSetup::*pnInside;
    const char* pszName;
};

constexpr std::array<_limMarginRow, MARGIN_COUNT> LIM_MARGIN_ROWS = {{
    {MARGIN_WEIGHT, LIMIT_WEIGHT, &_wbSetup::nMarginWeight, "weight"},
    {MARGIN_FORWARD, LIMIT_FORWARD, &_wbSetup::nMarginForward, "forward"},
    {MARGIN_AFT, LIMIT_AFT, &_wbSetup::nMarginAft, "aft"},
    {MARGIN_LEFT, LIMIT_LEFT, &_wbSetup::nMarginLateral, "left"},
    {MARGIN_RIGHT, LIMIT_RIGHT, &_wbSetup::nMarginLateral, "right"},
}};

constexpr bool limMarginRowsInPlace(void)
{
    for (size_t n = 0; n < LIM_MARGIN_ROWS.size(); n++)
        if (LIM_MARGIN_ROWS[n].nId != static_cast<_wbMargin>(n) || !LIM_MARGIN_ROWS[n].pszName)
            return false;
    return true;
}
static_assert(limMarginRowsInPlace(), "every margin has its place and its name");

using _limMarginChecks = std::array<_wbLimitCheck, MARGIN_COUNT>;

// Every margin unset: an infinite room, beyond nothing.
constexpr _limMarginChecks LIM_NO_MARGINS = {
    {{INFINITY, false}, {INFINITY, false}, {INFINITY, false}, {INFINITY, false}, {INFINITY, false}}};

// How far inside its certified limit a margin lies, kg or mm; 0 where the
// operator set none (a figure below 0 or no number is none either).
double limMarginInside(const _limMarginRow& m, const _wbSetup& s);

// The margin as a limit row: the certified row with its value moved inward.
_limRow limMarginLimit(const _limMarginRow& m, const _wbSetup& s);

// Every margin the setup sets, wherever its certified limit applies at
// nPoint, against the point: how far inside (or beyond) the margin's own
// line the point lies.
_limMarginChecks limJudgeMargins(const _wbSetup& s, const _wbPoint& p, const _wbLoading& l, _wbFlightPoint nPoint);

// The load sheet's sentence of limits, every row's words in its order, each
// value as limitText gives it: "weight at most 1500 lb; longitudinal arm
// 96.125 in to 99 in; ...".
std::string limSheetText(const std::function<std::string(_wbLimit)>& limitText);
