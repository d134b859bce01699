// This machine's key and its memory of the records it wrote into a
// school's shared folder.
#include "store/school/machine.h"

#include "model/synced.h"
#include "store/conf/params.h"
#include "store/school/keys.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr const char* HEAD_GROUP = "Record";
// The memory holds two short values; anything larger is none of Zarv's.
constexpr size_t HEAD_MOST = 4096;
constexpr size_t CHAIN_DIGITS = 64;

bool isChain(const std::string& str)
{
    return str.size() == CHAIN_DIGITS && str.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Writes the machine's request to join into the shared folder open as
// fdDir, unless it is there: its public key, under a name of its id.
void askToJoin(int fdDir, const _mchKey& key)
{
    const std::string strName = std::string(MCH_REQUEST_PREFIX) + key.strId + MCH_REQUEST_SUFFIX;
    struct stat st;
    if (fdDir < 0 || fstatat(fdDir, strName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return;
    // The key's own comment line names the machine; the office checks the
    // key by its digest, never by what the comment says.
    std::string strText = key.strPublic;
    if (const size_t nEnd = strText.find('\n'); nEnd != std::string::npos)
        strText = "untrusted comment: Zarv machine " + mchName() + strText.substr(nEnd);
    // A temporary a crash left would otherwise stop every later request.
    const std::string strTemp = "." + strName + ".tmp";
    unlinkat(fdDir, strTemp.c_str(), 0);
    const int fd = openat(fdDir, strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    bool bWritten =
        fd >= 0 && write(fd, strText.data(), strText.size()) == static_cast<ssize_t>(strText.size()) && fsync(fd) == 0;
    int nErr = bWritten ? 0 : errno;
    if (fd >= 0)
        close(fd);
    if (bWritten && linkat(fdDir, strTemp.c_str(), fdDir, strName.c_str(), 0) != 0)
        bWritten = false, nErr = errno;
    if (!bWritten)
        errPostError(("askToJoin()\n" + strName +
                      " could not be written in the shared folder (tried again at the next start or sheet)\n" +
                      g_strerror(nErr))
                         .c_str());
    unlinkat(fdDir, strTemp.c_str(), 0);
}

} // namespace

bool mchKey(_mchKey* pKey, std::string* pstrWhy, int fdDir)
{
    pKey->strPublic = keyOwnPair(MCH_SECRET_FILE, MCH_PUBLIC_FILE, "this machine's key", pstrWhy);
    if (pKey->strPublic.empty())
        return false;
    pKey->strSecret = keyOwnSecret(MCH_SECRET_FILE, pstrWhy);
    pKey->strId = synMachineOfKey(sgnKeyDigest(pKey->strPublic));
    if (pKey->strSecret.empty() || pKey->strId.empty())
        return false;
    askToJoin(fdDir, *pKey);
    return true;
}

std::string mchPublicKey(void)
{
    std::string strData;
    if (!prmReadFile(wbFileSpec(MCH_PUBLIC_FILE), &strData, nullptr, nullptr, HEAD_MOST) || sgnKeyId(strData).empty())
        return "";
    return strData;
}

bool mchReadHead(_mchHead* pHead, bool* pbThere, std::string* pstrWhy)
{
    *pHead = {};
    const std::string strPath = wbFileSpec(MCH_HEAD_FILE);
    std::string strData;
    uid_t nOwner = 0;
    g_autoptr(GError) pErr = nullptr;
    *pbThere = prmReadFile(strPath, &strData, &pErr, &nOwner, HEAD_MOST);
    if (!*pbThere) {
        if (g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT))
            return true;
        *pstrWhy = strPath + " cannot be read: " + pErr->message;
        return false;
    }
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    struct stat st;
    g_autoptr(GError) pErrNumber = nullptr;
    if (nOwner != geteuid() || lstat(strPath.c_str(), &st) != 0 || (st.st_mode & 0022) ||
        !g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, nullptr)) {
        *pstrWhy = strPath + " is not what Zarv wrote, or others may change it";
        return false;
    }
    pHead->nSequence = g_key_file_get_int64(pkf, HEAD_GROUP, "Sequence", &pErrNumber);
    g_autofree gchar* pszChain = g_key_file_get_string(pkf, HEAD_GROUP, "Chain", nullptr);
    pHead->strChain = pszChain ? pszChain : "";
    if (pErrNumber || pHead->nSequence < 1 || !isChain(pHead->strChain)) {
        *pstrWhy = strPath + " is not what Zarv wrote: its count or chain cannot be read";
        *pHead = {};
        return false;
    }
    return true;
}

int mchWriteHead(const _mchHead& head)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_set_int64(pkf, HEAD_GROUP, "Sequence", head.nSequence);
    g_key_file_set_string(pkf, HEAD_GROUP, "Chain", head.strChain.c_str());
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    return prmReplaceFile(wbFileSpec(MCH_HEAD_FILE), std::string_view(pszData, nLength), 0600);
}

std::string mchName(void)
{
    return std::string(g_get_host_name()) + " (" + g_get_user_name() + ")";
}
