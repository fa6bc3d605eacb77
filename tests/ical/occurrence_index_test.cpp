// Window queries: boundaries, order, per-event look-ups, recurrence patterns, and a large
// synthetic calendar checked against counts computed independently.
#include "ical_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>

namespace daybrook::ical::testing {
namespace {

using Strings = std::vector<std::string>;

const char kBoundaryEvents[] = "BEGIN:VEVENT\nUID:ends\nDTSTART:20240501T220000\n"
                               "DTEND:20240502T000000\nSUMMARY:ends at midnight\nEND:VEVENT\n"
                               "BEGIN:VEVENT\nUID:starts\nDTSTART:20240503T000000\n"
                               "DTEND:20240503T010000\nSUMMARY:starts at next midnight\n"
                               "END:VEVENT\n"
                               "BEGIN:VEVENT\nUID:zero\nDTSTART:20240502T000000\n"
                               "SUMMARY:zero length at midnight\nEND:VEVENT\n"
                               "BEGIN:VEVENT\nUID:allday\nDTSTART;VALUE=DATE:20240501\n"
                               "SUMMARY:all day before\nEND:VEVENT\n";

Strings summariesOn(const OccurrenceIndex& index, LocalTime day, EndBoundary boundary) {
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(day, day + kSecondsPerDay, boundary, found);
    Strings summaries;
    for (const Occurrence& occurrence : found)
        summaries.push_back(utf8(index.detailsOf(occurrence).summary));
    return summaries;
}

TEST(OccurrenceWindow, HalfOpenByDefaultInclusiveEndOnRequest) {
    const Calendar calendar = readBody(kBoundaryEvents);
    OccurrenceIndex index(calendar, berlinDevice());
    const LocalTime may2 = at(2024, 5, 2);
    EXPECT_EQ(Strings{"zero length at midnight"}, summariesOn(index, may2, EndBoundary::Exclusive));
    // Pocket Outlook's "[End] >= day AND [Start] < next day": ending at midnight counts too.
    EXPECT_EQ((Strings{"all day before", "ends at midnight", "zero length at midnight"}),
              summariesOn(index, may2, EndBoundary::Inclusive));
    EXPECT_TRUE(summariesOn(index, at(2024, 5, 2, 12), EndBoundary::Exclusive).size() == 1);
    const Strings nextDay = summariesOn(index, at(2024, 5, 3), EndBoundary::Exclusive);
    EXPECT_EQ(Strings{"starts at next midnight"}, nextDay);
    std::vector<Occurrence> none;
    index.occurrencesOverlapping(may2, may2, EndBoundary::Inclusive, none);
    EXPECT_TRUE(none.empty()) << "an empty window holds nothing";
}

TEST(OccurrenceWindow, EventsLastingYearsAreFoundInTheMiddle) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:l\nDTSTART;VALUE=DATE:20200101\nDTEND;VALUE=DATE:20300101\n"
                 "END:VEVENT\n"
                 "BEGIN:VEVENT\nUID:s\nDTSTART:20250101T090000\nEND:VEVENT\n");
    OccurrenceIndex index(calendar, berlinDevice());
    EXPECT_EQ(Strings{"2020-01-01 00:00"}, startsIn(index, at(2024, 6, 1), at(2024, 6, 2)));
    EXPECT_TRUE(startsIn(index, at(2030, 1, 1), at(2030, 1, 2)).empty());
}

TEST(OccurrenceWindow, OleDateWindowsMatchLocalTimeWindows) {
    const Calendar calendar = readBody(kBoundaryEvents);
    OccurrenceIndex index(calendar, berlinDevice());
    const double may2 = oleDateFromLocalTime(at(2024, 5, 2));
    EXPECT_EQ(3u, index.occurrencesOverlapping(may2, may2 + 1.0, EndBoundary::Inclusive).size());
    EXPECT_EQ(1u, index.occurrencesOverlapping(may2, may2 + 1.0, EndBoundary::Exclusive).size());
}

TEST(OccurrenceWindow, EqualStartsKeepFileOrderAcrossSinglesAndSeries) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:c\nDTSTART:20240501T090000\nSUMMARY:C single\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:a\nDTSTART:20240401T090000\nRRULE:FREQ=MONTHLY\n"
                 "SUMMARY:A series\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:b\nDTSTART:20240501T090000\nDTEND:20240501T180000\n"
                 "SUMMARY:B long\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:d\nDTSTART:20240501T080000\nSUMMARY:D earlier\nEND:VEVENT\n");
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ((Strings{"D earlier", "C single", "A series", "B long"}),
              summariesOn(index, at(2024, 5, 1), EndBoundary::Exclusive));
}

TEST(OccurrenceLookup, FirstOccurrenceSkipsAnExcludedStart) {
    const Calendar calendar = readRealWorld("ical4j_friday13.ics");
    OccurrenceIndex index(calendar, utcDevice());
    const std::vector<Occurrence> events = index.allEvents();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ("1998-02-13 14:00", text(events[0].start));
}

