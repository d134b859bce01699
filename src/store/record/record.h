// store/record/, the top room of the store: the record of load sheets.
// Its lines and their chain, filing a sheet with its line, the office's list
// of the machines whose records it trusts, and the audit that checks every
// line against a fresh calculation ("zarv --verify-record"). It stands on
// every room below: a shared folder files by machine and school, and the
// audit loads each line's flight through conf/ and flight/.
//
// The record of load sheets: "Load sheets/Record.jsonl", one line of JSON
// per sheet printed or saved, with everything it was computed from (in the
// internal units, as Zarv.conf holds them) and everything it said. Lines are
// only ever appended, each in one write, so a full disk or a crash leaves at
// most a last line cut short, which a reader reports and skips. Each line
// ends in a chain: the hash of its content (printed on its sheet), the name
// of its filed copy, and a hash of those with the chain of the line before,
// so that a line changed, removed or moved breaks the chain.
#pragma once

#include "model/calc.h"
#include "model/words.h"
#include "store/conf/state.h"
#include "store/flight/legs.h"

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The record's name in the folder of the filed sheets.
constexpr const char* REC_FILE_NAME = "Record.jsonl";

// A point of a flight as the record keeps it.
struct _recPoint {
    double nWeight = 0, nLongArm = 0, nLatArm = 0;
    std::array<bool, LIMIT_COUNT> bBeyond = {};
    // A limit that came after the line was written is not in it.
    std::array<bool, LIMIT_COUNT> bUnrecorded = {};
};

// What a sheet said: its points (the landing only with a trip), whether the
// flight may be flown as loaded, and its verdict in words.
struct _recOutputs {
    std::array<_recPoint, POINT_COUNT> points;
    bool bLanding = false;
    bool bWithin = false;
    std::string strVerdict;
    int nVerdictForm = WRD_VERDICT_FORM; // the form of its words (0: before forms were kept)
    // What the leg needed by the fuel rule, where the aircraft had a fuel
    // flow (a line without one keeps none).
    _wbFuelNeed need = {};
    // The leg's take-off and landing judged for hover, where shown (a line
    // without keeps none).
    _hovLeg hover = {};
};

// A leg of a flight after the first as the record keeps it: its loading
// (its fuel as it took off, and whether that was what the leg before landed
// with), who sat where and which seat commanded, the texts of its own values
// not read (by the first leg's "Group/Key"), and its points; the flight's
// within and verdict are the line's.
struct _recLeg {
    _wbLoadState load = {};
    std::string strLeftSeat, strRightSeat, strCommander;
    std::vector<std::pair<std::string, std::string>> unread;
    _recOutputs outputs;
};

// One line of the record.
struct _recEntry {
    std::string strTime; // ISO 8601 with the zone's offset
    std::string strVersion, strFingerprint, strRegistration, strWeighed;
    std::string strCopiedFrom; // the aircraft its basic figures were copied from, if any
    // The hover charts' revision the sheet printed, where the aircraft had
    // charts and a site its conditions ("" otherwise).
    std::string strHoverRevision;
    _wbSetup setup = {}; // the aircraft and the units, as used; the fixed arms are not kept
    // The pilot in command and the flight's reference, where the sheet
    // names them (a line an older Zarv wrote names neither).
    std::string strPilot, strFlight;
    // Who sat in each seat and which seat commanded ("left", "right"),
    // where the sheet names them.
    std::string strLeftSeat, strRightSeat, strCommander;
    // The fuel density and weighing interval Zarv.conf held where they are
    // not those used (none set, or one that cannot be): the fingerprint
    // covers what was held.
    std::optional<double> storedDensity, storedMonths;
    _wbLoadState load = {};
    // The texts typed that were not read as numbers, by "Group/Key"; and
    // whether the sheet's verdict judged the values themselves (a line an
    // older Zarv wrote did not, and is checked as it was judged).
    std::vector<std::pair<std::string, std::string>> unread;
    bool bValuesJudged = true;
    // The first leg's points; whether the flight may be flown and its
    // verdict, as the sheet states them for every leg.
    _recOutputs outputs;
    // The legs after the first, for a flight of several ("legs" in the line,
    // written only then), and what of the legs Zarv.conf held was not read,
    // a doubt of the first leg.
    std::vector<_recLeg> legs;
    std::string strLegsNotRead;
};

