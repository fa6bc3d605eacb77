// Reading: lines, folding, escapes, encodings, and what is rejected, skipped or kept.
#include "ical_test_support.h"

#include <gtest/gtest.h>

namespace daybrook::ical::testing {
namespace {

const char kTwoEvents[] = "BEGIN:VCALENDAR\n"
                          "BEGIN:VEVENT\nUID:1\nDTSTART:20240501T090000Z\nSUMMARY:First\n"
                          "END:VEVENT\n"
                          "BEGIN:VEVENT\nUID:2\nDTSTART:20240502T090000Z\nSUMMARY:Second\n"
                          "END:VEVENT\n"
                          "END:VCALENDAR\n";

std::string withLineBreaks(const std::string& lines, const std::string& lineBreak) {
    std::string result;
    for (char c : lines)
        result += c == '\n' ? lineBreak : std::string(1, c);
    return result;
}

Calendar readEvent(const std::string& properties) {
    return readBody("BEGIN:VEVENT\nUID:x\n" + properties + "END:VEVENT\n");
}

TEST(Reader, LfCrLfAndLoneCrReadTheSame) {
    for (const char* lineBreak : {"\n", "\r\n", "\r"}) {
        const Calendar calendar = readCalendar(withLineBreaks(kTwoEvents, lineBreak));
        ASSERT_FALSE(calendar.rejected) << describe(calendar.diagnostics);
        ASSERT_EQ(2u, calendar.events.size());
        EXPECT_EQ(u"Second", calendar.events[1].details.summary);
        EXPECT_EQ(0, countWarnings(calendar)) << describe(calendar.diagnostics);
    }
}

TEST(Reader, UnfoldsSpaceAndTabContinuationsRemovingOneCharacter) {
    const Calendar calendar = readEvent("DTSTART:20240501T090000Z\nSUMMARY:Hello\n  wor\n\tld\n"
                                        "LOCATION;ALTREP=\"cid:part1\";LANGUAGE=en:Room\n 1\n");
    ASSERT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    EXPECT_EQ(u"Hello world", calendar.events[0].details.summary);
    EXPECT_EQ(u"Room1", calendar.events[0].details.location);
}

TEST(Reader, TextEscapesAreResolvedInSummaryAndLocation) {
    const Calendar calendar =
        readEvent("DTSTART:20240501T090000Z\nSUMMARY:a\\,b\\;c\\\\d\\ne\\Nf\nLOCATION:C:\\temp\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_EQ(u"a,b;c\\d\ne\nf", calendar.events[0].details.summary);
    EXPECT_EQ(u"C:\\temp", calendar.events[0].details.location);
}

TEST(Reader, InvalidUtf8FallsBackToLatin1ForThatLineOnly) {
    const Calendar calendar = readEvent(
        "DTSTART:20240501T090000Z\nSUMMARY:Caf\xe9\nLOCATION:Z\xc3\xbcrich \xe2\x82\xac\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_EQ(u"Caf\u00e9", calendar.events[0].details.summary);
    EXPECT_EQ(u"Z\u00fcrich \u20ac", calendar.events[0].details.location);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 6, "Latin-1"))
        << describe(calendar.diagnostics);
    EXPECT_EQ(1, countWarnings(calendar));
}

TEST(Reader, CharactersOutsideTheBasicPlaneBecomeSurrogatePairs) {
    const Calendar calendar = readEvent("DTSTART:20240501T090000Z\nSUMMARY:\xf0\x9f\x8e\x82\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_EQ(u"\U0001F382", calendar.events[0].details.summary);
}

TEST(Reader, RejectsWholeFilesThatAreNotCalendarsOrAreBroken) {
    struct Case {
        std::string bytes;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"BEGIN:VEVENT\nDTSTART:20240101\nEND:VEVENT\n", 1, "expected BEGIN:VCALENDAR"},
        {"", 1, "no BEGIN:VCALENDAR"},
        {"just some text\nwithout structure\n", 1, "no BEGIN:VCALENDAR"},
        {"BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:20240101\nEND:VTODO\nEND:VCALENDAR\n", 4,
         "END:VTODO does not match BEGIN:VEVENT from line 2"},
        {"BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:20240101\nEND:VEVENT\n", 4,
         "END:VCALENDAR missing"},
        {"BEGIN:VCALENDAR\nEND:VEVENT\nEND:VCALENDAR\n", 2, "does not match"},
        {std::string("BEGIN:VCALENDAR\nSUMMARY:a\0b\nEND:VCALENDAR\n", 37), 2, "binary data"},
        {"\x89PNG\r\n\x1a\n", 1, "no BEGIN:VCALENDAR"},
    };
    for (const Case& c : cases) {
        const Calendar calendar = readCalendar(c.bytes);
        EXPECT_TRUE(calendar.rejected) << c.message;
        EXPECT_TRUE(calendar.events.empty()) << c.message;
        EXPECT_TRUE(hasDiagnostic(calendar, Severity::Error, c.line, c.message))
            << "expected error at line " << c.line << " containing \"" << c.message << "\", got:\n"
            << describe(calendar.diagnostics);
    }
}

TEST(Reader, EventLevelProblemsSkipOnlyThatEvent) {
    const Calendar calendar = readBody("BEGIN:VEVENT\nUID:bad\nDTSTART:20171032T000000\n"
                                       "END:VEVENT\n"
                                       "BEGIN:VEVENT\nUID:none\nSUMMARY:no start\nEND:VEVENT\n"
                                       "BEGIN:VEVENT\nUID:good\nDTSTART:20171031T100000Z\n"
                                       "DTEND:garbage\nEND:VEVENT\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_EQ("good", calendar.events[0].uid);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 5, "DTSTART \"20171032T000000\""));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 7, "no DTSTART"));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 14, "DTEND \"garbage\""))
        << describe(calendar.diagnostics);
}

