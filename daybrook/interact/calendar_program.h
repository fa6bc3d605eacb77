// Opening the user's calendar program: which one, where it lives, and starting it.
#pragma once
#include <windows.h>

// The item's tap-and-hold menus; the window procedure reaches both through this header.
#include "context_menu.h"

// The usable program choice: the installed programs AND the ActivePIM setting. 0 is the
// device's own Calendar, 1 Pocket Informant, 2 Agenda Fusion; 3 (both bits) names none.
DWORD programChoice();

// The file that starts the program of a choice, into a buffer of MAX_PATH units; false for a
// choice that names no program.
bool programPath(DWORD choice, WCHAR* path, int length);

// Starts a program, with parameters or none, owned by the item window; true when it was started
// and its process came back.
bool startProgram(HWND window, const WCHAR* path, const WCHAR* parameters);

// Starts the chosen calendar program; 1 when it was started, 0 otherwise.
int launchCalendarProgram(HWND window);
