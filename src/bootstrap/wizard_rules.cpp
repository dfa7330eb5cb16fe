#include "bootstrap/wizard_rules.h"
#include "platform/text.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace kolvar::bootstrap {

namespace {

constexpr uint8_t kInstallServer = 2;
constexpr uint8_t kInstallClient = 3;

}  // namespace

const wchar_t* PositionName(uint8_t position) {
  static constexpr const wchar_t* kNames[] = {L"TIType",   L"TDirs",      L"TCopy",
                                              L"TConfig",  L"TEndScreen", L"stop",
                                              L"TFindApp", L"TUpgCopy",   L"TUpgData"};
  return position < std::size(kNames) ? kNames[position] : L"?";
}

std::wstring PageMoveEvent(uint8_t from, int result, uint8_t to) {
  const wchar_t* how = result == kResultForward ? L" (forward)"
                       : result == kResultBack  ? L" (back)"
                       : result == kResultQuit  ? L" (quit)"
                                                : L"";
  return L"page " + std::wstring(PositionName(from)) + L" (" + DecimalText(from) +
         L") closed with " + DecimalText(result) + how + L": " + PositionName(to) + L" (" +
         DecimalText(to) + L")";
}

std::wstring CommittedEvent(uint8_t position,
                            uint8_t installType,
                            const std::wstring& programDir,
                            const std::wstring& dataDir) {
  static constexpr const wchar_t* kTypes[] = {L"none", L"LOCAL", L"SERVER", L"CLIENT"};
  std::wstring type = L"installation type " +
                      std::wstring(installType < 4 ? kTypes[installType] : L"?") + L" (" +
                      DecimalText(installType) + L")";
  std::wstring folders =
      L"program folder \"" + programDir + L"\", data folder \"" + dataDir + L"\"";
  switch (position) {
    case 0:
      return type;
    case 1:
      return folders;
    case kFindAppPosition:
      return type + L", " + folders;
    default:
      return std::wstring();
  }
}

std::wstring EndEvent(uint8_t lastPage, int lastResult) {
  if (lastPage == kStopPosition)
    return L"end: no page was shown";
  const wchar_t* how =
      lastResult == kResultQuit ? L"end: quit on page " : L"end: finished on page ";
  return how + std::wstring(PositionName(lastPage)) + L" (" + DecimalText(lastPage) + L")";
}

uint8_t NextPosition(uint8_t position,
                     int result,
                     uint8_t& installType,
                     const std::function<bool()>& clientUpgradesServer) {
  switch (result) {
    case kResultForward:
      ++position;
      break;
    case kResultQuit:
      position = kStopPosition;
      break;
    case kResultBack:
      // The first page offers no Back; should one come anyway, the page stays.
      if (position > 0)
        --position;
      break;
    default:
      break;
  }
  if (position == kUpgradeCopyPosition) {
    bool agrees = installType != kInstallClient || !clientUpgradesServer || clientUpgradesServer();
    if (agrees)
      installType = kInstallServer;
  }
  if (position == kUpgradeDataPosition && installType == kInstallClient)
    position = kEndPosition;
  if (position == kAfterUpgradePosition)
    position = kEndPosition;
  return position;
}

Place PagePlace(int screenWidth, int screenHeight, int pageWidth, int pageHeight) {
  return {(screenWidth - pageWidth) / 2, (screenHeight - pageHeight) / 9 * 8};
}

Place PanouPlace(int clientWidth, int clientHeight, int panouWidth, int panouHeight) {
  return {(clientWidth - panouWidth) / 2, (clientHeight - panouHeight) / 2 - 15};
}

std::wstring VersionCaption(double version) {
  // Whole hundredths, formatted by hand so that no locale can change the separator.
  long long hundredths = std::llround(std::fabs(version) * 100);
  WholeDivision split = DivideWhole(hundredths, 100);
  std::wstring decimals = DecimalText(split.remainder);
  if (decimals.size() < 2)
    decimals.insert(0, 1, L'0');
  return std::wstring(L"ver.") + (version < 0 && hundredths != 0 ? L"-" : L"") +
         DecimalText(split.quotient) + L"." + decimals;
}

std::wstring ClientQuestionText() {
  const std::wstring lines[] = {
      L"Baza de date se afla la distanta, pe SERVER.",
      std::wstring(46, L'_'),
      L"",
      L"Daca nu aveti acces la SERVER pentru a lansa UPGRADE,",
      L"",
      L"aveti acum ocazia sa o faceti de pe acest calculator.",
      L"",
      L"-Acest mesaj va apare la fiecare instalare de tip CLIENT.",
      L"Nu este nevoie sa lansati UPGRADE la SERVER decat o singura data.",
      std::wstring(48, L'_'),
      L"",
      L"Fac UPGRADE la baza de date de pe SERVER?",
      L"",
  };
  std::wstring text;
  for (const std::wstring& line : lines) {
    if (&line != lines)
      text += L'\r';
    text += line;
  }
  return text;
}

}  // namespace kolvar::bootstrap
