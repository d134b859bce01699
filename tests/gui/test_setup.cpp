// The setup page through the real window: entries in the chosen units, the
// unit buttons, and the loading page following every change.
#include "pages.h"

#include "store/aircraft/figures.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "ui/misc.h"
#include "ui/pagSetupPage.h"

#include <gtest/gtest.h>

namespace
{

class SetupPage : public zt::Pages
{
  protected:
    void enter(const char* pszId, const char* pszText, const char* pszNext = "WeightUnitKgs")
    {
        type(pszId, pszText);
        focus(pszNext);
    }
};

class PoundsAndInches : public SetupPage
{
    std::string initialConf() const override
    {
        return "[Unit]\nWeight=1\nArm=1\nFuel=2\n[Basic]\nWeight=300\nLongArm=1803.4\n[Load]\nLSeat=80\n";
    }
};

TEST_F(PoundsAndInches, StartUpShowsTheStoredValuesInTheStoredUnits)
{
    EXPECT_TRUE(active("WeightUnitLbs"));
    EXPECT_TRUE(active("ArmUnitInch"));
    EXPECT_TRUE(active("FuelUnitImpGal"));
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 661.4));
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 71.0));
    EXPECT_EQ(text("ConfEmptyWeightUnits"), "lbs");
    EXPECT_EQ(text("ConfBallastRearLongArmUnits"), "in");
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 80 * 2.20462));
    EXPECT_EQ(text("LeftSeatUnits"), "lbs");
    EXPECT_EQ(text("FuelUnits"), "Imp Gal");
    // Start-up stores the same units again and changes no value.
    EXPECT_EQ(confInt("Unit", "Weight"), 1);
    EXPECT_EQ(confDouble("Basic", "Weight"), 300.0);
}

TEST_F(PoundsAndInches, LeavingAFieldUntouchedStoresNotTheRoundedValueShown)
{
    focus("ConfEmptyWeight");
    focus("ConfEmptyLongArm");
    EXPECT_EQ(confDouble("Basic", "Weight"), 300.0); // not 661.4 lb, 300.00635 kg
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 661.4));
}

// Every field of both pages walked in pounds, inches and US gallons with
// Return and Tab, the pages switched, and the window closed: nothing typed,
// so Zarv.conf stays byte for byte.
class EveryUnitChanged : public SetupPage
{
  protected:
    std::string initialConf() const override
    {
        return "[Unit]\nWeight=1\nArm=1\nFuel=1\n\n[Basic]\nWeight=400\nLongArm=2700\nLatArm=1.5\n\n"
               "[Ballast]\nWeight=10\nFrontLongArm=1000\nFrontLatArm=0.3\nRearLongArm=3000\n\n"
               "[Load]\nLSeat=95\nRSeat=80\nFuel=30\nTrip=10\nBallast=2\n\n[Fuel]\nDensity=0.72\n\n"
               "[Aircraft]\nRegistration=G-TEST\nWeighed=2026-03-01\n";
    }
};

TEST_F(EveryUnitChanged, WalkingEveryFieldWithoutTypingLeavesZarvConfByteForByte)
{
    for (const char* pszFirst : {"LeftSeatWeight", "ConfEmptyWeight"}) {
        focus(pszFirst); // the page switched to
        for (int i = 0; i < 20; i++)
            key(GDK_KEY_Return);
        for (int i = 0; i < 4; i++)
            key(GDK_KEY_Tab);
    }
    focus("LeftSeatWeight");
    mscLeaveField(GTK_WINDOW(m_pwinMain)); // as the close does
    prmCloseKeyFile();
    EXPECT_EQ(conf(), initialConf());
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 2700 / 25.4)); // shown rounded all the same
}

TEST_F(PoundsAndInches, InchesAreStoredAsMillimetres)
{
    enter("ConfEmptyLongArm", "71");
    EXPECT_DOUBLE_EQ(confDouble("Basic", "LongArm"), 1803.4);
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 71.0));
}

class Millimetres : public SetupPage
{
    std::string initialConf() const override
    {
        return "[Basic]\nLongArm=1803.4\nLatArm=-25.4\n[Ballast]\nFrontLongArm=254\nFrontLatArm=2.54\n"
               "RearLongArm=3048\n[Load]\nFuel=40\n";
    }
};

