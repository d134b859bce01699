// The centre-of-gravity chart: the permitted envelope in inches, its caution
// bands, the loading message of the moment and the marker at the loaded
// centre of gravity, with a flight's legs joined in order where it has
// several, drawn on any cairo context from what it is given.
#pragma once

#include "model/calc.h"
#include <gtk/gtk.h>

#include <vector>

// Text attributes of the result table's totals and of the chart's texts;
// made once by pwbCreateAttrLists and kept until the process ends.
extern PangoAttrList* m_pattrBoldBlue;
extern PangoAttrList* m_pattrBoldRed;
extern PangoAttrList* m_pattrBoldBlack;
extern PangoAttrList* m_pattrEmpty;
void pwbCreateAttrLists(void);

// The chart's geometry for an allocation, in whole pixels.
struct _chartGeometry {
    guint nWidth, nHeight, nSize, nXOffset, nYOffset, nSizeChart, nXChart, nYChart, nXCLine;
    gdouble nYLineIntv, nXLineIntv;
};
_chartGeometry pwbChartGeometry(guint nWidth, guint nHeight);

// The chart's smallest square; a smaller area shows the margin only.
constexpr guint MIN_CHART_SIZE = 100;

// What the chart shows: the take-off point, and the zero-fuel point with
// the burn-off line to it when bShowBurnOff, through a mark at the landing
// point when there is a trip (bLanding). A burn-off mark beyond the square
// is an arrow at its edge with its arm, and the captions and scales are
// drawn over the marks, never under them.
// On the load sheet (bEveryPoint) every point is drawn, whatever the
// pilot's choice, a take-off point beyond the square is an arrow at its edge
// too, and the message is the worst of the points', a caution only on a
// flight within limits (bWithin).
// A flight of several legs has them all (legs, empty for one leg): each
// leg's take-off numbered and its landing, joined in the order flown, under
// the marker of the one point above.
struct _chartLeg {
    _wbPoint takeOff;
    _wbPoint landing;
    bool bLanding;
};
struct _chartInput {
    _wbPoint takeOff;
    _wbPoint zeroFuel;
    bool bShowBurnOff;
    _wbPoint landing = {};
    bool bLanding = false;
    bool bEveryPoint = false;
    bool bWithin = true;
    std::vector<_chartLeg> legs = {};
};

// What the chart shows of a flight, with the burn-off line or without.
_chartInput pwbChartInputOf(const _wbFlight& f, bool bShowBurnOff);

// The legs of a flight as the chart joins them: none for a flight of one
// leg.
std::vector<_chartLeg> pwbChartLegsOf(const std::vector<_wbFlight>& legs);

// What the load sheet's chart shows of a flight: every point it judges.
_chartInput pwbSheetChartInputOf(const _wbFlight& f);

// What the chart shows now: the flight Zarv holds, calculated, and the pilot's
// burn-off choice.
_chartInput pwbChartInput(void);

// Draws the whole chart of what on pCr at the given size.
void pwbDrawChart(cairo_t* pCr, guint nWidth, guint nHeight, const _chartInput& what);

// The drawing area's "draw" handler: the chart of pwbChartInput.
gboolean pwbOnDraw(GtkWidget* pwgtWB, cairo_t* pCr, gpointer pUser);
