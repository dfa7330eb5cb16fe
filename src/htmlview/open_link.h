// Links of a document that leave it: handed to the user's default program.
#pragma once

#include <string>

namespace kolvar::htmlview {

// Hands an http:, https: or mailto: link (see OpenableLink) to the user's default program and
// lets that program come to the foreground; any other link is refused. While this process runs
// elevated (Windows Vista and later), the desktop's shell opens the link in its own process, so
// the browser or mail program runs with the desktop user's ordinary rights; when that shell
// cannot be reached the link is not opened at all. Otherwise (Windows XP, an unelevated run) the
// shell's "open" verb runs from this process, whose rights are the user's own. Returns whether
// the link was handed on.
bool OpenInDefaultProgram(const std::wstring& href);

}  // namespace kolvar::htmlview