TEST_F(Millimetres, SwitchingTheArmUnitRewritesFieldsAndLabelsNotValues)
{
    click("ArmUnitInch");
    EXPECT_EQ(confInt("Unit", "Arm"), 1);
    const struct {
        const char* pszField;
        const char* pszLabel;
        double nInches;
    } arms[] = {{"ConfEmptyLongArm", "ConfEmptyLongArmUnits", 71},
                {"ConfEmptyLatArm", "ConfEmptyLatArmUnits", -1},
                {"ConfBallastFrontLongArm", "ConfBallastFrontLongArmUnits", 10},
                {"ConfBallastFrontLatArm", "ConfBallastFrontLatArmUnits", 0.1},
                {"ConfBallastRearLongArm", "ConfBallastRearLongArmUnits", 120}};
    for (const auto& a : arms) {
        EXPECT_EQ(text(a.pszField), num("%1.2f", a.nInches)) << a.pszField;
        EXPECT_EQ(text(a.pszLabel), "in") << a.pszLabel;
    }
    EXPECT_EQ(confDouble("Basic", "LongArm"), 1803.4);
    EXPECT_EQ(confDouble("Basic", "LatArm"), -25.4);
    EXPECT_EQ(confDouble("Ballast", "FrontLongArm"), 254.0);
    EXPECT_EQ(confDouble("Ballast", "FrontLatArm"), 2.54);
    EXPECT_EQ(confDouble("Ballast", "RearLongArm"), 3048.0);
}

TEST_F(Millimetres, FuelUnitChangesOnlyTheLoadingPage)
{
    const std::string strWeight = text("ConfEmptyWeight");
    click("FuelUnitUSGal");
    EXPECT_EQ(confInt("Unit", "Fuel"), 1);
    EXPECT_EQ(text("FuelVolume"), num("%1.1f", 10.6));
    EXPECT_EQ(text("FuelUnits"), "US Gal");
    EXPECT_EQ(text("ConfEmptyWeight"), strWeight);
    EXPECT_EQ(confDouble("Load", "Fuel"), 40.0);
    click("FuelUnitImpGal");
    EXPECT_EQ(text("FuelVolume"), num("%1.1f", 40 / 4.5461));
    EXPECT_EQ(text("FuelUnits"), "Imp Gal");
}

TEST_F(Millimetres, WeightUnitChangesBothPagesButNotTheTable)
{
    zt::Pages::type("LeftSeatWeight", "80");
    focus("RightSeatWeight");
    const std::string strTable = text("CalLSeatWt");
    click("WeightUnitLbs");
    EXPECT_EQ(text("LeftSeatWeight"), num("%1.1f", 80 * 2.20462));
    EXPECT_EQ(text("ConfBallastWeightUnits"), "lbs");
    EXPECT_EQ(text("CalLSeatWt"), strTable);
}

TEST_F(Millimetres, OneClickLeavesWhatASingleHandlerRunLeaves)
{
    int nRuns = 0;
    g_signal_connect_swapped(w("WeightUnitLbs"), "clicked", G_CALLBACK(+[](int* pn) { (*pn)++; }), &nRuns);
    g_signal_connect_swapped(w("WeightUnitKgs"), "clicked", G_CALLBACK(+[](int* pn) { (*pn)++; }), &nRuns);
    // A real click: the toolkit signals the button left as well as the one chosen.
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w("WeightUnitLbs")), TRUE);
    zt::spin();
    EXPECT_GE(nRuns, 2);
    const std::string strAfterClick = conf();
    const _wbSetup after = m_wbSetup;
    gtk_button_clicked(GTK_BUTTON(w("WeightUnitLbs"))); // the active one again: one more run of the handler
    EXPECT_EQ(conf(), strAfterClick);
    EXPECT_EQ(after.nUnitWt, UNIT_WT_LB);
    EXPECT_EQ(m_wbSetup.nUnitWt, UNIT_WT_LB);
    EXPECT_EQ(confInt("Unit", "Weight"), 1);
}

