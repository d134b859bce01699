// Zarv's state while it runs, and the calculation of the last flight.
#include "store/state.h"

_wbSetup m_wbSetup = {};

_wbLoadState m_wbLoad = {0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE};

namespace
{

// The flight before the first calculation: every figure 0.
_wbFlight zeroFlight(void)
{
    _wbFlight f{};
    f.rows = calcRows(_wbSetup{}, _wbLoading{});
    for (_wbTableRow& row : f.rows)
        row = {row.pszItem, 0, 0, 0, 0, 0};
    return f;
}

} // namespace

_wbFlight m_wbFlight = zeroFlight();

_wbLoading stateLoading(void)
{
    return {m_wbLoad.nLSeatWeight, m_wbLoad.nRSeatWeight, m_wbLoad.nFuelVolume, m_wbLoad.nBallastPosn};
}

void stateSetFixedArms(void)
{
    // Held in millimetres as the products of the inch values, not as
    // rounded millimetre literals.
    m_wbSetup.nLSeatLatArm = LSEAT_LAT_ARM_IN * MM_PER_INCH;
    m_wbSetup.nLSeatLongArm = LSEAT_LONG_ARM_IN * MM_PER_INCH;
    m_wbSetup.nRSeatLatArm = RSEAT_LAT_ARM_IN * MM_PER_INCH;
    m_wbSetup.nRSeatLongArm = RSEAT_LONG_ARM_IN * MM_PER_INCH;
    m_wbSetup.nFuelLatArm = FUEL_LAT_ARM_IN * MM_PER_INCH;
    m_wbSetup.nFuelLongArm = FUEL_LONG_ARM_IN * MM_PER_INCH;
}

void stateResetSetup(void)
{
    m_wbSetup = {};
}

void stateResetLoading(void)
{
    m_wbLoad = {0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE};
    m_wbFlight = zeroFlight();
}
