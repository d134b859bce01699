// The parameter store and Zarv.conf. Every set rewrites the whole file; the
// file is replaced atomically so a crash, a full disk or a short write never
// leaves a damaged or empty configuration behind.
#include "store/conf/params.h"

#include "model/freename.h"
#include "model/texts.h"
#include "sys/errlog.h"
#include "sys/paths.h"

#include <gio/gio.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

// Held here alone: every other file reads it through prmKeyFile, so none
// can replace it behind the store's back.
GKeyFile* m_pkeyFile = nullptr;

// What Zarv last read from Zarv.conf or wrote to it: the file's identity,
// size and times, and its contents. A file that differs in any of the first
// was changed by another program, unless its contents are still the same.
struct _prmSeen {
    bool bExists = false;
    dev_t nDev = 0;
    ino_t nIno = 0;
    off_t nSize = 0;
    struct timespec tModified = {}, tChanged = {};
    std::string strData;
};

// A change this window made to the key file that Zarv.conf does not hold
// yet: a value set, or a key (or, with no key, a group) removed. They are
// laid over the file's values when another program changed it meanwhile.
struct _prmPending {
    std::string strGroup, strKey, strValue;
    bool bRemove;
};

// What the store keeps while Zarv runs, besides the key file itself.
struct _prmHeld {
    // Set when Zarv.conf must be left as it is for the rest of the run: an
    // unreadable file that could not be moved aside, or a link someone
    // else could have planted. Saves are then refused.
    bool bKeepUnreadable = false;
    // Told of the outcome of every rewrite; see prmSetWriteListener.
    void (*pfuncWriteListener)(const char* pszError) = nullptr;
    _prmSeen seen;
    std::vector<_prmPending> pending;
    // Told when the key file was read again because another program
    // changed Zarv.conf (see prmWatchKeyFile), the monitor, and a reading
    // of another program's change that the window has not been told of.
    void (*pfuncChangeListener)(void) = nullptr;
    GFileMonitor* pmonConf = nullptr;
    bool bReadAgain = false;
    // The texts typed or read that were not numbers, by group and key.
    std::map<std::pair<std::string, std::string>, std::string> unreadTexts;
    // What no unread text reads as; never written.
    std::string strNone;
    // The system calls that write files.
    _prmFileOps fileOps = {g_mkstemp_full, ::write, ::fsync, ::rename, ::link, posix_fallocate, ::geteuid};
};
_prmHeld m_store;

} // namespace

