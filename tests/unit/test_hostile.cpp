// Hostile files: whatever Zarv.conf, Zarv.log or the etc directory turn out
// to be, loading and saving do not crash, what can be kept is kept, and a
// file that cannot be read is set aside rather than overwritten.
#include "store.h"
#include "store/conf/params.h"
#include "support.h"
#include "sys/errlog.h"
#include "sys/paths.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <cmath>
#include <functional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

struct Hostile {
    const char* pszName;
    std::function<void(const std::string& strDir)> prepare;
    bool bSetAside;      // the file is moved aside as Zarv.conf.bad-*
    double nLSeat;       // "Load"/"LSeat" as read
    bool bSaved;         // a set then leaves a Zarv.conf holding it
    const char* pszKept; // text that must survive the set, or null
};

void PrintTo(const Hostile& h, std::ostream* os)
{
    *os << h.pszName;
}

std::string repeat(const std::string& str, int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += str;
    return s;
}

void conf(const std::string& strDir, const std::string& strText)
{
    zt::writeFile(strDir + "/Zarv.conf", strText);
}

const Hostile m_cases[] = {
    {"Empty", [](const std::string& d) { conf(d, ""); }, false, 0, true, nullptr},
    {"BinaryGarbage",
     [](const std::string& d) {
         conf(d, std::string("\x7f"
                             "ELF\0\0\x01\x02[Load]\nLSeat=9\n\xff",
                             20));
     },
     true, 0, true, nullptr},
    {"HugeUnknownGroups",
     [](const std::string& d) {
         conf(
             d, "[Load]\nLSeat=3\n" + repeat("[Other]\nkey=value value value value value value value\n", 1) + [] {
                 std::string s;
                 for (int i = 0; i < 60000; i++)
                     s += "[Group" + std::to_string(i) + "]\nkey=" + std::string(50, 'v') + "\n";
                 return s;
             }());
     },
     false, 3, true, "[Group59999]\nkey=vvvv"},
    {"DuplicateGroupsAndKeys", [](const std::string& d) { conf(d, "[Load]\nLSeat=1\n[Load]\nLSeat=2\nRSeat=3\n"); },
     false, 2, true, "RSeat=3"},
    {"OverlongLine", [](const std::string& d) { conf(d, "[Load]\nLSeat=4\nNote=" + std::string(1 << 20, 'x') + "\n"); },
     false, 4, true, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n"},
    // Bytes that are not UTF-8 are kept as they are.
    {"InvalidUtf8", [](const std::string& d) { conf(d, "[Load]\nLSeat=5\nName=\xff\xfe\xc3\n"); }, false, 5, true,
     "Name=\xff\xfe\xc3\n"},
    {"OutOfRangeAndNonFinite",
     [](const std::string& d) { conf(d, "[Load]\nLSeat=-5\nRSeat=nan\nFuel=1e999\nBallast=99999999999\n"); }, false, -5,
     true, "LSeat=-5"},
    // A byte-order mark is no part of a key file; a NUL byte would end the
    // parse there, and the next save drop what follows.
    {"ByteOrderMark", [](const std::string& d) { conf(d, "\xef\xbb\xbf[Load]\nLSeat=7\n"); }, true, 0, true, nullptr},
    {"NulByte", [](const std::string& d) { conf(d, std::string("[Load]\nLSeat=8\n\0[Basic]\nWeight=400\n", 35)); },
     true, 0, true, nullptr},
    // Not a regular file: moved aside whole, so that saving works again.
    {"Directory", [](const std::string& d) { g_mkdir((d + "/Zarv.conf").c_str(), 0700); }, true, 0, true, nullptr},
    {"DanglingSymlink",
     [](const std::string& d) {
         if (symlink((d + "/elsewhere.conf").c_str(), (d + "/Zarv.conf").c_str()) != 0)
             FAIL();
     },
     false, 0, true, nullptr},
    // A parse that fails part-way keeps nothing of what it read before the
    // bad line; the file is kept aside with its bytes.
    {"HalfReadable", [](const std::string& d) { conf(d, "[Load]\nLSeat=80\nnot a key\nRSeat=9\n"); }, true, 0, true,
     nullptr},
    // A FIFO would block a plain open for ever: refused without waiting,
    // and set aside.
    {"Fifo",
     [](const std::string& d) {
         if (mkfifo((d + "/Zarv.conf").c_str(), 0600) != 0)
             FAIL();
     },
     true, 0, true, nullptr},
    {"LogIsADirectory",
     [](const std::string& d) {
         g_mkdir((d + "/Zarv.log").c_str(), 0700);
         conf(d, "[Load]\nLSeat=6\n");
     },
     false, 6, true, "LSeat=6"},
};

class HostileFile : public zt::FreshStore<testing::TestWithParam<Hostile>>
{
  protected:
    std::vector<std::string> setAside() const
    {
        std::vector<std::string> v;
        for (const std::string& strName : zt::listDir(m_dir.path()))
            if (strName.rfind("Zarv.conf.bad-", 0) == 0)
                v.push_back(strName);
        return v;
    }
};

TEST_P(HostileFile, IsSurvivedAndWhatCanBeKeptIsKept)
{
    const Hostile& h = GetParam();
    h.prepare(m_dir.path());
    // (Reading a FIFO would block the test itself.)
    GStatBuf st;
    const bool bRegular = g_stat((m_dir / "Zarv.conf").c_str(), &st) == 0 && S_ISREG(st.st_mode);
    const std::string strBefore = bRegular ? zt::readFile(m_dir / "Zarv.conf") : "";
    static std::vector<std::string> told;
    errSetPilotListener([](const std::string& str) { told.push_back(str); });
    told.clear(); // what earlier tests told no window
    prmLoadKeyFile();
    errSetPilotListener(nullptr);
    // A file set aside is said in the window, with where it went.
    if (h.bSetAside) {
        ASSERT_EQ(told.size(), 1u);
        EXPECT_NE(told[0].find(" was set aside as " + (m_dir / setAside().at(0)) + ":"), std::string::npos) << told[0];
    } else {
        EXPECT_EQ(told, std::vector<std::string>{});
    }
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), h.nLSeat);
    for (const char* pszKey : {"RSeat", "Fuel"})
        EXPECT_TRUE(std::isfinite(prmGetKeyDouble("Load", pszKey)));
    EXPECT_EQ(setAside().size(), h.bSetAside ? 1u : 0u);

    prmSetKeyDouble("Load", "Fuel", 42.5);
    EXPECT_EQ(prmGetKeyDouble("Load", "Fuel"), 42.5); // kept in memory whatever the disk did
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    const bool bLoads = g_key_file_load_from_file(pkf, (m_dir / "Zarv.conf").c_str(), G_KEY_FILE_NONE, nullptr);
    EXPECT_EQ(bLoads, h.bSaved);
    if (h.bSaved) {
        EXPECT_EQ(g_key_file_get_double(pkf, "Load", "Fuel", nullptr), 42.5);
    }
    if (h.pszKept) {
        EXPECT_NE(zt::readFile(m_dir / "Zarv.conf").find(h.pszKept), std::string::npos);
    }
    if (h.bSetAside && bRegular) {
        // The unreadable file is intact beside the new one.
        for (const std::string& strName : setAside())
            EXPECT_EQ(zt::readFile(m_dir / strName), strBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFile, testing::ValuesIn(m_cases),
                         [](const testing::TestParamInfo<Hostile>& p) { return std::string(p.param.pszName); });

// Links planted in Zarv's etc directory, pointing at someone's files.
class PlantedLink : public zt::FreshStore<testing::Test>
{
  protected:
    void plant(mode_t nDirMode)
    {
        zt::writeFile(m_elsewhere / "victim.conf", "[Load]\nLSeat=7\n");
        zt::writeFile(m_elsewhere / "victim.log", "not yours\n");
        ASSERT_EQ(symlink((m_elsewhere / "victim.conf").c_str(), (m_dir / "Zarv.conf").c_str()), 0);
        ASSERT_EQ(symlink((m_elsewhere / "victim.log").c_str(), (m_dir / "Zarv.log").c_str()), 0);
        ASSERT_EQ(chmod(m_dir.path().c_str(), nDirMode), 0);
    }
    static void listen(const char* pszError)
    {
        m_strLastError = pszError ? pszError : "saved";
    }
    zt::TempDir m_elsewhere;
    static inline std::string m_strLastError;
};

TEST_F(PlantedLink, InADirectoryOthersCanWriteIsNeitherReadNorWritten)
{
    plant(01777); // as /tmp is
    prmLoadKeyFile();
    prmSetWriteListener(listen);
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 0.0); // the store starts empty
    prmSetKeyDouble("Load", "LSeat", 90);
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 90.0); // kept in memory
    errPostError("Zarv Started");
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.conf"), "[Load]\nLSeat=7\n");
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.log"), "not yours\n");
    EXPECT_NE(m_strLastError, "saved"); // the window is told
    g_autofree gchar* pszLink = g_file_read_link((m_dir / "Zarv.conf").c_str(), nullptr);
    EXPECT_NE(pszLink, nullptr); // the link itself is left alone
    chmod(m_dir.path().c_str(), 0700);
}

