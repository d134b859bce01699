// The setup page's list of the aircraft's removable items, and its Add and
// Remove buttons.
#include "ui/itemList.h"

#include "model/texts.h"
#include "store/aircraft/figures.h"
#include "store/conf/items.h"
#include "store/conf/state.h"
#include "ui/amend.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{

// An item's numbers as its row shows them, in the order of its fields
// after its name.
constexpr auto isNumber = [](const _itmValue& v) { return v.pnField != nullptr; };
constexpr auto NUMBERS = itmRows<itmCount(isNumber)>(isNumber);

// What of a new item has been typed: its name, then a bit for each number.
constexpr unsigned TYPED_NAME = 1, TYPED_ALL = (2u << NUMBERS.size()) - 1;

struct _ilstRow {
    GtkWidget *pwgtName, *pwgtWeighed, *pwgtRemove;
    std::array<GtkWidget*, NUMBERS.size()> numbers, units;
};

// A new item is in the list, and not kept, until its name, weight and both
// arms are typed: then it is kept, as one amendment.
struct _ilstPending {
    _wbItem item;
    unsigned nTyped;
};

// The box from Zarv.ui (null where it lacks it); the grid, header and Add
// button made in it; the rows, made as needed and never destroyed while
// the window stands (a field being typed in outlives a reading of
// Zarv.conf), those past the items hidden; the new item; the list's walk.
struct _ilstList {
    GtkWidget *pwgtBox, *pwgtGrid, *pwgtAdd;
    std::vector<GtkWidget*> headers;
    std::vector<_ilstRow> rows;
    std::optional<_ilstPending> pending;
    // The Add button is Zarv.ui's own, beside the basic figures.
    bool bAddApart;
    // Its tooltip, said again once the aircraft is no longer the school's.
    std::string strAddTip;
    _mscListWalk walk;
    // A question is open: no other commit of the list runs meanwhile.
    bool bAsking;
};
_ilstList m_items = {};

size_t countShown(void)
{
    return m_wbSetup.items.size() + (m_items.pending ? 1 : 0);
}

const _wbItem& itemAt(size_t n)
{
    return n < m_wbSetup.items.size() ? m_wbSetup.items[n] : m_items.pending->item;
}

// A number in the pilot's unit with its label; one too wide for its format
// short, never hundreds of digits.
std::string shownNumber(const _itmValue& f, double n, const char* pszFormat = nullptr)
{
    const double nShown = unitToShown(f.nUnit, n, m_wbSetup);
    const bool bWide = !std::isfinite(nShown) || std::fabs(nShown) >= TXT_WIDEST;
    return (bWide ? txtFixed(nShown, 0) : mscFormatNumber(pszFormat ? pszFormat : f.pszFormat, nShown)) + " " +
           unitLabel(f.nUnit, m_wbSetup);
}

// An item in one line as the questions say it.
std::string itemShown(const _wbItem& i)
{
    return mscOneLine(i.strName) + ", " + shownNumber(NUMBERS[0], i.nWeight) + " at " +
           shownNumber(NUMBERS[1], i.nLongArm) + " / " + shownNumber(NUMBERS[2], i.nLatArm) + ", " +
           (i.bWeighed ? "fitted" : "not fitted") + " when weighed";
}

// Why Zarv refuses a number typed for an item, in the pilot's units; ""
// where it takes it. An item weighs something.
std::string refusal(const _itmValue& f, double n)
{
    const _unitBounds* pb = unitBoundsOf(f.nUnit);
    if (unitPossible(f.nUnit, n) && (f.nUnit != KIND_WEIGHT || n > 0))
        return "";
    const std::string strTaken =
        f.nUnit == KIND_WEIGHT ? "one above " + shownNumber(f, 0) : "one from " + shownNumber(f, pb->nLeast);
    return "An item's " + std::string(f.pszWhat) + " of " + shownNumber(f, n) + " is refused: Zarv takes " + strTaken +
           " to " + shownNumber(f, pb->nMost) + ".";
}

