// calendar.exe: the device's own Calendar program. It lists the store's upcoming appointments;
// choosing one shows it in the store's appointment view.
//   calendar.exe                     runs the program
//   calendar.exe --install-shortcut  puts \windows\calendar.lnk in place, pointing at this file
#include "calendar_window.h"
#include "calendar_shortcut.h"

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show) {
    while (*commandLine == L' ')
        ++commandLine;
    if (wcscmp(commandLine, L"--install-shortcut") == 0)
        return installCalendarShortcut() ? 0 : 1;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int result = runCalendarWindow(instance, show);
    CoUninitialize();
    return result;
}
