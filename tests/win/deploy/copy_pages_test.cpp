// The copy pages driven as a user would: real media folders, the floppy drive A:, the
// registry of the group's prefix, real clicks and keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>

#include "bootstrap/install_state.h"
#include "deploy/copy_pages.h"

#include "deploy/win_media.h"
#include "deploy/zip_writer.h"
#include "full_disk.h"
#include "modal_end.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "recording_view.h"
#include "toolkit/application.h"
#include "toolkit/msg_dialog.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::deploy {
namespace {

using bootstrap::State;
using kolvar::testing::ReadFile;
using kolvar::testing::RemoveTree;
using kolvar::testing::TempFolder;
using kolvar::testing::UserScript;
using kolvar::testing::WriteFile;

constexpr const wchar_t* kEngineKey = L"Software\\Borland\\Database Engine\\Settings\\SYSTEM\\INIT";
constexpr const wchar_t* kEngineDir = L"C:\\Program Files\\Borland\\Common Files\\BDE";

using Files = std::map<std::string, std::string>;

std::string Noise(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  for (char& c : s) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return s;
}

std::string Zip(const Files& files) {
  MemorySink sink;
  ZipWriter writer(sink);
  for (auto& [name, data] : files)
    writer.AddFile({name, DosDate(2024, 6, 1), DosTime(9, 30, 0), 0x20}, data);
  writer.Finish();
  return sink.bytes;
}

// A program archive big enough to be seen while it is unpacked.
Files BigProgram(const std::string& version) {
  Files files{{"KOLVAR.EXE", "program " + version}, {"IDAPI/IDAPI32.DLL", "not for upgrades"}};
  for (int i = 0; i < 24; ++i)
    files["bin/module" + std::to_string(i) + ".dll"] = Noise(400000, i + 1);
  return files;
}

// Puts an archive on a disk folder cut into two parts.
void PutArchive(const std::wstring& folder, const std::wstring& name, const std::string& zip) {
  WriteFile(folder + L"\\" + name + L".1", zip.substr(0, zip.size() / 2));
  WriteFile(folder + L"\\" + name + L".2", zip.substr(zip.size() / 2));
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

// The installation state of one visit, with the engine's registration as `engine` says:
// nullopt removes the key, "-" leaves it without a VERSION value.
void Prepare(uint8_t type,
             const std::wstring& media,
             const std::wstring& program,
             const std::wstring& data,
             std::optional<std::wstring> engine) {
  bootstrap::InstallState& s = State();
  s = bootstrap::InstallState{};
  s.InstallType = type;
  s.SourceDir = media;
  s.DiskCount = 6;
  s.ProposedProgramDir = s.ProgramDir = program;
  s.DataDir = data;
  ForceDirectories(program);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
  if (engine) {
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, kEngineKey);
    if (*engine != L"-")
      key.WriteString(L"VERSION", *engine);
  }
  OldEngineFound = false;
  toolkit::MessageHeading.clear();
}

// Unpacks through the real system, slowly enough for a script to see the gauges move.
class SlowSystem : public WinCopySystem {
  class SlowView : public CopyView {
   public:
    explicit SlowView(CopyView& view) : view_(view) {}
    void SetStatus(const std::wstring& t) override { view_.SetStatus(t); }
    void SetCopyMaximum(int m) override { view_.SetCopyMaximum(m); }
    void SetCopyPosition(int p) override { view_.SetCopyPosition(p); }
    void SetUnzipMaximum(int m) override { view_.SetUnzipMaximum(m); }
    void SetUnzipPosition(int p) override {
      view_.SetUnzipPosition(p);
      ::Sleep(15);
    }
    void SetMessageHeading(const std::wstring& h) override { view_.SetMessageHeading(h); }
    int ShowDiskPrompt(const std::wstring& t) override { return view_.ShowDiskPrompt(t); }
    void PumpMessages() override { view_.PumpMessages(); }
    void SetModalResult(int r) override { view_.SetModalResult(r); }
    void ShowCannotDelete(const std::wstring& t) override { view_.ShowCannotDelete(t); }

   private:
    CopyView& view_;
  };

