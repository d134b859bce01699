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

// The decimals the figures of one text take, one for each kind of amount,
// so that no text gives a kind to two precisions: the entries', more where
// a breach would read as its own limit.
using Digits = std::array<int, KIND_WEIGHT_MARGIN + 1>; // every kind of amount

Digits entryDigits(void)
{
    Digits d{};
    for (size_t n = 0; n < d.size(); n++)
        d[n] = txtDecimals(static_cast<_unitKind>(n));
    return d;
}

// How the figure of a limit is rounded, signed: inward.
_txtRound limitSide(const _limRow& w)
{
    return w.nSense == SENSE_AT_MOST ? ROUND_LIMIT_MOST : ROUND_LIMIT_LEAST;
}

// A limit in the pilot's unit to d decimals, inward so the figure shown is
// itself within; as written in the written unit, which is exact.
std::string limitText(_wbLimit nLimit, const _wbSetup& u, int d)
{
    const _limRow& w = LIM_ROWS[nLimit];
    const std::string strWritten = txtFixed(w.nWritten, w.nWrittenDecimals) + " " + w.pszWrittenUnit;
    if (inWrittenUnit(w, u))
        return strWritten;
    // A limit either side is shown by its size, which inward is smaller.
    const _txtRound nSide = w.nSense == SENSE_AT_LEAST ? ROUND_LIMIT_LEAST : ROUND_LIMIT_MOST;
    return txtRounded(unitToShown(w.nAmount, w.nValue, u), nSide, d) + " " + unitSymbol(w.nAmount, u) + " (" +
           strWritten + ")";
}

// The decimals at which a value beyond a limit by nBreach reads beyond it,
// the value as its field shows it and the limit inward; -1 where a hair
// reads as the limit itself at every one.
int breachDecimals(const _limRow& w, double nBreach, const _wbSetup& u)
{
    const double nLimit = limSignedValue(w);
    const double nValue = w.nSense == SENSE_AT_MOST ? nLimit + nBreach : nLimit - nBreach;
    return txtDecimalsApart(unitToShown(w.nAmount, nValue, u), ROUND_NEAREST, unitToShown(w.nAmount, nLimit, u),
                            limitSide(w), txtDecimals(w.nAmount));
}

// A figure too small for any of the digits a text may take, in words that
// need none: "less than 0.0001 in".
std::string lessThanAStep(_unitKind nKind, const _wbSetup& u)
{
    const int d = txtDecimals(nKind) + TXT_MORE_DECIMALS;
    return "less than " + txtFixed(std::pow(10.0, -d), d) + " " + unitSymbol(nKind, u);
}

// A breach of a limit in the pilot's unit to the text's decimals of its
// kind, rounded up: a breach of a hair is still one step, and one that
// would read as the limit itself is said to be less than the last step.
std::string breachText(const _limRow& w, double nBreach, const _wbSetup& u, const Digits& digits)
{
    if (breachDecimals(w, nBreach, u) < 0)
        return lessThanAStep(w.nAmount, u);
    return txtRounded(unitToShown(w.nAmount, nBreach, u), ROUND_BREACH, digits[w.nAmount]) + " " +
           unitSymbol(w.nAmount, u);
}

// A margin within a limit in the pilot's unit to the entries' decimals,
// rounded down: none reads as more room than there is.
std::string marginText(const _limRow& w, double nMargin, const _wbSetup& u)
{
    return txtRounded(unitToShown(w.nAmount, nMargin, u), ROUND_MARGIN, txtDecimals(w.nAmount)) + " " +
           unitSymbol(w.nAmount, u);
}

std::string beyondWords(int nLimit, double nMargin, const _wbSetup& u, const Digits& digits)
{
    const _limRow& w = LIM_ROWS[nLimit];
    std::string str = w.pszBeyond;
    if (const auto nAt = str.find("%s"); nAt != std::string::npos)
        str.replace(nAt, 2, limitText(static_cast<_wbLimit>(nLimit), u, digits[w.nAmount]));
    return str + " " + breachText(w, -nMargin, u, digits);
}

