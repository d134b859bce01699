// A school's aircraft published on the office's machine and judged on a
// pilot's: each way a file can be wrong is refused by name, what is used is
// taken in read-only, and only a newer revision replaces it.
#include "model/texts.h"
#include "store.h"
#include "store/aircraft/figures.h"
#include "store/aircraft/fleet.h"
#include "store/conf/hovcharts.h"
#include "store/conf/params.h"
#include "store/conf/stored.h"
#include "store/school/keys.h"
#include "store/school/roster.h"
#include "store/school/school.h"
#include "support.h"
#include "sys/sign.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

class School : public zt::FreshStore<testing::Test>
{
  protected:
    // The office: an aircraft under change control, published into m_pub.
    void publishFromOffice(double nBasicWeight)
    {
        if (!zt::exists(m_dir / "Zarv.conf"))
            zt::writeFile(m_dir / "Zarv.conf", "[School]\nName=Skyways\n[Aircraft]\nRegistration=G-ZARV\n"
                                               "Weighed=2026-11-02\n[Basic]\nWeight=400\nLongArm=2700\n");
        toMachine(m_dir.path());
        if (figFiguresChangedOutside())
            figConfirmFigures("as weighed");
        figStoreFigure(VAL_BASIC_WEIGHT, nBasicWeight, "weighed again");
        bool bFailed = true;
        m_published = schPublish(m_pub.path(), &bFailed);
        ASSERT_FALSE(bFailed) << m_published.front();
    }
    // A pilot's machine that accepted the school's key.
    void toPilot(const std::string& strExtra = "")
    {
        const std::string strKey = sgnPublicLine(zt::readFile(m_pub / SCH_PUBLIC_FILE));
        zt::writeFile(m_pilot / "Zarv.conf",
                      "[School]\nPublished=" + m_pub.path() + "\nKey=" + strKey + "\n" + strExtra);
        toMachine(m_pilot.path());
    }
    void toMachine(const std::string& strEtc)
    {
        prmReset();
        wbSetEtcDir(strEtc);
        prmLoadKeyFile();
        psetParams();
    }
    zt::TempDir m_pub, m_pilot;
    std::vector<std::string> m_published;
};

