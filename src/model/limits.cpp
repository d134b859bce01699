// The judgement of a point of a flight against every limit of the table, and
// the table's own sentence of limits.
#include "model/limits.h"

#include <cmath>

_wbLimitCheck limCheck(const _limRow& r, const _wbPoint& p, const _wbLoading& l)
{
    const _limRatio ratio = r.pfnQuantity(p, l);
    const double q = ratio.nOver / ratio.nUnder;
    // Beyond exactly where the margin is negative, which for two distinct
    // doubles is where the value lies strictly beyond the limit (their
    // difference is never rounded to 0). No number is beyond nothing.
    const double nMargin = r.nSense == SENSE_AT_MOST    ? r.nValue - q
                           : r.nSense == SENSE_AT_LEAST ? q - r.nValue
                                                        : q + r.nValue;
    return {nMargin, nMargin < 0};
}

_limChecks limJudge(const _wbPoint& p, const _wbLoading& l, _wbFlightPoint nPoint)
{
    _limChecks checks{};
    for (const _limRow& r : LIM_ROWS)
        checks[r.nId] = limApplies(r, nPoint) ? limCheck(r, p, l) : _wbLimitCheck{INFINITY, false};
    return checks;
}

std::string limSheetText(const std::function<std::string(_wbLimit)>& limitText)
{
    std::string str;
    for (const _limRow& r : LIM_ROWS) {
        if (!r.pszSheet)
            continue;
        std::string strWords = r.pszSheet;
        if (const auto nAt = strWords.find("%s"); nAt != std::string::npos)
            strWords.replace(nAt, 2, limitText(r.nId));
        str += (str.empty() || strWords.starts_with(' ') ? "" : "; ") + strWords;
    }
    return str;
}
