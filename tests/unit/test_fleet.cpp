// The fleet in Zarv.conf: today's file is a fleet of one; adding, switching
// and removing aircraft rewrite the file once each and lose nothing; a
// registration survives whatever it holds.
#include "store.h"
#include "store/aircraft/fleet.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace
{

int m_nRenames = 0;
int countingRename(const char* pszFrom, const char* pszTo)
{
    m_nRenames++;
    return ::rename(pszFrom, pszTo);
}

class Fleet : public zt::FreshStore<testing::Test>
{
  protected:
    // Loads Zarv.conf as a fresh run does, and counts its rewrites.
    void load(const std::string& strText)
    {
        restart();
        if (!strText.empty())
            zt::writeFile(m_dir / "Zarv.conf", strText);
        prmLoadKeyFile();
        prmFileOps().pfuncRename = countingRename;
        m_nRenames = 0;
    }
    // The value on disk, as the next start reads it.
    std::string onDisk(const char* pszGroup, const char* pszKey)
    {
        g_autoptr(GKeyFile) pkf = g_key_file_new();
        g_key_file_load_from_file(pkf, (m_dir / "Zarv.conf").c_str(), G_KEY_FILE_NONE, nullptr);
        g_autofree gchar* psz = g_key_file_get_string(pkf, pszGroup, pszKey, nullptr);
        return psz ? psz : "<none>";
    }
    std::vector<std::string> registrations()
    {
        std::vector<std::string> v;
        for (const _fleetAircraft& a : fleetList())
            v.push_back(a.strRegistration);
        return v;
    }
};

TEST_F(Fleet, TodaysFileIsAFleetOfOneUnnamed)
{
    load("[Basic]\nWeight=400\nLongArm=2700\n[Unit]\nWeight=1\n");
    const auto fleet = fleetList();
    ASSERT_EQ(fleet.size(), 1u);
    EXPECT_EQ(fleet[0].strGroup, "");
    EXPECT_EQ(fleet[0].strRegistration, "");
    EXPECT_EQ(m_nRenames, 0);
}

TEST_F(Fleet, AddSwitchAndRemoveEachWriteOnceAndLoseNothing)
{
    load("# the school's fleet\n[Aircraft]\nRegistration=G-ABCD\nWeighed=2026-03-01\n"
         "[Basic]\nWeight=400\nLongArm=2700\nLatArm=1\n[Ballast]\nWeight=10\n[Unit]\nWeight=1\n"
         "[Equipment 1]\nName=Left door\nWeight=5.4\n[Equipment 3]\nName=Hook after a gap\n");

    fleetAdd(); // a copy of G-ABCD, without a registration, now current
    EXPECT_EQ(m_nRenames, 1);
    EXPECT_EQ(registrations(), (std::vector<std::string>{"", "G-ABCD"}));
    EXPECT_EQ(onDisk("Basic", "Weight"), "400");
    EXPECT_EQ(onDisk("Aircraft 2", "Registration"), "G-ABCD");
    EXPECT_EQ(onDisk("Aircraft 2", "Weighed"), "2026-03-01");
    EXPECT_EQ(onDisk("Aircraft 2 Equipment 1", "Name"), "Left door"); // its items copied as its figures are
    EXPECT_EQ(onDisk("Aircraft 2 Equipment 3", "Name"), "Hook after a gap");
    EXPECT_EQ(onDisk("Equipment 1", "Name"), "Left door");
    prmEdit([](GKeyFile* pkf) { itmWrite(pkf, {{"Hook", 2, 2500, 0, false}}, {}); });

    prmSetKeyString("Aircraft", "Registration", "G-WXYZ");
    prmSetKeyDouble("Basic", "Weight", 420);
    g_key_file_remove_key(prmKeyFile(), "Basic", "LatArm", nullptr); // a value this one never had
    m_nRenames = 0;

    fleetSwitch("Aircraft 2");
    EXPECT_EQ(m_nRenames, 1); // the whole switch is one durable write
    EXPECT_EQ(registrations(), (std::vector<std::string>{"G-ABCD", "G-WXYZ"}));
    EXPECT_EQ(onDisk("Aircraft", "Registration"), "G-ABCD");
    EXPECT_EQ(onDisk("Basic", "Weight"), "400");
    EXPECT_EQ(onDisk("Basic", "LatArm"), "1");
    EXPECT_EQ(onDisk("Aircraft 2", "BasicWeight"), "420");
    EXPECT_EQ(onDisk("Aircraft 2", "BasicLatArm"), "<none>"); // missing stays missing
    EXPECT_EQ(onDisk("Unit", "Weight"), "1");                 // the units stay the pilot's
    EXPECT_NE(zt::readFile(m_dir / "Zarv.conf").find("# the school's fleet"), std::string::npos);

    // The setup record follows the switch.
    psetParams();
    EXPECT_EQ(m_wbSetup.nBasicWeight, 400.0);
    EXPECT_EQ(m_wbSetup.nBallastWt, 10.0);
    ASSERT_EQ(m_wbSetup.items.size(), 2u);
    EXPECT_EQ(m_wbSetup.items[0].strName, "Left door");
    EXPECT_EQ(m_wbSetup.items[1].strName, "Hook after a gap");
    EXPECT_EQ(m_wbSetup.items[0].nWeight, 5.4);
    EXPECT_EQ(onDisk("Aircraft 2 Equipment 1", "Name"), "Hook");

    m_nRenames = 0;
    fleetRemoveCurrent(); // G-ABCD goes; G-WXYZ becomes current
    EXPECT_EQ(m_nRenames, 1);
    EXPECT_EQ(registrations(), (std::vector<std::string>{"G-WXYZ"}));
    EXPECT_EQ(onDisk("Basic", "Weight"), "420");
    EXPECT_EQ(onDisk("Aircraft 2", "Registration"), "<none>");
    EXPECT_EQ(onDisk("Equipment 1", "Name"), "Hook");
    EXPECT_EQ(onDisk("Aircraft 2 Equipment 1", "Name"), "<none>");
    EXPECT_EQ(onDisk("Aircraft 2 Equipment 3", "Name"), "<none>");

    fleetRemoveCurrent(); // the last aircraft stays
    EXPECT_EQ(registrations(), (std::vector<std::string>{"G-WXYZ"}));
    fleetSwitch("Basic"); // not an aircraft's group: nothing happens
    fleetSwitch("Aircraft 7");
    EXPECT_EQ(onDisk("Basic", "Weight"), "420");
}

TEST_F(Fleet, RegistrationsAreStoredSafelyWhateverTheyHold)
{
    const std::vector<std::string> hostile = {
        "[G-ABCD]", "a=b", "two\nlines", "  spaced  ", "#hash", "Ünïcödé ✈", "back\\slash", "Aircraft 2", ""};
    load("");
    for (const std::string& str : hostile) {
        prmSetKeyString("Aircraft", "Registration", str.c_str());
        fleetAdd();
    }
    // Read back as the next start does.
    restart();
    prmLoadKeyFile();
    std::vector<std::string> expected = {""};
    expected.insert(expected.end(), hostile.begin(), hostile.end());
    EXPECT_EQ(registrations(), expected);
    // Switching through them all keeps every one.
    for (const _fleetAircraft& a : fleetList())
        fleetSwitch(a.strGroup);
    restart();
    prmLoadKeyFile();
    auto after = registrations();
    std::sort(after.begin(), after.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(after, expected);
}

// Every value the table gives an aircraft, set to a value of its own in two
// aircraft, comes back to each after a switch there and back: a value added
// to the table without its aircraft key, or swapped wrongly, fails here.
TEST_F(Fleet, EveryValueOfAnAircraftSurvivesASwitchThereAndBack)
{
    load("");
    auto valueOf = [](const _prmValue& v, int nAircraft) { return std::to_string(nAircraft * 100 + v.nId); };
    auto setAll = [&](int nAircraft) {
        prmEdit([&](GKeyFile* pkf) {
            for (const _prmValue& v : valValues())
                if (v.pszAircraftKey)
                    g_key_file_set_value(pkf, v.pszGroup, v.pszKey, valueOf(v, nAircraft).c_str());
        });
    };
    setAll(1);
    fleetAdd();
    setAll(2);
    size_t nOfAircraft = 0;
    for (int nTrip = 0; nTrip < 2; nTrip++) {
        fleetSwitch(fleetList()[1].strGroup);
        const int nCurrent = nTrip == 0 ? 1 : 2;
        for (const _prmValue& v : valValues()) {
            if (!v.pszAircraftKey)
                continue;
            nOfAircraft += nTrip == 0;
            EXPECT_EQ(onDisk(v.pszGroup, v.pszKey), valueOf(v, nCurrent)) << v.pszGroup << " " << v.pszKey;
            EXPECT_EQ(onDisk(fleetList()[1].strGroup.c_str(), v.pszAircraftKey), valueOf(v, 3 - nCurrent))
                << v.pszAircraftKey;
        }
    }
    EXPECT_GE(nOfAircraft, 9u); // the identity, the basic weight and arms, the ballast
}

// A hand-edited flag of copied figures: what is no set of the three bits
// flags all three, so typing them can clear it.
TEST_F(Fleet, AnUnreadableCopiedFlagFlagsTheThreeFigures)
{
    const std::pair<const char*, guint> cases[] = {{"", 0},   {"0", 0}, {"5", 5},    {"255", 7},
                                                   {"-1", 7}, {"8", 7}, {"junk", 7}, {"3x", 7}};
    for (const auto& [pszValue, nFlags] : cases) {
        load(std::string("[Aircraft]\nUnconfirmed=") + pszValue + "\n[Basic]\nWeight=400\n");
        psetParams();
        EXPECT_EQ(m_wbSetup.nUnconfirmed, nFlags) << pszValue;
    }
}

} // namespace
