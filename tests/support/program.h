// The built program run as a process, and closed as a user closes it.
#pragma once

#include <glib.h>

#include <string>
#include <sys/types.h>

namespace zt
{

class Program
{
  public:
    // Starts ZARV_EXE with the working directory strCwd.
    explicit Program(const std::string& strCwd);
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

} // namespace zt
