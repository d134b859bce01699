// The flight as Zarv holds it while it runs, with one owner: the aircraft's
// setup record, the flight's loadings (one today, the one the loading page
// shows) and who is told of a change. Read from Zarv.conf and changed only
// through the table of stored values (store/conf/stored); everything else reads
// it by const reference, and every result is computed from it when wanted,
// never kept beside it.
#pragma once

#include "model/calc.h"

#include <glib.h>

#include <cmath>

#include <vector>

// The one setup record, read-only: the table of stored values writes it
// through stateEditSetup.
extern const _wbSetup& m_wbSetup;

// A loading as the pilot entered it: the seats in kg, the fuel in litres, a
// _locBallast value, the fuel planned to be burned before landing in
// litres, and whether the chart shows the burn-off line to the zero-fuel
// point.
struct _wbLoadState {
    gdouble nLSeatWeight;
    gdouble nRSeatWeight;
    gdouble nFuelVolume;
    guint nBallastPosn;
    gdouble nTripFuel;
    gboolean bShowBurnOff;
    // Which of the aircraft's removable items are fitted for the flight, in
    // the items' order; an item it says nothing of is as weighed.
    std::vector<bool> fitted{};
    // A leg after the first whose take-off fuel is what the leg before it
    // landed with (no fuel added at the stop): nFuelVolume follows it.
    bool bFuelAsLanded{};
    // The leg's trip as a time in minutes, beside its fuel; 0 where none
    // is typed.
    gdouble nTripMinutes{};
    // The day's conditions at the leg's take-off and landing sites, for its
    // hover: elevation (ft), QNH (hPa) and outside air temperature (°C);
    // no number (NaN) where none is typed. A later leg takes off where the
    // leg before it landed.
    gdouble nFromElevation = NAN, nFromQnh = NAN, nFromOat = NAN;
    gdouble nToElevation = NAN, nToQnh = NAN, nToOat = NAN;
};

// A flight has one leg or up to six, flown in order; the page shows one.
constexpr size_t STATE_MAX_LEGS = 6;

// The loading of the leg the loading page shows.
const _wbLoadState& stateLoad(void);

// Every leg of the flight in order, and which the page shows (0 for the
// first).
const std::vector<_wbLoadState>& stateLegs(void);
size_t stateShownLeg(void);
// Shows leg n, where there is one, and tells the pages.
void stateShowLeg(size_t n);
// For the table of stored values: the legs as read and changed; a leg
// whose fuel is as landed follows the leg before it once settled.
std::vector<_wbLoadState>& stateEditLegs(void);
void stateSettleLegs(void);
// Any list of legs settled as the flight held is: a leg whose fuel is as
// landed takes what the leg before landed with, and every leg the first's
// burn-off line (the record's check and the reference cases settle theirs).
void stateSettle(std::vector<_wbLoadState>& legs);

// The next leg after leg n as it starts at that leg's landing: the same
// occupants, items and ballast, the fuel left after its trip, no trip yet.
_wbLoadState stateNextLeg(const _wbLoadState& l);

// A short name of a leg for the verdict: "solo" with one seat taken, ""
// otherwise.
const char* stateLegLabel(const _wbLoadState& l);

// A loading of an aircraft as the calculation takes it.
_wbLoading stateLoadingOf(const _wbSetup& s, const _wbLoadState& l);

// For the table of stored values, which reads Zarv.conf into them and keeps
// what the pilot changes: the setup record and the shown loading.
_wbSetup& stateEditSetup(void);
_wbLoadState& stateEditLoad(void);

// What changed: the loading, or the aircraft (its figures, its units, the
// aircraft itself), or everything (Zarv.conf read again).
enum _stateChange { STATE_LOADING, STATE_AIRCRAFT, STATE_ALL };

// Each page asks once to be told of every change, and redraws itself from
// the value: no page calls another, and the order they are told in does not
// matter. Pages only listen: the store tells them, as it makes a change.
using _stateListener = void (*)(_stateChange nChange);
void stateListen(_stateListener pfuncListener);
// A page whose widgets are gone asks to be told no more.
void stateUnlisten(_stateListener pfuncListener);
// For the store: tells every page of a change it has kept and stored, or,
// while a change is held open (_stateChanging), once when the outermost one
// closes, of the widest change made in it.
void stateTell(_stateChange nChange);

// Holds a change open for as long as it lives, so that what belongs together
// (a name and the weight it brings, a value and the flag it clears, a leg
// and its fuel settled) is told once, whole, and no page redraws from half
// of it. Made with a kind, it tells of that kind when it closes; made
// without, it tells only of what the store changed while it was open.
struct _stateChanging {
    _stateChanging(void);
    explicit _stateChanging(_stateChange nChange);
    ~_stateChanging(void);
    _stateChanging(const _stateChanging&) = delete;
    _stateChanging& operator=(const _stateChanging&) = delete;
};
