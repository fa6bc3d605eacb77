#include "screen_text.h"
#include "import_patch.h"

#include <algorithm>
#include <map>

namespace {

// A text where it landed on a surface, in the surface's device coordinates.
struct DrawnText {
    POINT at;
    std::wstring text;
};

// What is drawn on windows (client coordinates) and on memory DCs (bitmap coordinates).
struct Surfaces {
    CRITICAL_SECTION lock;
    std::map<HWND, std::vector<DrawnText>> windows;
    std::map<HDC, std::vector<DrawnText>> memory;
    Surfaces() { InitializeCriticalSection(&lock); }
};

Surfaces& surfaces() {
    static Surfaces all;
    return all;
}

class SurfaceLock {
public:
    SurfaceLock() { EnterCriticalSection(&surfaces().lock); }
    ~SurfaceLock() { LeaveCriticalSection(&surfaces().lock); }
};

std::vector<DrawnText>& surfaceOf(HDC dc) {
    HWND window = WindowFromDC(dc);
    return window ? surfaces().windows[window] : surfaces().memory[dc];
}

// The real functions: the screen's own imports may be redirected here too.
template <typename Function> Function real(const char* library, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(library), name)));
}

const auto realDrawTextW = real<decltype(&DrawTextW)>("user32.dll", "DrawTextW");
const auto realDrawTextExW = real<decltype(&DrawTextExW)>("user32.dll", "DrawTextExW");
const auto realFillRect = real<decltype(&FillRect)>("user32.dll", "FillRect");
const auto realExtTextOutW = real<decltype(&ExtTextOutW)>("gdi32.dll", "ExtTextOutW");
const auto realTextOutW = real<decltype(&TextOutW)>("gdi32.dll", "TextOutW");
const auto realBitBlt = real<decltype(&BitBlt)>("gdi32.dll", "BitBlt");
const auto realPatBlt = real<decltype(&PatBlt)>("gdi32.dll", "PatBlt");
const auto realDeleteDC = real<decltype(&DeleteDC)>("gdi32.dll", "DeleteDC");

// Texts under an area that is painted over go, as far as the DC's clipping lets the paint reach.
void paintedOver(HDC dc, const RECT& area) {
    SurfaceLock lock;
    std::vector<DrawnText>& drawn = surfaceOf(dc);
    drawn.erase(std::remove_if(drawn.begin(), drawn.end(),
                               [&](const DrawnText& text) {
                                   POINT at = text.at;
                                   DPtoLP(dc, &at, 1);
                                   return PtInRect(&area, at) && PtVisible(dc, at.x, at.y);
                               }),
                drawn.end());
}

bool blank(const std::wstring& text) {
    return text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
}

// A text whose top left corner is at place (logical coordinates of dc), if any of it shows.
void drawn(HDC dc, const RECT& place, std::wstring text) {
    if (blank(text) || !RectVisible(dc, &place))
        return;
    std::replace_if(
        text.begin(), text.end(), [](wchar_t c) { return c < L' '; }, L' ');
    POINT at = {place.left, place.top};
    LPtoDP(dc, &at, 1);
    SurfaceLock lock;
    std::vector<DrawnText>& texts = surfaceOf(dc);
    // Drawn again at the same place, the newer text is the one seen.
    texts.erase(
        std::remove_if(texts.begin(), texts.end(),
                       [&](const DrawnText& old) { return old.at.x == at.x && old.at.y == at.y; }),
        texts.end());
    texts.push_back(DrawnText{at, text});
}

// The text as shown: without prefix marks unless DT_NOPREFIX.
std::wstring shownText(const WCHAR* text, int count, UINT format) {
    std::wstring whole = count < 0 ? std::wstring(text) : std::wstring(text, count);
    if (format & DT_NOPREFIX)
        return whole;
    std::wstring shown;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (whole[i] == L'&' && i + 1 < whole.size())
            ++i;
        shown += whole[i];
    }
    return shown;
}

