// The exact-conversion rule against code pages as the system converts them: the single-byte
// ones through iconv's tables (a character without a form becomes the default character), UTF-8
// with the system's refusal of the flags it does not take.
#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "platform/text.h"

namespace kolvar {
namespace {

class ModelConverter : public CodePageConverter {
 public:
  std::optional<std::string> Encode(unsigned codePage,
                                    std::wstring_view text,
                                    bool noBestFit,
                                    bool* usedDefault) const override {
    if (codePage == kCodePageUtf8) {
      // The system refuses the no-best-fit flag and the default-character question here.
      if (noBestFit || usedDefault)
        return std::nullopt;
      return WideToUtf8(text);
    }
    std::string table = "CP" + std::to_string(codePage);
    std::string out;
    for (wchar_t ch : text) {
      std::optional<std::string> exact = Convert(table.c_str(), "WCHAR_T", &ch, sizeof ch);
      if (exact) {
        out += *exact;
      } else {
        out += '?';
        if (usedDefault)
          *usedDefault = true;
      }
    }
    return out;
  }

  std::wstring Decode(unsigned codePage, std::string_view bytes) const override {
    if (codePage == kCodePageUtf8)
      return Utf8ToWide(bytes);
    std::string table = "CP" + std::to_string(codePage);
    std::optional<std::string> wide = Convert("WCHAR_T", table.c_str(), bytes.data(), bytes.size());
    if (!wide)
      return L"<undecodable>";
    return std::wstring(reinterpret_cast<const wchar_t*>(wide->data()),
                        wide->size() / sizeof(wchar_t));
  }

 private:
  static std::optional<std::string> Convert(const char* to,
                                            const char* from,
                                            const void* data,
                                            size_t size) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
      return std::nullopt;
    std::string out(size * 4 + 8, '\0');
    char* in = const_cast<char*>(static_cast<const char*>(data));
    char* dst = out.data();
    size_t inLeft = size, outLeft = out.size();
    size_t done = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0)
      return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
  }
};

struct Case {
  const char* name;
  unsigned codePage;
  std::wstring text;
  std::optional<std::string> expected;
};

TEST(EncodeExact, TextTheCodePageHoldsConvertsAndTheRestIsRefused) {
  const Case cases[] = {
      {"Central European letters in 1250", 1250, L"C:\\Program Files\\\u0162ar\u0103",
       std::string("C:\\Program Files\\\xDE"
                   "ar\xE3")},
      {"comma-below s has only a look-alike in 1250", 1250, L"\u0219coala", std::nullopt},
      {"Western letters and the euro sign in 1252", 1252, L"Caf\u00E9 \u20AC",
       std::string("Caf\xE9 \x80")},
      {"a-breve has only a look-alike in 1252", 1252, L"Pl\u0103ti", std::nullopt},
      {"Romanian and Chinese in UTF-8", kCodePageUtf8, L"\u021Aar\u0103 \u4E2D",
       std::string("\xC8\x9A"
                   "ar\xC4\x83 \xE4\xB8\xAD")},
      {"a plain path in UTF-8", kCodePageUtf8, L"C:\\ProKolv\\DATA",
       std::string("C:\\ProKolv\\DATA")},
      {"an unpaired surrogate in UTF-8", kCodePageUtf8, std::wstring(L"A") + wchar_t(0xD800),
       std::nullopt},
      {"empty text", kCodePageUtf8, L"", std::string()},
  };
  ModelConverter converter;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeExact(converter, c.codePage, c.text), c.expected);
  }
}

}  // namespace
}  // namespace kolvar
