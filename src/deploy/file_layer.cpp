#include "deploy/file_layer.h"

#include <algorithm>
#include <iterator>

#include "platform/text.h"

namespace kolvar::deploy {

namespace {

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 1 && path.back() == L'\\' && !(path.size() == 3 && path[1] == L':'))
    path.pop_back();
  return path;
}

// The folder holding `path`; "" at a drive's root, a share or a bare name.
std::wstring ParentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos || slash == 0)
    return std::wstring();
  if (path.size() > 1 && path[0] == L'\\' && path[1] == L'\\') {
    // "\\server\share" is the top.
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring::npos || slash <= server)
      return std::wstring();
  }
  std::wstring parent = path.substr(0, slash);
  if (parent.size() == 2 && parent[1] == L':')
    return std::wstring();  // "C:": the root is there already
  return parent;
}

bool StartsWithFolder(const std::wstring& path, const std::wstring& folder) {
  if (folder.empty() || path.size() < folder.size())
    return false;
  if (AsciiUpper(path.substr(0, folder.size())) != AsciiUpper(folder))
    return false;
  return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
}

std::wstring HexText(uint32_t value) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  for (int shift = 28; shift >= 0; shift -= 4)
    text += kDigits[(value >> shift) & 0xF];
  return text;
}

uint32_t HexValue(const std::wstring& text) {
  uint32_t value = 0;
  for (wchar_t c : text) {
    value <<= 4;
    if (c >= L'0' && c <= L'9')
      value |= static_cast<uint32_t>(c - L'0');
    else if (c >= L'A' && c <= L'F')
      value |= static_cast<uint32_t>(c - L'A' + 10);
  }
  return value;
}

// A file written under its partial name that takes its place when finished; dropped
// unfinished, it deletes the partial file.
class PartialFile : public OutputFile {
 public:
  PartialFile(FileSystem& files,
              WriteTransaction* transaction,
              std::wstring path,
              std::wstring partial,
              std::wstring shown,
              std::unique_ptr<OutputFile> file)
      : files_(files),
        transaction_(transaction),
        path_(std::move(path)),
        partial_(std::move(partial)),
        shown_(std::move(shown)),
        file_(std::move(file)) {}
  ~PartialFile() override {
    if (placed_)
      return;
    file_.reset();
    try {
      files_.Delete(partial_);
    } catch (...) {
    }
  }
  void Write(const char* data, size_t size) override {
    try {
      file_->Write(data, size);
    } catch (const Error& error) {
      Rethrow(error);
    }
  }
  void Finish(uint16_t dosDate, uint16_t dosTime, std::optional<uint8_t> attributes) override {
    try {
      file_->Finish(dosDate, dosTime, std::nullopt);
    } catch (const Error& error) {
      Rethrow(error);
    }
    file_.reset();
    if (transaction_) {
      transaction_->MoveInto(partial_, path_);
    } else {
      files_.Move(partial_, path_);
    }
    placed_ = true;
    if (attributes) {
      uint32_t kept = *attributes & (kAttrReadOnly | 0x02 | 0x04 | 0x20);
      files_.SetAttributes(path_, kept ? kept : kAttrNormal);
    }
  }

 private:
  // The user is told of the file being replaced, never of its temporary name.
  [[noreturn]] void Rethrow(const Error& error) const {
    std::wstring text = error.message();
    for (size_t at = text.find(partial_); at != std::wstring::npos;
         at = text.find(partial_, at + shown_.size()))
      text.replace(at, partial_.size(), shown_);
    if (auto* system = dynamic_cast<const SystemError*>(&error))
      throw SystemError(system->code(), text);
    throw Error(text);
  }

  FileSystem& files_;
  WriteTransaction* transaction_;
  std::wstring path_, partial_, shown_;
  std::unique_ptr<OutputFile> file_;
  bool placed_ = false;
};

}  // namespace

// --- folders ----------------------------------------------------------------------------------

