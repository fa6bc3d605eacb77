// Recurrence rules against hand-computed dates.
#include "ical_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace daybrook::ical::testing {
namespace {

using Strings = std::vector<std::string>;

Calendar readSeries(const std::string& start, const std::string& lines) {
    return readBody("BEGIN:VEVENT\nUID:s\nDTSTART:" + start + "\n" + lines + "END:VEVENT\n");
}

// Starts of one event with the given DTSTART value and further lines, on a UTC device.
Strings startsOfSeries(const std::string& start, const std::string& lines, LocalTime from,
                       LocalTime to) {
    const Calendar calendar = readSeries(start, lines);
    EXPECT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    OccurrenceIndex index(calendar, utcDevice());
    return startsIn(index, from, to);
}

TEST(Recurrence, MonthDay31SkipsShortMonthsAndMinusOneIsTheLastDay) {
    EXPECT_EQ(
        (Strings{"2024-01-31 09:00", "2024-03-31 09:00", "2024-05-31 09:00", "2024-07-31 09:00",
                 "2024-08-31 09:00", "2024-10-31 09:00", "2024-12-31 09:00"}),
        startsOfSeries("20240131T090000", "RRULE:FREQ=MONTHLY;BYMONTHDAY=31\n", at(2024, 1, 1),
                       at(2025, 1, 1)));
    EXPECT_EQ(
        (Strings{"2024-01-31 09:00", "2024-03-31 09:00"}),
        startsOfSeries("20240131T090000", "RRULE:FREQ=MONTHLY\n", at(2024, 1, 1), at(2024, 4, 15)));
    EXPECT_EQ(
        (Strings{"2024-01-31 09:00", "2024-02-29 09:00", "2024-03-31 09:00", "2024-04-30 09:00"}),
        startsOfSeries("20240131T090000", "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1\n", at(2024, 1, 1),
                       at(2024, 5, 15)));
    EXPECT_EQ((Strings{"2025-02-28 09:00"}),
              startsOfSeries("20240131T090000", "RRULE:FREQ=MONTHLY;BYMONTHDAY=-1\n",
                             at(2025, 2, 1), at(2025, 3, 1)));
}

TEST(Recurrence, LeapDayYearlyOnlyInLeapYears) {
    EXPECT_EQ((Strings{"2024-02-29 00:00", "2028-02-29 00:00", "2032-02-29 00:00"}),
              startsOfSeries("20240229", "RRULE:FREQ=YEARLY\n", at(2024, 1, 1), at(2034, 1, 1)));
    // 2100 is not a leap year.
    EXPECT_EQ((Strings{"2096-02-29 00:00", "2104-02-29 00:00"}),
              startsOfSeries("20240229", "RRULE:FREQ=YEARLY\n", at(2095, 1, 1), at(2105, 1, 1)));
}

TEST(Recurrence, WeekdayOrdinalsCountFromEitherEndOfTheMonth) {
    EXPECT_EQ(
        (Strings{"2024-06-10 08:00", "2024-06-28 08:00", "2024-07-08 08:00", "2024-07-26 08:00"}),
        startsOfSeries("20240610T080000Z", "RRULE:FREQ=MONTHLY;BYDAY=2MO,-1FR\n", at(2024, 6, 1),
                       at(2024, 8, 1)));
    // Fifth Wednesdays exist only in some months.
    EXPECT_EQ((Strings{"2024-05-29 08:00", "2024-07-31 08:00", "2024-10-30 08:00"}),
              startsOfSeries("20240529T080000Z", "RRULE:FREQ=MONTHLY;BYDAY=5WE\n", at(2024, 5, 1),
                             at(2024, 12, 1)));
    // The twentieth Monday of the year, from RFC 5545's examples.
    EXPECT_EQ((Strings{"1997-05-19 09:00", "1998-05-18 09:00", "1999-05-17 09:00"}),
              startsOfSeries("19970519T090000", "RRULE:FREQ=YEARLY;BYDAY=20MO\n", at(1997, 1, 1),
                             at(2000, 1, 1)));
}

TEST(Recurrence, WeekStartDecidesWhichWeeksABiweeklyRuleSkips) {
    const LocalTime from = at(1997, 8, 1);
    const LocalTime to = at(1997, 9, 30);
    EXPECT_EQ(
        (Strings{"1997-08-05 09:00", "1997-08-10 09:00", "1997-08-19 09:00", "1997-08-24 09:00"}),
        startsOfSeries("19970805T090000",
                       "RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=MO\n", from, to));
    EXPECT_EQ(
        (Strings{"1997-08-05 09:00", "1997-08-17 09:00", "1997-08-19 09:00", "1997-08-31 09:00"}),
        startsOfSeries("19970805T090000",
                       "RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=SU\n", from, to));
}

TEST(Recurrence, CountIncludesAStartTheRuleWouldNotProduce) {
    EXPECT_EQ((Strings{"2024-05-01 10:00", "2024-05-06 10:00", "2024-05-13 10:00"}),
              startsOfSeries("20240501T100000Z", "RRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=3\n",
                             at(2024, 1, 1), at(2025, 1, 1)));
}

// A million daily instances from 1990 end in November 4727, not at any cap years before.
TEST(Recurrence, ALargeCountRunsToItsRealLastInstance) {
    const std::string rule = "RRULE:FREQ=DAILY;COUNT=1000000\n";
    EXPECT_EQ((Strings{"2500-06-01 09:00"}),
              startsOfSeries("19900101T090000Z", rule, at(2500, 6, 1), at(2500, 6, 2)));
    EXPECT_EQ((Strings{"4727-11-27 09:00", "4727-11-28 09:00"}),
              startsOfSeries("19900101T090000Z", rule, at(4727, 11, 27), at(4728, 1, 1)))
        << "the millionth instance is the last";
    // Whole weeks of a weekday rule are counted, not stepped: the 100,000th Monday or Friday.
    EXPECT_EQ((Strings{"2982-04-01 09:00", "2982-04-05 09:00"}),
              startsOfSeries("20240101T090000Z", "RRULE:FREQ=WEEKLY;BYDAY=MO,FR;COUNT=100000\n",
                             at(2982, 4, 1), at(2983, 1, 1)));
    // And whole 400-year cycles of a monthly one: the 20,000th last Friday of a month.
    EXPECT_EQ((Strings{"3690-07-28 09:00", "3690-08-25 09:00"}),
              startsOfSeries("20240126T090000Z", "RRULE:FREQ=MONTHLY;BYDAY=-1FR;COUNT=20000\n",
                             at(3690, 7, 1), at(3700, 1, 1)));
}

TEST(Recurrence, UntilIsInclusiveInEveryForm) {
    EXPECT_EQ((Strings{"2024-05-01 09:00", "2024-05-02 09:00", "2024-05-03 09:00"}),
              startsOfSeries("20240501T090000Z", "RRULE:FREQ=DAILY;UNTIL=20240503T090000Z\n",
                             at(2024, 1, 1), at(2025, 1, 1)));
    // A DATE UNTIL on a timed series covers that whole day.
    EXPECT_EQ((Strings{"2024-05-01 09:00", "2024-05-02 09:00"}),
              startsOfSeries("20240501T090000Z", "RRULE:FREQ=DAILY;UNTIL=20240502\n",
                             at(2024, 1, 1), at(2025, 1, 1)));
}

TEST(Recurrence, ZonedUtcUntilAndExdateListsOnSeveralLines) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:z\nDTSTART;TZID=Europe/Berlin:20240501T090000\n"
                 "RRULE:FREQ=DAILY;UNTIL=20240506T070000Z\n"
                 "EXDATE;TZID=Europe/Berlin:20240502T090000,\n 20240503T090000\n"
                 "EXDATE:20240505T070000Z\nEND:VEVENT\n");
    OccurrenceIndex index(calendar, berlinDevice());
    EXPECT_EQ((Strings{"2024-05-01 09:00", "2024-05-04 09:00", "2024-05-06 09:00"}),
              startsIn(index, at(2024, 1, 1), at(2025, 1, 1)));
}

