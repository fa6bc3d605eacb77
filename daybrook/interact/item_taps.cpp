// What a tap and a tap-and-hold do on the items that answer them.
#include "appointment_opening.h"
#include "calendar_program.h"
#include "context_menu.h"
#include "../agenda/agenda_items.h"

// A heading starts the calendar program without choosing its day.
int DayHeadingItem::OnTap(HWND window) {
    return launchCalendarProgram(window);
}

// Opens this occurrence: the series' identifier and the occurrence's own start.
int AppointmentItem::OnTap(HWND window) {
    return openAppointment(window, oid, start);
}

int AppointmentItem::OnContextMenu(HWND window, int x, int y) {
    return showAppointmentMenu(this, window, x, y);
}
