#include "bench_painting.h"
#include "bench_probes.h"
#include "bench_timing.h"

namespace bench {

namespace {

decltype(&DrawTextW) gRealDrawText = nullptr;
decltype(&SelectObject) gRealSelectObject = nullptr;
decltype(&FillRect) gRealFillRect = nullptr;
decltype(&Rectangle) gRealRectangle = nullptr;
decltype(&Polyline) gRealPolyline = nullptr;
decltype(&BitBlt) gRealBitBlt = nullptr;
RecordedPaint* gRecorded = nullptr;

HGDIOBJ WINAPI recordSelectObject(HDC dc, HGDIOBJ object) {
    if (gRecorded) {
        switch (GetObjectType(object)) {
        case OBJ_FONT: ++gRecorded->fontSelections; break;
        case OBJ_PEN:
        case OBJ_EXTPEN: ++gRecorded->penSelections; break;
        case OBJ_BRUSH: ++gRecorded->brushSelections; break;
        default: break;
        }
    }
    return gRealSelectObject(dc, object);
}

DrawingCall callOn(HDC dc, DrawingKind kind) {
    DrawingCall call;
    call.kind = kind;
    call.dc = dc;
    call.font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    call.pen = static_cast<HPEN>(GetCurrentObject(dc, OBJ_PEN));
    call.brush = static_cast<HBRUSH>(GetCurrentObject(dc, OBJ_BRUSH));
    call.textColor = GetTextColor(dc);
    return call;
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
        DrawingCall call = callOn(dc, DrawingKind::Text);
        call.text = drawn.text;
        call.rect = drawn.rect;
        call.flags = flags;
        gRecorded->calls.push_back(call);
    }
    return gRealDrawText(dc, text, count, rect, flags);
}

int WINAPI recordFillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (gRecorded && rect) {
        DrawingCall call = callOn(dc, DrawingKind::Fill);
        call.rect = *rect;
        LOGBRUSH description = {};
        GetObjectW(brush, sizeof description, &description);
        call.fillColor = description.lbColor;
        gRecorded->calls.push_back(call);
    }
    return gRealFillRect(dc, rect, brush);
}

BOOL WINAPI recordRectangle(HDC dc, int left, int top, int right, int bottom) {
    if (gRecorded) {
        DrawingCall call = callOn(dc, DrawingKind::Frame);
        call.rect = RECT{left, top, right, bottom};
        gRecorded->calls.push_back(call);
    }
    return gRealRectangle(dc, left, top, right, bottom);
}

BOOL WINAPI recordPolyline(HDC dc, const POINT* points, int count) {
    if (gRecorded && points && count > 0) {
        DrawingCall call = callOn(dc, DrawingKind::Line);
        call.points.assign(points, points + count);
        gRecorded->calls.push_back(call);
    }
    return gRealPolyline(dc, points, count);
}

BOOL WINAPI recordBitBlt(HDC dc, int x, int y, int width, int height, HDC source, int sourceX,
                         int sourceY, DWORD operation) {
    if (gRecorded) {
        DrawingCall call = callOn(dc, DrawingKind::Blit);
        call.rect = RECT{x, y, width, height};
        call.source = source;
        call.sourceOrigin = POINT{sourceX, sourceY};
        call.flags = operation;
        gRecorded->calls.push_back(call);
    }
    return gRealBitBlt(dc, x, y, width, height, source, sourceX, sourceY, operation);
}

template <typename Function> void swapHook(Function real, Function hook, bool install) {
    if (install)
        patchImport(reinterpret_cast<void*>(real), reinterpret_cast<void*>(hook));
    else
        patchImport(reinterpret_cast<void*>(hook), reinterpret_cast<void*>(real));
}

void swapHooks(bool install) {
    swapHook(gRealDrawText, &recordDrawText, install);
    swapHook(gRealSelectObject, &recordSelectObject, install);
    swapHook(gRealFillRect, &recordFillRect, install);
    swapHook(gRealRectangle, &recordRectangle, install);
    swapHook(gRealPolyline, &recordPolyline, install);
    swapHook(gRealBitBlt, &recordBitBlt, install);
}

// What one DC had selected before the floor, and what the floor selected last.
struct DcState {
    HDC dc = nullptr;
    HGDIOBJ originalFont = nullptr;
    HGDIOBJ originalPen = nullptr;
    HGDIOBJ originalBrush = nullptr;
    COLORREF originalColor = 0;
    int originalMode = 0;
    HGDIOBJ font = nullptr;
    HGDIOBJ pen = nullptr;
    HGDIOBJ brush = nullptr;
    COLORREF color = 0;
    bool colorSet = false;
};

