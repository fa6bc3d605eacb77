#include "agenda_item.h"
#include "../render/fonts.h"

// Lines draw in the plain font unless their class says otherwise; the font cache owns it.
HFONT AgendaItem::GetFont() { return getPlainFont(); }
