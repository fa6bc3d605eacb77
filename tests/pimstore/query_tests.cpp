// Asking the store for appointments, through COM, as the agenda does: day windows at their exact
// boundaries, filters, order, recurrences, identifiers and patterns.
#include "store_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace store_testing;

namespace {

using Subjects = std::vector<std::wstring>;

class StoreQueryTest : public testing::Test {
protected:
    ComApartment apartment_;
};

// 15 March 2024 and the days around it.
const DATE kDay = oleDate(2024, 3, 15);

std::string boundaryCalendar() {
    return calendarOf(
        eventText("ends-at-midnight", ":20240314T230000", ":20240315T000000", "Ends at midnight") +
        eventText("ends-before", ":20240314T220000", ":20240314T235959", "Ends a second before") +
        eventText("inside", ":20240315T100000", ":20240315T110000", "Inside") +
        eventText("last-second", ":20240315T235959", ":20240316T003000",
                  "Starts in the last second") +
        eventText("next-midnight", ":20240316T000000", ":20240316T010000",
                  "Starts at next midnight") +
        eventText("spanning", ":20240313T090000", ":20240318T090000", "Spans the day") +
        eventText("all-day", ";VALUE=DATE:20240315", ";VALUE=DATE:20240316", "All day") +
        eventText("day-before", ";VALUE=DATE:20240314", ";VALUE=DATE:20240315", "The day before"));
}

// An all-day event ends in the last minute of its day, as on the device, so the day after does
// not list it again; a timed one ending at midnight belongs to both days.
TEST_F(StoreQueryTest, ADayTakesWhatEndsAtItsMidnightAndLeavesWhatStartsAtTheNext) {
    DeviceCalendar calendar(boundaryCalendar());
    StoreSession store;
    ASSERT_TRUE(store.items);
    const Subjects expected = {L"Spans the day", L"Ends at midnight", L"All day", L"Inside",
                               L"Starts in the last second"};
    // Asked again, the day is answered from the store's block of days instead of the index.
    EXPECT_EQ(expected, subjectsOf(restricted(store.items.get(), dayFilter(kDay)).get()));
    ComPtr<IPOutlookItemCollection> day = restricted(store.items.get(), dayFilter(kDay));
    EXPECT_EQ(expected, subjectsOf(day.get()));

    ComPtr<IAppointment> allDay = itemAt(day.get(), 3);
    VARIANT_BOOL isAllDay = VARIANT_FALSE;
    long minutes = 0;
    ASSERT_TRUE(allDay);
    EXPECT_EQ(S_OK, allDay->get_AllDayEvent(&isAllDay));
    EXPECT_EQ(VARIANT_TRUE, isAllDay);
    EXPECT_EQ(S_OK, allDay->get_Duration(&minutes));
    EXPECT_EQ(24 * 60, minutes);
    EXPECT_EQ(kDay, startOf(allDay.get()));
    DATE end = 0;
    EXPECT_EQ(S_OK, allDay->get_End(&end));
    EXPECT_NEAR(oleDate(2024, 3, 15, 23, 59), end, 0.5 / 86400);
}

// What the agenda asks to skip empty days: the first appointment ending after a day, however far
// ahead that lies, while endless series give occurrences without end.
TEST_F(StoreQueryTest, AnOpenEndedQueryFindsTheNextOccurrenceHoweverFar) {
    DeviceCalendar calendar(
        calendarOf(eventText("standup", ":20010101T090000", ":20010101T091500", "Standup",
                             "RRULE:FREQ=DAILY\r\n") +
                   eventText("anniversary", ":20010601T120000", ":20010601T130000", "Anniversary",
                             "RRULE:FREQ=YEARLY\r\n") +
                   eventText("jubilee", ":20190301T100000", ":20190301T110000", "Jubilee",
                             "RRULE:FREQ=YEARLY;INTERVAL=50\r\n")));
    StoreSession store;
    ASSERT_TRUE(store.items);
    ASSERT_EQ(S_OK, store.items->put_IncludeRecurrences(VARIANT_TRUE));
    ComPtr<IPOutlookItemCollection> later =
        restricted(store.items.get(), L"[End] >= " + dateLiteral(oleDate(2040, 6, 1)));
    EXPECT_EQ(oleDate(2040, 6, 1, 9), startOf(itemAt(later.get(), 1).get()));
    EXPECT_EQ(L"Anniversary", subjectOf(itemAt(later.get(), 2).get()));
    EXPECT_EQ(oleDate(2040, 6, 2, 9), startOf(itemAt(later.get(), 3).get()));

    ComPtr<IPOutlookItemCollection> nextAnniversary =
        restricted(store.items.get(), L"[End] >= " + dateLiteral(oleDate(2040, 6, 2)) +
                                          L" AND [Subject] = \"Anniversary\"");
    EXPECT_EQ(oleDate(2041, 6, 1, 12), startOf(itemAt(nextAnniversary.get(), 1).get()));

    // Decades past the window's start, the calendar's last start and now.
    ComPtr<IPOutlookItemCollection> nextJubilee =
        restricted(store.items.get(), L"[End] >= " + dateLiteral(oleDate(2070, 1, 1)) +
                                          L" AND [Subject] = \"Jubilee\"");
    ASSERT_TRUE(nextJubilee) << "the occurrence of 2119 is found";
    EXPECT_EQ(oleDate(2119, 3, 1, 10), startOf(itemAt(nextJubilee.get(), 1).get()));
}

TEST_F(StoreQueryTest, FiltersCombineWithAndOrAndParentheses) {
    DeviceCalendar calendar(calendarOf(
        eventText("a", ":20240315T080000", ":20240315T090000", "Early",
                  "X-MICROSOFT-CDO-BUSYSTATUS:OOF\r\n") +
        eventText("b", ":20240315T120000", ":20240315T130000", "Lunch", "TRANSP:TRANSPARENT\r\n") +
        eventText("c", ":20240315T180000", ":20240315T190000", "Late",
                  "STATUS:TENTATIVE\r\nLOCATION:Hall\r\n")));
    StoreSession store;
    const std::wstring nine = dateLiteral(oleDate(2024, 3, 15, 9));
    const std::wstring noon = dateLiteral(oleDate(2024, 3, 15, 12));
    const std::wstring six = dateLiteral(oleDate(2024, 3, 15, 18));
    struct Case {
        std::wstring filter;
        Subjects expected;
    } cases[] = {
        {L"[Start] < " + nine + L" OR [Start] >= " + six, {L"Early", L"Late"}},
        {L"[End] = " + nine, {L"Early"}},
        {L"[Start] <> " + noon, {L"Early", L"Late"}},
        {L"[Start] <= " + noon + L" AND [End] > " + nine, {L"Lunch"}},
        // AND binds before OR; parentheses change that.
        {L"[Start] < " + nine + L" OR [Start] > " + nine + L" AND [Start] < " + six,
         {L"Early", L"Lunch"}},
        {L"([Start] < " + nine + L" OR [Start] > " + nine + L") AND [Start] < " + six,
         {L"Early", L"Lunch"}},
        {L"([Start] < " + nine + L" OR [Start] > " + noon + L") AND ([End] > " + six + L")",
         {L"Late"}},
        {L"[BusyStatus] = 3 OR [BusyStatus] = 0", {L"Early", L"Lunch"}},
        {L"[BusyStatus] = 1", {L"Late"}},
        {L"[Subject] = \"lunch\"", {L"Lunch"}},
        {L"[Location] = \"Hall\" and [start] > " + noon, {L"Late"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.filter.begin(), c.filter.end()));
        EXPECT_EQ(c.expected, subjectsOf(restricted(store.items.get(), c.filter).get()));
    }
    // A restricted collection restricts further.
    ComPtr<IPOutlookItemCollection> notLunch =
        restricted(store.items.get(), L"[Subject] <> \"Lunch\"");
    EXPECT_EQ((Subjects{L"Late"}),
              subjectsOf(restricted(notLunch.get(), L"[Start] > " + nine).get()));
}

TEST_F(StoreQueryTest, MalformedFiltersFailAndNoMatchIsNull) {
    DeviceCalendar calendar(boundaryCalendar());
    StoreSession store;
    const std::wstring day = dateLiteral(kDay);
    const std::wstring malformed[] = {
        L"",
        L"[Start]",
        L"[Start] >",
        L"[Start] > " + day + L" AND",
        L"([Start] > " + day,
        L"[Start] > " + day + L")",
        L"[Start] >> " + day,
        L"[Start] => " + day,
        day + L" < [Start]",
        L"[Nowhere] = " + day,
        L"[Start] = 5",
        L"[Start] = \"the fifth of never\"",
        L"[BusyStatus] = \"busy\"",
        L"[Subject] = \"unterminated",
        L"[Start] > " + day + L" XOR [End] < " + day,
        std::wstring(200, L'(') + L"[Start] > " + day + std::wstring(200, L')'),
    };
    for (const std::wstring& filter : malformed) {
        SCOPED_TRACE(std::string(filter.begin(), filter.end()));
        HRESULT result = S_OK;
        ComPtr<IPOutlookItemCollection> found = restricted(store.items.get(), filter, &result);
        EXPECT_TRUE(FAILED(result));
        EXPECT_FALSE(found);
    }
    HRESULT result = E_FAIL;
    ComPtr<IPOutlookItemCollection> none =
        restricted(store.items.get(), L"[Start] >= " + dateLiteral(oleDate(2030, 1, 1)), &result);
    EXPECT_EQ(S_OK, result);
    EXPECT_FALSE(none) << "nothing matching is S_OK with a null collection";
    EXPECT_EQ(E_POINTER, store.items->Restrict(nullptr, nullptr));
}

TEST_F(StoreQueryTest, SortingKeepsEqualStartsInTheirOrderEitherWay) {
    DeviceCalendar calendar(
        calendarOf(eventText("a", ":20240315T100000", ":20240315T120000", "A") +
                   eventText("b", ":20240315T100000", ":20240315T103000", "B") +
                   eventText("nine", ":20240315T090000", ":20240315T100000", "Nine") +
                   eventText("c", ":20240315T100000", ":20240315T110000", "C") +
                   eventText("eleven", ":20240315T110000", ":20240315T113000", "Eleven")));
    StoreSession store;
    ComPtr<IPOutlookItemCollection> day = restricted(store.items.get(), dayFilter(kDay));
    EXPECT_EQ((Subjects{L"Nine", L"A", L"B", L"C", L"Eleven"}), subjectsOf(day.get()));

    BSTR start = SysAllocString(L"[Start]");
    EXPECT_EQ(S_OK, day->Sort(start, VARIANT_TRUE));
    EXPECT_EQ((Subjects{L"Eleven", L"A", L"B", L"C", L"Nine"}), subjectsOf(day.get()));
    EXPECT_EQ(S_OK, day->Sort(start, VARIANT_FALSE));
    EXPECT_EQ((Subjects{L"Nine", L"A", L"B", L"C", L"Eleven"}), subjectsOf(day.get()));
    SysFreeString(start);

    BSTR end = SysAllocString(L"[End]");
    EXPECT_EQ(S_OK, day->Sort(end, VARIANT_FALSE));
    EXPECT_EQ((Subjects{L"Nine", L"B", L"C", L"Eleven", L"A"}), subjectsOf(day.get()));
    SysFreeString(end);

    // A sort asked of the folder's items carries over to what is restricted from them.
    BSTR descending = SysAllocString(L"[Start]");
    EXPECT_EQ(S_OK, store.items->Sort(descending, VARIANT_TRUE));
    SysFreeString(descending);
    EXPECT_EQ((Subjects{L"Eleven", L"A", L"B", L"C", L"Nine"}),
              subjectsOf(restricted(store.items.get(), dayFilter(kDay)).get()));

    BSTR unknown = SysAllocString(L"[Colour]");
    EXPECT_EQ(E_INVALIDARG, day->Sort(unknown, VARIANT_FALSE));
    SysFreeString(unknown);
}

TEST_F(StoreQueryTest, QuotedValuesReadDoubledMarksAsOneAndSortNamesInAnyCase) {
    DeviceCalendar calendar(
        calendarOf(eventText("q", ":20240315T100000", ":20240315T110000", "Say \"hi\"") +
                   eventText("p", ":20240315T090000", ":20240315T093000", "Plain")));
    StoreSession store;
    EXPECT_EQ((Subjects{L"Say \"hi\""}),
              subjectsOf(restricted(store.items.get(), L"[Subject] = \"Say \"\"hi\"\"\"").get()));
    EXPECT_EQ((Subjects{L"Plain"}),
              subjectsOf(restricted(store.items.get(), L"[Subject] <> \"say \"\"HI\"\"\"").get()))
        << "compared without case";

    ComPtr<IPOutlookItemCollection> day = restricted(store.items.get(), dayFilter(kDay));
    for (const wchar_t* name : {L"start", L"[sTaRt]", L"END", L"[Subject]"}) {
        BSTR key = SysAllocString(name);
        EXPECT_EQ(S_OK, day->Sort(key, VARIANT_TRUE)) << std::string(name, name + wcslen(name));
        SysFreeString(key);
    }
    EXPECT_EQ((Subjects{L"Say \"hi\"", L"Plain"}), subjectsOf(day.get())) << "by subject, Z to A";
    for (const wchar_t* name : {L"[Start", L"Starts", L"[]", L""}) {
        BSTR key = SysAllocString(name);
        EXPECT_EQ(E_INVALIDARG, day->Sort(key, VARIANT_FALSE));
        SysFreeString(key);
    }
}

TEST_F(StoreQueryTest, ItemsCountFromOneAndFailPastTheEnd) {
    DeviceCalendar calendar(boundaryCalendar());
    StoreSession store;
    EXPECT_EQ(8, countOf(store.items.get())) << "the folder lists every event";
    ComPtr<IPOutlookItemCollection> day = restricted(store.items.get(), dayFilter(kDay));
    const int count = countOf(day.get());
    ASSERT_EQ(5, count);
    ComPtr<IDispatch> item;
    EXPECT_EQ(E_INVALIDARG, day->Item(0, item.receive()));
    EXPECT_FALSE(item);
    EXPECT_EQ(E_INVALIDARG, day->Item(count + 1, item.receive()));
    EXPECT_FALSE(item);
    EXPECT_EQ(E_INVALIDARG, day->Item(-1, item.receive()));
    EXPECT_EQ(E_POINTER, day->Item(1, nullptr));
    EXPECT_EQ(S_OK, day->Item(count, item.receive()));
    EXPECT_TRUE(item);
}

std::string seriesCalendar() {
    return calendarOf(eventText("standup", ":20240301T090000", ":20240301T091500", "Standup",
                                "RRULE:FREQ=DAILY\r\n") +
                      eventText("review", ":20240305T140000", ":20240305T150000", "Review",
                                "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=TU,TH;COUNT=6\r\n") +
                      eventText("single", ":20240320T100000", ":20240320T110000", "Single"));
}

TEST_F(StoreQueryTest, WithRecurrencesEachOccurrenceIsAnItemSharingItsSeriesOid) {
    DeviceCalendar calendar(seriesCalendar());
    StoreSession store;
    VARIANT_BOOL include = VARIANT_TRUE;
    EXPECT_EQ(S_OK, store.items->get_IncludeRecurrences(&include));
    EXPECT_EQ(VARIANT_FALSE, include) << "off unless asked";
    const std::wstring week = L"[End] >= " + dateLiteral(oleDate(2024, 3, 18)) +
                              L" AND [Start] < " + dateLiteral(oleDate(2024, 3, 23));

    // Without: a series is one item, its first occurrence, found only where that lies.
    EXPECT_EQ((Subjects{L"Single"}), subjectsOf(restricted(store.items.get(), week).get()));
    ComPtr<IPOutlookItemCollection> march =
        restricted(store.items.get(), L"[Start] < " + dateLiteral(oleDate(2024, 4, 1)));
    EXPECT_EQ((Subjects{L"Standup", L"Review", L"Single"}), subjectsOf(march.get()));
    EXPECT_EQ(oleDate(2024, 3, 1, 9), startOf(itemAt(march.get(), 1).get()));

    EXPECT_EQ(S_OK, store.items->put_IncludeRecurrences(VARIANT_TRUE));
    ComPtr<IPOutlookItemCollection> occurrences = restricted(store.items.get(), week);
    EXPECT_EQ((Subjects{L"Standup", L"Standup", L"Review", L"Standup", L"Single", L"Standup",
                        L"Review", L"Standup"}),
              subjectsOf(occurrences.get()));
    const long standupOid = oidOf(itemAt(occurrences.get(), 1).get());
    EXPECT_NE(0, standupOid);
    for (int index : {2, 4, 6, 8}) {
        ComPtr<IAppointment> standup = itemAt(occurrences.get(), index);
        EXPECT_EQ(standupOid, oidOf(standup.get()));
        VARIANT_BOOL recurring = VARIANT_FALSE;
        standup->get_IsRecurring(&recurring);
        EXPECT_EQ(VARIANT_TRUE, recurring);
    }
    EXPECT_EQ(oleDate(2024, 3, 20, 9), startOf(itemAt(occurrences.get(), 4).get()));
    const long reviewOid = oidOf(itemAt(occurrences.get(), 3).get());
    EXPECT_EQ(reviewOid, oidOf(itemAt(occurrences.get(), 7).get()));
    EXPECT_NE(standupOid, reviewOid);
    EXPECT_NE(standupOid, oidOf(itemAt(occurrences.get(), 5).get()));

    // The restricted collection follows its own setting.
    EXPECT_EQ(S_OK, occurrences->put_IncludeRecurrences(VARIANT_FALSE));
    EXPECT_EQ((Subjects{L"Single"}), subjectsOf(occurrences.get()));
}

TEST_F(StoreQueryTest, ItemFromOidIsTheEventAndItsOidOutlivesAReload) {
    DeviceCalendar calendar(seriesCalendar());
    long reviewOid = 0;
    {
        StoreSession store;
        ComPtr<IAppointment> review = itemAt(store.items.get(), 2);
        ASSERT_EQ(L"Review", subjectOf(review.get()));
        reviewOid = oidOf(review.get());
        ComPtr<IDispatch> found;
        ASSERT_EQ(S_OK, store.application->GetItemFromOid(reviewOid, found.receive()));
        ComPtr<IAppointment> appointment;
        found->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appointment.receive()));
        EXPECT_EQ(L"Review", subjectOf(appointment.get()));
        EXPECT_EQ(oleDate(2024, 3, 5, 14), startOf(appointment.get()));
        EXPECT_TRUE(FAILED(store.application->GetItemFromOid(reviewOid ^ 0x5A5A, found.receive())));
        EXPECT_FALSE(found);
    }
    // Another program puts an event before it: the review keeps its identifier.
    calendar.rewrite(calendarOf(eventText("new", ":20240301T070000", ":20240301T080000", "New")) +
                     seriesCalendar());
    StoreSession store;
    ComPtr<IDispatch> found;
    ASSERT_EQ(S_OK, store.application->GetItemFromOid(reviewOid, found.receive()));
    ComPtr<IAppointment> appointment;
    found->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appointment.receive()));
    EXPECT_EQ(L"Review", subjectOf(appointment.get()));
}

