// Placeholder painting: every item takes one standard row until the real painters land.
#include "../agenda/agenda_items.h"
#include "../host/resource_module.h"

namespace {
int standardRow(AgendaItem* item) {
    LONG s = getSmallIconSize();
    item->height = s + 2 * (s / 8);
    return item->height;
}
} // namespace

int TextItem::Paint(HWND, HDC, const RECT&) { return standardRow(this); }
int SeparatorItem::Paint(HWND, HDC, const RECT&) { return standardRow(this); }
int DayHeadingItem::Paint(HWND, HDC, const RECT&) { return standardRow(this); }
int AppointmentItem::Paint(HWND, HDC, const RECT& rect) {
    hitRect = rect;
    hitRect.bottom = rect.top + standardRow(this);
    return height;
}
HFONT DayHeadingItem::GetFont() { return nullptr; }
