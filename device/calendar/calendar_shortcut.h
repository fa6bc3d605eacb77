#pragma once
#include <windows.h>

// Writes the Windows folder's calendar.lnk, a shell shortcut to this program.
bool installCalendarShortcut();
