// Checking the record of load sheets against the calculation: each line's
// inputs go into the state the pages work on, and the same calculation and
// judgement as theirs say what the sheet should have said; the chain of the
// lines, a line for every sheet filed beside them and every line's sheet
// there as filed, say that none was changed, removed or moved; and what the
// last check remembered, that none of the last was removed.
#include "store/record/audit.h"

#include "model/synced.h"
#include "model/texts.h"
#include "model/words.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/record/enrol.h"
#include "store/record/filing.h"
#include "store/record/record.h"
#include "store/school/roster.h"
#include "store/school/school.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int EXIT_ALL_MATCH = 0;
constexpr int EXIT_SOME_DIFFER = 1;
constexpr int EXIT_UNREADABLE = 2;

// Calls line(text, number, torn) for each line of the file open as fd, a
// line at a time: a line longer than any record is passed on cut to that
// length, so memory stays bounded whatever the file holds. False where a
// read fails.
bool eachLine(int fd, const std::function<void(const std::string&, int, bool)>& line)
{
    std::string strLine;
    bool bLong = false;
    int nLine = 1;
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        for (const char* p = buf; p < buf + n;) {
            const char* pEnd = static_cast<const char*>(memchr(p, '\n', static_cast<size_t>(buf + n - p)));
            const char* pStop = pEnd ? pEnd : buf + n;
            if (!bLong)
                strLine.append(p, static_cast<size_t>(pStop - p));
            if (strLine.size() > REC_MAX_LINE) {
                strLine.resize(REC_MAX_LINE + 1);
                bLong = true;
            }
            if (!pEnd)
                break;
            line(strLine, nLine++, false);
            strLine.clear();
            bLong = false;
            p = pEnd + 1;
        }
    }
    if (!strLine.empty() || bLong)
        line(strLine, nLine, true);
    return true;
}

// The sheets filed in the folder open as fdDir: regular files named as Zarv
// names them; or, bEvery, every regular file not hidden.
std::vector<std::string> filedSheets(int fdDir, bool bEvery = false, std::vector<std::string>* pOdd = nullptr)
{
    std::vector<std::string> names;
    const int fd = dup(fdDir);
    DIR* pDir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!pDir) {
        if (fd >= 0)
            close(fd);
        return names;
    }
    while (const struct dirent* pEnt = readdir(pDir)) {
        struct stat st;
        if (*pEnt->d_name == '.' || !(bEvery || g_str_has_suffix(pEnt->d_name, ".pdf")))
            continue;
        if (fstatat(dirfd(pDir), pEnt->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            names.push_back(pEnt->d_name);
        else if (pOdd)
            pOdd->push_back(pEnt->d_name);
    }
    closedir(pDir);
    return names;
}

// The hash of the record's line that a filed sheet's PDF names in its
// keywords ("" for a sheet an older Zarv filed, or no such file), and
// *pstrSha256 the SHA-256 of all its bytes ("" where it cannot be read):
// read in pieces, never through a link or from anything but a plain file.
std::string sheetHash(int fdDir, const std::string& strName, std::string* pstrSha256)
{
    pstrSha256->clear();
    const int fd = openat(fdDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0)
        return {};
    // Larger than any sheet Zarv files (a file with holes can claim any
    // size): not read at all, so never the one its line filed.
    constexpr off_t SHEET_MOST = 16 << 20;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > SHEET_MOST) {
        close(fd);
        return {};
    }
    const std::string strMark = std::string("/Keywords (") + REC_PDF_KEYWORD;
    constexpr size_t HASH_DIGITS = 64;
    std::string strWindow, strHash;
    g_autoptr(GChecksum) pSum = g_checksum_new(G_CHECKSUM_SHA256);
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR)) {
        if (n < 0)
            continue;
        g_checksum_update(pSum, reinterpret_cast<const guchar*>(buf), n);
        if (!strHash.empty())
            continue;
        strWindow.append(buf, static_cast<size_t>(n));
        if (const size_t nAt = strWindow.find(strMark);
            nAt != std::string::npos && strWindow.size() >= nAt + strMark.size() + HASH_DIGITS)
            strHash = strWindow.substr(nAt + strMark.size(), HASH_DIGITS);
        else if (nAt == std::string::npos && strWindow.size() > strMark.size() + HASH_DIGITS)
            strWindow.erase(0, strWindow.size() - strMark.size() - HASH_DIGITS);
    }
    if (n == 0)
        *pstrSha256 = g_checksum_get_string(pSum);
    close(fd);
    return strHash;
}

// A filed sheet's name without its number and ".pdf": "G-ZARV 2026-12-01
// 1000 (2).pdf" is "G-ZARV 2026-12-01 1000".
std::string sheetStem(std::string str)
{
    if (g_str_has_suffix(str.c_str(), ".pdf"))
        str.resize(str.size() - 4);
    if (const size_t nAt = str.rfind(" (");
        nAt != std::string::npos && str.back() == ')' && str.find_first_not_of("0123456789", nAt + 2) == str.size() - 1)
        str.resize(nAt);
    return str;
}

// Whether what lies at fd is the user's own and no one else may change it.
bool ownOnly(int fd, struct stat* pst)
{
    return fstat(fd, pst) == 0 && pst->st_uid == geteuid() && !(pst->st_mode & 0022);
}

// What a line's legs should have said, recomputed from its own values as
// the window judges a flight: each leg with its own texts not read, a leg
// whose fuel is as landed taking what the leg before landed with; each
// difference, a leg's named by its number.
std::vector<std::string> legDifferences(const _recEntry& e, const _wbSetup& setup)
{
    std::vector<_wbLoadState> legs = {e.load};
    valTakeUnreadTexts(e.unread, 0);
    for (const _recLeg& l : e.legs) {
        valTakeUnreadTexts(l.unread, legs.size());
        legs.push_back(l.load);
    }
    stateSettle(legs);
    std::vector<_wbFlight> flights = legJudge(setup, legs, e.strLegsNotRead);
    if (!e.bValuesJudged)
        flights.front().doubts.clear();
    const _legVerdict v = legVerdict(setup, flights, legs);
    const std::vector<_wbFuelNeed>& needs = v.needs;
    std::vector<std::string> diffs = recDifferences(e.outputs, recFlightOutputsOf(flights, v));
    for (size_t n = 1; n < legs.size(); n++) {
        // The fuel of a leg as landed is no value of its own.
        if (legs[n].nFuelVolume != e.legs[n - 1].load.nFuelVolume)
            diffs.push_back("leg " + std::to_string(n + 1) + " fuel, as the leg before landed: recorded " +
                            recNumberText(e.legs[n - 1].load.nFuelVolume) + " recomputed " +
                            recNumberText(legs[n].nFuelVolume));
        // Nor is its take-off site, where the leg before landed: the line's
        // own would stand unchecked beside the one its hover was judged at.
        for (const _prmValueId nId : {VAL_FROM_ELEVATION, VAL_FROM_QNH, VAL_FROM_OAT}) {
            const _prmValue& site = valValue(nId);
            const double nWas = valFieldValue(site, setup, e.legs[n - 1].load),
                         nNow = valFieldValue(site, setup, legs[n]);
            if (!(nWas == nNow || (std::isnan(nWas) && std::isnan(nNow))))
                diffs.push_back("leg " + std::to_string(n + 1) + " " + site.pszWhat + ", where leg " +
                                std::to_string(n) + " landed: recorded " + recNumberText(nWas) + " recomputed " +
                                recNumberText(nNow));
        }
        _recOutputs now = recOutputsOf(flights[n], "");
        now.need = needs[n];
        now.hover = v.hover[n];
        const std::vector<std::string> leg = recDifferences(e.legs[n - 1].outputs, now, n);
        diffs.insert(diffs.end(), leg.begin(), leg.end());
    }
    return diffs;
}

// A sheet flown on figures this office never published for its aircraft,
// where it publishes that aircraft (or one whose registration reads as
// it): its fingerprint is none of the revisions it published, or of one
// superseded well before the sheet's time (schNotPublished says which).
std::vector<std::string> notPublished(const _recRead& r)
{
    const _schPublications published = schPublications();
    if (!published.strWhy.empty())
        return {"the revisions this office published cannot be told: " + published.strWhy};
    const std::string str =
        schNotPublished(published.revisions, r.entry.strRegistration, r.entry.strTime, r.entry.strFingerprint);
    return str.empty() ? std::vector<std::string>{} : std::vector<std::string>{str};
}

