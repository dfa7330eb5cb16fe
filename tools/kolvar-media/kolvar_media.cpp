// kolvar-media: makes the installation media the installer reads (pack), reads archives and
// media exactly as the installer does (list, extract, join), and checks media before they
// ship (verify). Built natively and for Windows on the same deployment core.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bootstrap/install_state.h"
#include "deploy/assembly.h"
#include "deploy/zip_reader.h"
#include "deploy/zip_writer.h"
#include "platform/error.h"
#include "platform/text.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "deploy/win_files.h"
#include "deploy/win_media.h"
#else
#include <unistd.h>

#include "deploy/native_files.h"
#include "deploy/native_media.h"
#endif

namespace fs = std::filesystem;
using namespace kolvar;
using namespace kolvar::deploy;

namespace {

constexpr uint64_t kFloppySize = 1457664;
constexpr uint64_t kCluster = 512;

const char kUsage[] =
    "Usage: kolvar-media COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  pack     make installation media from the suite's components\n"
    "  list     list the entries of an archive\n"
    "  extract  extract an archive as the installer does\n"
    "  join     join the archive parts of media as the installer does\n"
    "  verify   check installation media before they ship\n"
    "\n"
    "kolvar-media COMMAND --help shows the command's arguments.\n";

const char kPackUsage[] =
    "Usage: kolvar-media pack --out DIR (--cd | --floppy | --disk-size BYTES)\n"
    "                         [--installer FILE] [--upgrade FILE] NAME=PATH...\n"
    "\n"
    "NAME is a component's archive name (EXE, LUNARIS, DBDAT, DBNEW, BDE32, HELP, TORNEVA);\n"
    "PATH a folder (packed with Deflate, names in UTF-8, dates and DOS attributes kept) or a\n"
    "ready .zip file. The archives are laid out in the order the installer extracts them.\n"
    "\n"
    "  --cd              one folder: DISK1, INSTALL.CFG, the installer and every part (CD,\n"
    "                    hard disk or network share)\n"
    "  --floppy          disk folders disk1..diskN of 1,457,664 bytes each\n"
    "  --disk-size BYTES disk folders of BYTES each\n"
    "  --installer FILE  INSTALL.EXE for the first disk\n"
    "  --upgrade FILE    the upgrade library archive, written as UPGRADE.1 on the first disk\n";

const char kListUsage[] =
    "Usage: kolvar-media list ARCHIVE\n"
    "\n"
    "Lists size, date, DOS attributes and name of every entry.\n";

const char kExtractUsage[] =
    "Usage: kolvar-media extract ARCHIVE DEST\n"
    "\n"
    "Extracts every entry into DEST with the installer's own checks; exit status 0 on\n"
    "success, 1 with the error message otherwise.\n";

const char kJoinUsage[] =
    "Usage: kolvar-media join MEDIA DEST --type LOCAL|SERVER|CLIENT\n"
    "\n"
    "Joins the parts of the components of that installation type into DEST as the\n"
    "installer does. MEDIA is one folder (CD layout) or a folder holding disk1..diskN.\n";

const char kVerifyUsage[] =
    "Usage: kolvar-media verify MEDIA [--disk-size BYTES]\n"
    "\n"
    "Checks installation media as a release manager would before shipping them. MEDIA is one\n"
    "folder (CD layout) or a folder holding disk1..diskN. Checked: the disk folders and every\n"
    "disk's marker DISKn; INSTALL.EXE, INSTALL.CFG and UPGRADE.1 on the first disk; that\n"
    "INSTALL.CFG's disk count (NrDiscuri) equals the disks found; that every component's parts\n"
    "are numbered without gaps and joined in that order; that each joined archive reads with\n"
    "every entry's CRC right; that every disk folder fits a formatted 1.44 MB floppy (1,457,664\n"
    "bytes in 512-byte clusters, 224 entries in its root folder), or BYTES with --disk-size.\n"
    "Prints one line per problem; exit status 0 only when there is none.\n";

// A failure of the tool's own (bad arguments, missing files).
struct ToolError {
  std::wstring message;
};

std::string Narrow(const std::wstring& text) {
  return WideToUtf8(text);
}

// Paths: wide on Windows, UTF-8 bytes elsewhere (whatever the C++ locale).
#ifdef _WIN32
fs::path P(const std::wstring& w) {
  return fs::path(w);
}
std::wstring W(const fs::path& p) {
  return p.wstring();
}
std::string EntryName(const fs::path& relative) {
  return WideToUtf8(relative.generic_wstring());
}
#else
fs::path P(const std::wstring& w) {
  return fs::path(WideToUtf8(w));
}
std::wstring W(const fs::path& p) {
  return Utf8ToWide(p.string());
}
std::string EntryName(const fs::path& relative) {
  return relative.generic_string();
}
#endif

#ifdef _WIN32
std::unique_ptr<ByteSource> OpenSource(const std::wstring& path) {
  return std::make_unique<WinFileSource>(path);
}
std::unique_ptr<ExtractTarget> OpenTarget(const std::wstring& path) {
  return std::make_unique<WinExtractTarget>(path);
}
std::unique_ptr<MediaFiles> SystemFiles() {
  return std::make_unique<WinMediaFiles>();
}
FILE* OpenFile(const std::wstring& path, const wchar_t* mode) {
  return _wfopen(path.c_str(), mode);
}
int Seek(FILE* f, uint64_t offset) {
  return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET);
}
bool IsTerminal() {
  return _isatty(_fileno(stderr));
}
const OemDecoder kOem = DecodeOem;
// One thread, as the installer unpacks (bench/run --page compares the two).
void ExtractEverything(const ZipArchive& zip,
                       ExtractTarget& target,
                       const ProgressHandler& progress) {
  zip.ExtractAll(target, progress);
}
#else
std::unique_ptr<ByteSource> OpenSource(const std::wstring& path) {
  return std::make_unique<NativeFileSource>(Narrow(path));
}
std::unique_ptr<ExtractTarget> OpenTarget(const std::wstring& path) {
  return std::make_unique<NativeExtractTarget>(Narrow(path));
}
std::unique_ptr<MediaFiles> SystemFiles() {
  return std::make_unique<NativeMediaFiles>();
}
FILE* OpenFile(const std::wstring& path, const wchar_t* mode) {
  return std::fopen(Narrow(path).c_str(), Narrow(mode).c_str());
}
int Seek(FILE* f, uint64_t offset) {
  return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
}
bool IsTerminal() {
  return isatty(fileno(stderr));
}
const OemDecoder kOem = DecodeCp852;
// With a second processor the members are inflated on it while this one writes the files.
void ExtractEverything(const ZipArchive& zip,
                       ExtractTarget& target,
                       const ProgressHandler& progress) {
  if (std::thread::hardware_concurrency() > 1)
    zip.ExtractAllInflatingAhead(target, progress);
  else
    zip.ExtractAll(target, progress);
}
#endif

