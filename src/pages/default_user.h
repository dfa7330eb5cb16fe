// The suite's default user as its shipped data define it: the end page names it, and the demo
// data are built with the same values.
#pragma once

namespace kolvar {

inline constexpr wchar_t kDefaultUserName[] = L"Master";
// The default user's access password: one character.
inline constexpr wchar_t kDefaultUserPassword = L'1';

}  // namespace kolvar
