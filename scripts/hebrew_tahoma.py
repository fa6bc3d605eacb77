#!/usr/bin/python3
"""Writes a copy of Wine's Tahoma with the Hebrew letters of DejaVu Sans added.

Tahoma as Wine ships it has no Hebrew. Linking another font to it does not help: Wine shapes
right-to-left text with the selected font's own glyphs only, so missing letters stay boxes.
Every glyph and metric Tahoma has stays as it is; the Hebrew letters are appended, narrowed to
Tahoma's proportions, and mapped in the Unicode character maps.

The font is also drawn smoothed at every size. Tahoma's 'gasp' table asks for black-and-white
drawing up to 16 pixels, and there Wine places letters up to a pixel off the widths it measures
for them, more with every letter: a right-aligned line then reaches past its right margin and
loses its first letter to the clip. Smoothed, each letter is drawn where it was measured.

Usage: hebrew_tahoma.py <tahoma.ttf> <dejavu.ttf> <out.ttf>
"""
import sys
import unicodedata

from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont

HEBREW = range(0x0590, 0x0600)
OS2_HEBREW_RANGE_BIT = 11
# GASP_GRIDFIT | GASP_DOGRAY | GASP_SYMMETRIC_GRIDFIT | GASP_SYMMETRIC_SMOOTHING
SMOOTHED_AT_EVERY_SIZE = {0xFFFF: 0x000F}


def width_ratio(base, donor):
    """How much narrower the base font's letters are, measured on 'x'."""
    base_x = base.getBestCmap()[ord("x")]
    donor_x = donor.getBestCmap()[ord("x")]
    return base["hmtx"][base_x][0] / donor["hmtx"][donor_x][0]


def wanted(code, name, donor):
    # Combining points need mark positioning Tahoma's tables lack; ligatures are composites.
    return (code in HEBREW and unicodedata.category(chr(code)) != "Mn"
            and not donor["glyf"][name].isComposite())


def copy_glyph(donor, name, scale):
    pen = TTGlyphPen(None)
    donor.getGlyphSet()[name].draw(TransformPen(pen, (scale, 0, 0, 1, 0, 0)))
    return pen.glyph()


def add_hebrew(base, donor):
    scale = width_ratio(base, donor)
    base_cmap = base.getBestCmap()
    order = list(base.getGlyphOrder())
    glyf, hmtx = base["glyf"], base["hmtx"]
    added = {}
    for code, name in sorted(donor.getBestCmap().items()):
        if code in base_cmap or not wanted(code, name, donor):
            continue
        new_name = "hebrew_" + name
        glyph = copy_glyph(donor, name, scale)
        glyph.recalcBounds(glyf)
        # Appended, so that every glyph index the bitmap and layout tables use stays valid.
        order.append(new_name)
        glyf.glyphs[new_name] = glyph
        hmtx.metrics[new_name] = (round(donor["hmtx"][name][0] * scale),
                                  getattr(glyph, "xMin", 0))
        added[code] = new_name
    base.setGlyphOrder(order)
    glyf.glyphOrder = order
    for table in base["cmap"].tables:
        if table.isUnicode():
            table.cmap.update(added)
    base["OS/2"].ulUnicodeRange1 |= 1 << OS2_HEBREW_RANGE_BIT
    base["gasp"].gaspRange = dict(SMOOTHED_AT_EVERY_SIZE)
    return len(added)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    base = TTFont(sys.argv[1], recalcTimestamp=False)
    donor = TTFont(sys.argv[2])
    if add_hebrew(base, donor) == 0:
        sys.exit("no Hebrew letters found in " + sys.argv[2])
    base.save(sys.argv[3])


if __name__ == "__main__":
    main()
