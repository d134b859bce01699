// The table of every value in Zarv.conf, and what walks it: reading at
// start, storing a value, and the one commit of an entry. The group and key
// names here are the file's layout; they never change.
#include "store/conf/stored.h"

#include "model/date.h"
#include "model/hover.h"
#include "model/words.h"
#include "store/conf/hovcharts.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "sys/errlog.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <type_traits>

namespace
{

// A row without an id is numbered by its place: a value no code names is
// its row alone.
template <size_t N> constexpr std::array<_prmValue, N> numbered(std::array<_prmValue, N> values)
{
    for (size_t i = 0; i < N; i++)
        if (values[i].nId < 0)
            values[i].nId = static_cast<_prmValueId>(i);
    return values;
}

// The aircraft's values come in the order the fleet has always copied them
// into another aircraft's group, so a new group's keys stand as before.
constexpr std::array m_values = numbered(std::to_array<_prmValue>({
    {.nId = VAL_LSEAT,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "LSeat",
     .nUnit = KIND_WEIGHT,
     .field = &_wbLoadState::nLSeatWeight,
     .pszWhat = "left seat weight",
     .pszEntry = "LeftSeatWeight",
     .pszUnits = "LeftSeatUnits",
     .pszFormat = "%1.1f",
     .nWalk = 10,
     .pszRecordName = "lSeat",
     .pszCaseKey = "LeftSeat"},
    {.nId = VAL_RSEAT,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "RSeat",
     .nUnit = KIND_WEIGHT,
     .field = &_wbLoadState::nRSeatWeight,
     .pszWhat = "right seat weight",
     .pszEntry = "RightSeatWeight",
     .pszUnits = "RightSeatUnits",
     .pszFormat = "%1.1f",
     .nWalk = 20,
     .pszRecordName = "rSeat",
     .pszCaseKey = "RightSeat"},
    {.nId = VAL_FUEL,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "Fuel",
     .nUnit = KIND_FUEL,
     .field = &_wbLoadState::nFuelVolume,
     .pszWhat = "fuel",
     .pszEntry = "FuelVolume",
     .pszUnits = "FuelUnits",
     .pszFormat = "%1.1f",
     .nWalk = 30,
     .pszRecordName = "fuel",
     .pszCaseKey = "Fuel"},
    {.nId = VAL_BALLAST_POSN,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "Ballast",
     .field = &_wbLoadState::nBallastPosn,
     .pszRecordName = "ballastPosition",
     .pszCaseKey = "Ballast"},
    {.nId = VAL_SHOW_BURN_OFF,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Chart",
     .pszKey = "ShowBurnOff",
     .field = &_wbLoadState::bShowBurnOff,
     .pszRecordName = "showBurnOff"},
    {.nId = VAL_UNIT_FUEL,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Unit",
     .pszKey = "Fuel",
     .field = &_wbSetup::nUnitFuel,
     .pszRecordName = "unitFuel",
     .pszCaseKey = "FuelUnit"},
    {.nId = VAL_UNIT_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Unit",
     .pszKey = "Arm",
     .field = &_wbSetup::nUnitArm,
     .pszRecordName = "unitArm",
     .pszCaseKey = "ArmUnit"},
    {.nId = VAL_UNIT_WEIGHT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Unit",
     .pszKey = "Weight",
     .field = &_wbSetup::nUnitWt,
     .pszRecordName = "unitWeight",
     .pszCaseKey = "WeightUnit"},
    {.nId = VAL_REGISTRATION,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Registration",
     .pszAircraftKey = "Registration",
     .bFigure = true,
     .nFingerprint = 1,
     .pszWhat = "registration",
     .bStartsEmpty = true,
     .pszEntry = "Registration",
     .nWalk = 150,
     .pszRecordName = "registration"},
    {.nId = VAL_WEIGHED,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Weighed",
     .pszAircraftKey = "Weighed",
     .bFigure = true,
     .nFingerprint = 1,
     .pszWhat = "weighing date",
     .bStartsEmpty = true,
     .pszEntry = "WeighedOn",
     .nWalk = 160,
     .pszRecordName = "weighed"},
    {.nId = VAL_BASIC_WEIGHT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Basic",
     .pszKey = "Weight",
     .pszAircraftKey = "BasicWeight",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_WEIGHT,
     .field = &_wbSetup::nBasicWeight,
     .pszWhat = "basic weight",
     .pszEntry = "ConfEmptyWeight",
     .pszUnits = "ConfEmptyWeightUnits",
     .pszFormat = "%1.1f",
     .nWalk = 10,
     .pszRecordName = "basicWeight",
     .pszCaseKey = "BasicWeight"},
    {.nId = VAL_BASIC_LONG_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Basic",
     .pszKey = "LongArm",
     .pszAircraftKey = "BasicLongArm",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_ARM,
     .field = &_wbSetup::nBasicLongArm,
     .pszWhat = "basic longitudinal arm",
     .pszEntry = "ConfEmptyLongArm",
     .pszUnits = "ConfEmptyLongArmUnits",
     .pszFormat = "%1.2f",
     .nWalk = 20,
     .pszRecordName = "basicLongArm",
     .pszCaseKey = "BasicLongArm"},
    {.nId = VAL_BASIC_LAT_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Basic",
     .pszKey = "LatArm",
     .pszAircraftKey = "BasicLatArm",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_ARM,
     .field = &_wbSetup::nBasicLatArm,
     .pszWhat = "basic lateral arm",
     .pszEntry = "ConfEmptyLatArm",
     .pszUnits = "ConfEmptyLatArmUnits",
     .pszFormat = "%1.2f",
     .nWalk = 30,
     .pszRecordName = "basicLatArm",
     .pszCaseKey = "BasicLatArm"},
    {.nId = VAL_BALLAST_WEIGHT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Ballast",
     .pszKey = "Weight",
     .pszAircraftKey = "BallastWeight",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_WEIGHT,
     .field = &_wbSetup::nBallastWt,
     .pszWhat = "ballast weight",
     .pszEntry = "ConfBallastWeight",
     .pszUnits = "ConfBallastWeightUnits",
     .pszFormat = "%1.1f",
     .nWalk = 40,
     .pszRecordName = "ballastWeight",
     .pszCaseKey = "BallastWeight"},
    {.nId = VAL_BALLAST_FRONT_LONG_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Ballast",
     .pszKey = "FrontLongArm",
     .pszAircraftKey = "BallastFrontLongArm",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_ARM,
     .field = &_wbSetup::nBallastFrontLongArm,
     .pszWhat = "front ballast longitudinal arm",
     .pszEntry = "ConfBallastFrontLongArm",
     .pszUnits = "ConfBallastFrontLongArmUnits",
     .pszFormat = "%1.2f",
     .nWalk = 50,
     .pszRecordName = "ballastFrontLongArm",
     .pszCaseKey = "BallastFrontLongArm"},
    {.nId = VAL_BALLAST_FRONT_LAT_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Ballast",
     .pszKey = "FrontLatArm",
     .pszAircraftKey = "BallastFrontLatArm",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_ARM,
     .field = &_wbSetup::nBallastFrontLatArm,
     .pszWhat = "front ballast lateral arm",
     .pszEntry = "ConfBallastFrontLatArm",
     .pszUnits = "ConfBallastFrontLatArmUnits",
     .pszFormat = "%1.2f",
     .nWalk = 60,
     .pszRecordName = "ballastFrontLatArm",
     .pszCaseKey = "BallastFrontLatArm"},
    {.nId = VAL_BALLAST_REAR_LONG_ARM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Ballast",
     .pszKey = "RearLongArm",
     .pszAircraftKey = "BallastRearLongArm",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_ARM,
     .field = &_wbSetup::nBallastRearLongArm,
     .pszWhat = "rear ballast longitudinal arm",
     .pszEntry = "ConfBallastRearLongArm",
     .pszUnits = "ConfBallastRearLongArmUnits",
     .pszFormat = "%1.2f",
     .nWalk = 70,
     .pszRecordName = "ballastRearLongArm",
     .pszCaseKey = "BallastRearLongArm"},
    {.nId = VAL_TRIP,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "Trip",
     .nUnit = KIND_FUEL,
     .field = &_wbLoadState::nTripFuel,
     .pszWhat = "trip fuel",
     .pszEntry = "TripFuel",
     .pszUnits = "TripFuelUnits",
     .pszFormat = "%1.1f",
     .nWalk = 80,
     .pszRecordName = "trip",
     .pszCaseKey = "Trip"},
    {.nId = VAL_FUEL_DENSITY,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Fuel",
     .pszKey = "Density",
     .pszAircraftKey = "FuelDensity",
     .bFigure = true,
     .nFingerprint = 1,
     .nUnit = KIND_DENSITY,
     .field = &_wbSetup::nFuelDensity,
     .pszWhat = "fuel density",
     .pszEntry = "FuelDensity",
     .pszUnits = "FuelDensityUnits",
     .pszFormat = "%1.3f",
     .nWalk = 180,
     .pszRecordName = "fuelDensity",
     .pszCaseKey = "FuelDensity"},
    // Which basic figures were copied to this aircraft and not yet typed,
    // and the aircraft they came from.
    {.nId = VAL_UNCONFIRMED,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Unconfirmed",
     .pszAircraftKey = "Unconfirmed",
     .nFingerprint = 2,
     .field = &_wbSetup::nUnconfirmed,
     .pszRecordName = "unconfirmed"},
    {.nId = VAL_COPIED_FROM,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "CopiedFrom",
     .pszAircraftKey = "CopiedFrom",
     .nFingerprint = 2,
     .pszRecordName = "copiedFrom"},
    // How long a weighing holds: it decides the banner, so it is a figure.
    {.nId = VAL_WEIGHING_MONTHS,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "WeighingIntervalMonths",
     .pszAircraftKey = "WeighingIntervalMonths",
     .bFigure = true,
     .nFingerprint = 2,
     .field = &_wbSetup::nWeighingMonths,
     .pszWhat = "weighing interval",
     .pszEntry = "WeighingIntervalMonths",
     .pszFormat = "%g",
     .nWalk = 190,
     .pszRecordName = "weighingMonths"},
    // The amendments of the figures, one line each, and the fingerprint of
    // the figures as Zarv last wrote them, with when; a new aircraft starts
    // with neither.
    {.nId = VAL_HISTORY,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "History",
     .pszAircraftKey = "History",
     .pszWhat = "history",
     .bStartsEmpty = true},
    {.nId = VAL_FINGERPRINT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Fingerprint",
     .pszAircraftKey = "Fingerprint",
     .bStartsEmpty = true},
    // The figures and the history as Zarv last recorded them, one
    // "Group/Key=value" line each, so that a change made outside Zarv is
    // named, old and new, when the pilot confirms it.
    {.nId = VAL_RECORDED,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Recorded",
     .pszAircraftKey = "Recorded",
     .bStartsEmpty = true},
    // The texts typed that were not read as numbers, the loading's and the
    // aircraft's: "Group/Key=text" each.
    {.nId = VAL_UNREAD_LOADING, .nOwner = PRM_OF_LOADING, .pszGroup = "Load", .pszKey = "Unread"},
    {.nId = VAL_UNREAD_FIGURES,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Unread",
     .pszAircraftKey = "Unread"},
    // Who flies and who prepared the load sheet, as last typed for one:
    // offered again for the next sheet, whichever aircraft it is for.
    {.nId = VAL_PILOT, .nOwner = PRM_OF_LOADING, .pszGroup = "Sheet", .pszKey = "Pilot", .pszRecordName = "pilot"},
    {.nId = VAL_PREPARER, .nOwner = PRM_OF_LOADING, .pszGroup = "Sheet", .pszKey = "Preparer"},
    // Who sits in each seat, by the name typed or chosen beside it, and
    // which of them commands: "left" or "right", none where missing.
    {.nId = VAL_LSEAT_PERSON,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "LSeatPerson",
     .pszRecordName = "leftSeat"},
    {.nId = VAL_RSEAT_PERSON,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "RSeatPerson",
     .pszRecordName = "rightSeat"},
    {.nId = VAL_COMMANDER,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "Commander",
     .pszRecordName = "commander"},
    // An aircraft taken in from the school's published folder: "12
    // 2026-12-01 Skyways", its revision, the day it was published and by
    // whom; its figures are changed only where they are published. One the
    // pilot adds as a copy is their own.
    {.nId = VAL_PUBLISHED,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Aircraft",
     .pszKey = "Published",
     .pszAircraftKey = "Published",
     .bStartsEmpty = true},
    // The calculation checks run here whose report could not be kept, as
    // the window says until one is.
    {.nId = VAL_UNREPORTED, .nOwner = PRM_OF_SETUP, .pszGroup = "Verification", .pszKey = "Unreported"},
    // The aircraft's cruise fuel flow: it turns minutes into fuel, so it is
    // a figure under change control like the density, covered from the
    // fingerprint's fourth version and recorded on each line from then on.
    {.nId = VAL_FUEL_FLOW,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Fuel",
     .pszKey = "Flow",
     .pszAircraftKey = "FuelFlow",
     .bFigure = true,
     .nFingerprint = 4,
     .nUnit = KIND_FLOW,
     .field = &_wbSetup::nFuelFlow,
     .pszWhat = "fuel flow",
     .pszEntry = "FuelFlow",
     .pszUnits = "FuelFlowUnits",
     .pszFormat = "%1.1f",
     .nWalk = 200,
     .pszRecordName = "fuelFlow",
     .bRecordedLater = true,
     .pszCaseKey = "FuelFlow"},
    // The operator's fuel rule and margins are the operator's, not an
    // aircraft's: a switch of the fleet keeps them.
    {.nId = VAL_RESERVE_MINUTES,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "FuelRule",
     .pszKey = "ReserveMinutes",
     .nUnit = KIND_RESERVE,
     .field = &_wbSetup::nReserveMinutes,
     .pszWhat = "final reserve",
     .pszEntry = "ReserveMinutes",
     .pszUnits = "ReserveMinutesUnits",
     .pszFormat = "%g",
     .nWalk = 210,
     .pszRecordName = "reserveMinutes",
     .bRecordedLater = true,
     .pszCaseKey = "ReserveMinutes",
     .nMissing = 20,
     .bRule = true},
    {.nId = VAL_CONTINGENCY,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "FuelRule",
     .pszKey = "ContingencyPercent",
     .nUnit = KIND_PERCENT,
     .field = &_wbSetup::nContingencyPercent,
     .pszWhat = "contingency",
     .pszEntry = "ContingencyPercent",
     .pszUnits = "ContingencyPercentUnits",
     .pszFormat = "%g",
     .nWalk = 220,
     .pszRecordName = "contingencyPercent",
     .bRecordedLater = true,
     .pszCaseKey = "ContingencyPercent",
     .bRule = true},
    {.nId = VAL_TAXI_FUEL,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "FuelRule",
     .pszKey = "TaxiFuel",
     .nUnit = KIND_FUEL,
     .field = &_wbSetup::nTaxiFuel,
     .pszWhat = "start-up and taxi fuel",
     .pszEntry = "TaxiFuel",
     .pszUnits = "TaxiFuelUnits",
     .pszFormat = "%1.1f",
     .nWalk = 230,
     .pszRecordName = "taxiFuel",
     .bRecordedLater = true,
     .pszCaseKey = "TaxiFuel",
     .bRule = true},
    {.nId = VAL_MARGIN_FORWARD,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Margins",
     .pszKey = "Forward",
     .nUnit = KIND_ARM_MARGIN,
     .field = &_wbSetup::nMarginForward,
     .pszWhat = "forward margin",
     .pszEntry = "MarginForward",
     .pszUnits = "MarginForwardUnits",
     .pszFormat = "%1.1f",
     .nWalk = 240,
     .pszRecordName = "marginForward",
     .bRecordedLater = true,
     .pszCaseKey = "MarginForward",
     .bRule = true},
    {.nId = VAL_MARGIN_AFT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Margins",
     .pszKey = "Aft",
     .nUnit = KIND_ARM_MARGIN,
     .field = &_wbSetup::nMarginAft,
     .pszWhat = "aft margin",
     .pszEntry = "MarginAft",
     .pszUnits = "MarginAftUnits",
     .pszFormat = "%1.1f",
     .nWalk = 250,
     .pszRecordName = "marginAft",
     .bRecordedLater = true,
     .pszCaseKey = "MarginAft",
     .bRule = true},
    {.nId = VAL_MARGIN_LATERAL,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Margins",
     .pszKey = "Lateral",
     .nUnit = KIND_ARM_MARGIN,
     .field = &_wbSetup::nMarginLateral,
     .pszWhat = "lateral margin",
     .pszEntry = "MarginLateral",
     .pszUnits = "MarginLateralUnits",
     .pszFormat = "%1.1f",
     .nWalk = 260,
     .pszRecordName = "marginLateral",
     .bRecordedLater = true,
     .pszCaseKey = "MarginLateral",
     .bRule = true},
    {.nId = VAL_MARGIN_WEIGHT,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "Margins",
     .pszKey = "Weight",
     .nUnit = KIND_WEIGHT_MARGIN,
     .field = &_wbSetup::nMarginWeight,
     .pszWhat = "weight margin",
     .pszEntry = "MarginWeight",
     .pszUnits = "MarginWeightUnits",
     .pszFormat = "%1.1f",
     .nWalk = 270,
     .pszRecordName = "marginWeight",
     .bRecordedLater = true,
     .pszCaseKey = "MarginWeight",
     .bRule = true},
    // A leg's trip as a time, beside its fuel; whole minutes shown, as
    // typed kept.
    {.nId = VAL_TRIP_MINUTES,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "TripMinutes",
     .nUnit = KIND_MINUTES,
     .field = &_wbLoadState::nTripMinutes,
     .pszWhat = "trip time",
     .pszEntry = "TripTime",
     .pszUnits = "TripTimeUnits",
     .pszFormat = "%1.0f",
     .nWalk = 85,
     .pszRecordName = "tripMinutes",
     .bRecordedLater = true},
    // The school whose rule a pilot's machine flies by, where the school
    // published one: its rule is then read, not typed.
    {.nId = VAL_RULE_FROM, .nOwner = PRM_OF_SETUP, .pszGroup = "FuelRule", .pszKey = "School"},
    // The day's conditions at the sites, for the hover: the first take-off's
    // is the flight's ("Departure"), each landing's the leg's own, and a
    // later leg takes off where the leg before it landed. Not typed, a
    // condition is no key, and nothing of it is judged.
    {.nId = VAL_FROM_ELEVATION,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Departure",
     .pszKey = "Elevation",
     .nUnit = KIND_ELEVATION,
     .field = &_wbLoadState::nFromElevation,
     .pszWhat = "take-off elevation",
     .pszEntry = "TakeOffElevation",
     .pszUnits = "TakeOffElevationUnits",
     .pszFormat = "%g",
     .nWalk = 86,
     .pszRecordName = "takeOffElevation",
     .bRecordedLater = true,
     .pszCaseKey = "TakeOffElevation",
     .nMissing = NAN},
    {.nId = VAL_FROM_QNH,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Departure",
     .pszKey = "QNH",
     .nUnit = KIND_QNH,
     .field = &_wbLoadState::nFromQnh,
     .pszWhat = "take-off QNH",
     .pszEntry = "TakeOffQNH",
     .pszUnits = "TakeOffQNHUnits",
     .pszFormat = "%g",
     .nWalk = 87,
     .pszRecordName = "takeOffQnh",
     .bRecordedLater = true,
     .pszCaseKey = "TakeOffQNH",
     .nMissing = NAN},
    {.nId = VAL_FROM_OAT,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Departure",
     .pszKey = "OAT",
     .nUnit = KIND_OAT,
     .field = &_wbLoadState::nFromOat,
     .pszWhat = "take-off temperature",
     .pszEntry = "TakeOffOAT",
     .pszUnits = "TakeOffOATUnits",
     .pszFormat = "%g",
     .nWalk = 88,
     .pszRecordName = "takeOffOat",
     .bRecordedLater = true,
     .pszCaseKey = "TakeOffOAT",
     .nMissing = NAN},
    {.nId = VAL_TO_ELEVATION,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "LandingElevation",
     .nUnit = KIND_ELEVATION,
     .field = &_wbLoadState::nToElevation,
     .pszWhat = "landing elevation",
     .pszEntry = "LandingElevation",
     .pszUnits = "LandingElevationUnits",
     .pszFormat = "%g",
     .nWalk = 89,
     .pszRecordName = "landingElevation",
     .bRecordedLater = true,
     .pszCaseKey = "LandingElevation",
     .nMissing = NAN},
    {.nId = VAL_TO_QNH,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "LandingQNH",
     .nUnit = KIND_QNH,
     .field = &_wbLoadState::nToQnh,
     .pszWhat = "landing QNH",
     .pszEntry = "LandingQNH",
     .pszUnits = "LandingQNHUnits",
     .pszFormat = "%g",
     .nWalk = 90,
     .pszRecordName = "landingQnh",
     .bRecordedLater = true,
     .pszCaseKey = "LandingQNH",
     .nMissing = NAN},
    {.nId = VAL_TO_OAT,
     .nOwner = PRM_OF_LOADING,
     .pszGroup = "Load",
     .pszKey = "LandingOAT",
     .nUnit = KIND_OAT,
     .field = &_wbLoadState::nToOat,
     .pszWhat = "landing temperature",
     .pszEntry = "LandingOAT",
     .pszUnits = "LandingOATUnits",
     .pszFormat = "%g",
     .nWalk = 91,
     .pszRecordName = "landingOat",
     .bRecordedLater = true,
     .pszCaseKey = "LandingOAT",
     .nMissing = NAN},
    // The operator's rule may ask to hover out of ground effect as well.
    {.nId = VAL_HOVER_OGE,
     .nOwner = PRM_OF_SETUP,
     .pszGroup = "FuelRule",
     .pszKey = "HoverOGE",
     .field = &_wbSetup::nHoverOge,
     .pszCaseKey = "HoverOGE",
     .bRule = true},
}));

// valValue finds a row by its id.
constexpr bool inOrderOfIds(void)
{
    for (size_t i = 0; i < m_values.size(); i++)
        if (m_values[i].nId != static_cast<_prmValueId>(i))
            return false;
    return m_values.size() >= VAL_NAMED;
}
static_assert(inOrderOfIds(), "the rows stand in the order of their ids, the unnamed last");

// The first leg's loading is in "Load"; a later leg's in "Leg 2" and up.
constexpr const char* FIRST_LEG_GROUP = "Load";
constexpr const char* LEG_GROUP_PREFIX = "Leg ";

// Another aircraft of the fleet lives in "Aircraft 2", "Aircraft 3", ...
constexpr const char* AIRCRAFT_GROUP_PREFIX = "Aircraft ";

// The struct a field's member pointer is of, and the field's type.
template <class> struct _prmMemberOf;
template <class T, class C> struct _prmMemberOf<T C::*> {
    using Owner = C;
    using Type = T;
};

// The field a member pointer names in the aircraft or the loading.
template <class P> auto& fieldIn(P p, _wbSetup& s, _wbLoadState& l)
{
    if constexpr (std::is_same_v<typename _prmMemberOf<P>::Owner, _wbSetup>)
        return s.*p;
    else
        return l.*p;
}

} // namespace

