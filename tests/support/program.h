// The built program run as a process, and closed as a user closes it.
#pragma once

#include "support.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace zt
{

// A tree as the program is installed to run: bin/ and etc/ side by side,
// etc/ holding the real Zarv.ui.
class Tree : public testing::Test
{
  protected:
    void SetUp() override;
    // A path below the tree.
    std::string path(const char* pszSub) const
    {
        return m_dir / pszSub;
    }
    std::string log() const
    {
        return readFile(path("etc/Zarv.log"));
    }
    std::string conf() const
    {
        return readFile(path("etc/Zarv.conf"));
    }
    TempDir m_dir;
};

class Program
{
  public:
    // Starts ZARV_EXE with the working directory strCwd, and with this
    // process's environment plus pszVar ("NAME=value") where given.
    explicit Program(const std::string& strCwd, const char* pszVar = nullptr);
    // Starts a command with its own environment, as user nUid (when we are
    // root and nUid differs from ours).
    Program(const std::vector<std::string>& args, const std::string& strCwd, const std::vector<std::string>& env,
            uid_t nUid, gid_t nGid);
    ~Program();

    // Waits for the top-level window to be mapped; 0 when it never is.
    unsigned long waitForWindow(int nMillis = 10000);
    // Asks the window to close (WM_DELETE_WINDOW), as a window manager does.
    bool close();
    // Waits for the exit status; -1 when the program is still running.
    int wait(int nMillis = 10000);
    // Everything the program wrote to standard error.
    std::string stderrText();

  private:
    GPid m_pid = 0;
    int m_fdErr = -1;
    int m_nStatus = -1;
    bool m_bExited = false;
};

// Runs ZARV_EXE on the command line in strCwd, without a display: its exit
// status (-1 where it did not end by itself), what it printed in *pstrOut,
// and on standard error in *pstrErr where given.
int runZarv(const std::vector<std::string>& args, const std::string& strCwd, std::string* pstrOut,
            std::string* pstrErr = nullptr);

} // namespace zt

namespace zt
{

// Driving the program as a user does, through the X server.
namespace x11
{

// Gives the window the keyboard focus (there is no window manager).
bool focusWindow(unsigned long nWin);

// Starts the program in strCwd and files a load sheet as a pilot does, to
// the file printer (the only one it is offered), until bFiled; then closes
// the window. What went wrong, or "".
std::string fileSheet(const std::string& strCwd, const std::function<bool()>& bFiled);
// Presses keys (xdotool key names, such as "Return" or "alt+s").
bool keys(const std::string& strKeys);
// Types text into the focused widget.
bool typeText(const std::string& strText);
// The text of the PRIMARY selection: an entry that takes the focus from the
// keyboard selects, and so offers, all of its text.
std::string primarySelection();
// The PRIMARY selection once it is strWant (the program handles the keys
// before it answers), or what it last was when it never becomes that.
std::string selectionOnceItIs(const std::string& strWant);

// A screenshot of the whole screen, as 0xRRGGBB values.
struct Image {
    int nWidth = 0, nHeight = 0;
    std::vector<unsigned> pixels;
    unsigned at(int x, int y) const
    {
        return pixels[static_cast<size_t>(y) * nWidth + x];
    }
};
Image screenshot();

// The chart's square on a screenshot: the box around the translucent red
// margin, which is red at 20 % over the white page. Size 0 when there is
// none.
struct Square {
    int x = -1, y = -1, nSize = 0;
};
Square findChart(const Image& img);

// The position and size of a top-level window on the screen.
struct Geometry {
    int x = 0, y = 0, nWidth = 0, nHeight = 0;
};
Geometry windowGeometry(unsigned long nWin);

} // namespace x11
} // namespace zt
