// The event log: Zarv's only channel for reporting failures.
#pragma once

#include <glib.h>

#include <string>

// Appends a time-stamped entry for pszError (lines separated by "\n") to
// "<etc dir>/Zarv.log". A null message, or a log that cannot be opened,
// writes nothing.
void errPostError(const gchar* pszError);

// The text of one entry: pszStamp before the first line, blanks of the same
// width before every further line, and the empty line that ends the entry.
std::string errFormatEntry(const char* pszStamp, const gchar* pszError);

// A failure the pilot must know of at once (Zarv.conf set aside, a filed
// copy lost, a value that is not valid text): said in the window, where
// one listens, besides the log's entry. What was said before the window
// listened is said when it does.
void errTellPilot(const std::string& strText);
void errSetPilotListener(void (*pfuncListener)(const std::string& strText));

// Whether a run meets strWhat for the first time: what is logged or said
// once a run, however often it comes.
bool errFirstTime(const std::string& strWhat);
