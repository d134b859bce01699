// A page's entries walked from the table of stored values.
#include "ui/fields.h"
#include "store/figures.h"
#include "store/state.h"

#include <algorithm>
#include <variant>

void fldBind(GtkBuilder* pBuilder, _fldPage& page, std::span<const _fldStop> stops)
{
    std::vector<_mscBinding> bindings;
    std::vector<_fldStop> walk(stops.begin(), stops.end());
    for (const _prmValue& v : prmValues()) {
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
    for (const _prmValue& v : prmValues()) {
        GtkWidget* pwgt = v.nOwner == page.nOwner ? page.entries[v.nId] : nullptr;
        if (!pwgt)
            continue;
        GCallback pfunc = std::holds_alternative<std::monostate>(v.field) ? pfuncText : pfuncNumber;
        for (const _fldHandler& h : named)
            if (h.nId == v.nId)
                pfunc = h.pfuncFocusOut;
        g_signal_connect(pwgt, "focus-out-event", pfunc, GINT_TO_POINTER(v.nId));
        g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), page.walk.data());
    }
}

void fldShowNumbers(const _fldPage& page)
{
    for (const _prmValue& v : prmValues())
        if (GtkWidget* pwgt = v.nOwner == page.nOwner ? page.entries[v.nId] : nullptr)
            if (auto* pn = std::get_if<gdouble*>(&v.field); pn && v.pszFormat)
                mscShowNumber(pwgt, v.pszFormat, prmShown(v, **pn));
}

void fldShowUnits(const _fldPage& page)
{
    for (const _prmValue& v : prmValues())
        if (GtkWidget* pwgt = v.nOwner == page.nOwner ? page.units[v.nId] : nullptr)
            gtk_label_set_text(GTK_LABEL(pwgt), unitLabel(v.nUnit, m_wbSetup).c_str());
}

_prmValueId fldIdOf(gpointer pUser)
{
    return static_cast<_prmValueId>(GPOINTER_TO_INT(pUser));
}

bool fldCommitEntry(GtkWidget* pwgtEntry, _prmValueId nId, const _fldAsk& ask)
{
    // The shown text is rounded: storing it back would change a value the
    // pilot never touched. Only an edited text is read and stored.
    if (!mscEntryEdited(pwgtEntry))
        return false;
    const _prmValue& v = prmValue(nId);
    const _mscReading r = mscReadNumber(gtk_entry_get_text(GTK_ENTRY(pwgtEntry)));
    // Weights and volumes cannot be negative; arms can.
    const bool bNotNegative = v.nUnit != KIND_ARM;
    const double nNew = mscSettle(pwgtEntry, r, unitToInternal(v.nUnit, r.nValue, m_wbSetup), bNotNegative);
    const auto* pnOld = std::get_if<gdouble*>(&v.field);
    if (!v.bFigure || !pnOld || **pnOld == nNew) {
        prmStoreValue(nId, nNew);
        return true;
    }
    const double nOld = **pnOld;
    const std::optional<std::string> reason = ask ? ask(pwgtEntry, nId, nOld, nNew) : std::optional<std::string>("");
    if (!reason) {
        mscFlagEntry(pwgtEntry, "");
        mscShowNumber(pwgtEntry, v.pszFormat, prmShown(v, nOld));
        return false;
    }
    prmStoreFigure(nId, nNew, *reason);
    return true;
}
