// The setup record as read from Zarv.conf, and the unit conversions.
#include "model/date.h"
#include "model/words.h"
#include "store.h"
#include "store/aircraft/figures.h"
#include "store/aircraft/fleet.h"
#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "support.h"
#include "sys/paths.h"
#include "ui/misc.h"
#include "ui/shown.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <set>

namespace
{

class SetupRecord : public zt::FreshStore<testing::Test>
{
  protected:
    void SetUp() override
    {
        FreshStore::SetUp();
        stateEditSetup() = {};
    }
};

TEST_F(SetupRecord, NoFileGivesZerosInternalUnitsAndTheFixedArms)
{
    prmLoadKeyFile();
    psetParams();
    const _wbSetup& s = m_wbSetup;
    EXPECT_EQ(s.nUnitFuel, UNIT_FUEL_LITRE);
    EXPECT_EQ(s.nUnitArm, UNIT_ARM_MM);
    EXPECT_EQ(s.nUnitWt, UNIT_WT_KG);
    for (double n : {s.nBasicWeight, s.nBasicLatArm, s.nBasicLongArm, s.nBallastWt, s.nBallastFrontLatArm,
                     s.nBallastFrontLongArm, s.nBallastRearLongArm, s.nBallastRearLatArm})
        EXPECT_EQ(n, 0.0);
    // The products of the inch values, not the rounded millimetre literals.
    EXPECT_EQ(s.nLSeatLatArm, -10.25 * 25.4);
    EXPECT_EQ(s.nLSeatLongArm, 71 * 25.4);
    EXPECT_EQ(s.nRSeatLatArm, 10.25 * 25.4);
    EXPECT_EQ(s.nRSeatLongArm, 71 * 25.4);
    EXPECT_EQ(s.nFuelLongArm, 100 * 25.4);
    EXPECT_EQ(s.nFuelLatArm, 0.125 * 25.4);
    EXPECT_NEAR(s.nLSeatLatArm, -260.35, 1e-9);
    EXPECT_NEAR(s.nFuelLatArm, 3.175, 1e-12);
    EXPECT_FALSE(zt::exists(m_dir / "Zarv.conf")); // reading writes nothing back
}

TEST_F(SetupRecord, ValuesAreTakenAsStored)
{
    zt::writeFile(m_dir / "Zarv.conf", "[Unit]\nWeight=7\nArm=1\nFuel=2\n"
                                       "[Basic]\nWeight=400\nLatArm=-1.5\nLongArm=2700\n"
                                       "[Ballast]\nWeight=10\nFrontLatArm=2\nFrontLongArm=1000\nRearLongArm=3000\n");
    prmLoadKeyFile();
    psetParams();
    const _wbSetup& s = m_wbSetup;
    EXPECT_EQ(s.nUnitWt, 7); // out of range, kept as read
    EXPECT_EQ(s.nUnitArm, UNIT_ARM_INCH);
    EXPECT_EQ(s.nUnitFuel, UNIT_FUEL_IMPGAL);
    EXPECT_EQ(s.nBasicWeight, 400);
    EXPECT_EQ(s.nBasicLatArm, -1.5);
    EXPECT_EQ(s.nBasicLongArm, 2700);
    EXPECT_EQ(s.nBallastWt, 10);
    EXPECT_EQ(s.nBallastFrontLatArm, 2);
    EXPECT_EQ(s.nBallastFrontLongArm, 1000);
    EXPECT_EQ(s.nBallastRearLongArm, 3000);
    EXPECT_EQ(s.nBallastRearLatArm, 0.0);
    // A unit outside the enumeration converts and labels as the internal unit.
    EXPECT_EQ(unitKgToWeight(300, s.nUnitWt), 300);
    EXPECT_STREQ(unitWeightLabel(s.nUnitWt), "kgs");
}

// The digests were made with sha256sum of the same lines, outside Zarv.
TEST_F(SetupRecord, TheFingerprintCoversEveryFigureToAThousandth)
{
    zt::writeFile(m_dir / "Zarv.conf", "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\nUnconfirmed=0\n"
                                       "[Basic]\nWeight=400\nLatArm=-1.5\nLongArm=2700\n[Unit]\nWeight=1\n"
                                       "[Ballast]\nWeight=10\nFrontLatArm=2\nFrontLongArm=1000\nRearLongArm=3000\n");
    prmLoadKeyFile();
    psetParams();
    const _prmTextOf text = valGetText;
    const std::string strFirst = "Aircraft/Registration=G-ZARV\nAircraft/Weighed=2024-03-01\nBasic/Weight=400.000\n"
                                 "Basic/LongArm=2700.000\nBasic/LatArm=-1.500\nBallast/Weight=10.000\n"
                                 "Ballast/FrontLongArm=1000.000\nBallast/FrontLatArm=2.000\n"
                                 "Ballast/RearLongArm=3000.000\nFuel/Density=0.000\n";
    EXPECT_EQ(valFigureText(text, 1), strFirst);
    EXPECT_EQ(valFigureText(), strFirst + "Aircraft/Unconfirmed=0\nAircraft/CopiedFrom=\n"
                                          "Aircraft/WeighingIntervalMonths=0.000\n");
    EXPECT_EQ(valFingerprint(text, 1), "17392627");
    // The second version also covers what decides the banners and flags;
    // the third keeps the whole hash of the same.
    const std::string strWhole = "34319e0ae5b577f17ef7546a5211e7153bb216f26e402723d0bf073ea4639116";
    EXPECT_EQ(valFingerprint(text, 2), "v2:34319e0a");
    EXPECT_EQ(valFingerprint(), "v3:" + strWhole);
    valStoreValue(VAL_BASIC_WEIGHT, 400.001);
    EXPECT_EQ(valFingerprint(text, 1), "fb241976");
    for (const std::string& str : std::vector<std::string>{"17392627", "v2:34319e0a", "v3:" + strWhole})
        EXPECT_EQ(valFingerprintVersion(str), str[0] == 'v' ? str[1] - '0' : 1);
    for (const std::string& str : std::vector<std::string>{
             "", "v3:34319e0a", "v2:" + strWhole, "v2:34319e0", "v2:34319e0a ", "1739262", "v1:17392627", "1739262g",
             "v3:" + strWhole.substr(1) + "G", "v" + std::to_string(PRM_FINGERPRINT_NEWEST + 1) + ":" + strWhole})
        EXPECT_EQ(valFingerprintVersion(str), 0) << str;
}

// Which commits ask for a reason, and the history as the next start reads it.
TEST_F(SetupRecord, AnAircraftWithRegistrationAndDateAmendsItsFiguresWithAReason)
{
    const struct {
        const char* pszIdentity;
        _prmValueId nId;
        bool bAsks;
    } cases[] = {
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_BASIC_WEIGHT, true},
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_FUEL_DENSITY, true},
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_REGISTRATION, true},
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_WEIGHED, true},
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_WEIGHING_MONTHS, true},
        // Under control for good once it has a history or a fingerprint.
        {"History=2026-01-01 10:00:00 +0000|Basic/Weight|400|401|paint;\n", VAL_REGISTRATION, true},
        {"Fingerprint=v2:17392627 2026-01-01 10:00:00 +0000\n", VAL_BASIC_WEIGHT, true},
        // An older Zarv recorded its kind of fingerprint for any aircraft.
        {"Fingerprint=17392627 2026-01-01 10:00:00 +0000\n", VAL_BASIC_WEIGHT, false},
        {"Registration=G-ZARV\nWeighed=2024-03-01\n", VAL_LSEAT, false},
        {"Registration=G-ZARV\n", VAL_BASIC_WEIGHT, false},
        {"Weighed=2024-03-01\n", VAL_BASIC_LAT_ARM, false},
    };
    for (const auto& c : cases) {
        restart();
        zt::writeFile(m_dir / "Zarv.conf", std::string("[Aircraft]\n") + c.pszIdentity);
        prmLoadKeyFile();
        EXPECT_EQ(figAsksAmend(c.nId), c.bAsks) << c.pszIdentity << valValue(c.nId).pszKey;
    }

    // Awkward reasons come back as typed, the old and new value as stored.
    const char* reasons[] = {"reweighed; new paint", "two\nlines | and a bar", "Nachw\u00e4gung \u2708 \u91cd\u91cf"};
    restart();
    zt::writeFile(m_dir / "Zarv.conf", "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\n[Basic]\nWeight=400\n");
    prmLoadKeyFile();
    psetParams();
    // No fingerprint recorded yet: flagged until the figures are confirmed.
    EXPECT_EQ(figOutsideChanges(), std::vector<std::string>{"no fingerprint of the figures is recorded"});
    figConfirmFigures("taken over");
    for (int i = 0; i < 3; i++)
        figStoreFigure(VAL_BASIC_WEIGHT, 400.25 + i, reasons[i]);
    const std::string strFingerprint = valFingerprint();
    restart();
    prmLoadKeyFile();
    psetParams();
    const std::vector<_prmAmendment> history = figHistory();
    ASSERT_EQ(history.size(), 4u);
    EXPECT_EQ(history[0].strReason, "confirmed after an outside change: taken over");
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(history[i + 1].strReason, reasons[i]);
        EXPECT_EQ(history[i + 1].strFigure, "Basic/Weight");
        EXPECT_EQ(history[i + 1].strNew, std::to_string(400 + i) + ".25");
    }
    EXPECT_EQ(history[1].strOld, "400");
    EXPECT_EQ(figRecordedFingerprint(), strFingerprint);
    EXPECT_EQ(figRecordedWhen(), history[3].strWhen);
    EXPECT_FALSE(figFiguresChangedOutside());

    // A figure edited by hand is flagged until confirmed.
    prmSetKeyDouble("Basic", "Weight", 399);
    psetParams();
    EXPECT_TRUE(figFiguresChangedOutside());
    figConfirmFigures("checked against the report");
    EXPECT_FALSE(figFiguresChangedOutside());
    EXPECT_EQ(figHistoryLine(figHistory().back()),
              figRecordedWhen() + "|Basic/Weight|402.250|399.000|checked against the report");

    // A new aircraft starts with neither; the old one keeps both.
    fleetAdd();
    EXPECT_TRUE(figHistory().empty());
    EXPECT_EQ(figRecordedFingerprint(), "");
    fleetSwitch(fleetList()[1].strGroup);
    EXPECT_EQ(figHistory().size(), 5u);
}

