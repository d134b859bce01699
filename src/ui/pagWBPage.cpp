// The loading page: seat weights, fuel and ballast position in; the result
// table in pounds, inches and pound-inches, and the limit indicators, out.
// Handlers store what the pilot changed and then refresh; the display
// functions only show.
#include "ui/pagWBPage.h"
#include "model/date.h"

#include "model/fuel.h"
#include "model/hover.h"
#include "model/limits.h"
#include "model/room.h"
#include "model/texts.h"
#include "model/words.h"
#include "store/aircraft/fleet.h"
#include "store/conf/hovcharts.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "ui/fields.h"
#include "ui/itemChecks.h"
#include "ui/legChoice.h"
#include "ui/misc.h"
#include "ui/pagWBChart.h"
#include "ui/shown.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <string>

namespace
{

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnTripFuelFocusOut(GtkWidget* pwgtTripFuel, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus* pevtWB, gpointer pId);
void pwbOnBallastClicked(GtkButton* pwgtButton, gpointer pUser);
void pwbOnShowBurnOffClicked(GtkButton* pwgtButton, gpointer pUser);
void pwbOnStateChanged(_stateChange nChange);

// The page: its widgets, borrowed from the builder (the written ones bound
// by id and checked at start-up; the optional ones null where an older
// Zarv.ui lacks them), its entries as the table of stored values gives
// them, and what it remembers of what it showed.
struct _pwbPage {
    GtkWidget *m_pwgtWBDrawing, *m_pwgtLSeatWeight, *m_pwgtRSeatWeight, *m_pwgtFuelVolume;
    GtkWidget *m_pwgtBallastNone, *m_pwgtBallastFront, *m_pwgtBallastRear;
    GtkWidget *m_pwgtLeftSeatUnitLabel, *m_pwgtRightSeatUnitLabel, *m_pwgtFuelUnitLabel;
    GtkWidget *m_pwgtLSeatOverWeight, *m_pwgtRSeatOverWeight, *m_pwgtFuelOverFill;
    // The 30 result cells, one per row (basic, left seat, right seat, fuel,
    // ballast, total) and column.
    GtkWidget *m_pwgtCalBasicWt, *m_pwgtCalLSeatWt, *m_pwgtCalRSeatWt, *m_pwgtCalFuelWt, *m_pwgtCalBallastWt,
        *m_pwgtCalTotalWt;
    GtkWidget *m_pwgtBasicLongArm, *m_pwgtLSeatLongArm, *m_pwgtRSeatLongArm, *m_pwgtFuelLongArm, *m_pwgtBallastLongArm,
        *m_pwgtTotalLongArm;
    GtkWidget *m_pwgtBasicLongMoment, *m_pwgtLSeatLongMoment, *m_pwgtRSeatLongMoment, *m_pwgtFuelLongMoment,
        *m_pwgtBallastLongMoment, *m_pwgtTotalLongMoment;
    GtkWidget *m_pwgtBasicLatArm, *m_pwgtLSeatLatArm, *m_pwgtRSeatLatArm, *m_pwgtFuelLatArm, *m_pwgtBallastLatArm,
        *m_pwgtTotalLatArm;
    GtkWidget *m_pwgtBasicLatMoment, *m_pwgtLSeatLatMoment, *m_pwgtRSeatLatMoment, *m_pwgtFuelLatMoment,
        *m_pwgtBallastLatMoment, *m_pwgtTotalLatMoment;
    // Fuel planning: the zero-fuel row, its reason, the fuel allowed, the
    // ballast advice and the burn-off choice.
    GtkWidget *m_pwgtNoFuelWt, *m_pwgtNoFuelLongArm, *m_pwgtNoFuelLatArm;
    GtkWidget *m_pwgtNoFuelReason, *m_pwgtFuelAllowed, *m_pwgtBallastAdvice, *m_pwgtShowBurnOff;
    // The verdict on each point in words, which aircraft is loaded, and the
    // one verdict on the flight.
    GtkWidget *m_pwgtVerdict, *m_pwgtLoadingAircraft, *m_pwgtFlightVerdict;
    // Where to begin, while the aircraft has no basic weight; that the
    // aircraft is due to be reweighed; that its figures were changed
    // outside Zarv.
    GtkWidget *m_pwgtFirstStart, *m_pwgtWeighingDue, *m_pwgtFiguresChanged;
    // The room the zero-fuel row's reason keeps while it is hidden.
    GtkWidget* m_pwgtNoFuelReasonRoom;
    // Where Zarv.ui gives it, the room the verdict on each point scrolls in
    // beyond its most lines, so a long one never pushes the window off the
    // screen.
    GtkWidget* m_pwgtVerdictRoom;
    // The fuel density in use, and the landing point.
    GtkWidget *m_pwgtFuelDensityInUse, *m_pwgtLandingWt, *m_pwgtLandingLongArm, *m_pwgtLandingLatArm;
    // The result table's row of the removable items' change, shown while an
    // item differs from the weighing: its caption and its five cells.
    // What the shown leg needs by the fuel rule, where Zarv.ui has it.
    GtkWidget* m_pwgtFuelNeeded;
    GtkWidget *m_pwgtEquipmentCaption, *m_pwgtEquipmentWt, *m_pwgtEquipmentLongArm, *m_pwgtEquipmentLongMoment,
        *m_pwgtEquipmentLatArm, *m_pwgtEquipmentLatMoment;
    // What still fits at each station of the leg shown, and the limit that
    // binds first.
    GtkWidget* m_pwgtStillFits;
    // The conditions at the leg's take-off and landing sites, the hover
    // there, and the room the hover keeps while it has nothing to say.
    GtkWidget *m_pwgtHoverConditions, *m_pwgtHoverVerdict, *m_pwgtHoverVerdictRoom;
    // The take-off conditions' tooltips as Zarv.ui has them: a later leg's
    // say where they come from instead.
    std::array<std::string, 3> strTakeOffTips;
    // The entries and unit labels of the loading's values, and the page's
    // walk.
    _fldPage fields = {.nOwner = PRM_OF_LOADING};
    // Whether the trip is flagged by the page; the page's own flag on the
    // fuel entry ("" for none); the indicators' texts and the window's
    // title as Zarv.ui has them.
    bool bFlaggedTrip;
    std::string strFuelFlag, strSeatLimit, strTankLimit, strOwnTitle;
    // The leg shown last, and how many there were: another leg's flags go
    // with it.
    size_t nShownLeg, nLegs;
};
_pwbPage m_wb = {};

// Every object of the page, bound by id and checked by class at start-up.
// The 30 cells come last (from FIRST_CELL), column by column, each from the
// basic row down to the total.
constexpr size_t FIRST_CELL = 13;
const std::array<_mscBinding, 43> m_bindings = {{
    {"WBDrawing", gtk_drawing_area_get_type, &m_wb.m_pwgtWBDrawing},
    {"LeftSeatWeight", gtk_entry_get_type, &m_wb.m_pwgtLSeatWeight},
    {"RightSeatWeight", gtk_entry_get_type, &m_wb.m_pwgtRSeatWeight},
    {"FuelVolume", gtk_entry_get_type, &m_wb.m_pwgtFuelVolume},
    {"BallastNone", gtk_radio_button_get_type, &m_wb.m_pwgtBallastNone},
    {"BallastFront", gtk_radio_button_get_type, &m_wb.m_pwgtBallastFront},
    {"BallastRear", gtk_radio_button_get_type, &m_wb.m_pwgtBallastRear},
    {"LeftSeatUnits", gtk_label_get_type, &m_wb.m_pwgtLeftSeatUnitLabel},
    {"RightSeatUnits", gtk_label_get_type, &m_wb.m_pwgtRightSeatUnitLabel},
    {"FuelUnits", gtk_label_get_type, &m_wb.m_pwgtFuelUnitLabel},
    {"LSeatOverWeight", gtk_label_get_type, &m_wb.m_pwgtLSeatOverWeight},
    {"RSeatOverWeight", gtk_label_get_type, &m_wb.m_pwgtRSeatOverWeight},
    {"FuelOverFill", gtk_label_get_type, &m_wb.m_pwgtFuelOverFill},
    {"CalBasicWt", gtk_label_get_type, &m_wb.m_pwgtCalBasicWt},
    {"CalLSeatWt", gtk_label_get_type, &m_wb.m_pwgtCalLSeatWt},
    {"CalRSeatWt", gtk_label_get_type, &m_wb.m_pwgtCalRSeatWt},
    {"CalFuelWt", gtk_label_get_type, &m_wb.m_pwgtCalFuelWt},
    {"CalBallastWt", gtk_label_get_type, &m_wb.m_pwgtCalBallastWt},
    {"CalTotalWt", gtk_label_get_type, &m_wb.m_pwgtCalTotalWt},
    {"BasicLongArm", gtk_label_get_type, &m_wb.m_pwgtBasicLongArm},
    {"LSeatLongArm", gtk_label_get_type, &m_wb.m_pwgtLSeatLongArm},
    {"RSeatLongArm", gtk_label_get_type, &m_wb.m_pwgtRSeatLongArm},
    {"FuelLongArm", gtk_label_get_type, &m_wb.m_pwgtFuelLongArm},
    {"BallastLongArm", gtk_label_get_type, &m_wb.m_pwgtBallastLongArm},
    {"TotalLongArm", gtk_label_get_type, &m_wb.m_pwgtTotalLongArm},
    {"BasicLongMoment", gtk_label_get_type, &m_wb.m_pwgtBasicLongMoment},
    {"LSeatLongMoment", gtk_label_get_type, &m_wb.m_pwgtLSeatLongMoment},
    {"RSeatLongMoment", gtk_label_get_type, &m_wb.m_pwgtRSeatLongMoment},
    {"FuelLongMoment", gtk_label_get_type, &m_wb.m_pwgtFuelLongMoment},
    {"BallastLongMoment", gtk_label_get_type, &m_wb.m_pwgtBallastLongMoment},
    {"TotalLongMoment", gtk_label_get_type, &m_wb.m_pwgtTotalLongMoment},
    {"BasicLatArm", gtk_label_get_type, &m_wb.m_pwgtBasicLatArm},
    {"LSeatLatArm", gtk_label_get_type, &m_wb.m_pwgtLSeatLatArm},
    {"RSeatLatArm", gtk_label_get_type, &m_wb.m_pwgtRSeatLatArm},
    {"FuelLatArm", gtk_label_get_type, &m_wb.m_pwgtFuelLatArm},
    {"BallastLatArm", gtk_label_get_type, &m_wb.m_pwgtBallastLatArm},
    {"TotalLatArm", gtk_label_get_type, &m_wb.m_pwgtTotalLatArm},
    {"BasicLatMoment", gtk_label_get_type, &m_wb.m_pwgtBasicLatMoment},
    {"LSeatLatMoment", gtk_label_get_type, &m_wb.m_pwgtLSeatLatMoment},
    {"RSeatLatMoment", gtk_label_get_type, &m_wb.m_pwgtRSeatLatMoment},
    {"FuelLatMoment", gtk_label_get_type, &m_wb.m_pwgtFuelLatMoment},
    {"BallastLatMoment", gtk_label_get_type, &m_wb.m_pwgtBallastLatMoment},
    {"TotalLatMoment", gtk_label_get_type, &m_wb.m_pwgtTotalLatMoment},
}};

// Objects an older Zarv.ui does not have: the page runs as before without
// them.
const std::array<_mscBinding, 17> m_optional = {{
    {"NoFuelWt", gtk_label_get_type, &m_wb.m_pwgtNoFuelWt},
    {"NoFuelLongArm", gtk_label_get_type, &m_wb.m_pwgtNoFuelLongArm},
    {"NoFuelLatArm", gtk_label_get_type, &m_wb.m_pwgtNoFuelLatArm},
    {"NoFuelReason", gtk_label_get_type, &m_wb.m_pwgtNoFuelReason},
    {"FuelAllowed", gtk_label_get_type, &m_wb.m_pwgtFuelAllowed},
    {"BallastAdvice", gtk_label_get_type, &m_wb.m_pwgtBallastAdvice},
    {"ShowBurnOff", gtk_check_button_get_type, &m_wb.m_pwgtShowBurnOff},
    {"Verdict", gtk_label_get_type, &m_wb.m_pwgtVerdict},
    {"LoadingAircraft", gtk_label_get_type, &m_wb.m_pwgtLoadingAircraft},
    {"FirstStart", gtk_label_get_type, &m_wb.m_pwgtFirstStart},
    {"FuelDensityInUse", gtk_label_get_type, &m_wb.m_pwgtFuelDensityInUse},
    {"LandingWt", gtk_label_get_type, &m_wb.m_pwgtLandingWt},
    {"LandingLongArm", gtk_label_get_type, &m_wb.m_pwgtLandingLongArm},
    {"LandingLatArm", gtk_label_get_type, &m_wb.m_pwgtLandingLatArm},
    {"FlightVerdict", gtk_label_get_type, &m_wb.m_pwgtFlightVerdict},
    {"WeighingDue", gtk_label_get_type, &m_wb.m_pwgtWeighingDue},
    {"FuelNeeded", gtk_label_get_type, &m_wb.m_pwgtFuelNeeded},
}};

// The cells of the items' row, as the other rows' are ordered.
const std::array<_mscBinding, 5> m_equipment = {{
    {"EquipmentWt", gtk_label_get_type, &m_wb.m_pwgtEquipmentWt},
    {"EquipmentLongArm", gtk_label_get_type, &m_wb.m_pwgtEquipmentLongArm},
    {"EquipmentLongMoment", gtk_label_get_type, &m_wb.m_pwgtEquipmentLongMoment},
    {"EquipmentLatArm", gtk_label_get_type, &m_wb.m_pwgtEquipmentLatArm},
    {"EquipmentLatMoment", gtk_label_get_type, &m_wb.m_pwgtEquipmentLatMoment},
}};

// A site's conditions, take-off then landing: a later leg's take-off is
// where the leg before it landed.
constexpr std::array<_prmValueId, 3> TAKE_OFF_SITE = {VAL_FROM_ELEVATION, VAL_FROM_QNH, VAL_FROM_OAT};
constexpr std::array<_prmValueId, 6> SITES = {VAL_FROM_ELEVATION, VAL_FROM_QNH, VAL_FROM_OAT,
                                              VAL_TO_ELEVATION,   VAL_TO_QNH,   VAL_TO_OAT};

// The words that change as the pilot types each keep a room of so many
// lines, so that nothing below them moves under the mouse. A text longer
// than its room is cut short at the end of a paragraph's last line (each
// paragraph has an equal share of the room), whole in the tooltip; the
// verdict on the flight is never cut, and only grows past its room when it
// must. A width in characters (0: the room's own)
// keeps a label's wrapping from following what it says.
struct _pwbRoom {
    GtkWidget* _pwbPage::*ppwgt;
    int nLines;
    bool bCut;
    int nChars;
    // The box that keeps the room while the label is hidden, where it has
    // one.
    GtkWidget* _pwbPage::*ppwgtKeep = nullptr;
};
constexpr bool NEVER_CUT = false, CUT = true;
constexpr int HOVER_LINES = 6;
constexpr std::array<_pwbRoom, 8> ROOMS = {{
    {&_pwbPage::m_pwgtFlightVerdict, 3, NEVER_CUT, 0},
    // Take-off, landing and no fuel, two lines each at the least; never
    // cut, for it holds the margins (it grows into the chart, and scrolls
    // beyond twice its lines where Zarv.ui gives it a room).
    {&_pwbPage::m_pwgtVerdict, 6, NEVER_CUT, 0},
    // The hover at take-off and landing, three lines each, scrolled with
    // the verdict on each point: never cut, for its figures come last.
    {&_pwbPage::m_pwgtHoverVerdict, HOVER_LINES, NEVER_CUT, 0, &_pwbPage::m_pwgtHoverVerdictRoom},
    // The fuel allowed, the trip, the reason and remedy where nothing flies
    // and the first take-off of a flight of legs.
    {&_pwbPage::m_pwgtFuelAllowed, 8, CUT, 48},
    {&_pwbPage::m_pwgtBallastAdvice, 1, CUT, 30},
    {&_pwbPage::m_pwgtNoFuelReason, 1, CUT, 0, &_pwbPage::m_pwgtNoFuelReasonRoom},
    // What the leg needs by the fuel rule, in its parts.
    {&_pwbPage::m_pwgtFuelNeeded, 2, CUT, 60},
    // Four stations and the limit that binds first, on a later leg: lines
    // lent by the fuel advice's room (roomLines).
    {&_pwbPage::m_pwgtStillFits, 2, CUT, 60},
}};

// A room's lines: the fuel advice lends the room left its lines where
// Zarv.ui has it, so the page is no higher than before.
int roomLines(const _pwbRoom& r)
{
    // An aircraft with hover charts has the verdict say more: its room is
    // higher while they stand, so that the chart below does not move as
    // a site's conditions are typed.
    constexpr int HOVER_VERDICT_LINES = 2;
    if (r.ppwgt == &_pwbPage::m_pwgtFlightVerdict && m_wb.m_pwgtHoverVerdictRoom &&
        gtk_widget_get_visible(m_wb.m_pwgtHoverVerdictRoom))
        return r.nLines + HOVER_VERDICT_LINES;
    if (r.ppwgt == &_pwbPage::m_pwgtFuelAllowed && m_wb.m_pwgtStillFits)
        return r.nLines - ROOMS.back().nLines;
    return r.nLines;
}

// A label cut short shows its whole text (and its own tooltip after it).
gboolean pwbOnRoomQueryTooltip(GtkWidget* pwgtLabel, gint, gint, gboolean, GtkTooltip* ptip, gpointer)
{
    if (!pango_layout_is_ellipsized(gtk_label_get_layout(GTK_LABEL(pwgtLabel))))
        return FALSE;
    std::string strTip = gtk_label_get_text(GTK_LABEL(pwgtLabel));
    if (g_autofree gchar* pszOwn = gtk_widget_get_tooltip_text(pwgtLabel))
        strTip += std::string("\n\n") + pszOwn;
    gtk_tooltip_set_text(ptip, strTip.c_str());
    return TRUE;
}

// Each paragraph of a room's text (pRoom) an equal share of its lines.
void pwbOnRoomTextChanged(GObject* pobjLabel, GParamSpec*, gpointer pRoom)
{
    const std::string str = gtk_label_get_label(GTK_LABEL(pobjLabel));
    const int nParagraphs = 1 + static_cast<int>(std::count(str.begin(), str.end(), '\n'));
    const int nLines = std::max(1, roomLines(*static_cast<const _pwbRoom*>(pRoom)) / nParagraphs);
    if (gtk_label_get_lines(GTK_LABEL(pobjLabel)) != nLines)
        gtk_label_set_lines(GTK_LABEL(pobjLabel), nLines);
}

// The height of nLines lines in the label's own font.
int linesHeight(GtkWidget* pwgtLabel, int nLines)
{
    std::string str = "Xg";
    for (int n = 1; n < nLines; n++)
        str += "\nXg";
    g_autoptr(PangoLayout) playout = gtk_widget_create_pango_layout(pwgtLabel, str.c_str());
    pango_layout_set_attributes(playout, gtk_label_get_attributes(GTK_LABEL(pwgtLabel)));
    int nHeight = 0;
    pango_layout_get_pixel_size(playout, nullptr, &nHeight);
    return nHeight;
}

// Each room is as high as its lines in the font of the day: measured again
// when the theme or the font changes.
void pwbOnRoomStyleUpdated(GtkWidget*, gpointer)
{
    for (const _pwbRoom& r : ROOMS) {
        GtkWidget* pwgtLabel = m_wb.*r.ppwgt;
        if (!pwgtLabel)
            continue;
        // A label hidden while it has nothing to say keeps its room in the
        // box around it.
        GtkWidget* pwgtRoom = r.ppwgtKeep && m_wb.*r.ppwgtKeep ? m_wb.*r.ppwgtKeep : pwgtLabel;
        gtk_widget_set_size_request(pwgtRoom, -1, linesHeight(pwgtLabel, roomLines(r)));
        if (pwgtLabel == m_wb.m_pwgtVerdict && m_wb.m_pwgtVerdictRoom) {
            GtkScrolledWindow* pscroll = GTK_SCROLLED_WINDOW(m_wb.m_pwgtVerdictRoom);
            gtk_scrolled_window_set_min_content_height(pscroll, linesHeight(pwgtLabel, r.nLines));
            // The hover's room, where it stands, scrolls with it and is
            // never what makes it scroll.
            const bool bHover = m_wb.m_pwgtHoverVerdictRoom && gtk_widget_get_visible(m_wb.m_pwgtHoverVerdictRoom);
            gtk_scrolled_window_set_max_content_height(
                pscroll, linesHeight(pwgtLabel, 2 * r.nLines + (bHover ? HOVER_LINES : 0)));
        }
    }
}

void holdRooms(void)
{
    for (const _pwbRoom& r : ROOMS) {
        GtkWidget* pwgtLabel = m_wb.*r.ppwgt;
        if (!pwgtLabel)
            continue;
        GtkLabel* plabel = GTK_LABEL(pwgtLabel);
        gtk_widget_set_valign(pwgtLabel, GTK_ALIGN_START);
        gtk_label_set_yalign(plabel, 0.0);
        if (r.nChars > 0) {
            gtk_widget_set_halign(pwgtLabel, GTK_ALIGN_START);
            gtk_label_set_width_chars(plabel, r.nChars);
            gtk_label_set_max_width_chars(plabel, r.nChars);
        }
        if (r.bCut) {
            gtk_label_set_ellipsize(plabel, PANGO_ELLIPSIZE_END);
            if (r.nLines > 1) {
                gtk_label_set_line_wrap(plabel, TRUE);
                g_signal_connect(pwgtLabel, "notify::label", G_CALLBACK(pwbOnRoomTextChanged),
                                 const_cast<_pwbRoom*>(&r));
                pwbOnRoomTextChanged(G_OBJECT(pwgtLabel), nullptr, const_cast<_pwbRoom*>(&r));
            }
            gtk_widget_set_has_tooltip(pwgtLabel, TRUE);
            g_signal_connect(pwgtLabel, "query-tooltip", G_CALLBACK(pwbOnRoomQueryTooltip), nullptr);
        }
        g_signal_connect(pwgtLabel, "style-updated", G_CALLBACK(pwbOnRoomStyleUpdated), nullptr);
    }
    pwbOnRoomStyleUpdated(nullptr, nullptr);
}

// A cell is at most this wide; a longer text (a huge value) is cut short
// with an ellipsis, whole in the cell's tooltip, and never widens the window.
constexpr int MAX_CELL_CHARS = 16;

void setLabelValue(GtkWidget* pwgtLabel, const std::string& strText)
{
    // The same text again (start-up refreshes the page twice) costs no new
    // layout.
    if (strText == gtk_label_get_label(GTK_LABEL(pwgtLabel)))
        return;
    gtk_label_set_markup(GTK_LABEL(pwgtLabel), strText.c_str());
    const bool bLong = g_utf8_strlen(strText.c_str(), -1) > MAX_CELL_CHARS;
    gtk_widget_set_tooltip_text(pwgtLabel, bLong ? strText.c_str() : nullptr);
}

// Every result cell ellipsizes what does not fit.
void boundCells(void)
{
    auto bound = [](GtkWidget* pwgt) {
        gtk_label_set_ellipsize(GTK_LABEL(pwgt), PANGO_ELLIPSIZE_END);
        gtk_label_set_max_width_chars(GTK_LABEL(pwgt), MAX_CELL_CHARS);
    };
    for (const _mscBinding& b : std::span(m_bindings).subspan(FIRST_CELL))
        bound(*b.ppwgt);
    for (GtkWidget* pwgt : {m_wb.m_pwgtNoFuelWt, m_wb.m_pwgtNoFuelLongArm, m_wb.m_pwgtNoFuelLatArm,
                            m_wb.m_pwgtLandingWt, m_wb.m_pwgtLandingLongArm, m_wb.m_pwgtLandingLatArm})
        if (pwgt)
            bound(pwgt);
    for (const _mscBinding& b : m_equipment)
        if (*b.ppwgt)
            bound(*b.ppwgt);
}

void pwbDisplayWeightValue(GtkWidget* pwgtTotal, double nValue)
{
    setLabelValue(pwgtTotal, pwbWeightText(nValue));
}

void pwbDisplayArmValue(GtkWidget* pwgtArm, double nValue)
{
    setLabelValue(pwgtArm, pwbArmText(nValue));
}

void pwbDisplayMomentValue(GtkWidget* pwgtMoment, double nValue)
{
    setLabelValue(pwgtMoment, pwbMomentText(nValue));
}

void colourTotal(GtkWidget* pwgtCell, bool bBeyond)
{
    gtk_label_set_attributes(GTK_LABEL(pwgtCell), bBeyond ? m_pattrBoldRed : m_pattrBoldBlue);
}

// Another leg shown (or the legs changed under it): the flags of what was
// typed for the leg before go, and the leg's own doubts flag its fields
// anew.
void dropLegFlags(void)
{
    if (stateShownLeg() == m_wb.nShownLeg && stateLegs().size() == m_wb.nLegs)
        return;
    m_wb.nShownLeg = stateShownLeg();
    m_wb.nLegs = stateLegs().size();
    for (GtkWidget* pwgt : m_wb.fields.entries)
        if (pwgt)
            mscFlagEntry(pwgt, "");
    m_wb.strFuelFlag.clear();
    m_wb.bFlaggedTrip = false;
}

// A later leg takes off where the leg before it landed: its take-off
// conditions are that landing's, shown here and typed there. A flag on an
// entry keeps its own words.
void showTakeOffSite(void)
{
    const size_t nShown = stateShownLeg();
    const std::string strWhere = "Where leg " + std::to_string(nShown) + " landed: type its landing conditions there";
    for (size_t n = 0; n < TAKE_OFF_SITE.size(); n++) {
        GtkWidget* pwgt = m_wb.fields.entries[TAKE_OFF_SITE[n]];
        if (!pwgt)
            continue;
        gtk_widget_set_sensitive(pwgt, nShown == 0);
        if (!gtk_style_context_has_class(gtk_widget_get_style_context(pwgt), GTK_STYLE_CLASS_ERROR))
            gtk_widget_set_tooltip_text(pwgt, nShown == 0 ? m_wb.strTakeOffTips[n].c_str() : strWhere.c_str());
    }
}

// Shows the entries, the ballast choice and the indicators of the flight f
// of the loading l.
void pwbUpdateInputDisplay(const _wbLoadState& l, const _wbFlight& f)
{
    dropLegFlags();
    fldShowNumbers(m_wb.fields);
    showTakeOffSite();

    // Showing the choice is no choice of the pilot's: the handler stays out.
    GtkWidget* pwgtBallast = l.nBallastPosn == BALLAST_FRONT  ? m_wb.m_pwgtBallastFront
                             : l.nBallastPosn == BALLAST_REAR ? m_wb.m_pwgtBallastRear
                                                              : m_wb.m_pwgtBallastNone;
    mscShowChoice({m_wb.m_pwgtBallastNone, m_wb.m_pwgtBallastFront, m_wb.m_pwgtBallastRear}, pwgtBallast,
                  pwbOnBallastClicked);

    if (m_wb.m_pwgtShowBurnOff)
        mscShowChoice({m_wb.m_pwgtShowBurnOff}, m_wb.m_pwgtShowBurnOff, pwbOnShowBurnOffClicked, l.bShowBurnOff);

    if (m_wb.fields.entries[VAL_TRIP]) {
        // A trip below nothing (or no number) and one longer than the fuel
        // on board are flagged for as long as they are; a flag for a text not
        // read cleanly stays until the next commit.
        const char* pszTrip = calcTripOf(l.nTripFuel) != l.nTripFuel
                                  ? "A trip below nothing cannot be right: nothing is judged until it is corrected."
                              : l.nTripFuel > l.nFuelVolume ? "The trip is more fuel than there is on board."
                                                            : nullptr;
        if (pszTrip)
            mscFlagEntry(m_wb.fields.entries[VAL_TRIP], pszTrip);
        else if (m_wb.bFlaggedTrip)
            mscFlagEntry(m_wb.fields.entries[VAL_TRIP], "");
        m_wb.bFlaggedTrip = pszTrip != nullptr;
    }
    if (m_wb.m_pwgtFuelDensityInUse)
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtFuelDensityInUse),
                           ("Fuel weighs " +
                            txtFixed(unitToShown(KIND_DENSITY, unitFuelDensity(m_wbSetup), m_wbSetup), 3) + " " +
                            unitSymbols(m_wbSetup).pszWeight + "/" + unitSymbols(m_wbSetup).pszFuel)
                               .c_str());

    const _wbJudgement& j = f.judged[POINT_TAKE_OFF];
    // Beyond, a limit in the pilot's unit takes the digits that tell it from
    // the field's own figure: no "over the 17.0 US gal tank" beside a field
    // showing 17.0.
    auto flag = [&](GtkWidget* pwgtFlag, _wbLimit nLimit, bool bWritten, const std::string& strWritten,
                    const char* pszWhat) {
        gtk_widget_set_visible(pwgtFlag, j.beyond(nLimit));
        if (j.beyond(nLimit) && !bWritten)
            gtk_label_set_text(
                GTK_LABEL(pwgtFlag),
                ("Over the " + wrdLimitTextBeyond(nLimit, -j.limits[nLimit].nMargin, m_wbSetup) + pszWhat).c_str());
        else if (j.beyond(nLimit))
            gtk_label_set_text(GTK_LABEL(pwgtFlag), strWritten.c_str());
    };
    flag(m_wb.m_pwgtLSeatOverWeight, LIMIT_LSEAT, m_wbSetup.nUnitWt == UNIT_WT_LB, m_wb.strSeatLimit, " seat limit");
    flag(m_wb.m_pwgtRSeatOverWeight, LIMIT_RSEAT, m_wbSetup.nUnitWt == UNIT_WT_LB, m_wb.strSeatLimit, " seat limit");
    flag(m_wb.m_pwgtFuelOverFill, LIMIT_TANK, m_wbSetup.nUnitFuel == UNIT_FUEL_LITRE, m_wb.strTankLimit,
         " tank capacity");
}

