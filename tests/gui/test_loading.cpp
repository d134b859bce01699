// The loading page through the real window: typing, leaving a field, the
// stored file, the indicators, the result table and its colours.
#include "pages.h"

#include "app/verify.h"
#include "app/window.h"
#include "model/date.h"
#include "model/fuel.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "ui/pagSetupPage.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <glib/gstdio.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <variant>

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

struct Indicator {
    const char* pszConf;
    const char* pszField;
    const char* pszText;
    const char* pszIndicator;
    bool bShown;
    const char* pszSays = ""; // its words where shown, with a point for the decimal mark
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
    if (*GetParam().pszSays) {
        std::string str = text(GetParam().pszIndicator);
        std::replace(str.begin(), str.end(), ',', '.');
        EXPECT_EQ(str, GetParam().pszSays);
    }
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
                    Indicator{"[Unit]\nFuel=1\n", "FuelVolume", "17.1", "FuelOverFill", true,
                              "Over the 17.0 US gal (64.5 L) tank capacity"},
                    // The field shows 17.0: the tank's figure tells them apart.
                    Indicator{"[Unit]\nFuel=1\n", "FuelVolume", "17.04", "FuelOverFill", true,
                              "Over the 17.03 US gal (64.5 L) tank capacity"}));

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

// Made-up charts, no manual's: in ground effect the 0 °C line from 10,000 ft
// at 500 kg to 6,000 ft at 700 kg, the 40 °C line 4,000 ft lower; out of
// ground effect 2,000 ft lower again. 605.6 kg at take-off and landing.
class Hover : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2700\nLatArm=1\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\n"
               "[Hover IGE]\nLine 1=0; 500 10000; 700 6000\nLine 2=40; 500 6000; 700 2000\n"
               "[Hover OGE]\nLine 1=0; 500 8000; 700 4000\nLine 2=40; 500 4000; 700 0\n";
    }
};

TEST_F(Hover, TheSitesConditionsGiveTheLineAndAHotLandingIsNotWithin)
{
    EXPECT_FALSE(gtk_widget_get_visible(w("HoverVerdict")));
    gtk_test_widget_wait_for_draw(m_pwinMain);
    const int nChart = gtk_widget_get_allocated_height(w("WBDrawing"));
    // At 2,000 ft in the standard atmosphere, on the 0 °C lines, both
    // ceilings are above 2,000 ft up to the charts' heaviest weight, 700 kg.
    enter("TakeOffElevation", "2000", "TakeOffQNH");
    enter("TakeOffQNH", "1013.25", "TakeOffOAT");
    enter("TakeOffOAT", "0");
    EXPECT_TRUE(gtk_widget_get_visible(w("HoverVerdict")));
    EXPECT_TRUE(zt::reMatch(text("HoverVerdict"),
                            "Hover at take-off \\(elevation 2000 ft, 0 °C, density altitude [0-9]+ ft\\): in ground "
                            "effect up to 700 kg, " +
                                num("%1.1f", 94.4) + " kg to spare; out of ground effect up to 700 kg, " +
                                num("%1.1f", 94.4) + " kg to spare"))
        << text("HoverVerdict");
    EXPECT_TRUE(text("FlightVerdict").starts_with("WITHIN LIMITS")) << text("FlightVerdict");
    // The line had its room: nothing moved for it.
    gtk_test_widget_wait_for_draw(m_pwinMain);
    EXPECT_EQ(gtk_widget_get_allocated_height(w("WBDrawing")), nChart);

    // At 5,050 ft and 40 °C, 950 ft below the line's 6,000 ft at 500 kg,
    // of the 4,000 ft it falls to 700 kg: 500 + 200 x 950 / 4,000 = 547.5 kg,
    // shown 547 and so 58.6 short of 605.6 as read; out of ground effect
    // above the ceiling.
    enter("LandingElevation", "5050", "LandingQNH");
    enter("LandingQNH", "1013.25", "LandingOAT");
    enter("LandingOAT", "40");
    const std::string strLanding = text("HoverVerdict").substr(text("HoverVerdict").find('\n') + 1);
    EXPECT_TRUE(
        zt::reMatch(strLanding, "Hover at landing \\(elevation 5050 ft, 40 °C, density altitude [0-9]+ ft\\): in "
                                "ground effect up to 547 kg, " +
                                    num("%1.1f", 58.6) +
                                    " kg short; out of ground "
                                    "effect above the chart's ceiling at 40 °C: no hover figure"))
        << strLanding;
    EXPECT_TRUE(
        zt::reSearch(text("FlightVerdict"), "^NOT WITHIN LIMITS: [^;]*hover in ground effect up to 547 kg").size() == 1)
        << text("FlightVerdict");
    // Red like the verdict, the landing only.
    EXPECT_TRUE(zt::reMatch(gtk_label_get_label(GTK_LABEL(w("HoverVerdict"))),
                            "Hover at take-off[^<]*\n<span [^>]*\"#ff0000\">Hover at landing[^<]*</span>"));
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

// What a text typed into a field stores (kilograms, millimetres and litres
// are the units of a first start): the reading of its decimal numeric
// prefix, 0 where that is no finite number; a figure of the weighing record
// keeps its value where the text was not read cleanly.
struct Typed {
    const char* pszText;
    double nStored;
    bool bClean;
};
constexpr Typed m_typed[] = {
    {"12.34", 12.34, true}, {"  12abc", 12, false}, {"-3", -3, true},
    {"abc", 0, false},      {"nan", 0, false},      {"inf", 0, false},
    {"-inf", 0, false},     {"1e999", 0, false},    {"", 0, true},
    {"0x10", 0, false},     {"1e3", 1000, true},    {"123456789012345678901234", 123456789012345678901234.0, true}};

// An aircraft with a hover chart, whose loading page has the sites'
// conditions.
class EveryField : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Hover IGE]\nLine 1=0; 500 10000; 700 6000\nLine 2=40; 500 6000; 700 2000\n";
    }
};