 public:
  void Unpack(const ZipArchive& archive,
              ExtractTarget& target,
              CopyView& view,
              UnzipCounter& counter,
              bool pump,
              const EntryFilter& filter) override {
    SlowView slow(view);
    WinCopySystem::Unpack(archive, target, slow, counter, pump, filter);
  }
};

struct SlowPages {
  SlowPages() {
    TCopyForm::SystemForTests = [] { return std::make_unique<SlowSystem>(); };
  }
  ~SlowPages() { TCopyForm::SystemForTests = nullptr; }
};

// The general error report's texts, recorded instead of shown.
struct RecordedErrors {
  RecordedErrors() {
    toolkit::Application().OnException = [this](const std::wstring& t) { texts.push_back(t); };
  }
  ~RecordedErrors() { toolkit::Application().OnException = nullptr; }
  std::vector<std::wstring> texts;
};

// Declared first in a script: when the script is over and the page is still open a minute
// later (a step failed), its modal loop is ended, so the fault fails the test instead of
// hanging it.
class CloseWhenDone {
 public:
  CloseWhenDone(toolkit::TMForm& page, HWND window) : page_(page), window_(window) {}
  ~CloseWhenDone() {
    if (!kolvar::testing::WaitUntil([&] { return !::IsWindowVisible(window_); }, 60000))
      toolkit::EndModal(page_);
  }

 private:
  toolkit::TMForm& page_;
  HWND window_;
};

void Shoot(HWND window, const std::wstring& file) {
  kolvar::testing::SaveArtifact(kolvar::testing::CaptureWindow(window), file);
}

// Waits for a system message box (the general error report) and returns it.
HWND WaitForMessageBox() {
  HWND box = nullptr;
  kolvar::testing::WaitUntil(
      [&] {
        box = ::FindWindowW(L"#32770", nullptr);
        return box && ::IsWindowVisible(box);
      },
      20000);
  return box;
}

// Clicks a button of the toolkit dialog `dialog` ("BtnOK", "BtnRenunt").
void ClickDialogButton(HWND dialog, const wchar_t* name) {
  ASSERT_TRUE(kolvar::testing::WaitForWindow(dialog));
  ::Sleep(200);
  auto* form = dynamic_cast<toolkit::TMForm*>(toolkit::TWinControl::FromHandle(dialog));
  ASSERT_NE(form, nullptr);
  toolkit::TControl* button = form->FindChild(name);
  ASSERT_NE(button, nullptr);
  kolvar::testing::ClickControl(*button);
}

// Shows a new-installation page and presses Continue; Abandon once an error was reported.
// Returns the page's result.
int ContinueOrAbandonAtAnError(const RecordedErrors& errors) {
  auto page = toolkit::CreateForm<TCopy>();
  HWND window = page->Handle();
  UserScript user([&] {
    CloseWhenDone closer(*page, window);
    ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
    kolvar::testing::ClickControl(*page->BNext);
    kolvar::testing::WaitUntil(
        [&] {
          return !::IsWindowVisible(window) || (!errors.texts.empty() && page->BCancel->Enabled());
        },
        20000);
    if (!errors.texts.empty())
      kolvar::testing::ClickControl(*page->BCancel);
  });
  return page->ShowModal();
}

bool Mid(const toolkit::TGauge& gauge) {
  return gauge.PercentDone() >= 10 && gauge.PercentDone() <= 90;
}

TEST(CopyPages, NewInstallationFromAFolder) {
  TempFolder root(L"c");
  std::wstring media = root / L"KIT", program = root / L"ProKolv";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip(BigProgram("2")));
  PutArchive(media, L"DBDAT", Zip({{"DATA/FIRME.DB", "sample firms"}}));
  PutArchive(media, L"DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed"}}));
  PutArchive(media, L"BDE32", Zip({{"IDAPI32.DLL", "engine"}}));
  PutArchive(media, L"HELP", Zip({{"HELP/KOLVAR.HLP", "help"}}));
  Prepare(bootstrap::kTypeLocal, media, program, program, std::nullopt);
  RemoveTree(L"C:\\Program Files\\Borland");
  SlowPages slow;

  auto page = toolkit::CreateForm<TCopy>();

  HWND window = page->Handle();
  EXPECT_EQ(State().PageIndex, 2);
  std::atomic<bool> sawBoth{false};
  UserScript user([&] {
    CloseWhenDone closer(*page, window);
    ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
    ::Sleep(200);
    Shoot(window, L"copy-page-before.png");
    kolvar::testing::ClickControl(*page->BNext);
    // The joining is done before the unpacking starts: the copy gauge is full by then.
    if (kolvar::testing::WaitUntil(
            [&] { return page->CopyProgress->Progress() > 0 && Mid(*page->UnzipProgress); },
            20000)) {
      sawBoth = true;
      Shoot(window, L"copy-page-extracting.png");
    }
  });
  EXPECT_EQ(page->ShowModal(), 1);
  EXPECT_TRUE(sawBoth);
  EXPECT_EQ(ReadFile(program + L"\\KOLVAR.EXE"), "program 2");
  EXPECT_EQ(ReadFile(program + L"\\bin\\module3.dll"), Noise(400000, 4));
  EXPECT_EQ(ReadFile(program + L"\\DATA\\FIRME.DB"), "sample firms");
  EXPECT_EQ(ReadFile(program + L"\\NEW\\DATA\\FIRME.DB"), "seed");
  EXPECT_EQ(ReadFile(std::wstring(kEngineDir) + L"\\IDAPI32.DLL"), "engine");
  EXPECT_EQ(State().DataDir, program + L"\\");
  EXPECT_EQ(State().DiskCount, 1);
  EXPECT_TRUE(ListFiles(program, L"*.ZIP").empty());
  RemoveTree(L"C:\\Program Files\\Borland");
}

