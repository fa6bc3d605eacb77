#pragma once
#include <windows.h>

// Which other calendar programs are on the device, asked afresh at every use. The bit values
// equal the ActivePIM values of the programs.
enum InstalledProgram : DWORD {
    PocketInformant = 1,
    AgendaFusion = 2,
};

DWORD installedPrograms();

// Agenda Fusion's registered program file ("AppLocation", REG_SZ or REG_EXPAND_SZ, expanded) into
// a buffer of length units; false when it is missing, of another type or does not fit. Agenda
// Fusion counts as installed exactly when this reads.
bool readAgendaFusionLocation(WCHAR* path, int length);
