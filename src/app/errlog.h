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