TEST_F(School, APublishedFileIsUsedOnlyAsSignedAndNewest)
{
    struct _case {
        const char* pszWhat;
        std::function<void(const zt::TempDir&)> spoil; // on the folder, before the pilot's machine judges it
        std::string strSeen;                           // the pilot's "[School] Seen"
        const char* pszFile;                           // the file judged (null: the folder)
        const char* pszWhy;                            // "" where it is used
        bool bTakenBefore = false;                     // the pilot took the folder in before it was spoiled
    };
    auto renamed = [](const zt::TempDir& pub) {
        for (const char* psz : {".aircraft", ".aircraft.minisig"})
            std::rename((pub / "G-ZARV").append(psz).c_str(), (pub / "G-ABCD").append(psz).c_str());
    };
    const std::vector<_case> cases = {
        {"as published", nullptr, "", "G-ZARV.aircraft", ""},
        {"a byte changed",
         [](const zt::TempDir& pub) {
             std::string str = zt::readFile(pub / "G-ZARV.aircraft");
             str[str.find("Weight=4") + 8] ^= 1;
             zt::writeFile(pub / "G-ZARV.aircraft", str);
         },
         "", "G-ZARV.aircraft", "changed"},
        {"signed with another key",
         [](const zt::TempDir& pub) {
             zt::writeFile(pub / "G-ZARV.aircraft.minisig",
                           sgnSign(zt::readFile(pub / "G-ZARV.aircraft"), sgnNewKey().strSecret, "x"));
         },
         "", "G-ZARV.aircraft", "another key"},
        {"no signature", [](const zt::TempDir& pub) { std::remove((pub / "G-ZARV.aircraft.minisig").c_str()); }, "",
         "G-ZARV.aircraft", "no signature"},
        {"renamed as another aircraft", renamed, "", "G-ABCD.aircraft", "not in the school's signed index"},
        {"renamed, in an older office's folder without an index",
         [&](const zt::TempDir& pub) {
             renamed(pub);
             std::remove((pub / SCH_INDEX_FILE).c_str());
         },
         "", "G-ABCD.aircraft", "which the school names G-ZARV.aircraft"},
        {"behind more aircraft than Zarv reads, in an older office's folder",
         [](const zt::TempDir& pub) {
             std::remove((pub / SCH_INDEX_FILE).c_str());
             for (int n = 0; n < 300; n++)
                 zt::writeFile(pub / ("A" + std::to_string(n) + ".aircraft"), "");
         },
         "Seen=1 G-ZARV\n", "G-ZARV.aircraft", ""},
        {"older than one used here, in an older office's folder",
         [](const zt::TempDir& pub) { std::remove((pub / SCH_INDEX_FILE).c_str()); }, "Seen=99 G-ZARV\n",
         "G-ZARV.aircraft", "older than revision 99"},
        {"an index older than one used here", nullptr, "Seen=99 G-ZARV\n", nullptr,
         ", older than revision 99 already used here; the aircraft taken in here stay as they are"},
        {"the index gone after one was used",
         [](const zt::TempDir& pub) { std::remove((pub / SCH_INDEX_FILE).c_str()); }, "", nullptr,
         "index is gone or changed: School.index: it is no longer in the folder", true},
        {"a sync tool's conflict copy",
         [](const zt::TempDir& pub) {
             zt::writeFile(pub / "G-ZARV.sync-conflict-20261209-101010-ABCDEFG.aircraft",
                           zt::readFile(pub / "G-ZARV.aircraft"));
         },
         "", "G-ZARV.sync-conflict-20261209-101010-ABCDEFG.aircraft", "conflict"},
    };
    for (const _case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        for (const std::string& str : zt::listDir(m_pub.path()))
            std::remove((m_pub / str).c_str());
        publishFromOffice(410);
        toPilot(c.strSeen);
        if (c.bTakenBefore)
            schTakePublished();
        if (c.spoil)
            c.spoil(m_pub);
        const std::vector<_schTaken> judged = schJudgeFolder();
        const std::string strFile = c.pszFile ? c.pszFile : m_pub.path();
        const auto it =
            std::find_if(judged.begin(), judged.end(), [&](const _schTaken& t) { return t.strFile == strFile; });
        ASSERT_NE(it, judged.end());
        EXPECT_EQ(it->bUsed, !*c.pszWhy);
        EXPECT_NE(it->strWhy.find(c.pszWhy), std::string::npos) << it->strWhy;
        if (it->bUsed) {
            EXPECT_EQ(it->strSchool + " " + it->strRegistration, "Skyways G-ZARV");
        }
    }
}