namespace
{

void tellListener(const char* pszError)
{
    if (m_store.pfuncWriteListener)
        m_store.pfuncWriteListener(pszError);
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
        const ssize_t n = m_store.fileOps.pfuncWrite(fd, pszData + nDone, nLength - nDone);
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

// Rewrites Zarv.conf in place. Used where the etc directory takes no new
// file but Zarv.conf itself is writable. The space for the new contents is
// reserved before a byte of the old is touched, and the file is shortened
// only once they are written: a full disk leaves it as it was.
bool writeInPlace(const std::string& strSpec, const gchar* pszData, gsize nLength)
{
    const int fd = g_open(strSpec.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        postWriteFailure("fopen", strSpec, errno);
        return false;
    }
    int nErr = nLength > 0 ? m_store.fileOps.pfuncFallocate(fd, 0, static_cast<off_t>(nLength)) : 0;
    if (nErr != 0) {
        close(fd);
        postWriteFailure("fallocate", strSpec, nErr);
        return false;
    }
    nErr = writeAll(fd, pszData, nLength);
    if (nErr == 0 && ftruncate(fd, static_cast<off_t>(nLength)) != 0)
        nErr = errno;
    if (nErr == 0 && m_store.fileOps.pfuncFsync(fd) != 0)
        nErr = errno;
    if (close(fd) != 0 && nErr == 0)
        nErr = errno;
    if (nErr != 0) {
        postWriteFailure("fwrite", "", nErr);
        return false;
    }
    tellListener(nullptr);
    return true;
}

// A reason as the window says it: one line, and short (a parse error
// quotes the line it met, which may be of any length).
std::string reasonText(const char* pszMessage)
{
    return txtOneLine(pszMessage, 120);
}

// Moves an unreadable Zarv.conf aside as "Zarv.conf.bad-YYYYMMDD-HHMMSS"
// (with "-N" added while that name is taken), never over another file.
// Returns false when it could not.
bool setAside(const std::string& strSpec, const char* pszReason, bool bAtStart)
{
    const std::string strReason = reasonText(pszReason);
    char szStamp[32];
    const time_t tNow = time(nullptr);
    struct tm tmNow;
    localtime_r(&tNow, &tmNow);
    strftime(szStamp, sizeof szStamp, "%Y%m%d-%H%M%S", &tmNow);
    const std::string strBase = strSpec + ".bad-" + szStamp;
    // A hard link fails rather than replace an existing name; where there
    // are no hard links, rename once the name is known to be free.
    const auto moveTo = [&](const std::string& strTo) {
        if (m_store.fileOps.pfuncLink(strSpec.c_str(), strTo.c_str()) == 0)
            return unlink(strSpec.c_str()) == 0 ? 0 : errno;
        if (errno == EEXIST || g_file_test(strTo.c_str(), G_FILE_TEST_EXISTS))
            return EEXIST;
        return m_store.fileOps.pfuncRename(strSpec.c_str(), strTo.c_str()) == 0 ? 0 : errno;
    };
    std::string strTo;
    const int nErr = fnmFirstFree(strBase, "", {"-", "", 1, true}, moveTo, &strTo);
    if (nErr == 0) {
        g_autofree gchar* pszMsg = g_strdup_printf("prmLoadKeyFile()\n%s could not be read and was set aside\nas %s",
                                                   strSpec.c_str(), strTo.c_str());
        errPostError(pszMsg);
        errTellPilot("Zarv.conf could not be read (" + strReason + ") and was set aside as " + strTo +
                     (bAtStart ? ": Zarv started with no aircraft and no loading"
                               : ": another program had changed it; the window's values stay, and the next save "
                                 "writes them anew"));
        return true;
    }
    g_autofree gchar* pszMsg =
        g_strdup_printf("prmLoadKeyFile()\nrename(%s) failed\n%s\nit is left as it is: changes are not saved this run",
                        strSpec.c_str(), g_strerror(nErr));
    errPostError(pszMsg);
    errTellPilot("Zarv.conf could not be read (" + strReason + ") nor set aside (" + reasonText(g_strerror(nErr)) +
                 "): it is left as it is, and no change is saved this run");
    return false;
}

} // namespace

void prmRemoveStaleTemporaries(const std::string& strFile)
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

namespace
{

// Reads Zarv.conf whole, with the identity of the file read, and with the
// errors g_key_file_load_from_file gives, but never blocks: what is not a
// regular file (a FIFO, a device, a directory) is opened without waiting and
// refused.
bool readFile(const std::string& strSpec, int nFlags, std::string* pstrData, GStatBuf* pst, GError** ppErr,
              size_t nMost = SIZE_MAX)
{
    const int fd = g_open(strSpec.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | nFlags, 0);
    if (fd < 0) {
        const int nErr = errno;
        g_set_error_literal(ppErr, G_FILE_ERROR, g_file_error_from_errno(nErr),
                            nErr == ELOOP && (nFlags & O_NOFOLLOW) ? "It is a link, which is not followed"
                                                                   : g_strerror(nErr));
        return false;
    }
    GStatBuf& st = *pst;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        g_set_error_literal(ppErr, G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_PARSE, "Not a regular file");
        return false;
    }
    std::string& strData = *pstrData;
    strData.clear();
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
        if (strData.size() > nMost) {
            close(fd);
            strData.clear();
            g_set_error_literal(ppErr, G_FILE_ERROR, G_FILE_ERROR_FAILED,
                                "It is larger than any such file Zarv writes");
            return false;
        }
    }
    close(fd);
    return true;
}

bool readConf(const std::string& strSpec, std::string* pstrData, GStatBuf* pst, GError** ppErr)
{
    return readFile(strSpec, 0, pstrData, pst, ppErr);
}

void noteSeen(const GStatBuf& st, const std::string& strData)
{
    m_store.seen = {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim, strData};
}

