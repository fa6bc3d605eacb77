#!/usr/bin/python3
"""Writes a copy of Wine's Tahoma Bold whose outlines are bold.

Wine's Tahoma Bold is bold only in its bitmaps, which cover sizes up to 16 pixels; its outlines
are the regular face's. Above those sizes (a VGA screen's text) bold text therefore draws like
regular text, only spaced wider. This copy takes DejaVu Sans Bold's outline of each character
both fonts have, narrowed to the advance width Tahoma Bold gives that character, so that every
text measures exactly as before. Bitmaps, metrics, kerning and every other table stay Tahoma
Bold's.

Usage: bold_tahoma.py <tahomabd.ttf> <dejavu-bold.ttf> <out.ttf>
"""
import sys

from fontTools.pens.recordingPen import DecomposingRecordingPen
from fontTools.pens.transformPen import TransformPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont


def donor_outline(donor, name, scale):
    glyph_set = donor.getGlyphSet()
    recording = DecomposingRecordingPen(glyph_set)
    glyph_set[name].draw(recording)
    pen = TTGlyphPen(None)
    recording.replay(TransformPen(pen, (scale, 0, 0, 1, 0, 0)))
    return pen.glyph()


def embolden(base, donor):
    """Replaces the outline of every character both fonts have; returns how many."""
    glyf, hmtx = base["glyf"], base["hmtx"]
    donor_cmap = donor.getBestCmap()
    done = set()
    for code, name in sorted(base.getBestCmap().items()):
        donor_name = donor_cmap.get(code)
        if name in done or donor_name is None:
            continue
        advance = hmtx[name][0]
        donor_advance = donor["hmtx"][donor_name][0]
        if advance == 0 or donor_advance == 0 or glyf[name].numberOfContours == 0:
            continue
        glyph = donor_outline(donor, donor_name, advance / donor_advance)
        glyph.recalcBounds(glyf)
        if glyph.numberOfContours == 0:
            continue
        glyf[name] = glyph
        hmtx[name] = (advance, glyph.xMin)
        done.add(name)
    return len(done)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    base = TTFont(sys.argv[1], recalcTimestamp=False)
    donor = TTFont(sys.argv[2])
    if embolden(base, donor) == 0:
        sys.exit("no outlines taken from " + sys.argv[2])
    base.save(sys.argv[3])


if __name__ == "__main__":
    main()
