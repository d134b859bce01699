// The loading calculation: weights, moments and arms of every item and of the
// loaded aircraft, in kilograms and millimetres. Reads the setup record and
// the store; knows nothing of the page that shows it.
#include "pagWB.h"

#include "pagSetup.h"
#include "params.h"

gdouble m_nLSeatWeight = 0.0;
gdouble m_nRSeatWeight = 0.0;
gdouble m_nFuelVolume = 0.0;
guint m_nBallastPosn = BALLAST_NONE;
gboolean m_bShowBurnOff = FALSE;
_wbPoint m_wbZeroFuel = {};

gdouble m_nLSeatLongMoment = 0.0, m_nLSeatLatMoment = 0.0;
gdouble m_nRSeatLongMoment = 0.0, m_nRSeatLatMoment = 0.0;
gdouble m_nFuelWeight = 0.0, m_nFuelLongMoment = 0.0, m_nFuelLatMoment = 0.0;
gdouble m_nBallastWeight = 0.0, m_nBallastLongArm = 0.0, m_nBallastLatArm = 0.0;
gdouble m_nBallastLongMoment = 0.0, m_nBallastLatMoment = 0.0;
gdouble m_nTotalWeight = 0.0, m_nTotalLongMoment = 0.0, m_nTotalLatMoment = 0.0;
gdouble m_nTotalLongArm = 0.0, m_nTotalLatArm = 0.0;

void pwbParams(void)
{
    m_nLSeatWeight = prmGetKeyDouble("Load", "LSeat");
    m_nRSeatWeight = prmGetKeyDouble("Load", "RSeat");
    m_nFuelVolume = prmGetKeyDouble("Load", "Fuel");
    m_nBallastPosn = static_cast<guint>(prmGetKeyInteger("Load", "Ballast"));
    m_bShowBurnOff = prmGetKeyInteger("Chart", "ShowBurnOff") != 0;
}

void pwbCalcWB(void)
{
    const _wbSetup& s = m_wbSetup;

    // The totals are accumulated in one fixed order: basic aircraft, left
    // seat, right seat, fuel, ballast.
    m_nTotalWeight = s.nBasicWeight;
    m_nTotalLatMoment = s.nBasicLatArm * s.nBasicWeight;
    m_nTotalLongMoment = s.nBasicLongArm * s.nBasicWeight;

    m_nTotalWeight += m_nLSeatWeight;
    m_nLSeatLatMoment = s.nLSeatLatArm * m_nLSeatWeight;
    m_nLSeatLongMoment = s.nLSeatLongArm * m_nLSeatWeight;
    m_nTotalLatMoment += m_nLSeatLatMoment;
    m_nTotalLongMoment += m_nLSeatLongMoment;

    m_nTotalWeight += m_nRSeatWeight;
    m_nRSeatLatMoment = s.nRSeatLatArm * m_nRSeatWeight;
    m_nRSeatLongMoment = s.nRSeatLongArm * m_nRSeatWeight;
    m_nTotalLatMoment += m_nRSeatLatMoment;
    m_nTotalLongMoment += m_nRSeatLongMoment;

    m_nFuelWeight = m_nFuelVolume * FUEL_DENSITY;
    m_nTotalWeight += m_nFuelWeight;
    m_nFuelLongMoment = s.nFuelLongArm * m_nFuelWeight;
    m_nFuelLatMoment = s.nFuelLatArm * m_nFuelWeight;
    m_nTotalLongMoment += m_nFuelLongMoment;
    m_nTotalLatMoment += m_nFuelLatMoment;

    switch (m_nBallastPosn) {
    case BALLAST_NONE:
        m_nBallastLongArm = 0;
        m_nBallastLongMoment = 0;
        m_nBallastLatArm = 0;
        m_nBallastLatMoment = 0;
        m_nBallastWeight = 0;
        break;
    case BALLAST_FRONT:
        m_nBallastLongArm = s.nBallastFrontLongArm;
        m_nBallastLongMoment = s.nBallastWt * s.nBallastFrontLongArm;
        m_nBallastLatArm = s.nBallastFrontLatArm;
        m_nBallastLatMoment = s.nBallastWt * s.nBallastFrontLatArm;
        m_nBallastWeight = s.nBallastWt;
        break;
    case BALLAST_REAR:
        // The rear position lies on the centre line.
        m_nBallastLongArm = s.nBallastRearLongArm;
        m_nBallastLongMoment = s.nBallastWt * s.nBallastRearLongArm;
        m_nBallastLatMoment = 0;
        m_nBallastLatArm = 0;
        m_nBallastWeight = s.nBallastWt;
        break;
    default:
        // Only a hand-edited file brings another value, at start-up, while
        // the ballast results are still 0: it acts as no ballast.
        break;
    }
    m_nTotalWeight += m_nBallastWeight;
    m_nTotalLatMoment += m_nBallastLatMoment;
    m_nTotalLongMoment += m_nBallastLongMoment;

    // Not guarded: a total weight of 0 gives not-a-number or infinite arms,
    // which the table and the chart show as such.
    m_nTotalLatArm = m_nTotalLatMoment / m_nTotalWeight;
    m_nTotalLongArm = m_nTotalLongMoment / m_nTotalWeight;

    m_wbZeroFuel = pwbLoadedPoint(s, m_nLSeatWeight, m_nRSeatWeight, 0.0, m_nBallastPosn);
}

std::array<_wbTableRow, 6> pwbTableRows(void)
{
    const _wbSetup& s = m_wbSetup;
    return {{
        {"Basic aircraft", s.nBasicWeight, s.nBasicLongArm, s.nBasicLongArm * s.nBasicWeight, s.nBasicLatArm,
         s.nBasicLatArm * s.nBasicWeight},
        {"Left seat", m_nLSeatWeight, s.nLSeatLongArm, s.nLSeatLongArm * m_nLSeatWeight, s.nLSeatLatArm,
         s.nLSeatLatArm * m_nLSeatWeight},
        {"Right seat", m_nRSeatWeight, s.nRSeatLongArm, s.nRSeatLongArm * m_nRSeatWeight, s.nRSeatLatArm,
         s.nRSeatLatArm * m_nRSeatWeight},
        {"Fuel", m_nFuelWeight, s.nFuelLongArm, m_nFuelLongMoment, s.nFuelLatArm, m_nFuelLatMoment},
        {"Ballast", m_nBallastWeight, m_nBallastLongArm, m_nBallastLongMoment, m_nBallastLatArm, m_nBallastLatMoment},
        {"Total", m_nTotalWeight, m_nTotalLongArm, m_nTotalLongMoment, m_nTotalLatArm, m_nTotalLatMoment},
    }};
}

void pwbReset(void)
{
    m_nLSeatWeight = m_nRSeatWeight = m_nFuelVolume = 0.0;
    m_nBallastPosn = BALLAST_NONE;
    m_bShowBurnOff = FALSE;
    m_wbZeroFuel = {};
    m_nLSeatLongMoment = m_nLSeatLatMoment = m_nRSeatLongMoment = m_nRSeatLatMoment = 0.0;
    m_nFuelWeight = m_nFuelLongMoment = m_nFuelLatMoment = 0.0;
    m_nBallastWeight = m_nBallastLongArm = m_nBallastLatArm = 0.0;
    m_nBallastLongMoment = m_nBallastLatMoment = 0.0;
    m_nTotalWeight = m_nTotalLongMoment = m_nTotalLatMoment = 0.0;
    m_nTotalLongArm = m_nTotalLatArm = 0.0;
}
