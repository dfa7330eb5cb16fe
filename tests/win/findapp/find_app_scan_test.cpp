#include "pages/find_app_scan.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "find_app_files.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "win_test_support.h"

namespace kolvar::pages {
namespace {

using testing::MakeAcceptedProgram;
using testing::MakeFolder;
using testing::MakeProgramFile;
using testing::Narrow;
using testing::TempFolder;

// Records the folders the scan shows and asks to stop after `stopAfter` of them (0: never).
class RecordingObserver : public ScanObserver {
 public:
  explicit RecordingObserver(size_t stopAfter = 0) : stopAfter_(stopAfter) {}
  void Searching(const std::wstring& folder) override { folders.push_back(folder); }
  bool StopRequested() override { return stopAfter_ && folders.size() >= stopAfter_; }
  bool Saw(const std::wstring& folder) const {
    for (const auto& f : folders)
      if (EqualsNoCaseAscii(f, folder))
        return true;
    return false;
  }
  bool SawBelow(const std::wstring& folder) const {
    for (const auto& f : folders)
      if (f.size() >= folder.size() && EqualsNoCaseAscii(f.substr(0, folder.size()), folder))
        return true;
    return false;
  }
  std::vector<std::wstring> folders;

 private:
  size_t stopAfter_;
};

std::wstring Slash(const std::wstring& folder) {
  return folder + L"\\";
}

TEST(ProgramFolder, SizeRuleReadOnlyAndRunningPrograms) {
  TempFolder root(L"pf");
  std::wstring exact = root / L"exact", larger = root / L"larger", small = root / L"small";
  MakeProgramFile(exact + L"\\KOLVAR.EXE", 6000000);
  MakeProgramFile(larger + L"\\kolvar.exe", 6000001);
  MakeProgramFile(small + L"\\KOLVAR.EXE", 100);
  EXPECT_FALSE(IsProgramFolder(exact));
  EXPECT_TRUE(IsProgramFolder(larger));
  EXPECT_TRUE(IsProgramFolder(Slash(larger)));
  EXPECT_FALSE(IsProgramFolder(small));
  EXPECT_FALSE(IsProgramFolder(root / L"missing"));
  EXPECT_FALSE(IsProgramFolder(L""));
  // A folder named KOLVAR.EXE is no program.
  MakeFolder(root / L"dir\\KOLVAR.EXE");
  EXPECT_FALSE(IsProgramFolder(root / L"dir"));

  // Read-only, and held open by a running program that shares nothing: still judged by size.
  std::wstring program = larger + L"\\kolvar.exe";
  ASSERT_TRUE(::SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(IsProgramFolder(larger));
  {
    ScopedFile held(::CreateFileW(program.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_TRUE(IsProgramFolder(larger));
    RecordingObserver observer;
    ProgramFolderScan scan(observer, L"C:\\windows");
    EXPECT_TRUE(scan.SearchFolder(Slash(root.path())));
    EXPECT_EQ(Slash(larger), scan.Found());
  }
}

TEST(ProgramFolderScan, DepthFirstAndWhatIsPassedOver) {
  TempFolder root(L"scan");
  std::wstring base = Slash(root.path());
  // Not accepted: too small, in a hidden or system folder, in the folder given as the Windows
  // folder, and below a path longer than 100 characters.
  MakeProgramFile(root / L"small\\KOLVAR.EXE", 6000000);
  MakeFolder(root / L"hidden", FILE_ATTRIBUTE_HIDDEN);
  MakeAcceptedProgram(root / L"hidden");
  MakeFolder(root / L"system", FILE_ATTRIBUTE_SYSTEM);
  MakeAcceptedProgram(root / L"system\\below");
  MakeAcceptedProgram(root / L"win\\sub");
  std::wstring deep = root.path();
  while (deep.size() < 100)
    deep += L"\\abcdefghij";
  MakeAcceptedProgram(deep);
  // The last folder still within the limit is searched; its subfolder is not.
  std::wstring last = root.path();
  while (Slash(last).size() + 11 <= 100)
    last += L"\\0123456789";
  MakeFolder(last + L"\\0123456789");

  RecordingObserver observer;
  ProgramFolderScan scan(observer, root / L"win");
  EXPECT_FALSE(scan.SearchFolder(base));
  EXPECT_EQ(L"", scan.Found());
  EXPECT_TRUE(observer.Saw(base));
  EXPECT_TRUE(observer.Saw(Slash(root / L"small")));
  EXPECT_TRUE(observer.Saw(Slash(last)));
  EXPECT_FALSE(observer.SawBelow(Slash(last + L"\\0123456789")));
  EXPECT_FALSE(observer.SawBelow(Slash(root / L"hidden")));
  EXPECT_FALSE(observer.SawBelow(Slash(root / L"system")));
  EXPECT_FALSE(observer.SawBelow(Slash(root / L"win")));
  for (const auto& folder : observer.folders)
    EXPECT_LE(folder.size(), 100u) << Narrow(folder);

  // An accepted folder ends the scan before its subfolders, and is not shown itself.
  MakeAcceptedProgram(root / L"found");
  MakeAcceptedProgram(root / L"found\\deeper");
  EXPECT_TRUE(scan.SearchFolder(base));
  EXPECT_EQ(Slash(root / L"found"), scan.Found());
  EXPECT_FALSE(scan.Stopped());
}

TEST(ProgramFolderScan, StopsAtTheNextFolderWhenAsked) {
  TempFolder root(L"stop");
  for (int i = 0; i < 20; ++i)
    MakeFolder(root / (L"d" + std::to_wstring(i) + L"\\e"));
  MakeAcceptedProgram(root / L"zz");
  RecordingObserver observer(3);
  ProgramFolderScan scan(observer, L"C:\\windows");
  EXPECT_TRUE(scan.SearchFolder(Slash(root.path())));
  EXPECT_TRUE(scan.Stopped());
  EXPECT_EQ(L"", scan.Found());
  EXPECT_EQ(3u, observer.folders.size());
}

TEST(ProgramFolderScan, LinksBackUpTheTreeAreNotFollowed) {
  // C:\links (made by prepare_drives.sh): down\back -> .., self -> ., over -> C:\linked.
  ASSERT_TRUE(DirectoryExists(L"C:\\links\\down"));
  MakeAcceptedProgram(L"C:\\linked\\inner");
  RecordingObserver observer;
  ProgramFolderScan scan(observer, L"C:\\windows");
  bool stopped = scan.SearchFolder(L"C:\\links\\");
  DeleteFileForced(L"C:\\linked\\inner\\KOLVAR.EXE");
  EXPECT_TRUE(stopped);
  EXPECT_EQ(L"C:\\links\\over\\inner\\", scan.Found());
  EXPECT_FALSE(observer.SawBelow(L"C:\\links\\down\\back\\"));
  EXPECT_FALSE(observer.SawBelow(L"C:\\links\\self\\"));

  RecordingObserver plain;
  ProgramFolderScan again(plain, L"C:\\windows");
  EXPECT_FALSE(again.SearchFolder(L"C:\\links\\"));
  EXPECT_EQ(4u, plain.folders.size());  // links, down, over, over\inner
}

TEST(ProgramFolderScan, FixedDrivesInOrderWithTheStandardFolderFirst) {
  testing::EmptyDriveE driveE;
  ASSERT_EQ(DRIVE_REMOTE, ::GetDriveTypeW(L"S:\\")) << "prepare_drives.sh makes S: a network drive";
  std::wstring windows = WindowsFolder();
  MakeAcceptedProgram(L"E:\\ProKolv");
  MakeAcceptedProgram(L"C:\\Apps\\K");
  struct Remove {
    ~Remove() {
      testing::RemoveTree(L"C:\\Apps");
      testing::RemoveTree(L"C:\\ProKolv");
    }
  } remove;

  RecordingObserver first;
  ProgramFolderScan scan(first, windows);
  EXPECT_EQ(L"C:\\Apps\\K\\", scan.ScanFixedDrives());
  EXPECT_FALSE(first.SawBelow(Slash(windows)));

  // The standard folder of a drive is taken before that drive is scanned.
  MakeAcceptedProgram(L"C:\\ProKolv");
  RecordingObserver second;
  ProgramFolderScan standard(second, windows);
  EXPECT_EQ(L"C:\\ProKolv\\", standard.ScanFixedDrives());
  EXPECT_TRUE(second.folders.empty());

  // Nothing on C:: E:'s standard folder.
  testing::RemoveTree(L"C:\\Apps");
  testing::RemoveTree(L"C:\\ProKolv");
  MakeAcceptedProgram(L"E:\\Other");
  RecordingObserver third;
  ProgramFolderScan onE(third, windows);
  EXPECT_EQ(L"E:\\ProKolv\\", onE.ScanFixedDrives());
  EXPECT_TRUE(third.Saw(L"C:\\"));
  EXPECT_FALSE(third.SawBelow(L"E:\\"));

  // Nothing anywhere: both drives walked, nothing below the Windows folder or on S:.
  testing::RemoveTree(L"E:\\ProKolv");
  testing::RemoveTree(L"E:\\Other");
  RecordingObserver fourth;
  ProgramFolderScan none(fourth, windows);
  EXPECT_EQ(L"", none.ScanFixedDrives());
  EXPECT_TRUE(fourth.Saw(L"E:\\"));
  EXPECT_FALSE(fourth.SawBelow(Slash(windows)));
  EXPECT_FALSE(fourth.SawBelow(L"S:\\"));
}

}  // namespace
}  // namespace kolvar::pages
