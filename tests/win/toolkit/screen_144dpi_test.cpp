// On a screen of 144 dots per inch every window, its parts, their fonts and their pictures grow
// by half, and nothing is cut: forms, message dialogs and every page of the gallery, looked over
// part by part and pictured under build/artifacts.
#include <gtest/gtest.h>

#include <algorithm>

#include "gallery_form.h"
#include "layout_audit.h"
#include "toolkit/actives.h"
#include "toolkit/application.h"
#include "toolkit/buttons.h"
#include "toolkit/msg_dialog.h"
#include "toolkit/pure/pictures.h"
#include "toolkit/title_bar.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::toolkit {
namespace {

constexpr TColor kGreen = 0x00FF00;  // in no picture: what differs from it was painted

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines)
    all += line + "\n";
  return all;
}

// A dialog as the pages build theirs: every kind of part, placed at 96 dots per inch.
class TSample : public TTitleForm {
 public:
  TSample() : TTitleForm(L"TSample") {
    SetBorderStyle(TBorderStyle::bsDialog);
    BorderIcons = biSystemMenu;
    SetColor(kGreen);
    SetBounds(40, 40, 300, 200);
    SetClientSize(520, 260);
    Constraints.MinWidth = 400;
    Constraints.MaxWidth = 800;
    TitleBar1->SetAlign(TAlign::alTop);
    TitleBar1->SetHeight(25);
    TitleBar1->SetIconStyle(TIconStyle::isSearch);
    SetCaption(L"Proba la 144 de puncte pe inch");
    Icon->SetBounds(16, 40, 10, 10);
    Icon->SetKindMare(mtError);
    BOK->SetBounds(16, 200, 100, 28);
    BOK->SetKind(mkOK);
    BNext->SetBounds(140, 180, 67, 51);
    BNext->SetKind(mknNext);
    BNext->SetCaption(L"&Continua");
    BNext->CaptionVisible = true;
    Check->SetBounds(250, 40, 160, 17);
    Check->SetColor(kGreen);
    Check->SetCaption(L"&Bifat");
    Check->SetChecked(true);
    LProgram->SetBounds(250, 70, 80, 16);
    LProgram->SetCaption(L"&Program:");
    EProgram->SetBounds(330, 67, 170, 21);
    EProgram->SetText(L"C:\\KOLVAR\\");
    EProgram->SetAssocLabel(LProgram);
    Memo->SetBounds(250, 100, 250, 60);
    Memo->SetLines({L"Primul rand", L"al doilea rand", L"al treilea rand"});
    Panel->SetBounds(250, 180, 250, 30);
    Panel->SetCaption(L"Un panou cu titlu");
    Group->SetBounds(16, 100, 120, 66);
    Group->SetColor(kGreen);
    Group->SetItems({L"&LOCAL", L"&SERVER", L"&CLIENT"});
    Group->SetItemIndex(0);
  }
  TTitleBar* TitleBar1 = new TTitleBar(this, L"TitleBar1");
  TTransImage* Icon = new TTransImage(this, L"Icon");
  TNiceButton* BOK = new TNiceButton(this, L"BOK");
  TMButton* BNext = new TMButton(this, L"BNext");
  TActiveCheckBox* Check = new TActiveCheckBox(this, L"Check");
  TActiveLabel* LProgram = new TActiveLabel(this, L"LProgram");
  TActiveEdit* EProgram = new TActiveEdit(this, L"EProgram");
  TMemo* Memo = new TMemo(this, L"Memo");
  TPanel* Panel = new TPanel(this, L"Panel");
  TMRadioGroup* Group = new TMRadioGroup(this, L"Group");
};

// Pixels of `shot` in `r` (shot coordinates) that differ from `background`.
int PaintedIn(const testing::Shot& shot, const RECT& r, TColor background) {
  int painted = 0;
  for (int y = std::max(0L, r.top); y < std::min<long>(shot.height, r.bottom); ++y) {
    for (int x = std::max(0L, r.left); x < std::min<long>(shot.width, r.right); ++x)
      painted += shot.At(x, y) != background;
  }
  return painted;
}

