// One GUI session under valgrind's memcheck: start, an edit on each page,
// close. No invalid access and no definite leak; only the toolkit's own
// findings are suppressed (tests/valgrind.supp).
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

namespace
{

using namespace zt::x11;

constexpr int VALGRIND_ERROR = 42;

TEST(Valgrind, OneSessionIsClean)
{
    ZT_NEED_DISPLAY();
    zt::TempDir dir;
    g_mkdir((dir / "bin").c_str(), 0755);
    g_mkdir((dir / "etc").c_str(), 0755);
    zt::writeFile(dir / "etc/Zarv.ui", zt::readFile(zt::uiPath()));
    std::vector<std::string> env;
    for (const char* pszName : {"DISPLAY", "XAUTHORITY", "HOME", "PATH"})
        if (const char* pszValue = g_getenv(pszName))
            env.push_back(std::string(pszName) + "=" + pszValue);
    env.insert(env.end(), {"NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory", "GTK_THEME=Adwaita"});
    zt::Program program({"valgrind", "--leak-check=full", "--show-leak-kinds=definite",
                         "--errors-for-leak-kinds=definite", "--error-exitcode=" + std::to_string(VALGRIND_ERROR),
                         "--num-callers=40", "--suppressions=" ZARV_SOURCE_DIR "/tests/valgrind.supp",
                         "--log-file=" + dir / "valgrind.log", ZARV_EXE},
                        dir / "bin", env, getuid(), getgid());
    const unsigned long nWin = program.waitForWindow(120000);
    ASSERT_NE(nWin, 0ul) << program.stderrText();
    ASSERT_TRUE(focusWindow(nWin));
    // Each step is waited for in the file it stores: under memcheck the
    // program is slow, and a close would otherwise overtake the keys.
    auto stored = [&](const char* pszText) {
        return zt::spinUntil([&] { return zt::readFile(dir / "etc/Zarv.conf").find(pszText) != std::string::npos; },
                             120000);
    };
    keys("alt+s Tab");
    typeText("400");
    keys("Return Down Down Down Down Down Down Down space"); // a weight, then pounds
    EXPECT_TRUE(stored("[Unit]\nWeight=1"));
    keys("alt+b Tab");
    typeText("80");
    keys("Return");
    EXPECT_TRUE(stored("LSeat=36.28")); // 80 lb
    ASSERT_TRUE(program.close());
    const int nStatus = program.wait(120000);
    const std::string strLog = zt::readFile(dir / "valgrind.log");
    EXPECT_EQ(nStatus, 0) << strLog;
    EXPECT_NE(strLog.find("ERROR SUMMARY: 0 errors"), std::string::npos) << strLog;
    const std::string strConf = zt::readFile(dir / "etc/Zarv.conf");
    EXPECT_NE(strConf.find("LSeat=36.28"), std::string::npos) << strConf; // 80 lb
    EXPECT_NE(strConf.find("[Unit]\nWeight=1"), std::string::npos) << strConf;
}

} // namespace