struct FileCloser {
  void operator()(FILE* f) const {
    if (f)
      std::fclose(f);
  }
};
using File = std::unique_ptr<FILE, FileCloser>;

File Open(const std::wstring& path, const wchar_t* mode) {
  File f(OpenFile(path, mode));
  if (!f)
    throw ToolError{L"cannot open " + path + L": " + Utf8ToWide(std::strerror(errno))};
  return f;
}

// An archive written to a file; the local headers are patched in place.
class FileSink : public ByteSink {
 public:
  explicit FileSink(const std::wstring& path) : path_(path), file_(Open(path, L"w+b")) {}
  void Write(const void* data, size_t size) override {
    if (Seek(file_.get(), size_) != 0 || std::fwrite(data, 1, size, file_.get()) != size)
      throw Error(L"cannot write " + path_);
    size_ += size;
  }
  void WriteAt(uint64_t offset, const void* data, size_t size) override {
    if (Seek(file_.get(), offset) != 0 || std::fwrite(data, 1, size, file_.get()) != size)
      throw Error(L"cannot write " + path_);
  }
  uint64_t Size() const override { return size_; }
  void Close() {
    if (std::fclose(file_.release()) != 0)
      throw Error(L"cannot write " + path_);
  }

 private:
  std::wstring path_;
  File file_;
  uint64_t size_ = 0;
};

// DOS date, time and attributes of a file as the packer stores them.
MemberInfo DescribeFile(const fs::path& path, std::string name) {
  MemberInfo info;
  info.name = std::move(name);
#ifdef _WIN32
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    FILETIME local;
    WORD date = 0, time = 0;
    if (::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
        ::FileTimeToDosDateTime(&local, &date, &time)) {
      info.dosDate = date;
      info.dosTime = time;
    }
    info.dosAttributes = static_cast<uint8_t>(data.dwFileAttributes & 0x37);
  }
#else
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    struct tm t;
    localtime_r(&st.st_mtime, &t);
    if (t.tm_year >= 80) {
      info.dosDate = DosDate(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
      info.dosTime = DosTime(t.tm_hour, t.tm_min, t.tm_sec);
    }
    info.dosAttributes = static_cast<uint8_t>((S_ISDIR(st.st_mode) ? 0x10 : 0x20) |
                                              ((st.st_mode & S_IWUSR) ? 0 : 0x01));
  }
#endif
  return info;
}

