// Every heap allocation of a rebuild, a paint, the tap-and-hold menu and the options sheet made to
// fail in turn: nothing crashes, nothing the item allocated is left behind, and what the user sees
// is what the item promises for it (an item left out, the walk ended, "No upcoming appointments",
// the previous list or picture back at the next try).
#include "allocation_faults.h"
#include "listed_items.h"
#include "../interact/store_calendar.h"
#include "../item/installed_programs_fixture.h"

#include "agenda/agenda_builder.h"
#include "agenda/agenda_items.h"
#include "agenda/agenda_list.h"
#include "extensions/extension_table.h"
#include "host/host_state.h"
#include "host/item_host.h"
#include "host/item_window.h"
#include "interact/context_menu.h"
#include "options/options_sheet.h"
#include "render/drawing_caches.h"
#include "render/fonts.h"
#include "render/list_painting.h"
#include "render/markers.h"
#include "settings/options.h"

#include <commctrl.h>
#include <device.h>
#include <gtest/gtest.h>
#include <prsht.h>
#include <todaycmn.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

class HookEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(allocation_faults::install())
            << "the heap and BSTR functions of this program's import table are hooked";
    }
};

testing::Environment* const gHooks = testing::AddGlobalTestEnvironment(new HookEnvironment);

const wchar_t kSettingsKey[] = L"Software\\Orvane\\Daybrook";
const wchar_t kExtensionsKey[] = L"Software\\Orvane\\Daybrook\\Extensions";
const wchar_t kAddInsKey[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\Calendar\\AddIns";
const int kTabControlId = 0x3020;
const WPARAM kSettingChangeReset = 0x3002;

// A 32-bit top-down bitmap to paint into and compare.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    void clear() {
        GdiFlush();
        std::fill(bits_, bits_ + width_ * height_, 0x00FF00FFu);
    }
    bool sameAs(const Canvas& other) const {
        GdiFlush();
        return std::equal(bits_, bits_ + width_ * height_, other.bits_);
    }

private:
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD* bits_ = nullptr;
};

// The Today screen's window without a recorder: whatever reaches it during an armed operation
// allocates nothing.
class QuietParent {
public:
    QuietParent() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuietTodayScreen";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"QuietTodayScreen", L"", WS_POPUP, 0, 0, 240, 320, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~QuietParent() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }

private:
    QuietParent(const QuietParent&) = delete;
    QuietParent& operator=(const QuietParent&) = delete;
    HWND window_;
};

// The menus the device was asked to show; the menu is dismissed.
struct OfferedMenus {
    std::vector<std::wstring> entries; // "id text" of the last menu
    int shown = 0;
};

UINT CALLBACK recordMenu(HWND, const DeviceMenuEntry* entries, int count, POINT, UINT,
                         void* context) {
    allocation_faults::Pause pause;
    auto menus = static_cast<OfferedMenus*>(context);
    ++menus->shown;
    menus->entries.clear();
    for (int i = 0; i < count; ++i)
        menus->entries.push_back(std::to_wstring(entries[i].id) + L" " + entries[i].text);
    return 0;
}

bool isSubsequence(const std::vector<std::wstring>& part, const std::vector<std::wstring>& whole) {
    size_t next = 0;
    for (const std::wstring& entry : part) {
        while (next < whole.size() && whole[next] != entry)
            ++next;
        if (next == whole.size())
            return false;
        ++next;
    }
    return true;
}

std::string joined(const std::vector<std::wstring>& entries) {
    std::string text;
    for (const std::wstring& entry : entries)
        text += " | " + utf8(entry);
    return text;
}

