// Puts the traces of Pocket Informant and Agenda Fusion on the emulated device, and removes them.
#pragma once
#include "test_support.h"

#include <string>

class EmulatedPrograms {
public:
    EmulatedPrograms();
    ~EmulatedPrograms();
    void installPocketInformantProgram();                    // \Windows\PITab.exe
    void installPocketInformantLibrary(const wchar_t* name); // PITools.dll or PINewEditUI.dll
    void installAgendaFusion(const std::wstring& appLocation);
    void installAgendaFusionKeyOnly();
    void removeAll();

private:
    std::wstring windowsFile(const wchar_t* name) const;
    // Libraries are looked for where the device looks, not on the machine's own path.
    testing_support::ScopedEnvironmentVariable path_;
    testing_support::ScopedRegistryKey agendaFusion_;
};
