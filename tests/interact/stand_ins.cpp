#include "stand_ins.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <sstream>

using namespace testing_support;

namespace {
const wchar_t kAgendaFusionKey[] = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";
const wchar_t kAddInsKey[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\Calendar\\AddIns";
const wchar_t kAgendaFusionFolder[] = L"C:\\Program Files\\Agenda Fusion";
} // namespace

std::wstring windowsFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetWindowsDirectoryW(folder, MAX_PATH);
    return joinPath(folder, name);
}

std::wstring testModule(const wchar_t* name) {
    return joinPath(programFolder() + L"\\testmodules", name);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

StandInLog::StandInLog() : path_(folder_.file(L"stand-ins.log")) {
    SetEnvironmentVariableW(L"DAYBROOK_STANDIN_LOG", path_.c_str());
}

StandInLog::~StandInLog() {
    SetEnvironmentVariableW(L"DAYBROOK_STANDIN_LOG", nullptr);
}

std::vector<std::string> StandInLog::lines() const {
    std::vector<std::string> result;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return result;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

namespace {

// Programs this process started, apart from the platform's own desktop and console hosts.
std::wstring childProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return L"?";
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    std::wstring names;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            _wcsicmp(entry.szExeFile, L"explorer.exe") != 0 &&
            _wcsicmp(entry.szExeFile, L"conhost.exe") != 0)
            names += std::wstring(entry.szExeFile) + L" ";
    CloseHandle(snapshot);
    return names;
}

} // namespace

bool waitForStartedProgramsToEnd(DWORD milliseconds) {
    std::wstring running;
    if (pumpUntil([&] { return (running = childProcesses()).empty(); }, milliseconds))
        return true;
    ADD_FAILURE() << "still running: " << running;
    return false;
}

std::vector<std::string> StandInLog::waitForLines(size_t count, DWORD milliseconds) const {
    pumpUntil([&] { return lines().size() >= count; }, milliseconds);
    return lines();
}

DevicePrograms::DevicePrograms()
    : agendaFusion_(HKEY_LOCAL_MACHINE, kAgendaFusionKey), addIns_(HKEY_LOCAL_MACHINE, kAddInsKey) {
    removeAll();
}

DevicePrograms::~DevicePrograms() {
    removeAll();
}

void DevicePrograms::removeAll() {
    const wchar_t* traces[] = {L"PITab.exe", L"PITools.dll", L"PINewEditUI.dll"};
    for (const wchar_t* name : traces)
        EXPECT_TRUE(removeFile(windowsFile(name))) << "the Windows folder loses " << name;
    for (const std::wstring& file : files_)
        EXPECT_TRUE(removeFile(file)) << "the Windows folder loses " << file;
    files_.clear();
    RemoveDirectoryW(kAgendaFusionFolder);
}

void DevicePrograms::installPocketInformantProgram() {
    copyFile(testModule(L"ProgramRecorder.exe"), windowsFile(L"PITab.exe"));
}

void DevicePrograms::installPocketInformantLibrary(const wchar_t* standIn, const wchar_t* name) {
    copyFile(testModule((std::wstring(standIn) + L".dll").c_str()), windowsFile(name));
}

void DevicePrograms::registerAgendaFusion(const std::wstring& location, DWORD type) {
    agendaFusion_.setString(L"AppLocation", location, type);
}

std::wstring DevicePrograms::installAgendaFusionProgram() {
    CreateDirectoryW(kAgendaFusionFolder, nullptr);
    std::wstring program = std::wstring(kAgendaFusionFolder) + L"\\AgendaFusion.exe";
    copyFile(testModule(L"ProgramRecorder.exe"), program);
    files_.push_back(program);
    return L"\\Program Files\\Agenda Fusion\\AgendaFusion.exe";
}

void DevicePrograms::addAddInValue(const wchar_t* subkey, const wchar_t* name, DWORD type,
                                   const void* data, DWORD size) {
    std::wstring path = std::wstring(kAddInsKey) + L"\\" + subkey;
    HKEY key;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    if (name)
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void DevicePrograms::addAddIn(const wchar_t* subkey, const wchar_t* library,
                              const wchar_t* menuText) {
    addAddInValue(subkey, nullptr, REG_SZ, nullptr, 0); // the subkey even without values
    auto bytes = [](const wchar_t* text) {
        return static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    };
    if (library)
        addAddInValue(subkey, L"DLL", REG_SZ, library, bytes(library));
    if (menuText)
        addAddInValue(subkey, L"Menu", REG_SZ, menuText, bytes(menuText));
}

std::wstring DevicePrograms::installModule(const wchar_t* name) {
    std::wstring target = windowsFile(name);
    copyFile(testModule(name), target);
    files_.push_back(target);
    return std::wstring(L"\\Windows\\") + name;
}
