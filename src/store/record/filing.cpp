// Filing a load sheet as PDF, with its line in the record: the copy is
// written to a private temporary in the folder and only then linked to its
// own name, so a sheet is there whole or not at all; the folder is opened
// once for each step, never through a link, and must be the pilot's own.
#include "store/record/filing.h"

#include "model/freename.h"
#include "model/synced.h"
#include "model/texts.h"
#include "store/conf/params.h"
#include "store/record/record.h"
#include "store/school/machine.h"
#include "store/school/school.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A sheet being filed is written under a name of this form, in the folder,
// and only then linked to its own; one left by a crash is cleared at start.
constexpr const char* TEMP_PREFIX = ".sheet.tmp-";
constexpr size_t TEMP_RANDOM = 6;

// "<name>.pdf", then "<name> (2).pdf" and so on: a sheet never replaces
// another.
constexpr _fnmNumbering SHEET_NUMBERING = {" (", ")", 2, true};

// A random part of a name: nChars of [a-z0-9].
std::string randomText(size_t nChars)
{
    std::string str;
    for (size_t i = 0; i < nChars; i++)
        str += "abcdefghijklmnopqrstuvwxyz0123456789"[g_random_int_range(0, 36)];
    return str;
}

// The start of this machine's temporaries' names: in a shared folder they
// name the machine, so that none is taken for another machine's.
std::string tempPrefix(void)
{
    return filShared().strFolder.empty() ? TEMP_PREFIX : TEMP_PREFIX + filMachineId() + "-";
}

bool isTemporary(const char* pszName, const std::string& strPrefix)
{
    if (strlen(pszName) != strPrefix.size() + TEMP_RANDOM || !g_str_has_prefix(pszName, strPrefix.c_str()))
        return false;
    for (const char* p = pszName + strPrefix.size(); *p; p++)
        if (!g_ascii_isalnum(*p))
            return false;
    return true;
}

// Why filing failed: the call, what it was given, the system's reason.
struct _filFailure {
    std::string strCall, strPath;
    int nErr = 0;
    bool bNotOwn = false; // the folder is a link, or someone else's
};

// The log's lines of a failure, as part of the print it follows.
void logFailure(const _filFailure& fail)
{
    g_autofree gchar* pszMsg = g_strdup_printf("prnPrintLoadSheet()\n%s(%s) failed\n%s", fail.strCall.c_str(),
                                               fail.strPath.c_str(), g_strerror(fail.nErr));
    errPostError(pszMsg);
}

// Opens "Load sheets", making it where there is none, as a directory of the
// user's own that only they may read: never through a link, never someone
// else's. Returns the descriptor, or -1 with *pFail filled.
int openFolder(bool bCreate, _filFailure* pFail)
{
    const std::string strDir = filSheetsFolder();
    *pFail = {"open", strDir, 0, false};
    constexpr int FLAGS = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(strDir.c_str(), FLAGS);
    if (fd < 0 && errno == ENOENT && bCreate) {
        if (mkdir(strDir.c_str(), 0700) != 0 && errno != EEXIST) {
            *pFail = {"mkdir", strDir, errno};
            return -1;
        }
        fd = open(strDir.c_str(), FLAGS);
    }
    if (fd < 0) {
        // A link there (ELOOP, or ENOTDIR where the open asks for a
        // directory) is refused as something that is not the user's own.
        pFail->nErr = errno;
        pFail->bNotOwn = errno == ELOOP || errno == ENOTDIR;
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0)
        pFail->nErr = errno;
    else if (st.st_uid != geteuid())
        pFail->nErr = EPERM, pFail->bNotOwn = true;
    else if ((st.st_mode & 07777) != 0700 && fchmod(fd, 0700) != 0)
        *pFail = {"fchmod", strDir, errno};
    if (pFail->nErr) {
        close(fd);
        return -1;
    }
    return fd;
}

