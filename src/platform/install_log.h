// The installation log: one line per event, for the people who support the suite. The lines
// are made and bounded here, without <windows.h>; the file and the clock come from the system
// layer (install_log_file.h). Until a run's log is started every event goes nowhere, which is
// what the media tool and the native tests get.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kolvar {

// Where a run's log goes. Nothing here may throw or report a failure: a log that cannot be
// written is simply not written.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Milliseconds since the run started.
  virtual uint32_t Milliseconds() = 0;
  // `text` in the bytes the file holds (the ANSI code page on Windows).
  virtual std::string Encode(std::wstring_view text) = 0;
  // Appends `bytes` to the file; failures are ignored.
  virtual void Append(const std::string& bytes) = 0;
};

// Most bytes one run adds to the log, its cut line included.
constexpr size_t kLogRunLimit = 1024 * 1024;
// Most characters of one event's text; a longer text is cut and ends with "...".
constexpr size_t kLogTextLimit = 2000;

// The line of an event: `ms` right-aligned in 8 columns, " ms  ", then `text` with every run
// of line breaks shown as " | ", other control characters as blanks (none of either at the
// end), cut to kLogTextLimit characters; CR LF at the end.
std::wstring LogLine(uint32_t ms, std::wstring_view text);

// The header line that opens a run: "==== " followed by the pieces, and CR LF.
struct LogHeader {
  int year, month, day, hour, minute, second;
  std::wstring mediaFolder;
  std::wstring programVersion;
  std::wstring windowsVersion;
  std::wstring machine;  // MachineText's words; left out when empty
};

// What a supporter asks first about the machine a run was on.
struct MachineFacts {
  bool windows64 = false;        // a 64-bit Windows (the program runs under WOW64)
  bool administrator = false;    // the user is a member of Administrators
  std::optional<bool> elevated;  // the process runs elevated; unknown before Vista
  bool sse = false;              // the processor has SSE
};
// "64-bit Windows, administrator, elevated, SSE" and the like.
std::wstring MachineText(const MachineFacts& facts);
std::wstring LogHeaderLine(const LogHeader& header);

// The line written in place of the events that would carry a run past its limit.
std::wstring LogCutLine(uint32_t ms, size_t limit);

// One run's log: the header, then the events, while the run's bytes stay within `limit`. The
// event that would pass it (keeping room for the cut line) is replaced by the cut line, and
// nothing is written after that.
class RunLog {
 public:
  RunLog(LogSink& sink, size_t limit = kLogRunLimit) : sink_(sink), limit_(limit) {}
  void Header(const LogHeader& header);
  void Event(std::wstring_view text);
  // Bytes this run has written.
  size_t Written() const { return written_; }
  bool IsCut() const { return cut_; }
  uint32_t Milliseconds() { return sink_.Milliseconds(); }

 private:
  void Put(const std::wstring& line);

  LogSink& sink_;
  size_t limit_;
  size_t written_ = 0;
  size_t reserve_ = 0;  // bytes of the cut line, kept free until it is written
  bool cut_ = false;
};

// The process-wide log. StartLog writes the header through `sink` (which must outlive the
// run, or the next StartLog); StartLog(nullptr, ...) ends the log. LogEvent never throws.
void StartLog(LogSink* sink, const LogHeader& header, size_t limit = kLogRunLimit);
void StopLog();
void LogEvent(std::wstring_view text);
// Milliseconds since the log started; 0 when there is none.
uint32_t LogClock();

// `count` and the noun that goes with it: "1 part", "3 parts", "1 entry", "0 entries".
std::wstring CountText(long long count, const wchar_t* one, const wchar_t* many);

// "caption: text | answer" for a message the user saw: the one form every message takes.
std::wstring MessageEvent(std::wstring_view caption,
                          std::wstring_view text,
                          std::wstring_view answer);
// "`caption` without its accelerator marks" ("O&K" gives "OK").
std::wstring PlainCaption(std::wstring_view caption);

}  // namespace kolvar
