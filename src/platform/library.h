// Libraries loaded at run time.
#pragma once

#include <windows.h>

#include <string>

#include "platform/foreign_call.h"
#include "platform/unique_handle.h"

namespace kolvar {

class Library {
 public:
  Library() = default;
  // Loads `path`; check `loaded()` (GetLastError() is set on failure). The floating-point
  // settings are put back afterwards: a library's start-up code may change them.
  explicit Library(const std::wstring& path) : module_(Load(path)) {}

  bool loaded() const noexcept { return module_.valid(); }
  HMODULE get() const noexcept { return module_.get(); }
  // Releases the library now (also done by the destructor).
  void Free() noexcept { module_.reset(); }

  // The address of export `name` cast to `Fn`; nullptr when the library lacks it.
  template <typename Fn>
  Fn Find(const char* name) const noexcept {
    if (!module_)
      return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
  }

 private:
  static HMODULE Load(const std::wstring& path) noexcept {
    FloatingPointState before;
    HMODULE module = ::LoadLibraryW(path.c_str());
    DWORD error = ::GetLastError();
    before.Restore();
    ::SetLastError(error);
    return module;
  }

  ScopedModule module_;
};

}  // namespace kolvar
