#include "sysconfig/engine_config.h"

#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "engine_machine.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/text.h"

namespace kolvar::sysconfig {
namespace {

using bootstrap::EngineSession;
using testing::EngineMachine;
using testing::ReadFile;
using testing::TempFolder;
using testing::TestRegistryRoot;

std::optional<std::wstring> ReadValue(HKEY root,
                                      const std::wstring& key,
                                      const std::wstring& name) {
  auto opened = RegistryKey::Open(root, key);
  return opened ? opened->ReadString(name) : std::nullopt;
}

TEST(RegisterEngine, CountsOneMoreUserOfARegisteredEngine) {
  struct Case {
    const char* name;
    std::optional<std::wstring> text;
    std::optional<DWORD> number;
    std::wstring expected;
  } cases[] = {
      {"three users", L"3", std::nullopt, L"4"},
      {"three users, blanks around", L" 3 ", std::nullopt, L"4"},
      {"no value", std::nullopt, std::nullopt, L"1"},
      {"not a number", L"abc", std::nullopt, L"1"},
      {"stored as a number", std::nullopt, 7, L"1"},
  };
  for (const auto& c : cases) {
    TestRegistryRoot root;
    RegistryKey::Create(root.get(), kRegisteredEngineKey);
    RegistryKey engine = RegistryKey::Create(root.get(), bootstrap::kEngineKey);
    if (c.text)
      engine.WriteString(L"UseCount", *c.text);
    if (c.number)
      engine.WriteDword(L"UseCount", *c.number);
    bool fresh = false;
    // No Program Files folder below the root: registering anew would fail loudly.
    ASSERT_NO_THROW(RegisterEngine(fresh, root.get())) << c.name;
    EXPECT_FALSE(fresh) << c.name;
    EXPECT_EQ(ReadValue(root.get(), bootstrap::kEngineKey, L"UseCount"), c.expected) << c.name;
  }
}

TEST(RegisterEngine, AMissingEngineKeyOfARegisteredEngineIsARegistryError) {
  TestRegistryRoot root;
  RegistryKey::Create(root.get(), kRegisteredEngineKey);
  bool fresh = false;
  EXPECT_THROW(RegisterEngine(fresh, root.get()), SystemError);
  EXPECT_FALSE(RegistryKey::Exists(root.get(), bootstrap::kEngineKey));
}

// A fresh engine whose files lie in a Program Files folder of the test's own.
class FreshEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    programFiles_ = folder_ / L"Program Files";
    RegistryKey::Create(root_.get(), kWindowsVersionKey)
        .WriteString(L"ProgramFilesDir", programFiles_);
    bdeReg_ = programFiles_ + kEngineSubfolder + kEngineRegistryFile;
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, importKey_);
  }
  void TearDown() override { DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\KolvarTests"); }

  TestRegistryRoot root_;
  TempFolder folder_{L"fresh"};
  std::wstring programFiles_;
  std::wstring bdeReg_;
  std::wstring importKey_ = L"Software\\KolvarTests\\Import";
};

TEST_F(FreshEngine, RewritesAndImportsTheEngineRegistryFile) {
  std::string tail(1200, 'x');
  testing::WriteFile(bdeReg_,
                     "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\KolvarTests\\Import]\n"
                     "\"DLLPATH\"=\"$ProgDir$\\\\Borland\"\n"
                     "\"Two\"=\"$ProgDir$\\\\A;$ProgDir$\\\\B\"\n"
                     "\"Long\"=\"$ProgDir$" +
                         tail +
                         "\"\n"
                         "\"Letters\"=\"\xEE\xE2\"\n");
  bool fresh = false;
  RegisterEngine(fresh, root_.get());
  EXPECT_TRUE(fresh);
  std::string pf = DoubleBackslashes(*WideToAnsiExact(programFiles_));
  EXPECT_EQ(ReadFile(bdeReg_),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\KolvarTests\\Import]\r\n"
            "\"DLLPATH\"=\"" +
                pf +
                "\\\\Borland\"\r\n"
                "\"Two\"=\"" +
                pf + "\\\\A;" + pf +
                "\\\\B\"\r\n"
                "\"Long\"=\"" +
                pf + tail +
                "\"\r\n"
                "\"Letters\"=\"\xEE\xE2\"\r\n");
  // Imported by regedit from a path with a blank in it.
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, importKey_, L"DLLPATH"), programFiles_ + L"\\Borland");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, importKey_, L"Two"),
            programFiles_ + L"\\A;" + programFiles_ + L"\\B");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, importKey_, L"Long"),
            programFiles_ + std::wstring(1200, L'x'));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, importKey_, L"Letters"), AnsiToWide("\xEE\xE2"));
}

