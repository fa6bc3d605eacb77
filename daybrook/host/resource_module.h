// Where every user-visible string comes from, and two cached screen/language answers the
// drawing code needs everywhere.
#pragma once
#include <windows.h>

// The language module for the device's language beside the library, or the library itself.
HINSTANCE getResourceModule();
// Forgets the chosen module (a language module is released) so that the next call chooses again.
void resetResourceModule();
bool isRightToLeft();
LONG getSmallIconSize();

// LoadStringW from the resource module into buffer (cut to its length; empty when missing).
int loadResourceString(UINT id, WCHAR* buffer, int length);
