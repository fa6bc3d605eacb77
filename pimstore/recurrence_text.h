// A recurrence pattern in words, for the Calendar program's view ("Every 2 weeks on Monday").
#pragma once

#include "occurrence_index.h"

#include <string>

namespace pimstore {

std::wstring describeRecurrence(const daybrook::ical::RecurrencePattern& pattern);

} // namespace pimstore
