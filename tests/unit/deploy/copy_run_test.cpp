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

// The machine's files as the copy run's file layer sees them; room and files in use can be
// played.
class MachineFiles : public NativeFileSystem {
 public:
  explicit MachineFiles(Machine& machine) : machine_(machine) {}
  WriteAccess CheckWriteAccess(const std::wstring& path, std::wstring& reason) override {
    for (const std::wstring& busy : inUse)
      if (busy == path)
        return WriteAccess::kInUse;
    return NativeFileSystem::CheckWriteAccess(path, reason);
  }
  std::optional<VolumeSpace> Space(const std::wstring& path) override {
    std::optional<VolumeSpace> space = NativeFileSystem::Space(path);
    if (space && freeBytes)
      space->free = *freeBytes;
    return space;
  }
  std::vector<std::wstring> inUse;
  std::optional<uint64_t> freeBytes;

 protected:
  std::string Map(const std::wstring& path) override { return machine_.Host(path); }

 private:
  Machine& machine_;
};

class MachineSystem : public CopySystem {
 public:
  MachineSystem(Machine& machine, RecordingView& view)
      : files(machine), faults(files), machine_(machine), view_(view) {}

  void SetCurrentFolder(const std::wstring& folder) override {
    if (!fs::is_directory(machine_.Host(folder)))
      throw Error(L"Nu pot schimba folderul curent in " + folder);
    std::wstring host = Utf8ToWide(machine_.Host(folder).substr(machine_.root.path().size() + 1));
    for (wchar_t& c : host)
      if (c == L'/')
        c = L'\\';
    machine_.current = host;
  }
  FileSystem& Files() override { return faults; }
  std::unique_ptr<ByteSource> OpenArchive(const std::wstring& archive) override {
    return std::make_unique<NativeFileSource>(machine_.Host(archive));
  }
  void Unpack(const ZipArchive& archive,
              ExtractTarget& target,
              CopyView& view,
              UnzipCounter& counter,
              bool pump,
              const EntryFilter& filter) override {
    extracted.push_back(archive.archiveName());
    CopySystem::Unpack(archive, target, view, counter, pump, filter);
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
  MachineFiles files;
  FaultInjection faults;
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

// The sample database goes in whole or not at all, and never over a firm's tables, whatever
// an earlier run left beside them.
TEST(CopyRun, TheSampleDatabaseNeverReplacesADatabase) {
  Page p;
  p.FullMedia();
  std::string operators(200000, '\0');
  uint32_t seed = 7;
  for (char& c : operators)
    c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  std::string sample = Zip({{"DATA/FIRME.DB", "sample firms"}, {"DATA/OPERATOR.DB", operators}});
  std::string damaged = sample;
  damaged[sample.size() / 2] ^= 0x55;  // in the second member's data, found by its CRC
  p.Media("DBDAT", damaged);
  auto program = Snapshot(p.Host(L"C:\\ProKolv"));
  try {
    p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal);
    ADD_FAILURE() << "a damaged sample database was taken";
  } catch (const ZipError& e) {
    EXPECT_NE(e.message().find(kInstallKeptText), std::wstring::npos) << e.what();
  }
  // Nothing of the run stays: no half sample, no staging folder, no new program files.
  EXPECT_FALSE(p.Exists(L"C:\\Date\\DATA"));
  EXPECT_FALSE(p.Exists(std::wstring(L"C:\\Date\\") + kSampleStagingName));
  EXPECT_FALSE(p.Exists(L"C:\\ProKolv\\KOLVAR.EXE"));
  EXPECT_FALSE(p.Exists(std::wstring(L"C:\\ProKolv\\") + kRollbackFolderName));

  p.Media("DBDAT", sample);
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\OPERATOR.DB"), operators);
  EXPECT_EQ(p.Read(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "seed firms");
  EXPECT_FALSE(p.Exists(std::wstring(L"C:\\Date\\") + kSampleStagingName));

  // A firm's books moved into the folder beside a stray marker and a stale staging folder of
  // an older installer: a reinstallation leaves the books alone.
  WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "the firm's books");
  WriteText(p.Host(L"C:\\Date\\DATA\\OPERATOR.DB"), "the firm's operators");
  WriteText(p.Host(L"C:\\Date\\DBDAT.TMP"), "");
  WriteText(p.Host(std::wstring(L"C:\\Date\\") + kSampleStagingName + L"\\DATA\\FIRME.DB"), "x");
  p.system.extracted.clear();
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\FIRME.DB"), "the firm's books");
  EXPECT_EQ(p.Read(L"C:\\Date\\DATA\\OPERATOR.DB"), "the firm's operators");
  for (const std::wstring& e : p.system.extracted)
    EXPECT_EQ(e.find(L"DBDAT"), std::wstring::npos);
}

// The check before the first write: too little room, or a file the suite holds open, stops
// the run before anything is written, with the volume's figures or the files named.
TEST(CopyRun, RoomAndFilesInUseAreCheckedBeforeTheFirstWrite) {
  Page p;
  p.FullMedia();
  WriteText(p.Host(L"C:\\ProKolv\\KOLVAR.EXE"), "program 1");
  WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "working firms");
  auto program = Snapshot(p.Host(L"C:\\ProKolv"));
  auto data = Snapshot(p.Host(L"C:\\Date"));
  auto unchanged = [&] {
    auto now = Snapshot(p.Host(L"C:\\ProKolv"));
    for (auto it = now.begin(); it != now.end();)
      it = it->first.size() > 4 && it->first.substr(it->first.size() - 4) == ".ZIP" ? now.erase(it)
                                                                                    : ++it;
    return now == program && Snapshot(p.Host(L"C:\\Date")) == data;
  };

