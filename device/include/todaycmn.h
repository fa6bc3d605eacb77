// The Today screen's item protocol (Pocket PC 2003 layout), written from the platform's
// documented record layouts and message numbers.
#pragma once
#include <windows.h>
#include <stddef.h>

#define MAX_ITEMNAME 32
#define k_cTodayItemsMax 12

typedef enum _TODAYLISTITEMTYPE {
    tlitOwnerInfo = 0,
    tlitAppointments = 1,
    tlitMail = 2,
    tlitTasks = 3,
    tlitCustom = 4,
    tlitNil = 5,
} TODAYLISTITEMTYPE;

typedef enum _TODAY_SELECTABILITY {
    TODAY_SELECTABILITY_NOTSELECTABLE = 0,
    TODAY_SELECTABILITY_SELECTABLE = 1,
    TODAY_SELECTABILITY_CUSTOMSELECTION = 2,
    TODAY_SELECTABILITY_LAST = 3,
} TODAY_SELECTABILITY;

typedef struct _TODAYLISTITEM {
    WCHAR szName[MAX_ITEMNAME];
    TODAYLISTITEMTYPE tlit;
    DWORD dwOrder;
    DWORD cyp;
    BOOL fEnabled;
    BOOL fOptions;
    DWORD grfFlags;
    WCHAR szDLLPath[MAX_PATH];
    HINSTANCE hinstDLL;
    HWND hwndCustom;
    BOOL fSizeOnDraw;
    BYTE* prgbCachedData;
    DWORD cbCachedData;
    DWORD dwSelectability;
} TODAYLISTITEM;

#ifndef _WIN64
static_assert(sizeof(TODAYLISTITEM) == 632, "TODAYLISTITEM is 632 bytes on a 32-bit device");
static_assert(offsetof(TODAYLISTITEM, cyp) == 72, "cyp follows dwOrder");
static_assert(offsetof(TODAYLISTITEM, hinstDLL) == 608, "hinstDLL follows szDLLPath");
static_assert(offsetof(TODAYLISTITEM, dwSelectability) == 628, "dwSelectability closes the record");
#endif

typedef struct _TODAYDRAWWATERMARKINFO {
    HDC hdc;
    RECT rc;
    HWND hwnd;
} TODAYDRAWWATERMARKINFO;

#define ORDINAL_INITIALIZEITEM 240
#define ORDINAL_OPTIONSDIALOGPROC 241
#define IDI_ICON 128
#define IDD_TODAY_CUSTOM 500

// Both entries are APIENTRY (stdcall on x86), the way the documentation declares them; the
// Today screen emulator calls them the same way.
typedef HWND(APIENTRY* PFNCUSTOMINITIALIZEITEM)(TODAYLISTITEM*, HWND);
typedef BOOL(APIENTRY* PFNCUSTOMOPTIONSDLGPROC)(HWND, UINT, UINT, LONG);

#define TODAYM_GETCOLOR (WM_USER + 100)
#define TODAYM_DRAWWATERMARK (WM_USER + 101)
#define TODAYM_TOOKSELECTION (WM_USER + 102)

#define TODAYCOLOR_TEXT 0x10000004
#define TODAYCOLOR_HIGHLIGHT 0x10000022
#define TODAYCOLOR_HIGHLIGHTEDTEXT 0x10000023

#define WM_TODAYCUSTOM_CLEARCACHE (WM_USER + 242)
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE (WM_USER + 243)
#define WM_TODAYCUSTOM_RECEIVEDSELECTION (WM_USER + 244)
#define WM_TODAYCUSTOM_LOSTSELECTION (WM_USER + 245)
#define WM_TODAYCUSTOM_USERNAVIGATION (WM_USER + 246)
#define WM_TODAYCUSTOM_ACTION (WM_USER + 247)
#define WM_TODAYCUSTOM_CLOSEDATABASES (WM_USER + 248)