// Where DrawText puts text within rect: measured, then aligned as the format asks.
RECT drawTextPlace(HDC dc, const WCHAR* text, int count, const RECT& rect, UINT format) {
    RECT measured = rect;
    realDrawTextW(dc, text, count, &measured, (format & ~DT_MODIFYSTRING) | DT_CALCRECT);
    int width = std::min(measured.right - measured.left, rect.right - rect.left);
    int height = measured.bottom - measured.top;
    RECT place = rect;
    if (format & DT_RIGHT)
        place.left = rect.right - width;
    else if (format & DT_CENTER)
        place.left = rect.left + (rect.right - rect.left - width) / 2;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        place.top = rect.top + (rect.bottom - rect.top - height) / 2;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        place.top = rect.bottom - height;
    place.right = place.left + width;
    place.bottom = place.top + height;
    return place;
}

void drawTextCalled(HDC dc, const WCHAR* text, int count, const RECT* rect, UINT format) {
    if (!text || !rect || (format & DT_CALCRECT) || count == 0)
        return;
    drawn(dc, drawTextPlace(dc, text, count, *rect, format), shownText(text, count, format));
}

int WINAPI drawTextW(HDC dc, LPCWSTR text, int count, LPRECT rect, UINT format) {
    drawTextCalled(dc, text, count, rect, format);
    return realDrawTextW(dc, text, count, rect, format);
}

int WINAPI drawTextExW(HDC dc, LPWSTR text, int count, LPRECT rect, UINT format,
                       LPDRAWTEXTPARAMS parameters) {
    drawTextCalled(dc, text, count, rect, format);
    return realDrawTextExW(dc, text, count, rect, format, parameters);
}

// Where ExtTextOut puts text drawn at (x, y) with the DC's alignment.
RECT textOutPlace(HDC dc, int x, int y, const WCHAR* text, int count) {
    UINT align = GetTextAlign(dc);
    if (align & TA_UPDATECP) {
        POINT current = {};
        GetCurrentPositionEx(dc, &current);
        x = current.x;
        y = current.y;
    }
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, count, &size);
    if ((align & TA_CENTER) == TA_CENTER)
        x -= size.cx / 2;
    else if (align & TA_RIGHT)
        x -= size.cx;
    if ((align & TA_BASELINE) == TA_BASELINE) {
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        y -= metrics.tmAscent;
    } else if (align & TA_BOTTOM) {
        y -= size.cy;
    }
    return RECT{x, y, x + size.cx, y + size.cy};
}

BOOL WINAPI extTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                        UINT count, const INT* dx) {
    if ((options & ETO_OPAQUE) && rect)
        paintedOver(dc, *rect);
    if (text && count && !(options & ETO_GLYPH_INDEX)) {
        int length = static_cast<int>(count);
        drawn(dc, textOutPlace(dc, x, y, text, length), std::wstring(text, count));
    }
    return realExtTextOutW(dc, x, y, options, rect, text, count, dx);
}

BOOL WINAPI textOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
    if (text && count > 0)
        drawn(dc, textOutPlace(dc, x, y, text, count), std::wstring(text, count));
    return realTextOutW(dc, x, y, text, count);
}

int WINAPI fillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (rect)
        paintedOver(dc, *rect);
    return realFillRect(dc, rect, brush);
}

bool paintsOver(DWORD operation) {
    return operation == SRCCOPY || operation == PATCOPY || operation == BLACKNESS ||
           operation == WHITENESS;
}

BOOL WINAPI patBlt(HDC dc, int x, int y, int width, int height, DWORD operation) {
    if (paintsOver(operation))
        paintedOver(dc, RECT{x, y, x + width, y + height});
    return realPatBlt(dc, x, y, width, height, operation);
}

