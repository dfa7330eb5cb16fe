#include "platform/install_log_file.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar {

namespace {

// The run's log goes to each of its files, and is kept (bounded like the files) to be added
// to the program folder's log at the end of a successful run.
class FileSink : public LogSink {
 public:
  explicit FileSink(DWORD start) : start_(start) {}
  void Add(ScopedFile file) { files_.push_back(std::move(file)); }
  bool Empty() const { return files_.empty(); }
  uint32_t Milliseconds() override { return ::GetTickCount() - start_; }
  std::string Encode(std::wstring_view text) override { return WideToAnsi(text); }
  void Append(const std::string& bytes) override {
    // Opened for appending only: every write lands at the end, even when another program
    // wrote there meanwhile. A failed write (a locked range, a full disk) is passed over.
    for (ScopedFile& file : files_) {
      DWORD written = 0;
      ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    kept_ += bytes;
  }
  const std::string& Kept() const { return kept_; }

 private:
  std::vector<ScopedFile> files_;
  DWORD start_;
  std::string kept_;
};

std::unique_ptr<FileSink> openSink;

// A log file opened for appending; none when it is read-only (also for a program the system
// would let write it, as Wine running as root does) or cannot be opened.
ScopedFile OpenForAppending(const std::wstring& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return ScopedFile();
  return ScopedFile(::CreateFileW(path.c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool IsWindows64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, BOOL*);
  auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
  BOOL wow64 = FALSE;
  return sizeof(void*) == 8 || (isWow64 && isWow64(::GetCurrentProcess(), &wow64) && wow64);
}

MachineFacts ReadMachineFacts() {
  MachineFacts facts;
  facts.windows64 = IsWindows64();
  facts.sse = ProcessorHasSse();
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                 0, 0, 0, 0, &administrators)) {
    BOOL member = FALSE;
    facts.administrator = ::CheckTokenMembership(nullptr, administrators, &member) && member;
    ::FreeSid(administrators);
  }
  HANDLE token = nullptr;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    DWORD elevation = 0, size = 0;
    // TokenElevation (20) exists from Vista on; XP answers with an error.
    if (::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &elevation,
                              sizeof elevation, &size))
      facts.elevated = elevation != 0;
    ::CloseHandle(token);
  }
  return facts;
}

void Start(std::unique_ptr<FileSink> sink,
           const std::wstring& mediaFolder,
           const std::wstring& programVersion) {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  LogHeader header{now.wYear,
                   now.wMonth,
                   now.wDay,
                   now.wHour,
                   now.wMinute,
                   now.wSecond,
                   mediaFolder,
                   programVersion,
                   WindowsVersionText(),
                   MachineText(ReadMachineFacts())};
  openSink = std::move(sink);
  StartLog(openSink.get(), header);
}

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

std::wstring SharedLogPath() {
  return TemporaryFolder() + L"INSTKOLV.LOG";
}

void OpenInstallLog(const std::wstring& path,
                    const std::wstring& mediaFolder,
                    const std::wstring& programVersion) {
  CloseInstallLog();
  auto sink = std::make_unique<FileSink>(::GetTickCount());
  for (const std::wstring& file : {path, SharedLogPath()})
    if (ScopedFile opened = OpenForAppending(file))
      sink->Add(std::move(opened));
  if (!sink->Empty())
    Start(std::move(sink), mediaFolder, programVersion);
}

void OpenMediaRunLog(const std::wstring& mediaFolder, const std::wstring& programVersion) {
  CloseInstallLog();
  auto sink = std::make_unique<FileSink>(::GetTickCount());
  if (ScopedFile opened = OpenForAppending(SharedLogPath()))
    sink->Add(std::move(opened));
  if (!sink->Empty())
    Start(std::move(sink), mediaFolder, programVersion);
}

void AppendRunLogTo(const std::wstring& path) {
  if (!openSink)
    return;
  ScopedFile file = OpenForAppending(path);
  if (!file)
    return;
  const std::string& bytes = openSink->Kept();
  DWORD written = 0;
  ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void CloseInstallLog() {
  StopLog();
  openSink.reset();
}

}  // namespace kolvar
