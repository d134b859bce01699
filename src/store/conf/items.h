// The aircraft's removable items as Zarv.conf keeps them: a group per item,
// "Equipment 1", "Equipment 2", … for the current aircraft and "Aircraft 2
// Equipment 1", … for another of the fleet (names are values, never group
// names). Each group holds the item's "Name", "Weight" in kg, "LongArm" and
// "LatArm" in mm and "Weighed" (fitted when the aircraft was weighed): the
// aircraft's figures; and "Fitted", whether it is fitted for the flight (as
// weighed where missing). A file without such groups is an aircraft
// without items.
#pragma once

#include "model/units.h"

#include <glib.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

// The most items an aircraft keeps; groups past it are not read.
constexpr size_t ITM_MAX_ITEMS = 32;

// The group of item n (from 0) of the aircraft kept in strAircraft ("" for
// the current one).
std::string itmGroup(const std::string& strAircraft, size_t n);

// The items of an aircraft, in order, up to the first number without a
// group. A number that cannot be read is none (NaN), and so never judged
// within; a name keeps no control character.
std::vector<_wbItem> itmRead(GKeyFile* pkf, const std::string& strAircraft = "");
// The item groups of an aircraft Zarv does not read, named ("[Equipment
// 01]"), and how many past the most it reads; "" where it reads them all.
std::string itmNotRead(GKeyFile* pkf, const std::string& strAircraft = "");
// Which of them are fitted for the flight.
std::vector<bool> itmReadFitted(GKeyFile* pkf, const std::string& strAircraft = "");

// Replaces an aircraft's item groups with items, fitted as fitted says (as
// weighed past its end): in memory, for one rewrite.
void itmWrite(GKeyFile* pkf, const std::vector<_wbItem>& items, const std::vector<bool>& fitted,
              const std::string& strAircraft = "");

// Sets only the "Fitted" key of each of the current aircraft's item
// groups, in the items' order: in memory, for one rewrite.
void itmSetFitted(GKeyFile* pkf, const std::vector<bool>& fitted);

// Exchanges the items of the current aircraft with those of the one kept
// in strAircraft; and removes an aircraft's items.
void itmSwap(GKeyFile* pkf, const std::string& strAircraft);
// Copies the items of one aircraft over those of another.
void itmCopy(GKeyFile* pkf, const std::string& strFrom, const std::string& strTo);
void itmRemove(GKeyFile* pkf, const std::string& strAircraft);

// Reads the current aircraft's items and the flight's fitted ones into the
// value Zarv holds.
void itmLoad(void);

// The flight takes item n fitted or removed: kept in the value held and
// stored, one rewrite. An item the aircraft does not have is ignored.
void itmStoreFitted(size_t n, bool bFitted);

// The keys of an item's figures, in the order the fingerprint reads them.
constexpr std::array<const char*, 5> ITM_FIGURE_KEYS = {"Name", "Weight", "LongArm", "LatArm", "Weighed"};

// Whether a figure's name ("Group/Key") is one of the current aircraft's
// items'.
bool itmIsFigure(const std::string& strName);

// The figure lines of items as the fingerprint reads them, after the
// table's: "Equipment 1/Name=Left door" and so on, numbers to three
// decimals as the table's are. None for an aircraft without items.
std::string itmFigureText(const std::vector<_wbItem>& items);

// An item in one line for its history: "Left door, 5.4 kg at 2100/-300 mm,
// fitted when weighed", numbers in the internal units as Zarv.conf holds
// them.
std::string itmItemText(const _wbItem& item);
// An item read back from that line; none where it is no such line.
std::optional<_wbItem> itmItemRead(const std::string& strText);
