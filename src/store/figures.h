// The aircraft's figures under change control: once an aircraft has a
// registration and a weighing date, a change of its weighing record's
// values is an amendment with a reason, kept in its history; the
// fingerprint of the figures Zarv last wrote is kept beside them, so that a
// change made outside Zarv shows.
#pragma once

#include "store/stored.h"

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
std::string prmHistoryLine(const _prmAmendment& a);
_prmAmendment prmHistoryRead(const std::string& strLine);

// The current aircraft's history, oldest first.
std::vector<_prmAmendment> prmHistory(void);

// Whether the current aircraft's figures are under change control: the
// figures that name it (its registration and weighing date) are all set.
bool prmUnderControl(void);

// Whether committing a changed value of the figure asks for a reason: a
// figure of the weighing record (not one that names the aircraft) of an
// aircraft under change control.
bool prmAsksAmend(_prmValueId nId);

// The fingerprint Zarv last recorded for the current aircraft, and when;
// both "" when none is recorded.
std::string prmRecordedFingerprint(void);
std::string prmRecordedWhen(void);

// Whether the figures differ from those Zarv last recorded: changed by
// another program or by hand. Without a recorded fingerprint, never.
bool prmFiguresChangedOutside(void);

// Stores a figure's new value as the pilot changed it, with its history
// line where a reason is given, and records the fingerprint: one rewrite.
// An edit without a reason leaves a flagged change from outside flagged.
void prmStoreFigure(_prmValueId nId, double nValue, const std::string& strReason);
void prmStoreFigureText(_prmValueId nId, const char* pszText);

// The pilot has checked figures changed outside Zarv: their fingerprint is
// recorded, with a line in the history. One rewrite.
void prmConfirmFigures(void);
