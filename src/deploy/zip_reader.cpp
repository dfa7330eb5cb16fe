#include "deploy/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "deploy/crc32.h"
#include "platform/text.h"

namespace kolvar::deploy {
namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kEnd64Signature = 0x06064b50;
constexpr uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kEnd64Size = 56;
constexpr size_t kEnd64LocatorSize = 20;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kZip64Field = 0x0001;
constexpr uint16_t kUnicodePathField = 0x7075;
constexpr uint16_t kUtf8Flag = 1 << 11;
constexpr uint16_t kDescriptorFlag = 1 << 3;
constexpr int kUnixHost = 3;

// Reading and inflating go through fixed buffers: memory does not grow with member sizes.
constexpr size_t kInputChunk = 64 * 1024;
constexpr size_t kOutputChunk = 256 * 1024;

uint16_t Get16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Get32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Get64(const unsigned char* p) {
  return Get32(p) | (static_cast<uint64_t>(Get32(p + 4)) << 32);
}

std::wstring Number(uint64_t value) {
  return DecimalText(value);
}

// Sequential reading of a region through a window, for the central directory.
class RegionReader {
 public:
  RegionReader(ByteSource& source, uint64_t start, uint64_t end)
      : source_(source), pos_(start), end_(end) {}
  uint64_t remaining() const { return end_ - pos_; }
  // The next `size` bytes (size <= kWindow), valid until the next call.
  const unsigned char* Take(size_t size) {
    if (size > remaining())
      return nullptr;
    if (bufferPos_ + size > buffer_.size()) {
      size_t keep = buffer_.size() - bufferPos_;
      if (keep)  // an empty buffer has no data to move, nor a pointer to give
        std::memmove(buffer_.data(), buffer_.data() + bufferPos_, keep);
      uint64_t want = std::min<uint64_t>(kWindow - keep, remaining() - keep);
      buffer_.resize(keep + static_cast<size_t>(want));
      source_.ReadAt(pos_ + keep, buffer_.data() + keep, static_cast<size_t>(want));
      bufferPos_ = 0;
    }
    const unsigned char* p = buffer_.data() + bufferPos_;
    bufferPos_ += size;
    pos_ += size;
    return p;
  }

  static constexpr size_t kWindow = 256 * 1024;  // holds a whole header with its fields

 private:
  ByteSource& source_;
  uint64_t pos_;
  uint64_t end_;
  std::vector<unsigned char> buffer_;
  size_t bufferPos_ = 0;
};

// Strict UTF-8: no overlong forms, surrogates or values past U+10FFFF.
bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > s.size())
      return false;
    uint32_t cp = length == 1 ? b : b & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80)
        return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

bool IsSeparator(wchar_t c) {
  return c == L'/' || c == L'\\';
}

bool IsDeviceName(std::wstring_view part) {
  std::wstring base(part.substr(0, part.find(L'.')));
  while (!base.empty() && base.back() == L' ')
    base.pop_back();
  base = AsciiUpper(base);
  static const wchar_t* const kDevices[] = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                            L"CONIN$", L"CONOUT$", L"CLOCK$"};
  for (const wchar_t* device : kDevices)
    if (base == device)
      return true;
  return base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
         base[3] >= L'0' && base[3] <= L'9';
}

bool IsUsablePart(std::wstring_view part) {
  if (part.empty() || part == L"..")
    return false;
  if (part.back() == L'.' || part.back() == L' ')
    return false;
  for (wchar_t c : part) {
    if (c < 0x20 || c == L':' || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' ||
        c == L'*')
      return false;
  }
  return !IsDeviceName(part);
}

}  // namespace

void MemorySource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (offset > bytes_.size() || size > bytes_.size() - offset)
    throw Error(L"Citire dincolo de sfarsitul arhivei");
  std::memcpy(buffer, bytes_.data() + offset, size);
}

bool ZipEntry::isDirectory() const {
  return !rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\');
}

std::optional<uint8_t> ZipEntry::dosAttributes() const {
  if (host() != 0)
    return std::nullopt;
  return static_cast<uint8_t>(externalAttributes & 0xFF);
}

