// The parameter store against real files: what survives a rewrite, what
// reads as 0, and what happens when the disk says no.
#include "model/freename.h"
#include "store.h"
#include "store/conf/params.h"
#include "support.h"
#include "sys/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

class ParamStore : public zt::FreshStore<testing::Test>
{
  protected:
    std::string conf() const
    {
        return m_dir / "Zarv.conf";
    }
    std::string log() const
    {
        return zt::readFile(m_dir / "Zarv.log");
    }
    void load(const std::string& strText)
    {
        zt::writeFile(conf(), strText);
        prmLoadKeyFile();
    }
    std::vector<std::string> names() const
    {
        return zt::listDir(m_dir.path());
    }
};

TEST_F(ParamStore, FirstRunLogsTheLoadFailureAndFirstSetCreatesTheFile)
{
    prmLoadKeyFile();
    EXPECT_NE(log().find("prmLoadKeyFile()\n"), std::string::npos);
    EXPECT_NE(log().find("g_key_file_load_from_file(" + conf() + ")\n"), std::string::npos);
    EXPECT_FALSE(zt::exists(conf()));
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 0.0);

    prmSetKeyDouble("Load", "LSeat", 80);
    EXPECT_EQ(zt::readFile(conf()), "[Load]\nLSeat=80\n");
}

TEST_F(ParamStore, CommentsAndUnknownGroupsSurviveEveryRewrite)
{
    const std::string strText = "# weighed 2026-03-01\n\n[Basic]\nWeight=400\n\n[Other]\nkey=value\n";
    load(strText);
    prmSetKeyDouble("Basic", "Weight", 400);
    EXPECT_EQ(zt::readFile(conf()), strText);
    prmSetKeyInteger("Unit", "Arm", 1);
    const std::string strNew = zt::readFile(conf());
    EXPECT_EQ(strNew.rfind(strText, 0), 0u) << strNew;
    EXPECT_NE(strNew.find("[Unit]\nArm=1\n"), std::string::npos);
}

struct BadValue {
    const char* pszText;
    double nExpected;
};

void PrintTo(const BadValue& c, std::ostream* os)
{
    *os << '"' << c.pszText << '"';
}

class UnreadableValue : public ParamStore, public testing::WithParamInterface<BadValue>
{
};

TEST_P(UnreadableValue, ReadsAsZero)
{
    load(std::string("[Basic]\nWeight=") + GetParam().pszText + "\n[Unit]\nFuel=" + GetParam().pszText + "\n");
    EXPECT_EQ(prmGetKeyDouble("Basic", "Weight"), GetParam().nExpected);
    EXPECT_EQ(prmGetKeyInteger("Unit", "Fuel"), static_cast<int>(GetParam().nExpected));
    EXPECT_EQ(prmGetKeyDouble("basic", "weight"), 0.0); // names match exactly, case included
}

INSTANTIATE_TEST_SUITE_P(Values, UnreadableValue,
                         testing::Values(BadValue{"abc", 0}, BadValue{"nan", 0}, BadValue{"inf", 0},
                                         BadValue{"-inf", 0}, BadValue{"1e999", 0}, BadValue{"", 0},
                                         BadValue{"12abc", 0}, BadValue{"7", 7}));

TEST_F(ParamStore, FractionalUnitReadsAsZero)
{
    load("[Unit]\nFuel=1.5\n");
    EXPECT_EQ(prmGetKeyInteger("Unit", "Fuel"), 0);
    EXPECT_EQ(prmGetKeyDouble("Unit", "Fuel"), 1.5);
}

TEST_F(ParamStore, OnlyItsOwnTemporariesAreClearedAtLoad)
{
    for (const char* pszName :
         {"Zarv.conf.tmp-a1B2c3", "Zarv.conf.backup", "Zarv.conf.old123", "Zarv.conf.tmp-long-name"})
        zt::writeFile(m_dir / pszName, "kept");
    prmLoadKeyFile();
    EXPECT_EQ(names(), (std::vector<std::string>{"Zarv.conf.backup", "Zarv.conf.old123", "Zarv.conf.tmp-long-name",
                                                 "Zarv.log"}));
}

