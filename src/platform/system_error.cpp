#include "platform/system_error.h"
#include "platform/text.h"

namespace kolvar {

std::wstring SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length && buffer)
    text.assign(buffer, length);
  if (buffer)
    ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty())
    text = L"Eroare de sistem " + DecimalText(code);
  return text;
}

void ThrowSystemError(DWORD code, const std::wstring& context) {
  throw SystemError(code,
                    context.empty() ? SystemMessage(code) : context + L": " + SystemMessage(code));
}

void ThrowLastError(const std::wstring& context) {
  DWORD code = ::GetLastError();
  ThrowSystemError(code, context);
}

}  // namespace kolvar
