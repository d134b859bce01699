// The application shell's shared state: the etc directory and the paths of
// the files that live in it.
#pragma once

#include <gtk/gtk.h>

#include <span>
#include <string>

// Path of the etc directory. m_pszEtcDir points into m_szEtcDir, which grows
// to whatever length the path has: a path is never cut.
extern std::string m_szEtcDir;
extern const gchar* m_pszEtcDir;

// Derives the etc directory from the current working directory.
void wbLocateEtcDir(void);

// The rule behind wbLocateEtcDir, for a given working directory.
std::string wbEtcDirFor(const std::string& strCwd);

// Sets the etc directory (start-up, and tests that work in a directory of
// their own).
void wbSetEtcDir(const std::string& strDir);

// "<etc dir>/<name>", at full length.
std::string wbFileSpec(const char* pszName);

// One object the program looks up in Zarv.ui, and the class it needs.
struct _wbDefinedObject {
    const char* pszId;
    GType (*pfuncType)(void);
};

// The 65 objects of Zarv.ui: the window, the loading page's 43 and the
// setup page's 21.
std::span<const _wbDefinedObject> wbDefinition(void);

// Checks that the loaded definition holds every object the program looks
// up, each of its class. Returns the first id that is missing or of another
// class, or null when all are there.
const char* wbCheckDefinition(GtkBuilder* pBuilder);

// Loads Zarv.conf and brings both pages up from it, in the one order that
// works: the configuration before any page reads a value, both pages bound
// before any widget is filled, the loading values before the setup record.
void wbInitPages(GtkBuilder* pBuilder);

// Gives every builder object that has an id that id as its accessible id, and
// every field labelled by a mnemonic caption an accessible name.
void wbExposeAccessibility(GtkBuilder* pBuilder);
