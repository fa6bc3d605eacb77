#include "bench_host.h"
#include "bench_calendars.h"

#include "host/host_state.h"
#include "host/item_host.h"

#include <device.h>

#include <cstdio>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace bench {

namespace {

const wchar_t kTodayClass[] = L"BenchTodayScreen";
const wchar_t kChildClass[] = L"BenchItemStandIn";
const COLORREF kWatermark = RGB(255, 255, 255);
const DWORD kRebuildTimeout = 30000;

// Central European time, which changes to summer time and back.
TIME_ZONE_INFORMATION centralEurope() {
    TIME_ZONE_INFORMATION zone = {};
    zone.Bias = -60;
    zone.StandardDate = {0, 10, 0, 5, 3, 0, 0, 0};
    zone.DaylightDate = {0, 3, 0, 5, 2, 0, 0, 0};
    zone.DaylightBias = -60;
    return zone;
}

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool loaderHasDelivered() {
    EnterCriticalSection(&gHost.lock);
    bool delivered = gHost.loaderState == Idle && gHost.pendingList != nullptr;
    LeaveCriticalSection(&gHost.lock);
    return delivered;
}

} // namespace

void enterDevice() {
    DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
    DeviceEnter();
    DeviceSetScreen(DeviceScreenQvga, FALSE);
    DeviceSetLocale(0x0409, 0x0409);
    TIME_ZONE_INFORMATION zone = centralEurope();
    DeviceSetTimeZone(&zone);
    SYSTEMTIME now = {};
    now.wYear = kNowYear;
    now.wMonth = kNowMonth;
    now.wDay = kNowDay;
    now.wDayOfWeek = 2;
    now.wHour = kNowHour;
    DeviceSetClock(&now, FALSE);
}

void leaveDevice() {
    DeviceSetCalendarFile(nullptr);
    DeviceSetClock(nullptr, FALSE);
    DeviceSetTimeZone(nullptr);
    DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr);
}

CalendarFolder::CalendarFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"daybrook-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path_.c_str(), nullptr);
}

CalendarFolder::~CalendarFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_ + L"\\*.ics").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

std::wstring CalendarFolder::write(const wchar_t* name, const std::string& text) const {
    const std::wstring file = path_ + L"\\" + name;
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out)
        return std::wstring();
    fwrite(text.data(), 1, text.size(), out);
    fclose(out);
    return file;
}

LRESULT CALLBACK TodayWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TODAYM_GETCOLOR:
        if (wParam == TODAYCOLOR_HIGHLIGHT)
            return RGB(0, 0, 160);
        if (wParam == TODAYCOLOR_HIGHLIGHTEDTEXT)
            return RGB(255, 255, 255);
        return RGB(0, 0, 0);
    case TODAYM_DRAWWATERMARK: {
        auto* watermark = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lParam);
        HBRUSH brush = CreateSolidBrush(kWatermark);
        FillRect(watermark->hdc, &watermark->rc, brush);
        DeleteObject(brush);
        return TRUE;
    }
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

TodayWindow::TodayWindow() {
    WNDCLASSW today = {};
    today.lpfnWndProc = WindowProc;
    today.hInstance = GetModuleHandleW(nullptr);
    today.lpszClassName = kTodayClass;
    RegisterClassW(&today);
    WNDCLASSW child = {};
    child.lpfnWndProc = DefWindowProcW;
    child.hInstance = GetModuleHandleW(nullptr);
    child.lpszClassName = kChildClass;
    RegisterClassW(&child);
    const DeviceScreen screen = DeviceGetScreen();
    window_ = CreateWindowExW(0, kTodayClass, L"Today", WS_POPUP | WS_VISIBLE, 0, 0, screen.width,
                              screen.height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TodayWindow::~TodayWindow() {
    if (window_)
        DestroyWindow(window_);
    UnregisterClassW(kChildClass, GetModuleHandleW(nullptr));
    UnregisterClassW(kTodayClass, GetModuleHandleW(nullptr));
}

HWND TodayWindow::makeChild(int height) {
    return CreateWindowExW(0, kChildClass, L"", WS_CHILD | WS_VISIBLE, 0, 0,
                           DeviceGetScreen().width, height, window_, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// What a window's paint DC is on the device: compatible with the screen. (A DIB section here
// would make the item's screen-compatible bitmaps take Wine's conversion path at every selection,
// about 100 us each, which no device pays.)
Canvas::Canvas(int width, int height) {
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    if (dc_ && bitmap_)
        previous_ = SelectObject(dc_, bitmap_);
}

Canvas::~Canvas() {
    if (previous_)
        SelectObject(dc_, previous_);
    if (bitmap_)
        DeleteObject(bitmap_);
    if (dc_)
        DeleteDC(dc_);
}

LiveItem::LiveItem(HWND parent) {
    record_.fEnabled = TRUE;
    record_.tlit = tlitCustom;
    record_.hinstDLL = GetModuleHandleW(nullptr);
    lstrcpyW(record_.szName, L"Daybrook");
    window_ = InitializeCustomItem(&record_, parent);
    record_.hwndCustom = window_;
}

LiveItem::~LiveItem() {
    if (window_)
        DestroyWindow(window_);
    pump();
}

// The loader builds on its own thread; this one keeps its queue moving while it waits.
bool LiveItem::pollUntilIdle() {
    const ULONGLONG end = GetTickCount64() + kRebuildTimeout;
    while (!loaderHasDelivered()) {
        if (GetTickCount64() > end)
            return false;
        pump();
        Sleep(0);
    }
    return true;
}

bool LiveItem::rebuild() {
    SendMessageW(window_, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
    SendMessageW(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record_), 0);
    if (!pollUntilIdle())
        return false;
    SendMessageW(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record_), 0);
    return gHost.pendingList == nullptr;
}

// A Today screen waits for its own timer between queries: this one gives the processor to the
// loader while it waits (a poll that only yields keeps a core busy and slows the loader down on a
// busy machine), at the cost of up to a timer tick of the wait.
bool LiveItem::waitForList() {
    const ULONGLONG end = GetTickCount64() + kRebuildTimeout;
    while (!loaderHasDelivered()) {
        if (GetTickCount64() > end)
            return false;
        pump();
        Sleep(1);
    }
    return true;
}

bool LiveItem::showList() {
    SendMessageW(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record_), 0);
    RECT client;
    GetClientRect(window_, &client);
    SetWindowPos(window_, nullptr, 0, 0, client.right, static_cast<int>(record_.cyp),
                 SWP_NOMOVE | SWP_NOZORDER);
    return RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW) != FALSE;
}

bool LiveItem::settle() {
    const ULONGLONG end = GetTickCount64() + kRebuildTimeout;
    while (GetTickCount64() < end) {
        SendMessageW(window_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&record_),
                     0);
        EnterCriticalSection(&gHost.lock);
        const bool idle = gHost.loaderState == Idle && !gHost.pendingList;
        LeaveCriticalSection(&gHost.lock);
        if (idle && gHost.currentList)
            return true;
        pump();
        Sleep(1);
    }
    return false;
}

} // namespace bench