  p.system.files.freeBytes = 1000;
  try {
    p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer);
    ADD_FAILURE() << "no room was not noticed";
  } catch (const Error& e) {
    EXPECT_EQ(e.message().rfind(L"Nu este destul loc pe discul C:\\\rsunt necesari 1 MB, sunt "
                                L"liberi 0 MB.",
                                0),
              0u)
        << e.what();
  }
  EXPECT_TRUE(unchanged());
  EXPECT_TRUE(p.system.extracted.empty());

  p.system.files.freeBytes.reset();
  for (int i = 0; i < 12; ++i)
    p.system.files.inUse.push_back(L"C:\\ProKolv\\F" + DecimalText(i));
  p.system.files.inUse.push_back(L"C:\\ProKolv\\KOLVAR.EXE");
  try {
    p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer);
    ADD_FAILURE() << "a file in use was not noticed";
  } catch (const Error& e) {
    EXPECT_EQ(e.message(), std::wstring(L"Urmatoarele fisiere sunt folosite de alt program:\r"
                                        L"C:\\ProKolv\\KOLVAR.EXE\r"
                                        L"Inchideti ProKOLVAR pe acest calculator si apasati "
                                        L"'Continua'.\rNu a fost scris nici un fisier."));
  }
  EXPECT_TRUE(unchanged());
  std::vector<std::wstring> many;
  for (int i = 0; i < 12; ++i)
    many.push_back(L"F" + DecimalText(i));
  std::wstring text = FilesInUseText(many);
  EXPECT_NE(text.find(L"F9\r...\r"), std::wstring::npos);
  EXPECT_EQ(text.find(L"F10"), std::wstring::npos);

  p.system.files.inUse.clear();
  ASSERT_EQ(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), 1);
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
}

