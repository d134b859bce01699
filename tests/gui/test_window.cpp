// The window definition: every object by id and class, the radio groups, and
// what assistive technology sees.
#include "pages.h"

#include "app/window.h"
#include "model/units.h"
#include "store/conf/params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace
{

class Window : public zt::Pages
{
};

TEST_F(Window, HoldsEverySixtyFiveObjectsWithItsClassAllShown)
{
    EXPECT_EQ(wbCheckDefinition(m_pBuilder), nullptr);
    std::set<std::string> ids;
    for (const _mscBinding& o : wbDefinition()) {
        ids.insert(o.pszId);
        GtkWidget* pwgt = w(o.pszId);
        const bool bIndicator = g_str_has_suffix(o.pszId, "OverWeight") || g_str_has_suffix(o.pszId, "OverFill");
        EXPECT_TRUE(bIndicator || gtk_widget_get_visible(pwgt)) << o.pszId << " is not shown";
    }
    EXPECT_EQ(ids.size(), 65u);
    // The pages' own lookups, spot-checked against the list.
    EXPECT_TRUE(ids.count("TotalLatMoment") && ids.count("ConfBallastRearLongArmUnits") && ids.count("WBDrawing"));
}

TEST_F(Window, ADefinitionMissingAnObjectIsCaught)
{
    g_autoptr(GtkBuilder) pBuilder = gtk_builder_new_from_string(
        "<interface><object class=\"GtkWindow\" id=\"Zarv\"><child><object class=\"GtkEntry\" "
        "id=\"WBDrawing\"/></child></object></interface>",
        -1);
    EXPECT_STREQ(wbCheckDefinition(pBuilder), "WBDrawing");
    gtk_widget_destroy(GTK_WIDGET(gtk_builder_get_object(pBuilder, "Zarv")));
}

TEST_F(Window, AssistiveTechnologyReachesEveryFieldByIdAndName)
{
    // wbExposeAccessibility runs in the program once the window is drawn.
    wbExposeAccessibility(m_pBuilder);
    for (const _mscBinding& o : wbDefinition()) {
        AtkObject* patk = gtk_widget_get_accessible(w(o.pszId));
        EXPECT_STREQ(atk_object_get_accessible_id(patk), o.pszId);
        if (o.pfuncType() == GTK_TYPE_ENTRY || o.pfuncType() == GTK_TYPE_RADIO_BUTTON) {
            const gchar* pszName = atk_object_get_name(patk);
            EXPECT_TRUE(pszName && *pszName) << o.pszId << " has no accessible name";
        }
    }
    EXPECT_STREQ(atk_object_get_accessible_id(gtk_widget_get_accessible(w("TotalLongArm"))), "TotalLongArm");
}

TEST_F(Window, RadioButtonsFormTheFourGroups)
{
    const std::vector<std::vector<const char*>> groups = {{"BallastNone", "BallastFront", "BallastRear"},
                                                          {"WeightUnitKgs", "WeightUnitLbs"},
                                                          {"ArmUnitMM", "ArmUnitInch"},
                                                          {"FuelUnitLitres", "FuelUnitUSGal", "FuelUnitImpGal"}};
    for (const auto& group : groups) {
        GSList* plist = gtk_radio_button_get_group(GTK_RADIO_BUTTON(w(group[0])));
        EXPECT_EQ(g_slist_length(plist), group.size()) << group[0];
        for (const char* pszId : group)
            EXPECT_NE(g_slist_find(plist, w(pszId)), nullptr) << pszId;
    }
}

TEST_F(Window, StartsWithTheIndicatorsHiddenAndRoomForTheChart)
{
    for (const char* pszId : {"LSeatOverWeight", "RSeatOverWeight", "FuelOverFill"})
        EXPECT_FALSE(gtk_widget_get_visible(w(pszId))) << pszId;
    EXPECT_GE(gtk_widget_get_allocated_width(w("WBDrawing")), 450);
    EXPECT_GE(gtk_widget_get_allocated_height(w("WBDrawing")), 450);
}

} // namespace

namespace
{

TEST_F(Window, StartsWithTheFocusInTheLeftSeat)
{
    EXPECT_TRUE(hasFocus("LeftSeatWeight"));
}

} // namespace

namespace
{

TEST_F(Window, FitsASmallScreenYetOpensAsLargeAsBefore)
{
    GtkRequisition minimum;
    gtk_widget_get_preferred_size(m_pwinMain, &minimum, nullptr);
    EXPECT_LE(minimum.width, 1000);
    EXPECT_LE(minimum.height, 560);
    // On this large screen the chart keeps the room it always had.
    EXPECT_GE(gtk_widget_get_allocated_width(w("WBDrawing")), 450);
    EXPECT_GE(gtk_widget_get_allocated_height(w("WBDrawing")), 450);
}

} // namespace

