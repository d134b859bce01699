// Fuel planning: the zero-fuel point, the fuel a loading allows and the
// ballast advice against the worked figures and against brute force; and
// the burn-off drawn on the chart.
#include "model/fuel.h"
#include "model/remedy.h"
#include "model/room.h"
#include "model/words.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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
    return calcWithFixedArms(s);
}

// The worked loading on the worked aircraft: 80 kg a seat, 60 litres, no
// ballast, the trip given; calculated.
_wbFlight calculateWorkedLoading(double nFuel = 60, double nTrip = 0)
{
    return pwbCalcWB(aircraft(), {80, 80, nFuel, BALLAST_NONE, nTrip, FALSE});
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
    const _wbFuelRange r = fuelRange(s, {c.nSeat, c.nSeat, 0, c.nBallast});
    EXPECT_TRUE(r.bKnown);
    EXPECT_EQ(r.bAny, c.bAny);
    if (c.bAny) {
        EXPECT_NEAR(r.nLeast, c.nLeast, 5e-4);
        EXPECT_NEAR(r.nMost, c.nMost, 5e-4);
    }
    const _wbBallastAdvice a = fuelBallastAdvice(s, {c.nSeat, c.nSeat, c.nFuel, c.nBallast});
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
    _wbFlight f = calculateWorkedLoading();
    EXPECT_DOUBLE_EQ(f.points[POINT_NO_FUEL].nWeight, 560.0);
    EXPECT_NEAR(f.points[POINT_NO_FUEL].nLongMoment, 1368544.0, 1e-6);
    EXPECT_NEAR(f.points[POINT_NO_FUEL].nLongArm, 2443.8286, 5e-5);
    EXPECT_NEAR(f.points[POINT_NO_FUEL].nLatMoment, 400.0, 1e-9);
    EXPECT_NEAR(f.points[POINT_NO_FUEL].nLatArm, 0.7143, 5e-5);
    // With no fuel on board the zero-fuel point is the totals, bit for bit.
    f = calculateWorkedLoading(0);
    EXPECT_EQ(f.points[POINT_NO_FUEL].nWeight, f.rows[ROW_TOTAL].nWeight);
    EXPECT_EQ(f.points[POINT_NO_FUEL].nLongArm, f.rows[ROW_TOTAL].nLongArm);
    EXPECT_EQ(f.points[POINT_NO_FUEL].nLatArm, f.rows[ROW_TOTAL].nLatArm);
}

