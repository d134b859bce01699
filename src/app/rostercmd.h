// The school's roster on the command line, at the office: "zarv --roster"
// lists it, "zarv --roster-add PUBFILE …" adds a person's key by the whole
// digest its holder reads out, and "zarv --roster-revoke DIGEST" revokes
// one, publishing the roster after, as the machines are.
#pragma once

#include <string>

// What --roster-add or --roster-revoke asks for: a key to add (its public
// key file, whose, as what, its digest as read out, and from and to when),
// or the digest of one to revoke.
struct _wbRosterChange {
    std::string strPublicFile, strName, strRole, strDigest, strFrom, strTo;
    std::string strRevoke;
};

// Lists the office's roster; 0, or 2 where it cannot be read.
int wbListRoster(void);
// Adds or revokes the key, then publishes the roster where the school
// last published its aircraft. 0, or 1 where it could not.
int wbChangeRoster(const _wbRosterChange& change);

// Publishes the office's roster into strDir, where it lists anyone, beside
// the aircraft (*pnKeys how many keys); "" or why it could not be.
std::string wbPublishRoster(const std::string& strDir, size_t* pnKeys = nullptr);
