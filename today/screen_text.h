// The Today screen as text: every text the screen and its items draw, captured from the drawing
// calls they make, with the place it lands on the screen after alignment, copies between DCs and
// overdrawing.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

struct ShownText {
    int top;
    int left;
    std::wstring text;
};

// Captures the drawing this module does (the screen's own, or an item library's).
void captureTextDrawnBy(HMODULE module);

// The texts visible now in the window and its children, in the window's client coordinates, top
// to bottom then left to right.
std::vector<ShownText> shownTexts(HWND screen);

// One line each, "<top> <left> <text>", in UTF-8.
void printShownTexts(const std::vector<ShownText>& texts, FILE* out);
