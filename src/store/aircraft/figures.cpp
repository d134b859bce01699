// The aircraft's figures under change control: the history of amendments,
// the recorded fingerprint and the record of the figures it was taken of,
// all values of the aircraft in the table of stored values, so the fleet
// moves them with it.
#include "store/aircraft/figures.h"

#include "model/date.h"
#include "model/texts.h"
#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/flight/legs.h"
#include "sys/errlog.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <type_traits>
#include <variant>

namespace
{

// Separates the fields of a history line; the reason comes last.
constexpr char HISTORY_SEPARATOR = '|';
constexpr int HISTORY_FIELDS = 5;
// The line of the record of the figures that stands for the history.
constexpr const char* HISTORY_FIGURE = "Aircraft/History";

std::string now(void)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_now_local();
    g_autofree gchar* psz = g_date_time_format(pdt, "%Y-%m-%d %H:%M:%S %z");
    return psz ? psz : "";
}

// A number as Zarv.conf holds it, to the last digit.
std::string fileNumber(double n)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_dtostr(sz, sizeof sz, n);
}

std::string figureName(const _prmValue& v)
{
    return std::string(v.pszGroup) + "/" + v.pszKey;
}

std::string digest(const std::string& str)
{
    g_autofree gchar* psz = g_compute_checksum_for_string(G_CHECKSUM_SHA256, str.c_str(), str.size());
    return std::string(psz, 8);
}

std::vector<std::string> stringList(_prmValueId nId)
{
    const _prmValue& v = valValue(nId);
    std::vector<std::string> lines;
    for (const std::string& str : prmTextListOf(prmKeyFile(), v.pszGroup, v.pszKey))
        if (!str.empty())
            lines.push_back(str);
    return lines;
}

void setStringList(_prmValueId nId, const std::vector<std::string>& lines)
{
    const _prmValue& v = valValue(nId);
    std::vector<const gchar*> ppsz;
    for (const std::string& str : lines)
        ppsz.push_back(str.c_str());
    g_key_file_set_string_list(prmKeyFile(), v.pszGroup, v.pszKey, ppsz.data(), ppsz.size());
}

void appendHistory(const _prmAmendment& a)
{
    std::vector<std::string> lines = stringList(VAL_HISTORY);
    lines.push_back(figHistoryLine(a));
    setStringList(VAL_HISTORY, lines);
}

// The figures as a fingerprint of the version reads them, and the history's
// digest: "Group/Key" → value.
std::map<std::string, std::string> currentFigures(int nVersion)
{
    std::map<std::string, std::string> figures;
    g_auto(GStrv) ppszLines = g_strsplit(valFigureText(valGetText, nVersion).c_str(), "\n", -1);
    for (int i = 0; ppszLines[i]; i++)
        if (const char* pszEq = strchr(ppszLines[i], '='))
            figures[std::string(static_cast<const char*>(ppszLines[i]), pszEq)] = pszEq + 1;
    std::string strHistory;
    for (const std::string& str : stringList(VAL_HISTORY))
        strHistory += str + "\n";
    figures[HISTORY_FIGURE] = digest(strHistory);
    return figures;
}

std::map<std::string, std::string> recordedFigures(void)
{
    std::map<std::string, std::string> figures;
    for (const std::string& str : stringList(VAL_RECORDED))
        if (const size_t nEq = str.find('='); nEq != std::string::npos)
            figures[str.substr(0, nEq)] = str.substr(nEq + 1);
    return figures;
}

// The fingerprint of a record of the figures: that of its figure lines, in
// the table's order, as valFigureText writes them.
std::string fingerprintOf(const std::map<std::string, std::string>& figures, int nVersion)
{
    std::string str;
    for (const _prmValue& v : valValues())
        if (v.nFingerprint != 0 && v.nFingerprint <= nVersion) {
            const auto it = figures.find(figureName(v));
            str += figureName(v) + "=" + (it == figures.end() ? "" : it->second) + "\n";
        }
    // The items' lines, as many as the record names.
    for (size_t n = 0; figures.count(itmGroup("", n) + "/" + ITM_FIGURE_KEYS[0]); n++)
        for (const char* pszKey : ITM_FIGURE_KEYS) {
            const auto it = figures.find(itmGroup("", n) + "/" + pszKey);
            str += itmGroup("", n) + "/" + pszKey + "=" + (it == figures.end() ? "" : it->second) + "\n";
        }
    // The charts' lines, as many of each as the record names.
    for (int e = 0; e < HOV_EFFECTS && nVersion >= PRM_FINGERPRINT_HOVER; e++)
        for (size_t n = 0; figures.count(hvcLineName(static_cast<_hovEffect>(e), n)); n++)
            str += hvcLineName(static_cast<_hovEffect>(e), n) + "=" +
                   figures.at(hvcLineName(static_cast<_hovEffect>(e), n)) + "\n";
    return valFingerprintOfText(str, nVersion);
}