// Three helicopters of a school, in pounds and inches.
class ThreeAircraft : public zt::Pages
{
    std::string initialConf() const override
    {
        return "[Unit]\nWeight=1\nArm=1\n[Aircraft]\nRegistration=G-ONE\n[Basic]\nWeight=400\nLongArm=2540\n"
               "[Aircraft 2]\nRegistration=G-TWO\nBasicWeight=410\nBasicLongArm=2667\n"
               "[Aircraft 3]\nRegistration=G-THREE\nBasicWeight=420\nBasicLongArm=2794\n";
    }
};

TEST_F(ThreeAircraft, ChoosingOneBringsItsValuesInTheUnitsOfThePilot)
{
    GtkComboBox* pcombo = GTK_COMBO_BOX(w("FleetChoice"));
    EXPECT_EQ(text("Registration"), "G-ONE");
    EXPECT_TRUE(gtk_widget_get_sensitive(w("FleetRemove")));
    gtk_combo_box_set_active(pcombo, 2); // G-THREE
    EXPECT_EQ(text("Registration"), "G-THREE");
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 420 * 2.20462));
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 110.0));
    EXPECT_EQ(text("CalBasicWt"), num("%3.1f", 420 * 2.2046)); // the loading page follows
    EXPECT_EQ(confInt("Unit", "Weight"), 1);
    EXPECT_EQ(confDouble("Basic", "Weight"), 420.0);
    EXPECT_EQ(gtk_combo_box_get_active(pcombo), 0); // the current aircraft heads the list
    // A new registration is stored when the field is left, and listed.
    type("Registration", "G-3 [new]");
    focus("ConfEmptyWeight");
    EXPECT_EQ(zt::readFile(m_dir / "Zarv.conf").find("G-3 [new]") != std::string::npos, true);
    g_autofree gchar* pszListed = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(pcombo));
    EXPECT_STREQ(pszListed, "G-3 [new]");
}

// A later leg took one aircraft's hook off: the other aircraft chosen, every
// leg takes its items as weighed, as Zarv.conf now says.
class TwoAircraftWithLegs : public zt::Pages
{
    std::string initialConf() const override
    {
        return "[Aircraft]\nRegistration=G-ONE\n[Basic]\nWeight=400\nLongArm=2700\n[Load]\nLSeat=80\n"
               "[Equipment 1]\nName=Hook\nWeight=15\nLongArm=3300\nLatArm=0\nWeighed=true\n"
               "[Leg 2]\nLSeat=80\nFitted=false;\n[Aircraft 2]\nRegistration=G-TWO\nBasicWeight=400\n"
               "BasicLongArm=2790\n[Aircraft 2 Equipment 1]\nName=Hook\nWeight=15\nLongArm=3300\nLatArm=0\n"
               "Weighed=true\n";
    }
};

TEST_F(TwoAircraftWithLegs, ChoosingTheOtherTakesItsItemsAsWeighedOnEveryLeg)
{
    ASSERT_EQ(stateLegs().size(), 2u);
    EXPECT_FALSE(calcItemFitted(m_wbSetup, stateLegs()[1].fitted, 0));
    gtk_combo_box_set_active(GTK_COMBO_BOX(w("FleetChoice")), 1); // G-TWO
    ASSERT_EQ(text("Registration"), "G-TWO");
    ASSERT_EQ(stateLegs().size(), 2u);
    EXPECT_TRUE(calcItemFitted(m_wbSetup, stateLegs()[1].fitted, 0));
}