extern const char* const VAL_KEY_FUEL_AS_LANDED = "FuelAsLanded";
extern const char* const VAL_KEY_LEG_FITTED = "Fitted";

std::string valLegGroup(size_t nLeg)
{
    return nLeg == 0 ? FIRST_LEG_GROUP : LEG_GROUP_PREFIX + std::to_string(nLeg + 1);
}

bool valIsLegs(const _prmValue& v)
{
    return v.nOwner == PRM_OF_LOADING && strcmp(v.pszGroup, FIRST_LEG_GROUP) == 0;
}

std::string valGroupOf(const _prmValue& v, size_t nLeg)
{
    return valIsLegs(v) ? valLegGroup(nLeg) : v.pszGroup;
}

bool valLooksLikeLegGroup(const char* pszGroup)
{
    // The prefix without its space: "Leg7" and "leg 02" are meant as legs.
    return g_ascii_strncasecmp(pszGroup, LEG_GROUP_PREFIX, strlen(LEG_GROUP_PREFIX) - 1) == 0;
}

bool valIsNumber(const _prmValue& v)
{
    return std::holds_alternative<gdouble _wbSetup::*>(v.field) ||
           std::holds_alternative<gdouble _wbLoadState::*>(v.field);
}

bool valNotGiven(const _prmValue& v, double n)
{
    return std::isnan(v.nMissing) && std::isnan(n);
}

