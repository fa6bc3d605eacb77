#include "test_support.h"
#include <device.h>

#include <tlhelp32.h>

namespace testing_support {

std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    return folder + L"\\" + name;
}

std::wstring testDataFile(const std::wstring& name) {
    return programFolder() + L"\\testdata\\" + name;
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    // Process numbers come round again, and a folder an earlier process could not remove (or a
    // thread of its recreated) must not pass for a fresh one.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        wchar_t name[64];
        swprintf(name, 64, L"daybrook-%lu-%ld", GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        path_ = std::wstring(base) + name;
        if (CreateDirectoryW(path_.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            return;
    }
}

TempFolder::~TempFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                removeFile(file(found.cFileName));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

ScopedRegistryKey::ScopedRegistryKey(HKEY root, const wchar_t* path) : root_(root), path_(path) {
    RegDeleteTreeW(root_, path_.c_str());
}

ScopedRegistryKey::~ScopedRegistryKey() {
    RegDeleteTreeW(root_, path_.c_str());
}

namespace {

void writeValue(HKEY root, const std::wstring& path, const wchar_t* name, DWORD type,
                const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

DWORD stringSize(const std::wstring& value) {
    return static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
}

} // namespace

void ScopedRegistryKey::setBinary(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    writeValue(root_, path_, name, type, data, size);
}

void ScopedRegistryKey::setSubkeyString(const wchar_t* subkey, const wchar_t* name,
                                        const std::wstring& value, DWORD type) {
    writeValue(root_, path_ + L"\\" + subkey, name, type, value.c_str(), stringSize(value));
}

void ScopedRegistryKey::setSubkeyDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
    writeValue(root_, path_ + L"\\" + subkey, name, REG_DWORD, &value, sizeof value);
}

void ScopedRegistryKey::setDword(const wchar_t* name, DWORD value) {
    setBinary(name, REG_DWORD, &value, sizeof value);
}

void ScopedRegistryKey::setString(const wchar_t* name, const std::wstring& value, DWORD type) {
    setBinary(name, type, value.c_str(), stringSize(value));
}

bool ScopedRegistryKey::readDword(const wchar_t* name, DWORD* value) const {
    DWORD size = sizeof *value;
    DWORD type = 0;
    return RegGetValueW(root_, path_.c_str(), name, RRF_RT_ANY, &type, value, &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD;
}

bool ScopedRegistryKey::exists() const {
    HKEY key;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value)
    : name_(name), existed_(false) {
    DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length > 0) {
        previous_.resize(length);
        length = GetEnvironmentVariableW(name, &previous_[0], length);
        previous_.resize(length);
        existed_ = true;
    }
    SetEnvironmentVariableW(name, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    SetEnvironmentVariableW(name_.c_str(), existed_ ? previous_.c_str() : nullptr);
}

std::wstring deviceLibraryPath() {
    wchar_t system[MAX_PATH], windows[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(system) + L";" + windows;
}

std::string readFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

bool writeFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool copyFile(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool removeFile(const std::wstring& path) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        Sleep(10);
    }
    return false;
}

void pumpMessages(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (milliseconds)
            MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, 0);
    } while (GetTickCount64() < end);
}

namespace {

void* threadStartAddress(DWORD threadId) {
    typedef LONG(WINAPI * QueryThread)(HANDLE, int, void*, ULONG, ULONG*);
    const int kThreadQuerySetWin32StartAddress = 9;
    static QueryThread query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    void* start = nullptr;
    if (thread && query)
        query(thread, kThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr);
    if (thread)
        CloseHandle(thread);
    return start;
}

// The threads of this process for which counted says yes; -1 when they cannot be listed.
template <typename Predicate> int countThreadsOfThisProcess(Predicate counted) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    DWORD process = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == process && counted(entry.th32ThreadID))
            ++count;
    CloseHandle(snapshot);
    return count;
}

} // namespace

int countProcessThreads() {
    return countThreadsOfThisProcess([](DWORD) { return true; });
}

int countThreadsStartedIn(HMODULE module) {
    return countThreadsOfThisProcess([module](DWORD thread) {
        HMODULE owner = nullptr;
        void* start = threadStartAddress(thread);
        return start &&
               GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  static_cast<LPCWSTR>(start), &owner) &&
               owner == module;
    });
}

DWORD countProcessHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0)
        return count;
    // Where the platform reports none, the handle values that name an object are counted: they
    // are handed out from the lowest free one, in steps of four.
    DWORD misses = 0;
    for (ULONG_PTR value = 4; misses < 4096; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

MessageBoxRecorder::MessageBoxRecorder(int answerWith) : answer_(answerWith) {
    DeviceSetMessageBoxHandler(answer, this);
}

MessageBoxRecorder::~MessageBoxRecorder() {
    DeviceSetMessageBoxHandler(nullptr, nullptr);
}

int MessageBoxRecorder::answer(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type,
                               void* context) {
    MessageBoxRecorder* self = static_cast<MessageBoxRecorder*>(context);
    self->boxes_.push_back(MessageBoxRecord{text, caption, type, owner});
    return self->answer_;
}

namespace {
const wchar_t kTestWindowClass[] = L"DaybrookTestWindow";
}

TestWindow::TestWindow(int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTestWindowClass;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kTestWindowClass, L"test", WS_POPUP, 0, 0, width, height, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
}

TestWindow::~TestWindow() {
    if (IsWindow(window_))
        DestroyWindow(window_);
}

LRESULT CALLBACK TestWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self) {
        MSG entry = {};
        entry.hwnd = window;
        entry.message = message;
        entry.wParam = wParam;
        entry.lParam = lParam;
        self->messages_.push_back(entry);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int TestWindow::received(UINT message) const {
    int count = 0;
    for (const MSG& entry : messages_)
        if (entry.message == message)
            ++count;
    return count;
}

WPARAM TestWindow::lastWParam(UINT message) const {
    for (auto entry = messages_.rbegin(); entry != messages_.rend(); ++entry)
        if (entry->message == message)
            return entry->wParam;
    return 0;
}

} // namespace testing_support
