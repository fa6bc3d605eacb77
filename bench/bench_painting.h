// The floor a list paint is judged against: the texts one paint draws, in its fonts and
// rectangles, drawn again by bare DrawTextW calls in one loop.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

struct DrawnText {
    std::wstring text;
    RECT rect;
    UINT flags;
    HFONT font;
};

struct RecordedPaint {
    std::vector<DrawnText> texts; // every DrawTextW call that drew (measuring calls left out)
    int fontSelections = 0;       // SelectObject calls with a font, restoring ones included
};

// Runs paint once and records what it drew.
RecordedPaint recordPaint(void (*paint)(void*), void* context);

// Draws the texts into dc, selecting a font only when it changes; returns the microseconds.
double drawFloor(HDC dc, const std::vector<DrawnText>& texts);
int floorFontSelections(const std::vector<DrawnText>& texts);

// Microseconds of one font selection into dc, switching between the texts' first two fonts.
double fontSelectionCost(HDC dc, const std::vector<DrawnText>& texts);

} // namespace bench
