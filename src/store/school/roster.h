// The school's roster: which public keys stand for which people, in which
// role and from when to when. The office keeps its own in its etc
// directory and publishes it beside the aircraft, signed with the school's
// key; a pilot's machine takes it in read-only. A key on it is added only
// where its holder read the office its whole digest, and a revoked key
// stays on it with the time it ended, so that what it accepted before
// still stands.
#pragma once

#include <string>
#include <vector>

// The office's own roster in its etc directory (0600, the user's alone, as
// Machines.conf), and the roster as published beside the aircraft, signed
// with the school's key.
constexpr const char* ROS_FILE = "Roster.conf";
constexpr const char* ROS_PUBLISHED_FILE = "School.roster";
// Zarv.conf's "[School]" key holding the time the newest roster used here
// was published: an older one is never taken again.
constexpr const char* ROS_KEY_SEEN = "RosterSeen";

// One key of one person: name, role ("pilot", "instructor", "student";
// PPL_ROLE_NAMES's words), the public key's base64 line, and the UTC times
// ("2026-12-01T00:00:00Z") it stands from and to ("" to: until revoked).
struct _rosEntry {
    std::string strName, strRole, strKey, strFrom, strTo;
};
struct _rosRoster {
    std::string strPublished; // UTC time of publishing
    std::vector<_rosEntry> entries;
};

// The roster a text holds (as rosText writes it, a key file: [Roster]
// Published=…, then one group per key); false with *pstrWhy naming the
// refusal: a key that is no minisign public key, a role not one of the
// three, a time that cannot be read, a "to" before its "from", and one key
// for two people. A person may have several keys (one per machine).
bool rosReadText(const std::string& strText, _rosRoster* pRoster, std::string* pstrWhy);
std::string rosText(const _rosRoster& roster);

// The office's list; an absent file is an empty roster; false with why
// where it cannot be read or trusted.
bool rosOfficeList(_rosRoster* pRoster, std::string* pstrWhy);

// Adds a person's key from their public key file's text (the .pub file they
// give the office) where strDigest, as the person reads it aloud, is the
// key's whole digest, standing from now (or strFrom) to strTo; revokes the
// key of that digest from now (its "to" set to now: the roster keeps it, so
// that what it accepted before stands). Each returns what it did, or why
// not with *pbFailed.
std::string rosAdd(const std::string& strPublic, const std::string& strName, const std::string& strRole,
                   const std::string& strDigest, const std::string& strFrom, const std::string& strTo, bool* pbFailed);
std::string rosRevoke(const std::string& strDigest, bool* pbFailed);

// The office's roster as published: its text with the time of publishing
// strNow; "" where the office lists no one. False with why where its list
// cannot be read.
bool rosPublishedText(const std::string& strNow, std::string* pstrText, size_t* pnKeys, std::string* pstrWhy);

// On a pilot's machine: the roster the school published (ROS_PUBLISHED_FILE
// in the folder "[School] Published" names, signed with the school's key as
// accepted here), taken in read-only. One older than the newest this
// machine used ("[School] RosterSeen") is refused by name; a newer one is
// remembered where Zarv.conf is loaded (a check on the command line writes
// nothing). False with why where there is none or it is refused. *pbSchool
// says whether this machine is in a school at all (a published folder and
// key set): where not, there is no roster and acceptance uses the person's
// own key.
bool rosInUse(_rosRoster* pRoster, std::string* pstrWhy, bool* pbSchool);

// Why the key strKey may not accept as strCapacity ("commander": a pilot,
// instructor or student; "instructor": an instructor) for the person
// strName at the UTC time strTime, by the roster; "" where it may.
std::string rosKeyWhy(const _rosRoster& roster, const std::string& strName, const std::string& strCapacity,
                      const std::string& strKey, const std::string& strTime);
