// Nothing the user has is lost: the store's rewrite on delete replaces the file whole or not at
// all, even when the writer dies at any moment, never rewrites a file it could not read and keeps
// every byte it did not edit; and the settings come back from the registry as they were saved.
#include "listed_items.h"
#include "../interact/device_answers.h"
#include "../interact/store_calendar.h"
#include "../item/installed_programs_fixture.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "interact/appointment_actions.h"
#include "settings/options.h"

#include <calendar.h>
#include <pimstore.h>
#include <device.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file cut into its VEVENT blocks and the text between them.
struct Segment {
    bool event;
    std::string bytes;
};

std::vector<Segment> segmentsOf(const std::string& bytes) {
    std::vector<Segment> segments;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t begin = bytes.find("BEGIN:VEVENT", at);
        if (begin == std::string::npos) {
            segments.push_back({false, bytes.substr(at)});
            break;
        }
        if (begin > at)
            segments.push_back({false, bytes.substr(at, begin - at)});
        size_t end = bytes.find("END:VEVENT", begin);
        end = end == std::string::npos ? bytes.size() : bytes.find('\n', end);
        end = end == std::string::npos ? bytes.size() : end + 1;
        segments.push_back({true, bytes.substr(begin, end - begin)});
        at = end;
    }
    return segments;
}

// True when `now` is the original with some of its events taken out whole and nothing else
// changed.
bool isOriginalLessWholeEvents(const std::vector<Segment>& original, const std::string& now) {
    size_t at = 0;
    for (const Segment& segment : original) {
        if (now.compare(at, segment.bytes.size(), segment.bytes) == 0)
            at += segment.bytes.size();
        else if (!segment.event)
            return false;
    }
    return at == now.size();
}

std::wstring realWorldPath(const char* name) {
    return testDataFile(L"calendars\\" + std::wstring(name, name + std::strlen(name)));
}

int countEvents(const std::string& bytes) {
    return static_cast<int>(daybrook::ical::readCalendar(bytes).events.size());
}

// A calendar of one-off events in March 2026, the i-th called "<subject(i)> <i>".
template <typename Subject> std::string calendarOfEvents(int count, Subject subject) {
    std::string events;
    for (int i = 0; i < count; ++i) {
        char event[256];
        std::snprintf(event, sizeof event,
                      "BEGIN:VEVENT\r\nUID:e%d@tests\r\nDTSTART:202603%02dT%02d0000\r\n"
                      "DTEND:202603%02dT%02d3000\r\nSUMMARY:%s %d\r\nEND:VEVENT\r\n",
                      i, 10 + i % 20, 8 + i % 10, 10 + i % 20, 8 + i % 10, subject(i), i);
        events += event;
    }
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n" + events +
           "END:VCALENDAR\r\n";
}

class StoreRewriteTest : public testing::Test {
protected:
    void SetUp() override {
        saved = gOptions;
        gOptions.UpcomingType = UpcomingDays;
        gOptions.UpcomingCount = 7;
        gOptions.AllDay = TRUE;
        list = BuildAgenda(window.hwnd());
        ASSERT_NE(nullptr, list);
    }
    void TearDown() override {
        destroyList(list);
        gOptions = saved;
    }
    AppointmentItem* listed(const wchar_t* subject) const {
        for (int i = 0; list && i < list->count; ++i) {
            auto item = dynamic_cast<AppointmentItem*>(list->items[i]);
            if (item && item->line.subject && std::wstring(item->line.subject) == subject)
                return item;
        }
        return nullptr;
    }
    void deleteListed(const wchar_t* subject) {
        AppointmentItem* item = listed(subject);
        ASSERT_NE(nullptr, item) << utf8(subject) << " is listed";
        MessageBoxAnswer yes(IDYES);
        deleteAppointment(item, window.hwnd());
    }
    std::wstring temporary() const { return calendar.path() + L".new"; }
    // The store's first appointment in file order, as a listed line would stand for it; null
    // when there is none.
    static AppointmentItem* firstInStore() {
        IPOutlookApp* store = nullptr;
        if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IPOutlookApp, reinterpret_cast<void**>(&store))))
            return nullptr;
        AppointmentItem* first = nullptr;
        IFolder* folder = nullptr;
        IPOutlookItemCollection* items = nullptr;
        IDispatch* item = nullptr;
        IAppointment* appointment = nullptr;
        if (SUCCEEDED(store->Logon(0)) &&
            SUCCEEDED(store->GetDefaultFolder(olFolderCalendar, &folder)) &&
            SUCCEEDED(folder->get_Items(&items)) && SUCCEEDED(items->Item(1, &item)) &&
            SUCCEEDED(
                item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(&appointment)))) {
            long oid = 0;
            first = new AppointmentItem(nullptr);
            appointment->get_Oid(&oid);
            appointment->get_Start(&first->start);
            first->oid = static_cast<int>(oid);
        }
        for (IUnknown* object : std::initializer_list<IUnknown*>{appointment, item, items, folder})
            if (object)
                object->Release();
        store->Logoff();
        store->Release();
        return first;
    }

    DeviceCalendarFile calendar{sweepCalendar()};
    TestWindow window;
    AgendaList* list = nullptr;
    Options saved;
};

