// This machine in a school: a signing key of its own, made the first time
// it files into a shared folder, by which the office enrols it and checks
// every record it writes; and its count of records with the chain the last
// one left, kept here and never read from the shared folder, where anyone
// could remove a record to have its number taken again.
#pragma once

#include <string>

// The machine's key pair and its memory of its records, in the etc
// directory (the secret half and the memory the user's alone).
constexpr const char* MCH_SECRET_FILE = "Machine.key";
constexpr const char* MCH_PUBLIC_FILE = "Machine.pub";
constexpr const char* MCH_HEAD_FILE = "Machine record.conf";
// A machine asks the school to enrol it with its public key, a file of its
// own in the shared folder: "Machine 3f2a9c0d41be.pub".
constexpr const char* MCH_REQUEST_PREFIX = "Machine ";
constexpr const char* MCH_REQUEST_SUFFIX = ".pub";

// The machine's key: its public key file's text, its secret half's, and
// its id in the shared folder (synMachineOfKey).
struct _mchKey {
    std::string strPublic, strSecret, strId;
};
// The key, made the first time (and then the machine's request to join
// written into the shared folder open as fdDir, where it is not there);
// false with *pstrWhy where it cannot be had.
bool mchKey(_mchKey* pKey, std::string* pstrWhy, int fdDir = -1);
// The public key only, where it was made; "" where not.
std::string mchPublicKey(void);

// The last record this machine wrote: its number (0 for none yet) and the
// chain it left.
struct _mchHead {
    long long nSequence = 0;
    std::string strChain;
};
// False with *pstrWhy where the memory is there and cannot be read or
// trusted; *pbThere tells whether it was there at all.
bool mchReadHead(_mchHead* pHead, bool* pbThere, std::string* pstrWhy);
// Keeps the memory, whole and on the disk; 0 or the error number.
int mchWriteHead(const _mchHead& head);

// What the office is shown of the machine asking to join: its host and user.
std::string mchName(void);
