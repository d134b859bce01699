// The legs of a flight after the first: reading them, adding and removing
// one, each a rewrite of Zarv.conf.
#include "store/flight/legs.h"

#include "model/words.h"
#include "store/conf/items.h"
#include "store/conf/params.h"
#include "store/conf/state.h"
#include "store/conf/stored.h"
#include "sys/errlog.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// What of the loading Zarv.conf wrote twice when it was read: the key file
// keeps the later, and a rewrite keeps only that; so it is said for the run.
struct _legsRead {
    std::vector<std::string> twice;
};
_legsRead m_legs;

// Whether a group or key written twice ("[Leg 2]", "RSeat in [Load]") is
// the loading's.
bool ofTheLoading(const std::string& str)
{
    const size_t nAt = str.find('[');
    if (nAt == std::string::npos)
        return false;
    const std::string strFirst = "[" + valLegGroup(0) + "]";
    return str.compare(nAt, strFirst.size(), strFirst) == 0 || valLooksLikeLegGroup(str.c_str() + nAt + 1);
}

using _legRaw = _prmRawGroup;

void putGroup(GKeyFile* pkf, const std::string& strGroup, const _legRaw& values)
{
    g_key_file_remove_group(pkf, strGroup.c_str(), nullptr);
    for (const auto& [strKey, strValue] : values)
        g_key_file_set_value(pkf, strGroup.c_str(), strKey.c_str(), strValue.c_str());
}

// A flag of a leg's group: missing is bMissing; nullopt where it is no
// boolean.
std::optional<bool> readFlag(const char* pszGroup, const char* pszKey, bool bMissing)
{
    if (!g_key_file_has_key(prmKeyFile(), pszGroup, pszKey, nullptr))
        return bMissing;
    g_autoptr(GError) pErr = nullptr;
    const gboolean b = g_key_file_get_boolean(prmKeyFile(), pszGroup, pszKey, &pErr);
    if (pErr)
        return std::nullopt;
    return b != FALSE;
}

std::optional<std::vector<bool>> readFitted(const char* pszGroup)
{
    if (!g_key_file_has_key(prmKeyFile(), pszGroup, VAL_KEY_LEG_FITTED, nullptr))
        return std::vector<bool>{};
    gsize nCount = 0;
    g_autoptr(GError) pErr = nullptr;
    g_autofree gboolean* pb = g_key_file_get_boolean_list(prmKeyFile(), pszGroup, VAL_KEY_LEG_FITTED, &nCount, &pErr);
    if (pErr)
        return std::nullopt;
    return std::vector<bool>(pb, pb + nCount);
}

std::string fileNumber(double n)
{
    char sz[G_ASCII_DTOSTR_BUF_SIZE];
    return g_ascii_dtostr(sz, sizeof sz, n);
}

std::string fittedText(const std::vector<bool>& fitted)
{
    std::string str;
    for (bool b : fitted)
        str += b ? "true;" : "false;";
    return str;
}

// Every item of the aircraft as a leg takes it, fitted or not.
std::vector<bool> fittedOf(const _wbLoadState& l)
{
    std::vector<bool> fitted;
    for (size_t n = 0; n < m_wbSetup.items.size(); n++)
        fitted.push_back(calcItemFitted(m_wbSetup, l.fitted, n));
    return fitted;
}

// The number or choice a leg's value holds, as the file writes it.
std::string fileValue(const _prmValue& v, const _wbLoadState& l)
{
    const double n = valFieldValue(v, m_wbSetup, l);
    return valIsNumber(v) ? fileNumber(n) : std::to_string(static_cast<guint>(n));
}

// Whether leg text strPath=text of the leg before stays with the new leg:
// its fuel and trip are new, and an emptied seat's weight goes with it.
bool unreadCarried(const std::string& str, std::optional<int> nEmpty)
{
    std::vector<_prmValueId> dropped = {VAL_FUEL, VAL_TRIP, VAL_TRIP_MINUTES};
    if (nEmpty)
        dropped.push_back(*nEmpty == 0 ? VAL_LSEAT : VAL_RSEAT);
    for (_prmValueId nId : dropped)
        if (str.starts_with(valPath(valValue(nId)) + "="))
            return false;
    return true;
}

