// Turning one day's appointments into display items under the chosen limit.
#pragma once
#include <windows.h>
#include <pimstore.h>

class AgendaItem;
class AppointmentItem;
struct BuildState;

// 1: go on with the next day; 0: a limit (or no memory for an appointment) ends the walk.
int AddDay(HWND window, IPOutlookItemCollection* dayItems, BuildState* state);
// 1 when the item may be inserted; in lines mode it is measured, and destroyed when refused.
int FitsLineBudget(HWND window, BuildState* state, AgendaItem* item);
// The item for one occurrence as listed under one day; null when there is no memory.
AppointmentItem* buildAppointmentItem(AppointmentItem* previousInDay, IAppointment* appointment,
                                      int listedDay, double now);
