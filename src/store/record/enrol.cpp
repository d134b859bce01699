// The office's list of the machines its school enrolled, the requests to
// join in the shared folder, and the list published for the pilots.
#include "store/record/enrol.h"

#include "model/synced.h"
#include "store/conf/params.h"
#include "store/record/filing.h"
#include "store/record/record.h"
#include "store/school/machine.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A request is a public key file, a list a few hundred bytes a machine.
constexpr size_t KEY_MOST = 4096;
constexpr size_t LIST_MOST = 1 << 20;
constexpr const char* GROUP_PREFIX = "Machine ";

std::string nowUtc(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_utc();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ");
    return psz;
}

// The text of a file of the folder open as fdDir: a plain file, never
// through a link, no longer than nMost.
bool readAt(int fdDir, const std::string& strName, size_t nMost, std::string* pstrText)
{
    const int fd = openat(fdDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    bool bRead = fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) <= nMost;
    if (bRead) {
        pstrText->assign(static_cast<size_t>(st.st_size), '\0');
        bRead = read(fd, pstrText->data(), pstrText->size()) == st.st_size;
    }
    if (fd >= 0)
        close(fd);
    return bRead;
}

bool writeList(const std::vector<_enrMachine>& list, std::string* pstrWhy)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    for (const _enrMachine& m : list) {
        const std::string strGroup = GROUP_PREFIX + m.strId;
        g_key_file_set_string(pkf, strGroup.c_str(), "Key", m.strKey.c_str());
        g_key_file_set_string(pkf, strGroup.c_str(), "Name", m.strName.c_str());
        g_key_file_set_string(pkf, strGroup.c_str(), "Enrolled", m.strEnrolled.c_str());
        if (!m.strRevoked.empty()) {
            g_key_file_set_string(pkf, strGroup.c_str(), "Revoked", m.strRevoked.c_str());
            g_key_file_set_int64(pkf, strGroup.c_str(), "UpTo", m.nUpTo);
        }
    }
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    if (const int nErr = prmReplaceFile(wbFileSpec(ENR_FILE), std::string_view(pszData, nLength), 0600)) {
        *pstrWhy = wbFileSpec(ENR_FILE) + " could not be written: " + g_strerror(nErr);
        return false;
    }
    return true;
}

// The shared folder, opened as the check opens it; -1 with *pstrWhy.
int openShared(std::string* pstrWhy)
{
    if (filShared().strFolder.empty()) {
        *pstrWhy = "no shared folder of sheets is set ([School] Sheets in Zarv.conf)";
        return -1;
    }
    const int fd = open(filSheetsFolder().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        *pstrWhy = filSheetsFolder() + " cannot be opened: " + g_strerror(errno);
    return fd;
}

// The request to join in the file strFile of the folder open as fdDir.
_enrRequest readRequest(int fdDir, const std::string& strFile)
{
    _enrRequest r;
    r.strFile = strFile;
    r.strId = strFile.substr(strlen(MCH_REQUEST_PREFIX),
                             strFile.size() - strlen(MCH_REQUEST_PREFIX) - strlen(MCH_REQUEST_SUFFIX));
    if (!readAt(fdDir, strFile, KEY_MOST, &r.strKey) || sgnKeyId(r.strKey).empty())
        r.strWhy = "not a public key of a plain file of its own";
    else if (r.strDigest = sgnKeyDigest(r.strKey); synMachineOfKey(r.strDigest) != r.strId)
        r.strWhy = "its name is not its key's: it is no request Zarv wrote";
    const size_t nEnd = r.strKey.find('\n');
    constexpr std::string_view COMMENT = "untrusted comment: Zarv machine ";
    if (r.strWhy.empty() && r.strKey.compare(0, COMMENT.size(), COMMENT) == 0 && nEnd != std::string::npos)
        r.strName = r.strKey.substr(COMMENT.size(), std::min<size_t>(nEnd - COMMENT.size(), 80));
    return r;
}

} // namespace

