// The Pocket PC shell's full-screen dialogs (SHInitDialog) and the maximised property sheet.
// A desktop dialog has a caption and a frame and keeps the size of its template; a Pocket PC one
// covers the screen below a navigation bar that shows its title and its done button, and a
// property sheet there has no OK, Cancel or Apply buttons, only its tabs and the page.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"
#include "aygshell.h"
#include "dialog_templates.h"

namespace {

const UINT_PTR kSubclassId = 0x5348; // "SH"
const WCHAR kFlagsProperty[] = L"DeviceFullScreenFlags";
const DWORD_PTR kKnownMark = 0x100;
const int kNavigationBarHeight = 26; // pixels at 96 dpi
const int kDoneButtonWidth = 32;
const int kTabControlId = 0x3020;
const int kApplyButtonId = 0x3021;

enum FullScreenFlags : DWORD_PTR {
    LeaveMenuBar = 1, // SHIDIF_SIZEDLG: room for a menu bar below
    HasDoneButton = 2,
};

HINSTANCE deviceInstance() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&deviceInstance), &module);
    return module;
}

int scaled(int pixels) {
    return MulDiv(pixels, DeviceGetScreen().dpi, 96);
}

// The bar paints the title of the dialog it sits in, white on the shell's dark blue.
LRESULT CALLBACK NavigationBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT && message != WM_PRINTCLIENT)
        return DefWindowProcW(bar, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = message == WM_PAINT ? BeginPaint(bar, &paint) : reinterpret_cast<HDC>(wParam);
    RECT client;
    GetClientRect(bar, &client);
    HBRUSH background = CreateSolidBrush(RGB(0, 0, 128));
    FillRect(dc, &client, background);
    DeleteObject(background);
    WCHAR title[128];
    GetWindowTextW(GetParent(bar), title, 128);
    client.left += scaled(6);
    HGDIOBJ previousFont = SelectObject(dc, deviceDialogFont());
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, title, -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previousFont);
    if (message == WM_PAINT)
        EndPaint(bar, &paint);
    return 0;
}

bool registerNavigationBar() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = NavigationBarProc;
    windowClass.hInstance = deviceInstance();
    windowClass.lpszClassName = DEVICE_NAVIGATION_BAR_CLASS;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    return RegisterClassW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND navigationBarOf(HWND dialog) {
    return FindWindowExW(dialog, nullptr, DEVICE_NAVIGATION_BAR_CLASS, nullptr);
}

bool isPropertySheet(HWND dialog) {
    return GetDlgItem(dialog, kTabControlId) != nullptr;
}

// The done button is the dialog's own IDOK button where it has one (a property sheet does), so
// that a tap on it is the dialog's own OK; otherwise the device adds one.
HWND ensureDoneButton(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDOK);
    if (!button)
        button =
            CreateWindowExW(0, L"BUTTON", L"ok", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
                            dialog, reinterpret_cast<HMENU>(IDOK), deviceInstance(), nullptr);
    else
        SetWindowTextW(button, L"ok");
    if (button)
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(deviceDialogFont()), FALSE);
    return button;
}

void hideSheetButtons(HWND sheet) {
    const int buttons[] = {IDCANCEL, IDHELP, kApplyButtonId};
    for (int id : buttons)
        if (HWND button = GetDlgItem(sheet, id))
            ShowWindow(button, SW_HIDE);
}

// Tabs and page fill the screen below the bar. The page takes the whole width and everything
// above the tab row (the tab control's own display rectangle, which follows TCS_BOTTOM, keeps a
// frame's margin that a Pocket PC's sheet does not have).
void layoutSheet(HWND sheet, const RECT& area) {
    HWND tabs = GetDlgItem(sheet, kTabControlId);
    SetWindowPos(tabs, HWND_BOTTOM, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOACTIVATE);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    if (!page)
        return;
    RECT display;
    GetClientRect(tabs, &display);
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    MapWindowPoints(tabs, sheet, reinterpret_cast<POINT*>(&display), 2);
    SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left,
                 display.bottom - area.top, SWP_NOACTIVATE);
}

