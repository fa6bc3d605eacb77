// The Today screen's colours, asked of the item window's parent.
#pragma once
#include <windows.h>

// The rule under day headings.
const WPARAM kTodayColorHeadingRule = 0x10000006;

// TODAYM_GETCOLOR to the parent of window; the parent answers with a COLORREF.
COLORREF getTodayColor(HWND window, WPARAM index);
