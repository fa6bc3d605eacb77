// The Today screen's item list that a new device comes with.
#define CEDEVICE_BUILD
#include "device.h"

namespace {

struct BuiltInItem {
    const WCHAR* name;
    DWORD type;
    DWORD order;
};

const BuiltInItem kFactoryItems[] = {
    {L"Owner Info", 0, 0},
    {L"Calendar", 1, 1},
    {L"Messaging", 2, 2},
    {L"Tasks", 3, 3},
};

void setDword(HKEY key, const WCHAR* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

} // namespace

DEVICE_API BOOL DeviceEnsureTodayItems(void) {
    HKEY items;
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today\\Items", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &items, &disposition) != ERROR_SUCCESS)
        return FALSE;
    if (disposition == REG_CREATED_NEW_KEY) {
        for (const BuiltInItem& builtIn : kFactoryItems) {
            HKEY item;
            if (RegCreateKeyExW(items, builtIn.name, 0, nullptr, 0, KEY_WRITE, nullptr, &item,
                                nullptr) != ERROR_SUCCESS)
                continue;
            setDword(item, L"Type", builtIn.type);
            setDword(item, L"Order", builtIn.order);
            setDword(item, L"Enabled", 1);
            setDword(item, L"Options", builtIn.type == 1 ? 1 : 0);
            RegCloseKey(item);
        }
    }
    RegCloseKey(items);
    return TRUE;
}
