#include "sysconfig/program_group.h"

#include <ddeml.h>

#include <atomic>
#include <memory>

#include "bootstrap/install_state.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
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

  // Tries the topics in order; the topic a server accepted, or nothing.
  const std::wstring* Connect(const std::wstring& service,
                              const std::vector<std::wstring>& topics) {
    HSZ serviceName = String(service);
    for (const std::wstring& topic : topics) {
      // The empty topic has no string handle: it goes out as the zero handle.
      conversation_ =
          ::DdeConnect(instance_, serviceName, topic.empty() ? nullptr : String(topic), nullptr);
      if (conversation_)
        return &topic;
    }
    return nullptr;
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

// One try at the conversation: connect, and send the text when a server accepts. It runs on a
// thread of its own, because opening a conversation is a broadcast that waits on every
// top-level window of the desktop, and a single window that never answers would stop the page
// with it. The thread that asked gives up after a few seconds; the try then never sends.
struct ConversationTry {
  std::wstring service;
  std::vector<std::wstring> topics;
  std::string executeText;
  std::atomic<bool> abandoned{false};
  // Written by the try's thread before it ends; read once it has ended.
  bool ddeReady = false;
  std::wstring acceptedTopic;
  bool accepted = false;
};

DWORD WINAPI RunConversationTry(void* parameter) {
  std::unique_ptr<std::shared_ptr<ConversationTry>> owner(
      static_cast<std::shared_ptr<ConversationTry>*>(parameter));
  ConversationTry& conversationTry = **owner;
  DdeClient client;
  conversationTry.ddeReady = client.ready();
  if (!client.ready())
    return 0;
  const std::wstring* topic = client.Connect(conversationTry.service, conversationTry.topics);
  if (!topic || conversationTry.abandoned)
    return 0;
  conversationTry.accepted = true;
  conversationTry.acceptedTopic = *topic;
  std::vector<BYTE> data(conversationTry.executeText.begin(), conversationTry.executeText.end());
  DWORD transaction = 0;
  ::DdeClientTransaction(data.data(), static_cast<DWORD>(data.size()), client.conversation(),
                         nullptr, CF_TEXT, XTYP_EXECUTE, TIMEOUT_ASYNC, &transaction);
  return 0;
}

// Waits for `thread` for at most `limitMs`, answering meanwhile the messages other threads send
// to this thread's windows (the broadcast reaches the page too); input waits in the queue.
bool WaitAnsweringSentMessages(HANDLE thread, DWORD limitMs) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    DWORD spent = ::GetTickCount() - start;
    if (spent >= limitMs)
      return false;
    DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, limitMs - spent, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0)
      return true;
    if (woken != WAIT_OBJECT_0 + 1)
      return false;
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

enum class TryResult { kSent, kNoAnswer, kNoDde, kTimedOut };

TryResult TryConversation(const std::wstring& service,
                          const std::vector<std::wstring>& topics,
                          const std::string& executeText,
                          DWORD limitMs) {
  auto conversationTry = std::make_shared<ConversationTry>();
  conversationTry->service = service;
  conversationTry->topics = topics;
  conversationTry->executeText = executeText;
  auto* parameter = new std::shared_ptr<ConversationTry>(conversationTry);
  ScopedHandle thread(::CreateThread(nullptr, 0, &RunConversationTry, parameter, 0, nullptr));
  if (!thread) {
    delete parameter;
    return TryResult::kNoDde;
  }
  if (!WaitAnsweringSentMessages(thread.get(), limitMs)) {
    // Left to end by itself when the window it waits on answers, or with the process.
    conversationTry->abandoned = true;
    return TryResult::kTimedOut;
  }
  if (!conversationTry->ddeReady)
    return TryResult::kNoDde;
  if (!conversationTry->accepted)
    return TryResult::kNoAnswer;
  LogEvent(L"program group: " + service + L" answered on topic \"" +
           conversationTry->acceptedTopic + L"\"");
  return TryResult::kSent;
}

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
                      DWORD startWaitMs,
                      DWORD tryLimitMs) {
  TryResult result = TryConversation(service, topics, executeText, tryLimitMs);
  if (result == TryResult::kNoAnswer) {
    std::wstring server = service + L" " + (topics.empty() ? std::wstring() : topics.front());
    // Minimised without taking the activation from the page.
    if (StartProgramUntilIdle(server, SW_SHOWMINNOACTIVE, startWaitMs))
      result = TryConversation(service, topics, executeText, tryLimitMs);
  }
  switch (result) {
    case TryResult::kSent:
      LogEvent(L"program group: commands sent: " + AnsiToWide(executeText));
      return true;
    case TryResult::kNoDde:
      LogEvent(L"program group: DDE does not start");
      return false;
    case TryResult::kTimedOut:
      LogEvent(L"program group: no answer from " + service + L" within " +
               DecimalText(tryLimitMs / 1000) + L" s (a window does not answer)");
      return false;
    case TryResult::kNoAnswer:
      break;
  }
  LogEvent(L"program group: no answer from " + service);
  return false;
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
