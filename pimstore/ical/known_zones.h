// Zones named by a TZID that the file does not define with a VTIMEZONE.
#pragma once

#include "zone_rule.h"

#include <string_view>

namespace daybrook::ical {

enum class KnownZoneMatch {
    None,
    Exact,          // an Olson name, a Windows zone key name or a Windows display name
    OffsetFromName, // only the "(UTC+hh:mm)" prefix was understood: fixed offset, no daylight time
};

// Looks the name up in a built-in table of common Olson names ("Europe/Berlin", "US/Pacific"),
// Windows zone names ("W. Europe Standard Time") and display names ("(UTC-05:00) Eastern Time
// (US & Canada)"), ignoring case and runs of spaces. Prefixed ids such as
// "/mozilla.org/20050126_1/America/New_York" match by their trailing Olson part.
KnownZoneMatch findKnownZone(std::string_view name, ZoneDefinition& zone);

} // namespace daybrook::ical
