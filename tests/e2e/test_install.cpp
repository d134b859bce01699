// Zarv installed from the Debian package that scripts/package builds, as a
// pilot's desktop has it: the launcher, the desktop entry, the metainfo, and
// per-user settings that survive a restart, for a user who cannot write to
// the prefix.
#include "program.h"
#include "support.h"

#include <gtest/gtest.h>

#include <glib/gstdio.h>

#include <pwd.h>
#include <unistd.h>

namespace
{

using namespace zt::x11;

int runCommand(const std::vector<std::string>& args, std::string* pstrOutput = nullptr)
{
    std::vector<gchar*> argv;
    for (const std::string& s : args)
        argv.push_back(const_cast<gchar*>(s.c_str()));
    argv.push_back(nullptr);
    g_autofree gchar* pszOut = nullptr;
    g_autofree gchar* pszErr = nullptr;
    gint nStatus = -1;
    if (!g_spawn_sync(nullptr, argv.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, &pszOut, &pszErr, &nStatus,
                      nullptr))
        return -1;
    if (pstrOutput)
        *pstrOutput = std::string(pszOut ? pszOut : "") + (pszErr ? pszErr : "");
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

class Installed : public testing::Test
{
  protected:
    void SetUp() override
    {
        ZT_NEED_DISPLAY();
        g_chmod(m_dir.path().c_str(), 0755);
        std::string strOut;
        // Unpacked as dpkg installs it, into a root of the test's own: the
        // launcher finds the rest of Zarv from its own place.
        ASSERT_FALSE(package().empty()) << "no single zarv_*.deb in " ZARV_PACKAGE_DIR ": run scripts/package";
        ASSERT_EQ(runCommand({"dpkg-deb", "-x", package(), m_dir / "root"}, &strOut), 0) << strOut;
        ASSERT_EQ(buildId(prefix() + "/libexec/zarv/zarv"), buildId(ZARV_EXE))
            << package() << " was not built from this tree's program: run scripts/package";
        // The user: nobody when we are root, else ourselves with the prefix
        // made read-only.
        if (geteuid() == 0) {
            const passwd* ppw = getpwnam("nobody");
            ASSERT_NE(ppw, nullptr);
            m_nUid = ppw->pw_uid, m_nGid = ppw->pw_gid;
        } else {
            m_nUid = geteuid(), m_nGid = getegid();
            runCommand({"chmod", "-R", "a-w", prefix()});
        }
        // The user's copy of the X authority, so that they may use the display.
        if (const char* pszAuth = g_getenv("XAUTHORITY")) {
            zt::writeFile(m_dir / "Xauthority", zt::readFile(pszAuth));
            g_chmod((m_dir / "Xauthority").c_str(), 0600);
            if (chown((m_dir / "Xauthority").c_str(), m_nUid, m_nGid) != 0)
                FAIL() << "chown";
        }
    }
    void TearDown() override
    {
        runCommand({"chmod", "-R", "u+w", prefix()});
    }

    std::string prefix() const
    {
        return m_dir / "root/usr";
    }

    // The GNU build id of a program, which stripping keeps.
    static std::string buildId(const std::string& strProgram)
    {
        std::string strOut;
        const std::vector<std::string> m = runCommand({"readelf", "-n", strProgram}, &strOut) == 0
                                               ? zt::reSearch(strOut, "Build ID: ([0-9a-f]+)")
                                               : std::vector<std::string>{};
        return m.empty() ? "none in " + strProgram : m[1];
    }

    // The package scripts/package built, where there is exactly one.
    static std::string package()
    {
        std::vector<std::string> debs;
        for (const std::string& strName : zt::listDir(ZARV_PACKAGE_DIR))
            if (g_str_has_prefix(strName.c_str(), "zarv_") && g_str_has_suffix(strName.c_str(), ".deb"))
                debs.push_back(ZARV_PACKAGE_DIR "/" + strName);
        return debs.size() == 1 ? debs[0] : "";
    }

    // A home of its own for each user name.
    std::string home(const char* pszUser)
    {
        const std::string strHome = m_dir / pszUser;
        g_mkdir(strHome.c_str(), 0700);
        EXPECT_EQ(chown(strHome.c_str(), m_nUid, m_nGid), 0);
        return strHome;
    }

    // The launcher started from the desktop, with HOME (none where empty)
    // and one more variable where given, once its window is up.
    std::unique_ptr<zt::Program> launch(const std::string& strHome, const std::string& strVar = "")
    {
        std::vector<std::string> env = {"PATH=/usr/bin:/bin", "NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory",
                                        "GTK_THEME=Adwaita"};
        for (const std::string& str : {strHome.empty() ? "" : "HOME=" + strHome, strVar})
            if (!str.empty())
                env.push_back(str);
        for (const char* pszName : {"DISPLAY", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* pszValue = g_getenv(pszName))
                env.push_back(std::string(pszName) + "=" + pszValue);
        if (g_getenv("XAUTHORITY"))
            env.push_back("XAUTHORITY=" + m_dir / "Xauthority");
        auto program =
            std::make_unique<zt::Program>(std::vector<std::string>{prefix() + "/bin/zarv"}, "/", env, m_nUid, m_nGid);
        const unsigned long nWin = program->waitForWindow();
        EXPECT_NE(nWin, 0ul) << program->stderrText();
        EXPECT_TRUE(focusWindow(nWin));
        return program;
    }

    zt::TempDir m_dir;
    uid_t m_nUid = 0;
    gid_t m_nGid = 0;
};

TEST_F(Installed, DesktopEntryAndMetainfoValidate)
{
    std::string strOut;
    EXPECT_EQ(runCommand({"desktop-file-validate", prefix() + "/share/applications/org.zarv.Zarv.desktop"}, &strOut), 0)
        << strOut;
    const std::string strMetainfo = prefix() + "/share/metainfo/org.zarv.Zarv.metainfo.xml";
    EXPECT_EQ(runCommand({"appstreamcli", "validate", "--pedantic", "--no-net", strMetainfo}, &strOut), 0) << strOut;
    // Pedantic notes are allowed only for the id's capitals, which the
    // desktop entry's name fixes; anything else is a finding.
    EXPECT_EQ(strOut.find("\nI: "), std::string::npos) << strOut;
    EXPECT_EQ(zt::reReplace(strOut, "P: [^:]+:[0-9]+: cid-contains-uppercase-letter[^\n]*\n", "").find("P: "),
              std::string::npos)
        << strOut;
    // The store listing's releases come from the changelog, with its notes,
    // and every screenshot it shows is in data/screenshots.
    const std::string strListing = zt::readFile(strMetainfo);
    EXPECT_NE(strListing.find("<release version=\"" ZARV_VERSION "\""), std::string::npos) << strListing;
    EXPECT_NE(strListing.find("<li>Dark themes, small screens, a manual page and a clean package.</li>"),
              std::string::npos);
    const auto shots = zt::reSearchAll(strListing, "/screenshots/([^<]+)</image>");
    for (const std::vector<std::string>& m : shots)
        EXPECT_TRUE(zt::exists(std::string(ZARV_SOURCE_DIR) + "/data/screenshots/" + m[1])) << m[1];
    EXPECT_EQ(shots.size(), 3u);
    // The user guide, where the help viewer finds help:zarv, is valid Mallard.
    EXPECT_TRUE(zt::exists(prefix() + "/share/help/C/zarv/index.page"));
    EXPECT_EQ(runCommand({"yelp-check", "validate", prefix() + "/share/help/C/zarv"}, &strOut), 0) << strOut;
    EXPECT_EQ(strOut, "");
    EXPECT_TRUE(zt::exists(prefix() + "/share/icons/hicolor/scalable/apps/org.zarv.Zarv.svg"));
    EXPECT_TRUE(zt::exists(prefix() + "/share/zarv/Zarv.ui"));
}

// The installed program is built with Debian's hardening: position
// independent, relocations read-only and bound at start, the stack
// protector, and fortified C library calls.
TEST_F(Installed, ProgramIsHardened)
{
    const std::string strProgram = prefix() + "/libexec/zarv/zarv";
    std::string strHeader, strDynamic, strSegments, strSymbols;
    ASSERT_EQ(runCommand({"readelf", "-hW", strProgram}, &strHeader), 0) << strHeader;
    ASSERT_EQ(runCommand({"readelf", "-dW", strProgram}, &strDynamic), 0);
    ASSERT_EQ(runCommand({"readelf", "-lW", strProgram}, &strSegments), 0);
    ASSERT_EQ(runCommand({"nm", "-D", strProgram}, &strSymbols), 0);
    EXPECT_NE(strHeader.find("DYN (Position-Independent Executable file)"), std::string::npos) << strHeader;
    EXPECT_NE(strDynamic.find("BIND_NOW"), std::string::npos) << strDynamic;
    EXPECT_NE(strSegments.find("GNU_RELRO"), std::string::npos);
    EXPECT_NE(strSymbols.find("__stack_chk_fail"), std::string::npos);
    EXPECT_NE(strSymbols.find("_chk@"), strSymbols.find("__stack_chk_fail@")) << strSymbols;
    EXPECT_NE(strSymbols.find("__snprintf_chk"), std::string::npos) << strSymbols;
}

// The Debian package passes lintian's pedantic checks with no error and no
// warning.
TEST_F(Installed, PackagePassesLintian)
{
    std::string strOut;
    EXPECT_EQ(
        runCommand({"lintian", "--pedantic", "--fail-on", "error,warning", "--color", "never", package()}, &strOut), 0)
        << strOut;
    // Help opens in the desktop's viewer, which the package recommends.
    EXPECT_EQ(runCommand({"dpkg-deb", "-f", package(), "Recommends"}, &strOut), 0);
    EXPECT_EQ(strOut, "yelp\n");
}

TEST_F(Installed, EachUserKeepsSettingsOfTheirOwnAcrossRestarts)
{
    const std::string strHome = home("pilot");
    const std::string strEtc = strHome + "/.local/share/zarv/etc";
    {
        auto program = launch(strHome);
        keys("alt+s Tab");
        typeText("400");
        keys("Return");
        ASSERT_TRUE(program->close());
        EXPECT_EQ(program->wait(), 0);
        EXPECT_EQ(program->stderrText(), strHome + "/.local/share/zarv\n");
    }
    EXPECT_NE(zt::readFile(strEtc + "/Zarv.conf").find("[Basic]\nWeight=400\n"), std::string::npos);
    EXPECT_NE(zt::readFile(strEtc + "/Zarv.log").find("Zarv Started"), std::string::npos);
    g_autofree gchar* pszLink = g_file_read_link((strEtc + "/Zarv.ui").c_str(), nullptr);
    EXPECT_STREQ(pszLink, (prefix() + "/share/zarv/Zarv.ui").c_str());

    {
        auto program = launch(strHome); // the change survives a restart
        keys("alt+s Tab");
        EXPECT_EQ(selectionOnceItIs("400.0"), "400.0");
        ASSERT_TRUE(program->close());
        EXPECT_EQ(program->wait(), 0);
    }
    // Another user starts afresh, with a Zarv.ui of their own that stays.
    const std::string strCopilot = home("copilot");
    const std::string strOwnUi = zt::readFile(prefix() + "/share/zarv/Zarv.ui") + "<!-- mine -->\n";
    g_mkdir_with_parents((strCopilot + "/.local/share/zarv/etc").c_str(), 0700);
    zt::writeFile(strCopilot + "/.local/share/zarv/etc/Zarv.ui", strOwnUi);
    ASSERT_EQ(runCommand({"chown", "-R", std::to_string(m_nUid) + ":" + std::to_string(m_nGid), strCopilot}), 0);
    {
        auto program = launch(strCopilot);
        keys("alt+s Tab");
        EXPECT_EQ(selectionOnceItIs("0.0"), "0.0");
        ASSERT_TRUE(program->close());
        EXPECT_EQ(program->wait(), 0);
    }
    EXPECT_EQ(zt::readFile(strCopilot + "/.local/share/zarv/etc/Zarv.ui"), strOwnUi);
    EXPECT_NE(zt::readFile(strEtc + "/Zarv.conf").find("Weight=400"), std::string::npos);
}

// Where settings could be changed by another user, or could not be kept at
// all, the launcher says so in a window (and on standard error) and starts
// no Zarv: no Zarv.conf is read or written.
TEST_F(Installed, TheLauncherRefusesWhatItCannotKeepSafe)
{
    const std::string strShared = m_dir / "shared", strSticky = m_dir / "sticky";
    const std::string strTheirs = strSticky + "/zarv/etc/Zarv.conf";
    // Another user's etc, 0777 with a Zarv.conf of theirs, in a sticky /tmp.
    ASSERT_EQ(runCommand({"install", "-d", "-m", "777", strShared, strSticky + "/zarv/etc"}), 0);
    zt::writeFile(strTheirs, "[Basic]\nWeight=250\n");
    // Another user's link in a sticky data home to the pilot's own settings,
    // which they could re-point later.
    const std::string strPlanted = m_dir / "planted", strPilot = home("pilot");
    ASSERT_EQ(runCommand({"install", "-d", "-m", "1777", strPlanted}), 0);
    ASSERT_EQ(runCommand({"install", "-d", "-m", "700", "-o", std::to_string(m_nUid), strPilot + "/.local",
                          strPilot + "/.local/share", strPilot + "/.local/share/zarv"}),
              0);
    ASSERT_EQ(runCommand({"ln", "-s", strPilot + "/.local/share/zarv", strPlanted + "/zarv"}), 0);
    const bool bOtherUser = geteuid() == 0 && runCommand({"chmod", "-R", "1777", strSticky}) == 0 &&
                            runCommand({"chown", "-R", "4242", strSticky + "/zarv"}) == 0 &&
                            runCommand({"chown", "-h", "4242", strPlanted + "/zarv"}) == 0;
    const struct {
        std::string strHome, strVar, strSays;
    } cases[] = {
        {home("pilot"), "XDG_DATA_HOME=" + strShared, strShared + " can be changed by other users"},
        {home("pilot"), "XDG_DATA_HOME=" + strSticky, strSticky + "/zarv can be changed by other users"},
        {strPilot, "XDG_DATA_HOME=" + strPlanted, strPlanted + "/zarv can be changed by other users"},
        {"", "", "there is nowhere to keep your settings"},
        {"/proc", "XDG_DATA_HOME=relative", "there is nowhere to keep your settings"},
    };
    for (const auto& c : cases) {
        if ((c.strVar.find(strSticky) != std::string::npos || c.strVar.find(strPlanted) != std::string::npos) &&
            !bOtherUser)
            continue; // no other user to be without root
        auto program = launch(c.strHome, c.strVar);
        ASSERT_TRUE(program->close()) << c.strSays;
        EXPECT_EQ(program->wait(), 1) << c.strSays;
        const std::string strErr = program->stderrText();
        EXPECT_EQ(strErr.find("zarv: " + c.strSays + "\n"), 0u) << strErr;
    }
    EXPECT_EQ(zt::readFile(strTheirs), "[Basic]\nWeight=250\n");
}

} // namespace