TEST_F(EveryField, StoresWhatItReadsShowsItAndNothingWhenLeftAgain)
{
    // Every number with an entry, as the table of stored values has it: a
    // value added to the table is tested here with no test of its own.
    for (const _prmValue& v : valValues()) {
        if (!v.pszEntry || !valIsNumber(v))
            continue;
        ASSERT_NE(w(v.pszEntry), nullptr) << v.pszEntry;
        // A field is left for one on its own page, which commits it.
        const char* pszNext = v.nOwner == PRM_OF_SETUP ? "WeightUnitKgs" : "BallastNone";
        double nStored = 0;
        for (const Typed& t : m_typed) {
            SCOPED_TRACE(std::string(v.pszEntry) + " <- \"" + t.pszText + "\"");
            enter(v.pszEntry, t.pszText, pszNext);
            // A site's condition left empty is not given: no key, and an
            // empty field. Typed, it is read in the unit beside it (a QNH
            // under 100 in inches of mercury).
            const bool bNotGiven = valNotGiven(v, NAN) && !*t.pszText;
            ASSERT_NE(confHas(v.pszGroup, v.pszKey), bNotGiven) << "did not commit";
            nStored = v.bFigure && !t.bClean ? nStored : unitToInternal(v.nUnit, t.nStored, m_wbSetup);
            if (!bNotGiven) {
                EXPECT_DOUBLE_EQ(confDouble(v.pszGroup, v.pszKey), nStored);
            }
            const std::string strShown = text(v.pszEntry);
            EXPECT_EQ(strShown, bNotGiven ? "" : num(v.pszFormat, valShown(v, nStored)));
            // Leaving it again untouched stores nothing: not the rounded text shown.
            focus(v.pszEntry);
            focus(pszNext);
            EXPECT_NE(confHas(v.pszGroup, v.pszKey), bNotGiven);
            if (!bNotGiven) {
                EXPECT_DOUBLE_EQ(confDouble(v.pszGroup, v.pszKey), nStored);
            }
            EXPECT_EQ(text(v.pszEntry), strShown);
        }
    }
}

} // namespace

