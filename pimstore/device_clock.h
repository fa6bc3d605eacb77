// The emulated device's zone and clock in the iCalendar core's terms.
#pragma once

#include "civil_time.h"
#include "zone_rule.h"

#include <windows.h>

namespace pimstore {

// The zone the device's clock shows; UTC when the device cannot tell.
daybrook::ical::ZoneRule deviceZone();
daybrook::ical::ZoneRule zoneFromInformation(const TIME_ZONE_INFORMATION& information);
bool sameZone(const daybrook::ical::ZoneRule& a, const daybrook::ical::ZoneRule& b);

daybrook::ical::LocalTime deviceNow();

daybrook::ical::LocalTime localTimeFromSystemTime(const SYSTEMTIME& time);
SYSTEMTIME systemTimeFromLocalTime(daybrook::ical::LocalTime time);

} // namespace pimstore
