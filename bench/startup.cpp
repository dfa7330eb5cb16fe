// Start-up time of the installer as a user meets it: from starting INSTALL.EXE on the media to
// the first wizard window visible in front of the background window. Usage:
//   startup.exe <INSTALL.EXE> [runs]
// Copies the program into a fresh media folder, starts it `runs` times (5 by default) with a
// temporary folder of its own, prints each time and the median, and ends the copy after each
// run. Then times, in this process, the work the copy does before its first window that is not
// the system's: the shared pictures, the logo typeface and the background window's pictures.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "bootstrap/installer_window.h"
#include "toolkit/mesaj.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

std::set<DWORD> CopyProcesses() {
  std::set<DWORD> ids;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, L"INSTKOLV.EXE") == 0)
      ids.insert(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return ids;
}

struct Search {
  std::set<DWORD> copies;
  bool background = false;
  bool page = false;
};

BOOL CALLBACK Look(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<Search*>(context);
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  if (!search.copies.count(process) || !::IsWindowVisible(window))
    return TRUE;
  RECT r;
  ::GetWindowRect(window, &r);
  bool coversScreen = r.right - r.left >= ::GetSystemMetrics(SM_CXSCREEN) &&
                      r.bottom - r.top >= ::GetSystemMetrics(SM_CYSCREEN);
  (coversScreen ? search.background : search.page) = true;
  return TRUE;
}

void EndCopies() {
  for (DWORD id : CopyProcesses()) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process)
      continue;
    ::TerminateProcess(process, 0);
    ::WaitForSingleObject(process, 5000);
    ::CloseHandle(process);
  }
}

// Milliseconds from the start of the media run to the first page on screen; -1 on time-out.
double OneRun(const std::wstring& media) {
  std::wstring command = L"\"" + media + L"INSTALL.EXE\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  double start = Now();
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
    return -1;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  double elapsed = -1;
  while (Now() - start < 30000) {
    Search search{CopyProcesses()};
    if (!search.copies.empty())
      ::EnumWindows(&Look, reinterpret_cast<LPARAM>(&search));
    if (search.background && search.page) {
      elapsed = Now() - start;
      break;
    }
    ::Sleep(2);
  }
  EndCopies();
  return elapsed;
}

template <class F>
double Time(F&& f) {
  double start = Now();
  f();
  return Now() - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup.exe <INSTALL.EXE> [runs]\n");
    return 2;
  }
  int runs = argc > 2 ? _wtoi(argv[2]) : 5;
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring base =
      std::wstring(temp) + L"kolvar-bench-" + std::to_wstring(::GetCurrentProcessId());
  std::wstring media = base + L"\\media\\", privateTemp = base + L"\\temp";
  ::CreateDirectoryW(base.c_str(), nullptr);
  ::CreateDirectoryW(media.c_str(), nullptr);
  ::CreateDirectoryW(privateTemp.c_str(), nullptr);
  if (!::CopyFileW(argv[1], (media + L"INSTALL.EXE").c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %ls\n", argv[1]);
    return 2;
  }
  ::SetEnvironmentVariableW(L"TMP", privateTemp.c_str());
  ::SetEnvironmentVariableW(L"TEMP", privateTemp.c_str());
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    double t = OneRun(media);
    std::printf("run %d: %.0f ms\n", i + 1, t);
    if (t >= 0)
      times.push_back(t);
  }
  if (times.empty())
    return 1;
  std::sort(times.begin(), times.end());
  std::printf("first page on screen, median of %zu: %.0f ms (goal: 1000 ms)\n", times.size(),
              times[times.size() / 2]);

  using namespace kolvar;
  double pictures = Time([] { toolkit::InitializeToolkit(); });
  double typeface = Time([] {
    bootstrap::LoadFontResource(bootstrap::kLogoFontResource);
    toolkit::TFont font;
    font.Name = bootstrap::kLogoFontFamily;
    font.SetSize(78);
    font.Handle();
  });
  double artwork = Time([] {
    bootstrap::BridgesPicture();
    bootstrap::SoftwarePicture();
    bootstrap::CapPicture();
  });
  std::printf(
      "of it, in the copy: the %d shared pictures %.1f ms, the logo typeface %.1f ms, "
      "the background window's pictures %.1f ms\n",
      toolkit::Mesaj().Count(), pictures, typeface, artwork);
  return 0;
}
