#include "deploy/assembly.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "platform/text.h"
#include "recording_view.h"
#include "zip_builder.h"

namespace kolvar::deploy {
namespace {

using bootstrap::InstallState;
using bootstrap::NewInstallSet;
using testing::RecordingView;

// Files in memory: the drive "A:" shows the disk in the drive, everything else is one disk.
class FakeMedia : public MediaFiles {
 public:
  using Folder = std::map<std::wstring, std::string>;
  bool IsRemovableDrive(const std::wstring& path) override { return path.rfind(L"A:", 0) == 0; }
  bool FileExists(const std::wstring& path) override {
    auto [folder, name] = Split(path);
    return Files(folder).count(name) > 0;
  }
  std::vector<std::wstring> ListNames(const std::wstring& folder) override {
    std::vector<std::wstring> names;
    for (auto& [name, bytes] : Files(ExcludeTrailingBackslash(folder)))
      names.push_back(name);
    return names;
  }
  uint64_t AppendPart(const std::wstring& extension,
                      const std::wstring& source,
                      const std::wstring& target) override {
    auto [sf, sn] = Split(source);
    auto [tf, tn] = Split(target);
    if (!Files(sf).count(sn))
      return 0;
    if (extension == L".1")
      Files(tf)[tn] = Files(sf)[sn];
    else if (Files(tf).count(tn))
      Files(tf)[tn] += Files(sf)[sn];
    else
      return 0;
    return Files(sf)[sn].size();
  }
  bool Delete(const std::wstring& path) override {
    auto [folder, name] = Split(path);
    if (locked.count(name))
      return false;
    return Files(folder).erase(name) > 0;
  }

  Folder& Files(const std::wstring& folder) {
    if (folder == L"A:")
      return disks.at(inDrive);
    return folders[folder];
  }
  static std::pair<std::wstring, std::wstring> Split(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    return {path.substr(0, slash), path.substr(slash + 1)};
  }

