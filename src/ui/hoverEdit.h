// The setup page's "Hover charts…" button, where Zarv.ui has it, and the
// dialog it opens: a table per chart, in ground effect and out of it, a row
// a point (temperature, weight, pressure altitude) in the pilot's units,
// imported from a CSV file or exported to one, each chart drawn over its
// axes beside its table as it is typed, and saved whole as an amendment of
// the aircraft's figures.
#pragma once

#include "model/units.h"

#include <cairo.h>
#include <gtk/gtk.h>

// Binds the button (null where Zarv.ui lacks it) and connects it.
void hedBind(GtkBuilder* pBuilder);

// Makes the button say whether the charts can be changed here: not where
// the school published the aircraft to this machine.
void hedShow(void);

// The space around the drawing's plot, for the axes' ticks and words.
constexpr double HED_LEFT = 62, HED_RIGHT = 14, HED_TOP = 14, HED_BOTTOM = 44;

// Draws a chart on cr over nWidth × nHeight: pressure altitude up, gross
// weight across in the pilot's unit of weight, each axis from a round
// number below the lowest point to one above the highest, ticked at round
// steps, each line in a colour of its own and labelled with its °C at its
// lightest point. A chart with no point gets its words instead.
void hedDraw(cairo_t* cr, int nWidth, int nHeight, const _hovChart& chart, const _wbSetup& units);
