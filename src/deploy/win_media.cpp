#include "deploy/win_media.h"

#include <windows.h>

#include <memory>

#include "deploy/win_files.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar::deploy {

bool WinMediaFiles::IsRemovableDrive(const std::wstring& path) {
  return DriveTypeOf(path) == DRIVE_REMOVABLE;
}

bool WinMediaFiles::FileExists(const std::wstring& path) {
  return kolvar::FileExists(path);
}

std::vector<std::wstring> WinMediaFiles::ListNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  ScopedFind find(::FindFirstFileW(JoinPath(folder, L"*.*").c_str(), &data));
  if (!find)
    return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(std::move(name));
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

uint64_t WinMediaFiles::AppendPart(const std::wstring& extension,
                                   const std::wstring& source,
                                   const std::wstring& target) {
  ScopedFile in(::CreateFileW(source.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  // A part that is listed but cannot be opened (sharing, rights, a bad sector) is an error of
  // its own, never a missing archive.
  if (!in)
    ThrowLastError(L"Nu pot deschide " + source);
  ScopedFile out;
  if (extension == L".1") {
    out.reset(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
      ThrowLastError(L"Nu pot crea arhiva " + target);
  } else {
    out.reset(::CreateFileW(target.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
      DWORD code = ::GetLastError();
      // A continuation whose archive was never begun is the media's fault, and shows as a
      // damaged archive when it is opened.
      if (code == ERROR_FILE_NOT_FOUND)
        return 0;
      ThrowSystemError(code, L"Nu pot deschide arhiva " + target);
    }
  }
  std::wstring context = L"Nu pot scrie arhiva " + target;
  uint64_t copied = 0;
  try {
    LARGE_INTEGER zero{}, end{};
    if (!::SetFilePointerEx(out.get(), zero, &end, FILE_END))
      ThrowLastError(context);
    uint64_t start = static_cast<uint64_t>(end.QuadPart);
    std::unique_ptr<char[]> buffer(new char[kPartBufferSize]);
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(in.get(), buffer.get(), kPartBufferSize, &got, nullptr) || got == 0)
        break;
      WriteAllBytes(out.get(), buffer.get(), got, context);
      copied += got;
    }
    // A cut-short archive would later read as damaged media: the size on the disk must be
    // what was written, and a delayed write fails at the latest when the file is closed.
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(out.get(), &size))
      ThrowLastError(context);
    if (static_cast<uint64_t>(size.QuadPart) != start + copied)
      ThrowSystemError(ERROR_DISK_FULL, context);
    if (!::CloseHandle(out.release()))
      ThrowLastError(context);
  } catch (...) {
    out.reset();
    ::DeleteFileW(target.c_str());
    throw;
  }
  return copied;
}

bool WinMediaFiles::Delete(const std::wstring& path) {
  return ::DeleteFileW(path.c_str()) != 0;
}

void WinMediaFiles::DeleteOrFail(const std::wstring& path) {
  if (!::DeleteFileW(path.c_str()))
    ThrowLastError(L"Nu pot sterge " + path);
}

}  // namespace kolvar::deploy
