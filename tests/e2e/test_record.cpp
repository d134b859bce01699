// The record of load sheets as a pilot leaves it: a sheet printed to file
// through the print dialog appends its line, and "zarv --verify-record"
// finds it matching, until a figure of it is changed.
#include "model/synced.h"
#include "model/words.h"
#include "program.h"
#include "store/conf/params.h"
#include "store/conf/stored.h"
#include "store/record/filing.h"
#include "store/record/record.h"
#include "store/school/school.h"
#include "support.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <functional>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

using namespace zt::x11;

// The program on the command line, without a display; its exit status and
// what it printed.
int verifyRecord(const std::string& strCwd, const char* pszEtc, std::string* pstrOut, std::string* pstrErr = nullptr)
{
    return zt::runZarv(pszEtc ? std::vector<std::string>{"--verify-record", pszEtc}
                              : std::vector<std::string>{"--verify-record"},
                       strCwd, pstrOut, pstrErr);
}

using Record = zt::Tree;

TEST_F(Record, ASheetPrintedToFileIsVerifiedUntilAFigureOfItChanges)
{
    zt::writeFile(path("etc/Zarv.conf"), "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\n"
                                         "LongArm=2700\nLatArm=1\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\nTrip=20\n");
    const std::string strRecord = path("etc/Load sheets/Record.jsonl");
    const std::string strWrong = fileSheet(path("bin"), [&] {
        const std::string str = zt::readFile(strRecord);
        return !str.empty() && str.back() == '\n';
    });
    ASSERT_EQ(strWrong, "") << zt::readFile(path("etc/Zarv.log"));
    const std::string strLine = zt::readFile(strRecord);
    EXPECT_NE(strLine.find("\"registration\":\"G-ZARV\""), std::string::npos) << strLine;
    // The sheet filed beside it names the version and the figures' print.
    const std::vector<std::string> fingerprint = zt::reSearch(strLine, "\"fingerprint\":\"(v3:[0-9a-f]{64})\"");
    ASSERT_FALSE(fingerprint.empty()) << strLine;
    int nSheets = 0;
    for (const std::string& strName : zt::listDir(path("etc/Load sheets")))
        if (g_str_has_suffix(strName.c_str(), ".pdf") && ++nSheets) {
            const std::string strPdf = path("etc/Load sheets/") + strName;
            gchar* argv[] = {const_cast<gchar*>("pdftotext"), const_cast<gchar*>(strPdf.c_str()),
                             const_cast<gchar*>("-"), nullptr};
            g_autofree gchar* pszText = nullptr;
            ASSERT_TRUE(g_spawn_sync(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &pszText, nullptr,
                                     nullptr, nullptr));
            EXPECT_NE(std::string(pszText).find("figures " + fingerprint[1]), std::string::npos) << pszText;
        }
    EXPECT_EQ(nSheets, 1);

    // The etc directory Zarv would use from bin/, and nothing written there
    // but what the check remembers.
    std::vector<std::string> files = zt::listDir(path("etc"));
    const std::string strLog = zt::readFile(path("etc/Zarv.log"));
    std::string strOut;
    EXPECT_EQ(verifyRecord(path("bin"), nullptr, &strOut), 0) << strOut;
    EXPECT_EQ(strOut, "1 sheet, all match\n");
    files.push_back("Record check.conf");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(zt::listDir(path("etc")), files);
    EXPECT_NE(zt::readFile(path("etc/Record check.conf")).find("[local]\nRecords=1 "), std::string::npos);
    EXPECT_EQ(zt::readFile(path("etc/Zarv.log")), strLog);

    // The take-off weight changed by a hair is found, on its line.
    const char* pszWeight = "(\"takeOff\":\\{\"weight\":)([0-9.]+)";
    const std::vector<std::string> m = zt::reSearch(strLine, pszWeight);
    ASSERT_FALSE(m.empty()) << strLine;
    zt::writeFile(strRecord, zt::reReplace(strLine, pszWeight, "\\g<1>605.5"));
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_FALSE(
        zt::reSearch(strOut, "^line 1, [-0-9T:+]+: take-off weight: recorded 605.5 recomputed " + m[2] + "\n").empty())
        << strOut;
    // Its filed sheet names the line as it was written.
    EXPECT_EQ(strOut.substr(strOut.rfind('\n', strOut.size() - 2) + 1),
              "1 sheet, 1 does not match, 1 filed without a line\n");

    // So is a fingerprint that is not the one of the line's figures.
    const std::string strOther = "v3:" + std::string(64, '0');
    zt::writeFile(strRecord, zt::reReplace(strLine, fingerprint[1], strOther));
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find(": fingerprint: recorded " + strOther + " recomputed " + fingerprint[1] + "\n"),
              std::string::npos)
        << strOut;

    // Its sheet's body changed, then the sheet removed.
    zt::writeFile(strRecord, strLine);
    const std::string strSheet = zt::reSearch(strLine, "\"sheet\":\"([^\"]+)\"").at(1);
    const std::string strPdf = path("etc/Load sheets/") + strSheet;
    zt::writeFile(strPdf, zt::readFile(strPdf) + "%");
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find(strSheet + ": its content is not the sheet filed with its line"), std::string::npos)
        << strOut;
    ASSERT_EQ(g_unlink(strPdf.c_str()), 0);
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_EQ(strOut, "line 1: its filed sheet " + strSheet + " is missing\n1 sheet, 1 does not match\n");
}

