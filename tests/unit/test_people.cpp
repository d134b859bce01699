// The saved people's file: what a pilot saved reads back as saved, and a
// file Zarv must not trust is refused, said, and never replaced.
#include "store.h"
#include "store/flight/people.h"
#include "store/flight/signing.h"
#include "support.h"
#include "sys/errlog.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// People.conf as found at start: its text (none: no file), whether it is
// reached through a link, belongs to someone else, or others may write it; what the log and the
// window then say ("" for nothing), and how many people are offered.
struct PeopleFile {
    const char* pszWhat;
    const char* pszText;
    bool bLink, bOthers;
    const char* pszRefusal;
    size_t nPeople;
    mode_t nMode = 0; // its mode, where not as written
};

void PrintTo(const PeopleFile& c, std::ostream* os)
{
    *os << c.pszWhat;
}

constexpr const char* TWO = "[Person 1]\nName=\xd7\x90\xd7\xa0\xd7\x94 \xd7\xa7\n"
                            "Weight=62.5\nRole=instructor\n\n[Person 2]\nName=Bo \\\\ \\nLee\nWeight=101\n";

class PeopleFiles : public zt::FreshStore<testing::TestWithParam<PeopleFile>>
{
  protected:
    std::string file() const
    {
        return m_dir / "People.conf";
    }
};

std::vector<std::string> m_told;
// A public key's line, as minisign printed it.
constexpr const char* KEY = "RWSBYIOvnIzZmRctJqmIH9/K+ve2ZpH+ckyCuX+4gPpTZsVSGMw9RcRg";

