// The other programs of the device, played by the stand-ins the tests build: Pocket Informant's
// program and libraries, Agenda Fusion at its registered location, the Calendar's menu add-ins,
// and the record they all keep of how they were called.
#pragma once
#include <test_support.h>

#include <string>
#include <vector>

// A fresh record for one test: the file DAYBROOK_STANDIN_LOG names, read back line by line.
class StandInLog {
public:
    StandInLog();
    ~StandInLog();
    std::vector<std::string> lines() const;
    // Waits until the record holds at least `count` lines (programs write theirs a little later).
    std::vector<std::string> waitForLines(size_t count, DWORD milliseconds = 10000) const;

private:
    testing_support::TempFolder folder_;
    std::wstring path_;
};

class DevicePrograms {
public:
    DevicePrograms();
    ~DevicePrograms();
    // "\Windows\PITab.exe", a program that records its command line.
    void installPocketInformantProgram();
    // A stand-in library (PIStandInFull, PIStandInDisplayOnly, PIStandInNoDisplay) under one of
    // Pocket Informant's names (PITools.dll, PINewEditUI.dll) in the Windows folder.
    void installPocketInformantLibrary(const wchar_t* standIn, const wchar_t* name);
    // Agenda Fusion's key with "AppLocation" naming `location`; installAgendaFusionProgram puts a
    // recording program there (a path with spaces, as in "\Program Files").
    void registerAgendaFusion(const std::wstring& location, DWORD type = REG_SZ);
    std::wstring installAgendaFusionProgram();
    // A Calendar menu add-in: a subkey of the AddIns key with the values given (null: left out).
    void addAddIn(const wchar_t* subkey, const wchar_t* library, const wchar_t* menuText);
    void addAddInValue(const wchar_t* subkey, const wchar_t* name, DWORD type, const void* data,
                       DWORD size);
    // Copies a test module into the Windows folder under its own name; "\Windows\<name>".
    std::wstring installModule(const wchar_t* name);

private:
    void removeAll();
    testing_support::ScopedEnvironmentVariable path_{L"PATH",
                                                     testing_support::deviceLibraryPath().c_str()};
    testing_support::ScopedRegistryKey agendaFusion_;
    testing_support::ScopedRegistryKey addIns_;
    std::vector<std::wstring> files_;
};

// Waits until every program this process started has ended (and so has written its record);
// false when one still runs after the time given.
bool waitForStartedProgramsToEnd(DWORD milliseconds = 30000);

std::wstring windowsFile(const wchar_t* name);
std::wstring testModule(const wchar_t* name);
bool contains(const std::string& text, const std::string& part);
