// The Pocket PC shell's tap-and-hold recognition.
#define CEDEVICE_BUILD
#include "device.h"
#include "aygshell.h"

namespace {

// How long the stylus must rest, and how far it may wander, for a tap-and-hold.
const DWORD kHoldMilliseconds = 500;

LONG gForcedGesture = -1;

// The calling thread's hook that lets the right button stand for a tap-and-hold.
thread_local HHOOK tStylusHook = nullptr;

bool movedTooFar(const POINT& down, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam));
    int y = static_cast<short>(HIWORD(lParam));
    return abs(x - down.x) > GetSystemMetrics(SM_CXDRAG) ||
           abs(y - down.y) > GetSystemMetrics(SM_CYDRAG);
}

// A right-button press arrives as a stylus press that SHRecognizeGesture answers with a
// tap-and-hold; its release is dropped (the menu has taken over), along with a hold nobody asked
// about, so that it cannot turn a later tap into a menu.
LRESULT CALLBACK stylusHook(int code, WPARAM removing, LPARAM lParam) {
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removing == PM_REMOVE && message) {
        if (message->message == WM_RBUTTONDOWN) {
            InterlockedExchange(&gForcedGesture, GN_CONTEXTMENU);
            message->message = WM_LBUTTONDOWN;
            message->wParam = (message->wParam & ~MK_RBUTTON) | MK_LBUTTON;
        } else if (message->message == WM_RBUTTONUP) {
            InterlockedCompareExchange(&gForcedGesture, -1, GN_CONTEXTMENU);
            message->message = WM_NULL;
        }
    }
    return CallNextHookEx(tStylusHook, code, removing, lParam);
}

} // namespace

DEVICE_API BOOL DeviceEmulateStylus(BOOL enable) {
    if (enable && !tStylusHook)
        tStylusHook = SetWindowsHookExW(WH_GETMESSAGE, stylusHook, nullptr, GetCurrentThreadId());
    else if (!enable && tStylusHook && UnhookWindowsHookEx(tStylusHook))
        tStylusHook = nullptr;
    return (tStylusHook != nullptr) == (enable != FALSE);
}

DEVICE_API void DeviceSetNextGesture(DWORD result) {
    InterlockedExchange(&gForcedGesture, static_cast<LONG>(result));
}

// Watches the stylus until it lifts, wanders off or has rested long enough. A release or a move
// stays in the queue, so that the window still receives it as an ordinary tap.
AYGSHELL_API DWORD SHRecognizeGesture(SHRGINFO* shrg) {
    if (!shrg || shrg->cbSize < sizeof(SHRGINFO))
        return 0;
    LONG forced = InterlockedExchange(&gForcedGesture, -1);
    if (forced != -1)
        return static_cast<DWORD>(forced);
    HWND window = shrg->hwndClient;
    ULONGLONG deadline = GetTickCount64() + kHoldMilliseconds;
    for (;;) {
        MSG message;
        if (PeekMessageW(&message, window, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE))
            return 0;
        if (PeekMessageW(&message, window, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_NOREMOVE) &&
            movedTooFar(shrg->ptDown, message.lParam))
            return 0;
        ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return GN_CONTEXTMENU;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now),
                                    QS_MOUSEBUTTON | QS_MOUSEMOVE, 0);
    }
}
