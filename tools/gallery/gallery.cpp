// GALLERY.EXE: every toolkit control in each of its states, page by page.
//   GALLERY.EXE                  the pages, with buttons to move between them
//   GALLERY.EXE /shots <folder> [<name>]  saves <name>-<n>-<page>.png for every page there
//                                         ("gallery" unless named) and ends
#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>

#include "gallery_form.h"
#include "shots.h"
#include "toolkit/application.h"
#include "toolkit/mesaj.h"

using namespace kolvar::toolkit;
using kolvar::gallery::TGallery;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  InitializeToolkit();
  auto gallery = CreateForm<TGallery>();
  Application().SetMainForm(gallery.get());
  int argc = 0;
  LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argc >= 3 && std::wstring(argv[1]) == L"/shots") {
    std::wstring folder = argv[2];
    std::wstring prefix = argc >= 4 ? argv[3] : L"gallery";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    gallery->Show();
    int failures = 0;
    auto settle = [] {
      for (int n = 0; n < 10; ++n) {
        Application().ProcessMessages();
        ::Sleep(20);
      }
    };
    for (int i = 0; i < gallery->PageCount(); ++i) {
      gallery->ShowPage(i);
      ::RedrawWindow(gallery->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      settle();
      kolvar::shots::Shot shot = kolvar::shots::CaptureWindow(gallery->Handle(), settle);
      std::wstring path = folder + L"\\" + prefix + L"-" + std::to_wstring(i + 1) + L"-" +
                          gallery->PageName(i) + L".png";
      if (!kolvar::shots::SavePng(shot, path))
        ++failures;
    }
    ::LocalFree(argv);
    return failures;
  }
  ::LocalFree(argv);
  gallery->Show();
  while (!Application().Terminated())
    Application().HandleMessage();
  return 0;
}
