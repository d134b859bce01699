// Start-up cost: time from process start to the first completed draw of the
// chart, and peak memory by then, for Zarv and for a floor program (a
// minimal GTK program, or zarv_builder_floor showing the same Zarv.ui), in
// alternating runs on the same display. UI is the window definition both
// get (etc/Zarv.ui of the source tree by default).
//   zarv_startup ZARV FLOOR PROBE.so [RUNS] [UI]
#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace
{

long long nowNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

struct Sample {
    double nMs;
    long nKb;
};

bool runOnce(const std::string& strExe, const std::string& strCwd, const std::string& strProbe, const std::string& strArg,
             Sample* ps)
{
    const std::string strOut = strCwd + "/probe.out";
    g_unlink(strOut.c_str());
    gchar** ppszEnv = g_get_environ();
    ppszEnv = g_environ_setenv(ppszEnv, "LD_PRELOAD", strProbe.c_str(), TRUE);
    ppszEnv = g_environ_setenv(ppszEnv, "ZARV_PROBE_OUT", strOut.c_str(), TRUE);
    ppszEnv = g_environ_setenv(ppszEnv, "NO_AT_BRIDGE", "1", TRUE);
    gchar* argv[] = {const_cast<gchar*>(strExe.c_str()), strArg.empty() ? nullptr : const_cast<gchar*>(strArg.c_str()),
                     nullptr};
    GPid pid = 0;
    const long long tStart = nowNs();
    const bool bSpawned = g_spawn_async(strCwd.c_str(), argv, ppszEnv,
                                        GSpawnFlags(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_STDERR_TO_DEV_NULL), nullptr,
                                        nullptr, &pid, nullptr);
    g_strfreev(ppszEnv);
    if (!bSpawned)
        return false;
    waitpid(pid, nullptr, 0);
    long long tDrawn = 0;
    std::ifstream in(strOut);
    if (!(in >> tDrawn >> ps->nKb))
        return false;
    ps->nMs = (tDrawn - tStart) / 1e6;
    return true;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        fprintf(stderr, "usage: %s ZARV FLOOR PROBE.so [RUNS] [UI]\n", argv[0]);
        return 2;
    }
    const int nRuns = argc > 4 ? atoi(argv[4]) : 20;
    g_autofree gchar* pszZarv = g_canonicalize_filename(argv[1], nullptr);
    g_autofree gchar* pszMinimal = g_canonicalize_filename(argv[2], nullptr);
    g_autofree gchar* pszProbe = g_canonicalize_filename(argv[3], nullptr);
    g_autofree gchar* pszRoot = g_dir_make_tmp("zarv-startup-XXXXXX", nullptr);
    const std::string strRoot = pszRoot;
    g_mkdir((strRoot + "/bin").c_str(), 0755);
    g_mkdir((strRoot + "/etc").c_str(), 0755);
    gchar* pszUi = nullptr;
    gsize nUi = 0;
    if (!g_file_get_contents(argc > 5 ? argv[5] : ZARV_SOURCE_DIR "/etc/Zarv.ui", &pszUi, &nUi, nullptr))
        return 1;
    g_file_set_contents((strRoot + "/etc/Zarv.ui").c_str(), pszUi, static_cast<gssize>(nUi), nullptr);
    g_free(pszUi);

    std::vector<double> zarvMs, zarvKb, floorMs, floorKb;
    for (int i = 0; i < nRuns + 2; i++) { // the first two runs warm the caches
        Sample z{}, f{};
        const std::string strUi = strRoot + "/etc/Zarv.ui";
        if (!runOnce(pszZarv, strRoot + "/bin", pszProbe, "", &z) ||
            !runOnce(pszMinimal, strRoot, pszProbe, strUi, &f)) {
            fprintf(stderr, "a run did not reach its first draw\n");
            return 1;
        }
        if (i < 2)
            continue;
        zarvMs.push_back(z.nMs), zarvKb.push_back(z.nKb), floorMs.push_back(f.nMs), floorKb.push_back(f.nKb);
    }
    const double zm = median(zarvMs), fm = median(floorMs), zk = median(zarvKb), fk = median(floorKb);
    printf("runs: %d each, alternating\n", nRuns);
    printf("start to first chart draw: Zarv %.1f ms, floor %.1f ms, ratio %.2f\n", zm, fm, zm / fm);
    printf("peak memory at first draw: Zarv %.0f kB, floor %.0f kB, ratio %.2f\n", zk, fk, zk / fk);
    for (const char* psz : {"/etc/Zarv.ui", "/etc/Zarv.log", "/etc/Zarv.conf", "/bin/probe.out", "/probe.out"})
        g_unlink((strRoot + psz).c_str());
    g_rmdir((strRoot + "/bin").c_str());
    g_rmdir((strRoot + "/etc").c_str());
    g_rmdir(strRoot.c_str());
    return 0;
}
