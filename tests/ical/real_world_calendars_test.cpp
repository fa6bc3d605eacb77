// Every calendar in shared/calendars/real-world, read as its README line describes.
#include "ical_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace daybrook::ical::testing {
namespace {

using Strings = std::vector<std::string>;

ZoneRule fixedDevice(int offsetMinutes) {
    ZoneRule rule;
    rule.bias = -offsetMinutes;
    return rule;
}

ZoneRule losAngelesDevice() {
    ZoneRule rule = newYorkDevice();
    rule.bias = 480;
    return rule;
}

int eventWithUid(const Calendar& calendar, const std::string& uid, int nth = 0) {
    for (size_t i = 0; i < calendar.events.size(); ++i) {
        if (calendar.events[i].uid == uid && nth-- == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int eventWithSummary(const Calendar& calendar, const std::string& summary) {
    for (size_t i = 0; i < calendar.events.size(); ++i) {
        if (utf8(calendar.events[i].details.summary) == summary)
            return static_cast<int>(i);
    }
    return -1;
}

class RealWorldCalendar : public ::testing::Test {
protected:
    void load(const std::string& name) {
        calendar_ = readRealWorld(name);
        ASSERT_FALSE(calendar_.bytes.empty()) << "cannot read " << name;
        ASSERT_FALSE(calendar_.rejected) << describe(calendar_.diagnostics);
    }
    Calendar calendar_;
};

TEST_F(RealWorldCalendar, BiweeklyMondayWednesdayFridayYieldsTheTwentyFiveListedInstances) {
    load("kcal_rfc2445_biweekly_mo_we_fr_until.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    // 09:00 in the file's US-Eastern: EDT until the last Sunday of October 1997, then EST.
    const Strings expected = {
        "1997-09-02 13:00", "1997-09-03 13:00", "1997-09-05 13:00", "1997-09-15 13:00",
        "1997-09-17 13:00", "1997-09-19 13:00", "1997-09-29 13:00", "1997-10-01 13:00",
        "1997-10-03 13:00", "1997-10-13 13:00", "1997-10-15 13:00", "1997-10-17 13:00",
        "1997-10-27 14:00", "1997-10-29 14:00", "1997-10-31 14:00", "1997-11-10 14:00",
        "1997-11-12 14:00", "1997-11-14 14:00", "1997-11-24 14:00", "1997-11-26 14:00",
        "1997-11-28 14:00", "1997-12-08 14:00", "1997-12-10 14:00", "1997-12-12 14:00",
        "1997-12-22 14:00"};
    EXPECT_EQ(expected, startsIn(index, at(1997, 1, 1), at(1999, 1, 1)));
}

TEST_F(RealWorldCalendar, SecondToLastMondayForSixMonths) {
    load("kcal_rfc2445_monthly_second_to_last_monday.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    const Strings expected = {"1997-09-22 13:00", "1997-10-20 13:00", "1997-11-17 14:00",
                              "1997-12-22 14:00", "1998-01-19 14:00", "1998-02-16 14:00"};
    EXPECT_EQ(expected, startsIn(index, at(1997, 1, 1), at(2000, 1, 1)));
}

TEST_F(RealWorldCalendar, PaydayIsTheLastWeekdayOfEachMonth) {
    load("kcal_payday_last_weekday_allday.ics");
    OccurrenceIndex index(calendar_, newYorkDevice());
    const Strings expected2004 = {"2004-02-27 00:00", "2004-03-31 00:00", "2004-04-30 00:00",
                                  "2004-05-31 00:00", "2004-06-30 00:00", "2004-07-30 00:00",
                                  "2004-08-31 00:00", "2004-09-30 00:00", "2004-10-29 00:00",
                                  "2004-11-30 00:00", "2004-12-31 00:00"};
    EXPECT_EQ(expected2004, startsIn(index, at(2004, 1, 1), at(2005, 1, 1)));
    EXPECT_EQ(Strings{"2030-11-29 00:00 - 2030-11-30 00:00"},
              spansIn(index, at(2030, 11, 1), at(2030, 12, 1)));
}

TEST_F(RealWorldCalendar, LastThursdayEveryThreeMonthsWithDateUntilAndUnmatchedStart) {
    load("kcal_korganizer_last_thursday_every_3_months.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    const Strings expected = {"2005-05-20 18:00", "2005-05-26 18:00", "2005-08-25 18:00",
                              "2005-11-24 18:00", "2006-02-23 18:00", "2006-05-25 18:00",
                              "2006-08-31 18:00", "2006-11-30 18:00"};
    EXPECT_EQ(expected, startsIn(index, at(2005, 1, 1), at(2008, 1, 1)));
    EXPECT_EQ(u"20. Mai 2005, 20-21 Uhr, alle 3 Monate am letzten Do, bis 31. 12. 2006",
              calendar_.events[0].details.summary);
}

TEST_F(RealWorldCalendar, ThunderbirdRuleMatrix) {
    load("thunderbird_rrule_matrix.ics");
    EXPECT_EQ(52u, calendar_.events.size());
    EXPECT_EQ(0, countWarnings(calendar_)) << describe(calendar_.diagnostics);
    OccurrenceIndex index(calendar_, utcDevice());
    const int lastWednesday = eventWithUid(calendar_, "monthlyRuleNthOfEvery-6");
    const Strings everyFifthMonth = {"2009-01-21 18:00", "2009-01-28 18:00", "2009-06-24 18:00",
                                     "2009-11-25 18:00", "2010-04-28 18:00", "2010-09-29 18:00"};
    EXPECT_EQ(everyFifthMonth, startsIn(index, at(2009, 1, 1), at(2011, 1, 1), lastWednesday));
    // The duplicated UID stands for two different series, both kept.
    const int lastDay = eventWithUid(calendar_, "monthlyLastDayOfNth-1", 1);
    ASSERT_GE(lastDay, 0);
    EXPECT_EQ((Strings{"2009-01-21 22:00", "2009-01-31 22:00", "2009-02-28 22:00"}),
              startsIn(index, at(2009, 1, 1), at(2009, 3, 15), lastDay));
    const int secondThursday = eventWithUid(calendar_, "yearlyNthOnNthOf-2");
    EXPECT_EQ((Strings{"2009-01-22 14:00", "2011-01-13 14:00", "2013-01-10 14:00"}),
              startsIn(index, at(2009, 1, 1), at(2014, 1, 1), secondThursday));
    const int threeTimes = eventWithUid(calendar_, "repeatCountAllDay-3");
    EXPECT_EQ((Strings{"2009-01-23 00:00", "2010-01-23 00:00", "2011-01-23 00:00"}),
              startsIn(index, at(2009, 1, 1), at(2020, 1, 1), threeTimes));
    const int untilAllDay = eventWithUid(calendar_, "repeatDetailsUntilAllDay");
    EXPECT_EQ((Strings{"2009-01-23 00:00", "2010-01-23 00:00"}),
              startsIn(index, at(2009, 1, 1), at(2020, 1, 1), untilAllDay));
    // A separator with DTEND equal to its DATE start still covers its day.
    EXPECT_EQ(Strings{"2009-01-19 00:00 - 2009-01-20 00:00"},
              spansIn(index, at(2009, 1, 19), at(2009, 1, 20), 0));
}

TEST_F(RealWorldCalendar, FridayThe13thWithZoneFromTheBuiltInTable) {
    load("ical4j_friday13.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    // US/Eastern without VTIMEZONE: 1998 still had daylight time from the first Sunday in April.
    const Strings expected = {
        "1998-02-13 14:00 - 1998-02-14 14:00", "1998-03-13 14:00 - 1998-03-14 14:00",
        "1998-11-13 14:00 - 1998-11-14 14:00", "1999-08-13 13:00 - 1999-08-14 13:00",
        "2000-10-13 13:00 - 2000-10-14 13:00"};
    EXPECT_EQ(expected, spansIn(index, at(1997, 1, 1), at(2001, 1, 1)));
}

TEST_F(RealWorldCalendar, NthMondaySeriesInBrisbaneWithExdatesAndUtcUntil) {
    load("ical4j_monthly_nth_monday_exdate.ics");
    OccurrenceIndex index(calendar_, fixedDevice(600));
    EXPECT_EQ((Strings{"2005-05-23 09:30", "2005-06-27 09:30", "2005-07-25 09:30",
                       "2005-08-22 09:30", "2005-09-26 09:30", "2005-11-28 09:30"}),
              startsIn(index, at(2005, 1, 1), at(2006, 6, 1), 0));
    EXPECT_EQ((Strings{"2005-03-14 09:30", "2005-04-18 09:30"}),
              startsIn(index, at(2005, 1, 1), at(2006, 6, 1), 1));
    EXPECT_EQ(
        (Strings{"2005-05-16 09:30", "2005-06-20 09:30", "2005-07-18 09:30", "2005-08-15 09:30",
                 "2005-09-19 09:30", "2005-10-17 09:30", "2005-11-21 09:30", "2005-12-19 09:30"}),
        startsIn(index, at(2005, 1, 1), at(2006, 6, 1), 2));
}

TEST_F(RealWorldCalendar, MonthlyCountEndsAfterTwentyFive) {
    load("icsparser_monthly_bymonthday_count.ics");
    OccurrenceIndex index(calendar_, berlinDevice());
    EXPECT_EQ((Strings{"2020-02-01 00:00", "2020-03-01 00:00", "2020-04-01 00:00",
                       "2020-05-01 00:00", "2020-06-01 00:00", "2020-07-01 00:00"}),
              startsIn(index, at(2020, 1, 15), at(2022, 1, 1)));
}

TEST_F(RealWorldCalendar, EndlessGoogleDailyInLosAngeles) {
    load("icaljs_google_daily_tz.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    EXPECT_EQ(Strings{"2030-07-15 12:00 - 2030-07-15 13:00"},
              spansIn(index, at(2030, 7, 15), at(2030, 7, 16)));
    EXPECT_EQ(Strings{"2030-01-15 13:00 - 2030-01-15 14:00"},
              spansIn(index, at(2030, 1, 15), at(2030, 1, 16)));
    EXPECT_EQ(BusyStatus::Busy, calendar_.events[0].details.busyStatus);
    EXPECT_TRUE(calendar_.events[0].details.location.empty());
}

TEST_F(RealWorldCalendar, DayByDayAcrossBothZonesDaylightChanges) {
    load("icaljs_google_daily_tz.ics");
    OccurrenceIndex index(calendar_, berlinDevice());
    // 05:00 Los Angeles: 14:00 CET, 13:00 once the US changes on March 10, 2030, and 14:00
    // again once Europe follows on March 31.
    for (int day = 1; day <= 40; ++day) {
        const LocalTime midnight = at(2030, 3, 1) + (day - 1) * kSecondsPerDay;
        const int hour = day >= 10 && day < 31 ? 13 : 14;
        const std::string expected =
            text(midnight + hour * 3600) + " - " + text(midnight + (hour + 1) * 3600);
        EXPECT_EQ(Strings{expected}, spansIn(index, midnight, midnight + kSecondsPerDay));
    }
}

TEST_F(RealWorldCalendar, ZimbraRdatesExdatesAndOverrides) {
    load("icaljs_recurrence_id_exdate_rdate.ics");
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 21, "VTIMEZONE without TZID"));
    OccurrenceIndex index(calendar_, losAngelesDevice());
    const Strings expected = {"2012-10-02 15:00", "2012-11-06 10:00", "2012-11-06 20:00",
                              "2012-11-10 10:00", "2012-11-30 10:00", "2013-01-01 10:00",
                              "2013-03-05 10:00"};
    EXPECT_EQ(expected, startsIn(index, at(2012, 10, 1), at(2013, 4, 30)));
    EXPECT_EQ((Strings{"2023-11-07 10:00", "2023-11-23 01:00", "2023-11-25 01:00"}),
              startsIn(index, at(2023, 11, 1), at(2023, 12, 1)));
    std::vector<Occurrence> changed;
    index.occurrencesOverlapping(at(2012, 10, 2), at(2012, 10, 3), EndBoundary::Exclusive, changed);
    ASSERT_EQ(1u, changed.size());
    EXPECT_GE(changed[0].overrideIndex, 0);
    EXPECT_EQ(at(2012, 10, 2, 10), changed[0].instance);
    EXPECT_EQ(u"I HAZ CHANGED!", index.detailsOf(changed[0]).description);
}

TEST_F(RealWorldCalendar, DateExdateRemovesTheTimedInstanceOfThatDay) {
    load("icaljs_utc_count_exdate_date.ics");
    OccurrenceIndex index(calendar_, utcDevice());
    EXPECT_EQ((Strings{"2024-06-09 03:00", "2024-06-10 03:00", "2024-06-12 03:00"}),
              startsIn(index, at(2024, 6, 1), at(2024, 7, 1)));
}

TEST_F(RealWorldCalendar, UtcRecurrenceIdsMoveAndCancelBerlinInstances) {
    load("khal_recurrence_id_cancelled.ics");
    OccurrenceIndex index(calendar_, berlinDevice());
    EXPECT_EQ((Strings{"2014-06-30 07:00 - 2014-06-30 12:00", "2014-07-07 09:00 - 2014-07-07 14:00",
                       "2014-07-21 07:00 - 2014-07-21 12:00", "2014-07-28 07:00 - 2014-07-28 12:00",
                       "2014-08-04 07:00 - 2014-08-04 12:00"}),
              spansIn(index, at(2014, 6, 1), at(2014, 9, 1)));
}

TEST_F(RealWorldCalendar, AppleOverridesBeforeTheirMasterReplaceExcludedInstances) {
    load("ical4j_apple_monthly_allday_overrides.ics");
    ASSERT_EQ(1u, calendar_.events.size());
    OccurrenceIndex index(calendar_, newYorkDevice());
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(at(2004, 2, 1), at(2004, 5, 1), EndBoundary::Exclusive, found);
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ("2004-02-24 00:00", text(found[0].start));
    EXPECT_EQ("2004-03-24 00:00", text(found[1].start));
    EXPECT_EQ("2004-04-24 00:00", text(found[2].start));
    EXPECT_GE(found[0].overrideIndex, 0);
    EXPECT_GE(found[1].overrideIndex, 0);
    EXPECT_EQ(-1, found[2].overrideIndex);
    EXPECT_TRUE(index.isAllDay(found[0]));
}

TEST_F(RealWorldCalendar, UtcEventCrossingMidnightAndAllDaySpans) {
    load("ical4j_rfc5545_utc_multiday_anniversary.ics");
    OccurrenceIndex index(calendar_, berlinDevice());
    // 16:30Z-01:00Z is 18:30-03:00 in Berlin summer time: on both local days.
    EXPECT_EQ(Strings{"1997-04-01 18:30 - 1997-04-02 03:00"},
              spansIn(index, at(1997, 4, 1), at(1997, 4, 2)));
    EXPECT_EQ(Strings{"1997-04-01 18:30 - 1997-04-02 03:00"},
              spansIn(index, at(1997, 4, 2), at(1997, 4, 3)));
    EXPECT_EQ(BusyStatus::Free, calendar_.events[1].details.busyStatus);
    EXPECT_EQ(Strings{"2024-11-02 00:00 - 2024-11-03 00:00"},
              spansIn(index, at(2024, 11, 2), at(2024, 11, 3)));
    EXPECT_EQ(Strings{"2007-06-28 00:00 - 2007-07-09 00:00"},
              spansIn(index, at(2007, 7, 8), at(2007, 7, 9)));
    EXPECT_TRUE(spansIn(index, at(2007, 7, 9), at(2007, 7, 10)).empty());
}

TEST_F(RealWorldCalendar, BirthdayReadLenientlyDespiteTheBlankLine) {
    load("ical4j_birthday_yearly_stray_blank_line.ics");
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 19, "blank line"));
    OccurrenceIndex index(calendar_, sydneyDevice());
    EXPECT_EQ((Strings{"2025-01-16 00:00", "2026-01-16 00:00"}),
              startsIn(index, at(2024, 6, 1), at(2026, 6, 1)));
    RecurrencePattern pattern;
    ASSERT_TRUE(index.recurrencePattern(0, pattern));
    EXPECT_EQ(PocketRecurrenceType::Yearly, pattern.type);
    EXPECT_TRUE(pattern.noEndDate);
    EXPECT_EQ(oleDateFromLocalTime(at(2005, 1, 16)), pattern.patternStartDate);
}

TEST_F(RealWorldCalendar, GoogleHolidaysWithBareDatesAndDateMatchedOverrides) {
    load("ical4j_google_holidays_tentative.ics");
    EXPECT_EQ(0, countWarnings(calendar_)) << describe(calendar_.diagnostics);
    size_t vevents = calendar_.events.size();
    for (const Event& event : calendar_.events) {
        vevents += event.overrides.size();
        EXPECT_EQ(BusyStatus::Tentative, event.details.busyStatus) << event.line;
        EXPECT_TRUE(event.timing.allDay) << event.line;
    }
    EXPECT_EQ(96u, vevents);
    OccurrenceIndex index(calendar_, sydneyDevice());
    std::vector<Occurrence> newYear;
    index.occurrencesOverlapping(at(2020, 1, 1), at(2020, 1, 2), EndBoundary::Exclusive, newYear);
    ASSERT_EQ(1u, newYear.size()) << "the override replaces the instance, it is not added";
    EXPECT_GE(newYear[0].overrideIndex, 0);
    EXPECT_EQ(u"New Year", index.detailsOf(newYear[0]).summary);
    EXPECT_EQ(Strings{"2004-12-25 00:00"}, startsIn(index, at(2004, 12, 25), at(2004, 12, 26)));
    EXPECT_EQ(Strings{"2040-12-25 00:00"}, startsIn(index, at(2040, 12, 25), at(2040, 12, 26)));
}

TEST_F(RealWorldCalendar, FloatingEventsComeOutSortedWithUtf8Summary) {
    load("thunderbird_floating_unsorted_utf8.ics");
    OccurrenceIndex index(calendar_, sydneyDevice());
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(at(2019, 1, 1), at(2019, 1, 2), EndBoundary::Exclusive, found);
    ASSERT_EQ(4u, found.size());
    EXPECT_EQ("2019-01-01 15:00", text(found[0].start));
    EXPECT_EQ(u"Event Tv\u00e5", index.detailsOf(found[1]).summary);
    EXPECT_EQ(u"Event Four", index.detailsOf(found[3]).summary);
}

TEST_F(RealWorldCalendar, Latin1FileKeepsAllFourEvents) {
    load("thunderbird_latin1_not_utf8.ics");
    ASSERT_EQ(4u, calendar_.events.size());
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 20, "Latin-1"))
        << describe(calendar_.diagnostics);
    EXPECT_EQ(u"Event Tv\u00e5", calendar_.events[3].details.summary);
    EXPECT_EQ(u"Event Three", calendar_.events[2].details.summary);
}

