// The verdict in words, from the one judgement of the flight: on a point,
// and once on the whole flight; the limits, the doubted values and the
// fuel and ballast advice in words. The loading page, the load sheet and
// the check of the record of sheets all say them alike.
#pragma once

#include "model/calc.h"
#include "model/fuel.h"

#include <string>
#include <utility>
#include <vector>

// A limit as shown: in the pilot's unit to the entries' decimals, inward
// where the unit's figure is not exact so the figure is itself within, with
// the value as written beside it where the units differ: "95.2 kg (210
// lb)", "210 lb".
std::string wrdLimitText(_wbLimit nLimit, const _wbSetup& units);

// The same limit for a value beyond it by nBreach (internal units): to the
// decimals at which the value, as its field shows it, reads beyond the limit
// ("17.03 US gal (64.5 L)" for a field showing 17.04), the
// limit as written alone ("64.5 L") where none tells them apart.
std::string wrdLimitTextBeyond(_wbLimit nLimit, double nBreach, const _wbSetup& units);

// The chart's cautions as the chart writes them, on two lines.
constexpr const char* WRD_TAILWIND = "Maximum tailwind while hovering\n10 MPH (8 Kts)";
constexpr const char* WRD_SPEED = "Maximum speed\n95 MPH (82 Kts)";

// The caution of a point in a caution band as the pilot's words say it,
// in one line: "maximum speed 95 MPH (82 kt)"; empty for a message that is
// no caution.
std::string wrdCautionText(_chartMessage nMessage);

// A judged point in words, in the pilot's units (the record's): every limit
// broken with how far ("OUT OF LIMITS: over the maximum weight by 8.0 lb;
// right seat over its 210 lb limit by 5.0 lb"), or within with the centre
// of gravity's margin, the lateral one too where it is the nearer, and a
// weight, seat or tank margin where that is nearer still ("WITHIN LIMITS;
// centre of gravity 0.71 mm aft of the forward limit; 0.05 kg below the
// left seat's limit"); "NO LOADING ENTERED" for an aircraft without a
// weight. Margins are given to the entries' decimals rounded down, breaches
// rounded up, and to more decimals where the value would read as its
// limit (the same for every figure of a kind), so none reads better than
// it is. Where the school sets margins of its own inside the limits, the
// nearest of them follows ("; within the certified limits, 2.1 mm inside
// the school's forward margin"), and a point beyond one alone is "NOT
// WITHIN THE SCHOOL'S MARGINS: beyond the school's aft margin by 1.4 mm;
// within the certified limits"; a margin is named broken only where its
// certified limit is kept.
std::string wrdVerdictText(const _wbJudgement& j, const _wbSetup& units);

// One point of a flight in words: as wrdVerdictText, or for a landing after
// a trip longer than the fuel, "not possible: the trip (20.0 L) is more
// than the fuel on board (15.0 L)", to the decimals that tell the two
// apart, or without the figures where none do.
std::string wrdPointVerdictText(const _wbFlight& f, _wbFlightPoint nPoint, const _wbSetup& units);

// A value that cannot be judged, in words: "the fuel "6O" was not read as
// a number: check it", "left seat weight −5.0 kg cannot be right". No
// infinity, no "nan" and no figure wider than a field is ever quoted.
std::string wrdDoubtText(const _wbDoubt& d, const _wbSetup& units);

// The flight's one verdict: "WITHIN LIMITS for take-off, landing and with no
// fuel" (without a trip, "for take-off and with no fuel"), followed, where
// any of its points lies in a caution band, by " \u2014 caution: maximum
// speed 95 MPH (82 kt)"; or "NOT WITHIN
// LIMITS: " with every limit broken at every point, each once with its
// point ("landing forward of the limit by 1.60 mm"; the seats and the tank,
// the loading's own, once without one); "NOT WITHIN LIMITS: " with each
// doubted value's words instead while any value cannot be judged; led by "Basic weight and arms not
// confirmed for this aircraft" while they are not. The school's margins as
// wrdVerdictText says them, the nearest with its point ("… forward margin
// at landing"), a flight beyond them alone "NOT WITHIN THE SCHOOL'S
// MARGINS: landing beyond the school's aft margin by 1.4 mm; within the
// certified limits".
std::string wrdFlightVerdictText(const _wbFlight& f, const _wbSetup& units);

// The form of the verdict's words. A record line keeps the form it was
// written in; a line of another form is checked by what its verdict says of
// the flight (wrdVerdictKind), as its words were another Zarv's. Raised
// whenever the words of a verdict change.
constexpr int WRD_VERDICT_FORM = 2;

// What a verdict says of the flight whatever its words: "NOT ENOUGH FUEL"
// (whatever else it says), "NO LOADING ENTERED", "WITHIN LIMITS", "NOT
// WITHIN LIMITS", "NOT WITHIN THE SCHOOL'S MARGINS", "NOT JUDGED", each after
// "unconfirmed " where the basic weight and arms were not confirmed.
std::string wrdVerdictKind(const std::string& strVerdict);

// The one verdict of a flight of several legs, each leg named by its
// number and its short name (labels[n], "" for none): as
// wrdFlightVerdictText for a flight of one leg; else "NOT WITHIN LIMITS: "
// with every limit broken by every leg at every point, each leg once ("leg
// 2 (solo) aft of the limit by 3.10 mm at take-off, right of the lateral
// limit by 1.20 mm at landing; leg 3 …"), or "WITHIN LIMITS for every leg;
// nearest the limits leg 2 (solo) at landing: centre of gravity …", the
// nearest margin of the whole flight, with each caution after "every leg"
// (" \u2014 caution: maximum speed 95 MPH (82 kt) on leg 1 (dual)"), its
// legs named where not every leg has it; the school's nearest margin
// after, with its leg and point ("… forward margin on leg 2 (solo) at
// landing"), or its margins broken alone as wrdFlightVerdictText says them.
std::string wrdLegsVerdictText(const std::vector<_wbFlight>& legs, const std::vector<std::string>& labels,
                               const _wbSetup& units);