// Whether the record of the figures is the one its fingerprint was taken
// of: a record edited by hand names nothing.
bool recordTrusted(const std::map<std::string, std::string>& recorded, const std::string& strRecorded)
{
    const int nVersion = valFingerprintVersion(strRecorded);
    return !recorded.empty() && nVersion != 0 && fingerprintOf(recorded, nVersion) == strRecorded;
}

// Records the fingerprint and the figures it was taken of: those of now,
// or, while a change made outside Zarv waits to be confirmed, those
// recorded, with the one the pilot changed (strFigure) and the history
// brought up to date only where they were as recorded before (before), so
// every outside change stays flagged, and named.
void recordFigures(const std::string& strWhen, bool bOutside, const std::vector<std::string>& names,
                   const std::map<std::string, std::string>& before)
{
    std::map<std::string, std::string> figures = currentFigures(valFingerprintNeeded());
    if (bOutside) {
        std::map<std::string, std::string> recorded = recordedFigures();
        if (!recordTrusted(recorded, figRecordedFingerprint()) ||
            valFingerprintVersion(figRecordedFingerprint()) != valFingerprintNeeded())
            return; // an older or altered record: the flag stands until confirmed
        std::vector<std::string> changed = names;
        changed.push_back(HISTORY_FIGURE);
        for (const std::string& strName : changed) {
            const auto itBefore = before.find(strName);
            const auto itNow = figures.find(strName), itWas = recorded.find(strName);
            const std::string strBefore = itBefore == before.end() ? "" : itBefore->second,
                              strWas = itWas == recorded.end() ? "" : itWas->second;
            if (strWas != strBefore)
                continue;
            if (itNow != figures.end())
                recorded[strName] = itNow->second;
            else
                recorded.erase(strName);
        }
        figures = recorded;
    }
    std::vector<std::string> lines;
    for (const auto& [strName, strValue] : figures)
        lines.push_back(strName + "=" + strValue);
    setStringList(VAL_RECORDED, lines);
    const _prmValue& v = valValue(VAL_FINGERPRINT);
    g_key_file_set_string(prmKeyFile(), v.pszGroup, v.pszKey,
                          (fingerprintOf(figures, valFingerprintNeeded()) + " " + strWhen).c_str());
}

// Within the rewrite of an amendment of a list of figures (the items, the
// hover charts): each change in the history with its reason, and where the
// aircraft is under change control, its figures of that list recorded with
// those named.
void keepAmendment(const std::string& strWhen, const std::vector<_prmAmendment>& changes, const std::string& strReason,
                   bool bWasControlled, bool bOutside, std::vector<std::string> names,
                   const std::map<std::string, std::string>& before, bool (*pfuncIsFigure)(const std::string&))
{
    if (!strReason.empty())
        for (const _prmAmendment& a : changes)
            appendHistory({strWhen, a.strFigure, a.strOld, a.strNew, strReason});
    if (!figUnderControl())
        return;
    if (!bWasControlled)
        appendHistory({strWhen, "", "", "", "under change control from here"});
    for (const auto& figure : currentFigures(valFingerprintNeeded()))
        if (pfuncIsFigure(figure.first))
            names.push_back(figure.first);
    recordFigures(strWhen, bOutside, names, before);
}

