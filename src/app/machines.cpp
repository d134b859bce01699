// The school's machines on the command line, and the change of one that
// the window's "Machines…" makes the same way.
#include "app/machines.h"

#include "store/record/audit.h"

#include "store/conf/params.h"
#include "store/record/enrol.h"
#include "store/record/filing.h"
#include "store/school/school.h"

#include <glib.h>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

int wbListMachines(void)
{
    prmLoadKeyFile();
    std::vector<_enrMachine> machines;
    std::string strWhy;
    if (!enrList(&machines, &strWhy)) {
        g_printerr("zarv: %s\n", strWhy.c_str());
        return 2;
    }
    for (const _enrMachine& m : machines)
        g_print("%s: %s, key %s, enrolled %s%s\n", m.strId.c_str(), m.strName.c_str(), enrDigest(m).c_str(),
                m.strEnrolled.c_str(),
                m.strRevoked.empty()
                    ? ""
                    : (", revoked " + m.strRevoked + " after record " + std::to_string(m.nUpTo)).c_str());
    const int fdDir = filShared().strFolder.empty()
                          ? -1
                          : open(filSheetsFolder().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    size_t nMore = 0;
    int nAsking = 0;
    for (const _enrRequest& r : fdDir >= 0 ? enrRequests(fdDir, &nMore) : std::vector<_enrRequest>{}) {
        const bool bEnrolled =
            std::any_of(machines.begin(), machines.end(), [&](const _enrMachine& m) { return m.strId == r.strId; });
        if (!r.strWhy.empty())
            g_print("%s: not a request to join: %s\n", r.strFile.c_str(), r.strWhy.c_str());
        else if (!bEnrolled) {
            g_print("%s: %s, asking to join, key %s\n", r.strId.c_str(), r.strName.c_str(), r.strDigest.c_str());
            nAsking++;
        }
    }
    if (fdDir >= 0)
        close(fdDir);
    if (nMore)
        g_print("and %zu more files named as requests, not read\n", nMore);
    g_print("%zu enrolled, %d asking to join: enrol one only where its pilot reads you the same key "
            "(zarv --enrol \"DIGEST\")\n",
            machines.size(), nAsking);
    return 0;
}

std::vector<std::string> wbChangeAndPublish(bool bEnrol, const std::string& strDigest, bool* pbFailed)
{
    std::vector<std::string> lines{bEnrol ? enrEnrol(strDigest, pbFailed)
                                          : enrRevoke(strDigest, audLastChecked, pbFailed)};
    if (*pbFailed)
        return lines;
    const std::string strDir = prmGetKeyString(SCH_GROUP, SCH_KEY_PUBLISH_TO);
    if (strDir.empty())
        lines.push_back("The list of machines is not published yet: publish it with the aircraft (zarv --publish DIR)");
    else if (const std::string strWhy = wbPublishMachines(strDir); !strWhy.empty()) {
        lines.push_back("The list of machines could not be published: " + strWhy);
        *pbFailed = true;
    } else
        lines.push_back("The list of machines is published in " + strDir);
    return lines;
}

int wbChangeMachine(bool bEnrol, const std::string& strDigest)
{
    prmLoadKeyFile();
    bool bFailed = false;
    for (const std::string& strLine : wbChangeAndPublish(bEnrol, strDigest, &bFailed))
        g_print("%s\n", strLine.c_str());
    return bFailed ? 1 : 0;
}

std::string wbPublishMachines(const std::string& strDir, size_t* pnMachines)
{
    std::string strText, strWhy;
    if (!enrListText(&strText, &strWhy))
        return strWhy;
    if (pnMachines)
        *pnMachines = static_cast<size_t>(std::count(strText.begin(), strText.end(), '\n'));
    g_autoptr(GDateTime) pdt = g_date_time_new_now_utc();
    g_autofree gchar* pszNow = g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ");
    return strText.empty() ? ""
                           : schPublishSigned(strDir, SCH_MACHINES_FILE, strText,
                                              std::string("Zarv machines of the school, ") + pszNow);
}
