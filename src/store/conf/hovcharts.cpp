// The aircraft's hover charts in Zarv.conf: their lines written and read
// back to the same doubles, and their groups as the fleet moves them.
#include "store/conf/hovcharts.h"

#include "store/conf/params.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace
{

// The start of an aircraft's chart groups' names: "" for the current
// aircraft, "Aircraft 2 " for another.
std::string prefixOf(const std::string& strAircraft)
{
    return strAircraft.empty() ? "" : strAircraft + " ";
}

// As short as reads back to the same double: a chart typed as 9000 is
// kept as 9000, one of 0.1 as 0.1.
std::string fileNumber(double n)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    for (const char* pszFormat : {"%.15g", "%.16g"})
        if (g_ascii_strtod(g_ascii_formatd(sz, sizeof sz, pszFormat, n), nullptr) == n)
            return sz;
    return g_ascii_formatd(sz, sizeof sz, "%.17g", n);
}

// A whole text as a number, a '.' as decimal point whatever the locale;
// not one no double holds ("1e-400" would read as 0).
bool numberOf(const std::string& str, double* pn)
{
    char* pszEnd = nullptr;
    errno = 0;
    *pn = g_ascii_strtod(str.c_str(), &pszEnd);
    return !str.empty() && pszEnd && !*pszEnd && errno != ERANGE;
}

std::string quoted(const std::string& str)
{
    return "\u201c" + str + "\u201d";
}

// The line number a key names ("Line 3" is 3), 0 for any other key: Zarv
// writes "Line 3", never "Line 03".
long lineNumber(const char* pszKey)
{
    if (!g_str_has_prefix(pszKey, HVC_LINE_KEY))
        return 0;
    const char* pszDigits = pszKey + strlen(HVC_LINE_KEY);
    char* pszEnd = nullptr;
    const long n = strtol(pszDigits, &pszEnd, 10);
    return *pszDigits && !*pszEnd && n >= 1 && std::to_string(n) == pszDigits ? n : 0;
}

using _hvcRaw = _prmRawGroup;

// A group present, even without a key, is a chart: taken along as one.
void putRaw(GKeyFile* pkf, const std::string& strGroup, const std::optional<_hvcRaw>& raw)
{
    g_key_file_remove_group(pkf, strGroup.c_str(), nullptr);
    if (!raw)
        return;
    if (raw->empty()) {
        // A group stays when its last key goes.
        g_key_file_set_value(pkf, strGroup.c_str(), HVC_LINE_KEY, "");
        g_key_file_remove_key(pkf, strGroup.c_str(), HVC_LINE_KEY, nullptr);
    }
    for (const auto& [strKey, strValue] : *raw)
        g_key_file_set_value(pkf, strGroup.c_str(), strKey.c_str(), strValue.c_str());
}

std::optional<_hvcRaw> groupOf(GKeyFile* pkf, const std::string& strGroup)
{
    if (!g_key_file_has_group(pkf, strGroup.c_str()))
        return std::nullopt;
    return prmRawGroup(pkf, strGroup);
}

} // namespace

std::string hvcGroup(const std::string& strAircraft, _hovEffect nEffect)
{
    return prefixOf(strAircraft) + HVC_GROUPS[nEffect];
}

std::string hvcLineName(_hovEffect nEffect, size_t n)
{
    return std::string(HVC_GROUPS[nEffect]) + "/" + HVC_LINE_KEY + std::to_string(n + 1);
}

bool hvcIsFigure(const std::string& strName)
{
    for (const char* pszGroup : HVC_GROUPS)
        if (strName.starts_with(std::string(pszGroup) + "/"))
            return true;
    return false;
}

bool hvcAny(const _hovCharts& charts)
{
    for (const _hovChart& c : charts)
        if (!c.lines.empty())
            return true;
    return false;
}

std::string hvcLineText(const _hovLine& line)
{
    std::string str = fileNumber(line.nTemperature);
    for (const _hovPoint& p : line.points)
        str += "; " + fileNumber(p.nWeight) + " " + fileNumber(p.nCeiling);
    return str;
}

std::string hvcLineRead(const std::string& strText, _hovLine* pLine)
{
    *pLine = {};
    g_auto(GStrv) ppszFields = g_strsplit(strText.c_str(), ";", -1);
    if (!ppszFields[0])
        return "it is empty";
    const std::string strTemperature = g_strstrip(ppszFields[0]);
    if (!numberOf(strTemperature, &pLine->nTemperature))
        return "the temperature " + quoted(strTemperature) + " is not a number";
    for (int i = 1; ppszFields[i]; i++) {
        const std::string strPoint = g_strstrip(ppszFields[i]);
        g_auto(GStrv) ppszPair = g_strsplit_set(strPoint.c_str(), " \t", -1);
        std::vector<std::string> pair;
        for (int k = 0; ppszPair[k]; k++)
            if (*ppszPair[k])
                pair.emplace_back(ppszPair[k]);
        if (pair.size() != 2)
            return "the point " + quoted(strPoint) + " is not a weight and a ceiling";
        _hovPoint p;
        if (!numberOf(pair[0], &p.nWeight))
            return "the weight " + quoted(pair[0]) + " is not a number";
        if (!numberOf(pair[1], &p.nCeiling))
            return "the ceiling " + quoted(pair[1]) + " is not a number";
        pLine->points.push_back(p);
    }
    return "";
}