void pwbUpdateUnitLabels(void)
{
    // (The seat and tank flags give their limits in the pilot's unit as
    // they show: pwbUpdateInputDisplay.)
    fldShowUnits(m_wb.fields);
}

// Colours the weight and arm cells of a point red beyond a limit of what
// they show, blue within, by the flight's judgement of the point: a value
// on a limit is within it, no number is beyond nothing (blue), an infinity
// beyond (red).
void colourPoint(GtkWidget* pwgtWeight, GtkWidget* pwgtLongArm, GtkWidget* pwgtLatArm, const _wbJudgement& j)
{
    // A limit colours the cell of the way it reports a point beyond it; the
    // loading's own limits colour none.
    bool bWeight = false, bLongArm = false, bLatArm = false;
    for (const _limRow& r : LIM_ROWS) {
        if (!j.beyond(r.nId))
            continue;
        bWeight = bWeight || r.nBeyond == BEYOND_WEIGHT;
        bLongArm = bLongArm || r.nBeyond == BEYOND_FORWARD || r.nBeyond == BEYOND_AFT;
        bLatArm = bLatArm || r.nBeyond == BEYOND_LATERAL;
    }
    colourTotal(pwgtWeight, bWeight);
    colourTotal(pwgtLongArm, bLongArm);
    colourTotal(pwgtLatArm, bLatArm);
}

