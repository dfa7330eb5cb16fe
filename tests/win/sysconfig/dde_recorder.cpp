// A stand-in for the shell's DDE server: registers a service and records what clients send.
// Set up through the environment, so that a copy started by the client under another name
// behaves the same:
//   KOLVAR_DDE_SERVICE  service name (default "ProgMan")
//   KOLVAR_DDE_MODE     "empty": accepts only the empty topic (a wildcard request, answered
//                       with the topic "PROGMAN"); "progman": only "PROGMAN"; "none": nothing
//   KOLVAR_DDE_RECORD   folder; every connection request appends its topic (or "<none>") and
//                       a line end to connects.txt, every execute's bytes go to execute-N.bin
//   KOLVAR_DDE_READY    name of an event set once the service is registered
// Ends when the first conversation ends, or after KOLVAR_DDE_LIFETIME milliseconds (20000).
#include <windows.h>

#include <ddeml.h>

#include <string>

namespace {

DWORD g_instance = 0;
std::string g_mode;
std::string g_record;
int g_executes = 0;

std::string Env(const char* name, const char* fallback = "") {
  char buffer[1024];
  DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : fallback;
}

void Append(const std::string& file, const std::string& bytes) {
  HANDLE handle = ::CreateFileA((g_record + "\\" + file).c_str(), FILE_APPEND_DATA, 0, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  ::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(handle);
}

std::string Text(HSZ handle) {
  if (!handle)
    return "<none>";
  char buffer[256] = {};
  ::DdeQueryStringA(g_instance, handle, buffer, sizeof buffer, CP_WINANSI);
  return buffer;
}

bool Accepts(HSZ topic) {
  std::string name = topic ? Text(topic) : std::string();
  if (g_mode == "progman")
    return ::lstrcmpiA(name.c_str(), "PROGMAN") == 0;
  return false;
}

HSZ g_service = nullptr;
HSZ g_progman = nullptr;

HDDEDATA CALLBACK
Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
  switch (type) {
    case XTYP_WILDCONNECT: {
      Append("connects.txt", Text(topic) + "\r\n");
      if (topic || g_mode != "empty")
        return nullptr;
      HSZPAIR pairs[2] = {{g_service, g_progman}, {nullptr, nullptr}};
      return ::DdeCreateDataHandle(g_instance, reinterpret_cast<BYTE*>(pairs), sizeof pairs, 0,
                                   nullptr, 0, 0);
    }
    case XTYP_CONNECT:
      Append("connects.txt", Text(topic) + "\r\n");
      return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(Accepts(topic)));
    case XTYP_EXECUTE: {
      DWORD size = ::DdeGetData(data, nullptr, 0, 0);
      std::string bytes(size, '\0');
      ::DdeGetData(data, reinterpret_cast<BYTE*>(bytes.data()), size, 0);
      Append("execute-" + std::to_string(++g_executes) + ".bin", bytes);
      return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    case XTYP_DISCONNECT:
      ::PostQuitMessage(0);
      return nullptr;
  }
  return nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  g_mode = Env("KOLVAR_DDE_MODE", "empty");
  g_record = Env("KOLVAR_DDE_RECORD", ".");
  std::string service = Env("KOLVAR_DDE_SERVICE", "ProgMan");
  if (::DdeInitializeA(&g_instance, Callback,
                       APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                       0) != DMLERR_NO_ERROR)
    return 1;
  g_service = ::DdeCreateStringHandleA(g_instance, service.c_str(), CP_WINANSI);
  g_progman = ::DdeCreateStringHandleA(g_instance, "PROGMAN", CP_WINANSI);
  ::DdeNameService(g_instance, g_service, nullptr, DNS_REGISTER);
  std::string ready = Env("KOLVAR_DDE_READY");
  if (!ready.empty()) {
    if (HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, ready.c_str())) {
      ::SetEvent(event);
      ::CloseHandle(event);
    }
  }
  ::SetTimer(nullptr, 0, static_cast<UINT>(std::stoul(Env("KOLVAR_DDE_LIFETIME", "20000"))),
             nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && !msg.hwnd)
      break;
    ::DispatchMessageA(&msg);
  }
  ::DdeNameService(g_instance, g_service, nullptr, DNS_UNREGISTER);
  ::DdeFreeStringHandle(g_instance, g_progman);
  ::DdeFreeStringHandle(g_instance, g_service);
  ::DdeUninitialize(g_instance);
  return 0;
}
