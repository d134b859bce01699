// Every value Zarv keeps in Zarv.conf, declared once: its group and key,
// the field it loads into, the unit it is typed and shown in, and whether
// it belongs to an aircraft (and so moves with a switch of the fleet).
// Reading at start, the commits of both pages, the fleet's swap and the
// tests walk this table; no other file names a group but the items', whose
// rows are in store/conf/items.h. It sits above the setup record and the
// loading calculation, whose fields it points at.
#pragma once

#include "model/calc.h"
#include "model/units.h"
#include "store/conf/state.h"

#include <glib.h>

#include <functional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// The stored values that code names. A new value is its row in
// store/conf/stored.cpp, its field, its entry in Zarv.ui and its line in the user
// guide: the store, the pages, the fleet, the record and the tests walk the
// rows. It needs an id here only where code asks for it by name; a row
// without one is numbered by its place, after these.
enum _prmValueId : int {
    VAL_LSEAT,
    VAL_RSEAT,
    VAL_FUEL,
    VAL_BALLAST_POSN,
    VAL_SHOW_BURN_OFF,
    VAL_UNIT_FUEL,
    VAL_UNIT_ARM,
    VAL_UNIT_WEIGHT,
    VAL_REGISTRATION,
    VAL_WEIGHED,
    VAL_BASIC_WEIGHT,
    VAL_BASIC_LONG_ARM,
    VAL_BASIC_LAT_ARM,
    VAL_BALLAST_WEIGHT,
    VAL_BALLAST_FRONT_LONG_ARM,
    VAL_BALLAST_FRONT_LAT_ARM,
    VAL_BALLAST_REAR_LONG_ARM,
    VAL_TRIP,
    VAL_FUEL_DENSITY,
    VAL_UNCONFIRMED,
    VAL_COPIED_FROM,
    VAL_WEIGHING_MONTHS,
    VAL_HISTORY,
    VAL_FINGERPRINT,
    VAL_RECORDED,
    VAL_UNREAD_LOADING,
    VAL_UNREAD_FIGURES,
    VAL_PILOT,
    VAL_PREPARER,
    VAL_LSEAT_PERSON,
    VAL_RSEAT_PERSON,
    VAL_COMMANDER,
    VAL_PUBLISHED,
    VAL_UNREPORTED,
    VAL_FUEL_FLOW,
    VAL_RESERVE_MINUTES,
    VAL_CONTINGENCY,
    VAL_TAXI_FUEL,
    VAL_MARGIN_FORWARD,
    VAL_MARGIN_AFT,
    VAL_MARGIN_LATERAL,
    VAL_MARGIN_WEIGHT,
    VAL_TRIP_MINUTES,
    VAL_RULE_FROM,
    VAL_FROM_ELEVATION,
    VAL_FROM_QNH,
    VAL_FROM_OAT,
    VAL_TO_ELEVATION,
    VAL_TO_QNH,
    VAL_TO_OAT,
    VAL_HOVER_OGE,
    VAL_NAMED
};

// Whose value it is: the loading's (read by pwbParams) or the setup's (read
// by psetParams).
enum _prmOwner { PRM_OF_LOADING, PRM_OF_SETUP };

// Which field of the aircraft's setup record or of a loading holds a value
// while Zarv runs: a number, a choice, a flag; or none, for a text read
// from the store where it is shown.
using _prmField =
    std::variant<std::monostate, gdouble _wbSetup::*, guint _wbSetup::*, _unitWt _wbSetup::*, _unitLen _wbSetup::*,
                 _unitFuel _wbSetup::*, gdouble _wbLoadState::*, guint _wbLoadState::*, gboolean _wbLoadState::*>;

