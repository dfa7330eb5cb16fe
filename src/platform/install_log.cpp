#include "platform/install_log.h"

#include <optional>

#include "platform/text.h"

namespace kolvar {

namespace {

std::wstring Padded(long long value, size_t width, wchar_t fill) {
  std::wstring digits = DecimalText(value);
  if (digits.size() < width)
    digits.insert(0, width - digits.size(), fill);
  return digits;
}

bool IsLineBreak(wchar_t c) {
  return c == L'\r' || c == L'\n';
}

std::optional<RunLog>& TheLog() {
  static std::optional<RunLog> log;
  return log;
}

}  // namespace

std::wstring LogLine(uint32_t ms, std::wstring_view text) {
  // What ends a text (line breaks, the NUL of a text made for C) is not part of the event.
  while (!text.empty() && text.back() < L' ')
    text.remove_suffix(1);
  std::wstring line = Padded(ms, 8, L' ') + L" ms  ";
  size_t taken = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (taken == kLogTextLimit) {
      line += L"...";
      break;
    }
    wchar_t c = text[i];
    if (IsLineBreak(c)) {
      // A message's lines and paragraphs stay apart without leaving the event's line.
      while (i + 1 < text.size() && IsLineBreak(text[i + 1]))
        ++i;
      line += L" | ";
    } else {
      line += c < L' ' ? L' ' : c;
    }
    ++taken;
  }
  return line + L"\r\n";
}

std::wstring LogHeaderLine(const LogHeader& h) {
  return L"==== " + Padded(h.year, 4, L'0') + L'-' + Padded(h.month, 2, L'0') + L'-' +
         Padded(h.day, 2, L'0') + L' ' + Padded(h.hour, 2, L'0') + L':' +
         Padded(h.minute, 2, L'0') + L':' + Padded(h.second, 2, L'0') + L"  media " +
         h.mediaFolder + L"  KOLVAR " + h.programVersion + L"  Windows " + h.windowsVersion +
         (h.machine.empty() ? L"" : L"  " + h.machine) + L"\r\n";
}

std::wstring MachineText(const MachineFacts& facts) {
  std::wstring text = facts.windows64 ? L"64-bit Windows" : L"32-bit Windows";
  text += facts.administrator ? L", administrator" : L", not administrator";
  if (facts.elevated)
    text += *facts.elevated ? L", elevated" : L", not elevated";
  else
    text += L", elevation unknown";
  text += facts.sse ? L", SSE" : L", no SSE";
  return text;
}

std::wstring LogCutLine(uint32_t ms, size_t limit) {
  return LogLine(ms, L"log cut: this run reached " + DecimalText(static_cast<long long>(limit)) +
                         L" bytes; its later events are not recorded");
}

void RunLog::Header(const LogHeader& header) {
  Put(LogHeaderLine(header));
}

void RunLog::Event(std::wstring_view text) {
  Put(LogLine(sink_.Milliseconds(), text));
}

void RunLog::Put(const std::wstring& line) {
  if (cut_)
    return;
  std::string bytes = sink_.Encode(line);
  // Room is kept for the cut line of the largest time a run can show.
  if (!reserve_)
    reserve_ = sink_.Encode(LogCutLine(0xFFFFFFFFu, limit_)).size();
  if (written_ + bytes.size() + reserve_ > limit_) {
    cut_ = true;
    bytes = sink_.Encode(LogCutLine(sink_.Milliseconds(), limit_));
    if (written_ + bytes.size() > limit_)
      return;
  }
  sink_.Append(bytes);
  written_ += bytes.size();
}

void StartLog(LogSink* sink, const LogHeader& header, size_t limit) {
  StopLog();
  if (!sink)
    return;
  TheLog().emplace(*sink, limit);
  try {
    TheLog()->Header(header);
  } catch (...) {
  }
}

void StopLog() {
  TheLog().reset();
}

void LogEvent(std::wstring_view text) {
  std::optional<RunLog>& run = TheLog();
  if (!run)
    return;
  try {
    run->Event(text);
  } catch (...) {
    // Out of memory while making a line: the event is lost, the installation goes on.
  }
}

uint32_t LogClock() {
  std::optional<RunLog>& run = TheLog();
  return run ? run->Milliseconds() : 0;
}

std::wstring CountText(long long count, const wchar_t* one, const wchar_t* many) {
  return DecimalText(count) + L' ' + (count == 1 ? one : many);
}

std::wstring PlainCaption(std::wstring_view caption) {
  std::wstring plain;
  for (size_t i = 0; i < caption.size(); ++i) {
    // "&&" stands for one ampersand; a single one marks the accelerator.
    if (caption[i] == L'&' && ++i == caption.size())
      break;
    plain += caption[i];
  }
  return plain;
}

std::wstring MessageEvent(std::wstring_view caption,
                          std::wstring_view text,
                          std::wstring_view answer) {
  return L"message \"" + std::wstring(caption) + L"\" \"" + std::wstring(text) + L"\" answer " +
         std::wstring(answer);
}

}  // namespace kolvar