// After a figure changed in the one rewrite: its history line, and, for an
// aircraft under change control, the recorded fingerprint; one that comes
// under control with it starts its history.
void afterFigureChange(const _prmAmendment& a, bool bWasControlled, bool bOutside,
                       const std::map<std::string, std::string>& before)
{
    if (!a.strReason.empty())
        appendHistory(a);
    if (!figUnderControl())
        return;
    if (!bWasControlled)
        appendHistory({a.strWhen, "", "", "", "under change control from here"});
    recordFigures(a.strWhen, bOutside, {a.strFigure}, before);
}

// The item taken out of before to make after, where that is all that
// changed.
std::optional<size_t> removedItem(const std::vector<_wbItem>& before, const std::vector<_wbItem>& after)
{
    for (size_t k = 0; k < before.size() && after.size() + 1 == before.size(); k++) {
        std::vector<_wbItem> without = before;
        without.erase(without.begin() + static_cast<std::ptrdiff_t>(k));
        if (without == after)
            return k;
    }
    return std::nullopt;
}

// Whether a change of an aircraft's value is refused here, the pilot told
// why: the figures of an aircraft published to this machine are amended
// where they are published.
bool lockedHere(const _prmValue& v)
{
    if (!v.pszAircraftKey || !figPublishedHere())
        return false;
    errTellPilot(valGetText(VAL_REGISTRATION) +
                 " was published to this machine by the school: its figures are amended where they are published");
    return true;
}

} // namespace

std::string figHistoryLine(const _prmAmendment& a)
{
    // Only the reason, which comes last, may hold the separator: in any
    // other field (a registration, an item's name) it stands as a broken
    // bar, so the line reads back into the same fields.
    auto field = [](std::string str) {
        for (size_t n = str.find(HISTORY_SEPARATOR); n != std::string::npos; n = str.find(HISTORY_SEPARATOR, n))
            str.replace(n, 1, "\u00a6");
        return str;
    };
    const std::string s(1, HISTORY_SEPARATOR);
    return field(a.strWhen) + s + field(a.strFigure) + s + field(a.strOld) + s + field(a.strNew) + s + a.strReason;
}

_prmAmendment figHistoryRead(const std::string& strLine)
{
    g_auto(GStrv) ppsz = g_strsplit(strLine.c_str(), std::string(1, HISTORY_SEPARATOR).c_str(), HISTORY_FIELDS);
    if (g_strv_length(ppsz) != HISTORY_FIELDS)
        return {"", "", "", "", strLine};
    return {ppsz[0], ppsz[1], ppsz[2], ppsz[3], ppsz[4]};
}

std::vector<_prmAmendment> figHistory(void)
{
    std::vector<_prmAmendment> history;
    for (const std::string& str : stringList(VAL_HISTORY))
        history.push_back(figHistoryRead(str));
    return history;
}

bool figUnderControl(void)
{
    // The figures that name the aircraft are those a new aircraft starts
    // without.
    bool bNamed = true;
    for (const _prmValue& v : valValues())
        if (v.bFigure && v.bStartsEmpty && valGetText(v.nId).empty())
            bNamed = false;
    // A fingerprint of the first kind was recorded for any aircraft, named
    // or not: it alone puts none under control.
    return bNamed || !stringList(VAL_HISTORY).empty() || valFingerprintVersion(figRecordedFingerprint()) >= 2;
}

bool figPublishedHere(void)
{
    return !valGetText(VAL_PUBLISHED).empty();
}

bool figAsksAmend(_prmValueId nId)
{
    return valValue(nId).bFigure && figUnderControl();
}

std::string figRecordedFingerprint(void)
{
    const std::string str = valGetText(VAL_FINGERPRINT);
    return str.substr(0, str.find(' '));
}

std::string figRecordedWhen(void)
{
    const std::string str = valGetText(VAL_FINGERPRINT);
    const size_t nAt = str.find(' ');
    return nAt == std::string::npos ? "" : str.substr(nAt + 1);
}

std::string figFigureShown(const std::string& strValue)
{
    char* pszEnd = nullptr;
    const double n = g_ascii_strtod(strValue.c_str(), &pszEnd);
    if (!strValue.empty() && pszEnd && !*pszEnd) {
        if (!std::isfinite(n))
            return "no number";
        if (std::fabs(n) >= 1e9) {
            g_autofree gchar* psz = g_strdup_printf("%.3e", n);
            return psz;
        }
    }
    return txtOneLine(strValue, 40);
}

