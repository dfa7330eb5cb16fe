// Throwaway folders, shell commands and folder snapshots for the native deploy tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "deploy/zip_reader.h"

namespace kolvar::deploy::testing {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "kolvar-deploy-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    for (auto& p : fs::recursive_directory_iterator(path_, ignored))
      fs::permissions(p.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs `command` with sh in `folder` under a UTF-8 locale and UTC; returns the exit status.
inline int Shell(const std::string& folder, const std::string& command) {
  std::string full = "cd '" + folder + "' && LC_ALL=C.UTF-8 TZ=UTC " + command;
  int status = std::system(full.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline void WriteText(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct FileState {
  bool folder = false;
  std::string content;
  long long mtime = 0;
  bool readOnly = false;
  bool operator==(const FileState& o) const {
    return folder == o.folder && content == o.content && readOnly == o.readOnly &&
           (folder || (mtime - o.mtime <= 1 && o.mtime - mtime <= 1));
  }
};

// Every file and folder below `root`, by relative path.
inline std::map<std::string, FileState> Snapshot(const std::string& root) {
  std::map<std::string, FileState> tree;
  for (auto& p : fs::recursive_directory_iterator(root)) {
    FileState s;
    struct stat st;
    ::lstat(p.path().c_str(), &st);
    s.folder = S_ISDIR(st.st_mode);
    if (!s.folder) {
      s.content = ReadText(p.path().string());
      s.mtime = st.st_mtime;
      s.readOnly = (st.st_mode & 0222) == 0;
    }
    tree[fs::relative(p.path(), root).string()] = s;
  }
  return tree;
}

inline std::string Describe(const std::map<std::string, FileState>& tree) {
  std::string out;
  for (auto& [name, s] : tree)
    out += name +
           (s.folder ? "/"
                     : " " + std::to_string(s.content.size()) + "B t=" + std::to_string(s.mtime) +
                           (s.readOnly ? " ro" : "")) +
           "\n";
  return out;
}

// The whole data of one entry.
inline std::string ReadAll(const ZipArchive& zip, const ZipEntry& e) {
  std::string out;
  zip.ReadEntry(e, [&](const char* d, size_t n) { out.append(d, n); });
  return out;
}

}  // namespace kolvar::deploy::testing
