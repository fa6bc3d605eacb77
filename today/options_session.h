// Opening the item's options the way the Today screen's settings do: dialog 500 of the item
// library with export 241 as its dialog procedure. Headless runs close the sheet themselves.
#pragma once
#include "today_screen.h"

struct OptionsRequest {
    bool open = false;
    int closeAfterMilliseconds = -1; // -1: the user closes it
    int page = 0;                    // the page to show before closing
    const WCHAR* snapshot = nullptr; // a PNG of the sheet, taken just before closing
};

// Runs the options modally over the Today window; afterwards the item is told to rebuild its
// list (WM_TODAYCUSTOM_CLEARCACHE) and polled. False when the library has no export 241.
bool openItemOptions(TodayScreen& screen, const OptionsRequest& request);
