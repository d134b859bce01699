// The centre-of-gravity chart: the permitted envelope in inches, its caution
// bands, the loading message of the moment and the marker at the loaded
// centre of gravity, and a flight's legs joined in the order flown. Every
// pass draws the whole picture from the totals.
#include "ui/pagWBChart.h"
#include "model/words.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

PangoAttrList* m_pattrBoldBlue = nullptr;
PangoAttrList* m_pattrBoldRed = nullptr;
PangoAttrList* m_pattrBoldBlack = nullptr;
PangoAttrList* m_pattrEmpty = nullptr;

namespace
{

// The envelope in inches, as the chart draws and judges it (model/calc.h says
// why it is not converted from the table's millimetres).
constexpr double FORWARD_LIMIT = CHART_FORWARD_LIMIT;
constexpr double AFT_LIMIT = CHART_AFT_LIMIT;
constexpr double LONG_SPAN = AFT_LIMIT - FORWARD_LIMIT;
constexpr double LAT_SPAN = 2 * CHART_LAT_LIMIT;
constexpr double FORWARD_CAUTION = CHART_FORWARD_CAUTION;
constexpr double AFT_CAUTION = CHART_AFT_CAUTION;

constexpr guint MARGIN = 50;

// The zero-fuel ring: an open circle, unlike the take-off marker's filled
// disc and cross.
constexpr double BURN_OFF_RING_RADIUS = 8;
// The landing point on the burn-off line: a filled diamond this far from its
// centre to each corner.
constexpr double LANDING_MARK = 6;

const char* const pszCautionTailWind = "Maximum tailwind while hovering - 10 MPH (8 Kts) \nin shaded area";
const char* const pszCautionSpeed = "Maximum speed - 95 MPH (82 Kts)\nin shaded area";
const char* const pszWarning = "Warning";
const char* const pszCofG = "Un-safe to fly\nC of G out of range";
const char* const pszWeight = "Un-safe to fly\nHelicopter is over weight";
const char* const pszCaution = "Caution";

// Truncation toward zero of a coordinate computed in floating point.
gint trunc32(double n)
{
    return static_cast<gint>(n);
}

void setFont(PangoLayout* ppngLayout, const char* pszFont)
{
    PangoFontDescription* pfont = pango_font_description_from_string(pszFont);
    pango_layout_set_font_description(ppngLayout, pfont);
    pango_font_description_free(pfont);
}

void setColour(cairo_t* pCr, const GdkRGBA& cRGB)
{
    gdk_cairo_set_source_rgba(pCr, &cRGB);
}

// Half a text's width in whole pixels.
gint halfWidth(PangoLayout* ppngLayout)
{
    int nWidth = 0, nHeight = 0;
    pango_layout_get_size(ppngLayout, &nWidth, &nHeight);
    return nWidth / 2048;
}

void showAt(cairo_t* pCr, PangoLayout* ppngLayout, double nX, double nY)
{
    cairo_move_to(pCr, nX, nY);
    pango_cairo_show_layout(pCr, ppngLayout);
}

// Shows the layout's text centred on the centre line with its top at nTop;
// its box added to pBoxes where given.
void showCentred(cairo_t* pCr, PangoLayout* ppngLayout, guint nXCLine, gint nTop,
                 std::vector<_chartBox>* pBoxes = nullptr)
{
    const gint x = static_cast<gint>(nXCLine) - halfWidth(ppngLayout);
    showAt(pCr, ppngLayout, x, nTop);
    int nWidth = 0, nHeight = 0;
    pango_layout_get_pixel_size(ppngLayout, &nWidth, &nHeight);
    if (pBoxes)
        pBoxes->push_back({static_cast<double>(x), static_cast<double>(nTop), static_cast<double>(nWidth),
                           static_cast<double>(nHeight)});
}

// Shows the layout's text centred on the centre line and on height nY.
void showCentredOn(cairo_t* pCr, PangoLayout* ppngLayout, guint nXCLine, double nY,
                   std::vector<_chartBox>* pBoxes = nullptr)
{
    int nWidth = 0, nHeight = 0;
    pango_layout_get_size(ppngLayout, &nWidth, &nHeight);
    showCentred(pCr, ppngLayout, nXCLine, trunc32(nY - nHeight / 2048), pBoxes);
}

// Whether every centred text of this pass fits left of the centre line.
// The message is measured bold, as it is drawn.
bool centredTextsFit(PangoLayout* ppngLayout, const _chartGeometry& g, const char* pszTitle, const char* pszMessage)
{
    const gint nRoom = static_cast<gint>(g.nXCLine);
    struct {
        const char* pszFont;
        const char* pszText;
        PangoAttrList* pattr;
    } texts[] = {{"sans 8", pszCautionTailWind, nullptr},
                 {"sans 8", pszCautionSpeed, nullptr},
                 {"sans 12", pszTitle, m_pattrBoldBlue},
                 {"sans 9", pszMessage, m_pattrBoldBlue}};
    bool bFit = true;
    for (const auto& t : texts) {
        if (!t.pszText)
            continue;
        setFont(ppngLayout, t.pszFont);
        pango_layout_set_attributes(ppngLayout, t.pattr);
        pango_layout_set_text(ppngLayout, t.pszText, -1);
        bFit = bFit && halfWidth(ppngLayout) <= nRoom;
    }
    pango_layout_set_attributes(ppngLayout, nullptr);
    return bFit;
}

// A marker coordinate: the base plus an offset truncated toward zero, kept
// within [nLow, nHigh]. An offset that is not a number or lies beyond the
// 32-bit range cannot be truncated and puts the marker on the low edge.
gint markerCoordinate(gint nBase, double nOffset, gint nLow, gint nHigh)
{
    if (!(nOffset > INT32_MIN && nOffset < INT32_MAX))
        return nLow;
    int64_t n = static_cast<int64_t>(nBase) + static_cast<int64_t>(std::trunc(nOffset));
    if (n > nHigh)
        n = nHigh;
    if (n < nLow)
        n = nLow;
    return static_cast<gint>(n);
}

// The title and message of a pass, null for none.
struct ChartTexts {
    const char* pszTitle = nullptr;
    const char* pszMessage = nullptr;
    bool bWarning = false;
};

ChartTexts chartTexts(_chartMessage nMessage)
{
    switch (nMessage) {
    case CHART_MSG_COFG:
        return {pszWarning, pszCofG, true};
    case CHART_MSG_WEIGHT:
        return {pszWarning, pszWeight, true};
    case CHART_MSG_TAILWIND:
        return {pszCaution, WRD_TAILWIND, false};
    case CHART_MSG_SPEED:
        return {pszCaution, WRD_SPEED, false};
    case CHART_MSG_NONE:
        break;
    }
    return {};
}

constexpr GdkRGBA BLUE = {0.0, 0.0, 1.0, 1.0};
constexpr GdkRGBA RED = {1.0, 0.0, 0.0, 1.0};
constexpr GdkRGBA BLACK = {0.0, 0.0, 0.0, 1.0};

// The whole square in translucent red: what lies outside the envelope.
void drawMargin(cairo_t* pCr, const _chartGeometry& g)
{
    setColour(pCr, GdkRGBA{1.0, 0.0, 0.0, 0.2});
    cairo_rectangle(pCr, g.nXOffset, g.nYOffset, g.nSize, g.nSize);
    cairo_fill(pCr);
}

// The envelope: opaque white under a light blue tint, with a blue border.
void drawEnvelope(cairo_t* pCr, const _chartGeometry& g)
{
    setColour(pCr, GdkRGBA{1.0, 1.0, 1.0, 1.0});
    cairo_rectangle(pCr, g.nXChart, g.nYChart, g.nSizeChart, g.nSizeChart);
    cairo_fill(pCr);
    setColour(pCr, GdkRGBA{0.0, 0.0, 1.0, 0.15});
    cairo_rectangle(pCr, g.nXChart, g.nYChart, g.nSizeChart, g.nSizeChart);
    cairo_fill(pCr);
    setColour(pCr, BLUE);
    cairo_rectangle(pCr, g.nXChart, g.nYChart, g.nSizeChart, g.nSizeChart);
    cairo_stroke(pCr);
}

// The caution bands, forward 96.125 to 96.5 in and aft 98.0 to 99.0 in;
// then their captions.
void drawCautionBands(cairo_t* pCr, const _chartGeometry& g)
{
    setColour(pCr, GdkRGBA{0.0, 0.0, 1.0, 0.06});
    cairo_rectangle(pCr, g.nXChart, g.nYChart, g.nSizeChart, (FORWARD_CAUTION - FORWARD_LIMIT) * g.nYLineIntv);
    cairo_fill(pCr);
    const gint nAftBand = trunc32((AFT_LIMIT - AFT_CAUTION) * g.nYLineIntv);
    cairo_rectangle(pCr, g.nXChart, static_cast<gint>(g.nYChart + g.nSizeChart) - nAftBand, g.nSizeChart, nAftBand);
    cairo_fill(pCr);
}

// The school's margins: a dashed line inside the envelope on each side that
// has one, in a colour of its own, so the certified border stays as drawn.
constexpr GdkRGBA SCHOOL = {0.6, 0.0, 0.6, 1.0};

void drawSchoolMargins(cairo_t* pCr, const _chartGeometry& g, const _chartMargins& m)
{
    if (!(m.nForward > 0 || m.nAft > 0 || m.nLateral > 0))
        return;
    const double nTop = g.nYChart + std::fmax(m.nForward, 0) / MM_PER_INCH * g.nYLineIntv;
    const double nBottom = g.nYChart + g.nSizeChart - std::fmax(m.nAft, 0) / MM_PER_INCH * g.nYLineIntv;
    const double nHalf = (CHART_LAT_LIMIT - std::fmax(m.nLateral, 0) / MM_PER_INCH) * g.nXLineIntv;
    // On whole pixels, as the grid is, so the line reads as one colour.
    const gint yTop = trunc32(nTop), yBottom = trunc32(nBottom);
    const gint xLeft = trunc32(g.nXCLine - nHalf), xRight = trunc32(g.nXCLine + nHalf);
    cairo_save(pCr);
    setColour(pCr, SCHOOL);
    cairo_set_line_width(pCr, 2.0);
    constexpr double DASH[] = {6.0, 4.0};
    cairo_set_dash(pCr, DASH, 2, 0);
    auto line = [&](gint x0, gint y0, gint x1, gint y1) {
        cairo_move_to(pCr, x0, y0);
        cairo_line_to(pCr, x1, y1);
        cairo_stroke(pCr);
    };
    if (m.nForward > 0)
        line(xLeft, yTop, xRight, yTop);
    if (m.nAft > 0)
        line(xLeft, yBottom, xRight, yBottom);
    if (m.nLateral > 0) {
        line(xLeft, yTop, xLeft, yBottom);
        line(xRight, yTop, xRight, yBottom);
    }
    cairo_restore(pCr);
}

void drawCautionCaptions(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g,
                         std::vector<_chartBox>* pBoxes = nullptr)
{
    setColour(pCr, GdkRGBA{0.0, 0.0, 1.0, 0.6});
    setFont(ppngLayout, "sans 8");
    pango_layout_set_attributes(ppngLayout, nullptr);
    pango_layout_set_text(ppngLayout, pszCautionTailWind, -1);
    showCentredOn(pCr, ppngLayout, g.nXCLine, g.nYChart + (FORWARD_CAUTION - FORWARD_LIMIT) * g.nYLineIntv / 2, pBoxes);
    pango_layout_set_text(ppngLayout, pszCautionSpeed, -1);
    const double nAftMiddle = (AFT_CAUTION + AFT_LIMIT) / 2;
    showCentredOn(pCr, ppngLayout, g.nXCLine, g.nYChart + (nAftMiddle - FORWARD_LIMIT) * g.nYLineIntv, pBoxes);
}

// The title and message of a warning (red) or a caution (blue).
void drawMessage(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g, const ChartTexts& texts,
                 std::vector<_chartBox>* pBoxes = nullptr)
{
    setColour(pCr, texts.bWarning ? RED : BLUE);
    pango_layout_set_attributes(ppngLayout, texts.bWarning ? m_pattrBoldRed : m_pattrBoldBlue);
    setFont(ppngLayout, "sans 12");
    pango_layout_set_text(ppngLayout, texts.pszTitle, -1);
    showCentred(pCr, ppngLayout, g.nXCLine, trunc32(g.nYChart + 0.875 * g.nYLineIntv), pBoxes);
    setFont(ppngLayout, "sans 9");
    pango_layout_set_text(ppngLayout, texts.pszMessage, -1);
    showCentred(pCr, ppngLayout, g.nXCLine, trunc32(g.nYChart + (97.2 - FORWARD_LIMIT) * g.nYLineIntv), pBoxes);
}

// The grid: every half inch along, every 0.2 in across; opaque blue, or
// black in a pass that shows a warning.
void drawGrid(cairo_t* pCr, const _chartGeometry& g, bool bWarning)
{
    setColour(pCr, bWarning ? BLACK : BLUE);
    cairo_set_line_width(pCr, 0.3);
    for (double iL = 0; iL <= 5; iL++) {
        const gint nY = trunc32(g.nYChart + g.nSizeChart - iL * g.nYLineIntv / 2);
        cairo_move_to(pCr, g.nXChart, nY);
        cairo_line_to(pCr, g.nXChart + g.nSizeChart, nY);
    }
    for (double iL = -4; iL <= 4; iL++) {
        const gint nX = trunc32(g.nXCLine + iL * g.nXLineIntv * 0.2);
        cairo_move_to(pCr, nX, g.nYChart);
        cairo_line_to(pCr, nX, g.nYChart + g.nSizeChart);
    }
    cairo_stroke(pCr);
}

// "Fore", "Aft", "L" and "R" in the margin, bold black.
void drawDirections(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g)
{
    setColour(pCr, BLACK);
    setFont(ppngLayout, "sans 10");
    pango_layout_set_attributes(ppngLayout, m_pattrBoldBlack);
    const gint nMid = static_cast<gint>(g.nSize / 2);
    const gint nXOffset = static_cast<gint>(g.nXOffset), nYOffset = static_cast<gint>(g.nYOffset);
    pango_layout_set_text(ppngLayout, "Fore", -1);
    showAt(pCr, ppngLayout, nXOffset + nMid - 15, static_cast<gint>(g.nYChart) - 50);
    pango_layout_set_text(ppngLayout, "Aft", -1);
    showAt(pCr, ppngLayout, nXOffset + nMid - 15, g.nYChart + g.nSizeChart + 32);
    pango_layout_set_text(ppngLayout, "L", -1);
    showAt(pCr, ppngLayout, nXOffset + 2, nYOffset + nMid - 15);
    pango_layout_set_text(ppngLayout, "R", -1);
    showAt(pCr, ppngLayout, nXOffset + static_cast<gint>(g.nSize) - 15, nYOffset + nMid - 15);
    pango_layout_set_attributes(ppngLayout, m_pattrEmpty);
}

// The scales in blue: arms in inches right of the grid, lateral arms turned
// above it.
void drawScales(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g)
{
    setColour(pCr, BLUE);
    setFont(ppngLayout, "sans 8");
    char szLabel[10];
    for (double iL = 0; iL < 3.0; iL += 0.5) {
        snprintf(szLabel, sizeof szLabel, "%2.1f", AFT_LIMIT - iL);
        pango_layout_set_text(ppngLayout, szLabel, -1);
        showAt(pCr, ppngLayout, g.nXChart + g.nSizeChart + 4,
               trunc32(g.nYChart + g.nSizeChart - iL * g.nYLineIntv - 8));
    }
    for (double iL = -0.8; iL <= 0.8; iL += 0.2) {
        if (iL >= -0.1 && iL <= 0.1)
            snprintf(szLabel, sizeof szLabel, "CL");
        else
            snprintf(szLabel, sizeof szLabel, "%2.1f", iL);
        pango_layout_set_text(ppngLayout, szLabel, -1);
        const gint nX = trunc32(g.nXCLine + iL * g.nXLineIntv - 5);
        const gint nY = static_cast<gint>(g.nYChart) - (iL < -0.1 ? 5 : 10);
        cairo_save(pCr);
        cairo_translate(pCr, nX, nY);
        cairo_rotate(pCr, 4.71);
        showAt(pCr, ppngLayout, 0, 0);
        cairo_restore(pCr);
    }
}

// Where a centre of gravity (arms in inches) is marked: on the chart's
// scale, clamped to the square, and whether it lies outside the chart area.
struct MarkerPoint {
    gint nX, nY;
    bool bOutside;
    double nXRaw, nYRaw; // unclamped; no number where the arm is none
    double nLongIn, nLatIn;
};

MarkerPoint markerPoint(const _chartGeometry& g, double nLongArm, double nLatArm)
{
    const gint nXOffset = static_cast<gint>(g.nXOffset), nYOffset = static_cast<gint>(g.nYOffset);
    const gint nTop = nYOffset, nBottom = nYOffset + static_cast<gint>(g.nSize);
    const gint nLeft = nXOffset, nRight = nXOffset + static_cast<gint>(g.nSize);
    MarkerPoint m;
    m.nY = markerCoordinate(static_cast<gint>(g.nYChart + g.nSizeChart), -((AFT_LIMIT - nLongArm) * g.nYLineIntv), nTop,
                            nBottom);
    m.nX = markerCoordinate(static_cast<gint>(g.nXCLine), nLatArm * g.nXLineIntv, nLeft, nRight);
    m.bOutside = m.nY > static_cast<gint>(g.nYChart + g.nSizeChart) || m.nY < static_cast<gint>(g.nYChart) ||
                 m.nX > static_cast<gint>(g.nXChart + g.nSizeChart) || m.nX < static_cast<gint>(g.nXChart);
    m.nYRaw = g.nYChart + g.nSizeChart - (AFT_LIMIT - nLongArm) * g.nYLineIntv;
    m.nXRaw = g.nXCLine + nLatArm * g.nXLineIntv;
    m.nLongIn = nLongArm;
    m.nLatIn = nLatArm;
    return m;
}

// Which way a mark of half-size nExtent at m would stand beyond the square:
// -1, 0 or 1 across (nX) and along (nY); both 0 where it fits whole. A
// point whose arm is no number is beyond on that side's low edge.
struct Beyond {
    int nX, nY;
};

Beyond beyondSquare(const _chartGeometry& g, const MarkerPoint& m, double nExtent)
{
    auto side = [nExtent](double n, double nLow, double nHigh) {
        if (!(n >= nLow + nExtent))
            return -1;
        return n > nHigh - nExtent ? 1 : 0;
    };
    return {side(m.nXRaw, g.nXOffset, g.nXOffset + g.nSize), side(m.nYRaw, g.nYOffset, g.nYOffset + g.nSize)};
}

// A mark beyond the square: a red arrow at its edge pointing the way the
// point lies, and beside it, inside the square, what lies beyond ("take-off
// 100.40 in", "landing lateral -1.20 in").
// An arrow drawn at the edge for a point beyond the drawing: what its label
// says, where its tip is, and the box it covers.
struct _chartArrow {
    std::string strName;
    std::vector<double> longIn, latIn; // the arms it stands for, in inches
    Beyond b;
    double xTip, yTip;
    bool bTop;
    _chartBox box;
    bool bPlaced = false;
};

// An arm or the span of arms a label gives: "100.40 in", "100.30 to
// 100.60 in".
std::string armsText(std::vector<double> v)
{
    auto inches = [](double n) {
        if (!std::isfinite(n))
            return std::string("no number");
        char sz[32];
        snprintf(sz, sizeof sz, "%.2f", n);
        return std::string(sz);
    };
    std::sort(v.begin(), v.end());
    const std::string strLeast = inches(v.front()), strMost = inches(v.back());
    return (strLeast == strMost ? strLeast : strLeast + " to " + strMost) + " in";
}

// The label of an arrow, or of arrows that share one: the points' names
// and the arms they lie beyond by ("take-off 100.40 in", "landing, no fuel
// lateral 1.20 to 1.30 in"); without the names where bShort.
std::string arrowLabel(const _chartArrow& a, bool bShort)
{
    std::string str = bShort ? "" : a.strName;
    if (a.b.nY)
        str += (str.empty() ? "" : " ") + armsText(a.longIn);
    if (a.b.nX)
        str += std::string(a.b.nY ? ", " : str.empty() ? "" : " ") + "lateral " + armsText(a.latIn);
    return str;
}

constexpr double EDGE_INSET = 3;

// A mark beyond the square: a red arrow at its edge pointing the way the
// point lies; its label ("take-off 100.40 in", "landing lateral -1.20 in")
// is written once every arrow is drawn.
_chartArrow drawEdgeArrow(cairo_t* pCr, const _chartGeometry& g, const MarkerPoint& m, Beyond b, const char* pszName)
{
    constexpr double LENGTH = 18, HEAD = 7;
    const double nLow = EDGE_INSET, nHigh = g.nSize - EDGE_INSET;
    auto clamp = [&](double n, double nBase) {
        return std::isfinite(n) ? std::clamp(n - nBase, nLow + LENGTH, nHigh - LENGTH) + nBase : nBase + nLow;
    };
    // The tip on the edge the point lies beyond, else where the point is.
    const double xTip = b.nX ? (b.nX < 0 ? g.nXOffset + nLow : g.nXOffset + nHigh) : clamp(m.nXRaw, g.nXOffset);
    const double yTip = b.nY ? (b.nY < 0 ? g.nYOffset + nLow : g.nYOffset + nHigh) : clamp(m.nYRaw, g.nYOffset);
    const double nNorm = std::hypot(b.nX, b.nY);
    const double dx = b.nX / nNorm, dy = b.nY / nNorm;
    const double xTail = xTip - dx * LENGTH, yTail = yTip - dy * LENGTH;
    cairo_save(pCr);
    setColour(pCr, RED);
    cairo_set_line_width(pCr, 2.5);
    cairo_move_to(pCr, xTail, yTail);
    cairo_line_to(pCr, xTip - dx * HEAD, yTip - dy * HEAD);
    cairo_stroke(pCr);
    cairo_move_to(pCr, xTip, yTip);
    cairo_line_to(pCr, xTip - dx * HEAD - dy * HEAD * 0.6, yTip - dy * HEAD + dx * HEAD * 0.6);
    cairo_line_to(pCr, xTip - dx * HEAD + dy * HEAD * 0.6, yTip - dy * HEAD - dx * HEAD * 0.6);
    cairo_close_path(pCr);
    cairo_fill(pCr);
    cairo_restore(pCr);

    const double x0 = std::min(xTail, xTip) - HEAD, y0 = std::min(yTail, yTip) - HEAD;
    return {pszName,
            {m.nLongIn},
            {m.nLatIn},
            b,
            xTip,
            yTip,
            b.nY ? b.nY < 0 : yTip < g.nYOffset + g.nSize / 2.0,
            {x0, y0, std::fabs(xTip - xTail) + 2 * HEAD, std::fabs(yTip - yTail) + 2 * HEAD}};
}

// Arrows whose tips lie together on one edge share one label, their points
// in the order drawn, so none reads as another's.
std::vector<_chartArrow> sharedLabels(const std::vector<_chartArrow>& arrows)
{
    std::vector<_chartArrow> labels;
    for (const _chartArrow& a : arrows) {
        auto near = [&](const _chartArrow& b) {
            return std::fabs(a.xTip - b.xTip) < 40 && std::fabs(a.yTip - b.yTip) < 40;
        };
        if (auto it = std::find_if(labels.begin(), labels.end(), near); it != labels.end()) {
            it->strName += ", " + a.strName;
            it->longIn.push_back(a.longIn.front());
            it->latIn.push_back(a.latIn.front());
            it->b = {it->b.nX ? it->b.nX : a.b.nX, it->b.nY ? it->b.nY : a.b.nY};
        } else {
            labels.push_back(a);
        }
    }
    return labels;
}

// A row a label may take, with the ends it may use: the strips' outside the
// drawing, the inside's within it.
struct _chartRow {
    double y, nFrom, nTo;
    bool bInside;
};

// The rows for a label nHeight high, in the order tried: the strip of its
// own edge (the top one for bTop), the rows inside the drawing nearest that
// edge, the other strip.
std::vector<_chartRow> labelRows(const _chartGeometry& g, bool bTop, double nHeight)
{
    const double xChart = g.nXChart, yChart = g.nYChart, nChart = g.nSizeChart;
    const double nStart = g.nXOffset + EDGE_INSET, nEnd = g.nXOffset + g.nSize - EDGE_INSET;
    std::vector<_chartRow> top, bottom, inside;
    if (g.nYOffset + EDGE_INSET + nHeight <= yChart - 2)
        top.push_back({g.nYOffset + EDGE_INSET, nStart, nEnd, false});
    for (double y = g.nYOffset + g.nSize - EDGE_INSET - nHeight; y >= yChart + nChart + 2; y -= nHeight + 1)
        bottom.push_back({y, nStart, nEnd, false});
    for (double n = 2; n + nHeight <= nChart - 2; n += nHeight + 1)
        inside.push_back({bTop ? yChart + n : yChart + nChart - n - nHeight, xChart + 2, xChart + nChart - 2, true});
    std::vector<_chartRow> rows = bTop ? top : bottom;
    rows.insert(rows.end(), inside.begin(), inside.end());
    for (const _chartRow& r : bTop ? bottom : top)
        rows.push_back(r);
    return rows;
}

// Writes the label the layout holds (nWidth × nHeight) for arrow a at the
// nearest place clear of everything taken, and takes it; false where there
// is none.
bool placeLabel(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g, const _chartArrow& a, double nWidth,
                double nHeight, std::vector<_chartBox>& taken)
{
    const double nStart = g.nXOffset + EDGE_INSET, nEnd = g.nXOffset + g.nSize - EDGE_INSET;
    const double xWant = a.xTip < g.nXOffset + EDGE_INSET + 1             ? nStart
                         : a.xTip > g.nXOffset + g.nSize - EDGE_INSET - 1 ? nEnd - nWidth
                                                                          : a.xTip + 8;
    std::vector<double> along = {xWant, a.xTip - 8 - nWidth};
    for (double x = nStart; x + nWidth <= nEnd; x += 4)
        along.push_back(x);
    std::stable_sort(along.begin() + 2, along.end(),
                     [&](double p, double q) { return std::fabs(p - xWant) < std::fabs(q - xWant); });
    for (const _chartRow& r : labelRows(g, a.bTop, nHeight))
        for (double x : along) {
            const _chartBox box = {x, r.y, nWidth, nHeight};
            const _chartBox clear = {x - 4, r.y - 1, nWidth + 8, nHeight + 2};
            if (x < r.nFrom || x + nWidth > r.nTo ||
                std::any_of(taken.begin(), taken.end(), [&](const _chartBox& t) { return t.overlaps(clear); }))
                continue;
            taken.push_back(box);
            if (r.bInside) {
                setColour(pCr, GdkRGBA{1.0, 1.0, 1.0, 0.85});
                cairo_rectangle(pCr, x - 1, r.y, nWidth + 2, nHeight);
                cairo_fill(pCr);
            }
            setColour(pCr, RED);
            showAt(pCr, ppngLayout, x, r.y);
            return true;
        }
    return false;
}

// Each arrow's label, with its arm: in the strip along the top or the
// bottom edge (the one its point lies beyond, or the nearer) beside its
// arrow, or at its side's end for one beyond a side; else in a row inside
// the drawing nearest that edge, on a pale ground; else in the other
// strip: the nearest place clear of every arrow, caption, message, scale,
// word of direction and label before it. A label with no such place is
// left out: its arrow stands.
void writeEdgeLabels(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g,
                     const std::vector<_chartArrow>& arrows, std::vector<_chartBox> taken)
{
    if (arrows.empty())
        return;
    cairo_save(pCr);
    setFont(ppngLayout, "sans 8");
    pango_layout_set_attributes(ppngLayout, m_pattrBoldRed);
    const double xWord = g.nXOffset + g.nSize / 2.0 - 18;
    const double xChart = g.nXChart, yChart = g.nYChart, nChart = g.nSizeChart;
    taken.push_back({xWord, static_cast<double>(g.nYOffset), 46, 18});    // "Fore"
    taken.push_back({xWord, yChart + nChart + 30, 46, 20});               // "Aft"
    taken.push_back({xChart + nChart + 2, yChart - 10, 30, nChart + 20}); // the arms' scale
    taken.push_back({xChart - 12, yChart - 28, nChart + 24, 28});         // the lateral scale
    for (const _chartArrow& a : arrows)
        taken.push_back(a.box);
    std::vector<_chartArrow> labels = sharedLabels(arrows);
    // Each with its names where there is room for them, else without.
    for (int nTry = 0; nTry < 2; nTry++)
        for (_chartArrow& a : labels) {
            if (a.bPlaced)
                continue;
            const std::string strLabel = arrowLabel(a, nTry == 1);
            pango_layout_set_text(ppngLayout, strLabel.c_str(), -1);
            int nW = 0, nH = 0;
            pango_layout_get_pixel_size(ppngLayout, &nW, &nH);
            a.bPlaced = placeLabel(pCr, ppngLayout, g, a, nW, nH, taken);
        }
    pango_layout_set_attributes(ppngLayout, m_pattrEmpty);
    cairo_restore(pCr);
}

// The marker at the loaded centre of gravity: a cross and a translucent
// disc, blue inside the chart area, red outside it, never drawn outside the
// square.
void drawMarker(cairo_t* pCr, const MarkerPoint& m)
{
    GdkRGBA cRGB = m.bOutside ? RED : BLUE;
    cairo_save(pCr);
    setColour(pCr, cRGB);
    cairo_translate(pCr, m.nX, m.nY);
    cairo_set_line_width(pCr, 2.0);
    cairo_move_to(pCr, -30, 0);
    cairo_line_to(pCr, 30, 0);
    cairo_move_to(pCr, 0, -30);
    cairo_line_to(pCr, 0, 30);
    cairo_stroke(pCr);
    cRGB.alpha = 0.2;
    setColour(pCr, cRGB);
    cairo_arc(pCr, 0, 0, 20, 0, 6.28);
    cairo_fill(pCr);
    cairo_restore(pCr);
}

// The burn-off: a line from the take-off marker's centre to the zero-fuel
// point and a ring there, red when the ring lies outside the chart area;
// through a diamond at the landing point where there is a trip, red when the
// landing point lies outside.
void drawBurnOff(cairo_t* pCr, const _chartGeometry& g, const MarkerPoint& takeOff, const MarkerPoint& zeroFuel,
                 const MarkerPoint* pLanding, std::vector<_chartArrow>& arrows, std::vector<_chartBox>& marks)
{
    // No line where both ends lie beyond the drawing: it would run along
    // its edge between two arrows.
    const Beyond t = beyondSquare(g, takeOff, 0), z = beyondSquare(g, zeroFuel, 0);
    if (!((t.nX || t.nY) && (z.nX || z.nY))) {
        setColour(pCr, zeroFuel.bOutside ? RED : BLUE);
        cairo_set_line_width(pCr, 2.0);
        cairo_move_to(pCr, takeOff.nX, takeOff.nY);
        cairo_line_to(pCr, zeroFuel.nX, zeroFuel.nY);
        cairo_stroke(pCr);
    }
    const Beyond bLanding = pLanding ? beyondSquare(g, *pLanding, LANDING_MARK) : Beyond{0, 0};
    if (bLanding.nX || bLanding.nY)
        arrows.push_back(drawEdgeArrow(pCr, g, *pLanding, bLanding, "landing"));
    else if (pLanding) {
        setColour(pCr, pLanding->bOutside ? RED : BLUE);
        cairo_move_to(pCr, pLanding->nX, pLanding->nY - LANDING_MARK);
        cairo_line_to(pCr, pLanding->nX + LANDING_MARK, pLanding->nY);
        cairo_line_to(pCr, pLanding->nX, pLanding->nY + LANDING_MARK);
        cairo_line_to(pCr, pLanding->nX - LANDING_MARK, pLanding->nY);
        cairo_close_path(pCr);
        cairo_fill(pCr);
        setColour(pCr, zeroFuel.bOutside ? RED : BLUE);
        marks.push_back({pLanding->nX - LANDING_MARK, pLanding->nY - LANDING_MARK, 2 * LANDING_MARK, 2 * LANDING_MARK});
    }
    if (const Beyond b = beyondSquare(g, zeroFuel, BURN_OFF_RING_RADIUS + 2); b.nX || b.nY) {
        arrows.push_back(drawEdgeArrow(pCr, g, zeroFuel, b, "no fuel"));
        return;
    }
    setColour(pCr, zeroFuel.bOutside ? RED : BLUE);
    cairo_set_line_width(pCr, 3.0);
    cairo_arc(pCr, zeroFuel.nX, zeroFuel.nY, BURN_OFF_RING_RADIUS, 0, 2 * G_PI);
    cairo_stroke(pCr);
    constexpr double RING = BURN_OFF_RING_RADIUS + 2;
    marks.push_back({zeroFuel.nX - RING, zeroFuel.nY - RING, 2 * RING, 2 * RING});
}

// The legs' path: neither the envelope's blue nor the warning's red.
constexpr GdkRGBA LEG_PATH = {0.0, 0.5, 0.0, 1.0};
constexpr double LEG_DOT = 3.5;

// Where a leg's points are drawn.
MarkerPoint legPoint(const _chartGeometry& g, const _wbPoint& p)
{
    return markerPoint(g, p.nLongArm / MM_PER_INCH, p.nLatArm / MM_PER_INCH);
}

// Every leg of a flight of several: a thin line from each take-off (a dot)
// to its landing (a ring) where it has a trip, and dashed from there to the
// next take-off, the change at the stop. A point outside the envelope is
// red; one beyond the square is held at its edge, as the marker is, and
// drawn as a red arrow there with its arm, as every mark beyond it is. The
// dots and arrows are added to marks, which the numbers keep clear of.
void drawLegs(cairo_t* pCr, const _chartGeometry& g, const std::vector<_chartLeg>& legs,
              std::vector<_chartArrow>& arrows, std::vector<_chartBox>& marks)
{
    if (legs.empty())
        return;
    cairo_save(pCr);
    setColour(pCr, LEG_PATH);
    cairo_set_line_width(pCr, 2.0);
    for (size_t n = 0; n < legs.size(); n++) {
        const MarkerPoint t = legPoint(g, legs[n].takeOff), l = legs[n].bLanding ? legPoint(g, legs[n].landing) : t;
        cairo_move_to(pCr, t.nX, t.nY);
        cairo_line_to(pCr, l.nX, l.nY);
        cairo_stroke(pCr);
        if (n + 1 == legs.size())
            break;
        const MarkerPoint next = legPoint(g, legs[n + 1].takeOff);
        constexpr double DASH[] = {4.0, 3.0};
        cairo_set_dash(pCr, DASH, 2, 0);
        cairo_move_to(pCr, l.nX, l.nY);
        cairo_line_to(pCr, next.nX, next.nY);
        cairo_stroke(pCr);
        cairo_set_dash(pCr, nullptr, 0, 0);
    }
    cairo_set_line_width(pCr, 1.5);
    for (size_t n = 0; n < legs.size(); n++) {
        const std::string strLeg = "leg " + std::to_string(n + 1);
        const std::array<std::pair<const _wbPoint*, bool>, 2> points = {
            {{&legs[n].takeOff, true}, {&legs[n].landing, legs[n].bLanding}}};
        for (const auto& [p, bDrawn] : points) {
            if (!bDrawn)
                continue;
            const bool bTakeOff = p == &legs[n].takeOff;
            const MarkerPoint m = legPoint(g, *p);
            if (const Beyond b = beyondSquare(g, m, LEG_DOT); b.nX || b.nY) {
                arrows.push_back(drawEdgeArrow(pCr, g, m, b, (strLeg + (bTakeOff ? " take-off" : " landing")).c_str()));
                marks.push_back(arrows.back().box);
                continue;
            }
            setColour(pCr, m.bOutside ? RED : LEG_PATH);
            cairo_new_path(pCr);
            cairo_arc(pCr, m.nX, m.nY, LEG_DOT, 0, 2 * G_PI);
            if (bTakeOff)
                cairo_fill(pCr);
            else
                cairo_stroke(pCr);
            marks.push_back({m.nX - LEG_DOT - 1, m.nY - LEG_DOT - 1, 2 * LEG_DOT + 2, 2 * LEG_DOT + 2});
        }
    }
    cairo_restore(pCr);
}

// Each leg's number beside its take-off, over the marker drawn after the
// path, clear of every mark and of each other; the boxes they took are
// added to marks.
void writeLegNumbers(cairo_t* pCr, PangoLayout* ppngLayout, const _chartGeometry& g, const std::vector<_chartLeg>& legs,
                     std::vector<_chartBox>& marks)
{
    if (legs.empty())
        return;
    cairo_save(pCr);
    setColour(pCr, LEG_PATH);
    setFont(ppngLayout, "sans bold 8");
    pango_layout_set_attributes(ppngLayout, nullptr);
    std::vector<std::pair<double, double>> points, sizes;
    for (size_t n = 0; n < legs.size(); n++) {
        const MarkerPoint m = legPoint(g, legs[n].takeOff);
        points.emplace_back(m.nX, m.nY);
        pango_layout_set_text(ppngLayout, std::to_string(n + 1).c_str(), -1);
        int nW = 0, nH = 0;
        pango_layout_get_pixel_size(ppngLayout, &nW, &nH);
        sizes.emplace_back(nW, nH);
    }
    const std::vector<_chartPlace> places = pwbLegNumberPlaces(g, points, sizes, marks);
    cairo_set_line_width(pCr, 1.0);
    for (size_t n = 0; n < places.size(); n++) {
        const _chartBox& b = places[n].box;
        if (places[n].bLeader) {
            // From the dot's rim to the nearest point of the number.
            const auto [x, y] = points[n];
            const double xTo = std::clamp(x, b.x, b.x + b.nWidth), yTo = std::clamp(y, b.y, b.y + b.nHeight);
            const double nLength = std::hypot(xTo - x, yTo - y);
            cairo_move_to(pCr, x + (xTo - x) * LEG_DOT / nLength, y + (yTo - y) * LEG_DOT / nLength);
            cairo_line_to(pCr, xTo, yTo);
            cairo_stroke(pCr);
        }
        pango_layout_set_text(ppngLayout, std::to_string(n + 1).c_str(), -1);
        showAt(pCr, ppngLayout, b.x, b.y);
        marks.push_back(b);
    }
    pango_layout_set_attributes(ppngLayout, m_pattrEmpty);
    cairo_restore(pCr);
}

// The message of the points a sheet judges, every leg's too: a warning
// where any point has one, else the take-off's caution, and that only on a
// flight within limits.
_chartMessage sheetMessage(const _chartInput& what)
{
    std::vector<const _wbPoint*> points = {&what.takeOff, what.bLanding ? &what.landing : nullptr, &what.zeroFuel};
    for (const _chartLeg& l : what.legs) {
        points.push_back(&l.takeOff);
        points.push_back(l.bLanding ? &l.landing : nullptr);
    }
    for (const _wbPoint* p : points) {
        if (!p)
            continue;
        const _chartMessage n = calcChooseMessage(p->nLongArm / MM_PER_INCH, p->nLatArm / MM_PER_INCH, p->nWeight);
        if (n == CHART_MSG_COFG || n == CHART_MSG_WEIGHT)
            return n;
    }
    return what.bWithin ? calcChooseMessage(what.takeOff.nLongArm / MM_PER_INCH, what.takeOff.nLatArm / MM_PER_INCH,
                                            what.takeOff.nWeight)
                        : CHART_MSG_NONE;
}

PangoAttrList* newBoldList(guint16 nRed, guint16 nGreen, guint16 nBlue)
{
    PangoAttrList* pattr = pango_attr_list_new();
    pango_attr_list_insert(pattr, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    pango_attr_list_insert(pattr, pango_attr_foreground_new(nRed, nGreen, nBlue));
    return pattr;
}

} // namespace

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

_chartGeometry pwbChartGeometry(guint nWidth, guint nHeight)
{
    _chartGeometry g{};
    g.nWidth = nWidth;
    g.nHeight = nHeight;
    g.nSize = nWidth < nHeight ? nWidth : nHeight;
    g.nXOffset = (nWidth - g.nSize) / 2;
    g.nYOffset = (nHeight - g.nSize) / 2;
    if (g.nSize < MIN_CHART_SIZE)
        return g; // no chart area: the margin only
    g.nSizeChart = g.nSize - 2 * MARGIN;
    g.nXChart = g.nXOffset + MARGIN;
    g.nYChart = g.nYOffset + MARGIN;
    g.nYLineIntv = g.nSizeChart / LONG_SPAN;
    g.nXLineIntv = g.nSizeChart / LAT_SPAN;
    g.nXCLine = g.nSizeChart / 2 + g.nXChart;
    return g;
}

std::vector<_chartPlace> pwbLegNumberPlaces(const _chartGeometry& g,
                                            const std::vector<std::pair<double, double>>& points,
                                            const std::vector<std::pair<double, double>>& sizes,
                                            std::vector<_chartBox> taken)
{
    // Up right of the point first, as a number is read, then round it; then
    // the same a line's height further out each time, to the square's size.
    constexpr std::array<std::pair<int, int>, 8> SIDES = {
        {{1, -1}, {1, 1}, {-1, -1}, {-1, 1}, {1, 0}, {-1, 0}, {0, -1}, {0, 1}}};
    const double nGap = LEG_DOT + 2;
    const double xLow = g.nXOffset, xHigh = g.nXOffset + g.nSize;
    const double yLow = g.nYOffset, yHigh = g.nYOffset + g.nSize;
    std::vector<_chartPlace> places;
    for (size_t n = 0; n < points.size() && n < sizes.size(); n++) {
        // Plain names, not bindings: a lambda takes these by reference.
        const double x = points[n].first, y = points[n].second, w = sizes[n].first, h = sizes[n].second;
        auto at = [&](int dx, int dy, double nOut) {
            const double bx = dx > 0 ? x + nGap + nOut : dx < 0 ? x - nGap - nOut - w : x - w / 2;
            const double by = dy > 0 ? y + nGap + nOut : dy < 0 ? y - nGap - nOut - h : y - h / 2;
            return _chartBox{std::clamp(bx, xLow, std::max(xLow, xHigh - w)),
                             std::clamp(by, yLow, std::max(yLow, yHigh - h)), w, h};
        };
        _chartPlace place = {at(1, -1, 0), false};
        bool bFound = false;
        for (double nOut = 0; !bFound && nOut <= g.nSize; nOut += std::max(h, 1.0))
            for (const auto& [dx, dy] : SIDES) {
                const _chartBox box = at(dx, dy, nOut);
                if (std::any_of(taken.begin(), taken.end(), [&](const _chartBox& t) { return t.overlaps(box); }))
                    continue;
                // A number not beside its point is tied to it by a line.
                const double xNear = std::clamp(x, box.x, box.x + w), yNear = std::clamp(y, box.y, box.y + h);
                place = {box, std::hypot(xNear - x, yNear - y) > 2 * nGap};
                bFound = true;
                break;
            }
        taken.push_back(place.box);
        places.push_back(place);
    }
    return places;
}

_chartInput pwbChartInput(void)
{
    _chartInput what = pwbChartInputOf(legCalcShown(), stateLoad().bShowBurnOff != FALSE);
    if (stateLegs().size() > 1)
        what.legs = pwbChartLegsOf(legCalcAll());
    what.margins = pwbChartMarginsOf(m_wbSetup);
    return what;
}

_chartMargins pwbChartMarginsOf(const _wbSetup& s)
{
    return {limMarginInside(LIM_MARGIN_ROWS[MARGIN_FORWARD], s), limMarginInside(LIM_MARGIN_ROWS[MARGIN_AFT], s),
            limMarginInside(LIM_MARGIN_ROWS[MARGIN_LEFT], s)};
}

_chartInput pwbChartInputOf(const _wbFlight& f, bool bShowBurnOff)
{
    return {f.points[POINT_TAKE_OFF], f.points[POINT_NO_FUEL], bShowBurnOff, f.points[POINT_LANDING], f.bLanding};
}

std::vector<_chartLeg> pwbChartLegsOf(const std::vector<_wbFlight>& legs)
{
    std::vector<_chartLeg> chart;
    if (legs.size() < 2)
        return chart;
    for (const _wbFlight& f : legs)
        chart.push_back({f.points[POINT_TAKE_OFF], f.points[POINT_LANDING], f.hasPoint(POINT_LANDING)});
    return chart;
}

_chartInput pwbSheetChartInputOf(const _wbFlight& f)
{
    _chartInput what = pwbChartInputOf(f, true);
    what.bEveryPoint = true;
    what.bWithin = f.within();
    return what;
}

void pwbDrawChart(cairo_t* pCr, guint nWidth, guint nHeight, const _chartInput& what)
{
    const double nLongArm = what.takeOff.nLongArm / MM_PER_INCH;
    const double nLatArm = what.takeOff.nLatArm / MM_PER_INCH;
    const _chartGeometry g = pwbChartGeometry(nWidth, nHeight);
    const ChartTexts texts =
        chartTexts(what.bEveryPoint ? sheetMessage(what) : calcChooseMessage(nLongArm, nLatArm, what.takeOff.nWeight));

    drawMargin(pCr, g);
    g_autoptr(PangoLayout) ppngLayout = pango_cairo_create_layout(pCr);
    pango_layout_set_alignment(ppngLayout, PANGO_ALIGN_CENTER);
    // Too small for the chart: the margin alone says so.
    if (g.nSize < MIN_CHART_SIZE || !centredTextsFit(ppngLayout, g, texts.pszTitle, texts.pszMessage))
        return;

    drawEnvelope(pCr, g);
    drawCautionBands(pCr, g);
    drawSchoolMargins(pCr, g, what.margins);
    const MarkerPoint takeOff = markerPoint(g, nLongArm, nLatArm);
    auto drawTexts = [&](std::vector<_chartBox>* pBoxes) {
        drawCautionCaptions(pCr, ppngLayout, g, pBoxes);
        if (texts.pszTitle)
            drawMessage(pCr, ppngLayout, g, texts, pBoxes);
    };
    auto drawMarks = [&] {
        std::vector<_chartArrow> arrows;
        // What the legs' numbers and the arrows' labels keep clear of: the
        // captions and message, measured as they will be drawn, and the
        // marks.
        std::vector<_chartBox> boxes;
        cairo_push_group(pCr);
        drawTexts(&boxes);
        cairo_pattern_destroy(cairo_pop_group(pCr));
        drawLegs(pCr, g, what.legs, arrows, boxes);
        // The take-off's arrow over the burn-off line that starts under it.
        const Beyond b = beyondSquare(g, takeOff, 30);
        const bool bArrow = what.bEveryPoint && (b.nX || b.nY);
        if (!bArrow)
            drawMarker(pCr, takeOff);
        writeLegNumbers(pCr, ppngLayout, g, what.legs, boxes);
        if (what.bShowBurnOff) {
            const MarkerPoint landing =
                markerPoint(g, what.landing.nLongArm / MM_PER_INCH, what.landing.nLatArm / MM_PER_INCH);
            drawBurnOff(pCr, g, takeOff,
                        markerPoint(g, what.zeroFuel.nLongArm / MM_PER_INCH, what.zeroFuel.nLatArm / MM_PER_INCH),
                        what.bLanding ? &landing : nullptr, arrows, boxes);
        }
        if (bArrow)
            arrows.insert(arrows.begin(), drawEdgeArrow(pCr, g, takeOff, b, "take-off"));
        if (arrows.empty())
            return;
        if (!bArrow)
            boxes.push_back({takeOff.nX - 30.0, takeOff.nY - 30.0, 60, 60});
        writeEdgeLabels(pCr, ppngLayout, g, arrows, boxes);
    };
    if (!what.bShowBurnOff) {
        // The chart as it has always been drawn: the marker over it all.
        drawTexts(nullptr);
        drawGrid(pCr, g, texts.bWarning);
        drawDirections(pCr, ppngLayout, g);
        drawScales(pCr, ppngLayout, g);
        drawMarks();
        return;
    }
    // With the burn-off, every mark goes under the captions and scales.
    drawGrid(pCr, g, texts.bWarning);
    drawMarks();
    drawTexts(nullptr);
    drawDirections(pCr, ppngLayout, g);
    drawScales(pCr, ppngLayout, g);
}

gboolean pwbOnDraw(GtkWidget* pwgtWB, cairo_t* pCr, gpointer)
{
    const int nWidth = gtk_widget_get_allocated_width(pwgtWB);
    const int nHeight = gtk_widget_get_allocated_height(pwgtWB);
    if (nWidth > 0 && nHeight > 0)
        pwbDrawChart(pCr, static_cast<guint>(nWidth), static_cast<guint>(nHeight), pwbChartInput());
    return FALSE;
}