// What a line's sheet should have said and its fingerprint, recomputed;
// each difference.
std::vector<std::string> recomputed(const _recRead& r)
{
    _wbSetup setup = calcWithFixedArms(r.entry.setup);
    // What Zarv.conf held decides what could not be judged; the
    // calculation takes the density in use from it all the same.
    setup.nFuelDensity = r.entry.storedDensity.value_or(setup.nFuelDensity);
    std::vector<std::string> diffs = legDifferences(r.entry, setup);
    // The fingerprint ties the sheet to the aircraft's figures: it must be
    // the one of the figures the line holds, as Zarv.conf held them; a
    // line an older Zarv wrote is checked by its own fingerprint's list.
    setup.nWeighingMonths = r.entry.storedMonths.value_or(setup.nWeighingMonths);
    const int nVersion = valFingerprintVersion(r.entry.strFingerprint);
    const std::string strFingerprint = nVersion == 0 ? "none: not a fingerprint this Zarv knows"
                                                     : valFingerprint(
                                                           [&r](_prmValueId nId) {
                                                               return nId == VAL_REGISTRATION  ? r.entry.strRegistration
                                                                      : nId == VAL_WEIGHED     ? r.entry.strWeighed
                                                                      : nId == VAL_COPIED_FROM ? r.entry.strCopiedFrom
                                                                                               : std::string();
                                                           },
                                                           nVersion, setup);
    if (strFingerprint != r.entry.strFingerprint)
        diffs.push_back("fingerprint: recorded " + r.entry.strFingerprint + " recomputed " + strFingerprint);
    // The revision of the charts the sheet printed is the one of the charts
    // the line holds, and a sheet that judged any hover printed one.
    bool bJudged = r.entry.outputs.hover.takeOff.bShown || r.entry.outputs.hover.landing.bShown;
    for (const _recLeg& l : r.entry.legs)
        bJudged = bJudged || l.outputs.hover.takeOff.bShown || l.outputs.hover.landing.bShown;
    if (const std::string strRevision = bJudged ? valHoverFingerprint(setup.hover) : "";
        r.entry.strHoverRevision != strRevision)
        diffs.push_back("hover charts' revision: recorded " +
                        (r.entry.strHoverRevision.empty() ? "none" : r.entry.strHoverRevision) + " recomputed " +
                        (strRevision.empty() ? "none" : strRevision));
    const std::vector<std::string> unpublished = notPublished(r);
    diffs.insert(diffs.end(), unpublished.begin(), unpublished.end());
    return diffs;
}

// A chained line's filed sheet: its name, where the line is and its time,
// the hash of the line's content the sheet carries (as it is now, and as
// the line says it was written) and, where the line keeps it, the sheet's
// SHA-256; whether the line already differs, and whether its sheet is there.
struct _audLineSheet {
    std::string strSheet, strWhere, strTime, strHash, strWrittenHash, strSha256;
    bool bDiffers = false, bFound = false;
    std::string strMachine; // its record: the machine ("local" for Record.jsonl) and number
    long long nSequence = 0;
};

// A record as the office's memory keeps it, each part of a fixed form:
// the chain its line left (64 hex digits; "" where it left none), the day
// it was first checked ("2026-12-07"; "" until it is kept) and its line's
// time in UTC ("20261207T143500Z"; "" where its time is none Zarv writes).
// Nothing a line holds is kept as it was given, so no line can swell it.
struct _audRemembered {
    std::string strChain, strFirstChecked, strTime;
};
using _audRecords = std::map<long long, _audRemembered>; // by number

// What the lines read so far said: how many sheets, how many differ, the
// chain so far, and the filed sheets the lines account for.
struct _audRecordTally {
    long long nSheets = 0, nDiffer = 0; // as many as the folder's names make
    std::string strChainOf;             // what the next line continues from
    bool bChainStarted = false;
    bool bCheckChain = true;               // false where the line before it is not there
    std::map<std::string, int> named;      // the filed sheets' names lines without a chain imply
    std::vector<_audLineSheet> lineSheets; // the sheets chained lines name
    // Each machine's records checked ("local" for Record.jsonl, numbered
    // by line), the day first checked left for the memory to give.
    std::map<std::string, _audRecords> checked;
    std::map<std::string, int> contents;      // the hashes of the lines' contents
    std::map<std::string, std::string> times; // the time of each line, by its content's hash
    // What the office's memory holds, by machine, and whether there is
    // one; and the first line of Record.jsonl that kept its sheet's SHA-256.
    std::map<std::string, _audRecords> remembered;
    bool bRemembers = false;
    long long nLocalSha256From = 0;
    bool bLocalSha256 = false;
    // The roster acceptances are checked by: the office's own, else the one
    // the school published to this machine; none outside a school.
    _rosRoster roster;
    bool bRoster = false;
    // Outside a school no roster is read, and why is said with the first
    // acceptance met: its key then says only who held it.
    std::string strNoRoster;
};

std::string audKeptFrom(const _audRecordTally& t, const std::string& strMachine, long long nSequence,
                        const std::string& strTime);
void audAgainstRemembered(const _audRecordTally& t, const std::string& strMachine, long long nSequence,
                          const _recRead& r, std::vector<std::string>* pDiffs);
std::string audUtcTime(const std::string& strTime);

// The roster the acceptances are checked by, said once: the office's own
// list where it keeps one, else the school's as published here.
void audLoadRoster(_audRecordTally* pt)
{
    std::string strWhy;
    bool bSchool = false;
    if (rosOfficeList(&pt->roster, &strWhy) && !pt->roster.entries.empty()) {
        pt->bRoster = true;
        g_print("acceptances are checked by the office's roster (%s): %zu keys\n", ROS_FILE, pt->roster.entries.size());
    } else if (!strWhy.empty())
        g_print("acceptances are not checked by a roster: %s\n", strWhy.c_str());
    else if (rosInUse(&pt->roster, &strWhy, &bSchool))
        pt->bRoster = true;
    else if (bSchool)
        g_print("acceptances are not checked by a roster: %s\n", strWhy.c_str());
    else
        pt->strNoRoster = strWhy;
}

// Why each acceptance of a line does not stand: its signature and what it
// signed, the roster's word on its key at its time, and the flight itself,
// which must be within and accepted when its sheet was printed.
void audCheckAcceptances(const _audRecordTally& t, const _recRead& r, std::vector<std::string>* pDiffs)
{
    // Names come from the line and the roster, anyone's words: each said as
    // one line of text, no control reaching the terminal.
    const auto say = [pDiffs](const std::string& str) { pDiffs->push_back(txtOneLine(str, 4000)); };
    for (const _recAcceptance& a : r.accepted) {
        const std::string strWho = "the " + a.strCapacity + "'s acceptance";
        if (const std::string strWhy = recAcceptanceWhy(r, a); !strWhy.empty()) {
            say(strWhy);
            continue;
        }
        if (t.bRoster)
            if (const std::string strWhy = rosKeyWhy(t.roster, a.strName, a.strCapacity, a.strKey, a.strTime);
                !strWhy.empty())
                say(strWho + " is not the roster's: " + strWhy);
        if (!r.entry.outputs.bWithin)
            say(strWho + " is of a flight not within limits, which no one may accept");
        // The commander accepts as the pilot in command the sheet names.
        if (a.strCapacity == REC_COMMANDER && a.strName != r.entry.strPilot)
            say(strWho + " is by " + a.strName + ", not by the sheet's pilot in command (" +
                (r.entry.strPilot.empty() ? std::string("none named") : r.entry.strPilot) + ")");
        g_autoptr(GDateTime) pdtLine = g_date_time_new_from_iso8601(r.entry.strTime.c_str(), nullptr);
        g_autoptr(GDateTime) pdtAccepted = g_date_time_new_from_iso8601(a.strTime.c_str(), nullptr);
        // Signed while its print dialog was open: not before the sheet's
        // time, nor long after.
        const GTimeSpan nAfter = pdtLine && pdtAccepted ? g_date_time_difference(pdtAccepted, pdtLine) : 0;
        if (!pdtLine || !pdtAccepted || nAfter < -60 * G_TIME_SPAN_SECOND || nAfter > 12 * G_TIME_SPAN_HOUR)
            say(strWho + " was signed at " + a.strTime + ", not while its sheet was printed");
    }
}

