// Caption text rules shared by the controls: accelerator letters and line breaks.
#pragma once

#include <string>
#include <vector>

namespace kolvar::toolkit {

// The accelerator letter of `caption`: the character after a single "&" ("&&" is a plain
// ampersand), or 0 when there is none.
wchar_t AcceleratorOf(const std::wstring& caption);
// Whether `ch` is the accelerator of `caption`, compared without regard to case.
bool IsAccelerator(const std::wstring& caption, wchar_t ch);
// `caption` without accelerator marks: single "&" removed, "&&" kept as one "&".
std::wstring StripAccelerators(const std::wstring& caption);
// The caption of a large button cut into lines at every "#" (a caption that is only "#" stays
// one line showing "#").
std::vector<std::wstring> SplitHashLines(const std::wstring& caption);
// `caption` with every "#" turned into a line feed, under the rule of SplitHashLines.
std::wstring HashToLineBreaks(const std::wstring& caption);

}  // namespace kolvar::toolkit
