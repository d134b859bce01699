// The people's signing keys on this machine. Their folder and files are
// checked as the user's alone before anything is read or written there:
// whoever could swap a key file could have an acceptance signed by a key of
// their own, or learn the passphrase's work.
#include "store/flight/signing.h"

#include "store/conf/params.h"
#include "sys/errlog.h"
#include "sys/paths.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A key file is a few hundred bytes.
constexpr size_t SGK_KEY_MOST = 4096;
constexpr size_t SGK_LEAST_CHARS = 8;

std::string folderSpec(void)
{
    return wbFileSpec(SGK_FOLDER);
}

// The file of a key by its id, as said to the user, and its path.
std::string keyName(const std::string& strId, const char* pszExt)
{
    return std::string(SGK_FOLDER) + "/" + strId + pszExt;
}

// "" where the folder is the user's alone, else why not; made first where
// asked and missing.
std::string folderWhy(bool bMake)
{
    const std::string strFolder = folderSpec();
    if (bMake && g_mkdir(strFolder.c_str(), 0700) != 0 && errno != EEXIST)
        return strFolder + " could not be made (" + g_strerror(errno) + ")";
    GStatBuf st;
    if (g_lstat(strFolder.c_str(), &st) != 0)
        return strFolder + " is missing: no signing key was made on this machine";
    if (S_ISLNK(st.st_mode))
        return strFolder + " is a link, which is not followed";
    if (!S_ISDIR(st.st_mode))
        return strFolder + " is not a folder";
    if (st.st_uid != prmFileOps().pfuncOwnUid())
        return strFolder + " belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return strFolder + " may be changed by other users";
    return "";
}

// Writes the secret half where no file was: never over one, never through a
// link; false with errno set where it could not be kept whole.
bool writeNew(const std::string& strPath, const std::string& strText)
{
    const int fd = g_open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    size_t nDone = 0;
    while (nDone < strText.size()) {
        const ssize_t n = write(fd, strText.data() + nDone, strText.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        nDone += static_cast<size_t>(n);
    }
    const int nErr = nDone < strText.size() ? (errno ? errno : EIO) : fsync(fd) != 0 ? errno : 0;
    close(fd);
    if (nErr != 0) {
        g_unlink(strPath.c_str());
        errno = nErr;
    }
    return nErr == 0;
}

// Why the secret key file at strPath cannot be trusted, or "": its text in
// *pstrData where it can.
std::string keyFileWhy(const std::string& strPath, std::string* pstrData)
{
    const uid_t nOwn = prmFileOps().pfuncOwnUid();
    GStatBuf st;
    if (g_lstat(strPath.c_str(), &st) != 0)
        return "is missing: the key was made on another machine, or removed";
    if (S_ISLNK(st.st_mode))
        return "is a link, which is not followed";
    if (!S_ISREG(st.st_mode))
        return "is not a plain file";
    if (st.st_uid != nOwn)
        return "belongs to another user";
    if (st.st_mode & 077)
        return "may be read or changed by others (it must be yours alone, mode 0600)";
    if (static_cast<size_t>(st.st_size) > SGK_KEY_MOST)
        return "is larger than a key";
    // Read without following a link or blocking, whatever came in its place.
    g_autoptr(GError) pErr = nullptr;
    uid_t nOwner = 0;
    if (!prmReadFile(strPath, pstrData, &pErr, &nOwner, SGK_KEY_MOST))
        return std::string("cannot be read (") + pErr->message + ")";
    return nOwner == nOwn ? "" : "belongs to another user";
}

} // namespace

std::string sgkPassphraseWhy(const char* pszPassphrase)
{
    const char* psz = pszPassphrase ? pszPassphrase : "";
    if (std::strpbrk(psz, "\r\n"))
        return "the passphrase holds a line end: it was pasted with one; type it again";
    const size_t nChars = g_utf8_validate(psz, -1, nullptr) ? g_utf8_strlen(psz, -1) : std::strlen(psz);
    return nChars < SGK_LEAST_CHARS ? "a passphrase of at least 8 characters" : "";
}