bool valIsText(const _prmValue& v)
{
    return std::holds_alternative<std::monostate>(v.field);
}

double valFieldValue(const _prmValue& v, const _wbSetup& s, const _wbLoadState& l)
{
    return std::visit(
        [&](auto p) -> double {
            if constexpr (std::is_same_v<decltype(p), std::monostate>)
                return 0;
            else
                return static_cast<double>(fieldIn(p, const_cast<_wbSetup&>(s), const_cast<_wbLoadState&>(l)));
        },
        v.field);
}

void valSetField(const _prmValue& v, _wbSetup& s, _wbLoadState& l, double nValue)
{
    std::visit(
        [&](auto p) {
            using P = decltype(p);
            if constexpr (std::is_same_v<P, std::monostate>)
                return;
            else {
                using T = typename _prmMemberOf<P>::Type;
                if constexpr (std::is_same_v<T, gdouble>)
                    fieldIn(p, s, l) = nValue;
                else if constexpr (std::is_same_v<T, gboolean>)
                    fieldIn(p, s, l) = nValue != 0;
                else
                    fieldIn(p, s, l) = static_cast<T>(static_cast<gint>(nValue));
            }
        },
        v.field);
}

double valHeld(_prmValueId nId)
{
    return valFieldValue(m_values[nId], m_wbSetup, stateLoad());
}

