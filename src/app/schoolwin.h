// The school in the window: the aircraft it published, taken in while Zarv
// runs from the folder Zarv.conf names, and the menu's "Publish aircraft…"
// and "School…". Without "[School]" keys in Zarv.conf nothing here does
// anything until the pilot asks.
#pragma once

#include <gtk/gtk.h>

// Takes in what the school published where Zarv.conf's "[School]
// Published" names a folder, and from then on watches that folder: a burst
// of changes in it is taken in once it settles, and where that changed the
// fleet, pfuncShowAnew is told to show the pages anew. A folder no longer
// named is no longer watched, and nothing once pwinMain goes. Whether
// anything was taken in now.
bool wbFollowSchool(GtkWidget* pwinMain, void (*pfuncShowAnew)(void));

// "Publish aircraft…": asks for the folder (from "[School] PublishTo",
// which keeps the one chosen), publishes the fleet there and shows what
// became of each aircraft; what could not be published goes to the red bar
// too. pszDir, for tests, is the folder, not asked for.
void wbPublishAircraft(GtkWindow* pwinMain, const char* pszDir = nullptr);

// "School…": the pilot chooses the school's published folder and is shown
// the id of the key it holds, to compare with the one the school gives;
// Accept keeps the folder, the key, the shared sheets folder and the
// school's name, takes in at once and watches the folder.
void wbChooseSchool(GtkWindow* pwinMain);
