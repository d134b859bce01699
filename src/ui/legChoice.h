// The loading page's legs, where Zarv.ui has their objects: which leg the
// page shows ("LegChoice"), a leg added as the last one lands ("AddLeg") or
// with a passenger out ("PassengerOut"), the leg shown removed
// ("RemoveLeg"), and a later leg's fuel as the leg before landed
// ("FuelAsLanded"). Every object is optional: a window without them flies
// one leg, as before.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Binds the objects Zarv.ui has and is told of every change from then on.
void lchInit(GtkBuilder* pBuilder);

// Leg nLeg (from 0) by who flies it: "Leg 1: Anna and Ben", "Leg 2: Ben
// solo", from the names of the seats taken, left seat first. Where a seat
// taken has no name (names holds "" for it) or none is taken, the leg's own
// label (strLabel) as it always was: "Leg 2 (solo)".
std::string lchLegName(size_t nLeg, const std::vector<std::string>& names, const std::string& strLabel);
