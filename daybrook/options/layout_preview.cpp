#include "layout_preview.h"
#include "../host/resource_module.h"
#include "../render/gdi_scope.h"
#include "../render/heading_painting.h"
#include "../render/line_painters.h"
#include "../render/scale.h"
#include "../render/text_drawing.h"
#include "../resources/resource_ids.h"
#include "../settings/options.h"

#include <oleauto.h>

#include <cstddef>

static_assert(offsetof(PreviewSample, line) == 0,
              "the painter block opens the sample, as it opens an appointment item");

PreviewSample gPreviewSample = {};

namespace {

const float kFontSizeSteps[kFontSizeStepCount] = {5.5f, 6.0f, 7.0f, 8.0f, 8.5f, 9.0f, 10.0f, 11.0f};
const double kSampleDuration = 0.042; // days: 60.48 minutes
const int kTimeTextLength = 40;
const int kSampleTextLength = 80;

BSTR loadSampleString(UINT id) {
    WCHAR text[kSampleTextLength];
    loadResourceString(id, text, kSampleTextLength);
    return SysAllocString(text);
}

double wholeDays(double date) {
    return static_cast<double>(static_cast<long long>(date));
}

LRESULT onPreviewEraseBackground(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_STATIC));
    return 0;
}

LRESULT onPreviewPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    paintPreview(window, dc);
    EndPaint(window, &paint);
    return 0;
}

LRESULT onPreviewPrintClient(HWND window, HDC dc) {
    onPreviewEraseBackground(window, dc);
    paintPreview(window, dc);
    return 0;
}

void drawBottomRule(HDC dc, const RECT& rect) {
    ScopedGdiObject pen(
        CreatePen(PS_SOLID, GetSystemMetrics(SM_CYBORDER), GetSysColor(COLOR_BTNFACE)));
    ScopedSelectObject select(dc, pen.get());
    MoveToEx(dc, 10, rect.bottom - 1, nullptr);
    LineTo(dc, rect.right, rect.bottom - 1);
}

} // namespace

void preparePreviewSample() {
    freePreviewSample();
    AppointmentLine& line = gPreviewSample.line;
    line.subject = loadSampleString(IDS_SAMPLE_SUBJECT);
    line.location = loadSampleString(IDS_SAMPLE_LOCATION);
    SYSTEMTIME local;
    GetLocalTime(&local);
    double now = 0;
    SystemTimeToVariantTime(&local, &now);
    line.shownStart = wholeDays(now) + 0.5;
    line.shownEnd = line.shownStart + kSampleDuration;
    line.allDay = 0;
    formatTime(line.shownStart, line.startText, kTimeTextLength);
    formatTime(line.shownEnd, line.endText, kTimeTextLength);
    gPreviewSample.date = wholeDays(line.shownEnd);
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &local, nullptr, gPreviewSample.dateText,
                   sizeof gPreviewSample.dateText / sizeof gPreviewSample.dateText[0]);
}

void freePreviewSample() {
    SysFreeString(gPreviewSample.line.subject);
    SysFreeString(gPreviewSample.line.location);
    gPreviewSample.line.subject = nullptr;
    gPreviewSample.line.location = nullptr;
}

int sizeToPosition(float size) {
    for (int position = kFontSizeStepCount - 1; position >= 0; --position)
        if (kFontSizeSteps[position] <= size)
            return position;
    return 0;
}

float positionToSize(int position) {
    if (position < 0)
        return kFontSizeSteps[0];
    if (position >= kFontSizeStepCount)
        return kFontSizeSteps[kFontSizeStepCount - 1];
    return kFontSizeSteps[position];
}

void paintPreview(HWND window, HDC dc) {
    RECT rect;
    GetClientRect(window, &rect);
    int previousMode = SetBkMode(dc, TRANSPARENT);
    rect.left = textIndent();
    rect.top += drawDayHeading(window, dc, rect, gPreviewSample.date, gPreviewSample.dateText);
    // Painter comes from the live record, which other modules can write through GetOptions.
    if (gOptions.Painter < static_cast<DWORD>(getPainterCount()))
        getPainterTable()[gOptions.Painter](dc, &rect, &gPreviewSample.line);
    drawBottomRule(dc, rect);
    SetBkMode(dc, previousMode);
}

LRESULT CALLBACK previewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: return onPreviewEraseBackground(window, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: return onPreviewPaint(window);
    case WM_PRINTCLIENT: return onPreviewPrintClient(window, reinterpret_cast<HDC>(wParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
