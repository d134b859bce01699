// Fuel planning: the point of any loading, the zero-fuel point, the fuel
// volumes a loading allows and the ballast position to advise. Pure
// arithmetic on the setup record and the loading, in kilograms and
// millimetres, with the same limits and rules as the result table.
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

bool bothWithin(const _wbPoint& takeOff, const _wbPoint& zeroFuel)
{
    return pwbBeyondLimit(takeOff) == BEYOND_NONE && pwbBeyondLimit(zeroFuel) == BEYOND_NONE;
}

} // namespace

_wbPoint pwbLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn)
{
    // The order of pwbCalcWB: basic aircraft, left seat, right seat, fuel,
    // ballast; so a loading gives this point to the last digit.
    _wbPoint p{};
    p.nWeight = s.nBasicWeight;
    p.nLatMoment = s.nBasicLatArm * s.nBasicWeight;
    p.nLongMoment = s.nBasicLongArm * s.nBasicWeight;
    p.nWeight += nLSeat;
    p.nLatMoment += s.nLSeatLatArm * nLSeat;
    p.nLongMoment += s.nLSeatLongArm * nLSeat;
    p.nWeight += nRSeat;
    p.nLatMoment += s.nRSeatLatArm * nRSeat;
    p.nLongMoment += s.nRSeatLongArm * nRSeat;
    const double nFuel = nFuelLitres * FUEL_DENSITY;
    p.nWeight += nFuel;
    p.nLongMoment += s.nFuelLongArm * nFuel;
    p.nLatMoment += s.nFuelLatArm * nFuel;
    if (nBallastPosn == BALLAST_FRONT) {
        p.nWeight += s.nBallastWt;
        p.nLatMoment += s.nBallastWt * s.nBallastFrontLatArm;
        p.nLongMoment += s.nBallastWt * s.nBallastFrontLongArm;
    } else if (nBallastPosn == BALLAST_REAR) {
        p.nWeight += s.nBallastWt;
        p.nLatMoment += 0.0; // the rear position lies on the centre line
        p.nLongMoment += s.nBallastWt * s.nBallastRearLongArm;
    }
    p.nLatArm = p.nLatMoment / p.nWeight;
    p.nLongArm = p.nLongMoment / p.nWeight;
    return p;
}

_wbBeyond pwbBeyondLimit(const _wbPoint& p)
{
    // The table's comparisons: a value on a limit is within it, and
    // not-a-number lies beyond none.
    if (p.nLongArm < MIN_LONG_ARM)
        return BEYOND_FORWARD;
    if (p.nLongArm > MAX_LONG_ARM)
        return BEYOND_AFT;
    if (p.nLatArm > MAX_LAT_ARM || p.nLatArm < -MAX_LAT_ARM)
        return BEYOND_LATERAL;
    if (p.nWeight > MAX_TOTAL_WEIGHT)
        return BEYOND_WEIGHT;
    return BEYOND_NONE;
}

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
    double nLow = 0, nHigh = MAX_FUEL_VOLUME * FUEL_DENSITY;
    keepWhere(-1, z.nWeight - MAX_TOTAL_WEIGHT, nLow, nHigh);
    keepWhere(nLongArm - MIN_LONG_ARM, MIN_LONG_ARM * z.nWeight - z.nLongMoment, nLow, nHigh);
    keepWhere(MAX_LONG_ARM - nLongArm, z.nLongMoment - MAX_LONG_ARM * z.nWeight, nLow, nHigh);
    keepWhere(MAX_LAT_ARM - nLatArm, z.nLatMoment - MAX_LAT_ARM * z.nWeight, nLow, nHigh);
    keepWhere(MAX_LAT_ARM + nLatArm, -MAX_LAT_ARM * z.nWeight - z.nLatMoment, nLow, nHigh);
    if (!(nLow <= nHigh))
        return {true, false, 0, 0};
    return {true, true, nLow / FUEL_DENSITY, nHigh / FUEL_DENSITY};
}

_wbBallastAdvice pwbBallastAdvice(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres,
                                  guint nBallastPosn)
{
    // Any other value (a hand-edited file) acts as no ballast.
    if (nBallastPosn != BALLAST_FRONT && nBallastPosn != BALLAST_REAR)
        nBallastPosn = BALLAST_NONE;
    auto within = [&](guint nPosn) {
        return bothWithin(pwbLoadedPoint(s, nLSeat, nRSeat, nFuelLitres, nPosn),
                          pwbLoadedPoint(s, nLSeat, nRSeat, 0.0, nPosn));
    };
    if (within(nBallastPosn))
        return {false, -1};
    constexpr std::array<guint, 3> positions = {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR};
    for (guint nPosn : positions)
        if (nPosn != nBallastPosn && within(nPosn))
            return {true, static_cast<int>(nPosn)};
    return {true, -1};
}
