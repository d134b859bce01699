// The loading page's checks of the aircraft's removable items, where
// Zarv.ui has the box "EquipmentFitted": one for each item, named, active
// while the item is fitted for the flight, its name marked where that
// differs from the weighing. Toggling one keeps it for the flight, and
// every page is told. The box is hidden while the aircraft has no items.
#pragma once

#include "ui/misc.h"

#include <gtk/gtk.h>

// Binds the box (null where Zarv.ui lacks it). The checks' two places in
// the page's walk are ichkWalkFirst and ichkWalkLast: null while there are
// none.
void ichkBind(GtkBuilder* pBuilder);
GtkWidget** ichkWalkFirst(void);
GtkWidget** ichkWalkLast(void);

// Connects the checks to the page's walk once that is built.
void ichkConnect(_wgtLUT* pPageLUT);

// Shows which items are fitted for the flight Zarv holds.
void ichkShow(void);