// The items' row where Zarv.ui has it, shown only while an item differs
// from the weighing; a change that weighs nothing has no arm.
void showEquipmentRow(const _wbFlight& f)
{
    for (const _mscBinding& b : m_equipment)
        if (!*b.ppwgt)
            return;
    const _wbTableRow& r = f.rows[ROW_EQUIPMENT];
    const bool bShown = f.loading.items.nDiffering > 0;
    pwbDisplayWeightValue(m_wb.m_pwgtEquipmentWt, r.nWeight);
    pwbDisplayMomentValue(m_wb.m_pwgtEquipmentLongMoment, r.nLongMoment);
    pwbDisplayMomentValue(m_wb.m_pwgtEquipmentLatMoment, r.nLatMoment);
    for (auto [pwgt, nArm] :
         {std::pair{m_wb.m_pwgtEquipmentLongArm, r.nLongArm}, {m_wb.m_pwgtEquipmentLatArm, r.nLatArm}})
        if (r.nWeight != 0)
            pwbDisplayArmValue(pwgt, nArm);
        else
            setLabelValue(pwgt, "");
    for (const _mscBinding& b : m_equipment)
        gtk_widget_set_visible(*b.ppwgt, bShown);
    if (m_wb.m_pwgtEquipmentCaption)
        gtk_widget_set_visible(m_wb.m_pwgtEquipmentCaption, bShown);
}