// Opens a new private temporary in the folder: its descriptor with
// *pstrTemp its name, or -1 with *pFail filled.
int openTemporary(int fdDir, std::string* pstrTemp, _filFailure* pFail)
{
    int fd = -1;
    const std::string strPrefix = tempPrefix();
    for (int n = 0; n < 100 && fd < 0; n++) {
        *pstrTemp = strPrefix + randomText(TEMP_RANDOM);
        fd = openat(fdDir, pstrTemp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        *pFail = {"open", filSheetsFolder() + "/" + *pstrTemp, errno};
    return fd;
}

// Writes the sheet to a new private temporary in the folder, whole and on
// the disk, and closes it: true with *pstrTemp its name, or false with
// *pFail filled and nothing left behind.
bool writeTemporary(int fdDir, std::string_view pdf, std::string* pstrTemp, _filFailure* pFail)
{
    const int fd = openTemporary(fdDir, pstrTemp, pFail);
    if (fd < 0)
        return false;
    *pFail = {"write", filSheetsFolder() + "/" + *pstrTemp, 0};
    // Private whatever the umask: it carries people's names and weights.
    if (fchmod(fd, 0600) != 0)
        *pFail = {"fchmod", pFail->strPath, errno};
    if (!pFail->nErr && pdf.empty())
        *pFail = {"cairo_surface_finish", pFail->strPath, EIO}; // the sheet could not be made
    if (!pFail->nErr) {
        _filSink sink = {fd, 0};
        filWriteToFd(&sink, reinterpret_cast<const unsigned char*>(pdf.data()), static_cast<unsigned int>(pdf.size()));
        pFail->nErr = sink.nErr;
    }
    if (!pFail->nErr && prmFileOps().pfuncFsync(fd) != 0)
        *pFail = {"fsync", pFail->strPath, errno};
    if (close(fd) != 0 && !pFail->nErr)
        *pFail = {"close", pFail->strPath, errno};
    if (pFail->nErr)
        unlinkat(fdDir, pstrTemp->c_str(), 0);
    return !pFail->nErr;
}

// Links the temporary to a name of its own where nothing is under it: 0,
// or the errno (EEXIST where the name is taken).
int linkAs(int fdDir, const std::string& strTemp, const std::string& strFinal, _filFailure* pFail)
{
    *pFail = {"link", filSheetsFolder() + "/" + strFinal, 0};
    int nResult = linkat(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), 0);
    // Where the file system has no hard links, a rename that refuses to
    // replace does the same.
    if (nResult != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS))
        nResult = renameat2(fdDir, strTemp.c_str(), fdDir, strFinal.c_str(), RENAME_NOREPLACE);
    return nResult == 0 ? 0 : errno;
}

// Gives the temporary its own name, the first free one, and removes the
// temporary's.
bool linkFinal(int fdDir, const std::string& strTemp, const std::string& strName, std::string* pstrFinal,
               _filFailure* pFail)
{
    const auto link = [&](const std::string& strFinal) { return linkAs(fdDir, strTemp, strFinal, pFail); };
    pFail->nErr = fnmFirstFree(strName, ".pdf", SHEET_NUMBERING, link, pstrFinal);
    if (pFail->nErr)
        pstrFinal->clear();
    unlinkat(fdDir, strTemp.c_str(), 0);
    return !pFail->nErr;
}

// Whether no one but the pilot (or the system) can change what a folder
// holds under a name: theirs or root's, and writable by others only where
// the sticky bit keeps each entry its owner's.
bool nobodyElseChanges(const std::string& strDir)
{
    struct stat st;
    return stat(strDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_uid == 0 || st.st_uid == geteuid()) &&
           (!(st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_mode & S_ISVTX));
}

// Whether every folder above a path is one nobody else changes, so that no
// one can put another folder in its place.
bool safeAbove(const std::string& strPath)
{
    g_autofree gchar* pszParent = g_path_get_dirname(strPath.c_str());
    for (std::string strDir = pszParent;;) {
        if (!nobodyElseChanges(strDir))
            return false;
        g_autofree gchar* pszUp = g_path_get_dirname(strDir.c_str());
        if (strDir == pszUp)
            return true;
        strDir = pszUp;
    }
}

