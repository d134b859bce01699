// store/aircraft/, above flight/: the aircraft's figures under change
// control with their history, and the fleet the setup record is one of.
// Switching an aircraft moves the items each leg has fitted, so this room
// stands on flight/ as well as conf/.
//
// The fleet of aircraft the setup record is one of, kept in Zarv.conf.
#pragma once

#include <glib.h>

#include <string>
#include <vector>

// One aircraft of the fleet: the group of Zarv.conf that keeps it (empty for
// the current one, which lives in the groups of the setup record) and its
// registration (free text, maybe empty).
struct _fleetAircraft {
    std::string strGroup;
    std::string strRegistration;
};

// The fleet, the current aircraft first, the others in the order they were
// added.
std::vector<_fleetAircraft> fleetList(void);

// Reads the current aircraft and its flight from Zarv.conf into the value
// Zarv holds, every leg's items as the file holds them for it, and tells
// every page: Zarv.conf read again, or the aircraft switched.
void fleetReadCurrent(void);

// Makes the aircraft kept in strGroup the current one, and keeps the
// current one in strGroup instead: one rewrite of Zarv.conf. The units stay.
void fleetSwitch(const std::string& strGroup);

// Adds an aircraft, a copy of the current one without a registration or a
// weighing date, and makes it current; the current one moves into a group of
// its own.
void fleetAdd(void);

// Removes the current aircraft; the first of the others becomes current.
// Nothing happens with a fleet of one.
void fleetRemoveCurrent(void);

// Exchanges the current aircraft's values and items with those of the one
// kept in strGroup, in the key file pkf alone (no rewrite).
void fleetSwapKeys(GKeyFile* pkf, const std::string& strGroup);