// Asks the pilot why the weighing record changes (strChange), where the
// aircraft is under change control: the reason ("" where none is asked),
// or nothing where the pilot cancels.
std::optional<std::string> askWhy(GtkWidget* pwgtFrom, const std::string& strChange)
{
    if (!figUnderControl())
        return "";
    m_items.bAsking = true;
    std::optional<std::string> reason = amdAskReason(pwgtFrom, "Amend the weighing record?", strChange, amdWhose());
    m_items.bAsking = false;
    return reason;
}

// Keeps the aircraft's items as the pilot changed them, asked about first;
// whether they were kept.
bool storeItems(GtkWidget* pwgtFrom, const std::vector<_wbItem>& items, const std::string& strChange)
{
    const std::optional<std::string> reason = askWhy(pwgtFrom, strChange);
    if (!reason)
        return false;
    figStoreItems(items, *reason);
    return true;
}

// Item n as the pilot changed it (after), its field nTyped typed: kept,
// asked about first; a new one held until all of it is typed. Taken back,
// the row shows the item as it was.
void commitItem(GtkWidget* pwgtFrom, size_t n, const _wbItem& after, unsigned nTyped, const std::string& strChange)
{
    std::vector<_wbItem> items = m_wbSetup.items;
    if (n < items.size()) {
        items[n] = after;
        if (!storeItems(pwgtFrom, items, strChange))
            ilstShow(false);
        return;
    }
    const _ilstPending was = *m_items.pending;
    m_items.pending = {after, was.nTyped | nTyped};
    if (m_items.pending->nTyped == TYPED_ALL && !after.strName.empty()) {
        // Kept, it is one of the aircraft's items when the pages are told.
        items.push_back(after);
        m_items.pending.reset();
        if (storeItems(pwgtFrom, items, amdChange("New item", "", itemShown(after))))
            return;
        m_items.pending = was;
    }
    ilstShow(false);
}

bool isRow(size_t n)
{
    return n < countShown() && !m_items.bAsking;
}

gboolean ilstOnNameFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pRow)
{
    const auto n = static_cast<size_t>(GPOINTER_TO_INT(pRow));
    if (!isRow(n) || !mscEntryEdited(pwgt))
        return FALSE;
    g_autofree gchar* pszName = g_strstrip(g_strdup(gtk_entry_get_text(GTK_ENTRY(pwgt))));
    _wbItem after = itemAt(n);
    const std::string strOld = after.strName;
    after.strName = mscOneLine(pszName, 1000);
    if (after.strName.empty() || (n < m_wbSetup.items.size() && after.strName == strOld)) {
        // Every item is named on the loading page.
        ilstShow(false);
        if (after.strName.empty())
            mscFlagEntry(pwgt, "An item needs a name: the loading page lists it by its name.");
        return FALSE;
    }
    commitItem(pwgt, n, after, TYPED_NAME, amdChange("Name of item " + std::to_string(n + 1), strOld, after.strName));
    return FALSE;
}

gboolean ilstOnNumberFocusOut(GtkWidget* pwgt, GdkEventFocus*, gpointer pField)
{
    const auto nField = static_cast<size_t>(GPOINTER_TO_INT(pField));
    const size_t n = nField / NUMBERS.size(), k = nField % NUMBERS.size();
    if (!isRow(n) || !mscEntryEdited(pwgt))
        return FALSE;
    const _itmValue& f = NUMBERS[k];
    const std::string strText = gtk_entry_get_text(GTK_ENTRY(pwgt));
    const _mscReading r = mscReadNumber(strText.c_str());
    if (!r.strProblem.empty()) {
        // Text that was not read changes no figure: it stays, flagged.
        mscFlagEntry(pwgt, "\u201c" + mscOneLine(strText, 40) + "\u201d was not read as a number (" + r.strProblem +
                               "): the item is not changed until a number is typed.");
        return FALSE;
    }
    _wbItem after = itemAt(n);
    const double nOld = after.*f.pnField, nNew = unitToInternal(f.nUnit, r.nValue, m_wbSetup);
    after.*f.pnField = nNew;
    const std::string strCaption = std::string(f.pszCaption) + " of " + mscOneLine(itemAt(n).strName, 40);
    const double nOldShown = unitToShown(f.nUnit, nOld, m_wbSetup), nNewShown = unitToShown(f.nUnit, nNew, m_wbSetup);
    const std::string strFormat = figFormatApart(f.pszFormat, nOldShown, nNewShown);
    const std::string strChange =
        amdChange(strCaption, n < m_wbSetup.items.size() ? shownNumber(f, nOld, strFormat.c_str()) : "",
                  shownNumber(f, nNew, strFormat.c_str()));
    if (const std::string strRefused = refusal(f, nNew); !strRefused.empty()) {
        if (figUnderControl()) {
            m_items.bAsking = true;
            amdRefuse(pwgt, strChange, strRefused);
            m_items.bAsking = false;
        }
        ilstShow(false);
        mscFlagEntry(pwgt, strRefused);
        return FALSE;
    }
    const unsigned nTyped = 2u << k;
    if (nOld == nNew && (n < m_wbSetup.items.size() || (m_items.pending->nTyped & nTyped)))
        ilstShow(false);
    else
        commitItem(pwgt, n, after, nTyped, strChange);
    return FALSE;
}

