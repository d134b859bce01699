// The machines a school enrols. A machine that files into the school's
// shared folder asks to join there with its public key; the office checks
// the key's digest with the pilot by a second channel and enrols it, and
// may revoke it later. The office's list is its own, in its etc directory
// (the user's alone), and is published beside the aircraft, signed with the
// school's key. The record check takes a record file as a machine's only
// where the machine is enrolled and its key signed it.
#pragma once

#include <functional>
#include <string>
#include <vector>

constexpr const char* ENR_FILE = "Machines.conf";

struct _enrMachine {
    std::string strId;                   // its id in the shared folder, of its key
    std::string strKey;                  // its public key's base64 line
    std::string strName;                 // as it asked to join
    std::string strEnrolled, strRevoked; // UTC times, "" where not revoked
    long long nUpTo = 0;                 // where revoked: the last of its records that stands
};

// The office's list; false with *pstrWhy where the file is there and
// cannot be read or trusted (never taken as a list of none).
bool enrList(std::vector<_enrMachine>* pList, std::string* pstrWhy);

// A request to join in the shared folder: its file, the key's text and
// digest, the machine's id and name; strWhy where it is no request.
struct _enrRequest {
    std::string strFile, strKey, strDigest, strId, strName, strWhy;
};
// Every request in the shared folder open as fdDir (plain files only, none
// through a link, each bounded), at most ENR_MOST_REQUESTS.
constexpr size_t ENR_MOST_REQUESTS = 1000;
std::vector<_enrRequest> enrRequests(int fdDir, size_t* pnMore);

// Enrols the machine whose request (in the shared folder) has the whole
// digest strDigest; revokes the enrolled machine with that digest, its
// records after the last the office checked (nLastChecked of its id, -1
// where that cannot be known) no longer standing. Each says what it did,
// or why not with *pbFailed.
std::string enrEnrol(const std::string& strDigest, bool* pbFailed);
std::string enrRevoke(const std::string& strDigest, const std::function<long long(const std::string&)>& nLastChecked,
                      bool* pbFailed);

// The list as published with the aircraft: a line a machine ("enrolled
// ID KEY TIME", "revoked ID KEY TIME REVOKED UPTO"); "" where the school
// enrolled none. False with *pstrWhy where the office's list cannot be read.
bool enrListText(std::string* pstrText, std::string* pstrWhy);

// The machines of a list as enrListText writes it (as a school publishes
// it); false with *pstrWhy where a line is not of its form.
bool enrReadListText(const std::string& strText, std::vector<_enrMachine>* pList, std::string* pstrWhy);

// The digest (in fours) of an enrolled machine's key.
std::string enrDigest(const _enrMachine& m);
