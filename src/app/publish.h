// The school's published aircraft on the command line: "zarv --publish DIR"
// on the machine that owns the figures, "zarv --published" on a pilot's.
#pragma once

// Publishes every aircraft of the etc directory's fleet under change
// control into pszDir, signed with the school's key (made the first time),
// printing a line for each. Returns 0, or 1 where any could not be
// published.
int wbPublishTo(const char* pszDir);

// Judges every file of the folder "[School] Published" names as the window
// would, printing a line for each: used, or refused and why. Writes
// nothing. Returns 0 when none is refused, 1 when any is, 2 where no folder
// is set.
int wbListPublished(void);
