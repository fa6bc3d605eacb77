// What the appointment menu does to the appointment in the store: delete it (asking first) and
// beam it.
#pragma once
#include <windows.h>

class AppointmentItem;

// Asks, deletes the appointment, its series or the one occurrence, and strikes the line through
// once the store has deleted it.
void deleteAppointment(AppointmentItem* item, HWND window);
void beamAppointment(AppointmentItem* item, HWND window);