TEST(Recurrence, OverridesReplaceMoveAndCancelInstancesWhereverTheyAppear) {
    const Calendar calendar = readBody(
        "BEGIN:VEVENT\nUID:w\nRECURRENCE-ID:20240508T090000Z\nDTSTART:20240509T150000Z\n"
        "SUMMARY:moved\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:w\nDTSTART:20240501T090000Z\nRRULE:FREQ=WEEKLY;COUNT=4\n"
        "SUMMARY:weekly\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:w\nRECURRENCE-ID:20240515T090000Z\nSTATUS:CANCELLED\nEND:VEVENT\n");
    ASSERT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    OccurrenceIndex index(calendar, utcDevice());
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(at(2024, 5, 1), at(2024, 6, 1), EndBoundary::Exclusive, found);
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ("2024-05-01 09:00", text(found[0].start));
    EXPECT_EQ("2024-05-09 15:00", text(found[1].start));
    EXPECT_EQ(u"moved", index.detailsOf(found[1]).summary);
    EXPECT_EQ(at(2024, 5, 8, 9), found[1].instance);
    EXPECT_EQ("2024-05-22 09:00", text(found[2].start));
}

TEST(Recurrence, BySetPositionPicksFromEachPeriodsSet) {
    EXPECT_EQ(
        (Strings{"2024-01-31 00:00", "2024-02-29 00:00", "2024-03-29 00:00", "2024-04-30 00:00"}),
        startsOfSeries("20240131", "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-1\n",
                       at(2024, 1, 1), at(2024, 5, 1)));
    EXPECT_EQ((Strings{"2024-06-03 00:00", "2024-07-01 00:00"}),
              startsOfSeries("20240101", "RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=1\n",
                             at(2024, 6, 1), at(2024, 7, 15)));
}