std::wstring MethodName(uint16_t method) {
  switch (method) {
    case 0:
      return L"Stored";
    case 1:
      return L"Shrink";
    case 2:
    case 3:
    case 4:
    case 5:
      return L"Reduce";
    case 6:
      return L"Implode";
    case 8:
      return L"Deflate";
    case 9:
      return L"Deflate64";
    case 12:
      return L"BZIP2";
    case 14:
      return L"LZMA";
    case 93:
      return L"Zstandard";
    case 95:
      return L"XZ";
    case 98:
      return L"PPMd";
    case 99:
      return L"AES";
    default:
      return L"metoda " + Number(method);
  }
}

std::optional<std::wstring> SafeRelativePath(std::wstring_view name) {
  // Absolute and UNC paths begin with a separator; drive letters and streams carry a colon,
  // which IsUsablePart refuses in any part.
  if (name.empty() || IsSeparator(name.front()))
    return std::nullopt;
  std::wstring path;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end]))
      ++end;
    std::wstring_view part = name.substr(start, end - start);
    bool last = end >= name.size();
    if (part.empty()) {
      // Only a trailing separator (a folder entry) may leave an empty part.
      if (!last)
        return std::nullopt;
    } else if (part != L".") {
      if (!IsUsablePart(part))
        return std::nullopt;
      if (!path.empty())
        path += L'\\';
      path += part;
    }
    start = end + 1;
  }
  // Only "." parts ("./", as some writers store the top folder) name the destination itself.
  return path;
}

ZipArchive::ZipArchive(ByteSource& source, std::wstring archiveName, OemDecoder oem)
    : source_(source), archiveName_(std::move(archiveName)) {
  try {
    ReadDirectory(oem ? oem : DecodeCp437);
    CheckLocalHeaders();
  } catch (const ZipError&) {
    throw;
  } catch (const Error& e) {
    Fail(e.message());
  }
}

struct ZipArchive::Workspace {
  Workspace() : input(kInputChunk), output(kOutputChunk) {
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
      throw ZipError(L"zlib nu porneste");
  }
  ~Workspace() { inflateEnd(&z); }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  std::vector<char> input, output;
  z_stream z{};
};

ZipArchive::~ZipArchive() = default;

ZipArchive::Workspace& ZipArchive::workspace() const {
  if (!workspace_)
    workspace_ = std::make_unique<Workspace>();
  return *workspace_;
}

void ZipArchive::Fail(const std::wstring& detail) const {
  throw ZipError(L"Arhiva " + archiveName_ + L" este deteriorata: " + detail);
}

void ZipArchive::FailEntry(const ZipEntry& entry, const std::wstring& detail) const {
  throw ZipError(L"Arhiva " + archiveName_ + L", intrarea \"" +
                 EscapeControlCharacters(entry.name) + L"\": " + detail);
}

std::optional<ZipArchive::End64> ZipArchive::FindEnd64(const unsigned char* locator,
                                                       uint64_t locatorPos,
                                                       const EndRecord& classic) const {
  // The locator names the disk holding the record (the only one) and the number of disks.
  if (Get32(locator + 4) != 0 || Get32(locator + 16) > 1)
    return std::nullopt;
  uint64_t declared = Get64(locator + 8);
  // With data in front of the archive the declared offset is short by its length; the record
  // then sits right before the locator.
  const uint64_t candidates[] = {declared,
                                 locatorPos >= kEnd64Size ? locatorPos - kEnd64Size : UINT64_MAX};
  for (uint64_t at : candidates) {
    if (at > locatorPos || locatorPos - at < kEnd64Size)
      continue;
    unsigned char r[kEnd64Size];
    source_.ReadAt(at, r, sizeof r);
    uint64_t recordSize = Get64(r + 4);
    if (Get32(r) != kEnd64Signature || recordSize < kEnd64Size - 12 ||
        recordSize > locatorPos - at - 12)
      continue;
    End64 e{at,           Get32(r + 16), Get32(r + 20), Get64(r + 24), Get64(r + 32), Get64(r + 40),
            Get64(r + 48)};
    // Every value of the classic record is either the ZIP64 marker or the same value.
    auto agrees = [](uint64_t classicValue, uint64_t marker, uint64_t value) {
      return classicValue == marker || classicValue == value;
    };
    if (agrees(classic.disk, 0xFFFF, e.disk) &&
        agrees(classic.directoryDisk, 0xFFFF, e.directoryDisk) &&
        agrees(classic.countOnDisk, 0xFFFF, e.countOnDisk) &&
        agrees(classic.count, 0xFFFF, e.count) &&
        agrees(classic.directorySize, 0xFFFFFFFF, e.directorySize) &&
        agrees(classic.directoryOffset, 0xFFFFFFFF, e.directoryOffset))
      return e;
  }
  return std::nullopt;
}

