// The verdict in words, from the one judgement against the limits: on a
// loaded point, and once on the whole flight, for the loading page and the
// load sheet. Every limit is shown to the digits that make it true, in the
// pilot's unit with the written one beside it.
#include "model/words.h"

#include "model/remedy.h"
#include "model/texts.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace
{

constexpr std::array<const char*, POINT_COUNT> m_pointNames = {"take-off", "landing", "with no fuel"};

// Whether the pilot works in the unit the limit is written in.
bool inWrittenUnit(const _limRow& w, const _wbSetup& u)
{
    return std::string_view(w.pszWrittenUnit) == unitSymbol(w.nAmount, u);
}

// A limit in the pilot's unit rounded to d decimals on its safe side, so
// the figure shown is itself within; scaled by 10^d.
double safeScaled(const _limRow& w, const _wbSetup& u, int d)
{
    const double x = unitToShown(w.nAmount, w.nValue, u) * std::pow(10.0, d);
    return w.nSense != SENSE_AT_LEAST ? std::floor(x + 1e-6) : std::ceil(x - 1e-6);
}

// The decimals a limit is shown to: the written ones in the written unit;
// in another, the fewest (at least the entries') at which the safe side's
// figure is also the nearest one, a tie included.
int limitDecimals(const _limRow& w, const _wbSetup& u)
{
    const int nLeast = txtDecimals(w.nAmount);
    if (inWrittenUnit(w, u))
        return std::max(nLeast, w.nWrittenDecimals);
    int d = nLeast;
    for (; d < 4; d++)
        if (std::fabs(safeScaled(w, u, d) - unitToShown(w.nAmount, w.nValue, u) * std::pow(10.0, d)) <= 0.5 + 1e-6)
            break;
    return d;
}

// How an amount is rounded: a breach up, a margin down.
enum _wbRound { ROUND_DOWN, ROUND_UP };

// A breach or a margin of a limit in the pilot's unit, to the limit's
// decimals, rounded away from what is safe: a breach of a hair is still one
// step.
std::string amount(const _limRow& w, double nInternal, const _wbSetup& u, _wbRound nRound)
{
    const int d = limitDecimals(w, u);
    const double nScale = std::pow(10.0, d);
    double n = unitToShown(w.nAmount, nInternal, u) * nScale;
    n = nRound == ROUND_UP ? std::max(std::ceil(n - 1e-6), 1.0) : std::floor(n + 1e-6);
    return txtFixed(n / nScale, d) + " " + unitSymbol(w.nAmount, u);
}

std::string beyondWords(int nLimit, double nMargin, const _wbSetup& u)
{
    const _limRow& w = LIM_ROWS[nLimit];
    std::string str = w.pszBeyond;
    if (const auto nAt = str.find("%s"); nAt != std::string::npos)
        str.replace(nAt, 2, wrdLimitText(static_cast<_wbLimit>(nLimit), u));
    return str + " " + amount(w, -nMargin, u, ROUND_UP);
}

std::string withinWords(int nLimit, const _wbJudgement& j, const _wbSetup& u)
{
    return amount(LIM_ROWS[nLimit], j.limits[nLimit].nMargin, u, ROUND_DOWN) + " " + LIM_ROWS[nLimit].pszWithin;
}

double nearness(int nLimit, const _wbJudgement& j)
{
    return j.limits[nLimit].nMargin / LIM_ROWS[nLimit].nSpan;
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
    return txtAmount(KIND_FUEL, nLitres, u);
}

// The limit of a quantity a judgement is nearest, by its margin: the first
// where two are as near, one with a number before one without.
int nearestOf(_limQuantityOf pfnQuantity, const _wbJudgement& j)
{
    int nBest = -1;
    for (const _limRow& r : LIM_ROWS)
        if (r.pfnQuantity == pfnQuantity && (nBest < 0 || !(j.limits[nBest].nMargin <= j.limits[r.nId].nMargin)))
            nBest = r.nId;
    return nBest;
}

// Quoted text that could read as an infinity or no number in a verdict.
bool namesNoNumber(const std::string& str)
{
    g_autofree gchar* pszLower = g_ascii_strdown(str.c_str(), -1);
    return strstr(pszLower, "inf") || strstr(pszLower, "nan");
}

// What a judged point says while a value it came from cannot be judged.
constexpr const char* NOT_JUDGED = "NOT JUDGED: a value it was calculated from cannot be right";

} // namespace