TEST_F(ParamStore, EverySetRewritesTheFile)
{
    prmLoadKeyFile();
    prmSetKeyDouble("Load", "Fuel", 40);
    zt::writeFile(conf(), "scribbled over");
    prmSetKeyDouble("Load", "Fuel", 40); // the same value: written again
    EXPECT_EQ(zt::readFile(conf()), "[Load]\nFuel=40\n");
}

TEST_F(ParamStore, NumbersUseAPointWhateverTheLocale)
{
    prmLoadKeyFile();
    const std::string strOld = setlocale(LC_NUMERIC, nullptr);
    if (!setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "de_DE.UTF-8 is not generated here";
    prmSetKeyDouble("Load", "LSeat", 77.11075);
    setlocale(LC_NUMERIC, strOld.c_str());
    EXPECT_EQ(zt::readFile(conf()), "[Load]\nLSeat=77.110749999999996\n");
    EXPECT_DOUBLE_EQ(prmGetKeyDouble("Load", "LSeat"), 77.11075);
}

TEST_F(ParamStore, ReadOnlyDirectoryLogsTheOpenFailureAndKeepsTheValue)
{
    zt::asUnprivileged(m_dir.path(), [&] {
        prmLoadKeyFile();
        chmod(m_dir.path().c_str(), 0500);
        prmSetKeyDouble("Load", "RSeat", 90);
        chmod(m_dir.path().c_str(), 0700);
        EXPECT_EQ(prmGetKeyDouble("Load", "RSeat"), 90);
        EXPECT_FALSE(zt::exists(conf()));
    });
}

int noNewFile(gchar*, int, int)
{
    errno = EACCES;
    return -1;
}
int diskFullOnCreate(gchar*, int, int)
{
    errno = ENOSPC;
    return -1;
}

TEST_F(ParamStore, DirectoryTakingNoNewFileRewritesInPlace)
{
    load("# mine\n\n[Load]\nFuel=10\n");
    prmFileOps().pfuncMkstemp = noNewFile;
    prmSetKeyDouble("Load", "Fuel", 20);
    EXPECT_EQ(zt::readFile(conf()), "# mine\n\n[Load]\nFuel=20\n");
}

TEST_F(ParamStore, OpenFailureIsLoggedWithThePathAndSystemText)
{
    prmLoadKeyFile();
    ASSERT_EQ(mkdir(conf().c_str(), 0700), 0); // Zarv.conf cannot be opened for writing
    prmFileOps().pfuncMkstemp = noNewFile;
    prmSetKeyDouble("Load", "RSeat", 90);
    EXPECT_EQ(prmGetKeyDouble("Load", "RSeat"), 90);
    EXPECT_TRUE(zt::logHasEntry(log(), "prmWriteKeyFile()\r\nfopen(" + conf() + ") failed\r\n" + g_strerror(EISDIR)))
        << log();
}

TEST_F(ParamStore, FullDiskBeforeTheFirstByteLeavesTheFileAlone)
{
    const std::string strOld = "[Load]\nFuel=10\n";
    load(strOld);
    prmFileOps().pfuncMkstemp = diskFullOnCreate;
    prmSetKeyDouble("Load", "Fuel", 20);
    EXPECT_EQ(zt::readFile(conf()), strOld);
    EXPECT_NE(log().find(g_strerror(ENOSPC)), std::string::npos);
}

TEST_F(ParamStore, UnwritableDirectoryFallsBackToRewritingInPlace)
{
    zt::writeFile(conf(), "[Load]\nFuel=10\n");
    zt::asUnprivileged(m_dir.path(), [&] {
        prmLoadKeyFile();
        chmod(m_dir.path().c_str(), 0500);
        prmSetKeyDouble("Load", "Fuel", 20);
        chmod(m_dir.path().c_str(), 0700);
        EXPECT_EQ(zt::readFile(conf()), "[Load]\nFuel=20\n");
    });
}

struct Fault {
    const char* pszName;
    _prmFileOps ops;
    int nErrno; // whose system text is logged
};

ssize_t shortWrite(int fd, const void* p, size_t n)
{
    static bool bFirst = true;
    if (bFirst) { // half the bytes, then a full disk
        bFirst = false;
        return ::write(fd, p, n / 2);
    }
    bFirst = true;
    errno = ENOSPC;
    return -1;
}
int failFsync(int)
{
    errno = EIO;
    return -1;
}
int failRename(const char*, const char*)
{
    errno = EXDEV;
    return -1;
}

void PrintTo(const Fault& c, std::ostream* os)
{
    *os << c.pszName;
}

class WriteFault : public ParamStore, public testing::WithParamInterface<Fault>
{
};

TEST_P(WriteFault, LeavesTheOldFileIntactAndLogsTheSystemText)
{
    const std::string strOld = "# mine\n\n[Load]\nFuel=10\n";
    load(strOld);
    prmFileOps() = GetParam().ops;
    prmSetKeyDouble("Load", "Fuel", 55.5);
    EXPECT_EQ(zt::readFile(conf()), strOld);
    EXPECT_EQ(prmGetKeyDouble("Load", "Fuel"), 55.5);
    EXPECT_TRUE(
        zt::logHasEntry(log(), std::string("prmWriteKeyFile()\r\nfwrite()\r\n") + g_strerror(GetParam().nErrno)))
        << log();
    EXPECT_EQ(names(), (std::vector<std::string>{"Zarv.conf", "Zarv.log"})); // no temporary left behind

    restart(); // the disk recovers: the next set saves everything
    prmLoadKeyFile();
    prmSetKeyDouble("Load", "Fuel", 56);
    EXPECT_EQ(zt::readFile(conf()), "# mine\n\n[Load]\nFuel=56\n");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, WriteFault,
    testing::Values(Fault{"DiskFull", {g_mkstemp_full, shortWrite, ::fsync, ::rename, ::link}, ENOSPC},
                    Fault{"FlushFails", {g_mkstemp_full, ::write, failFsync, ::rename, ::link}, EIO},
                    Fault{"RenameFails", {g_mkstemp_full, ::write, ::fsync, failRename, ::link}, EXDEV}),
    [](const testing::TestParamInfo<Fault>& p) { return std::string(p.param.pszName); });

TEST_F(ParamStore, UnparseableFileIsSetAsideNotOverwritten)
{
    const std::string strBad = "[Basic\nWeight=400\n\xff\xfe garbage";
    load(strBad);
    EXPECT_NE(log().find("g_key_file_load_from_file(" + conf() + ")"), std::string::npos);
    EXPECT_FALSE(zt::exists(conf()));
    const auto v = names();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].rfind("Zarv.conf.bad-", 0), 0u);
    EXPECT_EQ(zt::readFile(m_dir / v[0]), strBad);
    EXPECT_NE(log().find("set aside"), std::string::npos);
    EXPECT_NE(log().find(m_dir / v[0]), std::string::npos);

    prmSetKeyDouble("Load", "LSeat", 1);
    EXPECT_EQ(zt::readFile(m_dir / v[0]), strBad);

    // A second bad file in the same second gets a name of its own.
    restart();
    load("also [bad");
    auto v2 = names();
    EXPECT_EQ(v2.size(), 3u);
    EXPECT_EQ(zt::readFile(m_dir / v[0]), strBad);
}