// A LOCAL installation into the root of another drive (N:), the current folder being a folder
// of that drive: "N:" would name that folder, where the joined archives are not.
TEST(CopyPages, LocalInstallationIntoTheRootOfAnotherDrive) {
  TempFolder root(L"r");
  std::wstring media = root / L"KIT";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip({{"KOLVAR.EXE", "program 2"}}));
  PutArchive(media, L"DBDAT", Zip({{"DATA/FIRME.DB", "sample firms"}}));
  PutArchive(media, L"DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed"}}));
  PutArchive(media, L"HELP", Zip({{"HELP/KOLVAR.HLP", "help"}}));
  EmptyFolder(L"N:");
  ASSERT_TRUE(ForceDirectories(L"N:\\Altundeva"));
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ASSERT_TRUE(::SetCurrentDirectoryW(L"N:\\Altundeva"));
  Prepare(bootstrap::kTypeLocal, media, L"N:\\", L"N:\\", L"5.01");
  RecordedErrors errors;

  EXPECT_EQ(ContinueOrAbandonAtAnError(errors), 1);
  ::SetCurrentDirectoryW(current);
  EXPECT_TRUE(errors.texts.empty()) << kolvar::testing::Narrow(errors.texts.front());
  EXPECT_EQ(ReadFile(L"N:\\KOLVAR.EXE"), "program 2");
  EXPECT_EQ(ReadFile(L"N:\\DATA\\FIRME.DB"), "sample firms");
  EXPECT_EQ(ReadFile(L"N:\\NEW\\DATA\\FIRME.DB"), "seed");
  EXPECT_EQ(ReadFile(L"N:\\HELP\\KOLVAR.HLP"), "help");
  EXPECT_TRUE(ListFiles(L"N:\\", L"*.ZIP").empty());
  EXPECT_TRUE(ListFiles(L"N:\\Altundeva", L"*").empty());
  EXPECT_EQ(State().DataDir, L"N:\\");
  EmptyFolder(L"N:");
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// The disk fills up in the middle of the sample database: the error names the file and says
// that nothing changed, nothing of the run stays, and Continue once there is room again
// installs the whole sample.
TEST(CopyPages, ADiskFullInTheSampleDatabaseChangesNothingAndContinueCompletesIt) {
  TempFolder root(L"s");
  std::wstring media = root / L"KIT", program = root / L"ProKolv";
  WriteFile(media + L"\\DISK1", "");
  std::string exe = Zip({{"KOLVAR.EXE", "program 2"}});
  std::string dbdat = Zip({{"DATA/FIRME.DB", "sample firms"},
                           {"DATA/OPERATOR.DB", Noise(1000000, 9)},
                           {"DATA/ZILE.DB", "days"}});
  std::string dbnew = Zip({{"NEW/DATA/FIRME.DB", "seed"}});
  std::string help = Zip({{"HELP/KOLVAR.HLP", "help"}});
  PutArchive(media, L"EXE", exe);
  PutArchive(media, L"DBDAT", dbdat);
  PutArchive(media, L"DBNEW", dbnew);
  PutArchive(media, L"HELP", help);
  Prepare(bootstrap::kTypeLocal, media, program, program, L"5.01");
  // Room for the joined archives, the program and the first sample table, not the second.
  uint64_t room = exe.size() + dbdat.size() + dbnew.size() + help.size() + 9 + 12 + 100000;
  testing::FullDisk disk(room);
  RecordedErrors errors;

  auto page = toolkit::CreateForm<TCopy>();
  HWND window = page->Handle();
  bool repeated = false;
  UserScript user([&] {
    CloseWhenDone closer(*page, window);
    ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
    kolvar::testing::ClickControl(*page->BNext);
    if (!kolvar::testing::WaitUntil([&] { return !errors.texts.empty() && page->BNext->Enabled(); },
                                    20000))
      return;
    disk.MakeRoom();
    kolvar::testing::ClickControl(*page->BNext);
    repeated = true;
  });
  EXPECT_EQ(page->ShowModal(), 1);
  EXPECT_TRUE(repeated);
  EXPECT_TRUE(disk.Refused());
  ASSERT_EQ(errors.texts.size(), 1u);
  EXPECT_NE(errors.texts[0].find(L"Nu pot scrie fisierul " + program + L"\\DATA\\OPERATOR.DB: " +
                                 SystemMessage(ERROR_DISK_FULL)),
            std::wstring::npos)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_NE(errors.texts[0].find(kInstallKeptText), std::wstring::npos);
  EXPECT_TRUE(ReadFile(program + L"\\DATA\\OPERATOR.DB") == Noise(1000000, 9));
  EXPECT_EQ(ReadFile(program + L"\\DATA\\ZILE.DB"), "days");
  EXPECT_EQ(ReadFile(program + L"\\NEW\\DATA\\FIRME.DB"), "seed");
  EXPECT_FALSE(DirectoryExists(program + L"\\" + kSampleStagingName));
  EXPECT_FALSE(DirectoryExists(program + L"\\" + kRollbackFolderName));
  EXPECT_TRUE(ListFiles(program, L"*.ZIP").empty());
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// A firm's books moved into the folder beside a stray marker of an older run: a reinstallation
// keeps them. Then a part another program holds open is an error naming it and the system's
// reason, never an archive passed over, and the books stay.
TEST(CopyPages, AStrayMarkerBesideTheBooksAndAPartHeldOpenByAnotherProgram) {
  TempFolder root(L"m");
  std::wstring media = root / L"KIT", program = root / L"ProKolv";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip({{"KOLVAR.EXE", "program 2"}}));
  PutArchive(media, L"DBDAT", Zip({{"DATA/FIRME.DB", "sample"}, {"DATA/OPERATOR.DB", "ops"}}));
  PutArchive(media, L"DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed"}}));
  PutArchive(media, L"HELP", Zip({{"HELP/KOLVAR.HLP", "help"}}));
  Prepare(bootstrap::kTypeLocal, media, program, program, L"5.01");
  WriteFile(program + L"\\DATA\\FIRME.DB", "the firm's books");
  WriteFile(program + L"\\DATA\\OPERATOR.DB", "the firm's operators");
  WriteFile(program + L"\\DBDAT.TMP", "");
  {
    RecordedErrors errors;
    EXPECT_EQ(ContinueOrAbandonAtAnError(errors), 1);
    EXPECT_TRUE(errors.texts.empty()) << kolvar::testing::Narrow(errors.texts.front());
  }
  EXPECT_EQ(ReadFile(program + L"\\DATA\\FIRME.DB"), "the firm's books");
  EXPECT_EQ(ReadFile(program + L"\\DATA\\OPERATOR.DB"), "the firm's operators");
  EXPECT_EQ(ReadFile(program + L"\\KOLVAR.EXE"), "program 2");

  std::wstring part = media + L"\\DBNEW.1";
  HANDLE held = ::CreateFileW(part.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Prepare(bootstrap::kTypeLocal, media, program, program, L"5.01");
  RecordedErrors errors;
  EXPECT_NE(ContinueOrAbandonAtAnError(errors), 1);
  ::CloseHandle(held);
  ASSERT_EQ(errors.texts.size(), 1u);
  EXPECT_NE(errors.texts[0].find(L"Nu pot deschide " + part), std::wstring::npos)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_NE(errors.texts[0].find(SystemMessage(ERROR_SHARING_VIOLATION)), std::wstring::npos)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_EQ(ReadFile(program + L"\\DATA\\FIRME.DB"), "the firm's books");
  EXPECT_EQ(ReadFile(program + L"\\NEW\\DATA\\FIRME.DB"), "seed");
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// A read-only file in the way is found before anything is written: the error is shown, the
// page stays with its buttons enabled and nothing changed; Continue after the file was freed
// shows the old engine's warning and finishes the run.
TEST(CopyPages, OldEngineWarningAndAFailedCopyRepeated) {
  TempFolder root(L"o");
  std::wstring media = root / L"KIT", program = root / L"ProKolv";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip({{"KOLVAR.EXE", "program 2"}}));
  PutArchive(media, L"BDE32", Zip({{"IDAPI32.DLL", "engine"}}));
  PutArchive(media, L"HELP", Zip({{"HELP/KOLVAR.HLP", "help 2"}}));
  Prepare(bootstrap::kTypeClient, media, program, root / L"Date", L"3.5");
  // The help archive comes after the engine's: the warning is shown before the failure.
  std::wstring readOnly = program + L"\\HELP\\KOLVAR.HLP";
  WriteFile(readOnly, "help 1");
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);

  auto page = toolkit::CreateForm<TCopy>();

  HWND window = page->Handle();
  int warnings = 0;
  bool errorSeen = false, reopened = false, nothingWritten = false;
  UserScript user([&] {
    CloseWhenDone closer(*page, window);
    ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
    for (int visit = 0; visit < 2; ++visit) {
      kolvar::testing::ClickControl(*page->BNext);
      HWND warning = visit == 1 ? kolvar::testing::WaitForTitled(L"EROARE !", 20000) : nullptr;
      if (warning) {
        ++warnings;
        ::Sleep(150);
        Shoot(warning, L"copy-page-old-engine.png");
        kolvar::testing::PressKey(VK_RETURN);
      }
      if (visit == 1)
        break;
      HWND box = WaitForMessageBox();
      if (!box)
        return;
      errorSeen = true;
      nothingWritten = !FileExists(program + L"\\KOLVAR.EXE");
      ::Sleep(150);
      kolvar::testing::SaveArtifact(kolvar::testing::CaptureScreen(RECT{0, 0, 1024, 768}),
                                    L"copy-page-error.png");
      kolvar::testing::PressKey(VK_RETURN);
      reopened = kolvar::testing::WaitUntil([&] { return page->BNext->Enabled(); }, 20000);
      ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!reopened)
        return;
    }
  });
  EXPECT_EQ(page->ShowModal(), 1);
  EXPECT_EQ(warnings, 1);
  EXPECT_TRUE(errorSeen);
  EXPECT_TRUE(nothingWritten);
  EXPECT_TRUE(reopened);
  EXPECT_EQ(toolkit::MessageHeading, L"PENTRU CONTINUARE");
  EXPECT_EQ(ReadFile(readOnly), "help 2");
  EXPECT_EQ(ReadFile(program + L"\\KOLVAR.EXE"), "program 2");
  // A registered engine, old or not, is left as it is.
  EXPECT_FALSE(DirectoryExists(kEngineDir));
  EXPECT_FALSE(DirectoryExists(root / L"Date"));
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// Floppies on A:, changed at the prompt; a Cancel at disk 2 ends the page with nothing
// unpacked; a damaged archive is reported and the page stays until Abandon.
TEST(CopyPages, FloppiesCancelAndADamagedArchive) {
  ASSERT_EQ(::GetDriveTypeW(L"A:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
  TempFolder root(L"f");
  std::wstring program = root / L"ProKolv";
  std::string exe = Zip({{"KOLVAR.EXE", "program 2"}, {"bin/x.dll", Noise(100000, 5)}});
  std::string help = Zip({{"HELP/KOLVAR.HLP", "help"}});
  std::map<std::wstring, std::string> disks[2] = {
      {{L"DISK1", ""}, {L"EXE.1", exe.substr(0, 40000)}, {L"HELP.1", help}},
      {{L"DISK2", ""}, {L"EXE.2", exe.substr(40000)}}};
  auto insert = [&](int disk) {
    EmptyFolder(L"A:");
    for (auto& [name, bytes] : disks[disk])
      WriteFile(L"A:\\" + name, bytes);
  };
  for (bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancel at disk 2" : "both disks");
    insert(0);
    Prepare(bootstrap::kTypeClient, L"A:\\", program, root / L"Date", L"5.01");
    State().DiskCount = 2;
    auto page = toolkit::CreateForm<TCopy>();
    HWND window = page->Handle();
    UserScript user([&] {
      CloseWhenDone closer(*page, window);
      ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
      kolvar::testing::ClickControl(*page->BNext);
      HWND prompt = kolvar::testing::WaitForTitled(L"Atentie !", 20000);
      ASSERT_TRUE(prompt);
      if (!cancel)
        insert(1);
      ClickDialogButton(prompt, cancel ? L"BtnRenunt" : L"BtnOK");
    });
    int result = page->ShowModal();
    if (cancel) {
      EXPECT_EQ(result, 2);
      EXPECT_FALSE(FileExists(program + L"\\KOLVAR.EXE"));
      EXPECT_EQ(ReadFile(program + L"\\EXE.ZIP"), exe.substr(0, 40000));
    } else {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(ReadFile(program + L"\\bin\\x.dll"), Noise(100000, 5));
      EXPECT_EQ(State().SourceDir, L"A:");
    }
    RemoveTree(program);
  }

  // A damaged archive from a folder: the error names it, the page stays open until Abandon.
  std::wstring media = root / L"KIT";
  WriteFile(media + L"\\DISK1", "");
  std::string broken = exe;
  broken[broken.size() / 2] ^= 0x5A;
  PutArchive(media, L"EXE", broken);
  PutArchive(media, L"HELP", help);
  Prepare(bootstrap::kTypeClient, media, program, root / L"Date", L"5");
  RecordedErrors errors;
  EXPECT_EQ(ContinueOrAbandonAtAnError(errors), 2);
  ASSERT_EQ(errors.texts.size(), 1u);
  EXPECT_NE(errors.texts[0].find(L"EXE.ZIP"), std::wstring::npos)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_TRUE(FileExists(program + L"\\EXE.ZIP"));
  // Nothing of the run stays: the damage was found while unpacking, after the help had gone in.
  EXPECT_FALSE(FileExists(program + L"\\KOLVAR.EXE"));
  EXPECT_FALSE(DirectoryExists(program + L"\\HELP"));
  EXPECT_FALSE(DirectoryExists(program + L"\\" + kRollbackFolderName));
  EmptyFolder(L"A:");
}

// An upgrade while KOLVAR.EXE runs: the error names the file, the page stays, and Continue
// once the program has ended refreshes it. The working database is never touched.
TEST(CopyPages, UpgradeWhileTheProgramRuns) {
  TempFolder root(L"u");
  std::wstring media = root / L"KIT", program = root / L"ProKolv", data = root / L"Date";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip(BigProgram("2")));
  PutArchive(media, L"DBNEW", Zip({{"DATA/FIRME.DB", "empty"}, {"NEW/DATA/FIRME.DB", "seed 2"}}));
  Prepare(bootstrap::kTypeServer, media, program + L"\\", data, L"5.01");
  WriteFile(data + L"\\DATA\\FIRME.DB", "working database");
  WriteFile(data + L"\\NEW\\DATA\\FIRME.DB", "seed 1");
  // A running KOLVAR.EXE: a copy of this test program that holds its own file open.
  wchar_t self[MAX_PATH];
  ASSERT_TRUE(::GetModuleFileNameW(nullptr, self, MAX_PATH));
  ASSERT_TRUE(::CopyFileW(self, (program + L"\\KOLVAR.EXE").c_str(), FALSE));
  std::wstring ready = root / L"ready";
  ::SetEnvironmentVariableW(L"KOLVAR_HOLD_READY", ready.c_str());
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::wstring command =
      L"\"" + program + L"\\KOLVAR.EXE\" --gtest_filter=CopyPagesHelper.HoldOwnFile";
  ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &si, &pi));
  ::SetEnvironmentVariableW(L"KOLVAR_HOLD_READY", nullptr);
  ASSERT_TRUE(kolvar::testing::WaitUntil([&] { return FileExists(ready); }, 30000));

  SlowPages slow;
  RecordedErrors errors;
  auto page = toolkit::CreateForm<TUpgCopy>();
  HWND window = page->Handle();
  EXPECT_EQ(State().PageIndex, 7);
  bool sawGauge = false;
  UserScript user([&] {
    CloseWhenDone closer(*page, window);
    ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
    ::Sleep(200);
    Shoot(window, L"upgrade-page-before.png");
    kolvar::testing::ClickControl(*page->BNext);
    if (!kolvar::testing::WaitUntil([&] { return !errors.texts.empty(); }, 30000))
      return;
    // The program ends; Continue again.
    ::TerminateProcess(pi.hProcess, 0);
    ::WaitForSingleObject(pi.hProcess, 10000);
    if (!kolvar::testing::WaitUntil([&] { return page->BNext->Enabled(); }, 10000))
      return;
    kolvar::testing::ClickControl(*page->BNext);
    if (kolvar::testing::WaitUntil([&] { return Mid(*page->UnzipProgress); }, 20000)) {
      sawGauge = true;
      Shoot(window, L"upgrade-page-extracting.png");
    }
  });
  EXPECT_EQ(page->ShowModal(), 1);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(pi.hThread);
  ASSERT_GE(errors.texts.size(), 1u);
  EXPECT_NE(errors.texts[0].find(L"KOLVAR.EXE"), std::wstring::npos)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_TRUE(sawGauge);
  EXPECT_EQ(ReadFile(program + L"\\KOLVAR.EXE"), "program 2");
  EXPECT_FALSE(DirectoryExists(program + L"\\IDAPI"));
  EXPECT_EQ(ReadFile(data + L"\\DATA\\FIRME.DB"), "working database");
  EXPECT_EQ(ReadFile(data + L"\\NEW\\DATA\\FIRME.DB"), "seed 2");
  EXPECT_TRUE(ListFiles(program, L"*.ZIP").empty());
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// Fills `drive` with a file of its own until `left` bytes stay free (written out: a memory file
// system keeps no room for a file only made long).
void FillDriveLeaving(const std::wstring& drive, uint64_t left, const std::wstring& filler) {
  ULARGE_INTEGER free{};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(drive.c_str(), &free, nullptr, nullptr));
  ASSERT_GT(free.QuadPart, left);
  std::string block(256 * 1024, 'x');
  HANDLE file = ::CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  for (uint64_t rest = free.QuadPart - left; rest > 0;) {
    DWORD take = static_cast<DWORD>(std::min<uint64_t>(rest, block.size())), written = 0;
    if (!::WriteFile(file, block.data(), take, &written, nullptr) || written == 0)
      break;
    rest -= written;
  }
  ::CloseHandle(file);
}

