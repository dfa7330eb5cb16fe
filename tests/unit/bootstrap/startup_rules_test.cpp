#include "bootstrap/startup_rules.h"

#include <gtest/gtest.h>

#include <climits>

namespace kolvar::bootstrap {
namespace {

TEST(PrivateFolder, GuidBecomesThirtyTwoUpperHexDigits) {
  EXPECT_EQ(GuidToFolderName(L"{3f2504e0-4f89-11d3-9a0c-0305e82c3301}"),
            L"3F2504E04F8911D39A0C0305E82C3301");
  EXPECT_EQ(GuidToFolderName(L""), L"");
}

TEST(PrivateFolder, TempFolderWithOrWithoutBackslashGivesOneSeparator) {
  const wchar_t* name = L"3F2504E04F8911D39A0C0305E82C3301";
  EXPECT_EQ(PrivateFolderPath(L"C:\\Temp", name), L"C:\\Temp\\3F2504E04F8911D39A0C0305E82C3301\\");
  EXPECT_EQ(PrivateFolderPath(L"C:\\Temp\\", name),
            L"C:\\Temp\\3F2504E04F8911D39A0C0305E82C3301\\");
  // No GUID: the temporary folder itself.
  EXPECT_EQ(PrivateFolderPath(L"C:\\Temp", L""), L"C:\\Temp\\");
}

TEST(Marker, SourceDirDropsTheTrailingBackslashOnly) {
  EXPECT_EQ(SourceDirFromMarker(L"D:\\"), L"D:");
  EXPECT_EQ(SourceDirFromMarker(L"C:\\Kit Kolvar\\"), L"C:\\Kit Kolvar");
  EXPECT_EQ(SourceDirFromMarker(L""), L"");
}

TEST(ProfileInteger, FollowsTheConfigurationRules) {
  struct Case {
    std::optional<std::wstring> value;
    int expected;
  };
  const Case cases[] = {
      {std::nullopt, 6},   // key or file missing
      {L"1", 1},           // single disk
      {L"3", 3},           //
      {L"12abc", 12},      // leading digits only
      {L"  4", 4},         // blanks before the digits
      {L"abc", 0},         // no digits
      {L"", 0},            // present but empty
      {L"-2", 0},          // negative
      {L"+5", 5},          //
      {L"99999999999", INT_MAX},  // does not wrap around
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProfileInteger(c.value, 6), c.expected)
        << (c.value ? std::string(c.value->begin(), c.value->end()) : "<missing>");
  }
}

}  // namespace
}  // namespace kolvar::bootstrap