double valShown(const _prmValue& v, double nInternal)
{
    // No density set reads as the density in use.
    if (v.nUnit == KIND_DENSITY && nInternal == 0)
        nInternal = FUEL_DENSITY;
    // No interval set reads as the one in use.
    if (v.nId == VAL_WEIGHING_MONTHS && nInternal == 0)
        return DATE_WEIGHING_MONTHS;
    return unitToShown(v.nUnit, nInternal, m_wbSetup);
}

std::span<const _prmValue> valValues(void)
{
    return m_values;
}

const _prmValue& valValue(_prmValueId nId)
{
    return m_values[nId];
}

std::string valPath(const _prmValue& v)
{
    return std::string(v.pszGroup) + "/" + v.pszKey;
}

namespace
{

// The list that keeps the unread texts of an owner's values.
const _prmValue& unreadList(_prmOwner nOwner)
{
    return m_values[nOwner == PRM_OF_LOADING ? VAL_UNREAD_LOADING : VAL_UNREAD_FIGURES];
}

// The owner's list as Zarv.conf holds it, and as the texts held now make it.
// A leg's list is in its own group, its paths those of the first leg's
// keys, so a leg's group keeps its meaning whatever its number.
std::vector<std::string> storedUnread(_prmOwner nOwner, size_t nLeg)
{
    const _prmValue& l = unreadList(nOwner);
    return prmTextListOf(prmKeyFile(), valGroupOf(l, nLeg).c_str(), l.pszKey);
}

std::vector<std::string> heldUnread(_prmOwner nOwner, size_t nLeg)
{
    std::vector<std::string> v;
    for (const _prmValue& r : m_values)
        if (r.nOwner == nOwner && !valUnreadOfLeg(r.nId, nLeg).empty())
            v.push_back(valPath(r) + "=" + valUnreadOfLeg(r.nId, nLeg));
    return v;
}

// Writes an owner's list of unread texts as held.
void writeUnread(GKeyFile* pkf, _prmOwner nOwner, size_t nLeg, const std::vector<std::string>& held)
{
    const _prmValue& l = unreadList(nOwner);
    const std::string strGroup = valGroupOf(l, nLeg);
    if (held.empty()) {
        g_key_file_remove_key(pkf, strGroup.c_str(), l.pszKey, nullptr);
        return;
    }
    std::vector<const gchar*> v;
    for (const std::string& str : held)
        v.push_back(str.c_str());
    g_key_file_set_string_list(pkf, strGroup.c_str(), l.pszKey, v.data(), v.size());
}

} // namespace

