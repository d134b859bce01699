// The names of a shared folder of sheets and the rules over them: one
// machine's files never named as another's, conflict copies told apart,
// each machine's record files in order and the old ones found.
#include "model/synced.h"

#include "model/date.h"

#include <algorithm>
#include <tuple>

namespace
{

bool allOf(const std::string& str, size_t nFrom, size_t nCount, gboolean (*pfuncIs)(gchar))
{
    if (nFrom + nCount > str.size())
        return false;
    return std::all_of(str.begin() + static_cast<long>(nFrom), str.begin() + static_cast<long>(nFrom + nCount),
                       [pfuncIs](char c) { return pfuncIs(c) != FALSE; });
}

gboolean isLowerHex(gchar c)
{
    return g_ascii_isdigit(c) || (c >= 'a' && c <= 'f');
}

gboolean isRandom(gchar c)
{
    return g_ascii_isdigit(c) || g_ascii_islower(c);
}

gboolean isDigit(gchar c)
{
    return g_ascii_isdigit(c);
}

// "record 4" or "records 4 to 6".
std::string records(long long nFirst, long long nLast)
{
    return nFirst == nLast ? "record " + std::to_string(nFirst)
                           : "records " + std::to_string(nFirst) + " to " + std::to_string(nLast);
}

} // namespace

std::string synMachineId(const std::string& strMachine, const std::string& strEtcDir)
{
    g_autofree gchar* pszMachine = g_strstrip(g_strdup(strMachine.c_str()));
    const std::string str = std::string(pszMachine) + '\n' + strEtcDir;
    g_autofree gchar* pszHash = g_compute_checksum_for_string(G_CHECKSUM_SHA256, str.c_str(), str.size());
    return std::string(pszHash).substr(0, SYN_ID_DIGITS);
}

std::string synMachineOfKey(const std::string& strDigest)
{
    std::string str;
    for (char c : strDigest)
        if (g_ascii_isxdigit(c) && str.size() < SYN_ID_DIGITS)
            str += g_ascii_tolower(c);
    return str.size() == SYN_ID_DIGITS ? str : "";
}

std::string synSheetName(const std::string& strSheet, const std::string& strMachine, const std::string& strRandom)
{
    return strSheet + " " + strMachine + " " + strRandom;
}

std::string synRecordName(const std::string& strMachine, long long nSequence, time_t tWritten,
                          const std::string& strRandom)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_utc(tWritten);
    g_autofree gchar* pszTime = pdt ? g_date_time_format(pdt, "%Y%m%dT%H%M%SZ") : g_strdup("00000000T000000Z");
    g_autofree gchar* pszSequence = g_strdup_printf("%06lld", nSequence);
    return std::string(SYN_RECORD_PREFIX) + strMachine + " " + pszSequence + " " + pszTime + " " + strRandom +
           SYN_RECORD_SUFFIX;
}

bool synReadRecordName(const std::string& strName, _synRecordName* pName)
{
    const std::string strPrefix = SYN_RECORD_PREFIX, strSuffix = SYN_RECORD_SUFFIX;
    if (!g_str_has_prefix(strName.c_str(), strPrefix.c_str()) || !g_str_has_suffix(strName.c_str(), strSuffix.c_str()))
        return false;
    const std::string str = strName.substr(strPrefix.size(), strName.size() - strPrefix.size() - strSuffix.size());
    // "<id> <sequence> <time> <random>", each part of its own length.
    constexpr size_t TIME_CHARS = 16;
    const size_t nSeqEnd = str.find(' ', SYN_ID_DIGITS + 1);
    if (nSeqEnd == std::string::npos || str.size() != nSeqEnd + 1 + TIME_CHARS + 1 + SYN_RANDOM_CHARS)
        return false;
    const size_t nTime = nSeqEnd + 1, nRandom = nTime + TIME_CHARS + 1;
    const size_t nSeqDigits = nSeqEnd - SYN_ID_DIGITS - 1;
    if (!allOf(str, 0, SYN_ID_DIGITS, isLowerHex) || str[SYN_ID_DIGITS] != ' ' || nSeqDigits < 6 || nSeqDigits > 15 ||
        !allOf(str, SYN_ID_DIGITS + 1, nSeqDigits, isDigit) || !allOf(str, nTime, 8, isDigit) ||
        str[nTime + 8] != 'T' || !allOf(str, nTime + 9, 6, isDigit) || str[nTime + 15] != 'Z' ||
        str[nRandom - 1] != ' ' || !allOf(str, nRandom, SYN_RANDOM_CHARS, isRandom))
        return false;
    const long long nSequence = g_ascii_strtoll(str.c_str() + SYN_ID_DIGITS + 1, nullptr, 10);
    if (nSequence < 1)
        return false;
    *pName = {str.substr(0, SYN_ID_DIGITS), nSequence, str.substr(nTime, TIME_CHARS),
              str.substr(nRandom, SYN_RANDOM_CHARS)};
    return true;
}