// Fills the result table from the flight's take-off.
void pwbUpdateTotalsDisplay(const _wbFlight& f)
{
    // The cells are bound column by column, each from the basic row down;
    // the items' row has optional cells of its own.
    constexpr std::array<_wbRow, 6> cells = {ROW_BASIC, ROW_LSEAT, ROW_RSEAT, ROW_FUEL, ROW_BALLAST, ROW_TOTAL};
    for (size_t iRow = 0; iRow < cells.size(); iRow++) {
        const _wbTableRow& r = f.rows[cells[iRow]];
        auto cell = [&](size_t iCol) { return *m_bindings[FIRST_CELL + iCol * cells.size() + iRow].ppwgt; };
        pwbDisplayWeightValue(cell(0), r.nWeight);
        pwbDisplayArmValue(cell(1), r.nLongArm);
        pwbDisplayMomentValue(cell(2), r.nLongMoment);
        pwbDisplayArmValue(cell(3), r.nLatArm);
        pwbDisplayMomentValue(cell(4), r.nLatMoment);
    }
    colourPoint(m_wb.m_pwgtCalTotalWt, m_wb.m_pwgtTotalLongArm, m_wb.m_pwgtTotalLatArm, f.judged[POINT_TAKE_OFF]);
    showEquipmentRow(f);
}

