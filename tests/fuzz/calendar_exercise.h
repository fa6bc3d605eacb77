// One calendar file put through everything the appointment store does with one: read it, index
// it in a device zone, ask for day windows, series patterns and single occurrences, delete events
// and occurrences and read the result again. Shared by the fuzzer and the iCalendar tests, which
// run every saved input through it.
#pragma once

#include <string>

namespace daybrook::ical::fuzzing {

// Empty when every check held; otherwise what went wrong, first failure only.
std::string exerciseCalendar(const std::string& bytes);

} // namespace daybrook::ical::fuzzing
