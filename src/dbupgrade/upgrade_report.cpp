#include "dbupgrade/upgrade_report.h"

#include <cstring>

#include "platform/files.h"
#include "platform/foreign_call.h"
#include "platform/install_log.h"
#include "platform/unique_handle.h"
#include "toolkit/application.h"
#include "toolkit/std_controls.h"

namespace kolvar::dbupgrade {

namespace {

// The library keeps the report procedure after the page is gone and may call it at any time;
// this pointer is what tells whether there is still a label to write to.
toolkit::TLabel* g_reportLabel = nullptr;

}  // namespace

void SetReportLabel(toolkit::TLabel* label) noexcept {
  g_reportLabel = label;
}

toolkit::TLabel* ReportLabel() noexcept {
  return g_reportLabel;
}

std::optional<std::string> ReadReportBlock(HGLOBAL block) noexcept {
  if (!block)
    return std::nullopt;
  SIZE_T size = ::GlobalSize(block);
  ScopedGlobalLock lock(block);
  const char* bytes = static_cast<const char*>(lock.data());
  if (!bytes)
    return std::nullopt;
  const void* end = std::memchr(bytes, '\0', size);
  size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - bytes) : size;
  try {
    return std::string(bytes, length);
  } catch (...) {
    return std::nullopt;
  }
}

void __stdcall UpgradeReport(HGLOBAL text) noexcept {
  // Called from inside a step: the library's floating-point settings are not ours.
  OwnFloatingPointScope ownFloatingPoint;
  try {
    std::optional<std::string> bytes = ReadReportBlock(text);
    if (bytes)
      LogEvent(L"database report: " + AnsiToWide(*bytes));
    toolkit::TLabel* label = g_reportLabel;
    if (!bytes || !label)
      return;
    label->SetCaption(AnsiToWide(*bytes));
    label->Repaint();
    toolkit::Application().ProcessMessages();
  } catch (...) {
    toolkit::Application().HandleException();
  }
}

}  // namespace kolvar::dbupgrade
