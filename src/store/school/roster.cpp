// The school's roster: its text, the office's own list and its changes,
// the one a pilot's machine takes in, and whether a key may accept.
#include "store/school/roster.h"

#include "store/conf/params.h"
#include "store/flight/people.h"
#include "store/school/school.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <algorithm>
#include <array>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A roster is a few hundred bytes a key: far more people than any school.
constexpr size_t MOST_ROSTER = 1 << 20;
constexpr const char* GROUP_ROSTER = "Roster";
constexpr const char* GROUP_PREFIX = "Key ";
// The roles a key may stand for: those who may fly as commander.
constexpr std::array<_pplRole, 3> ROLES = {PPL_ROLE_PILOT, PPL_ROLE_INSTRUCTOR, PPL_ROLE_STUDENT};

std::string nowUtc(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_utc();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ");
    return psz;
}

// Times are kept in one form only, so that comparing the texts compares
// the times.
bool readsAsUtc(const std::string& str)
{
    if (str.size() != 20 || str.back() != 'Z')
        return false;
    g_autoptr(GDateTime) pdt = g_date_time_new_from_iso8601(str.c_str(), nullptr);
    g_autofree gchar* psz = pdt ? g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ") : nullptr;
    return psz && str == psz;
}

bool isRole(const std::string& strRole)
{
    return std::any_of(ROLES.begin(), ROLES.end(), [&](_pplRole n) { return strRole == PPL_ROLE_NAMES[n]; });
}

// Why an entry cannot stand on a roster; "" where it can.
std::string entryWhy(const _rosEntry& e)
{
    if (e.strName.empty())
        return "a key has no name of a person";
    const std::string strWho = e.strName + "'s key";
    // A name is printed on the sheets it accepts: one line of text.
    if (!g_utf8_validate(e.strName.data(), static_cast<gssize>(e.strName.size()), nullptr) ||
        std::any_of(e.strName.begin(), e.strName.end(), [](char c) { return g_ascii_iscntrl(c); }))
        return "the name \"" + e.strName + "\" is not one line of text";
    if (sgnKeyId(e.strKey).empty())
        return strWho + " is no minisign public key";
    if (!isRole(e.strRole))
        return strWho + " stands for the role \"" + e.strRole + "\", not a pilot, instructor or student";
    if (!readsAsUtc(e.strFrom) || (!e.strTo.empty() && !readsAsUtc(e.strTo)))
        return strWho + " stands from \"" + e.strFrom + "\" to \"" + e.strTo +
               "\", not a UTC time as 2026-12-01T00:00:00Z";
    if (!e.strTo.empty() && e.strTo < e.strFrom)
        return strWho + " stands to " + e.strTo + ", before it stands from " + e.strFrom;
    return "";
}

bool writeOffice(const _rosRoster& roster, std::string* pstrWhy)
{
    const std::string strPath = wbFileSpec(ROS_FILE), strText = rosText(roster);
    if (const int nErr = prmReplaceFile(strPath, strText, 0600)) {
        *pstrWhy = strPath + " could not be written: " + g_strerror(nErr);
        return false;
    }
    return true;
}

// The entry whose key has the whole digest strDigest.
std::vector<_rosEntry>::iterator withDigest(_rosRoster* pRoster, const std::string& strDigest)
{
    return std::find_if(pRoster->entries.begin(), pRoster->entries.end(),
                        [&](const _rosEntry& e) { return sgnDigestMatches(e.strKey, strDigest); });
}

} // namespace

