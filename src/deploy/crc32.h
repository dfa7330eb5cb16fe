// The CRC-32 of ZIP archives (and PNG pictures): reflected polynomial 0xEDB88320, register
// set to all ones before and inverted after. Our own rather than zlib's, so that the program
// carries no precomputed tables: ours are made at first use in zero-initialised memory. No
// <windows.h> here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kolvar::deploy {

// The CRC-32 of the bytes before `data` (`crc`; 0 for none) followed by the `size` bytes at
// `data`: Crc32(Crc32(0, a), b) is the CRC of a followed by b. `data` may be null when `size`
// is 0. Safe to call from any thread; never fails.
uint32_t Crc32(uint32_t crc, const void* data, size_t size) noexcept;

}  // namespace kolvar::deploy
