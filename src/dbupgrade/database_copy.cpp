#include "dbupgrade/database_copy.h"

#include <algorithm>

#include "platform/text.h"

namespace kolvar::dbupgrade {

using deploy::FileSystem;
using deploy::FolderItem;
using deploy::kAttrNormal;
using deploy::kAttrReadOnly;

namespace {

std::wstring Two(int value) {
  std::wstring text = DecimalText(value);
  return text.size() < 2 ? L"0" + text : text;
}

// Top-level folders of the data folder that are not the firm's database.
bool LeftOutAtTop(const std::wstring& name) {
  std::wstring upper = AsciiUpper(name);
  return upper == L"NEW" || upper == kCopiesFolder || upper == deploy::kRollbackFolderName ||
         upper == L"~DBDAT.STG";
}

void Walk(FileSystem& files,
          const std::wstring& root,
          const std::wstring& relative,
          const std::vector<std::wstring>& programFiles,
          std::vector<DatabaseItem>& out) {
  std::wstring folder = relative.empty() ? root : JoinPath(root, relative);
  std::vector<FolderItem> items = files.List(folder);
  std::sort(items.begin(), items.end(),
            [](const FolderItem& a, const FolderItem& b) { return a.name < b.name; });
  for (const FolderItem& item : items) {
    if (relative.empty() && item.IsFolder() && LeftOutAtTop(item.name))
      continue;
    std::wstring path = relative.empty() ? item.name : JoinPath(relative, item.name);
    if (item.IsFolder()) {
      out.push_back({path, 0, true});
      Walk(files, root, path, programFiles, out);
      continue;
    }
    std::wstring upper = AsciiUpper(JoinPath(root, path));
    bool program = false;
    for (const std::wstring& file : programFiles)
      program = program || AsciiUpper(file) == upper;
    // A partial file a broken-off copy left is not the firm's either.
    bool partial = upper.size() >= 4 && upper.compare(upper.size() - 4, 4, L".~KV") == 0;
    if (!program && !partial)
      out.push_back({path, item.size, false});
  }
}

// Copies one file whole: to a temporary name beside its place, then moved there.
void CopyWhole(FileSystem& files, const std::wstring& from, const std::wstring& to) {
  std::wstring partial = to + deploy::kPartialSuffix;
  try {
    files.CopyFile(from, partial);
    if (std::optional<uint32_t> old = files.Attributes(to); old && (*old & kAttrReadOnly))
      files.SetAttributes(to, kAttrNormal);  // the system moves nothing over a read-only file
    files.Move(partial, to);
  } catch (...) {
    try {
      if (std::optional<uint32_t> left = files.Attributes(partial)) {
        if (*left & kAttrReadOnly)
          files.SetAttributes(partial, kAttrNormal);
        files.Delete(partial);
      }
    } catch (...) {
    }
    throw;
  }
}

}  // namespace

std::vector<DatabaseItem> ListDatabase(FileSystem& files,
                                       const std::wstring& dataDir,
                                       const std::vector<std::wstring>& programFiles) {
  std::vector<DatabaseItem> items;
  Walk(files, FolderWithoutTrailingBackslash(dataDir), std::wstring(), programFiles, items);
  return items;
}

uint64_t BytesNeeded(const std::vector<DatabaseItem>& items, uint32_t cluster) {
  uint64_t unit = cluster ? cluster : 4096, total = 0;
  for (const DatabaseItem& item : items)
    total += item.folder ? unit : (item.size + unit - 1) / unit * unit;
  return total;
}

std::wstring CopyFolderName(int year, int month, int day, int hour, int minute, int second) {
  return std::wstring(kCopiesFolder) + L"\\" + DecimalText(year) + L"-" + Two(month) + L"-" +
         Two(day) + L" " + Two(hour) + L"-" + Two(minute) + L"-" + Two(second);
}

CopyResult CopyDatabase(FileSystem& files,
                        const std::wstring& dataDir,
                        const std::vector<DatabaseItem>& items,
                        const std::wstring& copyFolder,
                        const std::function<void(int percent)>& progress) {
  std::wstring root = FolderWithoutTrailingBackslash(dataDir);
  uint64_t total = 0;
  for (const DatabaseItem& item : items)
    total += item.size;
  CopyResult result;
  try {
    deploy::CreateFolderChain(files, copyFolder);
    for (const DatabaseItem& item : items) {
      std::wstring to = JoinPath(copyFolder, item.relative);
      if (item.folder) {
        files.CreateFolder(to);
        continue;
      }
      CopyWhole(files, JoinPath(root, item.relative), to);
      ++result.files;
      result.bytes += item.size;
      if (progress)
        progress(total ? static_cast<int>(result.bytes * 100 / total) : 100);
    }
  } catch (...) {
    deploy::DeleteTree(files, copyFolder);
    throw;
  }
  return result;
}

bool RestoreDatabase(FileSystem& files,
                     const std::wstring& dataDir,
                     const std::wstring& copyFolder,
                     const std::vector<std::wstring>& programFiles,
                     std::wstring& failure) {
  std::wstring root = FolderWithoutTrailingBackslash(dataDir);
  std::vector<DatabaseItem> now = ListDatabase(files, root, programFiles);
  std::vector<DatabaseItem> kept;
  Walk(files, copyFolder, std::wstring(), {}, kept);
  auto inCopy = [&](const DatabaseItem& item) {
    std::wstring upper = AsciiUpper(item.relative);
    for (const DatabaseItem& k : kept)
      if (k.folder == item.folder && AsciiUpper(k.relative) == upper)
        return true;
    return false;
  };
  bool whole = true;
  auto note = [&](const std::wstring& what) {
    whole = false;
    if (failure.empty())
      failure = what;
  };
  // What the steps added goes first, innermost first.
  for (auto item = now.rbegin(); item != now.rend(); ++item) {
    if (inCopy(*item))
      continue;
    std::wstring path = JoinPath(root, item->relative);
    try {
      if (item->folder) {
        files.RemoveFolder(path);
      } else {
        if (std::optional<uint32_t> a = files.Attributes(path); a && (*a & kAttrReadOnly))
          files.SetAttributes(path, kAttrNormal);
        files.Delete(path);
      }
    } catch (const Error& error) {
      note(error.message());
    }
  }
  for (const DatabaseItem& item : kept) {
    std::wstring path = JoinPath(root, item.relative);
    try {
      if (item.folder)
        files.CreateFolder(path);
      else
        CopyWhole(files, JoinPath(copyFolder, item.relative), path);
    } catch (const Error& error) {
      note(error.message());
    }
  }
  return whole;
}

}  // namespace kolvar::dbupgrade
