// The flight as Zarv holds it, and who is told when it changes.
#include "store/state.h"

#include <algorithm>
#include <vector>

namespace
{

// The one value: the aircraft, its loadings (one today; the shown one
// first), and the pages to tell.
struct _stateHeld {
    _wbSetup setup;
    std::vector<_wbLoadState> loadings;
    std::vector<_stateListener> listeners;
};

_stateHeld m_held = {{}, {{0.0, 0.0, 0.0, BALLAST_NONE, 0.0, FALSE}}, {}};

} // namespace

const _wbSetup& m_wbSetup = m_held.setup;

const _wbLoadState& stateLoad(void)
{
    return m_held.loadings.front();
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
    return m_held.loadings.front();
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
    // A page told may ask to be told no more, its own or another's: the
    // list is walked as it was, and one no longer in it is not told.
    const std::vector<_stateListener> listeners = m_held.listeners;
    for (_stateListener p : listeners)
        if (std::find(m_held.listeners.begin(), m_held.listeners.end(), p) != m_held.listeners.end())
            p(nChange);
}
