// Checking the record of load sheets against the calculation: each line's
// inputs go into the state the pages work on, and the same calculation and
// judgement as theirs say what the sheet should have said.
#include "app/verifyrecord.h"

#include "app/paths.h"
#include "store/record.h"
#include "store/state.h"
#include "store/stored.h"
#include "ui/pagWBVerdict.h"
#include "ui/print.h"

#include <glib.h>

#include <clocale>

namespace
{

constexpr int EXIT_ALL_MATCH = 0;
constexpr int EXIT_SOME_DIFFER = 1;
constexpr int EXIT_UNREADABLE = 2;

} // namespace

int wbVerifyRecord(const char* pszEtcDir)
{
    // The verdict's figures in the locale the window writes them in.
    setlocale(LC_ALL, "");
    if (pszEtcDir)
        wbSetEtcDir(pszEtcDir);
    else
        wbLocateEtcDir();
    const std::string strFile = prnSheetsFolder() + "/" + REC_FILE_NAME;
    g_autofree gchar* pszText = nullptr;
    gsize nLength = 0;
    g_autoptr(GError) pErr = nullptr;
    if (!g_file_get_contents(strFile.c_str(), &pszText, &nLength, &pErr)) {
        g_printerr("zarv: the record of load sheets cannot be read: %s\n", pErr->message);
        return EXIT_UNREADABLE;
    }
    int nSheets = 0, nDiffer = 0;
    for (const _recRead& r : recReadText(std::string(pszText, nLength))) {
        if (r.bTorn) {
            // The last write cut short (a full disk, a crash): no sheet's
            // whole record, and the pilot was told of it then.
            g_print("line %d: %s\n", r.nLine, r.strError.c_str());
            continue;
        }
        nSheets++;
        if (!r.strError.empty()) {
            g_print("line %d: %s\n", r.nLine, r.strError.c_str());
            nDiffer++;
            continue;
        }
        m_wbSetup = r.entry.setup;
        stateSetFixedArms();
        m_wbLoad = r.entry.load;
        pwbCalcWB();
        std::vector<std::string> diffs =
            recDifferences(r.entry.outputs, recOutputsOf(m_wbFlight, pwbFlightVerdictText(m_wbFlight, m_wbSetup)));
        // The fingerprint ties the sheet to the aircraft's figures: it must
        // be the one of the figures the line holds.
        // A line an older Zarv wrote is checked by its own fingerprint's
        // list of figures.
        const int nVersion = prmFingerprintVersion(r.entry.strFingerprint);
        const std::string strFingerprint = nVersion == 0
                                               ? "none: not a fingerprint this Zarv knows"
                                               : prmFingerprint(
                                                     [&r](_prmValueId nId) {
                                                         return nId == VAL_REGISTRATION  ? r.entry.strRegistration
                                                                : nId == VAL_WEIGHED     ? r.entry.strWeighed
                                                                : nId == VAL_COPIED_FROM ? r.entry.strCopiedFrom
                                                                                         : std::string();
                                                     },
                                                     nVersion);
        if (strFingerprint != r.entry.strFingerprint)
            diffs.push_back("fingerprint: recorded " + r.entry.strFingerprint + " recomputed " + strFingerprint);
        for (const std::string& str : diffs)
            g_print("line %d, %s: %s\n", r.nLine, r.entry.strTime.c_str(), str.c_str());
        nDiffer += diffs.empty() ? 0 : 1;
    }
    if (nDiffer == 0)
        g_print("%d sheet%s, all match\n", nSheets, nSheets == 1 ? "" : "s");
    else
        g_print("%d sheet%s, %d do%s not match\n", nSheets, nSheets == 1 ? "" : "s", nDiffer, nDiffer == 1 ? "es" : "");
    return nDiffer ? EXIT_SOME_DIFFER : EXIT_ALL_MATCH;
}
