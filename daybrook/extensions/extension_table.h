// Separately built modules that may add an entry to the tap-and-hold menu and draw day headings.
#pragma once
#include <windows.h>

struct ExtensionEntry;

// The entry points an extension module exports by these names (C calling convention).
// ShowOptionDialog(owner window, the extension's own entry); its result is not used.
typedef int (*ShowOptionDialogProc)(HWND owner, ExtensionEntry* entry);
// PaintDayItem(dc, heading rectangle, day as an OLE date in two halves (low first), text):
// a nonzero low half of the result means the heading is drawn and gives its height.
typedef ULONGLONG (*PaintDayItemProc)(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh,
                                      const WCHAR* text);

struct ExtensionEntry {
    WCHAR name[100];
    WCHAR path[260];
    HMODULE module;
    PaintDayItemProc paintDayItem;
    ShowOptionDialogProc showOptionDialog;
};

#ifndef _WIN64
static_assert(sizeof(ExtensionEntry) == 732, "an extension entry is 732 bytes on the device");
#endif

struct ExtensionTable {
    int count;
    ExtensionEntry* entries;
    int firstCommandId;
};

extern ExtensionTable gExtensions;

// Fills an empty table from HKEY_CURRENT_USER "Software\Orvane\Daybrook\Extensions": one string
// value per extension, the value's name is the menu text and its data the module's path.
// Entries whose name or path do not fit the record are left out. Returns the number of entries.
int loadExtensionTable();

ShowOptionDialogProc ensureLoaded(ExtensionEntry* entry);
void addMenuEntries(HMENU menu, int firstId);
void runMenuCommand(HWND window, int commandId);
ULONGLONG paintDayHeading(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh, const WCHAR* text);
void unloadAll();
