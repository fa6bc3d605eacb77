// The item window's side of the Today screen's protocol, on a real window driven by real messages.
// The loader is not running here: the tests play its part through the host state.
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "host/host_state.h"
#include "host/item_host.h"
#include "host/item_window.h"
#include "host/resource_module.h"
#include "test_support.h"

#include <device.h>
#include <gtest/gtest.h>
#include <todaycmn.h>
#include <windbase.h>

#include <new>

using namespace testing_support;

namespace {

const wchar_t kTestItemClass[] = L"DaybrookProtocolTest";

double localNow() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    double now;
    SystemTimeToVariantTime(&time, &now);
    return now;
}

AgendaList* listOfTexts(int count) {
    AgendaList* list = new AgendaList(localNow(), 1);
    for (int i = 0; i < count; ++i)
        list->Insert(new TextItem(L"line", 1), list->count);
    return list;
}

class WindowProtocolTest : public testing::Test {
protected:
    void SetUp() override {
        ShowWindow(parent.hwnd(), SW_SHOWNA); // hidden windows collect no update region
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ItemWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kTestItemClass;
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, kTestItemClass, L"", WS_VISIBLE | WS_CHILD, 0, 0, 240, 0,
                                 parent.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window);
        gHost.wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        gHost.loaderState = Idle;
        gHost.dataDirty = false;
        gHost.menuDepth = 0;
        gHost.zoneKey = 0;
        TIME_ZONE_INFORMATION utc = {};
        DeviceSetTimeZone(&utc);
        record.cyp = 0;
    }
    void TearDown() override {
        DestroyWindow(window); // runs the shutdown: both lists are freed
        CloseHandle(gHost.wakeEvent);
        gHost.wakeEvent = nullptr;
        gHost.loaderState = Idle;
        gHost.menuDepth = 0;
        DeviceSetTimeZone(nullptr);
        DeviceSetTimeZoneFailing(FALSE);
        UnregisterClassW(kTestItemClass, GetModuleHandleW(nullptr));
    }
    LRESULT query() {
        return SendMessageW(window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                            reinterpret_cast<WPARAM>(&record), 0);
    }
    bool reloadRequested() {
        return gHost.loaderState == Reload && WaitForSingleObject(gHost.wakeEvent, 0) == 0;
    }
    void handOver(AgendaList* list) {
        EnterCriticalSection(&gHost.lock);
        gHost.pendingList = list;
        LeaveCriticalSection(&gHost.lock);
    }

    TestWindow parent{240, 320};
    HWND window = nullptr;
    TODAYLISTITEM record = {};
};

} // namespace

TEST_F(WindowProtocolTest, TheFirstQueryInstallsThePlaceholderAndSizesTheItem) {
    EXPECT_EQ(TRUE, query());
    ASSERT_NE(nullptr, gHost.currentList);
    ASSERT_EQ(1, gHost.currentList->count);
    auto text = static_cast<TextItem*>(gHost.currentList->items[0]);
    EXPECT_STREQ(L"No upcoming appointments", text->text);
    EXPECT_EQ(1, text->fullRow);
    EXPECT_GT(record.cyp, 0u);
    EXPECT_EQ(static_cast<DWORD>(gHost.currentList->totalHeight), record.cyp)
        << "cyp is the measured height of the placeholder";
    EXPECT_EQ(1, gHost.currentList->iconFrame) << "the icon stepped once";
    EXPECT_FALSE(reloadRequested()) << "nothing asked for a reload yet";
}

TEST_F(WindowProtocolTest, QueriesDuringAModalInteractionChangeNothing) {
    gHost.menuDepth = 1;
    gHost.dataDirty = true;
    EXPECT_EQ(FALSE, query());
    EXPECT_EQ(nullptr, gHost.currentList);
    EXPECT_TRUE(gHost.dataDirty);
    EXPECT_EQ(FALSE, SendMessageW(window, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0))
        << "no item record: nothing to do";
}

