#include "platform/win32/stationfolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/win32/folders.h"
#include "platform/win32/trace.h"

namespace {

struct CheckedFolder {
  std::string path;
  std::string problem;
};

const CheckedFolder& Checked() {
  // Kept for the whole run: exit handlers and other threads' late calls still need it.
  static const CheckedFolder* checked = [] {
    auto* result = new CheckedFolder;
    std::string path = GetStationFolderPath();
    if (PrepareStationFolderAt(path, &result->problem)) result->path = path;
    else TRACE("GetStationFolder() - %s\n", result->problem.c_str());
    return result;
  }();
  return *checked;
}

}  // namespace

std::string GetStationFolderPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/') return std::string(runtime) + "/tavorin-station";
  // Without a runtime folder: the user's cache folder, per machine (a home may be shared).
  const char* cache = std::getenv("XDG_CACHE_HOME");
  std::string base = cache && *cache == '/' ? std::string(cache) : GetHomeFolder() + "/.cache";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0 || !*host) std::strcpy(host, "localhost");
  for (char* p = host; *p; ++p)
    if (*p == '/') *p = '_';
  return base + "/tavorin-station-" + host;
}

bool PrepareStationFolderAt(const std::string& path, std::string* why) {
  auto refuse = [&](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  if (path.empty() || path[0] != '/') return refuse("no private folder for this session");
  if (mkdir(path.c_str(), 0700) != 0 && errno == ENOENT) {
    // A fresh account may have no cache folder yet: make the missing levels, private.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
      mkdir(path.substr(0, slash).c_str(), 0700);
    mkdir(path.c_str(), 0700);
  }
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return refuse(path + " cannot be made: " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return refuse(path + " is not a folder");
  if (st.st_uid != geteuid()) return refuse(path + " belongs to another user");
  if ((st.st_mode & 07777) != 0700 && chmod(path.c_str(), 0700) != 0)
    return refuse(path + " cannot be made private: " + std::strerror(errno));
  return true;
}

const std::string& GetStationFolder() { return Checked().path; }

const std::string& GetStationFolderProblem() { return Checked().problem; }