namespace
{

// The worked nose-heavy aircraft: within limits at take-off, forward of the
// limit once the fuel is burned, unless the ballast goes to the rear.
class FuelPlanning : public Pages
{
  protected:
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2690\nLatArm=1\n[Ballast]\nWeight=10\nFrontLongArm=2000\n"
               "RearLongArm=3000\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\n";
    }
    bool red(const char* pszCell) const
    {
        return gtk_label_get_attributes(GTK_LABEL(w(pszCell))) == m_pattrBoldRed;
    }
};

class RoomLeft : public Pages
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2700\nLatArm=1\n[Load]\nLSeat=80\nRSeat=80\nFuel=60\n";
    }
};

// The worked loading: with no fuel, 560 kg at 1368544 kg mm; a seat keeps
// the forward limit to (1368544 - 2441.575 x 560) / (2441.575 - 1803.4) =
// 50480/25527 kg, and the tank has 4.5 L left.
TEST_F(RoomLeft, StillFitsFollowsTheLoading)
{
    EXPECT_EQ(text("StillFits"), "Still fits: left seat " + num("%1.1f", 1.9) + " kg, right seat " + num("%1.1f", 1.9) +
                                     " kg, fuel " + num("%1.1f", 4.5) +
                                     " L. Limited by the forward limit with the fuel burned");
    type("LeftSeatWeight", "100");
    focus("RightSeatWeight");
    EXPECT_EQ(text("StillFits"), "Nothing more fits: this loading is not within limits");
}

TEST_F(FuelPlanning, RowFuelAllowedAndAdviceFollowTheLoadingAndTheUnits)
{
    EXPECT_EQ(text("NoFuelWt"), num("%3.1f", 560 * 2.2046));
    EXPECT_EQ(text("NoFuelLongArm"), num("%3.2f", 2436.6857 / 25.4));
    EXPECT_TRUE(red("NoFuelLongArm"));
    EXPECT_FALSE(red("TotalLongArm"));
    EXPECT_EQ(text("NoFuelReason"), "Forward of the limit with the fuel burned");
    EXPECT_TRUE(gtk_widget_get_visible(w("NoFuelReason")));
    EXPECT_EQ(text("FuelAllowed"), "With the fuel burned this loading is forward of the limit: fit the ballast at the "
                                   "rear and carry up to " +
                                       num("%1.1f", 64.5) + " L at take-off");
    EXPECT_EQ(text("BallastAdvice"), "Fit the ballast at the rear");
    // The advice never changes the pilot's choice.
    EXPECT_TRUE(active("BallastNone"));

    // The pilot follows it: both points within, no reason, no advice.
    click("BallastRear");
    EXPECT_FALSE(red("NoFuelLongArm"));
    EXPECT_FALSE(gtk_widget_get_visible(w("NoFuelReason")));
    EXPECT_EQ(text("BallastAdvice"), "");

    // A typed change follows at once.
    type("LeftSeatWeight", "70");
    focus("RightSeatWeight");
    EXPECT_EQ(text("NoFuelWt"), num("%3.1f", (410 + 70 + 80) * 2.2046));

    // In US gallons, rounded inward.
    click("FuelUnitUSGal");
    const _wbFuelRange r = fuelRange(m_wbSetup, stateLoadingOf(m_wbSetup, stateLoad()));
    ASSERT_TRUE(r.bAny);
    const std::string strMost = num("%1.1f", std::floor(r.nMost / 3.78541 * 10) / 10) + " US gal";
    EXPECT_EQ(text("FuelAllowed"),
              "Mass and balance allow " +
                  (r.nLeast > 0 ? num("%1.1f", std::ceil(r.nLeast / 3.78541 * 10) / 10) + " to " : "up to ") + strMost +
                  " at take-off");

    // A trip, typed in US gallons: stored in litres, the landing row lighter
    // by its fuel, and the fuel to take off with says it.
    EXPECT_EQ(text("LandingWt"), text("CalTotalWt"));
    type("TripFuel", "5");
    focus("FuelVolume");
    EXPECT_NEAR(confDouble("Load", "Trip"), 5 * 3.78541, 1e-9);
    EXPECT_EQ(text("LandingWt"), num("%3.1f", (legCalcShown().rows[ROW_TOTAL].nWeight - 5 * 3.78541 * 0.759) * 2.2046));
    EXPECT_NE(text("FuelAllowed").find("\u2028with a " + num("%1.1f", 5.0) + " US gal trip (no reserve included)"),
              std::string::npos);

    // The fuel on board is flagged while it lies outside what is allowed.
    auto flagged = [&] {
        return gtk_style_context_has_class(gtk_widget_get_style_context(w("FuelVolume")), GTK_STYLE_CLASS_ERROR);
    };
    EXPECT_FALSE(flagged());
    type("FuelVolume", "1");
    focus("LeftSeatWeight");
    EXPECT_TRUE(flagged());
    type("FuelVolume", "15");
    focus("LeftSeatWeight");
    EXPECT_FALSE(flagged());
}