// Checks one line of the record against a fresh calculation and the chain,
// printing each difference, where it is ("line 3", or a record file's
// name) first.
void audCheckRecordLine(_audRecordTally* pt, const _recRead& r, const std::string& strWhere)
{
    if (r.bTorn) {
        // The last write cut short (a full disk, a crash): no sheet's
        // whole record, and the pilot was told of it then.
        g_print("%s: %s\n", strWhere.c_str(), r.strError.c_str());
        return;
    }
    pt->nSheets++;
    if (!r.strError.empty()) {
        g_print("%s: %s\n", strWhere.c_str(), r.strError.c_str());
        pt->nDiffer++;
        return;
    }
    std::vector<std::string> diffs = recomputed(r);
    if (!r.accepted.empty() && !pt->strNoRoster.empty()) {
        g_print("acceptances are not checked by a roster: %s: a key says only who held it\n", pt->strNoRoster.c_str());
        pt->strNoRoster.clear();
    }
    audCheckAcceptances(*pt, r, &diffs);
    const bool bLocal = r.place.strMachine.empty();
    const long long nSequence = bLocal ? r.nLine : r.place.nSequence;
    audAgainstRemembered(*pt, bLocal ? "local" : r.place.strMachine, nSequence, r, &diffs);
    pt->contents[r.strContentHash]++;
    pt->times.emplace(r.strContentHash,
                      audKeptFrom(*pt, bLocal ? "local" : r.place.strMachine, nSequence, r.entry.strTime));
    if (r.bChained) {
        if (!r.bHashMatches)
            diffs.push_back("changed since it was written: its content is not the one its hash was taken of");
        if (pt->bCheckChain &&
            r.strChain != recChain(pt->strChainOf, r.strHash, r.strSheet, r.place, r.strSheetSha256, r.strAccepted))
            diffs.push_back("the chain is broken: a line before it was changed, removed or moved, or this one");
        pt->bChainStarted = true;
    } else {
        if (pt->bChainStarted)
            diffs.push_back("no chain, after lines with one: written outside Zarv, or its chain removed");
        // Every Zarv that records legs chains its lines.
        if (!r.entry.legs.empty() || !r.entry.strLegsNotRead.empty())
            diffs.push_back("legs, with no chain: written outside Zarv, or its chain removed");
        // An older Zarv named the sheet by the time it printed it.
        g_autoptr(GDateTime) pdt = g_date_time_new_from_iso8601(r.entry.strTime.c_str(), nullptr);
        if (pdt)
            pt->named[filSheetName(r.entry.strRegistration, g_date_time_to_unix(pdt))]++;
    }
    pt->strChainOf = r.strChainOf;
    // A line that files its sheet keeps the sheet's SHA-256 where its Zarv
    // does: every line of a record file, and in Record.jsonl every one after
    // the first that did.
    if (r.bChained && !r.strSheet.empty() && r.strSheetSha256.empty() &&
        (!bLocal || pt->bLocalSha256 || (pt->nLocalSha256From > 0 && nSequence >= pt->nLocalSha256From)))
        diffs.push_back("its sheet's SHA-256 is not there, as Zarv writes it: written outside Zarv, or taken out");
    if (bLocal && !r.strSheetSha256.empty() && !pt->bLocalSha256) {
        pt->bLocalSha256 = true;
        pt->nLocalSha256From = pt->nLocalSha256From > 0 ? std::min(pt->nLocalSha256From, nSequence) : nSequence;
    }
    // A line with no sheet filed ("") had none kept: the pilot was told.
    if (r.bChained && !r.strSheet.empty())
        pt->lineSheets.push_back({r.strSheet, strWhere, r.entry.strTime, r.strContentHash, r.strHash, r.strSheetSha256,
                                  !diffs.empty(), false, bLocal ? "local" : r.place.strMachine, nSequence});
    // A time that is none is said as such, never printed as it was given.
    const std::string strTime = audUtcTime(r.entry.strTime).empty() ? "(no time)" : r.entry.strTime;
    for (const std::string& str : diffs)
        g_print("%s, %s: %s\n", strWhere.c_str(), strTime.c_str(), str.c_str());
    pt->nDiffer += diffs.empty() ? 0 : 1;
}

// Every sheet filed has its line: one deleted or changed, or the record
// emptied or cut, leaves a sheet without. A sheet names its line's hash;
// one an older Zarv filed names none, and is matched by its name to a line
// without a chain. A sheet a chained line names must carry that line's
// hash and, where the line keeps it, its bytes' SHA-256; and it must be
// there, unless its line is older than nKeepMonths months (then it is in
// *pRemoved, with the line's time). Prints each sheet without a line, each
// not the one filed and each missing, which its line counts as not
// matching; returns how many are without a line. *pHashes has the hash
// each sheet names.
long long audCheckSheets(int fdDir, const std::vector<std::string>& sheets, _audRecordTally* pt, int nKeepMonths,
                         std::map<std::string, std::string>* pHashes,
                         std::vector<std::pair<std::string, std::string>>* pRemoved)
{
    std::map<std::string, std::vector<_audLineSheet*>> byName;
    for (_audLineSheet& l : pt->lineSheets)
        byName[l.strSheet].push_back(&l);
    const auto differs = [pt](_audLineSheet* pl) {
        pt->nDiffer += pl->bDiffers ? 0 : 1;
        pl->bDiffers = true;
    };
    // The sheets lines name first, so that another with the same content
    // never takes their lines.
    std::vector<std::string> others;
    for (const std::string& strSheet : sheets) {
        std::string strSha256;
        const std::string strHash = sheetHash(fdDir, strSheet, &strSha256);
        (*pHashes)[strSheet] = strHash;
        const auto it = byName.find(strSheet);
        bool bOther = it == byName.end();
        for (_audLineSheet* pl : bOther ? std::vector<_audLineSheet*>{} : it->second) {
            pl->bFound = true;
            const bool bBytes = pl->strSha256.empty() || strSha256 == pl->strSha256;
            if (bBytes && strHash == pl->strHash)
                pt->contents[strHash]--;
            else if (bBytes && strHash == pl->strWrittenHash)
                bOther = true; // its line was changed since, which it says: the sheet has no line
            else {
                g_print("%s: its content is not the sheet filed with its line (%s)\n", strSheet.c_str(),
                        pl->strWhere.c_str());
                differs(pl);
            }
        }
        if (bOther)
            others.push_back(strSheet);
    }
    long long nUnlined = 0;
    for (const std::string& strSheet : others) {
        const std::string strHash = (*pHashes)[strSheet];
        const bool bLined = !strHash.empty() ? pt->contents[strHash]-- > 0 : pt->named[sheetStem(strSheet)]-- > 0;
        if (!bLined) {
            g_print("%s: filed, with no line in the record\n", strSheet.c_str());
            nUnlined++;
        }
    }
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, time(nullptr));
    for (_audLineSheet& l : pt->lineSheets)
        if (l.bFound)
            continue;
        else if (synOlderThan(audKeptFrom(*pt, l.strMachine, l.nSequence, l.strTime), today, nKeepMonths))
            pRemoved->emplace_back(l.strSheet, l.strTime);
        else {
            g_print("%s: its filed sheet %s is missing\n", l.strWhere.c_str(), l.strSheet.c_str());
            differs(&l);
        }
    return nUnlined;
}

// "older than 3 months, may be removed: NAME" for each, by name; one
// already removed (*pRemoved) says so.
void audPrintOlder(std::vector<std::pair<std::string, std::string>> times, const std::vector<std::string>& removed,
                   int nKeepMonths)
{
    std::sort(times.begin(), times.end());
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, time(nullptr));
    for (const auto& [strName, strTime] : times)
        if (synOlderThan(strTime, today, nKeepMonths))
            g_print("older than %d month%s, may be removed: %s%s\n", nKeepMonths, nKeepMonths == 1 ? "" : "s",
                    strName.c_str(),
                    std::find(removed.begin(), removed.end(), strName) != removed.end() ? " (already removed)" : "");
}

// The office's memory of what it checked, a key file in the etc directory:
// a group for each machine ("local" for Record.jsonl) with each record
// checked ("Records": its number, the chain its line left, the day it was
// first checked and its line's time in UTC), and for Record.jsonl the
// first line that kept its sheet's SHA-256; closed by the SHA-256 of all
// before it, so an edit not made by this check is told. It keeps every
// record here, every one gone and not yet past the months kept, and of
// those past them the last before the first kept, whose chain the first
// here continues. It is written by this check alone and read back only as
// written, or as the Zarv before it wrote it: anything else there is an
// error, never a fresh start.
constexpr const char* CHECK_FILE = "Record check.conf";
constexpr const char* CHECK_LOCAL = "local";
constexpr const char* CHECK_SUM = "[Sum]\nSHA256=";
constexpr size_t CHECK_HASH_DIGITS = 64;
// A record's number as a file's name can make it: at most 15 digits.
constexpr size_t CHECK_SEQUENCE_DIGITS = 15;
// The records it keeps in all; beyond them a machine's oldest are let go,
// said, and counted as a failure at every check until they are past the
// months kept. Each record is at most "N CHAIN DAY TIME;", and a group of
// its own at most "[local]\nSha256From=N\nRecords=\n", so the file stays
// under CHECK_MOST, the most it reads.
constexpr size_t CHECK_RECORDS_MOST = 20000;
constexpr size_t CHECK_ENTRY_MOST = 15 + 1 + CHECK_HASH_DIGITS + 1 + 10 + 1 + 16 + 1;
constexpr size_t CHECK_GROUP_MOST = 1 + SYN_ID_DIGITS + 2 + 11 + 15 + 1 + 9;
constexpr size_t CHECK_MOST = CHECK_RECORDS_MOST * (CHECK_ENTRY_MOST + CHECK_GROUP_MOST) + 1024;
static_assert(CHECK_MOST < 4 << 20, "the office's memory is read whole");

std::string todayText(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_local();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%d");
    return psz;
}

bool audIsDigits(const std::string& str, size_t nMost)
{
    return !str.empty() && str.size() <= nMost && str.find_first_not_of("0123456789") == std::string::npos;
}

// A chain as the memory keeps it: 64 lower-case hex digits, else "".
std::string audChainKept(const std::string& str)
{
    return str.size() == CHECK_HASH_DIGITS && str.find_first_not_of("0123456789abcdef") == std::string::npos ? str : "";
}

