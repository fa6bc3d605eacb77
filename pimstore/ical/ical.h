// The iCalendar core of the appointment store, in one include for the COM layer.
//
//   Calendar calendar = readCalendar(bytes);          // calendar.h: model and diagnostics
//   OccurrenceIndex index(calendar, deviceZoneRule);   // occurrence_index.h: window queries
//   deleteOccurrence(calendar, occurrence, newBytes);  // calendar_writer.h: lossless edits
//
// Dates: LocalTime seconds and OLE dates (civil_time.h); zones in TIME_ZONE_INFORMATION shape
// (zone_rule.h); TZIDs without VTIMEZONE (known_zones.h). The other headers are internal.
#pragma once

#include "calendar.h"
#include "calendar_writer.h"
#include "civil_time.h"
#include "known_zones.h"
#include "occurrence_index.h"
#include "zone_rule.h"
