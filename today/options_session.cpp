#include "options_session.h"
#include "window_snapshot.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>

namespace {

const int kTabControlId = 0x3020;

const OptionsRequest* gRequest = nullptr;

BOOL CALLBACK findSheet(HWND window, LPARAM lParam) {
    if (!GetDlgItem(window, kTabControlId))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = window;
    return FALSE;
}

HWND findOpenSheet() {
    HWND sheet = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findSheet, reinterpret_cast<LPARAM>(&sheet));
    return sheet;
}

// Presses the sheet's done button as the user would.
void pressDone(HWND sheet) {
    HWND done = GetDlgItem(sheet, IDOK);
    if (done && IsWindowVisible(done))
        SendMessageW(done, BM_CLICK, 0, 0);
    else
        PropSheet_PressButton(sheet, PSBTN_OK);
}

void CALLBACK onCloseTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND sheet = findOpenSheet();
    if (!sheet || !gRequest)
        return; // not up yet: the next tick looks again
    KillTimer(nullptr, timer);
    if (gRequest->page > 0)
        PropSheet_SetCurSel(sheet, nullptr, gRequest->page);
    if (gRequest->snapshot && !saveWindowSnapshot(sheet, gRequest->snapshot))
        std::fwprintf(stderr, L"today: cannot write %ls\n", gRequest->snapshot);
    pressDone(sheet);
}

} // namespace

bool openItemOptions(TodayScreen& screen, const OptionsRequest& request) {
    HMODULE library = screen.item().library;
    DLGPROC procedure = reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(
        GetProcAddress(library, MAKEINTRESOURCEA(ORDINAL_OPTIONSDIALOGPROC))));
    if (!procedure)
        return false;
    gRequest = &request;
    UINT_PTR timer = 0;
    if (request.closeAfterMilliseconds >= 0)
        timer =
            SetTimer(nullptr, 0, static_cast<UINT>(request.closeAfterMilliseconds), onCloseTimer);
    DialogBoxParamW(library, MAKEINTRESOURCEW(IDD_TODAY_CUSTOM), screen.window(), procedure, 0);
    if (timer)
        KillTimer(nullptr, timer);
    gRequest = nullptr;
    if (screen.item().window)
        SendMessageW(screen.item().window, WM_TODAYCUSTOM_CLEARCACHE, 0, 0);
    screen.QueryItems();
    return true;
}
