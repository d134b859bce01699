// The loading: its calculation (pagWB.cpp), the loading page with its result
// table (pagWBPage.cpp), and the centre-of-gravity chart (pagWBChart.cpp).
#pragma once

#include "misc.h"
#include "pagSetup.h"

#include <gtk/gtk.h>

#include <array>
#include <span>
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
// Whether the chart shows the burn-off line to the zero-fuel point.
extern gboolean m_bShowBurnOff;

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

// Recomputes every result from the loading state and m_wbSetup. Pure
// arithmetic: it shows nothing (pwbRefresh does).
void pwbCalcWB(void);

// One row of the result table from the last calculation: kg, mm, kg·mm.
struct _wbTableRow {
    const char* pszItem;
    double nWeight, nLongArm, nLongMoment, nLatArm, nLatMoment;
};

// The table's rows, as the page and the load sheet show them: basic
// aircraft, left seat, right seat, fuel, ballast and total.
std::array<_wbTableRow, 6> pwbTableRows(void);

// Clears the loading state and results, so a test starts as the program does.
void pwbReset(void);

// ---- Fuel planning (pagWBFuel.cpp) ---------------------------------------

// A loaded point: weight in kg, moments in kg·mm, arms in mm.
struct _wbPoint {
    double nWeight, nLongMoment, nLatMoment, nLongArm, nLatArm;
};

// The point of a loading (seats in kg, fuel in litres, a _locBallast), added
// up in the order of pwbCalcWB. A position other than front or rear is none.
_wbPoint pwbLoadedPoint(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres, guint nBallastPosn);

// The zero-fuel point of the current loading: the seats and ballast as
// entered, the fuel burned. Written only by pwbCalcWB.
extern _wbPoint m_wbZeroFuel;

// Which limit a point lies beyond, by the result table's rules: a value on a
// limit is within it, not-a-number beyond none; the centre of gravity first.
enum _wbBeyond { BEYOND_NONE, BEYOND_FORWARD, BEYOND_AFT, BEYOND_LATERAL, BEYOND_WEIGHT };
_wbBeyond pwbBeyondLimit(const _wbPoint& p);

// The fuel volumes, in litres and within the tank, for which a loading's
// take-off weight and centre of gravity are within every limit. bKnown is
// false where the aircraft without fuel weighs nothing (or no number).
struct _wbFuelRange {
    bool bKnown = false;
    bool bAny = false;
    double nLeast = 0, nMost = 0;
};
_wbFuelRange pwbFuelRange(const _wbSetup& s, double nLSeat, double nRSeat, guint nBallastPosn);

// Whether the chosen ballast position leaves the take-off or the zero-fuel
// point beyond a limit (bNeeded), and then the first of none, front and rear
// that puts both within (nPosn), or -1 when none does.
struct _wbBallastAdvice {
    bool bNeeded;
    int nPosn;
};
_wbBallastAdvice pwbBallastAdvice(const _wbSetup& s, double nLSeat, double nRSeat, double nFuelLitres,
                                  guint nBallastPosn);

// ---- The loading page ------------------------------------------------------

// Fuel volume between the fuel unit and litres. A unit outside the three
// values (only from a hand-edited file) acts as litres both ways, as its
// "Litres" label says.
double pwbFuelToLitres(double nValue, int nUnitFuel);
double pwbLitresToFuel(double nLitres, int nUnitFuel);
const char* pwbFuelLabel(int nUnitFuel);

// The texts of the result table (and the load sheet): a weight in kg shown
// in pounds, an arm in mm in inches, a moment in kg·mm in pound-inches, in
// the table's formats; an en dash for a value that is no finite number.
std::string pwbCellText(const char* pszFormat, double nValue);
std::string pwbWeightText(double nKg);
std::string pwbArmText(double nMm);
std::string pwbMomentText(double nKgMm);

// The objects the page needs from Zarv.ui, in the order the window checks
// them: the drawing area, the inputs, their labels and the 30 result cells.
// (The page also takes the objects of fuel planning where there are any.)
std::span<const _mscBinding> pwbBindings(void);

// Binds the page (its widgets, handlers and navigation) and hides the
// indicators.
void pwbInit(GtkBuilder* pBuilder);

// Shows the whole page from the loading state and the setup record: the
// entries, the ballast choice, the indicators and the unit labels, then
// pwbRefresh. Stores nothing.
void pwbUpdateDisplays(void);

// The page's one refresh after any change: the calculation, the result
// table from it, and a redraw of the chart.
void pwbRefresh(void);

void pwbCleanUp(void);

gboolean pwbOnLSeatWeightFocusOut(GtkWidget* pwgtLSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnRSeatWeightFocusOut(GtkWidget* pwgtRSeatWeight, GdkEventFocus* pevtWB, gpointer pUser);
gboolean pwbOnFuelVolumeFocusOut(GtkWidget* pwgtFuelVolume, GdkEventFocus* pevtWB, gpointer pUser);
void pwbOnBallastClicked(GtkButton* pwgtButton, gpointer pUser);
void pwbOnShowBurnOffClicked(GtkButton* pwgtButton, gpointer pUser);

// ---- The centre-of-gravity chart ---------------------------------------------

// Text attributes of the result table's totals and of the chart's texts;
// made once by pwbCreateAttrLists and kept until the process ends.
extern PangoAttrList* m_pattrBoldBlue;
extern PangoAttrList* m_pattrBoldRed;
extern PangoAttrList* m_pattrBoldBlack;
extern PangoAttrList* m_pattrEmpty;
void pwbCreateAttrLists(void);

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
