// The loading page as the pilot sees it: nothing moves under the mouse while
// the words grow, and the page fits the screens it is flown from.
#include "pages.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{

// Three legs (the second flown solo), two items and the people named in
// their seats, on an aircraft whose figures were never confirmed (so the
// caution about them takes its room too).
constexpr const char* THREE_LEGS =
    "[Aircraft]\nRegistration=G-ZARV\n[Basic]\nWeight=420\nLongArm=2700\nLatArm=0\n"
    "[Ballast]\nWeight=6\nFrontLongArm=1000\nRearLongArm=3000\n"
    "[Equipment 1]\nName=Left door\nWeight=5.4\nLongArm=2000\nLatArm=-500\nWeighed=true\nFitted=false\n"
    "[Equipment 2]\nName=Cargo hook\nWeight=3\nLongArm=2800\nLatArm=0\nWeighed=false\nFitted=true\n"
    "[Load]\nLSeat=85\nRSeat=72\nFuel=60\nTrip=20\nLSeatPerson=Anna\nRSeatPerson=Ben\nCommander=left\n"
    "[Leg 2]\nLSeat=0\nRSeat=72\nFuel=40\nTrip=15\nRSeatPerson=Ben\nCommander=right\nFuelAsLanded=true\n"
    "[Leg 3]\nLSeat=85\nRSeat=72\nFuel=60\nTrip=20\nLSeatPerson=Anna\nRSeatPerson=Ben\nCommander=left\n";

class Layout : public zt::Pages
{
  protected:
    std::string initialConf() const override
    {
        return THREE_LEGS;
    }
    // Laid out and drawn again after what changed.
    void settle()
    {
        gtk_test_widget_wait_for_draw(m_pwinMain);
    }
    void resize(int nWidth, int nHeight)
    {
        gtk_window_resize(GTK_WINDOW(m_pwinMain), nWidth, nHeight);
        zt::waitUntil(
            [&] {
                settle();
                return gtk_widget_get_allocated_width(m_pwinMain) == nWidth &&
                       gtk_widget_get_allocated_height(m_pwinMain) == nHeight;
            },
            "the window at " + std::to_string(nWidth) + " x " + std::to_string(nHeight));
    }
    static GdkRectangle placeOf(GtkWidget* pwgt)
    {
        GdkRectangle rc = {0, 0, gtk_widget_get_allocated_width(pwgt), gtk_widget_get_allocated_height(pwgt)};
        gtk_widget_translate_coordinates(pwgt, gtk_widget_get_toplevel(pwgt), 0, 0, &rc.x, &rc.y);
        return rc;
    }
    // Whether the widget is wholly in the window, and in the part of each
    // scrolled window around it that is in view.
    static bool inView(GtkWidget* pwgt)
    {
        const GdkRectangle rc = placeOf(pwgt);
        for (GtkWidget* p = gtk_widget_get_parent(pwgt); p; p = gtk_widget_get_parent(p)) {
            if (!GTK_IS_SCROLLED_WINDOW(p) && !GTK_IS_WINDOW(p))
                continue;
            const GdkRectangle rcView = placeOf(p);
            if (rc.x < rcView.x || rc.y < rcView.y || rc.x + rc.width > rcView.x + rcView.width ||
                rc.y + rc.height > rcView.y + rcView.height)
                return false;
        }
        return true;
    }
    // Every object of Zarv.ui with an id on the loading page that is shown
    // now, by its id.
    std::map<std::string, GtkWidget*> named() const
    {
        GtkWidget* pwgtPage = gtk_widget_get_ancestor(w("LeftSeatWeight"), GTK_TYPE_NOTEBOOK);
        pwgtPage = gtk_notebook_get_nth_page(GTK_NOTEBOOK(pwgtPage), 0);
        std::map<std::string, GtkWidget*> shown;
        g_autoptr(GSList) objects = gtk_builder_get_objects(m_pBuilder);
        for (GSList* p = objects; p; p = p->next) {
            if (!GTK_IS_WIDGET(p->data) || !gtk_widget_is_drawable(GTK_WIDGET(p->data)) ||
                !gtk_widget_is_ancestor(GTK_WIDGET(p->data), pwgtPage))
                continue;
            const std::string strId = gtk_buildable_get_name(GTK_BUILDABLE(p->data));
            if (!strId.starts_with("___"))
                shown[strId] = GTK_WIDGET(p->data);
        }
        return shown;
    }
};

std::string where(const GdkRectangle& rc)
{
    return std::to_string(rc.x) + "," + std::to_string(rc.y);
}

TEST_F(Layout, EveryFieldStaysWhereItWasWhileTheWordsGrow)
{
    resize(1280, 800);
    std::map<std::string, std::string> fields;
    for (const auto& [strId, pwgt] : named())
        if (gtk_widget_get_can_focus(pwgt))
            fields[strId] = where(placeOf(pwgt));
    ASSERT_GE(fields.size(), 12u);
    const std::string strVerdict = text("Verdict"), strAdvice = text("FuelAllowed");
    // Over the seat limit, then the tank nearly dry and a trip of all of it.
    for (const auto& [pszId, pszText] : {std::pair{"LeftSeatWeight", "130"}, {"FuelVolume", "3"}, {"TripFuel", "3"}}) {
        type(pszId, pszText);
        focus("CommanderSeat");
        settle();
        for (const auto& [strId, strWhere] : fields)
            EXPECT_EQ(where(placeOf(w(strId.c_str()))), strWhere) << strId << " after " << pszId;
    }
    // The words did change: the limits broken, each named at every point.
    EXPECT_TRUE(text("FlightVerdict").starts_with("NOT WITHIN LIMITS")) << text("FlightVerdict");
    EXPECT_NE(text("Verdict"), strVerdict);
    EXPECT_NE(text("FuelAllowed"), strAdvice);
    EXPECT_TRUE(gtk_widget_get_visible(w("LSeatOverWeight")));
}

TEST_F(Layout, EveryLegFitsTheLargerScreenAndTheVerdictAndPrintStayInViewOnTheSmaller)
{
    resize(1280, 800);
    for (int nLeg : {0, 1, 2}) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w("LegChoice")), nLeg);
        settle();
        for (const auto& [strId, pwgt] : named())
            EXPECT_TRUE(inView(pwgt)) << strId << " of leg " << nLeg + 1 << " at " << where(placeOf(pwgt)) << " "
                                      << placeOf(pwgt).height;
    }
    resize(1024, 600);
    GtkWidget* pwgtColumn = gtk_widget_get_ancestor(w("LeftSeatWeight"), GTK_TYPE_SCROLLED_WINDOW);
    GtkAdjustment* padj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(pwgtColumn));
    EXPECT_GT(gtk_adjustment_get_upper(padj), gtk_adjustment_get_page_size(padj)) << "the page scrolls here";
    for (double nAt : {gtk_adjustment_get_lower(padj), gtk_adjustment_get_upper(padj)}) {
        gtk_adjustment_set_value(padj, nAt);
        settle();
        for (const char* pszId : {"FlightVerdict", "PrintLoadSheet", "WBDrawing"})
            EXPECT_TRUE(inView(w(pszId))) << pszId << " scrolled to " << nAt;
        // Nothing of the page is cut off at the side.
        for (const auto& [strId, pwgt] : named())
            EXPECT_LE(placeOf(pwgt).x + placeOf(pwgt).width, 1024) << strId;
    }
}

} // namespace
