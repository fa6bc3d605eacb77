// The item under pressure: refresh queries as fast as the Today screen can send them while
// another program rewrites the calendar every few milliseconds, and the item destroyed and
// initialised again again and again. Nothing crashes or deadlocks, memory and handles do not grow,
// and once the file stops changing the list shows what it holds.
//
// DAYBROOK_STRESS_QUERIES and DAYBROOK_STRESS_CYCLES set the queries and the re-initialisations
// (3,000 and 30 by default, for the test command; scripts/stress.sh runs 10,000 and 100, or as
// many as it is given).
#include "../interact/store_calendar.h"

#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "host/item_host.h"
#include "settings/options.h"

#include <device.h>
#include <gtest/gtest.h>
#include <psapi.h>
#include <todaycmn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";

int setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    int number = value ? std::atoi(value) : 0;
    return number > 0 ? number : fallback;
}

// The process's committed private memory.
SIZE_T privateBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

int openHandles() {
    return static_cast<int>(countProcessHandles());
}

// The calendar of one generation: a few appointments today and tomorrow whose subjects carry the
// generation, so that every rewrite changes what the item must show.
std::string calendarOf(int generation, const char* prefix = "G") {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n";
    const int events = 1 + generation % 5;
    for (int i = 0; i < events; ++i) {
        char event[320];
        std::snprintf(event, sizeof event,
                      "BEGIN:VEVENT\r\nUID:e%d@tests\r\nDTSTART:202603%02dT%02d0000\r\n"
                      "DTEND:202603%02dT%02d3000\r\nSUMMARY:%s%d %d\r\nEND:VEVENT\r\n",
                      i, 10 + i % 2, 9 + i, 10 + i % 2, 9 + i, prefix, generation, i);
        text += event;
    }
    return text + "END:VCALENDAR\r\n";
}

// Another program rewriting the calendar: in place (so that a reader may meet it half written)
// and by renaming a finished copy over it, a few milliseconds apart.
class CalendarWriter {
public:
    explicit CalendarWriter(const std::wstring& path) : path_(path) {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, run, this, 0, nullptr);
    }
    ~CalendarWriter() { finish(); }
    // Stops writing; returns how many rewrites there were.
    int finish() {
        if (thread_) {
            SetEvent(stop_);
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            CloseHandle(stop_);
            thread_ = nullptr;
        }
        return generation_;
    }

private:
    static DWORD WINAPI run(void* self) {
        static_cast<CalendarWriter*>(self)->write();
        return 0;
    }
    void write() {
        const std::wstring copy = path_ + L".writer";
        while (WaitForSingleObject(stop_, 2 + generation_ % 4) == WAIT_TIMEOUT) {
            const std::string text = calendarOf(++generation_);
            const bool inPlace = generation_ % 2 == 0;
            HANDLE file = CreateFileW(inPlace ? path_.c_str() : copy.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                continue; // the reader holds it: next time
            const DWORD half = static_cast<DWORD>(text.size() / 2);
            DWORD written = 0;
            WriteFile(file, text.data(), half, &written, nullptr);
            WriteFile(file, text.data() + half, static_cast<DWORD>(text.size()) - half, &written,
                      nullptr);
            CloseHandle(file);
            if (!inPlace)
                MoveFileExW(copy.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }

    std::wstring path_;
    HANDLE stop_;
    HANDLE thread_;
    volatile int generation_ = 0;
};

// The Today screen's window, answering its colour and watermark messages without keeping any.
class QuietToday {
public:
    QuietToday() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"StressTodayScreen";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"StressTodayScreen", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240,
                                  320, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~QuietToday() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }

private:
    QuietToday(const QuietToday&) = delete;
    QuietToday& operator=(const QuietToday&) = delete;
    HWND window_;
};

void dispatchQueued() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::vector<std::wstring> shownSubjects() {
    std::vector<std::wstring> subjects;
    AgendaList* list = gHost.currentList;
    for (int i = 0; list && i < list->count; ++i)
        if (auto item = dynamic_cast<AppointmentItem*>(list->items[i]))
            subjects.push_back(item->line.subject ? item->line.subject : L"");
    return subjects;
}

class StressTest : public testing::Test {
protected:
    void SetUp() override {
        settings.setDword(L"UpcomingType", UpcomingDays);
        settings.setDword(L"UpcomingCount", 3);
        record.tlit = tlitCustom;
        record.fEnabled = TRUE;
        record.hinstDLL = GetModuleHandleW(nullptr);
        lstrcpyW(record.szName, L"Daybrook");
    }
    HWND initialise() {
        record.cyp = 0;
        record.hwndCustom = InitializeCustomItem(&record, today.hwnd());
        return record.hwndCustom;
    }
    BOOL query() {
        return static_cast<BOOL>(SendMessageW(record.hwndCustom, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                                              reinterpret_cast<WPARAM>(&record), 0));
    }

    ScopedRegistryKey settings{HKEY_CURRENT_USER, kSettingsKey};
    DeviceCalendarFile calendar{calendarOf(0)};
    QuietToday today;
    TODAYLISTITEM record = {};
};

} // namespace

