// What a picture file says about itself, read from its first bytes, and whether that claim is
// believable before any decoder is given the data.
#pragma once

#include <cstddef>
#include <string>

namespace kolvar::htmlview {

enum class ImageFormat { kUnknown, kBmp, kGif, kJpeg, kPng };

struct ImageInfo {
  ImageFormat format = ImageFormat::kUnknown;
  int width = 0;
  int height = 0;
};

// Largest picture the view decodes (pixels).
inline constexpr long long kMaxImagePixels = 16LL * 1024 * 1024;

// The format and size `data` declares. Unknown format or unreadable header: format kUnknown.
ImageInfo ReadImageInfo(const std::string& data);

// Whether a picture of `info` may be decoded from `dataSize` bytes: a known format, a size of at
// least 1 × 1 within kMaxImagePixels, and enough data for that size (an uncompressed bitmap
// must hold all its rows; a compressed one cannot unpack to more than its format allows).
bool PlausibleImage(const ImageInfo& info, size_t dataSize, const std::string& data);

}  // namespace kolvar::htmlview
