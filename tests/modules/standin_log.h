// The record the stand-ins keep: one line per call, appended to the file that
// DAYBROOK_STANDIN_LOG names (nothing is written without it).
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstring>

inline void appendStandInLog(const char* line) {
    WCHAR path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"DAYBROOK_STANDIN_LOG", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}

// The file name of the module that holds this code, without its folder.
inline void ownModuleName(char* name, int length) {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&appendStandInLog), &module);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    const char* slash = std::strrchr(path, '\\');
    std::snprintf(name, static_cast<size_t>(length), "%s", slash ? slash + 1 : path);
}
