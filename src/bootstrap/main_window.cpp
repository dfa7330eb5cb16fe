#include "bootstrap/main_window.h"

#include <windows.h>

#include <cstdlib>

#include "bootstrap/install_state.h"
#include "bootstrap/installer_window.h"
#include "bootstrap/wizard_rules.h"

namespace kolvar::bootstrap {

namespace {

using namespace toolkit;

// The one background window while it exists.
TInstaller* g_installer = nullptr;

HANDLE g_logoFont = nullptr;

void ReleaseLogoFont() {
  if (g_logoFont)
    ::RemoveFontMemResourceEx(g_logoFont);
  g_logoFont = nullptr;
}

// Distance of the version label from the bottom edge of the client area.
constexpr int kVersionBottomMargin = 16;

}  // namespace

bool LoadFontResource(const wchar_t* name) {
  if (g_logoFont)
    return true;
  HRSRC resource = ::FindResourceW(nullptr, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
  HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
  void* data = loaded ? ::LockResource(loaded) : nullptr;
  DWORD size = resource ? ::SizeofResource(nullptr, resource) : 0;
  if (!data || size == 0)
    return false;
  DWORD fonts = 0;
  g_logoFont = ::AddFontMemResourceEx(data, size, nullptr, &fonts);
  if (!g_logoFont)
    return false;
  static bool registered = false;
  if (!registered)
    registered = std::atexit(ReleaseLogoFont) == 0;
  return true;
}

TInstaller::TInstaller() : TMForm(L"Installer") {
  SetBorderStyle(TBorderStyle::bsNone);
  BorderIcons = 0;
  SetBorderWidth(5);
  SetColor(kInstallerColor);
  SetCaption(L"KOLVAR");
  SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));

  Panou->SetBounds(0, 0, kPanouWidth, kPanouHeight);
  Panou->SetBevelOuter(TBevelCut::bvNone);
  Panou->SetParentColor(true);
  Panou->SetCaption(L"");

  pasarele->SetBounds(226, -3, 446, 218);
  pasarele->Transparent = true;
  software->SetBounds(226, 319, 197, 70);
  software->Transparent = true;
  caciula_i->SetBounds(123, 201, 65, 45);
  caciula_i->Transparent = true;
  caciula_i->OnClick = Bind(this, &TInstaller::caciula_iClick);

  lProKOLVAR->SetAutoSize(false);
  lProKOLVAR->SetTransparent(true);
  lProKOLVAR->SetBounds(15, 203, 638, 120);
  lProKOLVAR->SetCaption(L"ProKOLVAR");
  TFont logo = lProKOLVAR->Font();
  logo.Name = kLogoFontFamily;
  logo.Height = -104;
  logo.Style = fsBold;
  logo.Color = clWhite;
  lProKOLVAR->SetFont(logo);

  TFont small;
  small.Name = L"MS Sans Serif";
  small.Height = -13;
  small.Color = clWhite;
  Label1->SetFont(small);
  Label1->SetTransparent(true);
  Label1->SetAutoSize(false);
  Label1->SetAlignment(TAlignment::taRightJustify);
  Label1->SetHeight(20);
  Label1->SetAlign(TAlign::alBottom);
  Label1->SetCaption(L"Alt+M: fereastra de fundal    Alt+H: instructiunile versiunii   ");
  small.Charset = EASTEUROPE_CHARSET;
  VerLbl->SetFont(small);
  VerLbl->SetTransparent(true);
  VerLbl->SetLeft(16);
  g_installer = this;
}

TInstaller::~TInstaller() {
  // FormDestroy: the logo font and the instructions viewer go with the window.
  fontuKolvar.reset();
  DestroyInstructionsViewer();
  if (g_installer == this)
    g_installer = nullptr;
}

void TInstaller::FormCreate() {
  // Maximised over the primary screen, whatever scaling the design went through.
  SetBounds(0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  pasarele->SetPicture(BridgesPicture());
  software->SetPicture(SoftwarePicture());
  caciula_i->SetPicture(CapPicture());
  if (LoadFontResource(kLogoFontResource)) {
    fontuKolvar = std::make_unique<TFont>();
    fontuKolvar->Name = kLogoFontFamily;
    fontuKolvar->Style = 0;
    fontuKolvar->Color = clWhite;
    fontuKolvar->SetSize(78);
    lProKOLVAR->SetFont(*fontuKolvar);
  }
  CreateInstructionsViewer();
  FormResize();
}

void TInstaller::FormShow() {
  VerLbl->SetCaption(VersionCaption(ProductVersion));
  FormResize();
}

void TInstaller::BoundsChanged() {
  TMForm::BoundsChanged();
  FormResize();
}

void TInstaller::FormResize() {
  TRect client = ClientRect();
  Place panou = PanouPlace(client.Width, client.Height, Panou->Width(), Panou->Height());
  Panou->SetBounds(panou.Left, panou.Top, Panou->Width(), Panou->Height());
  VerLbl->SetTop(client.Height - kVersionBottomMargin - VerLbl->Height());
}

LRESULT TInstaller::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_NCPAINT)
    return TMForm::WndProc(msg, wParam, lParam);
  // The border around the client area is the window's own colour.
  RECT window;
  ::GetWindowRect(Handle(), &window);
  ::OffsetRect(&window, -window.left, -window.top);
  HDC dc = ::GetWindowDC(Handle());
  for (int i = 0; i < BorderWidth(); ++i) {
    FrameSolid(dc, window, ResolveColor(Color()));
    ::InflateRect(&window, -1, -1);
  }
  ::ReleaseDC(Handle(), dc);
  return 0;
}

void TInstaller::caciula_iClick(TControl*) {
  ShowInstructions(false);
}

void ToggleMainWindow() {
  if (!g_installer)
    return;
  g_installer->SetVisible(!g_installer->Visible());
}

bool GetMainWindowPlace(MainWindowPlace& place) {
  if (!g_installer)
    return false;
  place.Left = g_installer->Left();
  place.Top = g_installer->Top();
  place.Width = g_installer->Width();
  place.Height = g_installer->Height();
  place.PanouTop = g_installer->Panou->Top();
  place.PanouHeight = g_installer->Panou->Height();
  return true;
}

}  // namespace kolvar::bootstrap
