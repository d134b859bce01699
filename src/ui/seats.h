// Who sits in the seats, on the loading page: beside each seat a name,
// chosen from the saved people or typed, which fills the seat's weight as
// if typed; the offer to save a new name with the seat's weight; which seat
// the commander sits in; and a small dialog to edit the saved people. Every
// object is optional: a window without them runs as before.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Reads the saved people and binds the page's optional objects
// ("LeftSeatPerson", "RightSeatPerson", "LeftSeatSave", "RightSeatSave",
// "CommanderSeat", "EditPeople"), where Zarv.ui has them.
void seatInit(GtkBuilder* pBuilder);

// What a seat's person says beside the weight now in it: "" where nobody
// saved sits there or the saved weight is the seat's, else "saved 62.0 kg".
std::string seatSavedMark(const std::string& strName, double nSeatKg);