TEST(Recurrence, AnRdatePeriodLastsAsItsPeriodSays) {
    const Calendar calendar =
        readSeries("20240501T090000Z", "DTEND:20240501T100000Z\nRRULE:FREQ=DAILY;COUNT=2\n"
                                       "RDATE;VALUE=PERIOD:20240510T090000Z/20240510T170000Z,"
                                       "20240520T090000Z/PT30M\n");
    OccurrenceIndex index(calendar, utcDevice());
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(at(2024, 5, 1), at(2024, 6, 1), EndBoundary::Exclusive, found);
    std::vector<std::string> ends;
    for (const Occurrence& occurrence : found)
        ends.push_back(text(occurrence.end));
    EXPECT_EQ(
        (Strings{"2024-05-01 10:00", "2024-05-02 10:00", "2024-05-10 17:00", "2024-05-20 09:30"}),
        ends)
        << "a period ends at its end or after its duration, the rule's instances after an hour";
    EXPECT_EQ((Strings{"2024-05-10 09:00"}),
              startsIn(index, at(2024, 5, 10, 16), at(2024, 5, 10, 18)))
        << "the afternoon still holds the period that began in the morning";
}

TEST(Recurrence, RdatesAddInstancesAndDuplicatesCollapse) {
    EXPECT_EQ(
        (Strings{"2024-05-01 09:00", "2024-05-02 09:00", "2024-05-20 09:00", "2024-06-01 12:00"}),
        startsOfSeries("20240501T090000Z",
                       "RRULE:FREQ=DAILY;COUNT=2\nRDATE:20240502T090000Z,20240520T090000Z\n"
                       "RDATE;VALUE=PERIOD:20240601T120000Z/PT1H\n",
                       at(2024, 1, 1), at(2025, 1, 1)));
}

