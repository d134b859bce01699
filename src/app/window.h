// The window: the check of Zarv.ui against what the pages take from it, what
// assistive technology is told, and the one order in which the pages come
// up. Above the pages, below main.
#pragma once

#include "ui/misc.h"

#include <gtk/gtk.h>

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

// Opens the window as large as the definition asks, but no larger than the
// screen's work area, and lets the chart shrink so that the window fits a
// small screen (1024 x 600). wbInitPages calls it, once the pages are full.
void wbFitScreen(GtkBuilder* pBuilder);

// Gives every builder object that has an id that id as its accessible id, and
// every field labelled by a mnemonic caption an accessible name.
void wbExposeAccessibility(GtkBuilder* pBuilder);

// wbExposeAccessibility once the window's first frame is drawn: assistive
// technology reads the window once it is up, and the pilot sees it sooner.
void wbExposeAccessibilityLater(GtkBuilder* pBuilder);
