// The etc directory follows the working directory.
#include "app.h"

#include <gtest/gtest.h>

namespace
{

struct EtcCase {
    const char* pszCwd;
    const char* pszEtc;
};

void PrintTo(const EtcCase& c, std::ostream* os)
{
    *os << c.pszCwd;
}

class EtcDirRule : public testing::TestWithParam<EtcCase>
{
};

TEST_P(EtcDirRule, DerivesTheEtcDirectory)
{
    EXPECT_EQ(wbEtcDirFor(GetParam().pszCwd), GetParam().pszEtc);
}

INSTANTIATE_TEST_SUITE_P(
    WorkingDirectories, EtcDirRule,
    testing::Values(EtcCase{"/opt/app/etc", "/opt/app/etc"}, EtcCase{"/opt/app/bin", "/opt/app/bin/../etc"},
                    EtcCase{"C:\\app\\bin", "C:\\app\\bin/../etc"}, EtcCase{"C:\\app\\bin2", "C:\\app\\bin2/../etc"},
                    EtcCase{"C:\\app\\binder", "C:\\app\\binder/etc"}, EtcCase{"/opt/app", "/opt/app/etc"},
                    // only the first "/etc" counts, and it is not at the end
                    EtcCase{"/etc/app/etc", "/etc/app/etc/etc"},
                    // the etc rule has no backslash form
                    EtcCase{"C:\\app\\etc", "C:\\app\\etc/etc"},
                    // "/bin" must end the path; one more character is only allowed after "\bin"
                    EtcCase{"/opt/app/bins", "/opt/app/bins/etc"}, EtcCase{"/opt/etcetera", "/opt/etcetera/etc"},
                    EtcCase{"/etc", "/etc"}, EtcCase{"/bin", "/bin/../etc"}, EtcCase{"/", "//etc"},
                    // "/etc" earlier in the path decides before a trailing "/bin"
                    EtcCase{"/bin/x/bin", "/bin/x/bin/etc"}));

TEST(EtcDir, LongPathsAreNeverCut)
{
    const std::string strCwd = "/" + std::string(400, 'd') + "/bin";
    const std::string strEtc = wbEtcDirFor(strCwd);
    EXPECT_EQ(strEtc, strCwd + "/../etc");
    wbSetEtcDir(strEtc);
    EXPECT_EQ(wbFileSpec("Zarv.conf"), strEtc + "/Zarv.conf");
    EXPECT_STREQ(m_pszEtcDir, strEtc.c_str());
}

} // namespace
