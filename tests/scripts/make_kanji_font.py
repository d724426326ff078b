#!/usr/bin/python3
"""Makes a TrueType font that fontconfig takes for a Japanese face: every
kana and CJK ideograph (and full-width form) drawn as a box, and no Latin
letter at all, as some CJK fallback faces are.

    make_kanji_font.py FILE
"""
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen


def box():
    pen = TTGlyphPen(None)
    pen.moveTo((100, 0))
    pen.lineTo((100, 800))
    pen.lineTo((900, 800))
    pen.lineTo((900, 0))
    pen.closePath()
    return pen.glyph()


def main():
    names = [".notdef", "box"]
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(names)
    ranges = ((0x3000, 0x30FF), (0x4E00, 0x9FFF), (0xFF00, 0xFFEF))
    builder.setupCharacterMap({c: "box" for first, last in ranges for c in range(first, last + 1)})
    builder.setupGlyf({name: box() for name in names})
    builder.setupHorizontalMetrics({name: (1000, 100) for name in names})
    builder.setupHorizontalHeader(ascent=880, descent=-120)
    builder.setupNameTable({"familyName": "Prueba Kanji", "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=880, sTypoDescender=-120, usWinAscent=880, usWinDescent=120)
    builder.setupPost()
    builder.save(sys.argv[1])


if __name__ == "__main__":
    main()
