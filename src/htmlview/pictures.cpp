#include "htmlview/pictures.h"

#include <objbase.h>
#include <ole2.h>

#include <cstring>

#include "htmlview/pure/image_info.h"

namespace kolvar::htmlview {

namespace {

// The few entry points of the flat GDI+ interface the view needs.
struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GpRect {
  INT X, Y, Width, Height;
};
struct GpBitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  INT PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};
using GpBitmap = void;
constexpr INT kPixelFormat32bppPARGB = 0xE200B;
constexpr UINT kImageLockModeRead = 1;

using StartupFn = int(WINAPI*)(ULONG_PTR*, const GdiplusStartupInput*, void*);
using FromStreamFn = int(WINAPI*)(IStream*, GpBitmap**);
using SizeFn = int(WINAPI*)(GpBitmap*, UINT*);
using LockFn = int(WINAPI*)(GpBitmap*, const GpRect*, UINT, INT, GpBitmapData*);
using UnlockFn = int(WINAPI*)(GpBitmap*, GpBitmapData*);
using DisposeFn = int(WINAPI*)(GpBitmap*);

class Gdiplus {
 public:
  static Gdiplus& Instance() {
    static Gdiplus instance;
    return instance;
  }
  bool ready() const { return ready_; }

  DecodedPicture Decode(const std::string& bytes) {
    DecodedPicture out;
    if (!ready_)
      return out;
    ScopedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!memory)
      return out;
    {
      ScopedGlobalLock lock(memory.get());
      if (!lock.data())
        return out;
      std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory.get(), FALSE, &stream)) || !stream)
      return out;
    GpBitmap* bitmap = nullptr;
    int status = fromStream_(stream, &bitmap);
    if (status == 0 && bitmap) {
      out = Convert(bitmap);
      dispose_(bitmap);
    }
    stream->Release();
    return out;
  }

 private:
  Gdiplus() {
    module_ = ::LoadLibraryW(L"gdiplus.dll");
    if (!module_)
      return;
    auto startup = reinterpret_cast<StartupFn>(::GetProcAddress(module_, "GdiplusStartup"));
    fromStream_ =
        reinterpret_cast<FromStreamFn>(::GetProcAddress(module_, "GdipCreateBitmapFromStream"));
    width_ = reinterpret_cast<SizeFn>(::GetProcAddress(module_, "GdipGetImageWidth"));
    height_ = reinterpret_cast<SizeFn>(::GetProcAddress(module_, "GdipGetImageHeight"));
    lock_ = reinterpret_cast<LockFn>(::GetProcAddress(module_, "GdipBitmapLockBits"));
    unlock_ = reinterpret_cast<UnlockFn>(::GetProcAddress(module_, "GdipBitmapUnlockBits"));
    dispose_ = reinterpret_cast<DisposeFn>(::GetProcAddress(module_, "GdipDisposeImage"));
    if (!startup || !fromStream_ || !width_ || !height_ || !lock_ || !unlock_ || !dispose_)
      return;
    GdiplusStartupInput input;
    ready_ = startup(&token_, &input, nullptr) == 0;
  }
  // The library stays loaded until the process ends: shutting it down from a static
  // destructor, after other libraries are gone, is not safe.

  DecodedPicture Convert(GpBitmap* bitmap) {
    DecodedPicture out;
    UINT w = 0, h = 0;
    if (width_(bitmap, &w) != 0 || height_(bitmap, &h) != 0 || w == 0 || h == 0 ||
        static_cast<long long>(w) * h > kMaxImagePixels)
      return out;
    GpRect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
    GpBitmapData data{};
    if (lock_(bitmap, &rect, kImageLockModeRead, kPixelFormat32bppPARGB, &data) != 0)
      return out;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(w);
    info.bmiHeader.biHeight = -static_cast<LONG>(h);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap dib(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dib && bits && data.Scan0) {
      for (UINT y = 0; y < h; ++y) {
        std::memcpy(static_cast<char*>(bits) + static_cast<size_t>(y) * w * 4,
                    static_cast<const char*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride,
                    static_cast<size_t>(w) * 4);
      }
      out.bitmap = std::move(dib);
      out.width = static_cast<int>(w);
      out.height = static_cast<int>(h);
    }
    unlock_(bitmap, &data);
    return out;
  }

  HMODULE module_ = nullptr;
  ULONG_PTR token_ = 0;
  bool ready_ = false;
  FromStreamFn fromStream_ = nullptr;
  SizeFn width_ = nullptr;
  SizeFn height_ = nullptr;
  LockFn lock_ = nullptr;
  UnlockFn unlock_ = nullptr;
  DisposeFn dispose_ = nullptr;
};

}  // namespace

DecodedPicture DecodePicture(const std::string& bytes) {
  ImageInfo info = ReadImageInfo(bytes);
  if (!PlausibleImage(info, bytes.size(), bytes))
    return {};
  return Gdiplus::Instance().Decode(bytes);
}

bool PictureDecoderAvailable() {
  return Gdiplus::Instance().ready();
}

void DrawPicture(HDC dc, const DecodedPicture& picture, const RECT& dest) {
  if (!picture.valid())
    return;
  ScopedMemoryDC memory(dc);
  ScopedSelect select(memory.get(), picture.bitmap.get());
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::SetStretchBltMode(dc, COLORONCOLOR);
  ::AlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
               memory.get(), 0, 0, picture.width, picture.height, blend);
}

}  // namespace kolvar::htmlview
