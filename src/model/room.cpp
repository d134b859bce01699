// The room left at each station of the leg shown and the limit that binds
// first, solved from the limit rows: every row reads a quotient whose two
// parts are linear in the mass added at a station, so the most that keeps
// a row is where its line crosses 0. No search, no step.
#include "model/room.h"

#include "model/texts.h"

#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

namespace
{

// What one kilogram (one litre for the fuel) added at a station adds to a
// point and its loading: the weight, the moments, and the loading's own
// amounts the seat and tank limits read.
struct _roomUnit {
    _wbPoint point;
    _wbLoading loading;
};

_roomUnit unitOf(const _wbSetup& s, _roomStation nStation, guint nBallastPosn)
{
    auto at = [](double nWeight, double nLongArm, double nLatArm) {
        return _wbPoint{nWeight, nLongArm * nWeight, nLatArm * nWeight, 0, 0};
    };
    switch (nStation) {
    case ROOM_LSEAT:
        return {at(1, s.nLSeatLongArm, s.nLSeatLatArm), {1, 0, 0, BALLAST_NONE}};
    case ROOM_RSEAT:
        return {at(1, s.nRSeatLongArm, s.nRSeatLatArm), {0, 1, 0, BALLAST_NONE}};
    case ROOM_FUEL:
        return {at(unitFuelDensity(s), s.nFuelLongArm, s.nFuelLatArm), {0, 0, 1, BALLAST_NONE}};
    case ROOM_BALLAST:
    case ROOM_STATIONS:
        break;
    }
    // The rear position lies on the centre line, as the calculation has it.
    return nBallastPosn == BALLAST_FRONT
               ? _roomUnit{at(1, s.nBallastFrontLongArm, s.nBallastFrontLatArm), {0, 0, 0, BALLAST_NONE}}
               : _roomUnit{at(1, s.nBallastRearLongArm, 0), {0, 0, 0, BALLAST_NONE}};
}

// Narrows a station's room to what every limit of one point of a leg
// allows: each row keeps k * (over - u * under) >= 0, and with m added
// both parts move by m times their change for one unit (a row's parts are
// affine in the point and the loading, so that change is the row read at
// the unit less the row read at nothing).
void keepPoint(const _wbSetup& s, const _wbFlight& f, _wbFlightPoint nPoint, size_t nLeg, const _roomUnit& unit,
               _roomStop& stop)
{
    _wbLoading l = f.loading;
    if (nPoint == POINT_LANDING)
        l.nFuelVolume = f.nLandingFuel;
    else if (nPoint == POINT_NO_FUEL)
        l.nFuelVolume = 0;
    const _wbPoint& p = f.points[nPoint];
    // The certified limits, then the operator's margins inside them: a load
    // the school would not fly does not fit.
    std::vector<std::pair<_limRow, _wbMargin>> rows;
    for (const _limRow& r : LIM_ROWS)
        rows.emplace_back(r, MARGIN_COUNT);
    for (const _limMarginRow& m : LIM_MARGIN_ROWS)
        if (limMarginInside(m, s) > 0)
            rows.emplace_back(limMarginLimit(m, s), m.nId);
    for (const auto& [r, nMargin] : rows) {
        if (!limApplies(r, nPoint))
            continue;
        const double u = limSignedValue(r), k = r.nSense == SENSE_AT_MOST ? -1 : 1;
        const _limRatio q = r.pfnQuantity(p, l), q1 = r.pfnQuantity(unit.point, unit.loading),
                        q0 = r.pfnQuantity(_wbPoint{}, _wbLoading{});
        const double nKept = k * (q.nOver - u * q.nUnder);
        const double nSlope = k * ((q1.nOver - q0.nOver) - u * (q1.nUnder - q0.nUnder));
        if (!(nSlope < 0))
            continue;
        // A hair beyond by the arithmetic is on the limit: nothing more.
        const double nMost = std::fmax(nKept, 0.0) / -nSlope;
        if (nMost < stop.nRoom)
            stop = {true, nMost, r.nId, nPoint, nLeg, nMargin};
    }
}

// Narrows a station's room to the weight a point may have for hover.
void keepHover(const _wbFlight& f, double nHoverMost, _wbFlightPoint nPoint, size_t nLeg, const _roomUnit& unit,
               _roomStop& stop)
{
    if (!std::isfinite(nHoverMost) || !(unit.point.nWeight > 0))
        return;
    const double nMost = std::fmax(nHoverMost - f.points[nPoint].nWeight, 0.0) / unit.point.nWeight;
    if (nMost < stop.nRoom)
        stop = {true, nMost, LIMIT_WEIGHT, nPoint, nLeg, MARGIN_COUNT, true};
}

// The room at a station: the legs its load reaches, each at every point
// the load moves (fuel never moves the point with the fuel burned).
_roomStop stationRoom(const _wbSetup& s, const std::vector<_wbFlight>& flights, const std::vector<_wbLegFuel>& legs,
                      size_t nShown, _roomStation nStation)
{
    _roomStop stop = {true, INFINITY, LIMIT_WEIGHT, POINT_TAKE_OFF, nShown};
    const _roomUnit unit = unitOf(s, nStation, legs[nShown].loading.nBallastPosn);
    for (size_t n = nShown; n < legs.size(); n++) {
        // The fuel goes on while a leg takes off with what the last landed.
        if (n > nShown && (nStation != ROOM_FUEL || !legs[n].bAsLanded))
            break;
        for (int i = 0; i < POINT_COUNT; i++) {
            const auto nPoint = static_cast<_wbFlightPoint>(i);
            if (flights[n].hasPoint(nPoint) && !(nStation == ROOM_FUEL && nPoint == POINT_NO_FUEL)) {
                keepPoint(s, flights[n], nPoint, n, unit, stop);
                keepHover(flights[n], legs[n].hoverMost[nPoint], nPoint, n, unit, stop);
            }
        }
    }
    return stop;
}

} // namespace

