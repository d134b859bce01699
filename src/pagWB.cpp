// The loading calculation and the judgement against the limits: weights,
// moments and arms of every item and of the loaded aircraft, in kilograms
// and millimetres, and every limit with its margin. Pure arithmetic on the
// setup record and the loading; the globals are the written interface of the
// last calculation.
#include "pagWB.h"

#include "pagSetup.h"
#include "testSeams.h"

#include <cmath>

gdouble m_nLSeatWeight = 0.0;
gdouble m_nRSeatWeight = 0.0;
gdouble m_nFuelVolume = 0.0;
guint m_nBallastPosn = BALLAST_NONE;
gboolean m_bShowBurnOff = FALSE;
gdouble m_nTripFuel = 0.0;
_wbPoint m_wbZeroFuel = {};
_wbPoint m_wbLanding = {};

gdouble m_nLSeatLongMoment = 0.0, m_nLSeatLatMoment = 0.0;
gdouble m_nRSeatLongMoment = 0.0, m_nRSeatLatMoment = 0.0;
gdouble m_nFuelWeight = 0.0, m_nFuelLongMoment = 0.0, m_nFuelLatMoment = 0.0;
gdouble m_nBallastWeight = 0.0, m_nBallastLongArm = 0.0, m_nBallastLatArm = 0.0;
gdouble m_nBallastLongMoment = 0.0, m_nBallastLatMoment = 0.0;
gdouble m_nTotalWeight = 0.0, m_nTotalLongMoment = 0.0, m_nTotalLatMoment = 0.0;
gdouble m_nTotalLongArm = 0.0, m_nTotalLatArm = 0.0;

namespace
{

// The rows of the last calculation, for the table; all 0 before the first.
_wbRows zeroRows(void)
{
    _wbRows r = pwbCalcRows(_wbSetup{}, _wbLoading{});
    for (_wbTableRow& row : r)
        row = {row.pszItem, 0, 0, 0, 0, 0};
    return r;
}
_wbRows m_wbRows = zeroRows();

// An item at its arms: the moments are arm × weight.
_wbTableRow item(const char* pszItem, double nWeight, double nLongArm, double nLatArm)
{
    return {pszItem, nWeight, nLongArm, nLongArm * nWeight, nLatArm, nLatArm * nWeight};
}

// A limit's margin; beyond it exactly where the margin is negative, which
// for two distinct doubles is where the value lies strictly beyond the limit
// (their difference is never rounded to 0). No number is beyond nothing.
_wbLimitCheck margin(double nMargin)
{
    return {nMargin, nMargin < 0};
}

} // namespace

_wbLoading pwbLoading(void)
{
    return {m_nLSeatWeight, m_nRSeatWeight, m_nFuelVolume, m_nBallastPosn};
}

_wbRows pwbCalcRows(const _wbSetup& s, const _wbLoading& l)
{
    _wbRows r{};
    r[ROW_BASIC] = item("Basic aircraft", s.nBasicWeight, s.nBasicLongArm, s.nBasicLatArm);
    r[ROW_LSEAT] = item("Left seat", l.nLSeatWeight, s.nLSeatLongArm, s.nLSeatLatArm);
    r[ROW_RSEAT] = item("Right seat", l.nRSeatWeight, s.nRSeatLongArm, s.nRSeatLatArm);
    r[ROW_FUEL] = item("Fuel", l.nFuelVolume * pwbFuelDensity(s), s.nFuelLongArm, s.nFuelLatArm);
    if (l.nBallastPosn == BALLAST_FRONT)
        r[ROW_BALLAST] = item("Ballast", s.nBallastWt, s.nBallastFrontLongArm, s.nBallastFrontLatArm);
    else if (l.nBallastPosn == BALLAST_REAR)
        // The rear position lies on the centre line, whatever the record
        // holds for it.
        r[ROW_BALLAST] = {"Ballast", s.nBallastWt, s.nBallastRearLongArm, s.nBallastWt * s.nBallastRearLongArm, 0, 0};
    else
        r[ROW_BALLAST] = {"Ballast", 0, 0, 0, 0, 0};

    // The totals add up in one fixed order: basic aircraft, left seat, right
    // seat, fuel, ballast; then the lateral arm before the longitudinal.
    _wbTableRow& t = r[ROW_TOTAL];
    t = {"Total", 0, 0, 0, 0, 0};
    t.nWeight = r[ROW_BASIC].nWeight;
    t.nLatMoment = r[ROW_BASIC].nLatMoment;
    t.nLongMoment = r[ROW_BASIC].nLongMoment;
    for (int i = ROW_LSEAT; i <= ROW_BALLAST; i++) {
        t.nWeight += r[i].nWeight;
        t.nLatMoment += r[i].nLatMoment;
        t.nLongMoment += r[i].nLongMoment;
    }
    t.nLatArm = t.nLatMoment / t.nWeight;
    t.nLongArm = t.nLongMoment / t.nWeight;
    return r;
}

