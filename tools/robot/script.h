// The scenario language of the robot: one action a line, words separated by blanks, texts with
// blanks in double quotes, "#" starting a comment, {NAME} standing for a variable's value.
// No <windows.h> here.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kolvar::robot {

// One action: its line in the file, the line as written without its comment, and its words
// (quotes removed, variables not yet expanded).
struct Step {
  int line = 0;
  std::wstring text;
  std::vector<std::wstring> words;
};

// A scenario that cannot be read: the message names the line.
struct ScriptError {
  std::wstring message;
};

// The actions of a scenario's text, blank and comment lines left out. Inside quotes "" stands
// for one double quote and "#" is plain text. Throws ScriptError on an unterminated quote.
std::vector<Step> ParseScenario(const std::wstring& text);

// `word` with every {NAME} replaced by its value in `variables`. Throws ScriptError naming an
// unknown variable; "{" not followed by a name and "}" is kept as it is.
std::wstring Expand(const std::wstring& word,
                    const std::map<std::wstring, std::wstring>& variables);

// Whether `text` matches `pattern`, in which "*" stands for any run of characters (also none)
// and everything else for itself.
bool MatchesPattern(const std::wstring& text, const std::wstring& pattern);

// A key with the modifiers held while it is pressed, from a chord such as "Alt+C", "Enter",
// "Shift+Tab", "Ctrl+Alt+M", "F4".
struct Chord {
  unsigned short key = 0;  // the virtual-key code
  bool alt = false, ctrl = false, shift = false;
};
// nullopt for a chord that names no key we know.
std::optional<Chord> ParseChord(const std::wstring& text);

}  // namespace kolvar::robot
