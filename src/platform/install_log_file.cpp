#include "platform/install_log_file.h"

#include <windows.h>

#include <memory>

#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar {

namespace {

class FileSink : public LogSink {
 public:
  FileSink(ScopedFile file, DWORD start) : file_(std::move(file)), start_(start) {}
  uint32_t Milliseconds() override { return ::GetTickCount() - start_; }
  std::string Encode(std::wstring_view text) override { return WideToAnsi(text); }
  void Append(const std::string& bytes) override {
    DWORD written = 0;
    // Opened for appending only: every write lands at the end, even when another program
    // wrote there meanwhile. A failed write (a locked range, a full disk) is passed over.
    ::WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }

 private:
  ScopedFile file_;
  DWORD start_;
};

std::unique_ptr<FileSink> openSink;

}  // namespace

std::wstring WindowsVersionText() {
  // GetVersionEx answers with the version a program's manifest asks for on newer systems;
  // ntdll's RtlGetVersion gives the true one.
  RTL_OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (!rtlGetVersion || rtlGetVersion(&info) != 0) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
      return L"?";
  }
  std::wstring text = DecimalText(info.dwMajorVersion) + L'.' + DecimalText(info.dwMinorVersion) +
                      L'.' + DecimalText(info.dwBuildNumber);
  if (info.szCSDVersion[0])
    text += L' ' + std::wstring(info.szCSDVersion);
  return text;
}

void OpenInstallLog(const std::wstring& path,
                    const std::wstring& mediaFolder,
                    const std::wstring& programVersion) {
  CloseInstallLog();
  DWORD start = ::GetTickCount();
  // A log made read-only is left as it is, also by a program the system would let write it
  // (Wine running as root does).
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return;
  ScopedFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    return;
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LogHeader header{now.wYear,   now.wMonth,  now.wDay,       now.wHour,           now.wMinute,
                   now.wSecond, mediaFolder, programVersion, WindowsVersionText()};
  openSink = std::make_unique<FileSink>(std::move(file), start);
  StartLog(openSink.get(), header);
}

void CloseInstallLog() {
  StopLog();
  openSink.reset();
}

}  // namespace kolvar
