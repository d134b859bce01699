// The parameter store and Zarv.conf. Every set rewrites the whole file; the
// file is replaced atomically so a crash, a full disk or a short write never
// leaves a damaged or empty configuration behind.
#include "params.h"

#include "app.h"
#include "errlog.h"
#include "testSeams.h"

#include <glib/gstdio.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

GKeyFile* m_pkeyFile = nullptr;

_prmFileOps m_prmFileOps = {g_mkstemp_full, ::write, ::fsync, ::rename, ::link};

namespace
{

// Set when Zarv.conf must be left as it is for the rest of the run: an
// unreadable file that could not be moved aside, or a link someone else
// could have planted. Saves are then refused.
bool m_bKeepUnreadable = false;

// Told of the outcome of every rewrite; see prmSetWriteListener.
void (*m_pfuncWriteListener)(const char* pszError) = nullptr;

void tellListener(const char* pszError)
{
    if (m_pfuncWriteListener)
        m_pfuncWriteListener(pszError);
}

std::string confSpec()
{
    return wbFileSpec("Zarv.conf");
}

void postWriteFailure(const char* pszCall, const std::string& strArg, int nErrno)
{
    tellListener(g_strerror(nErrno));
    g_autofree gchar* pszMsg = nullptr;
    if (strArg.empty())
        pszMsg = g_strdup_printf("prmWriteKeyFile()\r\n%s()\r\n%s", pszCall, g_strerror(nErrno));
    else
        pszMsg =
            g_strdup_printf("prmWriteKeyFile()\r\n%s(%s) failed\r\n%s", pszCall, strArg.c_str(), g_strerror(nErrno));
    errPostError(pszMsg);
}

// Writes all of the buffer, resuming after a partial write. Returns 0, or the
// error number of the failing write (ENOSPC when the disk took no more).
int writeAll(int fd, const gchar* pszData, gsize nLength)
{
    gsize nDone = 0;
    while (nDone < nLength) {
        const ssize_t n = m_prmFileOps.pfuncWrite(fd, pszData + nDone, nLength - nDone);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        nDone += static_cast<gsize>(n);
    }
    return 0;
}

// The file a link leads to, through any chain of links; where it leads to
// nothing yet, the path it names.
std::string linkTarget(const std::string& strLink)
{
    if (g_autofree char* pszReal = realpath(strLink.c_str(), nullptr))
        return pszReal;
    g_autofree gchar* pszTo = g_file_read_link(strLink.c_str(), nullptr);
    if (!pszTo)
        return strLink;
    if (g_path_is_absolute(pszTo))
        return pszTo;
    g_autofree gchar* pszDir = g_path_get_dirname(strLink.c_str());
    g_autofree gchar* pszPath = g_build_filename(pszDir, pszTo, nullptr);
    return pszPath;
}

// Rewrites Zarv.conf in place, as a plain "w" open does. Used where the etc
// directory takes no new file but Zarv.conf itself is writable.
void writeInPlace(const std::string& strSpec, const gchar* pszData, gsize nLength)
{
    const int fd = g_open(strSpec.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        postWriteFailure("fopen", strSpec, errno);
        return;
    }
    int nErr = writeAll(fd, pszData, nLength);
    if (nErr == 0 && m_prmFileOps.pfuncFsync(fd) != 0)
        nErr = errno;
    if (close(fd) != 0 && nErr == 0)
        nErr = errno;
    if (nErr != 0) {
        postWriteFailure("fwrite", "", nErr);
        return;
    }
    tellListener(nullptr);
}

// Moves an unreadable Zarv.conf aside as "Zarv.conf.bad-YYYYMMDD-HHMMSS"
// (with "-N" added while that name is taken), never over another file.
// Returns false when it could not.
bool setAside(const std::string& strSpec)
{
    char szStamp[32];
    const time_t tNow = time(nullptr);
    struct tm tmNow;
    localtime_r(&tNow, &tmNow);
    strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmNow);
    const std::string strBase = strSpec + ".bad-" + szStamp;
    int nErr = EEXIST;
    for (int i = 0; i < 1000 && nErr == EEXIST; i++) {
        const std::string strTo = i == 0 ? strBase : strBase + "-" + std::to_string(i);
        // A hard link fails rather than replace an existing name; where
        // there are no hard links, rename once the name is known to be free.
        if (m_prmFileOps.pfuncLink(strSpec.c_str(), strTo.c_str()) == 0)
            nErr = unlink(strSpec.c_str()) == 0 ? 0 : errno;
        else if (errno == EEXIST || g_file_test(strTo.c_str(), G_FILE_TEST_EXISTS))
            nErr = EEXIST;
        else
            nErr = m_prmFileOps.pfuncRename(strSpec.c_str(), strTo.c_str()) == 0 ? 0 : errno;
        if (nErr == 0) {
            g_autofree gchar* pszMsg = g_strdup_printf(
                "prmLoadKeyFile()\n%s could not be read and was set aside\nas %s", strSpec.c_str(), strTo.c_str());
            errPostError(pszMsg);
            return true;
        }
    }
    g_autofree gchar* pszMsg =
        g_strdup_printf("prmLoadKeyFile()\nrename(%s) failed\n%s\nit is left as it is: changes are not saved this run",
                        strSpec.c_str(), g_strerror(nErr));
    errPostError(pszMsg);
    return false;
}

