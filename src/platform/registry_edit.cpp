// Registry work the program itself does not do (the tests and tools do), in a file of its own
// so that the program does not carry it.
#include <vector>

#include "platform/registry.h"
#include "platform/system_error.h"

namespace kolvar {

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  LONG result = ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  if (result != ERROR_SUCCESS)
    ThrowSystemError(static_cast<DWORD>(result), L"Registry " + path);
  return RegistryKey(key);
}

std::optional<DWORD> RegistryKey::ReadDword(const std::wstring& name) const {
  DWORD type = 0, value = 0, size = sizeof value;
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return std::nullopt;
  return value;
}

std::optional<DWORD> RegistryKey::ValueType(const std::wstring& name) const {
  DWORD type = 0;
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return type;
}

void RegistryKey::WriteDword(const std::wstring& name, DWORD value) {
  LONG result = ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&value), sizeof value);
  if (result != ERROR_SUCCESS)
    ThrowSystemError(static_cast<DWORD>(result), L"Registry " + name);
}

bool DeleteRegistryTree(HKEY root, const std::wstring& path) {
  {
    auto key = RegistryKey::Open(root, path, true);
    if (!key)
      return false;
    // Collect first: deleting while enumerating shifts the indexes.
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (::RegEnumKeyExW(key->get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      children.emplace_back(name, length);
    }
    for (const auto& child : children)
      DeleteRegistryTree(root, path + L"\\" + child);
  }
  return ::RegDeleteKeyW(root, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace kolvar
