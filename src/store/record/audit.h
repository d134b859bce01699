// "zarv --verify-record": every line of the record of load sheets checked
// against a fresh calculation of its inputs, on the command line alone.
#pragma once

#include <string>

// Reads "<etc dir>/Load sheets/Record.jsonl" (the etc directory pszEtcDir,
// or the working directory's where null), recomputes every sheet through
// the pages' own calculation and judgement, and prints each figure that no
// longer matches, each filed sheet missing or not the one its line filed,
// and each record checked by the last run and gone since, then a summary.
// Needs no display, and writes only what it checked, to "<etc
// dir>/Record check.conf". Returns 0 when every sheet matches, 1 when any
// does not or a record checked before is gone or changed, 2 when the record
// cannot be read or that memory cannot be trusted.
int audVerifyRecord(const char* pszEtcDir);

// The highest number of machine strMachine's records the office's last
// check remembers (0 for none), or -1 where its memory cannot be trusted
// (said on standard error): where a machine is revoked, what stands.
long long audLastChecked(const std::string& strMachine);
