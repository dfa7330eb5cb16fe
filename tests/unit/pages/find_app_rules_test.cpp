#include "pages/pure/find_app_rules.h"

#include <gtest/gtest.h>

#include "platform/text.h"
#include "toolkit/pure/markup.h"

namespace kolvar::pages {
namespace {

TEST(FindAppRules, DataFolderAndItsRootFromTheAliasPath) {
  struct Case {
    const wchar_t* alias;
    const wchar_t* dataDir;
    const wchar_t* root;
  };
  const Case cases[] = {
      {L"D:\\KDATE\\DATA\\", L"D:\\KDATE", L"D:\\"},
      {L"N:\\KDATE\\DATA", L"N:\\KDATE", L"N:\\"},
      // the ending is removed whatever its case; the root of a network path ends at the
      // fourth backslash
      {L"\\\\srv\\share\\kolv\\data", L"\\\\srv\\share\\kolv", L"\\\\srv\\share\\"},
      {L"\\\\srv\\share\\kolv\\Data\\", L"\\\\srv\\share\\kolv", L"\\\\srv\\share\\"},
      // fewer than four backslashes: the whole path is the root
      {L"\\\\srv\\share", L"\\\\srv\\share", L"\\\\srv\\share"},
      {L"\\\\srv\\DATA", L"\\\\srv", L"\\\\srv"},
      // only one final backslash goes, and only a whole "\DATA" ending
      {L"D:\\KDATE\\DATA\\\\", L"D:\\KDATE\\DATA\\", L"D:\\"},
      {L"D:\\KDATE\\MYDATA", L"D:\\KDATE\\MYDATA", L"D:\\"},
      {L"D:\\DATA", L"D:", L"D:"},
      {L"D:\\DATABASE", L"D:\\DATABASE", L"D:\\"},
      {L"DATA", L"DATA", L"DAT"},
      {L"", L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.alias));
    std::wstring dataDir = DataDirFromAliasPath(c.alias);
    EXPECT_EQ(c.dataDir, dataDir);
    EXPECT_EQ(c.root, DriveRootOf(dataDir));
  }
}

TEST(FindAppRules, OnlyANetworkDriveMakesAClient) {
  EXPECT_EQ(3, InstallTypeForDriveType(4));
  for (unsigned local : {0u, 1u, 2u, 3u, 5u, 6u})
    EXPECT_EQ(1, InstallTypeForDriveType(local)) << local;
}

TEST(FindAppRules, StatusLineShowsTheLast31Characters) {
  EXPECT_EQ(L"Caut in ..C:\\", SearchStatusText(L"C:\\"));
  std::wstring exact31 = L"C:\\0123456789012345678901234567";
  ASSERT_EQ(31u, exact31.size());
  EXPECT_EQ(L"Caut in .." + exact31, SearchStatusText(exact31));
  EXPECT_EQ(L"Caut in .." + exact31.substr(1), SearchStatusText(exact31.substr(1)));
  EXPECT_EQ(L"Caut in ..ps\\Kolvar\\Versiuni\\2024\\Martie\\",
            SearchStatusText(L"C:\\Program Files\\Apps\\Kolvar\\Versiuni\\2024\\Martie\\"));
}

TEST(FindAppRules, ScanLimitAndProgramSize) {
  std::wstring path = L"C:\\" + std::wstring(96, L'x') + L"\\";
  ASSERT_EQ(100u, path.size());
  EXPECT_TRUE(WithinScanLimit(path));
  EXPECT_FALSE(WithinScanLimit(L"C:\\" + std::wstring(97, L'x') + L"\\"));

  EXPECT_FALSE(IsProgramFileSize(0));
  EXPECT_FALSE(IsProgramFileSize(6000000));
  EXPECT_TRUE(IsProgramFileSize(6000001));
  EXPECT_TRUE(IsProgramFileSize(uint64_t{5} << 32));  // sizes beyond 4 GB are not cut
}

TEST(FindAppRules, ProgramFolderFromTheDatabasePath) {
  struct Case {
    const wchar_t* databasePath;
    const wchar_t* programDir;
  };
  const Case cases[] = {
      {L"C:\\ProKolv\\DATA", L"C:\\ProKolv\\"},
      {L"C:\\ProKolv\\DATA\\", L"C:\\ProKolv\\DATA\\"},
      {L"\\\\srv\\share\\ProKolv\\DATA", L"\\\\srv\\share\\ProKolv\\"},
      // a file in a drive root lies in that root, with one backslash
      {L"C:\\DATA", L"C:\\"},
      {L"C:DATA", L"C:\\"},
      {L"C:", L"C:\\"},
      // no folder part at all: nothing to look in
      {L"DATA", L""},
      {L"", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.databasePath));
    EXPECT_EQ(c.programDir, ProgramDirFromDatabasePath(c.databasePath));
  }
}

TEST(FindAppRules, FolderNamesShowLiterallyInTheStatusLine) {
  // Markup characters and backslashes before them, as folder names hold them.
  for (const wchar_t* text :
       {L"Caut in ..C:\\$Recycle\\PROGRA~1\\A&B 100%\\@2\\", L"Caut in ..\\\\srv\\~\\", L"plain"}) {
    SCOPED_TRACE(WideToUtf8(text));
    auto lines = toolkit::ParseMarkup(LiteralMarkup(text), toolkit::MarkupFont{});
    ASSERT_EQ(1u, lines.size());
    std::wstring shown;
    for (const auto& segment : lines[0].segments) {
      EXPECT_FALSE(segment.blink);
      EXPECT_FALSE(segment.shadow);
      shown += segment.text;
    }
    EXPECT_EQ(text, shown);
  }
}

}  // namespace
}  // namespace kolvar::pages
