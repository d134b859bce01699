// The school's roster on the command line, and its publishing beside the
// aircraft.
#include "app/rostercmd.h"

#include "store/conf/params.h"
#include "store/school/roster.h"
#include "store/school/school.h"
#include "sys/sign.h"

#include <glib.h>

#include <set>

namespace
{

// A public key file is two short lines.
constexpr size_t MOST_PUBLIC_FILE = 4096;

} // namespace

int wbListRoster(void)
{
    prmLoadKeyFile();
    _rosRoster roster;
    std::string strWhy;
    if (!rosOfficeList(&roster, &strWhy)) {
        g_printerr("zarv: %s\n", strWhy.c_str());
        return 2;
    }
    std::set<std::string> people;
    for (const _rosEntry& e : roster.entries) {
        g_print("%s, %s, key %s, from %s, %s\n", e.strName.c_str(), e.strRole.c_str(), sgnKeyDigest(e.strKey).c_str(),
                e.strFrom.c_str(), e.strTo.empty() ? "until revoked" : ("to " + e.strTo).c_str());
        people.insert(e.strName);
    }
    g_print("%zu key%s of %zu %s on the roster: add one only where its holder reads you the same digest "
            "(zarv --roster-add PUBFILE --name NAME --role ROLE --digest \"DIGEST\")\n",
            roster.entries.size(), roster.entries.size() == 1 ? "" : "s", people.size(),
            people.size() == 1 ? "person" : "people");
    return 0;
}

int wbChangeRoster(const _wbRosterChange& change)
{
    prmLoadKeyFile();
    bool bFailed = true;
    std::string strLine;
    if (!change.strRevoke.empty())
        strLine = rosRevoke(change.strRevoke, &bFailed);
    else {
        // Read as every file Zarv trusts: never through a link, never
        // waiting on a FIFO.
        std::string strPublic;
        g_autoptr(GError) pErr = nullptr;
        strLine = prmReadFile(change.strPublicFile, &strPublic, &pErr, nullptr, MOST_PUBLIC_FILE)
                      ? rosAdd(strPublic, change.strName, change.strRole, change.strDigest, change.strFrom,
                               change.strTo, &bFailed)
                      : "Nothing was added: " + change.strPublicFile + " cannot be read: " + pErr->message;
    }
    g_print("%s\n", strLine.c_str());
    if (bFailed)
        return 1;
    const std::string strDir = prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO);
    if (strDir.empty())
        g_print("The roster is not published yet: publish it with the aircraft (zarv --publish DIR)\n");
    else if (const std::string strWhy = wbPublishRoster(strDir); !strWhy.empty()) {
        g_print("The roster could not be published: %s\n", strWhy.c_str());
        return 1;
    } else
        g_print("The roster is published in %s\n", strDir.c_str());
    return 0;
}

std::string wbPublishRoster(const std::string& strDir, size_t* pnKeys)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_utc();
    g_autofree gchar* pszNow = g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ");
    std::string strText, strWhy;
    size_t nKeys = 0;
    if (!rosPublishedText(pszNow, &strText, &nKeys, &strWhy))
        return strWhy;
    if (pnKeys)
        *pnKeys = nKeys;
    return strText.empty() ? ""
                           : schPublishSigned(strDir, ROS_PUBLISHED_FILE, strText,
                                              std::string("Zarv roster of the school, ") + pszNow);
}
