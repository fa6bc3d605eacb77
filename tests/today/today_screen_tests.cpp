// The device installer and the Today screen together: installing the item puts it in the
// built-in Calendar item's place on a running Today screen; removing it brings the Calendar back
// and unloads the library.
#include "device_installer.h"
#include "screen_text.h"
#include "layout_gallery.h"
#include "test_support.h"
#include "today_screen.h"

#include <device.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace testing_support;

namespace {

const wchar_t kItemsKey[] = L"Software\\Microsoft\\Today\\Items";
const SYSTEMTIME kNow = {2026, 12, 2, 8, 9, 0, 0, 0};

std::wstring besideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::wstring rowsOf(const TodayScreen& screen) {
    std::wstring rows;
    for (const auto& item : screen.items())
        rows += (rows.empty() ? L"" : L", ") + item->entry.name;
    return rows;
}

const HostedItem* rowNamed(const TodayScreen& screen, const wchar_t* name) {
    for (const auto& item : screen.items())
        if (item->entry.name == name)
            return item.get();
    return nullptr;
}

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

class TodayInstallTest : public testing::Test {
protected:
    void SetUp() override {
        addBuiltIn(L"Owner Info", 0, 0);
        addBuiltIn(L"Calendar", 1, 1);
        addBuiltIn(L"Messaging", 2, 2);
        addBuiltIn(L"Tasks", 3, 3);
        std::wstring calendar = folder.file(L"today.ics");
        writeFileBytes(calendar,
                       "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n"
                       "BEGIN:VEVENT\r\nUID:review\r\nSUMMARY:Review\r\n"
                       "DTSTART:20261208T140000\r\nDTEND:20261208T150000\r\nEND:VEVENT\r\n"
                       "END:VCALENDAR\r\n");
        DeviceSetCalendarFile(calendar.c_str());
        DeviceSetClock(&kNow, FALSE);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(screen.Create()) << "the Today window can be made";
    }
    void TearDown() override {
        screen.Destroy();
        CoUninitialize();
        DeviceSetClock(nullptr, FALSE);
        DeviceSetCalendarFile(nullptr);
    }
    void addBuiltIn(const wchar_t* name, DWORD type, DWORD order) {
        std::wstring path = std::wstring(kItemsKey) + L"\\" + name;
        HKEY handle;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &handle, nullptr));
        DWORD enabled = 1;
        RegSetValueExW(handle, L"Type", 0, REG_DWORD, reinterpret_cast<BYTE*>(&type), 4);
        RegSetValueExW(handle, L"Order", 0, REG_DWORD, reinterpret_cast<BYTE*>(&order), 4);
        RegSetValueExW(handle, L"Enabled", 0, REG_DWORD, reinterpret_cast<BYTE*>(&enabled), 4);
        RegCloseKey(handle);
    }

    ScopedRegistryKey items{HKEY_LOCAL_MACHINE, kItemsKey};
    ScopedRegistryKey settings{HKEY_CURRENT_USER, L"Software\\Orvane\\Daybrook"};
    TempFolder folder;
    TodayScreen screen;
    std::wstring library = besideThisProgram(L"daybrook.dll");
};

} // namespace

