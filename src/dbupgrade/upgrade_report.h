// The report line of the database upgrade: the procedure the upgrade library calls with each
// progress text, and the label it writes to while the database page exists.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace kolvar::toolkit {
class TLabel;
}

namespace kolvar::dbupgrade {

// The label reports are shown in: the database page sets its report line when it is created
// and clears it when it is destroyed. Null while no page exists.
void SetReportLabel(toolkit::TLabel* label) noexcept;
toolkit::TLabel* ReportLabel() noexcept;

// The 8-bit text of a report block: its bytes up to the first NUL, never more than the block's
// size (a block without a NUL gives all its bytes). nullopt when `block` is null or cannot be
// locked. The block is unlocked again and never freed: it stays the library's.
std::optional<std::string> ReadReportBlock(HGLOBAL block) noexcept;

// The report procedure handed to the library. Shows the block's text (ANSI code page) on the
// report label, repaints it at once and lets the program handle its pending messages, so the
// page stays usable while a step runs. With no page the report is read and dropped. Errors
// never leave it (the library's frames are below it): they go to the general error report.
void __stdcall UpgradeReport(HGLOBAL text) noexcept;

}  // namespace kolvar::dbupgrade