bool sameAsSeen(const GStatBuf& st)
{
    auto same = [](const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return m_store.seen.bExists && st.st_dev == m_store.seen.nDev && st.st_ino == m_store.seen.nIno &&
           st.st_size == m_store.seen.nSize && same(st.st_mtim, m_store.seen.tModified) &&
           same(st.st_ctim, m_store.seen.tChanged);
}

// Parses what Zarv.conf holds. A NUL byte would end the parse there in
// silence (and the next save would drop the rest), and a byte-order mark is
// no part of a key file: either is a file that cannot be read.
bool parseConf(GKeyFile* pkf, const std::string& strData, GError** ppErr)
{
    const char* pszWhy = strData.find('\0') != std::string::npos             ? "it holds a NUL byte"
                         : g_str_has_prefix(strData.c_str(), "\xef\xbb\xbf") ? "it starts with a byte-order mark"
                                                                             : nullptr;
    if (pszWhy) {
        g_set_error_literal(ppErr, G_KEY_FILE_ERROR, G_KEY_FILE_ERROR_PARSE, pszWhy);
        return false;
    }
    return g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_KEEP_COMMENTS, ppErr);
}

// Reads Zarv.conf into pkf as g_key_file_load_from_file does, and notes
// what was read.
bool loadConf(GKeyFile* pkf, const std::string& strSpec, GError** ppErr)
{
    std::string strData;
    GStatBuf st;
    if (!readConf(strSpec, &strData, &st, ppErr))
        return false;
    if (!parseConf(pkf, strData, ppErr))
        return false;
    noteSeen(st, strData);
    return true;
}

GKeyFile* copyOf(GKeyFile* pkf)
{
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    GKeyFile* pkfCopy = g_key_file_new();
    g_key_file_load_from_data(pkfCopy, pszData, nLength, G_KEY_FILE_KEEP_COMMENTS, nullptr);
    return pkfCopy;
}

// Notes every difference from pkfBefore to pkfAfter as pending.
void notePending(GKeyFile* pkfBefore, GKeyFile* pkfAfter)
{
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkfAfter, nullptr);
    for (gchar** ppszGroup = ppszGroups; *ppszGroup; ppszGroup++) {
        g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkfAfter, *ppszGroup, nullptr, nullptr);
        for (gchar** ppszKey = ppszKeys; ppszKey && *ppszKey; ppszKey++) {
            g_autofree gchar* pszAfter = g_key_file_get_value(pkfAfter, *ppszGroup, *ppszKey, nullptr);
            g_autofree gchar* pszBefore = g_key_file_get_value(pkfBefore, *ppszGroup, *ppszKey, nullptr);
            if (pszAfter && (!pszBefore || strcmp(pszAfter, pszBefore) != 0))
                m_store.pending.push_back({*ppszGroup, *ppszKey, pszAfter, false});
        }
    }
    g_auto(GStrv) ppszOld = g_key_file_get_groups(pkfBefore, nullptr);
    for (gchar** ppszGroup = ppszOld; *ppszGroup; ppszGroup++) {
        if (!g_key_file_has_group(pkfAfter, *ppszGroup)) {
            m_store.pending.push_back({*ppszGroup, "", "", true});
            continue;
        }
        g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkfBefore, *ppszGroup, nullptr, nullptr);
        for (gchar** ppszKey = ppszKeys; ppszKey && *ppszKey; ppszKey++)
            if (!g_key_file_has_key(pkfAfter, *ppszGroup, *ppszKey, nullptr))
                m_store.pending.push_back({*ppszGroup, *ppszKey, "", true});
    }
}

void applyPending(GKeyFile* pkf)
{
    for (const _prmPending& c : m_store.pending) {
        if (!c.bRemove)
            g_key_file_set_value(pkf, c.strGroup.c_str(), c.strKey.c_str(), c.strValue.c_str());
        else if (c.strKey.empty())
            g_key_file_remove_group(pkf, c.strGroup.c_str(), nullptr);
        else
            g_key_file_remove_key(pkf, c.strGroup.c_str(), c.strKey.c_str(), nullptr);
    }
}

// A Zarv.conf reached through a link another user could change: logged
// once, and the file is kept from then on (neither read nor replaced).
void refuseLink(const char* pszFunc, const std::string& strSpec)
{
    g_autofree gchar* pszMsg = g_strdup_printf("%s()\n%s is a link that another user could have made or changed\n"
                                               "it is not followed: changes are not saved this run",
                                               pszFunc, strSpec.c_str());
    errPostError(pszMsg);
    if (!m_store.bKeepUnreadable)
        errTellPilot(strSpec + " is a link that another user could have made or changed: it is not read, and no "
                               "change is saved this run");
    m_store.bKeepUnreadable = true;
}