BOOL CALLBACK matchSheet(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || !GetDlgItem(window, kTabControlId))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Walks the open sheet as a user would, one step per tick and every step posted, so that the
// item's code runs in the sheet's own loop (where its allocations count) and this code does not:
// each page in turn, the device turned to landscape and back, then the done button.
class SheetWalker {
public:
    SheetWalker() {
        gWalker = this;
        timer_ = SetTimer(nullptr, 0, 10, onTimer);
    }
    ~SheetWalker() {
        KillTimer(nullptr, timer_);
        gWalker = nullptr;
        DeviceSetScreen(DeviceScreenQvga, FALSE);
    }
    int sheetsSeen() const { return seen_; }
    int pagesSeen() const { return pages_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD) {
        allocation_faults::Pause pause;
        SheetWalker* self = gWalker;
        HWND sheet = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), matchSheet, reinterpret_cast<LPARAM>(&sheet));
        if (!self || !sheet)
            return;
        if (sheet != self->sheet_) {
            self->sheet_ = sheet;
            self->step_ = 0;
            ++self->seen_;
        }
        self->act(sheet, self->step_++);
    }
    void act(HWND sheet, int step) {
        const int pages = TabCtrl_GetItemCount(GetDlgItem(sheet, kTabControlId));
        pages_ = pages;
        if (step < pages) {
            PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(step), 0);
        } else if (step == pages || step == pages + 1) {
            DeviceSetScreen(DeviceScreenQvga, step == pages);
            PostMessageW(sheet, WM_SETTINGCHANGE, kSettingChangeReset, 0);
        } else {
            PostMessageW(GetDlgItem(sheet, IDOK), BM_CLICK, 0, 0);
        }
    }
    static SheetWalker* gWalker;
    UINT_PTR timer_;
    HWND sheet_ = nullptr;
    int step_ = 0;
    int seen_ = 0;
    int pages_ = 0;
};

SheetWalker* SheetWalker::gWalker = nullptr;

class AllocationFaultTest : public testing::Test {
protected:
    void SetUp() override {
        saved = gOptions;
        gOptions.UpcomingType = UpcomingAppointments;
        gOptions.UpcomingCount = 9;
        gOptions.AllDay = TRUE;
        gOptions.ShowCompleted = TRUE;
        gOptions.ShowEmptyDays = TRUE;
        gOptions.WordWrap = FALSE;
        gOptions.Painter = 0;
        ShowWindow(parent.hwnd(), SW_SHOWNA);
        item = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 240, 300,
                               parent.hwnd(), nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, item);
    }
    void TearDown() override {
        gHost.currentList = nullptr;
        destroyList(list);
        releaseMarkerCache();
        releaseDrawingCaches();
        DestroyWindow(item);
        gOptions = saved;
    }
    // Drawing caches emptied, so that each run allocates what a first paint allocates.
    static void emptyCaches() {
        releaseMarkerCache();
        releaseDrawingCaches();
    }
    void sweepRebuild();
    void sweepPaint(DWORD painter);
    AppointmentItem* appointment(const wchar_t* subject) const {
        for (int i = 0; list && i < list->count; ++i) {
            auto found = dynamic_cast<AppointmentItem*>(list->items[i]);
            if (found && found->line.subject && std::wstring(found->line.subject) == subject)
                return found;
        }
        return nullptr;
    }

    DeviceCalendarFile calendar{sweepCalendar()};
    QuietParent parent;
    HWND item = nullptr;
    AgendaList* list = nullptr;
    Options saved;
};

