// The installation log on a real file system: what a run appends, and that a log file the
// installer cannot write (read-only, held by another program, a range locked) changes nothing
// in the run it would have recorded.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bulk_bytes.h"
#include "deploy/win_media.h"
#include "deploy/zip_writer.h"
#include "platform/files.h"
#include "platform/install_log.h"
#include "platform/install_log_file.h"
#include "platform/unique_handle.h"
#include "recording_view.h"
#include "win_test_support.h"

namespace kolvar::deploy {
namespace {

using kolvar::testing::Narrow;
using kolvar::testing::ReadFile;
using kolvar::testing::TempFolder;
using kolvar::testing::WriteFile;
using testing::Bulk;
using testing::RecordingView;

std::string ExeArchive() {
  MemorySink sink;
  ZipWriter writer(sink);
  const uint16_t date = DosDate(2024, 3, 9), time = DosTime(13, 45, 22);
  writer.AddFile({"KOLVAR.EXE", date, time, 0x20}, Bulk(300000));
  writer.AddFolder({"bin/", date, time, 0x10});
  writer.AddFile({"bin/a.dll", date, time, 0x20}, "a");
  writer.Finish();
  return sink.bytes;
}

// The copy page's work over media of one folder: the EXE archive in two parts joined into
// `program` and unpacked there, with the log open on `log`.
void CopyRun(const TempFolder& media, const TempFolder& program, const std::wstring& log) {
  std::string archive = ExeArchive();
  WriteFile(media / L"DISK1", "");
  WriteFile(media / L"EXE.1", archive.substr(0, 100000));
  WriteFile(media / L"EXE.2", archive.substr(100000));
  OpenInstallLog(log, media.path() + L"\\", L"3200879.02");
  bootstrap::InstallState state;
  state.SourceDir = media.path();
  state.ProposedProgramDir = state.ProgramDir = program.path();
  RecordingView view;
  WinMediaFiles files;
  int parts = 0;
  ArchiveAssembly assembly(state, bootstrap::NewInstallSet(bootstrap::kTypeClient), view, files,
                           parts);
  ASSERT_TRUE(assembly.AssembleArchives());
  UnzipCounter counter;
  ExtractArchive(program / L"EXE.ZIP", program.path(), view, counter, false);
  LogEvent(L"end: finished on page TEndScreen (4)");
  CloseInstallLog();
}

TEST(InstallLogWin, EachRunAppendsItsHeaderAndEventsInAnsiWithCrLf) {
  TempFolder media(L"m"), program(L"p"), logs(L"l");
  std::wstring log = logs / L"INSTKOLV.LOG";
  CopyRun(media, program, log);
  CopyRun(media, program, log);
  std::string text = ReadFile(log);
  size_t first = text.find("==== "), second = text.find("==== ", first + 1);
  ASSERT_EQ(first, 0u) << text;
  ASSERT_NE(second, std::string::npos) << text;
  EXPECT_EQ(text.find("==== ", second + 1), std::string::npos);
  std::string run = text.substr(0, second);
  auto lines = [](const std::string& part) { return std::count(part.begin(), part.end(), '\n'); };
  EXPECT_EQ(lines(run), lines(text.substr(second))) << text;
  std::string header = run.substr(0, run.find("\r\n"));
  EXPECT_NE(header.find("  media " + Narrow(media.path()) + "\\  KOLVAR 3200879.02  Windows "),
            std::string::npos)
      << header;
  for (const char* event : {" ms  joining archives from \"", " ms  disk 1: 2 parts joined\r\n",
                            " ms  joined EXE.ZIP: 2 parts, ", " ms  unpacked ", " entries, ",
                            " ms  end: finished on page TEndScreen (4)\r\n"})
    EXPECT_NE(run.find(event), std::string::npos) << event << "\n" << run;
  std::string joined =
      "joined EXE.ZIP: 2 parts, " + std::to_string(ExeArchive().size()) + " bytes\r\n";
  EXPECT_NE(run.find(joined), std::string::npos) << run;
  EXPECT_NE(run.find("3 entries, 300001 bytes, "), std::string::npos) << run;
  // Every line ends with CR LF: no bare line feed anywhere.
  for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
    EXPECT_EQ(text[at - 1], '\r') << at;
}

TEST(InstallLogWin, ALogThatCannotBeWrittenChangesNothingInTheRun) {
  const std::string before = "==== an earlier run\r\n";
  enum Trouble { kReadOnly, kHeldWithoutSharing, kRangeLocked };
  for (Trouble trouble : {kReadOnly, kHeldWithoutSharing, kRangeLocked}) {
    SCOPED_TRACE(trouble);
    TempFolder media(L"m"), program(L"p"), logs(L"l");
    std::wstring log = logs / L"INSTKOLV.LOG";
    WriteFile(log, before);
    ScopedFile holder;
    if (trouble == kReadOnly) {
      ASSERT_TRUE(::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
    } else {
      holder.reset(::CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 trouble == kRangeLocked ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(holder);
      OVERLAPPED from{};
      if (trouble == kRangeLocked)
        ASSERT_TRUE(::LockFileEx(holder.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                                 0, MAXDWORD, MAXDWORD, &from));
    }
    DWORD started = ::GetTickCount();
    ASSERT_NO_FATAL_FAILURE(CopyRun(media, program, log));
    // The same files as a run with a log, and no time lost on a log that refuses writes.
    EXPECT_EQ(ReadFile(program / L"KOLVAR.EXE"), Bulk(300000));
    EXPECT_EQ(ReadFile(program / L"bin\\a.dll"), "a");
    EXPECT_EQ(ReadFile(program / L"EXE.ZIP"), ExeArchive());
    EXPECT_LT(::GetTickCount() - started, 10000u);
    OpenInstallLog(log, L"D:\\", L"3200879.02");
    started = ::GetTickCount();
    for (int i = 0; i < 2000; ++i)
      LogEvent(L"an event the file does not take");
    CloseInstallLog();
    EXPECT_LT(::GetTickCount() - started, 2000u);
    if (trouble == kRangeLocked) {
      OVERLAPPED from{};
      ::UnlockFileEx(holder.get(), 0, MAXDWORD, MAXDWORD, &from);
    }
    holder.reset();
    ::SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_NORMAL);
    // Wine lets writes through another handle's locked range (Windows refuses them): there
    // the earlier runs must stay whole, whatever was added after them.
    if (trouble == kRangeLocked)
      EXPECT_EQ(ReadFile(log).substr(0, before.size()), before);
    else
      EXPECT_EQ(ReadFile(log), before);
  }
}

}  // namespace
}  // namespace kolvar::deploy
