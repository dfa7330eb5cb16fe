// Win32 failures turned into exceptions carrying the system's message text.
#pragma once

#include <windows.h>

#include <string>

#include "platform/error.h"

namespace kolvar {

// The system's text for error `code` (FormatMessage), without the trailing line break.
std::wstring SystemMessage(DWORD code);

// Throws SystemError with "<context>: <system text>" for `code`.
[[noreturn]] void ThrowSystemError(DWORD code, const std::wstring& context);

// Throws for GetLastError(), read at once.
[[noreturn]] void ThrowLastError(const std::wstring& context);

}  // namespace kolvar
