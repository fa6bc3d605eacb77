// Writing back: only the edited event's bytes change, in the file's own line breaks.
#include "calendar_writer.h"
#include "ical_test_support.h"

#include <gtest/gtest.h>

namespace daybrook::ical::testing {
namespace {

// The original with `inserted` placed right before the END:VEVENT that follows `marker`.
std::string insertedBeforeEndOf(const std::string& original, const std::string& marker,
                                const std::string& inserted) {
    const size_t at = original.find("END:VEVENT", original.find(marker));
    return original.substr(0, at) + inserted + original.substr(at);
}

TEST(CalendarWriter, DeletingASeriesRemovesTheMasterAndItsOverridesOnly) {
    const Calendar calendar = readRealWorld("khal_recurrence_id_cancelled.ics");
    std::string rewritten;
    ASSERT_TRUE(deleteEvent(calendar, 0, rewritten));
    EXPECT_EQ("BEGIN:VCALENDAR\nVERSION:2.0\n"
              "PRODID:-//PIMUTILS.ORG//NONSGML khal / icalendar //EN\nEND:VCALENDAR\n",
              rewritten);
}

TEST(CalendarWriter, DeletingOneEventKeepsEveryOtherByte) {
    const std::string original = realWorldBytes("thunderbird_floating_unsorted_utf8.ics");
    const Calendar calendar = readCalendar(original);
    std::string rewritten;
    ASSERT_TRUE(deleteEvent(calendar, 2, rewritten));
    const std::string removed = "BEGIN:VEVENT\r\nSUMMARY:Event Three\r\nDTSTART:20190101T170000\r\n"
                                "DTEND:20190101T180000\r\nEND:VEVENT\r\n";
    const size_t at = original.find(removed);
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(original.substr(0, at) + original.substr(at + removed.size()), rewritten);
}

TEST(CalendarWriter, DeletingAnOccurrenceAddsAnExdateInTheFilesLineBreaks) {
    const std::string original = realWorldBytes("thunderbird_rrule_matrix.ics");
    const Calendar calendar = readCalendar(original);
    OccurrenceIndex index(calendar, utcDevice());
    Occurrence occurrence;
    ASSERT_TRUE(index.occurrenceAt(1, at(2009, 1, 26, 10), occurrence));
    std::string rewritten;
    ASSERT_TRUE(deleteOccurrence(calendar, occurrence, rewritten));
    EXPECT_EQ(
        insertedBeforeEndOf(original, "UID:dailyEveryNth-1\r\n", "EXDATE:20090126T100000Z\r\n"),
        rewritten);
    const Calendar reread = readCalendar(rewritten);
    OccurrenceIndex rereadIndex(reread, utcDevice());
    EXPECT_EQ((std::vector<std::string>{"2009-01-25 10:00", "2009-01-27 10:00"}),
              startsIn(rereadIndex, at(2009, 1, 25), at(2009, 1, 28), 1));
}

// Found by the fuzzer: of two overrides of one instance only the winner was known, so the other
// outlived a deleted series (standing alone) or a deleted occurrence (in the winner's place).
TEST(CalendarWriter, AnOverrideThatLostToAnotherOfItsInstanceGoesWithIt) {
    const std::string original = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
                                 "BEGIN:VEVENT\r\nUID:s\r\nDTSTART:20240304T100000Z\r\n"
                                 "RRULE:FREQ=DAILY;COUNT=3\r\nSUMMARY:Series\r\nEND:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20240305T100000Z\r\n"
                                 "DTSTART:20240305T120000Z\r\nSUMMARY:Lost\r\nEND:VEVENT\r\n"
                                 "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20240305T100000Z\r\n"
                                 "DTSTART:20240305T150000Z\r\nSUMMARY:Won\r\nEND:VEVENT\r\n"
                                 "END:VCALENDAR\r\n";
    const Calendar calendar = readCalendar(original);
    ASSERT_EQ(1u, calendar.events.size());
    ASSERT_EQ(1u, calendar.events[0].overrides.size());
    std::string withoutSeries;
    ASSERT_TRUE(deleteEvent(calendar, 0, withoutSeries));
    EXPECT_EQ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n", withoutSeries);

    OccurrenceIndex index(calendar, utcDevice());
    Occurrence moved;
    ASSERT_TRUE(index.occurrenceAt(0, at(2024, 3, 5, 15), moved));
    std::string withoutOccurrence;
    ASSERT_TRUE(deleteOccurrence(calendar, moved, withoutOccurrence));
    const Calendar reread = readCalendar(withoutOccurrence);
    OccurrenceIndex rereadIndex(reread, utcDevice());
    EXPECT_EQ((std::vector<std::string>{"2024-03-04 10:00", "2024-03-06 10:00"}),
              startsIn(rereadIndex, at(2024, 3, 4), at(2024, 3, 7)))
        << "neither override takes the deleted occurrence's place";
}

TEST(CalendarWriter, DeletingAMovedOccurrenceRemovesItsOverrideToo) {
    const std::string original = realWorldBytes("khal_recurrence_id_cancelled.ics");
    const Calendar calendar = readCalendar(original);
    OccurrenceIndex index(calendar, berlinDevice());
    Occurrence moved;
    ASSERT_TRUE(index.occurrenceAt(0, at(2014, 7, 7, 9), moved));
    ASSERT_EQ(0, moved.overrideIndex);
    std::string rewritten;
    ASSERT_TRUE(deleteOccurrence(calendar, moved, rewritten));
    std::string expected = insertedBeforeEndOf(original, "UID:event_rrule_recurrence_id\n",
                                               "EXDATE;TZID=Europe/Berlin:20140707T070000\n");
    const size_t overrideBegins = expected.find("BEGIN:VEVENT", expected.find("EXDATE"));
    const size_t overrideEnds = expected.find("END:VEVENT\n", overrideBegins) + 11;
    expected.erase(overrideBegins, overrideEnds - overrideBegins);
    EXPECT_EQ(expected, rewritten);
    const Calendar reread = readCalendar(rewritten);
    OccurrenceIndex rereadIndex(reread, berlinDevice());
    EXPECT_EQ((std::vector<std::string>{"2014-06-30 07:00", "2014-07-21 07:00", "2014-07-28 07:00",
                                        "2014-08-04 07:00"}),
              startsIn(rereadIndex, at(2014, 6, 1), at(2014, 9, 1)));
}

TEST(CalendarWriter, ExdatesTakeTheFormOfTheStart) {
    const Calendar calendar = readBody(
        "BEGIN:VEVENT\nUID:d\nDTSTART;TZID=America/Los_Angeles:20041225\nRRULE:FREQ=YEARLY\n"
        "END:VEVENT\n"
        "BEGIN:VEVENT\nUID:q\nDTSTART;TZID=\"Kuala Lumpur, Singapore\":20081031T093000\n"
        "RRULE:FREQ=WEEKLY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:f\nDTSTART:20190101T150000\nRRULE:FREQ=DAILY\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:long\nDTSTART;TZID=A very long zone name that nobody knows at all "
        "xx:20190101T150000\nRRULE:FREQ=DAILY\nEND:VEVENT\n");
    ASSERT_EQ(4u, calendar.events.size());
    const std::pair<int, std::string> cases[] = {
        {0, "EXDATE;VALUE=DATE:20051225\n"},
        {1, "EXDATE;TZID=\"Kuala Lumpur, Singapore\":20081107T093000\n"},
        {2, "EXDATE:20190102T150000\n"},
        {3, "EXDATE;TZID=A very long zone name that nobody knows at all xx:20190102T1500\n"
            " 00\n"}, // folded after 75 octets
    };
    const LocalTime instances[] = {at(2005, 12, 25), at(2008, 11, 7, 9, 30), at(2019, 1, 2, 15),
                                   at(2019, 1, 2, 15)};
    for (const auto& [event, line] : cases) {
        std::string rewritten;
        ASSERT_TRUE(addExdate(calendar, event, instances[event], rewritten));
        const Event& target = calendar.events[static_cast<size_t>(event)];
        EXPECT_EQ(calendar.bytes.substr(0, target.endLineBegin) + line +
                      calendar.bytes.substr(target.endLineBegin),
                  rewritten);
        const Calendar reread = readCalendar(rewritten);
        ASSERT_EQ(4u, reread.events.size());
        const Recurrence& recurrence = *reread.events[static_cast<size_t>(event)].recurrence;
        EXPECT_EQ(1u, recurrence.excludedStarts.size()) << line;
        EXPECT_EQ(instances[event], recurrence.excludedStarts.front()) << line;
    }
}

TEST(CalendarWriter, RejectedFilesAndBadIndexesAreNeverRewritten) {
    const Calendar rejected = readRealWorld("pyical_bad_missing_end.ics");
    std::string untouched = "unchanged";
    EXPECT_FALSE(deleteEvent(rejected, 0, untouched));
    EXPECT_FALSE(addExdate(rejected, 0, at(2020, 1, 1), untouched));
    const Calendar good = readRealWorld("khal_recurrence_id_cancelled.ics");
    EXPECT_FALSE(deleteEvent(good, 1, untouched));
    EXPECT_FALSE(deleteEvent(good, -1, untouched));
    EXPECT_EQ("unchanged", untouched);
}

} // namespace
} // namespace daybrook::ical::testing
