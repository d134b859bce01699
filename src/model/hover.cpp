// Hover performance: the check of a chart typed or imported from the
// manual, the standard atmosphere, the hover weight read between the
// chart's lines, and the CSV a chart is imported from and exported to.
// Figures in words are written the same in every locale, as the CSV is.
#include "model/hover.h"

#include "model/units.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <string_view>

namespace
{

// The troposphere of the standard atmosphere (ICAO Doc 7488): sea-level
// temperature 288.15 K and pressure 1013.25 hPa, a lapse rate of 0.0065 K
// per metre, standard gravity 9.80665 m/s² and the gas constant of dry air
// 287.05287 J/(kg K). Elevations are taken as geopotential heights, as
// altimeters take them.
constexpr double ISA_T0 = 288.15;     // K
constexpr double ISA_P0 = 1013.25;    // hPa
constexpr double ISA_LAPSE = 0.0065;  // K/m
constexpr double ISA_G0 = 9.80665;    // m/s²
constexpr double ISA_R = 287.05287;   // J/(kg K)
constexpr double ISA_KELVIN = 273.15; // K at 0 °C
constexpr double M_PER_FT = 0.3048;
constexpr double ISA_N = ISA_G0 / (ISA_R * ISA_LAPSE); // the pressure's power of the temperature ratio, 5.2559

// A figure as words write it: to at most two decimals, no trailing zeros,
// thousands grouped ("1,013.25", "-20", "10,000").
std::string figure(double n, int nDecimals = 2)
{
    if (!std::isfinite(n))
        return "no number";
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    g_snprintf(sz, sizeof sz, "%.*f", nDecimals, n);
    std::string str = sz;
    // A decimal comma of the process's locale is a point here, as in the
    // CSV, where a comma would part the figure in two.
    for (char& c : str)
        if (c == ',')
            c = '.';
    if (str.find('.') != std::string::npos) {
        while (str.back() == '0')
            str.pop_back();
        if (str.back() == '.')
            str.pop_back();
    }
    if (str == "-0")
        str = "0";
    const size_t nStart = str[0] == '-' ? 1 : 0;
    size_t nPoint = str.find('.');
    if (nPoint == std::string::npos)
        nPoint = str.size();
    for (size_t i = nPoint; i > nStart + 3; i -= 3)
        str.insert(i - 3, ",");
    return str;
}

// A figure as a verdict may quote it, where a comma grouping thousands
// could read as a decimal one: "4000", "4000.5".
std::string ungrouped(double n)
{
    std::string str = figure(n);
    str.erase(std::remove(str.begin(), str.end(), ','), str.end());
    return str;
}

std::string degrees(double n)
{
    return figure(n) + " °C";
}

std::string lineName(const _hovLine& line)
{
    return "the " + degrees(line.nTemperature) + " line";
}

// Why a value of a line cannot be on any chart, or "".
std::string valueWhy(const _hovLine& line)
{
    if (!std::isfinite(line.nTemperature))
        return "a line's temperature is not a number";
    if (line.nTemperature < HOV_LEAST_OAT || line.nTemperature > HOV_MOST_OAT)
        return "a line of " + degrees(line.nTemperature) + " is beyond -60 to +60 °C";
    for (const _hovPoint& p : line.points) {
        if (!std::isfinite(p.nWeight) || !std::isfinite(p.nCeiling))
            return lineName(line) + ": a weight or ceiling is not a number";
        if (!(p.nWeight > 0) || p.nWeight > HOV_MOST_WEIGHT)
            return lineName(line) + ": a weight of " + figure(p.nWeight) + " kg is not above 0 and up to 10,000 kg";
        if (p.nCeiling < HOV_LEAST_CEILING || p.nCeiling > HOV_MOST_CEILING)
            return lineName(line) + ": a ceiling of " + figure(p.nCeiling) + " ft is outside -2,000 to 30,000 ft";
    }
    return {};
}

// Why a line's points are not a line of the chart, or "": each heavier
// than the last, each ceiling lower.
std::string shapeWhy(const _hovLine& line)
{
    if (line.points.size() < 2)
        return lineName(line) + " has fewer than two points";
    for (size_t i = 1; i < line.points.size(); i++) {
        const _hovPoint &a = line.points[i - 1], &b = line.points[i];
        if (!(b.nWeight > a.nWeight))
            return lineName(line) + ": the weight does not rise from " + figure(a.nWeight) + " to " +
                   figure(b.nWeight) + " kg";
        if (!(b.nCeiling < a.nCeiling))
            return lineName(line) + ": the ceiling does not fall from " + figure(a.nCeiling) + " ft at " +
                   figure(a.nWeight) + " kg to " + figure(b.nCeiling) + " ft at " + figure(b.nWeight) + " kg";
    }
    return {};
}

// The ceiling of a line at a weight it covers, linear between its points.
double ceilingAt(const _hovLine& line, double nWeight)
{
    const std::vector<_hovPoint>& p = line.points;
    size_t i = 1;
    while (i + 1 < p.size() && p[i].nWeight < nWeight)
        i++;
    const _hovPoint &a = p[i - 1], &b = p[i];
    return a.nCeiling + (nWeight - a.nWeight) * (b.nCeiling - a.nCeiling) / (b.nWeight - a.nWeight);
}

// Where a warmer line's ceiling first reaches the colder line's, among the
// weights both cover; NaN where it stays below. Both are straight between
// their points, so the gap between them is too: it is enough to look at
// every point of either, and between the last two looked at for where the
// gap closes.
double crossingWeight(const _hovLine& colder, const _hovLine& warmer)
{
    const double nFrom = std::max(colder.points.front().nWeight, warmer.points.front().nWeight);
    const double nTo = std::min(colder.points.back().nWeight, warmer.points.back().nWeight);
    if (nFrom > nTo)
        return NAN;
    std::vector<double> weights = {nFrom, nTo};
    for (const _hovLine* pLine : {&colder, &warmer})
        for (const _hovPoint& p : pLine->points)
            if (p.nWeight > nFrom && p.nWeight < nTo)
                weights.push_back(p.nWeight);
    std::sort(weights.begin(), weights.end());
    double nLast = 0, nLastGap = 0;
    for (size_t i = 0; i < weights.size(); i++) {
        const double nGap = ceilingAt(colder, weights[i]) - ceilingAt(warmer, weights[i]);
        if (nGap <= 0)
            return i == 0 ? weights[i] : nLast + (weights[i] - nLast) * nLastGap / (nLastGap - nGap);
        nLast = weights[i];
        nLastGap = nGap;
    }
    return NAN;
}

// A chart's lines from the coldest to the warmest.
std::vector<const _hovLine*> byTemperature(const _hovChart& chart)
{
    std::vector<const _hovLine*> lines;
    for (const _hovLine& line : chart.lines)
        lines.push_back(&line);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const _hovLine* a, const _hovLine* b) { return a->nTemperature < b->nTemperature; });
    return lines;
}

