// The built program as a process: where it looks for its files, what it
// writes to standard error and the log, its exit status, and Zarv.conf.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <X11/Xlib.h>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

using zt::logMessages;

class StartedFrom : public zt::Tree, public testing::WithParamInterface<const char*>
{
};

TEST_P(StartedFrom, FindsItsFilesRunsAndShutsDownCleanly)
{
    const std::string strCwd = *GetParam() ? m_dir / GetParam() : m_dir.path();
    if (std::string(GetParam()).empty())
        g_rename(path("etc").c_str(), (m_dir / "etc").c_str()); // the parent holds etc/ itself
    zt::Program program(strCwd);
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    EXPECT_EQ(logMessages(log()).front(), "Zarv Started");
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(program.stderrText(), strCwd + "\n");
    const auto v = logMessages(log());
    ASSERT_GE(v.size(), 3u);
    EXPECT_EQ(v[0], "Zarv Started");
    EXPECT_EQ(v[1], "prmLoadKeyFile()"); // the first run has no Zarv.conf
    EXPECT_EQ(v.back(), "Zarv Shutdown");
    // A run without edits still writes the configuration at shutdown.
    EXPECT_TRUE(zt::exists(path("etc/Zarv.conf")));
}

INSTANTIATE_TEST_SUITE_P(Directories, StartedFrom, testing::Values("bin", "etc", ""));

struct BadUi {
    const char* pszName;
    const char* pszContents; // null: no Zarv.ui at all
    int nStatus;
};

void PrintTo(const BadUi& c, std::ostream* os)
{
    *os << c.pszName;
}

class BrokenDefinition : public zt::Tree, public testing::WithParamInterface<BadUi>
{
};

TEST_P(BrokenDefinition, EndsWithTheBuildersCodeAndTouchesNothing)
{
    g_unlink(path("etc/Zarv.ui").c_str());
    if (GetParam().pszContents)
        zt::writeFile(path("etc/Zarv.ui"), GetParam().pszContents);
    zt::Program program(path("bin"));
    EXPECT_EQ(program.wait(), GetParam().nStatus);
    EXPECT_EQ(program.stderrText(), path("bin") + "\n");
    const std::string strLog = log();
    const auto v = logMessages(strLog);
    ASSERT_EQ(v.size(), 1u) << strLog;
    EXPECT_EQ(v[0], "gtk_builder_add_from_file() failed:");
    // The builder's message on the next line, indented under the stamp.
    const std::vector<std::string> m = zt::reSearch(strLog, "failed:\n +([^ \n][^\n]*)\n\n$");
    ASSERT_FALSE(m.empty()) << strLog;
    EXPECT_TRUE(zt::logHasEntry(strLog, "gtk_builder_add_from_file() failed:\n" + m[1])) << strLog;
    EXPECT_FALSE(zt::exists(path("etc/Zarv.conf")));
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenDefinition,
    testing::Values(BadUi{"Missing", nullptr, G_FILE_ERROR_NOENT},
                    BadUi{"Malformed", "<interface><object class=\"GtkWindow\" id=\"Zarv\"></interface>",
                          G_MARKUP_ERROR_PARSE},
                    // the builder takes an unfinished file without complaint: nothing in it is usable
                    BadUi{"Unfinished", "<interface><object class=\"GtkWindow\" id=\"Zarv\">", 1},
                    BadUi{"WrongClass",
                          "<interface><object class=\"GtkWindow\" id=\"Zarv\"><child>"
                          "<object class=\"GtkLabel\" id=\"LeftSeatWeight\"/></child></object></interface>",
                          1},
                    // a file that is not UTF-8 has code 0, which must not read as success
                    BadUi{"NotUtf8", "<interface>\xff\xfe</interface>", 1}),
    [](const testing::TestParamInfo<BadUi>& p) { return std::string(p.param.pszName); });

} // namespace

