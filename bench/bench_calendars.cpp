#include "bench_calendars.h"

#include <cstdint>
#include <cstdio>

namespace bench {

namespace {

// Every span ends with 2031; a longer one reaches further back, so that the days around "now"
// are equally busy in every size.
const int kLastYear = 2031;
// OLE day of 1 January 1970.
const int kUnixEpochOleDay = 25569;
const char* const kWeekdays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
const char* const kSubjects[] = {"Project review", "Call with supplier",
                                 "Lunch",          "Dentist",
                                 "Team planning",  "Gym",
                                 "Budget meeting", "Interview",
                                 "School pickup",  "Workshop on the new release process"};
const int kSubjectCount = sizeof kSubjects / sizeof kSubjects[0];

// A fixed-seed generator: the same calendar on every run and machine.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    int below(int limit) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(limit));
    }

private:
    std::uint32_t state_;
};

struct Civil {
    int year, month, day;
};

// Days since 1 January 1970 of a proleptic Gregorian date, and back.
int daysFromCivil(int year, int month, int day) {
    year -= month <= 2;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Civil civilFromDays(int days) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int dayOfEra = days - era * 146097;
    const int yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int shifted = (5 * dayOfYear + 2) / 153;
    const int day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const int month = shifted + (shifted < 10 ? 3 : -9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

int oleDayFromCivil(int year, int month, int day) {
    return daysFromCivil(year, month, day) + kUnixEpochOleDay;
}

std::string dateText(int oleDay) {
    const Civil civil = civilFromDays(oleDay - kUnixEpochOleDay);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", civil.year, civil.month, civil.day);
    return text;
}

// ":YYYYMMDDTHHMMSS" (floating) or with "Z" (UTC); minutes may run past midnight.
std::string timeValue(int oleDay, int minutes, bool utc) {
    oleDay += minutes / 1440;
    minutes %= 1440;
    char text[40];
    std::snprintf(text, sizeof text, ":%sT%02d%02d00%s", dateText(oleDay).c_str(), minutes / 60,
                  minutes % 60, utc ? "Z" : "");
    return text;
}

std::string dateValue(int oleDay) {
    return ";VALUE=DATE:" + dateText(oleDay);
}

std::string event(const std::string& uid, const std::string& start, const std::string& end,
                  const std::string& summary, const std::string& extra) {
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\nDTSTART" + start +
           "\r\nDTEND" + end + "\r\nSUMMARY:" + summary + "\r\n" + extra + "END:VEVENT\r\n";
}

// Busy status, location: the variety the markers and layouts see on a real device.
std::string singleExtras(Random& random, int index) {
    std::string extra;
    if (random.below(10) < 4)
        extra += "LOCATION:Room " + std::to_string(100 + index % 300) + "\r\n";
    const int status = random.below(100);
    if (status < 10)
        extra += "TRANSP:TRANSPARENT\r\n";
    else if (status < 20)
        extra += "STATUS:TENTATIVE\r\n";
    else if (status < 23)
        extra += "X-MICROSOFT-CDO-BUSYSTATUS:OOF\r\n";
    return extra;
}

struct Span {
    int first; // first OLE day
    int days;
};

// A quiet stretch pushes whatever would touch it to just after it.
int outOfQuiet(int day, int lengthDays, const CalendarShape& shape) {
    const int today = benchToday();
    if (shape.quietDays > 0 && day < today + shape.quietDays && day + lengthDays > today)
        return day + shape.quietDays + lengthDays;
    return day;
}

std::string singleEvent(Random& random, const std::string& uid, int index, const Span& span,
                        const CalendarShape& shape) {
    const std::string summary =
        std::string(kSubjects[random.below(kSubjectCount)]) + " " + std::to_string(index);
    const int kind = random.below(100);
    int day = span.first + random.below(span.days);
    std::string extra = singleExtras(random, index);
    if (kind < 4) { // all day
        day = outOfQuiet(day, 1, shape);
        return event(uid, dateValue(day), dateValue(day + 1), summary, extra);
    }
    if (kind < 6) { // over several days
        day = outOfQuiet(day, 3, shape);
        return event(uid, timeValue(day, 14 * 60, false), timeValue(day + 2, 11 * 60, false),
                     summary, extra);
    }
    static const int kLengths[] = {30, 45, 60, 90, 120};
    const int start = (7 + random.below(13)) * 60 + 15 * random.below(4);
    const int length = kLengths[random.below(5)];
    const bool utc = random.below(100) < 15;
    day = outOfQuiet(day, 1, shape);
    return event(uid, timeValue(day, start, utc), timeValue(day, start + length, utc), summary,
                 extra);
}

// A series of the history ends within two years of its start, long before "now".
std::string historySeries(int index, int count, const Span& span) {
    const std::string uid = "history-series-" + std::to_string(index);
    const int first =
        span.first + static_cast<int>(static_cast<long long>(index) * span.days / count);
    const std::string until = ";UNTIL=" + dateText(first + 700) + "T235959Z\r\n";
    static const char* const kFrequencies[] = {"DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    return event(uid, timeValue(first, 11 * 60, false), timeValue(first, 12 * 60, false),
                 "Old series " + std::to_string(index),
                 std::string("RRULE:FREQ=") + kFrequencies[index % 4] + until);
}

std::string seriesEvent(int index, int count, const Span& span, const CalendarShape& shape) {
    const std::string uid = "series-" + std::to_string(index);
    int first = span.first + static_cast<int>(static_cast<long long>(index) * span.days / count);
    if (shape.quietDays > 0 && first < benchToday() + shape.quietDays)
        first = benchToday() + shape.quietDays + index % 28;
    const Civil civil = civilFromDays(first - kUnixEpochOleDay);
    switch (index % 4) {
    case 0: // a daily standup for three months
        return event(uid, timeValue(first, 8 * 60 + 30, false),
                     timeValue(first, 8 * 60 + 45, false), "Standup " + std::to_string(index),
                     "RRULE:FREQ=DAILY;COUNT=90\r\n");
    case 1: { // a weekly meeting for two years, one week left out
        const std::string weekday = kWeekdays[(first + 6) % 7];
        return event(uid, timeValue(first, 10 * 60, false), timeValue(first, 11 * 60, false),
                     "Weekly sync " + std::to_string(index),
                     "LOCATION:Room " + std::to_string(index) + "\r\nRRULE:FREQ=WEEKLY;BYDAY=" +
                         weekday + ";UNTIL=" + dateText(first + 730) + "T235959Z\r\nEXDATE" +
                         timeValue(first + 21, 10 * 60, false) + "\r\n");
    }
    case 2: // a monthly review without end
        return event(uid, timeValue(first, 16 * 60, false), timeValue(first, 17 * 60, false),
                     "Monthly review " + std::to_string(index),
                     "RRULE:FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(civil.day) + "\r\n");
    default: { // a birthday, all day, from decades back
        const int born = oleDayFromCivil(1950 + index % 50, civil.month, civil.day);
        return event(uid, dateValue(born), dateValue(born + 1), "Birthday " + std::to_string(index),
                     "TRANSP:TRANSPARENT\r\nRRULE:FREQ=YEARLY\r\n");
    }
    }
}

std::string wrapped(const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook benchmark//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

} // namespace

int benchToday() {
    return oleDayFromCivil(kNowYear, kNowMonth, kNowDay);
}

GeneratedCalendar generateCalendar(const CalendarShape& shape) {
    const int first = oleDayFromCivil(kLastYear - shape.years + 1, 1, 1);
    const Span span = {first, oleDayFromCivil(kLastYear + 1, 1, 1) - first};
    const int singles = shape.singlesPerYear * shape.years;
    const int series = shape.seriesPerYear * shape.years;
    const int historySingles = shape.singlesPerYear * shape.historyYears;
    const int historySeriesCount = shape.seriesPerYear * shape.historyYears;
    std::string events;
    events.reserve(static_cast<size_t>(singles + historySingles) * 200);
    // The span's own events come first and are the same in every shape: a history only adds.
    Random random(20261208u);
    for (int i = 0; i < singles; ++i)
        events += singleEvent(random, "single-" + std::to_string(i), i, span, shape);
    for (int i = 0; i < series; ++i)
        events += seriesEvent(i, series, span, shape);
    const int historyFirst =
        oleDayFromCivil(kLastYear - shape.years - shape.historyYears + 1, 1, 1);
    const Span history = {historyFirst, first - historyFirst};
    Random older(19991231u);
    for (int i = 0; i < historySingles; ++i)
        events += singleEvent(older, "history-" + std::to_string(i), i, history, shape);
    for (int i = 0; i < historySeriesCount; ++i)
        events += historySeries(i, historySeriesCount, history);
    GeneratedCalendar calendar;
    calendar.singles = singles + historySingles;
    calendar.series = series + historySeriesCount;
    calendar.text = wrapped(events);
    return calendar;
}

std::string emptyCalendar() {
    return wrapped(std::string());
}

} // namespace bench
