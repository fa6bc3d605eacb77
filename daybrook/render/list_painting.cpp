#include "list_painting.h"
#include "gdi_scope.h"
#include "markers.h"
#include "paint_selection.h"
#include "scale.h"
#include "today_colors.h"
#include "../agenda/agenda_item.h"
#include "../agenda/agenda_list.h"

#include <todaycmn.h>

namespace {

// The back buffer covers the visible part of the window: as wide as the screen and no taller. It
// stays selected in a DC of its own between paints (see HeldBitmap).
void ensureBackBitmap(AgendaList* list, HDC dc, int width, int height) {
    if (list->backBitmap && (list->backHeight != height || list->backWidth != width))
        list->ReleaseBackBuffer();
    if (list->backBitmap)
        return;
    list->backBitmap = CreateCompatibleBitmap(dc, width, height);
    list->backHeight = height;
    list->backWidth = width;
    holdBitmap(&list->backDc, dc, list->backBitmap);
}

void drawWatermark(HWND window, HDC dc, const RECT& client) {
    TODAYDRAWWATERMARKINFO watermark = {};
    watermark.hdc = dc;
    watermark.rc = client;
    watermark.hwnd = window;
    SendMessageW(GetParent(window), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&watermark));
}

// The item's background and items in target, whose coordinates are the window's client ones.
void paintBackgroundAndItems(AgendaList* list, HWND window, HDC target, const RECT& client,
                             const RECT& invalid) {
    drawWatermark(window, target, client);
    paintItems(list, window, target, &invalid);
}

void paintBuffered(AgendaList* list, HWND window, HDC dc, const RECT& client, const RECT& invalid) {
    HDC buffer = list->backDc.dc;
    // Scrolled partly above the screen: the first visible client row lands on the buffer's first.
    // The DC is kept between paints, so its origin is set every time.
    RECT onScreen;
    GetWindowRect(window, &onScreen);
    SetViewportOrgEx(buffer, 0, onScreen.top < 0 ? onScreen.top : 0, nullptr);
    paintBackgroundAndItems(list, window, buffer, client, invalid);
    BitBlt(dc, invalid.left, invalid.top, invalid.right - invalid.left,
           invalid.bottom - invalid.top, buffer, invalid.left, invalid.top, SRCCOPY);
}

// The band behind the selected item, from the window's left edge to the right margin.
void fillSelectionBand(HDC dc, int top, int right, int height, COLORREF color) {
    ScopedGdiObject brush(CreateSolidBrush(color));
    RECT band = {0, top, right, top + height};
    if (brush.get())
        FillRect(dc, &band, static_cast<HBRUSH>(brush.get()));
}

// The DC's text colour and background mode as they were, put back when painting ends.
class ScopedTextState {
public:
    explicit ScopedTextState(HDC dc)
        : dc_(dc), color_(GetTextColor(dc)), mode_(SetBkMode(dc, TRANSPARENT)) {}
    ~ScopedTextState() {
        SetTextColor(dc_, color_);
        if (mode_)
            SetBkMode(dc_, mode_);
    }

private:
    ScopedTextState(const ScopedTextState&) = delete;
    ScopedTextState& operator=(const ScopedTextState&) = delete;
    HDC dc_;
    COLORREF color_;
    int mode_;
};

} // namespace

void paintList(AgendaList* list, SIZE screen, HWND window, HDC dc, const RECT& invalid) {
    if (!list)
        return;
    RECT client;
    GetClientRect(window, &client);
    int height = screen.cy < client.bottom ? screen.cy : client.bottom;
    ensureBackBitmap(list, dc, screen.cx, height);
    if (list->backBitmap && list->backDc.dc)
        paintBuffered(list, window, dc, client, invalid);
    else
        paintBackgroundAndItems(list, window, dc, client, invalid);
}

int paintItems(AgendaList* list, HWND window, HDC dc, const RECT* clip) {
    int u = iconUnit();
    int iconSquare = standardRowHeight();
    RECT rect;
    GetClientRect(window, &rect);
    rect.right -= u;
    rect.left = textIndent();
    ScopedTextState textState(dc);
    ListPaintScope selections(dc);
    if (list->showIcon)
        drawItemIcon(dc, list->iconFrame);
    COLORREF textColor = getTodayColor(window, TODAYCOLOR_TEXT);
    COLORREF setColor = textColor;
    SetTextColor(dc, setColor);

    // y runs u ahead of the next item's top: it is both the height so far and the clip position.
    int y = u;
    for (int i = 0; i < list->count; ++i) {
        AgendaItem* item = list->items[i];
        int height = item->GetHeight();
        bool above = height != 0 && clip && y + height < clip->top;
        if (!above) {
            COLORREF color = textColor;
            if (i == list->selection && height > 0) {
                fillSelectionBand(dc, rect.top, rect.right, height,
                                  getTodayColor(window, TODAYCOLOR_HIGHLIGHT));
                if (list->showIcon && rect.top < iconSquare)
                    drawItemIcon(dc, list->iconFrame);
                color = getTodayColor(window, TODAYCOLOR_HIGHLIGHTEDTEXT);
            }
            if (color != setColor) {
                SetTextColor(dc, color);
                setColor = color;
            }
            height = item->Paint(window, dc, rect);
        }
        y += height;
        rect.top += height;
        // Stop once the next item starts below the area to paint.
        if (clip && rect.top >= clip->bottom)
            break;
    }
    return y > iconSquare ? y : iconSquare;
}
