// The school's published aircraft: written and signed on the machine that
// owns the figures, judged and taken in read-only on the pilots' machines.
// A published file is the aircraft as Zarv.conf keeps the current one (its
// groups and item groups), under a "[Published]" group that names it, its
// revision, the day and the school; its signature lies beside it in
// minisign's format, whose trusted comment says the same in one line.
#include "store/school/school.h"

#include "model/synced.h"
#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/aircraft/fleet.h"
#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/school/keys.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr const char* PUB_GROUP = "Published";
constexpr const char* PUB_KEY_SCHOOL = "School";
constexpr const char* PUB_KEY_REGISTRATION = "Registration";
constexpr const char* PUB_KEY_REVISION = "Revision";
constexpr const char* PUB_KEY_DATE = "Date";
// The most a published file or its signature may hold: an aircraft's
// figures and history are a few kilobytes.
constexpr size_t MOST_AIRCRAFT_FILE = 1 << 20;
constexpr size_t MOST_SIGNATURE_FILE = 4096;
constexpr size_t MOST_SCHOOL_NAME = 60;
// The most aircraft files of a folder read: a school's fleet is a few.
constexpr size_t MOST_AIRCRAFT_FILES = 200;
// The index names each aircraft in a line: a few kilobytes at most.
constexpr size_t MOST_INDEX_FILE = 64 << 10;
constexpr const char* INDEX_FIRST_LINE = "Zarv index of the aircraft published";
// Conflict copies named one by one; more are summed up with the rest.
constexpr size_t MOST_NAMED_COPIES = 20;
// The names a summary of what is not read gives before "and 198 more".
constexpr size_t MOST_NAMES_SHOWN = 3;

std::string setting(const char* pszKey)
{
    return prmGetKeyString(SCH_GROUP, pszKey);
}

std::string today(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_local();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%d");
    return psz;
}

// The school as a published file names it: its setting, else the owner's
// name.
std::string schoolName(void)
{
    std::string str = txtOneLine(setting(SCH_KEY_NAME), MOST_SCHOOL_NAME);
    if (str.empty())
        str = txtOneLine(g_get_real_name(), MOST_SCHOOL_NAME);
    return str;
}

// The trusted comment a published file's signature carries.
std::string trustedOf(const std::string& strRegistration, int nRevision, const std::string& strDate,
                      const std::string& strSchool)
{
    return "Zarv aircraft " + txtOneLine(strRegistration, 40) + ", revision " + std::to_string(nRevision) +
           ", published " + strDate + " by " + strSchool;
}

// The names in a folder, sorted; none where it cannot be read.
std::vector<std::string> namesIn(const std::string& strDir, std::string* pstrWhy)
{
    std::vector<std::string> names;
    DIR* pDir = opendir(strDir.c_str());
    if (!pDir) {
        *pstrWhy = g_strerror(errno);
        return names;
    }
    while (const struct dirent* pEnt = readdir(pDir))
        if (*pEnt->d_name != '.')
            names.emplace_back(pEnt->d_name);
    closedir(pDir);
    std::sort(names.begin(), names.end());
    return names;
}

// What a published file holds, read from its text.
struct _schFile {
    std::string strRegistration, strDate, strSchool;
    int nRevision = 0;
};

// Reads a published file's "[Published]" group into *pf; false where the
// text is no published aircraft.
bool readPublished(GKeyFile* pkf, const std::string& strText, _schFile* pf)
{
    if (!g_key_file_load_from_data(pkf, strText.data(), strText.size(), G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(pkf, PUB_GROUP))
        return false;
    pf->strRegistration = prmTextOf(pkf, PUB_GROUP, PUB_KEY_REGISTRATION);
    pf->strDate = prmTextOf(pkf, PUB_GROUP, PUB_KEY_DATE);
    pf->strSchool = prmTextOf(pkf, PUB_GROUP, PUB_KEY_SCHOOL);
    double nRevision = 0;
    const std::string strRevision = prmTextOf(pkf, PUB_GROUP, PUB_KEY_REVISION);
    if (!prmReadsAsNumber(strRevision.c_str(), &nRevision) || nRevision < 1 || nRevision > 1e6 ||
        nRevision != static_cast<int>(nRevision))
        return false;
    pf->nRevision = static_cast<int>(nRevision);
    const _prmValue& reg = valValue(VAL_REGISTRATION);
    return !pf->strRegistration.empty() && prmTextOf(pkf, reg.pszGroup, reg.pszKey) == pf->strRegistration;
}

// ---- Publishing ---------------------------------------------------------

// Calls fn with the fleet's aircraft kept in strGroup ("" for the current
// one) as the current aircraft of a copy of pkfFrom (Zarv.conf's unless
// given), its setup read from that copy; Zarv's own key file and setup are
// as they were after.
void asCurrent(const std::string& strGroup, const std::function<void(void)>& fn, GKeyFile* pkfFrom = nullptr)
{
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkfFrom ? pkfFrom : prmKeyFile(), &nLength, nullptr);
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_load_from_data(pkf, pszData, nLength, G_KEY_FILE_KEEP_COMMENTS, nullptr);
    if (!strGroup.empty())
        fleetSwapKeys(pkf, strGroup);
    GKeyFile* pkfHeld = prmLendKeyFile(pkf);
    psetParams();
    fn();
    prmLendKeyFile(pkfHeld);
    psetParams();
}

// The fingerprint of the figures a published file holds, as a machine that
// takes it in computes that of its current aircraft: the office remembers
// it and the pilot's machine keeps it, so both read the file alike.
std::string publishedFingerprint(const std::string& strText)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_load_from_data(pkf, strText.data(), strText.size(), G_KEY_FILE_NONE, nullptr);
    std::string strFingerprint;
    asCurrent(
        "", [&] { strFingerprint = valFingerprint(); }, pkf);
    return strFingerprint;
}

// A time as the record writes one, and back (null where it is none).
std::string isoTime(GDateTime* pdt)
{
    g_autofree gchar* psz = pdt ? g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%S%:z") : nullptr;
    return psz ? psz : "";
}

GDateTime* timeOf(const std::string& str)
{
    return g_date_time_new_from_iso8601(str.c_str(), nullptr);
}

// The revisions this office published, one line each: "from revision
// fingerprint registration", the registration last since it may hold
// spaces. A school publishes a few revisions a year: 1 MB is thousands.
constexpr const char* LOG_GROUP = "Published";
constexpr const char* LOG_KEY = "Revisions";
constexpr size_t MOST_LOG_FILE = 1 << 20;

std::string publicationLine(const _schPublication& p)
{
    return p.strFrom + " " + std::to_string(p.nRevision) + " " + p.strFingerprint + " " + p.strRegistration;
}

bool readPublication(const std::string& str, _schPublication* pp)
{
    g_auto(GStrv) ppsz = g_strsplit(str.c_str(), " ", 4);
    if (g_strv_length(ppsz) != 4)
        return false;
    g_autoptr(GDateTime) pdt = timeOf(ppsz[0]);
    double nRevision = 0;
    if (!pdt || !prmReadsAsNumber(ppsz[1], &nRevision) || nRevision < 1 || nRevision > 1e6 ||
        nRevision != static_cast<int>(nRevision) || valFingerprintVersion(ppsz[2]) < PRM_FINGERPRINT_WHOLE || !*ppsz[3])
        return false;
    *pp = {ppsz[0], static_cast<int>(nRevision), ppsz[2], ppsz[3]};
    return true;
}

