#include "htmlview/pure/arena.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kolvar::htmlview {

namespace {

// Room for the address of the chunk before, keeping what follows aligned.
constexpr size_t kHeader = alignof(std::max_align_t);

}  // namespace

Arena& Arena::operator=(Arena&& other) noexcept {
  std::swap(last_, other.last_);
  std::swap(top_, other.top_);
  std::swap(end_, other.end_);
  std::swap(nextChunk_, other.nextChunk_);
  std::swap(largestChunk_, other.largestChunk_);
  return *this;
}

Arena::~Arena() {
  while (last_) {
    char* chunk = last_;
    std::memcpy(&last_, chunk, sizeof(last_));
    delete[] chunk;
  }
}

char* Arena::NewChunk(size_t bytes) {
  char* chunk = new char[kHeader + bytes];
  std::memcpy(chunk, &last_, sizeof(last_));
  last_ = chunk;
  return chunk + kHeader;
}

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
    return aligned(NewChunk(bytes + align));
  }
  top_ = NewChunk(nextChunk_);
  end_ = top_ + nextChunk_;
  nextChunk_ = std::max(nextChunk_, std::min(nextChunk_ * 2, largestChunk_));
  char* at = aligned(top_);
  top_ = at + bytes;
  return at;
}

}  // namespace kolvar::htmlview
