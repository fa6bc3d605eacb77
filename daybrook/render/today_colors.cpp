#include "today_colors.h"

#include <todaycmn.h>

COLORREF getTodayColor(HWND window, WPARAM index) {
    return static_cast<COLORREF>(SendMessageW(GetParent(window), TODAYM_GETCOLOR, index, 0));
}
