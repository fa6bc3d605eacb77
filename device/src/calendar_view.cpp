// The Calendar program's view of one appointment: subject, location, start, end and recurrence,
// shown modally over its owner. Works under a null display driver, where tests close it.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"

#include <string>

namespace {

const int kMargin = 8;
const int kLineHeight = 18;
const int kLabelWidth = 64;
const int kButtonWidth = 64;
const int kButtonHeight = 22;

struct ViewState {
    bool done = false;
    int result = IDCANCEL;
};

HINSTANCE moduleInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleInstance), &module);
    return module;
}

std::wstring formatDate(const SYSTEMTIME& time, LCID locale) {
    WCHAR text[64] = {};
    GetDateFormatW(locale, DATE_SHORTDATE, &time, nullptr, text, 64);
    return text;
}

std::wstring formatTime(const SYSTEMTIME& time, LCID locale) {
    WCHAR text[64] = {};
    GetTimeFormatW(locale, TIME_NOSECONDS, &time, nullptr, text, 64);
    return text;
}

// An all-day appointment ends at the midnight after its last day; the view names that last day.
SYSTEMTIME lastDayOf(const SYSTEMTIME& start, const SYSTEMTIME& end) {
    FILETIME startUnits, endUnits;
    if (!SystemTimeToFileTime(&start, &startUnits) || !SystemTimeToFileTime(&end, &endUnits))
        return end;
    ULARGE_INTEGER value;
    value.LowPart = endUnits.dwLowDateTime;
    value.HighPart = endUnits.dwHighDateTime;
    ULARGE_INTEGER first;
    first.LowPart = startUnits.dwLowDateTime;
    first.HighPart = startUnits.dwHighDateTime;
    const ULONGLONG day = 24ULL * 3600 * 10000000;
    if (value.QuadPart >= first.QuadPart + day)
        value.QuadPart -= day;
    FILETIME lastUnits;
    lastUnits.dwLowDateTime = value.LowPart;
    lastUnits.dwHighDateTime = value.HighPart;
    SYSTEMTIME last;
    FileTimeToSystemTime(&lastUnits, &last);
    return last;
}

std::wstring startText(const DeviceAppointmentView& view, LCID locale) {
    if (view.allDay)
        return formatDate(view.start, locale);
    return formatDate(view.start, locale) + L" " + formatTime(view.start, locale);
}

std::wstring endText(const DeviceAppointmentView& view, LCID locale) {
    if (view.allDay)
        return formatDate(lastDayOf(view.start, view.end), locale);
    return formatDate(view.end, locale) + L" " + formatTime(view.end, locale);
}

void addRow(HWND view, HFONT font, int row, const WCHAR* label, const std::wstring& value, int id,
            int width) {
    const int top = kMargin + row * kLineHeight;
    HINSTANCE instance = moduleInstance();
    HWND caption = CreateWindowExW(0, L"STATIC", label, WS_CHILD | WS_VISIBLE, kMargin, top,
                                   kLabelWidth, kLineHeight, view, nullptr, instance, nullptr);
    HWND text = CreateWindowExW(
        0, L"STATIC", value.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_ENDELLIPSIS,
        kMargin + kLabelWidth, top, width - kLabelWidth - 2 * kMargin, kLineHeight, view,
        reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
    SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void addFields(HWND view, const DeviceAppointmentView& fields, int width) {
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const LCID locale = DeviceGetUserDefaultLCID();
    addRow(view, font, 0, L"Subject:", fields.subject ? fields.subject : L"", DeviceViewSubject,
           width);
    addRow(view, font, 1, L"Location:", fields.location ? fields.location : L"", DeviceViewLocation,
           width);
    addRow(view, font, 2, L"Starts:", startText(fields, locale), DeviceViewStart, width);
    addRow(view, font, 3, L"Ends:", endText(fields, locale), DeviceViewEnd, width);
    addRow(view, font, 4, L"Occurs:", fields.recurrence ? fields.recurrence : L"",
           DeviceViewRecurrence, width);
    HWND ok = CreateWindowExW(
        0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
        width - kButtonWidth - 2 * kMargin, kMargin + 6 * kLineHeight, kButtonWidth, kButtonHeight,
        view, reinterpret_cast<HMENU>(IDOK), moduleInstance(), nullptr);
    SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

LRESULT CALLBACK viewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewState* state = reinterpret_cast<ViewState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        CREATESTRUCTW* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case WM_COMMAND:
        if (state && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            state->result = LOWORD(wParam);
            state->done = true;
            return 0;
        }
        break;
    case WM_CLOSE:
        // The modal loop ends and destroys the window after re-enabling the owner.
        if (state)
            state->done = true;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerViewClass() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (GetClassInfoExW(moduleInstance(), DEVICE_APPOINTMENT_VIEW_CLASS, &windowClass))
        return true;
    windowClass.lpfnWndProc = viewProc;
    windowClass.hInstance = moduleInstance();
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = DEVICE_APPOINTMENT_VIEW_CLASS;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Runs until the view is done; a WM_QUIT is put back for the caller's own loop.
void runModalLoop(HWND view, ViewState& state) {
    MSG message;
    while (!state.done) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got < 0)
            return;
        if (!IsDialogMessageW(view, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

struct ViewSearch {
    DWORD process;
    HWND found;
    int closed;
    bool close;
};

BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
    ViewSearch* search = reinterpret_cast<ViewSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    WCHAR className[64] = {};
    // A view counts once it shows: by then its owner is disabled.
    if (process != search->process || !IsWindowVisible(window) ||
        !GetClassNameW(window, className, 64) ||
        lstrcmpW(className, DEVICE_APPOINTMENT_VIEW_CLASS) != 0)
        return TRUE;
    if (search->close) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        ++search->closed;
        return TRUE;
    }
    search->found = window;
    return FALSE; // windows come in z-order: the first is the most recent
}

ViewSearch searchViews(bool close) {
    ViewSearch search = {GetCurrentProcessId(), nullptr, 0, close};
    EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&search));
    return search;
}

} // namespace

DEVICE_API int DeviceShowAppointmentView(HWND owner, const DeviceAppointmentView* fields) {
    if (!fields || !registerViewClass())
        return -1;
    const DeviceScreen screen = DeviceGetScreen();
    ViewState state;
    HWND view = CreateWindowExW(WS_EX_DLGMODALFRAME, DEVICE_APPOINTMENT_VIEW_CLASS, L"Calendar",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, screen.width,
                                screen.height, owner, nullptr, moduleInstance(), &state);
    if (!view)
        return -1;
    addFields(view, *fields, screen.width);
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (disableOwner)
        EnableWindow(owner, FALSE);
    ShowWindow(view, SW_SHOW);
    runModalLoop(view, state);
    // The owner comes back before the view goes, so that activation returns to it.
    if (disableOwner)
        EnableWindow(owner, TRUE);
    DestroyWindow(view);
    return state.result;
}

DEVICE_API HWND DeviceFindAppointmentView(void) {
    return searchViews(false).found;
}

DEVICE_API int DeviceCloseAppointmentViews(void) {
    return searchViews(true).closed;
}
