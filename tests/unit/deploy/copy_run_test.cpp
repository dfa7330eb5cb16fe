#include "deploy/copy_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <cstring>

#include "deploy/native_files.h"
#include "deploy/native_media.h"
#include "deploy/zip_writer.h"
#include "platform/text.h"
#include "recording_view.h"
#include "test_files.h"

namespace kolvar::deploy {
namespace {

using bootstrap::InstallState;
using namespace testing;

// A small Windows machine below a temporary folder: "C:\X" is <root>/C/X, a path beginning
// with "\" is on drive C, a relative path is below the current folder.
class Machine {
 public:
  std::string Host(const std::wstring& path) const {
    std::wstring full = path;
    if (full.size() >= 2 && full[1] == L':')
      full = full.substr(0, 1) + full.substr(2);
    else if (!full.empty() && full[0] == L'\\')
      full = L"C" + full;
    else
      full = current + L"\\" + path;
    std::string out = root.path() + "/" + WideToUtf8(full);
    for (char& c : out)
      if (c == '\\')
        c = '/';
    return out;
  }
  Machine() { fs::create_directories(root / "C/Program Files"); }
  TempDir root;
  std::wstring current = L"C";  // in Host's form: drive letter, then the folders
};

class MachineMedia : public NativeMediaFiles {
 public:
  explicit MachineMedia(Machine& machine) : machine_(machine) {}

 protected:
  std::string Map(const std::wstring& path) override { return machine_.Host(path); }

 private:
  Machine& machine_;
};

class MachineSystem : public CopySystem {
 public:
  MachineSystem(Machine& machine, RecordingView& view) : machine_(machine), view_(view) {}

  void SetCurrentFolder(const std::wstring& folder) override {
    if (!fs::is_directory(machine_.Host(folder)))
      throw Error(L"Nu pot schimba folderul curent in " + folder);
    std::wstring host = Utf8ToWide(machine_.Host(folder).substr(machine_.root.path().size() + 1));
    for (wchar_t& c : host)
      if (c == L'/')
        c = L'\\';
    machine_.current = host;
  }
  void ClearSeedFolders(const std::wstring& dataDir, bool upgrade) override {
    for (const wchar_t* seed : kSeedFolders) {
      std::string folder = machine_.Host(IncludeTrailingBackslash(dataDir) + seed);
      std::error_code ignored;
      for (auto& entry : fs::directory_iterator(folder, ignored)) {
        struct stat st;
        ::stat(entry.path().c_str(), &st);
        uint32_t attributes = S_ISDIR(st.st_mode) ? 0x10 : (st.st_mode & 0222) ? 0x20 : 0x21;
        switch (
            SeedEntryAction(Utf8ToWide(entry.path().filename().string()), attributes, upgrade)) {
          case SeedAction::kLeave:
            break;
          case SeedAction::kKeepWritable:
            fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
            break;
          case SeedAction::kDelete:
            if (!S_ISDIR(st.st_mode))
              fs::remove(entry.path(), ignored);
            break;
        }
      }
    }
  }
  void ExtractArchive(const std::wstring& archive,
                      const std::wstring& destination,
                      CopyView& view,
                      UnzipCounter& counter,
                      bool pump,
                      const EntryFilter& filter) override {
    extracted.push_back(archive + L" -> " + destination);
    NativeFileSource source(machine_.Host(archive));
    ZipArchive zip(source, archive);
    fs::create_directories(machine_.Host(destination));
    NativeExtractTarget target(machine_.Host(destination));
    ExtractWithGauge(zip, target, view, counter, pump, filter);
  }
  void CreateMarker(const std::wstring& path) override {
    std::string host = machine_.Host(path);
    fs::create_directories(fs::path(host).parent_path());
    WriteText(host, "");
  }
  EngineRegistration ReadEngineRegistration() override { return engine; }
  std::optional<std::wstring> ProgramFilesDir() override { return programFiles; }
  void CreateFolder(const std::wstring& path) override {
    created.push_back(path);
    std::error_code ignored;
    fs::create_directory(machine_.Host(path), ignored);
  }
  void ShowInstructions() override { ++instructions; }
  void ShowOldEngineWarning(const std::wstring& text) override {
    warnings.push_back(view_.heading + L"|" + text);
  }