// The aircraft changes only by a deliberate choice, and what was typed goes
// to the aircraft it was typed for.
TEST_F(ThreeAircraft, WheelAndKeysNeverSwitchAndNothingTypedIsLost)
{
    GtkComboBox* pcombo = GTK_COMBO_BOX(w("FleetChoice"));
    focus("FleetChoice");
    const std::string strConf = conf();
    GdkEvent* pevt = gdk_event_new(GDK_SCROLL);
    pevt->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(w("FleetChoice"))));
    pevt->scroll.direction = GDK_SCROLL_DOWN;
    gdk_event_set_device(pevt, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(w("FleetChoice"), pevt);
    gdk_event_free(pevt);
    for (guint nKey : {GDK_KEY_End, GDK_KEY_Page_Down})
        key(nKey);
    EXPECT_EQ(gtk_combo_box_get_active(pcombo), 0);
    key(GDK_KEY_Down); // walks on, as everywhere on the page
    EXPECT_TRUE(hasFocus("FuelDensity"));
    EXPECT_EQ(gtk_combo_box_get_active(pcombo), 0);
    EXPECT_EQ(conf(), strConf);

    // Typed, then a pick from the list: the value stays with G-ONE.
    type("ConfEmptyWeight", "455");
    gtk_combo_box_set_active(pcombo, 2);
    EXPECT_EQ(text("Registration"), "G-THREE");
    EXPECT_NEAR(confDouble("Aircraft 3", "BasicWeight"), 455 / 2.20462, 1e-9);

    // Typed, then Add aircraft: the value stays with G-THREE; the new one has
    // no identity and its weighing figures are flagged as copied.
    type("ConfBallastWeight", "12.5");
    click("FleetAdd");
    EXPECT_NEAR(confDouble("Aircraft 4", "BallastWeight"), 12.5 / 2.20462, 1e-9);
    EXPECT_EQ(text("Registration"), "");
    EXPECT_EQ(text("WeighedOn"), "");
    GtkStyleContext* pctx = gtk_widget_get_style_context(w("ConfEmptyWeight"));
    EXPECT_TRUE(gtk_style_context_has_class(pctx, GTK_STYLE_CLASS_ERROR));
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(w("ConfEmptyWeight"));
    EXPECT_STREQ(pszTip, "copied from G-THREE: check against this aircraft's weighing report");
    type("ConfEmptyWeight", "430");
    focus("ConfEmptyLongArm");
    EXPECT_FALSE(gtk_style_context_has_class(pctx, GTK_STYLE_CLASS_ERROR));
    EXPECT_TRUE(
        gtk_style_context_has_class(gtk_widget_get_style_context(w("ConfEmptyLongArm")), GTK_STYLE_CLASS_ERROR));
}

// A first start says where to begin; a registration of any length never
// widens the window, and names the aircraft on the loading page and in the
// title.
using FirstStart = zt::Pages;

TEST_F(FirstStart, SaysWhereToBeginAndNoRegistrationWidensTheWindow)
{
    EXPECT_TRUE(gtk_widget_get_visible(w("FirstStart")));
    EXPECT_FALSE(gtk_widget_get_visible(w("LoadingAircraft")));
    GtkRequisition before, after;
    type("ConfEmptyWeight", "400");
    focus("WeighedOn");
    gtk_widget_get_preferred_size(m_pwinMain, nullptr, &before);
    const std::string strRegistration = "G-" + std::string(298, 'W');
    type("Registration", strRegistration.c_str());
    focus("WeighedOn");
    EXPECT_FALSE(gtk_widget_get_visible(w("FirstStart")));
    EXPECT_TRUE(gtk_widget_get_visible(w("LoadingAircraft")));
    EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(m_pwinMain)), "Zarv \u2013 " + strRegistration.substr(0, 200) + "\u2026");
    gtk_widget_get_preferred_size(m_pwinMain, nullptr, &after);
    EXPECT_LE(after.width, before.width);
}

// The figures copied to a new aircraft stay flagged, and the verdict says
// so, across a switch to another aircraft and back and across a restart,
// until each is typed.
class CopiedFigures : public zt::Pages
{
  protected:
    std::string m_strConf = "[Aircraft]\nRegistration=G-ONE\n[Basic]\nWeight=400\nLongArm=2480\n";
    std::string initialConf() const override
    {
        return m_strConf;
    }
    bool flagged(const char* pszId) const
    {
        return gtk_style_context_has_class(gtk_widget_get_style_context(w(pszId)), GTK_STYLE_CLASS_ERROR);
    }
};

