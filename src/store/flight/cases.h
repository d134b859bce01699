// The reference loadings of the check of the calculation, read from a key
// file: one group per case, its aircraft and loading in the case's own
// units and the figures worked out by hand, and what came of running it.
#pragma once

#include "model/calc.h"
#include "model/hover.h"
#include "model/room.h"

#include <array>
#include <cmath>
#include <optional>

#include <string>
#include <vector>

// The figures a case expects at one point, in internal units (kg, mm), and
// whether the point is within every limit.
struct _casPoint {
    double nWeight, nLongArm, nLatArm;
    bool bWithin;
};

// What a case expects a leg to need by the fuel rule, in litres, and
// whether it has it; bExpected where the case says (FuelRequired).
struct _casNeed {
    bool bExpected;
    double nRequired;
    bool bEnough;
};

// What a case expects of the hover at one take-off or landing, where it
// gives the site's conditions and the aircraft has charts: the pressure and
// density altitude (ft), and for each chart the case has, the greatest
// weight (kg), no number where the figure is beyond the chart.
struct _casHover {
    bool bExpected = false;
    double nPressureAltitude = 0, nDensityAltitude = 0;
    std::array<bool, HOV_EFFECTS> bChart{};
    std::array<double, HOV_EFFECTS> weights{};
};

// A site none of whose conditions the case gives.
constexpr _hovSite CAS_NO_SITE = {NAN, NAN, NAN};

// A leg of a case after the first: its loading (the fuel, where it is as
// landed, what the leg before landed with), its items fitted, its trip and
// what it expects at take-off and, with a trip, at landing.
struct _casLeg {
    _wbLoading loading;
    bool bAsLanded;
    std::vector<bool> fitted;
    double nTrip;
    _casPoint takeOff;
    bool bLanding;
    _casPoint landing;
    _casNeed need;
    // Where it lands (it takes off where the leg before landed), and what
    // it expects of the hover at either.
    _hovSite landingSite = CAS_NO_SITE;
    _casHover takeOffHover{}, landingHover{};
};

// One case: the aircraft (units, basic weight and arms, ballast, density,
// removable items; the fixed seat and fuel arms are the calculation's
// own), the loading and
// trip in kg and litres, and what it expects at take-off and, with a trip,
// at landing.
struct _casCase {
    std::string strName;
    _wbSetup setup;
    _wbLoading loading;
    // Which of the aircraft's removable items are fitted for the flight.
    std::vector<bool> fitted;
    double nTrip;
    _casPoint takeOff;
    bool bLanding;
    _casPoint landing;
    // The legs after the first, of a case of several, and whether the
    // flight as a whole is within every limit.
    std::vector<_casLeg> legs;
    bool bFlightWithin;
    // Whether the case states the flight's verdict: one of several legs,
    // or of an aircraft with hover charts, whose verdict the hover decides.
    bool bFlightVerdict;
    // The first leg's need, where the case gives a fuel rule.
    _casNeed need;
    // The room the first leg leaves at each station, where the case works
    // it out (kg, or litres for the fuel).
    std::array<std::optional<double>, ROOM_STATIONS> stillFits;
    // The first leg's sites (its charts and the operator's rule are the
    // setup's), and what it expects of the hover at either.
    _hovSite takeOffSite = CAS_NO_SITE, landingSite = CAS_NO_SITE;
    _casHover takeOffHover{}, landingHover{};
};

// A file of cases and the tolerance it states (kg and mm; 0.05 each where
// it states none).
struct _casFile {
    std::string strPath;
    double nWeightTolerance = 0.05, nArmTolerance = 0.05;
    std::vector<_casCase> cases;
};

// Reads a file of cases. False with *pstrError naming the file and the
// line, group or key that cannot be read: a file with no case, an unknown
// key or a figure that is no number is refused whole.
bool casRead(const std::string& strPath, _casFile* pFile, std::string* pstrError);

// One figure compared: what it is ("take-off weight"), expected and
// computed in the case's units, and whether they agree; and where the
// report puts it: in the row of a point ("leg 2 take-off", "" for a line
// of its own), under its column's heading or after its own name
// ("density altitude").
struct _casFigure {
    std::string strQuantity;
    std::string strExpected, strComputed;
    bool bPass;
    std::string strRow{}, strColumn{};
};

// What came of one case: every figure compared, and whether the second
// run gave the first one's answers to the last bit.
struct _casOutcome {
    std::string strName;
    std::vector<_casFigure> figures;
    bool bRepeatable;
    bool pass() const
    {
        if (!bRepeatable)
            return false;
        for (const _casFigure& f : figures)
            if (!f.bPass)
                return false;
        return true;
    }
};
