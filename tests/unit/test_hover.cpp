// Hover performance: the standard atmosphere against the published table,
// the hover weight worked by hand on a chart made up for these tests, the
// refusals of a chart, a site and a CSV, and the CSV read back.
#include "model/hover.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{

// No aircraft's: ceilings in ft at 500, 600 and 700 kg (650 at 40 °C),
// given out of order of temperature.
_hovChart chart()
{
    return {{{20, {{500, 8000}, {600, 6000}, {700, 2000}}},
             {0, {{500, 10000}, {600, 8000}, {700, 5000}}},
             {40, {{500, 6000}, {600, 3000}, {650, 1000}}}}};
}

// The ICAO Standard Atmosphere's table (Doc 7488): 977.17 hPa at 1,000 ft,
// 1050.41 at -1,000, 696.82 at 10,000, 843.07 at 5,000, 875.11 at 4,000;
// -4.81 °C at 10,000 ft; a density ratio of 0.78602 at 8,000 ft.
TEST(Hover, StandardAtmosphere)
{
    const struct {
        double nElevation, nQnh, nPressureAltitude;
    } PRESSURE[] = {
        {0, 1013.25, 0},       {0, 977.17, 1000},    {0, 1050.41, -1000}, {0, 696.82, 10000},
        {5000, 1013.25, 5000}, {4000, 976.15, 5000}, // 843.07 hPa at 4,000 ft: QNH 1013.25 * 843.07 / 875.11
    };
    for (const auto& c : PRESSURE)
        EXPECT_NEAR(hovPressureAltitude(c.nElevation, c.nQnh), c.nPressureAltitude, 3) << c.nElevation << " " << c.nQnh;
    const struct {
        double nPressureAltitude, nOat, nDensityAltitude;
    } DENSITY[] = {
        {0, 15, 0}, {10000, -4.81, 10000}, {5000, 31.88, 8000}, // 288.15 K * (843.07 / 1013.25) / 0.78602 = 305.03 K
    };
    for (const auto& c : DENSITY)
        EXPECT_NEAR(hovDensityAltitude(c.nPressureAltitude, c.nOat), c.nDensityAltitude, 3) << c.nOat;
}

TEST(Hover, MaxWeight)
{
    const struct {
        _hovChart chart;
        double nPressureAltitude, nOat, nWeight; // NaN: no figure
        const char* pszBeyond;
    } CASES[] = {
        // On the 20 °C line between 8,000 ft at 500 kg and 6,000 at 600:
        // 500 + (7000 - 8000) / (6000 - 8000) * 100 = 550.
        {chart(), 7000, 20, 550, ""},
        // 4,000 ft at 25 °C, a quarter of the way from 20 °C to 40 °C.
        // 20 °C: 600 + (4000 - 6000) / (2000 - 6000) * 100 = 650;
        // 40 °C: 500 + (4000 - 6000) / (3000 - 6000) * 100 = 566.667;
        // 650 + 0.25 * (566.667 - 650) = 629.167.
        {chart(), 4000, 25, 629.1667, ""},
        // 1,500 ft at 30 °C: below the 20 °C line's lowest ceiling (2,000
        // ft), its corner 700; 40 °C: 600 + (1500 - 3000) / (1000 - 3000)
        // * 50 = 637.5; halfway: 668.75.
        {chart(), 1500, 30, 668.75, ""},
        // Below every ceiling on the 40 °C line: its corner, never more.
        {chart(), -1000, 40, 650, ""},
        {chart(), 1000, 41, NAN, "beyond the chart's 40 °C line"},
        {chart(), 1000, -5, NAN, "colder than the chart's 0 °C line"},
        // 6,500 ft at 30 °C: the 20 °C line has it (575 kg), the 40 °C
        // line's ceiling is 6,000 ft at its lightest.
        {chart(), 6500, 30, NAN, "above the ceiling of the chart's 40 °C line, 6000 ft"},
        {chart(), 8500, 20, NAN, "above the chart's ceiling at 20 °C"},
        {{{chart().lines[0]}}, 1000, 20, NAN, "the chart cannot be used: a chart needs two temperature lines at least"},
    };
    for (const auto& c : CASES) {
        const _hovFigure f = hovMaxWeight(c.chart, c.nPressureAltitude, c.nOat);
        EXPECT_EQ(f.bKnown, !std::isnan(c.nWeight)) << c.nPressureAltitude << " ft " << c.nOat << " °C";
        EXPECT_NEAR(f.bKnown ? f.nWeight : 0, std::isnan(c.nWeight) ? 0 : c.nWeight, 1e-3) << c.nOat << " °C";
        EXPECT_EQ(f.strBeyond, c.pszBeyond);
    }
}

