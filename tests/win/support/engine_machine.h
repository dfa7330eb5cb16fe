// The database engine's part of a test machine: its registry keys and the stand-in engine
// from build/dist/engine. Header only; used by the engine binding and configuration tests,
// which run in a Wine prefix group of their own and hold a lock against each other.
#pragma once

#include <windows.h>

#include <string>

#include "platform/registry.h"
#include "win_test_support.h"

namespace kolvar::testing {

inline constexpr wchar_t kBorlandKey[] = L"Software\\Borland";
inline constexpr wchar_t kEngineRegistryKey[] = L"Software\\Borland\\Database Engine";

// Starts and ends with no engine registered in HKEY_LOCAL_MACHINE.
class EngineMachine {
 public:
  EngineMachine() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBorlandKey); }
  ~EngineMachine() { DeleteRegistryTree(HKEY_LOCAL_MACHINE, kBorlandKey); }
  EngineMachine(const EngineMachine&) = delete;
  EngineMachine& operator=(const EngineMachine&) = delete;

  // Registers the engine in `dllFolder` (default: the stand-in) with configuration file
  // `configFile`, as the engine's own registry file would.
  void Register(const std::wstring& configFile, const std::wstring& dllFolder = L"") {
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, kEngineRegistryKey);
    key.WriteString(L"DLLPATH", dllFolder.empty() ? DistFile(L"engine") : dllFolder);
    if (!configFile.empty())
      key.WriteString(L"CONFIGFILE01", configFile);
  }

  // Registers, as the engine in `folder`, the test library that faults in the entry point
  // named by the environment variable FOREIGN_FAULT_IN; false when it cannot be put there.
  bool RegisterFaultingEngine(const std::wstring& folder) {
    if (!::CopyFileW((EnvPath(L"KOLVAR_BUILD") + L"\\testlibs\\foreign_faults.dll").c_str(),
                     (folder + L"\\IDAPI32.DLL").c_str(), FALSE))
      return false;
    Register(folder + L"\\IDAPI32.CFG", folder);
    return true;
  }
};

// The text of a stand-in configuration holding one alias.
inline std::string AliasConfig(const std::string& name,
                               const std::string& type,
                               const std::string& path) {
  return "[ALIAS " + name + "]\r\nTYPE=" + type + "\r\nPATH=" + path + "\r\n";
}

// A throwaway key below HKEY_CURRENT_USER, used as the root key of registry code under test;
// deleted with everything in it when the object dies.
class TestRegistryRoot {
 public:
  TestRegistryRoot()
      : path_(L"Software\\KolvarTests\\root-" + std::to_wstring(::GetCurrentProcessId())),
        key_(RegistryKey::Create(HKEY_CURRENT_USER, path_)) {}
  ~TestRegistryRoot() { DeleteRegistryTree(HKEY_CURRENT_USER, path_); }
  TestRegistryRoot(const TestRegistryRoot&) = delete;
  TestRegistryRoot& operator=(const TestRegistryRoot&) = delete;

  HKEY get() const { return key_.get(); }

 private:
  std::wstring path_;
  RegistryKey key_;
};

}  // namespace kolvar::testing
