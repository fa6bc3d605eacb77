// A tap opens the appointment in the chosen program, or starts the program; every route ends in
// the device's own Calendar when the chosen program cannot be reached.
#include "device_answers.h"
#include "interact/appointment_opening.h"
#include "interact/calendar_program.h"
#include "interact/installed_programs.h"
#include "settings/options.h"
#include "stand_ins.h"
#include "store_calendar.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

std::string number(long value) {
    return std::to_string(value);
}

class OpeningTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, item.window());
        ASSERT_NE(nullptr, item.appointment(L"Standup", 1)) << "three days are listed";
    }
    // Shows the occurrence in the device's Calendar view; checks that refresh queries wait
    // meanwhile, and returns the view's start field.
    std::wstring viewOfTap(AppointmentItem* appointment, int* views) {
        gHost.dataDirty = true;
        BOOL refreshDuringView = -1;
        LONG depthDuringView = -1;
        AppointmentViewWatcher watcher([&](HWND) {
            depthDuringView = gHost.menuDepth;
            refreshDuringView = item.refresh();
        });
        item.tap(item.pointOn(appointment));
        EXPECT_EQ(1, depthDuringView) << "the view counts as a modal interaction";
        EXPECT_EQ(FALSE, refreshDuringView);
        EXPECT_TRUE(gHost.dataDirty) << "the query while the view was open changed nothing";
        EXPECT_EQ(0, gHost.menuDepth);
        *views = watcher.viewsSeen();
        return watcher.field(DeviceViewSubject) + L" at " + watcher.field(DeviceViewStart);
    }
    std::wstring dateText(double day, const wchar_t* clock) {
        SYSTEMTIME time;
        VariantTimeToSystemTime(day, &time);
        WCHAR date[64];
        GetDateFormatW(GetUserDefaultLCID(), DATE_SHORTDATE, &time, nullptr, date, 64);
        return std::wstring(date) + L" " + clock;
    }

    StandInLog log;
    DevicePrograms programs;
    DeviceCalendarFile calendar;
    ItemOnDevice item;
};

} // namespace

TEST_F(OpeningTest, TheDevicesCalendarShowsTheTappedOccurrenceNotTheSeries) {
    int views = 0;
    std::wstring shown = viewOfTap(item.appointment(L"Standup", 1), &views);
    EXPECT_EQ(1, views);
    EXPECT_EQ(L"Standup at " + dateText(deviceDay(1), L"9:30 AM"), shown)
        << "tomorrow's line opens tomorrow's occurrence";
    EXPECT_TRUE(log.lines().empty()) << "no other program was asked";
}

TEST_F(OpeningTest, PocketInformantShowsTheAppointmentInItsOwnWindow) {
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PIStandInFull", L"PITools.dll");
    gOptions.ActivePIM = PocketInformant;
    AppointmentItem* dentist = item.appointment(L"Dentist");
    MessageBoxAnswer boxes(IDOK);
    gHost.dataDirty = true;
    item.tap(item.pointOn(dentist));
    auto lines = log.lines();
    ASSERT_EQ(1u, lines.size());
    char expected[256];
    snprintf(expected, sizeof expected,
             "DisplayAppointmentWindowExtern module=PITools.dll oid=%d start=%.6f reserved=0 "
             "owner=%p refresh=0",
             dentist->oid, dentist->start, static_cast<void*>(item.window()));
    EXPECT_EQ(expected, lines[0]) << "a refresh during the window answers FALSE";
    EXPECT_TRUE(gHost.dataDirty) << "and changes nothing";
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(0, gHost.menuDepth);
}

TEST_F(OpeningTest, PocketInformantWithoutItsCreateEntryStillShowsButSaysSo) {
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PIStandInDisplayOnly", L"PINewEditUI.dll");
    gOptions.ActivePIM = PocketInformant;
    MessageBoxAnswer boxes(IDOK);
    item.tap(item.pointOn(item.appointment(L"Review")));
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(L"Could not load CreateAppointmentExtern", boxes.boxes()[0].text);
    EXPECT_EQ(nullptr, boxes.boxes()[0].owner);
    EXPECT_EQ(L"", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.boxes()[0].type);
    auto lines = log.lines();
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(contains(lines[0], "module=PINewEditUI.dll")) << "the second library's entry ran";
}