bool rosReadText(const std::string& strText, _rosRoster* pRoster, std::string* pstrWhy)
{
    *pRoster = {};
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    // A group written twice would be read as one: a key could hide behind
    // another's name.
    if (!g_key_file_load_from_data(pkf, strText.data(), strText.size(), G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(pkf, GROUP_ROSTER) || !prmWrittenTwice(strText).empty()) {
        *pstrWhy = "the roster is not what Zarv writes";
        return false;
    }
    _rosRoster roster;
    roster.strPublished = prmTextOf(pkf, GROUP_ROSTER, "Published");
    if (!roster.strPublished.empty() && !readsAsUtc(roster.strPublished)) {
        *pstrWhy = "the roster's time of publishing \"" + roster.strPublished + "\" cannot be read";
        return false;
    }
    g_auto(GStrv) groups = g_key_file_get_groups(pkf, nullptr);
    for (gchar** pp = groups; *pp; pp++) {
        if (g_str_equal(*pp, GROUP_ROSTER))
            continue;
        const auto text = [&](const char* pszKey) { return prmTextOf(pkf, *pp, pszKey); };
        const _rosEntry e = {text("Name"), text("Role"), sgnPublicLine(text("Key")), text("From"), text("To")};
        std::string strWhy = g_str_has_prefix(*pp, GROUP_PREFIX) ? entryWhy(e) : "";
        if (!g_str_has_prefix(*pp, GROUP_PREFIX))
            strWhy = std::string("[") + *pp + "] is no key of a person";
        // A key stands for one person: a signature with it names who made
        // it, whoever's name it was made in.
        for (const _rosEntry& o : roster.entries)
            if (strWhy.empty() && o.strKey == e.strKey)
                strWhy =
                    "the key " + sgnKeyDigest(e.strKey) + " is listed " +
                    (o.strName == e.strName ? "twice for " + e.strName : "for both " + o.strName + " and " + e.strName);
        if (!strWhy.empty()) {
            *pstrWhy = strWhy;
            return false;
        }
        roster.entries.push_back(e);
    }
    *pRoster = roster;
    return true;
}

std::string rosText(const _rosRoster& roster)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_set_string(pkf, GROUP_ROSTER, "Published", roster.strPublished.c_str());
    for (size_t i = 0; i < roster.entries.size(); i++) {
        const _rosEntry& e = roster.entries[i];
        const std::string strGroup = GROUP_PREFIX + std::to_string(i + 1);
        g_key_file_set_string(pkf, strGroup.c_str(), "Name", e.strName.c_str());
        g_key_file_set_string(pkf, strGroup.c_str(), "Role", e.strRole.c_str());
        g_key_file_set_string(pkf, strGroup.c_str(), "Key", e.strKey.c_str());
        g_key_file_set_string(pkf, strGroup.c_str(), "From", e.strFrom.c_str());
        if (!e.strTo.empty())
            g_key_file_set_string(pkf, strGroup.c_str(), "To", e.strTo.c_str());
    }
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    return std::string(pszData, nLength);
}

bool rosOfficeList(_rosRoster* pRoster, std::string* pstrWhy)
{
    *pRoster = {};
    const std::string strPath = wbFileSpec(ROS_FILE);
    std::string strData, strWhy;
    uid_t nOwner = 0;
    g_autoptr(GError) pErr = nullptr;
    if (!prmReadFile(strPath, &strData, &pErr, &nOwner, MOST_ROSTER)) {
        if (g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT))
            return true;
        *pstrWhy = strPath + " cannot be read: " + pErr->message;
        return false;
    }
    // The office vouches for every key on it: no one else may have put one
    // there.
    struct stat st;
    if (nOwner != geteuid() || lstat(strPath.c_str(), &st) != 0 || (st.st_mode & 0077)) {
        *pstrWhy = strPath + " is not the user's alone: others may change it";
        return false;
    }
    if (!rosReadText(strData, pRoster, &strWhy)) {
        *pstrWhy = strPath + ": " + strWhy;
        return false;
    }
    return true;
}

std::string rosAdd(const std::string& strPublic, const std::string& strName, const std::string& strRole,
                   const std::string& strDigest, const std::string& strFrom, const std::string& strTo, bool* pbFailed)
{
    *pbFailed = true;
    std::string strWhy;
    _rosRoster roster;
    if (!rosOfficeList(&roster, &strWhy))
        return "Nothing was added: " + strWhy;
    if (sgnKeyId(strPublic).empty())
        return "Nothing was added: the file given is no minisign public key";
    // The digest read aloud by its holder is what ties the file to them.
    if (!sgnDigestMatches(strPublic, strDigest))
        return "Nothing was added: the key in the file does not have the whole digest " + strDigest +
               ": add it only where its holder reads you the same";
    const _rosEntry e = {strName, strRole, sgnPublicLine(strPublic), strFrom.empty() ? nowUtc() : strFrom, strTo};
    if (const auto it = withDigest(&roster, strDigest); it != roster.entries.end())
        return "Nothing was added: the key is on the roster already, for " + it->strName +
               (it->strTo.empty() ? "" : ", to " + it->strTo + ": a key once revoked is never taken again");
    roster.entries.push_back(e);
    // The roster is checked as a pilot's machine will read it, and the
    // entry as typed, before the key file makes its text valid.
    _rosRoster checked;
    if (strWhy = entryWhy(e); !strWhy.empty() || !rosReadText(rosText(roster), &checked, &strWhy))
        return "Nothing was added: " + strWhy;
    if (!writeOffice(roster, &strWhy))
        return "Nothing was added: " + strWhy;
    *pbFailed = false;
    const std::string strDigestShown = sgnKeyDigest(strPublic);
    errPostError(("rosAdd()\n" + strName + " (" + strRole + "), key " + strDigestShown + " from " + e.strFrom).c_str());
    return strName + "'s key " + strDigestShown + " is on the roster as " + strRole + " from " + e.strFrom +
           (strTo.empty() ? " until revoked" : " to " + strTo);
}

