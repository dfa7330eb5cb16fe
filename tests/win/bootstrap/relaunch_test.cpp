// The media run, as a user starts it: INSTALL.EXE on the media, a private folder afterwards.
#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bootstrap/entry.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "win_test_support.h"

namespace kolvar::bootstrap {
namespace {

using testing::DistFile;
using testing::Narrow;
using testing::ReadFile;
using testing::TempFolder;

bool IsPrivateFolderName(const std::wstring& name) {
  return name.size() == 32 && std::all_of(name.begin(), name.end(), [](wchar_t c) {
           return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
         });
}

std::set<std::wstring> PrivateFolders(const std::wstring& temp) {
  std::set<std::wstring> names;
  for (const auto& name : testing::ListFolders(temp))
    if (IsPrivateFolderName(name))
      names.insert(name);
  return names;
}

// Sets TMP and TEMP for this process and the programs it starts; restores them afterwards.
class TempOverride {
 public:
  explicit TempOverride(const std::wstring& folder) {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      wchar_t buffer[1024];
      DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
      saved_.emplace_back(name, std::wstring(buffer, length));
      ::SetEnvironmentVariableW(name, folder.c_str());
    }
  }
  ~TempOverride() {
    for (const auto& [name, value] : saved_)
      ::SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
  }

 private:
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

// The copies the media runs started show the wizard and wait for a user. Each is ended once it
// waits for input (it has read its marker by then) or after a while.
void EndCopies() {
  std::vector<ScopedHandle> copies;
  {
    ScopedFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = snapshot && ::Process32FirstW(snapshot.get(), &entry); ok;
         ok = ::Process32NextW(snapshot.get(), &entry)) {
      if (EqualsNoCaseAscii(entry.szExeFile, kCopiedExe))
        copies.emplace_back(
            ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE,
                          entry.th32ProcessID));
    }
  }
  for (const ScopedHandle& copy : copies) {
    if (!copy)
      continue;
    ::WaitForInputIdle(copy.get(), 15000);
    ::TerminateProcess(copy.get(), 0);
    ::WaitForSingleObject(copy.get(), 5000);
  }
}

// Runs INSTALL.EXE from `media` (a folder with a trailing backslash) with `temp` as the
// temporary folder, and returns the private folders it created there.
std::vector<std::wstring> RunFromMedia(const std::wstring& media, const std::wstring& temp) {
  TempOverride override(temp);
  auto before = PrivateFolders(temp);
  EXPECT_EQ(testing::RunAndWait(L"\"" + media + L"INSTALL.EXE\""), 0);
  // The copy was started before the media run ended; let it read its marker before the test
  // looks (and later cleans up).
  EndCopies();
  std::vector<std::wstring> created;
  for (const auto& name : PrivateFolders(temp))
    if (!before.count(name))
      created.push_back(IncludeTrailingBackslash(JoinPath(temp, name)));
  return created;
}

class Relaunch : public ::testing::Test {
 protected:
  void SetUp() override {
    installer_ = ReadFile(DistFile(L"INSTALL.EXE"));
    ASSERT_NE(installer_, "<missing>");
  }
  // A media folder holding INSTALL.EXE and, when asked, its two companions.
  void MakeMedia(const std::wstring& folder, bool companions = true) {
    testing::WriteFile(folder + L"INSTALL.EXE", installer_);
    if (companions) {
      testing::WriteFile(folder + L"INSTALL.CFG", "[General]\r\nNrDiscuri=3\r\n");
      testing::WriteFile(folder + L"UPGRADE.1", "PK\x05\x06 upgrade library archive");
    }
  }
  std::string installer_;
  TempFolder temp_{L"temp"};  // this test's own temporary folder: tests run side by side
};

