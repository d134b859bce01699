// The load sheet, exported to PDF without a dialog and read back with
// pdftotext: every figure the page shows, the registration, the people and
// the verdicts; one page; nothing else touched; a failure logged.
#include "pages.h"

#include "pagWB.h"
#include "pagWBChart.h"
#include "pagWBPage.h"
#include "print.h"
#include "window.h"

#include <gtest/gtest.h>

#include <clocale>
#include <regex>

namespace
{

std::string run(const std::vector<std::string>& args)
{
    std::vector<gchar*> argv;
    for (const std::string& s : args)
        argv.push_back(const_cast<gchar*>(s.c_str()));
    argv.push_back(nullptr);
    g_autofree gchar* pszOut = nullptr;
    gint nStatus = -1;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &pszOut, nullptr, &nStatus,
                      nullptr))
        return "<" + args[0] + " did not run>";
    return pszOut ? pszOut : "";
}

struct Loading {
    const char* pszName;
    const char* pszConf;
    const char* pszTakeOff; // the verdicts in words
    const char* pszNoFuel;
};

void PrintTo(const Loading& c, std::ostream* os)
{
    *os << c.pszName;
}

class LoadSheet : public zt::Pages, public testing::WithParamInterface<Loading>
{
    std::string initialConf() const override
    {
        return GetParam().pszConf;
    }
};

TEST_P(LoadSheet, CarriesEveryFigureTheRegistrationAndTheVerdicts)
{
    const std::string strConf = conf(), strLog = zt::readFile(m_dir / "Zarv.log");
    const _prnSheet sheet = {"A. Pilot", "Flight 42 \u2192 EGKB"};
    const std::string strPdf = m_dir / "sheet.pdf";
    ASSERT_TRUE(wbPrintLoadSheet(GTK_WINDOW(m_pwinMain), strPdf.c_str(), &sheet));
    const std::string strInfo = run({"pdfinfo", strPdf});
    EXPECT_TRUE(std::regex_search(strInfo, std::regex("\nPages: +1\n"))) << strInfo;
    const std::string strText = run({"pdftotext", "-layout", strPdf, "-"});
    if (const char* pszKeep = g_getenv("ZARV_KEEP_SHEET"))
        zt::writeFile(pszKeep, zt::readFile(strPdf));

    for (const char* pszWant : {"G-ZARV", "2026-03-01", "A. Pilot", "Flight 42 \u2192 EGKB", "Commander",
                                GetParam().pszTakeOff, GetParam().pszNoFuel})
        EXPECT_NE(strText.find(pszWant), std::string::npos) << pszWant << "\n" << strText;
    // Every figure of the result table and the zero-fuel row, as the page
    // shows it.
    for (const char* pszCell :
         {"CalBasicWt",     "CalLSeatWt",        "CalRSeatWt",      "CalFuelWt",        "CalBallastWt",
          "CalTotalWt",     "BasicLongArm",      "LSeatLongArm",    "RSeatLongArm",     "FuelLongArm",
          "BallastLongArm", "TotalLongArm",      "BasicLongMoment", "LSeatLongMoment",  "RSeatLongMoment",
          "FuelLongMoment", "BallastLongMoment", "TotalLongMoment", "BasicLatArm",      "LSeatLatArm",
          "RSeatLatArm",    "FuelLatArm",        "BallastLatArm",   "TotalLatArm",      "BasicLatMoment",
          "LSeatLatMoment", "RSeatLatMoment",    "FuelLatMoment",   "BallastLatMoment", "TotalLatMoment",
          "NoFuelWt",       "NoFuelLongArm",     "NoFuelLatArm"})
        EXPECT_NE(strText.find(text(pszCell)), std::string::npos) << pszCell << " " << text(pszCell);
    // The inputs in the pilot's units.
    EXPECT_NE(strText.find(text("LeftSeatWeight") + " " + text("LeftSeatUnits")), std::string::npos) << strText;

    // Printing changed nothing.
    EXPECT_EQ(conf(), strConf);
    EXPECT_EQ(zt::readFile(m_dir / "Zarv.log"), strLog);
}

INSTANTIATE_TEST_SUITE_P(
    Loadings, LoadSheet,
    testing::Values(Loading{"WithinLimits",
                            "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\nLongArm=2700\n"
                            "LatArm=1\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\n",
                            "Take-off", "WITHIN LIMITS"},
                    Loading{"ForwardWithTheFuelBurned",
                            "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\nLongArm=2690\n"
                            "LatArm=1\n[Ballast]\nWeight=10\nFrontLongArm=2000\nRearLongArm=3000\n"
                            "[Load]\nLSeat=80\nRSeat=80\nFuel=60\n",
                            "WITHIN LIMITS", "OUT OF LIMITS: forward of the limit"},
                    // Envelope and weight within, the left seat over its 95.25 kg.
                    Loading{"SeatOverItsLimit",
                            "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\nLongArm=2750\n"
                            "LatArm=1\n[Load]\nLSeat=100\nRSeat=80\nFuel=60\n",
                            "OUT OF LIMITS: left seat over its limit", "OUT OF LIMITS: left seat over its limit"}),
    [](const testing::TestParamInfo<Loading>& p) { return std::string(p.param.pszName); });

using LoadSheetFailure = zt::Pages;

TEST_F(LoadSheetFailure, IsLoggedAndChangesNothing)
{
    const std::string strConf = conf();
    const _prnSheet sheet;
    EXPECT_FALSE(wbPrintLoadSheet(GTK_WINDOW(m_pwinMain), (m_dir / "no/such/directory/sheet.pdf").c_str(), &sheet));
    const std::string strLog = zt::readFile(m_dir / "Zarv.log");
    EXPECT_NE(strLog.find("prnPrintLoadSheet()"), std::string::npos) << strLog;
    EXPECT_EQ(conf(), strConf);
}

} // namespace
