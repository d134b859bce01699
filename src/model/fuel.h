// Fuel planning: the fuel a loading allows at each point of the flight and
// the ballast position to advise, on top of the one judgement. Pure
// arithmetic in kilograms, millimetres and litres.
#pragma once

#include "model/calc.h"

#include <array>
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
};

// The fuel at the first take-off, in litres and within the tank, for which
// every point of the first leg and of every leg after it up to the first
// stop that takes fuel on is within every limit, each leg with its ballast
// as fitted: each leg's range (fuelPlan) moved up by the trips flown before
// it, all of them met at once.
_wbFuelRange fuelFirstTakeOff(const _wbSetup& s, const std::vector<_wbLegFuel>& legs);