// What a leg needs by the fuel rule, in the pilot's fuel unit, the need
// and its parts rounded up, what is more rounded down: "Needs 36.5 L: taxi
// 2.0, trip 20.0, contingency 1.0, reserve 13.5 (20 min); 60.0 L on board,
// 23.5 L more" (or "6.5 L short"); "" where nothing is needed.
std::string wrdFuelNeedText(const _wbFuelNeed& need, const _wbSetup& units);

// The legs short of what they need, for the headline: "NOT ENOUGH FUEL: leg
// 2 needs 36.5 L, has 30.0 L" ("needs …" alone for a flight of one leg),
// to the decimals that tell the two apart; "" where none is short.
std::string wrdFuelShortText(const std::vector<_wbFuelNeed>& needs, const _wbSetup& units);

// The flight's verdict (strVerdict) led by the legs short of fuel, where
// any is.
std::string wrdWithFuelNeeds(const std::string& strVerdict, const std::vector<_wbFuelNeed>& needs,
                             const _wbSetup& units);

// The school's margins inside the certified limits as the load sheet
// prints them under the limits: "School's margins: 20.0 kg below the
// maximum weight, 5.0 mm aft of the forward limit, 3.0 mm inside each
// lateral limit"; "" where it sets none.
std::string wrdSchoolMarginsText(const _wbSetup& units);

// The fuel at the first take-off that keeps every leg to the first stop
// that takes fuel on within, in words ("First take-off: mass and balance
// allow 36.7 to 64.5 L for every leg to …"); "" where unknown.
// With the legs' needs by the fuel rule, the least to carry where they ask
// more: "; carry 50.4 to 64.5 L: their trips and 20 min reserve", or that
// they need more than mass and balance allow.
std::string wrdFirstTakeOffText(const _wbFuelRange& range, const _wbSetup& units,
                                const std::vector<_wbLegFuel>& legs = {}, const std::vector<_wbFuelNeed>& needs = {});

// Which way a point lies beyond its limits, in words: "forward of the
// limit", "over weight"; "" for none.
const char* wrdBeyondWords(_wbBeyond nBeyond);

// A loaded point in the pilot's units: "689.0 kg at 2441.20 mm, lateral
// 3.05 mm".
std::string wrdPointFiguresText(const _wbPoint& p, const _wbSetup& units);

// Each item fitted for a flight that differs from the weighing, in the
// items' order, as a pilot writes it: its name as typed, and what changed,
// "removed" and its weight taken away or "fitted" and its weight added, in
// the pilot's unit ("Left door", "removed \u22125.4 kg").
std::vector<std::pair<std::string, std::string>> wrdItemChanges(const _wbSetup& s, const std::vector<bool>& fitted);

// Whether the pilot works in the result table's written pounds and inches.
bool wrdUnitsWritten(const _wbSetup& units);

// The fuel and ballast plan of a flight, with its trip where bTrip.
_wbFuelPlan wrdFuelPlanOf(const _wbFlight& f, const _wbSetup& s, bool bTrip);

// The fuel advice in words, in the pilot's fuel unit, from the plan worked
// over every point of the flight: the take-off fuel mass and balance allow
// with the ballast as chosen ("Mass and balance allow 36.7 to 64.5 L at
// take-off", with the trip and what to keep on board to landing where
// bTrip; "Within limits: up to 64.5 L" without), or where they allow none,
// the loading that flies ("Fit the ballast at the rear and carry up to
// 40.0 L at take-off"), led by why where the fuel burned decides ("With the
// fuel burned this loading is aft of the limit: …", "At take-off and with
// the fuel burned …" where the take-off is beyond too), or "No loading of
// fuel and ballast is within limits". Every figure inward, to one
// precision. No advice while a value cannot be judged.
// With the leg's need known (need), the trip no longer says it holds no
// reserve, and the least to carry is the larger of what mass and balance
// allow and the need, saying which ("carry 36.5 to 59.8 L: trip,
// contingency and 20 min reserve").
std::string wrdFuelAdviceText(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& units, bool bTrip,
                              const _wbFuelNeed& need = {});

// Where no fuel and no ballast position makes this leg fly with its trip:
// the limit none brings back and what would, as the fuel advice says it;
// "" where something flies or nothing is found.
std::string wrdNothingFliesText(const _wbFlight& f, const _wbSetup& units);

// The ballast advice: empty where the fuel on board flies as the ballast is
// fitted; the position that makes it fly with that fuel; else the position
// whose fuel range the plan finds, or "No ballast position helps" where
// only the fuel can change it or nothing flies (the fuel advice says which).
std::string wrdBallastAdviceText(const _wbFlight& f, const _wbFuelPlan& plan, const _wbSetup& s);

// A leg's trip time that is not its trip fuel at the aircraft's fuel flow,
// as a doubt says it: "the trip time 30 min is not the trip fuel 19.0 L at
// the fuel flow 60.0 L/h (the flow changed since): type either again".
std::string wrdTripTimeApartText(double nMinutes, double nTripLitres, double nFlow, const _wbSetup& u);
