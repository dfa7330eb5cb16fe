// A disk that fills up, played through the copy's write seam (WriteFileForCopy).
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "deploy/win_files.h"

namespace kolvar::deploy::testing {

// While it lives, the disk has `room` bytes left: a write beyond them fails as a full disk
// does or, `silent`, takes nothing and says nothing. MakeRoom frees the disk (from any thread).
class FullDisk {
 public:
  explicit FullDisk(uint64_t room, bool silent = false) {
    room_ = room;
    silent_ = silent;
    refused_ = false;
    WriteFileForCopy = &Write;
  }
  ~FullDisk() { WriteFileForCopy = ::WriteFile; }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  void MakeRoom() { room_ = UINT64_MAX; }
  // Whether a write was refused since the disk was made.
  bool Refused() const { return refused_; }

 private:
  static BOOL WINAPI
  Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    uint64_t room = room_;
    DWORD take = static_cast<DWORD>(std::min<uint64_t>(size, room));
    if (take == 0 && size > 0) {
      refused_ = true;
      *written = 0;
      if (silent_)
        return TRUE;
      ::SetLastError(ERROR_DISK_FULL);
      return FALSE;
    }
    if (room != UINT64_MAX)
      room_ -= take;
    return ::WriteFile(file, data, take, written, overlapped);
  }
  static inline std::atomic<uint64_t> room_{0};
  static inline std::atomic<bool> silent_{false};
  static inline std::atomic<bool> refused_{false};
};

}  // namespace kolvar::deploy::testing