TEST_F(RealWorldCalendar, HebcalBidiSummariesAndMicrosoftBusyStatus) {
    load("hebcal_hebrew_bidi_excerpt.ics");
    EXPECT_EQ(25u, calendar_.events.size());
    EXPECT_EQ(0, countWarnings(calendar_)) << describe(calendar_.diagnostics);
    const int candles =
        eventWithSummary(calendar_, "Candle lighting / \u05d4\u05d3\u05dc\u05e7\u05ea "
                                    "\u05e0\u05e8\u05d5\u05ea");
    ASSERT_GE(candles, 0);
    EXPECT_EQ(BusyStatus::OutOfOffice,
              calendar_.events[static_cast<size_t>(candles)].details.busyStatus);
    EXPECT_EQ(BusyStatus::Free, calendar_.events[0].details.busyStatus);
    OccurrenceIndex index(calendar_, utcDevice());
    // Candle lighting at 16:49 Pacific is 00:49Z the next day, beside that day's all-day event.
    EXPECT_EQ(
        (Strings{"2011-01-08 00:00 - 2011-01-09 00:00", "2011-01-08 00:49 - 2011-01-08 01:07"}),
        spansIn(index, at(2011, 1, 7, 12), at(2011, 1, 8, 0, 50)));
    EXPECT_NE(std::string::npos,
              utf8(calendar_.events[16].details.summary).find("\u05d0\u05d3\u05e8 \u05d0\u05f3"));
}