// An upgrade onto a real drive with too little room (Q:, a 4 MB drive the test run mounts;
// skipped where there is none): the check before the first write refuses it and names the
// drive, nothing on it changed; Continue once room was made completes the upgrade.
TEST(CopyPages, AnUpgradeOnADriveWithoutRoomIsRefusedBeforeTheFirstWrite) {
  if (::GetDriveTypeW(L"Q:\\") == DRIVE_NO_ROOT_DIR)
    GTEST_SKIP() << "no size-limited drive Q: here";
  TempFolder root(L"q");
  std::wstring media = root / L"KIT", program = L"Q:\\ProKolv", data = L"Q:\\Date";
  EmptyFolder(L"Q:");
  WriteFile(media + L"\\DISK1", "");
  Files exe{{"KOLVAR.EXE", "program 2"}};
  for (int i = 0; i < 2; ++i)
    exe["bin/module" + std::to_string(i) + ".dll"] = Noise(400000, i + 1);
  PutArchive(media, L"EXE", Zip(exe));
  PutArchive(media, L"DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed 2"}}));
  Prepare(bootstrap::kTypeServer, media, program + L"\\", data, L"5.01");
  State().DiskCount = 1;
  WriteFile(program + L"\\KOLVAR.EXE", "program 1");
  WriteFile(data + L"\\DATA\\FIRME.DB", "working database");
  WriteFile(data + L"\\NEW\\DATA\\FIRME.DB", "seed 1");
  // The joined archives and the unpacked modules need some 1.6 MB; 1 MB is left.
  const std::wstring filler = L"Q:\\umplutura.bin";
  FillDriveLeaving(L"Q:\\", 1 << 20, filler);
  // The run's own joined archives may wait on the drive for the next Continue.
  auto drive = [] {
    auto tree = kolvar::testing::FolderTree(L"Q:\\");
    for (auto it = tree.begin(); it != tree.end();)
      it = it->first.size() > 4 && it->first.substr(it->first.size() - 4) == L".ZIP"
               ? tree.erase(it)
               : ++it;
    return tree;
  };
  auto before = drive();
  RecordedErrors errors;

  bool unchanged = false, repeated = false;
  int result = 0;
  {
    auto page = toolkit::CreateForm<TUpgCopy>();
    HWND window = page->Handle();
    UserScript user([&] {
      CloseWhenDone closer(*page, window);
      ASSERT_TRUE(kolvar::testing::WaitForWindow(window));
      kolvar::testing::ClickControl(*page->BNext);
      if (!kolvar::testing::WaitUntil(
              [&] { return !errors.texts.empty() && page->BNext->Enabled(); }, 20000))
        return;
      unchanged = drive() == before;
      DeleteFileForced(filler);
      repeated = true;
      kolvar::testing::ClickControl(*page->BNext);
    });
    result = page->ShowModal();
  }
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(repeated);
  EXPECT_TRUE(unchanged);
  ASSERT_EQ(errors.texts.size(), 1u);
  EXPECT_EQ(errors.texts[0].find(L"Nu este destul loc pe discul Q:\\"), 0u)
      << kolvar::testing::Narrow(errors.texts[0]);
  EXPECT_NE(errors.texts[0].find(L"Nu a fost scris nici un fisier."), std::wstring::npos);
  EXPECT_EQ(ReadFile(program + L"\\KOLVAR.EXE"), "program 2");
  EXPECT_EQ(ReadFile(program + L"\\bin\\module1.dll"), Noise(400000, 2));
  EXPECT_EQ(ReadFile(data + L"\\DATA\\FIRME.DB"), "working database");
  EXPECT_EQ(ReadFile(data + L"\\NEW\\DATA\\FIRME.DB"), "seed 2");
  EXPECT_TRUE(ListFiles(program, L"*.ZIP").empty());
  EmptyFolder(L"Q:");
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// The copy run under Windows' own file system with its file layer failing at a sample of its
// changes, over a new installation into an empty folder, a reinstallation and an upgrade of a
// suite with a firm's database: after each fault the program and data folders are what they
// were and a run without the fault completes.
TEST(CopyPages, InjectedFaultsUnderWindowsLeaveTheFoldersAsTheyWere) {
  class FaultySystem : public WinCopySystem {
   public:
    FileSystem& Files() override { return faults; }
    void ShowInstructions() override {}
    WinFileSystem base;
    FaultInjection faults{base};
  };
  TempFolder root(L"w");
  std::wstring media = root / L"KIT", program = root / L"ProKolv";
  WriteFile(media + L"\\DISK1", "");
  PutArchive(media, L"EXE", Zip({{"KOLVAR.EXE", "program 2"}, {"bin/x.dll", Noise(30000, 3)}}));
  PutArchive(media, L"DBDAT", Zip({{"DATA/FIRME.DB", "sample"}, {"DATA/OPERATOR.DB", "ops"}}));
  PutArchive(media, L"DBNEW", Zip({{"NEW/DATA/FIRME.DB", "seed 2"}, {"DATA/FIRME.DB", "empty"}}));
  PutArchive(media, L"HELP", Zip({{"HELP/KOLVAR.HLP", "help 2"}}));
  bool installed = true;
  auto machine = [&] {
    RemoveTree(program);
    if (!installed)
      return;
    WriteFile(program + L"\\KOLVAR.EXE", "program 1");
    WriteFile(program + L"\\HELP\\KOLVAR.HLP", "help 1");
    WriteFile(program + L"\\DATA\\FIRME.DB", "the firm's books");
    WriteFile(program + L"\\NEW\\DATA\\FIRME.DB", "seed 1");
    WriteFile(program + L"\\NEW\\FIRMA\\SIGLA.BMP", "the firm's logo");
  };
  auto folders = [&] {
    auto tree = kolvar::testing::FolderTree(program);
    // The joined archives, and a roll-back folder a commit could not delete (the next run
    // deletes it), are the run's own.
    for (auto it = tree.begin(); it != tree.end();)
      it = (it->first.size() > 4 && it->first.substr(it->first.size() - 4) == L".ZIP") ||
                   it->first.find(kRollbackFolderName) != std::wstring::npos
               ? tree.erase(it)
               : ++it;
    return tree;
  };
  struct Machine {
    const char* name;
    CopyKind kind;
    bool installed;
  };
  for (const Machine& m : {Machine{"new installation", CopyKind::kNewInstall, false},
                           Machine{"reinstallation", CopyKind::kNewInstall, true},
                           Machine{"upgrade", CopyKind::kUpgrade, true}}) {
    SCOPED_TRACE(m.name);
    const CopyKind kind = m.kind;
    installed = m.installed;
    auto run = [&](uint64_t failAt, uint64_t* count) {
      Prepare(bootstrap::kTypeLocal, media, program, program, L"5.01");
      State().DiskCount = 1;
      FaultySystem system;
      system.faults.FailAt(failAt);
      deploy::testing::RecordingView view;
      WinMediaFiles files;
      int parts = 0;
      UnzipCounter counter;
      int result = 0;
      std::wstring message;
      try {
        result = CopyRun(kind, State(), view, files, system, parts, counter).Run();
      } catch (const Error& e) {
        message = e.message();
      }
      if (count)
        *count = system.faults.Count();
      return message;
    };
    machine();
    uint64_t total = 0;
    EXPECT_EQ(run(0, &total), L"");
    auto after = folders();
    ASSERT_GT(total, 10u);
    uint64_t tried = 0, survived = 0;
    for (uint64_t n = 1; n <= total; n += 3) {
      machine();
      auto before = folders();
      std::wstring message = run(n, nullptr);
      bool told = message.find(kind == CopyKind::kUpgrade ? kUpgradeKeptText : kInstallKeptText) !=
                  std::wstring::npos;
      bool same = told ? folders() == before : folders() == after;
      EXPECT_TRUE(same) << "fault " << n << ": " << kolvar::testing::Narrow(message);
      bool completes = run(0, nullptr).empty() && folders() == after;
      EXPECT_TRUE(completes) << "after fault " << n;
      ++tried;
      survived += same && completes;
    }
    std::printf("%s under Windows: %llu of %llu sampled faults (of %llu changes) survived\n",
                m.name, static_cast<unsigned long long>(survived),
                static_cast<unsigned long long>(tried), static_cast<unsigned long long>(total));
  }
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Borland");
}

// The stand-in for a running KOLVAR.EXE (started by the upgrade test): keeps its own file
// open for reading only until it is ended.
TEST(CopyPagesHelper, HoldOwnFile) {
  wchar_t ready[MAX_PATH];
  if (!::GetEnvironmentVariableW(L"KOLVAR_HOLD_READY", ready, MAX_PATH))
    GTEST_SKIP() << "started by CopyPages.UpgradeWhileTheProgramRuns only";
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  HANDLE file =
      ::CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  WriteFile(ready, "ready");
  ::Sleep(120000);
  ::CloseHandle(file);
}

}  // namespace
}  // namespace kolvar::deploy
