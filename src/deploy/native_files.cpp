#include "deploy/native_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
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

void NativeExtractTarget::CreateFolders(const std::wstring& relativeFolder) {
  std::string full = FullPath(relativeFolder);
  // Members of one folder come one after another: the folder is made once.
  if (full == lastFolder_)
    return;
  struct stat st;
  if (::stat(full.c_str(), &st) != 0) {
    for (size_t slash = 0; slash != std::string::npos;) {
      slash = full.find('/', slash + 1);
      std::string part = full.substr(0, slash);
      if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
        throw Error(SystemText("Nu pot crea folderul " + part, errno));
    }
  }
  if (::stat(full.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    throw Error(Utf8ToWide("Nu pot crea folderul " + full + ": un fisier sta in cale"));
  lastFolder_ = full;
}

std::unique_ptr<OutputFile> NativeExtractTarget::CreateOutputFile(
    const std::wstring& relativePath) {
  std::string full = FullPath(relativePath);
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
  int fd = ::open(full.c_str(), flags, 0666);
  if (fd < 0 && errno == EEXIST) {
    struct stat st;
    if (::lstat(full.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
      ::unlink(full.c_str());
    fd = ::open(full.c_str(), flags, 0666);
  }
  if (fd < 0)
    throw Error(SystemText("Nu pot crea fisierul " + full, errno));
  return std::make_unique<NativeOutputFile>(fd, full);
}

void NativeExtractTarget::RemoveFile(const std::wstring& relativePath) noexcept {
  ::unlink(FullPath(relativePath).c_str());
}

}  // namespace kolvar::deploy
