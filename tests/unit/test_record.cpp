// The record of load sheets: every figure reads back as the same double,
// every text as written; a write the disk cuts short leaves no half line;
// a last line cut short by a crash is reported, and the next one stands on
// its own.
#include "store/record.h"

#include "store/params.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// A disk that fills after the first few bytes of a write.
ssize_t fillsAfterTen(int fd, const void* pBuf, size_t nCount)
{
    const ssize_t n = write(fd, pBuf, std::min<size_t>(nCount, 10));
    if (n < 0 || static_cast<size_t>(n) == nCount)
        return n;
    errno = ENOSPC;
    return n; // the short write a full disk gives
}

bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(Record, ReadsBackExactlyAndSurvivesAFullDiskAndACrash)
{
    _recEntry e;
    e.strTime = "2026-12-08T23:10:05+01:00";
    e.strVersion = "1.0.0";
    e.strFingerprint = "1a2b3c4d";
    e.strRegistration = "G-\"AB\\CD\"\n\t\u00e9\U0001F681";
    e.setup = {UNIT_FUEL_IMPGAL, UNIT_ARM_INCH,      UNIT_WT_LB, -0.0, 0.1 + 0.2, 1e-300, 0, 0, 0, 0, 0, 0,
               1.0 / 3,          2540.0000000000005, -7.5,       3000, 10,        0.759,  5, 48};
    e.load = {80.123456789012345, 95.25451098148434, 64.5, BALLAST_REAR, 20.000000000000004, TRUE};
    e.outputs.bLanding = true;
    e.outputs.points[POINT_TAKE_OFF] = {680.3893641534596, 2441.575, -22.352, {}};
    e.outputs.points[POINT_LANDING] = {NAN, INFINITY, -INFINITY, {}};
    e.outputs.points[POINT_NO_FUEL] = {5e-324, 1.7976931348623157e308, 123456789.125, {}};
    e.outputs.points[POINT_LANDING].bBeyond[LIMIT_AFT] = true;
    e.outputs.points[POINT_NO_FUEL].bBeyond[LIMIT_TANK] = true;
    e.outputs.strVerdict = "NOT WITHIN LIMITS: landing aft of the limit by 1.60 mm";
    _recEntry noLanding = e;
    noLanding.outputs.bLanding = false;
    noLanding.outputs.bWithin = true;

    zt::TempDir dir;
    const int fdDir = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fdDir, 0);
    EXPECT_EQ(recAppend(fdDir, recLine(e)), "");
    m_prmFileOps.pfuncWrite = fillsAfterTen;
    EXPECT_NE(recAppend(fdDir, recLine(e)).find(g_strerror(ENOSPC)), std::string::npos);
    m_prmFileOps.pfuncWrite = ::write;
    EXPECT_EQ(recAppend(fdDir, recLine(noLanding)), "");
    // A crash in the middle of a write, then the next sheet's line.
    const std::string strPath = dir / REC_FILE_NAME;
    zt::writeFile(strPath, zt::readFile(strPath) + recLine(e).substr(0, 40));
    EXPECT_EQ(recAppend(fdDir, recLine(e)), "");
    zt::writeFile(strPath, zt::readFile(strPath) + recLine(e).substr(0, 40));
    close(fdDir);

    const std::vector<_recRead> lines = recReadText(zt::readFile(strPath));
    ASSERT_EQ(lines.size(), 5u);
    for (const _recRead& r : lines) {
        const bool bWhole = r.nLine != 3 && r.nLine != 5;
        EXPECT_EQ(r.strError.empty(), bWhole) << r.nLine << ": " << r.strError;
        EXPECT_EQ(r.bTorn, r.nLine == 5);
        if (!bWhole)
            continue;
        const _recEntry& want = r.nLine == 2 ? noLanding : e;
        const _recEntry& got = r.entry;
        EXPECT_EQ(got.strTime + got.strVersion + got.strFingerprint + got.strRegistration,
                  want.strTime + want.strVersion + want.strFingerprint + want.strRegistration);
        for (double _wbSetup::*p :
             {&_wbSetup::nBasicWeight, &_wbSetup::nBasicLongArm, &_wbSetup::nBasicLatArm, &_wbSetup::nBallastWt,
              &_wbSetup::nBallastFrontLongArm, &_wbSetup::nBallastFrontLatArm, &_wbSetup::nBallastRearLongArm,
              &_wbSetup::nBallastRearLatArm, &_wbSetup::nFuelDensity, &_wbSetup::nWeighingMonths})
            EXPECT_TRUE(same(got.setup.*p, want.setup.*p)) << got.setup.*p;
        EXPECT_EQ(got.setup.nUnitFuel + 10 * got.setup.nUnitArm + 100 * got.setup.nUnitWt, 2 + 10 + 100);
        EXPECT_EQ(got.setup.nUnconfirmed, want.setup.nUnconfirmed);
        for (double _wbLoadState::*p : {&_wbLoadState::nLSeatWeight, &_wbLoadState::nRSeatWeight,
                                        &_wbLoadState::nFuelVolume, &_wbLoadState::nTripFuel})
            EXPECT_TRUE(same(got.load.*p, want.load.*p)) << got.load.*p;
        EXPECT_EQ(got.load.nBallastPosn, want.load.nBallastPosn);
        EXPECT_EQ(got.load.bShowBurnOff, want.load.bShowBurnOff);
        // Recorded and read back, nothing differs; NaN included.
        EXPECT_EQ(recDifferences(got.outputs, want.outputs), std::vector<std::string>{});
        EXPECT_TRUE(std::isnan(got.outputs.points[POINT_LANDING].nWeight) == want.outputs.bLanding);
    }
}

} // namespace
