// The database copy under Windows' own file system, on a database of a few thousand files.
// Windows' names first: the file layer's names go through its macros alike everywhere.
#include <windows.h>

#include "dbupgrade/database_copy.h"

#include <gtest/gtest.h>

#include <map>

#include "deploy/win_files.h"
#include "platform/files.h"
#include "win_test_support.h"

namespace kolvar::dbupgrade {
namespace {

using testing::FolderTree;
using testing::TempFolder;

// Each file's last-write time, by its path below `root`.
std::map<std::wstring, ULONGLONG> WriteTimes(const std::map<std::wstring, std::string>& tree,
                                             const std::wstring& root) {
  std::map<std::wstring, ULONGLONG> times;
  for (const auto& [path, what] : tree) {
    if (what == "<folder>")
      continue;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExW((root + L"\\" + path).c_str(), GetFileExInfoStandard, &data);
    times[path] =
        (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  }
  return times;
}

// 3,000 tables in firm and month folders with blanks and Romanian letters in their names, some
// read-only, some hidden, each with a time of its own: the copy holds the same tree, bytes,
// attributes and times, and none of the seed tree.
TEST(DatabaseCopyWin, AFirmsTreeOfThousandsOfFilesIsCopiedExactly) {
  TempFolder folder(L"dbcopy");
  std::wstring data = folder / L"Date";
  int n = 0;
  for (int firm = 1; firm <= 25; ++firm)
    for (int month = 1; month <= 12; ++month)
      for (int table = 0; table < 10; ++table, ++n) {
        std::wstring path = data + L"\\DATA\\Firma " + std::to_wstring(firm) +
                            L" Bra\u0219ov\\Luna " + std::to_wstring(month) +
                            L"\\SOLDURI \u00CENCHISE " + std::to_wstring(table) + L".DB";
        testing::WriteFile(path, "firm " + std::to_string(firm) + " month " +
                                     std::to_string(month) + std::string(n % 97, 'x'));
        HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                    0, nullptr);
        FILETIME when{static_cast<DWORD>(n) * 10000000u, 0x01D00000u};
        ::SetFileTime(file, nullptr, nullptr, &when);
        ::CloseHandle(file);
        DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
        if (n % 7 == 0)
          attributes |= FILE_ATTRIBUTE_READONLY;
        if (n % 11 == 0)
          attributes |= FILE_ATTRIBUTE_HIDDEN;
        ::SetFileAttributesW(path.c_str(), attributes);
      }
  testing::WriteFile(data + L"\\NEW\\DATA\\FIRME.DB", "seed");
  auto firm = FolderTree(data);
  firm.erase(L"NEW");
  firm.erase(L"NEW\\DATA");
  firm.erase(L"NEW\\DATA\\FIRME.DB");

  deploy::WinFileSystem files;
  auto items = ListDatabase(files, data, {});
  std::wstring copy = data + L"\\" + CopyFolderName(2026, 12, 10, 9, 0, 0);
  CopyResult result = CopyDatabase(files, data, items, copy, {});
  EXPECT_EQ(result.files, 3000u);
  auto copied = FolderTree(copy);
  EXPECT_EQ(copied.size(), firm.size());
  EXPECT_TRUE(copied == firm);
  EXPECT_TRUE(WriteTimes(copied, copy) == WriteTimes(firm, data));
  // Read-only files must not stop the temporary folder's removal.
  testing::RemoveTree(folder / L"Date");
}

}  // namespace
}  // namespace kolvar::dbupgrade