// A program that writes its own temporary file and renames it over the calendar leaves, when it
// dies in between, the whole old file and a whole new one beside it.
TEST_F(StoreRewriteTest, ARewriteCutOffBeforeTheReplaceLeavesTheOldFileInForce) {
    const std::string original = calendar.contents();
    const std::string abandoned = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n";
    writeFileBytes(temporary(), abandoned);
    destroyList(list);
    list = BuildAgenda(window.hwnd());
    EXPECT_NE(nullptr, listed(L"Review")) << "the store reads the old file, not the abandoned one";
    deleteListed(L"Dentist");
    const std::string after = calendar.contents();
    EXPECT_EQ(countEvents(original) - 1, countEvents(after));
    EXPECT_TRUE(isOriginalLessWholeEvents(segmentsOf(original), after))
        << "the next rewrite starts from the old file:\n"
        << after;
    EXPECT_FALSE(fileExists(temporary())) << "and takes the abandoned file's place";
}

TEST_F(StoreRewriteTest, ARewriteThatCannotWriteItsNewFileLeavesTheOldOneAlone) {
    const std::string original = calendar.contents();
    ASSERT_TRUE(CreateDirectoryW(temporary().c_str(), nullptr));
    deleteListed(L"Dentist");
    EXPECT_EQ(original, calendar.contents());
    EXPECT_EQ(0, listed(L"Dentist")->line.struck) << "a delete that failed is not shown as done";
    RemoveDirectoryW(temporary().c_str());
}

TEST_F(StoreRewriteTest, ARewriteThatCannotReplaceTheFileLeavesItAloneAndCleansUp) {
    const std::string original = calendar.contents();
    SetFileAttributesW(calendar.path().c_str(), FILE_ATTRIBUTE_READONLY);
    deleteListed(L"Dentist");
    SetFileAttributesW(calendar.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    if (listed(L"Dentist")->line.struck == 0) {
        EXPECT_EQ(original, calendar.contents()) << "a refused replace changes nothing";
        EXPECT_FALSE(fileExists(temporary())) << "and leaves no new file behind";
    } else {
        // The platform lets a rename replace a read-only file: then the delete is whole.
        EXPECT_TRUE(isOriginalLessWholeEvents(segmentsOf(original), calendar.contents()));
        EXPECT_EQ(countEvents(original) - 1, countEvents(calendar.contents()));
    }
}

// The writer program, started with the name of an event it sets just before its first delete.
class Writer {
public:
    // With a subject start it deletes only the appointments whose subject begins so.
    Writer(const std::wstring& program, int round, const std::wstring& subjectStart = L"") {
        char name[64];
        std::snprintf(name, sizeof name, "daybrook-deleter-%lu-%d", GetCurrentProcessId(), round);
        started_ = CreateEventA(nullptr, TRUE, FALSE, name);
        std::wstring commandLine =
            L"\"" + program + L"\" " + std::wstring(name, name + std::strlen(name));
        if (!subjectStart.empty())
            commandLine += L" " + subjectStart;
        // Launching is not what is tested: a launch refused for a moment is tried again.
        for (int attempt = 0; attempt < 5 && !process_.hProcess; ++attempt) {
            STARTUPINFOW startup = {};
            startup.cb = sizeof startup;
            if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &process_))
                break;
            process_ = {};
            launchErrors_ += " " + std::to_string(GetLastError());
            Sleep(100u << attempt);
        }
    }
    ~Writer() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, kKilled);
            WaitForSingleObject(process_.hProcess, INFINITE);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        if (started_)
            CloseHandle(started_);
    }
    bool launched() const { return process_.hProcess != nullptr; }
    // The errors of the launches that failed, for the failure message.
    const std::string& launchErrors() const { return launchErrors_; }
    // Waits until it begins deleting; false when it ended first or never began.
    bool waitUntilStarted() {
        HANDLE either[] = {started_, process_.hProcess};
        return WaitForMultipleObjects(2, either, FALSE, kGenerousWait) == WAIT_OBJECT_0;
    }
    // Lets it run for at most this long, then ends it; its exit code.
    DWORD endAfter(DWORD milliseconds) {
        if (WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, kKilled);
        WaitForSingleObject(process_.hProcess, kGenerousWait);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    static constexpr DWORD kAllDeleted = 0;
    static constexpr DWORD kKilled = 9;

private:
    static constexpr DWORD kGenerousWait = 120000;
    HANDLE started_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    std::string launchErrors_;
};

