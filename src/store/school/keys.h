// Key pairs kept in the etc directory: the school's, and each machine's of
// a school. The secret half is the user's alone (0600, never through a
// link); the public half is for others to read.
#pragma once

#include <string>

// The public key file's text of the pair pszSecret/pszPublic (names in the
// etc directory), made the first time it is asked for; strWhat names the
// key in what the user is told ("the school's key"). "" with *pstrWhy where
// neither can be had, or the secret half is not the user's alone.
std::string keyOwnPair(const char* pszSecret, const char* pszPublic, const std::string& strWhat, std::string* pstrWhy);

// The secret half's text, where it is the user's alone; "" with *pstrWhy
// where not.
std::string keyOwnSecret(const char* pszSecret, std::string* pstrWhy);
