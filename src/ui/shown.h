// A value in the pilot's unit: the one way Zarv turns a weight, an arm or
// a fuel amount held in kilograms, millimetres or litres into the figure
// and the text the pilot reads.
#pragma once

#include "model/units.h"

#include <string>

// The decimals the entries show an amount to: 2 for an arm, 1 otherwise.
int shwDecimals(_unitKind nAmount);

// A figure to nDecimals in the process locale; from SHW_WIDEST on in
// exponent form ("1.000e+308"), and "no number" for an infinity or none.
constexpr double SHW_WIDEST = 1e9;
std::string shwFixed(double n, int nDecimals);

// The amount in the pilot's unit with its symbol, to nDecimals (the
// entries' decimals where negative): "181.6 lb".
std::string shwText(_unitKind nAmount, double nInternal, const _wbSetup& u, int nDecimals = -1);

// What both pages say while the aircraft's figures differ from those Zarv
// last recorded (changed outside Zarv); "" otherwise.
std::string shwFiguresChanged(void);
