// Fuzz target: loading Zarv.conf. Whatever the file holds, loading does not
// crash, every value reads as a finite number, a set writes a file that
// loads again with the value set, and a file that cannot be parsed is moved
// aside, never lost.
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "sys/paths.h"
#include "ui/pagWBChart.h"
#include "ui/pagWBPage.h"

#include <glib/gstdio.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{

const std::string& dir()
{
    static const std::string strDir = [] {
        g_autofree gchar* psz = g_dir_make_tmp("zarv-fuzz-XXXXXX", nullptr);
        return std::string(psz);
    }();
    return strDir;
}

void clear()
{
    if (GDir* pdir = g_dir_open(dir().c_str(), 0, nullptr)) {
        while (const gchar* pszName = g_dir_read_name(pdir))
            g_unlink((dir() + "/" + pszName).c_str());
        g_dir_close(pdir);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    clear();
    wbSetEtcDir(dir());
    const std::string strConf = dir() + "/Zarv.conf";
    if (!g_file_set_contents(strConf.c_str(), reinterpret_cast<const char*>(pData), static_cast<gssize>(nSize),
                             nullptr))
        abort();
    prmReset();
    prmLoadKeyFile();
    psetParams();
    pwbParams();
    for (double n : {m_wbSetup.nBasicWeight, m_wbSetup.nBasicLatArm, m_wbSetup.nBasicLongArm, m_wbSetup.nBallastWt,
                     m_wbSetup.nBallastFrontLatArm, m_wbSetup.nBallastFrontLongArm, m_wbSetup.nBallastRearLongArm,
                     stateLoad().nLSeatWeight, stateLoad().nRSeatWeight, stateLoad().nFuelVolume})
        if (!std::isfinite(n))
            abort();
    // Every leg is read as finite numbers and judged without a fault.
    for (const _wbLoadState& l : stateLegs())
        for (double n : {l.nLSeatWeight, l.nRSeatWeight, l.nFuelVolume, l.nTripFuel})
            if (!std::isfinite(n))
                abort();
    if (legCalcAll().size() != stateLegs().size())
        abort();

    // The original bytes are either still Zarv.conf or in a set-aside file.
    const bool bKept = g_file_test(strConf.c_str(), G_FILE_TEST_EXISTS);
    prmSetKeyDouble("Load", "LSeat", 77.5);
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    if (!g_key_file_load_from_file(pkf, strConf.c_str(), G_KEY_FILE_KEEP_COMMENTS, nullptr))
        abort();
    if (g_key_file_get_double(pkf, "Load", "LSeat", nullptr) != 77.5)
        abort();
    if (!bKept) {
        int nAside = 0;
        GDir* pdir = g_dir_open(dir().c_str(), 0, nullptr);
        while (const gchar* pszName = g_dir_read_name(pdir))
            nAside += g_str_has_prefix(pszName, "Zarv.conf.bad-");
        g_dir_close(pdir);
        if (nAside != 1)
            abort();
    }
    prmReset();
    return 0;
}