// Remembers that the office publishes revision f of its figures strText
// from now, or, published already (bThere) before it remembered any, from
// the day the file names; what keeps it from doing so, else "".
std::string rememberPublished(const _schFile& f, const std::string& strText, bool bThere)
{
    _schPublications held = schPublications();
    if (!held.strWhy.empty())
        return held.strWhy;
    _schPublication p = {"", f.nRevision, publishedFingerprint(strText), f.strRegistration};
    for (const _schPublication& q : held.revisions)
        if (q.strRegistration == p.strRegistration && q.nRevision == p.nRevision &&
            q.strFingerprint == p.strFingerprint)
            return "";
    g_autoptr(GTimeZone) ptz = g_time_zone_new_local();
    int nYear = 0, nMonth = 0, nDay = 0;
    g_autoptr(GDateTime) pdt = bThere && sscanf(f.strDate.c_str(), "%4d-%2d-%2d", &nYear, &nMonth, &nDay) == 3
                                   ? g_date_time_new(ptz, nYear, nMonth, nDay, 0, 0, 0)
                                   : g_date_time_new_now(ptz);
    p.strFrom = isoTime(pdt);
    if (p.strFrom.empty() || p.strFingerprint.empty())
        return "its fingerprint could not be taken";
    held.revisions.push_back(p);
    std::vector<std::string> lines;
    for (const _schPublication& q : held.revisions)
        lines.push_back(publicationLine(q));
    std::vector<const gchar*> ppsz;
    for (const std::string& str : lines)
        ppsz.push_back(str.c_str());
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_set_string_list(pkf, LOG_GROUP, LOG_KEY, ppsz.data(), ppsz.size());
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    if (const int nErr = prmReplaceFile(wbFileSpec(SCH_PUBLISHED_FILE), std::string_view(pszData, nLength), 0600))
        return wbFileSpec(SCH_PUBLISHED_FILE) + " could not be written: " + g_strerror(nErr);
    return "";
}

// The published file of the current aircraft (of the copy asCurrent made):
// its values as Zarv.conf keeps them, its items as weighed, under the group
// that names it.
std::string publishedText(const _schFile& f)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_key_file_set_string(pkf, PUB_GROUP, PUB_KEY_SCHOOL, f.strSchool.c_str());
    g_key_file_set_string(pkf, PUB_GROUP, PUB_KEY_REGISTRATION, f.strRegistration.c_str());
    g_key_file_set_integer(pkf, PUB_GROUP, PUB_KEY_REVISION, f.nRevision);
    g_key_file_set_string(pkf, PUB_GROUP, PUB_KEY_DATE, f.strDate.c_str());
    for (const _prmValue& v : valValues()) {
        if (!v.pszAircraftKey || v.nId == VAL_UNREAD_FIGURES || v.nId == VAL_PUBLISHED)
            continue;
        if (g_autofree gchar* psz = g_key_file_get_value(prmKeyFile(), v.pszGroup, v.pszKey, nullptr))
            g_key_file_set_value(pkf, v.pszGroup, v.pszKey, psz);
    }
    // The office's fuel rule and margins, where it set any, signed with
    // each aircraft: its pilots fly by them.
    for (const _prmValue& v : valValues())
        if (v.bRule)
            if (g_autofree gchar* psz = g_key_file_get_value(prmKeyFile(), v.pszGroup, v.pszKey, nullptr))
                g_key_file_set_value(pkf, v.pszGroup, v.pszKey, psz);
    itmWrite(pkf, itmRead(prmKeyFile()), {});
    hvcWrite(pkf, hvcRead(prmKeyFile()).charts);
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(pkf, &nLength, nullptr);
    return std::string(pszData, nLength);
}

// Reads a file of the folder that must be a plain one; false where it is
// missing (*pbMissing) or cannot be read.
bool readIn(const std::string& strPath, std::string* pstrData, size_t nMost, bool* pbMissing)
{
    g_autoptr(GError) pErr = nullptr;
    if (prmReadFile(strPath, pstrData, &pErr, nullptr, nMost))
        return true;
    if (pbMissing)
        *pbMissing = g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT);
    return false;
}

// Writes what is published where it is not there already: a file for
// everyone to read, replaced whole.
std::string writeIn(const std::string& strPath, const std::string& strData)
{
    std::string strHeld;
    if (readIn(strPath, &strHeld, MOST_AIRCRAFT_FILE, nullptr) && strHeld == strData)
        return {};
    const int nErr = prmReplaceFile(strPath, strData, 0644);
    return nErr ? g_strerror(nErr) : "";
}

// Publishes the current aircraft (of asCurrent's copy) into strDir with the
// secret key's text; one line of what became of it, *pbFailed set where it
// could not be published.
std::string publishCurrent(const std::string& strDir, const _sgnKeyPair& key, std::vector<std::string>* pNames,
                           std::map<std::string, int>* pIndex, bool* pbFailed)
{
    const std::string strRegistration = valGetText(VAL_REGISTRATION);
    const std::string strName = txtFileName(strRegistration, 40);
    const std::string strShown =
        strRegistration.empty() ? std::string("An aircraft without a registration") : txtOneLine(strRegistration, 40);
    if (!figPublishedHere() && !figUnderControl())
        return strShown + ": not under change control (no registration or weighing date): not published";
    if (figPublishedHere())
        return strShown + ": published to this machine by the school: not published again";
    auto refuse = [&](const std::string& strWhy) {
        *pbFailed = true;
        return strShown + ": " + strWhy;
    };
    if (strName.empty() || strName != txtOneLine(strRegistration, 40))
        return refuse("its registration cannot name a file: not published");
    // Two aircraft of one registration would publish one file.
    if (std::find(pNames->begin(), pNames->end(), strName) != pNames->end())
        return refuse("another aircraft of the fleet has this registration: not published");
    pNames->push_back(strName);
    if (figFiguresChangedOutside())
        return refuse("its figures were changed outside Zarv: confirm them before publishing");
    if (!valGetText(VAL_UNREAD_FIGURES).empty())
        return refuse("a figure could not be read: correct it before publishing");
    // Nor an item Zarv could not read whole: the file would state a flag
    // read as "maybe" as fitted, and drop a group it does not read.
    const auto unread = [](const _wbItem& i) {
        return !i.strUnread.empty() || !unitPossible(KIND_WEIGHT, i.nWeight) || !unitPossible(KIND_ARM, i.nLongArm) ||
               !unitPossible(KIND_ARM, i.nLatArm);
    };
    if (!m_wbSetup.strItemsNotRead.empty() || std::any_of(m_wbSetup.items.begin(), m_wbSetup.items.end(), unread))
        return refuse("an equipment item could not be read: correct it before publishing");
    if (!m_wbSetup.strHoverNotRead.empty())
        return refuse("a hover chart could not be read or used: correct it before publishing");
    // Its revision counts the lines of its history, which only grows.
    _schFile f = {strRegistration, today(), schoolName(), static_cast<int>(figHistory().size()) + 1};
    const std::string strPath = strDir + "/" + strName + SCH_AIRCRAFT_SUFFIX;
    std::string strHeld, strHeldSignature;
    bool bMissing = false;
    if (readIn(strPath, &strHeld, MOST_AIRCRAFT_FILE, &bMissing)) {
        // Only a file this school signed is replaced.
        g_autoptr(GKeyFile) pkfHeld = g_key_file_new();
        _schFile held;
        if (!readIn(strPath + SCH_SIGNATURE_SUFFIX, &strHeldSignature, MOST_SIGNATURE_FILE, nullptr) ||
            !sgnVerify(strHeld, strHeldSignature, key.strPublic).bGood || !readPublished(pkfHeld, strHeld, &held) ||
            held.strRegistration != strRegistration)
            return refuse(strName + SCH_AIRCRAFT_SUFFIX +
                          " is there and is not this aircraft as this school signed it: move it away first");
        if (held.nRevision > f.nRevision)
            return refuse("revision " + std::to_string(held.nRevision) +
                          " is published already, newer than this "
                          "machine's revision " +
                          std::to_string(f.nRevision));
        if (held.nRevision == f.nRevision) {
            f.strDate = held.strDate;
            f.strSchool = held.strSchool;
            if (publishedText(f) != strHeld)
                return refuse("revision " + std::to_string(f.nRevision) +
                              " is published already with other "
                              "figures: amend them to publish a newer revision");
        }
    } else if (!bMissing)
        return refuse("the published " + strName + SCH_AIRCRAFT_SUFFIX + " cannot be read");
    const std::string strText = publishedText(f);
    const std::string strSignature =
        sgnSign(strText, key.strSecret, trustedOf(f.strRegistration, f.nRevision, f.strDate, f.strSchool));
    if (strSignature.empty())
        return refuse(std::string("the school's key ") + SCH_SECRET_FILE + " cannot be read");
    // Remembered before any pilot can fly it: the office's record check
    // names a sheet flown on figures it never published.
    if (const std::string strWhy = rememberPublished(f, strText, strHeld == strText); !strWhy.empty())
        return refuse("not published, since the office could not remember it: " + strWhy);
    // The signature first: a machine that sees the new file sees its
    // signature with it, or soon after.
    // Where the file cannot follow it, the signature before is put back, so
    // that the folder holds a file with its own signature.
    std::string strError = writeIn(strPath + SCH_SIGNATURE_SUFFIX, strSignature);
    if (strError.empty())
        strError = writeIn(strPath, strText);
    if (!strError.empty() && !strHeldSignature.empty())
        writeIn(strPath + SCH_SIGNATURE_SUFFIX, strHeldSignature);
    if (!strError.empty())
        return refuse("could not be written in " + strDir + ": " + strError);
    (*pIndex)[strRegistration] = f.nRevision;
    if (strHeld == strText)
        return strShown + ": revision " + std::to_string(f.nRevision) + " is published already";
    return strShown + ": revision " + std::to_string(f.nRevision) + " published";
}

