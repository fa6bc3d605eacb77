// A Calendar menu add-in that records how "CePimCommand" was called; built under several names so
// that a test can tell which library ran.
#include "standin_log.h"

extern "C" __declspec(dllexport) HRESULT
    CePimCommand(HWND owner, int itemType, UINT count, DWORD* oids, void* reserved) {
    char name[MAX_PATH];
    ownModuleName(name, MAX_PATH);
    char line[512];
    std::snprintf(line, sizeof line,
                  "CePimCommand module=%s owner=%p type=%d count=%u oid=%lu reserved=%p", name,
                  static_cast<void*>(owner), itemType, count,
                  oids && count > 0 ? static_cast<unsigned long>(oids[0]) : 0UL, reserved);
    appendStandInLog(line);
    return S_OK;
}
