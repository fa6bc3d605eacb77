// The emulated device: what tests and the emulator set is what an item's platform calls answer.
#include "test_support.h"

#include <device.h>
#include <device_env.h>
#include <gtest/gtest.h>
#include <windbase.h>

using namespace testing_support;

TEST(DeviceScreenTest, TheTwoScreensAndTheirLandscapeForms) {
    struct Case {
        DeviceScreenKind kind;
        BOOL landscape;
        int width, height, icon, dpi;
    } cases[] = {{DeviceScreenQvga, FALSE, 240, 320, 16, 96},
                 {DeviceScreenQvga, TRUE, 320, 240, 16, 96},
                 {DeviceScreenVga, FALSE, 480, 640, 32, 192},
                 {DeviceScreenVga, TRUE, 640, 480, 32, 192}};
    HDC screen = GetDC(nullptr);
    for (const Case& c : cases) {
        DeviceSetScreen(c.kind, c.landscape);
        EXPECT_EQ(c.width, DeviceGetSystemMetrics(SM_CXSCREEN));
        EXPECT_EQ(c.height, DeviceGetSystemMetrics(SM_CYSCREEN));
        EXPECT_EQ(c.icon, DeviceGetSystemMetrics(SM_CXSMICON));
        EXPECT_EQ(c.dpi, DeviceGetDeviceCaps(screen, LOGPIXELSY));
    }
    EXPECT_EQ(GetSystemMetrics(SM_CXBORDER), DeviceGetSystemMetrics(SM_CXBORDER))
        << "other metrics are the platform's own";
    ReleaseDC(nullptr, screen);
    DeviceSetScreen(DeviceScreenQvga, FALSE);
}

TEST(DeviceClockTest, AFixedClockStandsAndCanBeAdvanced) {
    SYSTEMTIME set = {};
    set.wYear = 2026;
    set.wMonth = 12;
    set.wDay = 8;
    set.wHour = 23;
    set.wMinute = 59;
    DeviceSetClock(&set, FALSE);
    SYSTEMTIME now;
    // More than a second of real time, so that a running clock would show it.
    const ULONGLONG setAt = GetTickCount64();
    pumpUntil([&] { return GetTickCount64() > setAt + 1000; }, 60000);
    DeviceGetLocalTime(&now);
    EXPECT_EQ(59, now.wMinute);
    EXPECT_EQ(0, now.wSecond) << "a fixed clock does not run";
    EXPECT_EQ(2, now.wDayOfWeek) << "8 December 2026 is a Tuesday";

    DeviceAdvanceClock(60 * 1000);
    DeviceGetLocalTime(&now);
    EXPECT_EQ(9, now.wDay) << "a minute later is the next day";
    EXPECT_EQ(0, now.wHour);

    DeviceSetClock(&set, TRUE);
    EXPECT_TRUE(pumpUntil(
        [&] {
            DeviceGetLocalTime(&now);
            return now.wSecond >= 1 || now.wMinute != 59;
        },
        60000))
        << "a running clock advances with real time";
    DeviceSetClock(nullptr, FALSE);
}