int refuse(const char*, const char*)
{
    errno = EACCES;
    return -1;
}

TEST_F(ParamStore, UnparseableFileThatCannotBeSetAsideIsNeverReplaced)
{
    // Without write access to the directory nothing can be moved.
    zt::writeFile(conf(), "[broken");
    zt::asUnprivileged(m_dir.path(), [&] {
        chmod(m_dir.path().c_str(), 0500);
        prmLoadKeyFile();
        prmSetKeyDouble("Load", "LSeat", 1);
        chmod(m_dir.path().c_str(), 0700);
        EXPECT_EQ(zt::readFile(conf()), "[broken");
        EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 1.0);
    });
    // Neither a link nor a rename works: the file is left as it is, and
    // the log says so.
    restart();
    zt::writeFile(conf(), "[broken");
    prmFileOps().pfuncLink = refuse;
    prmFileOps().pfuncRename = refuse;
    prmLoadKeyFile();
    prmFileOps() = {g_mkstemp_full, ::write, ::fsync, ::rename, ::link}; // the disk would take a write now
    prmSetKeyDouble("Load", "LSeat", 1);
    EXPECT_EQ(zt::readFile(conf()), "[broken");
    EXPECT_EQ(prmGetKeyDouble("Load", "LSeat"), 1.0);
    EXPECT_NE(log().find("changes are not saved this run"), std::string::npos) << log();
}

