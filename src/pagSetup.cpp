// The setup record m_wbSetup and the unit conversions and labels.
#include "pagSetup.h"

#include "testSeams.h"

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

double psetFuelToLitres(double nValue, int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return nValue * LITRES_PER_USGAL;
    case UNIT_FUEL_IMPGAL:
        return nValue * LITRES_PER_IMPGAL;
    default:
        return nValue;
    }
}

double psetLitresToFuel(double nLitres, int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return nLitres / LITRES_PER_USGAL;
    case UNIT_FUEL_IMPGAL:
        return nLitres / LITRES_PER_IMPGAL;
    default:
        return nLitres;
    }
}

const char* psetFuelLabel(int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return "US Gal";
    case UNIT_FUEL_IMPGAL:
        return "Imp Gal";
    default:
        return "Litres";
    }
}

const char* psetFuelSymbol(int nUnitFuel)
{
    // Gallons are spelt as their label; only the litre has a symbol.
    return nUnitFuel == UNIT_FUEL_USGAL || nUnitFuel == UNIT_FUEL_IMPGAL ? psetFuelLabel(nUnitFuel) : "L";
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

void psetReset(void)
{
    m_wbSetup = {};
}
