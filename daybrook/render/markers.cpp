#include "markers.h"
#include "gdi_scope.h"
#include "paint_selection.h"
#include "render_lock.h"
#include "scale.h"
#include "today_colors.h"
#include "../agenda/agenda_items.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

#include <todaycmn.h>

#include <new>

MarkerCache gMarkerCache = {};

namespace {

HINSTANCE gIconModule = nullptr;
IconImage* gDayHeadingIcon = nullptr;
IconImage* gItemIconFrame1 = nullptr;
IconImage* gItemIconFrame0 = nullptr;

const LONG kBusy = 2;
const LONG kFree = 0;

// The brush slot and option colour of the item's kind; false for busy (no marker).
bool chooseMarker(const AppointmentItem* item, MarkerBrush** slot, COLORREF* color) {
    const Options* options = GetOptions();
    if (item->conflict) {
        *slot = &gMarkerCache.conflictBrush;
        *color = options->ConflictColor;
    } else if (item->line.busyStatus == kBusy) {
        return false;
    } else if (item->line.busyStatus == kFree) {
        *slot = &gMarkerCache.freeBrush;
        *color = options->FreeColor;
    } else {
        *slot = &gMarkerCache.tentativeBrush;
        *color = options->TentativeColor;
    }
    return true;
}

// Remakes the brush when its option colour changed; null for ColorNone or a failed creation.
HBRUSH updateBrush(MarkerBrush* slot, COLORREF color) {
    if (!slot->colorRemembered || slot->color != color) {
        deleteCachedObject(&slot->brush);
        slot->color = color;
        slot->colorRemembered = true;
        if (color != ColorNone)
            slot->brush = CreateSolidBrush(color);
    }
    return slot->brush;
}

void deleteMarkerBrush(MarkerBrush* slot) {
    deleteCachedObject(&slot->brush);
    slot->colorRemembered = false;
}

// The mask: white where the icon leaves a white background showing, black where it covers it.
void renderMask(HDC screen, HICON icon, int size, HBITMAP work, HBITMAP mask) {
    ScopedMemoryDc drawing(screen);
    ScopedSelectObject workSelected(drawing.get(), work);
    RECT square = {0, 0, size, size};
    FillRect(drawing.get(), &square, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(drawing.get(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);

    ScopedMemoryDc maskDc(screen);
    ScopedSelectObject maskSelected(maskDc.get(), mask);
    SetTextColor(maskDc.get(), RGB(0, 0, 0));
    SetBkColor(maskDc.get(), RGB(255, 255, 255));
    BitBlt(maskDc.get(), 0, 0, size, size, drawing.get(), 0, 0, SRCCOPY);
}

// The icon's colours on black.
void renderImage(HDC screen, HICON icon, int size, HBITMAP image) {
    ScopedMemoryDc drawing(screen);
    ScopedSelectObject imageSelected(drawing.get(), image);
    RECT square = {0, 0, size, size};
    FillRect(drawing.get(), &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawIconEx(drawing.get(), 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

// Fills the record's bitmaps, or leaves both null when any of them cannot be made.
void renderIconImage(IconImage* record, HICON icon, int size) {
    ScopedScreenDc screen;
    ScopedGdiObject image(CreateCompatibleBitmap(screen.get(), size, size));
    ScopedGdiObject mask(CreateCompatibleBitmap(screen.get(), size, size));
    ScopedGdiObject work(CreateBitmap(size, size, 1, 1, nullptr));
    if (!image.get() || !mask.get() || !work.get())
        return;
    renderMask(screen.get(), icon, size, static_cast<HBITMAP>(work.get()),
               static_cast<HBITMAP>(mask.get()));
    renderImage(screen.get(), icon, size, static_cast<HBITMAP>(image.get()));
    record->image = static_cast<HBITMAP>(image.release());
    record->mask = static_cast<HBITMAP>(mask.release());
    if (!holdBitmap(&record->heldImage, screen.get(), record->image) ||
        !holdBitmap(&record->heldMask, screen.get(), record->mask))
        releaseHeldBitmap(&record->heldImage);
}

// 2u wide, u before the side where the lines start: in the margin left of them, or, right to
// left, in the 3u an appointment keeps free at its right end.
int markerLeft(const RECT& lines, int u) {
    return isRightToLeft() ? lines.right - 2 * u : lines.left - 3 * u;
}

void releaseIconImage(IconImage** slot) {
    if (!*slot)
        return;
    releaseHeldBitmap(&(*slot)->heldImage);
    releaseHeldBitmap(&(*slot)->heldMask);
    deleteCachedObject(&(*slot)->image);
    deleteCachedObject(&(*slot)->mask);
    delete *slot;
    *slot = nullptr;
}

// Makes the image in slot at its first drawing (a failed allocation is tried again next time)
// and draws it.
void drawCachedIcon(IconImage** slot, int id, HDC dc, int x, int y) {
    ScopedRenderLock lock;
    if (!*slot)
        *slot = makeIconImage(gIconModule, id);
    if (*slot)
        drawIconImage(*slot, dc, x, y);
}

} // namespace

void drawBusyMarker(HWND window, HDC dc, const AppointmentItem* item) {
    MarkerBrush* slot;
    COLORREF color;
    if (!chooseMarker(item, &slot, &color))
        return;
    // Asked before taking the lock: from the loader thread this is a cross-thread send.
    COLORREF penColor = gMarkerCache.markerPen ? 0 : getTodayColor(window, TODAYCOLOR_TEXT);

    ScopedRenderLock lock;
    HBRUSH brush = updateBrush(slot, color);
    if (!brush)
        return;
    if (!gMarkerCache.markerPen)
        gMarkerCache.markerPen = CreatePen(PS_SOLID, 1, penColor);
    PaintSelection selection(dc);
    selection.pen(gMarkerCache.markerPen);
    selection.brush(brush);
    int u = iconUnit();
    const RECT& lines = item->hitRect;
    int left = markerLeft(lines, u);
    Rectangle(dc, left, lines.top + 1, left + 2 * u, lines.bottom - 2);
}

HPEN getSeparatorPen(HWND window) {
    if (gMarkerCache.separatorPen)
        return gMarkerCache.separatorPen;
    COLORREF color = getTodayColor(window, TODAYCOLOR_TEXT);
    ScopedRenderLock lock;
    if (!gMarkerCache.separatorPen)
        gMarkerCache.separatorPen = CreatePen(PS_DASH, 0, color);
    return gMarkerCache.separatorPen;
}

void releaseMarkerCache() {
    ScopedRenderLock lock;
    deleteMarkerBrush(&gMarkerCache.freeBrush);
    deleteMarkerBrush(&gMarkerCache.tentativeBrush);
    deleteMarkerBrush(&gMarkerCache.conflictBrush);
    deleteCachedObject(&gMarkerCache.markerPen);
    deleteCachedObject(&gMarkerCache.separatorPen);
}

IconImage* makeIconImage(HINSTANCE module, int id) {
    IconImage* record = new (std::nothrow) IconImage();
    if (!record)
        return nullptr;
    int size = getSmallIconSize();
    HICON icon =
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
    if (!icon)
        return record;
    renderIconImage(record, icon, size);
    DestroyIcon(icon);
    return record;
}

void drawIconImage(const IconImage* image, HDC dc, int x, int y) {
    if (!image || !image->image || !image->mask)
        return;
    int size = getSmallIconSize();
    if (image->heldMask.dc && image->heldImage.dc) {
        BitBlt(dc, x, y, size, size, image->heldMask.dc, 0, 0, SRCAND);
        BitBlt(dc, x, y, size, size, image->heldImage.dc, 0, 0, SRCPAINT);
        return;
    }
    ScopedMemoryDc source(dc);
    ScopedSelectObject mask(source.get(), image->mask);
    BitBlt(dc, x, y, size, size, source.get(), 0, 0, SRCAND);
    SelectObject(source.get(), image->image);
    BitBlt(dc, x, y, size, size, source.get(), 0, 0, SRCPAINT);
}

void setIconModule(HINSTANCE module) {
    gIconModule = module;
}

void drawItemIcon(HDC dc, int frame) {
    int u = iconUnit();
    if (frame)
        drawCachedIcon(&gItemIconFrame1, IDI_ITEM_FRAME_1, dc, u, u);
    else
        drawCachedIcon(&gItemIconFrame0, IDI_ITEM_FRAME_2, dc, u, u);
}

void drawDayHeadingIcon(HDC dc, int x, int y) {
    drawCachedIcon(&gDayHeadingIcon, IDI_CALENDAR_PAGE, dc, x, y);
}

void releaseIconImages() {
    ScopedRenderLock lock;
    releaseIconImage(&gDayHeadingIcon);
    releaseIconImage(&gItemIconFrame1);
    releaseIconImage(&gItemIconFrame0);
}
