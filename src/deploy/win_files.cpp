#include "deploy/win_files.h"

#include <cwchar>

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
  WinOutputFile(ScopedFile file, std::wstring path, bool flush)
      : file_(std::move(file)), path_(std::move(path)), flush_(flush) {}
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
    if (flush_ && !::FlushFileBuffers(file_.get()))
      ThrowLastError(L"Nu pot scrie fisierul " + path_);
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
  bool flush_;
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

std::optional<uint32_t> WinFileSystem::Attributes(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return std::nullopt;
  return attributes;
}

std::vector<FolderItem> WinFileSystem::List(const std::wstring& folder) {
  std::vector<FolderItem> items;
  WIN32_FIND_DATAW data;
  ScopedFind find(::FindFirstFileW(JoinPath(folder, L"*").c_str(), &data));
  if (!find)
    return items;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      items.push_back({std::move(name), data.dwFileAttributes,
                       (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
  } while (::FindNextFileW(find.get(), &data));
  return items;
}

void WinFileSystem::CreateFolder(const std::wstring& path) {
  if (::CreateDirectoryW(path.c_str(), nullptr))
    return;
  DWORD code = ::GetLastError();
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (code == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return;
  ThrowSystemError(code, L"Nu pot crea folderul " + path);
}

void WinFileSystem::RemoveFolder(const std::wstring& path) {
  if (!::RemoveDirectoryW(path.c_str()))
    ThrowLastError(L"Nu pot sterge folderul " + path);
}

std::unique_ptr<OutputFile> WinFileSystem::CreateFile(const std::wstring& path) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    ThrowLastError(L"Nu pot crea fisierul " + path);
  // Flushed only where it will take the place of a file that exists: a power cut after the
  // move must not leave an old file replaced by bytes still in the cache. A file that is new
  // where it lands replaces nothing, and a run that dies is done again (a new installation of
  // 15,000 files spends two thirds of its time flushing otherwise).
  bool flush = flush_;
  const size_t suffix = std::wcslen(kPartialSuffix);
  if (flush && path.size() > suffix &&
      path.compare(path.size() - suffix, suffix, kPartialSuffix) == 0 &&
      ::GetFileAttributesW(path.substr(0, path.size() - suffix).c_str()) == INVALID_FILE_ATTRIBUTES)
    flush = false;
  return std::make_unique<WinOutputFile>(std::move(file), path, flush);
}

void WinFileSystem::Move(const std::wstring& from, const std::wstring& to) {
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ThrowLastError(L"Nu pot crea fisierul " + to);
}

void WinFileSystem::Delete(const std::wstring& path) {
  if (!::DeleteFileW(path.c_str()))
    ThrowLastError(L"Nu pot sterge " + path);
}

void WinFileSystem::CopyFile(const std::wstring& from, const std::wstring& to) {
  // A copy of ours from an earlier try may be read-only (it took its original's attributes).
  ::SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!::CopyFileW(from.c_str(), to.c_str(), FALSE))
    ThrowLastError(L"Nu pot copia " + from + L" in " + to);
}

void WinFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  if (!::SetFileAttributesW(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL))
    ThrowLastError(L"Nu pot seta atributele fisierului " + path);
}

std::optional<std::string> WinFileSystem::ReadSmallFile(const std::wstring& path) {
  if (!FileExists(path))
    return std::nullopt;
  try {
    return ReadFileBytes(path);
  } catch (const Error&) {
    return std::nullopt;
  }
}

WriteAccess WinFileSystem::CheckWriteAccess(const std::wstring& path, std::wstring& reason) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  // A process with more rights than the user's (or Wine as root) could write through the
  // read-only attribute; it is refused the same way everywhere.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    reason = SystemMessage(ERROR_ACCESS_DENIED);
    return WriteAccess::kRefused;
  }
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file)
    return WriteAccess::kFree;
  DWORD code = ::GetLastError();
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
    return WriteAccess::kInUse;
  reason = SystemMessage(code);
  return WriteAccess::kRefused;
}

std::optional<VolumeSpace> WinFileSystem::Space(const std::wstring& path) {
  // The nearest folder that exists answers for the volume.
  std::wstring folder = FolderWithoutTrailingBackslash(path);
  while (!folder.empty() && !DirectoryExists(folder)) {
    size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos)
      return std::nullopt;
    folder.resize(slash);
  }
  if (folder.empty())
    return std::nullopt;
  std::wstring existing = IncludeTrailingBackslash(folder);
  ULARGE_INTEGER freeToCaller{}, total{}, totalFree{};
  if (!::GetDiskFreeSpaceExW(existing.c_str(), &freeToCaller, &total, &totalFree))
    return std::nullopt;
  VolumeSpace space;
  space.free = freeToCaller.QuadPart;
  wchar_t volume[MAX_PATH + 1] = {};
  if (::GetVolumePathNameW(existing.c_str(), volume, MAX_PATH))
    space.volume = volume;
  else
    space.volume = existing.substr(0, 3);
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (::GetDiskFreeSpaceW(space.volume.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                          &clusters) &&
      sectorsPerCluster && bytesPerSector)
    space.cluster = sectorsPerCluster * bytesPerSector;
  return space;
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
