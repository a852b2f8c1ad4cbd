#include "support/TempFolders.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/win32/files.h"

namespace {

std::string TempRoot() {
  char folder[MAX_PATH + 1] = {0};
  if (!GetTempPathA(sizeof folder, folder) || !folder[0]) return "/tmp";
  std::string root = folder;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

}  // namespace

CString MakePrivateTempFolder(const char* prefix) {
  std::string pattern = TempRoot() + "/" + prefix + "-" + std::to_string(getpid()) + "-XXXXXX";
  if (!mkdtemp(pattern.data())) return CString();
  return CString(pattern.c_str());
}

void RemovePrivateTempFolder(const CString& folder) {
  if (folder.IsEmpty()) return;
  std::error_code error;
  // Only what is directly inside: no link in it is followed.
  for (const auto& entry : std::filesystem::directory_iterator(folder.GetString(), error))
    std::filesystem::remove(entry.path(), error);
  std::filesystem::remove(folder.GetString(), error);
}

void RemoveStalePrivateTempFolders(const char* prefix) {
  const std::string start = std::string(prefix) + "-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(TempRoot(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(start, 0) != 0) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(name.c_str() + start.size()));
    struct stat info {};
    if (pid <= 0 || lstat(entry.path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid())
      continue;
    if (pid == getpid() || kill(pid, 0) == 0 || errno == EPERM) continue;  // its process still runs
    RemovePrivateTempFolder(CString(entry.path().c_str()));
  }
}
