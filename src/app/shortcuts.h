// The keyboard shortcuts window: the window's own shortcuts as its actions
// give them, the walk through the fields, and each page's underlined
// letters as the pages show them.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// One line of the shortcuts window: its keys (several apart by spaces) and
// what they do.
struct _wbShortcut {
    std::string strAccel;
    const char* pszTitle;
};

// Shows the shortcuts window for pwinMain, made the first time it is asked
// for: the window's shortcuts (windowKeys, in their order), then the fields'
// and each page's.
void wbShowShortcuts(GtkWindow* pwinMain, const std::vector<_wbShortcut>& windowKeys);
