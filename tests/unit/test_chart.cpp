// The centre-of-gravity chart: its geometry, the choice of message, and the
// picture itself, drawn on an image surface and read back pixel by pixel.
#include "model/calc.h"
#include "ui/hoverEdit.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <limits>

namespace
{

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct Pixel {
    int a, r, g, b;
    bool operator==(const Pixel& o) const
    {
        return a == o.a && r == o.r && g == o.g && b == o.b;
    }
};

std::ostream& operator<<(std::ostream& os, const Pixel& p)
{
    return os << "(a" << p.a << " r" << p.r << " g" << p.g << " b" << p.b << ")";
}

constexpr Pixel OPAQUE_BLUE{255, 0, 0, 255};
constexpr Pixel OPAQUE_RED{255, 255, 0, 0};
constexpr Pixel CLEAR{0, 0, 0, 0};

// The chart for given totals, drawn on a w × h image surface.
class Chart
{
  public:
    Chart(int w, int h, double nLongMm, double nLatMm, double nWeightKg)
        : Chart(w, h, _chartInput{{nWeightKg, 0, 0, nLongMm, nLatMm}, {}, false})
    {
    }
    Chart(int w, int h, const _chartInput& what)
    {
        pwbCreateAttrLists();
        m_psurf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
        cairo_t* pCr = cairo_create(m_psurf);
        pwbDrawChart(pCr, static_cast<guint>(w), static_cast<guint>(h), what);
        cairo_destroy(pCr);
        cairo_surface_flush(m_psurf);
    }
    ~Chart()
    {
        cairo_surface_destroy(m_psurf);
    }
    Pixel at(int x, int y) const
    {
        const unsigned char* pData = cairo_image_surface_get_data(m_psurf);
        const int nStride = cairo_image_surface_get_stride(m_psurf);
        const uint32_t n = *reinterpret_cast<const uint32_t*>(pData + y * nStride + x * 4);
        return {int(n >> 24), int((n >> 16) & 0xff), int((n >> 8) & 0xff), int(n & 0xff)};
    }

