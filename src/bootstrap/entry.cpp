#include "bootstrap/entry.h"

#include <windows.h>

#include <clocale>

#include "bootstrap/engine_session.h"
#include "bootstrap/install_state.h"
#include "bootstrap/installer_window.h"
#include "bootstrap/instructions_path.h"
#include "bootstrap/startup_rules.h"
#include "bootstrap/upgrade_library.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/install_log_file.h"
#include "platform/process.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "toolkit/application.h"
#include "toolkit/mesaj.h"
#include "toolkit/title_bar.h"

namespace kolvar::bootstrap {

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

struct CompanionFile {
  const wchar_t* onMedia;
  const wchar_t* inPrivateFolder;
};
constexpr CompanionFile kCompanions[] = {
    {L"INSTALL.EXE", kCopiedExe},
    {L"UPGRADE.1", L"UPGRADE.ZIP"},
    {L"INSTALL.CFG", L"INSTKOLV.CFG"},
};

void StartUp() {
  toolkit::Application().SetTitle(L"KOLVAR");
  // Version texts and the instructions folder name are built with "." as decimal separator.
  std::setlocale(LC_NUMERIC, "C");
  // Before any window exists: every title-bar form made from here on is frameless.
  toolkit::SetFramelessSwitch(true);
}

void TemporaryFolderRun(const std::wstring& markerLine, const PageTable& pages) {
  State().SourceDir = SourceDirFromMarker(markerLine);
  // Beside the program in the private folder, which stays after the run: the record of what
  // this run did, for whoever supports the installation later.
  OpenInstallLog(State().ExeDir + kLogFile, markerLine, VersionFolderName(ProductVersion));
  // The shared pictures are drawn here rather than in StartUp: the media run shows no window
  // and ends sooner without them.
  toolkit::InitializeToolkit();
  toolkit::TApplication& application = toolkit::Application();
  {
    std::unique_ptr<TInstaller> installer = toolkit::CreateForm<TInstaller>();
    application.SetMainForm(installer.get());
    installer->Show();
    try {
      RunWizard(pages);
    } catch (...) {
      application.HandleException();
      LogEvent(L"end: stopped by the error above");
    }
    application.SetMainForm(nullptr);
  }
  // The library before the engine: it may still hold the engine's handles.
  BoundUpgradeLibrary().Release();
  StopDatabaseEngine();
  CloseInstallLog();
}

}  // namespace

std::optional<std::wstring> ReadMarker(const std::wstring& exeDir) {
  std::string bytes;
  try {
    bytes = ReadFileBytes(exeDir + kMarkerFile);
  } catch (const SystemError&) {
    return std::nullopt;
  }
  bool utf8 = bytes.rfind(kUtf8Bom, 0) == 0;
  if (utf8)
    bytes.erase(0, 3);
  size_t end = bytes.find_first_of("\r\n");
  if (end != std::string::npos)
    bytes.resize(end);
  return utf8 ? Utf8ToWide(bytes) : AnsiToWide(bytes);
}

void WriteMarker(const std::wstring& folder, const std::wstring& mediaDir) {
  std::optional<std::string> line = WideToAnsiExact(mediaDir);
  if (!line) {
    line.emplace(kUtf8Bom);
    *line += WideToUtf8(mediaDir);
  }
  WriteFileBytes(folder + kMarkerFile, *line + "\r\n");
}

std::wstring RelaunchFromTemp(const std::wstring& exeDir) {
  // The media run shows no window; its lines in the temporary folder's log are all there is
  // to read when the copy never starts (a policy against programs there, an antivirus).
  OpenMediaRunLog(exeDir, VersionFolderName(ProductVersion));
  std::wstring name = GuidToFolderName(NewGuidText().value_or(L""));
  std::wstring folder = PrivateFolderPath(TemporaryFolder(), name);
  bool made = ForceDirectories(folder);
  LogEvent(L"media run: private folder " + folder + (made ? L" made" : L" could not be made"));
  for (const auto& file : kCompanions) {
    bool copied = CopyFileReplacing(exeDir + file.onMedia, folder + file.inPrivateFolder);
    DWORD code = copied ? 0 : ::GetLastError();
    LogEvent(L"media run: " + std::wstring(file.onMedia) +
             (copied ? L" copied as " + std::wstring(file.inPrivateFolder)
                     : L" not copied: " + SystemMessage(code)));
  }
  try {
    WriteMarker(folder, exeDir);
    // Quoted: the temporary folder may hold blanks.
    std::wstring command = L"\"" + folder + kCopiedExe + L"\"";
    LogEvent(L"media run: starting " + command);
    RunProgram(command, SW_SHOW, false);
    LogEvent(L"media run: the copy started");
  } catch (const Error& error) {
    LogEvent(L"media run: the copy did not start: " + error.message());
    CloseInstallLog();
    throw;
  }
  CloseInstallLog();
  return folder;
}

int InstallerMain(const PageTable& pages) {
  StartUp();
  InstallState& state = State();
  state.ExeDir = ExecutableFolder();
  if (auto marker = ReadMarker(state.ExeDir)) {
    TemporaryFolderRun(*marker, pages);
  } else {
    RelaunchFromTemp(state.ExeDir);
  }
  return 0;
}

}  // namespace kolvar::bootstrap
