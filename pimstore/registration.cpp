#include "registration.h"

#include <string>

namespace pimstore {

namespace {

const WCHAR kClassKey[] = L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}";
const WCHAR kClassName[] = L"Pocket Outlook Application";

HRESULT setString(HKEY root, const std::wstring& path, const WCHAR* name,
                  const std::wstring& value) {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return HRESULT_FROM_WIN32(status);
    status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(status);
}

std::wstring modulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

HRESULT registerServer(HMODULE module) {
    const std::wstring path = modulePath(module);
    if (path.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
    HRESULT result = setString(HKEY_CLASSES_ROOT, kClassKey, nullptr, kClassName);
    if (SUCCEEDED(result))
        result = setString(HKEY_CLASSES_ROOT, server, nullptr, path);
    if (SUCCEEDED(result))
        result = setString(HKEY_CLASSES_ROOT, server, L"ThreadingModel", L"Both");
    return result;
}

HRESULT unregisterServer() {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK
                                                                     : HRESULT_FROM_WIN32(status);
}

} // namespace pimstore
