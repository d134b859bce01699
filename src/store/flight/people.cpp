// The saved people and People.conf: parsed and checked whole before any of
// it is used, and written through the store's one safe rewrite.
#include "store/flight/people.h"

#include "model/units.h"
#include "store/conf/params.h"
#include "sys/errlog.h"
#include "sys/paths.h"
#include "sys/sign.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/stat.h>

namespace
{

constexpr const char* PPL_FILE = "People.conf";
constexpr const char* PPL_GROUP_PREFIX = "Person ";

// The list while Zarv runs, and why People.conf is refused ("" where not).
struct _pplHeld {
    std::vector<_pplPerson> people;
    std::string strRefused;
};
_pplHeld m_ppl;

std::string fileSpec(void)
{
    return wbFileSpec(PPL_FILE);
}

// Said once in the log and the window: what is wrong, and what follows.
void tell(const char* pszFunc, const std::string& strWhat, const std::string& strFollows)
{
    const std::string strLog = std::string(pszFunc) + "\n" + fileSpec() + "\n" + strWhat + "\n" + strFollows;
    errPostError(strLog.c_str());
    errTellPilot("People.conf " + strWhat + ": " + strFollows);
}

// Whether anyone but the pilot may write the file: its weights would put
// anyone's figures in a seat.
bool othersMayWrite(const std::string& strSpec)
{
    GStatBuf st;
    return g_lstat(strSpec.c_str(), &st) != 0 || (st.st_mode & (S_IWGRP | S_IWOTH));
}

// A weight as People.conf holds it: a decimal number, the whole text.
bool readWeight(const char* psz, double* pn)
{
    char* pszEnd = nullptr;
    *pn = g_ascii_strtod(psz, &pszEnd);
    while (pszEnd && g_ascii_isspace(*pszEnd))
        pszEnd++;
    return pszEnd != psz && pszEnd && !*pszEnd && std::isfinite(*pn) && !strpbrk(psz, "xX");
}

// One group's person; false with the reason where it is no person.
bool readPerson(GKeyFile* pkf, const char* pszGroup, _pplPerson* p, std::string* pstrWhy)
{
    const std::string strAt = std::string("[") + pszGroup + "]";
    g_autofree gchar* pszName = g_key_file_get_string(pkf, pszGroup, "Name", nullptr);
    g_autofree gchar* pszWeight = g_key_file_get_value(pkf, pszGroup, "Weight", nullptr);
    g_autofree gchar* pszRole = g_key_file_get_string(pkf, pszGroup, "Role", nullptr);
    g_autofree gchar* pszKey = g_key_file_get_string(pkf, pszGroup, "Key", nullptr);
    // A name is its text without blanks at either end, as the pages take it
    // from a seat: "Anna " is Anna, and one more Anna is a name given before.
    p->strName = pszName ? g_strstrip(pszName) : "";
    if (!pszWeight || !readWeight(pszWeight, &p->nWeight)) {
        *pstrWhy = strAt + " has no weight that is a number";
        return false;
    }
    const auto* it = std::find_if(PPL_ROLE_NAMES.begin(), PPL_ROLE_NAMES.end(),
                                  [&](const char* psz) { return pszRole && strcmp(psz, pszRole) == 0; });
    if (pszRole && it == PPL_ROLE_NAMES.end()) {
        *pstrWhy = strAt + " has a role Zarv does not know";
        return false;
    }
    // Whatever else it held would be taken for the person's key.
    if (pszKey && (sgnPublicLine(pszKey).empty() || sgnPublicLine(pszKey) != pszKey)) {
        *pstrWhy = strAt + " has a key that is no minisign public key";
        return false;
    }
    p->strKey = pszKey ? pszKey : "";
    p->nRole = pszRole ? static_cast<_pplRole>(it - PPL_ROLE_NAMES.begin()) : PPL_ROLE_NONE;
    if (const std::string strBad = pplInvalid(*p); !strBad.empty()) {
        *pstrWhy = strAt + " " + strBad;
        return false;
    }
    return true;
}

} // namespace

std::string pplInvalid(const _pplPerson& person)
{
    g_autofree gchar* pszName = g_strstrip(g_strdup(person.strName.c_str()));
    if (!*pszName || !g_utf8_validate(person.strName.c_str(), -1, nullptr))
        return "has no name";
    // A person is someone who can sit in a seat: never a weight that would
    // read as an empty seat, nor one no seat could take.
    if (!(person.nWeight >= PPL_LEAST_WEIGHT && person.nWeight <= PPL_MOST_WEIGHT))
        return "has a weight no person can have";
    return "";
}

std::optional<size_t> pplWhoGetsOut(const std::array<_pplRole, 2>& roles)
{
    for (size_t i = 0; i < roles.size(); i++)
        if (roles[i] == PPL_ROLE_INSTRUCTOR && roles[1 - i] == PPL_ROLE_STUDENT)
            return i;
    for (size_t i = 0; i < roles.size(); i++)
        if (roles[i] == PPL_ROLE_PASSENGER && roles[1 - i] != PPL_ROLE_PASSENGER)
            return i;
    return std::nullopt;
}

