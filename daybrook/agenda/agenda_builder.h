// Builds a complete new AgendaList for the current settings and local time on the loader thread;
// null when the appointment store cannot be read.
#pragma once
#include <windows.h>

class AgendaList;

AgendaList* BuildAgenda(HWND window);
