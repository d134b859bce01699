// Why nothing flies and what would: the limits no fuel or ballast brings
// back, and the seat weights and the trip with which some fuel and ballast
// position flies. Every limit is linear in the fuel and in the mass at a
// seat, so the loadings that fly at a ballast position are a polygon in
// (fuel, seat mass), and its corners give the least change; each change
// said is checked by the one judgement of the flight.
#include "model/remedy.h"

#include "model/fuel.h"
#include "model/texts.h"

#include <array>
#include <cmath>

namespace
{

constexpr std::array<guint, 3> m_positions = {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR};

// Within as the verdict has it: every point the flight has within every
// limit by both rules, and a landing the fuel allows. Figures copied from
// another aircraft are the verdict's to say, not a reason of the loading.
bool within(const _wbSetup& s, const _wbLoading& l, double nTrip)
{
    const _wbFlight f = calcJudgeFlight(s, l, nTrip);
    if (f.bNothingEntered || f.bTripOverFuel)
        return false;
    for (int n = 0; n < POINT_COUNT; n++)
        if (f.hasPoint(static_cast<_wbFlightPoint>(n)) && !f.judged[n].within())
            return false;
    return true;
}

// Whether some fuel and some ballast position fly, by the judgement at the
// ends of each position's range.
bool flies(const _wbSetup& s, const _wbLoading& l, double nTrip)
{
    const _wbFuelPlan plan = fuelPlan(s, l, nTrip);
    for (guint nPosn : m_positions) {
        const _wbFuelRange& r = plan.at[nPosn].takeOff;
        if (r.bAny && (within(s, fuelWith(l, r.nLeast, nPosn), nTrip) || within(s, fuelWith(l, r.nMost, nPosn), nTrip)))
            return true;
    }
    return false;
}

// How far a loading keeps a limit, as a quantity linear in the fuel and
// in the mass at a seat: k * (over - value * under), at least 0 within.
double kept(const _limRow& r, const _wbSetup& s, const _wbLoading& at)
{
    const _limRatio q = r.pfnQuantity(calcLoadedPoint(s, at), at);
    return (r.nSense == SENSE_AT_MOST ? -1 : 1) * (q.nOver - limSignedValue(r) * q.nUnder);
}

// c0 + cv * fuel + cd * mass >= 0, scaled to a distance in (litres, kg).
struct Line {
    double c0, cv, cd;
};

// The least and most mass added at a seat (negative: taken away) of the
// corners of the loadings that fly at a ballast position; false where
// none flies.
bool massRange(const _wbSetup& s, const _wbLoading& l, double _wbLoading::*pSeat, guint nPosn, double nTrip,
               double& nLeast, double& nMost)
{
    constexpr double FAR = 1024;
    const _wbLoading base = fuelWith(l, 0, nPosn);
    _wbLoading fuelled = fuelWith(l, FAR, nPosn), seated = base;
    seated.*pSeat += FAR;
    std::vector<Line> lines = {{-nTrip, 1, 0}, {0, 1, 0}, {base.*pSeat, 0, 1}};
    for (const _limRow& r : LIM_ROWS) {
        const double h = kept(r, s, base);
        const double cv = (kept(r, s, fuelled) - h) / FAR, cd = (kept(r, s, seated) - h) / FAR;
        lines.push_back({h, cv, cd});
        if (nTrip > 0)
            lines.push_back({h - cv * nTrip, cv, cd});
        lines.push_back({h, 0, cd});
    }
    std::vector<Line> scaled;
    for (const Line& n : lines) {
        const double nNorm = std::hypot(n.cv, n.cd);
        if (nNorm == 0 && n.c0 < 0)
            return false;
        if (nNorm > 0)
            scaled.push_back({n.c0 / nNorm, n.cv / nNorm, n.cd / nNorm});
    }
    bool bAny = false;
    for (size_t i = 0; i < scaled.size(); i++)
        for (size_t j = i + 1; j < scaled.size(); j++) {
            const Line &a = scaled[i], &b = scaled[j];
            const double nDet = a.cv * b.cd - a.cd * b.cv;
            if (std::fabs(nDet) < 1e-12)
                continue;
            const double v = (b.c0 * a.cd - a.c0 * b.cd) / nDet, d = (a.c0 * b.cv - b.c0 * a.cv) / nDet;
            bool bInside = std::isfinite(v) && std::isfinite(d);
            for (const Line& n : scaled)
                bInside = bInside && n.c0 + n.cv * v + n.cd * d >= -1e-6;
            if (!bInside)
                continue;
            nLeast = bAny ? std::fmin(nLeast, d) : d;
            nMost = bAny ? std::fmax(nMost, d) : d;
            bAny = true;
        }
    return bAny;
}

// A figure in the pilot's unit at the entries' decimals, rounded up or
// down: a breach away from its limit, a limit inward, a range of weights
// inward, so none reads better than it is. The one rounding of this file.
double roundedShown(_unitKind nKind, double nInternal, const _wbSetup& u, bool bUp)
{
    return txtRound(unitToShown(nKind, nInternal, u), bUp ? ROUND_LIMIT_LEAST : ROUND_LIMIT_MOST, txtDecimals(nKind));
}

std::string figure(_unitKind nKind, double nInternal, const _wbSetup& u, bool bUp)
{
    return txtFixed(roundedShown(nKind, nInternal, u, bUp), txtDecimals(nKind)) + " " + unitSymbol(nKind, u);
}

// A seat's weights that fly, rounded inward and checked at both ends by
// the judgement; false where no figure of the pilot's is checked to fly.
bool checkedSeat(const _wbSetup& s, const _wbLoading& l, double _wbLoading::*pSeat, double nTrip, _remSeat& seat)
{
    const double nStep = unitToInternal(KIND_WEIGHT, std::pow(10.0, -txtDecimals(KIND_WEIGHT)), s);
    auto fliesAt = [&](double nKg) {
        _wbLoading at = l;
        at.*pSeat = nKg;
        return flies(s, at, nTrip);
    };
    double nLeast = unitToInternal(KIND_WEIGHT, roundedShown(KIND_WEIGHT, seat.nLeast, s, true), s);
    double nMost = unitToInternal(KIND_WEIGHT, roundedShown(KIND_WEIGHT, seat.nMost, s, false), s);
    for (int i = 0; i < 3 && nLeast <= nMost && !fliesAt(nLeast); i++)
        nLeast += nStep;
    for (int i = 0; i < 3 && nLeast <= nMost && !fliesAt(nMost); i++)
        nMost -= nStep;
    if (!(nLeast <= nMost) || !fliesAt(nLeast) || !fliesAt(nMost))
        return false;
    seat.nLeast = nLeast;
    seat.nMost = nMost;
    return true;
}

} // namespace