std::string withinWords(int nLimit, const _wbJudgement& j, const _wbSetup& u)
{
    return marginText(LIM_ROWS[nLimit], j.limits[nLimit].nMargin, u) + " " + LIM_ROWS[nLimit].pszWithin;
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

// A landing after a trip longer than the fuel on board, with both figures
// to the text's fuel decimals where they read apart there, in words alone
// where they would read alike.
std::string tripWords(double nTrip, double nFuel, const _wbSetup& u, const Digits& digits)
{
    const int d = digits[KIND_FUEL];
    const double nTripShown = unitToShown(KIND_FUEL, nTrip, u), nFuelShown = unitToShown(KIND_FUEL, nFuel, u);
    if (txtRounded(nTripShown, ROUND_NEAREST, d) == txtRounded(nFuelShown, ROUND_NEAREST, d))
        return "not possible: the trip is more than the fuel on board";
    const std::string strUnit = std::string(" ") + unitSymbol(KIND_FUEL, u);
    return "not possible: the trip (" + txtRounded(nTripShown, ROUND_NEAREST, d) + strUnit +
           ") is more than the fuel on board (" + txtRounded(nFuelShown, ROUND_NEAREST, d) + strUnit + ")";
}

// A part of a verdict: a limit broken by its margin (nLimit), or a trip
// longer than the fuel (bTrip), or a margin of the school's broken by its
// own (nSchool), or none of them, between words before and after.
struct Part {
    std::string strBefore;
    int nLimit = -1;
    double nMargin = 0;
    bool bTrip = false;
    double nTrip = 0, nFuel = 0;
    std::string strAfter = {};
    int nSchool = -1;
};

// The leads of a verdict beyond a margin of the school's alone, and what it
// still says of the certified limits.
constexpr const char* SCHOOL_BEYOND = "NOT WITHIN THE SCHOOL'S MARGINS";
constexpr const char* SCHOOL_CERTIFIED = "within the certified limits";

// A margin of the school's broken, rounded up as every breach is: "beyond
// the school's aft margin by 1.4 mm".
std::string schoolBeyondWords(int nSchool, double nMargin, const _wbSetup& u, const Digits& digits)
{
    const _limMarginRow& m = LIM_MARGIN_ROWS[nSchool];
    const _unitKind nKind = LIM_ROWS[m.nLimit].nAmount;
    return std::string("beyond the school's ") + m.pszName + " margin by " +
           txtRounded(unitToShown(nKind, -nMargin, u), ROUND_BREACH, digits[nKind]) + " " + unitSymbol(nKind, u);
}

// Every margin of the school's a judged point lies beyond where its
// certified limit is kept (a certified limit broken says more).
std::vector<Part> schoolParts(const _wbJudgement& j)
{
    std::vector<Part> parts;
    for (const _limMarginRow& m : LIM_MARGIN_ROWS)
        if (j.margins[m.nId].bBeyond && !j.limits[m.nLimit].bBeyond)
            parts.push_back({.strBefore = "", .nMargin = j.margins[m.nId].nMargin, .nSchool = m.nId});
    return parts;
}

// The school's margin nearest among the points looked at, by its certified
// limit's span, with where it is; none where the school sets none.
struct SchoolNear {
    int nSchool = -1;
    double nNear = INFINITY, nMargin = 0;
    size_t nLeg = 0;
    int nPoint = POINT_TAKE_OFF;
};

void nearerSchool(const _wbJudgement& j, size_t nLeg, int nPoint, SchoolNear* pNear)
{
    for (const _limMarginRow& m : LIM_MARGIN_ROWS) {
        const double nMargin = j.margins[m.nId].nMargin;
        if (!std::isfinite(nMargin) || !(nMargin / LIM_ROWS[m.nLimit].nSpan < pNear->nNear))
            continue;
        *pNear = {m.nId, nMargin / LIM_ROWS[m.nLimit].nSpan, nMargin, nLeg, nPoint};
    }
}

// Within them all, the nearest in words, rounded down as every margin is:
// "within the certified limits, 2.1 mm inside the school's forward
// margin"; "" where the school sets none.
std::string schoolWithinWords(const SchoolNear& n, const _wbSetup& u)
{
    if (n.nSchool < 0)
        return {};
    const _limMarginRow& m = LIM_MARGIN_ROWS[n.nSchool];
    return std::string(SCHOOL_CERTIFIED) + ", " + marginText(LIM_ROWS[m.nLimit], n.nMargin, u) +
           " inside the school's " + m.pszName + " margin";
}

// Whether a verdict's parts break the school's margins alone.
bool schoolOnly(const std::vector<Part>& parts)
{
    return !parts.empty() && std::all_of(parts.begin(), parts.end(), [](const Part& p) { return p.nSchool >= 0; });
}

// The decimals of each kind that tell every breach of the parts from its
// limit, and the trip from the fuel: the most any one needs.
Digits digitsOf(const std::vector<Part>& parts, const _wbSetup& u)
{
    Digits digits = entryDigits();
    for (const Part& p : parts) {
        if (p.nSchool >= 0)
            continue;
        if (p.nLimit >= 0) {
            const _limRow& w = LIM_ROWS[p.nLimit];
            digits[w.nAmount] = std::max(digits[w.nAmount], breachDecimals(w, -p.nMargin, u));
        } else if (p.bTrip)
            digits[KIND_FUEL] =
                std::max(digits[KIND_FUEL],
                         txtDecimalsApart(unitToShown(KIND_FUEL, p.nTrip, u), ROUND_NEAREST,
                                          unitToShown(KIND_FUEL, p.nFuel, u), ROUND_NEAREST, txtDecimals(KIND_FUEL)));
    }
    return digits;
}

// The parts in words, each kind of figure to the decimals of the text
// they are part of.
std::vector<std::string> partsText(const std::vector<Part>& parts, const _wbSetup& u, const Digits& digits)
{
    std::vector<std::string> v;
    for (const Part& p : parts)
        v.push_back(p.strBefore +
                    (p.nSchool >= 0  ? schoolBeyondWords(p.nSchool, p.nMargin, u, digits)
                     : p.nLimit >= 0 ? beyondWords(p.nLimit, p.nMargin, u, digits)
                     : p.bTrip       ? tripWords(p.nTrip, p.nFuel, u, digits)
                                     : std::string()) +
                    p.strAfter);
    return v;
}

// The parts as a text of their own.
std::vector<std::string> partsText(const std::vector<Part>& parts, const _wbSetup& u)
{
    return partsText(parts, u, digitsOf(parts, u));
}

// The caution bands a flight's points lie in, as bits of the messages.
unsigned cautionsOf(const _wbFlight& f)
{
    unsigned nBits = 0;
    for (int n = 0; n < POINT_COUNT; n++)
        if (f.hasPoint(static_cast<_wbFlightPoint>(n)))
            nBits |= 1u << f.judged[n].nChartMessage;
    return nBits & (1u << CHART_MSG_SPEED | 1u << CHART_MSG_TAILWIND);
}

// The cautions a flight within limits is flown under, in its headline.
constexpr std::array<_chartMessage, 2> CAUTIONS = {CHART_MSG_SPEED, CHART_MSG_TAILWIND};

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
    if (!d.strSays.empty())
        return d.strSays;
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
            strFigure + " " +
            (d.nKind == KIND_DENSITY ? std::string(unitSymbols(u).pszWeight) + "/" + unitFuelSymbol(u.nUnitFuel)
                                     : std::string(unitSymbol(d.nKind, u)));
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
    switch (nMessage) {
    case CHART_MSG_SPEED:
        return "maximum speed 95 MPH (82 kt)";
    case CHART_MSG_TAILWIND:
        return "maximum tailwind in the hover 10 MPH (8 kt)";
    default:
        return {};
    }
}

