#include "menu_addins.h"
#include "../agenda/agenda_items.h"
#include "../host/proc_address.h"
#include "../host/resource_module.h"
#include "../resources/resource_ids.h"

#include <cwchar>
#include <new>

namespace {

const WCHAR kAddInsKey[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\Calendar\\AddIns";
const DWORD kNameLength = 260;
const int kLibraryBytes = 260; // 130 units with the terminator
const int kMenuTextBytes = 80; // 40 units with the terminator
const int kItemTypeAppointment = 1;

// Subkeys counted from index 0 until the enumeration fails (no more, or a name too long).
int countSubkeys(HKEY key) {
    int count = 0;
    WCHAR name[kNameLength];
    for (;;) {
        DWORD length = kNameLength;
        if (RegEnumKeyExW(key, static_cast<DWORD>(count), name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            return count;
        ++count;
    }
}

// A string value that fits its buffer, terminator included. A stored string need not carry its
// terminator, so one that fills the buffer exactly is too long.
bool readString(HKEY key, const WCHAR* name, WCHAR* buffer, int bytes) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bytes);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    const DWORD units = size / sizeof(WCHAR);
    const DWORD capacity = static_cast<DWORD>(bytes) / sizeof(WCHAR);
    if (units > 0 && buffer[units - 1] == 0)
        return true;
    if (units >= capacity)
        return false;
    buffer[units] = 0;
    return true;
}

WCHAR* copyText(const WCHAR* text) {
    const size_t length = wcslen(text);
    WCHAR* copy = new (std::nothrow) WCHAR[length + 1];
    if (copy)
        wcscpy(copy, text);
    return copy;
}

} // namespace

AddInTable::~AddInTable() {
    for (int k = 0; k < count_; ++k)
        delete[] slots_[k];
    delete[] slots_;
}

void AddInTable::appendEntries(HMENU menu) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAddInsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const int subkeys = countSubkeys(key);
    if (subkeys > 0) {
        slots_ = new (std::nothrow) WCHAR*[subkeys]();
        count_ = slots_ ? subkeys : 0;
    }
    WCHAR name[kNameLength];
    for (int k = 0; k < count_; ++k) {
        DWORD length = kNameLength;
        if (RegEnumKeyExW(key, static_cast<DWORD>(k), name, &length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        readSubkey(key, name, k, menu);
    }
    RegCloseKey(key);
    if (subkeys > 0)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void AddInTable::readSubkey(HKEY key, const WCHAR* name, int index, HMENU menu) {
    HKEY subkey;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &subkey) != ERROR_SUCCESS)
        return;
    WCHAR library[kLibraryBytes / sizeof(WCHAR)];
    WCHAR text[kMenuTextBytes / sizeof(WCHAR)];
    if (readString(subkey, L"DLL", library, kLibraryBytes) &&
        readString(subkey, L"Menu", text, kMenuTextBytes)) {
        slots_[index] = copyText(library);
        if (slots_[index])
            AppendMenuW(menu, MF_STRING, kFirstAddInCommand + static_cast<UINT>(index), text);
    }
    RegCloseKey(subkey);
}

const WCHAR* AddInTable::libraryFor(UINT command) const {
    if (command < kFirstAddInCommand || command - kFirstAddInCommand >= static_cast<UINT>(count_))
        return nullptr;
    return slots_[command - kFirstAddInCommand];
}

void runAddIn(AppointmentItem* item, HWND window, const WCHAR* library) {
    HMODULE module = LoadLibraryW(library);
    auto command = module ? procAddress<CePimCommandProc>(module, "CePimCommand") : nullptr;
    if (command) {
        DWORD oids[1] = {static_cast<DWORD>(item->oid)};
        command(window, kItemTypeAppointment, 1, oids, nullptr);
    }
    if (module)
        FreeLibrary(module);
    if (command)
        return;
    WCHAR text[80];
    WCHAR caption[40];
    loadResourceString(IDS_ADDIN_FAILED, text, 80);
    loadResourceString(IDS_PRODUCT, caption, 40);
    MessageBoxW(window, text, caption, MB_OK | MB_ICONEXCLAMATION);
}
