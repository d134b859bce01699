// A school of two machines on this one, each with a Syncthing instance of
// its own that talks only to the other, over loopback: the office's
// published aircraft reach the pilot's machine, and the pilot's filed
// sheets reach the office.
#include "program.h"
#include "support.h"
#include "sys/sign.h"

#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include <sys/prctl.h>

#include <csignal>

namespace
{

// Whether bDone holds within nSeconds, asked every 50 ms.
bool within(const std::function<bool()>& bDone, int nSeconds)
{
    const gint64 tEnd = g_get_monotonic_time() + gint64(nSeconds) * G_USEC_PER_SEC;
    while (!bDone())
        if (g_get_monotonic_time() > tEnd)
            return false;
        else
            g_usleep(50000);
    return true;
}

// Waits as within() does for what the test relies on: fails it, saying what
// never came.
bool poll(const std::function<bool()>& bDone, const std::string& strWhat, int nSeconds = 60)
{
    if (within(bDone, nSeconds))
        return true;
    ADD_FAILURE() << "waited " << nSeconds << " s in vain for " << strWhat;
    return false;
}

// Ports on loopback that nothing listens on: all held until all are found,
// so no two are the same.
std::vector<int> freePorts(int nCount)
{
    std::vector<int> ports;
    std::vector<GSocket*> held;
    for (int i = 0; i < nCount; i++) {
        GSocket* psock = g_socket_new(G_SOCKET_FAMILY_IPV4, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, nullptr);
        g_autoptr(GInetAddress) pinet = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
        g_autoptr(GSocketAddress) paddr = g_inet_socket_address_new(pinet, 0);
        if (psock)
            held.push_back(psock);
        if (!psock || !g_socket_bind(psock, paddr, FALSE, nullptr))
            break;
        g_autoptr(GSocketAddress) pbound = g_socket_get_local_address(psock, nullptr);
        ports.push_back(g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(pbound)));
    }
    for (GSocket* psock : held)
        g_object_unref(psock);
    return ports;
}

// One instance: its home, generated with a key of its own, and the process,
// ended and reaped when it goes, or when this test process ends first.
class Syncthing
{
  public:
    explicit Syncthing(const std::string& strHome) : m_strHome(strHome)
    {
        gint nStatus = -1;
        g_autofree gchar *pszOut = nullptr, *pszErr = nullptr;
        g_autofree gchar* pszHome = g_shell_quote(strHome.c_str());
        const std::string strCommand = std::string("syncthing generate --no-default-folder --home=") + pszHome;
        if (g_spawn_command_line_sync(strCommand.c_str(), &pszOut, &pszErr, &nStatus, nullptr) &&
            g_spawn_check_wait_status(nStatus, nullptr)) {
            const std::vector<std::string> id =
                zt::reSearch(zt::readFile(strHome + "/config.xml"), "<device id=\"([A-Z0-9-]+)\"");
            m_strId = id.empty() ? "" : id[1];
        }
    }
    ~Syncthing()
    {
        if (m_pproc) {
            g_subprocess_force_exit(m_pproc);
            g_subprocess_wait(m_pproc, nullptr, nullptr);
            g_object_unref(m_pproc);
        }
    }
    Syncthing(const Syncthing&) = delete;
    Syncthing& operator=(const Syncthing&) = delete;

    const std::string& id() const
    {
        return m_strId;
    }

    // Writes its configuration: listening on nListen alone, the peer at
    // nPeer, no discovery, relay, NAT, reports, upgrades or web page; each
    // folder ("aircraft" of type pszAircraft, "sheets" shared both ways)
    // watched and scanned a second after a change.
    void configure(const Syncthing& peer, int nListen, int nPeer, const std::string& strAircraft,
                   const char* pszAircraft, const std::string& strSheets)
    {
        const std::string strDevices = "<device id=\"" + m_strId + "\"/><device id=\"" + peer.m_strId + "\"/>";
        auto folder = [&](const char* pszId, const std::string& strPath, const char* pszType) {
            g_autofree gchar* pszPath = g_markup_escape_text(strPath.c_str(), -1);
            return std::string("<folder id=\"") + pszId + "\" path=\"" + pszPath + "\" type=\"" + pszType +
                   "\" rescanIntervalS=\"10\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\">" + strDevices +
                   "</folder>\n";
        };
        const std::string strPort = std::to_string(nListen);
        zt::writeFile(
            m_strHome + "/config.xml",
            "<configuration version=\"36\">\n" + folder("aircraft", strAircraft, pszAircraft) +
                folder("sheets", strSheets, "sendreceive") + "<device id=\"" + m_strId +
                "\"><address>dynamic</address></device>\n<device id=\"" + peer.m_strId +
                "\"><address>tcp://127.0.0.1:" + std::to_string(nPeer) +
                "</address></device>\n<gui enabled=\"false\"></gui>\n<options><listenAddress>tcp://127.0.0.1:" +
                strPort +
                "</listenAddress><globalAnnounceEnabled>false</globalAnnounceEnabled>"
                "<localAnnounceEnabled>false</localAnnounceEnabled><relaysEnabled>false</relaysEnabled>"
                "<natEnabled>false</natEnabled><urAccepted>-1</urAccepted><crashReportingEnabled>false"
                "</crashReportingEnabled><autoUpgradeIntervalH>0</autoUpgradeIntervalH><startBrowser>false"
                "</startBrowser><reconnectionIntervalS>1</reconnectionIntervalS></options>\n</configuration>\n");
    }