// The weight at which a line's ceiling is a pressure altitude, its
// heaviest below its lowest ceiling; NaN above its highest.
double weightOnLine(const _hovLine& line, double nPressureAltitude)
{
    const std::vector<_hovPoint>& p = line.points;
    // A site on the top of a line by its figures reads it there, whatever
    // the last bit of the atmosphere's arithmetic says.
    constexpr double ON_THE_LINE = 1e-6; // ft
    if (nPressureAltitude > p.front().nCeiling + ON_THE_LINE)
        return NAN;
    nPressureAltitude = std::fmin(nPressureAltitude, p.front().nCeiling);
    if (nPressureAltitude <= p.back().nCeiling)
        return p.back().nWeight;
    size_t i = 1;
    while (p[i].nCeiling > nPressureAltitude)
        i++;
    const _hovPoint &a = p[i - 1], &b = p[i];
    return a.nWeight + (nPressureAltitude - a.nCeiling) * (b.nWeight - a.nWeight) / (b.nCeiling - a.nCeiling);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        s = s.substr(1, s.size() - 2);
    return s;
}

std::vector<std::string> fields(std::string_view line)
{
    std::vector<std::string> out;
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = line.find(',', nStart);
        out.emplace_back(trimmed(line.substr(nStart, nComma - nStart)));
        if (nComma == std::string_view::npos)
            return out;
        nStart = nComma + 1;
    }
}

