#include "win_test_support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar::testing {

DWORD Scaled(DWORD ms) {
  static const DWORD scale = [] {
    wchar_t text[8] = {};
    DWORD n = ::GetEnvironmentVariableW(L"KOLVAR_WAIT_SCALE", text, 8);
    int value = n > 0 && n < 8 ? _wtoi(text) : 1;
    return static_cast<DWORD>(value >= 1 && value <= 20 ? value : 1);
  }();
  return ms > MAXDWORD / scale ? MAXDWORD : ms * scale;
}

std::wstring EnvPath(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
  if (length == 0 || length >= 1024) {
    ADD_FAILURE() << "environment variable missing: " << Narrow(name);
    return L"";
  }
  return ExcludeTrailingBackslash(std::wstring(buffer, length));
}

std::wstring DistFile(const std::wstring& name) {
  return EnvPath(L"KOLVAR_DIST") + L"\\" + name;
}

TempFolder::TempFolder(const std::wstring& hint) {
  static unsigned counter = 0;
  ForceDirectories(L"C:\\kolvar-tests");
  for (;;) {
    path_ = L"C:\\kolvar-tests\\" + hint + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (::CreateDirectoryW(path_.c_str(), nullptr))
      break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create " << Narrow(path_);
      break;
    }
  }
}

TempFolder::~TempFolder() {
  RemoveTree(path_);
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  ScopedFind find(::FindFirstFileW((path + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileForced(child);
    } while (::FindNextFileW(find.get(), &data));
  }
  find.reset();
  ::RemoveDirectoryW(path.c_str());
}

std::vector<std::wstring> ListFolders(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  ScopedFind find(::FindFirstFileW((ExcludeTrailingBackslash(folder) + L"\\*").c_str(), &data));
  if (!find)
    return names;
  do {
    std::wstring name = data.cFileName;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
      names.push_back(name);
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
  ForceDirectories(path.substr(0, path.find_last_of(L'\\')));
  try {
    WriteFileBytes(path, bytes);
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

std::string ReadFile(const std::wstring& path) {
  try {
    return ReadFileBytes(path);
  } catch (const std::exception&) {
    return "<missing>";
  }
}

int RunAndWait(const std::wstring& commandLine, DWORD timeoutMs) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::wstring buffer = commandLine;
  if (!::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return -1;
  ScopedHandle process(info.hProcess), thread(info.hThread);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 99);
    return -2;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

void WaitForProcessesNamed(const std::wstring& exeName, DWORD timeoutMs) {
  std::vector<ScopedHandle> processes;
  {
    ScopedFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
      return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32FirstW(snapshot.get(), &entry); ok;
         ok = ::Process32NextW(snapshot.get(), &entry)) {
      if (EqualsNoCaseAscii(entry.szExeFile, exeName)) {
        ScopedHandle process(::OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process)
          processes.push_back(std::move(process));
      }
    }
  }
  for (const auto& process : processes)
    ::WaitForSingleObject(process.get(), timeoutMs);
}

std::string Narrow(const std::wstring& text) {
  return WideToUtf8(text);
}

std::map<std::wstring, std::string> FolderTree(const std::wstring& root,
                                               const std::wstring& relative) {
  std::map<std::wstring, std::string> tree;
  WIN32_FIND_DATAW data;
  std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return tree;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    std::wstring path = relative.empty() ? name : relative + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[path] = "<folder>";
      auto inner = FolderTree(root, path);
      tree.insert(inner.begin(), inner.end());
    } else {
      tree[path] = ReadFile(root + L"\\" + path) + " attributes " +
                   std::to_string(data.dwFileAttributes & 0x27);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return tree;
}

}  // namespace kolvar::testing