std::string wrdDoubtText(const _wbDoubt& d, const _wbSetup& u)
{
    // What is no number (a flag) reads as what it is.
    if (d.bNoNumber)
        return "the " + std::string(d.pszWhat) + " \u2068" + txtOneLine(d.strUnread, 40) +
               "\u2069 was not read: check it";
    if (!d.strUnread.empty()) {
        const std::string strText = txtOneLine(d.strUnread, 24);
        return "the " + std::string(d.pszWhat) + (namesNoNumber(strText) ? std::string() : " \"" + strText + "\"") +
               " was not read as a number: check it";
    }
    const _unitBounds* pb = unitBoundsOf(d.nKind);
    // To the decimals that show it is beyond its bounds (-0.01 kg is no
    // "-0.0 kg"), in the pilot's unit; a density with its unit's label.
    auto text = [&](double n) {
        const double nShown = unitToShown(d.nKind, n, u);
        const double nLeast = pb ? unitToShown(d.nKind, pb->nLeast, u) : 0,
                     nMost = pb ? unitToShown(d.nKind, pb->nMost, u) : 0;
        int nDecimals = d.nKind == KIND_DENSITY ? 3 : txtDecimals(d.nKind);
        auto rounded = [&] { return std::round(nShown * std::pow(10.0, nDecimals)) / std::pow(10.0, nDecimals); };
        while (nDecimals < 6 && pb && rounded() >= nLeast && rounded() <= nMost && n != pb->nLeast && n != pb->nMost)
            nDecimals++;
        // A figure that rounds to nothing is no "0.000", which reads as none,
        // nor one that still rounds to within its bounds.
        const bool bShort = (nShown != 0 && rounded() == 0) ||
                            (pb && rounded() >= nLeast && rounded() <= nMost && n != pb->nLeast && n != pb->nMost);
        const std::string strFigure = bShort ? txtNumber("%.12g", nShown) : txtFixed(nShown, nDecimals);
        std::string str =
            strFigure + " " + (d.nKind == KIND_DENSITY ? unitLabel(KIND_DENSITY, u) : unitSymbol(d.nKind, u));
        if (str.starts_with("-"))
            str.replace(0, 1, "\u2212");
        return str;
    };
    std::string strValue;
    if (!std::isfinite(d.nValue))
        strValue = "that is no finite number";
    else if (pb && d.nValue > pb->nMost)
        strValue = d.nValue > pb->nMost * 100 ? "over " + text(pb->nMost) : text(d.nValue);
    else if (pb && d.nValue < pb->nLeast)
        strValue = d.nValue < -std::fabs(pb->nMost) * 100 ? "under " + text(pb->nLeast) : text(d.nValue);
    else
        strValue = text(d.nValue);
    return std::string(d.pszWhat) + " " + strValue + " cannot be right";
}

std::string wrdCautionText(_chartMessage nMessage)
{
    const char* psz = nMessage == CHART_MSG_TAILWIND ? WRD_TAILWIND : nMessage == CHART_MSG_SPEED ? WRD_SPEED : "";
    std::string str = psz;
    std::replace(str.begin(), str.end(), '\n', ' ');
    return str;
}

std::string wrdLimitText(_wbLimit nLimit, const _wbSetup& u)
{
    const _limRow& w = LIM_ROWS[nLimit];
    const std::string strWritten = txtFixed(w.nWritten, w.nWrittenDecimals) + " " + w.pszWrittenUnit;
    if (inWrittenUnit(w, u))
        return strWritten;
    const int d = limitDecimals(w, u);
    return txtFixed(safeScaled(w, u, d) / std::pow(10.0, d), d) + " " + unitSymbol(w.nAmount, u) + " (" + strWritten +
           ")";
}

std::string wrdVerdictText(const _wbJudgement& j, const _wbSetup& u)
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
    const int nLong = nearestOf(limLongArm, j);
    const int nLat = nearestOf(limLatArm, j);
    std::string str = "centre of gravity " + withinWords(nLong, j, u);
    double nCg = nearness(nLong, j);
    if (nearness(nLat, j) < nCg) {
        str += " and " + withinWords(nLat, j, u);
        nCg = nearness(nLat, j);
    }
    int nOther = -1;
    for (const _limRow& r : LIM_ROWS)
        if (r.nAmount == KIND_WEIGHT && (nOther < 0 || nearness(r.nId, j) < nearness(nOther, j)))
            nOther = r.nId;
    if (nearness(nOther, j) < nCg)
        str += "; " + withinWords(nOther, j, u);
    // In a caution band, the chart's caution as well.
    const std::string strCaution = wrdCautionText(j.nChartMessage);
    return "WITHIN LIMITS; " + (strCaution.empty() ? "" : "caution: " + strCaution + "; ") + str;
}

