// The instructions' place and read mark.
#include <gtest/gtest.h>

#include "bootstrap/install_state.h"
#include "bootstrap/instructions_path.h"

namespace kolvar::bootstrap {
namespace {

TEST(InstructionsPath, SameFileWithOrWithoutTheTrailingBackslash) {
  const std::wstring expected = L"C:\\ProKolv\\VerInfo\\3200879.02\\Instruct.htm";
  EXPECT_EQ(InstructionsFile(L"C:\\ProKolv", ProductVersion), expected);
  EXPECT_EQ(InstructionsFile(L"C:\\ProKolv\\", ProductVersion), expected);
  EXPECT_EQ(InstructionsFile(L"\\\\srv\\share\\Kolvar", ProductVersion),
            L"\\\\srv\\share\\Kolvar\\VerInfo\\3200879.02\\Instruct.htm");
}

TEST(InstructionsPath, VersionFolderHasTwoDecimalsAndAtMostNineDigits) {
  EXPECT_EQ(VersionFolderName(3200879.02), L"3200879.02");
  EXPECT_EQ(VersionFolderName(5.1), L"5.10");
  EXPECT_EQ(VersionFolderName(12345678.26), L"12345678.3");  // nine significant digits
  EXPECT_EQ(VersionFolderName(123456789.7), L"123456790");
}

TEST(InstructionsPath, ReadMarkAppendsOneL) {
  EXPECT_EQ(ReadMarkName(L"C:\\P\\Instruct.htm"), L"C:\\P\\Instruct.html");
  EXPECT_EQ(ReadMarkName(L"C:\\P\\Instruct.html"), L"C:\\P\\Instruct.html");
  EXPECT_EQ(ReadMarkName(L"C:\\P\\INSTRUCT.HTML"), L"C:\\P\\INSTRUCT.HTML");
}

}  // namespace
}  // namespace kolvar::bootstrap
