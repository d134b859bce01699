// The aircraft's removable items as Zarv.conf keeps them: a group per item,
// its keys the rows of ITM_VALUES below, the table of stored values' rows
// for an item (the table's reader reads the items through this module, so
// their rows stand here). A file without such groups is an aircraft
// without items.
#pragma once

#include "model/units.h"

#include <glib.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

// The values each removable item keeps in a group of its own: "Equipment
// 1", "Equipment 2", … for the current aircraft, "Aircraft 2 Equipment 1",
// … for another of the fleet (an item's name is a value, never a group's).
// Its figures as weighed come first, in the order the fingerprint reads
// them, then whether the flight takes it fitted (as weighed where missing).
// A number is held in kg or mm and typed and shown in the pilot's unit, in
// its format; a new number of an item is its row here and its field.
struct _itmValue {
    const char* pszKey;
    bool bFigure;
    _unitKind nUnit = KIND_NONE;
    double _wbItem::*pnField = nullptr;
    const char* pszFormat = nullptr;
    // Its column's caption in the list of items, and what it is in a
    // sentence ("An item's weight of …").
    const char* pszCaption = nullptr;
    const char* pszWhat = nullptr;
};
constexpr const char* ITM_GROUP = "Equipment ";
enum _itmValueId { ITM_NAME, ITM_WEIGHT, ITM_LONG_ARM, ITM_LAT_ARM, ITM_WEIGHED, ITM_FITTED };
constexpr std::array<_itmValue, 6> ITM_VALUES = {{
    {"Name", true},
    {"Weight", true, KIND_WEIGHT, &_wbItem::nWeight, "%1.1f", "Weight", "weight"},
    {"LongArm", true, KIND_ARM, &_wbItem::nLongArm, "%1.2f", "Longitudinal arm", "longitudinal arm"},
    {"LatArm", true, KIND_ARM, &_wbItem::nLatArm, "%1.2f", "Lateral arm", "lateral arm"},
    {"Weighed", true},
    {"Fitted", false},
}};

// The rows of ITM_VALUES that pass, in the table's order.
template <size_t N, typename Pred> constexpr auto itmRows(Pred pred)
{
    std::array<_itmValue, N> rows{};
    size_t n = 0;
    for (const _itmValue& v : ITM_VALUES)
        if (pred(v) && n < N)
            rows[n++] = v;
    return rows;
}
template <typename Pred> constexpr size_t itmCount(Pred pred)
{
    size_t n = 0;
    for (const _itmValue& v : ITM_VALUES)
        n += pred(v) ? 1 : 0;
    return n;
}

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
constexpr auto ITM_FIGURE_KEYS = [] {
    constexpr auto figure = [](const _itmValue& v) { return v.bFigure; };
    std::array<const char*, itmCount(figure)> keys{};
    for (size_t n = 0; const _itmValue& v : itmRows<keys.size()>(figure))
        keys[n++] = v.pszKey;
    return keys;
}();

// Whether a figure's name ("Group/Key") is one of the current aircraft's
// items'.
bool itmIsFigure(const std::string& strName);

// The figure lines of items as the fingerprint reads them, after the
// table's: "Equipment 1/Name=Left door" and so on, numbers to three
// decimals as the table's are. None for an aircraft without items.
std::string itmFigureText(const std::vector<_wbItem>& items);

// One figure of an item as the fingerprint and the record of the figures
// write it: a number in the internal unit (in pszFormat, else as short as
// it reads back), a flag as 1 or 0.
std::string itmFigureValue(const _itmValue& v, const _wbItem& item, const char* pszFormat = nullptr);

// An item in one line for its history: "Left door, 5.4 kg at 2100/-300 mm,
// fitted when weighed", numbers in the internal units as Zarv.conf holds
// them.
std::string itmItemText(const _wbItem& item);
// An item read back from that line; none where it is no such line.
std::optional<_wbItem> itmItemRead(const std::string& strText);
