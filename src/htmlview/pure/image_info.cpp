#include "htmlview/pure/image_info.h"

#include <cstdint>

namespace kolvar::htmlview {

namespace {

uint32_t Le16(const std::string& d, size_t at) {
  return static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8;
}
uint32_t Le32(const std::string& d, size_t at) {
  return Le16(d, at) | Le16(d, at + 2) << 16;
}
uint32_t Be16(const std::string& d, size_t at) {
  return static_cast<uint8_t>(d[at]) << 8 | static_cast<uint8_t>(d[at + 1]);
}
uint32_t Be32(const std::string& d, size_t at) {
  return Be16(d, at) << 16 | Be16(d, at + 2);
}

ImageInfo JpegInfo(const std::string& d) {
  ImageInfo info;
  size_t i = 2;
  while (i + 4 <= d.size()) {
    if (static_cast<uint8_t>(d[i]) != 0xFF) {
      ++i;
      continue;
    }
    uint8_t marker = static_cast<uint8_t>(d[i + 1]);
    if (marker == 0xFF) {
      ++i;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      i += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA)
      break;
    uint32_t len = Be16(d, i + 2);
    bool sof =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (sof && i + 9 <= d.size()) {
      info.format = ImageFormat::kJpeg;
      info.height = static_cast<int>(Be16(d, i + 5));
      info.width = static_cast<int>(Be16(d, i + 7));
      return info;
    }
    if (len < 2)
      break;
    i += 2 + len;
  }
  return info;
}

}  // namespace

ImageInfo ReadImageInfo(const std::string& d) {
  ImageInfo info;
  if (d.size() >= 26 && d.compare(0, 2, "BM") == 0) {
    uint32_t headerSize = Le32(d, 14);
    if (headerSize == 12) {
      info.width = static_cast<int>(Le16(d, 18));
      info.height = static_cast<int>(Le16(d, 20));
    } else if (headerSize >= 40) {
      info.width = static_cast<int32_t>(Le32(d, 18));
      int32_t h = static_cast<int32_t>(Le32(d, 22));
      info.height = h == INT32_MIN ? 0 : (h < 0 ? -h : h);
    } else {
      return info;
    }
    info.format = ImageFormat::kBmp;
  } else if (d.size() >= 10 && (d.compare(0, 6, "GIF87a") == 0 || d.compare(0, 6, "GIF89a") == 0)) {
    info.format = ImageFormat::kGif;
    info.width = static_cast<int>(Le16(d, 6));
    info.height = static_cast<int>(Le16(d, 8));
  } else if (d.size() >= 24 && d.compare(0, 8, "\x89PNG\r\n\x1A\n") == 0 &&
             d.compare(12, 4, "IHDR") == 0) {
    info.format = ImageFormat::kPng;
    uint32_t w = Be32(d, 16), h = Be32(d, 20);
    info.width = w > 0x7FFFFFFF ? 0 : static_cast<int>(w);
    info.height = h > 0x7FFFFFFF ? 0 : static_cast<int>(h);
  } else if (d.size() >= 4 && static_cast<uint8_t>(d[0]) == 0xFF &&
             static_cast<uint8_t>(d[1]) == 0xD8) {
    return JpegInfo(d);
  }
  return info;
}

bool PlausibleImage(const ImageInfo& info, size_t dataSize, const std::string& data) {
  if (info.format == ImageFormat::kUnknown || info.width <= 0 || info.height <= 0)
    return false;
  long long pixels = static_cast<long long>(info.width) * info.height;
  if (pixels > kMaxImagePixels)
    return false;
  long long bytes = static_cast<long long>(dataSize);
  switch (info.format) {
    case ImageFormat::kBmp: {
      if (data.size() < 34)
        return false;
      uint32_t headerSize = Le32(data, 14);
      uint32_t bits = headerSize == 12 ? Le16(data, 24) : Le16(data, 28);
      uint32_t compression = headerSize == 12 ? 0 : Le32(data, 30);
      if (bits == 0 || bits > 32)
        return false;
      long long offset = Le32(data, 10);
      if (offset > bytes)
        return false;
      if (compression == 0 || compression == 3) {
        long long rowBytes = (static_cast<long long>(info.width) * bits + 31) / 32 * 4;
        return rowBytes * info.height <= bytes - offset;
      }
      // Run-length rows: at most 256 pixels per two bytes.
      return pixels <= bytes * 128;
    }
    case ImageFormat::kPng:
      // Deflate unpacks to at most about a thousand times its size; a pixel takes a byte or more
      // only at 8 bits, so count a bit per pixel for the smallest formats.
      return pixels / 8 <= bytes * 1032;
    case ImageFormat::kGif:
      // A 12-bit code stands for at most 4096 pixels.
      return pixels <= bytes * 2730 && pixels <= bytes * 4096;
    case ImageFormat::kJpeg:
      // Every 8 × 8 block costs at least a couple of bits even when flat.
      return pixels <= bytes * 256;
    default:
      return false;
  }
}

}  // namespace kolvar::htmlview
