// The loading page through the real window: typing, leaving a field, the
// stored file, the indicators, the result table and its colours.
#include "pages.h"

#include "pagSetup.h"
#include "pagWB.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <random>

namespace
{

using zt::Pages;

class LoadingPage : public Pages
{
  protected:
    // Types into a field and leaves it for the next one, as a pilot does.
    void enter(const char* pszId, const char* pszText, const char* pszNext = "BallastNone")
    {
        type(pszId, pszText);
        focus(pszNext);
    }
};

TEST_F(LoadingPage, KilogramsAreStoredAndShownInPoundsInTheTable)
{
    enter("LeftSeatWeight", "80");
    EXPECT_EQ(confDouble("Load", "LSeat"), 80.0);
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 80.0));
    EXPECT_EQ(text("CalLSeatWt"), num("%1.1f", 176.4));
    EXPECT_EQ(text("LSeatLongMoment"), num("%1.2f", 80 * 1803.4 * 0.08679606));
}

class PoundsPage : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Unit]\nWeight=1\n";
    }
};

TEST_F(PoundsPage, PoundsAreStoredAsKilograms)
{
    EXPECT_EQ(text("LeftSeatUnits"), "lbs");
    enter("LeftSeatWeight", "170");
    EXPECT_DOUBLE_EQ(confDouble("Load", "LSeat"), 170 / 2.20462);
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 170.0));
    EXPECT_EQ(text("CalLSeatWt"), num("%1.1f", 170.0));
}

TEST_F(LoadingPage, WhatIsShownIsWhatTheNextFocusOutStores)
{
    enter("RightSeatWeight", "12.34");
    EXPECT_DOUBLE_EQ(confDouble("Load", "RSeat"), 12.34);
    EXPECT_EQ(text("RightSeatWeight"), num("%1.1f", 12.3));
    focus("RightSeatWeight");
    focus("LeftSeatWeight");
    EXPECT_DOUBLE_EQ(confDouble("Load", "RSeat"), 12.3);
}

TEST_F(LoadingPage, TextThatIsNotAFiniteNumberStoresZero)
{
    for (const char* pszText : {"abc", "nan", "inf", "1e999", ""}) {
        enter("FuelVolume", "33");
        enter("FuelVolume", pszText);
        EXPECT_EQ(confDouble("Load", "Fuel"), 0.0) << pszText;
        EXPECT_EQ(text("FuelVolume"), num("%1.1f", 0.0)) << pszText;
    }
    enter("FuelVolume", "  12abc");
    EXPECT_EQ(confDouble("Load", "Fuel"), 12.0);
}

TEST_F(LoadingPage, LargeValuesAreShownWholeAndStoredUnchanged)
{
    enter("LeftSeatWeight", "123456789012345678901234");
    const double nStored = confDouble("Load", "LSeat");
    EXPECT_DOUBLE_EQ(nStored, 123456789012345678901234.0);
    focus("LeftSeatWeight");
    focus("RightSeatWeight");
    EXPECT_EQ(confDouble("Load", "LSeat"), nStored);
}

struct Indicator {
    const char* pszConf;
    const char* pszField;
    const char* pszText;
    const char* pszIndicator;
    bool bShown;
};

void PrintTo(const Indicator& c, std::ostream* os)
{
    *os << c.pszField << " " << c.pszText;
}

class Indicators : public Pages, public testing::WithParamInterface<Indicator>
{
    std::string initialConf() const override
    {
        return GetParam().pszConf;
    }
};

TEST_P(Indicators, ShowOnlyBeyondTheLimit)
{
    type(GetParam().pszField, GetParam().pszText);
    focus("BallastNone");
    EXPECT_EQ(gtk_widget_get_visible(w(GetParam().pszIndicator)), GetParam().bShown);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, Indicators,
    testing::Values(Indicator{"[Unit]\nWeight=1\n", "LeftSeatWeight", "210.0", "LSeatOverWeight", false},
                    Indicator{"[Unit]\nWeight=1\n", "LeftSeatWeight", "210.1", "LSeatOverWeight", true},
                    Indicator{"[Unit]\nWeight=0\n", "RightSeatWeight", "95.25", "RSeatOverWeight", false},
                    Indicator{"[Unit]\nWeight=0\n", "RightSeatWeight", "95.3", "RSeatOverWeight", true},
                    Indicator{"[Unit]\nFuel=0\n", "FuelVolume", "64.5", "FuelOverFill", false},
                    Indicator{"[Unit]\nFuel=0\n", "FuelVolume", "64.6", "FuelOverFill", true},
                    Indicator{"[Unit]\nFuel=1\n", "FuelVolume", "17.0", "FuelOverFill", false},
                    Indicator{"[Unit]\nFuel=1\n", "FuelVolume", "17.1", "FuelOverFill", true}));

struct TotalColour {
    const char* pszConf;
    const char* pszCell;
    bool bRed;
};

void PrintTo(const TotalColour& c, std::ostream* os)
{
    *os << c.pszCell << " red " << c.bRed;
}

class TotalColours : public Pages, public testing::WithParamInterface<TotalColour>
{
    std::string initialConf() const override
    {
        return GetParam().pszConf;
    }
};

TEST_P(TotalColours, AreRedOnlyBeyondALimit)
{
    PangoAttrList* pattr = gtk_label_get_attributes(GTK_LABEL(w(GetParam().pszCell)));
    EXPECT_EQ(pattr, GetParam().bRed ? m_pattrBoldRed : m_pattrBoldBlue);
}

