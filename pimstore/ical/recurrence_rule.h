// RRULE: the supported subset, parsed into a plain record.
#pragma once

#include "property_values.h"

#include <string>
#include <string_view>
#include <vector>

namespace daybrook::ical {

enum class Frequency { Daily, Weekly, Monthly, Yearly };

struct WeekdayNumber {
    int ordinal = 0; // 0 = every such weekday; 2 = second, -1 = last
    int weekday = 0; // 0 = Sunday .. 6 = Saturday
};

struct RecurrenceRule {
    Frequency frequency = Frequency::Daily;
    int interval = 1;
    int count = 0; // 0 = no COUNT
    bool hasUntil = false;
    DateTimeValue until; // as written; the event resolves it against its own zone
    std::vector<WeekdayNumber> byDay;
    std::vector<int> byMonthDay; // 1..31 or -31..-1
    std::vector<int> byMonth;    // 1..12
    std::vector<int> bySetPosition;
    int weekStart = 1; // Monday, the default
};

enum class RuleParse {
    Supported,
    Unsupported, // valid or not, outside what this store expands: the event keeps one occurrence
};

// Parses an RRULE value. On Unsupported, reason says why in a few words, for the warning.
RuleParse parseRecurrenceRule(std::string_view text, RecurrenceRule& rule, std::string& reason);

// "MO" .. "SU" to 0 (Sunday) .. 6; -1 when it is none of them.
int weekdayFromCode(std::string_view code);

} // namespace daybrook::ical