TEST_F(RealWorldCalendar, ExchangeRequestWithRawDescriptionLines) {
    load("icsparser_exchange_tentative_broken_unfold.ics");
    for (int blank : {27, 29, 34, 38, 40})
        EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, blank, "blank line")) << blank;
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 26, "Dear Team"));
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 69, "no DTSTART"));
    ASSERT_EQ(1u, calendar_.events.size());
    const Event& meeting = calendar_.events[0];
    EXPECT_EQ(u"Team Meeting", meeting.details.summary);
    EXPECT_EQ(BusyStatus::Tentative, meeting.details.busyStatus);
    // Floating start, UTC UNTIL: the last instance is in when the device is on Berlin time.
    OccurrenceIndex index(calendar_, berlinDevice());
    EXPECT_EQ((Strings{"2024-09-23 10:00", "2024-10-07 10:00"}),
              startsIn(index, at(2024, 9, 1), at(2024, 12, 1)));
}

TEST_F(RealWorldCalendar, OutlookTabFoldingAndEscapedZoneName) {
    load("ical4j_outlook12_busy_weekly.ics");
    const Event& reboot = calendar_.events[0];
    EXPECT_EQ("040000008200E00074C5B7101A82E00800000000C0CA27559A38C90100000000000000001000000"
              "01E9AFCA9DCE51242AB306C53D7095851",
              reboot.uid);
    EXPECT_EQ(TimeBasis::Zoned, reboot.timing.basis);
    EXPECT_EQ(u"\n", reboot.details.description);
    EXPECT_EQ(BusyStatus::Busy, reboot.details.busyStatus);
    OccurrenceIndex index(calendar_, utcDevice());
    EXPECT_EQ(Strings{"2030-05-31 01:30 - 2030-05-31 01:40"},
              spansIn(index, at(2030, 5, 27), at(2030, 6, 3)));
}

