// A small ZIP writer for hostile and damaged archives that no real writer makes: every
// field can be set by hand.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::deploy::testing {

struct Member {
  Member(std::string n, std::string d) : name(std::move(n)), data(std::move(d)) {}
  std::string name;
  std::string data;
  uint16_t method = 8;  // 0 stored, 8 Deflate (data compressed here)
  uint16_t flags = 0;
  uint16_t madeBy = 0x0014;  // MS-DOS host
  uint32_t attributes = 0;
  std::optional<uint32_t> crc;            // else the real CRC
  std::optional<uint64_t> size;           // declared uncompressed size, else the real one
  std::optional<std::string> compressed;  // raw member data, else made from `data`
  bool zip64 = false;                     // sizes and offset through the ZIP64 field
  bool zip64FieldMissing = false;         // 0xFFFFFFFF without the field
  std::string comment;                    // the central directory entry's comment
};

// Pseudo-random bytes that do not compress.
inline std::string Noise(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  for (char& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

inline void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
inline void Put64(std::string& s, uint64_t v) {
  Put32(s, static_cast<uint32_t>(v));
  Put32(s, static_cast<uint32_t>(v >> 32));
}

inline std::string Deflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()) + 16, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Layout {
  std::string prefix;                                   // data in front of the archive
  std::vector<int> centralOrder;                        // which member each central entry describes
  std::vector<std::optional<uint64_t>> offsetOverride;  // per central entry
  bool zip64End = false;                                // ZIP64 end record and locator
  bool brokenZip64Locator = false;
  std::optional<uint16_t> countOverride;
  std::string comment;
};

// Local headers and data of every member, then the central directory.
inline std::string BuildZip(const std::vector<Member>& members, Layout layout = {}) {
  std::string out = layout.prefix;
  std::vector<uint64_t> offsets;
  std::vector<std::string> datas;
  const uint64_t base = layout.prefix.size();
  auto header = [](std::string& s, const Member& m, const std::string& stored, uint32_t crc,
                   uint64_t size, bool central, uint64_t offset) {
    bool big = m.zip64 || m.zip64FieldMissing;
    Put16(s, central ? m.madeBy : 20);
    if (central)
      Put16(s, big ? 45 : 20);
    Put16(s, m.flags);
    Put16(s, m.method);
    Put16(s, 0x6000);  // 12:00:00
    Put16(s, 0x5A21);  // 2025-01-01
    Put32(s, crc);
    Put32(s, big ? 0xFFFFFFFF : static_cast<uint32_t>(stored.size()));
    Put32(s, big ? 0xFFFFFFFF : static_cast<uint32_t>(size));
    Put16(s, static_cast<uint32_t>(m.name.size()));
    std::string extra;
    if (m.zip64) {
      Put16(extra, 1);
      Put16(extra, central ? 24 : 16);
      Put64(extra, size);
      Put64(extra, stored.size());
      if (central)
        Put64(extra, offset);
    }
    Put16(s, static_cast<uint32_t>(extra.size()));
    if (central) {
      Put16(s, static_cast<uint32_t>(m.comment.size()));
      Put16(s, 0);  // disk
      Put16(s, 0);  // internal attributes
      Put32(s, m.attributes);
      Put32(s, big ? 0xFFFFFFFF : static_cast<uint32_t>(offset));
    }
    s += m.name;
    s += extra;
    if (central)
      s += m.comment;
  };
  for (const Member& m : members) {
    std::string stored = m.compressed ? *m.compressed : (m.method == 8 ? Deflate(m.data) : m.data);
    uint32_t crc =
        m.crc ? *m.crc
              : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                            static_cast<uInt>(m.data.size())));
    uint64_t size = m.size ? *m.size : m.data.size();
    offsets.push_back(out.size() - base);
    Put32(out, 0x04034b50);
    header(out, m, stored, crc, size, false, 0);
    out += stored;
    datas.push_back(stored);
  }
  uint64_t directoryOffset = out.size() - base;
  std::vector<int> order = layout.centralOrder;
  if (order.empty())
    for (size_t i = 0; i < members.size(); ++i)
      order.push_back(static_cast<int>(i));
  for (size_t k = 0; k < order.size(); ++k) {
    const Member& m = members[order[k]];
    uint32_t crc =
        m.crc ? *m.crc
              : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                            static_cast<uInt>(m.data.size())));
    uint64_t offset = offsets[order[k]];
    if (k < layout.offsetOverride.size() && layout.offsetOverride[k])
      offset = *layout.offsetOverride[k];
    Put32(out, 0x02014b50);
    header(out, m, datas[order[k]], crc, m.size ? *m.size : m.data.size(), true, offset);
  }
  uint64_t directorySize = out.size() - base - directoryOffset;
  uint64_t count = layout.countOverride ? *layout.countOverride : order.size();
  if (layout.zip64End) {
    uint64_t recordOffset = out.size() - base;
    Put32(out, 0x06064b50);
    Put64(out, 44);
    Put16(out, 45);
    Put16(out, 45);
    Put32(out, 0);
    Put32(out, 0);
    Put64(out, count);
    Put64(out, count);
    Put64(out, directorySize);
    Put64(out, directoryOffset);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, layout.brokenZip64Locator ? recordOffset + 7 : recordOffset);
    Put32(out, 1);
  }
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, layout.zip64End ? 0xFFFF : static_cast<uint32_t>(count & 0xFFFF));
  Put16(out, layout.zip64End ? 0xFFFF : static_cast<uint32_t>(count & 0xFFFF));
  Put32(out, layout.zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(directorySize));
  Put32(out, layout.zip64End ? 0xFFFFFFFF : static_cast<uint32_t>(directoryOffset));
  Put16(out, static_cast<uint32_t>(layout.comment.size()));
  out += layout.comment;
  return out;
}

}  // namespace kolvar::deploy::testing