std::string figFormatApart(const char* pszFormat, double nOld, double nNew)
{
    auto written = [](const std::string& strFormat, double n) {
        g_autofree gchar* psz = g_strdup_printf(strFormat.c_str(), n);
        return std::string(psz);
    };
    const std::string strFormat = pszFormat;
    const size_t nConversion = strFormat.find_last_of("eEfFgG");
    if (nConversion == std::string::npos || nOld == nNew || written(strFormat, nOld) != written(strFormat, nNew))
        return strFormat;
    // "%1.1f" is "%1" and "f" around its precision, "%g" is "%" and "g"
    // around printf's own 6.
    const size_t nDot = strFormat.rfind('.', nConversion);
    const std::string strHead = strFormat.substr(0, nDot == std::string::npos ? nConversion : nDot),
                      strTail = strFormat.substr(nConversion);
    int nPrecision = nDot == std::string::npos ? 6 : atoi(strFormat.c_str() + nDot + 1);
    // Seventeen digits tell any two doubles apart; as many decimals may not,
    // for a value under one.
    while (nPrecision < 17) {
        const std::string strWider = strHead + "." + std::to_string(++nPrecision) + strTail;
        if (written(strWider, nOld) != written(strWider, nNew))
            return strWider;
    }
    return "%.17g";
}

std::string figFigureChange(const std::string& strOld, const std::string& strNew)
{
    std::string strShownOld = figFigureShown(strOld), strShownNew = figFigureShown(strNew);
    char *pszOldEnd = nullptr, *pszNewEnd = nullptr;
    const double nOld = g_ascii_strtod(strOld.c_str(), &pszOldEnd), nNew = g_ascii_strtod(strNew.c_str(), &pszNewEnd);
    const bool bNumbers = !strOld.empty() && !*pszOldEnd && !strNew.empty() && !*pszNewEnd;
    if (strShownOld == strShownNew && bNumbers && std::isfinite(nOld) && std::isfinite(nNew)) {
        // Both too wide for a sentence, or cut short alike.
        const std::string strFormat = figFormatApart("%.3e", nOld, nNew);
        char sz[G_ASCII_DTOSTR_BUF_SIZE];
        strShownOld = g_ascii_formatd(sz, sizeof sz, strFormat.c_str(), nOld);
        strShownNew = g_ascii_formatd(sz, sizeof sz, strFormat.c_str(), nNew);
    }
    return strShownOld + " \u2192 " + strShownNew;
}

std::string figFigureRefusal(_prmValueId nId, double nValue)
{
    const _prmValue& v = valValue(nId);
    if (!v.bFigure || !valIsNumber(v))
        return "";
    // In the pilot's unit, as the entry writes it.
    auto shown = [&](double n) {
        g_autofree gchar* psz = g_strdup_printf(v.pszFormat, valShown(v, n));
        return std::string(psz) + (v.nUnit == KIND_NONE ? "" : " " + unitLabel(v.nUnit, m_wbSetup));
    };
    std::string strTaken;
    if (nId == VAL_WEIGHING_MONTHS) {
        // None set (0) is the usual interval.
        if (nValue == 0 || dateWeighingMonths(nValue) == nValue)
            return "";
        strTaken = "a whole number of months from 1 to " + std::to_string(DATE_MAX_WEIGHING_MONTHS);
    } else if (const _unitBounds* pb = unitBoundsOf(v.nUnit)) {
        // A density of 0 is none set, which the usual one stands for.
        const double nLeast = nId == VAL_BASIC_WEIGHT ? MIN_BASIC_WEIGHT : pb->nLeast;
        // A flow of 0 would plan every trip as burning nothing.
        const bool bNoFlow = v.nUnit == KIND_FLOW && nValue == 0;
        if (!bNoFlow && unitPossible(v.nUnit, nValue) && (nId != VAL_BASIC_WEIGHT || nValue >= MIN_BASIC_WEIGHT))
            return "";
        strTaken = (v.nUnit == KIND_FLOW ? "one above " : "one from ") + shown(nLeast) + " to " + shown(pb->nMost);
    } else {
        return "";
    }
    return (std::isfinite(nValue) ? "A " + std::string(v.pszWhat) + " of " + shown(nValue)
                                  : "That " + std::string(v.pszWhat)) +
           " is refused: Zarv takes " + strTaken + ".";
}