// A field as a number, false where it is not one written in digits
// ("7OO", "1 200", "inf", "0x10") or one no double holds ("1e-400" would
// read as 0, "1e400" as infinity).
bool number(const std::string& str, double* pn)
{
    if (str.empty() || str.find_first_not_of("0123456789+-.eE") != std::string::npos)
        return false;
    char* pEnd = nullptr;
    errno = 0;
    *pn = g_ascii_strtod(str.c_str(), &pEnd);
    return *pEnd == '\0' && std::isfinite(*pn) && errno != ERANGE;
}

// A column of the header: its name, the units it may be written in and
// each unit's factor and offset to the internal one.
struct _hovColumn {
    const char* pszName;
    struct {
        const char* pszUnit;
        double nFactor, nOffset;
    } units[2];
};
constexpr _hovColumn COLUMNS[] = {
    {"temperature", {{"°C", 1, 0}, {"°F", 5.0 / 9, -32 * 5.0 / 9}}},
    {"weight", {{"kg", 1, 0}, {"lb", 1 / LB_PER_KG, 0}}},
    {"pressure altitude", {{"ft", 1, 0}, {"m", 1 / M_PER_FT, 0}}},
};

// A header's column as "name [unit]", lower case; the index of its unit, or
// -1 where it names none or one it does not know.
int unitOf(const std::string& strField, const _hovColumn& column)
{
    g_autofree gchar* psz = g_ascii_strdown(strField.c_str(), -1);
    std::string str = psz;
    str.erase(std::remove(str.begin(), str.end(), ' '), str.end());
    if (str.empty())
        return -1;
    std::string strName = column.pszName;
    strName.erase(std::remove(strName.begin(), strName.end(), ' '), strName.end());
    if (str.rfind(strName + "[", 0) != 0 || str.back() != ']')
        return -1;
    std::string strUnit = str.substr(strName.size() + 1, str.size() - strName.size() - 2);
    if (strUnit == "c" || strUnit == "degc")
        strUnit = "°c";
    else if (strUnit == "f" || strUnit == "degf")
        strUnit = "°f";
    else if (strUnit == "lbs")
        strUnit = "lb";
    else if (strUnit == "kgs") // as the weight column's label writes it
        strUnit = "kg";
    for (int i = 0; i < 2; i++)
        if (g_ascii_strcasecmp(strUnit.c_str(), column.units[i].pszUnit) == 0)
            return i;
    return -1;
}

const char* const EFFECT_NAMES[HOV_EFFECTS] = {"IGE", "OGE"};

// A number as the CSV writes it: the fewest digits that read back the same.
std::string csvNumber(double n)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    for (const char* pszFormat : {"%.15g", "%.16g", "%.17g"}) {
        g_ascii_formatd(sz, sizeof sz, pszFormat, n);
        if (g_ascii_strtod(sz, nullptr) == n)
            break;
    }
    return sz;
}

} // namespace

std::string hovChartWhy(const _hovChart& chart)
{
    if (chart.lines.size() < 2)
        return "a chart needs two temperature lines at least";
    if (chart.lines.size() > HOV_MOST_LINES)
        return "the chart has more than " + std::to_string(HOV_MOST_LINES) + " lines";
    size_t nPoints = 0;
    for (const _hovLine& line : chart.lines)
        nPoints += line.points.size();
    if (nPoints > HOV_MOST_POINTS)
        return "the chart has more than " + std::to_string(HOV_MOST_POINTS) + " points";
    for (const _hovLine& line : chart.lines) {
        std::string str = valueWhy(line);
        if (str.empty())
            str = shapeWhy(line);
        if (!str.empty())
            return str;
    }
    const std::vector<const _hovLine*> lines = byTemperature(chart);
    for (size_t i = 1; i < lines.size(); i++)
        if (lines[i]->nTemperature == lines[i - 1]->nTemperature)
            return "two lines are of " + degrees(lines[i]->nTemperature);
    for (size_t i = 0; i < lines.size(); i++)
        for (size_t j = i + 1; j < lines.size(); j++) {
            // Below its lowest ceiling a line is read at its heaviest weight,
            // so a warmer line going on past a colder one's heaviest would
            // let a hotter day hover heavier, even with no weight in common
            // for the two to cross at.
            const double nColdest = lines[i]->points.back().nWeight, nWarmest = lines[j]->points.back().nWeight;
            if (nWarmest > nColdest)
                return lineName(*lines[j]) + " goes on to " + figure(nWarmest) + " kg, past the heaviest of " +
                       lineName(*lines[i]) + ", " + figure(nColdest) + " kg";
            const double nWeight = crossingWeight(*lines[i], *lines[j]);
            if (!std::isnan(nWeight))
                return lineName(*lines[j]) + " crosses " + lineName(*lines[i]) + " at " + figure(nWeight, 1) + " kg";
        }
    return {};
}

