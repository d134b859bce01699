// What both pages share: binding a page's widgets from Zarv.ui by a table,
// reading and showing numbers in entries, walking a page's fields with Up,
// Down and Return in the order of the page's table.
#pragma once

#include <gtk/gtk.h>

#include <initializer_list>
#include <span>
#include <string>
#include <vector>

// One object a page takes from Zarv.ui: its id, the class it must have, and
// the page variable that borrows it (null for an object only checked).
struct _mscBinding {
    const char* pszId;
    GType (*pfuncType)(void);
    GtkWidget** ppwgt;
};

// Points each row's variable at the builder's object of that id, or at null
// where there is none of that class (an optional object).
void mscBindAll(GtkBuilder* pBuilder, std::span<const _mscBinding> bindings);

// The first row whose object is missing or of another class, or null.
const _mscBinding* mscFindUnbound(GtkBuilder* pBuilder, std::span<const _mscBinding> bindings);

// The builder's widget of that id, or null when there is none (an optional
// object that an older Zarv.ui does not have).
GtkWidget* mscLookUp(GtkBuilder* pBuilder, const char* pszId);

// Parses an entry's text as the C library's atof does, in the process
// locale. A number that is not finite (nan, inf, 1e999) reads as 0.
double mscParseNumber(const gchar* pszText);

// What an entry's text reads as, by mscParseNumber's rules with one more: in
// a text holding a single separator, the locale's other one (a point where
// the locale writes a comma, a comma where it writes a point) is taken as
// the decimal separator too, unless exactly three digits follow it, when it
// could as well separate thousands. strProblem says what the pilot should
// be told (characters left over, or that ambiguity); empty when clean.
struct _mscReading {
    double nValue;
    std::string strProblem;
};
_mscReading mscReadNumber(const gchar* pszText);

// Text the pilot typed, as one line of at most nMaxChars characters: line
// breaks, tabs and other control characters become spaces, and a longer
// text is cut with an ellipsis.
std::string mscOneLine(const std::string& strText, size_t nMaxChars = 200);

// Formats a number in the process locale with a printf format, uncut.
std::string mscFormatNumber(const char* pszFormat, double nValue);

// Shows a number in an entry, uncut.
void mscShowNumber(GtkWidget* pwgtEntry, const char* pszFormat, double nValue);

// Shows a text in an entry, as mscShowNumber does a number.
void mscShowText(GtkWidget* pwgtEntry, const std::string& strText);

// Flags a field whose last commit was not clean with GTK's "error" style and
// a tooltip that says what was read and stored; an empty strProblem clears
// the flag and gives the field its own tooltip back.
void mscFlagEntry(GtkWidget* pwgtEntry, const std::string& strProblem);

// Settles a commit: the value to store for a reading once converted to the
// internal unit (0 where the conversion is no finite number), with the field
// flagged when anything about it was not clean, a negative value where none
// can be (bNotNegative) among them, and cleared otherwise.
double mscSettle(GtkWidget* pwgtEntry, const _mscReading& r, double nConverted, bool bNotNegative);

// Whether the entry's text is other than what mscShowNumber last showed in
// it: the pilot has typed since.
bool mscEntryEdited(GtkWidget* pwgtEntry);
// Takes the entry as typed in, whatever it shows: its text is the pilot's
// even where it reads as what was shown.
void mscMarkEdited(GtkWidget* pwgtEntry);

// Takes the focus from the field being edited in the window, which commits
// it as leaving it does. A field the pilot has not typed in is left without
// a commit: storing its shown (rounded) text would change a value no one
// touched.
void mscLeaveField(GtkWindow* pwinMain);

// Asks before something is deleted from Zarv.conf: strQuestion, with what
// goes in pszDetail, Cancel the default; true where the pilot chose Remove.
bool mscConfirmRemove(GtkWidget* pwgtFrom, const std::string& strQuestion, const char* pszDetail);

// Sets a toggle button of a set (a radio group, or one check button) as a
// display: the set's clicked handler is held back meanwhile, so showing a
// choice never stores it.
void mscShowChoice(std::initializer_list<GtkWidget*> set, GtkWidget* pwgtActive,
                   void (*pfuncClicked)(GtkButton*, gpointer), gboolean bActive = TRUE);

// One row of a navigation table. pwgtLUT refers to the page variable that
// holds the field's widget, so a table can be static data built before the
// page is bound. A row with a null pwgtLUT ends the table.
struct _wgtLUT {
    GtkWidget** pwgtLUT;
    gboolean (*pfuncLUTCB)(GtkWidget* pwgt, guint nDir);
};

// Tables hold at most this many rows before the terminator.
constexpr int MAX_LUT_ROWS = 50;

// Connects a field's commit handler to pszSignal and its keys to the page's
// navigation table.
void mscConnectField(GtkWidget* pwgt, const char* pszSignal, GCallback pfuncCommit, _wgtLUT* pwgtLUT);

gboolean mscKeyPressLUT(GtkWidget* pwgtCur, GdkEventKey* pevtKey, gpointer pwgtLUT);
gboolean mscKeyPressDown(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur);
gboolean mscKeyPressUp(_wgtLUT* pwgtLUT, GtkWidget* pwgtCur);
gboolean mscKeyNavLUT(GtkWidget* pwgtCur, GtkDirectionType nDir, _wgtLUT* pwgtLUT);

// A list of fields a page builds as it goes (a row for each of the
// aircraft's items): Up, Down and Return walk its fields in order and at
// its ends go on into the page's walk, where the list has two places, its
// first field and its last (null while it has none, the last also while
// it has one).
struct _mscListWalk {
    std::vector<GtkWidget*> fields{};
    GtkWidget *pwgtFirst = nullptr, *pwgtLast = nullptr;
    _wgtLUT* pPageLUT = nullptr;
};

// Sets the list's fields, in the order they are walked.
void mscListWalkSet(_mscListWalk& walk, std::vector<GtkWidget*> fields);

// The "key-press-event" handler of a field of the list (pListWalk).
gboolean mscKeyPressList(GtkWidget* pwgtCur, GdkEventKey* pevtKey, gpointer pListWalk);
