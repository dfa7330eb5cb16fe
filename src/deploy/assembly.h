// Joining the archive parts from the installation disks, extracting one joined archive with
// the two gauges, and deleting the joined archives. The page and the system reach this code
// through two small interfaces, so it runs natively (the media tool, the unit tests) and
// under Windows alike. No <windows.h> here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bootstrap/install_state.h"
#include "deploy/copy_rules.h"
#include "deploy/zip_reader.h"

namespace kolvar::deploy {

// What the assembly and the extraction show and ask through the copy page.
class CopyView {
 public:
  virtual ~CopyView() = default;
  // The status line (LGroupName), repainted at once.
  virtual void SetStatus(const std::wstring& text) = 0;
  // CopyProgress and UnzipProgress: range 0..maximum, position clamped by the gauge.
  virtual void SetCopyMaximum(int maximum) = 0;
  virtual void SetCopyPosition(int position) = 0;
  virtual void SetUnzipMaximum(int maximum) = 0;
  virtual void SetUnzipPosition(int position) = 0;
  // The toolkit's message heading, kept for every later message.
  virtual void SetMessageHeading(const std::wstring& heading) = 0;
  // The disk prompt: a warning with OK and Cancel; returns the modal result (2 Cancel).
  virtual int ShowDiskPrompt(const std::wstring& text) = 0;
  // Lets the application process pending window messages.
  virtual void PumpMessages() = 0;
  // The page's modal result.
  virtual void SetModalResult(int result) = 0;
  // The plain message box shown when a joined archive cannot be deleted.
  virtual void ShowCannotDelete(const std::wstring& text) = 0;
};

// The files the assembly reads and writes, and the drive-type query.
class MediaFiles {
 public:
  virtual ~MediaFiles() = default;
  // Whether the drive holding `path` is removable (a floppy drive).
  virtual bool IsRemovableDrive(const std::wstring& path) = 0;
  // Whether `path` is an existing plain file (a folder does not count).
  virtual bool FileExists(const std::wstring& path) = 0;
  // Names of every entry of `folder` (any attributes), without "." and "..".
  virtual std::vector<std::wstring> ListNames(const std::wstring& folder) = 0;
  // Appends `source` to `target`; the part ".1" creates (replaces) the target instead.
  // A part that cannot be opened throws Error naming it with the system's reason; one that
  // cannot be read to its end adds what could be read, and a continuation whose target does
  // not exist is lost: both show as a damaged archive later. Writing is checked:
  // when the target cannot be created or written, or does not end up with the bytes read
  // (a full disk), the partial target is deleted and Error is thrown naming it, with the
  // system's reason.
  // Returns the bytes appended.
  virtual uint64_t AppendPart(const std::wstring& extension,
                              const std::wstring& source,
                              const std::wstring& target) = 0;
  // Deletes a file. False when it cannot (a read-only or locked file).
  virtual bool Delete(const std::wstring& path) = 0;
  // Deletes a file that must go (a joined archive an earlier run left behind, the sample
  // database's marker). Throws Error "Nu pot sterge <path>" (with the system's text where the
  // system gives one) when it cannot be deleted.
  virtual void DeleteOrFail(const std::wstring& path);
};

// Bytes read and written at a time by AppendPart.
constexpr size_t kPartBufferSize = 2500000;

// One assembly run of a copy page over the installation state.
class ArchiveAssembly {
 public:
  // `partCounter` is the page unit's part counter; `components` the page's set for the
  // current InstallType.
  ArchiveAssembly(bootstrap::InstallState& state,
                  bootstrap::ComponentSet components,
                  CopyView& view,
                  MediaFiles& files,
                  int& partCounter)
      : state_(state),
        components_(components),
        view_(view),
        files_(files),
        partCounter_(partCounter) {}

  // Joins the parts disk by disk into ProposedProgramDir. True when every disk was done;
  // false when the user cancelled a disk prompt (the modal result is then 2). Forces
  // DiskCount to 1 when the media is not on a removable drive and drops a trailing "\" from
  // SourceDir. The joined archives of the selected components are made afresh: those an
  // earlier run left are deleted first, and one that cannot be deleted throws Error before
  // any disk is read.
  bool AssembleArchives();
  // Deletes the joined archives of the selected components from ProposedProgramDir.
  void DeleteStaleArchives();
  // True once the marker of disk `n` exists; prompts until then; false on Cancel.
  bool WaitForDisk(int n);
  // Whether a media file is a part of a selected component.
  bool IsArchivePart(const std::wstring& name) const;
  // Shows the part in the status line, appends it to its joined archive, counts it.
  void CopyPart(const std::wstring& name);

 private:
  // What was joined into one archive, for the log.
  struct Joined {
    std::wstring archive;
    int parts = 0;
    uint64_t bytes = 0;
  };
  // Logs every archive joined so far: its parts and bytes.
  void LogJoined() const;

  bootstrap::InstallState& state_;
  bootstrap::ComponentSet components_;
  CopyView& view_;
  MediaFiles& files_;
  int& partCounter_;
  std::vector<Joined> joined_;
};

// Extracts a whole archive (or the entries `filter` accepts) into `target` with the
// extraction gauge: maximum ZipSize, position advanced by OnUnzipProgress; `pump` lets
// messages be processed after each report. Throws ZipError as ZipArchive does.
void ExtractWithGauge(const ZipArchive& archive,
                      ExtractTarget& target,
                      CopyView& view,
                      UnzipCounter& counter,
                      bool pump,
                      const EntryFilter& filter = {});

// Deletes the joined archives of the component table (EXE.ZIP, LUNARIS.ZIP, ...) from
// `programDir`; other .ZIP files stay. A file that cannot be deleted is reported with
// "Nu pot sterge " and its path, then the next one is tried.
void DeleteJoinedArchives(const std::wstring& programDir, CopyView& view, MediaFiles& files);

}  // namespace kolvar::deploy
