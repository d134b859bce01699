// Hover performance from the aircraft's own charts: the hover ceiling in and
// out of ground effect against the gross weight, a line for each outside
// air temperature, as the flight manual draws them; the standard
// atmosphere; and the greatest weight the charts allow at a site, read
// between their lines and never beyond them. Weights in kg, altitudes and
// elevations in feet, pressures in hPa, temperatures in °C.
#pragma once

#include "model/units.h"

#include <array>
#include <string>
#include <vector>

// The charts' types (_hovChart, _hovCharts) are the aircraft's figures, and
// so the setup record's: model/units.h holds them.

// What a chart can hold at all: a light helicopter's weights, the ceilings
// of the manual's axes, the temperatures the outside air has. No manual
// draws more lines or points than the most here, which keeps the check of
// every pair of lines small, and a chart's table in the dialog quick to
// build: a table of 2,000 rows takes GTK half a minute.
constexpr double HOV_MOST_WEIGHT = 10000;                             // kg
constexpr double HOV_LEAST_CEILING = -2000, HOV_MOST_CEILING = 30000; // ft
constexpr double HOV_LEAST_OAT = -60, HOV_MOST_OAT = 60;              // °C
constexpr size_t HOV_MOST_LINES = 64, HOV_MOST_POINTS = 256;          // points: of all a chart's lines

// Why a chart cannot be used, naming the line and the reason, or "" where
// it can: fewer than two temperature lines, a line of fewer than two
// points, two lines of one temperature, a value no chart can have (a weight
// not above 0 or above 10,000 kg, a ceiling below -2,000 ft or above 30,000
// ft, a temperature beyond -60 to +60 °C, anything not a finite number),
// weights not strictly rising along a line, a ceiling that does not fall as
// the weight grows, or two lines that cross: a warmer line's ceiling must
// be below the colder one's at every weight both cover ("the 30 °C line
// crosses the 20 °C line at 700 kg"), and it may not go on to a heavier
// weight than the colder one ends at.
std::string hovChartWhy(const _hovChart& chart);

// The standard atmosphere's troposphere (ICAO Doc 7488), exactly: the
// pressure altitude of a site of nElevation ft under an altimeter setting
// (QNH) of nQnh hPa, and the density altitude at a pressure altitude (ft)
// and an outside air temperature (°C).
double hovPressureAltitude(double nElevation, double nQnh);
double hovDensityAltitude(double nPressureAltitude, double nOat);

// The greatest weight at which a chart lets the aircraft hover, or no
// figure and why not.
struct _hovFigure {
    bool bKnown = false;
    double nWeight = 0;
    std::string strBeyond;
};

// The greatest weight at a pressure altitude (ft) and temperature (°C), as
// a pilot reads between the lines: on each of the two lines either side of
// the temperature (the one line where it is on one), the weight at which
// its ceiling is the pressure altitude, linear between its points; below
// its lowest ceiling, its heaviest weight (the chart's corner, never more).
// Then linear in temperature between the two. Never beyond the chart: a
// temperature hotter than its warmest line or colder than its coldest, or
// a pressure altitude above either line's ceiling at its lightest weight,
// gives no figure, and strBeyond says why ("beyond the chart's 40 °C
// line", "colder than the chart's -20 °C line", "above the chart's ceiling
// at 28 °C"); so does a chart hovChartWhy refuses ("the chart cannot be
// used: …").
_hovFigure hovMaxWeight(const _hovChart& chart, double nPressureAltitude, double nOat);

// What a site's conditions can be: elevation (ft), QNH (hPa), outside air
// temperature (°C).
constexpr double HOV_LEAST_ELEVATION = -1500, HOV_MOST_ELEVATION = 30000;
constexpr double HOV_LEAST_QNH = 850, HOV_MOST_QNH = 1090;

// A site's conditions as typed; a value not typed is no number (NaN).
struct _hovSite {
    double nElevation = 0, nQnh = 0, nOat = 0;
};

// "" where all three conditions are given and possible; else the first
// that is not, in the order elevation, QNH, temperature ("a QNH of 1,200
// hPa is outside 850 to 1,090 hPa", "no QNH given"). A site so flagged is
// never judged.
std::string hovSiteWhy(const _hovSite& site);

// The charts of a CSV file a person imports: a header line naming the
// columns chart, temperature, weight and pressure altitude in that order,
// each number's unit in brackets ("weight [lb]": [kg] or [lb], [°C] or
// [°F], [ft] or [m]), then a row a point: the chart (IGE or OGE), the
// temperature, the weight and the ceiling. The rows of one chart and
// temperature make one line, points and lines in the order of the file. A
// header naming a unit it does not know, or none, is refused, and so is a
// row that cannot be read ("line 7: the weight "7OO" is not a number") or
// a chart hovChartWhy refuses ("IGE: …"); then *pstrWhy says why, false is
// returned and *pCharts is left as it was. A chart without a row is none.
// The record reads with bCheck false: it keeps a chart as Zarv.conf held
// it, usable or not, so that the sheet is checked on the chart it had.
bool hovReadCsv(const std::string& strText, _hovCharts* pCharts, std::string* pstrWhy, bool bCheck = true);

// The charts as a CSV file hovReadCsv reads back to the same figures, in
// kg, °C and ft.
std::string hovCsvText(const _hovCharts& charts);