// Reads Zarv.conf again where another program changed it since Zarv last
// read or wrote it (its identity, size, times and then its contents tell):
// the key file becomes the file's, with the changes of this window that
// the file does not hold yet laid over it. True when it did. A file gone
// is no change: the next save makes it anew from the window's values.
bool prmSyncKeyFile(void)
{
    if (m_store.bKeepUnreadable || !m_pkeyFile)
        return false;
    const std::string strSpec = confSpec();
    GStatBuf st;
    if (g_stat(strSpec.c_str(), &st) != 0) {
        m_store.seen = {};
        return false;
    }
    if (sameAsSeen(st))
        return false;
    if (!wbMayFollow(strSpec)) {
        // Made a link by someone else since: neither read nor replaced,
        // nor is the file it leads to set aside, as at start.
        refuseLink("prmSyncKeyFile", strSpec);
        return false;
    }
    std::string strData;
    g_autoptr(GError) pErr = nullptr;
    if (!readConf(strSpec, &strData, &st, &pErr)) {
        // Another program's file that Zarv may not read (no permission) is
        // never replaced: it is left as it is, and nothing more is saved.
        // What is no file at all (a directory, a FIFO) holds nothing to
        // lose: the next save tries, and reports, as it would have.
        if (pErr->domain == G_FILE_ERROR && !g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT)) {
            g_autofree gchar* pszMsg =
                g_strdup_printf("prmSyncKeyFile()\n%s was changed by another program and cannot be read\n%s\n"
                                "it is left as it is: changes are not saved this run",
                                strSpec.c_str(), pErr->message);
            errPostError(pszMsg);
            m_store.bKeepUnreadable = true;
            errTellPilot("Zarv.conf was changed by another program and cannot be read (" + reasonText(pErr->message) +
                         "): it is left as it is, and no change is saved this run");
        }
        return false;
    }
    if (m_store.seen.bExists && strData == m_store.seen.strData) {
        noteSeen(st, strData); // touched, not changed
        return false;
    }
    GKeyFile* pkf = g_key_file_new();
    if (!parseConf(pkf, strData, &pErr)) {
        g_key_file_free(pkf);
        g_autofree gchar* pszMsg =
            g_strdup_printf("prmSyncKeyFile()\n%s was changed by another program and cannot be read\n%s",
                            strSpec.c_str(), pErr->message);
        errPostError(pszMsg);
        // Kept for its owner as at start; the window's values stay and the
        // next save writes them.
        m_store.seen = {};
        if (pErr->domain == G_KEY_FILE_ERROR)
            m_store.bKeepUnreadable = !setAside(linkTarget(strSpec), pErr->message, false);
        return false;
    }
    applyPending(pkf);
    g_key_file_free(m_pkeyFile);
    m_pkeyFile = pkf;
    noteSeen(st, strData);
    g_autofree gchar* pszMsg =
        g_strdup_printf("prmSyncKeyFile()\n%s was changed by another program\nits values are read", strSpec.c_str());
    errPostError(pszMsg);
    m_store.bReadAgain = true;
    return true;
}

// Tells the window of a reading of another program's change.
void announceReading(void)
{
    if (!m_store.bReadAgain)
        return;
    m_store.bReadAgain = false;
    if (m_store.pfuncChangeListener)
        m_store.pfuncChangeListener();
}

void onConfChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent nEvent, gpointer)
{
    if (!prmFileSettled(nEvent))
        return;
    prmSyncKeyFile();
    announceReading();
}

} // namespace

void prmSetWriteListener(void (*pfuncListener)(const char* pszError))
{
    m_store.pfuncWriteListener = pfuncListener;
}

