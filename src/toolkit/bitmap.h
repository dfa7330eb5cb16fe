// Pictures: a bitmap with its size and its transparent (key) colour, and the drawing of one cell
// of a picture strip with that colour left out.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/unique_handle.h"
#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

class TBitmap {
 public:
  TBitmap() = default;
  // A picture from `pixels` (row by row from the top, each 0x00BBGGRR). The key colour is the
  // top-left pixel's.
  TBitmap(int width, int height, const std::vector<TColor>& pixels);
  // Takes `bitmap` (a device-independent or compatible bitmap).
  explicit TBitmap(HBITMAP bitmap);

  HBITMAP Handle() const { return handle_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // The colour of the top-left pixel, drawn transparent.
  TColor TransparentColor() const { return key_; }
  // The pixels (row by row from the top), as given or read back.
  const std::vector<TColor>& Pixels() const { return pixels_; }
  // A copy whose pixels equal to the key colour are `fill` (the key becomes `fill`).
  std::shared_ptr<TBitmap> WithBackground(TColor fill) const;
  // A number no other picture of the process has (pictures never change once made).
  uint64_t Serial() const { return serial_; }

 private:
  static uint64_t NextSerial();
  uint64_t serial_ = NextSerial();
  ScopedBitmap handle_;
  int width_ = 0;
  int height_ = 0;
  TColor key_ = 0;
  std::vector<TColor> pixels_;
};

using TPicture = std::shared_ptr<const TBitmap>;

// Draws the part `source` of `bitmap` into `dest` (stretched when the sizes differ). With
// `transparent`, pixels of the key colour are left out; otherwise they are painted in it.
void DrawBitmap(HDC dc,
                const TBitmap& bitmap,
                const RECT& dest,
                const RECT& source,
                bool transparent);
// Draws cell `cell` of a strip of `cells` equal cells with its top-left corner at (x, y).
void DrawCell(HDC dc, const TBitmap& bitmap, int cells, int cell, int x, int y, bool transparent);

}  // namespace kolvar::toolkit
