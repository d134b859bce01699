// The loading calculation: the worked examples, each ballast position, and a
// total weight of 0.
#include "model/texts.h"
#include "model/words.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/record/filing.h"
#include "support.h"
#include "ui/misc.h"
#include "ui/pagWBPage.h"
#include "ui/sheet.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>

namespace
{

class Calculation : public testing::Test
{
  protected:
    void SetUp() override
    {
        // The worked example: 400 kg at 2700 mm and 1.0 mm, 80 kg a seat, 60 litres.
        s.nBasicWeight = 400;
        s.nBasicLongArm = 2700;
        s.nBasicLatArm = 1.0;
        l.nLSeatWeight = 80;
        l.nRSeatWeight = 80;
        l.nFuelVolume = 60;
    }
    void calc()
    {
        f = pwbCalcWB(s, l);
    }
    _wbSetup s = calcWithFixedArms({});
    _wbLoadState l = {};
    _wbFlight f = {};
};

TEST_F(Calculation, WorkedExample)
{
    calc();
    EXPECT_NEAR(f.rows[ROW_TOTAL].nWeight, 605.54, 1e-9);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLongMoment, 1484215.6, 1e-6);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLatMoment, 544.5895, 1e-9);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLongArm, 2451.0612, 5e-5);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLatArm, 0.8993, 5e-5);
    EXPECT_NEAR(f.rows[ROW_FUEL].nWeight, 45.54, 1e-12);
    EXPECT_EQ(f.rows[ROW_BALLAST].nWeight, 0.0);
    EXPECT_LE(f.rows[ROW_TOTAL].nWeight, MAX_TOTAL_WEIGHT);
    EXPECT_GE(f.rows[ROW_TOTAL].nLongArm, MIN_LONG_ARM);
    EXPECT_LE(f.rows[ROW_TOTAL].nLongArm, MAX_LONG_ARM);
    EXPECT_LE(std::fabs(f.rows[ROW_TOTAL].nLatArm), MAX_LAT_ARM);
}

struct BallastCase {
    const char* pszName;
    guint nPosn;
    double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm;
};

void PrintTo(const BallastCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class Ballast : public Calculation, public testing::WithParamInterface<BallastCase>
{
};

TEST_P(Ballast, CountsOnlyInItsPosition)
{
    s.nBallastWt = 10;
    s.nBallastRearLongArm = 3000;
    s.nBallastRearLatArm = 55; // never read: the rear position is on the centre line
    s.nBallastFrontLongArm = 1000;
    s.nBallastFrontLatArm = -20;
    l.nBallastPosn = GetParam().nPosn;
    calc();
    const BallastCase& c = GetParam();
    EXPECT_NEAR(f.rows[ROW_TOTAL].nWeight, c.nWeight, 1e-9);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLongMoment, c.nLongMoment, 1e-6);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLatMoment, c.nLatMoment, 1e-9);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLongArm, c.nLongArm, 5e-5);
    EXPECT_NEAR(f.rows[ROW_TOTAL].nLatArm, c.nLatArm, 5e-5);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, Ballast,
    testing::Values(BallastCase{"None", BALLAST_NONE, 605.54, 1484215.6, 544.5895, 2451.0612, 0.8993},
                    BallastCase{"Rear", BALLAST_REAR, 615.54, 1514215.6, 544.5895, 2459.9792, 0.8847},
                    BallastCase{"Front", BALLAST_FRONT, 615.54, 1494215.6, 344.5895, 2427.4874, 0.5598},
                    // only a hand-edited file brings another value: it acts as none
                    BallastCase{"OutOfRange", 7, 605.54, 1484215.6, 544.5895, 2451.0612, 0.8993}),
    [](const testing::TestParamInfo<BallastCase>& p) { return std::string(p.param.pszName); });

// The items' row is the change from the weighing, which the total takes on
// top of the aircraft as weighed; with no item changed, every digit is the
// weighed aircraft's.
TEST_F(Calculation, ItemsChangeTheAircraftAsWeighedOnlyWhereTheyDiffer)
{
    const _wbItem door = {"Left door", 5.4, 1850, -650, true}, hook = {"Hook", 2, 2500, 0, false};
    const _wbFlight bare = pwbCalcWB(s, l);
    const struct {
        const char* pszName;
        std::vector<_wbItem> items;
        std::vector<bool> fitted;
        double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm;
    } cases[] = {
        {"as weighed", {door, hook}, {}, 0, 0, 0, 0, 0},
        {"the door off", {door, hook}, {false, false}, -5.4, -9990, 3510, 1850, -650},
        {"the hook on", {door, hook}, {true, true}, 2, 5000, 0, 2500, 0},
        {"both: the moments net", {door, {"Step", 5.4, 1000, 10, false}}, {false, true}, 0, -4590, 3564, 0, 0},
    };
    for (const auto& c : cases) {
        s.items = c.items;
        l.fitted = c.fitted;
        calc();
        const _wbTableRow& r = f.rows[ROW_EQUIPMENT];
        EXPECT_NEAR(r.nWeight, c.nWeight, 1e-12) << c.pszName;
        EXPECT_NEAR(r.nLongMoment, c.nLongMoment, 1e-9) << c.pszName;
        EXPECT_NEAR(r.nLatMoment, c.nLatMoment, 1e-9) << c.pszName;
        EXPECT_NEAR(r.nLongArm, c.nLongArm, 1e-9) << c.pszName;
        EXPECT_NEAR(r.nLatArm, c.nLatArm, 1e-9) << c.pszName;
        EXPECT_EQ(f.rows[ROW_TOTAL].nWeight, bare.rows[ROW_TOTAL].nWeight + r.nWeight) << c.pszName;
        EXPECT_EQ(f.rows[ROW_TOTAL].nLongMoment, bare.rows[ROW_TOTAL].nLongMoment + r.nLongMoment) << c.pszName;
        // Every point of the flight carries the change.
        EXPECT_NEAR(f.points[POINT_NO_FUEL].nWeight, bare.points[POINT_NO_FUEL].nWeight + c.nWeight, 1e-9);
        EXPECT_EQ(f.loading.items.nDiffering > 0, c.nWeight != 0 || c.nLongMoment != 0) << c.pszName;
    }
}