void prmLoadKeyFile(void)
{
    m_pkeyFile = g_key_file_new();
    const std::string strSpec = confSpec();
    prmRemoveStaleTemporaries(strSpec);
    if (!wbMayFollow(strSpec)) {
        // Someone else's link, or one in a directory others can write to:
        // neither read nor replaced.
        refuseLink("prmLoadKeyFile", strSpec);
        return;
    }
    // Beside the file a link leads to as well, where its rewrites go.
    GStatBuf stSpec;
    const bool bLink = g_lstat(strSpec.c_str(), &stSpec) == 0 && S_ISLNK(stSpec.st_mode);
    if (bLink)
        prmRemoveStaleTemporaries(linkTarget(strSpec));
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
    // One that cannot be read for now (no permission) is left as it is, and
    // not replaced either: changes stay in the window this run.
    if (pErr->domain == G_KEY_FILE_ERROR) {
        m_store.bKeepUnreadable = !setAside(bLink ? linkTarget(strSpec) : strSpec, pErr->message, true);
    } else if (!g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT)) {
        m_store.bKeepUnreadable = true;
        errTellPilot("Zarv.conf could not be read (" + reasonText(pErr->message) +
                     "): it is left as it is, the window shows no aircraft and no loading, and no change is saved "
                     "this run");
    }
}

namespace
{

// After a save: Zarv.conf holds every change, as it is now.
void noteSaved(const std::string& strTarget, const gchar* pszData, gsize nLength)
{
    m_store.pending.clear();
    GStatBuf st;
    if (g_stat(strTarget.c_str(), &st) == 0)
        noteSeen(st, std::string(pszData, nLength));
}

// Rewrites Zarv.conf from the key file; what another program changed in it
// meanwhile is read first, so nothing of theirs is overwritten.
void writeKeyFile(void)
{
    prmSyncKeyFile();
    if (m_store.bKeepUnreadable) {
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

    // Keep the permissions the user gave the file.
    bool bNoTemp = false;
    const int nErr =
        prmReplaceFile(strTarget, std::string_view(pszData, nLength),
                       bExists && S_ISREG(stOld.st_mode) ? static_cast<int>(stOld.st_mode & 07777) : -1, &bNoTemp);
    if (bNoTemp) {
        if (nErr == ENOSPC || nErr == EDQUOT || bLink) {
            // Truncating Zarv.conf now would lose it, and a linked one is
            // never rewritten in place: leave it as it is.
            postWriteFailure("fopen", strTarget, nErr);
            return;
        }
        // The directory takes no new file; Zarv.conf itself may still be
        // writable, as it was before safe replacement.
        if (writeInPlace(strSpec, pszData, nLength))
            noteSaved(strSpec, pszData, nLength);
        return;
    }
    if (nErr != 0) {
        postWriteFailure("fwrite", "", nErr);
        return;
    }
    noteSaved(strTarget, pszData, nLength);
    tellListener(nullptr);
}

// Every change of the key file: made on what Zarv.conf holds now, noted
// until saved, and saved.
void change(const std::function<void(GKeyFile* pkf)>& edit)
{
    prmSyncKeyFile();
    g_autoptr(GKeyFile) pkfBefore = copyOf(m_pkeyFile);
    edit(m_pkeyFile);
    notePending(pkfBefore, m_pkeyFile);
    prmWriteKeyFile();
}

} // namespace

void prmWriteKeyFile(void)
{
    writeKeyFile();
    announceReading();
}

bool prmFileSettled(GFileMonitorEvent nEvent)
{
    // A file being written is read once its writer closed it (the hint
    // follows every change): read halfway it could seem unreadable and be
    // set aside under its writer, or show half its values.
    return nEvent != G_FILE_MONITOR_EVENT_CHANGED && nEvent != G_FILE_MONITOR_EVENT_CREATED;
}

void prmWatchKeyFile(void (*pfuncChanged)(void))
{
    m_store.pfuncChangeListener = pfuncChanged;
    if (m_store.pmonConf)
        return;
    g_autoptr(GFile) pfile = g_file_new_for_path(confSpec().c_str());
    g_autoptr(GError) pErr = nullptr;
    m_store.pmonConf = g_file_monitor_file(pfile, G_FILE_MONITOR_WATCH_MOVES, nullptr, &pErr);
    if (!m_store.pmonConf) {
        // Another program's change is still found before the next save.
        g_autofree gchar* pszMsg =
            g_strdup_printf("prmWatchKeyFile()\ng_file_monitor_file(%s)\n%s", confSpec().c_str(), pErr->message);
        errPostError(pszMsg);
        return;
    }
    g_signal_connect(m_store.pmonConf, "changed", G_CALLBACK(onConfChanged), nullptr);
}

void prmCloseKeyFile(void)
{
    m_store.pfuncChangeListener = nullptr;
    g_clear_object(&m_store.pmonConf);
    prmSyncKeyFile();
    // Written only where the file lacks something: a change whose save
    // failed, or no file at all (the first run leaves one behind).
    GStatBuf st;
    if (!m_store.pending.empty() || g_stat(confSpec().c_str(), &st) != 0)
        writeKeyFile();
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
    change([&](GKeyFile* pkf) { g_key_file_set_integer(pkf, pszGroup, pszKey, nValue); });
}

void prmSetKeyDouble(const gchar* pszGroup, const gchar* pszKey, gdouble nValue)
{
    change([&](GKeyFile* pkf) { g_key_file_set_double(pkf, pszGroup, pszKey, nValue); });
}

const std::string& prmUnreadText(const gchar* pszGroup, const gchar* pszKey)
{
    const auto it = m_store.unreadTexts.find({pszGroup, pszKey});
    return it == m_store.unreadTexts.end() ? m_store.strNone : it->second;
}

void prmKeepUnreadText(const gchar* pszGroup, const gchar* pszKey, const std::string& strText)
{
    if (strText.empty())
        m_store.unreadTexts.erase({pszGroup, pszKey});
    else
        m_store.unreadTexts[{pszGroup, pszKey}] = strText;
}

std::string prmGetKeyString(const gchar* pszGroup, const gchar* pszKey)
{
    return prmTextOf(m_pkeyFile, pszGroup, pszKey);
}

std::string prmStoredText(const gchar* pszGroup, const gchar* pszKey)
{
    if (m_pkeyFile)
        return prmTextOf(m_pkeyFile, pszGroup, pszKey);
    std::string strData;
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    if (!prmReadFile(wbFileSpec("Zarv.conf"), &strData, nullptr) ||
        !g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, nullptr))
        return "";
    return prmTextOf(pkf, pszGroup, pszKey);
}

