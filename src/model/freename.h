// A free name for a file that must never replace another: the name itself,
// then the name with a number, until one is not taken.
#pragma once

#include <functional>
#include <string>

// How the names after the first are numbered: the number (nFirst, then one
// more each time) between pszBefore and pszAfter, ahead of the ending; the
// bare name is tried first where bBareFirst.
struct _fnmNumbering {
    const char* pszBefore;
    const char* pszAfter;
    int nFirst;
    bool bBareFirst;
};

// How many names are tried before a file is given up as having none.
constexpr int FNM_TRIES = 1000;

// The i-th name tried (from 0): strStem, numbered, then strExt.
std::string fnmCandidate(const std::string& strStem, const std::string& strExt, const _fnmNumbering& numbering,
                         int i);

// Tries the names in turn until funcTry gives anything but EEXIST (0 for
// done, else the errno that stopped it) and returns that; EEXIST where every
// name was taken. *pstrName, where given, is the last name tried.
int fnmFirstFree(const std::string& strStem, const std::string& strExt, const _fnmNumbering& numbering,
                 const std::function<int(const std::string&)>& funcTry, std::string* pstrName);
