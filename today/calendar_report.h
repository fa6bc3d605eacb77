// What the appointment store says about the device's calendars, for the emulator's console.
#pragma once

#include <cstdio>

// Fetches the device's subscriptions once and waits for them, as a device synchronises before
// its owner looks: a picture taken at once then shows them. Says how it went on `out`; nothing
// when the device has no subscription.
void fetchSubscriptionsNow(std::FILE* out);

// Prints the store's errors (calendars that cannot be read, subscriptions whose last fetch
// failed) to `out`, one line each. Nothing when the store was never loaded or all is well.
void printCalendarProblems(std::FILE* out);