namespace
{

// A ballast position the file holds that is none of none, front and rear
// ("1.5", "-1", "7") is kept as it stands and never judged as none.
void readBallastPosition(const _prmValue& v, const char* pszGroup, _wbLoadState& l)
{
    prmKeepUnreadText(pszGroup, v.pszKey, "");
    g_autofree gchar* pszRaw = g_key_file_get_value(prmKeyFile(), pszGroup, v.pszKey, nullptr);
    if (!pszRaw)
        return;
    g_strstrip(pszRaw);
    if (strcmp(pszRaw, "0") == 0 || strcmp(pszRaw, "1") == 0 || strcmp(pszRaw, "2") == 0)
        return;
    prmKeepUnreadText(pszGroup, v.pszKey, pszRaw);
    l.nBallastPosn = BALLAST_NONE;
}

} // namespace

void valLoadValues(_prmOwner nOwner, size_t nLeg)
{
    const std::vector<std::string> typed = storedUnread(nOwner, nLeg);
    _wbLoadState& l = stateEditLegs().at(nLeg);
    for (const _prmValue& v : m_values) {
        if (v.nOwner != nOwner)
            continue;
        if (valIsText(v))
            continue;
        const std::string strGroup = valGroupOf(v, nLeg);
        const char* pszGroup = strGroup.c_str();
        valSetField(v, stateEditSetup(), l,
                    valIsNumber(v) ? prmGetKeyDouble(pszGroup, v.pszKey) : prmGetKeyInteger(pszGroup, v.pszKey));
        if (v.nMissing != 0 && !g_key_file_has_key(prmKeyFile(), pszGroup, v.pszKey, nullptr))
            valSetField(v, stateEditSetup(), l, v.nMissing);
        // A condition left empty is not given, never 0.
        if (std::isnan(v.nMissing) && prmGetKeyString(pszGroup, v.pszKey).find_first_not_of(" \t") == std::string::npos)
            valSetField(v, stateEditSetup(), l, NAN);
        if (v.nId == VAL_BALLAST_POSN)
            readBallastPosition(v, pszGroup, l);
        if (!valIsNumber(v))
            continue;
        // A number the file holds that is none (nan, 1e999, text) is kept
        // as it stands; else what was typed and not read, where listed.
        prmKeepUnreadText(pszGroup, v.pszKey, "");
        g_autofree gchar* pszRaw = g_key_file_get_value(prmKeyFile(), pszGroup, v.pszKey, nullptr);
        if (pszRaw && *g_strstrip(pszRaw) && !prmReadsAsNumber(pszRaw)) {
            prmKeepUnreadText(pszGroup, v.pszKey, pszRaw);
            valSetField(v, stateEditSetup(), l, 0);
            continue;
        }
        const std::string strPrefix = valPath(v) + "=";
        for (const std::string& str : typed)
            if (str.starts_with(strPrefix) && str.size() > strPrefix.size())
                prmKeepUnreadText(pszGroup, v.pszKey, str.substr(strPrefix.size()));
    }
}

const std::string& valUnreadOfLeg(_prmValueId nId, size_t nLeg)
{
    return prmUnreadText(valGroupOf(m_values[nId], nLeg).c_str(), m_values[nId].pszKey);
}

const std::string& valUnread(_prmValueId nId)
{
    return valUnreadOfLeg(nId, stateShownLeg());
}

