// The emulated device's side: menus answered through the device and the right button as a
// tap-and-hold.
#include "device_answers.h"

#include <aygshell.h>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// A window that asks the shell about every stylus press, as the item window does.
class GestureWindow {
public:
    GestureWindow() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"DaybrookGestureTest";
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, L"DaybrookGestureTest", L"", WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), this);
    }
    ~GestureWindow() { DestroyWindow(window_); }
    HWND hwnd() const { return window_; }
    std::vector<DWORD> gestures;
    int rightButtonMessages = 0;

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto self = reinterpret_cast<GestureWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_LBUTTONDOWN) {
            SHRGINFO info = {
                sizeof(SHRGINFO), window, {LOWORD(lParam), HIWORD(lParam)}, SHRG_RETURNCMD};
            self->gestures.push_back(SHRecognizeGesture(&info));
        }
        if (self && (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP))
            ++self->rightButtonMessages;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
};

HMENU sampleMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 11, L"First");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 12, L"Unavailable");
    AppendMenuW(menu, MF_STRING, 13, L"Last");
    return menu;
}

} // namespace

TEST(DeviceMenuTest, AHandlerSeesWhatTheMenuOffersAndPicksLikeAUser) {
    TestWindow owner;
    HMENU menu = sampleMenu();
    MenuAnswer answer(13);
    EXPECT_EQ(13, TrackPopupMenuEx(menu, TPM_RETURNCMD, 40, 50, owner.hwnd(), nullptr));
    EXPECT_EQ(L"11 First | - | 12 Unavailable | 13 Last", answer.describe());
    EXPECT_TRUE(answer.offered()[2].grayed);
    EXPECT_EQ(owner.hwnd(), answer.owner());
    EXPECT_EQ(40, answer.point().x);
    EXPECT_EQ(50, answer.point().y);

    answer.choose(12);
    EXPECT_EQ(0, TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner.hwnd(), nullptr))
        << "a grayed entry cannot be picked";
    answer.choose(99);
    EXPECT_EQ(0, TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner.hwnd(), nullptr))
        << "nor one the menu does not have";

    answer.choose(11);
    EXPECT_TRUE(TrackPopupMenu(menu, 0, 0, 0, 0, owner.hwnd(), nullptr))
        << "without TPM_RETURNCMD the call reports success";
    pumpMessages(5);
    EXPECT_EQ(1, owner.received(WM_COMMAND)) << "and the choice arrives as WM_COMMAND";
    EXPECT_EQ(11u, LOWORD(owner.lastWParam(WM_COMMAND)));
    EXPECT_EQ(4, answer.menusShown());
    DestroyMenu(menu);
    EXPECT_FALSE(TrackPopupMenuEx(menu, TPM_RETURNCMD, 0, 0, owner.hwnd(), nullptr))
        << "a destroyed menu is refused";
    EXPECT_EQ(4, answer.menusShown());
}

TEST(DeviceStylusTest, TheRightButtonIsATapAndHoldOnlyWhileEmulated) {
    GestureWindow window;
    ASSERT_TRUE(DeviceEmulateStylus(TRUE));
    PostMessageW(window.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    PostMessageW(window.hwnd(), WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    pumpMessages(5);
    ASSERT_EQ(1u, window.gestures.size()) << "the press arrived as a stylus press";
    EXPECT_EQ(static_cast<DWORD>(GN_CONTEXTMENU), window.gestures[0]);
    EXPECT_EQ(0, window.rightButtonMessages) << "no right-button message reaches the window";

    PostMessageW(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(window.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    pumpMessages(5);
    ASSERT_EQ(2u, window.gestures.size());
    EXPECT_EQ(0u, window.gestures[1]) << "a quick left tap stays a tap";

    ASSERT_TRUE(DeviceEmulateStylus(FALSE));
    PostMessageW(window.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    pumpMessages(5);
    EXPECT_EQ(2u, window.gestures.size());
    EXPECT_EQ(1, window.rightButtonMessages) << "without the emulation it is a right button";
}
