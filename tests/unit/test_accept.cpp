// Acceptances of a sheet by a person's own key: the record check names each
// that does not stand, and the wait after wrong passphrases.
#include "store/record/audit.h"
#include "store/record/record.h"
#include "store/school/roster.h"
#include "support.h"
#include "sys/sign.h"
#include "ui/accept.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <glib/gstdio.h>
#include <unistd.h>

namespace
{

// Three wrong passphrases in a row are free; the next try waits a minute
// from the last, and a clock set back never waits longer.
TEST(Accept, TheFourthTryWaitsAMinute)
{
    const struct {
        int nWrong;
        time_t tLast, tNow;
        int nWait;
    } cases[] = {{0, 0, 100, 0},   {2, 100, 100, 0},  {3, 100, 100, 60}, {3, 100, 159, 1},
                 {3, 100, 160, 0}, {7, 100, 130, 30}, {3, 100, 40, 60}};
    for (const auto& c : cases)
        EXPECT_EQ(accWaitSeconds(c.nWrong, c.tLast, c.tNow), c.nWait) << c.nWrong << " wrong, " << c.tNow;
}

// A key made for the tests, unlocked: its public line and the key.
struct Signer {
    std::string strPublic;
    _sgnUnlockedPtr key;
};
Signer signer(const char* pszPassphrase)
{
    const _sgnKeyPair pair = sgnNewLockedKey(pszPassphrase);
    bool bWrong = false;
    std::string strWhy;
    Signer s{sgnPublicLine(pair.strPublic), sgnUnlock(pair.strSecret, pszPassphrase, &bWrong, &strWhy)};
    EXPECT_TRUE(s.key) << strWhy;
    return s;
}

// One sheet accepted by Anna, and each way an acceptance may not stand:
// the office's "zarv --verify-record" names every one.
TEST(Accept, EveryAcceptanceThatDoesNotStandIsNamed)
{
    static const Signer anna = signer("anna's passphrase");
    static const Signer mallory = signer("mallory's passphrase");
    const std::string strAnna = anna.strPublic, strMallory = mallory.strPublic;
    const struct {
        const char* pszName;
        const Signer* pSigner;      // whose key signs
        std::string strKeyNamed;    // the key the acceptance names
        std::string strFrom, strTo; // Anna's key in the roster
        bool bWithin;
        bool bContentChanged; // the line's content edited, its hash and chain made anew
        const char* pszEdit;  // the acceptance's text edited: its name
        int nStatus;
        const char* pszSays;
        const char* pszCapacity = REC_COMMANDER;
        bool bBorrowedId = false;      // the signature made to carry Anna's key id
        const char* pszPilot = "Anna"; // the sheet's pilot in command
    } cases[] = {
        {"good", &anna, strAnna, "2026-12-01T00:00:00Z", "", true, false, nullptr, 0, "1 sheet, all match"},
        {"forged: another name written in", &anna, strAnna, "2026-12-01T00:00:00Z", "", true, false, "Tom", 1,
         "the commander's acceptance is forged: its signature does not verify"},
        {"signed with another key than it names", &mallory, strAnna, "2026-12-01T00:00:00Z", "", true, false, nullptr,
         1, "the commander's acceptance is forged: it was signed with another key"},
        {"a key the roster never listed", &mallory, strMallory, "2026-12-01T00:00:00Z", "", true, false, nullptr, 1,
         "is not on the school's roster"},
        {"revoked before", &anna, strAnna, "2026-12-01T00:00:00Z", "2026-12-05T00:00:00Z", true, false, nullptr, 1,
         "is revoked from 2026-12-05T00:00:00Z"},
        {"before its validity", &anna, strAnna, "2026-12-09T00:00:00Z", "", true, false, nullptr, 1,
         "stands only from 2026-12-09T00:00:00Z"},
        {"content changed after it was accepted", &anna, strAnna, "2026-12-01T00:00:00Z", "", true, true, nullptr, 1,
         "changed after it was accepted"},
        {"a flight not within", &anna, strAnna, "2026-12-01T00:00:00Z", "", false, false, nullptr, 1,
         "is of a flight not within limits"},
        {"a pilot authorising as instructor", &anna, strAnna, "2026-12-01T00:00:00Z", "", true, false, nullptr, 1,
         "Anna is on the school's roster as pilot, who may not accept as instructor", REC_INSTRUCTOR},
        {"another key carrying Anna's key id", &mallory, strAnna, "2026-12-01T00:00:00Z", "", true, false, nullptr, 1,
         "the commander's acceptance is forged: its signature does not verify", REC_COMMANDER, true},
        {"Anna accepting as commander a sheet of Ben's", &anna, strAnna, "2026-12-01T00:00:00Z", "", true, false,
         nullptr, 1, "is by Anna, not by the sheet's pilot in command (Ben)", REC_COMMANDER, false, "Ben"},
    };
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    for (const auto& c : cases) {
        zt::TempDir dir;
        _rosRoster roster;
        roster.strPublished = "2026-12-01T00:00:00Z";
        roster.entries = {{"Anna", "pilot", strAnna, c.strFrom, c.strTo}};
        zt::writeFile(dir / ROS_FILE, rosText(roster));
        g_chmod((dir / ROS_FILE).c_str(), 0600);
        const std::string strFolder = dir / "Load sheets";
        g_mkdir(strFolder.c_str(), 0700);
        _wbSetup setup = calcWithFixedArms({});
        setup.nBasicWeight = 400;
        setup.nBasicLongArm = c.bWithin ? 2700 : 4000, setup.nBasicLatArm = 1;
        const _wbLoadState load = {80, 80, 60, BALLAST_NONE, 0, FALSE, {}};
        const _wbFlight flight = pwbCalcWB(setup, load);
        _recEntry e;
        e.strTime = "2026-12-07T10:00:00+00:00";
        e.strVersion = "1.0.0";
        e.strRegistration = "G-ZARV";
        e.strPilot = c.pszPilot;
        e.strFingerprint = valFingerprint([](_prmValueId nId) { return nId == VAL_REGISTRATION ? "G-ZARV" : ""; },
                                          PRM_FINGERPRINT_VERSION, setup);
        e.setup = setup;
        e.load = load;
        e.outputs = recOutputsOf(flight, wrdFlightVerdictText(flight, setup));
        const std::string strPdf =
            "%PDF-1.5\n/Keywords (" + std::string(REC_PDF_KEYWORD) + recContentHash(recLine(e)) + ")\n";
        const std::string strSheet = "G-ZARV 2026-12-07 1000.pdf";
        zt::writeFile(strFolder + "/" + strSheet, strPdf);
        const std::string strSigned = recContentHash(recLine(e));
        if (c.bContentChanged)
            e.strFlight = "a flight named after it was accepted";
        _recAcceptance a;
        ASSERT_TRUE(recReadAcceptedText(recAcceptedText(c.pszCapacity, "Anna", "2026-12-07T10:01:00Z", strSigned,
                                                        recSheetSha256(strPdf), c.strKeyNamed),
                                        &a));
        a.strSignature = sgnSignUnlocked(*c.pSigner->key, a.strText, recAcceptedTrusted(a));
        if (c.bBorrowedId) {
            // Bytes 2 to 10 of a key's and a signature's second line are its id.
            gsize nKey = 0, nSig = 0;
            g_autofree guchar* pKey = g_base64_decode(strAnna.c_str(), &nKey);
            const std::string strLine = zt::reSearch(a.strSignature, "\n([^\n]+)\n")[1];
            g_autofree guchar* pSig = g_base64_decode(strLine.c_str(), &nSig);
            ASSERT_TRUE(nKey > 10 && nSig > 10);
            std::memcpy(pSig + 2, pKey + 2, 8);
            g_autofree gchar* pszSig = g_base64_encode(pSig, nSig);
            a.strSignature.replace(a.strSignature.find(strLine), strLine.size(), pszSig);
        }
        if (c.pszEdit)
            a.strText = zt::reReplace(a.strText, "name: Anna", std::string("name: ") + c.pszEdit);
        const int fdDir = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(recAppend(fdDir, recLine(e), strSheet, recSheetSha256(strPdf), recAcceptedJson({a})), "");
        close(fdDir);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int nStatus = audVerifyRecord(dir.path().c_str());
        const std::string strSaid = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_EQ(nStatus, c.nStatus) << c.pszName << ":\n" << strSaid;
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strSaid;
        // An inspector checks it with minisign alone, as the README says.
        zt::writeFile(dir / "accepted.txt", a.strText);
        zt::writeFile(dir / "accepted.txt.minisig", a.strSignature);
        const char* argv[] = {"minisign", "-Vm", "accepted.txt", "-P", strAnna.c_str(), nullptr};
        gint nExit = -1;
        ASSERT_TRUE(
            g_spawn_sync(dir.path().c_str(), const_cast<char**>(argv), nullptr,
                         GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL),
                         nullptr, nullptr, nullptr, nullptr, &nExit, nullptr));
        EXPECT_EQ(g_spawn_check_wait_status(nExit, nullptr), c.pSigner == &anna && !c.pszEdit) << c.pszName;
    }
    setlocale(LC_ALL, strLocale.c_str());
}

} // namespace