TEST_F(WindowProtocolTest, AChangeNoticeDuringABuildIsKeptUntilTheLoaderIsIdle) {
    query();
    gHost.loaderState = Reload; // the loader is building
    PostMessageW(window, DB_CEOID_CHANGED, 7, 0);
    pumpMessages(5);
    ASSERT_TRUE(gHost.dataDirty);
    int frame = gHost.currentList->iconFrame;
    EXPECT_EQ(FALSE, query());
    EXPECT_TRUE(gHost.dataDirty) << "no reload can be asked while one runs";
    EXPECT_NE(frame, gHost.currentList->iconFrame) << "the icon animates while the loader works";

    gHost.loaderState = Idle;
    query();
    EXPECT_TRUE(reloadRequested()) << "the kept notice asks for exactly one reload";
    EXPECT_FALSE(gHost.dataDirty);
    gHost.loaderState = Idle;
    query();
    EXPECT_FALSE(reloadRequested()) << "and only one";
}

TEST_F(WindowProtocolTest, EveryChangeNoticeMarksTheDataDirty) {
    const UINT notices[] = {DB_CEOID_CREATED, DB_CEOID_RECORD_DELETED, DB_CEOID_CHANGED,
                            WM_TODAYCUSTOM_CLEARCACHE};
    for (UINT notice : notices) {
        gHost.dataDirty = false;
        SendMessageW(window, notice, 0, 0);
        EXPECT_TRUE(gHost.dataDirty) << "message 0x" << std::hex << notice;
    }
}

TEST_F(WindowProtocolTest, ANewTimeZoneAsksForOneReloadAndAnUnreadableOneForNone) {
    query();
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    DeviceSetTimeZone(&zone);
    int frame = gHost.currentList->iconFrame;
    query();
    EXPECT_TRUE(reloadRequested());
    EXPECT_EQ(-60, gHost.zoneKey);
    EXPECT_NE(frame, gHost.currentList->iconFrame);

    gHost.loaderState = Idle;
    frame = gHost.currentList->iconFrame;
    EXPECT_EQ(FALSE, query());
    EXPECT_FALSE(reloadRequested()) << "the same zone again: nothing to do";
    EXPECT_EQ(frame, gHost.currentList->iconFrame) << "an idle query does not animate";

    zone.Bias = 0;
    DeviceSetTimeZone(&zone);
    DeviceSetTimeZoneFailing(TRUE);
    query();
    EXPECT_FALSE(reloadRequested()) << "an unreadable zone changes nothing";
    EXPECT_EQ(frame, gHost.currentList->iconFrame);
}

TEST_F(WindowProtocolTest, ALocaleChangeReleasesTheLanguageChoiceAndReloads) {
    query();
    getResourceModule();
    DeviceSetLocale(0x0407, 0x0407);
    query();
    EXPECT_TRUE(reloadRequested());
    EXPECT_EQ(nullptr, gHost.resourceModule) << "chosen again on the next use";
    DeviceSetLocale(0x0409, 0x0409);
    resetResourceModule();
}

TEST_F(WindowProtocolTest, TheHandOverCarriesTheSelectionOverByIndex) {
    struct Case {
        int remembered;
        int newCount;
        int expected;
    } cases[] = {{3, 2, 0}, {1, 2, 1}, {3, 0, -1}, {-1, 5, -1}};
    query();
    for (const Case& c : cases) {
        gHost.currentList->selection = c.remembered;
        handOver(listOfTexts(c.newCount));
        query();
        gHost.loaderState = Idle;
        EXPECT_EQ(nullptr, gHost.pendingList);
        EXPECT_EQ(c.newCount, gHost.currentList->count);
        EXPECT_EQ(c.expected, gHost.currentList->selection)
            << "remembered " << c.remembered << " over " << c.newCount << " items";
    }
}

