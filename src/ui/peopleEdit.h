// The dialog that edits the saved people in one table: each one's name,
// weight (in the pilot's unit) and role, people added, and whom to remove;
// saved all at once.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

// Runs the dialog over pwinParent. Returns each name that was changed, old
// and new, once the list was saved; none where it was not.
std::vector<std::pair<std::string, std::string>> pedEditPeople(GtkWindow* pwinParent);
