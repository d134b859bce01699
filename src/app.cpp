// The etc directory: where Zarv.ui, Zarv.conf and Zarv.log live, derived from
// the working directory the program is started in. Calls nothing of Zarv's.
#include "app.h"

#include <glib.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string m_szEtcDir;
const char* m_pszEtcDir = nullptr;

namespace
{

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
    for (int n = 1; n < 1000; n++) {
        const std::string strTo = strSpec + ".bad-" + std::to_string(n);
        struct stat st;
        if (lstat(strTo.c_str(), &st) == 0)
            continue;
        return rename(strSpec.c_str(), strTo.c_str()) == 0;
    }
    return false;
}

} // namespace

int wbClaimEtcDir(std::string* pstrHolder, unsigned* pnHolderUid)
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
        if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int nErr = errno;
            struct stat st;
            const bool bMine = fstat(fd, &st) == 0 && st.st_uid == geteuid();
            if (pstrHolder) {
                char buf[64];
                const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
                pstrHolder->assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
            }
            if (pnHolderUid)
                *pnHolderUid = static_cast<unsigned>(st.st_uid);
            close(fd);
            if (nErr == EWOULDBLOCK)
                return bMine ? -1 : -3;
        } else if (fd >= 0 && bWritable && ownRegular(fd)) {
            fchmod(fd, 0600);
            return fd;
        } else if (fd >= 0) {
            close(fd);
        }
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
