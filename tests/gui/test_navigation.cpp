// Walking the fields with Up, Down and Return, on both pages and on a table
// of our own; and the tree-view helpers.
#include "pages.h"

#include "ui/misc.h"
#include "ui/pagSetupPage.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace
{

// The fields added later end each page's walk, in the order they came: the
// walk begins so, and goes on to the values added since.
const std::vector<const char*> m_loadingOrder = {"LeftSeatWeight", "RightSeatWeight", "FuelVolume",  "BallastNone",
                                                 "BallastFront",   "BallastRear",     "ShowBurnOff", "TripFuel"};
const std::vector<const char*> m_setupOrder = {"ConfEmptyWeight",
                                               "ConfEmptyLongArm",
                                               "ConfEmptyLatArm",
                                               "ConfBallastWeight",
                                               "ConfBallastFrontLongArm",
                                               "ConfBallastFrontLatArm",
                                               "ConfBallastRearLongArm",
                                               "WeightUnitKgs",
                                               "WeightUnitLbs",
                                               "ArmUnitMM",
                                               "ArmUnitInch",
                                               "FuelUnitLitres",
                                               "FuelUnitUSGal",
                                               "FuelUnitImpGal",
                                               "Registration",
                                               "WeighedOn",
                                               "FleetChoice",
                                               "FuelDensity"};

class Navigation : public zt::Pages
{
  protected:
    // An aircraft with a hover chart: the sites' conditions are walked too.
    std::string initialConf() const override
    {
        return "[Hover IGE]\nLine 1=0; 500 10000; 700 6000\nLine 2=40; 500 6000; 700 2000\n";
    }
    // Walks a page with one key from its first field, checking every step.
    void walk(const std::vector<std::string>& order, guint nKeyval, GdkModifierType nState, bool bForward)
    {
        focus(order[0].c_str());
        const size_t n = order.size();
        for (size_t i = 1; i <= n; i++) {
            key(nKeyval, nState);
            const char* pszWant = order[bForward ? i % n : (n - i) % n].c_str();
            ASSERT_TRUE(hasFocus(pszWant)) << "step " << i << ": want " << pszWant;
        }
    }
};

TEST_F(Navigation, DownReturnAndUpWalkBothPagesAndWrap)
{
    for (auto [pStart, walkOf] : {std::pair{&m_loadingOrder, &pwbWalk}, std::pair{&m_setupOrder, &psetWalk}}) {
        // The walk as the page built it, by its widgets' ids.
        std::vector<std::string> order;
        for (const _wgtLUT& r : walkOf())
            if (r.pwgtLUT && *r.pwgtLUT)
                order.push_back(gtk_buildable_get_name(GTK_BUILDABLE(*r.pwgtLUT)));
        ASSERT_GE(order.size(), pStart->size());
        EXPECT_TRUE(std::equal(pStart->begin(), pStart->end(), order.begin()));
        const auto* pOrder = &order;
        walk(*pOrder, GDK_KEY_Down, GdkModifierType(0), true);
        walk(*pOrder, GDK_KEY_Return, GdkModifierType(0), true);
        walk(*pOrder, GDK_KEY_Up, GdkModifierType(0), false);
        // Modifiers make no difference.
        walk(*pOrder, GDK_KEY_Down, GDK_SHIFT_MASK, true);
        walk(*pOrder, GDK_KEY_Up, GDK_CONTROL_MASK, false);
        walk(*pOrder, GDK_KEY_Return, GdkModifierType(GDK_SHIFT_MASK | GDK_CONTROL_MASK), true);
    }
}

TEST_F(Navigation, ReturnCommitsTheFieldAndNeverReachesTheEntry)
{
    int nActivated = 0;
    g_signal_connect_swapped(w("LeftSeatWeight"), "activate", G_CALLBACK(+[](int* pn) { (*pn)++; }), &nActivated);
    type("LeftSeatWeight", "80");
    key(GDK_KEY_Return);
    EXPECT_TRUE(hasFocus("RightSeatWeight"));
    EXPECT_EQ(nActivated, 0);
    EXPECT_EQ(confDouble("Load", "LSeat"), 80.0);
}

TEST_F(Navigation, OnARadioButtonTheKeysWalkTheTableNotTheGroup)
{
    focus("BallastNone");
    key(GDK_KEY_Down);
    EXPECT_TRUE(hasFocus("BallastFront"));
    EXPECT_TRUE(active("BallastNone"));
    key(GDK_KEY_Up);
    key(GDK_KEY_Up);
    EXPECT_TRUE(hasFocus("FuelVolume"));
    EXPECT_TRUE(active("BallastNone"));
}

TEST_F(Navigation, OtherKeysAreLeftToTheToolkit)
{
    focus("RightSeatWeight");
    for (guint nKeyval : {GDK_KEY_KP_Enter, GDK_KEY_KP_Up, GDK_KEY_KP_Down, GDK_KEY_Tab, GDK_KEY_Left, GDK_KEY_Right,
                          GDK_KEY_a, GDK_KEY_Escape}) {
        GdkEventKey evt{};
        evt.type = GDK_KEY_PRESS;
        evt.keyval = nKeyval;
        EXPECT_FALSE(mscKeyPressLUT(w("RightSeatWeight"), &evt, nullptr)) << nKeyval;
        EXPECT_TRUE(hasFocus("RightSeatWeight"));
    }
    // Other keys reach the entry as typing.
    std::string strInserted;
    g_signal_connect_swapped(w("RightSeatWeight"), "insert-text",
                             G_CALLBACK(+[](std::string* pstr, const gchar* pszNew) { *pstr += pszNew; }),
                             &strInserted);
    key(GDK_KEY_3);
    EXPECT_EQ(strInserted.substr(0, 1), "3");
}

TEST_F(Navigation, FieldsThatCannotTakeTheFocusAreSkippedBothWays)
{
    gtk_widget_set_sensitive(w("FuelVolume"), FALSE);
    gtk_widget_hide(w("BallastNone"));
    focus("RightSeatWeight");
    key(GDK_KEY_Down);
    EXPECT_TRUE(hasFocus("BallastFront"));
    key(GDK_KEY_Up);
    EXPECT_TRUE(hasFocus("RightSeatWeight"));
}

// A table of our own, to reach what the pages do not: containers, every
// other field skipped, row callbacks.
class OwnTable : public testing::Test
{
  protected:
    void SetUp() override
    {
        ZT_NEED_DISPLAY();
        m_pwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        m_pbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        GtkWidget* pinner = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_container_add(GTK_CONTAINER(m_pwin), m_pbox);
        for (GtkWidget*& pwgt : m_pwgt) {
            pwgt = gtk_entry_new();
            gtk_container_add(GTK_CONTAINER(&pwgt == &m_pwgt[2] ? pinner : m_pbox), pwgt);
        }
        gtk_container_add(GTK_CONTAINER(m_pbox), pinner);
        m_pinner = pinner;
        gtk_widget_show_all(m_pwin);
        ASSERT_TRUE(zt::presentAndFocus(m_pwin));
        gtk_widget_grab_focus(m_pwgt[0]);
    }
    void TearDown() override
    {
        if (m_pwin)
            gtk_widget_destroy(m_pwin);
    }
    GtkWidget* m_pwin = nullptr;
    GtkWidget* m_pbox = nullptr;
    GtkWidget* m_pinner = nullptr;
    GtkWidget* m_pwgt[3] = {};
};

std::vector<std::pair<GtkWidget*, guint>> m_calls;
GtkWidget* m_pwgtFocusAtCall = nullptr;

gboolean recordCall(GtkWidget* pwgt, guint nDir)
{
    m_calls.emplace_back(pwgt, nDir);
    m_pwgtFocusAtCall = gtk_window_get_focus(GTK_WINDOW(gtk_widget_get_toplevel(pwgt)));
    return FALSE; // whatever it returns, the move happens
}

TEST_F(OwnTable, ContainersDoNotMatterOnlyTheFieldsOwnFlags)
{
    _wgtLUT table[] = {{&m_pwgt[0], nullptr}, {&m_pwgt[1], nullptr}, {&m_pwgt[2], nullptr}, {nullptr, nullptr}};
    gtk_widget_set_sensitive(m_pinner, FALSE); // m_pwgt[2] is inside, its own flag still set
    EXPECT_TRUE(mscKeyPressUp(table, m_pwgt[0]));
    // The walk stops at m_pwgt[2], which the toolkit will not focus: the
    // focus stays rather than passing on to m_pwgt[1].
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[0]);
    gtk_widget_set_sensitive(m_pinner, TRUE);
    gtk_widget_hide(m_pinner); // a hidden container does not stop the toolkit
    EXPECT_TRUE(mscKeyPressUp(table, m_pwgt[0]));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[2]);
    gtk_widget_set_visible(m_pwgt[2], FALSE); // now its own flag: skipped
    EXPECT_TRUE(mscKeyPressUp(table, m_pwgt[0]));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[1]);
}