TEST(OccurrenceLookup, EveryEventByStartMergesSinglesOfAnyLengthWithSeries) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:c\nDTSTART:20240501T090000\nSUMMARY:C single\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:a\nDTSTART:20240501T090000\nRRULE:FREQ=MONTHLY\n"
                 "SUMMARY:A series\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:a\nRECURRENCE-ID:20240501T090000\nDTSTART:20240430T100000\n"
                 "SUMMARY:A moved\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:b\nDTSTART:20240501T090000\nDTEND:20240501T180000\n"
                 "SUMMARY:B long\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:e\nDTSTART:20240401T090000\nSTATUS:CANCELLED\n"
                 "SUMMARY:E cancelled\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:d\nDTSTART:20240430T080000\nSUMMARY:D earlier\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:f\nDTSTART:20240429T120000\nDTEND:20240502T120000\n"
                 "SUMMARY:F days\nEND:VEVENT\n");
    OccurrenceIndex index(calendar, utcDevice());
    Strings summaries;
    for (const Occurrence& first : index.allEventsByStart())
        summaries.push_back(utf8(index.detailsOf(first).summary));
    EXPECT_EQ((Strings{"F days", "D earlier", "A moved", "C single", "B long"}), summaries)
        << "each shown event once (a series as its first occurrence), by start then file order";
}

TEST(OccurrenceLookup, OccurrenceAtExactStartOrElseOnThatDay) {
    const Calendar calendar = readRealWorld("khal_recurrence_id_cancelled.ics");
    OccurrenceIndex index(calendar, berlinDevice());
    Occurrence occurrence;
    ASSERT_TRUE(index.occurrenceAt(0, at(2014, 7, 21, 7), occurrence));
    EXPECT_EQ("2014-07-21 07:00", text(occurrence.start));
    ASSERT_TRUE(index.occurrenceAt(0, at(2014, 7, 7), occurrence)) << "the moved one, by date";
    EXPECT_EQ("2014-07-07 09:00", text(occurrence.start));
    EXPECT_EQ(0, occurrence.overrideIndex);
    EXPECT_FALSE(index.occurrenceAt(0, at(2014, 7, 14, 7), occurrence)) << "cancelled";
    EXPECT_FALSE(index.occurrenceAt(0, at(2014, 7, 22, 7), occurrence)) << "no instance";
    EXPECT_FALSE(index.occurrenceAt(5, at(2014, 7, 21, 7), occurrence)) << "no such event";
}

TEST(RecurrencePatternOf, NearestPocketOutlookTypes) {
    const Calendar calendar = readBody(
        "BEGIN:VEVENT\nUID:1\nDTSTART:20240103T090000Z\nRRULE:FREQ=WEEKLY;BYDAY=MO,WE\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:2\nDTSTART:20240131T090000Z\nRRULE:FREQ=MONTHLY;BYDAY=-1WE;COUNT=3\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:3\nDTSTART:20240115T090000Z\n"
        "RRULE:FREQ=MONTHLY;INTERVAL=2;BYMONTHDAY=15;UNTIL=20240915T235959Z\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:4\nDTSTART:20241128\nRRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=4TH\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:5\nDTSTART:20240501T090000Z\nRRULE:FREQ=DAILY;INTERVAL=2\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:6\nDTSTART:20240501T090000Z\nEND:VEVENT\n");
    OccurrenceIndex index(calendar, utcDevice());
    RecurrencePattern pattern;
    ASSERT_TRUE(index.recurrencePattern(0, pattern));
    EXPECT_EQ(PocketRecurrenceType::Weekly, pattern.type);
    EXPECT_EQ(2 | 8, pattern.dayOfWeekMask);
    ASSERT_TRUE(index.recurrencePattern(1, pattern));
    EXPECT_EQ(PocketRecurrenceType::MonthNth, pattern.type);
    EXPECT_EQ(5, pattern.instance);
    EXPECT_EQ(3, pattern.occurrences);
    EXPECT_FALSE(pattern.noEndDate);
    EXPECT_EQ(oleDateFromLocalTime(at(2024, 3, 27)), pattern.patternEndDate);
    ASSERT_TRUE(index.recurrencePattern(2, pattern));
    EXPECT_EQ(PocketRecurrenceType::Monthly, pattern.type);
    EXPECT_EQ(2, pattern.interval);
    EXPECT_EQ(15, pattern.dayOfMonth);
    EXPECT_EQ(oleDateFromLocalTime(at(2024, 9, 15)), pattern.patternEndDate);
    ASSERT_TRUE(index.recurrencePattern(3, pattern));
    EXPECT_EQ(PocketRecurrenceType::YearNth, pattern.type);
    EXPECT_EQ(11, pattern.monthOfYear);
    EXPECT_EQ(4, pattern.instance);
    ASSERT_TRUE(index.recurrencePattern(4, pattern));
    EXPECT_EQ(PocketRecurrenceType::Daily, pattern.type);
    EXPECT_TRUE(pattern.noEndDate);
    EXPECT_EQ(kNoEndOleDate, pattern.patternEndDate);
    EXPECT_EQ(oleDateFromLocalTime(at(2024, 5, 1)), pattern.patternStartDate);
    EXPECT_FALSE(index.recurrencePattern(5, pattern));
}

