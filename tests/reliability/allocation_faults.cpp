#include "allocation_faults.h"
#include "replaced_new.h"

#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace {

// Only the armed thread counts; 0 when nothing is armed.
volatile DWORD gArmedThread = 0;
volatile LONG gCounted = 0;
volatile LONG gFailAt = 0;
volatile LONG gFailed = 0;
volatile LONG gThrowing = 0;

// Blocks allocated while armed, by address: open addressing with tombstones, emptied at arming.
const size_t kSlots = 1 << 16;
void* const kTombstone = reinterpret_cast<void*>(1);
void* gSlots[kSlots];
long gNumbers[kSlots]; // which allocation each tracked block was
volatile LONG gLive = 0;
SRWLOCK gLock = SRWLOCK_INIT;

bool counting() {
    return gArmedThread != 0 && GetCurrentThreadId() == gArmedThread;
}

// True when this allocation is the one that must fail.
bool allocationFails() {
    const LONG number = InterlockedIncrement(&gCounted);
    if (number != gFailAt)
        return false;
    gFailed = 1;
    return true;
}

size_t slotOf(const void* block) {
    return (reinterpret_cast<size_t>(block) >> 4) * 2654435761u % kSlots;
}

void track(void* block) {
    AcquireSRWLockExclusive(&gLock);
    for (size_t i = slotOf(block), probes = 0; probes < kSlots; i = (i + 1) % kSlots, ++probes) {
        if (gSlots[i] == nullptr || gSlots[i] == kTombstone) {
            gSlots[i] = block;
            gNumbers[i] = gCounted;
            ++gLive;
            break;
        }
    }
    ReleaseSRWLockExclusive(&gLock);
}

void untrack(void* block) {
    if (!block || gLive == 0)
        return;
    AcquireSRWLockExclusive(&gLock);
    for (size_t i = slotOf(block), probes = 0; probes < kSlots && gSlots[i] != nullptr;
         i = (i + 1) % kSlots, ++probes) {
        if (gSlots[i] == block) {
            gSlots[i] = kTombstone;
            --gLive;
            break;
        }
    }
    ReleaseSRWLockExclusive(&gLock);
}

void* allocate(size_t size, bool mayFail) {
    const bool counted = counting();
    if (counted && mayFail && allocationFails())
        return nullptr;
    if (counted && !mayFail)
        InterlockedIncrement(&gThrowing);
    void* block = std::malloc(size ? size : 1);
    if (block && counted)
        track(block);
    return block;
}

void release(void* block) {
    untrack(block);
    std::free(block);
}

// The real functions behind the hooked import table entries.
LPVOID(WINAPI* gHeapAlloc)(HANDLE, DWORD, SIZE_T) = nullptr;
BOOL(WINAPI* gHeapFree)(HANDLE, DWORD, LPVOID) = nullptr;
BSTR(WINAPI* gSysAllocString)(const OLECHAR*) = nullptr;
BSTR(WINAPI* gSysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
void(WINAPI* gSysFreeString)(BSTR) = nullptr;
HRESULT(WINAPI* gVarBstrFromDate)(DATE, LCID, ULONG, BSTR*) = nullptr;

template <typename Result, typename Allocate> Result countedAllocation(Allocate allocate) {
    const bool counted = counting();
    if (counted && allocationFails())
        return Result();
    Result block = allocate();
    if (block && counted)
        track(reinterpret_cast<void*>(block));
    return block;
}

LPVOID WINAPI hookHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    return countedAllocation<LPVOID>([&] { return gHeapAlloc(heap, flags, bytes); });
}

BOOL WINAPI hookHeapFree(HANDLE heap, DWORD flags, LPVOID block) {
    untrack(block);
    return gHeapFree(heap, flags, block);
}

BSTR WINAPI hookSysAllocString(const OLECHAR* text) {
    return countedAllocation<BSTR>([&] { return gSysAllocString(text); });
}

BSTR WINAPI hookSysAllocStringLen(const OLECHAR* text, UINT length) {
    return countedAllocation<BSTR>([&] { return gSysAllocStringLen(text, length); });
}

void WINAPI hookSysFreeString(BSTR text) {
    untrack(text);
    gSysFreeString(text);
}

HRESULT WINAPI hookVarBstrFromDate(DATE date, LCID locale, ULONG flags, BSTR* text) {
    const bool counted = counting();
    if (counted && allocationFails()) {
        *text = nullptr;
        return E_OUTOFMEMORY;
    }
    const HRESULT result = gVarBstrFromDate(date, locale, flags, text);
    if (SUCCEEDED(result) && *text && counted)
        track(*text);
    return result;
}

// Points this program's import table entry for function at hook; the real address goes to
// original. Every import descriptor of the library is searched.
template <typename Function>
bool patchImport(const char* library, const char* function, Function hook, Function* original) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    bool patched = false;
    for (auto descriptor =
             reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         descriptor->Name; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + descriptor->Name), library) != 0 ||
            !descriptor->OriginalFirstThunk)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            if (!*original)
                *original = reinterpret_cast<Function>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            patched = true;
        }
    }
    return patched;
}

} // namespace

void* replacedAllocate(size_t size, bool mayFail) {
    return allocate(size, mayFail);
}
void replacedRelease(void* block) {
    release(block);
}

namespace allocation_faults {

bool install() {
    bool all = patchImport("kernel32.dll", "HeapAlloc", hookHeapAlloc, &gHeapAlloc);
    all = patchImport("kernel32.dll", "HeapFree", hookHeapFree, &gHeapFree) && all;
    all =
        patchImport("oleaut32.dll", "SysAllocString", hookSysAllocString, &gSysAllocString) && all;
    all = patchImport("oleaut32.dll", "SysAllocStringLen", hookSysAllocStringLen,
                      &gSysAllocStringLen) &&
          all;
    all = patchImport("oleaut32.dll", "SysFreeString", hookSysFreeString, &gSysFreeString) && all;
    all = patchImport("oleaut32.dll", "VarBstrFromDate", hookVarBstrFromDate, &gVarBstrFromDate) &&
          all;
    return all;
}

void arm(long failAt) {
    AcquireSRWLockExclusive(&gLock);
    std::memset(gSlots, 0, sizeof gSlots);
    gLive = 0;
    ReleaseSRWLockExclusive(&gLock);
    gCounted = 0;
    gFailed = 0;
    gThrowing = 0;
    gFailAt = failAt;
    gArmedThread = GetCurrentThreadId();
}

Outcome disarm() {
    gArmedThread = 0;
    Outcome outcome;
    outcome.allocations = gCounted;
    outcome.failed = gFailed != 0;
    outcome.throwing = gThrowing;
    return outcome;
}

long liveBlocks() {
    return gLive;
}

long firstLiveAllocation() {
    long first = 0;
    AcquireSRWLockExclusive(&gLock);
    for (size_t i = 0; i < kSlots; ++i)
        if (gSlots[i] != nullptr && gSlots[i] != kTombstone && (first == 0 || gNumbers[i] < first))
            first = gNumbers[i];
    ReleaseSRWLockExclusive(&gLock);
    return first;
}

Pause::Pause() : previous_(gArmedThread) {
    if (previous_ == GetCurrentThreadId())
        gArmedThread = 0;
}

Pause::~Pause() {
    if (previous_ == GetCurrentThreadId())
        gArmedThread = previous_;
}

} // namespace allocation_faults