struct _prmValue {
    // Its id where code names it; a row left without is numbered by its
    // place in the table.
    _prmValueId nId = static_cast<_prmValueId>(-1);
    // Whose value it is, and so the page its entry is on.
    _prmOwner nOwner;
    const char* pszGroup;
    const char* pszKey;
    // Its key in the group of another aircraft of the fleet; null for a
    // value that is not the aircraft's (the loading, the units).
    const char* pszAircraftKey = nullptr;
    // One of the aircraft's figures as weighed and recorded: changing it
    // amends the weighing record.
    bool bFigure = false;
    // The version of the fingerprint that first covered it (0: none): a
    // value that decides what the pilot is shown is covered from the
    // version it came in, and an older fingerprint is checked by its own.
    int nFingerprint = 0;
    // The kind of amount it is typed and shown in, in the pilot's unit;
    // Zarv.conf always holds the internal one (kg, mm, litres).
    _unitKind nUnit = KIND_NONE;
    _prmField field = {};
    // What the value is, in a sentence ("left seat weight"), for a number
    // that can be doubted.
    const char* pszWhat = nullptr;
    // An aircraft's value a new aircraft of the fleet starts without (its
    // identity) rather than with a copy of the current one's.
    bool bStartsEmpty = false;
    // Its entry in Zarv.ui and the label of its unit beside it (null where
    // it has none: a choice, a flag), the format it is shown in, and its
    // place in its page's walk with Up, Down and Return (the page's choices
    // have theirs; fields added later come last, in the order they came).
    const char* pszEntry = nullptr;
    const char* pszUnits = nullptr;
    const char* pszFormat = nullptr;
    int nWalk = 0;
    // Its name among a record line's inputs (null: the line keeps it
    // nowhere or under a name of its own), and whether lines written before
    // it was recorded lack it: those read it as 0, what it was then.
    const char* pszRecordName = nullptr;
    bool bRecordedLater = false;
    // Its key in a file of reference cases, in the case's units (null: no
    // case sets it); a later leg's are the fields of the leg's own list,
    // but its landing's conditions, which are the key after the leg's
    // ("Leg2LandingOAT").
    const char* pszCaseKey = nullptr;
    // What a number reads as where Zarv.conf has no key for it (the final
    // reserve the rules ask for unless the operator sets one); no number
    // (NaN) for a value that may be not given (a site's conditions), whose
    // key is then left out, and whose entry is then empty.
    double nMissing = 0;
    // Part of the operator's rule: a school publishes it with each of its
    // aircraft, and a pilot's machine flies by the school's.
    bool bRule = false;
};

// The whole table, in the order of the ids, the unnamed rows last.
std::span<const _prmValue> valValues(void);
const _prmValue& valValue(_prmValueId nId);
// A value as the lists of Zarv.conf name it: "Group/Key", its group the
// first leg's for a loading's value of every leg.
std::string valPath(const _prmValue& v);

// Whether a value is a number (not a choice, a flag or a text), and
// whether it is a text.
bool valIsNumber(const _prmValue& v);
// Whether a value that may be not given (a site's condition) holds none.
bool valNotGiven(const _prmValue& v, double n);
bool valIsText(const _prmValue& v);
// What a value's field holds in an aircraft and a loading (a choice or a
// flag as its number; 0 for a text), and that field set.
double valFieldValue(const _prmValue& v, const _wbSetup& s, const _wbLoadState& l);
void valSetField(const _prmValue& v, _wbSetup& s, _wbLoadState& l, double nValue);
// What it holds in the flight Zarv holds now.
double valHeld(_prmValueId nId);

// A value in the internal unit as its entry shows it, in the pilot's unit;
// no density set shows as the density in use.
double valShown(const _prmValue& v, double nInternal);

// Read every value of the setup record (and its fixed arms) from the store
// into their fields; the loading's are read by pwbParams (store/flight/legs).
void psetParams(void);

// Reads every value of an owner from the store into its field: a missing
// value reads as 0, and so does one that is no finite number, which is
// kept as unread text.
void valLoadValues(_prmOwner nOwner, size_t nLeg = 0);

// The group of Zarv.conf that keeps leg n's loading ("Load" for the
// first, "Leg 2" and up for the others), and the group of a value for leg
// n: a loading's value of the first leg's group is in the leg's group; the
// aircraft's values and the chart's are the same for every leg.
std::string valLegGroup(size_t nLeg);
std::string valGroupOf(const _prmValue& v, size_t nLeg);
// Whether a value is one leg n keeps in its own group: a loading's value
// of the first leg's group.
bool valIsLegs(const _prmValue& v);
// Whether a group's name could mean a leg after the first, however it is
// spelled ("Leg 2", "leg 02", "LEG7").
bool valLooksLikeLegGroup(const char* pszGroup);
// A later leg's take-off fuel as landed from the leg before (no fuel
// taken on at the stop), and its items fitted ("true;false;…"): kept by
// the legs themselves, beside the rows.
extern const char* const VAL_KEY_FUEL_AS_LANDED;
extern const char* const VAL_KEY_LEG_FITTED;

