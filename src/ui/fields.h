// A page's entries as the table of stored values gives them: bound from
// Zarv.ui by their ids, connected, shown, their unit labels written, and the
// page's walk with Up, Down and Return built from the rows' places in it and
// the page's own choices. A value added to the table is on its page with no
// more than its entry in Zarv.ui.
#pragma once

#include "store/conf/stored.h"
#include "ui/misc.h"

#include <gtk/gtk.h>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

// A widget of the page's own in its walk (a choice, a list), at its place.
struct _fldStop {
    int nWalk;
    GtkWidget** ppwgt;
};

// A named handler of a value's entry, where the page has one.
struct _fldHandler {
    _prmValueId nId;
    GCallback pfuncFocusOut;
};

// The entries and unit labels of one owner's values, by id: null where the
// row has none or Zarv.ui lacks it (a window of only the written objects).
struct _fldPage {
    _prmOwner nOwner;
    // One for each row of the table, sized once: the walk points into them.
    std::vector<GtkWidget*> entries = std::vector<GtkWidget*>(valValues().size());
    std::vector<GtkWidget*> units = std::vector<GtkWidget*>(valValues().size());
    // The walk, ended by a row without a widget; built once by fldBind.
    std::vector<_wgtLUT> walk{};
};

// Binds the page's entries and labels and builds its walk with its own stops.
void fldBind(GtkBuilder* pBuilder, _fldPage& page, std::span<const _fldStop> stops);

// Connects each entry's "focus-out-event", with its id as the user data: a
// number's to its named handler or else pfuncNumber, a text's to pfuncText;
// and its keys to the walk.
void fldConnect(_fldPage& page, std::span<const _fldHandler> named, GCallback pfuncNumber, GCallback pfuncText);

// Shows every number of the page in its entry, in the pilot's units, each
// flagged while it cannot be judged (not read, or no amount of its kind can
// be) and cleared otherwise.
void fldShowNumbers(const _fldPage& page);

// Writes the pilot's unit beside every entry that has a unit label.
void fldShowUnits(const _fldPage& page);

// Called when the units changed under an entry being typed in (before:
// the units until then): the entry keeps the unit it was typed in, beside
// it too, until it is left. Whether its unit changed.
bool fldHoldTypedUnits(GtkWidget* pwgtEntry, const _wbSetup& before);

// The id a handler was connected with.
_prmValueId fldIdOf(gpointer pUser);

// The one commit of an entry: its text read as the value's unit in the
// pilot's choice (m_wbSetup; the one shown while it was typed, where that
// changed), settled (the field flagged where the text was not read
// cleanly, a negative weight or volume among it), kept in the value's
// field and stored, with the text itself where it was not read cleanly. A text the pilot has not edited since it was
// shown stores nothing (false): leaving a field never rounds its value.
// Showing what follows is the caller's. A figure of the aircraft whose
// value changes is asked about first (ask, where given): it is stored with
// the reason given ("" for none asked), or, taken back (nothing), the old
// value is shown again and nothing is stored (false).
using _fldAsk =
    std::function<std::optional<std::string>(GtkWidget* pwgtEntry, _prmValueId nId, double nOld, double nNew)>;
// What the page does once the value is kept (kept, where given) is told to
// the pages with the value, as one change: never while the pilot is asked.
bool fldCommitEntry(GtkWidget* pwgtEntry, _prmValueId nId, const _fldAsk& ask = {},
                    const std::function<void(void)>& kept = {});
