#include "pages/find_app.h"

#include <optional>

#include "bootstrap/install_state.h"
#include "bootstrap/upgrade_library.h"
#include "pages/dir_dialog.h"
#include "pages/pure/find_app_rules.h"
#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "toolkit/pure/palette.h"

namespace kolvar::pages {

using namespace toolkit;

namespace {

constexpr wchar_t kFirstTitle[] = L"Apasati 'Continua' pentru a localiza aplicatia!";
constexpr wchar_t kSecondTitle[] = L"Confirmati corectitudinea directorului program";
constexpr wchar_t kNotFound[] = L"Nu am gasit directorul program!!!";
constexpr wchar_t kNotAnInstallation[] = L"Nu gasesc instalare de KOLVAR...";
constexpr wchar_t kClientNotice[] = L"Am detectat o instalare client";
constexpr wchar_t kProfileSection[] = L"Kolvar";
// The program file as the profile entries are checked (the system ignores the case).
constexpr wchar_t kProfileProgramFile[] = L"Kolvar.exe";

// The folder of alias "KOLVAR" as the bound upgrade library gives it; empty without a library.
std::wstring KolvarAliasPath() {
  auto get = bootstrap::BoundUpgradeLibrary().GetAliasPath;
  if (!get)
    return L"";
  wchar_t buffer[bootstrap::kAliasPathBufferSize] = L"KOLVAR";
  CallGuarded(L"GetAliasPath", [&] { get(buffer); });
  // The library may fill the whole buffer: the text ends at the first NUL or at its end.
  buffer[bootstrap::kAliasPathBufferSize - 1] = L'\0';
  return buffer;
}

void SetupFolderEdit(TActiveEdit* edit, TActiveLabel* label) {
  edit->SetColor(clGrid);
  TFont font = edit->Font();
  font.Style = fsBold;
  edit->SetFont(font);
  edit->BorderColor = cl3;
  edit->BorderColorF = cl2;
  edit->FlatStyle = true;
  edit->SetAssocLabel(label);
}

void SetupSearchButton(TMButton* button) {
  button->SetKind(mkFind);
  button->SetCaption(L"Cauta...");
  button->CaptionVisible = false;
  button->SetModalResult(mrNone);
  button->SetParentColor(true);
}

}  // namespace

TFindApp::TFindApp() : TWizardPage(L"TFindApp", kFirstTitle, /*boldFont=*/true) {
  BNext->OnClick = Bind(this, &TFindApp::BNextClick);
  BBack->OnClick = Bind(this, &TFindApp::BBackClick);
  BCancel->OnClick = Bind(this, &TFindApp::BCancelClick);

  Panel1->SetBounds(168, 29, 305, 83);
  Panel1->SetBevelOuter(TBevelCut::bvNone);
  Panel1->SetParentColor(true);
  Panel1->SetCaption(L"");

  LProgram->SetCaption(L"&Program:");
  LProgram->SetBounds(11, 9, 50, 13);
  LProgram->FocusControl = RProgram;
  LProgram->OnClick = Bind(this, &TFindApp::LProgramClick);
  LDate->SetCaption(L"&Date:");
  LDate->SetBounds(11, 35, 50, 13);
  LDate->FocusControl = RDate;

  RProgram->SetBounds(70, 6, 190, 21);
  SetupFolderEdit(RProgram, LProgram);
  RDate->SetBounds(70, 32, 190, 21);
  SetupFolderEdit(RDate, LDate);
  RDate->SetReadOnly(true);

  BProgram->SetBounds(265, 6, 29, 21);
  SetupSearchButton(BProgram);
  BProgram->OnClick = Bind(this, &TFindApp::BProgramClick);
  BDate->SetBounds(265, 32, 29, 21);
  SetupSearchButton(BDate);
  BDate->SetEnabled(false);

  dirlabel->SetBounds(11, 58, 283, 16);
  dirlabel->SetTransparent(true);
  dirlabel->ShadowColor = ResolveColor(clBtnShadow);
  dirlabel->SetCaption(L"");
}

void TFindApp::FormCreate() {
  bootstrap::InstallState& state = bootstrap::State();
  state.PageIndex = 6;
  std::wstring aliasPath = KolvarAliasPath();
  state.ProposedDataDir = DataDirFromAliasPath(aliasPath);
  std::wstring root = DriveRootOf(state.ProposedDataDir);
  UINT driveType = DriveTypeOf(root);
  state.InstallType = InstallTypeForDriveType(driveType);
  LogEvent(L"locate: alias KOLVAR path \"" + aliasPath + L"\", data folder \"" +
           state.ProposedDataDir + L"\" on drive type " + DecimalText(driveType) +
           L", installation type " + DecimalText(state.InstallType));
  Activated = false;
  CanContinue = false;
}

void TFindApp::BNextClick(TControl* sender) {
  if (searching_)
    return;
  if (!Activated) {
    FormActivate(sender);
    return;
  }
  // A folder typed by hand is committed untested, but one without a root would be taken
  // from whatever folder is current when the copy runs: the field stays for a full path.
  if (!IsRootedPath(RProgram->Text())) {
    RProgram->SetFocus();
    return;
  }
  bootstrap::InstallState& state = bootstrap::State();
  state.ProposedProgramDir = RProgram->Text();
  state.ProgramDir = state.ProposedProgramDir;
  state.DataDir = state.ProposedDataDir;
  SetModalResult(mrOk);
}

void TFindApp::BBackClick(TControl* sender) {
  // The page closes with Back once the handler that runs the scan returns: stop it now.
  if (searching_)
    AskToStop = true;
}

void TFindApp::BCancelClick(TControl* sender) {
  AskToStop = true;
}

void TFindApp::FormActivate(TControl* sender) {
  if (Activated)
    return;
  Activated = true;
  std::wstring found = ProgramDirFromProfile();
  if (!found.empty()) {
    LogEvent(L"locate: program folder \"" + found + L"\" from WIN.INI [Kolvar]");
  } else {
    uint32_t started = LogClock();
    found = ScanDisks();
    LogEvent(L"locate: disk scan walked " + CountText(foldersSearched_, L"folder", L"folders") +
             L" in " + DecimalText(LogClock() - started) + L" ms: " +
             (found.empty() ? std::wstring(AskToStop ? L"stopped by the user" : L"nothing found")
                            : L"found \"" + found + L"\""));
  }

  bootstrap::InstallState& state = bootstrap::State();
  state.ProposedProgramDir = found.empty() ? std::wstring(kUnknownFolder) : found;
  if (found.empty())
    dirlabel->SetCaption(kNotFound);
  RProgram->SetText(state.ProposedProgramDir);
  RDate->SetText(state.InstallType == bootstrap::kTypeLocal ? state.ProposedDataDir
                                                            : std::wstring(kClientNotice));
  CanContinue = !found.empty();
  BNext->SetEnabled(CanContinue);
  SetCaption(kSecondTitle);
}

std::wstring TFindApp::ProgramDirFromProfile() const {
  std::wstring appPath = ReadWinIniString(kProfileSection, L"AppPath").value_or(L"");
  if (!appPath.empty() && FileExists(appPath + kProfileProgramFile))
    return appPath;
  std::wstring databasePath = ReadWinIniString(kProfileSection, L"DatabasePath").value_or(L"");
  if (databasePath.empty())
    return L"";
  std::wstring folder = ProgramDirFromDatabasePath(databasePath);
  if (!folder.empty() && FileExists(folder + kProfileProgramFile))
    return folder;
  return L"";
}

std::wstring TFindApp::ScanDisks() {
  AskToStop = false;
  foldersSearched_ = 0;
  searching_ = true;
  BNext->SetEnabled(false);
  BProgram->SetEnabled(false);
  std::wstring found;
  struct EndOfScan {
    TFindApp* page;
    ~EndOfScan() {
      page->searching_ = false;
      page->BNext->SetEnabled(true);
      page->BProgram->SetEnabled(true);
      page->dirlabel->SetCaption(L"");
    }
  } end{this};
  ProgramFolderScan scan(observer_, WindowsFolder());
  found = scan.ScanFixedDrives();
  if (AskToStop)
    found.clear();
  return found;
}

bool TFindApp::SearchFolder(const std::wstring& path) {
  ProgramFolderScan scan(observer_, WindowsFolder());
  return scan.SearchFolder(path);
}

void TFindApp::Searching(const std::wstring& folder) {
  // Painting the status line and asking for messages cost several times the listing of a
  // folder, and no eye follows more than a few dozen lines a second: the line shows the folder
  // being searched at most once per interval, and "&Abandon" is seen within one.
  ++foldersSearched_;
  DWORD now = ::GetTickCount();
  if (statusShown_ && now - lastStatus_ < kStatusInterval)
    return;
  statusShown_ = true;
  lastStatus_ = now;
  dirlabel->SetCaption(LiteralMarkup(SearchStatusText(folder)));
  // Only what is waiting: a status text equal to the last one queues nothing to wait for.
  Application().ProcessMessages();
}

void TFindApp::BProgramClick(TControl* sender) {
  if (searching_)
    return;
  // "????" names no folder: the picker then opens where it would on the folders page.
  std::wstring preset = RProgram->Text();
  if (preset == kUnknownFolder || preset.empty())
    preset = CurrentFolder();
  std::wstring picked;
  if (PickFolder(preset, picked)) {
    RProgram->SetText(picked);
    CanContinue = IsProgramFolder(picked);
    LogEvent(L"locate: folder picked \"" + picked +
             (CanContinue ? L"\", a program folder" : L"\", not a program folder"));
    dirlabel->SetCaption(CanContinue ? L"" : kNotAnInstallation);
  }
  BNext->SetEnabled(CanContinue);
}

}  // namespace kolvar::pages
