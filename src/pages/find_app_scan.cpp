#include "pages/find_app_scan.h"

#include <optional>
#include <utility>

#include "pages/pure/find_app_rules.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

namespace kolvar::pages {

namespace {

constexpr wchar_t kStandardFolder[] = L"ProKolv\\";

// Where a folder lives on its volume; two paths with the same identity are the same folder.
struct FolderIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
  bool operator==(const FolderIdentity& other) const {
    return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
  }
};

// The identity of the folder `path` leads to (links followed); nullopt when it cannot be read.
std::optional<FolderIdentity> IdentityOf(const std::wstring& path) {
  ScopedFile folder(::CreateFileW(path.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!folder || !::GetFileInformationByHandle(folder.get(), &info))
    return std::nullopt;
  return FolderIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

struct Subfolder {
  std::wstring name;
  bool isLink;  // a junction or symbolic link
};

// What one folder holds for the scan: whether it passes as a program folder, and its
// subfolders that are neither hidden nor system, in the file system's order.
struct Listing {
  bool accepted = false;
  std::vector<Subfolder> subfolders;
};

// One listing serves both the test of the folder and the walk below it. A folder that cannot
// be listed (access denied, gone meanwhile) counts as empty.
Listing ReadListing(const std::wstring& path) {
  Listing listing;
  WIN32_FIND_DATAW entry;
  ScopedFind find(::FindFirstFileW((path + L"*.*").c_str(), &entry));
  if (!find)
    return listing;
  do {
    DWORD attributes = entry.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
          !IsDotEntry(entry.cFileName))
        listing.subfolders.push_back(
            {entry.cFileName, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } else if (!listing.accepted && EqualsNoCaseAscii(entry.cFileName, kProgramFileName)) {
      listing.accepted = IsProgramFileSize((static_cast<uint64_t>(entry.nFileSizeHigh) << 32) |
                                           entry.nFileSizeLow);
    }
  } while (::FindNextFileW(find.get(), &entry));
  return listing;
}

}  // namespace

bool IsProgramFolder(const std::wstring& folder) {
  if (folder.empty())
    return false;
  std::optional<uint64_t> size = FileSize(JoinPath(folder, kProgramFileName));
  return size && IsProgramFileSize(*size);
}

// One folder on the way down from where the search began; its identity is read only when a
// link has to be checked against it.
struct ProgramFolderScan::Frame {
  explicit Frame(std::wstring folder) : path(std::move(folder)) {}
  std::wstring path;
  bool identityRead = false;
  std::optional<FolderIdentity> identity;
};

ProgramFolderScan::ProgramFolderScan(ScanObserver& observer, std::wstring windowsFolder)
    : observer_(observer), windowsFolder_(IncludeTrailingBackslash(windowsFolder)) {}

bool ProgramFolderScan::SearchFolder(const std::wstring& path) {
  found_.clear();
  stopped_ = false;
  std::vector<Frame> trail;
  return Search(trail, path);
}

const std::wstring& ProgramFolderScan::ScanFixedDrives() {
  found_.clear();
  stopped_ = false;
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) {
    std::wstring root = std::wstring(1, letter) + L":\\";
    if (::GetDriveTypeW(root.c_str()) != DRIVE_FIXED)
      continue;
    std::wstring standard = root + kStandardFolder;
    if (IsProgramFolder(standard)) {
      found_ = standard;
      break;
    }
    if (SearchFolder(root))
      break;
  }
  return found_;
}

bool ProgramFolderScan::Search(std::vector<Frame>& trail, const std::wstring& path) {
  if (!WithinScanLimit(path) || EqualsNoCaseAscii(path, windowsFolder_))
    return false;

  Listing listing = ReadListing(path);
  if (listing.accepted) {
    found_ = path;
    return true;
  }

  observer_.Searching(path);
  if (observer_.StopRequested()) {
    found_.clear();
    stopped_ = true;
    return true;
  }

  trail.emplace_back(path);
  bool stop = false;
  for (const Subfolder& sub : listing.subfolders) {
    std::wstring child = path + sub.name + L"\\";
    if (sub.isLink && LeadsBackUp(trail, child))
      continue;
    if (Search(trail, child)) {
      stop = true;
      break;
    }
  }
  trail.pop_back();
  return stop;
}

bool ProgramFolderScan::LeadsBackUp(std::vector<Frame>& trail, const std::wstring& link) {
  std::optional<FolderIdentity> target = IdentityOf(link);
  if (!target)
    return true;  // a link whose target cannot be reached has nothing to search
  for (Frame& frame : trail) {
    if (!frame.identityRead) {
      frame.identity = IdentityOf(frame.path);
      frame.identityRead = true;
    }
    if (frame.identity == target)
      return true;
  }
  return false;
}

}  // namespace kolvar::pages