// The writer ended at any moment, as a crash or a pulled battery would: the file is always whole,
// the old one or the new one. Nothing here opens the file while the writer runs: the platform
// refuses to rename over a file that anyone holds open, and the writer's deletes would fail.
TEST_F(StoreRewriteTest, AWriterKilledAtAnyMomentLeavesAWholeFile) {
    // Enough events that the writer's work takes a while: it is ended somewhere inside it.
    const std::string original = calendarOfEvents(60, [](int) { return "Event"; });
    const std::vector<Segment> segments = segmentsOf(original);
    const std::wstring program = programFolder() + L"\\calendar_deleter.exe";
    // The first round runs whole: its length is the span the later rounds are ended within.
    DWORD wholeRun = 0;
    int cutShort = 0;
    std::mt19937 random(20261209);
    const int kRounds = 12;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_TRUE(removeFile(temporary())) << "round " << round << " starts clean";
        ASSERT_TRUE(calendar.rewrite(original)) << "round " << round << " starts clean";
        Writer writer(program, round);
        ASSERT_TRUE(writer.launched())
            << "round " << round << ": the writer starts (errors:" << writer.launchErrors() << ")";
        ASSERT_TRUE(writer.waitUntilStarted()) << "round " << round << ": the writer begins";
        const ULONGLONG begun = GetTickCount64();
        const DWORD delay =
            round == 0 ? 120000 : std::uniform_int_distribution<DWORD>(0, wholeRun)(random);
        const DWORD code = writer.endAfter(delay);
        if (round == 0) {
            ASSERT_EQ(Writer::kAllDeleted, code) << "the first writer runs to its end";
            wholeRun = static_cast<DWORD>((GetTickCount64() - begun) * 11 / 10) + 1;
        }
        const std::string now = calendar.contents();
        EXPECT_FALSE(daybrook::ical::readCalendar(now).rejected)
            << "round " << round << ": the file is a whole calendar";
        EXPECT_TRUE(isOriginalLessWholeEvents(segments, now))
            << "round " << round << ": the file is the old one less whole events:\n"
            << now;
        if (code == Writer::kKilled) {
            ++cutShort;
            continue;
        }
        ASSERT_EQ(Writer::kAllDeleted, code)
            << "round " << round << ": a writer that was not ended deletes everything";
        EXPECT_EQ(0, countEvents(now)) << "round " << round << ": every event is gone";
        EXPECT_FALSE(fileExists(temporary())) << "round " << round << ": and no new file is left";
    }
    EXPECT_GT(cutShort, 0) << "some writers are ended in the middle of their work";
    std::printf("[ figures  ] a whole run: %lu ms; writers ended in their work: %d of %d\n",
                static_cast<unsigned long>(wholeRun), cutShort, kRounds);
}

// The Today screen and the Calendar program deleting from one calendar at once: neither writes
// its edit over the other's, so every delete that reports done stays done.
TEST_F(StoreRewriteTest, TwoProgramsDeletingAtOnceKeepEachOthersDeletes) {
    ASSERT_TRUE(calendar.rewrite(
        calendarOfEvents(40, [](int i) { return i % 2 ? "Morning" : "Evening"; })));
    const std::wstring program = programFolder() + L"\\calendar_deleter.exe";
    Writer mornings(program, 100, L"Morning");
    Writer evenings(program, 101, L"Evening");
    ASSERT_TRUE(mornings.launched() && evenings.launched())
        << "both start (errors:" << mornings.launchErrors() << evenings.launchErrors() << ")";
    const DWORD morningsCode = mornings.endAfter(120000);
    const DWORD eveningsCode = evenings.endAfter(120000);
    EXPECT_EQ(Writer::kAllDeleted, morningsCode) << "every delete of the first program succeeds";
    EXPECT_EQ(Writer::kAllDeleted, eveningsCode) << "every delete of the second program succeeds";
    const std::string now = calendar.contents();
    EXPECT_EQ(0, countEvents(now)) << "no delete came undone:\n" << now;
    EXPECT_FALSE(fileExists(temporary())) << "and no new file is left";
}

