#include "deploy/native_media.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/text.h"

namespace kolvar::deploy {

std::string NativeMediaFiles::Map(const std::wstring& path) {
  std::string out = WideToUtf8(path);
  for (char& c : out)
    if (c == '\\')
      c = '/';
  return out;
}

bool NativeMediaFiles::FileExists(const std::wstring& path) {
  struct stat st;
  return ::stat(Map(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::wstring> NativeMediaFiles::ListNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  DIR* dir = ::opendir(Map(folder).c_str());
  if (!dir)
    return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(Utf8ToWide(name));
  }
  ::closedir(dir);
  return names;
}

uint64_t NativeMediaFiles::AppendPart(const std::wstring& extension,
                                      const std::wstring& source,
                                      const std::wstring& target) {
  int in = ::open(Map(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    throw Error(Utf8ToWide("Nu pot deschide " + WideToUtf8(source) + ": " + std::strerror(errno)));
  std::string path = Map(target);
  bool first = extension == L".1";
  int flags = first ? (O_WRONLY | O_CREAT | O_TRUNC) : (O_WRONLY | O_APPEND);
  int out = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
  if (out < 0) {
    int error = errno;
    ::close(in);
    if (!first && error == ENOENT)
      return 0;  // a continuation whose archive was never begun: the media's fault
    throw Error(Utf8ToWide((first ? "Nu pot crea arhiva " : "Nu pot deschide arhiva ") + path +
                           ": " + std::strerror(error)));
  }
  int error = 0;
  off_t start = ::lseek(out, 0, SEEK_END);
  uint64_t copied = 0;
  std::unique_ptr<char[]> buffer(new char[kPartBufferSize]);
  while (error == 0) {
    ssize_t got = ::read(in, buffer.get(), kPartBufferSize);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    for (ssize_t done = 0; done < got && error == 0;) {
      ssize_t n = ::write(out, buffer.get() + done, static_cast<size_t>(got - done));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        error = n < 0 ? errno : ENOSPC;
      else
        done += n;
    }
    copied += static_cast<uint64_t>(got);
  }
  struct stat st;
  if (error == 0 && (start < 0 || ::fstat(out, &st) != 0 ||
                     static_cast<uint64_t>(st.st_size) != static_cast<uint64_t>(start) + copied))
    error = ENOSPC;
  if (::close(out) != 0 && error == 0)
    error = errno;
  ::close(in);
  if (error != 0) {
    ::unlink(path.c_str());
    throw Error(Utf8ToWide("Nu pot scrie arhiva " + path + ": " + std::strerror(error)));
  }
  return copied;
}

bool NativeMediaFiles::Delete(const std::wstring& path) {
  return ::unlink(Map(path).c_str()) == 0;
}

}  // namespace kolvar::deploy