_hvcRead hvcRead(GKeyFile* pkf, const std::string& strAircraft)
{
    _hvcRead r;
    auto refuse = [&](const std::string& strGroup, const std::string& strWhy) {
        r.strWhy += (r.strWhy.empty() ? "[" : "; [") + strGroup + "]" + strWhy;
    };
    for (int e = 0; e < HOV_EFFECTS; e++) {
        const _hovEffect nEffect = static_cast<_hovEffect>(e);
        const std::string strGroup = hvcGroup(strAircraft, nEffect);
        const std::optional<_hvcRaw> raw = groupOf(pkf, strGroup);
        if (!raw)
            continue;
        // Its lines in the order of their numbers, which run from 1 without
        // a gap: a line missing is one taken out by hand.
        std::string strWhy;
        if (raw->size() > HOV_MOST_LINES)
            strWhy = " holds more than " + std::to_string(HOV_MOST_LINES) + " lines";
        std::vector<std::string> texts(strWhy.empty() ? raw->size() : 0);
        for (const auto& [strKey, strValue] : *raw) {
            if (!strWhy.empty())
                break;
            const long n = lineNumber(strKey.c_str());
            if (n < 1 || static_cast<size_t>(n) > texts.size() || !texts[n - 1].empty() || strValue.empty()) {
                strWhy = " holds " + quoted(strKey + "=" + strValue) + ", which is no line of a chart";
                break;
            }
            texts[n - 1] = strValue;
        }
        // Nor is a chart held that is too big for its table to be shown.
        _hovChart chart;
        size_t nPoints = 0;
        for (size_t n = 0; n < texts.size() && strWhy.empty(); n++) {
            _hovLine line;
            if (const std::string str = hvcLineRead(texts[n], &line); !str.empty())
                strWhy = " " + std::string(HVC_LINE_KEY) + std::to_string(n + 1) + ": " + str;
            else if ((nPoints += line.points.size()) > HOV_MOST_POINTS)
                strWhy = " holds more than " + std::to_string(HOV_MOST_POINTS) + " points";
            chart.lines.push_back(line);
        }
        if (!strWhy.empty()) {
            r.bUnreadable = true;
            refuse(strGroup, strWhy);
            continue;
        }
        r.charts[e] = chart;
        if (const std::string str = hovChartWhy(chart); !str.empty())
            refuse(strGroup, ": " + str);
    }
    return r;
}

void hvcWrite(GKeyFile* pkf, const _hovCharts& charts, const std::string& strAircraft)
{
    for (int e = 0; e < HOV_EFFECTS; e++) {
        const std::string strGroup = hvcGroup(strAircraft, static_cast<_hovEffect>(e));
        g_key_file_remove_group(pkf, strGroup.c_str(), nullptr);
        for (size_t n = 0; n < charts[e].lines.size(); n++)
            g_key_file_set_value(pkf, strGroup.c_str(), (HVC_LINE_KEY + std::to_string(n + 1)).c_str(),
                                 hvcLineText(charts[e].lines[n]).c_str());
    }
}

void hvcSwap(GKeyFile* pkf, const std::string& strAircraft)
{
    for (int e = 0; e < HOV_EFFECTS; e++) {
        const std::string strCurrent = hvcGroup("", static_cast<_hovEffect>(e)),
                          strOther = hvcGroup(strAircraft, static_cast<_hovEffect>(e));
        const std::optional<_hvcRaw> current = groupOf(pkf, strCurrent), other = groupOf(pkf, strOther);
        putRaw(pkf, strCurrent, other);
        putRaw(pkf, strOther, current);
    }
}

void hvcCopy(GKeyFile* pkfFrom, const std::string& strFrom, GKeyFile* pkfTo, const std::string& strTo)
{
    for (int e = 0; e < HOV_EFFECTS; e++)
        putRaw(pkfTo, hvcGroup(strTo, static_cast<_hovEffect>(e)),
               groupOf(pkfFrom, hvcGroup(strFrom, static_cast<_hovEffect>(e))));
}

void hvcRemove(GKeyFile* pkf, const std::string& strAircraft)
{
    for (int e = 0; e < HOV_EFFECTS; e++)
        g_key_file_remove_group(pkf, hvcGroup(strAircraft, static_cast<_hovEffect>(e)).c_str(), nullptr);
}

std::string hvcFigureText(const _hovCharts& charts)
{
    std::string str;
    for (int e = 0; e < HOV_EFFECTS; e++)
        for (size_t n = 0; n < charts[e].lines.size(); n++)
            str += hvcLineName(static_cast<_hovEffect>(e), n) + "=" + hvcLineText(charts[e].lines[n]) + "\n";
    return str;
}
