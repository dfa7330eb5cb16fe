#include "deploy/win_files.h"

#include "platform/files.h"
#include "platform/system_error.h"
#include "platform/text.h"

namespace kolvar::deploy {

WriteFileFunction WriteFileForCopy = ::WriteFile;

void WriteAllBytes(HANDLE file, const char* data, size_t size, const std::wstring& context) {
  while (size > 0) {
    DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size), written = 0;
    if (!WriteFileForCopy(file, data, chunk, &written, nullptr))
      ThrowLastError(context);
    // A disk file that takes nothing has no room left; the system may not say so itself.
    if (written == 0)
      ThrowSystemError(ERROR_DISK_FULL, context);
    data += written;
    size -= written;
  }
}

namespace {

class WinOutputFile : public OutputFile {
 public:
  WinOutputFile(ScopedFile file, std::wstring path)
      : file_(std::move(file)), path_(std::move(path)) {}
  void Write(const char* data, size_t size) override {
    WriteAllBytes(file_.get(), data, size, L"Nu pot scrie fisierul " + path_);
    written_ += size;
  }
  void Finish(uint16_t dosDate, uint16_t dosTime, std::optional<uint8_t> attributes) override {
    // What the file holds, not what the writes said they took, decides.
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file_.get(), &size))
      ThrowLastError(L"Nu pot scrie fisierul " + path_);
    if (static_cast<uint64_t>(size.QuadPart) != written_)
      ThrowSystemError(ERROR_DISK_FULL, L"Nu pot scrie fisierul " + path_);
    FILETIME local, utc;
    if (::DosDateTimeToFileTime(dosDate, dosTime, &local) &&
        ::LocalFileTimeToFileTime(&local, &utc))
      ::SetFileTime(file_.get(), &utc, nullptr, &utc);
    HANDLE h = file_.release();
    if (!::CloseHandle(h))
      ThrowLastError(L"Nu pot inchide fisierul " + path_);
    if (attributes) {
      DWORD kept = *attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
      if (!::SetFileAttributesW(path_.c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL))
        ThrowLastError(L"Nu pot seta atributele fisierului " + path_);
    }
  }

 private:
  ScopedFile file_;
  std::wstring path_;
  uint64_t written_ = 0;
};

}  // namespace

WinFileSource::WinFileSource(const std::wstring& path) : path_(path) {
  file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file_)
    ThrowLastError(L"Nu pot deschide arhiva " + path);
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file_.get(), &size))
    ThrowLastError(L"Nu pot citi arhiva " + path);
  size_ = static_cast<uint64_t>(size.QuadPart);
}

void WinFileSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  if (offset != position_) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file_.get(), to, nullptr, FILE_BEGIN))
      ThrowLastError(L"Nu pot citi arhiva " + path_);
    position_ = offset;
  }
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD want = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size), got = 0;
    if (!::ReadFile(file_.get(), out, want, &got, nullptr)) {
      position_ = UINT64_MAX;
      ThrowLastError(L"Nu pot citi arhiva " + path_);
    }
    if (got == 0) {
      position_ = UINT64_MAX;
      throw Error(L"Arhiva " + path_ + L" se termina prea devreme");
    }
    out += got;
    size -= got;
    position_ += got;
  }
}

void WinExtractTarget::CreateFolders(const std::wstring& relativeFolder) {
  std::wstring folder = relativeFolder.empty() ? root_ : JoinPath(root_, relativeFolder);
  if (!ForceDirectories(folder))
    ThrowLastError(L"Nu pot crea folderul " + folder);
}

std::unique_ptr<OutputFile> WinExtractTarget::CreateOutputFile(const std::wstring& relativePath) {
  std::wstring path = JoinPath(root_, relativePath);
  // Windows refuses to replace a read-only file; say so the same way everywhere (a process
  // with more rights than the user's, or Wine as root, would write through it).
  DWORD existing = ::GetFileAttributesW(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
    ThrowSystemError(ERROR_ACCESS_DENIED, L"Nu pot crea fisierul " + path);
  // CREATE_ALWAYS refuses to replace a hidden or system file unless asked for the same
  // attributes; such files come from earlier extractions of DOS-made entries.
  if (existing != INVALID_FILE_ATTRIBUTES &&
      (existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    ThrowLastError(L"Nu pot crea fisierul " + path);
  return std::make_unique<WinOutputFile>(std::move(file), path);
}

void WinExtractTarget::RemoveFile(const std::wstring& relativePath) noexcept {
  ::DeleteFileW(JoinPath(root_, relativePath).c_str());
}

std::wstring DecodeOem(std::string_view bytes) {
  if (bytes.empty())
    return std::wstring();
  int size =
      ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (size <= 0)
    return DecodeCp437(bytes);
  std::wstring out(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                        size);
  return out;
}

uint64_t CountArchive(const std::wstring& archivePath) {
  WinFileSource source(archivePath);
  return ZipArchive(source, archivePath, DecodeOem).SizeInKb();
}

}  // namespace kolvar::deploy