TEST(ZeroFuel, NoWeightOrNoNumberGivesNoRangeAndNoAdvice)
{
    for (double nWeight : {0.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
        const _wbSetup s = aircraft(nWeight);
        const _wbFuelRange r = fuelRange(s, {0, 0, 0, BALLAST_NONE});
        EXPECT_FALSE(r.bKnown) << nWeight;
        EXPECT_FALSE(std::isfinite(calcLoadedPoint(s, 0, 0, 0, BALLAST_NONE).nLongArm) && nWeight == 0) << nWeight;
    }
    // An empty aircraft has arms of no number: beyond no limit, so no advice.
    const _wbSetup s = aircraft(0, 0);
    EXPECT_EQ(calcBeyondLimit(calcLoadedPoint(s, 0, 0, 0, BALLAST_NONE)), BEYOND_NONE);
    EXPECT_FALSE(fuelBallastAdvice(s, {0, 0, 0, BALLAST_NONE}).bNeeded);
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
        const double nLeft = seat(rng), nRight = seat(rng);
        const guint nBallast = static_cast<guint>(rng() % 3);
        const _wbFuelRange r = fuelRange(s, {nLeft, nRight, 0, nBallast});
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

// The fuel and ballast worked together over every point of the flight,
// in words, against loadings worked by hand on the worked aircraft (its
// basic arms changed), in each fuel unit.
struct Plan {
    const char* pszName;
    double nBasicLongArm, nBasicLatArm, nLeft, nRight, nFuel, nTrip;
    guint nBallast;
    _unitFuel nUnit;
    const char* pszFuel;
    const char* pszBallast;
    double nMarginAft = 0; // the school's, mm inside the aft limit
};

void PrintTo(const Plan& c, std::ostream* os)
{
    *os << c.pszName;
}

class JointAdvice : public testing::TestWithParam<Plan>
{
};

TEST_P(JointAdvice, FindsTheLoadingThatFliesAndNeverContradictsTheVerdict)
{
    const Plan& c = GetParam();
    _wbSetup s = aircraft(c.nBasicLongArm < 2700 ? 400 : 440, c.nBasicLongArm);
    s.nBasicLatArm = c.nBasicLatArm;
    s.nUnitFuel = c.nUnit;
    s.nMarginAft = c.nMarginAft;
    const _wbFlight f = calcJudgeFlight(s, {c.nLeft, c.nRight, c.nFuel, c.nBallast}, c.nTrip);
    const _wbFuelPlan plan = wrdFuelPlanOf(f, s, true);
    EXPECT_EQ(wrdFuelAdviceText(f, plan, s, true), zt::inLocale(c.pszFuel));
    EXPECT_EQ(wrdBallastAdviceText(f, plan, s), zt::inLocale(c.pszBallast));
    // Whatever position and fuel the advice could name flies: the flight is
    // within at both ends of every position's range.
    for (guint nPosn : {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR}) {
        const _wbFuelRange& r = plan.at[nPosn].takeOff;
        for (double nFuel : {r.nLeast, r.nMost}) {
            const bool bWithin = calcJudgeFlight(s, {c.nLeft, c.nRight, nFuel, nPosn}, c.nTrip).within();
            EXPECT_TRUE(!r.bAny || bWithin) << nPosn << " " << nFuel;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Loadings, JointAdvice,
    testing::Values(
        // 400 kg at 2700 mm, 80 kg a seat: within with any fuel.
        Plan{"Within", 2700, 1, 80, 80, 60, 0, BALLAST_NONE, UNIT_FUEL_LITRE,
             "Mass and balance allow up to 64.5 L at take-off", ""},
        // 440 kg at 2700 mm, 80 + 70 kg: 590 kg at 2472.05 mm with no fuel.
        // A school's aft margin of 40 mm keeps 2474.6 (590 + 0.759 f) >=
        // 1458510 + 0.759 x 2540 f: f <= 30.30 L, and 54 L is beyond it; the
        // front ballast (10 kg at 2000 mm) brings it inside.
        Plan{"TheSchoolsAftMargin", 2700, 1, 80, 70, 54, 19, BALLAST_NONE, UNIT_FUEL_LITRE,
             "Mass and balance allow 19.0 to 30.2 L at take-off\nwith a 19.0 L trip (no reserve included)",
             "Fit the ballast at the front", 40},
        // A 45 mm margin (2469.6 mm) leaves no fuel that keeps it without
        // ballast; with it at the front, 600 kg at 2464.18 mm: f <= 3250 /
        // (0.759 x 70.4) = 60.82 L.
        Plan{"OnlyBallastKeepsTheSchoolsMargin", 2700, 1, 80, 70, 40, 19, BALLAST_NONE, UNIT_FUEL_LITRE,
             "Fit the ballast at the front and carry 19.0 to 60.8 L at take-off\nwith a 19.0 L trip (no reserve "
             "included)",
             "Fit the ballast at the front", 45},
        // Two heavy occupants (95 + 90 kg) on 440 kg at 2700 mm: forward of the
        // limit at 2434.61 mm with the fuel burned; rear ballast puts it at
        // 2443.50 mm, and the weight allows (680.39 - 635) / 0.759 = 59.80 L,
        // less the 20 L trip's landing: 20.0 to 59.8 L. Full tanks fly at no
        // position: the ballast advice names the one that flies with less.
        Plan{"HeavyPairFullTanks", 2700, 1, 95, 90, 64.5, 20, BALLAST_NONE, UNIT_FUEL_LITRE,
             "With the fuel burned this loading is forward of the limit: fit the ballast at the rear and carry 20.0 "
             "to 59.8 L at take-off\nwith a 20.0 L trip (no reserve included)",
             "Fit the ballast at the rear"},
        Plan{"HeavyPairUSGallons", 2700, 1, 95, 90, 64.5, 20, BALLAST_NONE, UNIT_FUEL_USGAL,
             "With the fuel burned this loading is forward of the limit: fit the ballast at the rear and carry 5.3 "
             "to 15.7 US gal at take-off\nwith a 5.3 US gal trip (no reserve included)",
             "Fit the ballast at the rear"},
        Plan{"HeavyPairImperialGallons", 2700, 1, 95, 90, 64.5, 20, BALLAST_NONE, UNIT_FUEL_IMPGAL,
             "With the fuel burned this loading is forward of the limit: fit the ballast at the rear and carry 4.4 "
             "to 13.1 imp gal at take-off\nwith a 4.4 imp gal trip (no reserve included)",
             "Fit the ballast at the rear"},
        // Fitted at the rear already, at 64.5 L only the fuel is wrong.
        Plan{"HeavyPairRearOverfilled", 2700, 1, 95, 90, 64.5, 20, BALLAST_REAR, UNIT_FUEL_LITRE,
             "Mass and balance allow 20.0 to 59.8 L at take-off\nwith a 20.0 L trip (no reserve included)",
             "No ballast position helps"},
        // A 60 kg solo in the right seat on 400 kg at 2630 mm and -20 mm: aft
        // of the limit at 2522.18 mm with the fuel burned, whatever the trip
        // leaves; front ballast puts it at 2511.07 mm and fuel stays within
        // to the tank: the trip (14 US gal) to 64.5 L.
        Plan{"SoloAftWithTheFuelBurned", 2630, -20, 0, 60, 60, 52.99, BALLAST_NONE, UNIT_FUEL_USGAL,
             "At take-off and with the fuel burned this loading is aft of the limit: fit the ballast at the front and "
             "carry 14.0 to "
             "17.0 US gal at take-off\nwith a 14.0 US gal trip (no reserve included)",
             "Fit the ballast at the front"},
        // 10 L on board for a 30 L trip: the landing is no landing, so no
        // position flies with it; front ballast does with the trip's fuel.
        Plan{"TripOverTheFuel", 2630, -20, 0, 60, 10, 30, BALLAST_REAR, UNIT_FUEL_LITRE,
             "At take-off and with the fuel burned this loading is aft of the limit: fit the ballast at the front and "
             "carry 30.0 to "
             "64.5 L at take-off\nwith a 30.0 L trip (no reserve included)",
             "Fit the ballast at the front"},
        // A seat over its limit: neither fuel nor ballast helps, less weight
        // in it does, down to where the aft limit stops it.
        Plan{"SeatOver", 2700, 1, 100, 80, 40, 10, BALLAST_NONE, UNIT_FUEL_LITRE,
             "No loading of fuel and ballast is within limits: the left seat holds 100.0 kg whatever the fuel and "
             "ballast (limit 95.2 kg); it flies with 33.4 to 95.2 kg in the left seat instead of 100.0 kg",
             "No ballast position helps"},
        // A trip of 6.7 US gal, typed and kept in litres: the least is 6.7.
        Plan{"TripTypedInGallons", 2700, 1, 80, 80, unitFuelToLitres(6.7, UNIT_FUEL_USGAL),
             unitFuelToLitres(6.7, UNIT_FUEL_USGAL), BALLAST_NONE, UNIT_FUEL_USGAL,
             "Mass and balance allow 6.7 to 17.0 US gal at take-off\nwith a 6.7 US gal trip (no reserve included)",
             ""}),
    [](const testing::TestParamInfo<Plan>& p) { return std::string(p.param.pszName); });

std::vector<uint32_t> drawChart(const _chartInput& what);

// The chart for the worked loading at 500 × 500, as ARGB words; with the
// burn-off on or off, to a zero-fuel point of the test's own.
std::vector<uint32_t> drawChart(bool bBurnOff, const _wbPoint& zeroFuel)
{
    _chartInput what = pwbChartInputOf(calculateWorkedLoading(), false);
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
    uint32_t nColour;       // of the ring: opaque blue inside the chart area, red outside; 0 for an edge arrow
};

void PrintTo(const BurnOff& c, std::ostream* os)
{
    *os << c.pszName;
}

class BurnOffOverlay : public testing::TestWithParam<BurnOff>
{
};

TEST_P(BurnOffOverlay, RingOrEdgeArrowAndLineWhereTheGeometryPutsThemOnlyWhenOn)
{
    // The worked loading at take-off; a zero-fuel point far from it, so the
    // line crosses open chart.
    const _wbFlight f = calculateWorkedLoading();
    _wbPoint z{};
    z.nLongArm = GetParam().nLongIn * 25.4;
    z.nLatArm = GetParam().nLatIn * 25.4;

    // Off, the zero-fuel point changes no pixel: the picture is today's.
    const std::vector<uint32_t> off = drawChart(false, z);
    EXPECT_EQ(off, drawChart(false, _wbPoint{}));

    // On, against the burn-off ending on the take-off point itself.
    const std::vector<uint32_t> on = drawChart(true, z);
    const std::vector<uint32_t> base = drawChart(true, f.points[POINT_TAKE_OFF]);
    const _chartGeometry g = pwbChartGeometry(500, 500);
    auto xOf = [&](double nLatIn) { return std::clamp(250 + static_cast<int>(nLatIn * g.nXLineIntv), 0, 500); };
    auto yOf = [&](double nLongIn) {
        return std::clamp(450 - static_cast<int>((99.0 - nLongIn) * g.nYLineIntv), 0, 500);
    };
    const int nX = xOf(GetParam().nLatIn), nY = yOf(GetParam().nLongIn);
    const int nXTakeOff = xOf(f.rows[ROW_TOTAL].nLatArm / 25.4), nYTakeOff = yOf(f.rows[ROW_TOTAL].nLongArm / 25.4);
    auto at = [](const std::vector<uint32_t>& v, int x, int y) { return v[static_cast<size_t>(y) * 500 + x]; };
    // The ring: its rim in the colour, its centre left as it was; beyond
    // the square, a red arrow on its edge and its arm written beside it.
    int nSlack = 11;
    if (GetParam().nColour) {
        EXPECT_EQ(at(on, nX + 8, nY), GetParam().nColour) << std::hex << at(on, nX + 8, nY);
        EXPECT_EQ(at(on, nX - 8, nY), GetParam().nColour);
        EXPECT_EQ(at(on, nX, nY + 8), GetParam().nColour);
        EXPECT_EQ(at(on, nX + 3, nY + 2), at(base, nX + 3, nY + 2));
    } else {
        EXPECT_EQ(at(on, nX, 6), 0xffff0000u) << std::hex << at(on, nX, 6);
        int nLabel = 0;
        for (int x = nX + 6; x < 500; x++)
            nLabel += at(on, x, 9) != at(base, x, 9);
        EXPECT_GT(nLabel, 5);
        nSlack = 120;
    }
    // The line: drawn half-way between the two points.
    const int nXMid = (nX + nXTakeOff) / 2, nYMid = (nY + nYTakeOff) / 2;
    EXPECT_NE(at(on, nXMid, nYMid), at(base, nXMid, nYMid));
    // Nothing else moved: what differs lies within the line's and the
    // mark's box.
    for (int y = 0; y < 500; y++) {
        for (int x = 0; x < 500; x++) {
            if (at(on, x, y) != at(base, x, y)) {
                ASSERT_TRUE(x >= std::min(nX, nXTakeOff) - 11 && x <= std::max(nX, nXTakeOff) + nSlack &&
                            y >= std::min(nY, nYTakeOff) - 11 && y <= std::max(nY, nYTakeOff) + 11)
                    << x << "," << y;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Points, BurnOffOverlay,
                         testing::Values(BurnOff{"InsideTheChart", 98.0, -0.5, 0xff0000ffu},
                                         // forward of the square: an arrow on its top edge
                                         BurnOff{"ForwardOfTheChart", 95.6, 0.6, 0}),
                         [](const testing::TestParamInfo<BurnOff>& p) { return std::string(p.param.pszName); });

// The load sheet's chart: every point the flight judges, whatever the
// pilot's burn-off choice; a take-off point beyond the square is an arrow on
// its edge, where the page draws its marker clamped, half cut off.
TEST(SheetChart, EveryJudgedPointAndAnEdgeArrowForAPointBeyond)
{
    _wbFlight f = calculateWorkedLoading(60, 20);
    const std::vector<uint32_t> page = drawChart(pwbChartInputOf(f, false));
    const std::vector<uint32_t> sheet = drawChart(pwbSheetChartInputOf(f));
    const _chartGeometry g = pwbChartGeometry(500, 500);
    auto at = [](const std::vector<uint32_t>& v, int x, int y) { return v[static_cast<size_t>(y) * 500 + x]; };
    auto xy = [&](const _wbPoint& p) {
        return std::pair{250 + static_cast<int>(p.nLatArm / 25.4 * g.nXLineIntv),
                         450 - static_cast<int>((99.0 - p.nLongArm / 25.4) * g.nYLineIntv)};
    };
    // The landing's diamond and the no-fuel ring, on the sheet only.
    const auto [xLanding, yLanding] = xy(f.points[POINT_LANDING]);
    const auto [xNoFuel, yNoFuel] = xy(f.points[POINT_NO_FUEL]);
    EXPECT_NE(at(sheet, xLanding + 2, yLanding), at(page, xLanding + 2, yLanding));
    EXPECT_NE(at(sheet, xNoFuel + 8, yNoFuel), at(page, xNoFuel + 8, yNoFuel));

    // Far aft of the square: the page's marker is clamped to the bottom edge
    // with its cross's arm up to 30 px above it; the sheet's is an arrow.
    f.points[POINT_TAKE_OFF].nLongArm = 2640;
    const std::vector<uint32_t> pageAft = drawChart(pwbChartInputOf(f, false));
    const std::vector<uint32_t> sheetAft = drawChart(pwbSheetChartInputOf(f));
    const int x = xy(f.points[POINT_TAKE_OFF]).first;
    EXPECT_EQ(at(pageAft, x, 474), 0xffff0000u);
    EXPECT_NE(at(sheetAft, x, 474), 0xffff0000u);
    EXPECT_EQ(at(sheetAft, x, 493), 0xffff0000u) << std::hex << at(sheetAft, x, 493);
}

} // namespace

namespace
{

// The trip: the landing point and the fuel to carry against worked figures,
// and the fuel density an aircraft may have.
TEST(Trip, LandingPointFuelToCarryAndDensityAgainstWorkedFigures)
{
    _wbFlight f = calculateWorkedLoading(60, 20); // 60 L on board, lands with 40 L: 560 kg and 30.36 kg of fuel
    EXPECT_NEAR(f.points[POINT_LANDING].nWeight, 590.36, 1e-9);
    EXPECT_NEAR(f.points[POINT_LANDING].nLongMoment, 1368544.0 + 30.36 * 2540.0, 1e-6);
    f = calculateWorkedLoading(60, 70); // more than there is: lands with none
    EXPECT_EQ(f.points[POINT_LANDING].nWeight, f.points[POINT_NO_FUEL].nWeight);
    f = calculateWorkedLoading(60, 0); // no trip: the take-off point to the last digit
    EXPECT_EQ(f.points[POINT_LANDING].nLongArm, f.rows[ROW_TOTAL].nLongArm);

    // Nose-heavy: at least 36.6512 L at take-off; a 20 L trip needs 56.6512,
    // and 36.6512 must stay on board; a 30 L trip does not fit the tank.
    const _wbSetup s = aircraft(400, 2690);
    const _wbTripFuel t = fuelTripRange(s, {80, 80, 0, BALLAST_NONE}, 20);
    EXPECT_NEAR(t.takeOff.nLeast, 56.6512, 5e-4);
    EXPECT_EQ(t.takeOff.nMost, 64.5);
    EXPECT_NEAR(t.nKeep, 36.6512, 5e-4);
    EXPECT_FALSE(fuelTripRange(s, {80, 80, 0, BALLAST_NONE}, 30).takeOff.bAny);

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
    _chartInput what = pwbChartInputOf(calculateWorkedLoading(), false);
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
}

} // namespace

namespace
{

// Where nothing flies: the limit no fuel or ballast brings back and what
// would, on the worked aircraft with its arms changed, worked by hand.
struct Remedy {
    const char* pszName;
    double nBasicWeight, nBasicLongArm, nBasicLatArm, nLeft, nRight, nFuel, nTrip;
    _unitWt nUnitWt;
    const char* pszFuel;
    const char* pszBallast;
};

void PrintTo(const Remedy& c, std::ostream* os)
{
    *os << c.pszName;
}

class ReasonAndRemedy : public testing::TestWithParam<Remedy>
{
};

TEST_P(ReasonAndRemedy, NamesTheLimitAndAChangeThatFlies)
{
    const Remedy& c = GetParam();
    _wbSetup s = aircraft(c.nBasicWeight, c.nBasicLongArm);
    s.nBasicLatArm = c.nBasicLatArm;
    s.nUnitWt = c.nUnitWt;
    const _wbLoading l = {c.nLeft, c.nRight, c.nFuel, BALLAST_NONE};
    const _wbFlight f = calcJudgeFlight(s, l, c.nTrip);
    EXPECT_EQ(wrdFuelAdviceText(f, wrdFuelPlanOf(f, s, true), s, true), zt::inLocale(c.pszFuel));
    EXPECT_EQ(wrdBallastAdviceText(f, wrdFuelPlanOf(f, s, true), s), zt::inLocale(c.pszBallast));
    // Each change said, applied at both ends, leaves advice of a loading
    // that flies.
    const _remWhy w = remWhy(s, l, c.nTrip);
    ASSERT_TRUE(w.bNothingFlies);
    for (const _remSeat& seat : w.seats)
        for (double nKg : {seat.nLeast, seat.nMost}) {
            _wbLoading at = l;
            (seat.nSeat == ROW_LSEAT ? at.nLSeatWeight : at.nRSeatWeight) = nKg;
            const _wbFlight g = calcJudgeFlight(s, at, c.nTrip);
            EXPECT_FALSE(remWhy(s, at, c.nTrip).bNothingFlies) << seat.nSeat << " " << nKg;
            EXPECT_FALSE(wrdFuelAdviceText(g, wrdFuelPlanOf(g, s, true), s, true).starts_with("No loading"));
        }
    if (w.nLongestTrip > 0) {
        EXPECT_FALSE(remWhy(s, l, w.nLongestTrip).bNothingFlies);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Loadings, ReasonAndRemedy,
    testing::Values(
        // A 60 kg solo on the right (+260.35 mm) of 400 kg at 2600 mm and
        // +10 mm: (4000 + 15621) / 460 = 42.65 mm, and a full tank with the
        // ballast, (19621 + 155.4) / 519.0 = 38.10 mm; ballast lies on the
        // centre line, so the least is 41.747 mm with the ballast and no
        // fuel, shown toward the limit as a bound: 41.74 mm or more. A second occupant x at -260.35 mm: (19621 - 260.35
        // x) / (470 + x) <= 22.352 from x = 32.25 kg, with the rear ballast; from 48.05 kg the centre of gravity is
        // forward whatever the fuel.
        Remedy{"LateralSolo", 400, 2600, 10, 0, 60, 30, 0, UNIT_WT_KG,
               "No loading of fuel and ballast is within limits: the lateral centre of gravity is 41.74 mm or more "
               "right of the centre line at one point of the flight, whatever the fuel and ballast (limit 22.35 "
               "mm); it flies with a second occupant of "
               "32.3 to 48.0 kg in the left seat",
               "No ballast position helps"},
        Remedy{"LateralSoloInPounds", 400, 2600, 10, 0, 60, 30, 0, UNIT_WT_LB,
               "No loading of fuel and ballast is within limits: the lateral centre of gravity is 41.74 mm or more "
               "right of the centre line at one point of the flight, whatever the fuel and ballast (limit 22.35 "
               "mm); it flies with a second occupant of "
               "71.1 to 105.9 lb in the left seat",
               "No ballast position helps"},
        // 500 + 95 + 95 = 690.0 kg with no fuel: 9.61 kg over; a seat of at
        // most 85.39 kg, and from 41.5 kg (left) the ballast at the rear
        // keeps the centre of gravity forward of the aft limit.
        Remedy{"HeavyPair", 500, 2700, 1, 95, 95, 20, 0, UNIT_WT_KG,
               "No loading of fuel and ballast is within limits: the weight is 690.0 kg or more at one point of the "
               "flight, whatever the fuel and ballast "
               "(limit 680.3 kg); it flies with 41.5 to 85.3 kg in the left seat instead of 95.0 kg, or 37.9 to "
               "85.3 kg in the right seat instead of 95.0 kg",
               "No ballast position helps"},
        // A 40 L trip on 660 kg: 660 + 40 x 0.759 = 690.36 kg at take-off;
        // the weight allows (680.39 - 660) / 0.759 = 26.86 L.
        Remedy{"OverWeightByTheTrip", 500, 2700, 1, 80, 80, 40, 40, UNIT_WT_KG,
               "No loading of fuel and ballast is within limits: the weight is 690.3 kg or more at one point of the "
               "flight, whatever the fuel and ballast "
               "(limit 680.3 kg); it flies with 44.2 to 70.0 kg in the left seat instead of 80.0 kg, or 44.2 to 70.0 "
               "kg in the right seat instead of 80.0 kg, or a trip of at most 26.8 L",
               "No ballast position helps"},
        // 400 kg at 2660 mm with a 60 kg solo and a 52.99 L trip: aft at
        // (1192204 + 40.22 x 2540) / 510.22 = 2536.872 mm with the front
        // ballast and the trip's fuel (2536.87 mm or further aft); a second occupant brings it forward.
        Remedy{"AftSolo", 400, 2660, -20, 0, 60, 60, 52.99, UNIT_WT_KG,
               "No loading of fuel and ballast is within limits: the centre of gravity is at 2536.87 mm or further aft "
               "at one point of the flight, whatever the "
               "fuel and ballast (aft limit 2514.60 mm); it flies with a second occupant of 16.0 to 76.1 kg in the "
               "left seat",
               "No ballast position helps"}),
    [](const testing::TestParamInfo<Remedy>& p) { return std::string(p.param.pszName); });

// The room left at each station and the limit that binds first, worked with
// exact fractions from the limit rows (seats at 1803.4 mm, fuel 0.759 kg/L
// at 2540 mm unless the aircraft says, 680.3894 kg, 2441.575 to 2514.6 mm,
// 95.2545 kg a seat, 64.5 L). NAN: the station is not fitted.
struct Room {
    const char* pszName;
    _roomWhy nWhy; // ROOM_NOT_JUDGED: a value doubted
    const char* pszWords;
    bool bWritten;                      // in pounds and US gallons
    double nBasicLongArm, nFuelLongArm; // mm; the tank's 0 for the fixed arm
    std::vector<_wbLegFuel> legs;
    std::array<double, ROOM_STATIONS> room{}; // kg, L; NAN: not fitted
    double nMarginAft = 0;                    // mm inside the aft limit
};

class RoomLeft : public testing::TestWithParam<Room>
{
};

TEST_P(RoomLeft, EachStationsRoomAndTheLimitThatBindsFirst)
{
    const Room& c = GetParam();
    _wbSetup s = aircraft(400, c.nBasicLongArm);
    s.nFuelLongArm = c.nFuelLongArm > 0 ? c.nFuelLongArm : s.nFuelLongArm;
    s.nUnitWt = c.bWritten ? UNIT_WT_LB : UNIT_WT_KG;
    s.nUnitFuel = c.bWritten ? UNIT_FUEL_USGAL : UNIT_FUEL_LITRE;
    s.nMarginAft = c.nMarginAft;
    const _roomLeft r = roomLeft(s, c.legs, 0, c.nWhy == ROOM_NOT_JUDGED);
    EXPECT_EQ(r.nWhy, c.nWhy);
    for (int i = 0; i < ROOM_STATIONS && c.nWhy == ROOM_FITS; i++) {
        EXPECT_EQ(r.at[i].bHas, !std::isnan(c.room[i])) << i;
        EXPECT_NEAR(r.at[i].bHas ? r.at[i].nRoom : 0, std::isnan(c.room[i]) ? 0 : c.room[i], 1e-9) << i;
    }
    EXPECT_EQ(roomText(r, s), zt::inLocale(c.pszWords));
}

using Leg = _wbLegFuel;
INSTANTIATE_TEST_SUITE_P(
    Fuel, RoomLeft,
    testing::Values(
        // 400 kg at 2800 mm, 90 kg a seat, 40 L: W = 15259/25 kg at 2493.16
        // mm; each seat's own limit leaves 210/2.20462 - 90 = 579210/110231
        // kg (11.58 lb), the tank 49/2 L (6.47 US gal).
        Room{"SeatLimit",
             ROOM_FITS,
             "Still fits: left seat 11.5 lb, right seat 11.5 lb, fuel 6.4 US gal. Limited by the left seat's limit at "
             "take-off",
             true,
             2800,
             0,
             {Leg{{90, 90, 40, BALLAST_NONE}, 0, false}},
             {579210.0 / 110231, 579210.0 / 110231, 24.5, NAN}},
        // A tank at 2300 mm, ahead of the centre of gravity, and 10 kg of
        // ballast at the rear (3000 mm), 80 kg a seat, 20 L: with no fuel
        // W = 570 kg, M = 1430544 kg mm; the aft limit keeps
        // 2514.6 (570 + b) >= 1430544 + 3000 b, b <= 4630/809 kg, less than
        // a seat's 1681520/110231 kg and the tank's 89/2 L (33.78 kg).
        Room{"AftWithTheFuelBurned",
             ROOM_FITS,
             "Still fits: left seat 15.2 kg, right seat 15.2 kg, fuel 44.5 L, ballast 5.7 kg. Limited by the aft "
             "limit with the fuel burned",
             false,
             2780,
             2300,
             {Leg{{80, 80, 20, BALLAST_REAR}, 0, false}},
             {1681520.0 / 110231, 1681520.0 / 110231, 44.5, 4630.0 / 809}},
        // 400 kg at 2762 mm; leg 1 80 + 80 kg, 40 L, a 20 L trip; leg 2
        // 80 + 60 kg on the 20 L landed: W = 555.18 kg, M = 1395833.2 kg mm.
        // Fuel added at the first take-off reaches it: 2514.6 (555.18 +
        // 0.759 f) >= 1395833.2 + 0.759 x 2540 f, f <= 1112140/96393 L,
        // less than the tank's 24.5 L and the seats' own limits.
        Room{"ALaterLeg",
             ROOM_FITS,
             "Still fits: left seat 15.2 kg, right seat 15.2 kg, fuel 11.5 L. Limited by the aft limit at take-off "
             "on leg 2",
             false,
             2762,
             0,
             {Leg{{80, 80, 40, BALLAST_NONE}, 20, false}, Leg{{80, 60, 20, BALLAST_NONE}, 10, true}},
             {1681520.0 / 110231, 1681520.0 / 110231, 1112140.0 / 96393, NAN}},
        // 400 kg at 2780 mm, 80 kg a seat, 40 L: W = 590.36 kg at 2502.98
        // mm, and a school's aft margin of 11 mm puts its line at 2503.6 mm:
        // 2503.6 (590.36 + 0.759 f) >= 1477658.4 + 0.759 x 2540 f, f <=
        // 39880/3003 L (10.08 kg), less than a seat's 15.25 kg.
        Room{"TheSchoolsMargin",
             ROOM_FITS,
             "Still fits: left seat 15.2 kg, right seat 15.2 kg, fuel 13.2 L. Limited by the school's aft margin at "
             "take-off",
             false,
             2780,
             0,
             {Leg{{80, 80, 40, BALLAST_NONE}, 0, false}},
             {1681520.0 / 110231, 1681520.0 / 110231, 39880.0 / 3003, NAN},
             11},
        // The same with a 13 mm margin: the take-off at 2502.98 mm is
        // beyond its line at 2501.6 mm.
        Room{"BeyondTheSchoolsMargin",
             ROOM_NOT_IN_MARGINS,
             "Nothing more fits: this loading is beyond the school's margins",
             false,
             2780,
             0,
             {Leg{{80, 80, 40, BALLAST_NONE}, 0, false}},
             {},
             13},
        // The seat-limit loading (610.36 kg) where it may hover at 613 kg
        // at take-off: 66/25 kg more, 880/253 L of fuel; at 600 kg nothing.
        Room{"TheHoverFigure",
             ROOM_FITS,
             "Still fits: left seat 2.6 kg, right seat 2.6 kg, fuel 3.4 L. Limited by the hover figure at take-off",
             false,
             2800,
             0,
             {Leg{{90, 90, 40, BALLAST_NONE}, 0, false, {613, INFINITY, INFINITY}}},
             {66.0 / 25, 66.0 / 25, 880.0 / 253, NAN}},
        Room{"OverTheHoverFigure",
             ROOM_NOT_WITHIN,
             "Nothing more fits: this loading is not within limits",
             false,
             2800,
             0,
             {Leg{{90, 90, 40, BALLAST_NONE}, 0, false, {600, INFINITY, INFINITY}}}},
        Room{"ASeatBeyond",
             ROOM_NOT_WITHIN,
             "Nothing more fits: this loading is not within limits",
             false,
             2700,
             0,
             {Leg{{100, 80, 60, BALLAST_NONE}, 0, false}}},
        Room{"AValueDoubted",
             ROOM_NOT_JUDGED,
             "Nothing more fits while a value cannot be judged",
             false,
             2700,
             0,
             {Leg{{80, 80, 60, BALLAST_NONE}, 0, false}}}),
    [](const testing::TestParamInfo<Room>& p) { return std::string(p.param.pszName); });

} // namespace

namespace
{

// A leg's need by the fuel rule: flow L/h, reserve min, contingency %,
// taxi L; on board and trip L; the taxi counted; what it needs and its
// words, or nothing known.
struct NeedCase {
    const char* pszName;
    double nFlow, nReserve, nContingency, nTaxi, nOnBoard, nTrip;
    bool bTaxi;
    bool bKnown;
    double nRequired;
    bool bShort;
    const char* pszWords;
};

// 40.5 L/h for 20 min is 13.5 L; 5 % of 20 L is 1 L. 38 L/h for 20 min is
// 12 2/3 L, so 30 L with a 20 L trip lands with 10 L, under the reserve.
const NeedCase NEED_CASES[] = {
    {"dual", 40.5, 20, 5, 2, 60, 20, true, true, 36.5, false,
     "Needs 36.5 L: taxi 2.0, trip 20.0, contingency 1.0, reserve 13.5 (20 min); 60.0 L on board, 23.5 L more"},
    {"after a stop as landed: no taxi", 40.5, 20, 5, 2, 60, 20, false, true, 34.5, false, nullptr},
    {"landing below the reserve", 38, 20, 0, 0, 30, 20, true, true, 32 + 2.0 / 3, true,
     "Needs 32.7 L: trip 20.0, reserve 12.7 (20 min); 30.0 L on board, 2.7 L short"},
    {"exactly enough", 36, 10, 10, 0, 28, 20, true, true, 28, false, nullptr},
    // A 20-minute trip at 38 L/h: 12 2/3 + 1 4/15 + 12 2/3 = 26.6 L exactly,
    // whose parts read 12.7, 1.3 and 12.7: the need said is what they add to.
    {"parts that round up", 38, 20, 10, 0, 41, 38.0 / 3, false, true, 26.6, false,
     "Needs 26.7 L: trip 12.7, contingency 1.3, reserve 12.7 (20 min); 41.0 L on board, 14.3 L more"},
    {"a trip that is no trip needs the reserve alone", 60, 30, 50, 0, 30, -5, true, true, 30, false, nullptr},
    {"no fuel flow", 0, 20, 5, 2, 0, 20, true, false, 0, false, ""},
    {"a fuel flow no aircraft has", 600, 20, 0, 0, 60, 20, true, false, 0, false, ""},
    {"a reserve beyond two hours", 38, 121, 0, 0, 60, 20, true, false, 0, false, ""},
    {"a contingency beyond the trip", 38, 20, 101, 0, 60, 20, true, false, 0, false, ""},
    {"fuel that is no number", 38, 20, 0, 0, NAN, 20, true, false, 0, false, ""},
};

class Need : public ::testing::TestWithParam<NeedCase>
{
};

TEST_P(Need, PartsSumAndWords)
{
    const NeedCase& c = GetParam();
    _wbSetup s = aircraft();
    s.nFuelFlow = c.nFlow, s.nReserveMinutes = c.nReserve, s.nContingencyPercent = c.nContingency;
    s.nTaxiFuel = c.nTaxi;
    const _wbFuelNeed n = fuelNeed(s, c.nOnBoard, c.nTrip, c.bTaxi);
    EXPECT_EQ(n.bKnown, c.bKnown);
    EXPECT_NEAR(n.nRequired, c.nRequired, 1e-12);
    EXPECT_EQ(n.isShort(), c.bShort);
    if (c.pszWords) {
        EXPECT_EQ(wrdFuelNeedText(n, s), zt::inLocale(c.pszWords));
    }
}

INSTANTIATE_TEST_SUITE_P(Fuel, Need, ::testing::ValuesIn(NEED_CASES));

// Three legs: the first and the one after a stop that takes fuel on taxi,
// the one whose fuel is as landed does not; the headline names the short
// leg, and a flight of one leg names none.
TEST(Need, LegsTaxiAfterAStopAndTheHeadlineNamesTheShortLeg)
{
    _wbSetup s = aircraft();
    s.nFuelFlow = 40.5, s.nContingencyPercent = 5, s.nTaxiFuel = 2;
    _wbLoading l{};
    const std::vector<_wbLegFuel> legs = {
        {fuelWith(l, 60, 0), 20, false}, {fuelWith(l, 40, 0), 5, true}, {fuelWith(l, 30, 0), 20, false}};
    const std::vector<_wbFuelNeed> needs = fuelNeeds(s, legs);
    ASSERT_EQ(needs.size(), 3u);
    EXPECT_EQ(needs[0].nTaxi, 2);
    EXPECT_EQ(needs[1].nTaxi, 0);
    EXPECT_EQ(needs[2].nTaxi, 2);
    EXPECT_FALSE(fuelEnough(needs));
    EXPECT_EQ(wrdWithFuelNeeds("WITHIN LIMITS for every leg", needs, s),
              zt::inLocale("NOT ENOUGH FUEL: leg 3 needs 36.5 L, has 30.0 L; WITHIN LIMITS for every leg"));
    EXPECT_EQ(wrdFuelShortText({needs[2]}, s), zt::inLocale("NOT ENOUGH FUEL: needs 36.5 L, has 30.0 L"));
    EXPECT_EQ(wrdVerdictKind(wrdWithFuelNeeds("WITHIN LIMITS", needs, s)), "NOT ENOUGH FUEL");
    // The first take-off carries leg 2's need (5.0 + 0.3 + 13.5) on top of
    // leg 1's 20 L trip: 38.8 L, more than leg 1's own 36.5.
    const std::string strFirst = "First take-off: mass and balance allow up to ";
    EXPECT_EQ(wrdFirstTakeOffText({true, true, 0, 64.5}, s, legs, needs),
              zt::inLocale(strFirst + "64.5 L for every leg to the first stop that takes fuel on; carry 38.8 to 64.5 "
                                      "L: their trips and 20 min reserve"));
    EXPECT_EQ(wrdFirstTakeOffText({true, true, 0, 30}, s, legs, needs),
              zt::inLocale(strFirst + "30.0 L for every leg to the first stop that takes fuel on; the legs need 38.8 "
                                      "L, more than mass and balance allow"));
}

} // namespace