std::vector<std::string> figOutsideChanges(void)
{
    if (!figUnderControl())
        return {};
    const std::string strRecorded = figRecordedFingerprint();
    if (strRecorded.empty())
        return {"no fingerprint of the figures is recorded"};
    const int nVersion = valFingerprintVersion(strRecorded);
    if (nVersion == 0)
        return {"the recorded fingerprint " + strRecorded + " is not one Zarv makes"};
    std::vector<std::string> changes;
    const std::map<std::string, std::string> recorded = recordedFigures();
    if (!recorded.empty() && !recordTrusted(recorded, strRecorded)) {
        changes.push_back("the record of the figures does not match its fingerprint");
    } else if (!recorded.empty()) {
        for (const auto& [strName, strValue] : currentFigures(nVersion)) {
            const auto it = recorded.find(strName);
            const std::string strWas = it == recorded.end() ? "" : it->second;
            if (strWas == strValue)
                continue;
            changes.push_back(strName == HISTORY_FIGURE ? "the history was changed"
                                                        : strName + " " + figFigureChange(strWas, strValue));
        }
        // A figure recorded that is gone (an item removed by hand).
        const std::map<std::string, std::string> current = currentFigures(nVersion);
        for (const auto& [strName, strValue] : recorded)
            if (!current.count(strName))
                changes.push_back(strName + " " + figFigureChange(strValue, ""));
    } else if (nVersion >= 2) {
        changes.push_back("the record of the figures is missing");
    }
    // A figure set that the recorded version does not cover (a fuel flow
    // written into Zarv.conf under an older fingerprint) changed all the same.
    // (What the versions before the third added reads as it always has.)
    if (const int nNeeded = valFingerprintNeeded(); nNeeded > std::max(nVersion, PRM_FINGERPRINT_VERSION)) {
        const std::map<std::string, std::string> covered = currentFigures(std::max(nVersion, PRM_FINGERPRINT_VERSION));
        for (const auto& [strName, strValue] : currentFigures(nNeeded))
            if (!covered.count(strName))
                changes.push_back(strName + " " + figFigureChange("", strValue));
    }
    if (changes.empty() && valFingerprint(valGetText, nVersion) != strRecorded)
        changes.push_back("the figures do not match their fingerprint");
    if (nVersion >= 2 && stringList(VAL_HISTORY).empty())
        changes.push_back("the history is missing");
    return changes;
}

bool figFiguresChangedOutside(void)
{
    return !figOutsideChanges().empty();
}

// Each store of the figures tells the pages even where it refuses the
// change: the page then shows the figures as held, not as typed.
void figStoreFigure(_prmValueId nId, double nValue, const std::string& strReason)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    const _prmValue& v = valValue(nId);
    if (lockedHere(v))
        return;
    if (!valIsNumber(v))
        return valStoreValue(nId, nValue);
    const bool bWasControlled = figUnderControl(), bOutside = figFiguresChangedOutside();
    const std::map<std::string, std::string> before = currentFigures(valFingerprintNeeded());
    const _prmAmendment a = {now(), figureName(v), fileNumber(valHeld(nId)), fileNumber(nValue), strReason};
    valSetField(v, stateEditSetup(), stateEditLoad(), nValue);
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_double(pkf, v.pszGroup, v.pszKey, nValue);
        afterFigureChange(a, bWasControlled, bOutside, before);
    });
}

void figStoreFigureText(_prmValueId nId, const char* pszText, const std::string& strReason)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    const _prmValue& v = valValue(nId);
    if (lockedHere(v))
        return;
    const bool bWasControlled = figUnderControl(), bOutside = figFiguresChangedOutside();
    const std::map<std::string, std::string> before = currentFigures(valFingerprintNeeded());
    const _prmAmendment a = {now(), figureName(v), valGetText(nId), pszText, strReason};
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_string(pkf, v.pszGroup, v.pszKey, pszText);
        afterFigureChange(a, bWasControlled, bOutside, before);
    });
}