TEST_F(TodayInstallTest, InstallingReplacesTheCalendarRowAndRemovingBringsItBack) {
    screen.LoadRegisteredItems();
    ASSERT_EQ(L"Owner Info, Calendar, Messaging, Tasks", rowsOf(screen));
    int calendarTop = rowNamed(screen, L"Calendar")->top;

    ASSERT_TRUE(runDeviceInstaller(library.c_str(), true));
    ASSERT_TRUE(screen.RunUntilFirstBuild(60000)) << "the item builds its first list";
    EXPECT_EQ(L"Owner Info, \"Daybrook\", Messaging, Tasks", rowsOf(screen))
        << "the refresh broadcast makes the running Today screen read its items again: "
        << narrow(rowsOf(screen));
    const HostedItem* item = rowNamed(screen, L"\"Daybrook\"");
    ASSERT_NE(nullptr, item);
    EXPECT_EQ(calendarTop, item->top) << "the item stands where the Calendar row stood";
    ASSERT_NE(nullptr, item->window) << "the item was started through its initialisation export";
    EXPECT_EQ(screen.window(), GetParent(item->window));
    EXPECT_GT(item->height, 0) << "the item reported its height for the appointment it lists";
    EXPECT_NE(nullptr, GetModuleHandleW(library.c_str())) << "the Today screen holds the library";
    HWND itemWindow = item->window;

    ASSERT_TRUE(runDeviceInstaller(library.c_str(), false));
    screen.Settle();
    EXPECT_EQ(L"Owner Info, Calendar, Messaging, Tasks", rowsOf(screen))
        << "the Calendar row is enabled again and the item is gone";
    EXPECT_FALSE(IsWindow(itemWindow)) << "the item window was destroyed";
    EXPECT_EQ(nullptr, GetModuleHandleW(library.c_str()))
        << "neither the Today screen nor the installer keeps the library loaded";
}

TEST_F(TodayInstallTest, ALibraryThatCannotBeLoadedIsReportedAndChangesNothing) {
    screen.LoadRegisteredItems();
    std::wstring missing = folder.file(L"missing.dll");
    EXPECT_FALSE(runDeviceInstaller(missing.c_str(), true));
    screen.Settle();
    EXPECT_EQ(L"Owner Info, Calendar, Messaging, Tasks", rowsOf(screen));
}

TEST_F(TodayInstallTest, TheNavigationKeysPassThroughTheItemsOwnSelection) {
    ASSERT_TRUE(runDeviceInstaller(library.c_str(), true));
    screen.LoadRegisteredItems();
    ASSERT_TRUE(screen.RunUntilFirstBuild(60000)) << "the item builds its first list";
    ASSERT_EQ(L"Owner Info, \"Daybrook\", Messaging, Tasks", rowsOf(screen));
    screen.PressKey(VK_DOWN);
    EXPECT_EQ(0, screen.selectedRow()) << "the owner row takes the selection first";
    screen.PressKey(VK_DOWN);
    EXPECT_EQ(1, screen.selectedRow()) << "the item accepts the selection: it lists an appointment";
    screen.PressKey(VK_DOWN);
    EXPECT_EQ(2, screen.selectedRow())
        << "past its only appointment the item lets the selection move on";
    screen.PressKey(VK_UP);
    EXPECT_EQ(1, screen.selectedRow()) << "coming back from below, the item takes it again";
    screen.PressKey(VK_UP);
    EXPECT_EQ(0, screen.selectedRow());
    runDeviceInstaller(library.c_str(), false);
}

// The screen as text: every text the screen and the item draw, where it lands, read from their
// own drawing calls (the item paints into a kept bitmap and copies it to its window).
TEST_F(TodayInstallTest, TheScreenAsTextIsWhatTheScreenAndTheItemDrawWhereTheyDrawIt) {
    ASSERT_TRUE(runDeviceInstaller(library.c_str(), true));
    captureTextDrawnBy(GetModuleHandleW(nullptr)); // the screen's own drawing, in this program
    screen.SetLibraryObserver(captureTextDrawnBy);
    screen.LoadRegisteredItems();
    ASSERT_TRUE(screen.RunUntilFirstBuild(60000));
    const HostedItem* item = rowNamed(screen, L"\"Daybrook\"");
    ASSERT_NE(nullptr, item);
    const std::vector<ShownText> texts = shownTexts(screen.window());
    std::wstring all;
    for (const ShownText& text : texts)
        all += std::to_wstring(text.top) + L" " + std::to_wstring(text.left) + L" " + text.text +
               L"\n";
    const auto find = [&](const wchar_t* part) -> const ShownText* {
        for (const ShownText& text : texts)
            if (text.text.find(part) != std::wstring::npos)
                return &text;
        return nullptr;
    };
    const ShownText* date = find(L"December");
    const ShownText* owner = find(L"Owner: Pocket PC User");
    const ShownText* review = find(L"Review");
    const ShownText* messaging = find(L"Messaging: 0 unread");
    ASSERT_TRUE(date && owner && review && messaging) << narrow(all);
    EXPECT_EQ(nullptr, find(L"Calendar:")) << "the item stands in the Calendar row's place\n"
                                           << narrow(all);
    EXPECT_LT(date->top, owner->top) << narrow(all);
    EXPECT_GE(review->top, item->top) << "the appointment is in the item's row\n" << narrow(all);
    EXPECT_LT(review->top, item->top + item->height) << narrow(all);
    EXPECT_GE(messaging->top, item->top + item->height) << narrow(all);
    EXPECT_GT(review->left, 0) << "right of the item's icon\n" << narrow(all);
    for (size_t i = 1; i < texts.size(); ++i)
        EXPECT_TRUE(texts[i - 1].top < texts[i].top ||
                    (texts[i - 1].top == texts[i].top && texts[i - 1].left <= texts[i].left))
            << "top to bottom, then left to right\n"
            << narrow(all);
    runDeviceInstaller(library.c_str(), false);
}