// Removes temporaries that a rewrite of strFile cut short by a crash left
// beside it: its name, ".tmp-" and six characters, a name no one else gives
// a file.
void removeStaleTemporaries(const std::string& strFile)
{
    g_autofree gchar* pszDir = g_path_get_dirname(strFile.c_str());
    g_autofree gchar* pszBase = g_path_get_basename(strFile.c_str());
    GDir* pdir = g_dir_open(pszDir, 0, nullptr);
    if (!pdir)
        return;
    const std::string strPrefix = std::string(pszBase) + ".tmp-";
    while (const gchar* pszName = g_dir_read_name(pdir)) {
        if (strlen(pszName) != strPrefix.size() + 6 || !g_str_has_prefix(pszName, strPrefix.c_str()))
            continue;
        bool bTemp = true;
        for (const gchar* p = pszName + strPrefix.size(); *p; p++)
            bTemp = bTemp && g_ascii_isalnum(*p);
        if (bTemp) {
            g_autofree gchar* pszPath = g_build_filename(pszDir, pszName, nullptr);
            g_unlink(pszPath);
        }
    }
    g_dir_close(pdir);
}

// Reads Zarv.conf into pkf as g_key_file_load_from_file does, with the same
// errors, but never blocks: what is not a regular file (a FIFO, a device, a
// directory) is opened without waiting and refused.
bool loadConf(GKeyFile* pkf, const std::string& strSpec, GError** ppErr)
{
    const int fd = g_open(strSpec.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
    if (fd < 0) {
        const int nErr = errno;
        g_set_error_literal(ppErr, G_FILE_ERROR, g_file_error_from_errno(nErr), g_strerror(nErr));
        return false;
    }
    GStatBuf st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        g_set_error_literal(ppErr, G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_PARSE, "Not a regular file");
        return false;
    }
    std::string strData;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int nErr = errno;
            close(fd);
            g_set_error_literal(ppErr, G_FILE_ERROR, g_file_error_from_errno(nErr), g_strerror(nErr));
            return false;
        }
        if (n == 0)
            break;
        strData.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_KEEP_COMMENTS, ppErr);
}

} // namespace

void prmSetWriteListener(void (*pfuncListener)(const char* pszError))
{
    m_pfuncWriteListener = pfuncListener;
}

void prmLoadKeyFile(void)
{
    m_pkeyFile = g_key_file_new();
    const std::string strSpec = confSpec();
    removeStaleTemporaries(strSpec);
    if (!wbMayFollow(strSpec)) {
        // Someone else's link, or one in a directory others can write to:
        // neither read nor replaced.
        g_autofree gchar* pszMsg =
            g_strdup_printf("prmLoadKeyFile()\n%s is a link that another user could have made or changed\n"
                            "it is not followed: changes are not saved this run",
                            strSpec.c_str());
        errPostError(pszMsg);
        m_bKeepUnreadable = true;
        return;
    }
    // Beside the file a link leads to as well, where its rewrites go.
    GStatBuf stSpec;
    const bool bLink = g_lstat(strSpec.c_str(), &stSpec) == 0 && S_ISLNK(stSpec.st_mode);
    if (bLink)
        removeStaleTemporaries(linkTarget(strSpec));
    g_autoptr(GError) pErr = nullptr;
    if (loadConf(m_pkeyFile, strSpec, &pErr))
        return;
    g_autofree gchar* pszMsg =
        g_strdup_printf("prmLoadKeyFile()\ng_key_file_load_from_file(%s)\n%s", strSpec.c_str(), pErr->message);
    errPostError(pszMsg);
    // What a failed parse read before its bad line is no part of the store:
    // the run starts from nothing, as the log says.
    g_key_file_free(m_pkeyFile);
    m_pkeyFile = g_key_file_new();
    // A file that is there but is not a key file (a parse error, invalid
    // UTF-8) would be overwritten by the next set: keep it for the user.
    // A missing or unreadable file is left where it is.
    // Through a link it is the file it leads to that is set aside: the link
    // stays, and the next save makes that file anew.
    if (pErr->domain == G_KEY_FILE_ERROR)
        m_bKeepUnreadable = !setAside(bLink ? linkTarget(strSpec) : strSpec);
}

