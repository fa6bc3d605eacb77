// The object store's database calls, as far as an item needs them: opening a database only to
// receive its change notifications.
#pragma once
#include <windows.h>

#ifdef CEDEVICE_BUILD
#define WINDBASE_API extern "C" __declspec(dllexport)
#else
#define WINDBASE_API extern "C" __declspec(dllimport)
#endif

typedef DWORD CEOID;
typedef CEOID* PCEOID;
typedef DWORD CEPROPID;

typedef struct _CEBLOB {
    DWORD dwCount;
    LPBYTE lpb;
} CEBLOB;

#define CEDB_AUTOINCREMENT 0x00000001
#define CEDB_MAXDBASENAMELEN 32

#define DB_CEOID_CREATED (WM_USER + 1)
#define DB_CEOID_DATABASE_DELETED (WM_USER + 2)
#define DB_CEOID_RECORD_DELETED (WM_USER + 3)
#define DB_CEOID_FILE_DELETED (WM_USER + 4)
#define DB_CEOID_DIRECTORY_DELETED (WM_USER + 5)
#define DB_CEOID_CHANGED (WM_USER + 6)

WINDBASE_API HANDLE WINAPI CeOpenDatabase(PCEOID poid, LPWSTR lpszName, CEPROPID propid,
                                          DWORD dwFlags, HWND hwndNotify);
