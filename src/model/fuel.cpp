// Fuel planning: the fuel volumes a loading allows and the ballast position
// to advise. Pure arithmetic on the setup record and the loading, in
// kilograms and millimetres, judged as the result table judges.
#include "model/fuel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace
{

// Narrows [nLow, nHigh] to the fuel volumes v with nA * v >= nB.
void keepWhere(double nA, double nB, double& nLow, double& nHigh)
{
    if (nA > 0)
        nLow = std::fmax(nLow, nB / nA);
    else if (nA < 0)
        nHigh = std::fmin(nHigh, nB / nA);
    else if (nB > 0)
        nHigh = -1; // never
}

// Whether a loading's weight and centre of gravity are within at a point,
// by the judgement.
bool pointWithin(const _wbSetup& s, const _wbLoading& l, _wbFlightPoint nPoint)
{
    return calcJudge(l, calcLoadedPoint(s, l), nPoint).pointWithin();
}

// Moves an end of the range inward, in steps that start at the least a
// double takes and double each time, while the judgement finds it a hair
// outside: the closed form and the loading's own sums may round apart
// exactly on a limit. Never past the other end.
double confirmed(const _wbSetup& s, _wbLoading l, _wbFlightPoint nPoint, double nEnd, double nOther)
{
    double nStep = std::nextafter(nEnd, nOther) - nEnd;
    for (int i = 0; i < 40 && nStep != 0; i++, nStep *= 2) {
        l.nFuelVolume = nEnd;
        if (pointWithin(s, l, nPoint))
            break;
        const double nNext = nEnd + nStep;
        if ((nStep > 0 && nNext > nOther) || (nStep < 0 && nNext < nOther))
            break;
        nEnd = nNext;
    }
    return nEnd;
}

} // namespace

_wbFuelRange fuelRange(const _wbSetup& s, const _wbLoading& loading, _wbFlightPoint nPoint)
{
    const _wbLoading l = fuelWith(loading, 0.0, loading.nBallastPosn);
    const _wbPoint z = calcLoadedPoint(s, l);
    // Without a weight of its own the aircraft has no arm to keep in
    // limits; and a value that is no number answers nothing.
    if (!(z.nWeight > 0) || !std::isfinite(z.nWeight) || !std::isfinite(z.nLongMoment) || !std::isfinite(z.nLatMoment))
        return {};
    // With v litres of fuel the weight and each moment are the no-fuel
    // point's plus v times the fuel's, and the fuel volume is v: a limit
    // that fuel moves keeps k * (over - value * under) >= 0 (k is -1 for one
    // at most), a line in v, taken from the loading at no fuel (exactly the
    // point z) and at FAR litres, far enough that the sums' rounding
    // hardly tilts it.
    constexpr double FAR = 1024;
    const _wbLoading far = fuelWith(l, FAR, l.nBallastPosn);
    const _wbPoint f = calcLoadedPoint(s, far);
    double nLow = 0, nHigh = INFINITY;
    // The certified limits, and the operator's margins inside them: fuel
    // the school would not fly is not allowed.
    std::vector<_limRow> rows(LIM_ROWS.begin(), LIM_ROWS.end());
    for (const _limMarginRow& m : LIM_MARGIN_ROWS)
        if (limMarginInside(m, s) > 0)
            rows.push_back(limMarginLimit(m, s));
    for (const _limRow& r : rows) {
        if (!limApplies(r, nPoint) || r.nLever != LEVER_FUEL)
            continue;
        const double u = limSignedValue(r), k = r.nSense == SENSE_AT_MOST ? -1 : 1;
        auto kept = [&](const _wbPoint& p, const _wbLoading& at) {
            const _limRatio q = r.pfnQuantity(p, at);
            return k * (q.nOver - u * q.nUnder);
        };
        const double nAtNone = kept(z, l);
        keepWhere((kept(f, far) - nAtNone) / FAR, -nAtNone, nLow, nHigh);
    }
    if (!(nLow <= nHigh))
        return {true, false, 0, 0};
    return {true, true, confirmed(s, l, nPoint, nLow, nHigh), confirmed(s, l, nPoint, nHigh, nLow)};
}

