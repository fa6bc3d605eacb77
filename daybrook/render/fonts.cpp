#include "fonts.h"
#include "gdi_scope.h"
#include "render_lock.h"
#include "../settings/options.h"

FontCache gFontCache = {};

namespace {

const WCHAR kFaceName[] = L"Tahoma";

void discardAppointmentFonts() {
    deleteCachedObject(&gFontCache.plainFont);
    deleteCachedObject(&gFontCache.appointmentFont);
    deleteCachedObject(&gFontCache.struckFont);
    gFontCache.cachedPlainHeight = 0;
}

void discardDateFont() {
    deleteCachedObject(&gFontCache.dateFont);
    gFontCache.cachedDateHeight = 0;
}

// The height of font measured on dc; a font that could not be made is not measured, and the
// DC's own font answers (as it would have been drawn).
int heightOf(HDC dc, HFONT font, int* cached) {
    if (font && *cached)
        return *cached;
    TEXTMETRICW metrics = {};
    {
        ScopedSelectObject selected(dc, font);
        GetTextMetricsW(dc, &metrics);
    }
    if (font)
        *cached = metrics.tmHeight;
    return metrics.tmHeight;
}

// Forgets the fonts whose options no longer match what they were made from.
void discardChangedFonts(const Options& options) {
    if (options.AppointmentFontSize != gFontCache.cachedAppointmentSize ||
        options.AppointmentFontBold != gFontCache.cachedAppointmentBold) {
        discardAppointmentFonts();
        gFontCache.cachedAppointmentSize = options.AppointmentFontSize;
        gFontCache.cachedTimeColumnWidth = 0;
        gFontCache.cachedAppointmentBold = options.AppointmentFontBold;
    }
    if (options.DateFontSize != gFontCache.cachedDateSize ||
        options.DateFontBold != gFontCache.cachedDateBold) {
        discardDateFont();
        gFontCache.cachedDateSize = options.DateFontSize;
        gFontCache.cachedDateBold = options.DateFontBold;
    }
}

HFONT makePlainFont() {
    LOGFONTW description = {};
    description.lfHeight = pointsToHeight(gFontCache.cachedAppointmentSize);
    description.lfCharSet = ANSI_CHARSET;
    description.lfWeight = FW_NORMAL;
    lstrcpyW(description.lfFaceName, kFaceName);
    return CreateFontIndirectW(&description);
}

// The other fonts share the plain font's face, character set, width, quality and pitch.
bool readPlainDescription(LOGFONTW* description) {
    *description = LOGFONTW();
    return GetObjectW(gFontCache.plainFont, sizeof *description, description) != 0;
}

HFONT makeAppointmentFont() {
    LOGFONTW description;
    if (!readPlainDescription(&description))
        return nullptr;
    if (gFontCache.cachedAppointmentBold)
        description.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&description);
}

HFONT makeStruckFont() {
    LOGFONTW description;
    if (!readPlainDescription(&description))
        return nullptr;
    description.lfStrikeOut = TRUE;
    return CreateFontIndirectW(&description);
}

HFONT makeDateFont() {
    LOGFONTW description;
    if (!readPlainDescription(&description))
        return nullptr;
    description.lfHeight = pointsToHeight(gFontCache.cachedDateSize);
    if (gFontCache.cachedDateBold)
        description.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&description);
}

bool ensureFont(HFONT* slot, HFONT (*make)()) {
    if (!*slot)
        *slot = make();
    return *slot != nullptr;
}

} // namespace

bool ensureFonts() {
    ScopedRenderLock lock;
    discardChangedFonts(*GetOptions());
    return ensureFont(&gFontCache.plainFont, makePlainFont) &&
           ensureFont(&gFontCache.appointmentFont, makeAppointmentFont) &&
           ensureFont(&gFontCache.struckFont, makeStruckFont) &&
           ensureFont(&gFontCache.dateFont, makeDateFont);
}

HFONT getAppointmentFont() {
    ensureFonts();
    return gFontCache.appointmentFont;
}

HFONT getPlainFont() {
    ensureFonts();
    return gFontCache.plainFont;
}

HFONT getStruckFont() {
    ensureFonts();
    return gFontCache.struckFont;
}

HFONT getDateFont() {
    ensureFonts();
    return gFontCache.dateFont;
}

int getPlainHeight(HDC dc) {
    ScopedRenderLock lock;
    ensureFonts();
    return heightOf(dc, gFontCache.plainFont, &gFontCache.cachedPlainHeight);
}

int getDateHeight(HDC dc) {
    ScopedRenderLock lock;
    ensureFonts();
    return heightOf(dc, gFontCache.dateFont, &gFontCache.cachedDateHeight);
}

LONG pointsToHeight(float size) {
    int dotsPerInch;
    {
        ScopedScreenDc screen;
        dotsPerInch = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    float product = static_cast<float>(dotsPerInch) * size;
    // Widened before the multiplication, as the device's arithmetic does.
    const double kMinusOneSeventySecond = -1.0 / 72.0;
    return static_cast<LONG>(static_cast<double>(product) * kMinusOneSeventySecond);
}

void releaseFonts() {
    ScopedRenderLock lock;
    discardAppointmentFonts();
    discardDateFont();
}
