// Zarv's state while it runs, in one place: the setup record, what the
// pilot entered on the loading page, and the last flight calculated from
// them. Read from Zarv.conf by the table of stored values (store/stored),
// changed by the pages' commits, and handed to the pure functions of the
// model by const reference.
#pragma once

#include "model/calc.h"

#include <glib.h>

// The one setup record; written only by psetParams and the setup page.
extern _wbSetup m_wbSetup;

// The loading page's state: the seats in kg, the fuel in litres, a
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
};
extern _wbLoadState m_wbLoad;

// The loading of the moment, as the calculation takes it.
_wbLoading stateLoading(void);

// The last flight calculated, written only by pwbCalcWB (store/stored) and
// the resets.
extern _wbFlight m_wbFlight;

// Sets the six fixed seat and fuel arms of the setup record (psetParams
// does it in its place).
void stateSetFixedArms(void);

// For the tests, a fresh start: the setup record cleared; the loading
// state and the results cleared.
void stateResetSetup(void);
void stateResetLoading(void);
