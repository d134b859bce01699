// A page's entries walked from the table of stored values.
#include "ui/fields.h"
#include "store/aircraft/figures.h"
#include "store/conf/state.h"

#include "model/words.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace
{

// An entry's data: the id of its value, its unit label, and the units the
// pilot saw while typing where they have changed since.
constexpr const char* ID_KEY = "zarv-value-id";
constexpr const char* UNITS_LABEL_KEY = "zarv-units-label";
constexpr const char* TYPED_UNITS_KEY = "zarv-typed-units";

// The row of an entry's value (its id is kept one up, so that none is
// null); null for an entry of no value.
const _prmValue* valueOf(GtkWidget* pwgtEntry)
{
    const int n = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(pwgtEntry), ID_KEY));
    return n > 0 ? &valValue(static_cast<_prmValueId>(n - 1)) : nullptr;
}

const _wbSetup* typedUnits(GtkWidget* pwgtEntry)
{
    return static_cast<const _wbSetup*>(g_object_get_data(G_OBJECT(pwgtEntry), TYPED_UNITS_KEY));
}

void showUnit(GtkWidget* pwgtEntry, const _wbSetup& units)
{
    auto* pwgtLabel = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(pwgtEntry), UNITS_LABEL_KEY));
    if (pwgtLabel && valueOf(pwgtEntry))
        gtk_label_set_text(GTK_LABEL(pwgtLabel), unitLabel(valueOf(pwgtEntry)->nUnit, units).c_str());
}

// A doubt's words as a field's tooltip: "Left seat weight −5.0 kg cannot be
// right."
std::string tooltipOf(const std::string& strWords)
{
    std::string str = strWords;
    if (!str.empty())
        str[0] = g_ascii_toupper(str[0]);
    return str + ".";
}

} // namespace

void fldBind(GtkBuilder* pBuilder, _fldPage& page, std::span<const _fldStop> stops)
{
    std::vector<_mscBinding> bindings;
    std::vector<_fldStop> walk(stops.begin(), stops.end());
    for (const _prmValue& v : valValues()) {
        if (v.nOwner != page.nOwner)
            continue;
        if (v.pszEntry) {
            bindings.push_back({v.pszEntry, gtk_entry_get_type, &page.entries[v.nId]});
            walk.push_back({v.nWalk, &page.entries[v.nId]});
        }
        if (v.pszUnits)
            bindings.push_back({v.pszUnits, gtk_label_get_type, &page.units[v.nId]});
    }
    mscBindAll(pBuilder, bindings);
    for (const _prmValue& v : valValues())
        if (GtkWidget* pwgt = v.nOwner == page.nOwner ? page.entries[v.nId] : nullptr) {
            g_object_set_data(G_OBJECT(pwgt), ID_KEY, GINT_TO_POINTER(v.nId + 1));
            g_object_set_data(G_OBJECT(pwgt), UNITS_LABEL_KEY, page.units[v.nId]);
        }
    // Rows of the same place keep the order they were given in.
    std::stable_sort(walk.begin(), walk.end(), [](const _fldStop& a, const _fldStop& b) { return a.nWalk < b.nWalk; });
    page.walk.clear();
    for (const _fldStop& s : walk)
        page.walk.push_back({s.ppwgt, nullptr});
    page.walk.push_back({nullptr, nullptr});
    g_assert(page.walk.size() <= MAX_LUT_ROWS + 1);
}

void fldConnect(_fldPage& page, std::span<const _fldHandler> named, GCallback pfuncNumber, GCallback pfuncText)
{
    for (const _prmValue& v : valValues()) {
        GtkWidget* pwgt = v.nOwner == page.nOwner ? page.entries[v.nId] : nullptr;
        if (!pwgt)
            continue;
        GCallback pfunc = valIsText(v) ? pfuncText : pfuncNumber;
        for (const _fldHandler& h : named)
            if (h.nId == v.nId)
                pfunc = h.pfuncFocusOut;
        g_signal_connect(pwgt, "focus-out-event", pfunc, GINT_TO_POINTER(v.nId));
        g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), page.walk.data());
    }
}

void fldShowNumbers(const _fldPage& page)
{
    const std::vector<_wbDoubt> doubts = valDoubts(m_wbSetup, stateLoad(), true);
    for (const _prmValue& v : valValues()) {
        GtkWidget* pwgt = v.nOwner == page.nOwner ? page.entries[v.nId] : nullptr;
        if (!pwgt || !valIsNumber(v) || !v.pszFormat)
            continue;
        // A condition not given shows as nothing typed.
        if (valNotGiven(v, valHeld(v.nId)))
            mscShowText(pwgt, "");
        else
            mscShowNumber(pwgt, v.pszFormat, valShown(v, valHeld(v.nId)));
        // A doubted value stays flagged until it is edited: with what its
        // commit said, or else (read from Zarv.conf) with the doubt's words.
        std::string strFlag;
        for (const _wbDoubt& d : doubts)
            if (d.pszWhat == v.pszWhat)
                strFlag = tooltipOf(wrdDoubtText(d, m_wbSetup));
        const bool bFlagged = gtk_style_context_has_class(gtk_widget_get_style_context(pwgt), GTK_STYLE_CLASS_ERROR);
        if (strFlag.empty() || !bFlagged)
            mscFlagEntry(pwgt, strFlag);
    }
}