// Right to left, the texts end at the item's right margin. The list counts lines, so its build
// asks the Today screen for colours as it goes: it cannot end unless the screen waits for it.
TEST_F(TodayInstallTest, TheScreenAsTextShowsRightToLeftTextsWhereTheyEndAfterTheBuild) {
    struct HebrewDevice {
        HebrewDevice() { DeviceSetLocale(0x040D, 0x000D); }
        ~HebrewDevice() { DeviceSetLocale(0x0409, 0x0409); }
    } hebrew;
    settings.setDword(L"UpcomingType", 5); // lines
    settings.setDword(L"UpcomingCount", 10);
    ASSERT_TRUE(runDeviceInstaller(library.c_str(), true));
    captureTextDrawnBy(GetModuleHandleW(nullptr));
    screen.SetLibraryObserver(captureTextDrawnBy);
    screen.LoadRegisteredItems();
    ASSERT_TRUE(screen.RunUntilFirstBuild(60000));
    std::wstring all;
    const ShownText* review = nullptr;
    const std::vector<ShownText> texts = shownTexts(screen.window());
    for (const ShownText& text : texts) {
        all += std::to_wstring(text.top) + L" " + std::to_wstring(text.left) + L" " + text.text +
               L"\n";
        if (text.text == L"Review")
            review = &text;
    }
    ASSERT_NE(nullptr, review) << "the built list is shown, not the placeholder\n" << narrow(all);
    EXPECT_GT(review->left, 240 / 2) << "a short subject lands at the right\n" << narrow(all);
    runDeviceInstaller(library.c_str(), false);
}

// Forty appointments today make the item taller than the QVGA screen in every layout; the
// gallery still draws each layout whole, so each of its four rows of tiles is taller than the
// screen.
TEST_F(TodayInstallTest, TheGalleryDrawsEveryLayoutOfAnItemTallerThanTheScreen) {
    std::string calendar = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Daybrook tests//EN\r\n";
    for (int index = 0; index < 40; ++index) {
        char event[200];
        snprintf(event, sizeof event,
                 "BEGIN:VEVENT\r\nUID:slot%d\r\nSUMMARY:Slot %d\r\nDTSTART:20261208T%02d%02d00\r\n"
                 "DTEND:20261208T%02d%02d00\r\nEND:VEVENT\r\n",
                 index, index, 10 + index / 4, index % 4 * 15, 10 + index / 4, index % 4 * 15 + 10);
        calendar += event;
    }
    writeFileBytes(folder.file(L"today.ics"), calendar + "END:VCALENDAR\r\n");
    std::wstring picture = folder.file(L"gallery.png");
    ASSERT_TRUE(renderLayoutGallery(library.c_str(), picture.c_str()))
        << "every layout could be drawn";
    std::string png = readFileBytes(picture);
    ASSERT_GT(png.size(), 24u);
    unsigned height = 0;
    for (int index = 20; index < 24; ++index)
        height = height << 8 | static_cast<unsigned char>(png[index]);
    EXPECT_GT(height, 8u + 4u * (20u + 320u + 8u)) << "four rows of tiles, each taller than 320";
}
