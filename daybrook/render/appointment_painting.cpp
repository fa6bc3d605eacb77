// An appointment item: set off from the one above, drawn by the chosen layout, then marked.
#include "fonts.h"
#include "gdi_scope.h"
#include "line_painters.h"
#include "markers.h"
#include "scale.h"
#include "../agenda/agenda_items.h"
#include "../host/resource_module.h"
#include "../settings/options.h"

namespace {

// Half a line of the plain font between appointments of a day, except between two all-day
// ones; none above the first one drawn under the heading.
int gapAbove(const AppointmentItem* item, HDC dc) {
    const AppointmentItem* above = item->drawnAbove;
    if (!above || (item->line.allDay && above->line.allDay))
        return 0;
    return getPlainHeight(dc) / 2;
}

// With word wrap the text keeps clear of a vertical scroll bar's width at the far side.
void narrowForWordWrap(RECT* rect) {
    if (!GetOptions()->WordWrap)
        return;
    if (isRightToLeft())
        rect->left += GetSystemMetrics(SM_CXVSCROLL);
    else
        rect->right -= GetSystemMetrics(SM_CXVSCROLL);
}

// Right to left, the lines start at the right: the free/busy marker stands there, so every
// appointment keeps 3u free at its right end (all-day ones too, so that the lines align). Left to
// right the marker stands in the margin before the text indent.
void keepRoomForMarker(RECT* rect) {
    if (isRightToLeft())
        rect->right -= 3 * iconUnit();
}

} // namespace

int AppointmentItem::Paint(HWND window, HDC dc, const RECT& rect) {
    int gap = gapAbove(this, dc);
    RECT lines = rect;
    lines.top += gap;
    hitRect = lines;
    lines.bottom = 0xFFFF;
    narrowForWordWrap(&lines);
    keepRoomForMarker(&lines);

    DWORD painter = GetOptions()->Painter;
    int used = painter < static_cast<DWORD>(getPainterCount())
                   ? getPainterTable()[painter](dc, &lines, &line)
                   : 0;
    hitRect.bottom = hitRect.top + used;
    // A layout that drew nothing (no subject, no fonts) gets no marker beside it.
    if (!line.allDay && used > 0)
        drawBusyMarker(window, dc, this);
    height = gap + used;
    return height;
}