TEST_F(CopiedFigures, StayFlaggedAcrossASwitchAndARestartUntilTyped)
{
    click("FleetAdd");
    type("ConfEmptyWeight", "430");
    focus("ConfEmptyLongArm");
    EXPECT_FALSE(flagged("ConfEmptyWeight"));
    gtk_combo_box_set_active(GTK_COMBO_BOX(w("FleetChoice")), 1); // G-ONE
    EXPECT_FALSE(flagged("ConfEmptyLongArm"));
    EXPECT_EQ(text("FlightVerdict"), "WITHIN LIMITS for take-off and with no fuel");
    gtk_combo_box_set_active(GTK_COMBO_BOX(w("FleetChoice")), 1); // the new one
    m_strConf = conf();
    TearDown();
    SetUp();
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 430));
    EXPECT_FALSE(flagged("ConfEmptyWeight"));
    for (const char* pszId : {"ConfEmptyLongArm", "ConfEmptyLatArm"}) {
        EXPECT_TRUE(flagged(pszId)) << pszId;
        g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(w(pszId));
        EXPECT_STREQ(pszTip, "copied from G-ONE: check against this aircraft's weighing report");
    }
    EXPECT_EQ(text("FlightVerdict"), "Basic weight and arms not confirmed for this aircraft");
    EXPECT_FALSE(
        zt::reSearch(text("Verdict"), "^Take-off: [^\n]* \u2014 NOT CONFIRMED \\(basic weight and arms copied\\); ")
            .empty())
        << text("Verdict");
}

// The question a commit asks, answered from inside its dialog: a reason
// typed and Return, or Escape where there is none.
struct Answer {
    std::string strReason;
    bool bAsked = false, bOkAtFirst = true, bOkOnceTyped = false;
    std::string strTitle;
};

gboolean answer(gpointer pAnswer)
{
    auto* a = static_cast<Answer*>(pAnswer);
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg)
        return G_SOURCE_CONTINUE;
    a->bAsked = true;
    a->strTitle = gtk_window_get_title(GTK_WINDOW(pdlg));
    GtkWidget* pwgtOk = gtk_dialog_get_widget_for_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK);
    a->bOkAtFirst = gtk_widget_is_sensitive(pwgtOk);
    if (a->strReason.empty()) {
        zt::sendKey(pdlg, GDK_KEY_Escape);
        return G_SOURCE_REMOVE;
    }
    gtk_entry_set_text(GTK_ENTRY(gtk_window_get_focus(GTK_WINDOW(pdlg))), a->strReason.c_str());
    a->bOkOnceTyped = gtk_widget_is_sensitive(pwgtOk);
    zt::sendKey(pdlg, GDK_KEY_Return);
    return G_SOURCE_REMOVE;
}

class Amending : public SetupPage
{
  protected:
    std::string initialConf() const override
    {
        // The fingerprint an earlier Zarv recorded for these figures.
        return "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\nFingerprint=1a0ee123 2026-01-05 10:00:00 +0100\n"
               "[Basic]\nWeight=400\nLongArm=2700\n";
    }
    // Leaves the field being typed in for pszNext, answering what it asks.
    Answer leaveFor(const char* pszNext, const char* pszReason)
    {
        Answer a;
        a.strReason = pszReason;
        const guint nSource = g_timeout_add(10, answer, &a);
        focus(pszNext);
        if (!a.bAsked)
            g_source_remove(nSource);
        // No window manager gives the window the focus back.
        zt::presentAndFocus(m_pwinMain);
        return a;
    }
};

TEST_F(Amending, AReasonAmendsTheRecordAndCancelPutsTheOldValueBack)
{
    const std::string strBefore = text("AircraftFingerprint");
    type("ConfEmptyWeight", "410");
    const Answer a = leaveFor("ConfEmptyLongArm", "reweighed; new floor");
    EXPECT_TRUE(a.bAsked);
    EXPECT_EQ(a.strTitle, "Amend the weighing record?");
    EXPECT_FALSE(a.bOkAtFirst);
    EXPECT_TRUE(a.bOkOnceTyped);
    EXPECT_EQ(confDouble("Basic", "Weight"), 410.0);
    const std::string strLine =
        "Basic (empty) weight " + num("%1.1f", 400) + " kgs \u2192 " + num("%1.1f", 410) + " kgs: reweighed; new floor";
    EXPECT_NE(text("AircraftHistory").find(strLine), std::string::npos) << text("AircraftHistory");
    EXPECT_NE(text("AircraftFingerprint"), strBefore);
    EXPECT_EQ(text("AircraftFingerprint"), "Fingerprint: " + valFingerprint());
    EXPECT_NE(conf().find("Fingerprint=" + valFingerprint() + " "), std::string::npos) << conf();

    type("ConfEmptyLongArm", "2800");
    EXPECT_TRUE(leaveFor("ConfEmptyLatArm", "").bAsked);
    EXPECT_EQ(text("ConfEmptyLongArm"), num("%1.2f", 2700));
    EXPECT_EQ(confDouble("Basic", "LongArm"), 2700.0);
    // A value Zarv does not take is refused: no reason asked, nothing kept.
    type("ConfEmptyWeight", "48");
    EXPECT_EQ(leaveFor("ConfEmptyLongArm", "").strTitle, "The weighing record is not amended");
    EXPECT_EQ(text("ConfEmptyWeight"), num("%1.1f", 410));
    EXPECT_EQ(confDouble("Basic", "Weight"), 410.0);
    EXPECT_EQ(text("AircraftHistory").find('\n'), std::string::npos) << text("AircraftHistory");
}

