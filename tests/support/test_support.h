// Helpers shared by the test suites: real registry keys, real folders, real message queues.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// The folder of the running test program (where the built libraries lie).
std::wstring programFolder();
std::wstring joinPath(const std::wstring& folder, const std::wstring& name);
// A file of the tests' data, which the build puts beside the programs (testdata\name).
std::wstring testDataFile(const std::wstring& name);

// A fresh folder under the temporary folder, removed with its files when it goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return joinPath(path_, name); }

private:
    std::wstring path_;
};

// Deletes a registry key with its subkeys when created and again when it goes, so that every
// test starts from a known registry.
class ScopedRegistryKey {
public:
    ScopedRegistryKey(HKEY root, const wchar_t* path);
    ~ScopedRegistryKey();
    void setDword(const wchar_t* name, DWORD value);
    void setString(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);
    void setBinary(const wchar_t* name, DWORD type, const void* data, DWORD size);
    // The same in a subkey of this key, which is created when missing and goes with this key.
    void setSubkeyString(const wchar_t* subkey, const wchar_t* name, const std::wstring& value,
                         DWORD type = REG_SZ);
    void setSubkeyDword(const wchar_t* subkey, const wchar_t* name, DWORD value);
    bool readDword(const wchar_t* name, DWORD* value) const;
    bool exists() const;

private:
    HKEY root_;
    std::wstring path_;
};

// Sets an environment variable of this process (null value: removes it) and puts back what it
// was when it goes, also when the test fails half-way.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const wchar_t* name, const wchar_t* value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::wstring name_;
    std::wstring previous_;
    bool existed_;
};

// The folders a device looks in for libraries (its Windows folder and the system's), for PATH:
// what lies on the machine's own path is no part of the device.
std::wstring deviceLibraryPath();

// Copies a file, replacing what is there; false on failure.
bool copyFile(const std::wstring& from, const std::wstring& to);
// The whole file as bytes; empty when it cannot be read. Others may write or delete meanwhile.
std::string readFileBytes(const std::wstring& path);
// Replaces the file with these bytes; false unless all were written.
bool writeFileBytes(const std::wstring& path, const std::string& bytes);
// Removes a file, trying again while it is still in use (a library may stay mapped briefly);
// false when it could not be removed.
bool removeFile(const std::wstring& path);

// Dispatches every queued message of this thread for the given time.
void pumpMessages(DWORD milliseconds);
// Pumps until the condition holds or the time runs out; returns the condition's last value.
template <typename Condition> bool pumpUntil(Condition condition, DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    while (!condition()) {
        if (GetTickCount64() >= end)
            return condition();
        pumpMessages(5);
    }
    return true;
}

// Threads and handles of this process, to prove that nothing was left behind.
int countProcessThreads();
// Threads of this process that began in the given module's code: the ones a library started
// itself, apart from the platform's and the test framework's own workers.
int countThreadsStartedIn(HMODULE module);
DWORD countProcessHandles();

// Records every message box the device would show and answers it.
struct MessageBoxRecord {
    std::wstring text;
    std::wstring caption;
    UINT type;
    HWND owner;
};

class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }

private:
    static int answer(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type,
                      void* context);
    int answer_;
    std::vector<MessageBoxRecord> boxes_;
};

// A plain top-level window to act as a parent or a message target; it records every message.
class TestWindow {
public:
    TestWindow(int width = 240, int height = 320);
    ~TestWindow();
    HWND hwnd() const { return window_; }
    // Number of messages with this number received so far.
    int received(UINT message) const;
    WPARAM lastWParam(UINT message) const;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    std::vector<MSG> messages_;
};

} // namespace testing_support
