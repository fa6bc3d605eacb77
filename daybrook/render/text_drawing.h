// The text operations every appointment line shares.
#pragma once
#include <windows.h>

struct AppointmentLine;

// Draws text; a single line that is too wide (DT_SINGLELINE with DT_END_ELLIPSIS) is drawn
// shortened to its first characters and "...". The shortening works on a copy: the caller's text
// stays whole, so a wider rectangle later shows all of it. The rectangle changes only with
// DT_CALCRECT. Returns DrawText's result for the final drawing.
int drawTextEllipsis(HDC dc, const WCHAR* text, int count, RECT* rect, UINT flags);

// DT_RIGHT | DT_RTLREADING for right-to-left languages, else 0: the text ends at the right
// margin and reads from the right, so that an ellipsis, times and brackets fall where a
// right-to-left reader expects them.
UINT readingOrderFlags();
// DT_END_ELLIPSIS | DT_NOPREFIX, then DT_WORDBREAK with WordWrap or DT_SINGLELINE without, and
// the reading order flags.
UINT lineTextFlags();

// False exactly for 0.0, the builder's "no time on this day"; that first call also loads the
// multiday text.
bool hasTime(double date);
// The short time of date without spaces ("1:30PM"), or the multiday text for 0.0.
void formatTime(double date, WCHAR* buffer, int capacity);
void removeSpaces(WCHAR* text);
// The width of the first column of the two-column layouts, measured once per appointment font.
int timeColumnWidth(HDC dc);

// The process-wide buffer for composed lines, grown (never shrunk) to at least units; null when
// it cannot be grown. Use it under the render lock (render_lock.h).
WCHAR* getScratchBuffer(size_t units);
void releaseScratchBuffer();
// The multiday text ("multiday"), loaded by hasTime(0.0).
const WCHAR* getMultidayText();
