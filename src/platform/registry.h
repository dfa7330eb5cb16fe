// Registry access with the root key as a parameter, so tests can point code at a throwaway key.
// Key paths are written without a leading backslash ("Software\\...").
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/unique_handle.h"

namespace kolvar {

class RegistryKey {
 public:
  // Opens `root`\`path` for reading (and writing when `writable`); nullopt when it does not
  // exist or cannot be opened (GetLastError() set to the registry's result).
  static std::optional<RegistryKey> Open(HKEY root,
                                         const std::wstring& path,
                                         bool writable = false);
  // Opens or creates `root`\`path` for reading and writing. Throws SystemError on failure.
  static RegistryKey Create(HKEY root, const std::wstring& path);
  // True when `root`\`path` exists.
  static bool Exists(HKEY root, const std::wstring& path);

  // A string value (REG_SZ or REG_EXPAND_SZ, unexpanded); nullopt when missing or of another type.
  std::optional<std::wstring> ReadString(const std::wstring& name) const;
  // A REG_DWORD value; nullopt when missing or of another type.
  std::optional<DWORD> ReadDword(const std::wstring& name) const;
  // The value's type (REG_SZ, REG_DWORD, ...); nullopt when missing.
  std::optional<DWORD> ValueType(const std::wstring& name) const;
  // Writes a REG_SZ value. Throws SystemError on failure.
  void WriteString(const std::wstring& name, const std::wstring& value);
  // Writes a REG_DWORD value. Throws SystemError on failure.
  void WriteDword(const std::wstring& name, DWORD value);
  // Deletes a value; false when it did not exist or could not be deleted.
  bool DeleteValue(const std::wstring& name);

  HKEY get() const noexcept { return key_.get(); }

 private:
  explicit RegistryKey(HKEY key) : key_(key) {}
  ScopedKey key_;
};

// Deletes `root`\`path` with all its subkeys; false when it could not be deleted.
bool DeleteRegistryTree(HKEY root, const std::wstring& path);

// ERROR_SUCCESS when this process may create subkeys and set values under the existing key
// `root`\`path`, else the registry's result (ERROR_ACCESS_DENIED for a limited user,
// ERROR_FILE_NOT_FOUND for a missing key). The key is opened with that access and closed
// again: nothing is written.
DWORD WriteAccessResult(HKEY root, const std::wstring& path);
// Tests set this to have WriteAccessResult answer ERROR_ACCESS_DENIED; the program never does.
extern bool DenyWriteAccessForTests;

}  // namespace kolvar
