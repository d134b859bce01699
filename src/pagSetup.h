// The setup record with its units and conversions (pagSetup.cpp), and the
// fleet of aircraft it is one of (pagSetupFleet.cpp). No widget: the setup
// page has a header of its own (pagSetupPage.h).
#pragma once

#include <glib.h>

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
};

// Every basic figure copied and not typed: weight, longitudinal and lateral
// arm.
constexpr guint PSET_UNCONFIRMED_ALL = 7;

// The one setup record; written only by psetParams and the setup page.
extern _wbSetup m_wbSetup;

// The seat and fuel arms, fixed in inches.
constexpr double LSEAT_LAT_ARM_IN = -10.25;
constexpr double LSEAT_LONG_ARM_IN = 71;
constexpr double RSEAT_LAT_ARM_IN = 10.25;
constexpr double RSEAT_LONG_ARM_IN = 71;
constexpr double FUEL_LONG_ARM_IN = 100;
constexpr double FUEL_LAT_ARM_IN = 0.125;

// Conversions between a unit and the internal unit. Any unit value other
// than the non-default one acts as the internal unit.
double psetWeightToKg(double nValue, _unitWt nUnit);
double psetKgToWeight(double nKg, _unitWt nUnit);
double psetArmToMm(double nValue, _unitLen nUnit);
double psetMmToArm(double nMm, _unitLen nUnit);
// A fuel unit outside the three values (only from a hand-edited file) acts
// as litres both ways, as its label says.
double psetFuelToLitres(double nValue, int nUnitFuel);
double psetLitresToFuel(double nLitres, int nUnitFuel);

// Each unit's one spelling: the label beside a field ("kgs", "in", "US Gal")
// and, for fuel, the short form after a figure in a sentence ("L").
const char* psetWeightLabel(_unitWt nUnit);
const char* psetArmLabel(_unitLen nUnit);
const char* psetFuelLabel(int nUnitFuel);
const char* psetFuelSymbol(int nUnitFuel);
// The units as a sentence writes them after a figure, where the labels spell
// words: "kg" or "lb", "mm" or "in", "L", "US gal" or "imp gal".
struct _unitSymbols {
    const char *pszWeight, *pszArm, *pszFuel;
};
_unitSymbols psetUnitSymbols(const _wbSetup& s);

// The weighing date as the pilot typed it: ISO 8601 ("2026-03-01") or the
// locale's own form of a date. bDate when it is one, then strIso is the day
// as stored; strProblem says what to flag: text that is no date (kept as
// typed), or a day after today. Empty text is no date and no problem.
struct _psetDate {
    bool bDate;
    std::string strIso;
    std::string strProblem;
};
_psetDate psetReadDate(const std::string& strText, const GDate& today);

// A stored weighing date as the pilot reads it: the locale's form of an ISO
// day (where that form reads back as the same day; else ISO), any other
// text as it stands.
std::string psetShowDate(const std::string& strStored);

// Fills the record from the parameter store and sets the fixed arms (with
// the table of stored values, stored.cpp).
void psetParams(void);

// Sets the six fixed seat and fuel arms (psetParams does it in its place).
void psetSetFixedArms(void);

// ---- The fleet (pagSetupFleet.cpp) ----------------------------------------

// One aircraft of the fleet: the group of Zarv.conf that keeps it (empty for
// the current one, which lives in the groups of the setup record) and its
// registration (free text, maybe empty).
struct _psetAircraft {
    std::string strGroup;
    std::string strRegistration;
};

// The fleet, the current aircraft first, the others in the order they were
// added.
std::vector<_psetAircraft> psetFleet(void);

// Makes the aircraft kept in strGroup the current one, and keeps the
// current one in strGroup instead: one rewrite of Zarv.conf. The units stay.
void psetFleetSwitch(const std::string& strGroup);

// Adds an aircraft, a copy of the current one without a registration or a
// weighing date, and makes it current; the current one moves into a group of
// its own.
void psetFleetAdd(void);

// Removes the current aircraft; the first of the others becomes current.
// Nothing happens with a fleet of one.
void psetFleetRemoveCurrent(void);
