// The text work of the configuration tasks, without <windows.h>: the program group's shell
// commands and their execute text, and the command lines of the two component tools.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kolvar::sysconfig {

// The shell's Program Manager DDE service and the group the suite's items go into.
inline constexpr wchar_t kProgManService[] = L"ProgMan";
inline constexpr wchar_t kGroupName[] = L"ProKOLVAR";

// The optional programs whose presence adds items to the group.
struct GroupPrograms {
  bool lunaris = false;  // LUNARIS.EXE: the "Ventari" and "Lunaris" items
  bool torneva = false;  // TORNEVA.EXE: the "Torneva" item
};

// The group commands, one per execute line, in the order the shell receives them: the group,
// the "Kolvar" item, the optional items, the command that shows the group. Item paths are
// `programDir` followed by a backslash and the file name, with `programDir` exactly as stored
// (a folder ending in a backslash gives two in a row).
std::vector<std::wstring> GroupCommands(std::wstring_view programDir, GroupPrograms present);

// Turns wide text into the system's 8-bit text.
using AnsiEncoder = std::string (*)(std::wstring_view text);

// The execute text of `commands`: each line followed by CR LF, encoded by `toAnsi`, and
// ended by one zero byte (part of the returned string).
std::string GroupExecuteText(const std::vector<std::wstring>& commands, AnsiEncoder toAnsi);

// The HTML Help updater's command line: "<programDir>\HHUPD.EXE" /Q, the path in quotes so
// that a folder with blanks starts the right program.
std::wstring HelpUpdaterCommand(std::wstring_view programDir);
// The chart control's registration: "<programDir>\TREGSVR.EXE" -Q "<programDir>\CFX32.OCX".
std::wstring ChartRegistrationCommand(std::wstring_view programDir);

}  // namespace kolvar::sysconfig
