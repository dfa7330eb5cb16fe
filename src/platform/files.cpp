#include "platform/files.h"

#include <objbase.h>

#include "platform/system_error.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar {

bool FileExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::wstring& path) {
  std::wstring folder = ExcludeTrailingBackslash(path);
  if (folder.empty())
    return false;
  if (DirectoryExists(folder))
    return true;
  // A drive root ("C:") or a server share that does not exist cannot be made.
  if (folder.size() == 2 && folder[1] == L':')
    return false;
  size_t slash = folder.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 0 && !ForceDirectories(folder.substr(0, slash)))
    return false;
  return ::CreateDirectoryW(folder.c_str(), nullptr) || DirectoryExists(folder);
}

bool CopyFileReplacing(const std::wstring& from, const std::wstring& to) {
  return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool DeleteFileForced(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  return ::DeleteFileW(path.c_str()) != 0;
}

std::optional<uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
    return std::nullopt;
  return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFileBytes(const std::wstring& path) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    ThrowLastError(L"Nu pot deschide fisierul " + path);
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  for (;;) {
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
      ThrowLastError(L"Nu pot citi fisierul " + path);
    if (got == 0)
      break;
    bytes.append(buffer, got);
  }
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    ThrowLastError(L"Nu pot crea fisierul " + path);
  DWORD written = 0;
  if (!bytes.empty() && (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &written, nullptr) ||
                         written != bytes.size()))
    ThrowLastError(L"Nu pot scrie fisierul " + path);
}

std::optional<std::wstring> ReadFirstLineAnsi(const std::wstring& path) {
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return std::nullopt;
  // A marker line is a folder path; anything longer than this is not a marker.
  char buffer[4096];
  DWORD got = 0;
  if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
    return std::nullopt;
  std::string line(buffer, got);
  size_t end = line.find_first_of("\r\n");
  if (end != std::string::npos)
    line.resize(end);
  return AnsiToWide(line);
}

namespace {

class SystemConverter : public CodePageConverter {
 public:
  std::optional<std::string> Encode(unsigned codePage,
                                    std::wstring_view text,
                                    bool noBestFit,
                                    bool* usedDefault) const override {
    DWORD flags = noBestFit ? WC_NO_BEST_FIT_CHARS : 0;
    BOOL used = FALSE;
    BOOL* usedArg = usedDefault ? &used : nullptr;
    int length = static_cast<int>(text.size());
    int size =
        ::WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedArg);
    if (size <= 0)
      return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    if (::WideCharToMultiByte(codePage, flags, text.data(), length, out.data(), size, nullptr,
                              usedArg) != size)
      return std::nullopt;
    if (usedDefault)
      *usedDefault = used != FALSE;
    return out;
  }
  std::wstring Decode(unsigned codePage, std::string_view bytes) const override {
    int length = static_cast<int>(bytes.size());
    int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
      ::MultiByteToWideChar(codePage, 0, bytes.data(), length, out.data(), size);
    return out;
  }
};

}  // namespace

std::optional<std::string> WideToAnsiExact(const std::wstring& text) {
  return EncodeExact(SystemConverter(), ::GetACP(), text);
}

std::string WideToAnsi(std::wstring_view text) {
  if (text.empty())
    return std::string();
  return SystemConverter().Encode(CP_ACP, text, false, nullptr).value_or(std::string());
}

std::wstring AnsiToWide(const std::string& bytes) {
  if (bytes.empty())
    return std::wstring();
  int size =
      ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                          size);
  return out;
}

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  ScopedFind find(::FindFirstFileW(JoinPath(folder, pattern).c_str(), &data));
  if (!find)
    return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      names.emplace_back(data.cFileName);
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

std::wstring ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      ThrowLastError(L"GetModuleFileName");
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 2];
  DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH + 1)
    ThrowLastError(L"GetTempPath");
  return IncludeTrailingBackslash(std::wstring(buffer, length));
}

std::wstring WindowsFolder() {
  wchar_t buffer[MAX_PATH + 1];
  UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH)
    ThrowLastError(L"GetWindowsDirectory");
  return ExcludeTrailingBackslash(std::wstring(buffer, length));
}

UINT DriveTypeOf(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') {
    std::wstring root = path.substr(0, 2) + L"\\";
    return ::GetDriveTypeW(root.c_str());
  }
  if (path.rfind(L"\\\\", 0) == 0)
    return DRIVE_REMOTE;
  return ::GetDriveTypeW(nullptr);
}

std::optional<std::wstring> NewGuidText() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid)))
    return std::nullopt;
  wchar_t text[40];
  if (::StringFromGUID2(guid, text, 40) == 0)
    return std::nullopt;
  return std::wstring(text);
}

}  // namespace kolvar