  EngineRegistration engine;
  std::optional<std::wstring> programFiles = L"C:\\Program Files";
  std::vector<std::wstring> extracted, created, warnings;
  int instructions = 0;

 private:
  Machine& machine_;
  RecordingView& view_;
};

std::string Zip(const std::vector<std::pair<std::string, std::string>>& files) {
  MemorySink sink;
  ZipWriter writer(sink);
  for (auto& [name, data] : files)
    writer.AddFile({name, DosDate(2024, 5, 1), DosTime(10, 0, 0), 0x20}, data);
  writer.Finish();
  return sink.bytes;
}

// One copy page with its media on "D:\KIT" (one folder, so one disk), the program folder
// "C:\ProKolv" and the data folder "C:\Date".
struct Page {
  Machine machine;
  RecordingView view;
  MachineMedia media{machine};
  MachineSystem system{machine, view};
  InstallState state;
  int partCounter = 0;
  UnzipCounter counter;

  Page() {
    state.SourceDir = L"D:\\KIT";
    state.ProposedProgramDir = state.ProgramDir = L"C:\\ProKolv";
    state.DataDir = L"C:\\Date";
    WriteText(Host(L"D:\\KIT\\DISK1"), "");
    fs::create_directories(Host(L"C:\\ProKolv"));
    OldEngineFound = false;
  }
  std::string Host(const std::wstring& path) const { return machine.Host(path); }
  // The archive cut into two parts, as the media carry it.
  void Media(const std::string& component, const std::string& zip) {
    WriteText(Host(L"D:\\KIT\\" + Utf8ToWide(component) + L".1"), zip.substr(0, zip.size() / 2));
    WriteText(Host(L"D:\\KIT\\" + Utf8ToWide(component) + L".2"), zip.substr(zip.size() / 2));
  }
  void FullMedia() {
    Media("EXE", Zip({{"KOLVAR.EXE", "program 2"}, {"IDAPI/IDAPI32.DLL", "engine dll"}}));
    Media("LUNARIS", Zip({{"LUNARIS.EXE", "lunaris"}}));
    Media("DBDAT", Zip({{"DATA/FIRME.DB", "sample firms"}, {"DATA/OPERATOR.DB", "operators"}}));
    Media("DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed firms"},
                        {"DATA/FIRME.DB", "empty firms"},
                        {"NEWS.TXT", "news"},
                        {"NEW/FIRMA/SIGLA.BMP", "new logo"}}));
    Media("BDE32", Zip({{"IDAPI32.DLL", "bde"}}));
    Media("HELP", Zip({{"bin/help.hlp", "help"}}));
    Media("TORNEVA", Zip({{"TORNEVA.EXE", "torneva"}}));
  }
  int Run(CopyKind kind, uint8_t type) {
    state.InstallType = type;
    return CopyRun(kind, state, view, media, system, partCounter, counter).Run();
  }
  std::string Read(const std::wstring& path) const { return ReadText(Host(path)); }
  bool Exists(const std::wstring& path) const { return fs::exists(Host(path)); }
  std::vector<std::string> JoinedArchives() const {
    std::vector<std::string> names;
    for (auto& [name, s] : Snapshot(Host(L"C:\\ProKolv")))
      if (name.size() > 4 && name.substr(name.size() - 4) == ".ZIP")
        names.push_back(name);
    return names;
  }
};

const wchar_t* const kEngineDir = L"C:\\Program Files\\Borland\\Common Files\\BDE";

