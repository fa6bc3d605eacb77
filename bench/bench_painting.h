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

// Runs paint once and returns every DrawTextW call it made that drew (measuring calls left out).
std::vector<DrawnText> recordDrawnTexts(void (*paint)(void*), void* context);

// Draws the texts into dc, selecting a font only when it changes; returns the microseconds.
double drawFloor(HDC dc, const std::vector<DrawnText>& texts);

} // namespace bench
