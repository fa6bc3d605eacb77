// Separately built modules that may add an entry to the tap-and-hold menu and draw day headings.
#pragma once
#include "extension_api.h"

struct ExtensionTable {
    int count;
    ExtensionEntry* entries;
    int firstCommandId;
};

extern ExtensionTable gExtensions;

// Fills an empty table from HKEY_CURRENT_USER "Software\Orvane\Daybrook\Extensions": one subkey
// per extension, in the order the registry lists the subkeys (by name), with the string values
// "Name" (the menu text; the subkey's name when missing or empty) and "Path" (the module file,
// REG_SZ or REG_EXPAND_SZ). Subkeys without a path, or whose name or path do not fit the record,
// are left out. Returns the number of entries.
int loadExtensionTable();

ShowOptionDialogProc ensureLoaded(ExtensionEntry* entry);
void addMenuEntries(HMENU menu, int firstId);
void runMenuCommand(HWND window, int commandId);
ULONGLONG paintDayHeading(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh, const WCHAR* text);
void unloadAll();