// A line's time in UTC ("20261207T143500Z"); "" where it is no ISO 8601
// time with its zone of a length Zarv writes.
std::string audUtcTime(const std::string& strTime)
{
    constexpr size_t TIME_MOST = 40; // "2026-12-08T23:10:05.123456+01:00" and room
    if (strTime.empty() || strTime.size() > TIME_MOST || strTime.find('\0') != std::string::npos)
        return {};
    g_autoptr(GDateTime) pdt = g_date_time_new_from_iso8601(strTime.c_str(), nullptr);
    g_autoptr(GDateTime) pdtUtc = pdt ? g_date_time_to_utc(pdt) : nullptr;
    g_autofree gchar* psz = pdtUtc ? g_date_time_format(pdtUtc, "%Y%m%dT%H%M%SZ") : nullptr;
    return psz && strlen(psz) == 16 ? psz : "";
}

// "2026-12-07" of "20261207T143500Z", "" of "".
std::string audDayOf(const std::string& strUtc)
{
    return strUtc.empty() ? "" : strUtc.substr(0, 4) + "-" + strUtc.substr(4, 2) + "-" + strUtc.substr(6, 2);
}

// A day as the memory keeps it, "2026-12-09".
bool audIsDay(const std::string& str)
{
    return str.size() == 10 && audDayOf(audUtcTime(str + "T00:00:00Z")) == str;
}

bool audIsMachineGroup(const std::string& str)
{
    return str.size() == SYN_ID_DIGITS && str.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// A record of the memory from its text "N CHAIN DAY TIME" ("-" for a
// chain or time that is none); false where any part is not of its form.
bool audReadRemembered(const std::string& str, long long* pnSequence, _audRemembered* pr)
{
    g_auto(GStrv) parts = g_strsplit(str.c_str(), " ", 5);
    if (g_strv_length(parts) != 4 || !audIsDigits(parts[0], CHECK_SEQUENCE_DIGITS))
        return false;
    *pnSequence = g_ascii_strtoll(parts[0], nullptr, 10);
    const std::string strChain = parts[1], strDay = parts[2], strTime = parts[3];
    pr->strChain = strChain == "-" ? "" : audChainKept(strChain);
    pr->strFirstChecked = strDay;
    pr->strTime = strTime == "-" ? "" : strTime;
    return *pnSequence >= 1 && (strChain == "-" || !pr->strChain.empty()) && audIsDay(strDay) &&
           (strTime == "-" || (audUtcTime(strTime) == strTime && strTime.size() == 16));
}

std::string audRememberedText(long long nSequence, const _audRemembered& r)
{
    return std::to_string(nSequence) + " " + (r.strChain.empty() ? "-" : r.strChain) + " " + r.strFirstChecked + " " +
           (r.strTime.empty() ? "-" : r.strTime);
}

// Why the memory's text is not what this check writes, or "".
std::string audReadMemoryText(const std::string& strData, _audRecordTally* pt)
{
    const size_t nSum = strData.rfind(CHECK_SUM);
    if (nSum == std::string::npos || strData.size() != nSum + strlen(CHECK_SUM) + CHECK_HASH_DIGITS + 1 ||
        strData.back() != '\n')
        return "it does not end in the sum this check writes";
    g_autofree gchar* pszSum =
        g_compute_checksum_for_data(G_CHECKSUM_SHA256, reinterpret_cast<const guchar*>(strData.data()), nSum);
    if (strData.compare(nSum + strlen(CHECK_SUM), CHECK_HASH_DIGITS, pszSum) != 0)
        return "it was changed since this check wrote it: its sum is not of what it holds";
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    if (!g_key_file_load_from_data(pkf, strData.data(), nSum, G_KEY_FILE_NONE, nullptr))
        return "it is not a key file";
    size_t nRecords = 0;
    g_auto(GStrv) groups = g_key_file_get_groups(pkf, nullptr);
    for (gchar** pp = groups; *pp; pp++) {
        const std::string strGroup = *pp;
        const bool bLocal = strGroup == CHECK_LOCAL;
        if (!bLocal && !audIsMachineGroup(strGroup))
            return "a group is not a machine's id";
        g_auto(GStrv) keys = g_key_file_get_keys(pkf, *pp, nullptr, nullptr);
        for (gchar** pk = keys; *pk; pk++) {
            const std::string strKey = *pk;
            g_autofree gchar* pszValue = g_key_file_get_value(pkf, *pp, *pk, nullptr);
            const std::string strValue = pszValue ? pszValue : "";
            if (bLocal && strKey == "Sha256From" && audIsDigits(strValue, CHECK_SEQUENCE_DIGITS))
                pt->nLocalSha256From = g_ascii_strtoll(strValue.c_str(), nullptr, 10);
            else if (strKey != "Records")
                return "[" + strGroup + "] " + strKey + " is not a key it writes, or not of its form";
        }
        g_auto(GStrv) records = g_key_file_get_string_list(pkf, *pp, "Records", nullptr, nullptr);
        for (gchar** pr = records; pr && *pr; pr++) {
            long long nSequence = 0;
            _audRemembered r;
            if (++nRecords > CHECK_RECORDS_MOST)
                return "it holds more records than this check keeps";
            if (!audReadRemembered(*pr, &nSequence, &r) || pt->remembered[strGroup].count(nSequence))
                return "a record of [" + strGroup + "] is not of the form this check writes";
            pt->remembered[strGroup][nSequence] = r;
        }
    }
    return {};
}

// The memory as the Zarv before the sum wrote it, a key file of the same
// name with no [Sum]: for each machine its records checked ("Records",
// each "N DAY TIME": its number, the day it was first checked and its
// line's time as the line gave it, or the day of that check where the line
// gave none), the last it checked ("Sequence") with the chain its line left
// ("Chain") and that check's day ("Checked"), and for [local]
// "Sha256From". What it proved is carried on rather than thrown away: each
// record with its day and time, its chain unknown but the last's. The
// check then writes it in its own form, so this is read once.

// A record of the older memory from its text "N DAY TIME"; false where any
// part is not of the form that Zarv wrote.
bool audReadOlderRemembered(const std::string& str, long long* pnSequence, _audRemembered* pr)
{
    g_auto(GStrv) parts = g_strsplit(str.c_str(), " ", 4);
    if (g_strv_length(parts) != 3 || !audIsDigits(parts[0], CHECK_SEQUENCE_DIGITS) || !audIsDay(parts[1]))
        return false;
    *pnSequence = g_ascii_strtoll(parts[0], nullptr, 10);
    pr->strFirstChecked = parts[1];
    pr->strTime = audIsDay(parts[2]) ? "" : audUtcTime(parts[2]);
    return *pnSequence >= 1 && (audIsDay(parts[2]) || !pr->strTime.empty());
}

// Why the memory's text is not what the older Zarv wrote, or "". It must
// be exactly that: what it says, written again as that Zarv wrote it,
// gives the same text, so no key, comment or spelling of a value it never
// wrote gets in.
std::string audReadOlderMemoryText(const std::string& strData, _audRecordTally* pt)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    if (!g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, nullptr))
        return "it is not a key file";
    g_autoptr(GKeyFile) pkfAgain = g_key_file_new();
    size_t nRecords = 0;
    g_auto(GStrv) groups = g_key_file_get_groups(pkf, nullptr);
    for (gchar** pp = groups; *pp; pp++) {
        const std::string strGroup = *pp;
        const bool bLocal = strGroup == CHECK_LOCAL;
        if (!bLocal && !audIsMachineGroup(strGroup))
            return "a group is not a machine's id";
        gsize nCount = 0;
        g_auto(GStrv) records = g_key_file_get_string_list(pkf, *pp, "Records", &nCount, nullptr);
        g_autofree gchar* pszSequence = g_key_file_get_value(pkf, *pp, "Sequence", nullptr);
        g_autofree gchar* pszChain = g_key_file_get_string(pkf, *pp, "Chain", nullptr);
        g_autofree gchar* pszChecked = g_key_file_get_string(pkf, *pp, "Checked", nullptr);
        g_autofree gchar* pszFrom = bLocal ? g_key_file_get_value(pkf, *pp, "Sha256From", nullptr) : nullptr;
        const std::string strChain = pszChain ? pszChain : "", strChecked = pszChecked ? pszChecked : "";
        if (nCount == 0 || !pszSequence || !audIsDigits(pszSequence, CHECK_SEQUENCE_DIGITS) || !pszChain ||
            (!strChain.empty() && audChainKept(strChain).empty()) || !pszChecked ||
            (!strChecked.empty() && !audIsDay(strChecked)) || (pszFrom && !audIsDigits(pszFrom, CHECK_SEQUENCE_DIGITS)))
            return "[" + strGroup + "] does not hold the keys an older Zarv wrote, each of its form";
        _audRecords& remembered = pt->remembered[strGroup];
        for (gchar** pr = records; *pr; pr++) {
            long long nSequence = 0;
            _audRemembered r;
            if (++nRecords > CHECK_RECORDS_MOST)
                return "it holds more records than this check keeps";
            if (!audReadOlderRemembered(*pr, &nSequence, &r) || remembered.count(nSequence))
                return "a record of [" + strGroup + "] is not of the form an older Zarv wrote";
            remembered[nSequence] = r;
        }
        // Of a last checked that is no longer among its records (past the
        // months kept) the older memory kept no day it was first checked:
        // its chain is let go, rather than kept under a day it never had.
        const long long nLast = g_ascii_strtoll(pszSequence, nullptr, 10);
        if (const auto it = remembered.find(nLast); it != remembered.end())
            it->second.strChain = strChain;
        if (pszFrom)
            pt->nLocalSha256From = g_ascii_strtoll(pszFrom, nullptr, 10);
        g_key_file_set_string_list(pkfAgain, *pp, "Records", records, nCount);
        g_key_file_set_int64(pkfAgain, *pp, "Sequence", nLast);
        g_key_file_set_string(pkfAgain, *pp, "Chain", pszChain);
        g_key_file_set_string(pkfAgain, *pp, "Checked", pszChecked);
        if (pszFrom)
            g_key_file_set_int64(pkfAgain, *pp, "Sha256From", pt->nLocalSha256From);
    }
    gsize nLength = 0;
    g_autofree gchar* pszAgain = g_key_file_to_data(pkfAgain, &nLength, nullptr);
    if (std::string_view(pszAgain, nLength) != strData)
        return "it is neither what this check writes nor exactly what an older Zarv wrote";
    return {};
}

