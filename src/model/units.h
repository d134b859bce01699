// The setup record's type, the units and every conversion between the
// pilot's units and the internal ones (kilograms, millimetres, litres), with
// each unit's spelling. Pure arithmetic: the record itself is kept in
// store/conf/state.
#pragma once

#include <glib.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Conversion factors between the user's units and the internal ones
// (kilograms, millimetres, litres).
constexpr double LB_PER_KG = 2.20462;
constexpr double MM_PER_INCH = 25.4;
constexpr double LITRES_PER_USGAL = 3.78541;
constexpr double LITRES_PER_IMPGAL = 4.5461;

// The units are 32-bit values as stored; a hand-edited file may hold any
// number, which then acts as the internal unit.
enum _unitWt : int32_t { UNIT_WT_KG = 0, UNIT_WT_LB = 1 };
enum _unitLen : int32_t { UNIT_ARM_MM = 0, UNIT_ARM_INCH = 1 };
enum _unitFuel : int32_t { UNIT_FUEL_LITRE = 0, UNIT_FUEL_USGAL = 1, UNIT_FUEL_IMPGAL = 2 };
enum _locBallast : int32_t { BALLAST_NONE = 0, BALLAST_FRONT = 1, BALLAST_REAR = 2 };

// A removable item of the aircraft (a door, the dual controls, a cargo
// hook): its name as typed, its weight in kg and arms in mm, and whether it
// was fitted when the aircraft was weighed, so is in the basic weight.
struct _wbItem {
    std::string strName;
    double nWeight = 0, nLongArm = 0, nLatArm = 0;
    bool bWeighed = true;
    // What of it Zarv.conf holds and Zarv could not read, as "Key=text"
    // (a flag that is neither true nor false): while there is any, nothing
    // is judged.
    std::string strUnread = {};
    bool operator==(const _wbItem&) const = default;
};

// The aircraft's hover charts as its manual draws them, figures of the
// aircraft like its items; model/hover checks them and reads them.

// In ground effect, out of ground effect.
enum _hovEffect { HOV_IGE, HOV_OGE, HOV_EFFECTS };

// A point read off a line of the chart: the gross weight (kg) and the
// hover-ceiling pressure altitude (ft) at it.
struct _hovPoint {
    double nWeight = 0;
    double nCeiling = 0;
};

// A line of one outside air temperature (°C), its points by weight as read
// off the chart.
struct _hovLine {
    double nTemperature = 0;
    std::vector<_hovPoint> points;
};

// A chart: its lines, in any order of temperature; none where the aircraft
// has no chart.
struct _hovChart {
    std::vector<_hovLine> lines;
};
using _hovCharts = std::array<_hovChart, HOV_EFFECTS>;

// The aircraft and the user's units. Weights in kg, arms in mm.
struct _wbSetup {
    _unitFuel nUnitFuel;
    _unitLen nUnitArm;
    _unitWt nUnitWt;
    double nBasicLatArm;
    double nBasicLongArm;
    double nBasicWeight;
    double nLSeatLatArm;
    double nLSeatLongArm;
    double nRSeatLatArm;
    double nRSeatLongArm;
    double nFuelLongArm;
    double nFuelLatArm;
    double nBallastFrontLatArm;
    double nBallastFrontLongArm;
    double nBallastRearLatArm;
    double nBallastRearLongArm;
    double nBallastWt;
    // The aircraft's fuel density in kg per litre; 0 where none is set.
    double nFuelDensity;
    // Which of the basic weight (1), longitudinal arm (2) and lateral arm
    // (4) were copied from another aircraft and not yet typed.
    guint nUnconfirmed;
    // The months between the aircraft's weighings; 0 where none is set.
    double nWeighingMonths;
    // Its removable items, in the order they were added, and what of their
    // groups in Zarv.conf was not read ("" where all were): while there is
    // any, nothing is judged.
    std::vector<_wbItem> items{};
    std::string strItemsNotRead{};
    // The aircraft's cruise fuel flow in litres per hour; 0 where none is
    // set, and then no fuel is planned by time.
    double nFuelFlow = 0;
    // The operator's fuel rule: the final reserve in minutes at the fuel
    // flow, the contingency in per cent of the trip, and the start-up and
    // taxi fuel in litres.
    double nReserveMinutes = 20, nContingencyPercent = 0, nTaxiFuel = 0;
    // The operator's own margins inside the certified limits: mm inside the
    // forward and the aft limit and each lateral one, kg below the maximum
    // weight; 0 for none.
    double nMarginForward = 0, nMarginAft = 0, nMarginLateral = 0, nMarginWeight = 0;
    // The operator's rule asks to hover out of ground effect (1) at every
    // take-off and landing, not only in ground effect (0).
    guint nHoverOge = 0;
    // Its hover charts as its manual gives them (none: no chart), and why
    // a chart of Zarv.conf could not be read or used ("" where none): while
    // there is any, nothing is judged.
    _hovCharts hover{};
    std::string strHoverNotRead{};
};

