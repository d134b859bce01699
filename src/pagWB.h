// The loading: its calculation, the loading page with its result table, and
// the centre-of-gravity chart.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Fuel weight per litre.
constexpr double FUEL_DENSITY = 0.759;

// Loading limits, in the internal units. A value equal to a limit is within it.
constexpr double MAX_TOTAL_WEIGHT = 680.3893641534596; // kg: 1500 lb
constexpr double MAX_SEAT_WEIGHT = 95.25451098148434;  // kg: 210 lb
constexpr double MAX_FUEL_VOLUME = 64.5;               // litres
constexpr double MIN_LONG_ARM = 2441.575;              // mm: 96.125 in
constexpr double MAX_LONG_ARM = 2514.6;                // mm: 99.0 in
constexpr double MAX_LAT_ARM = 22.352;                 // mm: 0.88 in, either side

// The result table's fixed display units: pounds, inches, pound-inches.
constexpr double TABLE_LB_PER_KG = 2.2046;
constexpr double TABLE_LBIN_PER_KGMM = 0.08679606;

// Loading state: kg, kg, litres and a _locBallast value.
extern gdouble m_nLSeatWeight;
extern gdouble m_nRSeatWeight;
extern gdouble m_nFuelVolume;
extern guint m_nBallastPosn;

// Loading results: kg, mm and kg·mm, written only by pwbCalcWB.
extern gdouble m_nLSeatLongMoment, m_nLSeatLatMoment;
extern gdouble m_nRSeatLongMoment, m_nRSeatLatMoment;
extern gdouble m_nFuelWeight, m_nFuelLongMoment, m_nFuelLatMoment;
extern gdouble m_nBallastWeight, m_nBallastLongArm, m_nBallastLatArm;
extern gdouble m_nBallastLongMoment, m_nBallastLatMoment;
extern gdouble m_nTotalWeight, m_nTotalLongMoment, m_nTotalLatMoment;
extern gdouble m_nTotalLongArm, m_nTotalLatArm;

// Reads the loading state from the parameter store.
void pwbParams(void);

// Recomputes every result from the loading state and m_wbSetup.
void pwbCalcWB(void);

// Clears the loading state and results, so a test starts as the program does.
void pwbReset(void);

// ---- The loading page ------------------------------------------------------

// Fuel volume between the fuel unit and litres. A unit outside the three
// values (only from a hand-edited file) acts as litres both ways, as its
// "Litres" label says.
double pwbFuelToLitres(double nValue, int nUnitFuel);
double pwbLitresToFuel(double nLitres, int nUnitFuel);
const char* pwbFuelLabel(int nUnitFuel);

// Widgets of the page, borrowed from the builder by pwbInit.
extern GtkWidget* m_pwgtWBDrawing;
extern GtkWidget* m_pwgtLSeatWeight;
extern GtkWidget* m_pwgtRSeatWeight;
extern GtkWidget* m_pwgtFuelVolume;
extern GtkWidget* m_pwgtBallastNone;
extern GtkWidget* m_pwgtBallastFront;
extern GtkWidget* m_pwgtBallastRear;
extern GtkWidget* m_pwgtLeftSeatUnitLabel;
extern GtkWidget* m_pwgtRightSeatUnitLabel;
extern GtkWidget* m_pwgtFuelUnitLabel;
extern GtkWidget* m_pwgtLSeatOverWeight;
extern GtkWidget* m_pwgtRSeatOverWeight;
extern GtkWidget* m_pwgtFuelOverFill;

// Text attributes of the result table's totals and of the chart.
extern PangoAttrList* m_pattrBoldBlue;
extern PangoAttrList* m_pattrBoldRed;
extern PangoAttrList* m_pattrBoldBlack;
extern PangoAttrList* m_pattrEmpty;

void pwbInit(GtkBuilder* pBuilder);
// Creates the four attribute lists (once; pwbInit calls it).
void pwbCreateAttrLists(void);
void pwbUpdateDisplays(void);
void pwbUpdateInputDisplay(void);
void pwbUpdateUnitLabels(void);
void pwbUpdateTotalsDisplay(void);
void pwbDisplayWeightValue(GtkLabel* pwgtTotal, double nValue);
void pwbDisplayArmValue(GtkLabel* pwgtArm, double nValue);
void pwbDisplayMomentValue(GtkLabel* pwgtMoment, double nValue);
void pwbInvalidateChart(void);
void pwbCleanUp(void);

// The text a result cell shows: nValue in printf format pszFormat, or an en
// dash for a value that is not a finite number.
std::string pwbCellText(const char* pszFormat, double nValue);

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pUser);
void pwbOnBallastClicked(GtkButton* pwgtButton, gpointer pUser);

// ---- The centre-of-gravity chart ---------------------------------------------

// The loading message of the moment.
enum _chartMessage { CHART_MSG_NONE, CHART_MSG_COFG, CHART_MSG_WEIGHT, CHART_MSG_TAILWIND, CHART_MSG_SPEED };

// Chooses the message from the total arms in inches and the total weight in
// kg. A warning hides a caution; an out-of-range arm hides over-weight.
_chartMessage pwbChooseMessage(double nLongArmIn, double nLatArmIn, double nWeightKg);

// The chart's geometry for an allocation, in whole pixels.
struct _chartGeometry {
    guint nWidth, nHeight, nSize, nXOffset, nYOffset, nSizeChart, nXChart, nYChart, nXCLine;
    gdouble nYLineIntv, nXLineIntv;
};
_chartGeometry pwbChartGeometry(guint nWidth, guint nHeight);

// The chart's smallest square; a smaller area shows the margin only.
constexpr guint MIN_CHART_SIZE = 100;

// Draws the whole chart for the current totals on pCr at the given size.
void pwbDrawChart(cairo_t* pCr, guint nWidth, guint nHeight);

// The drawing area's "draw" handler.
gboolean pwbOnDraw(GtkWidget* pwgtWB, cairo_t* pCr, gpointer pUser);