// The group of a later leg as the value held has it: its numbers and
// choices, its fuel's flag and items, its texts (who sits where, who
// commands) carried from the leg before, and what was typed and not read
// of the values it keeps; in the order of the table, as it was always
// written.
_legRaw legGroupOf(const _wbLoadState& l, const std::string& strFrom, std::optional<int> nEmpty)
{
    _legRaw values;
    for (const _prmValue& v : valValues())
        // A trip time or a condition not typed is no key, as before there
        // were any.
        if (valIsLegs(v) && !valIsText(v) && (v.nId != VAL_TRIP_MINUTES || l.nTripMinutes != 0) &&
            !valNotGiven(v, valFieldValue(v, m_wbSetup, l)))
            values.emplace_back(v.pszKey, fileValue(v, l));
    values.emplace_back(VAL_KEY_FUEL_AS_LANDED, l.bFuelAsLanded ? "true" : "false");
    if (!m_wbSetup.items.empty())
        values.emplace_back(VAL_KEY_LEG_FITTED, fittedText(fittedOf(l)));
    const _prmValue& unread = valValue(VAL_UNREAD_LOADING);
    for (const _prmValue& v : valValues()) {
        if (!valIsLegs(v) || !valIsText(v) || v.nId == VAL_UNREAD_LOADING)
            continue;
        std::string str = prmTextOf(prmKeyFile(), strFrom.c_str(), v.pszKey);
        // The one emptied leaves; the one left aboard commands where the
        // commander got out.
        if (nEmpty && v.nId == (*nEmpty == 0 ? VAL_LSEAT_PERSON : VAL_RSEAT_PERSON))
            str.clear();
        if (nEmpty && v.nId == VAL_COMMANDER && str == (*nEmpty == 0 ? "left" : "right"))
            str = *nEmpty == 0 ? "right" : "left";
        if (!str.empty())
            values.emplace_back(v.pszKey, str);
    }
    std::vector<std::string> carried;
    for (const std::string& str : prmTextListOf(prmKeyFile(), strFrom.c_str(), unread.pszKey))
        if (unreadCarried(str, nEmpty))
            carried.push_back(str);
    if (!carried.empty()) {
        // The list as the key file escapes it.
        g_autoptr(GKeyFile) pkf = g_key_file_new();
        std::vector<const gchar*> v;
        for (const std::string& str : carried)
            v.push_back(str.c_str());
        g_key_file_set_string_list(pkf, "g", "k", v.data(), v.size());
        g_autofree gchar* psz = g_key_file_get_value(pkf, "g", "k", nullptr);
        values.emplace_back(unread.pszKey, psz);
    }
    return values;
}

// Reads the legs after the first into the value held, up to the first
// number without a group, and settles their fuel.
void legLoad(void)
{
    std::vector<_wbLoadState>& legs = stateEditLegs();
    for (size_t n = legs.size(); n < STATE_MAX_LEGS; n++) {
        const std::string strGroup = valLegGroup(n);
        if (!g_key_file_has_group(prmKeyFile(), strGroup.c_str()))
            break;
        legs.push_back({0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE});
        valLoadValues(PRM_OF_LOADING, n);
        legs.back().bFuelAsLanded = readFlag(strGroup.c_str(), VAL_KEY_FUEL_AS_LANDED, false).value_or(false);
        legs.back().fitted = readFitted(strGroup.c_str()).value_or(std::vector<bool>{});
    }
    stateSettleLegs();
}

// Reads the legs again after their groups moved; a group no longer there
// leaves nothing it was read with.
void reloadLegs(size_t nWas)
{
    for (size_t n = 1; n < nWas; n++)
        for (const _prmValue& v : valValues())
            if (v.nOwner == PRM_OF_LOADING)
                prmKeepUnreadText(valGroupOf(v, n).c_str(), v.pszKey, "");
    const size_t nShown = stateShownLeg();
    stateEditLegs().resize(1);
    legLoad();
    stateShowLeg(std::min(nShown, stateLegs().size() - 1));
}