// Reads the office's memory into *pt, as this check wrote it (or, once, as
// the older Zarv did): a plain file of the user's own that no one else may
// change, never through a link, no larger than it writes, every value of
// its form and its sum whole. False,
// said on standard error, where it is there and is not; none there is the
// first check.
bool audLoadRemembered(_audRecordTally* pt)
{
    const std::string strPath = wbFileSpec(CHECK_FILE);
    const int fd = open(strPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return true;
    struct stat st;
    std::string strData, strWhy;
    bool bOlder = false;
    if (fd < 0)
        strWhy = errno == ELOOP ? "it is a link" : g_strerror(errno);
    else if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        strWhy = "it is not a plain file";
    else if (!ownOnly(fd, &st))
        strWhy = "it is not yours, or others may change it";
    else if (static_cast<size_t>(st.st_size) > CHECK_MOST)
        strWhy = "it is larger than any this check writes";
    else {
        strData.assign(static_cast<size_t>(st.st_size), '\0');
        if (read(fd, strData.data(), strData.size()) != st.st_size)
            strWhy = "it cannot be read whole";
        // The older Zarv wrote its memory with no sum, and none of its
        // values can spell the sum's group.
        else if ((bOlder = strData.find("[Sum]") == std::string::npos))
            strWhy = audReadOlderMemoryText(strData, pt);
        else
            strWhy = audReadMemoryText(strData, pt);
    }
    if (fd >= 0)
        close(fd);
    if (strWhy.empty() && bOlder)
        g_print("%s: the memory of an older Zarv, carried on\n", CHECK_FILE);
    if (strWhy.empty())
        return pt->bRemembers = true;
    g_printerr("zarv: the office's memory of what it checked, %s, cannot be trusted: %s. Nothing is checked and it "
               "is left as it is; to start the memory afresh, knowing that what it held is no longer compared, move "
               "it away\n",
               strPath.c_str(), strWhy.c_str());
    return false;
}

const _audRemembered* audRememberedOf(const _audRecordTally& t, const std::string& strMachine, long long nSequence)
{
    const auto it = t.remembered.find(strMachine);
    if (it == t.remembered.end())
        return nullptr;
    const auto jt = it->second.find(nSequence);
    return jt == it->second.end() ? nullptr : &jt->second;
}

// When a record's time counts from for the months kept: its line's day,
// or the day the office first checked it where that is later, so that a
// clock set back never makes a sheet old enough to remove.
std::string audKeptFrom(const _audRecordTally& t, const std::string& strMachine, long long nSequence,
                        const std::string& strTime)
{
    const _audRemembered* pr = audRememberedOf(t, strMachine, nSequence);
    return std::max(audDayOf(audUtcTime(strTime)), pr ? pr->strFirstChecked : todayText());
}

// What the chain of a machine's first record here continues from: the
// chain the office kept of the one before it, "" where it kept none.
std::string audChainBefore(const _audRecordTally& t, const std::string& strMachine, long long nSequence)
{
    const _audRemembered* pr = audRememberedOf(t, strMachine, nSequence - 1);
    return pr ? pr->strChain : "";
}

void audAgainstRemembered(const _audRecordTally& t, const std::string& strMachine, long long nSequence,
                          const _recRead& r, std::vector<std::string>* pDiffs)
{
    if (audUtcTime(r.entry.strTime).empty())
        pDiffs->push_back("its time is not an ISO 8601 time with its zone, as Zarv writes it");
    // A record an older Zarv's memory kept without its chain has none to
    // compare: it is taken as it is now, once.
    if (const _audRemembered* pr = audRememberedOf(t, strMachine, nSequence);
        pr && !pr->strChain.empty() && pr->strChain != audChainKept(r.strChainOf))
        pDiffs->push_back("changed since it was checked on " + pr->strFirstChecked +
                          ": its chain is not the one checked then");
}

// Each record of Record.jsonl read: the chain its line leaves, by its
// number (a last line cut short is none yet).
std::string audNotEnrolled(const std::vector<_enrMachine>& machines, const _recRead& r, const _synRecordFile& f,
                           const _audRecordTally& t, std::string* pstrNote);

// In a school's shared folder (machines given), a line of Record.jsonl is
// no enrolled machine's: it stands only as a record the office checked
// before the school enrolled any.
void audCheckPlainLine(_audRecordTally* pt, const std::string& strLine, int nLine, bool bTorn,
                       const std::vector<_enrMachine>* pMachines = nullptr)
{
    _recRead r = recReadLine(strLine, nLine, bTorn);
    const std::string strWhere = "line " + std::to_string(nLine);
    std::string strNote;
    if (pMachines && !bTorn && r.strError.empty())
        r.strError = audNotEnrolled(*pMachines, r, {REC_FILE_NAME + std::string(" ") + strWhere, CHECK_LOCAL, nLine},
                                    *pt, &strNote);
    if (!strNote.empty())
        g_print("%s\n", strNote.c_str());
    audCheckRecordLine(pt, r, strWhere);
    if (!bTorn && !(pMachines && !r.strError.empty()))
        pt->checked[CHECK_LOCAL][nLine] = {audChainKept(r.strChainOf), "", audUtcTime(r.entry.strTime)};
}

// "records 5 to 7" of numbers in order, each run of them.
std::string audRuns(const std::vector<long long>& numbers, const std::string& strWhat)
{
    std::string str;
    for (size_t n = 0; n < numbers.size();) {
        size_t m = n;
        while (m + 1 < numbers.size() && numbers[m + 1] == numbers[m] + 1)
            m++;
        str += (str.empty() ? "" : ", ") +
               (m == n ? strWhat + " " + std::to_string(numbers[n])
                       : strWhat + "s " + std::to_string(numbers[n]) + " to " + std::to_string(numbers[m]));
        n = m + 1;
    }
    return str;
}

// Each machine's records after the last the office checked before its
// first here, and before that first: never checked, and not here. Said at
// every check until the first here is past the months kept (the school's
// to remove, and all before it), and the note that they may have been
// removed as old dropped from *pNotes; returns how many.
long long audUncheckedGone(const _audRecordTally& t, const _synOrdering& order, int nKeepMonths,
                           std::vector<std::string>* pNotes)
{
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, time(nullptr));
    long long nGone = 0;
    for (const _synMachine& m : order.machines) {
        const long long nFirst = m.files.front().nSequence;
        const auto it = t.remembered.find(m.strMachine);
        const auto itBefore = it == t.remembered.end() ? _audRecords::const_iterator() : it->second.lower_bound(nFirst);
        if (it == t.remembered.end() || itBefore == it->second.begin())
            continue;
        const auto& [nLast, last] = *std::prev(itBefore);
        const _audRemembered* pFirst = audRememberedOf(t, m.strMachine, nFirst);
        // A first here that does not stand (not its machine's, or no
        // record) has no time to go by: today's.
        std::string strFirstTime;
        if (const auto itHere = t.checked.find(m.strMachine); itHere != t.checked.end())
            if (const auto itFirst = itHere->second.find(nFirst); itFirst != itHere->second.end())
                strFirstTime = itFirst->second.strTime;
        if (nFirst == nLast + 1 ||
            synOlderThan(std::max(audDayOf(strFirstTime), pFirst ? pFirst->strFirstChecked : todayText()), today,
                         nKeepMonths))
            continue;
        const std::string strWhich = nFirst - nLast == 2
                                         ? "record " + std::to_string(nLast + 1)
                                         : "records " + std::to_string(nLast + 1) + " to " + std::to_string(nFirst - 1);
        g_print("machine %s: %s, after the last checked before the first here (%lld, on %s), %s missing\n",
                m.strMachine.c_str(), strWhich.c_str(), nLast, last.strFirstChecked.c_str(),
                nFirst - nLast > 2 ? "are" : "is");
        nGone += nFirst - nLast - 1;
        const std::string strNote = "machine " + m.strMachine + ": ";
        std::erase_if(*pNotes, [&strNote](const std::string& str) { return str.starts_with(strNote); });
    }
    return nGone;
}