std::string wrdPointVerdictText(const _wbFlight& f, _wbFlightPoint nPoint, const _wbSetup& u)
{
    if (!f.doubts.empty())
        return NOT_JUDGED;
    if (nPoint == POINT_LANDING && f.bTripOverFuel)
        return "not possible: the trip (" + fuelAmount(f.nTrip, u) + ") is more than the fuel on board (" +
               fuelAmount(f.nFuel, u) + ")";
    std::string str = wrdVerdictText(f.judged[nPoint], u);
    // Figures copied from another aircraft make no point within.
    constexpr std::string_view WITHIN = "WITHIN LIMITS";
    if (f.bUnconfirmed && str.starts_with(WITHIN))
        str.replace(0, WITHIN.size(), "NOT CONFIRMED (basic weight and arms copied)");
    return str;
}

namespace
{

// Every limit a flight breaks at every point, each once with its point,
// the point first ("landing forward of the limit by 1.60 mm") or, for a
// leg, last ("forward of the limit by 1.60 mm at landing"); the seats and
// the tank, the loading's own, once without one; each doubted value's words
// instead while any value cannot be judged.
std::vector<std::string> brokenOf(const _wbFlight& f, const _wbSetup& u, bool bPointLast)
{
    std::vector<std::string> broken;
    for (const _wbDoubt& d : f.doubts)
        broken.push_back(wrdDoubtText(d, u));
    const auto at = [&](int nPoint, const std::string& str) {
        const std::string strPoint = m_pointNames[nPoint];
        return bPointLast ? str + (nPoint == POINT_NO_FUEL ? " " : " at ") + strPoint : strPoint + " " + str;
    };
    for (int nPoint = 0; nPoint < POINT_COUNT && f.doubts.empty() && !f.bNothingEntered; nPoint++) {
        if (!f.hasPoint(static_cast<_wbFlightPoint>(nPoint)))
            continue;
        if (nPoint == POINT_LANDING && f.bTripOverFuel) {
            broken.push_back(m_pointNames[nPoint] + std::string(" ") + wrdPointVerdictText(f, POINT_LANDING, u));
            continue;
        }
        const _wbJudgement& j = f.judged[nPoint];
        const size_t nBefore = broken.size();
        for (const _limRow& r : LIM_ROWS)
            if (r.nSubject == SUBJECT_POINT && j.beyond(r.nId))
                broken.push_back(at(nPoint, beyondWords(r.nId, j.limits[r.nId].nMargin, u)));
        if (j.bChartWarning && broken.size() == nBefore)
            broken.push_back(at(nPoint, CHART_EDGE));
    }
    // The seats and the tank are the loading's: once, whatever the point.
    const _wbJudgement& t = f.judged[POINT_TAKE_OFF];
    for (const _limRow& r : LIM_ROWS)
        if (f.doubts.empty() && !f.bNothingEntered && r.nSubject == SUBJECT_LOADING && t.beyond(r.nId))
            broken.push_back(beyondWords(r.nId, t.limits[r.nId].nMargin, u));
    return broken;
}

} // namespace

std::string wrdFlightVerdictText(const _wbFlight& f, const _wbSetup& u)
{
    if (f.doubts.empty() && f.bNothingEntered)
        return "NO LOADING ENTERED";
    const std::vector<std::string> broken = brokenOf(f, u, false);
    const std::string strBroken = broken.empty() ? "" : "NOT WITHIN LIMITS: " + joined(broken);
    if (f.bUnconfirmed)
        return std::string("Basic weight and arms not confirmed for this aircraft") +
               (strBroken.empty() ? "" : "; " + strBroken);
    if (!strBroken.empty())
        return strBroken;
    return f.bLanding ? "WITHIN LIMITS for take-off, landing and with no fuel"
                      : "WITHIN LIMITS for take-off and with no fuel";
}