// Every way out of change control found so far, each after Zarv recorded
// the aircraft's figures: what is flagged, and what the history keeps.
TEST_F(SetupRecord, ChangeControlHasNoBackDoor)
{
    const std::string strConf = "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\n"
                                "[Basic]\nWeight=400\nLongArm=2700\nLatArm=1\n"
                                "[Equipment 1]\nName=Left door\nWeight=5.4\nLongArm=1850\nLatArm=-650\nWeighed=true\n";
    const _wbItem door = {"Left door", 5.4, 1850, -650, true}, hook = {"Hook", 2, 2500, 0, false};
    // Hover charts made up for the test, no aircraft's.
    const _hovCharts charts = {_hovChart{{{0, {{500, 10000}, {700, 6000}}}, {30, {{500, 8000}, {700, 4000}}}}},
                               _hovChart{{{0, {{500, 8000}, {700, 4000}}}, {30, {{500, 6000}, {700, 2000}}}}}};
    // A hand edit of Zarv.conf, read at the next start.
    auto byHand = [&](const std::string& strFrom, const std::string& strTo) {
        std::string str = zt::readFile(m_dir / "Zarv.conf");
        const size_t nAt = str.find(strFrom);
        ASSERT_NE(nAt, std::string::npos) << strFrom << " in\n" << str;
        zt::writeFile(m_dir / "Zarv.conf", str.replace(nAt, strFrom.size(), strTo));
        restart();
        prmLoadKeyFile();
        psetParams();
    };
    auto dropKey = [&](const char* pszKey) {
        const std::string str = zt::readFile(m_dir / "Zarv.conf");
        const size_t nAt = str.find(std::string("\n") + pszKey + "=");
        ASSERT_NE(nAt, std::string::npos) << pszKey;
        byHand(str.substr(nAt, str.find('\n', nAt + 1) - nAt), "");
    };
    const struct {
        const char* pszName;
        std::function<void()> act;
        const char* pszFlagged; // what the flag names ("" for none)
        const char* pszLastHistory;
    } cases[] = {
        {"the registration cleared, a figure changed, the registration typed back",
         [&] {
             ASSERT_TRUE(figAsksAmend(VAL_REGISTRATION));
             figStoreFigureText(VAL_REGISTRATION, "", "sold");
             EXPECT_TRUE(figAsksAmend(VAL_BASIC_WEIGHT));
             figStoreFigure(VAL_BASIC_WEIGHT, 450, "new seats");
             figStoreFigureText(VAL_REGISTRATION, "G-ZARV", "bought back");
         },
         "", "|Aircraft/Registration||G-ZARV|bought back"},
        {"a new weighing date", [&] { figStoreFigureText(VAL_WEIGHED, "2026-12-01", "reweighed"); }, "",
         "|Aircraft/Weighed|2024-03-01|2026-12-01|reweighed"},
        {"another program's change, then another figure amended",
         [&] {
             byHand("\nLongArm=2700\n", "\nLongArm=2650\n");
             figStoreFigure(VAL_BASIC_LAT_ARM, 1.5, "moved");
         },
         "Basic/LongArm 2700.000 \u2192 2650.000", "|Basic/LatArm|1|1.5|moved"},
        {"the fingerprint, its record and the history deleted, a figure changed",
         [&] {
             for (const char* psz : {"Fingerprint", "Recorded", "History"})
                 dropKey(psz);
             byHand("\nWeight=400\n", "\nWeight=520\n");
         },
         "no fingerprint of the figures is recorded", nullptr},
        {"the history deleted", [&] { dropKey("History"); }, "the history was changed", nullptr},
        {"the history deleted, then a figure amended",
         [&] {
             dropKey("History");
             figStoreFigure(VAL_BASIC_LAT_ARM, 1.5, "moved");
         },
         "the history was changed", nullptr},
        {"a figure changed by hand, then amended again",
         [&] {
             byHand("\nWeight=400\n", "\nWeight=520\n");
             figStoreFigure(VAL_BASIC_WEIGHT, 520.5, "typo");
         },
         "Basic/Weight 400.000 \u2192 520.500", nullptr},
        {"copied marks set by hand, then cleared as a copied figure is typed",
         [&] {
             byHand("[Basic]", "[Aircraft]\nUnconfirmed=7\n[Basic]");
             figStoreCovered(VAL_UNCONFIRMED, 6);
         },
         "Aircraft/Unconfirmed 0 \u2192 6", nullptr},
        {"a figure and its record changed by hand", [&] { byHand("Basic/Weight=400.000", "Basic/Weight=520.000"); },
         "the record of the figures does not match its fingerprint", nullptr},
        {"copied figures marked as typed by hand", [&] { byHand("[Basic]", "[Aircraft]\nUnconfirmed=7\n[Basic]"); },
         "Aircraft/Unconfirmed 0 \u2192 7", nullptr},
        {"an item's weight changed by hand", [&] { byHand("\nWeight=5.4\n", "\nWeight=6.4\n"); },
         "Equipment 1/Weight 5.400 \u2192 6.400", nullptr},
        {"an item added by hand", [&] { byHand("[Basic]", "[Equipment 2]\nName=Hook\nWeight=2\n[Basic]"); },
         "Equipment 2/Name  \u2192 Hook", nullptr},
        {"an item added by hand after a gap",
         [&] { byHand("[Basic]", "[Equipment 40]\nName=Hook\nWeight=50\nWeighed=false\n[Basic]"); },
         "Equipment 2/Name  \u2192 Hook", nullptr},
        {"an item taken out by hand", [&] { byHand("[Equipment 1]", "[Removed]"); },
         "Equipment 1/Name Left door \u2192", nullptr},
        {"an item renamed with the history's separator in its name, then taken out",
         [&] {
             figStoreItems({{"Left|door", 5.4, 1850, -650, true}}, "renamed");
             EXPECT_TRUE(g_str_has_suffix(figHistoryLine(figHistory().back()).c_str(),
                                          "|Equipment 1/Name (Left door)|Left door|Left\u00a6door|renamed"));
             figStoreItems({}, "door|lost");
         },
         "", "|Equipment 1|Left\u00a6door, 5.4 kg at 1850/-650 mm, fitted when weighed||door|lost"},
        {"an item amended, one added and one taken out, each with its reason",
         [&] {
             ASSERT_TRUE(figUnderControl());
             figStoreItems({{"Left door", 6, 1850, -650, true}}, "new hinge");
             figStoreItems({m_wbSetup.items[0], hook}, "hook fitted");
             figStoreItems({hook}, "door lost");
         },
         "", "|Equipment 1|Left door, 6 kg at 1850/-650 mm, fitted when weighed||door lost"},
        {"an item amended while another's flag cannot be read: refused, nothing lost",
         [&] {
             byHand("[Basic]", "[Equipment 2]\nName=Hook\nWeight=2\nLongArm=1\nLatArm=0\nWeighed=maybe\n[Basic]");
             figStoreItems({{"Left door", 6, 1850, -650, true}, m_wbSetup.items[1]}, "new hinge");
             EXPECT_NE(zt::readFile(m_dir / "Zarv.conf").find("Weighed=maybe"), std::string::npos);
             EXPECT_EQ(m_wbSetup.items[0].nWeight, 5.4);
         },
         "Equipment 2/Name  \u2192 Hook", nullptr},
        {"an item fitted for the flight is no amendment",
         [&] {
             ASSERT_EQ(m_wbSetup.items, std::vector<_wbItem>{door});
             itmStoreFitted(0, false);
         },
         "", nullptr},
        {"hover charts without a reason refused, then amended with one",
         [&] {
             EXPECT_FALSE(figAmendHover(charts, ""));
             EXPECT_EQ(zt::readFile(m_dir / "Zarv.conf").find("[Hover"), std::string::npos);
             EXPECT_TRUE(figAmendHover(charts, "from the manual"));
             EXPECT_EQ(valFingerprintVersion(figRecordedFingerprint()), PRM_FINGERPRINT_HOVER);
         },
         "", "|Hover OGE/Line 2||30; 500 6000; 700 2000|from the manual"},
        {"a line of a hover chart changed by hand",
         [&] {
             figAmendHover(charts, "from the manual");
             byHand("Line 1=0; 500 10000;", "Line 1=0; 500 10500;");
         },
         "Hover IGE/Line 1 0; 500 10000; 700 6000 \u2192 0; 500 10500; 700 6000", nullptr},
        {"hover charts written in by hand", [&] { byHand("[Basic]", "[Hover OGE]\nLine 1=0; 500 8000\n[Basic]"); },
         "Hover OGE/Line 1  \u2192 0; 500 8000", nullptr},
        {"a chart amended while its text cannot be read: refused, nothing lost",
         [&] {
             byHand("[Basic]", "[Hover IGE]\nLine 1=0; 5OO 9000\n[Basic]");
             EXPECT_FALSE(figAmendHover(charts, "from the manual"));
             EXPECT_NE(zt::readFile(m_dir / "Zarv.conf").find("5OO"), std::string::npos);
         },
         "", nullptr},
        {"the weighing interval lengthened by hand",
         [&] { byHand("[Basic]", "[Aircraft]\nWeighingIntervalMonths=240\n[Basic]"); },
         "Aircraft/WeighingIntervalMonths 0.000 \u2192 240.000", nullptr},
    };
    for (const auto& c : cases) {
        restart();
        zt::writeFile(m_dir / "Zarv.conf", strConf);
        prmLoadKeyFile();
        psetParams();
        figConfirmFigures("taken over");
        c.act();
        std::string strFlagged;
        for (const std::string& str : figOutsideChanges())
            strFlagged += str + ";";
        EXPECT_EQ(strFlagged.find(c.pszFlagged) != std::string::npos && strFlagged.empty() == !*c.pszFlagged, true)
            << c.pszName << ": " << strFlagged;
        if (c.pszLastHistory) {
            EXPECT_TRUE(g_str_has_suffix(figHistoryLine(figHistory().back()).c_str(), c.pszLastHistory))
                << c.pszName << ": " << figHistoryLine(figHistory().back());
        }
        // Confirmed, each figure changed outside Zarv is named in the history.
        if (*c.pszFlagged && g_str_has_prefix(c.pszFlagged, "Basic/LongArm")) {
            figConfirmFigures("checked");
            EXPECT_TRUE(g_str_has_suffix(figHistoryLine(figHistory().back()).c_str(),
                                         "|Basic/LongArm|2700.000|2650.000|checked"));
            EXPECT_TRUE(figOutsideChanges().empty());
        }
    }

    // An aircraft not under change control keeps no fingerprint; one whose
    // fingerprint an older Zarv recorded is checked by that fingerprint's
    // own list, and amended, records the new kind.
    restart();
    zt::writeFile(m_dir / "Zarv.conf", "[Basic]\nWeight=400\n");
    prmLoadKeyFile();
    psetParams();
    figStoreFigure(VAL_BASIC_WEIGHT, 410, "");
    EXPECT_EQ(zt::readFile(m_dir / "Zarv.conf").find("Fingerprint"), std::string::npos);
    restart();
    zt::writeFile(m_dir / "Zarv.conf",
                  "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\nWeighingIntervalMonths=48\n"
                  "Fingerprint=17392627 2025-01-01 10:00:00 +0000\n"
                  "[Basic]\nWeight=400\nLatArm=-1.5\nLongArm=2700\n[Ballast]\nWeight=10\n"
                  "FrontLatArm=2\nFrontLongArm=1000\nRearLongArm=3000\n");
    prmLoadKeyFile();
    psetParams();
    EXPECT_TRUE(figOutsideChanges().empty());
    figStoreFigure(VAL_BASIC_WEIGHT, 401, "paint");
    EXPECT_EQ(figRecordedFingerprint(), valFingerprint());
    EXPECT_EQ(valFingerprintVersion(figRecordedFingerprint()), PRM_FINGERPRINT_VERSION);
}