namespace
{

// Counts the rewrites of a directory's Zarv.conf, each either a file renamed
// onto it or a write to it in place, from construction until count().
class ConfRewrites
{
  public:
    explicit ConfRewrites(const std::string& strDir)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          m_bWatching(m_fd >= 0 && inotify_add_watch(m_fd, strDir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) >= 0)
    {
    }
    ~ConfRewrites()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    // -1 when the directory could not be watched.
    int count()
    {
        if (!m_bWatching)
            return -1;
        alignas(inotify_event) char buf[65536];
        ssize_t n;
        while ((n = read(m_fd, buf, sizeof buf)) > 0) {
            for (char* p = buf; p < buf + n;) {
                const auto* pevt = reinterpret_cast<const inotify_event*>(p);
                if (pevt->len > 0 && strcmp(pevt->name, "Zarv.conf") == 0)
                    m_nCount++;
                p += sizeof(inotify_event) + pevt->len;
            }
        }
        return m_nCount;
    }

  private:
    int m_fd;
    bool m_bWatching;
    int m_nCount = 0;
};

using StartUp = zt::Tree;

TEST_F(StartUp, WritesNothingBeforeThePilotActs)
{
    // Units and a ballast position that are not the first buttons of their
    // sets: showing them must not store them again.
    // Nor do a person in a seat, the commander and an item removed.
    const std::string strConf =
        "# weighed in March\n\n[Unit]\nWeight=1\nArm=1\nFuel=2\n\n[Load]\nBallast=2\nLSeat=80\n"
        "LSeatPerson=Anna\nCommander=left\n\n[Equipment 1]\nName=Left door\nWeight=5.4\nLongArm=1850\n"
        "LatArm=-650\nWeighed=true\nFitted=false\n";
    const std::string strPeople = "[Person 1]\nName=Anna\nWeight=70\n";
    zt::writeFile(path("etc/Zarv.conf"), strConf);
    zt::writeFile(path("etc/People.conf"), strPeople);
    chmod(path("etc/People.conf").c_str(), 0600);
    ConfRewrites rewrites(path("etc"));
    zt::Program program(path("bin"));
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    ASSERT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    // Not even the close writes: the file lacks nothing of the window's.
    EXPECT_EQ(rewrites.count(), 0);
    EXPECT_EQ(conf(), strConf);
    EXPECT_EQ(zt::readFile(path("etc/People.conf")), strPeople);
}

} // namespace

namespace
{

class CloseKey : public zt::Tree, public testing::WithParamInterface<const char*>
{
};

TEST_P(CloseKey, TypedAtOnceCommittedAndClosedAsTheWindowManagerCloses)
{
    zt::Program program(path("bin"));
    const unsigned long nWin = program.waitForWindow();
    ASSERT_NE(nWin, 0ul) << program.stderrText();
    ASSERT_TRUE(zt::x11::focusWindow(nWin));
    // The left seat has the focus from the start: the first digits count.
    // The field is left by the close itself, not by Return.
    ASSERT_TRUE(zt::x11::typeText("80"));
    ASSERT_TRUE(zt::x11::keys(GetParam()));
    EXPECT_EQ(program.wait(), 0);
    EXPECT_NE(conf().find("[Load]\nLSeat=80\n"), std::string::npos) << conf();
    const auto v = logMessages(log());
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v.back(), "Zarv Shutdown");
}

INSTANTIATE_TEST_SUITE_P(Keys, CloseKey, testing::Values("ctrl+q", "ctrl+w"),
                         [](const testing::TestParamInfo<const char*>& p) {
                             return std::string(p.param[5] == 'q' ? "CtrlQ" : "CtrlW");
                         });

} // namespace

namespace
{

using SmallScreen = zt::Tree;

// Run on a 1024 x 600 screen (CTest gives this case one of its own).
TEST_F(SmallScreen, TheWholeChartWithItsScalesIsInTheWindow)
{
    zt::Program program(path("bin"));
    const unsigned long nWin = program.waitForWindow();
    ASSERT_NE(nWin, 0ul) << program.stderrText();
    zt::x11::Image img;
    zt::x11::Square sq;
    // The chart is on the screen once the program has drawn it.
    ASSERT_TRUE(zt::waitUntil([&] { return (sq = zt::x11::findChart(img = zt::x11::screenshot())).nSize > 0; },
                              "the chart on the screen"));
    ASSERT_EQ(img.nWidth, 1024);
    ASSERT_EQ(img.nHeight, 600);
    const zt::x11::Geometry win = zt::x11::windowGeometry(nWin);
    EXPECT_LE(win.x + win.nWidth, 1024);
    EXPECT_LE(win.y + win.nHeight, 600);
    // The square holds the envelope, its scales and the L and R captions.
    ASSERT_GE(sq.nSize, 240);
    EXPECT_GE(sq.x, win.x);
    EXPECT_GE(sq.y, win.y);
    EXPECT_LE(sq.x + sq.nSize, win.x + win.nWidth);
    EXPECT_LE(sq.y + sq.nSize, win.y + win.nHeight);
    ASSERT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
}

} // namespace