std::string prmTextOf(GKeyFile* pkf, const gchar* pszGroup, const gchar* pszKey)
{
    g_autofree gchar* psz = g_key_file_get_string(pkf, pszGroup, pszKey, nullptr);
    if (psz)
        return psz;
    // Not valid text: shown with replacement characters, never as nothing.
    g_autofree gchar* pszRaw = g_key_file_get_value(pkf, pszGroup, pszKey, nullptr);
    if (!pszRaw)
        return "";
    g_autofree gchar* pszValid = g_utf8_make_valid(pszRaw, -1);
    return pszValid;
}

std::vector<std::string> prmTextListOf(GKeyFile* pkf, const gchar* pszGroup, const gchar* pszKey)
{
    g_auto(GStrv) ppsz = g_key_file_get_string_list(pkf, pszGroup, pszKey, nullptr, nullptr);
    if (!ppsz) {
        // Not valid text: the list read with replacement characters, never
        // as none (a rewrite would then drop every line of it).
        g_autofree gchar* pszRaw = g_key_file_get_value(pkf, pszGroup, pszKey, nullptr);
        if (pszRaw) {
            g_autofree gchar* pszValid = g_utf8_make_valid(pszRaw, -1);
            g_autoptr(GKeyFile) pkfValid = g_key_file_new();
            g_key_file_set_value(pkfValid, "List", "Value", pszValid);
            ppsz = g_key_file_get_string_list(pkfValid, "List", "Value", nullptr, nullptr);
        }
    }
    std::vector<std::string> v;
    for (int i = 0; ppsz && ppsz[i]; i++)
        v.emplace_back(ppsz[i]);
    return v;
}

bool prmKeyIsText(const gchar* pszGroup, const gchar* pszKey)
{
    g_autofree gchar* pszRaw = g_key_file_get_value(m_pkeyFile, pszGroup, pszKey, nullptr);
    return !pszRaw || g_utf8_validate(pszRaw, -1, nullptr);
}

void prmSetKeyString(const gchar* pszGroup, const gchar* pszKey, const gchar* pszValue)
{
    change([&](GKeyFile* pkf) { g_key_file_set_string(pkf, pszGroup, pszKey, pszValue); });
}

void prmEdit(const std::function<void(GKeyFile* pkf)>& edit)
{
    change(edit);
}

_prmFileOps& prmFileOps(void)
{
    return m_store.fileOps;
}

GKeyFile* prmKeyFile(void)
{
    return m_pkeyFile;
}

GKeyFile* prmLendKeyFile(GKeyFile* pkf)
{
    GKeyFile* pkfHeld = m_pkeyFile;
    m_pkeyFile = pkf;
    return pkfHeld;
}

