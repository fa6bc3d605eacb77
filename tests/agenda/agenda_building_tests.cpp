// A whole rebuild against the real appointment store: calendars written as iCalendar files,
// the store created through COM, the list read back item by item.
#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "settings/options.h"
#include "test_support.h"

#include <device.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// 8 December 2026, a Tuesday, 09:00 device time.
const SYSTEMTIME kNow = {2026, 12, 2, 8, 9, 0, 0, 0};

std::wstring longDate(int year, int month, int day) {
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    wchar_t text[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &time, nullptr, text, 80);
    return text;
}

// One line per item: "H <text>", "T <text>", "S", or "A <subject> <start>-<end>" with " !" for a
// conflict and " x" for a struck line.
std::vector<std::wstring> describe(const AgendaList* list) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < list->count; ++i) {
        AgendaItem* item = list->items[i];
        if (auto heading = dynamic_cast<DayHeadingItem*>(item)) {
            lines.push_back(L"H " + std::wstring(heading->text));
        } else if (auto text = dynamic_cast<TextItem*>(item)) {
            lines.push_back(L"T " + std::wstring(text->text ? text->text : L"(null)"));
        } else if (dynamic_cast<SeparatorItem*>(item)) {
            lines.push_back(L"S");
        } else if (auto appointment = dynamic_cast<AppointmentItem*>(item)) {
            const AppointmentLine& line = appointment->line;
            std::wstring entry = L"A " + std::wstring(line.subject ? line.subject : L"");
            entry += line.allDay ? L" all-day"
                                 : L" " + std::wstring(line.startText) + L"-" + line.endText;
            if (appointment->conflict)
                entry += L" !";
            if (line.struck)
                entry += L" x";
            lines.push_back(entry);
        }
    }
    return lines;
}

std::string narrow(const std::vector<std::wstring>& lines) {
    std::string out;
    for (const std::wstring& line : lines) {
        char buffer[512];
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
        out += std::string("\n  ") + buffer;
    }
    return out;
}

class AgendaBuildingTest : public testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        saved = gOptions;
        gOptions.UpcomingType = UpcomingDays;
        gOptions.UpcomingCount = 7;
        gOptions.AllDay = TRUE;
        gOptions.ShowCompleted = FALSE;
        gOptions.ShowEmptyDays = FALSE;
        TIME_ZONE_INFORMATION utc = {};
        DeviceSetTimeZone(&utc);
        DeviceSetClock(&kNow, FALSE);
    }
    void TearDown() override {
        destroyList(list);
        gOptions = saved;
        DeviceSetClock(nullptr, FALSE);
        DeviceSetTimeZone(nullptr);
        DeviceSetCalendarFile(nullptr);
        CoUninitialize();
    }
    // Writes the events (VEVENT bodies) as this test's calendar and rebuilds.
    std::vector<std::wstring> build(const std::string& events) {
        static int generation = 0;
        std::wstring path = folder.file(L"calendar" + std::to_wstring(++generation) + L".ics");
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n" +
                           events + "END:VCALENDAR\r\n";
        writeFileBytes(path, text);
        DeviceSetCalendarFile(path.c_str());
        destroyList(list);
        list = BuildAgenda(window.hwnd());
        return list ? describe(list) : std::vector<std::wstring>{L"(no list)"};
    }
    static std::string event(const char* subject, const char* start, const char* end,
                             const char* extra = "") {
        return std::string("BEGIN:VEVENT\r\nUID:") + subject + start + "\r\nSUMMARY:" + subject +
               "\r\nDTSTART" + start + "\r\nDTEND" + end + "\r\n" + extra + "END:VEVENT\r\n";
    }

    Options saved;
    TempFolder folder;
    TestWindow window;
    AgendaList* list = nullptr;
};

#define EXPECT_AGENDA(expected, actual)                                                            \
    EXPECT_EQ(expected, actual) << "expected:" << narrow(expected) << "\nbuilt:" << narrow(actual)

} // namespace

TEST_F(AgendaBuildingTest, AnEmptyCalendarSaysSoInEveryMode) {
    for (DWORD type = UpcomingDays; type <= UpcomingLines; ++type) {
        gOptions.UpcomingType = type;
        gOptions.UpcomingCount = type == UpcomingLines ? 10 : 1;
        std::vector<std::wstring> expected = {L"T No upcoming appointments"};
        EXPECT_AGENDA(expected, build("")) << " mode " << type;
    }
}

