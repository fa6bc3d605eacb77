#include "line_painters.h"
#include "fonts.h"
#include "paint_selection.h"
#include "render_lock.h"
#include "text_drawing.h"
#include "../agenda/agenda_items.h"
#include "../settings/options.h"

#include <cwchar>
#include <initializer_list>

namespace {

// Time texts are 40 units each; "%s-%s" of two of them.
const int kTimeFieldLength = 40;
const int kTimeTextCapacity = 2 * kTimeFieldLength + 2;
// The gap after the time column of the two-column layouts.
const int kColumnGap = 5;

// One painter call: where the next line goes, and the fonts it selects.
class LineContext {
public:
    LineContext(HDC target, const RECT* area, const AppointmentLine* appointment)
        : dc(target), bounds(*area), rect(*area), flags(lineTextFlags()), line(appointment),
          selection_(target) {
        composeTimeText();
    }

    // Draws text in the current rectangle, in font (the struck font for a struck line). The
    // painter holds the render lock with the fonts made.
    int draw(const WCHAR* text, HFONT font) {
        selection_.font(line->struck ? gFontCache.struckFont : font);
        return drawTextEllipsis(dc, text, -1, &rect, flags);
    }
    // Draws text and moves the rectangle's top below it.
    int drawAndStack(const WCHAR* text, HFONT font) {
        int height = draw(text, font);
        rect.top += height;
        return height;
    }

    HDC dc;
    RECT bounds;
    RECT rect;
    UINT flags;
    const AppointmentLine* line;
    WCHAR timeText[kTimeTextCapacity];

private:
    // "start-end", or the start text alone (the multiday text) when neither date has a time.
    // Neither field is read past its 40 units. Copied by hand: formatting it costs more than
    // drawing it, and it is made on every paint.
    void composeTimeText() {
        if (hasTime(line->shownStart) || hasTime(line->shownEnd)) {
            WCHAR* end = appendField(timeText, line->startText);
            *end++ = L'-';
            *appendField(end, line->endText) = 0;
        } else {
            lstrcpynW(timeText, line->startText, kTimeFieldLength);
        }
    }
    // At most 39 units of field, up to its terminator; returns where the copy ends.
    static WCHAR* appendField(WCHAR* to, const WCHAR* field) {
        for (int i = 0; i < kTimeFieldLength - 1 && field[i]; ++i)
            *to++ = field[i];
        return to;
    }

