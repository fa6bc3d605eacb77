// Starting programs the way the device's shell does: a shortcut (.lnk) starts the program it
// points at, with the shortcut's arguments, and the caller gets that program's process.
// The desktop shell opens shortcuts only through a verb and hands back no process.
// Every program started here belongs to the device and ends with the process that emulates it,
// as a device's programs end when it is switched off; none outlives a test run or the emulator.
#define CEDEVICE_BUILD
#include "device.h"
#include "device_env.h"

#include <shlobj.h>

#include <string>

namespace {

bool isShortcut(const WCHAR* file) {
    if (!file)
        return false;
    const size_t length = wcslen(file);
    return length > 4 && lstrcmpiW(file + length - 4, L".lnk") == 0;
}

struct ShortcutTarget {
    WCHAR path[MAX_PATH] = {};
    WCHAR arguments[MAX_PATH] = {};
    WCHAR folder[MAX_PATH] = {};
};

// COM for the duration of one resolution, unless the thread already has it in another mode.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }

private:
    HRESULT result_;
};

bool loadShortcut(IShellLinkW* link, const WCHAR* file) {
    WCHAR fullPath[MAX_PATH];
    DWORD length = GetFullPathNameW(file, MAX_PATH, fullPath, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    IPersistFile* persist = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))))
        return false;
    const HRESULT loaded = persist->Load(fullPath, STGM_READ);
    persist->Release();
    return SUCCEEDED(loaded);
}

bool resolveShortcut(const WCHAR* file, ShortcutTarget* target) {
    ComScope com;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool resolved = loadShortcut(link, file) &&
                    link->GetPath(target->path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK &&
                    target->path[0] != 0;
    if (resolved) {
        link->GetArguments(target->arguments, MAX_PATH);
        link->GetWorkingDirectory(target->folder, MAX_PATH);
    }
    link->Release();
    return resolved;
}

// The device's programs, killed when the last handle to the job goes with this process.
HANDLE deviceJob() {
    static HANDLE job = [] {
        HANDLE created = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (created && !SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                                sizeof limits)) {
            CloseHandle(created);
            created = nullptr;
        }
        return created;
    }();
    return job;
}

// Starts the program and hands it to the device; the caller gets the process only if it asked.
BOOL startOnDevice(SHELLEXECUTEINFOW* info) {
    const bool callerWantsProcess = (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
    info->fMask |= SEE_MASK_NOCLOSEPROCESS;
    const BOOL started = ShellExecuteExW(info);
    if (!callerWantsProcess)
        info->fMask &= ~SEE_MASK_NOCLOSEPROCESS;
    if (!started || !info->hProcess)
        return started;
    if (deviceJob())
        AssignProcessToJobObject(deviceJob(), info->hProcess);
    if (!callerWantsProcess) {
        CloseHandle(info->hProcess);
        info->hProcess = nullptr;
    }
    return started;
}

std::wstring joinArguments(const WCHAR* first, const WCHAR* second) {
    std::wstring joined = first ? first : L"";
    if (second && *second) {
        if (!joined.empty())
            joined += L' ';
        joined += second;
    }
    return joined;
}

} // namespace

DEVICE_ENV_API BOOL WINAPI DeviceShellExecuteExW(SHELLEXECUTEINFOW* info) {
    if (!info || info->cbSize != sizeof *info)
        return ShellExecuteExW(info);
    ShortcutTarget target;
    if ((info->fMask & SEE_MASK_IDLIST) || !isShortcut(info->lpFile) ||
        !resolveShortcut(info->lpFile, &target))
        return startOnDevice(info);
    const std::wstring parameters = joinArguments(target.arguments, info->lpParameters);
    SHELLEXECUTEINFOW resolved = *info;
    resolved.lpFile = target.path;
    resolved.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    if (!resolved.lpDirectory && target.folder[0])
        resolved.lpDirectory = target.folder;
    const BOOL started = startOnDevice(&resolved);
    info->hInstApp = resolved.hInstApp;
    info->hProcess = resolved.hProcess;
    return started;
}
