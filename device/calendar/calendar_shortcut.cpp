#include "calendar_shortcut.h"

#include <shlobj.h>

#include <cwchar>

namespace {

bool saveShortcut(IShellLinkW* link, const WCHAR* linkPath) {
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        return false;
    const HRESULT saved = file->Save(linkPath, TRUE);
    file->Release();
    return SUCCEEDED(saved);
}

bool writeShortcut(const WCHAR* program, const WCHAR* folder, const WCHAR* linkPath) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    const bool written =
        SUCCEEDED(link->SetPath(program)) && SUCCEEDED(link->SetWorkingDirectory(folder)) &&
        SUCCEEDED(link->SetDescription(L"Calendar")) && saveShortcut(link, linkPath);
    link->Release();
    return written;
}

} // namespace

bool installCalendarShortcut() {
    WCHAR program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    WCHAR folder[MAX_PATH];
    wcscpy(folder, program);
    WCHAR* slash = wcsrchr(folder, L'\\');
    if (!slash)
        return false;
    *slash = 0;
    WCHAR linkPath[MAX_PATH];
    const UINT windowsLength = GetWindowsDirectoryW(linkPath, MAX_PATH);
    if (windowsLength == 0 || windowsLength + 14 >= MAX_PATH)
        return false;
    wcscat(linkPath, L"\\calendar.lnk");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return false;
    const bool written = writeShortcut(program, folder, linkPath);
    CoUninitialize();
    return written;
}