// The levels of `folder` that do not exist yet, innermost first. Throws Error when a file
// stands where a level should be.
std::vector<std::wstring> MissingLevels(FileSystem& files, const std::wstring& folder) {
  std::vector<std::wstring> missing;
  for (std::wstring level = WithoutTrailingBackslash(folder); !level.empty();
       level = ParentOf(level)) {
    std::optional<uint32_t> attributes = files.Attributes(level);
    if (attributes) {
      if (!(*attributes & kAttrDirectory))
        throw Error(L"Nu pot crea folderul " + folder + L": un fisier sta in cale (" + level +
                    L")");
      break;
    }
    missing.push_back(level);
  }
  return missing;
}

std::vector<std::wstring> CreateFolderChain(FileSystem& files, const std::wstring& folder) {
  std::vector<std::wstring> missing = MissingLevels(files, folder);
  // Moved over in reverse rather than reversed in place: no swap of strings linked for this.
  std::vector<std::wstring> chain(std::make_move_iterator(missing.rbegin()),
                                  std::make_move_iterator(missing.rend()));
  for (const std::wstring& level : chain)
    files.CreateFolder(level);
  return chain;
}

void DeleteTree(FileSystem& files, const std::wstring& folder) noexcept {
  try {
    for (const FolderItem& item : files.List(folder)) {
      std::wstring path = JoinPath(folder, item.name);
      if (item.IsFolder()) {
        DeleteTree(files, path);
        continue;
      }
      if (item.attributes & kAttrReadOnly)
        files.SetAttributes(path, kAttrNormal);
      files.Delete(path);
    }
    if (files.Attributes(folder))
      files.RemoveFolder(folder);
  } catch (...) {
  }
}

// --- the transaction --------------------------------------------------------------------------

WriteTransaction::WriteTransaction(FileSystem& files, std::vector<std::wstring> roots)
    : files_(files) {
  for (std::wstring& root : roots)
    roots_.push_back(WithoutTrailingBackslash(std::move(root)));
}

WriteTransaction::~WriteTransaction() {
  if (!done_ && (!items_.empty() || !rollbackFolders_.empty()))
    Rollback();
  journal_.reset();
}

const std::wstring& WriteTransaction::RootOf(const std::wstring& path) const {
  const std::wstring* best = &roots_.front();
  size_t bestSize = 0;
  for (const std::wstring& root : roots_)
    if (root.size() > bestSize && StartsWithFolder(path, root)) {
      best = &root;
      bestSize = root.size();
    }
  return *best;
}

std::wstring WriteTransaction::RollbackFolder(const std::wstring& root) const {
  return JoinPath(root, kRollbackFolderName);
}

void WriteTransaction::EnsureJournal() {
  if (journal_)
    return;
  std::wstring folder = RollbackFolder(roots_.front());
  if (!files_.Attributes(folder)) {
    CreateFolderChain(files_, folder);
    rollbackFolders_.push_back(folder);
  }
  journal_ = files_.CreateFile(JoinPath(folder, kJournalName));
}

void WriteTransaction::Record(Item item) {
  EnsureJournal();
  std::wstring line(1, static_cast<wchar_t>(item.kind));
  line += L'\t';
  line += item.path;
  line += L'\t';
  line += item.backup;
  std::string bytes = WideToUtf8(line) + "\n";
  journal_->Write(bytes.data(), bytes.size());
  items_.push_back(std::move(item));
}

void WriteTransaction::CreateFolders(const std::wstring& folder) {
  std::vector<std::wstring> missing = MissingLevels(files_, folder);
  for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
    Record({Kind::kNewFolder, *level, {}});
    files_.CreateFolder(*level);
  }
}

std::unique_ptr<OutputFile> WriteTransaction::Replace(const std::wstring& path) {
  std::wstring partial = path + kPartialSuffix;
  // Journalled before it exists: a run that dies while writing it leaves nothing behind.
  Record({Kind::kNewFile, partial, {}});
  return std::make_unique<PartialFile>(files_, this, path, partial, path,
                                       files_.CreateFile(partial));
}

