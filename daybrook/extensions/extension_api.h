// What an extension module shares with the item: the record the item keeps for each extension
// and the two entry points an extension exports. An extension's source includes this header.
#pragma once
#include <windows.h>

struct ExtensionEntry;

// The entry points an extension module exports by these names (C calling convention).
//
// Threads: ShowOptionDialog is called only on the Today screen's thread, from the item's
// tap-and-hold menu. PaintDayItem is called on that thread whenever the list is painted and,
// when the list is limited to a number of lines, also on the item's loader thread, which draws
// each heading into a memory DC of its own to measure it; the two calls can run at the same
// time, each with its own DC. Keep PaintDayItem free of unguarded shared state. The item loads
// a module once, on whichever thread first needs it, and frees it on the Today screen's thread
// when the item window goes.
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
