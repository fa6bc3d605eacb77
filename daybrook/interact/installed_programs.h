#pragma once
#include <windows.h>

// Which other calendar programs are on the device, asked afresh at every use. The bit values
// equal the ActivePIM values of the programs.
enum InstalledProgram : DWORD {
    PocketInformant = 1,
    AgendaFusion = 2,
};

DWORD installedPrograms();
