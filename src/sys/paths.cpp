// The etc directory: where Zarv.ui, Zarv.conf and Zarv.log live, derived from
// the working directory the program is started in. Calls nothing of Zarv's
// but the rule for a free file name.
#include "sys/paths.h"

#include "model/freename.h"

#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

const char* m_pszEtcDir = nullptr;

namespace
{

// The path m_pszEtcDir points into, held here alone.
std::string m_szEtcDir;

// Length of the text from the first occurrence of pszPattern to the end of
// strDir, or -1 when it does not occur.
long tailFrom(const std::string& strDir, const char* pszPattern)
{
    const std::string::size_type nAt = strDir.find(pszPattern);
    return nAt == std::string::npos ? -1 : static_cast<long>(strDir.size() - nAt);
}

} // namespace

std::string wbEtcDirFor(const std::string& strCwd)
{
    // Only the first occurrence of each pattern counts and no separator is
    // normalised: "/x/etc" is the etc directory, "/x/bin" and "C:\x\bin"
    // (with one more character allowed) have it as a sibling.
    const long nEtc = tailFrom(strCwd, "/etc");
    if (nEtc >= 0 && nEtc <= 4)
        return strCwd;
    const long nBin = tailFrom(strCwd, "/bin");
    if (nBin >= 0 && nBin <= 4)
        return strCwd + "/../etc";
    const long nWinBin = tailFrom(strCwd, "\\bin");
    if (nWinBin >= 0 && nWinBin <= 5)
        return strCwd + "/../etc";
    return strCwd + "/etc";
}

void wbSetEtcDir(const std::string& strDir)
{
    m_szEtcDir = strDir;
    m_pszEtcDir = m_szEtcDir.c_str();
}

const std::string& wbEtcDir(void)
{
    return m_szEtcDir;
}

void wbLocateEtcDir(void)
{
    g_autofree gchar* pszDir = g_get_current_dir();
    wbSetEtcDir(wbEtcDirFor(pszDir));
}

std::string wbFileSpec(const char* pszName)
{
    std::string strPath = m_pszEtcDir ? m_pszEtcDir : "";
    strPath += '/';
    strPath += pszName;
    return strPath;
}

bool wbMayFollow(const std::string& strPath)
{
    struct stat stLink;
    if (lstat(strPath.c_str(), &stLink) != 0 || !S_ISLNK(stLink.st_mode))
        return true;
    const uid_t nMe = geteuid();
    if (stLink.st_uid != nMe && stLink.st_uid != 0)
        return false;
    const std::string::size_type nSlash = strPath.rfind('/');
    const std::string strDir = nSlash == std::string::npos ? "." : nSlash == 0 ? "/" : strPath.substr(0, nSlash);
    struct stat stDir;
    if (stat(strDir.c_str(), &stDir) != 0)
        return false;
    if (stDir.st_uid != nMe && stDir.st_uid != 0)
        return false;
    // Writable by everyone (a sticky /tmp among them), or by a group that is
    // not the user's own.
    if ((stDir.st_mode & S_IWOTH) || ((stDir.st_mode & S_IWGRP) && stDir.st_gid != getegid()))
        return false;
    return true;
}

