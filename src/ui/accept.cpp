// Acceptances of a sheet by the people's own keys. A key is unlocked only
// by a deliberate act in the print dialog, with its holder's passphrase,
// which is never copied; the unlocked key lives in guarded memory until the
// sheet it accepts is filed, or the dialog is cancelled.
#include "ui/accept.h"

#include "model/texts.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "store/flight/legs.h"
#include "store/flight/people.h"
#include "store/flight/signing.h"
#include "store/record/record.h"
#include "store/school/roster.h"
#include "sys/errlog.h"
#include "sys/sign.h"

#include <glib.h>

#include <algorithm>
#include <cstring>

namespace
{

struct _accHeld {
    std::string strCapacity, strName, strKey;
    time_t tAccepted = 0;
    _sgnUnlockedPtr key;
};

struct _accState {
    std::vector<_accHeld> held;
    // The flight last accepted, who accepted it and when, and whether the
    // change since has been told.
    std::string strInputs, strName;
    time_t tAccepted = 0;
    bool bTold = false;
};
_accState m_acc;

std::string utcText(time_t t)
{
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_utc(t);
    g_autofree gchar* psz = pdt ? g_date_time_format(pdt, "%Y-%m-%dT%H:%M:%SZ") : nullptr;
    return psz ? psz : "";
}

// The person in command of leg n: whoever sits in the commander's seat.
std::string commanderOf(size_t nLeg)
{
    const std::string strSide = legText(nLeg, VAL_COMMANDER);
    return strSide == "left"    ? legText(nLeg, VAL_LSEAT_PERSON)
           : strSide == "right" ? legText(nLeg, VAL_RSEAT_PERSON)
                                : "";
}

} // namespace

int accWaitSeconds(int nWrongInRow, time_t tLastWrong, time_t tNow)
{
    if (nWrongInRow < ACC_FREE_TRIES)
        return 0;
    // A clock set back waits the whole minute, never for ever.
    const time_t nSince = tNow >= tLastWrong ? tNow - tLastWrong : 0;
    return nSince >= ACC_WAIT_SECONDS ? 0 : static_cast<int>(ACC_WAIT_SECONDS - nSince);
}

bool accSoloByStudent(void)
{
    const std::vector<_wbLoadState>& legs = stateLegs();
    for (size_t n = 0; n < legs.size(); n++) {
        if (std::string(stateLegLabel(legs[n])).empty())
            continue;
        const _pplPerson* pp = pplFind(commanderOf(n));
        if (pp && pp->nRole == PPL_ROLE_STUDENT)
            return true;
    }
    return false;
}

std::string accWhyNot(const std::string& strName, const std::string& strCapacity, time_t tNow, std::string* pstrKey)
{
    pstrKey->clear();
    if (strName.empty())
        return strCapacity == REC_COMMANDER ? "name the pilot in command first" : "choose the instructor first";
    const _pplPerson* pp = pplFind(strName);
    if (!pp)
        return "\u2068" + strName + "\u2069 is not among the saved people";
    const bool bMay = strCapacity == REC_INSTRUCTOR ? pp->nRole == PPL_ROLE_INSTRUCTOR
                                                    : pp->nRole == PPL_ROLE_PILOT || pp->nRole == PPL_ROLE_INSTRUCTOR ||
                                                          pp->nRole == PPL_ROLE_STUDENT;
    if (!bMay)
        return "\u2068" + strName + "\u2069 is saved as " +
               (pp->nRole == PPL_ROLE_NONE ? std::string("no role") : "a " + std::string(PPL_ROLE_NAMES[pp->nRole])) +
               ", who may not sign as " + strCapacity;
    if (pp->strKey.empty())
        return "\u2068" + strName + "\u2069 has no signing key: make one in Saved people";
    _rosRoster roster;
    std::string strWhy;
    bool bSchool = false;
    if (!rosInUse(&roster, &strWhy, &bSchool) && bSchool)
        return "the school's roster cannot be used: " + strWhy;
    if (bSchool)
        if (strWhy = rosKeyWhy(roster, strName, strCapacity, pp->strKey, utcText(tNow)); !strWhy.empty())
            return "the school's roster refuses it: " + strWhy;
    *pstrKey = pp->strKey;
    return {};
}

