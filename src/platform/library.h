// Libraries loaded at run time.
#pragma once

#include <windows.h>

#include <string>

#include "platform/unique_handle.h"

namespace kolvar {

class Library {
 public:
  Library() = default;
  // Loads `path`; check `loaded()` (GetLastError() is set on failure).
  explicit Library(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {}

  bool loaded() const noexcept { return module_.valid(); }
  HMODULE get() const noexcept { return module_.get(); }
  // Releases the library now (also done by the destructor).
  void Free() noexcept { module_.reset(); }

  // The address of export `name` cast to `Fn`; nullptr when the library lacks it.
  template <typename Fn>
  Fn Find(const char* name) const noexcept {
    if (!module_) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

 private:
  ScopedModule module_;
};

}  // namespace kolvar