namespace
{

// How many links a walk follows before it takes the path as one that does
// not resolve, as the system does.
constexpr int MAX_LINKS = 40;

// Whether the group is the user's alone: their own, named after them.
bool groupIsMine(gid_t nGid)
{
    if (nGid != getegid())
        return false;
    const passwd* ppw = getpwuid(geteuid());
    const std::string strUser = ppw ? ppw->pw_name : "";
    const group* pgr = getgrgid(nGid);
    return pgr && !strUser.empty() && strUser == pgr->gr_name;
}

// Whether others may add, remove or rename what lies in the directory. Its
// owner may, whatever its bits say today: a directory is trusted only where
// it is the user's own or root's.
bool othersMayWriteIn(const std::string& strDir)
{
    struct stat st;
    if (stat(strDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != geteuid() && st.st_uid != 0)
        return true;
    if (st.st_mode & S_ISVTX)
        return false;
    return (st.st_mode & S_IWOTH) || ((st.st_mode & S_IWGRP) && !groupIsMine(st.st_gid));
}

std::string joinPath(const std::string& strDir, const std::string& strName)
{
    return strDir == "/" ? "/" + strName : strDir + "/" + strName;
}

// Puts the names of a path in front of those still to walk.
void pushNames(std::deque<std::string>& names, const std::string& strPath)
{
    g_auto(GStrv) ppszNames = g_strsplit(strPath.c_str(), "/", -1);
    const guint nNames = g_strv_length(ppszNames);
    for (guint i = nNames; i > 0; i--)
        if (*ppszNames[i - 1] && strcmp(ppszNames[i - 1], ".") != 0)
            names.push_front(ppszNames[i - 1]);
}

} // namespace

_wbEtcRoute wbWalkEtcDir(const std::string& strDir)
{
    _wbEtcRoute route;
    std::deque<std::string> names;
    pushNames(names, strDir);
    std::string strAt = "/";
    if (strDir.empty() || strDir[0] != '/') {
        g_autofree gchar* pszCwd = g_get_current_dir();
        std::deque<std::string> cwd;
        pushNames(cwd, pszCwd);
        names.insert(names.begin(), cwd.begin(), cwd.end());
    }
    int nLinks = 0;
    while (!names.empty()) {
        const std::string strName = names.front();
        names.pop_front();
        if (strName == "..") {
            const std::string::size_type nSlash = strAt.rfind('/');
            strAt = nSlash == 0 ? "/" : strAt.substr(0, nSlash);
            continue;
        }
        if (othersMayWriteIn(strAt)) {
            route.strChangeable = strAt;
            break;
        }
        const std::string strNext = joinPath(strAt, strName);
        struct stat st;
        const bool bThere = lstat(strNext.c_str(), &st) == 0;
        if (bThere && !S_ISLNK(st.st_mode)) {
            strAt = strNext;
            continue;
        }
        if (bThere && st.st_uid != geteuid() && st.st_uid != 0) {
            route.strChangeable = strNext;
            break;
        }
        g_autofree gchar* pszTarget =
            bThere && nLinks < MAX_LINKS ? g_file_read_link(strNext.c_str(), nullptr) : nullptr;
        if (!pszTarget) {
            // Not there (or a link that does not resolve): the rest is taken
            // as named.
            strAt = strNext;
            for (const std::string& str : names)
                strAt = joinPath(strAt, str);
            route.strReal = strAt;
            return route;
        }
        nLinks++;
        pushNames(names, pszTarget);
        if (*pszTarget == '/')
            strAt = "/";
    }
    if (route.strChangeable.empty() && othersMayWriteIn(strAt))
        route.strChangeable = strAt;
    route.strReal = strAt;
    return route;
}

namespace
{

// Whether an open file is a lock file Zarv can trust: a regular file of the
// user's own.
bool ownRegular(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid();
}

// Moves what lies at strSpec aside as "<name>.bad-<n>" (never over another
// file); false when it cannot.
bool moveAside(const std::string& strSpec)
{
    const auto moveTo = [&](const std::string& strTo) {
        struct stat st;
        if (lstat(strTo.c_str(), &st) == 0)
            return EEXIST;
        return rename(strSpec.c_str(), strTo.c_str()) == 0 ? 0 : errno;
    };
    return fnmFirstFree(strSpec + ".bad-", "", {"", "", 1, false}, moveTo, nullptr) == 0;
}

} // namespace

namespace
{

// How long a second start waits for a holder that has only just started to
// note its window, and how often it looks.
constexpr int NOTE_WAIT_MS = 5000;
constexpr int NOTE_POLL_MS = 50;

// The process holding an flock on the open file, from the kernel's table of
// locks; 0 when it cannot be told.
long lockHolder(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return 0;
    g_autofree gchar* pszLocks = nullptr;
    if (!g_file_get_contents("/proc/locks", &pszLocks, nullptr, nullptr))
        return 0;
    g_auto(GStrv) ppszLines = g_strsplit(pszLocks, "\n", -1);
    for (gchar** ppsz = ppszLines; *ppsz; ppsz++) {
        long nPid = 0;
        unsigned nMajor = 0, nMinor = 0;
        unsigned long nInode = 0;
        // "1: FLOCK  ADVISORY  WRITE 1234 fd:01:5678 0 EOF"; a waiter's line
        // has "->" where the kind stands and does not match.
        if (sscanf(*ppsz, "%*d: FLOCK %*s %*s %ld %x:%x:%lu", &nPid, &nMajor, &nMinor, &nInode) == 4 &&
            nMajor == major(st.st_dev) && nMinor == minor(st.st_dev) && nInode == st.st_ino)
            return nPid;
    }
    return 0;
}

} // namespace

int wbClaimEtcDir(_wbHolder* pHolder)
{
    const std::string strSpec = wbFileSpec("Zarv.lock");
    // Never through a link, and no one else's: a lock file that is not a
    // regular file of the user's own could be skipped, held or written by
    // another. Held by someone, it is theirs; otherwise it is set aside and
    // a fresh one taken.
    for (int nTry = 0; nTry < 2; nTry++) {
        int fd = open(strSpec.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        const bool bWritable = fd >= 0;
        // One the user cannot write may still be someone's lock: ask it.
        if (fd < 0)
            fd = open(strSpec.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        int nLock = fd >= 0 ? flock(fd, LOCK_EX | LOCK_NB) : -1;
        int nErr = errno;
        struct stat st {
        };
        const bool bMine = fd >= 0 && fstat(fd, &st) == 0 && st.st_uid == geteuid();
        // A holder of the user's own notes its window once the window is up:
        // a start a moment after it waits for the note, or for the lock
        // should the holder end meanwhile.
        std::string strNote;
        for (int nWaited = 0; nLock != 0 && nErr == EWOULDBLOCK && bMine; nWaited += NOTE_POLL_MS) {
            char buf[64];
            const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
            strNote.assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
            if (!strNote.empty() || nWaited >= NOTE_WAIT_MS)
                break;
            g_usleep(NOTE_POLL_MS * 1000);
            nLock = flock(fd, LOCK_EX | LOCK_NB);
            nErr = errno;
        }
        if (nLock != 0 && fd >= 0 && nErr == EWOULDBLOCK) {
            if (pHolder) {
                pHolder->strNote = strNote;
                pHolder->nUid = static_cast<unsigned>(st.st_uid);
                pHolder->nPid = lockHolder(fd);
            }
            close(fd);
            return bMine ? -1 : -3;
        }
        if (nLock == 0 && bWritable && ownRegular(fd)) {
            // What an earlier holder noted names a window that is gone.
            if (fchmod(fd, 0600) != 0 || ftruncate(fd, 0) != 0) {
                // The lock holds all the same; only the note could mislead.
            }
            return fd;
        }
        if (fd >= 0)
            close(fd);
        if (nTry == 0 && !moveAside(strSpec))
            break;
    }
    return -2;
}

void wbNoteInClaim(int fdClaim, const std::string& strNote)
{
    if (fdClaim < 0)
        return;
    if (ftruncate(fdClaim, 0) != 0 || pwrite(fdClaim, strNote.data(), strNote.size(), 0) < 0) {
        // Only the next start's raising of this window depends on it.
    }
}
