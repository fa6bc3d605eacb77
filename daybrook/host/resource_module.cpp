#include "resource_module.h"
#include "host_state.h"

#include <cwchar>

namespace {

// Loads "<directory>\DaybrookUI-<abbreviation>.dll" for one locale; null when there is none.
HINSTANCE loadLanguageModule(const WCHAR* directory, LCID locale) {
    WCHAR abbreviation[4];
    if (GetLocaleInfoW(locale, LOCALE_SABBREVLANGNAME, abbreviation, 4) == 0)
        return nullptr; // no abbreviation for this locale: skip it
    WCHAR path[MAX_PATH + 32];
    if (swprintf(path, sizeof path / sizeof path[0], L"%ls\\DaybrookUI-%ls.dll", directory,
                 abbreviation) < 0)
        return nullptr;
    return LoadLibraryW(path);
}

HINSTANCE chooseResourceModule() {
    gHost.resourceLocale = GetUserDefaultLCID();
    WCHAR directory[MAX_PATH + 1];
    DWORD length = GetModuleFileNameW(gHost.moduleInstance, directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return gHost.moduleInstance;
    directory[length] = 0;
    WCHAR* lastBackslash = wcsrchr(directory, L'\\');
    if (!lastBackslash)
        return gHost.moduleInstance;
    *lastBackslash = 0;
    const LCID candidates[] = {gHost.resourceLocale, gHost.resourceLocale & 0x3FF};
    for (LCID candidate : candidates) {
        HINSTANCE module = loadLanguageModule(directory, candidate);
        if (module)
            return module;
    }
    return gHost.moduleInstance;
}

} // namespace

HINSTANCE getResourceModule() {
    HINSTANCE chosen = static_cast<HINSTANCE>(
        InterlockedCompareExchangePointer(reinterpret_cast<PVOID*>(&gHost.resourceModule),
                                          nullptr, nullptr));
    if (chosen)
        return chosen;
    // Both threads may ask first at the same moment; the choice is made once, under the lock.
    EnterCriticalSection(&gHost.lock);
    if (!gHost.resourceModule)
        InterlockedExchangePointer(reinterpret_cast<PVOID*>(&gHost.resourceModule),
                                   chooseResourceModule());
    chosen = gHost.resourceModule;
    LeaveCriticalSection(&gHost.lock);
    return chosen;
}

void resetResourceModule() {
    EnterCriticalSection(&gHost.lock);
    if (gHost.resourceModule && gHost.resourceModule != gHost.moduleInstance)
        FreeLibrary(gHost.resourceModule);
    gHost.resourceModule = nullptr;
    gHost.rtlKnown = false;
    LeaveCriticalSection(&gHost.lock);
}

bool isRightToLeft() {
    if (gHost.rtlKnown)
        return gHost.rtlLayout;
    WORD language = static_cast<WORD>(GetUserDefaultUILanguage());
    // Whole 16-bit values: the language-neutral Arabic, Hebrew and Hindi identifiers only.
    gHost.rtlLayout = language == 0x0001 || language == 0x000D || language == 0x0039;
    gHost.rtlKnown = true;
    return gHost.rtlLayout;
}

LONG getSmallIconSize() {
    if (gHost.smallIconSize == 0)
        gHost.smallIconSize = GetSystemMetrics(SM_CXSMICON);
    return gHost.smallIconSize;
}

int loadResourceString(UINT id, WCHAR* buffer, int length) {
    if (length <= 0)
        return 0;
    buffer[0] = 0;
    return LoadStringW(getResourceModule(), id, buffer, length);
}
