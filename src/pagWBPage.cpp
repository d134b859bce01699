// The loading page: seat weights, fuel and ballast position in; the result
// table in pounds, inches and pound-inches, and the limit indicators, out.
#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"
#include "params.h"

#include <array>
#include <cmath>

GtkWidget* m_pwgtWBDrawing = nullptr;
GtkWidget* m_pwgtLSeatWeight = nullptr;
GtkWidget* m_pwgtRSeatWeight = nullptr;
GtkWidget* m_pwgtFuelVolume = nullptr;
GtkWidget* m_pwgtBallastNone = nullptr;
GtkWidget* m_pwgtBallastFront = nullptr;
GtkWidget* m_pwgtBallastRear = nullptr;
GtkWidget* m_pwgtLeftSeatUnitLabel = nullptr;
GtkWidget* m_pwgtRightSeatUnitLabel = nullptr;
GtkWidget* m_pwgtFuelUnitLabel = nullptr;
GtkWidget* m_pwgtLSeatOverWeight = nullptr;
GtkWidget* m_pwgtRSeatOverWeight = nullptr;
GtkWidget* m_pwgtFuelOverFill = nullptr;

PangoAttrList* m_pattrBoldBlue = nullptr;
PangoAttrList* m_pattrBoldRed = nullptr;
PangoAttrList* m_pattrBoldBlack = nullptr;
PangoAttrList* m_pattrEmpty = nullptr;

namespace
{

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

struct CellBinding {
    const char* pszId;
    GtkWidget** ppwgt;
};

// Column by column, each from the basic row down to the total row.
const std::array<CellBinding, 30> m_cells = {{
    {"CalBasicWt", &m_pwgtCalBasicWt},
    {"CalLSeatWt", &m_pwgtCalLSeatWt},
    {"CalRSeatWt", &m_pwgtCalRSeatWt},
    {"CalFuelWt", &m_pwgtCalFuelWt},
    {"CalBallastWt", &m_pwgtCalBallastWt},
    {"CalTotalWt", &m_pwgtCalTotalWt},
    {"BasicLongArm", &m_pwgtBasicLongArm},
    {"LSeatLongArm", &m_pwgtLSeatLongArm},
    {"RSeatLongArm", &m_pwgtRSeatLongArm},
    {"FuelLongArm", &m_pwgtFuelLongArm},
    {"BallastLongArm", &m_pwgtBallastLongArm},
    {"TotalLongArm", &m_pwgtTotalLongArm},
    {"BasicLongMoment", &m_pwgtBasicLongMoment},
    {"LSeatLongMoment", &m_pwgtLSeatLongMoment},
    {"RSeatLongMoment", &m_pwgtRSeatLongMoment},
    {"FuelLongMoment", &m_pwgtFuelLongMoment},
    {"BallastLongMoment", &m_pwgtBallastLongMoment},
    {"TotalLongMoment", &m_pwgtTotalLongMoment},
    {"BasicLatArm", &m_pwgtBasicLatArm},
    {"LSeatLatArm", &m_pwgtLSeatLatArm},
    {"RSeatLatArm", &m_pwgtRSeatLatArm},
    {"FuelLatArm", &m_pwgtFuelLatArm},
    {"BallastLatArm", &m_pwgtBallastLatArm},
    {"TotalLatArm", &m_pwgtTotalLatArm},
    {"BasicLatMoment", &m_pwgtBasicLatMoment},
    {"LSeatLatMoment", &m_pwgtLSeatLatMoment},
    {"RSeatLatMoment", &m_pwgtRSeatLatMoment},
    {"FuelLatMoment", &m_pwgtFuelLatMoment},
    {"BallastLatMoment", &m_pwgtBallastLatMoment},
    {"TotalLatMoment", &m_pwgtTotalLatMoment},
}};

GtkWidget* lookUp(GtkBuilder* pBuilder, const char* pszId)
{
    return GTK_WIDGET(gtk_builder_get_object(pBuilder, pszId));
}

PangoAttrList* newBoldList(guint16 nRed, guint16 nGreen, guint16 nBlue)
{
    PangoAttrList* pattr = pango_attr_list_new();
    pango_attr_list_insert(pattr, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    pango_attr_list_insert(pattr, pango_attr_foreground_new(nRed, nGreen, nBlue));
    return pattr;
}

void setEntryNumber(GtkWidget* pwgtEntry, double nValue)
{
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), psetFormatNumber("%1.1f", nValue).c_str());
}

