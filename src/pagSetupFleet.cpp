// The fleet: several aircraft of the type, each with its registration, its
// weighing date and its own basic and ballast values. The current aircraft
// lives in the groups every Zarv.conf has ("Basic", "Ballast"), its
// identity under "Aircraft"; every other one in a group "Aircraft N" of its
// own. A file without fleet data is a fleet of one. Every change of the
// fleet is one rewrite of the file.
#include "pagSetup.h"
#include "params.h"

#include <algorithm>
#include <array>

namespace
{

// Where a value of an aircraft is kept: in today's groups for the current
// one, under one key of its group for any other.
struct Place {
    const char* pszGroup;
    const char* pszKey;
    const char* pszOtherKey;
};
constexpr std::array<Place, 9> m_places = {{
    {"Aircraft", "Registration", "Registration"},
    {"Aircraft", "Weighed", "Weighed"},
    {"Basic", "Weight", "BasicWeight"},
    {"Basic", "LongArm", "BasicLongArm"},
    {"Basic", "LatArm", "BasicLatArm"},
    {"Ballast", "Weight", "BallastWeight"},
    {"Ballast", "FrontLongArm", "BallastFrontLongArm"},
    {"Ballast", "FrontLatArm", "BallastFrontLatArm"},
    {"Ballast", "RearLongArm", "BallastRearLongArm"},
}};

constexpr const char* OTHER_PREFIX = "Aircraft ";

// The group's number when it holds another aircraft ("Aircraft 2"), else 0.
int otherNumber(const gchar* pszGroup)
{
    if (!g_str_has_prefix(pszGroup, OTHER_PREFIX))
        return 0;
    const char* pszDigits = pszGroup + strlen(OTHER_PREFIX);
    char* pszEnd = nullptr;
    const long n = strtol(pszDigits, &pszEnd, 10);
    return *pszDigits && !*pszEnd && n >= 2 && n < 100000 ? static_cast<int>(n) : 0;
}

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
    for (const Place& p : m_places) {
        g_autofree gchar* pszCurrent = g_key_file_get_value(pkf, p.pszGroup, p.pszKey, nullptr);
        g_autofree gchar* pszOther = g_key_file_get_value(pkf, strGroup.c_str(), p.pszOtherKey, nullptr);
        copyValue(pkf, p.pszGroup, p.pszKey, pszOther);
        copyValue(pkf, strGroup.c_str(), p.pszOtherKey, pszCurrent);
    }
}

// The other aircraft's groups, in the order of their numbers.
std::vector<std::string> otherGroups(GKeyFile* pkf)
{
    std::vector<std::pair<int, std::string>> v;
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++)
        if (const int n = otherNumber(ppszGroups[i]))
            v.emplace_back(n, ppszGroups[i]);
    std::sort(v.begin(), v.end());
    std::vector<std::string> groups;
    for (auto& [n, str] : v)
        groups.push_back(str);
    return groups;
}

std::string registrationOf(GKeyFile* pkf, const char* pszGroup, const char* pszKey)
{
    g_autofree gchar* psz = g_key_file_get_string(pkf, pszGroup, pszKey, nullptr);
    return psz ? psz : "";
}

} // namespace

std::vector<_psetAircraft> psetFleet(void)
{
    std::vector<_psetAircraft> v = {{"", registrationOf(m_pkeyFile, "Aircraft", "Registration")}};
    for (const std::string& strGroup : otherGroups(m_pkeyFile))
        v.push_back({strGroup, registrationOf(m_pkeyFile, strGroup.c_str(), "Registration")});
    return v;
}

void psetFleetSwitch(const std::string& strGroup)
{
    if (!otherNumber(strGroup.c_str()) || !g_key_file_has_group(m_pkeyFile, strGroup.c_str()))
        return;
    prmEdit([&](GKeyFile* pkf) { swapWith(pkf, strGroup); });
}

void psetFleetAdd(void)
{
    prmEdit([](GKeyFile* pkf) {
        int n = 2;
        while (g_key_file_has_group(pkf, (OTHER_PREFIX + std::to_string(n)).c_str()))
            n++;
        const std::string strGroup = OTHER_PREFIX + std::to_string(n);
        // The new aircraft starts as a copy of the current one, without a
        // registration; the current one keeps its values in the new group.
        for (const Place& p : m_places) {
            g_autofree gchar* pszValue = g_key_file_get_value(pkf, p.pszGroup, p.pszKey, nullptr);
            copyValue(pkf, strGroup.c_str(), p.pszOtherKey, pszValue);
        }
        g_key_file_set_string(pkf, "Aircraft", "Registration", "");
    });
}

void psetFleetRemoveCurrent(void)
{
    prmEdit([](GKeyFile* pkf) {
        const std::vector<std::string> groups = otherGroups(pkf);
        if (groups.empty())
            return;
        swapWith(pkf, groups.front());
        g_key_file_remove_group(pkf, groups.front().c_str(), nullptr);
    });
}
