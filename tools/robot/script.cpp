#include "script.h"

#include <cwctype>

namespace kolvar::robot {

namespace {

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text)
    c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// Virtual-key codes of the named keys (the values are the system's).
struct NamedKey {
  const wchar_t* name;
  unsigned short key;
};
constexpr NamedKey kNamedKeys[] = {
    {L"ENTER", 0x0D},  {L"RETURN", 0x0D},    {L"TAB", 0x09},    {L"ESC", 0x1B},   {L"ESCAPE", 0x1B},
    {L"SPACE", 0x20},  {L"BACKSPACE", 0x08}, {L"DELETE", 0x2E}, {L"DEL", 0x2E},   {L"HOME", 0x24},
    {L"END", 0x23},    {L"LEFT", 0x25},      {L"UP", 0x26},     {L"RIGHT", 0x27}, {L"DOWN", 0x28},
    {L"PAGEUP", 0x21}, {L"PAGEDOWN", 0x22},
};

}  // namespace

std::vector<Step> ParseScenario(const std::wstring& text) {
  std::vector<Step> steps;
  int number = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos)
      end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == L'\r')
      line.pop_back();
    Step step{number, line, {}};
    for (size_t i = 0; i < line.size();) {
      wchar_t c = line[i];
      if (c == L' ' || c == L'\t') {
        ++i;
        continue;
      }
      if (c == L'#') {
        step.text = line.substr(0, i);
        break;
      }
      std::wstring word;
      if (c == L'"') {
        bool closed = false;
        for (++i; i < line.size(); ++i) {
          if (line[i] == L'"') {
            if (i + 1 < line.size() && line[i + 1] == L'"') {
              word += L'"';
              ++i;
              continue;
            }
            closed = true;
            ++i;
            break;
          }
          word += line[i];
        }
        if (!closed)
          throw ScriptError{L"line " + std::to_wstring(number) + L": a quote is not closed"};
      } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t')
          word += line[i++];
      }
      step.words.push_back(word);
    }
    step.text.erase(step.text.find_last_not_of(L" \t") + 1);
    if (!step.words.empty())
      steps.push_back(std::move(step));
    if (end == text.size())
      break;
  }
  return steps;
}

std::wstring Expand(const std::wstring& word,
                    const std::map<std::wstring, std::wstring>& variables) {
  std::wstring out;
  for (size_t i = 0; i < word.size(); ++i) {
    size_t close = word[i] == L'{' ? word.find(L'}', i) : std::wstring::npos;
    std::wstring name = close == std::wstring::npos ? L"" : word.substr(i + 1, close - i - 1);
    bool isName = !name.empty();
    for (wchar_t c : name)
      isName = isName && (std::iswalnum(c) || c == L'_');
    if (!isName) {
      out += word[i];
      continue;
    }
    auto found = variables.find(name);
    if (found == variables.end())
      throw ScriptError{L"unknown variable {" + name + L"}"};
    out += found->second;
    i = close;
  }
  return out;
}

bool MatchesPattern(const std::wstring& text, const std::wstring& pattern) {
  // The classic greedy walk with one backtrack point: the last "*" seen.
  size_t t = 0, p = 0, star = std::wstring::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::wstring::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*')
    ++p;
  return p == pattern.size();
}

std::optional<Chord> ParseChord(const std::wstring& text) {
  Chord chord;
  std::wstring rest = Upper(text);
  for (;;) {
    size_t plus = rest.find(L'+');
    if (plus == std::wstring::npos || plus + 1 == rest.size())
      break;
    std::wstring modifier = rest.substr(0, plus);
    if (modifier == L"ALT")
      chord.alt = true;
    else if (modifier == L"CTRL")
      chord.ctrl = true;
    else if (modifier == L"SHIFT")
      chord.shift = true;
    else
      return std::nullopt;
    rest = rest.substr(plus + 1);
  }
  if (rest.size() == 1 &&
      ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'0' && rest[0] <= L'9'))) {
    chord.key = static_cast<unsigned short>(rest[0]);
    return chord;
  }
  if (rest.size() >= 2 && rest.size() <= 3 && rest[0] == L'F') {
    int n = 0;
    for (size_t i = 1; i < rest.size(); ++i)
      n = std::iswdigit(rest[i]) ? n * 10 + (rest[i] - L'0') : -1000;
    if (n >= 1 && n <= 12) {
      chord.key = static_cast<unsigned short>(0x70 + n - 1);
      return chord;
    }
  }
  for (const NamedKey& named : kNamedKeys)
    if (rest == named.name) {
      chord.key = named.key;
      return chord;
    }
  return std::nullopt;
}

}  // namespace kolvar::robot