TEST_F(AgendaBuildingTest, LaterDaysGetHeadingsAndTodayNothingFurther) {
    std::vector<std::wstring> built =
        build(event("Dentist", ":20261209T100000", ":20261209T110000") +
              event("Standup", ":20261209T083000", ":20261209T084500"));
    std::vector<std::wstring> expected = {L"T Nothing further today", L"H " + longDate(2026, 12, 9),
                                          L"A Standup 8:30AM-8:45AM", L"A Dentist 10:00AM-11:00AM"};
    EXPECT_AGENDA(expected, built);
}

TEST_F(AgendaBuildingTest, TheAppointmentCountEndsTheListAndSetsItsExpiry) {
    gOptions.UpcomingType = UpcomingAppointments;
    gOptions.UpcomingCount = 3;
    std::string events;
    for (int hour = 10; hour < 15; ++hour) {
        char start[32], end[32], subject[16];
        std::snprintf(start, sizeof start, ":20261209T%02d0000", hour);
        std::snprintf(end, sizeof end, ":20261209T%02d3000", hour);
        std::snprintf(subject, sizeof subject, "Meeting%d", hour);
        events += event(subject, start, end);
    }
    std::vector<std::wstring> built = build(events);
    ASSERT_EQ(5u, built.size()) << narrow(built);
    EXPECT_EQ(L"A Meeting12 12:00PM-12:30PM", built[4]) << "exactly three appointments";
    SYSTEMTIME expiry;
    FileTimeToSystemTime(&list->expiry, &expiry);
    EXPECT_EQ(9, expiry.wDay);
    EXPECT_EQ(13, expiry.wHour) << "the list runs out when the fourth one starts";
}

TEST_F(AgendaBuildingTest, AppointmentsAndTodayListsAllOfTodayBesideTheCount) {
    gOptions.UpcomingType = UpcomingAppointmentsAndToday;
    gOptions.UpcomingCount = 1;
    std::vector<std::wstring> built =
        build(event("Early", ":20261208T100000", ":20261208T103000") +
              event("Late", ":20261208T170000", ":20261208T180000") +
              event("Next", ":20261210T090000", ":20261210T100000") +
              event("Beyond", ":20261211T090000", ":20261211T100000"));
    std::vector<std::wstring> expected = {L"A Early 10:00AM-10:30AM", L"A Late 5:00PM-6:00PM",
                                          L"H " + longDate(2026, 12, 10), L"A Next 9:00AM-10:00AM"};
    EXPECT_AGENDA(expected, built);
}

TEST_F(AgendaBuildingTest, EndedAppointmentsAreHiddenOrStruckButNeverCounted) {
    gOptions.UpcomingType = UpcomingAppointments;
    gOptions.UpcomingCount = 1;
    std::string events = event("Breakfast", ":20261208T070000", ":20261208T080000") +
                         event("Review", ":20261208T140000", ":20261208T150000");
    std::vector<std::wstring> hidden = {L"A Review 2:00PM-3:00PM"};
    EXPECT_AGENDA(hidden, build(events));
    gOptions.ShowCompleted = TRUE;
    std::vector<std::wstring> struck = {L"A Breakfast 7:00AM-8:00AM x", L"A Review 2:00PM-3:00PM"};
    EXPECT_AGENDA(struck, build(events)) << "the ended one uses none of the count";
}

TEST_F(AgendaBuildingTest, OverlapsAreMarkedAlongTheDaysChain) {
    std::vector<std::wstring> built =
        build(event("A", ":20261208T100000", ":20261208T110000") +
              event("B", ":20261208T110000", ":20261208T120000") +
              event("C", ":20261208T130000", ":20261208T140000") +
              event("D", ":20261208T133000", ":20261208T143000") +
              event("E", ":20261208T140000", ":20261208T150000") +
              event("Holiday", ";VALUE=DATE:20261208", ";VALUE=DATE:20261209"));
    std::vector<std::wstring> expected = {L"A Holiday all-day",   L"A A 10:00AM-11:00AM",
                                          L"A B 11:00AM-12:00PM", L"A C 1:00PM-2:00PM !",
                                          L"A D 1:30PM-2:30PM !", L"A E 2:00PM-3:00PM !"};
    EXPECT_AGENDA(expected, built)
        << " touching is no conflict; C-D and D-E are, so all three are marked";
}

