// The school's published aircraft through the real window: taken in at start
// and while it runs, read-only, and the menu's "School…", "Publish…" and
// "Machines…".
#include "pages.h"

#include "app/actions.h"
#include "app/schoolwin.h"
#include "store/aircraft/figures.h"
#include "store/conf/params.h"
#include "store/school/machine.h"
#include "store/school/school.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The school's machine publishes G-SCHL twice, a revision into each folder;
// the pilot's window starts following the first.
class School : public zt::Pages
{
  protected:
    void SetUp() override
    {
        ZT_NEED_DISPLAY();
        prmReset();
        wbSetEtcDir(m_school.path());
        zt::writeFile(m_school / "Zarv.conf", "[School]\nName=Skyways\n[Basic]\nWeight=400\nLongArm=2700\n");
        prmLoadKeyFile();
        psetParams();
        figStoreFigureText(VAL_REGISTRATION, "G-SCHL", "");
        figStoreFigureText(VAL_WEIGHED, "2026-01-10", "");
        publish(m_strFirst);
        figStoreFigure(VAL_BASIC_WEIGHT, 410, "reweighed");
        publish(m_strSecond);
        m_strKey = zt::readFile(m_school / "School.pub");
        Pages::SetUp();
    }
    void publish(const std::string& strDir)
    {
        bool bFailed = mkdir(strDir.c_str(), 0755) != 0;
        schPublish(strDir, &bFailed);
        ASSERT_FALSE(bFailed);
    }
    std::string initialConf() const override
    {
        return (m_bFollowing ? "[School]\nPublished=" + m_strFirst + "\nKey=" + sgnPublicLine(m_strKey) + "\n" : "") +
               "[Aircraft]\nRegistration=G-OWN\n[Basic]\nWeight=390\n";
    }
    // The fleet list's row n.
    std::string fleetRow(int n)
    {
        GtkTreeModel* pmodel = gtk_combo_box_get_model(GTK_COMBO_BOX(w("FleetChoice")));
        GtkTreeIter iter;
        g_autofree gchar* psz = nullptr;
        if (gtk_tree_model_iter_nth_child(pmodel, &iter, nullptr, n))
            gtk_tree_model_get(pmodel, &iter, 0, &psz, -1);
        return psz ? psz : "";
    }
    zt::TempDir m_school, m_folders;
    const std::string m_strFirst = m_folders / "first", m_strSecond = m_folders / "second";
    std::string m_strKey;
    bool m_bFollowing = true;
};

TEST_F(School, PublishedAircraftIsTakenInReadOnlyAndFollowedWhileTheWindowRuns)
{
    EXPECT_EQ(fleetRow(1).rfind("G-SCHL (published by Skyways, revision ", 0), 0u) << fleetRow(1);
    EXPECT_TRUE(gtk_editable_get_editable(GTK_EDITABLE(w("ConfEmptyWeight"))));
    EXPECT_FALSE(gtk_widget_get_visible(w("PublishedBy")));

    gtk_combo_box_set_active(GTK_COMBO_BOX(w("FleetChoice")), 1);
    for (const char* pszId : {"ConfEmptyWeight", "ConfBallastRearLongArm", "Registration", "WeighedOn", "FuelDensity",
                              "WeighingIntervalMonths"})
        EXPECT_FALSE(gtk_editable_get_editable(GTK_EDITABLE(w(pszId)))) << pszId;
    EXPECT_FALSE(gtk_widget_get_sensitive(w("AddEquipmentItem")));
    EXPECT_TRUE(gtk_editable_get_editable(GTK_EDITABLE(w("LeftSeatWeight")))); // the flight stays the pilot's
    EXPECT_TRUE(gtk_widget_get_visible(w("PublishedBy")));
    EXPECT_EQ(text("PublishedBy").rfind("published by Skyways, revision ", 0), 0u) << text("PublishedBy");
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 400));

    // The next revision, as a sync tool brings it: its signature first, the
    // index last.
    const std::string strIndex = SCH_INDEX_FILE;
    for (const std::string& strName :
         {std::string("G-SCHL.aircraft.minisig"), std::string("G-SCHL.aircraft"), strIndex + ".minisig", strIndex}) {
        zt::writeFile(m_folders / "new", zt::readFile(m_strSecond + "/" + strName));
        ASSERT_EQ(rename((m_folders / "new").c_str(), (m_strFirst + "/" + strName).c_str()), 0);
    }
    zt::waitUntil([&] { return text("ConfEmptyWeight") == num("%1.1f", 410); }, "the new revision to be taken in");
    EXPECT_NE(text("NoticeText").find("new figures of this aircraft"), std::string::npos) << text("NoticeText");

    // A file refused is said on the red bar, once a run (this run's name).
    g_autofree gchar* pszRun = g_path_get_basename(m_folders.path().c_str());
    const std::string strCopy = std::string("G-SCHL.sync-conflict-") + pszRun;
    zt::writeFile(m_strFirst + "/" + strCopy + ".aircraft", "[Published]\n");
    zt::waitUntil([&] { return text("SaveFailedText").find(strCopy + ".aircraft is refused") != std::string::npos; },
                  "the refusal on the red bar");
}

class SchoolChosen : public School
{
  protected:
    SchoolChosen()
    {
        m_bFollowing = false;
    }
};

