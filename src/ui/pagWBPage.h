// The loading page: seat weights, fuel and ballast position in; the result
// table, the limit indicators and fuel planning out. Bound from Zarv.ui.
#pragma once

#include "ui/misc.h"

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
