// The Layout page's live preview: one day heading and one sample appointment, drawn with the
// painters the Today item uses, and the text-size steps of the page's two trackbars.
#pragma once
#include "../agenda/agenda_items.h"

#include <windows.h>

struct PreviewSample {
    AppointmentLine line; // the block a line painter reads
    WCHAR dateText[100];
    double date; // midnight of the sample's day
};

extern PreviewSample gPreviewSample;

// Today 12:00 to about 13:00, "Product Meeting" in "Board Room", under today's long date.
void preparePreviewSample();
// Frees the sample's two strings.
void freePreviewSample();

const int kFontSizeStepCount = 8;
// The trackbar position of a size: the largest step not above it, the smallest for anything
// below the smallest step.
int sizeToPosition(float size);
// The size of a position; positions outside 0-7 give the nearest end.
float positionToSize(int position);

LRESULT CALLBACK previewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Paints the preview into dc (the window's own paint and snapshots).
void paintPreview(HWND window, HDC dc);
