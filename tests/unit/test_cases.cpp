// Reading a file of reference loadings: figures in the case's own units,
// and every file that cannot be read refused whole, naming where.
#include "store/cases.h"
#include "support.h"

#include <gtest/gtest.h>

namespace
{

constexpr const char* GOOD = "BasicWeight=880\nBasicLongArm=106.3\nBasicLatArm=0\nLeftSeat=176\nRightSeat=0\n"
                             "Fuel=15\nWeight=1000\nLongArm=100\nLatArm=0\nVerdict=within\n";

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
