#include "toolkit/pure/captions.h"

#include <cwctype>

namespace kolvar::toolkit {

wchar_t AcceleratorOf(const std::wstring& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&')
      continue;
    if (caption[i + 1] == L'&') {
      ++i;
      continue;
    }
    return caption[i + 1];
  }
  return 0;
}

bool IsAccelerator(const std::wstring& caption, wchar_t ch) {
  wchar_t accel = AcceleratorOf(caption);
  return accel != 0 && std::towupper(accel) == std::towupper(ch);
}

std::wstring StripAccelerators(const std::wstring& caption) {
  std::wstring out;
  out.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (i + 1 < caption.size() && caption[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

std::vector<std::wstring> SplitHashLines(const std::wstring& caption) {
  if (caption == L"#")
    return {caption};
  std::vector<std::wstring> lines(1);
  for (wchar_t ch : caption) {
    if (ch == L'#') {
      lines.emplace_back();
    } else {
      lines.back() += ch;
    }
  }
  return lines;
}

std::wstring HashToLineBreaks(const std::wstring& caption) {
  std::wstring out;
  auto lines = SplitHashLines(caption);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i)
      out += L'\n';
    out += lines[i];
  }
  return out;
}

}  // namespace kolvar::toolkit