TEST_F(StressTest, QueriesWhileTheFileChangesAndTheItemComesAndGoes) {
    const int queries = setting("DAYBROOK_STRESS_QUERIES", 3000);
    const int cycles = setting("DAYBROOK_STRESS_CYCLES", 30);
    const int queriesPerCycle = queries / cycles > 0 ? queries / cycles : 1;
    // Threads of this program's own code that were there before (the platform may run some).
    const int ownThreadsBefore = countThreadsStartedIn(GetModuleHandleW(nullptr));
    ASSERT_NE(nullptr, initialise());
    CalendarWriter writer(calendar.path());
    int reinitialised = 0;
    int changes = 0;
    int handlesAfterWarmUp = 0;
    SIZE_T bytesAfterWarmUp = 0;
    for (int sent = 1; sent <= queries; ++sent) {
        changes += query() ? 1 : 0;
        dispatchQueued();
        if (sent % queriesPerCycle != 0 || reinitialised >= cycles)
            continue;
        DestroyWindow(record.hwndCustom);
        dispatchQueued();
        // The first rounds fill the caches every process keeps (fonts, the store's snapshot).
        // Counted between two items, as at the end: no loader and no store session open.
        if (reinitialised == 2) {
            handlesAfterWarmUp = openHandles();
            bytesAfterWarmUp = privateBytes();
        }
        ASSERT_NE(nullptr, initialise()) << "initialisation " << reinitialised + 1;
        ++reinitialised;
    }

    const int rewrites = writer.finish();

    // The file stops changing: the list comes to show exactly what it holds.
    calendar.rewrite(calendarOf(4, "Final "));
    const std::vector<std::wstring> expected = {L"Final 4 0", L"Final 4 2", L"Final 4 4",
                                                L"Final 4 1", L"Final 4 3"};
    EXPECT_TRUE(pumpUntil(
        [&] {
            query();
            return shownSubjects() == expected;
        },
        30000))
        << "the list settles on the file's appointments";
    DestroyWindow(record.hwndCustom);
    dispatchQueued();
    const int handlesAtEnd = openHandles();
    const SIZE_T bytesAtEnd = privateBytes();

    EXPECT_EQ(cycles, reinitialised);
    // The writer's handles and the platform's own come and go by a few; a handle lost by every
    // item would add one per initialisation counted.
    const int counted = cycles - 2;
    EXPECT_LT(handlesAtEnd - handlesAfterWarmUp, counted / 2 + 1)
        << "handles after the warm-up " << handlesAfterWarmUp << ", at the end " << handlesAtEnd;
    EXPECT_LE(bytesAtEnd, bytesAfterWarmUp + 4 * 1024 * 1024)
        << "private bytes after the warm-up " << bytesAfterWarmUp << ", at the end " << bytesAtEnd;
    EXPECT_EQ(ownThreadsBefore, countThreadsStartedIn(GetModuleHandleW(nullptr)))
        << "the loader ended with the last item";
    std::printf("[ figures  ] stress: %d refresh queries (%d answered TRUE), %d initialisations, "
                "%d rewrites of the calendar; handles %d -> %d, private bytes %lu -> %lu\n",
                queries, changes, reinitialised + 1, rewrites, handlesAfterWarmUp, handlesAtEnd,
                static_cast<unsigned long>(bytesAfterWarmUp),
                static_cast<unsigned long>(bytesAtEnd));
}
