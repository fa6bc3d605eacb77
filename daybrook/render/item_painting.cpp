// Message lines and the dashed separator in a run of empty days, and the font lines measure in.
#include "fonts.h"
#include "gdi_scope.h"
#include "markers.h"
#include "paint_selection.h"
#include "scale.h"
#include "text_drawing.h"
#include "../agenda/agenda_items.h"

// Lines draw in the plain font unless their class says otherwise; the font cache owns it.
HFONT AgendaItem::GetFont() {
    return getPlainFont();
}

// The message is clipped to its rectangle, never shortened.
int TextItem::Paint(HWND, HDC dc, const RECT& rect) {
    int used = 0;
    if (text) {
        PaintSelection selection(dc);
        selection.font(getPlainFont());
        RECT textRect = rect;
        used =
            DrawTextW(dc, text, -1, &textRect, DT_NOPREFIX | DT_SINGLELINE | readingOrderFlags());
    }
    if (fullRow && used < standardRowHeight())
        used = standardRowHeight();
    height = used;
    return height;
}

// A dashed rule half as wide as the text area, centred, in the middle of an item 2u high.
int SeparatorItem::Paint(HWND window, HDC dc, const RECT& rect) {
    int u = iconUnit();
    int width = rect.right - rect.left;
    int half = width / 2;
    int x1 = rect.left + width / 2 - half / 2;
    POINT rule[2] = {{x1, rect.top + u}, {x1 + half, rect.top + u}};
    PaintSelection selection(dc);
    selection.pen(getSeparatorPen(window));
    Polyline(dc, rule, 2);
    height = 2 * u;
    return height;
}