TEST(Hover, Refusals)
{
    const struct {
        std::function<void(_hovChart&)> change;
        const char* pszWhy;
    } CHARTS[] = {
        {[](_hovChart&) {}, ""},
        {[](_hovChart& c) { c.lines.resize(1); }, "a chart needs two temperature lines at least"},
        {[](_hovChart& c) { c.lines[0].points.resize(1); }, "the 20 °C line has fewer than two points"},
        {[](_hovChart& c) { c.lines[2].nTemperature = 20; }, "two lines are of 20 °C"},
        {[](_hovChart& c) { c.lines[1].nTemperature = 60.5; }, "a line of 60.5 °C is beyond -60 to +60 °C"},
        {[](_hovChart& c) { c.lines[0].points[0].nWeight = 0; },
         "the 20 °C line: a weight of 0 kg is not above 0 and up to 10,000 kg"},
        {[](_hovChart& c) { c.lines[1].points[0].nCeiling = 30001; },
         "the 0 °C line: a ceiling of 30,001 ft is outside -2,000 to 30,000 ft"},
        {[](_hovChart& c) { c.lines[1].points[1].nCeiling = INFINITY; },
         "the 0 °C line: a weight or ceiling is not a number"},
        {[](_hovChart& c) { c.lines[0].points[1].nWeight = 500; },
         "the 20 °C line: the weight does not rise from 500 to 500 kg"},
        {[](_hovChart& c) { c.lines[0].points[2].nCeiling = 6000; },
         "the 20 °C line: the ceiling does not fall from 6,000 ft at 600 kg to 6,000 ft at 700 kg"},
        // The 20 °C line down to 2,500 ft at 600 kg: 2,000 ft over the 40 °C
        // line at 500 kg, 500 under it at 600; the gap closes at 500 + 2000
        // / (2000 + 500) * 100 = 580.
        {[](_hovChart& c) { c.lines[0].points[1].nCeiling = 2500; }, "the 40 °C line crosses the 20 °C line at 580 kg"},
        // Read at its heaviest below 2,000 ft, 20 °C would hover heavier than 0 °C.
        {[](_hovChart& c) { c.lines[0].points[2].nWeight = 720; },
         "the 20 °C line goes on to 720 kg, past the heaviest of the 0 °C line, 700 kg"},
    };
    for (const auto& c : CHARTS) {
        _hovChart h = chart();
        c.change(h);
        EXPECT_EQ(hovChartWhy(h), c.pszWhy);
    }
    const struct {
        _hovSite site;
        const char* pszWhy;
    } SITES[] = {
        {{-1500, 850, -60}, ""},
        {{30000, 1090, 60}, ""},
        {{30001, 1013, 15}, "an elevation of 30,001 ft is outside -1,500 to 30,000 ft"},
        {{0, 1200, 15}, "a QNH of 1,200 hPa is outside 850 to 1,090 hPa"},
        {{0, 1013, -60.5}, "an outside air temperature of -60.5 °C is outside -60 to +60 °C"},
        {{NAN, 1013, 15}, "no elevation given"},
    };
    for (const auto& c : SITES)
        EXPECT_EQ(hovSiteWhy(c.site), c.pszWhy);
    const std::string HEADER = "chart,temperature [°C],weight [kg],pressure altitude [ft]\n";
    const std::string ROWS = "IGE,0,500,9000\nIGE,0,600,8000\nIGE,20,500,8000\nIGE,20,600,6000\n";
    const struct {
        std::string strText;
        const char* pszWhy;
    } FILES[] = {
        {"chart,temperature [K],weight [kg],pressure altitude [ft]\n" + ROWS,
         "line 1: the header's column \"temperature [K]\" is not temperature [°C] or [°F]"},
        {"chart,temperature [°C],weight,pressure altitude [ft]\n" + ROWS,
         "line 1: the header's column \"weight\" is not weight [kg] or [lb]"},
        {HEADER + "\nIGE,0,7OO,5000\n", "line 3: the weight \"7OO\" is not a number"},
        {HEADER + "IGE,0,500,1e-400\n", "line 2: the pressure altitude \"1e-400\" is not a number"},
        {HEADER + "XGE,0,700,5000\n", "line 2: the chart \"XGE\" is neither IGE nor OGE"},
        {HEADER + "IGE,0,500,9000\nIGE,0,600,8000\n", "IGE: a chart needs two temperature lines at least"},
        {HEADER, "the file has no rows after its header"},
    };
    for (const auto& c : FILES) {
        _hovCharts charts;
        std::string strWhy;
        EXPECT_FALSE(hovReadCsv(c.strText, &charts, &strWhy)) << c.strText;
        EXPECT_EQ(strWhy, c.pszWhy);
    }
}

