// Crash consistency of Zarv.conf: a process committing in a tight loop is
// killed with SIGKILL at random moments, again and again. After every kill
// the file parses, keeps all it held, and holds the value of the last
// commit that returned or of the one in flight: never a mix, never empty.
#include "support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <algorithm>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr int KILLS = 150;

// The last complete line of a child's output, or -1.
long lastNumber(const std::string& strOut)
{
    const auto nEnd = strOut.rfind('\n');
    if (nEnd == std::string::npos)
        return -1;
    const auto nStart = strOut.rfind('\n', nEnd - 1);
    return atol(strOut.substr(nStart == std::string::npos ? 0 : nStart + 1, nEnd).c_str());
}

TEST(CrashConsistency, EveryKillLeavesTheBeforeOrAfterFile)
{
    zt::TempDir dir;
    const std::string strConf = dir / "Zarv.conf";
    // A file of some size, so that a write takes a while and can be cut.
    std::string strText = "# kept by hand\n\n[Load]\nLSeat=0\n\n[Logbook]\n";
    for (int i = 0; i < 3000; i++)
        strText += "entry" + std::to_string(i) + "=flight " + std::to_string(i) + " from EGLL to EGKK\n";
    zt::writeFile(strConf, strText);

    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> delayUs(0, 15000);
    long nLast = 0; // the value the file must at least hold
    int nCutShort = 0;
    for (int k = 0; k < KILLS; k++) {
        const std::string strFirst = std::to_string(nLast + 1);
        gchar* argv[] = {const_cast<gchar*>(ZARV_COMMIT_LOOP), const_cast<gchar*>(dir.path().c_str()),
                         const_cast<gchar*>(strFirst.c_str()), nullptr};
        GPid pid = 0;
        gint fdOut = -1;
        g_autoptr(GError) pErrSpawn = nullptr;
        ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid,
                                             nullptr, &fdOut, nullptr, &pErrSpawn))
            << pErrSpawn->message;
        // Once two commits have returned, the loop is committing: kill it at
        // a random moment from then on, however long the start and each
        // commit take on a loaded machine.
        std::string strOut;
        char buf[4096];
        ssize_t n;
        while (std::count(strOut.begin(), strOut.end(), '\n') < 2 && (n = read(fdOut, buf, sizeof buf)) > 0)
            strOut.append(buf, static_cast<size_t>(n));
        g_usleep(delayUs(rng));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        while ((n = read(fdOut, buf, sizeof buf)) > 0)
            strOut.append(buf, static_cast<size_t>(n));
        close(fdOut);
        const long nReturned = lastNumber(strOut);
        if (nReturned >= 0)
            nLast = nReturned;

        g_autoptr(GKeyFile) pkf = g_key_file_new();
        g_autoptr(GError) pErr = nullptr;
        ASSERT_TRUE(g_key_file_load_from_file(pkf, strConf.c_str(), G_KEY_FILE_KEEP_COMMENTS, &pErr))
            << "kill " << k << ": " << pErr->message;
        const double nStored = g_key_file_get_double(pkf, "Load", "LSeat", nullptr);
        ASSERT_TRUE(nStored == nLast || nStored == nLast + 1) << "kill " << k << ": " << nStored << " after " << nLast;
        nCutShort += nStored == nLast + 1;
        nLast = static_cast<long>(nStored);
        ASSERT_EQ(g_key_file_get_string(pkf, "Logbook", "entry2999", nullptr),
                  std::string("flight 2999 from EGLL to EGKK"));
        g_autofree gchar* pszComment = g_key_file_get_comment(pkf, nullptr, nullptr, nullptr);
        ASSERT_STREQ(pszComment, " kept by hand\n");
    }
    RecordProperty("kills", KILLS);
    RecordProperty("commits", static_cast<int>(nLast));
    std::cout << KILLS << " kills, " << nLast << " commits, " << nCutShort
              << " kills landed after a commit had replaced the file but before it returned\n";
    EXPECT_GT(nLast, KILLS); // the loop really committed between kills

    // Temporaries cut short by a kill are cleared at the next start.
    gchar* argv[] = {const_cast<gchar*>(ZARV_COMMIT_LOOP), const_cast<gchar*>(dir.path().c_str()),
                     const_cast<gchar*>("1"), nullptr};
    GPid pid = 0;
    ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr,
                                         GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDOUT_TO_DEV_NULL), nullptr,
                                         nullptr, &pid, nullptr, nullptr, nullptr, nullptr));
    g_usleep(20000);
    kill(pid, SIGSTOP); // between commits or within one: at most one temporary
    int nTemps = 0;
    for (const std::string& strName : zt::listDir(dir.path()))
        nTemps += strName.rfind("Zarv.conf.tmp-", 0) == 0;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_LE(nTemps, 1);
}

} // namespace
