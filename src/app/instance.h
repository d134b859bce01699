// One window per etc directory, found the desktop's way: each start asks for
// a name on the user's session bus derived from its etc directory; the first
// holds it, and a second start asks the first to bring its window forward
// (on X11 and Wayland alike, carrying the launch's startup id so that the
// desktop's launch feedback ends) instead of opening a window of its own.
// Without a session bus the lock file alone keeps the one window.
#pragma once

#include <gtk/gtk.h>

#include <string>

// How a start stands to other windows on its etc directory.
enum _wbInstance {
    WB_INSTANCE_FIRST,      // this start holds the directory's name
    WB_INSTANCE_ASKED,      // the window that holds it was asked forward
    WB_INSTANCE_UNANSWERED, // it holds the name but never answered
    WB_INSTANCE_NO_BUS,     // no session bus, or a holder that ended while
                            // asked: only the lock file decides
};

// The bus name for an etc directory: the application's id with a hash of the
// directory's resolved path, so every way of naming one directory gives one
// name and different directories different names.
std::string wbInstanceName(const std::string& strEtcDir);

// The launch's startup id (DESKTOP_STARTUP_ID, or the Wayland activation
// token), read before the toolkit starts and takes it from the environment.
std::string wbLaunchId(void);

// Connects to the session bus, before the toolkit starts, for two seconds at
// most: a bus that does not answer is taken as none, and the toolkit's
// accessibility bridge, which would wait for it without a limit, is not
// started for this run.
void wbConnectSessionBus(void);

// Asks for the etc directory's name; where another start holds it, asks that
// one to present its window, passing strLaunchId along, and waits for its
// answer. A session bus that did not answer wbConnectSessionBus is logged
// here and taken as none.
_wbInstance wbRegisterInstance(const std::string& strLaunchId);

// Gives the etc directory's name back to the bus, for a start that holds it
// but shows no window (the lock file found another holder): a later start
// must not be told that this one presented its window.
void wbReleaseInstance(void);

// The application that holds the etc directory's name on the session bus,
// registered there, for the window's actions and shortcuts to live on; null
// where this start holds no name (no bus, a bus that did not answer, or a
// name given back), as an application that is not registered takes no
// window.
GtkApplication* wbRegisteredApp(void);

// Shows the main window the first time: from the registered application's
// "activate", as a desktop application's first window is, or directly where
// there is no registered application.
void wbShowFirstWindow(GtkWindow* pwinMain);

// The window the first start presents when another start asks for it: until
// it is given, a request finds nothing to present.
void wbPresentOnRequest(GtkWindow* pwinMain);