void ZipArchive::ReadDirectory(OemDecoder oem) {
  const uint64_t size = source_.Size();
  if (size < kEndSize)
    Fail(L"nu este o arhiva ZIP (prea scurta)");

  // The end record sits behind an optional comment of at most 65,535 bytes.
  const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(size, kEndSize + 0xFFFF));
  std::vector<unsigned char> tail(tailSize);
  source_.ReadAt(size - tailSize, tail.data(), tailSize);
  std::optional<size_t> found, loose;
  for (size_t i = tailSize - kEndSize + 1; i-- > 0;) {
    if (Get32(&tail[i]) != kEndSignature)
      continue;
    size_t commentEnd = i + kEndSize + Get16(&tail[i + 20]);
    if (commentEnd == tailSize) {
      found = i;
      break;
    }
    if (!loose && commentEnd <= tailSize)
      loose = i;
  }
  if (!found)
    found = loose;
  if (!found)
    Fail(L"nu este o arhiva ZIP (lipseste sfarsitul directorului)");
  const unsigned char* end = &tail[*found];
  const uint64_t endPos = size - tailSize + *found;

  uint64_t disk = Get16(end + 4), directoryDisk = Get16(end + 6);
  uint64_t count = Get16(end + 10);
  uint64_t directorySize = Get32(end + 12);
  uint64_t directoryOffset = Get32(end + 16);
  uint64_t recordPos = endPos;  // the record the directory ends at
  bool zip64 = false, locatorSeen = false;

  // A ZIP64 record is trusted only when the locator before the end record agrees with it;
  // the locator's signature alone may be bytes of the last entry's name or comment.
  if (endPos >= kEnd64LocatorSize) {
    unsigned char locator[kEnd64LocatorSize];
    source_.ReadAt(endPos - kEnd64LocatorSize, locator, sizeof locator);
    if (Get32(locator) == kEnd64LocatorSignature) {
      locatorSeen = true;
      std::optional<End64> record = FindEnd64(
          locator, endPos - kEnd64LocatorSize,
          EndRecord{disk, directoryDisk, Get16(end + 8), count, directorySize, directoryOffset});
      if (record) {
        zip64 = true;
        disk = record->disk;
        directoryDisk = record->directoryDisk;
        count = record->count;
        directorySize = record->directorySize;
        directoryOffset = record->directoryOffset;
        recordPos = record->at;
      }
    }
  }
  // Without a record it can trust, the classic one serves only when nothing in it is a ZIP64
  // marker.
  if (locatorSeen && !zip64 &&
      (disk == 0xFFFF || directoryDisk == 0xFFFF || Get16(end + 8) == 0xFFFF || count == 0xFFFF ||
       directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF))
    Fail(L"inregistrarea ZIP64 de sfarsit lipseste sau este stricata");
  if (disk != 0 || directoryDisk != 0)
    Fail(L"arhiva este impartita pe mai multe discuri; alaturati intai partile");
  if (directorySize > recordPos)
    Fail(L"directorul central depaseste arhiva");

  // Data in front of the archive (a self-extractor stub, for example) shifts every offset.
  uint64_t directoryStart = recordPos - directorySize;
  if (directoryOffset > directoryStart)
    Fail(L"directorul central depaseste arhiva");
  uint64_t shift = directoryStart - directoryOffset;
  if (shift != 0 && directorySize >= 4) {
    unsigned char sig[4];
    source_.ReadAt(directoryStart, sig, 4);
    if (Get32(sig) != kCentralSignature) {
      // Something sits between the directory and its end record: trust the offset.
      shift = 0;
      directoryStart = directoryOffset;
    }
  }
  directoryStart_ = directoryStart;
  if (!zip64 && count > kMaxEntries)
    Fail(L"prea multe intrari");

  RegionReader reader(source_, directoryStart, directoryStart + directorySize);
  // The directory is walked by its size: writers that overflow the 16-bit entry count
  // still give every entry.
  while (reader.remaining() > 0) {
    const unsigned char* h = reader.Take(kCentralSize);
    if (!h || Get32(h) != kCentralSignature)
      Fail(L"directorul central este stricat (intrarea " + Number(entries_.size() + 1) + L")");
    if (entries_.size() >= kMaxEntries)
      Fail(L"prea multe intrari");
    ZipEntry e;
    e.versionMadeBy = Get16(h + 4);
    e.flags = Get16(h + 8);
    e.method = Get16(h + 10);
    e.dosTime = Get16(h + 12);
    e.dosDate = Get16(h + 14);
    e.crc32 = Get32(h + 16);
    e.compressedSize = Get32(h + 20);
    e.uncompressedSize = Get32(h + 24);
    uint16_t nameLength = Get16(h + 28), extraLength = Get16(h + 30), commentLength = Get16(h + 32);
    uint32_t startDisk = Get16(h + 34);
    e.externalAttributes = Get32(h + 38);
    e.localHeaderOffset = Get32(h + 42);

    const unsigned char* p = reader.Take(nameLength);
    if (!p)
      Fail(L"directorul central este taiat");
    e.rawName = std::string(reinterpret_cast<const char*>(p), nameLength);
    p = reader.Take(extraLength);
    if (!p)
      Fail(L"directorul central este taiat");
    std::string unicodePath;
    bool unicodePathValid = false;
    bool needSize = e.uncompressedSize == 0xFFFFFFFF,
         needCompressed = e.compressedSize == 0xFFFFFFFF,
         needOffset = e.localHeaderOffset == 0xFFFFFFFF, needDisk = startDisk == 0xFFFF;
    for (size_t i = 0; i + 4 <= extraLength;) {
      uint16_t id = Get16(p + i), length = Get16(p + i + 2);
      const unsigned char* field = p + i + 4;
      if (i + 4 + length > extraLength)
        break;
      if (id == kZip64Field) {
        size_t at = 0;
        auto take64 = [&](bool need, uint64_t& value) {
          if (!need)
            return;
          if (at + 8 > length)
            Fail(L"campul ZIP64 al intrarii \"" + Utf8ToWide(e.rawName) + L"\" este prea scurt");
          value = Get64(field + at);
          at += 8;
        };
        take64(needSize, e.uncompressedSize);
        take64(needCompressed, e.compressedSize);
        take64(needOffset, e.localHeaderOffset);
        if (needDisk) {
          if (at + 4 > length)
            Fail(L"campul ZIP64 este prea scurt");
          startDisk = Get32(field + at);
        }
        needSize = needCompressed = needOffset = needDisk = false;
      } else if (id == kUnicodePathField && length >= 5 && field[0] == 1) {
        if (Get32(field + 1) == Crc32(0, e.rawName.data(), e.rawName.size())) {
          unicodePath = std::string(reinterpret_cast<const char*>(field + 5), length - 5);
          unicodePathValid = true;
        }
      }
      i += 4 + length;
    }
    if (needSize || needCompressed || needOffset || needDisk)
      Fail(L"lipseste campul ZIP64 al intrarii \"" + Utf8ToWide(e.rawName) + L"\"");
    if (startDisk != 0)
      Fail(L"arhiva este impartita pe mai multe discuri; alaturati intai partile");
    if (!reader.Take(commentLength))
      Fail(L"directorul central este taiat");

    if (e.flags & kUtf8Flag)
      e.name = Utf8ToWide(e.rawName);
    else if (unicodePathValid)
      e.name = Utf8ToWide(unicodePath);
    else if (e.host() == kUnixHost && IsValidUtf8(e.rawName))
      // Unix writers store the bytes of their UTF-8 file names without the flag.
      e.name = Utf8ToWide(e.rawName);
    else
      e.name = oem(e.rawName);
    if (e.localHeaderOffset > UINT64_MAX - shift)
      Fail(L"deplasament de intrare gresit");
    e.localHeaderOffset += shift;
    entries_.push_back(std::move(e));
  }
  if (zip64 ? count != entries_.size() : count != (entries_.size() & 0xFFFF))
    Fail(L"numarul de intrari nu se potriveste cu directorul central");
}

