#!/usr/bin/env python3
"""Writes src/panels/font_8x16.cpp, the panel font, from an 8 x 16 BDF font.

The panels draw with a fixed-pitch font of 8 x 16 cells. The table holds the
printable ASCII characters (32 to 126) and the centred dot the panels use as a
leader (byte 0xFA), taken from the font's U+00B7. The checked-in table was made
from Terminus Bold 16 (ter-u16b, ISO 8859-1), Copyright (C) 2019 Dimitar
Toshkov Zhekov, licensed under the SIL Open Font License 1.1 (Debian's
xfonts-terminus, converted with pcf2bdf):

  zcat /usr/share/fonts/X11/misc/ter-u16b_iso-8859-1.pcf.gz > ter.pcf
  pcf2bdf -o ter.bdf ter.pcf
  python3 tools/make_font_table.py ter.bdf > src/panels/font_8x16.cpp
"""
import sys


def glyphs(path):
    """Every glyph of the BDF as {code: [16 row bytes]}, each placed in its 8 x 16 cell."""
    out = {}
    ascent = 12
    with open(path, encoding="latin-1") as f:
        lines = [line.rstrip("\n") for line in f]
    for line in lines:
        if line.startswith("FONT_ASCENT"):
            ascent = int(line.split()[1])
    i = 0
    while i < len(lines):
        if not lines[i].startswith("STARTCHAR"):
            i += 1
            continue
        code, bbx, rows = None, None, []
        i += 1
        while not lines[i].startswith("BITMAP"):
            if lines[i].startswith("ENCODING"):
                code = int(lines[i].split()[1])
            elif lines[i].startswith("BBX"):
                bbx = [int(v) for v in lines[i].split()[1:]]
            i += 1
        i += 1
        while not lines[i].startswith("ENDCHAR"):
            rows.append(int(lines[i], 16))
            i += 1
        width, height, xoff, yoff = bbx
        if width > 8:
            raise SystemExit(f"glyph {code} is {width} pixels wide: not an 8-pixel font")
        cell = [0] * 16
        top = ascent - (height + yoff)
        for r, bits in enumerate(rows):
            y = top + r
            if 0 <= y < 16:
                cell[y] = (bits >> xoff) & 0xFF if xoff >= 0 else (bits << -xoff) & 0xFF
        out[code] = cell
        i += 1
    return out


def main():
    table = glyphs(sys.argv[1])
    wanted = [(c, c) for c in range(32, 127)] + [(0xFA, 0xB7)]
    print("// The panel font: 8 x 16 cells, one byte a row (bit 7 the leftmost pixel).")
    print("// Made by tools/make_font_table.py from Terminus Bold 16, Copyright (C) 2019")
    print("// Dimitar Toshkov Zhekov, licensed under the SIL Open Font License 1.1 (see")
    print("// docs/licences/panel-font-OFL.txt). Generated: change the tool, not this file.")
    print('#include "panels/font.h"')
    print()
    print("namespace kalvenor {")
    print()
    print("const FontGlyph kFontGlyphs[kFontGlyphCount] = {")
    for byte, code in wanted:
        rows = table.get(code)
        if rows is None:
            raise SystemExit(f"the font has no glyph for {code}")
        shown = chr(byte) if 32 <= byte < 127 else "centred dot"
        hexrows = ", ".join(f"0x{r:02X}" for r in rows)
        print(f"    {{0x{byte:02X}, {{{hexrows}}}}}, // {shown!r}")
    print("};")
    print()
    print("} // namespace kalvenor")


if __name__ == "__main__":
    main()
