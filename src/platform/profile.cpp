#include "platform/profile.h"

#include <windows.h>

#include <vector>

namespace kolvar {

namespace {

// No real value contains this, so getting it back means "missing".
constexpr wchar_t kMissing[] = L"\x01kolvar-missing\x01";

std::optional<std::wstring> Read(const wchar_t* path, const std::wstring& section,
                                 const std::wstring& key) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    DWORD length =
        path ? ::GetPrivateProfileStringW(section.c_str(), key.c_str(), kMissing, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), path)
             : ::GetProfileStringW(section.c_str(), key.c_str(), kMissing, buffer.data(),
                                   static_cast<DWORD>(buffer.size()));
    if (length + 1 < buffer.size()) {
      std::wstring value(buffer.data(), length);
      if (value == kMissing) return std::nullopt;
      return value;
    }
    if (buffer.size() >= 65536) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

std::optional<std::wstring> ReadProfileString(const std::wstring& path, const std::wstring& section,
                                              const std::wstring& key) {
  return Read(path.c_str(), section, key);
}

std::optional<std::wstring> ReadWinIniString(const std::wstring& section, const std::wstring& key) {
  return Read(nullptr, section, key);
}

}  // namespace kolvar
