// Selections during a paint of the whole list: each font, pen and brush is selected only when it
// changes, and the DC's own objects are put back once, when the list paint ends. Painting an item
// on its own (measuring, the options' preview) puts back what it selected when its painter ends.
#pragma once
#include <windows.h>

// Open while the list is painted into dc on this thread. Only one list paint at a time keeps its
// selections; another one (on another thread) leaves each painter to put back its own.
class ListPaintScope {
public:
    explicit ListPaintScope(HDC dc);
    ~ListPaintScope();

private:
    ListPaintScope(const ListPaintScope&) = delete;
    ListPaintScope& operator=(const ListPaintScope&) = delete;
    bool owns_;
};

// What one painter selects into dc.
class PaintSelection {
public:
    explicit PaintSelection(HDC dc);
    ~PaintSelection();
    void font(HFONT font) { select(kFontSlot, font); }
    void pen(HPEN pen) { select(kPenSlot, pen); }
    void brush(HBRUSH brush) { select(kBrushSlot, brush); }

    enum Slot { kFontSlot, kPenSlot, kBrushSlot, kSlotCount };

private:
    PaintSelection(const PaintSelection&) = delete;
    PaintSelection& operator=(const PaintSelection&) = delete;
    void select(Slot slot, HGDIOBJ object);
    HDC dc_;
    bool inListPaint_;
    HGDIOBJ current_[kSlotCount];
    HGDIOBJ previous_[kSlotCount];
};

// Deletes a cached pen, brush, font or bitmap, or, while any paint may still have it selected,
// keeps it until the last open paint ends: the loader thread remakes the fonts when the options
// change, and a selected object must not be deleted (the device refuses to, and leaks it).
void deleteWhenUnselected(HGDIOBJ object);

// Code the list does not control (an extension's heading) may have changed dc's selections: the
// list paint reads them from dc again rather than trusting what it selected last.
void rereadListSelections(HDC dc);
