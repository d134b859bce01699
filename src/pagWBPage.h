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

// A judged point in words, in the pilot's units (the record's): every limit
// broken with how far ("OUT OF LIMITS: over the maximum weight by 8.0 lbs;
// left seat over its 210.0 lbs limit by 5.0 lbs"), or within with the
// nearest limit ("WITHIN LIMITS; nearest: 9.0 lbs below the maximum
// weight"); "NO LOADING ENTERED" for an aircraft without a weight. A breach
// is rounded up and a margin down, so neither reads better than it is.
std::string pwbVerdictText(const _wbJudgement& j, const _wbSetup& units);
