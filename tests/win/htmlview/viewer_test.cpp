// The instructions viewer: which document it shows and the read mark, the title, Esc, staying
// usable beside a modal page, links, frames with pictures, and screenshots of the demo
// instructions at 1024 × 768.
#include <gtest/gtest.h>

#include <cstdlib>

#include "bootstrap/edit_info.h"
#include "bootstrap/install_state.h"
#include "bootstrap/main_window.h"
#include "toolkit/buttons.h"
#include "toolkit/title_bar.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::bootstrap {
namespace {

using htmlview::TDocumentView;
using testing::TempFolder;

const wchar_t kVersionFolder[] = L"\\VerInfo\\3200879.02\\";

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A program folder with the instructions (and anything else) as given.
struct ProgramFolder {
  TempFolder folder{L"viewer"};
  std::wstring Doc(const std::wstring& name) const { return folder.path() + kVersionFolder + name; }
  void Write(const std::wstring& name, const std::string& text) const {
    testing::WriteFile(Doc(name), text);
  }
  // Copies the demo instructions here.
  void CopyDemo() const {
    std::wstring from = testing::EnvPath(L"KOLVAR_SOURCE");
    if (from.empty() || from.back() != L'\\')
      from += L'\\';
    from += L"demo" + std::wstring(kVersionFolder);
    testing::WriteFile(Doc(L"placeholder"), "");
    ::DeleteFileW(Doc(L"placeholder").c_str());
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((from + L"*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        ASSERT_TRUE(
            ::CopyFileW((from + data.cFileName).c_str(), Doc(data.cFileName).c_str(), FALSE));
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
};

// The viewer as the background window makes it, for one test.
struct Viewer {
  Viewer() {
    CreateInstructionsViewer();
    form = InstructionsViewer();
  }
  ~Viewer() { DestroyInstructionsViewer(); }
  TEditInfo* form;
};

std::string Page(const std::string& title, const std::string& body) {
  return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

uint32_t Rgb(int r, int g, int b) {
  return static_cast<uint32_t>(r | g << 8 | b << 16);
}
bool Near(uint32_t a, uint32_t b, int tolerance = 24) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
        tolerance)
      return false;
  }
  return true;
}

TEST(Viewer, WhichDocumentAndTheReadMark) {
  Viewer viewer;
  ProgramFolder program;
  State().ProgramDir = program.folder.path() + L"\\";  // with the backslash: the same file
  const std::wstring unread = program.Doc(L"Instruct.htm"), read = program.Doc(L"Instruct.html");

  // None: nothing is shown, automatically or on request.
  ShowInstructions(false);
  EXPECT_FALSE(viewer.form->Visible());
  EXPECT_TRUE(viewer.form->FName.empty());

  // Only the unread one: shown; hiding by the close button keeps its name and it is offered
  // again; closing the window marks it read.
  program.Write(L"Instruct.htm", Page("Unu", "<p>unread"));
  ShowInstructions(true);
  ASSERT_TRUE(viewer.form->Visible());
  EXPECT_EQ(viewer.form->FName, unread);
  testing::ClickControl(*viewer.form->NiceButton3);
  testing::PumpUntil([&] { return !viewer.form->Visible(); });
  EXPECT_FALSE(viewer.form->Visible());
  EXPECT_TRUE(Exists(unread));
  ShowInstructions(true);
  ASSERT_TRUE(viewer.form->Visible());
  ::SendMessageW(viewer.form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(viewer.form->Visible());
  EXPECT_FALSE(Exists(unread));
  EXPECT_TRUE(Exists(read));

  // Only the read one: not shown automatically; shown on request and keeps its name on close.
  ShowInstructions(true);
  EXPECT_FALSE(viewer.form->Visible());
  ShowInstructions(false);
  ASSERT_TRUE(viewer.form->Visible());
  EXPECT_EQ(viewer.form->FName, read);
  ::SendMessageW(viewer.form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(Exists(read));
  EXPECT_FALSE(Exists(read + L"l"));

  // Both: the unread copy is deleted and the read one shown.
  program.Write(L"Instruct.htm", Page("Doi", "<p>again"));
  ShowInstructions(false);
  EXPECT_EQ(viewer.form->FName, read);
  EXPECT_FALSE(Exists(unread));
  viewer.form->Hide();
}

TEST(Viewer, TitleInTheCaptionEscHidesAndTheWindowSitsBesideTheBackground) {
  Viewer viewer;
  ProgramFolder program;
  State().ProgramDir = program.folder.path();
  program.Write(L"Instruct.htm", Page("Instruc&#539;iuni &amp; note", "<p>text"));
  ShowInstructions(false);
  ASSERT_TRUE(viewer.form->Visible());
  EXPECT_EQ(viewer.form->Caption(), L"Instruc\u021Biuni & note");
  EXPECT_EQ(viewer.form->TitleBar1->Caption(), L"Instruc\u021Biuni & note");
  EXPECT_TRUE(::GetWindowLongW(viewer.form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

  // Placed from the background window (the screen while there is none).
  MainWindowPlace place;
  if (!GetMainWindowPlace(place)) {
    place.Width = ::GetSystemMetrics(SM_CXSCREEN);
    place.Height = ::GetSystemMetrics(SM_CYSCREEN);
    place.PanouHeight = 499;
    place.PanouTop = (place.Height - 499) / 2 - 15;
  }
  RECT r;
  ::GetWindowRect(viewer.form->Handle(), &r);
  EXPECT_EQ(r.right - r.left, place.Width - 200);
  EXPECT_EQ(r.left, place.Left + 100);
  EXPECT_EQ(r.top, place.Top + 30);
  EXPECT_EQ(r.bottom - r.top, place.PanouTop + place.PanouHeight + 30);
  // The close button at the right end of the strip.
  RECT button;
  ::GetWindowRect(viewer.form->NiceButton3->Handle(), &button);
  EXPECT_EQ(button.right - button.left, 31);
  EXPECT_EQ(button.bottom - button.top, 29);

  HWND window = viewer.form->Handle();
  testing::UserScript user([&] { testing::PressKey(VK_ESCAPE); });
  testing::PumpUntil([&] { return !::IsWindowVisible(window); });
  EXPECT_FALSE(viewer.form->Visible());
  EXPECT_TRUE(Exists(program.Doc(L"Instruct.htm")));  // hidden, not closed
}

// A page as the wizard shows them, modal in front of everything.
class TWaitingPage : public toolkit::TTitleForm {
 public:
  TWaitingPage() : TTitleForm(L"TWaitingPage") {
    SetBorderStyle(toolkit::TBorderStyle::bsNone);
    SetBounds(600, 500, 300, 150);
    BNext->SetBounds(10, 60, 90, 40);
    BNext->SetModalResult(toolkit::mrOk);
  }
  toolkit::TMButton* BNext = new toolkit::TMButton(this, L"BNext");
};

TEST(Viewer, StaysUsableWhileAModalPageWaits) {
  Viewer viewer;
  ProgramFolder program;
  State().ProgramDir = program.folder.path();
  std::string body;
  for (int i = 0; i < 200; ++i)
    body += "<p>Paragraful " + std::to_string(i) + " al instruc&#539;iunilor.";
  program.Write(L"Instruct.htm", Page("Lung", body));
  ShowInstructions(false);
  ASSERT_TRUE(viewer.form->Visible());
  TDocumentView* view = viewer.form->FrameViewer->Views().at(0);
  ASSERT_EQ(view->ScrollY(), 0);

  auto page = toolkit::CreateForm<TWaitingPage>();
  HWND pageWindow = page->Handle();
  bool enabled = false;
  int scrolled = 0;
  testing::UserScript user([&] {
    ASSERT_TRUE(testing::WaitForWindow(pageWindow));
    testing::WaitUntil([&] { return ::IsWindowEnabled(viewer.form->Handle()) != FALSE; }, 3000);
    enabled = ::IsWindowEnabled(viewer.form->Handle()) != FALSE;
    RECT r;
    ::GetWindowRect(view->Handle(), &r);
    testing::MoveMouseTo(POINT{r.left + 100, r.top + 100});
    testing::Wheel(-3, 0);
    testing::WaitUntil([&] { return view->ScrollY() > 0; }, 3000);
    scrolled = view->ScrollY();
    testing::ClickControl(*page->BNext);
  });
  EXPECT_EQ(toolkit::mrOk, page->ShowModal());
  EXPECT_TRUE(enabled);
  EXPECT_GT(scrolled, 0);
  viewer.form->Hide();
}

TEST(Viewer, FollowsALinkToASecondDocumentAndBack) {
  Viewer viewer;
  ProgramFolder program;
  State().ProgramDir = program.folder.path();
  program.Write(L"Instruct.htm",
                Page("Primul", "<p><a href=\"doi%20b.htm\">Mergi mai departe</a><p>text"));
  program.Write(L"doi b.htm", Page("Al doilea", "<p><a href=Instruct.htm#sus>Inapoi</a>"));
  ShowInstructions(false);
  auto linkCentre = [&]() {
    TDocumentView* view = viewer.form->FrameViewer->Views().at(0);
    const htmlview::Rect& r = view->Layout().items.linkAreas.at(0).r;
    return view->ClientToScreen(r.x + r.w / 2, r.y + r.h / 2);
  };
  testing::UserScript first([&] { testing::ClickAt(linkCentre()); });
  testing::PumpUntil([&] { return viewer.form->Caption() == L"Al doilea"; });
  EXPECT_EQ(viewer.form->Caption(), L"Al doilea");
  EXPECT_EQ(viewer.form->FrameViewer->CurrentFile(), program.Doc(L"doi b.htm"));
  testing::UserScript back([&] { testing::ClickAt(linkCentre()); });
  testing::PumpUntil([&] { return viewer.form->Caption() == L"Primul"; });
  EXPECT_EQ(viewer.form->Caption(), L"Primul");
  viewer.form->Hide();
}

TEST(Viewer, OnlyWebAndMailLinksLeaveAndTheirProgramIsNotHiddenBehindTheViewer) {
  Viewer viewer;
  ProgramFolder program;
  State().ProgramDir = program.folder.path();
  program.Write(L"Instruct.htm", Page("Legaturi",
                                      "<p><a href=\"javascript:alert(1)\">unu</a>"
                                      "<p><a href=\"ftp://kolvar.ro/\">doi</a>"
                                      "<p><a href=\" https://www.kolvar.ro/noutati \">trei</a>"));
  std::vector<std::wstring> opened;
  viewer.form->OpenLink = [&](const std::wstring& link) {
    opened.push_back(link);
    return true;
  };
  ShowInstructions(false);
  HWND window = viewer.form->Handle();
  auto topmost = [&] { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  auto click = [&](size_t link) {
    TDocumentView* view = viewer.form->FrameViewer->Views().at(0);
    const htmlview::Rect& r = view->Layout().items.linkAreas.at(link).r;
    POINT at = view->ClientToScreen(r.x + r.w / 2, r.y + r.h / 2);
    testing::UserScript user([&] { testing::ClickAt(at); });
    testing::PumpFor(400);
  };
  // A script and another scheme: not handed on; the viewer keeps its place on top.
  click(0);
  click(1);
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(topmost());
  EXPECT_EQ(viewer.form->Caption(), L"Legaturi");
  // A web address goes to the default program, and the viewer steps out of the always-on-top
  // band so that the browser can come in front; shown again, it is back on top.
  click(2);
  testing::PumpUntil([&] { return !opened.empty(); });
  EXPECT_EQ(opened, std::vector<std::wstring>{L"https://www.kolvar.ro/noutati"});
  EXPECT_FALSE(topmost());
  ShowInstructions(false);
  EXPECT_TRUE(topmost());
  viewer.form->Hide();
}

TEST(Viewer, FramesWithPicturesAndTheDemoInstructions) {
  Viewer viewer;
  ProgramFolder program;
  program.CopyDemo();
  State().ProgramDir = program.folder.path();
  ShowInstructions(false);
  ASSERT_TRUE(viewer.form->Visible());
  EXPECT_EQ(viewer.form->Caption(), L"Instruc\u0163iuni KOLVAR versiunea 3200879.02");
  const auto& views = viewer.form->FrameViewer->Views();
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[0]->Name(), L"cuprins");
  EXPECT_EQ(views[1]->Name(), L"principal");
  EXPECT_EQ(views[0]->Width(), 200);
  testing::PumpFor(300);
  testing::SaveArtifact(testing::CaptureScreen(RECT{0, 0, 1024, 768}),
                        L"viewer-instructions-frames.png");

  // The contents frame: its colour and its GIF logo.
  TDocumentView* contents = views[0];
  RECT cr;
  ::GetWindowRect(contents->Handle(), &cr);
  testing::Shot left = testing::CaptureWindow(contents->Handle());
  EXPECT_TRUE(Near(left.At(4, cr.bottom - cr.top - 30), Rgb(0xE8, 0xEE, 0xF6), 4));
  const htmlview::Picture& logo = contents->Layout().items.pictures.at(0);
  EXPECT_TRUE(Near(left.At(logo.r.x + 3, logo.r.y + 1), Rgb(0x08, 0x4A, 0x8C)));

  // The main frame: the pictures in four formats after scrolling to them.
  TDocumentView* main = views[1];
  ASSERT_TRUE(main->ScrollToAnchor(L"poze"));
  testing::PumpFor(200);
  testing::SaveArtifact(testing::CaptureScreen(RECT{0, 0, 1024, 768}),
                        L"viewer-instructions-pictures.png");
  testing::Shot shot = testing::CaptureWindow(main->Handle());
  const auto& pictures = main->Layout().items.pictures;
  auto pixel = [&](const std::wstring& src, int x, int y) {
    for (const htmlview::Picture& p : pictures) {
      if (p.src == src && p.r.y > main->ScrollY())
        return shot.At(p.r.x + x - main->ScrollX(), p.r.y + y - main->ScrollY());
    }
    ADD_FAILURE() << "no picture " << testing::Narrow(src);
    return 0u;
  };
  EXPECT_TRUE(Near(pixel(L"ecran.png", 20, 75), Rgb(0x2E, 0x7D, 0x32)));   // PNG green bar
  EXPECT_TRUE(Near(pixel(L"schema.bmp", 50, 12), Rgb(0xFF, 0xEB, 0x3B)));  // BMP yellow face
  EXPECT_TRUE(Near(pixel(L"logo.gif", 2, 1), Rgb(0x08, 0x4A, 0x8C)));      // GIF gradient top
  uint32_t jpeg = pixel(L"foto.jpg", 70, 45);
  EXPECT_FALSE(Near(jpeg, Rgb(0xFF, 0xFF, 0xFF), 8));  // JPEG: something drawn, not the page
  // The missing picture shows its alternative text in a frame.
  EXPECT_TRUE(Near(pixel(L"lipsa.gif", 0, 30), Rgb(0x80, 0x80, 0x80), 8));

  // A link in the contents frame loads its document into the main frame.
  const htmlview::LayoutResult& cl = contents->Layout();
  int details = -1;
  for (size_t i = 0; i < cl.links.size(); ++i) {
    if (cl.links[i].href == L"detalii.htm")
      details = static_cast<int>(i);
  }
  ASSERT_GE(details, 0);
  for (const htmlview::LinkArea& a : cl.items.linkAreas) {
    if (a.link == details) {
      POINT at = contents->ClientToScreen(a.r.x + 5, a.r.y + a.r.h / 2);
      testing::UserScript user([&] { testing::ClickAt(at); });
      testing::PumpUntil([&] { return main->Path() == program.Doc(L"detalii.htm"); });
      break;
    }
  }
  EXPECT_EQ(main->Path(), program.Doc(L"detalii.htm"));
  EXPECT_EQ(views.size(), 2u);  // the frames stay
  viewer.form->Hide();
}

TEST(Viewer, TheDemoMainDocumentAtFullSize) {
  Viewer viewer;
  ProgramFolder program;
  program.CopyDemo();
  viewer.form->SetBounds(0, 0, 1024, 768);
  viewer.form->FName = program.Doc(L"noutati.htm");
  viewer.form->Show();
  testing::PumpFor(300);
  EXPECT_EQ(viewer.form->Caption(), L"Nout\u0103\u0163i \u00EEn versiunea 3200879.02");
  TDocumentView* view = viewer.form->FrameViewer->Views().at(0);
  testing::SaveArtifact(testing::CaptureScreen(RECT{0, 0, 1024, 768}), L"viewer-document-top.png");
  // Keys scroll the document whichever control has the focus.
  viewer.form->NiceButton3->SetFocus();
  int before = view->ScrollY();
  testing::UserScript user([&] { testing::PressKey(VK_NEXT); });
  testing::PumpUntil([&] { return view->ScrollY() > before; });
  EXPECT_GT(view->ScrollY(), before);
  testing::PumpFor(150);
  testing::SaveArtifact(testing::CaptureScreen(RECT{0, 0, 1024, 768}),
                        L"viewer-document-second-page.png");
  viewer.form->Hide();
}

}  // namespace
}  // namespace kolvar::bootstrap
