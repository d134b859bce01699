// The verdict in words, from the one judgement against the limits: on a
// loaded point, and once on the whole flight, for the loading page and the
// load sheet. Every limit is shown to the digits that make it true, in the
// pilot's unit with the written one beside it.
#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "pagWBChart.h"
#include "pagWBPage.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace
{

enum _wbAmount { AMOUNT_WEIGHT, AMOUNT_ARM, AMOUNT_FUEL };

// Each limit: its kind and value (for the lateral limits, its size either
// side), whether beyond lies above it, the value as written in the
// aircraft's limitations with its decimals, how it reads broken ("... by
// X") and as the margin within ("X ..."), and the span a margin is measured
// against to find the nearest.
struct LimitWords {
    _wbAmount nAmount;
    double nValue;
    bool bUpper;
    double nWritten;
    int nWrittenDecimals;
    const char* pszWrittenUnit;
    const char* pszBeyond;
    const char* pszWithin;
    double nSpan;
};
constexpr std::array<LimitWords, LIMIT_COUNT> m_words = {{
    {AMOUNT_WEIGHT, MAX_TOTAL_WEIGHT, true, 1500, 0, "lb", "over the maximum weight by", "below the maximum weight",
     MAX_TOTAL_WEIGHT},
    {AMOUNT_ARM, MIN_LONG_ARM, false, 96.125, 3, "in", "forward of the limit by", "aft of the forward limit",
     MAX_LONG_ARM - MIN_LONG_ARM},
    {AMOUNT_ARM, MAX_LONG_ARM, true, 99, 0, "in", "aft of the limit by", "forward of the aft limit",
     MAX_LONG_ARM - MIN_LONG_ARM},
    {AMOUNT_ARM, MAX_LAT_ARM, true, 0.88, 2, "in", "left of the lateral limit by", "inside the left limit",
     2 * MAX_LAT_ARM},
    {AMOUNT_ARM, MAX_LAT_ARM, true, 0.88, 2, "in", "right of the lateral limit by", "inside the right limit",
     2 * MAX_LAT_ARM},
    {AMOUNT_WEIGHT, MAX_SEAT_WEIGHT, true, 210, 0, "lb", "left seat over its %s limit by",
     "below the left seat's limit", MAX_SEAT_WEIGHT},
    {AMOUNT_WEIGHT, MAX_SEAT_WEIGHT, true, 210, 0, "lb", "right seat over its %s limit by",
     "below the right seat's limit", MAX_SEAT_WEIGHT},
    {AMOUNT_FUEL, MAX_FUEL_VOLUME, true, 64.5, 1, "L", "fuel beyond the tank's %s by", "below a full tank",
     MAX_FUEL_VOLUME},
}};

// The limits of the loaded point, and those of the loading itself (the
// same at every point of a flight).
constexpr std::array<_wbLimit, 5> m_pointLimits = {LIMIT_WEIGHT, LIMIT_FORWARD, LIMIT_AFT, LIMIT_LEFT, LIMIT_RIGHT};
constexpr std::array<_wbLimit, 3> m_loadingLimits = {LIMIT_LSEAT, LIMIT_RSEAT, LIMIT_TANK};

constexpr std::array<const char*, POINT_COUNT> m_pointNames = {"take-off", "landing", "with no fuel"};

// The pilot's unit for an amount, its symbol, and the fewest decimals the
// entries show in it.
double toShown(_wbAmount nAmount, double nInternal, const _wbSetup& u)
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

std::string symbol(_wbAmount nAmount, const _wbSetup& u)
{
    switch (nAmount) {
    case AMOUNT_WEIGHT:
        return psetUnitSymbols(u).pszWeight;
    case AMOUNT_ARM:
        return psetUnitSymbols(u).pszArm;
    case AMOUNT_FUEL:
        return psetUnitSymbols(u).pszFuel;
    }
    return "";
}

int leastDecimals(_wbAmount nAmount)
{
    return nAmount == AMOUNT_ARM ? 2 : 1;
}

std::string fixed(double n, int nDecimals)
{
    g_autofree gchar* pszFormat = g_strdup_printf("%%1.%df", nDecimals);
    return mscFormatNumber(pszFormat, n);
}

// Whether the pilot works in the unit the limit is written in.
bool inWrittenUnit(const LimitWords& w, const _wbSetup& u)
{
    return w.pszWrittenUnit == symbol(w.nAmount, u);
}

// A limit in the pilot's unit rounded to d decimals on its safe side, so
// the figure shown is itself within; scaled by 10^d.
double safeScaled(const LimitWords& w, const _wbSetup& u, int d)
{
    const double x = toShown(w.nAmount, w.nValue, u) * std::pow(10.0, d);
    return w.bUpper ? std::floor(x + 1e-6) : std::ceil(x - 1e-6);
}

// The decimals a limit is shown to: the written ones in the written unit;
// in another, the fewest (at least the entries') at which the safe side's
// figure is also the nearest one, a tie included.
int limitDecimals(const LimitWords& w, const _wbSetup& u)
{
    const int nLeast = leastDecimals(w.nAmount);
    if (inWrittenUnit(w, u))
        return std::max(nLeast, w.nWrittenDecimals);
    int d = nLeast;
    for (; d < 4; d++)
        if (std::fabs(safeScaled(w, u, d) - toShown(w.nAmount, w.nValue, u) * std::pow(10.0, d)) <= 0.5 + 1e-6)
            break;
    return d;
}

// How an amount is rounded: a breach up, a margin down.
enum _wbRound { ROUND_DOWN, ROUND_UP };

// A breach or a margin of a limit in the pilot's unit, to the limit's
// decimals, rounded away from what is safe: a breach of a hair is still one
// step.
std::string amount(const LimitWords& w, double nInternal, const _wbSetup& u, _wbRound nRound)
{
    const int d = limitDecimals(w, u);
    const double nScale = std::pow(10.0, d);
    double n = toShown(w.nAmount, nInternal, u) * nScale;
    n = nRound == ROUND_UP ? std::max(std::ceil(n - 1e-6), 1.0) : std::floor(n + 1e-6);
    return fixed(n / nScale, d) + " " + symbol(w.nAmount, u);
}

std::string beyondWords(int nLimit, double nMargin, const _wbSetup& u)
{
    const LimitWords& w = m_words[nLimit];
    std::string str = w.pszBeyond;
    if (const auto nAt = str.find("%s"); nAt != std::string::npos)
        str.replace(nAt, 2, pwbLimitText(static_cast<_wbLimit>(nLimit), u));
    return str + " " + amount(w, -nMargin, u, ROUND_UP);
}

std::string withinWords(int nLimit, const _wbJudgement& j, const _wbSetup& u)
{
    return amount(m_words[nLimit], j.limits[nLimit].nMargin, u, ROUND_DOWN) + " " + m_words[nLimit].pszWithin;
}

double nearness(int nLimit, const _wbJudgement& j)
{
    return j.limits[nLimit].nMargin / m_words[nLimit].nSpan;
}

// On the lateral limit to the millimetre the chart, reading inches, calls
// it out: so does the verdict.
constexpr const char* CHART_EDGE = "on the lateral limit, which the chart reads as beyond it";

std::string joined(const std::vector<std::string>& v)
{
    std::string str;
    for (const std::string& s : v)
        str += (str.empty() ? "" : "; ") + s;
    return str;
}

std::string fuelAmount(double nLitres, const _wbSetup& u)
{
    return fixed(psetLitresToFuel(nLitres, u.nUnitFuel), 1) + " " + psetUnitSymbols(u).pszFuel;
}

} // namespace

