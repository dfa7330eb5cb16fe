// The image holder, the transparent picture, the image list, and the gradient switch as the
// gallery (a separate process) sees it with and without "LowColor.dat" beside it.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "toolkit/mesaj.h"
#include "toolkit/pure/pictures.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::toolkit {
namespace {

TEST(Mesaj, HoldsEveryPictureAndLooksThemUpByKind) {
  EXPECT_EQ(104, Mesaj().Count());
  EXPECT_EQ(86, DialogIcon(mtError)->Width());
  EXPECT_EQ(53, DialogIcon(mtError)->Height());
  EXPECT_TRUE(DialogIcon(mtCustom)->Empty());
  EXPECT_EQ(Mesaj().Picture("Check"), MarkImage(glCheck));
  EXPECT_EQ(Mesaj().Picture("crescator"), MarkImage(glCrescator));
  EXPECT_TRUE(MarkImage(glCustom)->Empty());
  EXPECT_TRUE(ButtonImage(mkIgnore)->Empty());
  EXPECT_EQ(Mesaj().Picture("PrnSetup"), NiceButtonImage(mkIgnore));
  EXPECT_EQ(Mesaj().Picture("Buget"), NiceButtonImage(mkFirst));  // the large button's
  EXPECT_EQ(kPictureKey, Mesaj().Picture("OK")->TransparentColor());
  EXPECT_EQ(TColor{0xE6E2D9}, HintColor());  // gradients on
  SIZE max = MaxFormSize();
  EXPECT_GT(max.cx, ::GetSystemMetrics(SM_CXSCREEN));
}

TEST(Mesaj, TransImageKindsResetEachOtherAndSizeThePicture) {
  TPanel host(nullptr, L"Host");
  auto* image = new TTransImage(&host, L"Image");
  EXPECT_EQ(24, image->Width());
  image->SetKindMare(mtError);
  EXPECT_EQ(86, image->Width());
  EXPECT_EQ(53, image->Height());
  image->SetKindAlte(glRadio);
  EXPECT_EQ(mtCustom, image->KindMare());
  EXPECT_EQ(22, image->Width());
  image->SetKindMic(mkOK);
  EXPECT_EQ(glCustom, image->KindAlte());
  EXPECT_EQ(72, image->Width());
  image->SetBitmap(Mesaj().Picture("Warning"));
  EXPECT_EQ(mkCustom, image->KindMic());
  EXPECT_EQ(86, image->Width());
}

TEST(Mesaj, ImageListChecksSizesAndDrawsMaskedCells) {
  EXPECT_THROW(TMImageList(0, 5), Error);
  TMImageList list(2, 2);
  TBitmap wrong(3, 2, std::vector<TColor>(6, 0x123456));
  try {
    list.Add(wrong, nullptr);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(L"Image dimensions do not match image list dimensions", e.message());
  }
  TBitmap cell(2, 2, {0x0000FF, 0xFF00FF, 0xFF00FF, 0x00FF00});
  EXPECT_EQ(0, list.AddMasked(cell, 0xFF00FF));
  EXPECT_EQ(1, list.Add(cell, nullptr));
  EXPECT_EQ(2, list.Count());

  // Masked pixels leave the background; plain cells copy everything.
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  TBitmap canvas(4, 2, std::vector<TColor>(8, 0x808080));
  HGDIOBJ old = ::SelectObject(dc, canvas.Handle());
  list.Draw(dc, 0, 0, 0);
  list.Draw(dc, 2, 0, 1);
  EXPECT_EQ(COLORREF{0x0000FF}, ::GetPixel(dc, 0, 0));
  EXPECT_EQ(COLORREF{0x808080}, ::GetPixel(dc, 1, 0));
  EXPECT_EQ(COLORREF{0xFF00FF}, ::GetPixel(dc, 3, 0));
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);

  TMImageList wide(8192, 1);
  TBitmap strip(8192, 1, std::vector<TColor>(8192, 0));
  for (int i = 0; i < 4; ++i)
    wide.Add(strip, nullptr);
  try {
    wide.Add(strip, nullptr);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(L"Too many images", e.message());
  }
}

// Runs the gallery from `folder` and returns its first page's picture.
testing::Shot GalleryFirstPage(const testing::TempFolder& folder) {
  std::wstring exe = folder / L"GALLERY.EXE";
  EXPECT_TRUE(::CopyFileW(testing::DistFile(L"GALLERY.EXE").c_str(), exe.c_str(), FALSE));
  EXPECT_EQ(0, testing::RunAndWait(L"\"" + exe + L"\" /shots \"" + folder.path() + L"\""));
  return testing::LoadPng(folder / L"gallery-1-bare-si-imagini.png");
}

TEST(Mesaj, LowColorMarkerBesideTheProgramTurnsGradientsOff) {
  for (bool marker : {false, true}) {
    SCOPED_TRACE(marker ? "with LowColor.dat" : "without");
    testing::TempFolder folder(L"lowcolor");
    if (marker)
      testing::WriteFile(folder / L"LowColor.dat", "");
    testing::Shot page = GalleryFirstPage(folder);
    ASSERT_GT(page.width, 400);
    testing::SaveArtifact(page, marker ? L"toolkit-gallery-lowcolor.png" : L"toolkit-gallery.png");
    // The first bar of the page: 470 pixels from (20, 41), 0x4D3004 to 0xEFEFEF.
    const int left = 20, top = 41 + 2, width = 470;
    for (int i : {0, 100, 300, 469}) {
      TColor expected = marker ? TColor{0x4D3004} : GradientColor(0x4D3004, 0xEFEFEF, i, width);
      EXPECT_EQ(expected, page.At(left + i, top)) << "column " << i;
    }
  }
}

}  // namespace
}  // namespace kolvar::toolkit