// Legs are added or removed only where every leg was read: a group Zarv
// could not read would be renumbered or overwritten, or come to count.
bool refusedWhileNotRead(void)
{
    if (legNotRead().empty())
        return false;
    errTellPilot("The legs in Zarv.conf could not all be read: correct Zarv.conf before adding or removing a leg");
    return true;
}

} // namespace

void pwbParams(void)
{
    m_legs.twice.clear();
    for (const std::string& str : prmEveryWrittenTwice(prmSeenText()))
        if (ofTheLoading(str))
            m_legs.twice.push_back(str);
    stateEditLegs().resize(1);
    valLoadValues(PRM_OF_LOADING, 0);
    stateEditLegs().front().fitted = itmReadFitted(prmKeyFile());
    legLoad();
}

std::vector<_wbFlight> legCalcAll(void)
{
    return legJudge(m_wbSetup, stateLegs(), legNotRead());
}

std::vector<_wbFlight> legJudge(const _wbSetup& s, const std::vector<_wbLoadState>& legs, const std::string& strNotRead)
{
    std::vector<_wbFlight> flights;
    for (size_t n = 0; n < legs.size(); n++)
        flights.push_back(pwbCalcWB(s, legs[n], n));
    // A leg Zarv could not read leaves the flight unjudged.
    if (!strNotRead.empty() && !flights.empty())
        flights.front().doubts.push_back({LEG_DOUBT, KIND_NONE, NAN, strNotRead, true});
    return flights;
}

_wbFlight legCalcShown(void)
{
    return legCalcAll().at(stateShownLeg());
}

std::vector<std::string> legLabels(void)
{
    std::vector<std::string> labels;
    for (const _wbLoadState& l : stateLegs())
        labels.emplace_back(stateLegLabel(l));
    return labels;
}

std::vector<_hovLeg> legHover(const _wbSetup& s, const std::vector<_wbFlight>& flights,
                              const std::vector<_wbLoadState>& loads)
{
    std::vector<_hovLeg> legs(std::min(flights.size(), loads.size()));
    for (size_t n = 0; n < legs.size(); n++) {
        const _wbFlight& f = flights[n];
        if (!f.doubts.empty() || f.bNothingEntered)
            continue;
        const _wbLoadState& l = loads[n];
        const double nTakeOff = f.points[POINT_TAKE_OFF].nWeight;
        const double nLanding = f.hasPoint(POINT_LANDING) ? f.points[POINT_LANDING].nWeight : nTakeOff;
        legs[n] = {hovJudgeAt(s.hover, {l.nFromElevation, l.nFromQnh, l.nFromOat}, nTakeOff),
                   hovJudgeAt(s.hover, {l.nToElevation, l.nToQnh, l.nToOat}, nLanding)};
    }
    return legs;
}

_legVerdict legVerdict(const _wbSetup& s, const std::vector<_wbFlight>& flights, const std::vector<_wbLoadState>& loads)
{
    _legVerdict v;
    std::vector<bool> asLanded;
    std::vector<std::string> labels, names;
    for (size_t n = 0; n < loads.size(); n++) {
        asLanded.push_back(loads.size() > 1 && loads[n].bFuelAsLanded);
        labels.emplace_back(stateLegLabel(loads[n]));
        names.push_back("leg " + std::to_string(n + 1) + (labels.back().empty() ? "" : " (" + labels.back() + ")"));
    }
    v.needs = fuelFlightNeeds(s, flights, asLanded);
    v.hover = legHover(s, flights, loads);
    const bool bOge = s.nHoverOge != 0;
    v.bWithin = fuelEnough(v.needs) && hovWithin(v.hover, bOge) &&
                std::all_of(flights.begin(), flights.end(), [](const _wbFlight& f) { return f.within(); });
    v.strVerdict =
        wrdWithFuelNeeds(hovWithVerdict(wrdLegsVerdictText(flights, labels, s), v.hover, names, bOge, s), v.needs, s);
    return v;
}