std::string pwbLimitText(_wbLimit nLimit, const _wbSetup& u)
{
    const LimitWords& w = m_words[nLimit];
    const std::string strWritten = fixed(w.nWritten, w.nWrittenDecimals) + " " + w.pszWrittenUnit;
    if (inWrittenUnit(w, u))
        return strWritten;
    const int d = limitDecimals(w, u);
    return fixed(safeScaled(w, u, d) / std::pow(10.0, d), d) + " " + symbol(w.nAmount, u) + " (" + strWritten + ")";
}

std::string pwbVerdictText(const _wbJudgement& j, const _wbSetup& u)
{
    if (std::isnan(j.limits[LIMIT_FORWARD].nMargin) || std::isnan(j.limits[LIMIT_WEIGHT].nMargin))
        return "NO LOADING ENTERED";
    std::vector<std::string> broken;
    for (int n = 0; n < LIMIT_COUNT; n++)
        if (j.limits[n].bBeyond)
            broken.push_back(beyondWords(n, j.limits[n].nMargin, u));
    if (j.bChartWarning && broken.empty())
        broken.push_back(CHART_EDGE);
    if (!broken.empty())
        return "OUT OF LIMITS: " + joined(broken);
    // The centre of gravity's margin, the one a pilot watches: the nearer
    // longitudinal limit, the lateral one too where it is nearer by its
    // span; then a weight or seat margin where that is nearer still (the
    // tank is the fuel entry's own).
    const int nLong = j.limits[LIMIT_FORWARD].nMargin <= j.limits[LIMIT_AFT].nMargin ? LIMIT_FORWARD : LIMIT_AFT;
    const int nLat = j.limits[LIMIT_LEFT].nMargin <= j.limits[LIMIT_RIGHT].nMargin ? LIMIT_LEFT : LIMIT_RIGHT;
    std::string str = "centre of gravity " + withinWords(nLong, j, u);
    double nCg = nearness(nLong, j);
    if (nearness(nLat, j) < nCg) {
        str += " and " + withinWords(nLat, j, u);
        nCg = nearness(nLat, j);
    }
    int nOther = LIMIT_WEIGHT;
    for (int n : {LIMIT_LSEAT, LIMIT_RSEAT})
        if (nearness(n, j) < nearness(nOther, j))
            nOther = n;
    if (nearness(nOther, j) < nCg)
        str += "; " + withinWords(nOther, j, u);
    // In a caution band, the chart's caution as well.
    const char* pszCaution = pwbCautionText(j.nChartMessage);
    return std::string("WITHIN LIMITS; ") + (pszCaution ? std::string("caution: ") + pszCaution + "; " : "") + str;
}

