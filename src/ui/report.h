// The report of a check of the calculation: one dated PDF page kept in
// "Verification" beside Zarv.conf, and what the loading page says of the
// last check found there.
#pragma once

#include "store/flight/cases.h"

#include <cairo.h>
#include <glib.h>

#include <ctime>
#include <string>
#include <vector>

// A check: where it ran, when, the case files it read and every case's
// outcome, in the order run.
struct _rptReport {
    std::string strEtcDir;
    time_t tChecked;
    std::vector<std::string> caseFiles;
    std::vector<_casOutcome> outcomes;
    bool pass() const;
};

// Draws the report on one page nWidth × nHeight points large; the lines
// shrink to fit the page however many cases there are.
void rptDrawReport(cairo_t* pCr, double nWidth, double nHeight, const _rptReport& report);

// "<etc dir>/Verification".
std::string rptFolder(void);

// Writes the report into the folder (made, 0700, where there is none) as
// "Calculation check <day> passed.pdf" or "... FAILED.pdf", " (2)" and on
// where that is taken: written to a temporary, on the disk, then given its
// name, so a report is there whole or not at all. False with *pstrError
// saying why; *pstrFile is the file written.
bool rptWriteReport(const _rptReport& report, std::string* pstrFile, std::string* pstrError);

// The day of the newest passing report in the folder (ISO), empty where
// there is none; bAny where the folder holds a report at all; and whether
// the newest report of all (by the time it was written) is a failed check,
// with its day. Only files with something in them count.
// A check whose report could not be written is kept in Zarv.conf instead
// ([Verification] Unreported, its day and outcome) until a check's report
// is written, and counts as a report of its day. A folder that is a link,
// or that is not the user's own or others may write in, holds no report
// Zarv trusts (strUntrusted says why).
struct _rptLastCheck {
    bool bAny;
    std::string strPassedIso;
    bool bLastFailed = false;
    std::string strLastIso = {};
    bool bUnreported = false; // the newest check's report could not be written
    std::string strUntrusted = {};
};
_rptLastCheck rptLastCheck(void);

// Keeps the outcome of a check whose report could not be written where the
// window reads it, or, once a report is written, clears it. A failure to
// keep it is logged (and the window's bar says a change was not saved).
void rptKeepUnreported(const _rptReport& report, bool bWritten);

// A check falls due again this many months after the last one passed.
constexpr int RPT_CHECK_MONTHS = 6;

// What the loading page says of the last check on day today: nothing where
// no report was ever kept; a warning where the newest check failed; the day
// of the last passing check, or, once that is RPT_CHECK_MONTHS old or there
// is none, a reminder (bDue).
struct _rptCheckText {
    std::string strText;
    bool bDue;
};
_rptCheckText rptCheckText(const _rptLastCheck& last, const GDate& today);
