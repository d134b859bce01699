// The built program as a process: where it looks for its files, what it
// writes to standard error and the log, its exit status, and Zarv.conf.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <regex>

namespace
{

// A tree with bin/ and etc/ side by side, etc/ holding the real Zarv.ui.
class Tree : public testing::Test
{
  protected:
    void SetUp() override
    {
        ZT_NEED_DISPLAY();
        g_mkdir(m_root("bin").c_str(), 0755);
        g_mkdir(m_root("etc").c_str(), 0755);
        zt::writeFile(m_root("etc/Zarv.ui"), zt::readFile(zt::uiPath()));
    }
    std::string m_root(const char* pszSub) const
    {
        return m_dir / pszSub;
    }
    std::string log() const
    {
        return zt::readFile(m_root("etc/Zarv.log"));
    }
    zt::TempDir m_dir;
};

// The log's messages in order, without their time stamps.
std::vector<std::string> entries(const std::string& strLog)
{
    std::vector<std::string> v;
    const std::regex re("\\d\\d-[^ ]+-\\d{4} \\d\\d:\\d\\d:\\d\\d ([^\n]*)\n");
    for (auto it = std::sregex_iterator(strLog.begin(), strLog.end(), re); it != std::sregex_iterator(); ++it)
        v.push_back((*it)[1]);
    return v;
}

class StartedFrom : public Tree, public testing::WithParamInterface<const char*>
{
};

TEST_P(StartedFrom, FindsItsFilesRunsAndShutsDownCleanly)
{
    const std::string strCwd = *GetParam() ? m_dir / GetParam() : m_dir.path();
    if (std::string(GetParam()).empty())
        g_rename(m_root("etc").c_str(), (m_dir / "etc").c_str()); // the parent holds etc/ itself
    zt::Program program(strCwd);
    ASSERT_NE(program.waitForWindow(), 0ul) << program.stderrText();
    EXPECT_EQ(entries(log()).front(), "Zarv Started");
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(), 0);
    EXPECT_EQ(program.stderrText(), strCwd + "\n");
    const auto v = entries(log());
    ASSERT_GE(v.size(), 3u);
    EXPECT_EQ(v[0], "Zarv Started");
    EXPECT_EQ(v[1], "prmLoadKeyFile()"); // the first run has no Zarv.conf
    EXPECT_EQ(v.back(), "Zarv Shutdown");
    // A run without edits still writes the configuration at shutdown.
    EXPECT_TRUE(zt::exists(m_root("etc/Zarv.conf")));
}

INSTANTIATE_TEST_SUITE_P(Directories, StartedFrom, testing::Values("bin", "etc", ""));

struct BadUi {
    const char* pszName;
    const char* pszContents; // null: no Zarv.ui at all
    int nStatus;
};

class BrokenDefinition : public Tree, public testing::WithParamInterface<BadUi>
{
};

TEST_P(BrokenDefinition, EndsWithTheBuildersCodeAndTouchesNothing)
{
    g_unlink(m_root("etc/Zarv.ui").c_str());
    if (GetParam().pszContents)
        zt::writeFile(m_root("etc/Zarv.ui"), GetParam().pszContents);
    zt::Program program(m_root("bin"));
    EXPECT_EQ(program.wait(), GetParam().nStatus);
    EXPECT_EQ(program.stderrText(), m_root("bin") + "\n");
    const std::string strLog = log();
    const auto v = entries(strLog);
    ASSERT_EQ(v.size(), 1u) << strLog;
    EXPECT_EQ(v[0], "gtk_builder_add_from_file() failed:");
    // The builder's message on the next line, indented under the stamp.
    EXPECT_TRUE(std::regex_search(strLog, std::regex("failed:\n {21}[^ \n][^\n]*\n\n$"))) << strLog;
    EXPECT_FALSE(zt::exists(m_root("etc/Zarv.conf")));
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
