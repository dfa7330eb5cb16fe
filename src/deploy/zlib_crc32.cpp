// zlib's crc32, answered by ours, for the Windows programs. zlib's inflate and deflate name
// crc32 for the gzip wrapper, which raw deflate never uses; without a definition of ours
// among the program's own objects the linker would still bring zlib's CRC code and its 8 KB
// of constant tables for it. Linked as an object of each program (never from a library), it
// is there before zlib is searched, so zlib's crc32.o is never pulled in. Not in the native
// build: there the tests hold our CRC against zlib's.
#include <zlib.h>

#include "deploy/crc32.h"

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  // zlib's own answer for no buffer: the CRC's starting value.
  if (buf == Z_NULL)
    return 0;
  return kolvar::deploy::Crc32(static_cast<uint32_t>(crc), buf, len);
}