// Three starting machines, and a fault at every change the unpacking makes: after each the
// program and data folders are what they were, and a run without the fault completes.
TEST(CopyRun, EveryInjectedFaultLeavesTheFoldersAsTheyWere) {
  struct Start {
    const char* name;
    CopyKind kind;
    void (*prepare)(Page&);
  } starts[] = {
      {"new installation into an empty folder", CopyKind::kNewInstall, [](Page&) {}},
      {"reinstallation over a suite with a firm's database", CopyKind::kNewInstall,
       [](Page& p) {
         WriteText(p.Host(L"C:\\ProKolv\\KOLVAR.EXE"), "program 1");
         WriteText(p.Host(L"C:\\ProKolv\\IDAPI\\IDAPI32.DLL"), "old engine dll");
         WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "the firm's books");
         WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), "the firm's logo");
         fs::permissions(p.Host(L"C:\\Date\\NEW\\FIRMA\\SIGLA.BMP"), fs::perms::owner_read);
         WriteText(p.Host(L"C:\\Date\\NEW\\LUNA\\L.DB"), "old seed");
       }},
      {"upgrade", CopyKind::kUpgrade,
       [](Page& p) {
         WriteText(p.Host(L"C:\\ProKolv\\KOLVAR.EXE"), "program 1");
         WriteText(p.Host(L"C:\\ProKolv\\bin\\help.hlp"), "old help");
         WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "the firm's books");
         WriteText(p.Host(L"C:\\Date\\NEW\\DATA\\FIRME.DB"), "old seed firms");
         WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\PARAM.DB"), "old param");
         WriteText(p.Host(L"C:\\Date\\NEW\\FIRMA\\POZA.PNG"), "picture");
         fs::permissions(p.Host(L"C:\\Date\\NEW\\FIRMA\\POZA.PNG"), fs::perms::owner_read);
       }},
  };
  // The clean result is of another page made a moment earlier: its own files' times differ.
  auto sameButTimes = [](const std::map<std::string, FileState>& a,
                         const std::map<std::string, FileState>& b) {
    if (a.size() != b.size())
      return false;
    for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
      if (i->first != j->first || i->second.folder != j->second.folder ||
          i->second.content != j->second.content || i->second.readOnly != j->second.readOnly)
        return false;
    return true;
  };
  for (const Start& start : starts) {
    SCOPED_TRACE(start.name);
    auto folders = [](Page& p) {
      std::map<std::string, FileState> all;
      // The joined archives, and a roll-back folder a commit could not delete (the next
      // run deletes it), are the run's own.
      for (const wchar_t* root : {L"C:\\ProKolv", L"C:\\Date"}) {
        if (!p.Exists(root))
          continue;
        for (auto& [name, state] : Snapshot(p.Host(root)))
          if ((name.size() < 4 || name.substr(name.size() - 4) != ".ZIP") &&
              name.find(WideToUtf8(kRollbackFolderName)) == std::string::npos)
            all[WideToUtf8(root) + "/" + name] = state;
      }
      return all;
    };
    // The clean run: how many changes it makes, and what it leaves.
    uint64_t total = 0;
    std::map<std::string, FileState> after;
    {
      Page p;
      p.FullMedia();
      start.prepare(p);
      ASSERT_EQ(p.Run(start.kind, bootstrap::kTypeLocal), 1);
      total = p.system.faults.Count();
      after = folders(p);
    }
    ASSERT_GT(total, 20u);
    uint64_t survived = 0;
    for (uint64_t n = 1; n <= total; ++n) {
      Page p;
      p.FullMedia();
      start.prepare(p);
      auto before = folders(p);
      p.system.faults.FailAt(n);
      bool told = false;
      try {
        p.Run(start.kind, bootstrap::kTypeLocal);
      } catch (const Error& e) {
        told = e.message().find(start.kind == CopyKind::kUpgrade
                                    ? kUpgradeKeptText
                                    : kInstallKeptText) != std::wstring::npos;
      }
      // A fault the run may pass over (the seed clean-up's, the commit's) still ends in the
      // clean result.
      bool ok = told ? folders(p) == before : sameButTimes(folders(p), after);
      EXPECT_TRUE(ok) << "fault " << n << (told ? "" : " passed over") << "\n"
                      << Describe(folders(p));
      p.system.faults.FailAt(0);
      ASSERT_EQ(p.Run(start.kind, bootstrap::kTypeLocal), 1) << "after fault " << n;
      bool completes = sameButTimes(folders(p), after);
      EXPECT_TRUE(completes) << "after fault " << n << "\n" << Describe(folders(p));
      if (ok && completes)
        ++survived;
    }
    std::printf("%s: %llu of %llu injected faults survived\n", start.name,
                static_cast<unsigned long long>(survived), static_cast<unsigned long long>(total));
    EXPECT_EQ(survived, total);
  }
}

