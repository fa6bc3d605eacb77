// The Calendar program's menu add-ins: libraries registered under the Calendar's AddIns key that
// export "CePimCommand". The appointment menu offers them and runs the chosen one.
#pragma once
#include <windows.h>

class AppointmentItem;

const UINT kFirstAddInCommand = 1000;

// One slot per subkey of the AddIns key, in enumeration order; a slot holds the library of a
// usable add-in or stays empty, so that command 1000 + k always means subkey k.
class AddInTable {
public:
    AddInTable() : slots_(nullptr), count_(0) {}
    ~AddInTable();
    // Reads the registry and appends one entry per usable add-in, then a separator when the key
    // has subkeys at all.
    void appendEntries(HMENU menu);
    // The library of the add-in behind a menu command, or null when the command is no add-in's.
    const WCHAR* libraryFor(UINT command) const;

private:
    void readSubkey(HKEY key, const WCHAR* name, int index, HMENU menu);
    AddInTable(const AddInTable&) = delete;
    AddInTable& operator=(const AddInTable&) = delete;

    WCHAR** slots_;
    int count_;
};

// Calls the library's "CePimCommand" for the appointment; reports a library that cannot be
// loaded or has no such entry.
void runAddIn(AppointmentItem* item, HWND window, const WCHAR* library);

// "CePimCommand"(owner window, item type 1, item count, the items' identifiers, reserved null).
typedef HRESULT (*CePimCommandProc)(HWND owner, int itemType, UINT count, DWORD* oids,
                                    void* reserved);
