// Tiny owners for GDI state, so that every selection is undone and every object deleted once.
#pragma once
#include <windows.h>

#include "paint_selection.h"

// Selects an object into a DC and puts the previous one back when it goes. A failed selection
// (a null object) restores nothing, so the DC keeps what it had.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelectObject() {
        if (previous_)
            SelectObject(dc_, previous_);
    }
    HGDIOBJ previous() const { return previous_; }

private:
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    HDC dc_;
    HGDIOBJ previous_;
};

// Owns a pen, brush, font or bitmap. Declare it before the ScopedSelectObject that selects it,
// so that the selection is undone before the object is deleted.
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object = nullptr) : object_(object) {}
    ~ScopedGdiObject() { reset(); }
    HGDIOBJ get() const { return object_; }
    HGDIOBJ release() {
        HGDIOBJ object = object_;
        object_ = nullptr;
        return object;
    }
    void reset(HGDIOBJ object = nullptr) {
        if (object_)
            DeleteObject(object_);
        object_ = object;
    }

private:
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    HGDIOBJ object_;
};

// A memory DC compatible with another (or with the screen for null), deleted when it goes.
class ScopedMemoryDc {
public:
    explicit ScopedMemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~ScopedMemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC get() const { return dc_; }

private:
    ScopedMemoryDc(const ScopedMemoryDc&) = delete;
    ScopedMemoryDc& operator=(const ScopedMemoryDc&) = delete;
    HDC dc_;
};

// The screen's DC for as long as the object lives.
class ScopedScreenDc {
public:
    ScopedScreenDc() : dc_(GetDC(nullptr)) {}
    ~ScopedScreenDc() {
        if (dc_)
            ReleaseDC(nullptr, dc_);
    }
    HDC get() const { return dc_; }

private:
    ScopedScreenDc(const ScopedScreenDc&) = delete;
    ScopedScreenDc& operator=(const ScopedScreenDc&) = delete;
    HDC dc_;
};

// Deletes a cached object held in a slot (once no paint can have it selected) and empties the
// slot.
template <typename Handle> void deleteCachedObject(Handle* slot) {
    deleteWhenUnselected(*slot);
    *slot = nullptr;
}

// A memory DC that keeps one bitmap selected for as long as its owner keeps the bitmap.
// Selecting a bitmap compatible with the screen can cost far more than drawing it (about 100 us
// a time measured here), and the icons and the back buffer are drawn on every paint. Plain data,
// so that records can hold it.
struct HeldBitmap {
    HDC dc;
    HGDIOBJ initial; // the DC's own bitmap, put back before the DC is deleted
};

// Selects bitmap into a new DC compatible with compatibleWith (null: the screen); false, with held
// left empty, when the DC cannot be made or the bitmap not selected.
inline bool holdBitmap(HeldBitmap* held, HDC compatibleWith, HBITMAP bitmap) {
    held->dc = nullptr;
    held->initial = nullptr;
    HDC dc = bitmap ? CreateCompatibleDC(compatibleWith) : nullptr;
    if (!dc)
        return false;
    HGDIOBJ initial = SelectObject(dc, bitmap);
    if (!initial) {
        DeleteDC(dc);
        return false;
    }
    held->dc = dc;
    held->initial = initial;
    return true;
}

// Puts the DC's own bitmap back and deletes the DC; the bitmap can be deleted afterwards.
inline void releaseHeldBitmap(HeldBitmap* held) {
    if (held->dc) {
        SelectObject(held->dc, held->initial);
        DeleteDC(held->dc);
    }
    held->dc = nullptr;
    held->initial = nullptr;
}