namespace
{

int diskFull(gchar*, int, int)
{
    errno = ENOSPC;
    return -1;
}

TEST_F(Window, AFailedSaveIsShownAcrossTheTopUntilTheNextOneSucceeds)
{
    EXPECT_FALSE(gtk_widget_get_visible(w("SaveFailedBar")));
    prmFileOps().pfuncMkstemp = diskFull;
    type("LeftSeatWeight", "80");
    focus("RightSeatWeight");
    EXPECT_TRUE(gtk_widget_get_visible(w("SaveFailedBar")));
    EXPECT_NE(text("SaveFailedText").find(g_strerror(ENOSPC)), std::string::npos) << text("SaveFailedText");
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 80.0)); // the value is kept in the window
    // Another program's change shown meanwhile does not hide that it is not saved.
    zt::writeFile(m_dir / "Zarv.conf", "[Load]\nRSeat=60\n");
    zt::waitUntil([&] { return text("RightSeatWeight") == num("%1.1f", 60.0); }, "the file's values to be shown");
    EXPECT_NE(text("SaveFailedText").find(g_strerror(ENOSPC)), std::string::npos) << text("SaveFailedText");
    // The disk has room again: the next save clears the bar.
    prmFileOps().pfuncMkstemp = g_mkstemp_full;
    type("RightSeatWeight", "70");
    focus("FuelVolume");
    EXPECT_FALSE(gtk_widget_get_visible(w("SaveFailedBar")));
    EXPECT_EQ(confDouble("Load", "LSeat"), 80.0);
}

} // namespace

namespace
{

class ChangedOutside : public zt::Pages
{
    std::string initialConf() const override
    {
        return "[Basic]\nWeight=400\n\n[Load]\nLSeat=80\nRSeat=70\n\n[Aircraft]\nRegistration=G-TEST\n";
    }
};

// Another program replaces Zarv.conf while the pilot types in a field: the
// window shows the file's values at once and says so, the field keeps what
// was typed, and leaving it stores that over the file's values.
TEST_F(ChangedOutside, TheFilesValuesAreShownAndWhatIsBeingTypedIsKept)
{
    type("RightSeatWeight", "77");
    zt::writeFile(m_dir / "Zarv.new", "[Basic]\nWeight=420\n\n[Load]\nLSeat=90\nRSeat=50\n\n"
                                      "[Aircraft]\nRegistration=G-NEWW\n");
    ASSERT_EQ(rename((m_dir / "Zarv.new").c_str(), (m_dir / "Zarv.conf").c_str()), 0);
    zt::waitUntil([&] { return text("LeftSeatWeight") == num("%1.1f", 90.0); }, "the file's values to be shown");
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 420.0));
    EXPECT_EQ(text("Registration"), "G-NEWW");
    // Kept as typed; or already stored, where the window lost the X focus
    // meanwhile (which leaves the field), and shown as stored.
    EXPECT_TRUE(text("RightSeatWeight") == "77" || text("RightSeatWeight") == num("%1.1f", 77.0))
        << text("RightSeatWeight");
    EXPECT_TRUE(gtk_widget_get_visible(w("SaveFailedBar")));
    EXPECT_EQ(text("SaveFailedText"), "Zarv.conf was changed by another program: its values are shown");
    focus("FuelVolume");
    EXPECT_EQ(confDouble("Load", "RSeat"), 77.0);
    EXPECT_EQ(confDouble("Load", "LSeat"), 90.0);
    EXPECT_EQ(confDouble("Basic", "Weight"), 420.0);
    EXPECT_EQ(text("Registration"), "G-NEWW");
}

// The units change under a field being typed in (another program's file,
// met at a known point: Zarv's next save reads it first and shows it): the
// field keeps its text and its unit until it is left, and stores what was
// typed in the unit the pilot saw.
TEST_F(ChangedOutside, AFieldBeingTypedInKeepsTheUnitItWasTypedIn)
{
    // What is typed is what the file's 80 kg reads as in pounds: typed all
    // the same.
    const std::string strKg = text("LeftSeatUnits"), strTyped = num("%1.1f", 80 * LB_PER_KG);
    type("LeftSeatWeight", strTyped.c_str());
    zt::writeFile(m_dir / "Zarv.new", "[Basic]\nWeight=400\n\n[Load]\nLSeat=80\nRSeat=70\n\n[Unit]\nWeight=1\n");
    ASSERT_EQ(rename((m_dir / "Zarv.new").c_str(), (m_dir / "Zarv.conf").c_str()), 0);
    prmWriteKeyFile();
    EXPECT_NE(text("RightSeatUnits"), strKg);
    EXPECT_EQ(text("LeftSeatUnits"), strKg);
    EXPECT_EQ(text("LeftSeatWeight"), strTyped);
    EXPECT_NE(text("SaveFailedText").find("The units changed"), std::string::npos) << text("SaveFailedText");
    focus("RightSeatWeight");
    EXPECT_DOUBLE_EQ(confDouble("Load", "LSeat"), std::round(80 * LB_PER_KG * 10) / 10);
    EXPECT_EQ(text("LeftSeatUnits"), text("RightSeatUnits"));
}

} // namespace
