// Deleting from a calendar file without losing anything the store did not understand: every
// byte outside the edited event stays as it was. Each function returns the whole new file, for
// the caller to write atomically, or false (newBytes untouched) for a rejected calendar or an
// index out of range: a file that had an error is never rewritten.
#pragma once

#include "calendar.h"
#include "occurrence_index.h"

#include <string>

namespace daybrook::ical {

// Removes the event's VEVENT and, for a series, every RECURRENCE-ID override of it.
bool deleteEvent(const Calendar& calendar, int event, std::string& newBytes);

// Inserts "EXDATE...:instance" just before the event's END:VEVENT, written the way DTSTART is
// (a DATE for all-day events, UTC with Z, or TZID=<DTSTART's TZID>), with the file's own line
// break. instance is in the event's wall time, as in Occurrence::instance.
bool addExdate(const Calendar& calendar, int event, LocalTime instance, std::string& newBytes);

// Removes one occurrence: an EXDATE for its instance and, when an override replaced that
// instance, the override's VEVENT as well. An event that does not recur is deleted whole.
bool deleteOccurrence(const Calendar& calendar, const Occurrence& occurrence,
                      std::string& newBytes);

} // namespace daybrook::ical
