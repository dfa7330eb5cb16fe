// The one layer through which the copy pages write the user's files. A file is written under
// a temporary name beside its destination, checked, flushed and moved over the old one in one
// step; what a run replaces or deletes is moved into a roll-back folder of the run and put
// back when the run fails, and a journal lets the next run put it back after a power cut.
// The system is reached through FileSystem, the one seam where tests fail the Nth operation.
// No <windows.h> here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "deploy/zip_reader.h"

namespace kolvar::deploy {

inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrNormal = 0x80;

// One entry of a folder listing.
struct FolderItem {
  std::wstring name;
  uint32_t attributes = 0;  // FILE_ATTRIBUTE_* values
  uint64_t size = 0;        // of a file
  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};

// Room on the volume that holds a path.
struct VolumeSpace {
  std::wstring volume;      // how the user names it ("C:\", "\\server\share\")
  uint64_t free = 0;        // bytes the caller may still write
  uint32_t cluster = 4096;  // allocation unit; every file takes whole ones
};

// Whether an existing file can be replaced now.
enum class WriteAccess { kFree, kInUse, kRefused };

// The system's files, as the copy run uses them. Paths are Windows paths (absolute, or
// relative to the current folder). Every method that changes something throws Error with
// the system's reason.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Attributes of what is at `path`; nullopt when nothing is there.
  virtual std::optional<uint32_t> Attributes(const std::wstring& path) = 0;
  // The entries of `folder` without "." and ".."; empty when it cannot be listed.
  virtual std::vector<FolderItem> List(const std::wstring& folder) = 0;
  // Creates one folder level; one that exists already is no failure.
  virtual void CreateFolder(const std::wstring& path) = 0;
  // Removes an empty folder.
  virtual void RemoveFolder(const std::wstring& path) = 0;
  // Creates (or empties) a file of ours for writing. Finish(date, time, nullopt) flushes it,
  // checks that it holds every byte written, gives it the DOS date and time and closes it.
  virtual std::unique_ptr<OutputFile> CreateFile(const std::wstring& path) = 0;
  // Moves a file or folder within its volume in one step, replacing a file at `to`, and
  // returns only once the move is on the disk.
  virtual void Move(const std::wstring& from, const std::wstring& to) = 0;
  // Deletes a file.
  virtual void Delete(const std::wstring& path) = 0;
  // Copies a file with its times and attributes to `to`, a new file of ours (replaced when it
  // is there).
  virtual void CopyFile(const std::wstring& from, const std::wstring& to) = 0;
  virtual void SetAttributes(const std::wstring& path, uint32_t attributes) = 0;
  // The whole contents of a small file of ours; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadSmallFile(const std::wstring& path) = 0;
  // Whether the existing file at `path` could be opened for exclusive writing; `reason` gets
  // the system's text when it could not.
  virtual WriteAccess CheckWriteAccess(const std::wstring& path, std::wstring& reason) = 0;
  // Room on the volume of `path` (which need not exist yet); nullopt when it cannot be asked.
  virtual std::optional<VolumeSpace> Space(const std::wstring& path) = 0;
};

// The test seam over a FileSystem: the Nth change (create, write, finish, move, delete,
// attribute change, folder creation or removal) fails as a full disk would; `Count` says how
// many changes a run made. N = 0 fails nothing.
class FaultInjection : public FileSystem {
 public:
  explicit FaultInjection(FileSystem& inner, uint64_t failAt = 0)
      : inner_(inner), failAt_(failAt) {}
  uint64_t Count() const { return count_; }
  bool Fired() const { return fired_; }
  // Fails the Nth change from now on (0: none); the count starts again.
  void FailAt(uint64_t n) {
    failAt_ = n;
    count_ = 0;
    fired_ = false;
  }
  // Counts one change and throws when it is the one to fail.
  void Step(const std::wstring& what);