void layoutDialog(HWND dialog, DWORD_PTR flags) {
    RECT client;
    GetClientRect(dialog, &client);
    int barHeight = scaled(kNavigationBarHeight);
    HWND bar = navigationBarOf(dialog);
    if (bar) {
        SetWindowPos(bar, HWND_TOP, 0, 0, client.right, barHeight, SWP_NOACTIVATE);
        InvalidateRect(bar, nullptr, TRUE);
    }
    HWND done = (flags & HasDoneButton) ? GetDlgItem(dialog, IDOK) : nullptr;
    if (done) {
        int width = scaled(kDoneButtonWidth);
        int inset = scaled(3);
        SetWindowPos(done, HWND_TOP, client.right - width - inset, inset, width,
                     barHeight - 2 * inset, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    if (isPropertySheet(dialog)) {
        RECT area = {0, bar ? barHeight : 0, client.right, client.bottom};
        layoutSheet(dialog, area);
    }
}

// The dialog covers the emulated screen (less the menu bar's height when asked to leave room),
// wherever the device's screen lies on the desktop.
void sizeToScreen(HWND dialog, DWORD_PTR flags) {
    DeviceScreen screen = DeviceGetScreen();
    POINT origin = DeviceGetScreenOrigin();
    int height = screen.height - ((flags & LeaveMenuBar) ? scaled(kNavigationBarHeight) : 0);
    SetWindowPos(dialog, nullptr, origin.x, origin.y, screen.width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CALLBACK FullScreenProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR id, DWORD_PTR flags) {
    switch (message) {
    case WM_SETTINGCHANGE: sizeToScreen(dialog, flags); break;
    case WM_SIZE: {
        LRESULT result = DefSubclassProc(dialog, message, wParam, lParam);
        layoutDialog(dialog, flags);
        return result;
    }
    case WM_NOTIFY: {
        // The sheet places a newly selected page itself; the device then gives it the full area.
        LRESULT result = DefSubclassProc(dialog, message, wParam, lParam);
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == TCN_SELCHANGE)
            layoutDialog(dialog, flags);
        return result;
    }
    case PSM_SETCURSEL: {
        // A page selected by the program rather than by its tab, likewise.
        LRESULT result = DefSubclassProc(dialog, message, wParam, lParam);
        if (isPropertySheet(dialog))
            layoutDialog(dialog, flags);
        return result;
    }
    case WM_NCDESTROY:
        RemovePropW(dialog, kFlagsProperty);
        RemoveWindowSubclass(dialog, FullScreenProc, id);
        break;
    }
    return DefSubclassProc(dialog, message, wParam, lParam);
}

// On a device a full-screen dialog begins below the navigation bar; here the bar lies inside the
// dialog, so a plain dialog's own controls move down by the bar's height to stay uncovered.
void moveControlsBelowBar(HWND dialog, HWND bar, DWORD_PTR flags) {
    int barHeight = scaled(kNavigationBarHeight);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == bar || ((flags & HasDoneButton) && GetDlgCtrlID(child) == IDOK))
            continue;
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        SetWindowPos(child, nullptr, rect.left, rect.top + barHeight, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// Takes off the desktop frame and caption, adds the bar and the done button, and keeps the
// dialog full screen from now on, also when the device turns.
void makeFullScreen(HWND dialog, DWORD_PTR flags) {
    bool first = GetPropW(dialog, kFlagsProperty) == nullptr;
    // A dialog made full screen before keeps what it asked for then.
    flags |= reinterpret_cast<DWORD_PTR>(GetPropW(dialog, kFlagsProperty)) & ~kKnownMark;
    SetPropW(dialog, kFlagsProperty, reinterpret_cast<HANDLE>(flags | kKnownMark));
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION | WS_THICKFRAME | DS_MODALFRAME | WS_SYSMENU);
    SetWindowLongPtrW(dialog, GWL_STYLE, style | WS_POPUP);
    LONG_PTR extended = GetWindowLongPtrW(dialog, GWL_EXSTYLE);
    extended &= ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE);
    SetWindowLongPtrW(dialog, GWL_EXSTYLE, extended);
    // The bar spans the dialog's width under the done button: clipped by its siblings, it never
    // paints over them.
    if (!navigationBarOf(dialog) && registerNavigationBar())
        CreateWindowExW(0, DEVICE_NAVIGATION_BAR_CLASS, L"",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, dialog, nullptr,
                        deviceInstance(), nullptr);
    if (flags & HasDoneButton)
        ensureDoneButton(dialog);
    if (isPropertySheet(dialog)) {
        hideSheetButtons(dialog);
        SendDlgItemMessageW(dialog, kTabControlId, WM_SETFONT,
                            reinterpret_cast<WPARAM>(deviceDialogFont()), FALSE);
    } else if (first)
        moveControlsBelowBar(dialog, navigationBarOf(dialog), flags);
    SetWindowSubclass(dialog, FullScreenProc, kSubclassId, flags);
    sizeToScreen(dialog, flags);
    layoutDialog(dialog, flags);
}

// The item's own sheet callback, kept for the duration of the modal PropertySheetW call. A
// callback gets no context of its own; sheets on one thread nest, so a per-thread slot that each
// call saves and restores is enough.
thread_local PFNPROPSHEETCALLBACK tOriginalCallback = nullptr;

int CALLBACK MaximisedSheetCallback(HWND sheet, UINT message, LPARAM lParam) {
    int result = tOriginalCallback ? tOriginalCallback(sheet, message, lParam) : 0;
    // A maximised sheet is full screen even when its owner did not ask the shell for it.
    if (message == PSCB_INITIALIZED)
        makeFullScreen(sheet, 0);
    return result;
}

} // namespace