  private:
    cairo_surface_t* m_psurf;
};

TEST(ChartGeometry, WorkedAllocation)
{
    const _chartGeometry g = pwbChartGeometry(500, 400);
    EXPECT_EQ(g.nSize, 400u);
    EXPECT_EQ(g.nXOffset, 50u);
    EXPECT_EQ(g.nYOffset, 0u);
    EXPECT_EQ(g.nSizeChart, 300u);
    EXPECT_EQ(g.nXChart, 100u);
    EXPECT_EQ(g.nYChart, 50u);
    EXPECT_NEAR(g.nYLineIntv, 104.35, 0.01);
    EXPECT_NEAR(g.nXLineIntv, 170.45, 0.01);
    EXPECT_EQ(g.nXCLine, 250u);
    const _chartGeometry t = pwbChartGeometry(400, 501);
    EXPECT_EQ(t.nXOffset, 0u);
    EXPECT_EQ(t.nYOffset, 50u); // halvings round down
}

struct MessageCase {
    double nLongMm, nLatMm, nWeightKg;
    _chartMessage nExpected;
};

void PrintTo(const MessageCase& c, std::ostream* os)
{
    *os << c.nLongMm << "mm " << c.nLatMm << "mm " << c.nWeightKg << "kg";
}

class MessageChoice : public testing::TestWithParam<MessageCase>
{
};

TEST_P(MessageChoice, FollowsTheRulesInOrder)
{
    const MessageCase& c = GetParam();
    EXPECT_EQ(calcChooseMessage(c.nLongMm / 25.4, c.nLatMm / 25.4, c.nWeightKg), c.nExpected)
        << c.nLongMm << " mm, " << c.nLatMm << " mm, " << c.nWeightKg << " kg";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MessageChoice,
    testing::Values(MessageCase{2476.5, 0, 600, CHART_MSG_NONE},
                    // exactly on the envelope's ends: within it, but in a caution band
                    MessageCase{2514.6, 0, 600, CHART_MSG_SPEED}, MessageCase{2441.575, 0, 600, CHART_MSG_TAILWIND},
                    MessageCase{2514.7, 0, 600, CHART_MSG_COFG}, MessageCase{2441.5, 0, 600, CHART_MSG_COFG},
                    // exactly on the caution boundaries: no caution
                    MessageCase{96.5 * 25.4, 0, 600, CHART_MSG_NONE}, MessageCase{98.0 * 25.4, 0, 600, CHART_MSG_NONE},
                    MessageCase{96.49 * 25.4, 0, 600, CHART_MSG_TAILWIND},
                    MessageCase{98.01 * 25.4, 0, 600, CHART_MSG_SPEED},
                    // 22.352 mm is 0.8800000000000001 in: out of range on the chart
                    MessageCase{2476.5, 22.352, 600, CHART_MSG_COFG}, MessageCase{2476.5, -22.352, 600, CHART_MSG_COFG},
                    MessageCase{2476.5, 22.35, 600, CHART_MSG_NONE},
                    // the weight limit itself is within it; out of range hides over weight
                    MessageCase{2476.5, 0, MAX_TOTAL_WEIGHT, CHART_MSG_NONE},
                    MessageCase{2476.5, 0, 680.39, CHART_MSG_WEIGHT}, MessageCase{2450, 0, 700, CHART_MSG_WEIGHT},
                    MessageCase{2600, 0, 700, CHART_MSG_COFG},
                    // not a number fires nothing; an infinity is out of range
                    MessageCase{NaN, NaN, 0, CHART_MSG_NONE}, MessageCase{INFINITY, 0, 0, CHART_MSG_COFG},
                    MessageCase{2476.5, -INFINITY, 0, CHART_MSG_COFG}));

TEST(ChartPicture, MarkerInsideTheEnvelopeIsBlue)
{
    const Chart chart(500, 400, 2476.5, 0, 600); // 97.5 in, on the centre line
    // The cross is centred on (250, 194): its arms are 2 px wide and 60 long.
    EXPECT_EQ(chart.at(275, 193), OPAQUE_BLUE);
    EXPECT_EQ(chart.at(275, 194), OPAQUE_BLUE);
    EXPECT_EQ(chart.at(250, 219), OPAQUE_BLUE);
    EXPECT_EQ(chart.at(249, 170), OPAQUE_BLUE);
    EXPECT_NE(chart.at(275, 197), OPAQUE_BLUE);
    EXPECT_NE(chart.at(282, 194), OPAQUE_BLUE);
}

struct RedMarker {
    double nLongMm, nLatMm;
    int x, y; // a pixel on one arm of the cross
};

void PrintTo(const RedMarker& c, std::ostream* os)
{
    *os << c.nLongMm << "mm " << c.nLatMm << "mm at " << c.x << "," << c.y;
}

class MarkerOutside : public testing::TestWithParam<RedMarker>
{
};

TEST_P(MarkerOutside, IsRedAndClampedToTheSquare)
{
    const Chart chart(500, 400, GetParam().nLongMm, GetParam().nLatMm, 600);
    EXPECT_EQ(chart.at(GetParam().x, GetParam().y), OPAQUE_RED);
}

INSTANTIATE_TEST_SUITE_P(Positions, MarkerOutside,
                         testing::Values(RedMarker{2540, 30, 430, 399},  // (450, 400), the bottom-right corner
                                         RedMarker{2540, 30, 449, 380},  // its vertical arm
                                         RedMarker{2400, -10, 200, 0},   // (183, 0): -67.1 truncated to -67
                                         RedMarker{2400, -10, 182, 25},  // its vertical arm
                                         RedMarker{NaN, NaN, 75, 0},     // not a number: the top-left corner
                                         RedMarker{INFINITY, 0, 275, 0}) // beyond truncation: the top edge
);

TEST(ChartPicture, GridIsBlueUnlessAWarningIsShown)
{
    // A vertical grid line at x = 147, well away from texts and marker.
    auto gridBlue = [](const Chart& c) { return c.at(147, 220).b; };
    const Chart none(500, 400, 2476.5, 0, 600);
    const Chart caution(500, 400, 2500, 0, 600);
    const Chart overWeight(500, 400, 2476.5, 0, 700);
    const Chart outOfRange(500, 400, 2476.5, 22.352, 600);
    EXPECT_EQ(gridBlue(none), 255);
    EXPECT_EQ(gridBlue(caution), 255);
    EXPECT_LT(gridBlue(overWeight), 240);
    EXPECT_LT(gridBlue(outOfRange), 240);
    // The line darkens red and green in both cases.
    EXPECT_LT(none.at(147, 220).r, none.at(130, 220).r);
    EXPECT_LT(overWeight.at(147, 220).r, overWeight.at(130, 220).r);
}

TEST(ChartPicture, GridLinesLieWhereTheGeometryPutsThem)
{
    const Chart c(500, 400, 2476.5, 0, 600);
    const Pixel plain = c.at(130, 220);
    for (int x : {113, 147, 181, 215, 284, 318, 352, 386})
        EXPECT_LT(c.at(x, 220).r, plain.r) << "vertical line at x = " << x;
    for (int x : {130, 165, 200, 235, 300, 335, 370})
        EXPECT_EQ(c.at(x, 220), plain) << "no line at x = " << x;
    const Pixel plainRow = c.at(106, 220);
    for (int y : {297, 193, 141})
        EXPECT_LT(c.at(106, y).r, plainRow.r) << "horizontal line at y = " << y;
}

TEST(ChartPicture, CautionBandsCoverTheirArms)
{
    const Chart c(500, 400, 2476.5, 0, 600);
    const int x = 106;
    const Pixel open = c.at(x, 220);
    EXPECT_LT(c.at(x, 86).r, open.r); // forward band: y 50 to 89.13
    EXPECT_EQ(c.at(x, 92), open);
    EXPECT_LT(c.at(x, 247).r, open.r); // aft band: from y 246, 104 high
    EXPECT_EQ(c.at(x, 243), open);
    EXPECT_EQ(c.at(x, 247), c.at(x, 340));
}

TEST(ChartPicture, NothingIsPaintedOutsideTheSquare)
{
    const Chart tall(400, 500, 2476.5, 0, 600);
    for (int y : {0, 25, 49, 450, 475, 499})
        for (int x : {0, 100, 200, 399})
            EXPECT_EQ(tall.at(x, y), CLEAR) << x << "," << y;
    EXPECT_EQ(tall.at(0, 50).a, 51); // the translucent margin starts at the square
}

TEST(ChartPicture, TooSmallAnAreaShowsTheMarginOnly)
{
    for (int n : {1, 40, 99}) {
        const Chart c(n, n, 2476.5, 0, 600);
        const Pixel centre = c.at(n / 2, n / 2);
        EXPECT_EQ(centre, (Pixel{51, 51, 0, 0})) << n;
    }
    const Chart narrow(150, 150, 2476.5, 0, 600); // too narrow for the centred captions
    EXPECT_EQ(narrow.at(75, 75), (Pixel{51, 51, 0, 0}));
    const Chart enough(400, 400, 2476.5, 0, 600);
    EXPECT_NE(enough.at(200, 100), (Pixel{51, 51, 0, 0}));
}

// Three legs, each flown at one longitudinal arm: the path from a leg's
// take-off to its landing runs across the chart in a colour of its own.
TEST(ChartPicture, LegsAreJoinedInAColourNeitherBlueNorRed)
{
    auto point = [](double nLongIn, double nLatIn) { return _wbPoint{550, 0, 0, nLongIn * 25.4, nLatIn * 25.4}; };
    struct {
        double nLongIn, nLatFrom, nLatTo;
    } const flown[] = {{97.5, 0.4, 0.6}, {97.2, -0.6, -0.1}, {96.8, 0.1, 0.3}};
    _chartInput what = {point(97.5, 0.4), {}, false};
    for (const auto& f : flown)
        what.legs.push_back({point(f.nLongIn, f.nLatFrom), point(f.nLongIn, f.nLatTo), true});
    const Chart chart(500, 400, what);
    const _chartGeometry g = pwbChartGeometry(500, 400);
    auto green = [](const Pixel& p) { return p.a == 255 && p.g > p.r + 60 && p.g > p.b + 60; };
    // Halfway along the second leg, and the open chart above it.
    const int x = static_cast<int>(g.nXCLine + (-0.6 - 0.1) / 2 * g.nXLineIntv);
    const int y = static_cast<int>(g.nYChart + g.nSizeChart - (CHART_AFT_LIMIT - 97.2) * g.nYLineIntv);
    bool bFound = false;
    for (int dy = -3; dy <= 3; dy++)
        bFound = bFound || green(chart.at(x, y + dy));
    EXPECT_TRUE(bFound) << chart.at(x, y);
    EXPECT_FALSE(green(chart.at(x, y - 20))) << chart.at(x, y - 20);
    // Without legs, the same place is the open chart.
    const Chart one(500, 400, _chartInput{point(97.5, 0.4), {}, false});
    for (int dy = -3; dy <= 3; dy++)
        EXPECT_FALSE(green(one.at(x, y + dy)));
}

// Legs flown at given arms (inches): each leg's number clear of every other
// and of every point, inside the square; and each point beyond the square
// a red arrow at its edge, on the page and the sheet alike.
struct LegsCase {
    const char* pszName;
    std::vector<std::pair<double, double>> takeOffs; // long., lat. arm
    bool bSheet;
};

class LegPoints : public testing::TestWithParam<LegsCase>
{
};

TEST_P(LegPoints, NumbersNeverCoverEachOtherAndPointsBeyondAreRedArrows)
{
    const _chartGeometry g = pwbChartGeometry(460, 460);
    _chartInput what = {{}, {}, GetParam().bSheet, {}, false, GetParam().bSheet};
    std::vector<std::pair<double, double>> points;
    std::vector<_chartBox> dots;
    for (const auto& [nLong, nLat] : GetParam().takeOffs) {
        const _wbPoint p = {550, 0, 0, nLong * 25.4, nLat * 25.4};
        what.legs.push_back({p, p, false});
        const double x = std::clamp(g.nXCLine + nLat * g.nXLineIntv, double(g.nXOffset), double(g.nXOffset + g.nSize));
        const double y = std::clamp(g.nYChart + g.nSizeChart - (CHART_AFT_LIMIT - nLong) * g.nYLineIntv,
                                    double(g.nYOffset), double(g.nYOffset + g.nSize));
        points.emplace_back(x, y);
        dots.push_back({x - 4.5, y - 4.5, 9, 9});
    }
    what.takeOff = what.legs.front().takeOff, what.zeroFuel = what.takeOff;
    const std::vector<_chartPlace> places =
        pwbLegNumberPlaces(g, points, std::vector<std::pair<double, double>>(points.size(), {7, 12}), dots);
    ASSERT_EQ(places.size(), points.size());
    for (size_t n = 0; n < places.size(); n++) {
        const _chartBox& b = places[n].box;
        EXPECT_TRUE(b.x >= g.nXOffset && b.y >= g.nYOffset && b.x + b.nWidth <= g.nXOffset + g.nSize &&
                    b.y + b.nHeight <= g.nYOffset + g.nSize)
            << "number " << n + 1 << " off the square";
        for (size_t m = 0; m < places.size(); m++)
            EXPECT_FALSE(m != n && b.overlaps(places[m].box)) << "numbers " << n + 1 << " and " << m + 1;
        for (const _chartBox& d : dots)
            EXPECT_FALSE(b.overlaps(d)) << "number " << n + 1 << " over a point";
    }
    // An arrow's shaft runs from 10 to 21 px in from the edge its point
    // lies beyond.
    const Chart chart(460, 460, what);
    const double nLow = g.nXOffset, nHigh = g.nXOffset + g.nSize;
    for (const auto& [x, y] : points) {
        if (x > nLow && x < nHigh && y > nLow && y < nHigh)
            continue;
        const int nX = static_cast<int>(x <= nLow ? x + 13 : x >= nHigh ? x - 13 : x);
        const int nY = static_cast<int>(y <= nLow ? y + 13 : y >= nHigh ? y - 13 : y);
        EXPECT_EQ(chart.at(nX, nY), OPAQUE_RED) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flights, LegPoints,
    testing::Values(
        LegsCase{"SixAtOnePoint", {{97.5, 0}, {97.5, 0}, {97.5, 0}, {97.5, 0}, {97.5, 0}, {97.5, 0}}, false},
        LegsCase{"ThreeInACorner", {{96.2, -0.85}, {96.2, -0.85}, {96.2, -0.85}}, true},
        LegsCase{"SecondBeyondAft", {{97.5, 0.2}, {100.4, 0.2}}, true},
        LegsCase{"BeyondAftAndLeftOnThePage", {{100.4, -0.3}, {97.0, -1.6}, {97.2, 0.1}}, false}),
    [](const testing::TestParamInfo<LegsCase>& p) { return std::string(p.param.pszName); });

// The school's margins: dashed, 0.5 in inside the forward limit and 0.2 in
// each side, none aft; at 500 px 139.13 px an inch along, 227.27 across.
TEST(ChartSchoolMargins, AreADashedInnerLineOnTheSidesThatHaveOne)
{
    static constexpr Pixel SCHOOL{255, 153, 0, 153};
    _chartInput what{{600, 600 * 2476.5, 0, 2476.5, 0}, {}, false};
    auto count = [](const Chart& c, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                n += c.at(x, y) == SCHOOL;
        return n;
    };
    EXPECT_EQ(count(Chart(500, 500, what), 0, 0, 499, 499), 0);
    what.margins = {0.5 * 25.4, 0, 0.2 * 25.4};
    const Chart chart(500, 500, what);
    // Forward: y 50 + 69.57, across from x 95 to 404; dashed, 6 on and 4 off.
    const int nForward = count(chart, 110, 119, 389, 119);
    EXPECT_TRUE(nForward > 280 * 5 / 10 && nForward < 280 * 7 / 10) << nForward;
    // Each side: x 250 ∓ 0.68 × 227.27, from the forward line to the aft limit.
    for (int x : {95, 404})
        EXPECT_GT(count(chart, x, 140, x, 430), 290 * 5 / 10) << x;
    EXPECT_EQ(count(chart, 110, 440, 389, 449), 0);
}

// A hover chart's drawing: its lines over 500 to 700 kg and 1,000 to 10,000
// ft take axes from 500 to 700 kg (50 kg a step) and 0 to 10,000 ft (2,000
// ft a step), so on 420 × 280 px the plot is 344 × 222 px from (62, 14):
// the 40 °C line, second and red, passes 600 kg at 4,000 ft at (234, 147.2)
// and ends at 700 kg, 1,000 ft at (406, 213.8).
TEST(HoverDrawing, PutsThePointsOnRoundAxes)
{
    const _hovChart chart = {{{0, {{500, 10000}, {700, 5000}}}, {40, {{500, 7000}, {600, 4000}, {700, 1000}}}}};
    cairo_surface_t* psurf = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 420, 280);
    cairo_t* pCr = cairo_create(psurf);
    hedDraw(pCr, 420, 280, chart, _wbSetup{});
    cairo_destroy(pCr);
    cairo_surface_flush(psurf);
    const unsigned char* pData = cairo_image_surface_get_data(psurf);
    for (auto [x, y] : {std::pair{234, 147}, std::pair{406, 213}}) {
        const uint32_t n =
            *reinterpret_cast<const uint32_t*>(pData + y * cairo_image_surface_get_stride(psurf) + x * 4);
        EXPECT_TRUE((n >> 16 & 0xff) > 180 && (n >> 8 & 0xff) < 60 && (n & 0xff) < 60)
            << x << "," << y << " " << std::hex << n;
    }
    // Nor does a chart of 1e18 kg, held from Zarv.conf to be put right, hang it.
    pCr = cairo_create(psurf);
    hedDraw(pCr, 420, 280, {{{0, {{1e18, 9000}, {1e18 + 128, 8000}}}, {40, {{1e18, 7000}, {1e18 + 128, 1000}}}}},
            _wbSetup{});
    EXPECT_EQ(cairo_status(pCr), CAIRO_STATUS_SUCCESS);
    cairo_destroy(pCr);
    cairo_surface_destroy(psurf);
}

} // namespace