// Planted once the window is open, it does not get the file it leads to set aside.
TEST_F(PlantedLink, PlantedLaterIsNeitherReadNorSetAside)
{
    prmLoadKeyFile(); // no Zarv.conf yet
    g_unlink((m_dir / "Zarv.log").c_str());
    plant(01777);
    zt::writeFile(m_elsewhere / "victim.conf", "not a key file\n");
    prmSetKeyDouble("Load", "LSeat", 90);
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.conf"), "not a key file\n");
    chmod(m_dir.path().c_str(), 0700);
}

TEST_F(PlantedLink, OwnLinksInAPrivateDirectoryAreFollowed)
{
    plant(0700); // a dotfiles repository's link, say
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 7.0);
    prmSetKeyDouble("Load", "LSeat", 90);
    errPostError("Zarv Started");
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.conf"), "[Load]\nLSeat=90\n");
    EXPECT_NE(zt::readFile(m_elsewhere / "victim.log").find("Zarv Started"), std::string::npos);
}

int fullDisk(gchar*, int, int)
{
    errno = ENOSPC;
    return -1;
}
int killedBeforeRename(const char*, const char*)
{
    errno = EINTR;
    return -1;
}

// Through the user's own link the file it leads to is replaced, never
// rewritten: the link stays a link, the file is a new one, and a full disk or
// a stop between the write and the rename leaves it byte for byte.
TEST_F(PlantedLink, OwnLinksLeadToAFileReplacedAsAPlainOneIs)
{
    plant(0700);
    const std::string strTarget = m_elsewhere / "victim.conf", strOld = zt::readFile(strTarget);
    prmLoadKeyFile();
    for (_prmFileOps faulty : {_prmFileOps{fullDisk, ::write, ::fsync, ::rename, ::link},
                               _prmFileOps{g_mkstemp_full, ::write, ::fsync, killedBeforeRename, ::link}}) {
        prmFileOps() = faulty;
        prmSetKeyDouble("Load", "LSeat", 80);
        EXPECT_EQ(zt::readFile(strTarget), strOld);
        EXPECT_EQ(zt::listDir(m_elsewhere.path()).size(), 2u); // no temporary left
    }
    prmFileOps() = {g_mkstemp_full, ::write, ::fsync, ::rename, ::link};
    struct stat stBefore, stAfter, stLink;
    ASSERT_EQ(stat(strTarget.c_str(), &stBefore), 0);
    prmSetKeyDouble("Load", "LSeat", 90);
    ASSERT_EQ(stat(strTarget.c_str(), &stAfter), 0);
    ASSERT_EQ(lstat((m_dir / "Zarv.conf").c_str(), &stLink), 0);
    EXPECT_TRUE(S_ISLNK(stLink.st_mode));
    EXPECT_NE(stAfter.st_ino, stBefore.st_ino);
    EXPECT_EQ(zt::readFile(strTarget), "[Load]\nLSeat=90\n");
}