TEST_F(FuelPlanning, BurnOffChoiceIsStoredAndWalkedToLast)
{
    EXPECT_FALSE(active("ShowBurnOff"));
    EXPECT_FALSE(confHas("Chart", "ShowBurnOff"));
    click("ShowBurnOff");
    EXPECT_EQ(confInt("Chart", "ShowBurnOff"), 1);
    EXPECT_TRUE(stateLoad().bShowBurnOff);
    // The check button follows the rear ballast in the page's walk.
    focus("BallastRear");
    key(GDK_KEY_Down);
    EXPECT_TRUE(hasFocus("ShowBurnOff"));
}

// What the pilot typed and Zarv could not read, or that no amount can be,
// leaves the flight unjudged, the sheet without its acceptance, across a
// restart, until the field is typed again; and every row of the table is
// coloured by its own judgement.
class Doubts : public FuelPlanning
{
  protected:
    std::string m_strConf;
    std::string initialConf() const override
    {
        return m_strConf.empty() ? FuelPlanning::initialConf() : m_strConf;
    }
    bool flagged(const char* pszId) const
    {
        return gtk_style_context_has_class(gtk_widget_get_style_context(w(pszId)), GTK_STYLE_CLASS_ERROR);
    }
};

TEST_F(Doubts, AFieldNotReadOrImpossibleIsNeverJudgedAcrossARestartUntilTyped)
{
    type("FuelVolume", "6O");
    type("LeftSeatWeight", "-5");
    focus("BallastNone");
    const std::string strVerdict = "NOT WITHIN LIMITS: left seat weight \u2212" + num("%1.1f", 5.0) +
                                   " kg cannot be right; the fuel \"6O\" was not read as a number: check it";
    for (int nRun = 0; nRun < 2; nRun++) {
        EXPECT_EQ(text("FlightVerdict"), strVerdict) << nRun;
        EXPECT_TRUE(flagged("FuelVolume") && flagged("LeftSeatWeight")) << nRun;
        EXPECT_FALSE(legCalcShown().within());
        m_strConf = conf();
        TearDown();
        SetUp();
    }
    type("FuelVolume", "60");
    type("LeftSeatWeight", "80");
    focus("BallastNone");
    EXPECT_FALSE(flagged("FuelVolume") || flagged("LeftSeatWeight"));
    EXPECT_FALSE(confHas("Load", "Unread"));
    EXPECT_EQ(text("FlightVerdict"),
              "NOT WITHIN LIMITS: with no fuel forward of the limit by " + num("%1.2f", 4.89) + " mm");
    // Over weight with no trip: the landing, the take-off's loading, is red too.
    type("LeftSeatWeight", "200");
    focus("BallastNone");
    EXPECT_TRUE(red("CalTotalWt")) << text("CalTotalWt") << text("FlightVerdict");
    EXPECT_TRUE(red("LandingWt"));
}

class FuelFlow : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Fuel]\nFlow=38\n";
    }
};

