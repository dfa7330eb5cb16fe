#include "deploy/assembly.h"

#include <algorithm>

#include "platform/install_log.h"
#include "platform/text.h"

namespace kolvar::deploy {

bool ArchiveAssembly::AssembleArchives() {
  view_.SetStatus(L"Asamblare arhive...");
  partCounter_ = 0;
  if (!files_.IsRemovableDrive(state_.SourceDir))
    state_.DiskCount = 1;
  view_.SetCopyMaximum(state_.DiskCount);
  view_.SetCopyPosition(0);
  if (!state_.SourceDir.empty() && state_.SourceDir.back() == L'\\')
    state_.SourceDir.pop_back();
  DeleteStaleArchives();
  joined_.clear();
  LogEvent(L"joining archives from \"" + state_.SourceDir + L"\" (" +
           CountText(state_.DiskCount, L"disk", L"disks") + L") into \"" +
           state_.ProposedProgramDir + L"\"");
  if (state_.DiskCount < 1)
    return true;
  for (int n = 1; n <= state_.DiskCount; ++n) {
    if (!WaitForDisk(n)) {
      view_.SetModalResult(2);
      LogJoined();
      return false;
    }
    view_.SetCopyPosition(n);
    std::vector<std::wstring> parts;
    for (std::wstring& name : files_.ListNames(state_.SourceDir))
      if (IsArchivePart(name))
        parts.push_back(std::move(name));
    SortStrings(parts,
                [](const std::wstring& a, const std::wstring& b) { return PartNameLess(a, b); });
    for (const std::wstring& name : parts)
      CopyPart(name);
    LogEvent(L"disk " + DecimalText(n) + L": " +
             CountText(static_cast<long long>(parts.size()), L"part", L"parts") + L" joined");
    view_.SetCopyPosition(partCounter_);
  }
  LogJoined();
  return true;
}

void ArchiveAssembly::LogJoined() const {
  for (const Joined& archive : joined_)
    LogEvent(L"joined " + archive.archive + L": " + CountText(archive.parts, L"part", L"parts") +
             L", " + DecimalText(static_cast<long long>(archive.bytes)) + L" bytes");
}

void MediaFiles::DeleteOrFail(const std::wstring& path) {
  if (!Delete(path))
    throw Error(L"Nu pot sterge " + path);
}

void ArchiveAssembly::DeleteStaleArchives() {
  // A continuation part appends to whatever archive of its name lies in the program folder,
  // and an archive with no part on these media would be unpacked as it is: what an earlier
  // run (or other media) left must not stand in for what these disks hold.
  for (const std::wstring& name : files_.ListNames(state_.ProposedProgramDir)) {
    std::wstring upper = AsciiUpper(name);
    for (int row : SelectComponents(components_)) {
      if (upper != std::wstring(bootstrap::Components[row].FileName) + L".ZIP")
        continue;
      std::wstring path = JoinPath(state_.ProposedProgramDir, name);
      if (files_.FileExists(path))
        files_.DeleteOrFail(path);
    }
  }
}

bool ArchiveAssembly::WaitForDisk(int n) {
  view_.SetMessageHeading(kDiskPromptHeading);
  std::wstring marker = state_.SourceDir + L"\\" + DiskMarkerName(n);
  std::wstring disk = L"disk " + DecimalText(n);
  bool asked = false;
  while (!files_.FileExists(marker)) {
    LogEvent(disk + (asked ? L": wrong disk, still no " : L" asked for: no ") + marker);
    if (view_.ShowDiskPrompt(DiskPromptText(n)) == 2) {
      LogEvent(disk + L": cancelled by the user");
      return false;
    }
    asked = true;
  }
  if (asked)
    LogEvent(disk + L": in the drive");
  return true;
}

bool ArchiveAssembly::IsArchivePart(const std::wstring& name) const {
  return deploy::IsArchivePart(name, components_);
}

void ArchiveAssembly::CopyPart(const std::wstring& name) {
  std::wstring source = state_.SourceDir + L"\\" + name;
  view_.SetStatus(name);
  std::wstring archive = JoinedArchiveName(name);
  std::wstring target = JoinPath(state_.ProposedProgramDir, archive);
  uint64_t bytes = files_.AppendPart(PartExtension(name), source, target);
  ++partCounter_;
  auto same = [&](const Joined& j) { return j.archive == archive; };
  auto found = std::find_if(joined_.begin(), joined_.end(), same);
  if (found == joined_.end())
    found = joined_.insert(joined_.end(), Joined{archive});
  ++found->parts;
  found->bytes += bytes;
}

void ExtractWithGauge(const ZipArchive& archive,
                      ExtractTarget& target,
                      CopyView& view,
                      UnzipCounter& counter,
                      bool pump,
                      const EntryFilter& filter) {
  counter.ZipSize = archive.SizeInKb();
  counter.ZipProgres = 0;
  view.SetUnzipPosition(0);
  view.SetUnzipMaximum(counter.GaugeMaximum());
  int shown = -1;
  archive.ExtractAll(
      target,
      [&](const ZipEntry& entry, uint64_t position) {
        int64_t gauge = counter.OnUnzipProgress(entry.uncompressedSize, position);
        int value = static_cast<int>(std::min<int64_t>(gauge, counter.GaugeMaximum()));
        if (value != shown) {
          view.SetUnzipPosition(value);
          shown = value;
        }
        if (pump)
          view.PumpMessages();
      },
      filter);
}

void DeleteJoinedArchives(const std::wstring& programDir, CopyView& view, MediaFiles& files) {
  for (const std::wstring& name : files.ListNames(programDir)) {
    if (!IsJoinedArchiveName(name))
      continue;
    std::wstring path = JoinPath(programDir, name);
    if (!files.FileExists(path))
      continue;
    if (!files.Delete(path))
      view.ShowCannotDelete(L"Nu pot sterge " + path);
  }
}

}  // namespace kolvar::deploy