std::string enrDigest(const _enrMachine& m)
{
    return sgnKeyDigest(m.strKey);
}

bool enrList(std::vector<_enrMachine>* pList, std::string* pstrWhy)
{
    pList->clear();
    const std::string strPath = wbFileSpec(ENR_FILE);
    std::string strData;
    uid_t nOwner = 0;
    g_autoptr(GError) pErr = nullptr;
    if (!prmReadFile(strPath, &strData, &pErr, &nOwner, LIST_MOST)) {
        if (g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT))
            return true;
        *pstrWhy = strPath + " cannot be read: " + pErr->message;
        return false;
    }
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    struct stat st;
    if (nOwner != geteuid() || lstat(strPath.c_str(), &st) != 0 || (st.st_mode & 0022) ||
        !g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, nullptr)) {
        *pstrWhy = strPath + " is not what Zarv wrote, or others may change it";
        return false;
    }
    g_auto(GStrv) groups = g_key_file_get_groups(pkf, nullptr);
    for (gchar** pp = groups; *pp; pp++) {
        _enrMachine m;
        m.strId = g_str_has_prefix(*pp, GROUP_PREFIX) ? *pp + strlen(GROUP_PREFIX) : "";
        const auto text = [&](const char* pszKey) {
            g_autofree gchar* psz = g_key_file_get_string(pkf, *pp, pszKey, nullptr);
            return std::string(psz ? psz : "");
        };
        m.strKey = text("Key"), m.strName = text("Name"), m.strEnrolled = text("Enrolled");
        m.strRevoked = text("Revoked");
        m.nUpTo = g_key_file_get_int64(pkf, *pp, "UpTo", nullptr);
        // A machine's id is its key's: a list that pairs them otherwise
        // was not written by Zarv.
        if (m.strId.empty() || synMachineOfKey(sgnKeyDigest(m.strKey)) != m.strId || m.strEnrolled.empty()) {
            *pstrWhy = strPath + " is not what Zarv wrote: [" + *pp + "] is no enrolled machine";
            return false;
        }
        pList->push_back(m);
    }
    return true;
}

std::vector<_enrRequest> enrRequests(int fdDir, size_t* pnMore)
{
    std::vector<_enrRequest> requests;
    *pnMore = 0;
    const int fd = dup(fdDir);
    DIR* pdir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!pdir) {
        if (fd >= 0)
            close(fd);
        return requests;
    }
    while (const struct dirent* pent = readdir(pdir)) {
        const std::string strFile = pent->d_name;
        if (!g_str_has_prefix(pent->d_name, MCH_REQUEST_PREFIX) || !g_str_has_suffix(pent->d_name, MCH_REQUEST_SUFFIX))
            continue;
        if (requests.size() >= ENR_MOST_REQUESTS) {
            ++*pnMore;
            continue;
        }
        _enrRequest r = readRequest(fdDir, strFile);
        requests.push_back(r);
    }
    closedir(pdir);
    std::sort(requests.begin(), requests.end(),
              [](const _enrRequest& a, const _enrRequest& b) { return a.strFile < b.strFile; });
    return requests;
}

std::string enrEnrol(const std::string& strDigest, bool* pbFailed)
{
    *pbFailed = true;
    std::string strWhy;
    std::vector<_enrMachine> list;
    if (!enrList(&list, &strWhy))
        return "Nothing was enrolled: " + strWhy;
    const int fdDir = openShared(&strWhy);
    if (fdDir < 0)
        return "Nothing was enrolled: " + strWhy;
    // The request is found by the name its digest gives it, however many
    // others the folder holds.
    const std::string strId = synMachineOfKey(strDigest);
    const _enrRequest request =
        strId.empty() ? _enrRequest{} : readRequest(fdDir, MCH_REQUEST_PREFIX + strId + MCH_REQUEST_SUFFIX);
    close(fdDir);
    const _enrRequest* it = &request;
    if (strId.empty() || !request.strWhy.empty() || !sgnDigestMatches(request.strKey, strDigest))
        return "Nothing was enrolled: no machine asking to join has the whole digest " + strDigest +
               " (zarv --machines lists them)";
    const std::string strLine = sgnPublicLine(it->strKey);
    for (const _enrMachine& m : list)
        if (m.strId == it->strId)
            return "Nothing was enrolled: machine " + m.strId + " is enrolled already" +
                   (m.strRevoked.empty()
                        ? ""
                        : ", and was revoked on " + m.strRevoked + ": a revoked key is never taken again");
    list.push_back({it->strId, strLine, it->strName, nowUtc(), "", 0});
    if (!writeList(list, &strWhy))
        return "Nothing was enrolled: " + strWhy;
    *pbFailed = false;
    errPostError(("enrEnrol()\nmachine " + it->strId + " enrolled, key " + it->strDigest).c_str());
    return "Machine " + it->strId + " (" + it->strName + ") is enrolled: its records are the school's";
}