// Every basic figure copied and not typed: weight, longitudinal and lateral
// arm.
constexpr guint PSET_UNCONFIRMED_ALL = 7;

// The seat and fuel arms, fixed in inches.
constexpr double LSEAT_LAT_ARM_IN = -10.25;
constexpr double LSEAT_LONG_ARM_IN = 71;
constexpr double RSEAT_LAT_ARM_IN = 10.25;
constexpr double RSEAT_LONG_ARM_IN = 71;
constexpr double FUEL_LONG_ARM_IN = 100;
constexpr double FUEL_LAT_ARM_IN = 0.125;

// Fuel weight per litre, unless the aircraft has a density of its own
// within the range fuel can have.
constexpr double FUEL_DENSITY = 0.759;
constexpr double MIN_FUEL_DENSITY = 0.5, MAX_FUEL_DENSITY = 1.0; // kg/L

// The density a setup's fuel weighs at: its own where it lies within the
// range, FUEL_DENSITY otherwise (none set, or one that cannot be).
double unitFuelDensity(const _wbSetup& s);

// The result table's fixed display units: pounds, inches, pound-inches.
constexpr double TABLE_LB_PER_KG = 2.2046;
constexpr double TABLE_LBIN_PER_KGMM = 0.08679606;

// Conversions between a unit and the internal unit. Any unit value other
// than the non-default one acts as the internal unit.
double unitWeightToKg(double nValue, _unitWt nUnit);
double unitKgToWeight(double nKg, _unitWt nUnit);
double unitArmToMm(double nValue, _unitLen nUnit);
double unitMmToArm(double nMm, _unitLen nUnit);
// A fuel unit outside the three values (only from a hand-edited file) acts
// as litres both ways, as its label says.
double unitFuelToLitres(double nValue, int nUnitFuel);
double unitLitresToFuel(double nLitres, int nUnitFuel);

// Each unit's one spelling: the label beside a field ("kgs", "in", "US Gal")
// and, for fuel, the form after a figure in a sentence ("L", "US gal").
const char* unitWeightLabel(_unitWt nUnit);
const char* unitArmLabel(_unitLen nUnit);
const char* unitFuelLabel(int nUnitFuel);
const char* unitFuelSymbol(int nUnitFuel);
// The units as a sentence writes them after a figure, where the labels spell
// words: "kg" or "lb", "mm" or "in", "L", "US gal" or "imp gal".
struct _unitSymbols {
    const char *pszWeight, *pszArm, *pszFuel;
};
_unitSymbols unitSymbols(const _wbSetup& s);

// ---- An amount in the pilot's unit ------------------------------------------

