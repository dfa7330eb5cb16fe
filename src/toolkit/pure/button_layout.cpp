#include "toolkit/pure/button_layout.h"

#include <algorithm>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

GlyphAndCaption LayoutGlyphAndCaption(int w,
                                      int h,
                                      int gw,
                                      int gh,
                                      int tw,
                                      int th,
                                      TButtonLayout layout,
                                      int margin,
                                      int spacing) {
  bool horizontal = layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  int available = horizontal ? w : h;
  int glyphSize = horizontal ? gw : gh;
  int textSize = horizontal ? tw : th;
  if (gw == 0 || gh == 0 || tw == 0 || th == 0)
    spacing = 0;
  if (margin == -1 && spacing == -1) {
    margin = spacing = (available - glyphSize - textSize) / 3;
  } else if (margin == -1) {
    margin = (available - glyphSize - spacing - textSize) / 2;
  } else if (spacing == -1) {
    spacing = (available - margin - glyphSize - textSize) / 2;
  }
  GlyphAndCaption r;
  r.glyph = Box{(w - gw) / 2, (h - gh) / 2, gw, gh};
  r.caption = Box{(w - tw) / 2, (h - th) / 2, tw, th};
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      r.glyph.x = margin;
      r.caption.x = margin + gw + spacing;
      break;
    case TButtonLayout::blGlyphRight:
      r.glyph.x = w - margin - gw;
      r.caption.x = r.glyph.x - spacing - tw;
      break;
    case TButtonLayout::blGlyphTop:
      r.glyph.y = margin;
      r.caption.y = margin + gh + spacing;
      break;
    case TButtonLayout::blGlyphBottom:
      r.glyph.y = h - margin - gh;
      r.caption.y = r.glyph.y - spacing - th;
      break;
  }
  return r;
}

int NiceGlyphLeft(int buttonWidth, int cellWidth, bool captionVisible, int ppi) {
  return captionVisible ? ScaleValue(34, ppi, 96) - cellWidth : (buttonWidth - cellWidth) / 2;
}

int NicePlateLeft(bool hasPicture, bool insideDraw, int ppi) {
  return hasPicture && !insideDraw ? ScaleValue(35, ppi, 96) : 0;
}

int NiceGlyphCell(int cells, bool enabled, bool hot) {
  if (!enabled && cells > 1)
    return 1;
  if (hot && cells > 2)
    return cells - 1;
  return 0;
}

int LargeGlyphCell(int cells, bool enabled, bool pressed) {
  int cell = !enabled ? 1 : pressed ? 2 : 0;
  return std::min(cell, std::max(0, cells - 1));
}

}  // namespace kolvar::toolkit
