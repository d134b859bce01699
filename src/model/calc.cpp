// The loading calculation and the judgement against the limits: weights,
// moments and arms of every item and of the loaded aircraft, in kilograms
// and millimetres, and every limit with its margin. Pure arithmetic on the
// setup record and the loading it is given.
#include "model/calc.h"

#include <cmath>

namespace
{

// An item at its arms: the moments are arm × weight.
_wbTableRow item(const char* pszItem, double nWeight, double nLongArm, double nLatArm)
{
    return {pszItem, nWeight, nLongArm, nLongArm * nWeight, nLatArm, nLatArm * nWeight};
}

} // namespace

_wbRows calcRows(const _wbSetup& s, const _wbLoading& l)
{
    _wbRows r{};
    r[ROW_BASIC] = item("Basic aircraft", s.nBasicWeight, s.nBasicLongArm, s.nBasicLatArm);
    // The items' change is a sum of moments, so its arms are the moments
    // over its weight; a change that weighs nothing nets out to no arm, and
    // one that nets out to no moment has an arm of 0, never -0.
    const _wbItemsChange& c = l.items;
    auto armOf = [&](double nMoment) { return c.nWeight != 0 && nMoment != 0 ? nMoment / c.nWeight : 0.0; };
    r[ROW_EQUIPMENT] = {"Equipment", c.nWeight, armOf(c.nLongMoment), c.nLongMoment, armOf(c.nLatMoment), c.nLatMoment};
    r[ROW_LSEAT] = item("Left seat", l.nLSeatWeight, s.nLSeatLongArm, s.nLSeatLatArm);
    r[ROW_RSEAT] = item("Right seat", l.nRSeatWeight, s.nRSeatLongArm, s.nRSeatLatArm);
    r[ROW_FUEL] = item("Fuel", l.nFuelVolume * unitFuelDensity(s), s.nFuelLongArm, s.nFuelLatArm);
    if (l.nBallastPosn == BALLAST_FRONT)
        r[ROW_BALLAST] = item("Ballast", s.nBallastWt, s.nBallastFrontLongArm, s.nBallastFrontLatArm);
    else if (l.nBallastPosn == BALLAST_REAR)
        // The rear position lies on the centre line, whatever the record
        // holds for it.
        r[ROW_BALLAST] = {"Ballast", s.nBallastWt, s.nBallastRearLongArm, s.nBallastWt * s.nBallastRearLongArm, 0, 0};
    else
        r[ROW_BALLAST] = {"Ballast", 0, 0, 0, 0, 0};

    // The totals add up in one fixed order: basic aircraft, items, left
    // seat, right seat, fuel, ballast; then the lateral arm before the
    // longitudinal.
    _wbTableRow& t = r[ROW_TOTAL];
    t = {"Total", 0, 0, 0, 0, 0};
    t.nWeight = r[ROW_BASIC].nWeight;
    t.nLatMoment = r[ROW_BASIC].nLatMoment;
    t.nLongMoment = r[ROW_BASIC].nLongMoment;
    for (int i = ROW_EQUIPMENT; i <= ROW_BALLAST; i++) {
        t.nWeight += r[i].nWeight;
        t.nLatMoment += r[i].nLatMoment;
        t.nLongMoment += r[i].nLongMoment;
    }
    t.nLatArm = t.nLatMoment / t.nWeight;
    t.nLongArm = t.nLongMoment / t.nWeight;
    return r;
}

bool calcItemFitted(const _wbSetup& s, const std::vector<bool>& fitted, size_t n)
{
    return n < fitted.size() ? fitted[n] : s.items[n].bWeighed;
}

_wbItemsChange calcItemsChange(const _wbSetup& s, const std::vector<bool>& fitted)
{
    _wbItemsChange c;
    for (size_t n = 0; n < s.items.size(); n++) {
        const _wbItem& i = s.items[n];
        const bool bFitted = calcItemFitted(s, fitted, n);
        if (bFitted == i.bWeighed)
            continue;
        const double nSign = bFitted ? 1 : -1;
        c.nWeight += nSign * i.nWeight;
        c.nLongMoment += nSign * (i.nLongArm * i.nWeight);
        c.nLatMoment += nSign * (i.nLatArm * i.nWeight);
        c.nDiffering++;
    }
    return c;
}

_wbPoint calcPointOf(const _wbTableRow& total)
{
    return {total.nWeight, total.nLongMoment, total.nLatMoment, total.nLongArm, total.nLatArm};
}

_wbPoint calcLoadedPoint(const _wbSetup& s, const _wbLoading& l)
{
    return calcPointOf(calcRows(s, l)[ROW_TOTAL]);
}

_wbPoint calcLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn)
{
    return calcLoadedPoint(s, _wbLoading{nLSeat, nRSeat, nFuelLitres, nBallastPosn});
}

double calcTripOf(double nTripLitres)
{
    return std::isfinite(nTripLitres) && nTripLitres > 0 ? nTripLitres : 0.0;
}

double calcLandingFuel(double nFuelLitres, double nTripLitres)
{
    const double nTrip = calcTripOf(nTripLitres);
    if (nTrip == 0)
        return nFuelLitres;
    // Fuel stored below nothing (flagged where it was typed) stays as it is.
    return std::fmin(nFuelLitres, nTrip > nFuelLitres ? 0.0 : nFuelLitres - nTrip);
}