std::string sgkMake(const char* pszPassphrase, std::string* pstrWhy)
{
    if (std::string strWhy = sgkPassphraseWhy(pszPassphrase); !strWhy.empty()) {
        *pstrWhy = strWhy;
        return "";
    }
    if (std::string strWhy = folderWhy(true); !strWhy.empty()) {
        *pstrWhy = "the key was not made: " + strWhy;
        return "";
    }
    const _sgnKeyPair pair = sgnNewLockedKey(pszPassphrase);
    if (pair.strSecret.empty()) {
        *pstrWhy = "the key could not be made: there is not memory enough for it";
        return "";
    }
    const std::string strId = sgnKeyId(pair.strPublic);
    const std::string strSecret = wbFileSpec(keyName(strId, ".key").c_str());
    int nErr = writeNew(strSecret, pair.strSecret) ? 0 : errno;
    if (nErr == 0) {
        nErr = prmReplaceFile(wbFileSpec(keyName(strId, ".pub").c_str()), pair.strPublic, 0644);
        if (nErr != 0)
            g_unlink(strSecret.c_str());
    }
    if (nErr != 0) {
        *pstrWhy = "the key could not be kept in " + folderSpec() + " (" + g_strerror(nErr) + ")";
        return "";
    }
    errPostError(("sgkMake()\na signing key " + sgnKeyDigest(pair.strPublic) + " was made: " + strSecret).c_str());
    return pair.strPublic;
}

std::string sgkPublicFile(const std::string& strPublicLine)
{
    return wbFileSpec(keyName(sgnKeyId(strPublicLine), ".pub").c_str());
}

_sgnUnlockedPtr sgkUnlock(const std::string& strPublicLine, const char* pszPassphrase, bool* pbWrong,
                          std::string* pstrWhy)
{
    *pbWrong = false;
    const std::string strId = sgnKeyId(strPublicLine);
    if (strId.empty()) {
        *pstrWhy = "the person's public key is no minisign public key";
        return nullptr;
    }
    if (std::string strWhy = folderWhy(false); !strWhy.empty()) {
        *pstrWhy = strWhy;
        return nullptr;
    }
    const std::string strName = keyName(strId, ".key");
    std::string strData;
    if (std::string strWhy = keyFileWhy(wbFileSpec(strName.c_str()), &strData); !strWhy.empty()) {
        *pstrWhy = strName + " " + strWhy;
        return nullptr;
    }
    _sgnUnlockedPtr key = sgnUnlock(strData, pszPassphrase, pbWrong, pstrWhy);
    if (!key) {
        if (!*pbWrong)
            *pstrWhy = strName + ": " + *pstrWhy;
        return nullptr;
    }
    // An id is eight bytes anyone can give a key of their own: only the
    // whole key says it is the person's.
    if (sgnUnlockedPublic(*key) != sgnPublicLine(strPublicLine)) {
        *pstrWhy = strName + ": the key file holds another key with the same id";
        return nullptr;
    }
    return key;
}

_sgkTries sgkTries(const std::string& strPublicLine)
{
    _sgkTries tries;
    std::string strData;
    const std::string strId = sgnKeyId(strPublicLine);
    if (strId.empty() || !prmReadFile(wbFileSpec(keyName(strId, ".tries").c_str()), &strData, nullptr, nullptr, 64))
        return tries;
    int nWrong = 0;
    long long tLast = 0;
    char cEnd = 0;
    if (std::sscanf(strData.c_str(), "%d %lld%c", &nWrong, &tLast, &cEnd) == 3 && cEnd == '\n' && nWrong >= 0)
        tries = {nWrong, tLast};
    return tries;
}

std::string sgkKeepTries(const std::string& strPublicLine, const _sgkTries& tries)
{
    const std::string strId = sgnKeyId(strPublicLine);
    if (strId.empty())
        return "it is no key";
    const std::string strFile = wbFileSpec(keyName(strId, ".tries").c_str());
    const int nErr =
        prmReplaceFile(strFile, std::to_string(tries.nWrong) + " " + std::to_string(tries.tLast) + "\n", 0600);
    if (nErr == 0)
        return {};
    const std::string strWhy = strFile + " could not be written: " + g_strerror(nErr);
    errPostError(("sgkKeepTries()\n" + strWhy).c_str());
    return strWhy;
}