// The registrations and revisions an index's text lists; false where it is
// no index as Zarv writes it.
bool readIndex(const std::string& strText, std::map<std::string, int>* pIndex)
{
    pIndex->clear();
    g_auto(GStrv) ppszLines = g_strsplit(strText.c_str(), "\n", -1);
    if (!ppszLines[0] || strcmp(ppszLines[0], INDEX_FIRST_LINE) != 0)
        return false;
    for (gchar** pp = ppszLines + 1; *pp; pp++) {
        const std::string strLine = *pp;
        if (strLine.empty() && !pp[1])
            break;
        const size_t nSpace = strLine.find(' ');
        double n = 0;
        if (nSpace == std::string::npos || !prmReadsAsNumber(strLine.substr(0, nSpace).c_str(), &n) || n < 1 ||
            n > 1e6 || n != static_cast<int>(n) || pIndex->size() >= MOST_AIRCRAFT_FILES)
            return false;
        (*pIndex)[strLine.substr(nSpace + 1)] = static_cast<int>(n);
    }
    return true;
}

// The index of strDir as signed with strKey; false with *pstrWhy where it
// cannot be used (*pbMissing where there is none).
bool signedIndex(const std::string& strDir, const std::string& strKey, std::map<std::string, int>* pIndex,
                 std::string* pstrWhy, bool* pbMissing)
{
    const std::string strPath = strDir + "/" + SCH_INDEX_FILE;
    std::string strText, strSignature;
    *pbMissing = false;
    if (!readIn(strPath, &strText, MOST_INDEX_FILE, pbMissing)) {
        *pstrWhy = "it cannot be read as a plain file";
        return false;
    }
    if (!readIn(strPath + SCH_SIGNATURE_SUFFIX, &strSignature, MOST_SIGNATURE_FILE, nullptr)) {
        *pstrWhy = std::string("it has no signature beside it (") + SCH_INDEX_FILE + SCH_SIGNATURE_SUFFIX + ")";
        return false;
    }
    const _sgnVerified verified = sgnVerify(strText, strSignature, strKey);
    if (!verified.bGood) {
        *pstrWhy = verified.strWhy;
        return false;
    }
    if (!readIndex(strText, pIndex)) {
        *pstrWhy = "it is signed, but is no index as Zarv publishes it";
        return false;
    }
    return true;
}

// Writes the folder's index: what it listed before (where this school
// signed it) with this run's aircraft at their revisions. "" where it was
// written, else why not.
std::string publishIndex(const std::string& strDir, const _sgnKeyPair& key, const std::map<std::string, int>& now)
{
    std::map<std::string, int> index;
    std::string strWhy;
    bool bMissing = false;
    signedIndex(strDir, key.strPublic, &index, &strWhy, &bMissing);
    for (const auto& [strRegistration, nRevision] : now)
        index[strRegistration] = nRevision;
    if (index.empty())
        return {};
    std::string strText = std::string(INDEX_FIRST_LINE) + "\n";
    for (const auto& [strRegistration, nRevision] : index)
        strText += std::to_string(nRevision) + " " + strRegistration + "\n";
    const std::string strSignature = sgnSign(strText, key.strSecret,
                                             "Zarv index of " + std::to_string(index.size()) + " aircraft, published " +
                                                 today() + " by " + schoolName());
    if (strSignature.empty())
        return std::string("the school's key ") + SCH_SECRET_FILE + " cannot be read";
    // As an aircraft's: the signature first, and put back where the index
    // cannot follow it.
    std::string strHeldSignature;
    const std::string strPath = strDir + "/" + SCH_INDEX_FILE;
    readIn(strPath + SCH_SIGNATURE_SUFFIX, &strHeldSignature, MOST_SIGNATURE_FILE, nullptr);
    std::string strError = writeIn(strPath + SCH_SIGNATURE_SUFFIX, strSignature);
    if (strError.empty())
        strError = writeIn(strPath, strText);
    if (!strError.empty() && !strHeldSignature.empty())
        writeIn(strPath + SCH_SIGNATURE_SUFFIX, strHeldSignature);
    return strError;
}

// ---- Taking in ----------------------------------------------------------

// A file of the folder as judged, with its text for taking it in.
struct _schJudged {
    _schTaken taken;
    std::string strText;
};

// Lines of "12 G-ZARV" as Zarv.conf keeps them, from the nFirst on: the
// newest revision of each registration.
std::map<std::string, int> revisionsOf(const std::vector<std::string>& lines, size_t nFirst = 0)
{
    std::map<std::string, int> revisions;
    for (size_t nLine = nFirst; nLine < lines.size(); nLine++) {
        const std::string& str = lines[nLine];
        const size_t nSpace = str.find(' ');
        double n = 0;
        if (nSpace != std::string::npos && prmReadsAsNumber(str.substr(0, nSpace).c_str(), &n) && n >= 1 && n <= 1e6)
            revisions[str.substr(nSpace + 1)] = std::max(revisions[str.substr(nSpace + 1)], static_cast<int>(n));
    }
    return revisions;
}

