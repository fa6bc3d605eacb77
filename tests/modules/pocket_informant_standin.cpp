// Stands in for Pocket Informant's library and records each call of its entries.
// STANDIN_Full exports both entries, STANDIN_DisplayOnly only the appointment window and
// STANDIN_NoDisplay only "CreateAppointmentExtern". While its window is "open" the stand-in asks
// the item for a refresh, as the Today screen would meanwhile, and records the answer.
#include "standin_log.h"

#include <todaycmn.h>

#if defined(STANDIN_Full) || defined(STANDIN_DisplayOnly)
extern "C" __declspec(dllexport) int DisplayAppointmentWindowExtern(long oid, DATE start,
                                                                    int reserved, HWND owner) {
    TODAYLISTITEM record = {};
    LRESULT refresh = -1;
    if (IsWindow(owner))
        refresh = SendMessageW(owner, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                               reinterpret_cast<WPARAM>(&record), 0);
    char name[MAX_PATH];
    ownModuleName(name, MAX_PATH);
    char line[512];
    std::snprintf(line, sizeof line,
                  "DisplayAppointmentWindowExtern module=%s oid=%ld start=%.6f reserved=%d "
                  "owner=%p refresh=%ld",
                  name, oid, start, reserved, static_cast<void*>(owner),
                  static_cast<long>(refresh));
    appendStandInLog(line);
    return 1;
}
#endif

#if defined(STANDIN_Full) || defined(STANDIN_NoDisplay)
extern "C" __declspec(dllexport) int CreateAppointmentExtern(HWND owner) {
    char line[128];
    std::snprintf(line, sizeof line, "CreateAppointmentExtern owner=%p", static_cast<void*>(owner));
    appendStandInLog(line);
    return 1;
}
#endif
