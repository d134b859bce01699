// A flight of several legs through the real window: a leg added as the
// last lands, legs switched and typed in, a passenger out.
#include "pages.h"

#include "store/conf/state.h"
#include "ui/pagWBChart.h"

#include <gtest/gtest.h>

namespace
{

// Two pilots, 60 L aboard and a 20 L trip, within limits; Bo in the right
// seat. Flown solo from the left seat it is aft of the limit, unless the
// ballast goes to the front.
constexpr const char* LEGS_CONF = "[Basic]\nWeight=400\nLongArm=2690\nLatArm=28\n"
                                  "[Ballast]\nWeight=10\nFrontLongArm=1000\n"
                                  "[Load]\nLSeat=80\nRSeat=70\nFuel=60\nTrip=20\nLSeatPerson=Anna\nRSeatPerson=Bo\n";

class Legs : public zt::Pages
{
  protected:
    std::string initialConf() const override
    {
        return LEGS_CONF;
    }
    void choose(int nLeg)
    {
        gtk_combo_box_set_active(GTK_COMBO_BOX(w("LegChoice")), nLeg);
        zt::spin();
    }
    // A group of Zarv.conf as it is on disk now, a line a key.
    std::string group(const char* pszGroup) const
    {
        g_autoptr(GKeyFile) pkf = g_key_file_new();
        g_key_file_load_from_data(pkf, conf().c_str(), -1, G_KEY_FILE_NONE, nullptr);
        std::string str;
        g_auto(GStrv) ppszKeys = g_key_file_get_keys(pkf, pszGroup, nullptr, nullptr);
        for (int i = 0; ppszKeys && ppszKeys[i]; i++) {
            g_autofree gchar* psz = g_key_file_get_value(pkf, pszGroup, ppszKeys[i], nullptr);
            str += std::string(ppszKeys[i]) + "=" + psz + "\n";
        }
        return str;
    }
    std::string person(const char* pszId) const
    {
        return gtk_entry_get_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w(pszId)))));
    }
};

TEST_F(Legs, AnAddedLegStartsWithTheFuelTheLastLandsWith)
{
    EXPECT_FALSE(gtk_widget_get_visible(w("LegChoice")));
    EXPECT_FALSE(gtk_widget_get_sensitive(w("RemoveLeg")));
    click("AddLeg");
    EXPECT_DOUBLE_EQ(confDouble("Leg 2", "Fuel"), 40.0);
    EXPECT_EQ(text("FuelVolume"), num("%1.1f", 40.0));
    EXPECT_TRUE(gtk_widget_get_visible(w("LegChoice")));
    EXPECT_EQ(gtk_combo_box_get_active(GTK_COMBO_BOX(w("LegChoice"))), 1);
    EXPECT_TRUE(gtk_widget_get_visible(w("FuelAsLanded")) && active("FuelAsLanded"));
    EXPECT_TRUE(gtk_widget_get_sensitive(w("RemoveLeg")));
    // Fuel typed for it is taken on at the stop; checked again, it follows
    // the landing.
    type("FuelVolume", "55");
    focus("LeftSeatWeight");
    EXPECT_FALSE(active("FuelAsLanded"));
    EXPECT_DOUBLE_EQ(confDouble("Leg 2", "Fuel"), 55.0);
    click("FuelAsLanded");
    EXPECT_EQ(text("FuelVolume"), num("%1.1f", 40.0));
    EXPECT_NE(conf().find("FuelAsLanded=true"), std::string::npos) << conf();
}

// Each field as leg 1 and leg 2 hold it.
struct Shown {
    const char* pszId;
    const char* pszLeg1;
    const char* pszLeg2;
};

TEST_F(Legs, EachLegShowsItsOwnValuesAndTypingChangesOnlyItsOwn)
{
    click("AddLeg");
    const std::string strLeg1 = group("Load");
    type("RightSeatWeight", "0");
    focus("RightSeatPerson");
    gtk_entry_set_text(GTK_ENTRY(gtk_bin_get_child(GTK_BIN(w("RightSeatPerson")))), "");
    type("TripFuel", "1x");
    focus("LeftSeatWeight");
    const Shown shown[] = {{"RightSeatWeight", "70.0", "0.0"},
                           {"FuelVolume", "60.0", "40.0"},
                           {"TripFuel", "20.0", "1.0"},
                           {"RightSeatPerson", "Bo", ""}};
    for (int nLeg : {0, 1, 0, 1}) {
        choose(nLeg);
        for (const Shown& s : shown) {
            const char* psz = nLeg == 0 ? s.pszLeg1 : s.pszLeg2;
            const std::string strShown = GTK_IS_COMBO_BOX(w(s.pszId)) ? person(s.pszId) : text(s.pszId);
            EXPECT_EQ(strShown, GTK_IS_COMBO_BOX(w(s.pszId)) ? psz : num("%1.1f", g_ascii_strtod(psz, nullptr)))
                << s.pszId << " leg " << nLeg + 1;
        }
        // The trip not read cleanly is flagged on its own leg only.
        EXPECT_EQ(gtk_style_context_has_class(gtk_widget_get_style_context(w("TripFuel")), GTK_STYLE_CLASS_ERROR),
                  nLeg == 1);
    }
    g_autofree gchar* pszLeg = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(w("LegChoice")));
    EXPECT_STREQ(pszLeg, "Leg 2: \u2068Anna\u2069 solo");
    // Leg 1's group is as it was before leg 2 was typed in.
    EXPECT_EQ(group("Load"), strLeg1);
    EXPECT_DOUBLE_EQ(confDouble("Leg 2", "RSeat"), 0.0);
    EXPECT_EQ(group("Leg 2").find("RSeatPerson=Bo"), std::string::npos);
}

