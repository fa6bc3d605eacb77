#include "import_patch.h"

#include <cstring>

namespace {

template <typename T> T* at(HMODULE module, DWORD offset) {
    return reinterpret_cast<T*>(reinterpret_cast<BYTE*>(module) + offset);
}

const IMAGE_IMPORT_DESCRIPTOR* firstImport(HMODULE module) {
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return nullptr;
    auto nt = at<const IMAGE_NT_HEADERS>(module, static_cast<DWORD>(dos->e_lfanew));
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (nt->Signature != IMAGE_NT_SIGNATURE || imports.VirtualAddress == 0)
        return nullptr;
    return at<const IMAGE_IMPORT_DESCRIPTOR>(module, imports.VirtualAddress);
}

bool namedAs(HMODULE module, const IMAGE_THUNK_DATA* name, const char* function) {
    if (!name || IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal))
        return false;
    auto byName =
        at<const IMAGE_IMPORT_BY_NAME>(module, static_cast<DWORD>(name->u1.AddressOfData));
    return std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0;
}

void overwrite(IMAGE_THUNK_DATA* slot, void* replacement) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return;
    slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

} // namespace

bool patchImport(HMODULE module, const char* library, const char* function, void* replacement) {
    const IMAGE_IMPORT_DESCRIPTOR* import = firstImport(module);
    HMODULE exporter = GetModuleHandleA(library);
    const void* original =
        exporter ? reinterpret_cast<const void*>(GetProcAddress(exporter, function)) : nullptr;
    bool patched = false;
    for (; import && import->Name; ++import) {
        if (_stricmp(at<const char>(module, import->Name), library) != 0)
            continue;
        auto slot = at<IMAGE_THUNK_DATA>(module, import->FirstThunk);
        auto name = import->OriginalFirstThunk
                        ? at<const IMAGE_THUNK_DATA>(module, import->OriginalFirstThunk)
                        : nullptr;
        for (; slot->u1.Function; ++slot, name = name ? name + 1 : nullptr) {
            bool wanted =
                namedAs(module, name, function) ||
                (original && reinterpret_cast<const void*>(slot->u1.Function) == original);
            if (!wanted)
                continue;
            if (reinterpret_cast<void*>(slot->u1.Function) != replacement)
                overwrite(slot, replacement);
            patched = true;
        }
    }
    return patched;
}

HMODULE moduleAt(const void* address) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       static_cast<LPCWSTR>(address), &module);
    return module;
}
