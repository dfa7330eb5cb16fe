// The copy pages' rules that need no system: which components and media files take part,
// which archive entries an upgrade refreshes, the engine version check, the seed folders'
// clean-up decisions and the two gauges' arithmetic. No <windows.h> here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bootstrap/install_state.h"

namespace kolvar::deploy {

// Positions in Components of the rows `set` selects, in table order; rows with an empty
// FileName are never selected.
std::vector<int> SelectComponents(bootstrap::ComponentSet set);

// Whether the media file `name` is a part of a selected component: its extension (from the
// last dot) ends in a decimal digit and its base name (before the first dot, in upper case)
// is the FileName of a row of `set`.
bool IsArchivePart(std::wstring_view name, bootstrap::ComponentSet set);
// The text from the last dot of `name` (".1", ".10"); empty when there is no dot.
std::wstring PartExtension(std::wstring_view name);
// The joined archive a part belongs to: its text up to the first dot, in its own letter
// case, plus ".ZIP" ("Exe.2" gives "Exe.ZIP").
std::wstring JoinedArchiveName(std::wstring_view partName);
// Whether `fileName` is the joined archive of some row of Components ("EXE.ZIP",
// "lunaris.zip"); other .ZIP files are not.
bool IsJoinedArchiveName(std::wstring_view fileName);
// Ascending text order, letter case ignored, as the assembly joins the parts of one disk.
bool PartNameLess(std::wstring_view a, std::wstring_view b);

// The marker of disk `n`: "DISK" + n.
std::wstring DiskMarkerName(int n);
// The disk prompt's text and heading.
std::wstring DiskPromptText(int n);
inline constexpr const wchar_t* kDiskPromptHeading = L"Pentru continuare";

// Whether an upgrade extracts the entry stored as `name`: from a program-folder archive
// everything but a top-level "IDAPI..." path; from the seed archive only paths beginning
// with "NEW". "/" is read as "\" and case is ignored.
bool ConfirmEntry(std::wstring_view name, bool programArchive);

// The whole-number part of an engine version text: the characters before the first "."
// (else the first ",", else all of them), each taken as its code minus the code of "0" and
// accumulated by tens. Saturates instead of overflowing.
int64_t EngineVersionNumber(std::wstring_view text);
// Whether a registered engine's VERSION value marks an engine older than 4 (not exactly
// "4.0" and below 4). A missing value is never old.
bool IsOldEngine(const std::optional<std::wstring>& version);

// The seed-data folders below the data folder, emptied before the seed archive is unpacked.
inline constexpr const wchar_t* kSeedFolders[3] = {L"NEW\\DATA\\", L"NEW\\FIRMA\\", L"NEW\\LUNA\\"};
enum class SeedAction { kLeave, kKeepWritable, kDelete };
// What ClearSeedFolders does with one listed entry. The new installation deletes everything
// as a file; the upgrade leaves entries whose attributes are exactly "directory" (0x10) and
// keeps .BMP and .PNG pictures, made writable.
SeedAction SeedEntryAction(std::wstring_view name, uint32_t attributes, bool upgrade);

// A progress gauge as the pages show it: integer range from 0 to `maximum`, the position
// clamped into it, the percentage truncated (0 for an empty range).
struct GaugeState {
  int maximum = 0;
  int position = 0;
  void SetMaximum(int value);
  void SetPosition(int64_t value);
  int Percent() const;
};

// The extraction gauge's counters of one archive, in KB with per-entry rounding down.
struct UnzipCounter {
  uint64_t ZipSize = 0;     // the archive's size, CountArchive
  uint64_t ZipProgres = 0;  // KB of the entries already finished
  // The gauge position for a report of `position` bytes of an entry of `entrySize` bytes;
  // a report of the full size closes the entry.
  int64_t OnUnzipProgress(uint64_t entrySize, uint64_t position);
  // The gauge's maximum: ZipSize, held to the largest int (an archive past 2 TB).
  int GaugeMaximum() const;
};

}  // namespace kolvar::deploy