// The outputs of a judged flight, with its verdict in words.
_recOutputs recOutputsOf(const _wbFlight& flight, const std::string& strVerdict);
// The line's outputs of a flight of one leg or several: the first leg's
// points, need and hover, and the flight's verdict and whether it may be
// flown (legVerdict's).
_recOutputs recFlightOutputsOf(const std::vector<_wbFlight>& legs, const _legVerdict& verdict);

// "2026-12-08T23:10:05+01:00".
std::string recTimeText(time_t t);

// The content of an entry's line, ending in "\n"; every number written so
// that it reads back to the same double.
std::string recLine(const _recEntry& entry);

// The hash of a content line as recLine writes it: 64 hex digits of its
// SHA-256, the same on every machine; a sheet prints its first 16.
std::string recContentHash(const std::string& strLine);
constexpr size_t REC_HASH_PRINTED = 16;
// A filed sheet's PDF keywords: this, then its line's whole hash.
constexpr const char* REC_PDF_KEYWORD = "record ";

// Where a line of a folder that several machines share was written: the
// machine's id and the line's number among that machine's lines, from 1.
// A line of Record.jsonl has neither (nSequence 0).
struct _recPlace {
    std::string strMachine;
    long long nSequence = 0;
};

// An acceptance of a sheet by a person's own key, kept in its line: what
// was signed, as text, and minisign's signature of it. The text names the
// capacity ("commander", or "instructor" for a student's solo), the
// person, the UTC time, the hash of the line's content, the SHA-256 of the
// sheet as printed and the public key, one "name: value" a line, so that
// anyone can check it with minisign alone, without Zarv.
constexpr const char* REC_COMMANDER = "commander";
// A pilot's text on the sheet and in its line, at most: the name a line
// keeps of its pilot in command is the one accepted, on one line this long.
constexpr size_t REC_USER_CHARS = 80;
constexpr const char* REC_INSTRUCTOR = "instructor";
struct _recAcceptance {
    std::string strCapacity, strName, strTime, strRecord, strSheet, strKey;
    std::string strText, strSignature;
};
// The text an acceptance signs.
std::string recAcceptedText(const std::string& strCapacity, const std::string& strName, const std::string& strTime,
                            const std::string& strRecord, const std::string& strSheet, const std::string& strKey);
// An acceptance's fields from the text it signed; false where the text is
// not of that form (each line once, in its order, and nothing else).
bool recReadAcceptedText(const std::string& strText, _recAcceptance* pa);
// The trusted comment of an acceptance's signature, which minisign shows
// when it checks it: "Zarv: accepted by Anna, commander, …", "Zarv:
// authorised by Tom, instructor, …".
std::string recAcceptedTrusted(const _recAcceptance& a);
struct _recRead;
// Why an acceptance of a line as read does not stand by itself, or "": its
// signature does not verify with the key it names (a forged text, or
// another key's id borrowed), it signs another content than the line's
// (the line changed after it was accepted), or another sheet than the one
// the line filed.
std::string recAcceptanceWhy(const _recRead& r, const _recAcceptance& a);
// The acceptances as a line keeps them ("accepted", an object by
// capacity); "" for none.
std::string recAcceptedJson(const std::vector<_recAcceptance>& accepted);

// The SHA-256 of a filed sheet's bytes, 64 hex digits: a line written with
// its sheet filed holds it ("sheetSha256"), so a sheet whose body was
// changed while its keywords were kept no longer matches its line.
std::string recSheetSha256(std::string_view pdf);

