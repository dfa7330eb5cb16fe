#include "htmlview/pure/arena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kolvar::htmlview {

void* Arena::Allocate(size_t bytes, size_t align) {
  auto aligned = [align](char* p) {
    return reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(p) + align - 1) & ~(align - 1));
  };
  if (top_) {
    char* at = aligned(top_);
    if (at <= end_ && bytes <= static_cast<size_t>(end_ - at)) {
      top_ = at + bytes;
      return at;
    }
  }
  if (bytes + align > nextChunk_) {
    // A piece larger than a chunk gets one of its own; the current chunk stays in use.
    chunks_.emplace_back(new char[bytes + align]);
    return aligned(chunks_.back().get());
  }
  chunks_.emplace_back(new char[nextChunk_]);
  top_ = chunks_.back().get();
  end_ = top_ + nextChunk_;
  nextChunk_ = std::max(nextChunk_, std::min(nextChunk_ * 2, largestChunk_));
  char* at = aligned(top_);
  top_ = at + bytes;
  return at;
}

const wchar_t* Arena::Copy(const wchar_t* text, size_t n) {
  auto* out = static_cast<wchar_t*>(Allocate(n * sizeof(wchar_t), alignof(wchar_t)));
  if (n > 0)
    std::memcpy(out, text, n * sizeof(wchar_t));
  return out;
}

bool Arena::Extend(const void* p, size_t bytes, size_t more) {
  if (static_cast<const char*>(p) + bytes != top_ || more > static_cast<size_t>(end_ - top_))
    return false;
  top_ += more;
  return true;
}

}  // namespace kolvar::htmlview