TEST_F(Calculation, EmptyLoadingGivesTheBasicAircraft)
{
    l.nLSeatWeight = l.nRSeatWeight = l.nFuelVolume = 0;
    calc();
    EXPECT_EQ(f.rows[ROW_TOTAL].nWeight, 400);
    EXPECT_DOUBLE_EQ(f.rows[ROW_TOTAL].nLongArm, 2700);
    EXPECT_DOUBLE_EQ(f.rows[ROW_TOTAL].nLatArm, 1.0);
}

TEST_F(Calculation, SeatMomentsAreSignedAndCancelLaterally)
{
    s.nBasicLatArm = 0;
    l.nFuelVolume = 0;
    calc();
    EXPECT_DOUBLE_EQ(f.rows[ROW_LSEAT].nLatMoment, -f.rows[ROW_RSEAT].nLatMoment);
    EXPECT_EQ(f.rows[ROW_TOTAL].nLatMoment, 0.0);
}

TEST_F(Calculation, ZeroTotalWeightGivesNonFiniteArmsWithoutACrash)
{
    s.nBasicWeight = 0;
    l.nLSeatWeight = l.nRSeatWeight = l.nFuelVolume = 0;
    calc();
    EXPECT_EQ(f.rows[ROW_TOTAL].nWeight, 0.0);
    EXPECT_TRUE(std::isnan(f.rows[ROW_TOTAL].nLongArm));
    EXPECT_TRUE(std::isnan(f.rows[ROW_TOTAL].nLatArm));
    // A moment without weight (negative and positive seat loads) gives infinities.
    l.nLSeatWeight = -80;
    l.nRSeatWeight = 80;
    calc();
    EXPECT_EQ(f.rows[ROW_TOTAL].nWeight, 0.0);
    EXPECT_TRUE(std::isinf(f.rows[ROW_TOTAL].nLatArm));
}

// A point by hand, its moments those of its arms.
constexpr _wbPoint pointAt(double nWeight, double nLongArm, double nLatArm)
{
    return {nWeight, nWeight * nLongArm, nWeight * nLatArm, nLongArm, nLatArm};
}

// One loaded point for each limit that breaks it and no other, with its
// margin worked by hand from the limit as written (2.20462 lb a kg, 25.4 mm
// an inch).
struct BrokenAlone {
    _wbLimit nLimit;
    _wbPoint p;
    _wbLoading l;
    double nMargin;
};
constexpr _wbPoint FINE_POINT = pointAt(600, 2480, 0);
constexpr BrokenAlone BROKEN_ALONE[] = {
    {LIMIT_WEIGHT, pointAt(690, 2480, 0), {80, 80, 30, BALLAST_NONE}, 680.38936415 - 690}, // 1500 lb = 680.389364... kg
    {LIMIT_FORWARD, pointAt(600, 2440, 0), {80, 80, 30, BALLAST_NONE}, 2440 - 2441.575},   // 96.125 in = 2441.575 mm
    {LIMIT_AFT, pointAt(600, 2515, 0), {80, 80, 30, BALLAST_NONE}, 2514.6 - 2515},         // 99 in = 2514.6 mm
    {LIMIT_LEFT, pointAt(600, 2480, -23), {80, 80, 30, BALLAST_NONE}, 22.352 - 23},        // 0.88 in = 22.352 mm
    {LIMIT_RIGHT, pointAt(600, 2480, 23), {80, 80, 30, BALLAST_NONE}, 22.352 - 23},
    {LIMIT_LSEAT, FINE_POINT, {100, 80, 30, BALLAST_NONE}, 95.25451098 - 100}, // 210 lb = 95.254510... kg
    {LIMIT_RSEAT, FINE_POINT, {80, 100, 30, BALLAST_NONE}, 95.25451098 - 100},
    {LIMIT_TANK, FINE_POINT, {80, 80, 70, BALLAST_NONE}, 64.5 - 70},
};