// Files a sheet as the window does from the etc directory strEtc into its
// shared folder: the loading nSheet, printed at strTime; the sheet's name.
std::string fileShared(const std::string& strEtc, int nSheet, const std::string& strTime)
{
    prmReset();
    wbSetEtcDir(strEtc);
    _wbSetup setup = calcWithFixedArms({});
    setup.nBasicWeight = 400, setup.nBasicLongArm = 2700;
    const _wbLoadState load = {80, 0, 20.0 * nSheet, BALLAST_NONE, 0, FALSE, {}};
    const _wbFlight flight = pwbCalcWB(setup, load);
    _recEntry e;
    e.strTime = strTime;
    e.strVersion = "1.0.0", e.strRegistration = "G-ZARV";
    e.strFingerprint = valFingerprint([](_prmValueId nId) { return nId == VAL_REGISTRATION ? "G-ZARV" : ""; },
                                      PRM_FINGERPRINT_VERSION, setup);
    e.setup = setup, e.load = load;
    e.outputs = recOutputsOf(flight, wrdFlightVerdictText(flight, setup));
    const std::string strPdf =
        "%PDF-1.5\n/Keywords (" + std::string(REC_PDF_KEYWORD) + recContentHash(recLine(e)) + ")\n";
    std::string strFiled;
    EXPECT_EQ(filFileCopy(strPdf, "G-ZARV " + strTime.substr(0, 10) + " 1000", &strFiled), "");
    EXPECT_EQ(filRecordLine(recLine(e), strFiled, strPdf), "");
    return strFiled;
}

// What someone with write access to the shared folder (and to a machine of
// their own) tries, and what the office's check names: each row enrols the
// machines of "etc" (the office) and "etc2", files a sheet from each, then
// tampers.
struct Tampering {
    const char* pszName;
    std::function<void(const std::function<std::string(const char*)>& path, const std::string& strShared)> tamper;
    const char* pszNamed;
};

void PrintTo(const Tampering& t, std::ostream* pos)
{
    *pos << t.pszName;
}

class SchoolTampering : public zt::Tree, public testing::WithParamInterface<Tampering>
{
};

// The record files of the folder, by name.
std::vector<std::string> recordFiles(const std::string& strShared)
{
    std::vector<std::string> names;
    for (const std::string& str : zt::listDir(strShared))
        if (g_str_has_prefix(str.c_str(), "Record ") && g_str_has_suffix(str.c_str(), ".jsonl"))
            names.push_back(str);
    std::sort(names.begin(), names.end());
    return names;
}

