// The reader's file layer on Windows: archives read with ReadFile, members written with
// CreateFileW, their DOS date and time and attributes set as the installer promises.
#pragma once

#include <windows.h>

#include <string>

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

// Extraction below `root` (with or without a trailing "\"). An existing file is replaced;
// a read-only or locked one makes CreateFile fail with the system's message. Each file gets
// the entry's DOS date and time (local time) as creation and last-write time and, for
// entries made on MS-DOS, the entry's read-only, hidden, system and archive attributes.
class WinExtractTarget : public ExtractTarget {
 public:
  explicit WinExtractTarget(std::wstring root) : root_(std::move(root)) {}
  void CreateFolders(const std::wstring& relativeFolder) override;
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override;
  void RemoveFile(const std::wstring& relativePath) noexcept override;

 private:
  std::wstring root_;
  std::wstring lastFolder_;
};

// Stored names not marked UTF-8, in the system's OEM code page.
std::wstring DecodeOem(std::string_view bytes);

// The archive's size in KB as the extraction gauge counts it (sum of each entry's size
// shifted right by 10). Throws ZipError or SystemError when it cannot be read.
uint64_t CountArchive(const std::wstring& archivePath);

}  // namespace kolvar::deploy