void ZipArchive::CheckLocalHeaders() {
  std::vector<unsigned char> header;
  for (ZipEntry& e : entries_) {
    if (e.localHeaderOffset > directoryStart_ ||
        directoryStart_ - e.localHeaderOffset < kLocalSize + e.rawName.size())
      FailEntry(e, L"antetul local este in afara datelor arhivei");
    header.resize(kLocalSize + e.rawName.size());
    source_.ReadAt(e.localHeaderOffset, header.data(), header.size());
    const unsigned char* h = header.data();
    if (Get32(h) != kLocalSignature)
      FailEntry(e, L"antetul local lipseste");
    uint16_t nameLength = Get16(h + 26), extraLength = Get16(h + 28);
    if (nameLength != e.rawName.size() ||
        std::memcmp(h + kLocalSize, e.rawName.data(), nameLength) != 0)
      FailEntry(e, L"antetul local nu se potriveste cu directorul central (nume)");
    if (Get16(h + 8) != e.method)
      FailEntry(e, L"antetul local nu se potriveste cu directorul central (metoda)");
    if (!(Get16(h + 6) & kDescriptorFlag)) {
      uint32_t crc = Get32(h + 14), compressed = Get32(h + 18), uncompressed = Get32(h + 22);
      if (crc != e.crc32 || (compressed != 0xFFFFFFFF && compressed != e.compressedSize) ||
          (uncompressed != 0xFFFFFFFF && uncompressed != e.uncompressedSize))
        FailEntry(e, L"antetul local nu se potriveste cu directorul central (dimensiuni)");
    }
    e.dataOffset = e.localHeaderOffset + kLocalSize + nameLength + extraLength;
    if (e.dataOffset > directoryStart_ || directoryStart_ - e.dataOffset < e.compressedSize)
      FailEntry(e, L"datele depasesc arhiva (arhiva taiata?)");
  }

  // No member's data may reach into another member: that is how zip bombs multiply one
  // stream into many entries.
  std::vector<const ZipEntry*> byOffset;
  byOffset.reserve(entries_.size());
  for (const ZipEntry& e : entries_)
    byOffset.push_back(&e);
  std::sort(byOffset.begin(), byOffset.end(), [](const ZipEntry* a, const ZipEntry* b) {
    return a->localHeaderOffset < b->localHeaderOffset;
  });
  for (size_t i = 1; i < byOffset.size(); ++i) {
    const ZipEntry& previous = *byOffset[i - 1];
    if (previous.dataOffset + previous.compressedSize > byOffset[i]->localHeaderOffset)
      FailEntry(*byOffset[i], L"datele se suprapun cu ale intrarii \"" +
                                  EscapeControlCharacters(previous.name) +
                                  L"\"; arhiva este refuzata");
  }
}