// Packs the folder `root` into `archive`.
void PackFolder(const fs::path& root, const std::wstring& archive) {
  FileSink sink(archive);
  ZipWriter writer(sink);
  std::vector<fs::path> paths;
  for (auto& entry : fs::recursive_directory_iterator(root))
    paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  std::vector<char> buffer;
  for (const fs::path& path : paths) {
    std::string name = EntryName(fs::relative(path, root));
    MemberInfo info = DescribeFile(path, name);
    if (fs::is_directory(path)) {
      writer.AddFolder(info);
      continue;
    }
    File in = Open(W(path), L"rb");
    writer.AddFile(
        info,
        [&](char* data, size_t size) {
          size_t got = std::fread(data, 1, size, in.get());
          if (got == 0 && std::ferror(in.get()))
            throw Error(L"cannot read " + W(path));
          return got;
        },
        fs::file_size(path));
  }
  writer.Finish();
  sink.Close();
}

void CopyRange(const std::wstring& from, uint64_t offset, uint64_t size, const std::wstring& to) {
  File in = Open(from, L"rb");
  File out = Open(to, L"wb");
  if (Seek(in.get(), offset) != 0)
    throw ToolError{L"cannot read " + from};
  std::vector<char> buffer(1 << 20);
  while (size > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, buffer.size()));
    if (std::fread(buffer.data(), 1, want, in.get()) != want)
      throw ToolError{L"cannot read " + from};
    if (std::fwrite(buffer.data(), 1, want, out.get()) != want)
      throw ToolError{L"cannot write " + to};
    size -= want;
  }
  if (std::fclose(out.release()) != 0)
    throw ToolError{L"cannot write " + to};
}

void WriteSmallFile(const std::wstring& path, const std::string& bytes) {
  File out = Open(path, L"wb");
  if (std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() ||
      std::fclose(out.release()) != 0)
    throw ToolError{L"cannot write " + path};
}

uint64_t Clusters(uint64_t size) {
  return (size + kCluster - 1) / kCluster * kCluster;
}

int Pack(const std::vector<std::wstring>& args) {
  std::wstring out, installer, upgrade;
  std::optional<uint64_t> diskSize;
  bool cd = false;
  std::map<int, std::wstring> sources;  // component row -> path
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    auto value = [&]() -> std::wstring {
      if (i + 1 >= args.size())
        throw ToolError{a + L" needs a value"};
      return args[++i];
    };
    if (a == L"--out") {
      out = value();
    } else if (a == L"--cd") {
      cd = true;
    } else if (a == L"--floppy") {
      diskSize = kFloppySize;
    } else if (a == L"--disk-size") {
      std::wstring v = value();
      wchar_t* end = nullptr;
      unsigned long long n = std::wcstoull(v.c_str(), &end, 10);
      if (v.empty() || *end || n < 4 * kCluster)
        throw ToolError{L"bad --disk-size: " + v};
      diskSize = n;
    } else if (a == L"--installer") {
      installer = value();
    } else if (a == L"--upgrade") {
      upgrade = value();
    } else if (a.find(L'=') != std::wstring::npos && a[0] != L'-') {
      std::wstring name = AsciiUpper(a.substr(0, a.find(L'=')));
      int row = -1;
      for (int r = 0; r < bootstrap::kComponentCount; ++r)
        if (name == bootstrap::Components[r].FileName)
          row = r;
      if (row < 0)
        throw ToolError{L"unknown component " + name + L" (see --help)"};
      sources[row] = a.substr(a.find(L'=') + 1);
    } else {
      throw ToolError{L"unexpected argument " + a + L" (see --help)"};
    }
  }
  if (out.empty())
    throw ToolError{L"--out is required"};
  if (cd == diskSize.has_value())
    throw ToolError{L"give one of --cd, --floppy, --disk-size"};
  if (sources.empty())
    throw ToolError{L"no component given"};
  fs::create_directories(P(out));

  // The archives, in the order the installer extracts them.
  struct Packed {
    std::wstring name, path;
    uint64_t size;
    bool temporary;
  };
  std::vector<Packed> archives;
  for (auto& [row, source] : sources) {
    std::wstring name = bootstrap::Components[row].FileName;
    fs::path from = P(source);
    if (fs::is_directory(from)) {
      std::wstring temp = W(P(out) / ("." + Narrow(name) + ".zip.tmp"));
      std::fprintf(stderr, "packing %s\n", Narrow(source).c_str());
      PackFolder(from, temp);
      archives.push_back({name, temp, fs::file_size(P(temp)), true});
    } else if (fs::is_regular_file(from)) {
      auto check = OpenSource(source);
      ZipArchive zip(*check, source, kOem);  // refuses what the installer would refuse
      archives.push_back({name, source, fs::file_size(from), false});
    } else {
      throw ToolError{L"no such folder or file: " + source};
    }
  }

  // Files of the first disk besides the parts.
  std::vector<std::pair<std::wstring, std::wstring>> firstDisk;  // name on media, source
  if (!installer.empty())
    firstDisk.push_back({L"INSTALL.EXE", installer});
  if (!upgrade.empty())
    firstDisk.push_back({L"UPGRADE.1", upgrade});
  uint64_t reserved = kCluster;  // INSTALL.CFG
  for (auto& [name, source] : firstDisk) {
    if (!fs::is_regular_file(P(source)))
      throw ToolError{L"no such file: " + source};
    reserved += Clusters(fs::file_size(P(source)));
  }

  struct Part {
    int disk;
    std::wstring name, from;
    uint64_t offset, size;
  };
  std::vector<Part> parts;
  int disks = 1;
  if (cd) {
    for (auto& a : archives)
      parts.push_back({1, a.name + L".1", a.path, 0, a.size});
  } else {
    if (reserved > *diskSize)
      throw ToolError{L"the installer files do not fit on disk 1"};
    uint64_t used = reserved;
    // Each part fills its disk or ends its archive, so a disk holds at most one part of an
    // archive and the installer's text order is the part order.
    for (auto& a : archives) {
      uint64_t at = 0;
      for (int number = 1; at < a.size;) {
        uint64_t free = (*diskSize - used) / kCluster * kCluster;
        if (free == 0) {
          ++disks;
          used = 0;
          continue;
        }
        uint64_t size = std::min(free, a.size - at);
        parts.push_back({disks, a.name + L"." + std::to_wstring(number++), a.path, at, size});
        used += Clusters(size);
        at += size;
      }
    }
  }

  auto diskFolder = [&](int disk) {
    fs::path folder = cd ? P(out) : P(out) / ("disk" + std::to_string(disk));
    fs::create_directories(folder);
    return folder;
  };
  for (int d = 1; d <= disks; ++d)
    WriteSmallFile(W(diskFolder(d) / ("DISK" + std::to_string(d))), "");
  WriteSmallFile(W(diskFolder(1) / "INSTALL.CFG"),
                 "[General]\r\nNrDiscuri=" + std::to_string(disks) + "\r\n");
  for (auto& [name, source] : firstDisk)
    CopyRange(source, 0, fs::file_size(P(source)), W(diskFolder(1) / P(name)));
  for (const Part& p : parts) {
    CopyRange(p.from, p.offset, p.size, W(diskFolder(p.disk) / P(p.name)));
    std::printf("disk %d: %s (%llu bytes)\n", p.disk, Narrow(p.name).c_str(),
                static_cast<unsigned long long>(p.size));
  }
  for (auto& a : archives)
    if (a.temporary)
      fs::remove(P(a.path));
  std::printf("%d disk(s) in %s\n", disks, Narrow(out).c_str());
  return 0;
}