namespace
{

// A range of fuel in the pilot's unit, the least rounded up and the most
// down to the one decimal shown (more where one would leave nothing), so
// every figure shown is itself within limits: "up to 64.5 L" or "36.7 to
// 64.5 L"; empty where no load is. A figure a hair from its step (a trip
// typed in gallons, back from litres) is that step.
std::string inwardRange(const _wbFuelRange& range, int nUnitFuel)
{
    if (!range.bKnown || !range.bAny)
        return {};
    for (int d = 1; d <= 3; d++) {
        const double nScale = std::pow(10.0, d);
        const double nLeast = std::ceil(unitLitresToFuel(range.nLeast, nUnitFuel) * nScale - 1e-6) / nScale;
        const double nMost = std::floor(unitLitresToFuel(range.nMost, nUnitFuel) * nScale + 1e-6) / nScale;
        if (nLeast <= nMost)
            return (nLeast <= 0 ? "up to " : txtFixed(nLeast, d) + " to ") + txtFixed(nMost, d) + " " +
                   unitFuelSymbol(nUnitFuel);
    }
    // A range too narrow for any figure (one volume: a trip of the whole
    // tank) is that volume, as near as it shows.
    return "only " + txtFixed(unitLitresToFuel(range.nLeast, nUnitFuel), 3) + " " + unitFuelSymbol(nUnitFuel);
}

const char* positionWords(int nPosn)
{
    switch (nPosn) {
    case BALLAST_NONE:
        return "Remove the ballast";
    case BALLAST_FRONT:
        return "Fit the ballast at the front";
    case BALLAST_REAR:
        return "Fit the ballast at the rear";
    default:
        return "";
    }
}

constexpr const char* NO_LOADING = "No loading of fuel and ballast is within limits";
constexpr const char* NO_LOADING_LOWER = "no loading of fuel and ballast is within limits";

// The position other than the one fitted to name, with fuel to show in the
// pilot's unit: the one that flies with the fuel on board where there is
// one, so the fuel and the ballast advice name the same; else the first of
// none, front and rear; -1 where none has.
int otherPosition(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& s)
{
    const _wbLoading& l = f.loading;
    const _wbBallastAdvice a = fuelBallastAdvice(s, l, f.nTrip);
    if (a.bNeeded && a.nPosn >= 0 && !inwardRange(plan.at[a.nPosn].takeOff, s.nUnitFuel).empty())
        return a.nPosn;
    for (guint nPosn : {BALLAST_NONE, BALLAST_FRONT, BALLAST_REAR})
        if (nPosn != plan.nChosen && !inwardRange(plan.at[nPosn].takeOff, s.nUnitFuel).empty())
            return static_cast<int>(nPosn);
    return -1;
}

// Where no fuel and no ballast position flies, the limit none brings back
// and what would, rather than a way the point lies that ballast might seem
// to mend: the fuel advice says both, the ballast advice what would; ""
// where neither is found.
std::string nothingFlies(const _wbFlight& f, const _wbSetup& s, double nTrip, bool bFuel)
{
    const _remWhy w = remWhy(s, f.loading, nTrip);
    const std::string strWhy = remReasonText(w, s), strRemedy = remRemedyText(w, f.loading, s);
    if (!w.bNothingFlies || (strWhy.empty() && strRemedy.empty()))
        return {};
    if (!bFuel)
        return strRemedy.empty() ? "" : "No ballast position helps: it flies with " + strRemedy;
    return NO_LOADING + (strWhy.empty() ? "" : ": " + strWhy) +
           (strRemedy.empty() ? "" : "\nIt flies with " + strRemedy);
}

} // namespace

const char* wrdBeyondWords(_wbBeyond nBeyond)
{
    switch (nBeyond) {
    case BEYOND_FORWARD:
        return "forward of the limit";
    case BEYOND_AFT:
        return "aft of the limit";
    case BEYOND_LATERAL:
        return "beyond the lateral limit";
    case BEYOND_WEIGHT:
        return "over weight";
    case BEYOND_NONE:
        break;
    }
    return "";
}

std::string wrdPointFiguresText(const _wbPoint& p, const _wbSetup& u)
{
    return txtAmount(KIND_WEIGHT, p.nWeight, u) + " at " + txtAmount(KIND_ARM, p.nLongArm, u) + ", lateral " +
           txtAmount(KIND_ARM, p.nLatArm, u);
}

bool wrdUnitsWritten(const _wbSetup& u)
{
    return std::string_view(unitSymbol(KIND_WEIGHT, u)) == "lb" && std::string_view(unitSymbol(KIND_ARM, u)) == "in";
}

