#include "sysconfig/program_group.h"

#include <ddeml.h>

#include "bootstrap/install_state.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/process.h"
#include "platform/text.h"
#include "toolkit/mesaj.h"
#include "toolkit/msg_dialog.h"

namespace kolvar::sysconfig {

namespace {

// A client-only DDE instance with its string handles; everything is released with it. The
// instance is an 8-bit one: the system hands an 8-bit execute text to 8-bit servers as it is
// and converts it for wide ones, and the shell has always been sent ANSI text.
class DdeClient {
 public:
  DdeClient() {
    if (::DdeInitializeA(&instance_, &Callback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
      instance_ = 0;
  }
  ~DdeClient() {
    if (conversation_)
      ::DdeDisconnect(conversation_);
    for (HSZ text : strings_)
      ::DdeFreeStringHandle(instance_, text);
    if (instance_)
      ::DdeUninitialize(instance_);
  }
  DdeClient(const DdeClient&) = delete;
  DdeClient& operator=(const DdeClient&) = delete;

  bool ready() const { return instance_ != 0; }
  HCONV conversation() const { return conversation_; }

  // Tries the topics in order; true when a server accepted one of them.
  bool Connect(const std::wstring& service, const std::vector<std::wstring>& topics) {
    HSZ serviceName = String(service);
    for (const std::wstring& topic : topics) {
      // The empty topic has no string handle: it goes out as the zero handle.
      conversation_ =
          ::DdeConnect(instance_, serviceName, topic.empty() ? nullptr : String(topic), nullptr);
      if (conversation_) {
        LogEvent(L"program group: " + service + L" answered on topic \"" + topic + L"\"");
        return true;
      }
    }
    return false;
  }

 private:
  static HDDEDATA CALLBACK Callback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
  }
  HSZ String(const std::wstring& text) {
    HSZ handle = ::DdeCreateStringHandleA(instance_, ToAnsiCodePage(text).c_str(), CP_WINANSI);
    if (handle)
      strings_.push_back(handle);
    return handle;
  }

  DWORD instance_ = 0;
  HCONV conversation_ = nullptr;
  std::vector<HSZ> strings_;
};

}  // namespace

std::string ToAnsiCodePage(std::wstring_view text) {
  if (text.empty())
    return std::string();
  int length = static_cast<int>(text.size());
  int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

bool SendShellExecute(const std::wstring& service,
                      const std::vector<std::wstring>& topics,
                      const std::string& executeText,
                      DWORD startWaitMs) {
  DdeClient client;
  if (!client.ready()) {
    LogEvent(L"program group: DDE does not start");
    return false;
  }
  if (!client.Connect(service, topics)) {
    std::wstring server = service + L" " + (topics.empty() ? std::wstring() : topics.front());
    // Minimised without taking the activation from the page.
    if (!StartProgramUntilIdle(server, SW_SHOWMINNOACTIVE, startWaitMs) ||
        !client.Connect(service, topics)) {
      LogEvent(L"program group: no answer from " + service);
      return false;
    }
  }
  std::vector<BYTE> data(executeText.begin(), executeText.end());
  DWORD transaction = 0;
  ::DdeClientTransaction(data.data(), static_cast<DWORD>(data.size()), client.conversation(),
                         nullptr, CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction);
  LogEvent(L"program group: commands sent: " + AnsiToWide(executeText));
  return true;
}

void CreateProgramGroup(const std::wstring& programDir,
                        const std::wstring& testDir,
                        const std::wstring& service) {
  GroupPrograms present;
  present.lunaris = FileExists(JoinPath(testDir, L"LUNARIS.EXE"));
  present.torneva = FileExists(JoinPath(testDir, L"TORNEVA.EXE"));
  std::string text = GroupExecuteText(GroupCommands(programDir, present), ToAnsiCodePage);
  if (!SendShellExecute(service, ShellTopics(), text)) {
    using namespace toolkit;
    ShowMsgDialog(L"Eroare DDE!", L"Eroare...", mtError, TAlignment::taCenter, MsgDlgMask(mbCancel),
                  mbCancel);
  }
}

void DoConfigGroup() {
  const bootstrap::InstallState& state = bootstrap::State();
  CreateProgramGroup(state.ProgramDir, state.ProposedProgramDir);
}

}  // namespace kolvar::sysconfig
