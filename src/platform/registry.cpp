#include "platform/registry.h"

#include <vector>

#include "platform/system_error.h"

namespace kolvar {

std::optional<RegistryKey> RegistryKey::Open(HKEY root, const std::wstring& path, bool writable) {
  HKEY key = nullptr;
  REGSAM access = KEY_READ | (writable ? KEY_WRITE : 0);
  LONG result = ::RegOpenKeyExW(root, path.c_str(), 0, access, &key);
  if (result != ERROR_SUCCESS) {
    ::SetLastError(static_cast<DWORD>(result));
    return std::nullopt;
  }
  return RegistryKey(key);
}

bool DenyWriteAccessForTests = false;

DWORD WriteAccessResult(HKEY root, const std::wstring& path) {
  if (DenyWriteAccessForTests)
    return ERROR_ACCESS_DENIED;
  HKEY key = nullptr;
  LONG result = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &key);
  ScopedKey opened(result == ERROR_SUCCESS ? key : nullptr);
  return static_cast<DWORD>(result);
}

bool RegistryKey::Exists(HKEY root, const std::wstring& path) {
  return Open(root, path).has_value();
}

std::optional<std::wstring> RegistryKey::ReadString(const std::wstring& name) const {
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type, nullptr, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key_.get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  // The stored data need not be terminated; the extra element above guarantees it is now.
  return std::wstring(buffer.data());
}

void RegistryKey::WriteString(const std::wstring& name, const std::wstring& value) {
  LONG result = ::RegSetValueExW(key_.get(), name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS)
    ThrowSystemError(static_cast<DWORD>(result), L"Registry " + name);
}

bool RegistryKey::DeleteValue(const std::wstring& name) {
  return ::RegDeleteValueW(key_.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace kolvar
