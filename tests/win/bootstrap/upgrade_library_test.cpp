#include "bootstrap/upgrade_library.h"

#include <gtest/gtest.h>

#include <vector>

#include "bootstrap/install_state.h"
#include "bootstrap/instructions_path.h"
#include "engine_machine.h"
#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/text.h"

namespace kolvar::bootstrap {
namespace {

using testing::TempFolder;

std::wstring TestLibrary(const std::wstring& name) {
  return testing::EnvPath(L"KOLVAR_BUILD") + L"\\testlibs\\" + name;
}

// A folder below `base` whose full UPGRADE.DLL path is `length` characters long.
std::wstring FolderForPathLength(const std::wstring& base, size_t length) {
  std::wstring folder = base;
  size_t target = length - 1 - std::wstring(kUpgradeLibraryName).size();
  while (folder.size() < target) {
    size_t part = std::min<size_t>(60, target - folder.size() - 1);
    if (part == 0)
      part = 1;  // cannot happen for target - size >= 2
    folder += L"\\" + std::wstring(part, L'd');
  }
  return folder;
}

TEST(UpgradeLibrary, BindsOnlyACompleteLibraryWithinThePathLimit) {
  struct Case {
    const char* name;
    std::wstring source;  // empty: no library
    size_t pathLength;    // 0: a short path
    bool expected;
  } cases[] = {
      {"sample library", testing::DistFile(L"upgrade\\UPGRADE.DLL"), 0, true},
      {"path of 254 characters", testing::DistFile(L"upgrade\\UPGRADE.DLL"), 254, true},
      {"path of 255 characters", testing::DistFile(L"upgrade\\UPGRADE.DLL"), 255, false},
      {"no library", L"", 0, false},
      {"not a library", testing::DistFile(L"engine\\bde.reg"), 0, false},
      {"lacks GetSemaforOK", TestLibrary(L"upgrade_without_GetSemaforOK.dll"), 0, false},
      {"lacks GetAliasPath", TestLibrary(L"upgrade_without_GetAliasPath.dll"), 0, false},
      {"lacks CheckExclusive, which is never called",
       TestLibrary(L"upgrade_without_CheckExclusive.dll"), 0, true},
  };
  for (const auto& c : cases) {
    TempFolder base(L"bind");
    std::wstring folder =
        c.pathLength ? FolderForPathLength(base.path(), c.pathLength) : base.path();
    ASSERT_TRUE(ForceDirectories(folder));
    std::wstring path = UpgradeLibraryPath(folder + L"\\");
    if (c.pathLength) {
      ASSERT_EQ(path.size(), c.pathLength);
    }
    if (!c.source.empty()) {
      ASSERT_TRUE(CopyFileReplacing(c.source, path)) << c.name;
    }
    UpgradeLibrary library;
    EXPECT_EQ(library.Bind(folder + L"\\"), c.expected) << c.name;
    EXPECT_EQ(library.bound(), c.expected) << c.name;
    EXPECT_EQ(library.GetSemaforOK != nullptr, c.expected) << c.name;
    library.Release();
  }
}

TEST(BindUpgradeLibrary, BindsTheLibraryBesideTheProgram) {
  TempFolder folder(L"bind");
  State().ExeDir = folder.path() + L"\\";
  EXPECT_FALSE(BindUpgradeLibrary());
  ASSERT_TRUE(
      CopyFileReplacing(testing::DistFile(L"upgrade\\UPGRADE.DLL"), folder / L"UPGRADE.DLL"));
  EXPECT_TRUE(BindUpgradeLibrary());
  EXPECT_TRUE(BoundUpgradeLibrary().bound());
  BoundUpgradeLibrary().Release();
}

// What the report procedure received, copied as the database page copies it.
std::vector<std::wstring> g_reported;
void __stdcall CollectReport(HGLOBAL text) {
  const char* lines = static_cast<const char*>(::GlobalLock(text));
  g_reported.push_back(lines ? AnsiToWide(lines) : L"<not lockable>");
  ::GlobalUnlock(text);
}

bool Reported(const std::wstring& part) {
  for (const auto& line : g_reported)
    if (line.find(part) != std::wstring::npos)
      return true;
  return false;
}

// The sample library over a stand-in engine whose alias "KOLVAR" points at a data folder.
class SampleLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ForceDirectories(data_));
    testing::WriteFile(folder_ / L"IDAPI32.CFG",
                       testing::AliasConfig("KOLVAR", "PARADOX", *WideToAnsiExact(data_)));
    machine_.Register(folder_ / L"IDAPI32.CFG");
    ASSERT_TRUE(library_.Bind(testing::DistFile(L"upgrade")));
    library_.SetReportProc(&CollectReport);
    g_reported.clear();
  }
  void TearDown() override { library_.Release(); }

  std::vector<bool> RunSteps() {
    std::vector<bool> results;
    for (auto step :
         {library_.DoStructureUpgrade, library_.DoListUpgrade, library_.DoConstUpgrade}) {
      // As the database page calls them: under the guard, which also keeps our floating-point
      // settings from the library's.
      CallGuarded(L"step", [&] { step(); });
      results.push_back(
          StepEndedWell(CallGuarded(L"GetSemaforOK", [&] { return library_.GetSemaforOK(); })));
    }
    return results;
  }

  testing::EngineMachine machine_;
  TempFolder folder_{L"sample"};
  std::wstring data_ = folder_ / L"DATA";
  UpgradeLibrary library_;
};

