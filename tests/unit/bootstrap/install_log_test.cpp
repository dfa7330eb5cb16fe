#include "platform/install_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolvar {
namespace {

// A log file in memory: ASCII text, one byte a character, and a clock the test moves.
class MemorySink : public LogSink {
 public:
  uint32_t Milliseconds() override { return now; }
  std::string Encode(std::wstring_view text) override {
    std::string bytes;
    for (wchar_t c : text)
      bytes += c < 0x80 ? static_cast<char>(c) : '?';
    return bytes;
  }
  void Append(const std::string& bytes) override { file += bytes; }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (size_t at = 0; at < file.size();) {
      size_t end = file.find("\r\n", at);
      EXPECT_NE(end, std::string::npos) << "a line without CR LF";
      if (end == std::string::npos)
        break;
      lines.push_back(file.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  uint32_t now = 0;
  std::string file;
};

const LogHeader kHeader{2026, 3, 7, 9, 5, 1, L"D:\\", L"3200879.02", L"5.1.2600 Service Pack 3"};

TEST(LogLine, TimeRightAlignedThenTheTextOnOneLine) {
  struct Case {
    uint32_t ms;
    std::wstring text;
    std::wstring line;
  } cases[] = {
      {0, L"start", L"       0 ms  start\r\n"},
      {1234, L"page TIType", L"    1234 ms  page TIType\r\n"},
      {4294967295u, L"x", L"4294967295 ms  x\r\n"},
      // A message's lines and paragraphs ("\r", "\r\r", CR LF) stay on the event's line.
      {5, L"PENTRU CONTINUARE,\r\rIntroduceti\rdischeta 2\r\n",
       L"       5 ms  PENTRU CONTINUARE, | Introduceti | discheta 2\r\n"},
      {5, L"\r\r", L"       5 ms  \r\n"},
      {5, std::wstring(L"[ShowGroup(\"ProKOLVAR\",8)]\r\n\0", 29),
       L"       5 ms  [ShowGroup(\"ProKOLVAR\",8)]\r\n"},
      {5,
       L"a\tb\x01"
       L"c",
       L"       5 ms  a b c\r\n"},
      {5, L"", L"       5 ms  \r\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LogLine(c.ms, c.text), c.line) << c.ms;
}

TEST(LogLine, LongTextIsCutWithAMark) {
  std::wstring line = LogLine(7, std::wstring(kLogTextLimit + 500, L'x'));
  EXPECT_EQ(line, L"       7 ms  " + std::wstring(kLogTextLimit, L'x') + L"...\r\n");
  EXPECT_EQ(LogLine(7, std::wstring(kLogTextLimit, L'x')),
            L"       7 ms  " + std::wstring(kLogTextLimit, L'x') + L"\r\n");
}

TEST(LogHeaderLine, DateTimeMediaVersionAndWindows) {
  EXPECT_EQ(LogHeaderLine(kHeader),
            L"==== 2026-03-07 09:05:01  media D:\\  KOLVAR 3200879.02  Windows 5.1.2600 Service "
            L"Pack 3\r\n");
  LogHeader withMachine = kHeader;
  withMachine.machine = MachineText({true, true, false, true});
  EXPECT_EQ(LogHeaderLine(withMachine),
            L"==== 2026-03-07 09:05:01  media D:\\  KOLVAR 3200879.02  Windows 5.1.2600 Service "
            L"Pack 3  64-bit Windows, administrator, not elevated, SSE\r\n");
  EXPECT_EQ(MachineText({false, false, std::nullopt, false}),
            L"32-bit Windows, not administrator, elevation unknown, no SSE");
}

TEST(RunLog, StopsAtItsLimitWithOneCutLine) {
  for (size_t limit : {size_t{400}, size_t{1000}, kLogRunLimit}) {
    MemorySink sink;
    RunLog log(sink, limit);
    log.Header(kHeader);
    std::wstring event(37, L'e');
    int events = 0;
    while (!log.IsCut() && events < 100000) {
      sink.now += 3;
      log.Event(event);
      ++events;
    }
    ASSERT_TRUE(log.IsCut()) << limit;
    for (int i = 0; i < 10; ++i)
      log.Event(L"after the cut");
    EXPECT_LE(sink.file.size(), limit);
    EXPECT_EQ(sink.file.size(), log.Written());
    std::vector<std::string> lines = sink.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front().rfind("==== 2026-03-07", 0), 0u);
    EXPECT_NE(lines.back().find("log cut: this run reached " + std::to_string(limit) + " bytes"),
              std::string::npos)
        << lines.back();
    for (size_t i = 1; i + 1 < lines.size(); ++i)
      EXPECT_EQ(lines[i].substr(lines[i].size() - event.size()), std::string(37, 'e'));
    // Only the room of the cut line is left over: the events filled the rest.
    EXPECT_GT(sink.file.size() + 2 * (event.size() + 15), limit);
  }
}

TEST(RunLog, AnEventTooLargeForTheRoomLeftIsReplacedByTheCutLine) {
  MemorySink sink;
  RunLog log(sink, 300);
  log.Event(L"short");
  log.Event(std::wstring(400, L'x'));
  log.Event(L"short again");
  std::vector<std::string> lines = sink.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "       0 ms  short");
  EXPECT_NE(lines[1].find("log cut"), std::string::npos);
}

TEST(ProcessLog, NothingBeforeTheStartNorAfterTheStop) {
  LogEvent(L"before");  // no log yet: nowhere, no failure
  EXPECT_EQ(LogClock(), 0u);
  MemorySink sink;
  sink.now = 42;
  StartLog(&sink, kHeader);
  LogEvent(L"during");
  EXPECT_EQ(LogClock(), 42u);
  StopLog();
  LogEvent(L"after");
  std::vector<std::string> lines = sink.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("==== ", 0), 0u);
  EXPECT_EQ(lines[1], "      42 ms  during");
}

TEST(MessageEvent, CaptionTextAndTheButtonWithoutItsMark) {
  EXPECT_EQ(MessageEvent(L"Atentie !", L"Introduceti dischetele", PlainCaption(L"O&K")),
            L"message \"Atentie !\" \"Introduceti dischetele\" answer OK");
  EXPECT_EQ(PlainCaption(L"&Renunt"), L"Renunt");
  EXPECT_EQ(CountText(1, L"entry", L"entries"), L"1 entry");
  EXPECT_EQ(CountText(0, L"entry", L"entries"), L"0 entries");
  EXPECT_EQ(PlainCaption(L"A && B"), L"A & B");
  EXPECT_EQ(PlainCaption(L"end&"), L"end");
}

}  // namespace
}  // namespace kolvar
