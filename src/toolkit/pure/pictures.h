// The toolkit's shared pictures, drawn at start-up: names, sizes and pixels. No <windows.h>.
//
// Every picture's top-left pixel holds its transparent colour. Button pictures are strips of
// three 24 × 24 cells: normal, disabled, and hot (the pressed look of the large button).
#pragma once

#include <string>
#include <vector>

#include "toolkit/pure/raster.h"

namespace kolvar::toolkit {

struct PictureLayout {
  const char* name;
  int width;
  int height;
  int cells;
};

// All 104 pictures of the holder, in a fixed order.
const std::vector<PictureLayout>& HolderPictures();
// The layout of picture `name` (exact name), or null.
const PictureLayout* FindPicture(const std::string& name);
// The size picture `layout` has at `ppi` dots per inch (its own at 96): each cell scaled, so a
// strip keeps whole cells of equal width.
void ScaledPictureSize(const PictureLayout& layout, int ppi, int& width, int& height);
// Draws picture `name` for a screen of `ppi` dots per inch (its own size at 96, larger and as
// sharp above); an unknown name gives an empty raster.
Raster DrawPicture(const std::string& name, int ppi = 96);

// `pixels` (width × height, row by row, a strip of `cells` equal cells) resized pixel by pixel
// so that each cell becomes cellWidth × cellHeight; the top-left pixel stays the top-left one.
std::vector<TColor> ResizeCells(const std::vector<TColor>& pixels,
                                int width,
                                int height,
                                int cells,
                                int cellWidth,
                                int cellHeight);

// The transparent colour of the generated pictures.
constexpr TColor kPictureKey = 0xFF00FF;
// Cell transforms used for the strips: the disabled look and the hot look of a colour.
TColor DisabledLook(TColor c);
TColor HotLook(TColor c);

}  // namespace kolvar::toolkit
