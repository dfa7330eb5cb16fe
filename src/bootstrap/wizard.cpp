#include "bootstrap/wizard.h"

#include <windows.h>

#include "bootstrap/engine_session.h"
#include "bootstrap/install_state.h"
#include "bootstrap/installer_config.h"
#include "bootstrap/upgrade_library.h"
#include "bootstrap/wizard_rules.h"
#include "deploy/win_files.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/install_log_file.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/mesaj.h"
#include "toolkit/msg_dialog.h"

namespace kolvar::bootstrap {

namespace {

using toolkit::MsgDlgMask;
using toolkit::ShowMsgDialog;
using toolkit::TAlignment;

constexpr wchar_t kUpgradeArchive[] = L"UPGRADE.ZIP";

void ShowError(const std::wstring& text,
               const std::wstring& caption,
               toolkit::MsgDlgButton button) {
  ShowMsgDialog(text, caption, toolkit::mtError, TAlignment::taCenter, MsgDlgMask(button), button);
}

void PlaceOnScreen(toolkit::TMForm& page) {
  Place place = PagePlace(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                          page.Width(), page.Height());
  page.SetBounds(place.Left, place.Top, page.Width(), page.Height());
}

// The engine's registration writes under HKEY_LOCAL_MACHINE\SOFTWARE, and the program files go
// where only administrators write. A limited user (XP, or a later Windows with UAC off) is told
// here, before the first page and before anything is changed, rather than halfway through.
bool MayInstall() {
  DWORD result = WriteAccessResult(HKEY_LOCAL_MACHINE, L"SOFTWARE");
  if (result == ERROR_SUCCESS)
    return true;
  LogEvent(L"stopped before the first page: HKEY_LOCAL_MACHINE\\SOFTWARE cannot be written (" +
           SystemMessage(result) + L"); an administrator must run the installation");
  ShowError(NoRightsText(), kNoRightsCaption, toolkit::mbCancel);
  return false;
}

}  // namespace

std::wstring NoRightsText() {
  return L"Instalarea programului KOLVAR trebuie lansata\r"
         L"de un administrator al acestui calculator.\r"
         L"\r"
         L"Contul cu care lucrati nu poate scrie in registrul\r"
         L"sistemului (HKEY_LOCAL_MACHINE\\SOFTWARE),\r"
         L"unde se inregistreaza motorul bazei de date.\r"
         L"\r"
         L"Nu s-a modificat nimic pe acest calculator.";
}

std::wstring MissingPageText(int position) {
  return L"Pagina " + DecimalText(position) + L" a instalarii lipseste din program.";
}

void UnpackUpgradeLibrary() {
  InstallState& state = State();
  std::wstring archive = state.ExeDir + kUpgradeArchive;
  if (!state.UpgradeMode) {
    ::DeleteFileW(archive.c_str());
    return;
  }
  if (FileExists(archive)) {
    {
      uint32_t started = LogClock();
      deploy::WinFileSource source(archive);
      deploy::ZipArchive zip(source, kUpgradeArchive, deploy::DecodeOem);
      deploy::WinExtractTarget target(state.ExeDir);
      zip.ExtractAll(target, {});
      LogEvent(L"unpacked UPGRADE.ZIP into the private folder: " +
               CountText(static_cast<long long>(zip.entries().size()), L"entry", L"entries") +
               L", " + DecimalText(LogClock() - started) + L" ms");
    }
    ::DeleteFileW(archive.c_str());
    return;
  }
  if (!FileExists(UpgradeLibraryPath(state.ExeDir)))
    ShowError(L"Nu gasesc Upgrade.zip", L"", toolkit::mbOK);
}

bool AskClientUpgrade() {
  if (State().InstallType != kTypeClient)
    return true;
  toolkit::MessageHeading.clear();
  int answer = ShowMsgDialog(ClientQuestionText(), kClientQuestionCaption, toolkit::mtConfirmation,
                             TAlignment::taCenter,
                             MsgDlgMask(toolkit::mbYes) | MsgDlgMask(toolkit::mbNo), toolkit::mbNo);
  toolkit::MessageHeading = L"PENTRU CONTINUARE";
  return answer != 7;
}

void RunWizard(const PageTable& pages) {
  InstallState& state = State();
  if (!MayInstall()) {
    state.PageIndex = kStopPosition;
    LogEvent(EndEvent(kStopPosition, 0));
    return;
  }
  state.UpgradeMode = DetectUpgradeMode();
  LogEvent(state.UpgradeMode ? L"upgrade mode: the alias KOLVAR opens, the suite is installed"
                             : L"new installation: the alias KOLVAR does not open");
  // The background window paints before the archive is unpacked and the pages are made.
  toolkit::Application().ProcessMessages();
  UnpackUpgradeLibrary();
  ReadInstallerConfig();
  LogEvent(L"disks: " + DecimalText(state.DiskCount) + L" (NrDiscuri of INSTKOLV.CFG)");
  if (state.UpgradeMode) {
    state.PageIndex = kFindAppPosition;
    if (!BindUpgradeLibrary()) {
      state.PageIndex = kStopPosition;
      ShowError(L"Nu am putut incarca UPGRADE.DLL", L"Program incomplet!", toolkit::mbCancel);
    }
  }
  uint8_t lastPage = kStopPosition;
  int lastResult = 0;
  while (state.PageIndex != kStopPosition) {
    PageFactory factory = state.PageIndex < pages.size() ? pages[state.PageIndex] : nullptr;
    if (!factory) {
      // A program built without one of its pages cannot go on; it says so instead of failing.
      ShowError(MissingPageText(state.PageIndex), L"Program incomplet!", toolkit::mbCancel);
      state.PageIndex = kStopPosition;
      break;
    }
    std::unique_ptr<toolkit::TMForm> page = factory();
    PlaceOnScreen(*page);
    LogEvent(L"page " + std::wstring(PositionName(state.PageIndex)) + L" (" +
             DecimalText(state.PageIndex) + L") shown");
    int result = page->ShowModal();
    uint8_t from = state.PageIndex;
    lastPage = from;
    lastResult = result;
    if (result == kResultForward) {
      std::wstring committed =
          CommittedEvent(from, state.InstallType, state.ProgramDir, state.DataDir);
      if (!committed.empty())
        LogEvent(committed);
    }
    state.PageIndex =
        NextPosition(state.PageIndex, result, state.InstallType, [] { return AskClientUpgrade(); });
    LogEvent(PageMoveEvent(from, result, state.PageIndex));
  }
  LogEvent(EndEvent(lastPage, lastResult));
  // An installation or upgrade that reached its end page leaves its log in the program folder
  // too, where a supporter looks first.
  if (lastPage == kEndPosition && lastResult != kResultQuit && !state.ProgramDir.empty())
    AppendRunLogTo(IncludeTrailingBackslash(state.ProgramDir) + L"INSTKOLV.LOG");
}

}  // namespace kolvar::bootstrap