TEST(CopyRun, NewInstallationPerType) {
  for (uint8_t type : {bootstrap::kTypeLocal, bootstrap::kTypeServer}) {
    Page p;
    p.FullMedia();
    fs::remove(p.Host(L"D:\\KIT\\LUNARIS.1"));
    fs::remove(p.Host(L"D:\\KIT\\LUNARIS.2"));
    ASSERT_EQ(p.Run(CopyKind::kNewInstall, type), 1);
    EXPECT_EQ(p.state.DataDir, L"C:\\Date\\");
    EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
    EXPECT_EQ(p.Read(L"C:\\ProKolv\\IDAPI\\IDAPI32.DLL"), "engine dll");
    EXPECT_EQ(p.Read(L"C:\\ProKolv\\bin\\help.hlp"), "help");
    EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\FIRME.DB"), "empty firms");  // DBNEW comes after DBDAT
    EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\OPERATOR.DB"), "operators");
    EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
    EXPECT_EQ(p.Read(std::wstring(kEngineDir) + L"\\IDAPI32.DLL"), "bde");
    EXPECT_EQ(p.system.created,
              (std::vector<std::wstring>{L"C:\\Program Files\\Borland",
                                         L"C:\\Program Files\\Borland\\Common Files", kEngineDir}));
    // EXE, HELP and TORNEVA went to the program folder; LUNARIS was not on the media.
    EXPECT_EQ(p.system.instructions, 3);
    EXPECT_EQ(p.system.extracted.size(), 6u);
    EXPECT_TRUE(p.JoinedArchives().empty());
    EXPECT_EQ(p.view.statuses.back(), L"Torneva KOLVAR");
    EXPECT_EQ(p.view.pumps, 0);
    EXPECT_TRUE(p.system.warnings.empty());
  }
  {
    // A client: the data folder is neither touched nor renamed.
    Page p;
    p.FullMedia();
    WriteText(p.Host(L"C:\\Date\\NEW\\DATA\\OLD.DB"), "server seed");
    ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeClient), 1);
    EXPECT_EQ(p.state.DataDir, L"C:\\Date");
    EXPECT_EQ(Snapshot(p.Host(L"C:\\Date")).size(), 3u);
    EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\OLD.DB"), "server seed");
    EXPECT_EQ(p.system.instructions, 4);
    EXPECT_EQ(p.Read(L"C:\\ProKolv\\LUNARIS.EXE"), "lunaris");
  }
  {
    // No type chosen: nothing is selected, nothing unpacked.
    Page p;
    p.FullMedia();
    ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeNone), 1);
    EXPECT_TRUE(p.system.extracted.empty());
  }
}

TEST(CopyRun, AnExistingDatabaseIsNotOverwritten) {
  for (const wchar_t* marker : {L"C:\\Date\\DATA\\FIRME.DB", L"C:\\Date\\DATA\\OPERATOR.DB"}) {
    Page p;
    p.FullMedia();
    p.state.DataDir = L"C:\\Date\\";
    WriteText(p.Host(marker), "working database");
    WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), "old logo");
    WriteText(p.Host(L"C:\\Date\\NEW\\LUNA\\L.DB"), "old seed");
    WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\STAMPILA.PNG"), "the firm's stamp");
    ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
    // DBDAT is skipped; DBNEW still goes in after the seed folders were cleaned as an upgrade
    // cleans them, the firm's pictures kept, but only its seed tree: its empty DATA\FIRME.DB
    // would replace the working one.
    EXPECT_EQ(p.Read(marker), "working database");
    EXPECT_EQ(Snapshot(p.Host(L"C:\\Date\\DATA")).size(), 1u);
    EXPECT_FALSE(p.Exists(L"C:\\Date\\NEW\\LUNA\\L.DB"));
    EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\FIRMA\\STAMPILA.PNG"), "the firm's stamp");
    EXPECT_FALSE(p.Exists(L"C:\\Date\\DBDAT.TMP"));
    EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), "new logo");
    EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
    EXPECT_EQ(p.Read(L"C:\\Date\\NEWS.TXT"), "news");
    for (const std::wstring& e : p.system.extracted)
      EXPECT_EQ(e.find(L"DBDAT"), std::wstring::npos);
  }
}

// A run that stopped in the middle of the sample database leaves it unfinished: the next run
// completes it instead of taking it for the user's, and a finished one is the user's again.
TEST(CopyRun, AnUnfinishedSampleDatabaseIsCompletedByTheNextRun) {
  Page p;
  p.FullMedia();
  std::string operators(200000, '\0');
  uint32_t seed = 7;
  for (char& c : operators)
    c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  std::string sample = Zip({{"DATA/FIRME.DB", "sample firms"}, {"DATA/OPERATOR.DB", operators}});
  std::string damaged = sample;
  damaged[sample.size() / 2] ^= 0x55;  // in the second member's data
  p.Media("DBDAT", damaged);
  EXPECT_THROW(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), ZipError);
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\FIRME.DB"), "sample firms");
  EXPECT_FALSE(p.Exists(L"C:\\Date\\DATA\\OPERATOR.DB"));
  EXPECT_TRUE(p.Exists(L"C:\\Date\\DBDAT.TMP"));

  p.Media("DBDAT", sample);
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\OPERATOR.DB"), operators);
  EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
  EXPECT_FALSE(p.Exists(L"C:\\Date\\DBDAT.TMP"));

  // The user works in it; a reinstallation later leaves it alone.
  WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "the user's firms");
  p.system.extracted.clear();
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\FIRME.DB"), "the user's firms");
  for (const std::wstring& e : p.system.extracted)
    EXPECT_EQ(e.find(L"DBDAT"), std::wstring::npos);
}

