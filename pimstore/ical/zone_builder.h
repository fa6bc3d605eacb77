// VTIMEZONE components to zone definitions. Internal to the reader.
#pragma once

#include "components.h"
#include "zone_rule.h"

namespace daybrook::ical {

// Reads STANDARD and DAYLIGHT observances (TZOFFSETTO, DTSTART, yearly RRULE with BYMONTH and
// BYDAY, or one-off DTSTART/RDATE transitions) into eras, each year getting the observances in
// force that year. False, with a warning, when there is no usable observance; zone.id is set
// whenever the component had a TZID.
bool buildZoneDefinition(const Component& vtimezone, ZoneDefinition& zone,
                         Diagnostics& diagnostics);

} // namespace daybrook::ical