// Pixels of cell `cell` (of `cells`) of the holder's picture `name` drawn at 144 that show.
int OpaqueIn(const char* name, int cells, int cell) {
  Raster r = DrawPicture(name, 144);
  int w = r.Width() / cells, opaque = 0;
  for (int y = 0; y < r.Height(); ++y) {
    for (int x = cell * w; x < cell * w + w; ++x)
      opaque += r.At(x, y) != kPictureKey;
  }
  return opaque;
}

// `control`'s rectangle in a picture of its form's whole window.
RECT InShot(const TControl& control, const TRect& part) {
  RECT window;
  ::GetWindowRect(control.OwnerForm()->HandleIfAllocated(), &window);
  POINT at = control.ClientToScreen(part.Left, part.Top);
  at.x -= window.left;
  at.y -= window.top;
  return RECT{at.x, at.y, at.x + part.Width, at.y + part.Height};
}

TEST(Screen144, FormsGrowWithTheirPartsFontsAndPictures) {
  ASSERT_EQ(144, ScreenDpi()) << "the group's prefix does not set 144 dots per inch";
  auto form = CreateForm<TSample>();
  form->Show();
  testing::PumpFor(200);
  EXPECT_EQ(144, form->PixelsPerInch());
  EXPECT_EQ(780, form->ClientWidth());
  EXPECT_EQ(390, form->ClientHeight());
  EXPECT_EQ(101, form->BNext->Width());
  EXPECT_EQ(600, form->Constraints.MinWidth);
  EXPECT_EQ(1200, form->Constraints.MaxWidth);
  // The band that drags the window keeps its proportion: 75 pixels instead of 50.
  auto hit = [&](int y) {
    POINT at = form->ClientToScreen(700, y);
    return ::SendMessageW(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
  };
  EXPECT_EQ(HTCAPTION, hit(70));
  EXPECT_EQ(HTCLIENT, hit(80));
  EXPECT_EQ(-17, form->Memo->Font().Height);
  for (int i = 0; i < form->Group->Count(); ++i)
    EXPECT_EQ(-17, form->Group->Button(i)->Font().Height) << "the group's button " << i;
  EXPECT_EQ(129, form->Icon->Width()) << "the icon keeps its picture's size at 96";
  EXPECT_EQ(80, form->Icon->Height());
  EXPECT_EQ("", Joined(testing::AuditLayout(*form)));

  testing::Shot shot = testing::CaptureWindow(form->Handle());
  testing::SaveArtifact(shot, L"toolkit-form-144dpi.png");
  // Each picture is drawn at its size for this screen: as many pixels show as the holder's
  // drawing at 144 has.
  struct Picture {
    const char* what;
    RECT where;
    const char* name;
    int cells, cell;
  };
  const TNiceButton& ok = *form->BOK;
  const int glyph = ScaleValue(34, 144, 96) - 36;
  const Picture pictures[] = {
      {"dialog icon", InShot(*form->Icon, TRect{0, 0, 129, 80}), "Error", 1, 0},
      {"compact button", InShot(ok, TRect{glyph, (ok.Height() - 36) / 2, 36, 36}), "OK", 3, 0},
      {"check box", InShot(*form->Check, TRect{0, 0, 33, form->Check->Height()}), "Check", 3, 0},
  };
  for (const Picture& p : pictures) {
    int expected = OpaqueIn(p.name, p.cells, p.cell);
    EXPECT_NEAR(expected, PaintedIn(shot, p.where, kGreen), expected / 50 + 2) << p.what;
  }
  form->Hide();
}

TEST(Screen144, ImageListCellsGrowWithTheScreen) {
  TMImageList list(4, 2);
  std::vector<TColor> pixels(8, 0x0000FF);
  pixels[0] = 0xFFFFFF;  // the masked corner
  list.AddMasked(TBitmap(4, 2, pixels), 0xFFFFFF);
  ScopedGetDC screen(nullptr);
  ScopedMemoryDC memory(screen.get());
  ScopedBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 10, 10));
  ScopedSelect select(memory.get(), bitmap.get());
  FillSolid(memory.get(), RECT{0, 0, 10, 10}, RGB(0, 255, 0));
  list.Draw(memory.get(), 1, 1, 0, 144);
  auto at = [&](int x, int y) { return ::GetPixel(memory.get(), x, y); };
  // The 4 x 2 cell covers 6 x 3 pixels from (1, 1), but its masked corner.
  EXPECT_EQ(RGB(255, 0, 0), at(6, 3));
  EXPECT_EQ(RGB(255, 0, 0), at(4, 2));
  EXPECT_EQ(RGB(0, 255, 0), at(1, 1));
  EXPECT_EQ(RGB(0, 255, 0), at(7, 3));
  EXPECT_EQ(RGB(0, 255, 0), at(6, 4));
}

