// The load sheet exported to PDF, and a switch between two aircraft of the
// fleet with its durable rewrite of Zarv.conf.
#include "store/aircraft/fleet.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "sys/paths.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"
#include "ui/print.h"

#include <benchmark/benchmark.h>
#include <glib/gstdio.h>

#include <string>

namespace
{

// A temporary etc directory with the worked aircraft and a second one.
struct Etc {
    Etc()
    {
        g_autofree gchar* psz = g_dir_make_tmp("zarv-bench-XXXXXX", nullptr);
        strDir = psz;
        g_file_set_contents((strDir + "/Zarv.conf").c_str(),
                            "[Aircraft]\nRegistration=G-ZARV\nWeighed=2026-03-01\n[Basic]\nWeight=400\nLongArm=2700\n"
                            "LatArm=1\n[Ballast]\nWeight=10\nFrontLongArm=2000\nRearLongArm=3000\n"
                            "[Aircraft 2]\nRegistration=G-BENC\nBasicWeight=420\nBasicLongArm=2690\n"
                            "[Load]\nLSeat=80\nRSeat=80\nFuel=60\n",
                            -1, nullptr);
        prmReset();
        wbSetEtcDir(strDir);
        prmLoadKeyFile();
        psetParams();
        pwbParams();
        benchmark::DoNotOptimize(legCalcShown());
    }
    ~Etc()
    {
        prmReset();
        for (const char* pszName : {"Zarv.conf", "Zarv.log", "sheet.pdf"})
            g_unlink((strDir + "/" + pszName).c_str());
        g_rmdir(strDir.c_str());
    }
    std::string strDir;
};

void BM_ExportLoadSheet(benchmark::State& state)
{
    if (!gdk_display_get_default()) {
        state.SkipWithError("needs a display");
        return;
    }
    Etc etc;
    pwbCreateAttrLists();
    const std::string strPdf = etc.strDir + "/sheet.pdf";
    _shtPeople sheet;
    sheet.strPilot = "A. Pilot", sheet.strReference = "Flight 42";
    for (auto _ : state)
        prnPrintLoadSheet(nullptr, strPdf.c_str(), &sheet);
}
BENCHMARK(BM_ExportLoadSheet)->Unit(benchmark::kMillisecond);

void BM_SwitchAircraft(benchmark::State& state)
{
    Etc etc;
    for (auto _ : state) {
        fleetSwitch("Aircraft 2");
        psetParams();
        benchmark::DoNotOptimize(legCalcShown());
    }
}
BENCHMARK(BM_SwitchAircraft)->Unit(benchmark::kMicrosecond);

} // namespace
