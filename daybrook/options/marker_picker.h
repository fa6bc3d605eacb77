// The marker colour swatches of the Display page and the strip of twelve colours that a touch on
// one opens.
#pragma once
#include <windows.h>

const int kMarkerPaletteSize = 12;
// Cell 0 is ColorNone: that marker is not drawn.
extern const COLORREF MarkerPalette[kMarkerPaletteSize];

// Puts swatchWindowProc over a swatch, keeping its previous procedure in GWLP_USERDATA.
void installSwatch(HWND swatch);
LRESULT CALLBACK swatchWindowProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the strip beside the swatch and returns the colour touched, or colour when the strip was
// closed without a choice.
COLORREF pickColor(HWND swatch, COLORREF colour);
LRESULT CALLBACK pickerWindowProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam);
// One cell or swatch: the colour (an empty box with a grey dot for ColorNone), framed thickly in
// the highlight colour when selected.
void drawSwatch(HDC dc, const RECT& rect, COLORREF colour, bool selected);