std::vector<_wbLegFuel> legFuel(const _wbSetup& s, const std::vector<_wbFlight>& flights,
                                const std::vector<_wbLoadState>& loads)
{
    const std::vector<_hovLeg> hover = legHover(s, flights, loads);
    std::vector<_wbLegFuel> fuel;
    for (size_t n = 0; n < loads.size(); n++) {
        const _wbLoadState& l = loads[n];
        fuel.push_back({stateLoadingOf(s, l), l.nTripFuel, loads.size() > 1 && l.bFuelAsLanded});
        if (n >= hover.size())
            continue;
        const bool bOge = s.nHoverOge != 0;
        const double nTakeOff = hovMostWeight(hover[n].takeOff, bOge), nLanding = hovMostWeight(hover[n].landing, bOge);
        // Without a trip the leg lands where it took off, as heavy.
        fuel.back().hoverMost[POINT_TAKE_OFF] =
            flights[n].hasPoint(POINT_LANDING) ? nTakeOff : std::fmin(nTakeOff, nLanding);
        fuel.back().hoverMost[POINT_LANDING] = nLanding;
    }
    return fuel;
}

std::string legNotRead(void)
{
    std::string str;
    const auto add = [&](const std::string& s) { str += (str.empty() ? "" : ", ") + s; };
    // A group or key of the loading written twice, of which the key file
    // kept only the later, as Zarv.conf was read.
    for (const std::string& s : m_legs.twice)
        add("written twice: " + s);
    g_auto(GStrv) ppszGroups = g_key_file_get_groups(prmKeyFile(), nullptr);
    for (int i = 0; ppszGroups && ppszGroups[i]; i++) {
        const char* pszGroup = ppszGroups[i];
        // Any group a leg could be meant by, however spelled.
        if (!valLooksLikeLegGroup(pszGroup))
            continue;
        size_t n = 1;
        while (n < stateLegs().size() && valLegGroup(n) != pszGroup)
            n++;
        if (n >= stateLegs().size()) {
            add(std::string("[") + pszGroup + "]");
            continue;
        }
        if (!readFlag(pszGroup, VAL_KEY_FUEL_AS_LANDED, false))
            add(std::string("[") + pszGroup + "] " + VAL_KEY_FUEL_AS_LANDED + "=" +
                prmTextOf(prmKeyFile(), pszGroup, VAL_KEY_FUEL_AS_LANDED));
        if (!readFitted(pszGroup))
            add(std::string("[") + pszGroup + "] " + VAL_KEY_LEG_FITTED + "=" +
                prmTextOf(prmKeyFile(), pszGroup, VAL_KEY_LEG_FITTED));
    }
    return str;
}

bool legAdd(std::optional<int> nEmpty)
{
    const size_t nLegs = stateLegs().size();
    if (nLegs >= STATE_MAX_LEGS || refusedWhileNotRead())
        return false;
    const _stateChanging changing(STATE_LOADING);
    _wbLoadState l = stateNextLeg(stateLegs().back());
    if (nEmpty == 0)
        l.nLSeatWeight = 0;
    if (nEmpty == 1)
        l.nRSeatWeight = 0;
    const _legRaw values = legGroupOf(l, valLegGroup(nLegs - 1), nEmpty);
    prmEdit([&](GKeyFile* pkf) { putGroup(pkf, valLegGroup(nLegs), values); });
    stateEditLegs().push_back(l);
    valLoadValues(PRM_OF_LOADING, nLegs);
    stateShowLeg(nLegs);
    stateSettleLegs();
    return true;
}

