// The commander's acceptance of a load sheet with their own key, and an
// instructor's authorisation of a student's solo: asked for in the print
// dialog's tab, each key unlocked there with its holder's passphrase, held
// only until the sheet is filed, then signed into its line of the record.
// And the pilot told when the flight changes after a sheet was accepted.
#pragma once

#include "ui/sheet.h"

#include <ctime>
#include <functional>
#include <string>
#include <vector>

// How long the next try waits after three wrong passphrases in a row: none
// before, then a minute from the last wrong one.
constexpr int ACC_FREE_TRIES = 3;
constexpr int ACC_WAIT_SECONDS = 60;
int accWaitSeconds(int nWrongInRow, time_t tLastWrong, time_t tNow);

// Whether a leg of the flight is flown solo by a student: one seat taken,
// by a saved student in command. Such a flight asks an instructor's
// authorisation as well.
bool accSoloByStudent(void);

// Why strName may not sign as strCapacity (REC_COMMANDER, REC_INSTRUCTOR)
// now, or "": no saved person of that name, a role that may not, no key of
// theirs on this machine, or, in a school, a key its roster does not list
// for them as valid now. *pstrKey is the key's line where it may.
std::string accWhyNot(const std::string& strName, const std::string& strCapacity, time_t tNow, std::string* pstrKey);

// Unlocks strName's key with the passphrase and holds it for the sheet,
// in place of any held for that capacity. Returns "" where it is held, or
// what the person is told: a wrong passphrase (counted for the key, across
// runs), a wait after three, a refused key file or person. Nothing is held on any refusal.
std::string accAccept(const std::string& strName, const std::string& strCapacity, const char* pszPassphrase,
                      time_t tNow);

// The acceptances held, as the sheet prints them.
std::vector<_shtAccepted> accHeld(void);
// Signs each acceptance held for the line whose content hash and sheet
// SHA-256 are given, lets every key go, and remembers the flight accepted
// (strInputs, shtInputsHash's) so that a change after it is told. Returns
// the acceptances as the line keeps them (recAcceptedJson; "" for none),
// and *pstrWhy where one could not be signed (then none is kept).
std::string accSign(const std::string& strContentHash, const std::string& strSheetSha256, const std::string& strInputs,
                    std::string* pstrWhy);
// Lets every key held go, signing nothing (the dialog cancelled).
void accForget(void);

// What the page says once the flight (inputsNow, shtInputsHash's, asked
// only where a sheet was accepted) is no longer the one last accepted, or
// "": "The sheet Anna accepted at 14:35 UTC no longer matches …". Said
// once for each acceptance.
std::string accNoLongerText(const std::function<std::string(void)>& inputsNow);