int List(const std::vector<std::wstring>& args) {
  if (args.size() != 1)
    throw ToolError{L"list takes one archive (see --help)"};
  auto source = OpenSource(args[0]);
  ZipArchive zip(*source, args[0], kOem);
  uint64_t total = 0;
  for (const ZipEntry& e : zip.entries()) {
    std::string attributes = "-----";
    if (auto a = e.dosAttributes()) {
      const char flags[] = "RHSDA";
      const int bits[] = {0x01, 0x02, 0x04, 0x10, 0x20};
      for (int i = 0; i < 5; ++i)
        if (*a & bits[i])
          attributes[i] = flags[i];
    }
    std::printf("%12llu  %04d-%02d-%02d %02d:%02d:%02d  %s  %s\n",
                static_cast<unsigned long long>(e.uncompressedSize), 1980 + (e.dosDate >> 9),
                (e.dosDate >> 5) & 15, e.dosDate & 31, e.dosTime >> 11, (e.dosTime >> 5) & 63,
                (e.dosTime & 31) * 2, attributes.c_str(),
                Narrow(EscapeControlCharacters(e.name)).c_str());
    total += e.uncompressedSize;
  }
  std::printf("%12llu  %zu entries\n", static_cast<unsigned long long>(total),
              zip.entries().size());
  return 0;
}

int Extract(const std::vector<std::wstring>& args) {
  if (args.size() != 2)
    throw ToolError{L"extract takes an archive and a folder (see --help)"};
  auto source = OpenSource(args[0]);
  ZipArchive zip(*source, args[0], kOem);
  fs::create_directories(P(args[1]));
  auto target = OpenTarget(args[1]);
  UnzipCounter counter;
  counter.ZipSize = zip.SizeInKb();
  const bool bar = IsTerminal();
  int shown = -1;
  ExtractEverything(zip, *target, [&](const ZipEntry& e, uint64_t position) {
    int64_t kb = counter.OnUnzipProgress(e.uncompressedSize, position);
    if (!bar || counter.ZipSize == 0)
      return;
    int percent = static_cast<int>(std::min<int64_t>(100, kb * 100 / counter.ZipSize));
    if (percent == shown)
      return;
    shown = percent;
    char line[64];
    std::memset(line, ' ', 40);
    std::memset(line, '#', static_cast<size_t>(percent * 40 / 100));
    line[40] = 0;
    std::fprintf(stderr, "\r[%s] %3d%%", line, percent);
  });
  if (bar)
    std::fprintf(stderr, "\n");
  std::printf("%zu entries extracted to %s\n", zip.entries().size(), Narrow(args[1]).c_str());
  return 0;
}

