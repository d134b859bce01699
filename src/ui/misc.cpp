// Binding tables, entry numbers and field navigation tables, shared by both
// pages.
#include "ui/misc.h"

#include "model/texts.h"
#include "store/conf/params.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>

namespace
{

// Index of the row holding pwgtCur, or -1.
int findRow(const _wgtLUT* pwgtLUT, GtkWidget* pwgtCur)
{
    for (int i = 0; i < MAX_LUT_ROWS && pwgtLUT[i].pwgtLUT; i++)
        if (*pwgtLUT[i].pwgtLUT == pwgtCur)
            return i;
    return -1;
}

int countRows(const _wgtLUT* pwgtLUT)
{
    int n = 0;
    while (n < MAX_LUT_ROWS && pwgtLUT[n].pwgtLUT)
        n++;
    return n;
}

// Only the widget's own flags count, not those inherited from its containers.
bool canTakeFocus(GtkWidget* pwgt)
{
    return pwgt && gtk_widget_get_visible(pwgt) && gtk_widget_get_sensitive(pwgt);
}

// Moves the focus nStep rows from the current one, wrapping at the ends and
// passing over fields that cannot take it. Every row is visited at most
// once: at the latest the walk comes back to the current field.
gboolean moveFocus(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur, int nStep, guint nDir)
{
    const int iCur = findRow(pwgtLUT, pwgtCur);
    if (iCur < 0)
        return TRUE;
    if (pwgtLUT[iCur].pfuncLUTCB)
        pwgtLUT[iCur].pfuncLUTCB(pwgtCur, nDir);
    const int nRows = countRows(pwgtLUT);
    int i = iCur;
    do {
        i = (i + nStep + nRows) % nRows;
        GtkWidget* pwgt = *pwgtLUT[i].pwgtLUT;
        if (canTakeFocus(pwgt)) {
            gtk_widget_grab_focus(pwgt);
            return TRUE;
        }
    } while (i != iCur);
    return TRUE;
}

} // namespace

double mscParseNumber(const gchar* pszText)
{
    // atof's rules: leading blanks skipped, the longest numeric prefix taken,
    // no number at all gives 0. A non-finite result would poison every sum.
    const double nValue = pszText ? strtod(pszText, nullptr) : 0.0;
    return std::isfinite(nValue) ? nValue : 0.0;
}

_mscReading mscReadNumber(const gchar* pszText)
{
    std::string strText = pszText ? pszText : "";
    const char* pszPoint = localeconv()->decimal_point;
    const char cLocale = *pszPoint;
    const char cOther = cLocale == ',' ? '.' : ',';
    // (Only where the locale writes a point or a comma itself.)
    const bool bTwoKinds = strlen(pszPoint) == 1 && (cLocale == '.' || cLocale == ',');
    _mscReading r{0, {}};
    const auto nSeparators = std::count_if(strText.begin(), strText.end(), [](char c) { return c == '.' || c == ','; });
    const std::string::size_type nOther = strText.find(cOther);
    if (bTwoKinds && nSeparators == 1 && nOther != std::string::npos) {
        size_t nDigits = 0;
        while (nOther + 1 + nDigits < strText.size() && g_ascii_isdigit(strText[nOther + 1 + nDigits]))
            nDigits++;
        if (nDigits == 3)
            r.strProblem = std::string("\u201c") + cOther + "\u201d could separate thousands or decimals";
        else
            strText[nOther] = cLocale;
    }
    // strtod reads hexadecimal too ("0x10", "0x1p4" as 16); a pilot's
    // number is decimal, so such a text is no number read cleanly.
    const char* pszDigits = strText.c_str();
    while (g_ascii_isspace(*pszDigits))
        pszDigits++;
    if (*pszDigits == '+' || *pszDigits == '-')
        pszDigits++;
    if (pszDigits[0] == '0' && (pszDigits[1] == 'x' || pszDigits[1] == 'X')) {
        r.strProblem = "a hexadecimal number is not read, so 0 was stored";
        return r;
    }
    char* pszEnd = nullptr;
    const double nValue = strtod(strText.c_str(), &pszEnd);
    r.nValue = std::isfinite(nValue) ? nValue : 0.0;
    if (!std::isfinite(nValue))
        r.strProblem = "it is no finite number, so 0 was stored";
    // Blanks after the number are nothing left over; anything else is.
    const char* p = pszEnd;
    while (p && *p && g_ascii_isspace(*p))
        p++;
    if (!r.strProblem.empty())
        return r;
    if (p && *p && pszEnd != strText.c_str())
        r.strProblem = "characters after the number were ignored";
    else if (p && *p)
        r.strProblem = "no number was found, so 0 was stored";
    return r;
}

std::string mscFormatNumber(const char* pszFormat, double nValue)
{
    // A large value is shown whole: the shown text is what the next
    // focus-out reads back and stores.
    return txtNumber(pszFormat, nValue);
}

