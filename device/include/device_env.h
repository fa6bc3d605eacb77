// Force-included into the item's build. The item calls the platform by its own names; the
// handful of questions whose answer depends on the emulated device (clock, screen, locale, time
// zone) and the modal calls that tests must be able to answer are routed to the emulated device.
// With the real SDK in place of this folder the same source calls the real functions.
#pragma once
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
#include <ole2.h>
#include <commctrl.h>

#ifdef CEDEVICE_BUILD
#define DEVICE_ENV_API extern "C" __declspec(dllexport)
#else
#define DEVICE_ENV_API extern "C" __declspec(dllimport)
#endif

DEVICE_ENV_API void WINAPI DeviceGetLocalTime(SYSTEMTIME* time);
DEVICE_ENV_API void WINAPI DeviceGetSystemTime(SYSTEMTIME* time);
DEVICE_ENV_API int WINAPI DeviceGetSystemMetrics(int index);
DEVICE_ENV_API int WINAPI DeviceGetDeviceCaps(HDC dc, int index);
DEVICE_ENV_API LCID WINAPI DeviceGetUserDefaultLCID(void);
DEVICE_ENV_API LANGID WINAPI DeviceGetUserDefaultUILanguage(void);
DEVICE_ENV_API DWORD WINAPI DeviceGetTimeZoneInformation(TIME_ZONE_INFORMATION* zone);
DEVICE_ENV_API int WINAPI DeviceMessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
DEVICE_ENV_API BOOL WINAPI DeviceCloseHandle(HANDLE handle);
// The default locales (LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, 0) mean the device's locale.
DEVICE_ENV_API int WINAPI DeviceGetDateFormatW(LCID locale, DWORD flags, const SYSTEMTIME* date,
                                               LPCWSTR format, LPWSTR buffer, int length);
DEVICE_ENV_API int WINAPI DeviceGetTimeFormatW(LCID locale, DWORD flags, const SYSTEMTIME* time,
                                               LPCWSTR format, LPWSTR buffer, int length);
DEVICE_ENV_API int WINAPI DeviceGetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR buffer,
                                               int length);

#ifndef CEDEVICE_BUILD
#define GetLocalTime DeviceGetLocalTime
#define GetSystemTime DeviceGetSystemTime
#define GetSystemMetrics DeviceGetSystemMetrics
#define GetDeviceCaps DeviceGetDeviceCaps
#define GetUserDefaultLCID DeviceGetUserDefaultLCID
#define GetUserDefaultUILanguage DeviceGetUserDefaultUILanguage
#define GetTimeZoneInformation DeviceGetTimeZoneInformation
#undef MessageBox
#define MessageBoxW DeviceMessageBoxW
#define MessageBox DeviceMessageBoxW
// Closing the notification handle of the object store ends the registration; every other handle
// is closed as usual.
#define CloseHandle DeviceCloseHandle
#define GetDateFormatW DeviceGetDateFormatW
#define GetTimeFormatW DeviceGetTimeFormatW
#define GetLocaleInfoW DeviceGetLocaleInfoW
#endif

// Pocket PC names that desktop Win32 lacks: the sheet's maximise flag (a wizard flag on the
// desktop, so the device takes it out) and the background colour of static controls.
#ifndef PSH_MAXIMIZE
#define PSH_MAXIMIZE 0x00002000
#endif
#ifndef COLOR_STATIC
#define COLOR_STATIC 25
#endif

DEVICE_ENV_API INT_PTR WINAPI DevicePropertySheetW(LPCPROPSHEETHEADERW header);
DEVICE_ENV_API DWORD WINAPI DeviceGetSysColor(int index);
DEVICE_ENV_API HBRUSH WINAPI DeviceGetSysColorBrush(int index);

#ifndef CEDEVICE_BUILD
#define PropertySheetW DevicePropertySheetW
#define GetSysColor DeviceGetSysColor
#define GetSysColorBrush DeviceGetSysColorBrush
#endif

// Menus that tests and headless runs answer, and the device shell's way of starting a shortcut.
#include <shellapi.h>
DEVICE_ENV_API BOOL WINAPI DeviceTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner,
                                                  LPTPMPARAMS exclude);
DEVICE_ENV_API BOOL WINAPI DeviceTrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved,
                                                HWND owner, const RECT* rect);
DEVICE_ENV_API BOOL WINAPI DeviceShellExecuteExW(SHELLEXECUTEINFOW* info);

#ifndef CEDEVICE_BUILD
#define TrackPopupMenuEx DeviceTrackPopupMenuEx
#define TrackPopupMenu DeviceTrackPopupMenu
#undef ShellExecuteEx
#define ShellExecuteEx DeviceShellExecuteExW
#define ShellExecuteExW DeviceShellExecuteExW
#endif
