// Hover performance from the aircraft's own charts: the hover ceiling in and
// out of ground effect against the gross weight, a line for each outside
// air temperature, as the flight manual draws them; the standard
// atmosphere; and the greatest weight the charts allow at a site, read
// between their lines and never beyond them. Weights in kg, altitudes and
// elevations in feet, pressures in hPa, temperatures in °C.
#pragma once

#include "model/units.h"

#include <cmath>

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
// at 20 °C" on a line, "above the ceiling of the chart's 40 °C line, 4000
// ft" between two); so does a chart hovChartWhy refuses ("the chart cannot be
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
// Whether none of a site's conditions is given.
bool hovSiteNotGiven(const _hovSite& site);

// ---- A flight's take-offs and landings -------------------------------------

// One take-off or landing judged for hover: shown only where the aircraft
// has a chart and the site's three conditions are given and possible; then
// the pressure and density altitude there, the weight (kg), and each
// chart's figure (bChart: the aircraft has that chart).
struct _hovAt {
    bool bShown = false;
    _hovSite site{};
    double nPressureAltitude = 0, nDensityAltitude = 0, nWeight = 0;
    std::array<bool, HOV_EFFECTS> bChart{};
    std::array<_hovFigure, HOV_EFFECTS> figures{};
};
_hovAt hovJudgeAt(const _hovCharts& charts, const _hovSite& site, double nWeight);

// A leg's take-off and landing (a leg without a trip lands at its take-off
// weight).
struct _hovLeg {
    _hovAt takeOff, landing;
};

// What a take-off or landing's hover makes of the flight: not within where
// it is heavier than its in-ground-effect figure or has none, and so out
// of ground effect where the operator's rule asks it (bOge: then a missing
// out-of-ground-effect chart is none too); a caution where only out of
// ground effect is short.
enum _hovVerdict { HOV_ENOUGH, HOV_CAUTION, HOV_NOT_WITHIN };
_hovVerdict hovVerdictOf(const _hovAt& at, bool bOge);
// Whether every take-off and landing of a flight is within for hover.
bool hovWithin(const std::vector<_hovLeg>& legs, bool bOge);
// The most a take-off or landing may weigh for hover (kg): its
// in-ground-effect figure, and out of ground effect's where the rule asks
// it; infinite where nothing is judged, and below 0 where it has no figure.
double hovMostWeight(const _hovAt& at, bool bOge);

// ---- In words, in the pilot's units ---------------------------------------

// A take-off or landing's hover line, where it is shown: "Hover at take-off
// (elevation 1200 ft, 28 °C, density altitude 3460 ft): in ground effect
// up to 640 kg, 52.3 kg to spare; out of ground effect up to 598 kg, 10.3 kg
// short" (a figure rounded down, what is to spare down, what is short up),
// or "… in ground effect beyond the chart's 40 °C line: no hover figure";
// "" where it is not shown.
std::string hovAtText(const _hovAt& at, const char* pszPoint, const _wbSetup& units);

// Its figures alone, each chart's after the one before ("in ground effect
// up to 640 kg, 52.3 kg to spare; out of ground effect …"), as the load
// sheet gives them after the site; "" where it is not shown.
std::string hovFiguresText(const _hovAt& at, const _wbSetup& units);

// A site's conditions as the load sheet states them: "elevation 1200 ft,
// QNH 1013.2 hPa, 28 °C; pressure altitude 1200 ft, density altitude
// 3460 ft", every figure in the locale.
std::string hovSiteText(const _hovAt& at);

// A take-off's or landing's own verdict (strPoint, of mass and balance)
// with its hover, so that no point reads within where the flight is not
// for it: "NOT WITHIN LIMITS: hover in ground effect up to 575 kg, loaded
// 587.6 kg; mass and balance WITHIN LIMITS …", or the caution after it
// ("…; caution: hover out of ground effect up to 598 kg, loaded 610.0 kg").
std::string hovPointWords(const std::string& strPoint, const _hovAt& at, bool bOge, const _wbSetup& units);

// The flight's verdict (strVerdict, of mass and balance) with its hover:
// each take-off or landing not within added to what is not within
// ("NOT WITHIN LIMITS: leg 2 landing: hover in ground effect up to 575 kg,
// loaded 587.6 kg"), a verdict within led by them ("NOT WITHIN LIMITS: …;
// mass and balance: WITHIN LIMITS …"), and each caution first among the
// verdict's own (" — caution: leg 2 landing: hover out of ground effect up
// to 598 kg, loaded 610.0 kg; maximum speed …"). Legs are named where there are several
// (names[n]: "leg 2", "leg 2 (solo)"). A verdict that judges nothing stays.
std::string hovWithVerdict(const std::string& strVerdict, const std::vector<_hovLeg>& legs,
                           const std::vector<std::string>& names, bool bOge, const _wbSetup& units);

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
