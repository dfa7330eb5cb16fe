// The reader's file layer on Windows: archives read with ReadFile, members written with
// CreateFileW, their DOS date and time and attributes set as the installer promises.
#pragma once

#include <windows.h>

#include <string>

#include "deploy/file_layer.h"
#include "deploy/zip_reader.h"
#include "platform/unique_handle.h"

namespace kolvar::deploy {

// The system's WriteFile, through which the assembly and the extraction write every byte;
// tests put a failing one in its place to play a full disk.
using WriteFileFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
extern WriteFileFunction WriteFileForCopy;

// Writes all `size` bytes to `file` through WriteFileForCopy. Throws SystemError
// "<context>: <system text>"; a write that takes no byte counts as a full disk.
void WriteAllBytes(HANDLE file, const char* data, size_t size, const std::wstring& context);

// An archive file, shared for reading. Throws SystemError naming the file when it cannot be
// opened.
class WinFileSource : public ByteSource {
 public:
  explicit WinFileSource(const std::wstring& path);
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* buffer, size_t size) override;

 private:
  std::wstring path_;
  ScopedFile file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

// The file layer's system on Windows. Files are written through WriteFileForCopy and, when
// `flush`, flushed to the disk before they are closed when they take the place of a file that
// exists; moves replace and write through.
class WinFileSystem : public FileSystem {
 public:
  explicit WinFileSystem(bool flush = true) : flush_(flush) {}
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

 private:
  bool flush_;
};

// Extraction below `root` (with or without a trailing "\"), each file replaced whole or not
// at all: written under a temporary name, checked and moved over the old one. A read-only or
// locked old file makes the move fail with the system's message, and stays as it was. Each
// file gets the entry's DOS date and time (local time) as creation and last-write time and,
// for entries made on MS-DOS, the entry's read-only, hidden, system and archive attributes.
class WinExtractTarget : public ExtractTarget {
 public:
  explicit WinExtractTarget(std::wstring root) : target_(files_, std::move(root)) {}
  void CreateFolders(const std::wstring& relativeFolder) override {
    target_.CreateFolders(relativeFolder);
  }
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override {
    return target_.CreateOutputFile(relativePath);
  }
  void RemoveFile(const std::wstring&) noexcept override {}

 private:
  WinFileSystem files_{false};
  ReplacingTarget target_;
};

// Stored names not marked UTF-8, in the system's OEM code page.
std::wstring DecodeOem(std::string_view bytes);

// The archive's size in KB as the extraction gauge counts it (sum of each entry's size
// shifted right by 10). Throws ZipError or SystemError when it cannot be read.
uint64_t CountArchive(const std::wstring& archivePath);

}  // namespace kolvar::deploy