double readEntry(GtkWidget* pwgtEntry)
{
    return psetParseNumber(gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
}

void setLabelValue(GtkLabel* pwgtLabel, const char* pszFormat, double nValue)
{
    gtk_label_set_markup(pwgtLabel, pwbCellText(pszFormat, nValue).c_str());
}

// What follows a change of the loading: the entries and indicators, the
// results and the chart.
void afterLoadChange(void)
{
    pwbUpdateInputDisplay();
    pwbCalcWB();
    pwbInvalidateChart();
}

// A seat entry left: its weight in kilograms, stored, and what follows.
void commitSeat(GtkWidget* pwgtEntry, gdouble& nWeight, const char* pszKey)
{
    nWeight = psetWeightToKg(readEntry(pwgtEntry), m_wbSetup.nUnitWt);
    prmSetKeyDouble("Load", pszKey, nWeight);
    afterLoadChange();
}

void colourTotal(GtkWidget* pwgtCell, bool bBeyond)
{
    gtk_label_set_attributes(GTK_LABEL(pwgtCell), bBeyond ? m_pattrBoldRed : m_pattrBoldBlue);
}

} // namespace

double pwbFuelToLitres(double nValue, int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return nValue * LITRES_PER_USGAL;
    case UNIT_FUEL_IMPGAL:
        return nValue * LITRES_PER_IMPGAL;
    default:
        return nValue;
    }
}

double pwbLitresToFuel(double nLitres, int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return nLitres / LITRES_PER_USGAL;
    case UNIT_FUEL_IMPGAL:
        return nLitres / LITRES_PER_IMPGAL;
    default:
        return nLitres;
    }
}

const char* pwbFuelLabel(int nUnitFuel)
{
    switch (nUnitFuel) {
    case UNIT_FUEL_USGAL:
        return "US Gal";
    case UNIT_FUEL_IMPGAL:
        return "Imp Gal";
    default:
        return "Litres";
    }
}

std::string pwbCellText(const char* pszFormat, double nValue)
{
    if (!std::isfinite(nValue))
        return "\u2013";
    return psetFormatNumber(pszFormat, nValue);
}

void pwbInit(GtkBuilder* pBuilder)
{
    // Walking order of the page's fields for Up, Down and Return.
    static _wgtLUT wgtLUT[] = {
        {&m_pwgtLSeatWeight, nullptr},
        {&m_pwgtRSeatWeight, nullptr},
        {&m_pwgtFuelVolume, nullptr},
        {&m_pwgtBallastNone, nullptr},
        {&m_pwgtBallastFront, nullptr},
        {&m_pwgtBallastRear, nullptr},
        {nullptr, nullptr},
    };

    m_pwgtWBDrawing = lookUp(pBuilder, "WBDrawing");
    g_signal_connect(m_pwgtWBDrawing, "draw", G_CALLBACK(pwbOnDraw), nullptr);

    m_pwgtLSeatWeight = lookUp(pBuilder, "LeftSeatWeight");
    g_signal_connect(m_pwgtLSeatWeight, "focus-out-event", G_CALLBACK(pwbOnLSeatWeightFocusOut), nullptr);
    g_signal_connect(m_pwgtLSeatWeight, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);
    m_pwgtRSeatWeight = lookUp(pBuilder, "RightSeatWeight");
    g_signal_connect(m_pwgtRSeatWeight, "focus-out-event", G_CALLBACK(pwbOnRSeatWeightFocusOut), nullptr);
    g_signal_connect(m_pwgtRSeatWeight, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);
    m_pwgtFuelVolume = lookUp(pBuilder, "FuelVolume");
    g_signal_connect(m_pwgtFuelVolume, "focus-out-event", G_CALLBACK(pwbOnFuelVolumeFocusOut), nullptr);
    g_signal_connect(m_pwgtFuelVolume, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);

    m_pwgtBallastNone = lookUp(pBuilder, "BallastNone");
    m_pwgtBallastFront = lookUp(pBuilder, "BallastFront");
    m_pwgtBallastRear = lookUp(pBuilder, "BallastRear");
    for (GtkWidget* pwgt : {m_pwgtBallastNone, m_pwgtBallastFront, m_pwgtBallastRear}) {
        g_signal_connect(pwgt, "clicked", G_CALLBACK(pwbOnBallastClicked), nullptr);
        g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), wgtLUT);
    }

    m_pwgtLeftSeatUnitLabel = lookUp(pBuilder, "LeftSeatUnits");
    m_pwgtRightSeatUnitLabel = lookUp(pBuilder, "RightSeatUnits");
    m_pwgtFuelUnitLabel = lookUp(pBuilder, "FuelUnits");
    m_pwgtLSeatOverWeight = lookUp(pBuilder, "LSeatOverWeight");
    m_pwgtRSeatOverWeight = lookUp(pBuilder, "RSeatOverWeight");
    m_pwgtFuelOverFill = lookUp(pBuilder, "FuelOverFill");
    gtk_widget_hide(m_pwgtLSeatOverWeight);
    gtk_widget_hide(m_pwgtRSeatOverWeight);
    gtk_widget_hide(m_pwgtFuelOverFill);

    for (const CellBinding& cell : m_cells)
        *cell.ppwgt = lookUp(pBuilder, cell.pszId);

    pwbCreateAttrLists();
}

