#include "installed_programs_fixture.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const wchar_t kAgendaFusionKey[] = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";
}

EmulatedPrograms::EmulatedPrograms()
    : path_(L"PATH", deviceLibraryPath().c_str()),
      agendaFusion_(HKEY_LOCAL_MACHINE, kAgendaFusionKey) {
    removeAll();
}

EmulatedPrograms::~EmulatedPrograms() {
    removeAll();
}

std::wstring EmulatedPrograms::windowsFile(const wchar_t* name) const {
    wchar_t folder[MAX_PATH];
    GetWindowsDirectoryW(folder, MAX_PATH);
    return joinPath(folder, name);
}

void EmulatedPrograms::installPocketInformantProgram() {
    HANDLE file = CreateFileW(windowsFile(L"PITab.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
}

void EmulatedPrograms::installPocketInformantLibrary(const wchar_t* name) {
    copyFile(joinPath(programFolder() + L"\\testmodules", name), windowsFile(name));
}

void EmulatedPrograms::installAgendaFusion(const std::wstring& appLocation) {
    agendaFusion_.setString(L"AppLocation", appLocation);
}

void EmulatedPrograms::installAgendaFusionKeyOnly() {
    agendaFusion_.setDword(L"Other", 1);
}

void EmulatedPrograms::removeAll() {
    for (const wchar_t* name : {L"PITab.exe", L"PITools.dll", L"PINewEditUI.dll"})
        EXPECT_TRUE(removeFile(windowsFile(name))) << "the device's Windows folder loses " << name;
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAgendaFusionKey);
}
