#include "sysconfig/engine_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::sysconfig {
namespace {

const std::string kEscaped = DoubleBackslashes("C:\\Program Files");

TEST(DoubleBackslashes, DoublesEachBackslash) {
  EXPECT_EQ(kEscaped, "C:\\\\Program Files");
  EXPECT_EQ(DoubleBackslashes("\\\\srv\\x\\"), "\\\\\\\\srv\\\\x\\\\");
  EXPECT_EQ(DoubleBackslashes(""), "");
}

TEST(RewriteEngineRegistryFile, ReplacesEveryPlaceholderAndEndsLinesWithCrLf) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  } cases[] = {
      {"empty file", "", ""},
      {"no placeholder, LF ends", "REGEDIT4\n\n[K]\n", "REGEDIT4\r\n\r\n[K]\r\n"},
      {"CR LF kept, no extra line", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"lone CR ends a line", "a\rb", "a\r\nb\r\n"},
      {"last line without end", "\"V\"=\"$ProgDir$\\\\X\"",
       "\"V\"=\"C:\\\\Program Files\\\\X\"\r\n"},
      {"two placeholders in a line", "\"P\"=\"$ProgDir$\\\\A;$ProgDir$\\\\B\"\r\n",
       "\"P\"=\"C:\\\\Program Files\\\\A;C:\\\\Program Files\\\\B\"\r\n"},
      {"adjacent placeholders", "$ProgDir$$ProgDir$\n",
       "C:\\\\Program FilesC:\\\\Program Files\r\n"},
      {"partial placeholder left alone", "$ProgDir and $ProgDir$\n",
       "$ProgDir and C:\\\\Program Files\r\n"},
      {"8-bit letters kept", "\"T\"=\"\xE2\xEE$ProgDir$\"\n",
       "\"T\"=\"\xE2\xEE"
       "C:\\\\Program Files\"\r\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RewriteEngineRegistryFile(c.in, kEscaped), c.out) << c.name;
}

TEST(RewriteEngineRegistryFile, KeepsLongLinesWhole) {
  std::string tail(1200, 'x');
  std::string out = RewriteEngineRegistryFile("\"V\"=\"$ProgDir$" + tail + "$ProgDir$\"\n", "PF");
  EXPECT_EQ(out, "\"V\"=\"PF" + tail + "PF\"\r\n");
}

TEST(NextUseCount, CountsOneMoreUser) {
  struct Case {
    std::optional<std::wstring> stored;
    std::wstring next;
  } cases[] = {
      {L"3", L"4"},
      {std::nullopt, L"1"},
      {L"", L"1"},
      {L"abc", L"1"},
      {L"12abc", L"1"},
      {L"007", L"8"},
      {L"-5", L"1"},
      {L"+2", L"3"},
      {L"2147483646", L"2147483647"},
      {L"2147483647", L"2147483647"},
      {L"99999999999999999999", L"1"},
      // A count written with blanks around it still counts its users.
      {L" 3", L"4"},
      {L"3 ", L"4"},
      {L"\t 12 \t", L"13"},
      {L"   ", L"1"},
      {L" -3 ", L"1"},
      {L"1 2", L"1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NextUseCount(c.stored), c.next)
        << (c.stored ? std::string(c.stored->begin(), c.stored->end()) : "missing");
}

TEST(SuiteAliases, JoinsEachSubfolderWithOneBackslash) {
  for (const wchar_t* dataDir : {L"D:\\KDATE", L"D:\\KDATE\\"}) {
    auto aliases = SuiteAliases(dataDir);
    ASSERT_EQ(aliases.size(), 4u);
    EXPECT_EQ(aliases[0].name, L"KOLVARALIAS");
    EXPECT_EQ(aliases[0].path, L"D:\\KDATE\\NEW\\DATA");
    EXPECT_EQ(aliases[1].path, L"D:\\KDATE\\NEW\\FIRMA");
    EXPECT_EQ(aliases[2].path, L"D:\\KDATE\\NEW\\LUNA");
    EXPECT_EQ(aliases[3].name, L"KOLVAR");
    EXPECT_EQ(aliases[3].path, L"D:\\KDATE\\DATA");
  }
  EXPECT_EQ(SuiteAliases(L"D:\\")[3].path, L"D:\\DATA");
}

TEST(AliasParams, FitsOnlyWhatTheEngineBuffersHold) {
  EXPECT_EQ(AliasParams("D:\\DATA"), "PATH:D:\\DATA");
  EXPECT_TRUE(FitsEngineBuffer(AliasParams(std::string(250, 'p'))));   // 255 characters
  EXPECT_FALSE(FitsEngineBuffer(AliasParams(std::string(251, 'p'))));  // 256 characters
}

TEST(NetDirValue, EndsWithOneBackslash) {
  EXPECT_EQ(NetDirValue(L"D:\\KDATE"), L"D:\\KDATE\\");
  EXPECT_EQ(NetDirValue(L"D:\\KDATE\\"), L"D:\\KDATE\\");
  EXPECT_EQ(NetDirValue(L"D:\\"), L"D:\\");
}

}  // namespace
}  // namespace kolvar::sysconfig