TEST(Limits, EachBrokenAloneByItsMargin)
{
    bool bCase[LIMIT_COUNT] = {};
    for (const BrokenAlone& c : BROKEN_ALONE) {
        for (int nPoint = 0; nPoint < POINT_COUNT; nPoint++) {
            const bool bApplies = limApplies(LIM_ROWS[c.nLimit], static_cast<_wbFlightPoint>(nPoint));
            const _wbJudgement j = calcJudge(c.l, c.p, static_cast<_wbFlightPoint>(nPoint));
            for (const _limRow& r : LIM_ROWS)
                EXPECT_EQ(j.beyond(r.nId), bApplies && r.nId == c.nLimit) << "case " << c.nLimit << ", " << r.nId;
            if (bApplies)
                EXPECT_NEAR(j.limits[c.nLimit].nMargin, c.nMargin, 1e-6) << "case " << c.nLimit;
            else
                EXPECT_EQ(j.limits[c.nLimit].nMargin, INFINITY) << "case " << c.nLimit;
        }
        bCase[c.nLimit] = true;
    }
    for (const _limRow& r : LIM_ROWS)
        EXPECT_TRUE(bCase[r.nId]) << "limit " << r.nId << " has a loading that breaks it";
}

// Every limit of the table moved about what it reads of its broken loading,
// so that the value read lies well inside it, on it, a hair beyond it and
// well beyond it, with its margin.
class Judgement : public testing::TestWithParam<BrokenAlone>
{
};