void legRemove(size_t n)
{
    const _stateChanging changing(STATE_LOADING);
    const size_t nLegs = stateLegs().size();
    if (n >= nLegs || nLegs < 2 || refusedWhileNotRead())
        return;
    const size_t nShown = stateShownLeg();
    prmEdit([&](GKeyFile* pkf) {
        if (n == 0) {
            // The second leg becomes the first: its values in the first
            // leg's group, its fuel as it stands, its items in their own
            // groups.
            const _wbLoadState& l = stateLegs()[1];
            const std::string strFirst = valLegGroup(0);
            _legRaw values = prmRawGroup(pkf, valLegGroup(1));
            std::erase_if(values, [](const auto& kv) {
                return kv.first == VAL_KEY_FUEL_AS_LANDED || kv.first == VAL_KEY_LEG_FITTED;
            });
            // The second leg took off where the first landed: that site is
            // now the flight's departure.
            for (const auto& [nFrom, nTo] :
                 {std::pair{VAL_FROM_ELEVATION, VAL_TO_ELEVATION}, std::pair{VAL_FROM_QNH, VAL_TO_QNH},
                  std::pair{VAL_FROM_OAT, VAL_TO_OAT}}) {
                const _prmValue &from = valValue(nFrom), &to = valValue(nTo);
                if (g_autofree gchar* psz = g_key_file_get_value(pkf, strFirst.c_str(), to.pszKey, nullptr))
                    g_key_file_set_value(pkf, from.pszGroup, from.pszKey, psz);
                else
                    g_key_file_remove_key(pkf, from.pszGroup, from.pszKey, nullptr);
            }
            // Nothing of the first leg stays: a key the second lacks reads
            // as it read for the second.
            for (const _prmValue& v : valValues())
                if (valIsLegs(v))
                    g_key_file_remove_key(pkf, strFirst.c_str(), v.pszKey, nullptr);
            for (const auto& [strKey, strValue] : values)
                g_key_file_set_value(pkf, strFirst.c_str(), strKey.c_str(), strValue.c_str());
            g_key_file_set_value(pkf, strFirst.c_str(), valValue(VAL_FUEL).pszKey, fileNumber(l.nFuelVolume).c_str());
            itmSetFitted(pkf, fittedOf(l));
        }
        for (size_t k = std::max<size_t>(n, 1); k + 1 < nLegs; k++)
            putGroup(pkf, valLegGroup(k), prmRawGroup(pkf, valLegGroup(k + 1)));
        g_key_file_remove_group(pkf, valLegGroup(nLegs - 1).c_str(), nullptr);
    });
    if (n == 0) {
        valLoadValues(PRM_OF_LOADING, 0);
        itmLoad();
    }
    // The leg that took its place, or the one before where it was the last.
    stateShowLeg(nShown > n || (nShown == n && n + 1 == nLegs) ? nShown - 1 : nShown);
    reloadLegs(nLegs);
}

void legStoreFitted(size_t nLeg, const std::vector<bool>& fitted)
{
    const _stateChanging changing(STATE_LOADING);
    if (nLeg == 0 || nLeg >= stateLegs().size())
        return;
    stateEditLegs()[nLeg].fitted = fitted;
    const std::string strGroup = valLegGroup(nLeg);
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_value(pkf, strGroup.c_str(), VAL_KEY_LEG_FITTED, fittedText(fitted).c_str());
    });
}

void legStoreItemFitted(size_t n, bool bFitted)
{
    if (stateShownLeg() == 0 || n >= m_wbSetup.items.size()) {
        itmStoreFitted(n, bFitted);
        return;
    }
    std::vector<bool> fitted = fittedOf(stateLoad());
    fitted[n] = bFitted;
    legStoreFitted(stateShownLeg(), fitted);
}

void legStoreFuelAsLanded(void)
{
    const _stateChanging changing(STATE_LOADING);
    const size_t nLeg = stateShownLeg();
    if (nLeg == 0)
        return;
    valSetUnread(VAL_FUEL, "");
    stateEditLoad().bFuelAsLanded = true;
    stateSettleLegs();
    // The file's fuel follows as well, for a reader that takes it alone.
    const std::string strGroup = valLegGroup(nLeg);
    const std::string strFuel = fileNumber(stateLoad().nFuelVolume);
    prmEdit([&](GKeyFile* pkf) {
        g_key_file_set_boolean(pkf, strGroup.c_str(), VAL_KEY_FUEL_AS_LANDED, TRUE);
        g_key_file_set_value(pkf, strGroup.c_str(), valValue(VAL_FUEL).pszKey, strFuel.c_str());
    });
}

std::string legText(size_t nLeg, _prmValueId nId)
{
    const _prmValue& v = valValue(nId);
    return prmGetKeyString(valGroupOf(v, nLeg).c_str(), v.pszKey);
}
