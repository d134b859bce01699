// Properties over random inputs: the calculation agrees with a computation
// written independently here, and no text ever parses to a non-finite value.
#include "store/state.h"
#include "ui/misc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{

TEST(Properties, RandomLoadingsMatchAnIndependentComputation)
{
    std::mt19937_64 rng(7);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
    for (int i = 0; i < 20000; i++) {
        stateResetSetup();
        stateResetLoading();
        _wbSetup& s = m_wbSetup;
        s.nBasicWeight = uniform(250, 650), s.nBasicLongArm = uniform(2300, 2700), s.nBasicLatArm = uniform(-20, 20);
        s.nLSeatLatArm = -260.35, s.nLSeatLongArm = 1803.4, s.nRSeatLatArm = 260.35, s.nRSeatLongArm = 1803.4;
        s.nFuelLongArm = 2540, s.nFuelLatArm = 3.175;
        s.nBallastWt = uniform(0, 20), s.nBallastFrontLongArm = uniform(500, 1500);
        s.nBallastFrontLatArm = uniform(-50, 50), s.nBallastRearLongArm = uniform(2800, 3400);
        s.nBallastRearLatArm = uniform(-50, 50);
        m_wbLoad.nLSeatWeight = uniform(0, 130), m_wbLoad.nRSeatWeight = uniform(0, 130),
        m_wbLoad.nFuelVolume = uniform(0, 80);
        m_wbLoad.nBallastPosn = static_cast<guint>(rng() % 3);
        pwbCalcWB();

        // Each item as weight and the two arms; the ballast only where fitted,
        // the rear position on the centre line.
        const double nFuel = m_wbLoad.nFuelVolume * 0.759;
        const double nBallast = m_wbLoad.nBallastPosn == BALLAST_NONE ? 0 : s.nBallastWt;
        const double nBallastLong = m_wbLoad.nBallastPosn == BALLAST_FRONT  ? s.nBallastFrontLongArm
                                    : m_wbLoad.nBallastPosn == BALLAST_REAR ? s.nBallastRearLongArm
                                                                            : 0;
        const double nBallastLat = m_wbLoad.nBallastPosn == BALLAST_FRONT ? s.nBallastFrontLatArm : 0;
        const double items[][3] = {{s.nBasicWeight, 0, 0},
                                   {m_wbLoad.nLSeatWeight, 1803.4, -260.35},
                                   {m_wbLoad.nRSeatWeight, 1803.4, 260.35},
                                   {nFuel, 2540, 3.175},
                                   {nBallast, nBallastLong, nBallastLat}};
        double nWeight = 0, nLong = s.nBasicWeight * s.nBasicLongArm, nLat = s.nBasicWeight * s.nBasicLatArm;
        for (const auto& item : items) {
            nWeight += item[0];
            nLong += item[0] * item[1];
            nLat += item[0] * item[2];
        }
        ASSERT_NEAR(m_wbFlight.rows[ROW_TOTAL].nWeight, nWeight, 1e-9) << i;
        ASSERT_NEAR(m_wbFlight.rows[ROW_TOTAL].nLongArm, nLong / nWeight, 1e-9) << i;
        ASSERT_NEAR(m_wbFlight.rows[ROW_TOTAL].nLatArm, nLat / nWeight, 1e-9) << i;
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
