// Whole-file reads, and whole-file replacement through a temporary file and a rename, so
// that a crash or a full disk never leaves half a file where another program or a later run
// expects a whole one.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/files.h"
#include "platform/win32/files_p.h"
#include "platform/win32/sync.h"

using namespace win32_p;

namespace {

std::atomic<unsigned> g_tempCounter{0};

bool WriteAll(int fd, const char* p, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Replacing a link must replace the file it names, not turn the link into a file.
std::string ResolveLink(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
  char resolved[PATH_MAX];
  if (!realpath(target.c_str(), resolved)) return target;
  return resolved;
}

// The process id in a temporary name ".<name>.<pid>.<n>.<tick>.tmp"; 0 when the name is not one.
pid_t TempOwner(const char* entry) {
  size_t length = std::strlen(entry);
  if (entry[0] != '.' || length < 12 || std::strcmp(entry + length - 4, ".tmp") != 0) return 0;
  std::string rest(entry + 1, length - 5);
  size_t tick = rest.find_last_of('.');
  if (tick == std::string::npos || tick + 1 == rest.size()) return 0;
  size_t counter = rest.find_last_of('.', tick - 1);
  if (counter == std::string::npos || counter == 0) return 0;
  size_t pid = rest.find_last_of('.', counter - 1);
  if (pid == std::string::npos || pid == 0) return 0;
  auto all = [&](size_t from, size_t to, const char* digits) {
    return to > from && rest.find_first_not_of(digits, from) >= to;
  };
  if (!all(tick + 1, rest.size(), "0123456789abcdef") || !all(counter + 1, tick, "0123456789") ||
      !all(pid + 1, counter, "0123456789") || counter - pid > 10) {
    return 0;
  }
  long value = std::strtol(rest.c_str() + pid + 1, nullptr, 10);
  return value > 0 && value <= INT_MAX ? static_cast<pid_t>(value) : 0;
}

}  // namespace

int RemoveStaleReplacingTemps(LPCSTR folder, int minAgeSeconds) {
  if (!folder || !*folder) return 0;
  std::string native = NativePath(folder);
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  DIR* dir = opendir(native.c_str());
  if (!dir) return 0;
  int removed = 0;
  const time_t now = time(nullptr);
  while (dirent* entry = readdir(dir)) {
    pid_t owner = TempOwner(entry->d_name);
    // A live owner may still be writing; a pid of this process is a write under way.
    if (owner <= 0 || owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH) continue;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != geteuid() || now - st.st_mtime < minAgeSeconds) {
      continue;
    }
    if (unlinkat(dirfd(dir), entry->d_name, 0) == 0) ++removed;
  }
  closedir(dir);
  return removed;
}

namespace {

BOOL ReplaceWholeFile(LPCSTR path, const void* data, size_t size, bool flush) {
  if (!path || !*path || (!data && size > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string target = ResolveLink(NativePath(path));
  const std::string folder = NativeFolderOf(target);
  const std::string name = target.substr(target.find_last_of('/') + 1);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return FALSE;
  }
  struct stat old;
  const bool hadOld = stat(target.c_str(), &old) == 0;
  if (hadOld && S_ISDIR(old.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }

  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%d.%u.%lx.tmp", static_cast<int>(getpid()), g_tempCounter.fetch_add(1),
                  static_cast<unsigned long>(GetTickCount64()));
    temp = (folder == "/" ? "" : folder) + "/." + name + suffix;
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, hadOld ? (old.st_mode & 0777) : 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SetLastErrorFromErrno(errno, target);
    return FALSE;
  }

  int err = 0;
  if (hadOld) fchmod(fd, old.st_mode & 07777);  // keep the old file's permissions
  if (!WriteAll(fd, static_cast<const char*>(data), size) || (flush && fsync(fd) != 0)) err = errno;
  if (close(fd) != 0 && !err) err = errno;
  if (!err && rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err) {
    unlink(temp.c_str());
    SetLastError(Win32ErrorFromErrno(err == EFBIG ? ENOSPC : err));
    return FALSE;
  }
  // Make the rename itself durable; a failure here no longer endangers either version.
  if (flush) {
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  return TRUE;
}

}  // namespace

BOOL WriteFileReplacing(LPCSTR path, const void* data, size_t size) { return ReplaceWholeFile(path, data, size, true); }

BOOL WriteFileReplacingUnflushed(LPCSTR path, const void* data, size_t size) {
  return ReplaceWholeFile(path, data, size, false);
}

BOOL FlushFileToDisk(LPCSTR path) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string target = ResolveLink(NativePath(path));
  int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || fsync(fd) != 0) {
    int err = errno;
    if (fd >= 0) close(fd);
    SetLastError(Win32ErrorFromErrno(err));
    return FALSE;
  }
  close(fd);
  int dir = open(NativeFolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return TRUE;
}

BOOL ReadWholeFile(LPCSTR path, std::vector<BYTE>& bytes) {
  // Non-blocking: a FIFO or device in the file's place is refused below, never waited on.
  int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  struct stat info;
  bool ok = fstat(fd, &info) == 0;
  if (ok && !S_ISREG(info.st_mode)) {
    ok = false;
    errno = EISDIR;
  }
  if (ok) {
    try {
      bytes.resize(static_cast<size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
      ok = false;
      errno = ENOMEM;
    }
  }
  for (size_t done = 0; ok && done < bytes.size();) {
    ssize_t count = read(fd, bytes.data() + done, bytes.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      ok = false;
      if (count == 0) errno = EIO;  // the file shrank while it was read
      break;
    }
    done += static_cast<size_t>(count);
  }
  int savedErrno = errno;
  close(fd);
  if (!ok) {
    SetLastError(Win32ErrorFromErrno(savedErrno));
    return FALSE;
  }
  return TRUE;
}
