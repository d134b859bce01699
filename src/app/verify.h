// The check of the calculation an operator runs at intervals: reference
// loadings, shipped with Zarv and the operator's own, run through the very
// calculation and judgement the pages use, each twice, with a dated report
// kept in "Verification" beside Zarv.conf.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Exit statuses of zarv --verify: every case passed, a case failed, a file
// of cases could not be read (or the report not written).
constexpr int VFY_EXIT_PASSED = 0, VFY_EXIT_FAILED = 1, VFY_EXIT_UNREADABLE = 2;

// zarv --verify [ETC_DIR]: runs the shipped cases, then the etc directory's
// own "Verification/Cases" where there is one, prints a line per case and
// writes the report; returns the exit status. With pszEtcDir null, the etc
// directory of the working directory. Opens no window and reads and writes
// nothing of Zarv.conf.
int vfyRunCommandLine(const char* pszEtcDir);

// The shipped cases, found beside the program as installed or built:
// "<program's folder>/../share/zarv/reference-cases", or where the install
// puts the data for a program in libexec; the last place where neither
// holds them. *pLooked, where given, is every place looked, in order.
std::string vfyShippedCases(std::vector<std::string>* pLooked = nullptr);

// The loading page's optional label of the last check and its button
// "CheckCalculation", which runs the check in the window and writes its
// report; nothing where Zarv.ui has neither.
void vfyInitWindow(GtkBuilder* pBuilder);
