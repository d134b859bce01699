// The record of load sheets: every figure reads back as the same double,
// every text as written; a write the disk cuts short leaves no half line;
// a last line cut short by a crash is reported, and the next one stands on
// its own.
#include "store/record/record.h"

#include "model/hover.h"
#include "model/words.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/record/audit.h"
#include "store/record/filing.h"
#include "support.h"
#include "sys/paths.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A disk that fills after the first few bytes of a write.
ssize_t fillsAfterTen(int fd, const void* pBuf, size_t nCount)
{
    const ssize_t n = write(fd, pBuf, std::min<size_t>(nCount, 10));
    if (n < 0 || static_cast<size_t>(n) == nCount)
        return n;
    errno = ENOSPC;
    return n; // the short write a full disk gives
}

bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Record, ReadsBackExactlyAndSurvivesAFullDiskAndACrash)
{
    _recEntry e;
    e.strTime = "2026-12-08T23:10:05+01:00";
    e.strVersion = "1.0.0";
    e.strFingerprint = "1a2b3c4d";
    e.strRegistration = "G-\"AB\\CD\"\n\t\u00e9\U0001F681";
    e.strPilot = "\u202eA. \"Pilot\"", e.strFlight = "Flight 42 \u2192 EGKB";
    e.strLeftSeat = "\u05d0\u05e0\u05d4 \"K\"", e.strRightSeat = "Bo", e.strCommander = "left";
    e.setup = {UNIT_FUEL_IMPGAL, UNIT_ARM_INCH,      UNIT_WT_LB, -0.0, 0.1 + 0.2, 1e-300, 0, 0, 0, 0, 0, 0,
               1.0 / 3,          2540.0000000000005, -7.5,       3000, 10,        0.759,  5, 48};
    e.load = {80.123456789012345, 95.25451098148434, 64.5, BALLAST_REAR, 20.000000000000004, TRUE};
    e.setup.items = {{"Left \"door\"\n\u05d3", 5.4, 1850.0000000000002, -650, true},
                     {"Hook", 2, NAN, 0, false, "Weighed=no"}};
    e.load.fitted = {false};
    // Hover charts to the last bit of their doubles, and what was not read;
    // one whose lines cross (at 500 kg), as Zarv.conf can hold it.
    e.setup.hover[HOV_IGE] = {
        {{0.1 + 0.2, {{500, 8000.000000000001}, {600, 6000}}}, {40, {{500, 9000}, {600, 1.0 / 3}}}}};
    e.setup.strHoverNotRead = "[Hover OGE] Line 1: \"x\"";
    e.outputs.bLanding = true;
    e.outputs.points[POINT_TAKE_OFF] = {680.3893641534596, 2441.575, -22.352, {}};
    e.outputs.points[POINT_LANDING] = {NAN, INFINITY, -INFINITY, {}};
    e.outputs.points[POINT_NO_FUEL] = {5e-324, 1.7976931348623157e308, 123456789.125, {}};
    e.outputs.points[POINT_LANDING].bBeyond[LIMIT_AFT] = true;
    e.outputs.points[POINT_NO_FUEL].bBeyond[LIMIT_TANK] = true;
    e.outputs.strVerdict = "NOT WITHIN LIMITS: landing aft of the limit by 1.60 mm";
    _recEntry noLanding = e;
    noLanding.strPilot = noLanding.strFlight = ""; // as an older Zarv wrote it
    noLanding.strLeftSeat = noLanding.strRightSeat = noLanding.strCommander = "";
    noLanding.outputs.bLanding = false;
    noLanding.setup.items = {}; // no items: no "items" written
    noLanding.load.fitted = {};
    noLanding.setup.hover = {}; // no charts: none written
    noLanding.setup.strHoverNotRead = "";
    noLanding.outputs.bWithin = true;

    zt::TempDir dir;
    const int fdDir = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fdDir, 0);
    EXPECT_EQ(recAppend(fdDir, recLine(e), "G-ZARV 2026-12-08 2310.pdf"), "");
    prmFileOps().pfuncWrite = fillsAfterTen;
    EXPECT_NE(recAppend(fdDir, recLine(e), "").find(g_strerror(ENOSPC)), std::string::npos);
    prmFileOps().pfuncWrite = ::write;
    EXPECT_EQ(recAppend(fdDir, recLine(noLanding), ""), "");
    // A crash in the middle of a write, then the next sheet's line.
    const std::string strPath = dir / REC_FILE_NAME;
    zt::writeFile(strPath, zt::readFile(strPath) + recLine(e).substr(0, 40));
    // With its sheet's digest, as a line is written with its sheet filed.
    const std::string strSha256 = recSheetSha256("%PDF-1.5 x");
    EXPECT_EQ(recAppend(fdDir, recLine(e), "x", strSha256), "");
    zt::writeFile(strPath, zt::readFile(strPath) + recLine(e).substr(0, 40));
    close(fdDir);

    const std::vector<_recRead> lines = recReadText(zt::readFile(strPath));
    ASSERT_EQ(lines.size(), 5u);
    for (const _recRead& r : lines) {
        const bool bWhole = r.nLine != 3 && r.nLine != 5;
        EXPECT_EQ(r.strError.empty(), bWhole) << r.nLine << ": " << r.strError;
        EXPECT_EQ(r.bTorn, r.nLine == 5);
        if (!bWhole)
            continue;
        const _recEntry& want = r.nLine == 2 ? noLanding : e;
        const _recEntry& got = r.entry;
        EXPECT_EQ(got.strTime + got.strVersion + got.strFingerprint + got.strRegistration + got.strPilot + "|" +
                      got.strFlight + "|" + got.strLeftSeat + "|" + got.strRightSeat + "|" + got.strCommander,
                  want.strTime + want.strVersion + want.strFingerprint + want.strRegistration + want.strPilot + "|" +
                      want.strFlight + "|" + want.strLeftSeat + "|" + want.strRightSeat + "|" + want.strCommander);
        for (double _wbSetup::*p :
             {&_wbSetup::nBasicWeight, &_wbSetup::nBasicLongArm, &_wbSetup::nBasicLatArm, &_wbSetup::nBallastWt,
              &_wbSetup::nBallastFrontLongArm, &_wbSetup::nBallastFrontLatArm, &_wbSetup::nBallastRearLongArm,
              &_wbSetup::nBallastRearLatArm, &_wbSetup::nFuelDensity, &_wbSetup::nWeighingMonths})
            EXPECT_TRUE(same(got.setup.*p, want.setup.*p)) << got.setup.*p;
        EXPECT_EQ(got.setup.nUnitFuel + 10 * got.setup.nUnitArm + 100 * got.setup.nUnitWt, 2 + 10 + 100);
        EXPECT_EQ(got.setup.nUnconfirmed, want.setup.nUnconfirmed);
        for (double _wbLoadState::*p : {&_wbLoadState::nLSeatWeight, &_wbLoadState::nRSeatWeight,
                                        &_wbLoadState::nFuelVolume, &_wbLoadState::nTripFuel})
            EXPECT_TRUE(same(got.load.*p, want.load.*p)) << got.load.*p;
        EXPECT_EQ(got.load.nBallastPosn, want.load.nBallastPosn);
        // Every item as it was, each fitted or not as the flight had it.
        ASSERT_EQ(got.setup.items.size(), want.setup.items.size());
        for (size_t n = 0; n < want.setup.items.size(); n++) {
            const _wbItem &g = got.setup.items[n], &w = want.setup.items[n];
            EXPECT_TRUE(g.strName == w.strName && same(g.nWeight, w.nWeight) && same(g.nLongArm, w.nLongArm) &&
                        same(g.nLatArm, w.nLatArm) && g.bWeighed == w.bWeighed && g.strUnread == w.strUnread)
                << n;
        }
        const std::vector<bool> fitted =
            want.setup.items.empty() ? std::vector<bool>{} : std::vector<bool>{false, false};
        EXPECT_EQ(got.load.fitted, fitted);
        EXPECT_EQ(hovCsvText(got.setup.hover), hovCsvText(want.setup.hover));
        EXPECT_EQ(got.setup.strHoverNotRead, want.setup.strHoverNotRead);
        EXPECT_EQ(got.load.bShowBurnOff, want.load.bShowBurnOff);
        // Recorded and read back, nothing differs; NaN included.
        EXPECT_EQ(recDifferences(got.outputs, want.outputs), std::vector<std::string>{});
        EXPECT_TRUE(std::isnan(got.outputs.points[POINT_LANDING].nWeight) == want.outputs.bLanding);
        // Each line's chain goes on from the last whole line before it.
        EXPECT_TRUE(r.bChained && r.bHashMatches) << r.nLine;
        EXPECT_EQ(r.strChain, recChain(r.nLine == 1   ? ""
                                       : r.nLine == 2 ? lines[0].strChain
                                                      : lines[1].strChain,
                                       recContentHash(recLine(want)),
                                       r.nLine == 1   ? "G-ZARV 2026-12-08 2310.pdf"
                                       : r.nLine == 2 ? ""
                                                      : "x",
                                       {}, r.nLine == 4 ? strSha256 : ""))
            << r.nLine;
        EXPECT_EQ(r.strSheetSha256, r.nLine == 4 ? strSha256 : "") << r.nLine;
    }
}

