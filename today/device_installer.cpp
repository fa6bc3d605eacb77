#include "device_installer.h"

#include <cstdio>
#include <cwchar>

// The device installer: load the library and call its self-registration and setup hook (or its
// removal hook). The installer's own reference keeps the library loaded while the hooks run.
bool runDeviceInstaller(const WCHAR* library, bool install) {
    HMODULE module = LoadLibraryW(library);
    if (!module) {
        std::fwprintf(stderr, L"today: cannot load %ls (error %lu)\n", library, GetLastError());
        return false;
    }
    typedef HRESULT(WINAPI * RegisterProc)();
    typedef int(WINAPI * InstallExitProc)(HWND, LPCWSTR, WORD, WORD, WORD, WORD, WORD);
    typedef int(WINAPI * UninstallInitProc)(HWND, LPCWSTR);
    bool done = false;
    if (install) {
        auto registerServer = reinterpret_cast<RegisterProc>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
        auto installExit = reinterpret_cast<InstallExitProc>(
            reinterpret_cast<void*>(GetProcAddress(module, "Install_Exit")));
        HRESULT result = registerServer ? registerServer() : E_NOTIMPL;
        if (SUCCEEDED(result) && installExit)
            installExit(nullptr, L"\\Program Files\\Daybrook", 0, 0, 0, 0, 0);
        done = SUCCEEDED(result);
        std::fwprintf(stderr, L"today: installed %ls (0x%08lx)\n", library,
                      static_cast<unsigned long>(result));
    } else {
        auto uninstallInit = reinterpret_cast<UninstallInitProc>(
            reinterpret_cast<void*>(GetProcAddress(module, "Uninstall_Init")));
        if (uninstallInit)
            uninstallInit(nullptr, L"\\Program Files\\Daybrook");
        done = uninstallInit != nullptr;
        std::fwprintf(stderr, L"today: uninstalled %ls\n", library);
    }
    FreeLibrary(module);
    return done;
}