    // Starts it (one process: no monitor restarting it) and waits until
    // both folders are ready; whether they are.
    bool start()
    {
        g_autoptr(GSubprocessLauncher) plaunch = g_subprocess_launcher_new(G_SUBPROCESS_FLAGS_STDERR_MERGE);
        g_subprocess_launcher_setenv(plaunch, "STMONITORED", "1", TRUE);
        g_subprocess_launcher_set_stdout_file_path(plaunch, (m_strHome + "/log").c_str());
        g_subprocess_launcher_set_child_setup(
            plaunch, [](gpointer) { prctl(PR_SET_PDEATHSIG, SIGKILL); }, nullptr, nullptr);
        m_pproc = g_subprocess_launcher_spawn(plaunch, nullptr, "syncthing", "serve", "--no-browser", "--no-restart",
                                              "--no-upgrade", ("--home=" + m_strHome).c_str(), nullptr);
        return m_pproc &&
               within(
                   [&] {
                       return !g_subprocess_get_identifier(m_pproc) ||
                              log().find("Ready to synchronize sheets") != std::string::npos;
                   },
                   30) &&
               g_subprocess_get_identifier(m_pproc);
    }

    std::string log() const
    {
        return zt::readFile(m_strHome + "/log");
    }

  private:
    std::string m_strHome, m_strId;
    GSubprocess* m_pproc = nullptr;
};

// The files of a folder, the sync tool's own marker aside, with their bytes.
std::map<std::string, std::string> folderFiles(const std::string& strDir)
{
    std::map<std::string, std::string> files;
    for (const std::string& strName : zt::listDir(strDir))
        if (strName != ".stfolder")
            files[strName] = zt::readFile(strDir + "/" + strName);
    return files;
}

// Zarv on the command line, without a display.
int zarv(const std::vector<std::string>& args, std::string* pstrOut)
{
    return zt::runZarv(args, "/", pstrOut);
}

using School = zt::Tree;
using namespace zt::x11;

