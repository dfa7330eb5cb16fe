// The copy of the firm's database made before the upgrade library rewrites it, and putting it
// back when a step breaks. Everything goes through the copy pages' file layer, so each file of
// the copy, and each file put back, is whole or not there. No <windows.h> here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "deploy/file_layer.h"

namespace kolvar::dbupgrade {

// Below the data folder: the copies, each in a folder named after its date and time.
inline constexpr const wchar_t* kCopiesFolder = L"COPII";

// One file or folder of the database, relative to the data folder.
struct DatabaseItem {
  std::wstring relative;
  uint64_t size = 0;
  bool folder = false;
};

// The working database below `dataDir`: everything but the seed tree NEW\, the copies, the
// folders of the installer's own runs and the files in `programFiles` (full paths, compared
// without regard to letter case; the program files of a run that share the data folder),
// folders before their contents.
std::vector<DatabaseItem> ListDatabase(deploy::FileSystem& files,
                                       const std::wstring& dataDir,
                                       const std::vector<std::wstring>& programFiles);

// The bytes of `items`, each file rounded up to whole clusters of `cluster` bytes.
uint64_t BytesNeeded(const std::vector<DatabaseItem>& items, uint32_t cluster);

// "COPII\2026-12-09 14-03-27", below the data folder.
std::wstring CopyFolderName(int year, int month, int day, int hour, int minute, int second);

// What a copy or a restore did.
struct CopyResult {
  size_t files = 0;
  uint64_t bytes = 0;
};

// Copies `items` from `dataDir` into `copyFolder` (which must not exist) keeping the relative
// paths, times and attributes: each file under a temporary name first, then moved to its own.
// `progress` gets the percentage of bytes done after each file. Throws Error naming what
// failed; the copy folder is then deleted again.
CopyResult CopyDatabase(deploy::FileSystem& files,
                        const std::wstring& dataDir,
                        const std::vector<DatabaseItem>& items,
                        const std::wstring& copyFolder,
                        const std::function<void(int percent)>& progress);

// Puts the database back exactly as `copyFolder` holds it: the files of the database (as
// ListDatabase finds them) that the copy lacks are deleted, the folders it lacks removed, and
// every file of the copy is put back whole (copied under a temporary name, then moved over
// the one in place). The copy stays. Returns false, with `failure` set, when something could
// not be put back.
bool RestoreDatabase(deploy::FileSystem& files,
                     const std::wstring& dataDir,
                     const std::wstring& copyFolder,
                     const std::vector<std::wstring>& programFiles,
                     std::wstring& failure);

}  // namespace kolvar::dbupgrade