// A record of three sheets, filed beside it, and each way of tampering with
// it found so far: zarv --verify-record finds every one.
TEST(Record, EveryTamperingIsFound)
{
    // The record's text edited: the pattern and its replacement.
    const auto edit = [](const char* pszPattern, const char* pszWith) {
        return [=](const std::string& strFile) {
            zt::writeFile(strFile, zt::reReplace(zt::readFile(strFile), pszPattern, pszWith));
        };
    };
    // A filed sheet's path, beside the record.
    const auto sheet = [](const std::string& strFile, int nDay) {
        return strFile.substr(0, strFile.rfind('/')) + "/G-ZARV 2026-12-0" + std::to_string(nDay) + " 1000.pdf";
    };
    const struct {
        const char* pszName;
        std::function<void(const std::string& strFile)> tamper;
        int nStatus;
        const char* pszSays;
    } cases[] = {
        {"nothing", [](const std::string&) {}, 0, "3 sheets, all match\n"},
        {"a sheet replaced by one without keywords",
         [&](const std::string& strFile) { zt::writeFile(sheet(strFile, 2), "%PDF-1.5\nforged\n"); }, 1,
         "G-ZARV 2026-12-02 1000.pdf: its content is not the sheet filed with its line (line 2)\n"},
        {"a sheet's body changed, its keywords kept",
         [&](const std::string& strFile) { zt::writeFile(sheet(strFile, 3), zt::readFile(sheet(strFile, 3)) + "q"); },
         1, "G-ZARV 2026-12-03 1000.pdf: its content is not the sheet filed with its line"},
        {"the last line removed after a check",
         [&](const std::string& strFile) {
             testing::internal::CaptureStdout();
             EXPECT_EQ(audVerifyRecord(strFile.substr(0, strFile.rfind("/Load sheets")).c_str()), 0);
             testing::internal::GetCapturedStdout();
             edit("[^\n]*\n\\z", "")(strFile);
         },
         1, "Record.jsonl: line 3, checked on "},
        {"its sheet's SHA-256 taken out, the chain made anew, the sheet changed",
         [&](const std::string& strFile) {
             const std::vector<_recRead> lines = recReadText(zt::readFile(strFile));
             const _recRead& r = lines.back();
             edit(",\"sheetSha256\":\"[0-9a-f]+\"(,\"chain\":)\"[0-9a-f]+\"}\n\\z",
                  ("\\1\"" + recChain(lines[1].strChainOf, r.strHash, r.strSheet) + "\"}\n").c_str())(strFile);
             zt::writeFile(sheet(strFile, 3), zt::readFile(sheet(strFile, 3)) + "q");
         },
         1, "line 3, 2026-12-03T10:00:00+00:00: its sheet's SHA-256 is not there"},
        {"the last line changed and its end removed", edit("\"lSeat\":80([,}][^\n]*)\n\\z", "\"lSeat\":95\\1"), 1,
         "G-ZARV 2026-12-03 1000.pdf: filed, with no line in the record"},
        {"a middle line deleted", edit("\\A([^\n]*\n)[^\n]*\n", "\\1"), 1, "the chain is broken"},
        {"two lines swapped", edit("\\A([^\n]*\n)([^\n]*\n)", "\\2\\1"), 1, "the chain is broken"},
        {"emptied", edit("[^\\x00]+", ""), 1, "G-ZARV 2026-12-01 1000.pdf: filed, with no line in the record"},
        {"a time and a version moved", edit("2026-12-02T(.*)\"1.0.0\"", "2025-12-02T\\1\"0.0.1-evil\""), 1,
         "changed since it was written"},
        {"a time that is none", edit("\"time\":\"2026-12-02T[^\"]+\"", "\"time\":\"x\""), 1,
         "line 2, (no time): its time is not an ISO 8601 time with its zone"},
        {"the commander changed", edit("\"pilot\":\"A. Pilot\"", "\"pilot\":\"B. Other\""), 1,
         "changed since it was written"},
        {"the chain of the last line removed", edit(",\"hash\":[^\n]*(?=\n\\z)", "}"), 1,
         "no chain, after lines with one"},
        // As an older Zarv wrote them: read, and matched to their sheets.
        {"every chain removed", edit(",\"hash\":[^\n]*", "}"), 0, "3 sheets, all match\n"},
        {"every chain removed, then the door put back on",
         [&](const std::string& strFile) {
             edit(",\"hash\":[^\n]*", "}")(strFile);
             edit("\"fitted\":false", "\"fitted\":true")(strFile);
         },
         1, "take-off weight: recorded"},
        {"a link to another file",
         [](const std::string& strFile) {
             g_rename(strFile.c_str(), (strFile + ".real").c_str());
             EXPECT_EQ(symlink((strFile + ".real").c_str(), strFile.c_str()), 0);
         },
         2, "it is a link"},
        {"a pipe",
         [](const std::string& strFile) { EXPECT_TRUE(!g_unlink(strFile.c_str()) && !mkfifo(strFile.c_str(), 0600)); },
         2, "it is not a plain file"},
    };
    // The check reads verdicts in the locale of its environment, as the
    // window writes them.
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    for (const auto& c : cases) {
        zt::TempDir dir;
        const std::string strFolder = dir / "Load sheets";
        g_mkdir(strFolder.c_str(), 0700);
        const int fdDir = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY);
        for (int nDay = 1; nDay <= 3; nDay++) {
            // A sheet as the window records it: the calculation's own figures.
            _wbSetup setup = calcWithFixedArms({});
            setup.nBasicWeight = 400;
            setup.nBasicLongArm = 2700;
            // The last flew with a door off.
            if (nDay == 3)
                setup.items = {{"Left door", 5.4, 1850, -650, true}};
            const _wbLoadState load = {80, 0, 20.0 * nDay, BALLAST_NONE, 0, FALSE, {nDay != 3}};
            const _wbFlight flight = pwbCalcWB(setup, load);
            _recEntry e;
            e.strTime = "2026-12-0" + std::to_string(nDay) + "T10:00:00+00:00";
            e.strVersion = "1.0.0";
            e.strRegistration = "G-ZARV";
            // The second sheet names no one, as an older Zarv's line.
            if (nDay != 2)
                e.strPilot = "A. Pilot", e.strFlight = "Flight " + std::to_string(nDay);
            e.strFingerprint = valFingerprint([](_prmValueId nId) { return nId == VAL_REGISTRATION ? "G-ZARV" : ""; },
                                              PRM_FINGERPRINT_VERSION, setup);
            e.setup = setup;
            e.load = load;
            e.outputs = recOutputsOf(flight, wrdFlightVerdictText(flight, setup));
            const std::string strSheet = "G-ZARV 2026-12-0" + std::to_string(nDay) + " 1000.pdf";
            const std::string strPdf =
                "%PDF-1.5\n/Keywords (" + std::string(REC_PDF_KEYWORD) + recContentHash(recLine(e)) + ")\n";
            zt::writeFile(strFolder + "/" + strSheet, strPdf);
            ASSERT_EQ(recAppend(fdDir, recLine(e), strSheet, recSheetSha256(strPdf)), "");
        }
        close(fdDir);
        c.tamper(strFolder + "/" + REC_FILE_NAME);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int nStatus = audVerifyRecord(dir.path().c_str());
        const std::string strSaid = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_EQ(nStatus, c.nStatus) << c.pszName << ":\n" << strSaid;
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strSaid;
    }
    setlocale(LC_ALL, strLocale.c_str());
}

