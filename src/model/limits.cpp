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

double limMarginInside(const _limMarginRow& m, const _wbSetup& s)
{
    const double n = s.*m.pnInside;
    return std::isfinite(n) && n > 0 ? n : 0.0;
}

_limRow limMarginLimit(const _limMarginRow& m, const _wbSetup& s)
{
    _limRow r = LIM_ROWS[m.nLimit];
    // A limit either side is held by its size, which inward is smaller.
    r.nValue += r.nSense == SENSE_AT_LEAST ? limMarginInside(m, s) : -limMarginInside(m, s);
    return r;
}

_limMarginChecks limJudgeMargins(const _wbSetup& s, const _wbPoint& p, const _wbLoading& l, _wbFlightPoint nPoint)
{
    _limMarginChecks checks = LIM_NO_MARGINS;
    for (const _limMarginRow& m : LIM_MARGIN_ROWS)
        if (limMarginInside(m, s) > 0 && limApplies(LIM_ROWS[m.nLimit], nPoint))
            checks[m.nId] = limCheck(limMarginLimit(m, s), p, l);
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