  std::optional<uint32_t> Attributes(const std::wstring& path) override {
    return inner_.Attributes(path);
  }
  std::vector<FolderItem> List(const std::wstring& folder) override { return inner_.List(folder); }
  void CreateFolder(const std::wstring& path) override;
  void RemoveFolder(const std::wstring& path) override;
  std::unique_ptr<OutputFile> CreateFile(const std::wstring& path) override;
  void Move(const std::wstring& from, const std::wstring& to) override;
  void Delete(const std::wstring& path) override;
  void CopyFile(const std::wstring& from, const std::wstring& to) override;
  void SetAttributes(const std::wstring& path, uint32_t attributes) override;
  std::optional<std::string> ReadSmallFile(const std::wstring& path) override {
    return inner_.ReadSmallFile(path);
  }
  WriteAccess CheckWriteAccess(const std::wstring& path, std::wstring& reason) override {
    return inner_.CheckWriteAccess(path, reason);
  }
  std::optional<VolumeSpace> Space(const std::wstring& path) override { return inner_.Space(path); }

 private:
  FileSystem& inner_;
  uint64_t failAt_;
  uint64_t count_ = 0;
  bool fired_ = false;
};

// The name of a run's roll-back folder below each destination root, and of its journal (in
// the first root's roll-back folder, the program folder's).
inline constexpr const wchar_t* kRollbackFolderName = L"~INSTKOLV.RBK";
inline constexpr const wchar_t* kJournalName = L"JURNAL.TXT";
// The suffix of a file being written before it takes its place.
inline constexpr const wchar_t* kPartialSuffix = L".~KV";

// Every change of one copy run, done so that it can be undone: the work-item list. The
// first root holds the journal; a path belongs to the longest root it lies in and its old
// files are kept in that root's roll-back folder (so that every move stays on its volume).
class WriteTransaction {
 public:
  WriteTransaction(FileSystem& files, std::vector<std::wstring> roots);
  ~WriteTransaction();  // rolls back what was not committed; never throws
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  // Puts back what a run that died left (its journal and roll-back folders) and removes its
  // leftovers. Returns the number of changes undone; 0 when nothing was left. Never throws.
  size_t RecoverEarlierRun();

  // Creates `folder` and every missing parent; the ones made are removed on roll-back.
  void CreateFolders(const std::wstring& folder);
  // A file that takes the place of `path` when finished: written to path + kPartialSuffix,
  // and on Finish flushed and checked, the old file (if any) moved into the roll-back folder,
  // the new one moved into place and given its attributes. The partial file is deleted when
  // the writer is dropped unfinished.
  std::unique_ptr<OutputFile> Replace(const std::wstring& path);
  // Moves an existing file of ours (a staged one) over `path` as Replace would.
  void MoveInto(const std::wstring& from, const std::wstring& path);
  // Removes a file: it goes into the roll-back folder.
  void Remove(const std::wstring& path);
  // Changes a file's attributes; the old ones come back on roll-back.
  void SetAttributes(const std::wstring& path, uint32_t attributes);
  // A folder of this run's own (a staging folder): made afresh (what an earlier run left
  // there is deleted first) and deleted with its contents on commit and on roll-back.
  void CreateScratchFolder(const std::wstring& folder);
  // Deletes a scratch folder with its contents now.
  void DeleteScratchFolder(const std::wstring& folder) noexcept;

  // The run succeeded: the journal goes first (from then on nothing is put back), then the
  // roll-back folders with the old files. A failure here leaves only our own leftovers.
  void Commit() noexcept;
  // Undoes every change, newest first. Returns false when something could not be put back
  // (it stays in the roll-back folder and the journal, for the next run).
  bool Rollback() noexcept;

  size_t Changes() const { return items_.size(); }

