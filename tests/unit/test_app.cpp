// The etc directory follows the working directory; its lock is Zarv's own.
#include "support.h"
#include "sys/paths.h"

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
// another user's (nobody's), or a directory others may write into without
// the sticky bit, is where it could be changed; else the real path is kept.
struct Way {
    const char* pszName;
    const char* pszTree; // "d NAME MODE" a directory ("o" the user's group's, "g"
                         // nogroup's), "l NAME TARGET" a link ("L" nobody's)
    const char* pszNamed;
    bool bChangeable; // at pszFound; else pszFound is the real path
    const char* pszFound;
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
    zt::TempDir dir;
    g_auto(GStrv) ppszSteps = g_strsplit(GetParam().pszTree, ";", -1);
    for (gchar** ppsz = ppszSteps; *ppsz && **ppsz; ppsz++) {
        char c = 0, szName[64], szArg[64];
        ASSERT_EQ(sscanf(*ppsz, " %c %63s %63s", &c, szName, szArg), 3) << *ppsz;
        const std::string strPath = dir / szName, strTarget = szArg[0] == '/' ? dir.path() + szArg : szArg;
        if ((c == 'L' || c == 'g' || c == 'D') && geteuid() != 0)
            GTEST_SKIP() << "needs root to act for another user";
        const passwd *ppw = getpwnam("nobody"), *ppwMe = getpwuid(geteuid());
        const group *pgr = getgrnam("nogroup"), *pgrMine = getgrgid(getegid());
        if (c == 'o' && !(ppwMe && pgrMine && strcmp(ppwMe->pw_name, pgrMine->gr_name) == 0))
            GTEST_SKIP() << "the user has no group of their own";
        const bool bMade = c == 'l' || c == 'L' ? symlink(strTarget.c_str(), strPath.c_str()) == 0
                                                : mkdir(strPath.c_str(), 0700) == 0 &&
                                                      chmod(strPath.c_str(), strtoul(szArg, nullptr, 8)) == 0;
        ASSERT_TRUE(bMade && (c != 'L' || (ppw && lchown(strPath.c_str(), ppw->pw_uid, ppw->pw_gid) == 0)) &&
                    (c != 'g' || (pgr && chown(strPath.c_str(), geteuid(), pgr->gr_gid) == 0)) &&
                    (c != 'D' || (ppw && chown(strPath.c_str(), ppw->pw_uid, ppw->pw_gid) == 0)))
            << *ppsz;
    }
    const _wbEtcRoute route = wbWalkEtcDir(dir / GetParam().pszNamed);
    EXPECT_EQ(route.strChangeable, GetParam().bChangeable ? dir / GetParam().pszFound : "");
    EXPECT_TRUE(GetParam().bChangeable || route.strReal == dir / GetParam().pszFound) << route.strReal;
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EtcDirWay,
    testing::Values(Way{"APlainDirectory", "d etc 755", "etc", false, "etc"},
                    Way{"ABinSibling", "d bin 755; d etc 755", "bin/../etc", false, "etc"},
                    Way{"TheUsersOwnLink", "d real 755; d real/etc 755; l app real", "app/etc", false, "real/etc"},
                    Way{"NotThereYet", "", "none/etc", false, "none/etc"},
                    Way{"AStickyDirectory", "d tmp 1777; d tmp/etc 700", "tmp/etc", false, "tmp/etc"},
                    Way{"AGroupOfTheUsersOwn", "o etc 775", "etc", false, "etc"},
                    Way{"AnotherUsersLinkInAStickyDirectory", "d tmp 1777; d mine 700; L tmp/zarv /mine",
                        "tmp/zarv/etc", true, "tmp/zarv"},
                    Way{"AnotherUsersLinkBehindTheUsersOwn", "d tmp 1777; d mine 700; L tmp/zarv /mine; l app tmp/zarv",
                        "app/etc", true, "tmp/zarv"},
                    Way{"ADirectoryAllMayWriteIn", "d shared 777; d shared/etc 700", "shared/etc", true, "shared"},
                    Way{"AnEtcDirectoryAllMayWriteIn", "d etc 777", "etc", true, "etc"},
                    Way{"AGroupNotTheUsersOwn", "g etc 775", "etc", true, "etc"},
                    Way{"AnotherUsersDirectoryInAStickyDirectory", "d tmp 1777; D tmp/etc 755", "tmp/etc", true,
                        "tmp/etc"}),
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
