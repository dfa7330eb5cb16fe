#include "toolkit/application.h"

#include <exception>

#include "platform/error.h"
#include "platform/install_log.h"
#include "platform/text.h"
#include "toolkit/form.h"

namespace kolvar::toolkit {

TApplication& Application() {
  static TApplication application;
  return application;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

void TApplication::HandleMessage() {
  if (terminated_)
    return;
  MSG msg;
  BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    if (got == 0)
      ::PostQuitMessage(static_cast<int>(msg.wParam));
    return;
  }
  Dispatch(msg);
}

void TApplication::Dispatch(MSG& msg) {
  try {
    if (PreTranslate(msg))
      return;
  } catch (...) {
    HandleException();
    return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

bool TApplication::PreTranslate(MSG& msg) {
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      break;
    default:
      return false;
  }
  HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  auto* form = dynamic_cast<TMForm*>(TWinControl::FromHandle(root));
  if (!form)
    return false;
  if (msg.message == WM_RBUTTONDOWN || msg.message == WM_NCRBUTTONDOWN) {
    return form->RightClickUnderMessage();
  }
  if (msg.message == WM_SYSCHAR) {
    return form->DialogChar(static_cast<wchar_t>(msg.wParam));
  }
  WORD key = static_cast<WORD>(msg.wParam);
  return form->PreviewKey(key, KeyboardShift());
}

void TApplication::Terminate() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

void TApplication::Minimize() {
  struct Finder {
    static BOOL CALLBACK Each(HWND window, LPARAM) {
      if (::IsWindowVisible(window) && !::GetWindow(window, GW_OWNER)) {
        ::ShowWindow(window, SW_MINIMIZE);
      }
      return TRUE;
    }
  };
  ::EnumThreadWindows(::GetCurrentThreadId(), &Finder::Each, 0);
}

void TApplication::HandleException() noexcept {
  try {
    throw;
  } catch (const Error& error) {
    ShowException(error.message());
  } catch (const std::exception& error) {
    ShowException(Utf8ToWide(error.what()));
  } catch (...) {
    ShowException(L"Eroare necunoscuta.");
  }
}

void TApplication::ShowException(const std::wstring& text) noexcept {
  try {
    if (OnException) {
      OnException(text);
      return;
    }
    std::wstring shown = text;
    if (!shown.empty() && shown.back() != L'.')
      shown += L'.';
    ::MessageBoxW(::GetActiveWindow(), shown.c_str(), title_.c_str(),
                  MB_OK | MB_ICONSTOP | MB_TOPMOST);
    LogEvent(MessageEvent(title_, shown, L"OK"));
  } catch (...) {
  }
}

TMForm* TApplication::ActiveForm() const {
  HWND active = ::GetActiveWindow();
  return dynamic_cast<TMForm*>(TWinControl::FromHandle(active));
}

}  // namespace kolvar::toolkit