void valSetUnread(_prmValueId nId, const std::string& strText)
{
    const _stateChanging changing(m_values[nId].nOwner == PRM_OF_LOADING ? STATE_LOADING : STATE_AIRCRAFT);
    const size_t nLeg = stateShownLeg();
    prmKeepUnreadText(valGroupOf(m_values[nId], nLeg).c_str(), m_values[nId].pszKey, strText);
    const _prmOwner nOwner = m_values[nId].nOwner;
    const std::vector<std::string> held = heldUnread(nOwner, nLeg);
    if (held == storedUnread(nOwner, nLeg))
        return;
    prmEdit([&](GKeyFile* pkf) { writeUnread(pkf, nOwner, nLeg, held); });
}

namespace
{

// Whether a value is one leg nLeg keeps of its own: every value for the
// first, a loading's for a later one (the aircraft's are the first's).
bool isLegs(const _prmValue& r, size_t nLeg)
{
    return nLeg == 0 || valIsLegs(r);
}

} // namespace

std::vector<std::pair<std::string, std::string>> valUnreadTexts(size_t nLeg)
{
    std::vector<std::pair<std::string, std::string>> v;
    for (const _prmValue& r : m_values)
        if (isLegs(r, nLeg) && !valUnreadOfLeg(r.nId, nLeg).empty())
            v.emplace_back(valPath(r), valUnreadOfLeg(r.nId, nLeg));
    return v;
}

void valTakeUnreadTexts(const std::vector<std::pair<std::string, std::string>>& texts, size_t nLeg)
{
    for (const _prmValue& r : m_values) {
        if (!isLegs(r, nLeg))
            continue;
        std::string strKept;
        for (const auto& [strPath, strText] : texts)
            if (strPath == valPath(r) && (valIsNumber(r) || r.nId == VAL_BALLAST_POSN))
                strKept = strText;
        prmKeepUnreadText(valGroupOf(r, nLeg).c_str(), r.pszKey, strKept);
    }
}

_wbFlight pwbCalcWB(const _wbSetup& s, const _wbLoadState& l, size_t nLeg)
{
    _wbFlight f = calcJudgeFlight(s, stateLoadingOf(s, l), l.nTripFuel);
    // A value that cannot be right, or was not read, leaves nothing judged.
    f.doubts = valDoubts(s, l, false, nLeg);
    return f;
}

std::vector<_wbDoubt> valDoubts(const _wbSetup& s, const _wbLoadState& l, bool bLog, size_t nLeg)
{
    std::vector<_wbDoubt> v;
    for (const _prmValue& r : m_values) {
        if (!valIsNumber(r) || !r.pszWhat)
            continue;
        // A site's condition is judged by the hover charts alone: an
        // aircraft without one hides its entries, where a flag could not
        // be seen or put right, and its flight reads as it always did.
        if (std::isnan(r.nMissing) && !hvcAny(s.hover))
            continue;
        const double n = valFieldValue(r, s, l);
        // A later leg's take-off site is the landing of the leg before,
        // which says what of it was not read.
        static const std::string NONE;
        const std::string& strUnread =
            nLeg > 0 && !valIsLegs(r) && std::isnan(r.nMissing) ? NONE : valUnreadOfLeg(r.nId, nLeg);
        if (strUnread.empty() && (unitPossible(r.nUnit, n) || valNotGiven(r, n)))
            continue;
        v.push_back({r.pszWhat, r.nUnit, n, strUnread});
        // Each calculation asks; only the pages' showing logs.
        if (!bLog)
            continue;
        char szValue[G_ASCII_DTOSTR_BUF_SIZE];
        const std::string strWhy = strUnread.empty()
                                       ? std::string(g_ascii_dtostr(szValue, sizeof szValue, n)) + " cannot be right"
                                       : "\u201c" + strUnread + "\u201d was not read as a number";
        std::string strEntry = "[" + valGroupOf(r, nLeg) + "] " + r.pszKey + ": " + strWhy;
        // One line of the log, whatever the text holds.
        for (char& c : strEntry)
            if (static_cast<unsigned char>(c) < 0x20)
                c = ' ';
        if (errFirstTime(strEntry)) {
            const std::string strMsg =
                "prmDoubts()\n" + strEntry + "\nno loading is judged within limits until it is corrected";
            errPostError(strMsg.c_str());
        }
    }
    // An item's figures too, whether fitted or not: a figure that cannot be
    // right casts doubt on the aircraft as weighed, and so does a flag of it
    // that was not read.
    double nWeighed = 0;
    for (const _wbItem& i : s.items) {
        for (const auto& [pszWhat, nKind, n] : {std::tuple{"equipment item's weight", KIND_WEIGHT, i.nWeight},
                                                std::tuple{"equipment item's longitudinal arm", KIND_ARM, i.nLongArm},
                                                std::tuple{"equipment item's lateral arm", KIND_ARM, i.nLatArm}})
            if (!unitPossible(nKind, n) || (nKind == KIND_WEIGHT && !(n > 0)))
                v.push_back({pszWhat, nKind, n, std::isfinite(n) ? "" : "nan"});
        if (!i.strUnread.empty())
            v.push_back({"equipment item", KIND_NONE, NAN, i.strName + ": " + i.strUnread, true});
        nWeighed += i.bWeighed ? i.nWeight : 0;
    }
    if (!s.strItemsNotRead.empty())
        v.push_back({"equipment", KIND_NONE, NAN, s.strItemsNotRead, true});
    if (!s.strHoverNotRead.empty())
        v.push_back({"hover chart", KIND_NONE, NAN, s.strHoverNotRead, true,
                     "the hover charts cannot be used: " + s.strHoverNotRead});
    // A site with some of its conditions and not all cannot be judged
    // for hover, where the aircraft has a chart to judge it by: each one
    // missing is named, so that its entry is flagged.
    if (hvcAny(s.hover))
        for (const auto& site : {std::array{VAL_FROM_ELEVATION, VAL_FROM_QNH, VAL_FROM_OAT},
                                 std::array{VAL_TO_ELEVATION, VAL_TO_QNH, VAL_TO_OAT}}) {
            size_t nGiven = 0;
            for (const _prmValueId nId : site)
                nGiven += !valNotGiven(m_values[nId], valFieldValue(m_values[nId], s, l));
            for (const _prmValueId nId : site)
                if (nGiven > 0 && valNotGiven(m_values[nId], valFieldValue(m_values[nId], s, l)))
                    v.push_back(
                        {m_values[nId].pszWhat, KIND_NONE, NAN, "", true,
                         std::string("no ") + m_values[nId].pszWhat +
                             " given: a site is judged with its elevation, QNH and temperature, or not at all"});
        }
    // A ballast position that is none of the three, as the file held it.
    const std::string& strBallast = valUnreadOfLeg(VAL_BALLAST_POSN, nLeg);
    if (!strBallast.empty() || l.nBallastPosn > BALLAST_REAR)
        v.push_back({"ballast position", KIND_NONE, NAN,
                     strBallast.empty() ? std::to_string(static_cast<gint>(l.nBallastPosn)) : strBallast, true});
    // A trip time and a trip fuel that the aircraft's flow no longer joins
    // (the flow was amended, taken from the school or another aircraft's
    // since one was typed): which the pilot means Zarv cannot tell, so
    // nothing is judged until either is typed again.
    if (s.nFuelFlow > 0 && unitPossible(KIND_FLOW, s.nFuelFlow) && l.nTripMinutes > 0 &&
        unitPossible(KIND_MINUTES, l.nTripMinutes) && unitPossible(KIND_FUEL, l.nTripFuel) &&
        std::fabs(l.nTripMinutes * s.nFuelFlow / 60 - l.nTripFuel) > 1e-6 * std::fmax(1.0, l.nTripFuel))
        v.push_back({"trip time", KIND_MINUTES, l.nTripMinutes, "", false,
                     wrdTripTimeApartText(l.nTripMinutes, l.nTripFuel, s.nFuelFlow, s)});
    // The items weighed with the aircraft are part of its basic weight:
    // without them it still weighs what an aircraft does.
    if (nWeighed > 0 && unitPossible(KIND_WEIGHT, s.nBasicWeight) && s.nBasicWeight - nWeighed < MIN_BASIC_WEIGHT)
        v.push_back({"basic weight without its weighed items", KIND_WEIGHT, s.nBasicWeight - nWeighed, ""});
    return v;
}

