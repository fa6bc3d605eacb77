// The shell's full-screen dialogs and the device's turn: a plain dialog made a Pocket PC one.
#include "test_support.h"

#include <aygshell.h>
#include <device.h>
#include <device_env.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

// An empty dialog with a caption, 100 by 80 dialog units, as a template in memory.
std::vector<WORD> emptyDialogTemplate() {
    DWORD style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    return {LOWORD(style), HIWORD(style), 0, 0, 0, 0, 0, 100, 80, 0, 0, 'T', 0};
}

struct DialogRun {
    RECT frame = {};
    RECT bar = {};
    RECT control = {};
    bool hasBar = false;
    bool doneVisible = false;
    RECT turnedFrame = {};
    int told = 0;
};

INT_PTR CALLBACK fullScreenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        // The dialog's own control, at the top of its client area.
        CreateWindowExW(0, L"STATIC", L"top", WS_CHILD | WS_VISIBLE, 0, 0, 50, 10, dialog,
                        reinterpret_cast<HMENU>(100), nullptr, nullptr);
        SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN};
        EXPECT_TRUE(SHInitDialog(&info));
        PostMessageW(dialog, WM_APP, 0, 0);
        return TRUE;
    }
    if (message == WM_APP) {
        DialogRun* run = reinterpret_cast<DialogRun*>(GetWindowLongPtrW(dialog, DWLP_USER));
        GetWindowRect(dialog, &run->frame);
        HWND bar = FindWindowExW(dialog, nullptr, DEVICE_NAVIGATION_BAR_CLASS, nullptr);
        run->hasBar = bar != nullptr;
        GetWindowRect(bar, &run->bar);
        GetWindowRect(GetDlgItem(dialog, 100), &run->control);
        run->doneVisible = IsWindowVisible(GetDlgItem(dialog, IDOK));
        run->told = DeviceTurnScreen(TRUE);
        GetWindowRect(dialog, &run->turnedFrame);
        DeviceTurnScreen(FALSE);
        SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    return FALSE;
}

RECT gAnsweredBox = {};

// Answers the open "Question" box with OK once it shows, noting where it stood.
void CALLBACK answerQuestion(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowW(L"#32770", L"Question");
    if (!box || !IsWindowVisible(box))
        return;
    KillTimer(nullptr, timer);
    GetWindowRect(box, &gAnsweredBox);
    SendMessageW(box, WM_COMMAND, IDOK, 0);
}

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST(FullScreenDialogTest, ADialogCoversTheScreenFollowsItsTurnAndClosesWithDone) {
    DeviceSetScreen(DeviceScreenQvga, FALSE);
    std::vector<WORD> dialogTemplate = emptyDialogTemplate();
    DialogRun run;
    INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
        nullptr, fullScreenDialogProc, reinterpret_cast<LPARAM>(&run));
    EXPECT_EQ(IDOK, result) << "the done button is the dialog's OK";
    EXPECT_TRUE(sameRect(RECT{0, 0, 240, 320}, run.frame)) << "full screen, frame included";
    EXPECT_TRUE(run.hasBar) << "a navigation bar shows the title";
    EXPECT_EQ(run.bar.bottom, run.control.top)
        << "the dialog's own controls begin below the bar, as below the device's own bar";
    EXPECT_EQ(0, run.control.left);
    EXPECT_TRUE(run.doneVisible) << "the device added a done button";
    EXPECT_GE(run.told, 1) << "the dialog heard of the turn";
    EXPECT_TRUE(sameRect(RECT{0, 0, 320, 240}, run.turnedFrame)) << "and took the turned screen";
    EXPECT_EQ(240, DeviceGetSystemMetrics(SM_CXSCREEN)) << "turned back";
}

TEST(SystemColourTest, StaticControlsUseTheWindowColour) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), DeviceGetSysColor(COLOR_STATIC));
    EXPECT_EQ(GetSysColorBrush(COLOR_WINDOW), DeviceGetSysColorBrush(COLOR_STATIC));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), DeviceGetSysColor(COLOR_HIGHLIGHT))
        << "every other index is the desktop's own";
}

// In the emulator's device window a message box stands in the middle of the device's screen, not
// of the window's frame or of the desktop.
TEST(FullScreenDialogTest, AMessageBoxCentresOnTheDevicesScreen) {
    DeviceSetScreen(DeviceScreenQvga, FALSE);
    HWND device = CreateWindowExW(0, L"STATIC", L"device", WS_POPUP | WS_CAPTION | WS_VISIBLE, 300,
                                  120, 260, 380, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, device);
    DeviceSetScreenWindow(device);
    POINT origin = DeviceGetScreenOrigin();
    gAnsweredBox = RECT{};
    SetTimer(nullptr, 0, 10, answerQuestion);
    EXPECT_EQ(IDOK, DeviceMessageBoxW(device, L"Delete?", L"Question", MB_OK));
    DeviceSetScreenWindow(nullptr);
    DestroyWindow(device);
    POINT centre = {(gAnsweredBox.left + gAnsweredBox.right) / 2,
                    (gAnsweredBox.top + gAnsweredBox.bottom) / 2};
    EXPECT_NEAR(origin.x + 120, centre.x, 1) << "centred across the device's screen";
    EXPECT_NEAR(origin.y + 160, centre.y, 1) << "and down it, below the window's caption";
}