// The text of a value that was not read as a number, as typed or as
// Zarv.conf held it; "" for one read cleanly. Read with the value by
// valLoadValues: Zarv.conf keeps what was typed in its owner's "Unread"
// list ("Group/Key=text" each), since the value's own key cannot say it.
const std::string& valUnread(_prmValueId nId);
// The same for leg n of the flight (valUnread's is the leg shown).
const std::string& valUnreadOfLeg(_prmValueId nId, size_t nLeg);
// Keeps a value's unread text ("" to clear it), and stores its owner's list
// where that changes it.
void valSetUnread(_prmValueId nId, const std::string& strText);
// Every unread text held, by "Group/Key" (the first leg's group for every
// leg), and back (for the record's line): leg 0's are the aircraft's and
// the first leg's loading's, a later leg's only its own loading's.
std::vector<std::pair<std::string, std::string>> valUnreadTexts(size_t nLeg = 0);
void valTakeUnreadTexts(const std::vector<std::pair<std::string, std::string>>& texts, size_t nLeg = 0);

// Every value of an aircraft and a loading that cannot be judged: unread
// (as held now), or no amount of its kind (model/units' bounds); each
// logged once a run where bLog (the pages showing them).
// The unread texts are leg nLeg's, the one shown unless named.
std::vector<_wbDoubt> valDoubts(const _wbSetup& s, const _wbLoadState& l, bool bLog = false,
                                size_t nLeg = stateShownLeg());

// What the window says of a text value of Zarv.conf that is not valid
// text; "" for one that is.
std::string valNotText(_prmValueId nId);

// Every result of an aircraft and a loading: the flight, judged, with the
// doubts of the values it came from. It keeps and shows nothing.
_wbFlight pwbCalcWB(const _wbSetup& s, const _wbLoadState& l, size_t nLeg = stateShownLeg());

// A text value ("" when missing) and its setter, which rewrites the file.
std::string valGetText(_prmValueId nId);
void valSetText(_prmValueId nId, const char* pszText);

// Keeps a number or a choice in its field and stores it: one rewrite. A
// leg's trip fuel and trip time, with the aircraft's fuel flow, give each
// other: either typed stores the other beside it, in the same rewrite.
void valStoreValue(_prmValueId nId, double nValue);

// The version of the fingerprint Zarv records of figures that set nothing
// a later version came for: the rows it covers (those of the second from
// the third on) and how much of the hash it keeps.
constexpr int PRM_FINGERPRINT_VERSION = 3;
// The fourth covers the aircraft's fuel flow as well, the fifth its hover
// charts. Figures are fingerprinted by the oldest version from the third on
// that covers every figure they set, so an aircraft without a fuel flow or
// charts keeps the fingerprint it always had, and one with them cannot drop
// them unseen.
constexpr int PRM_FINGERPRINT_HOVER = 5;
constexpr int PRM_FINGERPRINT_NEWEST = 5;
int valFingerprintNeeded(const _wbSetup& s = m_wbSetup);
// The first version that keeps the whole SHA-256: eight hex digits before
// it, which anyone can match with other figures in minutes.
constexpr int PRM_FINGERPRINT_WHOLE = 3;

// The figures as the fingerprint of a version reads them: one
// "Group/Key=value" line per value it covers, in the order of the table;
// numbers in the internal unit, as Zarv.conf holds them, to three decimals.
// The numbers come from the setup record s, the texts (registration,
// weighing date, where copied from) from text: Zarv.conf's unless given. A
// version of 0 is the one s needs (valFingerprintNeeded).
using _prmTextOf = std::function<std::string(_prmValueId)>;
std::string valFigureText(const _prmTextOf& text = valGetText, int nVersion = 0, const _wbSetup& s = m_wbSetup);
// The fingerprint of an aircraft's figures (the current one's unless
// given): the SHA-256 of valFigureText, the same on every machine, whole
// and after "v3:" from the third version; the first two kept eight hex
// digits of it, the second after "v2:", the first with no mark.
std::string valFingerprint(const _prmTextOf& text = valGetText, int nVersion = 0, const _wbSetup& s = m_wbSetup);
// The fingerprint of a version of figures already read as valFigureText
// reads them (a record of the figures).
std::string valFingerprintOfText(const std::string& strFigureText, int nVersion);
// The version a fingerprint names; 0 where it names none this Zarv knows.
int valFingerprintVersion(const std::string& strFingerprint);
// The fingerprint of hover charts alone, their revision on the sheet and in
// the record: the first 16 hex digits of the SHA-256 of their CSV
// (hovCsvText), "" for an aircraft without charts.
std::string valHoverFingerprint(const _hovCharts& charts);

// The group of Zarv.conf that keeps the aircraft numbered n (2 and up) of
// the fleet, and the number of a group that keeps one (else 0).
std::string valAircraftGroup(int n);
int valAircraftNumber(const char* pszGroup);
