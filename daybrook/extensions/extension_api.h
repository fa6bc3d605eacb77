// What an extension module shares with the item: the record the item keeps for each extension
// and the two entry points an extension exports. An extension's source includes this header.
#pragma once
#include <windows.h>

struct ExtensionEntry;

// The entry points an extension module exports by these names (C calling convention).
// ShowOptionDialog(owner window, the extension's own entry): runs the extension's options
// dialog; its result is not used, and the item rebuilds its list afterwards.
typedef int (*ShowOptionDialogProc)(HWND owner, ExtensionEntry* entry);
// PaintDayItem(dc, heading rectangle, day as an OLE date in two halves (low first), text):
// a nonzero low half of the result means the heading is drawn and gives its height in pixels;
// zero leaves the heading to the next extension or to the item.
typedef ULONGLONG (*PaintDayItemProc)(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh,
                                      const WCHAR* text);

// One extension as the item keeps it; 732 bytes on the 32-bit device.
struct ExtensionEntry {
    WCHAR name[100]; // the menu text, without the "..." the menu adds
    WCHAR path[260]; // the module file
    HMODULE module;
    PaintDayItemProc paintDayItem;
    ShowOptionDialogProc showOptionDialog;
};

#ifndef _WIN64
static_assert(sizeof(ExtensionEntry) == 732, "an extension entry is 732 bytes on the device");
#endif