// A sheet of two legs as the window records it, the second solo with a
// text of its own not read where bUnread: leg 2 out of its lateral limit, or
// not judged; with a fuel flow of nFlow L/h and a 2 L taxi, each leg's needs;
// where bHover, charts made up for the test and each site's conditions.
_recEntry twoLegs(bool bUnread, double nFlow = 0, bool bHover = false)
{
    _wbSetup setup = calcWithFixedArms({});
    setup.nBasicWeight = 400, setup.nBasicLongArm = 2700, setup.nBasicLatArm = 1;
    setup.nFuelFlow = nFlow, setup.nTaxiFuel = 2;
    setup.items = {{"Left door", 5.4, 1850, -650, true}};
    std::vector<_wbLoadState> legs = {{80, 80, 60, BALLAST_NONE, 20, FALSE, {true}},
                                      {0, 80, 0, BALLAST_NONE, 10, FALSE, {false}, true}};
    if (bHover) {
        const _hovChart chart = {{{0, {{500, 10000}, {600, 8000}, {700, 5000}}}, {40, {{500, 6000}, {600, 3000}}}}};
        setup.hover = {chart, chart};
        setup.hover[HOV_OGE].lines[1].points[1].nCeiling = 2000;
        legs[0].nFromElevation = 500, legs[0].nFromQnh = 1013, legs[0].nFromOat = 10;
        legs[0].nToElevation = 3000, legs[0].nToQnh = 1020, legs[0].nToOat = 20;
        legs[1].nToElevation = 4000, legs[1].nToQnh = 1010, legs[1].nToOat = 30;
    }
    stateSettle(legs);
    valTakeUnreadTexts(bUnread ? std::vector<std::pair<std::string, std::string>>{{"Load/RSeat", "8O"}}
                               : std::vector<std::pair<std::string, std::string>>{},
                       1);
    const std::vector<_wbFlight> flights = legJudge(setup, legs, "");
    _recEntry e;
    e.strTime = bUnread ? "2026-12-01T10:00:00+00:00" : "2026-12-02T10:00:00+00:00";
    e.strVersion = "1.0.0";
    e.strRegistration = "G-ZARV";
    e.strFingerprint = valFingerprint([](_prmValueId nId) { return nId == VAL_REGISTRATION ? "G-ZARV" : ""; },
                                      bHover ? 0 : PRM_FINGERPRINT_VERSION, setup);
    e.setup = setup;
    e.load = legs[0];
    const _legVerdict v = legVerdict(setup, flights, legs);
    e.legs = {{legs[1], "", "B. \"Solo\"", "right", valUnreadTexts(1), recOutputsOf(flights[1], "")}};
    e.legs[0].outputs.need = v.needs[1];
    e.legs[0].outputs.hover = v.hover[1];
    e.outputs = recFlightOutputsOf(flights, v);
    return e;
}

