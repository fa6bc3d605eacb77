#include "heading_painting.h"
#include "fonts.h"
#include "gdi_scope.h"
#include "markers.h"
#include "paint_selection.h"
#include "render_lock.h"
#include "scale.h"
#include "text_drawing.h"
#include "today_colors.h"
#include "../agenda/agenda_items.h"
#include "../extensions/extension_table.h"
#include "../host/resource_module.h"

#include <cstring>

namespace {

HPEN gHeadingPen = nullptr;
COLORREF gHeadingPenColor = 0;

// The rule lies this far below the text, and the heading ends two pixels below the rule.
const int kRuleOffset = 3;
const int kHeadingPadding = 5;

HPEN headingPenFor(COLORREF color) {
    ScopedRenderLock lock;
    if (!gHeadingPen || gHeadingPenColor != color) {
        deleteCachedObject(&gHeadingPen);
        gHeadingPen = CreatePen(PS_SOLID, GetSystemMetrics(SM_CYBORDER), color);
        gHeadingPenColor = color;
    }
    return gHeadingPen;
}

// The heading's own drawing: icon in the left margin, rule from u left of the text to the right
// margin, then the text. Returns the text height plus the padding.
int drawOwnHeading(HDC dc, const RECT& heading, const WCHAR* text) {
    UINT flags = DT_NOPREFIX | DT_SINGLELINE | readingOrderFlags();
    PaintSelection selection(dc);
    selection.font(getDateFont());
    RECT measured = heading;
    DrawTextW(dc, text, -1, &measured, flags | DT_CALCRECT);
    int u = iconUnit();
    int ruleY = measured.bottom + kRuleOffset;

    int iconTop = measured.top + (ruleY - getSmallIconSize() - measured.top) / 2;
    drawDayHeadingIcon(dc, u, iconTop);
    POINT rule[2] = {{heading.left - u, ruleY}, {heading.right, ruleY}};
    Polyline(dc, rule, 2);

    RECT textRect = heading;
    return DrawTextW(dc, text, -1, &textRect, flags) + kHeadingPadding;
}

} // namespace

int drawDayHeading(HWND window, HDC dc, RECT heading, double day, const WCHAR* text) {
    HPEN pen = headingPenFor(getTodayColor(window, kTodayColorHeadingRule));
    PaintSelection selection(dc);
    selection.pen(pen);
    // Extensions see the date as the two halves of its 64 bits, low half first.
    ULONGLONG bits;
    static_assert(sizeof bits == sizeof day, "an OLE date is 64 bits");
    memcpy(&bits, &day, sizeof bits);
    ULONGLONG drawn = paintDayHeading(dc, &heading, static_cast<DWORD>(bits),
                                      static_cast<DWORD>(bits >> 32), text);
    rereadListSelections(dc);
    if (static_cast<DWORD>(drawn) != 0)
        return static_cast<int>(static_cast<DWORD>(drawn));
    return drawOwnHeading(dc, heading, text);
}

void releaseHeadingPen() {
    ScopedRenderLock lock;
    deleteCachedObject(&gHeadingPen);
    gHeadingPenColor = 0;
}

// The space above a heading belongs to it: the first heading starts below the item icon's
// square, later ones half a line of the date font plus u below the item above.
int DayHeadingItem::Paint(HWND window, HDC dc, const RECT& rect) {
    int row = standardRowHeight();
    int u = iconUnit();
    int gap = 0;
    if (rect.top != 0)
        gap = getDateHeight(dc) / 2;
    int y = rect.top + gap;
    RECT heading = rect;
    int extra;
    if (y < row) {
        heading.top = row;
        extra = row - rect.top;
        heading.bottom = rect.bottom + extra;
    } else {
        heading.top = y + u;
        extra = gap + u;
    }
    height = drawDayHeading(window, dc, heading, date, text) + extra;
    return height;
}

HFONT DayHeadingItem::GetFont() {
    return getDateFont();
}