TEST_F(AgendaBuildingTest, YearlyAllDayEventsShowTheirAge) {
    std::string birthday = "BEGIN:VEVENT\r\nUID:ted\r\nSUMMARY:Ted\r\n"
                           "DTSTART;VALUE=DATE:19961205\r\nDTEND;VALUE=DATE:19961206\r\n"
                           "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n";
    std::string ended = "BEGIN:VEVENT\r\nUID:club\r\nSUMMARY:Club\r\n"
                        "DTSTART;VALUE=DATE:19961206\r\nDTEND;VALUE=DATE:19961207\r\n"
                        "RRULE:FREQ=YEARLY;UNTIL=20301231\r\nEND:VEVENT\r\n";
    std::string fresh = "BEGIN:VEVENT\r\nUID:new\r\nSUMMARY:New\r\n"
                        "DTSTART;VALUE=DATE:20261209\r\nDTEND;VALUE=DATE:20261210\r\n"
                        "RRULE:FREQ=YEARLY\r\nEND:VEVENT\r\n";
    // The next three appointments, however far ahead: the birthday is a year away.
    gOptions.UpcomingType = UpcomingAppointments;
    gOptions.UpcomingCount = 3;
    std::vector<std::wstring> built = build(birthday + ended + fresh);
    bool sawTed = false, sawClub = false;
    for (const std::wstring& line : built) {
        if (line.find(L"Ted") != std::wstring::npos && line.find(L"2026") == std::wstring::npos) {
            if (!sawTed) {
                EXPECT_EQ(L"A Ted (31) all-day", line)
                    << "5 Dec 1996 to 5 Dec 2027: 11322 days, 31 by 365";
            }
            sawTed = true;
        }
        if (line.find(L"Club") != std::wstring::npos) {
            if (!sawClub) {
                EXPECT_EQ(L"A Club all-day", line) << "a series with an end gets no age";
            }
            sawClub = true;
        }
    }
    EXPECT_TRUE(sawTed && sawClub) << narrow(built);
    EXPECT_NE(built.end(), std::find(built.begin(), built.end(), L"A New all-day"))
        << "in its first year it has no suffix";
}

TEST_F(AgendaBuildingTest, AnAppointmentOverMidnightIsClippedToEachDay) {
    gOptions.UpcomingCount = 2;
    std::vector<std::wstring> built = build(event("Night", ":20261208T220000", ":20261209T020000"));
    std::vector<std::wstring> expected = {
        L"A Night 10:00PM-multiday", L"H " + longDate(2026, 12, 9), L"A Night multiday-2:00AM"};
    EXPECT_AGENDA(expected, built);
}

TEST_F(AgendaBuildingTest, RunsOfEmptyDaysAreShownWhenAskedFor) {
    gOptions.ShowEmptyDays = TRUE;
    std::string today = event("Today", ":20261208T100000", ":20261208T110000");
    std::vector<std::wstring> fourDaysOn =
        build(today + event("Later", ":20261212T100000", ":20261212T110000"));
    std::vector<std::wstring> expected = {
        L"A Today 10:00AM-11:00AM",     L"H No upcoming appointments",
        L"T " + longDate(2026, 12, 9),  L"S",
        L"T " + longDate(2026, 12, 11), L"H " + longDate(2026, 12, 12),
        L"A Later 10:00AM-11:00AM"};
    EXPECT_AGENDA(expected, fourDaysOn);

    std::vector<std::wstring> twoEmpty =
        build(today + event("Later", ":20261211T100000", ":20261211T110000"));
    EXPECT_EQ(L"T " + longDate(2026, 12, 10), twoEmpty[3])
        << "two empty days: no separator" << narrow(twoEmpty);
    std::vector<std::wstring> oneEmpty =
        build(today + event("Later", ":20261210T100000", ":20261210T110000"));
    EXPECT_EQ(L"H " + longDate(2026, 12, 10), oneEmpty[3])
        << "one empty day: its date alone" << narrow(oneEmpty);
}

TEST_F(AgendaBuildingTest, TheHourLimitIncludesItsLastMinuteAndExpiresAheadOfIt) {
    gOptions.UpcomingType = UpcomingHours;
    gOptions.UpcomingCount = 2;
    std::vector<std::wstring> built =
        build(event("AtLimit", ":20261208T110000", ":20261208T113000") +
              event("After", ":20261208T110100", ":20261208T120000"));
    std::vector<std::wstring> expected = {L"A AtLimit 11:00AM-11:30AM"};
    EXPECT_AGENDA(expected, built);
    SYSTEMTIME expiry;
    FileTimeToSystemTime(&list->expiry, &expiry);
    EXPECT_EQ(9, expiry.wHour);
    EXPECT_EQ(1, expiry.wMinute) << "two hours before the first one left out";
}