// What the record's check says of a line changed by hand (pszPattern
// replaced by pszWith, its chain taken off).
std::string checkSaysOfChanged(const std::string& strLine, const char* pszPattern, const char* pszWith)
{
    zt::TempDir dir;
    const std::string strFolder = dir / "Load sheets";
    g_mkdir(strFolder.c_str(), 0700);
    const std::string strChanged = zt::reReplace(strLine, pszPattern, pszWith);
    zt::writeFile(strFolder + "/" + REC_FILE_NAME, zt::reReplace(strChanged, ",\"hash\":[^\n]*", "}"));
    testing::internal::CaptureStdout();
    audVerifyRecord(dir.path().c_str());
    return testing::internal::GetCapturedStdout();
}

// The needs of each leg are read back as written, and the check recomputes
// them from the line's own rule: a need or a rule changed by hand is named.
// 38 L/h for 20 min is 12 2/3 L; leg 2 lands with 40 - 10 = 30 L.
TEST(Record, EachLegsFuelNeedsAreReadBackAndChecked)
{
    const struct {
        const char* pszName;
        const char* pszPattern;
        const char* pszWith;
        const char* pszSays;
    } cases[] = {
        {"nothing", "^$", "", "with no chain: written outside Zarv, or its chain removed\n"},
        {"leg 2's need", "(\"fuelNeeds\":\\{\"taxi\":0,\"trip\":)10", "\\g<1>9", "leg 2 fuel needed trip: recorded 9"},
        {"the fuel flow", "\"fuelFlow\":38", "\"fuelFlow\":380", "fuel needed reserve: recorded"},
        {"a need taken off", ",\"fuelNeeds\":\\{\"taxi\":2[^}]*\\}", "", "fuel needed: recorded no recomputed yes"},
    };
    // The check writes the verdict's figures in the locale of its
    // environment, as the window does.
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    for (const auto& c : cases) {
        const std::string strLine = recLine(twoLegs(false, 38));
        const _recRead r = recReadLine(strLine.substr(0, strLine.size() - 1), 1, false);
        EXPECT_EQ(recLine(r.entry), strLine);
        EXPECT_EQ(r.entry.legs.at(0).outputs.need.nReserve, 38 * 20 / 60.0);
        const std::string strSaid = checkSaysOfChanged(strLine, c.pszPattern, c.pszWith);
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strSaid;
        EXPECT_EQ(strSaid.find("fuel") == std::string::npos, !std::strcmp(c.pszPattern, "^$")) << c.pszName << ":\n"
                                                                                               << strSaid;
    }
    setlocale(LC_ALL, strLocale.c_str());
}

