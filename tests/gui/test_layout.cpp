// Three legs (the second solo), two items, named people: the page stays still and fits.
#include "pages.h"

#include <gtest/gtest.h>

namespace
{

class Layout : public zt::Pages
{
  protected:
    std::string initialConf() const override
    {
        const std::string strLeg = "LSeat=85\nRSeat=72\nFuel=60\nTrip=20\nLSeatPerson=Anna\nRSeatPerson=Ben\n";
        return "[Basic]\nWeight=420\nLongArm=2700\n[Ballast]\nWeight=6\nFrontLongArm=1000\nRearLongArm=3000\n"
               "[Equipment 1]\nName=Door\nWeight=5.4\nLongArm=2000\nLatArm=-500\nWeighed=true\nFitted=false\n"
               "[Equipment 2]\nName=Hook\nWeight=3\nLongArm=2800\nLatArm=0\nWeighed=false\nFitted=true\n[Load]\n" +
               strLeg + "[Leg 2]\nRSeat=72\nFuel=40\nTrip=15\nRSeatPerson=Ben\nFuelAsLanded=true\n[Leg 3]\n" + strLeg;
    }
    void resize(int nWidth, int nHeight)
    {
        gtk_window_resize(GTK_WINDOW(m_pwinMain), nWidth, nHeight);
        const auto size = [&] { return std::pair(placed(m_pwinMain).width, placed(m_pwinMain).height); };
        zt::waitUntil([&] { return gtk_test_widget_wait_for_draw(m_pwinMain), size() == std::pair(nWidth, nHeight); },
                      "the size");
    }
    static GdkRectangle placed(GtkWidget* pwgt)
    {
        GdkRectangle rc = {0, 0, gtk_widget_get_allocated_width(pwgt), gtk_widget_get_allocated_height(pwgt)};
        gtk_widget_translate_coordinates(pwgt, gtk_widget_get_toplevel(pwgt), 0, 0, &rc.x, &rc.y);
        return rc;
    }
    static bool wholeInView(GtkWidget* pwgt)
    {
        GdkRectangle rc = placed(pwgt), rcBoth;
        for (GtkWidget* p = gtk_widget_get_parent(pwgt); p; p = gtk_widget_get_parent(p))
            if (GdkRectangle rcView = placed(p);
                (GTK_IS_SCROLLED_WINDOW(p) || GTK_IS_WINDOW(p)) &&
                (gdk_rectangle_union(&rc, &rcView, &rcBoth), !gdk_rectangle_equal(&rcBoth, &rcView)))
                return false;
        return true;
    }
    // Every object of the loading page with an id shown now.
    std::map<std::string, GtkWidget*> named() const
    {
        std::map<std::string, GtkWidget*> shown;
        g_autoptr(GSList) objects = gtk_builder_get_objects(m_pBuilder);
        for (GSList* p = objects; p; p = p->next)
            if (const std::string str = GTK_IS_WIDGET(p->data) ? gtk_buildable_get_name(GTK_BUILDABLE(p->data)) : "___";
                !str.starts_with("___") && gtk_widget_is_drawable(GTK_WIDGET(p->data)) &&
                gtk_widget_is_ancestor(GTK_WIDGET(p->data), w("LoadingPage")))
                shown[str] = GTK_WIDGET(p->data);
        return shown;
    }
};

TEST_F(Layout, EveryFieldStaysWhereItWasWhileTheWordsGrow)
{
    resize(1280, 800);
    std::map<std::string, std::pair<int, int>> fields;
    for (const auto& [strId, pwgt] : named())
        if (gtk_widget_get_can_focus(pwgt))
            fields[strId] = {placed(pwgt).x, placed(pwgt).y};
    for (const auto& [pszId, pszText] : {std::pair{"LeftSeatWeight", "130"}, {"FuelVolume", "3"}, {"TripFuel", "3"}}) {
        type(pszId, pszText);
        focus("CommanderSeat");
        gtk_test_widget_wait_for_draw(m_pwinMain);
        for (const auto& [strId, at] : fields)
            EXPECT_EQ(std::pair(placed(w(strId.c_str())).x, placed(w(strId.c_str())).y), at) << strId << pszId;
    }
    EXPECT_TRUE(text("FlightVerdict").starts_with("NOT WITHIN LIMITS")) << text("FlightVerdict");
}

TEST_F(Layout, EveryLegFitsTheLargerScreenAndTheVerdictAndPrintStayInViewOnTheSmaller)
{
    resize(1280, 800);
    for (int nLeg : {0, 1, 2}) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w("LegChoice")), nLeg);
        gtk_test_widget_wait_for_draw(m_pwinMain);
        for (const auto& [strId, pwgt] : named())
            EXPECT_TRUE(wholeInView(pwgt)) << strId << " of leg " << nLeg + 1;
    }
    resize(1024, 600);
    GtkAdjustment* padj = gtk_scrolled_window_get_vadjustment(
        GTK_SCROLLED_WINDOW(gtk_widget_get_ancestor(w("LeftSeatWeight"), GTK_TYPE_SCROLLED_WINDOW)));
    for (double nAt : {gtk_adjustment_get_lower(padj), gtk_adjustment_get_upper(padj)}) {
        gtk_adjustment_set_value(padj, nAt);
        gtk_test_widget_wait_for_draw(m_pwinMain);
        for (const char* pszId : {"FlightVerdict", "PrintLoadSheet", "WBDrawing"})
            EXPECT_TRUE(wholeInView(w(pszId))) << pszId << " scrolled to " << nAt;
    }
}

} // namespace
