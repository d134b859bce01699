// A flight of several legs: kept in Zarv.conf's groups and read back,
// added and removed, judged as one flight, and the fuel its first take-off
// allows.
#include "model/fuel.h"
#include "model/words.h"
#include "store.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "support.h"
#include "ui/legChoice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

class Legs : public zt::FreshStore<testing::Test>
{
  protected:
    // The aircraft of the worked figures: 400 kg at 2700 mm and 1 mm.
    static constexpr const char* AIRCRAFT = "[Basic]\nWeight=400\nLongArm=2700\nLatArm=1\n";

    void read(const std::string& strConf)
    {
        zt::writeFile(m_dir / "Zarv.conf", AIRCRAFT + strConf);
        restart();
        prmLoadKeyFile();
        psetParams();
        pwbParams();
    }
    std::vector<double> fuels()
    {
        std::vector<double> v;
        for (const _wbLoadState& l : stateLegs())
            v.push_back(l.nFuelVolume);
        return v;
    }
    std::string verdict()
    {
        return wrdLegsVerdictText(legCalcAll(), legLabels(), m_wbSetup);
    }
};

// Each leg's group read back: its fuel as landed or as taken on at the
// stop; a group numbered another way, after a gap or past the sixth, or a
// flag that is no flag, named and never judged.
TEST_F(Legs, AreReadFromTheirGroupsAndWhatIsNotReadIsNeverJudged)
{
    const struct {
        const char* pszConf;
        std::vector<double> fuels;
        const char* pszNotRead;
    } cases[] = {
        {"[Load]\nFuel=60\nTrip=20\n", {60}, ""},
        {"[Load]\nFuel=60\nTrip=20\n[Leg 2]\nRSeat=72\nFuel=5\nFuelAsLanded=true\nTrip=15\n"
         "[Leg 3]\nRSeat=72\nFuel=50\nTrip=10\n[Leg 4]\nFuelAsLanded=true\n",
         {60, 40, 50, 40},
         ""},
        // A trip longer than the fuel leaves none to the next leg.
        {"[Load]\nFuel=10\nTrip=20\n[Leg 2]\nFuelAsLanded=true\n", {10, 0}, ""},
        {"[Load]\nFuel=60\n[Leg 3]\nFuel=40\n", {60}, "[Leg 3]"},
        {"[Load]\nFuel=60\n[Leg 02]\nFuel=40\n", {60}, "[Leg 02]"},
        {"[Load]\nFuel=60\n[Leg 2]\nFuel=40\nFuelAsLanded=maybe\n", {60, 40}, "[Leg 2] FuelAsLanded=maybe"},
        {"[Load]\nFuel=60\n[Leg 2]\nFitted=yes\n", {60, 0}, "[Leg 2] Fitted=yes"},
        {"[Load]\nFuel=6\n[Leg 2]\n[Leg 3]\n[Leg 4]\n[Leg 5]\n[Leg 6]\n[Leg 7]\nFuel=1\n",
         {6, 0, 0, 0, 0, 0},
         "[Leg 7]"},
        {"[Load]\nFuel=60\n[leg 2]\nRSeat=0\n", {60}, "[leg 2]"},
        // The key file keeps the later of two: the earlier is said.
        {"[Load]\nFuel=60\n[Leg 2]\nRSeat=0\n[Leg 2]\nRSeat=72\n", {60, 0}, "written twice: [Leg 2]"},
        {"[Load]\nRSeat=0\nFuel=60\nRSeat=72\n", {60}, "written twice: RSeat in [Load]"},
    };
    for (const auto& c : cases) {
        read(c.pszConf);
        EXPECT_EQ(fuels(), c.fuels) << c.pszConf;
        EXPECT_EQ(legNotRead(), c.pszNotRead) << c.pszConf;
        if (*c.pszNotRead) {
            EXPECT_FALSE(legCalcAll().front().within()) << c.pszConf;
            EXPECT_FALSE(legCalcShown().within()) << c.pszConf;
            EXPECT_FALSE(legAdd()) << c.pszConf;
            EXPECT_NE(verdict().find(c.pszNotRead), std::string::npos) << verdict();
            // Nothing is judged meanwhile: no limit broken by so much.
            EXPECT_EQ(verdict().find("limit by"), std::string::npos) << verdict();
        }
    }
}

