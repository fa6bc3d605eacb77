#include "bench_painting.h"
#include "bench_probes.h"
#include "bench_timing.h"

namespace bench {

namespace {

decltype(&DrawTextW) gRealDrawText = nullptr;
std::vector<DrawnText>* gRecorded = nullptr;

int WINAPI recordDrawText(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT flags) {
    if (gRecorded && !(flags & DT_CALCRECT) && text && rect) {
        DrawnText drawn;
        drawn.text =
            count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count));
        drawn.rect = *rect;
        drawn.flags = flags;
        drawn.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        gRecorded->push_back(drawn);
    }
    return gRealDrawText(dc, text, count, rect, flags);
}

} // namespace

std::vector<DrawnText> recordDrawnTexts(void (*paint)(void*), void* context) {
    std::vector<DrawnText> recorded;
    gRealDrawText = DrawTextW;
    gRecorded = &recorded;
    patchImport(reinterpret_cast<void*>(gRealDrawText), reinterpret_cast<void*>(&recordDrawText));
    paint(context);
    patchImport(reinterpret_cast<void*>(&recordDrawText), reinterpret_cast<void*>(gRealDrawText));
    gRecorded = nullptr;
    return recorded;
}

double drawFloor(HDC dc, const std::vector<DrawnText>& texts) {
    Stopwatch watch;
    HGDIOBJ original = nullptr;
    HFONT current = nullptr;
    for (const DrawnText& drawn : texts) {
        if (drawn.font != current) {
            HGDIOBJ previous = SelectObject(dc, drawn.font);
            if (!original)
                original = previous;
            current = drawn.font;
        }
        RECT rect = drawn.rect;
        DrawTextW(dc, drawn.text.c_str(), static_cast<int>(drawn.text.size()), &rect, drawn.flags);
    }
    if (original)
        SelectObject(dc, original);
    return watch.microseconds();
}

} // namespace bench
