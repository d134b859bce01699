// The bars across the top of the window: the red one that says what Zarv
// could not keep (a failed save, a sheet not filed, another program's
// change, a standing warning), and the notice the pilot closes.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// Finds both bars in the window's definition (each optional), dresses the
// red one, forgets what an earlier window was told, and from now on listens
// to the store, the filing and the log: a save that fails shows the red bar
// until the next one succeeds.
void wbInitBars(GtkBuilder* pBuilder);

// Shows the red bar as things stand now, or hides it where there is nothing
// to say: wbInitPages calls it once the pages are up, so what the start met
// is said at once.
void wbShowBar(void);

// Says that another program changed Zarv.conf and its values are shown, and
// where bUnitChanged, that the field being typed in keeps its unit.
void wbSayConfChanged(bool bUnitChanged);

// Shows a notice across the top of the window until the pilot closes it,
// where the definition has the bar for it. A notice of a report (strFile)
// offers a button that opens it in the desktop's viewer.
void wbShowNotice(const char* pszText, const std::string& strFile = {});

// Says on the red bar what of the school's published folder is refused, as
// it stands at its latest taking in: none hides it.
void wbSaySchoolRefusals(const std::vector<std::string>& refused);

// Shows a warning across the top of the window for the rest of the run: a
// failed save shows over it, and the next successful one brings it back.
void wbShowStandingWarning(const char* pszText);
