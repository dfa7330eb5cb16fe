#include "bootstrap/engine_session.h"

#include <gtest/gtest.h>

#include "engine_machine.h"
#include "platform/files.h"

namespace kolvar::bootstrap {
namespace {

using testing::AliasConfig;
using testing::EngineMachine;
using testing::TempFolder;

// Sessions the stand-in engine started in this process.
int StandInInitCalls() {
  HMODULE engine = ::GetModuleHandleW(L"IDAPI32.DLL");
  if (!engine)
    return 0;
  auto count = reinterpret_cast<int(__stdcall*)()>(
      reinterpret_cast<void*>(::GetProcAddress(engine, "StandInInitCalls")));
  return count ? count() : -1;
}

TEST(StartDatabaseEngine, StartsTheEngineOnceAndKeepsItRunning) {
  EngineMachine machine;
  TempFolder folder(L"engine");
  machine.Register(folder / L"IDAPI32.CFG");
  ASSERT_TRUE(StartDatabaseEngine());
  EXPECT_TRUE(StartDatabaseEngine());
  EXPECT_FALSE(DetectUpgradeMode());  // starts it a third time, through the same path
  EXPECT_TRUE(DatabaseEngine().started());
  EXPECT_EQ(StandInInitCalls(), 1);
  StopDatabaseEngine();
  EXPECT_FALSE(DatabaseEngine().started());
}

TEST(EngineSession, DoesNotStartWithoutAUsableEngineAndTriesAgainLater) {
  EngineMachine machine;
  TempFolder folder(L"engine");
  EngineSession session;
  EXPECT_FALSE(session.Start()) << "no engine key";
  machine.Register(folder / L"IDAPI32.CFG", folder.path());
  EXPECT_FALSE(session.Start()) << "no library in the DLLPATH folder";
  machine.Register(L"");
  RegistryKey::Open(HKEY_LOCAL_MACHINE, testing::kEngineRegistryKey, true)
      ->DeleteValue(L"CONFIGFILE01");
  EXPECT_FALSE(session.Start()) << "the engine refuses to start without its configuration";
  EXPECT_FALSE(session.started());
  machine.Register(folder / L"IDAPI32.CFG");
  EXPECT_TRUE(session.Start()) << "registered in the meantime";
  EXPECT_TRUE(session.started());
}

TEST(EngineSession, AnEngineThatFaultsCountsAsNotStartedOrNotOpened) {
  EngineMachine machine;
  TempFolder folder(L"engine");
  ASSERT_TRUE(machine.RegisterFaultingEngine(folder.path()));
  ::SetEnvironmentVariableW(L"FOREIGN_FAULT_IN", L"DbiInitFn");
  {
    EngineSession session;
    EXPECT_FALSE(session.Start()) << "an access violation in DbiInitFn";
    EXPECT_FALSE(session.started());
  }
  ::SetEnvironmentVariableW(L"FOREIGN_FAULT_IN", L"DbiOpenDatabase");
  {
    EngineSession session;
    ASSERT_TRUE(session.Start());
    EXPECT_FALSE(DetectUpgradeMode(session)) << "a foreign exception in DbiOpenDatabase";
  }
  ::SetEnvironmentVariableW(L"FOREIGN_FAULT_IN", nullptr);
  EngineSession session;
  EXPECT_TRUE(DetectUpgradeMode(session)) << "the same engine behaving";
}

TEST(EngineSession, RefusesALibraryThatLacksAnEntryPoint) {
  EngineMachine machine;
  TempFolder folder(L"engine");
  // The upgrade library is a loadable DLL without any of the engine's entry points.
  ASSERT_TRUE(
      CopyFileReplacing(testing::DistFile(L"upgrade\\UPGRADE.DLL"), folder / L"IDAPI32.DLL"));
  machine.Register(folder / L"IDAPI32.CFG", folder.path());
  EngineSession session;
  EXPECT_EQ(session.Bind(), nullptr);
  EXPECT_FALSE(session.Start());
}

TEST(DetectUpgradeMode, IsTrueOnlyWhenTheAliasKolvarOpens) {
  TempFolder folder(L"detect");
  std::wstring data = folder / L"DATA";
  ASSERT_TRUE(ForceDirectories(data));
  std::string dataAnsi = *WideToAnsiExact(data);
  struct Case {
    const char* name;
    std::string config;
    bool expected;
  } cases[] = {
      {"no alias", "", false},
      {"another alias only", AliasConfig("KOLVARALIAS", "PARADOX", dataAnsi), false},
      {"folder missing", AliasConfig("KOLVAR", "PARADOX", dataAnsi + "\\GONE"), false},
      {"another driver", AliasConfig("KOLVAR", "DBASE", dataAnsi), false},
      {"opens", AliasConfig("KOLVAR", "PARADOX", dataAnsi), true},
      {"name in another case", AliasConfig("kolvar", "PARADOX", dataAnsi), true},
  };
  for (const auto& c : cases) {
    EngineMachine machine;
    testing::WriteFile(folder / L"IDAPI32.CFG", c.config);
    machine.Register(folder / L"IDAPI32.CFG");
    EngineSession session;
    EXPECT_EQ(DetectUpgradeMode(session), c.expected) << c.name;
    EXPECT_TRUE(session.started()) << c.name << ": the engine stays started";
  }
  EngineMachine noEngine;
  EngineSession session;
  EXPECT_FALSE(DetectUpgradeMode(session)) << "no engine registered";
}

}  // namespace
}  // namespace kolvar::bootstrap
