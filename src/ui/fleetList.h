// The setup page's list of the fleet's aircraft, with its Add and Remove
// buttons, where Zarv.ui has them: picking an aircraft switches to it,
// Add starts a new one, Remove deletes the current one after asking. Each
// change goes through the store, and every page is told.
#pragma once

#include "store/aircraft/fleet.h"
#include "ui/misc.h"

#include <gtk/gtk.h>

#include <string>

// Binds the list and its buttons (null where Zarv.ui lacks them). The
// list's place in the page's walk is flistWalkStop, filled here.
void flistBind(GtkBuilder* pBuilder);
GtkWidget** flistWalkStop(void);

// Connects the list and the buttons once the page's walk is built; a new
// aircraft's registration is typed into pwgtRegistration (null for none).
void flistConnect(_wgtLUT* pLUT, GtkWidget* pwgtRegistration);

// Shows the fleet as Zarv.conf holds it, the current aircraft chosen.
void flistShow(void);

// What the list shows for an aircraft: its registration on one line, or
// that it has none.
std::string flistLabel(const _fleetAircraft& a);