void mscBindAll(GtkBuilder* pBuilder, std::span<const _mscBinding> bindings)
{
    for (const _mscBinding& b : bindings) {
        if (!b.ppwgt)
            continue;
        GObject* pobj = gtk_builder_get_object(pBuilder, b.pszId);
        *b.ppwgt = pobj && G_TYPE_CHECK_INSTANCE_TYPE(pobj, b.pfuncType()) ? GTK_WIDGET(pobj) : nullptr;
    }
}

const _mscBinding* mscFindUnbound(GtkBuilder* pBuilder, std::span<const _mscBinding> bindings)
{
    for (const _mscBinding& b : bindings) {
        GObject* pobj = gtk_builder_get_object(pBuilder, b.pszId);
        if (!pobj || !G_TYPE_CHECK_INSTANCE_TYPE(pobj, b.pfuncType()))
            return &b;
    }
    return nullptr;
}

GtkWidget* mscLookUp(GtkBuilder* pBuilder, const char* pszId)
{
    GObject* pobj = gtk_builder_get_object(pBuilder, pszId);
    return pobj && GTK_IS_WIDGET(pobj) ? GTK_WIDGET(pobj) : nullptr;
}

namespace
{

// The entry's data key for the text the program last showed in it.
constexpr const char* SHOWN_KEY = "zarv-shown";

} // namespace

std::string mscOneLine(const std::string& strText, size_t nMaxChars)
{
    return txtOneLine(strText, nMaxChars);
}

void mscShowNumber(GtkWidget* pwgtEntry, const char* pszFormat, double nValue)
{
    mscShowText(pwgtEntry, mscFormatNumber(pszFormat, nValue));
}

void mscShowText(GtkWidget* pwgtEntry, const std::string& strText)
{
    gtk_entry_set_text(GTK_ENTRY(pwgtEntry), strText.c_str());
    g_object_set_data_full(G_OBJECT(pwgtEntry), SHOWN_KEY, g_strdup(strText.c_str()), g_free);
}

void mscFlagEntry(GtkWidget* pwgtEntry, const std::string& strProblem)
{
    constexpr const char* TOOLTIP_KEY = "zarv-tooltip";
    GtkStyleContext* pctx = gtk_widget_get_style_context(pwgtEntry);
    const bool bFlagged = gtk_style_context_has_class(pctx, GTK_STYLE_CLASS_ERROR);
    if (strProblem.empty()) {
        if (bFlagged) {
            gtk_style_context_remove_class(pctx, GTK_STYLE_CLASS_ERROR);
            gtk_widget_set_tooltip_text(pwgtEntry,
                                        static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEntry), TOOLTIP_KEY)));
        }
        return;
    }
    if (!bFlagged) {
        g_object_set_data_full(G_OBJECT(pwgtEntry), TOOLTIP_KEY, gtk_widget_get_tooltip_text(pwgtEntry), g_free);
        gtk_style_context_add_class(pctx, GTK_STYLE_CLASS_ERROR);
    }
    gtk_widget_set_tooltip_text(pwgtEntry, strProblem.c_str());
}

double mscSettle(GtkWidget* pwgtEntry, const _mscReading& r, double nConverted, bool bNotNegative)
{
    std::string strProblem = r.strProblem;
    double nStore = nConverted;
    if (!std::isfinite(nConverted)) {
        nStore = 0;
        strProblem = "it is too large for this unit, so 0 was stored";
    } else if (bNotNegative && nConverted < 0 && strProblem.empty()) {
        strProblem = "it was stored, but this cannot be negative";
    }
    if (!strProblem.empty()) {
        const std::string strRead = mscFormatNumber("%.10g", r.nValue);
        strProblem = "\u201c" + std::string(gtk_entry_get_text(GTK_ENTRY(pwgtEntry))) + "\u201d was read as " +
                     strRead + ": " + strProblem + ".";
    }
    mscFlagEntry(pwgtEntry, strProblem);
    return nStore;
}

bool mscEntryEdited(GtkWidget* pwgtEntry)
{
    const auto* pszShown = static_cast<const gchar*>(g_object_get_data(G_OBJECT(pwgtEntry), SHOWN_KEY));
    return !pszShown || strcmp(pszShown, gtk_entry_get_text(GTK_ENTRY(pwgtEntry))) != 0;
}

void mscMarkEdited(GtkWidget* pwgtEntry)
{
    g_object_set_data(G_OBJECT(pwgtEntry), SHOWN_KEY, nullptr);
}

void mscLeaveField(GtkWindow* pwinMain)
{
    GtkWidget* pwgtFocus = gtk_window_get_focus(pwinMain);
    const bool bQuiet = pwgtFocus && GTK_IS_ENTRY(pwgtFocus) && !mscEntryEdited(pwgtFocus);
    // The pages connect their commit handlers without data; matching needs
    // one criterion beyond the signal.
    const guint nSignal = g_signal_lookup("focus-out-event", GTK_TYPE_WIDGET);
    const auto nMatch = GSignalMatchType(G_SIGNAL_MATCH_ID | G_SIGNAL_MATCH_DATA);
    if (bQuiet)
        g_signal_handlers_block_matched(pwgtFocus, nMatch, nSignal, 0, nullptr, nullptr, nullptr);
    gtk_window_set_focus(pwinMain, nullptr);
    if (bQuiet)
        g_signal_handlers_unblock_matched(pwgtFocus, nMatch, nSignal, 0, nullptr, nullptr, nullptr);
}