void ilstOnWeighedClicked(GtkButton* pwgt, gpointer pRow)
{
    const auto n = static_cast<size_t>(GPOINTER_TO_INT(pRow));
    if (!isRow(n))
        return;
    _wbItem after = itemAt(n);
    after.bWeighed = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pwgt));
    if (after.bWeighed == itemAt(n).bWeighed)
        return;
    commitItem(GTK_WIDGET(pwgt), n, after, 0,
               amdChange(mscOneLine(after.strName, 40) + " fitted when weighed", after.bWeighed ? "no" : "yes",
                         after.bWeighed ? "yes" : "no"));
}

// Before an item comes or goes, what the pilot is typing is kept.
void leaveField(GtkWidget* pwgt)
{
    if (GtkWidget* pwinMain = gtk_widget_get_toplevel(pwgt); GTK_IS_WINDOW(pwinMain))
        mscLeaveField(GTK_WINDOW(pwinMain));
}

void ilstOnRemoveClicked(GtkButton* pwgt, gpointer pRow)
{
    const auto n = static_cast<size_t>(GPOINTER_TO_INT(pRow));
    if (!isRow(n))
        return;
    leaveField(GTK_WIDGET(pwgt));
    if (!isRow(n))
        return;
    std::vector<_wbItem> items = m_wbSetup.items;
    if (n >= items.size()) {
        m_items.pending.reset();
        ilstShow(false);
        return;
    }
    const std::string strChange = amdChange("Item " + std::to_string(n + 1), itemShown(items[n]), "");
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(n));
    storeItems(GTK_WIDGET(pwgt), items, strChange);
}

void ilstOnAddClicked(GtkButton* pwgt, gpointer)
{
    if (m_items.bAsking)
        return;
    leaveField(GTK_WIDGET(pwgt));
    if (m_wbSetup.items.size() >= ITM_MAX_ITEMS)
        return;
    if (!m_items.pending)
        m_items.pending = _ilstPending{{}, 0};
    ilstShow(false);
    gtk_widget_grab_focus(m_items.rows[m_wbSetup.items.size()].pwgtName);
}

GtkWidget* newEntry(int nChars, gfloat nAlign, const char* pszTip)
{
    GtkWidget* pwgt = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(pwgt), nChars);
    gtk_entry_set_alignment(GTK_ENTRY(pwgt), nAlign);
    gtk_widget_set_tooltip_text(pwgt, pszTip);
    g_signal_connect(pwgt, "key-press-event", G_CALLBACK(mscKeyPressList), &m_items.walk);
    return pwgt;
}

