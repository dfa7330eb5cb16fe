// Pictures of the documents: BMP, GIF (first frame), JPEG and PNG, decoded by the system's
// GDI+ library (present on every Windows the installer runs on), loaded at run time so that
// the program itself imports only the base system libraries.
#pragma once

#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace kolvar::htmlview {

// A decoded picture: a 32-bit top-down bitmap with premultiplied alpha, ready for AlphaBlend.
struct DecodedPicture {
  ScopedBitmap bitmap;
  int width = 0;
  int height = 0;
  bool valid() const { return bitmap.valid(); }
};

// Decodes `bytes` (a whole picture file). The header's size is checked against the data before
// the decoder sees it. An invalid result when the picture cannot be read, is implausibly large
// or the decoder is missing.
DecodedPicture DecodePicture(const std::string& bytes);

// Whether the system's decoder could be loaded (false also after it failed to start).
bool PictureDecoderAvailable();

// Draws `picture` into `dest` (scaled to it), blending its transparent parts.
void DrawPicture(HDC dc, const DecodedPicture& picture, const RECT& dest);

}  // namespace kolvar::htmlview