TEST_F(School, WhatIsTakenInIsReadOnlyAndReplacedOnlyByANewerRevision)
{
    publishFromOffice(410);
    // The office remembers the figures it published, as the pilot's
    // machine will fly them.
    const std::vector<_schPublication> published = schPublications().revisions;
    ASSERT_EQ(published.size(), 1u);
    toPilot();
    // A fresh machine flies the school's aircraft instead of its own, which
    // holds nothing.
    EXPECT_TRUE(schTakePublished().bCurrent);
    const std::vector<_fleetAircraft> fleet = fleetList();
    ASSERT_EQ(fleet.size(), 1u);
    EXPECT_EQ(fleet[0].strRegistration, "G-ZARV");
    psetParams();
    EXPECT_TRUE(figPublishedHere());
    EXPECT_NE(schPublishedText().find("published by Skyways, revision "), std::string::npos);
    EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 410);
    EXPECT_EQ(published[0].strFingerprint + published[0].strRegistration, valFingerprint() + "G-ZARV");
    figStoreFigure(VAL_BASIC_WEIGHT, 500, "typed on the pilot's machine");
    toMachine(m_pilot.path());
    EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 410);
    // Changed by hand in Zarv.conf, its revision there too, the school's
    // figures are put back.
    const std::string strPublished = schPublishedText();
    // (The revision there as it was, then raised.)
    for (const char* pszRevision : {"\\0", "\nPublished=99 "}) {
        zt::writeFile(m_pilot / "Zarv.conf",
                      zt::reReplace(zt::reReplace(zt::readFile(m_pilot / "Zarv.conf"), "\\[Basic\\]\nWeight=410",
                                                  "[Basic]\nWeight=300"),
                                    "\nPublished=[0-9]+ ", pszRevision));
        toMachine(m_pilot.path());
        EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 300);
        // Figures edited by hand are not said to be the school's.
        EXPECT_EQ(schPublishedText(), "");
        EXPECT_TRUE(schTakePublished().bCurrent);
        psetParams();
        EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 410);
        EXPECT_EQ(schPublishedText(), strPublished);
    }
    // Nor are they without the school's folder, which would put them back.
    const std::string strConf = zt::readFile(m_pilot / "Zarv.conf");
    zt::writeFile(m_pilot / "Zarv.conf", zt::reReplace(strConf, "\nPublished=/", "\n#"));
    toMachine(m_pilot.path());
    EXPECT_EQ(schPublishedText(), "");
    zt::writeFile(m_pilot / "Zarv.conf", strConf);
    // Nor can the pilot's machine publish over the school's files.
    const std::string strSchoolKey = zt::readFile(m_pub / SCH_PUBLIC_FILE);
    bool bFailed = false;
    EXPECT_NE(schPublish(m_pub.path(), &bFailed).front().find("holds the key of another school"), std::string::npos);
    EXPECT_TRUE(bFailed);
    EXPECT_EQ(zt::readFile(m_pub / SCH_PUBLIC_FILE), strSchoolKey);

    // The office amends and publishes again: the pilot's machine takes the
    // newer revision in as the same aircraft, and never goes back.
    const std::string strOld = zt::readFile(m_pub / "G-ZARV.aircraft"),
                      strOldSignature = zt::readFile(m_pub / "G-ZARV.aircraft.minisig");
    publishFromOffice(412.5);
    toMachine(m_pilot.path());
    EXPECT_TRUE(schTakePublished().bCurrent);
    EXPECT_EQ(fleetList().size(), 1u);
    psetParams();
    EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 412.5);
    zt::writeFile(m_pub / "G-ZARV.aircraft", strOld);
    zt::writeFile(m_pub / "G-ZARV.aircraft.minisig", strOldSignature);
    EXPECT_FALSE(schTakePublished().bFleet);
    psetParams();
    EXPECT_DOUBLE_EQ(m_wbSetup.nBasicWeight, 412.5);
}

// The office's fuel rule and margins go signed with its aircraft; a pilot's
// machine flies by them whole, and a rule changed there is put back.
TEST_F(School, TheSchoolsFuelRuleIsTakenInWithItsAircraftAndPutBackWhereChanged)
{
    zt::writeFile(m_dir / "Zarv.conf", "[School]\nName=Skyways\n[Aircraft]\nRegistration=G-ZARV\n"
                                       "Weighed=2026-11-02\n[Basic]\nWeight=400\nLongArm=2700\n"
                                       "[FuelRule]\nReserveMinutes=30\n[Margins]\nAft=5\n");
    publishFromOffice(410);
    toPilot("[FuelRule]\nTaxiFuel=3\n");
    EXPECT_EQ(schRuleSchool(), "");
    EXPECT_TRUE(schTakePublished().bCurrent);
    psetParams();
    EXPECT_EQ(schRuleSchool(), "Skyways");
    EXPECT_DOUBLE_EQ(m_wbSetup.nReserveMinutes, 30);
    EXPECT_DOUBLE_EQ(m_wbSetup.nMarginAft, 5);
    EXPECT_DOUBLE_EQ(m_wbSetup.nTaxiFuel, 0);
    // Its figure changed by hand, or the school it came from taken out.
    const struct {
        const char *pszPattern, *pszWith;
        double nBefore;
    } changes[] = {{"ReserveMinutes=30", "ReserveMinutes=10", 10}, {"\nSchool=Skyways", "", 30}};
    for (const auto& c : changes) {
        zt::writeFile(m_pilot / "Zarv.conf",
                      zt::reReplace(zt::readFile(m_pilot / "Zarv.conf"), c.pszPattern, c.pszWith));
        toMachine(m_pilot.path());
        EXPECT_DOUBLE_EQ(m_wbSetup.nReserveMinutes, c.nBefore) << c.pszPattern;
        EXPECT_TRUE(schTakePublished().bCurrent) << c.pszPattern;
        psetParams();
        EXPECT_DOUBLE_EQ(m_wbSetup.nReserveMinutes, 30) << c.pszPattern;
        EXPECT_EQ(schRuleSchool(), "Skyways") << c.pszPattern;
    }
}

