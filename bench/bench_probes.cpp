#include "bench_probes.h"

#include "host/proc_address.h"

#include <psapi.h>

#include <algorithm>
#include <set>
#include <vector>

namespace bench {

namespace {

SRWLOCK gGdiLock = SRWLOCK_INIT;
std::set<HANDLE>* gLiveObjects = nullptr;
long gWindowDcs = 0;

void remember(HANDLE object) {
    if (!object)
        return;
    AcquireSRWLockExclusive(&gGdiLock);
    if (gLiveObjects)
        gLiveObjects->insert(object);
    ReleaseSRWLockExclusive(&gGdiLock);
}

void forget(HANDLE object) {
    AcquireSRWLockExclusive(&gGdiLock);
    if (gLiveObjects)
        gLiveObjects->erase(object);
    ReleaseSRWLockExclusive(&gGdiLock);
}

void countWindowDc(long change) {
    AcquireSRWLockExclusive(&gGdiLock);
    gWindowDcs += change;
    ReleaseSRWLockExclusive(&gGdiLock);
}

// The real functions, read from the import table before it is redirected.
decltype(&CreateFontIndirectW) realCreateFontIndirectW;
decltype(&CreateSolidBrush) realCreateSolidBrush;
decltype(&CreatePen) realCreatePen;
decltype(&CreateBitmap) realCreateBitmap;
decltype(&CreateCompatibleBitmap) realCreateCompatibleBitmap;
decltype(&CreateCompatibleDC) realCreateCompatibleDC;
decltype(&CreateDIBSection) realCreateDIBSection;
decltype(&LoadImageW) realLoadImageW;
decltype(&DeleteObject) realDeleteObject;
decltype(&DeleteDC) realDeleteDC;
decltype(&DestroyIcon) realDestroyIcon;
decltype(&GetDC) realGetDC;
decltype(&ReleaseDC) realReleaseDC;

HFONT WINAPI hookCreateFontIndirectW(const LOGFONTW* font) {
    HFONT made = realCreateFontIndirectW(font);
    remember(made);
    return made;
}
HBRUSH WINAPI hookCreateSolidBrush(COLORREF color) {
    HBRUSH made = realCreateSolidBrush(color);
    remember(made);
    return made;
}
HPEN WINAPI hookCreatePen(int style, int width, COLORREF color) {
    HPEN made = realCreatePen(style, width, color);
    remember(made);
    return made;
}
HBITMAP WINAPI hookCreateBitmap(int width, int height, UINT planes, UINT bits, const void* data) {
    HBITMAP made = realCreateBitmap(width, height, planes, bits, data);
    remember(made);
    return made;
}
HBITMAP WINAPI hookCreateCompatibleBitmap(HDC dc, int width, int height) {
    HBITMAP made = realCreateCompatibleBitmap(dc, width, height);
    remember(made);
    return made;
}
HDC WINAPI hookCreateCompatibleDC(HDC dc) {
    HDC made = realCreateCompatibleDC(dc);
    remember(made);
    return made;
}
HBITMAP WINAPI hookCreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                    HANDLE section, DWORD offset) {
    HBITMAP made = realCreateDIBSection(dc, info, usage, bits, section, offset);
    remember(made);
    return made;
}
HANDLE WINAPI hookLoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int width, int height,
                             UINT flags) {
    HANDLE made = realLoadImageW(module, name, type, width, height, flags);
    if (!(flags & LR_SHARED))
        remember(made);
    return made;
}
BOOL WINAPI hookDeleteObject(HGDIOBJ object) {
    BOOL deleted = realDeleteObject(object);
    if (deleted)
        forget(object);
    return deleted;
}
BOOL WINAPI hookDeleteDC(HDC dc) {
    BOOL deleted = realDeleteDC(dc);
    if (deleted)
        forget(dc);
    return deleted;
}
BOOL WINAPI hookDestroyIcon(HICON icon) {
    BOOL destroyed = realDestroyIcon(icon);
    if (destroyed)
        forget(icon);
    return destroyed;
}
HDC WINAPI hookGetDC(HWND window) {
    HDC dc = realGetDC(window);
    if (dc)
        countWindowDc(1);
    return dc;
}
int WINAPI hookReleaseDC(HWND window, HDC dc) {
    int released = realReleaseDC(window, dc);
    if (released)
        countWindowDc(-1);
    return released;
}

template <typename Function> void swapImport(Function real, Function hook, bool install) {
    if (install)
        patchImport(reinterpret_cast<void*>(real), reinterpret_cast<void*>(hook));
    else
        patchImport(reinterpret_cast<void*>(hook), reinterpret_cast<void*>(real));
}

