// Finding the first window from a second start where the lock file is all
// they share: the window's X id noted in the claim, and the window raised
// from it.
#pragma once

#include <gtk/gtk.h>

#include <string>

// The id by which another start finds this window (its X window), empty
// where there is none to give (another display system).
std::string wbWindowNote(GtkWidget* pwinMain);

// Brings the window another start noted to the front, with the keyboard
// focus, when it is a window of nHolderPid, the process holding the lock.
// False when it could not (no X display, no such window, another's window).
bool wbRaiseNotedWindow(const std::string& strNote, long nHolderPid);