TEST_F(AgendaBuildingTest, AllDayEventsStandAboveTheTimedOnesOfTheirDay) {
    gOptions.UpcomingCount = 3;
    std::vector<std::wstring> built =
        build(event("Overnight", ":20261208T230000", ":20261209T010000") +
              event("Offsite", ";VALUE=DATE:20261209", ";VALUE=DATE:20261210") +
              event("Lunch", ":20261209T120000", ":20261209T130000"));
    std::vector<std::wstring> expected = {
        L"A Overnight 11:00PM-multiday", L"H " + longDate(2026, 12, 9), L"A Offsite all-day",
        L"A Overnight multiday-1:00AM", L"A Lunch 12:00PM-1:00PM"};
    EXPECT_AGENDA(expected, built);
}

namespace {

const int kPaintedTop = 100;

// The height an item takes when painted kPaintedTop pixels down the item window.
int paintedHeight(HWND window, AgendaItem* item) {
    RECT rect;
    GetClientRect(window, &rect);
    rect.top = kPaintedTop;
    HDC windowDc = GetDC(window);
    HDC dc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    int height = item->Paint(window, dc, rect);
    DeleteDC(dc);
    return height;
}

// The space an appointment leaves above its lines when painted.
int gapPaintedAbove(HWND window, AgendaItem* item) {
    auto appointment = dynamic_cast<AppointmentItem*>(item);
    if (!appointment)
        return -1;
    paintedHeight(window, appointment);
    return appointment->hitRect.top - kPaintedTop;
}

} // namespace

TEST_F(AgendaBuildingTest, TheGapAboveAnAppointmentFollowsTheOneDrawnAboveIt) {
    gOptions.UpcomingCount = 3;
    // The store gives the overnight meeting first (it started the day before); the all-day
    // event is drawn above it all the same.
    std::vector<std::wstring> built =
        build(event("Overnight", ":20261208T230000", ":20261209T010000") +
              event("Offsite", ";VALUE=DATE:20261209", ";VALUE=DATE:20261210") +
              event("Lunch", ":20261209T120000", ":20261209T130000"));
    ASSERT_EQ(5u, built.size()) << narrow(built);
    ASSERT_EQ(L"A Offsite all-day", built[2]);
    EXPECT_EQ(0, gapPaintedAbove(window.hwnd(), list->items[2]))
        << "the first appointment under a heading starts right below it";
    EXPECT_GT(gapPaintedAbove(window.hwnd(), list->items[3]), 0)
        << "the first timed appointment is set off from the all-day one above it";
    EXPECT_GT(gapPaintedAbove(window.hwnd(), list->items[4]), 0);
}

TEST_F(AgendaBuildingTest, SkipAheadFindsAnAppointmentFortyDaysOut) {
    gOptions.UpcomingType = UpcomingAppointments;
    gOptions.UpcomingCount = 1;
    std::vector<std::wstring> built = build(event("Far", ":20270117T090000", ":20270117T100000"));
    std::vector<std::wstring> expected = {L"T Nothing further today", L"H " + longDate(2027, 1, 17),
                                          L"A Far 9:00AM-10:00AM"};
    EXPECT_AGENDA(expected, built);
}

TEST_F(AgendaBuildingTest, RecurringSeriesAreListedPerOccurrence) {
    gOptions.UpcomingCount = 3;
    gOptions.ShowCompleted = TRUE;
    std::vector<std::wstring> built =
        build(event("Daily", ":20200101T080000", ":20200101T081500", "RRULE:FREQ=DAILY\r\n"));
    ASSERT_EQ(5u, built.size()) << narrow(built);
    EXPECT_EQ(L"A Daily 8:00AM-8:15AM x", built[0]) << "today's occurrence has ended";
    EXPECT_EQ(L"A Daily 8:00AM-8:15AM", built[2]) << "tomorrow's is upcoming";
    EXPECT_EQ(list->items[0]->GetOid(), list->items[2]->GetOid())
        << "occurrences of one series share its identifier";
}

namespace {

// Lines of text an item takes when painted at the top of the item window, in its own font.
int measuredLines(HWND window, AgendaItem* item) {
    RECT rect;
    GetClientRect(window, &rect);
    HDC windowDc = GetDC(window);
    HDC dc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    int height = item->Paint(window, dc, rect);
    HGDIOBJ previous = SelectObject(dc, item->GetFont());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return metrics.tmHeight ? height / metrics.tmHeight : -1;
}

} // namespace

