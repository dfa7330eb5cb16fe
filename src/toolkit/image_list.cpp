// The image list, in a file of its own: the program draws its pictures without one, and an
// object linked for one function keeps all of its functions.
#include <algorithm>

#include "platform/error.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/layout.h"

namespace kolvar::toolkit {

TMImageList::TMImageList(int width, int height) : width_(width), height_(height) {
  if (width < 1 || height < 1)
    throw Error(L"Invalid image size");
}

int TMImageList::StripCapacity() const {
  return (Count() + 4) / 4 * 4;
}

TMImageList::Cell TMImageList::MakeCell(const TBitmap& image,
                                        const TBitmap* mask,
                                        bool useColor,
                                        TColor color) const {
  if (image.Width() != width_ || image.Height() != height_ ||
      (mask && (mask->Width() != width_ || mask->Height() != height_))) {
    throw Error(L"Image dimensions do not match image list dimensions");
  }
  Cell cell;
  cell.image = image.Pixels();
  cell.image.resize(static_cast<size_t>(width_) * height_, 0);
  if (useColor) {
    cell.mask.resize(cell.image.size());
    for (size_t i = 0; i < cell.image.size(); ++i) {
      cell.mask[i] = (cell.image[i] & 0xFFFFFF) == (color & 0xFFFFFF);
      if (cell.mask[i])
        cell.image[i] = 0;  // blacked out, so that XOR leaves the background
    }
  } else if (mask) {
    cell.mask.resize(cell.image.size());
    for (size_t i = 0; i < cell.image.size() && i < mask->Pixels().size(); ++i) {
      cell.mask[i] = (mask->Pixels()[i] & 0xFFFFFF) != 0;
    }
  }
  return cell;
}

int TMImageList::Add(const TBitmap& image, const TBitmap* mask) {
  Cell cell = MakeCell(image, mask, false, 0);
  if (Count() % 4 == 0 && static_cast<long long>(Count() + 4) * width_ > 32768) {
    throw Error(L"Too many images");
  }
  cells_.push_back(std::move(cell));
  return Count() - 1;
}

int TMImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  Cell cell = MakeCell(image, nullptr, true, maskColor);
  if (Count() % 4 == 0 && static_cast<long long>(Count() + 4) * width_ > 32768) {
    throw Error(L"Too many images");
  }
  cells_.push_back(std::move(cell));
  return Count() - 1;
}

void TMImageList::Replace(int index, const TBitmap& image, const TBitmap* mask) {
  cells_.at(static_cast<size_t>(index)) = MakeCell(image, mask, false, 0);
}

void TMImageList::ReplaceMasked(int index, const TBitmap& image, TColor maskColor) {
  cells_.at(static_cast<size_t>(index)) = MakeCell(image, nullptr, true, maskColor);
}

void TMImageList::Delete(int index) {
  if (index >= 0 && index < Count())
    cells_.erase(cells_.begin() + index);
}

void TMImageList::Draw(HDC dc, int x, int y, int index, int ppi) const {
  if (index < 0 || index >= Count())
    return;
  const Cell& cell = cells_[static_cast<size_t>(index)];
  int w = ScaleValue(width_, ppi, 96), h = ScaleValue(height_, ppi, 96);
  TBitmap image(width_, height_, cell.image);
  RECT dest{x, y, x + w, y + h}, source{0, 0, width_, height_};
  if (cell.mask.empty()) {
    DrawBitmap(dc, image, dest, source, false);
    return;
  }
  std::vector<TColor> maskPixels(cell.image.size());
  for (size_t i = 0; i < maskPixels.size(); ++i)
    maskPixels[i] = cell.mask[i] ? 0xFFFFFF : 0;
  TBitmap mask(width_, height_, maskPixels);
  ScopedMemoryDC memory(dc);
  int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
  {
    ScopedSelect select(memory.get(), mask.Handle());
    ::StretchBlt(dc, x, y, w, h, memory.get(), 0, 0, width_, height_, SRCAND);
  }
  ScopedSelect select(memory.get(), image.Handle());
  ::StretchBlt(dc, x, y, w, h, memory.get(), 0, 0, width_, height_, SRCINVERT);
  ::SetStretchBltMode(dc, oldMode);
}

}  // namespace kolvar::toolkit
