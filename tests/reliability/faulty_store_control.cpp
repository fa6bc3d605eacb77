#include "faulty_store_control.h"

#include <test_support.h>

namespace {

const wchar_t kServerKey[] = L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}\\InprocServer32";

std::wstring readServerPath() {
    wchar_t path[MAX_PATH] = {};
    LONG size = sizeof path;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, kServerKey, path, &size) != ERROR_SUCCESS)
        return std::wstring();
    return path;
}

bool writeServerPath(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

} // namespace

FaultyStoreControl::FaultyStoreControl() {
    const std::wstring path = testing_support::programFolder() + L"\\testmodules\\FaultyStore.dll";
    realServer_ = readServerPath();
    module_ = LoadLibraryW(path.c_str());
    auto useServer = entry<BOOL (*)(const WCHAR*)>("FaultyStoreUseServer");
    if (realServer_.empty() || !module_ || !useServer || !useServer(realServer_.c_str()))
        return;
    ready_ = writeServerPath(path);
    reset(0);
}

FaultyStoreControl::~FaultyStoreControl() {
    if (ready_) {
        reset(0);
        writeServerPath(realServer_);
    }
    // The library stays loaded: objects of a failed test may still point into it.
}

void FaultyStoreControl::reset(long failAt, bool onward) {
    if (auto resetStore = entry<void (*)(LONG, BOOL)>("FaultyStoreReset"))
        resetStore(failAt, onward ? TRUE : FALSE);
}

long FaultyStoreControl::calls() const {
    auto count = entry<LONG (*)()>("FaultyStoreCalls");
    return count ? count() : 0;
}

long FaultyStoreControl::liveObjects() const {
    auto count = entry<LONG (*)()>("FaultyStoreLiveObjects");
    return count ? count() : -1;
}

std::string FaultyStoreControl::failedCall() const {
    auto name = entry<const char* (*)()>("FaultyStoreFailedCall");
    return name ? name() : std::string();
}

std::string FaultyStoreControl::callName(long number) const {
    auto name = entry<const char* (*)(LONG)>("FaultyStoreCallName");
    return name ? name(number) : std::string();
}