TEST_F(ParamStore, MissingOrUnreadableFileIsNotSetAside)
{
    prmLoadKeyFile();
    EXPECT_EQ(names(), std::vector<std::string>{"Zarv.log"});
    zt::writeFile(conf(), "[Load]\nFuel=1\n");
    restart();
    zt::asUnprivileged(m_dir.path(), [&] {
        chmod(conf().c_str(), 0200);
        prmLoadKeyFile();
        prmSetKeyDouble("Load", "Fuel", 2); // kept in the window, not over the file
        chmod(conf().c_str(), 0600);
        EXPECT_EQ(zt::readFile(conf()), "[Load]\nFuel=1\n");
        // Nor when another program puts such a file in its place meanwhile.
        restart();
        prmLoadKeyFile();
        zt::writeFile(m_dir / "Zarv.new", "[Load]\nFuel=3\n");
        chmod((m_dir / "Zarv.new").c_str(), 0200);
        rename((m_dir / "Zarv.new").c_str(), conf().c_str());
        prmSetKeyDouble("Load", "Fuel", 4);
        chmod(conf().c_str(), 0600);
        EXPECT_EQ(zt::readFile(conf()), "[Load]\nFuel=3\n");
        EXPECT_EQ(names(), (std::vector<std::string>{"Zarv.conf", "Zarv.log"}));
    });
}

// --- An in-place rewrite on a full disk -----------------------------------

std::string m_strTold; // what the store last told the window of a save
void noteTold(const char* pszError)
{
    m_strTold = pszError ? pszError : "saved";
}
int noRoom(int, off_t, off_t)
{
    return ENOSPC;
}

// Where the directory takes no new file, the new contents' space is
// reserved before the old are touched: no room leaves the file as it was.
TEST_F(ParamStore, InPlaceRewriteWithoutRoomLeavesTheFileAsItWas)
{
    const std::string strOld = "# mine\n\n[Fuel]\nDensity=0.5\n";
    load(strOld);
    prmSetWriteListener(noteTold);
    prmFileOps().pfuncMkstemp = noNewFile;
    prmFileOps().pfuncFallocate = noRoom;
    prmSetKeyDouble("Fuel", "Density", 0.75);
    EXPECT_EQ(zt::readFile(conf()), strOld);
    EXPECT_EQ(m_strTold, g_strerror(ENOSPC));
    EXPECT_EQ(prmGetKeyDouble("Fuel", "Density"), 0.75); // kept in the window
    // A shorter text than the file's is written whole, and the rest cut.
    prmFileOps().pfuncFallocate = posix_fallocate;
    prmEdit([](GKeyFile* pkf) { g_key_file_remove_comment(pkf, nullptr, nullptr, nullptr); });
    EXPECT_EQ(zt::readFile(conf()), "[Fuel]\nDensity=0.75\n");
}