TEST_P(SchoolTampering, IsNamedByTheOffice)
{
    const std::string strShared = path("shared");
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    const auto at = [this](const char* psz) { return path(psz); };
    const std::string strNow = recTimeText(time(nullptr));
    for (const char* pszEtc : {"etc", "etc2", "etc3"}) {
        g_mkdir(path(pszEtc).c_str(), 0700);
        zt::writeFile(path(pszEtc) + "/Zarv.conf", "[School]\nSheets=" + strShared + "\n");
    }
    fileShared(path("etc"), 1, strNow);
    fileShared(path("etc2"), 2, strNow);
    std::string strOut;
    for (const char* pszEtc : {"etc", "etc2"})
        ASSERT_EQ(zt::runZarv({"--enrol", sgnKeyDigest(zt::readFile(path(pszEtc) + "/Machine.pub")), path("etc")},
                              m_dir.path(), &strOut),
                  0)
            << strOut;
    ASSERT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 0) << strOut;
    GetParam().tamper(at, strShared);
    setlocale(LC_ALL, strLocale.c_str());
    prmReset();
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find(GetParam().pszNamed), std::string::npos) << strOut;
}

INSTANTIATE_TEST_SUITE_P(
    Record, SchoolTampering,
    testing::Values(
        Tampering{"AMachineNotEnrolled",
                  [](const auto& path, const std::string&) { fileShared(path("etc3"), 3, recTimeText(time(nullptr))); },
                  ", which the school has not enrolled"},
        Tampering{"ARevokedMachine",
                  [](const auto& path, const std::string&) {
                      std::string strOut;
                      ASSERT_EQ(zt::runZarv({"--revoke", sgnKeyDigest(zt::readFile(path("etc2") + "/Machine.pub")),
                                             path("etc")},
                                            path("."), &strOut),
                                0)
                          << strOut;
                      fileShared(path("etc2"), 3, recTimeText(time(nullptr)));
                  },
                  "after it was revoked on "},
        // The key and the memory copied: both machines go on from 1.
        Tampering{"AMachineKeyCopied",
                  [](const auto& path, const std::string&) {
                      for (const char* pszFile : {"/Machine.key", "/Machine.pub", "/Machine record.conf"}) {
                          zt::writeFile(path("etc3") + pszFile, zt::readFile(path("etc2") + pszFile));
                          g_chmod((path("etc3") + pszFile).c_str(), 0600);
                      }
                      fileShared(path("etc3"), 3, recTimeText(time(nullptr)));
                      fileShared(path("etc2"), 4, recTimeText(time(nullptr)));
                  },
                  " is there twice"},
        // Another flight's figures in an enrolled machine's record, its
        // hash and chain made anew: only the key could sign them.
        // Another flight's figures in the second record of an enrolled
        // machine, its hash made anew and its chain and signature kept,
        // the record before it taken away so that no chain leads to it.
        Tampering{"ARecordRewritten",
                  [](const auto& path, const std::string& strShared) {
                      fileShared(path("etc2"), 3, recTimeText(time(nullptr)));
                      const std::string strId =
                          synMachineOfKey(sgnKeyDigest(zt::readFile(path("etc2") + "/Machine.pub")));
                      std::vector<std::string> files;
                      for (const std::string& str : recordFiles(strShared))
                          if (str.find(strId) != std::string::npos)
                              files.push_back(strShared + "/" + str);
                      ASSERT_EQ(files.size(), 2u);
                      ASSERT_EQ(g_unlink(files[0].c_str()), 0);
                      std::string strLine = zt::reReplace(zt::readFile(files[1]), "\"lSeat\":80", "\"lSeat\":81");
                      const size_t nAt = strLine.rfind(",\"hash\":");
                      const std::string strHash = recContentHash(strLine.substr(0, nAt) + "}\n");
                      zt::writeFile(files[1], strLine.substr(0, nAt) + zt::reReplace(strLine.substr(nAt),
                                                                                     "^,\"hash\":\"[0-9a-f]+\"",
                                                                                     ",\"hash\":\"" + strHash + "\""));
                  },
                  "its signature does not verify with the key of machine"},
        // A machine of the attacker's own, unsigned, where the school
        // enrols its machines.
        // Dated before the enrolment, and checked once on its day: a record
        // that failed is never taken as checked before.
        Tampering{"AnUnsignedRecord",
                  [](const auto& path, const std::string& strShared) {
                      const std::string strFile = recordFiles(strShared).back();
                      std::string strLine = zt::readFile(strShared + "/" + strFile);
                      strLine = zt::reReplace(strLine, "\"time\":\"[^\"]*\"", "\"time\":\"2001-01-01T10:00:00+00:00\"");
                      zt::writeFile(strShared + "/" +
                                        zt::reReplace(strFile, "^Record [0-9a-f]{12}", "Record 0123456789ab"),
                                    zt::reReplace(zt::reReplace(strLine, ",\"signature\":\"[^\"]*\"", ""),
                                                  "\"machine\":\"[0-9a-f]{12}\"", "\"machine\":\"0123456789ab\""));
                      std::string strOut;
                      EXPECT_EQ(verifyRecord(path("."), path("etc").c_str(), &strOut), 1) << strOut;
                  },
                  "unsigned, and not checked before the school enrolled its machines"},
        // Another Zarv's record of sheets, not a school's, put in the folder.
        Tampering{"ARecordOfAnotherZarv",
                  [](const auto& path, const std::string& strShared) {
                      g_mkdir(path("etc4").c_str(), 0700);
                      const std::string strSheet = fileShared(path("etc4"), 3, recTimeText(time(nullptr)));
                      for (const std::string& str : {std::string(REC_FILE_NAME), strSheet})
                          zt::writeFile(strShared + "/" + str, zt::readFile(path("etc4") + "/Load sheets/" + str));
                  },
                  "line 1: unsigned, and not checked before the school enrolled its machines"},
        // A record file's name on a pipe, the record gone.
        Tampering{"APipeForARecordFile",
                  [](const auto&, const std::string& strShared) {
                      const std::string strFile = strShared + "/" + recordFiles(strShared).back();
                      ASSERT_EQ(g_unlink(strFile.c_str()), 0);
                      ASSERT_EQ(mkfifo(strFile.c_str(), 0600), 0);
                  },
                  ": not a plain file (a link, a pipe or a folder): never read as a sheet or a record"},
        // A machine enrolled once its first record was taken away.
        Tampering{
            "TheFirstRecordOfANewMachineRemoved",
            [](const auto& path, const std::string& strShared) {
                for (int nSheet : {3, 4})
                    fileShared(path("etc3"), nSheet, recTimeText(time(nullptr)));
                const std::string strKey = zt::readFile(path("etc3") + "/Machine.pub");
                std::string strOut;
                ASSERT_EQ(zt::runZarv({"--enrol", sgnKeyDigest(strKey), path("etc")}, path("."), &strOut), 0) << strOut;
                for (const std::string& str : recordFiles(strShared)) {
                    if (str.find(synMachineOfKey(sgnKeyDigest(strKey)) + " 000001 ") != std::string::npos) {
                        ASSERT_EQ(g_unlink((strShared + "/" + str).c_str()), 0);
                    }
                }
            },
            ": record 1, never checked by the office, is not here"},
        // Sheets flown on figures the office never published for the
        // registration it publishes.
        Tampering{"FiguresNeverPublished",
                  [](const auto& path, const std::string&) {
                      const std::string strFile = path("etc") + "/" + SCH_PUBLISHED_FILE;
                      zt::writeFile(strFile, "[Published]\nRevisions=2000-01-01T00:00:00+00:00 2 v3:" +
                                                 std::string(64, '0') + " G-ZARV;\n");
                      g_chmod(strFile.c_str(), 0600);
                  },
                  " is not of a revision the school published for G-ZARV"},
        // A sheet found NOT WITHIN taken away with its record: the next
        // takes the next number all the same.
        Tampering{"ARecordRemovedBeforeTheNext",
                  [](const auto& path, const std::string& strShared) {
                      const std::string strNow = recTimeText(time(nullptr));
                      const std::string strSheet = fileShared(path("etc2"), 9, strNow);
                      for (const std::string& str : recordFiles(strShared)) {
                          if (zt::readFile(strShared + "/" + str).find(strSheet) != std::string::npos) {
                              ASSERT_EQ(g_unlink((strShared + "/" + str).c_str()), 0);
                          }
                      }
                      ASSERT_EQ(g_unlink((strShared + "/" + strSheet).c_str()), 0);
                      fileShared(path("etc2"), 3, strNow);
                  },
                  ": record 2 is missing"}),
    [](const testing::TestParamInfo<Tampering>& p) { return std::string(p.param.pszName); });

