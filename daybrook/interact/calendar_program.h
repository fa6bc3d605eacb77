// Opening the user's calendar program and the tap-and-hold menus.
#pragma once
#include <windows.h>

class AgendaList;

// Starts the chosen calendar program; nonzero when it was started.
int launchCalendarProgram(HWND window);
// The tap-and-hold menu for the item under (x, y) or the general one.
void showContextMenu(AgendaList* list, HWND window, int x, int y);