TEST(DeviceZoneTest, TheZoneAndUniversalTimeFollowTheDevice) {
    TIME_ZONE_INFORMATION berlin = {};
    berlin.Bias = -60;
    berlin.DaylightBias = -60;
    berlin.StandardDate.wMonth = 10;
    berlin.StandardDate.wDay = 5;
    berlin.StandardDate.wHour = 3;
    berlin.DaylightDate.wMonth = 3;
    berlin.DaylightDate.wDay = 5;
    berlin.DaylightDate.wHour = 2;
    DeviceSetTimeZone(&berlin);
    SYSTEMTIME summer = {};
    summer.wYear = 2026;
    summer.wMonth = 7;
    summer.wDay = 1;
    summer.wHour = 12;
    DeviceSetClock(&summer, FALSE);
    TIME_ZONE_INFORMATION zone;
    EXPECT_EQ(static_cast<DWORD>(TIME_ZONE_ID_DAYLIGHT), DeviceGetTimeZoneInformation(&zone));
    EXPECT_EQ(-60, zone.Bias);
    SYSTEMTIME utc;
    DeviceGetSystemTime(&utc);
    EXPECT_EQ(10, utc.wHour) << "noon in Berlin's summer is 10:00 UTC";

    SYSTEMTIME winter = summer;
    winter.wMonth = 1;
    DeviceSetClock(&winter, FALSE);
    EXPECT_EQ(static_cast<DWORD>(TIME_ZONE_ID_STANDARD), DeviceGetTimeZoneInformation(&zone));

    DeviceSetTimeZoneFailing(TRUE);
    EXPECT_EQ(static_cast<DWORD>(TIME_ZONE_ID_INVALID), DeviceGetTimeZoneInformation(&zone));
    DeviceSetTimeZoneFailing(FALSE);
    DeviceSetTimeZone(nullptr);
    DeviceSetClock(nullptr, FALSE);
}

TEST(DeviceLocaleTest, LocaleAndLanguageAreTheDevicesOwn) {
    DeviceSetLocale(0x040D, 0x000D);
    EXPECT_EQ(0x040Du, DeviceGetUserDefaultLCID());
    EXPECT_EQ(0x000D, DeviceGetUserDefaultUILanguage());
    DeviceSetLocale(0x0409, 0x0409);
    EXPECT_EQ(0x0409u, DeviceGetUserDefaultLCID());
}

TEST(DeviceMessageBoxTest, AHandlerAnswersInsteadOfAModalBox) {
    MessageBoxRecorder boxes(IDNO);
    EXPECT_EQ(IDNO, DeviceMessageBoxW(nullptr, L"Delete?", L"Daybrook", MB_YESNO));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(L"Delete?", boxes.boxes()[0].text);
    EXPECT_EQ(L"Daybrook", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO), boxes.boxes()[0].type);
}

TEST(DeviceObjectStoreTest, OpeningTheCalendarRegistersForItsNotifications) {
    TestWindow window;
    CEOID oid = 0;
    SetLastError(0xdeadbeef);
    HANDLE other =
        CeOpenDatabase(&oid, const_cast<LPWSTR>(L"Contacts Database"), 0, 0, window.hwnd());
    EXPECT_EQ(INVALID_HANDLE_VALUE, other) << "only the calendar exists on this device";
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    HANDLE calendar =
        CeOpenDatabase(&oid, const_cast<LPWSTR>(L"Appointments Database"), 0, 0, window.hwnd());
    ASSERT_NE(INVALID_HANDLE_VALUE, calendar);
    EXPECT_NE(0u, oid) << "the database's object identifier is returned";
    EXPECT_EQ(1, DeviceCountDatabaseNotifyWindows());

    const UINT notices[] = {DB_CEOID_CREATED, DB_CEOID_RECORD_DELETED, DB_CEOID_CHANGED};
    for (UINT notice : notices)
        EXPECT_EQ(1, DevicePostDatabaseNotification(notice, 0x1234));
    pumpMessages(0); // they are posted: all are queued now
    for (UINT notice : notices) {
        EXPECT_EQ(1, window.received(notice)) << "notice 0x" << std::hex << notice;
        EXPECT_EQ(0x1234u, window.lastWParam(notice)) << "wParam is the changed record";
    }

    EXPECT_TRUE(DeviceCloseHandle(calendar));
    EXPECT_EQ(0, DeviceCountDatabaseNotifyWindows()) << "closing ends the registration";
    EXPECT_EQ(0, DevicePostDatabaseNotification(DB_CEOID_CHANGED, 1));
    pumpMessages(0);
    EXPECT_EQ(1, window.received(DB_CEOID_CHANGED)) << "nothing arrives after the close";
}
