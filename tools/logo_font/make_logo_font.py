#!/usr/bin/python3
"""Regenerates the typeface of the background window's logo label.

Takes Lato Black (Debian package fonts-lato, SIL Open Font License 1.1), keeps only the glyphs
the logo shows, and renames the family to the name the window asks for. Needs python3-fonttools.

    tools/logo_font/make_logo_font.py [source.ttf] [output.ttf]
"""
import pathlib
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

ROOT = pathlib.Path(__file__).resolve().parents[2]
SOURCE = "/usr/share/fonts/truetype/lato/Lato-Black.ttf"
OUTPUT = ROOT / "src/bootstrap/resources/logo_font.ttf"
TEXT = "ProKOLVAR "
FAMILY = "Helvetica Black_r"
POSTSCRIPT = "HelveticaBlack_r"


def main(argv):
    source = argv[1] if len(argv) > 1 else SOURCE
    output = pathlib.Path(argv[2]) if len(argv) > 2 else OUTPUT
    font = TTFont(source)
    options = subset.Options()
    options.layout_features = ["kern"]
    options.name_IDs = [0, 7, 8, 9, 11, 12, 13, 14]
    options.notdef_outline = True
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=TEXT)
    subsetter.subset(font)

    # A modified version of a font under the Open Font License carries a name of its own.
    names = font["name"]
    for name_id, value in [
        (1, FAMILY),
        (2, "Regular"),
        (3, FAMILY + " logo subset"),
        (4, FAMILY),
        (5, "Version 1.0"),
        (6, POSTSCRIPT),
    ]:
        names.setName(value, name_id, 3, 1, 0x409)
        names.setName(value, name_id, 1, 0, 0)
    font["OS/2"].fsSelection = (font["OS/2"].fsSelection & ~0b1100001) | 0b1000000
    font["head"].macStyle = 0
    output.parent.mkdir(parents=True, exist_ok=True)
    font.save(str(output))
    print(f"{output}: {output.stat().st_size} bytes")


if __name__ == "__main__":
    main(sys.argv)