// Whether a folder is the pilot's own: theirs, no one else may write in it,
// and no one else can put another in its place (through a link, or above
// it).
bool ownFolder(const char* pszDir)
{
    struct stat st;
    g_autofree char* pszReal = pszDir ? realpath(pszDir, nullptr) : nullptr;
    return pszReal && g_path_is_absolute(pszDir) && stat(pszReal, &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH)) && safeAbove(pszDir) && safeAbove(pszReal);
}

// Writes a line as a record file of its own in the shared folder open as
// fdDir: the next of this machine's by its own count, chained to its last
// and signed with its key, whole and on the disk under a name no other file
// has. The number is taken before the file is there, so a crash between
// leaves a gap the office is told of, never a number used twice. Returns
// the name it has, or "" with *pFail filled.
std::string writeRecordFile(int fdDir, const std::string& strLine, const std::string& strSheet,
                            const std::string& strSheetSha256, const std::string& strAccepted, _filFailure* pFail,
                            std::string* pstrWhy)
{
    _mchKey key;
    _mchHead head;
    bool bThere = false;
    if (!mchKey(&key, pstrWhy, fdDir) || !mchReadHead(&head, &bThere, pstrWhy)) {
        *pFail = {"mchKey", wbEtcDir(), EACCES};
        return {};
    }
    if (!bThere)
        head.nSequence = filLastSigned(fdDir, key.strId, key.strPublic, &head.strChain);
    const _recPlace place = {key.strId, head.nSequence + 1};
    const std::string strChained =
        recChainedLine(strLine, strSheet, head.strChain, place, strSheetSha256, key.strSecret, strAccepted);
    const std::vector<_recRead> written = recReadText(strChained);
    if (strChained.empty() || written.size() != 1) {
        *pFail = {"sgnSignLine", wbFileSpec(MCH_SECRET_FILE), EINVAL};
        return {};
    }
    if (const int nErr = mchWriteHead({place.nSequence, written.front().strChainOf})) {
        *pFail = {"mchWriteHead", wbFileSpec(MCH_HEAD_FILE), nErr};
        return {};
    }
    std::string strTemp, strName;
    bool bLinked = false;
    if (writeTemporary(fdDir, strChained, &strTemp, pFail)) {
        for (int n = 0; n < 100; n++) {
            strName = synRecordName(place.strMachine, place.nSequence, time(nullptr), randomText(SYN_RANDOM_CHARS));
            pFail->nErr = linkAs(fdDir, strTemp, strName, pFail);
            if (pFail->nErr != EEXIST)
                break;
        }
        bLinked = pFail->nErr == 0;
        unlinkat(fdDir, strTemp.c_str(), 0);
    }
    // Nothing written: the number is free again.
    if (!bLinked && (bThere ? mchWriteHead(head) : unlink(wbFileSpec(MCH_HEAD_FILE).c_str())) != 0)
        errPostError(("writeRecordFile()\nthe machine's count in " + wbFileSpec(MCH_HEAD_FILE) +
                      " could not be put back: its next record leaves a gap the office is told of")
                         .c_str());
    if (!pFail->nErr && fsync(fdDir) != 0)
        *pFail = {"fsync", filSheetsFolder(), errno};
    return pFail->nErr ? std::string() : strName;
}

} // namespace

_filShared filShared(void)
{
    g_autofree gchar* pszFolder = g_strstrip(g_strdup(prmStoredText(SCH_GROUP, FIL_KEY_SHEETS).c_str()));
    return {pszFolder, synKeepMonths(prmStoredText(SCH_GROUP, FIL_KEY_KEEP_MONTHS))};
}

