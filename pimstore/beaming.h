// Beaming without an infrared port: each beamed appointment becomes an .ics file in the device's
// outbox folder.
#pragma once

#include "calendar_snapshot.h"

#include <windows.h>

#include <string>

namespace pimstore {

// A calendar of the one appointment. An event goes as the file has it (with the file's time
// zones and, for a series, its overrides); an occurrence goes as a single event at its own
// times, in UTC (or as dates when it lasts all day).
std::string beamedCalendar(const CalendarSnapshot& snapshot, const daybrook::ical::Occurrence& item,
                           bool isOccurrence);

// Writes it under a new name in the outbox, creating the folder when needed.
HRESULT beamToOutbox(const CalendarSnapshot& snapshot, const daybrook::ical::Occurrence& item,
                     bool isOccurrence);

} // namespace pimstore