    LineContext(const LineContext&) = delete;
    LineContext& operator=(const LineContext&) = delete;
    PaintSelection selection_;
};

bool hasText(BSTR text) {
    return SysStringLen(text) != 0;
}
bool hasTerminatedText(const WCHAR* text) {
    return text && text[0] != 0;
}

// The parts joined in the scratch buffer (the painter holds the render lock); null when the
// buffer cannot grow.
const WCHAR* compose(std::initializer_list<const WCHAR*> parts) {
    size_t length = 0;
    for (const WCHAR* part : parts)
        length += wcslen(part);
    WCHAR* buffer = getScratchBuffer(length + 1);
    if (!buffer)
        return nullptr;
    WCHAR* end = buffer;
    for (const WCHAR* part : parts) {
        size_t partLength = wcslen(part);
        wmemcpy(end, part, partLength);
        end += partLength;
    }
    *end = 0;
    return buffer;
}

const WCHAR* composeColon(const WCHAR* first, const WCHAR* second) {
    return compose({first, L": ", second});
}

const WCHAR* composeParenthesis(const WCHAR* first, const WCHAR* second) {
    return compose({first, L" (", second, L")"});
}

HFONT fontA() {
    return gFontCache.appointmentFont;
}
HFONT fontR() {
    return gFontCache.plainFont;
}

// Subject (A); time text with the location in parentheses (R).
int layout0(LineContext& c) {
    int height = c.drawAndStack(c.line->subject, fontA());
    const WCHAR* second = c.timeText;
    if (hasText(c.line->location) && !(second = composeParenthesis(c.timeText, c.line->location)))
        return height;
    return height + c.draw(second, fontR());
}

// "Location: subject" (A); time text (R). The time line is drawn even when the first line
// cannot be composed.
int layout1(LineContext& c) {
    int height = 0;
    const WCHAR* first = c.line->subject;
    if (hasText(c.line->location))
        first = composeColon(c.line->location, c.line->subject);
    if (first)
        height = c.drawAndStack(first, fontA());
    return height + c.draw(c.timeText, fontR());
}

// The second column starts after the time column; in a right-to-left layout the time column is
// on the right and the second column ends before it.
void enterSecondColumn(LineContext& c) {
    int offset = timeColumnWidth(c.dc) + kColumnGap;
    if (c.flags & DT_RIGHT)
        c.rect.right = c.bounds.right - offset;
    else
        c.rect.left = c.bounds.left + offset;
}

void enterFirstColumn(LineContext& c) {
    c.rect.left = c.bounds.left;
    c.rect.right = c.bounds.right;
}

// Start time beside the subject (A); the location (R) beneath the subject.
int layout2(LineContext& c) {
    c.draw(c.line->startText, fontR());
    enterSecondColumn(c);
    int subjectHeight = c.draw(c.line->subject, fontA());
    if (!hasText(c.line->location))
        return subjectHeight;
    c.rect.top = c.bounds.top + subjectHeight;
    return subjectHeight + c.draw(c.line->location, fontR());
}

// Start and end time in the first column, subject (A) and location (R) in the second.
int layout3(LineContext& c) {
    int startHeight = c.draw(c.line->startText, fontR());
    enterSecondColumn(c);
    int subjectHeight = c.draw(c.line->subject, fontA());
    enterFirstColumn(c);
    c.rect.top = c.bounds.top + startHeight;
    int endHeight = 0;
    if (hasTime(c.line->shownStart) || hasTime(c.line->shownEnd))
        endHeight = c.draw(c.line->endText, fontR());
    c.rect.top = c.bounds.top + subjectHeight;
    if (!hasText(c.line->location))
        return subjectHeight + endHeight;
    enterSecondColumn(c);
    return subjectHeight + c.draw(c.line->location, fontR());
}

// Time text (A); subject (R); location (R) when there is one.
int layout4(LineContext& c) {
    int height = c.drawAndStack(c.timeText, fontA());
    height += c.drawAndStack(c.line->subject, fontR());
    if (hasText(c.line->location))
        height += c.draw(c.line->location, fontR());
    return height;
}

// "Location: time text" (A); subject (R).
int layout5(LineContext& c) {
    const WCHAR* first = c.timeText;
    if (hasText(c.line->location) && !(first = composeColon(c.line->location, c.timeText)))
        return 0;
    int height = c.drawAndStack(first, fontA());
    return height + c.draw(c.line->subject, fontR());
}

// "Start: subject" (A), with the location (R) beneath when there is one.
int layout6(LineContext& c) {
    const WCHAR* first = composeColon(c.line->startText, c.line->subject);
    if (!first)
        return 0;
    int height = c.drawAndStack(first, fontA());
    if (hasText(c.line->location))
        height += c.draw(c.line->location, fontR());
    return height;
}

// "Time text: subject" (A), with the location (R) beneath when there is one.
int layout7(LineContext& c) {
    const WCHAR* first = c.timeText;
    if (hasText(c.line->subject) && !(first = composeColon(c.timeText, c.line->subject)))
        return 0;
    int height = c.drawAndStack(first, fontA());
    if (hasText(c.line->location))
        height += c.draw(c.line->location, fontR());
    return height;
}

// "Start: subject" (A) alone.
int layout8(LineContext& c) {
    const WCHAR* first = composeColon(c.line->startText, c.line->subject);
    return first ? c.draw(first, fontA()) : 0;
}

// "Time text: subject" (A) alone.
int layout9(LineContext& c) {
    const WCHAR* first = composeColon(c.timeText, c.line->subject);
    return first ? c.draw(first, fontA()) : 0;
}

// Time text (A); "subject (location)" (R), always a composed copy.
int layout10(LineContext& c) {
    int height = c.drawAndStack(c.timeText, fontA());
    const WCHAR* second = hasTerminatedText(c.line->location)
                              ? composeParenthesis(c.line->subject, c.line->location)
                              : compose({c.line->subject});
    return second ? height + c.draw(second, fontR()) : height;
}

// Time text (A); "location: subject" (R), always a composed copy.
int layout11(LineContext& c) {
    int height = c.drawAndStack(c.timeText, fontA());
    const WCHAR* second = hasTerminatedText(c.line->location)
                              ? composeColon(c.line->location, c.line->subject)
                              : compose({c.line->subject});
    return second ? height + c.draw(second, fontR()) : height;
}

// Time text (A); subject (R).
int layout12(LineContext& c) {
    int height = c.drawAndStack(c.timeText, fontA());
    return height + c.draw(c.line->subject, fontR());
}

// Time text (A); the location (R) whenever there is one, even an empty one.
int layout13(LineContext& c) {
    int height = c.drawAndStack(c.timeText, fontA());
    if (c.line->location)
        height += c.draw(c.line->location, fontR());
    return height;
}

typedef int (*Layout)(LineContext& c);

// What every layout shares: fonts, the null checks, and the all-day line.
int paintLine(HDC dc, const RECT* bounds, const AppointmentLine* line, Layout layout,
              bool readsLocation) {
    ScopedRenderLock lock;
    if (!ensureFonts())
        return 0;
    hasTime(line->shownStart);
    hasTime(line->shownEnd);
    if (!line->subject || (readsLocation && !line->location))
        return 0;
    LineContext context(dc, bounds, line);
    if (line->allDay)
        return context.draw(line->subject, fontA());
    return layout(context);
}

template <Layout layout, bool readsLocation>
int linePainter(HDC dc, const RECT* bounds, const AppointmentLine* line) {
    return paintLine(dc, bounds, line, layout, readsLocation);
}

const LinePainter kPainterTable[] = {
    linePainter<layout0, true>,   linePainter<layout1, true>,   linePainter<layout2, true>,
    linePainter<layout3, true>,   linePainter<layout4, true>,   linePainter<layout5, true>,
    linePainter<layout6, true>,   linePainter<layout7, true>,   linePainter<layout8, false>,
    linePainter<layout9, false>,  linePainter<layout10, true>,  linePainter<layout11, true>,
    linePainter<layout12, false>, linePainter<layout13, false>,
};

static_assert(sizeof kPainterTable / sizeof kPainterTable[0] == kPainterCount,
              "one painter for every index the options accept");

} // namespace

const LinePainter* getPainterTable() {
    return kPainterTable;
}

int getPainterCount() {
    return static_cast<int>(sizeof kPainterTable / sizeof kPainterTable[0]);
}
