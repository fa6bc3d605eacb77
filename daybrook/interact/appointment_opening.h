// Opening one appointment in the user's calendar program, falling back to the device's own
// Calendar whenever the chosen program cannot be reached.
#pragma once
#include <windows.h>

// Nonzero when the appointment was shown.
int openAppointment(HWND window, long oid, DATE start);
int openInPocketInformant(HWND window, long oid, DATE start);
int openInAgendaFusion(HWND window, long oid, DATE start);
// The store's own view of the appointment (the device's Calendar).
int openInDeviceCalendar(HWND window, long oid, DATE start);

// Whole minutes from 1601-01-01 00:00 to the date, counted in local time, low 32 bits.
LONG minuteNumber(DATE date);

// Pocket Informant's entry: (identifier, occurrence start, 0, owner window).
typedef int (*DisplayAppointmentWindowExternProc)(long oid, DATE start, int reserved, HWND owner);
