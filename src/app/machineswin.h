// The school's machines in the window, at the office: the menu's
// "Machines…" shows the machines asking to join through the shared folder
// of sheets and those enrolled, enrols one by its key's whole digest as its
// pilot reads it out, and revokes one once asked to confirm.
#pragma once

#include <gtk/gtk.h>

// "Machines…": the dialog over pwinMain (one at a time). Each change
// publishes the list where the school last published its aircraft, as
// "zarv --enrol" does. Without a shared folder of sheets it says how to set
// one.
void wbShowMachines(GtkWindow* pwinMain);
