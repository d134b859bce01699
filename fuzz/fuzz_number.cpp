// Fuzz target: the text-to-number path of every entry. Whatever is typed,
// the value stored is finite, and what the entry then shows reads back as
// the same number to the shown precision.
#include "ui/misc.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize); // stops at a NUL, as an entry does
    const double nValue = mscParseNumber(strText.c_str());
    if (!std::isfinite(nValue))
        abort();
    const struct {
        const char* pszFormat;
        double nHalfUnit;
    } shown[] = {{"%1.1f", 0.05}, {"%1.2f", 0.005}};
    for (const auto& s : shown) {
        const double nAgain = mscParseNumber(mscFormatNumber(s.pszFormat, nValue).c_str());
        if (!std::isfinite(nAgain) || std::fabs(nAgain - nValue) > s.nHalfUnit * 1.000001 + std::fabs(nValue) * 1e-15)
            abort();
    }
    return 0;
}
