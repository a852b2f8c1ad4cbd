#include "platform/win32/files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/files_p.h"
#include "platform/win32/sync.h"
#include "platform/win32/systemtime.h"

namespace win32_p {

std::string NativeFolderOf(const std::string& nativePath) {
  size_t slash = nativePath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return nativePath.substr(0, slash);
}

void SetLastErrorFromErrno(int err, const std::string& nativePath) {
  if (err == ENOENT) {
    struct stat st;
    std::string folder = NativeFolderOf(nativePath);
    bool folderExists = stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    SetLastError(folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return;
  }
  SetLastError(Win32ErrorFromErrno(err));
}

DWORD DeliverString(const std::string& text, LPSTR buffer, DWORD bufferLength) {
  if (!buffer || text.size() >= bufferLength) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

}  // namespace win32_p

using namespace win32_p;

namespace {

bool BadPath(LPCSTR path) {
  if (path && *path) return false;
  SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
  return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Copies the open source into the open target; false with errno set on a read or write error.
bool CopyContents(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(from, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!WriteAll(to, buffer, static_cast<size_t>(n))) return false;
  }
}

// Copies a file; returns 0, an errno value, or -1 when the target is the source itself.
int CopyNative(const std::string& from, const std::string& to, bool failIfExists) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  struct stat source;
  if (fstat(in, &source) != 0) {
    int err = errno;
    close(in);
    return err;
  }
  if (S_ISDIR(source.st_mode)) {
    close(in);
    return EACCES;
  }
  // Opened without truncation so that a copy onto the same file can be refused intact.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
  int out = open(to.c_str(), flags, source.st_mode & 07777);
  if (out < 0) {
    int err = errno;
    close(in);
    return err;
  }
  struct stat target;
  if (fstat(out, &target) == 0 && target.st_dev == source.st_dev && target.st_ino == source.st_ino) {
    close(out);
    close(in);
    return -1;
  }
  int err = 0;
  if (ftruncate(out, 0) != 0 || !CopyContents(in, out)) err = errno ? errno : EIO;
  if (!err) {
    fchmod(out, source.st_mode & 07777);
    struct timespec times[2] = {source.st_atim, source.st_mtim};
    futimens(out, times);
  }
  if (close(out) != 0 && !err) err = errno;
  close(in);
  if (err) unlink(to.c_str());  // a partial copy is worse than none
  return err;
}

bool Exists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

}  // namespace

DWORD GetFileAttributesA(LPCSTR path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return INVALID_FILE_ATTRIBUTES;
  return data.dwFileAttributes;
}

BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS, LPVOID info) {
  if (BadPath(path)) return FALSE;
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string native = NativePath(path);
  struct stat st;
  if (stat(native.c_str(), &st) != 0) {
    SetLastErrorFromErrno(errno, native);
    return FALSE;
  }
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info);
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  data->dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  data->ftCreationTime = FileTimeFromUnixTime(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
  data->ftLastAccessTime = FileTimeFromUnixTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
  data->ftLastWriteTime = FileTimeFromUnixTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  return TRUE;
}

BOOL PathFileExistsA(LPCSTR path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

BOOL DeleteFileA(LPCSTR path) {
  if (BadPath(path)) return FALSE;
  std::string native = NativePath(path);
  if (unlink(native.c_str()) != 0) {
    int err = errno;
    if (err == EISDIR) err = EACCES;
    SetLastErrorFromErrno(err, native);
    return FALSE;
  }
  return TRUE;
}

BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists) {
  if (BadPath(existingPath) || BadPath(newPath)) return FALSE;
  std::string from = NativePath(existingPath), to = NativePath(newPath);
  int err = CopyNative(from, to, failIfExists != FALSE);
  if (err == 0) return TRUE;
  if (err == -1) {
    SetLastError(ERROR_SHARING_VIOLATION);
  } else if (err == EEXIST) {
    SetLastError(ERROR_FILE_EXISTS);
  } else {
    SetLastErrorFromErrno(err, Exists(from) ? to : from);
  }
  return FALSE;
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
  if (BadPath(existingPath) || BadPath(newPath)) return FALSE;
  std::string from = NativePath(existingPath), to = NativePath(newPath);
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return TRUE;
  int err = errno;
  if (err == EINVAL || err == ENOSYS) {
    // The file system cannot refuse replacement itself; check first.
    if (Exists(to) && Exists(from)) {
      SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (rename(from.c_str(), to.c_str()) == 0) return TRUE;
    err = errno;
  }
  if (err == EXDEV) {
    struct stat st;
    if (stat(from.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_NOT_SAME_DEVICE);
      return FALSE;
    }
    err = CopyNative(from, to, true);
    if (err == 0) {
      if (unlink(from.c_str()) == 0) return TRUE;
      err = errno;
      unlink(to.c_str());  // keep a single copy: the original stays
    }
  }
  if (err == EEXIST || err == ENOTEMPTY) {
    SetLastError(ERROR_ALREADY_EXISTS);
  } else {
    SetLastErrorFromErrno(err, Exists(from) ? to : from);
  }
  return FALSE;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
  if (BadPath(path)) return FALSE;
  std::string native = NativePath(path);
  if (mkdir(native.c_str(), 0777) != 0) {
    int err = errno;
    SetLastError(err == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(err));
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path) {
  if (BadPath(path)) return FALSE;
  std::string native = NativePath(path);
  if (rmdir(native.c_str()) != 0) {
    int err = errno;
    SetLastErrorFromErrno(err == EEXIST ? ENOTEMPTY : err, native);
    return FALSE;
  }
  return TRUE;
}

int _mkdir(const char* path) {
  if (!path) {
    errno = EINVAL;
    return -1;
  }
  return mkdir(NativePath(path).c_str(), 0777);
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  std::string folder = "/tmp";
  const char* env = std::getenv("TMPDIR");
  struct stat st;
  if (env && *env == '/' && stat(env, &st) == 0 && S_ISDIR(st.st_mode)) folder = env;
  if (folder.back() != '/') folder += '/';
  return DeliverString(AnsiFromNative(folder), buffer, bufferLength);
}

UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (!folder || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  base.append(prefix ? prefix : "", prefix ? strnlen(prefix, 3) : 0);
  auto nameOf = [&](UINT number) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X.TMP", number & 0xFFFFu);
    return base + hex;
  };
  if (unique != 0) {
    std::string name = nameOf(unique);
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    std::memcpy(tempFileName, name.c_str(), name.size() + 1);
    return unique & 0xFFFFu;
  }
  // Try every 16-bit number once, starting somewhere that differs between runs.
  UINT start = (GetTickCount() ^ static_cast<UINT>(getpid())) & 0xFFFFu;
  for (UINT i = 0; i < 0xFFFFu; ++i) {
    UINT number = (start + i) % 0xFFFFu + 1;
    std::string name = nameOf(number);
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return 0;
    }
    std::string native = NativePath(name.c_str());
    int fd = open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      std::memcpy(tempFileName, name.c_str(), name.size() + 1);
      return number;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(errno, native);
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) {
  if (BadPath(longPath)) return 0;
  if (GetFileAttributesA(longPath) == INVALID_FILE_ATTRIBUTES) return 0;
  return DeliverString(longPath, shortPath, bufferLength);
}