// Sets such lines after the lines given.
void setRevisions(GKeyFile* pkf, const char* pszKey, std::vector<std::string> lines,
                  const std::map<std::string, int>& revisions)
{
    for (const auto& [strRegistration, n] : revisions)
        lines.push_back(std::to_string(n) + " " + strRegistration);
    std::vector<const gchar*> ppsz;
    for (const std::string& str : lines)
        ppsz.push_back(str.c_str());
    g_key_file_set_string_list(pkf, SCH_GROUP, pszKey, ppsz.data(), ppsz.size());
}

// The newest revision used here of each registration.
std::map<std::string, int> seenRevisions(void)
{
    return revisionsOf(prmTextListOf(prmKeyFile(), SCH_GROUP, SCH_KEY_SEEN));
}

// The school's index last used here, where it was signed with the key
// accepted now: one of another key is left behind by a key accepted anew.
bool usedIndex(const std::string& strKey, std::map<std::string, int>* pIndex)
{
    const std::vector<std::string> lines = prmTextListOf(prmKeyFile(), SCH_GROUP, SCH_KEY_INDEXED);
    if (lines.empty() || lines.front() != sgnKeyDigest(strKey))
        return false;
    *pIndex = revisionsOf(lines, 1);
    return true;
}

// Why an index that verifies is older than the one used here (pUsed, where
// one was) or lists a revision older than one used here: "" where it is
// not. Anyone who may write to the folder could put back an older index,
// signed as it was, to have older figures flown.
std::string indexRolledBack(const std::map<std::string, int>& index, const std::map<std::string, int>* pUsed,
                            const std::map<std::string, int>& seen)
{
    for (const auto& [strRegistration, nUsed] : pUsed ? *pUsed : std::map<std::string, int>{})
        if (const auto it = index.find(strRegistration); it == index.end())
            return "it no longer lists " + txtOneLine(strRegistration, 40) + ", which the index used here listed";
        else if (it->second < nUsed)
            return "it lists " + txtOneLine(strRegistration, 40) + " at revision " + std::to_string(it->second) +
                   ", older than revision " + std::to_string(nUsed) + " in the index used here";
    for (const auto& [strRegistration, nListed] : index)
        if (const auto it = seen.find(strRegistration); it != seen.end() && it->second > nListed)
            return "it lists " + txtOneLine(strRegistration, 40) + " at revision " + std::to_string(nListed) +
                   ", older than revision " + std::to_string(it->second) + " already used here";
    return "";
}

// Judges one published file of the folder, with its signature beside it.
_schJudged judgeFile(const std::string& strDir, const std::string& strName, const std::string& strKey,
                     const std::map<std::string, int>& seen)
{
    _schJudged j;
    j.taken.strFile = strName;
    // What is refused keeps nothing of its text.
    auto refuse = [&j](const std::string& strWhy) {
        j.taken.strWhy = strWhy;
        j.taken.bUsed = false;
        j.strText.clear();
        return j;
    };
    std::string strSignature;
    if (!readIn(strDir + "/" + strName, &j.strText, MOST_AIRCRAFT_FILE, nullptr))
        return refuse("it cannot be read as a plain file");
    if (!readIn(strDir + "/" + strName + SCH_SIGNATURE_SUFFIX, &strSignature, MOST_SIGNATURE_FILE, nullptr))
        return refuse(std::string("it has no signature beside it (") + strName + SCH_SIGNATURE_SUFFIX + ")");
    const _sgnVerified verified = sgnVerify(j.strText, strSignature, strKey);
    if (!verified.bGood)
        return refuse(verified.strWhy);
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    _schFile f;
    if (!readPublished(pkf, j.strText, &f))
        return refuse("it is signed, but is no aircraft as Zarv publishes it");
    if (verified.strTrusted != trustedOf(f.strRegistration, f.nRevision, f.strDate, f.strSchool))
        return refuse("its signature's comment does not name what it holds");
    // A file is the aircraft its name says, as the school names its files.
    if (strName != txtFileName(f.strRegistration, 40) + SCH_AIRCRAFT_SUFFIX)
        return refuse("it publishes " + txtOneLine(f.strRegistration, 40) + ", which the school names " +
                      txtFileName(f.strRegistration, 40) + SCH_AIRCRAFT_SUFFIX);
    j.taken.strRegistration = f.strRegistration;
    j.taken.nRevision = f.nRevision;
    j.taken.strDate = f.strDate;
    j.taken.strSchool = f.strSchool;
    if (const auto it = seen.find(f.strRegistration); it != seen.end() && it->second > f.nRevision)
        return refuse("revision " + std::to_string(f.nRevision) + " is older than revision " +
                      std::to_string(it->second) + " already used here");
    j.taken.bUsed = true;
    return j;
}

// One refusal for every file of the folder not read (strNames, in order):
// named by the first, the next few given, the rest counted; strWhy after
// "is" or "are".
_schJudged notRead(const std::vector<std::string>& strNames, const std::string& strWhy)
{
    std::string str = strNames.size() == 1
                          ? "it is " + strWhy
                          : "it and " + std::to_string(strNames.size() - 1) + " more files are " + strWhy;
    for (size_t n = 1; n < strNames.size() && n <= MOST_NAMES_SHOWN; n++)
        str += (n == 1 ? " (" : ", ") + strNames[n];
    if (strNames.size() > MOST_NAMES_SHOWN + 1)
        str += " \u2026 and " + std::to_string(strNames.size() - MOST_NAMES_SHOWN - 1) + " more";
    if (strNames.size() > 1)
        str += ")";
    _schJudged j = {{strNames.front(), "", 0, "", "", false, str}, ""};
    j.taken.bSummary = true;
    return j;
}

// The names of the files a published aircraft is: its file and signature.
bool isAircraftFile(const std::string& strName)
{
    return g_str_has_suffix(strName.c_str(), SCH_AIRCRAFT_SUFFIX) ||
           g_str_has_suffix(strName.c_str(), (std::string(SCH_AIRCRAFT_SUFFIX) + SCH_SIGNATURE_SUFFIX).c_str());
}

