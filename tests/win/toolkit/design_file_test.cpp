// Design settings from disk: the file reader of the module windows and the installer's
// start-up load, which reads nothing from disk.
#include <gtest/gtest.h>

#include "toolkit/design_file.h"
#include "win_test_support.h"

namespace kolvar::toolkit {
namespace {

using V = DesignValue;

TEST(DesignFile, ReadsTheSectionOfItsNameAndFallsBackWithoutIt) {
  testing::TempFolder folder(L"design");
  testing::WriteFile(folder / L"DESIGNPKC.INI",
                     "[PKE_DESIGN]\r\nTITLEBAR_DATE=7\r\nNAME_TAB_DATE=Tahoma\r\n"
                     "BMP_DATEFacturi=Hartie\r\n");
  testing::WriteFile(folder / L"Liste.ini",
                     "[PKE_DESIGN1]\r\nCOLOR_TABLISTE_START=255\r\nTITLEBAR_DATE=9\r\n");

  Design main = ReadDesignFile(folder.path(), L"DesignPKC.ini", 0, L"Facturi");
  EXPECT_EQ(7, main.Get(V::kTitleBar));
  EXPECT_EQ(L"Tahoma", main.Font(DesignFont::kTab));
  EXPECT_EQ(L"Hartie", main.image);

  // Kind 1 from another file: its numbered section and the "LISTE" suffix.
  Design list = ReadDesignFile(folder.path(), L"Liste.ini", 1, L"");
  EXPECT_EQ(255, list.Get(V::kTabStart));
  EXPECT_EQ(1, list.Get(V::kTitleBar));  // TITLEBAR_DATE is not a key of this section

  Design missing = ReadDesignFile(folder.path(), L"Nu exista.ini", 0, L"");
  EXPECT_EQ(3, missing.Get(V::kTipDesign));
  EXPECT_EQ(L"?", missing.image);
}

TEST(DesignFile, StartUpLoadIgnoresASettingsFileInTheCurrentFolder) {
  testing::TempFolder folder(L"design-cwd");
  testing::WriteFile(folder / L"DesignPKC.ini",
                     "[PKE_DESIGN]\r\nTITLEBAR_DATE=9\r\nCOLOR_TABDATE_START=255\r\n");
  wchar_t previous[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  ::SetCurrentDirectoryW(folder.path().c_str());
  LoadStartupDesigns();
  ::SetCurrentDirectoryW(previous);
  EXPECT_EQ(0, DesignOf(0).Get(V::kTitleBar));
  EXPECT_EQ(2, DesignOf(1).Get(V::kTitleBar));
  EXPECT_EQ(12040119, DesignOf(1).Get(V::kBackStart));
  EXPECT_NE(DesignOf(0).Get(V::kTabStart), DesignOf(1).Get(V::kTabStart));
  EXPECT_NE(255, DesignOf(0).Get(V::kTabStart));
}

}  // namespace
}  // namespace kolvar::toolkit
