#include "today_screen.h"
#include <device.h>
#include <device_env.h>

#include <cwchar>

namespace {

const WCHAR kTodayClass[] = L"DesktopExplorerWindow";
const WPARAM kRefreshTodayItems = 0xF2;

const COLORREF kTextColor = RGB(0, 0, 0);
const COLORREF kHighlightColor = RGB(49, 106, 197);
const COLORREF kHighlightTextColor = RGB(255, 255, 255);
const COLORREF kBackgroundTop = RGB(255, 255, 255);
const COLORREF kBackgroundBottom = RGB(214, 228, 247);
const COLORREF kHeaderColor = RGB(24, 64, 140);

int rowHeight() {
    int s = DeviceGetScreen().smallIconSize;
    return s + 2 * (s / 8);
}

const WCHAR* builtInName(DWORD type) {
    switch (type) {
    case tlitOwnerInfo: return L"Owner: Pocket PC User";
    case tlitAppointments: return L"Calendar: No upcoming appointments";
    case tlitMail: return L"Messaging: 0 unread";
    case tlitTasks: return L"Tasks: No active tasks";
    default: return L"";
    }
}

// The theme's background: a soft vertical gradient, the same for the window and watermarks.
void drawBackground(HDC dc, const RECT& area, int screenHeight, int offsetY) {
    for (int y = area.top; y < area.bottom; ++y) {
        int position = y + offsetY;
        int share = screenHeight > 0 ? position * 255 / screenHeight : 0;
        share = share < 0 ? 0 : share > 255 ? 255 : share;
        COLORREF colour =
            RGB(GetRValue(kBackgroundTop) +
                    (GetRValue(kBackgroundBottom) - GetRValue(kBackgroundTop)) * share / 255,
                GetGValue(kBackgroundTop) +
                    (GetGValue(kBackgroundBottom) - GetGValue(kBackgroundTop)) * share / 255,
                GetBValue(kBackgroundTop) +
                    (GetBValue(kBackgroundBottom) - GetBValue(kBackgroundTop)) * share / 255);
        HBRUSH brush = CreateSolidBrush(colour);
        RECT line = {area.left, y, area.right, y + 1};
        FillRect(dc, &line, brush);
        DeleteObject(brush);
    }
}

} // namespace

LRESULT CALLBACK TodayScreen::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto self = reinterpret_cast<TodayScreen*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && self->window_ == window)
        return self->OnMessage(message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TodayScreen::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case TODAYM_GETCOLOR:
        return wParam == TODAYCOLOR_HIGHLIGHT         ? kHighlightColor
               : wParam == TODAYCOLOR_HIGHLIGHTEDTEXT ? kHighlightTextColor
                                                      : kTextColor;
    case TODAYM_DRAWWATERMARK: {
        auto info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lParam);
        if (!info || !info->hdc)
            return FALSE;
        POINT origin = {0, 0};
        if (info->hwnd)
            MapWindowPoints(info->hwnd, window_, &origin, 1);
        drawBackground(info->hdc, info->rc, DeviceGetScreen().height, origin.y);
        return TRUE;
    }
    case WM_WININICHANGE:
        if (wParam == kRefreshTodayItems && fromRegistry_)
            LoadRegisteredItems();
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window_, &paint);
        Paint(dc);
        EndPaint(window_, &paint);
        return 0;
    }
    default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void TodayScreen::Paint(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    drawBackground(dc, client, DeviceGetScreen().height, 0);
    SetBkMode(dc, TRANSPARENT);
    HFONT font = CreateFontW(-rowHeight() * 11 / 20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, CLEARTYPE_QUALITY, 0, L"Tahoma");
    HGDIOBJ previous = SelectObject(dc, font);
    SYSTEMTIME now;
    DeviceGetLocalTime(&now);
    WCHAR date[80] = {};
    GetDateFormatW(DeviceGetUserDefaultLCID(), DATE_LONGDATE, &now, nullptr, date, 80);
    RECT header = {client.left, 0, client.right, rowHeight() + 4};
    HBRUSH headerBrush = CreateSolidBrush(kHeaderColor);
    FillRect(dc, &header, headerBrush);
    DeleteObject(headerBrush);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT headerText = header;
    headerText.left += 6;
    DrawTextW(dc, date, -1, &headerText, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, kTextColor);
    for (const auto& item : items_) {
        if (item->window)
            continue;
        RECT row = {client.left + rowHeight() + 4, item->top, client.right,
                    item->top + item->height};
        DrawTextW(dc, builtInName(item->entry.type), -1, &row,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(180, 190, 210));
        HGDIOBJ previousPen = SelectObject(dc, pen);
        MoveToEx(dc, client.left, item->top + item->height - 1, nullptr);
        LineTo(dc, client.right, item->top + item->height - 1);
        SelectObject(dc, previousPen);
        DeleteObject(pen);
    }
    SelectObject(dc, previous);
    DeleteObject(font);
}

