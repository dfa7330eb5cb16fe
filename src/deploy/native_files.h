// The file layer of the native build (the media tool on Linux, the unit tests): POSIX files
// behind the reader's interfaces. Paths are UTF-8.
#pragma once

#include <string>

#include "deploy/zip_reader.h"

namespace kolvar::deploy {

// An archive file read with pread. Throws Error naming the file when it cannot be opened.
class NativeFileSource : public ByteSource {
 public:
  explicit NativeFileSource(const std::string& path);
  ~NativeFileSource() override;
  NativeFileSource(const NativeFileSource&) = delete;
  NativeFileSource& operator=(const NativeFileSource&) = delete;
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
};

// Extraction into a folder: "\" in relative paths becomes "/". Existing files are replaced
// (unlinked first, so a hard link or a read-only file is not written through); the DOS date
// and time, taken as local time, become the modification time; the read-only attribute
// clears the write permissions.
class NativeExtractTarget : public ExtractTarget {
 public:
  explicit NativeExtractTarget(std::string root) : root_(std::move(root)) {}
  void CreateFolders(const std::wstring& relativeFolder) override;
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override;
  void RemoveFile(const std::wstring& relativePath) noexcept override;
  std::string FullPath(const std::wstring& relativePath) const;

 private:
  std::string root_;
  std::string lastFolder_;
};

}  // namespace kolvar::deploy