struct Conversion {
    double nTyped;
    _unitWt nWt;
    _unitLen nLen;
    double nKg, nMm;
};

void PrintTo(const Conversion& c, std::ostream* os)
{
    *os << c.nTyped << " unit " << c.nWt << "/" << c.nLen;
}

class UnitConversion : public testing::TestWithParam<Conversion>
{
};

TEST_P(UnitConversion, TypedToInternalAndBack)
{
    const Conversion& c = GetParam();
    EXPECT_DOUBLE_EQ(unitWeightToKg(c.nTyped, c.nWt), c.nKg);
    EXPECT_DOUBLE_EQ(unitArmToMm(c.nTyped, c.nLen), c.nMm);
    EXPECT_DOUBLE_EQ(unitKgToWeight(c.nKg, c.nWt), c.nTyped);
    EXPECT_DOUBLE_EQ(unitMmToArm(c.nMm, c.nLen), c.nTyped);
}

INSTANTIATE_TEST_SUITE_P(Units, UnitConversion,
                         testing::Values(Conversion{71, UNIT_WT_KG, UNIT_ARM_INCH, 71, 1803.4},
                                         Conversion{661.386, UNIT_WT_LB, UNIT_ARM_MM, 300, 661.386},
                                         Conversion{170, UNIT_WT_LB, UNIT_ARM_INCH, 170 / 2.20462, 4318},
                                         Conversion{-10.25, UNIT_WT_KG, UNIT_ARM_INCH, -10.25, -260.35}));

