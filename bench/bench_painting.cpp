#include "bench_painting.h"
#include "bench_probes.h"
#include "bench_timing.h"

namespace bench {

namespace {

decltype(&DrawTextW) gRealDrawText = nullptr;
decltype(&SelectObject) gRealSelectObject = nullptr;
RecordedPaint* gRecorded = nullptr;

HGDIOBJ WINAPI recordSelectObject(HDC dc, HGDIOBJ object) {
    if (gRecorded && GetObjectType(object) == OBJ_FONT)
        ++gRecorded->fontSelections;
    return gRealSelectObject(dc, object);
}

int WINAPI recordDrawText(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT flags) {
    if (gRecorded && !(flags & DT_CALCRECT) && text && rect) {
        DrawnText drawn;
        drawn.text =
            count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count));
        drawn.rect = *rect;
        drawn.flags = flags;
        drawn.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        gRecorded->texts.push_back(drawn);
    }
    return gRealDrawText(dc, text, count, rect, flags);
}

} // namespace

RecordedPaint recordPaint(void (*paint)(void*), void* context) {
    RecordedPaint recorded;
    gRealDrawText = DrawTextW;
    gRealSelectObject = SelectObject;
    gRecorded = &recorded;
    patchImport(reinterpret_cast<void*>(gRealDrawText), reinterpret_cast<void*>(&recordDrawText));
    patchImport(reinterpret_cast<void*>(gRealSelectObject),
                reinterpret_cast<void*>(&recordSelectObject));
    paint(context);
    patchImport(reinterpret_cast<void*>(&recordSelectObject),
                reinterpret_cast<void*>(gRealSelectObject));
    patchImport(reinterpret_cast<void*>(&recordDrawText), reinterpret_cast<void*>(gRealDrawText));
    gRecorded = nullptr;
    return recorded;
}

int floorFontSelections(const std::vector<DrawnText>& texts) {
    int selections = 0;
    HFONT current = nullptr;
    for (const DrawnText& drawn : texts) {
        if (drawn.font != current)
            ++selections;
        current = drawn.font;
    }
    return selections + (selections > 0); // and the one that puts the DC's own font back
}

double fontSelectionCost(HDC dc, const std::vector<DrawnText>& texts) {
    HFONT first = texts.empty() ? nullptr : texts.front().font;
    HFONT second = first;
    for (const DrawnText& drawn : texts) {
        if (drawn.font != first) {
            second = drawn.font;
            break;
        }
    }
    if (!first)
        return 0;
    const int kSelections = 2000;
    HGDIOBJ original = SelectObject(dc, first);
    Stopwatch watch;
    for (int i = 0; i < kSelections; ++i)
        SelectObject(dc, i % 2 ? first : second);
    const double cost = watch.microseconds() / kSelections;
    SelectObject(dc, original);
    return cost;
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
