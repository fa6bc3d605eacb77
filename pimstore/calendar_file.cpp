#include "calendar_file.h"

#include <algorithm>

namespace pimstore {

namespace {

const int kReadAttempts = 5;
// About a second in all for a reader to let go of the file.
const int kReplaceAttempts = 40;
const DWORD kReplacePauseMs = 25;
// A write takes well under a second; a program that keeps the lock this long is stuck.
const DWORD kWriteLockPatienceMs = 30000;
const wchar_t kWriteLockName[] = L"Local\\PimStoreCalendarWrite";

ULONGLONG joined(DWORD high, DWORD low) {
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (valid())
            CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

FileStamp stampOfHandle(HANDLE file) {
    FileStamp stamp;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(file, &information))
        return stamp;
    stamp.exists = true;
    stamp.lastWrite = joined(information.ftLastWriteTime.dwHighDateTime,
                             information.ftLastWriteTime.dwLowDateTime);
    stamp.size = joined(information.nFileSizeHigh, information.nFileSizeLow);
    return stamp;
}

bool readAll(HANDLE file, ULONGLONG size, std::string& bytes) {
    if (size > 0x7FFFFFFF)
        return false;
    bytes.assign(static_cast<size_t>(size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(bytes.size() - done);
        if (!ReadFile(file, &bytes[done], wanted, &got, nullptr))
            return false;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return true;
}

bool writeAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

HRESULT lastError() {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// Another program reading the calendar (a sync tool, an editor, a backup) holds it open for a
// moment, and until it lets go the file cannot be replaced.
bool isHeldByAnotherProgram(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

bool moveOver(const std::wstring& from, const std::wstring& to) {
    for (int attempt = 1;; ++attempt) {
        if (MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = GetLastError();
        if (attempt == kReplaceAttempts || !isHeldByAnotherProgram(error))
            return false;
        Sleep(kReplacePauseMs);
        SetLastError(error);
    }
}

} // namespace

FileStamp stampOf(const std::wstring& path) {
    FileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return stamp;
    stamp.exists = true;
    stamp.lastWrite =
        joined(attributes.ftLastWriteTime.dwHighDateTime, attributes.ftLastWriteTime.dwLowDateTime);
    stamp.size = joined(attributes.nFileSizeHigh, attributes.nFileSizeLow);
    return stamp;
}

bool readCalendarFile(const std::wstring& path, std::string& bytes, FileStamp& stamp) {
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return false;
        stamp = stampOfHandle(file.get());
        if (!stamp.exists || !readAll(file.get(), stamp.size, bytes))
            return false;
        // Another program still writing shows as a stamp that moved while we read.
        if (bytes.size() == stamp.size && stampOfHandle(file.get()) == stamp)
            return true;
        Sleep(20);
    }
    return false;
}

HRESULT replaceCalendarFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".new";
    {
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid())
            return lastError();
        if (!writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            const HRESULT failure = lastError();
            DeleteFileW(temporary.c_str());
            return failure;
        }
    }
    if (!moveOver(temporary, path)) {
        const HRESULT failure = lastError();
        DeleteFileW(temporary.c_str());
        return failure;
    }
    return S_OK;
}

CalendarWriteLock::CalendarWriteLock() : mutex_(CreateMutexW(nullptr, FALSE, kWriteLockName)) {
    if (!mutex_)
        return;
    // Abandoned: its owner died, but a replace is whole or not done, so the files are sound.
    const DWORD waited = WaitForSingleObject(mutex_, kWriteLockPatienceMs);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

CalendarWriteLock::~CalendarWriteLock() {
    if (held_)
        ReleaseMutex(mutex_);
    if (mutex_)
        CloseHandle(mutex_);
}

std::wstring folderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return L".";
    if (separator == 2 && path[1] == L':')
        return path.substr(0, 3);
    return path.substr(0, separator);
}

} // namespace pimstore