void pwbCreateAttrLists(void)
{
    // Made once and kept until the process ends.
    if (m_pattrBoldBlue)
        return;
    m_pattrBoldBlue = newBoldList(0, 0, 65535);
    m_pattrBoldRed = newBoldList(65535, 0, 0);
    m_pattrBoldBlack = newBoldList(0, 0, 0);
    m_pattrEmpty = pango_attr_list_new();
}

void pwbUpdateDisplays(void)
{
    pwbUpdateInputDisplay();
    pwbUpdateUnitLabels();
    pwbCalcWB();
}

void pwbUpdateInputDisplay(void)
{
    setEntryNumber(m_pwgtLSeatWeight, psetKgToWeight(m_nLSeatWeight, m_wbSetup.nUnitWt));
    setEntryNumber(m_pwgtRSeatWeight, psetKgToWeight(m_nRSeatWeight, m_wbSetup.nUnitWt));
    setEntryNumber(m_pwgtFuelVolume, pwbLitresToFuel(m_nFuelVolume, m_wbSetup.nUnitFuel));

    // Making a button active runs pwbOnBallastClicked from in here; it reads
    // the buttons, so it stores the same position.
    GtkWidget* pwgtBallast = m_nBallastPosn == BALLAST_FRONT  ? m_pwgtBallastFront
                             : m_nBallastPosn == BALLAST_REAR ? m_pwgtBallastRear
                                                              : m_pwgtBallastNone;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtBallast), TRUE);

    gtk_widget_set_visible(m_pwgtLSeatOverWeight, m_nLSeatWeight > MAX_SEAT_WEIGHT);
    gtk_widget_set_visible(m_pwgtRSeatOverWeight, m_nRSeatWeight > MAX_SEAT_WEIGHT);
    gtk_widget_set_visible(m_pwgtFuelOverFill, m_nFuelVolume > MAX_FUEL_VOLUME);
}

void pwbUpdateUnitLabels(void)
{
    gtk_label_set_text(GTK_LABEL(m_pwgtLeftSeatUnitLabel), psetWeightLabel(m_wbSetup.nUnitWt));
    gtk_label_set_text(GTK_LABEL(m_pwgtRightSeatUnitLabel), psetWeightLabel(m_wbSetup.nUnitWt));
    gtk_label_set_text(GTK_LABEL(m_pwgtFuelUnitLabel), pwbFuelLabel(m_wbSetup.nUnitFuel));
}

void pwbDisplayWeightValue(GtkLabel* pwgtTotal, double nValue)
{
    setLabelValue(pwgtTotal, "%3.1f", nValue * TABLE_LB_PER_KG);
}

void pwbDisplayArmValue(GtkLabel* pwgtArm, double nValue)
{
    setLabelValue(pwgtArm, "%3.2f", nValue / MM_PER_INCH);
}

void pwbDisplayMomentValue(GtkLabel* pwgtMoment, double nValue)
{
    setLabelValue(pwgtMoment, "%3.2f", nValue * TABLE_LBIN_PER_KGMM);
}

