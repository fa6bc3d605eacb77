// The floors a list paint is judged against. The text floor: the texts one paint draws, in its
// fonts and rectangles, drawn again by bare DrawTextW calls in one loop. The full floor: every
// drawing call the paint makes (texts, fills, rectangles, lines, bit-block transfers) with the
// fonts, pens, brushes and colours each was drawn with, issued again in one loop that selects an
// object only when it changes.
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

enum class DrawingKind { Text, Fill, Frame, Line, Blit };

// One drawing call of a paint and the DC state it depended on.
struct DrawingCall {
    DrawingKind kind = DrawingKind::Text;
    HDC dc = nullptr;
    HFONT font = nullptr;   // Text
    COLORREF textColor = 0; // Text
    HPEN pen = nullptr;     // Frame, Line
    HBRUSH brush = nullptr; // Frame (selected)
    COLORREF fillColor = 0; // Fill: its brush's colour (the paint's brush may be gone since)
    RECT rect = {};         // Text, Fill, Frame; Blit: x, y, width, height
    UINT flags = 0;         // Text: DrawText flags; Blit: raster operation
    std::wstring text;
    std::vector<POINT> points; // Line
    HDC source = nullptr;      // Blit
    POINT sourceOrigin = {};   // Blit
};

struct RecordedPaint {
    std::vector<DrawnText> texts;   // every DrawTextW call that drew (measuring calls left out)
    std::vector<DrawingCall> calls; // every drawing call, in order
    int fontSelections = 0;         // SelectObject calls with a font, restoring ones included
    int penSelections = 0;
    int brushSelections = 0;
};

// Runs paint once and records what it drew.
RecordedPaint recordPaint(void (*paint)(void*), void* context);

// Draws the texts into dc, selecting a font only when it changes; returns the microseconds.
double drawFloor(HDC dc, const std::vector<DrawnText>& texts);
int floorFontSelections(const std::vector<DrawnText>& texts);

// The recorded calls made again in one loop; brushes for the fills are made before the timing.
class FullFloor {
public:
    explicit FullFloor(const std::vector<DrawingCall>& calls);
    ~FullFloor();
    // Issues every call into the DCs it was recorded on, selecting fonts, pens, brushes and text
    // colours only when they change, and puts each DC's own objects back at the end; returns the
    // microseconds.
    double draw();
    // The selections one draw makes (those that put objects back included).
    int selections() const { return selections_; }

private:
    FullFloor(const FullFloor&) = delete;
    FullFloor& operator=(const FullFloor&) = delete;
    HBRUSH fillBrush(COLORREF color) const;
    const std::vector<DrawingCall>& calls_;
    std::vector<std::pair<COLORREF, HBRUSH>> brushes_;
    int selections_ = 0;
};

// Microseconds of one font selection into dc, switching between the texts' first two fonts.
double fontSelectionCost(HDC dc, const std::vector<DrawnText>& texts);

} // namespace bench