// Why the zero-fuel point is out of limits, in words ("Forward of the
// limit with the fuel burned"); empty when it is not.
std::string zeroFuelReason(_wbBeyond nBeyond)
{
    std::string str = wrdBeyondWords(nBeyond);
    if (str.empty())
        return str;
    str[0] = static_cast<char>(g_ascii_toupper(str[0]));
    return str + " with the fuel burned";
}

// A point's weight and arms in the pilot's units, where they are not the
// result table's pounds and inches; none from a value that cannot be right.
std::string pointFigures(const _wbFlight& f, _wbFlightPoint nPoint)
{
    if (wrdUnitsWritten(m_wbSetup) || !f.doubts.empty() || f.bNothingEntered ||
        (nPoint == POINT_LANDING && f.bTripOverFuel))
        return {};
    return wrdPointFiguresText(f.points[nPoint], m_wbSetup) + " \u2014 ";
}

// The fuel on board is flagged while it lies outside what the advice
// (strAdvice) allows, once the aircraft has a basic weight, as the trip is
// while it is more than the fuel; a commit's own flag for text not read
// cleanly stands until the next commit. The fuel alone is judged here:
// where the fuel burned puts the loading out, no fuel load is the fault,
// and the advice says so.
void flagFuelOutside(const _wbFlight& f, const std::string& strAdvice, bool bTrip, const _wbFuelNeed& need)
{
    std::string& strShown = m_wb.strFuelFlag;
    const _wbFuelRange range = fuelTripRange(m_wbSetup, f.loading, f.nTrip).takeOff;
    const bool bOutside = bTrip && f.doubts.empty() && m_wbSetup.nBasicWeight > 0 && range.bKnown &&
                          (!range.bAny || f.nFuel < range.nLeast || f.nFuel > range.nMost);
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(m_wb.m_pwgtFuelVolume);
    const bool bFlagged =
        gtk_style_context_has_class(gtk_widget_get_style_context(m_wb.m_pwgtFuelVolume), GTK_STYLE_CLASS_ERROR);
    const bool bMine = bFlagged && pszTip && strShown == pszTip;
    if (bFlagged && !bMine) {
        strShown.clear();
    } else if (bOutside || need.isShort()) {
        // A leg short of what it needs says so first: that is what to mend.
        strShown = need.isShort() ? wrdFuelNeedText(need, m_wbSetup)
                                  : mscOneLine(strAdvice.substr(0, strAdvice.find("\nKeep"))) + ".";
        mscFlagEntry(m_wb.m_pwgtFuelVolume, strShown);
    } else if (bMine) {
        mscFlagEntry(m_wb.m_pwgtFuelVolume, "");
        strShown.clear();
    }
}

void showVerdicts(const _wbFlight& f, const std::vector<_wbFlight>& legs);