_roomLeft roomLeft(const _wbSetup& s, const std::vector<_wbLegFuel>& legs, size_t nShown, bool bDoubted)
{
    _roomLeft r;
    r.nShown = nShown;
    if (nShown >= legs.size())
        return r;
    std::vector<_wbFlight> flights;
    for (const _wbLegFuel& l : legs)
        flights.push_back(calcJudgeFlight(s, l.loading, l.nTripLitres));
    if (flights[nShown].bNothingEntered)
        return r;
    r.nWhy = bDoubted ? ROOM_NOT_JUDGED : s.nUnconfirmed != 0 ? ROOM_UNCONFIRMED : ROOM_FITS;
    // A point heavier than its hover figure, or without one, is not within.
    const auto overHover = [&](size_t n) {
        for (int i = 0; i < POINT_COUNT; i++)
            if (flights[n].hasPoint(static_cast<_wbFlightPoint>(i)) &&
                !(flights[n].points[i].nWeight <= legs[n].hoverMost[i]))
                return true;
        return false;
    };
    for (size_t n = 0; n < flights.size() && r.nWhy == ROOM_FITS; n++)
        if (!flights[n].within() || overHover(n)) {
            bool bMarginsOnly = flights[n].doubts.empty() && !flights[n].bTripOverFuel && !overHover(n);
            for (int i = 0; i < POINT_COUNT; i++)
                if (flights[n].hasPoint(static_cast<_wbFlightPoint>(i)) && !flights[n].judged[i].within())
                    bMarginsOnly = false;
            r.nWhy = bMarginsOnly ? ROOM_NOT_IN_MARGINS : ROOM_NOT_WITHIN;
            r.nBeyondLeg = n;
        }
    if (r.nWhy != ROOM_FITS)
        return r;
    const guint nBallastPosn = legs[nShown].loading.nBallastPosn;
    const double nDensity = unitFuelDensity(s);
    double nLeast = INFINITY;
    for (int i = 0; i < ROOM_STATIONS; i++) {
        const auto nStation = static_cast<_roomStation>(i);
        if (nStation == ROOM_BALLAST && nBallastPosn != BALLAST_FRONT && nBallastPosn != BALLAST_REAR)
            continue;
        r.at[i] = stationRoom(s, flights, legs, nShown, nStation);
        const double nMass = nStation == ROOM_FUEL ? r.at[i].nRoom * nDensity : r.at[i].nRoom;
        if (nMass < nLeast) {
            nLeast = nMass;
            r.nFirst = nStation;
        }
    }
    return r;
}

namespace
{

// A limit named as a sentence names what stops a load: its words within
// from their article on ("forward of the aft limit": "the aft limit").
std::string limitName(_wbLimit nLimit)
{
    const std::string_view words = LIM_ROWS[nLimit].pszWithin;
    for (size_t nAt = 0; nAt < words.size(); nAt = words.find(' ', nAt) + 1) {
        if (words.substr(nAt).starts_with("the ") || words.substr(nAt).starts_with("a "))
            return std::string(words.substr(nAt));
        if (words.find(' ', nAt) == std::string_view::npos)
            break;
    }
    return std::string(words);
}

constexpr std::array<const char*, ROOM_STATIONS> STATION_NAMES = {"left seat", "right seat", "fuel", "ballast"};
constexpr std::array<const char*, POINT_COUNT> POINT_WORDS = {"at take-off", "at landing", "with the fuel burned"};

} // namespace

std::string roomText(const _roomLeft& r, const _wbSetup& units)
{
    switch (r.nWhy) {
    case ROOM_NO_LOADING:
        return {};
    case ROOM_NOT_JUDGED:
        return "Nothing more fits while a value cannot be judged";
    case ROOM_UNCONFIRMED:
        return "Nothing more fits until the basic weight and arms are confirmed";
    case ROOM_NOT_WITHIN:
        return r.nBeyondLeg == r.nShown
                   ? "Nothing more fits: this loading is not within limits"
                   : "Nothing more fits: leg " + std::to_string(r.nBeyondLeg + 1) + " is not within limits";
    case ROOM_NOT_IN_MARGINS:
        return r.nBeyondLeg == r.nShown
                   ? "Nothing more fits: this loading is beyond the school's margins"
                   : "Nothing more fits: leg " + std::to_string(r.nBeyondLeg + 1) + " is beyond the school's margins";
    case ROOM_FITS:
        break;
    }
    std::string str = "Still fits:";
    for (int i = 0; i < ROOM_STATIONS; i++) {
        if (!r.at[i].bHas)
            continue;
        const _unitKind nKind = i == ROOM_FUEL ? KIND_FUEL : KIND_WEIGHT;
        str += std::string(str.ends_with(':') ? " " : ", ") + STATION_NAMES[i] + " " +
               txtRounded(unitToShown(nKind, r.at[i].nRoom, units), ROUND_MARGIN, txtDecimals(nKind)) + " " +
               unitSymbol(nKind, units);
    }
    const _roomStop& first = r.at[r.nFirst];
    const std::string strLimit =
        first.bHover ? std::string("the hover figure")
        : first.nMargin == MARGIN_COUNT
            ? limitName(first.nLimit)
            : std::string("the school's ") + LIM_MARGIN_ROWS[first.nMargin].pszName + " margin";
    str += ". Limited by " + strLimit + " " + POINT_WORDS[first.nPoint];
    if (first.nLeg != r.nShown)
        str += " on leg " + std::to_string(first.nLeg + 1);
    return str;
}
