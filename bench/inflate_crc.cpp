// The floor an extractor is measured against: zlib's raw inflate and CRC-32 over every
// member of an archive, nothing written. The members are found through the central
// directory by the plainest code (no checks beyond what the walk needs).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_inflate_crc ARCHIVE\n");
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
