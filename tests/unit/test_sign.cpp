// Signatures in minisign's format: what verifies, why the rest does not, and
// the same files going both ways with the minisign tool.
#include "support.h"
#include "sys/sign.h"

#include <gio/gio.h>
#include <glib.h>
#include <gtest/gtest.h>

#include <csignal>
#include <sodium.h>

#include <functional>

namespace
{

const std::string DATA = "G-ZARV empty mass 412.5 kg\n";
const std::string TRUSTED = "G-ZARV, weighed 2026-11-02";

struct Keys {
    _sgnKeyPair mine = sgnNewKey();
    _sgnKeyPair other = sgnNewKey();
};
const Keys& keys()
{
    static const Keys k;
    return k;
}

struct SignCase {
    const char* pszName;
    // Changes what is checked: the data, the signature file, the public key.
    std::function<void(std::string&, std::string&, std::string&)> change;
    const char* pszWhy; // "" where it verifies
};

void PrintTo(const SignCase& c, std::ostream* os)
{
    *os << c.pszName;
}

class Signature : public testing::TestWithParam<SignCase>
{
};

TEST_P(Signature, Verifies)
{
    std::string strData = DATA;
    std::string strSig = sgnSign(DATA, keys().mine.strSecret, TRUSTED);
    std::string strPub = keys().mine.strPublic;
    GetParam().change(strData, strSig, strPub);
    _sgnVerified v = sgnVerify(strData, strSig, strPub);
    std::string strWhy = GetParam().pszWhy;
    strWhy = zt::reReplace(strWhy, "@", sgnKeyId(keys().mine.strPublic));
    EXPECT_EQ(v.bGood, strWhy.empty());
    EXPECT_EQ(v.strWhy, strWhy);
    EXPECT_EQ(v.strTrusted, strWhy.empty() ? TRUSTED : "");
}

// The older form signs the file itself: a prehashed signature of X is one of
// BLAKE2b-512(X) in it.
void legacy(std::string& strData, std::string& strSig, std::string&)
{
    std::string strLine = zt::reSearch(strSig, "\n([^\n]*)\n")[1];
    unsigned char sig[74];
    ASSERT_EQ(sodium_base642bin(sig, sizeof sig, strLine.data(), strLine.size(), nullptr, nullptr, nullptr,
                                sodium_base64_VARIANT_ORIGINAL),
              0);
    sig[1] = 'd';
    char sz[sodium_base64_ENCODED_LEN(sizeof sig, sodium_base64_VARIANT_ORIGINAL)];
    sodium_bin2base64(sz, sizeof sz, sig, sizeof sig, sodium_base64_VARIANT_ORIGINAL);
    strSig.replace(strSig.find(strLine), strLine.size(), sz);
    unsigned char hash[64];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(DATA.data()), DATA.size(), nullptr, 0);
    strData.assign(reinterpret_cast<const char*>(hash), sizeof hash);
}

const char* const FORMAT = "it is not a signature in minisign's format";

INSTANTIATE_TEST_SUITE_P(
    Cases, Signature,
    testing::Values(
        SignCase{"Good", [](std::string&, std::string&, std::string&) {}, ""},
        SignCase{"CrLf", [](std::string&, std::string& s, std::string&) { s = zt::reReplace(s, "\n", "\r\n"); }, ""},
        SignCase{"Legacy", legacy, ""},
        SignCase{"AnotherKey", [](std::string&, std::string&, std::string& p) { p = keys().other.strPublic; },
                 "it was signed with another key (ID @)"},
        SignCase{"TrustedChanged",
                 [](std::string&, std::string& s, std::string&) {
                     s = zt::reReplace(s, "\ntrusted comment: [^\n]*", "\ntrusted comment: G-ZORG");
                 },
                 "its trusted comment does not verify: it was changed after the file was signed"},
        SignCase{"CutShort", [](std::string&, std::string& s, std::string&) { s.resize(s.size() / 2); }, FORMAT},
        SignCase{"Garbage",
                 [](std::string&, std::string& s, std::string&) { s = std::string("\0\xff\n\n\n\n\x80", 7); }, FORMAT},
        SignCase{"Huge", [](std::string&, std::string& s, std::string&) { s += std::string(1 << 20, 'A'); }, FORMAT},
        SignCase{"Empty", [](std::string&, std::string& s, std::string&) { s.clear(); }, "there is no signature"},
        SignCase{"NoKey", [](std::string&, std::string&, std::string& p) { p = "RWQ"; },
                 "the public key is not a minisign public key"}),
    [](const testing::TestParamInfo<SignCase>& p) { return std::string(p.param.pszName); });