_wbSetup calcWithFixedArms(_wbSetup s)
{
    s.nLSeatLatArm = LSEAT_LAT_ARM_IN * MM_PER_INCH;
    s.nLSeatLongArm = LSEAT_LONG_ARM_IN * MM_PER_INCH;
    s.nRSeatLatArm = RSEAT_LAT_ARM_IN * MM_PER_INCH;
    s.nRSeatLongArm = RSEAT_LONG_ARM_IN * MM_PER_INCH;
    s.nFuelLatArm = FUEL_LAT_ARM_IN * MM_PER_INCH;
    s.nFuelLongArm = FUEL_LONG_ARM_IN * MM_PER_INCH;
    return s;
}

_wbJudgement calcJudge(const _wbLoading& l, const _wbPoint& p, _wbFlightPoint nPoint)
{
    _wbJudgement j{};
    j.limits = limJudge(p, l, nPoint);
    const _chartMessage nMessage = calcChooseMessage(p.nLongArm / MM_PER_INCH, p.nLatArm / MM_PER_INCH, p.nWeight);
    j.bChartWarning = nMessage == CHART_MSG_COFG || nMessage == CHART_MSG_WEIGHT;
    j.nChartMessage = nMessage;
    return j;
}

bool _wbJudgement::pointWithin() const
{
    for (const _limRow& r : LIM_ROWS)
        if (r.nSubject == SUBJECT_POINT && beyond(r.nId))
            return false;
    return true;
}

bool _wbJudgement::within() const
{
    for (const _wbLimitCheck& c : limits)
        if (c.bBeyond)
            return false;
    return !bChartWarning;
}

bool _wbJudgement::marginsKept() const
{
    for (const _wbLimitCheck& c : margins)
        if (c.bBeyond)
            return false;
    return true;
}

_wbFlight calcJudgeFlight(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    _wbFlight f{};
    f.loading = l;
    f.nTrip = calcTripOf(nTripLitres);
    f.nFuel = l.nFuelVolume;
    f.nLandingFuel = calcLandingFuel(l.nFuelVolume, f.nTrip);
    f.bLanding = f.nTrip > 0;
    f.bTripOverFuel = f.nTrip > l.nFuelVolume;
    f.bUnconfirmed = s.nUnconfirmed != 0;
    // No trip lands with the take-off loading itself, to the last digit.
    _wbLoading landed = l, dry = l;
    landed.nFuelVolume = f.nLandingFuel;
    dry.nFuelVolume = 0.0;
    const std::array<_wbLoading, POINT_COUNT> loadings = {l, landed, dry};
    f.rows = calcRows(s, l);
    for (int n = 0; n < POINT_COUNT; n++) {
        f.points[n] = n == POINT_TAKE_OFF ? calcPointOf(f.rows[ROW_TOTAL]) : calcLoadedPoint(s, loadings[n]);
        f.judged[n] = calcJudge(loadings[n], f.points[n], static_cast<_wbFlightPoint>(n));
        f.judged[n].margins = limJudgeMargins(s, f.points[n], loadings[n], static_cast<_wbFlightPoint>(n));
    }
    const _wbPoint& t = f.points[POINT_TAKE_OFF];
    f.bNothingEntered = !(t.nWeight > 0) || !std::isfinite(t.nLongArm) || !std::isfinite(t.nLatArm);
    return f;
}

bool _wbFlight::within() const
{
    if (!doubts.empty() || bNothingEntered || bUnconfirmed || bTripOverFuel)
        return false;
    for (int n = 0; n < POINT_COUNT; n++)
        if (hasPoint(static_cast<_wbFlightPoint>(n)) && (!judged[n].within() || !judged[n].marginsKept()))
            return false;
    return true;
}

_wbBeyond calcBeyondLimit(const _wbJudgement& j)
{
    _wbBeyond nFirst = BEYOND_NONE;
    auto rank = [](_wbBeyond n) { return n == BEYOND_NONE ? 99 : static_cast<int>(n); };
    for (const _limRow& r : LIM_ROWS)
        if (j.beyond(r.nId) && rank(r.nBeyond) < rank(nFirst))
            nFirst = r.nBeyond;
    return nFirst;
}

_wbBeyond calcBeyondLimit(const _wbPoint& p)
{
    return calcBeyondLimit(calcJudge(_wbLoading{}, p));
}

_chartMessage calcChooseMessage(double nLongArmIn, double nLatArmIn, double nWeightKg)
{
    // Strict comparisons: a value on a limit is within it, and not-a-number
    // fires nothing.
    if (nLongArmIn > CHART_AFT_LIMIT || nLongArmIn < CHART_FORWARD_LIMIT || nLatArmIn > CHART_LAT_LIMIT ||
        nLatArmIn < -CHART_LAT_LIMIT)
        return CHART_MSG_COFG;
    if (nWeightKg > MAX_TOTAL_WEIGHT)
        return CHART_MSG_WEIGHT;
    if (nLongArmIn < CHART_FORWARD_CAUTION)
        return CHART_MSG_TAILWIND;
    if (nLongArmIn > CHART_AFT_CAUTION)
        return CHART_MSG_SPEED;
    return CHART_MSG_NONE;
}