TEST_F(WindowProtocolTest, AHandOverResizesOnlyWhenTheHeightChanges) {
    query();
    handOver(listOfTexts(3));
    EXPECT_EQ(TRUE, query()) << "three lines are higher than the placeholder";
    int height = gHost.currentList->totalHeight;
    EXPECT_EQ(static_cast<DWORD>(height), record.cyp);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(height - 1, rect.bottom - rect.top) << "the window is sized to h - 1 pixels";

    gHost.loaderState = Idle;
    pumpMessages(5); // paint what is pending
    handOver(listOfTexts(3));
    EXPECT_EQ(FALSE, query()) << "same height: no new layout";
    RECT update;
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE)) << "but the new list is repainted";
}

TEST_F(WindowProtocolTest, StaleListsAreRebuilt) {
    SYSTEMTIME noon = {2026, 12, 2, 8, 12, 0, 0, 0};
    DeviceSetClock(&noon, FALSE);
    query();
    gHost.loaderState = Idle;
    AgendaList* list = listOfTexts(1);
    auto appointment = new AppointmentItem(nullptr);
    appointment->end = localNow();
    list->Insert(appointment, list->count);
    handOver(list);
    query();
    EXPECT_FALSE(reloadRequested()) << "an appointment ending exactly now is not yet over";

    gHost.loaderState = Idle;
    DeviceAdvanceClock(1000);
    query();
    EXPECT_TRUE(reloadRequested()) << "a second later it is";

    gHost.loaderState = Idle;
    appointment->line.allDay = VARIANT_TRUE;
    EXPECT_FALSE(isListStale(gHost.currentList)) << "all-day items never go stale";
    appointment->line.allDay = VARIANT_FALSE;
    appointment->line.struck = kStruckEnded;
    EXPECT_FALSE(isListStale(gHost.currentList)) << "nor do struck ones";

    SYSTEMTIME inAMinute = noon;
    inAMinute.wMinute = 1;
    SystemTimeToFileTime(&inAMinute, &gHost.currentList->expiry);
    EXPECT_FALSE(isListStale(gHost.currentList));
    DeviceAdvanceClock(60 * 1000);
    EXPECT_TRUE(isListStale(gHost.currentList)) << "past its expiry";

    gHost.currentList->expiry = FILETIME{};
    DeviceAdvanceClock(12LL * 60 * 60 * 1000);
    EXPECT_TRUE(isListStale(gHost.currentList)) << "the day rolled over";
    DeviceSetClock(nullptr, FALSE);
}

TEST_F(WindowProtocolTest, KeyboardSelectionWalksTheListAndLeavesAtItsEnds) {
    EXPECT_EQ(0, SendMessageW(window, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0))
        << "no list yet: the selection is declined";
    query();
    gHost.loaderState = Idle;
    handOver(listOfTexts(0));
    query();
    EXPECT_EQ(1, SendMessageW(window, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0))
        << "an empty list still takes the selection";
    EXPECT_EQ(-1, gHost.currentList->selection);

    gHost.loaderState = Idle;
    handOver(listOfTexts(3));
    query();
    SendMessageW(window, WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP, 0);
    EXPECT_EQ(2, gHost.currentList->selection) << "arriving from below selects the last item";
    SendMessageW(window, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    EXPECT_EQ(-1, gHost.currentList->selection);
    EXPECT_EQ(1, SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0));
    EXPECT_EQ(0, gHost.currentList->selection);
    EXPECT_EQ(1, SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0));
    EXPECT_EQ(1, SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0));
    EXPECT_EQ(0, SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, VK_DOWN, 0))
        << "past the end the Today screen moves on";
    EXPECT_EQ(-1, gHost.currentList->selection);
    EXPECT_EQ(1, SendMessageW(window, WM_TODAYCUSTOM_USERNAVIGATION, VK_UP, 0));
    EXPECT_EQ(2, gHost.currentList->selection);

    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(100, 5));
    pumpMessages(5);
    EXPECT_EQ(-1, gHost.currentList->selection) << "a tap clears the keyboard selection";
}