TEST(Parsing, FollowsAtofAndRefusesNonFiniteNumbers)
{
    const struct {
        const char* pszText;
        double nValue;
    } cases[] = {{"12abc", 12}, {"abc", 0}, {"  5", 5},  {"", 0},      {"-3.5", -3.5},  {"1e3", 1000},
                 {"nan", 0},    {"inf", 0}, {"-inf", 0}, {"1e999", 0}, {"infinity", 0}, {".5", 0.5}};
    // Written with a point here; the entries take the locale's decimal mark.
    const std::string strMark = localeconv()->decimal_point;
    for (const auto& c : cases) {
        std::string strText = c.pszText;
        if (const auto nAt = strText.find('.'); nAt != std::string::npos)
            strText.replace(nAt, 1, strMark);
        EXPECT_EQ(mscParseNumber(strText.c_str()), c.nValue) << strText;
    }
    EXPECT_EQ(mscParseNumber(nullptr), 0.0);
}

TEST(Formatting, LargeValuesAreNeverCut)
{
    const std::string str = mscFormatNumber("%1.1f", 1e30);
    EXPECT_GT(str.size(), 20u);
    EXPECT_DOUBLE_EQ(mscParseNumber(str.c_str()), 1e30);
}

// Texts written with "L" for the locale's decimal separator and "O" for the
// other one, so that one table serves every locale.
struct Typed {
    const char* pszText;
    double nValue;
    bool bFlagged;
};

std::string inLocale(const char* pszText)
{
    const char cLocale = *localeconv()->decimal_point;
    const char cOther = cLocale == ',' ? '.' : ',';
    std::string str = pszText;
    for (char& c : str)
        c = c == 'L' ? cLocale : c == 'O' ? cOther : c;
    return str;
}

TEST(Reading, EitherSeparatorIsADecimalOneUnlessItCouldSeparateThousands)
{
    const Typed cases[] = {
        {"80L5", 80.5, false},
        {"80O5", 80.5, false},
        {"O5", 0.5, false},
        {"12O", 12, false},
        {"1O2345", 1.2345, false},
        {"-80", -80, false},
        {"  12  ", 12, false},
        {"", 0, false},
        {"1e3", 1000, false},
        // "1,234" in English, "1.234" in German: thousands or decimals?
        {"1O234", 1, true},
        {"1L234", 1.234, false},
        // Two separators, letters after the number, no number, no finite one.
        {"1L234O5", 1.234, true},
        {"7o", 7, true},
        {"12abc", 12, true},
        {"abc", 0, true},
        {"nan", 0, true},
        {"1e999", 0, true},
        {"-inf", 0, true},
        // Hexadecimal, which strtod would read as 16.
        {"0x10", 0, true},
        {"0x1p4", 0, true},
        {" -0X1A", 0, true},
    };
    for (const Typed& c : cases) {
        const std::string strText = inLocale(c.pszText);
        const _mscReading r = mscReadNumber(strText.c_str());
        EXPECT_DOUBLE_EQ(r.nValue, c.nValue) << strText;
        EXPECT_EQ(!r.strProblem.empty(), c.bFlagged) << strText << ": " << r.strProblem;
    }
    // What the written rules accept reads as they read it.
    for (const char* pszText : {"80L5", "  12abc", "-3", "1e3", "abc", ""})
        EXPECT_EQ(mscReadNumber(inLocale(pszText).c_str()).nValue, mscParseNumber(inLocale(pszText).c_str()));
}

