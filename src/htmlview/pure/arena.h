// Storage for the many small, long-lived pieces of a document (tree nodes and their text):
// taken from a few large blocks and given back all at once, so that a large document costs no
// heap block per node and leaves no scattered small blocks behind when it goes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace kolvar::htmlview {

class Arena {
 public:
  // Chunks start at `firstChunk` bytes and double up to `largestChunk`.
  explicit Arena(size_t firstChunk = 4096, size_t largestChunk = 256 * 1024)
      : nextChunk_(firstChunk), largestChunk_(largestChunk) {}
  Arena(Arena&& other) noexcept : Arena() { *this = std::move(other); }
  // Takes the chunks of `other`, which gets those of this one.
  Arena& operator=(Arena&& other) noexcept;
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // `bytes` of storage aligned to `align` (a power of two, at most alignof(max_align_t)),
  // valid until the arena goes; throws std::bad_alloc when memory runs out.
  void* Allocate(size_t bytes, size_t align);

  // A value-initialised T. Its destructor never runs, so T holds nothing to free.
  template <typename T>
  T* New() {
    static_assert(std::is_trivially_destructible_v<T>);
    return new (Allocate(sizeof(T), alignof(T))) T();
  }

  // A copy of `n` characters of `text`.
  const wchar_t* Copy(const wchar_t* text, size_t n) {
    auto* out = static_cast<wchar_t*>(Allocate(n * sizeof(wchar_t), alignof(wchar_t)));
    std::copy(text, text + n, out);
    return out;
  }

  // Grows the block [p, p + bytes) that was the last one allocated by `more` bytes in place;
  // false when it was not the last one or its chunk has no room left.
  bool Extend(const void* p, size_t bytes, size_t more) {
    if (static_cast<const char*>(p) + bytes != top_ || more > static_cast<size_t>(end_ - top_))
      return false;
    top_ += more;
    return true;
  }

 private:
  // A chunk of `bytes` after a header that holds the address of the chunk taken before it.
  char* NewChunk(size_t bytes);

  char* last_ = nullptr;  // the chunk taken last
  char* top_ = nullptr;
  char* end_ = nullptr;
  size_t nextChunk_;
  size_t largestChunk_;
};

}  // namespace kolvar::htmlview
