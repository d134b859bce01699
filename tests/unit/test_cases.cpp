// Reading a file of reference loadings: figures in the case's own units,
// and every file that cannot be read refused whole, naming where.
#include "store/flight/cases.h"
#include "support.h"

#include <gtest/gtest.h>

namespace
{

constexpr const char* GOOD = "BasicWeight=880\nBasicLongArm=106.3\nBasicLatArm=0\nLeftSeat=176\nRightSeat=0\n"
                             "Fuel=15\nWeight=1000\nLongArm=100\nLatArm=0\nVerdict=within\n";

// A second leg that expects its figures, and the flight's verdict.
constexpr const char* LEG2_FIGURES =
    "Leg2Weight=1\nLeg2LongArm=1\nLeg2LatArm=0\nLeg2Verdict=within\nFlightVerdict=within\n";

struct BadFile {
    const char* pszName;
    std::string strText;
    const char* pszSays; // after the file's path
};

void PrintTo(const BadFile& c, std::ostream* os)
{
    *os << c.pszName;
}

class CaseFile : public testing::TestWithParam<BadFile>
{
};

TEST_P(CaseFile, IsRefusedWholeNamingWhere)
{
    zt::TempDir dir;
    zt::writeFile(dir / "Cases", GetParam().strText);
    _casFile file;
    std::string strError;
    EXPECT_FALSE(casRead(dir / "Cases", &file, &strError));
    EXPECT_EQ(strError.rfind(dir / "Cases: ", 0), 0u) << strError;
    EXPECT_NE(strError.find(GetParam().pszSays), std::string::npos) << strError;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CaseFile,
    testing::Values(
        BadFile{"NoCase", "[Tolerance]\nWeight=0.1\n", "holds no case"},
        BadFile{"NotKeyFile", "[A]\nBasicWeight 400\n", "BasicWeight 400"},
        BadFile{"MistypedKey", std::string("[A]\n") + GOOD + "Wieght=3\n", "group \"A\", key \"Wieght\": is no key"},
        BadFile{"NoNumber", std::string("[A]\n") + GOOD + "Trip=ten\n", "group \"A\", key \"Trip\":"},
        BadFile{"MissingFigure", "[A]\nBasicWeight=400\n", "group \"A\", key \"BasicLongArm\": is missing"},
        BadFile{"UnknownUnit", std::string("[A]\n") + GOOD + "WeightUnit=stone\n",
                "key \"WeightUnit\": \"stone\" is none of kg, lb"},
        BadFile{"LandingWithoutTrip", std::string("[A]\n") + GOOD + "LandingWeight=1\n",
                "group \"A\": expects a landing but plans no trip"},
        BadFile{"TripWithoutLanding", std::string("[A]\n") + GOOD + "Trip=5\n", "key \"LandingWeight\": is missing"},
        BadFile{"ItemShort", std::string("[A]\n") + GOOD + "Item1=Door; 5.4; 1850\n", "key \"Item1\": is not name;"},
        BadFile{"ItemNoNumber", std::string("[A]\n") + GOOD + "Item1=Door; 5,4; 1850; 0; weighed; fitted\n",
                "key \"Item1\": \"5,4\" is no finite number"},
        BadFile{"ItemWord", std::string("[A]\n") + GOOD + "Item1=Door; 5.4; 1850; 0; weighed; off\n",
                "\"off\" is neither fitted nor removed"},
        BadFile{"ItemHex", std::string("[A]\n") + GOOD + "Item1=Door; 0x14; 1850; 0; weighed; fitted\n",
                "\"0x14\" is no finite number"},
        BadFile{"ItemNumberedTwoWays", std::string("[A]\n") + GOOD + "Item01=Door; 5.4; 1850; 0; weighed; fitted\n",
                "key \"Item01\": is no key"},
        BadFile{"ItemInALanguage", std::string("[A]\n") + GOOD + "Item1[de]=T\u00fcr; 5.4; 1850; 0; weighed; fitted\n",
                "key \"Item1[de]\": is no key"},
        BadFile{"FigureInHex", std::string("[A]\n") + GOOD + "BallastWeight=0x14\n", "key \"BallastWeight\": is no"},
        BadFile{"GroupTwice", std::string("[A]\n") + GOOD + "[A]\nFuel=16\n", "[A] is written twice"},
        BadFile{"FigureTwice", std::string("[A]\n") + GOOD + "Fuel=16\n", "Fuel in [A] is written twice"},
        BadFile{"ItemAfterGap", std::string("[A]\n") + GOOD + "Item2=Door; 5.4; 1850; 0; weighed; fitted\n",
                "key \"Item2\": follows no item"},
        BadFile{"LegNumberedTwoWays", std::string("[A]\n") + GOOD + "Leg02=80; 0; as landed; 0; none\n",
                "key \"Leg02\": is no key"},
        BadFile{"LegOne", std::string("[A]\n") + GOOD + "Leg1=80; 0; as landed; 0; none\n", "key \"Leg1\": is no key"},
        BadFile{"LegSeven", std::string("[A]\n") + GOOD + "Leg7=80; 0; as landed; 0; none\n",
                "key \"Leg7\": is no key"},
        BadFile{"LegInALanguage", std::string("[A]\n") + GOOD + "Leg2[de]=80; 0; wie gelandet; 0; none\n",
                "key \"Leg2[de]\": is no key"},
        BadFile{"LegTwice",
                std::string("[A]\n") + GOOD + "Leg2=80; 0; as landed; 0; none\n" + LEG2_FIGURES +
                    "Leg2=80; 80; as landed; 0; none\n",
                "Leg2 in [A] is written twice"},
        BadFile{"LegAfterGap", std::string("[A]\n") + GOOD + "Leg3=80; 0; as landed; 0; none\n",
                "key \"Leg3\": is of a leg that follows no leg"},
        BadFile{"LegFiguresOfNoLeg", std::string("[A]\n") + GOOD + LEG2_FIGURES, "key \"Leg2Weight\": is of a leg"},
        BadFile{"LegShort", std::string("[A]\n") + GOOD + "Leg2=80; 0; as landed\n" + LEG2_FIGURES,
                "key \"Leg2\": is not left seat; right seat; fuel or as landed"},
        BadFile{"LegFuelWord", std::string("[A]\n") + GOOD + "Leg2=80; 0; as before; 0; none\n" + LEG2_FIGURES,
                "key \"Leg2\": \"as before\" is no finite number"},
        BadFile{"LegWithoutFigures", std::string("[A]\n") + GOOD + "Leg2=80; 0; as landed; 0; none\n",
                "key \"Leg2Weight\": is missing"},
        BadFile{"LegWithoutFlightVerdict",
                std::string("[A]\n") + GOOD +
                    "Leg2=80; 0; 10; 0; none\nLeg2Weight=1\n"
                    "Leg2LongArm=1\nLeg2LatArm=0\nLeg2Verdict=within\n",
                "key \"FlightVerdict\": is missing"},
        BadFile{"FlightVerdictOfOneLeg", std::string("[A]\n") + GOOD + "FlightVerdict=within\n",
                "key \"FlightVerdict\": is a verdict of legs"},
        BadFile{"NegativeTolerance", std::string("[Tolerance]\nArm=-1\n[A]\n") + GOOD, "a tolerance is below 0"}));

TEST(CaseFile, FiguresAreReadInTheCasesUnits)
{
    zt::TempDir dir;
    zt::writeFile(dir / "Cases", std::string("[Tolerance]\nWeight=0.1\n[A]\nWeightUnit=lb\nArmUnit=in\n"
                                             "FuelUnit=USgal\nBallast=rear\n") +
                                     GOOD);
    _casFile file;
    std::string strError;
    ASSERT_TRUE(casRead(dir / "Cases", &file, &strError)) << strError;
    ASSERT_EQ(file.cases.size(), 1u);
    const _casCase& c = file.cases[0];
    EXPECT_EQ(c.strName, "A");
    EXPECT_EQ(file.nWeightTolerance, 0.1);
    EXPECT_EQ(file.nArmTolerance, 0.05);
    EXPECT_EQ(c.setup.nBasicWeight, 880 / LB_PER_KG);
    EXPECT_EQ(c.setup.nBasicLongArm, 106.3 * MM_PER_INCH);
    EXPECT_EQ(c.loading.nFuelVolume, 15 * LITRES_PER_USGAL);
    EXPECT_EQ(c.loading.nBallastPosn, static_cast<guint>(BALLAST_REAR));
    EXPECT_EQ(c.takeOff.nWeight, 1000 / LB_PER_KG);
    EXPECT_TRUE(c.takeOff.bWithin);
    EXPECT_FALSE(c.bLanding);
}

} // namespace
