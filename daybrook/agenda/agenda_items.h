// The four kinds of display item: message lines, dashed separators, day headings and
// appointment lines. Painting lives with the rendering code, taps with the interaction code.
#pragma once
#include "agenda_item.h"

#include <oleauto.h>

class TextItem : public AgendaItem {
public:
    TextItem(const WCHAR* text, int fullRow);
    ~TextItem() override;
    int Paint(HWND window, HDC dc, const RECT& rect) override;

    int fullRow;
    WCHAR* text; // owned; null when the copy could not be made (nothing is painted)
};

class SeparatorItem : public AgendaItem {
public:
    int Paint(HWND window, HDC dc, const RECT& rect) override;
};

class DayHeadingItem : public AgendaItem {
public:
    DayHeadingItem(double date, const WCHAR* text);
    ~DayHeadingItem() override;
    int OnTap(HWND window) override;
    HFONT GetFont() override;
    int Paint(HWND window, HDC dc, const RECT& rect) override;

    WCHAR* text; // owned, or the shared empty text when the copy could not be made
    double date; // midnight of the day the heading stands for
};

// What a line painter sees of an appointment.
struct AppointmentLine {
    BSTR subject;
    BSTR location;
    double shownStart; // 0 when the appointment began before the listed day
    double shownEnd;   // 0 when it ends after the listed day
    VARIANT_BOOL allDay;
    SHORT struck;      // 1: ended when listed; -1 (0xFFFF): deleted from the menu
    LONG busyStatus;   // olFree 0, olTentative 1, olBusy 2, olOutOfOffice 3
    WCHAR startText[40];
    WCHAR endText[40];
};

const SHORT kStruckEnded = 1;
const SHORT kStruckDeleted = static_cast<SHORT>(0xFFFF);

class AppointmentItem : public AgendaItem {
public:
    explicit AppointmentItem(AppointmentItem* previousInDay);
    ~AppointmentItem() override;
    int OnTap(HWND window) override;
    int OnContextMenu(HWND window, int x, int y) override;
    int HitTest(int x, int y) override;
    int GetOid() override { return oid; }
    int IsStale(double now) override;
    int Paint(HWND window, HDC dc, const RECT& rect) override;

    int oid;
    RECT hitRect; // the line's area in the last paint; bottom 0 = not painted yet
    int conflict;
    AppointmentLine line;
    double end;
    double start;
    AppointmentItem* prevInDay; // the item built just before this one for the same day
    // The appointment drawn right above this one under the same heading, null right under the
    // heading; it decides the gap above. All-day items are drawn ahead of the timed ones, so it
    // is not always prevInDay, which it starts as.
    AppointmentItem* drawnAbove;
};

// The text shared by headings whose own copy could not be allocated; never freed.
extern WCHAR kEmptyHeadingText[];
