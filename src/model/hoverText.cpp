// Hover in words: a take-off or landing's line for the page and the sheet,
// a site's conditions, and the flight's verdict with what hover makes of
// it. Weights in the pilot's unit; altitudes in feet.
#include "model/hover.h"

#include "model/texts.h"

#include <algorithm>
#include <array>

namespace
{

constexpr std::array<const char*, HOV_EFFECTS> EFFECT_WORDS = {"in ground effect", "out of ground effect"};

// Altitudes up to the next 10 ft, never lower than they are: the charts
// are read no finer. Figures
// are ungrouped and in the locale, as every other of Zarv's, so that no
// separator of thousands can read as a decimal one.
std::string altitude(double nFeet)
{
    return txtRounded(std::ceil(nFeet / 10 - 1e-9) * 10, ROUND_NEAREST, 0) + " ft";
}

// An elevation as the pilot typed it, to the foot; a temperature and a
// QNH to their tenth, without a trailing zero.
std::string elevation(double nFeet)
{
    return txtRounded(nFeet, ROUND_NEAREST, 0) + " ft";
}

std::string tenths(double n)
{
    return txtNumber("%.6g", txtRound(n, ROUND_NEAREST, 1));
}

std::string weight(double nKg, _txtRound nRound, int nDecimals, const _wbSetup& u)
{
    return txtRounded(unitToShown(KIND_WEIGHT, nKg, u), nRound, nDecimals) + " " + unitSymbol(KIND_WEIGHT, u);
}

// A chart's figure as shown: the greatest weight rounded down in the
// pilot's unit, to the whole unit, or to the decimals that keep it apart
// from the weight where the two would read the wrong way round.
struct Shown {
    double nFigure, nLoaded;
    int nDecimals;
};

Shown shownOf(const _hovAt& at, _hovEffect e, const _wbSetup& u)
{
    const double nFigure = unitToShown(KIND_WEIGHT, at.figures[e].nWeight, u);
    const double nLoaded = unitToShown(KIND_WEIGHT, at.nWeight, u);
    const bool bShort = at.nWeight > at.figures[e].nWeight;
    // (A figure worked to 649.9999999 is 650, a hair from its step.)
    constexpr double HAIR = 1e-9;
    int d = 0;
    while (d < txtDecimals(KIND_WEIGHT) + TXT_MORE_DECIMALS &&
           (bShort ? txtRounded(nFigure, ROUND_LIMIT_MOST, d) == txtRounded(nLoaded, ROUND_NEAREST, d)
                   : txtRound(nFigure, ROUND_LIMIT_MOST, d) < nLoaded - HAIR))
        d++;
    return {txtRound(nFigure, ROUND_LIMIT_MOST, d), nLoaded, d};
}

std::string upTo(const _hovAt& at, _hovEffect e, const _wbSetup& u)
{
    const Shown s = shownOf(at, e, u);
    return "up to " + txtRounded(s.nFigure, ROUND_NEAREST, s.nDecimals) + " " + unitSymbol(KIND_WEIGHT, u);
}

// One chart's words in a take-off or landing's line: what is to spare or
// short is the figure as shown less the weight, so the two figures the
// pilot reads add up to it.
std::string effectText(const _hovAt& at, _hovEffect e, const _wbSetup& u)
{
    const _hovFigure& f = at.figures[e];
    const std::string strEffect = EFFECT_WORDS[e];
    if (!f.bKnown)
        return strEffect + " " + f.strBeyond + ": no hover figure";
    const Shown s = shownOf(at, e, u);
    const double nSpare = s.nFigure - s.nLoaded;
    const std::string strUnit = std::string(" ") + unitSymbol(KIND_WEIGHT, u);
    return strEffect + " " + upTo(at, e, u) + ", " +
           (at.nWeight <= f.nWeight
                ? txtRounded(std::fmax(nSpare, 0.0), ROUND_MARGIN, txtDecimals(KIND_WEIGHT)) + strUnit + " to spare"
                : txtRounded(-nSpare, ROUND_BREACH, txtDecimals(KIND_WEIGHT)) + strUnit + " short");
}

// What a take-off or landing short of a chart says in the verdict: "hover
// in ground effect up to 575 kg, loaded 587.6 kg", or "no hover figure in
// ground effect (beyond the chart's 40 °C line)", or that the aircraft
// has no chart the rule asks for.
std::string shortText(const _hovAt& at, _hovEffect e, const _wbSetup& u)
{
    const std::string strEffect = EFFECT_WORDS[e];
    if (!at.bChart[e])
        return "no hover chart " + strEffect + ", which the operator's rule asks for";
    const _hovFigure& f = at.figures[e];
    // Why, as short as the headline has room for: the line says the rest.
    if (!f.bKnown)
        return "no hover figure " + strEffect + " (" + f.strBeyond.substr(0, f.strBeyond.find(':')) + ")";
    // The weight to as many decimals as the figure, so that the two do not
    // read alike ("up to 650.00 kg, loaded 650.0 kg").
    return "hover " + strEffect + " " + upTo(at, e, u) + ", loaded " +
           weight(at.nWeight, ROUND_NEAREST, std::max(txtDecimals(KIND_WEIGHT), shownOf(at, e, u).nDecimals), u);
}

bool isShort(const _hovAt& at, _hovEffect e)
{
    return at.bChart[e] && (!at.figures[e].bKnown || at.nWeight > at.figures[e].nWeight);
}

} // namespace

