// store/flight/, above conf/: the flight the pilot plans. Its legs after
// the first, the saved people who sit in its seats (People.conf), and the
// reference loadings of the check of the calculation, each a flight worked
// out by hand. It uses conf/ alone.
//
// The legs of a flight after the first as Zarv.conf keeps them: a group
// each, "Leg 2" up to "Leg 6", holding the first leg's keys of "Load" (every
// loading's row of the table of stored values whose group that is: the
// numbers, the choices, who sits where, the texts not read) and the keys of
// the legs' own, a later leg's fuel as landed and its items fitted (in the
// items' order). The first leg stays in "Load" with its items' own keys, as
// a flight of one leg always was: a file without leg groups is a flight of
// one leg.
#pragma once

#include "model/calc.h"
#include "model/fuel.h"
#include "model/hover.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// Reads every value of the loading from the store into their fields: the
// first leg's and the legs after it, up to the first number without a
// group, their fuel settled.
void pwbParams(void);

// Every leg of the flight Zarv holds now, calculated, in order; a leg Zarv
// could not read is a doubt of the first.
std::vector<_wbFlight> legCalcAll(void);
// Any legs judged as legCalcAll judges the flight held: each by pwbCalcWB
// with its own unread texts, and what of the legs was not read
// (strNotRead, "" for none) a doubt of the first, named LEG_DOUBT.
std::vector<_wbFlight> legJudge(const _wbSetup& s, const std::vector<_wbLoadState>& legs,
                                const std::string& strNotRead);
constexpr const char* LEG_DOUBT = CALC_LEG_GROUP;

// The leg the page shows, calculated as legCalcAll does: a leg group Zarv
// could not read leaves the first leg, and so a flight of one leg,
// unjudged.
_wbFlight legCalcShown(void);

// A short name of each leg for the verdict ("solo").
std::vector<std::string> legLabels(void);

// Each leg's take-off and landing judged for hover by the aircraft's
// charts, at the leg's weights there and its sites' conditions (a leg
// without a trip lands at its take-off weight); nothing of a leg that is
// not judged (a value that cannot be right, no loading).
std::vector<_hovLeg> legHover(const _wbSetup& s, const std::vector<_wbFlight>& flights,
                              const std::vector<_wbLoadState>& loads);

// The flight's one verdict, as the page, the sheet, the record and its
// check all say it: every leg's mass and balance (loads give each leg's
// short name and whether its fuel is as the leg before landed), led by the
// legs short of fuel by the operator's rule, with its hover; and whether
// it may be flown as loaded.
struct _legVerdict {
    std::string strVerdict;
    bool bWithin = false;
    std::vector<_wbFuelNeed> needs;
    std::vector<_hovLeg> hover;
};
_legVerdict legVerdict(const _wbSetup& s, const std::vector<_wbFlight>& flights,
                       const std::vector<_wbLoadState>& loads);

// The legs as the room left and the fuel at the first take-off take them:
// each loading, trip and fuel as landed, and the most its take-off and
// landing may weigh for hover.
std::vector<_wbLegFuel> legFuel(const _wbSetup& s, const std::vector<_wbFlight>& flights,
                                const std::vector<_wbLoadState>& loads);

// What of the legs Zarv does not read, named: a group numbered another way
// ("[Leg 02]", "[Leg 7]", a leg after a gap), or a flag that is neither true
// nor false ("[Leg 2] FuelAsLanded=maybe"); "" where it reads them all.
std::string legNotRead(void);

// Adds a leg after the last, as it lands (stateNextLeg), with the seat
// nEmpty (0 left, 1 right) emptied where given; the page shows it. A
// commander whose seat is emptied hands over to the other seat. False,
// with nothing changed, where the flight has its six legs already.
bool legAdd(std::optional<int> nEmpty = std::nullopt);

// Removes leg n (the first included, while there is another): the legs
// after it move up, a leg whose fuel is as landed now following the leg
// before it. The page shows the leg that took its place, or the one
// before.
void legRemove(size_t n);

// The leg shown, a later one, takes off with the fuel the leg before it
// landed with again (no fuel taken on at the stop): kept, settled and
// stored, the fuel's text not read dropped. Nothing for the first leg.
void legStoreFuelAsLanded(void);

// A text value of leg n ("" when missing); valGetText's is the leg shown.
std::string legText(size_t nLeg, _prmValueId nId);

// A later leg's items fitted, kept in the value held and stored.
void legStoreFitted(size_t nLeg, const std::vector<bool>& fitted);
// The leg shown takes item n fitted or removed (itmStoreFitted for the
// first leg).
void legStoreItemFitted(size_t n, bool bFitted);
