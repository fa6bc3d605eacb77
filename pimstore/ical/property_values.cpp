#include "property_values.h"

#include "content_lines.h"

#include <cstdio>

namespace daybrook::ical {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool readDigits(std::string_view text, size_t position, size_t count, int& value) {
    if (position + count > text.size())
        return false;
    value = 0;
    for (size_t i = position; i < position + count; ++i) {
        if (!isDigit(text[i]))
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool readDate(std::string_view text, CivilDateTime& civil) {
    if (!readDigits(text, 0, 4, civil.year) || !readDigits(text, 4, 2, civil.month) ||
        !readDigits(text, 6, 2, civil.day))
        return false;
    return civil.year >= kMinYear && civil.year <= kMaxYear && civil.month >= 1 &&
           civil.month <= 12 && civil.day >= 1 && civil.day <= daysInMonth(civil.year, civil.month);
}

bool readTime(std::string_view text, CivilDateTime& civil) {
    if (!readDigits(text, 0, 2, civil.hour) || !readDigits(text, 2, 2, civil.minute) ||
        !readDigits(text, 4, 2, civil.second))
        return false;
    if (civil.second == 60)
        civil.second = 59;
    return civil.hour <= 23 && civil.minute <= 59 && civil.second <= 59;
}

// One "<digits><designator>" part of a duration.
bool readDurationNumber(std::string_view text, size_t& position, std::int64_t& number) {
    const size_t start = position;
    number = 0;
    while (position < text.size() && isDigit(text[position])) {
        if (number > 100000000000LL) // far beyond any calendar; keeps the arithmetic safe
            return false;
        number = number * 10 + (text[position] - '0');
        ++position;
    }
    return position > start && position < text.size();
}

} // namespace

bool parseDateTimeValue(std::string_view text, DateTimeValue& value) {
    value = DateTimeValue();
    if (!readDate(text, value.civil))
        return false;
    if (text.size() == 8) {
        value.isDate = true;
        return true;
    }
    if (text.size() < 15 || (text[8] != 'T' && text[8] != 't') ||
        !readTime(text.substr(9), value.civil))
        return false;
    if (text.size() == 15)
        return true;
    value.isUtc = text.size() == 16 && (text[15] == 'Z' || text[15] == 'z');
    return value.isUtc;
}

bool parseDurationValue(std::string_view text, DurationValue& value) {
    value = DurationValue();
    size_t position = 0;
    bool negative = false;
    if (position < text.size() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        ++position;
    }
    if (position >= text.size() || (text[position] != 'P' && text[position] != 'p'))
        return false;
    ++position;
    bool inTime = false;
    bool anyPart = false;
    while (position < text.size()) {
        if (text[position] == 'T' || text[position] == 't') {
            if (inTime)
                return false;
            inTime = true;
            ++position;
            continue;
        }
        std::int64_t number = 0;
        if (!readDurationNumber(text, position, number))
            return false;
        const char designator = asciiUpper(text[position++]);
        anyPart = true;
        if (!inTime && designator == 'W')
            value.days += number * 7;
        else if (!inTime && designator == 'D')
            value.days += number;
        else if (inTime && designator == 'H')
            value.seconds += number * 3600;
        else if (inTime && designator == 'M')
            value.seconds += number * 60;
        else if (inTime && designator == 'S')
            value.seconds += number;
        else
            return false;
    }
    // Nothing in a calendar lasts ten thousand years; longer values are garbage.
    constexpr std::int64_t kLongestDays = 3660000;
    if (!anyPart || value.days > kLongestDays || value.seconds > kLongestDays * 86400)
        return false;
    if (negative) {
        value.days = -value.days;
        value.seconds = -value.seconds;
    }
    return true;
}

bool parseUtcOffset(std::string_view text, int& seconds) {
    text = trimmed(text);
    if ((text.size() != 5 && text.size() != 7) || (text[0] != '+' && text[0] != '-'))
        return false;
    int hours = 0, minutes = 0, secs = 0;
    if (!readDigits(text, 1, 2, hours) || !readDigits(text, 3, 2, minutes) ||
        (text.size() == 7 && !readDigits(text, 5, 2, secs)))
        return false;
    if (hours > 23 || minutes > 59 || secs > 59)
        return false;
    seconds = (text[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60 + secs);
    return true;
}

bool parseInteger(std::string_view text, int minimum, int maximum, int& value) {
    text = trimmed(text);
    size_t position = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        position = 1;
    }
    if (position >= text.size())
        return false;
    long long number = 0;
    for (; position < text.size(); ++position) {
        if (!isDigit(text[position]) || number > 1000000000LL)
            return false;
        number = number * 10 + (text[position] - '0');
    }
    if (negative)
        number = -number;
    if (number < minimum || number > maximum)
        return false;
    value = static_cast<int>(number);
    return true;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::vector<std::string_view> splitList(std::string_view text, char separator) {
    std::vector<std::string_view> items;
    if (trimmed(text).empty())
        return items;
    for (;;) {
        const size_t stop = text.find(separator);
        items.push_back(trimmed(text.substr(0, stop)));
        if (stop == std::string_view::npos)
            return items;
        text.remove_prefix(stop + 1);
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    }
    return true;
}

std::string formatDate(const CivilDateTime& civil) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d%02d%02d", civil.year, civil.month, civil.day);
    return text;
}

std::string formatDateTime(const CivilDateTime& civil) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", civil.year, civil.month,
                  civil.day, civil.hour, civil.minute, civil.second);
    return text;
}

} // namespace daybrook::ical
