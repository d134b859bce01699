// The room left in a flight: for the leg shown, the most each station (each
// seat, the fuel, the ballast where fitted) can still take with every point
// of every leg within every limit, the limit that stops it, and the limit
// that binds first. Pure arithmetic in kilograms, millimetres and litres on
// the limit rows of model/limits.h.
#pragma once

#include "model/fuel.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

// The stations a load can be added at, in the order the words name them.
enum _roomStation { ROOM_LSEAT, ROOM_RSEAT, ROOM_FUEL, ROOM_BALLAST, ROOM_STATIONS };

// Why nothing more fits: the flight as it stands is not one to add to.
enum _roomWhy {
    ROOM_FITS,           // the room below is worked
    ROOM_NO_LOADING,     // no leg to show, or an aircraft that weighs nothing
    ROOM_NOT_JUDGED,     // a value that cannot be right, or not read
    ROOM_UNCONFIRMED,    // the basic weight and arms copied, not typed
    ROOM_NOT_WITHIN,     // a point already beyond a limit, or a trip over the fuel
    ROOM_NOT_IN_MARGINS, // every point within the certified limits, one beyond a margin
};

// The room at one station: whether the leg has it (the ballast only where
// fitted), the most it can still take (kg, or litres for the fuel), and the
// limit that stops it, at which point of which leg.
struct _roomStop {
    bool bHas = false;
    double nRoom = 0;
    _wbLimit nLimit = LIMIT_WEIGHT;
    _wbFlightPoint nPoint = POINT_TAKE_OFF;
    size_t nLeg = 0;
    // The operator's margin inside that limit that stops it, where one is
    // set and binds first (MARGIN_COUNT: the certified limit itself).
    _wbMargin nMargin = MARGIN_COUNT;
    // The hover figure there stops it, not a limit of the table.
    bool bHover = false;
};

// The room left of the leg nShown, and the station whose room weighs least
// (nFirst), whose limit is the one that binds first; where nothing fits for
// a point beyond, the first leg not within (nBeyondLeg).
struct _roomLeft {
    _roomWhy nWhy = ROOM_NO_LOADING;
    size_t nShown = 0, nBeyondLeg = 0;
    std::array<_roomStop, ROOM_STATIONS> at{};
    _roomStation nFirst = ROOM_LSEAT;
};

// The room left of leg nShown of a flight: a seat's or the ballast's weight
// added to that leg alone, fuel added to its take-off and so to every leg
// after it whose fuel is as landed. Each limit is a line in the mass added,
// solved for it, and so is each point's hover figure (legs' hoverMost); the least over every limit of every point of
// every leg reached is the room. bDoubted says a value of the flight cannot be right (the judgement's doubts), and then
// nothing fits, as where a point of any leg is beyond a limit now.
_roomLeft roomLeft(const _wbSetup& s, const std::vector<_wbLegFuel>& legs, size_t nShown, bool bDoubted);

// The room left in the pilot's units, each figure rounded down: "Still
// fits: left seat 12.4 kg, right seat 12.4 kg, fuel 8.0 L. Limited by the
// aft limit with the fuel burned." (a later leg named: "at landing on leg
// 3"); "Nothing more fits: …" and why; "" with no loading.
std::string roomText(const _roomLeft& r, const _wbSetup& units);