TEST_F(FreshEngine, AProgramFilesFolderWithoutAnAnsiFormIsAnErrorAndTheFileStaysAsItWas) {
  programFiles_ = folder_ / L"\u0416\u0416";  // no exact form in the ANSI code page
  RegistryKey::Create(root_.get(), kWindowsVersionKey)
      .WriteString(L"ProgramFilesDir", programFiles_);
  bdeReg_ = programFiles_ + kEngineSubfolder + kEngineRegistryFile;
  testing::WriteFile(bdeReg_,
                     "[HKEY_LOCAL_MACHINE\\Software\\KolvarTests\\Import]\n\"P\"=\"$ProgDir$\"\n");
  bool fresh = false;
  EXPECT_THROW(RegisterEngine(fresh, root_.get()), Error);
  EXPECT_EQ(ReadFile(bdeReg_),
            "[HKEY_LOCAL_MACHINE\\Software\\KolvarTests\\Import]\n\"P\"=\"$ProgDir$\"\n");
  EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, importKey_));
}

TEST_F(FreshEngine, AMissingRegistryFileIsAnErrorAndNothingIsImported) {
  bool fresh = false;
  EXPECT_THROW(RegisterEngine(fresh, root_.get()), SystemError);
  EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, importKey_));
  EXPECT_FALSE(FileExists(bdeReg_));
}

// The stand-in engine with its configuration in a folder of the test's own.
class EngineAliases : public ::testing::Test {
 protected:
  void SetUp() override { machine_.Register(config_); }
  std::string Config() const { return ReadFile(config_); }
  std::string AliasText(const std::wstring& name, const std::wstring& path) const {
    return testing::AliasConfig(*WideToAnsiExact(name), "PARADOX", *WideToAnsiExact(path));
  }

  EngineMachine machine_;
  TempFolder folder_{L"aliases"};
  std::wstring config_ = folder_ / L"IDAPI32.CFG";
};

TEST_F(EngineAliases, AddsTheFourAliasesBelowTheDataFolder) {
  std::wstring data = folder_ / L"KDATE";
  for (const std::wstring& dataDir : {data, data + L"\\"}) {
    DeleteFileForced(config_);
    EngineSession session;
    EXPECT_TRUE(AddAliases(session, SuiteAliases(dataDir)));
    std::string config = Config();
    for (const auto& [name, subdir] : {std::pair{L"KOLVARALIAS", L"\\NEW\\DATA"},
                                       {L"FIRMAALIAS", L"\\NEW\\FIRMA"},
                                       {L"LUNAALIAS", L"\\NEW\\LUNA"},
                                       {L"KOLVAR", L"\\DATA"}})
      EXPECT_NE(config.find(AliasText(name, data + subdir)), std::string::npos)
          << WideToUtf8(name) << " in\n"
          << config;
  }
}

TEST_F(EngineAliases, AnAliasThatCannotBeAddedDoesNotStopTheOthers) {
  std::wstring data = folder_ / L"D";
  testing::WriteFile(config_, testing::AliasConfig("KOLVAR", "PARADOX", "C:\\OLD"));
  std::wstring tooLong = L"C:\\" + std::wstring(260, L'p');
  EngineSession session;
  EXPECT_FALSE(AddAliases(session, {{L"FIRST", data + L"\\1"},
                                    {L"KOLVAR", data + L"\\DATA"},
                                    {L"LONGPATH", tooLong},
                                    {std::wstring(256, L'N'), data},
                                    {L"CYRILLIC", data + L"\\\u0416"},
                                    {L"LAST", data + L"\\2"}}));
  std::string config = Config();
  EXPECT_NE(config.find(AliasText(L"FIRST", data + L"\\1")), std::string::npos) << config;
  EXPECT_NE(config.find(AliasText(L"LAST", data + L"\\2")), std::string::npos) << config;
  EXPECT_NE(config.find(testing::AliasConfig("KOLVAR", "PARADOX", "C:\\OLD")), std::string::npos);
  EXPECT_EQ(config.find("LONGPATH"), std::string::npos) << "never added with a cut path";
  EXPECT_EQ(config.find("NNNN"), std::string::npos);
  EXPECT_EQ(config.find("CYRILLIC"), std::string::npos) << "never added with a replaced letter";
}

TEST_F(EngineAliases, NothingIsAddedWhenTheEngineDoesNotStart) {
  EngineMachine noEngine;
  EngineSession session;
  EXPECT_FALSE(AddAliases(session, SuiteAliases(folder_.path())));
  EXPECT_FALSE(FileExists(config_));
}

TEST_F(EngineAliases, SetNetDirPointsTheParadoxDriverAtTheDataFolder) {
  std::wstring data = folder_ / L"KDATE";
  EngineSession session;
  EXPECT_TRUE(SetNetDir(session, data));
  EXPECT_TRUE(DirectoryExists(data + L"\\NetDir"));
  EXPECT_NE(Config().find("NET DIR=" + *WideToAnsiExact(data) + "\\\r\n"), std::string::npos)
      << Config();
  EXPECT_FALSE(session.started()) << "SetNetDir ends its own engine session";
}

TEST_F(EngineAliases, SetNetDirLeavesAValueThatDoesNotFitUnwritten) {
  std::wstring data = folder_ / std::wstring(130, L'n');
  EngineSession session;
  EXPECT_FALSE(SetNetDir(session, data));
  EXPECT_EQ(Config().find("NET DIR=C"), std::string::npos) << Config();
}