TEST_P(PeopleFiles, ReadBackAsSavedOrRefusedAndKept)
{
    const PeopleFile& c = GetParam();
    if (c.pszText)
        zt::writeFile(c.bLink ? m_dir / "elsewhere" : file(), c.pszText);
    else if (*c.pszRefusal)
        zt::writeFile(file(), std::string(PPL_MAX_FILE + 1, '#'));
    if (c.bLink) {
        ASSERT_EQ(symlink((m_dir / "elsewhere").c_str(), file().c_str()), 0);
    }
    if (c.nMode) {
        ASSERT_EQ(chmod(file().c_str(), c.nMode), 0);
    }
    // Someone else's file, as the store tells whose files are the pilot's.
    if (c.bOthers)
        prmFileOps().pfuncOwnUid = [] { return geteuid() + 1; };
    m_told.clear();
    errSetPilotListener([](const std::string& str) { m_told.push_back(str); });
    zt::writeFile(m_dir / "People.conf.tmp-ab12CD", "a rewrite a crash cut short");
    pplLoad();
    EXPECT_FALSE(zt::exists(m_dir / "People.conf.tmp-ab12CD"));
    const std::string strBefore = zt::exists(file()) ? zt::readFile(file()) : "";
    const std::vector<_pplPerson> more = [] {
        std::vector<_pplPerson> v = pplPeople();
        v.push_back({"Chlo\xc3\xa9", 82.25, PPL_ROLE_STUDENT, KEY});
        return v;
    }();
    const std::string strSaved = pplSave(more);
    errSetPilotListener(nullptr);

    EXPECT_EQ(pplPeople().size(), c.nPeople + (*c.pszRefusal ? 0 : 1));
    if (*c.pszRefusal) {
        EXPECT_NE(zt::readFile(m_dir / "Zarv.log").find(c.pszRefusal), std::string::npos);
        ASSERT_FALSE(m_told.empty());
        EXPECT_NE(m_told.front().find(c.pszRefusal), std::string::npos) << m_told.front();
        EXPECT_NE(strSaved, "");
        EXPECT_EQ(zt::exists(file()) ? zt::readFile(file()) : "", strBefore);
        return;
    }
    EXPECT_EQ(strSaved, "");
    EXPECT_TRUE(m_told.empty());
    struct stat st;
    ASSERT_EQ(lstat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    // The next run reads exactly what was saved.
    pplReset();
    pplLoad();
    ASSERT_EQ(pplPeople().size(), more.size());
    for (size_t i = 0; i < more.size(); i++) {
        EXPECT_EQ(pplPeople()[i].strName, more[i].strName);
        EXPECT_EQ(pplPeople()[i].nWeight, more[i].nWeight);
        EXPECT_EQ(pplPeople()[i].nRole, more[i].nRole);
        EXPECT_EQ(pplPeople()[i].strKey, more[i].strKey);
    }
}

INSTANTIATE_TEST_SUITE_P(
    People, PeopleFiles,
    testing::Values(PeopleFile{"none yet", nullptr, false, false, "", 0},
                    PeopleFile{"two, one written right to left", TWO, false, false, "", 2},
                    PeopleFile{"a link", TWO, true, false, "is a link", 0},
                    PeopleFile{"another user's", TWO, false, true, "belongs to another user", 0},
                    PeopleFile{"one others may write", TWO, false, false, "may be changed by other users", 0, 0664},
                    PeopleFile{"a line that is no key", "[Person 1]\nName=Anna\nAnna weighs 60\n", false, false,
                               "cannot be read", 0},
                    PeopleFile{"a weight that is no number", "[Person 1]\nName=Anna\nWeight=60kg\n", false, false,
                               "no weight that is a number", 0},
                    PeopleFile{"a weight no one has", "[Person 1]\nName=Anna\nWeight=6000\n", false, false,
                               "a weight no person can have", 0},
                    PeopleFile{"a weight that would read as an empty seat", "[Person 1]\nName=Anna\nWeight=0.04\n",
                               false, false, "a weight no person can have", 0},
                    PeopleFile{"one person written twice", "[Person 1]\nName=A\nWeight=60\n[Person 1]\nWeight=95\n",
                               false, false, "holds [Person 1] twice", 0},
                    PeopleFile{"a weight written twice", "[Person 1]\nName=Al\nWeight=80\nWeight=280\n", false, false,
                               "holds Weight in [Person 1] twice", 0},
                    PeopleFile{"longer than any People.conf", nullptr, false, false, "larger than any", 0},
                    PeopleFile{"a key that is no key", "[Person 1]\nName=Al\nWeight=80\nKey=RWQ\n", false, false,
                               "a key that is no minisign public key", 0},
                    PeopleFile{"no name", "[Person 1]\nName= \nWeight=60\n", false, false, "has no name", 0},
                    PeopleFile{"a name twice", "[Person 1]\nName=A\nWeight=60\n[Person 2]\nName=A\nWeight=70\n", false,
                               false, "a name given before", 0},
                    // A blank at its end makes no other person of Anna.
                    PeopleFile{"a name twice but for a blank",
                               "[Person 1]\nName=Anna\nWeight=62\n[Person 2]\nName=Anna\\s\nWeight=120\n", false, false,
                               "a name given before", 0}));

// Who gets out before the next leg, by the roles aboard (left, right).
TEST(PeopleOut, TheRolesAboardSayWhoGetsOut)
{
    const struct {
        _pplRole nLeft, nRight;
        std::optional<size_t> nOut;
    } cases[] = {
        {PPL_ROLE_STUDENT, PPL_ROLE_INSTRUCTOR, 1}, // before the student's solo
        {PPL_ROLE_PASSENGER, PPL_ROLE_PILOT, 0},
        {PPL_ROLE_INSTRUCTOR, PPL_ROLE_PASSENGER, 1},
        {PPL_ROLE_PASSENGER, PPL_ROLE_PASSENGER, std::nullopt},
        {PPL_ROLE_PILOT, PPL_ROLE_INSTRUCTOR, std::nullopt},
        {PPL_ROLE_STUDENT, PPL_ROLE_NONE, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pplWhoGetsOut({c.nLeft, c.nRight}), c.nOut) << c.nLeft << ", " << c.nRight;
}

// Why a passphrase is refused: short in characters (not bytes), or pasted
// with a line end.
TEST(SigningKeys, PassphraseRefusedWhereWeakOrPasted)
{
    const char* const SHORT = "a passphrase of at least 8 characters";
    const char* const PASTED = "the passphrase holds a line end: it was pasted with one; type it again";
    const struct {
        const char *pszPassphrase, *pszWhy;
    } cases[] = {{"", SHORT},
                 {"eight888", ""},
                 {"long\r\nenough", PASTED},
                 {"\n", PASTED},
                 // 7 and 8 characters in twice as many bytes
                 {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", SHORT},
                 {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(sgkPassphraseWhy(c.pszPassphrase), c.pszWhy) << c.pszPassphrase;
}

mode_t modeOf(const std::string& strPath)
{
    struct stat st;
    return stat(strPath.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A key of someone else's under the id of strLine's: unencrypted, its
// checksum left out as some minisign versions do.
std::string anotherKey(const std::string& strLine)
{
    unsigned char pub[42], sec[158];
    const std::string strSec = sgnNewKey().strSecret, strSecLine = zt::reSearch(strSec, "\n([^\n]*)\n").at(1);
    for (auto [s, p, n] : {std::tuple{strLine, pub, sizeof pub}, {strSecLine, sec, sizeof sec}})
        sodium_base642bin(p, n, s.data(), s.size(), nullptr, nullptr, nullptr, sodium_base64_VARIANT_ORIGINAL);
    std::memcpy(sec + 54, pub + 2, 8);
    std::memset(sec + 126, 0, 32);
    char sz[sodium_base64_ENCODED_LEN(sizeof sec, sodium_base64_VARIANT_ORIGINAL)];
    return sodium_bin2base64(sz, sizeof sz, sec, sizeof sec, sodium_base64_VARIANT_ORIGINAL);
}

class SigningKeyFiles : public zt::FreshStore<testing::Test>
{
};

// Tom's key as made, then what may lie in its file's place when he
// accepts, the passphrase typed, and what is said ("" where it unlocks,
// "wrong" for a wrong passphrase).
TEST_F(SigningKeyFiles, UnlockOnlyTheUsersOwnWholeKey)
{
    const char* pszPass = "Tom's own passphrase";
    std::string strWhy;
    const std::string strLine = sgnPublicLine(sgkMake(pszPass, &strWhy)), strId = sgnKeyId(strLine);
    const std::string strName = std::string(SGK_FOLDER) + "/" + strId + ".key", strPath = m_dir / strName;
    ASSERT_NE(strLine, "") << strWhy;
    EXPECT_EQ(sgnPublicLine(zt::readFile(sgkPublicFile(strLine))), strLine);
    EXPECT_EQ(modeOf(m_dir / SGK_FOLDER) * 01000000 + modeOf(strPath) * 01000 + modeOf(sgkPublicFile(strLine)),
              0700600644u);
    const std::string strSecret = zt::readFile(strPath), strLink = strPath + "~";
    const struct {
        const char* pszWhat;
        std::function<void()> lay;
        const char *pszPass, *pszWhy;
    } cases[] = {
        {"as made", [] {}, pszPass, ""},
        {"a wrong passphrase", [] {}, "Tom's own", "wrong"},
        {"a link", [&] { rename(strPath.c_str(), strLink.c_str()), symlink(strLink.c_str(), strPath.c_str()); },
         pszPass, "@ is a link, which is not followed"},
        {"a FIFO", [&] { unlink(strPath.c_str()), mkfifo(strPath.c_str(), 0600); }, pszPass, "@ is not a plain file"},
        {"another user's", [&] { ASSERT_EQ(chown(strPath.c_str(), 65534, 65534), 0); }, pszPass,
         "@ belongs to another user"},
        {"readable by others", [&] { chmod(strPath.c_str(), 0644); }, pszPass,
         "@ may be read or changed by others (it must be yours alone, mode 0600)"},
        {"torn", [&] { zt::writeFile(strPath, strSecret.substr(0, 120)); }, pszPass,
         "@: the key file is torn: it is no secret key in minisign's format"},
        {"larger than a key", [&] { zt::writeFile(strPath, std::string(5000, '\n')); }, pszPass,
         "@ is larger than a key"},
        {"another key under the id", [&] { zt::writeFile(strPath, anotherKey(strLine)); }, pszPass,
         "@: the key file holds another key with the same id"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        unlink(strPath.c_str());
        zt::writeFile(strPath, strSecret);
        chmod(strPath.c_str(), 0600);
        if (std::string(c.pszWhat) == "another user's" && geteuid() != 0)
            continue; // only root gives a file away
        c.lay();
        bool bWrong = false;
        const _sgnUnlockedPtr key = sgkUnlock(strLine, c.pszPass, &bWrong, &strWhy);
        EXPECT_EQ(bWrong, std::string(c.pszWhy) == "wrong");
        EXPECT_EQ(key      ? sgnUnlockedPublic(*key)
                  : bWrong ? "wrong"
                           : strWhy,
                  *c.pszWhy ? zt::reReplace(c.pszWhy, "@", strName) : strLine);
    }
}

} // namespace
