// The window's actions ("app.print", "app.publish", "app.school",
// "app.machines", "app.quit", "app.shortcuts", "app.help", "app.about",
// "app.menu") from one table, which also gives their shortcuts, the primary
// menu and the window's lines in the shortcuts window.
#pragma once

#include "ui/print.h"

#include <gtk/gtk.h>

// Connects the window's actions and their shortcuts: Ctrl+P prints the load
// sheet; Ctrl+Q and Ctrl+W close the window as the window manager's close
// does, and a close first commits the field being edited (the focus leaves
// it, as when the pilot moves on); Ctrl+? shows the shortcuts, F1 the help,
// F10 the menu. Where this start holds its directory's name on the session
// bus, the window is also the application's.
void wbConnectWindow(GtkWidget* pwinMain);

// Gives the primary menu button, where the definition has one, the menu of
// the window's actions. wbInitPages calls it.
void wbBuildMenu(GtkBuilder* pBuilder);

// Prints the load sheet as Ctrl+P and the page's button do: the field being
// edited is committed first, and no field is left while the dialog is open,
// so printing stores nothing. pszExportFile and pSheet as for
// prnPrintLoadSheet.
bool wbPrintLoadSheet(GtkWindow* pwinMain, const char* pszExportFile, const _shtPeople* pSheet);
