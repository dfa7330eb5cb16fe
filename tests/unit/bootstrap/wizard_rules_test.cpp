#include "bootstrap/wizard_rules.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <vector>

namespace kolvar::bootstrap {
namespace {

constexpr uint8_t kLocal = 1, kServer = 2, kClient = 3;

struct Move {
  const char* name;
  uint8_t from;
  int result;
  uint8_t typeBefore;
  bool answer;  // the client's answer, when asked
  uint8_t to;
  uint8_t typeAfter;
  int questions;
};

TEST(NextPosition, EveryRowOfTheTransitionTable) {
  const Move moves[] = {
      {"type page forward", 0, 1, 0, false, 1, 0, 0},
      {"type page Back keeps the position", 0, 4, 0, false, 0, 0, 0},
      {"folders forward", 1, 1, kLocal, false, 2, kLocal, 0},
      {"folders back", 1, 4, kLocal, false, 0, kLocal, 0},
      {"folders cancel ends", 1, 2, kLocal, false, 5, kLocal, 0},
      {"copy forward", 2, 1, kServer, false, 3, kServer, 0},
      {"copy back", 2, 4, kServer, false, 1, kServer, 0},
      {"configuration forward", 3, 1, kClient, false, 4, kClient, 0},
      {"configuration back", 3, 4, kClient, false, 2, kClient, 0},
      {"end page forward stops", 4, 1, kLocal, false, 5, kLocal, 0},
      {"end page back after an upgrade", 4, 4, kServer, false, 3, kServer, 0},
      {"locate forward, LOCAL becomes SERVER unasked", 6, 1, kLocal, false, 7, kServer, 0},
      {"locate forward, client agrees", 6, 1, kClient, true, 7, kServer, 1},
      {"locate forward, client declines", 6, 1, kClient, false, 7, kClient, 1},
      {"locate back stops", 6, 4, kClient, false, 5, kClient, 0},
      {"upgrade copy forward to the database", 7, 1, kServer, false, 8, kServer, 0},
      {"upgrade copy forward, declined client to the end", 7, 1, kClient, false, 4, kClient, 0},
      {"upgrade copy back", 7, 4, kClient, false, 6, kClient, 0},
      {"database forward to the end", 8, 1, kServer, false, 4, kServer, 0},
      {"database back, no second question", 8, 4, kServer, true, 7, kServer, 0},
      {"upgrade copy shown again asks again", 7, 0, kClient, false, 7, kClient, 1},
      {"database cancel ends", 8, 2, kServer, false, 5, kServer, 0},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(m.name);
    uint8_t type = m.typeBefore;
    int questions = 0;
    uint8_t to = NextPosition(m.from, m.result, type, [&] {
      ++questions;
      return m.answer;
    });
    EXPECT_EQ(to, m.to);
    EXPECT_EQ(type, m.typeAfter);
    EXPECT_EQ(questions, m.questions);
  }
}

TEST(NextPosition, AnyOtherResultShowsThePageAgain) {
  for (int result : {0, 3, 5, 6, 7, 12, -1, 1000}) {
    for (uint8_t position : {0, 1, 2, 3, 4, 6, 8}) {
      uint8_t type = kLocal;
      EXPECT_EQ(NextPosition(position, result, type, nullptr), position)
          << "result " << result << " at " << int(position);
    }
  }
}

TEST(NextPosition, ClientIsAskedOnEveryVisitUntilYes) {
  std::vector<bool> answers = {false, false, true};
  size_t asked = 0;
  auto ask = [&] { return answers.at(asked++); };
  uint8_t type = kClient;
  uint8_t position = NextPosition(6, 1, type, ask);  // No
  position = NextPosition(position, 0, type, ask);   // shown again: No
  position = NextPosition(position, 0, type, ask);   // shown again: Yes
  EXPECT_EQ(position, 7);
  EXPECT_EQ(type, kServer);
  position = NextPosition(position, 0, type, ask);  // no further question after a Yes
  position = NextPosition(position, 1, type, ask);
  EXPECT_EQ(position, 8);
  EXPECT_EQ(asked, 3u);
}

TEST(Placement, PagesSitLowAndCentredAndThePanelCentred) {
  Place page = PagePlace(1920, 1080, 637, 400);
  EXPECT_EQ(page.Top, 600);
  EXPECT_EQ(page.Left, 641);
  page = PagePlace(1023, 767, 640, 480);  // odd sizes truncate: 383 / 2, 287 / 9 × 8
  EXPECT_EQ(page.Left, 191);
  EXPECT_EQ(page.Top, 248);
  page = PagePlace(600, 400, 701, 419);  // larger than the screen: toward zero
  EXPECT_EQ(page.Left, -50);
  EXPECT_EQ(page.Top, -16);
  Place panou = PanouPlace(1024, 768);
  EXPECT_EQ(panou.Left, 137);
  EXPECT_EQ(panou.Top, 119);
}

struct CommaSeparator : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(VersionCaption, TwoDecimalsWithAPointWhateverTheLocale) {
  std::locale old = std::locale::global(std::locale(std::locale::classic(), new CommaSeparator));
  for (const char* name : {"ro_RO.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name))
      break;
  }
  EXPECT_EQ(VersionCaption(3200879.02), L"ver.3200879.02");
  EXPECT_EQ(VersionCaption(1.5), L"ver.1.50");
  EXPECT_EQ(VersionCaption(0.05), L"ver.0.05");
  EXPECT_EQ(VersionCaption(12.999), L"ver.13.00");
  std::setlocale(LC_NUMERIC, "C");
  std::locale::global(old);
}

TEST(WizardLog, PageMovesCommittedValuesAndTheEnd) {
  EXPECT_EQ(PageMoveEvent(0, 1, 1), L"page TIType (0) closed with 1 (forward): TDirs (1)");
  EXPECT_EQ(PageMoveEvent(2, 2, kStopPosition), L"page TCopy (2) closed with 2 (quit): stop (5)");
  EXPECT_EQ(PageMoveEvent(1, 4, 0), L"page TDirs (1) closed with 4 (back): TIType (0)");
  EXPECT_EQ(PageMoveEvent(8, 0, 8), L"page TUpgData (8) closed with 0: TUpgData (8)");
  EXPECT_STREQ(PositionName(9), L"?");

  EXPECT_EQ(CommittedEvent(0, 1, L"C:\\ProKolv", L"C:\\ProKolv"), L"installation type LOCAL (1)");
  EXPECT_EQ(CommittedEvent(1, 2, L"C:\\Pro Kolv", L"E:\\Date"),
            L"program folder \"C:\\Pro Kolv\", data folder \"E:\\Date\"");
  EXPECT_EQ(CommittedEvent(kFindAppPosition, 3, L"C:\\ProKolv\\", L"N:\\Kolvar"),
            L"installation type CLIENT (3), program folder \"C:\\ProKolv\\\", data folder "
            L"\"N:\\Kolvar\"");
  EXPECT_EQ(CommittedEvent(2, 1, L"C:\\ProKolv", L"C:\\ProKolv"), L"");

  EXPECT_EQ(EndEvent(kEndPosition, 1), L"end: finished on page TEndScreen (4)");
  EXPECT_EQ(EndEvent(2, 2), L"end: quit on page TCopy (2)");
  EXPECT_EQ(EndEvent(kStopPosition, 0), L"end: no page was shown");
}

TEST(ClientQuestion, ThirteenLinesSeparatedByASingleCarriageReturn) {
  std::wstring text = ClientQuestionText();
  std::vector<std::wstring> lines(1);
  for (wchar_t ch : text) {
    if (ch == L'\r')
      lines.emplace_back();
    else
      lines.back() += ch;
  }
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
  EXPECT_EQ(lines[0], L"Baza de date se afla la distanta, pe SERVER.");
  EXPECT_EQ(lines[1], std::wstring(46, L'_'));
  EXPECT_EQ(lines[9], std::wstring(48, L'_'));
  EXPECT_EQ(lines[11], L"Fac UPGRADE la baza de date de pe SERVER?");
  EXPECT_EQ(lines[12], L"");
  EXPECT_EQ(lines[2] + lines[4] + lines[6] + lines[10], L"");
}

}  // namespace
}  // namespace kolvar::bootstrap
