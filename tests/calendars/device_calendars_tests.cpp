// The device hands its calendars on to the programs it starts, as it does its other settings.
#include <device.h>
#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring variable(const wchar_t* name) {
    WCHAR value[DEVICE_CALENDAR_SOURCE_MAX];
    const DWORD length = GetEnvironmentVariableW(name, value, DEVICE_CALENDAR_SOURCE_MAX);
    return length > 0 && length < DEVICE_CALENDAR_SOURCE_MAX ? std::wstring(value) : L"(none)";
}

std::wstring calendar(int index) {
    WCHAR value[DEVICE_CALENDAR_SOURCE_MAX];
    return DeviceGetCalendar(index, value, DEVICE_CALENDAR_SOURCE_MAX) ? std::wstring(value)
                                                                       : L"(none)";
}

TEST(DeviceCalendarsTest, AChildGetsTheCalendarsNowAndNoneThatWereRemoved) {
    DeviceSetCalendarFile(L"C:\\personal.ics");
    ASSERT_TRUE(DeviceAddCalendar(L"C:\\team"));
    ASSERT_TRUE(DeviceAddCalendar(L"webcal://calendar.example.org/holidays.ics"));
    DeviceExportEnvironment();
    EXPECT_EQ(L"C:\\personal.ics", variable(L"DEVICE_CALENDAR"));
    EXPECT_EQ(L"C:\\team", variable(L"DEVICE_CALENDAR_2"));
    EXPECT_EQ(L"webcal://calendar.example.org/holidays.ics", variable(L"DEVICE_CALENDAR_3"));

    DeviceSetCalendarFile(L"C:\\other.ics");
    DeviceExportEnvironment();
    EXPECT_EQ(L"(none)", variable(L"DEVICE_CALENDAR_2")) << "a removed calendar is not handed on";
    EXPECT_EQ(L"(none)", variable(L"DEVICE_CALENDAR_3"));

    DeviceAddCalendar(L"C:\\team");
    DeviceExportEnvironment();
    DeviceSetCalendarFile(nullptr);
    DeviceLoadEnvironment(); // as a child does when the device library loads
    EXPECT_EQ(L"C:\\other.ics", calendar(0));
    EXPECT_EQ(L"C:\\team", calendar(1));
    EXPECT_EQ(L"(none)", calendar(2));
    DeviceSetCalendarFile(nullptr);
    DeviceExportEnvironment();
}

} // namespace