// Row n of the grid, made and connected; its place says which item it
// shows.
_ilstRow makeRow(size_t n)
{
    const int nTop = static_cast<int>(n) + 1;
    GtkGrid* pgrid = GTK_GRID(m_items.pwgtGrid);
    _ilstRow row{};
    row.pwgtName = newEntry(18, 0, "The item's name, as the loading page lists it");
    g_signal_connect(row.pwgtName, "focus-out-event", G_CALLBACK(ilstOnNameFocusOut), GINT_TO_POINTER(n));
    gtk_grid_attach(pgrid, row.pwgtName, 0, nTop, 1, 1);
    constexpr std::array<const char*, NUMBERS.size()> tips = {
        "What the item weighs, from the weighing record", "Longitudinal arm of the item, aft of the datum",
        "Lateral arm of the item: negative to the left, positive to the right"};
    for (size_t k = 0; k < NUMBERS.size(); k++) {
        row.numbers[k] = newEntry(8, 1, tips[k]);
        g_signal_connect(row.numbers[k], "focus-out-event", G_CALLBACK(ilstOnNumberFocusOut),
                         GINT_TO_POINTER(n * NUMBERS.size() + k));
        row.units[k] = gtk_label_new("");
        gtk_label_set_xalign(GTK_LABEL(row.units[k]), 0);
        gtk_label_set_width_chars(GTK_LABEL(row.units[k]), 4);
        gtk_grid_attach(pgrid, row.numbers[k], 1 + 2 * static_cast<int>(k), nTop, 1, 1);
        gtk_grid_attach(pgrid, row.units[k], 2 + 2 * static_cast<int>(k), nTop, 1, 1);
    }
    row.pwgtWeighed = gtk_check_button_new_with_label("Fitted when weighed");
    gtk_widget_set_tooltip_text(row.pwgtWeighed, "The item was on the aircraft when it was weighed, so is in its "
                                                 "basic weight");
    g_signal_connect(row.pwgtWeighed, "clicked", G_CALLBACK(ilstOnWeighedClicked), GINT_TO_POINTER(n));
    g_signal_connect(row.pwgtWeighed, "key-press-event", G_CALLBACK(mscKeyPressList), &m_items.walk);
    gtk_grid_attach(pgrid, row.pwgtWeighed, 7, nTop, 1, 1);
    row.pwgtRemove = gtk_button_new_with_label("Remove");
    g_signal_connect(row.pwgtRemove, "clicked", G_CALLBACK(ilstOnRemoveClicked), GINT_TO_POINTER(n));
    gtk_grid_attach(pgrid, row.pwgtRemove, 8, nTop, 1, 1);
    return row;
}

// Row n showing item i, of which a new one shows only what was typed; a
// figure read from Zarv.conf that cannot be right is flagged.
void showRow(size_t n, const _wbItem& i)
{
    const _ilstRow& row = m_items.rows[n];
    const bool bNew = n >= m_wbSetup.items.size();
    const unsigned nTyped = bNew ? m_items.pending->nTyped : TYPED_ALL;
    mscShowText(row.pwgtName, nTyped & TYPED_NAME ? i.strName : "");
    mscFlagEntry(row.pwgtName, "");
    for (size_t k = 0; k < NUMBERS.size(); k++) {
        const _itmValue& f = NUMBERS[k];
        const double nValue = i.*f.pnField;
        if (nTyped & (2u << k))
            mscShowNumber(row.numbers[k], f.pszFormat, unitToShown(f.nUnit, nValue, m_wbSetup));
        else
            mscShowText(row.numbers[k], "");
        const bool bDoubted = !bNew && !unitPossible(f.nUnit, nValue);
        mscFlagEntry(row.numbers[k],
                     bDoubted ? "This figure cannot be right: nothing is judged until it is corrected." : "");
        gtk_label_set_text(GTK_LABEL(row.units[k]), unitLabel(f.nUnit, m_wbSetup).c_str());
    }
    const auto pHandler = reinterpret_cast<gpointer>(ilstOnWeighedClicked);
    g_signal_handlers_block_by_func(row.pwgtWeighed, pHandler, GINT_TO_POINTER(n));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(row.pwgtWeighed), i.bWeighed);
    g_signal_handlers_unblock_by_func(row.pwgtWeighed, pHandler, GINT_TO_POINTER(n));
    gtk_widget_set_tooltip_text(row.pwgtRemove, bNew ? "Drop this new item" : "Remove this item from the aircraft");
}