namespace
{

using TwoStarts = zt::Tree;

// Whether the X input focus is in the given top-level window.
bool hasInputFocus(unsigned long nWin)
{
    Display* pdpy = XOpenDisplay(nullptr);
    if (!pdpy)
        return false;
    Window winFocus = 0, root = 0, parent = 0, *pchildren = nullptr;
    int nRevert = 0;
    unsigned int nChildren = 0;
    XGetInputFocus(pdpy, &winFocus, &nRevert);
    // The focus may be on a child of the top-level window.
    while (winFocus && winFocus != nWin && winFocus != PointerRoot &&
           XQueryTree(pdpy, winFocus, &root, &parent, &pchildren, &nChildren)) {
        if (pchildren)
            XFree(pchildren);
        winFocus = parent == root ? 0 : parent;
    }
    XCloseDisplay(pdpy);
    return winFocus == nWin;
}

// Whether the desktop hears the launch of startup id "zt2" end: the
// "remove" message a window manager reads on the root window, whose first
// 20 bytes come in a message of their own. pdpy listens from before the
// start.
bool launchFeedbackEnds(Display* pdpy)
{
    const Atom atomBegin = XInternAtom(pdpy, "_NET_STARTUP_INFO_BEGIN", False);
    return zt::waitUntil(
        [&] {
            XEvent evt;
            while (XCheckTypedEvent(pdpy, ClientMessage, &evt))
                if (evt.xclient.message_type == atomBegin &&
                    std::string(evt.xclient.data.b, strnlen(evt.xclient.data.b, 20)) == "remove: ID=\"zt2\"")
                    return true;
            return false;
        },
        "the end of the launch feedback");
}

// Run once without a session bus (the lock file finds the first window) and
// once with one (the first window is asked on the bus).
TEST_F(TwoStarts, TheSecondBringsTheFirstWindowForwardAndNothingIsLost)
{
    zt::Program first(path("bin"));
    const unsigned long nWin = first.waitForWindow();
    ASSERT_NE(nWin, 0ul) << first.stderrText();
    EXPECT_FALSE(hasInputFocus(nWin)); // no window manager gave it the focus
    Display* pdpy = XOpenDisplay(nullptr);
    ASSERT_NE(pdpy, nullptr);
    XSelectInput(pdpy, DefaultRootWindow(pdpy), PropertyChangeMask);
    XSync(pdpy, False);
    zt::Program second(path("bin"), "DESKTOP_STARTUP_ID=zt2");
    EXPECT_EQ(second.wait(), 0);
    EXPECT_TRUE(launchFeedbackEnds(pdpy));
    XCloseDisplay(pdpy);
    EXPECT_TRUE(zt::waitUntil([&] { return hasInputFocus(nWin); }, "the focus in the first window"));
    EXPECT_NE(log().find("Zarv is already open in this directory\n"), std::string::npos) << log();
    EXPECT_NE(log().find("its window was brought to the front\n"), std::string::npos) << log();
    // On the bus it is the first window that answers.
    const bool bOnBus = !strstr(g_getenv("DBUS_SESSION_BUS_ADDRESS"), "zarv-no-session-bus");
    EXPECT_EQ(log().find("Zarv was started again in this directory\n") != std::string::npos, bOnBus) << log();
    // The first window goes on: what the pilot types there is what stays.
    ASSERT_TRUE(zt::x11::typeText("42"));
    ASSERT_TRUE(zt::x11::keys("ctrl+q"));
    EXPECT_EQ(first.wait(), 0);
    EXPECT_NE(conf().find("LSeat=42\n"), std::string::npos) << conf();
    // And a start after it is closed opens a window of its own.
    zt::Program third(path("bin"));
    EXPECT_NE(third.waitForWindow(), 0ul);
    EXPECT_TRUE(third.close());
    EXPECT_EQ(third.wait(), 0);
}

// A lock held with a note naming a window that is not the holder's (another
// program's) leaves that window alone.
TEST_F(TwoStarts, AWindowNotTheHoldersIsNeverFocused)
{
    Display* pdpy = XOpenDisplay(nullptr);
    ASSERT_NE(pdpy, nullptr);
    const Window win = XCreateSimpleWindow(pdpy, DefaultRootWindow(pdpy), 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(pdpy, win);
    XSync(pdpy, False);
    const int fd = open(path("etc/Zarv.lock").c_str(), O_RDWR | O_CREAT, 0600);
    const std::string strNote = std::to_string(win);
    ASSERT_TRUE(flock(fd, LOCK_EX) == 0 && write(fd, strNote.data(), strNote.size()) > 0);
    zt::Program second(path("bin"));
    EXPECT_NE(second.waitForWindow(), 0ul); // saying it could not find the window
    EXPECT_FALSE(hasInputFocus(win));
    EXPECT_TRUE(second.close());
    EXPECT_EQ(second.wait(), 0);
    EXPECT_NE(log().find("this start ends\n"), std::string::npos) << log();
    close(fd);
    XCloseDisplay(pdpy);
}

// A window on another display holds the lock (noted with its display, and
// never on the bus): a second start cannot raise it and says so in a window
// of its own, giving back the bus name it took; a third start meanwhile is
// not told that the second presented a window, but says where the first is.
TEST_F(TwoStarts, AThirdStartSaysWhereTheWindowIs)
{
    const int fd = open(path("etc/Zarv.lock").c_str(), O_RDWR | O_CREAT, 0600);
    const std::string strNote = "1 :7";
    ASSERT_TRUE(flock(fd, LOCK_EX) == 0 && write(fd, strNote.data(), strNote.size()) > 0);
    const std::string strSays = "Zarv is already open in this directory\nits window is on display :7, process " +
                                std::to_string(getpid()) + "\nthis start ends";
    zt::Program second(path("bin"));
    ASSERT_NE(second.waitForWindow(), 0ul) << second.stderrText();
    zt::Program third(path("bin"));
    ASSERT_NE(third.waitForWindow(), 0ul) << third.stderrText();
    EXPECT_TRUE(second.close() && third.close());
    EXPECT_TRUE(second.wait() == 0 && third.wait() == 0);
    EXPECT_TRUE(zt::logHasEntry(log(), strSays)) << log();
    EXPECT_EQ(log().find("asked to come to the front"), std::string::npos) << log();
    close(fd);
}

// Under Wayland no window id can be noted: the second start finds the first
// window on the session bus alone.
using WaylandStarts = zt::Tree;

TEST_F(WaylandStarts, TheSecondAsksTheFirstWindowForward)
{
    ASSERT_NE(g_getenv("WAYLAND_DISPLAY"), nullptr) << "runs under tests/with-weston";
    zt::Program first(path("bin"), "GDK_BACKEND=wayland");
    ASSERT_TRUE(zt::waitUntil([&] { return log().find("Zarv Started") != std::string::npos; }, "the first start"));
    zt::Program second(path("bin"), "GDK_BACKEND=wayland");
    EXPECT_EQ(second.wait(), 0);
    EXPECT_NE(log().find("Zarv was started again in this directory\n"), std::string::npos) << log();
    EXPECT_EQ(first.wait(0), -1); // the first window is still open
}

} // namespace

namespace
{

// Zarv.conf locked by its owner in a directory the running user may write
// to: the store commits as that user (nobody), and must fail as opening the
// file for writing would, leaving it untouched.
struct Lock {
    const char* pszName;
    bool bOwnedByRunner; // else root's
    mode_t nMode;
};

void PrintTo(const Lock& c, std::ostream* os)
{
    *os << c.pszName;
}

class LockedConf : public testing::TestWithParam<Lock>
{
};

TEST_P(LockedConf, IsNotReplacedAndTheFailureIsLoggedAsAnOpenFailure)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as a second user";
    const passwd* ppw = getpwnam("nobody");
    ASSERT_NE(ppw, nullptr);
    zt::TempDir dir;
    const std::string strConf = dir / "Zarv.conf";
    const std::string strText = "# locked by the operator\n[Load]\nLSeat=80\n";
    zt::writeFile(strConf, strText);
    ASSERT_EQ(chmod(strConf.c_str(), GetParam().nMode), 0);
    if (GetParam().bOwnedByRunner) {
        ASSERT_EQ(chown(strConf.c_str(), ppw->pw_uid, ppw->pw_gid), 0);
    }
    ASSERT_EQ(chown(dir.path().c_str(), ppw->pw_uid, ppw->pw_gid), 0); // the runner may write the directory
    // A copy of the committing program the runner can reach, wherever the
    // checkout lives, and the sanitizers' options.
    const std::string strProgram = dir / "commit_loop";
    zt::writeFile(strProgram, zt::readFile(ZARV_COMMIT_LOOP));
    ASSERT_EQ(chmod(strProgram.c_str(), 0755), 0);
    std::vector<std::string> env;
    for (const char* pszName : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* pszValue = g_getenv(pszName))
            env.push_back(std::string(pszName) + "=" + pszValue);
    zt::Program run({strProgram, dir.path(), "5", "1"}, "/", env, ppw->pw_uid, ppw->pw_gid);
    EXPECT_EQ(run.wait(), 0);
    EXPECT_EQ(zt::readFile(strConf), strText);
    const std::string strLog = zt::readFile(dir / "Zarv.log");
    EXPECT_TRUE(zt::logHasEntry(strLog, "prmWriteKeyFile()\r\nfopen(" + strConf + ") failed\r\n" + g_strerror(EACCES)))
        << strLog;
    for (const std::string& strName : zt::listDir(dir.path())) {
        EXPECT_NE(strName.rfind("Zarv.conf", 0) == 0 && strName != "Zarv.conf", true) << strName;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LockedConf,
                         testing::Values(Lock{"ReadOnly", true, 0444}, Lock{"AnotherUsers", false, 0644}),
                         [](const testing::TestParamInfo<Lock>& p) { return std::string(p.param.pszName); });

} // namespace

namespace
{

using Guarded = zt::Tree;

// The tree reached through a link another user planted in a sticky
// directory (as the launcher's cd names it), or, without root to plant one,
// through a directory all may write into: the start is refused, said on
// standard error and in a window, and nothing is written in the etc
// directory, not even the log.
TEST_F(Guarded, AnEtcDirectoryAnotherUserCouldChangeIsRefused)
{
    const passwd* ppw = getpwnam("nobody");
    const std::string strSticky = m_dir / "sticky", strLink = strSticky + "/zarv";
    const bool bRoot = geteuid() == 0;
    const std::string strChangeable = bRoot ? strLink : m_dir.path(), strCwd = bRoot ? strLink + "/bin" : path("bin");
    if (bRoot)
        ASSERT_TRUE(ppw && g_mkdir(strSticky.c_str(), 0700) == 0 && chmod(strSticky.c_str(), 01777) == 0 &&
                    symlink(m_dir.path().c_str(), strLink.c_str()) == 0 &&
                    lchown(strLink.c_str(), ppw->pw_uid, ppw->pw_gid) == 0);
    else
        ASSERT_EQ(chmod(m_dir.path().c_str(), 0777), 0);
    zt::Program program(strCwd, ("PWD=" + strCwd).c_str());
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 1);
    EXPECT_EQ(program.stderrText().find(strCwd + "\nzarv: " + strChangeable + " can be changed by other users\n"), 0u)
        << program.stderrText();
    EXPECT_EQ(zt::listDir(path("etc")), std::vector<std::string>{"Zarv.ui"});
}

// How long a test waits for what must come: until CTest's time limit ends
// the test, so that no time of the test's own is asserted.
constexpr int UNTIL_THE_TEST_TIMES_OUT = 24 * 3600 * 1000;

// A session bus that accepts the connection and never answers (a hung or
// stopped bus daemon): past its time limit the lock file decides, and the
// window comes up, with the accessibility bridge the desktop would start.
TEST_F(Guarded, ABusThatNeverAnswersDoesNotHoldTheStart)
{
    g_setenv("NO_AT_BRIDGE", "0", TRUE);
    const std::string strSocket = m_dir / "bus";
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{AF_UNIX, {}};
    strncpy(addr.sun_path, strSocket.c_str(), sizeof addr.sun_path - 1);
    // Connections wait in the backlog: accepted by the system, never read.
    ASSERT_TRUE(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && listen(fd, 16) == 0);
    zt::Program program(path("bin"), ("DBUS_SESSION_BUS_ADDRESS=unix:path=" + strSocket).c_str());
    ASSERT_NE(program.waitForWindow(UNTIL_THE_TEST_TIMES_OUT), 0ul) << program.stderrText();
    EXPECT_TRUE(zt::logHasEntry(log(), "wbRegisterInstance()\ng_bus_get() failed\nthe session bus did not answer "
                                       "within 2 seconds: the lock file alone keeps one window on this directory"))
        << log();
    EXPECT_EQ(logMessages(log())[1], "Zarv Started");
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    close(fd);
}

} // namespace

