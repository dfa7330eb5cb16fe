// The scenario language: how a line splits into words, variables, key chords.
#include <gtest/gtest.h>

#include "script.h"

namespace kolvar::robot {
namespace {

using Words = std::vector<std::wstring>;

TEST(Scenario, LinesSplitIntoWordsAndQuotedTexts) {
  auto steps = ParseScenario(
      L"# a comment line\r\n"
      L"\r\n"
      L"page \"Tip instalare\"   # waits for the first page\r\n"
      L"\tclick  &Continua\r\n"
      L"type \"C:\\Pro Kolv\\\"\n"
      L"write x \"say \"\"da\"\" # not a comment\"\n"
      L"check-text f \"\"");
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_EQ(steps[0].line, 3);
  EXPECT_EQ(steps[0].words, (Words{L"page", L"Tip instalare"}));
  EXPECT_EQ(steps[0].text, L"page \"Tip instalare\"");
  EXPECT_EQ(steps[1].line, 4);
  EXPECT_EQ(steps[1].words, (Words{L"click", L"&Continua"}));
  // A backslash is plain text, also before the closing quote.
  EXPECT_EQ(steps[2].words, (Words{L"type", L"C:\\Pro Kolv\\"}));
  EXPECT_EQ(steps[3].words, (Words{L"write", L"x", L"say \"da\" # not a comment"}));
  EXPECT_EQ(steps[3].text, L"write x \"say \"\"da\"\" # not a comment\"");
  EXPECT_EQ(steps[4].words, (Words{L"check-text", L"f", L""}));
  EXPECT_EQ(steps[4].line, 7);
}

TEST(Scenario, UnclosedQuoteNamesItsLine) {
  try {
    ParseScenario(L"page \"A\"\nclick \"&Continua\n");
    FAIL();
  } catch (const ScriptError& error) {
    EXPECT_EQ(error.message, L"line 2: a quote is not closed");
  }
}

TEST(Scenario, VariablesExpandAndUnknownOnesFail) {
  std::map<std::wstring, std::wstring> v{{L"CD", L"D:"}, {L"PRIVATE", L"C:\\T\\ABC"}};
  EXPECT_EQ(Expand(L"{CD}\\INSTALL.EXE", v), L"D:\\INSTALL.EXE");
  EXPECT_EQ(Expand(L"{PRIVATE}\\{CD}", v), L"C:\\T\\ABC\\D:");
  // Braces that hold no name stay as they are.
  EXPECT_EQ(Expand(L"{} {a b} {", v), L"{} {a b} {");
  EXPECT_THROW(Expand(L"{MEDIA}\\x", v), ScriptError);
}

TEST(Scenario, CaptionPatterns) {
  EXPECT_TRUE(MatchesPattern(L"Finalizare", L"Finalizare"));
  EXPECT_FALSE(MatchesPattern(L"Finalizare", L"Finaliz"));
  EXPECT_TRUE(MatchesPattern(L"Galeria - pagina 9 din 10: intrari", L"Galeria - pagina 9 din*"));
  EXPECT_TRUE(MatchesPattern(L"Galeria - pagina 9 din 10: intrari", L"*: intrari"));
  EXPECT_TRUE(MatchesPattern(L"a*b", L"a*b"));
  EXPECT_TRUE(MatchesPattern(L"", L"*"));
  EXPECT_TRUE(MatchesPattern(L"abcbd", L"a*bd"));  // the first "b" is not the one
  EXPECT_FALSE(MatchesPattern(L"abcbe", L"a*bd"));
  EXPECT_FALSE(MatchesPattern(L"", L"a*"));
  EXPECT_TRUE(MatchesPattern(L"xay", L"*a*"));
}

TEST(Scenario, ChordsNameAKeyAndItsModifiers) {
  struct Case {
    const wchar_t* text;
    unsigned short key;
    bool alt, ctrl, shift;
  } cases[] = {
      {L"Alt+C", 'C', true, false, false},     {L"alt+c", 'C', true, false, false},
      {L"Enter", 0x0D, false, false, false},   {L"Shift+Tab", 0x09, false, false, true},
      {L"Ctrl+Alt+M", 'M', true, true, false}, {L"Esc", 0x1B, false, false, false},
      {L"Alt+F4", 0x73, true, false, false},   {L"F12", 0x7B, false, false, false},
      {L"Space", 0x20, false, false, false},   {L"1", '1', false, false, false},
  };
  for (const Case& c : cases) {
    auto chord = ParseChord(c.text);
    ASSERT_TRUE(chord) << c.text;
    EXPECT_EQ(chord->key, c.key) << c.text;
    EXPECT_EQ(chord->alt, c.alt) << c.text;
    EXPECT_EQ(chord->ctrl, c.ctrl) << c.text;
    EXPECT_EQ(chord->shift, c.shift) << c.text;
  }
  for (const wchar_t* bad : {L"", L"Alt+", L"Meta+C", L"F13", L"F0", L"Enterr", L"+C"})
    EXPECT_FALSE(ParseChord(bad)) << bad;
}

}  // namespace
}  // namespace kolvar::robot
