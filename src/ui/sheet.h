// The load sheet's layout: one A4 or Letter page that an operator files for
// each flight, drawn with Pango and cairo on any context from the flight,
// the people and the time it was printed; and the line of the record of
// sheets it prints the hash of. It reads the state the pages show and draws
// the chart with the chart's own renderer; it changes nothing.
#pragma once

#include "model/calc.h"
#include "store/conf/stored.h"
#include "store/record/record.h"

#include <cairo.h>

#include <ctime>
#include <string>
#include <vector>

// An acceptance the sheet prints in place of the signature line: who, in
// what capacity ("commander", "instructor"), when, and the digest of their
// key as the school checks it (in fours).
struct _shtAccepted {
    std::string strName, strCapacity;
    time_t tAccepted = 0;
    std::string strKeyDigest;
};

// What the sheet carries besides the aircraft and its loading: the people
// and the flight. An empty preparer is the pilot in command.
struct _shtPeople {
    std::string strPilot;
    std::string strReference; // the flight's
    std::string strPreparer;
    std::string strLeftOccupant, strRightOccupant;
    // The seat the commander sits in: "left", "right", or "" for none named.
    std::string strCommander;
    // The acceptances signed for this sheet: none prints the line the
    // commander signs by hand.
    std::vector<_shtAccepted> accepted;
};

// "Accepted by ⁨Anna⁩, commander, 2026-12-09 14:35 UTC, key 3F2A …", or
// "Authorised by ⁨Tom⁩, instructor, …": the name isolated, so that no
// text in it turns the line around.
std::string shtAcceptedText(const _shtAccepted& a);

// Draws the sheet of a judged flight on pCr, a page nWidth × nHeight points
// large, for the current aircraft, printed at tPrinted. Whatever the pilot
// typed, every text stays inside the margins and the sheet is one page.
void shtDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _shtPeople& people, const _wbFlight& flight,
                      time_t tPrinted);

// The same sheet as a PDF of its own, the copy that is filed: its bytes, or
// empty where cairo could not make it.
std::string shtPdf(double nWidth, double nHeight, const _shtPeople& people, const _wbFlight& flight, time_t tPrinted);

// The record's entry of a sheet of the flight printed at tPrinted: the
// density and interval as used, and as held where they differ; the
// commander and the flight as the sheet shows them.
_recEntry shtRecordEntry(const _wbFlight& flight, const _shtPeople& people, time_t tPrinted);

// Whether the flight may be accepted: within limits on every leg, with the
// fuel the rule asks where it is set (the sheet's own judgement).
bool shtWithin(const _wbFlight& flight);
// The hash of the flight a sheet records, whoever is named and whenever
// printed: a change of the loading, the figures or the legs changes it.
std::string shtInputsHash(const _wbFlight& flight);

// When a sheet was drawn, with its zone: "2026-12-08 05:04 UTC" where the
// clock is at UTC, else "2026-12-08 06:04 +01:00".
std::string shtPrintedText(time_t tPrinted);

// Text as the sheet sets it: no line breaks between a figure and its unit
// ("31.50 in", "10.5 US gal"), the spaces there made no-break ones.
std::string shtBindUnits(const std::string& strText);