// The header of the grid's columns.
void makeHeader(void)
{
    constexpr std::array<std::pair<const char*, int>, 4> header = {
        {{"Item", 0}, {"Weight", 1}, {"Longitudinal arm", 3}, {"Lateral arm", 5}}};
    for (const auto& [pszText, nLeft] : header) {
        GtkWidget* pwgt = gtk_label_new(pszText);
        gtk_label_set_xalign(GTK_LABEL(pwgt), 0);
        gtk_grid_attach(GTK_GRID(m_items.pwgtGrid), pwgt, nLeft, 0, nLeft == 0 ? 1 : 2, 1);
        m_items.headers.push_back(pwgt);
    }
}

} // namespace

void ilstBind(GtkBuilder* pBuilder)
{
    m_items = _ilstList{};
    GtkWidget* pwgtAdd = nullptr;
    const std::array<_mscBinding, 2> optional = {
        {{"EquipmentItems", gtk_box_get_type, &m_items.pwgtBox}, {"AddEquipmentItem", gtk_button_get_type, &pwgtAdd}}};
    mscBindAll(pBuilder, optional);
    if (!m_items.pwgtBox) {
        if (pwgtAdd)
            gtk_widget_hide(pwgtAdd);
        return;
    }
    m_items.pwgtGrid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(m_items.pwgtGrid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(m_items.pwgtGrid), 10);
    makeHeader();
    gtk_box_pack_start(GTK_BOX(m_items.pwgtBox), m_items.pwgtGrid, FALSE, FALSE, 0);
    gtk_widget_show(m_items.pwgtGrid);
    // Zarv.ui's button beside the basic figures, so that an aircraft without
    // items shows no list at all; else one under the list.
    m_items.bAddApart = pwgtAdd != nullptr;
    m_items.pwgtAdd = pwgtAdd ? pwgtAdd : gtk_button_new_with_mnemonic("Add e_quipment item");
    g_signal_connect(m_items.pwgtAdd, "clicked", G_CALLBACK(ilstOnAddClicked), nullptr);
    if (!m_items.bAddApart)
        gtk_widget_set_tooltip_text(m_items.pwgtAdd, "Add a removable item of this aircraft: a door, dual controls, a "
                                                     "cargo hook");
    g_autofree gchar* pszTip = gtk_widget_get_tooltip_text(m_items.pwgtAdd);
    m_items.strAddTip = pszTip ? pszTip : "";
    if (m_items.bAddApart)
        return;
    gtk_widget_set_halign(m_items.pwgtAdd, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(m_items.pwgtBox), m_items.pwgtAdd, FALSE, FALSE, 0);
    gtk_widget_show(m_items.pwgtAdd);
}

std::string ilstHistoryText(const std::string& strFigure, const std::string& strOld, const std::string& strNew)
{
    if (!itmIsFigure(strFigure))
        return "";
    // "Equipment 2/Weight (Right door)": the item by its name where the
    // line gives it, else by its number.
    const size_t nSlash = strFigure.find('/');
    const std::string strGroup = strFigure.substr(0, nSlash);
    std::string strKey = nSlash == std::string::npos ? "" : strFigure.substr(nSlash + 1), strItem;
    if (const size_t nParen = strKey.find(" ("); nParen != std::string::npos && strKey.ends_with(")")) {
        strItem = mscOneLine(strKey.substr(nParen + 2, strKey.size() - nParen - 3), 40);
        strKey.resize(nParen);
    } else {
        strItem = "Item " + strGroup.substr(strGroup.rfind(' ') + 1);
    }
    for (size_t k = 0; k < NUMBERS.size(); k++)
        if (strKey == NUMBERS[k].pszKey) {
            const _itmValue& f = NUMBERS[k];
            const double nOld = g_ascii_strtod(strOld.c_str(), nullptr), nNew = g_ascii_strtod(strNew.c_str(), nullptr);
            const std::string strFormat = figFormatApart(f.pszFormat, unitToShown(f.nUnit, nOld, m_wbSetup),
                                                         unitToShown(f.nUnit, nNew, m_wbSetup));
            return amdChange(strItem + " " + f.pszWhat, shownNumber(f, nOld, strFormat.c_str()),
                             shownNumber(f, nNew, strFormat.c_str()));
        }
    // A flag as the fingerprint writes it (1 or 0), or as an earlier line
    // did (true or false).
    auto yesNo = [](const std::string& str) { return str == "1" || str == "true" ? "yes" : "no"; };
    if (strKey == ITM_VALUES[ITM_WEIGHED].pszKey)
        return amdChange(strItem + " fitted when weighed", yesNo(strOld), yesNo(strNew));
    if (!strKey.empty())
        return amdChange(strItem + " name", strOld, strNew);
    // A whole item added or taken out, in the pilot's units.
    auto whole = [](const std::string& str) {
        const std::optional<_wbItem> i = itmItemRead(str);
        return i ? itemShown(*i) : str;
    };
    return amdChange(strItem, whole(strOld), whole(strNew));
}

