// Taps and tap-and-hold on items. Opening appointments and the menus arrive with the interaction
// code; until then no item handles a tap, so the window falls back to its own handling.
#include "../agenda/agenda_items.h"

int DayHeadingItem::OnTap(HWND) { return 0; }
int AppointmentItem::OnTap(HWND) { return 0; }
int AppointmentItem::OnContextMenu(HWND, int, int) { return 0; }