TEST_F(SchoolChosen, TheMenuChoosesTheSchoolByItsKeyAndPublishes)
{
    EXPECT_EQ(fleetRow(1), "");
    wbConnectWindow(m_pwinMain);
    g_action_group_activate_action(gtk_widget_get_action_group(m_pwinMain, "app"), "school", nullptr);
    GtkWidget* pdlg = nullptr;
    ASSERT_TRUE(zt::waitUntil([&] { return (pdlg = zt::shownDialog()); }, "the School dialog"));
    // A machine that has never published is not asked for the school's name.
    EXPECT_FALSE(gtk_widget_get_visible(zt::named(pdlg, "SchoolName")));
    GtkWidget* pwgtKey = zt::named(pdlg, "SchoolKey");
    gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "SchoolFolder")), m_strFirst.c_str());
    // The whole key's digest is shown, and the key is taken only where the
    // pilot types all of it, never its id or a part.
    const std::string strDigest = sgnKeyDigest(m_strKey),
                      strShown = zt::reReplace(gtk_label_get_text(GTK_LABEL(pwgtKey)), "\\s+", " ");
    EXPECT_NE(strShown.find(strDigest), std::string::npos) << strShown;
    GtkWidget* pwgtAccept = gtk_dialog_get_widget_for_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    for (const std::string& strTyped :
         {sgnKeyIdShown(m_strKey), strDigest.substr(0, strDigest.size() - 5), strDigest}) {
        g_autofree gchar* pszLower = g_ascii_strdown(strTyped.c_str(), -1);
        gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "SchoolDigest")), pszLower);
        EXPECT_EQ(gtk_widget_get_sensitive(pwgtAccept), strTyped == strDigest) << strTyped;
    }
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    EXPECT_NE(conf().find("Published=" + m_strFirst + "\nKey=" + sgnPublicLine(m_strKey)), std::string::npos);
    EXPECT_EQ(fleetRow(1).rfind("G-SCHL (published by", 0), 0u) << fleetRow(1); // taken in at once

    // Publishing from the pilot's machine says what became of each aircraft.
    const std::string strOwn = m_folders / "own";
    ASSERT_EQ(mkdir(strOwn.c_str(), 0700), 0);
    wbPublishAircraft(GTK_WINDOW(m_pwinMain), strOwn.c_str());
    ASSERT_TRUE(zt::waitUntil([&] { return (pdlg = zt::shownDialog()); }, "the list of what was published"));
    g_autofree gchar* pszText = nullptr;
    g_object_get(pdlg, "secondary-text", &pszText, nullptr);
    EXPECT_NE(std::string(pszText).find("G-OWN: not under change control"), std::string::npos) << pszText;
    EXPECT_NE(conf().find("PublishTo=" + strOwn), std::string::npos);
    gtk_widget_destroy(pdlg);

    // A folder holding another key keeps the one accepted, unless the pilot
    // types the new key's whole digest.
    g_action_group_activate_action(gtk_widget_get_action_group(m_pwinMain, "app"), "school", nullptr);
    ASSERT_TRUE(zt::waitUntil([&] { return (pdlg = zt::shownDialog()); }, "the School dialog again"));
    EXPECT_TRUE(gtk_widget_get_visible(zt::named(pdlg, "SchoolName")));
    gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "SchoolFolder")), strOwn.c_str());
    pwgtAccept = gtk_dialog_get_widget_for_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    EXPECT_FALSE(gtk_widget_get_sensitive(pwgtAccept));
    const std::string strNew = zt::readFile(strOwn + "/" + SCH_PUBLIC_FILE);
    gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "SchoolDigest")), sgnKeyDigest(strNew).c_str());
    EXPECT_TRUE(gtk_widget_get_sensitive(pwgtAccept));
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    EXPECT_NE(conf().find("Key=" + sgnPublicLine(strNew)), std::string::npos);
}

// The office, whose shared folder of sheets holds a pilot's machine asking
// to join.
class Machines : public zt::Pages
{
  protected:
    void SetUp() override
    {
        ZT_NEED_DISPLAY();
        ASSERT_EQ(mkdir((m_dir / "Shared").c_str(), 0700), 0);
        wbSetEtcDir(m_pilot.path());
        const int fdDir = open((m_dir / "Shared").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        std::string strWhy;
        ASSERT_TRUE(mchKey(&m_key, &strWhy, fdDir)) << strWhy;
        close(fdDir);
        Pages::SetUp();
    }
    std::string initialConf() const override
    {
        return "[School]\nSheets=Shared\n";
    }
    zt::TempDir m_pilot;
    _mchKey m_key;
};

TEST_F(Machines, TheMenuEnrolsAMachineOnlyByItsWholeDigest)
{
    wbConnectWindow(m_pwinMain);
    g_action_group_activate_action(gtk_widget_get_action_group(m_pwinMain, "app"), "machines", nullptr);
    GtkWidget* pdlg = nullptr;
    ASSERT_TRUE(zt::waitUntil([&] { return (pdlg = zt::shownDialog()); }, "the Machines dialog"));
    const std::string strDigest = sgnKeyDigest(m_key.strPublic);
    for (const std::string& strTyped : {m_key.strId, strDigest.substr(0, strDigest.size() - 5), strDigest}) {
        gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "MachinesDigest")), strTyped.c_str());
        EXPECT_EQ(gtk_widget_get_sensitive(zt::named(pdlg, "MachinesEnrol")), strTyped == strDigest) << strTyped;
    }
    gtk_button_clicked(GTK_BUTTON(zt::named(pdlg, "MachinesEnrol")));
    EXPECT_NE(zt::readFile(m_dir / "Machines.conf").find("[Machine " + m_key.strId + "]"), std::string::npos);
    // Enrolled, it no longer asks.
    gtk_entry_set_text(GTK_ENTRY(zt::named(pdlg, "MachinesDigest")), strDigest.c_str());
    EXPECT_FALSE(gtk_widget_get_sensitive(zt::named(pdlg, "MachinesEnrol")));
    gtk_widget_destroy(pdlg);
}

} // namespace
