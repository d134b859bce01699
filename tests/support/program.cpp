// Running the program as a process under the test's X server.
#include "program.h"

#include <glib/gstdio.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zt
{

namespace
{

unsigned long findWindowOf(Display* pdpy, GPid pid)
{
    const Atom atomPid = XInternAtom(pdpy, "_NET_WM_PID", True);
    if (atomPid == None)
        return 0;
    Window root, parent, *pchildren = nullptr;
    unsigned int nChildren = 0;
    if (!XQueryTree(pdpy, DefaultRootWindow(pdpy), &root, &parent, &pchildren, &nChildren))
        return 0;
    unsigned long nFound = 0;
    for (unsigned int i = 0; i < nChildren && !nFound; i++) {
        Atom atomType;
        int nFormat;
        unsigned long nItems, nAfter;
        unsigned char* pData = nullptr;
        if (XGetWindowProperty(pdpy, pchildren[i], atomPid, 0, 1, False, XA_CARDINAL, &atomType, &nFormat, &nItems,
                               &nAfter, &pData) == Success &&
            pData && nItems == 1) {
            XWindowAttributes attr;
            if (*reinterpret_cast<unsigned long*>(pData) == static_cast<unsigned long>(pid) &&
                XGetWindowAttributes(pdpy, pchildren[i], &attr) && attr.map_state == IsViewable)
                nFound = pchildren[i];
        }
        if (pData)
            XFree(pData);
    }
    if (pchildren)
        XFree(pchildren);
    return nFound;
}

} // namespace

void Tree::SetUp()
{
    ZT_NEED_DISPLAY();
    g_mkdir(path("bin").c_str(), 0755);
    g_mkdir(path("etc").c_str(), 0755);
    writeFile(path("etc/Zarv.ui"), readFile(uiPath()));
}

Program::Program(const std::string& strCwd, const char* pszVar)
{
    gchar* argv[] = {const_cast<gchar*>(ZARV_EXE), nullptr};
    g_auto(GStrv) ppszEnv = g_get_environ();
    if (pszVar)
        ppszEnv =
            g_environ_setenv(ppszEnv, std::string(pszVar, strchr(pszVar, '=')).c_str(), strchr(pszVar, '=') + 1, TRUE);
    g_spawn_async_with_pipes(strCwd.c_str(), argv, ppszEnv, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &m_pid,
                             nullptr, nullptr, &m_fdErr, nullptr);
}

namespace
{

struct Identity {
    uid_t nUid;
    gid_t nGid;
};

void becomeUser(gpointer pData)
{
    const auto* pid = static_cast<const Identity*>(pData);
    if (geteuid() != 0 || pid->nUid == 0)
        return;
    if (setgroups(0, nullptr) != 0 || setgid(pid->nGid) != 0 || setuid(pid->nUid) != 0)
        _exit(127);
}

} // namespace

Program::Program(const std::vector<std::string>& args, const std::string& strCwd, const std::vector<std::string>& env,
                 uid_t nUid, gid_t nGid)
{
    std::vector<gchar*> argv, envp;
    for (const std::string& s : args)
        argv.push_back(const_cast<gchar*>(s.c_str()));
    argv.push_back(nullptr);
    for (const std::string& s : env)
        envp.push_back(const_cast<gchar*>(s.c_str()));
    envp.push_back(nullptr);
    Identity id{nUid, nGid};
    g_spawn_async_with_pipes(strCwd.c_str(), argv.data(), envp.data(),
                             GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH), becomeUser, &id, &m_pid,
                             nullptr, nullptr, &m_fdErr, nullptr);
}

Program::~Program()
{
    if (m_pid && !m_bExited) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_fdErr >= 0)
        ::close(m_fdErr);
}

unsigned long Program::waitForWindow(int nMillis)
{
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return 0;
    unsigned long nWin = 0;
    const gint64 tEnd = g_get_monotonic_time() + gint64(nMillis) * 1000;
    while (!(nWin = findWindowOf(pdpy, m_pid)) && g_get_monotonic_time() < tEnd && wait(0) == -1)
        g_usleep(20000);
    XCloseDisplay(pdpy);
    return nWin;
}