// The media as the installer sees them. With disk folders, the drive "A:" shows the folder
// of the disk "in the drive", and the prompt puts the wanted disk there.
class MediaDrive : public MediaFiles {
 public:
  MediaDrive(std::wstring media, bool floppies)
      : media_(std::move(media)), floppies_(floppies), system_(SystemFiles()) {}
  bool IsRemovableDrive(const std::wstring&) override { return floppies_; }
  bool FileExists(const std::wstring& path) override {
    if (floppies_ && path.rfind(L"A:\\DISK", 0) == 0)
      wanted_ = std::stoi(path.substr(7));
    return system_->FileExists(Map(path));
  }
  std::vector<std::wstring> ListNames(const std::wstring& folder) override {
    return system_->ListNames(Map(folder));
  }
  uint64_t AppendPart(const std::wstring& extension,
                      const std::wstring& source,
                      const std::wstring& target) override {
    return system_->AppendPart(extension, Map(source), Map(target));
  }
  bool Delete(const std::wstring& path) override { return system_->Delete(Map(path)); }

  // Puts the disk the installer looked for into the drive; false when MEDIA lacks it.
  bool InsertWanted() {
    fs::path folder = P(media_) / ("disk" + std::to_string(wanted_));
    if (!fs::is_directory(folder))
      return false;
    inDrive_ = wanted_;
    return true;
  }
  int wanted() const { return wanted_; }

 private:
  std::wstring Map(const std::wstring& path) const {
    if (!floppies_ || path.rfind(L"A:", 0) != 0)
      return path;
    std::wstring folder = W(P(media_) / ("disk" + std::to_string(inDrive_)));
    std::wstring rest = path.substr(2);
#ifndef _WIN32
    for (wchar_t& c : rest)
      if (c == L'\\')
        c = L'/';
#endif
    return folder + rest;
  }

  std::wstring media_;
  bool floppies_;
  std::unique_ptr<MediaFiles> system_;
  int inDrive_ = 1, wanted_ = 1;
};

class ConsoleView : public CopyView {
 public:
  explicit ConsoleView(MediaDrive& drive) : drive_(drive) {}
  void SetStatus(const std::wstring& text) override { std::printf("%s\n", Narrow(text).c_str()); }
  void SetCopyMaximum(int) override {}
  void SetCopyPosition(int) override {}
  void SetUnzipMaximum(int) override {}
  void SetUnzipPosition(int) override {}
  void SetMessageHeading(const std::wstring&) override {}
  int ShowDiskPrompt(const std::wstring&) override {
    if (drive_.InsertWanted()) {
      std::printf("disk %d\n", drive_.wanted());
      return 1;
    }
    missing = drive_.wanted();
    return 2;
  }
  void PumpMessages() override {}
  void SetModalResult(int) override {}
  void ShowCannotDelete(const std::wstring& text) override {
    std::fprintf(stderr, "%s\n", Narrow(text).c_str());
  }
  int missing = 0;

 private:
  MediaDrive& drive_;
};

int Join(const std::vector<std::wstring>& args) {
  std::vector<std::wstring> positional;
  std::wstring type;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--type" && i + 1 < args.size())
      type = AsciiUpper(args[++i]);
    else
      positional.push_back(args[i]);
  }
  if (positional.size() != 2 || type.empty())
    throw ToolError{L"join takes MEDIA DEST --type LOCAL|SERVER|CLIENT (see --help)"};
  uint8_t installType = type == L"LOCAL"    ? bootstrap::kTypeLocal
                        : type == L"SERVER" ? bootstrap::kTypeServer
                        : type == L"CLIENT" ? bootstrap::kTypeClient
                                            : 0;
  if (!installType)
    throw ToolError{L"unknown installation type " + type};
  const std::wstring& media = positional[0];
  if (!fs::is_directory(P(media)))
    throw ToolError{L"no such folder: " + media};
  bool floppies = fs::is_directory(P(media) / "disk1");

  bootstrap::InstallState state;
  state.SourceDir = floppies ? L"A:" : media;
  state.ProposedProgramDir = state.ProgramDir = positional[1];
  state.InstallType = installType;
  state.DiskCount = bootstrap::kDefaultDiskCount;
  fs::path config = (floppies ? P(media) / "disk1" : P(media)) / "INSTALL.CFG";
  if (File f{OpenFile(W(config), L"rb")}) {
    char line[256];
    while (std::fgets(line, sizeof line, f.get()))
      if (std::strncmp(line, "NrDiscuri=", 10) == 0)
        state.DiskCount = std::atoi(line + 10);
  }
  fs::create_directories(P(positional[1]));

  MediaDrive drive(media, floppies);
  ConsoleView view(drive);
  int partCounter = 0;
  ArchiveAssembly assembly(state, bootstrap::NewInstallSet(installType), view, drive, partCounter);
  if (!assembly.AssembleArchives())
    throw ToolError{L"disk " + std::to_wstring(view.missing) + L" is missing from " + media};
  std::printf("%d part(s) joined into %s\n", partCounter, Narrow(positional[1]).c_str());
  return 0;
}