// A value no amount of its kind can be, or a text Zarv.conf holds that is
// no number, is never judged: the flight's verdict names each, with no
// infinity, no "nan" and no figure of hundreds of digits in its words.
TEST_F(SetupRecord, ImpossibleOrUnreadValuesAreNeverJudged)
{
    const std::string strAircraft = "[Basic]\nWeight=400\nLongArm=2480\n";
    const struct {
        const char* pszConf;
        const char* pszVerdict; // "." as the decimal mark
        bool bChart = false;    // the aircraft has a hover chart
    } cases[] = {
        {"[Load]\nFuel=0\n", "WITHIN LIMITS for take-off and with no fuel"},
        {"[Load]\nLSeat=-5\n", "left seat weight \u22125.0 kg cannot be right"},
        {"[Ballast]\nWeight=-20\n", "ballast weight \u221220.0 kg cannot be right"},
        {"[Load]\nRSeat=-0.01\nLSeat=0x50\n", "the left seat weight \"0x50\" was not read as a number: check it; right "
                                              "seat weight \u22120.01 kg cannot be right"},
        {"[Load]\nLSeat=nan\nRSeat=inf\nFuel=-inf\n",
         "the left seat weight was not read as a number: check it; the right seat weight was not read as a number: "
         "check it; the fuel was not read as a number: check it"},
        {"[Load]\nLSeat=1e308\nRSeat=1e308\n",
         "left seat weight over 5000.0 kg cannot be right; right seat weight over 5000.0 kg cannot be right"},
        {"[Basic]\nLatArm=1e20\n", "basic lateral arm over 10000.00 mm cannot be right"},
        {"[Fuel]\nDensity=nan\n", "the fuel density was not read as a number: check it"},
        {"[Fuel]\nDensity=1.2\n", "fuel density 1.200 kg/L cannot be right"},
        {"[Load]\nTrip=1e308\nFuel=20\n", "trip fuel over 2000.0 L cannot be right"},
        {"[Load]\nFuel=abc\n", "the fuel \"abc\" was not read as a number: check it"},
        // What was typed and not read, kept beside the value read from it.
        {"[Load]\nFuel=6\nUnread=Load/Fuel=6O;\n", "the fuel \"6O\" was not read as a number: check it"},
        {"[Load]\nUnread=Load/Fuel=1e999;\n", "the fuel \"1e999\" was not read as a number: check it"},
        {"[Load]\nUnread=Load/Fuel=-Infinity;\n", "the fuel was not read as a number: check it"},
        // An item's figure, whether the flight has it fitted or not.
        {"[Equipment 1]\nName=Door\nWeight=6O\nLongArm=1850\nLatArm=0\n",
         "the equipment item's weight was not read as a number: check it"},
        {"[Equipment 1]\nName=Door\nWeight=5\nLongArm=1850\nLatArm=1e20\nFitted=false\n",
         "equipment item's lateral arm over 10000.00 mm cannot be right"},
        {"[Equipment 1]\nName=Door\nWeight=-5\nLongArm=1850\nLatArm=0\nWeighed=false\n",
         "equipment item's weight \u22125.0 kg cannot be right"},
        {"[Equipment 1]\nName=Hook\nWeight=60\nLongArm=1500\nLatArm=0\nWeighed=no\nFitted=removed\n",
         "the equipment item \u2068Hook: Weighed=no, Fitted=removed\u2069 was not read: check it"},
        {"[Equipment 01]\nName=Hook\nWeight=60\nLongArm=3500\nLatArm=0\nWeighed=false\n",
         "the equipment \u2068[Equipment 01]\u2069 was not read: check it"},
        // A ballast position that is none of the three is never none.
        {"[Load]\nBallast=7\n", "the ballast position \u20687\u2069 was not read: check it"},
        {"[Load]\nBallast=front\n", "the ballast position \u2068front\u2069 was not read: check it"},
        // Weighed in, taken out: less than any aircraft weighs.
        {"[Equipment 1]\nName=Tank\nWeight=210\nLongArm=2340\nLatArm=0\nFitted=false\n",
         "basic weight without its weighed items 190 kg cannot be right"},
        // The fuel rule and the margins: no flow is none, and no rule that
        // could not be an operator's is judged within.
        {"[Load]\nFuel=0\n[Fuel]\nFlow=0\n[FuelRule]\nReserveMinutes=120\nContingencyPercent=100\n",
         "WITHIN LIMITS for take-off and with no fuel"},
        {"[Fuel]\nFlow=500.1\n", "fuel flow 500.1 L/h cannot be right"},
        {"[Fuel]\nFlow=0.38\n", "fuel flow 0.4 L/h cannot be right"},
        {"[FuelRule]\nReserveMinutes=121\n", "final reserve 121.0 min cannot be right"},
        {"[FuelRule]\nContingencyPercent=100.5\n", "contingency 100.5 % cannot be right"},
        {"[FuelRule]\nTaxiFuel=-1\n", "start-up and taxi fuel \u22121.0 L cannot be right"},
        {"[Margins]\nAft=-2\n", "aft margin \u22122.0 mm cannot be right"},
        {"[Margins]\nWeight=-0.5\n", "weight margin \u22120.5 kg cannot be right"},
        {"[Load]\nTripMinutes=1441\n", "trip time 1441.0 min cannot be right"},
        {"[Load]\nTripMinutes=-5\n", "trip time \u22125.0 min cannot be right"},
        {"[Load]\nTripMinutes=1h\n", "the trip time \"1h\" was not read as a number: check it"},
        {"[Hover IGE]\nLine 1=0; 5OO 9000\n",
         "the hover charts cannot be used: [Hover IGE] Line 1: the weight \u201c5OO\u201d is not a number"},
        // A site's conditions: flagged beyond what the day can be, and
        // never judged with one missing (an empty key is none, not 0);
        // without a chart, not judged at all.
        {"[Departure]\nElevation=0\nQNH=1013\nOAT=60.5\n", "take-off temperature 60.5 \u00b0C cannot be right", true},
        {"[Departure]\nOAT=60.5\n", "WITHIN LIMITS for take-off and with no fuel"},
        {"[Departure]\nElevation=-1501\nQNH=1013\nOAT=15\n", "take-off elevation \u22121501.0 ft cannot be right",
         true},
        {"[Load]\nLandingElevation=0\nLandingQNH=1090.5\nLandingOAT=15\n", "landing QNH 1090.5 hPa cannot be right",
         true},
        {"[Load]\nLandingElevation=0\nLandingQNH=1013\nLandingOAT=warm\n",
         "the landing temperature \"warm\" was not read as a number: check it", true},
        {"[Departure]\nElevation=0\nQNH=nan\nOAT=15\n", "the take-off QNH was not read as a number: check it", true},
        {"[Hover IGE]\nLine 1=0; 500 9000; 600 8000\nLine 2=20; 500 8000; 600 6000\n[Departure]\nElevation=\nQNH=1013\n"
         "OAT=15\n",
         "no take-off elevation given: a site is judged with its elevation, QNH and temperature, or not at all"},
    };
    for (const auto& c : cases) {
        zt::writeFile(
            m_dir / "Zarv.conf",
            strAircraft +
                (c.bChart ? "[Hover OGE]\nLine 1=0; 500 9000; 600 8000\nLine 2=20; 500 8000; 600 6000\n" : "") +
                c.pszConf);
        restart();
        prmLoadKeyFile();
        psetParams();
        pwbParams();
        const _wbFlight f = legCalcShown();
        const std::string strVerdict = wrdFlightVerdictText(f, m_wbSetup);
        const bool bWithin = c.pszVerdict[0] == 'W';
        const std::string strWords = zt::inLocale(c.pszVerdict);
        EXPECT_EQ(strVerdict, (bWithin ? "" : "NOT WITHIN LIMITS: ") + strWords) << c.pszConf;
        EXPECT_EQ(f.within(), bWithin) << c.pszConf;
        for (int n = 0; n < POINT_COUNT; n++)
            for (const std::string& str : {strVerdict, wrdPointVerdictText(f, _wbFlightPoint(n), m_wbSetup)})
                EXPECT_TRUE(zt::reSearch(str, "(?i)inf|nan|\\d{12}").empty()) << str;
    }
}

