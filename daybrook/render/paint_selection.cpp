#include "paint_selection.h"
#include "render_lock.h"

#include <new>

namespace {

// The paints (list paints and painters) open on any thread; while one is, deleted objects wait in
// gRetired (guarded by the render lock).
volatile LONG gOpenPaints = 0;
struct RetiredObject {
    HGDIOBJ object;
    RetiredObject* next;
};
RetiredObject* volatile gRetired = nullptr;

void openPaint() {
    InterlockedIncrement(&gOpenPaints);
}

// The last paint to end deletes what waited for it. Under the lock, the count is read again: a
// paint that opens meanwhile may hold none of the waiting objects, since it takes its fonts under
// the same lock, but one object retired after this check waits for that paint.
void closePaint() {
    if (InterlockedDecrement(&gOpenPaints) != 0 || !gRetired)
        return;
    ScopedRenderLock lock;
    if (InterlockedCompareExchange(&gOpenPaints, 0, 0) != 0)
        return;
    RetiredObject* retired = gRetired;
    gRetired = nullptr;
    while (retired) {
        RetiredObject* next = retired->next;
        DeleteObject(retired->object);
        delete retired;
        retired = next;
    }
}

// The thread whose list paint is open (0: none). Read by every painter, so it is read atomically;
// the rest below is used by that thread alone.
volatile LONG gListPaintThread = 0;
HDC gListDc = nullptr;
HGDIOBJ gListOriginal[PaintSelection::kSlotCount];
HGDIOBJ gListCurrent[PaintSelection::kSlotCount];

LONG thisThread() {
    return static_cast<LONG>(GetCurrentThreadId());
}

bool inListPaint(HDC dc) {
    return InterlockedCompareExchange(&gListPaintThread, 0, 0) == thisThread() && gListDc == dc;
}

} // namespace

ListPaintScope::ListPaintScope(HDC dc) : owns_(false) {
    openPaint();
    if (InterlockedCompareExchange(&gListPaintThread, thisThread(), 0) != 0)
        return;
    owns_ = true;
    gListDc = dc;
    for (int slot = 0; slot < PaintSelection::kSlotCount; ++slot)
        gListOriginal[slot] = gListCurrent[slot] = nullptr;
}

ListPaintScope::~ListPaintScope() {
    if (owns_) {
        for (int slot = 0; slot < PaintSelection::kSlotCount; ++slot) {
            if (gListOriginal[slot])
                SelectObject(gListDc, gListOriginal[slot]);
        }
        gListDc = nullptr;
        InterlockedExchange(&gListPaintThread, 0);
    }
    closePaint();
}

PaintSelection::PaintSelection(HDC dc) : dc_(dc), inListPaint_(inListPaint(dc)) {
    openPaint();
    for (int slot = 0; slot < kSlotCount; ++slot)
        current_[slot] = previous_[slot] = nullptr;
}

PaintSelection::~PaintSelection() {
    if (!inListPaint_) {
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (previous_[slot])
                SelectObject(dc_, previous_[slot]);
        }
    }
    closePaint();
}

void PaintSelection::select(Slot slot, HGDIOBJ object) {
    if (!object)
        return;
    HGDIOBJ* current = inListPaint_ ? &gListCurrent[slot] : &current_[slot];
    if (*current == object)
        return;
    HGDIOBJ previous = SelectObject(dc_, object);
    if (!previous)
        return;
    *current = object;
    HGDIOBJ* original = inListPaint_ ? &gListOriginal[slot] : &previous_[slot];
    if (!*original)
        *original = previous;
}

void rereadListSelections(HDC dc) {
    if (!inListPaint(dc))
        return;
    gListCurrent[PaintSelection::kFontSlot] = GetCurrentObject(dc, OBJ_FONT);
    gListCurrent[PaintSelection::kPenSlot] = GetCurrentObject(dc, OBJ_PEN);
    gListCurrent[PaintSelection::kBrushSlot] = GetCurrentObject(dc, OBJ_BRUSH);
}

void deleteWhenUnselected(HGDIOBJ object) {
    if (!object)
        return;
    ScopedRenderLock lock;
    if (InterlockedCompareExchange(&gOpenPaints, 0, 0) == 0) {
        DeleteObject(object);
        return;
    }
    // Without memory for the record the object is kept: a leak is safer than deleting it selected.
    RetiredObject* retired = new (std::nothrow) RetiredObject{object, gRetired};
    if (retired)
        gRetired = retired;
}
