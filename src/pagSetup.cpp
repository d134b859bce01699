// The setup record m_wbSetup, the unit conversions and the reading of the
// record from the parameter store.
#include "pagSetup.h"

#include "params.h"

_wbSetup m_wbSetup = {};

double psetWeightToKg(double nValue, _unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? nValue / LB_PER_KG : nValue;
}

double psetKgToWeight(double nKg, _unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? nKg * LB_PER_KG : nKg;
}

double psetArmToMm(double nValue, _unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? nValue * MM_PER_INCH : nValue;
}

double psetMmToArm(double nMm, _unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? nMm / MM_PER_INCH : nMm;
}

const char* psetWeightLabel(_unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? "lbs" : "kgs";
}

const char* psetArmLabel(_unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? "in" : "mm";
}

void psetSetFixedArms(void)
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

void psetParams(void)
{
    m_wbSetup.nUnitFuel = static_cast<_unitFuel>(prmGetKeyInteger("Unit", "Fuel"));
    m_wbSetup.nUnitArm = static_cast<_unitLen>(prmGetKeyInteger("Unit", "Arm"));
    m_wbSetup.nUnitWt = static_cast<_unitWt>(prmGetKeyInteger("Unit", "Weight"));

    m_wbSetup.nBasicWeight = prmGetKeyDouble("Basic", "Weight");
    m_wbSetup.nBasicLatArm = prmGetKeyDouble("Basic", "LatArm");
    m_wbSetup.nBasicLongArm = prmGetKeyDouble("Basic", "LongArm");

    psetSetFixedArms();

    m_wbSetup.nBallastWt = prmGetKeyDouble("Ballast", "Weight");
    m_wbSetup.nBallastFrontLatArm = prmGetKeyDouble("Ballast", "FrontLatArm");
    m_wbSetup.nBallastFrontLongArm = prmGetKeyDouble("Ballast", "FrontLongArm");
    m_wbSetup.nBallastRearLongArm = prmGetKeyDouble("Ballast", "RearLongArm");

    // The rear position lies on the centre line.
    m_wbSetup.nBallastRearLatArm = 0.0;
}

void psetReset(void)
{
    m_wbSetup = {};
}
