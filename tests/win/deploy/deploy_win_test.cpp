#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "bulk_bytes.h"
#include "deploy/win_files.h"
#include "deploy/win_media.h"
#include "deploy/zip_writer.h"
#include "full_disk.h"
#include "platform/files.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "recording_view.h"
#include "win_test_support.h"

namespace kolvar::deploy {
namespace {

using bootstrap::InstallState;
using kolvar::testing::Narrow;
using kolvar::testing::ReadFile;
using kolvar::testing::RemoveTree;
using kolvar::testing::TempFolder;
using kolvar::testing::WriteFile;
using testing::Bulk;
using testing::RecordingView;

const uint16_t kDate = DosDate(2024, 3, 9);
const uint16_t kTime = DosTime(13, 45, 22);

std::string Archive(const std::vector<std::pair<std::string, std::string>>& files,
                    uint8_t attributes = 0x20) {
  MemorySink sink;
  ZipWriter writer(sink);
  for (auto& [name, data] : files) {
    if (!name.empty() && name.back() == '/')
      writer.AddFolder({name, kDate, kTime, 0x10});
    else
      writer.AddFile({name, kDate, kTime, attributes}, data);
  }
  writer.Finish();
  return sink.bytes;
}

DWORD Attributes(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str());
}

TEST(DeployWin, ExtractionKeepsTimesAndDosAttributes) {
  TempFolder dir(L"x");
  MemorySink sink;
  ZipWriter writer(sink);
  writer.AddFolder({"bin", kDate, kTime, 0x10});
  writer.AddFile({"bin/ro.txt", kDate, kTime, 0x21}, "read only");
  writer.AddFile({"hidden.txt", kDate, kTime, 0x22}, "hidden");
  writer.AddFile({"sub/deep/\xc8\x99.txt", kDate, kTime, 0x20}, Bulk(700000));
  writer.Finish();
  WriteFile(dir / L"a.zip", sink.bytes);

  RecordingView view;
  UnzipCounter counter;
  ExtractArchive(dir / L"a.zip", dir / L"out\\", view, counter, true);
  EXPECT_EQ(ReadFile(dir / L"out\\bin\\ro.txt"), "read only");
  EXPECT_TRUE(Attributes(dir / L"out\\bin\\ro.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Attributes(dir / L"out\\hidden.txt") & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(Attributes(dir / L"out\\hidden.txt") & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReadFile(dir / L"out\\sub\\deep\\\x0219.txt"), Bulk(700000));
  EXPECT_EQ(counter.ZipSize, 683u);
  EXPECT_EQ(view.unzip.position, 683);
  EXPECT_GT(view.pumps, 2);

  FILETIME local, expected, created, written;
  ASSERT_TRUE(::DosDateTimeToFileTime(kDate, kTime, &local));
  ASSERT_TRUE(::LocalFileTimeToFileTime(&local, &expected));
  ScopedFile file(::CreateFileW((dir / L"out\\hidden.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  ASSERT_TRUE(::GetFileTime(file.get(), &created, nullptr, &written));
  EXPECT_EQ(::CompareFileTime(&written, &expected), 0);
  EXPECT_EQ(::CompareFileTime(&created, &expected), 0);
  file.reset();

  // The next run replaces the hidden file it left.
  WriteFile(dir / L"b.zip", Archive({{"hidden.txt", "hidden, second run"}}));
  ExtractArchive(dir / L"b.zip", dir / L"out", view, counter, false);
  EXPECT_EQ(ReadFile(dir / L"out\\hidden.txt"), "hidden, second run");
}

TEST(DeployWin, ExistingFilesAreReplacedButReadOnlyOnesStop) {
  TempFolder dir(L"r");
  WriteFile(dir / L"a.zip", Archive({{"KOLVAR.EXE", "new"}, {"LOCKED.DLL", "new"}}));
  WriteFile(dir / L"out\\KOLVAR.EXE", "old program");
  WriteFile(dir / L"out\\LOCKED.DLL", "old");
  ::SetFileAttributesW((dir / L"out\\LOCKED.DLL").c_str(), FILE_ATTRIBUTE_READONLY);
  RecordingView view;
  UnzipCounter counter;
  try {
    ExtractArchive(dir / L"a.zip", dir / L"out", view, counter, false);
    ADD_FAILURE() << "a read-only file was overwritten";
  } catch (const Error& e) {
    EXPECT_NE(e.message().find(L"LOCKED.DLL"), std::wstring::npos) << e.what();
  }
  EXPECT_EQ(ReadFile(dir / L"out\\KOLVAR.EXE"), "new");
  EXPECT_EQ(ReadFile(dir / L"out\\LOCKED.DLL"), "old");
}

TEST(DeployWin, HostileEntriesWriteNothing) {
  const char* names[] = {"../evil.txt",         "..\\evil.txt", "C:/evil.txt",   "C:\\evil.txt",
                         "\\\\.\\C:\\evil.txt", "CON",          "ok.txt:stream", "sub/AUX.txt"};
  for (const char* name : names) {
    TempFolder dir(L"h");
    WriteFile(dir / L"a.zip", Archive({{"first.txt", "1"}, {name, "evil"}}));
    RecordingView view;
    UnzipCounter counter;
    EXPECT_THROW(ExtractArchive(dir / L"a.zip", dir / L"out\\dest", view, counter, false), ZipError)
        << name;
    EXPECT_FALSE(FileExists(dir / L"out\\dest\\first.txt")) << name;
    EXPECT_FALSE(FileExists(dir / L"out\\evil.txt")) << name;
    EXPECT_FALSE(FileExists(L"C:\\evil.txt")) << name;
  }
}

TEST(DeployWin, DamagedMemberIsRemoved) {
  TempFolder dir(L"d");
  std::string zip = Archive({{"good.txt", "good"}, {"big.bin", Bulk(600000)}});
  // Flip a byte in the middle of the second member's data.
  zip[zip.size() / 2] = static_cast<char>(zip[zip.size() / 2] ^ 0x55);
  WriteFile(dir / L"a.zip", zip);
  RecordingView view;
  UnzipCounter counter;
  try {
    ExtractArchive(dir / L"a.zip", dir / L"out", view, counter, false);
    ADD_FAILURE() << "a damaged member was extracted";
  } catch (const ZipError& e) {
    EXPECT_NE(e.message().find(L"big.bin"), std::wstring::npos) << e.what();
  }
  EXPECT_EQ(ReadFile(dir / L"out\\good.txt"), "good");
  EXPECT_FALSE(FileExists(dir / L"out\\big.bin"));
}

// A media set: the archive of each component cut into parts of `partSize` bytes.
struct Media {
  std::map<std::wstring, std::string> archives;  // EXE -> archive bytes
  std::vector<std::map<std::wstring, std::string>> disks;
};

Media MakeMedia(size_t disks, size_t partSize) {
  Media m;
  m.archives[L"EXE"] = Archive({{"KOLVAR.EXE", Bulk(3000000)}, {"bin/", ""}, {"bin/a.dll", "a"}});
  m.archives[L"DBDAT"] = Archive({{"DATA/FIRME.DB", "firme"}});
  m.disks.resize(disks);
  size_t disk = 0;
  for (auto& [name, bytes] : m.archives) {
    for (size_t at = 0, part = 1; at < bytes.size(); at += partSize, ++part) {
      m.disks[disk][name + L"." + std::to_wstring(part)] = bytes.substr(at, partSize);
      if (disk + 1 < disks)
        ++disk;
    }
  }
  for (size_t d = 0; d < disks; ++d)
    m.disks[d][L"DISK" + std::to_wstring(d + 1)] = "";
  m.disks[0][L"INSTALL.CFG"] = "[General]\r\nNrDiscuri=" + std::to_string(disks) + "\r\n";
  m.disks[0][L"README.TXT"] = "not a part";
  m.disks[0][L"EXE.1X"] = "not a part";
  return m;
}

void PutDisk(const std::wstring& folder, const std::map<std::wstring, std::string>& files) {
  for (auto& [name, bytes] : files)
    WriteFile(folder + L"\\" + name, bytes);
}

void EmptyFolder(const std::wstring& folder) {
  for (const std::wstring& name : WinMediaFiles().ListNames(folder)) {
    std::wstring path = folder + L"\\" + name;
    if (DirectoryExists(path))
      RemoveTree(path);
    else
      DeleteFileForced(path);
  }
}

// The assembly of a client installation from `source` into `program`.
struct ClientAssembly {
  ClientAssembly(const std::wstring& source, const std::wstring& program, int diskCount) {
    state.SourceDir = source;
    state.ProposedProgramDir = state.ProgramDir = program;
    state.DiskCount = diskCount;
  }
  InstallState state;
  RecordingView view;
  WinMediaFiles files;
  int counter = 0;
  ArchiveAssembly assembly{state, bootstrap::NewInstallSet(bootstrap::kTypeClient), view, files,
                           counter};
};

TEST(DeployWin, AssemblesFromOneFolderAndCleansUp) {
  TempFolder media(L"m"), program(L"p");
  Media m = MakeMedia(3, 1000000);
  for (auto& disk : m.disks)
    PutDisk(media.path(), disk);
  WriteFile(program / L"BACKUP.ZIP", "the user's own");
  ClientAssembly client(media.path() + L"\\", program.path(), 6);
  InstallState& state = client.state;
  RecordingView& view = client.view;
  WinMediaFiles& files = client.files;
  ASSERT_TRUE(client.assembly.AssembleArchives());
  EXPECT_EQ(state.DiskCount, 1);
  EXPECT_TRUE(view.prompts.empty());
  EXPECT_EQ(ReadFile(program / L"EXE.ZIP"), m.archives[L"EXE"]);
  EXPECT_FALSE(FileExists(program / L"DBDAT.ZIP"));  // not for a client

  UnzipCounter unzip;
  ExtractArchive(program / L"EXE.ZIP", program.path(), view, unzip, false);
  EXPECT_EQ(ReadFile(program / L"bin\\a.dll"), "a");

  WriteFile(program / L"LUNARIS.ZIP", "locked");
  ::SetFileAttributesW((program / L"LUNARIS.ZIP").c_str(), FILE_ATTRIBUTE_READONLY);
  DeleteJoinedArchives(state.ProgramDir, view, files);
  EXPECT_FALSE(FileExists(program / L"EXE.ZIP"));
  EXPECT_EQ(ReadFile(program / L"BACKUP.ZIP"), "the user's own");
  ASSERT_EQ(view.cannotDelete.size(), 1u);
  EXPECT_EQ(view.cannotDelete[0], L"Nu pot sterge " + program.path() + L"\\LUNARIS.ZIP");
}

// Drive A: of the test prefix is a removable drive; the prompt callback changes the disk
// by putting the next disk's files into A:\, as a user would.
TEST(DeployWin, AssemblesFromFloppiesChangedAtThePrompt) {
  ASSERT_EQ(::GetDriveTypeW(L"A:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
  TempFolder program(L"p");
  Media m = MakeMedia(3, 1400000);
  for (bool cancelAtTwo : {false, true}) {
    EmptyFolder(L"A:");
    PutDisk(L"A:", m.disks[0]);
    InstallState state;
    state.SourceDir = L"A:\\";
    state.ProposedProgramDir = state.ProgramDir = program.path() + L"\\";
    state.DiskCount = 3;
    RecordingView view;
    size_t inDrive = 0;
    view.onPrompt = [&](int) {
      if (cancelAtTwo)
        return 2;
      EmptyFolder(L"A:");
      PutDisk(L"A:", m.disks[++inDrive]);
      return 1;
    };
    WinMediaFiles files;
    int counter = 0;
    ArchiveAssembly assembly(state, bootstrap::NewInstallSet(bootstrap::kTypeLocal), view, files,
                             counter);
    if (cancelAtTwo) {
      EXPECT_FALSE(assembly.AssembleArchives());
      EXPECT_EQ(view.modalResult, 2);
      ASSERT_EQ(view.prompts.size(), 1u);
      EXPECT_EQ(view.prompts[0], L"introdu discul de instalare cu numarul \r2");
      // Disk 1 was joined and stays: the beginning of the archive.
      EXPECT_EQ(ReadFile(program / L"DBDAT.ZIP"), m.archives[L"DBDAT"].substr(0, 1400000));
    } else {
      ASSERT_TRUE(assembly.AssembleArchives());
      EXPECT_EQ(state.DiskCount, 3);
      EXPECT_EQ(state.SourceDir, L"A:");
      EXPECT_EQ(view.prompts.size(), 2u);
      EXPECT_EQ(ReadFile(program / L"EXE.ZIP"), m.archives[L"EXE"]);
      EXPECT_EQ(ReadFile(program / L"DBDAT.ZIP"), m.archives[L"DBDAT"]);
    }
  }
  EmptyFolder(L"A:");
}

// A full disk reads as a full disk, with the file it happened to: never as damaged media. The
// partial file goes; what was finished before it stays.
// A full disk while joining or unpacking is reported with the file's name; the file being
// replaced keeps its previous bytes and no partial file is left.
TEST(DeployWin, AFullDiskIsReportedWithTheFileAndLeavesThePreviousBytes) {
  const std::wstring diskFull = SystemMessage(ERROR_DISK_FULL);
  Media m = MakeMedia(1, 1000000);
  for (bool silent : {false, true}) {
    TempFolder media(L"m"), program(L"p");
    PutDisk(media.path(), m.disks[0]);
    ClientAssembly client(media.path(), program.path(), 1);
    ArchiveAssembly& assembly = client.assembly;
    RecordingView& view = client.view;
    {
      testing::FullDisk disk(1500000, silent);  // the second part of EXE does not fit
      try {
        assembly.AssembleArchives();
        ADD_FAILURE() << "a joined archive was cut short without a word";
      } catch (const Error& e) {
        EXPECT_EQ(e.message(), L"Nu pot scrie arhiva " + (program / L"EXE.ZIP") + L": " + diskFull);
      }
    }
    EXPECT_FALSE(FileExists(program / L"EXE.ZIP")) << silent;
    // With room again the same run goes through.
    ASSERT_TRUE(assembly.AssembleArchives());
    ASSERT_EQ(ReadFile(program / L"EXE.ZIP"), m.archives[L"EXE"]);

    UnzipCounter unzip;
    WriteFile(program / L"out\\KOLVAR.EXE", "the previous version");
    {
      testing::FullDisk disk(2000000, silent);
      try {
        ExtractArchive(program / L"EXE.ZIP", program / L"out", view, unzip, false);
        ADD_FAILURE() << "a file was cut short without a word";
      } catch (const Error& e) {
        EXPECT_NE(e.message().find(L"Nu pot scrie fisierul " + (program / L"out\\KOLVAR.EXE") +
                                   L": " + diskFull),
                  std::wstring::npos)
            << Narrow(e.message());
      }
    }
    EXPECT_EQ(ReadFile(program / L"out\\KOLVAR.EXE"), "the previous version");
    EXPECT_TRUE(ListFiles(program / L"out", L"*.~KV").empty());
  }
}

TEST(DeployWin, SeedFoldersAreEmptied) {
  for (bool upgrade : {false, true}) {
    TempFolder data(L"s");
    WriteFile(data / L"NEW\\FIRMA\\SIGLA.BMP", "picture");
    WriteFile(data / L"NEW\\FIRMA\\PARAM.DB", "param");
    WriteFile(data / L"NEW\\DATA\\FIRME.DB", "firme");
    WriteFile(data / L"NEW\\LUNA\\sub\\keep.txt", "in a sub-folder");
    WriteFile(data / L"DATA\\FIRME.DB", "the working database");
    ::SetFileAttributesW((data / L"NEW\\FIRMA\\SIGLA.BMP").c_str(), FILE_ATTRIBUTE_READONLY);
    ClearSeedFolders(data.path(), upgrade);
    EXPECT_FALSE(FileExists(data / L"NEW\\FIRMA\\PARAM.DB"));
    EXPECT_FALSE(FileExists(data / L"NEW\\DATA\\FIRME.DB"));
    EXPECT_TRUE(FileExists(data / L"NEW\\LUNA\\sub\\keep.txt"));
    EXPECT_TRUE(FileExists(data / L"DATA\\FIRME.DB"));
    if (upgrade) {
      EXPECT_TRUE(FileExists(data / L"NEW\\FIRMA\\SIGLA.BMP"));
      EXPECT_FALSE(Attributes(data / L"NEW\\FIRMA\\SIGLA.BMP") & FILE_ATTRIBUTE_READONLY);
    } else {
      // A read-only picture resists DeleteFile; the new installation passes over it.
      EXPECT_TRUE(Attributes(data / L"NEW\\FIRMA\\SIGLA.BMP") & FILE_ATTRIBUTE_READONLY);
    }
  }
}

// The Windows build of the media tool: pack on small disks, join as the installer does,
// extract, and get the tree back.
TEST(DeployWin, MediaToolRoundTrip) {
  TempFolder dir(L"t");
  WriteFile(dir / L"src\\KOLVAR.EXE", Bulk(450000));
  WriteFile(dir / L"src\\bin\\x.dll", "dll");
  WriteFile(dir /
                L"src\\\x0219"
                L"coal\x0103.txt",
            "s");
  ::SetFileAttributesW((dir / L"src\\bin\\x.dll").c_str(), FILE_ATTRIBUTE_READONLY);
  std::wstring tool = L"\"" + kolvar::testing::DistFile(L"KOLVAR-MEDIA.EXE") + L"\" ";
  ASSERT_EQ(kolvar::testing::RunAndWait(tool + L"pack --out \"" + (dir / L"media") +
                                        L"\" --disk-size 200000 \"EXE=" + (dir / L"src") + L"\""),
            0);
  EXPECT_TRUE(FileExists(dir / L"media\\disk3\\EXE.3"));
  EXPECT_EQ(ReadFile(dir / L"media\\disk1\\INSTALL.CFG"), "[General]\r\nNrDiscuri=3\r\n");
  ASSERT_EQ(kolvar::testing::RunAndWait(tool + L"join \"" + (dir / L"media") + L"\" \"" +
                                        (dir / L"joined") + L"\" --type CLIENT"),
            0);
  ASSERT_EQ(kolvar::testing::RunAndWait(tool + L"extract \"" + (dir / L"joined\\EXE.ZIP") +
                                        L"\" \"" + (dir / L"out") + L"\""),
            0);
  EXPECT_EQ(ReadFile(dir / L"out\\KOLVAR.EXE"), Bulk(450000));
  EXPECT_EQ(ReadFile(dir / L"out\\\x0219"
                           L"coal\x0103.txt"),
            "s");
  EXPECT_TRUE(Attributes(dir / L"out\\bin\\x.dll") & FILE_ATTRIBUTE_READONLY);
  EXPECT_NE(kolvar::testing::RunAndWait(tool + L"extract \"" + (dir / L"none.zip") + L"\" \"" +
                                        (dir / L"out2") + L"\""),
            0);
}

}  // namespace
}  // namespace kolvar::deploy
