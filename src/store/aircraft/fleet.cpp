// The fleet: several aircraft of the type, each with its registration, its
// weighing date and its own basic and ballast values. The current aircraft
// lives in the groups every Zarv.conf has, every other one in a group of its
// own; which values move with an aircraft, the table of stored values says.
// A file without fleet data is a fleet of one. Every change of the fleet is
// one rewrite of the file.
#include "store/aircraft/fleet.h"

#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"

#include <algorithm>

namespace
{

// Sets a key to a raw value taken from elsewhere, or removes it where the
// source had none, so a missing value stays missing.
void copyValue(GKeyFile* pkf, const char* pszGroup, const char* pszKey, const gchar* pszValue)
{
    if (pszValue)
        g_key_file_set_value(pkf, pszGroup, pszKey, pszValue);
    else
        g_key_file_remove_key(pkf, pszGroup, pszKey, nullptr);
}

// Exchanges the current aircraft with the one in strGroup.
void swapWith(GKeyFile* pkf, const std::string& strGroup)
{
    for (const _prmValue& p : valValues()) {
        if (!p.pszAircraftKey)
            continue;
        g_autofree gchar* pszCurrent = g_key_file_get_value(pkf, p.pszGroup, p.pszKey, nullptr);
        g_autofree gchar* pszOther = g_key_file_get_value(pkf, strGroup.c_str(), p.pszAircraftKey, nullptr);
        copyValue(pkf, p.pszGroup, p.pszKey, pszOther);
        copyValue(pkf, strGroup.c_str(), p.pszAircraftKey, pszCurrent);
    }
    itmSwap(pkf, strGroup);
    hvcSwap(pkf, strGroup);
    // A later leg's items were the other aircraft's: this one's come as
    // weighed.
    for (size_t n = 1; n < STATE_MAX_LEGS; n++)
        g_key_file_remove_key(pkf, valLegGroup(n).c_str(), VAL_KEY_LEG_FITTED, nullptr);
}

// The other aircraft's groups, in the order of their numbers.
std::vector<std::string> otherGroups(GKeyFile* pkf)
{
    std::vector<std::pair<int, std::string>> v;
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++)
        if (const int n = valAircraftNumber(ppszGroups[i]))
            v.emplace_back(n, ppszGroups[i]);
    std::sort(v.begin(), v.end());
    std::vector<std::string> groups;
    for (auto& [n, str] : v)
        groups.push_back(str);
    return groups;
}

std::string textOf(GKeyFile* pkf, const char* pszGroup, const char* pszKey)
{
    return prmTextOf(pkf, pszGroup, pszKey);
}

} // namespace

void fleetSwapKeys(GKeyFile* pkf, const std::string& strGroup)
{
    swapWith(pkf, strGroup);
}

std::vector<_fleetAircraft> fleetList(void)
{
    const _prmValue& reg = valValue(VAL_REGISTRATION);
    std::vector<_fleetAircraft> v = {{"", textOf(prmKeyFile(), reg.pszGroup, reg.pszKey)}};
    for (const std::string& strGroup : otherGroups(prmKeyFile()))
        v.push_back({strGroup, textOf(prmKeyFile(), strGroup.c_str(), reg.pszAircraftKey)});
    return v;
}

void fleetReadCurrent(void)
{
    psetParams();
    pwbParams();
    stateTell(STATE_ALL);
}

void fleetSwitch(const std::string& strGroup)
{
    if (!valAircraftNumber(strGroup.c_str()) || !g_key_file_has_group(prmKeyFile(), strGroup.c_str()))
        return;
    prmEdit([&](GKeyFile* pkf) { swapWith(pkf, strGroup); });
    fleetReadCurrent();
}

void fleetAdd(void)
{
    prmEdit([](GKeyFile* pkf) {
        int n = 2;
        while (g_key_file_has_group(pkf, valAircraftGroup(n).c_str()))
            n++;
        const std::string strGroup = valAircraftGroup(n);
        // The new aircraft starts as a copy of the current one, without a
        // registration; the current one keeps its values in the new group.
        for (const _prmValue& p : valValues()) {
            if (!p.pszAircraftKey)
                continue;
            g_autofree gchar* pszValue = g_key_file_get_value(pkf, p.pszGroup, p.pszKey, nullptr);
            copyValue(pkf, strGroup.c_str(), p.pszAircraftKey, pszValue);
        }
        // Its items and charts are copied as its figures are: the current
        // one's stay with it in the new group.
        itmCopy(pkf, "", strGroup);
        hvcCopy(pkf, "", pkf, strGroup);
        // It is another helicopter: its identity starts empty, and its basic
        // weight and arms stay unconfirmed until each is typed.
        const _prmValue &reg = valValue(VAL_REGISTRATION), &from = valValue(VAL_COPIED_FROM);
        const std::string strFrom = textOf(pkf, reg.pszGroup, reg.pszKey);
        for (const _prmValue& p : valValues())
            if (p.bStartsEmpty)
                g_key_file_set_string(pkf, p.pszGroup, p.pszKey, "");
        g_key_file_set_integer(pkf, valValue(VAL_UNCONFIRMED).pszGroup, valValue(VAL_UNCONFIRMED).pszKey,
                               static_cast<gint>(PSET_UNCONFIRMED_ALL));
        g_key_file_set_string(pkf, from.pszGroup, from.pszKey, strFrom.c_str());
    });
    fleetReadCurrent();
}

void fleetRemoveCurrent(void)
{
    prmEdit([](GKeyFile* pkf) {
        const std::vector<std::string> groups = otherGroups(pkf);
        if (groups.empty())
            return;
        swapWith(pkf, groups.front());
        g_key_file_remove_group(pkf, groups.front().c_str(), nullptr);
        itmRemove(pkf, groups.front());
        hvcRemove(pkf, groups.front());
    });
    fleetReadCurrent();
}
