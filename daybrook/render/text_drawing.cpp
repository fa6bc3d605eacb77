#include "text_drawing.h"
#include "fonts.h"
#include "gdi_scope.h"
#include "render_lock.h"
#include "../agenda/agenda_items.h"
#include "../host/resource_module.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

#include <cwchar>
#include <new>

namespace {

const int kMultidayCapacity = 30;
WCHAR gMultidayText[kMultidayCapacity];

WCHAR* gScratchBuffer = nullptr;
size_t gScratchCapacity = 0;

const WCHAR kEllipsis[] = L"...";
const int kEllipsisLength = 3;

// Most lines fit here; longer ones get a heap copy only when they must be shortened.
const size_t kShortCopyCapacity = 256;

// More characters than a screen can show in one item are never seen, and the platform's work
// grows with the text: one enormous subject would stall every paint. Longer texts are drawn up to
// here.
const size_t kLongestDrawnText = 2048;

// The count to draw: as given, or the first kLongestDrawnText units (never half a surrogate pair).
// Kept out of line: inlined into a caller with a short array, the compiler would warn about the
// unit it can never reach.
__declspec(noinline) int drawnCount(const WCHAR* text, int count) {
    if (!text)
        return count;
    size_t longest = kLongestDrawnText + 1;
    if (count >= 0 && static_cast<size_t>(count) < longest)
        longest = static_cast<size_t>(count);
    if (wcsnlen(text, longest) <= kLongestDrawnText)
        return count;
    size_t cut = kLongestDrawnText;
    if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF)
        --cut;
    return static_cast<int>(cut);
}

// The natural width of text. DT_END_ELLIPSIS is left out: where the platform shortens text
// itself, it would report the shortened width and nothing would ever be cut here.
int measuredWidth(HDC dc, const WCHAR* text, int count, const RECT& rect, UINT flags) {
    RECT measured = rect;
    DrawTextW(dc, text, count, &measured, (flags & ~DT_END_ELLIPSIS) | DT_CALCRECT);
    return measured.right - measured.left;
}

// Whether the first n characters of text and "..." fit; copy receives them.
bool prefixFits(HDC dc, const WCHAR* text, WCHAR* copy, long n, const RECT& rect, UINT flags) {
    wmemcpy(copy, text, static_cast<size_t>(n));
    wmemcpy(copy + n, kEllipsis, kEllipsisLength + 1);
    return measuredWidth(dc, copy, -1, rect, flags) <= rect.right - rect.left;
}

