// The background loader on a real thread, building from the real store.
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "host/item_host.h"
#include "settings/options.h"
#include "test_support.h"

#include <device.h>
#include <todaycmn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace testing_support;

namespace {

LONG stateOf() {
    EnterCriticalSection(&gHost.lock);
    LONG state = gHost.loaderState;
    LeaveCriticalSection(&gHost.lock);
    return state;
}

AgendaList* pendingOf() {
    EnterCriticalSection(&gHost.lock);
    AgendaList* list = gHost.pendingList;
    LeaveCriticalSection(&gHost.lock);
    return list;
}

class LoaderTest : public testing::Test {
protected:
    void SetUp() override {
        saved = gOptions;
        // Hours mode walks every day of the horizon: a build that takes a while.
        gOptions.UpcomingType = UpcomingHours;
        gOptions.UpcomingCount = 1;
        std::wstring path = folder.file(L"busy.ics");
        FILE* file = _wfopen(path.c_str(), L"wb");
        std::fputs("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n", file);
        for (int i = 0; i < 3000; ++i)
            std::fprintf(file,
                         "BEGIN:VEVENT\r\nUID:e%d\r\nSUMMARY:Event %d\r\nDTSTART:2031%02d%02dT"
                         "100000\r\nDTEND:2031%02d%02dT110000\r\nEND:VEVENT\r\n",
                         i, i, i % 12 + 1, i % 28 + 1, i % 12 + 1, i % 28 + 1);
        std::fputs("END:VCALENDAR\r\n", file);
        std::fclose(file);
        DeviceSetCalendarFile(path.c_str());
        gHost.wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        gHost.loaderState = Idle;
    }
    void TearDown() override {
        if (thread) {
            stop();
            CloseHandle(thread);
        }
        CloseHandle(gHost.wakeEvent);
        gHost.wakeEvent = nullptr;
        destroyList(gHost.pendingList);
        gHost.pendingList = nullptr;
        gHost.loaderState = Idle;
        gOptions = saved;
        DeviceSetCalendarFile(nullptr);
    }
    void start() {
        thread = CreateThread(nullptr, 0, LoaderThread, item, 0, nullptr);
        ASSERT_NE(nullptr, thread);
    }
    void request(LONG state) {
        EnterCriticalSection(&gHost.lock);
        gHost.loaderState = state;
        SetEvent(gHost.wakeEvent);
        LeaveCriticalSection(&gHost.lock);
    }
    // Answers what the loader sends this thread's windows while it waits for the thread to end.
    bool stop() {
        request(Stop);
        bool ended =
            pumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000);
        DWORD code = 1;
        GetExitCodeThread(thread, &code);
        EXPECT_EQ(0u, code) << "an orderly stop";
        CloseHandle(thread);
        thread = nullptr;
        return ended;
    }
    // A build that counts lines paints what it lists and asks the Today screen (the parent) for
    // colours: it then waits inside the build until this thread answers.
    void listLines() {
        gOptions.UpcomingType = UpcomingLines;
        gOptions.UpcomingCount = 31;
    }
    // Waits, answering nothing, until the build asks the parent something.
    static bool waitUntilTheBuildAsks() {
        const ULONGLONG end = GetTickCount64() + 20000;
        while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) {
            if (GetTickCount64() > end)
                return false;
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_SENDMESSAGE, 0);
        }
        return true;
    }
    // Waits until the loader has taken the wake-up (the event resets itself as it wakes); a look
    // that finds it still set sets it again.
    static bool waitUntilTheWakeUpIsTaken() {
        return pumpUntil(
            [] {
                if (WaitForSingleObject(gHost.wakeEvent, 0) == WAIT_TIMEOUT)
                    return true;
                SetEvent(gHost.wakeEvent);
                return false;
            },
            20000);
    }

    Options saved;
    TempFolder folder;
    TestWindow screen;
    HWND item = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 240, 320, screen.hwnd(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    HANDLE thread = nullptr;
};

} // namespace

TEST_F(LoaderTest, AStopWhileIdleEndsTheThreadAtOnce) {
    start();
    EXPECT_EQ(Idle, stateOf());
    EXPECT_TRUE(stop());
    EXPECT_EQ(nullptr, pendingOf()) << "nothing was asked for, nothing was built";
}

TEST_F(LoaderTest, AReloadParksANewListAndReturnsToIdle) {
    start();
    request(Reload);
    ASSERT_TRUE(pumpUntil([] { return stateOf() == Idle; }, 20000));
    ASSERT_NE(nullptr, pendingOf());
    EXPECT_GT(pendingOf()->count, 0);
}

TEST_F(LoaderTest, TwoWakeUpsDuringABuildCauseNoSecondBuild) {
    listLines();
    start();
    request(Reload);
    ASSERT_TRUE(waitUntilTheBuildAsks());
    SetEvent(gHost.wakeEvent);
    SetEvent(gHost.wakeEvent);
    ASSERT_TRUE(pumpUntil([] { return stateOf() == Idle && pendingOf(); }, 20000));
    const int questionsOfOneBuild = screen.received(TODAYM_GETCOLOR);
    ASSERT_TRUE(waitUntilTheWakeUpIsTaken());
    EXPECT_TRUE(stop());
    EXPECT_EQ(questionsOfOneBuild, screen.received(TODAYM_GETCOLOR))
        << "the extra wake-up found Idle and built nothing";
}

TEST_F(LoaderTest, AStopDuringABuildWaitsForTheBuildAndKeepsItsList) {
    listLines();
    start();
    request(Reload);
    ASSERT_TRUE(waitUntilTheBuildAsks());
    EXPECT_TRUE(stop()) << "the thread ends right after the build";
    EXPECT_EQ(Stop, stateOf()) << "a stop is never turned back into Idle";
    EXPECT_NE(nullptr, pendingOf()) << "the finished list waits for the shutdown to free it";
}

TEST_F(LoaderTest, ANewerListReplacesOneTheWindowNeverTook) {
    start();
    request(Reload);
    ASSERT_TRUE(pumpUntil([] { return stateOf() == Idle && pendingOf(); }, 20000));
    AgendaList* first = pendingOf();
    request(Reload);
    ASSERT_TRUE(pumpUntil([&] { return stateOf() == Idle && pendingOf() != first; }, 20000))
        << "only the newest list is kept";
}
