// libFuzzer target: any bytes as an archive. Opening, extracting every entry (into memory)
// and reading every entry must end in success or a ZipError, never a crash, a hang or an
// unbounded allocation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "deploy/zip_reader.h"

namespace {

using namespace kolvar::deploy;

class CountingTarget : public ExtractTarget {
 public:
  class File : public OutputFile {
   public:
    void Write(const char*, size_t size) override { bytes += size; }
    void Finish(uint16_t, uint16_t, std::optional<uint8_t>) override {}
    uint64_t bytes = 0;
  };
  void CreateFolders(const std::wstring&) override {}
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring&) override {
    return std::make_unique<File>();
  }
  void RemoveFile(const std::wstring&) noexcept override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource source(std::string(reinterpret_cast<const char*>(data), size));
  try {
    ZipArchive zip(source, L"fuzz.zip", DecodeCp852);
    (void)zip.SizeInKb();
    for (const ZipEntry& e : zip.entries()) {
      (void)SafeRelativePath(e.name);
      try {
        zip.ReadEntry(e, [](const char*, size_t) {});
      } catch (const kolvar::Error&) {
      }
    }
    CountingTarget target;
    zip.ExtractAll(target, [](const ZipEntry&, uint64_t) {});
  } catch (const kolvar::Error&) {
  }
  return 0;
}