std::string wrdLimitText(_wbLimit nLimit, const _wbSetup& u)
{
    return limitText(nLimit, u, txtDecimals(LIM_ROWS[nLimit].nAmount));
}

std::string wrdLimitTextBeyond(_wbLimit nLimit, double nBreach, const _wbSetup& u)
{
    // Where no digits tell them apart, the limit as written alone: a
    // figure would read as the field's own.
    const _limRow& w = LIM_ROWS[nLimit];
    const int d = breachDecimals(w, nBreach, u);
    return d < 0 ? txtFixed(w.nWritten, w.nWrittenDecimals) + " " + w.pszWrittenUnit : limitText(nLimit, u, d);
}

namespace
{

// A point within limits in words: the centre of gravity's margin, the one
// a pilot watches: the nearer longitudinal limit, the lateral one too
// where it is nearer by its span; then a weight or seat margin where that
// is nearer still (the tank is the fuel entry's own).
std::string marginsOf(const _wbJudgement& j, const _wbSetup& u)
{
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
    return str;
}

} // namespace

std::string wrdVerdictText(const _wbJudgement& j, const _wbSetup& u)
{
    if (std::isnan(j.limits[LIMIT_FORWARD].nMargin) || std::isnan(j.limits[LIMIT_WEIGHT].nMargin))
        return "NO LOADING ENTERED";
    std::vector<Part> broken;
    for (int n = 0; n < LIMIT_COUNT; n++)
        if (j.limits[n].bBeyond)
            broken.push_back({"", n, j.limits[n].nMargin});
    if (j.bChartWarning && broken.empty())
        broken.push_back({CHART_EDGE});
    const std::vector<Part> school = schoolParts(j);
    broken.insert(broken.end(), school.begin(), school.end());
    if (schoolOnly(broken))
        return std::string(SCHOOL_BEYOND) + ": " + joined(partsText(broken, u)) + "; " + SCHOOL_CERTIFIED;
    if (!broken.empty())
        return "OUT OF LIMITS: " + joined(partsText(broken, u));
    // In a caution band, the chart's caution as well.
    const std::string strCaution = wrdCautionText(j.nChartMessage);
    SchoolNear near;
    nearerSchool(j, 0, POINT_TAKE_OFF, &near);
    const std::string strSchool = schoolWithinWords(near, u);
    return "WITHIN LIMITS; " + (strCaution.empty() ? "" : "caution: " + strCaution + "; ") + marginsOf(j, u) +
           (strSchool.empty() ? "" : "; " + strSchool);
}

