// The loading page: seat weights, fuel and ballast position in; the result
// table, the limit indicators and fuel planning out. Bound from Zarv.ui.
#pragma once

#include "misc.h"
#include "pagSetup.h"
#include "pagWB.h"

#include <gtk/gtk.h>

#include <span>
#include <string>

// The texts of the result table (and the load sheet): a weight in kg shown
// in pounds, an arm in mm in inches, a moment in kg·mm in pound-inches, in
// the table's formats; an en dash for a value that is no finite number.
std::string pwbCellText(const char* pszFormat, double nValue);
std::string pwbWeightText(double nKg);
std::string pwbArmText(double nMm);
std::string pwbMomentText(double nKgMm);

// The objects the page needs from Zarv.ui, in the order the window checks
// them: the drawing area, the inputs, their labels and the 30 result cells.
// (The page also takes the objects of fuel planning where there are any.)
std::span<const _mscBinding> pwbBindings(void);

// The page's walk with Up, Down and Return, ended by a row without a widget.
std::span<const _wgtLUT> pwbWalk(void);

// Binds the page (its widgets, handlers and navigation) and hides the
// indicators.
void pwbInit(GtkBuilder* pBuilder);

// Shows the whole page from the loading state and the setup record: the
// entries, the ballast choice, the indicators and the unit labels, then
// pwbRefresh. Stores nothing.
void pwbUpdateDisplays(void);

// Shows which aircraft is loaded: its registration on the page and in the
// window's title; with none, the page says nothing and the title is the
// window's own.
void pwbUpdateAircraft(void);

// The page's one refresh after any change: the calculation, the result
// table from it, and a redraw of the chart.
void pwbRefresh(void);

void pwbCleanUp(void);

// ---- The verdict in words (pagWBVerdict.cpp) --------------------------------

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

// The flight's one verdict: "WITHIN LIMITS for take-off, landing and with no
// fuel" (without a trip, "for take-off and with no fuel"), or "NOT WITHIN
// LIMITS: " with every limit broken at every point, each once with its
// point ("landing forward of the limit by 1.60 mm"; the seats and the tank,
// the loading's own, once without one); led by "Basic weight and arms not
// confirmed for this aircraft" while they are not.
std::string pwbFlightVerdictText(const _wbFlight& f, const _wbSetup& units);