// An item's weight is amended as a figure is: asked why, kept in the
// history in the pilot's units; cancelled, the item stays as it was.
class AmendingItems : public Amending
{
    std::string initialConf() const override
    {
        return Amending::initialConf() + "[Equipment 1]\nName=Left door\nWeight=5.4\nLongArm=1900\nLatArm=-420\n";
    }
};

TEST_F(AmendingItems, AnItemsWeightAsksWhyAndLandsInTheHistory)
{
    // The item's name follows the basic lateral arm, its weight the name.
    focus("ConfEmptyLatArm");
    key(GDK_KEY_Return);
    key(GDK_KEY_Return);
    GtkWidget* pwgtWeight = gtk_window_get_focus(GTK_WINDOW(m_pwinMain));
    ASSERT_TRUE(GTK_IS_ENTRY(pwgtWeight));
    EXPECT_TRUE(gtk_widget_is_ancestor(pwgtWeight, w("EquipmentItems")));
    EXPECT_EQ(gtk_entry_get_text(GTK_ENTRY(pwgtWeight)), num("%1.1f", 5.4));
    gtk_entry_set_text(GTK_ENTRY(pwgtWeight), "6");
    const Answer a = leaveFor("ConfBallastWeight", "hinges replaced");
    EXPECT_TRUE(a.bAsked);
    EXPECT_EQ(a.strTitle, "Amend the weighing record?");
    EXPECT_EQ(confDouble("Equipment 1", "Weight"), 6.0);
    const std::string strLine =
        "Left door weight " + num("%1.1f", 5.4) + " kgs \u2192 " + num("%1.1f", 6) + " kgs: hinges replaced";
    EXPECT_NE(text("AircraftHistory").find(strLine), std::string::npos) << text("AircraftHistory");

    gtk_widget_grab_focus(pwgtWeight);
    zt::waitUntil([&] { return gtk_window_get_focus(GTK_WINDOW(m_pwinMain)) == pwgtWeight; }, "the item's weight");
    gtk_entry_set_text(GTK_ENTRY(pwgtWeight), "7");
    EXPECT_TRUE(leaveFor("ConfBallastWeight", "").bAsked);
    EXPECT_EQ(confDouble("Equipment 1", "Weight"), 6.0);
    EXPECT_EQ(gtk_entry_get_text(GTK_ENTRY(pwgtWeight)), num("%1.1f", 6));
}

// The aircraft's name and weighing date are amended like its figures.
TEST_F(Amending, TheRegistrationAndWeighingDateAskToo)
{
    type("Registration", "");
    EXPECT_TRUE(leaveFor("ConfEmptyWeight", "").bAsked);
    EXPECT_EQ(text("Registration"), "G-ZARV");
    EXPECT_EQ(valGetText(VAL_REGISTRATION), "G-ZARV");
    type("WeighedOn", "2026-12-01");
    EXPECT_TRUE(leaveFor("ConfEmptyWeight", "reweighed").bAsked);
    EXPECT_EQ(valGetText(VAL_WEIGHED), "2026-12-01");
    EXPECT_NE(text("AircraftHistory").find("Reweighed on "), std::string::npos) << text("AircraftHistory");
}

// The hover charts imported through the dialog's file chooser, then saved
// as an amendment: the question answered once it is the one shown.
struct HoverImport {
    std::string strCsv;
    Answer a;
    bool bImported = false, bOpened = false;
    guint nChooser = 0, nAnswer = 0;
};

gboolean answerAmend(gpointer pImport)
{
    auto* pi = static_cast<HoverImport*>(pImport);
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg || g_strcmp0(gtk_window_get_title(GTK_WINDOW(pdlg)), "Amend the weighing record?") != 0)
        return G_SOURCE_CONTINUE;
    pi->nAnswer = 0;
    return answer(&pi->a);
}

