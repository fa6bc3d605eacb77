// The Pocket PC shell's gesture and full-screen dialog calls.
#pragma once
#include <windows.h>

#ifdef CEDEVICE_BUILD
#define AYGSHELL_API extern "C" __declspec(dllexport)
#else
#define AYGSHELL_API extern "C" __declspec(dllimport)
#endif

typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

#ifndef _WIN64
static_assert(sizeof(SHRGINFO) == 20, "SHRGINFO is 20 bytes on a 32-bit device");
#endif

#define SHRG_RETURNCMD 0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY 0x00000008
#define SHRG_NOANIMATION 0x00000010

#define GN_CONTEXTMENU 1000

typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020
#define SHIDIF_WANTSCROLLBAR 0x0040

AYGSHELL_API DWORD SHRecognizeGesture(SHRGINFO* shrg);
// Makes a dialog a Pocket PC one: full screen, a done button in the navigation bar, the input
// panel lowered.
AYGSHELL_API BOOL SHInitDialog(PSHINITDLGINFO info);