void swapAll(bool install) {
    swapImport(realCreateFontIndirectW, &hookCreateFontIndirectW, install);
    swapImport(realCreateSolidBrush, &hookCreateSolidBrush, install);
    swapImport(realCreatePen, &hookCreatePen, install);
    swapImport(realCreateBitmap, &hookCreateBitmap, install);
    swapImport(realCreateCompatibleBitmap, &hookCreateCompatibleBitmap, install);
    swapImport(realCreateCompatibleDC, &hookCreateCompatibleDC, install);
    swapImport(realCreateDIBSection, &hookCreateDIBSection, install);
    swapImport(realLoadImageW, &hookLoadImageW, install);
    swapImport(realDeleteObject, &hookDeleteObject, install);
    swapImport(realDeleteDC, &hookDeleteDC, install);
    swapImport(realDestroyIcon, &hookDestroyIcon, install);
    swapImport(realGetDC, &hookGetDC, install);
    swapImport(realReleaseDC, &hookReleaseDC, install);
}

void heapUse(HANDLE heap, ProcessCounts& counts) {
    if (!HeapLock(heap))
        return;
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
            counts.heapBytes += entry.cbData;
            ++counts.heapBlocks;
        }
    }
    HeapUnlock(heap);
}

// The process's committed private memory, region by region.
long long privateCommitted() {
    long long total = 0;
    MEMORY_BASIC_INFORMATION region;
    const BYTE* address = nullptr;
    while (VirtualQuery(address, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += static_cast<long long>(region.RegionSize);
        const BYTE* next = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return total;
}

// GetProcessHandleCount answers 0 under Wine; the system's handle table does not.
struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE handleFlags;
    USHORT handleValue;
    PVOID objectPointer;
    ULONG accessMask;
};
struct SystemHandles {
    ULONG count;
    SystemHandleEntry handles[1];
};
const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

DWORD kernelHandles() {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const Query query =
        procAddress<Query>(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    DWORD counted = 0;
    if (!query || !GetProcessHandleCount(GetCurrentProcess(), &counted) || counted != 0)
        return counted;
    std::vector<BYTE> buffer(1 << 16);
    ULONG needed = 0;
    LONG status;
    while ((status = query(kSystemHandleInformation, buffer.data(),
                           static_cast<ULONG>(buffer.size()), &needed)) == kInfoLengthMismatch)
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    if (status < 0)
        return 0;
    const auto* table = reinterpret_cast<const SystemHandles*>(buffer.data());
    const DWORD self = GetCurrentProcessId();
    for (ULONG i = 0; i < table->count; ++i)
        counted += table->handles[i].ownerPid == self;
    return counted;
}

} // namespace

bool patchImport(void* target, void* replacement) {
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
    bool patched = false;
    for (; library->Name; ++library) {
        auto slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; slot->u1.Function; ++slot) {
            if (reinterpret_cast<void*>(slot->u1.Function) != target)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof(void*), protection, &protection);
            patched = true;
        }
    }
    return patched;
}

void startCountingGdiObjects() {
    realCreateFontIndirectW = CreateFontIndirectW;
    realCreateSolidBrush = CreateSolidBrush;
    realCreatePen = CreatePen;
    realCreateBitmap = CreateBitmap;
    realCreateCompatibleBitmap = CreateCompatibleBitmap;
    realCreateCompatibleDC = CreateCompatibleDC;
    realCreateDIBSection = CreateDIBSection;
    realLoadImageW = LoadImageW;
    realDeleteObject = DeleteObject;
    realDeleteDC = DeleteDC;
    realDestroyIcon = DestroyIcon;
    realGetDC = GetDC;
    realReleaseDC = ReleaseDC;
    AcquireSRWLockExclusive(&gGdiLock);
    gLiveObjects = new std::set<HANDLE>();
    gWindowDcs = 0;
    ReleaseSRWLockExclusive(&gGdiLock);
    swapAll(true);
}

void stopCountingGdiObjects() {
    swapAll(false);
    AcquireSRWLockExclusive(&gGdiLock);
    delete gLiveObjects;
    gLiveObjects = nullptr;
    ReleaseSRWLockExclusive(&gGdiLock);
}

ProcessCounts countProcess() {
    ProcessCounts counts;
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    for (DWORD i = 0; i < count && i < heaps.size(); ++i)
        heapUse(heaps[i], counts);
    counts.privateBytes = privateCommitted();
    counts.handles = kernelHandles();
    AcquireSRWLockShared(&gGdiLock);
    counts.gdiObjects = gLiveObjects ? static_cast<long>(gLiveObjects->size()) : 0;
    counts.windowDcs = gWindowDcs;
    ReleaseSRWLockShared(&gGdiLock);
    return counts;
}

std::wstring programFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

ChildMemory runAndMeasure(const std::wstring& program, const std::wstring& arguments,
                          DWORD timeoutMilliseconds) {
    ChildMemory result;
    const std::wstring folder = programFolder();
    std::wstring commandLine = L"\"" + folder + L"\\" + program + L"\" " + arguments;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        CloseHandle(nul);
        return result;
    }
    CloseHandle(process.hThread);
    const ULONGLONG end = GetTickCount64() + timeoutMilliseconds;
    while (WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT) {
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
            result.measured = true;
            result.peakWorkingSet = std::max(result.peakWorkingSet, memory.PeakWorkingSetSize);
            result.peakPagefile = std::max(result.peakPagefile, memory.PeakPagefileUsage);
        }
        if (GetTickCount64() > end) {
            TerminateProcess(process.hProcess, 1);
            break;
        }
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(nul);
    return result;
}

} // namespace bench