  std::map<std::wstring, Folder> folders;
  std::vector<Folder> disks;  // floppies; disks[inDrive] is in drive A:
  size_t inDrive = 0;
  std::set<std::wstring> locked;
};

struct AssemblyRun {
  InstallState state;
  RecordingView view;
  FakeMedia media;
  int partCounter = 0;
  AssemblyRun() { state.ProposedProgramDir = state.ProgramDir = L"C:\\ProKolv"; }
  bool Assemble(uint8_t type) {
    state.InstallType = type;
    ArchiveAssembly assembly(state, NewInstallSet(type), view, media, partCounter);
    return assembly.AssembleArchives();
  }
  FakeMedia::Folder& program() { return media.folders[L"C:\\ProKolv"]; }
};

TEST(Assembly, OneFolderMediaIgnoresTheDiskCount) {
  AssemblyRun r;
  r.state.SourceDir = L"D:\\KIT\\";
  r.state.DiskCount = 6;
  r.media.folders[L"D:\\KIT"] = {{L"DISK1", ""},       {L"EXE.1", "a"},  {L"EXE.2", "b"},
                                 {L"EXE.10", "j"},     {L"EXE.3", "c"},  {L"DBDAT.1", "d"},
                                 {L"README.TXT", "r"}, {L"EXE.1X", "x"}, {L"INSTALL.EXE", "i"},
                                 {L"UPGRADE.1", "u"}};
  ASSERT_TRUE(r.Assemble(bootstrap::kTypeClient));
  EXPECT_EQ(r.state.DiskCount, 1);
  EXPECT_EQ(r.state.SourceDir, L"D:\\KIT");
  EXPECT_TRUE(r.view.prompts.empty());
  EXPECT_EQ(r.view.heading, L"Pentru continuare");
  // Text order: EXE.10 comes between EXE.1 and EXE.2; DBDAT is not for a client.
  EXPECT_EQ(r.program()[L"EXE.ZIP"], "ajbc");
  EXPECT_EQ(r.program().count(L"DBDAT.ZIP"), 0u);
  EXPECT_EQ(r.partCounter, 4);
  EXPECT_EQ(r.view.statuses, (std::vector<std::wstring>{L"Asamblare arhive...", L"EXE.1", L"EXE.10",
                                                        L"EXE.2", L"EXE.3"}));
  EXPECT_EQ(r.view.copyPositions, (std::vector<int>{0, 1, 1}));
}

TEST(Assembly, FloppiesArePromptedForAndSwapped) {
  AssemblyRun r;
  r.state.SourceDir = L"A:";
  r.state.DiskCount = 3;
  r.media.disks = {{{L"DISK1", ""}, {L"EXE.1", "1"}, {L"BDE32.1", "b"}},
                   {{L"DISK2", ""}, {L"EXE.2", "2"}, {L"DBDAT.1", "d"}},
                   {{L"DISK3", ""}}};
  r.program()[L"EXE.ZIP"] = "older archive";
  r.view.onPrompt = [&](int count) {
    // The first prompt is answered with the wrong disk still in the drive.
    if (count > 1)
      r.media.inDrive = std::min<size_t>(r.media.inDrive + 1, 2);
    return 1;
  };
  ASSERT_TRUE(r.Assemble(bootstrap::kTypeLocal));
  EXPECT_EQ(r.state.DiskCount, 3);
  EXPECT_EQ(r.program()[L"EXE.ZIP"], "12");
  EXPECT_EQ(r.program()[L"DBDAT.ZIP"], "d");
  EXPECT_EQ(r.view.prompts.size(), 3u);
  EXPECT_EQ(r.view.prompts[0], L"introdu discul de instalare cu numarul \r2");
  // After each disk the gauge shows the parts so far, clamped to the disk count.
  EXPECT_EQ(r.view.copyPositions, (std::vector<int>{0, 1, 2, 2, 3, 3, 3}));
}

TEST(Assembly, CancelAtDiskTwoLeavesThePartlyJoinedArchives) {
  AssemblyRun r;
  r.state.SourceDir = L"A:\\";
  r.state.DiskCount = 2;
  r.media.disks = {{{L"DISK1", ""}, {L"EXE.1", "1"}}, {{L"DISK2", ""}, {L"EXE.2", "2"}}};
  EXPECT_FALSE(r.Assemble(bootstrap::kTypeLocal));
  EXPECT_EQ(r.view.modalResult, 2);
  EXPECT_EQ(r.program()[L"EXE.ZIP"], "1");
  EXPECT_EQ(r.state.SourceDir, L"A:");
}

TEST(Assembly, JoinedArchivesAreMadeAfresh) {
  {
    // Archives an earlier run (or other media) left: none stands in for these disks' parts.
    AssemblyRun r;
    r.state.SourceDir = L"D:\\KIT";
    r.media.folders[L"D:\\KIT"] = {{L"DISK1", ""}, {L"EXE.2", "b"}, {L"HELP.1", "h"}};
    r.program() = {{L"exe.zip", "stale"}, {L"LUNARIS.ZIP", "stale"}, {L"BACKUP.ZIP", "mine"}};
    ASSERT_TRUE(r.Assemble(bootstrap::kTypeLocal));
    // Without its first part EXE is lost rather than appended to the old archive.
    EXPECT_EQ(r.program(), (FakeMedia::Folder{{L"BACKUP.ZIP", "mine"}, {L"HELP.ZIP", "h"}}));
  }
  {
    // One that cannot be deleted stops the run before any disk is read.
    AssemblyRun r;
    r.state.SourceDir = L"A:";
    r.state.DiskCount = 2;
    r.media.disks = {{{L"DISK1", ""}, {L"EXE.1", "1"}}};
    r.program() = {{L"EXE.ZIP", "read-only"}};
    r.media.locked = {L"EXE.ZIP"};
    try {
      r.Assemble(bootstrap::kTypeClient);
      ADD_FAILURE() << "an old joined archive was kept";
    } catch (const Error& e) {
      EXPECT_EQ(e.message(), L"Nu pot sterge C:\\ProKolv\\EXE.ZIP");
    }
    EXPECT_EQ(r.program()[L"EXE.ZIP"], "read-only");
    EXPECT_EQ(r.partCounter, 0);
  }
}

TEST(Assembly, NoDisksMeansNothingToDo) {
  AssemblyRun r;
  r.state.SourceDir = L"A:";
  r.state.DiskCount = 0;
  EXPECT_TRUE(r.Assemble(bootstrap::kTypeLocal));
  EXPECT_TRUE(r.view.prompts.empty());
}

TEST(Assembly, DeletesOnlyTheComponentArchives) {
  AssemblyRun r;
  r.program() = {{L"EXE.ZIP", ""},
                 {L"lunaris.zip", ""},
                 {L"BACKUP.ZIP", ""},
                 {L"HELP.ZIP", ""},
                 {L"NOTES.TXT", ""}};
  r.media.locked = {L"HELP.ZIP"};
  r.state.ProgramDir = L"C:\\ProKolv\\";
  DeleteJoinedArchives(r.state.ProgramDir, r.view, r.media);
  std::vector<std::wstring> left;
  for (auto& [name, bytes] : r.program())
    left.push_back(name);
  EXPECT_EQ(left, (std::vector<std::wstring>{L"BACKUP.ZIP", L"HELP.ZIP", L"NOTES.TXT"}));
  EXPECT_EQ(r.view.cannotDelete,
            (std::vector<std::wstring>{L"Nu pot sterge C:\\ProKolv\\HELP.ZIP"}));
}

// Collects nothing: the gauge test needs only the reports.
class NullTarget : public ExtractTarget {
 public:
  class File : public OutputFile {
    void Write(const char*, size_t) override {}
    void Finish(uint16_t, uint16_t, std::optional<uint8_t>) override {}
  };
  void CreateFolders(const std::wstring&) override {}
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring&) override {
    return std::make_unique<File>();
  }
  void RemoveFile(const std::wstring&) noexcept override {}
};

TEST(Assembly, ExtractionGauge) {
  using testing::Member;
  {
    // Entries under 1 KB: ZipSize 0 and the gauge stays at 0 %.
    MemorySource source(testing::BuildZip(
        {Member{"a", std::string(1000, 'a')}, Member{"b", std::string(1023, 'b')}}));
    ZipArchive zip(source, L"s.zip");
    RecordingView view;
    UnzipCounter counter;
    NullTarget target;
    ExtractWithGauge(zip, target, view, counter, false, {});
    EXPECT_EQ(counter.ZipSize, 0u);
    for (int p : view.unzipPercents)
      EXPECT_EQ(p, 0);
    EXPECT_EQ(view.pumps, 0);
  }
  {
    MemorySource source(testing::BuildZip(
        {Member{"a", std::string(3 << 20, 'a')}, Member{"b", std::string(1 << 20, 'b')}}));
    ZipArchive zip(source, L"m.zip");
    RecordingView view;
    UnzipCounter counter;
    NullTarget target;
    ExtractWithGauge(zip, target, view, counter, true, {});
    EXPECT_EQ(counter.ZipSize, 4096u);
    EXPECT_EQ(view.unzip.maximum, 4096);
    EXPECT_EQ(view.unzipPercents.back(), 100);
    EXPECT_TRUE(std::is_sorted(view.unzipPercents.begin(), view.unzipPercents.end()));
    EXPECT_GT(view.unzipPercents.size(), 5u);
    EXPECT_GT(view.pumps, 5);
  }
}

}  // namespace
}  // namespace kolvar::deploy
