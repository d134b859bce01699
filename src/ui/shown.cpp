// A value in the pilot's unit, as figure and as text.
#include "ui/shown.h"

#include "misc.h"

namespace
{

// The printf format of a figure to nDecimals.
std::string format(int nDecimals)
{
    return "%1." + std::to_string(nDecimals) + "f";
}

} // namespace

double shwValue(_limAmount nAmount, double nInternal, const _wbSetup& u)
{
    switch (nAmount) {
    case AMOUNT_WEIGHT:
        return psetKgToWeight(nInternal, u.nUnitWt);
    case AMOUNT_ARM:
        return psetMmToArm(nInternal, u.nUnitArm);
    case AMOUNT_FUEL:
        return psetLitresToFuel(nInternal, u.nUnitFuel);
    }
    return nInternal;
}

const char* shwSymbol(_limAmount nAmount, const _wbSetup& u)
{
    const _unitSymbols symbols = psetUnitSymbols(u);
    switch (nAmount) {
    case AMOUNT_WEIGHT:
        return symbols.pszWeight;
    case AMOUNT_ARM:
        return symbols.pszArm;
    case AMOUNT_FUEL:
        return symbols.pszFuel;
    }
    return "";
}

int shwDecimals(_limAmount nAmount)
{
    return nAmount == AMOUNT_ARM ? 2 : 1;
}

std::string shwFixed(double n, int nDecimals)
{
    return mscFormatNumber(format(nDecimals).c_str(), n);
}

std::string shwText(_limAmount nAmount, double nInternal, const _wbSetup& u, int nDecimals)
{
    return shwFixed(shwValue(nAmount, nInternal, u), nDecimals < 0 ? shwDecimals(nAmount) : nDecimals) + " " +
           shwSymbol(nAmount, u);
}