_remWhy remWhy(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    _remWhy w;
    const double nTrip = calcTripOf(nTripLitres);
    if (!fuelPlan(s, l, nTrip).at[BALLAST_NONE].takeOff.bKnown || flies(s, l, nTrip))
        return w;
    w.bNothingFlies = true;
    // Each limit alone: every margin moves one way with the fuel (an arm is
    // a quotient of two lines), so the fuel that comes nearest lies at an
    // end of what may be carried, from the trip to a full tank.
    const double nLow = nTrip, nHigh = std::fmax(nTrip, MAX_FUEL_VOLUME);
    std::array<double, LIMIT_COUNT> best;
    best.fill(-INFINITY);
    for (guint nPosn : m_positions)
        for (double nFuel : {nLow, nHigh}) {
            const _wbFlight f = calcJudgeFlight(s, fuelWith(l, nFuel, nPosn), nTrip);
            for (const _limRow& r : LIM_ROWS) {
                double nWorst = INFINITY;
                for (int n = 0; n < POINT_COUNT; n++)
                    if (f.hasPoint(static_cast<_wbFlightPoint>(n)))
                        nWorst = std::fmin(nWorst, f.judged[n].limits[r.nId].nMargin);
                best[r.nId] = std::fmax(best[r.nId], nWorst);
            }
        }
    for (const _limRow& r : LIM_ROWS)
        if (best[r.nId] < 0)
            w.reasons.push_back({r.nId, -best[r.nId]});
    // Each seat: the weights nearest its own with which some position flies.
    for (const auto& [nSeat, pSeat] :
         {std::pair{ROW_LSEAT, &_wbLoading::nLSeatWeight}, std::pair{ROW_RSEAT, &_wbLoading::nRSeatWeight}}) {
        const double nNow = l.*pSeat;
        std::vector<_remSeat> ranges;
        for (guint nPosn : m_positions) {
            double nLeast = 0, nMost = 0;
            if (massRange(s, l, pSeat, nPosn, nTrip, nLeast, nMost) && (nLeast > 0 || nMost < 0))
                ranges.push_back({nSeat, nNow + nLeast, nNow + nMost});
        }
        // The nearest, joined with every position's that overlaps it: a
        // weight between flies at one position or another.
        auto distance = [&](const _remSeat& r) { return r.nLeast > nNow ? r.nLeast - nNow : nNow - r.nMost; };
        const _remSeat* pNearest = nullptr;
        for (const _remSeat& r : ranges)
            if (!pNearest || distance(r) < distance(*pNearest))
                pNearest = &r;
        if (!pNearest)
            continue;
        _remSeat seat = *pNearest;
        for (bool bGrown = true; bGrown;) {
            bGrown = false;
            for (const _remSeat& r : ranges)
                if (r.nLeast <= seat.nMost && r.nMost >= seat.nLeast &&
                    (r.nLeast < seat.nLeast || r.nMost > seat.nMost)) {
                    seat = {nSeat, std::fmin(seat.nLeast, r.nLeast), std::fmax(seat.nMost, r.nMost)};
                    bGrown = true;
                }
        }
        if (checkedSeat(s, l, pSeat, nTrip, seat))
            w.seats.push_back(seat);
    }
    // A shorter trip: the landing lies between the take-off and the fuel
    // burned, so a trip flies where the fuel it needs flies without one.
    if (nTrip > 0) {
        const _wbFuelPlan plan = fuelPlan(s, l, 0);
        double nMost = -1;
        for (guint nPosn : m_positions)
            if (plan.at[nPosn].takeOff.bAny)
                nMost = std::fmax(nMost, plan.at[nPosn].takeOff.nMost);
        const double nShown = nMost > 0 ? roundedShown(KIND_FUEL, nMost, s, false) : 0;
        const double nLongest = unitToInternal(KIND_FUEL, nShown, s);
        if (nShown > 0 && flies(s, l, nLongest))
            w.nLongestTrip = nLongest;
    }
    return w;
}