// The texts of source within the copied area, in their logical source coordinates.
std::vector<DrawnText> textsWithin(HDC source, const RECT& area) {
    std::vector<DrawnText> found;
    SurfaceLock lock;
    for (DrawnText text : surfaceOf(source)) {
        DPtoLP(source, &text.at, 1);
        if (PtInRect(&area, text.at))
            found.push_back(text);
    }
    return found;
}

BOOL WINAPI bitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                   int sourceY, DWORD operation) {
    std::vector<DrawnText> copied;
    if (source)
        copied = textsWithin(source, RECT{sourceX, sourceY, sourceX + width, sourceY + height});
    if (paintsOver(operation))
        paintedOver(target, RECT{x, y, x + width, y + height});
    for (const DrawnText& text : copied) {
        int left = x + text.at.x - sourceX;
        int top = y + text.at.y - sourceY;
        drawn(target, RECT{left, top, left + 1, top + 1}, text.text);
    }
    return realBitBlt(target, x, y, width, height, source, sourceX, sourceY, operation);
}

BOOL WINAPI deleteDC(HDC dc) {
    {
        SurfaceLock lock;
        surfaces().memory.erase(dc);
    }
    return realDeleteDC(dc);
}

// Hidden behind a child window, outside the window or off the screen.
bool seen(HWND screen, HWND window, POINT at, const RECT& screenArea) {
    RECT client;
    GetClientRect(window, &client);
    if (!PtInRect(&client, at))
        return false;
    HWND topmost = ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (topmost && topmost != window)
        return false;
    MapWindowPoints(window, screen, &at, 1);
    return PtInRect(&screenArea, at) != FALSE;
}

} // namespace

void captureTextDrawnBy(HMODULE module) {
    patchImport(module, "user32.dll", "DrawTextW", reinterpret_cast<void*>(drawTextW));
    patchImport(module, "user32.dll", "DrawTextExW", reinterpret_cast<void*>(drawTextExW));
    patchImport(module, "user32.dll", "FillRect", reinterpret_cast<void*>(fillRect));
    patchImport(module, "gdi32.dll", "ExtTextOutW", reinterpret_cast<void*>(extTextOutW));
    patchImport(module, "gdi32.dll", "TextOutW", reinterpret_cast<void*>(textOutW));
    patchImport(module, "gdi32.dll", "BitBlt", reinterpret_cast<void*>(bitBlt));
    patchImport(module, "gdi32.dll", "PatBlt", reinterpret_cast<void*>(patBlt));
    patchImport(module, "gdi32.dll", "DeleteDC", reinterpret_cast<void*>(deleteDC));
}

std::vector<ShownText> shownTexts(HWND screen) {
    std::vector<ShownText> shown;
    RECT screenArea;
    GetClientRect(screen, &screenArea);
    SurfaceLock lock;
    for (const auto& surface : surfaces().windows) {
        HWND window = surface.first;
        if (!IsWindow(window) || !IsWindowVisible(window) ||
            (window != screen && !IsChild(screen, window)))
            continue;
        for (const DrawnText& text : surface.second) {
            if (!seen(screen, window, text.at, screenArea))
                continue;
            POINT at = text.at;
            MapWindowPoints(window, screen, &at, 1);
            shown.push_back(ShownText{at.y, at.x, text.text});
        }
    }
    std::sort(shown.begin(), shown.end(), [](const ShownText& a, const ShownText& b) {
        return a.top != b.top ? a.top < b.top : a.left < b.left;
    });
    return shown;
}

void printShownTexts(const std::vector<ShownText>& texts, FILE* out) {
    for (const ShownText& text : texts) {
        int length =
            WideCharToMultiByte(CP_UTF8, 0, text.text.c_str(), static_cast<int>(text.text.size()),
                                nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(length), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text.text.c_str(), static_cast<int>(text.text.size()),
                            &utf8[0], length, nullptr, nullptr);
        std::fprintf(out, "%d %d %s\n", text.top, text.left, utf8.c_str());
    }
    std::fflush(out);
}