// 20,000 single appointments over ten years and 300 series with rules whose days are easy to
// compute independently; every day of the ten years is asked and checked against those counts.
class SyntheticCalendar : public ::testing::Test {
protected:
    static constexpr int kDays = 3650;
    static constexpr int kSingles = 20000;
    static constexpr int kSeries = 300;

    void SetUp() override {
        std::string body;
        for (int i = 0; i < kSingles; ++i)
            addSingle(body, i);
        for (int j = 0; j < kSeries; ++j)
            addSeries(body, j);
        const auto begin = std::chrono::steady_clock::now();
        calendar_ = readBody(body);
        std::printf(
            "synthetic calendar: %zu bytes read in %.1f ms\n", body.size(),
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin)
                .count());
    }

    void addSingle(std::string& body, int i) {
        const std::int64_t day = (static_cast<std::int64_t>(i) * 7919) % kDays;
        const LocalTime start = first_ + day * kSecondsPerDay + (i % 40) * 900;
        const LocalTime length = 900 * (1 + i % 12) + (i % 997 == 0 ? 3 * kSecondsPerDay : 0);
        body += "BEGIN:VEVENT\nUID:s" + std::to_string(i) + "\nDTSTART:" + stamp(start) +
                "\nDTEND:" + stamp(start + length) + "\nEND:VEVENT\n";
        countSpan(start, start + length);
    }

    // Kind by j % 3: every k days, weekly on the start's weekday, monthly on day m.
    void addSeries(std::string& body, int j) {
        const std::int64_t startDay = (j * 37) % 1000;
        const LocalTime start = first_ + startDay * kSecondsPerDay + 7 * 3600;
        std::string rule;
        const int every = 1 + j % 5;
        const int monthDay = 1 + j % 28;
        switch (j % 3) {
        case 0: rule = "FREQ=DAILY;INTERVAL=" + std::to_string(every); break;
        case 1: rule = "FREQ=WEEKLY"; break;
        default: rule = "FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(monthDay); break;
        }
        body += "BEGIN:VEVENT\nUID:r" + std::to_string(j) + "\nDTSTART:" + stamp(start) +
                "\nDURATION:PT1H\nRRULE:" + rule + "\nEND:VEVENT\n";
        for (std::int64_t day = startDay; day < kDays; ++day) {
            const std::int64_t since = day - startDay;
            const int dayOfMonth = civilFromLocalTime(first_ + day * kSecondsPerDay).day;
            const bool on = j % 3 == 0   ? since % every == 0
                            : j % 3 == 1 ? since % 7 == 0
                                         : dayOfMonth == monthDay || since == 0;
            if (on)
                ++expected_[day];
        }
    }

    void countSpan(LocalTime start, LocalTime end) {
        for (std::int64_t day = dayNumberOf(start - first_);
             day * kSecondsPerDay + first_ < end && day < kDays; ++day)
            ++expected_[day];
    }

    static std::string stamp(LocalTime time) {
        const CivilDateTime c = civilFromLocalTime(time);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
        return buffer;
    }

    const LocalTime first_ = at(2025, 1, 1);
    std::map<std::int64_t, int> expected_;
    Calendar calendar_;
};

TEST_F(SyntheticCalendar, TenYearsOfDayQueriesFindExactlyWhatOverlapsEachDay) {
    ASSERT_EQ(static_cast<size_t>(kSingles + kSeries), calendar_.events.size());
    const auto built = std::chrono::steady_clock::now();
    OccurrenceIndex index(calendar_, berlinDevice());
    const auto queried = std::chrono::steady_clock::now();
    std::vector<Occurrence> found;
    size_t total = 0;
    for (int day = 0; day < kDays; ++day) {
        const LocalTime from = first_ + day * kSecondsPerDay;
        index.occurrencesOverlapping(from, from + kSecondsPerDay, EndBoundary::Exclusive, found);
        ASSERT_EQ(expected_[day], static_cast<int>(found.size())) << "day " << text(from);
        for (size_t i = 1; i < found.size(); ++i)
            ASSERT_LE(found[i - 1].start, found[i].start) << "day " << text(from);
        total += found.size();
    }
    const auto done = std::chrono::steady_clock::now();
    using Micros = std::chrono::duration<double, std::micro>;
    std::printf("synthetic calendar: index built in %.1f ms; %d day queries, %zu occurrences, "
                "%.2f us per query\n",
                Micros(queried - built).count() / 1000, kDays, total,
                Micros(done - queried).count() / kDays);
}

} // namespace
} // namespace daybrook::ical::testing