TEST(Reader, StrayAndBlankLinesAreIgnoredWithTheirLineNumbers) {
    const Calendar calendar = readBody("BEGIN:VEVENT\nUID:a\nDTSTART:20240501T090000Z\n\n"
                                       "no colon here\nBad Name:value\nEND:VEVENT\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 6, "blank line"));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 7, "no colon"));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 8, "not a valid"));
}

TEST(Reader, LengthFromDtendDurationOrDefaults) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20240501\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:b\nDTSTART:20240501T090000Z\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:c\nDTSTART:20240501T090000Z\nDURATION:P1DT2H30M\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:d\nDTSTART;TZID=Europe/Berlin:20240501T090000\n"
                 "DTEND:20240501T100000Z\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:e\nDTSTART:20240501T090000Z\nDURATION:-PT1H\nEND:VEVENT\n");
    ASSERT_EQ(5u, calendar.events.size()) << describe(calendar.diagnostics);
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ((std::vector<std::string>{
                  "2024-05-01 00:00 - 2024-05-02 00:00", "2024-05-01 07:00 - 2024-05-01 10:00",
                  "2024-05-01 09:00 - 2024-05-01 09:00", "2024-05-01 09:00 - 2024-05-02 11:30",
                  "2024-05-01 09:00 - 2024-05-01 09:00"}),
              spansIn(index, at(2024, 5, 1), at(2024, 5, 2)));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 24, "negative DURATION"));
}

TEST(Reader, BusyStatusFromTranspStatusAndTheMicrosoftProperty) {
    const std::pair<const char*, BusyStatus> cases[] = {
        {"", BusyStatus::Busy},
        {"TRANSP:OPAQUE\n", BusyStatus::Busy},
        {"TRANSP:TRANSPARENT\n", BusyStatus::Free},
        {"STATUS:TENTATIVE\n", BusyStatus::Tentative},
        {"STATUS:TENTATIVE\nTRANSP:TRANSPARENT\n", BusyStatus::Free},
        {"TRANSP:TRANSPARENT\nX-MICROSOFT-CDO-BUSYSTATUS:OOF\n", BusyStatus::OutOfOffice},
        {"STATUS:TENTATIVE\nX-MICROSOFT-CDO-BUSYSTATUS:BUSY\n", BusyStatus::Busy},
        {"X-MICROSOFT-CDO-BUSYSTATUS:FREE\n", BusyStatus::Free},
        {"STATUS:CONFIRMED\nX-MICROSOFT-CDO-BUSYSTATUS:TENTATIVE\n", BusyStatus::Tentative},
    };
    for (const auto& [properties, expected] : cases) {
        const Calendar calendar = readEvent(std::string("DTSTART:20240501T090000Z\n") + properties);
        ASSERT_EQ(1u, calendar.events.size());
        EXPECT_EQ(expected, calendar.events[0].details.busyStatus) << properties;
    }
}