void figStoreCovered(_prmValueId nId, double nValue)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    const _prmValue& v = valValue(nId);
    if (lockedHere(v))
        return;
    const bool bOutside = figFiguresChangedOutside();
    const std::map<std::string, std::string> before = currentFigures(valFingerprintNeeded());
    prmEdit([&](GKeyFile* pkf) {
        valSetField(v, stateEditSetup(), stateEditLoad(), nValue);
        if (valIsNumber(v))
            g_key_file_set_double(pkf, v.pszGroup, v.pszKey, nValue);
        else if (!valIsText(v))
            g_key_file_set_integer(pkf, v.pszGroup, v.pszKey, static_cast<gint>(valHeld(nId)));
        if (figUnderControl())
            recordFigures(now(), bOutside, {figureName(v)}, before);
    });
}

void figConfirmFigures(const std::string& strReason)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    if (lockedHere(valValue(VAL_HISTORY)))
        return;
    const std::string strWhen = now();
    prmEdit([&](GKeyFile*) {
        const std::map<std::string, std::string> recorded = recordedFigures();
        const int nVersion = valFingerprintVersion(figRecordedFingerprint());
        bool bNamed = false;
        if (recordTrusted(recorded, figRecordedFingerprint())) {
            std::map<std::string, std::pair<std::string, std::string>> changed;
            const std::map<std::string, std::string> current = currentFigures(nVersion);
            for (const auto& [strName, strValue] : current)
                if (const auto it = recorded.find(strName); it == recorded.end() || it->second != strValue)
                    changed[strName] = {it == recorded.end() ? "" : it->second, strValue};
            for (const auto& [strName, strValue] : recorded)
                if (!current.count(strName))
                    changed[strName] = {strValue, ""};
            for (const auto& [strName, change] : changed)
                if (strName != HISTORY_FIGURE) {
                    appendHistory({strWhen, strName, change.first, change.second, strReason});
                    bNamed = true;
                }
        }
        if (!bNamed)
            appendHistory({strWhen, "", "", "", "confirmed after an outside change: " + strReason});
        recordFigures(strWhen, false, {}, {});
    });
}

std::vector<_prmAmendment> figItemsAmendments(const std::vector<_wbItem>& before, const std::vector<_wbItem>& after)
{
    std::vector<_prmAmendment> v;
    // One item taken out: named as such, not as each after it moved up.
    if (const std::optional<size_t> k = removedItem(before, after))
        return {{"", itmGroup("", *k), itmItemText(before[*k]), "", ""}};
    for (size_t n = 0; n < std::max(before.size(), after.size()); n++) {
        if (n >= before.size() || n >= after.size()) {
            v.push_back({"", itmGroup("", n), n < before.size() ? itmItemText(before[n]) : "",
                         n < after.size() ? itmItemText(after[n]) : "", ""});
            continue;
        }
        const _wbItem &b = before[n], &a = after[n];
        // Named as well as numbered: the number may stand for another item
        // once one before it is taken out.
        for (const _itmValue& f : ITM_VALUES)
            if (const std::string strBefore = itmFigureValue(f, b), strAfter = itmFigureValue(f, a);
                f.bFigure && strBefore != strAfter)
                v.push_back({"", itmGroup("", n) + "/" + f.pszKey + " (" + b.strName + ")", strBefore, strAfter, ""});
    }
    return v;
}

