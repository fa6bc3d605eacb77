// The device's calendars handed on through the environment (see calendars.cpp).
#pragma once

// Reads DEVICE_CALENDAR, DEVICE_CALENDAR_2, ... and the subscription settings, when set.
void LoadCalendarEnvironment();
// Writes them for the programs this process starts; stale numbered variables are removed.
void ExportCalendarEnvironment();