// Each enrolled machine's records before its first here, where the office
// remembers none of its records: a machine numbers its records from 1 with
// a key of its own, so those were never checked and are not here, however
// old. Said, and the note that they may have been removed as old dropped
// from *pNotes; returns how many.
long long audNeverChecked(const _audRecordTally& t, const _synOrdering& order, const std::vector<_enrMachine>& machines,
                          std::vector<std::string>* pNotes)
{
    long long nGone = 0;
    for (const _synMachine& m : order.machines) {
        const long long nFirst = m.files.front().nSequence;
        if (nFirst <= 1 || t.remembered.count(m.strMachine) ||
            std::none_of(machines.begin(), machines.end(),
                         [&m](const _enrMachine& e) { return e.strId == m.strMachine; }))
            continue;
        g_print("machine %s: %s, never checked by the office, %s not here\n", m.strMachine.c_str(),
                (nFirst == 2 ? "record 1" : "records 1 to " + std::to_string(nFirst - 1)).c_str(),
                nFirst == 2 ? "is" : "are");
        nGone += nFirst - 1;
        const std::string strNote = "machine " + m.strMachine + ": ";
        std::erase_if(*pNotes, [&strNote](const std::string& str) { return str.starts_with(strNote); });
    }
    return nGone;
}

// A machine's records as the memory keeps them after this check: every one
// here, with the day it was first checked; every one it remembered that is
// gone and not past the months kept (a loss, said in *pGone); and of those
// past them, the last before the first kept, whose chain the first here
// continues.
_audRecords audKeep(const _audRecords& here, const _audRecords& was, const GDate& today, int nKeepMonths,
                    const std::string& strToday, std::vector<long long>* pGone, std::string* pstrGoneDay)
{
    _audRecords kept;
    for (const auto& [nSequence, r] : here) {
        const auto it = was.find(nSequence);
        // A record changed since it was checked keeps what was checked, so
        // the change is said at every check until the record is put back.
        if (it != was.end() && !it->second.strChain.empty() && it->second.strChain != r.strChain)
            kept[nSequence] = it->second;
        else
            kept[nSequence] = {r.strChain, it == was.end() ? strToday : it->second.strFirstChecked, r.strTime};
    }
    std::optional<long long> last;
    for (const auto& [nSequence, r] : was) {
        if (here.count(nSequence))
            continue;
        if (synOlderThan(std::max(audDayOf(r.strTime), r.strFirstChecked), today, nKeepMonths)) {
            if (here.empty() || nSequence < here.begin()->first)
                last = nSequence;
            continue;
        }
        kept[nSequence] = r; // still to be said, at this check and the next
        if (here.empty() || nSequence < here.begin()->first || nSequence > here.rbegin()->first) {
            pGone->push_back(nSequence);
            *pstrGoneDay = r.strFirstChecked;
        }
    }
    if (last && (kept.empty() || *last < kept.begin()->first))
        kept[*last] = was.at(*last);
    return kept;
}

// Lets go of the oldest records of the machines that keep the most, so all
// fit in CHECK_RECORDS_MOST; says which, and returns how many.
long long audLetGo(std::map<std::string, _audRecords>* pKept)
{
    const auto total = [pKept](size_t nEach) {
        size_t n = 0;
        for (const auto& [strMachine, records] : *pKept)
            n += std::min(records.size(), nEach);
        return n;
    };
    if (total(SIZE_MAX) <= CHECK_RECORDS_MOST)
        return 0;
    size_t nLow = 0, nHigh = CHECK_RECORDS_MOST; // the most each machine keeps
    while (nLow < nHigh)
        if (const size_t nMid = (nLow + nHigh + 1) / 2; total(nMid) <= CHECK_RECORDS_MOST)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    long long nLetGo = 0;
    for (auto& [strMachine, records] : *pKept) {
        if (records.size() <= nLow)
            continue;
        const size_t nDrop = records.size() - nLow;
        const long long nFirst = records.begin()->first;
        const long long nLast = std::next(records.begin(), static_cast<long>(nDrop - 1))->first;
        g_print("%s: %zu checked records, %lld to %lld, are more than the office's memory keeps (%zu in all, %zu a "
                "machine now): were they removed or changed, no later check could tell\n",
                strMachine == CHECK_LOCAL ? REC_FILE_NAME : ("machine " + strMachine).c_str(), nDrop, nFirst, nLast,
                CHECK_RECORDS_MOST, nLow);
        records.erase(records.begin(), std::next(records.begin(), static_cast<long>(nDrop)));
        nLetGo += static_cast<long long>(nDrop);
    }
    return nLetGo;
}

// What the memory held against what is here: each machine's records it
// checked that are gone (before the first here or after the last; gaps
// between are said as missing), printed; then what it keeps is written
// whole. A loss is kept, and said at every check, until the records are
// back or are past the months kept. Returns how many records are gone, and
// *pnLetGo how many it could not keep.
long long audRememberChecked(const _audRecordTally& t, int nKeepMonths, long long* pnLetGo)
{
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_time_t(&today, time(nullptr));
    const std::string strToday = todayText();
    std::set<std::string> machines;
    for (const auto& [strMachine, records] : t.remembered)
        machines.insert(strMachine);
    for (const auto& [strMachine, records] : t.checked)
        machines.insert(strMachine);
    std::map<std::string, _audRecords> kept;
    long long nGone = 0;
    for (const std::string& strMachine : machines) {
        static const _audRecords NONE;
        const auto itHere = t.checked.find(strMachine);
        const auto itWas = t.remembered.find(strMachine);
        std::vector<long long> gone;
        std::string strGoneDay;
        kept[strMachine] = audKeep(itHere == t.checked.end() ? NONE : itHere->second,
                                   itWas == t.remembered.end() ? NONE : itWas->second, today, nKeepMonths, strToday,
                                   &gone, &strGoneDay);
        if (!gone.empty()) {
            const bool bLocal = strMachine == CHECK_LOCAL;
            g_print("%s: %s, checked on %s, %s gone\n", bLocal ? REC_FILE_NAME : ("machine " + strMachine).c_str(),
                    audRuns(gone, bLocal ? "line" : "record").c_str(), strGoneDay.c_str(),
                    gone.size() == 1 ? "is" : "are");
            nGone += static_cast<long long>(gone.size());
        }
    }
    *pnLetGo = audLetGo(&kept);
    std::string strText = "# What zarv --verify-record checked, written by it alone: a copy changed by anyone else "
                          "is refused\n";
    for (const auto& [strMachine, records] : kept) {
        if (records.empty())
            continue;
        strText += "\n[" + strMachine + "]\n";
        strText += "Records=";
        for (const auto& [nSequence, r] : records)
            strText += audRememberedText(nSequence, r) + ";";
        strText += "\n";
        if (strMachine == CHECK_LOCAL && t.nLocalSha256From > 0)
            strText += "Sha256From=" + std::to_string(t.nLocalSha256From) + "\n";
    }
    strText += "\n";
    g_autofree gchar* pszSum = g_compute_checksum_for_string(G_CHECKSUM_SHA256, strText.c_str(), strText.size());
    strText += std::string(CHECK_SUM) + pszSum + "\n";
    const std::string strPath = wbFileSpec(CHECK_FILE);
    if (t.bRemembers || !kept.empty())
        if (const int nErr = prmReplaceFile(strPath, strText, 0600))
            g_printerr("zarv: what was checked could not be kept in %s: %s\n", strPath.c_str(), g_strerror(nErr));
    return nGone;
}

// The last line: how many sheets, and how many do not match; in a shared
// folder also the record files missing and the conflict copies.
void audPrintRecordSummary(long long nSheets, long long nDiffer, long long nUnlined, long long nGone, long long nLetGo,
                           long long nMissing = 0, long long nConflicts = 0)
{
    std::string str = std::to_string(nSheets) + (nSheets == 1 ? " sheet" : " sheets");
    if (nDiffer == 0 && nUnlined == 0 && nGone == 0 && nLetGo == 0 && nMissing == 0 && nConflicts == 0)
        str += ", all match";
    else
        str += ", " + std::to_string(nDiffer) + (nDiffer == 1 ? " does" : " do") + " not match";
    if (nUnlined)
        str += ", " + std::to_string(nUnlined) + " filed without a line";
    if (nMissing)
        str += ", " + std::to_string(nMissing) + (nMissing == 1 ? " record file" : " record files") + " missing";
    if (nConflicts)
        str += ", " + std::to_string(nConflicts) + (nConflicts == 1 ? " conflict copy" : " conflict copies");
    if (nGone)
        str += ", " + std::to_string(nGone) + (nGone == 1 ? " checked record" : " checked records") + " gone";
    if (nLetGo)
        str += ", " + std::to_string(nLetGo) + (nLetGo == 1 ? " checked record" : " checked records") +
               " more than the memory keeps";
    g_print("%s\n", str.c_str());
}