void pwbUpdateTotalsDisplay(void)
{
    // The calculation runs before the page is bound only where no table
    // exists yet (a test of the arithmetic alone): nothing to refresh.
    if (!m_pwgtCalBasicWt)
        return;
    const _wbSetup& s = m_wbSetup;
    auto weight = [](GtkWidget* pwgt, double n) { pwbDisplayWeightValue(GTK_LABEL(pwgt), n); };
    auto arm = [](GtkWidget* pwgt, double n) { pwbDisplayArmValue(GTK_LABEL(pwgt), n); };
    auto moment = [](GtkWidget* pwgt, double n) { pwbDisplayMomentValue(GTK_LABEL(pwgt), n); };

    weight(m_pwgtCalBasicWt, s.nBasicWeight);
    weight(m_pwgtCalLSeatWt, m_nLSeatWeight);
    weight(m_pwgtCalRSeatWt, m_nRSeatWeight);
    weight(m_pwgtCalFuelWt, m_nFuelWeight);
    weight(m_pwgtCalBallastWt, m_nBallastWeight);
    weight(m_pwgtCalTotalWt, m_nTotalWeight);

    arm(m_pwgtBasicLongArm, s.nBasicLongArm);
    arm(m_pwgtLSeatLongArm, s.nLSeatLongArm);
    arm(m_pwgtRSeatLongArm, s.nRSeatLongArm);
    arm(m_pwgtFuelLongArm, s.nFuelLongArm);
    arm(m_pwgtBallastLongArm, m_nBallastLongArm);
    arm(m_pwgtTotalLongArm, m_nTotalLongArm);

    moment(m_pwgtBasicLongMoment, s.nBasicLongArm * s.nBasicWeight);
    moment(m_pwgtLSeatLongMoment, s.nLSeatLongArm * m_nLSeatWeight);
    moment(m_pwgtRSeatLongMoment, s.nRSeatLongArm * m_nRSeatWeight);
    moment(m_pwgtFuelLongMoment, m_nFuelLongMoment);
    moment(m_pwgtBallastLongMoment, m_nBallastLongMoment);
    moment(m_pwgtTotalLongMoment, m_nTotalLongMoment);

    arm(m_pwgtBasicLatArm, s.nBasicLatArm);
    arm(m_pwgtLSeatLatArm, s.nLSeatLatArm);
    arm(m_pwgtRSeatLatArm, s.nRSeatLatArm);
    arm(m_pwgtFuelLatArm, s.nFuelLatArm);
    arm(m_pwgtBallastLatArm, m_nBallastLatArm);
    arm(m_pwgtTotalLatArm, m_nTotalLatArm);

    moment(m_pwgtBasicLatMoment, s.nBasicLatArm * s.nBasicWeight);
    moment(m_pwgtLSeatLatMoment, s.nLSeatLatArm * m_nLSeatWeight);
    moment(m_pwgtRSeatLatMoment, s.nRSeatLatArm * m_nRSeatWeight);
    moment(m_pwgtFuelLatMoment, m_nFuelLatMoment);
    moment(m_pwgtBallastLatMoment, m_nBallastLatMoment);
    moment(m_pwgtTotalLatMoment, m_nTotalLatMoment);

    // A value equal to a limit is within it. Not-a-number compares false
    // everywhere and so shows blue; an infinity shows red.
    colourTotal(m_pwgtCalTotalWt, m_nTotalWeight > MAX_TOTAL_WEIGHT);
    colourTotal(m_pwgtTotalLongArm, m_nTotalLongArm > MAX_LONG_ARM || m_nTotalLongArm < MIN_LONG_ARM);
    colourTotal(m_pwgtTotalLatArm, m_nTotalLatArm > MAX_LAT_ARM || m_nTotalLatArm < -MAX_LAT_ARM);
}

void pwbInvalidateChart(void)
{
    if (!m_pwgtWBDrawing)
        return;
    if (GdkWindow* pwin = gtk_widget_get_window(m_pwgtWBDrawing))
        gdk_window_invalidate_rect(pwin, nullptr, FALSE);
}

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus*, gpointer)
{
    commitSeat(pwgtLSeatWeight, m_nLSeatWeight, "LSeat");
    return FALSE;
}

gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus*, gpointer)
{
    commitSeat(pwgtRSeatWeight, m_nRSeatWeight, "RSeat");
    return FALSE;
}

gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus*, gpointer)
{
    m_nFuelVolume = pwbFuelToLitres(readEntry(pwgtFuelVolume), m_wbSetup.nUnitFuel);
    prmSetKeyDouble("Load", "Fuel", m_nFuelVolume);
    afterLoadChange();
    return FALSE;
}

void pwbOnBallastClicked(GtkButton*, gpointer)
{
    // The buttons' states decide, never the button that sent the signal:
    // "clicked" comes for the button left as well as the one chosen.
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtBallastFront)))
        m_nBallastPosn = BALLAST_FRONT;
    else if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_pwgtBallastRear)))
        m_nBallastPosn = BALLAST_REAR;
    else
        m_nBallastPosn = BALLAST_NONE;
    prmSetKeyInteger("Load", "Ballast", static_cast<gint>(m_nBallastPosn));
    pwbCalcWB();
    pwbInvalidateChart();
}

void pwbCleanUp(void)
{
    // The widgets went with the builder; the attribute lists are kept until
    // the process ends.
}