void prmReset(void)
{
    if (m_pkeyFile)
        g_key_file_free(m_pkeyFile);
    m_pkeyFile = nullptr;
    g_clear_object(&m_store.pmonConf);
    m_store = _prmHeld{};
}

bool prmReadFile(const std::string& strPath, std::string* pstrData, GError** ppErr, uid_t* pnOwner, size_t nMost)
{
    GStatBuf st;
    const bool bRead = readFile(strPath, O_NOFOLLOW, pstrData, &st, ppErr, nMost);
    if (bRead && pnOwner)
        *pnOwner = st.st_uid;
    return bRead;
}

int prmReplaceFile(const std::string& strTarget, std::string_view data, int nMode, bool* pbNoTemp)
{
    std::string strTemp = strTarget + ".tmp-XXXXXX";
    const int fd = m_store.fileOps.pfuncMkstemp(strTemp.data(), O_WRONLY | O_CLOEXEC, nMode >= 0 ? nMode : 0666);
    if (pbNoTemp)
        *pbNoTemp = fd < 0;
    if (fd < 0)
        return errno;
    int nErr = writeAll(fd, data.data(), data.size());
    // The mode asked for, whatever the umask made of it.
    if (nErr == 0 && nMode >= 0)
        fchmod(fd, static_cast<mode_t>(nMode));
    if (nErr == 0 && m_store.fileOps.pfuncFsync(fd) != 0)
        nErr = errno;
    if (close(fd) != 0 && nErr == 0)
        nErr = errno;
    if (nErr == 0 && m_store.fileOps.pfuncRename(strTemp.c_str(), strTarget.c_str()) != 0)
        nErr = errno;
    if (nErr != 0)
        g_unlink(strTemp.c_str());
    return nErr;
}

const std::string& prmSeenText(void)
{
    return m_store.seen.strData;
}

std::string prmWrittenTwice(const std::string& strData)
{
    const std::vector<std::string> twice = prmEveryWrittenTwice(strData);
    return twice.empty() ? "" : twice.front();
}

std::vector<std::string> prmEveryWrittenTwice(const std::string& strData)
{
    std::vector<std::string> twice;
    std::set<std::string> groups, keys;
    std::string strGroup;
    std::istringstream lines(strData);
    for (std::string strLine; std::getline(lines, strLine);) {
        strLine.erase(0, strLine.find_first_not_of(" \t"));
        if (strLine.empty() || strLine[0] == '#')
            continue;
        if (strLine[0] == '[') {
            strGroup = strLine.substr(0, strLine.find(']') + 1);
            keys.clear();
            if (!groups.insert(strGroup).second)
                twice.push_back(strGroup);
        } else if (const size_t nEq = strLine.find('='); nEq != std::string::npos) {
            std::string strKey = strLine.substr(0, nEq);
            strKey.erase(strKey.find_last_not_of(" \t") + 1);
            if (!keys.insert(strKey).second)
                twice.push_back(strKey + " in " + strGroup);
        }
    }
    return twice;
}

bool prmReadsAsNumber(const char* psz, double* pnValue)
{
    while (g_ascii_isspace(*psz))
        psz++;
    // Decimal only, as a pilot types it: "0x50" is no weight of 80 kg.
    const char* pszDigits = psz + (*psz == '+' || *psz == '-');
    if (pszDigits[0] == '0' && (pszDigits[1] == 'x' || pszDigits[1] == 'X'))
        return false;
    char* pszEnd = nullptr;
    const double n = g_ascii_strtod(psz, &pszEnd);
    while (pszEnd && g_ascii_isspace(*pszEnd))
        pszEnd++;
    if (pszEnd == psz || !pszEnd || *pszEnd || !std::isfinite(n))
        return false;
    if (pnValue)
        *pnValue = n;
    return true;
}

_prmRawGroup prmRawGroup(GKeyFile* pkf, const std::string& strGroup)
{
    _prmRawGroup raw;
    g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkf, strGroup.c_str(), nullptr, nullptr);
    for (int i = 0; ppszKeys && ppszKeys[i]; i++) {
        g_autofree gchar* psz = g_key_file_get_value(pkf, strGroup.c_str(), ppszKeys[i], nullptr);
        raw.emplace_back(ppszKeys[i], psz ? psz : "");
    }
    return raw;
}
