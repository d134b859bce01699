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

int wbClaimEtcDir(std::string* pstrHolder)
{
    const std::string strSpec = wbFileSpec("Zarv.lock");
    // Never through a link: the lock file is Zarv's own.
    const int fd = open(strSpec.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return -2;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -2;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
        return fd;
    const int nErr = errno;
    if (pstrHolder) {
        char buf[64];
        const ssize_t n = pread(fd, buf, sizeof buf - 1, 0);
        pstrHolder->assign(buf, n > 0 ? static_cast<size_t>(n) : 0);
    }
    close(fd);
    return nErr == EWOULDBLOCK ? -1 : -2;
}

void wbNoteInClaim(int fdClaim, const std::string& strNote)
{
    if (fdClaim < 0)
        return;
    if (ftruncate(fdClaim, 0) != 0 || pwrite(fdClaim, strNote.data(), strNote.size(), 0) < 0) {
        // Only the next start's raising of this window depends on it.
    }
}