// The text of a file of the folder open as fdDir, read as the record is:
// never through a link, a plain file of the user's own, and no longer than
// nMost; false with *pstrWhy where it cannot be.
bool audReadOwnFile(int fdDir, const std::string& strName, size_t nMost, std::string* pstrText, std::string* pstrWhy)
{
    const int fd = openat(fdDir, strName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd < 0)
        *pstrWhy = errno == ELOOP ? "it is a link, not a record itself" : g_strerror(errno);
    else if (!ownOnly(fd, &st) || !S_ISREG(st.st_mode))
        *pstrWhy = !S_ISREG(st.st_mode) ? "it is not a plain file" : "others may change it, or it is not yours";
    else if (static_cast<size_t>(st.st_size) > nMost)
        *pstrWhy = "not a record: longer than any record";
    else {
        pstrText->assign(static_cast<size_t>(st.st_size), '\0');
        if (read(fd, pstrText->data(), pstrText->size()) != st.st_size)
            *pstrWhy = g_strerror(errno ? errno : EIO);
        else
            pstrWhy->clear();
    }
    if (fd >= 0)
        close(fd);
    return fd >= 0 && pstrWhy->empty();
}

// Why the record at fd (errno nErr where it could not be opened) is not
// read: "" where it is a plain file of the user's own.
std::string audWhyNotRecord(int fd, int nErr)
{
    struct stat st;
    return fd < 0 && nErr == ELOOP ? "it is a link, not the record itself"
           : fd < 0                ? g_strerror(nErr)
           : fstat(fd, &st) != 0   ? g_strerror(errno)
           : S_ISDIR(st.st_mode)   ? "it is a folder"
           : !S_ISREG(st.st_mode)  ? "it is not a plain file"
           : !ownOnly(fd, &st)     ? "others may change it, or it is not yours"
                                   : "";
}

// The files of a shared folder as the check takes them: sheets, each
// machine's record files, Record.jsonl, and what is none of these.
struct _audSharedFiles {
    std::vector<std::string> sheets, conflicts, unnamed;
    std::vector<std::string> odd; // a sheet's or a record file's name on what is no plain file
    std::vector<_synRecordFile> records;
    bool bPlainRecord = false;
};