TEST(Hover, CsvReadBack)
{
    // The same chart in °F, lb and m: 32 °F, 1102.31 lb (500 kg), 3048 m
    // (10,000 ft).
    _hovCharts charts;
    std::string strWhy;
    ASSERT_TRUE(hovReadCsv("\xef\xbb\xbf"
                           "Chart, Temperature [°F], Weight [lb], Pressure altitude [m]\r\n"
                           "ogE,32,1102.31,3048\r\nOGE,32,1322.772,2438.4\r\nOGE,68,1102.31,2438.4\r\n"
                           "OGE,68,1322.772,1828.8\r\n",
                           &charts, &strWhy))
        << strWhy;
    ASSERT_EQ(charts[HOV_OGE].lines.size(), 2u);
    const _hovLine& warm = charts[HOV_OGE].lines[1];
    EXPECT_NEAR(warm.nTemperature, 20, 1e-9);
    EXPECT_NEAR(warm.points[1].nWeight, 600, 1e-6);
    EXPECT_NEAR(warm.points[1].nCeiling, 6000, 1e-6);
    // Written and read back, to the last bit: each number as read.
    charts[HOV_IGE] = chart();
    const std::string strText = hovCsvText(charts);
    _hovCharts again;
    ASSERT_TRUE(hovReadCsv(strText, &again, &strWhy)) << strWhy;
    EXPECT_EQ(hovCsvText(again), strText);
}

} // namespace