_wbTripFuel fuelTripRange(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    const _wbFuelRange range = fuelRange(s, l);
    _wbTripFuel t = {range, range.nLeast};
    if (!range.bKnown || !range.bAny || !(nTripLitres > 0))
        return t;
    // Each limit holds at take-off for the whole fuel and at landing for
    // what the trip leaves: the landing's range moved up by the trip.
    const _wbFuelRange landing = fuelRange(s, l, POINT_LANDING);
    t.nKeep = landing.nLeast;
    t.takeOff.nLeast = std::fmax(range.nLeast, landing.nLeast + nTripLitres);
    t.takeOff.nMost = std::fmin(range.nMost, landing.nMost + nTripLitres);
    t.takeOff.bAny = landing.bAny && t.takeOff.nLeast <= t.takeOff.nMost;
    return t;
}

_wbBallastAdvice fuelBallastAdvice(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    // Any other value (a hand-edited file) acts as no ballast.
    guint nBallastPosn = l.nBallastPosn;
    if (nBallastPosn != BALLAST_FRONT && nBallastPosn != BALLAST_REAR)
        nBallastPosn = BALLAST_NONE;
    // Within as the verdict has it: every limit of every point, by both
    // rules, and a landing the fuel allows. No loading needs no advice.
    auto within = [&](guint nPosn) {
        const _wbFlight f = calcJudgeFlight(s, fuelWith(l, l.nFuelVolume, nPosn), nTripLitres);
        if (f.bNothingEntered)
            return true;
        if (f.bTripOverFuel)
            return false;
        for (int n = 0; n < POINT_COUNT; n++)
            if (f.hasPoint(static_cast<_wbFlightPoint>(n)) && (!f.judged[n].within() || !f.judged[n].marginsKept()))
                return false;
        return true;
    };
    if (within(nBallastPosn))
        return {false, -1};
    constexpr std::array<guint, 3> positions = {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR};
    for (guint nPosn : positions)
        if (nPosn != nBallastPosn && within(nPosn))
            return {true, static_cast<int>(nPosn)};
    return {true, -1};
}

namespace
{

// The trip's range at a position, narrowed to nothing where the aircraft
// with its fuel burned is beyond a limit: no fuel load changes that point.
_wbTripFuel flyingRange(const _wbSetup& s, const _wbLoading& l, guint nPosn, double nTripLitres, _wbBeyond& nNoFuel)
{
    const _wbLoading dry = fuelWith(l, 0.0, nPosn);
    _wbTripFuel t = fuelTripRange(s, dry, nTripLitres);
    nNoFuel = t.takeOff.bKnown ? calcBeyondLimit(calcJudge(dry, calcLoadedPoint(s, dry), POINT_NO_FUEL)) : BEYOND_NONE;
    if (nNoFuel != BEYOND_NONE)
        t.takeOff.bAny = false;
    return t;
}

} // namespace

_wbFuelPlan fuelPlan(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    _wbFuelPlan plan = {};
    const guint nBallastPosn = l.nBallastPosn;
    plan.nChosen = nBallastPosn == BALLAST_FRONT || nBallastPosn == BALLAST_REAR ? nBallastPosn : guint{BALLAST_NONE};
    const _wbLoading dry = fuelWith(l, 0.0, BALLAST_NONE);
    const _wbJudgement j = calcJudge(dry, calcLoadedPoint(s, dry), POINT_TAKE_OFF);
    for (const _limRow& r : LIM_ROWS)
        if (!plan.pszSeatsOnly && r.nLever == LEVER_SEATS && j.beyond(r.nId))
            plan.pszSeatsOnly = r.pszSeatsOnly;
    for (guint nPosn : {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR}) {
        plan.at[nPosn] = flyingRange(s, l, nPosn, nTripLitres, plan.noFuel[nPosn]);
        if (plan.pszSeatsOnly)
            plan.at[nPosn].takeOff.bAny = false;
    }
    return plan;
}