TEST_F(Relaunch, CopiesItselfAndCompanionsAndWritesTheMarker) {
  TempFolder media(L"media");
  std::wstring mediaDir = media.path() + L"\\";
  MakeMedia(mediaDir);
  // The copy's wizard deletes UPGRADE.ZIP in a new installation, unless it is read-only (as on
  // a CD): so it is still there to be compared.
  ::SetFileAttributesW((mediaDir + L"UPGRADE.1").c_str(), FILE_ATTRIBUTE_READONLY);
  auto created = RunFromMedia(mediaDir, temp_.path());
  ::SetFileAttributesW((mediaDir + L"UPGRADE.1").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(created.size(), 1u);
  const std::wstring& folder = created[0];
  ::SetFileAttributesW((folder + L"UPGRADE.ZIP").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadFile(folder + L"INSTKOLV.EXE"), installer_);
  EXPECT_EQ(ReadFile(folder + L"INSTKOLV.CFG"), "[General]\r\nNrDiscuri=3\r\n");
  EXPECT_EQ(ReadFile(folder + L"UPGRADE.ZIP"), "PK\x05\x06 upgrade library archive");
  EXPECT_EQ(ReadFile(folder + L"INSTKOLV.DAT"), Narrow(mediaDir) + "\r\n");
  // The copy finds its marker and reads the media folder back.
  EXPECT_EQ(ReadMarker(folder).value_or(L"<none>"), mediaDir);
  testing::RemoveTree(folder);
}

TEST_F(Relaunch, MissingCompanionsStillRelaunchAndTwoRunsGiveTwoFolders) {
  TempFolder media(L"media");
  std::wstring mediaDir = media.path() + L"\\";
  MakeMedia(mediaDir, false);
  auto first = RunFromMedia(mediaDir, temp_.path());
  auto second = RunFromMedia(mediaDir, temp_.path());
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_NE(first[0], second[0]);
  for (const auto& folder : {first[0], second[0]}) {
    EXPECT_TRUE(FileExists(folder + L"INSTKOLV.EXE"));
    EXPECT_FALSE(FileExists(folder + L"INSTKOLV.CFG"));
    EXPECT_FALSE(FileExists(folder + L"UPGRADE.ZIP"));
    EXPECT_EQ(ReadFile(folder + L"INSTKOLV.DAT"), Narrow(mediaDir) + "\r\n");
    testing::RemoveTree(folder);
  }
}

TEST_F(Relaunch, MediaAtTheRootOfAFloppyDrive) {
  // A: is a removable drive in the test prefix, mapped to an empty folder.
  MakeMedia(L"A:\\");
  auto created = RunFromMedia(L"A:\\", temp_.path());
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(ReadFile(created[0] + L"INSTKOLV.DAT"), "A:\\\r\n");
  EXPECT_EQ(ReadMarker(created[0]).value_or(L"<none>"), L"A:\\");
  testing::RemoveTree(created[0]);
  for (const wchar_t* name : {L"INSTALL.EXE", L"INSTALL.CFG", L"UPGRADE.1"})
    DeleteFileForced(std::wstring(L"A:\\") + name);
}

TEST_F(Relaunch, TemporaryFolderWithBlanksStartsTheCopyAndNothingElse) {
  // Unquoted, "C:\kolvar-tests\tmp blanks-..\GUID\INSTKOLV.EXE" would first be read as
  // "C:\kolvar-tests\tmp.exe": a program planted there must not run.
  TempFolder temp(L"tmp blanks");
  TempFolder media(L"media");
  std::wstring mediaDir = media.path() + L"\\";
  MakeMedia(mediaDir);
  std::wstring trap = L"C:\\kolvar-tests\\tmp.exe";
  testing::WriteFile(trap, installer_);  // a media run from C:\kolvar-tests: a second folder
  std::vector<std::wstring> created;
  {
    RunFromMedia(mediaDir, temp.path());
    testing::WaitForProcessesNamed(L"tmp.exe");
    for (const auto& name : PrivateFolders(temp.path()))
      created.push_back(name);
  }
  DeleteFileForced(trap);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(ReadFile(temp / created[0] + L"\\INSTKOLV.DAT"), Narrow(mediaDir) + "\r\n");
}

TEST_F(Relaunch, MarkerRoundTripsAnsiLettersAndFoldersBeyondTheCodePage) {
  // Romanian letters the ANSI code page holds are written as ANSI; a folder it cannot hold
  // (U+0219 and U+4E2D exist in no Western or Central European code page) falls back to UTF-8
  // with a byte order mark, and reads back exactly.
  UINT acp = ::GetACP();
  std::wstring ansiLetters = acp == 1250 ? L"\u0103\u00EE\u00E2\u015F\u0163" : L"\u00EE\u00E2";
  TempFolder temp(L"t\u0103mp");  // a temporary folder named with Romanian letters
  for (const std::wstring& letters : {ansiLetters, std::wstring(L"\u0219\u4E2D")}) {
    TempFolder media(L"kit " + letters);
    std::wstring mediaDir = media.path() + L"\\";
    MakeMedia(mediaDir);
    std::vector<std::wstring> created;
    created = RunFromMedia(mediaDir, temp.path());
    ASSERT_EQ(created.size(), 1u) << Narrow(letters);
    std::string bytes = ReadFile(created[0] + L"INSTKOLV.DAT");
    bool ansi = WideToAnsiExact(mediaDir).has_value();
    EXPECT_EQ(bytes.rfind("\xEF\xBB\xBF", 0) == 0, !ansi) << Narrow(letters);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(ReadMarker(created[0]).value_or(L"<none>"), mediaDir) << Narrow(letters);
    testing::RemoveTree(created[0]);
  }
}

TEST(Marker, UnreadableOrAbsentMarkerMeansTheMediaRun) {
  TempFolder folder(L"marker");
  EXPECT_FALSE(ReadMarker(folder.path() + L"\\").has_value());
  // A folder where the marker file should be cannot be read as one.
  ::CreateDirectoryW((folder / L"INSTKOLV.DAT").c_str(), nullptr);
  EXPECT_FALSE(ReadMarker(folder.path() + L"\\").has_value());
}

}  // namespace
}  // namespace kolvar::bootstrap