AYGSHELL_API BOOL SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !IsWindow(info->hDlg))
        return FALSE;
    if (!(info->dwMask & SHIDIM_FLAGS))
        return TRUE;
    DWORD_PTR flags = 0;
    if (info->dwFlags & SHIDIF_DONEBUTTON)
        flags |= HasDoneButton;
    if ((info->dwFlags & SHIDIF_SIZEDLG) && !(info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN))
        flags |= LeaveMenuBar;
    // SHIDIF_SIPDOWN: the emulated device has no input panel, so it is always down.
    if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_DONEBUTTON))
        makeFullScreen(info->hDlg, flags);
    return TRUE;
}

DEVICE_ENV_API INT_PTR WINAPI DevicePropertySheetW(LPCPROPSHEETHEADERW header) {
    if (!header || !(header->dwFlags & PSH_MAXIMIZE))
        return PropertySheetW(header);
    PROPSHEETHEADERW translated = {};
    CopyMemory(&translated, header,
               header->dwSize < sizeof translated ? header->dwSize : sizeof translated);
    translated.dwFlags &= ~static_cast<DWORD>(PSH_MAXIMIZE);
    PFNPROPSHEETCALLBACK saved = tOriginalCallback;
    tOriginalCallback = (header->dwFlags & PSH_USECALLBACK) ? header->pfnCallback : nullptr;
    translated.dwFlags |= PSH_USECALLBACK;
    translated.pfnCallback = MaximisedSheetCallback;
    // The callback field must be within the size the sheet reads.
    if (translated.dwSize < PROPSHEETHEADERW_V1_SIZE)
        translated.dwSize = PROPSHEETHEADERW_V1_SIZE;
    DevicePageTemplates pages;
    pages.scale(&translated, DeviceGetScreen().dpi);
    INT_PTR result = PropertySheetW(&translated);
    tOriginalCallback = saved;
    return result;
}