// A chart's lines read back to the doubles written, in any locale; each
// text Zarv cannot read, or a chart it cannot use, named and doubted.
TEST_F(SetupRecord, HoverChartsReadToTheSameDoublesOrAreRefusedByName)
{
    std::string strHuge = "Line 1=0"; // a line too long for the dialog's table
    for (int n = 1; n <= 257; n++)
        strHuge += "; " + std::to_string(n) + " 1";
    const struct {
        const char* pszGroup;
        const char* pszRead; // the chart as read, or why not
    } cases[] = {
        {"Line 2=30; 500 8000; 700 4000\nLine 1= -10 ;500\t10000;  700 6000.5 \n",
         "Hover IGE/Line 1=-10; 500 10000; 700 6000.5\nHover IGE/Line 2=30; 500 8000; 700 4000\n"},
        {"Line 1=0; 5OO 9000\nLine 2=30; 500 8000; 700 4000\n", "Line 1: the weight \u201c5OO\u201d is not a number"},
        {"Line 1=0,5; 500 9000\n", "Line 1: the temperature \u201c0,5\u201d is not a number"},
        {"Line 1=0; 500 9000 8000\n", "Line 1: the point \u201c500 9000 8000\u201d is not a weight and a ceiling"},
        {"Line 1=0; 500 9e3ft\n", "Line 1: the ceiling \u201c9e3ft\u201d is not a number"},
        {"Line 1=\n", "holds \u201cLine 1=\u201d, which is no line of a chart"},
        {"Line 01=0; 500 9000\n", "holds \u201cLine 01=0; 500 9000\u201d, which is no line of a chart"},
        {"Line 1=0; 500 9000\nLine 3=30; 500 8000\n", "holds \u201cLine 3=30; 500 8000\u201d"},
        {strHuge.c_str(), "holds more than 256 points"},
        // Read, but no chart Zarv can use: held as read, to be corrected.
        {"Line 1=0; 500 9000; 700 6000\n", "[Hover IGE]: "},
        {"", "[Hover IGE]: "},
    };
    for (const auto& c : cases) {
        zt::writeFile(m_dir / "Zarv.conf", std::string("[Basic]\nWeight=400\n[Hover IGE]\n") + c.pszGroup);
        restart();
        prmLoadKeyFile();
        psetParams();
        const bool bRead = g_str_has_prefix(c.pszRead, "Hover");
        const std::string& strWhy = m_wbSetup.strHoverNotRead;
        EXPECT_EQ(bRead ? hvcFigureText(m_wbSetup.hover) : strWhy.substr(0, 11), bRead ? c.pszRead : "[Hover IGE]");
        EXPECT_TRUE(bRead ? strWhy.empty() : strWhy.find(c.pszRead) != std::string::npos) << strWhy;
        const auto doubts = valDoubts(m_wbSetup, stateLoad());
        EXPECT_EQ(std::any_of(doubts.begin(), doubts.end(),
                              [](const _wbDoubt& d) { return std::string(d.pszWhat) == "hover chart"; }),
                  !bRead)
            << c.pszGroup;
    }
    // Odd doubles come back to the last bit, whatever the locale writes.
    const _hovLine line = {-0.1, {{1.0 / 3, 1e-7}, {2.5e4 + 1.0 / 7, 6.02214076e23}}};
    _hovLine back;
    EXPECT_EQ(hvcLineRead(hvcLineText(line), &back), "");
    EXPECT_TRUE(back.nTemperature == -0.1 && back.points.size() == 2 && back.points[0].nWeight == 1.0 / 3 &&
                back.points[0].nCeiling == 1e-7 && back.points[1].nWeight == 2.5e4 + 1.0 / 7 &&
                back.points[1].nCeiling == 6.02214076e23)
        << hvcLineText(line);
    EXPECT_EQ(hvcLineText({30, {{500, 8000}, {700.25, 4000}}}), "30; 500 8000; 700.25 4000");
}