bool synIsConflictCopy(const std::string& strName)
{
    // The sync tools' own marks, with the date and time each puts after
    // them, so a registration that merely says "conflict" is no copy.
    constexpr const char* PATTERN = "\\.sync-conflict-\\d{8}-\\d{6}(-|\\.|$)"
                                    "|\\([^()]*conflicted copy[^()]*\\)"
                                    "|_conflict-\\d{8}-\\d{6}";
    return g_regex_match_simple(PATTERN, strName.c_str(), G_REGEX_CASELESS, G_REGEX_MATCH_DEFAULT);
}

_synOrdering synOrder(std::vector<_synRecordFile> files)
{
    std::sort(files.begin(), files.end(), [](const _synRecordFile& a, const _synRecordFile& b) {
        return std::tie(a.strMachine, a.nSequence, a.strName) < std::tie(b.strMachine, b.nSequence, b.strName);
    });
    _synOrdering o;
    for (const _synRecordFile& f : files) {
        if (o.machines.empty() || o.machines.back().strMachine != f.strMachine) {
            o.machines.push_back({f.strMachine, {}});
            if (f.nSequence > 1)
                o.notes.push_back("machine " + f.strMachine + ": " + records(1, f.nSequence - 1) +
                                  (f.nSequence > 2 ? " are" : " is") +
                                  " not here: removed after the retention period?");
        }
        std::vector<_synRecordFile>& mine = o.machines.back().files;
        const std::string strWhat = "machine " + f.strMachine + ": ";
        if (!mine.empty() && mine.back().nSequence == f.nSequence) {
            o.problems.push_back(strWhat + records(f.nSequence, f.nSequence) + " is there twice (" +
                                 mine.back().strName + " and " + f.strName + ")");
            o.nTwice++;
            continue;
        }
        if (!mine.empty() && f.nSequence > mine.back().nSequence + 1) {
            const long long nFirst = mine.back().nSequence + 1, nLast = f.nSequence - 1;
            o.problems.push_back(strWhat + records(nFirst, nLast) + (nFirst == nLast ? " is" : " are") +
                                 " missing (between " + mine.back().strName + " and " + f.strName + ")");
            o.nMissing += nLast - nFirst + 1;
        }
        mine.push_back(f);
    }
    return o;
}

bool synFollows(const _synMachine& machine, size_t nAt)
{
    const long long nSequence = machine.files[nAt].nSequence;
    return nAt == 0 ? nSequence == 1 : machine.files[nAt - 1].nSequence == nSequence - 1;
}

int synKeepMonths(const std::string& strText)
{
    g_autofree gchar* psz = g_strstrip(g_strdup(strText.c_str()));
    const std::string str = psz;
    if (str.empty() || str.size() > 3 || !allOf(str, 0, str.size(), isDigit))
        return SYN_KEEP_MONTHS;
    const int n = std::stoi(str);
    return n >= 1 && n <= DATE_MAX_WEIGHING_MONTHS ? n : SYN_KEEP_MONTHS;
}

bool synOlderThan(const std::string& strIsoDay, const GDate& today, int nMonths)
{
    // The weighing's own arithmetic: due the same day of the month later.
    return dateWeighingDue(strIsoDay.substr(0, 10), today, nMonths).bDue;
}