void figStoreItems(const std::vector<_wbItem>& items, const std::string& strReason)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    const std::vector<_prmAmendment> changes = figItemsAmendments(m_wbSetup.items, items);
    if (changes.empty() || lockedHere(valValue(VAL_HISTORY)))
        return;
    // The list is written whole: never over groups or flags Zarv could not
    // read, which it would lose.
    const bool bUnread =
        !m_wbSetup.strItemsNotRead.empty() || std::any_of(m_wbSetup.items.begin(), m_wbSetup.items.end(),
                                                          [](const _wbItem& i) { return !i.strUnread.empty(); });
    if (bUnread) {
        errTellPilot("The removable items in Zarv.conf could not all be read: correct Zarv.conf before changing them");
        return;
    }
    const bool bWasControlled = figUnderControl(), bOutside = figFiguresChangedOutside();
    const std::map<std::string, std::string> before = currentFigures(valFingerprintNeeded());
    const std::string strWhen = now();
    // Every leg keeps each item as it had it; a new one comes as weighed.
    const std::optional<size_t> nRemoved = removedItem(m_wbSetup.items, items);
    const auto fittedAfter = [&](const _wbLoadState& l) {
        std::vector<bool> fitted;
        for (size_t n = 0; n < m_wbSetup.items.size(); n++)
            fitted.push_back(calcItemFitted(m_wbSetup, l.fitted, n));
        if (nRemoved)
            fitted.erase(fitted.begin() + static_cast<std::ptrdiff_t>(*nRemoved));
        fitted.resize(std::min(fitted.size(), items.size()));
        for (size_t n = fitted.size(); n < items.size(); n++)
            fitted.push_back(items[n].bWeighed);
        return fitted;
    };
    std::vector<std::vector<bool>> legsFitted;
    for (const _wbLoadState& l : stateLegs())
        legsFitted.push_back(fittedAfter(l));
    const std::vector<bool>& fitted = legsFitted.front();
    // Every item's figure, as it was and as it is, is what changed.
    std::vector<std::string> names;
    for (const auto& [strName, strValue] : before)
        if (itmIsFigure(strName))
            names.push_back(strName);
    stateEditSetup().items = items;
    stateEditLegs().front().fitted = fitted;
    for (size_t n = 1; n < legsFitted.size(); n++)
        legStoreFitted(n, legsFitted[n]);
    prmEdit([&](GKeyFile* pkf) {
        itmWrite(pkf, items, fitted);
        keepAmendment(strWhen, changes, strReason, bWasControlled, bOutside, names, before, itmIsFigure);
    });
    itmLoad();
}

std::vector<_prmAmendment> figHoverAmendments(const _hovCharts& before, const _hovCharts& after)
{
    std::vector<_prmAmendment> v;
    for (int e = 0; e < HOV_EFFECTS; e++) {
        const std::vector<_hovLine>&b = before[e].lines, &a = after[e].lines;
        for (size_t n = 0; n < std::max(b.size(), a.size()); n++)
            if (const std::string strBefore = n < b.size() ? hvcLineText(b[n]) : "",
                strAfter = n < a.size() ? hvcLineText(a[n]) : "";
                strBefore != strAfter)
                v.push_back({"", hvcLineName(static_cast<_hovEffect>(e), n), strBefore, strAfter, ""});
    }
    return v;
}

bool figAmendHover(const _hovCharts& charts, const std::string& strReason)
{
    const _stateChanging changing(STATE_AIRCRAFT);
    const std::vector<_prmAmendment> changes = figHoverAmendments(m_wbSetup.hover, charts);
    if (changes.empty())
        return true;
    if (lockedHere(valValue(VAL_HISTORY)))
        return false;
    // The charts are written whole: never over a text Zarv could not read,
    // which it would lose unseen.
    if (hvcRead(prmKeyFile()).bUnreadable) {
        errTellPilot("The hover charts in Zarv.conf could not all be read: correct Zarv.conf before changing them");
        return false;
    }
    for (int e = 0; e < HOV_EFFECTS; e++)
        if (const std::string strWhy = charts[e].lines.empty() ? "" : hovChartWhy(charts[e]); !strWhy.empty()) {
            errTellPilot("The " + std::string(HVC_GROUPS[e]) + " chart cannot be used: " + strWhy);
            return false;
        }
    const bool bWasControlled = figUnderControl();
    if (bWasControlled && strReason.empty()) {
        errTellPilot("A change of the hover charts of an aircraft under change control is amended with a reason");
        return false;
    }
    const bool bOutside = figFiguresChangedOutside();
    const std::map<std::string, std::string> before = currentFigures(valFingerprintNeeded());
    const std::string strWhen = now();
    // Every line, as it was and as it is, is what changed.
    std::vector<std::string> names;
    for (const auto& [strName, strValue] : before)
        if (hvcIsFigure(strName))
            names.push_back(strName);
    stateEditSetup().hover = charts;
    stateEditSetup().strHoverNotRead.clear();
    prmEdit([&](GKeyFile* pkf) {
        hvcWrite(pkf, charts);
        keepAmendment(strWhen, changes, strReason, bWasControlled, bOutside, names, before, hvcIsFigure);
    });
    return true;
}