// The trip beside its fuel in minutes: typed, it gives the fuel at the
// aircraft's flow, and the fuel typed gives the minutes.
TEST_F(FuelFlow, ATripTimeTypedGivesTheFuel)
{
    focus("TripFuel");
    key(GDK_KEY_Return);
    EXPECT_TRUE(hasFocus("TripTime"));
    EXPECT_EQ(text("TripTimeUnits"), "min");
    type("TripTime", "30");
    focus("TripFuel");
    EXPECT_EQ(text("TripFuel"), num("%1.1f", 19.0));
    EXPECT_EQ(confDouble("Load", "Trip"), 19.0);
    EXPECT_EQ(confDouble("Load", "TripMinutes"), 30.0);
    enter("TripFuel", "38");
    EXPECT_EQ(text("TripTime"), "60");
    EXPECT_EQ(confDouble("Load", "TripMinutes"), 60.0);
}

// Zarv.ui as it was before fuel planning: the 65 objects alone.
class Sixty5Objects : public Pages
{
    std::string uiFile() const override
    {
        return ZARV_SOURCE_DIR "/tests/data/Zarv-65.ui";
    }
};

TEST_F(Sixty5Objects, RunTheLoadingPageAsBefore)
{
    EXPECT_EQ(gtk_builder_get_object(m_pBuilder, "NoFuelWt"), nullptr);
    type("LeftSeatWeight", "80");
    key(GDK_KEY_Return);
    EXPECT_TRUE(hasFocus("RightSeatWeight"));
    EXPECT_EQ(confDouble("Load", "LSeat"), 80.0);
    EXPECT_EQ(text("CalLSeatWt"), num("%1.1f", 176.4));
    // The walk wraps at the rear ballast as it always did.
    focus("BallastRear");
    key(GDK_KEY_Down);
    EXPECT_TRUE(hasFocus("LeftSeatWeight"));
}

} // namespace

namespace
{

class HugeValue : public Pages
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=1e300\nLongArm=2500\n";
    }
};

TEST_F(HugeValue, CellsAreCutShortWithTheWholeTextInATooltipAndNeverWidenTheWindow)
{
    const std::string strWhole = num("%3.1f", 1e300 * 2.2046);
    EXPECT_EQ(text("CalBasicWt"), strWhole); // the text itself is as it always was
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(w("CalBasicWt"));
    EXPECT_STREQ(pszTip, strWhole.c_str());
    g_autofree gchar* pszNoTip = gtk_widget_get_tooltip_text(w("CalLSeatWt"));
    EXPECT_EQ(pszNoTip, nullptr);
    GtkRequisition minimum, natural;
    gtk_widget_get_preferred_size(m_pwinMain, &minimum, &natural);
    GdkRectangle rcScreen;
    gdk_monitor_get_workarea(gdk_display_get_monitor(gtk_widget_get_display(m_pwinMain), 0), &rcScreen);
    EXPECT_LE(natural.width, rcScreen.width);
    EXPECT_LE(gtk_widget_get_allocated_width(m_pwinMain), rcScreen.width);
}

} // namespace

