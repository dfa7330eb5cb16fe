// The search for an installed suite: the acceptance test of a program folder and the
// depth-first scan of the fixed drives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kolvar::pages {

// True when `folder` (with or without a final backslash) holds KOLVAR.EXE larger than
// 6,000,000 bytes. The size is read from the folder entry, so a read-only file or one that is
// running is judged like any other; nothing here throws.
bool IsProgramFolder(const std::wstring& folder);

// What the scan asks of the page for each folder it enters.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // `folder` (ending with a backslash) is about to be searched: show it and handle the window
  // messages that are waiting, without waiting for more.
  virtual void Searching(const std::wstring& folder) = 0;
  // Whether the user asked to stop; read once per folder, after Searching.
  virtual bool StopRequested() = 0;
};

// The depth-first scan. Folders are tested before their subfolders, in the order the file
// system lists them; the first accepted folder ends the scan. Passed over: folders whose path
// is longer than 100 characters, the Windows folder, hidden and system folders, folders that
// cannot be listed, and links (junctions, symbolic links) that lead back to a folder on the way
// down to them.
class ProgramFolderScan {
 public:
  // `windowsFolder` is the folder the scan leaves out (with or without its final backslash).
  ProgramFolderScan(ScanObserver& observer, std::wstring windowsFolder);

  // One step of the scan over `path` (ending with a backslash) and everything below it. True
  // means stop: a folder was accepted (see Found) or the user asked to stop (Found is empty).
  bool SearchFolder(const std::wstring& path);

  // Every fixed drive C: to Z: in turn: its "\ProKolv\" folder first, then the drive from its
  // root. Stops at the first accepted folder or when the user asks to stop. Returns Found.
  const std::wstring& ScanFixedDrives();

  // The accepted folder, with its final backslash; empty while none is (or after a stop).
  const std::wstring& Found() const { return found_; }
  // Whether the last search ended because the user asked to stop.
  bool Stopped() const { return stopped_; }

 private:
  struct Frame;
  bool Search(std::vector<Frame>& trail, const std::wstring& path);
  bool LeadsBackUp(std::vector<Frame>& trail, const std::wstring& link);

  ScanObserver& observer_;
  std::wstring windowsFolder_;
  std::wstring found_;
  bool stopped_ = false;
};

}  // namespace kolvar::pages