// *pIndex, where asked, is the school's index the judgement followed.
std::vector<_schJudged> judgeFolder(std::map<std::string, int>* pIndex = nullptr)
{
    std::vector<_schJudged> judged;
    const std::string strDir = setting(SCH_KEY_PUBLISHED);
    if (strDir.empty())
        return judged;
    const std::string strKey = setting(SCH_KEY_KEY);
    if (sgnKeyId(strKey).empty()) {
        judged.push_back({{strDir, "", 0, "", "", false,
                           std::string("the school's key is not set in Zarv.conf ([") + SCH_GROUP + "] " + SCH_KEY_KEY +
                               "): nothing published is used"},
                          ""});
        return judged;
    }
    std::string strWhy;
    const std::vector<std::string> names = namesIn(strDir, &strWhy);
    if (!strWhy.empty())
        judged.push_back({{strDir, "", 0, "", "", false, "the school's folder cannot be read: " + strWhy}, ""});
    const std::map<std::string, int> seen = seenRevisions();
    // The files the school publishes are found by its signed index; a
    // folder without one is an older office's, where the aircraft used
    // here are read before any other, so no file sorted before them can
    // take their place.
    std::map<std::string, int> index, used;
    bool bNoIndex = false;
    const bool bIndex = signedIndex(strDir, strKey, &index, &strWhy, &bNoIndex);
    const bool bUsedIndex = usedIndex(strKey, &used);
    // Once the school's index was used here, a folder read without it
    // would let anyone who may write there choose the files again; so
    // nothing of it is used, and what was taken in stays as it is.
    const std::string strRolledBack = bIndex ? indexRolledBack(index, bUsedIndex ? &used : nullptr, seen) : "";
    if (!strRolledBack.empty() || (bUsedIndex && !bIndex)) {
        const std::string strGone = !strRolledBack.empty() ? strRolledBack
                                    : bNoIndex             ? std::string("it is no longer in the folder")
                                                           : strWhy;
        judged.push_back({{strDir, "", 0, "", "", false,
                           std::string("the school's signed index is gone or changed: ") + SCH_INDEX_FILE + ": " +
                               strGone + "; the aircraft taken in here stay as they are"},
                          ""});
        return judged;
    }
    if (bIndex && pIndex)
        *pIndex = index;
    if (!bIndex && !bNoIndex)
        judged.push_back({{SCH_INDEX_FILE, "", 0, "", "", false,
                           strWhy + ": the folder is read as an older office's, without an index"},
                          ""});
    std::map<std::string, int> wanted; // file name, the revision the index lists (0: none)
    if (bIndex)
        for (const auto& [strRegistration, nRevision] : index)
            wanted[txtFileName(strRegistration, 40) + SCH_AIRCRAFT_SUFFIX] = nRevision;
    else
        for (const auto& [strRegistration, nRevision] : seen)
            if (const std::string strName = txtFileName(strRegistration, 40) + SCH_AIRCRAFT_SUFFIX;
                std::binary_search(names.begin(), names.end(), strName))
                wanted[strName] = 0;
    for (const auto& [strName, nRevision] : wanted) {
        judged.push_back(judgeFile(strDir, strName, strKey, seen));
        // Only the revision the index lists: one taken in ahead of its
        // index would make that index look rolled back once it came.
        if (_schTaken& t = judged.back().taken; t.bUsed && nRevision && t.nRevision != nRevision) {
            t.bUsed = false;
            t.strWhy = "revision " + std::to_string(t.nRevision) +
                       (t.nRevision < nRevision
                            ? " is older than revision " + std::to_string(nRevision) + " the school's index publishes"
                            : " is newer than revision " + std::to_string(nRevision) +
                                  " the school's index lists: it is used once the index lists it");
            judged.back().strText.clear();
        }
    }
    std::vector<std::string> others, bare;
    size_t nCopies = 0;
    for (const std::string& strName : names) {
        const std::string strAircraft = g_str_has_suffix(strName.c_str(), SCH_SIGNATURE_SUFFIX)
                                            ? strName.substr(0, strName.size() - strlen(SCH_SIGNATURE_SUFFIX))
                                            : strName;
        if (wanted.count(strAircraft) || strAircraft == SCH_INDEX_FILE)
            continue;
        if (synIsConflictCopy(strName) && ++nCopies <= MOST_NAMED_COPIES)
            judged.push_back({{strName, "", 0, "", "", false, "a sync tool's copy of a conflict: never used"}, ""});
        else if (synIsConflictCopy(strName) || (bIndex && isAircraftFile(strName)))
            others.push_back(strName);
        else if (!g_str_has_suffix(strName.c_str(), SCH_AIRCRAFT_SUFFIX))
            continue;
        // Without an index, what is not even signed takes no place of one
        // that may be.
        else if (!std::binary_search(names.begin(), names.end(), strName + SCH_SIGNATURE_SUFFIX))
            bare.push_back(strName);
        else if (wanted.size() < MOST_AIRCRAFT_FILES)
            judged.push_back(judgeFile(strDir, strName, strKey, seen)), wanted[strName] = 0;
        else
            others.push_back(strName);
    }
    if (!bare.empty())
        judged.push_back(notRead(bare, std::string("without a signature beside (") + SCH_SIGNATURE_SUFFIX +
                                           "): not the school's, never read"));
    if (!others.empty())
        judged.push_back(notRead(others, bIndex ? std::string("not in the school's signed index (") + SCH_INDEX_FILE +
                                                      "): not the school's, never read"
                                                : "not read: the folder holds more aircraft than Zarv reads"));
    // Two files of one aircraft: the newer revision is used.
    for (_schJudged& j : judged)
        for (const _schJudged& k : judged)
            if (&j != &k && j.taken.bUsed && k.taken.bUsed && j.taken.strRegistration == k.taken.strRegistration &&
                (k.taken.nRevision > j.taken.nRevision ||
                 (k.taken.nRevision == j.taken.nRevision && k.taken.strFile < j.taken.strFile))) {
                j.taken.bUsed = false;
                j.taken.strWhy = "it publishes " + txtOneLine(j.taken.strRegistration, 40) + " as " + k.taken.strFile +
                                 " does, which is used";
            }
    return judged;
}

// The fleet group the aircraft published as strRegistration was taken in
// as ("" for the current one), and its revision there; -1 where none was.
std::pair<std::string, int> takenInAs(GKeyFile* pkf, const std::string& strRegistration)
{
    const _prmValue &reg = valValue(VAL_REGISTRATION), &pub = valValue(VAL_PUBLISHED);
    auto revisionOf = [](const std::string& str) { return str.empty() ? -1 : atoi(str.c_str()); };
    if (const std::string str = prmTextOf(pkf, pub.pszGroup, pub.pszKey);
        !str.empty() && prmTextOf(pkf, reg.pszGroup, reg.pszKey) == strRegistration)
        return {"", revisionOf(str)};
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++)
        if (const std::string str = prmTextOf(pkf, ppszGroups[i], pub.pszAircraftKey);
            valAircraftNumber(ppszGroups[i]) && !str.empty() &&
            prmTextOf(pkf, ppszGroups[i], reg.pszAircraftKey) == strRegistration)
            return {ppszGroups[i], revisionOf(str)};
    return {"-", -1};
}

// A published file's text as a key file.
GKeyFile* keyFileOf(const std::string& strText)
{
    GKeyFile* pkf = g_key_file_new();
    g_key_file_load_from_data(pkf, strText.data(), strText.size(), G_KEY_FILE_NONE, nullptr);
    return pkf;
}

// Whether a published file holds a fuel rule: a school that set none leaves
// each pilot's machine its own.
bool holdsRule(GKeyFile* pkfPub)
{
    for (const _prmValue& v : valValues())
        if (v.bRule && g_key_file_has_key(pkfPub, v.pszGroup, v.pszKey, nullptr))
            return true;
    return false;
}

// Whether the rule of pkf is other than the one published in pkfPub, where
// that holds one.
bool ruleDiffers(GKeyFile* pkf, GKeyFile* pkfPub)
{
    if (!holdsRule(pkfPub))
        return false;
    for (const _prmValue& v : valValues()) {
        if (!v.bRule)
            continue;
        g_autofree gchar* pszPub = g_key_file_get_value(pkfPub, v.pszGroup, v.pszKey, nullptr);
        g_autofree gchar* pszHere = g_key_file_get_value(pkf, v.pszGroup, v.pszKey, nullptr);
        if (g_strcmp0(pszPub, pszHere) != 0)
            return true;
    }
    const _prmValue& from = valValue(VAL_RULE_FROM);
    return !g_key_file_has_key(pkf, from.pszGroup, from.pszKey, nullptr);
}