// Each hover figure is recorded with the site's conditions and recomputed
// from the line's own charts: a figure or a condition changed by hand is
// named, a sheet without conditions keeps no hover at all.
TEST(Record, EachHoverFigureIsRecomputed)
{
    const struct {
        const char *pszName, *pszPattern, *pszWith, *pszSays;
    } cases[] = {
        {"nothing", "^$", "", ""},
        {"a figure", "(\"landing\":\\{\"pressureAltitude\":[^,]+,\"densityAltitude\":[^,]+,\"inGroundEffect\":)[0-9.]+",
         "\\g<1>999", "hover at landing inGroundEffect: recorded 999 recomputed "},
        {"leg 2's landing temperature", "\"landingOat\":30", "\"landingOat\":45",
         "leg 2 hover at landing inGroundEffect: recorded "},
        {"the charts", "IGE,0,700,5000", "IGE,0,700,5500", "hover charts' revision: recorded "},
        {"leg 2's take-off temperature", "(\"legs\".*\"takeOffOat\":)20", "\\g<1>55",
         "leg 2 take-off temperature, where leg 1 landed: recorded 55 recomputed 20"},
        {"the charts' revision", ",\"hoverRevision\":\"[^\"]*\"", "", "hover charts' revision: recorded none"},
    };
    // The check writes the verdict's figures in the locale of its
    // environment, as the window does.
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    for (const auto& c : cases) {
        // The operator's rule asking out of ground effect is kept too.
        _recEntry e = twoLegs(false, 0, true);
        e.setup.nHoverOge = 1;
        e.strHoverRevision = valHoverFingerprint(e.setup.hover);
        const std::string strLine = recLine(e);
        const _recRead r = recReadLine(strLine.substr(0, strLine.size() - 1), 1, false);
        EXPECT_EQ(recLine(r.entry), strLine);
        EXPECT_TRUE(r.entry.legs.at(0).outputs.hover.landing.bShown);
        const std::string strSaid = checkSaysOfChanged(strLine, c.pszPattern, c.pszWith);
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strSaid;
        EXPECT_EQ(strSaid.find("recorded") == std::string::npos, !*c.pszSays) << c.pszName << ":\n" << strSaid;
    }
    setlocale(LC_ALL, strLocale.c_str());
    // Without conditions nothing of hover is written, nor without charts
    // whatever the conditions and the rule.
    EXPECT_EQ(recLine(twoLegs(false, 0, false)).find("hover"), std::string::npos);
    _recEntry e = twoLegs(false, 0, false);
    e.setup.nHoverOge = 1, e.load.nFromOat = 15, e.legs[0].load.nToOat = 15;
    EXPECT_EQ(recLine(e), recLine(twoLegs(false, 0, false)));
}

