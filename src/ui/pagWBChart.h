// The centre-of-gravity chart: the permitted envelope in inches, its caution
// bands, the loading message of the moment and the marker at the loaded
// centre of gravity, with a flight's legs joined in order where it has
// several, drawn on any cairo context from what it is given.
#pragma once

#include "model/calc.h"
#include <gtk/gtk.h>

#include <utility>
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
// the marker of the one point above. A leg's point outside the envelope is
// red, and one beyond the square is a red arrow at its edge with its arm,
// on the page and the sheet alike.
struct _chartLeg {
    _wbPoint takeOff;
    _wbPoint landing;
    bool bLanding;
};
// The school's margins inside the envelope, mm inside the forward, the aft
// and each lateral limit (0 for none), drawn as a dashed inner line; the
// weight has no axis here.
struct _chartMargins {
    double nForward = 0, nAft = 0, nLateral = 0;
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
    _chartMargins margins = {};
};

// The margins a setup sets, as the chart draws them.
_chartMargins pwbChartMarginsOf(const _wbSetup& s);

// A box of the drawing that a text keeps clear of, in pixels.
struct _chartBox {
    double x, y, nWidth, nHeight;
    bool overlaps(const _chartBox& o) const
    {
        return x < o.x + o.nWidth && o.x < x + nWidth && y < o.y + o.nHeight && o.y < y + nHeight;
    }
};

// Where each leg's number is written, given its point (x, y) and its size
// (width, height) in the drawing: beside its point where there is room,
// else further out with a line back to it (bLeader), inside the square and
// clear of every other number and of taken (the legs' points, the arrows).
// Numbers in the order given; a square with no room left at all lets the
// last ones lie where they must.
struct _chartPlace {
    _chartBox box;
    bool bLeader;
};
std::vector<_chartPlace> pwbLegNumberPlaces(const _chartGeometry& g,
                                            const std::vector<std::pair<double, double>>& points,
                                            const std::vector<std::pair<double, double>>& sizes,
                                            std::vector<_chartBox> taken);

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