// The parts of one archive read one after the other, as the installer's joined archive holds
// them; nothing is written.
class JoinedSource : public ByteSource {
 public:
  struct Piece {
    std::wstring path;
    uint64_t size;
  };
  explicit JoinedSource(std::vector<Piece> pieces) : pieces_(std::move(pieces)) {
    for (const Piece& p : pieces_)
      size_ += p.size;
  }
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* buffer, size_t size) override {
    auto* out = static_cast<char*>(buffer);
    if (offset > size_ || size > size_ - offset)
      throw Error(L"read past the end of the joined parts");
    uint64_t start = 0;
    for (size_t i = 0; i < pieces_.size() && size > 0; start += pieces_[i++].size) {
      if (offset >= start + pieces_[i].size)
        continue;
      uint64_t at = offset - start;
      size_t count = static_cast<size_t>(std::min<uint64_t>(size, pieces_[i].size - at));
      if (open_ != i) {
        file_ = Open(pieces_[i].path, L"rb");
        open_ = i;
      }
      if (Seek(file_.get(), at) != 0 || std::fread(out, 1, count, file_.get()) != count)
        throw Error(L"cannot read " + pieces_[i].path);
      out += count;
      offset += count;
      size -= count;
    }
  }

 private:
  std::vector<Piece> pieces_;
  uint64_t size_ = 0;
  File file_;
  size_t open_ = SIZE_MAX;
};

// What a 1.44 MB floppy formatted with FAT12 holds: 2,847 clusters of 512 bytes and 224
// entries in its root folder.
constexpr uint64_t kFloppyRootEntries = 224;

std::string Thousands(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return out;
}

// The installer's reading of INSTALL.CFG: NrDiscuri in [General], its leading decimal digits;
// 6 when the file or the key is missing.
int ConfiguredDiskCount(const fs::path& config) {
  File f{OpenFile(W(config), L"rb")};
  if (!f)
    return bootstrap::kDefaultDiskCount;
  char line[512];
  bool general = false;
  while (std::fgets(line, sizeof line, f.get())) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    if (!text.empty() && text[0] == '[') {
      general = Narrow(AsciiUpper(Utf8ToWide(text))) == "[GENERAL]";
      continue;
    }
    size_t equals = text.find('=');
    if (!general || equals == std::string::npos ||
        Narrow(AsciiUpper(Utf8ToWide(text.substr(0, equals)))) != "NRDISCURI")
      continue;
    int value = 0;
    for (size_t i = equals + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      value = std::min(value * 10 + (text[i] - '0'), 1000000);
    return value;
  }
  return bootstrap::kDefaultDiskCount;
}

// Reads every entry of `archive` with its CRC checked; returns the number of entries.
size_t ReadWholeArchive(ByteSource& source, const std::wstring& name) {
  ZipArchive zip(source, name, kOem);
  for (const ZipEntry& e : zip.entries())
    if (!e.isDirectory())
      zip.ReadEntry(e, [](const char*, size_t) {});
  return zip.entries().size();
}

