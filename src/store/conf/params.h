// store/conf/, the ground floor of the store: Zarv.conf itself (params),
// the flight as Zarv holds it while it runs (state), the one table of
// stored values that reads it and writes it (stored), and the aircraft's
// removable items, which the table reads with everything else at start and
// whose fitted ones are the first leg's. It uses only sys/ and model/; every
// other room of store/ stands on it.
//
// The parameter store: one key file held in memory and kept in
// "<etc dir>/Zarv.conf", with typed access by group and key.
#pragma once

#include <gio/gio.h>
#include <glib.h>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The one key file; created by prmLoadKeyFile and kept for the whole run.
GKeyFile* prmKeyFile(void);
// Reads and writes through pkf instead until given back the key file this
// returns (the school's look at another aircraft as if it were current).
GKeyFile* prmLendKeyFile(GKeyFile* pkf);

// Creates the key file and loads Zarv.conf into it. A file that exists but
// cannot be parsed is first set aside beside itself, so nothing replaces it.
// Temporaries left by a rewrite that a crash cut short are removed.
void prmLoadKeyFile(void);

// Replaces Zarv.conf with the whole key file: a temporary file in the etc
// directory is written, flushed to disk and renamed over it. A Zarv.conf
// that another program changed since Zarv last read or wrote it is never
// overwritten: it is read again first, and the changes of this window that
// it does not hold yet are laid over its values.
void prmWriteKeyFile(void);

// Whether a change the file monitor reports leaves Zarv.conf whole: not
// while its writer may still be writing.
bool prmFileSettled(GFileMonitorEvent nEvent);

// Watches Zarv.conf for another program's change: it is read again at once,
// and pfuncChanged told, so the window can show the file's values.
void prmWatchKeyFile(void (*pfuncChanged)(void));

// At close: stops watching, and writes Zarv.conf only where it lacks
// something of the window's (a change whose save failed) or is missing.
void prmCloseKeyFile(void);

// Sets the function told of every rewrite of Zarv.conf: null when it was
// saved, else the reason it was not (the system's text). The window shows
// it; the log has the details either way.
void prmSetWriteListener(void (*pfuncListener)(const char* pszError));

// A missing group or key, or a value that cannot be read as the type asked
// for (a non-finite number included), reads as 0.
gint prmGetKeyInteger(const gchar* pszGroup, const gchar* pszKey);
gdouble prmGetKeyDouble(const gchar* pszGroup, const gchar* pszKey);

// Set the value in memory, then rewrite the whole file.
void prmSetKeyInteger(const gchar* pszGroup, const gchar* pszKey, gint nValue);
void prmSetKeyDouble(const gchar* pszGroup, const gchar* pszKey, gdouble nValue);

// A string value (registrations and the like, escaped as the key file
// needs), "" when missing, with replacement characters where it is not
// valid UTF-8; and its setter, which rewrites the file.
std::string prmGetKeyString(const gchar* pszGroup, const gchar* pszKey);
// The same of a key file of its own.
std::string prmTextOf(GKeyFile* pkf, const gchar* pszGroup, const gchar* pszKey);
// A key's text as the store holds it, or, where it has not read Zarv.conf
// (a check on the command line), as the file holds it; "" where neither
// has it.
std::string prmStoredText(const gchar* pszGroup, const gchar* pszKey);

// A list of texts (";"-separated, as the key file keeps them), none when
// missing, with replacement characters where it is not valid UTF-8.
std::vector<std::string> prmTextListOf(GKeyFile* pkf, const gchar* pszGroup, const gchar* pszKey);
// Whether a value is valid text (a missing one is).
bool prmKeyIsText(const gchar* pszGroup, const gchar* pszKey);
void prmSetKeyString(const gchar* pszGroup, const gchar* pszKey, const gchar* pszValue);

// The text a number was read from, or typed as, where it was no number
// read cleanly ("" for one that was): kept for the run, a fresh store has
// none.
const std::string& prmUnreadText(const gchar* pszGroup, const gchar* pszKey);
void prmKeepUnreadText(const gchar* pszGroup, const gchar* pszKey, const std::string& strText);

// Several changes that belong together (switching aircraft): edit changes
// the key file in memory, then the file is rewritten once.
void prmEdit(const std::function<void(GKeyFile* pkf)>& edit);

// A group's keys and their values as the file holds them, in its order.
using _prmRawGroup = std::vector<std::pair<std::string, std::string>>;
_prmRawGroup prmRawGroup(GKeyFile* pkf, const std::string& strGroup);

// Reads a whole file that must be a regular one, as Zarv.conf is read:
// never blocking on what is not (a FIFO, a device) and never through a
// link; false with the reason otherwise.
// *pnOwner, where asked, is the user the file read belongs to.
// Whether a text of a file reads as a finite decimal number, the whole of it
// but for spaces around it (never hexadecimal, which strtod also reads), and
// the number in *pnValue where it does.
bool prmReadsAsNumber(const char* psz, double* pnValue = nullptr);

// What a key file's text writes twice, which the key file reads as one (a
// group's later keys over its earlier ones, a key's later value over its
// earlier): "[Person 1]", or "Weight in [Person 1]"; "" where nothing is.
std::string prmWrittenTwice(const std::string& strData);
// Everything it writes twice, in the text's order.
std::vector<std::string> prmEveryWrittenTwice(const std::string& strData);
// Zarv.conf's text as Zarv last read or wrote it.
const std::string& prmSeenText(void);

// A file longer than nMost bytes is refused as soon as that much is read.
bool prmReadFile(const std::string& strPath, std::string* pstrData, GError** ppErr, uid_t* pnOwner = nullptr,
                 size_t nMost = SIZE_MAX);

// Removes temporaries that a rewrite of strFile cut short by a crash left
// beside it: its name, ".tmp-" and six characters, a name no one else gives
// a file.
void prmRemoveStaleTemporaries(const std::string& strFile);

// The one safe rewrite of a file, Zarv.conf's and the others': a temporary
// beside strTarget (mode nMode, or the umask's where it is -1) written
// whole, flushed to disk and renamed over it; removed where a step failed.
// Returns 0 or the error number; *pbNoTemp tells that not even the
// temporary could be made, so strTarget is as it was.
int prmReplaceFile(const std::string& strTarget, std::string_view data, int nMode, bool* pbNoTemp = nullptr);

// ---- The rewrite's system calls ------------------------------------------

// The system calls a rewrite goes through. The load sheet's filing writes
// through them too. Tests replace them to make a write fail part-way; the
// program never changes them.
struct _prmFileOps {
    int (*pfuncMkstemp)(gchar* pszTemplate, int nFlags, int nMode);
    ssize_t (*pfuncWrite)(int fd, const void* pBuf, size_t nCount);
    int (*pfuncFsync)(int fd);
    int (*pfuncRename)(const char* pszFrom, const char* pszTo);
    int (*pfuncLink)(const char* pszFrom, const char* pszTo);
    // Reserves the space of an in-place rewrite; returns an error number.
    int (*pfuncFallocate)(int fd, off_t nOffset, off_t nLength) = posix_fallocate;
    // The user Zarv runs as, whose own files it reads and replaces.
    uid_t (*pfuncOwnUid)(void) = ::geteuid;
};
// The calls in use: the system's, unless a test put others in their place.
_prmFileOps& prmFileOps(void);

// Drops the key file and restores the real system calls, so a test starts
// as a fresh run would.
void prmReset(void);