// A file the link leads to that an earlier rewrite in place cut short is set
// aside where it is; the link stays and the next save makes it anew.
TEST_F(PlantedLink, OwnLinksUnreadableFileIsSetAsideBesideIt)
{
    plant(0700);
    zt::writeFile(m_elsewhere / "victim.conf", "[Load]\nLSeat=7\n[Basi");
    prmLoadKeyFile();
    prmSetKeyDouble("Load", "LSeat", 90);
    g_autofree gchar* pszLink = g_file_read_link((m_dir / "Zarv.conf").c_str(), nullptr);
    EXPECT_STREQ(pszLink, (m_elsewhere / "victim.conf").c_str());
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.conf"), "[Load]\nLSeat=90\n");
    EXPECT_EQ(zt::listDir(m_elsewhere.path()).size(), 3u); // and victim.conf.bad-…
}

TEST_F(PlantedLink, AnotherUsersLinkIsNotFollowedEvenInAPrivateDirectory)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can give a link to another user";
    plant(0700);
    const passwd* ppw = getpwnam("nobody");
    ASSERT_NE(ppw, nullptr);
    ASSERT_EQ(lchown((m_dir / "Zarv.conf").c_str(), ppw->pw_uid, ppw->pw_gid), 0);
    prmLoadKeyFile();
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 0.0);
    prmSetKeyDouble("Load", "LSeat", 90);
    EXPECT_EQ(zt::readFile(m_elsewhere / "victim.conf"), "[Load]\nLSeat=7\n");
}

TEST(HostileDirectory, EtcDirectoryVanishingWhileRunning)
{
    prmReset();
    std::string strEtc;
    {
        zt::TempDir dir;
        strEtc = dir.path();
        wbSetEtcDir(strEtc);
        prmLoadKeyFile();
        prmSetKeyDouble("Load", "LSeat", 1);
    } // the directory and everything in it are gone
    prmSetKeyDouble("Load", "LSeat", 2);
    errPostError("nowhere to go");
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 2.0);
    EXPECT_FALSE(zt::exists(strEtc));
    prmReset();
}

} // namespace