// The kinds of amount Zarv shows in the pilot's units: a weight (kg), an arm
// (mm), a fuel amount (litres) and a fuel density (kg per litre, shown in the
// pilot's weight unit per fuel unit); none for a count or a choice. Then the
// fuel rule's: a fuel flow (litres per hour, shown in the pilot's fuel unit
// per hour), a flight's time and a final reserve (minutes), a share of the
// trip (per cent), and a margin inside a limit (an arm or a weight that is
// never negative). Then a site's conditions on the day, each in the unit
// every pilot reads them in: an elevation (feet), an altimeter setting
// (hPa; typed under 100 it is read as inches of mercury) and an outside
// air temperature (°C).
enum _unitKind {
    KIND_NONE,
    KIND_WEIGHT,
    KIND_ARM,
    KIND_FUEL,
    KIND_DENSITY,
    KIND_FLOW,
    KIND_MINUTES,
    KIND_RESERVE,
    KIND_PERCENT,
    KIND_ARM_MARGIN,
    KIND_WEIGHT_MARGIN,
    KIND_ELEVATION,
    KIND_QNH,
    KIND_OAT
};

// What an amount of each kind can be at all, in the internal unit: a value
// outside its bounds (or no finite number) cannot be right for any light
// helicopter and is never judged. A density or a fuel flow of 0 is none set;
// a flow typed as 0 is refused where it is typed, since it would plan every
// trip as burning nothing.
struct _unitBounds {
    _unitKind nKind;
    double nLeast, nMost;
};
constexpr _unitBounds UNIT_BOUNDS[] = {
    {KIND_WEIGHT, 0, 5000},                             // kg
    {KIND_ARM, -10000, 10000},                          // mm: ten metres either side of the datum
    {KIND_FUEL, 0, 2000},                               // litres
    {KIND_DENSITY, MIN_FUEL_DENSITY, MAX_FUEL_DENSITY}, // kg per litre
    {KIND_FLOW, 1, 500},                                // litres per hour (0: none)
    {KIND_MINUTES, 0, 24 * 60},                         // a day is no leg
    {KIND_RESERVE, 0, 120},                             // minutes
    {KIND_PERCENT, 0, 100},                             // per cent of the trip
    {KIND_ARM_MARGIN, 0, 10000},                        // mm inside the limit
    {KIND_WEIGHT_MARGIN, 0, 5000},                      // kg below the limit
    {KIND_ELEVATION, -1500, 30000},                     // ft: the Dead Sea shore to above any landing site
    {KIND_QNH, 850, 1090},                              // hPa: lower and higher than ever measured
    {KIND_OAT, -60, 60},                                // °C
};

// An altimeter setting typed below this is in inches of mercury (29.92),
// as no setting in hPa can be; it is held in hPa.
constexpr double UNIT_QNH_INHG_BELOW = 100;
constexpr double UNIT_HPA_PER_INHG = 33.8638866667;

// The least basic (empty) weight Zarv takes as an amendment. A two-seat
// helicopter's engine, rotors, transmission and airframe alone weigh more,
// so an empty weight under it is a slip (a seat weight, a digit lost), not
// a reweighing. Only what the pilot types is held to it: a value read from
// Zarv.conf is judged by UNIT_BOUNDS alone.
constexpr double MIN_BASIC_WEIGHT = 200; // kg

// The bounds of a kind; null for a count or a choice.
const _unitBounds* unitBoundsOf(_unitKind nKind);

// Whether a value of the kind can be right: finite and within its bounds.
bool unitPossible(_unitKind nKind, double nInternal);

// The one conversion of an amount held in the internal unit into the
// pilot's unit (u's choice), and back; a kind of none is taken as it stands.
double unitToShown(_unitKind nKind, double nInternal, const _wbSetup& u);
double unitToInternal(_unitKind nKind, double nShown, const _wbSetup& u);

// The label beside a field of the kind ("kgs", "in", "US Gal", "lb/US Gal"),
// and the symbol after a figure in a sentence ("lb", "in", "US gal"; empty
// for a density or none).
std::string unitLabel(_unitKind nKind, const _wbSetup& u);
const char* unitSymbol(_unitKind nKind, const _wbSetup& u);
