// Extension modules for the tests. The same source builds three modules: one exporting both entry
// points, one only "PaintDayItem", and one that refuses to load.
#include <windows.h>

namespace {
LONG gShowCalls = 0;
LONG gPaintCalls = 0;
WCHAR gLastText[128];
DWORD gLastDateHigh = 0;
} // namespace

#ifdef EXTENSION_REFUSES_TO_LOAD
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) { return reason != DLL_PROCESS_ATTACH; }
#endif

extern "C" __declspec(dllexport) ULONGLONG PaintDayItem(HDC, RECT* rect, DWORD, DWORD dateHigh,
                                                        const WCHAR* text) {
    ++gPaintCalls;
    gLastDateHigh = dateHigh;
    lstrcpynW(gLastText, text ? text : L"", 128);
    // Draws only headings that ask for it, so that a walk can go on past this module.
    if (text && lstrcmpW(text, L"decline") == 0)
        return 0xABCD000000000000ULL; // a nonzero high half alone means "not drawn"
    return rect ? static_cast<ULONGLONG>(rect->bottom - rect->top) : 1;
}

#ifdef EXTENSION_HAS_OPTIONS
extern "C" __declspec(dllexport) int ShowOptionDialog(HWND owner, void* entry) {
    ++gShowCalls;
    return owner != nullptr && entry != nullptr;
}
#endif

extern "C" __declspec(dllexport) LONG ExtensionShowCalls() { return gShowCalls; }
extern "C" __declspec(dllexport) LONG ExtensionPaintCalls() { return gPaintCalls; }
extern "C" __declspec(dllexport) DWORD ExtensionLastDateHigh() { return gLastDateHigh; }
extern "C" __declspec(dllexport) const WCHAR* ExtensionLastText() { return gLastText; }
