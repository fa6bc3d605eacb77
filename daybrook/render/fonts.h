// The four Tahoma fonts every text is drawn with, made from the Options font settings and remade
// when those settings change.
#pragma once
#include <windows.h>

struct FontCache {
    BOOL cachedAppointmentBold;
    float cachedAppointmentSize;
    BOOL cachedDateBold;
    float cachedDateSize;
    HFONT plainFont;           // further appointment lines, the time column, messages
    HFONT appointmentFont;     // first line of an appointment; bold when the options say so
    HFONT struckFont;          // every line of a struck appointment
    HFONT dateFont;            // day headings
    int cachedTimeColumnWidth; // 0 = not measured; follows plainFont
    int cachedPlainHeight;     // tmHeight of plainFont; 0 = not measured
    int cachedDateHeight;      // tmHeight of dateFont; 0 = not measured
};

extern FontCache gFontCache;

// Brings the cache in line with the Options and makes missing fonts; false when one could not be
// made (those made so far stay).
bool ensureFonts();
// Each ensures the fonts first. The cache keeps the handle: select it, restore, never delete.
HFONT getAppointmentFont();
HFONT getPlainFont();
HFONT getStruckFont();
HFONT getDateFont();

// The text height (tmHeight) of the plain and the date font, measured on dc at the first use and
// kept with the fonts: every appointment and heading asks for it, and selecting a font to ask
// costs more than the question.
int getPlainHeight(HDC dc);
int getDateHeight(HDC dc);

// A size in points as the LOGFONT height (negative: character height) at the screen's dpi.
LONG pointsToHeight(float size);

// Deletes the four fonts (part of releaseDrawingCaches); the next use makes them again.
void releaseFonts();
