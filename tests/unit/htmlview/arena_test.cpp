// The arena the document's nodes are built in: pieces stay where they were put, whatever their
// size, and only the last one can grow in place.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "htmlview/pure/arena.h"

namespace kolvar::htmlview {
namespace {

TEST(Arena, PiecesOfEverySizeKeepTheirPlaceAndContent) {
  Arena arena(64, 256);
  std::vector<std::pair<const wchar_t*, std::wstring>> pieces;
  for (size_t n : {1, 3, 40, 500, 2, 129, 0, 7, 1000, 5}) {
    std::wstring text(n, static_cast<wchar_t>('a' + n % 26));
    pieces.emplace_back(arena.Copy(text.data(), text.size()), text);
    auto* aligned = static_cast<char*>(arena.Allocate(24, 8));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned) % 8, 0u);
    std::fill(aligned, aligned + 24, '\xFF');  // must not land on a piece kept before
  }
  for (const auto& [at, text] : pieces)
    EXPECT_EQ(std::wstring(at, text.size()), text);
}

TEST(Arena, OnlyTheLastPieceGrowsInPlace) {
  Arena arena(64, 64);
  void* first = arena.Allocate(8, 1);
  void* second = arena.Allocate(8, 1);
  EXPECT_FALSE(arena.Extend(first, 8, 4));  // the second lies behind it
  EXPECT_TRUE(arena.Extend(second, 8, 4));
  EXPECT_FALSE(arena.Extend(second, 12, 64));  // past the end of its chunk
  void* third = arena.Allocate(8, 1);
  EXPECT_EQ(static_cast<char*>(third), static_cast<char*>(second) + 12);
}

}  // namespace
}  // namespace kolvar::htmlview
