// The school's machines on the command line, at the office: "zarv
// --machines" lists those asking to join and those enrolled, "zarv --enrol
// DIGEST" and "zarv --revoke DIGEST" enrol and revoke one by its key's
// whole digest, publishing the list after, as the window's "Machines…"
// does through the same call.
#pragma once

#include <string>
#include <vector>

// Lists the machines; 0, or 2 where the list cannot be read.
int wbListMachines(void);
// Enrols (bEnrol) or revokes the machine with the digest, then publishes
// the list where the school last published its aircraft. 0, or 1 where it
// could not.
int wbChangeMachine(bool bEnrol, const std::string& strDigest);
// The change and the publishing themselves, for the command line and the
// window's "Machines…" alike: what became of each, a line each, as said
// (each shows it escaped: the command line's print handler, the window
// itself); *pbFailed where either could not be done.
std::vector<std::string> wbChangeAndPublish(bool bEnrol, const std::string& strDigest, bool* pbFailed);

// Publishes the list of the machines the school enrolled into strDir,
// where it enrolled any, beside its aircraft (*pnMachines how many); "" or
// why it could not be.
std::string wbPublishMachines(const std::string& strDir, size_t* pnMachines = nullptr);