bool Program::close()
{
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return false;
    const unsigned long nWin = findWindowOf(pdpy, m_pid);
    if (nWin) {
        XEvent evt{};
        evt.xclient.type = ClientMessage;
        evt.xclient.window = nWin;
        evt.xclient.message_type = XInternAtom(pdpy, "WM_PROTOCOLS", False);
        evt.xclient.format = 32;
        evt.xclient.data.l[0] = static_cast<long>(XInternAtom(pdpy, "WM_DELETE_WINDOW", False));
        evt.xclient.data.l[1] = CurrentTime;
        XSendEvent(pdpy, nWin, False, NoEventMask, &evt);
        XFlush(pdpy);
    }
    XCloseDisplay(pdpy);
    return nWin != 0;
}

int Program::wait(int nMillis)
{
    if (m_bExited)
        return m_nStatus;
    const gint64 tEnd = g_get_monotonic_time() + gint64(nMillis) * 1000;
    do {
        int nStatus = 0;
        if (waitpid(m_pid, &nStatus, WNOHANG) == m_pid) {
            m_bExited = true;
            m_nStatus = WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
            return m_nStatus;
        }
        if (nMillis > 0)
            g_usleep(10000);
    } while (g_get_monotonic_time() < tEnd);
    return -1;
}

int runZarv(const std::vector<std::string>& args, const std::string& strCwd, std::string* pstrOut, std::string* pstrErr)
{
    std::vector<gchar*> argv = {const_cast<gchar*>(ZARV_EXE)};
    for (const std::string& str : args)
        argv.push_back(const_cast<gchar*>(str.c_str()));
    argv.push_back(nullptr);
    g_auto(GStrv) ppszEnv = g_environ_unsetenv(g_get_environ(), "DISPLAY");
    g_autofree gchar* pszOut = nullptr;
    g_autofree gchar* pszErr = nullptr;
    gint nWait = -1;
    if (!g_spawn_sync(strCwd.c_str(), argv.data(), ppszEnv, G_SPAWN_DEFAULT, nullptr, nullptr, &pszOut,
                      pstrErr ? &pszErr : nullptr, &nWait, nullptr))
        return -1;
    *pstrOut = pszOut ? pszOut : "";
    if (pstrErr)
        *pstrErr = pszErr ? pszErr : "";
    return WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
}

std::string Program::stderrText()
{
    std::string str;
    char buf[4096];
    ssize_t n;
    while (m_fdErr >= 0 && (n = read(m_fdErr, buf, sizeof buf)) > 0)
        str.append(buf, static_cast<size_t>(n));
    return str;
}

} // namespace zt

