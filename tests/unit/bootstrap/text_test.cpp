#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace kolvar {
namespace {

TEST(Utf8, RoundTripsRomanianLettersAndAstralCharacters) {
  const std::wstring text =
      L"\u0218tefan \u021Aar\u0103 \u00CEnv\u0103\u021B\u0103m\u00E2nt \U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
  EXPECT_EQ(WideToUtf8(L"\u0219"), "\xC8\x99");
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToWide("a\xC3"), L"a\uFFFD");                    // cut short
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), L"\uFFFD\uFFFD");            // overlong "/"
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(Utf8ToWide("\xFF"), L"\uFFFD");
}

// Names equal but for case are equivalent under the order; their order afterwards must be the one
// std::sort gives, over more names than its final insertion pass handles alone.
TEST(SortStrings, LeavesTheOrderOfStdSortEquivalentsIncluded) {
  std::vector<std::wstring> names;
  for (int i = 0; i < 60; ++i) {
    std::wstring name(1, static_cast<wchar_t>(L'a' + (i * 7) % 5));
    name += static_cast<wchar_t>(L'0' + i % 10);
    names.push_back(i % 2 ? AsciiUpper(name) + DecimalText(i) : name + DecimalText(i));
  }
  auto caseless = [](const std::wstring& a, const std::wstring& b) {
    return AsciiUpper(a).substr(0, 2) < AsciiUpper(b).substr(0, 2);
  };
  std::vector<std::wstring> expected = names;
  std::sort(expected.begin(), expected.end(), caseless);
  SortStrings(names, caseless);
  EXPECT_EQ(names, expected);
  std::vector<std::wstring> none;
  SortStrings(none, caseless);
  EXPECT_TRUE(none.empty());
}

TEST(Text, TrimmedTakesTheBlanksOffBothEndsOnly) {
  EXPECT_EQ(Trimmed(L" \t a b \r\n", L" \t\r\n"), L"a b");
  EXPECT_EQ(Trimmed(L"\"'x'\"", L"\"'"), L"x");
  EXPECT_EQ(Trimmed(L"x", L" "), L"x");
  EXPECT_EQ(Trimmed(L" \t ", L" \t"), L"");
  EXPECT_EQ(Trimmed(L"", L" "), L"");
  EXPECT_EQ(Trimmed(L" a ", L""), L" a ");
}

TEST(Paths, JoinWithExactlyOneBackslash) {
  EXPECT_EQ(JoinPath(L"C:\\ProKolv", L"DATA"), L"C:\\ProKolv\\DATA");
  EXPECT_EQ(JoinPath(L"C:\\ProKolv\\", L"DATA"), L"C:\\ProKolv\\DATA");
  EXPECT_EQ(JoinPath(L"D:", L"DISK1"), L"D:\\DISK1");
  EXPECT_EQ(IncludeTrailingBackslash(L"C:\\A\\\\"), L"C:\\A\\");
  EXPECT_EQ(ExcludeTrailingBackslash(L"C:\\A\\"), L"C:\\A");
  EXPECT_EQ(IncludeTrailingBackslash(L""), L"");
}

TEST(Paths, ADriveRootKeepsItsBackslash) {
  EXPECT_EQ(FolderWithoutTrailingBackslash(L"C:\\"), L"C:\\");
  EXPECT_EQ(FolderWithoutTrailingBackslash(L"E:\\\\"), L"E:\\");
  EXPECT_EQ(FolderWithoutTrailingBackslash(L"C:\\ProKolv\\"), L"C:\\ProKolv");
  EXPECT_EQ(FolderWithoutTrailingBackslash(L"\\\\srv\\share\\"), L"\\\\srv\\share");
  EXPECT_EQ(JoinPath(L"E:\\", L"EXE.ZIP"), L"E:\\EXE.ZIP");
}

TEST(Paths, OnlyFoldersFromARootAreRooted) {
  for (const wchar_t* rooted :
       {L"C:\\", L"d:\\Kolvar", L"E:\\Pro Kolv\\", L"\\\\srv\\share", L"\\\\srv\\share\\kolv\\"})
    EXPECT_TRUE(IsRootedPath(rooted)) << rooted;
  for (const wchar_t* relative :
       {L"", L"Kolvar", L"D:Kolvar", L"D:", L"\\Kolvar", L"\\\\", L"\\\\srv", L"\\\\srv\\",
        L"\\\\\\share", L"1:\\Kolvar", L"????", L".\\Kolvar"})
    EXPECT_FALSE(IsRootedPath(relative)) << relative;
}

TEST(Text, ControlCharactersAreEscaped) {
  EXPECT_EQ(EscapeControlCharacters(std::wstring(L"PK\x06\x06\0end", 8)), L"PK\\x06\\x06\\x00end");
  EXPECT_EQ(EscapeControlCharacters(L"\x1b[2J\x7f\x9b"), L"\\x1B[2J\\x7F\\x9B");
  EXPECT_EQ(EscapeControlCharacters(L"C:\\Date\\\x0219coal\x0103.txt"),
            L"C:\\Date\\\x0219coal\x0103.txt");
}

TEST(Numbers, DecimalAndHexadecimalTextAtTheLimits) {
  EXPECT_EQ(DecimalText(0), L"0");
  EXPECT_EQ(DecimalText(7), L"7");
  EXPECT_EQ(DecimalText(-42), L"-42");
  EXPECT_EQ(DecimalText(1234567890123LL), L"1234567890123");
  EXPECT_EQ(DecimalText(std::numeric_limits<long long>::min()), L"-9223372036854775808");
  EXPECT_EQ(DecimalText(std::numeric_limits<long long>::max()), L"9223372036854775807");
  // The split agrees with / and % on either side of zero and at the ends of the range.
  const long long min = std::numeric_limits<long long>::min();
  const long long max = std::numeric_limits<long long>::max();
  for (long long value : {0LL, 7LL, 100LL, 12345LL, -1LL, -12345LL, min, min + 1, max})
    for (long long divisor : {1LL, 10LL, 100LL, max}) {
      WholeDivision split = DivideWhole(value, divisor);
      EXPECT_EQ(split.quotient, value / divisor) << value << " / " << divisor;
      EXPECT_EQ(split.remainder, value % divisor) << value << " % " << divisor;
    }
  EXPECT_EQ(HexText(0), L"0");
  EXPECT_EQ(HexText(0xC0000005UL, 8), L"C0000005");
  EXPECT_EQ(HexText(0x1F, 8), L"0000001F");
  EXPECT_EQ(HexText(~0ULL), L"FFFFFFFFFFFFFFFF");
}

}  // namespace
}  // namespace kolvar