// Charts go with their aircraft: through the fleet's add and switch, and
// signed to a pilot's machine, which flies them read-only.
TEST_F(School, HoverChartsGoWithTheirAircraftThroughTheFleetAndTheSchool)
{
    zt::writeFile(m_dir / "Zarv.conf", "[School]\nName=Skyways\n[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-11-02\n"
                                       "[Basic]\nWeight=400\nLongArm=2700\n[Hover IGE]\nLine 1=0; 500 10000; 700 6000\n"
                                       "Line 2=30; 500 8000; 700 4000\n");
    toMachine(m_dir.path());
    const std::string strCharts = hvcFigureText(m_wbSetup.hover);
    fleetAdd();
    EXPECT_EQ(hvcFigureText(m_wbSetup.hover), strCharts);
    EXPECT_TRUE(figAmendHover({}, "another manual"));
    EXPECT_EQ(hvcFigureText(m_wbSetup.hover), "");
    fleetRemoveCurrent();
    EXPECT_EQ(hvcFigureText(m_wbSetup.hover), strCharts);
    publishFromOffice(410);
    const std::vector<_schPublication> published = schPublications().revisions;
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(valFingerprintVersion(published[0].strFingerprint), PRM_FINGERPRINT_HOVER);
    toPilot();
    EXPECT_TRUE(schTakePublished().bCurrent);
    psetParams();
    EXPECT_EQ(hvcFigureText(m_wbSetup.hover), strCharts);
    EXPECT_EQ(published[0].strFingerprint, valFingerprint());
    EXPECT_FALSE(figAmendHover({}, "lost"));
}

// The school's name comes from its folder: the label shows its controls
// written out, once.
// An aircraft whose items or charts were not all read is not published: the
// file would state them as read.
TEST_F(School, AnAircraftWithAnItemNotReadIsNotPublished)
{
    for (const char* pszItem : {"Weighed=maybe\n", "Weighed=true\nWeight=1e999\n", "[Hover OGE]\nLine 1=0; 5OO 1\n"}) {
        zt::writeFile(m_dir / "Zarv.conf", std::string("[School]\nName=Skyways\n[Aircraft]\nRegistration=G-ZARV\n"
                                                       "Weighed=2026-11-02\n[Basic]\nWeight=400\nLongArm=2700\n"
                                                       "[Equipment 1]\nName=Door\nWeight=5\nLongArm=2000\nLatArm=0\n") +
                                               pszItem);
        toMachine(m_dir.path());
        figConfirmFigures("as weighed");
        bool bFailed = false;
        EXPECT_NE(
            schPublish(m_pub.path(), &bFailed)
                .front()
                .find(pszItem[0] == '[' ? "a hover chart could not be read" : "an equipment item could not be read"),
            std::string::npos)
            << pszItem;
        EXPECT_TRUE(bFailed);
        EXPECT_FALSE(zt::exists(m_pub / "G-ZARV.aircraft"));
    }
}