void WriteTransaction::Install(const std::wstring& from, const std::wstring& path) {
  std::optional<uint32_t> attributes = files_.Attributes(path);
  if (attributes && (*attributes & kAttrDirectory))
    throw Error(L"Nu pot crea fisierul " + path + L": un folder cu acest nume sta in cale");
  if (attributes) {
    MoveAway(path);
  } else {
    Record({Kind::kNewFile, path, {}});
  }
  files_.Move(from, path);
}

void WriteTransaction::MoveInto(const std::wstring& from, const std::wstring& path) {
  Install(from, path);
}

void WriteTransaction::Remove(const std::wstring& path) {
  std::optional<uint32_t> attributes = files_.Attributes(path);
  if (!attributes || (*attributes & kAttrDirectory))
    return;
  MoveAway(path);
}

void WriteTransaction::MoveAway(const std::wstring& path) {
  std::wstring folder = RollbackFolder(RootOf(path));
  if (std::find(rollbackFolders_.begin(), rollbackFolders_.end(), folder) ==
      rollbackFolders_.end()) {
    if (!files_.Attributes(folder))
      CreateFolderChain(files_, folder);
    rollbackFolders_.push_back(folder);
  }
  std::wstring backup = JoinPath(folder, DecimalText(static_cast<long long>(++nextBackup_)));
  Record({Kind::kMoved, path, backup});
  files_.Move(path, backup);
}

void WriteTransaction::SetAttributes(const std::wstring& path, uint32_t attributes) {
  std::optional<uint32_t> old = files_.Attributes(path);
  if (!old || *old == attributes)
    return;
  Record({Kind::kAttributes, path, HexText(*old)});
  files_.SetAttributes(path, attributes);
}

void WriteTransaction::CreateScratchFolder(const std::wstring& folder) {
  if (files_.Attributes(folder))
    DeleteTree(folder);
  Record({Kind::kScratch, folder, {}});
  CreateFolderChain(files_, folder);
}

void WriteTransaction::DeleteScratchFolder(const std::wstring& folder) noexcept {
  DeleteTree(folder);
}

void WriteTransaction::DeleteTree(const std::wstring& folder) noexcept {
  deploy::DeleteTree(files_, folder);
}

void WriteTransaction::Undo(const Item& item) {
  switch (item.kind) {
    case Kind::kNewFile:
    case Kind::kMoved: {
      bool hasBackup = item.kind == Kind::kMoved && files_.Attributes(item.backup).has_value();
      if (item.kind == Kind::kMoved && !hasBackup)
        return;  // the old file had not been moved yet
      if (std::optional<uint32_t> now = files_.Attributes(item.path);
          now && !(*now & kAttrDirectory)) {
        if (*now & kAttrReadOnly)
          files_.SetAttributes(item.path, kAttrNormal);
        files_.Delete(item.path);
      }
      if (hasBackup)
        files_.Move(item.backup, item.path);
      break;
    }
    case Kind::kNewFolder:
      if (files_.Attributes(item.path))
        files_.RemoveFolder(item.path);
      break;
    case Kind::kAttributes:
      if (files_.Attributes(item.path))
        files_.SetAttributes(item.path, HexValue(item.backup));
      break;
    case Kind::kScratch:
      DeleteTree(item.path);
      break;
  }
}

bool WriteTransaction::Rollback() noexcept {
  bool whole = true;
  for (auto item = items_.rbegin(); item != items_.rend(); ++item) {
    try {
      Undo(*item);
    } catch (...) {
      whole = false;
    }
  }
  journal_.reset();
  if (whole) {
    items_.clear();
    try {
      files_.Delete(JoinPath(RollbackFolder(roots_.front()), kJournalName));
    } catch (...) {
    }
    for (const std::wstring& folder : rollbackFolders_)
      DeleteTree(folder);
    rollbackFolders_.clear();
  }
  done_ = true;
  return whole;
}

