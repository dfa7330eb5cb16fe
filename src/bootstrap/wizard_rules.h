// The wizard's rules apart from its windows: how a page's result moves the position, where a
// page and the logo panel are placed, the version caption and the client question's text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kolvar::bootstrap {

// Positions with no page: the wizard ends at kStopPosition; kAfterUpgradePosition is never shown
// (it turns into the end page).
inline constexpr uint8_t kStopPosition = 5;
inline constexpr uint8_t kFindAppPosition = 6;
inline constexpr uint8_t kUpgradeCopyPosition = 7;
inline constexpr uint8_t kUpgradeDataPosition = 8;
inline constexpr uint8_t kAfterUpgradePosition = 9;
inline constexpr uint8_t kEndPosition = 4;

// Modal results that move the wizard.
inline constexpr int kResultForward = 1;  // OK
inline constexpr int kResultQuit = 2;     // Cancel
inline constexpr int kResultBack = 4;     // Retry

// The position after the page at `position` ended with `result`, corrections included:
// forward, back and quit move; any other result (and Back on the first page) keeps the position.
// Entering the upgrade copy page asks `clientUpgradesServer` (only while `installType` is 3,
// CLIENT); unless it answers false, `installType` becomes 2 (SERVER). A client that declined
// skips the database upgrade page.
uint8_t NextPosition(uint8_t position,
                     int result,
                     uint8_t& installType,
                     const std::function<bool()>& clientUpgradesServer);

// The page class of `position` ("TIType" .. "TUpgData"), "stop" for the end of the wizard,
// "?" for a position without a page.
const wchar_t* PositionName(uint8_t position);

// The log's line for a page move: the page left, its modal result, and where the wizard goes
// ("page TIType (0) closed with 1 (forward): TDirs (1)").
std::wstring PageMoveEvent(uint8_t from, int result, uint8_t to);

// The log's line for what a page committed when it moved forward: the installation type after
// the type page, the folders after the folders and locate pages; empty for the other pages.
std::wstring CommittedEvent(uint8_t position,
                            uint8_t installType,
                            const std::wstring& programDir,
                            const std::wstring& dataDir);

// The log's last line of a wizard that ran to its end: the page it ended on and how
// ("end: finished on page TEndScreen (4)", "end: quit on page TCopy (2)"); `lastPage` is
// kStopPosition when no page was shown.
std::wstring EndEvent(uint8_t lastPage, int lastResult);

struct Place {
  int Left = 0;
  int Top = 0;
};

// A page on the screen: centred horizontally, eight ninths of the free height from the top
// (divisions truncate toward zero, also for a page larger than the screen).
Place PagePlace(int screenWidth, int screenHeight, int pageWidth, int pageHeight);

// The logo panel (750 × 499 as designed) in the background window's client area: centred, 15
// pixels above the middle.
inline constexpr int kPanouWidth = 750;
inline constexpr int kPanouHeight = 499;
Place PanouPlace(int clientWidth,
                 int clientHeight,
                 int panouWidth = kPanouWidth,
                 int panouHeight = kPanouHeight);

// "ver." and `version` with two decimals and a point as separator, whatever the locale.
std::wstring VersionCaption(double version);

// The question asked of a CLIENT upgrade before the upgrade copy page.
inline constexpr wchar_t kClientQuestionCaption[] = L"UPGRADE baza de date SERVER ?";
std::wstring ClientQuestionText();

}  // namespace kolvar::bootstrap