// A key's id is its number as minisign prints it: without leading zeros.
TEST(Signature, KeyIdWithoutLeadingZeros)
{
    unsigned char pub[42] = {'E', 'd', 0x81, 0x70, 0x6F, 0x5E, 0x4D, 0x3C, 0x0B, 0x00};
    char sz[sodium_base64_ENCODED_LEN(sizeof pub, sodium_base64_VARIANT_ORIGINAL)];
    sodium_bin2base64(sz, sizeof sz, pub, sizeof pub, sodium_base64_VARIANT_ORIGINAL);
    EXPECT_EQ(sgnKeyId(sz), "B3C4D5E6F7081");
    EXPECT_EQ(sgnKeyIdShown(sz), "B3C4 D5E6 F708 1");
    // What a person compares is the SHA-256 of the whole key (its value
    // from Python's hashlib), typed in any case and grouping; a key that
    // borrows the id but not the key bytes has another.
    const char* pszDigest = "5747 D01D 3F14 712F 3024 DD1D D42C B6DE F4BA 24E9 4EC1 772E BC10 879A DA1F D0B5";
    EXPECT_EQ(sgnKeyDigest(sz), pszDigest);
    EXPECT_TRUE(sgnDigestMatches(sz, "5747d01d-3f14712f 3024dd1dd42cb6def4ba24e94ec1772ebc10879ada1fd0b5"));
    EXPECT_FALSE(sgnDigestMatches(sz, "5747 D01D 3F14 712F"));
    pub[41] = 1;
    sodium_bin2base64(sz, sizeof sz, pub, sizeof pub, sodium_base64_VARIANT_ORIGINAL);
    EXPECT_EQ(sgnKeyId(sz), "B3C4D5E6F7081");
    EXPECT_FALSE(sgnDigestMatches(sz, pszDigest));
    EXPECT_EQ(sgnKeyDigest("RWQ"), "");
}

// Runs minisign in a directory, given pszInput (a passphrase) on its
// standard input; its error output where it fails.
std::string minisign(const std::string& strDir, std::vector<const char*> args, const char* pszInput = "")
{
    // A minisign that asks for no passphrase may end before its input is
    // written: the write fails, rather than ending the test.
    signal(SIGPIPE, SIG_IGN);
    args.insert(args.begin(), "/usr/bin/minisign");
    args.push_back(nullptr);
    g_autoptr(GSubprocessLauncher) pLauncher = g_subprocess_launcher_new(GSubprocessFlags(
        G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_SILENCE | G_SUBPROCESS_FLAGS_STDERR_PIPE));
    g_subprocess_launcher_set_cwd(pLauncher, strDir.c_str());
    g_autoptr(GError) pError = nullptr;
    g_autoptr(GSubprocess) pProcess = g_subprocess_launcher_spawnv(pLauncher, args.data(), &pError);
    g_autofree gchar* pszErr = nullptr;
    if (!pProcess || !g_subprocess_communicate_utf8(pProcess, pszInput, nullptr, nullptr, &pszErr, &pError))
        return std::string("did not run: ") + pError->message;
    return g_subprocess_get_successful(pProcess) ? "" : std::string("failed: ") + (pszErr ? pszErr : "");
}

// Both ways, with keys of Zarv's (unencrypted and under a passphrase, which
// minisign takes on its standard input) and of minisign's own.
TEST(Signature, WithMinisign)
{
    if (!g_file_test("/usr/bin/minisign", G_FILE_TEST_IS_EXECUTABLE))
        GTEST_SKIP() << "minisign is not installed";
    const char* pszPass = "correct h\xc3\xb6rse";
    const std::string strTwice = std::string(pszPass) + "\n" + pszPass + "\n";
    zt::TempDir dir;
    ASSERT_EQ(minisign(dir.path(), {"-G", "-W", "-p", "m.pub", "-s", "m.key"}), "");
    _sgnKeyPair theirs{zt::readFile(dir / "m.key"), zt::readFile(dir / "m.pub")};
    EXPECT_EQ(zt::reSearch(theirs.strPublic, "public key ([0-9A-F]{1,16})\n").at(1), sgnKeyId(theirs.strPublic));
    zt::writeFile(dir / "f", DATA);
    // minisign's own locked keys ask a gigabyte of memory each time: Zarv
    // reads their form, which its own locked key shares, without one.
    int nKey = 0; // the last is locked
    for (const _sgnKeyPair& pair : {keys().mine, theirs, sgnNewLockedKey(pszPass)}) {
        SCOPED_TRACE(sgnKeyId(pair.strPublic));
        bool bWrong = true;
        std::string strWhy;
        const _sgnUnlockedPtr key = sgnUnlock(pair.strSecret, pszPass, &bWrong, &strWhy);
        ASSERT_TRUE(key) << strWhy;
        const std::string strLine = sgnPublicLine(pair.strPublic);
        EXPECT_EQ(sgnUnlockedPublic(*key), strLine);
        zt::writeFile(dir / "f.minisig", sgnSignUnlocked(*key, DATA, TRUSTED));
        EXPECT_EQ(minisign(dir.path(), {"-Vm", "f", "-x", "f.minisig", "-P", strLine.c_str()}), "");
        // Without its passphrase, a locked key signs nothing.
        const bool bLocked = nKey++ >= 2;
        EXPECT_EQ(sgnSign(DATA, pair.strSecret, TRUSTED).empty(), bLocked);
        zt::writeFile(dir / "k.key", pair.strSecret);
        ASSERT_EQ(minisign(dir.path(), {"-S", "-s", "k.key", "-m", "f", "-t", TRUSTED.c_str()},
                           bLocked ? strTwice.c_str() : ""),
                  "");
        _sgnVerified v = sgnVerify(DATA, zt::readFile(dir / "f.minisig"), pair.strPublic);
        EXPECT_TRUE(v.bGood) << v.strWhy;
        EXPECT_EQ(v.strTrusted, TRUSTED);
    }
}

} // namespace
