#include "paint_selection.h"

namespace {

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
    if (InterlockedCompareExchange(&gListPaintThread, thisThread(), 0) != 0)
        return;
    owns_ = true;
    gListDc = dc;
    for (int slot = 0; slot < PaintSelection::kSlotCount; ++slot)
        gListOriginal[slot] = gListCurrent[slot] = nullptr;
}

ListPaintScope::~ListPaintScope() {
    if (!owns_)
        return;
    for (int slot = 0; slot < PaintSelection::kSlotCount; ++slot) {
        if (gListOriginal[slot])
            SelectObject(gListDc, gListOriginal[slot]);
    }
    gListDc = nullptr;
    InterlockedExchange(&gListPaintThread, 0);
}

PaintSelection::PaintSelection(HDC dc) : dc_(dc), inListPaint_(inListPaint(dc)) {
    for (int slot = 0; slot < kSlotCount; ++slot)
        current_[slot] = previous_[slot] = nullptr;
}

PaintSelection::~PaintSelection() {
    if (inListPaint_)
        return;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (previous_[slot])
            SelectObject(dc_, previous_[slot]);
    }
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

void forgetListSelections(HDC dc) {
    if (!inListPaint(dc))
        return;
    for (int slot = 0; slot < PaintSelection::kSlotCount; ++slot)
        gListCurrent[slot] = nullptr;
}
