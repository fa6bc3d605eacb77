// The fourteen appointment line layouts. The Options field Painter indexes the table, so the
// order is part of the stored settings.
#pragma once
#include <windows.h>

struct AppointmentLine;

// Draws one appointment into bounds and returns the height used. Neither bounds nor the line's
// texts change; the DC's selected font does only within a list paint (paint_selection.h).
typedef int (*LinePainter)(HDC dc, const RECT* bounds, const AppointmentLine* line);

const LinePainter* getPainterTable();
int getPainterCount();
