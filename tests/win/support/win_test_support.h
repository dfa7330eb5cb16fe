// Helpers for the tests that run under Wine: throwaway folders, the built programs, processes.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace kolvar::testing {

// A Windows path from an environment variable set by the test registration (KOLVAR_DIST,
// KOLVAR_BUILD, KOLVAR_SOURCE); fails the test when it is missing.
// `ms` times KOLVAR_WAIT_SCALE (1 to 20, 1 when unset): the time-outs of the tests' waits. A
// slow machine, such as an emulated one, sets it rather than every test lengthening its waits.
DWORD Scaled(DWORD ms);
std::wstring EnvPath(const wchar_t* name);
// A file in build/dist (the deliverables of the build that made this test program).
std::wstring DistFile(const std::wstring& name);

// A fresh folder under C:\kolvar-tests, removed with its contents when the object dies.
class TempFolder {
 public:
  explicit TempFolder(const std::wstring& hint = L"t");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder, without a trailing backslash.
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

 private:
  std::wstring path_;
};

// Removes a folder and everything in it.
void RemoveTree(const std::wstring& path);
// Every file and folder below `root` by relative path: a file's bytes and its read-only,
// hidden, system and archive attributes, a folder as "<folder>".
std::map<std::wstring, std::string> FolderTree(const std::wstring& root,
                                               const std::wstring& relative = L"");
// Names of the subfolders of `folder`.
std::vector<std::wstring> ListFolders(const std::wstring& folder);
// Writes `bytes` to `path`, creating parents. Fails the test on error.
void WriteFile(const std::wstring& path, const std::string& bytes);
// The bytes of `path`, or "<missing>" when it cannot be read.
std::string ReadFile(const std::wstring& path);
// Runs `commandLine` and waits up to `timeoutMs`; returns the exit code, -1 when it cannot
// start, -2 on time-out (the process is then terminated).
int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 60000);

// Waits (up to `timeoutMs`) for every running process whose executable is named `exeName`.
void WaitForProcessesNamed(const std::wstring& exeName, DWORD timeoutMs = 30000);

// UTF-8 form of a wide string, for test messages.
std::string Narrow(const std::wstring& text);

}  // namespace kolvar::testing
