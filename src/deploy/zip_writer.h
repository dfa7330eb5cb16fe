// A ZIP writer for the media tool and the tests: Deflate or stored members, names in UTF-8,
// DOS date, time and attributes, ZIP64 fields where sizes, offsets or the entry count need
// them. No <windows.h> here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kolvar::deploy {

// A seekable output: the writer patches each local header once the member is written.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends at the end; throws Error on failure.
  virtual void Write(const void* data, size_t size) = 0;
  // Overwrites bytes already written; throws Error on failure.
  virtual void WriteAt(uint64_t offset, const void* data, size_t size) = 0;
  // Bytes written so far.
  virtual uint64_t Size() const = 0;
};

// An archive in memory.
class MemorySink : public ByteSink {
 public:
  void Write(const void* data, size_t size) override;
  void WriteAt(uint64_t offset, const void* data, size_t size) override;
  uint64_t Size() const override { return bytes.size(); }
  std::string bytes;
};

// Fills `buffer` with up to `size` bytes of a member's data; 0 at its end. Throws Error.
using ReadFunction = std::function<size_t(char* buffer, size_t size)>;

struct MemberInfo {
  std::string name;         // UTF-8, "/" between folders
  uint16_t dosDate = 0x21;  // 1980-01-01
  uint16_t dosTime = 0;
  uint8_t dosAttributes = 0x20;
};

class ZipWriter {
 public:
  explicit ZipWriter(ByteSink& out) : out_(out) {}

  // A folder entry ("name/").
  void AddFolder(MemberInfo info);
  // A file; `sizeHint` (its expected size) decides whether the local header gets ZIP64
  // fields. `deflate` false stores the data.
  void AddFile(const MemberInfo& info,
               const ReadFunction& read,
               uint64_t sizeHint,
               bool deflate = true);
  void AddFile(const MemberInfo& info, const std::string& data, bool deflate = true);
  // Writes the central directory and the end records. Nothing may be added afterwards.
  void Finish();

 private:
  struct Central {
    MemberInfo info;
    uint16_t method;
    uint32_t crc;
    uint64_t compressed, uncompressed, offset;
  };
  std::vector<Central> central_;
  ByteSink& out_;
  std::vector<char> input_, packed_;  // reused by every member
};

// The DOS date and time of a calendar moment (local time as the caller gives it).
uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);

}  // namespace kolvar::deploy
