// The setup page: the basic weight and arms, the ballast weight and arms,
// the three unit choices and the fleet, bound from Zarv.ui.
#pragma once

#include "ui/misc.h"

#include <gtk/gtk.h>

#include <span>

// The objects the page takes from Zarv.ui, in the order the window checks
// them.
std::span<const _mscBinding> psetBindings(void);

// The page's walk with Up, Down and Return, ended by a row without a widget.
std::span<const _wgtLUT> psetWalk(void);

// Binds the page: its widgets, handlers and navigation.
void psetInit(GtkBuilder* pBuilder);

// Show the record in the fields, the unit labels and the unit buttons.
// They store nothing.
void psetUpdateInputDisplay(void);
void psetUpdateUnitLabels(void);
void psetUpdateUnitButtons(void);