std::string valGetText(_prmValueId nId)
{
    return prmGetKeyString(valGroupOf(m_values[nId], stateShownLeg()).c_str(), m_values[nId].pszKey);
}

void valSetText(_prmValueId nId, const char* pszText)
{
    const _stateChanging changing(m_values[nId].nOwner == PRM_OF_LOADING ? STATE_LOADING : STATE_AIRCRAFT);
    prmSetKeyString(valGroupOf(m_values[nId], stateShownLeg()).c_str(), m_values[nId].pszKey, pszText);
}

namespace
{

// The other half of a leg's trip: its time for its fuel, and its fuel for
// its time; null for any other value.
const _prmValue* tripOther(_prmValueId nId)
{
    return nId == VAL_TRIP ? &m_values[VAL_TRIP_MINUTES] : nId == VAL_TRIP_MINUTES ? &m_values[VAL_TRIP] : nullptr;
}

// The trip's other half from the one typed (litres or minutes) at a flow
// in litres per hour; no number where either cannot be right, so that a
// flow or a trip Zarv refuses never writes a figure beside it.
double tripFromOther(_prmValueId nTyped, double nValue, double nFlow)
{
    const _unitKind nKind = m_values[nTyped].nUnit;
    if (nFlow == 0 || !unitPossible(KIND_FLOW, nFlow) || !unitPossible(nKind, nValue))
        return NAN;
    return nTyped == VAL_TRIP_MINUTES ? nValue * nFlow / 60 : nValue * 60 / nFlow;
}

} // namespace

void valStoreValue(_prmValueId nId, double nValue)
{
    const _prmValue& v = m_values[nId];
    if (valIsText(v))
        return;
    const _stateChanging changing(m_values[nId].nOwner == PRM_OF_LOADING ? STATE_LOADING : STATE_AIRCRAFT);
    const std::string strGroup = valGroupOf(v, stateShownLeg());
    valSetField(v, stateEditSetup(), stateEditLoad(), nValue);
    // A choice made is read: what the file held before is gone.
    if (v.nId == VAL_BALLAST_POSN)
        prmKeepUnreadText(strGroup.c_str(), v.pszKey, "");
    // Fuel typed for a later leg is fuel taken on at the stop.
    if (nId == VAL_FUEL && stateEditLoad().bFuelAsLanded) {
        stateEditLoad().bFuelAsLanded = false;
        prmEdit([&](GKeyFile* pkf) { g_key_file_set_boolean(pkf, strGroup.c_str(), VAL_KEY_FUEL_AS_LANDED, FALSE); });
    }
    if (const _prmValue* pOther = tripOther(nId)) {
        // The trip typed as a time gives its fuel and the fuel its time, at
        // the aircraft's flow; both go in the one rewrite. Without a flow,
        // or from a value that is no amount, the other stays as it was.
        const double nOther = tripFromOther(nId, nValue, m_wbSetup.nFuelFlow);
        if (std::isfinite(nOther)) {
            // What was typed of the other half and not read is gone with it.
            const bool bUnread = !prmUnreadText(strGroup.c_str(), pOther->pszKey).empty();
            valSetField(*pOther, stateEditSetup(), stateEditLoad(), nOther);
            prmKeepUnreadText(strGroup.c_str(), pOther->pszKey, "");
            const std::vector<std::string> held = heldUnread(v.nOwner, stateShownLeg());
            prmEdit([&](GKeyFile* pkf) {
                g_key_file_set_double(pkf, strGroup.c_str(), v.pszKey, nValue);
                g_key_file_set_double(pkf, strGroup.c_str(), pOther->pszKey, nOther);
                if (bUnread)
                    writeUnread(pkf, v.nOwner, stateShownLeg(), held);
            });
            return;
        }
    }
    if (valNotGiven(v, nValue))
        prmEdit([&](GKeyFile* pkf) { g_key_file_remove_key(pkf, strGroup.c_str(), v.pszKey, nullptr); });
    else if (valIsNumber(v))
        prmSetKeyDouble(strGroup.c_str(), v.pszKey, nValue);
    else
        prmSetKeyInteger(strGroup.c_str(), v.pszKey, static_cast<gint>(valHeld(nId)));
    // The burn-off line is the flight's: every leg shows it alike.
    if (nId == VAL_SHOW_BURN_OFF)
        stateSettleLegs();
}

namespace
{

// Only the three basic figures can be copied (bits 1, 2 and 4). A flag the
// file holds otherwise, by a hand edit (text, a negative number, other
// bits), flags all three: the aircraft stays unconfirmed, and typing the
// three figures clears it, as for a new aircraft.
void readUnconfirmed(void)
{
    const _prmValue& v = valValue(VAL_UNCONFIRMED);
    const std::string str = prmGetKeyString(v.pszGroup, v.pszKey);
    guint64 n = 0;
    if (str.empty() || g_ascii_string_to_unsigned(str.c_str(), 10, 0, PSET_UNCONFIRMED_ALL, &n, nullptr))
        return;
    stateEditSetup().nUnconfirmed = PSET_UNCONFIRMED_ALL;
    g_autofree gchar* pszError = g_strdup_printf("psetParams()\n[%s] %s=%s in Zarv.conf is no set of copied figures\n"
                                                 "the basic weight and arms are taken as copied until each is typed",
                                                 v.pszGroup, v.pszKey, str.c_str());
    errPostError(pszError);
}

} // namespace