namespace
{

bool flagged(GtkWidget* pwgt)
{
    return gtk_style_context_has_class(gtk_widget_get_style_context(pwgt), GTK_STYLE_CLASS_ERROR);
}

std::string tooltip(GtkWidget* pwgt)
{
    g_autofree gchar* psz = gtk_widget_get_tooltip_text(pwgt);
    return psz ? psz : "";
}

TEST_F(LoadingPage, TextNotReadCleanlyIsFlaggedUntilTheFieldNextStoresACleanValue)
{
    const char cOther = *localeconv()->decimal_point == ',' ? '.' : ',';
    const struct {
        const char* pszField;
        std::string strText;
        double nStored;
        bool bFlagged;
    } cases[] = {{"LeftSeatWeight", std::string("80") + cOther + "5", 80.5, false},
                 {"LeftSeatWeight", "7o", 7, true},
                 {"RightSeatWeight", "-80", -80, true},
                 {"FuelVolume", std::string("1") + cOther + "234", 1, true},
                 {"FuelVolume", "-5", -5, true}};
    for (const auto& c : cases) {
        GtkWidget* pwgt = w(c.pszField);
        const std::string strOwnTip = tooltip(pwgt);
        gtk_entry_set_text(GTK_ENTRY(pwgt), c.strText.c_str());
        focus(c.pszField);
        focus("BallastNone");
        const char* pszKey = c.pszField[0] == 'L' ? "LSeat" : c.pszField[0] == 'R' ? "RSeat" : "Fuel";
        EXPECT_DOUBLE_EQ(confDouble("Load", pszKey), c.nStored) << c.strText;
        EXPECT_EQ(flagged(pwgt), c.bFlagged) << c.strText;
        if (c.bFlagged) {
            EXPECT_NE(tooltip(pwgt).find(c.strText), std::string::npos) << tooltip(pwgt);
            // A clean value clears the flag and gives the field its tooltip back.
            type(c.pszField, "8");
            focus("BallastNone");
            EXPECT_FALSE(flagged(pwgt)) << c.strText;
            EXPECT_EQ(tooltip(pwgt), strOwnTip);
        }
    }
}

class Inches : public LoadingPage
{
    std::string initialConf() const override
    {
        return "[Unit]\nArm=1\nFuel=1\n[Basic]\nLongArm=2500\n";
    }
};

TEST_F(Inches, AValueTooLargeForTheUnitStoresZeroAndIsFlagged)
{
    enter("FuelVolume", "1e308");                        // 1e308 US gal is beyond any number of litres
    enter("ConfEmptyLongArm", "1e308", "WeightUnitKgs"); // and 1e308 in of millimetres
    EXPECT_EQ(confDouble("Load", "Fuel"), 0.0);
    EXPECT_TRUE(flagged(w("FuelVolume")));
    // A figure keeps its own value, flagged.
    EXPECT_EQ(confDouble("Basic", "LongArm"), 2500.0);
    EXPECT_TRUE(flagged(w("ConfEmptyLongArm")));
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 2500 / 25.4));
}

} // namespace

namespace
{

using CheckOfTheCalculation = Pages;

// The last check as the loading page says it: a reminder long after the
// last passing report; Check the calculation… keeps today's report, says
// its day, and leaves the pilot's loading as it was.
TEST_F(CheckOfTheCalculation, TheLabelSaysTheLastPassingCheckAndTheButtonMakesOne)
{
    g_mkdir((m_dir / "Verification").c_str(), 0700);
    zt::writeFile(m_dir / "Verification/Calculation check 2000-01-01 passed.pdf", "%PDF-1.5");
    vfyInitWindow(m_pBuilder);
    EXPECT_TRUE(gtk_widget_get_visible(w("CalculationChecked")));
    EXPECT_EQ(text("CalculationChecked"),
              "The calculation was last checked on " + dateShow("2000-01-01") + ": check it again (zarv --verify)");
    type("LeftSeatWeight", "71.5");
    key(GDK_KEY_Return);
    const std::string strTotal = text("CalTotalWt");
    click("CheckCalculation");
    std::string strToday, strReport;
    for (const std::string& strName : zt::listDir(m_dir / "Verification"))
        if (strName.rfind("Calculation check 2000", 0) != 0)
            strToday = strName.substr(18, 10), strReport = m_dir / ("Verification/" + strName);
    ASSERT_EQ(strToday.size(), 10u) << "no report was kept";
    EXPECT_EQ(text("CalculationChecked"), "Calculation last checked on " + dateShow(strToday));
    // A check that passes says so, with its report to open.
    const std::string strSaid = text("NoticeText");
    EXPECT_TRUE(gtk_widget_get_visible(w("NoticeBar")));
    EXPECT_TRUE(strSaid.starts_with("The check of the calculation PASSED: all ") &&
                strSaid.ends_with(" reference loadings. Its report is " + strReport))
        << strSaid;
    g_autoptr(GList) buttons =
        gtk_container_get_children(GTK_CONTAINER(gtk_info_bar_get_action_area(GTK_INFO_BAR(w("NoticeBar")))));
    bool bOffered = false;
    for (GList* p = buttons; p; p = p->next)
        bOffered |= gtk_widget_get_visible(GTK_WIDGET(p->data)) &&
                    gtk_button_get_label(GTK_BUTTON(p->data)) == std::string("Open report");
    EXPECT_TRUE(bOffered);
    EXPECT_EQ(stateLoad().nLSeatWeight, 71.5);
    EXPECT_EQ(legCalcShown().loading.nLSeatWeight, 71.5);
    EXPECT_EQ(text("CalTotalWt"), strTotal);
    // A check that failed since is said until one passes again.
    const std::string strFailed = m_dir / "Verification/Calculation check 2001-01-01 FAILED.pdf";
    zt::writeFile(strFailed, "%PDF-1.5");
    const struct timespec later[2] = {{time(nullptr) + 60, 0}, {time(nullptr) + 60, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, strFailed.c_str(), later, 0), 0);
    vfyInitWindow(m_pBuilder);
    EXPECT_EQ(text("CalculationChecked"),
              "The last check of the calculation, on " + dateShow("2001-01-01") +
                  ", FAILED: do not use Zarv's figures until a check passes (zarv --verify)");
}

// The window built anew after another (a test's, or a second of the
// process's) keeps both its pages told of each change when the older one
// goes.
TEST_F(LoadingPage, AnOlderWindowGoingLeavesTheNewerPagesTold)
{
    GtkBuilder* pBuilder = gtk_builder_new_from_file(uiFile().c_str());
    wbInitPages(pBuilder);
    gtk_widget_destroy(m_pwinMain);
    g_object_unref(m_pBuilder);
    m_pBuilder = pBuilder;
    m_pwinMain = w("Zarv");
    valStoreValue(VAL_LSEAT, 90);
    EXPECT_EQ(text("CalLSeatWt"), pwbWeightText(90));
    valStoreValue(VAL_UNIT_WEIGHT, UNIT_WT_LB);
    EXPECT_EQ(text("ConfEmptyWeightUnits"), unitLabel(KIND_WEIGHT, m_wbSetup));
    EXPECT_NE(text("ConfEmptyWeightUnits"), unitLabel(KIND_WEIGHT, _wbSetup{}));
}

} // namespace

