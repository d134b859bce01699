// The questions Zarv asks before the weighing record of an aircraft
// changes: why (with the change in large type, so that a value typed by
// mistake is seen before it is taken), or that a value is refused.
#pragma once

#include <gtk/gtk.h>

#include <optional>
#include <string>

// Each question is modal: it returns when answered.

// Asks, over the window of pwgtFrom, why the record changes, saying what
// changes (strChange, "" for nothing in large type) and what else there is
// to say: the reason, or nothing when the pilot cancels or gives none.
std::optional<std::string> amdAskReason(GtkWidget* pwgtFrom, const char* pszQuestion, const std::string& strChange,
                                        const std::string& strWhat);

// Says that the record is not amended: the change, and why it is refused.
void amdRefuse(GtkWidget* pwgtFrom, const std::string& strChange, const std::string& strRefused);

// A change as the question says it: the caption, old → new, each on one
// line ("(none)" for nothing).
std::string amdChange(const std::string& strCaption, const std::string& strOld, const std::string& strNew);

// Whose record it is, and that the change is kept.
std::string amdWhose(void);
