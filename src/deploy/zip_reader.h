// Our ZIP reader: the central directory read over a random-access byte source, members
// inflated with zlib and written through an output interface. No <windows.h> here; the
// Windows and the native file layers implement the two interfaces.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"

namespace kolvar::deploy {

// A damaged, hostile or unsupported archive, or a member that cannot be written. The message
// names the archive and, where one is at fault, the entry.
class ZipError : public Error {
 public:
  using Error::Error;
};

// Random-access reading of the archive file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Size of the whole file in bytes.
  virtual uint64_t Size() const = 0;
  // Reads exactly `size` bytes at `offset`. Throws Error when the file cannot be read or ends
  // before.
  virtual void ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

// An archive held in memory (tests, the fuzzer).
class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  void ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::string bytes_;
};

// One member as the central directory describes it, with what its local header added.
struct ZipEntry {
  std::string rawName;  // the stored name bytes
  std::wstring name;    // decoded: UTF-8 when flagged (or a valid Unicode path field,
                        // or valid UTF-8 from a Unix host), else the OEM code page
  uint16_t versionMadeBy = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc32 = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint64_t localHeaderOffset = 0;  // where the local header really is (leading data allowed)
  uint64_t dataOffset = 0;         // first byte of the member's data
  uint32_t externalAttributes = 0;

  // Host system of the writer (0 MS-DOS, 3 Unix, 10 NTFS, ...).
  int host() const { return versionMadeBy >> 8; }
  // The name ends with "/" or "\": the entry stands for a folder.
  bool isDirectory() const;
  bool isEncrypted() const { return (flags & 1) != 0; }
  // The DOS attribute byte (read-only 1, hidden 2, system 4, archive 0x20) for entries made on
  // MS-DOS hosts; nullopt for other hosts.
  std::optional<uint8_t> dosAttributes() const;
};

// Decodes a stored name that is not marked UTF-8.
using OemDecoder = std::wstring (*)(std::string_view bytes);
// The two OEM code pages our users' archives come in.
std::wstring DecodeCp437(std::string_view bytes);
std::wstring DecodeCp852(std::string_view bytes);

// Where extracted members go: a destination folder, addressed by relative paths whose parts
// are separated by "\" and were checked by SafeRelativePath.
class OutputFile {
 public:
  virtual ~OutputFile() = default;  // closes the file if Finish was not reached
  // Appends bytes; throws Error (disk full, write failure).
  virtual void Write(const char* data, size_t size) = 0;
  // Closes the file, giving it the entry's DOS date and time as creation and last-write time
  // and, when present, the DOS attributes. Throws Error.
  virtual void Finish(uint16_t dosDate, uint16_t dosTime, std::optional<uint8_t> attributes) = 0;
};

class ExtractTarget {
 public:
  virtual ~ExtractTarget() = default;
  // Creates the folder and every missing parent; "" is the destination itself. Throws Error.
  virtual void CreateFolders(const std::wstring& relativeFolder) = 0;
  // Creates the file, replacing an existing one. Throws Error (for example a read-only or
  // locked file in the way).
  virtual std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) = 0;
  // Removes a partly written file; failures are ignored.
  virtual void RemoveFile(const std::wstring& relativePath) noexcept = 0;
};

// The relative path an entry name is written to: "/" read as "\", "." parts dropped, a
// trailing separator removed. nullopt when the name would leave the destination or is not a
// usable Windows name: empty, absolute, UNC, drive letters, "..", device names (CON, NUL,
// COM1, ...), alternate streams, characters Windows refuses, parts ending in a dot or blank.
// A name of "." parts only ("./") gives "", the destination itself.
std::optional<std::wstring> SafeRelativePath(std::wstring_view name);

// Progress of one entry: the entry and the uncompressed bytes written so far. Called several
// times while a member is inflated and exactly once with the full size when it is complete.
using ProgressHandler = std::function<void(const ZipEntry& entry, uint64_t position)>;
// Which entries to extract.
using EntryFilter = std::function<bool(const ZipEntry& entry)>;

// An open archive. The constructor reads and checks the whole directory; memory grows with
// the directory, never with the members' data.
class ZipArchive {
 public:
  // Most entries one archive may hold; more is refused as hostile.
  static constexpr size_t kMaxEntries = 1000000;