// A verdict is checked word for word where the line's words are of this
// Zarv's form, and by what it says of the flight where another Zarv wrote
// them, so an older line's words are no difference while its judgement is.
TEST(Record, AVerdictInAnotherZarvsWordsIsCheckedByWhatItSays)
{
    const struct {
        int nForm;
        const char* pszWas;
        const char* pszNow;
        bool bDiffers;
    } cases[] = {
        {0, "WITHIN LIMITS for take-off and with no fuel", "WITHIN LIMITS for take-off and with no fuel — caution: x",
         false},
        {0, "NOT WITHIN LIMITS: weight 680.389 kg", "NOT WITHIN LIMITS: weight 680.3 kg", false},
        {0, "Basic weight and arms not confirmed for this aircraft; NOT WITHIN LIMITS: x",
         "Basic weight and arms not confirmed for this aircraft; NOT WITHIN LIMITS: y", false},
        {0, "WITHIN LIMITS for take-off and with no fuel", "NOT WITHIN LIMITS: x", true},
        {0, "Basic weight and arms not confirmed for this aircraft", "WITHIN LIMITS for take-off and with no fuel",
         true},
        {-1, "NO LOADING ENTERED", "NOT JUDGED: x", true},
        {0, "Basic weight and arms not confirmed for this aircraft",
         "Basic weight and arms not confirmed for this aircraft — caution: maximum speed 95 MPH (82 kt)", false},
        {WRD_VERDICT_FORM, "NOT WITHIN LIMITS: weight 680.389 kg", "NOT WITHIN LIMITS: weight 680.3 kg", true},
    };
    for (const auto& c : cases) {
        _recOutputs was, now;
        was.nVerdictForm = c.nForm, was.strVerdict = c.pszWas, now.strVerdict = c.pszNow;
        EXPECT_EQ(recDifferences(was, now).size(), c.bDiffers ? 1u : 0u) << c.pszWas << " / " << c.pszNow;
    }
}