// The media tool's join on a disk that fills up (a file size limit plays it): the join says
// so with the archive's name and the system's reason, and leaves no cut-short archive.
TEST(CopyRun, TheMediaToolsJoinReportsAFullDisk) {
  TempDir dir;
  std::string part(300000, 'x');
  WriteText(dir / "EXE.1", part);
  WriteText(dir / "EXE.2", part);
  std::wstring target = Utf8ToWide(dir / "EXE.ZIP");
  NativeMediaFiles files;
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 400000;
  auto handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  std::wstring message;
  try {
    files.AppendPart(L".1", Utf8ToWide(dir / "EXE.1"), target);
    files.AppendPart(L".2", Utf8ToWide(dir / "EXE.2"), target);
  } catch (const Error& e) {
    message = e.message();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, handler);
  EXPECT_EQ(message, L"Nu pot scrie arhiva " + target + L": " + Utf8ToWide(std::strerror(EFBIG)));
  EXPECT_FALSE(fs::exists(dir / "EXE.ZIP"));
}

TEST(CopyRun, EngineRule) {
  struct Case {
    bool registered;
    std::optional<std::wstring> version;
    bool warned;
  } cases[] = {
      {true, L"4.0", false}, {true, L"5.01", false}, {true, L"3.5", true},
      {true, L"5", false},   {true, L"", true},      {true, std::nullopt, false},
  };
  for (const Case& c : cases) {
    Machine machine;
    RecordingView view;
    MachineSystem system(machine, view);
    OldEngineFound = false;
    system.engine = {c.registered, c.version};
    EXPECT_FALSE(EngineDestination(system, view)) << WideToUtf8(c.version.value_or(L"-"));
    EXPECT_EQ(system.warnings.size(), c.warned ? 1u : 0u);
    EXPECT_EQ(OldEngineFound, c.warned);
    EXPECT_TRUE(system.created.empty());
    if (c.warned) {
      EXPECT_EQ(system.warnings[0], std::wstring(kOldEngineHeading) + L"|" + kOldEngineText);
      EXPECT_EQ(view.heading, L"PENTRU CONTINUARE");
    }
  }
  {
    // No engine: its folder below the program-files folder, or on the current drive.
    Machine machine;
    RecordingView view;
    MachineSystem system(machine, view);
    EXPECT_EQ(EngineDestination(system, view), std::wstring(kEngineDir));
    EXPECT_TRUE(fs::is_directory(machine.Host(kEngineDir)));
    system.programFiles.reset();
    EXPECT_EQ(EngineDestination(system, view), std::wstring(L"\\Borland\\Common Files\\BDE"));
    EXPECT_TRUE(fs::is_directory(machine.Host(L"\\Borland\\Common Files\\BDE")));
  }
  {
    // A registered engine skips the archive in the whole run.
    Page p;
    p.FullMedia();
    p.system.engine = {true, L"5.01"};
    ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeClient), 1);
    EXPECT_FALSE(p.Exists(kEngineDir));
    EXPECT_TRUE(p.JoinedArchives().empty());
  }
}

