// Times the new-installation page unpacking the archives of a media folder, against the media
// tool's extraction of the same joined archive, in the same process run. Usage:
//   copy_page_bench <media folder> <work folder> <media tool> <runs>
// The media hold DISK1, the parts of EXE and a small HELP archive. Prints the best time of
// each side, the ratio and the peak memory of this process (the page's run).
#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <cstdio>
#include <string>

#include "bootstrap/install_state.h"
#include "deploy/copy_pages.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "toolkit/application.h"

using namespace kolvar;
using namespace kolvar::deploy;

namespace {

double Now() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

// The real system, with the time spent unpacking EXE.ZIP measured through the page's view.
class TimedSystem : public WinCopySystem {
 public:
  explicit TimedSystem(double& seconds) : seconds_(seconds) {}
  void Unpack(const ZipArchive& archive,
              ExtractTarget& target,
              CopyView& view,
              UnzipCounter& counter,
              bool pump,
              const EntryFilter& filter) override {
    double start = Now();
    WinCopySystem::Unpack(archive, target, view, counter, pump, filter);
    if (archive.archiveName() == L"EXE.ZIP")
      seconds_ = Now() - start;
  }

 private:
  double& seconds_;
};

double RunTool(const std::wstring& commandLine) {
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  std::wstring command = commandLine;
  double start = Now();
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
    return -1;
  ::WaitForSingleObject(pi.hProcess, INFINITE);
  double seconds = Now() - start;
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(pi.hThread);
  return code == 0 ? seconds : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: copy_page_bench <media> <work> <media tool> <runs>\n");
    return 2;
  }
  std::wstring media = argv[1], work = argv[2], tool = argv[3];
  int runs = _wtoi(argv[4]);
  toolkit::Application().OnException = [](const std::wstring& text) {
    std::fwprintf(stderr, L"page run failed: %ls\n", text.c_str());
    ::ExitProcess(1);
  };
  // A registered engine keeps the engine archive out of the run.
  RegistryKey::Create(HKEY_LOCAL_MACHINE,
                      L"Software\\Borland\\Database Engine\\Settings\\SYSTEM\\INIT")
      .WriteString(L"VERSION", L"5.01");

  double bestPage = 1e9, bestTool = 1e9, startup = 1e9;
  for (int run = 0; run <= runs; ++run) {  // the first round warms the caches
    // Fresh folders each round: deleting thousands of files is slow under Wine, so the
    // calling script removes the work folder afterwards.
    std::wstring round = work + L"\\" + std::to_wstring(run);
    std::wstring program = round + L"\\page", joined = round + L"\\joined", out = round + L"\\tool";
    ForceDirectories(program);
    bootstrap::InstallState& state = bootstrap::State();
    state = bootstrap::InstallState{};
    state.InstallType = bootstrap::kTypeClient;
    state.SourceDir = media;
    state.ProposedProgramDir = state.ProgramDir = program;
    double page = 0;
    TCopyForm::SystemForTests = [&page] { return std::make_unique<TimedSystem>(page); };
    {
      auto form = toolkit::CreateForm<TCopy>();
      form->Show();
      toolkit::Application().ProcessMessages();
      form->BNext->Click();
      if (form->ModalResult() != 1) {
        std::fprintf(stderr, "the page did not finish\n");
        return 1;
      }
    }
    // The same joined archive for the tool: the page deleted its own.
    if (RunTool(L"\"" + tool + L"\" join \"" + media + L"\" \"" + joined + L"\" --type CLIENT") <
        0) {
      std::fprintf(stderr, "the media tool could not join\n");
      return 1;
    }
    double toolTime =
        RunTool(L"\"" + tool + L"\" extract \"" + joined + L"\\EXE.ZIP\" \"" + out + L"\"");
    double none = RunTool(L"\"" + tool + L"\" extract --help");
    if (toolTime < 0) {
      std::fprintf(stderr, "the media tool failed\n");
      return 1;
    }
    if (run > 0) {
      bestPage = std::min(bestPage, page);
      bestTool = std::min(bestTool, toolTime);
      if (none >= 0)
        startup = std::min(startup, none);
    }
  }
  if (startup > bestTool)
    startup = 0;
  PROCESS_MEMORY_COUNTERS memory{sizeof memory};
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
  double toolOnly = bestTool - startup;
  std::printf("page unpack %.2fs  media tool extract %.2fs (%.2fs with its start-up)\n", bestPage,
              toolOnly, bestTool);
  std::printf("ratio page/tool = %.2f   (goal <= 1.10)\n", bestPage / toolOnly);
  std::printf(
      "peak memory of the page's process: working set %.1f MB, private %.1f MB"
      "   (goal < 32 MB)\n",
      memory.PeakWorkingSetSize / 1048576.0, memory.PeakPagefileUsage / 1048576.0);
  return 0;
}
