// The aircraft's removable items in Zarv.conf: reading them into the value
// held, the flight's fitted ones, and the groups the fleet moves.
#include "store/conf/items.h"

#include "store/conf/params.h"
#include "store/conf/state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr const char* KEY_NAME = ITM_VALUES[ITM_NAME].pszKey;
constexpr const char* KEY_WEIGHED = ITM_VALUES[ITM_WEIGHED].pszKey;
constexpr const char* KEY_FITTED = ITM_VALUES[ITM_FITTED].pszKey;

// A number of an item: none (NaN) where the file holds no decimal number,
// so that an item read wrong is never judged within.
double numberOf(GKeyFile* pkf, const std::string& strGroup, const char* pszKey)
{
    g_autofree gchar* pszRaw = g_key_file_get_value(pkf, strGroup.c_str(), pszKey, nullptr);
    double n = NAN;
    return pszRaw && prmReadsAsNumber(pszRaw, &n) ? n : NAN;
}

// A flag of an item: true or false as the key file writes them; bFallback
// where the group has none. One it holds that is neither is none of them:
// bFallback, with "Key=text" added to *pstrUnread.
bool flagOf(GKeyFile* pkf, const std::string& strGroup, const char* pszKey, bool bFallback,
            std::string* pstrUnread = nullptr)
{
    g_autofree gchar* pszRaw = g_key_file_get_value(pkf, strGroup.c_str(), pszKey, nullptr);
    if (!pszRaw)
        return bFallback;
    const std::string str = g_strstrip(pszRaw);
    if (str == "true" || str == "1")
        return true;
    if (str == "false" || str == "0")
        return false;
    if (pstrUnread)
        *pstrUnread += (pstrUnread->empty() ? "" : ", ") + std::string(pszKey) + "=" + str;
    return bFallback;
}

std::string nameOf(GKeyFile* pkf, const std::string& strGroup)
{
    std::string str = prmTextOf(pkf, strGroup.c_str(), KEY_NAME);
    for (char& c : str)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return str;
}

// The start of an aircraft's item groups' names: "Equipment " for the
// current aircraft, "Aircraft 2 Equipment " for another.
std::string prefixOf(const std::string& strAircraft)
{
    return (strAircraft.empty() ? "" : strAircraft + " ") + ITM_GROUP;
}

// What follows the prefix in the name of every group of an aircraft's items,
// read or not, so that none is left behind when the aircraft moves.
std::vector<std::string> everySuffixOf(GKeyFile* pkf, const std::string& strAircraft)
{
    const std::string strPrefix = prefixOf(strAircraft);
    std::vector<std::string> suffixes;
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++)
        if (g_str_has_prefix(ppszGroups[i], strPrefix.c_str()))
            suffixes.emplace_back(ppszGroups[i] + strPrefix.size());
    return suffixes;
}

// The item groups Zarv reads, numbered as it writes them ("Equipment 3",
// never "Equipment 03"), in the order of their numbers, a gap included.
std::vector<std::pair<long, std::string>> groupsOf(GKeyFile* pkf, const std::string& strAircraft)
{
    std::vector<std::pair<long, std::string>> groups;
    for (const std::string& strSuffix : everySuffixOf(pkf, strAircraft)) {
        char* pszEnd = nullptr;
        const long n = strtol(strSuffix.c_str(), &pszEnd, 10);
        if (!*pszEnd && n >= 1 && std::to_string(n) == strSuffix)
            groups.emplace_back(n, prefixOf(strAircraft) + strSuffix);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

void removeAll(GKeyFile* pkf, const std::string& strAircraft)
{
    for (const std::string& strSuffix : everySuffixOf(pkf, strAircraft))
        g_key_file_remove_group(pkf, (prefixOf(strAircraft) + strSuffix).c_str(), nullptr);
}

std::string fileNumber(double n, const char* pszFormat = nullptr)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    return pszFormat ? g_ascii_formatd(sz, sizeof sz, pszFormat, n) : g_ascii_dtostr(sz, sizeof sz, n);
}

// An aircraft's item groups as the file holds them, key by key, each by
// what follows the prefix in its name, so that a group or a number unread
// moves as it stood.
struct _itmRaw {
    std::string strSuffix;
    std::vector<std::pair<std::string, std::string>> values;
};

std::vector<_itmRaw> rawGroups(GKeyFile* pkf, const std::string& strFrom)
{
    std::vector<_itmRaw> groups;
    for (const std::string& strSuffix : everySuffixOf(pkf, strFrom)) {
        const std::string strGroup = prefixOf(strFrom) + strSuffix;
        groups.push_back({strSuffix, {}});
        g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkf, strGroup.c_str(), nullptr, nullptr);
        for (int i = 0; ppszKeys && ppszKeys[i]; i++) {
            g_autofree gchar* psz = g_key_file_get_value(pkf, strGroup.c_str(), ppszKeys[i], nullptr);
            groups.back().values.emplace_back(ppszKeys[i], psz ? psz : "");
        }
    }
    return groups;
}