TEST_F(OpeningTest, PocketInformantThatCannotShowFallsBackToTheDevicesCalendar) {
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PIStandInNoDisplay", L"PITools.dll");
    gOptions.ActivePIM = PocketInformant;
    int views = 0;
    EXPECT_EQ(L"Dentist at " + dateText(deviceDay(0), L"10:00 AM"),
              viewOfTap(item.appointment(L"Dentist"), &views));
    EXPECT_EQ(1, views);
    EXPECT_TRUE(log.lines().empty()) << "a library without the window is not called";

    ASSERT_TRUE(removeFile(windowsFile(L"PITab.exe")));
    programs.installPocketInformantLibrary(L"PIStandInFull", L"PITools.dll");
    EXPECT_EQ(L"Dentist at " + dateText(deviceDay(0), L"10:00 AM"),
              viewOfTap(item.appointment(L"Dentist"), &views))
        << "without PITab.exe Pocket Informant is not installed";
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(OpeningTest, AgendaFusionGetsTheIdentifierAndTheStartMinute) {
    programs.registerAgendaFusion(programs.installAgendaFusionProgram());
    gOptions.ActivePIM = AgendaFusion;
    AppointmentItem* standup = item.appointment(L"Standup", 1);
    item.tap(item.pointOn(standup));
    auto lines = log.waitForLines(1);
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(contains(lines[0], "Agenda Fusion\\AgendaFusion.exe")) << lines[0];
    // 2026-03-11 09:30 is 155,297 days and 570 minutes after 1601-01-01.
    std::string parameters = "[" + number(standup->oid) + "] (" + number(223628250) + ")";
    EXPECT_TRUE(contains(lines[0], parameters)) << lines[0] << " should end in " << parameters;
}

TEST_F(OpeningTest, AnExpandableAgendaFusionLocationIsExpandedAndOpensAgendaFusion) {
    std::wstring program = programs.installAgendaFusionProgram();
    std::wstring folder = program.substr(0, program.rfind(L'\\'));
    SetEnvironmentVariableW(L"DAYBROOK_AGENDA_FUSION", folder.c_str());
    programs.registerAgendaFusion(L"%DAYBROOK_AGENDA_FUSION%\\AgendaFusion.exe", REG_EXPAND_SZ);
    gOptions.ActivePIM = AgendaFusion;
    ASSERT_EQ(static_cast<DWORD>(AgendaFusion), installedPrograms());
    AppointmentItem* standup = item.appointment(L"Standup", 1);
    item.tap(item.pointOn(standup));
    auto lines = log.waitForLines(1);
    SetEnvironmentVariableW(L"DAYBROOK_AGENDA_FUSION", nullptr);
    ASSERT_EQ(1u, lines.size()) << "Agenda Fusion was started, not the device's Calendar with "
                                   "Agenda Fusion's command line";
    EXPECT_TRUE(contains(lines[0], "Agenda Fusion\\AgendaFusion.exe")) << lines[0];
    EXPECT_TRUE(contains(lines[0], "[" + number(standup->oid) + "]")) << lines[0];
}

TEST_F(OpeningTest, AgendaFusionThatCannotStartFallsBackToTheDevicesCalendar) {
    programs.registerAgendaFusion(L"\\Program Files\\Agenda Fusion\\Missing.exe");
    gOptions.ActivePIM = AgendaFusion;
    int views = 0;
    EXPECT_EQ(L"Review at " + dateText(deviceDay(1), L"2:00 PM"),
              viewOfTap(item.appointment(L"Review"), &views));
    EXPECT_EQ(1, views);
}

TEST(MinuteNumberTest, CountsLocalMinutesSince1601) {
    SYSTEMTIME newYear = {2004, 1, 4, 1, 0, 0, 0, 0};
    double date = 0;
    SystemTimeToVariantTime(&newYear, &date);
    EXPECT_EQ(211956480, minuteNumber(date));
    EXPECT_EQ(211956480 + 90, minuteNumber(date + 1.5 / 24));
}

// A tap outside the appointments, the action key, or a day heading starts the program itself.
class LaunchTest : public OpeningTest {
protected:
    void SetUp() override {
        OpeningTest::SetUp();
        calendarsBefore = calendarWindows(); // another suite's Calendar may be running
    }
    static std::vector<HWND> calendarWindows() {
        std::vector<HWND> windows;
        for (HWND window = nullptr;
             (window = FindWindowExW(nullptr, window, DEVICE_CALENDAR_CLASS, nullptr));)
            windows.push_back(window);
        return windows;
    }
    HWND newCalendarWindow(DWORD milliseconds) {
        HWND found = nullptr;
        pumpUntil(
            [&] {
                // Shown only once its list is filled.
                for (HWND window : calendarWindows())
                    if (std::find(calendarsBefore.begin(), calendarsBefore.end(), window) ==
                            calendarsBefore.end() &&
                        IsWindowVisible(window))
                        found = window;
                return found != nullptr;
            },
            milliseconds);
        return found;
    }
    // The rows of the Calendar that came up, read across the process boundary; then closes it.
    std::vector<std::wstring> calendarRows(HWND calendarWindow) {
        std::vector<std::wstring> rows;
        HWND rowList = GetDlgItem(calendarWindow, DEVICE_CALENDAR_LIST_ID);
        LRESULT count = SendMessageW(rowList, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            WCHAR text[256] = {};
            SendMessageW(rowList, LB_GETTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }
    void closeAndWait(HWND calendarWindow) {
        DWORD process = 0;
        GetWindowThreadProcessId(calendarWindow, &process);
        HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
        PostMessageW(calendarWindow, WM_CLOSE, 0, 0);
        if (handle) {
            WaitForSingleObject(handle, 10000);
            CloseHandle(handle);
        }
    }
    static bool endsWithTheDevice(HWND calendarWindow) {
        DWORD process = 0;
        GetWindowThreadProcessId(calendarWindow, &process);
        HANDLE handle = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process);
        BOOL inJob = FALSE;
        if (handle) {
            IsProcessInJob(handle, nullptr, &inJob);
            CloseHandle(handle);
        }
        return inJob != FALSE;
    }
    std::vector<HWND> calendarsBefore;
    int headingIndex() { return item.headingIndex(0); }
};

TEST_F(LaunchTest, TheDevicesCalendarStartsThroughItsShortcutAndListsTheStore) {
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\windows\\calendar.lnk"))
        << "the Calendar's shortcut is in place";
    item.tap(item.pointOnItem(headingIndex()));
    HWND calendarWindow = newCalendarWindow(15000);
    ASSERT_NE(nullptr, calendarWindow) << "the Calendar came up";
    std::vector<std::wstring> rows = calendarRows(calendarWindow);
    EXPECT_TRUE(endsWithTheDevice(calendarWindow)) << "a device's program ends with the device";
    closeAndWait(calendarWindow);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(dateText(deviceDay(0), L"9:30 AM") + L"  Standup", rows[0]);
    EXPECT_EQ(dateText(deviceDay(0), L"10:00 AM") + L"  Dentist", rows[1]);
    EXPECT_EQ(dateText(deviceDay(1), L"9:30 AM") + L"  Standup", rows[2]);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(LaunchTest, EachChoiceStartsItsOwnProgramOnce) {
    programs.installPocketInformantProgram();
    programs.installPocketInformantLibrary(L"PIStandInFull", L"PITools.dll");
    gOptions.ActivePIM = PocketInformant;
    item.tap(POINT{100, item.list()->totalHeight + 5}); // below every item
    auto lines = log.waitForLines(1);
    ASSERT_EQ(1u, lines.size());
    EXPECT_TRUE(contains(lines[0], "PITab.exe")) << lines[0];

    programs.registerAgendaFusion(programs.installAgendaFusionProgram());
    gOptions.ActivePIM = AgendaFusion;
    item.list()->selection = headingIndex();
    SendMessageW(item.window(), WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    log.waitForLines(2);
    ASSERT_TRUE(waitForStartedProgramsToEnd()) << "every program started has written its line";
    lines = log.lines();
    ASSERT_EQ(2u, lines.size()) << "the heading started the program, and only once";
    EXPECT_TRUE(contains(lines[1], "AgendaFusion.exe")) << lines[1];
    EXPECT_FALSE(contains(lines[1], "[")) << "without an appointment: no parameters";

    gOptions.ActivePIM = PocketInformant | AgendaFusion;
    EXPECT_EQ(0, launchCalendarProgram(item.window())) << "both bits name no program";
    EXPECT_TRUE(waitForStartedProgramsToEnd()) << "nothing was started (a Calendar would stay)";
    EXPECT_EQ(2u, log.lines().size());
    EXPECT_EQ(nullptr, newCalendarWindow(0));
}

TEST_F(LaunchTest, AnAgendaFusionLocationThatDoesNotFitMeansTheDevicesCalendar) {
    std::wstring tooLong = L"\\" + std::wstring(258, L'a') + L".exe";
    programs.registerAgendaFusion(tooLong);
    gOptions.ActivePIM = AgendaFusion;
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(programPath(AgendaFusion, path, MAX_PATH));
    EXPECT_STREQ(L"\\windows\\calendar.lnk", path);

    std::wstring fits(259, L'b');
    programs.registerAgendaFusion(fits);
    ASSERT_TRUE(programPath(AgendaFusion, path, MAX_PATH));
    EXPECT_EQ(fits, path) << "259 units and the terminator fill the buffer exactly";
    ASSERT_TRUE(programPath(PocketInformant, path, MAX_PATH));
    EXPECT_STREQ(L"\\Windows\\PITab.exe", path);
    EXPECT_FALSE(programPath(PocketInformant | AgendaFusion, path, MAX_PATH));
}
