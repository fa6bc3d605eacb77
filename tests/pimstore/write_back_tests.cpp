// Deleting writes the calendar file back with nothing else changed, a file that did not parse is
// never written, and every change is announced to the windows that opened the calendar database.
#include "store_test_support.h"

#include <gtest/gtest.h>
#include <windbase.h>

#include <memory>
#include <thread>

using namespace store_testing;
using testing_support::pumpUntil;

namespace {

// Another program reading the calendar: the file open without FILE_SHARE_DELETE, so that it
// cannot be replaced until the reader closes it.
class CalendarReader {
public:
    explicit CalendarReader(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~CalendarReader() { close(); }
    CalendarReader(const CalendarReader&) = delete;
    CalendarReader& operator=(const CalendarReader&) = delete;

    bool holding() const { return file_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (holding())
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
};

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Waits on the folder's change notifications until the file exists (or is gone); false when
// it is not so by the deadline.
bool waitForFile(const std::wstring& folder, const std::wstring& path, bool present,
                 DWORD timeoutMs) {
    HANDLE changes =
        FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (changes == INVALID_HANDLE_VALUE)
        return false;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    bool reached = fileExists(path) == present;
    while (!reached && GetTickCount64() < deadline) {
        const DWORD left = static_cast<DWORD>(deadline - GetTickCount64());
        if (WaitForSingleObject(changes, left) != WAIT_OBJECT_0)
            break;
        reached = fileExists(path) == present;
        FindNextChangeNotification(changes);
    }
    FindCloseChangeNotification(changes);
    return reached;
}

class StoreWriteBackTest : public testing::Test {
protected:
    ComApartment apartment_;
};

const std::string kFirst = eventText("first", ":20240315T080000", ":20240315T090000", "First");
const std::string kSeries = eventText(
    "series", ";TZID=Europe/Berlin:20240311T090000", ";TZID=Europe/Berlin:20240311T093000",
    "Series", "RRULE:FREQ=DAILY;COUNT=10\r\nX-UNKNOWN-PROPERTY;X-PARAM=kept:as written\r\n");
const std::string kOverride = eventText("series", ";TZID=Europe/Berlin:20240313T150000",
                                        ";TZID=Europe/Berlin:20240313T153000", "Series moved",
                                        "RECURRENCE-ID;TZID=Europe/Berlin:20240313T090000\r\n");
const std::string kLast = eventText("last", ":20240316T080000", ":20240316T090000", "Last");
const std::string kTodo = "BEGIN:VTODO\r\nUID:todo\r\nSUMMARY:Not ours\r\nEND:VTODO\r\n";

std::string writeBackCalendar() {
    return calendarOf(kFirst + kSeries + kTodo + kOverride + kLast);
}

TEST_F(StoreWriteBackTest, DeletingASeriesRemovesItAndItsOverridesAndNothingElse) {
    DeviceCalendar calendar(writeBackCalendar(), centralEuropeZone());
    NotifiedWindow window;
    StoreSession store;
    ComPtr<IAppointment> series = itemAt(store.items.get(), 1);
    ASSERT_EQ(L"Series", subjectOf(series.get()));
    const long oid = oidOf(series.get());

    ASSERT_EQ(S_OK, series->Delete());
    EXPECT_EQ(calendarOf(kFirst + kTodo + kLast), calendar.bytes());
    EXPECT_TRUE(FAILED(series->Delete())) << "it is gone";
    EXPECT_EQ(calendarOf(kFirst + kTodo + kLast), calendar.bytes());

    EXPECT_TRUE(pumpUntil([&] { return window.received(DB_CEOID_RECORD_DELETED) > 0; }, 30000));
    EXPECT_EQ(static_cast<WPARAM>(oid), window.lastOid(DB_CEOID_RECORD_DELETED));
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Last"}), subjectsOf(store.items.get()));
}

// The reader lets go only once the store has its new file ready: the store waits for it.
TEST_F(StoreWriteBackTest, ADeleteWaitsForAReaderThatLetsGoOfTheFile) {
    DeviceCalendar calendar(writeBackCalendar(), centralEuropeZone());
    StoreSession store;
    ComPtr<IAppointment> series = itemAt(store.items.get(), 1);
    ASSERT_EQ(L"Series", subjectOf(series.get()));
    CalendarReader reader(calendar.path());
    ASSERT_TRUE(reader.holding());
    // It reads on for a fifth of a second after the store has its new file ready, or until the
    // store gives up on it.
    const std::wstring newFile = calendar.path() + L".new";
    std::thread letGo([&] {
        if (waitForFile(calendar.folder(), newFile, true, 10000))
            waitForFile(calendar.folder(), newFile, false, 200);
        reader.close();
    });
    const HRESULT deleted = series->Delete();
    letGo.join();
    EXPECT_EQ(S_OK, deleted) << "the replace waits for the reader to close the file";
    EXPECT_EQ(calendarOf(kFirst + kTodo + kLast), calendar.bytes());
    EXPECT_EQ((std::vector<std::wstring>{L"First", L"Last"}), subjectsOf(store.items.get()));
}

TEST_F(StoreWriteBackTest, ADeleteAReaderNeverAllowsFailsAndLeavesEverythingAsItWas) {
    DeviceCalendar calendar(writeBackCalendar(), centralEuropeZone());
    StoreSession store;
    ComPtr<IAppointment> series = itemAt(store.items.get(), 1);
    ASSERT_EQ(L"Series", subjectOf(series.get()));
    CalendarReader reader(calendar.path());
    ASSERT_TRUE(reader.holding());

    EXPECT_TRUE(FAILED(series->Delete())) << "a replace that never happened is no success";
    EXPECT_EQ(writeBackCalendar(), calendar.bytes());
    EXPECT_FALSE(fileExists(calendar.path() + L".new")) << "the new file is cleaned up";
    EXPECT_EQ((std::vector<std::wstring>{L"Series", L"First", L"Last"}),
              subjectsOf(store.items.get()));
    reader.close();
    EXPECT_EQ(S_OK, series->Delete()) << "once the reader is gone";
}

TEST_F(StoreWriteBackTest, DeletingAnOccurrenceAddsAnExdateWrittenLikeItsStart) {
    DeviceCalendar calendar(writeBackCalendar(), centralEuropeZone());
    NotifiedWindow window;
    StoreSession store;
    store.items->put_IncludeRecurrences(VARIANT_TRUE);
    ComPtr<IPOutlookItemCollection> day =
        restricted(store.items.get(), dayFilter(oleDate(2024, 3, 12)));
    ASSERT_EQ((std::vector<std::wstring>{L"Series"}), subjectsOf(day.get()));
    ComPtr<IAppointment> occurrence = itemAt(day.get(), 1);
    ASSERT_EQ(S_OK, occurrence->Delete());

    const std::string exdate = "EXDATE;TZID=Europe/Berlin:20240312T090000\r\n";
    std::string seriesWithExdate = kSeries;
    seriesWithExdate.insert(seriesWithExdate.find("END:VEVENT"), exdate);
    EXPECT_EQ(calendarOf(kFirst + seriesWithExdate + kTodo + kOverride + kLast), calendar.bytes());
    EXPECT_TRUE(pumpUntil([&] { return window.received(DB_CEOID_CHANGED) > 0; }, 30000));
    EXPECT_EQ(static_cast<WPARAM>(oidOf(occurrence.get())), window.lastOid(DB_CEOID_CHANGED));
    EXPECT_FALSE(restricted(store.items.get(), dayFilter(oleDate(2024, 3, 12))));

    // The moved occurrence goes with its override; the one GetOccurrence finds, by its EXDATE.
    ComPtr<IAppointment> master = itemAt(store.items.get(), 1);
    ComPtr<IRecurrencePattern> pattern;
    ASSERT_EQ(S_OK, master->GetRecurrencePattern(pattern.receive()));
    ComPtr<IAppointment> moved;
    ASSERT_EQ(S_OK, pattern->GetOccurrence(oleDate(2024, 3, 13, 15), moved.receive()));
    ASSERT_EQ(L"Series moved", subjectOf(moved.get()));
    ASSERT_EQ(S_OK, moved->Delete());
    ComPtr<IAppointment> later;
    ASSERT_EQ(S_OK, pattern->GetOccurrence(oleDate(2024, 3, 14), later.receive()));
    ASSERT_EQ(S_OK, later->Delete());
    std::string seriesWithThree = seriesWithExdate;
    seriesWithThree.insert(seriesWithThree.find("END:VEVENT"),
                           "EXDATE;TZID=Europe/Berlin:20240313T090000\r\n"
                           "EXDATE;TZID=Europe/Berlin:20240314T090000\r\n");
    EXPECT_EQ(calendarOf(kFirst + seriesWithThree + kTodo + kLast), calendar.bytes());
}

TEST_F(StoreWriteBackTest, AFileThatDoesNotParseIsReportedByLineAndNeverWritten) {
    DeviceCalendar calendar(writeBackCalendar());
    StoreSession store;
    ComPtr<IAppointment> first = itemAt(store.items.get(), 2);
    ASSERT_EQ(L"First", subjectOf(first.get()));

    // Another program leaves the file broken: an event that never ends, on line 4.
    const std::string broken = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
                               "BEGIN:VEVENT\r\nUID:first\r\nDTSTART:20240315T080000\r\n"
                               "SUMMARY:First\r\nEND:VCALENDAR\r\n";
    calendar.rewrite(broken);
    std::wstring messages;
    const PimStoreLoadReport report = loadReport(&messages);
    EXPECT_TRUE(report.fileFound);
    EXPECT_TRUE(report.rejected);
    EXPECT_GT(report.errorLine, 0);
    EXPECT_NE(std::wstring::npos, messages.find(L"line " + std::to_wstring(report.errorLine)))
        << std::string(messages.begin(), messages.end());
    EXPECT_EQ(0, report.events);

    EXPECT_TRUE(FAILED(first->Delete()));
    EXPECT_EQ(broken, calendar.bytes());
    EXPECT_EQ(0, countOf(store.items.get()));

    // A real export cut short is rejected the same way.
    calendar.rewrite(realWorldCalendar("pyical_bad_missing_end.ics"));
    EXPECT_TRUE(loadReport().rejected);

    calendar.rewrite(writeBackCalendar());
    EXPECT_FALSE(loadReport().rejected);
    EXPECT_EQ(3, loadReport().events);
}

TEST_F(StoreWriteBackTest, AnotherProgramsEditIsNoticedAndAnnounced) {
    DeviceCalendar calendar(writeBackCalendar());
    NotifiedWindow window;
    StoreSession store;
    ASSERT_EQ(3, countOf(store.items.get()));
    const long lastOid = oidOf(itemAt(store.items.get(), 3).get());

    const std::string added = eventText("added", ":20240317T080000", ":20240317T090000", "Added");
    calendar.rewrite(calendarOf(kFirst + kSeries + kTodo + kOverride + kLast + added));
    EXPECT_TRUE(pumpUntil([&] { return window.received(DB_CEOID_CREATED) > 0; }, 30000))
        << "the folder is watched";
    EXPECT_EQ(4, countOf(store.items.get())) << "the folder's items follow the file";

    const std::string renamed =
        eventText("last", ":20240316T080000", ":20240316T090000", "Last, renamed");
    calendar.overwrite(calendarOf(kFirst + kSeries + kTodo + kOverride + renamed + added));
    EXPECT_TRUE(pumpUntil([&] { return window.received(DB_CEOID_CHANGED) > 0; }, 30000));
    EXPECT_EQ(static_cast<WPARAM>(lastOid), window.lastOid(DB_CEOID_CHANGED));
    EXPECT_EQ(0, window.received(DB_CEOID_RECORD_DELETED));
}

// The item logs on only while it rebuilds; between rebuilds its window still listens.
TEST_F(StoreWriteBackTest, AnEditBetweenSessionsReachesAListeningWindowUntilItStopsListening) {
    DeviceCalendar calendar(writeBackCalendar());
    auto window = std::make_unique<NotifiedWindow>();
    {
        StoreSession store;
        ASSERT_EQ(3, countOf(store.items.get()));
    }
    // The store's own threads: the platform's and the framework's come and go as they like.
    const HMODULE storeLibrary = GetModuleHandleW(L"pimstore.dll");
    const int threadsWhileListening = testing_support::countThreadsStartedIn(storeLibrary);

    const std::string added = eventText("added", ":20240317T080000", ":20240317T090000", "Added");
    calendar.rewrite(calendarOf(kFirst + kSeries + kTodo + kOverride + kLast + added));
    EXPECT_TRUE(pumpUntil([&] { return window->received(DB_CEOID_CREATED) > 0; }, 30000))
        << "the folder is watched while a window listens, though no one is logged on";

    window.reset();
    EXPECT_EQ(1, threadsWhileListening) << "one watcher while a window listens";
    EXPECT_EQ(0, testing_support::countThreadsStartedIn(storeLibrary))
        << "the watcher ends with the last listener";
}

} // namespace
