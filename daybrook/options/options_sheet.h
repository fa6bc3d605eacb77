// The options property sheet: the Today screen's settings open it through dialog 500 with export
// 241 as the dialog procedure; the item's menu opens it through openOptionsDialog.
#pragma once
#include <windows.h>

// The host dialog's procedure: on WM_INITDIALOG it runs the sheet, ends the host and saves the
// settings. Returns 0 for every message.
extern "C" INT_PTR APIENTRY CustomItemOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                     LPARAM lParam);
// Runs the sheet over the item window, then sends the item WM_TODAYCUSTOM_CLEARCACHE so that it
// rebuilds its list with the new settings; returns that message's result.
LRESULT openOptionsDialog(HWND itemWindow);
// Tabs at the bottom, full screen with a done button, as Pocket PC sheets are.
int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM lParam);
