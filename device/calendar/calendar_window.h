#pragma once
#include <windows.h>

// Creates the Calendar's window over the store and runs it until it closes; the exit code.
int runCalendarWindow(HINSTANCE instance, int show);