TEST(Reader, CancelledEventsAndOtherComponentsAreKeptButNeverShown) {
    const Calendar calendar =
        readBody("BEGIN:VTODO\nUID:t\nDTSTART:20240501T090000Z\nEND:VTODO\n"
                 "BEGIN:VFREEBUSY\nFREEBUSY:20240501T090000Z/20240501T100000Z\nEND:VFREEBUSY\n"
                 "BEGIN:X-PRIVATE\nX-A:1\nEND:X-PRIVATE\n"
                 "BEGIN:VEVENT\nUID:c\nDTSTART:20240501T090000Z\nSTATUS:CANCELLED\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:k\nDTSTART:20240501T100000Z\nBEGIN:VALARM\nTRIGGER:-PT5M\n"
                 "END:VALARM\nEND:VEVENT\n");
    ASSERT_EQ(2u, calendar.events.size());
    EXPECT_TRUE(calendar.events[0].cancelled);
    OccurrenceIndex index(calendar, utcDevice());
    EXPECT_EQ(std::vector<std::string>{"2024-05-01 10:00"},
              startsIn(index, at(2024, 5, 1), at(2024, 5, 2)));
}

// Thousands of nested components must not exhaust the stack while the tree is walked or freed.
TEST(Reader, DeeplyNestedUnknownComponentsKeepTheEventsAroundThem) {
    const int depth = 100000;
    std::string body = "BEGIN:VEVENT\nUID:before\nDTSTART:20240501T090000Z\nEND:VEVENT\n";
    for (int i = 0; i < depth; ++i)
        body += "BEGIN:X-A\n";
    for (int i = 0; i < depth; ++i)
        body += "END:X-A\n";
    body += "BEGIN:VEVENT\nUID:after\nDTSTART:20240502T090000Z\nEND:VEVENT\n";
    const Calendar calendar = readBody(body);
    ASSERT_FALSE(calendar.rejected) << describe(calendar.diagnostics);
    ASSERT_EQ(2u, calendar.events.size()) << "both events beside the nesting are kept";
    EXPECT_EQ("before", calendar.events[0].uid);
    EXPECT_EQ("after", calendar.events[1].uid);
}

TEST(Reader, OverridesWithoutTheirSeriesStandAloneOrVanish) {
    const Calendar calendar = readBody(
        "BEGIN:VEVENT\nUID:gone\nRECURRENCE-ID:20240501T090000Z\nSTATUS:CANCELLED\nEND:VEVENT\n"
        "BEGIN:VEVENT\nUID:moved\nRECURRENCE-ID:20240501T090000Z\nDTSTART:20240502T090000Z\n"
        "END:VEVENT\n");
    ASSERT_EQ(1u, calendar.events.size()) << describe(calendar.diagnostics);
    EXPECT_EQ("moved", calendar.events[0].uid);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 3, "without its series"));
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 8, "without its series"));
}

TEST(Reader, AbsurdDurationsAreRejected) {
    const Calendar calendar = readEvent("DTSTART:20240501T090000Z\nDURATION:P99999999999W\n");
    ASSERT_EQ(1u, calendar.events.size());
    EXPECT_EQ(0, calendar.events[0].timing.durationDays);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 6, "DURATION"));
}

TEST(Reader, UnknownZoneIsReportedOnceAndReadAsFloating) {
    const Calendar calendar =
        readBody("BEGIN:VEVENT\nUID:a\nDTSTART;TZID=Mars/Olympus:20240501T090000\nEND:VEVENT\n"
                 "BEGIN:VEVENT\nUID:b\nDTSTART;TZID=Mars/Olympus:20240502T090000\nEND:VEVENT\n");
    ASSERT_EQ(2u, calendar.events.size());
    EXPECT_EQ(TimeBasis::Floating, calendar.events[1].timing.basis);
    EXPECT_EQ(1, countWarnings(calendar)) << describe(calendar.diagnostics);
    EXPECT_TRUE(hasDiagnostic(calendar, Severity::Warning, 5, "\"Mars/Olympus\""));
}

} // namespace
} // namespace daybrook::ical::testing