TEST_F(OwnTable, WithEveryOtherFieldSkippedTheFocusStays)
{
    _wgtLUT table[] = {{&m_pwgt[0], nullptr}, {&m_pwgt[1], nullptr}, {&m_pwgt[2], nullptr}, {nullptr, nullptr}};
    gtk_widget_hide(m_pwgt[1]);
    gtk_widget_set_sensitive(m_pwgt[2], FALSE);
    EXPECT_TRUE(mscKeyPressDown(table, m_pwgt[0]));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[0]);
    EXPECT_TRUE(mscKeyPressUp(table, m_pwgt[0]));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[0]);
    // A widget not in the table: the key is consumed and nothing moves.
    GtkWidget* pwgtStranger = gtk_entry_new();
    g_object_ref_sink(pwgtStranger);
    EXPECT_TRUE(mscKeyPressDown(table, pwgtStranger));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[0]);
    g_object_unref(pwgtStranger);
}

TEST_F(OwnTable, RowCallbackRunsOncePerMoveBeforeIt)
{
    _wgtLUT table[] = {{&m_pwgt[0], recordCall}, {&m_pwgt[1], nullptr}, {&m_pwgt[2], nullptr}, {nullptr, nullptr}};
    m_calls.clear();
    EXPECT_TRUE(mscKeyNavLUT(m_pwgt[0], GTK_DIR_DOWN, table));
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls[0], std::make_pair(m_pwgt[0], guint(GTK_DIR_DOWN)));
    EXPECT_EQ(m_pwgtFocusAtCall, m_pwgt[0]);
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[1]);
    gtk_widget_grab_focus(m_pwgt[0]);
    EXPECT_TRUE(mscKeyNavLUT(m_pwgt[0], GTK_DIR_UP, table));
    ASSERT_EQ(m_calls.size(), 2u);
    EXPECT_EQ(m_calls[1].second, guint(GTK_DIR_UP));
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(m_pwin)), m_pwgt[2]);
    EXPECT_FALSE(mscKeyNavLUT(m_pwgt[2], GTK_DIR_LEFT, table));
    EXPECT_FALSE(mscKeyNavLUT(m_pwgt[2], GTK_DIR_TAB_FORWARD, table));
    EXPECT_EQ(m_calls.size(), 2u);
}

} // namespace
