#include "today_screen.h"
#include "background_work.h"
#include <device.h>
#include <device_env.h>

#include <cwchar>

namespace {

const WCHAR kTodayClass[] = L"DesktopExplorerWindow";
const WPARAM kRefreshTodayItems = 0xF2;
const UINT_PTR kPollTimer = 1;
const UINT kPollMilliseconds = 2000;
const DWORD kFramedStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

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
    case WM_TIMER:
        if (wParam == kPollTimer) {
            QueryItems();
            RECT header = {0, 0, DeviceGetScreen().width, rowHeight() + 4};
            InvalidateRect(window_, &header, FALSE); // the date in the header follows the clock
        }
        return 0;
    case WM_KEYDOWN: PressKey(static_cast<UINT>(wParam)); return 0;
    case WM_LBUTTONDOWN: SelectRowAt(static_cast<short>(HIWORD(lParam))); return 0;
    case WM_COMMAND:
        if (commandHandler_)
            commandHandler_(LOWORD(wParam), commandContext_);
        return 0;
    case WM_CLOSE:
        if (framed_)
            PostQuitMessage(0);
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
    for (size_t index = 0; index < items_.size(); ++index) {
        const auto& item = items_[index];
        if (item->window)
            continue;
        bool selected = static_cast<int>(index) == selected_;
        if (selected) {
            RECT band = {client.left, item->top, client.right, item->top + item->height - 1};
            HBRUSH bandBrush = CreateSolidBrush(kHighlightColor);
            FillRect(dc, &band, bandBrush);
            DeleteObject(bandBrush);
        }
        SetTextColor(dc, selected ? kHighlightTextColor : kTextColor);
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

bool TodayScreen::Create(bool framed, HMENU menu) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kTodayClass;
    RegisterClassW(&windowClass);
    framed_ = framed;
    DeviceScreen screen = DeviceGetScreen();
    DWORD style = framed ? kFramedStyle : WS_POPUP;
    RECT outer = {0, 0, screen.width, screen.height};
    AdjustWindowRectEx(&outer, style, menu != nullptr, 0);
    window_ = CreateWindowExW(0, kTodayClass, L"Today", style | WS_VISIBLE | WS_CLIPCHILDREN,
                              framed ? CW_USEDEFAULT : 0, framed ? CW_USEDEFAULT : 0,
                              outer.right - outer.left, outer.bottom - outer.top, nullptr, menu,
                              GetModuleHandleW(nullptr), this);
    return window_ != nullptr;
}

void TodayScreen::StartPolling() {
    SetTimer(window_, kPollTimer, kPollMilliseconds, nullptr);
}

void TodayScreen::SetCommandHandler(TodayCommandHandler handler, void* context) {
    commandHandler_ = handler;
    commandContext_ = context;
}

void TodayScreen::FitToScreen() {
    DeviceScreen screen = DeviceGetScreen();
    RECT outer = {0, 0, screen.width, screen.height};
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE));
    AdjustWindowRectEx(&outer, style, GetMenu(window_) != nullptr, 0);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    QueryItems();
    Layout();
}

// Rows the selection can rest on: built-in rows, and custom items that take it themselves.
bool TodayScreen::IsSelectable(const HostedItem& item) const {
    if (!item.window)
        return true;
    return item.record.dwSelectability != TODAY_SELECTABILITY_NOTSELECTABLE;
}

// A custom item may refuse the selection (it has nothing to select); the key says from where
// it arrives.
bool TodayScreen::EnterRow(int index, UINT key) {
    HostedItem& item = *items_[index];
    if (!IsSelectable(item))
        return false;
    if (item.window && item.record.dwSelectability == TODAY_SELECTABILITY_CUSTOMSELECTION &&
        !SendMessageW(item.window, WM_TODAYCUSTOM_RECEIVEDSELECTION, key, 0))
        return false;
    selected_ = index;
    InvalidateRect(window_, nullptr, FALSE);
    return true;
}

void TodayScreen::LeaveRow() {
    if (selected_ < 0 || selected_ >= static_cast<int>(items_.size()))
        return;
    HostedItem& item = *items_[selected_];
    if (item.window && item.record.dwSelectability == TODAY_SELECTABILITY_CUSTOMSELECTION)
        SendMessageW(item.window, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    selected_ = -1;
    InvalidateRect(window_, nullptr, FALSE);
}

void TodayScreen::MoveSelection(UINT key) {
    int count = static_cast<int>(items_.size());
    bool down = key == VK_DOWN;
    if (selected_ >= 0 && selected_ < count) {
        HostedItem& item = *items_[selected_];
        if (item.window && item.record.dwSelectability == TODAY_SELECTABILITY_CUSTOMSELECTION &&
            SendMessageW(item.window, WM_TODAYCUSTOM_USERNAVIGATION, key, 0))
            return; // the item moved its own selection
    }
    int from = selected_ >= 0 ? selected_ : (down ? -1 : count);
    for (int index = from + (down ? 1 : -1); index >= 0 && index < count; index += down ? 1 : -1) {
        if (!IsSelectable(*items_[index]))
            continue;
        LeaveRow();
        if (EnterRow(index, key))
            return;
    }
}

void TodayScreen::PressKey(UINT key) {
    if (key == VK_UP || key == VK_DOWN) {
        MoveSelection(key);
    } else if (key == VK_RETURN && selected_ >= 0 && selected_ < static_cast<int>(items_.size())) {
        HostedItem& item = *items_[selected_];
        if (item.window)
            SendMessageW(item.window, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
    }
}

// A tap on a built-in row selects it; taps on custom items go to their own windows.
void TodayScreen::SelectRowAt(int y) {
    for (int index = 0; index < static_cast<int>(items_.size()); ++index) {
        const HostedItem& item = *items_[index];
        if (item.window || y < item.top || y >= item.top + item.height)
            continue;
        LeaveRow();
        EnterRow(index, 0);
        return;
    }
}

bool TodayScreen::StartCustomItem(HostedItem* item) {
    HMODULE library = LoadLibraryW(item->entry.library.c_str());
    if (!library)
        return false;
    watchBackgroundWork(library);
    if (libraryObserver_)
        libraryObserver_(library);
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

namespace {

bool never() {
    return false;
}

void dispatchQueuedMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

void TodayScreen::Run(DWORD milliseconds, DWORD pollInterval) {
    RunUntil(never, milliseconds, pollInterval);
}

bool TodayScreen::RunUntil(bool (*done)(), DWORD milliseconds, DWORD pollInterval) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    ULONGLONG nextPoll = 0;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        if (now >= nextPoll) {
            QueryItems();
            if (done())
                return true;
            nextPoll = now + pollInterval;
        }
        DWORD wait = static_cast<DWORD>((nextPoll < end ? nextPoll : end) - now);
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, 0);
        dispatchQueuedMessages();
    }
}

bool TodayScreen::RunUntilFirstBuild(DWORD milliseconds) {
    const bool built = RunUntil(firstBackgroundWorkDone, milliseconds, 20);
    // The poll after the build takes its list.
    QueryItems();
    Settle();
    return built;
}

void TodayScreen::Settle() {
    dispatchQueuedMessages();
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TodayScreen::UnloadItems() {
    LeaveRow();
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