TEST_F(RealWorldCalendar, ExchangeSpacedByDayListAndFoldedRule) {
    load("pyical_exchange_cdo_spaced_byday.ics");
    OccurrenceIndex index(calendar_, berlinDevice());
    const Strings starts = startsIn(index, at(2015, 7, 1), at(2015, 8, 1));
    ASSERT_EQ(14u, starts.size());
    EXPECT_EQ("2015-07-03 10:00", starts.front());
    EXPECT_EQ("2015-07-06 10:00", starts[1]);
    EXPECT_EQ("2015-07-22 10:00", starts.back());
}

TEST_F(RealWorldCalendar, KOrganizerFoldsEveryPropertyName) {
    load("ical4j_korganizer_folding_escapes.ics");
    ASSERT_EQ(2u, calendar_.events.size());
    EXPECT_EQ(u"Caltech Campus; room 101 Guggenheim", calendar_.events[0].details.location);
    OccurrenceIndex index(calendar_, utcDevice());
    const Strings general = startsIn(index, at(2003, 1, 1), at(2005, 1, 1), 0);
    ASSERT_EQ(12u, general.size());
    EXPECT_EQ("2003-03-14 03:00", general[0]);
    EXPECT_EQ("2003-04-10 03:00", general[1]);
    EXPECT_EQ("2004-02-12 03:00", general[11]);
    const Strings devSig = startsIn(index, at(2003, 1, 1), at(2005, 1, 1), 1);
    ASSERT_EQ(12u, devSig.size());
    EXPECT_EQ("2003-04-06 20:00", devSig[0]);
    EXPECT_EQ("2003-05-03 20:00", devSig[1]);
    EXPECT_EQ("2004-03-06 20:00", devSig[11]);
}

