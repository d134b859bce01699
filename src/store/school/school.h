// store/school/, above aircraft/: a school of several machines. The
// aircraft published signed into a shared folder and taken in from it, the
// key pairs kept in the etc directory, and this machine's own key and its
// count of the records it wrote. What it publishes is what aircraft/ holds.
//
// A school of several machines: the aircraft's figures published once, on
// the machine that owns them, as signed files in a folder that a sync tool
// carries to every pilot's machine, where they are taken in read-only.
// One file per aircraft, replaced only by a newer revision written beside it
// and renamed, so no file ever needs merging. Zarv.conf's "[School]" group
// holds the settings; without them nothing here does anything.
#pragma once

#include <string>
#include <vector>

// The settings' group and keys in Zarv.conf.
constexpr const char* SCH_GROUP = "School";
constexpr const char* SCH_KEY_NAME = "Name";            // the school, as a published file names it
constexpr const char* SCH_KEY_PUBLISHED = "Published";  // the folder a pilot's machine takes aircraft from
constexpr const char* SCH_KEY_KEY = "Key";              // the school's public key, as accepted
constexpr const char* SCH_KEY_SEEN = "Seen";            // "12 G-ZARV": the newest revision used of each
constexpr const char* SCH_KEY_PUBLISH_TO = "PublishTo"; // where the owner last published
// The school's index last used here: the digest of the key it was signed
// with, then "12 G-ZARV" for each aircraft it listed. Once there is one,
// the folder is never read without an index as good.
constexpr const char* SCH_KEY_INDEXED = "Indexed";

// The school's key pair in the etc directory: the secret half only its owner
// may read, the public half for the pilots' machines.
constexpr const char* SCH_SECRET_FILE = "School.key";
constexpr const char* SCH_PUBLIC_FILE = "School.pub";
// The revisions the office published, in its etc directory (0600, its
// owner's alone).
constexpr const char* SCH_PUBLISHED_FILE = "Published revisions.conf";
// A published aircraft's file and its signature beside it.
constexpr const char* SCH_AIRCRAFT_SUFFIX = ".aircraft";
constexpr const char* SCH_SIGNATURE_SUFFIX = ".minisig";
// The school's signed list of the aircraft it publishes and their
// revisions: a pilot's machine reads those files, whatever else the folder
// holds.
constexpr const char* SCH_INDEX_FILE = "School.index";

// The school's public key file's text, made with its secret half the first
// time it is asked for (School.key, 0600, never through a link). "" with
// *pstrWhy where neither can be had.
std::string schOwnKey(std::string* pstrWhy);

// Publishes every aircraft of the fleet under change control into strDir:
// one signed file each, named after its registration, the public key as
// "School.pub", and the signed index of what the folder publishes. An aircraft is written where it is not yet there or
// only an older revision is; one whose figures changed outside Zarv, that
// has no registration, or that was itself published to this machine is
// left out. Each line says what became of one aircraft ("G-ZARV: revision
// 3 published"); *pbFailed tells that anything could not be published.
std::vector<std::string> schPublish(const std::string& strDir, bool* pbFailed);

// Writes a file of the school's other than an aircraft (the machines it
// enrolled, "School.machines") into strDir with strText, signed with its
// key and the trusted comment strTrusted; "" or why it could not be.
constexpr const char* SCH_MACHINES_FILE = "School.machines";
std::string schPublishSigned(const std::string& strDir, const char* pszName, const std::string& strText,
                             const std::string& strTrusted);

// The text of such a file in the folder "[School] Published" names, where
// its signature verifies with the key accepted here; "" with *pstrWhy
// where there is none, or it cannot be read or does not verify.
std::string schPublishedSigned(const char* pszName, std::string* pstrWhy);

// One file of the published folder as a pilot's machine judges it.
struct _schTaken {
    std::string strFile;         // its name in the folder
    std::string strRegistration; // "" where it could not be read
    int nRevision = 0;
    std::string strDate, strSchool;
    bool bUsed = false;    // verified, and the newest revision of its aircraft
    std::string strWhy;    // why it is refused, where it is ("its signature does not verify …")
    bool bSummary = false; // it stands for itself and every other file of the folder not read
};

// The files of the folder Zarv.conf's "[School] Published" names that the
// school's signed index lists, judged with the accepted key: a file whose
// signature does not verify, whose revision is older than one already used
// here or is not the index's, or that is a sync tool's conflict copy is
// refused by name. Every other aircraft file there is not read, and is
// summed up in one refusal however many there are. A folder without an
// index is an older office's: the files of the registrations used here are
// read first, then a bounded number of others. Once this machine used the
// school's index, a folder without it, or whose index does not verify,
// lists fewer aircraft or an older revision, is refused whole, and so is an
// index listing a revision older than one used here. Reads only.
std::vector<_schTaken> schJudgeFolder(void);

// Takes in what schJudgeFolder uses: each aircraft published anew replaces
// the figures and items of the fleet's aircraft it was taken in as (or is
// added to the fleet, and becomes the current one where that has no
// registration yet), in one rewrite of Zarv.conf, which also remembers the
// school's index used. Says whether anything was taken in, and
// whether the current aircraft's figures changed.
struct _schTakenIn {
    bool bFleet = false;
    bool bCurrent = false;
    // What is refused, as the pilot is told it: each logged once a run.
    std::vector<std::string> refused;
};
_schTakenIn schTakePublished(void);

// One revision the office published: the figures' fingerprint of an
// aircraft, and the time from which sheets could be flown on it.
struct _schPublication {
    std::string strFrom; // ISO 8601, with its offset
    int nRevision = 0;
    std::string strFingerprint, strRegistration;
};
// Every revision this machine published, as its publishing remembered them;
// none where it published nothing. strWhy says why the file cannot be read
// or trusted (not the user's own, or others may write it).
struct _schPublications {
    std::vector<_schPublication> revisions;
    std::string strWhy;
};
_schPublications schPublications(void);
// Why a sheet of strRegistration, flown at strTime (ISO 8601) on figures of
// the fingerprint strFingerprint, was not flown on figures published: a
// registration that only reads as one published (txtAsRead); or one that is
// published and a fingerprint none of its revisions up to that time had, or
// one of a revision superseded more than a day before that time, or no time
// that can be read. "" where it was, for a registration this machine does
// not publish, and for an earlier Zarv's eight-digit fingerprint older than
// every revision it remembers.
std::string schNotPublished(const std::vector<_schPublication>& published, const std::string& strRegistration,
                            const std::string& strTime, const std::string& strFingerprint);

// "published by Skyways, revision 12, 2026-12-01" for the current aircraft,
// escaped to be shown as it is (the school's words come from its folder),
// where its figures are the school's signed revision as taken in from the
// school's folder (with the folder and its key set in Zarv.conf), else "":
// figures edited since by hand are no one's but this machine's.
std::string schPublishedText(void);
// The same of a fleet group of Zarv.conf ("" for the current aircraft).
std::string schPublishedTextOf(const std::string& strGroup);

// The school whose fuel rule and margins this machine flies by, taken in
// with the aircraft it flies from the school's folder (which Zarv.conf
// still names); "" where the rule is the machine's own.
std::string schRuleSchool(void);