// A take-off or landing's hover line, in the flight verdict's red where it
// is not within and bold where it calls for caution.
std::string hoverMarkup(const _hovAt& at, const char* pszPoint)
{
    const std::string str = hovAtText(at, pszPoint, m_wbSetup);
    if (str.empty())
        return str;
    g_autofree gchar* pszText = g_markup_escape_text(str.c_str(), -1);
    switch (hovVerdictOf(at, m_wbSetup.nHoverOge != 0)) {
    case HOV_NOT_WITHIN:
        return std::string("<span weight=\"bold\" foreground=\"#ff0000\">") + pszText + "</span>";
    case HOV_CAUTION:
        return std::string("<span weight=\"bold\" foreground=\"#b35c00\">") + pszText + "</span>";
    case HOV_ENOUGH:
        break;
    }
    return pszText;
}

// The hover at the leg shown's take-off and landing (hover). The site's
// conditions and the line's room stand while the aircraft has a chart, so
// that the page does not move as the conditions are typed; without one
// nothing of hover shows. The line says nothing until a site's conditions
// are given.
void showHover(const _hovLeg& hover)
{
    const bool bCharts = hvcAny(m_wbSetup.hover);
    if (m_wb.m_pwgtHoverConditions)
        gtk_widget_set_visible(m_wb.m_pwgtHoverConditions, bCharts);
    // The walk passes over a hidden entry.
    for (_prmValueId nId : SITES)
        if (GtkWidget* pwgt = m_wb.fields.entries[nId])
            gtk_widget_set_visible(pwgt, bCharts);
    if (m_wb.m_pwgtHoverVerdictRoom && gtk_widget_get_visible(m_wb.m_pwgtHoverVerdictRoom) != bCharts) {
        gtk_widget_set_visible(m_wb.m_pwgtHoverVerdictRoom, bCharts);
        pwbOnRoomStyleUpdated(nullptr, nullptr);
    }
    if (!m_wb.m_pwgtHoverVerdict)
        return;
    const std::string strTakeOff = hoverMarkup(hover.takeOff, "take-off");
    const std::string strLanding = hoverMarkup(hover.landing, "landing");
    const std::string strMarkup = strTakeOff + (strTakeOff.empty() || strLanding.empty() ? "" : "\n") + strLanding;
    if (strMarkup != gtk_label_get_label(GTK_LABEL(m_wb.m_pwgtHoverVerdict)))
        gtk_label_set_markup(GTK_LABEL(m_wb.m_pwgtHoverVerdict), strMarkup.c_str());
    gtk_widget_set_visible(m_wb.m_pwgtHoverVerdict, bCharts && !strMarkup.empty());
}

// Each leg's need by the fuel rule: of the flight's legs where there are
// several (legs, judged), else of the one leg f.
std::vector<_wbFuelNeed> needsOf(const _wbFlight& f, const std::vector<_wbFlight>& legs)
{
    if (legs.empty())
        return fuelFlightNeeds(m_wbSetup, {f}, {false});
    std::vector<bool> asLanded;
    for (const _wbLoadState& l : stateLegs())
        asLanded.push_back(l.bFuelAsLanded);
    return fuelFlightNeeds(m_wbSetup, legs, asLanded);
}

// The fuel at the first take-off that keeps every leg to the first stop
// that takes fuel on within, for a flight of several legs (legs, judged)
// whose every value can be judged; "" otherwise.
std::string firstTakeOffText(const std::vector<_wbFlight>& legs, const std::vector<_wbFuelNeed>& needs)
{
    if (legs.size() < 2 || m_wbSetup.nBasicWeight <= 0)
        return {};
    std::vector<_wbLegFuel> fuel;
    for (size_t n = 0; n < legs.size(); n++) {
        if (!legs[n].doubts.empty())
            return {};
        const _wbLoadState& l = stateLegs()[n];
        fuel.push_back({stateLoadingOf(m_wbSetup, l), l.nTripFuel, l.bFuelAsLanded != FALSE});
    }
    return wrdFirstTakeOffText(fuelFirstTakeOff(m_wbSetup, fuel), m_wbSetup, fuel, needs);
}

// What still fits at each station of the leg shown, worked over every leg
// of a flight of several (legs, judged; none for a flight of one).
std::string stillFitsText(const _wbFlight& f, const std::vector<_wbFlight>& legs)
{
    if (legs.empty()) {
        std::vector<_wbLegFuel> fuel = legFuel(m_wbSetup, {f}, {stateLoad()});
        fuel.front().loading = f.loading;
        fuel.front().nTripLitres = f.nTrip;
        return roomText(roomLeft(m_wbSetup, fuel, 0, !f.doubts.empty()), m_wbSetup);
    }
    const bool bDoubted = std::any_of(legs.begin(), legs.end(), [](const _wbFlight& g) { return !g.doubts.empty(); });
    return roomText(roomLeft(m_wbSetup, legFuel(m_wbSetup, legs, stateLegs()), stateShownLeg(), bDoubted), m_wbSetup);
}

// The zero-fuel row, its reason, the fuel allowed and the ballast advice,
// where Zarv.ui has them; legs is every leg of a flight of several, judged
// (none for a flight of one).
void pwbUpdatePlanDisplay(const _wbFlight& f, const std::vector<_wbFlight>& legs)
{
    const _wbPoint& z = f.points[POINT_NO_FUEL];
    // The fuel and ballast plan, worked once for both advices.
    const bool bTrip = m_wb.fields.entries[VAL_TRIP] != nullptr;
    const _wbFuelPlan plan = wrdFuelPlanOf(f, m_wbSetup, bTrip);
    const std::vector<_wbFuelNeed> needs = needsOf(f, legs);
    const size_t nShown = legs.empty() ? 0 : stateShownLeg();
    const _wbFuelNeed need = nShown < needs.size() ? needs[nShown] : _wbFuelNeed{};
    if (m_wb.m_pwgtFuelNeeded) {
        const std::string strNeed = wrdFuelNeedText(need, m_wbSetup);
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtFuelNeeded), strNeed.c_str());
        gtk_label_set_attributes(GTK_LABEL(m_wb.m_pwgtFuelNeeded), need.isShort() ? m_pattrBoldRed : nullptr);
        // Its room stands while the aircraft has a fuel flow, said or not,
        // so that the page does not move as the loading is typed.
        gtk_widget_set_visible(m_wb.m_pwgtFuelNeeded,
                               m_wbSetup.nFuelFlow > 0 && unitPossible(KIND_FLOW, m_wbSetup.nFuelFlow));
    }
    if (m_wb.m_pwgtNoFuelWt && m_wb.m_pwgtNoFuelLongArm && m_wb.m_pwgtNoFuelLatArm) {
        pwbDisplayWeightValue(m_wb.m_pwgtNoFuelWt, z.nWeight);
        pwbDisplayArmValue(m_wb.m_pwgtNoFuelLongArm, z.nLongArm);
        pwbDisplayArmValue(m_wb.m_pwgtNoFuelLatArm, z.nLatArm);
        colourPoint(m_wb.m_pwgtNoFuelWt, m_wb.m_pwgtNoFuelLongArm, m_wb.m_pwgtNoFuelLatArm, f.judged[POINT_NO_FUEL]);
    }
    if (m_wb.m_pwgtNoFuelReason) {
        // Nothing is judged from a value that cannot be right.
        const std::string strReason =
            f.doubts.empty() ? zeroFuelReason(calcBeyondLimit(f.judged[POINT_NO_FUEL])) : std::string();
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtNoFuelReason), strReason.c_str());
        gtk_widget_set_visible(m_wb.m_pwgtNoFuelReason, !strReason.empty());
    }
    if (m_wb.m_pwgtLandingWt && m_wb.m_pwgtLandingLongArm && m_wb.m_pwgtLandingLatArm) {
        const _wbPoint& p = f.points[POINT_LANDING];
        pwbDisplayWeightValue(m_wb.m_pwgtLandingWt, p.nWeight);
        pwbDisplayArmValue(m_wb.m_pwgtLandingLongArm, p.nLongArm);
        pwbDisplayArmValue(m_wb.m_pwgtLandingLatArm, p.nLatArm);
        // Each figure is coloured by its own judgement; without a trip the
        // landing is the take-off's loading, judged as such.
        colourPoint(m_wb.m_pwgtLandingWt, m_wb.m_pwgtLandingLongArm, m_wb.m_pwgtLandingLatArm, f.judged[POINT_LANDING]);
    }
    if (m_wb.m_pwgtFuelAllowed) {
        const std::string strAdvice = wrdFuelAdviceText(f, plan, m_wbSetup, bTrip, need);
        const std::string strFirst = firstTakeOffText(legs, needs);
        // Its lines broken within one paragraph, so its room's lines go to
        // whichever part needs them: the reason where nothing flies is long.
        std::string strText = strAdvice + (strAdvice.empty() || strFirst.empty() ? "" : "\n") + strFirst;
        for (size_t nAt = 0; (nAt = strText.find('\n', nAt)) != std::string::npos;)
            strText.replace(nAt, 1, "\u2028");
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtFuelAllowed), strText.c_str());
        flagFuelOutside(f, strAdvice, bTrip, need);
    }
    if (m_wb.m_pwgtStillFits)
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtStillFits), stillFitsText(f, legs).c_str());
    if (m_wb.m_pwgtFirstStart)
        gtk_widget_set_visible(m_wb.m_pwgtFirstStart, m_wbSetup.nBasicWeight == 0);
    if (m_wb.m_pwgtWeighingDue) {
        GDate today;
        g_date_clear(&today, 1);
        g_date_set_time_t(&today, time(nullptr));
        const std::string strDue =
            dateWeighingDueText(dateWeighingDue(valGetText(VAL_WEIGHED), today, m_wbSetup.nWeighingMonths));
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtWeighingDue), strDue.c_str());
        gtk_widget_set_visible(m_wb.m_pwgtWeighingDue, !strDue.empty());
    }
    showVerdicts(f, legs);
    if (m_wb.m_pwgtBallastAdvice)
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtBallastAdvice), wrdBallastAdviceText(f, plan, m_wbSetup).c_str());
}

