// What the appointment store says about the device's calendars, for the emulator's console.
#pragma once

#include <cstdio>

// Prints the store's errors (calendars that cannot be read, subscriptions whose last fetch
// failed) to `out`, one line each. Nothing when the store was never loaded or all is well.
void printCalendarProblems(std::FILE* out);
