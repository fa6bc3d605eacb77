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
#endif
