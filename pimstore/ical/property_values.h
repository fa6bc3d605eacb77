// Value types of iCalendar properties: DATE, DATE-TIME, DURATION, UTC-OFFSET, lists.
#pragma once

#include "civil_time.h"

#include <string>
#include <string_view>
#include <vector>

namespace daybrook::ical {

struct DateTimeValue {
    CivilDateTime civil;
    bool isDate = false; // YYYYMMDD only
    bool isUtc = false;  // ended in Z
};

// YYYYMMDD or YYYYMMDDTHHMMSS[Z], checked for a real calendar date (no 20171032) and time
// (second 60, a leap second, reads as 59).
bool parseDateTimeValue(std::string_view text, DateTimeValue& value);

// [+|-]P[nW][nD][T[nH][nM][nS]]. Day and week parts are nominal (calendar days), the time part
// exact, which matters across daylight saving changes.
struct DurationValue {
    std::int64_t days = 0;
    std::int64_t seconds = 0;
};
bool parseDurationValue(std::string_view text, DurationValue& value);

// +HHMM or +HHMMSS, as seconds east of UTC.
bool parseUtcOffset(std::string_view text, int& seconds);

// Decimal integer with optional sign, within [minimum, maximum].
bool parseInteger(std::string_view text, int minimum, int maximum, int& value);

// Splits on the separator and trims spaces and TABs around each item (Exchange writes
// "BYDAY=MO, TU"). Empty input gives no items.
std::vector<std::string_view> splitList(std::string_view text, char separator);

std::string_view trimmed(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// YYYYMMDD or YYYYMMDDTHHMMSS, for writing values back.
std::string formatDate(const CivilDateTime& civil);
std::string formatDateTime(const CivilDateTime& civil);

} // namespace daybrook::ical