std::string enrRevoke(const std::string& strDigest, const std::function<long long(const std::string&)>& nLastChecked,
                      bool* pbFailed)
{
    *pbFailed = true;
    std::string strWhy;
    std::vector<_enrMachine> list;
    if (!enrList(&list, &strWhy))
        return "Nothing was revoked: " + strWhy;
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const _enrMachine& m) { return sgnDigestMatches(m.strKey, strDigest); });
    if (it == list.end())
        return "Nothing was revoked: no enrolled machine has the whole digest " + strDigest;
    if (!it->strRevoked.empty())
        return "Machine " + it->strId + " was revoked on " + it->strRevoked + " already";
    // What stands is what the office checked, never the highest number in
    // the folder, where a key stolen could have put any.
    it->nUpTo = nLastChecked(it->strId);
    if (it->nUpTo < 0)
        return "Nothing was revoked: what the office checked cannot be read";
    it->strRevoked = nowUtc();
    if (!writeList(list, &strWhy))
        return "Nothing was revoked: " + strWhy;
    *pbFailed = false;
    errPostError(
        ("enrRevoke()\nmachine " + it->strId + " revoked after its record " + std::to_string(it->nUpTo)).c_str());
    return "Machine " + it->strId + " is revoked: its records after number " + std::to_string(it->nUpTo) +
           ", the last the office checked, no longer stand";
}

bool enrListText(std::string* pstrText, std::string* pstrWhy)
{
    std::vector<_enrMachine> list;
    pstrText->clear();
    if (!enrList(&list, pstrWhy))
        return false;
    for (const _enrMachine& m : list)
        *pstrText += (m.strRevoked.empty() ? "enrolled " : "revoked ") + m.strId + " " + m.strKey + " " +
                     m.strEnrolled + (m.strRevoked.empty() ? "" : " " + m.strRevoked + " " + std::to_string(m.nUpTo)) +
                     "\n";
    return true;
}

bool enrReadListText(const std::string& strText, std::vector<_enrMachine>* pList, std::string* pstrWhy)
{
    pList->clear();
    g_auto(GStrv) lines = g_strsplit(strText.c_str(), "\n", -1);
    for (gchar** pp = lines; *pp; pp++) {
        if (!**pp && !pp[1])
            break; // the end of the last line
        g_auto(GStrv) parts = g_strsplit(*pp, " ", 7);
        const guint nParts = g_strv_length(parts);
        _enrMachine m;
        const bool bRevoked = nParts == 6 && g_str_equal(parts[0], "revoked");
        if ((nParts == 4 && g_str_equal(parts[0], "enrolled")) || bRevoked) {
            m = {parts[1],
                 parts[2],
                 "",
                 parts[3],
                 bRevoked ? parts[4] : "",
                 bRevoked ? g_ascii_strtoll(parts[5], nullptr, 10) : 0};
        }
        if (m.strId.empty() || synMachineOfKey(sgnKeyDigest(m.strKey)) != m.strId) {
            *pstrWhy = "the school's list of machines has a line that is no machine of it";
            pList->clear();
            return false;
        }
        pList->push_back(m);
    }
    return true;
}