GtkWidget** ilstWalkFirst(void)
{
    return &m_items.walk.pwgtFirst;
}

GtkWidget** ilstWalkLast(void)
{
    return &m_items.walk.pwgtLast;
}

void ilstConnect(_wgtLUT* pPageLUT)
{
    m_items.walk.pPageLUT = pPageLUT;
}

void ilstShow(bool bAnew)
{
    if (!m_items.pwgtBox)
        return;
    if (bAnew || m_wbSetup.items.size() >= ITM_MAX_ITEMS)
        m_items.pending.reset();
    const size_t nShown = countShown();
    while (m_items.rows.size() < nShown)
        m_items.rows.push_back(makeRow(m_items.rows.size()));
    // The items of an aircraft the school published here are read, never
    // changed: their fields take no text and nothing adds or removes one.
    const bool bPublished = figPublishedHere();
    std::vector<GtkWidget*> fields;
    for (size_t n = 0; n < m_items.rows.size(); n++) {
        const _ilstRow& row = m_items.rows[n];
        std::vector<GtkWidget*> widgets = {row.pwgtName, row.pwgtWeighed, row.pwgtRemove};
        widgets.insert(widgets.end(), row.numbers.begin(), row.numbers.end());
        widgets.insert(widgets.end(), row.units.begin(), row.units.end());
        for (GtkWidget* pwgt : widgets)
            gtk_widget_set_visible(pwgt, n < nShown);
        if (n >= nShown)
            continue;
        showRow(n, itemAt(n));
        // Read, not typed, and looking so: grey as the school's figures are,
        // not white as a field that takes text.
        std::vector<GtkWidget*> entries = {row.pwgtName};
        entries.insert(entries.end(), row.numbers.begin(), row.numbers.end());
        for (GtkWidget* pwgt : entries) {
            gtk_editable_set_editable(GTK_EDITABLE(pwgt), !bPublished);
            GtkStyleContext* pstyle = gtk_widget_get_style_context(pwgt);
            if (bPublished)
                gtk_style_context_add_class(pstyle, "zarv-read-only");
            else
                gtk_style_context_remove_class(pstyle, "zarv-read-only");
        }
        gtk_widget_set_sensitive(row.pwgtWeighed, !bPublished);
        gtk_widget_set_sensitive(row.pwgtRemove, !bPublished);
        fields.push_back(row.pwgtName);
        fields.insert(fields.end(), row.numbers.begin(), row.numbers.end());
        fields.push_back(row.pwgtWeighed);
    }
    for (GtkWidget* pwgt : m_items.headers)
        gtk_widget_set_visible(pwgt, nShown > 0);
    // With its Add button apart, the list and its frame stand only while it
    // has an item.
    if (m_items.bAddApart)
        gtk_widget_set_visible(GTK_IS_FRAME(gtk_widget_get_parent(m_items.pwgtBox))
                                   ? gtk_widget_get_parent(m_items.pwgtBox)
                                   : m_items.pwgtBox,
                               nShown > 0);
    gtk_widget_set_sensitive(m_items.pwgtAdd, !bPublished && m_wbSetup.items.size() < ITM_MAX_ITEMS);
    gtk_widget_set_tooltip_text(m_items.pwgtAdd, bPublished ? "The school publishes this aircraft's items: they are "
                                                              "changed where they are published"
                                                            : m_items.strAddTip.c_str());
    mscListWalkSet(m_items.walk, std::move(fields));
}