std::string pwbPointVerdictText(const _wbFlight& f, _wbFlightPoint nPoint, const _wbSetup& u)
{
    if (nPoint == POINT_LANDING && f.bTripOverFuel)
        return "not possible: the trip (" + fuelAmount(f.nTrip, u) + ") is more than the fuel on board (" +
               fuelAmount(f.nFuel, u) + ")";
    std::string str = pwbVerdictText(f.judged[nPoint], u);
    // Figures copied from another aircraft make no point within.
    constexpr std::string_view WITHIN = "WITHIN LIMITS";
    if (f.bUnconfirmed && str.starts_with(WITHIN))
        str.replace(0, WITHIN.size(), "NOT CONFIRMED (basic weight and arms copied)");
    return str;
}

std::string pwbFlightVerdictText(const _wbFlight& f, const _wbSetup& u)
{
    if (f.bNothingEntered)
        return "NO LOADING ENTERED";
    std::vector<std::string> broken;
    for (int nPoint = 0; nPoint < POINT_COUNT; nPoint++) {
        if (nPoint == POINT_LANDING && !f.bLanding)
            continue;
        const std::string strPoint = m_pointNames[nPoint];
        if (nPoint == POINT_LANDING && f.bTripOverFuel) {
            broken.push_back(strPoint + " " + pwbPointVerdictText(f, POINT_LANDING, u));
            continue;
        }
        const _wbJudgement& j = f.judged[nPoint];
        const size_t nBefore = broken.size();
        for (_wbLimit n : m_pointLimits)
            if (j.beyond(n))
                broken.push_back(strPoint + " " + beyondWords(n, j.limits[n].nMargin, u));
        if (j.bChartWarning && broken.size() == nBefore)
            broken.push_back(strPoint + " " + CHART_EDGE);
    }
    // The seats and the tank are the loading's: once, whatever the point.
    const _wbJudgement& t = f.judged[POINT_TAKE_OFF];
    for (_wbLimit n : m_loadingLimits)
        if (t.beyond(n))
            broken.push_back(beyondWords(n, t.limits[n].nMargin, u));
    const std::string strBroken = broken.empty() ? "" : "NOT WITHIN LIMITS: " + joined(broken);
    if (f.bUnconfirmed)
        return std::string("Basic weight and arms not confirmed for this aircraft") +
               (strBroken.empty() ? "" : "; " + strBroken);
    if (!strBroken.empty())
        return strBroken;
    return f.bLanding ? "WITHIN LIMITS for take-off, landing and with no fuel"
                      : "WITHIN LIMITS for take-off and with no fuel";
}
