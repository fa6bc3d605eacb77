// Registration with the Today screen and the device installer's setup hooks.
#pragma once
#include <windows.h>

// The installer's result codes for the two hooks.
enum InstallExitCode { codeINSTALL_EXIT_DONE = 0, codeINSTALL_EXIT_UNINSTALL = 1 };
enum UninstallInitCode { codeUNINSTALL_INIT_CONTINUE = 0, codeUNINSTALL_INIT_CANCEL = 1 };

extern "C" HRESULT WINAPI DllRegisterServer();
extern "C" HRESULT WINAPI DllUnregisterServer();
extern "C" InstallExitCode WINAPI Install_Exit(HWND parent, LPCWSTR installDir, WORD failedDirs,
                                               WORD failedFiles, WORD failedRegKeys,
                                               WORD failedRegValues, WORD failedShortcuts);
extern "C" UninstallInitCode WINAPI Uninstall_Init(HWND parent, LPCWSTR installDir);
