// Helpers shared by the test binaries: temporary directories, files, and
// driving GTK under Xvfb.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace zt
{

// A temporary directory, removed with everything in it when it goes.
class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const
    {
        return m_strPath;
    }
    std::string operator/(const std::string& strName) const
    {
        return m_strPath + "/" + strName;
    }

  private:
    std::string m_strPath;
};

std::string readFile(const std::string& strPath);
void writeFile(const std::string& strPath, const std::string& strText);
bool exists(const std::string& strPath);
// The names in a directory, sorted.
std::vector<std::string> listDir(const std::string& strPath);

// The messages of a Zarv.log, one a entry, without their time stamps: the
// first line of each entry.
std::vector<std::string> logMessages(const std::string& strLog);

// Whether the log holds strMessage as one whole entry, laid out by the log's
// own formatter under the time stamp the log gave it (so the indent of its
// further lines is as wide as that stamp, whatever the month's name).
bool logHasEntry(const std::string& strLog, const std::string& strMessage);

// Regular expressions in Perl's syntax, through GLib (std::regex costs each
// test file seconds to compile), over the bytes as they are; "\\1" names a
// group in a replacement. A pattern that does not compile fails the test.
// The first match of strPattern in str and its groups (the whole match
// first), or nothing where there is none.
std::vector<std::string> reSearch(const std::string& str, const std::string& strPattern);
// Every match, each with its groups, in order.
std::vector<std::vector<std::string>> reSearchAll(const std::string& str, const std::string& strPattern);
// Whether strPattern matches the whole of str.
bool reMatch(const std::string& str, const std::string& strPattern);
// str with every match replaced.
std::string reReplace(const std::string& str, const std::string& strPattern, const std::string& strWith);
// Words with every figure's decimal point in the locale's decimal mark.
std::string inLocale(const std::string& strWords);

// The Zarv.ui of the source tree.
std::string uiPath();

// Runs body as a user without privileges, where what it checks depends on
// permissions (root writes anywhere): as the user running the tests, or,
// for root, as nobody in a child process that owns strDir meanwhile. A
// failure in the child fails the test.
void asUnprivileged(const std::string& strDir, const std::function<void()>& body);

// Whether GTK has a display (set by the test binary's main).
bool haveDisplay();

// Runs the main loop until bDone() holds or nMillis have passed; whether it
// holds. For a wait that may end either way.
bool spinUntil(const std::function<bool()>& bDone, int nMillis = 3000);

// Waits as spinUntil does for what a test relies on: when the time runs out
// the test fails there, saying what never came, instead of going on to
// report a wrong value later.
bool waitUntil(const std::function<bool()>& bDone, const std::string& strWhat, int nMillis = 10000);

// Handles every event that is pending now (the toolkit's reaction to a
// click or a key), without waiting for more.
void spin(void);

// Shows a window (not its children) and waits until it is mapped and holds the keyboard focus.
bool presentAndFocus(GtkWidget* pwinMain);

// Sends a key press (and release) to the focused widget of the window, as
// the keyboard would.
void sendKey(GtkWidget* pwinMain, guint nKeyval, GdkModifierType nState = GdkModifierType(0));

// The dialog Zarv has on the screen now (the last one mapped), or none.
GtkWidget* shownDialog(void);

// The widget of that name (gtk_widget_get_name: its class's where
// unnamed) in pwgt or under it, the first found; null where none is.
GtkWidget* named(GtkWidget* pwgt, const char* pszName);

} // namespace zt

// Skips (or, where a display is required, fails) a test that needs one.
#define ZT_NEED_DISPLAY()                                                                                              \
    do {                                                                                                               \
        if (!zt::haveDisplay()) {                                                                                      \
            if (g_getenv("ZARV_REQUIRE_DISPLAY"))                                                                      \
                FAIL() << "no display";                                                                                \
            GTEST_SKIP() << "no display";                                                                              \
        }                                                                                                              \
    } while (0)
