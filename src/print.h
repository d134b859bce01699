// The load sheet: one page that an operator files for each flight, printed
// or saved as PDF through GTK's print dialog. It reads the state the pages
// show and draws the chart with the chart's own renderer; it changes no
// value and no file but the one it prints to.
#pragma once

#include <gtk/gtk.h>

#include <ctime>
#include <string>

// What the sheet carries besides the aircraft and its loading.
struct _prnSheet {
    std::string strPilot;
    std::string strReference; // the flight's
};

// Draws the sheet on pCr, a page nWidth × nHeight points large, for the
// current aircraft and loading, printed at tPrinted.
void prnDrawLoadSheet(cairo_t* pCr, double nWidth, double nHeight, const _prnSheet& sheet, time_t tPrinted);

// Prints the load sheet: GTK's print dialog, with a tab that asks for the
// pilot and the flight reference ("Print to File" gives a PDF). With
// pszExportFile the sheet goes to that PDF file without a dialog, with
// *pSheet's pilot and reference. A failure is logged, and told to the pilot
// where there is a dialog. Returns whether the sheet was printed or saved.
bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _prnSheet* pSheet);