const int kMostDcs = 8;

struct FloorState {
    DcState dcs[kMostDcs];
    int count = 0;
    int selections = 0;

    DcState& of(HDC dc) {
        for (int i = 0; i < count; ++i) {
            if (dcs[i].dc == dc)
                return dcs[i];
        }
        DcState& fresh = dcs[count < kMostDcs ? count++ : kMostDcs - 1];
        fresh = DcState();
        fresh.dc = dc;
        fresh.font = fresh.originalFont = GetCurrentObject(dc, OBJ_FONT);
        fresh.pen = fresh.originalPen = GetCurrentObject(dc, OBJ_PEN);
        fresh.brush = fresh.originalBrush = GetCurrentObject(dc, OBJ_BRUSH);
        fresh.originalColor = GetTextColor(dc);
        fresh.originalMode = SetBkMode(dc, TRANSPARENT);
        return fresh;
    }
    void select(HDC dc, HGDIOBJ* current, HGDIOBJ wanted) {
        if (*current == wanted || !wanted)
            return;
        SelectObject(dc, wanted);
        *current = wanted;
        ++selections;
    }
    void color(DcState& state, COLORREF wanted) {
        if (state.colorSet && state.color == wanted)
            return;
        SetTextColor(state.dc, wanted);
        state.color = wanted;
        state.colorSet = true;
    }
    void putBack() {
        for (int i = 0; i < count; ++i) {
            DcState& state = dcs[i];
            select(state.dc, &state.font, state.originalFont);
            select(state.dc, &state.pen, state.originalPen);
            select(state.dc, &state.brush, state.originalBrush);
            if (state.colorSet)
                SetTextColor(state.dc, state.originalColor);
            if (state.originalMode)
                SetBkMode(state.dc, state.originalMode);
        }
    }
};

} // namespace

RecordedPaint recordPaint(void (*paint)(void*), void* context) {
    RecordedPaint recorded;
    gRealDrawText = DrawTextW;
    gRealSelectObject = SelectObject;
    gRealFillRect = FillRect;
    gRealRectangle = Rectangle;
    gRealPolyline = Polyline;
    gRealBitBlt = BitBlt;
    gRecorded = &recorded;
    swapHooks(true);
    paint(context);
    swapHooks(false);
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

FullFloor::FullFloor(const std::vector<DrawingCall>& calls) : calls_(calls) {
    for (const DrawingCall& call : calls) {
        if (call.kind == DrawingKind::Fill && !fillBrush(call.fillColor))
            brushes_.emplace_back(call.fillColor, CreateSolidBrush(call.fillColor));
    }
    draw(); // counts the selections (and warms the caches alike)
}

FullFloor::~FullFloor() {
    for (auto& brush : brushes_)
        DeleteObject(brush.second);
}

HBRUSH FullFloor::fillBrush(COLORREF color) const {
    for (const auto& brush : brushes_) {
        if (brush.first == color)
            return brush.second;
    }
    return nullptr;
}

double FullFloor::draw() {
    Stopwatch watch;
    FloorState state;
    for (const DrawingCall& call : calls_) {
        DcState& dc = state.of(call.dc);
        switch (call.kind) {
        case DrawingKind::Text: {
            state.select(call.dc, &dc.font, call.font);
            state.color(dc, call.textColor);
            RECT rect = call.rect;
            DrawTextW(call.dc, call.text.c_str(), static_cast<int>(call.text.size()), &rect,
                      call.flags);
            break;
        }
        case DrawingKind::Fill: FillRect(call.dc, &call.rect, fillBrush(call.fillColor)); break;
        case DrawingKind::Frame:
            state.select(call.dc, &dc.pen, call.pen);
            state.select(call.dc, &dc.brush, call.brush);
            Rectangle(call.dc, call.rect.left, call.rect.top, call.rect.right, call.rect.bottom);
            break;
        case DrawingKind::Line:
            state.select(call.dc, &dc.pen, call.pen);
            Polyline(call.dc, call.points.data(), static_cast<int>(call.points.size()));
            break;
        case DrawingKind::Blit:
            BitBlt(call.dc, call.rect.left, call.rect.top, call.rect.right, call.rect.bottom,
                   call.source, call.sourceOrigin.x, call.sourceOrigin.y, call.flags);
            break;
        }
    }
    state.putBack();
    const double elapsed = watch.microseconds();
    selections_ = state.selections;
    return elapsed;
}

} // namespace bench
