// Where no fuel and no ballast position makes a loading fly: the limits no
// fuel or ballast brings back, and what would (a second occupant, less
// weight in a seat, a shorter trip), each worked from the limit rows and
// checked by the one judgement. Pure arithmetic in kilograms, millimetres
// and litres.
#pragma once

#include "model/calc.h"

#include <string>
#include <vector>

// A limit no fuel or ballast brings back: how little it is broken by with
// the fuel and ballast that come nearest (nBreach, in the limit's own
// internal unit, above 0).
struct _remReason {
    _wbLimit nLimit;
    double nBreach;
};

// A seat's weight, in kg, from nLeast to nMost, with which some fuel and
// ballast position flies; nSeat is ROW_LSEAT or ROW_RSEAT.
struct _remSeat {
    int nSeat;
    double nLeast, nMost;
};

// Why nothing flies and what would. bNothingFlies is false where some fuel
// in the tank and some ballast position flies (or nothing is known), and
// then the rest is empty. nLongestTrip is the longest trip, in litres,
// with which the loading flies; below 0 where none does.
struct _remWhy {
    bool bNothingFlies = false;
    std::vector<_remReason> reasons;
    std::vector<_remSeat> seats;
    double nLongestTrip = -1;
};
_remWhy remWhy(const _wbSetup& s, const _wbLoading& l, double nTripLitres);

// The reasons in words, in the pilot's units: "the lateral centre of
// gravity is 24.15 mm right of the centre line whatever the fuel and
// ballast (limit 22.35 mm)"; "" where no one limit is the reason.
std::string remReasonText(const _remWhy& w, const _wbSetup& u);

// What would fly, in words: "a second occupant of at least 35.0 kg in the
// left seat, or …"; "" where nothing that Zarv can work out would.
std::string remRemedyText(const _remWhy& w, const _wbLoading& l, const _wbSetup& u);
