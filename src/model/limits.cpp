// The judgement of a point of a flight against every limit of the table.
#include "model/limits.h"

#include <cmath>

_limChecks limJudge(const _limValues& values, _wbFlightPoint nPoint)
{
    _limChecks checks{};
    for (const _limRow& r : LIM_ROWS) {
        if (!limApplies(r, nPoint)) {
            checks[r.nId] = {INFINITY, false};
            continue;
        }
        const double q = values[r.nQuantity];
        // Beyond exactly where the margin is negative, which for two distinct
        // doubles is where the value lies strictly beyond the limit (their
        // difference is never rounded to 0). No number is beyond nothing.
        const double nMargin = r.nSense == SENSE_AT_MOST    ? r.nValue - q
                               : r.nSense == SENSE_AT_LEAST ? q - r.nValue
                                                            : q + r.nValue;
        checks[r.nId] = {nMargin, nMargin < 0};
    }
    return checks;
}