void WriteTransaction::Commit() noexcept {
  journal_.reset();
  try {
    if (!items_.empty())
      files_.Delete(JoinPath(RollbackFolder(roots_.front()), kJournalName));
  } catch (...) {
  }
  for (const Item& item : items_)
    if (item.kind == Kind::kScratch)
      DeleteTree(item.path);
  for (const std::wstring& folder : rollbackFolders_)
    DeleteTree(folder);
  items_.clear();
  rollbackFolders_.clear();
  done_ = true;
}

size_t WriteTransaction::RecoverEarlierRun() {
  std::wstring folder = RollbackFolder(roots_.front());
  std::optional<std::string> journal = files_.ReadSmallFile(JoinPath(folder, kJournalName));
  std::vector<Item> items;
  if (journal) {
    size_t start = 0;
    while (start < journal->size()) {
      size_t end = journal->find('\n', start);
      if (end == std::string::npos)
        break;  // a line cut short by the power cut was never acted on
      std::wstring line = Utf8ToWide(std::string_view(*journal).substr(start, end - start));
      start = end + 1;
      size_t tab1 = line.find(L'\t'), tab2 = line.find(L'\t', tab1 + 1);
      if (line.size() < 2 || tab1 != 1 || tab2 == std::wstring::npos)
        continue;
      Kind kind = static_cast<Kind>(line[0]);
      if (kind != Kind::kNewFile && kind != Kind::kNewFolder && kind != Kind::kMoved &&
          kind != Kind::kAttributes && kind != Kind::kScratch)
        continue;
      items.push_back({kind, line.substr(2, tab2 - 2), line.substr(tab2 + 1)});
    }
  }
  bool whole = true;
  for (auto item = items.rbegin(); item != items.rend(); ++item) {
    try {
      Undo(*item);
    } catch (...) {
      whole = false;
    }
  }
  if (whole) {
    try {
      if (journal)
        files_.Delete(JoinPath(folder, kJournalName));
    } catch (...) {
    }
    // The other roots' roll-back folders hold only what was put back, or a committed run's
    // leftovers.
    for (const std::wstring& root : roots_)
      DeleteTree(RollbackFolder(root));
    for (const Item& item : items)
      if (item.kind == Kind::kMoved)
        DeleteTree(item.backup.substr(0, item.backup.find_last_of(L'\\')));
  }
  return items.size();
}

// --- extraction targets -----------------------------------------------------------------------

void TransactionTarget::CreateFolders(const std::wstring& relativeFolder) {
  std::wstring folder = relativeFolder.empty() ? root_ : JoinPath(root_, relativeFolder);
  if (folder == lastFolder_)
    return;
  transaction_.CreateFolders(folder);
  lastFolder_ = folder;
}

std::unique_ptr<OutputFile> TransactionTarget::CreateOutputFile(const std::wstring& relativePath) {
  return transaction_.Replace(JoinPath(root_, relativePath));
}

void ReplacingTarget::CreateFolders(const std::wstring& relativeFolder) {
  std::wstring folder = relativeFolder.empty() ? root_ : JoinPath(root_, relativeFolder);
  if (folder == lastFolder_)
    return;
  CreateFolderChain(files_, folder);
  lastFolder_ = folder;
}

std::unique_ptr<OutputFile> ReplacingTarget::CreateOutputFile(const std::wstring& relativePath) {
  std::wstring path = JoinPath(root_, relativePath);
  std::optional<uint32_t> attributes = files_.Attributes(path);
  if (attributes && (*attributes & kAttrDirectory))
    throw Error(L"Nu pot crea fisierul " + path + L": un folder cu acest nume sta in cale");
  // A read-only (or otherwise refused) file stays as it is, whatever rights the process has.
  std::wstring reason;
  if (attributes && files_.CheckWriteAccess(path, reason) == WriteAccess::kRefused)
    throw Error(L"Nu pot crea fisierul " + path + L": " + reason);
  std::wstring partial = path + kPartialSuffix;
  std::wstring shown = shownRoot_.empty() ? path : JoinPath(shownRoot_, relativePath);
  return std::make_unique<PartialFile>(files_, nullptr, path, partial, shown,
                                       files_.CreateFile(partial));
}

