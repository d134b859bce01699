// The etc directory and the paths of the files that live in it: the bottom
// of the one-way order, used by the log, the store and start-up.
#pragma once

#include <string>

// Path of the etc directory. m_pszEtcDir points into m_szEtcDir, which grows
// to whatever length the path has: a path is never cut.
extern std::string m_szEtcDir;
extern const char* m_pszEtcDir;

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
