// The flight as Zarv holds it, and who is told when it changes.
#include "store/conf/state.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace
{

// The one value: the aircraft, its loadings (one today; the shown one
// first), and the pages to tell.
struct _stateHeld {
    _wbSetup setup;
    std::vector<_wbLoadState> loadings;
    size_t nShown;
    std::vector<_stateListener> listeners;
    // How many changes are held open, and the widest change made while they
    // were (none yet: nothing to tell when they close).
    int nOpen;
    std::optional<_stateChange> pending;
};

_stateHeld m_held = {{}, {{0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE}}, 0, {}, 0, std::nullopt};

// Tells every page now.
void tellAll(_stateChange nChange)
{
    // A page told may ask to be told no more, its own or another's: the
    // list is walked as it was, and one no longer in it is not told.
    stateSettleLegs();
    const std::vector<_stateListener> listeners = m_held.listeners;
    for (_stateListener p : listeners)
        if (std::find(m_held.listeners.begin(), m_held.listeners.end(), p) != m_held.listeners.end())
            p(nChange);
}

} // namespace

const _wbSetup& m_wbSetup = m_held.setup;

const _wbLoadState& stateLoad(void)
{
    return m_held.loadings[m_held.nShown];
}

const std::vector<_wbLoadState>& stateLegs(void)
{
    return m_held.loadings;
}

size_t stateShownLeg(void)
{
    return m_held.nShown;
}

void stateShowLeg(size_t n)
{
    if (n >= m_held.loadings.size())
        return;
    m_held.nShown = n;
    stateTell(STATE_LOADING);
}

std::vector<_wbLoadState>& stateEditLegs(void)
{
    return m_held.loadings;
}

void stateSettleLegs(void)
{
    // Never without a leg, and never showing one that is gone.
    if (m_held.loadings.empty())
        m_held.loadings.push_back({0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE});
    if (m_held.loadings.size() > STATE_MAX_LEGS)
        m_held.loadings.resize(STATE_MAX_LEGS);
    m_held.nShown = std::min(m_held.nShown, m_held.loadings.size() - 1);
    stateSettle(m_held.loadings);
}

void stateSettle(std::vector<_wbLoadState>& legs)
{
    if (legs.empty())
        return;
    legs.front().bFuelAsLanded = false;
    for (size_t n = 1; n < legs.size(); n++) {
        const _wbLoadState& b = legs[n - 1];
        _wbLoadState& l = legs[n];
        if (l.bFuelAsLanded)
            l.nFuelVolume = calcLandingFuel(b.nFuelVolume, b.nTripFuel);
        // The chart's burn-off line is the flight's, not a leg's.
        l.bShowBurnOff = legs.front().bShowBurnOff;
        // A leg takes off from where the leg before it landed.
        l.nFromElevation = b.nToElevation;
        l.nFromQnh = b.nToQnh;
        l.nFromOat = b.nToOat;
    }
}

_wbLoadState stateNextLeg(const _wbLoadState& l)
{
    _wbLoadState n = l;
    n.nFuelVolume = calcLandingFuel(l.nFuelVolume, l.nTripFuel);
    n.nTripFuel = 0;
    n.nTripMinutes = 0;
    n.bFuelAsLanded = true;
    // It takes off where this one lands, for a site not yet given.
    n.nFromElevation = l.nToElevation;
    n.nFromQnh = l.nToQnh;
    n.nFromOat = l.nToOat;
    n.nToElevation = n.nToQnh = n.nToOat = NAN;
    return n;
}

const char* stateLegLabel(const _wbLoadState& l)
{
    const int nTaken = (l.nLSeatWeight > 0) + (l.nRSeatWeight > 0);
    return nTaken == 1 ? "solo" : "";
}

_wbLoading stateLoadingOf(const _wbSetup& s, const _wbLoadState& l)
{
    return {l.nLSeatWeight, l.nRSeatWeight, l.nFuelVolume, l.nBallastPosn, calcItemsChange(s, l.fitted)};
}

_wbSetup& stateEditSetup(void)
{
    return m_held.setup;
}

_wbLoadState& stateEditLoad(void)
{
    return m_held.loadings[m_held.nShown];
}

void stateListen(_stateListener pfuncListener)
{
    for (_stateListener p : m_held.listeners)
        if (p == pfuncListener)
            return;
    m_held.listeners.push_back(pfuncListener);
}

void stateUnlisten(_stateListener pfuncListener)
{
    std::erase(m_held.listeners, pfuncListener);
}

void stateTell(_stateChange nChange)
{
    // The kinds widen in their order: the aircraft's change redraws all a
    // loading's does, and everything all an aircraft's.
    if (m_held.nOpen > 0) {
        m_held.pending = std::max(m_held.pending.value_or(nChange), nChange);
        return;
    }
    tellAll(nChange);
}

_stateChanging::_stateChanging(void)
{
    m_held.nOpen++;
}

_stateChanging::_stateChanging(_stateChange nChange)
{
    m_held.nOpen++;
    stateTell(nChange);
}

_stateChanging::~_stateChanging(void)
{
    if (--m_held.nOpen > 0 || !m_held.pending)
        return;
    const _stateChange nChange = *m_held.pending;
    m_held.pending.reset();
    tellAll(nChange);
}