// A content line closed by its chain: its hash, the filed copy's name
// strSheet and, where given, the SHA-256 of its bytes, its place and its
// acceptances (recAcceptedJson), and the chain from strBefore (what the line before it left, "" for a first),
// ending in "\n".
// With strSecret (a machine's secret key file's text) the line is signed:
// its chain, which covers everything before it, is signed by the machine
// that wrote it ("signature"), so no one without its key can write a line
// in its name.
std::string recChainedLine(const std::string& strContent, const std::string& strSheet, const std::string& strBefore,
                           const _recPlace& place = {}, const std::string& strSheetSha256 = "",
                           const std::string& strSecret = "", const std::string& strAccepted = "");
// What a line's signature signs, marked as a record's: everything that
// closes the line (its content's hash, its sheet and the sheet's SHA-256,
// its place, its acceptances and its chain), so that no part of it can be changed, even
// where the line before it is gone and its chain cannot be followed.
std::string recSignedText(const std::string& strHash, const std::string& strSheet, const std::string& strSheetSha256,
                          const _recPlace& place, const std::string& strChain, const std::string& strAccepted = "");

// Appends a content line to the record in the folder fdDir (created 0600,
// never through a link), closed by its chain with the filed copy's name
// strSheet (and the SHA-256 of its bytes and its acceptances, where given):
// one write, then
// fsync. A write cut short is taken back, so the next line starts on a line
// of its own. Returns "" or the reason it failed (logged as well).
std::string recAppend(int fdDir, const std::string& strLine, const std::string& strSheet,
                      const std::string& strSheetSha256 = "", const std::string& strAccepted = "");

// One line of the record as read: its number from 1, and either its entry
// or why it is none (a last line cut short is bTorn). A line an older Zarv
// wrote has no chain (bChained false).
struct _recRead {
    int nLine = 0;
    bool bTorn = false;
    std::string strError; // empty when entry holds the line
    _recEntry entry;
    bool bChained = false;
    bool bHashMatches = false; // the content is the one its hash was taken of
    std::string strHash, strSheet, strChain;
    std::string strSheetSha256; // the filed sheet's SHA-256, where the line holds it
    std::string strSignature;   // its machine's signature of its chain, where it is signed
    // Its acceptances, as read, and as their text is chained ("" for none).
    std::vector<_recAcceptance> accepted;
    std::string strAccepted;
    _recPlace place;            // where the line says it was written, if it says
    std::string strChainOf;     // what the next line's chain continues from
    std::string strContentHash; // the hash of its content, as computed
};

// What a line's signature signs (recSignedText), of a line as read.
std::string recSignedTextOf(const _recRead& r);

// The longest line a reader takes; a longer one is no record.
constexpr size_t REC_MAX_LINE = 1 << 20;

// A line of the record (without its "\n"), number nLine; bTorn for a last
// line with no end.
_recRead recReadLine(const std::string& strLine, int nLine, bool bTorn);

// Every line of a record's text.
std::vector<_recRead> recReadText(const std::string& strText);

// The chain a line continues from the one before, whose chain (or, for a
// line without one, whose own hash) is strBefore ("" for the first line);
// a line's place, its sheet's SHA-256 and its acceptances, where it has
// them, are chained with it.
std::string recChain(const std::string& strBefore, const std::string& strHash, const std::string& strSheet,
                     const _recPlace& place = {}, const std::string& strSheetSha256 = "",
                     const std::string& strAccepted = "");

// A figure as the record writes it, reading back to the same double.
std::string recNumberText(double n);

// Each difference of recomputed from recorded: "take-off weight: recorded X
// recomputed Y", with the figures as written in the record. For a leg after
// the first (nLeg from 1) its points alone, named by the leg ("leg 2
// take-off weight: …"): whether the flight is within and its verdict are
// the first's.
std::vector<std::string> recDifferences(const _recOutputs& recorded, const _recOutputs& recomputed, size_t nLeg = 0);
