// Filing a load sheet: its copy kept as PDF in "Load sheets" beside
// Zarv.conf, whole or not at all and never over another, with its line in
// the record of sheets; a copy cut short by a crash cleared at the next
// start; and the folder and the free name "Print to File" offers. What is
// filed is given as it is written: filing draws nothing. A school's
// machines may share one folder of sheets through a sync tool: then each
// sheet and each line is a file of its own, named by the machine.
#pragma once

#include <cairo.h>

#include <ctime>
#include <string>
#include <string_view>

// Where the copies are filed: "<etc dir>/Load sheets", or the folder
// Zarv.conf's "[School] Sheets" names (a relative one in the etc
// directory); a folder only its owner may read, each sheet likewise; a link
// there is never followed.
std::string filSheetsFolder(void);

// Zarv.conf's keys of a shared folder of sheets, in the group "[School]":
// the folder, and how many months its sheets are kept.
constexpr const char* FIL_KEY_SHEETS = "Sheets";
constexpr const char* FIL_KEY_KEEP_MONTHS = "KeepMonths";
struct _filShared {
    std::string strFolder; // as Zarv.conf holds it, "" where the folder is not shared
    int nKeepMonths = 0;
};
// The keys as the store holds them, or, where it has not read Zarv.conf
// (the command line), as the file holds them.
_filShared filShared(void);

// This machine's id in a shared folder (synMachineId): of /etc/machine-id,
// or the host name where that is missing, and the etc directory's real path.
std::string filMachineId(void);

// The last record file of machine strMachine in the shared folder open as
// fdDir that its key signed: its number (0 for none) and *pstrChain the
// chain it left. What anyone else put there, under any number, is passed
// over.
long long filLastSigned(int fdDir, const std::string& strMachine, const std::string& strPublic, std::string* pstrChain);

// A sheet's name: the registration, the date and the time it was printed
// ("G-ABCD 2026-12-07 1435"), fit to be a file name.
std::string filSheetName(const std::string& strRegistration, time_t tPrinted);

// Files a sheet's PDF, whole and on the disk, as "<strName>.pdf" in the
// folder (made where there is none; in a shared folder strName with the
// machine's id and a random part, synSheetName), or "<strName> (2).pdf" and
// so on where that is taken, and sets *pstrFiled to the name it has (empty where none).
// A copy of nothing (a sheet that could not be made) is not filed. Returns
// why it was not, as the pilot is told it (and logged), or empty.
std::string filFileCopy(std::string_view pdf, const std::string& strName, std::string* pstrFiled);

// Appends a sheet's content line (as recLine writes it) to the record, with
// the name its copy was filed under and the SHA-256 of filedPdf, the bytes
// filed under it (none where strFiled is empty), and its acceptances
// (recAcceptedJson, "" for none). In a shared folder the line is a file
// of its own (synRecordName), written whole and never changed after, placed
// as the next of this machine's and chained to its last. Returns why it
// could not, or empty.
std::string filRecordLine(const std::string& strLine, const std::string& strFiled, std::string_view filedPdf,
                          const std::string& strAccepted = "");

// Removes what a sheet cut short while it was filed (a crash, a kill) left
// in the folder, and logs it and tells the pilot. Called once at start.
void filClearTemporaries(void);

// The folder "Print to File" offers: the user's documents folder where it
// is theirs alone, else home; *pstrWhy says why not the documents folder
// where either is not the pilot's own, else it is emptied.
std::string filDocumentsFolder(std::string* pstrWhy);

// The first of a sheet's names, without ".pdf", under which nothing (not
// even a link) is in strDir: strName, else "<strName> (2)" and so on.
std::string filFreeName(const std::string& strDir, const std::string& strName);

// Where a PDF goes as cairo writes it: every write checked, through the
// store's file operations, as cairo 1.16 lets one that fails late pass.
// nErr is the first failure's errno (ENOSPC for a write of nothing).
struct _filSink {
    int fd;
    int nErr;
};
cairo_status_t filWriteToFd(void* pClosure, const unsigned char* pData, unsigned int nLength);
