// The wizard driver: the page table and the page loop.
#pragma once

#include <array>
#include <memory>
#include <string>

namespace kolvar::toolkit {
class TMForm;
}

namespace kolvar::bootstrap {

// Makes a fresh window of one page (constructed, scaled, FormCreate run), ready to be placed
// and shown modally.
using PageFactory = std::unique_ptr<toolkit::TMForm> (*)();

// One entry per wizard position 0..9; positions 5 and 9 (and pages not built yet) hold nullptr.
using PageTable = std::array<PageFactory, 10>;

// The installer's own table: every position mapped to its page class. Defined beside the
// program entry, where every page subsystem is linked in.
PageTable InstallerPages();

// The wizard: first, when this process cannot write HKEY_LOCAL_MACHINE\SOFTWARE (where the
// database engine is registered), says that an administrator must run the installation
// (kNoRightsCaption, NoRightsText()), logs why and ends before anything is changed. Then it
// decides between a new installation and an upgrade (State().UpgradeMode), handles
// UPGRADE.ZIP, reads the installer configuration, binds the upgrade library in upgrade mode
// (when that fails: "Nu am putut incarca UPGRADE.DLL" and no page), then shows the page of each
// position in turn until the position reaches the stop marker. Each page window is created for
// its visit, placed low and centred on the primary screen, shown modally and destroyed, also
// when showing it threw (the error travels on). A position whose slot in `pages` is empty ends
// the wizard with the message "Pagina <n> a instalarii lipseste din program." instead of showing
// anything. Errors of the extraction and of the pages are not caught.
void RunWizard(const PageTable& pages);

// In a new installation deletes ExeDir\UPGRADE.ZIP (a missing file is fine). In upgrade mode
// extracts every member of that archive into ExeDir and deletes it; with neither the archive
// nor ExeDir\UPGRADE.DLL there says "Nu gasesc Upgrade.zip". Throws ZipError or SystemError when
// the archive cannot be read or extracted.
void UnpackUpgradeLibrary();

// Whether the upgrade goes on as a SERVER one: true without asking unless the installation is
// a CLIENT one; then asks "UPGRADE baza de date SERVER ?" (No is the default) and is false for
// No. Leaves the message heading set to "PENTRU CONTINUARE" after asking.
bool AskClientUpgrade();

// The message shown for a position without a page.
std::wstring MissingPageText(int position);

// The message for a user who may not install: its caption and its text.
inline constexpr wchar_t kNoRightsCaption[] = L"Drepturi insuficiente!";
std::wstring NoRightsText();

}  // namespace kolvar::bootstrap
