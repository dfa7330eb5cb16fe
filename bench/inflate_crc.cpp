// The floor an extractor is measured against: zlib's raw inflate and CRC-32 over every
// member of an archive, nothing written. The members are found through the central
// directory by the plainest code (no checks beyond what the walk needs).
// With --crc instead of an archive: our CRC-32 against zlib's over the same buffers.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "deploy/crc32.h"

namespace {

uint32_t Get32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Get16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint64_t Get64(const unsigned char* p) {
  return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

// Our CRC-32 and zlib's over the buffers an extraction hands them (256 KB of output, and
// small files' few KB), each start within a word; the best of several rounds, taken in turn.
int CompareCrc() {
  std::vector<unsigned char> buffer(256 * 1024 + 8);
  uint32_t seed = 1;
  for (unsigned char& b : buffer) {
    seed = seed * 1103515245 + 12345;
    b = static_cast<unsigned char>(seed >> 16);
  }
  using Clock = std::chrono::steady_clock;
  for (size_t size : {size_t{256 * 1024}, size_t{4000}}) {
    const int calls = static_cast<int>((512u << 20) / size);  // 512 MB a round
    double ours = 1e9, zlib = 1e9;
    uint32_t a = 0, z = 0;
    for (int round = 0; round < 7; ++round) {
      auto start = Clock::now();
      for (int i = 0; i < calls; ++i)
        a = kolvar::deploy::Crc32(a, buffer.data() + (i & 7), size);
      auto middle = Clock::now();
      for (int i = 0; i < calls; ++i)
        z = static_cast<uint32_t>(crc32(z, buffer.data() + (i & 7), static_cast<uInt>(size)));
      auto end = Clock::now();
      ours = std::min(ours, std::chrono::duration<double>(middle - start).count());
      zlib = std::min(zlib, std::chrono::duration<double>(end - middle).count());
    }
    if (a != z) {
      std::fprintf(stderr, "the two CRCs differ\n");
      return 1;
    }
    std::printf(
        "CRC-32 of %zu-byte buffers: ours %.0f MB/s, zlib %.0f MB/s, ratio ours/zlib %.2f\n", size,
        512 / ours, 512 / zlib, ours / zlib);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--crc") == 0)
    return CompareCrc();
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_inflate_crc ARCHIVE | --crc\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0)
    return 1;
  std::vector<unsigned char> file(static_cast<size_t>(st.st_size));
  // The archive is read whole: the floor leaves out the reading an extractor does piecewise.
  for (size_t at = 0; at < file.size();) {
    ssize_t n = pread(fd, file.data() + at, file.size() - at, static_cast<off_t>(at));
    if (n <= 0)
      return 1;
    at += static_cast<size_t>(n);
  }
  size_t end = file.size() - 22;
  while (Get32(&file[end]) != 0x06054b50)
    --end;
  uint64_t count = Get16(&file[end + 10]), offset = Get32(&file[end + 16]);
  if (end >= 20 && Get32(&file[end - 20]) == 0x07064b50) {
    const unsigned char* record = &file[Get64(&file[end - 12])];
    count = Get64(record + 32);
    offset = Get64(record + 48);
  }
  std::vector<unsigned char> out(256 * 1024);
  uint64_t total = 0;
  const unsigned char* p = &file[offset];
  for (uint64_t i = 0; i < count; ++i) {
    uint16_t method = Get16(p + 10), nameLength = Get16(p + 28), extraLength = Get16(p + 30);
    uint64_t compressed = Get32(p + 20), local = Get32(p + 42);
    const unsigned char* extra = p + 46 + nameLength;
    for (size_t k = 0; k + 4 <= extraLength; k += 4 + Get16(extra + k + 2)) {
      if (Get16(extra + k) != 1)
        continue;
      size_t at = k + 4;
      if (Get32(p + 24) == 0xFFFFFFFF)
        at += 8;
      if (compressed == 0xFFFFFFFF)
        compressed = Get64(extra + at), at += 8;
      if (local == 0xFFFFFFFF)
        local = Get64(extra + at);
    }
    const unsigned char* data =
        &file[local + 30 + Get16(&file[local + 26]) + Get16(&file[local + 28])];
    uLong crc = crc32(0, nullptr, 0);
    if (method == 0) {
      crc = crc32_z(crc, data, compressed);
      total += compressed;
    } else {
      z_stream z{};
      inflateInit2(&z, -MAX_WBITS);
      z.next_in = const_cast<unsigned char*>(data);
      z.avail_in = static_cast<uInt>(compressed);
      int status;
      do {
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        status = inflate(&z, Z_NO_FLUSH);
        crc = crc32(crc, out.data(), static_cast<uInt>(out.size() - z.avail_out));
        total += out.size() - z.avail_out;
      } while (status == Z_OK);
      inflateEnd(&z);
    }
    if (crc != Get32(p + 16))
      std::fprintf(stderr, "CRC mismatch at entry %llu\n", (unsigned long long)i);
    p += 46 + nameLength + extraLength + Get16(p + 32);
  }
  std::printf("%llu bytes inflated\n", static_cast<unsigned long long>(total));
  return 0;
}
