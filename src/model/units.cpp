// The unit conversions and labels, and the one conversion of an amount.
#include "model/units.h"

#include <array>
#include <cmath>

double unitWeightToKg(double nValue, _unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? nValue / LB_PER_KG : nValue;
}

double unitKgToWeight(double nKg, _unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? nKg * LB_PER_KG : nKg;
}

double unitArmToMm(double nValue, _unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? nValue * MM_PER_INCH : nValue;
}

double unitMmToArm(double nMm, _unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? nMm / MM_PER_INCH : nMm;
}

const char* unitWeightLabel(_unitWt nUnit)
{
    return nUnit == UNIT_WT_LB ? "lbs" : "kgs";
}

const char* unitArmLabel(_unitLen nUnit)
{
    return nUnit == UNIT_ARM_INCH ? "in" : "mm";
}

double unitFuelToLitres(double nValue, int nUnitFuel)
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

double unitLitresToFuel(double nLitres, int nUnitFuel)
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

const char* unitFuelLabel(int nUnitFuel)
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

const char* unitFuelSymbol(int nUnitFuel)
{
    // One spelling after a figure wherever a sentence says it, the page's
    // and the sheet's alike; the labels beside the fields are the window's.
    static constexpr std::array<const char*, 3> fuel = {"L", "US gal", "imp gal"};
    return nUnitFuel == UNIT_FUEL_USGAL || nUnitFuel == UNIT_FUEL_IMPGAL ? fuel[nUnitFuel] : fuel[0];
}

_unitSymbols unitSymbols(const _wbSetup& s)
{
    return {s.nUnitWt == UNIT_WT_LB ? "lb" : "kg", unitArmLabel(s.nUnitArm), unitFuelSymbol(s.nUnitFuel)};
}

double unitFuelDensity(const _wbSetup& s)
{
    return s.nFuelDensity >= MIN_FUEL_DENSITY && s.nFuelDensity <= MAX_FUEL_DENSITY ? s.nFuelDensity : FUEL_DENSITY;
}

namespace
{

// A density of 1 kg/L in the pilot's weight unit per fuel unit.
double densityScale(const _wbSetup& u)
{
    return unitKgToWeight(unitFuelToLitres(1.0, u.nUnitFuel), u.nUnitWt);
}

} // namespace

double unitToShown(_unitKind nKind, double nInternal, const _wbSetup& u)
{
    switch (nKind) {
    case KIND_WEIGHT:
        return unitKgToWeight(nInternal, u.nUnitWt);
    case KIND_ARM:
        return unitMmToArm(nInternal, u.nUnitArm);
    case KIND_FUEL:
        return unitLitresToFuel(nInternal, u.nUnitFuel);
    case KIND_DENSITY:
        return nInternal * densityScale(u);
    case KIND_FLOW:
        return unitLitresToFuel(nInternal, u.nUnitFuel);
    case KIND_ARM_MARGIN:
        return unitMmToArm(nInternal, u.nUnitArm);
    case KIND_WEIGHT_MARGIN:
        return unitKgToWeight(nInternal, u.nUnitWt);
    case KIND_MINUTES:
    case KIND_RESERVE:
    case KIND_PERCENT:
    case KIND_ELEVATION:
    case KIND_QNH:
    case KIND_OAT:
    case KIND_NONE:
        break;
    }
    return nInternal;
}

double unitToInternal(_unitKind nKind, double nShown, const _wbSetup& u)
{
    switch (nKind) {
    case KIND_WEIGHT:
        return unitWeightToKg(nShown, u.nUnitWt);
    case KIND_ARM:
        return unitArmToMm(nShown, u.nUnitArm);
    case KIND_FUEL:
        return unitFuelToLitres(nShown, u.nUnitFuel);
    case KIND_DENSITY:
        return nShown / densityScale(u);
    case KIND_FLOW:
        return unitFuelToLitres(nShown, u.nUnitFuel);
    case KIND_ARM_MARGIN:
        return unitArmToMm(nShown, u.nUnitArm);
    case KIND_WEIGHT_MARGIN:
        return unitWeightToKg(nShown, u.nUnitWt);
    case KIND_QNH:
        return std::fabs(nShown) < UNIT_QNH_INHG_BELOW ? nShown * UNIT_HPA_PER_INHG : nShown;
    case KIND_MINUTES:
    case KIND_RESERVE:
    case KIND_PERCENT:
    case KIND_ELEVATION:
    case KIND_OAT:
    case KIND_NONE:
        break;
    }
    return nShown;
}

std::string unitLabel(_unitKind nKind, const _wbSetup& u)
{
    switch (nKind) {
    case KIND_WEIGHT:
        return unitWeightLabel(u.nUnitWt);
    case KIND_ARM:
        return unitArmLabel(u.nUnitArm);
    case KIND_FUEL:
        return unitFuelLabel(u.nUnitFuel);
    case KIND_DENSITY:
        // The density field's label spells its gallons as the fuel field's.
        return std::string(unitSymbols(u).pszWeight) + "/" +
               (u.nUnitFuel == UNIT_FUEL_USGAL || u.nUnitFuel == UNIT_FUEL_IMPGAL ? unitFuelLabel(u.nUnitFuel) : "L");
    case KIND_FLOW:
    case KIND_MINUTES:
    case KIND_RESERVE:
    case KIND_PERCENT:
    case KIND_ELEVATION:
    case KIND_QNH:
    case KIND_OAT:
        return unitSymbol(nKind, u);
    case KIND_ARM_MARGIN:
        return unitLabel(KIND_ARM, u);
    case KIND_WEIGHT_MARGIN:
        return unitLabel(KIND_WEIGHT, u);
    case KIND_NONE:
        break;
    }
    return {};
}

const char* unitSymbol(_unitKind nKind, const _wbSetup& u)
{
    const _unitSymbols symbols = unitSymbols(u);
    switch (nKind) {
    case KIND_WEIGHT:
        return symbols.pszWeight;
    case KIND_ARM:
        return symbols.pszArm;
    case KIND_FUEL:
        return symbols.pszFuel;
    case KIND_FLOW: {
        // Per hour, in the symbol a sentence writes the fuel in.
        static constexpr std::array<const char*, 3> flow = {"L/h", "US gal/h", "imp gal/h"};
        return u.nUnitFuel == UNIT_FUEL_USGAL || u.nUnitFuel == UNIT_FUEL_IMPGAL ? flow[u.nUnitFuel] : flow[0];
    }
    case KIND_MINUTES:
    case KIND_RESERVE:
        return "min";
    case KIND_PERCENT:
        return "%";
    case KIND_ELEVATION:
        return "ft";
    case KIND_QNH:
        return "hPa";
    case KIND_OAT:
        return "\u00b0C";
    case KIND_ARM_MARGIN:
        return symbols.pszArm;
    case KIND_WEIGHT_MARGIN:
        return symbols.pszWeight;
    case KIND_DENSITY:
    case KIND_NONE:
        break;
    }
    return "";
}

const _unitBounds* unitBoundsOf(_unitKind nKind)
{
    for (const _unitBounds& b : UNIT_BOUNDS)
        if (b.nKind == nKind)
            return &b;
    return nullptr;
}

bool unitPossible(_unitKind nKind, double nInternal)
{
    const _unitBounds* pb = unitBoundsOf(nKind);
    if (!pb)
        return true;
    if ((nKind == KIND_DENSITY || nKind == KIND_FLOW) && nInternal == 0)
        return true;
    return nInternal >= pb->nLeast && nInternal <= pb->nMost;
}