// 680 kg or 681 kg in all, on the centre line at 97.5 in; or the whole
// aircraft exactly on, or just forward of, the forward limit.
INSTANTIATE_TEST_SUITE_P(
    Limits, TotalColours,
    testing::Values(TotalColour{"[Basic]\nWeight=680\nLongArm=2476.5\n", "CalTotalWt", false},
                    TotalColour{"[Basic]\nWeight=681\nLongArm=2476.5\n", "CalTotalWt", true},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2441.575\n", "TotalLongArm", false},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2441.5\n", "TotalLongArm", true},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2514.6\n", "TotalLongArm", false},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2514.7\n", "TotalLongArm", true},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2476.5\nLatArm=22.352\n", "TotalLatArm", false},
                    TotalColour{"[Basic]\nWeight=1\nLongArm=2476.5\nLatArm=-22.36\n", "TotalLatArm", true},
                    // no weight at all: not-a-number arms are blue and shown as a dash
                    TotalColour{"", "TotalLongArm", false}));

TEST_F(LoadingPage, ArmsOfNoWeightShowADash)
{
    EXPECT_EQ(text("TotalLongArm"), "\u2013");
    EXPECT_EQ(text("TotalLatArm"), "\u2013");
}

TEST_F(LoadingPage, BallastChoiceIsStoredAndRecalculated)
{
    enter("LeftSeatWeight", "80");
    const std::string strSeat = text("LeftSeatWeight");
    click("BallastFront");
    EXPECT_EQ(confInt("Load", "Ballast"), 1);
    EXPECT_TRUE(active("BallastFront"));
    EXPECT_FALSE(active("BallastNone"));
    EXPECT_EQ(text("LeftSeatWeight"), strSeat);
    click("BallastRear");
    EXPECT_EQ(confInt("Load", "Ballast"), 2);
    click("BallastNone");
    EXPECT_EQ(confInt("Load", "Ballast"), 0);
}

class BallastSetUp : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2700\n[Ballast]\nWeight=10\nFrontLongArm=1000\n";
    }
};

TEST_F(BallastSetUp, FrontBallastMovesTheTotals)
{
    EXPECT_EQ(text("CalTotalWt"), num("%3.1f", 400 * 2.2046));
    click("BallastFront");
    EXPECT_EQ(text("CalBallastWt"), num("%3.1f", 10 * 2.2046));
    EXPECT_EQ(text("CalTotalWt"), num("%3.1f", 410 * 2.2046));
    EXPECT_EQ(text("TotalLongArm"), num("%3.2f", (400 * 2700 + 10 * 1000) / 410.0 / 25.4));
}

class OddBallast : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Load]\nBallast=7\n[Unit]\nFuel=9\n";
    }
};

TEST_F(OddBallast, HandEditedValuesActAsNoneAndLitres)
{
    EXPECT_TRUE(active("BallastNone"));
    EXPECT_EQ(text("FuelUnits"), "Litres");
    enter("FuelVolume", "20");
    EXPECT_EQ(confDouble("Load", "Fuel"), 20.0);
    EXPECT_EQ(text("FuelVolume"), num("%1.1f", 20.0));
}

TEST_F(LoadingPage, EntriesFollowTheLocaleAndTheFileDoesNot)
{
    const std::string strShown = std::string("12") + localeconv()->decimal_point + "5";
    enter("LeftSeatWeight", "12.5");
    EXPECT_EQ(confDouble("Load", "LSeat"), 12.5);
    EXPECT_NE(conf().find("LSeat=12.5\n"), std::string::npos) << conf();
    EXPECT_EQ(text("LeftSeatWeight"), strShown);
}

} // namespace

namespace
{

TEST_F(LoadingPage, NoEntryEverStoresANonFiniteValue)
{
    const struct {
        const char* pszEntry;
        const char* pszGroup;
        const char* pszKey;
    } entries[] = {{"LeftSeatWeight", "Load", "LSeat"},
                   {"RightSeatWeight", "Load", "RSeat"},
                   {"FuelVolume", "Load", "Fuel"},
                   {"ConfEmptyWeight", "Basic", "Weight"},
                   {"ConfEmptyLongArm", "Basic", "LongArm"},
                   {"ConfEmptyLatArm", "Basic", "LatArm"},
                   {"ConfBallastWeight", "Ballast", "Weight"},
                   {"ConfBallastFrontLongArm", "Ballast", "FrontLongArm"},
                   {"ConfBallastFrontLatArm", "Ballast", "FrontLatArm"},
                   {"ConfBallastRearLongArm", "Ballast", "RearLongArm"}};
    std::mt19937 rng(3);
    const std::string strAlphabet = "0123456789.,+-eEnaifNAIF x9";
    for (int i = 0; i < 12; i++) {
        for (const auto& e : entries) {
            std::string strText = i % 3 == 0 ? "1e999" : i % 3 == 1 ? "-nan" : "";
            for (int k = static_cast<int>(rng() % 40); k > 0; k--)
                strText += strAlphabet[rng() % strAlphabet.size()];
            gtk_entry_set_text(GTK_ENTRY(w(e.pszEntry)), strText.c_str());
            // Leaving the entry commits it, whichever page it is on.
            focus(e.pszEntry);
            focus(e.pszEntry[0] == 'C' ? "WeightUnitKgs" : "BallastNone");
            ASSERT_TRUE(confHas(e.pszGroup, e.pszKey)) << e.pszEntry << " did not commit";
            ASSERT_TRUE(std::isfinite(confDouble(e.pszGroup, e.pszKey))) << e.pszEntry << ": " << strText;
            ASSERT_TRUE(std::isfinite(psetParseNumber(text(e.pszEntry).c_str()))) << text(e.pszEntry);
        }
    }
}

} // namespace
