// Free/busy markers beside timed appointments, and icons pre-rendered into an image and a mask.
#pragma once
#include "gdi_scope.h"

#include <windows.h>

class AppointmentItem;

// A marker brush with the option colour it was made for.
struct MarkerBrush {
    HBRUSH brush;
    COLORREF color;
    bool colorRemembered;
};

struct MarkerCache {
    MarkerBrush freeBrush;
    MarkerBrush tentativeBrush;
    MarkerBrush conflictBrush;
    HPEN markerPen;    // the Today text colour at the first marker
    HPEN separatorPen; // dashed, the Today text colour at the first separator
};

extern MarkerCache gMarkerCache;

// The bar left of a timed appointment's lines, in the colour of its kind: conflict, free or
// tentative (busy appointments get none; ColorNone switches a kind off).
void drawBusyMarker(HWND window, HDC dc, const AppointmentItem* item);
// The separator's pen, made at first use in the Today text colour of window's parent.
HPEN getSeparatorPen(HWND window);
// Deletes the brushes and pens (the item's shutdown, before releaseDrawingCaches).
void releaseMarkerCache();

// An icon drawn once on black (image) with its transparency as a mask (white = transparent),
// both s x s, so that each later drawing is two bit-block transfers.
struct IconImage {
    HBITMAP image;
    HBITMAP mask;
    // Each bitmap kept selected in a DC of its own between drawings; empty when that failed
    // (drawing then selects the bitmaps each time).
    HeldBitmap heldImage;
    HeldBitmap heldMask;
};

// The icon resource id of module at the small icon size; null when the record cannot be
// allocated, a record without bitmaps when the icon cannot be loaded or rendered.
IconImage* makeIconImage(HINSTANCE module, int id);
// Nothing unless both bitmaps exist.
void drawIconImage(const IconImage* image, HDC dc, int x, int y);
// The module whose icon resources the item icon and the heading icon are made from (the host
// tells it when the library is loaded).
void setIconModule(HINSTANCE module);
// The item's own icon at (u, u): resource 113 while frame is nonzero, else 128.
void drawItemIcon(HDC dc, int frame);
// The calendar icon beside day headings (resource 104), made at its first drawing.
void drawDayHeadingIcon(HDC dc, int x, int y);
// Deletes the three icon images (part of releaseDrawingCaches).
void releaseIconImages();