// The one verdict on the flight (of every leg where there are several)
// and the verdict on each point of the leg shown in words, where Zarv.ui
// has them.
void showVerdicts(const _wbFlight& f, const std::vector<_wbFlight>& legs)
{
    // A leg short of fuel is not to be flown, whatever its mass and
    // balance; nor one that cannot hover where it takes off or lands.
    const _legVerdict v =
        legs.empty() ? legVerdict(m_wbSetup, {f}, {stateLoad()}) : legVerdict(m_wbSetup, legs, stateLegs());
    const size_t nShown = legs.empty() ? 0 : stateShownLeg();
    showHover(nShown < v.hover.size() ? v.hover[nShown] : _hovLeg{});
    if (m_wb.m_pwgtFlightVerdict) {
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtFlightVerdict), v.strVerdict.c_str());
        gtk_label_set_attributes(GTK_LABEL(m_wb.m_pwgtFlightVerdict), v.bWithin ? m_pattrBoldBlue : m_pattrBoldRed);
    }
    if (m_wb.m_pwgtVerdict) {
        constexpr std::array<const char*, POINT_COUNT> names = {"Take-off", "Landing", "No fuel"};
        const _hovLeg hover = nShown < v.hover.size() ? v.hover[nShown] : _hovLeg{};
        const std::array<const _hovAt*, POINT_COUNT> at = {&hover.takeOff, &hover.landing, nullptr};
        std::string strVerdict;
        for (int n = 0; n < POINT_COUNT; n++) {
            const auto nPoint = static_cast<_wbFlightPoint>(n);
            if (!f.hasPoint(nPoint))
                continue;
            // A point not within for hover never reads within.
            const std::string strWords = wrdPointVerdictText(f, nPoint, m_wbSetup);
            strVerdict += (strVerdict.empty() ? "" : "\n") + std::string(names[n]) + ": " + pointFigures(f, nPoint) +
                          (at[n] ? hovPointWords(strWords, *at[n], m_wbSetup.nHoverOge != 0, m_wbSetup) : strWords);
        }
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtVerdict), strVerdict.c_str());
    }
}

void pwbInvalidateChart(void)
{
    if (GdkWindow* pwin = gtk_widget_get_window(m_wb.m_pwgtWBDrawing))
        gdk_window_invalidate_rect(pwin, nullptr, FALSE);
}

// An entry of the page left: its value committed, which the store tells
// every page of once, with the text it could not read. An entry left
// untouched stores nothing and changes nothing.
void commitLoad(GtkWidget* pwgtEntry, _prmValueId nId)
{
    fldCommitEntry(pwgtEntry, nId);
}

// Every number's entry left, by the id it was connected with.
gboolean pwbOnValueFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pId)
{
    commitLoad(pwgt, fldIdOf(pId));
    return FALSE;
}

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtLSeatWeight, pevtWB, pId);
}

gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtRSeatWeight, pevtWB, pId);
}

gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtFuelVolume, pevtWB, pId);
}

gboolean pwbOnTripFuelFocusOut(GtkWidget* pwgtTripFuel, GdkEventFocus* pevtWB, gpointer pId)
{
    return pwbOnValueFocusOut(pwgtTripFuel, pevtWB, pId);
}

void pwbOnBallastClicked(GtkButton*, gpointer)
{
    // The buttons' states decide, never the button that sent the signal:
    // "clicked" comes for the button left as well as the one chosen.
    guint nPosn = BALLAST_NONE;
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_wb.m_pwgtBallastFront)))
        nPosn = BALLAST_FRONT;
    else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_wb.m_pwgtBallastRear)))
        nPosn = BALLAST_REAR;
    valStoreValue(VAL_BALLAST_POSN, nPosn);
}

void pwbOnShowBurnOffClicked(GtkButton* pwgtButton, gpointer)
{
    valStoreValue(VAL_SHOW_BURN_OFF, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgtButton)) ? 1 : 0);
}

// The results of the flight f: the table, the plan, the verdicts and the
// chart.
void showResults(const _wbFlight& f)
{
    pwbUpdateTotalsDisplay(f);
    pwbUpdatePlanDisplay(f, stateLegs().size() > 1 ? legCalcAll() : std::vector<_wbFlight>{});
    pwbInvalidateChart();
}

// The page's widgets gone with their window: the page is told no more. A
// window built before this page's (a test's) takes nothing with it.
void pwbOnDrawingDestroy(GtkWidget* pwgtDrawing, gpointer)
{
    if (pwgtDrawing != m_wb.m_pwgtWBDrawing)
        return;
    stateUnlisten(pwbOnStateChanged);
    m_wb = _pwbPage{};
}

// Told of every change: the page redrawn from the flight Zarv holds, worked
// once.
void pwbOnStateChanged(_stateChange nChange)
{
    if (nChange != STATE_LOADING)
        return pwbUpdateDisplays();
    const _wbFlight f = legCalcShown();
    pwbUpdateInputDisplay(stateLoad(), f);
    ichkShow();
    showResults(f);
}

} // namespace

std::string pwbCellText(const char* pszFormat, double nValue)
{
    if (!std::isfinite(nValue))
        return "\u2013";
    return mscFormatNumber(pszFormat, nValue);
}

std::string pwbWeightText(double nKg)
{
    return pwbCellText("%3.1f", nKg * TABLE_LB_PER_KG);
}