TEST_F(StoreQueryTest, APatternDescribesTheRuleAndFindsAnOccurrence) {
    DeviceCalendar calendar(seriesCalendar());
    StoreSession store;
    ComPtr<IAppointment> review = itemAt(store.items.get(), 2);
    ComPtr<IRecurrencePattern> pattern;
    ASSERT_EQ(S_OK, review->GetRecurrencePattern(pattern.receive()));
    long type = -2, interval = 0, mask = 0;
    VARIANT_BOOL noEnd = VARIANT_TRUE;
    DATE first = 0, last = 0;
    EXPECT_EQ(S_OK, pattern->get_RecurrenceType(&type));
    EXPECT_EQ(olRecursWeekly, type);
    EXPECT_EQ(S_OK, pattern->get_Interval(&interval));
    EXPECT_EQ(2, interval);
    EXPECT_EQ(S_OK, pattern->get_DayOfWeekMask(&mask));
    EXPECT_EQ(olTuesday | olThursday, mask);
    EXPECT_EQ(S_OK, pattern->get_NoEndDate(&noEnd));
    EXPECT_EQ(VARIANT_FALSE, noEnd);
    EXPECT_EQ(S_OK, pattern->get_PatternStartDate(&first));
    EXPECT_EQ(oleDate(2024, 3, 5), first);
    EXPECT_EQ(S_OK, pattern->get_PatternEndDate(&last));
    EXPECT_EQ(oleDate(2024, 4, 4), last) << "six occurrences: 5, 7, 19, 21 March, 2, 4 April";

    ComPtr<IAppointment> occurrence;
    ASSERT_EQ(S_OK, pattern->GetOccurrence(oleDate(2024, 3, 21), occurrence.receive()));
    EXPECT_EQ(oleDate(2024, 3, 21, 14), startOf(occurrence.get()));
    EXPECT_EQ(oidOf(review.get()), oidOf(occurrence.get()));
    EXPECT_TRUE(FAILED(pattern->GetOccurrence(oleDate(2024, 3, 12), occurrence.receive())))
        << "the off week has none";
    EXPECT_FALSE(occurrence);

    ComPtr<IAppointment> standup = itemAt(store.items.get(), 1);
    ComPtr<IRecurrencePattern> daily;
    ASSERT_EQ(S_OK, standup->GetRecurrencePattern(daily.receive()));
    EXPECT_EQ(S_OK, daily->get_RecurrenceType(&type));
    EXPECT_EQ(olRecursDaily, type);
    EXPECT_EQ(S_OK, daily->get_NoEndDate(&noEnd));
    EXPECT_EQ(VARIANT_TRUE, noEnd);

    ComPtr<IAppointment> single = itemAt(store.items.get(), 3);
    VARIANT_BOOL recurring = VARIANT_TRUE;
    EXPECT_EQ(S_OK, single->get_IsRecurring(&recurring));
    EXPECT_EQ(VARIANT_FALSE, recurring);
    ComPtr<IRecurrencePattern> once;
    ASSERT_EQ(S_OK, single->GetRecurrencePattern(once.receive()));
    EXPECT_EQ(S_OK, once->get_RecurrenceType(&type));
    EXPECT_EQ(olRecursOnce, type);
}