_wbFuelPlan wrdFuelPlanOf(const _wbFlight& f, const _wbSetup& s, bool bTrip)
{
    const _wbLoading& l = f.loading;
    return fuelPlan(s, l, bTrip ? f.nTrip : 0);
}

std::string wrdFuelAdviceText(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& u, bool bTrip)
{
    if (!f.doubts.empty())
        return "No fuel advice while the " + std::string(f.doubts.front().pszWhat) + " cannot be judged.";
    const _wbTripFuel& chosen = plan.at[plan.nChosen];
    if (!chosen.takeOff.bKnown)
        return {};
    const std::string strUnit = std::string(" ") + unitFuelSymbol(u.nUnitFuel);
    const std::string strTrip = bTrip && f.nTrip > 0
                                    ? "\nwith a " + txtFixed(unitLitresToFuel(f.nTrip, u.nUnitFuel), 1) + strUnit +
                                          " trip (no reserve included)"
                                    : "";
    if (const std::string strRange = inwardRange(chosen.takeOff, u.nUnitFuel); !strRange.empty()) {
        if (!bTrip)
            return "Within limits: " + strRange;
        // What the range is: mass and balance alone, with the trip burned,
        // and no reserve in it.
        std::string str = "Mass and balance allow " + strRange + " at take-off" + strTrip;
        if (chosen.nKeep > 0)
            str += "\nKeep at least " +
                   txtFixed(std::ceil(unitLitresToFuel(chosen.nKeep, u.nUnitFuel) * 10 - 1e-6) / 10, 1) + strUnit +
                   " on board to landing";
        return str;
    }
    // None with the ballast as it is: the loading that flies, and why the
    // fuel burned rules this one out where it does.
    const int nOther = plan.pszSeatsOnly ? -1 : otherPosition(f, plan, u);
    if (const std::string strWhy = nOther < 0 ? nothingFlies(f, u, bTrip ? f.nTrip : 0, true) : ""; !strWhy.empty())
        return strWhy;
    if (plan.pszSeatsOnly)
        return std::string(plan.pszSeatsOnly) + ": " + NO_LOADING_LOWER;
    std::string str = nOther < 0 ? NO_LOADING
                                 : positionWords(nOther) + std::string(" and carry ") +
                                       inwardRange(plan.at[nOther].takeOff, u.nUnitFuel) + " at take-off" + strTrip;
    if (const _wbBeyond nNoFuel = plan.noFuel[plan.nChosen]; nNoFuel != BEYOND_NONE) {
        str[0] = static_cast<char>(g_ascii_tolower(str[0]));
        str = std::string("With the fuel burned this loading is ") + wrdBeyondWords(nNoFuel) + ": " + str;
    }
    return str;
}

std::string wrdBallastAdviceText(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& s)
{
    // No advice is worked from a value that cannot be judged.
    if (!f.doubts.empty() || !plan.at[plan.nChosen].takeOff.bKnown)
        return {};
    const _wbLoading& l = f.loading;
    const _wbBallastAdvice advice = fuelBallastAdvice(s, l, f.nTrip);
    if (!advice.bNeeded)
        return {};
    if (advice.nPosn >= 0)
        return positionWords(advice.nPosn);
    // None with this fuel: the fuel advice says what flies, if anything.
    const bool bOnlyChosen = !inwardRange(plan.at[plan.nChosen].takeOff, s.nUnitFuel).empty();
    if (const int nOther = otherPosition(f, plan, s); !bOnlyChosen && nOther >= 0)
        return positionWords(nOther);
    const std::string strWhy = bOnlyChosen ? "" : nothingFlies(f, s, f.nTrip, false);
    return strWhy.empty() ? "No ballast position helps" : strWhy;
}

std::vector<std::pair<std::string, std::string>> wrdItemChanges(const _wbSetup& s, const std::vector<bool>& fitted)
{
    std::vector<std::pair<std::string, std::string>> changes;
    for (size_t n = 0; n < s.items.size(); n++) {
        const _wbItem& i = s.items[n];
        const bool bFitted = calcItemFitted(s, fitted, n);
        if (bFitted != i.bWeighed)
            changes.emplace_back(i.strName,
                                 (bFitted ? "fitted +" : "removed \u2212") + txtAmount(KIND_WEIGHT, i.nWeight, s));
    }
    return changes;
}