bool TodayScreen::Create() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTodayClass;
    RegisterClassW(&windowClass);
    DeviceScreen screen = DeviceGetScreen();
    window_ = CreateWindowExW(0, kTodayClass, L"Today", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                              0, screen.width, screen.height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    return window_ != nullptr;
}

bool TodayScreen::StartCustomItem(HostedItem* item) {
    HMODULE library = LoadLibraryW(item->entry.library.c_str());
    if (!library)
        return false;
    // Through void*: FARPROC is only a placeholder for the entry's real signature.
    auto initialize = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ORDINAL_INITIALIZEITEM))));
    if (!initialize) {
        FreeLibrary(library);
        return false;
    }
    item->library = library;
    TODAYLISTITEM& record = item->record;
    ZeroMemory(&record, sizeof record);
    lstrcpynW(record.szName, item->entry.name.c_str(), MAX_ITEMNAME);
    record.tlit = tlitCustom;
    record.dwOrder = item->entry.order;
    record.fEnabled = TRUE;
    record.fOptions = item->entry.options != 0;
    record.grfFlags = item->entry.flags;
    lstrcpynW(record.szDLLPath, item->entry.library.c_str(), MAX_PATH);
    record.hinstDLL = library;
    record.dwSelectability = item->entry.selectability;
    item->window = initialize(&record, window_);
    record.hwndCustom = item->window;
    return item->window != nullptr;
}

bool TodayScreen::LoadItem(const WCHAR* libraryPath, const WCHAR* itemName) {
    UnloadItems();
    fromRegistry_ = false;
    auto item = std::make_unique<HostedItem>();
    item->entry.name = itemName;
    item->entry.type = tlitCustom;
    item->entry.options = 1;
    item->entry.selectability = TODAY_SELECTABILITY_CUSTOMSELECTION;
    item->entry.library = libraryPath;
    if (!StartCustomItem(item.get())) {
        if (item->library)
            FreeLibrary(item->library);
        return false;
    }
    items_.push_back(std::move(item));
    Layout();
    return true;
}

void TodayScreen::LoadRegisteredItems() {
    // Items the list no longer shows are released; the rest start afresh, as on the device.
    UnloadItems();
    fromRegistry_ = true;
    for (const TodayItemEntry& entry : readTodayItems()) {
        auto item = std::make_unique<HostedItem>();
        item->entry = entry;
        if (entry.type == tlitCustom && !StartCustomItem(item.get())) {
            std::fwprintf(stderr, L"today: item %ls (%ls) did not start\n", entry.name.c_str(),
                          entry.library.c_str());
            if (item->library)
                FreeLibrary(item->library);
            continue;
        }
        item->height = entry.type == tlitCustom ? 0 : rowHeight() + 4;
        items_.push_back(std::move(item));
    }
    QueryItems();
    Layout();
}

const HostedItem& TodayScreen::item() const {
    static const HostedItem none;
    for (const auto& hosted : items_)
        if (hosted->window)
            return *hosted;
    return none;
}

void TodayScreen::Layout() {
    int y = rowHeight() + 4; // below the date header
    RECT client;
    GetClientRect(window_, &client);
    for (const auto& item : items_) {
        item->top = y;
        if (item->window) {
            item->height = static_cast<int>(item->record.cyp);
            SetWindowPos(item->window, nullptr, 0, y, client.right, item->height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        y += item->height;
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void TodayScreen::QueryItems() {
    bool relayout = false;
    for (const auto& item : items_) {
        if (!item->window)
            continue;
        if (SendMessageW(item->window, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                         reinterpret_cast<WPARAM>(&item->record), 0))
            relayout = true;
    }
    if (relayout)
        Layout();
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
    for (const auto& item : items_) {
        if (item->window)
            DestroyWindow(item->window);
        if (item->library)
            FreeLibrary(item->library);
    }
    items_.clear();
}

void TodayScreen::Destroy() {
    UnloadItems();
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
}
