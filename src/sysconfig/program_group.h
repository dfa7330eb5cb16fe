// The program group: the suite's items in the shell's Start menu, created through the shell's
// Program Manager DDE interface.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "sysconfig/group_rules.h"

namespace kolvar::sysconfig {

// The topics a conversation with the shell is opened on, in the order they are tried: the
// empty topic first, then the shell's documented "PROGMAN" for shells that refuse the empty one.
inline const std::vector<std::wstring>& ShellTopics() {
  static const std::vector<std::wstring> topics = {L"", L"PROGMAN"};
  return topics;
}

// Opens a DDE conversation with `service`, trying each of `topics` in turn. When none is
// accepted, starts the program "<service> <first topic>" minimised without activation, gives
// it up to `startWaitMs` to become ready and tries the topics once more. When a conversation
// opens, sends `executeText` (8-bit text, its terminating zero included) in the text format
// as one asynchronous execute transaction and closes the conversation without waiting for the
// server. True when the text was handed to a server; what the server does with it is not known.
// Each try at a conversation gives up after `tryLimitMs` (a window that does not answer the
// broadcast that opens one), and is then taken for no answer.
bool SendShellExecute(const std::wstring& service,
                      const std::vector<std::wstring>& topics,
                      const std::string& executeText,
                      DWORD startWaitMs = 5000,
                      DWORD tryLimitMs = 10000);

// Creates the suite's group with the items of the programs found in `testDir` (LUNARIS.EXE,
// TORNEVA.EXE), their paths made from `programDir` as stored. When no server of `service`
// answers, shows the "Eroare DDE!" message once and returns.
void CreateProgramGroup(const std::wstring& programDir,
                        const std::wstring& testDir,
                        const std::wstring& service = kProgManService);

// The task of the configuration page: CreateProgramGroup for State().ProgramDir, testing for
// the optional programs in State().ProposedProgramDir.
void DoConfigGroup();

// The system's 8-bit form of `text` (the ANSI code page; characters it lacks are replaced as
// the system replaces them).
std::string ToAnsiCodePage(std::wstring_view text);

}  // namespace kolvar::sysconfig
