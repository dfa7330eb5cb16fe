// The folders page's rules and the folder picker's path arithmetic. No <windows.h> here: the
// file system is reached through DirsEnvironment, so the rules are tested with a fake one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bootstrap/install_state.h"

namespace kolvar::pages {

// What the folders page shows for an install type.
struct DirsLayout {
  std::wstring program;  // the program field's text
  std::wstring data;     // the data field's text
  bool dataShown;        // the data label, field and its button
  bool memoShown;        // the client hint
  bool nextEnabled;
};
// The layout for `installType` from the proposed folders in `state`. A type outside 1..3 is
// shown as LOCAL.
DirsLayout LayoutFor(const bootstrap::InstallState& state);

// The file system as the folders page uses it.
class DirsEnvironment {
 public:
  virtual ~DirsEnvironment() = default;
  virtual bool FolderExists(const std::wstring& path) = 0;
  // Creates one folder (its parent must exist); false when it could not.
  virtual bool CreateFolder(const std::wstring& path) = 0;
  // Tells the user that a client's data folder must already exist.
  virtual void ClientDataMissing() = 0;
};

// The page's field that holds a refused folder.
enum class DirsField { kNone, kProgram, kData };

// The outcome of the page's checks: true when every one passed.
struct FolderCheck {
  DirsField refused = DirsField::kNone;  // the field to give the focus to: the program field
                                         // when both were refused
  explicit operator bool() const { return refused == DirsField::kNone; }
};

// Checks and stores the folders typed on the page, in this order: the program folder as typed;
// the data folder by type (LOCAL: the program folder; SERVER: the data folder, created one
// level deep when missing; CLIENT: the data folder only when it exists, else the user is told);
// the program folder created one level deep when missing (also after a failed data check); the
// proposed folders set to the stored ones either way. Only a folder from a root (IsRootedPath)
// is accepted: any other would be taken from whatever folder is current later, and is refused
// without a word, like a folder that cannot be created. DataDir keeps its earlier value when
// its check fails.
FolderCheck StoreFolders(bootstrap::InstallState& state,
                         const std::wstring& programText,
                         const std::wstring& dataText,
                         DirsEnvironment& env);

// The picker's answer for its current folder: with one trailing backslash ("C:\" stays).
std::wstring PickerAnswer(const std::wstring& folder);

// A folder path cut into the folders from the drive root down: "C:\Apps\K" gives "C:\",
// "C:\Apps", "C:\Apps\K". A UNC path starts at "\\server\share". Empty for a path that names
// no drive.
std::vector<std::wstring> PathChain(const std::wstring& folder);
// The last part of a folder path as the folder tree shows it ("C:\" for a root, else the
// folder's own name).
std::wstring FolderCaption(const std::wstring& folder);

// The line of the drive list for one drive: the letter in lower case, a colon, and the volume
// label (or a network drive's share) in brackets when there is one: "c: [SISTEM]", "a:".
std::wstring DriveLine(wchar_t letter, const std::wstring& label);

// Sorts folder names as the tree lists them: case-insensitively (ASCII), then by code unit.
void SortFolderNames(std::vector<std::wstring>& names);

}  // namespace kolvar::pages