long long filLastSigned(int fdDir, const std::string& strMachine, const std::string& strPublic, std::string* pstrChain)
{
    pstrChain->clear();
    std::vector<std::pair<long long, std::string>> files;
    const int fd = dup(fdDir);
    DIR* pdir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!pdir) {
        if (fd >= 0)
            close(fd);
        return 0;
    }
    _synRecordName name;
    while (const struct dirent* pent = readdir(pdir))
        if (synReadRecordName(pent->d_name, &name) && name.strMachine == strMachine)
            files.emplace_back(name.nSequence, pent->d_name);
    closedir(pdir);
    std::sort(files.rbegin(), files.rend());
    for (const auto& [nSequence, strName] : files) {
        const int fdFile = openat(fdDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat st;
        std::string strText;
        if (fdFile >= 0 && fstat(fdFile, &st) == 0 && S_ISREG(st.st_mode) &&
            st.st_size <= static_cast<off_t>(REC_MAX_LINE) + 1) {
            strText.assign(static_cast<size_t>(st.st_size), '\0');
            if (read(fdFile, strText.data(), strText.size()) != st.st_size)
                strText.clear();
        }
        if (fdFile >= 0)
            close(fdFile);
        if (const std::vector<_recRead> lines = recReadText(strText);
            lines.size() == 1 && lines[0].strError.empty() && lines[0].place.nSequence == nSequence &&
            lines[0].place.strMachine == strMachine &&
            sgnVerifyLine(recSignedTextOf(lines[0]), lines[0].strSignature, strPublic)) {
            *pstrChain = lines[0].strChainOf;
            return nSequence;
        }
    }
    return 0;
}

std::string filMachineId(void)
{
    // In a school's folder the machine is named by its key, which no one
    // else can give a machine of theirs.
    _mchKey key;
    std::string strWhy;
    if (!filShared().strFolder.empty() && mchKey(&key, &strWhy))
        return key.strId;
    g_autofree gchar* pszMachine = nullptr;
    if (!g_file_get_contents("/etc/machine-id", &pszMachine, nullptr, nullptr) || !*g_strstrip(pszMachine)) {
        g_free(pszMachine);
        pszMachine = g_strdup(g_get_host_name());
    }
    g_autofree char* pszReal = realpath(wbEtcDir().c_str(), nullptr);
    return synMachineId(pszMachine, pszReal ? pszReal : wbEtcDir());
}

std::string filSheetsFolder(void)
{
    const std::string strShared = filShared().strFolder;
    if (strShared.empty())
        return wbFileSpec("Load sheets");
    // Without a trailing "/", which would have the folder's link followed.
    g_autofree gchar* pszFolder = g_canonicalize_filename(strShared.c_str(), wbEtcDir().c_str());
    return pszFolder;
}

std::string filSheetName(const std::string& strRegistration, time_t tPrinted)
{
    char szWhen[32];
    struct tm tmPrinted;
    localtime_r(&tPrinted, &tmPrinted);
    strftime(szWhen, sizeof szWhen, "%Y-%m-%d %H%M", &tmPrinted);
    // A registration is free text, short enough for any file system.
    const std::string strReg = txtFileName(strRegistration, 40);
    return (strReg.empty() ? std::string("Load sheet") : strReg) + " " + szWhen;
}

std::string filFileCopy(std::string_view pdf, const std::string& strName, std::string* pstrFiled)
{
    _filFailure fail;
    const int fdDir = openFolder(true, &fail);
    std::string strTemp;
    // In a shared folder no two machines ever give a sheet the same name.
    const std::string strOwnName =
        filShared().strFolder.empty() ? strName : synSheetName(strName, filMachineId(), randomText(SYN_RANDOM_CHARS));
    if (fdDir >= 0) {
        if (writeTemporary(fdDir, pdf, &strTemp, &fail) && linkFinal(fdDir, strTemp, strOwnName, pstrFiled, &fail) &&
            fsync(fdDir) != 0)
            fail = {"fsync", filSheetsFolder(), errno};
        close(fdDir);
    }
    if (!fail.nErr)
        return {};
    logFailure(fail);
    if (fail.bNotOwn)
        return "its copy for the record was not kept: " + filSheetsFolder() + " is not a folder of your own";
    return "its copy for the record could not be kept in " + filSheetsFolder() + ": " + g_strerror(fail.nErr);
}