// A passenger gets out: the next leg as the last landed, one seat empty,
// the commander the one left aboard; its values typed go to its own group
// only; and the groups move up when a leg is removed.
TEST_F(Legs, AreAddedAsTheLastLandsAndRemovedWithTheRestMovingUp)
{
    read("[Load]\nLSeat=80\nRSeat=72\nFuel=50\nTrip=20\nLSeatPerson=Anna\nRSeatPerson=Ben\nCommander=left\n");
    ASSERT_TRUE(legAdd(0));
    EXPECT_EQ(stateShownLeg(), 1u);
    valStoreValue(VAL_TRIP, 10);
    ASSERT_TRUE(legAdd());
    valStoreValue(VAL_FUEL, 45);
    const auto stored = [&](const char* pszGroup, const char* pszKey) { return prmGetKeyString(pszGroup, pszKey); };
    read(zt::readFile(m_dir / "Zarv.conf"));
    EXPECT_EQ(fuels(), (std::vector<double>{50, 30, 45}));
    EXPECT_EQ(stored("Leg 2", "LSeat"), "0");
    EXPECT_EQ(stored("Leg 2", "LSeatPerson"), "");
    EXPECT_EQ(stored("Leg 2", "RSeatPerson"), "Ben");
    EXPECT_EQ(stored("Leg 2", "Commander"), "right");
    EXPECT_EQ(stored("Leg 3", "FuelAsLanded"), "false");
    EXPECT_EQ(stored("Load", "Trip"), "20");
    EXPECT_EQ(verdict().substr(0, 36), "NOT WITHIN LIMITS: leg 2 (solo) aft ");

    // The middle leg out: the third follows the first.
    stateShowLeg(1);
    legRemove(1);
    EXPECT_EQ(fuels(), (std::vector<double>{50, 45}));
    EXPECT_EQ(stateShownLeg(), 1u);
    EXPECT_FALSE(g_key_file_has_group(prmKeyFile(), "Leg 3"));
    // The first out: the second becomes it, in today's keys.
    legRemove(0);
    read(zt::readFile(m_dir / "Zarv.conf"));
    EXPECT_EQ(fuels(), (std::vector<double>{45}));
    EXPECT_EQ(stored("Load", "LSeat"), "0");
    EXPECT_EQ(stored("Load", "Commander"), "right");
    EXPECT_FALSE(g_key_file_has_group(prmKeyFile(), "Leg 2"));

    // A leg takes off where the one before landed, and a new leg lands
    // nowhere yet; with the first gone, where it landed is the departure.
    read("[Departure]\nElevation=100\nQNH=1013\nOAT=10\n[Load]\nLandingElevation=2000\nLandingQNH=29.5\n"
         "LandingOAT=20\n");
    ASSERT_TRUE(legAdd());
    EXPECT_EQ(stateLegs()[1].nFromQnh, 29.5);
    EXPECT_TRUE(std::isnan(stateLegs()[1].nToOat));
    valStoreValue(VAL_TO_OAT, 30);
    valStoreValue(VAL_TO_QNH, NAN);
    EXPECT_EQ(stored("Leg 2", "LandingOAT"), "30");
    EXPECT_FALSE(g_key_file_has_key(prmKeyFile(), "Leg 2", "LandingQNH", nullptr));
    legRemove(0);
    read(zt::readFile(m_dir / "Zarv.conf"));
    EXPECT_EQ(stored("Departure", "Elevation"), "2000");
    EXPECT_EQ(stored("Load", "LandingOAT"), "30");
    EXPECT_TRUE(std::isnan(stateLegs().front().nToElevation));

    // A key the second leg lacks reads as it read for it, not as the first.
    read("[Load]\nLSeat=80\nRSeat=72\nBallast=1\n[Leg 2]\nLSeat=80\nFuel=50\n");
    legRemove(0);
    read(zt::readFile(m_dir / "Zarv.conf"));
    EXPECT_EQ(stateLegs().front().nRSeatWeight, 0);
    EXPECT_EQ(stateLegs().front().nBallastPosn, guint{BALLAST_NONE});
}