namespace
{

// An aircraft weighed with its left door on.
class Equipment : public zt::Pages
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\nLongArm=2500\n"
               "[Equipment 1]\nName=Left door\nWeight=5\nLongArm=2000\nLatArm=-400\nWeighed=true\n";
    }
};

// The door, walked to from the ballast and taken off with the space bar,
// takes its weight off the total, which the Equipment row then shows.
TEST_F(Equipment, AnItemTakenOffMovesTheTotalAndShowsItsRow)
{
    EXPECT_FALSE(gtk_widget_get_visible(w("EquipmentWt")));
    EXPECT_EQ(text("CalTotalWt"), num("%3.1f", 400 * 2.2046));
    focus("BallastRear");
    key(GDK_KEY_Down);
    GtkWidget* pwgtDoor = gtk_window_get_focus(GTK_WINDOW(m_pwinMain));
    ASSERT_TRUE(GTK_IS_CHECK_BUTTON(pwgtDoor));
    EXPECT_TRUE(gtk_widget_is_ancestor(pwgtDoor, w("EquipmentFitted")));
    key(GDK_KEY_space);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtDoor)));
    EXPECT_EQ(text("CalTotalWt"), num("%3.1f", 395 * 2.2046));
    EXPECT_TRUE(gtk_widget_get_visible(w("EquipmentCaption")));
    EXPECT_EQ(text("EquipmentWt"), num("%3.1f", -5 * 2.2046));
    EXPECT_EQ(gtk_button_get_label(GTK_BUTTON(pwgtDoor)), std::string("\u2068Left door\u2069"));
    EXPECT_NE(conf().find("Fitted=false"), std::string::npos) << conf();
    key(GDK_KEY_space);
    EXPECT_FALSE(gtk_widget_get_visible(w("EquipmentWt")));
    key(GDK_KEY_Down);
    EXPECT_TRUE(hasFocus("ShowBurnOff"));
}

} // namespace
