// The item's start and stop through the real library, the way the Today screen drives it.
#include "host/host_state.h"
#include "host/item_host.h"
#include "test_support.h"

#include <background_work.h>

#include <device.h>
#include <gtest/gtest.h>
#include <todaycmn.h>

using namespace testing_support;

namespace {

class ItemLibrary {
public:
    ItemLibrary() {
        library_ = LoadLibraryW(L"daybrook.dll");
        initialize_ = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(reinterpret_cast<void*>(
            GetProcAddress(library_, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
    }
    ~ItemLibrary() { FreeLibrary(library_); }
    HMODULE module() const { return library_; }
    bool ready() const { return initialize_ != nullptr; }
    HWND initialize(TODAYLISTITEM* record, HWND parent) { return initialize_(record, parent); }
    TODAYLISTITEM record(BOOL enabled = TRUE) const {
        TODAYLISTITEM item = {};
        lstrcpyW(item.szName, L"Daybrook");
        item.tlit = tlitCustom;
        item.fEnabled = enabled;
        item.hinstDLL = library_;
        return item;
    }
    bool classRegistered() const {
        WNDCLASSW info;
        return GetClassInfoW(library_, L"DaybrookClass", &info) != FALSE;
    }

private:
    HMODULE library_;
    PFNCUSTOMINITIALIZEITEM initialize_;
};

class LifecycleTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(item.ready()) << "daybrook.dll exports ordinal 240";
        DeviceSetScreen(DeviceScreenQvga, FALSE);
    }
    void TearDown() override { DeviceSetScreen(DeviceScreenQvga, FALSE); }
    ItemLibrary item;
    TestWindow parent{240, 320};
};

bool comUninitialisedOnThisThread() {
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_OK; // S_FALSE or RPC_E_CHANGED_MODE: still initialised
}

// The item's own threads: Wine's and the test framework's workers come and go by themselves.
int itemThreads(HMODULE module) {
    return countThreadsStartedIn(module);
}

} // namespace

TEST_F(LifecycleTest, ADisabledItemCreatesNothing) {
    TODAYLISTITEM record = item.record(FALSE);
    EXPECT_EQ(nullptr, item.initialize(&record, parent.hwnd()));
    EXPECT_FALSE(item.classRegistered()) << "no class is left registered";
    EXPECT_EQ(0, itemThreads(item.module())) << "no loader thread";
    EXPECT_EQ(0, DeviceCountDatabaseNotifyWindows());
}

TEST_F(LifecycleTest, TheItemWindowStartsZeroHighAcrossItsParent) {
    TODAYLISTITEM record = item.record();
    HWND window = item.initialize(&record, parent.hwnd());
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(item.classRegistered());
    EXPECT_EQ(parent.hwnd(), GetParent(window));
    EXPECT_EQ(static_cast<LONG>(WS_VISIBLE | WS_CHILD), GetWindowLongW(window, GWL_STYLE));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(240, rect.right - rect.left) << "as wide as the parent's client area";
    EXPECT_EQ(0, rect.bottom - rect.top) << "0 high until the first refresh query";
    EXPECT_EQ(1, DeviceCountDatabaseNotifyWindows())
        << "the item listens to the store's change notifications";
    DestroyWindow(window);
    EXPECT_EQ(0, DeviceCountDatabaseNotifyWindows()) << "the notification handle is closed";
}

TEST_F(LifecycleTest, AParentWithoutWidthGivesAScreenWideItem) {
    DeviceSetScreen(DeviceScreenVga, FALSE);
    TestWindow narrow(0, 100);
    TODAYLISTITEM record = item.record();
    HWND window = item.initialize(&record, narrow.hwnd());
    ASSERT_NE(nullptr, window);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(480, rect.right - rect.left) << "the width of the device's VGA screen";
    DestroyWindow(window);
}

TEST_F(LifecycleTest, AWindowThatCannotBeCreatedIsReported) {
    MessageBoxRecorder boxes;
    HWND gone;
    {
        TestWindow temporary;
        gone = temporary.hwnd();
    }
    TODAYLISTITEM record = item.record();
    EXPECT_EQ(nullptr, item.initialize(&record, gone));
    ASSERT_EQ(1u, boxes.boxes().size()) << "one message box";
    EXPECT_EQ(L"Unable to create today window: 1400", boxes.boxes()[0].text)
        << "the last error is ERROR_INVALID_WINDOW_HANDLE";
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.boxes()[0].type);
    EXPECT_EQ(nullptr, boxes.boxes()[0].owner);
    EXPECT_EQ(0, itemThreads(item.module())) << "no loader is started";
    EXPECT_EQ(0, DeviceCountDatabaseNotifyWindows());
    UnregisterClassW(L"DaybrookClass", item.module());
}