// The first take-off's fuel keeps every leg to the first stop that takes
// fuel on within: a hair inside each end every leg is, a hair outside one
// is not.
TEST(LegsFuel, TheFirstTakeOffAllowsWhatKeepsEveryLegToTheNextStopWithin)
{
    _wbSetup s{};
    s.nBasicWeight = 400;
    s.nBasicLongArm = 2700;
    s.nBasicLatArm = 1;
    s = calcWithFixedArms(s);
    // Two of 80 kg with a 20 L trip, then two of 60 kg for 15 L, then a
    // stop that takes fuel on, which the first take-off does not reach.
    const std::vector<_wbLegFuel> legs = {{{80, 80, 0, BALLAST_NONE, {}}, 20, false},
                                          {{60, 60, 0, BALLAST_NONE, {}}, 15, true},
                                          {{0, 200, 0, BALLAST_NONE, {}}, 0, false}};
    const _wbFuelRange r = fuelFirstTakeOff(s, legs);
    ASSERT_TRUE(r.bKnown && r.bAny);
    const _wbFuelRange first = fuelTripRange(s, legs[0].loading, 20).takeOff;
    EXPECT_TRUE(r.nLeast > first.nLeast || r.nMost < first.nMost) << "the second leg narrows the first's range";
    const auto everyLegWithin = [&](double nFuel) {
        for (size_t n = 0; n < 2; n++) {
            _wbLoading l = legs[n].loading;
            l.nFuelVolume = n == 0 ? nFuel : calcLandingFuel(nFuel, 20);
            if (!calcJudgeFlight(s, l, legs[n].nTripLitres).within())
                return false;
        }
        return true;
    };
    EXPECT_TRUE(everyLegWithin(r.nLeast + 0.01));
    EXPECT_TRUE(everyLegWithin(r.nMost - 0.01));
    EXPECT_FALSE(everyLegWithin(r.nLeast - 0.01) && r.nLeast > 0.01);
    EXPECT_FALSE(everyLegWithin(r.nMost + 0.01) && r.nMost < 100);
}

TEST(LegNames, NameWhoFliesEachLegOnceEverySeatTakenIsNamed)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(lchLegName(0, Names{"Anna", "Ben"}, ""), "Leg 1: \u2068Anna\u2069 and \u2068Ben\u2069");
    EXPECT_EQ(lchLegName(1, Names{"Ben"}, "solo"), "Leg 2: \u2068Ben\u2069 solo");
    EXPECT_EQ(lchLegName(1, Names{""}, "solo"), "Leg 2 (solo)");
    EXPECT_EQ(lchLegName(2, Names{"Anna", ""}, ""), "Leg 3");
}

} // namespace

namespace
{

std::vector<_stateChange> m_told;

void recordTold(_stateChange nChange)
{
    m_told.push_back(nChange);
}

// The store tells the pages of each change it makes, once, of its widest
// kind; what is held open is told when it closes; nothing changed, nothing
// told.
TEST_F(Legs, TheStoreTellsOfEachChangeOnce)
{
    const struct {
        const char* pszWhat;
        void (*pfuncChange)(void);
        std::vector<_stateChange> told;
    } cases[] = {
        {"a seat", [] { valStoreValue(VAL_LSEAT, 80); }, {STATE_LOADING}},
        {"a unit", [] { valStoreValue(VAL_UNIT_ARM, UNIT_ARM_INCH); }, {STATE_AIRCRAFT}},
        {"a name", [] { valSetText(VAL_LSEAT_PERSON, "Anna"); }, {STATE_LOADING}},
        {"a leg added", [] { legAdd(); }, {STATE_LOADING}},
        {"a leg shown", [] { stateShowLeg(0); }, {STATE_LOADING}},
        {"no leg shown", [] { stateShowLeg(STATE_MAX_LEGS); }, {}},
        {"held open",
         [] {
             const _stateChanging changing;
             valSetUnread(VAL_FUEL, "");
             valStoreValue(VAL_FUEL, 50);
             valStoreValue(VAL_BASIC_WEIGHT, 410);
         },
         {STATE_AIRCRAFT}},
        {"held, nothing changed", [] { const _stateChanging changing; }, {}},
    };
    for (const auto& c : cases) {
        read("[Load]\nFuel=60\n");
        m_told.clear();
        stateListen(recordTold);
        c.pfuncChange();
        stateUnlisten(recordTold);
        EXPECT_EQ(m_told, c.told) << c.pszWhat;
    }
}

} // namespace
