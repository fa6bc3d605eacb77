// The one process-wide settings record. Its address is exported (GetOptions), so the order and
// width of its fields are part of the library's interface.
#pragma once
#include <windows.h>

enum UpcomingType : DWORD {
    UpcomingDays = 1,
    UpcomingAppointments = 2,
    UpcomingAppointmentsAndToday = 3,
    UpcomingHours = 4,
    UpcomingLines = 5,
};

const COLORREF ColorNone = 0xFFFFFFFF;
const DWORD kPainterCount = 14;

struct Options {
    DWORD Painter;
    DWORD UpcomingCount;
    DWORD UpcomingType;
    BOOL AllDay;
    BOOL WordWrap;
    BOOL ShowCompleted;
    BOOL ShowEmptyDays;
    BOOL AppointmentFontBold;
    BOOL DateFontBold;
    float AppointmentFontSize;
    float DateFontSize;
    COLORREF FreeColor;
    COLORREF TentativeColor;
    COLORREF ConflictColor;
    DWORD ActivePIM;
};

static_assert(sizeof(Options) == 60, "Options is fifteen 32-bit fields without gaps");
static_assert(sizeof(float) == 4, "font sizes are IEEE single precision");

extern Options gOptions;

// Overwrites the fields whose stored values are acceptable; returns the registry status.
LONG loadOptions();
// Writes all fifteen values; returns the registry status.
LONG saveOptions();

extern "C" Options* GetOptions();
