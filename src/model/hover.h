// Hover performance from the aircraft's own charts: the hover ceiling in and
// out of ground effect against the gross weight, a line for each outside
// air temperature, as the flight manual draws them; the standard
// atmosphere; and the greatest weight the charts allow at a site, read
// between their lines and never beyond them. Weights in kg, altitudes and
// elevations in feet, pressures in hPa, temperatures in °C.
#pragma once

#include <array>
#include <string>
#include <vector>

enum _hovEffect { HOV_IGE, HOV_OGE, HOV_EFFECTS }; // in ground effect, out of ground effect
struct _hovPoint {
    double nWeight = 0;
    double nCeiling = 0;
}; // kg, hover-ceiling pressure altitude in ft
struct _hovLine {
    double nTemperature = 0;
    std::vector<_hovPoint> points;
}; // °C; points by weight, as read off the chart
struct _hovChart {
    std::vector<_hovLine> lines;
}; // none: no chart
using _hovCharts = std::array<_hovChart, HOV_EFFECTS>;
// Why a chart cannot be used, naming the line and the reason, or "": fewer than two temperature lines, a line of fewer
// than two points, two lines of one temperature, a value no chart can have (a weight not above 0 or above 10,000 kg, a
// ceiling below -2,000 ft or above 30,000 ft, a temperature beyond -60 to +60 °C, NaN or infinite anything), weights
// not strictly rising along a line, a ceiling that does not fall (strictly) as the weight grows, two lines that cross
// (a warmer line's ceiling must be below the colder one's at every weight both cover; "the 30 °C line crosses the 20 °C
// line at 700 kg"). Lines in any order of temperature.
std::string hovChartWhy(const _hovChart& chart);
// The standard atmosphere (ISA, ICAO Doc 7488): the pressure altitude of a site of elevation nElevation ft under an
// altimeter setting (QNH) of nQnh hPa, and the density altitude at a pressure altitude and an outside air temperature
// in °C. Exact formulas of the troposphere, not the rules of thumb (say in a comment which constants).
double hovPressureAltitude(double nElevation, double nQnh);
double hovDensityAltitude(double nPressureAltitude, double nOat);
// The greatest weight at which the chart says the aircraft can hover at a pressure altitude and temperature,
// interpolated linearly between the two temperature lines either side and linearly along each line (as a pilot reads
// between lines): on each of the two lines, the weight at which its ceiling is nPressureAltitude (where the pressure
// altitude is below the line's lowest ceiling, the line's heaviest weight: the chart's corner, never more); then linear
// in temperature. Never extrapolates: a temperature hotter than the warmest line or colder than the coldest, or a
// pressure altitude above a bounding line's ceiling at its lightest weight, gives no figure, with strBeyond naming why:
// "beyond the chart's 40 °C line", "colder than the chart's -20 °C line", "above the chart's ceiling at 28 °C". A chart
// hovChartWhy refuses gives no figure either ("the chart cannot be used: …").
struct _hovFigure {
    bool bKnown = false;
    double nWeight = 0;
    std::string strBeyond;
};
_hovFigure hovMaxWeight(const _hovChart& chart, double nPressureAltitude, double nOat);
// A site's conditions as typed: whether each is given, and whether each is possible: elevation -1,500 to 30,000 ft, QNH
// 850 to 1,090 hPa, OAT -60 to +60 °C. Conditions outside are flagged and never judged.
struct _hovSite {
    double nElevation = 0, nQnh = 0, nOat = 0;
};
std::string hovSiteWhy(const _hovSite& site); // "" where all three are possible; else names the first that is not ("a
                                              // QNH of 1,200 hPa is outside 850 to 1,090 hPa")
// The charts of the CSV a person imports: a header line, then "chart,temperature,weight,pressure altitude" rows: chart
// IGE or OGE, in the units the header names in brackets (weight [kg] or [lb], temperature [°C] or [°F], pressure
// altitude [ft] or [m]); a header naming a unit it does not know, or none, is refused; each refusal names its line
// ("line 7: the weight "7OO" is not a number"). Rows of one chart and temperature make one line, in file order. Returns
// false with *pstrWhy; the charts read are also checked with hovChartWhy (the reason names the chart: "IGE: …").
bool hovReadCsv(const std::string& strText, _hovCharts* pCharts, std::string* pstrWhy);
// The CSV of charts as hovReadCsv reads back, in kg, °C and ft.
std::string hovCsvText(const _hovCharts& charts);
