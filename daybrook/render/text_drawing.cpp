#include "text_drawing.h"
#include "../host/resource_module.h"
#include "../resources/resource_ids.h"

#include <oleauto.h>

#include <cwchar>

namespace {
// The localised "multiday", loaded once it is first needed; never longer than 29 characters.
WCHAR multidayText[30];
} // namespace

bool hasTime(double date) {
    if (date != 0.0)
        return true;
    if (multidayText[0] == 0)
        loadResourceString(IDS_MULTIDAY, multidayText, 30);
    return false;
}

void formatTime(double date, WCHAR* buffer, int capacity) {
    if (!hasTime(date)) {
        lstrcpynW(buffer, multidayText, capacity);
        return;
    }
    SYSTEMTIME time = {};
    VariantTimeToSystemTime(date, &time);
    if (capacity > 0)
        buffer[0] = 0; // a failed format leaves an empty text, not garbage
    GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, buffer, capacity);
    removeSpaces(buffer);
}

void removeSpaces(WCHAR* text) {
    WCHAR* out = text;
    for (const WCHAR* in = text; *in; ++in)
        if (*in != L' ')
            *out++ = *in;
    *out = 0;
}