// A take-off judged and said: the page's line and the flight's verdict.
// The in-ground-effect chart is chart(); out of ground effect, 2,000 ft
// lower at each weight (40 °C: 4,000 ft at 500 kg, 1,000 at 600). At
// 4,000 ft elevation under 1013.25 hPa the pressure altitude is 4,000 ft.
TEST(Hover, TakeOffsAndLandingsJudgedAndSaid)
{
    const _hovCharts charts = {chart(),
                               {{{20, {{500, 6000}, {600, 4000}, {700, 0}}},
                                 {0, {{500, 8000}, {600, 6000}, {700, 3000}}},
                                 {40, {{500, 4000}, {600, 1000}, {650, -1000}}}}}};
    const _wbSetup kg{};
    constexpr const char* WITHIN = "WITHIN LIMITS for take-off and with no fuel";
    const struct {
        double nOat, nWeight;
        bool bOge;
        _hovVerdict nVerdict;
        const char *pszLine, *pszVerdict;
    } CASES[] = {
        // 20 °C, in ground effect: 600 + (4000 - 6000) / (2000 - 6000) * 100
        // = 650; out of it the line's point, 600 kg at 4,000 ft. Density
        // altitude 5,490.7 ft (the standard atmosphere at 20 °C), said up to 5,500.
        {20, 600, false, HOV_ENOUGH,
         "Hover at take-off (elevation 4000 ft, 20 °C, density altitude 5500 ft): in ground effect up to 650 kg, "
         "50.0 kg to spare; out of ground effect up to 600 kg, 0.0 kg to spare",
         WITHIN},
        // 20 kg over out of ground effect: a caution, not within where the
        // operator's rule asks it.
        {20, 620, false, HOV_CAUTION,
         "Hover at take-off (elevation 4000 ft, 20 °C, density altitude 5500 ft): in ground effect up to 650 kg, "
         "30.0 kg to spare; out of ground effect up to 600 kg, 20.0 kg short",
         "WITHIN LIMITS for take-off and with no fuel \u2014 caution: take-off: hover out of ground effect up to 600 "
         "kg, "
         "loaded 620.0 kg"},
        {20, 620, true, HOV_NOT_WITHIN, nullptr,
         "NOT WITHIN LIMITS: take-off: hover out of ground effect up to 600 kg, loaded 620.0 kg; mass and balance: "
         "WITHIN LIMITS for take-off and with no fuel"},
        // 30 °C, halfway: in ground effect 650 at 20 °C and 500 + (4000 -
        // 6000) / (3000 - 6000) * 100 = 566.67 at 40 °C, so 608.33, shown
        // 608 and so 12.0 short as the pilot reads it; out of it 600 and
        // the 40 °C line's lightest, 500: 550.
        {30, 620, false, HOV_NOT_WITHIN,
         "Hover at take-off (elevation 4000 ft, 30 °C, density altitude 6590 ft): in ground effect up to 608 kg, "
         "12.0 kg short; out of ground effect up to 550 kg, 70.0 kg short",
         "NOT WITHIN LIMITS: take-off: hover in ground effect up to 608 kg, loaded 620.0 kg; mass and balance: "
         "WITHIN LIMITS for take-off and with no fuel \u2014 caution: take-off: hover out of ground effect up to "
         "550 kg, loaded 620.0 kg"},
        // Within by 0.13 kg, 608.33 against 608.2: shown to the tenth, as
        // whole kilograms would read short.
        {30, 608.2, false, HOV_CAUTION,
         "Hover at take-off (elevation 4000 ft, 30 °C, density altitude 6590 ft): in ground effect up to 608.3 kg, "
         "0.1 kg to spare; out of ground effect up to 550 kg, 58.2 kg short",
         nullptr},
        // A twentieth over: the weight to as many decimals as the figure.
        {20, 650.05, true, HOV_NOT_WITHIN, nullptr,
         "NOT WITHIN LIMITS: take-off: hover in ground effect up to 650.00 kg, loaded 650.05 kg; take-off: hover out "
         "of ground effect up to 600 kg, loaded 650.0 kg; mass and balance: WITHIN LIMITS for take-off and with no "
         "fuel"},
        // Hotter than the warmest line: no figure, never an extrapolation.
        {41, 500, false, HOV_NOT_WITHIN,
         "Hover at take-off (elevation 4000 ft, 41 °C, density altitude 7750 ft): in ground effect beyond the "
         "chart's 40 °C line: no hover figure; out of ground effect beyond the chart's 40 °C line: no hover figure",
         "NOT WITHIN LIMITS: take-off: no hover figure in ground effect (beyond the chart's 40 °C line); mass and "
         "balance: WITHIN LIMITS for take-off and with no fuel \u2014 caution: take-off: no hover figure out of "
         "ground effect (beyond the chart's 40 °C line)"},
        // No temperature given: nothing shows and the verdict stands.
        {NAN, 600, true, HOV_ENOUGH, "", WITHIN},
    };
    for (const auto& c : CASES) {
        const _hovAt at = hovJudgeAt(charts, {4000, 1013.25, c.nOat}, c.nWeight);
        EXPECT_EQ(hovVerdictOf(at, c.bOge), c.nVerdict) << c.nOat << " °C " << c.nWeight << " kg";
        if (c.pszLine) {
            EXPECT_EQ(hovAtText(at, "take-off", kg), zt::inLocale(c.pszLine));
        }
        if (c.pszVerdict) {
            EXPECT_EQ(hovWithVerdict(WITHIN, {{at, {}}}, {"leg 1"}, c.bOge, kg), zt::inLocale(c.pszVerdict));
        }
        EXPECT_EQ(hovWithin({{at, {}}}, c.bOge), c.nVerdict != HOV_NOT_WITHIN);
    }
    // A later leg's landing short in ground effect joins what else the
    // flight breaks, the leg named.
    const _hovAt hot = hovJudgeAt(charts, {4000, 1013.25, 30}, 620);
    // A caution stands first among the verdict's own, before what is
    // nearest the limits.
    const _hovAt oge = hovJudgeAt(charts, {4000, 1013.25, 20}, 620);
    for (const auto& [pszWas, pszNow] :
         {std::pair{
              "WITHIN LIMITS for every leg; nearest the limits leg 1",
              "WITHIN LIMITS for every leg \u2014 caution: leg 2 landing: hover out of ground effect up to 600 kg, "
              "loaded 620.0 kg; nearest the limits leg 1"},
          std::pair{
              "WITHIN LIMITS for every leg \u2014 caution: maximum speed on leg 1; nearest",
              "WITHIN LIMITS for every leg \u2014 caution: leg 2 landing: hover out of ground effect up to 600 kg, "
              "loaded 620.0 kg; maximum speed on leg 1; nearest"}})
        EXPECT_EQ(hovWithVerdict(pszWas, {{}, {{}, oge}}, {"leg 1", "leg 2"}, false, kg), zt::inLocale(pszNow));
    EXPECT_EQ(
        hovWithVerdict(zt::inLocale("NOT WITHIN LIMITS: leg 1 aft of the limit by 1.00 mm at take-off"),
                       {{}, {{}, hot}}, {"leg 1", "leg 2 (solo)"}, false, kg),
        zt::inLocale(
            "NOT WITHIN LIMITS: leg 1 aft of the limit by 1.00 mm at take-off; leg 2 (solo) landing: hover in ground "
            "effect up to 608 kg, loaded 620.0 kg \u2014 caution: leg 2 (solo) landing: hover out of ground effect "
            "up to 550 kg, loaded 620.0 kg"));
}