void AllocationFaultTest::sweepRebuild() {
    emptyCaches();
    allocation_faults::arm(0);
    list = BuildAgenda(item);
    const allocation_faults::Outcome clean = allocation_faults::disarm();
    const std::vector<ListedItem> expected = listedItems(list);
    destroyList(list);
    list = nullptr;
    emptyCaches();
    ASSERT_GT(expected.size(), 10u) << describeItems(expected);
    ASSERT_EQ(0, allocation_faults::liveBlocks())
        << "a fault-free rebuild frees what it allocated; allocation "
        << allocation_faults::firstLiveAllocation() << " is left";
    EXPECT_EQ(0, clean.throwing) << "the item allocates only where it can go on without memory";
    // A day that a fault leaves out counts nothing toward the limit, so the walk may go further
    // than without faults: the list with a limit far beyond what the settings allow holds what it
    // may find there.
    const DWORD count = gOptions.UpcomingCount;
    gOptions.UpcomingCount = 1000;
    AgendaList* longest = BuildAgenda(item);
    gOptions.UpcomingCount = count;
    const std::vector<ListedItem> further = listedItems(longest);
    destroyList(longest);
    emptyCaches();
    FaultAllowance allowance;
    allowance.lostCopies = true;
    allowance.dayTexts = longDatesFromToday(3650);
    for (long failing = 1; failing <= clean.allocations; ++failing) {
        allocation_faults::arm(failing);
        AgendaList* built = BuildAgenda(item);
        const allocation_faults::Outcome outcome = allocation_faults::disarm();
        const std::vector<ListedItem> shown = listedItems(built);
        destroyList(built);
        emptyCaches();
        EXPECT_TRUE(outcome.failed) << "allocation " << failing << " is reached again";
        EXPECT_EQ(0, allocation_faults::liveBlocks())
            << "everything is freed with allocation " << failing << " failing";
        if (!built) {
            EXPECT_EQ(1, failing) << "only the list itself missing means no list";
            continue;
        }
        EXPECT_EQ("", unexplainedItems(further, shown, allowance))
            << "with allocation " << failing << " failing the list was" << describeItems(shown)
            << "\nand without failures" << describeItems(expected);
    }
    std::printf("[ figures  ] allocation points of a rebuild (type %lu): %ld\n",
                gOptions.UpcomingType, clean.allocations);
}

void AllocationFaultTest::sweepPaint(DWORD painter) {
    gOptions.Painter = painter;
    list = BuildAgenda(item);
    ASSERT_NE(nullptr, list);
    gHost.currentList = list;
    const RECT whole = {0, 0, 240, 300};
    Canvas expected(240, 300), painted(240, 300), again(240, 300);
    emptyCaches();
    expected.clear();
    allocation_faults::arm(0);
    paintCurrentList(item, expected.dc(), whole);
    const allocation_faults::Outcome clean = allocation_faults::disarm();
    emptyCaches();
    ASSERT_EQ(0, allocation_faults::liveBlocks())
        << "allocation " << allocation_faults::firstLiveAllocation() << " is left";
    ASSERT_GT(clean.allocations, 2) << "the paint allocates its icons and its scratch buffer";
    EXPECT_EQ(0, clean.throwing);
    for (long failing = 1; failing <= clean.allocations; ++failing) {
        painted.clear();
        allocation_faults::arm(failing);
        paintCurrentList(item, painted.dc(), whole);
        const allocation_faults::Outcome outcome = allocation_faults::disarm();
        EXPECT_TRUE(outcome.failed) << "allocation " << failing << " is reached again";
        // What failed is tried again at the next paint, which shows the whole list.
        again.clear();
        paintCurrentList(item, again.dc(), whole);
        EXPECT_TRUE(again.sameAs(expected))
            << "the paint after one with allocation " << failing << " failing is whole";
        emptyCaches();
        EXPECT_EQ(0, allocation_faults::liveBlocks())
            << "everything is freed with allocation " << failing << " failing";
    }
    std::printf("[ figures  ] allocation points of a paint (layout %lu): %ld\n", painter,
                clean.allocations);
}

} // namespace

TEST_F(AllocationFaultTest, ARebuildLeavesOutOrEndsButNeverBreaks) {
    sweepRebuild();
}

TEST_F(AllocationFaultTest, ARebuildCountingLinesLeavesOutOrEndsButNeverBreaks) {
    gOptions.UpcomingType = UpcomingLines;
    gOptions.UpcomingCount = 24;
    sweepRebuild();
}

TEST_F(AllocationFaultTest, APaintThatRunsOutOfMemoryIsWholeAgainNextTime) {
    for (DWORD painter : {0u, 1u, 9u}) {
        SCOPED_TRACE("layout " + std::to_string(painter));
        sweepPaint(painter);
        gHost.currentList = nullptr;
        destroyList(list);
        list = nullptr;
    }
}