TEST_F(SampleLibrary, GetAliasPathAsksTheEngine) {
  wchar_t buffer[kAliasPathBufferSize] = L"KOLVAR";
  library_.GetAliasPath(buffer);
  EXPECT_EQ(std::wstring(buffer), data_);
  wchar_t unknown[kAliasPathBufferSize] = L"NOSUCHALIAS";
  library_.GetAliasPath(unknown);
  EXPECT_EQ(std::wstring(unknown), L"");
}

TEST_F(SampleLibrary, StepsReportAndRecordWhatTheyDid) {
  EXPECT_EQ(RunSteps(), (std::vector<bool>{true, true, true}));
  EXPECT_TRUE(Reported(L"Verificare structuri"));
  EXPECT_TRUE(Reported(L"Actualizare liste"));
  EXPECT_TRUE(Reported(L"Actualizare constante"));
  EXPECT_TRUE(Reported(L"câmp adăugat") || Reported(L"câmp adaugat")) << "Romanian letters";
  EXPECT_GE(g_reported.size(), 12u);
  EXPECT_EQ(testing::ReadFile(data_ + L"\\UPGRADE.LOG"),
            "Verificare structuri: reusit\r\nActualizare liste: reusit\r\n"
            "Actualizare constante: reusit\r\n");
}

TEST_F(SampleLibrary, AStepFailsWhenItsFileLiesInTheDatabaseFolder) {
  testing::WriteFile(data_ + L"\\LISTE.ERR", "");
  EXPECT_EQ(RunSteps(), (std::vector<bool>{true, false, true}));
  EXPECT_TRUE(Reported(L"Eroare"));
}

TEST_F(SampleLibrary, QuickVerificationChangesTheReport) {
  library_.SetQuickVerif(TRUE);
  RunSteps();
  EXPECT_TRUE(Reported(L"Verificare rapid"));
  EXPECT_FALSE(Reported(L"CONTURI.DB"));
  library_.SetQuickVerif(FALSE);
  g_reported.clear();
  CallGuarded(L"DoStructureUpgrade", [&] { library_.DoStructureUpgrade(); });
  EXPECT_TRUE(Reported(L"CONTURI.DB"));
}

// The x87 control word and the SSE control register's settings (without its sticky status
// flags, which any arithmetic may raise), side by side.
struct FloatingPointSettings {
  unsigned short x87;
  unsigned int sse;
  bool operator==(const FloatingPointSettings& o) const { return x87 == o.x87 && sse == o.sse; }
};
FloatingPointSettings CurrentSettings() {
  FloatingPointSettings s;
  asm volatile("fnstcw %0" : "=m"(s.x87));
  asm volatile("stmxcsr %0" : "=m"(s.sse));
  s.sse &= ~0x3Fu;
  return s;
}

// The sample library does what the real one's language does: it changes the floating-point
// settings when it is loaded and when a step runs (single precision, exceptions unmasked).
TEST_F(SampleLibrary, TheLibrarysFloatingPointSettingsNeverReachOurCode) {
  library_.Release();
  FloatingPointSettings ours = CurrentSettings();
  ASSERT_TRUE(library_.Bind(testing::DistFile(L"upgrade")));
  EXPECT_EQ(CurrentSettings(), ours) << "loading the library";
  {
    FloatingPointState saved;
    library_.DoStructureUpgrade();  // unguarded: the library really changes them
    FloatingPointSettings theirs = CurrentSettings();
    saved.Restore();
    ASSERT_FALSE(theirs == ours) << "the stand-in should change the settings";
  }
  CallGuarded(L"DoListUpgrade", [&] { library_.DoListUpgrade(); });
  EXPECT_EQ(CurrentSettings(), ours) << "a guarded step";
  // Our own arithmetic: the version folder needs double precision, and a division by zero
  // gives infinity instead of an exception.
  EXPECT_EQ(VersionFolderName(3200879.02), L"3200879.02");
  volatile double zero = 0;
  EXPECT_GT(1.0 / zero, 1e308);
  // Also when the step ends in a structured exception.
  testing::WriteFile(data_ + L"\\CONSTANTE.EXC", "");
  EXPECT_THROW(CallGuarded(L"DoConstUpgrade", [&] { library_.DoConstUpgrade(); }),
               ForeignCallError);
  EXPECT_EQ(CurrentSettings(), ours) << "a step that raised";
  EXPECT_EQ(VersionFolderName(3200879.02), L"3200879.02");
}

// The step result is a one-byte boolean: the bytes above it are whatever the library's code
// left in the register, and never turn a failed step into a good one.
TEST_F(SampleLibrary, OnlyTheLowByteOfTheStepResultCounts) {
  testing::WriteFile(data_ + L"\\STRUCTURI.ERR", "");
  for (int i = 0; i < 4; ++i) {
    CallGuarded(L"DoStructureUpgrade", [&] { library_.DoStructureUpgrade(); });
    DWORD raw = CallGuarded(L"GetSemaforOK", [&] { return library_.GetSemaforOK(); });
    EXPECT_NE(raw & 0xFFFFFF00u, 0u) << "the stand-in leaves bytes above the boolean";
    EXPECT_FALSE(StepEndedWell(raw));
  }
  EXPECT_TRUE(StepEndedWell(0x5A5A5A01u));
  EXPECT_FALSE(StepEndedWell(0xFFFFFF00u));
}

TEST_F(SampleLibrary, StepsFailWithoutTheDatabase) {
  testing::WriteFile(folder_ / L"IDAPI32.CFG", "");
  EXPECT_EQ(RunSteps(), (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(Reported(L"KOLVAR"));
}

}  // namespace
}  // namespace kolvar::bootstrap
