// Key pairs kept in the etc directory, made once with libsodium in
// minisign's format and read back only from files of the user's own.
#include "store/school/keys.h"

#include "store/conf/params.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A key file is a few hundred bytes.
constexpr size_t KEY_MOST = 4096;

// Whether the secret half at strPath is a plain file of the user's that no
// one else may read.
bool secretOwnOnly(const std::string& strPath)
{
    struct stat st;
    return lstat(strPath.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && !(st.st_mode & 0077);
}

} // namespace

std::string keyOwnPair(const char* pszSecret, const char* pszPublic, const std::string& strWhat, std::string* pstrWhy)
{
    const std::string strSecret = wbFileSpec(pszSecret), strPublic = wbFileSpec(pszPublic);
    std::string strData;
    g_autoptr(GError) pErr = nullptr;
    if (prmReadFile(strPublic, &strData, &pErr, nullptr, KEY_MOST)) {
        if (!secretOwnOnly(strSecret)) {
            *pstrWhy = strSecret + " is missing, or others may read it (it must be yours alone, mode 0600)";
            return {};
        }
        if (sgnKeyId(strData).empty()) {
            *pstrWhy = strPublic + " is no public key";
            return {};
        }
        return strData;
    }
    if (!g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT) ||
        g_file_test(strSecret.c_str(), G_FILE_TEST_EXISTS)) {
        *pstrWhy = strPublic + " cannot be read";
        return {};
    }
    const _sgnKeyPair pair = sgnNewKey();
    int nErr = prmReplaceFile(strSecret, pair.strSecret, 0600);
    if (nErr == 0)
        nErr = prmReplaceFile(strPublic, pair.strPublic, 0644);
    if (nErr != 0) {
        *pstrWhy = strWhat + " could not be kept in " + wbEtcDir() + ": " + g_strerror(nErr);
        return {};
    }
    errPostError(("keyOwnPair()\n" + strWhat + " " + sgnKeyDigest(pair.strPublic) + " was made: " + strSecret).c_str());
    return pair.strPublic;
}

std::string keyOwnSecret(const char* pszSecret, std::string* pstrWhy)
{
    const std::string strSecret = wbFileSpec(pszSecret);
    std::string strData;
    if (!secretOwnOnly(strSecret) || !prmReadFile(strSecret, &strData, nullptr, nullptr, KEY_MOST)) {
        *pstrWhy = strSecret + " cannot be read, or others may read it (it must be yours alone, mode 0600)";
        return {};
    }
    return strData;
}
