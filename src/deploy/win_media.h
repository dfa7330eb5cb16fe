// The assembly's and the copy pages' file work on Windows: the media drive, the part copy,
// the extraction of one joined archive and the seed folders' clean-up.
#pragma once

#include <string>

#include "deploy/assembly.h"

namespace kolvar::deploy {

// MediaFiles over the Windows file system. IsRemovableDrive asks GetDriveType for the root
// of the path's drive.
class WinMediaFiles : public MediaFiles {
 public:
  bool IsRemovableDrive(const std::wstring& path) override;
  bool FileExists(const std::wstring& path) override;
  std::vector<std::wstring> ListNames(const std::wstring& folder) override;
  // Copies through one kPartBufferSize buffer, allocated for the part and released after it;
  // reads until the end of the part. Throws SystemError "Nu pot deschide <part>: ..." when the
  // part cannot be opened, "Nu pot scrie arhiva <target>: ..." (or "Nu pot crea arhiva",
  // "Nu pot deschide arhiva") after deleting the partial target.
  uint64_t AppendPart(const std::wstring& extension,
                      const std::wstring& source,
                      const std::wstring& target) override;
  bool Delete(const std::wstring& path) override;
  // Throws SystemError "Nu pot sterge <path>: <system text>".
  void DeleteOrFail(const std::wstring& path) override;
};

// Unpacks the archive at `archivePath` into `destination` with the extraction gauge (see
// ExtractWithGauge); `filter` picks entries one by one (all when empty). Throws ZipError or
// SystemError with a message for the user; each file is replaced whole or not at all, and
// the files already written stay.
void ExtractArchive(const std::wstring& archivePath,
                    const std::wstring& destination,
                    CopyView& view,
                    UnzipCounter& counter,
                    bool pump,
                    const EntryFilter& filter = {});

// Empties the seed folders NEW\DATA\, NEW\FIRMA\ and NEW\LUNA\ below `dataDir`. The upgrade
// variant keeps sub-folders and .BMP/.PNG pictures (made writable). Failures are passed over.
void ClearSeedFolders(const std::wstring& dataDir, bool upgrade);

}  // namespace kolvar::deploy