// Takes the fuel rule the current aircraft's file publishes into pkf, with
// the school it came from; a school's rule held before goes where the file
// holds none, and a machine's own stays.
void takeRule(GKeyFile* pkf, const _schJudged& j)
{
    g_autoptr(GKeyFile) pkfPub = keyFileOf(j.strText);
    const _prmValue& from = valValue(VAL_RULE_FROM);
    const bool bRule = holdsRule(pkfPub);
    if (!bRule && !g_key_file_has_key(pkf, from.pszGroup, from.pszKey, nullptr))
        return;
    for (const _prmValue& v : valValues()) {
        if (!v.bRule)
            continue;
        if (g_autofree gchar* psz = g_key_file_get_value(pkfPub, v.pszGroup, v.pszKey, nullptr))
            g_key_file_set_value(pkf, v.pszGroup, v.pszKey, psz);
        else
            g_key_file_remove_key(pkf, v.pszGroup, v.pszKey, nullptr);
    }
    if (bRule)
        g_key_file_set_string(pkf, from.pszGroup, from.pszKey, txtOneLine(j.taken.strSchool, MOST_SCHOOL_NAME).c_str());
    else
        g_key_file_remove_key(pkf, from.pszGroup, from.pszKey, nullptr);
}

// Whether the fleet group strGroup ("" for the current aircraft) of pkf
// holds other values or items than the published file: changed here by
// hand, outside Zarv.
bool differsHere(GKeyFile* pkf, const std::string& strGroup, const _schJudged& j)
{
    g_autoptr(GKeyFile) pkfPub = keyFileOf(j.strText);
    for (const _prmValue& v : valValues()) {
        if (!v.pszAircraftKey || v.nId == VAL_PUBLISHED)
            continue;
        g_autofree gchar* pszPub = g_key_file_get_value(pkfPub, v.pszGroup, v.pszKey, nullptr);
        g_autofree gchar* pszHere = strGroup.empty()
                                        ? g_key_file_get_value(pkf, v.pszGroup, v.pszKey, nullptr)
                                        : g_key_file_get_value(pkf, strGroup.c_str(), v.pszAircraftKey, nullptr);
        if (g_strcmp0(pszPub, pszHere) != 0)
            return true;
    }
    // The rule the current aircraft's school published, changed here.
    if (strGroup.empty() && ruleDiffers(pkf, pkfPub))
        return true;
    if (const _hvcRead here = hvcRead(pkf, strGroup);
        !here.strWhy.empty() || hvcFigureText(here.charts) != hvcFigureText(hvcRead(pkfPub).charts))
        return true;
    return itmRead(pkfPub) != itmRead(pkf, strGroup) || !itmNotRead(pkf, strGroup).empty();
}

// Whether the fleet holds an aircraft of this machine's own (not taken in)
// with a registration the school publishes.
bool ownOfSameName(GKeyFile* pkf, const std::string& strRegistration)
{
    const _prmValue &reg = valValue(VAL_REGISTRATION), &pub = valValue(VAL_PUBLISHED);
    if (prmTextOf(pkf, pub.pszGroup, pub.pszKey).empty() && prmTextOf(pkf, reg.pszGroup, reg.pszKey) == strRegistration)
        return true;
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++)
        if (valAircraftNumber(ppszGroups[i]) && prmTextOf(pkf, ppszGroups[i], pub.pszAircraftKey).empty() &&
            prmTextOf(pkf, ppszGroups[i], reg.pszAircraftKey) == strRegistration)
            return true;
    return false;
}

// Whether the fleet group strGroup of pkf holds any value or item.
bool holdsAnything(GKeyFile* pkf, const std::string& strGroup)
{
    g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkf, strGroup.c_str(), nullptr, nullptr);
    for (int i = 0; ppszKeys && ppszKeys[i]; i++)
        if (!prmTextOf(pkf, strGroup.c_str(), ppszKeys[i]).empty())
            return true;
    return !itmRead(pkf, strGroup).empty() || hvcAny(hvcRead(pkf, strGroup).charts);
}

// What the aircraft kept in strGroup ("" for the current one) of pkf keeps
// of its taking in: "12 2026-12-01 v3:… Skyways", its revision, the day,
// the fingerprint of the figures taken in and the school.
struct _schKept {
    std::string strRevision, strDate, strFingerprint, strSchool;
};

_schKept keptOf(GKeyFile* pkf, const std::string& strGroup)
{
    const _prmValue& pub = valValue(VAL_PUBLISHED);
    const std::string str = strGroup.empty() ? prmTextOf(pkf, pub.pszGroup, pub.pszKey)
                                             : prmTextOf(pkf, strGroup.c_str(), pub.pszAircraftKey);
    g_auto(GStrv) ppsz = g_strsplit(str.c_str(), " ", 4);
    // One an older Zarv took in keeps no fingerprint.
    if (g_strv_length(ppsz) != 4 || valFingerprintVersion(ppsz[2]) < PRM_FINGERPRINT_WHOLE)
        return {};
    return {ppsz[0], ppsz[1], ppsz[2], ppsz[3]};
}

// Takes a published aircraft's values and items into the fleet group
// strGroup ("" for the current aircraft) of pkf, with the fingerprint of
// its figures.
void takeIn(GKeyFile* pkf, const std::string& strGroup, const _schJudged& j, const std::string& strFingerprint)
{
    g_autoptr(GKeyFile) pkfPub = keyFileOf(j.strText);
    for (const _prmValue& v : valValues()) {
        if (!v.pszAircraftKey)
            continue;
        const char* pszGroup = strGroup.empty() ? v.pszGroup : strGroup.c_str();
        const char* pszKey = strGroup.empty() ? v.pszKey : v.pszAircraftKey;
        g_autofree gchar* psz = g_key_file_get_value(pkfPub, v.pszGroup, v.pszKey, nullptr);
        if (v.nId == VAL_PUBLISHED)
            g_key_file_set_string(pkf, pszGroup, pszKey,
                                  (std::to_string(j.taken.nRevision) + " " + j.taken.strDate + " " + strFingerprint +
                                   " " + txtOneLine(j.taken.strSchool, MOST_SCHOOL_NAME))
                                      .c_str());
        else if (psz && v.nId != VAL_UNREAD_FIGURES)
            g_key_file_set_value(pkf, pszGroup, pszKey, psz);
        else
            g_key_file_remove_key(pkf, pszGroup, pszKey, nullptr);
    }
    itmWrite(pkf, itmRead(pkfPub), {}, strGroup);
    hvcCopy(pkfPub, "", pkf, strGroup);
    // The flight's legs held the items of the figures before.
    if (strGroup.empty())
        for (size_t n = 1; n < STATE_MAX_LEGS; n++)
            g_key_file_remove_key(pkf, valLegGroup(n).c_str(), VAL_KEY_LEG_FITTED, nullptr);
}

} // namespace

std::string schOwnKey(std::string* pstrWhy)
{
    return keyOwnPair(SCH_SECRET_FILE, SCH_PUBLIC_FILE, "the school's key", pstrWhy);
}

