// The database copy made before an upgrade (ListDatabase and CopyDatabase on the Windows file
// layer, as the upgrade page makes it) against the system's own `xcopy /e /k /h` of the same
// tree, in alternating runs so that both meet the same load and the same file cache. Usage:
//   database_copy_bench.exe <database folder> <scratch folder> [runs]
// Prints each run, the medians and their ratio, and the peak memory of each side (the
// installer's copy in this process: its peak beyond what the process held before; xcopy's
// whole process, read while it runs). The tree is read once untimed first. Goal: the copy at
// most 1.25 times xcopy.
#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"

#include "dbupgrade/database_copy.h"
#include "deploy/file_layer.h"
#include "deploy/win_files.h"
#include "platform/error.h"

using namespace kolvar;
using bench::Median;
using bench::Now;
using bench::PeakCommitted;

namespace {

size_t Committed() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof(pmc);
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof(pmc));
  return pmc.PagefileUsage;
}

// Milliseconds of `xcopy source target /e /k /h /i /q /y`; its peak memory in `peak`; -1 when
// it did not run or failed.
double Xcopy(const std::wstring& source, const std::wstring& target, size_t& peak) {
  return bench::RunTimed(L"xcopy.exe \"" + source + L"\" \"" + target + L"\" /e /k /h /i /q /y",
                         &peak);
}

void Remove(const std::wstring& folder) {
  deploy::WinFileSystem files(false);
  if (files.Attributes(folder))
    deploy::DeleteTree(files, folder);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: database_copy_bench.exe <database> <scratch> [runs]\n");
    return 2;
  }
  std::wstring database = argv[1], scratch = argv[2];
  int runs = argc > 3 ? _wtoi(argv[3]) : 3;
  std::wstring ours = scratch + L"\\copy", theirs = scratch + L"\\xcopy";
  ::CreateDirectoryW(scratch.c_str(), nullptr);
  Remove(ours);
  Remove(theirs);

  // Once untimed, so that the first timed run does not read the tree from the disk alone.
  size_t warm = 0;
  Xcopy(database, theirs, warm);
  Remove(theirs);

  std::vector<double> copyTimes, xcopyTimes;
  size_t copyPeak = 0, xcopyPeak = 0;
  dbupgrade::CopyResult result;
  size_t listed = 0;
  for (int run = 0; run < runs; ++run) {
    size_t peak = 0;
    double x = Xcopy(database, theirs, peak);
    if (x < 0) {
      std::printf("xcopy failed\n");
      return 1;
    }
    xcopyTimes.push_back(x);
    xcopyPeak = std::max(xcopyPeak, peak);
    Remove(theirs);

    size_t before = Committed();
    double start = Now();
    // As the upgrade page does it: the list, then the copy, with the progress reported.
    deploy::WinFileSystem files;
    std::vector<dbupgrade::DatabaseItem> items = dbupgrade::ListDatabase(files, database, {});
    int lastPercent = -1;
    try {
      result = dbupgrade::CopyDatabase(files, database, items, ours,
                                       [&](int percent) { lastPercent = percent; });
    } catch (const Error& error) {
      std::printf("the copy failed: %ls\n", error.message().c_str());
      return 1;
    }
    double c = Now() - start;
    copyTimes.push_back(c);
    listed = items.size();
    copyPeak = std::max(copyPeak, PeakCommitted(::GetCurrentProcess()) - before);
    std::printf("run %d: xcopy %.0f ms, the installer's copy %.0f ms (progress ended at %d%%)\n",
                run + 1, x, c, lastPercent);
    Remove(ours);
  }
  double copy = Median(copyTimes), xcopy = Median(xcopyTimes);
  std::printf("tree: %zu files, %.1f MB (%zu items listed)\n", result.files,
              result.bytes / 1048576.0, listed);
  std::printf("median of %d: xcopy /e /k /h %.0f ms, the installer's copy %.0f ms\n", runs, xcopy,
              copy);
  std::printf("installer's copy / xcopy: %.2f (goal: 1.25 at most)\n", copy / xcopy);
  std::printf(
      "peak memory: the installer's copy %.1f MB beyond the process's own, xcopy's process "
      "%.1f MB\n",
      copyPeak / 1048576.0, xcopyPeak / 1048576.0);
  return 0;
}
