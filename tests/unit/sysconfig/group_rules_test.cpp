#include "sysconfig/group_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::sysconfig {
namespace {

// The Central European ANSI code page for the Romanian letters, '?' for what it lacks, as
// the system's conversion gives them on a Romanian workstation.
std::string Cp1250(std::wstring_view text) {
  std::string bytes;
  for (wchar_t c : text) {
    switch (c) {
      case L'\u0103':
        bytes += '\xE3';
        break;  // a breve
      case L'\u0102':
        bytes += '\xC3';
        break;
      case L'\u00E2':
        bytes += '\xE2';
        break;  // a circumflex
      case L'\u00EE':
        bytes += '\xEE';
        break;  // i circumflex
      case L'\u015F':
        bytes += '\xBA';
        break;  // s cedilla
      case L'\u0163':
        bytes += '\xFE';
        break;  // t cedilla
      default:
        bytes += c < 0x80 ? static_cast<char>(c) : '?';
    }
  }
  return bytes;
}

std::string Execute(std::wstring_view programDir, GroupPrograms present) {
  return GroupExecuteText(GroupCommands(programDir, present), Cp1250);
}

TEST(GroupExecuteText, HoldsTheCommandsOfThePresentPrograms) {
  using namespace std::string_literals;
  const std::string create = "[CreateGroup(\"ProKOLVAR\")]\r\n";
  const std::string show = "[ShowGroup(\"ProKOLVAR\",8)]\r\n"s + '\0';
  struct Case {
    const char* name;
    std::wstring programDir;
    GroupPrograms present;
    std::string bytes;
  } cases[] = {
      {"KOLVAR.EXE only",
       L"C:\\ProKolv",
       {},
       create + "[AddItem(\"C:\\ProKolv\\KOLVAR.EXE\", \"Kolvar\")]\r\n" + show},
      {"with LUNARIS.EXE and TORNEVA.EXE",
       L"C:\\ProKolv",
       {true, true},
       create + "[AddItem(\"C:\\ProKolv\\KOLVAR.EXE\", \"Kolvar\")]\r\n" +
           "[AddItem(\"C:\\ProKolv\\VENTARI.EXE\", \"Ventari\")]\r\n" +
           "[AddItem(\"C:\\ProKolv\\LUNARIS.EXE\", \"Lunaris\")]\r\n" +
           "[AddItem(\"C:\\ProKolv\\TORNEVA.EXE\", \"Torneva\")]\r\n" + show},
      // VENTARI.EXE is never looked for: without LUNARIS.EXE it has no item.
      {"TORNEVA.EXE only",
       L"C:\\ProKolv",
       {false, true},
       create + "[AddItem(\"C:\\ProKolv\\KOLVAR.EXE\", \"Kolvar\")]\r\n" +
           "[AddItem(\"C:\\ProKolv\\TORNEVA.EXE\", \"Torneva\")]\r\n" + show},
      {"folder with a trailing backslash",
       L"D:\\",
       {true, false},
       create + "[AddItem(\"D:\\\\KOLVAR.EXE\", \"Kolvar\")]\r\n" +
           "[AddItem(\"D:\\\\VENTARI.EXE\", \"Ventari\")]\r\n" +
           "[AddItem(\"D:\\\\LUNARIS.EXE\", \"Lunaris\")]\r\n" + show},
      {"folder with Romanian letters and blanks",
       L"C:\\Contabilitate \u0163\u0103ri \u00EEn\u015F",
       {},
       create +
           "[AddItem(\"C:\\Contabilitate \xFE\xE3ri \xEEn\xBA\\KOLVAR.EXE\", \"Kolvar\")]\r\n" +
           show},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Execute(c.programDir, c.present), c.bytes) << c.name;
}

TEST(GroupExecuteText, EndsWithOneZeroByteAfterTheLastLineEnd) {
  std::string bytes = Execute(L"C:\\P", {});
  ASSERT_GE(bytes.size(), 3u);
  EXPECT_EQ(bytes.substr(bytes.size() - 3), std::string("\r\n\0", 3));
  EXPECT_EQ(bytes.find('\0'), bytes.size() - 1);
}

TEST(ToolCommands, QuoteEveryPath) {
  EXPECT_EQ(HelpUpdaterCommand(L"C:\\Program Files\\Pro Kolv"),
            L"\"C:\\Program Files\\Pro Kolv\\HHUPD.EXE\" /Q");
  EXPECT_EQ(ChartRegistrationCommand(L"C:\\Program Files\\Pro Kolv"),
            L"\"C:\\Program Files\\Pro Kolv\\TREGSVR.EXE\" -Q "
            L"\"C:\\Program Files\\Pro Kolv\\CFX32.OCX\"");
  EXPECT_EQ(HelpUpdaterCommand(L"D:\\"), L"\"D:\\\\HHUPD.EXE\" /Q");
}

}  // namespace
}  // namespace kolvar::sysconfig
