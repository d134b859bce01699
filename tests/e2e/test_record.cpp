// The record of load sheets as a pilot leaves it: a sheet printed to file
// through the print dialog appends its line, and "zarv --verify-record"
// finds it matching, until a figure of it is changed.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

namespace
{

using namespace zt::x11;

// The program on the command line, without a display; its exit status and
// what it printed.
int verifyRecord(const std::string& strCwd, const char* pszEtc, std::string* pstrOut)
{
    std::vector<gchar*> argv = {const_cast<gchar*>(ZARV_EXE), const_cast<gchar*>("--verify-record")};
    if (pszEtc)
        argv.push_back(const_cast<gchar*>(pszEtc));
    argv.push_back(nullptr);
    g_auto(GStrv) ppszEnv = g_environ_unsetenv(g_get_environ(), "DISPLAY");
    g_autofree gchar* pszOut = nullptr;
    gint nWait = -1;
    if (!g_spawn_sync(strCwd.c_str(), argv.data(), ppszEnv, G_SPAWN_DEFAULT, nullptr, nullptr, &pszOut, nullptr, &nWait,
                      nullptr))
        return -1;
    *pstrOut = pszOut ? pszOut : "";
    return WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
}

// The print dialog's window once it shows, else 0.
unsigned long printDialog(void)
{
    g_autofree gchar* pszOut = nullptr;
    gint nStatus = -1;
    const std::string strCommand = "xdotool search --onlyvisible --name '^Print$'";
    if (!g_spawn_command_line_sync(strCommand.c_str(), &pszOut, nullptr, &nStatus, nullptr) ||
        !g_spawn_check_wait_status(nStatus, nullptr))
        return 0;
    return std::strtoul(pszOut, nullptr, 10);
}

using Record = zt::Tree;

TEST_F(Record, ASheetPrintedToFileIsVerifiedUntilAFigureOfItChanges)
{
    zt::writeFile(path("etc/Zarv.conf"), "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\n"
                                         "LongArm=2700\nLatArm=1\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\nTrip=20\n");
    // The machine's only printer is the file: the dialog lists nothing else.
    const std::string strSettings = std::string(g_get_user_config_dir()) + "/gtk-3.0";
    g_mkdir_with_parents(strSettings.c_str(), 0700);
    zt::writeFile(strSettings + "/settings.ini", "[Settings]\ngtk-print-backends = file\n");
    const std::string strRecord = path("etc/Load sheets/Record.jsonl");
    {
        zt::Program program(path("bin"));
        const unsigned long nWin = program.waitForWindow();
        ASSERT_NE(nWin, 0ul) << program.stderrText();
        ASSERT_TRUE(focusWindow(nWin));
        // Ctrl+P, the file printer picked in the list, Return to print (once
        // the printer's options are in, the dialog takes it).
        keys("ctrl+p");
        unsigned long nDialog = 0;
        ASSERT_TRUE(zt::waitUntil([&] { return (nDialog = printDialog()) != 0; }, "the print dialog"));
        ASSERT_TRUE(focusWindow(nDialog));
        keys("Down");
        bool bFiled = false;
        for (int i = 0; i < 5 && !bFiled && printDialog(); i++) {
            keys("Return");
            bFiled = zt::spinUntil([&] {
                const std::string str = zt::readFile(strRecord);
                return !str.empty() && str.back() == '\n';
            });
        }
        ASSERT_TRUE(bFiled) << zt::readFile(path("etc/Zarv.log"));
        EXPECT_TRUE(program.close());
        EXPECT_EQ(program.wait(), 0);
    }
    g_remove((strSettings + "/settings.ini").c_str());
    const std::string strLine = zt::readFile(strRecord);
    EXPECT_NE(strLine.find("\"registration\":\"G-ZARV\""), std::string::npos) << strLine;
    // The sheet filed beside it names the version and the figures' print.
    const std::vector<std::string> fingerprint = zt::reSearch(strLine, "\"fingerprint\":\"(v2:[0-9a-f]{8})\"");
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
            EXPECT_NE(std::string(pszText).find("Zarv " ZARV_VERSION " \u00b7 figures " + fingerprint[1]),
                      std::string::npos)
                << pszText;
        }
    EXPECT_EQ(nSheets, 1);

    // The etc directory Zarv would use from bin/, and nothing written there.
    const std::vector<std::string> files = zt::listDir(path("etc"));
    const std::string strLog = zt::readFile(path("etc/Zarv.log"));
    std::string strOut;
    EXPECT_EQ(verifyRecord(path("bin"), nullptr, &strOut), 0) << strOut;
    EXPECT_EQ(strOut, "1 sheet, all match\n");
    EXPECT_EQ(zt::listDir(path("etc")), files);
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
    zt::writeFile(strRecord, zt::reReplace(strLine, fingerprint[1], "v2:00000000"));
    EXPECT_EQ(verifyRecord(m_dir.path(), path("etc").c_str(), &strOut), 1) << strOut;
    EXPECT_NE(strOut.find(": fingerprint: recorded v2:00000000 recomputed " + fingerprint[1] + "\n"), std::string::npos)
        << strOut;
}

} // namespace