std::string remReasonText(const _remWhy& w, const _wbSetup& u)
{
    // What each limit reads, at "%s": the figure is how near the fuel and
    // ballast that come nearest bring it, so it is a bound ("or more").
    constexpr std::array<std::pair<const char*, const char*>, LIMIT_COUNT> WORDS = {{
        {"the weight is %s or more", "limit"},
        {"the centre of gravity is at %s or further forward", "forward limit"},
        {"the centre of gravity is at %s or further aft", "aft limit"},
        {"the lateral centre of gravity is %s or more left of the centre line", "limit"},
        {"the lateral centre of gravity is %s or more right of the centre line", "limit"},
        {"the left seat holds %s", "limit"},
        {"the right seat holds %s", "limit"},
        {"the fuel needed is %s or more", "tank"},
    }};
    std::string str;
    for (const _remReason& r : w.reasons) {
        const _limRow& row = LIM_ROWS[r.nLimit];
        // Both figures toward the limit, so the bound is true and the limit
        // inward; to the digits that tell them apart where they read alike.
        const bool bLeast = row.nSense == SENSE_AT_LEAST;
        const double nAt = bLeast ? row.nValue - r.nBreach : row.nValue + r.nBreach;
        const _txtRound nSide = bLeast ? ROUND_LIMIT_LEAST : ROUND_LIMIT_MOST;
        const double nAtShown = std::fabs(unitToShown(row.nAmount, nAt, u)),
                     nLimitShown = std::fabs(unitToShown(row.nAmount, row.nValue, u));
        // Lateral figures are sizes either side: toward the limit is down.
        const _txtRound nAtSide = row.pfnQuantity == limLatArm || !bLeast ? ROUND_LIMIT_MOST : ROUND_LIMIT_LEAST;
        const _txtRound nLimitSide = row.pfnQuantity == limLatArm ? ROUND_LIMIT_MOST : nSide;
        const int nApart = txtDecimalsApart(nAtShown, nAtSide, nLimitShown, nLimitSide, txtDecimals(row.nAmount));
        const int d = nApart < 0 ? txtDecimals(row.nAmount) + TXT_MORE_DECIMALS : nApart;
        const std::string strUnit = std::string(" ") + unitSymbol(row.nAmount, u);
        std::string strWhat = WORDS[r.nLimit].first;
        strWhat.replace(strWhat.find("%s"), 2, txtRounded(nAtShown, nAtSide, d) + strUnit);
        str += (str.empty() ? "" : "; ") + strWhat +
               (row.nSubject == SUBJECT_POINT ? " at one point of the flight," : "") +
               " whatever the fuel and ballast (" + WORDS[r.nLimit].second + " " +
               txtRounded(nLimitShown, nLimitSide, d) + strUnit + ")";
    }
    return str;
}

std::string remRemedyText(const _remWhy& w, const _wbLoading& l, const _wbSetup& u)
{
    std::string str;
    auto add = [&](const std::string& strOne) { str += (str.empty() ? "" : ", or ") + strOne; };
    for (const _remSeat& seat : w.seats) {
        const bool bLeft = seat.nSeat == ROW_LSEAT;
        const double nNow = bLeft ? l.nLSeatWeight : l.nRSeatWeight;
        const double nOther = bLeft ? l.nRSeatWeight : l.nLSeatWeight;
        const std::string strSeat = bLeft ? " in the left seat" : " in the right seat";
        // The seat's own limit needs no saying as the top of what is added.
        const bool bToLimit =
            seat.nLeast > nNow &&
            seat.nMost >= unitToInternal(KIND_WEIGHT, roundedShown(KIND_WEIGHT, MAX_SEAT_WEIGHT, u, false), u);
        const std::string strLeast =
            txtFixed(roundedShown(KIND_WEIGHT, seat.nLeast, u, true), txtDecimals(KIND_WEIGHT));
        const std::string strRange = bToLimit ? "at least " + figure(KIND_WEIGHT, seat.nLeast, u, true)
                                              : strLeast + " to " + figure(KIND_WEIGHT, seat.nMost, u, false);
        if (nNow == 0)
            add(std::string(nOther > 0 ? "a second occupant of " : "an occupant of ") + strRange + strSeat);
        else
            add((seat.nLeast > nNow ? "an occupant of " + strRange : strRange) + strSeat + " instead of " +
                txtAmount(KIND_WEIGHT, nNow, u));
    }
    if (w.nLongestTrip > 0)
        add("a trip of at most " + figure(KIND_FUEL, w.nLongestTrip, u, false));
    return str;
}
