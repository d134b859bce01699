// The calculation against loadings worked by hand, and no text ever parses
// to a non-finite value.
#include "model/calc.h"
#include "store/conf/state.h"
#include "ui/misc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{

// Loadings worked by hand with the fixed arms (seats at 71 in = 1803.4 mm,
// 10.25 in = 260.35 mm either side; fuel at 100 in = 2540 mm, 0.125 in =
// 3.175 mm) and 0.759 kg a litre unless the aircraft has a density of its
// own: the total, its moments and arms, and the weight with no fuel.
TEST(Properties, LoadingsWorkedByHand)
{
    const struct {
        double nBasic, nBasicLong, nBasicLat, nLSeat, nRSeat, nFuel, nDensity;
        guint nBallastPosn;
        double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm, nDry;
    } cases[] = {// fuel 60 × 0.759 = 45.54 kg; 400 + 80 + 70 + 45.54 = 595.54 kg;
                 // 400 × 2700 + 150 × 1803.4 + 45.54 × 2540 = 1080000 + 270510 + 115671.6 = 1466181.6;
                 // 400 × 1 − 80 × 260.35 + 70 × 260.35 + 45.54 × 3.175 = 400 − 2603.5 + 144.5895 = −2058.9105;
                 // 1466181.6 / 595.54 = 2461.93639; −2058.9105 / 595.54 = −3.45722; dry 595.54 − 45.54 = 550
                 {400, 2700, 1, 80, 70, 60, 0, BALLAST_NONE, 595.54, 1466181.6, -2058.9105, 2461.936393861034,
                  -3.4572161399738053, 550},
                 // its own 0.72 kg/L: fuel 40 × 0.72 = 28.8 kg; front ballast 10 kg at 1000 mm, −20 mm;
                 // 450 + 95 + 28.8 + 10 = 583.8 kg;
                 // 450 × 2650 + 95 × 1803.4 + 28.8 × 2540 + 10 × 1000 = 1192500 + 171323 + 73152 + 10000 = 1446975;
                 // 450 × −2 − 95 × 260.35 + 28.8 × 3.175 − 10 × 20 = −900 − 24733.25 + 91.44 − 200 = −25741.81;
                 // 1446975 / 583.8 = 2478.54573; −25741.81 / 583.8 = −44.09354; dry 583.8 − 28.8 = 555
                 {450, 2650, -2, 95, 0, 40, 0.72, BALLAST_FRONT, 583.8, 1446975, -25741.81, 2478.545734840699,
                  -44.09354230900994, 555},
                 // a density of 1.5 cannot be: 20 × 0.759 = 15.18 kg; rear ballast 15 kg at 3000 mm, on the
                 // centre line; 380 + 85 + 15.18 + 15 = 495.18 kg;
                 // 380 × 2600 + 85 × 1803.4 + 15.18 × 2540 + 15 × 3000 = 988000 + 153289 + 38557.2 + 45000 = 1224846.2;
                 // 85 × 260.35 + 15.18 × 3.175 = 22129.75 + 48.1965 = 22177.9465;
                 // 1224846.2 / 495.18 = 2473.53730; 22177.9465 / 495.18 = 44.78765; dry 495.18 − 15.18 = 480
                 {380, 2600, 0, 0, 85, 20, 1.5, BALLAST_REAR, 495.18, 1224846.2, 22177.9465, 2473.537299567834,
                  44.78764590653903, 480}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.nWeight) + " kg");
        _wbSetup s = calcWithFixedArms({});
        s.nBasicWeight = c.nBasic, s.nBasicLongArm = c.nBasicLong, s.nBasicLatArm = c.nBasicLat;
        s.nFuelDensity = c.nDensity;
        s.nBallastWt = c.nBallastPosn == BALLAST_FRONT ? 10 : 15;
        s.nBallastFrontLongArm = 1000, s.nBallastFrontLatArm = -20;
        s.nBallastRearLongArm = 3000, s.nBallastRearLatArm = 55; // never read
        const _wbLoading l = {c.nLSeat, c.nRSeat, c.nFuel, c.nBallastPosn};
        const _wbTableRow t = calcRows(s, l)[ROW_TOTAL];
        const _wbFlight f = calcJudgeFlight(s, l, 0);
        const std::pair<double, double> checks[] = {{t.nWeight, c.nWeight},
                                                    {t.nLongMoment, c.nLongMoment},
                                                    {t.nLatMoment, c.nLatMoment},
                                                    {t.nLongArm, c.nLongArm},
                                                    {t.nLatArm, c.nLatArm},
                                                    {f.points[POINT_TAKE_OFF].nLongArm, c.nLongArm},
                                                    {f.points[POINT_NO_FUEL].nWeight, c.nDry}};
        for (const auto& [nGot, nWant] : checks)
            EXPECT_NEAR(nGot, nWant, 1e-9 * std::fabs(nWant));
    }
}

TEST(Properties, NoTextParsesToANonFiniteNumber)
{
    std::mt19937 rng(11);
    const std::string strAlphabet = "0123456789.,+-eExXpPnNaAiIfFtTyY \t9999999999";
    for (int i = 0; i < 200000; i++) {
        std::string strText;
        const int nLength = static_cast<int>(rng() % 400);
        for (int k = 0; k < nLength; k++)
            strText += strAlphabet[rng() % strAlphabet.size()];
        const double n = mscParseNumber(strText.c_str());
        ASSERT_TRUE(std::isfinite(n)) << strText;
    }
}

} // namespace