// Cuts text (length characters, too wide as it is) into copy as its first n characters and
// "...", for the largest n from length - 4 down to 1 that fits (n = 1 when none does). A longer
// prefix is never narrower, so the largest is found by halving the range: trying every n from
// the top costs a measurement of the whole text per character, which a long subject turns into
// minutes.
void shortenToFit(HDC dc, const WCHAR* text, WCHAR* copy, size_t length, const RECT& rect,
                  UINT flags) {
    long fits = 0; // the largest n known to fit, 0 for none
    long low = 1;
    long high = static_cast<long>(length) - kEllipsisLength - 1;
    while (low <= high) {
        long middle = low + (high - low) / 2;
        if (prefixFits(dc, text, copy, middle, rect, flags)) {
            fits = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    prefixFits(dc, text, copy, fits > 0 ? fits : 1, rect, flags);
}

void loadMultidayText() {
    WCHAR text[kMultidayCapacity];
    loadResourceString(IDS_MULTIDAY, text, kMultidayCapacity);
    lstrcpynW(gMultidayText, text, kMultidayCapacity);
}

} // namespace

int drawTextEllipsis(HDC dc, const WCHAR* text, int count, RECT* rect, UINT flags) {
    // The shortening is ours alone, the same on every platform: the platform's own ellipsis
    // would cut differently, and would cut word-wrapped lines too.
    UINT drawFlags = flags & ~DT_END_ELLIPSIS;
    count = drawnCount(text, count);
    const UINT kShortens = DT_END_ELLIPSIS | DT_SINGLELINE;
    if ((flags & kShortens) != kShortens)
        return DrawTextW(dc, text, count, rect, drawFlags);
    size_t length = count < 0 ? wcslen(text) : wcsnlen(text, static_cast<size_t>(count));
    if (length <= static_cast<size_t>(kEllipsisLength + 1) ||
        measuredWidth(dc, text, count, *rect, flags) <= rect->right - rect->left)
        return DrawTextW(dc, text, count, rect, drawFlags);

    WCHAR shortCopy[kShortCopyCapacity];
    WCHAR* copy = length < kShortCopyCapacity ? shortCopy : new (std::nothrow) WCHAR[length + 1];
    if (!copy)
        return DrawTextW(dc, text, count, rect, drawFlags);
    shortenToFit(dc, text, copy, length, *rect, flags);
    int result = DrawTextW(dc, copy, -1, rect, drawFlags);
    if (copy != shortCopy)
        delete[] copy;
    return result;
}

UINT readingOrderFlags() {
    return isRightToLeft() ? DT_RIGHT | DT_RTLREADING : 0;
}

UINT lineTextFlags() {
    UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX;
    flags |= GetOptions()->WordWrap ? DT_WORDBREAK : DT_SINGLELINE;
    return flags | readingOrderFlags();
}

bool hasTime(double date) {
    if (date != 0.0)
        return true;
    ScopedRenderLock lock;
    if (gMultidayText[0] == 0)
        loadMultidayText();
    return false;
}

const WCHAR* getMultidayText() {
    return gMultidayText;
}

void formatTime(double date, WCHAR* buffer, int capacity) {
    if (capacity <= 0)
        return;
    if (!hasTime(date)) {
        lstrcpynW(buffer, gMultidayText, capacity);
        return;
    }
    // A date the platform cannot convert or format leaves an empty text, never an unterminated
    // buffer.
    SYSTEMTIME time;
    if (!VariantTimeToSystemTime(date, &time) ||
        GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, buffer, capacity) ==
            0) {
        buffer[0] = 0;
        return;
    }
    removeSpaces(buffer);
}

void removeSpaces(WCHAR* text) {
    WCHAR* kept = text;
    for (const WCHAR* read = text; *read; ++read) {
        if (*read != L' ')
            *kept++ = *read;
    }
    *kept = 0;
}

int timeColumnWidth(HDC dc) {
    ScopedRenderLock lock;
    ensureFonts();
    hasTime(0.0);
    if (gFontCache.cachedTimeColumnWidth != 0)
        return gFontCache.cachedTimeColumnWidth;

    RECT sampleRect = {0, 0, 999, 999};
    RECT multidayRect = sampleRect;
    SYSTEMTIME time;
    GetLocalTime(&time);
    time.wHour = 23;
    time.wMinute = 59;
    WCHAR sample[40] = L"";
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, sample, 40) == 0)
        sample[0] = 0;
    removeSpaces(sample);
    {
        ScopedSelectObject font(dc, gFontCache.plainFont);
        drawTextEllipsis(dc, sample, -1, &sampleRect, DT_CALCRECT | DT_SINGLELINE);
        drawTextEllipsis(dc, gMultidayText, -1, &multidayRect, DT_CALCRECT | DT_SINGLELINE);
    }
    gFontCache.cachedTimeColumnWidth =
        sampleRect.right > multidayRect.right ? sampleRect.right : multidayRect.right;
    return gFontCache.cachedTimeColumnWidth;
}

WCHAR* getScratchBuffer(size_t units) {
    if (units <= gScratchCapacity)
        return gScratchBuffer;
    releaseScratchBuffer();
    gScratchBuffer = new (std::nothrow) WCHAR[units];
    if (gScratchBuffer)
        gScratchCapacity = units;
    return gScratchBuffer;
}

void releaseScratchBuffer() {
    gScratchCapacity = 0;
    delete[] gScratchBuffer;
    gScratchBuffer = nullptr;
}