// A run that died (a power cut) in the middle of an upgrade left its journal and roll-back
// folder: the next run puts the old files back before it looks at anything.
TEST(CopyRun, ARunThatDiedIsPutBackByTheNext) {
  Page p;
  p.FullMedia();
  WriteText(p.Host(L"C:\\ProKolv\\KOLVAR.EXE"), "program 1");
  WriteText(p.Host(L"C:\\Date\\DATA\\FIRME.DB"), "the firm's books");
  auto before = Snapshot(p.Host(L"C:\\ProKolv"));
  {
    // The run, stopped after its moves without a roll-back: the transaction is left as a
    // power cut would leave it.
    MachineFiles& files = p.system.files;
    // Never destroyed (that would roll back, and after the test over a file layer that is
    // gone), yet reachable from here: no leak is reported.
    static auto* died = new std::vector<std::unique_ptr<WriteTransaction>>;
    static auto* unfinished = new std::vector<std::unique_ptr<OutputFile>>;
    auto* transaction = new WriteTransaction(files, {L"C:\\ProKolv", L"C:\\Date"});
    died->emplace_back(transaction);
    auto file = transaction->Replace(L"C:\\ProKolv\\KOLVAR.EXE");
    file->Write("program 2", 9);
    file->Finish(DosDate(2024, 5, 1), DosTime(10, 0, 0), std::nullopt);
    file.reset();
    transaction->CreateFolders(L"C:\\ProKolv\\NOU\\SUB");
    auto other = transaction->Replace(L"C:\\ProKolv\\NOU\\SUB\\A.DLL");
    other->Write("half", 4);                  // never finished
    unfinished->push_back(std::move(other));  // nor closed: the process is gone
  }
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
  {
    WriteTransaction next(p.system.files, {L"C:\\ProKolv", L"C:\\Date"});
    EXPECT_EQ(next.RecoverEarlierRun(), 5u);
  }
  EXPECT_EQ(Snapshot(p.Host(L"C:\\ProKolv")), before) << Describe(Snapshot(p.Host(L"C:\\ProKolv")));
  ASSERT_EQ(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), 1);
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\KOLVAR.EXE"), "program 2");
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
  // Every archive is opened before the first write: nothing is unpacked; the joined
  // archives stay.
  EXPECT_FALSE(p.Exists(L"C:\\ProKolv\\KOLVAR.EXE"));
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\MINE.TXT"), "user file");
  EXPECT_TRUE(p.system.extracted.empty());
  EXPECT_EQ(p.JoinedArchives().size(), 6u);

  // Continue again, once the media are right, repeats the run from its start.
  p.Media("DBDAT", Zip({{"DATA/FIRME.DB", "sample firms"}}));
  ASSERT_EQ(p.Run(CopyKind::kNewInstall, bootstrap::kTypeLocal), 1);
  EXPECT_EQ(p.system.extracted.size(), 7u);
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\bin\\help.hlp"), "help");
  EXPECT_EQ(p.Read(L"C:\\ProKolv\\MINE.TXT"), "user file");
  EXPECT_TRUE(p.JoinedArchives().empty());

  // A damaged archive (its data found bad while unpacking) leaves the old version whole.
  auto program = Snapshot(p.Host(L"C:\\ProKolv"));
  std::string noise(5000, '\0');
  uint32_t seed = 3;
  for (char& c : noise)
    c = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  std::string zip = Zip({{"TORNEVA.EXE", noise}});
  zip[100] ^= 0x55;  // in the member's data: found by its CRC, after other archives went in
  p.Media("TORNEVA", zip);
  try {
    p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer);
    ADD_FAILURE() << "a damaged archive was taken";
  } catch (const ZipError& e) {
    EXPECT_NE(e.message().find(kUpgradeKeptText), std::wstring::npos) << e.what();
  }
  auto now = Snapshot(p.Host(L"C:\\ProKolv"));
  for (auto it = now.begin(); it != now.end();)
    it = it->first.size() > 4 && it->first.substr(it->first.size() - 4) == ".ZIP" ? now.erase(it)
                                                                                  : ++it;
  EXPECT_EQ(now, program) << Describe(now);
  p.state.ProposedProgramDir = L"C:\\Lipsa";
  EXPECT_THROW(p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer), Error);
}

// A part the media list but that cannot be opened is an error naming it, never a missing
// archive passed over.
TEST(CopyRun, APartThatCannotBeOpenedIsAnError) {
  Page p;
  p.FullMedia();
  fs::remove(p.Host(L"D:\\KIT\\HELP.2"));
  // Listed, but the file behind the name cannot be opened.
  fs::create_symlink(p.Host(L"D:\\KIT\\GONE"), p.Host(L"D:\\KIT\\HELP.2"));
  try {
    p.Run(CopyKind::kUpgrade, bootstrap::kTypeServer);
    ADD_FAILURE() << "an unreadable part was passed over";
  } catch (const Error& e) {
    EXPECT_EQ(e.message().rfind(L"Nu pot deschide D:\\KIT\\HELP.2", 0), 0u) << e.what();
  }
  EXPECT_TRUE(p.system.extracted.empty());
}

}  // namespace
}  // namespace kolvar::deploy
