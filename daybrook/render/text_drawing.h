// Text operations shared by every appointment line, the agenda builder and the options preview.
#pragma once
#include <windows.h>

// False exactly for 0.0, which stands for "no time on the listed day"; loads the "multiday" text.
bool hasTime(double date);
// The short local time of the date without seconds and spaces, or "multiday" for 0.0.
void formatTime(double date, WCHAR* buffer, int capacity);
// Removes every U+0020 in place.
void removeSpaces(WCHAR* text);