// The office's memory with every record first checked on 2001-01-02, as
// if it checked them long ago, closed by its sum as the check closes it.
void backdate(const std::string& strCheck)
{
    std::string str =
        zt::reReplace(zt::readFile(strCheck), "(;|=)([0-9]+ \\S+) [0-9]{4}-[0-9]{2}-[0-9]{2} ", "\\1\\2 2001-01-02 ");
    str.resize(str.rfind("[Sum]"));
    g_autofree gchar* pszSum = g_compute_checksum_for_string(G_CHECKSUM_SHA256, str.c_str(), str.size());
    zt::writeFile(strCheck, str + "[Sum]\nSHA256=" + pszSum + "\n");
}

// Two machines (two etc directories) filing into one shared folder, as the
// window files a sheet: a record file removed between two of one machine's
// is named as missing, and a sync tool's conflict copy is named and not used;
// a sheet forged, changed or removed is found, and a machine's last records
// removed after the office checked them.
TEST_F(Record, TwoMachinesSharingAFolderAreCheckedEachInItsOrder)
{
    const std::string strShared = path("shared");
    const std::string strLocale = setlocale(LC_ALL, nullptr);
    setlocale(LC_ALL, "");
    std::vector<std::string> ids;
    std::vector<std::vector<std::string>> names, sheets; // each machine's record files and sheets, in order
    for (const char* pszEtc : {"etc", "etc2"}) {
        g_mkdir(path(pszEtc).c_str(), 0700);
        zt::writeFile(path(pszEtc) + "/Zarv.conf", "[School]\nSheets=" + strShared + "\nKeepMonths=3\n");
        prmReset();
        wbSetEtcDir(path(pszEtc));
        ids.push_back(filMachineId());
        sheets.emplace_back();
        // The second's last two are of today.
        const int nSheets = ids.size() == 1 ? 3 : 5;
        for (int nSheet = 1; nSheet <= nSheets; nSheet++) {
            // Long past, so whatever today is it is older than the months kept.
            const std::string strFiled = fileShared(
                path(pszEtc), nSheet,
                nSheet <= 3 ? "2001-0" + std::to_string(nSheet) + "-01T10:00:00+00:00" : recTimeText(time(nullptr)));
            EXPECT_NE(strFiled.find(" " + ids.back() + " "), std::string::npos) << strFiled;
            sheets.back().push_back(strShared + "/" + strFiled);
        }
        names.emplace_back();
        for (const std::string& str : zt::listDir(strShared))
            if (str.find(ids.back()) != std::string::npos && g_str_has_suffix(str.c_str(), ".jsonl"))
                names.back().push_back(str);
        ASSERT_EQ(names.back().size(), static_cast<size_t>(nSheets));
    }
    setlocale(LC_ALL, strLocale.c_str());
    prmReset();
    ASSERT_NE(ids[0], ids[1]);
    std::string strOut;
    // The office (the first) enrols both, each by its key's whole digest.
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find(", which the school has not enrolled"), std::string::npos) << strOut;
    for (const char* pszEtc : {"etc", "etc2"})
        ASSERT_EQ(zt::runZarv({"--enrol", sgnKeyDigest(zt::readFile(path(pszEtc) + "/Machine.pub")), path("etc")},
                              m_dir.path(), &strOut),
                  0)
            << strOut;
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 0) << strOut;
    EXPECT_NE(strOut.find("8 sheets, all match\n"), std::string::npos) << strOut;
    // The months kept count from the line's time, or from the day the
    // office first checked it where that is later: as if it checked these
    // long ago.
    backdate(path("etc/Record check.conf"));

    ASSERT_EQ(g_unlink((strShared + "/" + names[0][1]).c_str()), 0);
    zt::writeFile(sheets[0][0], "%PDF-1.5\nforged\n");
    zt::writeFile(sheets[0][2], zt::readFile(sheets[0][2]) + "%");
    // Removed: an old sheet, as the school may; one of today; the last
    // record with its sheet.
    for (const std::string& str : {sheets[1][0], sheets[1][3], sheets[1][4], strShared + "/" + names[1][4]})
        ASSERT_EQ(g_unlink(str.c_str()), 0) << str;
    const std::string strConflict =
        names[1][0].substr(0, names[1][0].size() - 6) + ".sync-conflict-20010102-101500-ABCDEFG.jsonl";
    zt::writeFile(strShared + "/" + strConflict, zt::readFile(strShared + "/" + names[1][0]));
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    const auto base = [](const std::string& str) { return str.substr(str.rfind('/') + 1); };
    for (const std::string& str :
         {"machine " + ids[0] + ": record 2 is missing (between " + names[0][0] + " and " + names[0][2] + ")\n",
          strConflict + ": a sync tool's conflict copy, never used as a record",
          base(sheets[0][0]) + ": its content is not the sheet filed with its line (" + names[0][0] + ")\n",
          base(sheets[0][2]) + ": its content is not the sheet filed with its line (" + names[0][2] + ")\n",
          names[1][3] + ": its filed sheet " + base(sheets[1][3]) + " is missing\n",
          "machine " + ids[1] + ": record 5, checked on ",
          std::string("6 sheets, 3 do not match, 1 filed without a line, 1 record file missing, 1 conflict copy, 1 "
                      "checked record gone\n"),
          "older than 3 months, may be removed: " + names[1][2] + "\n",
          "older than 3 months, may be removed: " + base(sheets[1][0]) + " (already removed)\n"})
        EXPECT_NE(strOut.find(str), std::string::npos) << str << " in:\n" << strOut;
    // The loss is said again at the next check, until it is mended.
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find("machine " + ids[1] + ": record 5, checked on "), std::string::npos) << strOut;
}

