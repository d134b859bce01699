// A value in the pilot's unit, as figure and as text.
#include "ui/shown.h"

#include "model/units.h"
#include "store/figures.h"
#include "ui/misc.h"

namespace
{

// The printf format of a figure to nDecimals.
std::string format(int nDecimals)
{
    return "%1." + std::to_string(nDecimals) + "f";
}

} // namespace

int shwDecimals(_unitKind nAmount)
{
    return nAmount == KIND_ARM ? 2 : 1;
}

std::string shwFixed(double n, int nDecimals)
{
    return mscFormatNumber(format(nDecimals).c_str(), n);
}

std::string shwText(_unitKind nAmount, double nInternal, const _wbSetup& u, int nDecimals)
{
    return shwFixed(unitToShown(nAmount, nInternal, u), nDecimals < 0 ? shwDecimals(nAmount) : nDecimals) + " " +
           unitSymbol(nAmount, u);
}

std::string shwFiguresChanged(void)
{
    if (!prmFiguresChangedOutside())
        return "";
    const std::string strWhen = prmRecordedWhen();
    return "The aircraft's figures were changed outside Zarv" + (strWhen.empty() ? "" : " since " + strWhen) +
           ": check them against the weighing record, then confirm";
}