namespace
{

using ChangedOutside = zt::Tree;

// Another program replaces Zarv.conf while the window is open, and the
// pilot only closes it: the file stays theirs, byte for byte.
TEST_F(ChangedOutside, TheirFileIsNeverUndoneAtClose)
{
    zt::writeFile(path("etc/Zarv.conf"), "[Basic]\nWeight=400\n\n[Aircraft]\nRegistration=G-TEST\n");
    zt::Program program(path("bin"));
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    const std::string strTheirs = "[Basic]\nWeight=420\n\n[Aircraft]\nRegistration=G-NEWW\n";
    zt::writeFile(path("etc/Zarv.new"), strTheirs);
    ASSERT_EQ(g_rename(path("etc/Zarv.new").c_str(), path("etc/Zarv.conf").c_str()), 0);
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(conf(), strTheirs);
    EXPECT_NE(log().find("was changed by another program"), std::string::npos) << log();
    EXPECT_EQ(logMessages(log()).back(), "Zarv Shutdown");
}

// A basic weight typed into Zarv.conf by hand, behind Zarv's back: the
// window says so from the start, and the start writes nothing.
TEST_F(ChangedOutside, FiguresEditedByHandAreFlaggedAtStart)
{
    // Zarv recorded the fingerprint of these figures with Weight=400.
    const std::string strConf = "[Aircraft]\nRegistration=G-ZARV\nWeighed=2024-03-01\n"
                                "Fingerprint=17392627 2026-01-05 10:00:00 +0100\n"
                                "[Basic]\nWeight=401\nLatArm=-1.5\nLongArm=2700\n"
                                "[Ballast]\nWeight=10\nFrontLatArm=2\nFrontLongArm=1000\nRearLongArm=3000\n";
    zt::writeFile(path("etc/Zarv.conf"), strConf);
    zt::Program program(path("bin"));
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    const std::string strSays = "The aircraft's figures were changed outside Zarv since 2026-01-05 10:00:00 +0100 "
                                "(the figures do not match their fingerprint): check them against the weighing "
                                "record, then confirm";
    EXPECT_TRUE(zt::waitUntil([&] { return log().find(strSays) != std::string::npos; }, "the flag")) << log();
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(conf(), strConf);
}

} // namespace

