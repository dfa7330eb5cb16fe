#include "sysconfig/engine_rules.h"

#include <cstdint>

#include "bootstrap/install_state.h"
#include "platform/text.h"
#include "sysconfig/engine_api.h"

namespace kolvar::sysconfig {

std::string DoubleBackslashes(std::string_view path) {
  std::string result;
  result.reserve(path.size() * 2);
  for (char c : path) {
    result += c;
    if (c == '\\')
      result += '\\';
  }
  return result;
}

namespace {

std::string ReplaceAll(std::string_view line,
                       std::string_view placeholder,
                       std::string_view replacement) {
  std::string result;
  size_t from = 0;
  for (size_t at; (at = line.find(placeholder, from)) != std::string_view::npos;
       from = at + placeholder.size()) {
    result.append(line.substr(from, at - from));
    result.append(replacement);
  }
  result.append(line.substr(from));
  return result;
}

}  // namespace

std::string RewriteEngineRegistryFile(std::string_view bytes, std::string_view replacement) {
  std::string result;
  result.reserve(bytes.size() + bytes.size() / 8);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos)
      end = bytes.size();
    result += ReplaceAll(bytes.substr(start, end - start), kProgDirPlaceholder, replacement);
    result += "\r\n";
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
        bytes[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return result;
}

std::wstring NextUseCount(const std::optional<std::wstring>& stored) {
  int64_t count = 0;
  // Blanks around the number are how some products write it; they never make it count less.
  std::wstring_view text = stored ? std::wstring_view(*stored) : std::wstring_view();
  while (!text.empty() && (text.front() == L' ' || text.front() == L'\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
    text.remove_suffix(1);
  if (!text.empty()) {
    size_t i = (text[0] == L'+') ? 1 : 0;
    bool numeric = i < text.size();
    int64_t value = 0;
    for (; numeric && i < text.size(); ++i) {
      if (text[i] < L'0' || text[i] > L'9' || value > INT32_MAX) {
        numeric = false;
        break;
      }
      value = value * 10 + (text[i] - L'0');
    }
    if (numeric && value <= INT32_MAX)
      count = value;
  }
  if (count < INT32_MAX)
    ++count;
  return DecimalText(count);
}

std::vector<AliasEntry> SuiteAliases(std::wstring_view dataDir) {
  std::vector<AliasEntry> aliases;
  for (size_t i = 0; i < bootstrap::AliasNames.size(); ++i)
    aliases.push_back({bootstrap::AliasNames[i], JoinPath(dataDir, bootstrap::AliasSubdirs[i])});
  return aliases;
}

std::string AliasParams(std::string_view path) {
  std::string params("PATH:");
  params += path;
  return params;
}

bool FitsEngineBuffer(std::string_view text) {
  return text.size() <= engine::kDbiMaxNameOrParams;
}

std::wstring NetDirValue(std::wstring_view folder) {
  std::wstring value(folder);
  if (value.empty() || value.back() != L'\\')
    value += L'\\';
  return value;
}

}  // namespace kolvar::sysconfig