gboolean chooseCsv(gpointer pImport)
{
    auto* pi = static_cast<HoverImport*>(pImport);
    GtkWidget* pdlg = zt::shownDialog();
    if (!GTK_IS_FILE_CHOOSER(pdlg))
        return G_SOURCE_CONTINUE;
    g_autofree gchar* pszChosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(pdlg));
    if (g_strcmp0(pszChosen, pi->strCsv.c_str()) != 0) {
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(pdlg), pi->strCsv.c_str());
        return G_SOURCE_CONTINUE; // the chooser takes it once its folder is read
    }
    pi->nChooser = 0;
    gtk_dialog_response(GTK_DIALOG(pdlg), GTK_RESPONSE_ACCEPT);
    return G_SOURCE_REMOVE;
}

gboolean importAndSave(gpointer pImport)
{
    auto* pi = static_cast<HoverImport*>(pImport);
    GtkWidget* pdlg = zt::shownDialog();
    if (!pdlg || g_strcmp0(gtk_widget_get_name(pdlg), "HoverChartsDialog") != 0)
        return G_SOURCE_CONTINUE;
    pi->bOpened = true;
    pi->nChooser = g_timeout_add(10, chooseCsv, pi);
    gtk_button_clicked(GTK_BUTTON(zt::named(pdlg, "HoverImport")));
    if (pi->nChooser)
        g_source_remove(pi->nChooser); // the chooser never came
    GtkGrid* pgrid = GTK_GRID(zt::named(pdlg, "HoverIGE"));
    pi->bImported = g_strcmp0(gtk_entry_get_text(GTK_ENTRY(gtk_grid_get_child_at(pgrid, 2, 3))), "8000") == 0;
    pi->nAnswer = g_timeout_add(10, answerAmend, pi);
    gtk_button_clicked(GTK_BUTTON(gtk_dialog_get_widget_for_response(GTK_DIALOG(pdlg), GTK_RESPONSE_OK)));
    return G_SOURCE_REMOVE;
}

// An aircraft whose out-of-ground-effect chart was typed before.
class AmendingHover : public Amending
{
    std::string initialConf() const override
    {
        return Amending::initialConf() + "[Hover OGE]\nLine 1=0; 500 9000; 700 4000\nLine 2=40; 500 7000; 700 500\n";
    }
};

// A file of the in-ground-effect chart alone leaves the other as it was.
TEST_F(AmendingHover, HoverChartsImportedAreAmendedWithAReason)
{
    HoverImport hi;
    hi.strCsv = m_dir / "charts.csv";
    hi.a.strReason = "charts from the manual, rev 3";
    std::string strCsv = "chart,temperature [\u00b0C],weight [kg],pressure altitude [ft]\n";
    for (const char* pszRows : {",0,500,10000\n", ",0,700,5000\n", ",40,500,8000\n", ",40,700,1000\n"})
        strCsv += "IGE" + std::string(pszRows);
    zt::writeFile(hi.strCsv, strCsv);
    const guint nSource = g_timeout_add(10, importAndSave, &hi);
    click("HoverCharts");
    if (!hi.bOpened)
        g_source_remove(nSource); // the dialog never came
    if (hi.nAnswer)
        g_source_remove(hi.nAnswer); // nor the question
    EXPECT_TRUE(hi.bImported);
    EXPECT_TRUE(hi.a.bAsked);
    for (const char* pszChart : {"[Hover IGE]\nLine 1=0; 500 10000; 700 5000\nLine 2=40; 500 8000; 700 1000\n",
                                 "[Hover OGE]\nLine 1=0; 500 9000; 700 4000\nLine 2=40; 500 7000; 700 500\n"})
        EXPECT_NE(conf().find(pszChart), std::string::npos) << conf();
    const std::vector<_prmAmendment> history = figHistory();
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.back().strFigure, "Hover IGE/Line 2");
    EXPECT_EQ(history.back().strReason, "charts from the manual, rev 3");
    EXPECT_NE(text("AircraftHistory").find("charts from the manual, rev 3"), std::string::npos)
        << text("AircraftHistory");
}

} // namespace
