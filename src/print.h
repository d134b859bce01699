// The load sheet: one page that an operator files for each flight, printed
// or saved as PDF through GTK's print dialog. It reads the state the pages
// show and draws the chart with the chart's own renderer; it changes no
// value of Zarv.conf. Every sheet printed or saved is also kept as a PDF in
// "Load sheets" beside Zarv.conf, the operator's record.
#pragma once

#include <gtk/gtk.h>

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

// Draws the sheet on pCr, a page nWidth × nHeight points large, for the
// current aircraft and loading, printed at tPrinted. Whatever the pilot
// typed, every text stays inside the margins and the sheet is one page.
void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, time_t tPrinted);

// A sheet's name: the registration, the date and the time it was printed
// ("G-ABCD 2026-12-07 1435"), fit to be a file name.
std::string prnSheetName(const std::string& strRegistration, time_t tPrinted);

// Prints the load sheet: GTK's print dialog, with a tab that asks for the
// people and the flight; "Print to File" offers the user's documents folder
// and the sheet's name (pSettings, where given, are what the dialog starts
// from instead). With pszExportFile the sheet goes to that PDF file without
// a dialog. pSheet, where given, is what the sheet carries. A failure is
// logged, and told to the pilot where there is a dialog. Returns whether the
// sheet was printed or saved; then its copy is filed, and a failure to file
// it is logged and told to the filing listener, never stopping the print.
bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet,
                       GtkPrintSettings* pSettings = nullptr);

// The function told when a sheet was printed but its copy could not be
// filed, with the reason; the window shows it.
void prnSetFilingListener(void (*pfuncListener)(const char* pszError));

// Where the copies are filed: "<etc dir>/Load sheets".
std::string prnSheetsFolder(void);
