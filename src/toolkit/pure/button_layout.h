// Where a button's glyph and caption go. No <windows.h> here.
#pragma once

#include "toolkit/pure/layout.h"

namespace kolvar::toolkit {

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct GlyphAndCaption {
  Box glyph;
  Box caption;
};

// Places a glyph cell gw × gh and a caption block tw × th in a client area w × h. Left and right
// layouts centre both vertically, top and bottom layouts horizontally. A `margin` or `spacing`
// of -1 is computed: both -1 share the free space in three; margin alone -1 centres the pair;
// spacing alone -1 splits what is left after the margin and the glyph. When the glyph or the
// caption is empty the spacing counts as 0.
GlyphAndCaption LayoutGlyphAndCaption(int w,
                                      int h,
                                      int gw,
                                      int gh,
                                      int tw,
                                      int th,
                                      TButtonLayout layout,
                                      int margin,
                                      int spacing);

// Left of the compact button's picture cell `cellWidth` wide: right-aligned to x = 34 when the
// caption shows, else centred in `buttonWidth`. Lengths at `ppi` dots per inch (34 is at 96).
int NiceGlyphLeft(int buttonWidth, int cellWidth, bool captionVisible, int ppi = 96);
// Left of the compact button's caption plate: 35 with a picture, 0 without or when drawn inside
// (35 at 96 dots per inch, in proportion at `ppi`).
int NicePlateLeft(bool hasPicture, bool insideDraw, int ppi = 96);
// The cell a compact button shows: 1 disabled, the last (of more than two) when hot, else 0.
int NiceGlyphCell(int cells, bool enabled, bool hot);
// The cell a large button shows: 1 disabled, 2 pressed, else 0 (kept within the strip).
int LargeGlyphCell(int cells, bool enabled, bool pressed);

}  // namespace kolvar::toolkit