TEST_F(StoreQueryTest, LogonComesFirstAndOnce) {
    DeviceCalendar calendar(seriesCalendar());
    ComPtr<IPOutlookApp> application;
    ASSERT_EQ(S_OK,
              CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                               reinterpret_cast<void**>(application.receive())));
    ComPtr<IFolder> folder;
    EXPECT_TRUE(FAILED(application->GetDefaultFolder(olFolderCalendar, folder.receive())));
    EXPECT_FALSE(folder);
    EXPECT_EQ(S_OK, application->Logon(0));
    EXPECT_EQ(S_FALSE, application->Logon(0));
    EXPECT_EQ(S_OK, application->GetDefaultFolder(olFolderInfrared, folder.receive()));
    EXPECT_TRUE(FAILED(application->GetDefaultFolder(42, folder.receive())));
    EXPECT_EQ(S_OK, application->Logoff());
    EXPECT_EQ(S_FALSE, application->Logoff());
}

TEST_F(StoreQueryTest, TimesAreTheDevicesLocalTime) {
    DeviceCalendar calendar(
        calendarOf(eventText("utc-summer", ":20240701T100000Z", ":20240701T110000Z", "Summer") +
                   eventText("utc-winter", ":20240115T100000Z", ":20240115T110000Z", "Winter") +
                   eventText("floating", ":20240701T100000", ":20240701T110000", "Floating") +
                   eventText("new-york", ";TZID=America/New_York:20240701T100000",
                             ";TZID=America/New_York:20240701T110000", "New York")),
        centralEuropeZone());
    StoreSession store;
    struct Case {
        const wchar_t* subject;
        DATE start;
    } cases[] = {{L"Summer", oleDate(2024, 7, 1, 12)},
                 {L"Winter", oleDate(2024, 1, 15, 11)},
                 {L"Floating", oleDate(2024, 7, 1, 10)},
                 {L"New York", oleDate(2024, 7, 1, 16)}};
    for (const Case& c : cases) {
        ComPtr<IPOutlookItemCollection> found =
            restricted(store.items.get(), L"[Subject] = \"" + std::wstring(c.subject) + L"\"");
        EXPECT_EQ(c.start, startOf(itemAt(found.get(), 1).get()))
            << std::string(c.subject, c.subject + wcslen(c.subject));
    }
}