TEST(Recurrence, RulesOutsideTheSubsetKeepOnlyTheFirstOccurrence) {
    for (const char* rule :
         {"FREQ=HOURLY", "FREQ=DAILY;BYHOUR=9,17", "FREQ=YEARLY;BYYEARDAY=100",
          "FREQ=YEARLY;BYWEEKNO=20", "FREQ=WEEKLY;BYDAY=2MO", "INTERVAL=2", "FREQ=DAILY;COUNT=x"}) {
        const Calendar calendar =
            readSeries("20240501T090000Z", std::string("RRULE:") + rule + "\n");
        ASSERT_EQ(1u, calendar.events.size()) << rule;
        EXPECT_FALSE(calendar.events[0].recurring) << rule;
        EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 6, "only the first occurrence"))
            << rule << "\n"
            << describe(calendar.diagnostics);
        OccurrenceIndex index(calendar, utcDevice());
        EXPECT_EQ(Strings{"2024-05-01 09:00"}, startsIn(index, at(2024, 1, 1), at(2026, 1, 1)))
            << rule;
    }
}

TEST(Recurrence, DailySeriesFrom1990AnsweredIn2030WithoutWalkingThere) {
    const Calendar calendar =
        readSeries("19900101T063000", "DURATION:PT30M\nRRULE:FREQ=DAILY;INTERVAL=3\n");
    OccurrenceIndex index(calendar, berlinDevice());
    // 14610 days from 1990-01-01 to 2030-01-01 is divisible by 3, so 2030-01-01 has one.
    EXPECT_EQ(Strings{"2030-01-01 06:30"}, startsIn(index, at(2030, 1, 1), at(2030, 1, 2)));
    EXPECT_TRUE(startsIn(index, at(2030, 1, 2), at(2030, 1, 4)).empty());
    const auto begin = std::chrono::steady_clock::now();
    int found = 0;
    std::vector<Occurrence> day;
    for (int i = 0; i < 3650; ++i) {
        const LocalTime from = at(2030, 1, 1) + i * kSecondsPerDay;
        index.occurrencesOverlapping(from, from + kSecondsPerDay, EndBoundary::Exclusive, day);
        found += static_cast<int>(day.size());
    }
    const double micros =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_EQ(1217, found); // days 0, 3, ..., 3648
    std::printf("daily series since 1990: %.2f us per day query in 2030-2039\n", micros / 3650);
}

} // namespace
} // namespace daybrook::ical::testing

namespace daybrook::ical::testing {
namespace {

// Found by the fuzzer: a damaged year made each weekly occurrence last a thousand years, so every
// day listed some 52,000 of them. Past a year an occurrence overlaps hundreds of its own series;
// such an event is read as its first occurrence.
TEST(Recurrence, OccurrencesLongerThanAYearLeaveTheFirstOccurrenceAlone) {
    const Calendar damaged = readBody("BEGIN:VEVENT\nUID:d\nDTSTART:10070315T070000\n"
                                      "DTEND:20140630T120000\nRRULE:FREQ=WEEKLY\nSUMMARY:Work\n"
                                      "END:VEVENT\n");
    ASSERT_EQ(1u, damaged.events.size());
    EXPECT_FALSE(damaged.events[0].recurring);
    EXPECT_TRUE(hasDiagnostic(damaged, Severity::Warning, 7, "more than a year"))
        << describe(damaged.diagnostics);
    OccurrenceIndex index(damaged, utcDevice());
    EXPECT_EQ(1u, startsIn(index, at(2014, 6, 2), at(2014, 6, 3)).size())
        << "the day lists the one long occurrence";

    const Calendar yearLong = readBody("BEGIN:VEVENT\nUID:y\nDTSTART;VALUE=DATE:20240101\n"
                                       "DTEND;VALUE=DATE:20250101\nRRULE:FREQ=YEARLY\n"
                                       "SUMMARY:Leap year\nEND:VEVENT\n");
    EXPECT_TRUE(yearLong.events[0].recurring) << "366 days still recur";
    const Calendar longer = readBody("BEGIN:VEVENT\nUID:z\nDTSTART;VALUE=DATE:20240101\n"
                                     "DTEND;VALUE=DATE:20250102\nRRULE:FREQ=YEARLY\n"
                                     "SUMMARY:Too long\nEND:VEVENT\n");
    EXPECT_FALSE(longer.events[0].recurring) << "367 days do not";
}

} // namespace
} // namespace daybrook::ical::testing