TEST_F(School, TheSchoolsWordsAreShownEscaped)
{
    zt::writeFile(m_dir / "Zarv.conf", "[School]\nName=Sky\u202eways \\\\ Air\n[Aircraft]\nRegistration=G-ZARV\n"
                                       "Weighed=2026-11-02\n[Basic]\nWeight=400\nLongArm=2700\n");
    publishFromOffice(410);
    toPilot();
    schTakePublished();
    psetParams();
    EXPECT_EQ(schPublishedText().rfind("published by Sky\\u202eways \\\\ Air, revision ", 0), 0u) << schPublishedText();
}

// The roster a pilot's machine reads is refused by name for each way it can
// be wrong; a person with a key for each machine is no fault.
TEST(Roster, ATextIsReadOrRefusedByName)
{
    const std::string strA = sgnPublicLine(sgnNewKey().strPublic), strB = sgnPublicLine(sgnNewKey().strPublic);
    const _rosRoster good = {"2026-12-10T08:00:00Z",
                             {{"Tom", "instructor", strA, "2026-12-01T00:00:00Z", ""},
                              {"Tom", "instructor", strB, "2026-12-01T00:00:00Z", "2026-12-09T00:00:00Z"}}};
    const struct {
        const char* pszWhat;
        std::function<void(_rosRoster*)> spoil;
        std::string strWhy; // "" where it is read
    } cases[] = {
        {"as written", [](_rosRoster*) {}, ""},
        {"no minisign key", [](_rosRoster* p) { p->entries[1].strKey = "RWQnotakey"; },
         "Tom's key is no minisign public key"},
        {"a passenger", [](_rosRoster* p) { p->entries[0].strRole = "passenger"; }, "\"passenger\", not a pilot"},
        {"a day for a time", [](_rosRoster* p) { p->entries[0].strFrom = "2026-12-01"; }, "not a UTC time"},
        {"an hour off UTC", [](_rosRoster* p) { p->entries[1].strTo = "2026-12-09T00:00:00+01:00"; }, "not a UTC time"},
        {"to before from", [](_rosRoster* p) { p->entries[1].strTo = "2026-11-30T23:59:59Z"; },
         "stands to 2026-11-30T23:59:59Z, before it stands from 2026-12-01T00:00:00Z"},
        {"one key for two people",
         [&](_rosRoster* p) {
             p->entries[1] = {"Anna", "student", strA, "2026-12-01T00:00:00Z", ""};
         },
         "the key " + sgnKeyDigest(strA) + " is listed for both Tom and Anna"},
        {"no time of publishing read", [](_rosRoster* p) { p->strPublished = "today"; }, "\"today\" cannot be read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        _rosRoster roster = good, read;
        c.spoil(&roster);
        std::string strWhy;
        EXPECT_EQ(rosReadText(rosText(roster), &read, &strWhy), c.strWhy.empty());
        EXPECT_NE(strWhy.find(c.strWhy), std::string::npos) << strWhy;
        EXPECT_EQ(rosText(read), rosText(c.strWhy.empty() ? roster : _rosRoster{}));
    }
    // A key hidden behind another's group written twice is no roster.
    std::string strWhy;
    _rosRoster read;
    EXPECT_FALSE(rosReadText(rosText(good) + "[Key 1]\nName=Anna\n", &read, &strWhy));
    EXPECT_EQ(strWhy, "the roster is not what Zarv writes");
}

TEST(Roster, AKeyAcceptsOnlyForItsPersonInTheirRoleWhileItStands)
{
    const std::string strTom = sgnNewKey().strPublic, strAnna = sgnNewKey().strPublic, strNever = sgnNewKey().strPublic;
    const _rosRoster roster = {
        "2026-12-10T08:00:00Z",
        {{"Tom", "instructor", sgnPublicLine(strTom), "2026-12-01T00:00:00Z", ""},
         {"Anna", "student", sgnPublicLine(strAnna), "2026-12-01T00:00:00Z", "2026-12-09T12:00:00Z"}}};
    const struct {
        const char *pszName, *pszCapacity;
        const std::string& strKey;
        const char* pszTime;
        std::string strWhy;
    } cases[] = {
        {"Tom", "commander", strTom, "2026-12-05T10:00:00Z", ""},
        {"Tom", "instructor", strTom, "2026-12-05T10:00:00Z", ""},
        {"Anna", "commander", strAnna, "2026-12-09T12:00:00Z", ""},
        {"Anna", "commander", strNever, "2026-12-05T10:00:00Z",
         "the key " + sgnKeyDigest(strNever) + " is not on the school's roster"},
        {"Tom", "commander", strAnna, "2026-12-05T10:00:00Z",
         "the key " + sgnKeyDigest(strAnna) + " is Anna's on the school's roster, not Tom's"},
        {"Anna", "instructor", strAnna, "2026-12-05T10:00:00Z",
         "Anna is on the school's roster as student, who may not accept as instructor"},
        {"Tom", "commander", strTom, "2026-11-30T23:59:59Z",
         "Tom's key " + sgnKeyDigest(strTom) + " stands only from 2026-12-01T00:00:00Z"},
        {"Anna", "commander", strAnna, "2026-12-09T12:00:01Z",
         "Anna's key " + sgnKeyDigest(strAnna) + " is revoked from 2026-12-09T12:00:00Z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rosKeyWhy(roster, c.pszName, c.pszCapacity, c.strKey, c.pszTime), c.strWhy)
            << c.pszName << " as " << c.pszCapacity << " at " << c.pszTime;
}

// A pilot's machine uses the roster the school signed, never an older one
// than it used, and remembers the newest.
TEST_F(School, TheRosterInUseIsTheSchoolsSignedAndNewest)
{
    zt::writeFile(m_dir / "Zarv.conf", "[School]\nName=Skyways\n");
    toMachine(m_dir.path());
    std::string strWhy;
    const std::string strSchool = sgnPublicLine(schOwnKey(&strWhy));
    const std::string strText =
        rosText({"2026-12-10T08:00:00Z",
                 {{"Tom", "instructor", sgnPublicLine(sgnNewKey().strPublic), "2026-12-01T00:00:00Z", ""}}});
    const struct {
        const char* pszWhat;
        bool bBySchool;
        std::string strPilot; // the pilot's "[School]"
        std::string strWhy;   // "" where it is used
        bool bSchool = true;
    } cases[] = {
        {"signed by the school", true, "Key=" + strSchool + "\nRosterSeen=2026-12-09T00:00:00Z\n", ""},
        {"signed with another key", false, "Key=" + strSchool + "\n", "it was signed with another key"},
        {"older than the one in use", true, "Key=" + strSchool + "\nRosterSeen=2026-12-10T08:00:01Z\n",
         "the school's roster is older than the one in use (published 2026-12-10T08:00:00Z, the one in use "
         "2026-12-10T08:00:01Z)"},
        {"in no school", true, "", "this machine is in no school", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        toMachine(m_dir.path());
        const std::string strSecret = keyOwnSecret(SCH_SECRET_FILE, &strWhy);
        zt::writeFile(m_pub / ROS_PUBLISHED_FILE, strText);
        zt::writeFile(m_pub / (std::string(ROS_PUBLISHED_FILE) + SCH_SIGNATURE_SUFFIX),
                      sgnSign(strText, c.bBySchool ? strSecret : sgnNewKey().strSecret, "x"));
        zt::writeFile(m_pilot / "Zarv.conf", "[School]\nPublished=" + m_pub.path() + "\n" + c.strPilot);
        toMachine(m_pilot.path());
        _rosRoster roster;
        bool bSchool = false;
        strWhy.clear();
        EXPECT_EQ(rosInUse(&roster, &strWhy, &bSchool), c.strWhy.empty());
        EXPECT_NE(strWhy.find(c.strWhy), std::string::npos) << strWhy;
        EXPECT_EQ(bSchool, c.bSchool);
        EXPECT_EQ(roster.entries.size(), c.strWhy.empty() ? 1u : 0u);
        EXPECT_EQ(zt::readFile(m_pilot / "Zarv.conf").find("RosterSeen=2026-12-10T08:00:00Z\n") != std::string::npos,
                  c.strWhy.empty());
    }
}

// The office names a sheet flown on figures it never published for that
// registration by its time or superseded a day before, and a look-alike
// registration; an earlier Zarv's sheets older than it remembers pass.
TEST(SchoolPublished, ASheetIsFlownOnARevisionPublishedByThen)
{
    const std::string strA = "v3:" + std::string(64, 'a'), strB = "v3:" + std::string(64, 'b'),
                      strC = "v3:" + std::string(64, 'c'), strOld = "v2:" + strA.substr(3, 8);
    const std::vector<_schPublication> published = {{"2026-12-01T10:00:00+00:00", 3, strA, "G-ZARV"},
                                                    {"2026-12-05T10:00:00+00:00", 4, strB, "G-ZARV"}};
    const std::string strNot = " is not of a revision the school published for G-ZARV",
                      strReads = "\u201d reads as G-ZARV, which the school publishes: not its figures";
    const struct {
        const char *pszRegistration, *pszTime;
        std::string strFingerprint, strNamed;
    } cases[] = {
        {"G-ZARV", "2026-12-02T09:00:00+00:00", strA, ""},
        {"G-ZARV", "2026-12-02T09:00:00+00:00", strB, "fingerprint " + strB + strNot}, // before revision 4
        {"G-ZARV", "2026-12-05T10:30:00+01:00", strB, "fingerprint " + strB + strNot}, // 09:30 in UTC
        {"G-ZARV", "2026-12-05T12:00:00+01:00", strB, ""},
        {"G-ZARV", "2026-12-06T09:00:00+00:00", strA, ""}, // within the day
        {"G-ZARV", "2026-12-06T10:30:00+00:00", strA,
         "flown on revision 3 of G-ZARV, superseded by revision 4 on 2026-12-05"},
        {"G-ZARV", "2026-12-06T09:00:00+00:00", strC, "fingerprint " + strC + strNot},
        {"G-ZARV", "2026-12-06T09:00:00+00:00", strOld,
         "fingerprint " + strOld + strNot + " (an older kind, eight digits, cannot tell)"},
        {"G-ZARV", "2026-11-30T09:00:00+00:00", strOld, ""},
        {"G-ZARV", "2026-11-30T09:00:00+00:00", strC, "fingerprint " + strC + strNot}, // backdated
        {"G-ZARV", "no time", strA, "its time cannot be read: which revision of G-ZARV it was flown on cannot be told"},
        {"G-ZARV ", "2026-12-06T09:00:00+00:00", strA, "registration \u201cG-ZARV " + strReads},
        {"G-\u0396ARV", "2026-11-30T09:00:00+00:00", strOld, "registration \u201cG-\u0396ARV" + strReads},
        {"G-OTHR", "2026-12-06T09:00:00+00:00", strC, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(schNotPublished(published, c.pszRegistration, c.pszTime, c.strFingerprint), c.strNamed)
            << c.pszRegistration << " " << c.pszTime << " " << c.strFingerprint;
}

// Look-alikes, dashes and gaps of any kind read as the letters imitated.
TEST(SchoolPublished, ARegistrationReadsAsAPersonReadsIt)
{
    const struct {
        const char *pszText, *pszRead;
    } cases[] = {
        {" g\u2014z\u200ba\u00adR\u2212V\u3000\t", "GZARV"},
        {"\uff27\uff0d\uff3a\uff21\uff32\uff36", "GZARV"},
        {"\U0001d406-\u0396\u0391\u03a1V", "GZAPV"},
        {"\u0441\u0440\u0435\u0445 \u03b7\u03bf\u03bd-\u0417", "CPEXNOV\u0417"}, // a Ze reads as a 3, not Z
    };
    for (const auto& c : cases)
        EXPECT_EQ(txtAsRead(c.pszText), c.pszRead) << c.pszText;
}

} // namespace
