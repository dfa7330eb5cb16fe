#include "pages/pure/folder_rules.h"

#include <algorithm>

#include "platform/text.h"

namespace kolvar::pages {

using bootstrap::InstallState;

DirsLayout LayoutFor(const InstallState& state) {
  switch (state.InstallType) {
    case bootstrap::kTypeServer:
      return {state.ProposedProgramDir, state.ProposedDataDir, true, false, true};
    case bootstrap::kTypeClient:
      return {state.ProposedProgramDir, L"", true, true, false};
    default:
      return {state.ProposedProgramDir, L"", false, false, true};
  }
}

namespace {

// Makes sure `folder` exists, creating it one level deep. Only a folder from a root counts
// (an empty name never does).
bool EnsureFolder(const std::wstring& folder, DirsEnvironment& env) {
  if (!IsRootedPath(folder))
    return false;
  return env.FolderExists(folder) || env.CreateFolder(folder);
}

}  // namespace

FolderCheck StoreFolders(InstallState& state,
                         const std::wstring& programText,
                         const std::wstring& dataText,
                         DirsEnvironment& env) {
  bool dataPassed = true;
  state.ProgramDir = programText;
  switch (state.InstallType) {
    case bootstrap::kTypeServer:
      if (EnsureFolder(dataText, env))
        state.DataDir = dataText;
      else
        dataPassed = false;
      break;
    case bootstrap::kTypeClient:
      if (IsRootedPath(dataText) && env.FolderExists(dataText)) {
        state.DataDir = dataText;
      } else {
        // The message is for a server folder that is not there; a name without a root is
        // refused as the other fields' are.
        if (dataText.empty() || IsRootedPath(dataText))
          env.ClientDataMissing();
        dataPassed = false;
      }
      break;
    default:
      state.DataDir = state.ProgramDir;
      break;
  }
  bool programPassed = EnsureFolder(programText, env);
  state.ProposedProgramDir = state.ProgramDir;
  state.ProposedDataDir = state.DataDir;
  FolderCheck check;
  if (!programPassed)
    check.refused = DirsField::kProgram;
  else if (!dataPassed)
    check.refused = DirsField::kData;
  return check;
}

std::wstring PickerAnswer(const std::wstring& folder) {
  if (!folder.empty() && folder.back() == L'\\')
    return folder;
  return folder + L'\\';
}

std::vector<std::wstring> PathChain(const std::wstring& folder) {
  std::vector<std::wstring> chain;
  size_t rootEnd;  // the root's length, without its closing backslash
  if (folder.size() >= 2 && folder[1] == L':') {
    rootEnd = 2;
  } else if (folder.rfind(L"\\\\", 0) == 0) {
    size_t server = folder.find(L'\\', 2);
    if (server == std::wstring::npos || server == 2)
      return chain;
    size_t share = folder.find(L'\\', server + 1);
    rootEnd = share == std::wstring::npos ? folder.size() : share;
    if (rootEnd == server + 1)
      return chain;
  } else {
    return chain;
  }
  std::wstring root = folder.substr(0, rootEnd);
  chain.push_back(root.size() == 2 ? root + L'\\' : root);
  std::wstring current = root;
  size_t at = rootEnd;
  while (at < folder.size()) {
    size_t next = folder.find(L'\\', at + 1);
    std::wstring part =
        folder.substr(at + 1, next == std::wstring::npos ? std::wstring::npos : next - at - 1);
    if (!part.empty()) {
      current += L'\\';
      current += part;
      chain.push_back(current);
    }
    if (next == std::wstring::npos)
      break;
    at = next;
  }
  return chain;
}

std::wstring FolderCaption(const std::wstring& folder) {
  std::wstring trimmed = folder;
  while (trimmed.size() > 3 && trimmed.back() == L'\\')
    trimmed.pop_back();
  if (trimmed.size() <= 3 && trimmed.size() >= 2 && trimmed[1] == L':')
    return trimmed.substr(0, 2) + L'\\';
  size_t slash = trimmed.rfind(L'\\');
  if (trimmed.rfind(L"\\\\", 0) == 0 && std::count(trimmed.begin(), trimmed.end(), L'\\') <= 3)
    return trimmed;  // a share's root
  return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

std::wstring DriveLine(wchar_t letter, const std::wstring& label) {
  std::wstring line;
  line += (letter >= L'A' && letter <= L'Z') ? static_cast<wchar_t>(letter - L'A' + L'a') : letter;
  line += L':';
  if (!label.empty())
    line += L" [" + label + L"]";
  return line;
}

void SortFolderNames(std::vector<std::wstring>& names) {
  SortStrings(names, [](const std::wstring& a, const std::wstring& b) {
    std::wstring ua = AsciiUpper(a), ub = AsciiUpper(b);
    return ua != ub ? ua < ub : a < b;
  });
}

}  // namespace kolvar::pages