TEST_F(StoreQueryTest, RealWorldTextAndBusyStatusComeThroughIntact) {
    DeviceCalendar calendar(realWorldCalendar("hebcal_hebrew_bidi_excerpt.ics"), usPacificZone());
    ASSERT_FALSE(calendar.bytes().empty());
    StoreSession store;
    ComPtr<IPOutlookItemCollection> sixth =
        restricted(store.items.get(), dayFilter(oleDate(2011, 1, 6)));
    ComPtr<IPOutlookItemCollection> seventh =
        restricted(store.items.get(), dayFilter(oleDate(2011, 1, 7)));
    ASSERT_EQ(1, countOf(sixth.get()));
    ASSERT_EQ(1, countOf(seventh.get()));
    ComPtr<IAppointment> holiday = itemAt(sixth.get(), 1);
    ComPtr<IAppointment> candles = itemAt(seventh.get(), 1);
    EXPECT_EQ(utf16("Rosh Chodesh Sh'vat / ראש חודש שבט"), subjectOf(holiday.get()));
    EXPECT_EQ(utf16("Candle lighting / הדלקת נרות"), subjectOf(candles.get()));
    EXPECT_EQ(oleDate(2011, 1, 7, 16, 49), startOf(candles.get()));
    long busy = -1;
    EXPECT_EQ(S_OK, holiday->get_BusyStatus(&busy));
    EXPECT_EQ(olFree, busy);
    EXPECT_EQ(S_OK, candles->get_BusyStatus(&busy));
    EXPECT_EQ(olOutOfOffice, busy);
}

} // namespace