std::string filRecordLine(const std::string& strLine, const std::string& strFiled, std::string_view filedPdf,
                          const std::string& strAccepted)
{
    // The digest of the bytes just filed, so a sheet changed after is told.
    const std::string strSheetSha256 = strFiled.empty() ? "" : recSheetSha256(filedPdf);
    _filFailure fail;
    const int fdDir = openFolder(true, &fail);
    if (fdDir < 0) {
        logFailure(fail);
        return std::string("its line in the record (") + REC_FILE_NAME + ") could not be written";
    }
    if (filShared().strFolder.empty()) {
        const std::string strError = recAppend(fdDir, strLine, strFiled, strSheetSha256, strAccepted);
        close(fdDir);
        return strError;
    }
    std::string strWhy;
    const bool bWritten =
        !writeRecordFile(fdDir, strLine, strFiled, strSheetSha256, strAccepted, &fail, &strWhy).empty();
    close(fdDir);
    if (bWritten)
        return {};
    logFailure(fail);
    return "its line in the record (a file of its own in " + filSheetsFolder() +
           ") could not be written: " + (strWhy.empty() ? g_strerror(fail.nErr) : strWhy);
}

void filClearTemporaries(void)
{
    _filFailure fail;
    const int fdDir = openFolder(false, &fail);
    if (fdDir < 0)
        return; // none yet, or not one to touch
    // A machine of a school asks to join from its first start with the
    // shared folder, so the office can enrol it before its first sheet.
    _mchKey key;
    std::string strWhy;
    if (!filShared().strFolder.empty() && !mchKey(&key, &strWhy, fdDir))
        errPostError(("filClearTemporaries()\nthis machine's key cannot be had\n" + strWhy).c_str());
    const std::string strPrefix = tempPrefix();
    DIR* pdir = fdopendir(fdDir);
    if (!pdir) {
        close(fdDir);
        return;
    }
    while (const struct dirent* pent = readdir(pdir)) {
        if (!isTemporary(pent->d_name, strPrefix))
            continue;
        const int nResult = unlinkat(fdDir, pent->d_name, 0);
        g_autofree gchar* pszMsg = g_strdup_printf(
            "prnClearTemporaries()\n%s/%s was a load sheet cut short while it was filed\n%s", filSheetsFolder().c_str(),
            pent->d_name, nResult == 0 ? "it is removed" : g_strerror(errno));
        errPostError(pszMsg);
        errTellPilot("A load sheet being filed when Zarv last stopped was lost: its copy in " + filSheetsFolder() +
                     " was cut short and " + (nResult == 0 ? "is removed" : "could not be removed") +
                     "; print it again to keep it");
    }
    closedir(pdir);
}

std::string filDocumentsFolder(std::string* pstrWhy)
{
    pstrWhy->clear();
    const char* pszDocuments = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (pszDocuments && ownFolder(pszDocuments))
        return pszDocuments;
    const std::string strHome = g_get_home_dir();
    const bool bDocuments = pszDocuments && g_file_test(pszDocuments, G_FILE_TEST_IS_DIR);
    if (!ownFolder(strHome.c_str()))
        *pstrWhy = (bDocuments ? std::string(pszDocuments) + " and your home folder " : "Your home folder ") + strHome +
                   (bDocuments ? " are" : " is") +
                   " not yours alone (another user owns or may change them): Print to File offers home, but choose a "
                   "folder of your own";
    else if (bDocuments)
        *pstrWhy = std::string(pszDocuments) +
                   " is not a folder of your own (another user owns it or may change it): Print to File offers your "
                   "home folder instead";
    return strHome;
}

std::string filFreeName(const std::string& strDir, const std::string& strName)
{
    std::string strBase;
    fnmFirstFree(
        strName, "", SHEET_NUMBERING,
        [&](const std::string& strTry) {
            // A link counts as taken, whether or not it leads anywhere.
            GStatBuf st;
            return g_lstat((strDir + "/" + strTry + ".pdf").c_str(), &st) == 0 ? EEXIST : 0;
        },
        &strBase);
    return strBase;
}

cairo_status_t filWriteToFd(void* pClosure, const unsigned char* pData, unsigned int nLength)
{
    _filSink& sink = *static_cast<_filSink*>(pClosure);
    while (nLength > 0 && !sink.nErr) {
        const ssize_t n = prmFileOps().pfuncWrite(sink.fd, pData, nLength);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            sink.nErr = n < 0 ? errno : ENOSPC;
        else {
            pData += n;
            nLength -= static_cast<unsigned int>(n);
        }
    }
    return sink.nErr ? CAIRO_STATUS_WRITE_ERROR : CAIRO_STATUS_SUCCESS;
}