void putGroups(GKeyFile* pkf, const std::string& strTo, const std::vector<_itmRaw>& groups)
{
    removeAll(pkf, strTo);
    for (const _itmRaw& g : groups)
        for (const auto& [strKey, strValue] : g.values)
            g_key_file_set_value(pkf, (prefixOf(strTo) + g.strSuffix).c_str(), strKey.c_str(), strValue.c_str());
}

} // namespace

std::string itmGroup(const std::string& strAircraft, size_t n)
{
    return (strAircraft.empty() ? "" : strAircraft + " ") + ITM_GROUP + std::to_string(n + 1);
}

bool itmIsFigure(const std::string& strName)
{
    return strName.starts_with(ITM_GROUP);
}

std::vector<_wbItem> itmRead(GKeyFile* pkf, const std::string& strAircraft)
{
    std::vector<_wbItem> items;
    const auto groups = groupsOf(pkf, strAircraft);
    for (const auto& [n, strGroup] : groups) {
        if (items.size() == ITM_MAX_ITEMS)
            break;
        _wbItem i = {.strName = nameOf(pkf, strGroup)};
        for (const _itmValue& v : ITM_VALUES)
            if (v.pnField)
                i.*v.pnField = numberOf(pkf, strGroup, v.pszKey);
        i.bWeighed = flagOf(pkf, strGroup, KEY_WEIGHED, true, &i.strUnread);
        flagOf(pkf, strGroup, KEY_FITTED, i.bWeighed, &i.strUnread);
        items.push_back(i);
    }
    return items;
}

std::string itmNotRead(GKeyFile* pkf, const std::string& strAircraft)
{
    std::string str;
    const auto groups = groupsOf(pkf, strAircraft);
    for (const std::string& strSuffix : everySuffixOf(pkf, strAircraft))
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const auto& g) { return g.second == prefixOf(strAircraft) + strSuffix; }))
            str += (str.empty() ? "[" : ", [") + prefixOf(strAircraft) + strSuffix + "]";
    if (groups.size() > ITM_MAX_ITEMS)
        str += (str.empty() ? "" : ", ") + std::to_string(groups.size() - ITM_MAX_ITEMS) + " items past the first " +
               std::to_string(ITM_MAX_ITEMS);
    return str;
}

std::vector<bool> itmReadFitted(GKeyFile* pkf, const std::string& strAircraft)
{
    std::vector<bool> fitted;
    for (const auto& [n, strGroup] : groupsOf(pkf, strAircraft)) {
        if (fitted.size() == ITM_MAX_ITEMS)
            break;
        fitted.push_back(flagOf(pkf, strGroup, KEY_FITTED, flagOf(pkf, strGroup, KEY_WEIGHED, true)));
    }
    return fitted;
}

void itmWrite(GKeyFile* pkf, const std::vector<_wbItem>& items, const std::vector<bool>& fitted,
              const std::string& strAircraft)
{
    for (size_t n = 0; n < items.size(); n++) {
        const std::string strGroup = itmGroup(strAircraft, n);
        const char* psz = strGroup.c_str();
        // A group of another item must not leave keys behind.
        g_key_file_remove_group(pkf, psz, nullptr);
        g_key_file_set_string(pkf, psz, KEY_NAME, items[n].strName.c_str());
        for (const _itmValue& v : ITM_VALUES)
            if (v.pnField)
                g_key_file_set_double(pkf, psz, v.pszKey, items[n].*v.pnField);
        g_key_file_set_boolean(pkf, psz, KEY_WEIGHED, items[n].bWeighed);
        g_key_file_set_boolean(pkf, psz, KEY_FITTED, n < fitted.size() ? fitted[n] : items[n].bWeighed);
    }
    for (const auto& [n, strGroup] : groupsOf(pkf, strAircraft))
        if (n > static_cast<long>(items.size()))
            g_key_file_remove_group(pkf, strGroup.c_str(), nullptr);
}

void itmSwap(GKeyFile* pkf, const std::string& strAircraft)
{
    const std::vector<_itmRaw> current = rawGroups(pkf, ""), other = rawGroups(pkf, strAircraft);
    putGroups(pkf, "", other);
    putGroups(pkf, strAircraft, current);
}

