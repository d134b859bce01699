// Fuel planning: the fuel a loading allows at each point of the flight and
// the ballast position to advise, on top of the one judgement. Pure
// arithmetic in kilograms, millimetres and litres.
#pragma once

#include "model/calc.h"

#include <array>
#include <cmath>
#include <vector>

// The loading with another fuel load and ballast position: the same seats
// and items.
_wbLoading fuelWith(const _wbLoading& l, double nFuelLitres, guint nBallastPosn);

// The fuel volumes, in litres and within the tank, for which a loading's
// weight and centre of gravity are within every limit of a point of the
// flight (take-off unless named): every limit the fuel moves. The
// loading's own fuel plays no part. bKnown is false where the aircraft
// without fuel weighs nothing (or no number).
struct _wbFuelRange {
    bool bKnown = false;
    bool bAny = false;
    double nLeast = 0, nMost = 0;
};
_wbFuelRange fuelRange(const _wbSetup& s, const _wbLoading& l, _wbFlightPoint nPoint = POINT_TAKE_OFF);

// The take-off fuel, in litres, for which the take-off point and the landing
// point after a trip of nTripLitres are both within every limit: the range
// at take-off narrowed to what leaves the landing within, the landing's
// range moved up by the trip. nKeep says what must stay on board to
// landing (the landing range's least, where the centre of gravity sets it).
struct _wbTripFuel {
    _wbFuelRange takeOff;
    double nKeep;
};
_wbTripFuel fuelTripRange(const _wbSetup& s, const _wbLoading& l, double nTripLitres);

// Whether the chosen ballast position leaves the flight (with a trip of
// nTripLitres) not within, as the verdict judges it (bNeeded): a point
// beyond any limit, or a trip the fuel does not allow; and then the first of
// none, front and rear that puts it within (nPosn), or -1 when none does.
struct _wbBallastAdvice {
    bool bNeeded;
    int nPosn;
};
_wbBallastAdvice fuelBallastAdvice(const _wbSetup& s, const _wbLoading& l, double nTripLitres = 0);

// The loading that flies, at each ballast position (at[n] for the _locBallast
// value n): the take-off fuel, in litres, for which every point of the
// flight (take-off, landing after a trip of nTripLitres, and no fuel) is
// within every limit. A position's range is empty where the no-fuel point
// alone puts it out (noFuel[n] says which way), and every range is where a
// limit only the seats change is beyond (pszSeatsOnly: its words, null for
// none), which no fuel or ballast changes.
// nChosen is the position as fitted (any other value counts as none).
struct _wbFuelPlan {
    guint nChosen;
    std::array<_wbTripFuel, 3> at;
    std::array<_wbBeyond, 3> noFuel;
    const char* pszSeatsOnly;
};
_wbFuelPlan fuelPlan(const _wbSetup& s, const _wbLoading& l, double nTripLitres);

// A leg of a flight as the first take-off's fuel reaches it: its loading
// at take-off, its trip in litres, and whether its fuel is what the leg
// before landed with (no fuel taken on at the stop).
struct _wbLegFuel {
    _wbLoading loading;
    double nTripLitres;
    bool bAsLanded;
    // The most the leg may weigh at each point for hover (kg): infinite
    // where it is not judged, below 0 where it has no hover figure.
    std::array<double, POINT_COUNT> hoverMost = {INFINITY, INFINITY, INFINITY};
};

// The fuel at the first take-off, in litres and within the tank, for which
// every point of the first leg and of every leg after it up to the first
// stop that takes fuel on is within every limit, each leg with its ballast
// as fitted: each leg's range (fuelPlan) moved up by the trips flown before
// it, all of them met at once.
_wbFuelRange fuelFirstTakeOff(const _wbSetup& s, const std::vector<_wbLegFuel>& legs);

// ---- The fuel a leg needs ----------------------------------------------------

// The most a fuel rule's figures can be: a fuel flow beyond it, a reserve
// or a contingency beyond these, is a slip and plans nothing.
constexpr double FUEL_MOST_FLOW = 500;        // litres per hour
constexpr double FUEL_MOST_RESERVE = 120;     // minutes
constexpr double FUEL_MOST_CONTINGENCY = 100; // per cent of the trip

// What a leg needs by the operator's rule, each part in litres: the
// start-up and taxi fuel (where it starts from the ground with fuel taken
// on), the trip, the contingency (a share of the trip) and the final
// reserve (its minutes at the aircraft's fuel flow); what it has at
// take-off and at landing; whether it has what it needs and lands with the
// final reserve. bKnown is false where the aircraft has no fuel flow or a
// figure it comes from cannot be right: then nothing is needed.
struct _wbFuelNeed {
    bool bKnown = false;
    double nTaxi = 0, nTrip = 0, nContingency = 0, nReserve = 0, nRequired = 0;
    double nOnBoard = 0, nLanding = 0;
    bool bEnough = true, bKeepsReserve = true;

    // Known and short of it: the flight is not to be flown as loaded.
    bool isShort() const
    {
        return bKnown && !(bEnough && bKeepsReserve);
    }
};

// The need of a leg with nOnBoard litres at take-off and a trip of
// nTripLitres, with the taxi fuel where bTaxi.
_wbFuelNeed fuelNeed(const _wbSetup& s, double nOnBoard, double nTripLitres, bool bTaxi);

// Each leg's need in order: the first leg and each after a stop that takes
// fuel on (not as landed) start up and taxi.
std::vector<_wbFuelNeed> fuelNeeds(const _wbSetup& s, const std::vector<_wbLegFuel>& legs);

// Each judged leg's need (asLanded[n]: leg n's fuel is as the leg before
// landed); none of a leg with a value that cannot be judged or without a
// loading, as nothing else is judged of it.
std::vector<_wbFuelNeed> fuelFlightNeeds(const _wbSetup& s, const std::vector<_wbFlight>& legs,
                                         const std::vector<bool>& asLanded);

// Whether every leg has what it needs (or needs nothing known).
bool fuelEnough(const std::vector<_wbFuelNeed>& needs);
