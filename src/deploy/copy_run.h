// The run behind Continue on the two copy pages: the assembly, the extraction of every
// selected component into its folder, the engine rule and the clean-up. The pages supply the
// view and the system through small interfaces, so the run is tested natively. No
// <windows.h> here.
#pragma once

#include <optional>
#include <string>

#include "bootstrap/install_state.h"
#include "deploy/assembly.h"

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
  // Empties the seed folders below `dataDir`; the upgrade keeps pictures, made writable.
  // Failures are passed over.
  virtual void ClearSeedFolders(const std::wstring& dataDir, bool upgrade) = 0;
  // Unpacks `archive` (relative to the current folder) into `destination` with the
  // extraction gauge; `filter` picks the entries (all when empty); `pump` processes window
  // messages after each progress report. Throws Error naming what failed; files already
  // written stay.
  virtual void ExtractArchive(const std::wstring& archive,
                              const std::wstring& destination,
                              CopyView& view,
                              UnzipCounter& counter,
                              bool pump,
                              const EntryFilter& filter) = 0;
  // Creates (or keeps) an empty file at `path`, and the folders it needs. Throws Error with
  // the system's text.
  virtual void CreateMarker(const std::wstring& path) = 0;
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

// Lies in the data folder while the sample database is being unpacked: a database found
// beside it is an unfinished sample, not the user's, and a repeated run completes it.
inline constexpr const wchar_t* kSampleMarkerName = L"DBDAT.TMP";

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
  // any other exception) when a step failed: the remaining archives are not unpacked, the
  // joined archives stay, nothing written is removed, and a new run starts from the top.
  int Run();
  // The extraction run of the page's kind, then DeleteJoinedArchives.
  void UnzipArchives();

 private:
  bootstrap::ComponentSet Selection() const;
  void UnzipNewInstall();
  void UnzipUpgrade();
  // Whether the data folder (ending with "\\") held a database when the run reached it; a
  // sample database left unfinished by an earlier run does not count.
  bool HasDatabase();
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
