// The aircraft's figures under change control: once an aircraft has a
// registration and a weighing date, a change of its weighing record's
// values is an amendment with a reason, kept in its history; the
// fingerprint of the figures Zarv last wrote is kept beside them, so that a
// change made outside Zarv shows.
#pragma once

#include "store/conf/stored.h"

#include <string>
#include <vector>

// One line of an aircraft's history: a figure amended ("Group/Key", its old
// and new value in the internal unit as Zarv.conf holds them) or, without a
// figure, the figures confirmed; when, with its zone; and why.
struct _prmAmendment {
    std::string strWhen;
    std::string strFigure;
    std::string strOld;
    std::string strNew;
    std::string strReason;
    bool operator==(const _prmAmendment&) const = default;
};

// The history line of Zarv.conf for an amendment, and back: the reason
// comes last and may hold anything. A line Zarv did not write reads as a
// reason alone.
std::string figHistoryLine(const _prmAmendment& a);
_prmAmendment figHistoryRead(const std::string& strLine);

// The current aircraft's history, oldest first.
std::vector<_prmAmendment> figHistory(void);

// Whether the current aircraft's figures are under change control: once
// the figures that name it (its registration and weighing date) are all
// set, and for good once it has a history or a recorded fingerprint, so
// that clearing its name does not take it out.
bool figUnderControl(void);

// Whether the current aircraft was published to this machine by the school
// (taken in from its folder): its figures, items and history are amended
// only where they are published, and every change of them here is refused,
// the pilot told why.
bool figPublishedHere(void);

// Whether committing a changed value of the figure asks for a reason: any
// figure of an aircraft under change control, its registration and
// weighing date included.
bool figAsksAmend(_prmValueId nId);

// The fingerprint Zarv last recorded for the current aircraft, and when;
// both "" when none is recorded.
std::string figRecordedFingerprint(void);
std::string figRecordedWhen(void);

// A figure's value as the window writes it in a sentence: a number too wide
// for one in exponent form, none as "no number", any other text as one line
// of at most 40 characters.
std::string figFigureShown(const std::string& strValue);

// The printf format (pszFormat's, for one double) that writes two values
// of a figure apart: pszFormat itself where it does, or where they are
// equal; else with as many more decimals (or digits) as show the change,
// so that a change never reads "22.0 → 22.0".
std::string figFormatApart(const char* pszFormat, double nOld, double nNew);

// A figure's change as Zarv.conf holds its values, old → new, each as
// figFigureShown writes it, or, where two numbers would read alike, to the
// digits that set them apart.
std::string figFigureChange(const std::string& strOld, const std::string& strNew);

// Why Zarv refuses to take nValue (in the internal unit) as the figure the
// pilot typed, in the pilot's units ("A basic weight of 48.0 kgs is
// refused: …"); "" where it takes it. Refused are an amount no aircraft
// has (model/units' bounds), a density outside the range fuel has, a basic
// weight under MIN_BASIC_WEIGHT and a weighing interval Zarv does not use;
// a text is never refused.
std::string figFigureRefusal(_prmValueId nId, double nValue);

// What differs from the figures Zarv last recorded for an aircraft under
// change control, one item each: a figure changed by another program or by
// hand ("Basic/Weight 400.000 → 520.000"), the history changed, or the
// fingerprint or history missing. Empty where nothing does.
std::vector<std::string> figOutsideChanges(void);
bool figFiguresChangedOutside(void);

// Stores a figure's new value as the pilot changed it, with its history
// line where a reason is given, and records the fingerprint of an aircraft
// under change control: one rewrite. A change made outside Zarv and not
// yet confirmed stays flagged; an aircraft that comes under change control
// with this change starts its history.
void figStoreFigure(_prmValueId nId, double nValue, const std::string& strReason);
void figStoreFigureText(_prmValueId nId, const char* pszText, const std::string& strReason);

// Stores a value the fingerprint covers that the pilot does not amend (a
// copied figure typed), and records the fingerprint anew: one rewrite.
void figStoreCovered(_prmValueId nId, double nValue);

// The amendments that make the items before into those after, without
// when and why: one item added or taken out as one line ("Equipment 3",
// the item in a line, as itmItemText writes it), else each figure of an
// item that changed, with the item's name as it was ("Equipment 1/Weight
// (Left door)", old → new as Zarv.conf holds them, a flag as 1 or 0).
std::vector<_prmAmendment> figItemsAmendments(const std::vector<_wbItem>& before, const std::vector<_wbItem>& after);

// Stores the current aircraft's items as the pilot changed them, with a
// history line for each amendment where a reason is given, and records the
// fingerprint of an aircraft under change control: one rewrite. The flight
// keeps the items it had fitted or removed; an item added comes as it was
// weighed. Nothing happens where nothing changed; nothing is kept, and the
// red bar says why, while Zarv.conf holds item groups or flags Zarv could
// not read, which the rewrite would lose.
void figStoreItems(const std::vector<_wbItem>& items, const std::string& strReason);

// The pilot has checked figures changed outside Zarv and says why: a
// history line for each figure that changed since Zarv recorded them (old
// → new), and the fingerprint recorded. One rewrite.
void figConfirmFigures(const std::string& strReason);

// The amendments that make the charts before into those after, without
// when and why: each temperature line that changed, came or went
// ("Hover IGE/Line 2", old → new as Zarv.conf holds them, "" for none).
std::vector<_prmAmendment> figHoverAmendments(const _hovCharts& before, const _hovCharts& after);

// Stores the current aircraft's hover charts as the pilot changed them, with
// a history line for each amendment where a reason is given, and records
// the fingerprint of an aircraft under change control: one rewrite. Refused,
// the red bar saying why, where the aircraft is under change control and no
// reason is given, where a chart is one hovChartWhy refuses, where the
// aircraft was published here, and while Zarv.conf holds a chart's text Zarv
// could not read, which the rewrite would lose. True where the charts held
// are now these.
bool figAmendHover(const _hovCharts& charts, const std::string& strReason);
