// The file layer of the native build (the media tool on Linux, the unit tests): POSIX files
// behind the reader's interfaces. Paths are UTF-8.
#pragma once

#include <string>

#include "deploy/file_layer.h"
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

// The file layer's system on POSIX files. A Windows path becomes a host path through
// `Map` (by default "\" read as "/"); attributes are played by the write permissions
// (read-only) and the file type (folder). Room is the host file system's; the volume is the
// path's drive ("C:\") when it has one.
class NativeFileSystem : public FileSystem {
 public:
  std::optional<uint32_t> Attributes(const std::wstring& path) override;
  std::vector<FolderItem> List(const std::wstring& folder) override;
  void CreateFolder(const std::wstring& path) override;
  void RemoveFolder(const std::wstring& path) override;
  std::unique_ptr<OutputFile> CreateFile(const std::wstring& path) override;
  void Move(const std::wstring& from, const std::wstring& to) override;
  void Delete(const std::wstring& path) override;
  void CopyFile(const std::wstring& from, const std::wstring& to) override;
  void SetAttributes(const std::wstring& path, uint32_t attributes) override;
  std::optional<std::string> ReadSmallFile(const std::wstring& path) override;
  WriteAccess CheckWriteAccess(const std::wstring& path, std::wstring& reason) override;
  std::optional<VolumeSpace> Space(const std::wstring& path) override;

 protected:
  virtual std::string Map(const std::wstring& path);
};

// Extraction into a folder: "\" in relative paths becomes "/". Each file is written under a
// temporary name and renamed over the old one once whole, so a failure leaves the old file
// as it was; the DOS date and time, taken as local time, become the modification time; the
// read-only attribute clears the write permissions.
class NativeExtractTarget : public ExtractTarget {
 public:
  explicit NativeExtractTarget(std::string root);
  void CreateFolders(const std::wstring& relativeFolder) override {
    target_.CreateFolders(relativeFolder);
  }
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override {
    return target_.CreateOutputFile(relativePath);
  }
  void RemoveFile(const std::wstring&) noexcept override {}
  std::string FullPath(const std::wstring& relativePath) const;

 private:
  std::string root_;
  NativeFileSystem files_;
  ReplacingTarget target_;
};

}  // namespace kolvar::deploy