TEST_F(RealWorldCalendar, AppleLocationWithEscapedNewlines) {
    load("pyical_apple_location_escapes.ics");
    EXPECT_EQ(u"Roadstar 16\n12764 Happyville\nDenmark", calendar_.events[0].details.location);
    OccurrenceIndex index(calendar_, berlinDevice());
    EXPECT_EQ((Strings{"2030-03-04 14:00", "2030-03-05 14:00", "2030-03-06 14:00",
                       "2030-03-07 14:00", "2030-03-08 14:00"}),
              startsIn(index, at(2030, 3, 3), at(2030, 3, 10)));
}

TEST_F(RealWorldCalendar, MixedBagSkipsTheInvalidDateAndReadsTheRest) {
    load("icsparser_mixed_google_outlook.ics");
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 22, "DTSTART \"20171032T000000\""))
        << describe(calendar_.diagnostics);
    EXPECT_TRUE(hasDiagnostic(calendar_, Severity::Warning, 68, "not a content line"));
    EXPECT_EQ(19u, calendar_.events.size());
    OccurrenceIndex index(calendar_, utcDevice());
    EXPECT_EQ(Strings{"1941-05-12 00:00 - 1941-05-13 00:00"},
              spansIn(index, at(1941, 5, 12), at(1941, 5, 13)));
    EXPECT_EQ(Strings{"2016-01-05 09:00 - 2016-01-07 17:30"},
              spansIn(index, at(2016, 1, 6), at(2016, 1, 7), 2));
    EXPECT_EQ(Strings{"2016-01-12 00:00 - 2016-01-16 00:00"},
              spansIn(index, at(2016, 1, 15), at(2016, 1, 16), 3));
    // Folded EXDATE list with a Windows display-name zone: 15 Saturdays, three of them excluded
    // (the fourth EXDATE is past the COUNT).
    const int cldr = eventWithSummary(calendar_, "Microsoft Unicode CLDR EXDATE Test");
    const Strings saturdays = startsIn(index, at(2016, 1, 1), at(2017, 1, 1), cldr);
    ASSERT_EQ(12u, saturdays.size());
    EXPECT_EQ("2016-04-09 13:00", saturdays.front());
    EXPECT_EQ("2016-07-16 13:00", saturdays.back());
    for (const char* excluded : {"2016-05-28 13:00", "2016-06-25 13:00", "2016-07-09 13:00"})
        EXPECT_EQ(0, std::count(saturdays.begin(), saturdays.end(), excluded)) << excluded;
    const int firstWeekday = eventWithSummary(calendar_, "BYSETPOS First weekday of every month");
    EXPECT_EQ((Strings{"2019-05-01 00:00", "2019-06-03 00:00", "2019-07-01 00:00"}),
              startsIn(index, at(2019, 5, 1), at(2019, 7, 15), firstWeekday));
    const int thirdWednesday = eventWithSummary(calendar_, "BYDAY Test 1");
    EXPECT_EQ((Strings{"2017-01-18 00:00", "2017-02-15 00:00", "2017-03-15 00:00",
                       "2017-04-19 00:00", "2017-05-17 00:00"}),
              startsIn(index, at(2017, 1, 1), at(2018, 1, 1), thirdWednesday));
    const int parent = eventWithSummary(calendar_, "Parent Recurrence Event");
    std::vector<Occurrence> found;
    index.occurrencesOverlapping(at(2017, 8, 1), at(2017, 11, 1), EndBoundary::Exclusive, found);
    std::vector<Occurrence> sydney;
    for (const Occurrence& occurrence : found) {
        if (occurrence.event == parent)
            sydney.push_back(occurrence);
    }
    ASSERT_EQ(2u, sydney.size());
    EXPECT_EQ(parent, sydney[0].event);
    EXPECT_EQ(u"Override Parent Recurrence Event", index.detailsOf(sydney[0]).summary);
    EXPECT_EQ("2017-10-08 08:00", text(sydney[1].start)); // 19:00 AEDT
}

