// The limits a flight is judged against, one row each, and the judgement of
// one point of a flight against them. Pure arithmetic in kilograms,
// millimetres and litres: values in, margins out.
#pragma once

#include "model/units.h"

#include <array>
#include <cstddef>

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

// What a limit reads of a point and its loading: the point's weight and
// arms, the seats' weights and the fuel on board.
enum _limQuantity { QTY_WEIGHT, QTY_LONG_ARM, QTY_LAT_ARM, QTY_LSEAT, QTY_RSEAT, QTY_FUEL, QTY_COUNT };
using _limValues = std::array<double, QTY_COUNT>;

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
// what its words speak of, the points it applies to, and its key in the
// record of load sheets.
struct _limRow {
    _wbLimit nId;
    _limQuantity nQuantity;
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
};

constexpr std::array<_limRow, LIMIT_COUNT> LIM_ROWS = {{
    {LIMIT_WEIGHT, QTY_WEIGHT, MAX_TOTAL_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 1500, 0, "lb",
     "over the maximum weight by", "below the maximum weight", MAX_TOTAL_WEIGHT, SUBJECT_POINT, AT_EVERY_POINT,
     "weight"},
    {LIMIT_FORWARD, QTY_LONG_ARM, MIN_LONG_ARM, SENSE_AT_LEAST, KIND_ARM, 96.125, 3, "in", "forward of the limit by",
     "aft of the forward limit", MAX_LONG_ARM - MIN_LONG_ARM, SUBJECT_POINT, AT_EVERY_POINT, "forward"},
    {LIMIT_AFT, QTY_LONG_ARM, MAX_LONG_ARM, SENSE_AT_MOST, KIND_ARM, 99, 0, "in", "aft of the limit by",
     "forward of the aft limit", MAX_LONG_ARM - MIN_LONG_ARM, SUBJECT_POINT, AT_EVERY_POINT, "aft"},
    {LIMIT_LEFT, QTY_LAT_ARM, MAX_LAT_ARM, SENSE_AT_LEAST_NEGATIVE, KIND_ARM, 0.88, 2, "in",
     "left of the lateral limit by", "inside the left limit", 2 * MAX_LAT_ARM, SUBJECT_POINT, AT_EVERY_POINT, "left"},
    {LIMIT_RIGHT, QTY_LAT_ARM, MAX_LAT_ARM, SENSE_AT_MOST, KIND_ARM, 0.88, 2, "in", "right of the lateral limit by",
     "inside the right limit", 2 * MAX_LAT_ARM, SUBJECT_POINT, AT_EVERY_POINT, "right"},
    {LIMIT_LSEAT, QTY_LSEAT, MAX_SEAT_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 210, 0, "lb",
     "left seat over its %s limit by", "below the left seat's limit", MAX_SEAT_WEIGHT, SUBJECT_LOADING, AT_EVERY_POINT,
     "leftSeat"},
    {LIMIT_RSEAT, QTY_RSEAT, MAX_SEAT_WEIGHT, SENSE_AT_MOST, KIND_WEIGHT, 210, 0, "lb",
     "right seat over its %s limit by", "below the right seat's limit", MAX_SEAT_WEIGHT, SUBJECT_LOADING,
     AT_EVERY_POINT, "rightSeat"},
    {LIMIT_TANK, QTY_FUEL, MAX_FUEL_VOLUME, SENSE_AT_MOST, KIND_FUEL, 64.5, 1, "L", "fuel beyond the tank's %s by",
     "below a full tank", MAX_FUEL_VOLUME, SUBJECT_LOADING, AT_EVERY_POINT, "tank"},
}};

// Every row in its place, with its words, a span, at least one point and its
// name in the record: a row left short does not build.
constexpr bool limRowsComplete(void)
{
    for (size_t n = 0; n < LIM_ROWS.size(); n++) {
        const _limRow& r = LIM_ROWS[n];
        if (r.nId != static_cast<_wbLimit>(n) || !r.pszWrittenUnit || !r.pszBeyond || !*r.pszBeyond || !r.pszWithin ||
            !*r.pszWithin || !(r.nSpan > 0) || (r.nPoints & AT_EVERY_POINT) == 0 ||
            (r.nPoints & ~AT_EVERY_POINT) != 0 || !r.pszRecordName || !*r.pszRecordName)
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

// Every limit that applies at nPoint against its quantity.
_limChecks limJudge(const _limValues& values, _wbFlightPoint nPoint);
