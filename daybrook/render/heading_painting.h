// Day headings: the date text in the date font with a calendar icon and a rule beneath, unless an
// extension module draws the heading itself.
#pragma once
#include <windows.h>

// Draws one heading in heading (its top is where the text starts); returns the height used.
// window's parent gives the rule colour. Also used by the options' preview.
int drawDayHeading(HWND window, HDC dc, RECT heading, double day, const WCHAR* text);
// Deletes the rule pen (part of releaseDrawingCaches).
void releaseHeadingPen();