// Chooses the right seat in the dialog and adds the leg.
gboolean rightSeatOut(gpointer pbDone)
{
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg)
        return G_SOURCE_CONTINUE;
    GtkWidget* pbox = nullptr;
    g_autoptr(GList) content = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(pdlg))));
    for (GList* p = content; p; p = p->next)
        if (GTK_IS_BOX(p->data))
            pbox = GTK_WIDGET(p->data);
    g_autoptr(GList) rows = pbox ? gtk_container_get_children(GTK_CONTAINER(pbox)) : nullptr;
    for (GList* p = rows; p; p = p->next)
        if (GTK_IS_RADIO_BUTTON(p->data) &&
            std::string(gtk_button_get_label(GTK_BUTTON(p->data))).starts_with("\u2068Bo\u2069 (right seat, "))
            gtk_button_clicked(GTK_BUTTON(p->data));
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    *static_cast<bool*>(pbDone) = true;
    return G_SOURCE_REMOVE;
}

TEST_F(Legs, APassengerOutEmptiesTheSeatAndTheVerdictNamesTheLeg)
{
    bool bDone = false;
    const guint nSource = g_timeout_add(10, rightSeatOut, &bDone);
    click("PassengerOut");
    if (!bDone)
        g_source_remove(nSource); // the dialog never came
    ASSERT_TRUE(bDone);
    EXPECT_DOUBLE_EQ(confDouble("Leg 2", "RSeat"), 0.0);
    EXPECT_EQ(text("RightSeatWeight"), num("%1.1f", 0.0));
    EXPECT_EQ(person("RightSeatPerson"), "");
    EXPECT_EQ(person("LeftSeatPerson"), "Anna");
    // The new leg is judged with the flight, and its own advice says where
    // the ballast goes.
    EXPECT_TRUE(text("FlightVerdict").starts_with("NOT WITHIN LIMITS: leg 2 (solo) aft of the limit by "))
        << text("FlightVerdict");
    EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(w("FlightVerdict"))), m_pattrBoldRed);
    EXPECT_EQ(text("BallastAdvice"), "Fit the ballast at the front");
    choose(0);
    EXPECT_EQ(text("BallastAdvice"), "");
}

// With a fuel flow, what the leg needs shows under the fuel; fuel typed
// below it turns the headline, red, and flags the fuel. 40.5 L/h for 20
// min is 13.5 L, 5 % of the 20 L trip 1 L, with 2 L to taxi: 36.5 L.
TEST_F(Legs, AShortFuelTurnsTheHeadline)
{
    {
        _stateChanging changing(STATE_AIRCRAFT);
        _wbSetup& s = stateEditSetup();
        s.nFuelFlow = 40.5, s.nContingencyPercent = 5, s.nTaxiFuel = 2;
    }
    zt::spin();
    const std::string strNeeds = "Needs " + num("%1.1f", 36.5) + " L: taxi " + num("%1.1f", 2.0) + ", trip " +
                                 num("%1.1f", 20.0) + ", contingency " + num("%1.1f", 1.0) + ", reserve " +
                                 num("%1.1f", 13.5) + " (20 min); ";
    EXPECT_EQ(text("FuelNeeded"), strNeeds + num("%1.1f", 60.0) + " L on board, " + num("%1.1f", 23.5) + " L more");
    EXPECT_TRUE(text("FlightVerdict").starts_with("WITHIN LIMITS")) << text("FlightVerdict");
    type("FuelVolume", "30");
    focus("LeftSeatWeight");
    EXPECT_TRUE(
        text("FlightVerdict")
            .starts_with("NOT ENOUGH FUEL: needs " + num("%1.1f", 36.5) + " L, has " + num("%1.1f", 30.0) + " L; "))
        << text("FlightVerdict");
    EXPECT_EQ(gtk_label_get_attributes(GTK_LABEL(w("FlightVerdict"))), m_pattrBoldRed);
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(w("FuelVolume"));
    EXPECT_STREQ(pszTip, (strNeeds + num("%1.1f", 30.0) + " L on board, " + num("%1.1f", 6.5) + " L short").c_str());
}

} // namespace