TEST(CopyRun, UpgradeRefreshesProgramsAndSeedData) {
  Page p;
  p.FullMedia();
  p.state.ProgramDir = p.state.ProposedProgramDir = L"C:\\ProKolv\\";
  WriteText(p.Host(L"C:\\ProKolv\\KOLVAR.EXE"), "program 1");
  WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "working firms");
  WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\PARAM.DB"), "old param");
  WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), "old logo");
  fs::permissions(p.Host(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), fs::perms::owner_read);
  WriteText(p.Host(L"C:\\Date\\NEW\\LUNA\\POZA.PNG"), "picture");
  ASSERT_EQ(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), 1);
  EXPECT_EQ(p.state.DataDir, L"C:\\Date\\");
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
  EXPECT_FALSE(p.Exists(L"C:\\ProKolv\\IDAPI"));
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\bin\\help.hlp"), "help");
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\FIRME.DB"), "working firms");
  EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
  EXPECT_EQ(p.Read(L"C:\\Date\\NEWS.TXT"), "news");
  EXPECT_FALSE(p.Exists(L"C:\\Date\\NEW\\FIRMA\\PARAM.DB"));
  EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), "new logo");
  EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\LUNA\\POZA.PNG"), "picture");
  // Neither the sample database nor the engine is touched by an upgrade.
  EXPECT_FALSE(p.Exists(kEngineDir));
  EXPECT_EQ(p.system.extracted.size(), 5u);
  EXPECT_EQ(p.system.instructions, 4);
  EXPECT_GT(p.view.pumps, 0);
  EXPECT_TRUE(ProgramArchiveFlag);
  EXPECT_TRUE(p.JoinedArchives().empty());

  // A client refreshes the programs only.
  Page c;
  c.FullMedia();
  WriteText(c.Host(L"C:\\Date\\NEW\\DATA\\OLD.DB"), "seed");
  ASSERT_EQ(c.Run(CopyKind::kUpgrade, bootstrap::kTypeClient), 1);
  EXPECT_EQ(c.state.DataDir, L"C:\\Date");
  EXPECT_EQ(Snapshot(c.Host(L"C:\\Date")).size(), 3u);
  EXPECT_EQ(c.system.extracted.size(), 4u);
}

TEST(CopyRun, UpgradeWithoutTheSeedArchiveKeepsTheSeedData) {
  Page p;
  p.Media("EXE", Zip({{"KOLVAR.EXE", "program 2"}}));
  WriteText(p.Host(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
  WriteText(p.Host(L"C:\\Date\\NEW\\LUNA\\L.DB"), "seed month");
  auto before = Snapshot(p.Host(L"C:\\Date"));
  ASSERT_EQ(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), 1);
  EXPECT_EQ(Snapshot(p.Host(L"C:\\Date")), before) << Describe(Snapshot(p.Host(L"C:\\Date")));
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
  // Every archive of an upgrade is optional.
  EXPECT_EQ(p.system.extracted.size(), 1u);
}

TEST(CopyRun, AFailedRunStopsAndCanBeRepeated) {
  Page p;
  p.FullMedia();
  // The mandatory DBDAT archive is missing and the program folder holds earlier files.
  for (const wchar_t* part : {L"D:\\KIT\\DBDAT.1", L"D:\\KIT\\DBDAT.2"})
    ASSERT_TRUE(fs::remove(p.Host(part)));
  WriteText(p.Host(L"C:\\ProKolv\\MINE.TXT"), "user file");
  try {
    p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal);
    ADD_FAILURE() << "a missing archive was passed over";
  } catch (const Error& e) {
    EXPECT_NE(e.message().find(L"DBDAT.ZIP"), std::wstring::npos) << e.what();
  }
  // What was unpacked stays; the rest is not unpacked; the joined archives stay.
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\MINE.TXT"), "user file");
  EXPECT_FALSE(p.Exists(L"C:\\ProKolv\\bin\\help.hlp"));
  EXPECT_EQ(p.JoinedArchives().size(), 6u);

  // Continue again, once the media are right, repeats the run from its start.
  p.Media("DBDAT", Zip({{"DATA/FIRME.DB", "sample firms"}}));
  p.system.extracted.clear();
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.system.extracted.size(), 7u);
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\bin\\help.hlp"), "help");
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\MINE.TXT"), "user file");
  EXPECT_TRUE(p.JoinedArchives().empty());

  // A damaged archive and an unusable program folder fail the same way.
  std::string zip = Zip({{"TORNEVA.EXE", std::string(5000, 't')}});
  zip[40] ^= 0x55;
  p.Media("TORNEVA", zip);
  EXPECT_THROW(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), ZipError);
  p.state.ProposedProgramDir = L"C:\\Lipsa";
  EXPECT_THROW(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), Error);
}

}  // namespace
}  // namespace kolvar::deploy
