#include "calendar_window.h"
#include "calendar_listing.h"

#include <device.h>

namespace {

const int kRowLimit = 100;

struct CalendarWindow {
    IPOutlookApp* store = nullptr;
    std::vector<CalendarRow> rows;
    HWND list = nullptr;
};

DATE today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
    DATE day = 0;
    SystemTimeToVariantTime(&now, &day);
    return day;
}

IPOutlookApp* openStore(HWND owner) {
    IPOutlookApp* store = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp,
                                reinterpret_cast<void**>(&store))) ||
        !store)
        return nullptr;
    // The window travels as a 32-bit long, as the object model declares it.
    if (FAILED(store->Logon(static_cast<long>(reinterpret_cast<LONG_PTR>(owner))))) {
        store->Release();
        return nullptr;
    }
    return store;
}

void fillList(CalendarWindow* calendar) {
    SendMessageW(calendar->list, LB_RESETCONTENT, 0, 0);
    if (!calendar->store) {
        SendMessageW(calendar->list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(L"The appointment store cannot be opened."));
        return;
    }
    calendar->rows = listUpcoming(calendar->store, today(), kRowLimit);
    for (const CalendarRow& row : calendar->rows)
        SendMessageW(calendar->list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text.c_str()));
}

void openSelectedRow(CalendarWindow* calendar) {
    const LRESULT index = SendMessageW(calendar->list, LB_GETCURSEL, 0, 0);
    if (!calendar->store || index < 0 || static_cast<size_t>(index) >= calendar->rows.size())
        return;
    displayRow(calendar->store, calendar->rows[static_cast<size_t>(index)]);
}

LRESULT onCreate(HWND window, CalendarWindow* calendar) {
    RECT client;
    GetClientRect(window, &client);
    calendar->list = CreateWindowExW(
        0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        0, 0, client.right, client.bottom, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(DEVICE_CALENDAR_LIST_ID)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr);
    if (!calendar->list)
        return -1;
    SendMessageW(calendar->list, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    calendar->store = openStore(window);
    fillList(calendar);
    return 0;
}

void onDestroy(CalendarWindow* calendar) {
    if (calendar->store) {
        calendar->store->Logoff();
        calendar->store->Release();
        calendar->store = nullptr;
    }
    PostQuitMessage(0);
}

LRESULT CALLBACK calendarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto calendar = reinterpret_cast<CalendarWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: return onCreate(window, calendar);
    case WM_SIZE:
        if (calendar && calendar->list)
            MoveWindow(calendar->list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == DEVICE_CALENDAR_LIST_ID && HIWORD(wParam) == LBN_DBLCLK)
            openSelectedRow(calendar);
        else if (LOWORD(wParam) == IDOK)
            openSelectedRow(calendar);
        return 0;
    case WM_DESTROY: onDestroy(calendar); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerCalendarClass(HINSTANCE instance) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = calendarProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = DEVICE_CALENDAR_CLASS;
    return RegisterClassW(&windowClass) != 0;
}

} // namespace

int runCalendarWindow(HINSTANCE instance, int show) {
    if (!registerCalendarClass(instance))
        return 1;
    CalendarWindow calendar;
    const DeviceScreen screen = DeviceGetScreen();
    HWND window = CreateWindowExW(0, DEVICE_CALENDAR_CLASS, L"Calendar",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, 0, screen.width,
                                  screen.height, nullptr, nullptr, instance, &calendar);
    if (!window)
        return 1;
    ShowWindow(window, show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}