TEST_F(LifecycleTest, StartingAndStoppingAgainRenewsEverythingAndLeaksNothing) {
    TODAYLISTITEM record = item.record();
    // A first round with a whole build settles what the process creates once: COM, the window
    // station's caches, and the appointment store with its watcher thread.
    watchBackgroundWork(item.module());
    HWND first = item.initialize(&record, parent.hwnd());
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(pumpUntil(firstBackgroundWorkDone, 60000)) << "the first build ends";
    DestroyWindow(first);
    pumpMessages(0);
    const DWORD handles = countProcessHandles();
    ASSERT_GT(handles, 0u) << "the handles are counted";

    const int kRounds = 10;
    for (int round = 0; round < kRounds; ++round) {
        watchBackgroundWork(item.module());
        HWND window = item.initialize(&record, parent.hwnd());
        ASSERT_NE(nullptr, window) << "round " << round;
        // Wine names a new thread's start only once the thread has begun to run.
        EXPECT_TRUE(pumpUntil([&] { return itemThreads(item.module()) > 0; }, 60000))
            << "the loader starts, round " << round;
        EXPECT_EQ(1, itemThreads(item.module())) << "one loader thread runs, round " << round;
        EXPECT_FALSE(comUninitialisedOnThisThread()) << "COM is initialised for the item";
        // Stopped in the middle of its first build, or after it.
        if (round % 2) {
            EXPECT_TRUE(pumpUntil(firstBackgroundWorkDone, 60000)) << "round " << round;
        }
        DestroyWindow(window);
        EXPECT_EQ(0, itemThreads(item.module())) << "the loader has ended, round " << round;
        EXPECT_TRUE(comUninitialisedOnThisThread()) << "COM is released, round " << round;
    }
    // Wine's own workers open and close a few handles of their own as they come and go; a
    // handle left open by each round would add at least one a round.
    EXPECT_LT(countProcessHandles(), handles + kRounds)
        << "no handle is left open each round (" << handles << " after the first)";
}

TEST(LibraryUnload, UnloadingTheLibraryRemovesItsWindowClass) {
    HINSTANCE instance;
    {
        ItemLibrary item;
        TestWindow parent;
        TODAYLISTITEM record = item.record();
        instance = item.module();
        HWND window = item.initialize(&record, parent.hwnd());
        ASSERT_NE(nullptr, window);
        DestroyWindow(window);
        // The class cannot go while its window is being destroyed; the next start or the
        // unload removes it.
    }
    ASSERT_EQ(nullptr, GetModuleHandleW(L"daybrook.dll")) << "the library is unloaded";
    WNDCLASSW info;
    EXPECT_FALSE(GetClassInfoW(instance, L"DaybrookClass", &info))
        << "no class is left pointing into an unloaded library";
}

// The item installed in a folder of its own with the German language module beside it, so that
// the test can see whether the module stays loaded and can delete its file.
TEST(LibraryUnload, ALanguageModuleGoesWithTheLibraryAfterAnyNumberOfLoadsAndLocaleChanges) {
    TempFolder installed;
    std::wstring library = installed.file(L"daybrook.dll");
    std::wstring german = installed.file(L"DaybrookUI-DEU.dll");
    ASSERT_TRUE(copyFile(joinPath(programFolder(), L"daybrook.dll"), library));
    ASSERT_TRUE(copyFile(joinPath(programFolder(), L"DaybrookUI-DEU.dll"), german));
    TempFolder calendarFolder;
    std::wstring calendar = calendarFolder.file(L"empty.ics");
    ASSERT_TRUE(writeFileBytes(calendar, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n"));
    DeviceSetCalendarFile(calendar.c_str()); // every build says "No upcoming appointments"
    TestWindow parent;
    for (int load = 0; load < 3; ++load) {
        DeviceSetLocale(0x0407, 0x0407);
        HMODULE module = LoadLibraryW(library.c_str());
        ASSERT_NE(nullptr, module);
        auto initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(reinterpret_cast<void*>(
            GetProcAddress(module, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
        TODAYLISTITEM record = {};
        record.fEnabled = TRUE;
        record.hinstDLL = module;
        HWND window = initialize(&record, parent.hwnd());
        ASSERT_NE(nullptr, window);
        auto query = [&] {
            SendMessageW(window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                         reinterpret_cast<WPARAM>(&record), 0);
        };
        query(); // the placeholder's text comes from the German module
        ASSERT_NE(nullptr, GetModuleHandleW(german.c_str())) << "load " << load;
        // Austrian German has no module of its own: the next build chooses the German one again.
        DeviceSetLocale(0x0C07, 0x0C07);
        query();
        EXPECT_TRUE(pumpUntil([&] { return GetModuleHandleW(german.c_str()) != nullptr; }, 10000))
            << "the build after the locale change loads the module again, load " << load;
        DestroyWindow(window);
        FreeLibrary(module);
        ASSERT_EQ(nullptr, GetModuleHandleW(library.c_str()));
        EXPECT_EQ(nullptr, GetModuleHandleW(german.c_str()))
            << "the language module is released with the library, load " << load;
    }
    DeviceSetLocale(0x0409, 0x0409);
    DeviceSetCalendarFile(nullptr);
    EXPECT_TRUE(DeleteFileW(german.c_str()))
        << "an uninstalled language module can be deleted; error " << GetLastError();
}

TEST(Landscape, OnlyAWiderThanHighScreenIsLandscape) {
    struct Case {
        LONG width, height;
        bool landscape;
    } cases[] = {{240, 320, false}, {320, 240, true}, {240, 240, false}, {640, 480, true}};
    for (const Case& c : cases) {
        gHost.screenWidth = c.width;
        gHost.screenHeight = c.height;
        EXPECT_EQ(c.landscape, isLandscape()) << c.width << "x" << c.height;
    }
}
