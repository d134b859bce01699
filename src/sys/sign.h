// Keys and detached signatures in minisign's format (Ed25519 over the
// BLAKE2b-512 of the file, with a signed "trusted comment"), so that anyone
// can check a file Zarv signed with the minisign tool, without Zarv:
//   minisign -Vm G-ZARV.aircraft -p school.pub
// Texts in, texts out: nothing here reads or writes a file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

// A new key pair as the texts of minisign's two files: the secret key
// (unencrypted, as "minisign -G -W" writes it) and the public key, each
// with its "untrusted comment" line.
struct _sgnKeyPair {
    std::string strSecret;
    std::string strPublic;
};
_sgnKeyPair sgnNewKey(void);

// A new key pair whose secret half is encrypted under the passphrase, as
// "minisign -G" writes it; both texts "" where it cannot be made.
_sgnKeyPair sgnNewLockedKey(const char* pszPassphrase);

// A secret key unlocked for signing, held in libsodium's guarded memory and
// wiped when it goes.
struct _sgnUnlocked;
struct _sgnUnlockedFree {
    void operator()(_sgnUnlocked* p) const;
};
using _sgnUnlockedPtr = std::unique_ptr<_sgnUnlocked, _sgnUnlockedFree>;
// Unlocks an encrypted secret key file's text with the passphrase (an
// unencrypted one needs none). Null with *pbWrong where the passphrase is
// not the key's (its checksum does not match), or with *pstrWhy where the
// text is no secret key of minisign's ("the key file is torn: …").
_sgnUnlockedPtr sgnUnlock(const std::string& strSecret, const char* pszPassphrase, bool* pbWrong, std::string* pstrWhy);
// The public key's base64 line of an unlocked key, as its own secret half
// makes it (never the key number alone).
std::string sgnUnlockedPublic(const _sgnUnlocked& key);
// A passphrase held while it is used, in libsodium's guarded memory and
// wiped when it goes; null where there is no memory for it.
struct _sgnWipeText {
    void operator()(char* psz) const;
};
using _sgnSecretText = std::unique_ptr<char, _sgnWipeText>;
_sgnSecretText sgnKeepSecret(const char* pszText);
// A ".minisig" file's text for data, as sgnSign makes, with an unlocked key.
std::string sgnSignUnlocked(const _sgnUnlocked& key, std::string_view data, const std::string& strTrusted);

// A public key's id as minisign prints it ("1A2B3C4D5E6F7081"), from the
// public key file's text or its one base64 line; "" where it is no key.
std::string sgnKeyId(const std::string& strPublic);
// The key's id in groups of four, to be read aloud and compared ("1A2B
// 3C4D 5E6F 7081"); "" where it is no key.
std::string sgnKeyIdShown(const std::string& strPublic);
// The digest of the whole public key, as a person compares it: the SHA-256
// of its bytes (algorithm, id and key), 64 upper-case hex digits in groups
// of four ("3F2A 9C0D …"), never its id alone, which anyone can give a key
// of their own; "" where it is no key.
std::string sgnKeyDigest(const std::string& strPublic);
// Whether a digest as typed or read aloud (spaces, dashes and case aside)
// is the whole digest of the key; false where it is no key.
bool sgnDigestMatches(const std::string& strPublic, const std::string& strTyped);
// The public key's base64 line alone ("RWQ…"); "" where it is no key.
std::string sgnPublicLine(const std::string& strPublic);

// The text of a ".minisig" file for data, signed with the secret key file's
// text, with strTrusted (one line) as its trusted comment; "" where the key
// cannot be read.
std::string sgnSign(std::string_view data, const std::string& strSecret, const std::string& strTrusted);

// Whether a signature file's text verifies data with the public key (the
// file's text or its line): the signature of the data and of the trusted
// comment both. strWhy says why not, in a phrase ("its signature does not
// verify: the file was changed after it was signed"); strTrusted is the
// trusted comment, only where it verifies.
struct _sgnVerified {
    bool bGood = false;
    std::string strWhy;
    std::string strTrusted;
};
_sgnVerified sgnVerify(std::string_view data, const std::string& strSignature, const std::string& strPublic);

// A signature of a short text (a record's chain) as one base64 line, as
// minisign's second line: "ED", the key's number, and the Ed25519 signature
// of the text's BLAKE2b-512; "" where the secret key file's text cannot be
// read. Kept inside the signed file itself, so nothing can be separated.
std::string sgnSignLine(std::string_view data, const std::string& strSecret);
// Whether such a line verifies data with the public key (its file's text
// or its line).
bool sgnVerifyLine(std::string_view data, const std::string& strLine, const std::string& strPublic);
