// The run behind Continue on the two copy pages: the assembly, the extraction of every
// selected component into its folder, the engine rule and the clean-up. The pages supply the
// view and the system through small interfaces, so the run is tested natively. No
// <windows.h> here.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bootstrap/install_state.h"
#include "deploy/assembly.h"
#include "deploy/file_layer.h"

namespace kolvar::deploy {

// The database engine's registration as the registry shows it.
struct EngineRegistration {
  bool registered = false;              // the engine's INIT key exists
  std::optional<std::wstring> version;  // its "VERSION" value, when there is one
};

// What the extraction run asks of the system besides the media files.
class CopySystem {
 public:
  virtual ~CopySystem() = default;
  // Makes `folder` the current folder. Throws Error with the system's text.
  virtual void SetCurrentFolder(const std::wstring& folder) = 0;
  // The file system through which every write of the run goes.
  virtual FileSystem& Files() = 0;
  // Opens an archive (relative to the current folder) for reading. Throws Error naming it,
  // with the system's reason, when it cannot be opened.
  virtual std::unique_ptr<ByteSource> OpenArchive(const std::wstring& archive) = 0;
  // How names not marked UTF-8 are read.
  virtual OemDecoder Oem() { return DecodeCp437; }
  // Unpacks `archive` into `target` with the extraction gauge (ExtractWithGauge); `pump`
  // processes window messages after each progress report.
  virtual void Unpack(const ZipArchive& archive,
                      ExtractTarget& target,
                      CopyView& view,
                      UnzipCounter& counter,
                      bool pump,
                      const EntryFilter& filter) {
    ExtractWithGauge(archive, target, view, counter, pump, filter);
  }
  // The engine's key under HKEY_LOCAL_MACHINE and its "VERSION" value.
  virtual EngineRegistration ReadEngineRegistration() = 0;
  // "ProgramFilesDir" of the system; nullopt when it cannot be read.
  virtual std::optional<std::wstring> ProgramFilesDir() = 0;
  // Creates one folder when it does not exist; a failure is passed over.
  virtual void CreateFolder(const std::wstring& path) = 0;
  // Offers the release instructions after a program-folder archive.
  virtual void ShowInstructions() = 0;
  // The old-engine warning: an error message with an OK button, text centred.
  virtual void ShowOldEngineWarning(const std::wstring& text) = 0;
};

// Set when a registered engine older than version 4 was found; kept for the process.
extern bool OldEngineFound;
// Whether the archive being unpacked by the upgrade belongs to the program folder.
extern bool ProgramArchiveFlag;
// The full paths of the files the program archives of the last copy run wrote: where the data
// folder is the program folder, they are not part of the firm's database.
extern std::vector<std::wstring> ProgramFilesOfThisRun;

// The sample database is unpacked into this folder below the data folder and moved into
// place only once it is whole, and only when there is no database there at that moment.
inline constexpr const wchar_t* kSampleStagingName = L"~DBDAT.STG";
// Told after a failed run, whose changes were all put back.
inline constexpr const wchar_t* kUpgradeKeptText =
    L"Versiunea anterioara a fost pastrata si functioneaza in continuare.\r"
    L"Apasati 'Continua' pentru a incerca din nou.";
inline constexpr const wchar_t* kInstallKeptText =
    L"Fisierele existente au ramas asa cum erau.\rApasati 'Continua' pentru a incerca din nou.";

// Whether the seed clean-up moves `item` (an entry of a seed folder) away.
bool SeedFileMovedAway(const FolderItem& item, bool upgrade);
// Empties the seed folders below `dataDir` through `transaction`; the upgrade keeps
// pictures, made writable. Read-only files are passed over, as the system's delete passes
// over them; any other failure throws Error (the run is then rolled back).
void ClearSeedFolders(WriteTransaction& transaction,
                      FileSystem& files,
                      const std::wstring& dataDir,
                      bool upgrade);

inline constexpr const wchar_t* kOldEngineHeading = L"Protectia aplicatiilor existente";
inline constexpr const wchar_t* kOldEngineText =
    L"Am gasit o instalare mai veche de\rmotor baza de date (BDE)...\r"
    L"Daca ProKOLVAR nu functioneaza, contactati-ne.\r";
inline constexpr const wchar_t* kLaterHeading = L"PENTRU CONTINUARE";
// The engine's folder below the program-files folder.
inline constexpr const wchar_t* kEngineFolders[3] = {L"\\Borland", L"\\Borland\\Common Files",
                                                     L"\\Borland\\Common Files\\BDE"};

// The engine rule of the new installation: a registered engine, old or not, is left as it
// is (nullopt: the engine archive is skipped), with a warning when it is older than 4;
// otherwise the engine's folder below the program-files folder, created level by level.
std::optional<std::wstring> EngineDestination(CopySystem& system, CopyView& view);

// Which copy page runs.
enum class CopyKind { kNewInstall, kUpgrade };

// One press of Continue on a copy page.
class CopyRun {
 public:
  CopyRun(CopyKind kind,
          bootstrap::InstallState& state,
          CopyView& view,
          MediaFiles& files,
          CopySystem& system,
          int& partCounter,
          UnzipCounter& counter)
      : kind_(kind),
        state_(state),
        view_(view),
        files_(files),
        system_(system),
        partCounter_(partCounter),
        counter_(counter) {}

  // Joins the archives, unpacks them and deletes them. Returns 1 when the run went to its
  // end and 2 when a disk prompt was cancelled (nothing is unpacked then). Throws Error (or
  // any other exception) when a step failed; every change of the unpacking is then undone
  // (the message says so), the joined archives stay, and a new run starts from the top.
  int Run();
  // Puts back what a run that died left, opens every archive of the page, checks room and
  // files in use, unpacks them all or nothing, then DeleteJoinedArchives.
  void UnzipArchives();

 private:
  // One archive of the run, opened before anything is written.
  struct Step {
    int row = 0;
    std::wstring archive;
    std::wstring destination;
    EntryFilter filter;
    bool clearSeed = false, seedUpgrade = false;
    bool sample = false;  // the sample database: staged, moved in only over no database
    bool engine = false;  // destination decided at its turn (EngineDestination)
    bool program = false;
    std::unique_ptr<ByteSource> source;
    std::unique_ptr<ZipArchive> zip;
  };
  bootstrap::ComponentSet Selection() const;
  std::vector<Step> PlanNewInstall();
  std::vector<Step> PlanUpgrade();
  void Open(Step& step);
  void Check(const std::vector<Step>& steps);
  // Unpacks one archive through the transaction, logging it; UnpackStep does the work.
  void Unzip(Step& step, WriteTransaction& transaction, FileSystem& files);
  void UnpackStep(Step& step, WriteTransaction& transaction, FileSystem& files);
  void MoveSampleIntoPlace(const std::wstring& staging,
                           const std::wstring& relative,
                           WriteTransaction& transaction,
                           FileSystem& files);
  // Whether the data folder (ending with "\") holds a database: DATA\FIRME.DB or
  // DATA\OPERATOR.DB; asked once, before the first data archive.
  bool HasDatabase();
  bool DatabaseExistsNow(FileSystem& files) const;
  // Gives DataDir its trailing "\" (kept in the state).
  void TerminateDataDir();

  CopyKind kind_;
  bootstrap::InstallState& state_;
  CopyView& view_;
  MediaFiles& files_;
  CopySystem& system_;
  int& partCounter_;
  UnzipCounter& counter_;
  std::optional<bool> databaseFound_;
};

}  // namespace kolvar::deploy
