// Which links of a document may leave it for another program.
#pragma once

#include <string>

namespace kolvar::htmlview {

// The text of a link as it may be handed to the user's default program: `href` without the
// blanks around it, when it is an http:, https: or mailto: address (any letter case) with
// something after the scheme and no control character; empty for every other link (file:,
// javascript:, other schemes, local names), which the view never hands out.
std::wstring OpenableLink(const std::wstring& href);

}  // namespace kolvar::htmlview