TEST(RealWorldMalformed, MissingEndRejectsTheFileWithItsLine) {
    const Calendar calendar = readRealWorld("pyical_bad_missing_end.ics");
    EXPECT_TRUE(calendar.rejected);
    EXPECT_TRUE(calendar.events.empty());
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Error, 3, "END:VCALENDAR missing"))
        << describe(calendar.diagnostics);
}

TEST(RealWorldMalformed, StrayLineIsReportedAndTheEventKept) {
    const Calendar calendar = readRealWorld("pyical_bad_stray_line.ics");
    EXPECT_FALSE(calendar.rejected);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 13, "\"X\""));
    ASSERT_EQ(1u, calendar.events.size());
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ(Strings{"2014-04-01 00:00 - 2014-04-01 01:00"},
              spansIn(index, at(2014, 4, 1), at(2014, 4, 2)));
}

TEST(RealWorldMalformed, InvalidStartSkipsTheEventNamingTheProperty) {
    const Calendar calendar = readRealWorld("pyical_bad_invalid_dtstart.ics");
    EXPECT_FALSE(calendar.rejected);
    EXPECT_TRUE(calendar.events.empty());
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 6, "DTSTART \"INVALID-DATE\""))
        << describe(calendar.diagnostics);
}

TEST(RealWorldMalformed, UnknownFrequencyKeepsTheFirstOccurrenceOnly) {
    const Calendar calendar = readRealWorld("pyical_bad_rrule_freq.ics");
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 7, "only the first occurrence"));
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ(Strings{"2025-01-01 10:00"}, startsIn(index, at(2024, 1, 1), at(2027, 1, 1)));
}

TEST(RealWorldMalformed, BlankLineMidCalendarIsOnlyAWarning) {
    const Calendar calendar = readRealWorld("icaljs_bad_blank_line.ics");
    EXPECT_FALSE(calendar.rejected);
    EXPECT_TRUE(calendar.events.empty());
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 3, "blank line"));
}

} // namespace
} // namespace daybrook::ical::testing