TEST_F(School, AircraftGoOutToThePilotAndSheetsComeBackToTheOffice)
{
    for (const char* pszDir : {"office", "office/etc", "office/published", "office/sheets", "published", "sheets"})
        g_mkdir(path(pszDir).c_str(), 0700);
    Syncthing office(path("office/syncthing")), pilot(path("syncthing"));
    if (office.id().empty() || pilot.id().empty())
        GTEST_SKIP() << "Syncthing cannot start here: \"syncthing generate\" failed (is it installed?)";
    const std::vector<int> ports = freePorts(2);
    ASSERT_EQ(ports.size(), 2u);
    office.configure(pilot, ports[0], ports[1], path("office/published"), "sendonly", path("office/sheets"));
    pilot.configure(office, ports[1], ports[0], path("published"), "receiveonly", path("sheets"));
    if (!office.start() || !pilot.start())
        GTEST_SKIP() << "Syncthing did not come up:\n" << office.log() << pilot.log();

    // The office publishes its aircraft; the pilot's machine has the same
    // files and uses them.
    const std::string strOffice = zt::readFile(ZARV_SOURCE_DIR "/tests/data/school-office.conf");
    ASSERT_EQ(strOffice.rfind("[School]\n", 0), 0u);
    zt::writeFile(path("office/etc/Zarv.conf"),
                  "[School]\nSheets=" + path("office/sheets") + "\n" + strOffice.substr(9));
    std::string strOut;
    ASSERT_EQ(zarv({"--publish", path("office/published"), path("office/etc")}, &strOut), 0) << strOut;
    const std::vector<std::string> revision = zt::reSearch(strOut, "^G-ZARV: revision ([0-9]+) published\n");
    ASSERT_FALSE(revision.empty()) << strOut;
    const std::vector<std::string> digest = zt::reSearch(strOut, "The school's key is SHA-256 ([0-9A-F ]{79}) \\(");
    ASSERT_FALSE(digest.empty()) << strOut;
    ASSERT_TRUE(poll([&] { return folderFiles(path("published")) == folderFiles(path("office/published")); },
                     "the published aircraft on the pilot's machine"))
        << office.log() << pilot.log();
    // (The key as its file's second line, once its digest was checked.)
    const std::vector<std::string> key =
        zt::reSearch(zt::readFile(path("published/School.pub")), "^untrusted comment: [^\n]*\n(\\S+)\n");
    ASSERT_FALSE(key.empty());
    zt::writeFile(path("etc/Zarv.conf"),
                  "[Load]\nLSeat=80\nRSeat=80\nFuel=60\nTrip=20\n[School]\nPublished=" + path("published") +
                      "\nKey=" + key[1] + "\nSheets=" + path("sheets") + "\n");
    EXPECT_EQ(zarv({"--published", path("etc")}, &strOut), 0) << strOut;
    // The pilot's machine names the key it received by the digest the
    // office gave.
    EXPECT_TRUE(zt::reMatch(strOut, "The school's key accepted here is SHA-256 " + digest[1] +
                                        " \\(minisign id [0-9A-F ]+\\)\n"
                                        "G-ZARV.aircraft: used, published by Skyways Flight School, revision " +
                                        revision[1] + ", [-0-9]{10}\n"))
        << strOut;

    // A sheet filed on the pilot's machine (Ctrl+P, the file printer, Return)
    // reaches the office, whose record check finds it matching.
    const std::string strWrong = fileSheet(path("bin"), [&] {
        for (const auto& [strName, strText] : folderFiles(path("sheets")))
            if (g_str_has_suffix(strName.c_str(), ".jsonl"))
                return true;
        return false;
    });
    ASSERT_EQ(strWrong, "") << zt::readFile(path("etc/Zarv.log"));
    ASSERT_TRUE(poll([&] { return folderFiles(path("office/sheets")) == folderFiles(path("sheets")); },
                     "the pilot's sheet at the office"))
        << office.log() << pilot.log();
    // The pilot's machine asked to join with its key; the office enrols it
    // by the digest the pilot reads out.
    const std::string strDigest = sgnKeyDigest(zt::readFile(path("etc/Machine.pub")));
    EXPECT_EQ(zarv({"--machines", path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_NE(strOut.find(", asking to join, key " + strDigest + "\n"), std::string::npos) << strOut;
    ASSERT_EQ(zarv({"--enrol", strDigest, path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_EQ(zarv({"--verify-record", path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_NE(strOut.find("1 sheet, all match\n"), std::string::npos) << strOut;
    // The list of machines goes out with the aircraft; the pilot's machine
    // checks the record by it.
    ASSERT_EQ(zarv({"--publish", path("office/published"), path("office/etc")}, &strOut), 0) << strOut;
    ASSERT_TRUE(poll([&] { return folderFiles(path("published")) == folderFiles(path("office/published")); },
                     "the school's machines on the pilot's machine"))
        << office.log() << pilot.log();
    EXPECT_EQ(zarv({"--verify-record", path("etc")}, &strOut), 0) << strOut;
    EXPECT_NE(strOut.find("the machines as the school published them (School.machines): 1\n"), std::string::npos)
        << strOut;

    // A byte of it changed on the pilot's machine: Zarv refuses it.
    std::string strAircraft = zt::readFile(path("published/G-ZARV.aircraft"));
    ASSERT_NE(strAircraft.find("2700"), std::string::npos) << strAircraft;
    strAircraft[strAircraft.find("2700")] = '3';
    zt::writeFile(path("published/G-ZARV.aircraft"), strAircraft);
    EXPECT_EQ(zarv({"--published", path("etc")}, &strOut), 1) << strOut;
    EXPECT_TRUE(zt::reMatch(strOut, "[^\n]*\nG-ZARV.aircraft: refused: its signature does not verify[^\n]*\n"))
        << strOut;
}

TEST_F(School, AFloodOfFilesIsSaidOnceAndNeverHidesTheSchoolsAircraft)
{
    for (const char* pszDir : {"office", "office/etc", "published"})
        g_mkdir(path(pszDir).c_str(), 0700);
    const std::string strOffice = zt::readFile(ZARV_SOURCE_DIR "/tests/data/school-office.conf");
    zt::writeFile(path("office/etc/Zarv.conf"), strOffice);
    std::string strOut;
    ASSERT_EQ(zarv({"--publish", path("published"), path("office/etc")}, &strOut), 0) << strOut;
    // Sorted before and after the school's own, as a sync tool or anyone
    // who may write there could leave them.
    auto flood = [&](const char* pszPrefix) {
        for (int n = 0; n < 5000; n++)
            for (const char* pszSuffix : {".aircraft", ".aircraft.minisig"})
                zt::writeFile(path("published") + "/" + pszPrefix + std::to_string(n) + pszSuffix, "junk");
    };
    flood("A");
    const std::vector<std::string> key =
        zt::reSearch(zt::readFile(path("published/School.pub")), "^untrusted comment: [^\n]*\n(\\S+)\n");
    ASSERT_FALSE(key.empty());
    zt::writeFile(path("etc/Zarv.conf"), "[School]\nPublished=" + path("published") + "\nKey=" + key[1] + "\n");
    EXPECT_EQ(zarv({"--published", path("etc")}, &strOut), 1) << strOut;
    EXPECT_TRUE(zt::reMatch(strOut, "The school's key accepted here[^\n]*\nG-ZARV.aircraft: used, published by "
                                    "Skyways Flight School, revision [0-9]+, [-0-9]{10}\n[^\n]*: refused: it and "
                                    "9999 more files are not in the school's signed index[^\n]*\n"))
        << strOut.substr(0, 2000);

    // The window takes the school's aircraft in, and answers while the
    // folder floods again.
    zt::Program program(path("bin"));
    ASSERT_NE(program.waitForWindow(120000), 0u) << program.stderrText();
    EXPECT_NE(conf().find("Registration=G-ZARV\n"), std::string::npos) << conf();
    flood("Z");
    EXPECT_TRUE(program.close());
    EXPECT_EQ(program.wait(120000), 0) << program.stderrText();
}

// The office puts an instructor's and a student's keys on the roster by
// the digests they read out, and revokes one: each change is published,
// signed with the school's key, as a pilot's machine reads it.
TEST_F(School, TheOfficeKeepsTheRosterOfPeoplesKeysAndPublishesEachChange)
{
    for (const char* pszDir : {"office", "office/etc", "published"})
        g_mkdir(path(pszDir).c_str(), 0700);
    zt::writeFile(path("office/etc/Zarv.conf"), "[School]\nName=Skyways\nPublishTo=" + path("published") + "\n");
    std::string strOut;
    std::map<std::string, std::string> digests;
    for (const char* pszName : {"Tom", "Anna"}) {
        const std::string strPublic = sgnNewKey().strPublic;
        zt::writeFile(path(pszName), strPublic);
        digests[pszName] = sgnKeyDigest(strPublic);
        const char* pszRole = g_str_equal(pszName, "Tom") ? "instructor" : "student";
        ASSERT_EQ(zarv({"--roster-add", path(pszName), "--name", pszName, "--role", pszRole, "--digest",
                        digests[pszName], path("office/etc")},
                       &strOut),
                  0)
            << strOut;
        EXPECT_TRUE(zt::reMatch(strOut, std::string(pszName) + "'s key " + digests[pszName] + " is on the roster as " +
                                            pszRole + " from [-0-9T:]{19}Z until revoked\nThe roster is published in " +
                                            path("published") + "\n"))
            << strOut;
    }
    ASSERT_EQ(zarv({"--publish", path("published"), path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_NE(strOut.find("The school's roster of 2 keys is published (School.roster)\n"), std::string::npos) << strOut;
    ASSERT_EQ(zarv({"--roster-revoke", digests["Anna"], path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_NE(strOut.find("Anna's key " + digests["Anna"] + " is revoked from "), std::string::npos) << strOut;
    EXPECT_EQ(zarv({"--roster", path("office/etc")}, &strOut), 0) << strOut;
    EXPECT_TRUE(
        zt::reMatch(strOut, "Tom, instructor, key " + digests["Tom"] +
                                ", from [-0-9T:]{19}Z, until revoked\nAnna, student, key " + digests["Anna"] +
                                ", from [-0-9T:]{19}Z, to [-0-9T:]{19}Z\n2 keys of 2 people on the roster[^\n]*\n"))
        << strOut;
    // The published roster verifies with the school's key and holds the
    // revocation.
    const std::string strRoster = zt::readFile(path("published/School.roster"));
    const _sgnVerified v = sgnVerify(strRoster, zt::readFile(path("published/School.roster.minisig")),
                                     zt::readFile(path("office/etc/School.pub")));
    EXPECT_TRUE(v.bGood) << v.strWhy;
    EXPECT_TRUE(zt::reMatch(strRoster, "[\\s\\S]*\nName=Anna\n[^[]*\nTo=[-0-9T:]{19}Z\n")) << strRoster;
}

} // namespace
