// Event log entries: time stamp, indented continuation lines, the 20-piece
// split and the empty line that ends an entry.
#include "support.h"
#include "sys/errlog.h"
#include "sys/paths.h"

#include <gtest/gtest.h>

namespace
{

struct EntryCase {
    const char* pszName;
    std::string strMessage;
    std::string strExpected; // with "@" for the stamp and "_" for its blanks
};

std::string expand(const std::string& strPattern, const std::string& strStamp)
{
    std::string strOut;
    for (char c : strPattern) {
        if (c == '@')
            strOut += strStamp;
        else if (c == '_')
            strOut += std::string(strStamp.size(), ' ');
        else
            strOut += c;
    }
    return strOut;
}

std::string lines(int nFrom, int nTo, const char* pszSep)
{
    std::string s;
    for (int i = nFrom; i <= nTo; i++)
        s += "l" + std::to_string(i) + (i < nTo ? pszSep : "");
    return s;
}

void PrintTo(const EntryCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class LogEntry : public testing::TestWithParam<EntryCase>
{
};

TEST_P(LogEntry, IsFormatted)
{
    const std::string strStamp = "06-Dec-2026 05:11:17 ";
    EXPECT_EQ(errFormatEntry(strStamp.c_str(), GetParam().strMessage.c_str()),
              expand(GetParam().strExpected, strStamp));
}

INSTANTIATE_TEST_SUITE_P(Messages, LogEntry,
                         testing::Values(EntryCase{"OneLine", "Zarv Started", "@Zarv Started\n\n"},
                                         EntryCase{"TwoLines", "a:\nb", "@a:\n_b\n\n"},
                                         EntryCase{"TrailingLineFeed", "a\n", "@a\n_\n\n"},
                                         EntryCase{"TwoLineFeeds", "a\n\nb", "@a\n_\n_b\n\n"},
                                         EntryCase{"Empty", "", "@\n"},
                                         EntryCase{"CarriageReturnsKept", "f()\r\nfopen(x) failed\r\ny",
                                                   "@f()\r\n_fopen(x) failed\r\n_y\n\n"},
                                         // 25 lines: the 20th piece keeps the rest, unindented after its first line
                                         EntryCase{"TwentyFiveLines", lines(1, 25, "\n"),
                                                   "@l1\n" +
                                                       [] {
                                                           std::string s;
                                                           for (int i = 2; i <= 19; i++)
                                                               s += "_l" + std::to_string(i) + "\n";
                                                           return s;
                                                       }() +
                                                       "_" + lines(20, 25, "\n") + "\n\n"}),
                         [](const testing::TestParamInfo<EntryCase>& p) { return std::string(p.param.pszName); });

TEST(EventLog, AppendsTimeStampedEntriesAcrossCalls)
{
    zt::TempDir dir;
    wbSetEtcDir(dir.path());
    errPostError("first");
    errPostError("second\nline");
    const std::string strLog = zt::readFile(dir / "Zarv.log");
    // The stamp follows the C library's locale for the month name.
    const std::vector<std::string> m =
        zt::reSearch(strLog, "\\A(\\d\\d-[^ ]+-\\d{4} \\d\\d:\\d\\d:\\d\\d )first\n\n"
                             "(\\d\\d-[^ ]+-\\d{4} \\d\\d:\\d\\d:\\d\\d )second\n( +)line\n\n\\z");
    ASSERT_FALSE(m.empty()) << strLog;
    EXPECT_EQ(m[3].size(), m[2].size());
}

TEST(EventLog, NullMessageWritesNothing)
{
    zt::TempDir dir;
    wbSetEtcDir(dir.path());
    errPostError(nullptr);
    EXPECT_FALSE(zt::exists(dir / "Zarv.log"));
}

TEST(EventLog, MissingDirectoryIsSilent)
{
    zt::TempDir dir;
    wbSetEtcDir(dir / "gone");
    errPostError("lost");
    EXPECT_FALSE(zt::exists(dir / "gone"));
}

} // namespace