TEST_F(AllocationFaultTest, TheMenuLeavesOutAddInsButKeepsItsOwnEntries) {
    ScopedRegistryKey addIns(HKEY_LOCAL_MACHINE, kAddInsKey);
    ScopedRegistryKey alpha(HKEY_LOCAL_MACHINE, (std::wstring(kAddInsKey) + L"\\Alpha").c_str());
    alpha.setString(L"DLL", L"AddInAlpha.dll");
    alpha.setString(L"Menu", L"Alpha");
    ScopedRegistryKey beta(HKEY_LOCAL_MACHINE, (std::wstring(kAddInsKey) + L"\\Beta").c_str());
    beta.setString(L"DLL", L"AddInBeta.dll"); // no menu text: no entry
    ScopedRegistryKey gamma(HKEY_LOCAL_MACHINE, (std::wstring(kAddInsKey) + L"\\Gamma").c_str());
    gamma.setString(L"DLL", L"AddInGamma.dll");
    gamma.setString(L"Menu", L"Gamma");
    ScopedRegistryKey extensions(HKEY_CURRENT_USER, kExtensionsKey);
    extensions.setString(L"Both", programFolder() + L"\\testmodules\\ExtensionBoth.dll");
    extensions.setString(L"Paint", programFolder() + L"\\testmodules\\ExtensionPaintOnly.dll");

    list = BuildAgenda(item);
    ASSERT_NE(nullptr, list);
    measureList(list, item);
    AppointmentItem* dentist = appointment(L"Dentist");
    ASSERT_NE(nullptr, dentist);
    const int x = 100;
    const int y = (dentist->hitRect.top + dentist->hitRect.bottom) / 2;

    OfferedMenus menus;
    DeviceSetMenuHandler(recordMenu, &menus);
    allocation_faults::arm(0);
    loadExtensionTable();
    showContextMenu(list, item, x, y);
    unloadAll();
    const allocation_faults::Outcome clean = allocation_faults::disarm();
    const std::vector<std::wstring> expected = menus.entries;
    ASSERT_EQ(1, menus.shown);
    ASSERT_EQ(0, allocation_faults::liveBlocks());
    EXPECT_EQ(0, clean.throwing);
    const std::vector<std::wstring> own = {L"101 Delete Appointment", L"102 Beam Appointment...",
                                           L"103 Options..."};
    ASSERT_TRUE(isSubsequence(own, expected)) << joined(expected);
    for (long failing = 1; failing <= clean.allocations; ++failing) {
        menus.shown = 0;
        allocation_faults::arm(failing);
        loadExtensionTable();
        showContextMenu(list, item, x, y);
        unloadAll();
        const allocation_faults::Outcome outcome = allocation_faults::disarm();
        EXPECT_TRUE(outcome.failed) << "allocation " << failing << " is reached again";
        EXPECT_EQ(1, menus.shown) << "with allocation " << failing << " failing";
        EXPECT_TRUE(isSubsequence(menus.entries, expected) && isSubsequence(own, menus.entries))
            << "with allocation " << failing << " failing the menu offered" << joined(menus.entries)
            << "\nand without failures" << joined(expected);
        EXPECT_EQ(0, allocation_faults::liveBlocks())
            << "everything is freed with allocation " << failing << " failing";
    }
    DeviceSetMenuHandler(nullptr, nullptr);
    std::printf("[ figures  ] allocation points of the tap-and-hold menu: %ld\n",
                clean.allocations);
}

