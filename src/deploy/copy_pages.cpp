#include "deploy/copy_pages.h"

#include "bootstrap/install_state.h"
#include "bootstrap/main_window.h"
#include "deploy/win_media.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "toolkit/application.h"
#include "toolkit/mesaj.h"
#include "toolkit/msg_dialog.h"

namespace kolvar::deploy {

using namespace toolkit;

namespace {

constexpr const wchar_t* kEngineKey = L"Software\\Borland\\Database Engine\\Settings\\SYSTEM\\INIT";
constexpr const wchar_t* kWindowsKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr TColor kStatusColor = 0x0000FF;  // red

// What the assembly and the extraction show, on the page's own controls.
class PageView : public CopyView {
 public:
  explicit PageView(TCopyForm& page) : page_(page) {}
  void SetStatus(const std::wstring& text) override {
    page_.LGroupName->SetCaption(text);
    page_.LGroupName->Repaint();
  }
  void SetCopyMaximum(int maximum) override { page_.CopyProgress->SetMaxValue(maximum); }
  void SetCopyPosition(int position) override { page_.CopyProgress->SetProgress(position); }
  void SetUnzipMaximum(int maximum) override { page_.UnzipProgress->SetMaxValue(maximum); }
  void SetUnzipPosition(int position) override { page_.UnzipProgress->SetProgress(position); }
  void SetMessageHeading(const std::wstring& heading) override { MessageHeading = heading; }
  int ShowDiskPrompt(const std::wstring& text) override {
    return ShowMsgDialog(text, L"", mtWarning, TAlignment::taCenter,
                         MsgDlgMask(mbOK) | MsgDlgMask(mbCancel), mbOK);
  }
  void PumpMessages() override { Application().ProcessMessages(); }
  void SetModalResult(int result) override { page_.SetModalResult(result); }
  void ShowCannotDelete(const std::wstring& text) override {
    ::MessageBoxW(nullptr, text.c_str(), Application().Title().c_str(), MB_OK | MB_TASKMODAL);
    LogEvent(MessageEvent(Application().Title(), text, L"OK"));
  }

 private:
  TCopyForm& page_;
};

}  // namespace

void WinCopySystem::SetCurrentFolder(const std::wstring& folder) {
  if (!::SetCurrentDirectoryW(folder.c_str()))
    ThrowLastError(L"Nu pot deschide folderul " + folder);
}

std::unique_ptr<ByteSource> WinCopySystem::OpenArchive(const std::wstring& archive) {
  return std::make_unique<WinFileSource>(archive);
}

OemDecoder WinCopySystem::Oem() {
  return DecodeOem;
}

EngineRegistration WinCopySystem::ReadEngineRegistration() {
  EngineRegistration engine;
  std::optional<RegistryKey> key = RegistryKey::Open(HKEY_LOCAL_MACHINE, kEngineKey);
  engine.registered = key.has_value();
  if (key)
    engine.version = key->ReadString(L"VERSION");
  return engine;
}

std::optional<std::wstring> WinCopySystem::ProgramFilesDir() {
  std::optional<RegistryKey> key = RegistryKey::Open(HKEY_LOCAL_MACHINE, kWindowsKey);
  return key ? key->ReadString(L"ProgramFilesDir") : std::nullopt;
}

void WinCopySystem::CreateFolder(const std::wstring& path) {
  if (!DirectoryExists(path))
    ::CreateDirectoryW(path.c_str(), nullptr);
}

void WinCopySystem::ShowInstructions() {
  bootstrap::ShowInstructions(false);
}

void WinCopySystem::ShowOldEngineWarning(const std::wstring& text) {
  ShowMsgDialog(text, L"", mtError, TAlignment::taCenter, MsgDlgMask(mbOK), mbOK);
}

std::function<std::unique_ptr<CopySystem>()> TCopyForm::SystemForTests;

TCopyForm::TCopyForm(const wchar_t* name,
                     const wchar_t* caption,
                     CopyKind kind,
                     int pageIndex,
                     int& partCounter)
    : TWizardPage(name, caption, false),
      kind_(kind),
      pageIndex_(pageIndex),
      partCounter_(partCounter) {
  InstructionsChord = true;

  LGroupName->SetAutoSize(false);
  LGroupName->SetAlignment(TAlignment::taCenter);
  LGroupName->SetParentColor(true);
  LGroupName->SetBounds(160, 31, 470, 16);
  TFont status = LGroupName->Font();
  status.Style = fsBold;
  status.Color = kStatusColor;
  LGroupName->SetFont(status);
  LGroupName->SetCaption(L"Apasa 'Continua' pentru a incepe instalarea.....");

  Panel1->SetBevelOuter(TBevelCut::bvNone);
  Panel1->SetParentColor(true);
  Panel1->SetBounds(160, 52, 336, 56);
  Label1->SetParentColor(true);
  Label1->SetBounds(6, 8, 70, 16);
  Label1->SetCaption(L"Copiere:");
  CopyProgress->SetBounds(84, 5, 246, 19);
  Label2->SetParentColor(true);
  Label2->SetBounds(6, 34, 70, 16);
  Label2->SetCaption(L"Decompresie:");
  UnzipProgress->SetBounds(84, 31, 246, 19);
  for (TGauge* gauge : {CopyProgress, UnzipProgress})
    gauge->SetProgress(0);

  BNext->OnClick = Bind(this, &TCopyForm::BNextClick);
}

void TCopyForm::FormCreate() {
  bootstrap::State().PageIndex = static_cast<uint8_t>(pageIndex_);
  Counter = UnzipCounter{};
}

void TCopyForm::EnableButtons(bool enabled) {
  BBack->SetEnabled(enabled);
  BNext->SetEnabled(enabled);
  BCancel->SetEnabled(enabled);
}

void TCopyForm::BNextClick(TControl*) {
  EnableButtons(false);
  try {
    PageView view(*this);
    WinMediaFiles files;
    std::unique_ptr<CopySystem> system =
        SystemForTests ? SystemForTests() : std::make_unique<WinCopySystem>();
    CopyRun run(kind_, bootstrap::State(), view, files, *system, partCounter_, Counter);
    SetModalResult(run.Run());
  } catch (...) {
    // The page stays: what was written stays too, and Continue repeats the whole run.
    Application().HandleException();
    SetModalResult(0);
    EnableButtons(true);
  }
}

int TCopy::PartCounter = 0;
int TUpgCopy::PartCounter = 0;

TCopy::TCopy()
    : TCopyForm(L"TCopy", L"Copiere fisiere Kolvar", CopyKind::kNewInstall, 2, PartCounter) {}

TUpgCopy::TUpgCopy()
    : TCopyForm(L"TUpgCopy", L"Actualizare fisiere Kolvar", CopyKind::kUpgrade, 7, PartCounter) {}

}  // namespace kolvar::deploy