std::string valNotText(_prmValueId nId)
{
    const _prmValue& v = m_values[nId];
    if (prmKeyIsText(v.pszGroup, v.pszKey))
        return "";
    if (!v.pszEntry)
        return "The aircraft's " + std::string(v.pszWhat ? v.pszWhat : v.pszKey) +
               " in Zarv.conf is not valid text: it is shown, and kept from here, with replacement characters";
    return "The " + std::string(v.pszWhat ? v.pszWhat : v.pszKey) +
           " in Zarv.conf is not valid text: it is shown with replacement characters; type it again";
}

namespace
{

// A text of the aircraft that is not valid text is said once a run.
void tellNotText(void)
{
    for (const _prmValue& v : m_values) {
        const bool bText = (v.pszEntry || v.nId == VAL_HISTORY) && valIsText(v);
        const std::string str = bText ? valNotText(v.nId) : "";
        if (str.empty() || !errFirstTime(str + valGetText(v.nId)))
            continue;
        g_autofree gchar* pszMsg = g_strdup_printf("psetParams()\n[%s] %s in Zarv.conf is not valid UTF-8\n"
                                                   "it is shown with replacement characters",
                                                   v.pszGroup, v.pszKey);
        errPostError(pszMsg);
        // The aircraft's history is said for the run; a registration or
        // weighing date while it stands (the window asks valNotText).
        if (v.nId == VAL_HISTORY)
            errTellPilot(str);
    }
}

} // namespace

void psetParams(void)
{
    valLoadValues(PRM_OF_SETUP);
    readUnconfirmed();
    tellNotText();
    _wbSetup& s = stateEditSetup();
    s = calcWithFixedArms(s);
    // The rear position lies on the centre line.
    s.nBallastRearLatArm = 0.0;
    s.items = itmRead(prmKeyFile());
    s.strItemsNotRead = itmNotRead(prmKeyFile());
    const _hvcRead hover = hvcRead(prmKeyFile());
    s.hover = hover.charts;
    s.strHoverNotRead = hover.strWhy;
}

std::string valAircraftGroup(int n)
{
    return AIRCRAFT_GROUP_PREFIX + std::to_string(n);
}

int valAircraftNumber(const char* pszGroup)
{
    if (!g_str_has_prefix(pszGroup, AIRCRAFT_GROUP_PREFIX))
        return 0;
    const char* pszDigits = pszGroup + strlen(AIRCRAFT_GROUP_PREFIX);
    char* pszEnd = nullptr;
    const long n = strtol(pszDigits, &pszEnd, 10);
    return *pszDigits && !*pszEnd && n >= 2 && n < 100000 ? static_cast<int>(n) : 0;
}

int valFingerprintNeeded(const _wbSetup& s)
{
    int nVersion = PRM_FINGERPRINT_VERSION;
    for (const _prmValue& v : m_values)
        if (v.nFingerprint > nVersion && valIsNumber(v) && valFieldValue(v, s, stateLoad()) != 0)
            nVersion = v.nFingerprint;
    return hvcAny(s.hover) ? std::max(nVersion, PRM_FINGERPRINT_HOVER) : nVersion;
}

std::string valFigureText(const _prmTextOf& text, int nVersion, const _wbSetup& s)
{
    if (nVersion <= 0)
        nVersion = valFingerprintNeeded(s);
    std::string str;
    for (const _prmValue& v : m_values) {
        if (v.nFingerprint == 0 || v.nFingerprint > nVersion)
            continue;
        str += v.pszGroup;
        str += '/';
        str += v.pszKey;
        str += '=';
        char szNumber[G_ASCII_DTOSTR_BUF_SIZE];
        const double n = valFieldValue(v, s, stateLoad());
        if (valIsNumber(v))
            str += g_ascii_formatd(szNumber, sizeof szNumber, "%.3f", n);
        else if (!valIsText(v))
            str += std::to_string(static_cast<guint>(n));
        else
            str += text(v.nId);
        str += '\n';
    }
    // An aircraft without items or charts reads as it always has.
    return str + itmFigureText(s.items) + (nVersion >= PRM_FINGERPRINT_HOVER ? hvcFigureText(s.hover) : "");
}

std::string valFingerprintOfText(const std::string& strFigureText, int nVersion)
{
    g_autofree gchar* pszDigest =
        g_compute_checksum_for_string(G_CHECKSUM_SHA256, strFigureText.c_str(), strFigureText.size());
    const std::string strDigits =
        nVersion >= PRM_FINGERPRINT_WHOLE ? std::string(pszDigest) : std::string(pszDigest, 8);
    return nVersion == 1 ? strDigits : "v" + std::to_string(nVersion) + ":" + strDigits;
}

std::string valFingerprint(const _prmTextOf& text, int nVersion, const _wbSetup& s)
{
    if (nVersion <= 0)
        nVersion = valFingerprintNeeded(s);
    return valFingerprintOfText(valFigureText(text, nVersion, s), nVersion);
}

int valFingerprintVersion(const std::string& strFingerprint)
{
    const auto hex = [](const std::string& str) {
        return !str.empty() && str.find_first_not_of("0123456789abcdef") == std::string::npos;
    };
    if (strFingerprint.size() == 8)
        return hex(strFingerprint) ? 1 : 0;
    for (int nVersion = 2; nVersion <= PRM_FINGERPRINT_NEWEST; nVersion++) {
        const std::string strMark = "v" + std::to_string(nVersion) + ":";
        const size_t nDigits = nVersion >= PRM_FINGERPRINT_WHOLE ? 64 : 8;
        if (strFingerprint.size() == strMark.size() + nDigits && strFingerprint.starts_with(strMark) &&
            hex(strFingerprint.substr(strMark.size())))
            return nVersion;
    }
    return 0;
}

std::string valHoverFingerprint(const _hovCharts& charts)
{
    if (!hvcAny(charts))
        return "";
    const std::string strText = hovCsvText(charts);
    g_autofree gchar* pszDigest = g_compute_checksum_for_string(G_CHECKSUM_SHA256, strText.c_str(), strText.size());
    return std::string(pszDigest, 16);
}
