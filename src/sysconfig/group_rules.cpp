#include "sysconfig/group_rules.h"

namespace kolvar::sysconfig {

namespace {

std::wstring AddItem(std::wstring_view programDir, const wchar_t* file, const wchar_t* title) {
  std::wstring line = L"[AddItem(\"";
  line.append(programDir);
  line += L'\\';
  line += file;
  line += L"\", \"";
  line += title;
  line += L"\")]";
  return line;
}

std::wstring Quoted(std::wstring_view programDir, const wchar_t* file) {
  std::wstring text = L"\"";
  text.append(programDir);
  text += L'\\';
  text += file;
  text += L'"';
  return text;
}

}  // namespace

std::vector<std::wstring> GroupCommands(std::wstring_view programDir, GroupPrograms present) {
  std::vector<std::wstring> commands;
  commands.push_back(L"[CreateGroup(\"" + std::wstring(kGroupName) + L"\")]");
  commands.push_back(AddItem(programDir, L"KOLVAR.EXE", L"Kolvar"));
  // The sales program comes with LUNARIS and has no presence test of its own.
  if (present.lunaris) {
    commands.push_back(AddItem(programDir, L"VENTARI.EXE", L"Ventari"));
    commands.push_back(AddItem(programDir, L"LUNARIS.EXE", L"Lunaris"));
  }
  if (present.torneva)
    commands.push_back(AddItem(programDir, L"TORNEVA.EXE", L"Torneva"));
  commands.push_back(L"[ShowGroup(\"" + std::wstring(kGroupName) + L"\",8)]");
  return commands;
}

std::string GroupExecuteText(const std::vector<std::wstring>& commands, AnsiEncoder toAnsi) {
  std::wstring text;
  for (const std::wstring& command : commands) {
    text += command;
    text += L"\r\n";
  }
  std::string bytes = toAnsi(text);
  bytes += '\0';
  return bytes;
}

std::wstring HelpUpdaterCommand(std::wstring_view programDir) {
  return Quoted(programDir, L"HHUPD.EXE") + L" /Q";
}

std::wstring ChartRegistrationCommand(std::wstring_view programDir) {
  return Quoted(programDir, L"TREGSVR.EXE") + L" -Q " + Quoted(programDir, L"CFX32.OCX");
}

}  // namespace kolvar::sysconfig