bool pplParse(const std::string& strData, std::vector<_pplPerson>* pPeople, std::string* pstrWhy)
{
    pPeople->clear();
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    g_autoptr(GError) pErr = nullptr;
    if (strData.find('\0') != std::string::npos ||
        !g_key_file_load_from_data(pkf, strData.data(), strData.size(), G_KEY_FILE_NONE, &pErr)) {
        *pstrWhy = std::string("cannot be read (") + (pErr ? pErr->message : "it holds a NUL byte") + ")";
        return false;
    }
    // A group or a key written twice is read as one, the later over the
    // earlier: which weight was meant, only the pilot knows.
    if (const std::string strTwice = prmWrittenTwice(strData); !strTwice.empty()) {
        *pstrWhy = "holds " + strTwice + " twice";
        return false;
    }
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(pkf, nullptr);
    for (gchar** pp = ppszGroups; *pp; pp++) {
        // Any other group would be lost at the next save.
        if (!g_str_has_prefix(*pp, PPL_GROUP_PREFIX)) {
            *pstrWhy = std::string("holds [") + *pp + "], which is no person";
            return false;
        }
        _pplPerson p;
        if (!readPerson(pkf, *pp, &p, pstrWhy))
            return false;
        // A name picks one person.
        if (std::any_of(pPeople->begin(), pPeople->end(),
                        [&](const _pplPerson& o) { return o.strName == p.strName; })) {
            *pstrWhy = std::string("[") + *pp + "] has a name given before";
            return false;
        }
        pPeople->push_back(p);
    }
    return true;
}

std::string pplText(const std::vector<_pplPerson>& people)
{
    g_autoptr(GKeyFile) pkf = g_key_file_new();
    for (size_t i = 0; i < people.size(); i++) {
        const std::string strGroup = PPL_GROUP_PREFIX + std::to_string(i + 1);
        const _pplPerson& p = people[i];
        g_key_file_set_string(pkf, strGroup.c_str(), "Name", p.strName.c_str());
        g_key_file_set_double(pkf, strGroup.c_str(), "Weight", p.nWeight);
        if (p.nRole != PPL_ROLE_NONE)
            g_key_file_set_string(pkf, strGroup.c_str(), "Role", PPL_ROLE_NAMES[p.nRole]);
        if (!p.strKey.empty())
            g_key_file_set_string(pkf, strGroup.c_str(), "Key", p.strKey.c_str());
    }
    gsize nLength = 0;
    g_autofree gchar* psz = g_key_file_to_data(pkf, &nLength, nullptr);
    return std::string(psz, nLength);
}

void pplLoad(void)
{
    pplReset();
    prmRemoveStaleTemporaries(fileSpec());
    std::string strData;
    g_autoptr(GError) pErr = nullptr;
    uid_t nOwner = 0;
    std::string strWhy;
    if (!prmReadFile(fileSpec(), &strData, &pErr, &nOwner, PPL_MAX_FILE)) {
        if (g_error_matches(pErr, G_FILE_ERROR, G_FILE_ERROR_NOENT))
            return; // no one saved yet
        strWhy = std::string("cannot be read (") + pErr->message + ")";
    } else if (nOwner != prmFileOps().pfuncOwnUid()) {
        strWhy = "belongs to another user";
    } else if (othersMayWrite(fileSpec())) {
        strWhy = "may be changed by other users";
    } else if (!pplParse(strData, &m_ppl.people, &strWhy)) {
        m_ppl.people.clear();
    } else {
        return;
    }
    m_ppl.strRefused = strWhy;
    tell("pplLoad()", strWhy, "no saved person is offered, and it is left as it is this run");
}

const std::vector<_pplPerson>& pplPeople(void)
{
    return m_ppl.people;
}

const _pplPerson* pplFind(const std::string& strName)
{
    const auto it = std::find_if(m_ppl.people.begin(), m_ppl.people.end(),
                                 [&](const _pplPerson& p) { return p.strName == strName; });
    return it == m_ppl.people.end() ? nullptr : &*it;
}

std::string pplSave(const std::vector<_pplPerson>& people)
{
    const std::string strSpec = fileSpec();
    // Made a link or someone else's since it was read: refused from now on.
    GStatBuf st;
    if (m_ppl.strRefused.empty() && g_lstat(strSpec.c_str(), &st) == 0 &&
        (S_ISLNK(st.st_mode) || !S_ISREG(st.st_mode) || st.st_uid != prmFileOps().pfuncOwnUid() ||
         (st.st_mode & (S_IWGRP | S_IWOTH))))
        m_ppl.strRefused =
            S_ISLNK(st.st_mode) ? "is a link, which is not followed" : "is not a file of the pilot's own";
    if (!m_ppl.strRefused.empty()) {
        const std::string strWhy = "People.conf " + m_ppl.strRefused + ", so it is not replaced";
        errPostError(("pplSave()\n" + strSpec + "\n" + m_ppl.strRefused + "\nnot replaced").c_str());
        errTellPilot("Nobody was saved: " + strWhy);
        return strWhy;
    }
    const std::string strText = pplText(people);
    if (const int nErr = prmReplaceFile(strSpec, strText, 0600); nErr != 0) {
        tell("pplSave()", std::string("could not be written (") + g_strerror(nErr) + ")",
             "the change of the saved people is lost when Zarv closes");
        m_ppl.people = people;
        return g_strerror(nErr);
    }
    m_ppl.people = people;
    return "";
}

void pplReset(void)
{
    m_ppl = _pplHeld{};
}