TEST_P(Judgement, EachLimitInsideOnAndJustBeyondWithItsMargin)
{
    const BrokenAlone& c = GetParam();
    const _limRatio q = LIM_ROWS[c.nLimit].pfnQuantity(c.p, c.l);
    const double nRead = q.nOver / q.nUnder;
    _limRow r = LIM_ROWS[c.nLimit];
    const int nBeyond = r.nSense == SENSE_AT_MOST ? +1 : -1;               // beyond above the limit, or below it
    const double nHairInside = std::nextafter(nRead, -nBeyond * INFINITY); // the value read a hair beyond
    const struct {
        double nAt, nMargin;
        bool bBeyond;
    } steps[] = {{nRead + nBeyond * 2.5, 2.5, false},
                 {nRead, 0, false},
                 {nHairInside, -std::fabs(nHairInside - nRead), true},
                 {nRead - nBeyond * 4, -4, true}};
    for (const auto& step : steps) {
        r.nValue = r.nSense == SENSE_AT_LEAST_NEGATIVE ? -step.nAt : step.nAt;
        const _wbLimitCheck check = limCheck(r, c.p, c.l);
        EXPECT_NEAR(check.nMargin, step.nMargin, 1e-9) << "limit at " << step.nAt;
        EXPECT_EQ(check.bBeyond, step.bBeyond) << "limit at " << step.nAt;
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, Judgement, testing::ValuesIn(BROKEN_ALONE));

TEST(Judgement, NoNumberIsBeyondNothingAnInfinityBeyond)
{
    EXPECT_TRUE(calcJudge(_wbLoading{}, _wbPoint{0, 0, 0, NAN, NAN}).within()); // an empty aircraft
    EXPECT_TRUE(calcJudge(_wbLoading{}, pointAt(600, INFINITY, 0)).beyond(LIMIT_AFT));
}

// A setup with nothing but the fixed seat and fuel arms.
_wbSetup fixedArms(void)
{
    return calcWithFixedArms({});
}

// The verdict in words, of a point and of the whole flight, in the pilot's
// units: each limit alone, several at once, within with the nearest,
// breaches rounded up and margins down; every limit broken at every point,
// each once with its point, a landing after a trip longer than the fuel
// never within, unconfirmed figures said first. A row may move one point
// of its flight to a point no loading makes, to judge it alone.
struct VerdictCase {
    const char* pszName;
    _wbLoading l;
    double nTrip = 0;
    _unitWt nWt = UNIT_WT_KG;
    _unitLen nArm = UNIT_ARM_MM;
    _unitFuel nFuel = UNIT_FUEL_LITRE;
    double nBasicWeight = 400, nBasicLongArm = 2700;
    guint nUnconfirmed = 0;
    std::optional<_wbPoint> p = {}; // the point moved, at nAt
    _wbFlightPoint nAt = POINT_TAKE_OFF;
    const char* pszPoint = nullptr;  // the words of the point at nAt
    const char* pszFlight = nullptr; // the flight's words
};

void PrintTo(const VerdictCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class VerdictWords : public testing::TestWithParam<VerdictCase>
{
};

TEST_P(VerdictWords, NameEveryLimitBrokenOrTheNearest)
{
    const VerdictCase& c = GetParam();
    _wbSetup s = fixedArms();
    s.nBasicWeight = c.nBasicWeight, s.nBasicLongArm = c.nBasicLongArm, s.nBasicLatArm = 1.0;
    s.nUnconfirmed = c.nUnconfirmed;
    s.nUnitWt = c.nWt, s.nUnitArm = c.nArm, s.nUnitFuel = c.nFuel;
    _wbFlight f = calcJudgeFlight(s, c.l, c.nTrip);
    if (c.p) {
        const _wbLoading at = {c.l.nLSeatWeight, c.l.nRSeatWeight,
                               c.nAt == POINT_LANDING ? f.nLandingFuel : c.l.nFuelVolume, c.l.nBallastPosn};
        f.points[c.nAt] = pointAt(c.p->nWeight, c.p->nLongArm, c.p->nLatArm);
        f.judged[c.nAt] = calcJudge(at, f.points[c.nAt], c.nAt);
    }
    if (c.pszPoint) {
        EXPECT_EQ(wrdPointVerdictText(f, c.nAt, s), zt::inLocale(c.pszPoint));
    }
    if (c.pszFlight) {
        EXPECT_EQ(wrdFlightVerdictText(f, s), zt::inLocale(c.pszFlight));
        EXPECT_EQ(f.within(), std::string_view(c.pszFlight).starts_with("WITHIN LIMITS for"));
    }
}

constexpr _wbLoading FINE = {80, 80, 30, BALLAST_NONE};
constexpr _wbLoading FLOWN = {80, 80, 60, BALLAST_NONE};
INSTANTIATE_TEST_SUITE_P(
    Loadings, VerdictWords,
    testing::Values(
        VerdictCase{.pszName = "NearestIsTheWeight",
                    .l = FINE,
                    .nWt = UNIT_WT_LB,
                    .nArm = UNIT_ARM_INCH,
                    .p = _wbPoint{676.3, 0, 0, 2480, 0},
                    .pszPoint = "WITHIN LIMITS; centre of gravity 1.36 in forward of the aft limit; 9.0 lb below the "
                                "maximum weight"},
        VerdictCase{.pszName = "NearestIsForward",
                    .l = FINE,
                    .p = _wbPoint{600, 0, 0, 2443, 0},
                    .pszPoint = "WITHIN LIMITS; caution: maximum tailwind in the hover 10 MPH (8 kt); centre of "
                                "gravity 1.42 mm aft of the forward limit"},
        VerdictCase{.pszName = "OverWeight",
                    .l = FINE,
                    .nWt = UNIT_WT_LB,
                    .nArm = UNIT_ARM_INCH,
                    .p = _wbPoint{684, 0, 0, 2480, 0},
                    .pszPoint = "OUT OF LIMITS: over the maximum weight by 8.0 lb"},
        // A breach of a hair reads as no figure would: the point shows the
        // limit's own 99.00 in.
        VerdictCase{.pszName = "AftByAHair",
                    .l = FINE,
                    .nArm = UNIT_ARM_INCH,
                    .p = _wbPoint{600, 0, 0, 2514.6000001, 0},
                    .pszPoint = "OUT OF LIMITS: aft of the limit by less than 0.0001 in"},
        VerdictCase{.pszName = "AftByAStep",
                    .l = FINE,
                    .nArm = UNIT_ARM_INCH,
                    .p = _wbPoint{600, 0, 0, 2514.6 + 0.2, 0}, // 99.0079 in
                    .pszPoint = "OUT OF LIMITS: aft of the limit by 0.01 in"},
        VerdictCase{.pszName = "RightSeatAndTank",
                    .l = {80, 97.5, 70, BALLAST_NONE},
                    .nWt = UNIT_WT_LB,
                    .p = _wbPoint{600, 0, 0, 2480, 0},
                    .pszPoint = "OUT OF LIMITS: right seat over its 210 lb limit by 5.0 lb; fuel beyond the tank's "
                                "64.5 L by 5.5 L"},
        // The seat's limit inward to the entries' decimal, and a breach
        // rounded up.
        VerdictCase{.pszName = "SeatInKilograms",
                    .l = {95.3, 80, 30, BALLAST_NONE},
                    .p = _wbPoint{600, 0, 0, 2480, 0},
                    .pszPoint = "OUT OF LIMITS: left seat over its 95.2 kg (210 lb) limit by 0.1 kg"},
        // A tank over by a hair in gallons: the fuel shows 17.0 US gal as the
        // tank does, so both to the hundredth, where they part.
        VerdictCase{.pszName = "TankByAHairInGallons",
                    .l = {80, 80, 64.5034, BALLAST_NONE},
                    .nFuel = UNIT_FUEL_USGAL,
                    .p = _wbPoint{600, 0, 0, 2480, 0},
                    .pszPoint = "OUT OF LIMITS: fuel beyond the tank's 17.03 US gal (64.5 L) by 0.01 US gal"},
        // One precision for each kind: the seat's breach needs none more,
        // the weight's the thousandth of a pound.
        VerdictCase{.pszName = "OnePrecisionAKind",
                    .l = {96, 80, 30, BALLAST_NONE},
                    .nWt = UNIT_WT_LB,
                    .p = _wbPoint{680.3914, 0, 0, 2480, 0},
                    .pszPoint = "OUT OF LIMITS: over the maximum weight by 0.005 lb; left seat over its 210 lb limit "
                                "by 1.644 lb"},
        // Within: the centre of gravity's margin, and the seat's, nearer by
        // its span.
        VerdictCase{.pszName = "CgMarginAndANearerSeat",
                    .l = {95.0, 80, 30, BALLAST_NONE},
                    .p = _wbPoint{600, 0, 0, 2441.575 + 0.71, 0},
                    .pszPoint = "WITHIN LIMITS; caution: maximum tailwind in the hover 10 MPH (8 kt); centre of "
                                "gravity 0.71 mm aft of the forward limit; 0.2 kg below the left seat's limit"},
        // The lateral margin where it is the nearer.
        VerdictCase{.pszName = "LateralNearer",
                    .l = FINE,
                    .p = _wbPoint{600, 0, 0, 2478, 20},
                    .pszPoint = "WITHIN LIMITS; centre of gravity 36.42 mm aft of the forward limit and 2.35 mm "
                                "inside the right limit"},
        VerdictCase{.pszName = "SoloOutAftAndLeft",
                    .l = {90, 0, 10, BALLAST_NONE},
                    .p = _wbPoint{500, 0, 0, 2520, -30},
                    .pszPoint = "OUT OF LIMITS: aft of the limit by 5.40 mm; left of the lateral limit by 7.65 mm"},
        VerdictCase{.pszName = "OnTheLateralEdge",
                    .l = FINE,
                    .p = _wbPoint{600, 0, 0, 2480, 22.352},
                    .pszPoint = "OUT OF LIMITS: on the lateral limit, which the chart reads as beyond it"},
        VerdictCase{.pszName = "NothingEntered",
                    .l = {},
                    .nBasicWeight = 0,
                    .nBasicLongArm = 0,
                    .p = _wbPoint{0, 0, 0, NAN, NAN},
                    .pszPoint = "NO LOADING ENTERED",
                    .pszFlight = "NO LOADING ENTERED"},
        VerdictCase{.pszName = "WithinWithATrip",
                    .l = FLOWN,
                    .nTrip = 20,
                    .pszFlight = "WITHIN LIMITS for take-off, landing and with no fuel \u2014 caution: maximum "
                                 "tailwind in the hover 10 MPH (8 kt)"},
        VerdictCase{.pszName = "WithoutATrip",
                    .l = FLOWN,
                    .pszFlight = "WITHIN LIMITS for take-off and with no fuel \u2014 caution: maximum tailwind in the "
                                 "hover 10 MPH (8 kt)"},
        // The headline says every caution any point of the flight is in.
        VerdictCase{.pszName = "WithinBothCautions",
                    .l = FLOWN,
                    .p = _wbPoint{600, 0, 0, 2500, 0},
                    .pszFlight = "WITHIN LIMITS for take-off and with no fuel \u2014 caution: maximum speed 95 MPH "
                                 "(82 kt); maximum tailwind in the hover 10 MPH (8 kt)"},
        VerdictCase{.pszName = "TripAndFuelReadAlike",
                    .l = {80, 80, 25.0, BALLAST_NONE},
                    .nTrip = 25.1,
                    .nFuel = UNIT_FUEL_USGAL,
                    .nAt = POINT_LANDING,
                    .pszPoint = "not possible: the trip (6.63 US gal) is more than the fuel on board (6.60 US gal)"},
        VerdictCase{.pszName = "TripAndFuelReadAlikeToTheLast",
                    .l = {80, 80, 25.0, BALLAST_NONE},
                    .nTrip = 25.0001,
                    .nAt = POINT_LANDING,
                    .pszPoint = "not possible: the trip is more than the fuel on board"},
        VerdictCase{.pszName = "TripOverTheFuel",
                    .l = {80, 80, 15, BALLAST_NONE},
                    .nTrip = 20,
                    .nAt = POINT_LANDING,
                    .pszPoint = "not possible: the trip (20.0 L) is more than the fuel on board (15.0 L)",
                    .pszFlight = "NOT WITHIN LIMITS: landing not possible: the trip (20.0 L) is more than the fuel on "
                                 "board (15.0 L)"},
        // Take-off within; the landing and the dry aircraft forward.
        VerdictCase{.pszName = "TwoPointsOut",
                    .l = {90, 85, 50, BALLAST_NONE},
                    .nTrip = 40,
                    .nBasicLongArm = 2715,
                    .pszFlight = "NOT WITHIN LIMITS: landing forward of the limit by 2.69 mm; with no fuel forward of "
                                 "the limit by 4.02 mm"},
        // A seat is the loading's: said once, not at each point.
        VerdictCase{.pszName = "SeatOverAtEveryPoint",
                    .l = {96, 80, 60, BALLAST_NONE},
                    .nTrip = 20,
                    .nBasicLongArm = 2750,
                    .pszFlight = "NOT WITHIN LIMITS: left seat over its 95.2 kg (210 lb) limit by 0.8 kg"},
        VerdictCase{.pszName = "SeatOnItsLimit",
                    .l = {95.25451098148434, 80, 60, BALLAST_NONE}, // 210 / 2.20462 kg
                    .nBasicLongArm = 2750,
                    .pszFlight = "WITHIN LIMITS for take-off and with no fuel"},
        VerdictCase{.pszName = "CopiedFigures",
                    .l = FLOWN,
                    .nUnconfirmed = 2,
                    // The caution still stands beside figures not confirmed.
                    .pszFlight = "Basic weight and arms not confirmed for this aircraft \u2014 caution: maximum "
                                 "tailwind in the hover 10 MPH (8 kt)"},
        // A landing alone out of limits (the envelope being convex, no
        // loading makes one, but the words must not hide it) is named with
        // its point.
        VerdictCase{.pszName = "ALandingAloneOutIsNamed",
                    .l = FLOWN,
                    .nTrip = 20,
                    .p = _wbPoint{590.36, 0, 0, 2441.575 - 1.6, 0}, // 400 + 80 + 80 + 40 × 0.759 kg,
                    .nAt = POINT_LANDING,
                    .pszFlight = "NOT WITHIN LIMITS: landing forward of the limit by 1.60 mm"}),
    [](const testing::TestParamInfo<VerdictCase>& p) { return std::string(p.param.pszName); });

// The school's margins judged at every point, worked by hand in exact fractions
// on the worked example's aircraft: 80 + 80 kg with 60, 20 and 0 L at 2451.0612,
// 2446.3667 and 2443.8286 mm; 60 + 95 kg with 30 and 0 L at 2453.1609 and
// 2449.5982 mm, lateral 16.5889 and 17.1392 mm; 577.77 and 555 kg.
struct MarginCase {
    const char* pszName;
    struct {
        std::array<double, 4> margins; // forward, aft, lateral (mm), weight (kg)
        _wbLoading l;
        double nTrip, nBasicWeight;
        std::array<unsigned, POINT_COUNT> beyond; // the margins beyond at each point, as bits
    } f;
    const char* pszWords; // what the flight's verdict says of them
};

void PrintTo(const MarginCase& c, std::ostream* os)
{
    *os << c.pszName;
}

using SchoolMargins = testing::TestWithParam<MarginCase>;

constexpr const char* TAILWIND = "WITHIN LIMITS for take-off and with no fuel \u2014 caution: maximum tailwind in "
                                 "the hover 10 MPH (8 kt)";

TEST_P(SchoolMargins, AreJudgedAtEveryPointInsideTheCertifiedLimits)
{
    const auto& c = GetParam().f;
    _wbSetup s = fixedArms();
    s.nBasicWeight = c.nBasicWeight, s.nBasicLongArm = 2700, s.nBasicLatArm = 1.0;
    std::tie(s.nMarginForward, s.nMarginAft, s.nMarginLateral, s.nMarginWeight) =
        std::tuple(c.margins[0], c.margins[1], c.margins[2], c.margins[3]);
    const _wbFlight f = calcJudgeFlight(s, c.l, c.nTrip);
    for (int n = 0; n < POINT_COUNT; n++) {
        EXPECT_TRUE(f.judged[n].within()) << "the certified limits stay as they are, point " << n;
        for (int m = 0; m < MARGIN_COUNT && f.hasPoint(static_cast<_wbFlightPoint>(n)); m++)
            EXPECT_EQ(f.judged[n].margins[m].bBeyond, (c.beyond[n] >> m & 1) != 0) << "point " << n << " margin " << m;
    }
    EXPECT_EQ(f.within(), (c.beyond == std::array<unsigned, POINT_COUNT>{}));
    // Within: both loadings' caution first; beyond one alone, still within the certified limits.
    const std::string strWords = f.within() ? std::string(TAILWIND) + GetParam().pszWords
                                            : "NOT WITHIN THE SCHOOL'S MARGINS: " + std::string(GetParam().pszWords) +
                                                  "; within the certified limits";
    EXPECT_EQ(wrdFlightVerdictText(f, s), zt::inLocale(strWords));
}

constexpr unsigned FWD = 1u << MARGIN_FORWARD, AFT = 1u << MARGIN_AFT, RIGHT = 1u << MARGIN_RIGHT,
                   WT = 1u << MARGIN_WEIGHT;
constexpr _wbLoading AFT_RIGHT = {60, 95, 30, BALLAST_NONE};
constexpr MarginCase MARGIN_CASES[] = {
    // Nearest by its span: 2443.8286 - 2443.575 with no fuel, rounded down.
    {"WithinBoth",
     {{2, 10, 5, 20}, FLOWN, 0, 400, {}},
     "; within the certified limits, 0.25 mm inside the school's forward margin with no fuel"},
    // 2447.5862 and 2443.8286 against 2448.575, rounded up.
    {"BrokenForward",
     {{7, 0, 0, 0}, FINE, 0, 400, {FWD, 0, FWD}},
     "take-off beyond the school's forward margin by 0.99 mm; with no fuel beyond the school's forward margin by "
     "4.75 mm"},
    // 2452.6 - 2453.1609 at take-off; 2449.5982 with no fuel is inside.
    {"BrokenAft",
     {{0, 62, 0, 0}, AFT_RIGHT, 0, 400, {AFT, 0, 0}},
     "take-off beyond the school's aft margin by 0.57 mm"},
    // 16.352 - 16.5889 and 16.352 - 17.1392 on the right.
    {"BrokenLateral",
     {{0, 0, 6, 0}, AFT_RIGHT, 0, 400, {RIGHT, 0, RIGHT}},
     "take-off beyond the school's right margin by 0.24 mm; with no fuel beyond the school's right margin by 0.79 mm"},
    // 450 kg basic: 655.54 kg against 680.3894 - 30; 610 kg with no fuel.
    {"BrokenWeight",
     {{0, 0, 0, 30}, FLOWN, 0, 450, {WT, 0, 0}},
     "take-off beyond the school's weight margin by 5.2 kg"},
    // 2451.0612 is inside 2446.575; the 40 L trip lands at 2446.3667.
    {"BrokenOnlyAtLanding",
     {{5, 0, 0, 0}, FLOWN, 40, 400, {0, FWD, FWD}},
     "landing beyond the school's forward margin by 0.21 mm; with no fuel beyond the school's forward margin by "
     "2.75 mm"},
    {"NoneSet", {{0, 0, 0, 0}, FINE, 0, 400, {}}, ""},
};
INSTANTIATE_TEST_SUITE_P(Margins, SchoolMargins, testing::ValuesIn(MARGIN_CASES),
                         [](const testing::TestParamInfo<MarginCase>& p) { return std::string(p.param.pszName); });

// Every figure in words rounded toward safety at the entries' decimals, in
// the pilot's units: a margin down, a limit inward, a breach up and never
// to nothing; a value as its field shows it; and where two figures of one
// sentence read alike, the decimals that tell them apart (none where a
// hair reads alike at all of them: "" for both).
struct Rounding {
    const char* pszName;
    _unitKind nKind;
    bool bOther; // lb, in or US gal, not kg, mm or L
    double nA;   // internal units
    _txtRound nA_;
    const char* pszA;
    double nB = NAN; // the figure read beside it, if any
    _txtRound nB_ = ROUND_NEAREST;
    const char* pszB = nullptr;
};

TEST(Rounding, EveryFigureInWordsReadsTheSafeWay)
{
    const Rounding cases[] = {
        {"MarginDown", KIND_WEIGHT, false, 88.6436, ROUND_MARGIN, "88.6"},
        {"MarginDownInPounds", KIND_WEIGHT, true, 4.1, ROUND_MARGIN, "9.0"}, // 9.039 lb
        {"MarginDownInInches", KIND_ARM, true, 0.71, ROUND_MARGIN, "0.02"},  // 0.02795 in
        {"WeightLimitInward", KIND_WEIGHT, false, MAX_TOTAL_WEIGHT, ROUND_LIMIT_MOST, "680.3"},
        {"WrittenInchesExact", KIND_ARM, true, MAX_LONG_ARM, ROUND_LIMIT_MOST, "99.00"},
        {"ForwardLimitInwardIsUp", KIND_ARM, false, MIN_LONG_ARM, ROUND_LIMIT_LEAST, "2441.58"},
        {"LeftLimitInward", KIND_ARM, false, -MAX_LAT_ARM, ROUND_LIMIT_LEAST, "-22.35"},
        {"TankInGallonsInward", KIND_FUEL, true, MAX_FUEL_VOLUME, ROUND_LIMIT_MOST, "17.0"},
        {"BreachUp", KIND_WEIGHT, false, 0.0455, ROUND_BREACH, "0.1"},
        {"BreachOfAHairIsAStep", KIND_ARM, true, 1e-7, ROUND_BREACH, "0.01"},
        {"ValueNearest", KIND_FUEL, true, 64.5034, ROUND_NEAREST, "17.0"},
        {"NoSignOnNothing", KIND_ARM, false, -0.001, ROUND_NEAREST, "0.00"},
        {"NoSignOnANegativeZero", KIND_ARM, false, -0.0, ROUND_NEAREST, "0.00"}, // an empty seat's moment
        // The fuel reads 17.0 US gal, as the tank does inward: to the
        // hundredth they part.
        {"OverTheTankByAHairInGallons", KIND_FUEL, true, 64.5034, ROUND_NEAREST, "17.04", MAX_FUEL_VOLUME,
         ROUND_LIMIT_MOST, "17.03"},
        {"OverWeightInPounds", KIND_WEIGHT, true, MAX_TOTAL_WEIGHT + 0.002, ROUND_NEAREST, "1500.004", MAX_TOTAL_WEIGHT,
         ROUND_LIMIT_MOST, "1500.000"},
        {"AftByAHairReadsAlikeInInches", KIND_ARM, true, MAX_LONG_ARM + 1e-7, ROUND_NEAREST, "", MAX_LONG_ARM,
         ROUND_LIMIT_MOST, ""},
        {"AftByAHairReadsAlikeInMillimetres", KIND_ARM, false, MAX_LONG_ARM + 1e-7, ROUND_NEAREST, "", MAX_LONG_ARM,
         ROUND_LIMIT_MOST, ""},
    };
    for (const Rounding& c : cases) {
        SCOPED_TRACE(c.pszName);
        _wbSetup u{};
        u.nUnitWt = c.bOther ? UNIT_WT_LB : UNIT_WT_KG;
        u.nUnitArm = c.bOther ? UNIT_ARM_INCH : UNIT_ARM_MM;
        u.nUnitFuel = c.bOther ? UNIT_FUEL_USGAL : UNIT_FUEL_LITRE;
        const double a = unitToShown(c.nKind, c.nA, u), b = unitToShown(c.nKind, c.nB, u);
        int d = txtDecimals(c.nKind);
        if (c.pszB) {
            d = txtDecimalsApart(a, c.nA_, b, c.nB_, d);
            EXPECT_EQ(d < 0 ? "" : txtRounded(b, c.nB_, d), zt::inLocale(c.pszB));
        }
        EXPECT_EQ(d < 0 ? "" : txtRounded(a, c.nA_, d), zt::inLocale(c.pszA));
    }
}

// A trip that is negative or no number counts as none, and the landing is
// never heavier than the take-off, on the page as in the judgement.
TEST(Trip, NegativeOrNoNumberCountsAsNoneAndTheLandingIsNeverHeavier)
{
    const struct {
        double nTrip, nFuel, nCounts, nLandingFuel;
    } cases[] = {{-5, 30, 0, 30}, {NAN, 30, 0, 30}, {INFINITY, 30, 0, 30}, {0, 30, 0, 30},
                 {5, 30, 5, 25},  {20, 15, 20, 0},  {5, -10, 5, -10},      {-5, -10, 0, -10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nTrip) + " L trip, " + std::to_string(c.nFuel) + " L on board");
        EXPECT_EQ(calcTripOf(c.nTrip), c.nCounts);
        EXPECT_EQ(calcLandingFuel(c.nFuel, c.nTrip), c.nLandingFuel);
        _wbSetup s = fixedArms();
        s.nBasicWeight = 400, s.nBasicLongArm = 2700;
        const _wbLoadState l = {80, 80, c.nFuel, BALLAST_NONE, c.nTrip, FALSE};
        const _wbFlight f = pwbCalcWB(s, l);
        EXPECT_LE(f.points[POINT_LANDING].nWeight, f.rows[ROW_TOTAL].nWeight);
        EXPECT_EQ(f.bLanding, c.nCounts > 0);
    }
}

// A sheet's file name: the registration as one safe name, the date and the
// time, whatever was typed.
TEST(SheetName, IsTheRegistrationDateAndTimeFitForAFileName)
{
    const time_t t = 1796654100; // 2026-12-08 14:35 UTC
    struct tm tmLocal;
    localtime_r(&t, &tmLocal);
    char szWhen[32];
    strftime(szWhen, sizeof szWhen, " %Y-%m-%d %H%M", &tmLocal);
    const std::pair<const char*, const char*> cases[] = {
        {"G-ABCD", "G-ABCD"},   {"", "Load sheet"},          {"../../etc/x", "-..-etc-x"},
        {"..hidden", "hidden"}, {"two\nlines", "two lines"}, {"\u202eG-ABCD\u2066\u200f", "G-ABCD"}};
    for (const auto& [pszRegistration, pszName] : cases)
        EXPECT_EQ(filSheetName(pszRegistration, t), pszName + std::string(szWhen)) << pszRegistration;
}

// When a sheet was printed, with the clock's zone.
TEST(SheetPrinted, IsTheMinuteWithItsZone)
{
    const std::string strTz = g_getenv("TZ") ? g_getenv("TZ") : "";
    const bool bTz = g_getenv("TZ") != nullptr;
    const std::pair<const char*, const char*> cases[] = {
        {"UTC0", "2026-12-07 05:04 UTC"}, {"CET-1", "2026-12-07 06:04 +01:00"}, {"NST3:30", "2026-12-07 01:34 -03:30"}};
    for (const auto& [pszTz, pszWant] : cases) {
        g_setenv("TZ", pszTz, TRUE);
        tzset();
        EXPECT_EQ(shtPrintedText(1796619840), pszWant) << pszTz; // 05:04 UTC
    }
    if (bTz)
        g_setenv("TZ", strTz.c_str(), TRUE);
    else
        g_unsetenv("TZ");
    tzset();
}

// A figure and its unit stay together on the sheet; other spaces break.
TEST(SheetUnits, AreBoundToTheirFigures)
{
    const std::pair<const char*, const char*> cases[] = {
        {"front position 31.50 in, 2 mm", "front position 31.50\u00a0in, 2\u00a0mm"},
        {"at landing 10.5 US gal", "at landing 10.5\u00a0US\u00a0gal"},
        {"at 2 ft, 9 \u00b0C, 1,013 hPa", "at 2\u00a0ft, 9\u00a0\u00b0C, 1,013\u00a0hPa"},
        {"9.0 lb below; 64.5 L by 5.5 imp gal", "9.0\u00a0lb below; 64.5\u00a0L by 5.5\u00a0imp\u00a0gal"},
        {"45.5 kg at 0.759 kg/US gal", "45.5\u00a0kg at 0.759\u00a0kg/US\u00a0gal"},
        {"2 lines in 3 inches", "2 lines in 3 inches"}};
    for (const auto& [pszText, pszWant] : cases)
        EXPECT_EQ(shtBindUnits(pszText), pszWant) << pszText;
}

} // namespace
