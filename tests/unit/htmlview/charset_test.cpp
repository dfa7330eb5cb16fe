// Decoding: the Romanian letters in every charset a document may be written in.
#include <gtest/gtest.h>

#include "htmlview/pure/charset.h"

namespace kolvar::htmlview {
namespace {

// "ăâîșț ĂÂÎȘȚ" with the cedilla forms ş ţ Ş Ţ that the single-byte charsets hold.
const std::wstring kCedilla = L"\u0103\u00E2\u00EE\u015F\u0163 \u0102\u00C2\u00CE\u015E\u0162";

TEST(Charset, RomanianLettersInEachEncoding) {
  struct {
    Charset charset;
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {Charset::kWindows1250, "\xE3\xE2\xEE\xBA\xFE \xC3\xC2\xCE\xAA\xDE", kCedilla},
      {Charset::kIso8859_2, "\xE3\xE2\xEE\xBA\xFE \xC3\xC2\xCE\xAA\xDE", kCedilla},
      {Charset::kIso8859_16, "\xE3\xE2\xEE\xBA\xFE \xC3\xC2\xCE\xAA\xDE",
       L"\u0103\u00E2\u00EE\u0219\u021B \u0102\u00C2\u00CE\u0218\u021A"},
      {Charset::kUtf8,
       "\xC4\x83\xC3\xA2\xC3\xAE\xC8\x99\xC8\x9B \xC4\x82\xC3\x82\xC3\x8E\xC8\x98\xC8\x9A",
       L"\u0103\u00E2\u00EE\u0219\u021B \u0102\u00C2\u00CE\u0218\u021A"},
      // Windows-1252 has no ă or ş: only â î Â Î survive, as in the original.
      {Charset::kWindows1252, "\xE2\xEE\xC2\xCE\x80", L"\u00E2\u00EE\u00C2\u00CE\u20AC"},
      {Charset::kUtf16Le, std::string("\xFF\xFE\x03\x01\x19\x02", 6), L"\u0103\u0219"},
      {Charset::kUtf16Be, std::string("\xFE\xFF\x01\x03\x02\x19", 6), L"\u0103\u0219"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Decode(c.bytes, c.charset), c.text) << static_cast<int>(c.charset);
}

TEST(Charset, TheDeclarationChoosesAndTheByteOrderMarkWins) {
  struct {
    std::string bytes;
    Charset expected;
  } cases[] = {
      {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">",
       Charset::kWindows1252},
      {"<META HTTP-EQUIV=Content-Type CONTENT=\"text/html; CHARSET=ISO-8859-2\">",
       Charset::kIso8859_2},
      {"<meta charset=\"utf-8\">", Charset::kUtf8},
      {"<meta charset=utf8>", Charset::kUtf8},
      {"<meta charset='x-unknown'>", Charset::kWindows1250},
      {"\xEF\xBB\xBF<meta charset=windows-1250>", Charset::kUtf8},
      {"\xFF\xFE<\0m\0", Charset::kUtf16Le},
      {"<p>charset=utf-8 is only text here</p>", Charset::kWindows1250},
      {"<meta charset=utf-16>", Charset::kUtf8},  // a page readable as bytes is not UTF-16
      {"", Charset::kWindows1250},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DetectCharset(c.bytes), c.expected) << c.bytes;
  EXPECT_EQ(DecodeDocument("\xEF\xBB\xBF\xC8\x99"), L"\u0219");
}

TEST(Charset, BrokenUtf8BecomesReplacementCharacters) {
  struct {
    std::string bytes;
    std::wstring text;
  } cases[] = {
      {"a\xC3", L"a\uFFFD"},                              // cut short
      {"\xC3(", L"\uFFFD("},                              // bad continuation
      {"\xC0\xAF", L"\uFFFD\uFFFD"},                      // overlong
      {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},            // a surrogate
      {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
      {"\xFF", L"\uFFFD"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Decode(c.bytes, Charset::kUtf8), c.text);
  std::wstring emoji = Decode("\xF0\x9F\x98\x80", Charset::kUtf8);
  EXPECT_EQ(emoji.size(), sizeof(wchar_t) == 2 ? 2u : 1u);
}

}  // namespace
}  // namespace kolvar::htmlview
