#include "deploy/crc32.h"

namespace kolvar::deploy {
namespace {

constexpr uint32_t kPolynomial = 0xEDB88320;

// Buffers are taken in rounds of four blocks of kBlock bytes whose CRCs are computed side by
// side and then joined: one block at a time, each eight bytes wait for the table look-ups of
// the eight before and the processor sits idle; four independent chains keep it busy, which
// is what it takes to match zlib's own speed. Short blocks let a small file's few KB gain too;
// the join costs twelve look-ups a round.
constexpr int kStreams = 4;
constexpr size_t kBlock = 128;

// Zero until first use: these 20 KB of .bss cost the program file nothing, where constant
// tables would add their size to it.
// Slicing by eight: gSlices[k][b] is the register after byte b followed by k zero bytes.
uint32_t gSlices[8][256];
// gShifts[n - 1][k][b]: the register b << 8k advanced over n blocks of zero bytes, the step
// that joins a block's CRC to those of the blocks after it.
uint32_t gShifts[kStreams - 1][4][256];

// a * b modulo the polynomial, in the reflected bit order of the register.
uint32_t MultiplyModP(uint32_t a, uint32_t b) {
  uint32_t product = 0;
  for (uint32_t bit = 1u << 31; bit != 0; bit >>= 1) {
    if (a & bit)
      product ^= b;
    b = (b >> 1) ^ (kPolynomial & (0u - (b & 1)));
  }
  return product;
}

// x^(8 * bytes) modulo the polynomial: what appending that many zero bytes multiplies by.
uint32_t ZeroBytesFactor(size_t bytes) {
  uint32_t result = 1u << 31;  // x^0
  uint32_t square = 1u << 23;  // x^8
  for (; bytes != 0; bytes >>= 1) {
    if (bytes & 1)
      result = MultiplyModP(square, result);
    square = MultiplyModP(square, square);
  }
  return result;
}

bool FillTables() noexcept {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int bit = 0; bit < 8; ++bit)
      c = (c >> 1) ^ (kPolynomial & (0u - (c & 1)));
    gSlices[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (int k = 1; k < 8; ++k)
      gSlices[k][i] = (gSlices[k - 1][i] >> 8) ^ gSlices[0][gSlices[k - 1][i] & 0xFF];
  for (int n = 1; n < kStreams; ++n) {
    uint32_t factor = ZeroBytesFactor(n * kBlock);
    for (int k = 0; k < 4; ++k) {
      uint32_t(&shift)[256] = gShifts[n - 1][k];
      // The shift is linear: each entry is the one without its lowest bit, plus that bit's.
      shift[0] = 0;
      for (uint32_t i = 1; i < 256; ++i) {
        uint32_t low = i & (0u - i);
        shift[i] = i == low ? MultiplyModP(i << (8 * k), factor) : shift[i ^ low] ^ shift[low];
      }
    }
  }
  return true;
}

// A function-local static is initialised once, and thread-safely: two threads that call
// first never see half-filled tables.
void EnsureTables() noexcept {
  static const bool filled = FillTables();
  (void)filled;
}

// Little-endian 32-bit load at any alignment; compilers make it one load on x86.
inline uint32_t Load32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The register after eight more bytes.
inline uint32_t Step8(uint32_t c, const unsigned char* p) {
  const uint32_t(&t)[8][256] = gSlices;
  uint32_t low = Load32(p) ^ c, high = Load32(p + 4);
  return t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
         t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^
         t[0][high >> 24];
}

inline uint32_t Shift(int blocks, uint32_t c) {
  const uint32_t(&s)[4][256] = gShifts[blocks - 1];
  return s[0][c & 0xFF] ^ s[1][(c >> 8) & 0xFF] ^ s[2][(c >> 16) & 0xFF] ^ s[3][c >> 24];
}

inline uint32_t Step1(uint32_t c, unsigned char byte) {
  return (c >> 8) ^ gSlices[0][(c ^ byte) & 0xFF];
}

}  // namespace

uint32_t Crc32(uint32_t crc, const void* data, size_t size) noexcept {
  if (size == 0)
    return crc;
  EnsureTables();
  const auto* p = static_cast<const unsigned char*>(data);
  uint32_t c = ~crc;
  // Whole words from here on: a word across two cache lines costs two loads.
  for (; size > 0 && (reinterpret_cast<uintptr_t>(p) & 7) != 0; ++p, --size)
    c = Step1(c, *p);
  for (; size >= kStreams * kBlock; size -= kStreams * kBlock) {
    // The register is linear in its start and in the data: the CRC of four blocks is the
    // first block's from `c` shifted over the other three, and each other block's from zero
    // shifted over those after it.
    uint32_t r[kStreams] = {c};
    for (const unsigned char* end = p + kBlock; p < end; p += 8)
      for (int s = 0; s < kStreams; ++s)
        r[s] = Step8(r[s], p + s * kBlock);
    p += (kStreams - 1) * kBlock;
    c = r[kStreams - 1];
    for (int s = 0; s < kStreams - 1; ++s)
      c ^= Shift(kStreams - 1 - s, r[s]);
  }
  for (; size >= 8; p += 8, size -= 8)
    c = Step8(c, p);
  for (; size > 0; ++p, --size)
    c = Step1(c, *p);
  return ~c;
}

}  // namespace kolvar::deploy
