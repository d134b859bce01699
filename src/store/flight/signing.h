// The people's own signing keys: each one's secret half, encrypted under
// their passphrase as minisign encrypts it, kept in a folder of the etc
// directory that is the user's alone; its public half goes with the person
// into People.conf and, as a file, to the office.
#pragma once

#include "sys/sign.h"

#include <string>

// The folder of the etc directory that keeps the people's secret keys.
constexpr const char* SGK_FOLDER = "Signing keys";

// Why a passphrase is refused, or "": under 8 characters ("a passphrase of
// at least 8 characters"), or one holding a line end ("the passphrase holds
// a line end: it was pasted with one; type it again").
std::string sgkPassphraseWhy(const char* pszPassphrase);

// Makes a person's key under the passphrase: "<ID>.key" (the secret half,
// 0600, created with O_EXCL and never through a link) and "<ID>.pub" (the
// public key file, to give to the office) in SGK_FOLDER, which is made 0700
// and must be the user's own (not a link, not another user's, not writable
// by others). Returns the public key file's text; "" with *pstrWhy where it
// could not be made or kept.
std::string sgkMake(const char* pszPassphrase, std::string* pstrWhy);

// The public key file kept beside the secret half of the key with that id.
std::string sgkPublicFile(const std::string& strPublicLine);

// Unlocks the secret key of the public key strPublicLine (its base64 line)
// with the passphrase: the file named by its id, opened without following a
// link and without blocking, refused by name where it is a link, not a
// plain file (a FIFO), another user's, readable or writable by others,
// larger than a key, or torn; and refused where the key it unlocks is not
// strPublicLine whole ("the key file holds another key with the same id").
// *pbWrong where the passphrase is wrong. Null with *pstrWhy otherwise.
_sgnUnlockedPtr sgkUnlock(const std::string& strPublicLine, const char* pszPassphrase, bool* pbWrong,
                          std::string* pstrWhy);

// The wrong passphrases typed in a row for the key strPublicLine, and when
// the last was: kept beside its secret half ("<ID>.tries", 0600), so that
// starting Zarv again does not start the count again. None where there is
// no such file or it is not of that form.
struct _sgkTries {
    int nWrong = 0;
    long long tLast = 0;
};
_sgkTries sgkTries(const std::string& strPublicLine);
// Keeps the count; "" or why it could not be kept (logged as well).
std::string sgkKeepTries(const std::string& strPublicLine, const _sgkTries& tries);