std::vector<std::string> schPublish(const std::string& strDir, bool* pbFailed)
{
    *pbFailed = false;
    std::string strWhy;
    const std::string strPublic = schOwnKey(&strWhy);
    std::string strSecret;
    if (strPublic.empty() || !readIn(wbFileSpec(SCH_SECRET_FILE), &strSecret, MOST_SIGNATURE_FILE, nullptr)) {
        *pbFailed = true;
        return {"Nothing was published: " +
                (strWhy.empty() ? wbFileSpec(SCH_SECRET_FILE) + " cannot be read" : strWhy)};
    }
    struct stat st;
    if (stat(strDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *pbFailed = true;
        return {"Nothing was published: " + strDir + " is no folder"};
    }
    std::vector<std::string> lines;
    // A folder another key publishes into is another school's: its files
    // are never replaced by this machine's.
    std::string strHeldKey;
    bool bNoKey = false;
    if (!readIn(strDir + "/" + SCH_PUBLIC_FILE, &strHeldKey, MOST_SIGNATURE_FILE, &bNoKey) && !bNoKey) {
        *pbFailed = true;
        return {"Nothing was published: " + strDir + "/" + SCH_PUBLIC_FILE +
                " is there and cannot be read as a plain file: publish into a folder of your own"};
    }
    // Keys are told apart whole: anyone can make a key with another's id.
    if (!bNoKey && sgnPublicLine(strHeldKey) != sgnPublicLine(strPublic)) {
        *pbFailed = true;
        return {"Nothing was published: " + strDir + " holds the key of another school (" + sgnKeyIdShown(strHeldKey) +
                "), not this machine's (" + sgnKeyIdShown(strPublic) + "): publish into a folder of your own"};
    }
    if (const std::string strError = writeIn(strDir + "/" + SCH_PUBLIC_FILE, strPublic); !strError.empty()) {
        *pbFailed = true;
        return {"Nothing was published: the school's public key could not be written in " + strDir + ": " + strError};
    }
    std::vector<std::string> names;
    std::map<std::string, int> index;
    for (const _fleetAircraft& a : fleetList())
        asCurrent(a.strGroup, [&] {
            lines.push_back(publishCurrent(strDir, {strSecret, strPublic}, &names, &index, pbFailed));
        });
    // Last, so that a machine that sees it finds the files it lists there.
    if (const std::string strError = publishIndex(strDir, {strSecret, strPublic}, index); !strError.empty()) {
        *pbFailed = true;
        lines.push_back(std::string("The school's index ") + SCH_INDEX_FILE + " could not be written in " + strDir +
                        ": " + strError + ": pilots' machines read the folder as an older office's");
    }
    lines.push_back("The school's key is SHA-256 " + sgnKeyDigest(strPublic) + " (minisign id " +
                    sgnKeyIdShown(strPublic) +
                    "): give pilots this whole digest by phone or on paper, never its id; they type it in School…");
    return lines;
}

std::string schPublishSigned(const std::string& strDir, const char* pszName, const std::string& strText,
                             const std::string& strTrusted)
{
    std::string strWhy;
    const std::string strPublic = schOwnKey(&strWhy);
    const std::string strSecret = strPublic.empty() ? "" : keyOwnSecret(SCH_SECRET_FILE, &strWhy);
    const std::string strSignature = strSecret.empty() ? "" : sgnSign(strText, strSecret, strTrusted);
    if (strSignature.empty())
        return strWhy.empty() ? std::string("the school's key ") + SCH_SECRET_FILE + " cannot be read" : strWhy;
    const std::string strPath = strDir + "/" + pszName;
    std::string strError = writeIn(strPath + SCH_SIGNATURE_SUFFIX, strSignature);
    if (strError.empty())
        strError = writeIn(strPath, strText);
    return strError;
}

std::string schPublishedSigned(const char* pszName, std::string* pstrWhy)
{
    const std::string strDir = prmStoredText(SCH_GROUP, SCH_KEY_PUBLISHED),
                      strKey = prmStoredText(SCH_GROUP, SCH_KEY_KEY);
    std::string strText, strSignature;
    if (strDir.empty() || strKey.empty()) {
        *pstrWhy = "no school's folder and key are set here";
        return {};
    }
    const std::string strPath = strDir + "/" + pszName;
    if (!readIn(strPath, &strText, MOST_AIRCRAFT_FILE, nullptr) ||
        !readIn(strPath + SCH_SIGNATURE_SUFFIX, &strSignature, MOST_SIGNATURE_FILE, nullptr)) {
        *pstrWhy = strPath + " or its signature cannot be read";
        return {};
    }
    if (const _sgnVerified v = sgnVerify(strText, strSignature, strKey); !v.bGood) {
        *pstrWhy = strPath + ": " + v.strWhy;
        return {};
    }
    return strText;
}

std::vector<_schTaken> schJudgeFolder(void)
{
    std::vector<_schTaken> v;
    for (const _schJudged& j : judgeFolder())
        v.push_back(j.taken);
    return v;
}

_schTakenIn schTakePublished(void)
{
    std::map<std::string, int> index;
    const std::vector<_schJudged> judged = judgeFolder(&index);
    // The index followed is remembered, so the folder is never read
    // without one again.
    const std::string strDigest = sgnKeyDigest(setting(SCH_KEY_KEY));
    std::map<std::string, int> used;
    const bool bRemember = !index.empty() && (!usedIndex(setting(SCH_KEY_KEY), &used) || used != index);
    _schTakenIn taken;
    bool bCurrent = false;
    std::vector<const _schJudged*> news;
    std::map<const _schJudged*, std::string> fingerprints;
    for (const _schJudged& j : judged) {
        if (j.taken.bUsed)
            fingerprints[&j] = publishedFingerprint(j.strText);
        if (!j.taken.strWhy.empty() && !j.taken.bUsed) {
            const std::string strText =
                j.taken.strFile == setting(SCH_KEY_PUBLISHED)
                    ? "The school's published aircraft are not used: " + j.taken.strWhy
                : j.taken.bSummary ? "In the school's folder, " + j.taken.strFile + " is refused: " + j.taken.strWhy
                                   : "The school's " + j.taken.strFile + " is refused: " + j.taken.strWhy;
            if (errFirstTime(strText))
                errPostError(("schTakePublished()\n" + strText).c_str());
            taken.refused.push_back(strText);
        } else if (const auto [strGroup, nRevision] = takenInAs(prmKeyFile(), j.taken.strRegistration);
                   j.taken.bUsed && nRevision < j.taken.nRevision) {
            news.push_back(&j);
        } else if (j.taken.bUsed && (nRevision != j.taken.nRevision || differsHere(prmKeyFile(), strGroup, j))) {
            // Its figures were changed here by hand: the school's are put back.
            const std::string strText = txtOneLine(j.taken.strRegistration, 40) +
                                        "'s figures here were not the school's revision " +
                                        std::to_string(j.taken.nRevision) + ": the school's are used again";
            errPostError(("schTakePublished()\n" + strText).c_str());
            errTellPilot(strText);
            news.push_back(&j);
        } else if (j.taken.bUsed && keptOf(prmKeyFile(), strGroup).strFingerprint != fingerprints[&j]) {
            // Taken in by a Zarv that kept no fingerprint, or the one kept
            // changed by hand: the figures are the school's, and are taken
            // in again with theirs.
            news.push_back(&j);
        }
    }
    // A pilot's own copy of the school's aircraft would be flown by mistake.
    for (const _schJudged& j : judged)
        if (j.taken.bUsed && ownOfSameName(prmKeyFile(), j.taken.strRegistration))
            taken.refused.push_back("This machine has an aircraft of its own named " +
                                    txtOneLine(j.taken.strRegistration, 40) + ": fly the school's (" +
                                    txtOneLine(j.taken.strRegistration, 40) +
                                    " published by the school), and remove this machine's own");
    if (news.empty() && !bRemember)
        return taken;
    const _prmValue& reg = valValue(VAL_REGISTRATION);
    prmEdit([&](GKeyFile* pkf) {
        std::map<std::string, int> seen = seenRevisions();
        for (const _schJudged* pj : news) {
            auto [strGroup, nRevision] = takenInAs(pkf, pj->taken.strRegistration);
            if (strGroup == "-") {
                int n = 2;
                while (g_key_file_has_group(pkf, valAircraftGroup(n).c_str()))
                    n++;
                strGroup = valAircraftGroup(n);
            }
            takeIn(pkf, strGroup, *pj, fingerprints[pj]);
            // A machine whose aircraft has no name yet (a fresh one) flies
            // the first the school published; its own stays in the fleet.
            if (!strGroup.empty() && prmTextOf(pkf, reg.pszGroup, reg.pszKey).empty()) {
                fleetSwapKeys(pkf, strGroup);
                // One that holds nothing at all is no aircraft to keep.
                if (!holdsAnything(pkf, strGroup)) {
                    g_key_file_remove_group(pkf, strGroup.c_str(), nullptr);
                    itmRemove(pkf, strGroup);
                    hvcRemove(pkf, strGroup);
                }
                strGroup.clear();
            }
            if (strGroup.empty())
                takeRule(pkf, *pj);
            bCurrent = bCurrent || strGroup.empty();
            seen[pj->taken.strRegistration] = pj->taken.nRevision;
            errPostError(("schTakePublished()\n" + pj->taken.strFile + ": revision " +
                          std::to_string(pj->taken.nRevision) + " taken in")
                             .c_str());
        }
        if (!news.empty())
            setRevisions(pkf, SCH_KEY_SEEN, {}, seen);
        if (bRemember)
            setRevisions(pkf, SCH_KEY_INDEXED, {strDigest}, index);
    });
    taken.bFleet = !news.empty();
    taken.bCurrent = bCurrent;
    return taken;
}

std::string schPublishedTextOf(const std::string& strGroup)
{
    // Only the school's signed revision is said to be the school's: taken
    // in with its fingerprint kept, from the folder with the key accepted,
    // and its figures still those. Figures edited by hand, or kept after
    // the folder or the key was taken out of Zarv.conf, are this machine's.
    const _schKept k = keptOf(prmKeyFile(), strGroup);
    if (k.strFingerprint.empty() || setting(SCH_KEY_PUBLISHED).empty() || sgnKeyId(setting(SCH_KEY_KEY)).empty())
        return "";
    std::string strFingerprint;
    const int nVersion = valFingerprintVersion(k.strFingerprint);
    if (strGroup.empty())
        strFingerprint = valFingerprint(valGetText, nVersion);
    else
        asCurrent(strGroup, [&] { strFingerprint = valFingerprint(valGetText, nVersion); });
    if (strFingerprint != k.strFingerprint)
        return "";
    return txtEscaped("published by " + k.strSchool + ", revision " + k.strRevision + ", " + k.strDate);
}

std::string schPublishedText(void)
{
    return schPublishedTextOf("");
}

std::string schRuleSchool(void)
{
    if (setting(SCH_KEY_PUBLISHED).empty())
        return "";
    return valGetText(VAL_RULE_FROM);
}

_schPublications schPublications(void)
{
    _schPublications log;
    const std::string strPath = wbFileSpec(SCH_PUBLISHED_FILE);
    std::string strData;
    uid_t nOwner = 0;
    g_autoptr(GError) pErr = nullptr;
    if (!prmReadFile(strPath, &strData, &pErr, &nOwner, MOST_LOG_FILE)) {
        if (!g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT))
            log.strWhy = strPath + " cannot be read: " + (pErr ? pErr->message : "");
        return log;
    }
    // What the office published decides which sheets it trusts: another
    // user who could write it could add figures of their own.
    struct stat st;
    if (nOwner != geteuid() || lstat(strPath.c_str(), &st) != 0 || (st.st_mode & 0022)) {
        log.strWhy = strPath + " is not this user's own, or others may write it: its revisions are not trusted";
        return log;
    }
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    if (!g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, nullptr)) {
        log.strWhy = strPath + " is not as Zarv writes it";
        return log;
    }
    for (const std::string& str : prmTextListOf(pkf, LOG_GROUP, LOG_KEY)) {
        _schPublication p;
        if (!readPublication(str, &p)) {
            log.strWhy = strPath + " holds a line Zarv does not write: " + txtOneLine(str, 80);
            return log;
        }
        log.revisions.push_back(p);
    }
    return log;
}

