// Fuel planning: the fuel volumes a loading allows and the ballast position
// to advise. Pure arithmetic on the setup record and the loading, in
// kilograms and millimetres, judged as the result table judges.
#include "pagSetup.h"
#include "pagWB.h"

#include <array>
#include <cmath>

namespace
{

// Narrows [nLow, nHigh] to the fuel masses f with nA * f >= nB.
void keepWhere(double nA, double nB, double& nLow, double& nHigh)
{
    if (nA > 0)
        nLow = std::fmax(nLow, nB / nA);
    else if (nA < 0)
        nHigh = std::fmin(nHigh, nB / nA);
    else if (nB > 0)
        nHigh = -1; // never
}

// Whether a loading's weight and centre of gravity are within, by the judgement.
bool pointWithin(const _wbSetup& s, const _wbLoading& l)
{
    return pwbJudge(l, pwbLoadedPoint(s, l)).pointWithin();
}

// Moves an end of the range inward, in steps that start at the least a
// double takes and double each time, while the judgement finds it a hair
// outside: the closed form and the loading's own sums may round apart
// exactly on a limit. Never past the other end.
double confirmed(const _wbSetup& s, _wbLoading l, double nEnd, double nOther)
{
    double nStep = std::nextafter(nEnd, nOther) - nEnd;
    for (int i = 0; i < 40 && nStep != 0; i++, nStep *= 2) {
        l.nFuelVolume = nEnd;
        if (pointWithin(s, l))
            break;
        const double nNext = nEnd + nStep;
        if ((nStep > 0 && nNext > nOther) || (nStep < 0 && nNext < nOther))
            break;
        nEnd = nNext;
    }
    return nEnd;
}

} // namespace

_wbFuelRange pwbFuelRange(const _wbSetup& s, double nLSeat, double nRSeat, guint nBallastPosn)
{
    const _wbPoint z = pwbLoadedPoint(s, nLSeat, nRSeat, 0.0, nBallastPosn);
    const double nLongArm = s.nFuelLongArm, nLatArm = s.nFuelLatArm;
    // Without a weight of its own the aircraft has no arm to keep in
    // limits; and a value that is no number answers nothing.
    if (!(z.nWeight > 0) || !std::isfinite(z.nWeight) || !std::isfinite(z.nLongMoment) || !std::isfinite(z.nLatMoment))
        return {};
    // With f kg of fuel the weight is z + f and each moment z + f * arm:
    // every limit is linear in f.
    const double nDensity = pwbFuelDensity(s);
    double nLow = 0, nHigh = MAX_FUEL_VOLUME * nDensity;
    keepWhere(-1, z.nWeight - MAX_TOTAL_WEIGHT, nLow, nHigh);
    keepWhere(nLongArm - MIN_LONG_ARM, MIN_LONG_ARM * z.nWeight - z.nLongMoment, nLow, nHigh);
    keepWhere(MAX_LONG_ARM - nLongArm, z.nLongMoment - MAX_LONG_ARM * z.nWeight, nLow, nHigh);
    keepWhere(MAX_LAT_ARM - nLatArm, z.nLatMoment - MAX_LAT_ARM * z.nWeight, nLow, nHigh);
    keepWhere(MAX_LAT_ARM + nLatArm, -MAX_LAT_ARM * z.nWeight - z.nLatMoment, nLow, nHigh);
    if (!(nLow <= nHigh))
        return {true, false, 0, 0};
    const _wbLoading l = {nLSeat, nRSeat, 0.0, nBallastPosn};
    const double nLeast = nLow / nDensity, nMost = nHigh / nDensity;
    return {true, true, confirmed(s, l, nLeast, nMost), confirmed(s, l, nMost, nLeast)};
}

_wbTripFuel pwbTripFuelRange(const _wbSetup& s, double nLSeat, double nRSeat, guint nBallastPosn, double nTripLitres)
{
    const _wbFuelRange range = pwbFuelRange(s, nLSeat, nRSeat, nBallastPosn);
    _wbTripFuel t = {range, range.nLeast};
    if (!range.bKnown || !range.bAny || !(nTripLitres > 0))
        return t;
    // Each limit holds for a volume within the range: at take-off the whole
    // fuel, at landing what the trip leaves. Both hold from the least plus
    // the trip to the most.
    t.takeOff.nLeast = range.nLeast + nTripLitres;
    t.takeOff.bAny = t.takeOff.nLeast <= range.nMost;
    return t;
}

_wbBallastAdvice pwbBallastAdvice(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres,
                                  guint nBallastPosn)
{
    // Any other value (a hand-edited file) acts as no ballast.
    if (nBallastPosn != BALLAST_FRONT && nBallastPosn != BALLAST_REAR)
        nBallastPosn = BALLAST_NONE;
    auto within = [&](guint nPosn) {
        return pointWithin(s, {nLSeat, nRSeat, nFuelLitres, nPosn}) && pointWithin(s, {nLSeat, nRSeat, 0.0, nPosn});
    };
    if (within(nBallastPosn))
        return {false, -1};
    constexpr std::array<guint, 3> positions = {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR};
    for (guint nPosn : positions)
        if (nPosn != nBallastPosn && within(nPosn))
            return {true, static_cast<int>(nPosn)};
    return {true, -1};
}