double hovPressureAltitude(double nElevation, double nQnh)
{
    // The QNH is the site's pressure taken down to sea level through the
    // standard atmosphere, so the site's pressure is the QNH times the
    // standard ratio at its elevation; the pressure altitude is where the
    // standard atmosphere has that pressure.
    const double nRatio = 1 - ISA_LAPSE * nElevation * M_PER_FT / ISA_T0;
    return ISA_T0 / ISA_LAPSE * (1 - std::pow(nQnh / ISA_P0, 1 / ISA_N) * nRatio) / M_PER_FT;
}

double hovDensityAltitude(double nPressureAltitude, double nOat)
{
    // The air's density against sea level's is the pressure ratio over the
    // temperature ratio; the standard atmosphere's density ratio is its
    // temperature ratio to the power n - 1.
    const double nPressureRatio = std::pow(1 - ISA_LAPSE * nPressureAltitude * M_PER_FT / ISA_T0, ISA_N);
    const double nDensityRatio = nPressureRatio * ISA_T0 / (nOat + ISA_KELVIN);
    return ISA_T0 / ISA_LAPSE * (1 - std::pow(nDensityRatio, 1 / (ISA_N - 1))) / M_PER_FT;
}

_hovFigure hovMaxWeight(const _hovChart& chart, double nPressureAltitude, double nOat)
{
    const std::string strWhy = hovChartWhy(chart);
    if (!strWhy.empty())
        return {false, 0, "the chart cannot be used: " + strWhy};
    if (!std::isfinite(nPressureAltitude) || !std::isfinite(nOat))
        return {false, 0, "no pressure altitude or temperature to read the chart at"};
    const std::vector<const _hovLine*> lines = byTemperature(chart);
    if (nOat > lines.back()->nTemperature)
        return {false, 0, "beyond the chart's " + degrees(lines.back()->nTemperature) + " line"};
    if (nOat < lines.front()->nTemperature)
        return {false, 0, "colder than the chart's " + degrees(lines.front()->nTemperature) + " line"};
    size_t nWarmer = 0;
    while (lines[nWarmer]->nTemperature < nOat)
        nWarmer++;
    const _hovLine& warmer = *lines[nWarmer];
    const _hovLine& colder = warmer.nTemperature == nOat ? warmer : *lines[nWarmer - 1];
    const double nCold = weightOnLine(colder, nPressureAltitude), nWarm = weightOnLine(warmer, nPressureAltitude);
    if (std::isnan(nCold) || std::isnan(nWarm)) {
        // Between two lines, the one that does not reach so high is named:
        // the chart has no weight for it there.
        const _hovLine& low = std::isnan(nCold) ? colder : warmer;
        return {false, 0,
                &colder == &warmer ? "above the chart's ceiling at " + degrees(nOat)
                                   : "above the ceiling of the chart's " + degrees(low.nTemperature) + " line, " +
                                         ungrouped(low.points.front().nCeiling) + " ft"};
    }
    if (&colder == &warmer)
        return {true, nWarm, {}};
    const double nShare = (nOat - colder.nTemperature) / (warmer.nTemperature - colder.nTemperature);
    return {true, nCold + nShare * (nWarm - nCold), {}};
}