// The figures' fingerprint takes the charts in only where there are any, so
// an aircraft without keeps the one it had; with them, any change shows,
// in it and in the charts' own.
TEST_F(SetupRecord, TheFingerprintCoversTheHoverChartsOnlyWhereThereAreAny)
{
    zt::writeFile(m_dir / "Zarv.conf", "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\n[Basic]\nWeight=400\n");
    prmLoadKeyFile();
    psetParams();
    const std::string strWithout = valFingerprint();
    EXPECT_EQ(valFingerprintVersion(strWithout), PRM_FINGERPRINT_VERSION);
    EXPECT_EQ(valHoverFingerprint(m_wbSetup.hover), "");
    const _hovChart chart = {{{0, {{500, 10000}, {700, 6000}}}, {30, {{500, 8000}, {700, 4000}}}}};
    std::vector<_hovCharts> variants = {_hovCharts{chart, _hovChart{}}, _hovCharts{_hovChart{}, chart},
                                        _hovCharts{chart, chart}};
    _hovCharts both = {chart, chart};
    std::vector<_hovLine>& lines = both[HOV_OGE].lines;
    for (double* pn : {&lines[0].nTemperature, &lines[1].points[1].nWeight, &lines[1].points[0].nCeiling}) {
        *pn += 5;
        variants.push_back(both);
    }
    lines[0].points.push_back({800, 3000});
    variants.push_back(both);
    lines.push_back({40, {{500, 7000}, {700, 3000}}});
    variants.push_back(both);
    std::set<std::string> fingerprints = {strWithout}, hovers;
    for (const _hovCharts& charts : variants) {
        stateEditSetup().hover = charts;
        const std::string str = valFingerprint(), strHover = valHoverFingerprint(charts);
        EXPECT_EQ(valFingerprintVersion(str), PRM_FINGERPRINT_HOVER);
        EXPECT_EQ(valFingerprint(valGetText, PRM_FINGERPRINT_VERSION), strWithout);
        EXPECT_TRUE(strHover.size() == 16 && strHover.find_first_not_of("0123456789abcdef") == std::string::npos)
            << strHover;
        EXPECT_TRUE(fingerprints.insert(str).second && hovers.insert(strHover).second) << hvcFigureText(charts);
    }
}

// A registration that is not valid text is shown with replacement
// characters, never blank, and said.
TEST_F(SetupRecord, ARegistrationNotValidTextIsShownAndSaid)
{
    zt::writeFile(m_dir / "Zarv.conf", "[Aircraft]\nRegistration=G-\xff\xfe"
                                       "AB\n");
    prmLoadKeyFile();
    EXPECT_EQ(valGetText(VAL_REGISTRATION), "G-\ufffd\ufffd"
                                            "AB");
    EXPECT_NE(valNotText(VAL_REGISTRATION).find("not valid text"), std::string::npos);
    EXPECT_EQ(valNotText(VAL_WEIGHED), "");
}

// The weighing date is a date: ISO, or the locale's own order with a
// four-digit year, stored and shown as ISO;
// anything else flagged and kept as typed; a day after today flagged.
TEST(WeighingDate, IsReadAsADateAndStoredAsIso)
{
    GDate today;
    g_date_clear(&today, 1);
    g_date_set_dmy(&today, 7, G_DATE_DECEMBER, 2026);
    const struct {
        std::string strText;
        bool bDate;
        const char* pszIso;
        bool bFlagged;
    } cases[] = {
        {"2026-03-01", true, "2026-03-01", false},
        {"12/12/2024", true, "2024-12-12", false}, // the locale's own order, with four digits of the year
        // Two digits of the year read one way here and another elsewhere.
        {"12/12/24", false, "", true},
        {"07/03/21", false, "", true},
        // A word the parser does not know would be passed over.
        {"12 M\u00e4rz 2021", false, "", true},
        {"ca 12/12/2021", false, "", true},
        {"0021-01-01", false, "", true},
        {" 2026-12-07 ", true, "2026-12-07", false},
        {"2027-01-01", true, "2027-01-01", true}, // after today
        {"sometime", false, "", true},
        {"12", false, "", true},
        // A month or a year alone is no day, whatever the parser makes of it.
        {"March 2026", false, "", true},
        {"M\u00e4rz 2026", false, "", true},
        {"2026-03", false, "", true},
        {"03/2026", false, "", true},
        {"2026", false, "", true},
        {"", false, "", false},
    };
    for (const auto& c : cases) {
        const _dateReading d = dateRead(c.strText, today);
        EXPECT_EQ(d.bDate, c.bDate) << c.strText;
        EXPECT_EQ(d.strIso, c.pszIso) << c.strText;
        EXPECT_EQ(!d.strProblem.empty(), c.bFlagged) << c.strText << ": " << d.strProblem;
    }
    EXPECT_EQ(dateShow("sometime"), "sometime"); // not a date: as it stands
    // Shown as stored, ISO with the year in four digits, in every locale.
    EXPECT_EQ(dateShow("2026-12-09"), "2026-12-09");
    EXPECT_EQ(dateWeighingDueText(dateWeighingDue("0021-01-01", today, 48)),
              "Weighing due since 0025-01-01 (every 48 months): have the aircraft reweighed.");
}

// A change reads as one where the entry's decimals would write both alike.
TEST_F(SetupRecord, AChangeIsWrittenToTheDigitsThatShowIt)
{
    const struct {
        _prmValueId nId;
        _unitWt nWt;
        _unitLen nArm;
        double nOld, nNew; // internal
        const char *pszOld, *pszNew;
    } cases[] = {
        {VAL_BALLAST_WEIGHT, UNIT_WT_LB, UNIT_ARM_MM, 22.0 / LB_PER_KG, 22.04 / LB_PER_KG, "22.00 lbs", "22.04 lbs"},
        {VAL_BASIC_LONG_ARM, UNIT_WT_KG, UNIT_ARM_INCH, 137.8 * MM_PER_INCH, 137.804 * MM_PER_INCH, "137.800 in",
         "137.804 in"},
        {VAL_BASIC_WEIGHT, UNIT_WT_KG, UNIT_ARM_MM, 455, 455.0004, "455.0000 kgs", "455.0004 kgs"},
        {VAL_FUEL_DENSITY, UNIT_WT_KG, UNIT_ARM_MM, 0.759, 0.75905, "0.7590 kg/L", "0.7591 kg/L"},
        {VAL_WEIGHING_MONTHS, UNIT_WT_KG, UNIT_ARM_MM, 12, 12.0000001, "12", "12.0000001"},
        {VAL_BASIC_WEIGHT, UNIT_WT_KG, UNIT_ARM_MM, 455, 48, "455.0 kgs", "48.0 kgs"}, // apart as they are
    };
    for (const auto& c : cases) {
        stateEditSetup().nUnitWt = c.nWt;
        stateEditSetup().nUnitArm = c.nArm;
        EXPECT_EQ(shwFigureChange(valValue(c.nId), c.nOld, c.nNew),
                  std::pair(zt::inLocale(c.pszOld), zt::inLocale(c.pszNew)))
            << valValue(c.nId).pszWhat;
    }
    // As Zarv.conf holds them, where it writes a figure short.
    EXPECT_EQ(figFigureChange("1000000000", "1000000001"), "1.000000000e+09 \u2192 1.000000001e+09");
    EXPECT_EQ(figFigureChange("400", "400.0004"), "400 \u2192 400.0004");
}

