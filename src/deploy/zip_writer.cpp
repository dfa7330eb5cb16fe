#include "deploy/zip_writer.h"

#include <zlib.h>

#include <cstring>
#include <memory>

#include "deploy/crc32.h"
#include "platform/error.h"

namespace kolvar::deploy {
namespace {

constexpr uint64_t kNeed64 = 0xFFFFFFFF;
constexpr uint64_t kLocal64Threshold = 0xFFFF0000;  // Deflate may grow a member a little
constexpr size_t kChunk = 256 * 1024;

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Put64(std::string& s, uint64_t v) {
  Put32(s, static_cast<uint32_t>(v));
  Put32(s, static_cast<uint32_t>(v >> 32));
}
uint32_t Clip(uint64_t v) {
  return v >= kNeed64 ? 0xFFFFFFFF : static_cast<uint32_t>(v);
}
bool IsAscii(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  return true;
}
uint16_t Flags(const MemberInfo& info) {
  return IsAscii(info.name) ? 0 : (1 << 11);
}

}  // namespace

void MemorySink::Write(const void* data, size_t size) {
  bytes.append(static_cast<const char*>(data), size);
}

void MemorySink::WriteAt(uint64_t offset, const void* data, size_t size) {
  std::memcpy(&bytes[static_cast<size_t>(offset)], data, size);
}

uint16_t DosDate(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}

uint16_t DosTime(int hour, int minute, int second) {
  return static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
}

void ZipWriter::AddFolder(MemberInfo info) {
  if (info.name.empty() || info.name.back() != '/')
    info.name += '/';
  info.dosAttributes |= 0x10;
  AddFile(
      info, [](char*, size_t) -> size_t { return 0; }, 0, false);
}

void ZipWriter::AddFile(const MemberInfo& info, const std::string& data, bool deflate) {
  size_t at = 0;
  AddFile(
      info,
      [&](char* buffer, size_t size) {
        size_t n = std::min(size, data.size() - at);
        std::memcpy(buffer, data.data() + at, n);
        at += n;
        return n;
      },
      data.size(), deflate);
}

void ZipWriter::AddFile(const MemberInfo& info,
                        const ReadFunction& read,
                        uint64_t sizeHint,
                        bool deflate) {
  Central c{info, static_cast<uint16_t>(deflate ? 8 : 0), 0, 0, 0, out_.Size()};
  const bool local64 = sizeHint >= kLocal64Threshold;
  std::string header;
  Put32(header, 0x04034b50);
  Put16(header, local64 ? 45 : 20);
  Put16(header, Flags(info));
  Put16(header, c.method);
  Put16(header, info.dosTime);
  Put16(header, info.dosDate);
  size_t fieldsAt = header.size();
  Put32(header, 0);
  Put32(header, local64 ? 0xFFFFFFFF : 0);
  Put32(header, local64 ? 0xFFFFFFFF : 0);
  Put16(header, static_cast<uint32_t>(info.name.size()));
  Put16(header, local64 ? 20 : 0);
  header += info.name;
  size_t field64At = header.size();
  if (local64) {
    Put16(header, 1);
    Put16(header, 16);
    Put64(header, 0);
    Put64(header, 0);
  }
  out_.Write(header.data(), header.size());

  input_.resize(kChunk);
  packed_.resize(kChunk);
  char* in = input_.data();
  char* packed = packed_.data();
  uint32_t crc = 0;
  z_stream z{};
  if (deflate && deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                              Z_DEFAULT_STRATEGY) != Z_OK)
    throw Error(L"zlib nu porneste");
  struct Guard {
    z_stream* z;
    bool on;
    ~Guard() {
      if (on)
        deflateEnd(z);
    }
  } guard{&z, deflate};
  for (bool done = false; !done;) {
    size_t got = read(in, kChunk);
    done = got == 0;
    crc = Crc32(crc, in, got);
    c.uncompressed += got;
    if (!deflate) {
      out_.Write(in, got);
      c.compressed += got;
      continue;
    }
    z.next_in = reinterpret_cast<Bytef*>(in);
    z.avail_in = static_cast<uInt>(got);
    do {
      z.next_out = reinterpret_cast<Bytef*>(packed);
      z.avail_out = static_cast<uInt>(kChunk);
      ::deflate(&z, done ? Z_FINISH : Z_NO_FLUSH);
      size_t produced = kChunk - z.avail_out;
      out_.Write(packed, produced);
      c.compressed += produced;
    } while (z.avail_out == 0);
  }
  c.crc = crc;
  if (!local64 && (c.compressed >= kNeed64 || c.uncompressed >= kNeed64))
    throw Error(L"Fisierul " + std::wstring(info.name.begin(), info.name.end()) +
                L" a crescut peste 4 GB in timpul arhivarii");
  std::string fields;
  Put32(fields, c.crc);
  Put32(fields, local64 ? 0xFFFFFFFF : static_cast<uint32_t>(c.compressed));
  Put32(fields, local64 ? 0xFFFFFFFF : static_cast<uint32_t>(c.uncompressed));
  out_.WriteAt(c.offset + fieldsAt, fields.data(), fields.size());
  if (local64) {
    std::string sizes;
    Put64(sizes, c.uncompressed);
    Put64(sizes, c.compressed);
    out_.WriteAt(c.offset + field64At + 4, sizes.data(), sizes.size());
  }
  central_.push_back(std::move(c));
}

