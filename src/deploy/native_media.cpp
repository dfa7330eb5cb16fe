#include "deploy/native_media.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

void NativeMediaFiles::AppendPart(const std::wstring& extension,
                                  const std::wstring& source,
                                  const std::wstring& target) {
  int in = ::open(Map(source).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0)
    return;
  int flags = extension == L".1" ? (O_WRONLY | O_CREAT | O_TRUNC) : (O_WRONLY | O_APPEND);
  int out = ::open(Map(target).c_str(), flags | O_CLOEXEC, 0666);
  if (out >= 0) {
    std::unique_ptr<char[]> buffer(new char[kPartBufferSize]);
    for (;;) {
      ssize_t got = ::read(in, buffer.get(), kPartBufferSize);
      if (got < 0 && errno == EINTR)
        continue;
      if (got <= 0)
        break;
      ssize_t done = 0;
      while (done < got) {
        ssize_t n = ::write(out, buffer.get() + done, static_cast<size_t>(got - done));
        if (n < 0 && errno == EINTR)
          continue;
        if (n <= 0)
          break;
        done += n;
      }
      if (done < got)
        break;
    }
    ::close(out);
  }
  ::close(in);
}

bool NativeMediaFiles::Delete(const std::wstring& path) {
  return ::unlink(Map(path).c_str()) == 0;
}

}  // namespace kolvar::deploy
