// The setup page's list of the aircraft's removable items (doors, dual
// controls, a cargo hook), where Zarv.ui has the box "EquipmentItems": a row
// for each item with its name, its weight and arms in the pilot's units and
// whether it was fitted when the aircraft was weighed, a button to remove
// it, and one to add an item. Every change the pilot makes is stored as the
// aircraft's whole new list, asked about first for an aircraft under change
// control, and every page is told.
#pragma once

#include "ui/misc.h"

#include <gtk/gtk.h>

#include <string>

// Binds the box (null where Zarv.ui lacks it). The list's two places in the
// page's walk, its first field and its last, are ilstWalkFirst and
// ilstWalkLast: null while it has no row.
void ilstBind(GtkBuilder* pBuilder);
GtkWidget** ilstWalkFirst(void);
GtkWidget** ilstWalkLast(void);

// Connects the list to the page's walk once that is built.
void ilstConnect(_wgtLUT* pPageLUT);

// A line of the history that amends an item ("Equipment 2/Weight", its old
// and new value as Zarv.conf holds them) as the page says it, in the
// pilot's units ("Item 2 weight 5.4 kgs → 6.0 kgs"); "" for another figure.
std::string ilstHistoryText(const std::string& strFigure, const std::string& strOld, const std::string& strNew);

// Shows the current aircraft's items in the pilot's units. bAnew: the
// aircraft was switched or Zarv.conf read again, and an item being added
// and not yet kept is dropped.
void ilstShow(bool bAnew);