void itmCopy(GKeyFile* pkf, const std::string& strFrom, const std::string& strTo)
{
    putGroups(pkf, strTo, rawGroups(pkf, strFrom));
}

void itmRemove(GKeyFile* pkf, const std::string& strAircraft)
{
    removeAll(pkf, strAircraft);
}

void itmLoad(void)
{
    stateEditSetup().items = itmRead(prmKeyFile());
    stateEditSetup().strItemsNotRead = itmNotRead(prmKeyFile());
    stateEditLegs().front().fitted = itmReadFitted(prmKeyFile());
}

void itmSetFitted(GKeyFile* pkf, const std::vector<bool>& fitted)
{
    // Each item's own group, whatever its number; nothing else of it.
    const auto groups = groupsOf(pkf, "");
    for (size_t n = 0; n < fitted.size() && n < groups.size(); n++)
        g_key_file_set_boolean(pkf, groups[n].second.c_str(), KEY_FITTED, fitted[n]);
}

void itmStoreFitted(size_t n, bool bFitted)
{
    const _stateChanging changing(STATE_LOADING);
    if (n >= m_wbSetup.items.size())
        return;
    std::vector<bool> fitted(m_wbSetup.items.size());
    for (size_t i = 0; i < fitted.size(); i++)
        fitted[i] = calcItemFitted(m_wbSetup, stateLegs().front().fitted, i);
    fitted[n] = bFitted;
    stateEditLegs().front().fitted = fitted;
    // The item's own group, whatever its number.
    prmEdit([&](GKeyFile* pkf) {
        const auto groups = groupsOf(pkf, "");
        if (n < groups.size())
            g_key_file_set_boolean(pkf, groups[n].second.c_str(), KEY_FITTED, bFitted);
    });
    // What is held is what the file now says: a flag it could not read
    // before is read now.
    itmLoad();
}

std::string itmFigureText(const std::vector<_wbItem>& items)
{
    std::string str;
    for (size_t n = 0; n < items.size(); n++) {
        const std::string strGroup = itmGroup("", n) + "/";
        for (const _itmValue& v : ITM_VALUES)
            if (v.bFigure)
                str += strGroup + v.pszKey + "=" + itmFigureValue(v, items[n], "%.3f") + "\n";
    }
    return str;
}

std::string itmFigureValue(const _itmValue& v, const _wbItem& item, const char* pszFormat)
{
    if (v.pnField)
        return fileNumber(item.*v.pnField, pszFormat);
    if (strcmp(v.pszKey, KEY_NAME) == 0)
        return item.strName;
    return strcmp(v.pszKey, KEY_WEIGHED) == 0 ? (item.bWeighed ? "1" : "0") : "";
}

std::string itmItemText(const _wbItem& item)
{
    auto number = [](double n) { return fileNumber(n, "%.12g"); };
    return item.strName + ", " + number(item.nWeight) + " kg at " + number(item.nLongArm) + "/" + number(item.nLatArm) +
           " mm, " + (item.bWeighed ? "fitted" : "not fitted") + " when weighed";
}

std::optional<_wbItem> itmItemRead(const std::string& strText)
{
    // From the end, so the name may hold anything.
    g_autoptr(GRegex) pre = g_regex_new("^(.*), (\\S+) kg at (\\S+)/(\\S+) mm, (fitted|not fitted) when weighed$",
                                        G_REGEX_DOTALL, GRegexMatchFlags(0), nullptr);
    g_autoptr(GMatchInfo) pmi = nullptr;
    if (!pre || !g_regex_match(pre, strText.c_str(), GRegexMatchFlags(0), &pmi))
        return std::nullopt;
    _wbItem item;
    g_autofree gchar* pszName = g_match_info_fetch(pmi, 1);
    item.strName = pszName;
    for (const auto& [nGroup, pn] :
         {std::pair{2, &_wbItem::nWeight}, std::pair{3, &_wbItem::nLongArm}, std::pair{4, &_wbItem::nLatArm}}) {
        g_autofree gchar* psz = g_match_info_fetch(pmi, nGroup);
        char* pszEnd = nullptr;
        item.*pn = g_ascii_strtod(psz, &pszEnd);
        if (*pszEnd)
            return std::nullopt;
    }
    g_autofree gchar* pszWeighed = g_match_info_fetch(pmi, 5);
    item.bWeighed = strcmp(pszWeighed, "fitted") == 0;
    return item;
}