// A line of several legs reads back as written, and the check finds every
// leg changed by hand, whether or not its chain was taken off with it.
TEST(Record, EveryLegIsReadBackAndChecked)
{
    const std::string strUnchained = ",\"hash\":[^\n]*";
    const struct {
        const char* pszName;
        const char* pszPattern;
        const char* pszWith;
        bool bUnchain;
        const char* pszSays;
    } cases[] = {
        {"nothing", "^$", "", false, "2 sheets, all match\n"},
        {"a seat of leg 2", "(\"2\":\\{\"inputs\":\\{\"lSeat\":0,\"rSeat\":)80", "\\g<1>70", false,
         "line 2, 2026-12-02T10:00:00+00:00: changed since it was written"},
        {"a seat of leg 2, unchained", "(\"2\":\\{\"inputs\":\\{\"lSeat\":0,\"rSeat\":)80", "\\g<1>70", true,
         "line 2, 2026-12-02T10:00:00+00:00: leg 2 take-off weight: recorded"},
        {"leg 2's fuel as landed", "(\"2\":\\{\"inputs\":\\{[^}]*\"fuel\":)[0-9.]+", "\\g<1>60", true,
         "leg 2 fuel, as the leg before landed: recorded 60 recomputed"},
        {"leg 2 removed", ",\"legs\":.*(?=,\"within\":)", "", true, "line 2, 2026-12-02T10:00:00+00:00: verdict:"},
        {"leg 2 renumbered", "\"2\":\\{\"inputs\"", "\"3\":{\"inputs\"", true, "\"legs\" is not legs 2 to 6"},
        {"the flight's verdict", "\"verdict\":\"NOT WITHIN LIMITS: leg 2 \\(solo\\)", "\"verdict\":\"WITHIN LIMITS",
         true, "line 2, 2026-12-02T10:00:00+00:00: verdict: recorded"},
        {"leg 2's text not read", "\"unread\":\\{\"Load/RSeat\":\"8O\"\\}", "\"unread\":{}", true,
         "line 1, 2026-12-01T10:00:00+00:00: verdict: recorded"},
    };
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    for (const auto& c : cases) {
        zt::TempDir dir;
        const std::string strFolder = dir / "Load sheets";
        g_mkdir(strFolder.c_str(), 0700);
        const int fdDir = open(strFolder.c_str(), O_RDONLY | O_DIRECTORY);
        for (bool bUnread : {true, false}) {
            const std::string strLine = recLine(twoLegs(bUnread));
            const _recRead r = recReadLine(strLine.substr(0, strLine.size() - 1), 1, false);
            EXPECT_EQ(r.strError, "");
            EXPECT_EQ(recLine(r.entry), strLine);
            ASSERT_EQ(recAppend(fdDir, strLine, ""), "");
        }
        close(fdDir);
        valTakeUnreadTexts({}, 1);
        const std::string strFile = strFolder + "/" + REC_FILE_NAME;
        zt::writeFile(strFile, zt::reReplace(zt::readFile(strFile), c.pszPattern, c.pszWith));
        if (c.bUnchain)
            zt::writeFile(strFile, zt::reReplace(zt::readFile(strFile), strUnchained, "}"));
        testing::internal::CaptureStdout();
        const int nStatus = audVerifyRecord(dir.path().c_str());
        const std::string strSaid = testing::internal::GetCapturedStdout();
        EXPECT_EQ(nStatus, *c.pszWith || c.bUnchain ? 1 : 0) << c.pszName << ":\n" << strSaid;
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strSaid;
    }
    setlocale(LC_ALL, strLocale.c_str());
}

