#include "htmlview/pure/links.h"

#include "platform/text.h"

namespace kolvar::htmlview {

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  size_t i = 0;
  for (; prefix[i]; ++i) {
    if (i >= text.size())
      return false;
    wchar_t c = text[i];
    if (c >= L'A' && c <= L'Z')
      c = static_cast<wchar_t>(c - L'A' + L'a');
    if (c != prefix[i])
      return false;
  }
  return true;
}

}  // namespace

std::wstring OpenableLink(const std::wstring& href) {
  std::wstring link = Trimmed(href, L" \t\r\n");
  if (link.empty())
    return L"";
  // A control character could end the address early or carry a second command for the
  // program that receives it.
  for (wchar_t c : link) {
    if (c < 0x20 || c == 0x7F)
      return L"";
  }
  for (const wchar_t* scheme : {L"http://", L"https://", L"mailto:"}) {
    if (StartsWithNoCase(link, scheme) && link.size() > std::wstring(scheme).size())
      return link;
  }
  return L"";
}

}  // namespace kolvar::htmlview
