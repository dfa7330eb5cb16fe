// Unpacking one archive and the seed clean-up outside a copy run (the media tool's and the
// tests' way), in a file of their own: the program's copy run does both through its
// transaction and never links this.
#include <windows.h>

#include "deploy/copy_run.h"
#include "deploy/win_files.h"
#include "deploy/win_media.h"
#include "platform/install_log.h"
#include "platform/text.h"

namespace kolvar::deploy {

void ExtractArchive(const std::wstring& archivePath,
                    const std::wstring& destination,
                    CopyView& view,
                    UnzipCounter& counter,
                    bool pump,
                    const EntryFilter& filter) {
  counter.ZipSize = 0;
  counter.ZipProgres = 0;
  uint32_t started = LogClock();
  try {
    WinFileSource source(archivePath);
    ZipArchive archive(source, archivePath, DecodeOem);
    // Counted once per archive, never per entry: the log must not slow the unpacking.
    size_t taken = 0, leftOut = 0;
    uint64_t bytes = 0;
    for (const ZipEntry& entry : archive.entries()) {
      if (filter && !filter(entry)) {
        ++leftOut;
      } else {
        ++taken;
        bytes += entry.uncompressedSize;
      }
    }
    WinExtractTarget target(destination);
    ExtractWithGauge(archive, target, view, counter, pump, filter);
    std::wstring event = L"unpacked " + archivePath + L" into \"" + destination + L"\": " +
                         CountText(static_cast<long long>(taken), L"entry", L"entries") + L", " +
                         DecimalText(static_cast<long long>(bytes)) + L" bytes, " +
                         DecimalText(LogClock() - started) + L" ms";
    if (filter)
      event += L", " + DecimalText(static_cast<long long>(leftOut)) + L" left out by the filter";
    LogEvent(event);
  } catch (const Error& error) {
    LogEvent(L"unpacking " + archivePath + L" into \"" + destination + L"\" failed after " +
             DecimalText(LogClock() - started) + L" ms: " + error.message());
    throw;
  }
}

void ClearSeedFolders(const std::wstring& dataDir, bool upgrade) {
  WinFileSystem files(false);
  WriteTransaction transaction(files, {dataDir});
  deploy::ClearSeedFolders(transaction, files, dataDir, upgrade);
  transaction.Commit();
}

}  // namespace kolvar::deploy
