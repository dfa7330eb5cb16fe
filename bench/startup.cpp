// Start-up time of the installer as a user meets it: from starting INSTALL.EXE on the media to
// the first wizard window visible in front of the background window. Usage:
//   startup.exe <INSTALL.EXE> [runs] [FLOOR.EXE]
// Copies the program into a fresh media folder, starts it `runs` times (5 by default) with a
// temporary folder of its own, prints each time and the median, and ends the copy after each
// run. With the floor program (bench/startup_floor.cpp), its runs alternate with the
// installer's, so that both meet the same load, and the two medians and their ratio follow. Then
// times, in this process, the work the copy does before its first window that is not the system's:
// the shared pictures, the logo typeface and the background window's pictures.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bootstrap/engine_session.h"
#include "bootstrap/installer_window.h"
#include "toolkit/application.h"
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

struct Subject {
  const wchar_t* label;
  const wchar_t* copyName;  // the name of the copy in the private folder
  std::wstring media;       // the folder it is started from
  std::vector<double> times;
};

std::set<DWORD> CopyProcesses(const wchar_t* copyName) {
  std::set<DWORD> ids;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry)) {
    if (lstrcmpiW(entry.szExeFile, copyName) == 0)
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

void EndCopies(const wchar_t* copyName) {
  for (DWORD id : CopyProcesses(copyName)) {
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process)
      continue;
    ::TerminateProcess(process, 0);
    ::WaitForSingleObject(process, 5000);
    ::CloseHandle(process);
  }
}

// Milliseconds from the start of the media run to the first page on screen; -1 on time-out.
double OneRun(const std::wstring& media, const wchar_t* copyName) {
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
    Search search{CopyProcesses(copyName)};
    if (!search.copies.empty())
      ::EnumWindows(&Look, reinterpret_cast<LPARAM>(&search));
    if (search.background && search.page) {
      elapsed = Now() - start;
      break;
    }
    ::Sleep(2);
  }
  EndCopies(copyName);
  return elapsed;
}

// The run log of the newest private folder under `temp`: what the last copy did before its
// first page, with the milliseconds of each step.
void PrintNewestLog(const std::wstring& temp) {
  WIN32_FIND_DATAW found;
  HANDLE find = ::FindFirstFileW((temp + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return;
  std::wstring newest;
  FILETIME newestTime{};
  do {
    bool logged =
        ::GetFileAttributesW((temp + L"\\" + found.cFileName + L"\\INSTKOLV.LOG").c_str()) !=
        INVALID_FILE_ATTRIBUTES;
    if (logged && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        ::CompareFileTime(&found.ftCreationTime, &newestTime) > 0) {
      newest = found.cFileName;
      newestTime = found.ftCreationTime;
    }
  } while (::FindNextFileW(find, &found));
  ::FindClose(find);
  std::wstring path = temp + L"\\" + newest + L"\\INSTKOLV.LOG";
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  std::string text(1 << 16, '\0');
  DWORD read = 0;
  ::ReadFile(file, text.data(), DWORD(text.size()), &read, nullptr);
  ::CloseHandle(file);
  text.resize(read);
  // The last two runs written there: the media run's and its copy's.
  size_t from = text.rfind("====");
  if (from != std::string::npos && from > 0)
    from = text.rfind("====", from - 1);
  if (from != std::string::npos)
    text.erase(0, from);
  std::printf("the last copy's log up to its first page:\n%s\n", text.c_str());
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
  std::wstring privateTemp = base + L"\\temp";
  ::CreateDirectoryW(base.c_str(), nullptr);
  ::CreateDirectoryW(privateTemp.c_str(), nullptr);
  std::vector<Subject> subjects{{L"installer", L"INSTKOLV.EXE", base + L"\\media\\", {}}};
  if (argc > 3)
    subjects.push_back({L"floor", L"FLOORCPY.EXE", base + L"\\floor\\", {}});
  for (size_t i = 0; i < subjects.size(); ++i) {
    ::CreateDirectoryW(subjects[i].media.c_str(), nullptr);
    const wchar_t* source = i == 0 ? argv[1] : argv[3];
    if (!::CopyFileW(source, (subjects[i].media + L"INSTALL.EXE").c_str(), FALSE)) {
      std::fprintf(stderr, "cannot copy %ls\n", source);
      return 2;
    }
  }
  ::SetEnvironmentVariableW(L"TMP", privateTemp.c_str());
  ::SetEnvironmentVariableW(L"TEMP", privateTemp.c_str());
  for (int i = 0; i < runs; ++i) {
    for (Subject& subject : subjects) {
      double t = OneRun(subject.media, subject.copyName);
      std::printf("run %d, %ls: %.0f ms\n", i + 1, subject.label, t);
      if (t >= 0)
        subject.times.push_back(t);
    }
  }
  std::vector<double> medians;
  for (Subject& subject : subjects) {
    if (subject.times.empty())
      return 1;
    std::sort(subject.times.begin(), subject.times.end());
    medians.push_back(subject.times[subject.times.size() / 2]);
  }
  std::printf("first page on screen, median of %zu: %.0f ms (goal: 1000 ms)\n",
              subjects[0].times.size(), medians[0]);
  if (medians.size() > 1) {
    std::printf("floor (two process starts, two plain windows), median of %zu: %.0f ms\n",
                subjects[1].times.size(), medians[1]);
    std::printf("installer / floor: %.2f (goal: 1.30 at most)\n", medians[0] / medians[1]);
  }

  PrintNewestLog(privateTemp);

  using namespace kolvar;
  double toolkitStart = Time([] { toolkit::InitializeToolkit(); });
  // Drawn when first used: the first page draws a handful, this is all of them.
  double pictures = Time([] { toolkit::Mesaj().All(); });
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
  // The background window as the copy makes it, shown and painted once.
  std::unique_ptr<bootstrap::TInstaller> installer;
  double made = Time([&] { installer = toolkit::CreateForm<bootstrap::TInstaller>(); });
  double shown = Time([&] {
    installer->Show();
    toolkit::Application().ProcessMessages();
  });
  double probe = Time([] { bootstrap::DetectUpgradeMode(); });
  std::printf(
      "of it, in the copy: the toolkit's start %.1f ms (all %d shared pictures, drawn when "
      "first used, %.1f ms), the logo typeface %.1f ms, "
      "the background window's pictures %.1f ms, the background window made %.1f ms and "
      "shown and painted %.1f ms, the database engine probe (the alias KOLVAR) %.1f ms\n",
      toolkitStart, toolkit::Mesaj().Count(), pictures, typeface, artwork, made, shown, probe);
  return 0;
}
