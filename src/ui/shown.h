// A value's change as the setup page tells it, and what both pages say of
// figures changed outside Zarv; the figures themselves are written as
// model/texts writes them.
#pragma once

#include "store/conf/stored.h"

#include <string>
#include <utility>

// A figure's change as its entry shows the values, in the pilot's unit
// with its label: old and new to the entry's decimals, or to as many more
// as show the change where those would read alike ("22.00 lbs", "22.04
// lbs", never "22.0 lbs" twice).
std::pair<std::string, std::string> shwFigureChange(const _prmValue& v, double nOld, double nNew);

// What both pages say while the aircraft's figures differ from those Zarv
// last recorded (changed outside Zarv); "" otherwise.
std::string shwFiguresChanged(void);
