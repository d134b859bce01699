// Printing the load sheet: GTK's print dialog, with a tab that asks for the
// people and the flight, and the print settings kept for the next sheet.
// After a sheet is printed or saved, its copy is filed with its line in the
// record (store/record/filing); it changes no value of Zarv.conf but the pilot and
// the preparer it offers again.
#pragma once

#include "ui/sheet.h"

#include <gtk/gtk.h>

// Prints the load sheet: GTK's print dialog, with a tab that asks for the
// people and the flight; "Print to File" offers the user's documents folder
// (else home) and the sheet's name. With pszExportFile the sheet goes to
// that PDF file without a dialog. pPeople, where given, is what the sheet
// carries. A failure is logged, and told to the pilot where there is a
// dialog; the flight's reference and occupants are kept for the next try.
// Returns whether the sheet was printed or saved; then its copy is filed,
// whole or not at all, and the filing listener told how that went, never
// stopping the print.
bool prnPrintLoadSheet(GtkWindow* pwinParent, const char* pszExportFile, const _shtPeople* pPeople);

// The function told, after each sheet printed, why its copy could not be
// filed, or nullptr when it was; the window shows it.
void prnSetFilingListener(void (*pfuncListener)(const char* pszError));