void fldShowUnits(const _fldPage& page)
{
    for (const _prmValue& v : valValues())
        if (GtkWidget* pwgt = v.nOwner == page.nOwner ? page.units[v.nId] : nullptr)
            gtk_label_set_text(GTK_LABEL(pwgt), unitLabel(v.nUnit, m_wbSetup).c_str());
}

bool fldHoldTypedUnits(GtkWidget* pwgtEntry, const _wbSetup& before)
{
    if (!valueOf(pwgtEntry))
        return false;
    const _prmValue& v = *valueOf(pwgtEntry);
    const _wbSetup& typed = typedUnits(pwgtEntry) ? *typedUnits(pwgtEntry) : before;
    if (unitLabel(v.nUnit, typed) == unitLabel(v.nUnit, m_wbSetup))
        return false;
    if (!typedUnits(pwgtEntry))
        g_object_set_data_full(G_OBJECT(pwgtEntry), TYPED_UNITS_KEY, new _wbSetup(before),
                               [](gpointer p) { delete static_cast<_wbSetup*>(p); });
    showUnit(pwgtEntry, typed);
    return true;
}

_prmValueId fldIdOf(gpointer pUser)
{
    return static_cast<_prmValueId>(GPOINTER_TO_INT(pUser));
}

bool fldCommitEntry(GtkWidget* pwgtEntry, _prmValueId nId, const _fldAsk& ask, const std::function<void(void)>& kept)
{
    // Typed while the units changed under it: read in the units shown
    // beside it then, and from here on in the units of the moment.
    const _wbSetup units = typedUnits(pwgtEntry) ? *typedUnits(pwgtEntry) : m_wbSetup;
    if (typedUnits(pwgtEntry)) {
        g_object_set_data(G_OBJECT(pwgtEntry), TYPED_UNITS_KEY, nullptr);
        showUnit(pwgtEntry, m_wbSetup);
    }
    // The shown text is rounded: storing it back would change a value the
    // pilot never touched. Only an edited text is read and stored.
    if (!mscEntryEdited(pwgtEntry))
        return false;
    const _prmValue& v = valValue(nId);
    const std::string strText = gtk_entry_get_text(GTK_ENTRY(pwgtEntry));
    // A condition emptied is no longer given: nothing of it is kept.
    if (valNotGiven(v, NAN) && strText.find_first_not_of(" \t") == std::string::npos) {
        const _stateChanging changing;
        valSetUnread(nId, "");
        valStoreValue(nId, NAN);
        mscFlagEntry(pwgtEntry, "");
        if (kept)
            kept();
        return true;
    }
    const _mscReading r = mscReadNumber(strText.c_str());
    // Weights and volumes cannot be negative; arms, elevations and
    // temperatures can.
    const bool bNotNegative = v.nUnit != KIND_ARM && v.nUnit != KIND_ELEVATION && v.nUnit != KIND_OAT;
    const double nConverted = unitToInternal(v.nUnit, r.nValue, units);
    const double nNew = mscSettle(pwgtEntry, r, nConverted, bNotNegative);
    // Text not read cleanly is kept with the value, which cannot say it.
    const std::string strUnread = r.strProblem.empty() && std::isfinite(nConverted) ? "" : strText;
    const bool bNumber = valIsNumber(v);
    const double nOld = valHeld(nId);
    // A figure of the weighing record never takes a value from text that
    // was not read: it keeps its own, flagged, until a number is typed.
    if (v.bFigure && bNumber && !strUnread.empty()) {
        const _stateChanging changing;
        valSetUnread(nId, strUnread);
        mscFlagEntry(pwgtEntry, "\u201c" + mscOneLine(strText, 40) + "\u201d was not read as a number: the " +
                                    v.pszWhat + " stays " + mscFormatNumber(v.pszFormat, valShown(v, nOld)) + " " +
                                    unitLabel(v.nUnit, m_wbSetup) + " until a number is typed.");
        if (kept)
            kept();
        return true;
    }
    if (!v.bFigure || !bNumber || nOld == nNew) {
        const _stateChanging changing;
        valSetUnread(nId, strUnread);
        valStoreValue(nId, nNew);
        if (kept)
            kept();
        return true;
    }
    const std::optional<std::string> reason = ask ? ask(pwgtEntry, nId, nOld, nNew) : std::optional<std::string>("");
    if (!reason) {
        mscFlagEntry(pwgtEntry, "");
        mscShowNumber(pwgtEntry, v.pszFormat, valShown(v, nOld));
        return false;
    }
    const _stateChanging changing;
    valSetUnread(nId, strUnread);
    figStoreFigure(nId, nNew, *reason);
    if (kept)
        kept();
    return true;
}
