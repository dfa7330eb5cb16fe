#include "deploy/native_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstring>
#include <ctime>

#include "platform/text.h"

namespace kolvar::deploy {
namespace {

std::wstring SystemText(const std::string& context, int error) {
  return Utf8ToWide(context + ": " + std::strerror(error));
}

// A local calendar time as a time_t. mktime would re-read the time zone file on every call.
time_t LocalToUtc(struct tm t) {
  time_t asUtc = timegm(&t);
  if (asUtc == static_cast<time_t>(-1))
    return asUtc;
  struct tm local;
  time_t guess = asUtc;
  for (int i = 0; i < 2; ++i) {
    if (!localtime_r(&guess, &local))
      return static_cast<time_t>(-1);
    guess = asUtc - local.tm_gmtoff;
  }
  return guess;
}

class NativeOutputFile : public OutputFile {
 public:
  NativeOutputFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~NativeOutputFile() override {
    if (fd_ >= 0)
      ::close(fd_);
  }
  void Write(const char* data, size_t size) override {
    while (size > 0) {
      ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        throw Error(SystemText("Nu pot scrie fisierul " + path_, n < 0 ? errno : ENOSPC));
      data += n;
      size -= static_cast<size_t>(n);
    }
  }
  void Finish(uint16_t dosDate, uint16_t dosTime, std::optional<uint8_t> attributes) override {
    struct tm t {};
    t.tm_year = ((dosDate >> 9) & 0x7F) + 80;
    t.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
    t.tm_mday = dosDate & 0x1F;
    t.tm_hour = (dosTime >> 11) & 0x1F;
    t.tm_min = (dosTime >> 5) & 0x3F;
    t.tm_sec = (dosTime & 0x1F) * 2;
    time_t when = LocalToUtc(t);
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = when;
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (when != static_cast<time_t>(-1))
      ::futimens(fd_, times);
    if (attributes && (*attributes & 1))
      ::fchmod(fd_, 0444);
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
      throw Error(SystemText("Nu pot inchide fisierul " + path_, errno));
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

NativeFileSource::NativeFileSource(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0)
    throw Error(SystemText("Nu pot deschide arhiva " + path, errno));
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    throw Error(Utf8ToWide("Nu pot deschide arhiva " + path + ": nu este un fisier"));
  }
  size_ = static_cast<uint64_t>(st.st_size);
}

NativeFileSource::~NativeFileSource() {
  if (fd_ >= 0)
    ::close(fd_);
}

void NativeFileSource::ReadAt(uint64_t offset, void* buffer, size_t size) {
  auto* out = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw Error(SystemText("Nu pot citi arhiva " + path_, errno));
    if (n == 0)
      throw Error(Utf8ToWide("Arhiva " + path_ + " se termina prea devreme"));
    out += n;
    size -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
}

std::string NativeExtractTarget::FullPath(const std::wstring& relativePath) const {
  std::string path = WideToUtf8(relativePath);
  for (char& c : path)
    if (c == '\\')
      c = '/';
  return path.empty() ? root_ : root_ + "/" + path;
}

NativeExtractTarget::NativeExtractTarget(std::string root)
    : root_(std::move(root)), target_(files_, Utf8ToWide(root_)) {}

std::string NativeFileSystem::Map(const std::wstring& path) {
  std::string host = WideToUtf8(path);
  for (char& c : host)
    if (c == '\\')
      c = '/';
  return host;
}

std::optional<uint32_t> NativeFileSystem::Attributes(const std::wstring& path) {
  struct stat st;
  if (::lstat(Map(path).c_str(), &st) != 0)
    return std::nullopt;
  if (S_ISDIR(st.st_mode))
    return kAttrDirectory;
  return (st.st_mode & 0222) ? 0x20u : 0x21u;
}

std::vector<FolderItem> NativeFileSystem::List(const std::wstring& folder) {
  std::vector<FolderItem> items;
  std::string host = Map(folder);
  DIR* dir = ::opendir(host.c_str());
  if (!dir)
    return items;
  while (struct dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..")
      continue;
    struct stat st;
    if (::lstat((host + "/" + name).c_str(), &st) != 0)
      continue;
    uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : (st.st_mode & 0222) ? 0x20 : 0x21;
    items.push_back({Utf8ToWide(name), attributes,
                     S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size)});
  }
  ::closedir(dir);
  return items;
}

void NativeFileSystem::CreateFolder(const std::wstring& path) {
  std::string host = Map(path);
  if (::mkdir(host.c_str(), 0777) != 0) {
    int error = errno;
    struct stat st;
    if (error == EEXIST && ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
      return;
    throw Error(SystemText("Nu pot crea folderul " + WideToUtf8(path), error));
  }
}

void NativeFileSystem::RemoveFolder(const std::wstring& path) {
  if (::rmdir(Map(path).c_str()) != 0)
    throw Error(SystemText("Nu pot sterge folderul " + WideToUtf8(path), errno));
}

std::unique_ptr<OutputFile> NativeFileSystem::CreateFile(const std::wstring& path) {
  std::string host = Map(path);
  int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0)
    throw Error(SystemText("Nu pot crea fisierul " + WideToUtf8(path), errno));
  return std::make_unique<NativeOutputFile>(fd, WideToUtf8(path));
}

void NativeFileSystem::Move(const std::wstring& from, const std::wstring& to) {
  if (::rename(Map(from).c_str(), Map(to).c_str()) != 0)
    throw Error(SystemText("Nu pot muta " + WideToUtf8(from) + " in " + WideToUtf8(to), errno));
}

void NativeFileSystem::Delete(const std::wstring& path) {
  if (::unlink(Map(path).c_str()) != 0)
    throw Error(SystemText("Nu pot sterge " + WideToUtf8(path), errno));
}

void NativeFileSystem::CopyFile(const std::wstring& from, const std::wstring& to) {
  std::string source = Map(from), target = Map(to);
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    throw Error(SystemText("Nu pot copia " + WideToUtf8(from), errno));
  struct stat st;
  ::fstat(in, &st);
  ::unlink(target.c_str());
  int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    int error = errno;
    ::close(in);
    throw Error(SystemText("Nu pot copia " + WideToUtf8(from) + " in " + WideToUtf8(to), error));
  }
  char buffer[65536];
  int error = 0;
  for (;;) {
    ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      error = errno;
    if (n <= 0)
      break;
    for (ssize_t done = 0; done < n && !error;) {
      ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR)
        continue;
      if (w <= 0)
        error = w < 0 ? errno : ENOSPC;
      else
        done += w;
    }
    if (error)
      break;
  }
  struct timespec times[2] = {st.st_atim, st.st_mtim};
  ::futimens(out, times);
  ::fchmod(out, st.st_mode & 07777);
  if (::close(out) != 0 && !error)
    error = errno;
  ::close(in);
  if (error) {
    ::unlink(target.c_str());
    throw Error(SystemText("Nu pot copia " + WideToUtf8(from) + " in " + WideToUtf8(to), error));
  }
}

void NativeFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  if (::chmod(Map(path).c_str(), (attributes & kAttrReadOnly) ? 0444 : 0666) != 0)
    throw Error(SystemText("Nu pot seta atributele fisierului " + WideToUtf8(path), errno));
}

std::optional<std::string> NativeFileSystem::ReadSmallFile(const std::wstring& path) {
  int fd = ::open(Map(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

WriteAccess NativeFileSystem::CheckWriteAccess(const std::wstring&, std::wstring&) {
  return WriteAccess::kFree;  // POSIX has no exclusive opens to ask for
}

std::optional<VolumeSpace> NativeFileSystem::Space(const std::wstring& path) {
  std::string host = Map(path);
  struct statvfs fs;
  while (::statvfs(host.c_str(), &fs) != 0) {
    size_t slash = host.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
      return std::nullopt;
    host.resize(slash);
  }
  VolumeSpace space;
  space.volume = path.size() >= 2 && path[1] == L':' ? path.substr(0, 2) + L"\\" : L"\\";
  space.free = static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize;
  space.cluster = static_cast<uint32_t>(fs.f_frsize ? fs.f_frsize : 4096);
  return space;
}

}  // namespace kolvar::deploy