TEST_F(WindowProtocolTest, ScrollingToTheSelectionAsksTheTodayScreenForOnePage) {
    query();
    gHost.loaderState = Idle;
    handOver(listOfTexts(20));
    query();
    int rowHeight = gHost.currentList->items[0]->GetHeight();
    ASSERT_GT(rowHeight, 0);
    int rows = 320 / rowHeight;
    SetWindowPos(window, nullptr, 0, 320 - rows * rowHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    gHost.currentList->selection = 0;
    ensureSelectionVisible(gHost.currentList, window);
    pumpMessages(5);
    EXPECT_EQ(0, parent.received(WM_VSCROLL)) << "the first row is visible";

    SetWindowPos(window, nullptr, 0, 320 - rowHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ensureSelectionVisible(gHost.currentList, window);
    EXPECT_EQ(0, parent.received(WM_VSCROLL)) << "a bottom edge exactly on the client bottom";
    gHost.currentList->selection = 1;
    ensureSelectionVisible(gHost.currentList, window);
    ASSERT_EQ(1, parent.received(WM_VSCROLL));
    EXPECT_EQ(static_cast<WPARAM>(SB_PAGEDOWN), parent.lastWParam(WM_VSCROLL));

    SetWindowPos(window, nullptr, 0, -5 * rowHeight, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ensureSelectionVisible(gHost.currentList, window);
    ASSERT_EQ(2, parent.received(WM_VSCROLL));
    EXPECT_EQ(static_cast<WPARAM>(SB_PAGEUP), parent.lastWParam(WM_VSCROLL));
}

TEST_F(WindowProtocolTest, WithoutAListTheBackgroundIsTheTodayScreensWatermark) {
    HDC dc = GetDC(window);
    EXPECT_EQ(1, SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(window, dc);
    EXPECT_EQ(1, parent.received(TODAYM_DRAWWATERMARK));
    query();
    dc = GetDC(window);
    SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(window, dc);
    EXPECT_EQ(1, parent.received(TODAYM_DRAWWATERMARK)) << "a list paints its own background";
}

TEST(AgendaListTest, InsertGrowsByTenAndKeepsOrder) {
    AgendaList list(46000.75, 1);
    EXPECT_EQ(46000, list.day);
    EXPECT_EQ(-1, list.selection);
    TextItem* first = new TextItem(L"first", 0);
    EXPECT_EQ(1, list.Insert(first, 0));
    EXPECT_EQ(10, list.capacity);
    for (int i = 1; i < 10; ++i)
        list.Insert(new TextItem(L"more", 0), list.count);
    EXPECT_EQ(10, list.capacity);
    TextItem* front = new TextItem(L"front", 0);
    list.Insert(front, 0);
    EXPECT_EQ(20, list.capacity) << "the eleventh item grows the array by ten";
    EXPECT_EQ(front, list.items[0]);
    EXPECT_EQ(first, list.items[1]) << "everything moved up by one, in order";
    list.Clear();
    EXPECT_EQ(0, list.count);
    EXPECT_EQ(0, list.capacity);
    EXPECT_EQ(nullptr, list.items);
    list.Clear(); // an empty list clears again without harm
}

TEST(AgendaItemTest, AppointmentsHitOnlyOutsideTheIconStripOnceThePainted) {
    AppointmentItem item(nullptr);
    EXPECT_EQ(0, item.HitTest(50, 5)) << "never painted: no hit";
    item.hitRect = RECT{0, 0, 240, 20};
    EXPECT_EQ(0, item.HitTest(30, 5)) << "x = 30 is still the icon strip";
    EXPECT_EQ(1, item.HitTest(31, 5));
    EXPECT_EQ(0, item.HitTest(31, 20)) << "the bottom edge is outside";
    TextItem text(L"x", 1);
    DayHeadingItem heading(46000, L"Tuesday");
    EXPECT_EQ(0, text.HitTest(50, 5));
    EXPECT_EQ(0, heading.HitTest(50, 5));
    EXPECT_EQ(46000.0, heading.date);
}