std::string wrdPointVerdictText(const _wbFlight& f, _wbFlightPoint nPoint, const _wbSetup& u)
{
    if (!f.doubts.empty())
        return NOT_JUDGED;
    if (nPoint == POINT_LANDING && f.bTripOverFuel)
        return joined(partsText({{"", -1, 0, true, f.nTrip, f.nFuel}}, u));
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
std::vector<Part> brokenOf(const _wbFlight& f, const _wbSetup& u, bool bPointLast)
{
    std::vector<Part> broken;
    for (const _wbDoubt& d : f.doubts)
        broken.push_back({wrdDoubtText(d, u)});
    const auto at = [&](int nPoint, Part p) {
        const std::string strPoint = m_pointNames[nPoint];
        if (bPointLast)
            p.strAfter += (nPoint == POINT_NO_FUEL ? " " : " at ") + strPoint;
        else
            p.strBefore = strPoint + " " + p.strBefore;
        return p;
    };
    for (int nPoint = 0; nPoint < POINT_COUNT && f.doubts.empty() && !f.bNothingEntered; nPoint++) {
        if (!f.hasPoint(static_cast<_wbFlightPoint>(nPoint)))
            continue;
        if (nPoint == POINT_LANDING && f.bTripOverFuel) {
            broken.push_back({m_pointNames[nPoint] + std::string(" "), -1, 0, true, f.nTrip, f.nFuel});
            continue;
        }
        const _wbJudgement& j = f.judged[nPoint];
        const size_t nBefore = broken.size();
        for (const _limRow& r : LIM_ROWS)
            if (r.nSubject == SUBJECT_POINT && j.beyond(r.nId))
                broken.push_back(at(nPoint, {"", r.nId, j.limits[r.nId].nMargin}));
        if (j.bChartWarning && broken.size() == nBefore)
            broken.push_back(at(nPoint, {CHART_EDGE}));
        for (const Part& p : schoolParts(j))
            broken.push_back(at(nPoint, p));
    }
    // The seats and the tank are the loading's: once, whatever the point.
    const _wbJudgement& t = f.judged[POINT_TAKE_OFF];
    for (const _limRow& r : LIM_ROWS)
        if (f.doubts.empty() && !f.bNothingEntered && r.nSubject == SUBJECT_LOADING && t.beyond(r.nId))
            broken.push_back({"", r.nId, t.limits[r.nId].nMargin});
    return broken;
}

// A verdict of what is broken: beyond the certified limits, or beyond the
// school's margins alone and still within them; "" for nothing.
std::string brokenText(const std::string& strParts, bool bSchoolOnly)
{
    if (strParts.empty())
        return {};
    return bSchoolOnly ? std::string(SCHOOL_BEYOND) + ": " + strParts + "; " + SCHOOL_CERTIFIED
                       : "NOT WITHIN LIMITS: " + strParts;
}

// Where a point is, after what is said of it: " at landing", " with no fuel".
std::string pointWords(int nPoint)
{
    return (nPoint == POINT_NO_FUEL ? " " : " at ") + std::string(m_pointNames[nPoint]);
}

// The cautions of legs within limits, each with the legs it applies to
// where not every leg does ("maximum speed 95 MPH (82 kt) on leg 1"), for
// the headline: " \u2014 caution: …"; "" under none.
std::string cautionsText(const std::vector<unsigned>& legCautions, const std::vector<std::string>& legNames)
{
    std::string str;
    for (_chartMessage nMessage : CAUTIONS) {
        std::string strLegs;
        size_t nLegs = 0;
        for (size_t n = 0; n < legCautions.size(); n++)
            if (legCautions[n] & (1u << nMessage)) {
                strLegs += (strLegs.empty() ? " on " : ", ") + legNames[n];
                nLegs++;
            }
        if (nLegs > 0)
            str += (str.empty() ? " \u2014 caution: " : "; ") + wrdCautionText(nMessage) +
                   (nLegs == legCautions.size() ? "" : strLegs);
    }
    return str;
}

} // namespace

std::string wrdFlightVerdictText(const _wbFlight& f, const _wbSetup& u)
{
    if (f.doubts.empty() && f.bNothingEntered)
        return "NO LOADING ENTERED";
    const std::vector<Part> parts = brokenOf(f, u, false);
    const std::string strBroken = brokenText(joined(partsText(parts, u)), schoolOnly(parts));
    // Figures not confirmed are said first; a caution still stands.
    if (f.bUnconfirmed)
        return std::string("Basic weight and arms not confirmed for this aircraft") +
               (strBroken.empty() ? cautionsText({cautionsOf(f)}, {""}) : "; " + strBroken);
    if (!strBroken.empty())
        return strBroken;
    SchoolNear near;
    for (int n = 0; n < POINT_COUNT; n++)
        if (f.hasPoint(static_cast<_wbFlightPoint>(n)))
            nearerSchool(f.judged[n], 0, n, &near);
    const std::string strSchool = schoolWithinWords(near, u);
    return std::string(f.bLanding ? "WITHIN LIMITS for take-off, landing and with no fuel"
                                  : "WITHIN LIMITS for take-off and with no fuel") +
           cautionsText({cautionsOf(f)}, {""}) + (strSchool.empty() ? "" : "; " + strSchool + pointWords(near.nPoint));
}