TEST_F(AllocationFaultTest, TheOptionsSheetOpensTurnsClosesAndSavesWhateverFails) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    EmulatedPrograms programs; // both other programs installed: all three pages
    programs.installAgendaFusion(L"\\Program Files\\AF.exe");
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PITools.dll");
    gOptions.UpcomingCount = 5;
    gOptions.Painter = 7;
    const Options chosen = gOptions;
    auto runSheet = [&](long failing) {
        SheetWalker walker;
        allocation_faults::arm(failing);
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(500), parent.hwnd(),
                        CustomItemOptionsDlgProc, 0);
        const allocation_faults::Outcome outcome = allocation_faults::disarm();
        EXPECT_EQ(1, walker.sheetsSeen()) << "with allocation " << failing << " failing";
        EXPECT_EQ(3, walker.pagesSeen()) << "with allocation " << failing << " failing";
        return outcome;
    };
    const allocation_faults::Outcome clean = runSheet(0);
    emptyCaches(); // the preview's heading icon stays cached for the item until its shutdown
    ASSERT_GT(clean.allocations, 0);
    EXPECT_EQ(0, clean.throwing) << "the item allocates only where it can go on without memory";
    ASSERT_EQ(0, allocation_faults::liveBlocks())
        << "a closed sheet leaves nothing allocated; allocation "
        << allocation_faults::firstLiveAllocation() << " is left";
    for (long failing = 1; failing <= clean.allocations; ++failing) {
        gOptions = chosen;
        RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
        const allocation_faults::Outcome outcome = runSheet(failing);
        emptyCaches();
        EXPECT_TRUE(outcome.failed) << "allocation " << failing << " is reached again";
        EXPECT_EQ(0, allocation_faults::liveBlocks())
            << "everything is freed with allocation " << failing << " failing";
        DWORD stored = 0;
        EXPECT_TRUE(settings.readDword(L"Painter", &stored) && stored == 7)
            << "the settings are saved with allocation " << failing << " failing";
        EXPECT_TRUE(settings.readDword(L"UpcomingCount", &stored) && stored == 5);
    }
    std::printf("[ figures  ] allocation points of the options sheet: %ld\n", clean.allocations);
}

// The item's own first refresh query: the placeholder list, its line and the measuring paint, then
// the list the loader built. Whatever cannot be had is left out, and the next query tries again.
TEST_F(AllocationFaultTest, TheFirstQueryShowsWhatItCanAndTheNextOneTriesAgain) {
    ScopedRegistryKey settings(HKEY_CURRENT_USER, kSettingsKey);
    settings.setDword(L"UpcomingType", UpcomingDays);
    settings.setDword(L"UpcomingCount", 3);
    TODAYLISTITEM record = {};
    record.fEnabled = TRUE;
    record.hinstDLL = GetModuleHandleW(nullptr);
    auto query = [&] {
        return SendMessageW(record.hwndCustom, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                            reinterpret_cast<WPARAM>(&record), 0);
    };
    // The loader's first list is ready before the query, so that each run allocates the same.
    auto start = [&] {
        record.cyp = 0;
        record.hwndCustom = InitializeCustomItem(&record, parent.hwnd());
        return record.hwndCustom && pumpUntil(
                                        [] {
                                            EnterCriticalSection(&gHost.lock);
                                            bool ready = gHost.loaderState == Idle &&
                                                         gHost.pendingList != nullptr;
                                            LeaveCriticalSection(&gHost.lock);
                                            return ready;
                                        },
                                        10000);
    };
    auto stop = [&] {
        DestroyWindow(record.hwndCustom);
        pumpMessages(0);
    };
    ASSERT_TRUE(start());
    allocation_faults::arm(0);
    EXPECT_EQ(TRUE, query());
    const allocation_faults::Outcome clean = allocation_faults::disarm();
    stop();
    ASSERT_EQ(0, allocation_faults::liveBlocks()) << "the shutdown frees what the query allocated";
    ASSERT_GT(clean.allocations, 3);
    for (long failing = 1; failing <= clean.allocations; ++failing) {
        ASSERT_TRUE(start());
        allocation_faults::arm(failing);
        const LRESULT answered = query();
        const allocation_faults::Outcome outcome = allocation_faults::disarm();
        EXPECT_TRUE(outcome.failed) << "allocation " << failing << " is reached again";
        EXPECT_EQ(answered != FALSE, gHost.currentList != nullptr)
            << "with allocation " << failing << " failing the query answers TRUE exactly when a "
            << "list is shown";
        query();
        EXPECT_NE(nullptr, gHost.currentList)
            << "the query after one with allocation " << failing << " failing shows a list";
        stop();
        EXPECT_EQ(0, allocation_faults::liveBlocks())
            << "everything is freed with allocation " << failing << " failing";
    }
    std::printf("[ figures  ] allocation points of the first refresh query: %ld\n",
                clean.allocations);
}