// An engine that faults in one entry point (chosen by FOREIGN_FAULT_IN): the configuration
// ends with our error, which the general error report shows, and the program goes on.
TEST(FaultingEngine, AFaultWhileConfiguringBecomesOurErrorAndTheProgramGoesOn) {
  EngineMachine machine;
  TempFolder folder(L"faulting");
  ASSERT_TRUE(machine.RegisterFaultingEngine(folder.path()));
  struct Case {
    const wchar_t* entry;
    bool netDir;  // the NET DIR change rather than the aliases
  };
  for (Case c : {Case{L"DbiAddAlias", false}, Case{L"DbiCfgSave", false},
                 Case{L"DbiOpenCfgInfoList", true}}) {
    SCOPED_TRACE(WideToUtf8(c.entry));
    ::SetEnvironmentVariableW(L"FOREIGN_FAULT_IN", c.entry);
    EngineSession session;
    std::wstring message;
    try {
      if (c.netDir)
        SetNetDir(session, folder / L"DATA");
      else
        AddAliases(session, SuiteAliases(folder / L"DATA"));
    } catch (const ForeignCallError& error) {
      message = error.message();
    }
    EXPECT_EQ(message.rfind(std::wstring(c.entry) + L": acces nepermis la memorie", 0), 0u)
        << WideToUtf8(message);
  }
  ::SetEnvironmentVariableW(L"FOREIGN_FAULT_IN", nullptr);
  EngineSession session;
  EXPECT_TRUE(AddAliases(session, SuiteAliases(folder / L"DATA"))) << "the same engine behaving";
}

// DoConfigBDE on the machine as the copy page leaves it: the engine's files in the Program
// Files folder, no engine registered.
TEST(DoConfigBDE, RegistersAFreshEngineThenCountsUsersOnTheNextRun) {
  EngineMachine machine;
  TempFolder data(L"kdate");
  std::wstring programFiles =
      ReadValue(HKEY_LOCAL_MACHINE, kWindowsVersionKey, L"ProgramFilesDir").value_or(L"");
  ASSERT_FALSE(programFiles.empty());
  std::wstring engineFolder = programFiles + kEngineSubfolder;
  testing::RemoveTree(programFiles + L"\\Borland");
  ASSERT_TRUE(ForceDirectories(engineFolder));
  for (const wchar_t* file : {L"IDAPI32.DLL", L"bde.reg", L"IDAPI32.CFG"})
    ASSERT_TRUE(CopyFileReplacing(testing::DistFile(std::wstring(L"engine\\") + file),
                                  engineFolder + L"\\" + file));
  bootstrap::State().DataDir = data.path();

  DoConfigBDE();

  const std::wstring engineKey = bootstrap::kEngineKey;
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, engineKey, L"DLLPATH"), engineFolder);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, engineKey, L"UseCount"), L"1");
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, engineKey + L"\\Settings\\SYSTEM\\INIT", L"VERSION"),
            L"5.01");
  EXPECT_TRUE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, kRegisteredEngineKey));
  std::string reg = ReadFile(engineFolder + L"\\bde.reg");
  EXPECT_EQ(reg.find("$ProgDir$"), std::string::npos) << reg;
  std::string config = ReadFile(engineFolder + L"\\IDAPI32.CFG");
  EXPECT_NE(config.find("[ALIAS KOLVAR]\r\nTYPE=PARADOX\r\nPATH=" + *WideToAnsiExact(data.path()) +
                        "\\DATA\r\n"),
            std::string::npos)
      << config;
  EXPECT_NE(config.find("[ALIAS LUNAALIAS]"), std::string::npos) << config;
  EXPECT_NE(config.find("NET DIR=" + *WideToAnsiExact(data.path()) + "\\\r\n"), std::string::npos)
      << config;
  EXPECT_TRUE(DirectoryExists(data / L"NetDir"));

  // The suite is now installed once its database folder exists; a new engine session reads
  // the aliases back from the configuration file.
  bootstrap::StopDatabaseEngine();
  ASSERT_TRUE(ForceDirectories(data / L"DATA"));
  {
    EngineSession session;
    EXPECT_TRUE(bootstrap::DetectUpgradeMode(session));
  }

  // A second installation on the same machine: one more user, the aliases exist already and
  // the network folder stays where the first one put it.
  TempFolder other(L"other");
  bootstrap::State().DataDir = other.path();
  DoConfigBDE();
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, engineKey, L"UseCount"), L"2");
  config = ReadFile(engineFolder + L"\\IDAPI32.CFG");
  EXPECT_EQ(config.find(*WideToAnsiExact(other.path())), std::string::npos) << config;
  EXPECT_FALSE(DirectoryExists(other / L"NetDir"));
  EXPECT_EQ(ReadFile(engineFolder + L"\\bde.reg"), reg) << "not rewritten a second time";
  bootstrap::StopDatabaseEngine();
}

}  // namespace
}  // namespace kolvar::sysconfig
