#include "deploy/copy_run.h"

#include "platform/text.h"

namespace kolvar::deploy {

using bootstrap::Components;
using bootstrap::TDestType;

bool OldEngineFound = false;
bool ProgramArchiveFlag = false;

std::optional<std::wstring> EngineDestination(CopySystem& system, CopyView& view) {
  EngineRegistration engine = system.ReadEngineRegistration();
  if (engine.registered) {
    if (IsOldEngine(engine.version))
      OldEngineFound = true;
    if (engine.version && OldEngineFound) {
      view.SetMessageHeading(kOldEngineHeading);
      system.ShowOldEngineWarning(kOldEngineText);
      view.SetMessageHeading(kLaterHeading);
    }
    return std::nullopt;
  }
  // Without a readable program-files folder the folders go to the current drive's root.
  std::wstring programFiles = system.ProgramFilesDir().value_or(L"");
  for (const wchar_t* folder : kEngineFolders)
    system.CreateFolder(programFiles + folder);
  return programFiles + kEngineFolders[2];
}

int CopyRun::Run() {
  ArchiveAssembly assembly(state_, Selection(), view_, files_, partCounter_);
  if (!assembly.AssembleArchives())
    return 2;
  UnzipArchives();
  return 1;
}

bootstrap::ComponentSet CopyRun::Selection() const {
  return kind_ == CopyKind::kUpgrade ? bootstrap::UpgradeSet(state_.InstallType)
                                     : bootstrap::NewInstallSet(state_.InstallType);
}

void CopyRun::UnzipArchives() {
  system_.SetCurrentFolder(FolderWithoutTrailingBackslash(state_.ProposedProgramDir));
  if (kind_ == CopyKind::kUpgrade)
    UnzipUpgrade();
  else
    UnzipNewInstall();
  DeleteJoinedArchives(state_.ProgramDir, view_, files_);
}

void CopyRun::TerminateDataDir() {
  if (!state_.DataDir.empty() && state_.DataDir.back() != L'\\')
    state_.DataDir += L'\\';
}

bool CopyRun::HasDatabase() {
  // Asked once, before the first data archive: what the sample database brings in this run
  // is not the user's, and neither is what an earlier run left of it unfinished.
  if (!databaseFound_)
    databaseFound_ = !files_.FileExists(state_.DataDir + kSampleMarkerName) &&
                     (files_.FileExists(state_.DataDir + L"DATA\\FIRME.DB") ||
                      files_.FileExists(state_.DataDir + L"DATA\\OPERATOR.DB"));
  return *databaseFound_;
}

void CopyRun::UnzipNewInstall() {
  for (int row : SelectComponents(Selection())) {
    const bootstrap::TCompRecord& component = Components[row];
    view_.SetStatus(component.CompName);
    std::wstring archive = std::wstring(component.FileName) + L".ZIP";
    std::wstring upper = AsciiUpper(archive);
    if (!files_.FileExists(archive) && (upper == L"LUNARIS.ZIP" || upper == L"TORNEVA.ZIP"))
      continue;
    std::wstring destination;
    EntryFilter filter;
    switch (component.DestType) {
      case TDestType::dtProgram:
        destination = state_.ProgramDir;
        break;
      case TDestType::dtDatabaseDat:
      case TDestType::dtDatabaseNew:
        TerminateDataDir();
        if (component.DestType == TDestType::dtDatabaseNew) {
          // Over an existing database the seed tree is the firm's too: it is refreshed as an
          // upgrade refreshes it (pictures kept), and the seed archive brings its seed tree
          // only, since its own working tables would replace the user's.
          system_.ClearSeedFolders(state_.DataDir, HasDatabase());
          if (HasDatabase())
            filter = [](const ZipEntry& entry) { return ConfirmEntry(entry.name, false); };
        } else if (HasDatabase()) {
          // An existing database is never overwritten by the sample one.
          continue;
        } else {
          // Until the sample database is whole, a repeated run must not take it for the
          // user's: the marker says it is ours and unfinished.
          system_.CreateMarker(state_.DataDir + kSampleMarkerName);
        }
        destination = state_.DataDir;
        break;
      case TDestType::dtProgramFiles: {
        std::optional<std::wstring> engine = EngineDestination(system_, view_);
        if (!engine)
          continue;
        destination = *engine;
        break;
      }
    }
    system_.ExtractArchive(archive, destination, view_, counter_, false, filter);
    if (component.DestType == TDestType::dtDatabaseDat)
      files_.DeleteOrFail(state_.DataDir + kSampleMarkerName);
    if (component.DestType == TDestType::dtProgram)
      system_.ShowInstructions();
  }
}

void CopyRun::UnzipUpgrade() {
  for (int row : SelectComponents(Selection())) {
    const bootstrap::TCompRecord& component = Components[row];
    view_.SetStatus(component.CompName);
    std::wstring archive = std::wstring(component.FileName) + L".ZIP";
    std::wstring destination;
    if (component.DestType == TDestType::dtProgram) {
      destination = state_.ProgramDir;
    } else if (component.DestType == TDestType::dtDatabaseNew) {
      TerminateDataDir();
      destination = state_.DataDir;
    } else {
      continue;
    }
    ProgramArchiveFlag = component.DestType == TDestType::dtProgram;
    if (!files_.FileExists(archive))
      continue;
    // The seed folders are emptied only when the seed archive is there to fill them again.
    if (component.DestType == TDestType::dtDatabaseNew)
      system_.ClearSeedFolders(state_.DataDir, true);
    bool program = ProgramArchiveFlag;
    system_.ExtractArchive(
        archive, destination, view_, counter_, true,
        [program](const ZipEntry& entry) { return ConfirmEntry(entry.name, program); });
    if (component.DestType == TDestType::dtProgram)
      system_.ShowInstructions();
  }
}

}  // namespace kolvar::deploy