TEST_F(AgendaBuildingTest, TheLineBudgetLeavesOutHeadingsButEndsAtTheFirstAppointment) {
    DayHeadingItem sampleHeading(46000.0, L"Wednesday, December 09, 2026");
    int headingLines = measuredLines(window.hwnd(), &sampleHeading);
    ASSERT_GE(headingLines, 2) << "the first heading also takes the icon's square above it";
    gOptions.UpcomingType = UpcomingLines;
    gOptions.Painter = 9; // "time: subject", one line
    gOptions.WordWrap = FALSE;
    std::string events = event("First", ":20261209T100000", ":20261209T103000") +
                         event("Second", ":20261209T110000", ":20261209T113000") +
                         event("Third", ":20261209T120000", ":20261209T123000");

    gOptions.UpcomingCount = 2;
    std::vector<std::wstring> noHeading = {L"T Nothing further today", L"A First 10:00AM-10:30AM"};
    EXPECT_AGENDA(noHeading, build(events)) << " the heading does not fit, the walk goes on";
    SYSTEMTIME expiry;
    FileTimeToSystemTime(&list->expiry, &expiry);
    EXPECT_EQ(9, expiry.wDay);
    EXPECT_EQ(11, expiry.wHour) << "the list runs out when the first one left out starts";

    gOptions.UpcomingCount = 1 + headingLines + 2;
    std::vector<std::wstring> withHeading = {
        L"T Nothing further today", L"H " + longDate(2026, 12, 9), L"A First 10:00AM-10:30AM",
        L"A Second 11:00AM-11:30AM"};
    EXPECT_AGENDA(withHeading, build(events));
    FileTimeToSystemTime(&list->expiry, &expiry);
    EXPECT_EQ(12, expiry.wHour) << "expires when Third starts";
}

TEST_F(AgendaBuildingTest, AWrappedSubjectCostsEveryLineItTakes) {
    gOptions.UpcomingType = UpcomingLines;
    gOptions.Painter = 9;
    gOptions.WordWrap = TRUE;
    std::string longSubject = "Quarterly planning review with the regional sales and support "
                              "teams in the large meeting room";
    std::string events = event("Short", ":20261208T100000", ":20261208T103000") +
                         event(longSubject.c_str(), ":20261208T110000", ":20261208T120000") +
                         event("After", ":20261208T130000", ":20261208T133000");
    gOptions.UpcomingCount = 3;
    std::vector<std::wstring> built = build(events);
    ASSERT_EQ(1u, built.size()) << "the wrapped subject needs more than the two lines left"
                                << narrow(built);
    EXPECT_EQ(L"A Short 10:00AM-10:30AM", built[0]);

    gOptions.UpcomingCount = 20;
    built = build(events);
    ASSERT_EQ(3u, built.size()) << narrow(built);
    int wrappedLines = measuredLines(window.hwnd(), list->items[1]);
    EXPECT_GE(wrappedLines, 3) << "a subject this long wraps in a 240 pixel row";
}

TEST_F(AgendaBuildingTest, LineBreaksInASubjectOrLocationAreShownAsSpaces) {
    gOptions.Painter = 0; // subject; time with the location
    std::string breaks;
    for (int i = 0; i < 5000; ++i)
        breaks += "\\n";
    auto appointment = [](const std::string& subject, const std::string& location) {
        return "BEGIN:VEVENT\r\nUID:one\r\nSUMMARY:" + subject + "\r\nLOCATION:" + location +
               "\r\nDTSTART:20261208T100000\r\nDTEND:20261208T110000\r\nEND:VEVENT\r\n";
    };
    for (BOOL wordWrap : {FALSE, TRUE}) {
        gOptions.WordWrap = wordWrap;
        ASSERT_EQ(1u, build(appointment("Call home", "Desk 2")).size());
        int plainHeight = paintedHeight(window.hwnd(), list->items[0]);
        ASSERT_EQ(1u, build(appointment("Call" + breaks + "home", "Desk\\n\\n2")).size());
        auto item = dynamic_cast<AppointmentItem*>(list->items[0]);
        ASSERT_NE(nullptr, item);
        EXPECT_STREQ(L"Call home", item->line.subject) << "word wrap " << wordWrap;
        EXPECT_STREQ(L"Desk 2", item->line.location) << "word wrap " << wordWrap;
        EXPECT_EQ(plainHeight, paintedHeight(window.hwnd(), item))
            << "5,000 line breaks take no more room than a space, word wrap " << wordWrap;
    }
}