std::string pwbArmText(double nMm)
{
    return pwbCellText("%3.2f", nMm / MM_PER_INCH);
}

std::string pwbMomentText(double nKgMm)
{
    return pwbCellText("%3.2f", nKgMm * TABLE_LBIN_PER_KGMM);
}

std::span<const _mscBinding> pwbBindings(void)
{
    return m_bindings;
}

std::span<const _wgtLUT> pwbWalk(void)
{
    return m_wb.fields.walk;
}

void pwbInit(GtkBuilder* pBuilder)
{
    // The page's choices in its walk with Up, Down and Return; its entries
    // have their places in the table of stored values.
    const _fldStop stops[] = {{40, &m_wb.m_pwgtBallastNone}, {50, &m_wb.m_pwgtBallastFront},
                              {60, &m_wb.m_pwgtBallastRear}, {70, &m_wb.m_pwgtShowBurnOff},
                              {65, ichkWalkFirst()},         {66, ichkWalkLast()}};
    // The entries' handlers by their written names.
    static const _fldHandler named[] = {
        {VAL_LSEAT, G_CALLBACK(pwbOnLSeatWeightFocusOut)},
        {VAL_RSEAT, G_CALLBACK(pwbOnRSeatWeightFocusOut)},
        {VAL_FUEL, G_CALLBACK(pwbOnFuelVolumeFocusOut)},
        {VAL_TRIP, G_CALLBACK(pwbOnTripFuelFocusOut)},
    };

    // A page of its own for each window built.
    m_wb = _pwbPage{};
    mscBindAll(pBuilder, m_bindings);
    mscBindAll(pBuilder, m_optional);
    const std::array<_mscBinding, 1> figures = {
        {{"LoadingFiguresChanged", gtk_label_get_type, &m_wb.m_pwgtFiguresChanged}}};
    mscBindAll(pBuilder, figures);
    const std::array<_mscBinding, 2> room = {{{"NoFuelReasonRoom", gtk_box_get_type, &m_wb.m_pwgtNoFuelReasonRoom},
                                              {"VerdictRoom", gtk_scrolled_window_get_type, &m_wb.m_pwgtVerdictRoom}}};
    mscBindAll(pBuilder, room);
    const std::array<_mscBinding, 1> fits = {{{"StillFits", gtk_label_get_type, &m_wb.m_pwgtStillFits}}};
    mscBindAll(pBuilder, fits);
    const std::array<_mscBinding, 3> hover = {{{"HoverConditions", gtk_grid_get_type, &m_wb.m_pwgtHoverConditions},
                                               {"HoverVerdict", gtk_label_get_type, &m_wb.m_pwgtHoverVerdict},
                                               {"HoverVerdictRoom", gtk_box_get_type, &m_wb.m_pwgtHoverVerdictRoom}}};
    mscBindAll(pBuilder, hover);
    const std::array<_mscBinding, 1> caption = {
        {{"EquipmentCaption", gtk_label_get_type, &m_wb.m_pwgtEquipmentCaption}}};
    mscBindAll(pBuilder, caption);
    mscBindAll(pBuilder, m_equipment);
    ichkBind(pBuilder);
    lchInit(pBuilder);
    fldBind(pBuilder, m_wb.fields, stops);
    for (size_t n = 0; n < TAKE_OFF_SITE.size(); n++)
        if (GtkWidget* pwgt = m_wb.fields.entries[TAKE_OFF_SITE[n]]) {
            g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(pwgt);
            m_wb.strTakeOffTips[n] = pszTip ? pszTip : "";
        }
    _wgtLUT* wgtLUT = m_wb.fields.walk.data();
    ichkConnect(wgtLUT);
    boundCells();
    holdRooms();
    g_signal_connect(m_wb.m_pwgtWBDrawing, "draw", G_CALLBACK(pwbOnDraw), nullptr);
    // The loading has no text values.
    fldConnect(m_wb.fields, named, G_CALLBACK(pwbOnValueFocusOut), nullptr);
    for (GtkWidget* pwgt : {m_wb.m_pwgtBallastNone, m_wb.m_pwgtBallastFront, m_wb.m_pwgtBallastRear})
        mscConnectField(pwgt, "clicked", G_CALLBACK(pwbOnBallastClicked), wgtLUT);
    if (m_wb.m_pwgtShowBurnOff)
        mscConnectField(m_wb.m_pwgtShowBurnOff, "clicked", G_CALLBACK(pwbOnShowBurnOffClicked), wgtLUT);

    gtk_widget_hide(m_wb.m_pwgtLSeatOverWeight);
    gtk_widget_hide(m_wb.m_pwgtRSeatOverWeight);
    gtk_widget_hide(m_wb.m_pwgtFuelOverFill);
    // The indicators' words as Zarv.ui has them, in pounds and litres.
    m_wb.strSeatLimit = gtk_label_get_text(GTK_LABEL(m_wb.m_pwgtLSeatOverWeight));
    m_wb.strTankLimit = gtk_label_get_text(GTK_LABEL(m_wb.m_pwgtFuelOverFill));
    stateListen(pwbOnStateChanged);
    g_signal_connect(m_wb.m_pwgtWBDrawing, "destroy", G_CALLBACK(pwbOnDrawingDestroy), nullptr);

    pwbCreateAttrLists();
}

void pwbUpdateAircraft(void)
{
    const std::string strRegistration = mscOneLine(valGetText(VAL_REGISTRATION));
    if (m_wb.m_pwgtFiguresChanged) {
        const std::string strChanged = shwFiguresChanged();
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtFiguresChanged), strChanged.c_str());
        gtk_widget_set_visible(m_wb.m_pwgtFiguresChanged, !strChanged.empty());
    }
    if (m_wb.m_pwgtLoadingAircraft) {
        // A fleet's aircraft without a registration says so; a lone one
        // without, as before the fleet, says nothing.
        const bool bFleet = fleetList().size() > 1;
        gtk_label_set_text(GTK_LABEL(m_wb.m_pwgtLoadingAircraft), strRegistration.empty()
                                                                      ? "This aircraft has no registration yet"
                                                                      : ("Aircraft " + strRegistration).c_str());
        gtk_widget_set_tooltip_text(m_wb.m_pwgtLoadingAircraft,
                                    strRegistration.empty() ? nullptr : strRegistration.c_str());
        gtk_widget_set_visible(m_wb.m_pwgtLoadingAircraft, !strRegistration.empty() || bFleet);
    }
    // The window's own title when the aircraft has no registration.
    GtkWidget* pwinMain = gtk_widget_get_toplevel(m_wb.m_pwgtWBDrawing);
    if (!GTK_IS_WINDOW(pwinMain))
        return;
    if (m_wb.strOwnTitle.empty())
        m_wb.strOwnTitle = gtk_window_get_title(GTK_WINDOW(pwinMain)) ? gtk_window_get_title(GTK_WINDOW(pwinMain)) : "";
    const std::string strTitle = strRegistration.empty() ? m_wb.strOwnTitle : "Zarv \u2013 " + strRegistration;
    gtk_window_set_title(GTK_WINDOW(pwinMain), strTitle.c_str());
}

void pwbUpdateDisplays(void)
{
    const _wbFlight f = legCalcShown();
    pwbUpdateAircraft();
    pwbUpdateInputDisplay(stateLoad(), f);
    ichkShow();
    pwbUpdateUnitLabels();
    showResults(f);
}

void pwbRefresh(void)
{
    showResults(legCalcShown());
}

void pwbCleanUp(void)
{
    // The widgets went with the builder; the attribute lists are kept until
    // the process ends.
}