_wbPoint pwbPointOf(const _wbTableRow& total)
{
    return {total.nWeight, total.nLongMoment, total.nLatMoment, total.nLongArm, total.nLatArm};
}

_wbPoint pwbLoadedPoint(const _wbSetup& s, const _wbLoading& l)
{
    return pwbPointOf(pwbCalcRows(s, l)[ROW_TOTAL]);
}

_wbPoint pwbLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn)
{
    return pwbLoadedPoint(s, _wbLoading{nLSeat, nRSeat, nFuelLitres, nBallastPosn});
}

void pwbCalcWB(void)
{
    const _wbLoading l = pwbLoading();
    m_wbRows = pwbCalcRows(m_wbSetup, l);
    const _wbTableRow &lseat = m_wbRows[ROW_LSEAT], &rseat = m_wbRows[ROW_RSEAT], &fuel = m_wbRows[ROW_FUEL],
                      &ballast = m_wbRows[ROW_BALLAST], &total = m_wbRows[ROW_TOTAL];
    m_nLSeatLongMoment = lseat.nLongMoment;
    m_nLSeatLatMoment = lseat.nLatMoment;
    m_nRSeatLongMoment = rseat.nLongMoment;
    m_nRSeatLatMoment = rseat.nLatMoment;
    m_nFuelWeight = fuel.nWeight;
    m_nFuelLongMoment = fuel.nLongMoment;
    m_nFuelLatMoment = fuel.nLatMoment;
    // A position other than the three (only from a hand-edited file, read at
    // start while these are still 0) carries no ballast.
    m_nBallastWeight = ballast.nWeight;
    m_nBallastLongArm = ballast.nLongArm;
    m_nBallastLatArm = ballast.nLatArm;
    m_nBallastLongMoment = ballast.nLongMoment;
    m_nBallastLatMoment = ballast.nLatMoment;
    m_nTotalWeight = total.nWeight;
    m_nTotalLongMoment = total.nLongMoment;
    m_nTotalLatMoment = total.nLatMoment;
    m_nTotalLatArm = total.nLatArm;
    m_nTotalLongArm = total.nLongArm;

    m_wbZeroFuel = pwbLoadedPoint(m_wbSetup, _wbLoading{l.nLSeatWeight, l.nRSeatWeight, 0.0, l.nBallastPosn});
    // No trip lands with the take-off point itself, to the last digit.
    m_wbLanding =
        pwbTripOf(m_nTripFuel) == 0
            ? pwbPointOf(total)
            : pwbLoadedPoint(m_wbSetup, _wbLoading{l.nLSeatWeight, l.nRSeatWeight,
                                                   pwbLandingFuel(l.nFuelVolume, m_nTripFuel), l.nBallastPosn});
}

double pwbTripOf(double nTripLitres)
{
    return std::isfinite(nTripLitres) && nTripLitres > 0 ? nTripLitres : 0.0;
}

double pwbLandingFuel(double nFuelLitres, double nTripLitres)
{
    const double nTrip = pwbTripOf(nTripLitres);
    if (nTrip == 0)
        return nFuelLitres;
    // Fuel stored below nothing (flagged where it was typed) stays as it is.
    return std::fmin(nFuelLitres, nTrip > nFuelLitres ? 0.0 : nFuelLitres - nTrip);
}

double pwbFuelDensity(const _wbSetup& s)
{
    return s.nFuelDensity >= MIN_FUEL_DENSITY && s.nFuelDensity <= MAX_FUEL_DENSITY ? s.nFuelDensity : FUEL_DENSITY;
}

_wbRows pwbTableRows(void)
{
    return m_wbRows;
}

