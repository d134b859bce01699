// A folder of load sheets that several machines share through a sync tool,
// which never merges: every machine writes files under names no other can
// choose (its id, the time, a random part) and never edits one after. The
// names, the machine's id, the conflict copies a sync tool leaves, the order
// of each machine's record files and what is old enough to remove. Pure:
// what a name is made of is given.
#pragma once

#include <glib.h>

#include <ctime>
#include <string>
#include <vector>

// A machine's id: its first SYN_ID_DIGITS hex digits.
constexpr size_t SYN_ID_DIGITS = 12;
// The random part of a file's name: this many of [a-z0-9].
constexpr size_t SYN_RANDOM_CHARS = 4;

// The id of a machine and etc directory: 12 hex digits of the SHA-256 of
// the machine's own id (the text of /etc/machine-id, or its host name),
// without the spaces around it, and the etc directory's real path; so two
// etc directories on one machine are two machines.
std::string synMachineId(const std::string& strMachine, const std::string& strEtcDir);

// The id of a machine of a school that signs its records: the first
// SYN_ID_DIGITS hex digits, in lower case, of its key's digest
// (sgnKeyDigest's text), so that no other key gives it.
std::string synMachineOfKey(const std::string& strDigest);

// A filed sheet's name in the shared folder, without ".pdf": its name as
// ever ("G-ZARV 2026-12-07 1435"), the machine's id and the random part:
// "G-ZARV 2026-12-07 1435 3f2a9c0d41be k7q2".
std::string synSheetName(const std::string& strSheet, const std::string& strMachine, const std::string& strRandom);

// A record file's name and what it is made of: "Record 3f2a9c0d41be
// 000004 20261207T143500Z k7q2.jsonl", the machine, its sequence (1, 2, …,
// at least six digits), the time it was written in UTC and the random part.
struct _synRecordName {
    std::string strMachine;
    long long nSequence = 0;
    std::string strTime; // "20261207T143500Z"
    std::string strRandom;
};
constexpr const char* SYN_RECORD_PREFIX = "Record ";
constexpr const char* SYN_RECORD_SUFFIX = ".jsonl";
std::string synRecordName(const std::string& strMachine, long long nSequence, time_t tWritten,
                          const std::string& strRandom);
// Whether a name is a record file's as synRecordName makes it, and its parts.
bool synReadRecordName(const std::string& strName, _synRecordName* pName);

// Whether a name is a sync tool's conflict copy of a file: Syncthing's
// "NAME.sync-conflict-20261207-143501-DEVICE.ext", "NAME (conflicted copy
// 2026-12-07 143501).ext" or ownCloud's "NAME_conflict-20261207-143501.ext".
bool synIsConflictCopy(const std::string& strName);

// The record files of the folder, each machine's in the order of their
// sequence: what is missing between two present, a sequence there twice
// (the later name left out), and a machine whose first present file is not
// its first (a note: removed after the retention period, as may be).
struct _synRecordFile {
    std::string strName, strMachine;
    long long nSequence = 0;
};
struct _synMachine {
    std::string strMachine;
    std::vector<_synRecordFile> files; // by sequence, each once
};
struct _synOrdering {
    std::vector<_synMachine> machines; // by id
    std::vector<std::string> problems, notes;
    // The folder's names decide these, so they hold whatever gaps the
    // 15 digits of a sequence can leave.
    long long nMissing = 0, nTwice = 0;
};
_synOrdering synOrder(std::vector<_synRecordFile> files);
// Whether the file at nAt of a machine's follows the one before it in its
// chain: the first of all, or the very next after the one before.
bool synFollows(const _synMachine& machine, size_t nAt);

// How many months sheets are kept: "[School] KeepMonths" as a whole number
// from 1 to DATE_MAX_WEIGHING_MONTHS, else SYN_KEEP_MONTHS.
constexpr int SYN_KEEP_MONTHS = 3;
int synKeepMonths(const std::string& strText);
// Whether what is dated strIsoDay ("2026-12-07", or a time that begins so)
// is older than nMonths months today: from the same day of the month that
// many months later on. A date that is none is not.
bool synOlderThan(const std::string& strIsoDay, const GDate& today, int nMonths);