std::string hovAtText(const _hovAt& at, const char* pszPoint, const _wbSetup& units)
{
    if (!at.bShown)
        return {};
    return std::string("Hover at ") + pszPoint + " (elevation " + elevation(at.site.nElevation) + ", " +
           tenths(at.site.nOat) + " \u00b0C, density altitude " + altitude(at.nDensityAltitude) +
           "): " + hovFiguresText(at, units);
}

std::string hovFiguresText(const _hovAt& at, const _wbSetup& units)
{
    std::string str;
    if (!at.bShown)
        return str;
    for (const _hovEffect e : {HOV_IGE, HOV_OGE})
        if (at.bChart[e])
            str += (str.empty() ? "" : "; ") + effectText(at, e, units);
    return str;
}

std::string hovSiteText(const _hovAt& at)
{
    return "elevation " + elevation(at.site.nElevation) + ", QNH " + tenths(at.site.nQnh) + " hPa, " +
           tenths(at.site.nOat) + " \u00b0C; pressure altitude " + altitude(at.nPressureAltitude) +
           ", density altitude " + altitude(at.nDensityAltitude);
}

namespace
{

// What a take-off or landing is short of, not within (bAsked: in ground
// effect, and out of it where the rule asks) or as a caution, each chart's
// words after the one before.
std::string shortWords(const _hovAt& at, bool bOge, bool bAsked, const std::string& strWhere, const _wbSetup& u)
{
    std::string str;
    if (hovVerdictOf(at, bOge) == HOV_ENOUGH)
        return str;
    for (const _hovEffect e : {HOV_IGE, HOV_OGE}) {
        if ((e == HOV_IGE || bOge) != bAsked)
            continue;
        if (isShort(at, e) || (e == HOV_OGE && bOge && !at.bChart[e]))
            str += (str.empty() ? "" : "; ") + strWhere + shortText(at, e, u);
    }
    return str;
}

} // namespace

std::string hovPointWords(const std::string& strPoint, const _hovAt& at, bool bOge, const _wbSetup& units)
{
    const std::string strNot = shortWords(at, bOge, true, "", units);
    const std::string strCaution = shortWords(at, bOge, false, "", units);
    std::string str = strPoint;
    constexpr std::string_view NOT = "NOT WITHIN LIMITS";
    if (!strNot.empty())
        str =
            str.starts_with(NOT) ? str + "; " + strNot : std::string(NOT) + ": " + strNot + "; mass and balance " + str;
    return strCaution.empty() ? str : str + "; caution: " + strCaution;
}

std::string hovWithVerdict(const std::string& strVerdict, const std::vector<_hovLeg>& legs,
                           const std::vector<std::string>& names, bool bOge, const _wbSetup& units)
{
    std::string strNot, strCaution;
    for (size_t n = 0; n < legs.size(); n++)
        for (const auto& [pAt, pszPoint] :
             {std::pair{&legs[n].takeOff, "take-off"}, std::pair{&legs[n].landing, "landing"}}) {
            const _hovAt& at = *pAt;
            const _hovVerdict v = hovVerdictOf(at, bOge);
            if (v == HOV_ENOUGH)
                continue;
            const std::string strWhere = (legs.size() > 1 && n < names.size() ? names[n] + " " : "") + pszPoint + ": ";
            // What the rule asks and is short is not within; out of ground
            // effect short where the rule does not ask it, a caution.
            for (const bool bAsked : {true, false}) {
                std::string& strTo = bAsked ? strNot : strCaution;
                const std::string str = shortWords(at, bOge, bAsked, strWhere, units);
                strTo += (strTo.empty() || str.empty() ? "" : "; ") + str;
            }
        }
    std::string str = strVerdict;
    if (!strNot.empty()) {
        constexpr std::string_view NOT = "NOT WITHIN LIMITS: ", UNCONFIRMED = "Basic weight and arms not confirmed";
        if (str.find(NOT) != std::string::npos)
            str += "; " + strNot;
        else if (str.starts_with(UNCONFIRMED))
            str = str.substr(0, str.find(';')) + "; " + std::string(NOT) + strNot;
        else
            str = std::string(NOT) + strNot + "; mass and balance: " + str;
    }
    // A caution stands with the verdict's own, first: after its mark, or
    // where the mark would be, at the end of the words within ("WITHIN
    // LIMITS for every leg"), before what is nearest the limits.
    if (!strCaution.empty()) {
        constexpr std::string_view MARK = " \u2014 caution: ", WITHIN = "WITHIN LIMITS for ";
        if (const size_t nMark = str.find(MARK); nMark != std::string::npos)
            str.insert(nMark + MARK.size(), strCaution + "; ");
        else if (const size_t nWithin = str.find(WITHIN); nWithin != std::string::npos)
            str.insert(std::min(str.find("; ", nWithin), str.size()), std::string(MARK) + strCaution);
        else
            str += std::string(MARK) + strCaution;
    }
    return str;
}
