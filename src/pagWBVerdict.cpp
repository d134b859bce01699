// The verdict on a loaded point in words, from the one judgement against the
// limits, for the loading page and the load sheet.
#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "pagWBChart.h"
#include "pagWBPage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace
{

enum _wbAmount { AMOUNT_WEIGHT, AMOUNT_ARM, AMOUNT_FUEL };

// How each limit reads: broken ("... by X"), and as the nearest one within
// ("X ..."); the span a margin is measured against to find the nearest.
struct LimitWords {
    _wbAmount nAmount;
    const char* pszBeyond;
    const char* pszWithin;
    double nSpan;
};
constexpr std::array<LimitWords, LIMIT_COUNT> m_words = {{
    {AMOUNT_WEIGHT, "over the maximum weight by", "below the maximum weight", MAX_TOTAL_WEIGHT},
    {AMOUNT_ARM, "forward of the limit by", "aft of the forward limit", MAX_LONG_ARM - MIN_LONG_ARM},
    {AMOUNT_ARM, "aft of the limit by", "forward of the aft limit", MAX_LONG_ARM - MIN_LONG_ARM},
    {AMOUNT_ARM, "left of the lateral limit by", "inside the left limit", 2 * MAX_LAT_ARM},
    {AMOUNT_ARM, "right of the lateral limit by", "inside the right limit", 2 * MAX_LAT_ARM},
    {AMOUNT_WEIGHT, "left seat over its %s limit by", "below the left seat's limit", MAX_SEAT_WEIGHT},
    {AMOUNT_WEIGHT, "right seat over its %s limit by", "below the right seat's limit", MAX_SEAT_WEIGHT},
    {AMOUNT_FUEL, "fuel beyond the tank's %s by", "below a full tank", MAX_FUEL_VOLUME},
}};

// The limit values the words name, for those that name one.
constexpr std::array<double, LIMIT_COUNT> m_limitValues = {
    0, 0, 0, 0, 0, MAX_SEAT_WEIGHT, MAX_SEAT_WEIGHT, MAX_FUEL_VOLUME};

// How an amount is rounded to the decimals the entries show: a breach up, a
// margin down, a limit to the nearest.
enum _wbRound { ROUND_DOWN = -1, ROUND_NEAREST = 0, ROUND_UP = 1 };

// An amount in internal units shown in the pilot's unit.
std::string amount(_wbAmount nAmount, double nInternal, const _wbSetup& u, _wbRound nRound)
{
    double n = nInternal;
    const char* pszFormat = "%1.1f";
    const char* pszUnit = nullptr;
    double nScale = 10;
    switch (nAmount) {
    case AMOUNT_WEIGHT:
        n = psetKgToWeight(nInternal, u.nUnitWt), pszUnit = psetUnitSymbols(u).pszWeight;
        break;
    case AMOUNT_ARM:
        n = psetMmToArm(nInternal, u.nUnitArm), pszUnit = psetUnitSymbols(u).pszArm, pszFormat = "%1.2f", nScale = 100;
        break;
    case AMOUNT_FUEL:
        n = psetLitresToFuel(nInternal, u.nUnitFuel), pszUnit = psetUnitSymbols(u).pszFuel;
        break;
    }
    // Rounded away from what is safe; a breach of a hair is still one step.
    if (nRound == ROUND_UP)
        n = std::max(std::ceil(n * nScale - 1e-9), 1.0) / nScale;
    else if (nRound == ROUND_DOWN)
        n = std::floor(n * nScale + 1e-9) / nScale;
    return mscFormatNumber(pszFormat, n) + " " + pszUnit;
}

std::string beyondWords(int nLimit, double nMargin, const _wbSetup& u)
{
    const LimitWords& w = m_words[nLimit];
    std::string str = w.pszBeyond;
    if (const auto nAt = str.find("%s"); nAt != std::string::npos)
        str.replace(nAt, 2, amount(w.nAmount, m_limitValues[nLimit], u, ROUND_NEAREST));
    return str + " " + amount(w.nAmount, -nMargin, u, ROUND_UP);
}

} // namespace

std::string pwbVerdictText(const _wbJudgement& j, const _wbSetup& u)
{
    if (std::isnan(j.limits[LIMIT_FORWARD].nMargin) || std::isnan(j.limits[LIMIT_WEIGHT].nMargin))
        return "NO LOADING ENTERED";
    std::string strBroken;
    for (int n = 0; n < LIMIT_COUNT; n++)
        if (j.limits[n].bBeyond)
            strBroken += (strBroken.empty() ? "" : "; ") + beyondWords(n, j.limits[n].nMargin, u);
    // On the lateral limit to the millimetre the chart, reading inches,
    // calls it out: so does the verdict.
    if (j.bChartWarning && strBroken.empty())
        strBroken = "on the lateral limit, which the chart reads as beyond it";
    if (!strBroken.empty())
        return "OUT OF LIMITS: " + strBroken;
    // The nearest limit: the least margin against the span of its kind.
    int nNearest = 0;
    for (int n = 1; n < LIMIT_COUNT; n++)
        if (j.limits[n].nMargin / m_words[n].nSpan < j.limits[nNearest].nMargin / m_words[nNearest].nSpan)
            nNearest = n;
    const LimitWords& w = m_words[nNearest];
    // In a caution band, the chart's caution as well.
    const char* pszCaution = pwbCautionText(j.nChartMessage);
    return std::string("WITHIN LIMITS; ") + (pszCaution ? std::string("caution: ") + pszCaution + "; " : "") +
           "nearest: " + amount(w.nAmount, j.limits[nNearest].nMargin, u, ROUND_DOWN) + " " + w.pszWithin;
}
