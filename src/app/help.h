// What the window says of Zarv itself: the user guide and About Zarv.
#pragma once

#include <gtk/gtk.h>

// Opens the user guide (help:zarv) in the desktop's help viewer; where there
// is none, or it fails, the window says so and the log has the details.
void wbShowHelp(GtkWindow* pwinMain);

// About Zarv: its version, what it is, its website, copyright and licence,
// and where Zarv.conf and the load sheets are kept.
void wbShowAbout(GtkWindow* pwinMain);
