// Program files and folder trees for the locate page's tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace kolvar::testing {

// A program file of `size` bytes (its length set, nothing written), parents created.
void MakeProgramFile(const std::wstring& path, uint64_t size);
// A KOLVAR.EXE that the locate page accepts, in `folder`.
void MakeAcceptedProgram(const std::wstring& folder);
// Makes `folder` and its parents, then gives it `attributes` (e.g. hidden).
void MakeFolder(const std::wstring& folder, DWORD attributes = 0);

// Drive E: holds only what the test puts there (and the hidden tree prepare_drives.sh makes):
// emptied on creation and at the end.
class EmptyDriveE {
 public:
  EmptyDriveE();
  ~EmptyDriveE();
  EmptyDriveE(const EmptyDriveE&) = delete;
  EmptyDriveE& operator=(const EmptyDriveE&) = delete;
};

}  // namespace kolvar::testing