// A sheet's copy filed from what it is given: under its own name, never
// over another's, whole or not at all, and never through a link.
TEST(Record, FilingKeepsWhatItIsGivenUnderANameOfItsOwn)
{
    constexpr const char* NAME = "G-ZARV 2026-12-08 2310";
    const struct {
        const char* pszName;
        std::string strPdf;
        const char* pszTaken; // a sheet already filed, or null
        bool bFolderLink;     // "Load sheets" planted as a link
        const char* pszFiled; // the name it is filed under, "" for none
        const char* pszSays;  // what the pilot is told, "" for nothing
    } cases[] = {
        {"a fresh folder", "%PDF-1.5 one", nullptr, false, "G-ZARV 2026-12-08 2310.pdf", ""},
        {"its name taken", "%PDF-1.5 two", "G-ZARV 2026-12-08 2310.pdf", false, "G-ZARV 2026-12-08 2310 (2).pdf", ""},
        {"nothing to file", "", nullptr, false, "", "its copy for the record could not be kept in "},
        {"the folder a link", "%PDF-1.5 three", nullptr, true, "", "is not a folder of your own"},
    };
    for (const auto& c : cases) {
        zt::TempDir dir;
        wbSetEtcDir(dir.path());
        const std::string strFolder = dir / "Load sheets";
        if (c.bFolderLink) {
            g_mkdir((dir / "theirs").c_str(), 0700);
            ASSERT_EQ(symlink((dir / "theirs").c_str(), strFolder.c_str()), 0);
        }
        if (c.pszTaken) {
            g_mkdir(strFolder.c_str(), 0700);
            zt::writeFile(strFolder + "/" + c.pszTaken, "another sheet");
        }
        std::string strFiled;
        const std::string strSaid = filFileCopy(c.strPdf, NAME, &strFiled);
        EXPECT_EQ(strSaid.empty(), !*c.pszSays) << c.pszName << ": " << strSaid;
        EXPECT_NE(strSaid.find(c.pszSays), std::string::npos) << c.pszName << ": " << strSaid;
        EXPECT_EQ(strFiled, c.pszFiled) << c.pszName;
        // Only what was there and what was filed: no temporary left.
        std::vector<std::string> want;
        if (c.pszTaken)
            want.push_back(c.pszTaken);
        if (*c.pszFiled)
            want.push_back(c.pszFiled);
        std::sort(want.begin(), want.end());
        EXPECT_EQ(zt::listDir(c.bFolderLink ? dir / "theirs" : strFolder),
                  c.bFolderLink ? std::vector<std::string>{} : want)
            << c.pszName;
        if (*c.pszFiled) {
            EXPECT_EQ(zt::readFile(strFolder + "/" + c.pszFiled), c.strPdf) << c.pszName;
        }
        if (c.pszTaken) {
            EXPECT_EQ(zt::readFile(strFolder + "/" + c.pszTaken), "another sheet") << c.pszName;
        }
    }
}

} // namespace