std::string schNotPublished(const std::vector<_schPublication>& published, const std::string& strRegistration,
                            const std::string& strTime, const std::string& strFingerprint)
{
    // A registration that only looks like one the school publishes would
    // pass for its aircraft on a sheet, whatever figures it was flown on.
    const auto exact = [&](const _schPublication& p) { return p.strRegistration == strRegistration; };
    if (std::none_of(published.begin(), published.end(), exact)) {
        const std::string strRead = txtAsRead(strRegistration);
        for (const _schPublication& p : published)
            if (!strRead.empty() && txtAsRead(p.strRegistration) == strRead)
                return "registration \u201c" + strRegistration + "\u201d reads as " + p.strRegistration +
                       ", which the school publishes: not its figures";
        return "";
    }
    g_autoptr(GDateTime) pdtFlown = timeOf(strTime);
    const int nVersion = valFingerprintVersion(strFingerprint);
    const std::string strShown = nVersion ? strFingerprint : txtOneLine(strFingerprint, 80);
    const std::string strNone =
        "fingerprint " + strShown + " is not of a revision the school published for " + txtOneLine(strRegistration, 40);
    if (nVersion && nVersion < PRM_FINGERPRINT_WHOLE) {
        // An earlier Zarv's sheets, older than all the office remembers,
        // were flown on revisions it may never have heard of.
        for (const _schPublication& p : published) {
            g_autoptr(GDateTime) pdtFrom = timeOf(p.strFrom);
            if (exact(p) && pdtFrom && (!pdtFlown || g_date_time_compare(pdtFrom, pdtFlown) <= 0))
                return strNone + " (an older kind, eight digits, cannot tell)";
        }
        return "";
    }
    // A whole fingerprint is written only by a Zarv that remembers what it
    // publishes: its sheet is of a revision remembered, whenever it says it
    // was flown, and of one still current then. A day allows for a machine
    // that had not yet synced the revision that replaced it.
    if (!pdtFlown)
        return "its time cannot be read: which revision of " + txtOneLine(strRegistration, 40) +
               " it was flown on cannot be told";
    std::string strSuperseded;
    for (const _schPublication& p : published) {
        g_autoptr(GDateTime) pdtFrom = timeOf(p.strFrom);
        if (!exact(p) || p.strFingerprint != strFingerprint || !pdtFrom || g_date_time_compare(pdtFrom, pdtFlown) > 0)
            continue;
        const _schPublication* pNext = nullptr;
        g_autoptr(GDateTime) pdtNext = nullptr;
        for (const _schPublication& q : published) {
            g_autoptr(GDateTime) pdt = timeOf(q.strFrom);
            if (exact(q) && pdt && g_date_time_compare(pdt, pdtFrom) > 0 &&
                (!pdtNext || g_date_time_compare(pdt, pdtNext) < 0)) {
                pNext = &q;
                g_clear_pointer(&pdtNext, g_date_time_unref);
                pdtNext = g_date_time_ref(pdt);
            }
        }
        g_autoptr(GDateTime) pdtStale = pdtNext ? g_date_time_add_days(pdtNext, 1) : nullptr;
        if (!pdtStale || g_date_time_compare(pdtFlown, pdtStale) <= 0)
            return "";
        g_autofree gchar* pszDay = g_date_time_format(pdtNext, "%Y-%m-%d");
        strSuperseded = "flown on revision " + std::to_string(p.nRevision) + " of " + txtOneLine(strRegistration, 40) +
                        ", superseded by revision " + std::to_string(pNext->nRevision) + " on " + pszDay;
    }
    return strSuperseded.empty() ? strNone : strSuperseded;
}
