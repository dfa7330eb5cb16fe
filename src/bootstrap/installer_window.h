// The background window of the temporary-folder run: the product's logo, name and version over
// the whole screen, behind the wizard's pages.
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/form.h"
#include "toolkit/std_controls.h"

namespace kolvar::bootstrap {

inline constexpr wchar_t kLogoFontResource[] = L"HELVETICAR";
inline constexpr wchar_t kLogoFontFamily[] = L"Helvetica Black_r";
// Red 8, green 74, blue 140.
inline constexpr toolkit::TColor kInstallerColor = 0x8C4A08;

// Registers the TrueType font held in the program's raw-data resource `name` for this process
// only (in memory, never installed for other programs). True when a font is registered, also by
// an earlier call; false when the resource is missing or the system refuses it. The font is
// released at program exit.
bool LoadFontResource(const wchar_t* name);

// The pictures of the background window, drawn in code; the top-left pixel's colour is left
// out when they are drawn transparent.
toolkit::TPicture BridgesPicture();   // 446 × 218
toolkit::TPicture SoftwarePicture();  // 197 × 70
toolkit::TPicture CapPicture();       // 65 × 45

class TInstaller : public toolkit::TMForm {
 public:
  TInstaller();
  ~TInstaller() override;

  toolkit::TPanel* Panou = new toolkit::TPanel(this, L"Panou");
  toolkit::TImage* pasarele = new toolkit::TImage(Panou, L"pasarele");
  toolkit::TImage* software = new toolkit::TImage(Panou, L"software");
  toolkit::TLabel* lProKOLVAR = new toolkit::TLabel(Panou, L"lProKOLVAR");
  toolkit::TImage* caciula_i = new toolkit::TImage(Panou, L"caciula_i");
  toolkit::TLabel* VerLbl = new toolkit::TLabel(this, L"VerLbl");
  toolkit::TLabel* Label1 = new toolkit::TLabel(this, L"Label1");

  // Whether the logo label shows the embedded typeface.
  bool HasLogoFont() const { return fontuKolvar != nullptr; }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void FormCreate() override;
  void FormShow() override;
  void BoundsChanged() override;
  void FormResize();
  void caciula_iClick(toolkit::TControl* sender);

 private:
  std::unique_ptr<toolkit::TFont> fontuKolvar;
};

}  // namespace kolvar::bootstrap