// The same on a real full file system: a small tmpfs over the etc
// directory, where this test may mount one.
TEST_F(ParamStore, InPlaceRewriteOnAFullFileSystemLeavesTheFileAsItWas)
{
    if (geteuid() != 0 || mount("tmpfs", m_dir.path().c_str(), "tmpfs", 0, "size=16k,mode=0700") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const std::unique_ptr<const char, int (*)(const char*)> unmount(m_dir.path().c_str(), umount);
    // One page of Zarv.conf, ending "Density=0.7", and the rest filled.
    const std::string strOld = "# " + std::string(4096 - 22, '-') + "\n[Fuel]\nDensity=0.7\n";
    ASSERT_EQ(strOld.size(), 4096u);
    zt::writeFile(conf(), strOld);
    FILE* pf = fopen((m_dir / "filler").c_str(), "w");
    ASSERT_NE(pf, nullptr);
    while (fputc('x', pf) != EOF && fflush(pf) == 0) {
    }
    fclose(pf);
    zt::asUnprivileged(m_dir.path(), [&] {
        prmLoadKeyFile();
        prmSetWriteListener(noteTold);
        chmod(m_dir.path().c_str(), 0500); // the directory takes no new file
        prmSetKeyDouble("Fuel", "Density", 0.75);
        chmod(m_dir.path().c_str(), 0700);
        EXPECT_EQ(zt::readFile(conf()), strOld);
        EXPECT_EQ(m_strTold, g_strerror(ENOSPC));
    });
}

// --- Another program changes Zarv.conf while the window is open -----------

// As an editor saves: a new file renamed over the old.
void replaceFrom(const std::string& strPath, const std::string& strText)
{
    zt::writeFile(strPath + ".new", strText);
    ASSERT_EQ(rename((strPath + ".new").c_str(), strPath.c_str()), 0);
}

int m_nReadAgain = 0;
void noteReadAgain(void)
{
    m_nReadAgain++;
}

constexpr const char* OURS = "[Basic]\nWeight=400\n\n[Aircraft]\nRegistration=G-TEST\n";
constexpr const char* THEIRS = "# theirs\n\n[Basic]\nWeight=420\n\n[Aircraft]\nRegistration=G-NEWW\n";

TEST_F(ParamStore, ASaveReadsAnotherProgramsChangeFirstAndKeepsIt)
{
    load(OURS);
    m_nReadAgain = 0;
    prmWatchKeyFile(noteReadAgain);
    replaceFrom(conf(), THEIRS);
    prmSetKeyDouble("Load", "LSeat", 80);
    EXPECT_EQ(zt::readFile(conf()), std::string(THEIRS) + "\n[Load]\nLSeat=80\n");
    EXPECT_EQ(prmGetKeyDouble("Basic", "Weight"), 420.0);
    EXPECT_EQ(m_nReadAgain, 1);
    EXPECT_NE(log().find("was changed by another program\n"), std::string::npos) << log();
    // The monitor's news of a file still being written waits for its writer to close it.
    EXPECT_FALSE(prmFileSettled(G_FILE_MONITOR_EVENT_CHANGED));
    EXPECT_TRUE(prmFileSettled(G_FILE_MONITOR_EVENT_CHANGES_DONE_HINT));
    // The same contents written again (touched) are no change.
    zt::writeFile(conf(), zt::readFile(conf()));
    prmSetKeyDouble("Load", "LSeat", 81);
    EXPECT_EQ(m_nReadAgain, 1);
}

// (Untouched, their file stays byte for byte: the program's own test.)
TEST_F(ParamStore, AtCloseAChangeWhoseSaveFailedIsLaidOverAnotherProgramsFile)
{
    load(OURS);
    prmFileOps().pfuncRename = failRename;
    prmSetKeyDouble("Basic", "Weight", 405);
    prmFileOps().pfuncRename = ::rename;
    replaceFrom(conf(), THEIRS);
    prmCloseKeyFile();
    EXPECT_EQ(zt::readFile(conf()), "# theirs\n\n[Basic]\nWeight=405\n\n[Aircraft]\nRegistration=G-NEWW\n");
}

} // namespace

namespace
{

// Each way a file is given a name that replaces no other: the names tried
// while the first ones are taken, and the first free one is the one kept.
struct FreeNameCase {
    _fnmNumbering numbering;
    const char* pszExt;
    int nTaken; // how many of the first names are taken
    std::vector<std::string> expected;
};

TEST(FreeName, TriesTheNamesInTurnAndStopsAtTheFirstFree)
{
    const std::vector<FreeNameCase> cases = {
        {{" (", ")", 2, true}, ".pdf", 2, {"s.pdf", "s (2).pdf", "s (3).pdf"}},
        {{"-", "", 1, true}, "", 1, {"s", "s-1"}},
        {{"", "", 1, false}, "", 2, {"s1", "s2", "s3"}},
    };
    for (const FreeNameCase& c : cases) {
        std::vector<std::string> tried;
        std::string strLast;
        const int nErr = fnmFirstFree(
            "s", c.pszExt, c.numbering,
            [&](const std::string& strName) {
                tried.push_back(strName);
                return int(tried.size()) > c.nTaken ? 0 : EEXIST;
            },
            &strLast);
        EXPECT_EQ(nErr, 0);
        EXPECT_EQ(tried, c.expected);
        EXPECT_EQ(strLast, c.expected.back());
    }
    // Another failure stops the search; every name taken is EEXIST.
    EXPECT_EQ(fnmFirstFree(
                  "s", "", {"-", "", 1, true}, [](const std::string&) { return EACCES; }, nullptr),
              EACCES);
    int nTries = 0;
    EXPECT_EQ(fnmFirstFree(
                  "s", "", {"-", "", 1, true}, [&](const std::string&) { return ++nTries, EEXIST; }, nullptr),
              EEXIST);
    EXPECT_EQ(nTries, FNM_TRIES);
}

} // namespace
