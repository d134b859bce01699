// The event log "<etc dir>/Zarv.log": opened, appended to and closed for each
// entry; never read, truncated or rotated.
#include "sys/errlog.h"

#include "sys/paths.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int MAX_PIECES = 20; // the 20th piece keeps the rest of the message

} // namespace

std::string errFormatEntry(const char* pszStamp, const gchar* pszError)
{
    std::string strEntry = pszStamp;
    const std::string strIndent(strEntry.size(), ' ');
    g_auto(GStrv) ppszPieces = g_strsplit(pszError, "\n", MAX_PIECES);
    for (int i = 0; ppszPieces[i]; i++) {
        if (i > 0)
            strEntry += strIndent;
        strEntry += ppszPieces[i];
        strEntry += '\n';
    }
    strEntry += '\n';
    return strEntry;
}

void errPostError(const gchar* pszError)
{
    if (!pszError)
        return;
    const std::string strFileSpec = wbFileSpec("Zarv.log");
    // Appended to as "a+" does, but a link is followed only where no one else
    // can have planted it, and a log that is a FIFO never blocks the program.
    constexpr int nFlags = O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC;
    int fd = open(strFileSpec.c_str(), nFlags | O_NOFOLLOW, 0666);
    if (fd < 0 && errno == ELOOP && wbMayFollow(strFileSpec))
        fd = open(strFileSpec.c_str(), nFlags, 0666);
    if (fd < 0)
        return;
    char szTS[50];
    const time_t tNow = time(nullptr);
    struct tm tmNow;
    localtime_r(&tNow, &tmNow);
    if (strftime(szTS, sizeof szTS, "%d-%b-%Y %H:%M:%S ", &tmNow) == 0)
        szTS[0] = '\0';
    // One write per entry, so that an entry is never split by another writer.
    const std::string strEntry = errFormatEntry(szTS, pszError);
    if (write(fd, strEntry.data(), strEntry.size()) < 0) {
        // Nothing to report it to: the log is the only channel.
    }
    close(fd);
}

namespace
{

// What was said before the window listened, who listens, and what a run
// has logged once.
struct _errHeld {
    std::vector<std::string> told;
    void (*pfuncPilotListener)(const std::string&) = nullptr;
    std::set<std::string> once;
};
_errHeld m_err;

} // namespace

void errTellPilot(const std::string& strText)
{
    if (m_err.pfuncPilotListener)
        m_err.pfuncPilotListener(strText);
    else
        m_err.told.push_back(strText);
}

void errSetPilotListener(void (*pfuncListener)(const std::string& strText))
{
    m_err.pfuncPilotListener = pfuncListener;
    if (!pfuncListener)
        return;
    for (const std::string& str : m_err.told)
        pfuncListener(str);
    m_err.told.clear();
}

bool errFirstTime(const std::string& strWhat)
{
    return m_err.once.insert(strWhat).second;
}
