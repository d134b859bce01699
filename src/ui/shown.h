// A value in the pilot's unit: the one way Zarv turns a weight, an arm or
// a fuel amount held in kilograms, millimetres or litres into the figure
// and the text the pilot reads.
#pragma once

#include "model/units.h"
#include "store/stored.h"

#include <string>
#include <utility>

// The decimals the entries show an amount to: 2 for an arm, 1 otherwise.
int shwDecimals(_unitKind nAmount);

// A figure to nDecimals in the process locale; from SHW_WIDEST on in
// exponent form ("1.000e+308"), and "no number" for an infinity or none.
constexpr double SHW_WIDEST = 1e9;
std::string shwFixed(double n, int nDecimals);

// The amount in the pilot's unit with its symbol, to nDecimals (the
// entries' decimals where negative): "181.6 lb".
std::string shwText(_unitKind nAmount, double nInternal, const _wbSetup& u, int nDecimals = -1);

// A figure's change as its entry shows the values, in the pilot's unit
// with its label: old and new to the entry's decimals, or to as many more
// as show the change where those would read alike ("22.00 lbs", "22.04
// lbs", never "22.0 lbs" twice).
std::pair<std::string, std::string> shwFigureChange(const _prmValue& v, double nOld, double nNew);

// What both pages say while the aircraft's figures differ from those Zarv
// last recorded (changed outside Zarv); "" otherwise.
std::string shwFiguresChanged(void);
