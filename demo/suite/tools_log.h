// The record the stand-in tools keep of how they were run.
#pragma once

#include <windows.h>

#include <string>

namespace kolvar::demo {

// Appends `line` and CR LF, as UTF-8, to TOOLS.LOG in the folder of `module` (null: the
// program). Failures are ignored: a tool never fails because of its record.
inline void AppendToToolsLog(HMODULE module, const std::wstring& line) {
  wchar_t path[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  std::wstring file(path, length);
  file.erase(file.find_last_of(L'\\') + 1);
  file += L"TOOLS.LOG";
  int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), size,
                        nullptr, nullptr);
  bytes += "\r\n";
  HANDLE out = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(out);
}

}  // namespace kolvar::demo
