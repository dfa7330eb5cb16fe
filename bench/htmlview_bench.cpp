// The document view's speed on a large document: a 1 MB page of mixed markup (tables, lists,
// 200 picture references) is loaded, laid out and painted in a 1024 × 768 window; then one
// full page is scrolled and repainted. Prints the median of 5 runs of each and the memory the
// view holds. Goals: first screen under 300 ms, memory under 30 MB.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "htmlview/frame_viewer.h"
#include "toolkit/form.h"

using namespace kolvar;

namespace {

std::string MakeDocument(size_t bytes) {
  std::string doc =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">"
      "<title>Bench</title></head><body>";
  const char* words[] = {"contabilitate", "gestiune", "salarii", "balan\xFE\x61", "jurnal",
                         "declara\xFEie", "furnizor", "client",  "stoc",          "factur\xE3",
                         "\xEEncasare",   "plat\xE3", "cont",    "analitic",      "sintetic"};
  int n = 0, pictures = 0;
  while (doc.size() < bytes) {
    ++n;
    doc += "<h2>Capitolul " + std::to_string(n) + "</h2><p>";
    for (int i = 0; i < 60; ++i) {
      doc += words[(i * 7 + n) % 15];
      doc += (i % 9 == 0) ? " <b>" : (i % 9 == 4 ? "</b> " : " ");
    }
    doc += "</p><ul>";
    for (int i = 0; i < 5; ++i)
      doc += "<li>Element " + std::to_string(i) + " cu <i>text</i> &icirc;n list&abreve;";
    doc += "</ul><table border=1 cellpadding=3 width=\"90%\">";
    for (int r = 0; r < 4; ++r) {
      doc += "<tr>";
      for (int c = 0; c < 4; ++c)
        doc +=
            "<td>" + std::string(words[(r + c + n) % 15]) + " " + std::to_string(r * c) + "</td>";
      doc += "</tr>";
    }
    doc += "</table>";
    if (pictures < 200) {
      doc += "<p><img src=\"pic" + std::to_string(pictures % 4) +
             ".gif\" width=32 height=32 alt=\"poza\">";
      ++pictures;
    }
  }
  return doc + "</body></html>";
}

double Now() {
  LARGE_INTEGER f, t;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Memory the process has committed (private bytes).
size_t CommittedBytes() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));
  return pmc.PagefileUsage;
}

// Time this thread spent running, in milliseconds (a loaded machine stretches wall time).
double ThreadCpu() {
  FILETIME created, exited, kernel, user;
  ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
  auto ms = [](const FILETIME& f) {
    return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                               f.dwLowDateTime) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + L"kolvar-bench.htm";
  std::string doc = MakeDocument(1 << 20);
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, doc.data(), static_cast<DWORD>(doc.size()), &written, nullptr);
  ::CloseHandle(file);

  auto form = toolkit::CreateForm<toolkit::TMForm>();
  form->SetBorderStyle(toolkit::TBorderStyle::bsNone);
  form->SetBounds(0, 0, 1024, 768);
  auto* viewer = new htmlview::TFrameViewer(form.get(), L"FrameViewer");
  viewer->SetAlign(toolkit::TAlign::alClient);
  form->Show();
  Pump();

  size_t before = CommittedBytes();
  std::vector<double> load, loadCpu, scroll;
  size_t held = 0;
  for (int run = 0; run < 5; ++run) {
    double t0 = Now(), c0 = ThreadCpu();
    viewer->LoadFromFile(path);
    for (auto* v : viewer->Views())
      v->Handle();
    ::RedrawWindow(form->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    load.push_back(Now() - t0);
    loadCpu.push_back(ThreadCpu() - c0);
    held = std::max(held, CommittedBytes() - std::min(before, CommittedBytes()));
    htmlview::TDocumentView* view = viewer->Views().at(0);
    view->ScrollTo(0, 20000 + run * 3000);
    double t1 = Now();
    view->ScrollKey(VK_NEXT, 0);
    ::UpdateWindow(view->Handle());
    ::GdiFlush();
    scroll.push_back(Now() - t1);
    Pump();
  }
  std::printf("document: %zu bytes, %d pictures referenced\n", doc.size(), 200);
  std::printf(
      "load, layout and first screen: median %.1f ms wall, %.1f ms of processor time "
      "(goal < 300 ms)\n",
      Median(load), Median(loadCpu));
  std::printf("one full-page scroll and repaint: median %.2f ms\n", Median(scroll));
  std::printf("memory held by the view: %.1f MB (goal < 30 MB)\n", held / 1048576.0);
  ::DeleteFileW(path.c_str());
  return 0;
}