TEST(Screen144, MessageDialogsHoldTheirTextBesideTheIcon) {
  struct Message {
    const wchar_t* text;
    int dlgType;
    uint16_t buttons;
    int defaultButton;
  };
  const Message messages[] = {
      {L"Doriti actualizarea bazei de date\rde pe server?", mtConfirmation, 3, mbNo},
      {L"Instalarea s-a terminat cu succes.", mtInformation, 4, mbOK},
      {L"Nu exista spatiu suficient pe disc.", mtWarning, 8, mbCancel},
      {L"PENTRU CONTINUARE,\r\rIntroduceti discul 2 in unitatea A:", mtWarning, 12, mbOK},
      {L"La instalarea client baza de date trebuie sa existe!", mtError, 4, mbOK},
      {L"Mesaj @9fara icoana\r%cu umbra%", mtCustom, 4, mbOK},
  };
  int n = 0;
  for (const Message& m : messages) {
    SCOPED_TRACE(testing::Narrow(m.text));
    auto dialog =
        CreateMsgDialog(m.text, L"", m.dlgType, TAlignment::taCenter, m.buttons, m.defaultButton);
    dialog->Show();
    testing::PumpFor(150);
    EXPECT_EQ("", Joined(testing::AuditLayout(*dialog)));
    TControl* label = dialog->FindChild(L"Message");
    ASSERT_NE(nullptr, label);
    // The label holds its widest line in its own font, right of the icon.
    if (m.dlgType != mtCustom) {
      SIZE text =
          MeasureText(m.text, label->Font(), DT_WORDBREAK, ::GetSystemMetrics(SM_CXSCREEN) / 2);
      EXPECT_GE(label->Width(), text.cx);
      EXPECT_GE(label->Height(), text.cy);
      EXPECT_GE(label->Left(), dialog->Image->Left() + dialog->Image->Width());
    }
    testing::SaveArtifact(testing::CaptureWindow(dialog->Handle()),
                          L"toolkit-msg-dialog-144dpi-" + std::to_wstring(++n) + L".png");
    dialog->Hide();
  }
}

TEST(Screen144, EveryGalleryPageFitsAndIsPicturedWhole) {
  {
    auto gallery = CreateForm<gallery::TGallery>();
    EXPECT_EQ(1500, gallery->Width());
    gallery->Show();
    for (int i = 0; i < gallery->PageCount(); ++i) {
      SCOPED_TRACE(testing::Narrow(gallery->PageName(i)));
      gallery->ShowPage(i);
      testing::PumpFor(50);
      EXPECT_EQ("", Joined(testing::AuditLayout(*gallery)));
    }
    gallery->ShowPage(0);
    gallery->Hide();
  }
  // The gallery is larger than this screen: its pictures are taken part by part.
  auto pages = testing::GalleryShots(L"gallery-144dpi");
  for (const auto& [file, shot] : pages) {
    SCOPED_TRACE(testing::Narrow(file));
    ASSERT_EQ(1500, shot.width);
    ASSERT_EQ(1110, shot.height);
    // Past the screen's edges the page is there, not black.
    int black = 0;
    for (int y = 800; y < shot.height; ++y) {
      for (int x = 1030; x < shot.width; ++x)
        black += shot.At(x, y) == 0;
    }
    EXPECT_LT(black, (shot.height - 800) * (shot.width - 1030) / 20);
  }
  EXPECT_GE(pages.size(), 10u);
}

}  // namespace
}  // namespace kolvar::toolkit
