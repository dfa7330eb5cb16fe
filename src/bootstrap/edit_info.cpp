#include "bootstrap/edit_info.h"

#include <memory>

#include "bootstrap/install_state.h"
#include "bootstrap/instructions_path.h"
#include "bootstrap/main_window.h"
#include "htmlview/pure/links.h"

namespace kolvar::bootstrap {

using namespace kolvar::toolkit;

namespace {

// Posted to itself when the system disabled the viewer for a modal window.
constexpr UINT kEnableAgainMessage = WM_APP + 0x41;
// The background window's colour (red 8, green 74, blue 140).
constexpr TColor kBackgroundColor = 0x8C4A08;
constexpr int kPanelHeight = 29;

std::unique_ptr<TEditInfo>& Viewer() {
  static std::unique_ptr<TEditInfo> viewer;
  return viewer;
}

bool FileExists(const std::wstring& path) {
  DWORD a = ::GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The screen stands in for the background window while there is none (the viewer shown by
// itself): the logo panel is then centred on it as the background window would centre it.
MainWindowPlace PlaceOrScreen() {
  MainWindowPlace place;
  if (GetMainWindowPlace(place))
    return place;
  place.Width = ::GetSystemMetrics(SM_CXSCREEN);
  place.Height = ::GetSystemMetrics(SM_CYSCREEN);
  place.PanouHeight = 499;
  place.PanouTop = (place.Height - place.PanouHeight) / 2 - 15;
  return place;
}

}  // namespace

TEditInfo::TEditInfo() : TTitleForm(L"TEditInfo") {
  SetBorderStyle(TBorderStyle::bsNone);
  BorderIcons = 0;
  KeyPreview = true;
  SetClientSize(824, 560);
  Panel1->SetAlign(TAlign::alTop);
  Panel1->SetHeight(kPanelHeight);
  Panel1->SetBevelOuter(TBevelCut::bvNone);
  Panel1->SetColor(kBackgroundColor);
  NiceButton3->SetKind(mkClose);
  NiceButton3->CaptionVisible = false;
  NiceButton3->Cancel = true;
  NiceButton3->SetModalResult(mrNone);
  NiceButton3->SetColor(kBackgroundColor);
  NiceButton3->OnClick = Bind(this, &TEditInfo::NiceButton3Click);
  TitleBar1->SetAlign(TAlign::alTop);
  TitleBar1->SetStartColor(0x78695C);
  TitleBar1->SetEndColor(0x78695C);
  TitleBar1->SetCaptionColor(clWhite);
  // Document titles are Romanian: the Central European letters of the title font.
  TitleBar1->Font().Charset = EASTEUROPE_CHARSET;
  TitleBar1->FontChanged();
  FrameViewer->SetAlign(TAlign::alClient);
  FrameViewer->OnFormSubmit = Bind(this, &TEditInfo::FrameViewerFormSubmit);
  FrameViewer->OnDocumentChange = Bind(this, &TEditInfo::FrameViewerDocumentChange);
  FrameViewer->OnExternalLink = [this](const std::wstring& href) { FrameViewerExternalLink(href); };
  PlaceCloseButton();
}

void TEditInfo::WindowStyles(DWORD& style, DWORD& exStyle) const {
  TTitleForm::WindowStyles(style, exStyle);
  exStyle |= WS_EX_TOPMOST;
}

void TEditInfo::BoundsChanged() {
  TTitleForm::BoundsChanged();
  PlaceCloseButton();
}

void TEditInfo::PlaceCloseButton() {
  // At the right end of the strip, whatever the window's width.
  NiceButton3->SetBounds(Panel1->Width() - 31, 0, 31, kPanelHeight);
}

bool TEditInfo::FilePrepared(const std::wstring& xPath, bool aIsAuto) {
  IsAuto = aIsAuto;
  const std::wstring unread = InstructionsFile(xPath, ProductVersion);
  const std::wstring read = ReadMarkName(unread);
  bool hasUnread = FileExists(unread);
  bool hasRead = FileExists(read);
  if (hasUnread && hasRead) {
    // Already read once: the unread copy left beside it is stale.
    ::DeleteFileW(unread.c_str());
    hasUnread = false;
  }
  std::wstring candidate;
  if (hasUnread)
    candidate = unread;
  else if (!aIsAuto && hasRead)
    candidate = read;
  FName = candidate;
  return !FName.empty();
}

void TEditInfo::FormShow() {
  if (FName.empty())
    return;
  FrameViewer->LoadFromFile(FName);
  SetCaption(FrameViewer->DocumentTitle());
  if (!FrameViewer->Views().empty())
    FrameViewer->Views().front()->SetFocus();
}

void TEditInfo::FrameViewerDocumentChange(TControl*) {
  SetCaption(FrameViewer->DocumentTitle());
}

void TEditInfo::FrameViewerExternalLink(const std::wstring& href) {
  std::wstring link = htmlview::OpenableLink(href);
  if (link.empty() || !OpenLink || !OpenLink(link))
    return;
  // The browser or mail program must not open behind the instructions: they leave the
  // always-on-top band until the user comes back to them.
  ::SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TEditInfo::BackOnTop() {
  if (HandleAllocated() && !(::GetWindowLongPtrW(handle_, GWL_EXSTYLE) & WS_EX_TOPMOST))
    ::SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TEditInfo::NiceButton3Click(TControl*) {
  Hide();
}

void TEditInfo::FormClose(TCloseAction& action) {
  if (FName.empty())
    return;
  std::wstring marked = ReadMarkName(FName);
  if (marked == FName)
    return;
  // The document is no longer needed open: the view holds it in memory.
  if (::MoveFileExW(FName.c_str(), marked.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
    FName = marked;
}

void TEditInfo::FrameViewerFormSubmit(TControl*) {}

void TEditInfo::FormKeyDown(WORD& key, TShiftState shift) {
  if (key == VK_ESCAPE || (shift & (ssAlt | ssCtrl)))
    return;
  // The navigation keys scroll the document whichever part of the window has the focus.
  if (htmlview::TDocumentView* view = FrameViewer->ActiveView()) {
    if (view->ScrollKey(key, shift))
      key = 0;
  }
}

void TEditInfo::EnabledByModal(bool enabled) {
  TTitleForm::EnabledByModal(enabled);
  if (!enabled && HandleAllocated())
    ::PostMessageW(Handle(), kEnableAgainMessage, 0, 0);
}

LRESULT TEditInfo::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE)
        BackOnTop();
      return TTitleForm::WndProc(msg, wParam, lParam);
    case kEnableAgainMessage:
      if (HandleAllocated() && !::IsWindowEnabled(handle_))
        ::EnableWindow(handle_, TRUE);
      return 0;
    case WM_MOUSEWHEEL: {
      TShiftState shift = KeyboardShift();
      if ((shift & ssCtrl) && (shift & ssAlt))
        return TTitleForm::WndProc(msg, wParam, lParam);
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      if (!FrameViewer->WheelAt(at, delta)) {
        if (htmlview::TDocumentView* view = FrameViewer->ActiveView())
          view->Wheel(delta);
      }
      return 0;
    }
    default:
      return TTitleForm::WndProc(msg, wParam, lParam);
  }
}

TEditInfo* InstructionsViewer() {
  return Viewer().get();
}

void CreateInstructionsViewer() {
  if (!Viewer())
    Viewer() = CreateForm<TEditInfo>();
}

void DestroyInstructionsViewer() {
  Viewer().reset();
}

void ShowInstructions(bool aIsAuto) {
  TEditInfo* viewer = Viewer().get();
  if (!viewer || !viewer->FilePrepared(State().ProgramDir, aIsAuto))
    return;
  MainWindowPlace place = PlaceOrScreen();
  int width = place.Width - 200;
  int left = place.Left + (place.Width - width) / 2;
  int top = place.Top + 30;
  int height = place.PanouTop + place.PanouHeight + 30;
  viewer->SetBounds(left, top, width, height);
  viewer->BackOnTop();
  if (viewer->Visible()) {
    viewer->BringToFront();
    return;
  }
  viewer->Show();
  viewer->BringToFront();
}

}  // namespace kolvar::bootstrap
