#include "deploy/copy_rules.h"

#include <limits>

#include "platform/text.h"

namespace kolvar::deploy {

using bootstrap::Components;
using bootstrap::ComponentSet;
using bootstrap::kComponentCount;

std::vector<int> SelectComponents(ComponentSet set) {
  std::vector<int> rows;
  for (int i = 0; i < kComponentCount; ++i) {
    const wchar_t* name = Components[i].FileName;
    if (set.Contains(i) && name && *name)
      rows.push_back(i);
  }
  return rows;
}

std::wstring PartExtension(std::wstring_view name) {
  size_t dot = name.rfind(L'.');
  return dot == std::wstring_view::npos ? std::wstring() : std::wstring(name.substr(dot));
}

bool IsArchivePart(std::wstring_view name, ComponentSet set) {
  std::wstring extension = PartExtension(name);
  if (extension.empty() || extension.back() < L'0' || extension.back() > L'9')
    return false;
  std::wstring base = AsciiUpper(name.substr(0, name.find(L'.')));
  for (int row : SelectComponents(set))
    if (base == Components[row].FileName)
      return true;
  return false;
}

std::wstring JoinedArchiveName(std::wstring_view partName) {
  return std::wstring(partName.substr(0, partName.find(L'.'))) + L".ZIP";
}

bool IsJoinedArchiveName(std::wstring_view fileName) {
  std::wstring upper = AsciiUpper(fileName);
  for (const auto& row : Components)
    if (row.FileName && *row.FileName && upper == std::wstring(row.FileName) + L".ZIP")
      return true;
  return false;
}

bool PartNameLess(std::wstring_view a, std::wstring_view b) {
  return AsciiUpper(a) < AsciiUpper(b);
}

std::wstring DiskMarkerName(int n) {
  return L"DISK" + DecimalText(n);
}

std::wstring DiskPromptText(int n) {
  return L"introdu discul de instalare cu numarul \r" + DecimalText(n);
}

bool ConfirmEntry(std::wstring_view name, bool programArchive) {
  std::wstring path = L"\\" + AsciiUpper(name);
  for (wchar_t& c : path)
    if (c == L'/')
      c = L'\\';
  if (programArchive)
    return path.compare(1, 5, L"IDAPI") != 0;
  return path.compare(0, 4, L"\\NEW") == 0;
}

int64_t EngineVersionNumber(std::wstring_view text) {
  size_t end = text.find(L'.');
  if (end == std::wstring_view::npos)
    end = text.find(L',');
  if (end == std::wstring_view::npos)
    end = text.size();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 16;
  int64_t value = 0;
  for (size_t i = 0; i < end; ++i) {
    value = value * 10 + (static_cast<int64_t>(text[i]) - L'0');
    if (value > kMax)
      value = kMax;
    if (value < -kMax)
      value = -kMax;
  }
  return value;
}

bool IsOldEngine(const std::optional<std::wstring>& version) {
  return version && *version != L"4.0" && EngineVersionNumber(*version) < 4;
}

SeedAction SeedEntryAction(std::wstring_view name, uint32_t attributes, bool upgrade) {
  if (!upgrade)
    return SeedAction::kDelete;
  constexpr uint32_t kDirectory = 0x10;
  if (attributes == kDirectory)
    return SeedAction::kLeave;
  std::wstring extension = AsciiUpper(PartExtension(name));
  if (extension == L".BMP" || extension == L".PNG")
    return SeedAction::kKeepWritable;
  return SeedAction::kDelete;
}

void GaugeState::SetMaximum(int value) {
  maximum = value < 0 ? 0 : value;
  SetPosition(position);
}

void GaugeState::SetPosition(int64_t value) {
  if (value > maximum)
    value = maximum;
  if (value < 0)
    value = 0;
  position = static_cast<int>(value);
}

int GaugeState::Percent() const {
  if (maximum <= 0)
    return 0;
  return static_cast<int>(static_cast<int64_t>(position) * 100 / maximum);
}

int64_t UnzipCounter::OnUnzipProgress(uint64_t entrySize, uint64_t position) {
  uint64_t gauge = (position >> 10) + ZipProgres;
  if (position == entrySize)
    ZipProgres += entrySize >> 10;
  return gauge > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
             ? std::numeric_limits<int64_t>::max()
             : static_cast<int64_t>(gauge);
}

int UnzipCounter::GaugeMaximum() const {
  constexpr uint64_t kMax = std::numeric_limits<int>::max();
  return static_cast<int>(ZipSize > kMax ? kMax : ZipSize);
}

}  // namespace kolvar::deploy