std::string hovSiteWhy(const _hovSite& site)
{
    struct {
        double n, nLeast, nMost;
        const char *pszName, *pszUnit, *pszSpan;
    } const CONDITIONS[] = {
        {site.nElevation, HOV_LEAST_ELEVATION, HOV_MOST_ELEVATION, "elevation", "ft", "-1,500 to 30,000 ft"},
        {site.nQnh, HOV_LEAST_QNH, HOV_MOST_QNH, "QNH", "hPa", "850 to 1,090 hPa"},
        {site.nOat, HOV_LEAST_OAT, HOV_MOST_OAT, "outside air temperature", "°C", "-60 to +60 °C"},
    };
    for (const auto& c : CONDITIONS) {
        const std::string strArticle = c.pszName[0] == 'e' || c.pszName[0] == 'o' ? "an " : "a ";
        if (std::isnan(c.n))
            return std::string("no ") + c.pszName + " given";
        if (!(c.n >= c.nLeast && c.n <= c.nMost))
            return strArticle + c.pszName + " of " + figure(c.n) + " " + c.pszUnit + " is outside " + c.pszSpan;
    }
    return {};
}

bool hovSiteNotGiven(const _hovSite& site)
{
    return std::isnan(site.nElevation) && std::isnan(site.nQnh) && std::isnan(site.nOat);
}

_hovAt hovJudgeAt(const _hovCharts& charts, const _hovSite& site, double nWeight)
{
    _hovAt at;
    at.site = site;
    at.nWeight = nWeight;
    for (size_t e = 0; e < HOV_EFFECTS; e++)
        at.bChart[e] = !charts[e].lines.empty();
    at.bShown = (at.bChart[HOV_IGE] || at.bChart[HOV_OGE]) && hovSiteWhy(site).empty() && std::isfinite(nWeight);
    if (!at.bShown)
        return at;
    at.nPressureAltitude = hovPressureAltitude(site.nElevation, site.nQnh);
    at.nDensityAltitude = hovDensityAltitude(at.nPressureAltitude, site.nOat);
    for (size_t e = 0; e < HOV_EFFECTS; e++)
        if (at.bChart[e])
            at.figures[e] = hovMaxWeight(charts[e], at.nPressureAltitude, site.nOat);
    return at;
}

namespace
{

// Whether a take-off or landing is short of a chart's figure, or has
// none: where the rule asks it, a chart the aircraft lacks is none.
bool shortOf(const _hovAt& at, _hovEffect nEffect, bool bAsked)
{
    if (!at.bChart[nEffect])
        return bAsked;
    const _hovFigure& f = at.figures[nEffect];
    return !f.bKnown || at.nWeight > f.nWeight;
}

} // namespace

_hovVerdict hovVerdictOf(const _hovAt& at, bool bOge)
{
    if (!at.bShown)
        return HOV_ENOUGH;
    if (shortOf(at, HOV_IGE, false) || (bOge && shortOf(at, HOV_OGE, true)))
        return HOV_NOT_WITHIN;
    return shortOf(at, HOV_OGE, false) ? HOV_CAUTION : HOV_ENOUGH;
}

bool hovWithin(const std::vector<_hovLeg>& legs, bool bOge)
{
    for (const _hovLeg& l : legs)
        if (hovVerdictOf(l.takeOff, bOge) == HOV_NOT_WITHIN || hovVerdictOf(l.landing, bOge) == HOV_NOT_WITHIN)
            return false;
    return true;
}

double hovMostWeight(const _hovAt& at, bool bOge)
{
    double nMost = INFINITY;
    if (!at.bShown)
        return nMost;
    for (const _hovEffect e : {HOV_IGE, HOV_OGE}) {
        const bool bAsked = e == HOV_IGE || bOge;
        if (!bAsked || (!at.bChart[e] && e == HOV_IGE))
            continue;
        const _hovFigure& f = at.figures[e];
        nMost = std::fmin(nMost, at.bChart[e] && f.bKnown ? f.nWeight : -1);
    }
    return nMost;
}

