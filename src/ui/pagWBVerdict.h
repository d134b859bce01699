// The verdict in words, from the one judgement of the flight: on a point,
// and once on the whole flight, for the loading page and the load sheet.
#pragma once

#include "model/calc.h"

#include <string>

// A limit as shown: in the pilot's unit to the digits that make it true
// (rounded to its safe side where the unit's figure is not exact), with the
// value as written beside it where the units differ: "95.25 kg (210 lb)",
// "210 lb".
std::string pwbLimitText(_wbLimit nLimit, const _wbSetup& units);

// A judged point in words, in the pilot's units (the record's): every limit
// broken with how far ("OUT OF LIMITS: over the maximum weight by 8.0 lb;
// right seat over its 210 lb limit by 5.0 lb"), or within with the centre
// of gravity's margin, the lateral one too where it is the nearer, and a
// weight, seat or tank margin where that is nearer still ("WITHIN LIMITS;
// centre of gravity 0.71 mm aft of the forward limit; 0.05 kg below the
// left seat's limit"); "NO LOADING ENTERED" for an aircraft without a
// weight. Breaches and margins are given to the limit's own decimals, a
// breach rounded up and a margin down, so neither reads better than it is.
std::string pwbVerdictText(const _wbJudgement& j, const _wbSetup& units);

// One point of a flight in words: as pwbVerdictText, or for a landing after
// a trip longer than the fuel, "not possible: the trip (20.0 L) is more
// than the fuel on board (15.0 L)".
std::string pwbPointVerdictText(const _wbFlight& f, _wbFlightPoint nPoint, const _wbSetup& units);

// A value that cannot be judged, in words: "the fuel "6O" was not read as
// a number: check it", "left seat weight −5.0 kg cannot be right". No
// infinity, no "nan" and no figure wider than a field is ever quoted.
std::string pwbDoubtText(const _wbDoubt& d, const _wbSetup& units);

// The flight's one verdict: "WITHIN LIMITS for take-off, landing and with no
// fuel" (without a trip, "for take-off and with no fuel"), or "NOT WITHIN
// LIMITS: " with every limit broken at every point, each once with its
// point ("landing forward of the limit by 1.60 mm"; the seats and the tank,
// the loading's own, once without one); "NOT WITHIN LIMITS: " with each
// doubted value's words instead while any value cannot be judged; led by "Basic weight and arms not
// confirmed for this aircraft" while they are not.
std::string pwbFlightVerdictText(const _wbFlight& f, const _wbSetup& units);