// A machine's four records, the first two long ago, checked once by the
// office as if long ago; then each way of blinding the office's memory or
// slipping past it: "zarv --verify-record" names or refuses every one.
TEST(RecordMemory, ForgetsNothingItChecked)
{
    struct Filed {
        std::string strShared, strCheck;
        std::vector<std::string> names, sheets;
        std::string record(size_t n) const
        {
            return strShared + "/" + names[n];
        }
    };
    const auto edit = [](const std::string& strFile, const char* pszPattern, const std::string& strWith) {
        zt::writeFile(strFile, zt::reReplace(zt::readFile(strFile), pszPattern, strWith));
    };
    // The memory as the Zarv before its sum wrote it: each record's number,
    // first day and line's time, and the last checked with its chain.
    const auto older = [](const Filed& f, const std::string& strChecked) {
        std::string str = zt::reReplace(zt::readFile(f.strCheck), "\\A[^[]*|\\n\\[Sum\\][\\s\\S]*", "");
        str = zt::reReplace(str, "([0-9]+) \\S+ (\\S+) (\\d{4})(\\d\\d)(\\d\\d)T(\\d\\d)(\\d\\d)(\\d\\d)Z",
                            "\\1 \\2 \\3-\\4-\\5T\\6:\\7:\\8Z");
        zt::writeFile(f.strCheck, str +
                                      "Sequence=4\nChain=" + recReadText(zt::readFile(f.record(3))).front().strChainOf +
                                      "\nChecked=" + strChecked + "\n");
    };
    const struct {
        const char* pszName;
        std::function<void(const Filed& f)> tamper;
        int nStatus;
        const char* pszSays;
        const char* pszThen = nullptr; // what it printed, then the memory it left, match
    } cases[] = {
        {"the two oldest pruned, as the school may", [](const Filed&) {}, 0, "2 sheets, all match\n"},
        {"pruned, then the first here rewritten to an older time, chained on",
         [](const Filed& f) {
             const std::string strLine = zt::readFile(f.record(2));
             const _recRead r = recReadText(strLine).front(), before = recReadText(zt::readFile(f.record(1))).front();
             const std::string strContent = zt::reReplace(strLine.substr(0, strLine.rfind(",\"hash\":")) + "}\n",
                                                          "\"time\":\"[^\"]+\"", "\"time\":\"2001-03-15T10:00:00Z\"");
             const std::string strPdf = "%PDF-1.5\n/Keywords (record " + recContentHash(strContent) + ")\n";
             zt::writeFile(f.strShared + "/" + r.strSheet, strPdf);
             zt::writeFile(f.record(2),
                           recChainedLine(strContent, r.strSheet, before.strChainOf, r.place, recSheetSha256(strPdf)));
         },
         1, "changed since it was checked on 2001-01-02"},
        {"two filed after the check, all but the last removed",
         [](const Filed& f) {
             for (int nSheet : {5, 6})
                 fileShared(f.strCheck.substr(0, f.strCheck.rfind('/')), nSheet, recTimeText(time(nullptr)));
             for (const std::string& str : {f.record(2), f.record(3), f.strShared + "/" + recordFiles(f.strShared)[4]})
                 EXPECT_EQ(g_unlink(str.c_str()), 0);
         },
         1, "record 5, after the last checked before the first here (4, on 2001-01-02), is missing"},
        {"a memory with a field of 1 MB",
         [&](const Filed& f) {
             edit(f.strCheck, "Z;\n", "Z" + std::string(1 << 20, '0') + ";\n"), backdate(f.strCheck);
         },
         2, "a record of ["},
        {"a memory of 5 MB", [&](const Filed& f) { edit(f.strCheck, "\\A", "#" + std::string(5 << 20, ' ') + "\n"); },
         2, "larger than any this check writes"},
        {"a memory edited by hand", [&](const Filed& f) { edit(f.strCheck, "2001-01-02", "2001-01-03"); }, 2,
         "its sum is not of what it holds"},
        {"a memory an older Zarv wrote, its last record and sheet gone since",
         [&](const Filed& f) {
             older(f, "2001-01-02");
             EXPECT_TRUE(!g_unlink(f.record(3).c_str()) && !g_unlink(f.sheets[3].c_str()));
         },
         1, "Record check.conf: the memory of an older Zarv, carried on\n",
         "(?s)record 4, checked on 2001-01-02, is gone\n.*;4 [0-9a-f]{64} 2001-01-02 \\w+;\n\n\\[Sum\\]\nSHA256="},
        {"a memory an older Zarv wrote, a value not of its form", [&](const Filed& f) { older(f, "yesterday"); }, 2,
         "does not hold the keys an older Zarv wrote"},
        {"a memory not yours, or others may change it",
         [](const Filed& f) { EXPECT_TRUE(!chown(f.strCheck.c_str(), 1, 1) || !chmod(f.strCheck.c_str(), 0666)); }, 2,
         "it is not yours, or others may change it"},
        {"a memory that is a pipe",
         [](const Filed& f) { EXPECT_TRUE(!g_unlink(f.strCheck.c_str()) && !mkfifo(f.strCheck.c_str(), 0600)); }, 2,
         "it is not a plain file"},
        {"gaps adding to 2^32",
         [](const Filed& f) {
             _synRecordName name;
             ASSERT_TRUE(synReadRecordName(f.names[3], &name));
             for (long long nSequence : {2147483653LL, 4294967302LL})
                 zt::writeFile(f.strShared + "/" + synRecordName(name.strMachine, nSequence, 0, name.strRandom),
                               zt::readFile(f.record(3)));
         },
         1, ", 4294967296 record files missing"},
        {"a shared Record.jsonl that is a link",
         [](const Filed& f) { EXPECT_EQ(symlink(f.record(3).c_str(), (f.strShared + "/Record.jsonl").c_str()), 0); }, 2,
         "Record.jsonl cannot be read: it is a link"},
        {"a shared Record.jsonl that is a pipe",
         [](const Filed& f) { EXPECT_EQ(mkfifo((f.strShared + "/Record.jsonl").c_str(), 0600), 0); }, 2,
         "Record.jsonl cannot be read: it is not a plain file"},
    };
    for (const auto& c : cases) {
        zt::TempDir dir;
        const std::string strEtc = dir / "etc";
        Filed f = {dir / "shared", strEtc + "/Record check.conf", {}, {}};
        g_mkdir(strEtc.c_str(), 0700);
        zt::writeFile(strEtc + "/Zarv.conf", "[School]\nSheets=" + f.strShared + "\nKeepMonths=3\n");
        const std::string strLocale = setlocale(LC_ALL, nullptr);
        setlocale(LC_ALL, "");
        for (int n = 1; n <= 4; n++) {
            const std::string strTime =
                n > 2 ? recTimeText(time(nullptr)) : "2001-0" + std::to_string(n) + "-01T10:00:00Z";
            f.sheets.push_back(f.strShared + "/" + fileShared(strEtc, n, strTime));
        }
        setlocale(LC_ALL, strLocale.c_str());
        f.names = recordFiles(f.strShared);
        std::string strOut, strErr;
        ASSERT_EQ(
            zt::runZarv({"--enrol", sgnKeyDigest(zt::readFile(strEtc + "/Machine.pub")), strEtc}, dir.path(), &strOut),
            0);
        ASSERT_EQ(verifyRecord(dir.path(), strEtc.c_str(), &strOut), 0) << strOut;
        backdate(f.strCheck);
        c.tamper(f);
        // The school prunes what is past the months kept.
        for (const std::string& str : {f.record(0), f.record(1), f.sheets[0], f.sheets[1]})
            ASSERT_EQ(g_unlink(str.c_str()), 0) << str;
        // A memory refused is left as it was (a pipe is not read).
        const bool bPlain = g_file_test(f.strCheck.c_str(), G_FILE_TEST_IS_REGULAR);
        const std::string strMemory = bPlain ? zt::readFile(f.strCheck) : "";
        EXPECT_EQ(verifyRecord(dir.path(), strEtc.c_str(), &strOut, &strErr), c.nStatus) << c.pszName;
        EXPECT_NE((strOut + strErr).find(c.pszSays), std::string::npos) << c.pszName << ":\n" << strOut << strErr;
        EXPECT_TRUE(c.nStatus != 2 || !bPlain || zt::readFile(f.strCheck) == strMemory) << c.pszName;
        EXPECT_TRUE(!c.pszThen || !zt::reSearch(strOut + zt::readFile(f.strCheck), c.pszThen).empty())
            << c.pszName << ":\n"
            << strOut << zt::readFile(f.strCheck);
        // A loss or a change is said again at the next check, never taken
        // as checked.
        if (c.nStatus == 1) {
            EXPECT_EQ(verifyRecord(dir.path(), strEtc.c_str(), &strOut), 1) << c.pszName << " again:\n" << strOut;
        }
    }
}

} // namespace
