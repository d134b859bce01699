// The built program as a process: where it looks for its files, what it
// writes to standard error and the log, its exit status, and Zarv.conf.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <cstring>
#include <regex>
#include <sys/inotify.h>
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
    std::smatch m;
    ASSERT_TRUE(std::regex_search(strLog, m, std::regex("failed:\n +([^ \n][^\n]*)\n\n$"))) << strLog;
    EXPECT_TRUE(zt::logHasEntry(strLog, "gtk_builder_add_from_file() failed:\n" + m[1].str())) << strLog;
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
    const std::string strConf =
        "# weighed in March\n\n[Unit]\nWeight=1\nArm=1\nFuel=2\n\n[Load]\nBallast=2\nLSeat=80\n";
    zt::writeFile(path("etc/Zarv.conf"), strConf);
    ConfRewrites rewrites(path("etc"));
    zt::Program program(path("bin"));
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    ASSERT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    // The one write is the final one at shutdown, and it stores the values
    // as they were.
    EXPECT_EQ(rewrites.count(), 1);
    EXPECT_EQ(conf(), strConf);
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
    zt::spinUntil([&] { return (sq = zt::x11::findChart(img = zt::x11::screenshot())).nSize > 0; }, 10000);
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