void ZipWriter::Finish() {
  const uint64_t directoryOffset = out_.Size();
  std::string d;
  for (const Central& c : central_) {
    std::string extra;
    if (c.uncompressed >= kNeed64 || c.compressed >= kNeed64 || c.offset >= kNeed64) {
      std::string values;
      if (c.uncompressed >= kNeed64)
        Put64(values, c.uncompressed);
      if (c.compressed >= kNeed64)
        Put64(values, c.compressed);
      if (c.offset >= kNeed64)
        Put64(values, c.offset);
      Put16(extra, 1);
      Put16(extra, static_cast<uint32_t>(values.size()));
      extra += values;
    }
    Put32(d, 0x02014b50);
    Put16(d, 0x0014);  // made on MS-DOS (the attributes are DOS attributes), version 2.0
    Put16(d, extra.empty() ? 20 : 45);
    Put16(d, Flags(c.info));
    Put16(d, c.method);
    Put16(d, c.info.dosTime);
    Put16(d, c.info.dosDate);
    Put32(d, c.crc);
    Put32(d, Clip(c.compressed));
    Put32(d, Clip(c.uncompressed));
    Put16(d, static_cast<uint32_t>(c.info.name.size()));
    Put16(d, static_cast<uint32_t>(extra.size()));
    Put16(d, 0);
    Put16(d, 0);
    Put16(d, 0);
    Put32(d, c.info.dosAttributes);
    Put32(d, Clip(c.offset));
    d += c.info.name;
    d += extra;
    if (d.size() >= kChunk) {
      out_.Write(d.data(), d.size());
      d.clear();
    }
  }
  out_.Write(d.data(), d.size());
  d.clear();
  const uint64_t directorySize = out_.Size() - directoryOffset;
  const uint64_t count = central_.size();
  if (count >= 0xFFFF || directorySize >= kNeed64 || directoryOffset >= kNeed64) {
    uint64_t recordOffset = out_.Size();
    Put32(d, 0x06064b50);
    Put64(d, 44);
    Put16(d, 45);
    Put16(d, 45);
    Put32(d, 0);
    Put32(d, 0);
    Put64(d, count);
    Put64(d, count);
    Put64(d, directorySize);
    Put64(d, directoryOffset);
    Put32(d, 0x07064b50);
    Put32(d, 0);
    Put64(d, recordOffset);
    Put32(d, 1);
  }
  Put32(d, 0x06054b50);
  Put16(d, 0);
  Put16(d, 0);
  Put16(d, count >= 0xFFFF ? 0xFFFF : static_cast<uint32_t>(count));
  Put16(d, count >= 0xFFFF ? 0xFFFF : static_cast<uint32_t>(count));
  Put32(d, Clip(directorySize));
  Put32(d, Clip(directoryOffset));
  Put16(d, 0);
  out_.Write(d.data(), d.size());
  central_.clear();
}

}  // namespace kolvar::deploy
