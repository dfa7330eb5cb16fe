// A stand-in for the component tools of the program folder (copied there as HHUPD.EXE and
// TREGSVR.EXE): appends its command line (UTF-8) and a line end to tools.txt in the folder
// KOLVAR_TOOL_RECORD names, then waits KOLVAR_TOOL_DELAY milliseconds (default 0) and ends.
#include <windows.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD length = ::GetEnvironmentVariableW(name, buffer, 1024);
  return length > 0 && length < 1024 ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::wstring line = std::wstring(::GetCommandLineW()) + L"\n";
  int size = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, bytes.data(), size, nullptr, nullptr);
  bytes.pop_back();
  std::wstring file = Env(L"KOLVAR_TOOL_RECORD") + L"\\tools.txt";
  HANDLE handle = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(handle);
  }
  std::wstring delay = Env(L"KOLVAR_TOOL_DELAY");
  if (!delay.empty())
    ::Sleep(static_cast<DWORD>(std::stoul(delay)));
  return 0;
}
