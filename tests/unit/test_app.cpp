// The etc directory follows the working directory; its lock is Zarv's own.
#include "app.h"
#include "support.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Whatever lies where the lock goes is set aside, and a fresh lock of the
// user's own, 0600, is taken: one window per directory whatever lies there.
TEST(EtcDirLock, AnOddLockFileIsSetAsideAndAFreshOneTaken)
{
    const passwd* ppwNobody = getpwnam("nobody");
    const std::pair<const char*, void (*)(const std::string&, const passwd*)> cases[] = {
        {"directory", [](const std::string& str, const passwd*) { mkdir(str.c_str(), 0700); }},
        {"fifo", [](const std::string& str, const passwd*) { mkfifo(str.c_str(), 0600); }},
        {"link", [](const std::string& str, const passwd*) { EXPECT_EQ(symlink("/etc/passwd", str.c_str()), 0); }},
        {"read-only", [](const std::string& str, const passwd*) { zt::writeFile(str, "1"), chmod(str.c_str(), 0444); }},
        {"another user's", [](const std::string& str, const passwd* ppw) {
             zt::writeFile(str, "1");
             if (geteuid() == 0 && ppw) {
                 EXPECT_EQ(chown(str.c_str(), ppw->pw_uid, ppw->pw_gid), 0);
             }
         }}};
    for (const auto& [pszCase, pfuncPlant] : cases) {
        zt::TempDir dir;
        wbSetEtcDir(dir.path());
        pfuncPlant(dir / "Zarv.lock", ppwNobody);
        const int fd = wbClaimEtcDir(nullptr);
        ASSERT_GE(fd, 0) << pszCase;
        struct stat st;
        ASSERT_EQ(lstat((dir / "Zarv.lock").c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & 0777) == 0600) << pszCase;
        // What is no file at all is kept aside, as found.
        const bool bNoFile =
            strcmp(pszCase, "directory") == 0 || strcmp(pszCase, "fifo") == 0 || strcmp(pszCase, "link") == 0;
        struct stat stAside;
        EXPECT_TRUE(!bNoFile || lstat((dir / "Zarv.lock.bad-1").c_str(), &stAside) == 0) << pszCase;
        close(fd);
        rmdir((dir / "Zarv.lock.bad-1").c_str());
    }
}

} // namespace
