// Speed of the locate page's disk scan against a bare FindFirstFile walk of the same tree, in
// the same run: FIND_APP_SCAN.EXE [folder] [runs]. Makes a tree of 20,000 folders without a
// program file under the folder (default C:\kolvar-bench) on first use, then times both walks
// in turn and prints the shortest time of each and their ratio. The page is shown, so every
// folder's status line is really painted.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "pages/find_app.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "toolkit/application.h"

namespace {

using kolvar::pages::TFindApp;

constexpr int kTop = 20, kMiddle = 20, kLeaves = 49;  // 20 + 400 + 19,600 folders

std::wstring Name(const wchar_t* prefix, int i) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%ls%02d", prefix, i);
  return text;
}

void MakeTree(const std::wstring& root) {
  std::wstring marker = root + L"complete.txt";
  if (kolvar::FileExists(marker))
    return;
  std::printf("making the tree...\n");
  for (int a = 0; a < kTop; ++a) {
    std::wstring top = root + Name(L"dosar", a) + L"\\";
    for (int b = 0; b < kMiddle; ++b) {
      std::wstring middle = top + Name(L"luna", b) + L"\\";
      kolvar::ForceDirectories(middle);
      for (int c = 0; c < kLeaves; ++c)
        ::CreateDirectoryW((middle + Name(L"zi", c)).c_str(), nullptr);
    }
  }
  kolvar::WriteFileBytes(marker, "20,020 folders\r\n");
}

// The floor: every folder listed once, subfolders entered, nothing else.
long BareWalk(const std::wstring& path) {
  long folders = 1;
  WIN32_FIND_DATAW entry;
  kolvar::ScopedFind find(::FindFirstFileW((path + L"*.*").c_str(), &entry));
  if (!find)
    return folders;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(entry.cFileName[0] == L'.' &&
          (entry.cFileName[1] == 0 || (entry.cFileName[1] == L'.' && entry.cFileName[2] == 0))))
      folders += BareWalk(path + entry.cFileName + L"\\");
  } while (::FindNextFileW(find.get(), &entry));
  return folders;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / frequency.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring root = kolvar::IncludeTrailingBackslash(argc > 1 ? argv[1] : L"C:\\kolvar-bench");
  int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
  MakeTree(root);

  auto page = kolvar::toolkit::CreateForm<TFindApp>();
  page->Show();
  kolvar::toolkit::Application().ProcessMessages();

  double bare = 1e9, scan = 1e9;
  long folders = 0;
  // The first round warms the caches and is not counted.
  for (int run = 0; run <= runs; ++run) {
    LARGE_INTEGER t0, t1, t2;
    ::QueryPerformanceCounter(&t0);
    folders = BareWalk(root);
    ::QueryPerformanceCounter(&t1);
    bool stopped = page->SearchFolder(root);
    ::QueryPerformanceCounter(&t2);
    if (stopped) {
      std::printf("the scan stopped early: the tree holds a program file\n");
      return 1;
    }
    if (run > 0) {
      bare = std::min(bare, Seconds(t0, t1));
      scan = std::min(scan, Seconds(t1, t2));
    }
  }
  std::printf("folders: %ld\n", folders);
  std::printf("bare FindFirstFile walk: %.3f s\n", bare);
  std::printf("locate page scan:        %.3f s\n", scan);
  std::printf("ratio scan/bare = %.2f   (goal <= 1.5)\n", scan / bare);
  return 0;
}
