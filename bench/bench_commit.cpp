// The cost of one commit: prmSetKeyDouble rewrites Zarv.conf durably (a
// temporary file, flushed, renamed over it). Beside it, the same bytes
// written by g_file_set_contents, GLib's own consistent replace.
#include "store/conf/params.h"
#include "sys/paths.h"

#include <benchmark/benchmark.h>
#include <glib/gstdio.h>

#include <string>

namespace
{

// A typical Zarv.conf: the fourteen keys.
void fillStore()
{
    prmReset();
    prmLoadKeyFile();
    const char* ppszDoubles[][2] = {{"Load", "LSeat"},         {"Load", "RSeat"},          {"Load", "Fuel"},
                                    {"Basic", "Weight"},       {"Basic", "LatArm"},        {"Basic", "LongArm"},
                                    {"Ballast", "Weight"},     {"Ballast", "FrontLatArm"}, {"Ballast", "FrontLongArm"},
                                    {"Ballast", "RearLongArm"}};
    for (auto& k : ppszDoubles)
        g_key_file_set_double(prmKeyFile(), k[0], k[1], 1234.5678);
    for (const char* pszKey : {"Fuel", "Arm", "Weight"})
        g_key_file_set_integer(prmKeyFile(), "Unit", pszKey, 1);
    g_key_file_set_integer(prmKeyFile(), "Load", "Ballast", 1);
}

struct Dir {
    Dir()
    {
        g_autofree gchar* psz = g_dir_make_tmp("zarv-bench-XXXXXX", nullptr);
        strPath = psz;
        wbSetEtcDir(strPath);
    }
    ~Dir()
    {
        for (const char* pszName : {"Zarv.conf", "Zarv.log", "plain.conf"})
            g_unlink((strPath + "/" + pszName).c_str());
        g_rmdir(strPath.c_str());
    }
    std::string strPath;
};

void BM_Commit(benchmark::State& state)
{
    Dir dir;
    fillStore();
    double n = 0;
    for (auto _ : state)
        prmSetKeyDouble("Load", "LSeat", n++);
    prmReset();
}
BENCHMARK(BM_Commit)->UseRealTime();

void BM_GFileSetContents(benchmark::State& state)
{
    Dir dir;
    fillStore();
    gsize nLength = 0;
    g_autofree gchar* pszData = g_key_file_to_data(prmKeyFile(), &nLength, nullptr);
    const std::string strPath = dir.strPath + "/plain.conf";
    g_file_set_contents(strPath.c_str(), pszData, static_cast<gssize>(nLength), nullptr); // exists, as Zarv.conf does
    for (auto _ : state)
        g_file_set_contents(strPath.c_str(), pszData, static_cast<gssize>(nLength), nullptr);
    prmReset();
}
BENCHMARK(BM_GFileSetContents)->UseRealTime();

} // namespace
