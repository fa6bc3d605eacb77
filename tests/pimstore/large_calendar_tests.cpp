// A calendar of 20,000 appointments and 300 series, asked for ten years of days the way the agenda
// asks: the answers are checked against the generator. (What the queries cost is measured by
// bench.exe, not here.)
#include "store_test_support.h"

#include "civil_time.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace store_testing;
namespace ical = daybrook::ical;

namespace {

const int kSingles = 20000;
const int kSeries = 300;
const int kDays = 3650;
const ical::CivilDate kFirstDay = {2020, 1, 1};
const char* const kWeekdays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::int64_t firstDayNumber() {
    return ical::dayNumberFromCivil(kFirstDay.year, kFirstDay.month, kFirstDay.day);
}

std::string dateOf(std::int64_t day) {
    const ical::CivilDate date = ical::civilFromDayNumber(day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

// Spread so that every day gets five or six, at varied times.
int singleDay(int single) {
    return (single * 7) % kDays;
}

std::string singleEvent(int single) {
    const std::string day = dateOf(firstDayNumber() + singleDay(single));
    const int startMinute = (7 + single % 11) * 60 + (single % 4) * 15;
    const int endMinute = startMinute + 45;
    char start[32], end[32];
    std::snprintf(start, sizeof start, ":%sT%02d%02d00", day.c_str(), startMinute / 60,
                  startMinute % 60);
    std::snprintf(end, sizeof end, ":%sT%02d%02d00", day.c_str(), endMinute / 60, endMinute % 60);
    return eventText("single-" + std::to_string(single), start, end,
                     "Single " + std::to_string(single));
}

enum class SeriesKind { Daily, Weekly, Monthly };
SeriesKind kindOf(int series) {
    return static_cast<SeriesKind>(series % 3);
}
int dailyOffset(int series) {
    return series % 30;
}
int weekdayOf(int series) {
    return series % 7;
}
int monthDayOf(int series) {
    return series % 28 + 1;
}

std::string seriesEvent(int series) {
    const std::string uid = "series-" + std::to_string(series);
    const std::string summary = "Series " + std::to_string(series);
    switch (kindOf(series)) {
    case SeriesKind::Daily: {
        const std::string day = dateOf(firstDayNumber() + dailyOffset(series));
        return eventText(uid, ":" + day + "T060000", ":" + day + "T061500", summary,
                         "RRULE:FREQ=DAILY\r\n");
    }
    case SeriesKind::Weekly:
        return eventText(uid, ":" + dateOf(firstDayNumber()) + "T120000",
                         ":" + dateOf(firstDayNumber()) + "T130000", summary,
                         std::string("RRULE:FREQ=WEEKLY;BYDAY=") + kWeekdays[weekdayOf(series)] +
                             "\r\nEXDATE:" + dateOf(firstDayNumber()) + "T120000\r\n");
    case SeriesKind::Monthly:
        return eventText(uid, ":" + dateOf(firstDayNumber()) + "T180000",
                         ":" + dateOf(firstDayNumber()) + "T183000", summary,
                         "RRULE:FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(monthDayOf(series)) +
                             "\r\nEXDATE:" + dateOf(firstDayNumber()) + "T180000\r\n");
    }
    return std::string();
}

// The weekly and monthly series exclude their DTSTART (1 January), so that only their rule
// counts.
int expectedOn(int day) {
    const std::int64_t dayNumber = firstDayNumber() + day;
    int count = 0;
    for (int single = 0; single < kSingles; ++single)
        count += singleDay(single) == day;
    for (int series = 0; series < kSeries; ++series) {
        switch (kindOf(series)) {
        case SeriesKind::Daily: count += day >= dailyOffset(series); break;
        case SeriesKind::Weekly:
            count += ical::weekdayOfDayNumber(dayNumber) == weekdayOf(series) && day > 0;
            break;
        case SeriesKind::Monthly:
            count += ical::civilFromDayNumber(dayNumber).day == monthDayOf(series) && day > 0;
            break;
        }
    }
    return count;
}

std::string largeCalendar(const char* singleName = "Single ") {
    std::string events;
    events.reserve(static_cast<size_t>(kSingles) * 160);
    for (int single = 0; single < kSingles; ++single) {
        std::string event = singleEvent(single);
        event.replace(event.find("SUMMARY:Single ") + 8, 7, singleName);
        events += event;
    }
    for (int series = 0; series < kSeries; ++series)
        events += seriesEvent(series);
    return calendarOf(events);
}

TEST(StoreLargeCalendarTest, TenYearsOfDaysAnswerWhatTheGeneratorMade) {
    ComApartment apartment;
    DeviceCalendar calendar(largeCalendar());
    std::vector<std::wstring> filters;
    const DATE first = oleDate(kFirstDay.year, kFirstDay.month, kFirstDay.day);
    for (int day = 0; day < kDays; ++day)
        filters.push_back(dayFilter(first + day));

    StoreSession store;
    ASSERT_EQ(kSingles + kSeries, countOf(store.items.get()));
    ASSERT_EQ(S_OK, store.items->put_IncludeRecurrences(VARIANT_TRUE));

    std::vector<int> counts(kDays);
    BSTR start = SysAllocString(L"[Start]");
    for (int day = 0; day < kDays; ++day) {
        BSTR filter = SysAllocString(filters[static_cast<size_t>(day)].c_str());
        ComPtr<IPOutlookItemCollection> found;
        store.items->Restrict(filter, found.receive());
        SysFreeString(filter);
        if (found) {
            found->Sort(start, VARIANT_FALSE);
            found->get_Count(&counts[static_cast<size_t>(day)]);
        }
    }
    SysFreeString(start);

    for (int day : {0, 1, 6, 27, 29, 31, 59, 365, 1000, 1461, 2000, 3000, kDays - 1}) {
        SCOPED_TRACE(day);
        EXPECT_EQ(expectedOn(day), counts[static_cast<size_t>(day)]);
    }
}

// The store keeps the large blocks of the calendar it let go for its next load: that load must
// still show its own text, and once the store is idle the blocks must go back to the heap.
TEST(StoreLargeCalendarTest, AReloadIntoTheLastCalendarsBlocksShowsTheNewTextAndIdleGivesThemBack) {
    ComApartment apartment;
    DeviceCalendar calendar(largeCalendar());
    StoreSession store; // watched from here on
    ASSERT_EQ(kSingles + kSeries, countOf(store.items.get()));

    calendar.rewrite(largeCalendar("Second ")); // the same size: every large block fits again
    const PimStoreLoadReport reloaded = loadReport();
    ASSERT_EQ(kSingles + kSeries, reloaded.events);
    EXPECT_GT(reloaded.keptForNextLoad, 1024u * 1024)
        << "the first calendar's large blocks should be kept for the next load";
    const DATE first = oleDate(kFirstDay.year, kFirstDay.month, kFirstDay.day);
    ComPtr<IPOutlookItemCollection> day = restricted(store.items.get(), dayFilter(first));
    ASSERT_EQ(expectedOn(0), countOf(day.get()));
    for (const std::wstring& subject : subjectsOf(day.get()))
        EXPECT_TRUE(subject.rfind(L"Second ", 0) == 0 || subject.rfind(L"Series ", 0) == 0)
            << "a subject of the reloaded calendar reads \""
            << std::string(subject.begin(), subject.end()) << "\"";

    EXPECT_TRUE(testing_support::pumpUntil([] { return loadReport().keptForNextLoad == 0; }, 30000))
        << "the store still keeps " << loadReport().keptForNextLoad
        << " bytes of freed blocks long after its last load";
}

} // namespace
