#include "htmlview/open_link.h"

#include <windows.h>

#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include "htmlview/pure/links.h"

namespace kolvar::htmlview {

namespace {

// The service of a shell view's top-level browser (SID_STopLevelBrowser).
constexpr GUID kTopLevelBrowser = {0x4c96be40,
                                   0x915c,
                                   0x11cf,
                                   {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
// The interfaces and the class used here, defined where they are used: the system's uuid
// library would bring whole objects of constants for these seven.
constexpr GUID kClsidShellWindows = {0x9ba05972,
                                     0xf6a8,
                                     0x11cf,
                                     {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kIidShellWindows = {0x85cb6900,
                                   0x4d95,
                                   0x11cf,
                                   {0x96, 0x0c, 0x00, 0x80, 0xc7, 0xf4, 0xee, 0x85}};
constexpr GUID kIidServiceProvider = {0x6d5140c1,
                                      0x7436,
                                      0x11ce,
                                      {0x80, 0x34, 0x00, 0xaa, 0x00, 0x60, 0x09, 0xfa}};
constexpr GUID kIidShellBrowser = {0x000214e2,
                                   0x0000,
                                   0x0000,
                                   {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidDispatch = {0x00020400,
                               0x0000,
                               0x0000,
                               {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidShellFolderViewDual = {0xe7a1af80,
                                          0x4d96,
                                          0x11cf,
                                          {0x96, 0x0c, 0x00, 0x80, 0xc7, 0xf4, 0xee, 0x85}};
constexpr GUID kIidShellDispatch2 = {0xa4c6892c,
                                     0x3ba9,
                                     0x11d2,
                                     {0x9d, 0xea, 0x00, 0xc0, 0x4f, 0xb1, 0x61, 0x62}};

// A COM interface pointer released when it goes.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_)
      p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T* operator->() const { return p_; }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Whether this process runs with an elevated token. Windows before Vista has no such notion
// (the query fails): not elevated.
bool RunsElevated() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  bool elevated =
      ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
      elevation.TokenIsElevated != 0;
  ::CloseHandle(token);
  return elevated;
}

// Opens `link` through the desktop's shell: its IShellDispatch2::ShellExecute runs in the
// shell's process, with the rights of the user who owns the desktop.
bool OpenThroughDesktopShell(const std::wstring& link) {
  HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool opened = false;
  {
    ComRef<IShellWindows> windows;
    ComRef<IDispatch> desktop;
    ComRef<IServiceProvider> provider;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    ComRef<IShellDispatch2> shell;
    VARIANT empty;
    ::VariantInit(&empty);
    long desktopWindow = 0;
    if (SUCCEEDED(::CoCreateInstance(kClsidShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                     kIidShellWindows, windows.OutVoid())) &&
        windows->FindWindowSW(&empty, &empty, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH,
                              desktop.Out()) == S_OK &&
        desktop && SUCCEEDED(desktop->QueryInterface(kIidServiceProvider, provider.OutVoid())) &&
        SUCCEEDED(provider->QueryService(kTopLevelBrowser, kIidShellBrowser, browser.OutVoid())) &&
        SUCCEEDED(browser->QueryActiveShellView(view.Out())) &&
        SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, kIidDispatch, background.OutVoid())) &&
        SUCCEEDED(background->QueryInterface(kIidShellFolderViewDual, folderView.OutVoid())) &&
        SUCCEEDED(folderView->get_Application(application.Out())) &&
        SUCCEEDED(application->QueryInterface(kIidShellDispatch2, shell.OutVoid()))) {
      // The program the shell starts may take the foreground from this one.
      DWORD shellProcess = 0;
      ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<LONG_PTR>(desktopWindow)),
                                 &shellProcess);
      if (shellProcess)
        ::AllowSetForegroundWindow(shellProcess);
      BSTR file = ::SysAllocStringLen(link.data(), static_cast<UINT>(link.size()));
      VARIANT operation, show;
      ::VariantInit(&operation);
      operation.vt = VT_BSTR;
      operation.bstrVal = ::SysAllocString(L"open");
      ::VariantInit(&show);
      show.vt = VT_I4;
      show.lVal = SW_SHOWNORMAL;
      opened = file && SUCCEEDED(shell->ShellExecute(file, empty, empty, operation, show));
      ::VariantClear(&operation);
      ::SysFreeString(file);
    }
  }
  if (SUCCEEDED(init))
    ::CoUninitialize();
  return opened;
}

}  // namespace

bool OpenInDefaultProgram(const std::wstring& href) {
  std::wstring link = OpenableLink(href);
  if (link.empty())
    return false;
  if (RunsElevated())
    return OpenThroughDesktopShell(link);
  ::AllowSetForegroundWindow(ASFW_ANY);
  return reinterpret_cast<INT_PTR>(
             ::ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace kolvar::htmlview