namespace {

// Each answer comes whole from one state of the file, however often the file changes meanwhile,
// and items stay readable after the store moved on.
TEST_F(StoreQueryTest, QueriesOnAnotherThreadSurviveReloads) {
    const auto version = [](const std::string& name) {
        std::string events;
        for (int i = 0; i < 20; ++i)
            events +=
                eventText(name + std::to_string(i), ":20240315T0" + std::to_string(i % 10) + "0000",
                          ":20240315T230000", name);
        return calendarOf(events);
    };
    DeviceCalendar calendar(version("A"));
    StoreSession store;
    ASSERT_TRUE(store.items);
    LONG stop = 0, answers = 0, mixed = 0;
    std::thread reader([&] {
        ComApartment apartment;
        while (!InterlockedCompareExchange(&stop, 0, 0)) {
            const Subjects subjects =
                subjectsOf(restricted(store.items.get(), dayFilter(kDay)).get());
            const bool whole =
                subjects.size() == 20 &&
                std::all_of(subjects.begin(), subjects.end(),
                            [&](const std::wstring& subject) { return subject == subjects[0]; });
            InterlockedIncrement(whole ? &answers : &mixed);
        }
    });
    for (int change = 0; change < 6; ++change) {
        calendar.rewrite(version(change % 2 ? "A" : "B"));
        ComPtr<IPOutlookItemCollection> refreshed;
        store.calendar->get_Items(refreshed.receive()); // looks at the file at once
        // The reader answers twice more: at least one of its queries began after the rewrite.
        const auto queries = [&] {
            return InterlockedCompareExchange(&answers, 0, 0) +
                   InterlockedCompareExchange(&mixed, 0, 0);
        };
        const LONG before = queries();
        if (!testing_support::pumpUntil([&] { return queries() >= before + 2; }, 30000)) {
            ADD_FAILURE() << "the reader stopped answering";
            break;
        }
    }
    InterlockedExchange(&stop, 1);
    reader.join();
    EXPECT_GT(answers, 0);
    EXPECT_EQ(0, mixed);
}

} // namespace
