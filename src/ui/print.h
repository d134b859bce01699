// The load sheet: one page that an operator files for each flight, printed
// or saved as PDF through GTK's print dialog. It reads the state the pages
// show and draws the chart with the chart's own renderer; it changes no
// value of Zarv.conf. Every sheet printed or saved is also kept as a PDF in
// "Load sheets" beside Zarv.conf, the operator's record.
#pragma once

#include <gtk/gtk.h>

#include "model/calc.h"
#include <ctime>
#include <string>

// What the sheet carries besides the aircraft and its loading: the people
// and the flight. An empty preparer is the pilot in command.
struct _prnSheet {
    std::string strPilot;
    std::string strReference; // the flight's
    std::string strPreparer;
    std::string strLeftOccupant, strRightOccupant;
};

// Draws the sheet of a judged flight on pCr, a page nWidth × nHeight points
// large, for the current aircraft, printed at tPrinted. Whatever the pilot
// typed, every text stays inside the margins and the sheet is one page.
void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, const _wbFlight& flight,
                      time_t tPrinted);

// A sheet's name: the registration, the date and the time it was printed
// ("G-ABCD 2026-12-07 1435"), fit to be a file name.
std::string prnSheetName(const std::string& strRegistration, time_t tPrinted);

// Prints the load sheet: GTK's print dialog, with a tab that asks for the
// people and the flight; "Print to File" offers the user's documents folder
// (else home) and the sheet's name. With pszExportFile the sheet goes to
// that PDF file without a dialog. pSheet, where given, is what the sheet
// carries. A failure is logged, and told to the pilot where there is a
// dialog; the flight's reference and occupants are kept for the next try.
// Returns whether the sheet was printed or saved; then its copy is filed,
// whole or not at all, and the filing listener told how that went, never
// stopping the print.
bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet);

// The function told, after each sheet printed, why its copy could not be
// filed, or nullptr when it was; the window shows it.
void prnSetFilingListener(void (*pfuncListener)(const char* pszError));

// Where the copies are filed: "<etc dir>/Load sheets", a folder only its
// owner may read, each sheet likewise; a link there is never followed.
std::string prnSheetsFolder(void);

// Removes what a sheet cut short while it was filed (a crash, a kill) left
// in the folder, and logs it. Called once at start.
void prnClearTemporaries(void);

// When a sheet was drawn, with its zone: "2026-12-08 05:04 UTC" where the
// clock is at UTC, else "2026-12-08 06:04 +01:00".
std::string prnPrintedText(time_t tPrinted);

// Text as the sheet sets it: no line breaks between a figure and its unit
// ("31.50 in", "10.5 US gal"), the spaces there made no-break ones.
std::string prnBindUnits(const std::string& strText);

// Where a PDF goes as cairo writes it: every write checked, through the
// store's file operations, as cairo 1.16 lets one that fails late pass.
// nErr is the first failure's errno (ENOSPC for a write of nothing).
struct _prnSink {
    int fd;
    int nErr;
};
cairo_status_t prnWriteToFd(void* pClosure, const unsigned char* pData, unsigned int nLength);
