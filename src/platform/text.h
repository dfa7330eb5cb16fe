// Text helpers without <windows.h>: UTF-8 and wide conversion, paths as the installer writes them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kolvar {

// UTF-8 to wide (UTF-16 on Windows, UTF-32 elsewhere). Malformed bytes become U+FFFD.
std::wstring Utf8ToWide(std::string_view text);
// Wide to UTF-8. Unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// `path` with exactly one trailing backslash (an empty path stays empty).
std::wstring IncludeTrailingBackslash(std::wstring_view path);
// `path` without trailing backslashes.
std::wstring ExcludeTrailingBackslash(std::wstring_view path);
// `folder` without trailing backslashes, except the one of a drive root: "C:\" stays "C:\",
// since "C:" names the current folder of that drive.
std::wstring FolderWithoutTrailingBackslash(std::wstring_view folder);
// Whether `path` starts from a root of its own: a drive letter, a colon and a backslash
// ("C:\", "D:\Kolvar") or a share ("\\server\share", "\\server\share\Kolvar"). "Kolvar",
// "D:Kolvar" and "\Kolvar" hang on the current drive or folder and are not rooted.
bool IsRootedPath(std::wstring_view path);
// `folder` and `name` joined by exactly one backslash, whether or not `folder` ends with one.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// `value` in decimal digits, with a leading minus sign when negative. The program formats its
// numbers with these two rather than the C library's printf family, which would bring a whole
// formatting engine into the program for a few integers.
std::wstring DecimalText(long long value);
// `value` / `divisor` and `value` % `divisor` exactly as the language gives them (the quotient
// rounded toward zero, the remainder with the sign of `value`), for `divisor` > 0. Worked on the
// magnitude, so that splitting a number into units and fraction needs no signed 64-bit division
// routine in the program.
struct WholeDivision {
  long long quotient;
  long long remainder;
};
WholeDivision DivideWhole(long long value, long long divisor);
// `value` in upper-case hexadecimal, padded with zeros to at least `digits` digits.
std::wstring HexText(unsigned long long value, int digits = 1);

// `text` with its control characters (below U+0020, and U+007F to U+009F) written as "\xNN",
// so that a name read from a file can neither cut nor garble the message that shows it.
std::wstring EscapeControlCharacters(std::wstring_view text);

// ASCII-only case mapping; other characters are left as they are.
std::wstring AsciiUpper(std::wstring_view text);

// `text` without the characters of `blanks` at either end; empty when it holds nothing else.
std::wstring Trimmed(std::wstring_view text, std::wstring_view blanks);
bool EqualsNoCaseAscii(std::wstring_view a, std::wstring_view b);

// How the system converts between wide text and a code page, behind an interface so that the
// exact-conversion rule below can be checked against any code page.
class CodePageConverter {
 public:
  virtual ~CodePageConverter() = default;
  // `text` in `codePage`. Characters without a form of their own become look-alikes unless
  // `noBestFit`; `usedDefault`, when not null, is set when some character became the default
  // character instead. nullopt when the system refuses the request itself.
  virtual std::optional<std::string> Encode(unsigned codePage,
                                            std::wstring_view text,
                                            bool noBestFit,
                                            bool* usedDefault) const = 0;
  virtual std::wstring Decode(unsigned codePage, std::string_view bytes) const = 0;
};

// Sorts `items` by `less` (a strict weak order) into exactly the order std::sort leaves: the sort
// runs over pointers to the strings, which are then moved into place once. Never throws beyond
// what `less` and the allocation of the pointers throw.
void SortStrings(std::vector<std::wstring>& items,
                 bool (*less)(const std::wstring&, const std::wstring&));

inline constexpr unsigned kCodePageUtf7 = 65000;
inline constexpr unsigned kCodePageUtf8 = 65001;

// `text` in `codePage` when every character has an exact form there (no look-alikes, no default
// characters, and the bytes read back as `text`); nullopt otherwise. Works for the UTF code pages
// too, which the system's ANSI code page may be: there every valid text converts.
std::optional<std::string> EncodeExact(const CodePageConverter& converter,
                                       unsigned codePage,
                                       std::wstring_view text);

}  // namespace kolvar