void mscShowChoice(std::initializer_list<GtkWidget*> set, GtkWidget* pwgtActive,
                   void (*pfuncClicked)(GtkButton*, gpointer), gboolean bActive)
{
    const auto pHandler = reinterpret_cast<gpointer>(pfuncClicked);
    for (GtkWidget* pwgt : set)
        g_signal_handlers_block_by_func(pwgt, pHandler, nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pwgtActive), bActive);
    for (GtkWidget* pwgt : set)
        g_signal_handlers_unblock_by_func(pwgt, pHandler, nullptr);
}

void mscConnectField(GtkWidget* pwgt, const char* pszSignal, GCallback pfuncCommit, _wgtLUT* pwgtLUT)
{
    g_signal_connect(pwgt, pszSignal, pfuncCommit, nullptr);
    g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressLUT), pwgtLUT);
}

gboolean mscKeyPressLUT(GtkWidget* pwgtCur, GdkEventKey* pevtKey, gpointer pwgtLUT)
{
    // The key value alone decides; modifiers make no difference.
    auto* ptable = static_cast<_wgtLUT*>(pwgtLUT);
    switch (pevtKey->keyval) {
    case GDK_KEY_Up:
        return mscKeyPressUp(ptable, pwgtCur);
    case GDK_KEY_Down:
    case GDK_KEY_Return:
        return mscKeyPressDown(ptable, pwgtCur);
    default:
        return FALSE;
    }
}

gboolean mscKeyPressDown(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur)
{
    return moveFocus(pwgtLUT, pwgtCur, 1, GTK_DIR_DOWN);
}

gboolean mscKeyPressUp(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur)
{
    return moveFocus(pwgtLUT, pwgtCur, -1, GTK_DIR_UP);
}

gboolean mscKeyNavLUT(GtkWidget* pwgtCur, GtkDirectionType nDir, _wgtLUT* pwgtLUT)
{
    switch (nDir) {
    case GTK_DIR_UP:
        return mscKeyPressUp(pwgtLUT, pwgtCur);
    case GTK_DIR_DOWN:
        return mscKeyPressDown(pwgtLUT, pwgtCur);
    default:
        return FALSE;
    }
}

void mscListWalkSet(_mscListWalk& walk, std::vector<GtkWidget*> fields)
{
    walk.fields = std::move(fields);
    walk.pwgtFirst = walk.fields.empty() ? nullptr : walk.fields.front();
    // A single field is the list's first place alone: the page's walk
    // finds a field by its first place.
    walk.pwgtLast = walk.fields.size() < 2 ? nullptr : walk.fields.back();
}

gboolean mscKeyPressList(GtkWidget* pwgtCur, GdkEventKey* pevtKey, gpointer pListWalk)
{
    auto* pwalk = static_cast<_mscListWalk*>(pListWalk);
    const std::vector<GtkWidget*>& f = pwalk->fields;
    const auto it = std::find(f.begin(), f.end(), pwgtCur);
    if (it == f.end())
        return FALSE;
    const bool bUp = pevtKey->keyval == GDK_KEY_Up;
    if (!bUp && pevtKey->keyval != GDK_KEY_Down && pevtKey->keyval != GDK_KEY_Return)
        return FALSE;
    // Within the list first; past its ends, the page's walk from the
    // list's place in it.
    const std::ptrdiff_t nStep = bUp ? -1 : 1;
    for (std::ptrdiff_t i = (it - f.begin()) + nStep; i >= 0 && i < std::ssize(f); i += nStep)
        if (canTakeFocus(f[static_cast<size_t>(i)])) {
            gtk_widget_grab_focus(f[static_cast<size_t>(i)]);
            return TRUE;
        }
    if (!pwalk->pPageLUT)
        return TRUE;
    return bUp ? mscKeyPressUp(pwalk->pPageLUT, pwalk->pwgtFirst)
               : mscKeyPressDown(pwalk->pPageLUT, pwalk->pwgtLast ? pwalk->pwgtLast : pwalk->pwgtFirst);
}

bool mscConfirmRemove(GtkWidget* pwgtFrom, const std::string& strQuestion, const char* pszDetail)
{
    // The question as text, whatever a registration typed in it holds.
    GtkWidget* pdlg = gtk_message_dialog_new(GTK_WINDOW(gtk_widget_get_toplevel(pwgtFrom)), GTK_DIALOG_MODAL,
                                             GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE, "%s", strQuestion.c_str());
    gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(pdlg), "%s", pszDetail);
    gtk_dialog_add_buttons(GTK_DIALOG(pdlg), "_Cancel", GTK_RESPONSE_CANCEL, "_Remove", GTK_RESPONSE_ACCEPT, nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(pdlg), GTK_RESPONSE_CANCEL);
    const int nResponse = gtk_dialog_run(GTK_DIALOG(pdlg));
    gtk_widget_destroy(pdlg);
    return nResponse == GTK_RESPONSE_ACCEPT;
}