uint64_t ZipArchive::SizeInKb() const {
  uint64_t kb = 0;
  for (const ZipEntry& e : entries_)
    kb += e.uncompressedSize >> 10;
  return kb;
}

void ZipArchive::CheckExtractable(const ZipEntry& entry) const {
  TargetPath(entry);
  if (entry.isDirectory())
    return;
  if (entry.isEncrypted())
    FailEntry(entry, L"este criptata; nu o pot extrage");
  if (entry.method != 0 && entry.method != 8)
    FailEntry(entry, L"foloseste metoda de compresie " + MethodName(entry.method) +
                         L", pe care nu o cunosc");
}

std::wstring ZipArchive::TargetPath(const ZipEntry& entry) const {
  std::optional<std::wstring> path = SafeRelativePath(entry.name);
  if (!path || (path->empty() && !entry.isDirectory()))
    FailEntry(entry,
              L"calea ar iesi din folderul destinatie sau nu este un nume valid; "
              L"extragerea este oprita");
  return *path;
}

void ZipArchive::ReadEntry(const ZipEntry& entry,
                           const std::function<void(const char*, size_t)>& sink,
                           const ProgressHandler& progress) const {
  CheckExtractable(entry);
  Workspace& work = workspace();
  std::vector<char>& input = work.input;
  std::vector<char>& output = work.output;
  uint64_t offset = entry.dataOffset, left = entry.compressedSize, written = 0;
  uint32_t crc = 0;

  auto emit = [&](const char* data, size_t size) {
    if (size > entry.uncompressedSize - written)
      FailEntry(entry, L"are mai multe date decat declara directorul central");
    crc = Crc32(crc, data, size);
    sink(data, size);
    written += size;
    if (progress && written < entry.uncompressedSize)
      progress(entry, written);
  };
  auto readChunk = [&]() -> size_t {
    size_t n = static_cast<size_t>(std::min<uint64_t>(left, input.size()));
    try {
      source_.ReadAt(offset, input.data(), n);
    } catch (const Error& e) {
      FailEntry(entry, e.message());
    }
    offset += n;
    left -= n;
    return n;
  };

  if (entry.method == 0) {
    if (entry.compressedSize != entry.uncompressedSize)
      FailEntry(entry, L"dimensiunea nu se potriveste cu directorul central");
    while (left > 0) {
      size_t n = readChunk();
      emit(input.data(), n);
    }
  } else {
    z_stream& z = work.z;
    if (inflateReset(&z) != Z_OK)
      FailEntry(entry, L"zlib nu porneste");
    z.avail_in = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (left == 0)
          FailEntry(entry, L"datele comprimate sunt taiate sau stricate");
        z.avail_in = static_cast<uInt>(readChunk());
        z.next_in = reinterpret_cast<Bytef*>(input.data());
      }
      z.next_out = reinterpret_cast<Bytef*>(output.data());
      z.avail_out = static_cast<uInt>(output.size());
      status = inflate(&z, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
        FailEntry(entry, L"datele comprimate sunt stricate");
      size_t produced = output.size() - z.avail_out;
      if (produced > 0)
        emit(output.data(), produced);
      if (status == Z_BUF_ERROR && produced == 0 && z.avail_in != 0)
        FailEntry(entry, L"datele comprimate sunt stricate");
    }
  }
  if (written != entry.uncompressedSize)
    FailEntry(entry, L"dimensiunea nu se potriveste cu directorul central (" + Number(written) +
                         L" in loc de " + Number(entry.uncompressedSize) + L" octeti)");
  if (crc != entry.crc32)
    FailEntry(entry, L"CRC gresit; datele sunt stricate");
  if (progress)
    progress(entry, written);
}