int Verify(const std::vector<std::wstring>& args) {
  std::wstring media;
  uint64_t diskSize = kFloppySize;
  bool floppySize = true;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == L"--disk-size" && i + 1 < args.size()) {
      wchar_t* end = nullptr;
      diskSize = std::wcstoull(args[++i].c_str(), &end, 10);
      if (*end || diskSize == 0)
        throw ToolError{L"bad --disk-size: " + args[i]};
      floppySize = diskSize == kFloppySize;
    } else if (media.empty()) {
      media = args[i];
    } else {
      throw ToolError{L"verify takes one media folder (see --help)"};
    }
  }
  if (media.empty())
    throw ToolError{L"verify takes one media folder (see --help)"};
  if (!fs::is_directory(P(media)))
    throw ToolError{L"no such folder: " + media};

  int problems = 0;
  auto problem = [&](const std::string& line) {
    std::printf("%s\n", line.c_str());
    ++problems;
  };

  // The disks: the folder itself (CD layout), or its folders disk1..diskN.
  std::map<int, fs::path> disks;
  for (auto& entry : fs::directory_iterator(P(media))) {
    std::string name = Narrow(AsciiUpper(W(entry.path().filename())));
    if (entry.is_directory() && name.size() > 4 && name.rfind("DISK", 0) == 0 &&
        name.find_first_not_of("0123456789", 4) == std::string::npos && name[4] != '0' &&
        name.size() < 10)
      disks[std::stoi(name.substr(4))] = entry.path();
  }
  const bool diskFolders = !disks.empty();
  if (!diskFolders)
    disks[1] = P(media);
  const int diskCount = disks.rbegin()->first;
  for (int n = 1; n <= diskCount; ++n)
    if (!disks.count(n))
      problem("disk" + std::to_string(n) + ": folder missing");
  auto label = [&](int n) { return "disk" + std::to_string(n); };

  // Markers, and what a disk holds in the installer's joining order.
  struct Part {
    int disk;
    std::string name;
    int number;
    std::wstring path;
    uint64_t size;
  };
  std::map<int, std::vector<Part>> parts;  // component row -> parts in joining order
  for (auto& [n, folder] : disks) {
    std::string marker = "DISK" + std::to_string(n);
    std::vector<std::pair<std::string, fs::path>> files;
    uint64_t used = 0, rootEntries = 0;
    for (auto& entry : fs::directory_iterator(folder)) {
      ++rootEntries;
      std::string name = Narrow(W(entry.path().filename()));
      if (entry.is_directory()) {
        if (Narrow(AsciiUpper(Utf8ToWide(name))) == marker)
          problem(label(n) + ": " + name + " is a folder, not a marker file");
        used += kCluster;
        if (diskFolders)
          for (auto& inner : fs::recursive_directory_iterator(entry.path()))
            used += inner.is_directory() ? kCluster : Clusters(inner.file_size());
        continue;
      }
      used += Clusters(entry.file_size());
      files.push_back({name, entry.path()});
      std::string upper = Narrow(AsciiUpper(Utf8ToWide(name)));
      if (upper != marker && upper.rfind("DISK", 0) == 0 && upper.size() > 4 &&
          upper.find_first_not_of("0123456789", 4) == std::string::npos && diskFolders)
        problem(label(n) + ": holds the marker " + name + " of another disk");
    }
    if (!fs::is_regular_file(folder / marker))
      problem(label(n) + ": marker " + marker + " missing");
    if (diskFolders && used > diskSize)
      problem(label(n) + ": " + Thousands(used) + " bytes in 512-byte clusters, more than the " +
              Thousands(diskSize) + " a disk holds");
    if (diskFolders && floppySize && rootEntries > kFloppyRootEntries)
      problem(label(n) + ": " + std::to_string(rootEntries) +
              " entries, more than the 224 the root folder of a floppy holds");

    // Text order, letter case ignored, as the installer joins a disk's parts.
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
      return AsciiUpper(Utf8ToWide(a.first)) < AsciiUpper(Utf8ToWide(b.first));
    });
    for (auto& [name, path] : files) {
      size_t lastDot = name.rfind('.'), firstDot = name.find('.');
      if (lastDot == std::string::npos || name.back() < '0' || name.back() > '9')
        continue;
      std::wstring base = AsciiUpper(Utf8ToWide(name.substr(0, firstDot)));
      int row = -1;
      for (int r = 0; r < bootstrap::kComponentCount; ++r)
        if (base == bootstrap::Components[r].FileName)
          row = r;
      if (row < 0)
        continue;
      std::string number = name.substr(firstDot + 1);
      if (number.empty() || number.size() > 6 || number[0] == '0' ||
          number.find_first_not_of("0123456789") != std::string::npos) {
        problem(label(n) + ": " + name + " would be joined into " + Narrow(base) +
                ".ZIP but is not a numbered part");
        continue;
      }
      parts[row].push_back({n, name, std::stoi(number), W(path), fs::file_size(path)});
    }
  }

  // The first disk's own files.
  const fs::path first = disks.begin()->second;
  if (disks.begin()->first == 1) {
    if (!fs::is_regular_file(first / "INSTALL.EXE"))
      problem("disk1: INSTALL.EXE missing");
    if (!fs::is_regular_file(first / "INSTALL.CFG")) {
      problem("disk1: INSTALL.CFG missing (the installer then expects " +
              std::to_string(bootstrap::kDefaultDiskCount) + " disks)");
    } else {
      int configured = ConfiguredDiskCount(first / "INSTALL.CFG");
      if (configured != diskCount)
        problem("INSTALL.CFG: NrDiscuri is " + std::to_string(configured) + ", the media hold " +
                std::to_string(diskCount) + " disk(s)");
    }
    if (!fs::is_regular_file(first / "UPGRADE.1")) {
      problem("disk1: UPGRADE.1 missing (an upgrade cannot bind its library)");
    } else {
      try {
        auto source = OpenSource(W(first / "UPGRADE.1"));
        ZipArchive zip(*source, L"UPGRADE.1", kOem);
        bool library = false;
        for (const ZipEntry& e : zip.entries())
          library = library || AsciiUpper(e.name) == L"UPGRADE.DLL";
        if (!library)
          problem("UPGRADE.1: holds no UPGRADE.DLL");
        ReadWholeArchive(*source, L"UPGRADE.1");
      } catch (const Error& e) {
        problem(std::string("UPGRADE.1: ") + e.what());
      }
    }
  }

  // Each component: parts 1..k exactly once, joined in that order, and a readable archive.
  size_t archives = 0, entries = 0;
  for (int row = 0; row < bootstrap::kComponentCount; ++row) {
    std::string name = Narrow(bootstrap::Components[row].FileName);
    auto found = parts.find(row);
    if (found == parts.end()) {
      if (name != "LUNARIS" && name != "TORNEVA")
        problem(name + ": no parts on the media (a new installation needs " + name + ".ZIP)");
      continue;
    }
    std::vector<Part>& list = found->second;
    std::map<int, std::vector<int>> where;  // part number -> disks
    for (const Part& p : list)
      where[p.number].push_back(p.disk);
    bool complete = true;
    for (auto& [number, on] : where)
      if (on.size() > 1) {
        std::string disksText;
        for (int d : on)
          disksText += (disksText.empty() ? "" : ", ") + label(d);
        problem(name + ": part " + std::to_string(number) + " is on " + disksText);
        complete = false;
      }
    for (int number = 1; number <= where.rbegin()->first; ++number)
      if (!where.count(number)) {
        problem(name + ": part " + name + "." + std::to_string(number) + " missing");
        complete = false;
      }
    if (!complete)
      continue;
    std::string order;
    bool ordered = true;
    for (size_t i = 0; i < list.size(); ++i) {
      ordered = ordered && list[i].number == static_cast<int>(i + 1);
      order += (i ? ", " : "") + list[i].name;
    }
    if (!ordered) {
      problem(name + ": the installer joins the parts in the order " + order);
      continue;
    }
    std::vector<JoinedSource::Piece> pieces;
    for (const Part& p : list)
      pieces.push_back({p.path, p.size});
    JoinedSource joined(std::move(pieces));
    try {
      entries += ReadWholeArchive(joined, Utf8ToWide(name) + L".ZIP");
      ++archives;
    } catch (const Error& e) {
      problem(name + ": " + e.what());
    }
  }
  if (problems) {
    std::fprintf(stderr, "kolvar-media: %d problem(s) in %s\n", problems, Narrow(media).c_str());
    return 1;
  }
  std::printf("media OK: %d disk(s), %zu archive(s), %zu entries read\n", diskCount, archives,
              entries);
  return 0;
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty() || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  std::vector<std::wstring> rest(args.begin() + 1, args.end());
  bool help = std::find(rest.begin(), rest.end(), L"--help") != rest.end() ||
              std::find(rest.begin(), rest.end(), L"-h") != rest.end();
  struct Command {
    const wchar_t* name;
    const char* usage;
    int (*run)(const std::vector<std::wstring>&);
  } commands[] = {{L"pack", kPackUsage, Pack},
                  {L"list", kListUsage, List},
                  {L"extract", kExtractUsage, Extract},
                  {L"join", kJoinUsage, Join},
                  {L"verify", kVerifyUsage, Verify}};
  for (const Command& c : commands) {
    if (args[0] != c.name)
      continue;
    if (help) {
      std::fputs(c.usage, stdout);
      return 0;
    }
    return c.run(rest);
  }
  throw ToolError{L"unknown command " + args[0] + L" (see --help)"};
}

int Main(const std::vector<std::wstring>& args) {
  try {
    return Run(args);
  } catch (const ToolError& e) {
    std::fprintf(stderr, "\nkolvar-media: %s\n", Narrow(e.message).c_str());
  } catch (const Error& e) {
    std::fprintf(stderr, "\nkolvar-media: %s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "\nkolvar-media: %s\n", e.what());
  }
  return 1;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  // UTF-8 on the console, for names beyond the OEM code page.
  ::SetConsoleOutputCP(CP_UTF8);
  return Main(std::vector<std::wstring>(argv + 1, argv + argc));
}
#else
int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i)
    args.push_back(Utf8ToWide(argv[i]));
  return Main(args);
}
#endif
