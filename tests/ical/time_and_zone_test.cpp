// Calendar arithmetic, OLE dates and zone conversions.
#include "ical_test_support.h"
#include "known_zones.h"

#include <gtest/gtest.h>

#include <cmath>

namespace daybrook::ical::testing {
namespace {

TEST(OleDate, KnownValuesIncludingBeforeTheEpoch) {
    EXPECT_EQ(0.0, oleDateFromLocalTime(at(1899, 12, 30)));
    EXPECT_EQ(2.0, oleDateFromLocalTime(at(1900, 1, 1)));
    EXPECT_EQ(36526.5, oleDateFromLocalTime(at(2000, 1, 1, 12)));
    EXPECT_EQ(-1.25, oleDateFromLocalTime(at(1899, 12, 29, 6)));
    LocalTime time = 0;
    ASSERT_TRUE(localTimeFromOleDate(-1.25, time));
    EXPECT_EQ("1899-12-29 06:00", text(time));
}

TEST(OleDate, EverySecondOfADayRoundTrips) {
    for (LocalTime second = 0; second < kSecondsPerDay; ++second) {
        const LocalTime time = at(2024, 3, 10) + second;
        LocalTime back = 0;
        ASSERT_TRUE(localTimeFromOleDate(oleDateFromLocalTime(time), back));
        ASSERT_EQ(time, back) << text(time);
    }
    for (LocalTime time = at(100, 1, 1); time < at(9999, 12, 31); time += 7777777) {
        LocalTime back = 0;
        ASSERT_TRUE(localTimeFromOleDate(oleDateFromLocalTime(time), back));
        ASSERT_EQ(time, back) << text(time);
    }
}

TEST(OleDate, RoundsToTheNearestSecondAcrossMidnight) {
    const double noon = oleDateFromLocalTime(at(2000, 1, 1, 12));
    LocalTime time = 0;
    ASSERT_TRUE(localTimeFromOleDate(noon + 0.4 / 86400, time));
    EXPECT_EQ("2000-01-01 12:00", text(time));
    ASSERT_TRUE(localTimeFromOleDate(noon + 0.6 / 86400, time));
    EXPECT_EQ("2000-01-01 12:00:01", text(time));
    ASSERT_TRUE(localTimeFromOleDate(36527.0 - 0.3 / 86400, time));
    EXPECT_EQ("2000-01-02 00:00", text(time));
    ASSERT_TRUE(localTimeFromOleDate(-1.0 - 86399.7 / 86400, time));
    EXPECT_EQ("1899-12-30 00:00", text(time));
    CivilDateTime civil;
    ASSERT_TRUE(civilFromOleDate(36526.75 + 0.5001 / 86400, civil));
    EXPECT_EQ(18, civil.hour);
    EXPECT_EQ(1, civil.second);
    EXPECT_EQ(36526.75, oleDateFromCivil(CivilDateTime{2000, 1, 1, 18, 0, 0}));
    EXPECT_FALSE(localTimeFromOleDate(std::nan(""), time));
    EXPECT_FALSE(localTimeFromOleDate(1e12, time));
}

TEST(CivilDate, WeekdaysAndDayNumbersRoundTripOverAllYears) {
    EXPECT_EQ(6, weekdayOfDayNumber(0)); // 1899-12-30, a Saturday
    EXPECT_EQ(1, weekdayOfDayNumber(dayNumberFromCivil(1, 1, 1)));
    EXPECT_EQ(4, weekdayOfDayNumber(dayNumberFromCivil(2024, 2, 29)));
    for (std::int64_t day = dayNumberFromCivil(1, 1, 1); day < dayNumberFromCivil(9999, 12, 31);
         day += 97) {
        const CivilDate date = civilFromDayNumber(day);
        ASSERT_EQ(day, dayNumberFromCivil(date.year, date.month, date.day)) << day;
    }
}

TEST(ZoneRule, LastWeekMeansTheLastSuchWeekdayEvenInFourWeekMonths) {
    TransitionRule lastSunday;
    lastSunday.month = 3;
    lastSunday.week = 5;
    lastSunday.hour = 2;
    EXPECT_EQ("2024-03-31 02:00", text(transitionWallTime(lastSunday, 2024)));
    lastSunday.month = 10;
    EXPECT_EQ("2026-10-25 02:00", text(transitionWallTime(lastSunday, 2026)));
}

TEST(ZoneRule, SkippedAndRepeatedHoursFollowRfc5545) {
    const ZoneRule newYork = newYorkDevice();
    EXPECT_EQ("2024-03-10 07:30", text(utcFromLocal(newYork, at(2024, 3, 10, 2, 30))));
    EXPECT_EQ("2024-03-10 03:30", text(localFromUtc(newYork, at(2024, 3, 10, 7, 30))));
    EXPECT_EQ("2024-11-03 05:30", text(utcFromLocal(newYork, at(2024, 11, 3, 1, 30))));
    EXPECT_EQ("2024-11-03 01:30", text(localFromUtc(newYork, at(2024, 11, 3, 5, 30))));
    EXPECT_EQ("2024-11-03 01:30", text(localFromUtc(newYork, at(2024, 11, 3, 6, 30))));
    EXPECT_EQ("2024-11-03 02:30", text(localFromUtc(newYork, at(2024, 11, 3, 7, 30))));
}

TEST(ZoneRule, SouthernHemisphereIsOnDaylightTimeAroundNewYear) {
    const ZoneRule sydney = sydneyDevice();
    EXPECT_EQ("2024-01-15 11:00", text(localFromUtc(sydney, at(2024, 1, 15))));
    EXPECT_EQ("2024-07-15 10:00", text(localFromUtc(sydney, at(2024, 7, 15))));
    EXPECT_EQ("2024-01-14 13:00", text(utcFromLocal(sydney, at(2024, 1, 15))));
    EXPECT_EQ("2024-10-06 03:30",
              text(localFromUtc(sydney, utcFromLocal(sydney, at(2024, 10, 6, 2, 30)))));
}

TEST(VTimezone, ObservancesWithUntilMakeErasSoEachYearGetsItsOwnRules) {
    const Calendar calendar =
        readBody("BEGIN:VTIMEZONE\nTZID:Eastern\n"
                 "BEGIN:STANDARD\nDTSTART:19671029T020000\n"
                 "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10;UNTIL=20061029T060000Z\n"
                 "TZOFFSETFROM:-0400\nTZOFFSETTO:-0500\nEND:STANDARD\n"
                 "BEGIN:DAYLIGHT\nDTSTART:19870405T020000\n"
                 "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=4;UNTIL=20060402T070000Z\n"
                 "TZOFFSETFROM:-0500\nTZOFFSETTO:-0400\nEND:DAYLIGHT\n"
                 "BEGIN:DAYLIGHT\nDTSTART:20070311T020000\n"
                 "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\n"
                 "TZOFFSETFROM:-0500\nTZOFFSETTO:-0400\nEND:DAYLIGHT\n"
                 "BEGIN:STANDARD\nDTSTART:20071104T020000\n"
                 "RRULE:FREQ=YEARLY;BYDAY=1SU;BYMONTH=11\n"
                 "TZOFFSETFROM:-0400\nTZOFFSETTO:-0500\nEND:STANDARD\n"
                 "END:VTIMEZONE\n"
                 "BEGIN:VEVENT\nUID:a\nDTSTART;TZID=Eastern:20060320T090000\n"
                 "RRULE:FREQ=YEARLY;COUNT=3\nEND:VEVENT\n");
    ASSERT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    OccurrenceIndex index(calendar, utcDevice());
    // March 20th: standard time in 2006, daylight time from 2007 on.
    EXPECT_EQ(
        (std::vector<std::string>{"2006-03-20 14:00", "2007-03-20 13:00", "2008-03-20 13:00"}),
        startsIn(index, at(2000, 1, 1), at(2010, 1, 1)));
    const ZoneDefinition& zone = calendar.zones[0];
    EXPECT_EQ("2006-11-01 17:00", text(utcFromLocal(zone, at(2006, 11, 1, 12))));
    EXPECT_EQ("2007-11-01 16:00", text(utcFromLocal(zone, at(2007, 11, 1, 12))));
}

// Events are read as the file goes: a zone defined after the events that use it (and named
// like a built-in one) still decides their times.
TEST(VTimezone, AZoneDefinedAfterItsEventsStillGovernsThem) {
    const Calendar calendar = readBody(
        "BEGIN:VEVENT\nUID:a\nDTSTART;TZID=Europe/Berlin:20240701T090000\nEND:VEVENT\n"
        "BEGIN:VTIMEZONE\nTZID:Europe/Berlin\nBEGIN:STANDARD\nDTSTART:19700101T000000\n"
        "TZOFFSETFROM:+0500\nTZOFFSETTO:+0500\nEND:STANDARD\nEND:VTIMEZONE\n");
    ASSERT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ((std::vector<std::string>{"2024-07-01 04:00"}),
              startsIn(index, at(2024, 7, 1), at(2024, 7, 2)))
        << "the file's +0500 definition, not the built-in Berlin summer time";
    EXPECT_EQ(0, countWarnings(calendar)) << describe(calendar.diagnostics);
}

// Minutes east of UTC on 2024-07-01 and 2024-01-01.
std::pair<int, int> summerAndWinterOffsets(const ZoneDefinition& zone) {
    const auto offset = [&](LocalTime utc) {
        return static_cast<int>((localFromUtc(zone, utc) - utc) / 60);
    };
    return {offset(at(2024, 7, 1)), offset(at(2024, 1, 1))};
}

TEST(KnownZones, OlsonWindowsAndDisplayNamesMatchSensibly) {
    const std::pair<const char*, std::pair<int, int>> cases[] = {
        {"Europe/Berlin", {120, 60}},
        {"w. europe standard time", {120, 60}},
        {"(UTC-05:00) Eastern Time (US & Canada)", {-240, -300}},
        {"/mozilla.org/20050126_1/America/New_York", {-240, -300}},
        {"US/Pacific", {-420, -480}},
        {"Pacific Standard Time", {-420, -480}},
        {"Europe/London", {60, 0}},
        {"Australia/Brisbane", {600, 600}},
        {"Australia/Sydney", {600, 660}},
        {"Asia/Kuala_Lumpur", {480, 480}},
        {"UTC", {0, 0}},
    };
    for (const auto& [name, offsets] : cases) {
        ZoneDefinition zone;
        ASSERT_EQ(KnownZoneMatch::Exact, findKnownZone(name, zone)) << name;
        EXPECT_EQ(offsets, summerAndWinterOffsets(zone)) << name;
    }
}

TEST(KnownZones, UnknownDisplayNameFallsBackToItsOffsetAndNonsenseToNothing) {
    ZoneDefinition zone;
    ASSERT_EQ(KnownZoneMatch::OffsetFromName, findKnownZone("(UTC+03:30) Tehran", zone));
    EXPECT_EQ(std::make_pair(210, 210), summerAndWinterOffsets(zone));
    EXPECT_EQ(KnownZoneMatch::None, findKnownZone("Mars/Olympus_Mons", zone));
    EXPECT_EQ(KnownZoneMatch::None, findKnownZone("Germany/Berlin", zone));
}

} // namespace
} // namespace daybrook::ical::testing

namespace daybrook::ical::testing {
namespace {

// The precomputed timeline must agree with the rules everywhere, including the skipped and
// repeated hours and both hemispheres.
TEST(ZoneTimelineTest, AgreesWithTheRulesHourByHour) {
    for (const ZoneRule& rule : {newYorkDevice(), sydneyDevice(), berlinDevice(), utcDevice()}) {
        ZoneDefinition zone;
        zone.eras.push_back(ZoneEra{kMinYear, kMaxYear, rule});
        const ZoneTimeline timeline(zone, 2020, 2030);
        for (LocalTime time = at(2019, 12, 25); time < at(2031, 1, 5); time += 1800) {
            ASSERT_EQ(localFromUtc(rule, time), timeline.localFromUtc(time)) << text(time);
            ASSERT_EQ(utcFromLocal(rule, time), timeline.utcFromLocal(time)) << text(time);
        }
    }
}

} // namespace
} // namespace daybrook::ical::testing
