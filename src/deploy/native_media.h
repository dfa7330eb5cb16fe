// The assembly's file layer in the native build (the media tool on Linux): POSIX files, "\"
// in paths read as "/". No drive is removable unless a subclass says so.
#pragma once

#include <string>

#include "deploy/assembly.h"

namespace kolvar::deploy {

class NativeMediaFiles : public MediaFiles {
 public:
  bool IsRemovableDrive(const std::wstring& path) override { return false; }
  bool FileExists(const std::wstring& path) override;
  std::vector<std::wstring> ListNames(const std::wstring& folder) override;
  uint64_t AppendPart(const std::wstring& extension,
                      const std::wstring& source,
                      const std::wstring& target) override;
  bool Delete(const std::wstring& path) override;

 protected:
  // The host path for `path`; a subclass may redirect a folder (a disk being changed).
  virtual std::string Map(const std::wstring& path);
};

}  // namespace kolvar::deploy