namespace
{

// A leg by its number and its short name: "leg 2 (solo)".
std::string legName(size_t n, const std::vector<std::string>& labels)
{
    const std::string strLabel = n < labels.size() ? labels[n] : "";
    return "leg " + std::to_string(n + 1) + (strLabel.empty() ? "" : " (" + strLabel + ")");
}

// The point of the whole flight nearest a limit of its centre of gravity,
// as leg and point: the one a pilot watches.
std::pair<size_t, int> nearestPoint(const std::vector<_wbFlight>& legs)
{
    std::pair<size_t, int> best = {0, POINT_TAKE_OFF};
    double nBest = INFINITY;
    for (size_t n = 0; n < legs.size(); n++)
        for (int nPoint = 0; nPoint < POINT_COUNT; nPoint++) {
            if (!legs[n].hasPoint(static_cast<_wbFlightPoint>(nPoint)))
                continue;
            const _wbJudgement& j = legs[n].judged[nPoint];
            const double nNear = std::fmin(nearness(nearestOf(limLongArm, j), j), nearness(nearestOf(limLatArm, j), j));
            if (nNear < nBest) {
                nBest = nNear;
                best = {n, nPoint};
            }
        }
    return best;
}

} // namespace

std::string wrdLegsVerdictText(const std::vector<_wbFlight>& legs, const std::vector<std::string>& labels,
                               const _wbSetup& u)
{
    if (legs.size() == 1)
        return wrdFlightVerdictText(legs.front(), u);
    if (legs.empty() ||
        std::all_of(legs.begin(), legs.end(), [](const _wbFlight& f) { return f.doubts.empty() && f.bNothingEntered; }))
        return "NO LOADING ENTERED";
    // Each leg once, with everything it breaks; what of the legs was not
    // read is the flight's, first, and while it stands nothing is judged:
    // each leg says its own doubts alone.
    std::vector<std::string> broken;
    for (const _wbFlight& f : legs)
        for (const _wbDoubt& d : f.doubts)
            if (d.pszWhat && strcmp(d.pszWhat, CALC_LEG_GROUP) == 0)
                broken.push_back(wrdDoubtText(d, u));
    const bool bFlightDoubted = !broken.empty();
    for (size_t n = 0; n < legs.size(); n++) {
        _wbFlight f = legs[n];
        std::erase_if(f.doubts, [](const _wbDoubt& d) { return d.pszWhat && strcmp(d.pszWhat, CALC_LEG_GROUP) == 0; });
        std::vector<std::string> strs;
        if (!bFlightDoubted)
            strs = brokenOf(f, u, true);
        else
            for (const _wbDoubt& d : f.doubts)
                strs.push_back(wrdDoubtText(d, u));
        std::string strLeg;
        for (const std::string& str : strs)
            strLeg += (strLeg.empty() ? "" : ", ") + str;
        if (!strLeg.empty())
            broken.push_back(legName(n, labels) + (legs[n].doubts.empty() ? " " : ": ") + strLeg);
    }
    const std::string strBroken = broken.empty() ? "" : "NOT WITHIN LIMITS: " + joined(broken);
    if (legs.front().bUnconfirmed)
        return std::string("Basic weight and arms not confirmed for this aircraft") +
               (strBroken.empty() ? "" : "; " + strBroken);
    if (!strBroken.empty())
        return strBroken;
    // Within: the nearest margin of the whole flight, with its leg and point.
    const auto [nLeg, nPoint] = nearestPoint(legs);
    std::string strMargin = wrdVerdictText(legs[nLeg].judged[nPoint], u);
    constexpr std::string_view WITHIN = "WITHIN LIMITS; ";
    if (strMargin.starts_with(WITHIN))
        strMargin.erase(0, WITHIN.size());
    return "WITHIN LIMITS for every leg; nearest the limits " + legName(nLeg, labels) +
           (nPoint == POINT_NO_FUEL ? " " : " at ") + m_pointNames[nPoint] + ": " + strMargin;
}

std::string wrdFirstTakeOffText(const _wbFuelRange& range, const _wbSetup& u)
{
    if (!range.bKnown)
        return {};
    const std::string str = inwardRange(range, u.nUnitFuel);
    if (str.empty())
        return "No amount of fuel at the first take-off keeps every leg to the first stop that takes fuel on "
               "within limits";
    return "First take-off: mass and balance allow " + str + " for every leg to the first stop that takes fuel on";
}