std::string accAccept(const std::string& strName, const std::string& strCapacity, const char* pszPassphrase,
                      time_t tNow)
{
    std::string strKey;
    if (std::string strWhy = accWhyNot(strName, strCapacity, tNow, &strKey); !strWhy.empty())
        return strWhy;
    // The count of wrong passphrases is the key's, kept across runs.
    _sgkTries tries = sgkTries(strKey);
    if (const int nWait = accWaitSeconds(tries.nWrong, static_cast<time_t>(tries.tLast), tNow); nWait > 0)
        return "Three wrong passphrases in a row: try again in " + std::to_string(nWait) + " s";
    // A passphrase pasted with its line end would never be the key's.
    if (std::strpbrk(pszPassphrase, "\r\n"))
        return sgkPassphraseWhy(pszPassphrase);
    bool bWrong = false;
    std::string strWhy;
    _sgnUnlockedPtr key = sgkUnlock(strKey, pszPassphrase, &bWrong, &strWhy);
    if (!key) {
        if (bWrong) {
            tries = {tries.nWrong + 1, static_cast<long long>(tNow)};
            sgkKeepTries(strKey, tries);
            errPostError(("accAccept()\na wrong passphrase for the " + strCapacity + "'s key").c_str());
            return "That is not the passphrase of \u2068" + strName + "\u2069's key: nothing was signed";
        }
        errPostError(("accAccept()\n" + strWhy).c_str());
        return strWhy;
    }
    if (tries.nWrong > 0)
        sgkKeepTries(strKey, {});
    std::erase_if(m_acc.held, [&](const _accHeld& h) { return h.strCapacity == strCapacity; });
    m_acc.held.push_back({strCapacity, strName, strKey, tNow, std::move(key)});
    return {};
}

std::vector<_shtAccepted> accHeld(void)
{
    std::vector<_shtAccepted> accepted;
    for (const _accHeld& h : m_acc.held)
        accepted.push_back({h.strName, h.strCapacity, h.tAccepted, sgnKeyDigest(h.strKey)});
    // The commander's first, as the record orders them.
    std::sort(accepted.begin(), accepted.end(),
              [](const _shtAccepted& a, const _shtAccepted& b) { return a.strCapacity < b.strCapacity; });
    return accepted;
}

std::string accSign(const std::string& strContentHash, const std::string& strSheetSha256, const std::string& strInputs,
                    std::string* pstrWhy)
{
    std::vector<_recAcceptance> accepted;
    for (const _accHeld& h : m_acc.held) {
        _recAcceptance a;
        // The name as the sheet and its line write the pilot in command.
        const std::string strText =
            recAcceptedText(h.strCapacity, txtOneLine(h.strName, REC_USER_CHARS), utcText(h.tAccepted), strContentHash,
                            strSheetSha256, sgnPublicLine(h.strKey));
        if (!recReadAcceptedText(strText, &a)) {
            *pstrWhy = "the acceptance of \u2068" + h.strName + "\u2069 could not be signed";
            break;
        }
        a.strSignature = sgnSignUnlocked(*h.key, strText, recAcceptedTrusted(a));
        if (a.strSignature.empty()) {
            *pstrWhy = "the acceptance of \u2068" + h.strName + "\u2069 could not be signed";
            break;
        }
        accepted.push_back(a);
        if (h.strCapacity == REC_COMMANDER)
            m_acc.strName = h.strName, m_acc.tAccepted = h.tAccepted;
    }
    const bool bSigned = pstrWhy->empty() && !accepted.empty();
    if (bSigned) {
        m_acc.strInputs = strInputs;
        m_acc.bTold = false;
    }
    accForget();
    return bSigned ? recAcceptedJson(accepted) : "";
}

void accForget(void)
{
    m_acc.held.clear(); // each key wiped as it goes
}

std::string accNoLongerText(const std::function<std::string(void)>& inputsNow)
{
    if (m_acc.strInputs.empty() || m_acc.bTold || inputsNow() == m_acc.strInputs)
        return {};
    m_acc.bTold = true;
    g_autoptr(GDateTime) pdt = g_date_time_new_from_unix_utc(m_acc.tAccepted);
    g_autofree gchar* pszWhen = pdt ? g_date_time_format(pdt, "%H:%M UTC") : g_strdup("");
    // The notice shows its text escaped, a name's controls as codes.
    return "The sheet " + m_acc.strName + " accepted at " + pszWhen +
           " no longer matches the flight: print the sheet again and accept it anew";
}