namespace zt::x11
{

namespace
{

bool run(const std::string& strCommand)
{
    gint nStatus = -1;
    return g_spawn_command_line_sync(strCommand.c_str(), nullptr, nullptr, &nStatus, nullptr) &&
           g_spawn_check_wait_status(nStatus, nullptr);
}

} // namespace

bool focusWindow(unsigned long nWin)
{
    return run("xdotool windowfocus --sync " + std::to_string(nWin));
}

namespace
{

// The print dialog's window once it shows, else 0.
unsigned long printDialog(void)
{
    g_autofree gchar* pszOut = nullptr;
    gint nStatus = -1;
    if (!g_spawn_command_line_sync("xdotool search --onlyvisible --name '^Print$'", &pszOut, nullptr, &nStatus,
                                   nullptr) ||
        !g_spawn_check_wait_status(nStatus, nullptr))
        return 0;
    return std::strtoul(pszOut, nullptr, 10);
}

} // namespace

std::string fileSheet(const std::string& strCwd, const std::function<bool()>& bFiled)
{
    const std::string strSettings = std::string(g_get_user_config_dir()) + "/gtk-3.0";
    g_mkdir_with_parents(strSettings.c_str(), 0700);
    writeFile(strSettings + "/settings.ini", "[Settings]\ngtk-print-backends = file\n");
    std::string strWrong;
    {
        Program program(strCwd);
        const unsigned long nWin = program.waitForWindow();
        unsigned long nDialog = 0;
        // Ctrl+P, the file printer picked in the list, Return to print (once
        // the printer's options are in, the dialog takes it).
        if (!nWin || !focusWindow(nWin))
            strWrong = "no window: " + program.stderrText();
        else if (!keys("ctrl+p") || !waitUntil([&] { return (nDialog = printDialog()) != 0; }, "the print dialog") ||
                 !focusWindow(nDialog) || !keys("Down"))
            strWrong = "no print dialog";
        bool bDone = false;
        for (int i = 0; strWrong.empty() && i < 5 && !bDone && printDialog(); i++)
            bDone = keys("Return") && spinUntil(bFiled);
        if (strWrong.empty() && !bDone)
            strWrong = "no sheet filed";
        else if (strWrong.empty() && (!program.close() || program.wait() != 0))
            strWrong = "the window did not close cleanly: " + program.stderrText();
    }
    g_remove((strSettings + "/settings.ini").c_str());
    return strWrong;
}

bool keys(const std::string& strKeys)
{
    return run("xdotool key --delay 20 " + strKeys);
}

bool typeText(const std::string& strText)
{
    g_autofree gchar* pszQuoted = g_shell_quote(strText.c_str());
    return run(std::string("xdotool type --delay 20 ") + pszQuoted);
}

std::string primarySelection()
{
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return {};
    const Window win = XCreateSimpleWindow(pdpy, DefaultRootWindow(pdpy), 0, 0, 1, 1, 0, 0, 0);
    const Atom atomTarget = XInternAtom(pdpy, "UTF8_STRING", False);
    const Atom atomProp = XInternAtom(pdpy, "ZARV_TEST_SELECTION", False);
    XConvertSelection(pdpy, XA_PRIMARY, atomTarget, atomProp, win, CurrentTime);
    XFlush(pdpy);
    std::string strText;
    const gint64 tEnd = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
    while (g_get_monotonic_time() < tEnd) {
        XEvent evt;
        if (!XCheckTypedWindowEvent(pdpy, win, SelectionNotify, &evt)) {
            g_usleep(5000);
            continue;
        }
        if (evt.xselection.property != None) {
            Atom atomType;
            int nFormat;
            unsigned long nItems, nAfter;
            unsigned char* pData = nullptr;
            if (XGetWindowProperty(pdpy, win, atomProp, 0, 1 << 16, True, AnyPropertyType, &atomType, &nFormat, &nItems,
                                   &nAfter, &pData) == Success &&
                pData)
                strText.assign(reinterpret_cast<char*>(pData), nItems);
            if (pData)
                XFree(pData);
        }
        break;
    }
    XDestroyWindow(pdpy, win);
    XCloseDisplay(pdpy);
    return strText;
}

std::string selectionOnceItIs(const std::string& strWant)
{
    std::string strText;
    waitUntil([&] { return (strText = primarySelection()) == strWant; }, "the selection \"" + strWant + "\"");
    return strText;
}

Image screenshot()
{
    Image img;
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return img;
    XWindowAttributes attr;
    XGetWindowAttributes(pdpy, DefaultRootWindow(pdpy), &attr);
    XImage* pximg = XGetImage(pdpy, DefaultRootWindow(pdpy), 0, 0, attr.width, attr.height, AllPlanes, ZPixmap);
    if (pximg) {
        img.nWidth = attr.width;
        img.nHeight = attr.height;
        img.pixels.resize(static_cast<size_t>(attr.width) * attr.height);
        for (int y = 0; y < attr.height; y++)
            for (int x = 0; x < attr.width; x++)
                img.pixels[static_cast<size_t>(y) * attr.width + x] = XGetPixel(pximg, x, y) & 0xffffff;
        XDestroyImage(pximg);
    }
    XCloseDisplay(pdpy);
    return img;
}

Square findChart(const Image& img)
{
    int x0 = img.nWidth, y0 = img.nHeight, x1 = -1, y1 = -1;
    for (int y = 0; y < img.nHeight; y++)
        for (int x = 0; x < img.nWidth; x++)
            if (img.at(x, y) == 0xffcccc) {
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return {};
    return {x0, y0, x1 - x0 + 1};
}

Geometry windowGeometry(unsigned long nWin)
{
    Geometry geo;
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return geo;
    XWindowAttributes attr;
    Window child;
    if (XGetWindowAttributes(pdpy, nWin, &attr))
        XTranslateCoordinates(pdpy, nWin, DefaultRootWindow(pdpy), 0, 0, &geo.x, &geo.y, &child);
    geo.nWidth = attr.width, geo.nHeight = attr.height;
    XCloseDisplay(pdpy);
    return geo;
}

} // namespace zt::x11