void ZipArchive::ExtractEntry(const ZipEntry& entry,
                              ExtractTarget& target,
                              const ProgressHandler& progress) const {
  WriteEntry(entry, target, progress, [&](const Sink& sink, const ProgressHandler& during) {
    ReadEntry(entry, sink, during);
  });
}

void ZipArchive::WriteEntry(const ZipEntry& entry,
                            ExtractTarget& target,
                            const ProgressHandler& progress,
                            const DataReader& read) const {
  CheckExtractable(entry);
  std::wstring path = TargetPath(entry);
  try {
    if (entry.isDirectory()) {
      target.CreateFolders(path);
      if (progress)
        progress(entry, 0);
      return;
    }
    size_t slash = path.rfind(L'\\');
    target.CreateFolders(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
  } catch (const ZipError&) {
    throw;
  } catch (const Error& e) {
    FailEntry(entry, e.message());
  }

  std::unique_ptr<OutputFile> file;
  try {
    file = target.CreateOutputFile(path);
  } catch (const Error& e) {
    FailEntry(entry, e.message());
  }
  try {
    // The final report waits until the file is closed with its date and attributes.
    ProgressHandler during;
    if (progress)
      during = [&](const ZipEntry& en, uint64_t position) {
        if (position < en.uncompressedSize)
          progress(en, position);
      };
    read([&](const char* data, size_t size) { file->Write(data, size); }, during);
    file->Finish(entry.dosDate, entry.dosTime, entry.dosAttributes());
    file.reset();
  } catch (const ZipError&) {
    file.reset();
    target.RemoveFile(path);
    throw;
  } catch (const Error& e) {
    file.reset();
    target.RemoveFile(path);
    FailEntry(entry, e.message());
  }
  if (progress)
    progress(entry, entry.uncompressedSize);
}

void ZipArchive::ExtractAll(ExtractTarget& target,
                            const ProgressHandler& progress,
                            const EntryFilter& filter) const {
  for (const ZipEntry& e : entries_)
    if (!filter || filter(e))
      CheckExtractable(e);
  for (const ZipEntry& e : entries_)
    if (!filter || filter(e))
      ExtractEntry(e, target, progress);
}

}  // namespace kolvar::deploy
