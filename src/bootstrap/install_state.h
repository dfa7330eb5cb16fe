// The installation state: one process-wide record that every page reads and writes directly,
// the component table, the component sets and the alias tables. No <windows.h> here.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kolvar::bootstrap {

enum class TDestType : uint8_t {
  dtDatabaseDat = 0,   // sample database, into the data folder
  dtDatabaseNew = 1,   // empty database
  dtProgram = 2,       // program files, into the program folder
  dtProgramFiles = 3,  // the database engine's own files
};

struct TCompRecord {
  const wchar_t* FileName;  // archive base name on the media (NAME.ZIP or NAME.1, NAME.2, ...)
  const wchar_t* CompName;  // caption shown while the component is processed
  TDestType DestType;
};

constexpr int kComponentCount = 7;

// In processing order.
inline constexpr std::array<TCompRecord, kComponentCount> Components = {{
    {L"EXE", L"Fisiere executabile", TDestType::dtProgram},
    {L"LUNARIS", L"Lunaris KOLVAR", TDestType::dtProgram},
    {L"DBDAT", L"KOLVAR: baza de date si exemple", TDestType::dtDatabaseDat},
    {L"DBNEW", L"KOLVAR: baza de date martor", TDestType::dtDatabaseNew},
    {L"BDE32", L"Borland Database Engine", TDestType::dtProgramFiles},
    {L"HELP", L"Help Prokolvar", TDestType::dtProgram},
    {L"TORNEVA", L"Torneva KOLVAR", TDestType::dtProgram},
}};

// Component positions, for building sets.
enum ComponentIndex : int { kExe, kLunaris, kDbDat, kDbNew, kBde32, kHelp, kTorneva };

// A set of components: bit i stands for Components[i].
class ComponentSet {
 public:
  constexpr ComponentSet() = default;
  constexpr ComponentSet(std::initializer_list<int> members) {
    for (int m : members) bits_ |= static_cast<uint8_t>(1u << m);
  }
  constexpr bool Contains(int index) const {
    return index >= 0 && index < kComponentCount && (bits_ >> index) & 1u;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint8_t Bits() const { return bits_; }

 private:
  uint8_t bits_ = 0;
};

// Installation types: 0 not chosen, 1 LOCAL, 2 SERVER, 3 CLIENT.
constexpr uint8_t kTypeNone = 0, kTypeLocal = 1, kTypeServer = 2, kTypeClient = 3;

inline constexpr std::array<ComponentSet, 4> NewInstallSets = {{
    {},
    {kExe, kLunaris, kDbDat, kDbNew, kBde32, kHelp, kTorneva},
    {kExe, kLunaris, kDbDat, kDbNew, kBde32, kHelp, kTorneva},
    {kExe, kLunaris, kBde32, kHelp, kTorneva},
}};

inline constexpr std::array<ComponentSet, 4> UpgradeSets = {{
    {},
    {kExe, kLunaris, kDbNew, kHelp, kTorneva},
    {kExe, kLunaris, kDbNew, kHelp, kTorneva},
    {kExe, kLunaris, kHelp, kTorneva},
}};

// The set for `installType`; the empty set for a value outside 0..3.
inline ComponentSet NewInstallSet(uint8_t installType) {
  return installType < NewInstallSets.size() ? NewInstallSets[installType] : ComponentSet{};
}
inline ComponentSet UpgradeSet(uint8_t installType) {
  return installType < UpgradeSets.size() ? UpgradeSets[installType] : ComponentSet{};
}

inline constexpr std::array<const wchar_t*, 4> AliasNames = {L"KOLVARALIAS", L"FIRMAALIAS",
                                                             L"LUNAALIAS", L"KOLVAR"};
// Folder of each alias, relative to the data folder, in the order of AliasNames.
inline constexpr std::array<const wchar_t*, 4> AliasSubdirs = {L"NEW\\DATA", L"NEW\\FIRMA",
                                                               L"NEW\\LUNA", L"DATA"};

inline constexpr double ProductVersion = 3200879.02;

// Default disk count when the installer configuration does not give one.
constexpr int kDefaultDiskCount = 6;

struct InstallState {
  std::wstring ExeDir;     // folder of the running executable, ends with a backslash
  std::wstring SourceDir;  // installation media folder, no trailing backslash
  bool UpgradeMode = false;
  uint8_t InstallType = kTypeNone;
  uint8_t PageIndex = 0;
  std::wstring ProposedProgramDir = L"C:\\ProKolv";
  std::wstring ProgramDir = L"C:\\ProKolv";
  std::wstring ProposedDataDir = L"C:\\ProKolv";
  std::wstring DataDir = L"C:\\ProKolv";
  int32_t DiskCount = 1;
};

// The process-wide record.
InstallState& State();

}  // namespace kolvar::bootstrap