namespace
{

using CommandLine = zt::Tree;

// The version and an unknown option are answered on the command line alone:
// nothing is read or written in the etc directory, and no window opens.
TEST_F(CommandLine, VersionIsPrintedAndAnUnknownOptionRefused)
{
    struct Case {
        const char* pszOption;
        int nStatus;
        std::string strOut, strErrStart;
    };
    for (const Case& c : {Case{"--version", 0, "zarv " ZARV_VERSION "\n", ""},
                          Case{"--no-such-option", 64, "", "zarv: Unknown option --no-such-option\n"}}) {
        gchar* argv[] = {const_cast<gchar*>(ZARV_EXE), const_cast<gchar*>(c.pszOption), nullptr};
        g_autofree gchar* pszOut = nullptr;
        g_autofree gchar* pszErr = nullptr;
        gint nWait = 0;
        ASSERT_TRUE(g_spawn_sync(path("bin").c_str(), argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, &pszOut,
                                 &pszErr, &nWait, nullptr));
        EXPECT_TRUE(WIFEXITED(nWait) && WEXITSTATUS(nWait) == c.nStatus) << c.pszOption << ": " << nWait;
        EXPECT_EQ(pszOut, c.strOut);
        EXPECT_EQ(std::string(pszErr).rfind(c.strErrStart, 0), 0u) << pszErr;
        EXPECT_EQ(zt::listDir(path("etc")), std::vector<std::string>{"Zarv.ui"});
    }
}

} // namespace