_wbJudgement pwbJudge(const _wbLoading& l, const _wbPoint& p)
{
    _wbJudgement j{};
    j.limits[LIMIT_WEIGHT] = margin(MAX_TOTAL_WEIGHT - p.nWeight);
    j.limits[LIMIT_FORWARD] = margin(p.nLongArm - MIN_LONG_ARM);
    j.limits[LIMIT_AFT] = margin(MAX_LONG_ARM - p.nLongArm);
    j.limits[LIMIT_LEFT] = margin(p.nLatArm + MAX_LAT_ARM);
    j.limits[LIMIT_RIGHT] = margin(MAX_LAT_ARM - p.nLatArm);
    j.limits[LIMIT_LSEAT] = margin(MAX_SEAT_WEIGHT - l.nLSeatWeight);
    j.limits[LIMIT_RSEAT] = margin(MAX_SEAT_WEIGHT - l.nRSeatWeight);
    j.limits[LIMIT_TANK] = margin(MAX_FUEL_VOLUME - l.nFuelVolume);
    const _chartMessage nMessage = pwbChooseMessage(p.nLongArm / MM_PER_INCH, p.nLatArm / MM_PER_INCH, p.nWeight);
    j.bChartWarning = nMessage == CHART_MSG_COFG || nMessage == CHART_MSG_WEIGHT;
    j.nChartMessage = nMessage;
    return j;
}

bool _wbJudgement::pointWithin() const
{
    for (_wbLimit n : {LIMIT_WEIGHT, LIMIT_FORWARD, LIMIT_AFT, LIMIT_LEFT, LIMIT_RIGHT})
        if (beyond(n))
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

_wbFlight pwbJudgeFlight(const _wbSetup& s, const _wbLoading& l, double nTripLitres)
{
    _wbFlight f{};
    f.nTrip = pwbTripOf(nTripLitres);
    f.nFuel = l.nFuelVolume;
    f.bLanding = f.nTrip > 0;
    f.bTripOverFuel = f.nTrip > l.nFuelVolume;
    f.bUnconfirmed = s.nUnconfirmed != 0;
    const _wbLoading landed = {l.nLSeatWeight, l.nRSeatWeight, pwbLandingFuel(l.nFuelVolume, f.nTrip), l.nBallastPosn};
    const _wbLoading dry = {l.nLSeatWeight, l.nRSeatWeight, 0.0, l.nBallastPosn};
    const std::array<_wbLoading, POINT_COUNT> loadings = {l, landed, dry};
    for (int n = 0; n < POINT_COUNT; n++) {
        f.points[n] = pwbLoadedPoint(s, loadings[n]);
        f.judged[n] = pwbJudge(loadings[n], f.points[n]);
    }
    const _wbPoint& t = f.points[POINT_TAKE_OFF];
    f.bNothingEntered = !(t.nWeight > 0) || !std::isfinite(t.nLongArm) || !std::isfinite(t.nLatArm);
    return f;
}

bool _wbFlight::within() const
{
    if (bNothingEntered || bUnconfirmed || bTripOverFuel)
        return false;
    for (int n = 0; n < POINT_COUNT; n++)
        if (!judged[n].within())
            return false;
    return true;
}

_wbBeyond pwbBeyondLimit(const _wbPoint& p)
{
    const _wbJudgement j = pwbJudge(_wbLoading{}, p);
    if (j.beyond(LIMIT_FORWARD))
        return BEYOND_FORWARD;
    if (j.beyond(LIMIT_AFT))
        return BEYOND_AFT;
    if (j.beyond(LIMIT_LEFT) || j.beyond(LIMIT_RIGHT))
        return BEYOND_LATERAL;
    if (j.beyond(LIMIT_WEIGHT))
        return BEYOND_WEIGHT;
    return BEYOND_NONE;
}

_chartMessage pwbChooseMessage(double nLongArmIn, double nLatArmIn, double nWeightKg)
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

void pwbReset(void)
{
    m_nLSeatWeight = m_nRSeatWeight = m_nFuelVolume = 0.0;
    m_nBallastPosn = BALLAST_NONE;
    m_bShowBurnOff = FALSE;
    m_nTripFuel = 0.0;
    m_wbZeroFuel = m_wbLanding = {};
    m_wbRows = zeroRows();
    m_nLSeatLongMoment = m_nLSeatLatMoment = m_nRSeatLongMoment = m_nRSeatLatMoment = 0.0;
    m_nFuelWeight = m_nFuelLongMoment = m_nFuelLatMoment = 0.0;
    m_nBallastWeight = m_nBallastLongArm = m_nBallastLatArm = 0.0;
    m_nBallastLongMoment = m_nBallastLatMoment = 0.0;
    m_nTotalWeight = m_nTotalLongMoment = m_nTotalLatMoment = 0.0;
    m_nTotalLongArm = m_nTotalLatArm = 0.0;
}
