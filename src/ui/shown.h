// A value in the pilot's unit: the one way Zarv turns a weight, an arm or
// a fuel amount held in kilograms, millimetres or litres into the figure
// and the text the pilot reads.
#pragma once

#include "model/limits.h"
#include "pagSetup.h"

#include <gtk/gtk.h>

#include <string>

// The amount in the pilot's unit, unrounded.
double shwValue(_limAmount nAmount, double nInternal, const _wbSetup& u);

// The symbol of the pilot's unit for an amount ("lb", "in", "US gal").
const char* shwSymbol(_limAmount nAmount, const _wbSetup& u);

// The decimals the entries show an amount to: 2 for an arm, 1 otherwise.
int shwDecimals(_limAmount nAmount);

// A figure to nDecimals in the process locale, uncut.
std::string shwFixed(double n, int nDecimals);

// The amount in the pilot's unit with its symbol, to nDecimals (the
// entries' decimals where negative): "181.6 lb".
std::string shwText(_limAmount nAmount, double nInternal, const _wbSetup& u, int nDecimals = -1);
