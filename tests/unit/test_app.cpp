// The etc directory follows the working directory; its lock is Zarv's own.
#include "app.h"
#include "support.h"

#include <gtest/gtest.h>

#include <grp.h>
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

// The way to the etc directory, on real directories and links: a link of
// another user's, or a directory others may write into without the sticky
// bit, is where the directory could be changed; the real path is kept.
struct Way {
    const char* pszName;
    // Builds the case below dir; returns the etc directory as named, and
    // sets the real path and the changeable place that the walk finds.
    std::string (*pfuncBuild)(const std::string& strDir, std::string* pstrReal, std::string* pstrChangeable);
    bool bNeedsRoot; // to give a link or a directory to another user
};

// A link of nobody's.
void plantLink(const std::string& strTarget, const std::string& strLink)
{
    const passwd* ppw = getpwnam("nobody");
    ASSERT_EQ(symlink(strTarget.c_str(), strLink.c_str()), 0);
    ASSERT_NE(ppw, nullptr);
    ASSERT_EQ(lchown(strLink.c_str(), ppw->pw_uid, ppw->pw_gid), 0);
}

void makeDir(const std::string& strDir, mode_t nMode)
{
    ASSERT_EQ(mkdir(strDir.c_str(), 0700), 0);
    ASSERT_EQ(chmod(strDir.c_str(), nMode), 0);
}

const Way m_ways[] = {
    {"APlainDirectory",
     [](const std::string& d, std::string* pr, std::string*) { return makeDir(d + "/etc", 0755), *pr = d + "/etc"; },
     false},
    {"ABinSibling",
     [](const std::string& d, std::string* pr, std::string*) {
         makeDir(d + "/bin", 0755), makeDir(d + "/etc", 0755);
         return *pr = d + "/etc", d + "/bin/../etc";
     },
     false},
    {"TheUsersOwnLink",
     [](const std::string& d, std::string* pr, std::string*) {
         makeDir(d + "/real", 0755), makeDir(d + "/real/etc", 0755);
         EXPECT_EQ(symlink("real", (d + "/app").c_str()), 0);
         return *pr = d + "/real/etc", d + "/app/etc";
     },
     false},
    {"NotThereYet", [](const std::string& d, std::string* pr, std::string*) { return *pr = d + "/none/etc"; }, false},
    {"AStickyDirectory",
     [](const std::string& d, std::string* pr, std::string*) {
         makeDir(d + "/tmp", 01777), makeDir(d + "/tmp/etc", 0700);
         return *pr = d + "/tmp/etc";
     },
     false},
    {"AGroupOfTheUsersOwn",
     [](const std::string& d, std::string* pr, std::string*) {
         const group* pgr = getgrgid(getegid());
         const passwd* ppw = getpwuid(geteuid());
         if (!pgr || !ppw || strcmp(pgr->gr_name, ppw->pw_name) != 0)
             return std::string(); // no private group here: skipped
         makeDir(d + "/etc", 0775);
         return *pr = d + "/etc";
     },
     false},
    {"AnotherUsersLinkInAStickyDirectory",
     [](const std::string& d, std::string*, std::string* pc) {
         makeDir(d + "/tmp", 01777), makeDir(d + "/mine", 0700);
         plantLink(d + "/mine", d + "/tmp/zarv");
         return *pc = d + "/tmp/zarv", d + "/tmp/zarv/etc";
     },
     true},
    {"AnotherUsersLinkBehindTheUsersOwn",
     [](const std::string& d, std::string*, std::string* pc) {
         makeDir(d + "/tmp", 01777), makeDir(d + "/mine", 0700);
         plantLink(d + "/mine", d + "/tmp/zarv");
         EXPECT_EQ(symlink((d + "/tmp/zarv").c_str(), (d + "/app").c_str()), 0);
         return *pc = d + "/tmp/zarv", d + "/app/etc";
     },
     true},
    {"ADirectoryAllMayWriteIn",
     [](const std::string& d, std::string*, std::string* pc) {
         makeDir(d + "/shared", 0777), makeDir(d + "/shared/etc", 0700);
         return *pc = d + "/shared", d + "/shared/etc";
     },
     false},
    {"AnEtcDirectoryAllMayWriteIn",
     [](const std::string& d, std::string*, std::string* pc) {
         makeDir(d + "/etc", 0777);
         return *pc = d + "/etc";
     },
     false},
    {"AGroupNotTheUsersOwn",
     [](const std::string& d, std::string*, std::string* pc) {
         const group* pgr = getgrnam("nogroup");
         makeDir(d + "/etc", 0775);
         EXPECT_TRUE(pgr && chown((d + "/etc").c_str(), geteuid(), pgr->gr_gid) == 0);
         return *pc = d + "/etc";
     },
     true},
};

void PrintTo(const Way& c, std::ostream* os)
{
    *os << c.pszName;
}

class EtcDirWay : public testing::TestWithParam<Way>
{
};

TEST_P(EtcDirWay, IsWalkedAsTheSystemWalksIt)
{
    if (GetParam().bNeedsRoot && geteuid() != 0)
        GTEST_SKIP() << "needs root to act for another user";
    zt::TempDir dir;
    std::string strReal, strChangeable;
    const std::string strNamed = GetParam().pfuncBuild(dir.path(), &strReal, &strChangeable);
    if (strNamed.empty())
        GTEST_SKIP() << "the user has no group of their own";
    const _wbEtcRoute route = wbWalkEtcDir(strNamed);
    EXPECT_EQ(route.strChangeable, strChangeable);
    if (strChangeable.empty()) {
        EXPECT_EQ(route.strReal, strReal);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, EtcDirWay, testing::ValuesIn(m_ways),
                         [](const testing::TestParamInfo<Way>& p) { return std::string(p.param.pszName); });

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
