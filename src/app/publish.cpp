// The school's published aircraft on the command line: what the menu's
// "Publish aircraft…" writes, and what a pilot's window would take in.
#include "app/publish.h"

#include "model/texts.h"

#include "app/machines.h"
#include "app/rostercmd.h"

#include "store/conf/params.h"
#include "store/conf/stored.h"
#include "store/school/roster.h"
#include "store/school/school.h"
#include "sys/sign.h"

#include <glib.h>

int wbPublishTo(const char* pszDir)
{
    prmLoadKeyFile();
    psetParams();
    bool bFailed = false;
    for (const std::string& str : schPublish(pszDir, &bFailed))
        g_print("%s\n", str.c_str());
    // The machines the school enrolled go with its aircraft.
    size_t nMachines = 0;
    if (const std::string strWhy = bFailed ? "" : wbPublishMachines(pszDir, &nMachines); !strWhy.empty()) {
        g_print("The list of machines could not be published: %s\n", strWhy.c_str());
        bFailed = true;
    } else if (nMachines)
        g_print("The school's %zu enrolled machine%s published (%s)\n", nMachines, nMachines == 1 ? " is" : "s are",
                SCH_MACHINES_FILE);
    // So does its roster of who may accept a sheet.
    size_t nKeys = 0;
    if (const std::string strWhy = bFailed ? "" : wbPublishRoster(pszDir, &nKeys); !strWhy.empty()) {
        g_print("The roster could not be published: %s\n", strWhy.c_str());
        bFailed = true;
    } else if (nKeys)
        g_print("The school's roster of %zu key%s is published (%s)\n", nKeys, nKeys == 1 ? "" : "s",
                ROS_PUBLISHED_FILE);
    return bFailed ? 1 : 0;
}

int wbListPublished(void)
{
    prmLoadKeyFile();
    if (prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISHED).empty()) {
        g_printerr("zarv: no folder of the school's published aircraft is set ([%s] %s in Zarv.conf)\n", SCH_GROUP,
                   SCH_KEY_PUBLISHED);
        return 2;
    }
    // What a pilot who set Zarv.conf by hand compares with the digest the
    // school gave by a second channel.
    if (const std::string strKey = prmGetKeyString(SCH_GROUP, SCH_KEY_KEY); !sgnKeyDigest(strKey).empty())
        g_print("The school's key accepted here is SHA-256 %s (minisign id %s)\n", sgnKeyDigest(strKey).c_str(),
                sgnKeyIdShown(strKey).c_str());
    bool bRefused = false;
    const std::vector<_schTaken> judged = schJudgeFolder();
    for (const _schTaken& t : judged) {
        if (t.bUsed)
            g_print("%s: used, published by %s, revision %d, %s\n", t.strFile.c_str(), t.strSchool.c_str(), t.nRevision,
                    t.strDate.c_str());
        else
            g_print("%s: refused: %s\n", t.strFile.c_str(), t.strWhy.c_str());
        bRefused = bRefused || !t.bUsed;
    }
    if (judged.empty())
        g_print("nothing is published there\n");
    // The roster the acceptances on this machine are held to.
    _rosRoster roster;
    std::string strWhy;
    bool bSchool = false;
    if (rosInUse(&roster, &strWhy, &bSchool))
        g_print("%s: used, published %s, %zu keys\n", ROS_PUBLISHED_FILE, roster.strPublished.c_str(),
                roster.entries.size());
    else if (bSchool && g_file_test((prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISHED) + "/" + ROS_PUBLISHED_FILE).c_str(),
                                    G_FILE_TEST_EXISTS))
        g_print("%s: refused: %s\n", ROS_PUBLISHED_FILE, txtOneLine(strWhy, 1000).c_str());
    return bRefused ? 1 : 0;
}
