// Fuel planning: the zero-fuel point, the fuel a loading allows and the
// ballast advice against the worked figures and against brute force; and
// the burn-off drawn on the chart.
#include "model/fuel.h"
#include "store/state.h"
#include "store/stored.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace
{

// The worked aircraft: 400 kg at 2700 mm and 1 mm; 10 kg of ballast, front
// at 2000 mm and 0 mm, rear at 3000 mm.
_wbSetup aircraft(double nWeight = 400, double nLongArm = 2700)
{
    _wbSetup s{};
    s.nBasicWeight = nWeight;
    s.nBasicLongArm = nLongArm;
    s.nBasicLatArm = 1.0;
    s.nBallastWt = 10;
    s.nBallastFrontLongArm = 2000;
    s.nBallastRearLongArm = 3000;
    m_wbSetup = s;
    stateSetFixedArms();
    return m_wbSetup;
}

// The worked loading on the worked aircraft: 80 kg a seat, 60 litres, no
// ballast; calculated.
void calculateWorkedLoading()
{
    aircraft();
    m_wbLoad.nLSeatWeight = m_wbLoad.nRSeatWeight = 80;
    m_wbLoad.nFuelVolume = 60;
    m_wbLoad.nBallastPosn = BALLAST_NONE;
    pwbCalcWB();
}

struct Worked {
    const char* pszName;
    double nBasicWeight, nBasicLongArm, nSeat, nFuel;
    guint nBallast;
    _wbBeyond nZeroFuel;  // where the zero-fuel point lies
    bool bAny;            // some fuel volume is within limits
    double nLeast, nMost; // litres
    int nAdvice;          // -2: no advice needed; else the position advised (-1: none helps)
};

void PrintTo(const Worked& c, std::ostream* os)
{
    *os << c.pszName;
}

class WorkedFigures : public testing::TestWithParam<Worked>
{
};

TEST_P(WorkedFigures, ZeroFuelPointFuelAllowedAndAdvice)
{
    const Worked& c = GetParam();
    const _wbSetup s = aircraft(c.nBasicWeight, c.nBasicLongArm);
    const _wbPoint z = calcLoadedPoint(s, c.nSeat, c.nSeat, 0, c.nBallast);
    EXPECT_EQ(calcBeyondLimit(z), c.nZeroFuel);
    const _wbFuelRange r = fuelRange(s, c.nSeat, c.nSeat, c.nBallast);
    EXPECT_TRUE(r.bKnown);
    EXPECT_EQ(r.bAny, c.bAny);
    if (c.bAny) {
        EXPECT_NEAR(r.nLeast, c.nLeast, 5e-4);
        EXPECT_NEAR(r.nMost, c.nMost, 5e-4);
    }
    const _wbBallastAdvice a = fuelBallastAdvice(s, c.nSeat, c.nSeat, c.nFuel, c.nBallast);
    EXPECT_EQ(a.bNeeded ? a.nPosn : -2, c.nAdvice);
}

INSTANTIATE_TEST_SUITE_P(
    Loadings, WorkedFigures,
    testing::Values(
        // Within limits, in the forward caution band with the fuel burned.
        Worked{"Worked", 400, 2700, 80, 60, BALLAST_NONE, BEYOND_NONE, true, 0, 64.5, -2},
        // The weight limit binds: (680.3894 - 660) / 0.759.
        Worked{"Heavy", 500, 2700, 80, 20, BALLAST_NONE, BEYOND_NONE, true, 0, 26.8635, -2},
        // Forward of the limit once the fuel is burned: fuel is needed, and
        // the rear ballast puts both points within.
        Worked{"NoseHeavy", 400, 2690, 80, 60, BALLAST_NONE, BEYOND_FORWARD, true, 36.6512, 64.5, BALLAST_REAR},
        // Front ballast puts both out; rear is still the advice.
        Worked{"FrontChosen", 400, 2690, 80, 60, BALLAST_FRONT, BEYOND_FORWARD, false, 0, 0, BALLAST_REAR},
        Worked{"RearChosen", 400, 2690, 80, 60, BALLAST_REAR, BEYOND_NONE, true, 0, 64.5, -2},
        // No fuel volume is within limits, and no ballast position helps.
        Worked{"TooFarForward", 400, 2650, 95, 30, BALLAST_NONE, BEYOND_FORWARD, false, 0, 0, -1}),
    [](const testing::TestParamInfo<Worked>& p) { return std::string(p.param.pszName); });

TEST(ZeroFuel, WorkedPointToTheLastFigureAndEqualToTheTotalsWithoutFuel)
{
    calculateWorkedLoading();
    EXPECT_DOUBLE_EQ(m_wbFlight.points[POINT_NO_FUEL].nWeight, 560.0);
    EXPECT_NEAR(m_wbFlight.points[POINT_NO_FUEL].nLongMoment, 1368544.0, 1e-6);
    EXPECT_NEAR(m_wbFlight.points[POINT_NO_FUEL].nLongArm, 2443.8286, 5e-5);
    EXPECT_NEAR(m_wbFlight.points[POINT_NO_FUEL].nLatMoment, 400.0, 1e-9);
    EXPECT_NEAR(m_wbFlight.points[POINT_NO_FUEL].nLatArm, 0.7143, 5e-5);
    // With no fuel on board the zero-fuel point is the totals, bit for bit.
    m_wbLoad.nFuelVolume = 0;
    pwbCalcWB();
    EXPECT_EQ(m_wbFlight.points[POINT_NO_FUEL].nWeight, m_wbFlight.rows[ROW_TOTAL].nWeight);
    EXPECT_EQ(m_wbFlight.points[POINT_NO_FUEL].nLongArm, m_wbFlight.rows[ROW_TOTAL].nLongArm);
    EXPECT_EQ(m_wbFlight.points[POINT_NO_FUEL].nLatArm, m_wbFlight.rows[ROW_TOTAL].nLatArm);
    stateResetLoading();
}

TEST(ZeroFuel, NoWeightOrNoNumberGivesNoRangeAndNoAdvice)
{
    for (double nWeight : {0.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
        const _wbSetup s = aircraft(nWeight);
        const _wbFuelRange r = fuelRange(s, 0, 0, BALLAST_NONE);
        EXPECT_FALSE(r.bKnown) << nWeight;
        EXPECT_FALSE(std::isfinite(calcLoadedPoint(s, 0, 0, 0, BALLAST_NONE).nLongArm) && nWeight == 0) << nWeight;
    }
    // An empty aircraft has arms of no number: beyond no limit, so no advice.
    const _wbSetup s = aircraft(0, 0);
    EXPECT_EQ(calcBeyondLimit(calcLoadedPoint(s, 0, 0, 0, BALLAST_NONE)), BEYOND_NONE);
    EXPECT_FALSE(fuelBallastAdvice(s, 0, 0, 0, BALLAST_NONE).bNeeded);
}

TEST(FuelRange, AgreesWithAVolumeByVolumeCheck)
{
    // Random aircraft and loadings: every tenth of a litre in the tank is
    // within limits exactly when it lies in the range (away from its edges,
    // where the two sums may round apart).
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> weight(250, 600), arm(2550, 2800), lat(-40, 40), seat(0, 110);
    int nInside = 0, nOutside = 0;
    for (int i = 0; i < 300; i++) {
        _wbSetup s = aircraft(weight(rng), arm(rng));
        s.nBasicLatArm = lat(rng);
        m_wbSetup = s;
        const double nLeft = seat(rng), nRight = seat(rng);
        const guint nBallast = static_cast<guint>(rng() % 3);
        const _wbFuelRange r = fuelRange(s, nLeft, nRight, nBallast);
        ASSERT_TRUE(r.bKnown);
        for (int k = 0; k <= 645; k++) {
            const double nFuel = k / 10.0;
            if (r.bAny && (std::fabs(nFuel - r.nLeast) < 1e-6 || std::fabs(nFuel - r.nMost) < 1e-6))
                continue;
            const bool bWithin = calcBeyondLimit(calcLoadedPoint(s, nLeft, nRight, nFuel, nBallast)) == BEYOND_NONE;
            const bool bInRange = r.bAny && nFuel >= r.nLeast && nFuel <= r.nMost;
            ASSERT_EQ(bWithin, bInRange) << "case " << i << ", " << nFuel << " L";
            (bWithin ? nInside : nOutside)++;
        }
    }
    EXPECT_GT(nInside, 1000); // both kinds of volume were really met
    EXPECT_GT(nOutside, 1000);
}

std::vector<uint32_t> drawChart(const _chartInput& what);

// The chart for the worked loading at 500 × 500, as ARGB words; with the
// burn-off on or off, to a zero-fuel point of the test's own.
std::vector<uint32_t> drawChart(bool bBurnOff, const _wbPoint& zeroFuel)
{
    _chartInput what = pwbChartInput();
    what.bShowBurnOff = bBurnOff;
    what.zeroFuel = zeroFuel;
    return drawChart(what);
}

// The chart of what, at 500 × 500, as ARGB words.
std::vector<uint32_t> drawChart(const _chartInput& what)
{
    pwbCreateAttrLists();
    cairo_surface_t* psurf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 500, 500);
    cairo_t* pCr = cairo_create(psurf);
    pwbDrawChart(pCr, 500, 500, what);
    cairo_destroy(pCr);
    cairo_surface_flush(psurf);
    std::vector<uint32_t> v(500 * 500);
    const int nStride = cairo_image_surface_get_stride(psurf);
    for (int y = 0; y < 500; y++)
        memcpy(&v[y * 500], cairo_image_surface_get_data(psurf) + y * nStride, 500 * 4);
    cairo_surface_destroy(psurf);
    return v;
}

struct BurnOff {
    const char* pszName;
    double nLongIn, nLatIn; // the zero-fuel point
    uint32_t nColour;       // of the ring: opaque blue inside the chart area, red outside
};

void PrintTo(const BurnOff& c, std::ostream* os)
{
    *os << c.pszName;
}

class BurnOffOverlay : public testing::TestWithParam<BurnOff>
{
};

TEST_P(BurnOffOverlay, RingAndLineWhereTheGeometryPutsThemOnlyWhenOn)
{
    // The worked loading at take-off; a zero-fuel point far from it, so the
    // line crosses open chart.
    calculateWorkedLoading();
    _wbPoint z{};
    z.nLongArm = GetParam().nLongIn * 25.4;
    z.nLatArm = GetParam().nLatIn * 25.4;

    // Off, the zero-fuel point changes no pixel: the picture is today's.
    const std::vector<uint32_t> off = drawChart(false, z);
    EXPECT_EQ(off, drawChart(false, _wbPoint{}));

    const std::vector<uint32_t> on = drawChart(true, z);
    const _chartGeometry g = pwbChartGeometry(500, 500);
    auto xOf = [&](double nLatIn) { return std::clamp(250 + static_cast<int>(nLatIn * g.nXLineIntv), 0, 500); };
    auto yOf = [&](double nLongIn) {
        return std::clamp(450 - static_cast<int>((99.0 - nLongIn) * g.nYLineIntv), 0, 500);
    };
    const int nX = xOf(GetParam().nLatIn), nY = yOf(GetParam().nLongIn);
    const int nXTakeOff = xOf(m_wbFlight.rows[ROW_TOTAL].nLatArm / 25.4),
              nYTakeOff = yOf(m_wbFlight.rows[ROW_TOTAL].nLongArm / 25.4);
    auto at = [](const std::vector<uint32_t>& v, int x, int y) { return v[static_cast<size_t>(y) * 500 + x]; };
    // The ring: its rim in the colour, its centre left as it was.
    EXPECT_EQ(at(on, nX + 8, nY), GetParam().nColour) << std::hex << at(on, nX + 8, nY);
    EXPECT_EQ(at(on, nX - 8, nY), GetParam().nColour);
    EXPECT_EQ(at(on, nX, nY + 8), GetParam().nColour);
    EXPECT_EQ(at(on, nX + 3, nY + 2), at(off, nX + 3, nY + 2));
    // The line: drawn half-way between the two points.
    const int nXMid = (nX + nXTakeOff) / 2, nYMid = (nY + nYTakeOff) / 2;
    EXPECT_NE(at(on, nXMid, nYMid), at(off, nXMid, nYMid));
    // Nothing else moved: what differs lies within the line's and the
    // ring's box.
    for (int y = 0; y < 500; y++) {
        for (int x = 0; x < 500; x++) {
            if (at(on, x, y) != at(off, x, y)) {
                ASSERT_TRUE(x >= std::min(nX, nXTakeOff) - 11 && x <= std::max(nX, nXTakeOff) + 11 &&
                            y >= std::min(nY, nYTakeOff) - 11 && y <= std::max(nY, nYTakeOff) + 11)
                    << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Points, BurnOffOverlay,
                         testing::Values(BurnOff{"InsideTheChart", 98.0, -0.5, 0xff0000ffu},
                                         // forward of the square: clamped to its top edge
                                         BurnOff{"ForwardOfTheChart", 95.6, 0.6, 0xffff0000u}),
                         [](const testing::TestParamInfo<BurnOff>& p) { return std::string(p.param.pszName); });

} // namespace

namespace
{

// The trip: the landing point and the fuel to carry against worked figures,
// and the fuel density an aircraft may have.
TEST(Trip, LandingPointFuelToCarryAndDensityAgainstWorkedFigures)
{
    calculateWorkedLoading(); // 60 L on board
    m_wbLoad.nTripFuel = 20;  // lands with 40 L: 560 kg and 30.36 kg of fuel
    pwbCalcWB();
    EXPECT_NEAR(m_wbFlight.points[POINT_LANDING].nWeight, 590.36, 1e-9);
    EXPECT_NEAR(m_wbFlight.points[POINT_LANDING].nLongMoment, 1368544.0 + 30.36 * 2540.0, 1e-6);
    m_wbLoad.nTripFuel = 70; // more than there is: lands with none
    pwbCalcWB();
    EXPECT_EQ(m_wbFlight.points[POINT_LANDING].nWeight, m_wbFlight.points[POINT_NO_FUEL].nWeight);
    m_wbLoad.nTripFuel = 0; // no trip: the take-off point to the last digit
    pwbCalcWB();
    EXPECT_EQ(m_wbFlight.points[POINT_LANDING].nLongArm, m_wbFlight.rows[ROW_TOTAL].nLongArm);
    stateResetLoading();

    // Nose-heavy: at least 36.6512 L at take-off; a 20 L trip needs 56.6512,
    // and 36.6512 must stay on board; a 30 L trip does not fit the tank.
    const _wbSetup s = aircraft(400, 2690);
    const _wbTripFuel t = fuelTripRange(s, 80, 80, BALLAST_NONE, 20);
    EXPECT_NEAR(t.takeOff.nLeast, 56.6512, 5e-4);
    EXPECT_EQ(t.takeOff.nMost, 64.5);
    EXPECT_NEAR(t.nKeep, 36.6512, 5e-4);
    EXPECT_FALSE(fuelTripRange(s, 80, 80, BALLAST_NONE, 30).takeOff.bAny);

    // 60 L at 0.72 kg/L weigh 43.2 kg; a density that cannot be, or none,
    // weighs as before, to the last digit.
    _wbSetup d = aircraft();
    for (const auto& [nDensity, nWeight] : {std::pair{0.72, 43.2}, {1.2, 60 * 0.759}, {0.0, 60 * 0.759}}) {
        d.nFuelDensity = nDensity;
        EXPECT_NEAR(calcRows(d, {80, 80, 60, BALLAST_NONE})[ROW_FUEL].nWeight, nWeight, nDensity == 0.72 ? 1e-12 : 0)
            << nDensity;
    }
}

// The landing mark lies on the burn-off line, and only with a trip: a
// zero-fuel point straight aft of take-off, the landing point half-way.
TEST(Trip, LandingMarkOnTheBurnOffLineOnlyWithATrip)
{
    calculateWorkedLoading();
    _chartInput what = pwbChartInput();
    what.bShowBurnOff = true;
    what.zeroFuel = what.takeOff;
    what.zeroFuel.nLongArm += 25.4;
    what.landing = what.takeOff;
    what.landing.nLongArm += 12.7;
    const std::vector<uint32_t> line = drawChart(what);
    what.bLanding = true;
    const std::vector<uint32_t> marked = drawChart(what);
    const _chartGeometry g = pwbChartGeometry(500, 500);
    const int nX = 250 + static_cast<int>(what.landing.nLatArm / 25.4 * g.nXLineIntv);
    const int nY = 450 - static_cast<int>((99.0 - what.landing.nLongArm / 25.4) * g.nYLineIntv);
    EXPECT_NE(marked[static_cast<size_t>(nY) * 500 + nX + 4], line[static_cast<size_t>(nY) * 500 + nX + 4]);
    EXPECT_EQ(marked[static_cast<size_t>(nY) * 500 + nX + 9], line[static_cast<size_t>(nY) * 500 + nX + 9]);
    stateResetLoading();
}

} // namespace
