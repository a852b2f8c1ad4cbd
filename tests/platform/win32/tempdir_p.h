// A temporary folder per test, removed with everything in it afterwards.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

class TempDir {
 public:
  TempDir() {
    std::string pattern = "/tmp/tavorin-win32-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() { RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  static void Write(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
  }
  static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream out;
    out << file.rdbuf();
    return out.str();
  }
  static bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
  }
  /// Names in a folder, "." and ".." left out.
  static std::vector<std::string> List(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
      while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(dir);
    }
    return names;
  }

 private:
  static void RemoveTree(const std::string& path) {
    if (path.empty()) return;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      chmod(path.c_str(), 0700);
      for (const std::string& name : List(path)) RemoveTree(path + "/" + name);
      rmdir(path.c_str());
    } else {
      unlink(path.c_str());
    }
  }
  std::string path_;
};
