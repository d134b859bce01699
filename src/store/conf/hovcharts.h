// The aircraft's hover charts as Zarv.conf keeps them: a group per chart,
// "[Hover IGE]" and "[Hover OGE]" for the current aircraft, "[Aircraft 2
// Hover IGE]" and so on for another of the fleet, a key per temperature line
// ("Line 1", "Line 2", …). A file without such groups is an aircraft
// without charts.
#pragma once

#include "model/hover.h"

#include <glib.h>

#include <array>
#include <string>

constexpr std::array<const char*, HOV_EFFECTS> HVC_GROUPS = {"Hover IGE", "Hover OGE"};
constexpr const char* HVC_LINE_KEY = "Line ";

// The group of a chart of the aircraft kept in strAircraft ("" for the
// current one), and the figure's name of its line n (from 0) as the
// fingerprint and the history write it: "Hover IGE/Line 1".
std::string hvcGroup(const std::string& strAircraft, _hovEffect nEffect);
std::string hvcLineName(_hovEffect nEffect, size_t n);
// Whether a figure's name ("Group/Key") is a line of the current aircraft's
// charts.
bool hvcIsFigure(const std::string& strName);

// Whether the charts hold any line at all.
bool hvcAny(const _hovCharts& charts);

// A temperature line as Zarv.conf holds it: "<°C>; <kg> <ft>; <kg> <ft>; …",
// each number as short as reads back to the same double, with a '.'
// whatever the locale; and read back: "" where it reads, else why ("the
// weight “7OO” is not a number").
std::string hvcLineText(const _hovLine& line);
std::string hvcLineRead(const std::string& strText, _hovLine* pLine);

// An aircraft's charts as Zarv.conf holds them. strWhy names every chart
// that cannot be read or used, and why ("[Hover IGE] Line 2: the weight
// “7OO” is not a number", "[Hover OGE]: …" as hovChartWhy says), "" where
// both can; bUnreadable where a text of them is none Zarv reads, which a
// rewrite would lose. A chart not read is none; one read that hovChartWhy
// refuses is held as read, so that it can be corrected.
struct _hvcRead {
    _hovCharts charts{};
    std::string strWhy{};
    bool bUnreadable = false;
};
_hvcRead hvcRead(GKeyFile* pkf, const std::string& strAircraft = "");

// Replaces an aircraft's chart groups with charts (a chart without lines has
// no group): in memory, for one rewrite.
void hvcWrite(GKeyFile* pkf, const _hovCharts& charts, const std::string& strAircraft = "");

// Moves charts as their groups stand, read or not: exchanges the current
// aircraft's with those of the one kept in strAircraft; copies one
// aircraft's over another's, from one key file into another or the same;
// removes an aircraft's.
void hvcSwap(GKeyFile* pkf, const std::string& strAircraft);
void hvcCopy(GKeyFile* pkfFrom, const std::string& strFrom, GKeyFile* pkfTo, const std::string& strTo);
void hvcRemove(GKeyFile* pkf, const std::string& strAircraft);

// The lines of the charts as the fingerprint of the figures reads them,
// after the items': "Hover IGE/Line 1=-10; 500 9000; …", the numbers as
// Zarv.conf holds them, so any change of a chart shows. None for an
// aircraft without charts.
std::string hvcFigureText(const _hovCharts& charts);