 private:
  enum class Kind : char {
    kNewFile = 'N',
    kNewFolder = 'D',
    kMoved = 'M',
    kAttributes = 'A',
    kScratch = 'T'
  };
  struct Item {
    Kind kind;
    std::wstring path;    // what the change is about
    std::wstring backup;  // kMoved: where the old file is; kAttributes: the old value (hex)
  };
  const std::wstring& RootOf(const std::wstring& path) const;
  std::wstring RollbackFolder(const std::wstring& root) const;
  // Journals `item` (flushed before the change is made) and records it.
  void Record(Item item);
  void Undo(const Item& item);
  void EnsureJournal();
  void DeleteTree(const std::wstring& folder) noexcept;
  // Moves the old file at `path` (if any) into the roll-back folder, then `from` over it.
  void Install(const std::wstring& from, const std::wstring& path);
  // Moves the existing file at `path` into its root's roll-back folder, journalled.
  void MoveAway(const std::wstring& path);

  FileSystem& files_;
  std::vector<std::wstring> roots_;
  std::vector<Item> items_;
  std::vector<std::wstring> rollbackFolders_;  // made by this run
  std::unique_ptr<OutputFile> journal_;
  uint64_t nextBackup_ = 0;
  bool done_ = false;
};

// An extraction target below `root` whose every change goes through `transaction`.
class TransactionTarget : public ExtractTarget {
 public:
  TransactionTarget(WriteTransaction& transaction, std::wstring root)
      : transaction_(transaction), root_(std::move(root)) {}
  void CreateFolders(const std::wstring& relativeFolder) override;
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override;
  void RemoveFile(const std::wstring&) noexcept override {}  // the writer cleans up after itself

 private:
  WriteTransaction& transaction_;
  std::wstring root_;
  std::wstring lastFolder_;
};

// An extraction target below `root` with no roll-back: each file is still replaced whole or
// not at all (temporary name, check, one move), as the media tool and the bootstrap use it.
// Messages name the files below `shownRoot` when one is given (a staging folder's files by
// the places they are staged for).
class ReplacingTarget : public ExtractTarget {
 public:
  ReplacingTarget(FileSystem& files, std::wstring root, std::wstring shownRoot = {})
      : files_(files), root_(std::move(root)), shownRoot_(std::move(shownRoot)) {}
  void CreateFolders(const std::wstring& relativeFolder) override;
  std::unique_ptr<OutputFile> CreateOutputFile(const std::wstring& relativePath) override;
  void RemoveFile(const std::wstring&) noexcept override {}

 private:
  FileSystem& files_;
  std::wstring root_;
  std::wstring shownRoot_;
  std::wstring lastFolder_;
};

// Creates `folder` and its missing parents through `files`; returns those it made, outermost
// first.
std::vector<std::wstring> CreateFolderChain(FileSystem& files, const std::wstring& folder);
// Deletes `folder` with everything in it (read-only files too); failures are passed over.
void DeleteTree(FileSystem& files, const std::wstring& folder) noexcept;

// One file a run will write: its full path and size.
struct PlannedFile {
  std::wstring path;
  uint64_t size = 0;
};

// What the check before the first write found.
struct WriteCheck {
  struct Shortfall {
    std::wstring volume;
    uint64_t needed = 0, free = 0;
  };
  std::vector<Shortfall> shortfalls;     // volumes without room
  std::vector<std::wstring> inUse;       // existing files another program holds open
  std::vector<std::wstring> neededText;  // "C:\: 12 MB needed, 300 MB free" per volume, for the log
};

// Asks of every planned file whether its old file can be replaced, and of each volume
// whether the new files fit beside the old ones (kept until the run ends). A file that may
// not be replaced for another reason (rights, read-only) throws Error "Nu pot crea fisierul
// <path>: <reason>" and says that nothing was written.
WriteCheck CheckBeforeWriting(FileSystem& files, const std::vector<PlannedFile>& plan);

// The messages of the check, in the pages' words.
std::wstring NoRoomText(const WriteCheck::Shortfall& shortfall);
std::wstring FilesInUseText(const std::vector<std::wstring>& paths);
// Megabytes, rounded up, as the messages show them.
uint64_t MegabytesUp(uint64_t bytes);

}  // namespace kolvar::deploy