_wbFuelRange fuelFirstTakeOff(const _wbSetup& s, const std::vector<_wbLegFuel>& legs)
{
    _wbFuelRange range;
    double nBurned = 0;
    for (size_t n = 0; n < legs.size() && (n == 0 || legs[n].bAsLanded); n++) {
        const _wbLegFuel& leg = legs[n];
        const _wbFuelPlan plan = fuelPlan(s, leg.loading, leg.nTripLitres);
        const _wbFuelRange& r = plan.at[plan.nChosen].takeOff;
        if (!r.bKnown)
            return {};
        if (n == 0)
            range = r;
        else if (range.bAny && r.bAny) {
            range.nLeast = std::fmax(range.nLeast, r.nLeast + nBurned);
            range.nMost = std::fmin(range.nMost, r.nMost + nBurned);
            range.bAny = range.nLeast <= range.nMost;
        } else
            range.bAny = false;
        nBurned += calcTripOf(leg.nTripLitres);
    }
    return range;
}

_wbLoading fuelWith(const _wbLoading& l, double nFuelLitres, guint nBallastPosn)
{
    _wbLoading at = l;
    at.nFuelVolume = nFuelLitres;
    at.nBallastPosn = nBallastPosn;
    return at;
}

_wbFuelNeed fuelNeed(const _wbSetup& s, double nOnBoard, double nTripLitres, bool bTaxi)
{
    // A rule or a figure that cannot be right plans nothing, as the
    // judgement judges nothing from it.
    const bool bRule = s.nFuelFlow > 0 && s.nFuelFlow <= FUEL_MOST_FLOW && s.nReserveMinutes >= 0 &&
                       s.nReserveMinutes <= FUEL_MOST_RESERVE && s.nContingencyPercent >= 0 &&
                       s.nContingencyPercent <= FUEL_MOST_CONTINGENCY && unitPossible(KIND_FUEL, s.nTaxiFuel);
    if (!bRule || !unitPossible(KIND_FUEL, nOnBoard) || !std::isfinite(nTripLitres))
        return {};
    _wbFuelNeed n;
    n.bKnown = true;
    n.nTaxi = bTaxi ? s.nTaxiFuel : 0;
    n.nTrip = calcTripOf(nTripLitres);
    n.nContingency = n.nTrip * s.nContingencyPercent / 100;
    n.nReserve = s.nReserveMinutes * s.nFuelFlow / 60;
    n.nRequired = n.nTaxi + n.nTrip + n.nContingency + n.nReserve;
    n.nOnBoard = nOnBoard;
    n.nLanding = calcLandingFuel(nOnBoard, nTripLitres);
    // A hair short by the sums' rounding is not short: fuel is dipped to a
    // tenth at best.
    constexpr double HAIR = 1e-9;
    n.bEnough = nOnBoard >= n.nRequired - HAIR;
    n.bKeepsReserve = n.nLanding >= n.nReserve - HAIR;
    return n;
}

std::vector<_wbFuelNeed> fuelNeeds(const _wbSetup& s, const std::vector<_wbLegFuel>& legs)
{
    std::vector<_wbFuelNeed> needs;
    for (size_t n = 0; n < legs.size(); n++)
        needs.push_back(fuelNeed(s, legs[n].loading.nFuelVolume, legs[n].nTripLitres, n == 0 || !legs[n].bAsLanded));
    return needs;
}

std::vector<_wbFuelNeed> fuelFlightNeeds(const _wbSetup& s, const std::vector<_wbFlight>& legs,
                                         const std::vector<bool>& asLanded)
{
    std::vector<_wbLegFuel> fuel;
    for (size_t n = 0; n < legs.size(); n++)
        fuel.push_back({legs[n].loading, legs[n].nTrip, n < asLanded.size() && asLanded[n]});
    std::vector<_wbFuelNeed> needs = fuelNeeds(s, fuel);
    for (size_t n = 0; n < legs.size(); n++)
        if (!legs[n].doubts.empty() || legs[n].bNothingEntered)
            needs[n] = {};
    return needs;
}

bool fuelEnough(const std::vector<_wbFuelNeed>& needs)
{
    return std::none_of(needs.begin(), needs.end(), [](const _wbFuelNeed& n) { return n.isShort(); });
}
