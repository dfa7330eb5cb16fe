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
  // Rounded as printf rounds: exact ties to the even neighbour, carries into the whole part.
  EXPECT_EQ(VersionFolderName(5.125), L"5.12");
  EXPECT_EQ(VersionFolderName(5.375), L"5.38");
  EXPECT_EQ(VersionFolderName(9.999), L"10.00");
  EXPECT_EQ(VersionFolderName(0.07), L"0.07");
  EXPECT_EQ(VersionFolderName(-2.5), L"-2.50");
  EXPECT_EQ(VersionFolderName(0), L"0.00");
}

TEST(InstructionsPath, ReadMarkAppendsOneL) {
  EXPECT_EQ(ReadMarkName(L"C:\\P\\Instruct.htm"), L"C:\\P\\Instruct.html");
  EXPECT_EQ(ReadMarkName(L"C:\\P\\Instruct.html"), L"C:\\P\\Instruct.html");
  EXPECT_EQ(ReadMarkName(L"C:\\P\\INSTRUCT.HTML"), L"C:\\P\\INSTRUCT.HTML");
}

}  // namespace
}  // namespace kolvar::bootstrap
