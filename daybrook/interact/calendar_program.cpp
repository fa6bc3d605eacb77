#include "calendar_program.h"
#include "installed_programs.h"
#include "../settings/options.h"

#include <shellapi.h>

#ifndef _WIN64
static_assert(sizeof(SHELLEXECUTEINFOW) == 60, "SHELLEXECUTEINFO is 60 bytes on the device");
#endif

namespace {

const WCHAR kDeviceCalendar[] = L"\\windows\\calendar.lnk";
const WCHAR kPocketInformant[] = L"\\Windows\\PITab.exe";

} // namespace

DWORD programChoice() {
    return installedPrograms() & gOptions.ActivePIM;
}

bool programPath(DWORD choice, WCHAR* path, int length) {
    switch (choice) {
    case 0: return lstrcpynW(path, kDeviceCalendar, length) != nullptr;
    case PocketInformant: return lstrcpynW(path, kPocketInformant, length) != nullptr;
    case AgendaFusion:
        if (readAgendaFusionLocation(path, length))
            return true;
        return lstrcpynW(path, kDeviceCalendar, length) != nullptr;
    default: return false;
    }
}

bool startProgram(HWND window, const WCHAR* path, const WCHAR* parameters) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error box of the shell's own: a program that cannot be started is not reported.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpFile = path;
    info.lpParameters = parameters;
    info.nShow = SW_SHOW;
    if (!ShellExecuteEx(&info) || !info.hProcess)
        return false;
    CloseHandle(info.hProcess);
    return true;
}

int launchCalendarProgram(HWND window) {
    WCHAR path[MAX_PATH];
    if (!programPath(programChoice(), path, MAX_PATH))
        return 0;
    return startProgram(window, path, nullptr) ? 1 : 0;
}