// What the pilot types as a figure is refused outside what Zarv takes for it.
TEST_F(SetupRecord, AFigureOutsideWhatZarvTakesIsRefused)
{
    const struct {
        _prmValueId nId;
        double nValue; // internal
        bool bRefused;
    } cases[] = {{VAL_BASIC_WEIGHT, 48, true},      {VAL_BASIC_WEIGHT, 199.9, true},
                 {VAL_BASIC_WEIGHT, 200, false},    {VAL_BASIC_WEIGHT, 5000.1, true},
                 {VAL_BALLAST_WEIGHT, 0, false},    {VAL_BALLAST_WEIGHT, -0.1, true},
                 {VAL_BASIC_LONG_ARM, -500, false}, {VAL_BALLAST_REAR_LONG_ARM, 10001, true},
                 {VAL_FUEL_DENSITY, 90, true},      {VAL_FUEL_DENSITY, 0.49, true},
                 {VAL_FUEL_DENSITY, 1.0, false},    {VAL_FUEL_DENSITY, 0, false},
                 {VAL_WEIGHING_MONTHS, 24, false},  {VAL_WEIGHING_MONTHS, 0, false},
                 {VAL_WEIGHING_MONTHS, 12.5, true}, {VAL_WEIGHING_MONTHS, 241, true},
                 {VAL_FUEL_FLOW, 0, true},          {VAL_FUEL_FLOW, 500, false},
                 {VAL_FUEL_FLOW, 500.1, true}};
    // A density or interval of 0 is none set, and taken; a fuel flow typed
    // as 0 would burn nothing, and is not.
    for (const auto& c : cases)
        EXPECT_EQ(!figFigureRefusal(c.nId, c.nValue).empty(), c.bRefused) << valValue(c.nId).pszWhat << " " << c.nValue;
    stateEditSetup().nUnitWt = UNIT_WT_LB;
    EXPECT_EQ(figFigureRefusal(VAL_BASIC_WEIGHT, 48),
              zt::inLocale("A basic weight of 105.8 lbs is refused: Zarv takes one from 440.9 lbs to 11023.1 lbs."));
}

// A leg's trip typed in minutes gives its fuel at the aircraft's flow, and
// its fuel gives the minutes; without a flow, or from a figure that cannot
// be, the other half stays as it was.
TEST_F(SetupRecord, ATripTypedInMinutesOrLitresGivesTheOtherAtTheFuelFlow)
{
    const struct {
        const char* pszFlow; // [Fuel] Flow in Zarv.conf, L/h
        _prmValueId nTyped;
        double nValue;
        double nTrip, nMinutes; // then held and stored
    } cases[] = {
        {"38", VAL_TRIP_MINUTES, 30, 19, 30}, {"38", VAL_TRIP, 19, 19, 30},
        {"45", VAL_TRIP, 30, 30, 40},         {"", VAL_TRIP_MINUTES, 30, 5, 30},
        {"0", VAL_TRIP, 19, 19, 10},          {"600", VAL_TRIP_MINUTES, 30, 5, 30},
        {"38", VAL_TRIP_MINUTES, -5, 5, -5},  {"38", VAL_TRIP_MINUTES, 1441, 5, 1441},
    };
    for (const auto& c : cases) {
        restart();
        zt::writeFile(m_dir / "Zarv.conf", std::string("[Fuel]\nFlow=") + c.pszFlow +
                                               "\n[Load]\nTrip=5\nTripMinutes=10\nUnread=Load/Trip=5x;\n");
        prmLoadKeyFile();
        psetParams();
        pwbParams();
        valStoreValue(c.nTyped, c.nValue);
        const std::string strWhat = std::string(c.pszFlow) + " L/h, " + valValue(c.nTyped).pszWhat;
        EXPECT_DOUBLE_EQ(stateLoad().nTripFuel, c.nTrip) << strWhat;
        EXPECT_DOUBLE_EQ(stateLoad().nTripMinutes, c.nMinutes) << strWhat;
        // The fuel written from the time is read, and so said no more.
        EXPECT_EQ(valUnread(VAL_TRIP).empty(), c.nTyped == VAL_TRIP_MINUTES && c.nTrip != 5) << strWhat;
        restart();
        prmLoadKeyFile();
        pwbParams();
        EXPECT_DOUBLE_EQ(stateLoad().nTripFuel, c.nTrip) << strWhat;
        EXPECT_DOUBLE_EQ(stateLoad().nTripMinutes, c.nMinutes) << strWhat;
        EXPECT_EQ(valUnread(VAL_TRIP).empty(), c.nTyped == VAL_TRIP_MINUTES && c.nTrip != 5) << strWhat;
    }
    // A flow amended since the trip was typed joins the two halves no
    // more: nothing is judged until either is typed again.
    auto apart = [] {
        std::string str;
        for (const _wbDoubt& d : valDoubts(m_wbSetup, stateLoad()))
            str += d.strSays;
        return str;
    };
    restart();
    zt::writeFile(m_dir / "Zarv.conf", "[Fuel]\nFlow=60\n[Load]\nTrip=19\nTripMinutes=30\n");
    prmLoadKeyFile();
    psetParams();
    pwbParams();
    EXPECT_EQ(apart(), zt::inLocale("the trip time 30 min is not the trip fuel 19.0 L at the fuel flow 60.0 L/h (the "
                                    "flow changed since): type either again"));
    valStoreValue(VAL_TRIP, 19);
    EXPECT_EQ(apart(), "");
}

// Due from the same day (or the month's last) the interval later; no ISO day, no judgement.
TEST(WeighingDue, FallsDueTheIntervalLaterAndStaysDue)
{
    const struct {
        const char* pszWeighed;
        int nDay, nMonth, nYear;
        double nMonths;
        int nUsed; // the interval it is judged at
        bool bDue;
        const char* pszDue; // "" where not judged
    } cases[] = {
        {"2022-01-10", 10, 1, 2026, 0, 48, true, "2026-01-10"}, // on the day
        {"2022-01-10", 9, 1, 2026, 0, 48, false, "2026-01-10"}, // the day before
        {"2026-01-31", 28, 2, 2026, 1, 1, true, "2026-02-28"},
        {"2023-12-07", 7, 12, 2026, 36.5, 48, false, "2027-12-07"},
        {"10/01/2022", 7, 12, 2026, 0, 48, false, ""},
    };
    for (const auto& c : cases) {
        GDate today{};
        g_date_set_dmy(&today, static_cast<GDateDay>(c.nDay), static_cast<GDateMonth>(c.nMonth),
                       static_cast<GDateYear>(c.nYear));
        const _dateWeighing w = dateWeighingDue(c.pszWeighed, today, c.nMonths);
        EXPECT_EQ(std::make_tuple(w.bJudged, w.bDue, w.strDueIso, w.nMonths),
                  std::make_tuple(*c.pszDue != 0, c.bDue, std::string(c.pszDue), c.nUsed))
            << c.pszWeighed << " every " << c.nMonths;
    }
}

} // namespace