// Every real export the store accepts loses exactly the deleted event and not one byte more;
// every one it rejects is never written.
TEST_F(StoreRewriteTest, DeletingFromRealExportsKeepsEveryByteOfTheRest) {
    const char* files[] = {"icaljs_google_daily_tz.ics",
                           "ical4j_outlook12_busy_weekly.ics",
                           "pyical_apple_location_escapes.ics",
                           "icsparser_exchange_tentative_broken_unfold.ics",
                           "hebcal_hebrew_bidi_excerpt.ics",
                           "thunderbird_latin1_not_utf8.ics",
                           "ical4j_apple_monthly_allday_overrides.ics",
                           "icaljs_recurrence_id_exdate_rdate.ics",
                           "pyical_bad_stray_line.ics",
                           "pyical_bad_missing_end.ics"};
    for (const char* name : files) {
        const std::string original = readFileBytes(realWorldPath(name));
        ASSERT_FALSE(original.empty()) << name;
        calendar.rewrite(original);
        const bool rejected = daybrook::ical::readCalendar(original).rejected;
        AppointmentItem* first = firstInStore();
        if (rejected) {
            EXPECT_EQ(nullptr, first) << name << " is rejected and shows nothing";
            EXPECT_EQ(original, calendar.contents()) << name << " is never written";
            delete first;
            continue;
        }
        ASSERT_NE(nullptr, first) << name << " has an appointment";
        {
            MessageBoxAnswer yes(IDYES);
            deleteAppointment(first, window.hwnd());
        }
        delete first;
        const std::string after = calendar.contents();
        EXPECT_NE(original, after) << name;
        EXPECT_TRUE(isOriginalLessWholeEvents(segmentsOf(original), after))
            << name << " keeps every byte of what was not deleted";
        EXPECT_FALSE(daybrook::ical::readCalendar(after).rejected) << name;
    }
}

// Values that differ from the defaults and from each other in every field.
Options randomOptions(std::mt19937& random, DWORD installed) {
    auto any = [&] { return static_cast<DWORD>(random()); };
    Options options;
    options.Painter = any() % 14;
    options.UpcomingCount = 1 + any() % 31;
    options.UpcomingType = 1 + any() % 5;
    options.AllDay = static_cast<BOOL>(any() % 3 == 0 ? any() : any() % 2);
    options.WordWrap = static_cast<BOOL>(any() % 2);
    options.ShowCompleted = static_cast<BOOL>(any() % 3 == 0 ? any() : any() % 2);
    options.ShowEmptyDays = static_cast<BOOL>(any() % 2);
    options.AppointmentFontBold = static_cast<BOOL>(any());
    options.DateFontBold = static_cast<BOOL>(any() % 2);
    // Sizes as the registry holds them: whole tenths.
    options.AppointmentFontSize = static_cast<float>(any() % 200000) * 0.1f;
    options.DateFontSize = static_cast<float>(any() % 120) * 0.1f;
    options.FreeColor = any() % 4 == 0 ? ColorNone : any() & 0x00FFFFFF;
    options.TentativeColor = any();
    options.ConflictColor = any() & 0x00FFFFFF;
    const DWORD programs[] = {0, 1, 2};
    options.ActivePIM = programs[any() % 3] & installed;
    return options;
}

} // namespace

TEST(SettingsRoundTrip, EverySavedValueComesBackFromTheRegistry) {
    EmulatedPrograms programs;
    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PITools.dll");
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    const Options saved = gOptions;
    std::mt19937 random(20261208);
    for (int round = 0; round < 400; ++round) {
        const Options chosen = randomOptions(random, 3);
        gOptions = chosen;
        ASSERT_EQ(ERROR_SUCCESS, saveOptions());
        gOptions = randomOptions(random, 3);
        ASSERT_EQ(ERROR_SUCCESS, loadOptions());
        ASSERT_EQ(0, std::memcmp(&chosen, &gOptions, sizeof chosen))
            << "round " << round << ": every field comes back as it was saved";
    }
    // Sizes across everything the registry can hold, 0 to 6553.5 points.
    for (DWORD tenths = 0; tenths <= 65535; tenths += 61) {
        gOptions.AppointmentFontSize = static_cast<float>(tenths) * 0.1f;
        gOptions.DateFontSize = static_cast<float>(65535 - tenths) * 0.1f;
        const Options chosen = gOptions;
        saveOptions();
        gOptions.AppointmentFontSize = -1;
        gOptions.DateFontSize = -1;
        loadOptions();
        ASSERT_EQ(0, std::memcmp(&chosen, &gOptions, sizeof chosen)) << tenths << " tenths";
    }
    gOptions = saved;
}