namespace
{

// A range of fuel in the pilot's unit, the least and the most inward to
// the entries' decimal (more where one would leave nothing), so every
// figure shown is itself within limits: "up to 64.5 L" or "36.7 to 64.5
// L"; empty where no load is. *pnDecimals, where given, says to how many.
std::string inwardRange(const _wbFuelRange& range, int nUnitFuel, int* pnDecimals = nullptr)
{
    if (!range.bKnown || !range.bAny)
        return {};
    const double nLeastShown = unitLitresToFuel(range.nLeast, nUnitFuel),
                 nMostShown = unitLitresToFuel(range.nMost, nUnitFuel);
    const int nFirst = txtDecimals(KIND_FUEL);
    for (int d = nFirst; d <= nFirst + TXT_MORE_DECIMALS; d++) {
        const double nLeast = txtRound(nLeastShown, ROUND_LIMIT_LEAST, d);
        if (nLeast <= txtRound(nMostShown, ROUND_LIMIT_MOST, d)) {
            if (pnDecimals)
                *pnDecimals = d;
            return (nLeast <= 0 ? "up to " : txtRounded(nLeastShown, ROUND_LIMIT_LEAST, d) + " to ") +
                   txtRounded(nMostShown, ROUND_LIMIT_MOST, d) + " " + unitFuelSymbol(nUnitFuel);
        }
    }
    // A range too narrow for any figure (one volume: a trip of the whole
    // tank) is that volume, as near as it shows.
    if (pnDecimals)
        *pnDecimals = nFirst + TXT_MORE_DECIMALS;
    return "only " + txtRounded(nLeastShown, ROUND_NEAREST, nFirst + TXT_MORE_DECIMALS) + " " +
           unitFuelSymbol(nUnitFuel);
}

// A need as the words give it, in the pilot's unit: the sum of its parts
// each rounded up, so that the parts add up to it and none reads less than
// the rule asks.
double neededShown(const _wbFuelNeed& need, const _wbSetup& u)
{
    double n = 0;
    for (const double nPart : {need.nTaxi, need.nTrip, need.nContingency, need.nReserve})
        n += txtRound(unitLitresToFuel(nPart, u.nUnitFuel), ROUND_LIMIT_LEAST, txtDecimals(KIND_FUEL));
    return txtRound(n, ROUND_NEAREST, txtDecimals(KIND_FUEL));
}

// The same in litres, for a range to begin at.
double neededLitres(const _wbFuelNeed& need, const _wbSetup& u)
{
    return unitFuelToLitres(neededShown(need, u), u.nUnitFuel);
}

// The least to carry where the leg's need is known: the larger of what
// mass and balance allow and the need, and which it is ("; carry 36.5 to
// 59.8 L: trip, contingency and 20 min reserve"); where the need is more
// than mass and balance allow, that it cannot be carried.
std::string carryText(const _wbFuelRange& range, const _wbFuelNeed& need, const _wbSetup& u)
{
    if (!need.bKnown || !range.bKnown || !range.bAny)
        return {};
    const std::string strUnit = std::string(" ") + unitFuelSymbol(u.nUnitFuel);
    // The need as the leg's own line says it.
    const double nNeeded = neededLitres(need, u);
    if (nNeeded > range.nMost)
        return "; the leg needs " + txtRounded(neededShown(need, u), ROUND_NEAREST, txtDecimals(KIND_FUEL)) + strUnit +
               ", more than mass and balance allow";
    if (nNeeded <= range.nLeast)
        return "; carry " + inwardRange(range, u.nUnitFuel) + ": mass and balance decide the least";
    std::string strParts = need.nTaxi > 0 ? "taxi, trip" : "trip";
    if (need.nContingency > 0)
        strParts += ", contingency";
    return "; carry " + inwardRange({true, true, nNeeded, range.nMost}, u.nUnitFuel) + ": " + strParts + " and " +
           txtNumber("%g", u.nReserveMinutes) + " min reserve";
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
// and what would, in one paragraph, rather than a way the point lies that
// ballast might seem to mend; "" where neither is found.
std::string nothingFlies(const _wbFlight& f, const _wbSetup& s, double nTrip)
{
    const _remWhy w = remWhy(s, f.loading, nTrip);
    const std::string strWhy = remReasonText(w, s), strRemedy = remRemedyText(w, f.loading, s);
    if (!w.bNothingFlies || (strWhy.empty() && strRemedy.empty()))
        return {};
    return NO_LOADING + (strWhy.empty() ? "" : ": " + strWhy) +
           (strRemedy.empty() ? "" : (strWhy.empty() ? ": it flies with " : "; it flies with ") + strRemedy);
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

std::string wrdFuelAdviceText(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& u, bool bTrip,
                              const _wbFuelNeed& need)
{
    if (!f.doubts.empty())
        return "No fuel advice while the " + std::string(f.doubts.front().pszWhat) + " cannot be judged.";
    const _wbTripFuel& chosen = plan.at[plan.nChosen];
    if (!chosen.takeOff.bKnown)
        return {};
    const std::string strUnit = std::string(" ") + unitFuelSymbol(u.nUnitFuel);
    // The trip and what to keep to the range's decimals: one precision for
    // the fuel in one advice.
    const auto trip = [&](int d) {
        return bTrip && f.nTrip > 0
                   ? "\nwith a " + txtRounded(unitLitresToFuel(f.nTrip, u.nUnitFuel), ROUND_NEAREST, d) + strUnit +
                         (need.bKnown ? " trip" : " trip (no reserve included)")
                   : "";
    };
    int d = txtDecimals(KIND_FUEL);
    if (const std::string strRange = inwardRange(chosen.takeOff, u.nUnitFuel, &d); !strRange.empty()) {
        if (!bTrip)
            return "Within limits: " + strRange;
        // What the range is: mass and balance alone, with the trip burned;
        // the reserve only where the fuel rule has a fuel flow to work it.
        std::string str = "Mass and balance allow " + strRange + " at take-off" + trip(d);
        str += carryText(chosen.takeOff, need, u);
        if (chosen.nKeep > 0)
            str += "\nKeep at least " + txtRounded(unitLitresToFuel(chosen.nKeep, u.nUnitFuel), ROUND_LIMIT_LEAST, d) +
                   strUnit + " on board to landing";
        return str;
    }
    // None with the ballast as it is: the loading that flies, and why the
    // fuel burned rules this one out where it does.
    const int nOther = plan.pszSeatsOnly ? -1 : otherPosition(f, plan, u);
    if (const std::string strWhy = nOther < 0 ? nothingFlies(f, u, bTrip ? f.nTrip : 0) : ""; !strWhy.empty())
        return strWhy;
    if (plan.pszSeatsOnly)
        return std::string(plan.pszSeatsOnly) + ": " + NO_LOADING_LOWER;
    std::string str = NO_LOADING;
    if (nOther >= 0) {
        const std::string strRange = inwardRange(plan.at[nOther].takeOff, u.nUnitFuel, &d);
        str = positionWords(nOther) + std::string(" and carry ") + strRange + " at take-off" + trip(d);
    }
    if (const _wbBeyond nNoFuel = plan.noFuel[plan.nChosen]; nNoFuel != BEYOND_NONE) {
        str[0] = static_cast<char>(g_ascii_tolower(str[0]));
        // Where the take-off is beyond the same way already, that is what
        // is true of it, not only the fuel burned.
        const bool bAtTakeOff = calcBeyondLimit(f.judged[POINT_TAKE_OFF]) == nNoFuel;
        str = std::string(bAtTakeOff ? "At take-off and with the fuel burned" : "With the fuel burned") +
              " this loading is " + wrdBeyondWords(nNoFuel) + ": " + str;
    }
    return str;
}

std::string wrdNothingFliesText(const _wbFlight& f, const _wbSetup& u)
{
    return f.doubts.empty() ? nothingFlies(f, u, f.nTrip) : "";
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
    // Where nothing flies, the fuel advice says why and what would.
    return "No ballast position helps";
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
    std::vector<std::vector<Part>> legParts;
    std::vector<Part> all;
    for (const _wbFlight& leg : legs) {
        _wbFlight f = leg;
        std::erase_if(f.doubts, [](const _wbDoubt& d) { return d.pszWhat && strcmp(d.pszWhat, CALC_LEG_GROUP) == 0; });
        legParts.push_back({});
        if (!bFlightDoubted)
            legParts.back() = brokenOf(f, u, true);
        else
            for (const _wbDoubt& d : f.doubts)
                legParts.back().push_back({wrdDoubtText(d, u)});
        all.insert(all.end(), legParts.back().begin(), legParts.back().end());
    }
    // One precision for each kind of figure across every leg.
    const Digits digits = digitsOf(all, u);
    for (size_t n = 0; n < legs.size(); n++) {
        std::string strLeg;
        for (const std::string& str : partsText(legParts[n], u, digits))
            strLeg += (strLeg.empty() ? "" : ", ") + str;
        if (!strLeg.empty())
            broken.push_back(legName(n, labels) + (legs[n].doubts.empty() ? " " : ": ") + strLeg);
    }
    const std::string strBroken = brokenText(joined(broken), !bFlightDoubted && schoolOnly(all));
    // Within: every caution with the legs it applies to, and the nearest
    // margin of the whole flight, with its leg and point.
    std::vector<unsigned> cautions;
    std::vector<std::string> names;
    for (size_t n = 0; n < legs.size(); n++) {
        cautions.push_back(cautionsOf(legs[n]));
        names.push_back(legName(n, labels));
    }
    if (legs.front().bUnconfirmed)
        return std::string("Basic weight and arms not confirmed for this aircraft") +
               (strBroken.empty() ? cautionsText(cautions, names) : "; " + strBroken);
    if (!strBroken.empty())
        return strBroken;
    const auto [nLeg, nPoint] = nearestPoint(legs);
    SchoolNear near;
    for (size_t n = 0; n < legs.size(); n++)
        for (int i = 0; i < POINT_COUNT; i++)
            if (legs[n].hasPoint(static_cast<_wbFlightPoint>(i)))
                nearerSchool(legs[n].judged[i], n, i, &near);
    const std::string strSchool = schoolWithinWords(near, u);
    return "WITHIN LIMITS for every leg" + cautionsText(cautions, names) + "; nearest the limits " +
           legName(nLeg, labels) + (nPoint == POINT_NO_FUEL ? " " : " at ") + m_pointNames[nPoint] + ": " +
           marginsOf(legs[nLeg].judged[nPoint], u) +
           (strSchool.empty() ? "" : "; " + strSchool + " on " + legName(near.nLeg, labels) + pointWords(near.nPoint));
}

std::string wrdSchoolMarginsText(const _wbSetup& u)
{
    std::string str;
    for (const _limMarginRow& m : LIM_MARGIN_ROWS) {
        // One figure keeps both sides: said once, for each.
        const double nInside = limMarginInside(m, u);
        if (nInside <= 0 || m.nId == MARGIN_RIGHT)
            continue;
        const _limRow& r = LIM_ROWS[m.nLimit];
        str += (str.empty() ? "" : ", ") + txtAmount(r.nAmount, nInside, u) + " " +
               (m.nId == MARGIN_LEFT ? "inside each lateral limit" : r.pszWithin);
    }
    return str.empty() ? str : "School's margins: " + str;
}

std::string wrdFirstTakeOffText(const _wbFuelRange& range, const _wbSetup& u, const std::vector<_wbLegFuel>& legs,
                                const std::vector<_wbFuelNeed>& needs)
{
    if (!range.bKnown)
        return {};
    const std::string str = inwardRange(range, u.nUnitFuel);
    if (str.empty())
        return "No amount of fuel at the first take-off keeps every leg to the first stop that takes fuel on "
               "within limits";
    // What the fuel rule asks at the first take-off: each leg's need, as
    // its line says it, with the trips flown before it on the same fuel.
    double nNeeded = 0, nBurned = 0;
    for (size_t n = 0; n < legs.size() && (n == 0 || legs[n].bAsLanded); n++) {
        if (n < needs.size() && needs[n].bKnown)
            nNeeded = std::fmax(nNeeded, neededLitres(needs[n], u) + nBurned);
        nBurned += legs[n].nTripLitres;
    }
    std::string strNeed;
    if (nNeeded > range.nMost)
        strNeed = "; the legs need " +
                  txtRounded(unitLitresToFuel(nNeeded, u.nUnitFuel), ROUND_LIMIT_LEAST, txtDecimals(KIND_FUEL)) + " " +
                  unitFuelSymbol(u.nUnitFuel) + ", more than mass and balance allow";
    else if (nNeeded > range.nLeast)
        strNeed = "; carry " + inwardRange({true, true, nNeeded, range.nMost}, u.nUnitFuel) + ": their trips and " +
                  txtNumber("%g", u.nReserveMinutes) + " min reserve";
    return "First take-off: mass and balance allow " + str + " for every leg to the first stop that takes fuel on" +
           strNeed;
}

namespace
{

// A fuel figure in the pilot's unit, rounded its way, without its unit.
std::string fuelFigure(double nLitres, _txtRound nRound, const _wbSetup& u, int d = -1)
{
    return txtRounded(unitLitresToFuel(nLitres, u.nUnitFuel), nRound, d < 0 ? txtDecimals(KIND_FUEL) : d);
}

} // namespace

std::string wrdFuelNeedText(const _wbFuelNeed& need, const _wbSetup& u)
{
    if (!need.bKnown)
        return {};
    const std::string strUnit = std::string(" ") + unitFuelSymbol(u.nUnitFuel);
    const int d = txtDecimals(KIND_FUEL);
    const double nNeeds = neededShown(need, u), nHas = unitLitresToFuel(need.nOnBoard, u.nUnitFuel);
    std::string str = "Needs " + txtRounded(nNeeds, ROUND_NEAREST, d) + strUnit + ": ";
    if (need.nTaxi > 0)
        str += "taxi " + fuelFigure(need.nTaxi, ROUND_LIMIT_LEAST, u) + ", ";
    str += "trip " + fuelFigure(need.nTrip, ROUND_LIMIT_LEAST, u);
    if (need.nContingency > 0)
        str += ", contingency " + fuelFigure(need.nContingency, ROUND_LIMIT_LEAST, u);
    str += ", reserve " + fuelFigure(need.nReserve, ROUND_LIMIT_LEAST, u) + " (" + txtNumber("%g", u.nReserveMinutes) +
           " min); " + fuelFigure(need.nOnBoard, ROUND_NEAREST, u) + strUnit + " on board, ";
    // What is more or short, worked from the need as shown: more rounds
    // down (and a leg on the need to a hair has nothing more), short up.
    if (!need.isShort())
        return str + txtRounded(std::fmax(nHas - nNeeds, 0.0), ROUND_MARGIN, d) + strUnit + " more";
    return str +
           txtRounded(std::fmax(nNeeds - nHas, unitLitresToFuel(need.nRequired - need.nOnBoard, u.nUnitFuel)),
                      ROUND_BREACH, d) +
           strUnit + " short";
}

std::string wrdFuelShortText(const std::vector<_wbFuelNeed>& needs, const _wbSetup& u)
{
    std::string str;
    const std::string strUnit = std::string(" ") + unitFuelSymbol(u.nUnitFuel);
    for (size_t n = 0; n < needs.size(); n++) {
        const _wbFuelNeed& need = needs[n];
        if (!need.isShort())
            continue;
        // To the decimals at which the need and the fuel read apart.
        // The need as the leg's line gives it; to more decimals only where
        // it and the fuel read alike.
        const double nNeeds = unitLitresToFuel(need.nRequired, u.nUnitFuel),
                     nHas = unitLitresToFuel(need.nOnBoard, u.nUnitFuel);
        int d = txtDecimalsApart(nNeeds, ROUND_LIMIT_LEAST, nHas, ROUND_NEAREST, txtDecimals(KIND_FUEL));
        if (d < 0)
            d = txtDecimals(KIND_FUEL) + TXT_MORE_DECIMALS;
        const std::string strNeeds = d == txtDecimals(KIND_FUEL) ? txtRounded(neededShown(need, u), ROUND_NEAREST, d)
                                                                 : txtRounded(nNeeds, ROUND_LIMIT_LEAST, d);
        str += (str.empty() ? "NOT ENOUGH FUEL: " : "; ") +
               (needs.size() > 1 ? "leg " + std::to_string(n + 1) + " needs " : std::string("needs ")) + strNeeds +
               strUnit + ", has " + txtRounded(nHas, ROUND_NEAREST, d) + strUnit;
    }
    return str;
}

std::string wrdWithFuelNeeds(const std::string& strVerdict, const std::vector<_wbFuelNeed>& needs, const _wbSetup& u)
{
    const std::string strShort = wrdFuelShortText(needs, u);
    return strShort.empty() ? strVerdict : strShort + "; " + strVerdict;
}

std::string wrdVerdictKind(const std::string& strVerdict)
{
    // The first of the verdict's words in capitals that say it, wherever
    // they stand ("NOT WITHIN" before the "WITHIN" it holds).
    std::string str;
    for (const char* psz :
         {"NOT ENOUGH FUEL", "NO LOADING ENTERED", "NOT JUDGED", "NOT WITHIN LIMITS", SCHOOL_BEYOND, "WITHIN LIMITS"})
        if (strVerdict.find(psz) != std::string::npos) {
            str = psz;
            break;
        }
    return (strVerdict.starts_with("Basic weight and arms not confirmed") ? "unconfirmed " : "") + str;
}

std::string wrdTripTimeApartText(double nMinutes, double nTripLitres, double nFlow, const _wbSetup& u)
{
    auto figure = [&](_unitKind nKind, double n, int nDecimals) {
        return txtRounded(unitToShown(nKind, n, u), ROUND_NEAREST, nDecimals) + " " + unitSymbol(nKind, u);
    };
    return "the trip time " + figure(KIND_MINUTES, nMinutes, 0) + " is not the trip fuel " +
           figure(KIND_FUEL, nTripLitres, txtDecimals(KIND_FUEL)) + " at the fuel flow " +
           figure(KIND_FLOW, nFlow, txtDecimals(KIND_FUEL)) + " (the flow changed since): type either again";
}
