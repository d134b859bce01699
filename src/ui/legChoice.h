// The loading page's legs, where Zarv.ui has their objects: which leg the
// page shows ("LegChoice"), a leg added as the last one lands ("AddLeg") or
// with a passenger out ("PassengerOut"), the leg shown removed
// ("RemoveLeg"), and a later leg's fuel as the leg before landed
// ("FuelAsLanded"). Every object is optional: a window without them flies
// one leg, as before.
#pragma once

#include <gtk/gtk.h>

// Binds the objects Zarv.ui has and is told of every change from then on.
void lchInit(GtkBuilder* pBuilder);
