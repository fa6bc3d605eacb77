// "PaintDayItem": the item offers every day heading to its extensions before it draws one
// itself. Day Leaf draws all of them, in the style its options dialog chose. The item may call
// it on two threads at once (extension_api.h): every call makes its own fonts and brushes, reads
// the style and the item's settings afresh and draws only into the DC it is given, so nothing is
// shared between calls.
#include "day_leaf.h"

#include <extensions/extension_api.h>
#include <settings/options.h>

#include <cstring>
#include <cwchar>
#include <type_traits>

namespace {

// The item's own defaults, for when its settings cannot be reached.
const float kDefaultDatePoints = 8.5f;
const BOOL kDefaultDateBold = TRUE;
const COLORREF kPaper = RGB(255, 255, 255);
const COLORREF kInk = RGB(32, 32, 32);

struct Heading {
    HDC dc;
    RECT area; // the item's heading rectangle: its left edge is the text indent
    SYSTEMTIME day;
    const WCHAR* text;
    COLORREF accent; // the Today screen's heading colour, from the pen the item selected
    UINT textFlags;
    int unit; // u: an eighth of the small icon size, the item's margin unit
};

typedef Options* (*GetOptionsProc)();

// The date-heading size and weight the user chose, through the item's "GetOptions" export.
Options itemOptions() {
    Options options = {};
    options.DateFontSize = kDefaultDatePoints;
    options.DateFontBold = kDefaultDateBold;
    HMODULE item = GetModuleHandleW(L"daybrook.dll");
    auto getOptions = item ? reinterpret_cast<GetOptionsProc>(
                                 reinterpret_cast<void*>(GetProcAddress(item, "GetOptions")))
                           : nullptr;
    if (getOptions && getOptions())
        options = *getOptions();
    return options;
}

HFONT createTahoma(HDC dc, float points, bool bold) {
    LOGFONTW font = {};
    font.lfHeight = -static_cast<LONG>(points * GetDeviceCaps(dc, LOGPIXELSY) / 72.0f);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    lstrcpynW(font.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

int lineHeight(HDC dc, HFONT font) {
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    return metrics.tmHeight;
}

COLORREF penColor(HDC dc) {
    LOGPEN pen = {};
    if (GetObjectW(GetCurrentObject(dc, OBJ_PEN), sizeof pen, &pen) != sizeof pen)
        return RGB(0, 0, 128);
    return pen.lopnColor;
}

// White on dark colours, black on light ones.
COLORREF contrastingText(COLORREF background) {
    int luminance =
        (GetRValue(background) * 299 + GetGValue(background) * 587 + GetBValue(background) * 114) /
        1000;
    return luminance < 140 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

// The item's own right-to-left rule: the language-neutral Arabic, Hebrew and Hindi identifiers.
bool rightToLeft() {
    LANGID language = GetUserDefaultUILanguage();
    return language == 0x0001 || language == 0x000D || language == 0x0039;
}

bool dayOf(DWORD dateLow, DWORD dateHigh, SYSTEMTIME* day) {
    ULONGLONG bits = (static_cast<ULONGLONG>(dateHigh) << 32) | dateLow;
    double date;
    static_assert(sizeof date == sizeof bits, "an OLE date is 64 bits");
    memcpy(&date, &bits, sizeof date);
    return VariantTimeToSystemTime(date, day) != FALSE;
}

void fill(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void drawCentred(HDC dc, const WCHAR* text, RECT rect, HFONT font, COLORREF color) {
    HGDIOBJ previous = SelectObject(dc, font);
    SetTextColor(dc, color);
    DrawTextW(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

// The heading text in the item's date font, vertically centred in [top, bottom).
void drawText(const Heading& heading, HFONT font, int left, int top, int bottom, COLORREF color) {
    RECT rect = {left, top, heading.area.right, bottom};
    HGDIOBJ previous = SelectObject(heading.dc, font);
    SetTextColor(heading.dc, color);
    DrawTextW(heading.dc, heading.text, -1, &rect, heading.textFlags);
    SelectObject(heading.dc, previous);
}

// A leaf in the left margin: the month on a strip of the heading colour, the day below on
// paper; the text beside it. Returns the height used.
int paintLeaf(const Heading& heading, const Options& options) {
    HDC dc = heading.dc;
    HFONT textFont = createTahoma(dc, options.DateFontSize, options.DateFontBold != FALSE);
    HFONT monthFont = createTahoma(dc, options.DateFontSize * 0.75f, false);
    HFONT dayFont = createTahoma(dc, options.DateFontSize, true);
    int stripHeight = lineHeight(dc, monthFont);
    int leafHeight = stripHeight + lineHeight(dc, dayFont) + 1;

    int u = heading.unit;
    RECT leaf = {u, heading.area.top, heading.area.left - u, heading.area.top + leafHeight};
    RECT strip = {leaf.left, leaf.top, leaf.right, leaf.top + stripHeight};
    RECT paper = {leaf.left, strip.bottom, leaf.right, leaf.bottom};
    fill(dc, leaf, heading.accent);
    RECT inner = {paper.left + 1, paper.top, paper.right - 1, paper.bottom - 1};
    fill(dc, inner, kPaper);

    WCHAR month[16] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, 0, &heading.day, L"MMM", month, 16);
    WCHAR day[8];
    swprintf(day, 8, L"%u", static_cast<unsigned>(heading.day.wDay));
    drawCentred(dc, month, strip, monthFont, contrastingText(heading.accent));
    drawCentred(dc, day, paper, dayFont, kInk);

    drawText(heading, textFont, heading.area.left, leaf.top, leaf.bottom, GetTextColor(dc));
    DeleteObject(textFont);
    DeleteObject(monthFont);
    DeleteObject(dayFont);
    return leafHeight + u;
}

// The text on a band of the heading colour, from the margin to the right edge.
int paintBand(const Heading& heading, const Options& options) {
    HDC dc = heading.dc;
    HFONT textFont = createTahoma(dc, options.DateFontSize, true);
    int u = heading.unit;
    int bandHeight = lineHeight(dc, textFont) + 2 * u;
    RECT band = {u, heading.area.top, heading.area.right, heading.area.top + bandHeight};
    fill(dc, band, heading.accent);
    drawText(heading, textFont, heading.area.left, band.top, band.bottom,
             contrastingText(heading.accent));
    DeleteObject(textFont);
    return bandHeight + u;
}

} // namespace

extern "C" __declspec(dllexport) ULONGLONG
    PaintDayItem(HDC dc, RECT* rect, DWORD dateLow, DWORD dateHigh, const WCHAR* text) {
    Heading heading = {};
    if (!dc || !rect || !dayOf(dateLow, dateHigh, &heading.day))
        return 0; // not drawn: the item draws it
    heading.dc = dc;
    heading.area = *rect;
    heading.text = text ? text : L"";
    heading.accent = penColor(dc);
    heading.textFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                        (rightToLeft() ? DT_RIGHT | DT_RTLREADING : 0);
    heading.unit = GetSystemMetrics(SM_CXSMICON) / 8;

    // Whatever the drawing changes in the item's DC is put back, fonts and colours alike.
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    Options options = itemOptions();
    int height =
        loadHeadingStyle() == StyleBand ? paintBand(heading, options) : paintLeaf(heading, options);
    RestoreDC(dc, saved);
    return static_cast<ULONGLONG>(height);
}

static_assert(std::is_same<decltype(&PaintDayItem), PaintDayItemProc>::value,
              "PaintDayItem has the signature the item calls");