bool hovReadCsv(const std::string& strText, _hovCharts* pCharts, std::string* pstrWhy, bool bCheck)
{
    std::string_view text = strText;
    if (text.rfind("\xef\xbb\xbf", 0) == 0) // a spreadsheet's byte order mark
        text.remove_prefix(3);
    _hovCharts charts;
    int nUnits[3] = {-1, -1, -1};
    size_t nRows = 0, nPoints[HOV_EFFECTS] = {};
    int nLine = 0;
    auto refuse = [&](const std::string& strWhy) {
        *pstrWhy = nLine > 0 ? "line " + std::to_string(nLine) + ": " + strWhy : strWhy;
        return false;
    };
    while (!text.empty()) {
        const size_t nEnd = text.find('\n');
        const std::string_view line = text.substr(0, nEnd);
        text.remove_prefix(nEnd == std::string_view::npos ? text.size() : nEnd + 1);
        nLine++;
        if (trimmed(line).empty())
            continue;
        const std::vector<std::string> f = fields(line);
        if (f.size() != 4)
            return refuse(std::to_string(f.size()) + " columns where there are four: chart, temperature, weight, " +
                          "pressure altitude");
        if (nUnits[0] < 0) {
            if (g_ascii_strcasecmp(f[0].c_str(), "chart") != 0)
                return refuse("the header's first column is \"" + f[0] + "\", not \"chart\"");
            for (int i = 0; i < 3; i++) {
                nUnits[i] = unitOf(f[i + 1], COLUMNS[i]);
                if (nUnits[i] < 0)
                    return refuse("the header's column \"" + f[i + 1] + "\" is not " + COLUMNS[i].pszName + " [" +
                                  COLUMNS[i].units[0].pszUnit + "] or [" + COLUMNS[i].units[1].pszUnit + "]");
            }
            continue;
        }
        int nEffect = HOV_EFFECTS;
        for (int i = 0; i < HOV_EFFECTS; i++)
            if (g_ascii_strcasecmp(f[0].c_str(), EFFECT_NAMES[i]) == 0)
                nEffect = i;
        if (nEffect == HOV_EFFECTS)
            return refuse("the chart \"" + f[0] + "\" is neither IGE nor OGE");
        double n[3];
        for (int i = 0; i < 3; i++) {
            if (!number(f[i + 1], &n[i]))
                return refuse(std::string("the ") + COLUMNS[i].pszName + " \"" + f[i + 1] + "\" is not a number");
            n[i] = n[i] * COLUMNS[i].units[nUnits[i]].nFactor + COLUMNS[i].units[nUnits[i]].nOffset;
        }
        std::vector<_hovLine>& lines = charts[nEffect].lines;
        auto it = std::find_if(lines.begin(), lines.end(), [&](const _hovLine& l) { return l.nTemperature == n[0]; });
        if (it == lines.end()) {
            if (lines.size() == HOV_MOST_LINES)
                return refuse(std::string(EFFECT_NAMES[nEffect]) + " has more than " + std::to_string(HOV_MOST_LINES) +
                              " lines");
            it = lines.insert(lines.end(), _hovLine{n[0], {}});
        }
        if (nPoints[nEffect]++ == HOV_MOST_POINTS)
            return refuse(std::string(EFFECT_NAMES[nEffect]) + " has more than " + std::to_string(HOV_MOST_POINTS) +
                          " points");
        it->points.push_back({n[1], n[2]});
        nRows++;
    }
    nLine = 0;
    if (nUnits[0] < 0)
        return refuse("the file is empty");
    if (nRows == 0)
        return refuse("the file has no rows after its header");
    for (int i = 0; i < HOV_EFFECTS && bCheck; i++) {
        const std::string strWhy = charts[i].lines.empty() ? "" : hovChartWhy(charts[i]);
        if (!strWhy.empty())
            return refuse(std::string(EFFECT_NAMES[i]) + ": " + strWhy);
    }
    *pCharts = std::move(charts);
    return true;
}

std::string hovCsvText(const _hovCharts& charts)
{
    std::string str = "chart,temperature [°C],weight [kg],pressure altitude [ft]\n";
    for (int i = 0; i < HOV_EFFECTS; i++)
        for (const _hovLine& line : charts[i].lines)
            for (const _hovPoint& p : line.points)
                str += std::string(EFFECT_NAMES[i]) + "," + csvNumber(line.nTemperature) + "," + csvNumber(p.nWeight) +
                       "," + csvNumber(p.nCeiling) + "\n";
    return str;
}
