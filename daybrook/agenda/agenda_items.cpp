#include "agenda_items.h"

#include <cwchar>
#include <new>

WCHAR kEmptyHeadingText[] = L"";

namespace {

WCHAR* copyText(const WCHAR* text) {
    size_t length = text ? wcslen(text) : 0;
    WCHAR* copy = new (std::nothrow) WCHAR[length + 1];
    if (copy) {
        if (length)
            wmemcpy(copy, text, length);
        copy[length] = 0;
    }
    return copy;
}

// The strip at the left edge (the icon column) never hits an appointment.
const int kHitStripWidth = 30;

} // namespace

TextItem::TextItem(const WCHAR* textToCopy, int fullRowFlag)
    : fullRow(fullRowFlag), text(copyText(textToCopy)) {}

TextItem::~TextItem() { delete[] text; }

DayHeadingItem::DayHeadingItem(double day, const WCHAR* textToCopy) : text(copyText(textToCopy)), date(day) {
    if (!text)
        text = kEmptyHeadingText;
}

DayHeadingItem::~DayHeadingItem() {
    if (text != kEmptyHeadingText)
        delete[] text;
}

AppointmentItem::AppointmentItem(AppointmentItem* previousInDay)
    : oid(0), hitRect(), conflict(0), line(), end(0), start(0), prevInDay(previousInDay),
      drawnAbove(previousInDay) {}

AppointmentItem::~AppointmentItem() {
    SysFreeString(line.subject);
    SysFreeString(line.location);
}

int AppointmentItem::HitTest(int x, int y) {
    if (hitRect.bottom == 0 || x <= kHitStripWidth)
        return 0;
    POINT point = {x, y};
    return PtInRect(&hitRect, point) ? 1 : 0;
}

int AppointmentItem::IsStale(double now) {
    return !line.allDay && line.struck == 0 && end < now ? 1 : 0;
}