namespace
{

using CheckOfTheCalculation = zt::Tree;

// zarv --verify with no display: the shipped cases pass and a dated report
// is kept, Zarv.conf untouched; an operator's case with one figure changed
// fails by its name, and so does the whole check.
TEST_F(CheckOfTheCalculation, PassesKeepsItsReportAndFailsAnOperatorsWrongFigure)
{
    auto verify = [&](std::string* pstrOut) {
        gchar* argv[] = {const_cast<gchar*>(ZARV_EXE), const_cast<gchar*>("--verify"), nullptr};
        g_auto(GStrv) ppszEnv = g_environ_unsetenv(g_environ_unsetenv(g_get_environ(), "DISPLAY"), "WAYLAND_DISPLAY");
        g_autofree gchar* pszOut = nullptr;
        gint nWait = 0;
        EXPECT_TRUE(g_spawn_sync(path("bin").c_str(), argv, ppszEnv, G_SPAWN_STDERR_TO_DEV_NULL, nullptr, nullptr,
                                 &pszOut, nullptr, &nWait, nullptr));
        *pstrOut = pszOut ? pszOut : "";
        return WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1;
    };
    std::string strOut;
    EXPECT_EQ(verify(&strOut), 0) << strOut;
    EXPECT_NE(strOut.find("PASS Worked example\n"), std::string::npos) << strOut;
    EXPECT_EQ(strOut.find("FAIL"), std::string::npos) << strOut;
    EXPECT_EQ(zt::listDir(path("etc")), (std::vector<std::string>{"Verification", "Zarv.ui"}));
    const std::vector<std::string> reports = zt::listDir(path("etc/Verification"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(zt::reMatch(reports[0], "Calculation check \\d{4}-\\d{2}-\\d{2} passed\\.pdf"));
    EXPECT_EQ(zt::readFile(path("etc/Verification/") + reports[0]).rfind("%PDF-", 0), 0u);

    // The worked example for the operator's own aircraft, its weight mistyped.
    zt::writeFile(path("etc/Verification/Cases"), "[G-ABCD worked example]\nBasicWeight=400\nBasicLongArm=2700\n"
                                                  "BasicLatArm=1\nLeftSeat=80\nRightSeat=80\nFuel=60\n"
                                                  "Weight=605.64\nLongArm=2451.0612\nLatArm=0.8993\nVerdict=within\n");
    EXPECT_EQ(verify(&strOut), 1) << strOut;
    EXPECT_NE(strOut.find("FAIL G-ABCD worked example: take-off weight expected 605.6400 kg computed 605.5400 kg\n"),
              std::string::npos)
        << strOut;
    EXPECT_EQ(zt::listDir(path("etc/Verification")).size(), 3u);
    // Another program's pipe in place of the cases is refused by name, not
    // waited on; the failed check is kept for the window all the same.
    g_unlink(path("etc/Verification/Cases").c_str());
    ASSERT_EQ(mkfifo(path("etc/Verification/Cases").c_str(), 0600), 0);
    EXPECT_EQ(verify(&strOut), 2) << strOut;
    g_unlink(path("etc/Verification/Cases").c_str());
    // A report that cannot be written: the failure stays where the window
    // reads it.
    zt::writeFile(path("etc/Verification/Cases"), "[G-ABCD worked example]\nBasicWeight=400\nBasicLongArm=2700\n"
                                                  "BasicLatArm=1\nLeftSeat=80\nRightSeat=80\nFuel=60\n"
                                                  "Weight=605.64\nLongArm=2451.0612\nLatArm=0.8993\nVerdict=within\n");
    g_chmod(path("etc/Verification").c_str(), 0777); // a folder others may write in is not used
    EXPECT_EQ(verify(&strOut), 1) << strOut;
    EXPECT_EQ(zt::listDir(path("etc/Verification")).size(), 3u);
    EXPECT_TRUE(zt::reSearch(zt::readFile(path("etc/Zarv.conf")), "\\[Verification\\]\nUnreported=[-0-9T:+]+ FAILED\n")
                    .size() == 1)
        << zt::readFile(path("etc/Zarv.conf"));
    // A second leg with a trip no flight has is never a flight within.
    zt::writeFile(path("etc/Verification/Cases"), "[Two legs]\nBasicWeight=400\nBasicLongArm=2700\nBasicLatArm=1\n"
                                                  "LeftSeat=80\nRightSeat=80\nFuel=60\nWeight=605.54\n"
                                                  "LongArm=2451.0612\nLatArm=0.8993\nVerdict=within\n"
                                                  "Leg2=80; 80; 60; -5; none\nLeg2Weight=605.54\n"
                                                  "Leg2LongArm=2451.0612\nLeg2LatArm=0.8993\nLeg2Verdict=within\n"
                                                  "FlightVerdict=within\n");
    EXPECT_EQ(verify(&strOut), 1) << strOut;
    EXPECT_NE(strOut.find("FAIL Two legs: "), std::string::npos) << strOut;
    // A hover figure worked wrong: at sea level on a standard day, below
    // both lines' lowest ceilings, the chart's corner is 700 kg, not 710.
    zt::writeFile(path("etc/Verification/Cases"),
                  "[Hover]\nBasicWeight=400\nBasicLongArm=2700\nBasicLatArm=1\nLeftSeat=80\nRightSeat=80\n"
                  "Fuel=60\nWeight=605.54\nLongArm=2451.0612\nLatArm=0.8993\nVerdict=within\n"
                  "IGELine1=0; 500 8000; 700 4000\nIGELine2=20; 500 6000; 700 2000\nTakeOffElevation=0\n"
                  "TakeOffQNH=1013.25\nTakeOffOAT=15\nTakeOffPressureAltitude=0\nTakeOffDensityAltitude=0\n"
                  "TakeOffHoverIGE=710\nFlightVerdict=within\n");
    EXPECT_EQ(verify(&strOut), 1) << strOut;
    EXPECT_NE(strOut.find("FAIL Hover: take-off hover in ground effect expected 710.0000 kg computed 700.0000 kg\n"),
              std::string::npos)
        << strOut;
}

// A program with no shipped cases beside it says every place it looked
// for them, not only the last.
TEST_F(CheckOfTheCalculation, NamesEveryPlaceItLookedForTheShippedCases)
{
    zt::writeFile(path("bin/zarv"), zt::readFile(ZARV_EXE));
    g_chmod(path("bin/zarv").c_str(), 0755);
    gchar* argv[] = {const_cast<gchar*>("bin/zarv"), const_cast<gchar*>("--verify"), nullptr};
    g_autofree gchar* pszErr = nullptr;
    gint nWait = 0;
    ASSERT_TRUE(g_spawn_sync(path("").c_str(), argv, nullptr, G_SPAWN_STDOUT_TO_DEV_NULL, nullptr, nullptr, nullptr,
                             &pszErr, &nWait, nullptr));
    EXPECT_EQ(WIFEXITED(nWait) ? WEXITSTATUS(nWait) : -1, 2);
    EXPECT_NE(std::string(pszErr).find(path("share/zarv/reference-cases") + ","), std::string::npos) << pszErr;
}

} // namespace