  // Reads the directory of `source`; `archiveName` names the archive in messages. Throws
  // ZipError when the archive is damaged, cut short, hostile (overlapping entries) or split
  // over several disks.
  ZipArchive(ByteSource& source, std::wstring archiveName, OemDecoder oem = DecodeCp437);
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  const std::vector<ZipEntry>& entries() const { return entries_; }
  const std::wstring& archiveName() const { return archiveName_; }

  // The sum over the entries of (uncompressed size shifted right by 10): the archive's size
  // in KB as the extraction gauge counts it.
  uint64_t SizeInKb() const;

  // Extracts one entry into `target`. Folder entries create their folder. Throws ZipError
  // naming the entry when its path would leave the destination, it is encrypted or uses an
  // unknown method, its data fail the CRC or size check (the partly written file is then
  // removed), or it cannot be written.
  void ExtractEntry(const ZipEntry& entry,
                    ExtractTarget& target,
                    const ProgressHandler& progress) const;

  // Extracts, in archive order, the entries `filter` accepts (all when it is empty). Every
  // accepted entry's path, encryption and method are checked before anything is written.
  void ExtractAll(ExtractTarget& target,
                  const ProgressHandler& progress,
                  const EntryFilter& filter = {}) const;

  // As ExtractAll, with the members inflated and checked on a second thread while this one
  // writes the members before them: the same checks, files, progress reports and messages,
  // in the same order; a member's damage is raised when its turn to be written comes, and
  // nothing after it is written. At most kInflatedAhead bytes wait between the two threads.
  // For a machine with a second processor (the media tool); defined in
  // zip_inflate_ahead.cpp, which only the native build carries.
  void ExtractAllInflatingAhead(ExtractTarget& target,
                                const ProgressHandler& progress,
                                const EntryFilter& filter = {}) const;
  static constexpr size_t kInflatedAhead = 1 << 20;

  // Reads one entry's data through `sink` with the same checks as ExtractEntry, writing
  // nothing (tests, the fuzzer, benchmarks).
  void ReadEntry(const ZipEntry& entry,
                 const std::function<void(const char*, size_t)>& sink,
                 const ProgressHandler& progress = {}) const;

 private:
  // The end record's values, and those of a ZIP64 end record at `at`.
  struct EndRecord {
    uint64_t disk, directoryDisk, countOnDisk, count, directorySize, directoryOffset;
  };
  struct End64 {
    uint64_t at, disk, directoryDisk, countOnDisk, count, directorySize, directoryOffset;
  };
  // The ZIP64 end record the locator (read at `locatorPos`) points to, when the locator is
  // well-formed, the record is whole and it agrees with the classic end record; else nullopt.
  std::optional<End64> FindEnd64(const unsigned char* locator,
                                 uint64_t locatorPos,
                                 const EndRecord& classic) const;
  void ReadDirectory(OemDecoder oem);
  void CheckLocalHeaders();
  [[noreturn]] void Fail(const std::wstring& detail) const;
  [[noreturn]] void FailEntry(const ZipEntry& entry, const std::wstring& detail) const;
  void CheckExtractable(const ZipEntry& entry) const;
  std::wstring TargetPath(const ZipEntry& entry) const;
  using Sink = std::function<void(const char*, size_t)>;
  // Hands an entry's data, checked, to the sink, with progress reports as ReadEntry makes
  // them; throws ZipError for damaged data.
  using DataReader = std::function<void(const Sink& sink, const ProgressHandler& progress)>;
  // ExtractEntry with the data from `read`.
  void WriteEntry(const ZipEntry& entry,
                  ExtractTarget& target,
                  const ProgressHandler& progress,
                  const DataReader& read) const;

  // Buffers and the inflate state, made once and reused by every entry.
  struct Workspace;
  Workspace& workspace() const;

  ByteSource& source_;
  std::wstring archiveName_;
  mutable std::unique_ptr<Workspace> workspace_;
  std::vector<ZipEntry> entries_;
  uint64_t directoryStart_ = 0;
};

// Name of a compression method for messages ("Deflate64", "BZIP2", "metoda 77", ...).
std::wstring MethodName(uint16_t method);

}  // namespace kolvar::deploy
