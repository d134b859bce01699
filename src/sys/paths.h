// The etc directory and the paths of the files that live in it: the bottom
// of the one-way order, used by the log, the store and start-up.
#pragma once

#include <string>

// Path of the etc directory, by its written name; it points into the path
// wbEtcDir gives, which grows to whatever length the path has: a path is
// never cut. Zarv's own files read wbEtcDir.
extern const char* m_pszEtcDir;

// The etc directory, as wbLocateEtcDir or wbSetEtcDir set it.
const std::string& wbEtcDir(void);

// Derives the etc directory from the current working directory.
void wbLocateEtcDir(void);

// The rule behind wbLocateEtcDir, for a given working directory.
std::string wbEtcDirFor(const std::string& strCwd);

// Sets the etc directory (start-up, and tests that work in a directory of
// their own).
void wbSetEtcDir(const std::string& strDir);

// "<etc dir>/<name>", at full length.
std::string wbFileSpec(const char* pszName);

// Whether a path may be opened through a symbolic link: a path that is no
// link always may; a link only when it is the user's own (or root's) and sits
// in a directory that no other user can write to, so no one else can have
// planted it or can swap it.
bool wbMayFollow(const std::string& strPath);

// The etc directory as the system finds it: its real path, walked from the
// root one name at a time (following each link as the system does), and the
// first place on that walk another user could change, so that the directory
// or the files in it could be swapped for others: a link owned by someone
// other than the user or root, or a directory that others may write into
// without the sticky bit (a group may write only where it is the user's own,
// named after them). strChangeable is empty when there is none; strReal ends
// in what is not there (yet) as named.
struct _wbEtcRoute {
    std::string strReal;
    std::string strChangeable;
};
_wbEtcRoute wbWalkEtcDir(const std::string& strDir);

// Who holds the etc directory when this start cannot: the user, the process
// (0 where it cannot be told) and what it noted in the lock file.
struct _wbHolder {
    std::string strNote;
    unsigned nUid = 0;
    long nPid = 0;
};

// Claims the etc directory for this process with an advisory lock on
// "<etc dir>/Zarv.lock", held until the process ends, so that one window at
// a time edits its Zarv.conf. The lock file is a regular file of the user's
// own, 0600, never opened through a link; anything else lying there (a
// directory, a FIFO, a link, a file the user cannot write, another user's
// file no one holds) is set aside as "Zarv.lock.bad-N" and a fresh lock
// taken. What an earlier holder noted is gone once the lock is taken.
// Returns the lock's file descriptor; -1 when another process of the user's
// holds it (*pHolder then tells which, and what it noted, waiting a little
// for a holder that has only just started to note anything); -3 when
// another user's does; -2 when no lock can be had at all, and the run goes
// on without one.
int wbClaimEtcDir(_wbHolder* pHolder);

// Notes a short text (the window's id) in the claimed lock file, for the
// next start to find.
void wbNoteInClaim(int fdClaim, const std::string& strNote);
