// Until the calendar programs and menus are in place, a tap opens nothing.
#include "calendar_program.h"

int launchCalendarProgram(HWND) { return 0; }
void showContextMenu(AgendaList*, HWND, int, int) {}
