#include "deploy/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace kolvar::deploy {
namespace {

uint32_t Crc(const std::string& text) {
  return Crc32(0, text.data(), text.size());
}

uint32_t ZlibCrc(const unsigned char* data, size_t size) {
  return static_cast<uint32_t>(crc32(0, data, static_cast<uInt>(size)));
}

TEST(Crc32, GivesTheKnownCheckValues) {
  EXPECT_EQ(Crc("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc("a"), 0xE8B7BE43u);
  EXPECT_EQ(Crc("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  EXPECT_EQ(Crc(std::string(32, '\0')), 0x190A55ADu);
  EXPECT_EQ(Crc(std::string(32, '\xFF')), 0xFF6CAB0Bu);
  // Nothing added leaves the value as it was, whatever the pointer.
  EXPECT_EQ(Crc32(0, nullptr, 0), 0u);
  EXPECT_EQ(Crc32(0xCBF43926, nullptr, 0), 0xCBF43926u);
}

// Lengths around the eight-byte words and the four-block rounds (4 x 128 bytes), at every
// start within a word, whole and split in pieces: zlib's answer each time.
TEST(Crc32, MatchesZlibAtEveryLengthStartAndSplit) {
  std::mt19937 random(20261210);
  std::vector<unsigned char> bytes(70000);
  for (unsigned char& b : bytes)
    b = static_cast<unsigned char>(random());
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 64; ++n)
    lengths.push_back(n);
  for (size_t round : {512, 1024, 3 * 512, 40 * 512})
    for (size_t n = round - 9; n <= round + 9; ++n)
      lengths.push_back(n);
  for (int i = 0; i < 40; ++i)
    lengths.push_back(random() % 65000);
  for (size_t length : lengths)
    for (size_t start = 0; start < 8; ++start) {
      const unsigned char* data = bytes.data() + start;
      uint32_t expected = ZlibCrc(data, length);
      ASSERT_EQ(Crc32(0, data, length), expected) << "length " << length << " at " << start;
      size_t cut = length ? random() % length : 0, cut2 = cut + (length - cut) / 3;
      uint32_t chained =
          Crc32(Crc32(Crc32(0, data, cut), data + cut, cut2 - cut), data + cut2, length - cut2);
      ASSERT_EQ(chained, expected) << "length " << length << " cut at " << cut << ", " << cut2;
    }
}

}  // namespace
}  // namespace kolvar::deploy