std::string rosRevoke(const std::string& strDigest, bool* pbFailed)
{
    *pbFailed = true;
    std::string strWhy;
    _rosRoster roster;
    if (!rosOfficeList(&roster, &strWhy))
        return "Nothing was revoked: " + strWhy;
    const auto it = withDigest(&roster, strDigest);
    if (it == roster.entries.end())
        return "Nothing was revoked: no key on the roster has the whole digest " + strDigest;
    const std::string strNow = nowUtc();
    if (!it->strTo.empty() && it->strTo <= strNow)
        return it->strName + "'s key was revoked from " + it->strTo + " already";
    // Its "to" never comes before its "from": a key revoked before it
    // stood never stood at all.
    it->strTo = std::max(strNow, it->strFrom);
    if (!writeOffice(roster, &strWhy))
        return "Nothing was revoked: " + strWhy;
    *pbFailed = false;
    errPostError(
        ("rosRevoke()\n" + it->strName + "'s key " + sgnKeyDigest(it->strKey) + " revoked from " + it->strTo).c_str());
    return it->strName + "'s key " + sgnKeyDigest(it->strKey) + " is revoked from " + it->strTo +
           ": what it accepted before stands";
}

bool rosPublishedText(const std::string& strNow, std::string* pstrText, size_t* pnKeys, std::string* pstrWhy)
{
    _rosRoster roster;
    pstrText->clear();
    *pnKeys = 0;
    if (!rosOfficeList(&roster, pstrWhy))
        return false;
    roster.strPublished = strNow;
    *pnKeys = roster.entries.size();
    if (!roster.entries.empty())
        *pstrText = rosText(roster);
    return true;
}

bool rosInUse(_rosRoster* pRoster, std::string* pstrWhy, bool* pbSchool)
{
    *pRoster = {};
    *pbSchool = !prmStoredText(SCH_GROUP, SCH_KEY_PUBLISHED).empty() && !prmStoredText(SCH_GROUP, SCH_KEY_KEY).empty();
    if (!*pbSchool) {
        *pstrWhy = "this machine is in no school: no school's folder and key are set here";
        return false;
    }
    std::string strWhy;
    const std::string strText = schPublishedSigned(ROS_PUBLISHED_FILE, &strWhy);
    _rosRoster roster;
    if (strText.empty() || !rosReadText(strText, &roster, &strWhy)) {
        *pstrWhy = "the school's roster cannot be used: " + strWhy;
        return false;
    }
    // One signed by the school but taken back from an older publishing
    // would list a key since revoked as standing.
    const std::string strSeen = prmStoredText(SCH_GROUP, ROS_KEY_SEEN);
    if (roster.strPublished.empty() || roster.strPublished < strSeen) {
        *pstrWhy = "the school's roster is older than the one in use (published " +
                   (roster.strPublished.empty() ? std::string("at no time said") : roster.strPublished) +
                   ", the one in use " + strSeen + ")";
        return false;
    }
    if (roster.strPublished > strSeen && prmKeyFile())
        prmEdit(
            [&](GKeyFile* pkf) { g_key_file_set_string(pkf, SCH_GROUP, ROS_KEY_SEEN, roster.strPublished.c_str()); });
    *pRoster = roster;
    return true;
}

std::string rosKeyWhy(const _rosRoster& roster, const std::string& strName, const std::string& strCapacity,
                      const std::string& strKey, const std::string& strTime)
{
    const std::string strLine = sgnPublicLine(strKey);
    if (strLine.empty())
        return "it is no public key";
    const auto it = std::find_if(roster.entries.begin(), roster.entries.end(),
                                 [&](const _rosEntry& e) { return e.strKey == strLine; });
    const std::string strDigest = sgnKeyDigest(strLine);
    if (it == roster.entries.end())
        return "the key " + strDigest + " is not on the school's roster";
    if (it->strName != strName)
        return "the key " + strDigest + " is " + it->strName + "'s on the school's roster, not " + strName + "'s";
    const bool bMay = strCapacity == "commander"    ? isRole(it->strRole)
                      : strCapacity == "instructor" ? it->strRole == PPL_ROLE_NAMES[PPL_ROLE_INSTRUCTOR]
                                                    : false;
    if (!bMay)
        return strName + " is on the school's roster as " + it->strRole + ", who may not accept as " + strCapacity;
    if (!readsAsUtc(strTime))
        return "the time " + strTime + " cannot be read";
    if (strTime < it->strFrom)
        return strName + "'s key " + strDigest + " stands only from " + it->strFrom;
    if (!it->strTo.empty() && strTime > it->strTo)
        return strName + "'s key " + strDigest + " is revoked from " + it->strTo;
    return "";
}
