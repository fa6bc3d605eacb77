#include "today_screen.h"
#include <device.h>

#include <cwchar>

namespace {
const WCHAR kTodayClass[] = L"DesktopExplorerWindow";
}

LRESULT CALLBACK TodayScreen::WindowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    switch (message) {
    case TODAYM_GETCOLOR:
        return wParam == TODAYCOLOR_HIGHLIGHT       ? RGB(0, 0, 128)
               : wParam == TODAYCOLOR_HIGHLIGHTEDTEXT ? RGB(255, 255, 255)
                                                      : RGB(0, 0, 0);
    case TODAYM_DRAWWATERMARK: {
        const TODAYDRAWWATERMARKINFO* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        if (info && info->hdc)
            FillRect(info->hdc, &info->rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return TRUE;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool TodayScreen::Create() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTodayClass;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&windowClass);
    DeviceScreen screen = DeviceGetScreen();
    window_ = CreateWindowExW(0, kTodayClass, L"Today", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                              screen.width, screen.height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    return window_ != nullptr;
}

bool TodayScreen::LoadItem(const WCHAR* libraryPath, const WCHAR* itemName) {
    HMODULE library = LoadLibraryW(libraryPath);
    if (!library)
        return false;
    // Through void*: FARPROC is only a placeholder for the entry's real signature.
    auto initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(reinterpret_cast<void*>(
        GetProcAddress(library, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
    if (!initialize) {
        FreeLibrary(library);
        return false;
    }
    item_.library = library;
    ZeroMemory(&item_.record, sizeof item_.record);
    lstrcpynW(item_.record.szName, itemName, MAX_ITEMNAME);
    item_.record.tlit = tlitCustom;
    item_.record.fEnabled = TRUE;
    item_.record.fOptions = TRUE;
    lstrcpynW(item_.record.szDLLPath, libraryPath, MAX_PATH);
    item_.record.hinstDLL = library;
    item_.record.dwSelectability = TODAY_SELECTABILITY_CUSTOMSELECTION;
    item_.window = initialize(&item_.record, window_);
    item_.record.hwndCustom = item_.window;
    return item_.window != nullptr;
}

void TodayScreen::QueryItems() {
    if (!item_.window)
        return;
    if (SendMessageW(item_.window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                     reinterpret_cast<WPARAM>(&item_.record), 0)) {
        SetWindowPos(item_.window, nullptr, 0, 0, DeviceGetScreen().width,
                     static_cast<int>(item_.record.cyp), SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(item_.window, nullptr, TRUE);
    }
}

void TodayScreen::Run(DWORD milliseconds, DWORD pollInterval) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    ULONGLONG nextPoll = 0;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            return;
        if (now >= nextPoll) {
            QueryItems();
            nextPoll = now + pollInterval;
        }
        DWORD wait = static_cast<DWORD>((nextPoll < end ? nextPoll : end) - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, 0);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

void TodayScreen::UnloadItems() {
    if (item_.window)
        DestroyWindow(item_.window);
    if (item_.library)
        FreeLibrary(item_.library);
    item_ = HostedItem();
}

void TodayScreen::Destroy() {
    UnloadItems();
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
}