// --- the check before the first write ---------------------------------------------------------

uint64_t MegabytesUp(uint64_t bytes) {
  constexpr uint64_t kMb = 1024 * 1024;
  return bytes / kMb + (bytes % kMb ? 1 : 0);
}

WriteCheck CheckBeforeWriting(FileSystem& files, const std::vector<PlannedFile>& plan) {
  WriteCheck check;
  struct Volume {
    VolumeSpace space;
    uint64_t needed = 0;
  };
  std::vector<Volume> volumes;
  // Files come folder by folder: the volume is asked once per folder.
  std::wstring lastFolder;
  constexpr size_t kNone = static_cast<size_t>(-1);
  size_t volume = kNone;
  bool asked = false;
  for (const PlannedFile& file : plan) {
    if (std::optional<uint32_t> attributes = files.Attributes(file.path);
        attributes && !(*attributes & kAttrDirectory)) {
      std::wstring reason;
      WriteAccess access = files.CheckWriteAccess(file.path, reason);
      if (access == WriteAccess::kInUse)
        check.inUse.push_back(file.path);
      else if (access == WriteAccess::kRefused)
        throw Error(L"Nu pot crea fisierul " + file.path + L": " + reason +
                    L"\rNu a fost scris nici un fisier.");
    }
    std::wstring folder = file.path.substr(0, file.path.find_last_of(L'\\') + 1);
    if (!asked || folder != lastFolder) {
      asked = true;
      lastFolder = folder;
      volume = kNone;
      if (std::optional<VolumeSpace> space = files.Space(folder)) {
        for (size_t i = 0; i < volumes.size(); ++i)
          if (volumes[i].space.volume == space->volume)
            volume = i;
        if (volume == kNone) {
          volume = volumes.size();
          volumes.push_back({*space, 0});
        }
      }
    }
    if (volume == kNone)
      continue;  // a volume that cannot be asked is not held against the run
    Volume& v = volumes[volume];
    uint64_t cluster = v.space.cluster ? v.space.cluster : 4096;
    // Whole clusters, and the journal's two lines for the file.
    v.needed += (file.size + cluster - 1) / cluster * cluster + 2 * (file.path.size() + 8);
  }
  for (const Volume& v : volumes) {
    check.neededText.push_back(v.space.volume + L" " +
                               DecimalText(static_cast<long long>(v.needed)) + L" bytes needed, " +
                               DecimalText(static_cast<long long>(v.space.free)) + L" free");
    if (v.needed > v.space.free)
      check.shortfalls.push_back({v.space.volume, v.needed, v.space.free});
  }
  return check;
}

std::wstring NoRoomText(const WriteCheck::Shortfall& shortfall) {
  return L"Nu este destul loc pe discul " + shortfall.volume + L"\rsunt necesari " +
         DecimalText(static_cast<long long>(MegabytesUp(shortfall.needed))) + L" MB, sunt liberi " +
         DecimalText(static_cast<long long>(shortfall.free >> 20)) +
         L" MB.\rFaceti loc pe disc si apasati 'Continua'.\rNu a fost scris nici un fisier.";
}

std::wstring FilesInUseText(const std::vector<std::wstring>& paths) {
  std::wstring text = L"Urmatoarele fisiere sunt folosite de alt program:\r";
  constexpr size_t kShown = 10;
  for (size_t i = 0; i < paths.size() && i < kShown; ++i)
    text += paths[i] + L"\r";
  if (paths.size() > kShown)
    text += L"...\r";
  text +=
      L"Inchideti ProKOLVAR pe acest calculator si apasati 'Continua'.\r"
      L"Nu a fost scris nici un fisier.";
  return text;
}

}  // namespace kolvar::deploy
