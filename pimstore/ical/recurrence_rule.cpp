#include "recurrence_rule.h"

#include "diagnostics.h"

#include <algorithm>
#include <cctype>

namespace daybrook::ical {

namespace {

// Far more than any calendar needs, small enough that period arithmetic cannot overflow.
constexpr int kMaximumInterval = 100000;
constexpr int kMaximumCount = 1000000000;

bool parseFrequency(std::string_view text, Frequency& frequency, std::string& reason) {
    if (equalsIgnoringCase(text, "DAILY"))
        frequency = Frequency::Daily;
    else if (equalsIgnoringCase(text, "WEEKLY"))
        frequency = Frequency::Weekly;
    else if (equalsIgnoringCase(text, "MONTHLY"))
        frequency = Frequency::Monthly;
    else if (equalsIgnoringCase(text, "YEARLY"))
        frequency = Frequency::Yearly;
    else if (equalsIgnoringCase(text, "HOURLY") || equalsIgnoringCase(text, "MINUTELY") ||
             equalsIgnoringCase(text, "SECONDLY"))
        reason = "FREQ=" + std::string(text) + " is not supported";
    else
        reason = "unknown FREQ " + quoted(text);
    return reason.empty();
}

bool parseIntegerList(std::string_view text, int minimum, int maximum, std::vector<int>& values) {
    for (std::string_view item : splitList(text, ',')) {
        int value = 0;
        if (!parseInteger(item, minimum, maximum, value) || value == 0)
            return false;
        values.push_back(value);
    }
    return !values.empty();
}

bool parseWeekdayList(std::string_view text, std::vector<WeekdayNumber>& days) {
    for (std::string_view item : splitList(text, ',')) {
        if (item.size() < 2)
            return false;
        WeekdayNumber day;
        day.weekday = weekdayFromCode(item.substr(item.size() - 2));
        if (day.weekday < 0)
            return false;
        const std::string_view ordinal = trimmed(item.substr(0, item.size() - 2));
        if (!ordinal.empty() && (!parseInteger(ordinal, -53, 53, day.ordinal) || day.ordinal == 0))
            return false;
        days.push_back(day);
    }
    return !days.empty();
}

bool isIgnoredPart(std::string_view name) {
    return name.size() > 2 && equalsIgnoringCase(name.substr(0, 2), "X-");
}

bool isUnsupportedPart(std::string_view name) {
    for (const char* part :
         {"BYSECOND", "BYMINUTE", "BYHOUR", "BYYEARDAY", "BYWEEKNO", "RSCALE", "SKIP"}) {
        if (equalsIgnoringCase(name, part))
            return true;
    }
    return false;
}

bool parsePart(std::string_view name, std::string_view value, RecurrenceRule& rule,
               bool& haveFrequency, std::string& reason) {
    const auto invalid = [&]() {
        reason = "invalid " + std::string(name) + " value " + quoted(value);
        return false;
    };
    if (equalsIgnoringCase(name, "FREQ")) {
        haveFrequency = parseFrequency(value, rule.frequency, reason);
        return haveFrequency;
    }
    if (equalsIgnoringCase(name, "INTERVAL"))
        return parseInteger(value, 1, kMaximumInterval, rule.interval) || invalid();
    if (equalsIgnoringCase(name, "COUNT"))
        return parseInteger(value, 1, kMaximumCount, rule.count) || invalid();
    if (equalsIgnoringCase(name, "UNTIL"))
        return (rule.hasUntil = parseDateTimeValue(value, rule.until)) || invalid();
    if (equalsIgnoringCase(name, "BYDAY"))
        return parseWeekdayList(value, rule.byDay) || invalid();
    if (equalsIgnoringCase(name, "BYMONTHDAY"))
        return parseIntegerList(value, -31, 31, rule.byMonthDay) || invalid();
    if (equalsIgnoringCase(name, "BYMONTH"))
        return parseIntegerList(value, 1, 12, rule.byMonth) || invalid();
    if (equalsIgnoringCase(name, "BYSETPOS"))
        return parseIntegerList(value, -366, 366, rule.bySetPosition) || invalid();
    if (equalsIgnoringCase(name, "WKST")) {
        rule.weekStart = weekdayFromCode(value);
        return rule.weekStart >= 0 || invalid();
    }
    if (isIgnoredPart(name))
        return true;
    reason = isUnsupportedPart(name) ? std::string(name) + " is not supported"
                                     : "unknown rule part " + quoted(name);
    return false;
}

// Ordinals are only meaningful in monthly and yearly rules; elsewhere they cannot be expanded
// the way the writer meant, so such rules are not guessed at.
bool ordinalsFitFrequency(const RecurrenceRule& rule, std::string& reason) {
    const bool monthly = rule.frequency == Frequency::Monthly;
    const bool yearly = rule.frequency == Frequency::Yearly;
    for (const WeekdayNumber& day : rule.byDay) {
        if (day.ordinal == 0)
            continue;
        if (!monthly && !yearly) {
            reason = "BYDAY ordinals need FREQ=MONTHLY or YEARLY";
            return false;
        }
        if ((monthly || !rule.byMonth.empty()) && (day.ordinal > 5 || day.ordinal < -5)) {
            reason = "BYDAY ordinal beyond the fifth week of a month";
            return false;
        }
    }
    return true;
}

} // namespace

int weekdayFromCode(std::string_view code) {
    static const char* const kCodes[7] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
    for (int weekday = 0; weekday < 7; ++weekday) {
        if (equalsIgnoringCase(trimmed(code), kCodes[weekday]))
            return weekday;
    }
    return -1;
}

RuleParse parseRecurrenceRule(std::string_view text, RecurrenceRule& rule, std::string& reason) {
    rule = RecurrenceRule();
    reason.clear();
    bool haveFrequency = false;
    for (std::string_view part : splitList(text, ';')) {
        if (part.empty())
            continue;
        const size_t equals = part.find('=');
        if (equals == std::string_view::npos) {
            reason = "rule part " + quoted(part) + " has no value";
            return RuleParse::Unsupported;
        }
        if (!parsePart(trimmed(part.substr(0, equals)), trimmed(part.substr(equals + 1)), rule,
                       haveFrequency, reason))
            return RuleParse::Unsupported;
    }
    if (!haveFrequency) {
        reason = "rule has no FREQ";
        return RuleParse::Unsupported;
    }
    if (!ordinalsFitFrequency(rule, reason))
        return RuleParse::Unsupported;
    std::sort(rule.byMonth.begin(), rule.byMonth.end());
    return RuleParse::Supported;
}

} // namespace daybrook::ical