void prmWriteKeyFile(void)
{
    if (m_bKeepUnreadable) {
        tellListener("Zarv.conf is left as it was found");
        return;
    }
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(m_pkeyFile, &nLength, nullptr);
    const std::string strSpec = confSpec();

    GStatBuf stOld;
    bool bExists = g_lstat(strSpec.c_str(), &stOld) == 0;
    // A Zarv.conf that is the user's own link stays a link: the file it
    // leads to is replaced as a plain Zarv.conf is, beside itself.
    std::string strTarget = strSpec;
    const bool bLink = bExists && S_ISLNK(stOld.st_mode);
    if (bLink) {
        if (!wbMayFollow(strSpec)) {
            postWriteFailure("fopen", strSpec, EPERM);
            return;
        }
        strTarget = linkTarget(strSpec);
        bExists = g_lstat(strTarget.c_str(), &stOld) == 0;
    }
    // A file its owner has locked (read-only, or someone else's) is not
    // replaced behind their back: the rewrite fails as opening it would.
    if (bExists && S_ISREG(stOld.st_mode)) {
        // (Asked of the system rather than tried: an open for writing, even
        // one that writes nothing, tells watchers the file was written.)
        if (faccessat(AT_FDCWD, strTarget.c_str(), W_OK, AT_EACCESS) != 0) {
            postWriteFailure("fopen", strTarget, errno);
            return;
        }
    }

    std::string strTemp = strTarget + ".tmp-XXXXXX";
    const int fd = m_prmFileOps.pfuncMkstemp(strTemp.data(), O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == ENOSPC || errno == EDQUOT || bLink) {
            // Truncating Zarv.conf now would lose it, and a linked one is
            // never rewritten in place: leave it as it is.
            postWriteFailure("fopen", strTarget, errno);
            return;
        }
        // The directory takes no new file; Zarv.conf itself may still be
        // writable, as it was before safe replacement.
        writeInPlace(strSpec, pszData, nLength);
        return;
    }
    int nErr = writeAll(fd, pszData, nLength);
    if (nErr == 0 && bExists && S_ISREG(stOld.st_mode))
        fchmod(fd, stOld.st_mode & 07777); // keep the permissions the user gave the file
    if (nErr == 0 && m_prmFileOps.pfuncFsync(fd) != 0)
        nErr = errno;
    if (close(fd) != 0 && nErr == 0)
        nErr = errno;
    if (nErr == 0 && m_prmFileOps.pfuncRename(strTemp.c_str(), strTarget.c_str()) != 0)
        nErr = errno;
    if (nErr != 0) {
        g_unlink(strTemp.c_str());
        postWriteFailure("fwrite", "", nErr);
        return;
    }
    tellListener(nullptr);
}

gint prmGetKeyInteger(const gchar* pszGroup, const gchar* pszKey)
{
    return g_key_file_get_integer(m_pkeyFile, pszGroup, pszKey, nullptr);
}

gdouble prmGetKeyDouble(const gchar* pszGroup, const gchar* pszKey)
{
    const gdouble nValue = g_key_file_get_double(m_pkeyFile, pszGroup, pszKey, nullptr);
    // nan, inf or 1e999 in the file would make every result not-a-number and
    // silence the chart's warnings: such a value cannot be read.
    return std::isfinite(nValue) ? nValue : 0.0;
}

void prmSetKeyInteger(const gchar* pszGroup, const gchar* pszKey, gint nValue)
{
    g_key_file_set_integer(m_pkeyFile, pszGroup, pszKey, nValue);
    prmWriteKeyFile();
}

void prmSetKeyDouble(const gchar* pszGroup, const gchar* pszKey, gdouble nValue)
{
    g_key_file_set_double(m_pkeyFile, pszGroup, pszKey, nValue);
    prmWriteKeyFile();
}

std::string prmGetKeyString(const gchar* pszGroup, const gchar* pszKey)
{
    g_autofree gchar* psz = g_key_file_get_string(m_pkeyFile, pszGroup, pszKey, nullptr);
    return psz ? psz : "";
}

void prmSetKeyString(const gchar* pszGroup, const gchar* pszKey, const gchar* pszValue)
{
    g_key_file_set_string(m_pkeyFile, pszGroup, pszKey, pszValue);
    prmWriteKeyFile();
}

void prmEdit(const std::function<void(GKeyFile* pkf)>& edit)
{
    edit(m_pkeyFile);
    prmWriteKeyFile();
}

void prmReset(void)
{
    if (m_pkeyFile)
        g_key_file_free(m_pkeyFile);
    m_pkeyFile = nullptr;
    m_bKeepUnreadable = false;
    m_pfuncWriteListener = nullptr;
    m_prmFileOps = {g_mkstemp_full, ::write, ::fsync, ::rename, ::link};
}
