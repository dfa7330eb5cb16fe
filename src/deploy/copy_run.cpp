#include "deploy/copy_run.h"

#include "platform/install_log.h"
#include "platform/text.h"

namespace kolvar::deploy {

using bootstrap::Components;
using bootstrap::TDestType;

bool OldEngineFound = false;
bool ProgramArchiveFlag = false;
std::vector<std::wstring> ProgramFilesOfThisRun;

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

bool SeedFileMovedAway(const FolderItem& item, bool upgrade) {
  // Read-only files stay, as the system's delete leaves them.
  return !item.IsFolder() && !(item.attributes & kAttrReadOnly) &&
         SeedEntryAction(item.name, item.attributes, upgrade) == SeedAction::kDelete;
}

void ClearSeedFolders(WriteTransaction& transaction,
                      FileSystem& files,
                      const std::wstring& dataDir,
                      bool upgrade) {
  std::wstring base = IncludeTrailingBackslash(dataDir);
  for (const wchar_t* seed : kSeedFolders) {
    std::wstring folder = base + seed;
    for (const FolderItem& item : files.List(folder)) {
      std::wstring path = folder + item.name;
      switch (SeedEntryAction(item.name, item.attributes, upgrade)) {
        case SeedAction::kLeave:
          break;
        case SeedAction::kKeepWritable:
          transaction.SetAttributes(path, kAttrNormal);
          break;
        case SeedAction::kDelete:
          if (SeedFileMovedAway(item, upgrade))
            transaction.Remove(path);
          break;
      }
    }
  }
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

void CopyRun::TerminateDataDir() {
  if (!state_.DataDir.empty() && state_.DataDir.back() != L'\\')
    state_.DataDir += L'\\';
}

bool CopyRun::DatabaseExistsNow(FileSystem& files) const {
  // A marker or a staging folder left by an earlier run never outweighs the firm's tables.
  for (const wchar_t* table : {L"DATA\\FIRME.DB", L"DATA\\OPERATOR.DB"})
    if (std::optional<uint32_t> attributes = files.Attributes(state_.DataDir + table);
        attributes && !(*attributes & kAttrDirectory))
      return true;
  return false;
}

bool CopyRun::HasDatabase() {
  // Asked once, before the first data archive: what the sample database brings in this run
  // is not the user's.
  if (!databaseFound_)
    databaseFound_ = DatabaseExistsNow(system_.Files());
  return *databaseFound_;
}

void CopyRun::Open(Step& step) {
  try {
    step.source = system_.OpenArchive(step.archive);
    step.zip = std::make_unique<ZipArchive>(*step.source, step.archive, system_.Oem());
  } catch (const Error& error) {
    LogEvent(L"opening " + step.archive + L" failed, nothing written: " + error.message());
    throw;
  }
}

std::vector<CopyRun::Step> CopyRun::PlanNewInstall() {
  std::vector<Step> steps;
  for (int row : SelectComponents(Selection())) {
    const bootstrap::TCompRecord& component = Components[row];
    Step step;
    step.row = row;
    step.archive = std::wstring(component.FileName) + L".ZIP";
    std::wstring upper = AsciiUpper(step.archive);
    if (!files_.FileExists(step.archive) && (upper == L"LUNARIS.ZIP" || upper == L"TORNEVA.ZIP"))
      continue;
    switch (component.DestType) {
      case TDestType::dtProgram:
        step.destination = state_.ProgramDir;
        step.program = true;
        break;
      case TDestType::dtDatabaseDat:
      case TDestType::dtDatabaseNew:
        TerminateDataDir();
        if (component.DestType == TDestType::dtDatabaseNew) {
          // Over an existing database the seed tree is the firm's too: it is refreshed as an
          // upgrade refreshes it (pictures kept), and the seed archive brings its seed tree
          // only, since its own working tables would replace the user's.
          step.clearSeed = true;
          step.seedUpgrade = HasDatabase();
          if (HasDatabase())
            step.filter = [](const ZipEntry& entry) { return ConfirmEntry(entry.name, false); };
        } else if (HasDatabase()) {
          // An existing database is never overwritten by the sample one.
          continue;
        } else {
          step.sample = true;
        }
        step.destination = state_.DataDir;
        break;
      case TDestType::dtProgramFiles: {
        step.engine = true;
        // Where the engine will go, for the room check; the rule itself (and its warning)
        // runs at the engine's turn. A registered engine is left as it is: its archive is
        // neither needed nor opened.
        EngineRegistration engine = system_.ReadEngineRegistration();
        if (engine.registered) {
          steps.push_back(std::move(step));
          continue;
        }
        step.destination = system_.ProgramFilesDir().value_or(L"") + kEngineFolders[2];
        break;
      }
    }
    Open(step);
    steps.push_back(std::move(step));
  }
  return steps;
}

std::vector<CopyRun::Step> CopyRun::PlanUpgrade() {
  std::vector<Step> steps;
  for (int row : SelectComponents(Selection())) {
    const bootstrap::TCompRecord& component = Components[row];
    Step step;
    step.row = row;
    step.archive = std::wstring(component.FileName) + L".ZIP";
    if (component.DestType == TDestType::dtProgram) {
      step.destination = state_.ProgramDir;
      step.program = true;
    } else if (component.DestType == TDestType::dtDatabaseNew) {
      TerminateDataDir();
      step.destination = state_.DataDir;
      // The seed folders are emptied only when the seed archive is there to fill them again.
      step.clearSeed = true;
      step.seedUpgrade = true;
    } else {
      continue;
    }
    if (!files_.FileExists(step.archive))
      continue;
    bool program = step.program;
    step.filter = [program](const ZipEntry& entry) { return ConfirmEntry(entry.name, program); };
    Open(step);
    steps.push_back(std::move(step));
  }
  return steps;
}

void CopyRun::Check(const std::vector<Step>& steps) {
  FileSystem& files = system_.Files();
  std::vector<PlannedFile> plan;
  ProgramFilesOfThisRun.clear();
  for (const Step& step : steps) {
    // What the seed clean-up will move away must not be held open either.
    if (step.clearSeed)
      for (const wchar_t* seed : kSeedFolders) {
        std::wstring folder = state_.DataDir + seed;
        for (const FolderItem& item : files.List(folder))
          if (SeedFileMovedAway(item, step.seedUpgrade))
            plan.push_back({folder + item.name, 0});
      }
    if (step.destination.empty())
      continue;
    for (const ZipEntry& entry : step.zip->entries()) {
      if (entry.isDirectory() || (step.filter && !step.filter(entry)))
        continue;
      std::optional<std::wstring> relative = SafeRelativePath(entry.name);
      if (relative && !relative->empty()) {
        plan.push_back({JoinPath(step.destination, *relative), entry.uncompressedSize});
        if (step.program)
          ProgramFilesOfThisRun.push_back(plan.back().path);
      }
    }
  }
  WriteCheck check = CheckBeforeWriting(files, plan);
  for (const std::wstring& line : check.neededText)
    LogEvent(L"room: " + line);
  if (!check.shortfalls.empty()) {
    LogEvent(L"not enough room on " + check.shortfalls.front().volume + L": nothing written");
    throw Error(NoRoomText(check.shortfalls.front()));
  }
  if (!check.inUse.empty()) {
    std::wstring list;
    for (const std::wstring& path : check.inUse)
      list += L" " + path;
    LogEvent(CountText(static_cast<long long>(check.inUse.size()), L"file", L"files") +
             L" in use:" + list + L"; nothing written");
    throw Error(FilesInUseText(check.inUse));
  }
}

void CopyRun::MoveSampleIntoPlace(const std::wstring& staging,
                                  const std::wstring& relative,
                                  WriteTransaction& transaction,
                                  FileSystem& files) {
  std::wstring from = relative.empty() ? staging : JoinPath(staging, relative);
  std::wstring to = relative.empty() ? FolderWithoutTrailingBackslash(state_.DataDir)
                                     : JoinPath(state_.DataDir, relative);
  transaction.CreateFolders(to);
  for (const FolderItem& item : files.List(from)) {
    std::wstring child = relative.empty() ? item.name : JoinPath(relative, item.name);
    if (item.IsFolder())
      MoveSampleIntoPlace(staging, child, transaction, files);
    else
      transaction.MoveInto(JoinPath(staging, child), JoinPath(state_.DataDir, child));
  }
}

void CopyRun::UnpackStep(Step& step, WriteTransaction& transaction, FileSystem& files) {
  if (step.sample) {
    std::wstring staging = state_.DataDir + kSampleStagingName;
    transaction.CreateScratchFolder(staging);
    ReplacingTarget target(files, staging, FolderWithoutTrailingBackslash(state_.DataDir));
    system_.Unpack(*step.zip, target, view_, counter_, kind_ == CopyKind::kUpgrade, step.filter);
    if (DatabaseExistsNow(files)) {
      LogEvent(L"sample database discarded: a database is in \"" + state_.DataDir + L"\"");
    } else {
      MoveSampleIntoPlace(staging, std::wstring(), transaction, files);
      LogEvent(L"sample database moved into \"" + state_.DataDir + L"\"");
    }
    transaction.DeleteScratchFolder(staging);
  } else {
    TransactionTarget target(transaction, step.destination);
    system_.Unpack(*step.zip, target, view_, counter_, kind_ == CopyKind::kUpgrade, step.filter);
  }
}

void CopyRun::Unzip(Step& step, WriteTransaction& transaction, FileSystem& files) {
  uint32_t started = LogClock();
  std::wstring destination = step.destination;
  try {
    UnpackStep(step, transaction, files);
  } catch (const Error& error) {
    LogEvent(L"unpacking " + step.archive + L" into \"" + destination + L"\" failed after " +
             DecimalText(LogClock() - started) + L" ms: " + error.message());
    throw;
  }
  size_t taken = 0, leftOut = 0;
  uint64_t bytes = 0;
  for (const ZipEntry& entry : step.zip->entries()) {
    if (step.filter && !step.filter(entry)) {
      ++leftOut;
    } else {
      ++taken;
      bytes += entry.uncompressedSize;
    }
  }
  std::wstring event = L"unpacked " + step.archive + L" into \"" + destination + L"\": " +
                       CountText(static_cast<long long>(taken), L"entry", L"entries") + L", " +
                       DecimalText(static_cast<long long>(bytes)) + L" bytes, " +
                       DecimalText(LogClock() - started) + L" ms";
  if (step.filter)
    event += L", " + DecimalText(static_cast<long long>(leftOut)) + L" left out by the filter";
  LogEvent(event);
}

void CopyRun::UnzipArchives() {
  system_.SetCurrentFolder(FolderWithoutTrailingBackslash(state_.ProposedProgramDir));
  FileSystem& files = system_.Files();
  bool upgrade = kind_ == CopyKind::kUpgrade;

  // Every archive is opened and its directory read before the first write: a missing or
  // damaged one changes nothing.
  std::vector<Step> steps = upgrade ? PlanUpgrade() : PlanNewInstall();

  std::vector<std::wstring> roots{state_.ProgramDir};
  for (const Step& step : steps)
    if (step.zip)
      roots.push_back(step.destination);
  WriteTransaction transaction(files, roots);
  if (size_t undone = transaction.RecoverEarlierRun())
    LogEvent(L"roll-back: an earlier run that did not end was put back (" +
             CountText(static_cast<long long>(undone), L"change", L"changes") + L")");
  Check(steps);

  LogEvent(L"roll-back begun: the old files are kept in " +
           JoinPath(FolderWithoutTrailingBackslash(state_.ProgramDir), kRollbackFolderName) +
           L" until the run ends");
  try {
    for (Step& step : steps) {
      const bootstrap::TCompRecord& component = Components[step.row];
      view_.SetStatus(component.CompName);
      if (upgrade)
        ProgramArchiveFlag = step.program;
      if (step.engine) {
        std::optional<std::wstring> engine = EngineDestination(system_, view_);
        if (!engine || !step.zip)
          continue;
        step.destination = *engine;
      }
      if (step.clearSeed)
        ClearSeedFolders(transaction, files, state_.DataDir, step.seedUpgrade);
      Unzip(step, transaction, files);
      if (step.program)
        system_.ShowInstructions();
    }
  } catch (const Error& error) {
    size_t changes = transaction.Changes();
    bool whole = transaction.Rollback();
    LogEvent(L"roll-back " + std::wstring(whole ? L"finished" : L"left unfinished") + L": " +
             CountText(static_cast<long long>(changes), L"change", L"changes") + L" undone");
    std::wstring text = error.message() + L"\r\r";
    if (whole)
      text += upgrade ? kUpgradeKeptText : kInstallKeptText;
    else
      text += L"Nu am putut pune inapoi toate fisierele; ele sunt pastrate in " +
              JoinPath(FolderWithoutTrailingBackslash(state_.ProgramDir), kRollbackFolderName) +
              L" si vor fi puse inapoi la urmatoarea rulare.";
    if (dynamic_cast<const ZipError*>(&error))
      throw ZipError(text);
    throw Error(text);
  } catch (...) {
    transaction.Rollback();
    LogEvent(L"roll-back finished after an unexpected failure");
    throw;
  }
  size_t changes = transaction.Changes();
  transaction.Commit();
  steps.clear();  // the archives are closed before they are deleted
  LogEvent(L"roll-back folders deleted: the run ended well (" +
           CountText(static_cast<long long>(changes), L"change", L"changes") + L")");
  DeleteJoinedArchives(state_.ProgramDir, view_, files_);
}

}  // namespace kolvar::deploy