_audSharedFiles audSharedFiles(int fdDir)
{
    _audSharedFiles files;
    std::vector<std::string> others;
    for (const std::string& str : filedSheets(fdDir, true, &others)) {
        _synRecordName name;
        if (synIsConflictCopy(str))
            files.conflicts.push_back(str);
        else if (str == REC_FILE_NAME)
            files.bPlainRecord = true;
        else if (g_str_has_suffix(str.c_str(), ".pdf"))
            files.sheets.push_back(str);
        else if (synReadRecordName(str, &name))
            files.records.push_back({str, name.strMachine, name.nSequence});
        else if (g_str_has_prefix(str.c_str(), SYN_RECORD_PREFIX) && g_str_has_suffix(str.c_str(), SYN_RECORD_SUFFIX))
            files.unnamed.push_back(str);
    }
    for (const std::string& str : others) {
        _synRecordName name;
        if (str != REC_FILE_NAME && (g_str_has_suffix(str.c_str(), ".pdf") || synReadRecordName(str, &name)))
            files.odd.push_back(str);
    }
    // Whatever is there by the record's name, so a link or a pipe is refused by name.
    struct stat st;
    files.bPlainRecord = fstatat(fdDir, REC_FILE_NAME, &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
    return files;
}

// Why a record file is not its machine's as the school enrolled it: signed
// by a machine not enrolled, with a key not its machine's, or after its
// machine was revoked; or, where the school enrols its machines, not signed
// at all, unless the office checked it before it enrolled any (then
// *pstrNote says so). "" where it stands.
std::string audNotEnrolled(const std::vector<_enrMachine>& machines, const _recRead& r, const _synRecordFile& f,
                           const _audRecordTally& t, std::string* pstrNote)
{
    const auto it =
        std::find_if(machines.begin(), machines.end(), [&](const _enrMachine& m) { return m.strId == f.strMachine; });
    if (r.strSignature.empty()) {
        if (machines.empty())
            return "";
        std::string strFirstEnrolled = machines.front().strEnrolled;
        for (const _enrMachine& m : machines)
            strFirstEnrolled = std::min(strFirstEnrolled, m.strEnrolled);
        std::string strChecked;
        if (const auto jt = t.remembered.find(f.strMachine); jt != t.remembered.end())
            if (const auto kt = jt->second.find(f.nSequence); kt != jt->second.end())
                strChecked = kt->second.strFirstChecked;
        // Times compared in UTC, whatever zone each was written in.
        const std::string strEnrolledUtc = audUtcTime(strFirstEnrolled), strLineUtc = audUtcTime(r.entry.strTime);
        // Checked on a day before the first enrolment: on that day itself a
        // record put in after the enrolment could have been checked too.
        if (!strChecked.empty() && !strLineUtc.empty() && strChecked < audDayOf(strEnrolledUtc) &&
            strLineUtc < strEnrolledUtc) {
            *pstrNote = f.strName + ": unsigned: written before the school enrolled its machines";
            return "";
        }
        return "unsigned, and not checked before the school enrolled its machines: no enrolled machine wrote it";
    }
    if (it == machines.end())
        return "signed by machine " + f.strMachine +
               ", which the school has not enrolled (zarv --machines lists the machines asking to join)";
    if (!sgnVerifyLine(recSignedTextOf(r), r.strSignature, it->strKey))
        return "its signature does not verify with the key of machine " + f.strMachine +
               ": that machine did not write it, or it was changed since";
    if (!it->strRevoked.empty() && f.nSequence > it->nUpTo)
        return "written by machine " + f.strMachine + " after it was revoked on " + it->strRevoked +
               " (its records stand up to number " + std::to_string(it->nUpTo) + ")";
    return "";
}

// Checks each machine's record files in the order of their sequence, each
// chained to the one before where that is there, and each its enrolled
// machine's.
void audCheckRecordFiles(int fdDir, const _synOrdering& order, const std::vector<_enrMachine>& machines,
                         _audRecordTally* pt, std::vector<std::pair<std::string, std::string>>* pTimes)
{
    for (const _synMachine& machine : order.machines)
        for (size_t n = 0; n < machine.files.size(); n++) {
            const _synRecordFile& f = machine.files[n];
            // The first here goes on from the chain the office kept of the
            // one before it, pruned since, so a first rewritten is told.
            if (n == 0)
                pt->strChainOf = audChainBefore(*pt, f.strMachine, f.nSequence);
            pt->bCheckChain = synFollows(machine, n) || (n == 0 && !pt->strChainOf.empty());
            pt->bChainStarted = true; // every line of a record file is chained
            std::string strText, strWhy;
            _recRead r;
            if (!audReadOwnFile(fdDir, f.strName, REC_MAX_LINE + 1, &strText, &strWhy))
                r.strError = strWhy;
            else if (const std::vector<_recRead> lines = recReadText(strText); lines.size() != 1)
                r.strError = "not a record file: it holds " + std::to_string(lines.size()) + " lines, not one";
            else
                r = lines.front();
            // A file written whole has no line cut short: it was damaged.
            if (r.bTorn)
                r.bTorn = false, r.strError = "not a record file: " + r.strError;
            if (r.strError.empty() && (r.place.strMachine != f.strMachine || r.place.nSequence != f.nSequence))
                r.strError = "its line is not the one its name says: record " + std::to_string(r.place.nSequence) +
                             " of machine " + (r.place.strMachine.empty() ? "none" : r.place.strMachine);
            const bool bRecord = r.strError.empty();
            std::string strNote;
            if (bRecord)
                r.strError = audNotEnrolled(machines, r, f, *pt, &strNote);
            if (!strNote.empty())
                g_print("%s\n", strNote.c_str());
            const bool bStands = bRecord && r.strError.empty();
            audCheckRecordLine(pt, r, f.strName);
            if (bStands)
                pTimes->emplace_back(f.strName, audKeptFrom(*pt, f.strMachine, f.nSequence, r.entry.strTime));
            // Only a record of a machine the school stands by is remembered
            // as checked: files named at will neither fill the memory nor
            // are taken, at a later check, as checked before.
            if (bStands)
                pt->checked[f.strMachine][f.nSequence] = {audChainKept(r.strChainOf), "", audUtcTime(r.entry.strTime)};
        }
}

// "zarv --verify-record" of a folder several machines share: Record.jsonl
// where there is one, then every machine's record files, then every sheet
// filed; the notes and the summary, then what is older than the sheets are
// kept.
int audVerifyShared(int fdDir, const std::string& strFolder, int nKeepMonths)
{
    const _audSharedFiles files = audSharedFiles(fdDir);
    std::vector<_enrMachine> machines;
    std::string strWhy;
    if (!enrList(&machines, &strWhy)) {
        g_printerr("zarv: the school's enrolled machines cannot be read: %s\n", strWhy.c_str());
        return EXIT_UNREADABLE;
    }
    // A pilot's machine, which enrols none, checks by the machines the
    // school published, signed with its key.
    if (machines.empty() && !prmStoredText(SCH_GROUP, SCH_KEY_PUBLISHED).empty()) {
        const std::string strText = schPublishedSigned(SCH_MACHINES_FILE, &strWhy);
        if (strText.empty() || !enrReadListText(strText, &machines, &strWhy))
            g_print("the school's list of its machines is not used: %s\n", strWhy.c_str());
        else
            g_print("the machines as the school published them (%s): %zu\n", SCH_MACHINES_FILE, machines.size());
    }
    _audRecordTally tally;
    if (!audLoadRemembered(&tally))
        return EXIT_UNREADABLE;
    audLoadRoster(&tally);
    for (const std::string& str : files.conflicts)
        g_print("%s: a sync tool's conflict copy, never used as a record: keep the file it copies, then remove it\n",
                str.c_str());
    for (const std::string& str : files.unnamed)
        g_print("%s: not a name Zarv gives a record file: not used\n", str.c_str());
    for (const std::string& str : files.odd)
        g_print("%s: not a plain file (a link, a pipe or a folder): never read as a sheet or a record\n", str.c_str());
    tally.nDiffer += static_cast<long long>(files.unnamed.size() + files.odd.size());
    if (files.bPlainRecord) {
        const int fd = openat(fdDir, REC_FILE_NAME, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        std::string strNotRead = audWhyNotRecord(fd, errno);
        if (strNotRead.empty() && !eachLine(fd, [&tally, &machines](const std::string& strLine, int nLine, bool bTorn) {
                audCheckPlainLine(&tally, strLine, nLine, bTorn, &machines);
            }))
            strNotRead = g_strerror(errno);
        if (fd >= 0)
            close(fd);
        if (!strNotRead.empty()) {
            g_printerr("zarv: the record of load sheets %s/%s cannot be read: %s\n", strFolder.c_str(), REC_FILE_NAME,
                       strNotRead.c_str());
            return EXIT_UNREADABLE;
        }
    }
    const _synOrdering order = synOrder(files.records);
    for (const std::string& str : order.problems)
        g_print("%s\n", str.c_str());
    std::vector<std::pair<std::string, std::string>> times; // each file's time
    audCheckRecordFiles(fdDir, order, machines, &tally, &times);
    std::vector<std::string> notes = order.notes;
    const long long nMissing = order.nMissing + audUncheckedGone(tally, order, nKeepMonths, &notes) +
                               audNeverChecked(tally, order, machines, &notes);
    tally.nDiffer += order.nTwice;
    std::map<std::string, std::string> hashes;
    std::vector<std::pair<std::string, std::string>> removed; // sheets gone past the months kept
    const long long nUnlined = audCheckSheets(fdDir, files.sheets, &tally, nKeepMonths, &hashes, &removed);
    for (const std::string& str : notes)
        g_print("%s\n", str.c_str());
    long long nLetGo = 0;
    const long long nGone = audRememberChecked(tally, nKeepMonths, &nLetGo);
    const long long nConflicts = static_cast<long long>(files.conflicts.size());
    audPrintRecordSummary(tally.nSheets, tally.nDiffer, nUnlined, nGone, nLetGo, nMissing, nConflicts);

    // What may be removed: a sheet by its line's time, else by when it was
    // written; nothing is removed here.
    for (const std::string& strSheet : files.sheets) {
        const auto it = tally.times.find(hashes[strSheet]);
        struct stat st;
        if (it != tally.times.end())
            times.emplace_back(strSheet, it->second);
        else if (fstatat(fdDir, strSheet.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_local(st.st_mtime);
            g_autofree gchar* pszDay = pdt ? g_date_time_format(pdt, "%Y-%m-%d") : nullptr;
            times.emplace_back(strSheet, pszDay ? pszDay : "");
        }
    }
    std::vector<std::string> removedNames;
    for (const auto& [strSheet, strTime] : removed)
        times.emplace_back(strSheet, strTime), removedNames.push_back(strSheet);
    audPrintOlder(times, removedNames, nKeepMonths);
    return tally.nDiffer || nUnlined || nGone || nLetGo || nMissing || nConflicts ? EXIT_SOME_DIFFER : EXIT_ALL_MATCH;
}

// No folder, or no record and no sheet in it: nothing filed, unless what
// the last check remembered is gone.
int audNoneFiled(int nKeepMonths)
{
    _audRecordTally tally;
    if (!audLoadRemembered(&tally))
        return EXIT_UNREADABLE;
    long long nLetGo = 0;
    const long long nGone = audRememberChecked(tally, nKeepMonths, &nLetGo);
    if (nGone == 0 && nLetGo == 0)
        g_print("0 sheets, none filed\n");
    else
        audPrintRecordSummary(0, 0, 0, nGone, nLetGo);
    return nGone || nLetGo ? EXIT_SOME_DIFFER : EXIT_ALL_MATCH;
}

} // namespace

long long audLastChecked(const std::string& strMachine)
{
    _audRecordTally tally;
    if (!audLoadRemembered(&tally))
        return -1;
    const auto it = tally.remembered.find(strMachine);
    return it == tally.remembered.end() || it->second.empty() ? 0 : it->second.rbegin()->first;
}

int audVerifyRecord(const char* pszEtcDir)
{
    // The verdict's figures in the locale the window writes them in.
    setlocale(LC_ALL, "");
    if (pszEtcDir)
        wbSetEtcDir(pszEtcDir);
    else
        wbLocateEtcDir();
    const _filShared shared = filShared();
    const std::string strFolder = filSheetsFolder();
    const std::string strFile = strFolder + "/" + REC_FILE_NAME;
    // The folder and the record as the window takes them: never through a
    // link, the user's own, and changed by no one else; a record that is no
    // plain file (a pipe that would never end) is refused by name.
    struct stat st;
    const int fdDir = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fdDir < 0 && errno == ENOENT)
        return audNoneFiled(shared.nKeepMonths);
    if (fdDir < 0 || !ownOnly(fdDir, &st)) {
        g_printerr("zarv: %s is not a folder of your own that only you may change%s\n", strFolder.c_str(),
                   fdDir < 0 && (errno == ELOOP || errno == ENOTDIR) ? ": it is a link or a file" : "");
        if (fdDir >= 0)
            close(fdDir);
        return EXIT_UNREADABLE;
    }
    if (!shared.strFolder.empty()) {
        const int nStatus = audVerifyShared(fdDir, strFolder, shared.nKeepMonths);
        close(fdDir);
        return nStatus;
    }
    const std::vector<std::string> sheets = filedSheets(fdDir);
    const int fd = openat(fdDir, REC_FILE_NAME, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && sheets.empty()) {
        close(fdDir);
        return audNoneFiled(shared.nKeepMonths);
    }
    _audRecordTally tally;
    if (const std::string strWhy = audWhyNotRecord(fd, errno); !strWhy.empty() || !audLoadRemembered(&tally)) {
        if (!strWhy.empty())
            g_printerr("zarv: the record of load sheets %s cannot be read: %s\n", strFile.c_str(), strWhy.c_str());
        if (fd >= 0)
            close(fd);
        close(fdDir);
        return EXIT_UNREADABLE;
    }
    audLoadRoster(&tally);
    const bool bRead = eachLine(fd, [&tally](const std::string& strLine, int nLine, bool bTorn) {
        audCheckPlainLine(&tally, strLine, nLine, bTorn);
    });
    close(fd);
    if (!bRead) {
        close(fdDir);
        g_printerr("zarv: the record of load sheets %s cannot be read: %s\n", strFile.c_str(), g_strerror(errno));
        return EXIT_UNREADABLE;
    }
    std::map<std::string, std::string> hashes;
    std::vector<std::pair<std::string, std::string>> removed;
    const long long nUnlined = audCheckSheets(fdDir, sheets, &tally, shared.nKeepMonths, &hashes, &removed);
    close(fdDir);
    long long nLetGo = 0;
    const long long nGone = audRememberChecked(tally, shared.nKeepMonths, &nLetGo);
    audPrintRecordSummary(tally.nSheets, tally.nDiffer, nUnlined, nGone, nLetGo);
    // Only the sheets already gone: a folder of one machine's is not pruned.
    std::vector<std::string> removedNames;
    for (const auto& [strSheet, strTime] : removed)
        removedNames.push_back(strSheet);
    audPrintOlder(removed, removedNames, shared.nKeepMonths);
    return tally.nDiffer || nUnlined || nGone || nLetGo ? EXIT_SOME_DIFFER : EXIT_ALL_MATCH;
}
