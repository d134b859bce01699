// The window: the check of Zarv.ui against what the pages take from it, what
// assistive technology is told, and the one order in which the pages come
// up. Above the pages, below main.
#pragma once

#include "ui/misc.h"
#include "ui/print.h"

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Every object the program takes from Zarv.ui, with the class it needs: the
// window, then the loading page's 43 and the setup page's 21, each page's
// from its own binding table.
std::vector<_mscBinding> wbDefinition(void);

// Checks that the loaded definition holds every object the program looks
// up, each of its class. Returns the first id that is missing or of another
// class, or null when all are there.
const char* wbCheckDefinition(GtkBuilder* pBuilder);

// Loads Zarv.conf and brings both pages up from it, in the one order that
// works: the configuration before any page reads a value, both pages bound
// before any widget is filled, the loading values before the setup record.
// Showing the values stores nothing. The left-seat field then has the focus,
// so the pilot can type at once. From then on a save that fails shows a bar
// across the top of the window until the next one succeeds.
void wbInitPages(GtkBuilder* pBuilder);

// What the window does beyond its pages: the application's actions
// ("app.print", "app.quit", "app.shortcuts", "app.help", "app.about",
// "app.menu") and their shortcuts. Ctrl+P prints the load sheet; Ctrl+Q and
// Ctrl+W close the window as the window manager's close does, and a close
// first commits the field being edited (the focus leaves it, as when the
// pilot moves on); Ctrl+? shows the shortcuts, F1 the help, F10 the menu.
void wbConnectWindow(GtkWidget* pwinMain);

// The keyboard shortcuts window: the window's own shortcuts, the walk
// through the fields, and each page's underlined letters.
void wbShowShortcuts(GtkWindow* pwinMain);

// Opens the user guide (help:zarv) in the desktop's help viewer; where there
// is none, or it fails, the window says so and the log has the details.
void wbShowHelp(GtkWindow* pwinMain);

// About Zarv: its version, what it is, its website, copyright and licence,
// and where Zarv.conf and the load sheets are kept.
void wbShowAbout(GtkWindow* pwinMain);

// Shows a notice across the top of the window until the pilot closes it,
// where the definition has the bar for it. A notice of a report (strFile)
// offers a button that opens it in the desktop's viewer.
void wbShowNotice(const char* pszText, const std::string& strFile = {});

// Opens the window as large as the definition asks, but no larger than the
// screen's work area, and lets the chart shrink so that the window fits a
// small screen (1024 x 600). wbInitPages calls it, once the pages are full.
void wbFitScreen(GtkBuilder* pBuilder);

// The id by which another start finds this window (its X window), empty
// where there is none to give (another display system).
std::string wbWindowNote(GtkWidget* pwinMain);

// Brings the window another start noted to the front, with the keyboard
// focus, when it is a window of nHolderPid, the process holding the lock.
// False when it could not (no X display, no such window, another's window).
bool wbRaiseNotedWindow(const std::string& strNote, long nHolderPid);

// Shows a warning across the top of the window for the rest of the run: a
// failed save shows over it, and the next successful one brings it back.
void wbShowStandingWarning(const char* pszText);

// Tells the user something in a message dialog of its own, where there is no
// main window to show it in, and waits until it is closed.
void wbTellAndWait(const char* pszText, const char* pszDetail);

// Whether the theme draws dark windows (its background colour is dark).
bool wbThemeIsDark(GtkWidget* pwgt);

// Under a dark theme, lays both pages on white paper with black text, so the
// result table's and the chart's colours read as under a light theme; under
// a light theme it changes nothing. wbInitPages calls it.
void wbDressForTheme(GtkBuilder* pBuilder);

// Prints the load sheet as Ctrl+P and the page's button do: the field being
// edited is committed first, and no field is left while the dialog is open,
// so printing stores nothing. pszExportFile and pSheet as for
// prnPrintLoadSheet.
bool wbPrintLoadSheet(GtkWindow* pwinMain, const char* pszExportFile, const _shtPeople* pSheet);

// Gives every builder object that has an id that id as its accessible id, and
// every field labelled by a mnemonic caption an accessible name.
void wbExposeAccessibility(GtkBuilder* pBuilder);
